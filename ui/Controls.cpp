#include "Controls.h"

#include "WindowBinding.h"

#include <windowsx.h>

#include <algorithm>
#include <map>

// ---------------------------------------------------------------------------------------------
// Window lookup and capture

namespace {

const TWindowBinding<TWinControl>& ControlBinding() {
    static const TWindowBinding<TWinControl> Binding(L"Control");
    return Binding;
}

thread_local TWinControl* CreationControl = nullptr;
TControl* CaptureControl = nullptr;

struct TCursorName {
    TCursor Value;
    const wchar_t* Name;
    LPCWSTR Id;
};

const TCursorName CursorNames[] = {
    {crDefault, L"crDefault", IDC_ARROW},
    {crNone, L"crNone", nullptr},
    {crArrow, L"crArrow", IDC_ARROW},
    {crCross, L"crCross", IDC_CROSS},
    {crIBeam, L"crIBeam", IDC_IBEAM},
    {crSizeNESW, L"crSizeNESW", IDC_SIZENESW},
    {crSizeNS, L"crSizeNS", IDC_SIZENS},
    {crSizeNWSE, L"crSizeNWSE", IDC_SIZENWSE},
    {crSizeWE, L"crSizeWE", IDC_SIZEWE},
    {crUpArrow, L"crUpArrow", IDC_UPARROW},
    {crHourGlass, L"crHourGlass", IDC_WAIT},
    {crNo, L"crNo", IDC_NO},
    {crAppStart, L"crAppStart", IDC_APPSTARTING},
    {crHelp, L"crHelp", IDC_HELP},
    {crHandPoint, L"crHandPoint", IDC_HAND},
    {crSizeAll, L"crSizeAll", IDC_SIZEALL},
};

} // namespace

std::wstring TPropText<TCursor>::ToText(TCursor V) {
    for (const auto& C : CursorNames)
        if (C.Value == V) return C.Name;
    return IntToStr(V);
}

TCursor TPropText<TCursor>::FromText(std::wstring_view T) {
    std::wstring S = Trim(T);
    for (const auto& C : CursorNames)
        if (SameText(S, C.Name)) return C.Value;
    long long V;
    if (TryStrToInt64(S, V) && V >= INT16_MIN && V <= INT16_MAX) return static_cast<TCursor>(V);
    throw EConvertError(L"'" + S + L"' is not a cursor");
}

HCURSOR CursorHandle(TCursor Cursor) {
    for (const auto& C : CursorNames)
        if (C.Value == Cursor) return C.Id ? LoadCursorW(nullptr, C.Id) : nullptr;
    return LoadCursorW(nullptr, IDC_ARROW);
}

TShiftState MouseShiftState(WPARAM Flags) {
    TShiftState S;
    if (Flags & MK_SHIFT) S.Include(ssShift);
    if (Flags & MK_CONTROL) S.Include(ssCtrl);
    if (Flags & MK_LBUTTON) S.Include(ssLeft);
    if (Flags & MK_RBUTTON) S.Include(ssRight);
    if (Flags & MK_MBUTTON) S.Include(ssMiddle);
    if (GetKeyState(VK_MENU) < 0) S.Include(ssAlt);
    return S;
}

TShiftState KeyboardShiftState() {
    TShiftState S;
    if (GetKeyState(VK_SHIFT) < 0) S.Include(ssShift);
    if (GetKeyState(VK_CONTROL) < 0) S.Include(ssCtrl);
    if (GetKeyState(VK_MENU) < 0) S.Include(ssAlt);
    return S;
}

TWinControl* FindControl(HWND Wnd) {
    if (!Wnd) return nullptr;
    DWORD Pid = 0;
    GetWindowThreadProcessId(Wnd, &Pid);
    if (Pid != GetCurrentProcessId()) return nullptr;
    return ControlBinding().Find(Wnd);
}

TControl* FindDragTarget(POINT Pos, bool AllowDisabled) {
    HWND Wnd = WindowFromPoint(Pos);
    TWinControl* W = nullptr;
    while (Wnd && !(W = FindControl(Wnd)))
        Wnd = GetParent(Wnd);
    if (!W) return nullptr;
    TControl* Child = W->ControlAtPos(W->ScreenToClient(Pos), AllowDisabled);
    return Child ? Child : W;
}

TControl* GetCaptureControl() {
    if (CaptureControl) return CaptureControl;
    return FindControl(GetCapture());
}

void SetCaptureControl(TControl* Control) {
    CaptureControl = nullptr;
    if (!Control) {
        ReleaseCapture();
        return;
    }
    if (auto* W = dynamic_cast<TWinControl*>(Control)) {
        SetCapture(W->Handle());
        return;
    }
    if (Control->Parent() && Control->Parent()->HandleAllocated()) {
        SetCapture(Control->Parent()->Handle());
        CaptureControl = Control;
    }
}

// ---------------------------------------------------------------------------------------------
// TControl

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), FFont(std::make_unique<TFont>()) {
    WindowProc = [this](TMessage& M) { WndProc(M); };
    FFont->OnChange = [this](TObject*) {
        if (!FCopyingFromParent) FParentFont = false;
        FontChanged();
    };
}

TControl::~TControl() {
    Destroying();
    // Owned helpers (a skin attached to this control) go while the control is still whole.
    DestroyComponents();
    if (CaptureControl == this) SetCaptureControl(nullptr);
    if (FParent) FParent->RemoveControl(this);
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
    TMessage M{Msg, WParam, LParam, 0};
    WindowProc(M);
    return M.Result;
}

void TControl::SetParent(TWinControl* AParent) {
    if (AParent == FParent) return;
    if (AParent == this) throw EComponentError(L"A control cannot be its own parent");
    if (FParent) FParent->RemoveControl(this);
    if (AParent) AParent->InsertControl(this);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    if (AWidth < 0) AWidth = 0;
    if (AHeight < 0) AHeight = 0;
    if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
    bool Sized = AWidth != FWidth || AHeight != FHeight;
    Invalidate();
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    Invalidate();
    RequestAlign();
    if (Sized) Resize();
}

void TControl::SetClientSize(int AWidth, int AHeight) {
    RECT C = ClientRect();
    SetBounds(FLeft, FTop, FWidth + AWidth - C.right, FHeight + AHeight - C.bottom);
}

POINT TControl::ClientToScreen(POINT P) const {
    if (auto* W = dynamic_cast<const TWinControl*>(this)) {
        if (W->HandleAllocated()) {
            ::ClientToScreen(const_cast<TWinControl*>(W)->Handle(), &P);
            return P;
        }
    }
    P.x += FLeft;
    P.y += FTop;
    return FParent ? FParent->ClientToScreen(P) : P;
}

POINT TControl::ScreenToClient(POINT P) const {
    POINT Origin = ClientToScreen({0, 0});
    return {P.x - Origin.x, P.y - Origin.y};
}

void TControl::SetAlign(TAlign V) {
    if (V == FAlign) return;
    FAlign = V;
    RequestAlign();
}

void TControl::RequestAlign() {
    if (FParent) FParent->AlignControls();
}

void TControl::SetVisible(bool V) {
    if (V == FVisible) return;
    Invalidate();
    FVisible = V;
    Perform(CM_VISIBLECHANGED, V);
    Invalidate();
    RequestAlign();
}

bool TControl::Showing() const {
    return FVisible && FParent && FParent->Showing();
}

void TControl::SetEnabled(bool V) {
    if (V == FEnabled) return;
    FEnabled = V;
    Perform(CM_ENABLEDCHANGED);
}

void TControl::SetColor(TColor V) {
    if (!FCopyingFromParent) FParentColor = false;
    if (V == FColor) return;
    FColor = V;
    ColorChanged();
}

void TControl::SetParentColor(bool V) {
    FParentColor = V;
    if (V && FParent) ParentColorChanged();
}

void TControl::SetParentFont(bool V) {
    FParentFont = V;
    if (V && FParent) ParentFontChanged();
}

void TControl::ParentFontChanged() {
    if (!FParentFont || !FParent) return;
    FCopyingFromParent = true;
    try {
        FFont->Assign(*FParent->Font());
    } catch (...) {
        FCopyingFromParent = false;
        throw;
    }
    FCopyingFromParent = false;
}

void TControl::ParentColorChanged() {
    if (!FParentColor || !FParent) return;
    FCopyingFromParent = true;
    SetColor(FParent->Color());
    FCopyingFromParent = false;
}

void TControl::FontChanged() {
    Perform(CM_FONTCHANGED);
    Invalidate();
}

void TControl::ColorChanged() {
    Perform(CM_COLORCHANGED);
    Invalidate();
}

void TControl::SetShowHint(bool V) {
    FShowHint = V;
    FParentShowHint = false;
}

void TControl::SetParentShowHint(bool V) {
    FParentShowHint = V;
    if (V && FParent) FShowHint = FParent->ShowHint();
}

void TControl::SetCursor(TCursor V) {
    if (V == FCursor) return;
    FCursor = V;
    Perform(CM_CURSORCHANGED);
}

void TControl::SetText(const std::wstring& V) {
    if (V == FText) return;
    FText = V;
    Perform(CM_TEXTCHANGED);
    Invalidate();
}

void TControl::Invalidate() {
    if (!FVisible || !FParent || !FParent->HandleAllocated()) return;
    RECT R = BoundsRect();
    InvalidateRect(FParent->Handle(), &R, !FControlStyle.Contains(csOpaque));
}

void TControl::Update() {
    if (FParent) FParent->Update();
}

void TControl::Click() {
    if (OnClick) OnClick(this);
}

void TControl::DblClick() {
    if (OnDblClick) OnDblClick(this);
}

void TControl::BringToFront() {
    if (!FParent) return;
    auto& L = FParent->FControls;
    L.erase(std::find(L.begin(), L.end(), this));
    L.push_back(this);
    if (auto* W = dynamic_cast<TWinControl*>(this); W && W->HandleAllocated())
        SetWindowPos(W->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Invalidate();
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::Resize() {
    if (OnResize) OnResize(this);
}

void TControl::MouseMessage(TMessage& M, TMouseButton Button, bool Down, bool Double) {
    DefaultHandler(M);
    int X = GET_X_LPARAM(M.LParam), Y = GET_Y_LPARAM(M.LParam);
    TShiftState Shift = MouseShiftState(M.WParam);
    if (Down) {
        if (FControlStyle.Contains(csCaptureMouse)) SetCaptureControl(this);
        if (Button == mbLeft && FControlStyle.Contains(csClickEvents)) FClicking = true;
        if (Double) {
            Shift.Include(ssDouble);
            if (Button == mbLeft) DblClick();
        }
        MouseDown(Button, Shift, X, Y);
        return;
    }
    if (FControlStyle.Contains(csCaptureMouse) && GetCaptureControl() == this)
        SetCaptureControl(nullptr);
    if (Button == mbLeft && FClicking) {
        FClicking = false;
        RECT R = ClientRect();
        POINT P{X, Y};
        if (PtInRect(&R, P)) Click();
    }
    MouseUp(Button, Shift, X, Y);
}

void TControl::WndProc(TMessage& M) {
    switch (M.Msg) {
    case WM_LBUTTONDOWN:
        return MouseMessage(M, mbLeft, true, false);
    case WM_LBUTTONDBLCLK:
        return MouseMessage(M, mbLeft, true, FControlStyle.Contains(csDoubleClicks));
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        return MouseMessage(M, mbRight, true, M.Msg == WM_RBUTTONDBLCLK);
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        return MouseMessage(M, mbMiddle, true, M.Msg == WM_MBUTTONDBLCLK);
    case WM_LBUTTONUP:
        return MouseMessage(M, mbLeft, false, false);
    case WM_RBUTTONUP:
        return MouseMessage(M, mbRight, false, false);
    case WM_MBUTTONUP:
        return MouseMessage(M, mbMiddle, false, false);
    case WM_MOUSEMOVE:
        DefaultHandler(M);
        MouseMove(MouseShiftState(M.WParam), GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam));
        return;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        if (M.LParam == 0) {
            const TNotifyEvent& E = M.Msg == CM_MOUSEENTER ? OnMouseEnter : OnMouseLeave;
            if (E) E(this);
        }
        // Parents hear about their children, with the child in LParam.
        if (FParent)
            FParent->Perform(M.Msg, 0, M.LParam ? M.LParam : reinterpret_cast<LPARAM>(this));
        return;
    case CM_ENABLEDCHANGED:
    case CM_VISIBLECHANGED:
        Invalidate();
        return;
    default:
        DefaultHandler(M);
    }
}

void TControl::DefaultHandler(TMessage&) {}

// ---------------------------------------------------------------------------------------------
// TWinControl

namespace {

struct TClassEntry {
    WNDPROC DefProc; // null: DefWindowProcW
};

std::map<std::wstring, TClassEntry>& ClassTable() {
    static std::map<std::wstring, TClassEntry> T;
    return T;
}

WNDPROC RegisterControlClass(const TCreateParams& P) {
    auto& T = ClassTable();
    auto It = T.find(P.WinClassName);
    if (It != T.end()) return It->second.DefProc;
    WNDCLASSEXW C{};
    C.cbSize = sizeof(C);
    WNDPROC DefProc = nullptr;
    if (!P.SysClassName.empty()) {
        if (!GetClassInfoExW(nullptr, P.SysClassName.c_str(), &C))
            throw EOSError(L"GetClassInfoEx " + P.SysClassName, GetLastError());
        DefProc = C.lpfnWndProc;
        C.style &= ~CS_GLOBALCLASS;
    } else {
        C.style = P.ClassStyle;
        C.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        C.hbrBackground = P.Background;
    }
    C.cbSize = sizeof(C);
    C.lpfnWndProc = &ControlWndProc;
    C.hInstance = GetModuleHandleW(nullptr);
    C.lpszClassName = P.WinClassName.c_str();
    if (!RegisterClassExW(&C) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw EOSError(L"RegisterClassEx " + P.WinClassName, GetLastError());
    T[P.WinClassName] = {DefProc};
    return DefProc;
}

} // namespace

LRESULT CALLBACK ControlWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    TWinControl* C = ControlBinding().Find(Wnd);
    if (!C && CreationControl) {
        // The first message of a window being created: tie it to its control.
        C = CreationControl;
        CreationControl = nullptr;
        ControlBinding().Bind(Wnd, C);
        C->FHandle.Reset(Wnd);
    }
    if (!C) return DefWindowProcW(Wnd, Msg, WParam, LParam);
    TMessage M{Msg, WParam, LParam, 0};
    try {
        C->WindowProc(M);
    } catch (...) {
        HandleException(C);
    }
    if (Msg == WM_NCDESTROY) {
        ControlBinding().Unbind(Wnd);
        if (C->FHandle.Get() == Wnd) C->FHandle.Forget();
    }
    return M.Result;
}

TWinControl::TWinControl(TComponent* AOwner)
    : TControl(AOwner), FBrush(std::make_unique<TBrush>()) {
    FBrush->SetColor(Color());
}

TWinControl::~TWinControl() {
    Destroying();
    DestroyComponents();
    // Children owned elsewhere stay alive; they just lose their parent.
    for (TControl* C : FControls)
        C->FParent = nullptr;
    FControls.clear();
    DestroyHandle();
}

HWND TWinControl::Handle() {
    if (!FHandle) {
        if (FCreating) throw Exception(L"Window of " + Name() + L" is being created");
        FCreating = true;
        try {
            CreateWnd();
            CreateHandle();
        } catch (...) {
            FCreating = false;
            throw;
        }
        FCreating = false;
    }
    return FHandle;
}

void TWinControl::CreateParams(TCreateParams& P) {
    P.Caption = FText;
    P.Style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    if (FVisible) P.Style |= WS_VISIBLE;
    if (!Enabled()) P.Style |= WS_DISABLED;
    if (FTabStop) P.Style |= WS_TABSTOP;
    P.X = FLeft;
    P.Y = FTop;
    P.Width = FWidth;
    P.Height = FHeight;
    if (Parent()) P.WndParent = Parent()->Handle();
    P.WinClassName = ClassName();
}

void TWinControl::CreateWnd() {
    TCreateParams P;
    CreateParams(P);
    if ((P.Style & WS_CHILD) && !P.WndParent)
        throw Exception(L"Control '" + Name() + L"' has no parent window");
    FDefWndProc = RegisterControlClass(P);
    CreationControl = this;
    HWND Wnd = CreateWindowHandle(P);
    CreationControl = nullptr;
    if (!Wnd) throw EOSError(L"CreateWindowEx " + P.WinClassName, GetLastError());
}

HWND TWinControl::CreateWindowHandle(const TCreateParams& P) {
    return CreateWindowExW(P.ExStyle, P.WinClassName.c_str(), P.Caption.c_str(), P.Style, P.X, P.Y,
                           P.Width, P.Height, P.WndParent, P.Menu, GetModuleHandleW(nullptr),
                           nullptr);
}

void TWinControl::DestroyWindowHandle() {
    DestroyWindow(FHandle);
}

void TWinControl::CreateHandle() {
    SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), 0);
    UpdateBounds();
    for (TControl* C : FControls)
        if (auto* W = dynamic_cast<TWinControl*>(C)) W->HandleNeeded();
    AlignControls();
}

void TWinControl::DestroyHandle() {
    if (!FHandle) return;
    HWND Wnd = FHandle;
    // WM_NCDESTROY lets go of the handle (and counts it off).
    DestroyWindowHandle();
    if (FHandle.Get() == Wnd) FHandle.Reset();
}

void TWinControl::RecreateWnd() {
    if (!FHandle) return;
    DestroyHandle();
    HandleNeeded();
}

void TWinControl::DefaultHandler(TMessage& M) {
    if (!FHandle) return;
    M.Result = FDefWndProc ? CallWindowProcW(FDefWndProc, FHandle, M.Msg, M.WParam, M.LParam)
                           : DefWindowProcW(FHandle, M.Msg, M.WParam, M.LParam);
}

std::wstring TWinControl::GetText() const {
    if (!FHandle) return FText;
    int N = GetWindowTextLengthW(FHandle);
    std::wstring S(static_cast<size_t>(N) + 1, L'\0');
    N = GetWindowTextW(FHandle, S.data(), N + 1);
    S.resize(static_cast<size_t>(std::max(N, 0)));
    return S;
}

void TWinControl::SetText(const std::wstring& V) {
    if (V == GetText()) return;
    FText = V;
    if (FHandle) SetWindowTextW(FHandle, V.c_str());
    Perform(CM_TEXTCHANGED);
}

void TWinControl::InsertControl(TControl* C) {
    FControls.push_back(C);
    C->FParent = this;
    C->ParentFontChanged();
    C->ParentColorChanged();
    if (C->FParentShowHint) C->FShowHint = ShowHint();
    if (auto* W = dynamic_cast<TWinControl*>(C)) {
        if (W->HandleAllocated())
            ::SetParent(W->Handle(), HandleAllocated() ? FHandle.Get() : nullptr);
        if (HandleAllocated() && !W->HandleAllocated()) W->HandleNeeded();
    }
    C->Invalidate();
    AlignControls();
}

void TWinControl::RemoveControl(TControl* C) {
    auto It = std::find(FControls.begin(), FControls.end(), C);
    if (It == FControls.end()) return;
    C->Invalidate();
    FControls.erase(It);
    C->FParent = nullptr;
    if (auto* W = dynamic_cast<TWinControl*>(C)) W->DestroyHandle();
    AlignControls();
}

bool TWinControl::ContainsControl(const TControl* C) const {
    for (; C; C = C->Parent())
        if (C == this) return true;
    return false;
}

TControl* TWinControl::ControlAtPos(POINT P, bool AllowDisabled, bool AllowWinControls) const {
    for (auto It = FControls.rbegin(); It != FControls.rend(); ++It) {
        TControl* C = *It;
        if (!AllowWinControls && dynamic_cast<TWinControl*>(C)) continue;
        RECT R = C->BoundsRect();
        if (C->Visible() && (C->Enabled() || AllowDisabled) && PtInRect(&R, P)) return C;
    }
    return nullptr;
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    if (!FHandle) return TControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
    // The window reports its new rectangle back (WM_WINDOWPOSCHANGED), which updates ours.
    SetWindowPos(FHandle, nullptr, ALeft, ATop, std::max(AWidth, 0), std::max(AHeight, 0),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    UpdateBounds();
}

void TWinControl::UpdateBounds() {
    if (!FHandle) return;
    RECT R;
    GetWindowRect(FHandle, &R);
    if (GetWindowLongW(FHandle, GWL_STYLE) & WS_CHILD)
        MapWindowPoints(HWND_DESKTOP, GetParent(FHandle), reinterpret_cast<POINT*>(&R), 2);
    bool Sized = R.right - R.left != FWidth || R.bottom - R.top != FHeight;
    bool Moved = R.left != FLeft || R.top != FTop;
    FLeft = R.left;
    FTop = R.top;
    FWidth = R.right - R.left;
    FHeight = R.bottom - R.top;
    if (Moved || Sized) RequestAlign();
    if (Sized) {
        AlignControls();
        Resize();
    }
}

RECT TWinControl::ClientRect() const {
    RECT R{0, 0, FWidth, FHeight};
    if (FHandle) GetClientRect(FHandle, &R);
    return R;
}

void TWinControl::SetVisible(bool V) {
    if (V == Visible()) return;
    FVisible = V;
    if (FHandle) ShowWindow(FHandle, V ? SW_SHOWNOACTIVATE : SW_HIDE);
    Perform(CM_VISIBLECHANGED, V);
    RequestAlign();
}

bool TWinControl::Showing() const {
    if (FHandle) return IsWindowVisible(FHandle);
    return TControl::Showing();
}

void TWinControl::SetEnabled(bool V) {
    if (V == Enabled()) return;
    if (FHandle) EnableWindow(FHandle, V);
    TControl::SetEnabled(V);
}

void TWinControl::Invalidate() {
    if (FHandle) InvalidateRect(FHandle, nullptr, !FControlStyle.Contains(csOpaque));
}

void TWinControl::Update() {
    if (FHandle) UpdateWindow(FHandle);
}

void TWinControl::FontChanged() {
    if (FHandle) SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), 0);
    TControl::FontChanged();
    for (TControl* C : FControls)
        C->ParentFontChanged();
}

void TWinControl::ColorChanged() {
    FBrush->SetColor(Color());
    TControl::ColorChanged();
    for (TControl* C : FControls)
        C->ParentColorChanged();
}

int TWinControl::TabOrder() const {
    if (!Parent()) return 0;
    int I = 0;
    for (TControl* C : Parent()->FControls) {
        if (C == this) return I;
        if (dynamic_cast<TWinControl*>(C)) ++I;
    }
    return -1;
}

void TWinControl::SetTabOrder(int V) {
    if (!Parent()) return;
    // Tab order is the order of the windowed children in the parent's list.
    auto& L = Parent()->FControls;
    L.erase(std::find(L.begin(), L.end(), this));
    int I = 0;
    auto Pos = L.begin();
    for (; Pos != L.end(); ++Pos)
        if (dynamic_cast<TWinControl*>(*Pos) && I++ == V) break;
    L.insert(Pos, this);
}

bool TWinControl::CanFocus() const {
    for (const TControl* C = this; C; C = C->Parent())
        if (!C->Visible() || !C->Enabled()) return false;
    return true;
}

bool TWinControl::Focused() const {
    return FHandle && GetFocus() == FHandle.Get();
}

void TWinControl::SetFocus() {
    ::SetFocus(Handle());
}

TWinControl* TWinControl::FindNextControl(TWinControl* Current, bool GoForward,
                                          bool CheckTabStop) const {
    std::vector<TWinControl*> List;
    // Depth first: children of a container follow the container.
    std::function<void(const TWinControl*)> Collect = [&](const TWinControl* P) {
        for (TControl* C : P->FControls)
            if (auto* W = dynamic_cast<TWinControl*>(C)) {
                List.push_back(W);
                Collect(W);
            }
    };
    Collect(this);
    if (List.empty()) return nullptr;
    int N = static_cast<int>(List.size());
    int Start = static_cast<int>(std::find(List.begin(), List.end(), Current) - List.begin());
    if (Start == N) Start = GoForward ? N - 1 : 0;
    for (int Step = 1; Step <= N; ++Step) {
        int I = ((GoForward ? Start + Step : Start - Step) % N + N) % N;
        TWinControl* W = List[static_cast<size_t>(I)];
        if (W->CanFocus() && (!CheckTabStop || W->TabStop()) && W->ControlCount() == 0) return W;
    }
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* Current, bool GoForward, bool CheckTabStop) {
    if (TWinControl* W = FindNextControl(Current, GoForward, CheckTabStop)) W->SetFocus();
}

void TWinControl::AlignControls() {
    if (FAligning || ComponentState().Contains(csLoading)) return;
    FAligning = true;
    RECT R = ClientRect();
    auto Place = [&](TAlign A) {
        for (TControl* C : FControls) {
            if (C->Align() != A || !C->Visible()) continue;
            switch (A) {
            case alTop:
                C->SetBounds(R.left, R.top, R.right - R.left, C->Height());
                R.top += C->Height();
                break;
            case alBottom:
                C->SetBounds(R.left, R.bottom - C->Height(), R.right - R.left, C->Height());
                R.bottom -= C->Height();
                break;
            case alLeft:
                C->SetBounds(R.left, R.top, C->Width(), R.bottom - R.top);
                R.left += C->Width();
                break;
            case alRight:
                C->SetBounds(R.right - C->Width(), R.top, C->Width(), R.bottom - R.top);
                R.right -= C->Width();
                break;
            case alClient:
                C->SetBounds(R.left, R.top, R.right - R.left, R.bottom - R.top);
                break;
            default:
                break;
            }
        }
    };
    try {
        for (TAlign A : {alTop, alBottom, alLeft, alRight, alClient})
            Place(A);
        AdjustSize();
    } catch (...) {
        FAligning = false;
        throw;
    }
    FAligning = false;
}

TWinControl* TWinControl::TopParent() {
    TWinControl* W = this;
    while (W->Parent())
        W = W->Parent();
    return W;
}

bool TWinControl::DoKeyDown(TMessage& M) {
    if (TWinControl* Top = TopParent(); Top != this && Top->WantsKeyPreview() && Top->DoKeyDown(M))
        return true;
    auto Key = static_cast<WORD>(M.WParam);
    if (OnKeyDown) OnKeyDown(this, Key, KeyboardShiftState());
    M.WParam = Key;
    return Key == 0;
}

bool TWinControl::DoKeyUp(TMessage& M) {
    if (TWinControl* Top = TopParent(); Top != this && Top->WantsKeyPreview() && Top->DoKeyUp(M))
        return true;
    auto Key = static_cast<WORD>(M.WParam);
    if (OnKeyUp) OnKeyUp(this, Key, KeyboardShiftState());
    M.WParam = Key;
    return Key == 0;
}

bool TWinControl::DoKeyPress(TMessage& M) {
    if (TWinControl* Top = TopParent(); Top != this && Top->WantsKeyPreview() && Top->DoKeyPress(M))
        return true;
    auto Key = static_cast<wchar_t>(M.WParam);
    if (OnKeyPress) OnKeyPress(this, Key);
    M.WParam = Key;
    return Key == 0;
}

bool TWinControl::ReflectNotification(TMessage& M) {
    HWND Child = nullptr;
    switch (M.Msg) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
        Child = reinterpret_cast<HWND>(M.LParam);
        break;
    case WM_NOTIFY:
        Child = reinterpret_cast<NMHDR*>(M.LParam)->hwndFrom;
        break;
    case WM_DRAWITEM:
        if (M.WParam) Child = reinterpret_cast<DRAWITEMSTRUCT*>(M.LParam)->hwndItem;
        break;
    case WM_MEASUREITEM:
        if (M.WParam) Child = GetDlgItem(FHandle, static_cast<int>(M.WParam));
        break;
    default:
        return false;
    }
    TWinControl* C = FindControl(Child);
    if (!C || C == this) return false;
    M.Result = C->Perform(CN_BASE + M.Msg, M.WParam, M.LParam);
    return true;
}

void TWinControl::SetCursorForPoint(TMessage& M) {
    if (reinterpret_cast<HWND>(M.WParam) == FHandle.Get() && LOWORD(M.LParam) == HTCLIENT) {
        POINT P;
        GetCursorPos(&P);
        TControl* C = ControlAtPos(ScreenToClient(P), false);
        TCursor Cur = C && C->Cursor() != crDefault ? C->Cursor() : Cursor();
        if (Cur != crDefault) {
            ::SetCursor(CursorHandle(Cur));
            M.Result = TRUE;
            return;
        }
    }
    DefaultHandler(M);
}

void TWinControl::DispatchMouseToChild(TMessage& M, bool& Handled) {
    Handled = false;
    POINT P{GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam)};
    TControl* Target =
        CaptureControl && CaptureControl->Parent() == this ? CaptureControl : nullptr;
    if (!Target) Target = ControlAtPos(P, false);
    if (!Target) return;
    LPARAM L = MAKELPARAM(P.x - Target->Left(), P.y - Target->Top());
    M.Result = Target->Perform(M.Msg, M.WParam, L);
    Handled = true;
}

void TWinControl::PaintWindow(HDC) {}

void TWinControl::PaintControls(HDC DC) {
    RECT Clip;
    GetClipBox(DC, &Clip);
    for (TControl* C : FControls) {
        if (!C->Visible() || dynamic_cast<TWinControl*>(C)) continue;
        RECT R = C->BoundsRect(), X;
        if (!IntersectRect(&X, &R, &Clip)) continue;
        int Saved = SaveDC(DC);
        SetViewportOrgEx(DC, R.left, R.top, nullptr);
        IntersectClipRect(DC, 0, 0, R.right - R.left, R.bottom - R.top);
        C->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
        RestoreDC(DC, Saved);
    }
}

void TWinControl::WndProc(TMessage& M) {
    switch (M.Msg) {
    case WM_PAINT:
        if (IsOwnClass()) {
            if (M.WParam) {
                PaintWindow(reinterpret_cast<HDC>(M.WParam));
                PaintControls(reinterpret_cast<HDC>(M.WParam));
            } else {
                TPaintDC DC(FHandle);
                PaintWindow(DC);
                PaintControls(DC);
            }
            return;
        }
        break;
    case WM_ERASEBKGND:
        if (IsOwnClass()) {
            if (Color() != clNone) {
                RECT R = ClientRect();
                ::FillRect(reinterpret_cast<HDC>(M.WParam), &R, FBrush->Handle());
            }
            M.Result = 1;
            return;
        }
        break;
    case WM_SIZE:
    case WM_MOVE:
        DefaultHandler(M);
        UpdateBounds();
        // The client may change while the window keeps its size (a menu bar that grows).
        if (M.Msg == WM_SIZE) AlignControls();
        return;
    case WM_SETCURSOR:
        return SetCursorForPoint(M);
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (DoKeyDown(M)) return;
        break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (DoKeyUp(M)) return;
        break;
    case WM_CHAR:
        if (DoKeyPress(M)) return;
        break;
    case WM_SYSCHAR:
        if (TopParent()->Perform(CM_DIALOGCHAR, M.WParam, M.LParam)) return;
        break;
    case WM_SETFOCUS:
        DefaultHandler(M);
        if (TopParent() != this)
            TopParent()->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(this));
        Perform(CM_ENTER);
        if (OnEnter) OnEnter(this);
        return;
    case WM_KILLFOCUS:
        DefaultHandler(M);
        Perform(CM_EXIT);
        if (OnExit) OnExit(this);
        return;
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORSTATIC:
    case CN_CTLCOLORBTN:
    case CN_CTLCOLORLISTBOX: {
        auto DC = reinterpret_cast<HDC>(M.WParam);
        SetTextColor(DC, ColorToRGB(Font()->Color()) & 0xFFFFFF);
        if (Color() != clNone) SetBkColor(DC, ColorToRGB(Color()) & 0xFFFFFF);
        M.Result = reinterpret_cast<LRESULT>(FBrush->Handle());
        return;
    }
    case WM_CAPTURECHANGED:
        // Capture taken away (a menu, another window): a windowless child stops holding it.
        if (CaptureControl && CaptureControl->Parent() == this) CaptureControl = nullptr;
        DefaultHandler(M);
        return;
    default:
        if (ReflectNotification(M)) return;
        if (M.Msg >= WM_MOUSEFIRST && M.Msg <= WM_MBUTTONDBLCLK && M.Msg != WM_MOUSEWHEEL) {
            bool Handled;
            DispatchMouseToChild(M, Handled);
            if (Handled) return;
        }
        break;
    }
    TControl::WndProc(M);
}

// ---------------------------------------------------------------------------------------------
// Controls with a canvas

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), FCanvas(std::make_unique<TCanvas>()) {}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::Paint() {
    if (OnPaint) OnPaint(this);
}

void TGraphicControl::WndProc(TMessage& M) {
    if (M.Msg == WM_PAINT && M.WParam) {
        FCanvas->Font()->Assign(*Font());
        TCanvasDC Bound(*FCanvas, reinterpret_cast<HDC>(M.WParam));
        Paint();
        return;
    }
    TControl::WndProc(M);
}

TCustomControl::TCustomControl(TComponent* AOwner)
    : TWinControl(AOwner), FCanvas(std::make_unique<TCanvas>()) {}

TCustomControl::~TCustomControl() = default;

void TCustomControl::Paint() {
    if (OnPaint) OnPaint(this);
}

void TCustomControl::PaintWindow(HDC DC) {
    FCanvas->Font()->Assign(*Font());
    FCanvas->Brush()->SetColor(Color());
    TCanvasDC Bound(*FCanvas, DC);
    Paint();
}

PUBLISHED(TControl) {
    p.Property(L"Left", &TControl::Left, &TControl::SetLeft);
    p.Property(L"Top", &TControl::Top, &TControl::SetTop);
    p.Property(L"Width", &TControl::Width, &TControl::SetWidth);
    p.Property(L"Height", &TControl::Height, &TControl::SetHeight);
    p.Property(L"Align", &TControl::Align, &TControl::SetAlign);
    p.Property(L"Caption", &TControl::Caption, &TControl::SetCaption);
    p.Property(L"Color", &TControl::Color, &TControl::SetColor);
    p.Property(L"Cursor", &TControl::Cursor, &TControl::SetCursor);
    p.Property(L"Enabled", &TControl::Enabled, &TControl::SetEnabled);
    p.Property(L"Font", &TControl::Font);
    p.Property(L"Hint", &TControl::Hint, &TControl::SetHint);
    p.Property(L"ParentColor", &TControl::ParentColor, &TControl::SetParentColor);
    p.Property(L"ParentFont", &TControl::ParentFont, &TControl::SetParentFont);
    p.Property(L"ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint);
    p.Property(L"ShowHint", &TControl::ShowHint, &TControl::SetShowHint);
    p.Property(L"Visible", &TControl::Visible, &TControl::SetVisible);
    p.Property(L"OnClick", &TControl::OnClick);
    p.Property(L"OnDblClick", &TControl::OnDblClick);
    p.Property(L"OnMouseDown", &TControl::OnMouseDown);
    p.Property(L"OnMouseUp", &TControl::OnMouseUp);
    p.Property(L"OnMouseMove", &TControl::OnMouseMove);
    p.Property(L"OnMouseEnter", &TControl::OnMouseEnter);
    p.Property(L"OnMouseLeave", &TControl::OnMouseLeave);
    p.Property(L"OnResize", &TControl::OnResize);
}

PUBLISHED(TWinControl) {
    p.Property(L"TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder);
    p.Property(L"TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop);
    p.Property(L"OnKeyDown", &TWinControl::OnKeyDown);
    p.Property(L"OnKeyUp", &TWinControl::OnKeyUp);
    p.Property(L"OnKeyPress", &TWinControl::OnKeyPress);
    p.Property(L"OnEnter", &TWinControl::OnEnter);
    p.Property(L"OnExit", &TWinControl::OnExit);
}

PUBLISHED(TGraphicControl) {
    p.Property(L"OnPaint", &TGraphicControl::OnPaint);
}

PUBLISHED(TCustomControl) {
    p.Property(L"OnPaint", &TCustomControl::OnPaint);
}
