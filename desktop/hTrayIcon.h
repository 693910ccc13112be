// ThTrayIcon: the program's icon in the notification area of the task bar.
//
//   auto* Tray = new ThTrayIcon(Form);        // the form's window procedure is hooked
//   Tray->Icon()->Assign(*SomeIcon);
//   Tray->SetHint(L"电话系统");
//   Tray->SetIcons(ImageList1);               // frames for SetAnimate(true)
//   Tray->SetMinimizeToTray(true);            // minimising hides the program in the tray
//   Tray->OnClick = [](TObject*) { ... };
//   Tray->SetVisible(true);                   // throws EOutOfResources when the shell refuses
//
// The shell's callbacks reach a hidden window of the component as message WM_TRAYNOTIFY with the
// mouse or balloon event in LParam. While the icon is visible it is added again whenever the
// task bar is created anew (the shell restarted). Minimising the application (or its main form)
// with MinimizeToTray hides the main form and the application window and shows the icon; a
// double click on the icon brings them back (and with them the form's OnShow).
#pragma once

#include "ExtCtrls.h"
#include "Forms.h"
#include "ImgList.h"
#include "Menus.h"
#include "ShellNotify.h"
#include "WndProcHook.h"

#include <memory>

enum TBalloonFlags { bfNone, bfInfo, bfWarning, bfError };
DECLARE_ENUM_NAMES(TBalloonFlags, L"bfNone", L"bfInfo", L"bfWarning", L"bfError")

using TStartupEvent = std::function<void(TObject* Sender, bool& ShowMainForm)>;

// The shell would not add or remove the icon.
class EOutOfResources : public Exception {
  public:
    using Exception::Exception;
};

// The callback message of the icon, and the balloon events the shell sends through it.
constexpr UINT WM_TRAYNOTIFY = WM_USER + 1; // 0x0401
constexpr UINT NIN_BALLOONSHOW_ = WM_USER + 2;
constexpr UINT NIN_BALLOONHIDE_ = WM_USER + 3;
constexpr UINT NIN_BALLOONTIMEOUT_ = WM_USER + 4;
constexpr UINT NIN_BALLOONUSERCLICK_ = WM_USER + 5;
// Flags of the notification record.
constexpr UINT NIF_MESSAGE_ = 1, NIF_ICON_ = 2, NIF_TIP_ = 4, NIF_INFO_ = 0x10;

// The message the shell broadcasts when the task bar was created (anew).
UINT TaskbarCreatedMessage();

class TCustomhTrayIcon : public TComponent {
    DECLARE_CLASS(TCustomhTrayIcon, TComponent)
  public:
    explicit TCustomhTrayIcon(TComponent* AOwner);
    ~TCustomhTrayIcon() override;

    bool Animate() const { return FAnimate; }
    void SetAnimate(bool Value);
    unsigned AnimateInterval() const { return FAnimateTimer->Interval(); }
    void SetAnimateInterval(unsigned Value) { FAnimateTimer->SetInterval(Value); }
    const std::wstring& Hint() const { return FHint; }
    void SetHint(const std::wstring& Value);
    bool RestoreDBClick() const { return FRestoreDBClick; }
    void SetRestoreDBClick(bool Value) { FRestoreDBClick = Value; }
    const std::wstring& BalloonHint() const { return FBalloonHint; }
    void SetBalloonHint(const std::wstring& Value);
    const std::wstring& BalloonTitle() const { return FBalloonTitle; }
    void SetBalloonTitle(const std::wstring& Value);
    int BalloonTimeout() const { return FBalloonTimeout; }
    void SetBalloonTimeout(int Value);
    TBalloonFlags BalloonFlags() const { return FBalloonFlags; }
    void SetBalloonFlags(TBalloonFlags Value) { FBalloonFlags = Value; }
    // Changing the icon object (Assign, SetHandle, loading) is setting the icon.
    TIcon* Icon() const { return FIcon.get(); }
    TImageList* Icons() const { return FIcons; }
    void SetIcons(TImageList* Value);
    int IconIndex() const { return FIconIndex; }
    // Throws EListError for an index that Icons does not have.
    virtual void SetIconIndex(int Value);
    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* Value);
    bool LeftPopup() const { return FLeftPopup; }
    void SetLeftPopup(bool Value) { FLeftPopup = Value; }
    bool MinimizeToTray() const { return FMinimizeToTray; }
    void SetMinimizeToTray(bool Value) { FMinimizeToTray = Value; }
    bool StartupToTray() const { return FStartupToTray; }
    void SetStartupToTray(bool Value) { FStartupToTray = Value; }
    bool Visible() const { return FVisible; }
    virtual void SetVisible(bool Value);

    // Shows the balloon (BalloonHint, BalloonTitle, BalloonFlags); the shell's answer.
    virtual bool ShowBalloonHint();

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TNotifyEvent OnAnimate;
    TNotifyEvent OnMinimizeToTray;
    TStartupEvent OnStartup;
    TNotifyEvent OnBalloonHintShow;
    TNotifyEvent OnBalloonHintHide;
    TNotifyEvent OnBalloonHintTimeout;
    TNotifyEvent OnBalloonHintClick;

    // The icon handed to the shell: a copy of Icon, or the animation frame on show.
    TIcon* DisplayIcon() const { return FDisplayIcon.get(); }
    // The window the shell's callbacks go to (its handle is also the icon's identifier).
    HWND NotifyWindow() const { return FNotifyWindow->Handle(); }
    bool Animating() const { return FAnimateTimer->Running(); }

    // Brings the application and its main form back from the notification area, as a double
    // click on the icon does (the form's OnShow runs).
    void RestoreMainForm();

  protected:
    virtual void NotifyWndProc(TMessage& Message);
    virtual void AnimateTick();
    virtual void DoMinimizeToTray();
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    // NIM_ADD_, NIM_MODIFY_ or NIM_DELETE_ with the record of the platform's kind.
    bool NotifyShell(DWORD Message);
    void UpdateTrayIcon();
    void ResetDisplayIcon();
    void HideApplicationWindow();
    void HideMainForm();

  private:
    template <class F> void EditRecord(F&& Edit) {
        if (FWide)
            Edit(FDataW);
        else
            Edit(FDataA);
    }
    void SetTipFlag(bool On);
    void SetRecordFlag(UINT Flag, bool On);
    // DisplayIcon := Icon (or the application's icon), into the record without telling the shell.
    void AssignDisplayIcon();
    void IconChanged();
    void UpdateAnimateTimer();
    void ApplicationHook(TMessage& Message);
    void HookOwner();
    void UnhookOwner();
    void OwnerWndProc(TMessage& Message, const TWndMethod& Previous);
    void MouseEvent(UINT Event);
    // False when the component was freed meanwhile.
    bool PopupAtCursor();
    TWinControl* OwnerControl() const;

    bool FAnimate = false;
    std::wstring FHint;
    bool FRestoreDBClick = true;
    std::wstring FBalloonHint;
    std::wstring FBalloonTitle;
    int FBalloonTimeout = 3000;
    TBalloonFlags FBalloonFlags = bfNone;
    std::unique_ptr<TIcon> FIcon;
    std::unique_ptr<TIcon> FDisplayIcon;
    TImageList* FIcons = nullptr;
    int FIconIndex = 0;
    TPopupMenu* FPopupMenu = nullptr;
    bool FLeftPopup = false;
    bool FMinimizeToTray = false;
    bool FStartupToTray = false;
    bool FVisible = false;

    bool FClickArmed = false;
    bool FStartup = true;
    bool FKeepingFrame = false;
    bool FWide;
    TNotifyIconDataW FDataW{};
    TNotifyIconDataA FDataA{};
    std::unique_ptr<TTimer> FAnimateTimer;
    std::unique_ptr<TUtilityWindow> FNotifyWindow;
    int FAppHook = 0;
    TWindowProcHook FOwnerHook;
    // Expires with the component: code that lets messages run checks it afterwards.
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

class ThTrayIcon : public TCustomhTrayIcon {
    DECLARE_CLASS(ThTrayIcon, TCustomhTrayIcon)
  public:
    using TCustomhTrayIcon::TCustomhTrayIcon;
};
