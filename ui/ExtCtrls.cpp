#include "ExtCtrls.h"

#include "Handles.h"

TTimer::TTimer(TComponent* AOwner)
    : TComponent(AOwner),
      FWindow(std::make_unique<TUtilityWindow>([this](TMessage& M) { WndProc(M); }, this)) {}

TTimer::~TTimer() {
    Destroying();
    FEnabled = false;
    UpdateTimer();
}

void TTimer::UpdateTimer() {
    if (FRunning) {
        KillTimer(FWindow->Handle(), 1);
        HandleCount::Remove(THandleKind::Timer);
        FRunning = false;
    }
    if (FEnabled && FInterval > 0 && FOnTimer && !ComponentState().Contains(csLoading) &&
        !ComponentState().Contains(csDestroying)) {
        if (!SetTimer(FWindow->Handle(), 1, FInterval, nullptr))
            throw EOSError(L"SetTimer", GetLastError());
        HandleCount::Add(THandleKind::Timer);
        FRunning = true;
    }
}

void TTimer::SetEnabled(bool V) {
    if (V == FEnabled) return;
    FEnabled = V;
    UpdateTimer();
}

void TTimer::SetInterval(unsigned V) {
    if (V == FInterval) return;
    FInterval = V;
    UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent V) {
    bool Had = static_cast<bool>(FOnTimer);
    FOnTimer = std::move(V);
    // Replacing one handler by another keeps the countdown; gaining or losing one does not.
    if (Had != static_cast<bool>(FOnTimer)) UpdateTimer();
}

void TTimer::Loaded() {
    TComponent::Loaded();
    UpdateTimer();
}

void TTimer::Timer() {
    if (FOnTimer) FOnTimer(this);
}

void TTimer::WndProc(TMessage& M) {
    if (M.Msg == WM_TIMER) {
        if (FRunning) Timer();
        return;
    }
    FWindow->DefaultHandler(M);
}

PUBLISHED(TTimer) {
    p.Property(L"Enabled", &TTimer::Enabled, &TTimer::SetEnabled);
    p.Property(L"Interval", &TTimer::Interval, &TTimer::SetInterval);
    p.Property(L"OnTimer", &TTimer::OnTimer, &TTimer::SetOnTimer);
}
