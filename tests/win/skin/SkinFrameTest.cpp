// The frame skin on a shown form wearing the default skin: its window procedure, checked by
// recording what reaches the form's own procedure beneath the skin, and its pixels, read back
// from the window and compared with the skin's pictures. One form serves every test.
#include "SkinTesting.h"

#include "ImgUtil.h"
#include "MessageRecorder.h"
#include "StdCtrls.h"
#include "WinSubDialog.h"

#include <gtest/gtest.h>
#include <windowsx.h>

using namespace SkinTest;

namespace {

class TShownFrame : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        Skin = &MainSkin();
        Form = new TCloseCountingForm(nullptr);
        Form->SetName(L"FrameForm");
        Form->SetBorderStyle(bsSizeable);
        Form->SetBorderIcons({biSystemMenu, biMinimize, biMaximize});
        Form->SetFormStyle(fsStayOnTop);
        Form->SetBounds(200, 150, 400, 300);
        Form->SetClientSize(320, 180);
        Form->SetCaption(L"Frame test");
        Form->HandleNeeded();
        ClientBefore = Form->ClientRect();
        // Beneath the skin from the start: it sees what the skin passes on.
        Recorder = new TMessageRecorder;
        Recorder->Attach(Form->Handle());
        Frame = ShowSkinned(*Form);
        ASSERT_NE(Frame, nullptr);
    }
    static void TearDownTestSuite() {
        delete Recorder;
        delete Form;
    }
    void SetUp() override {
        SetForegroundWindow(Form->Handle());
        WaitFor([] { return Frame->Active; }, 1000);
        Recorder->Clear();
    }
    HWND Wnd() const { return Form->Handle(); }
    LRESULT Send(UINT Msg, WPARAM W = 0, LPARAM L = 0) { return SendMessageW(Wnd(), Msg, W, L); }
    int Reached(UINT Msg) const { return Recorder->Count(Msg); }
    TWinSysButton* ButtonOfAction(int Action) const {
        for (auto& B : Frame->NCButtons)
            if (B->SkinButton->Action == Action && B->Visible && !IsRectEmpty(&B->Bounds))
                return B.get();
        return nullptr;
    }
    static POINT Centre(const RECT& R) { return {(R.left + R.right) / 2, (R.top + R.bottom) / 2}; }

    static inline TSkinData* Skin = nullptr;
    static inline TCloseCountingForm* Form = nullptr;
    static inline TWinSkinForm* Frame = nullptr;
    static inline TMessageRecorder* Recorder = nullptr;
    static inline RECT ClientBefore{};
};

} // namespace

TEST_F(TShownFrame, TakesTheSkinsFrameAroundTheClientAreaItHad) {
    EXPECT_EQ(Frame->FrameTop, 29);
    EXPECT_EQ(Frame->FrameLeft, 3);
    EXPECT_EQ(Frame->FrameRight, 3);
    EXPECT_EQ(Frame->FrameBottom, 3);
    EXPECT_EQ(Frame->FrameKind, frSizeable);
    RECT W, C;
    GetWindowRect(Wnd(), &W);
    GetClientRect(Wnd(), &C);
    EXPECT_EQ(C.right, ClientBefore.right);
    EXPECT_EQ(C.bottom, ClientBefore.bottom);
    EXPECT_EQ(W.right - W.left, C.right + 6);
    EXPECT_EQ(W.bottom - W.top, C.bottom + 32);
    POINT Origin{0, 0};
    ClientToScreen(Wnd(), &Origin);
    EXPECT_EQ(Origin.x - W.left, 3);
    EXPECT_EQ(Origin.y - W.top, 29);
    // The window is owned (by the application window): it keeps WS_CAPTION, its boxes go.
    const DWORD Style = GetWindowLongW(Wnd(), GWL_STYLE);
    EXPECT_EQ(Style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
    EXPECT_FALSE(Style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_EQ(Frame->CaptionBits & (csSysMenu | csMinBox | csMaxBox),
              csSysMenu | csMinBox | csMaxBox);
}

TEST_F(TShownFrame, AnswersTheQueryAndNcActivateItself) {
    EXPECT_EQ(Send(SKM_QUERY), 1);
    EXPECT_EQ(Send(WM_NCACTIVATE, FALSE), 1);
    EXPECT_FALSE(Frame->Active);
    EXPECT_EQ(Send(WM_NCACTIVATE, TRUE), 1);
    EXPECT_TRUE(Frame->Active);
    EXPECT_EQ(Reached(WM_NCACTIVATE), 0) << "no standard caption may flicker through";
    EXPECT_EQ(Reached(SKM_QUERY), 0);
}

TEST_F(TShownFrame, HitTestingGivesTheCaptionAndLeavesTheRestAlone) {
    RECT W;
    GetWindowRect(Wnd(), &W);
    auto Hit = [&](int X, int Y) {
        return Send(WM_NCHITTEST, 0, MAKELPARAM(W.left + X, W.top + Y));
    };
    EXPECT_EQ(Hit(120, 14), HTCAPTION) << "the skin's caption strip drags the window";
    EXPECT_EQ(Hit(120, 27), HTCAPTION) << "below the standard caption, still the skin's";
    EXPECT_EQ(Hit(120, 100), HTCLIENT);
    EXPECT_EQ(Hit(1, 100), HTLEFT) << "edges stay what the window gives";
    EXPECT_EQ(Hit(W.right - W.left - 1, W.bottom - W.top - 1), HTBOTTOMRIGHT);
    EXPECT_EQ(Reached(WM_NCHITTEST), 5) << "each was asked of the window first";
}

TEST_F(TShownFrame, NcCalcSizeGivesTheClientInsideTheSkinsEdges) {
    WINDOWPOS Pos{Wnd(), nullptr, 100, 50, 300, 200, 0};
    NCCALCSIZE_PARAMS P{};
    P.rgrc[0] = {100, 50, 400, 250};
    P.rgrc[1] = P.rgrc[0];
    P.rgrc[2] = P.rgrc[0];
    P.lppos = &Pos;
    EXPECT_EQ(Send(WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&P)), WVR_VALIDRECTS);
    const RECT Expected{103, 79, 397, 247};
    EXPECT_TRUE(EqualRect(&P.rgrc[0], &Expected));
    EXPECT_TRUE(EqualRect(&P.rgrc[1], &Expected));
    RECT R{100, 50, 400, 250};
    EXPECT_EQ(Send(WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&R)), 0);
    EXPECT_TRUE(
        Recorder->Matches({{WM_NCCALCSIZE, mcWParam, TRUE}, {WM_NCCALCSIZE, mcWParam, FALSE}}));
}

// Beneath the skin the window sees none of its non-client painting: a paint or an activation
// only reads the caption text; a hit test is asked of the window first; a frame change passes
// the window's own size calculation and position messages on, and paints in the skin.
TEST_F(TShownFrame, NonClientMessagesReachTheWindowInTheseSequences) {
    const int Length = GetWindowTextLengthW(Wnd());
    const TMsgExpect TextRead[] = {
        {WM_GETTEXTLENGTH, mcResult, 0, 0, Length},
        {WM_GETTEXT, mcWParam | mcResult, static_cast<WPARAM>(Length + 1), 0, Length}};
    Recorder->Clear();
    Send(WM_NCPAINT, 1);
    EXPECT_TRUE(Recorder->Matches({TextRead[0], TextRead[1]}));

    Recorder->Clear();
    Send(WM_NCACTIVATE, FALSE);
    Send(WM_NCACTIVATE, TRUE);
    EXPECT_TRUE(Recorder->Matches({TextRead[0], TextRead[1], TextRead[0], TextRead[1]}));

    Recorder->Clear();
    RECT W;
    GetWindowRect(Wnd(), &W);
    const LPARAM OnCaption = MAKELPARAM(W.left + 120, W.top + 14);
    EXPECT_EQ(Send(WM_NCHITTEST, 0, OnCaption), HTCAPTION);
    EXPECT_TRUE(Recorder->Matches({{WM_NCHITTEST, mcLParam, 0, OnCaption}}));

    Recorder->Clear();
    SetWindowPos(Wnd(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    EXPECT_TRUE(Recorder->Matches({{WM_WINDOWPOSCHANGING},
                                   {WM_NCCALCSIZE, mcWParam, TRUE},
                                   TextRead[0],
                                   TextRead[1],
                                   {WM_WINDOWPOSCHANGED}}));
}

TEST_F(TShownFrame, AltAloneIsAnsweredWithoutTheWindow) {
    EXPECT_EQ(Send(WM_SYSCOMMAND, SC_KEYMENU, 0), 1);
    EXPECT_EQ(Reached(WM_SYSCOMMAND), 0);
}

TEST_F(TShownFrame, SetTextRepaintsTheCaptionWithTheNewText) {
    const RECT Before = Frame->Placed().Text;
    Recorder->Clear();
    Form->SetCaption(L"Frame test with a longer caption");
    Pump();
    EXPECT_GE(Reached(WM_NCCALCSIZE), 1) << "the frame was changed so the caption repaints";
    EXPECT_GT(Frame->Placed().Text.right - Frame->Placed().Text.left, Before.right - Before.left);
    Form->SetCaption(L"Frame test");
    Pump();
}

TEST_F(TShownFrame, AMaximizedWindowsCaptionPressIsPassedOnAsTheMenu) {
    ShowWindow(Wnd(), SW_MAXIMIZE);
    ASSERT_TRUE(WaitFor([] { return Frame->ShowState == stMaximized; }));
    SetForegroundWindow(Wnd());
    WaitFor([] { return Frame->Active; }, 1000);
    Recorder->Clear();
    Send(WM_NCLBUTTONDOWN, HTCAPTION, ScreenPoint(Wnd(), {120, 14}));
    ASSERT_FALSE(Recorder->Messages().empty());
    EXPECT_EQ(Recorder->Messages()[0].Msg, static_cast<UINT>(WM_NCLBUTTONDOWN));
    EXPECT_EQ(Recorder->Messages()[0].WParam, static_cast<WPARAM>(HTMENU))
        << "a maximized window cannot be dragged by its caption";
    for (const auto& M : Recorder->Messages())
        EXPECT_FALSE(M.Msg == WM_SYSCOMMAND && (M.WParam & 0xFFF0) == SC_MOVE) << "no move loop";
    ShowWindow(Wnd(), SW_RESTORE);
    ASSERT_TRUE(WaitFor([] { return Frame->ShowState == stNormal; }));
    RECT C;
    GetClientRect(Wnd(), &C);
    EXPECT_EQ(C.right, ClientBefore.right);
    EXPECT_EQ(C.bottom, ClientBefore.bottom);
}

// The icon clicked twice within the double-click time: the first click shows the system menu
// (closed here by a timer), the second closes the window without showing it again.
TEST_F(TShownFrame, TwoIconClicksCloseWithoutASecondMenu) {
    TWinSysButton* Icon = ButtonOfAction(11);
    ASSERT_NE(Icon, nullptr);
    int Shown = 0;
    Frame->SkinSysMenu->OnPopup = [&](TObject*) { ++Shown; };
    TTimer Closer(nullptr);
    Closer.SetInterval(80);
    Closer.SetOnTimer([&](TObject*) {
        Closer.SetEnabled(false);
        EndMenu();
    });
    const LPARAM At = ScreenPoint(Wnd(), Centre(Icon->Bounds));
    const int ClosesBefore = Form->Closes;
    Frame->LastSysMenuTime = GetTickCount() - 10000;
    Closer.SetEnabled(true);
    Send(WM_NCLBUTTONDOWN, HTCAPTION, At);
    Send(WM_NCLBUTTONUP, HTCAPTION, At);
    EXPECT_EQ(Shown, 1);
    Send(WM_NCLBUTTONDOWN, HTCAPTION, At);
    Send(WM_NCLBUTTONUP, HTCAPTION, At);
    Pump();
    EXPECT_EQ(Shown, 1) << "the second click shows no menu";
    EXPECT_EQ(Form->Closes, ClosesBefore + 1);
    EXPECT_EQ(Reached(WM_CLOSE), 1);
    Frame->SkinSysMenu->OnPopup = nullptr;
}

TEST_F(TShownFrame, ARightClickOnTheCaptionShowsTheSystemMenu) {
    int Shown = 0;
    Frame->SkinSysMenu->OnPopup = [&](TObject*) { ++Shown; };
    TTimer Closer(nullptr);
    Closer.SetInterval(80);
    Closer.SetOnTimer([&](TObject*) {
        Closer.SetEnabled(false);
        EndMenu();
    });
    Closer.SetEnabled(true);
    Frame->LastSysMenuTime = GetTickCount() - 10000;
    Send(WM_NCRBUTTONDOWN, HTCAPTION, ScreenPoint(Wnd(), {150, 14}));
    EXPECT_EQ(Shown, 1);
    EXPECT_EQ(Reached(WM_NCRBUTTONDOWN), 0);
    // Its items follow the window's state.
    EXPECT_FALSE(Frame->SkinSysMenu->Items()->Items(0)->Enabled()) << "restore, when normal";
    EXPECT_TRUE(Frame->SkinSysMenu->Items()->Items(1)->Enabled());
    Frame->SkinSysMenu->OnPopup = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Pixels

namespace {

// Compares a part of the window with an expected picture wherever the window's region shows
// it; answers the number of pixels that differ.
int Differences(const TBitmap& Shot, HWND Wnd, const RECT& Part, TBitmap& Expected,
                const std::vector<RECT>& Skip = {}) {
    TRegionHandle Region(CreateRectRgn(0, 0, 0, 0));
    const bool HasRegion = GetWindowRgn(Wnd, Region) != ERROR;
    int Bad = 0;
    for (int Y = Part.top; Y < Part.bottom; ++Y)
        for (int X = Part.left; X < Part.right; ++X) {
            if (HasRegion && !PtInRegion(Region, X, Y)) continue;
            const POINT P{X, Y};
            bool Skipped = false;
            for (const RECT& S : Skip)
                Skipped = Skipped || PtInRect(&S, P);
            if (Skipped) continue;
            if (Pixel(Shot, X, Y) != Pixel(Expected, X - Part.left, Y - Part.top)) ++Bad;
        }
    return Bad;
}

// One frame of a picture scaled to a size, as DrawSkinFrame puts it on a ground of Ground.
std::unique_ptr<TBitmap> FramePicture(TBitmap& Image, int Frames, int Frame, int W, int H,
                                      TBitmap& Ground, const RECT& At) {
    auto B = std::make_unique<TBitmap>(W, H, pf24bit);
    BitBlt(B->Canvas()->Handle(), 0, 0, W, H, Ground.Canvas()->Handle(), At.left, At.top, SRCCOPY);
    DrawSkinFrame(B->Canvas()->Handle(), {0, 0, W, H}, Image, true, Frames, Frame);
    return B;
}

} // namespace

TEST_F(TShownFrame, EdgesAreTheSkinsBorderPictures) {
    Frame->PaintFrame();
    const auto Shot = Grab(Wnd());
    const int W = Shot->Width(), H = Shot->Height();
    auto& B = Skin->Borders;
    auto Expect = [&](int Side, const RECT& Part, bool Vertical) {
        auto Pic =
            DrawSkinImage({0, 0, Part.right - Part.left, Part.bottom - Part.top}, B[Side]->Bitmap,
                          B[Side]->Margins, Vertical, B[Side]->Tile != 1, B[Side]->FrameCount, 1);
        return Differences(*Shot, Wnd(), Part, *Pic);
    };
    EXPECT_EQ(Expect(sbsLeft, {0, 0, 3, H}, false), 0);
    EXPECT_EQ(Expect(sbsRight, {W - 3, 0, W, H}, false), 0);
    EXPECT_EQ(Expect(sbsBottom, {3, H - 3, W - 3, H}, true), 0);
    // The caption strip is the top edge wherever neither text nor a button is drawn.
    std::vector<RECT> Drawn{Frame->Placed().Text};
    for (auto& Button : Frame->NCButtons)
        if (Button->Visible) Drawn.push_back(Button->Bounds);
    auto Top = DrawSkinImage({0, 0, W - 6, 29}, B[sbsTop]->Bitmap, B[sbsTop]->Margins, true,
                             B[sbsTop]->Tile != 1, B[sbsTop]->FrameCount, 1);
    const RECT Strip{3, 0, W - 3, 29};
    EXPECT_EQ(Differences(*Shot, Wnd(), Strip, *Top, Drawn), 0);
    // Inactive, the edges take their second frame.
    Send(WM_NCACTIVATE, FALSE);
    const auto Inactive = Grab(Wnd());
    auto Left1 = DrawSkinImage({0, 0, 3, H}, B[sbsLeft]->Bitmap, B[sbsLeft]->Margins, false,
                               B[sbsLeft]->Tile != 1, B[sbsLeft]->FrameCount, 1);
    auto Left2 = DrawSkinImage({0, 0, 3, H}, B[sbsLeft]->Bitmap, B[sbsLeft]->Margins, false,
                               B[sbsLeft]->Tile != 1, B[sbsLeft]->FrameCount, 2);
    EXPECT_EQ(Differences(*Inactive, Wnd(), {0, 0, 3, H}, *Left2), 0);
    EXPECT_GT(Differences(*Inactive, Wnd(), {0, 0, 3, H}, *Left1), 0) << "the frames differ";
    Send(WM_NCACTIVATE, TRUE);
}

TEST_F(TShownFrame, ACaptionButtonShowsItsNormalHotAndPressedFrames) {
    TWinSysButton* Close = ButtonOfAction(0);
    ASSERT_NE(Close, nullptr);
    Frame->PaintFrame();
    const RECT B = Close->Bounds;
    const int BW = B.right - B.left, BH = B.bottom - B.top;
    TBitmap& Image = Close->SkinButton->Bitmap;
    const int Frames = Close->SkinButton->FrameCount;
    // The ground behind the button: the caption as painted, less the button.
    auto Ground =
        DrawSkinImage({0, 0, Grab(Wnd())->Width() - 6, 29}, Skin->Borders[sbsTop]->Bitmap,
                      Skin->Borders[sbsTop]->Margins, true, Skin->Borders[sbsTop]->Tile != 1,
                      Skin->Borders[sbsTop]->FrameCount, 1);
    const RECT OnGround{B.left - 3, B.top, B.right - 3, B.bottom};
    auto Check = [&](int FrameNumber, const char* What) {
        const auto Shot = Grab(Wnd());
        auto Expected = FramePicture(Image, Frames, FrameNumber, BW, BH, *Ground, OnGround);
        EXPECT_EQ(Differences(*Shot, Wnd(), B, *Expected), 0) << What;
    };
    Check(1, "normal");
    Send(WM_NCMOUSEMOVE, HTCAPTION, ScreenPoint(Wnd(), Centre(B)));
    EXPECT_EQ(Frame->HotObject(), Close);
    Check(nsHot, "hot");
    Send(WM_NCLBUTTONDOWN, HTCAPTION, ScreenPoint(Wnd(), Centre(B)));
    Check(nsPressed, "pressed");
    // Leaving the button ends its press without running it.
    Send(WM_NCMOUSEMOVE, HTCAPTION, ScreenPoint(Wnd(), {150, 14}));
    EXPECT_EQ(Frame->HotObject(), nullptr);
    Check(1, "normal again");
    EXPECT_EQ(Reached(WM_SYSCOMMAND), 0);
}

TEST_F(TShownFrame, ALongCaptionEndsBeforeTheRightClip) {
    Form->SetCaption(L"A caption far longer than the caption strip of this window can ever show");
    Pump();
    Frame->PaintFrame();
    const int W = Grab(Wnd())->Width();
    const int Clip = W - 3 - Skin->Title->Margins.right; // TextRightClip from the strip's end
    EXPECT_EQ(Frame->Placed().Text.right, Clip);
    // Between the clip and the buttons only the caption strip shows: the text stopped there.
    const auto Shot = Grab(Wnd());
    auto Top = DrawSkinImage({0, 0, W - 6, 29}, Skin->Borders[sbsTop]->Bitmap,
                             Skin->Borders[sbsTop]->Margins, true, Skin->Borders[sbsTop]->Tile != 1,
                             Skin->Borders[sbsTop]->FrameCount, 1);
    const TWinSysButton* Min = ButtonOfAction(2);
    ASSERT_NE(Min, nullptr);
    TBitmap Part(Min->Bounds.left - Clip, 29, pf24bit);
    BitBlt(Part.Canvas()->Handle(), 0, 0, Part.Width(), 29, Top->Canvas()->Handle(), Clip - 3, 0,
           SRCCOPY);
    EXPECT_EQ(Differences(*Shot, Wnd(), {Clip, 0, Min->Bounds.left, 29}, Part), 0);
    // The text reaches the clip: an ellipsis, not a cut word, ends it.
    EXPECT_GT(Differences(*Shot, Wnd(), {Clip - 12, 0, Clip, 29}, *Top), 0);
    Form->SetCaption(L"Frame test");
    Pump();
}

TEST_F(TShownFrame, TheDefaultSkinShapesTheWindowWithoutItsMagentaCorners) {
    TRegionHandle Region(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(GetWindowRgn(Wnd(), Region), ERROR);
    const RECT R = Frame->FrameRect();
    EXPECT_FALSE(PtInRegion(Region, 0, 0)) << "the rounded top-left corner";
    EXPECT_FALSE(PtInRegion(Region, R.right - 1, 0));
    EXPECT_TRUE(PtInRegion(Region, R.right / 2, 1));
    EXPECT_TRUE(PtInRegion(Region, R.right / 2, R.bottom / 2));
    EXPECT_TRUE(PtInRegion(Region, 1, R.bottom / 2));
    // The region is made once per size: painting and activating make no new one.
    const int Builds = Frame->RegionBuilds;
    Frame->PaintFrame();
    Send(WM_NCACTIVATE, FALSE);
    Send(WM_NCACTIVATE, TRUE);
    EXPECT_EQ(Frame->RegionBuilds, Builds);
    SetWindowPos(Wnd(), nullptr, 0, 0, R.right + 10, R.bottom, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(Frame->RegionBuilds, Builds + 1);
    SetWindowPos(Wnd(), nullptr, 0, 0, R.right, R.bottom, SWP_NOMOVE | SWP_NOZORDER);
}

// ---------------------------------------------------------------------------------------------
// Skins of their own on hidden forms: regions, message boxes, switching off

TEST(FrameRegion, RectangularWhenNoBorderIsTransparent) {
    auto F = HiddenSkinnedForm();
    OwnSkin(*F, PlainBorderSkin(0, 0, 0, 0));
    TWinSkinForm* Frame = SkinNow(F->Handle());
    ASSERT_NE(Frame, nullptr);
    EXPECT_EQ(Frame->FrameTop, 20);
    EXPECT_EQ(Frame->FrameBottom, 5);
    TRegionHandle Region(CreateRectRgn(0, 0, 0, 0));
    ASSERT_EQ(GetWindowRgn(F->Handle(), Region), SIMPLEREGION);
    RECT Box;
    GetRgnBox(Region, &Box);
    const RECT Whole = Frame->FrameRect();
    EXPECT_TRUE(EqualRect(&Box, &Whole));
}

TEST(FrameRegion, ATransparentBottomBorderAloneShapesTheWindow) {
    auto F = HiddenSkinnedForm();
    // Magenta at the bottom border's left end, where it begins at the window's x = 4.
    OwnSkin(*F, PlainBorderSkin(0, 0, 0, 1, {{0, 4}, {1, 4}}));
    TWinSkinForm* Frame = SkinNow(F->Handle());
    ASSERT_NE(Frame, nullptr);
    TRegionHandle Region(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(GetWindowRgn(F->Handle(), Region), ERROR);
    const RECT R = Frame->FrameRect();
    EXPECT_FALSE(PtInRegion(Region, 4, R.bottom - 1));
    EXPECT_FALSE(PtInRegion(Region, 5, R.bottom - 1));
    EXPECT_TRUE(PtInRegion(Region, 6, R.bottom - 1));
    EXPECT_TRUE(PtInRegion(Region, 4, R.bottom - 2));
    EXPECT_TRUE(PtInRegion(Region, 0, 0)) << "the other borders are rectangles";
}

TEST(FrameDialog, AMessageBoxIsADialogWidenedForItsCaption) {
    MainSkin();
    HWND Box = CreateWindowExW(WS_EX_DLGMODALFRAME, L"#32770",
                               L"A message box caption much wider than the box it belongs to",
                               WS_POPUP | WS_CAPTION | WS_SYSMENU, 100, 100, 160, 90, nullptr,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
    HWND Button = CreateWindowExW(0, L"BUTTON", L"OK", WS_CHILD | WS_VISIBLE, 40, 30, 60, 22, Box,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    RECT Client;
    GetClientRect(Box, &Client);
    TWinSkinForm* Frame = SkinNow(Box);
    ASSERT_NE(Frame, nullptr);
    EXPECT_EQ(Frame->FrameKind, frDialog);
    EXPECT_TRUE(Frame->SystemDialog);
    RECT W, C, B;
    GetWindowRect(Box, &W);
    GetClientRect(Box, &C);
    EXPECT_EQ(C.bottom, Client.bottom) << "the height keeps the client area";
    EXPECT_GT(W.right - W.left, 160 + 100) << "widened to hold its caption";
    const int Growth = (W.right - W.left) - (Client.right + 6);
    GetWindowRect(Button, &B);
    MapWindowPoints(HWND_DESKTOP, Box, reinterpret_cast<POINT*>(&B), 2);
    EXPECT_EQ(B.left, 40 + Growth / 2) << "its contents moved right by half the growth";
    // No icon on a dialog's caption: the text starts 16 pixels further left.
    Frame->PaintFrame();
    EXPECT_EQ(Frame->Placed().Text.left, 3 + MainSkin().Title->Margins.left - 16);
    DestroyWindow(Box);
}

// A system dialog's size grip and a dialog inside it wear the skin's face; a real scroll bar
// beside them stays the system's.
TEST(FrameDialog, ASizeGripAndAnInnerDialogTakeTheFace) {
    MainSkin();
    const HINSTANCE Me = GetModuleHandleW(nullptr);
    HWND Box = CreateWindowExW(WS_EX_DLGMODALFRAME, L"#32770", L"Dialog parts",
                               WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 100, 100, 300, 200,
                               nullptr, nullptr, Me, nullptr);
    HWND Inner = CreateWindowExW(0, L"#32770", nullptr, WS_CHILD | WS_VISIBLE, 10, 10, 120, 80, Box,
                                 nullptr, Me, nullptr);
    HWND Grip = CreateWindowExW(0, L"SCROLLBAR", nullptr, WS_CHILD | WS_VISIBLE | SBS_SIZEGRIP, 250,
                                130, 20, 20, Box, nullptr, Me, nullptr);
    HWND Bar = CreateWindowExW(0, L"SCROLLBAR", nullptr, WS_CHILD | WS_VISIBLE | SBS_HORZ, 10, 110,
                               200, 18, Box, nullptr, Me, nullptr);
    TWinSkinForm* Frame = SkinNow(Box);
    ASSERT_NE(Frame, nullptr);
    EXPECT_NE(dynamic_cast<TSkinBoxH*>(Frame->ControlSkins.Find(Inner)), nullptr);
    EXPECT_NE(dynamic_cast<TSkinSizer*>(Frame->ControlSkins.Find(Grip)), nullptr);
    EXPECT_EQ(Frame->ControlSkins.Find(Bar), nullptr);
    RedrawWindow(Box, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump();
    const uint32_t Face = Rgb(ColorToRGB(MainSkin().ButtonFace));
    ASSERT_NE(Face, Rgb(GetSysColor(COLOR_BTNFACE))) << "the skin's face tells from the system's";
    auto Faced = [Face](HWND Wnd) {
        RECT R;
        GetClientRect(Wnd, &R);
        HDC DC = GetDC(Wnd);
        int Other = 0;
        for (int Y = 0; Y < R.bottom; Y += 3)
            for (int X = 0; X < R.right; X += 3)
                if (Rgb(GetPixel(DC, X, Y)) != Face) ++Other;
        ReleaseDC(Wnd, DC);
        return Other;
    };
    EXPECT_EQ(Faced(Inner), 0) << "the inner dialog";
    EXPECT_EQ(Faced(Grip), 0) << "the grip";
    EXPECT_GT(Faced(Bar), 0) << "the scroll bar keeps its arrows and thumb";
    DestroyWindow(Box);
}

TEST(FrameDetach, SwitchedOffTheWindowGetsItsOwnFrameBack) {
    auto F = HiddenSkinnedForm(200, 100, bsSingle);
    const DWORD StyleBefore = GetWindowLongW(F->Handle(), GWL_STYLE);
    const TColor ColourBefore = F->Color();
    TSkinData* Own = OwnSkin(*F, PlainBorderSkin(0, 0, 0, 0));
    TWinSkinForm* Frame = SkinNow(F->Handle());
    ASSERT_NE(Frame, nullptr);
    EXPECT_NE(GetWindowLongW(F->Handle(), GWL_STYLE), StyleBefore);
    EXPECT_EQ(F->Color(), Own->ButtonFace) << "the form takes the skin's face colour";
    ASSERT_NE(Own->ButtonFace, ColourBefore);
    Own->SetActive(false);
    ASSERT_TRUE(WaitFor([&] { return FrameOf(F->Handle()) == nullptr; }));
    EXPECT_EQ(GetWindowLongW(F->Handle(), GWL_STYLE), StyleBefore);
    RECT C;
    GetClientRect(F->Handle(), &C);
    EXPECT_EQ(C.right, 200);
    EXPECT_EQ(C.bottom, 100);
    TRegionHandle Region(CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(GetWindowRgn(F->Handle(), Region), ERROR) << "no region of ours is left";
    EXPECT_EQ(SendMessageW(F->Handle(), SKM_QUERY, 0, 0), 0);
    EXPECT_EQ(F->Color(), ColourBefore) << "the form has its own colour again";
    // Switching a component of one form off stops the manager; the main skin goes on here.
    SkinManager->SetSkinningEnabled(true);
}

TEST(FrameCaption, APopupWindowsCaptionEndsBeforeItsButtons) {
    auto F = HiddenSkinnedForm(300, 80, bsDialog);
    F->SetCaption(L"A pop-up window whose caption is far too long for its caption strip");
    TWinSkinForm* Frame = SkinNow(F->Handle());
    ASSERT_NE(Frame, nullptr);
    ASSERT_TRUE(GetWindowLongW(F->Handle(), GWL_STYLE) & WS_POPUP);
    Frame->PaintFrame();
    const int W = Frame->FrameRect().right;
    EXPECT_EQ(Frame->Placed().ButtonsLeftEdge, W - 25) << "the close button is the rightmost";
    // Clipped 5 pixels before the buttons, then moved 16 pixels left with the whole text, as a
    // dialog's caption has no icon before it.
    EXPECT_EQ(Frame->Placed().Text.right, Frame->Placed().ButtonsLeftEdge - 5 - 16);
    EXPECT_GT(Frame->Placed().Text.right, W - 3 - MainSkin().Title->Margins.right - 16)
        << "not the clip of ordinary windows";
}

TEST(FrameRefresh, ANewSkinFileReachesTheWindowAfterTheDelay) {
    auto F = HiddenSkinnedForm(200, 100);
    TSkinData* Own = OwnSkin(*F, PlainBorderSkin(0, 0, 0, 0));
    TWinSkinForm* Frame = SkinNow(F->Handle());
    ASSERT_NE(Frame, nullptr);
    ASSERT_EQ(Frame->FrameTop, 20);
    // The default skin as a file on disk (the stored form less its length).
    const auto Stored = ResourceData(L"DEFAULTSKIN");
    wchar_t Path[MAX_PATH];
    GetTempPathW(MAX_PATH, Path);
    const std::wstring File = std::wstring(Path) + L"frame-refresh.skin";
    {
        TKernelHandle H(
            CreateFileW(File.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD Done = 0;
        WriteFile(H, Stored.data() + 4, static_cast<DWORD>(Stored.size() - 4), &Done, nullptr);
    }
    Own->SetSkinFile(File);
    ASSERT_TRUE(Own->SkinLoaded());
    Own->Refresh();
    EXPECT_EQ(Frame->FrameTop, 20) << "the refresh waits for the manager's delay";
    ASSERT_TRUE(WaitFor([&] { return Frame->FrameTop == 29; }, 2000));
    RECT C;
    GetClientRect(F->Handle(), &C);
    EXPECT_EQ(C.right, 200);
    EXPECT_EQ(C.bottom, 100) << "the client area keeps its size in the new frame";
    EXPECT_EQ(Frame->SkinState, lsReady);
    DeleteFileW(File.c_str());
}

// Caption buttons of a skin made here: one shown as the window answers when asked, one that
// only the inactive window shows, and one whose action the frame does not know, which it hands
// to the window.
TEST(FrameButtons, VisibilityCodesAndUnknownActionsReachTheWindow) {
    std::string Ini = "[Personality]\nTop=top.bmp\nTopFrame=2\nLeft=left.bmp\nLeftFrame=2\n"
                      "Right=right.bmp\nRightFrame=2\nBottom=bottom.bmp\nBottomFrame=2\n"
                      "[ButtonAsk]\nButtonImage=b.bmp\nAction=1\nAlign=0\nXcoord=10\nYcoord=0\n"
                      "Visibility=1500\n"
                      "[ButtonIdle]\nButtonImage=b.bmp\nAction=5\nAlign=0\nXcoord=40\nYcoord=0\n"
                      "Visibility=4\n"
                      "[ButtonOwn]\nButtonImage=b.bmp\nAction=30\nAlign=0\nXcoord=70\nYcoord=0\n"
                      "Visibility=201\n";
    const TBytes Skin = Payload(Ini, {{"top.bmp", BorderBmp(40, 20, 2, true, 0x604020)},
                                      {"bottom.bmp", BorderBmp(40, 5, 2, true, 0x206040)},
                                      {"left.bmp", BorderBmp(4, 40, 2, false, 0x402060)},
                                      {"right.bmp", BorderBmp(4, 40, 2, false, 0x204060)},
                                      {"b.bmp", BorderBmp(20, 20, 3, false, 0x30A030)}});
    auto F = HiddenSkinnedForm(200, 80, bsSizeable);
    std::vector<WPARAM> Asked, Own;
    bool Answer = false;
    TWindowProcHook Hook;
    Hook.Install(*F, [&](TMessage& M, const TWndMethod& Previous) {
        if (M.Msg == SKM_BUTTONVISIBLE) {
            Asked.push_back(M.WParam);
            M.Result = Answer ? 1 : 0;
            return;
        }
        if (M.Msg == SKM_SYSBUTTON) Own.push_back(M.WParam);
        Previous(M);
    });
    OwnSkin(*F, Skin);
    TWinSkinForm* Frame = SkinNow(F->Handle());
    ASSERT_NE(Frame, nullptr);
    auto Button = [&](int Action) -> TWinSysButton* {
        for (auto& B : Frame->NCButtons)
            if (B->SkinButton->Action == Action) return B.get();
        return nullptr;
    };
    ASSERT_TRUE(Button(1) && Button(5) && Button(30));
    Frame->PaintFrame();
    EXPECT_FALSE(Button(1)->Visible) << "the window said no";
    ASSERT_FALSE(Asked.empty());
    EXPECT_EQ(Asked.back(), 0u) << "asked with the button's number";
    EXPECT_FALSE(Button(5)->Visible) << "shown only while inactive";
    EXPECT_TRUE(Button(30)->Visible);
    Answer = true;
    SendMessageW(F->Handle(), WM_NCACTIVATE, FALSE, 0);
    EXPECT_TRUE(Button(1)->Visible);
    EXPECT_TRUE(Button(5)->Visible);
    SendMessageW(F->Handle(), WM_NCACTIVATE, TRUE, 0);

    const RECT B = Button(30)->Bounds;
    const LPARAM At = ScreenPoint(F->Handle(), {(B.left + B.right) / 2, (B.top + B.bottom) / 2});
    SendMessageW(F->Handle(), WM_NCLBUTTONDOWN, HTCAPTION, At);
    SendMessageW(F->Handle(), WM_NCLBUTTONUP, HTCAPTION, At);
    ASSERT_TRUE(WaitFor([&] { return !Own.empty(); }));
    EXPECT_EQ(Own, std::vector<WPARAM>{30});
    Hook.Remove();
}

// Without xcMainMenu the frame is not taken over: the window keeps its own frame, while the
// skin still answers for it and lets go lightly.
TEST(FrameLight, WithoutFrameSkinningTheWindowKeepsItsFrame) {
    auto F = HiddenSkinnedForm(200, 100, bsSingle);
    RECT WindowBefore;
    GetWindowRect(F->Handle(), &WindowBefore);
    const DWORD StyleBefore = GetWindowLongW(F->Handle(), GWL_STYLE);
    auto* Own = new TSkinData(F.get());
    Own->SetLoading();
    Own->SetSkinFormtype(sfOnlyThisForm);
    Own->SetSkinControls(TSkinControlTypes{xcPopupMenu, xcButton});
    Own->SetSkinStream(PlainBorderSkin(0, 0, 0, 0));
    Own->SetActive(true);
    Own->Loaded();
    TWinSkinForm* Frame = SkinNow(F->Handle());
    ASSERT_NE(Frame, nullptr);
    EXPECT_FALSE(Frame->FrameSkinning);
    EXPECT_EQ(SendMessageW(F->Handle(), SKM_QUERY, 0, 0), 1);
    RECT W;
    GetWindowRect(F->Handle(), &W);
    EXPECT_EQ(W.right - W.left, WindowBefore.right - WindowBefore.left);
    EXPECT_EQ(W.bottom - W.top, WindowBefore.bottom - WindowBefore.top);
    EXPECT_EQ(GetWindowLongW(F->Handle(), GWL_STYLE), StyleBefore);
    Own->SetActive(false);
    ASSERT_TRUE(WaitFor([&] { return FrameOf(F->Handle()) == nullptr; }));
    EXPECT_EQ(SendMessageW(F->Handle(), SKM_QUERY, 0, 0), 0);
    SkinManager->SetSkinningEnabled(true);
}
