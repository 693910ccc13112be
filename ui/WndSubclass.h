// Puts a procedure in front of any window's own procedure (a window of ours or one the system
// made, such as a message box) and takes it out again.
//
//   FSubclass.Install(Wnd, [this](TMessage& M) {
//       if (M.Msg == WM_NCACTIVATE) { M.Result = 1; return; }   // handled here
//       FSubclass.CallPrevious(M);                               // everything else goes on
//   }, IsWindowUnicode(Wnd));
//   FSubclass.Remove();
//
// Each installation gets its own small piece of code that calls straight into it, so a message
// costs no lookup. Several parties may subclass one window and let go in any order: removing
// one that is still the outermost gives the window the procedure it replaced; removing one that
// someone else subclassed over keeps it in their chain as a plain pass-through until the window
// is destroyed, so the later subclass is never cut off. When the window is destroyed while
// subclassed, Installed() turns false after WM_NCDESTROY. Installations are counted as
// THandleKind::Subclass while their code exists. An exception leaving the procedure is reported
// through HandleException and the message answers 0.
#pragma once

#include "Handles.h"
#include "Messages.h"

#include <functional>

class TWindowSubclass {
  public:
    using THandler = std::function<void(TMessage& Message)>;

    TWindowSubclass() = default;
    ~TWindowSubclass() { Remove(); }
    TWindowSubclass(const TWindowSubclass&) = delete;
    TWindowSubclass& operator=(const TWindowSubclass&) = delete;

    // Replaces an earlier installation. Unicode picks the wide or the ANSI functions for the
    // procedure (the messages then arrive in that character set). False when the window does
    // not exist or refused the new procedure.
    bool Install(HWND Wnd, THandler Handler, bool Unicode);
    void Remove();
    bool Installed() const { return FState != nullptr; }
    HWND Window() const;
    // Hands the message to the procedure that was in place before; the result goes to M.
    void CallPrevious(TMessage& M) const;
    LRESULT CallPrevious(UINT Msg, WPARAM WParam, LPARAM LParam) const;
    // The address the window's procedure slot holds while this subclass is outermost.
    WNDPROC Procedure() const;

  private:
    struct TState;
    static LRESULT CALLBACK Dispatch(TState* State, UINT Msg, WPARAM WParam, LPARAM LParam);
    static void WriteThunk(TState* State);
    static void Release(TState* State);

    TState* FState = nullptr;
    // Kept after Remove, so a handler that lets go while it runs can still pass its message on.
    HWND FWnd = nullptr;
    WNDPROC FPrevious = nullptr;
    bool FUnicode = true;
};
