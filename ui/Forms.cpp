#include "Forms.h"

#include "Menus.h"
#include "Reader.h"
#include "WindowBinding.h"

#include <algorithm>

TApplication* Application = new TApplication(nullptr);
TScreen* Screen = new TScreen;

TCustomForm* TScreen::FindForm(HWND Wnd) const {
    if (!Wnd) return nullptr;
    for (TCustomForm* F : FForms)
        if (F->HandleAllocated() && F->Handle() == Wnd) return F;
    return nullptr;
}

TCustomForm* GetParentForm(const TControl* Control) {
    while (Control && Control->Parent())
        Control = Control->Parent();
    return dynamic_cast<TCustomForm*>(const_cast<TControl*>(Control));
}

// ---------------------------------------------------------------------------------------------
// TCustomForm

TCustomForm::TCustomForm(TComponent* AOwner)
    : TWinControl(AOwner), FIcon(std::make_unique<TIcon>()), FCanvas(std::make_unique<TCanvas>()) {
    FVisible = false;
    SetParentColor(false);
    SetColor(clBtnFace);
    SetParentFont(false);
    SetParentShowHint(false);
    FControlStyle.Include(csAcceptsControls).Exclude(csCaptureMouse).Exclude(csClickEvents);
    TControl::SetBounds(0, 0, 320, 240);
    FIcon->OnChange = [this](TObject*) {
        if (HandleAllocated())
            SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(FIcon->Handle()));
    };
    Screen->FForms.push_back(this);
}

TCustomForm::~TCustomForm() {
    Destroying();
    // While this is still a form: an MDI child leaves through its client, and a frame's
    // children lose their windows before any of its menus go.
    if (FFormStyle == fsMDIChild || FFormStyle == fsMDIForm) DestroyHandle();
    auto& Forms = Screen->FForms;
    Forms.erase(std::remove(Forms.begin(), Forms.end(), this), Forms.end());
    if (OnDestroy) {
        try {
            OnDestroy(this);
        } catch (...) {
            ::HandleException(this);
        }
    }
    DestroyComponents();
}

void TCustomForm::InitializeForm() {
    ReadComponentResource(*this, ClassName());
    for (auto& [Name, Field] : FFields) {
        TComponent* Found = FindComponent(Name);
        if (!Field.Bind(Field.Ref, Found))
            throw EComponentError(L"Component " + Name + L" is a " + Found->ClassName());
    }
    DoCreate();
}

void TCustomForm::AddField(std::wstring_view Name, void* Ref,
                           bool (*Bind)(void* Ref, TComponent* Found)) {
    FFields[std::wstring(Name)] = {Ref, Bind};
}

void TCustomForm::DoCreate() {
    if (OnCreate) OnCreate(this);
}

void TCustomForm::DoShow() {
    if (OnShow) OnShow(this);
}

void TCustomForm::DoHide() {
    if (OnHide) OnHide(this);
}

void TCustomForm::DoClose(TCloseAction& Action) {
    if (OnClose) OnClose(this, Action);
}

void TCustomForm::Loaded() {
    TWinControl::Loaded();
    AlignControls();
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation) {
    TWinControl::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FActiveControl) FActiveControl = nullptr;
    if (AComponent == FMenu) SetMenu(nullptr);
    if (AComponent == FWindowMenu) SetWindowMenu(nullptr);
}

void TCustomForm::CreateParams(TCreateParams& P) {
    TWinControl::CreateParams(P);
    // A form placed on another control is a part of it: a child window without a frame.
    if (Parent()) return;
    FrameStyle(P.Style, P.ExStyle);
    P.WndParent = Application->Handle();
    // A frame's menu bar is set once its client exists (the client merges the children's).
    if (auto* M = dynamic_cast<IMenuSource*>(FMenu); M && FFormStyle != fsMDIForm)
        P.Menu = M->MenuHandle();
    if (FPosition == poDefault || FPosition == poDefaultPosOnly) P.X = P.Y = CW_USEDEFAULT;
    if (FFormStyle == fsMDIChild) {
        TCustomForm* Frame = MDIFrame();
        if (!Frame) throw EComponentError(L"An MDI child form needs an MDI frame form");
        P.Style = (P.Style & ~WS_POPUP) | WS_CHILD;
        if (FVisible) P.Style |= WS_VISIBLE;
        if (FWindowState == wsMaximized) P.Style |= WS_MAXIMIZE;
        if (FWindowState == wsMinimized) P.Style |= WS_MINIMIZE;
        P.ExStyle |= WS_EX_MDICHILD;
        P.WndParent = Frame->ClientHandle();
        P.Menu = nullptr;
    }
}

void TCustomForm::FrameStyle(DWORD& Style, DWORD& ExStyle) const {
    TCreateParams P;
    P.Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    bool Caption = FBorderStyle != bsNone;
    switch (FBorderStyle) {
    case bsNone:
        P.Style |= WS_POPUP;
        break;
    case bsSingle:
    case bsToolWindow:
        P.Style |= WS_CAPTION | WS_BORDER;
        break;
    case bsSizeable:
    case bsSizeToolWin:
        P.Style |= WS_CAPTION | WS_THICKFRAME;
        break;
    case bsDialog:
        P.Style |= WS_POPUP | WS_CAPTION;
        P.ExStyle |= WS_EX_DLGMODALFRAME;
        break;
    }
    if (FBorderStyle == bsToolWindow || FBorderStyle == bsSizeToolWin)
        P.ExStyle |= WS_EX_TOOLWINDOW;
    if (Caption && FBorderIcons.Contains(biSystemMenu)) {
        P.Style |= WS_SYSMENU;
        bool Boxes = FBorderStyle == bsSingle || FBorderStyle == bsSizeable;
        if (Boxes && FBorderIcons.Contains(biMinimize)) P.Style |= WS_MINIMIZEBOX;
        if (Boxes && FBorderIcons.Contains(biMaximize)) P.Style |= WS_MAXIMIZEBOX;
        // Windows shows the help button only on windows without minimise and maximise boxes.
        if (FBorderIcons.Contains(biHelp) &&
            (FBorderStyle == bsDialog || !(P.Style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX))))
            P.ExStyle |= WS_EX_CONTEXTHELP;
    }
    if (!Enabled()) P.Style |= WS_DISABLED;
    if (FFormStyle == fsStayOnTop) P.ExStyle |= WS_EX_TOPMOST;
    Style = P.Style;
    ExStyle = P.ExStyle;
}

void TCustomForm::CreateHandle() {
    TWinControl::CreateHandle();
    if (FIcon->Handle())
        SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(FIcon->Handle()));
    if (FFormStyle == fsMDIForm) CreateMDIClient();
    // The client has the child now: the frame's menu bar and window menu show it.
    if (FFormStyle == fsMDIChild)
        if (TCustomForm* Frame = MDIFrame()) Frame->MergeMDIMenu(Frame->ActiveMDIChild());
}

HWND TCustomForm::CreateWindowHandle(const TCreateParams& P) {
    if (FFormStyle != fsMDIChild) return TWinControl::CreateWindowHandle(P);
    MDICREATESTRUCTW C{};
    C.szClass = P.WinClassName.c_str();
    C.szTitle = P.Caption.c_str();
    C.hOwner = GetModuleHandleW(nullptr);
    C.x = P.X;
    C.y = P.Y;
    C.cx = P.Width;
    C.cy = P.Height;
    C.style = P.Style;
    return reinterpret_cast<HWND>(
        SendMessageW(P.WndParent, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&C)));
}

void TCustomForm::DestroyWindowHandle() {
    HWND Wnd = Handle();
    HWND Client = GetParent(Wnd);
    // The client takes the child off its list and its window menu, and activates the next.
    if (FFormStyle == fsMDIChild && (GetWindowLongW(Wnd, GWL_EXSTYLE) & WS_EX_MDICHILD) && Client)
        SendMessageW(Client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(Wnd), 0);
    else
        TWinControl::DestroyWindowHandle();
}

TCustomForm* TCustomForm::MDIFrame() {
    TCustomForm* Main = Application->MainForm();
    if (Main && Main->FFormStyle == fsMDIForm) {
        Main->HandleNeeded();
        return Main;
    }
    for (TCustomForm* F : Screen->FForms)
        if (F->FFormStyle == fsMDIForm && F->HandleAllocated() && F->FClientHandle) return F;
    return nullptr;
}

HMENU TCustomForm::WindowMenuHandle() const {
    auto* Item = dynamic_cast<TMenuItem*>(FWindowMenu);
    return Item ? Item->Handle() : nullptr;
}

void TCustomForm::CreateMDIClient() {
    if (FClientHandle) return;
    // Children get identifiers from here on, above the menus' own (which stay below 4096).
    CLIENTCREATESTRUCT C{WindowMenuHandle(), 0xFF00};
    RECT R;
    GetClientRect(Handle(), &R);
    HWND Client = CreateWindowExW(
        WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr,
        WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_HSCROLL | WS_VSCROLL, 0, 0,
        R.right, R.bottom, Handle(), nullptr, GetModuleHandleW(nullptr), &C);
    if (!Client) throw EOSError(L"CreateWindowEx MDIClient", GetLastError());
    FClientHandle.Reset(Client);
    MergeMDIMenu(nullptr);
}

void TCustomForm::MergeMDIMenu(TCustomForm* Active) {
    if (FFormStyle != fsMDIForm || !FClientHandle) return;
    if (ComponentState().Contains(csDestroying)) return;
    FMergeActive = Active;
    if (FMerging) {
        FMergeAgain = true;
        return;
    }
    FMerging = true;
    try {
        do {
            FMergeAgain = false;
            BuildMergedMenu(FMergeActive);
        } while (FMergeAgain);
    } catch (...) {
        FMerging = false;
        throw;
    }
    FMerging = false;
}

void TCustomForm::BuildMergedMenu(TCustomForm* Active) {
    auto* Own = dynamic_cast<TMainMenu*>(FMenu);
    auto* ChildMenu = Active ? dynamic_cast<TMainMenu*>(Active->FMenu) : nullptr;
    // Made before the old bar is taken apart: a menu making its lists asks for a merge.
    const HMENU OwnBar = Own ? Own->Handle() : nullptr;
    const HMENU ChildBar = ChildMenu ? ChildMenu->Handle() : nullptr;
    TMenuHandle Old(FMergedMenu.Release());
    // The lists belong to the menus: they leave the old bar before the new one takes them
    // (Wine loses a list taken out of one bar after it went into another).
    if (Old)
        while (GetMenuItemCount(Old) > 0)
            RemoveMenu(Old, 0, MF_BYPOSITION);
    if (Own || ChildMenu) {
        TMenuHandle Merged(CreateMenu());
        UINT At = 0;
        auto Copy = [&](HMENU From, int Position) {
            wchar_t Text[256]{};
            MENUITEMINFOW I{};
            I.cbSize = sizeof(I);
            I.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA | MIIM_STRING;
            I.dwTypeData = Text;
            I.cch = 255;
            if (!GetMenuItemInfoW(From, static_cast<UINT>(Position), TRUE, &I)) return;
            I.dwTypeData = Text;
            InsertMenuItemW(Merged, At++, TRUE, &I);
        };
        auto CopyAll = [&](HMENU From) {
            for (int P = 0, N = GetMenuItemCount(From); P < N; ++P)
                Copy(From, P);
        };
        // The child's items go before the top-level item that leads to the window menu.
        int WindowAt = -1;
        if (Own) {
            TMenuItem* Top = dynamic_cast<TMenuItem*>(FWindowMenu);
            while (Top && Top->Parent() && Top->Parent() != Own->Items())
                Top = Top->Parent();
            if (Top && Top->Parent() == Own->Items() && Top->Visible()) {
                WindowAt = 0;
                for (int K = 0; K < Top->MenuIndex(); ++K)
                    if (Own->Items()->Items(K)->Visible()) ++WindowAt;
            }
        }
        const int OwnCount = OwnBar ? GetMenuItemCount(OwnBar) : 0;
        const int Split = WindowAt >= 0 ? WindowAt : OwnCount;
        for (int P = 0; P < Split; ++P)
            Copy(OwnBar, P);
        if (ChildBar) CopyAll(ChildBar);
        for (int P = Split; P < OwnCount; ++P)
            Copy(OwnBar, P);
        // Windows shows the client's frame menu itself, Wine leaves it to the frame.
        ::SetMenu(Handle(), Merged);
        SendMessageW(FClientHandle, WM_MDISETMENU, reinterpret_cast<WPARAM>(Merged.Get()),
                     reinterpret_cast<LPARAM>(WindowMenuHandle()));
        SendMessageW(FClientHandle, WM_MDIREFRESHMENU, 0, 0);
        FMergedMenu = std::move(Merged);
    } else if (Old) {
        ::SetMenu(Handle(), nullptr);
    }
    if (Old && GetMenu(Handle()) == Old.Get()) ::SetMenu(Handle(), nullptr);
    DrawMenuBar(Handle());
}

void TCustomForm::MDIMenuChanged() {
    if (FFormStyle == fsMDIForm) {
        MergeMDIMenu(ActiveMDIChild());
    } else if (FFormStyle == fsMDIChild && HandleAllocated()) {
        TCustomForm* Frame = MDIFrame();
        if (Frame && Frame->ActiveMDIChild() == this) Frame->MergeMDIMenu(this);
    }
}

void TCustomForm::SetWindowMenu(TComponent* V) {
    if (V && !dynamic_cast<TMenuItem*>(V))
        throw EComponentError(L"A " + V->ClassName() + L" cannot be a window menu");
    if (V == FWindowMenu) return;
    FWindowMenu = V;
    if (V) V->FreeNotification(this);
    if (FClientHandle && !ComponentState().Contains(csDestroying)) MergeMDIMenu(ActiveMDIChild());
}

int TCustomForm::MDIChildCount() const {
    int N = 0;
    for (HWND C = FClientHandle ? GetWindow(FClientHandle, GW_CHILD) : nullptr; C;
         C = GetWindow(C, GW_HWNDNEXT))
        if (Screen->FindForm(C)) ++N;
    return N;
}

TCustomForm* TCustomForm::MDIChildren(int Index) const {
    for (HWND C = FClientHandle ? GetWindow(FClientHandle, GW_CHILD) : nullptr; C;
         C = GetWindow(C, GW_HWNDNEXT))
        if (TCustomForm* F = Screen->FindForm(C); F && Index-- == 0) return F;
    return nullptr;
}

TCustomForm* TCustomForm::ActiveMDIChild() const {
    if (!FClientHandle) return nullptr;
    return Screen->FindForm(
        reinterpret_cast<HWND>(SendMessageW(FClientHandle, WM_MDIGETACTIVE, 0, 0)));
}

void TCustomForm::Tile() {
    if (FClientHandle)
        SendMessageW(FClientHandle, WM_MDITILE,
                     FTileMode == tbVertical ? MDITILE_VERTICAL : MDITILE_HORIZONTAL, 0);
}

void TCustomForm::Cascade() {
    if (FClientHandle) SendMessageW(FClientHandle, WM_MDICASCADE, 0, 0);
}

void TCustomForm::ArrangeIcons() {
    if (FClientHandle) SendMessageW(FClientHandle, WM_MDIICONARRANGE, 0, 0);
}

void TCustomForm::Next() {
    if (FClientHandle) SendMessageW(FClientHandle, WM_MDINEXT, 0, 0);
}

void TCustomForm::Previous() {
    if (FClientHandle) SendMessageW(FClientHandle, WM_MDINEXT, 0, 1);
}

void TCustomForm::DefaultHandler(TMessage& M) {
    if (!HandleAllocated()) return;
    if (FFormStyle == fsMDIForm)
        M.Result = DefFrameProcW(Handle(), FClientHandle, M.Msg, M.WParam, M.LParam);
    else if (FFormStyle == fsMDIChild && (GetWindowLongW(Handle(), GWL_EXSTYLE) & WS_EX_MDICHILD))
        M.Result = DefMDIChildProcW(Handle(), M.Msg, M.WParam, M.LParam);
    else
        TWinControl::DefaultHandler(M);
}

RECT TCustomForm::ClientRect() const {
    if (HandleAllocated()) return TWinControl::ClientRect();
    // No window yet: what the frame of the style we would create leaves inside.
    DWORD Style, ExStyle;
    FrameStyle(Style, ExStyle);
    RECT R{0, 0, 0, 0};
    AdjustWindowRectEx(&R, Style, FMenu != nullptr && FFormStyle != fsMDIChild, ExStyle);
    return {0, 0, std::max(0L, Width() - (R.right - R.left)),
            std::max(0L, Height() - (R.bottom - R.top))};
}

void TCustomForm::SetClientSize(int AWidth, int AHeight) {
    RECT C = ClientRect();
    SetBounds(Left(), Top(), Width() + AWidth - C.right, Height() + AHeight - C.bottom);
}

void TCustomForm::SetBorderIcons(TBorderIcons V) {
    if (V == FBorderIcons) return;
    FBorderIcons = V;
    RecreateWnd();
}

void TCustomForm::SetBorderStyle(TFormBorderStyle V) {
    if (V == FBorderStyle) return;
    FBorderStyle = V;
    RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle V) {
    if (V == FFormStyle) return;
    const bool Mdi =
        V == fsMDIChild || V == fsMDIForm || FFormStyle == fsMDIChild || FFormStyle == fsMDIForm;
    const bool Had = HandleAllocated();
    if (Mdi && Had) DestroyHandle();
    FFormStyle = V;
    // An MDI child shows from the start (a hidden one would leave the client's list confused).
    if (V == fsMDIChild) FVisible = true;
    if (Mdi && Had) HandleNeeded();
    ApplyStayOnTop();
}

void TCustomForm::ApplyStayOnTop() {
    if (!HandleAllocated()) return;
    SetWindowPos(Handle(), FFormStyle == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

TWindowState TCustomForm::WindowState() const {
    if (!HandleAllocated()) return FWindowState;
    HWND H = const_cast<TCustomForm*>(this)->Handle();
    return IsIconic(H) ? wsMinimized : IsZoomed(H) ? wsMaximized : wsNormal;
}

void TCustomForm::SetWindowState(TWindowState V) {
    FWindowState = V;
    if (!HandleAllocated() || !Visible()) return;
    if (FFormStyle == fsMDIChild && V != wsMinimized) {
        // The client keeps the frame's menu bar and its other children in step.
        SendMessageW(GetParent(Handle()), V == wsMaximized ? WM_MDIMAXIMIZE : WM_MDIRESTORE,
                     reinterpret_cast<WPARAM>(Handle()), 0);
        return;
    }
    static const int Show[] = {SW_RESTORE, SW_MINIMIZE, SW_MAXIMIZE};
    ShowWindow(Handle(), Show[V]);
}

void TCustomForm::SetAutoSize(bool V) {
    if (V == FAutoSize) return;
    FAutoSize = V;
    AdjustSize();
}

void TCustomForm::AdjustSize() {
    if (!FAutoSize || ComponentState().Contains(csLoading)) return;
    int Right = 0, Bottom = 0;
    for (int I = 0; I < ControlCount(); ++I) {
        TControl* C = Controls(I);
        if (!C->Visible()) continue;
        Right = std::max(Right, C->Left() + C->Width());
        Bottom = std::max(Bottom, C->Top() + C->Height());
    }
    if (ControlCount() > 0 && (Right != ClientWidth() || Bottom != ClientHeight()))
        SetClientSize(Right, Bottom);
}

void TCustomForm::SetActiveControl(TWinControl* V) {
    if (V == FActiveControl) return;
    if (V && V->TopParent() != this) throw EComponentError(L"The control is not on this form");
    FActiveControl = V;
    if (V) V->FreeNotification(this);
    if (V && HandleAllocated() && GetActiveWindow() == Handle() && V->CanFocus()) V->SetFocus();
}

HWND TCustomForm::MenuBarWindow(const TMainMenu* M) {
    if (FMenu != M || !HandleAllocated() || ComponentState().Contains(csDestroying)) return nullptr;
    return Handle();
}

void TCustomForm::MenuBarGoing(const TMainMenu* M) {
    if (FMenu == M) SetMenu(nullptr);
}

void TCustomForm::SetMenu(TComponent* V) {
    if (V && !dynamic_cast<IMenuSource*>(V))
        throw EComponentError(L"A " + V->ClassName() + L" cannot be a form's menu");
    // Without a window yet, a menu bar coming or going keeps the client size the form was
    // given (a stored description names the menu after setting the client size).
    RECT Client = ClientRect();
    bool Resize = !HandleAllocated() && (FMenu != nullptr) != (V != nullptr);
    FMenu = V;
    if (V) V->FreeNotification(this);
    if (Resize) SetClientSize(Client.right, Client.bottom);
    if (HandleAllocated()) {
        auto* M = dynamic_cast<IMenuSource*>(V);
        // MDI forms show their menus through the frame's merged menu bar (CM_MENUCHANGED).
        if (FFormStyle != fsMDIForm && FFormStyle != fsMDIChild)
            ::SetMenu(Handle(), M ? M->MenuHandle() : nullptr);
        // Sent to the window, so that whoever subclassed it hears of the change too.
        SendMessageW(Handle(), CM_MENUCHANGED, 0, 0);
    }
}

void TCustomForm::PlaceWindow() {
    if (FPlaced) return;
    FPlaced = true;
    if (FPosition == poScreenCenter || FPosition == poDesktopCenter ||
        (FPosition == poMainFormCenter && !Application->MainForm())) {
        SetBounds((GetSystemMetrics(SM_CXSCREEN) - Width()) / 2,
                  (GetSystemMetrics(SM_CYSCREEN) - Height()) / 2, Width(), Height());
    } else if (FPosition == poMainFormCenter || FPosition == poOwnerFormCenter) {
        TCustomForm* M = Application->MainForm();
        if (M && M != this)
            SetBounds(M->Left() + (M->Width() - Width()) / 2,
                      M->Top() + (M->Height() - Height()) / 2, Width(), Height());
    }
}

void TCustomForm::SetVisible(bool V) {
    if (V && FFormStyle == fsMDIChild && !HandleAllocated()) {
        // Made visible: WM_SHOWWINDOW at creation brings OnShow.
        FVisible = true;
        HandleNeeded();
        Perform(CM_VISIBLECHANGED, V);
        return;
    }
    if (V == Visible() && (!HandleAllocated() || IsWindowVisible(Handle()) == V)) return;
    if (V) {
        HandleNeeded();
        PlaceWindow();
        FVisible = true;
        // WM_SHOWWINDOW brings OnShow, before the window appears.
        static const int Show[] = {SW_SHOWNORMAL, SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED};
        ShowWindow(Handle(), Show[FWindowState]);
        ApplyStayOnTop();
        if (FActiveControl && FActiveControl->CanFocus() && GetActiveWindow() == Handle())
            FActiveControl->SetFocus();
    } else {
        FVisible = false;
        if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
    }
    Perform(CM_VISIBLECHANGED, V);
}

bool TCustomForm::CloseQuery() {
    bool CanClose = true;
    if (OnCloseQuery) OnCloseQuery(this, CanClose);
    return CanClose;
}

void TCustomForm::Close() {
    if (!CloseQuery()) return;
    // Hiding an MDI child would leave a hole in the client's list: it is minimised instead.
    TCloseAction Action = caHide;
    if (FFormStyle == fsMDIChild) Action = FBorderIcons.Contains(biMinimize) ? caMinimize : caNone;
    DoClose(Action);
    if (Action == caNone) return;
    if (Application->MainForm() == this) {
        Application->Terminate();
        return;
    }
    switch (Action) {
    case caHide:
        Hide();
        break;
    case caMinimize:
        SetWindowState(wsMinimized);
        break;
    default:
        Release();
    }
}

void TCustomForm::Release() {
    if (HandleAllocated()) PostMessageW(Handle(), CM_RELEASE, 0, 0);
}

void TCustomForm::PaintWindow(HDC DC) {
    if (!OnPaint) return;
    FCanvas->Font()->Assign(*Font());
    FCanvas->Brush()->SetColor(Color());
    TCanvasDC Bound(*FCanvas, DC);
    OnPaint(this);
}

void TCustomForm::WndProc(TMessage& M) {
    switch (M.Msg) {
    case WM_CLOSE:
        Close();
        return;
    case CM_RELEASE:
        // An MDI child's window goes while the whole form still exists: its client tells it
        // of the next child's activation on the way.
        if (FFormStyle == fsMDIChild) DestroyHandle();
        delete this;
        return;
    case WM_MDIACTIVATE:
        DefaultHandler(M);
        if (FFormStyle == fsMDIChild && !ComponentState().Contains(csDestroying)) {
            const bool Now = reinterpret_cast<HWND>(M.LParam) == Handle();
            // The activated child merges its menu; the last one going leaves the frame's own.
            if (TCustomForm* Frame = MDIFrame(); Frame && (Now || M.LParam == 0))
                Frame->MergeMDIMenu(Now ? this : nullptr);
            if (Now && OnActivate)
                OnActivate(this);
            else if (!Now && OnDeactivate)
                OnDeactivate(this);
        }
        return;
    case CM_MENUCHANGED:
        MDIMenuChanged();
        break;
    case WM_SHOWWINDOW:
        DefaultHandler(M);
        // A ShowWindow call (not an owner being minimised or restored) is a real showing.
        if (M.LParam == 0) {
            FVisible = M.WParam != 0;
            if (M.WParam)
                DoShow();
            else
                DoHide();
        }
        return;
    case WM_SYSCOMMAND:
        if ((M.WParam & 0xFFF0) == SC_MINIMIZE && Application->MainForm() == this) {
            Application->Minimize();
            return;
        }
        break;
    case WM_SETFOCUS:
        if (FActiveControl && FActiveControl != this && FActiveControl->CanFocus()) {
            FActiveControl->SetFocus();
            return;
        }
        break;
    case WM_ACTIVATE:
        DefaultHandler(M);
        if (LOWORD(M.WParam) != WA_INACTIVE) {
            if (OnActivate) OnActivate(this);
        } else if (OnDeactivate)
            OnDeactivate(this);
        return;
    case CM_FOCUSCHANGED:
        FActiveControl = reinterpret_cast<TWinControl*>(M.LParam);
        if (FActiveControl) FActiveControl->FreeNotification(this);
        return;
    case WM_DESTROY:
        // The menu belongs to its component: keep the system from destroying it with the window.
        if (FMenu || FMergedMenu) ::SetMenu(Handle(), nullptr);
        if (FMergedMenu) {
            while (GetMenuItemCount(FMergedMenu) > 0)
                RemoveMenu(FMergedMenu, 0, MF_BYPOSITION);
            FMergedMenu.Reset();
        }
        // The children go with the client, before the frame's own controls.
        FClientHandle.Reset();
        break;
    case WM_COMMAND:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_INITMENUPOPUP:
    case WM_MENUCHAR:
        if (auto* S = dynamic_cast<IMenuSource*>(FMenu); S && S->DispatchMenuMessage(M)) return;
        // A frame's merged menu bar carries the active child's items too.
        if (FFormStyle == fsMDIForm)
            if (TCustomForm* Child = ActiveMDIChild())
                if (auto* S = dynamic_cast<IMenuSource*>(Child->FMenu);
                    S && S->DispatchMenuMessage(M))
                    return;
        break;
    case CM_DIALOGKEY:
        if (M.WParam == VK_TAB) {
            auto* Current = FindControl(GetFocus());
            SelectNext(Current, GetKeyState(VK_SHIFT) >= 0, true);
            M.Result = 1;
            return;
        }
        break;
    default:
        break;
    }
    TWinControl::WndProc(M);
}

// ---------------------------------------------------------------------------------------------
// TApplication

namespace {

const TWindowBinding<TApplication>& AppBinding() {
    static const TWindowBinding<TApplication> Binding(L"Application");
    return Binding;
}

constexpr UINT_PTR HintShowTimer = 1;
constexpr UINT_PTR HintHideTimer = 2;

LRESULT CALLBACK HintWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    if (Msg == WM_PAINT) {
        TPaintDC DC(Wnd);
        RECT R;
        GetClientRect(Wnd, &R);
        TBrushHandle Back(CreateSolidBrush(GetSysColor(COLOR_INFOBK)));
        ::FillRect(DC, &R, Back);
        wchar_t Text[512];
        int N = GetWindowTextW(Wnd, Text, 512);
        HGDIOBJ OldFont = SelectObject(DC, GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(DC, TRANSPARENT);
        SetTextColor(DC, GetSysColor(COLOR_INFOTEXT));
        InflateRect(&R, -2, -2);
        DrawTextW(DC, Text, N, &R, DT_LEFT | DT_NOPREFIX);
        SelectObject(DC, OldFont);
        return 0;
    }
    if (Msg == WM_NCHITTEST) return HTTRANSPARENT;
    return DefWindowProcW(Wnd, Msg, WParam, LParam);
}

void RegisterWindowClass(const wchar_t* Name, WNDPROC Proc, UINT Style, HBRUSH Background) {
    WNDCLASSEXW C{};
    if (GetClassInfoExW(GetModuleHandleW(nullptr), Name, &C)) return;
    C.cbSize = sizeof(C);
    C.style = Style;
    C.lpfnWndProc = Proc;
    C.hInstance = GetModuleHandleW(nullptr);
    C.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    C.hbrBackground = Background;
    C.lpszClassName = Name;
    if (!RegisterClassExW(&C)) throw EOSError(L"RegisterClassEx", GetLastError());
}

} // namespace

TApplication::TApplication(TComponent* AOwner)
    : TComponent(AOwner), FIcon(std::make_unique<TIcon>()) {
    SetExceptionReporter([this](TObject* Sender, std::exception_ptr E) {
        if (OnException)
            OnException(Sender, E);
        else
            ShowException(E);
    });
}

TApplication::~TApplication() {
    Destroying();
    // The window's last messages must not reach a half-destroyed application.
    if (FHandle) AppBinding().Unbind(FHandle);
    SetExceptionReporter(nullptr);
    if (Application == this) Application = nullptr;
}

void TApplication::Initialize() {
    (void)Handle();
}

HWND TApplication::Handle() {
    if (!FHandle) {
        RegisterWindowClass(L"TApplication", &AppWndProc, 0, nullptr);
        // A window of no size at the centre of the screen: it shows nothing but carries the
        // taskbar button and owns the forms.
        HWND W =
            CreateWindowExW(0, L"TApplication", FTitle.c_str(),
                            WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                            GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0,
                            0, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (!W) throw EOSError(L"CreateWindowEx TApplication", GetLastError());
        FHandle.Reset(W);
        AppBinding().Bind(W, this);
    }
    return FHandle;
}

void TApplication::SetTitle(const std::wstring& V) {
    FTitle = V;
    if (FHandle) SetWindowTextW(FHandle, V.c_str());
}

LRESULT CALLBACK TApplication::AppWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    TApplication* Self = AppBinding().Find(Wnd);
    if (!Self) return DefWindowProcW(Wnd, Msg, WParam, LParam);
    TMessage M{Msg, WParam, LParam, 0};
    try {
        Self->WndProc(M);
    } catch (...) {
        Self->HandleException(Self);
    }
    return M.Result;
}

void TApplication::WndProc(TMessage& M) {
    // Hooks may remove themselves while running: walk a copy.
    auto Hooks = FHooks;
    for (auto& [Id, Hook] : Hooks)
        if (Hook(M)) return;
    switch (M.Msg) {
    case WM_SYSCOMMAND:
        if ((M.WParam & 0xFFF0) == SC_MINIMIZE) return Minimize();
        if ((M.WParam & 0xFFF0) == SC_RESTORE) return Restore();
        break;
    case WM_CLOSE:
        if (FMainForm) FMainForm->Close();
        return;
    case WM_QUERYENDSESSION:
        M.Result = 1;
        return;
    case WM_TIMER:
        if (M.WParam == HintShowTimer) {
            KillTimer(FHandle, HintShowTimer);
            ShowHintNow();
            return;
        }
        if (M.WParam == HintHideTimer) {
            CancelHint();
            return;
        }
        break;
    default:
        break;
    }
    M.Result = DefWindowProcW(FHandle, M.Msg, M.WParam, M.LParam);
}

int TApplication::HookMainWindow(TWindowHook Hook) {
    FHooks.emplace_back(FNextHook, std::move(Hook));
    return FNextHook++;
}

void TApplication::UnhookMainWindow(int Id) {
    FHooks.erase(
        std::remove_if(FHooks.begin(), FHooks.end(), [Id](const auto& H) { return H.first == Id; }),
        FHooks.end());
}

void TApplication::Run() {
    if (FMainForm && FShowMainForm) {
        // No taskbar button is wanted when the window was turned into a tool window.
        if (!(GetWindowLongW(Handle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW))
            ShowWindow(Handle(), SW_SHOWNORMAL);
        FMainForm->Show();
    }
    while (!FTerminated)
        HandleMessage();
}

bool TApplication::IsKeyMsg(MSG& Msg) {
    if (Msg.message != WM_KEYDOWN || Msg.wParam != VK_TAB) return false;
    TWinControl* C = FindControl(Msg.hwnd);
    if (!C) return false;
    if (SendMessageW(Msg.hwnd, WM_GETDLGCODE, Msg.wParam, reinterpret_cast<LPARAM>(&Msg)) &
        (DLGC_WANTTAB | DLGC_WANTALLKEYS))
        return false;
    return C->TopParent()->Perform(CM_DIALOGKEY, Msg.wParam, Msg.lParam) != 0;
}

bool TApplication::ProcessMessage() {
    MSG Msg;
    if (!PeekMessageW(&Msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (Msg.message == WM_QUIT) {
        FTerminated = true;
        return true;
    }
    switch (Msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
        CancelHint();
        break;
    default:
        break;
    }
    // Ctrl+F4, Ctrl+F6 and the keys of a child's system menu, for the frame's children.
    if (FMainForm && FMainForm->FormStyle() == fsMDIForm && FMainForm->ClientHandle() &&
        (Msg.message == WM_KEYDOWN || Msg.message == WM_SYSKEYDOWN) &&
        TranslateMDISysAccel(FMainForm->ClientHandle(), &Msg))
        return true;
    if (!IsKeyMsg(Msg)) {
        TranslateMessage(&Msg);
        DispatchMessageW(&Msg);
    }
    return true;
}

void TApplication::HandleMessage() {
    if (!ProcessMessage()) {
        Idle();
        if (!FTerminated) WaitMessage();
    }
}

void TApplication::ProcessMessages() {
    while (ProcessMessage()) {
    }
}

void TApplication::Idle() {
    POINT P;
    GetCursorPos(&P);
    TControl* Target = FindDragTarget(P, true);
    // While a control holds the mouse, only it hears enter and leave.
    TControl* Capture = GetCaptureControl();
    if (Capture && Target != Capture) Target = nullptr;
    SetMouseControl(Target);
    if (OnIdle) OnIdle(this);
}

void TApplication::SetMouseControl(TControl* C) {
    if (C == FMouseControl) return;
    TControl* Old = FMouseControl;
    FMouseControl = C;
    if (C) C->FreeNotification(this);
    if (Old) {
        Old->Perform(CM_MOUSELEAVE);
        if (Old != FMouseControl) Old->RemoveFreeNotification(this);
    }
    if (C) C->Perform(CM_MOUSEENTER);
    CancelHint();
    if (!C || !FShowHint || !C->ShowHint()) return;
    std::wstring Text = C->Hint().substr(0, C->Hint().find(L'|'));
    if (Text.empty()) return;
    FHintControl = C;
    FHintText = Text;
    SetTimer(Handle(), HintShowTimer, HintPause, nullptr);
}

void TApplication::ShowHintNow() {
    if (!FHintControl || FHintControl != FMouseControl) return;
    RegisterWindowClass(L"THintWindow", &HintWndProc, CS_SAVEBITS, nullptr);
    if (!FHintWindow)
        FHintWindow.Reset(CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"THintWindow", L"",
                                          WS_POPUP | WS_BORDER, 0, 0, 0, 0, Handle(), nullptr,
                                          GetModuleHandleW(nullptr), nullptr));
    if (!FHintWindow) return;
    SetWindowTextW(FHintWindow, FHintText.c_str());
    RECT R{0, 0, 300, 0};
    {
        TWindowDC DC(FHintWindow);
        HGDIOBJ Old = SelectObject(DC, GetStockObject(DEFAULT_GUI_FONT));
        DrawTextW(DC, FHintText.c_str(), static_cast<int>(FHintText.size()), &R,
                  DT_CALCRECT | DT_LEFT | DT_NOPREFIX);
        SelectObject(DC, Old);
    }
    POINT P;
    GetCursorPos(&P);
    SetWindowPos(FHintWindow, HWND_TOPMOST, P.x, P.y + 20, R.right + 6, R.bottom + 6,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(FHintWindow, nullptr, TRUE);
    SetTimer(Handle(), HintHideTimer, HintHidePause, nullptr);
}

void TApplication::CancelHint() {
    if (!FHandle) return;
    KillTimer(FHandle, HintShowTimer);
    KillTimer(FHandle, HintHideTimer);
    if (FHintWindow) ShowWindow(FHintWindow, SW_HIDE);
    FHintControl = nullptr;
}

void TApplication::SetShowHint(bool V) {
    FShowHint = V;
    if (!V) CancelHint();
}

void TApplication::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FMouseControl) FMouseControl = nullptr;
    if (AComponent == FHintControl) CancelHint();
    if (AComponent == FMainForm) FMainForm = nullptr;
}

void TApplication::Terminate() {
    if (!FTerminated) PostQuitMessage(0);
}

void TApplication::Minimize() {
    if (IsIconic(Handle())) return;
    ShowWindow(Handle(), SW_MINIMIZE);
    if (OnMinimize) OnMinimize(this);
}

void TApplication::Restore() {
    if (!IsIconic(Handle())) return;
    SetActiveWindow(Handle());
    ShowWindow(Handle(), SW_RESTORE);
    if (FMainForm && FMainForm->Visible() && FMainForm->HandleAllocated())
        SetActiveWindow(FMainForm->Handle());
    if (OnRestore) OnRestore(this);
}

void TApplication::BringToFront() {
    HWND Top = GetLastActivePopup(Handle());
    if (Top && IsWindowVisible(Top) && IsWindowEnabled(Top)) SetForegroundWindow(Top);
}

void TApplication::HandleException(TObject* Sender) {
    std::exception_ptr E = std::current_exception();
    try {
        if (OnException)
            OnException(Sender, E);
        else
            ShowException(E);
    } catch (...) {
        // Reporting failed; nothing more can be done here.
    }
}

void TApplication::ShowException(std::exception_ptr E) {
    std::wstring Text = ExceptionMessage(E);
    if (!Text.empty() && Text.back() != L'.') Text += L'.';
    MessageBox(Text, FTitle, MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const std::wstring& Text, const std::wstring& Caption, UINT Flags) {
    HWND Owner = FMainForm && FMainForm->HandleAllocated() && FMainForm->Visible()
                     ? FMainForm->Handle()
                     : nullptr;
    return ::MessageBoxW(Owner, Text.c_str(), Caption.c_str(), Flags);
}

PUBLISHED(TCustomForm) {
    p.Property(L"ActiveControl", &TCustomForm::ActiveControl, &TCustomForm::SetActiveControl);
    p.Property(L"AutoSize", &TCustomForm::AutoSize, &TCustomForm::SetAutoSize);
    p.Property(L"BorderIcons", &TCustomForm::BorderIcons, &TCustomForm::SetBorderIcons);
    p.Property(L"BorderStyle", &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle);
    p.Property(L"ClientHeight", &TCustomForm::ClientHeight, &TCustomForm::SetClientHeight);
    p.Property(L"ClientWidth", &TCustomForm::ClientWidth, &TCustomForm::SetClientWidth);
    p.Property(L"FormStyle", &TCustomForm::FormStyle, &TCustomForm::SetFormStyle);
    p.Property(L"Icon", &TCustomForm::Icon);
    p.Property(L"KeyPreview", &TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview);
    p.Property(L"Menu", &TCustomForm::Menu, &TCustomForm::SetMenu);
    p.Property(L"Position", &TCustomForm::Position, &TCustomForm::SetPosition);
    p.Property(L"TileMode", &TCustomForm::TileMode, &TCustomForm::SetTileMode);
    p.Property(L"WindowMenu", &TCustomForm::WindowMenu, &TCustomForm::SetWindowMenu);
    p.Property(L"WindowState", &TCustomForm::WindowState, &TCustomForm::SetWindowState);
    p.Property(L"OnActivate", &TCustomForm::OnActivate);
    p.Property(L"OnClose", &TCustomForm::OnClose);
    p.Property(L"OnCloseQuery", &TCustomForm::OnCloseQuery);
    p.Property(L"OnCreate", &TCustomForm::OnCreate);
    p.Property(L"OnDeactivate", &TCustomForm::OnDeactivate);
    p.Property(L"OnDestroy", &TCustomForm::OnDestroy);
    p.Property(L"OnHide", &TCustomForm::OnHide);
    p.Property(L"OnPaint", &TCustomForm::OnPaint);
    p.Property(L"OnShow", &TCustomForm::OnShow);
}

PUBLISHED(TForm) {}
PUBLISHED(TApplication) {}
