// Skinned scroll bars on a shown form wearing the default skin: bar windows lie over the
// native bars and follow them; real pointer input on them scrolls the control exactly as the
// native bar does on an unskinned twin; the bars' pictures come from the skin.
#include "SkinTesting.h"

#include "ImgUtil.h"
#include "MessageRecorder.h"
#include "StdCtrls.h"
#include "TestAllocator.h"
#include "WinSubScroll.h"

#include <gtest/gtest.h>

using namespace SkinTest;

namespace {

RECT NativeBar(HWND Wnd, LONG Object) {
    SCROLLBARINFO I{};
    I.cbSize = sizeof(I);
    GetScrollBarInfo(Wnd, Object, &I);
    return I.rcScrollBar;
}

RECT ScreenRectOf(HWND Wnd) {
    RECT R;
    GetWindowRect(Wnd, &R);
    return R;
}

SCROLLBARINFO NativeInfo(HWND Wnd, LONG Object) {
    SCROLLBARINFO I{};
    I.cbSize = sizeof(I);
    GetScrollBarInfo(Wnd, Object, &I);
    return I;
}

// The bar last painted the thumb where the native bar has it.
bool ThumbFollows(HWND Wnd, const TWScrollbar& Bar) {
    const SCROLLBARINFO I = NativeInfo(Wnd, Bar.Vertical ? OBJID_VSCROLL : OBJID_HSCROLL);
    return Bar.ThumbStart == I.xyThumbTop && Bar.ThumbEnd == I.xyThumbBottom;
}

int VertPos(HWND Wnd) {
    return GetScrollPos(Wnd, SB_VERT);
}
int HorzPos(HWND Wnd) {
    return GetScrollPos(Wnd, SB_HORZ);
}

TMemo* AddMemo(TForm& F, int X, int Y, int W, int H) {
    auto* M = new TMemo(&F);
    M->SetParent(&F);
    M->SetBounds(X, Y, W, H);
    M->SetWordWrap(false);
    M->SetScrollBars(ssBoth);
    std::wstring Text;
    for (int I = 0; I < 300; ++I)
        Text += L"line " + std::to_wstring(I) +
                L" of a memo long enough to scroll sideways as well as down\r\n";
    M->SetText(Text);
    return M;
}

class TScrollForm : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        MainSkin();
        Form = new TCloseCountingForm(nullptr);
        Form->SetBorderStyle(bsSingle);
        Form->SetFormStyle(fsStayOnTop);
        Form->SetBounds(60, 60, 600, 400);
        Form->SetClientSize(560, 330);
        Form->SetCaption(L"Scroll bars");
        Skinned = AddMemo(*Form, 10, 10, 220, 150);
        Twin = AddMemo(*Form, 250, 10, 220, 150);
        Twin->SetTag(99); // the native twin stays unskinned
        List = new TListBox(Form);
        List->SetParent(Form);
        List->SetBounds(10, 180, 150, 100);
        for (int I = 0; I < 100; ++I)
            List->Items()->Add(L"item " + std::to_wstring(I));
        Short = AddMemo(*Form, 180, 180, 120, 24);
        Form->Show();
        SetForegroundWindow(Form->Handle());
        ASSERT_TRUE(WaitFor([] {
            TWinSkinForm* F = FrameOf(Form->Handle());
            return F && F->SkinState == lsReady;
        }));
        Frame = FrameOf(Form->Handle());
        MemoSkin = Attach(Skinned);
        ListSkin = Attach(List);
        ShortSkin = Attach(Short);
        Pump();
    }
    static void TearDownTestSuite() { delete Form; }

    // The control's scroll-bar skin, attached unless the frame gave it one already.
    static TSkinScrollbar* Attach(TWinControl* C) {
        for (TSkinControl* S : Frame->ControlSkins)
            if (S->Control == C)
                if (auto* Bars = dynamic_cast<TSkinScrollbar*>(S)) return Bars;
        auto* S = new TSkinScrollbar(C);
        S->InitScrollbar(C, &MainSkin(), &Frame->ControlSkins);
        return S;
    }

    static inline TCloseCountingForm* Form = nullptr;
    static inline TWinSkinForm* Frame = nullptr;
    static inline TMemo* Skinned = nullptr;
    static inline TMemo* Twin = nullptr;
    static inline TMemo* Short = nullptr;
    static inline TListBox* List = nullptr;
    static inline TSkinScrollbar* MemoSkin = nullptr;
    static inline TSkinScrollbar* ListSkin = nullptr;
    static inline TSkinScrollbar* ShortSkin = nullptr;
};

// The same place relative to another rectangle of the same size.
POINT Same(POINT P, const RECT& From, const RECT& To) {
    return {P.x - From.left + To.left, P.y - From.top + To.top};
}

} // namespace

TEST_F(TScrollForm, BarWindowsLieOverTheNativeBars) {
    ASSERT_TRUE(MemoSkin->VertBar && MemoSkin->HorzBar);
    EXPECT_TRUE(MemoSkin->VertBar->Shown);
    EXPECT_TRUE(MemoSkin->HorzBar->Shown);
    const RECT V = NativeBar(Skinned->Handle(), OBJID_VSCROLL);
    const RECT H = NativeBar(Skinned->Handle(), OBJID_HSCROLL);
    const RECT VB = ScreenRectOf(MemoSkin->VertBar->Handle());
    const RECT HB = ScreenRectOf(MemoSkin->HorzBar->Handle());
    EXPECT_TRUE(EqualRect(&V, &VB));
    EXPECT_TRUE(EqualRect(&H, &HB));
    EXPECT_TRUE(IsWindowVisible(MemoSkin->VertBar->Handle()));
    // The bars sit just in front of their control among its siblings.
    const HWND Before = GetWindow(Skinned->Handle(), GW_HWNDPREV);
    const HWND BeforeThat = GetWindow(Before, GW_HWNDPREV);
    const HWND H1 = MemoSkin->HorzBar->Handle(), V1 = MemoSkin->VertBar->Handle();
    EXPECT_TRUE((Before == H1 && BeforeThat == V1) || (Before == V1 && BeforeThat == H1));
    // A list box shows only its vertical bar; the horizontal bar window stays hidden.
    EXPECT_TRUE(ListSkin->VertBar->Shown);
    EXPECT_FALSE(ListSkin->HorzBar->Shown);
    EXPECT_FALSE(IsWindowVisible(ListSkin->HorzBar->Handle()));
}

TEST_F(TScrollForm, ArrowAndPageClicksScrollAsTheNativeBarDoes) {
    const RECT V = NativeBar(Skinned->Handle(), OBJID_VSCROLL);
    const RECT VT = NativeBar(Twin->Handle(), OBJID_VSCROLL);
    const RECT H = NativeBar(Skinned->Handle(), OBJID_HSCROLL);
    const RECT HT = NativeBar(Twin->Handle(), OBJID_HSCROLL);
    const int A = GetSystemMetrics(SM_CXHSCROLL);
    const POINT Down{(V.left + V.right) / 2, V.bottom - A / 2};
    const POINT PageDown{(V.left + V.right) / 2, V.bottom - A - 4};
    const POINT Right{H.right - A / 2, (H.top + H.bottom) / 2};
    WithPointer([&](TMouse& M) {
        M.Click(Down);
        M.Click(Down);
        M.Click(Same(Down, V, VT));
        M.Click(Same(Down, V, VT));
    });
    EXPECT_EQ(VertPos(Skinned->Handle()), 2) << "two lines down";
    EXPECT_EQ(VertPos(Skinned->Handle()), VertPos(Twin->Handle()));
    WithPointer([&](TMouse& M) {
        M.Click(PageDown);
        M.Click(Same(PageDown, V, VT));
        M.Click(Right);
        M.Click(Same(Right, H, HT));
    });
    EXPECT_GT(VertPos(Skinned->Handle()), 2) << "a page down";
    EXPECT_EQ(VertPos(Skinned->Handle()), VertPos(Twin->Handle()));
    EXPECT_GT(HorzPos(Skinned->Handle()), 0);
    EXPECT_EQ(HorzPos(Skinned->Handle()), HorzPos(Twin->Handle()));
}

TEST_F(TScrollForm, DraggingTheThumbScrollsAndTheThumbFollowsThePointer) {
    SendMessageW(Skinned->Handle(), WM_VSCROLL, SB_TOP, 0);
    SendMessageW(Twin->Handle(), WM_VSCROLL, SB_TOP, 0);
    Pump();
    TWScrollbar& Bar = *MemoSkin->VertBar;
    // Each paint of the bar while the thumb is dragged: where it drew the thumb and where the
    // pointer was.
    struct TSeen {
        int Thumb, Cursor;
    };
    std::vector<TSeen> Seen;
    TWindowSubclass Watch;
    Watch.Install(
        Bar.Handle(),
        [&](TMessage& M) {
            Watch.CallPrevious(M);
            if (M.Msg == WM_PAINT && Bar.Tracking && Bar.HitArea == shThumb) {
                POINT P;
                GetCursorPos(&P);
                Seen.push_back({Bar.ThumbStart, P.y});
            }
        },
        true);
    const RECT V = NativeBar(Skinned->Handle(), OBJID_VSCROLL);
    const RECT VT = NativeBar(Twin->Handle(), OBJID_VSCROLL);
    SCROLLBARINFO I{};
    I.cbSize = sizeof(I);
    GetScrollBarInfo(Skinned->Handle(), OBJID_VSCROLL, &I);
    const POINT Grab{(V.left + V.right) / 2, V.top + (I.xyThumbTop + I.xyThumbBottom) / 2};
    auto Drag = [&](TMouse& M, POINT From) {
        M.Move(From);
        M.Down(From);
        for (int Dy = 8; Dy <= 48; Dy += 8)
            M.Move({From.x, From.y + Dy});
        M.Up({From.x, From.y + 48});
    };
    WithPointer([&](TMouse& M) {
        Drag(M, Grab);
        Drag(M, Same(Grab, V, VT));
    });
    Watch.Remove();
    EXPECT_GT(VertPos(Skinned->Handle()), 10);
    EXPECT_EQ(VertPos(Skinned->Handle()), VertPos(Twin->Handle()));
    ASSERT_GE(Seen.size(), 2u) << "the bar repainted while the thumb was dragged";
    for (const TSeen& S : Seen)
        EXPECT_EQ(S.Thumb - Bar.PressThumbStart, S.Cursor - Bar.PressCursor.y)
            << "the thumb moves with the pointer";
}

TEST_F(TScrollForm, TheWheelRepaintsTheBarAndEachScrollPaintsItOnce) {
    const int Before = MemoSkin->VertBar->Paints;
    const int Pos = VertPos(Skinned->Handle());
    SendMessageW(Skinned->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    Pump();
    EXPECT_NE(VertPos(Skinned->Handle()), Pos);
    EXPECT_GT(MemoSkin->VertBar->Paints, Before);
    // Ten scroll messages: the bar paints at most once for each.
    const int Start = MemoSkin->VertBar->Paints;
    for (int I = 0; I < 10; ++I) {
        SendMessageW(Skinned->Handle(), WM_VSCROLL, SB_LINEDOWN, 0);
        Pump();
    }
    EXPECT_LE(MemoSkin->VertBar->Paints - Start, 10);
    EXPECT_GE(MemoSkin->VertBar->Paints - Start, 1);
}

// A program's own log window: each line arrives as a message (posted by whatever produces the
// lines); the window sets its scroll range for it and repaints nothing, the line lying below
// what it shows.
class TLogView : public TCustomControl {
    DECLARE_CLASS(TLogView, TCustomControl)
  public:
    using TCustomControl::TCustomControl;
    static constexpr UINT WM_LOGLINE = WM_APP + 1;
    int Lines = 0;

  protected:
    void CreateParams(TCreateParams& P) override {
        TCustomControl::CreateParams(P);
        P.Style |= WS_VSCROLL;
    }
    void WndProc(TMessage& M) override {
        if (M.Msg != WM_LOGLINE) return TCustomControl::WndProc(M);
        ++Lines;
        SCROLLINFO Info{sizeof(Info), SIF_RANGE | SIF_PAGE, 0, Lines - 1, 10, 0, 0};
        SetScrollInfo(Handle(), SB_VERT, &Info, TRUE);
    }
};
PUBLISHED(TLogView) {}

// A program changes the scroll information without the control repainting: the bars follow
// all the same.
TEST_F(TScrollForm, BarsFollowScrollChangesThatRepaintNothing) {
    // A log list: a line at a time, each added below what the list shows.
    auto* Log = new TListBox(Form);
    Log->SetParent(Form);
    Log->SetBounds(180, 215, 130, 100);
    for (int I = 0; I < 10; ++I)
        Log->Items()->Add(L"event " + std::to_wstring(I));
    Pump();
    TSkinScrollbar* LogSkin = Attach(Log);
    TWScrollbar& Bar = *LogSkin->VertBar;
    ASSERT_TRUE(Bar.Shown) << "ten lines scroll";
    RedrawWindow(Bar.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const HWND L = Log->Handle();
    ASSERT_TRUE(ThumbFollows(L, Bar));
    const int FirstEnd = Bar.ThumbEnd;
    for (int I = 10; I < 30; ++I) {
        Log->Items()->Add(L"event " + std::to_wstring(I));
        ASSERT_EQ(Log->TopIndex(), 0) << "added out of view";
        ASSERT_TRUE(WaitFor([&] { return ThumbFollows(L, Bar); }, 1000)) << "line " << I;
    }
    EXPECT_LT(Bar.ThumbEnd, FirstEnd - 10) << "the thumb moved as the log grew";
    // The log shown from its end: the thumb at the bottom.
    Log->SetTopIndex(29);
    EXPECT_TRUE(WaitFor([&] { return ThumbFollows(L, Bar); }, 1000));
    delete Log;

    // The program's own log window, its lines posted to it.
    auto* View = new TLogView(Form);
    View->SetParent(Form);
    View->SetBounds(180, 215, 130, 100);
    for (int I = 0; I < 12; ++I)
        SendMessageW(View->Handle(), TLogView::WM_LOGLINE, 0, 0);
    Pump();
    TSkinScrollbar* ViewSkin = Attach(View);
    TWScrollbar& ViewBar = *ViewSkin->VertBar;
    ASSERT_TRUE(ViewBar.Shown);
    RedrawWindow(ViewBar.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const int ViewEnd = ViewBar.ThumbEnd;
    for (int I = 0; I < 10; ++I) {
        PostMessageW(View->Handle(), TLogView::WM_LOGLINE, 0, 0);
        ASSERT_TRUE(WaitFor([&] { return View->Lines == 13 + I; }, 1000));
        ASSERT_TRUE(WaitFor([&] { return ThumbFollows(View->Handle(), ViewBar); }, 1000))
            << "line " << View->Lines;
    }
    EXPECT_LT(ViewBar.ThumbEnd, ViewEnd - 10) << "the thumb moved as the log grew";
    delete View;

    // A program's own range and position for the memo's bar, set from outside any message of
    // the memo: the system reports the change (Windows does for every SetScrollInfo that
    // redraws; the Wine here does not, so the report is made as Windows makes it).
    const HWND M = Skinned->Handle();
    TWScrollbar& MemoBar = *MemoSkin->VertBar;
    auto Reported = [&] {
        NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, M, OBJID_VSCROLL, CHILDID_SELF);
        return WaitFor([&] { return ThumbFollows(M, MemoBar); }, 1000);
    };
    SCROLLINFO Own{sizeof(Own), SIF_ALL};
    GetScrollInfo(M, SB_VERT, &Own);
    SCROLLINFO Info{sizeof(Info), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 45, 0};
    SetScrollInfo(M, SB_VERT, &Info, TRUE);
    EXPECT_TRUE(Reported()) << "SetScrollInfo";
    SetScrollPos(M, SB_VERT, 80, TRUE);
    EXPECT_TRUE(Reported()) << "SetScrollPos";
    // The memo's own information back.
    SetScrollInfo(M, SB_VERT, &Own, TRUE);
    EXPECT_TRUE(Reported());
}

TEST_F(TScrollForm, HidingAControlHidesBothBarsAndResizingReplacesThem) {
    Skinned->Hide();
    Pump();
    EXPECT_FALSE(IsWindowVisible(MemoSkin->VertBar->Handle()));
    EXPECT_FALSE(IsWindowVisible(MemoSkin->HorzBar->Handle()));
    Skinned->Show();
    Skinned->SetBounds(10, 10, 200, 140);
    RedrawWindow(Skinned->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    Pump();
    EXPECT_TRUE(IsWindowVisible(MemoSkin->VertBar->Handle()));
    const RECT V = NativeBar(Skinned->Handle(), OBJID_VSCROLL);
    const RECT VB = ScreenRectOf(MemoSkin->VertBar->Handle());
    EXPECT_TRUE(EqualRect(&V, &VB)) << "the bar follows the resized memo";
    Skinned->SetBounds(10, 10, 220, 150);
    Pump();
}

// ---------------------------------------------------------------------------------------------
// Pixels

namespace {

std::unique_ptr<TBitmap> GrabWindow(HWND Wnd) {
    RECT R;
    GetClientRect(Wnd, &R);
    auto B = std::make_unique<TBitmap>(R.right, R.bottom, pf24bit);
    TWindowDC DC(Wnd);
    BitBlt(B->Canvas()->Handle(), 0, 0, R.right, R.bottom, DC, 0, 0, SRCCOPY);
    return B;
}

// The frame of the skin's 23-frame scroll-bar picture as the bar draws it in a rectangle.
std::unique_ptr<TBitmap> ArrowPicture(int Frame, int W, int H) {
    TSkinData& D = MainSkin();
    auto B = std::make_unique<TBitmap>(W, H, pf24bit);
    FillColor(B->Canvas()->Handle(), {0, 0, W, H}, D.ButtonFace);
    DrawSkinFrame(B->Canvas()->Handle(), {0, 0, W, H}, D.Scrollbar->Bitmap, true, 23, Frame);
    return B;
}

// The vertical track as a disabled bar of W by H shows it, between arrows of A.
std::unique_ptr<TBitmap> DisabledTrack(int W, int H, int A) {
    TSkinData& D = MainSkin();
    auto Track = std::make_unique<TBitmap>(W, H - 2 * A, pf24bit);
    FillColor(Track->Canvas()->Handle(), {0, 0, W, H - 2 * A}, D.ButtonFace);
    DrawSkinNineGrid(Track->Canvas()->Handle(), {0, 0, W, H - 2 * A}, D.VertScroll->Bitmap, false,
                     D.VertScroll->Tile != 0, D.VertScroll->Trans != 0, 4, 3,
                     D.VertScroll->Margins);
    return Track;
}

int Differences(const TBitmap& Shot, int X0, int Y0, const TBitmap& Expected) {
    int Bad = 0;
    for (int Y = 0; Y < Expected.Height(); ++Y)
        for (int X = 0; X < Expected.Width(); ++X)
            if (Pixel(Shot, X0 + X, Y0 + Y) != Pixel(Expected, X, Y)) ++Bad;
    return Bad;
}

} // namespace

TEST_F(TScrollForm, ArrowsAndTrackComeFromTheSkin) {
    TWScrollbar& Bar = *MemoSkin->VertBar;
    RedrawWindow(Bar.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    auto Shot = GrabWindow(Bar.Handle());
    const int W = Shot->Width(), H = Shot->Height(), A = Bar.ArrowSize;
    EXPECT_EQ(Differences(*Shot, 0, 0, *ArrowPicture(9, W, A)), 0) << "the up arrow";
    EXPECT_EQ(Differences(*Shot, 0, H - A, *ArrowPicture(13, W, A)), 0) << "the down arrow";
    EXPECT_NE(Differences(*Shot, 0, 0, *ArrowPicture(10, W, A)), 0) << "not pressed";

    // Held down, the arrow shows its pressed frame while the memo's loop scrolls; the thumb
    // shows its resting frame.
    int PressedPaints = 0, PressedWrong = 0;
    TWindowSubclass Watch;
    Watch.Install(
        Bar.Handle(),
        [&](TMessage& M) {
            Watch.CallPrevious(M);
            if (M.Msg != WM_PAINT || !Bar.Tracking || Bar.HitArea != shSecondArrow) return;
            ++PressedPaints;
            auto Now = GrabWindow(Bar.Handle());
            PressedWrong += Differences(*Now, 0, H - A, *ArrowPicture(14, W, A));
        },
        true);
    const RECT V = NativeBar(Skinned->Handle(), OBJID_VSCROLL);
    const POINT Down{(V.left + V.right) / 2, V.bottom - A / 2};
    WithPointer([&](TMouse& M) {
        M.Move(Down);
        M.Down(Down);
        Sleep(600); // held as a hand holds it, so the loop repeats the line
        M.Up(Down);
    });
    Watch.Remove();
    EXPECT_GE(PressedPaints, 1);
    EXPECT_EQ(PressedWrong, 0);
}

TEST_F(TScrollForm, AShortBarHasTwoHalfArrowsAndNoTrack) {
    TWScrollbar& Bar = *ShortSkin->VertBar;
    ASSERT_TRUE(Bar.Shown);
    RedrawWindow(Bar.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    auto Shot = GrabWindow(Bar.Handle());
    const int W = Shot->Width(), H = Shot->Height();
    ASSERT_LT(H, 2 * Bar.ArrowSize) << "the memo is too short for two whole arrows";
    const int Half = H / 2;
    EXPECT_EQ(Differences(*Shot, 0, 0, *ArrowPicture(9, W, Half)), 0);
    EXPECT_EQ(Differences(*Shot, 0, H - Half, *ArrowPicture(13, W, Half)), 0);
}

TEST_F(TScrollForm, ADisabledBarShowsTheTrackInFrameThreeAndNoThumb) {
    TWScrollbar& Bar = *ListSkin->VertBar;
    EnableScrollBar(List->Handle(), SB_VERT, ESB_DISABLE_BOTH);
    RedrawWindow(Bar.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    auto Shot = GrabWindow(Bar.Handle());
    const int W = Shot->Width(), H = Shot->Height(), A = Bar.ArrowSize;
    EXPECT_EQ(Differences(*Shot, 0, A, *DisabledTrack(W, H, A)), 0)
        << "the whole track, no thumb on it";
    EnableScrollBar(List->Handle(), SB_VERT, ESB_ENABLE_BOTH);
}

// The bars follow their control's state: disabled, the control's bars look disabled and take
// no clicks, as its native twin's do.
TEST_F(TScrollForm, ADisabledControlsBarsLookDisabledAndScrollNothing) {
    TWScrollbar& Bar = *MemoSkin->VertBar;
    for (TMemo* M : {Skinned, Twin}) {
        SendMessageW(M->Handle(), WM_VSCROLL, SB_TOP, 0);
        M->SetEnabled(false);
    }
    Pump();
    const int A = Bar.ArrowSize;
    EXPECT_TRUE(WaitFor(
        [&] {
            auto Shot = GrabWindow(Bar.Handle());
            return Differences(*Shot, 0, A, *DisabledTrack(Shot->Width(), Shot->Height(), A)) == 0;
        },
        2000))
        << "the whole track, no thumb on it";
    const RECT V = NativeBar(Skinned->Handle(), OBJID_VSCROLL);
    const RECT VT = NativeBar(Twin->Handle(), OBJID_VSCROLL);
    const POINT Down{(V.left + V.right) / 2, V.bottom - A / 2};
    const POINT PageDown{(V.left + V.right) / 2, V.bottom - A - 4};
    WithPointer([&](TMouse& M) {
        M.Click(Down);
        M.Click(PageDown);
        M.Click(Same(Down, V, VT));
    });
    EXPECT_EQ(VertPos(Skinned->Handle()), 0);
    EXPECT_EQ(VertPos(Twin->Handle()), 0);
    // A disabled scroll-bar control under its bar window: the same.
    auto* SB = new TScrollBar(Form);
    SB->SetParent(Form);
    SB->SetKind(sbVertical);
    SB->SetBounds(520, 10, 20, 200);
    SB->SetParams(0, 0, 100);
    SB->SetPageSize(10);
    SB->SetEnabled(false);
    TSkinControl Host(nullptr);
    Host.SkinData = &MainSkin();
    TWScrollbar Control(&Host, SB->Handle(), TWScrollbar::kdControl, SB);
    Control.Place();
    ASSERT_TRUE(Control.Shown);
    const RECT C = ScreenRectOf(Control.Handle());
    WithPointer([&](TMouse& M) {
        M.Click({(C.left + C.right) / 2, C.bottom - A / 2});
        M.Click({(C.left + C.right) / 2, C.bottom - A - 20});
    });
    EXPECT_EQ(SB->Position(), 0) << "a disabled scroll-bar control";
    delete SB;
    // Enabled again: the thumb is back and a click scrolls.
    for (TMemo* M : {Skinned, Twin})
        M->SetEnabled(true);
    Pump();
    EXPECT_TRUE(WaitFor([&] { return ThumbFollows(Skinned->Handle(), Bar); }, 2000));
    WithPointer([&](TMouse& M) { M.Click(Down); });
    EXPECT_EQ(VertPos(Skinned->Handle()), 1);
    SendMessageW(Skinned->Handle(), WM_VSCROLL, SB_TOP, 0);
}

TEST_F(TScrollForm, WithTheSkinGoneTheNativeBarWorks) {
    auto* Extra = AddMemo(*Form, 330, 180, 150, 100);
    TSkinScrollbar* S = Attach(Extra);
    const HWND VB = S->VertBar->Handle();
    delete S;
    EXPECT_FALSE(IsWindow(VB)) << "no bar window is left behind";
    const RECT V = NativeBar(Extra->Handle(), OBJID_VSCROLL);
    const int A = GetSystemMetrics(SM_CXHSCROLL);
    WithPointer([&](TMouse& M) { M.Click({(V.left + V.right) / 2, V.bottom - A / 2}); });
    EXPECT_EQ(VertPos(Extra->Handle()), 1);
    delete Extra;
}

// A scroll-bar control covered by a bar window of its own: placed over its client area, its
// parts found along its axis, and a press on it handed to the control.
TEST_F(TScrollForm, AScrollBarControlsBarFollowsTheControl) {
    auto* SB = new TScrollBar(Form);
    SB->SetParent(Form);
    SB->SetKind(sbVertical);
    SB->SetBounds(520, 10, 20, 200);
    SB->SetParams(0, 0, 100);
    SB->SetPageSize(10);
    TSkinControl Host(nullptr);
    Host.SkinData = &MainSkin();
    TWScrollbar Bar(&Host, SB->Handle(), TWScrollbar::kdControl, SB);
    Bar.Place();
    ASSERT_TRUE(Bar.Shown);
    RECT C;
    GetClientRect(SB->Handle(), &C);
    MapWindowPoints(SB->Handle(), HWND_DESKTOP, reinterpret_cast<POINT*>(&C), 2);
    const RECT B = ScreenRectOf(Bar.Handle());
    EXPECT_TRUE(EqualRect(&B, &C));
    EXPECT_EQ(GetWindow(Bar.Handle(), GW_HWNDPREV), nullptr) << "at the top of its siblings";
    RedrawWindow(Bar.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const int A = Bar.ArrowSize, L = 200;
    EXPECT_EQ(Bar.ThumbStart, A) << "position 0";
    EXPECT_EQ(Bar.ThumbEnd - Bar.ThumbStart, MulDiv(L - 2 * A, 10 - 1, 100));
    EXPECT_EQ(Bar.HitTestAt(A - 1), shFirstArrow);
    EXPECT_EQ(Bar.HitTestAt(Bar.ThumbStart), shThumb);
    EXPECT_EQ(Bar.HitTestAt(Bar.ThumbEnd + 1), shPageAfter);
    EXPECT_EQ(Bar.HitTestAt(L - 1), shSecondArrow);
    WithPointer([&](TMouse& M) { M.Click({(B.left + B.right) / 2, B.top + Bar.ThumbEnd + 20}); });
    EXPECT_EQ(SB->Position(), 10) << "a page down";
    RedrawWindow(Bar.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(Bar.ThumbStart, A + MulDiv(L - 2 * A, 10, 100));
    delete SB;
}

// A handler that the scroll loop runs (here the control's change event) frees the bar that
// handed the press on: once the loop returns, the bar touches nothing of itself.
TEST_F(TScrollForm, ABarFreedInsideTheScrollLoopItStartedIsLeftAlone) {
    auto* SB = new TScrollBar(Form);
    SB->SetParent(Form);
    SB->SetKind(sbVertical);
    SB->SetBounds(520, 10, 20, 200);
    SB->SetParams(0, 0, 100);
    SB->SetPageSize(10);
    TSkinControl Host(nullptr);
    Host.SkinData = &MainSkin();
    auto* Bar = new TWScrollbar(&Host, SB->Handle(), TWScrollbar::kdControl, SB);
    Bar->Place();
    ASSERT_TRUE(Bar->Shown);
    RedrawWindow(Bar->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const RECT B = ScreenRectOf(Bar->Handle());
    const POINT PageDown{(B.left + B.right) / 2, B.top + Bar->ThumbEnd + 20};
    const auto* Block = reinterpret_cast<const uint8_t*>(Bar);
    SB->OnChange = [&](TObject*) {
        delete Bar;
        Bar = nullptr;
    };
    WithPointer([&](TMouse& M) { M.Click(PageDown); });
    ASSERT_EQ(Bar, nullptr) << "the handler ran";
    EXPECT_EQ(SB->Position(), 10) << "a page down";
    // The freed block still holds nothing but the allocator's pattern.
    size_t Written = 0;
    for (size_t I = 0; I < sizeof(TWScrollbar); ++I)
        Written += Block[I] != FreedByte;
    EXPECT_EQ(Written, 0u) << "bytes of the freed bar written after it was freed";
    delete SB;
}

namespace {

// A container of another library that the skin's class list names as holding scroll bars.
class TBarHolder : public TPanel {
    DECLARE_CLASS(TBarHolder, TPanel)
  public:
    using TPanel::TPanel;
};

} // namespace

PUBLISHED(TBarHolder) {}

// Scroll-bar controls are dressed only inside such a holder: the bar window covers each one,
// shows the skin's arrows, takes real clicks for the control, hides with it and goes with the
// skin.
TEST_F(TScrollForm, ScrollBarControlsInANamedHolderWearTheSkin) {
    TStrings& Others = *MainSkin().Skin3rd();
    Others.Add(L"TBarHolder=embedscrollbar");
    auto* Holder = new TBarHolder(Form);
    Holder->SetParent(Form);
    Holder->SetBounds(320, 180, 230, 60);
    Holder->SetCaption(L"");
    auto* Across = new TScrollBar(Form);
    Across->SetParent(Holder);
    Across->SetBounds(5, 10, 200, 18);
    Across->SetParams(0, 0, 100);
    Across->SetPageSize(10);
    auto* Loose = new TScrollBar(Form); // outside the holder: left as it is
    Loose->SetParent(Form);
    Loose->SetBounds(320, 250, 200, 18);
    Frame->SkinControls();
    TSkinScControl* Skin = nullptr;
    for (TSkinControl* S : Frame->ControlSkins) {
        EXPECT_NE(S->Control, Loose);
        if (S->Control == Across) Skin = dynamic_cast<TSkinScControl*>(S);
    }
    ASSERT_TRUE(Skin && Skin->Bar);
    TWScrollbar& Bar = *Skin->Bar;
    Pump();
    ASSERT_TRUE(Bar.Shown);
    RECT C;
    GetClientRect(Across->Handle(), &C);
    MapWindowPoints(Across->Handle(), HWND_DESKTOP, reinterpret_cast<POINT*>(&C), 2);
    const RECT B = ScreenRectOf(Bar.Handle());
    EXPECT_TRUE(EqualRect(&B, &C));

    RedrawWindow(Bar.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    auto Shot = GrabWindow(Bar.Handle());
    const int W = Shot->Width(), H = Shot->Height(), A = Bar.ArrowSize;
    EXPECT_EQ(Differences(*Shot, 0, 0, *ArrowPicture(1, A, H)), 0) << "the left arrow";
    EXPECT_EQ(Differences(*Shot, W - A, 0, *ArrowPicture(5, A, H)), 0) << "the right arrow";

    // Two clicks on the right arrow move the control two lines; the bar follows.
    WithPointer([&](TMouse& M) {
        M.Click({B.right - A / 2, (B.top + B.bottom) / 2});
        M.Click({B.right - A / 2, (B.top + B.bottom) / 2});
    });
    EXPECT_EQ(Across->Position(), 2);
    RedrawWindow(Bar.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(Bar.ThumbStart, A + MulDiv(200 - 2 * A, 2, 100));

    Across->SetVisible(false);
    Pump();
    EXPECT_FALSE(IsWindowVisible(Bar.Handle())) << "hidden with its control";
    Across->SetVisible(true);
    Pump();
    EXPECT_TRUE(IsWindowVisible(Bar.Handle()));

    // The skin goes: no bar window is left, and the native bar takes the clicks itself.
    const HWND BarWnd = Bar.Handle();
    delete Skin;
    EXPECT_FALSE(IsWindow(BarWnd));
    WithPointer([&](TMouse& M) { M.Click({C.left + A / 2, (C.top + C.bottom) / 2}); });
    EXPECT_EQ(Across->Position(), 1);
    Others.Delete(Others.Count() - 1);
    delete Across;
    delete Loose;
    delete Holder;
}
