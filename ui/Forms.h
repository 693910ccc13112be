// Forms and the application object.
//
//   class TFmain : public TForm {
//       DECLARE_CLASS(TFmain, TForm)
//   public:
//       explicit TFmain(TComponent* AOwner) : TForm(AOwner) {
//           RegisterHandler(L"FormShow", &TFmain::FormShow);   // handlers the description binds
//           RegisterField(L"Timer1", Timer1);                  // filled in after reading
//       }
//       void FormShow(TObject* Sender);
//       TTimer* Timer1 = nullptr;
//   };
//   PUBLISHED(TFmain) {}
//
//   Application->Initialize();
//   Application->CreateForm(Fmain);   // reads the description resource "TFMAIN", runs OnCreate
//   Application->Run();               // shows the main form; returns when it closes
//
// A form's window class is named after its C++ class, and every form window is owned by the
// application's hidden window (class "TApplication"), which carries the taskbar button.
#pragma once

#include "Controls.h"
#include "Menus.h"

#include <map>

enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
DECLARE_ENUM_NAMES(TBorderIcon, L"biSystemMenu", L"biMinimize", L"biMaximize", L"biHelp")
using TBorderIcons = TSet<TBorderIcon>;

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
DECLARE_ENUM_NAMES(TFormBorderStyle, L"bsNone", L"bsSingle", L"bsSizeable", L"bsDialog",
                   L"bsToolWindow", L"bsSizeToolWin")

enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
DECLARE_ENUM_NAMES(TFormStyle, L"fsNormal", L"fsMDIChild", L"fsMDIForm", L"fsStayOnTop")

enum TPosition {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter
};
DECLARE_ENUM_NAMES(TPosition, L"poDesigned", L"poDefault", L"poDefaultPosOnly",
                   L"poDefaultSizeOnly", L"poScreenCenter", L"poDesktopCenter", L"poMainFormCenter",
                   L"poOwnerFormCenter")

enum TWindowState { wsNormal, wsMinimized, wsMaximized };
DECLARE_ENUM_NAMES(TWindowState, L"wsNormal", L"wsMinimized", L"wsMaximized")

enum TCloseAction { caNone, caHide, caFree, caMinimize };
DECLARE_ENUM_NAMES(TCloseAction, L"caNone", L"caHide", L"caFree", L"caMinimize")

enum TTileMode { tbHorizontal, tbVertical };
DECLARE_ENUM_NAMES(TTileMode, L"tbHorizontal", L"tbVertical")

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

class TCustomForm : public TWinControl, public IMenuBarHost {
    DECLARE_CLASS(TCustomForm, TWinControl)
  public:
    explicit TCustomForm(TComponent* AOwner);
    ~TCustomForm() override;

    // Constructs T, reads its stored description (the resource named after the class, when
    // there is one), binds registered fields and runs OnCreate.
    template <class T> static T* CreateForm(TComponent* Owner) {
        std::unique_ptr<T> F(new T(Owner));
        F->InitializeForm();
        return F.release();
    }
    void InitializeForm();

    // Sets Ref to the component of that name once the description was read.
    template <class C> void RegisterField(std::wstring_view Name, C*& Ref) {
        AddField(Name, &Ref, [](void* Field, TComponent* Found) {
            C*& Ref = *static_cast<C**>(Field);
            Ref = dynamic_cast<C*>(Found);
            return Ref || !Found;
        });
    }

    void SetVisible(bool V) override;
    void Close();
    virtual bool CloseQuery();
    // Frees the form once the messages now queued were handled.
    void Release();
    void SetClientSize(int AWidth, int AHeight) override;
    RECT ClientRect() const override;

    TBorderIcons BorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(TBorderIcons V);
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle V);
    TFormStyle FormStyle() const { return FFormStyle; }
    void SetFormStyle(TFormStyle V);
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition V) { FPosition = V; }
    TWindowState WindowState() const;
    void SetWindowState(TWindowState V);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool V);
    bool KeyPreview() const { return FKeyPreview; }
    void SetKeyPreview(bool V) { FKeyPreview = V; }
    TWinControl* ActiveControl() const { return FActiveControl; }
    void SetActiveControl(TWinControl* V);
    TIcon* Icon() const { return FIcon.get(); }
    TComponent* Menu() const { return FMenu; }
    void SetMenu(TComponent* V);
    HWND MenuBarWindow(const TMainMenu* M) override;
    void MenuBarGoing(const TMainMenu* M) override;
    TCanvas* Canvas() const { return FCanvas.get(); }

    // Multiple documents. A frame form (fsMDIForm) keeps its child forms in a window of class
    // "MDIClient" that fills its client area; its menu bar shows its own menu with the active
    // child's menu merged in before the window menu (the item whose list the client ends with
    // one entry per child). A child form (fsMDIChild) is made by the client of the
    // application's frame form and is shown from the start; closing one minimises it unless
    // its OnClose says otherwise.
    HWND ClientHandle() const { return FClientHandle; }
    TComponent* WindowMenu() const { return FWindowMenu; }
    void SetWindowMenu(TComponent* V);
    TTileMode TileMode() const { return FTileMode; }
    void SetTileMode(TTileMode V) { FTileMode = V; }
    int MDIChildCount() const;
    // In the client's order: the active child first.
    TCustomForm* MDIChildren(int Index) const;
    TCustomForm* ActiveMDIChild() const;
    void Tile();
    void Cascade();
    void ArrangeIcons();
    void Next();
    void Previous();

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TNotifyEvent OnPaint;

  protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateHandle() override;
    HWND CreateWindowHandle(const TCreateParams& Params) override;
    void DestroyWindowHandle() override;
    void WndProc(TMessage& Message) override;
    void DefaultHandler(TMessage& Message) override;
    void PaintWindow(HDC DC) override;
    void AdjustSize() override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    bool WantsKeyPreview() const override { return FKeyPreview; }
    virtual void DoCreate();
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& Action);

  private:
    void ApplyStayOnTop();
    void PlaceWindow();
    void FrameStyle(DWORD& Style, DWORD& ExStyle) const;
    // The frame form MDI children go into; null when there is none.
    static TCustomForm* MDIFrame();
    void CreateMDIClient();
    HMENU WindowMenuHandle() const;
    // The frame's menu bar again, with the menu of Active (the active child, or null) merged.
    void MergeMDIMenu(TCustomForm* Active);
    void BuildMergedMenu(TCustomForm* Active);
    void MDIMenuChanged();

    TBorderIcons FBorderIcons{biSystemMenu, biMinimize, biMaximize};
    TFormBorderStyle FBorderStyle = bsSizeable;
    TFormStyle FFormStyle = fsNormal;
    TPosition FPosition = poDesigned;
    TWindowState FWindowState = wsNormal;
    bool FAutoSize = false;
    bool FKeyPreview = false;
    bool FPlaced = false;
    TWinControl* FActiveControl = nullptr;
    TComponent* FMenu = nullptr;
    std::unique_ptr<TIcon> FIcon;
    std::unique_ptr<TCanvas> FCanvas;
    // A registered field and how to set it: false when the component is of another class.
    // Plain functions, one per field type, rather than a function object per field.
    struct TField {
        void* Ref;
        bool (*Bind)(void* Ref, TComponent* Found);
    };
    void AddField(std::wstring_view Name, void* Ref, bool (*Bind)(void* Ref, TComponent* Found));
    std::map<std::wstring, TField> FFields;
    TWindowHandle FClientHandle;
    TComponent* FWindowMenu = nullptr;
    TTileMode FTileMode = tbHorizontal;
    // What the frame's window shows as its menu bar: copies of its own items and the active
    // child's (the lists themselves stay the menus').
    TMenuHandle FMergedMenu;
    // A merge asked for while one runs (a menu making its lists says it changed) runs after it,
    // with the latest active child: two merges at once would each own and free the other's bar.
    bool FMerging = false;
    bool FMergeAgain = false;
    TCustomForm* FMergeActive = nullptr;
};

class TForm : public TCustomForm {
    DECLARE_CLASS(TForm, TCustomForm)
  public:
    using TCustomForm::TCustomForm;
};

TCustomForm* GetParentForm(const TControl* Control);

// The application's forms, in the order they were created.
class TScreen {
  public:
    int FormCount() const { return static_cast<int>(FForms.size()); }
    TCustomForm* Forms(int Index) const { return FForms[static_cast<size_t>(Index)]; }
    // The form whose window this is; null for any other window.
    TCustomForm* FindForm(HWND Wnd) const;

  private:
    friend class TCustomForm;
    std::vector<TCustomForm*> FForms;
};

extern TScreen* Screen;

using TExceptionEvent = std::function<void(TObject* Sender, std::exception_ptr E)>;
// Sees every message of the application window first; true means handled.
using TWindowHook = std::function<bool(TMessage& Message)>;

class TApplication : public TComponent {
    DECLARE_CLASS(TApplication, TComponent)
  public:
    explicit TApplication(TComponent* AOwner);
    ~TApplication() override;

    void Initialize();
    HWND Handle();
    const std::wstring& Title() const { return FTitle; }
    void SetTitle(const std::wstring& V);
    TCustomForm* MainForm() const { return FMainForm; }
    bool ShowMainForm() const { return FShowMainForm; }
    void SetShowMainForm(bool V) { FShowMainForm = V; }
    TIcon* Icon() const { return FIcon.get(); }
    bool Terminated() const { return FTerminated; }

    template <class T> void CreateForm(T*& Ref) {
        Ref = TCustomForm::CreateForm<T>(this);
        if (!FMainForm) {
            FMainForm = Ref;
            FMainForm->FreeNotification(this);
            FMainForm->HandleNeeded();
        }
    }
    // Shows the main form (unless told not to) and runs the message loop until it ends.
    void Run();
    // Handles one message, or runs idle processing and waits when there is none.
    void HandleMessage();
    // Handles the messages now queued, then returns.
    void ProcessMessages();
    // Idle processing: the pointer's control gets CM_MOUSEENTER, the one before CM_MOUSELEAVE.
    void Idle();
    void Terminate();
    void Minimize();
    void Restore();
    void BringToFront();
    int HookMainWindow(TWindowHook Hook);
    void UnhookMainWindow(int Id);

    // Report of an exception that escaped an event handler (inside a catch block).
    void HandleException(TObject* Sender);
    void ShowException(std::exception_ptr E);
    int MessageBox(const std::wstring& Text, const std::wstring& Caption, UINT Flags);

    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool V);
    unsigned HintPause = 500;
    unsigned HintHidePause = 2500;
    // The hint window while a hint shows; null otherwise.
    HWND HintWindow() const { return FHintWindow; }
    TControl* MouseControl() const { return FMouseControl; }
    void CancelHint();

    TExceptionEvent OnException;
    TNotifyEvent OnIdle;
    TNotifyEvent OnMinimize;
    TNotifyEvent OnRestore;

  protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

  private:
    static LRESULT CALLBACK AppWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
    void WndProc(TMessage& M);
    bool ProcessMessage();
    bool IsKeyMsg(MSG& Msg);
    void SetMouseControl(TControl* C);
    void ShowHintNow();

    TWindowHandle FHandle;
    TWindowHandle FHintWindow;
    std::wstring FHintText;
    std::wstring FTitle;
    TCustomForm* FMainForm = nullptr;
    TControl* FMouseControl = nullptr;
    TControl* FHintControl = nullptr;
    bool FShowMainForm = true;
    bool FTerminated = false;
    bool FShowHint = true;
    std::unique_ptr<TIcon> FIcon;
    std::vector<std::pair<int, TWindowHook>> FHooks;
    int FNextHook = 1;
};

extern TApplication* Application;
