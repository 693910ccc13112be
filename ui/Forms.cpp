#include "Forms.h"

#include "Reader.h"

#include <algorithm>

TApplication* Application = new TApplication(nullptr);
TScreen* Screen = new TScreen;

TCustomForm* TScreen::FindForm(HWND Wnd) const {
    if (!Wnd) return nullptr;
    for (TCustomForm* F : FForms)
        if (F->HandleAllocated() && F->Handle() == Wnd) return F;
    return nullptr;
}

TFont* TScreen::MenuFont() {
    if (!FMenuFont) {
        FMenuFont = std::make_unique<TFont>();
        NONCLIENTMETRICSW M{};
        M.cbSize = sizeof(M);
        if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(M), &M, 0)) {
            FMenuFont->SetName(M.lfMenuFont.lfFaceName);
            FMenuFont->SetHeight(M.lfMenuFont.lfHeight);
            FMenuFont->SetCharset(static_cast<TFontCharset>(M.lfMenuFont.lfCharSet));
            FMenuFont->SetStyle(M.lfMenuFont.lfWeight >= FW_BOLD ? TFontStyles{fsBold}
                                                                 : TFontStyles{});
        }
    }
    return FMenuFont.get();
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
    for (auto& [Name, Bind] : FFields)
        Bind(FindComponent(Name));
    DoCreate();
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
}

void TCustomForm::CreateParams(TCreateParams& P) {
    TWinControl::CreateParams(P);
    // A form placed on another control is a part of it: a child window without a frame.
    if (Parent()) return;
    FrameStyle(P.Style, P.ExStyle);
    P.WndParent = Application->Handle();
    if (auto* M = dynamic_cast<IMenuSource*>(FMenu)) P.Menu = M->MenuHandle();
    if (FPosition == poDefault || FPosition == poDefaultPosOnly) P.X = P.Y = CW_USEDEFAULT;
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
}

RECT TCustomForm::ClientRect() const {
    if (HandleAllocated()) return TWinControl::ClientRect();
    // No window yet: what the frame of the style we would create leaves inside.
    DWORD Style, ExStyle;
    FrameStyle(Style, ExStyle);
    RECT R{0, 0, 0, 0};
    AdjustWindowRectEx(&R, Style, FMenu != nullptr, ExStyle);
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
    FFormStyle = V;
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
    TCloseAction Action = caHide;
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
        delete this;
        return;
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
        if (FMenu) ::SetMenu(Handle(), nullptr);
        break;
    case WM_COMMAND:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_INITMENUPOPUP:
    case WM_MENUCHAR:
        if (auto* S = dynamic_cast<IMenuSource*>(FMenu); S && S->DispatchMenuMessage(M)) return;
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
        SetWindowLongPtrW(W, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    return FHandle;
}

void TApplication::SetTitle(const std::wstring& V) {
    FTitle = V;
    if (FHandle) SetWindowTextW(FHandle, V.c_str());
}

LRESULT CALLBACK TApplication::AppWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    auto* Self = reinterpret_cast<TApplication*>(GetWindowLongPtrW(Wnd, GWLP_USERDATA));
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
