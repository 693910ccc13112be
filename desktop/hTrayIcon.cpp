#include "hTrayIcon.h"

namespace {

constexpr size_t TipChars = 128;

const UINT TaskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");

} // namespace

UINT TaskbarCreatedMessage() {
    return TaskbarCreated;
}

TCustomhTrayIcon::TCustomhTrayIcon(TComponent* AOwner)
    : TComponent(AOwner), FIcon(std::make_unique<TIcon>()), FDisplayIcon(std::make_unique<TIcon>()),
      FWide(ShellUsesWideRecord()) {
    FAnimateTimer = std::make_unique<TTimer>(nullptr);
    FAnimateTimer->SetEnabled(false);
    FAnimateTimer->SetInterval(1000);
    FAnimateTimer->SetOnTimer([this](TObject*) { AnimateTick(); });
    FIcon->OnChange = [this](TObject*) { IconChanged(); };

    FNotifyWindow =
        std::make_unique<TUtilityWindow>([this](TMessage& M) { NotifyWndProc(M); }, this);
    HWND Wnd = FNotifyWindow->Handle();
    const std::wstring& Title = Application->Title();
    EditRecord([&](auto& R) {
        R.cbSize = sizeof(R);
        R.Wnd = Wnd;
        R.uID = static_cast<UINT>(reinterpret_cast<uintptr_t>(Wnd));
        R.uCallbackMessage = WM_TRAYNOTIFY;
        R.uFlags = NIF_MESSAGE_ | NIF_ICON_;
        R.hIcon = FDisplayIcon->Handle();
        R.uTimeout = 3000;
        CopyField(R.szTip, TipChars, Title);
    });
    SetTipFlag(!Title.empty());

    FAppHook = Application->HookMainWindow([this](TMessage& M) {
        ApplicationHook(M);
        return false;
    });
    HookOwner();
    UpdateTrayIcon();
}

TCustomhTrayIcon::~TCustomhTrayIcon() {
    Destroying();
    if (!ComponentState().Contains(csDesigning)) NotifyShell(NIM_DELETE_);
    FAnimateTimer.reset();
    FNotifyWindow.reset();
    if (Application) Application->UnhookMainWindow(FAppHook);
    UnhookOwner();
}

TWinControl* TCustomhTrayIcon::OwnerControl() const {
    return dynamic_cast<TWinControl*>(Owner());
}

void TCustomhTrayIcon::Loaded() {
    TComponent::Loaded();
    if (OwnerControl() && !ComponentState().Contains(csDesigning)) {
        bool ShowMainForm = !FStartupToTray;
        if (OnStartup) OnStartup(this, ShowMainForm);
        if (!ShowMainForm) {
            Application->SetShowMainForm(false);
            HideMainForm();
        }
    }
    NotifyShell(NIM_MODIFY_);
}

void TCustomhTrayIcon::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FIcons) SetIcons(nullptr);
    if (AComponent == FPopupMenu) FPopupMenu = nullptr;
}

// ---------------------------------------------------------------------------------------------
// The record and the shell

bool TCustomhTrayIcon::NotifyShell(DWORD Message) {
    const void* Record = FWide ? static_cast<const void*>(&FDataW) : &FDataA;
    return ShellNotifyIcon(Message, Record, FWide) != FALSE;
}

void TCustomhTrayIcon::SetRecordFlag(UINT Flag, bool On) {
    EditRecord([&](auto& R) { R.uFlags = On ? (R.uFlags | Flag) : (R.uFlags & ~Flag); });
}

void TCustomhTrayIcon::SetTipFlag(bool On) {
    SetRecordFlag(NIF_TIP_, On);
}

void TCustomhTrayIcon::UpdateTrayIcon() {
    HICON Handle = FDisplayIcon->Handle();
    EditRecord([&](auto& R) { R.hIcon = Handle; });
    if (FVisible) NotifyShell(NIM_MODIFY_);
}

void TCustomhTrayIcon::ResetDisplayIcon() {
    AssignDisplayIcon();
    UpdateTrayIcon();
}

void TCustomhTrayIcon::AssignDisplayIcon() {
    FKeepingFrame = true;
    try {
        if (!FIcon->Empty())
            FDisplayIcon->Assign(*FIcon);
        else
            FDisplayIcon->Assign(*Application->Icon());
    } catch (...) {
        FKeepingFrame = false;
        throw;
    }
    FKeepingFrame = false;
    HICON Handle = FDisplayIcon->Handle();
    EditRecord([&](auto& R) { R.hIcon = Handle; });
}

void TCustomhTrayIcon::IconChanged() {
    // Animate switched off keeps the frame on show as Icon: nothing else to do then.
    if (FKeepingFrame) return;
    FDisplayIcon->Assign(*FIcon);
    UpdateTrayIcon();
}

// ---------------------------------------------------------------------------------------------
// Properties

void TCustomhTrayIcon::SetVisible(bool Value) {
    if (Value == FVisible) return;
    FVisible = Value;
    // The add or delete below carries the icon: no separate modify for it.
    if (!FAnimate || FDisplayIcon->Empty()) AssignDisplayIcon();
    if (ComponentState().Contains(csDesigning)) return;
    UpdateAnimateTimer();
    if (Value) {
        if (!NotifyShell(NIM_ADD_)) throw EOutOfResources(L"STrayIconCreateError");
    } else if (!ComponentState().Contains(csLoading)) {
        if (!NotifyShell(NIM_DELETE_)) throw EOutOfResources(L"STrayIconRemoveError");
    }
}

void TCustomhTrayIcon::UpdateAnimateTimer() {
    // Frames cycle only while there is something to show and somewhere to show it.
    bool Run = FAnimate && FVisible && FIcons && FIcons->Count() > 0 &&
               !ComponentState().Contains(csDesigning);
    FAnimateTimer->SetEnabled(Run);
}

void TCustomhTrayIcon::SetAnimate(bool Value) {
    if (Value == FAnimate) return;
    FAnimate = Value;
    UpdateAnimateTimer();
    if (!Value && !FDisplayIcon->Empty()) {
        // The frame last shown stays on show and becomes the still icon.
        FKeepingFrame = true;
        try {
            FIcon->Assign(*FDisplayIcon);
        } catch (...) {
            FKeepingFrame = false;
            throw;
        }
        FKeepingFrame = false;
    }
}

void TCustomhTrayIcon::AnimateTick() {
    if (OnAnimate) OnAnimate(this);
    const int Frames = FIcons ? FIcons->Count() : 0;
    if (FIconIndex + 1 < Frames)
        SetIconIndex(FIconIndex + 1);
    else if (Frames > 0)
        SetIconIndex(0);
    else
        FIconIndex = 0; // the frames went while animating: the index has nothing past it
    UpdateTrayIcon();
}

void TCustomhTrayIcon::SetIconIndex(int Value) {
    if (Value == FIconIndex) return;
    if (FIcons && (Value < 0 || Value >= FIcons->Count()))
        throw EListError(L"Icon index out of range (" + IntToStr(Value) + L")");
    FIconIndex = Value;
    if (!ComponentState().Contains(csDesigning) && FIcons) FIcons->GetIcon(Value, *FDisplayIcon);
    UpdateTrayIcon();
}

void TCustomhTrayIcon::SetIcons(TImageList* Value) {
    if (Value == FIcons) return;
    if (FIcons) FIcons->RemoveFreeNotification(this);
    FIcons = Value;
    if (Value)
        Value->FreeNotification(this);
    else
        ResetDisplayIcon();
    UpdateAnimateTimer();
}

void TCustomhTrayIcon::SetPopupMenu(TPopupMenu* Value) {
    if (Value == FPopupMenu) return;
    if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
    FPopupMenu = Value;
    if (Value) Value->FreeNotification(this);
}

void TCustomhTrayIcon::SetHint(const std::wstring& Value) {
    if (Value == FHint) return;
    FHint = Value;
    EditRecord([&](auto& R) { CopyField(R.szTip, TipChars, Value); });
    SetTipFlag(!Value.empty());
    UpdateTrayIcon();
}

void TCustomhTrayIcon::SetBalloonHint(const std::wstring& Value) {
    if (Value == FBalloonHint) return;
    FBalloonHint = Value;
    EditRecord([&](auto& R) { CopyField(R.szInfo, std::size(R.szInfo), Value); });
    NotifyShell(NIM_MODIFY_);
}

void TCustomhTrayIcon::SetBalloonTitle(const std::wstring& Value) {
    if (Value == FBalloonTitle) return;
    FBalloonTitle = Value;
    EditRecord([&](auto& R) { CopyField(R.szInfoTitle, std::size(R.szInfoTitle), Value); });
    NotifyShell(NIM_MODIFY_);
}

void TCustomhTrayIcon::SetBalloonTimeout(int Value) {
    FBalloonTimeout = Value;
    EditRecord([&](auto& R) { R.uTimeout = static_cast<UINT>(Value); });
}

bool TCustomhTrayIcon::ShowBalloonHint() {
    SetRecordFlag(NIF_INFO_, true);
    EditRecord([&](auto& R) { R.dwInfoFlags = static_cast<DWORD>(FBalloonFlags); });
    return NotifyShell(NIM_MODIFY_);
}

// ---------------------------------------------------------------------------------------------
// Messages

void TCustomhTrayIcon::NotifyWndProc(TMessage& M) {
    M.Result = 0;
    if (M.Msg == TaskbarCreated && TaskbarCreated != 0) {
        // The shell started again and knows no icon of ours.
        if (FVisible) NotifyShell(NIM_ADD_);
        return;
    }
    switch (M.Msg) {
    case WM_SIZE:
        if (M.WParam == SIZE_MINIMIZED && FMinimizeToTray) DoMinimizeToTray();
        break;
    case WM_QUERYENDSESSION:
        M.Result = 1;
        break;
    case WM_ENDSESSION:
        if (M.WParam) NotifyShell(NIM_DELETE_);
        break;
    case WM_TRAYNOTIFY:
        MouseEvent(static_cast<UINT>(M.LParam));
        break;
    default:
        break;
    }
}

void TCustomhTrayIcon::MouseEvent(UINT Event) {
    POINT P{};
    GetCursorPos(&P);
    TShiftState Shift = KeyboardShiftState();
    auto Down = [&](TMouseButton B, TShiftStateFlag F) {
        if (OnMouseDown) OnMouseDown(this, B, TShiftState(Shift).Include(F), P.x, P.y);
    };
    auto Up = [&](TMouseButton B, TShiftStateFlag F) {
        if (OnMouseUp) OnMouseUp(this, B, TShiftState(Shift).Include(F), P.x, P.y);
    };
    switch (Event) {
    case WM_MOUSEMOVE:
        if (OnMouseMove) OnMouseMove(this, Shift, P.x, P.y);
        break;
    case WM_LBUTTONDOWN:
        Down(mbLeft, ssLeft);
        FClickArmed = true;
        break;
    case WM_LBUTTONUP:
        if (FLeftPopup && FPopupMenu && !PopupAtCursor()) return;
        // Only a press seen on the icon makes a click: a release after a drag from elsewhere
        // does not.
        if (FClickArmed && OnClick) {
            OnClick(this);
            FClickArmed = false;
        }
        Up(mbLeft, ssLeft);
        break;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
        if (FRestoreDBClick) RestoreMainForm();
        if (OnDblClick) OnDblClick(this);
        break;
    case WM_RBUTTONDOWN:
        Down(mbRight, ssRight);
        break;
    case WM_RBUTTONUP:
        Up(mbRight, ssRight);
        if (FPopupMenu) PopupAtCursor();
        break;
    case WM_MBUTTONDOWN:
        Down(mbMiddle, ssMiddle);
        break;
    case WM_MBUTTONUP:
        Up(mbMiddle, ssMiddle);
        break;
    case NIN_BALLOONSHOW_:
        if (OnBalloonHintShow) OnBalloonHintShow(this);
        break;
    case NIN_BALLOONHIDE_:
        SetRecordFlag(NIF_INFO_, false);
        if (OnBalloonHintHide) OnBalloonHintHide(this);
        break;
    case NIN_BALLOONTIMEOUT_:
        SetRecordFlag(NIF_INFO_, false);
        if (OnBalloonHintTimeout) OnBalloonHintTimeout(this);
        break;
    case NIN_BALLOONUSERCLICK_:
        if (OnBalloonHintClick) OnBalloonHintClick(this);
        break;
    default:
        break;
    }
}

bool TCustomhTrayIcon::PopupAtCursor() {
    // The pending messages and the menu's own loop may free this component: nothing of it is
    // touched once they did.
    std::weak_ptr<bool> Alive = FAlive;
    // The menu closes on a click elsewhere only when the program has the foreground.
    SetForegroundWindow(Application->Handle());
    Application->ProcessMessages();
    if (Alive.expired()) return false;
    // The menu may have gone while the pending messages ran.
    if (!FPopupMenu) return true;
    FPopupMenu->SetAutoPopup(false);
    FPopupMenu->SetPopupComponent(Owner());
    POINT P{};
    GetCursorPos(&P);
    FPopupMenu->Popup(P.x, P.y);
    return !Alive.expired();
}

// ---------------------------------------------------------------------------------------------
// Minimising to the tray and coming back

void TCustomhTrayIcon::DoMinimizeToTray() {
    HideMainForm();
    SetVisible(true);
}

void TCustomhTrayIcon::HideApplicationWindow() {
    HWND App = Application->Handle();
    if (IsWindowVisible(App)) ShowWindow(App, SW_HIDE);
}

void TCustomhTrayIcon::HideMainForm() {
    TCustomForm* Main = Application->MainForm();
    if (!OwnerControl() || !Main) return;
    Main->SetVisible(false);
    HideApplicationWindow();
}

void TCustomhTrayIcon::RestoreMainForm() {
    TCustomForm* Main = Application->MainForm();
    if (!OwnerControl() || !Main) return;
    Application->Restore();
    if (Main->WindowState() == wsMinimized) Main->SetWindowState(wsNormal);
    Main->SetVisible(true);
    SetForegroundWindow(Application->Handle());
}

void TCustomhTrayIcon::ApplicationHook(TMessage& M) {
    TCustomForm* Main = Application->MainForm();
    switch (M.Msg) {
    case WM_SIZE:
        if (M.WParam == SIZE_MINIMIZED && FMinimizeToTray) DoMinimizeToTray();
        break;
    case WM_WINDOWPOSCHANGED:
        if (FStartup && Main) {
            if (Main->FormStyle() == fsMDIForm) {
                bool ShowMainForm = true;
                if (OnStartup) OnStartup(this, ShowMainForm);
                if (!ShowMainForm) HideApplicationWindow();
            }
            FStartup = false;
        }
        break;
    case WM_SYSCOMMAND:
        if ((M.WParam & 0xFFF0) == SC_RESTORE && Main) Main->SetVisible(true);
        break;
    default:
        break;
    }
}

void TCustomhTrayIcon::HookOwner() {
    TWinControl* C = OwnerControl();
    if (!C || ComponentState().Contains(csDesigning)) return;
    FOwnerHook.Install(
        *C, [this](TMessage& M, const TWndMethod& Previous) { OwnerWndProc(M, Previous); });
}

void TCustomhTrayIcon::UnhookOwner() {
    FOwnerHook.Remove();
}

void TCustomhTrayIcon::OwnerWndProc(TMessage& M, const TWndMethod& Previous) {
    bool Minimizing = (M.Msg == WM_SHOWWINDOW && M.WParam == 0 && M.LParam == SW_PARENTCLOSING &&
                       !Application->Terminated()) ||
                      (M.Msg == WM_SYSCOMMAND && (M.WParam & 0xFFF0) == SC_MINIMIZE);
    if (Minimizing && FMinimizeToTray && OnMinimizeToTray) {
        OnMinimizeToTray(this);
        DoMinimizeToTray();
        M.Result = 1;
        return;
    }
    if (M.Msg == WM_SHOWWINDOW && M.WParam == 1 && M.LParam == 0) {
        SetForegroundWindow(Application->Handle());
        if (auto* C = OwnerControl()) SetForegroundWindow(C->Handle());
    }
    Previous(M);
}

PUBLISHED(TCustomhTrayIcon) {}

PUBLISHED(ThTrayIcon) {
    using T = ThTrayIcon;
    p.Property(L"Animate", &T::Animate, &T::SetAnimate);
    p.Property(L"AnimateInterval", &T::AnimateInterval, &T::SetAnimateInterval);
    p.Property(L"Hint", &T::Hint, &T::SetHint);
    p.Property(L"RestoreDBClick", &T::RestoreDBClick, &T::SetRestoreDBClick);
    p.Property(L"BalloonHint", &T::BalloonHint, &T::SetBalloonHint);
    p.Property(L"BalloonTitle", &T::BalloonTitle, &T::SetBalloonTitle);
    p.Property(L"BalloonTimeout", &T::BalloonTimeout, &T::SetBalloonTimeout);
    p.Property(L"BalloonFlags", &T::BalloonFlags, &T::SetBalloonFlags);
    p.Property(L"Icon", &T::Icon);
    p.Property(L"Icons", &T::Icons, &T::SetIcons);
    p.Property(L"IconIndex", &T::IconIndex, &T::SetIconIndex);
    p.Property(L"PopupMenu", &T::PopupMenu, &T::SetPopupMenu);
    p.Property(L"LeftPopup", &T::LeftPopup, &T::SetLeftPopup);
    p.Property(L"MinimizeToTray", &T::MinimizeToTray, &T::SetMinimizeToTray);
    p.Property(L"StartupToTray", &T::StartupToTray, &T::SetStartupToTray);
    p.Property(L"Visible", &T::Visible, &T::SetVisible);
    p.Property(L"OnClick", &T::OnClick);
    p.Property(L"OnDblClick", &T::OnDblClick);
    p.Property(L"OnMouseMove", &T::OnMouseMove);
    p.Property(L"OnMouseDown", &T::OnMouseDown);
    p.Property(L"OnMouseUp", &T::OnMouseUp);
    p.Property(L"OnAnimate", &T::OnAnimate);
    p.Property(L"OnMinimizeToTray", &T::OnMinimizeToTray);
    p.Property(L"OnStartup", &T::OnStartup);
    p.Property(L"OnBalloonHintShow", &T::OnBalloonHintShow);
    p.Property(L"OnBalloonHintHide", &T::OnBalloonHintHide);
    p.Property(L"OnBalloonHintTimeout", &T::OnBalloonHintTimeout);
    p.Property(L"OnBalloonHintClick", &T::OnBalloonHintClick);
}
