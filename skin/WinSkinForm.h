// The frame skin: takes over the non-client area of one top-level window (a form of ours or a
// plain window such as a message box) and draws it from the skin: the four edges, the caption
// strip with its text and caption buttons, and the menu bar. It gives the window the skin's
// shape when the skin's edges are transparent, offers the skin's own system menu, follows the
// window's show state and owns the skins of the window's controls (TControlSkins), which the
// control table (WinSkinControls) gives them.
//
// The skin manager makes one per window it skins; it is owned by the form when there is one
// (and goes with it), else the manager frees it once the window is gone.
#pragma once

#include "ImgUtil.h"
#include "WinFrameLayout.h"
#include "WinFramePaint.h"
#include "WinNCObject.h"
#include "WinSkinData.h"
#include "WinSkinHost.h"
#include "WinSkinMenu.h"
#include "WinSubClass.h"

#include "ExtCtrls.h"
#include "Forms.h"
#include "Menus.h"
#include "WndProcHook.h"
#include "WndSubclass.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

class TWinSkinForm;

// To a form's WindowProc: colours and control skins again.
inline constexpr UINT SKM_REFRESH = 0x3401;
// Posted to a window: paint the frame again.
inline constexpr UINT SKM_REPAINTFRAME = 0x3502;
// Posted when a caption button whose action the frame does not know is clicked; wParam is the
// button's action number.
inline constexpr UINT SKM_SYSBUTTON = 0x3514;
// Sent to ask whether caption button number wParam shows; a result above 0 means it does.
inline constexpr UINT SKM_BUTTONVISIBLE = 0x3515;

enum TSkinState {
    lsNone = 0,
    lsReady = 1,
    lsRefresh = 3,
    lsDestroying = 4,
    lsSetup = 5,
    lsDestroyed = 6
};

// A caption button of the skin.
class TWinSysButton : public TNCObject {
  public:
    TWinSysButton(TWinSkinForm* AOwner, TDataSkinSysButton* AButton, int AIndex);
    void Paint() override;
    // The window icon rather than a picture of the skin (actions 3 and 11).
    bool IsIcon() const {
        return SkinButton->Action == acSystemMenu || SkinButton->Action == acIcon;
    }

    TWinSkinForm* Owner;
    TDataSkinSysButton* SkinButton;
    int Index; // in the frame's NCButtons
};

class TWinSkinForm : public TComponent, public IMenuStripFrame {
    DECLARE_CLASS(TWinSkinForm, TComponent)
  public:
    explicit TWinSkinForm(TComponent* AOwner);
    ~TWinSkinForm() override;

    // Wnd is set first; then one of the two attaches.
    void InitForm(TSkinData* Data, TCustomForm* AForm);
    void InitWindow(TSkinData* Data);
    // Attaches to a form (or a plain window when AForm is null); false when that failed, and
    // then the window is left with its own frame.
    bool Attach(TSkinData* Data, TCustomForm* AForm);

    void Apply();
    void Refresh();
    // Full: the skin is switched off for a live window. Destroyed: the window is going.
    // Light: the frame was never taken over (menus are not skinned).
    enum TDetachKind { dkFull, dkDestroyed, dkLight };
    void Detach(TDetachKind Kind);

    // Frame geometry from the skin's borders; rebuilds NCButtons.
    void ComputeFrameGeometry();
    // The skin's objects were rebuilt (a new skin file): the caption buttons are made anew
    // from them at once (the rest follows with the manager's refresh).
    void SkinObjectsChanged();
    void PaintFrame(HDC DC = nullptr);
    void BuildRegion();
    // The window's rectangle as the frame sees it (0, 0 at its top-left corner).
    RECT FrameRect() const;
    // Where the frame's parts are as last laid out (painting and hit-testing lay it out anew
    // when the window changed).
    const TFrameLayout& Placed() const { return FLayout; }
    // A screen point in frame (window) coordinates.
    POINT ScreenToFrame(POINT P) const override;
    // The first visible, clickable frame object at a frame point; null when none.
    TNCObject* HitObject(POINT FramePoint);
    void ShowSystemMenu(POINT ScreenPoint);
    void RunButtonAction(int Action);
    void FreeNCButtons();
    // One caption button per button of the skin, in the skin's order.
    void BuildNCButtons();
    // Repaints one caption button in its state, alone.
    void PaintButton(TWinSysButton& Button);
    // An MDI child: whether some child of the frame is shown maximised changed.
    void MDIMaximizedChanged(bool Maximized);

    // Gives the window's controls their skins (a form's components, a plain window's child
    // windows); runs when the skin is applied and on every refresh.
    void SkinControls();
    // One child window of a plain window (a size grip created after the skin was applied).
    void SkinChildWindow(HWND Child);

    // What the menu strip and menu drawing learn of the frame.
    HWND MenuWindow() const override { return Wnd; }
    TSkinData* MenuSkin() const override { return SkinData; }
    TCustomForm* MenuForm() const override { return Form; }
    HMENU NativeSystemMenu() const override { return SystemMenu; }
    bool MenuRightToLeft() const override { return RightToLeft; }
    bool FrameActive() const override { return Active; }
    bool IsMDIFrame() const override { return MdiKind == mkFrame; }
    bool StripShown() const override;
    bool PaintMDIChildButtons(HDC Strip) override;
    void SetMenuTracking(bool Tracking) override { MenuTracking = Tracking; }
    void StripChanged() override { FLayoutValid = false; }
    void WithoutFramePaint(const std::function<void()>& Change) override;
    // The frame object under the pointer or pressed (a caption button or a button of the strip).
    TNCObject* HotObject() const override { return FHotObject; }
    void SetHotObject(TNCObject* Object) override { FHotObject = Object; }

    // Fields. The manager, the control skins and tests read them.
    HWND Wnd = nullptr;
    TCustomForm* Form = nullptr;
    TSkinData* SkinData = nullptr;
    int FrameLeft = 0, FrameTop = 0, FrameRight = 0, FrameBottom = 0;
    int MenuHeight = 0;
    SIZE StdFrameSize{};
    RECT SavedClientRect{};
    uint8_t CaptionBits = 0;
    TFrameKind FrameKind = frSingle;
    TMdiKind MdiKind = mkNone;
    TShowState ShowState = stNormal;
    TSkinState SkinState = lsNone;
    bool Active = true;
    bool FrameSkinning = false;
    bool RightToLeft = false;
    bool UnicodeWindow = false;
    bool SystemDialog = false;
    bool MenuTracking = false;
    std::unique_ptr<TTimer> HoverTimer;
    TFont CaptionFont;
    TBitmap CaptionCache;
    TBitmap IconBitmap;
    std::vector<std::unique_ptr<TWinSysButton>> NCButtons;
    std::unique_ptr<TWinSkinMenu> SkinMenu;
    std::unique_ptr<TPopupMenu> SkinSysMenu;
    TControlSkins ControlSkins; // the skins of the window's controls, and what they share
    SIZE RegionSize{};          // the window size the region was made for
    bool RegionSet = false;     // the window holds a region of ours
    int RegionBuilds = 0;       // how many regions were made (the size decides when)
    HMENU SystemMenu = nullptr;
    HMENU NativeMenu = nullptr;
    HWND OwnerWnd = nullptr;
    HWND MDIClientWnd = nullptr;
    DWORD LastSysMenuTime = 0;
    DWORD DoubleClickTime = 0;
    std::wstring CaptionPrefix = L" ";
    std::wstring CaptionSuffix = L"  ";
    std::wstring WindowClass;

    // While suspended, the frame is not painted and menu changes are not followed: the engine
    // suspends it around changes of its own that would paint the frame twice. Through
    // TFramePaintSuspension, so that an exception cannot leave it suspended.
    bool PaintSuspended() const { return FPaintSuspended > 0; }
    // An MDI frame with children: their menus come through the client's menu messages, not
    // through the form's menu changes.
    bool ClientBringsMenus() const { return FClientBringsMenus; }

  private:
    friend class TFramePaintSuspension;
    TNCObject* FHotObject = nullptr;
    void CommonAttach();
    // Detaching: lightly (the frame was never taken over), or the frame with its menus; a
    // live window then gets its own frame back at the size that keeps its client area.
    void DetachLight(bool Going);
    void DetachFrame(TDetachKind Kind, bool Going);
    void GiveBackOwnFrame();
    // What attaching reads of the window: its facts and caption boxes, its MDI part, its kind
    // of frame; then the frame and menu bar the skin takes over.
    void ReadWindow(DWORD Style, DWORD ExStyle);
    void ReadMdiKind(DWORD ExStyle);
    void ReadFrameKind(DWORD Style, DWORD ExStyle);
    void TakeOverFrame();
    // The window procedure dispatches by message, in three groups (see the handlers below);
    // each group's dispatcher says whether it took the message.
    void WndProc(TMessage& M);
    bool DispatchEveryWindow(TMessage& M);
    bool DispatchOwnFrame(TMessage& M);
    void DispatchDrawnFrame(TMessage& M);
    // The skin has taken the window's frame over (not a plain child window).
    bool OwnsFrame() const;
    // ... and draws it now (not minimised, applied, not an MDI child shown by its client).
    bool DrawsFrameNow() const;
    // Handlers, one per message, in three groups: of every skinned window,
    void OnEraseBkgnd(TMessage& M);
    void OnNcDestroy(TMessage& M);
    void OnMenuSelect(TMessage& M);
    void OnInitMenuPopup(TMessage& M);
    void OnCtlColor(TMessage& M);
    // of a window whose frame the skin owns,
    void OnSize(TMessage& M);
    void OnActivate(TMessage& M);
    void OnNcActivate(TMessage& M);
    void OnGetMinMaxInfo(TMessage& M);
    void OnWindowPosChanged(TMessage& M);
    void OnCommand(TMessage& M);
    void OnSysCommand(TMessage& M);
    void OnMenuChanged(TMessage& M);
    // of a frame the skin draws now.
    void OnMenuItem(TMessage& M);
    void OnNcCalcSize(TMessage& M);
    void OnNcHitTest(TMessage& M);
    void OnNcPaint(TMessage& M);
    void OnNcMouseMove(TMessage& M);
    void OnNcLButtonDown(TMessage& M);
    void OnNcLButtonUp(TMessage& M);
    void OnNcLButtonDblClk(TMessage& M);
    void OnNcRButtonDown(TMessage& M);
    // The frame object under a mouse message's point.
    TNCObject* ObjectAt(const TMessage& M);
    void FormWndProc(TMessage& M, const TWndMethod& Previous);
    // An MDI frame's client: its scroll bars, and the children's menus it brings.
    void ClientWndProc(TMessage& M);
    void OnClientNcCalcSize(TMessage& M);
    void OnClientMdiCreate(TMessage& M);
    void OnClientMdiDestroy(TMessage& M);
    void OnClientMdiSetMenu(TMessage& M);
    void OnClientMdiRefreshMenu(TMessage& M);
    // An MDI child's size changed: the manager's flag follows the active child.
    void FollowMDIMaximized();
    void PassOn(TMessage& M) { FSubclass.CallPrevious(M); }
    // Runs Call (a message passed on) and tells whether this frame skin lives on: a handler
    // may destroy the window or free the form, and then nothing of the frame may be touched.
    template <class F> [[nodiscard]] bool Survives(F&& Call) {
        const std::shared_ptr<bool> Alive = FAlive;
        Call();
        return *Alive;
    }
    [[nodiscard]] bool PassOnSurvived(TMessage& M) {
        return Survives([&] { PassOn(M); });
    }

    void StripCaption(bool On);
    void ReadShowState();
    void BuildIconBitmap();
    void BuildSkinSysMenu();
    void RunSysMenuEntry(int Number);
    // The frame's shape: the whole window, or the edges without their magenta.
    TRegionHandle FrameShape(int W, int H);
    HWND ActiveMDIChild() const;
    // A command of the maximised child's buttons to the active child.
    void ToActiveMDIChild(UINT Command);
    void ResizeForSkin(bool Refreshing);
    void KeyMenu(TMessage& M, bool& Handled);
    void HoverTick();

    // The layout, brought up to date with the window's state (laid out anew only when the
    // state changed); it places the caption buttons and the strip's buttons.
    const TFrameLayout& Layout();
    TFrameState ReadFrameState();
    bool MdiChildShownMaximized() const;
    std::vector<bool> WindowAnswers() const;
    void PlaceObjects();
    void InvalidateLayout();
    void LayOutForHitTest();

    bool PaintsFrameNow() const;
    // The button in a frame (0: the icon) over the ground behind it, made once per ground.
    TBitmap* ComposedButton(const TWinSysButton& Button, int Frame);
    void PaintCaptionButtons(HDC DC);

    void ToggleMaximize();
    void ToggleMinimize();
    void Restore();

    // What a paint can take from the last one: the edges as painted for a size and state, the
    // caption strip before its buttons, and the buttons' states composed over it (so a hover
    // repaint is one copy). The buttons' own pictures are the skin's, shared by every window.
    // Kept pictures hold no DC of their own (TBitmapSource lends one to copy from).
    struct TPaintCache {
        int W = -1, H = -1;
        TEdgePictures Edges;
        TBitmap Ground;
        std::wstring GroundText; // what the ground shows, so an unchanged caption is reused
        RECT GroundTextRect{};
        TKeyedPicture Icon;
        std::vector<std::array<std::unique_ptr<TBitmap>, 5>> Composed;
    };
    // One for the active look and one for the inactive, so activation only copies pictures.
    std::array<std::unique_ptr<TPaintCache>, 2> FCaches;
    TPaintCache& Cache();
    // The cache of the look shown, with the edges painted for the layout's size.
    TPaintCache& PreparedCache(const TFrameLayout& Layout);
    // The caption strip into CaptionCache: its ground (kept while the caption stays), then the
    // caption buttons.
    void ComposeCaption(TPaintCache& C, const TFrameLayout& Layout);
    TFrameState FState;
    TFrameLayout FLayout;
    bool FLayoutValid = false;

    TWindowSubclass FSubclass;
    TWindowSubclass FClientSubclass; // an MDI frame's client
    HWND FNewChild = nullptr;        // made by the client, skinned at its menu refresh
    bool FClientBringsMenus = false;
    int FPaintSuspended = 0;
    TWindowProcHook FFormHook;
    bool FAttached = false;
    TColor FSavedFormColor = clBtnFace;
    bool FColourTaken = false;
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

// Suspends a frame's painting for as long as it lives.
class TFramePaintSuspension {
  public:
    explicit TFramePaintSuspension(TWinSkinForm& Frame) : FFrame(Frame) {
        ++FFrame.FPaintSuspended;
    }
    ~TFramePaintSuspension() { --FFrame.FPaintSuspended; }
    TFramePaintSuspension(const TFramePaintSuspension&) = delete;
    TFramePaintSuspension& operator=(const TFramePaintSuspension&) = delete;

  private:
    TWinSkinForm& FFrame;
};
