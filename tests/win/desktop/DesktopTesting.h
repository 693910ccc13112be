// Shared helpers of the desktop component tests: a message loop that behaves like the
// application's own (idle processing only once the queue is empty) with a deadline, and forms
// with a control on them.
#pragma once

#include "Forms.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

// Handles messages as the application's loop does until Done() holds or Ms have passed; true
// when it held. Between messages it waits for the next one (never a fixed sleep), so idle
// processing runs exactly when the real loop would run it.
inline bool WaitFor(const std::function<bool()>& Done, DWORD Ms) {
    DWORD Start = GetTickCount();
    for (;;) {
        if (Done()) return true;
        DWORD Elapsed = GetTickCount() - Start;
        if (Elapsed >= Ms) return false;
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, Ms - Elapsed, QS_ALLINPUT) ==
            WAIT_OBJECT_0) {
            Application->ProcessMessages();
            Application->Idle();
        }
    }
}

// Handles messages for Ms milliseconds (for checks that something does NOT happen).
inline void PumpFor(DWORD Ms) {
    (void)WaitFor([] { return false; }, Ms);
}

class TDeskForm : public TForm {
    DECLARE_CLASS(TDeskForm, TForm)
  public:
    using TForm::TForm;
};

// A plain windowed control of its own class (stands for a button on the form).
class TDeskPad : public TCustomControl {
    DECLARE_CLASS(TDeskPad, TCustomControl)
  public:
    using TCustomControl::TCustomControl;
};

PUBLISHED(TDeskForm) {}
PUBLISHED(TDeskPad) {}

// A borderless form, so that its bounds are exactly what the tests place.
inline std::unique_ptr<TDeskForm> MakeDeskForm(int Left, int Top, int Width, int Height) {
    auto F = std::make_unique<TDeskForm>(nullptr);
    F->SetBorderStyle(bsNone);
    F->SetBounds(Left, Top, Width, Height);
    F->SetFormStyle(fsStayOnTop);
    return F;
}

inline int ScreenW() {
    return GetSystemMetrics(SM_CXSCREEN);
}
inline int ScreenH() {
    return GetSystemMetrics(SM_CYSCREEN);
}

// A spot on the desktop far from every test window.
inline void PointerToDesktop() {
    SetCursorPos(ScreenW() / 2, ScreenH() - 40);
}
