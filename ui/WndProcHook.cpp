#include "WndProcHook.h"

void TWindowProcHook::TThunk::operator()(TMessage& Message) const {
    // The handler may remove the hook, which destroys this thunk: work on a copy of the state.
    std::shared_ptr<TState> S = State;
    if (S->Active)
        S->Handler(Message, S->Previous);
    else if (S->Previous)
        S->Previous(Message);
}

void TWindowProcHook::Install(TControl& Control, THandler Handler) {
    Remove();
    FState = std::make_shared<TState>();
    FState->Previous = Control.WindowProc;
    FState->Handler = std::move(Handler);
    Control.WindowProc = TThunk{FState};
    FControl = &Control;
}

void TWindowProcHook::Remove() {
    if (!FControl) return;
    auto* Outer = FControl->WindowProc.target<TThunk>();
    if (Outer && Outer->State == FState)
        FControl->WindowProc = FState->Previous;
    else
        FState->Active = false;
    Forget();
}

void TWindowProcHook::Forget() {
    if (FState) FState->Active = false;
    FControl = nullptr;
}
