#include "WinSkinForm.h"

#include "ImgUtil.h"
#include "StdCtrls.h"
#include "WinConvert.h"
#include "WinSkinControls.h"
#include "WinSkinMenu.h"

#include <windowsx.h>

#include <algorithm>

namespace {

int Width(const RECT& R) {
    return R.right - R.left;
}
int Height(const RECT& R) {
    return R.bottom - R.top;
}

// Adds a picture's pixels but its magenta (at X, Y) to Shape.
void AddPictureShape(HRGN Shape, const TBitmap& Picture, int X, int Y) {
    TRegionHandle Part = RegionFromBitmap(Picture, X, Y, 0x010101);
    CombineRgn(Shape, Shape, Part, RGN_OR);
}

// Adds an edge at E to Shape: as painted, its magenta left out, where the skin asks for that
// and it can be painted (Usable); else the whole rectangle.
void AddEdgeShape(HRGN Shape, const TSkinData& Skin, TSkinBorderSide Side, const RECT& E,
                  bool Usable, bool Active) {
    const TDataSkinBorder& B = *Skin.Borders[Side];
    if (!Usable || B.Trans != 1 || B.Bitmap.Empty()) {
        TRegionHandle Part(CreateRectRgn(E.left, E.top, E.right, E.bottom));
        CombineRgn(Shape, Shape, Part, RGN_OR);
        return;
    }
    TBitmap Edge(Width(E), Height(E), pf24bit);
    PaintEdge(Edge.Canvas()->Handle(), Skin, Side, {0, 0, Width(E), Height(E)}, Active);
    AddPictureShape(Shape, Edge, E.left, E.top);
}

bool IsMinimizeCommand(UINT Cmd) {
    return Cmd == SW_SHOWMINIMIZED || Cmd == SW_MINIMIZE || Cmd == SW_SHOWMINNOACTIVE;
}

// The system's caption font (the size of the structure without the padded border, which older
// systems refuse).
void AssignCaptionFont(TFont& Font) {
    NONCLIENTMETRICSW M{};
    M.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, M.cbSize, &M, 0)) return;
    Font.SetName(M.lfCaptionFont.lfFaceName);
    Font.SetHeight(M.lfCaptionFont.lfHeight);
    Font.SetCharset(static_cast<TFontCharset>(M.lfCaptionFont.lfCharSet));
    Font.SetStyle(M.lfCaptionFont.lfWeight >= FW_BOLD ? TFontStyles{fsBold} : TFontStyles{});
}

} // namespace

PUBLISHED(TWinSkinForm) {}

// ---------------------------------------------------------------------------------------------
// Frame objects

TWinSysButton::TWinSysButton(TWinSkinForm* AOwner, TDataSkinSysButton* AButton, int AIndex)
    : TNCObject(*AOwner), Owner(AOwner), SkinButton(AButton), Index(AIndex) {}

void TWinSysButton::Paint() {
    Owner->PaintButton(*this);
}

// ---------------------------------------------------------------------------------------------
// Life

TWinSkinForm::TWinSkinForm(TComponent* AOwner) : TComponent(AOwner) {
    AssignCaptionFont(CaptionFont);
    DoubleClickTime = GetDoubleClickTime();
}

TWinSkinForm::~TWinSkinForm() {
    *FAlive = false;
    Destroying();
    if (FAttached && SkinState != lsDestroyed && IsWindow(Wnd)) {
        // The form goes before its window: leave the window as it was given to us.
        FFormHook.Remove();
        FSubclass.Remove();
    }
    ControlSkins.FreeAll();
    NCButtons.clear();
    FHotObject = nullptr;
    HoverTimer.reset();
    SkinMenu.reset();
    SkinSysMenu.reset();
    if (ISkinHost* Host = SkinHost()) Host->ForgetFrame(this);
}

void TWinSkinForm::InitForm(TSkinData* Data, TCustomForm* AForm) {
    if (FAttached) return;
    Form = AForm;
    TrySetPropText(*Form, L"AutoScroll", L"False");
    SkinData = Data;
    if (Data->SkinControls().Contains(xcMainMenu))
        FFormHook.Install(
            *Form, [this](TMessage& M, const TWndMethod& Previous) { FormWndProc(M, Previous); });
    CommonAttach();
    FSavedFormColor = Form->Color();
    FColourTaken = true;
    Form->SetColor(SkinData->ButtonFace);
    SkinFormMenus(*this, true);
}

bool TWinSkinForm::Attach(TSkinData* Data, TCustomForm* AForm) {
    const LONG Style = GetWindowLongW(Wnd, GWL_STYLE);
    try {
        if (AForm)
            InitForm(Data, AForm);
        else
            InitWindow(Data);
        return true;
    } catch (...) {
        try {
            Detach(dkFull);
        } catch (...) {
            // What could not be undone goes with the frame skin.
        }
        SetWindowLongW(Wnd, GWL_STYLE, Style);
        SetWindowPos(Wnd, nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        return false;
    }
}

void TWinSkinForm::InitWindow(TSkinData* Data) {
    if (FAttached) return;
    SkinData = Data;
    CommonAttach();
}

void TWinSkinForm::CommonAttach() {
    if (FAttached) return;
    FAttached = true;
    EnsureSkinHost().MarkStarted();
    HoverTimer = std::make_unique<TTimer>(nullptr);
    HoverTimer->SetEnabled(false);
    HoverTimer->SetInterval(250);
    HoverTimer->SetOnTimer([this](TObject*) { HoverTick(); });

    FrameSkinning = SkinData->SkinControls().Contains(xcMainMenu);
    const DWORD Style = GetWindowLongW(Wnd, GWL_STYLE);
    const DWORD ExStyle = GetWindowLongW(Wnd, GWL_EXSTYLE);
    ReadWindow(Style, ExStyle);
    BuildSkinSysMenu();
    ReadShowState();
    ReadMdiKind(ExStyle);
    ReadFrameKind(Style, ExStyle);

    if (MdiKind == mkFrame) {
        FClientSubclass.Install(
            MDIClientWnd, [this](TMessage& M) { ClientWndProc(M); }, true);
    }
    if (FrameSkinning)
        TakeOverFrame();
    else
        SkinState = lsReady;

    FSubclass.Install(
        Wnd, [this](TMessage& M) { WndProc(M); }, UnicodeWindow);

    if (MdiKind == mkChild && ShowState == stMaximized && !SkinHost()->MDIMaximized())
        SkinHost()->SetMDIMaximized(true);
    RedrawWindow(Wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE);
}

void TWinSkinForm::ReadWindow(DWORD Style, DWORD ExStyle) {
    RightToLeft = (ExStyle & WS_EX_LEFTSCROLLBAR) != 0;
    SystemMenu = GetSystemMenu(Wnd, FALSE);
    BuildIconBitmap();
    WindowClass = WindowClassName(Wnd);
    OwnerWnd = GetWindow(Wnd, GW_OWNER);
    GetClientRect(Wnd, &SavedClientRect);
    RECT W;
    GetWindowRect(Wnd, &W);
    StdFrameSize = {Width(W) - Width(SavedClientRect), Height(W) - Height(SavedClientRect)};

    CaptionBits = 0;
    if ((Style & WS_SYSMENU) || SystemMenu) CaptionBits |= csSysMenu;
    if (Style & WS_MINIMIZEBOX) CaptionBits |= csMinBox;
    if (Style & WS_MAXIMIZEBOX) CaptionBits |= csMaxBox;
}

void TWinSkinForm::ReadMdiKind(DWORD ExStyle) {
    MDIClientWnd = FindWindowExW(Wnd, nullptr, L"MDIClient", nullptr);
    if (MDIClientWnd) {
        MdiKind = mkFrame;
        SkinHost()->SetMDIFrame(MDIClientWnd, Form);
    } else if (ExStyle & WS_EX_MDICHILD) {
        MdiKind = mkChild;
    } else {
        MdiKind = mkNone;
    }
}

void TWinSkinForm::ReadFrameKind(DWORD Style, DWORD ExStyle) {
    FrameKind = frSingle;
    if ((Style & WS_POPUP) && (Style & WS_CAPTION) != WS_CAPTION)
        FrameKind = frNone;
    else if (Style & WS_THICKFRAME)
        FrameKind = frSizeable;
    else if (Style & DS_MODALFRAME)
        FrameKind = frDialog;
    if (ExStyle & WS_EX_DLGMODALFRAME) FrameKind = frDialog;
    if (WindowClass == L"#32770" || WindowClass == L"TMessageForm") {
        FrameKind = frDialog;
        SystemDialog = true;
    }
    // Our window classes are all registered wide; a system dialog may be either.
    UnicodeWindow = IsWindowUnicode(Wnd) != FALSE;
}

void TWinSkinForm::TakeOverFrame() {
    if (const HMENU Shown = GetMenu(Wnd); Shown && MdiKind != mkChild) {
        SkinMenu = std::make_unique<TWinSkinMenu>(*this, SkinData);
        MenuHeight = GetSystemMetrics(SM_CYMENU);
        SkinMenu->BuildFromMainMenu(Form);
        // A frame whose children came first shows the bar the client merged for them.
        if (MdiKind == mkFrame && SendMessageW(MDIClientWnd, WM_MDIGETACTIVE, 0, 0))
            SkinMenu->BuildFromMenu(Shown);
    }
    const bool MaximizedChild = MdiKind == mkChild && SkinHost()->MDIMaximized();
    if (!MaximizedChild && ShowState != stMinimized) StripCaption(false);
    ComputeFrameGeometry();
}

void TWinSkinForm::StripCaption(bool On) {
    DWORD Style = GetWindowLongW(Wnd, GWL_STYLE);
    if (!On) {
        if (MdiKind == mkChild && SkinHost() && SkinHost()->MDIMaximized()) return;
        if (OwnerWnd || MdiKind == mkChild) {
            Style &= ~(WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
        } else {
            CaptionBits |= csCaption;
            Style &= ~WS_CAPTION;
        }
    } else {
        if (CaptionBits & csSysMenu) Style |= WS_SYSMENU;
        if (CaptionBits & csMinBox) Style |= WS_MINIMIZEBOX;
        if (CaptionBits & csMaxBox) Style |= WS_MAXIMIZEBOX;
        if (CaptionBits & csCaption) Style |= WS_CAPTION;
    }
    SetWindowLongW(Wnd, GWL_STYLE, static_cast<LONG>(Style));
}

void TWinSkinForm::ReadShowState() {
    WINDOWPLACEMENT P{};
    P.length = sizeof(P);
    if (!GetWindowPlacement(Wnd, &P)) return;
    ShowState = IsMinimizeCommand(P.showCmd)    ? stMinimized
                : P.showCmd == SW_SHOWMAXIMIZED ? stMaximized
                                                : stNormal;
}

void TWinSkinForm::BuildIconBitmap() {
    const int CX = GetSystemMetrics(SM_CXSMICON), CY = GetSystemMetrics(SM_CYSMICON);
    IconBitmap.SetPixelFormat(pf24bit);
    IconBitmap.SetSize(CX, CY);
    HDC DC = IconBitmap.Canvas()->Handle();
    const RECT Whole{0, 0, CX, CY};
    FillColor(DC, Whole, SkinKeyColour);
    auto Icon = reinterpret_cast<HICON>(SendMessageW(Wnd, WM_GETICON, ICON_SMALL, 0));
    if (!Icon) Icon = reinterpret_cast<HICON>(SendMessageW(Wnd, WM_GETICON, ICON_BIG, 0));
    if (Icon) {
        TIconHandle Small(
            static_cast<HICON>(CopyImage(Icon, IMAGE_ICON, CX, CY, LR_COPYFROMRESOURCE)));
        DrawIconEx(DC, 0, 0, Small ? Small.Get() : Icon, CX, CY, 0, nullptr, DI_NORMAL);
        if (SkinData->IconBitmap.Empty()) SkinData->IconBitmap.Assign(IconBitmap);
    } else if (!SkinData->IconBitmap.Empty()) {
        // Without an icon of its own the window shows the one the skin keeps for such windows.
        IconBitmap.Assign(SkinData->IconBitmap);
    }
    // Read from only when the icon button's picture is made.
    IconBitmap.ReleaseCanvas();
}

void TWinSkinForm::BuildSkinSysMenu() {
    SkinSysMenu = std::make_unique<TPopupMenu>(nullptr);
    SkinSysMenu->SetTag(33333);
    SkinSysMenu->SetImages(SkinData->MenuGlyphs());
    struct TEntry {
        const wchar_t* Caption;
        int Number;
        bool Shown;
        const wchar_t* ShortCut;
    };
    const TEntry Entries[] = {
        {L" Restore ", 0, true, nullptr},
        {L" Maximize ", 1, (CaptionBits & csMaxBox) != 0, nullptr},
        {L" Minimize ", 2, (CaptionBits & csMinBox) != 0, nullptr},
        {L"-", 100, true, nullptr},
        {L" Close ", 3, true, L"Shift+F4"},
    };
    for (const TEntry& E : Entries) {
        if (!E.Shown) continue;
        auto* Item = new TMenuItem(SkinSysMenu.get());
        Item->SetCaption(E.Caption);
        Item->SetTag(E.Number);
        if (E.Number != 100) Item->SetImageIndex(E.Number);
        if (E.ShortCut) Item->SetShortCut(TextToShortCut(E.ShortCut));
        const int Number = E.Number;
        Item->OnClick = [this, Number](TObject*) { RunSysMenuEntry(Number); };
        SkinSysMenu->Items()->Add(Item);
    }
    SkinSysMenu->SetOwnerDraw(true);
    SkinMenuItems(*this, *SkinSysMenu, true);
}

void TWinSkinForm::RunSysMenuEntry(int Number) {
    switch (Number) {
    case 0:
        Restore();
        break;
    case 1:
        ToggleMaximize();
        break;
    case 2:
        ToggleMinimize();
        break;
    case 3:
        if (HoverTimer) HoverTimer->SetEnabled(false);
        PostMessageW(Wnd, WM_CLOSE, 0, 0);
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------------------------
// Geometry

void TWinSkinForm::ComputeFrameGeometry() {
    if (!SkinData->HasSkinObjects()) return;
    const TFrameEdges E = FrameEdgesOf(*SkinData, FrameKind);
    FrameLeft = E.Left;
    FrameTop = E.Top;
    FrameRight = E.Right;
    FrameBottom = E.Bottom;
    if (FrameKind == frNone) MenuHeight = 0;
    FreeNCButtons();
    BuildNCButtons();
}

void TWinSkinForm::BuildNCButtons() {
    if (!SkinData->HasSkinObjects()) return;
    for (auto& SB : SkinData->SysButtons) {
        auto Button =
            std::make_unique<TWinSysButton>(this, SB.get(), static_cast<int>(NCButtons.size()));
        if (Button->IsIcon()) {
            if (SB->Bitmap.Empty()) SB->Bitmap.Assign(IconBitmap);
            if (SkinData->IconBitmap.Empty()) SkinData->IconBitmap.Assign(IconBitmap);
            SB->FrameCount = 1;
        }
        NCButtons.push_back(std::move(Button));
    }
}

void TWinSkinForm::FreeNCButtons() {
    FHotObject = nullptr;
    NCButtons.clear();
    // The pictures came from the skin that is going.
    for (auto& C : FCaches)
        C.reset();
    CaptionCache.Clear();
    InvalidateLayout();
    if (SkinMenu) SkinMenu->Invalidate();
}

void TWinSkinForm::SkinObjectsChanged() {
    if (!FAttached) return;
    // The caption buttons point into the skin's objects: made anew from the new ones at once.
    // The frame's sizes, shape and look follow with the refresh the manager runs.
    FreeNCButtons();
    BuildNCButtons();
}

RECT TWinSkinForm::FrameRect() const {
    RECT R{};
    GetWindowRect(Wnd, &R);
    OffsetRect(&R, -R.left, -R.top);
    return R;
}

POINT TWinSkinForm::ScreenToFrame(POINT P) const {
    RECT R{};
    GetWindowRect(Wnd, &R);
    return {P.x - R.left, P.y - R.top};
}

void TWinSkinForm::ResizeForSkin(bool Refreshing) {
    const UINT Change = SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOMOVE;
    if (ShowState == stMaximized) {
        SetWindowPos(Wnd, nullptr, 0, 0, 0, 0, Change | SWP_NOSIZE | SWP_NOACTIVATE);
        return;
    }
    const int ClientWidth = Width(SavedClientRect);
    if (Refreshing) GetClientRect(Wnd, &SavedClientRect);
    const int ClientHeight = Height(SavedClientRect);
    // The client area keeps the size the window had: the skin's frame goes around it.
    int W = ClientWidth + FrameLeft + FrameRight;
    const int H = ClientHeight + FrameTop + FrameBottom + MenuHeight;
    if (!Refreshing && SystemDialog) {
        // A dialog too narrow for its caption grows, its contents moved to stay centred.
        std::wstring Caption = CaptionPrefix + SkinWindowText(Wnd, UnicodeWindow) + CaptionSuffix;
        RECT Text{0, 0, 0, 0};
        {
            TWindowDC DC(Wnd);
            TSelectObject Font(DC, CaptionFont.Handle());
            SkinDrawText(DC, Caption, Text, DT_CALCRECT | DT_NOCLIP | DT_SINGLELINE);
        }
        const TDataSkinTitle& T = *SkinData->Title;
        const int Needed = T.Margins.left + Width(Text) + T.Margins.right;
        if (W < Needed) {
            const int Shift = (Needed - W) / 2;
            for (HWND C = GetWindow(Wnd, GW_CHILD); C; C = GetWindow(C, GW_HWNDNEXT)) {
                RECT R;
                GetWindowRect(C, &R);
                MapWindowPoints(HWND_DESKTOP, Wnd, reinterpret_cast<POINT*>(&R), 2);
                SetWindowPos(C, nullptr, R.left + Shift, R.top, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
            W = Needed;
        }
    }
    SetWindowPos(Wnd, nullptr, 0, 0, W, H, Change);
}

// ---------------------------------------------------------------------------------------------
// Apply, refresh, detach

void TWinSkinForm::Apply() {
    SkinControls();
    // Children made before the frame wore the skin get it with the frame (later ones get it
    // as the client makes them); from the bottom up, so the one in front stays in front.
    if (MdiKind == mkFrame && SkinHost())
        for (HWND C = GetWindow(GetWindow(MDIClientWnd, GW_CHILD), GW_HWNDLAST); C;
             C = GetWindow(C, GW_HWNDPREV))
            if ((GetWindowLongW(C, GWL_EXSTYLE) & WS_EX_MDICHILD) && !SkinHost()->FindForm(C))
                SkinHost()->SkinWindow(C);
    if (SkinState == lsNone) {
        if (MdiKind == mkChild && SkinHost()->MDIMaximized()) {
            StripCaption(true);
            SetWindowPos(Wnd, nullptr, 0, 0, 0, 0,
                         SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE |
                             SWP_FRAMECHANGED);
        } else if (ShowState != stMinimized && FrameKind != frNone) {
            SkinState = lsSetup;
            ResizeForSkin(false);
            SkinState = lsReady;
            BuildRegion();
        }
    }
    SkinState = lsReady;
    if (HoverTimer) HoverTimer->SetEnabled(true);
}

void TWinSkinForm::Refresh() {
    if (!Form) return;
    Form->SetColor(SkinData->ButtonFace);
    TWinControl* ActiveControl = Form->ActiveControl();
    const bool HadFocus = ActiveControl && ActiveControl->Focused();
    for (TSkinControl* S : std::vector<TSkinControl*>(ControlSkins.Items()))
        S->Refresh();
    SkinState = lsRefresh;
    if (FrameSkinning) {
        SkinFormMenus(*this, true);
        ResizeForSkin(true);
        // Nudge the height so the frame is computed anew, without painting it twice.
        {
            TFramePaintSuspension Quiet(*this);
            const int H = Form->Height();
            Form->SetHeight(H + 1);
            Form->SetHeight(H);
        }
        RedrawWindow(Wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
    }
    if (HadFocus && ActiveControl->CanFocus()) ActiveControl->SetFocus();
    SkinState = lsReady;
}

void TWinSkinForm::Detach(TDetachKind Kind) {
    if (!FAttached) return;
    if (Kind != dkDestroyed && !FrameSkinning) Kind = dkLight;
    if (HoverTimer) HoverTimer->SetEnabled(false);
    ControlSkins.EndHoverButton();
    const bool Going = SkinState == lsDestroying;
    if (Kind == dkLight) {
        DetachLight(Going);
    } else {
        SkinSysMenu.reset();
        if (FSubclass.Installed() || Kind == dkDestroyed) DetachFrame(Kind, Going);
        MenuHeight = 0;
    }
    FAttached = false;
}

void TWinSkinForm::DetachLight(bool Going) {
    ControlSkins.FreeAll();
    SkinFormMenus(*this, false);
    if (Form && FColourTaken && !Going) Form->SetColor(FSavedFormColor);
    FFormHook.Remove();
    FSubclass.Remove();
    if (Form && !Going)
        for (int I = 0; I < Form->ControlCount(); ++I)
            Form->Controls(I)->Invalidate();
}

void TWinSkinForm::DetachFrame(TDetachKind Kind, bool Going) {
    FFormHook.Remove();
    FSubclass.Remove();
    ControlSkins.FreeAll();
    SkinFormMenus(*this, false);
    if (Kind == dkFull) {
        if (Form && FColourTaken && !Going) Form->SetColor(FSavedFormColor);
        StripCaption(true);
        if (SkinMenu) SkinMenu->GiveBackNativeMenu();
    } else if (SkinMenu && !Form) {
        // The window would have destroyed its menu with itself, had the skin not taken it
        // off; a form's menu belongs to its menu component.
        SkinMenu->DestroyNativeMenu();
    }
    SkinMenu.reset();
    FClientSubclass.Remove();
    FClientBringsMenus = false;
    FNewChild = nullptr;
    CaptionCache.Clear();
    if (Kind == dkFull && !Going) GiveBackOwnFrame();
    if (RegionSet) SetWindowRgn(Wnd, nullptr, Kind == dkFull);
    RegionSet = false;
    RegionSize = {};
}

void TWinSkinForm::GiveBackOwnFrame() {
    const DWORD Style = GetWindowLongW(Wnd, GWL_STYLE);
    if (SkinState == lsNone) {
        // Never applied, so never resized for the skin: only the caption comes back.
        SetWindowPos(Wnd, nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        return;
    }
    if (MdiKind != mkChild && (Style & WS_CHILD)) return;
    // The client area keeps its size inside the window's own frame again; a child stays where
    // it is in its parent's client area (a maximised child is left to its client, which
    // sizes it).
    const RECT R = FrameRect();
    const int W = Width(R) - FrameLeft - FrameRight + StdFrameSize.cx;
    const int H = Height(R) - FrameTop - MenuHeight - FrameBottom + StdFrameSize.cy;
    RECT At{};
    GetWindowRect(Wnd, &At);
    if (HWND Parent = (Style & WS_CHILD) ? GetParent(Wnd) : nullptr)
        MapWindowPoints(HWND_DESKTOP, Parent, reinterpret_cast<POINT*>(&At), 2);
    UINT Flags = SWP_FRAMECHANGED | SWP_NOACTIVATE | SWP_NOZORDER;
    if (MdiKind == mkChild && IsZoomed(Wnd)) Flags |= SWP_NOSIZE;
    SetWindowPos(Wnd, nullptr, At.left, At.top, W, H, Flags);
}

// ---------------------------------------------------------------------------------------------
// Control skins

void TWinSkinForm::SkinControls() {
    if (Form)
        SkinFormControls(ControlSkins, Form, SkinData, this);
    else
        SkinChildWindows(ControlSkins, Wnd, SkinData);
}

void TWinSkinForm::SkinChildWindow(HWND Child) {
    ::SkinChildWindow(ControlSkins, Child, SkinData);
}

// ---------------------------------------------------------------------------------------------
// The form's WindowProc

void TWinSkinForm::FormWndProc(TMessage& M, const TWndMethod& Previous) {
    switch (M.Msg) {
    case WM_SETTEXT:
        if (!Survives([&] { Previous(M); })) return;
        SetWindowPos(Wnd, nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        return;
    case SKM_REFRESH:
        Refresh();
        return;
    case CM_DIALOGCHAR:
        if (SkinMenu && KeyboardShiftState() == TShiftState{ssAlt}) {
            if (TNCObject* Button =
                    SkinMenu->ButtonForAccelerator(static_cast<wchar_t>(M.WParam))) {
                RECT W;
                GetWindowRect(Wnd, &W);
                const POINT P{W.left + Button->Bounds.left + 1, W.top + Button->Bounds.top + 1};
                PostMessageW(Wnd, WM_NCLBUTTONDOWN, HTCLIENT, MAKELPARAM(P.x, P.y));
                M.Result = 1;
                return;
            }
        }
        if (TCustomForm* MDIFrame = SkinHost() ? SkinHost()->MDIFrameForm() : nullptr;
            MdiKind == mkChild && MDIFrame && MDIFrame != Form) {
            M.Result = MDIFrame->Perform(CM_DIALOGCHAR, M.WParam, M.LParam);
            if (M.Result != 0) return;
        }
        Previous(M);
        return;
    default:
        Previous(M);
    }
}

// ---------------------------------------------------------------------------------------------
// MDI

void TWinSkinForm::ClientWndProc(TMessage& M) {
    switch (M.Msg) {
    case WM_NCDESTROY:
        if (!Survives([&] { FClientSubclass.CallPrevious(M); })) return;
        FClientSubclass.Remove();
        return;
    case WM_NCCALCSIZE:
        return OnClientNcCalcSize(M);
    case WM_MDICREATE:
        return OnClientMdiCreate(M);
    case WM_MDIDESTROY:
        return OnClientMdiDestroy(M);
    case WM_MDITILE:
    case WM_MDICASCADE:
        if (SkinHost() && SkinHost()->MDIMaximized()) SkinHost()->SetMDIMaximized(false);
        return FClientSubclass.CallPrevious(M);
    case WM_MDISETMENU:
        return OnClientMdiSetMenu(M);
    case WM_MDIREFRESHMENU:
        return OnClientMdiRefreshMenu(M);
    default:
        return FClientSubclass.CallPrevious(M);
    }
}

void TWinSkinForm::OnClientNcCalcSize(TMessage& M) {
    // The skin's frame has no room for the client's scroll bars unless the skin asks.
    if (FrameSkinning && !SkinData->Options().Contains(xoMDIScrollbar)) {
        const DWORD Style = GetWindowLongW(MDIClientWnd, GWL_STYLE);
        if (Style & (WS_HSCROLL | WS_VSCROLL))
            SetWindowLongW(MDIClientWnd, GWL_STYLE,
                           static_cast<LONG>(Style & ~(WS_HSCROLL | WS_VSCROLL)));
    }
    FClientSubclass.CallPrevious(M);
}

void TWinSkinForm::OnClientMdiCreate(TMessage& M) {
    // The child's menu comes through the client's own menu messages from here on.
    FClientBringsMenus = true;
    if (!Survives([&] { FClientSubclass.CallPrevious(M); })) return;
    if (M.Result) FNewChild = reinterpret_cast<HWND>(M.Result);
}

void TWinSkinForm::OnClientMdiDestroy(TMessage& M) {
    if (!Survives([&] { FClientSubclass.CallPrevious(M); })) return;
    BOOL Maximized = FALSE;
    const HWND Active = reinterpret_cast<HWND>(
        SendMessageW(MDIClientWnd, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&Maximized)));
    if (SkinHost()) SkinHost()->SetMDIMaximized(Active && Maximized);
    if (FNewChild == reinterpret_cast<HWND>(M.WParam)) FNewChild = nullptr;
    if (Active) return;
    // The last child went: the strip shows the frame's own menu again.
    FClientBringsMenus = false;
    if (SkinMenu) {
        SkinMenu->BuildFromMainMenu(Form);
        PaintFrame();
    }
}

void TWinSkinForm::OnClientMdiSetMenu(TMessage& M) {
    if (!Survives([&] { FClientSubclass.CallPrevious(M); })) return;
    const auto Given = reinterpret_cast<HMENU>(M.WParam);
    if (SkinMenu && ((Given && Given != SkinMenu->NativeMenu()) || FNewChild)) {
        const HMENU Shown = GetMenu(Wnd);
        SkinMenu->BuildFromMenu(Shown ? Shown : Given ? Given : SkinMenu->NativeMenu());
        PaintFrame();
    }
    if (SkinMenu && GetMenu(Wnd)) SetMenu(Wnd, nullptr);
}

void TWinSkinForm::OnClientMdiRefreshMenu(TMessage& M) {
    if (!Survives([&] { FClientSubclass.CallPrevious(M); })) return;
    if (HWND Child = std::exchange(FNewChild, nullptr); Child && IsWindow(Child)) {
        if (SkinHost()) SkinHost()->SkinWindow(Child);
        PostMessageW(Wnd, SKM_REPAINTFRAME, 0, 0);
    }
    // The client may have given the window its menu back.
    if (SkinMenu && GetMenu(Wnd)) SetMenu(Wnd, nullptr);
}

void TWinSkinForm::FollowMDIMaximized() {
    if (!SkinHost()) return;
    if (ShowState == stMaximized) {
        SkinHost()->SetMDIMaximized(true);
        return;
    }
    if (!SkinHost()->MDIMaximized()) return;
    // A child restored by the system (its menu, the keyboard, the client) rather than by the
    // frame's buttons: the flag must not outlive the last maximised child.
    BOOL Maximized = FALSE;
    const HWND Active = reinterpret_cast<HWND>(
        SendMessageW(GetParent(Wnd), WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&Maximized)));
    if (!Active || !Maximized) SkinHost()->SetMDIMaximized(false);
}

void TWinSkinForm::MDIMaximizedChanged(bool Maximized) {
    if (MdiKind != mkChild || !FrameSkinning || !FAttached || SkinState == lsNone ||
        SkinState >= lsDestroying)
        return;
    ReadShowState();
    if (Maximized || ShowState == stMinimized)
        StripCaption(true);
    else if (ShowState == stNormal)
        StripCaption(false);
    SetWindowPos(Wnd, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    if (!Maximized && ShowState == stNormal) {
        BuildRegion();
        PaintFrame();
    }
}

// ---------------------------------------------------------------------------------------------
// The window procedure

void TWinSkinForm::WndProc(TMessage& M) {
    if (DispatchEveryWindow(M)) return;
    if (!OwnsFrame()) return PassOn(M);
    if (DispatchOwnFrame(M)) return;
    if (!DrawsFrameNow()) return PassOn(M);
    DispatchDrawnFrame(M);
}

bool TWinSkinForm::DispatchEveryWindow(TMessage& M) {
    switch (M.Msg) {
    case WM_ERASEBKGND:
        return OnEraseBkgnd(M), true;
    case WM_NCDESTROY:
        return OnNcDestroy(M), true;
    case WM_MENUSELECT:
        return OnMenuSelect(M), true;
    case WM_INITMENUPOPUP:
        return OnInitMenuPopup(M), true;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
        return OnCtlColor(M), true;
    case SKM_APPLY:
        return Apply(), true;
    case SKM_QUERY:
        M.Result = 1;
        return true;
    default:
        return false;
    }
}

bool TWinSkinForm::DispatchOwnFrame(TMessage& M) {
    switch (M.Msg) {
    case WM_SIZE:
        return OnSize(M), true;
    case WM_ACTIVATE:
        return OnActivate(M), true;
    case WM_NCACTIVATE:
        return OnNcActivate(M), true;
    case WM_GETMINMAXINFO:
        return OnGetMinMaxInfo(M), true;
    case WM_WINDOWPOSCHANGED:
        return OnWindowPosChanged(M), true;
    case WM_COMMAND:
        return OnCommand(M), true;
    case WM_SYSCOMMAND:
        return OnSysCommand(M), true;
    case CM_MENUCHANGED:
        return OnMenuChanged(M), true;
    default:
        return false;
    }
}

void TWinSkinForm::DispatchDrawnFrame(TMessage& M) {
    switch (M.Msg) {
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
        return OnMenuItem(M);
    case WM_NCCALCSIZE:
        return OnNcCalcSize(M);
    case WM_NCHITTEST:
        return OnNcHitTest(M);
    case WM_NCPAINT:
        return OnNcPaint(M);
    case WM_NCMOUSEMOVE:
        return OnNcMouseMove(M);
    case WM_NCLBUTTONDOWN:
        return OnNcLButtonDown(M);
    case WM_NCLBUTTONUP:
        return OnNcLButtonUp(M);
    case WM_NCLBUTTONDBLCLK:
        return OnNcLButtonDblClk(M);
    case WM_NCRBUTTONDOWN:
        return OnNcRButtonDown(M);
    case SKM_REPAINTFRAME:
        return PaintFrame();
    default:
        return PassOn(M);
    }
}

bool TWinSkinForm::OwnsFrame() const {
    // A child window is never given a frame, unless it is an MDI child.
    return FrameSkinning && !((GetWindowLongW(Wnd, GWL_STYLE) & WS_CHILD) && MdiKind != mkChild);
}

bool TWinSkinForm::DrawsFrameNow() const {
    // A minimised window, one not yet applied and an MDI child that is not shown normally keep
    // the system's frame.
    return ShowState != stMinimized && SkinState != lsNone &&
           !(MdiKind == mkChild && ShowState != stNormal);
}

// ---------------------------------------------------------------------------------------------
// Handlers of every skinned window

void TWinSkinForm::OnEraseBkgnd(TMessage& M) {
    if (!PassOnSurvived(M)) return;
    // A plain window's client is the skin's face.
    if (!Form && SkinData->FaceBrush()) {
        RECT R;
        GetClientRect(Wnd, &R);
        FillRect(reinterpret_cast<HDC>(M.WParam), &R, SkinData->FaceBrush());
        M.Result = 1;
    }
}

void TWinSkinForm::OnNcDestroy(TMessage& M) {
    SkinState = lsDestroying;
    Detach(dkDestroyed);
    if (!PassOnSurvived(M)) return;
    SkinState = lsDestroyed;
}

void TWinSkinForm::OnMenuSelect(TMessage& M) {
    SkinMenuSelect(*this, M.WParam, M.LParam);
    PassOn(M);
}

void TWinSkinForm::OnInitMenuPopup(TMessage& M) {
    // The next menu window belongs to the system menu or to the menu bar.
    if (ISkinHost* Host = SkinHost())
        Host->SetMenuMode(reinterpret_cast<HMENU>(M.WParam) == SystemMenu ? mmSystemMenu
                                                                          : mmMenuBar);
    PassOn(M);
}

void TWinSkinForm::OnCtlColor(TMessage& M) {
    if (!PassOnSurvived(M) || Form) return;
    // A plain window's buttons and static texts stand on the skin's face.
    SetBkMode(reinterpret_cast<HDC>(M.WParam), TRANSPARENT);
    if (M.Msg == WM_CTLCOLORSTATIC && SkinData->FaceBrush())
        M.Result = reinterpret_cast<LRESULT>(SkinData->FaceBrush());
}

// ---------------------------------------------------------------------------------------------
// Handlers of a window whose frame the skin has taken over

void TWinSkinForm::OnSize(TMessage& M) {
    if (!PassOnSurvived(M)) return;
    ShowState = M.WParam == SIZE_MINIMIZED   ? stMinimized
                : M.WParam == SIZE_MAXIMIZED ? stMaximized
                                             : stNormal;
    if (MdiKind == mkChild) FollowMDIMaximized();
    const bool ChildShownByClient =
        MdiKind == mkChild && (ShowState != stNormal || SkinHost()->MDIMaximized());
    if (ShowState != stMinimized && !ChildShownByClient &&
        (SkinState == lsReady || SkinState == lsRefresh))
        BuildRegion();
}

void TWinSkinForm::OnActivate(TMessage& M) {
    Active = LOWORD(M.WParam) != WA_INACTIVE;
    PassOn(M);
}

void TWinSkinForm::OnNcActivate(TMessage& M) {
    Active = M.WParam != 0;
    if (!DrawsFrameNow()) return PassOn(M);
    if (HoverTimer) HoverTimer->SetEnabled(Active);
    if (!Active) ControlSkins.EndHoverButton();
    if (MdiKind == mkFrame && MDIClientWnd) SendMessageW(MDIClientWnd, WM_NCACTIVATE, M.WParam, 0);
    PaintFrame();
    M.Result = 1;
}

void TWinSkinForm::OnGetMinMaxInfo(TMessage& M) {
    if (!PassOnSurvived(M)) return;
    ReadShowState();
    // The caption is the system's while minimised, and while an MDI child is maximised.
    StripCaption(ShowState == stMinimized || (MdiKind == mkChild && ShowState != stNormal));
    if (FrameKind == frSizeable) {
        auto* Info = reinterpret_cast<MINMAXINFO*>(M.LParam);
        Info->ptMaxTrackSize = {GetSystemMetrics(SM_CXMAXIMIZED), GetSystemMetrics(SM_CYMAXIMIZED)};
    }
}

void TWinSkinForm::OnWindowPosChanged(TMessage& M) {
    ReadShowState();
    PassOn(M);
}

void TWinSkinForm::OnCommand(TMessage& M) {
    switch (LOWORD(M.WParam)) {
    case SC_SIZE:
    case SC_MOVE:
    case SC_MINIMIZE:
    case SC_MAXIMIZE:
    case SC_NEXTWINDOW:
    case SC_PREVWINDOW:
    case SC_CLOSE:
    case SC_RESTORE:
        // A command of the native system menu, which the skin shows as a popup menu.
        PostMessageW(Wnd, WM_SYSCOMMAND, LOWORD(M.WParam), 0);
        return;
    default:
        PassOn(M);
    }
}

void TWinSkinForm::OnSysCommand(TMessage& M) {
    bool Handled = false;
    KeyMenu(M, Handled);
    if (Handled) return;
    switch (M.WParam & 0xFFF0) {
    case SC_MINIMIZE:
        ShowState = stMinimized;
        if (MdiKind == mkChild) StripCaption(true);
        break;
    case SC_MAXIMIZE:
        ShowState = stMaximized;
        break;
    case SC_RESTORE:
        ShowState = stNormal;
        if (MdiKind == mkChild) StripCaption(false);
        break;
    default:
        break;
    }
    PassOn(M);
}

void TWinSkinForm::OnMenuChanged(TMessage& M) {
    if (!PassOnSurvived(M)) return;
    if (PaintSuspended() || FClientBringsMenus || !SkinMenu || !SkinData->MenuUpdate()) return;
    // A menu given to the window replaces the one kept; a change of the items of the kept menu
    // (the window has none now) rebuilds the strip just the same.
    if (HMENU Given = GetMenu(Wnd)) SkinMenu->SetNativeMenu(Given);
    if (SkinData->MenuMerge())
        SkinMenu->BuildFromNativeMenu();
    else
        SkinMenu->BuildFromMainMenu(Form);
    PaintFrame();
}

// ---------------------------------------------------------------------------------------------
// Handlers of a frame the skin draws now

void TWinSkinForm::OnMenuItem(TMessage& M) {
    if (!SkinMenu || !SkinMenuItemMessage(*this, M)) PassOn(M);
}

void TWinSkinForm::OnNcCalcSize(TMessage& M) {
    if (!PassOnSurvived(M)) return;
    if (!M.WParam) {
        M.Result = 0;
        return;
    }
    auto* P = reinterpret_cast<NCCALCSIZE_PARAMS*>(M.LParam);
    if (FrameKind == frNone) {
        P->rgrc[1] = P->rgrc[0];
        M.Result = WVR_VALIDRECTS;
        return;
    }
    const WINDOWPOS& W = *P->lppos;
    const RECT Client{W.x + FrameLeft, W.y + FrameTop + MenuHeight, W.x + W.cx - FrameRight,
                      W.y + W.cy - FrameBottom};
    P->rgrc[0] = Client;
    P->rgrc[1] = Client;
    M.Result = WVR_VALIDRECTS;
}

void TWinSkinForm::OnNcHitTest(TMessage& M) {
    if (!PassOnSurvived(M)) return;
    if (M.Result != HTNOWHERE && M.Result != HTCAPTION) return;
    POINT P{GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam)};
    ScreenToClient(Wnd, &P);
    P.x += FrameLeft;
    P.y += FrameTop + MenuHeight;
    if (P.y > 3) {
        M.Result = HTCAPTION;
        if (P.y > FrameTop) M.Result = HTMENU;
    }
}

void TWinSkinForm::OnNcPaint(TMessage& M) {
    if (!PaintSuspended()) {
        if (FrameKind == frNone)
            PassOn(M);
        else
            PaintFrame();
    }
    M.Result = 0;
}

// ---------------------------------------------------------------------------------------------
// Painting

TWinSkinForm::TPaintCache& TWinSkinForm::Cache() {
    auto& C = FCaches[Active ? 1 : 0];
    if (!C) C = std::make_unique<TPaintCache>();
    return *C;
}

TWinSkinForm::TPaintCache& TWinSkinForm::PreparedCache(const TFrameLayout& L) {
    TPaintCache& C = Cache();
    if (C.W == L.Width && C.H == L.Height) return C;
    C.W = L.Width;
    C.H = L.Height;
    C.GroundText.clear();
    C.Ground.Clear();
    PaintEdgePictures(C.Edges, *SkinData, L, Active);
    return C;
}

bool TWinSkinForm::PaintsFrameNow() const {
    if (!SkinHost() || (SkinState != lsReady && SkinState != lsRefresh)) return false;
    if (FrameKind == frNone || (MdiKind == mkChild && ShowState != stNormal)) return false;
    // A failed later load leaves the skin "not loaded" but its objects in place.
    return SkinData->HasSkinObjects();
}

void TWinSkinForm::PaintFrame(HDC Given) {
    if (!PaintsFrameNow()) return;
    try {
        const TFrameLayout& L = Layout();
        if (L.Width <= 0 || L.Height <= 0) return;
        TPaintCache& C = PreparedCache(L);
        if (Height(L.Caption) > 0) ComposeCaption(C, L);
        std::unique_ptr<TWindowDC> Own;
        HDC DC = Given;
        if (!DC) {
            Own = std::make_unique<TWindowDC>(Wnd, true);
            DC = *Own;
        }
        if (!DC) return;
        // The caption, then the rest of each edge below it: four copies, none of them over
        // the client area.
        if (Height(L.Caption) > 0)
            BitBlt(DC, 0, 0, L.Width, Height(L.Caption), CaptionCache.Canvas()->Handle(), 0, 0,
                   SRCCOPY);
        PaintEdgesBelowCaption(DC, L, C.Edges);
        if (SkinMenu && MenuHeight > 0) SkinMenu->PaintStrip(DC);
    } catch (...) {
        // A broken skin never stops the window.
    }
    FHotObject = nullptr;
}

void TWinSkinForm::ComposeCaption(TPaintCache& C, const TFrameLayout& L) {
    const int W = L.Width, Top = Height(L.Caption);
    CaptionCache.SetPixelFormat(pf24bit);
    CaptionCache.SetSize(W, Top);
    HDC Strip = CaptionCache.Canvas()->Handle();
    const bool Same = C.Ground.Width() == W && C.Ground.Height() == Top &&
                      C.GroundText == FState.Caption && EqualRect(&C.GroundTextRect, &L.Text);
    if (Same) {
        BitBlt(Strip, 0, 0, W, Top, TBitmapSource(C.Ground), 0, 0, SRCCOPY);
    } else {
        PaintCaptionGround(Strip, *SkinData, L, FState, C.Edges, CaptionFont.Handle());
        C.GroundText = FState.Caption;
        C.GroundTextRect = L.Text;
        C.Ground.SetPixelFormat(pf24bit);
        C.Ground.SetSize(W, Top);
        BitBlt(C.Ground.Canvas()->Handle(), 0, 0, W, Top, Strip, 0, 0, SRCCOPY);
        C.Composed.clear();
    }
    PaintCaptionButtons(Strip);
}

TBitmap* TWinSkinForm::ComposedButton(const TWinSysButton& B, int Frame) {
    const RECT& R = B.Bounds;
    const int W = Width(R), H = Height(R);
    if (W <= 0 || H <= 0) return nullptr;
    auto& All = Cache().Composed;
    if (All.size() < NCButtons.size()) All.resize(NCButtons.size());
    auto& Slot = All[static_cast<size_t>(B.Index)][static_cast<size_t>(std::clamp(Frame, 0, 4))];
    if (Slot && Slot->Width() == W && Slot->Height() == H) return Slot.get();
    // The button over what lies behind it: the caption strip, or the menu bar's ground.
    Slot = std::make_unique<TBitmap>(W, H, pf24bit);
    HDC DC = Slot->Canvas()->Handle();
    if (B.SkinButton->Visibility != viMdiChild && !Cache().Ground.Empty())
        BitBlt(DC, 0, 0, W, H, TBitmapSource(Cache().Ground), R.left, R.top, SRCCOPY);
    else if (SkinMenu)
        SkinMenu->CopyGround(DC, R);
    if (B.IsIcon()) {
        if (Cache().Icon.Empty()) Cache().Icon.Make(IconBitmap);
        Cache().Icon.Draw(DC, 0, 0);
    } else {
        SkinData->ButtonPicture(*B.SkinButton, std::clamp(Frame, 1, 4)).Draw(DC, 0, 0);
    }
    return Slot.get();
}

void TWinSkinForm::PaintButton(TWinSysButton& B) {
    if (!B.Visible || IsRectEmpty(&B.Bounds) || CaptionCache.Empty()) return;
    if (SkinState != lsReady && SkinState != lsRefresh) return;
    try {
        int Frame = B.IsIcon() ? 0 : B.State;
        if (B.SkinButton->Visibility == viMdiChild && B.State == nsHot) Frame = 4;
        TBitmap* Picture = ComposedButton(B, Frame);
        if (!Picture) return;
        TWindowDC Window(Wnd, true);
        BitBlt(Window, B.Bounds.left, B.Bounds.top, Picture->Width(), Picture->Height(),
               TBitmapSource(*Picture), 0, 0, SRCCOPY);
    } catch (...) {
        // A broken skin never stops the window.
    }
}

// ---------------------------------------------------------------------------------------------
// What the menu strip asks of the frame

bool TWinSkinForm::StripShown() const {
    return MenuHeight > 0 && (SkinState == lsReady || SkinState == lsRefresh);
}

// A maximised MDI child's caption buttons are the frame's, laid out with the caption, but they
// sit in the strip and are painted with it (over its ground, in their normal look).
bool TWinSkinForm::PaintMDIChildButtons(HDC Strip) {
    bool Any = false;
    for (auto& P : NCButtons) {
        TWinSysButton& B = *P;
        if (B.SkinButton->Visibility != viMdiChild || !B.Visible || IsRectEmpty(&B.Bounds))
            continue;
        RECT R = B.Bounds;
        OffsetRect(&R, -FrameLeft, -FrameTop);
        DrawSkinFrame(Strip, R, B.SkinButton->Bitmap, true, B.SkinButton->FrameCount, 1);
        Any = true;
    }
    return Any;
}

void TWinSkinForm::WithoutFramePaint(const std::function<void()>& Change) {
    TFramePaintSuspension Quiet(*this);
    Change();
}

// ---------------------------------------------------------------------------------------------
// Layout

TFrameState TWinSkinForm::ReadFrameState() {
    TFrameState S;
    const RECT R = FrameRect();
    S.Width = Width(R);
    S.Height = Height(R);
    S.Edges = {FrameLeft, FrameTop, FrameRight, FrameBottom};
    S.MenuHeight = MenuHeight;
    S.Caption = CaptionPrefix + SkinWindowText(Wnd, UnicodeWindow) + CaptionSuffix;
    // Measuring takes a DC: an unchanged caption keeps its measure (an empty one was never
    // measured).
    S.CaptionSize = !FState.Caption.empty() && S.Caption == FState.Caption
                        ? FState.CaptionSize
                        : MeasureCaption(CaptionFont.Handle(), S.Caption);
    S.Active = Active;
    S.Popup = (GetWindowLongW(Wnd, GWL_STYLE) & WS_POPUP) != 0;
    S.RightToLeft = RightToLeft;
    S.SystemDialog = SystemDialog;
    S.Kind = FrameKind;
    S.Show = ShowState;
    S.CaptionBits = CaptionBits;
    S.MdiChildMaximized = MdiChildShownMaximized();
    S.Answers = WindowAnswers();
    if (SkinMenu) S.MenuItems = SkinMenu->StripItems(FState.MenuItems);
    return S;
}

bool TWinSkinForm::MdiChildShownMaximized() const {
    if (MdiKind != mkFrame || !MDIClientWnd || MenuHeight <= 0) return false;
    const bool Asked = std::any_of(NCButtons.begin(), NCButtons.end(), [](const auto& B) {
        return B->SkinButton->Visibility == viMdiChild;
    });
    if (!Asked) return false;
    BOOL Maximized = FALSE;
    const bool Child =
        SendMessageW(MDIClientWnd, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&Maximized)) != 0;
    return Child && Maximized;
}

std::vector<bool> TWinSkinForm::WindowAnswers() const {
    std::vector<bool> Answers(NCButtons.size());
    for (size_t I = 0; I < NCButtons.size(); ++I)
        if (AsksTheWindow(*NCButtons[I]->SkinButton))
            Answers[I] = SendMessageW(Wnd, SKM_BUTTONVISIBLE, I, 0) > 0;
    return Answers;
}

const TFrameLayout& TWinSkinForm::Layout() {
    TFrameState S = ReadFrameState();
    if (FLayoutValid && S == FState) return FLayout;
    FState = std::move(S);
    FLayout = LayOutFrame(*SkinData, FState);
    FLayoutValid = true;
    PlaceObjects();
    return FLayout;
}

void TWinSkinForm::PlaceObjects() {
    for (size_t I = 0; I < NCButtons.size() && I < FLayout.Buttons.size(); ++I) {
        NCButtons[I]->Visible = FLayout.Buttons[I].Visible;
        NCButtons[I]->Bounds = FLayout.Buttons[I].Bounds;
    }
    if (SkinMenu) SkinMenu->Place(FLayout.MenuStrip, FState.MenuItems, FLayout.MenuButtons);
}

void TWinSkinForm::InvalidateLayout() {
    FLayoutValid = false;
    FState = {};
}

void TWinSkinForm::LayOutForHitTest() {
    // Painting keeps the layout up to date; a hit test before the first paint or after a
    // size change the frame has not painted yet lays it out first.
    const RECT R = FrameRect();
    if (!FLayoutValid || FLayout.Width != Width(R) || FLayout.Height != Height(R)) Layout();
}

void TWinSkinForm::PaintCaptionButtons(HDC DC) {
    for (auto& P : NCButtons) {
        TWinSysButton& B = *P;
        const TDataSkinSysButton& S = *B.SkinButton;
        if (!B.Visible || IsRectEmpty(&B.Bounds) || S.Visibility == viMdiChild) continue;
        const int Frame = B.IsIcon() ? 0 : Active || S.FrameCount < 4 ? 1 : 4;
        if (TBitmap* Picture = ComposedButton(B, Frame))
            BitBlt(DC, B.Bounds.left, B.Bounds.top, Picture->Width(), Picture->Height(),
                   TBitmapSource(*Picture), 0, 0, SRCCOPY);
    }
}

// ---------------------------------------------------------------------------------------------
// The window's shape

void TWinSkinForm::BuildRegion() {
    if (SkinState == lsDestroyed || (MdiKind == mkChild && ShowState != stNormal)) return;
    const RECT R = FrameRect();
    const int W = Width(R), H = Height(R);
    if (W <= 0 || H <= 0) return;
    if (RegionSet && RegionSize.cx == W && RegionSize.cy == H && MdiKind != mkChild &&
        SkinState != lsRefresh)
        return;
    TRegionHandle Shape = FrameShape(W, H);
    ++RegionBuilds;
    // The window owns the region from here on.
    if (SetWindowRgn(Wnd, Shape.Get(), TRUE)) {
        (void)Shape.Release();
        RegionSet = true;
        RegionSize = {W, H};
    }
}

TRegionHandle TWinSkinForm::FrameShape(int W, int H) {
    auto& B = SkinData->Borders;
    const bool AnyTrans = std::any_of(B.begin(), B.end(), [](auto& E) { return E->Trans != 0; });
    if (!AnyTrans) return TRegionHandle(CreateRectRgn(0, 0, W, H));
    TRegionHandle Shape(CreateRectRgn(FrameLeft, FrameTop, W - FrameRight, H - FrameBottom));
    if (FrameKind == frNone) return Shape;
    auto AddEdge = [&](TSkinBorderSide Side, const RECT& E, bool Usable) {
        AddEdgeShape(Shape, *SkinData, Side, E, Usable, Active);
    };
    AddEdge(sbsLeft, {0, 0, FrameLeft, H}, H > 1 && FrameLeft > 0);
    AddEdge(sbsRight, {W - FrameRight, 0, W, H}, H > 1 && FrameRight > 0);
    AddEdge(sbsBottom, {FrameLeft, H - FrameBottom, W - FrameRight, H},
            FrameBottom >= 2 && W - FrameLeft - FrameRight > 0);
    const RECT Top{FrameLeft, 0, W - FrameRight, FrameTop};
    if (FrameTop > 1 && Width(Top) > 0 && B[sbsTop]->Trans == 1 && CaptionCache.Width() == W &&
        CaptionCache.Height() == FrameTop) {
        // The caption as painted, so its buttons and text shape the window too.
        TBitmap Part(Width(Top), FrameTop, pf24bit);
        BitBlt(Part.Canvas()->Handle(), 0, 0, Width(Top), FrameTop, CaptionCache.Canvas()->Handle(),
               FrameLeft, 0, SRCCOPY);
        AddPictureShape(Shape, Part, FrameLeft, 0);
    } else {
        AddEdge(sbsTop, Top, FrameTop > 1 && Width(Top) > 0);
    }
    return Shape;
}

// ---------------------------------------------------------------------------------------------
// The mouse in the frame

TNCObject* TWinSkinForm::HitObject(POINT P) {
    LayOutForHitTest();
    for (auto& B : NCButtons)
        if (B->Visible && B->SkinButton->Action >= 0 && PtInRect(&B->Bounds, P)) return B.get();
    if (SkinMenu) return SkinMenu->ButtonAt(P);
    return nullptr;
}

TNCObject* TWinSkinForm::ObjectAt(const TMessage& M) {
    return HitObject(ScreenToFrame({GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam)}));
}

void TWinSkinForm::OnNcMouseMove(TMessage& M) {
    if (!Active) return;
    if (TNCObject* Hit = ObjectAt(M)) {
        Hit->MouseMove();
        return;
    }
    if (FHotObject) FHotObject->MouseLeave();
    PassOn(M);
}

void TWinSkinForm::OnNcLButtonDown(TMessage& M) {
    if (TNCObject* Hit = ObjectAt(M)) {
        if (!Active) SetForegroundWindow(Wnd);
        Hit->MouseDown();
        if (SkinMenu) SkinMenu->ButtonPressed(Hit);
        return;
    }
    // A maximised window does not move by its caption.
    if (ShowState == stMaximized && Active && M.WParam == HTCAPTION) M.WParam = HTMENU;
    PassOn(M);
}

void TWinSkinForm::OnNcLButtonUp(TMessage& M) {
    TNCObject* Hit = ObjectAt(M);
    if (!Hit) return PassOn(M);
    // A caption button runs its action when released where it was pressed.
    auto* Button = dynamic_cast<TWinSysButton*>(Hit);
    if (Button && Hit == FHotObject) {
        Hit->MouseUp();
        RunButtonAction(Button->SkinButton->Action);
    }
}

void TWinSkinForm::OnNcLButtonDblClk(TMessage&) {
    if (ShowState != stNormal)
        Restore();
    else if (CaptionBits & csMaxBox)
        ToggleMaximize();
}

void TWinSkinForm::OnNcRButtonDown(TMessage& M) {
    if (M.WParam == HTCAPTION && MdiKind != mkChild) {
        ShowSystemMenu({GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam)});
        return;
    }
    PassOn(M);
}

void TWinSkinForm::HoverTick() {
    if (MenuTracking) return;
    POINT P;
    GetCursorPos(&P);
    if (FHotObject) {
        const POINT F = ScreenToFrame(P);
        if (!PtInRect(&FHotObject->Bounds, F)) FHotObject->MouseLeave();
    }
    if (const TSkinControl* Button = ControlSkins.HoverButton(); !Form && Button) {
        RECT R;
        GetWindowRect(Button->Wnd, &R);
        if (!PtInRect(&R, P)) ControlSkins.EndHoverButton();
    }
}

// ---------------------------------------------------------------------------------------------
// Caption button actions, the system menu and the keyboard

HWND TWinSkinForm::ActiveMDIChild() const {
    if (MdiKind != mkFrame || !MDIClientWnd) return nullptr;
    return reinterpret_cast<HWND>(SendMessageW(MDIClientWnd, WM_MDIGETACTIVE, 0, 0));
}

void TWinSkinForm::ToActiveMDIChild(UINT Command) {
    if (HWND Child = ActiveMDIChild()) SendMessageW(Child, WM_SYSCOMMAND, Command, 0);
    if (SkinHost() && SkinHost()->MDIMaximized()) {
        HWND Child = ActiveMDIChild();
        if (!Child || !IsZoomed(Child)) SkinHost()->SetMDIMaximized(false);
    }
}

void TWinSkinForm::RunButtonAction(int Action) {
    switch (Action) {
    case acClose:
        if (HoverTimer) HoverTimer->SetEnabled(false);
        PostMessageW(Wnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    case acMaximize:
    case acMaximizeToo:
        ToggleMaximize();
        break;
    case acMinimize:
    case acMinimizeToo:
        ToggleMinimize();
        break;
    case acSystemMenu:
    case acIcon:
    case acIconMenu: {
        POINT P;
        GetCursorPos(&P);
        ShowSystemMenu({P.x + 1, P.y + 1});
        break;
    }
    case acChildMinimize:
    case acChildMinimizeToo:
        ToActiveMDIChild(SC_MINIMIZE);
        break;
    case acChildRestore:
    case acChildRestoreToo:
        ToActiveMDIChild(SC_RESTORE);
        break;
    case acChildClose:
    case acChildCloseToo:
        ToActiveMDIChild(SC_CLOSE);
        break;
    default:
        PostMessageW(Wnd, SKM_SYSBUTTON, static_cast<WPARAM>(Action), 0);
        break;
    }
}

void TWinSkinForm::ToggleMaximize() {
    if (ShowState == stMaximized) return Restore();
    ShowState = stMaximized;
    if (MdiKind == mkChild && SkinHost()) SkinHost()->SetMDIMaximized(true);
    PostMessageW(Wnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    FHotObject = nullptr;
}

void TWinSkinForm::ToggleMinimize() {
    if (ShowState == stMinimized) return Restore();
    ShowState = stMinimized;
    PostMessageW(Wnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

void TWinSkinForm::Restore() {
    ShowState = stNormal;
    PostMessageW(Wnd, WM_SYSCOMMAND, SC_RESTORE, 0);
}

void TWinSkinForm::ShowSystemMenu(POINT At) {
    if (SkinSysMenu) {
        for (int I = 0; I < SkinSysMenu->Items()->Count(); ++I) {
            TMenuItem* Item = SkinSysMenu->Items()->Items(I);
            switch (Item->Tag()) {
            case 0:
                Item->SetEnabled(ShowState != stNormal);
                break;
            case 1:
                Item->SetEnabled(ShowState != stMaximized);
                break;
            case 2:
                Item->SetEnabled(ShowState != stMinimized);
                break;
            default:
                break;
            }
        }
    }
    const DWORD Now = GetTickCount();
    if (Now - LastSysMenuTime > DoubleClickTime) {
        LastSysMenuTime = Now;
        if (ISkinHost* Host = SkinHost()) Host->SetMenuMode(mmSystemMenu);
        const bool Native = !SkinData->SkinControls().Contains(xcSystemMenu) || MdiKind == mkChild;
        if (Native || !SkinSysMenu) {
            if (SystemMenu)
                TrackPopupMenu(SystemMenu, TPM_RIGHTBUTTON, At.x, At.y, 0, Wnd, nullptr);
        } else {
            SkinSysMenu->Popup(At.x, At.y);
        }
    } else if (FHotObject) {
        // The icon button clicked twice: close.
        if (HoverTimer) HoverTimer->SetEnabled(false);
        PostMessageW(Wnd, WM_CLOSE, 0, 0);
    }
}

void TWinSkinForm::KeyMenu(TMessage& M, bool& Handled) {
    Handled = false;
    if ((M.WParam & 0xFFF0) != SC_KEYMENU || MenuTracking || GetCapture()) return;
    if (M.LParam == ' ' || M.LParam == '-') return;
    const bool Accelerator =
        SkinMenu && SkinMenu->ButtonForAccelerator(static_cast<wchar_t>(M.LParam)) != nullptr;
    if (M.LParam == 0 || Accelerator) {
        // Alt or F10 alone, or a menu accelerator: the skin's menu bar answers it through the
        // dialog-character message.
        M.Result = 1;
        Handled = true;
    }
}
