#include "WinSubScroll.h"

#include "ImgUtil.h"

#include "StdCtrls.h"

#include <windowsx.h>

#include <algorithm>
#include <vector>

namespace {

int RectWidth(const RECT& R) {
    return R.right - R.left;
}
int RectHeight(const RECT& R) {
    return R.bottom - R.top;
}

// Wine reports a disabled bar by its arrows only; Windows by the bar as a whole too.
bool BarEnabled(const SCROLLBARINFO& I) {
    if (I.rgstate[0] & STATE_SYSTEM_UNAVAILABLE) return false;
    return !((I.rgstate[1] & STATE_SYSTEM_UNAVAILABLE) &&
             (I.rgstate[5] & STATE_SYSTEM_UNAVAILABLE));
}

// Whether window A lies in front of its sibling B.
bool InFrontOf(HWND A, HWND B) {
    for (HWND W = GetWindow(A, GW_HWNDNEXT); W; W = GetWindow(W, GW_HWNDNEXT))
        if (W == B) return true;
    return false;
}

bool HasBarPicture(const TSkinControl* Skin) {
    return Skin && Skin->SkinData && HasPicture(Skin->SkinData->Scrollbar.get());
}

// A program may change a window's scroll range or position without any message reaching the
// window (SetScrollInfo from elsewhere); only the system's report of the change tells then. The
// report is asked for while any bar lives.
std::vector<TWScrollbar*>& LiveBars() {
    static std::vector<TWScrollbar*> Bars;
    return Bars;
}

TWinEventHookHandle& ScrollChangeHook() {
    static TWinEventHookHandle Hook;
    return Hook;
}

void CALLBACK ScrollInfoChanged(HWINEVENTHOOK, DWORD, HWND Wnd, LONG Object, LONG, DWORD, DWORD) {
    // Scroll-bar controls tell their own skin by message.
    if (Object != OBJID_HSCROLL && Object != OBJID_VSCROLL) return;
    const TWScrollbar::TKind Kind =
        Object == OBJID_HSCROLL ? TWScrollbar::kdHorizontal : TWScrollbar::kdVertical;
    try {
        for (TWScrollbar* B : LiveBars())
            if (B->Target == Wnd && B->Kind == Kind) B->RepaintBar();
    } catch (...) {
        // A report the bar cannot follow leaves the last picture.
    }
}

void AddLiveBar(TWScrollbar* Bar) {
    LiveBars().push_back(Bar);
    if (!ScrollChangeHook())
        ScrollChangeHook().Reset(SetWinEventHook(EVENT_OBJECT_VALUECHANGE, EVENT_OBJECT_VALUECHANGE,
                                                 nullptr, ScrollInfoChanged, GetCurrentProcessId(),
                                                 GetCurrentThreadId(), WINEVENT_OUTOFCONTEXT));
}

void RemoveLiveBar(TWScrollbar* Bar) {
    auto& Bars = LiveBars();
    Bars.erase(std::remove(Bars.begin(), Bars.end(), Bar), Bars.end());
    if (Bars.empty()) ScrollChangeHook().Reset();
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The bar window

TWScrollbar::TWScrollbar(TSkinControl* ASkin, HWND ATarget, TKind AKind,
                         TWinControl* ATargetControl)
    : TCustomControl(nullptr), Skin(ASkin), Target(ATarget), TargetControl(ATargetControl),
      Kind(AKind), ArrowSize(GetSystemMetrics(SM_CXHSCROLL)) {
    Vertical =
        Kind == kdVertical || (Kind == kdControl && (GetWindowLongW(Target, GWL_STYLE) & SBS_VERT));
    // The bar takes no focus and holds no capture: every press goes on to the target.
    TControlStyle S = ControlStyle();
    S.Exclude(csCaptureMouse).Exclude(csClickEvents).Include(csOpaque);
    SetControlStyle(S);
    FVisible = false;
    AddLiveBar(this);
}

TWScrollbar::~TWScrollbar() {
    RemoveLiveBar(this);
    Destroying();
    DestroyHandle();
}

void TWScrollbar::CreateParams(TCreateParams& P) {
    TCustomControl::CreateParams(P);
    P.Style = WS_CHILD | WS_CLIPSIBLINGS;
    P.WndParent = GetParent(Target);
    P.ClassStyle = CS_DBLCLKS;
}

bool TWScrollbar::ReadInfo(SCROLLBARINFO& I) const {
    I = {};
    I.cbSize = sizeof(I);
    if (Kind != kdControl) {
        if (!GetScrollBarInfo(Target, Kind == kdHorizontal ? OBJID_HSCROLL : OBJID_VSCROLL, &I))
            return false;
        // The bar of a hidden or disabled window is hidden or disabled with it.
        if (!IsWindowVisible(Target)) I.rgstate[0] |= STATE_SYSTEM_INVISIBLE;
        if (!IsWindowEnabled(Target)) I.rgstate[0] |= STATE_SYSTEM_UNAVAILABLE;
        return true;
    }
    // A scroll-bar control: its client area is the bar, its thumb follows its range.
    RECT C;
    if (!GetClientRect(Target, &C)) return false;
    MapWindowPoints(Target, HWND_DESKTOP, reinterpret_cast<POINT*>(&C), 2);
    I.rcScrollBar = C;
    const int Len = Vertical ? RectHeight(C) : RectWidth(C);
    SCROLLINFO S{sizeof(S), SIF_ALL};
    GetScrollInfo(Target, SB_CTL, &S);
    const int Max = std::max(S.nMax, 1);
    const int A = ArrowSize;
    int Start, Size;
    if (S.nPage > 0) {
        Size = MulDiv(Len - 2 * A, static_cast<int>(S.nPage) - 1, Max);
        Start = S.nPos == 0 ? A : A + MulDiv(Len - 2 * A, S.nPos, Max);
    } else {
        Size = A;
        Start = A + MulDiv(Len - 3 * A, S.nPos, Max);
    }
    I.xyThumbTop = Start;
    I.xyThumbBottom = Start + Size;
    I.dxyLineButton = A;
    if (!IsWindowVisible(Target)) I.rgstate[0] |= STATE_SYSTEM_INVISIBLE;
    if (!IsWindowEnabled(Target)) I.rgstate[0] |= STATE_SYSTEM_UNAVAILABLE;
    return true;
}

void TWScrollbar::Place() {
    SCROLLBARINFO I;
    if (!ReadInfo(I)) return;
    // Without the skin's picture the bar would paint nothing over the native one.
    if ((I.rgstate[0] & STATE_SYSTEM_INVISIBLE) || !HasBarPicture(Skin)) {
        HideBar();
        return;
    }
    RECT Bar = I.rcScrollBar;
    if (IsRectEmpty(&Bar)) {
        HideBar();
        return;
    }
    Covered = Bar;
    MapWindowPoints(HWND_DESKTOP, Target, reinterpret_cast<POINT*>(&Covered), 2);
    Length = Vertical ? RectHeight(Bar) : RectWidth(Bar);
    const HWND Parent = GetParent(Target);
    if (!Parent) return;
    const HWND Self = Handle();
    if (GetParent(Self) != Parent) ::SetParent(Self, Parent);
    MapWindowPoints(HWND_DESKTOP, Parent, reinterpret_cast<POINT*>(&Bar), 2);
    // Just in front of the target, so nothing else it lies under is covered. A bar already
    // there stays: moving it would uncover the target, whose repaint places the bars again.
    UINT Flags = SWP_NOACTIVATE | SWP_SHOWWINDOW;
    HWND After = HWND_TOP;
    if (Kind == kdControl) {
        if (!GetWindow(Self, GW_HWNDPREV)) Flags |= SWP_NOZORDER;
    } else if (InFrontOf(Self, Target)) {
        Flags |= SWP_NOZORDER;
    } else if (HWND Prev = GetWindow(Target, GW_HWNDPREV)) {
        After = Prev;
    }
    RECT Now;
    GetWindowRect(Self, &Now);
    MapWindowPoints(HWND_DESKTOP, Parent, reinterpret_cast<POINT*>(&Now), 2);
    if (!(Flags & SWP_NOZORDER) || !EqualRect(&Now, &Bar) || !IsWindowVisible(Self))
        SetWindowPos(Self, After, Bar.left, Bar.top, RectWidth(Bar), RectHeight(Bar), Flags);
    FVisible = true;
    Shown = true;
}

void TWScrollbar::HideBar() {
    Shown = false;
    // Shown again, it paints whatever it showed before.
    FPaintPending = false;
    FPainted = TLook();
    FVisible = false;
    if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
}

void TWScrollbar::SkinChanged() {
    // The picture it shows is the old skin's, whatever its look says.
    FPainted = TLook();
    FPaintPending = false;
    Place();
    RepaintBar();
}

TWScrollbar::TLook TWScrollbar::CurrentLook(const SCROLLBARINFO& I) const {
    TLook L;
    L.ThumbTop = I.xyThumbTop;
    L.ThumbBottom = I.xyThumbBottom;
    L.State = BarEnabled(I) ? 0 : STATE_SYSTEM_UNAVAILABLE;
    L.Tracking = Tracking;
    L.HitArea = Tracking ? HitArea : -1;
    if (Tracking && HitArea == shThumb) {
        POINT P;
        GetCursorPos(&P);
        L.Cursor = Vertical ? P.y : P.x;
    }
    L.W = RectWidth(I.rcScrollBar);
    L.H = RectHeight(I.rcScrollBar);
    return L;
}

void TWScrollbar::RepaintBar() {
    if (!Shown || !HandleAllocated() || FPaintPending) return;
    SCROLLBARINFO I;
    if (ReadInfo(I) && CurrentLook(I) == FPainted) return;
    FPaintPending = true;
    InvalidateRect(Handle(), nullptr, FALSE);
}

int TWScrollbar::HitTestAt(int P) const {
    if (P < ArrowSize) return shFirstArrow;
    if (P < ThumbStart) return shPageBefore;
    if (P < ThumbEnd) return shThumb;
    if (P < Length - ArrowSize) return shPageAfter;
    return shSecondArrow;
}

void TWScrollbar::Press(POINT C) {
    POINT Screen = C;
    ::ClientToScreen(Handle(), &Screen);
    GetCursorPos(&PressCursor);
    PressThumbStart = ThumbStart;
    if (Kind == kdControl) {
        HitArea = HitTestAt(Vertical ? C.y : C.x);
        RepaintBar();
    }
    Tracking = true;
    ReleaseCapture();
    // The target's own scroll loop runs inside this call, until the button is released.
    const std::weak_ptr<bool> Life = FLife;
    if (Kind == kdControl) {
        POINT T = Screen;
        ::ScreenToClient(Target, &T);
        SendMessageW(Target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(T.x, T.y));
    } else {
        SendMessageW(Target, WM_NCLBUTTONDOWN, Kind == kdHorizontal ? HTHSCROLL : HTVSCROLL,
                     MAKELPARAM(Screen.x, Screen.y));
    }
    // A handler the loop ran may have freed the bar (with its control or its skin).
    if (Life.expired()) return;
    Tracking = false;
    ReleaseCapture();
    RepaintBar();
}

void TWScrollbar::Release(POINT C) {
    POINT Screen = C;
    ::ClientToScreen(Handle(), &Screen);
    Tracking = false;
    ReleaseCapture();
    if (Kind == kdControl) {
        POINT T = Screen;
        ::ScreenToClient(Target, &T);
        PostMessageW(Target, WM_LBUTTONUP, MK_LBUTTON, MAKELPARAM(T.x, T.y));
    } else {
        PostMessageW(Target, WM_NCLBUTTONUP, Kind == kdHorizontal ? HTHSCROLL : HTVSCROLL,
                     MAKELPARAM(Screen.x, Screen.y));
    }
    RepaintBar();
}

void TWScrollbar::WndProc(TMessage& M) {
    switch (M.Msg) {
    case WM_ERASEBKGND:
        M.Result = 1;
        return;
    // A disabled control takes no pointer input, by its own bars or by these.
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        TCustomControl::WndProc(M);
        if (IsWindowEnabled(Target)) Press({GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam)});
        return;
    case WM_LBUTTONUP:
        TCustomControl::WndProc(M);
        if (IsWindowEnabled(Target)) Release({GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam)});
        return;
    case WM_MOUSEACTIVATE:
        M.Result = MA_NOACTIVATE;
        return;
    default:
        TCustomControl::WndProc(M);
    }
}

void TWScrollbar::PaintWindow(HDC DC) {
    FPaintPending = false;
    try {
        TSkinData* Data = Skin ? Skin->SkinData : nullptr;
        if (!Data || !Data->Scrollbar || Data->Scrollbar->Bitmap.Empty() || !Shown) return;
        SCROLLBARINFO I;
        if (!ReadInfo(I)) return;
        RECT C;
        GetClientRect(Handle(), &C);
        if (IsRectEmpty(&C)) return;
        FPainted = CurrentLook(I);
        TBitmap Buffer(RectWidth(C), RectHeight(C), pf24bit);
        Draw(Buffer.Canvas()->Handle(), RectWidth(C), RectHeight(C), I);
        BitBlt(DC, 0, 0, RectWidth(C), RectHeight(C), Buffer.Canvas()->Handle(), 0, 0, SRCCOPY);
        ++Paints;
    } catch (...) {
        // A broken skin never stops the bar.
    }
}

void TWScrollbar::Draw(HDC DC, int W, int H, const SCROLLBARINFO& I) {
    const bool Enabled = BarEnabled(I);
    const int Len = Vertical ? H : W;
    // A bar too short for both arrows gives each half of it.
    const int A = Len < 2 * ArrowSize ? Len / 2 : ArrowSize;
    FillColor(DC, {0, 0, W, H}, Skin->SkinData->ButtonFace);
    DrawTrack(DC, W, H, A, Enabled);
    DrawArrows(DC, W, H, A);
    if (!Enabled || I.xyThumbBottom <= I.xyThumbTop) return;
    PlaceThumb(I);
    DrawThumb(DC);
}

void TWScrollbar::DrawTrack(HDC DC, int W, int H, int A, bool Enabled) {
    TSkinData& D = *Skin->SkinData;
    TDataSkinObject* Track = Vertical ? D.VertScroll.get() : D.HorzScroll.get();
    if (!Track || (Vertical ? H : W) - 2 * A <= 0) return;
    const RECT T = Vertical ? RECT{0, A, W, H - A} : RECT{A, 0, W - A, H};
    DrawSkinNineGrid(DC, T, Track->Bitmap, false, Track->Tile != 0, Track->Trans != 0, 4,
                     Enabled ? 1 : 3, Track->Margins);
}

void TWScrollbar::DrawArrows(HDC DC, int W, int H, int A) {
    TBitmap& Picture = Skin->SkinData->Scrollbar->Bitmap;
    // Pressed while the target's loop scrolls by them.
    const int FirstFrame = Vertical ? 9 : 1, SecondFrame = Vertical ? 13 : 5;
    const bool FirstPressed = Tracking && HitArea == shFirstArrow;
    const bool SecondPressed = Tracking && HitArea == shSecondArrow;
    const RECT First = Vertical ? RECT{0, 0, W, A} : RECT{0, 0, A, H};
    const RECT Second = Vertical ? RECT{0, H - A, W, H} : RECT{W - A, 0, W, H};
    DrawSkinFrame(DC, First, Picture, true, 23, FirstFrame + (FirstPressed ? 1 : 0));
    DrawSkinFrame(DC, Second, Picture, true, 23, SecondFrame + (SecondPressed ? 1 : 0));
}

void TWScrollbar::PlaceThumb(const SCROLLBARINFO& I) {
    ThumbStart = I.xyThumbTop;
    ThumbEnd = I.xyThumbBottom;
    if (Kind == kdControl || !Tracking || HitArea != shThumb) return;
    POINT P;
    GetCursorPos(&P);
    const int Moved = Vertical ? P.y - PressCursor.y : P.x - PressCursor.x;
    const int Size = ThumbEnd - ThumbStart;
    ThumbStart = std::clamp(PressThumbStart + Moved, ArrowSize,
                            std::max(ArrowSize, Length - ArrowSize - Size));
    ThumbEnd = ThumbStart + Size;
}

void TWScrollbar::DrawThumb(HDC DC) {
    TSkinData& D = *Skin->SkinData;
    TDataSkinObject* Thumb = Vertical ? D.VertScrollThumb.get() : D.HorzScrollThumb.get();
    if (!Thumb) return;
    const int ImageThick = D.Scrollbar->Bitmap.Height();
    const int Thick = ImageThick + 3 < ArrowSize ? ArrowSize : ImageThick;
    const RECT R =
        Vertical ? RECT{0, ThumbStart, Thick, ThumbEnd} : RECT{ThumbStart, 0, ThumbEnd, Thick};
    DrawSkinNineGrid(DC, R, Thumb->Bitmap, false, false, Thumb->Trans != 0, Thumb->FrameCount,
                     Tracking && HitArea == shThumb ? 2 : 1, Thumb->Margins);
}

// ---------------------------------------------------------------------------------------------
// The skin of a control with scroll bars

TSkinScrollbar::~TSkinScrollbar() {
    Destroying();
    HorzBar.reset();
    VertBar.reset();
}

void TSkinScrollbar::MakeBars() {
    HorzBar = std::make_unique<TWScrollbar>(this, Wnd, TWScrollbar::kdHorizontal);
    VertBar = std::make_unique<TWScrollbar>(this, Wnd, TWScrollbar::kdVertical);
    PlaceBars();
}

void TSkinScrollbar::PlaceBars() {
    for (TWScrollbar* B : {HorzBar.get(), VertBar.get()})
        if (B) {
            B->Target = Wnd;
            B->Place();
        }
}

void TSkinScrollbar::InitScrollbar(TWinControl* AControl, TSkinData* Data, TControlSkins* ASkins) {
    if (Attached || AControl != Owner()) return;
    InitControl(ASkins, Data, false);
    if (!Attached) return;
    MakeBars();
    if (!AControl->Visible()) {
        HorzBar->HideBar();
        VertBar->HideBar();
    }
}

bool TSkinScrollbar::BarMessage(TMessage& M) {
    switch (M.Msg) {
    case WM_NCPAINT:
        if (Control) Wnd = Control->Handle();
        PlaceBars();
        return true;
    case WM_HSCROLL:
    case WM_VSCROLL: {
        TWScrollbar* B = M.Msg == WM_HSCROLL ? HorzBar.get() : VertBar.get();
        if (B) {
            B->HitArea = LOWORD(M.WParam);
            B->RepaintBar();
        }
        return true;
    }
    default:
        return false;
    }
}

void TSkinScrollbar::AfterMessage(TMessage& M) {
    if (!BarMessage(M)) {
        switch (M.Msg) {
        case WM_SIZE:
            Repaint();
            break;
        case CM_VISIBLECHANGED:
            if (M.WParam == 0)
                for (TWScrollbar* B : {HorzBar.get(), VertBar.get()})
                    if (B) B->HideBar();
            break;
        default:
            TSkinControl::AfterMessage(M);
        }
    }
    FollowScrollInfo();
}

void TSkinScrollbar::FollowScrollInfo() {
    // Whatever a message did to the scroll information shows, also where the control repaints
    // nothing (a line added out of view, a range its handler set, the wheel).
    for (TWScrollbar* B : {HorzBar.get(), VertBar.get()})
        if (B) B->RepaintBar();
}

void TSkinScrollbar::Paint(HDC DC, const RECT&) {
    TWScrollbar* H = HorzBar.get();
    TWScrollbar* V = VertBar.get();
    for (TWScrollbar* B : {H, V})
        if (B) B->RepaintBar();
    if (!H || !V || !H->Shown || !V->Shown) return;
    // The square between two bars, in the window coordinates the DC has.
    RECT Corner{V->Covered.left, H->Covered.top, V->Covered.right + 2, H->Covered.bottom + 2};
    POINT Origin{0, 0};
    ::ClientToScreen(Wnd, &Origin);
    RECT W;
    GetWindowRect(Wnd, &W);
    OffsetRect(&Corner, Origin.x - W.left, Origin.y - W.top);
    FillFace(DC, Corner);
}

void TSkinScrollbar::Refresh() {
    TSkinControl::Refresh();
    for (TWScrollbar* B : {HorzBar.get(), VertBar.get()})
        if (B) B->SkinChanged();
}

void TSkinScrollbar::RestoreColor() {
    TSkinControl::RestoreColor();
    if (State != scsDestroyed) {
        HorzBar.reset();
        VertBar.reset();
    }
}

// ---------------------------------------------------------------------------------------------
// The same for a plain window

void TSkinScrollbarH::InitWindow(HWND AWnd, TSkinData* Data, TControlSkins* ASkins) {
    if (Attached) return;
    TSkinControl::InitWindow(AWnd, Data, ASkins);
    MakeBars();
}

void TSkinScrollbarH::AfterMessage(TMessage& M) {
    if (!IsWindowVisible(Wnd) && VertBar) VertBar->HideBar();
    switch (M.Msg) {
    case WM_SIZE:
    case WM_NCPAINT:
        PlaceBars();
        break;
    case WM_HSCROLL:
    case WM_VSCROLL:
        BarMessage(M);
        break;
    default:
        TSkinControl::AfterMessage(M);
    }
    FollowScrollInfo();
}

// ---------------------------------------------------------------------------------------------
// A scroll-bar control

TSkinScControl::~TSkinScControl() {
    Destroying();
    Bar.reset();
}

void TSkinScControl::Attach(TWinControl* AControl, TSkinData* Data, TControlSkins* ASkins) {
    if (Attached || AControl != Owner()) return;
    InitControl(ASkins, Data, false);
    if (!Attached) return;
    Bar = std::make_unique<TWScrollbar>(this, Wnd, TWScrollbar::kdControl, AControl);
    if (AControl->Visible()) Bar->Place();
}

void TSkinScControl::AfterMessage(TMessage& M) {
    switch (M.Msg) {
    case WM_NCPAINT:
        if (Bar && Control) {
            Wnd = Control->Handle();
            Bar->Target = Wnd;
            Bar->Place();
        }
        return;
    case SBM_SETSCROLLINFO:
    case SBM_SETPOS:
    case SBM_SETRANGE:
        if (Bar) Bar->RepaintBar();
        return;
    case WM_SIZE:
    case WM_MOVE:
        if (Bar && Control && Control->Visible()) Bar->Place();
        return;
    case CM_VISIBLECHANGED:
        if (Bar && M.WParam == 0) Bar->HideBar();
        if (Bar && M.WParam != 0) Bar->Place();
        return;
    default:
        TSkinControl::AfterMessage(M);
    }
}

void TSkinScControl::Paint(HDC, const RECT&) {
    if (Bar) Bar->RepaintBar();
}

void TSkinScControl::Refresh() {
    TSkinControl::Refresh();
    if (Bar) Bar->SkinChanged();
}

void TSkinScControl::RestoreColor() {
    TSkinControl::RestoreColor();
    if (State != scsDestroyed) Bar.reset();
}

PUBLISHED(TWScrollbar) {}
PUBLISHED(TSkinScrollbar) {}
PUBLISHED(TSkinScrollbarH) {}
PUBLISHED(TSkinScControl) {}
