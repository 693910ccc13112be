// Puts a handler in front of a control's WindowProc and takes it out again.
//
//   FHook.Install(*Form, [this](TMessage& M, const TWndMethod& Previous) {
//       Previous(M);             // the handler decides when the rest of the chain runs
//       ...;
//   });
//   FHook.Remove();
//
// Several components may hook the same form (the edge docking, the tray icon, the skin), and
// they do not always let go in the reverse order. Removing a hook that is still the outermost
// gives the control its previous WindowProc back; removing one that someone else hooked over
// leaves it in their chain as a plain pass-through, so the later hook is never cut off.
#pragma once

#include "Controls.h"

#include <memory>

class TWindowProcHook {
  public:
    using THandler = std::function<void(TMessage& Message, const TWndMethod& Previous)>;

    TWindowProcHook() = default;
    ~TWindowProcHook() { Remove(); }
    TWindowProcHook(const TWindowProcHook&) = delete;
    TWindowProcHook& operator=(const TWindowProcHook&) = delete;

    // Replaces an earlier installation.
    void Install(TControl& Control, THandler Handler);
    void Remove();
    // The control is going away with its WindowProc: nothing is to be given back.
    void Forget();
    bool Installed() const { return FControl != nullptr; }
    TControl* Control() const { return FControl; }
    // Hands the message to the WindowProc that was in place before; also after Remove, so a
    // handler that lets go while it runs can still pass its message on.
    void CallPrevious(TMessage& Message) const {
        if (FState && FState->Previous) FState->Previous(Message);
    }

  private:
    struct TState {
        TWndMethod Previous;
        THandler Handler;
        bool Active = true;
    };
    struct TThunk {
        std::shared_ptr<TState> State;
        void operator()(TMessage& Message) const;
    };

    TControl* FControl = nullptr;
    std::shared_ptr<TState> FState;
};
