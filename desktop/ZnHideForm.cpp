#include "ZnHideForm.h"

namespace {

constexpr UINT_PTR WakeUpTimerId = 1;

int ScreenWidth() {
    return GetSystemMetrics(SM_CXSCREEN);
}

TCustomForm* FindOwnerForm(TComponent* Owner) {
    for (TComponent* C = Owner; C; C = C->Owner())
        if (auto* F = dynamic_cast<TCustomForm*>(C)) return F;
    return nullptr;
}

} // namespace

TZnHideForm::TZnHideForm(TComponent* AOwner) : TComponent(AOwner), FForm(FindOwnerForm(AOwner)) {
    if (!FForm) throw Exception(L"未找到主窗体");
    // The form may sit further up the owner chain and go before us.
    FForm->FreeNotification(this);
}

TZnHideForm::~TZnHideForm() {
    Destroying();
    SetAutoDock(false);
}

void TZnHideForm::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove || AComponent != FForm) return;
    FHook.Forget();
    StopWakeUp();
    FForm = nullptr;
}

void TZnHideForm::Loaded() {
    TComponent::Loaded();
    // Topmost placement waits for the whole description: the form's window is made for it.
    // A form that is not showing yet is only made topmost here: showing it would bypass its
    // own showing, and with it OnShow.
    if (FAlwaysTop) ApplyAlwaysTop(false);
}

void TZnHideForm::SetAutoDock(bool Value) {
    if (Value == FAutoDock) return;
    FAutoDock = Value;
    if (ComponentState().Contains(csDesigning) || !FForm) return;
    if (Value) {
        FDockRect = FForm->BoundsRect();
        FHook.Install(
            *FForm, [this](TMessage& M, const TWndMethod& Previous) { FormWndProc(M, Previous); });
        FWakeUp = std::make_unique<TUtilityWindow>([this](TMessage& M) { WakeUpWndProc(M); }, this);
        if (!SetTimer(FWakeUp->Handle(), WakeUpTimerId, WakeUpInterval, nullptr)) {
            DWORD Error = GetLastError();
            FWakeUp.reset();
            FHook.Remove();
            FAutoDock = false;
            throw EOSError(L"SetTimer", Error);
        }
        HandleCount::Add(THandleKind::Timer);
        FWakeUpTimer = true;
    } else {
        StopWakeUp();
        FHook.Remove();
        FDockPos = dpNone;
    }
}

void TZnHideForm::StopWakeUp() {
    if (FWakeUpTimer) {
        KillTimer(FWakeUp->Handle(), WakeUpTimerId);
        HandleCount::Remove(THandleKind::Timer);
        FWakeUpTimer = false;
    }
    FWakeUp.reset();
}

void TZnHideForm::WakeUpWndProc(TMessage& M) {
    // The tick only has to pass through the message loop, whose idle processing then looks at
    // the control under the pointer again.
    if (M.Msg == WM_TIMER && M.WParam == WakeUpTimerId) return;
    FWakeUp->DefaultHandler(M);
}

void TZnHideForm::SetAlwaysTop(bool Value) {
    if (Value == FAlwaysTop) return;
    FAlwaysTop = Value;
    if (ComponentState().Contains(csDesigning) || ComponentState().Contains(csLoading) || !FForm)
        return;
    // Switched at run time, the placement also shows the form.
    ApplyAlwaysTop(true);
}

void TZnHideForm::ApplyAlwaysTop(bool Show) {
    // A hidden form is shown through its own showing, so that OnShow runs as for any other.
    if (Show && !FForm->Visible()) FForm->Show();
    UINT Flags = SWP_NOMOVE | SWP_NOSIZE;
    if (FForm->Visible()) Flags |= SWP_SHOWWINDOW;
    HWND App = Application->Handle();
    // Wine keeps an owned window topmost while its owner lies above every other window that is
    // not topmost; the application window is hidden and of no size, so it may go to the back.
    if (!FAlwaysTop)
        SetWindowPos(App, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(FForm->Handle(), FAlwaysTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, Flags);
    LONG ExStyle = GetWindowLongW(App, GWL_EXSTYLE);
    if (FAlwaysTop) {
        // A hidden tool window has no taskbar button.
        ShowWindow(App, SW_HIDE);
        SetWindowLongW(App, GWL_EXSTYLE, (ExStyle & ~WS_EX_APPWINDOW) | WS_EX_TOOLWINDOW);
    } else {
        SetWindowLongW(App, GWL_EXSTYLE, (ExStyle & ~WS_EX_TOOLWINDOW) | WS_EX_APPWINDOW);
        ShowWindow(App, SW_SHOW);
    }
}

void TZnHideForm::SetEdgeSpace(int32_t Value) {
    if (Value < 1 || Value > 50) throw Exception(L"请填写1-50以内的数字");
    FEdgeSpace = Value;
}

void TZnHideForm::SetValidSpace(int32_t Value) {
    if (Value < 5 || Value > 50) throw Exception(L"请填写5-50以内的数字");
    FValidSpace = Value;
}

void TZnHideForm::FormWndProc(TMessage& M, const TWndMethod& Previous) {
    Previous(M);
    if (!FAutoDock) return;
    switch (M.Msg) {
    case WM_MOVING:
        if (M.LParam) SnapAndDock(*reinterpret_cast<RECT*>(M.LParam));
        break;
    case CM_MOUSEENTER:
        if (FHidden) ShowForm();
        break;
    case CM_MOUSELEAVE:
        if (FDockPos != dpNone) HideForm();
        break;
    default:
        break;
    }
}

void TZnHideForm::SnapAndDock(RECT& R) {
    const int S = ScreenWidth();
    const RECT& D = FDockRect;
    // One rule at most, top before left before right; the size never changes. An edge is only
    // taken while the form moves towards it (or along it).
    if (R.top < FValidSpace && R.top <= D.top) {
        R.bottom -= R.top;
        R.top = 0;
    } else if (R.left < FValidSpace && R.left <= D.left) {
        R.right -= R.left;
        R.left = 0;
    } else if (S - R.right < FValidSpace && R.left >= D.left) {
        R.left = S - (R.right - R.left);
        R.right = S;
    }
    FDockPos = R.top == 0 ? dpTop : R.left == 0 ? dpLeft : R.right == S ? dpRight : dpNone;
    FDockRect = R;
    if (FDockPos != dpNone && DockEvent) DockEvent(FDockPos);
}

void TZnHideForm::HideForm() {
    POINT P;
    GetCursorPos(&P);
    // Still inside: the pointer only moved between the form and one of its controls.
    if (PtInRect(&FDockRect, P)) return;
    FHidden = true;
    if (OnHideForm) {
        OnHideForm(FDockPos);
        return;
    }
    switch (FDockPos) {
    case dpTop:
        FForm->SetTop(FEdgeSpace - FForm->Height());
        break;
    case dpLeft:
        FForm->SetLeft(FEdgeSpace - FForm->Width());
        break;
    case dpRight:
        FForm->SetLeft(ScreenWidth() - FEdgeSpace);
        break;
    case dpNone:
        break;
    }
}

void TZnHideForm::SlideOut() {
    if (FAutoDock && FHidden && FForm) ShowForm();
}

void TZnHideForm::ShowForm() {
    FHidden = false;
    if (OnShowForm) {
        OnShowForm(FDockPos);
        return;
    }
    switch (FDockPos) {
    case dpTop:
        FForm->SetTop(0);
        break;
    case dpLeft:
        FForm->SetLeft(0);
        break;
    case dpRight:
        FForm->SetLeft(ScreenWidth() - FForm->Width());
        break;
    case dpNone:
        break;
    }
}

PUBLISHED(TZnHideForm) {
    p.Property(L"DockPos", &TZnHideForm::DockPos);
    p.Property(L"AutoDock", &TZnHideForm::AutoDock, &TZnHideForm::SetAutoDock);
    p.Property(L"AlwaysTop", &TZnHideForm::AlwaysTop, &TZnHideForm::SetAlwaysTop);
    p.Property(L"EdgeSpace", &TZnHideForm::EdgeSpace, &TZnHideForm::SetEdgeSpace);
    p.Property(L"ValidSpace", &TZnHideForm::ValidSpace, &TZnHideForm::SetValidSpace);
    p.Property(L"DockEvent", &TZnHideForm::DockEvent);
    p.Property(L"OnHideForm", &TZnHideForm::OnHideForm);
    p.Property(L"OnShowForm", &TZnHideForm::OnShowForm);
}
