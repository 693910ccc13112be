// The frame's layout and its painters on their own: a skin made here, the window's state written
// by hand, no window; what is painted is read back from a bitmap.
#include "SkinDataSupport.h"
#include "SkinTesting.h"
#include "WinFrameLayout.h"
#include "WinFramePaint.h"
#include "WinSkinMenu.h"

#include <gtest/gtest.h>

#include <climits>

using namespace SkinTest;
using namespace SkinDataTest;

namespace {

constexpr uint32_t ActiveEdge = 0x604020, InactiveEdge = 0x102030;
constexpr uint32_t ActiveBar = 0x3060A0, InactiveBar = 0x806040;
constexpr uint32_t ButtonColour = 0x30A030;

// A picture of two frames, the first (active) in one colour, the second in another, stacked
// (Vertical) or side by side.
TBytes TwoLooks(int FrameW, int FrameH, bool Vertical, uint32_t First, uint32_t Second) {
    TBitmap B(Vertical ? FrameW : FrameW * 2, Vertical ? FrameH * 2 : FrameH, pf24bit);
    for (int Y = 0; Y < B.Height(); ++Y)
        for (int X = 0; X < B.Width(); ++X)
            SkinDataTest::SetPixel(B, X, Y, (Vertical ? Y < FrameH : X < FrameW) ? First : Second);
    return B.SaveToStream();
}

// Edges of 4 (sides), 20 (top) and 5 (bottom) pixels, a close button by the right edge, a
// maximise and a restore button that swap with the window's state, a button after the
// caption text, a menu bar picture, white active caption text.
std::unique_ptr<TSkinData> FrameSkin() {
    const std::string Ini = "[Personality]\n"
                            "Top=top.bmp\nTopFrame=2\nBottom=bottom.bmp\nBottomFrame=2\n"
                            "Left=left.bmp\nLeftFrame=2\nRight=right.bmp\nRightFrame=2\n"
                            "TextShift=10\nTextRightClip=60\nmenuBar=bar.bmp\nTileMenu=1\n"
                            "TileLeftMenu=2\nTileRightMenu=2\n"
                            "[Colours]\nTitleTextActive=255 255 255\nTitleTextNoActive=0 0 0\n"
                            "MenuBarText=255 255 0\n"
                            "[ButtonClose]\nButtonImage=b.bmp\nAction=0\nAlign=1\nXcoord=20\n"
                            "Ycoord=2\nVisibility=0\n"
                            "[ButtonMax]\nButtonImage=b.bmp\nAction=1\nAlign=1\nXcoord=40\n"
                            "Ycoord=2\nVisibility=2\n"
                            "[ButtonRestore]\nButtonImage=b.bmp\nAction=1\nAlign=1\nXcoord=40\n"
                            "Ycoord=2\nVisibility=1\n"
                            "[ButtonNote]\nButtonImage=b.bmp\nAction=30\nAlign=3\nXcoord=6\n"
                            "Ycoord=4\nVisibility=201\n";
    auto Skin = std::make_unique<TSkinData>(nullptr);
    Skin->SetSkinStream(
        Payload(Ini, {{"top.bmp", TwoLooks(40, 20, true, ActiveEdge, InactiveEdge)},
                      {"bottom.bmp", TwoLooks(40, 5, true, ActiveEdge, InactiveEdge)},
                      {"left.bmp", TwoLooks(4, 40, false, ActiveEdge, InactiveEdge)},
                      {"right.bmp", TwoLooks(4, 40, false, ActiveEdge, InactiveEdge)},
                      {"bar.bmp", TwoLooks(40, 19, true, ActiveBar, InactiveBar)},
                      {"b.bmp", BorderBmp(16, 16, 3, false, ButtonColour)}}));
    return Skin;
}

const TDataSkinSysButton* ButtonOf(const TSkinData& Skin, const char* Section, size_t& Index) {
    for (Index = 0; Index < Skin.SysButtons.size(); ++Index)
        if (Skin.SysButtons[Index]->Name == Section) return Skin.SysButtons[Index].get();
    return nullptr;
}

TFrameState StateOf(const TSkinData& Skin, int W, int H) {
    TFrameState S;
    S.Width = W;
    S.Height = H;
    S.Edges = FrameEdgesOf(Skin, frSizeable);
    S.Caption = L" A caption  ";
    S.CaptionSize = {70, 14};
    S.CaptionBits = csMaxBox | csMinBox | csSysMenu | csCaption;
    S.Kind = frSizeable;
    S.Answers.assign(Skin.SysButtons.size(), false);
    return S;
}

// Pixels of Picture inside R (or outside it, Inside false) that are not Colour.
int Others(const TBitmap& Picture, const RECT& R, uint32_t Colour, bool Inside = true) {
    int N = 0;
    for (int Y = 0; Y < Picture.Height(); ++Y)
        for (int X = 0; X < Picture.Width(); ++X) {
            const POINT P{X, Y};
            if (PtInRect(&R, P) == Inside && Pixel(Picture, X, Y) != Colour) ++N;
        }
    return N;
}

bool Same(const RECT& A, const RECT& B) {
    return EqualRect(&A, &B) != FALSE;
}

bool Contains(const RECT& Outer, const RECT& Inner) {
    return Inner.left >= Outer.left && Inner.top >= Outer.top && Inner.right <= Outer.right &&
           Inner.bottom <= Outer.bottom;
}

// The bounding box of the pixels of Picture that are Ink; empty when none.
RECT InkBox(const TBitmap& Picture, uint32_t Ink) {
    RECT Box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int Y = 0; Y < Picture.Height(); ++Y)
        for (int X = 0; X < Picture.Width(); ++X)
            if (Pixel(Picture, X, Y) == Ink)
                Box = {std::min<LONG>(Box.left, X), std::min<LONG>(Box.top, Y),
                       std::max<LONG>(Box.right, X + 1), std::max<LONG>(Box.bottom, Y + 1)};
    return Box.left == INT_MAX ? RECT{} : Box;
}

} // namespace

TEST(FrameLayout, PlacesEveryPartFromTheSkinAndTheWindowsState) {
    const auto Skin = FrameSkin();
    ASSERT_TRUE(Skin->HasSkinObjects());
    size_t Close = 0, Max = 0, Restore = 0, Note = 0;
    ASSERT_TRUE(ButtonOf(*Skin, "BUTTONCLOSE", Close) && ButtonOf(*Skin, "BUTTONMAX", Max) &&
                ButtonOf(*Skin, "BUTTONRESTORE", Restore) && ButtonOf(*Skin, "BUTTONNOTE", Note));
    TFrameState S = StateOf(*Skin, 300, 200);
    TFrameLayout L = LayOutFrame(*Skin, S);
    EXPECT_EQ(L.Edges, (TFrameEdges{4, 20, 4, 5}));
    EXPECT_TRUE(Same(L.BottomEdge, RECT{4, 195, 296, 200}));
    EXPECT_TRUE(Same(L.Caption, RECT{0, 0, 300, 20}));
    // By the right edge, leftwards from it; the buttons that swap follow the state.
    EXPECT_TRUE(Same(L.Buttons[Close].Bounds, RECT{280, 2, 296, 18}));
    EXPECT_TRUE(L.Buttons[Max].Visible);
    EXPECT_FALSE(L.Buttons[Restore].Visible);
    EXPECT_TRUE(IsRectEmpty(&L.Buttons[Restore].Bounds));
    EXPECT_EQ(L.ButtonsLeftEdge, 280) << "the rightmost button's left";
    // The text starts at the skin's shift and is clipped at its right clip; the button after
    // it follows the clipped text.
    EXPECT_EQ(L.Text.left, 4 + 10);
    EXPECT_EQ(L.Text.right, 4 + 10 + 70);
    EXPECT_EQ(L.Buttons[Note].Bounds.left, L.Text.right + 6);
    S.CaptionSize = {400, 14};
    L = LayOutFrame(*Skin, S);
    EXPECT_EQ(L.Text.right, 296 - 60);
    EXPECT_EQ(L.Buttons[Note].Bounds.left, 296 - 60 + 6);
    // A pop-up window's text stops before its buttons instead.
    S.Popup = true;
    EXPECT_EQ(LayOutFrame(*Skin, S).Text.right, 280 - 5);
    // Maximised: the restore button takes the maximise button's place.
    S.Show = stMaximized;
    L = LayOutFrame(*Skin, S);
    EXPECT_FALSE(L.Buttons[Max].Visible);
    EXPECT_TRUE(Same(L.Buttons[Restore].Bounds, RECT{260, 2, 276, 18}));
    // Without a maximise box neither shows; without a system menu the close button goes.
    S.CaptionBits = csMinBox | csCaption;
    L = LayOutFrame(*Skin, S);
    EXPECT_FALSE(L.Buttons[Max].Visible || L.Buttons[Restore].Visible || L.Buttons[Close].Visible);
    EXPECT_TRUE(L.Buttons[Note].Visible) << "201 to 999: always";
    // No strip without a menu height; with one, below the caption between the side edges.
    EXPECT_TRUE(IsRectEmpty(&L.MenuStrip));
    S.MenuHeight = 19;
    S.MenuItems = {{true, true, L"File", 24},
                   {false, true, L"Hidden", 40},
                   {true, false, L"", 0},
                   {true, true, L"Edit", 30}};
    L = LayOutFrame(*Skin, S);
    EXPECT_TRUE(Same(L.MenuStrip, RECT{4, 20, 296, 39}));
    ASSERT_EQ(L.MenuButtons.size(), 4u);
    // From the bar's left margin and 4 more, each as wide as its caption and 10.
    EXPECT_TRUE(Same(L.MenuButtons[0], RECT{4 + 6, 20, 4 + 6 + 34, 38}));
    EXPECT_TRUE(IsRectEmpty(&L.MenuButtons[1])) << "hidden";
    EXPECT_TRUE(IsRectEmpty(&L.MenuButtons[2])) << "no caption, no width";
    EXPECT_TRUE(Same(L.MenuButtons[3], RECT{44, 20, 84, 38}));
    // Right to left, from the bar's right end leftwards.
    S.RightToLeft = true;
    L = LayOutFrame(*Skin, S);
    EXPECT_TRUE(Same(L.MenuButtons[0], RECT{296 - 10 - 34, 20, 296 - 10, 38}));
    EXPECT_EQ(L.MenuButtons[3].right, L.MenuButtons[0].left);
}

TEST(FrameLayout, AskedButtonsAndTheMaximisedChildsButtonsFollowTheirAnswers) {
    const std::string Ini = "[Personality]\nTop=top.bmp\nTopFrame=2\n"
                            "[ButtonAsk]\nButtonImage=b.bmp\nAction=30\nVisibility=1500\n"
                            "[ButtonChild]\nButtonImage=b.bmp\nAction=9\nAlign=100\nXcoord=20\n"
                            "Visibility=100\n";
    auto Skin = std::make_unique<TSkinData>(nullptr);
    Skin->SetSkinStream(Payload(Ini, {{"top.bmp", TwoLooks(40, 20, true, 1, 2)},
                                      {"b.bmp", BorderBmp(16, 16, 3, false, 3)}}));
    size_t Ask = 0, Child = 0;
    ASSERT_TRUE(ButtonOf(*Skin, "BUTTONASK", Ask) && ButtonOf(*Skin, "BUTTONCHILD", Child));
    EXPECT_TRUE(AsksTheWindow(*Skin->SysButtons[Ask]));
    EXPECT_FALSE(AsksTheWindow(*Skin->SysButtons[Child]));
    TFrameState S = StateOf(*Skin, 200, 100);
    S.MenuHeight = 20;
    TFrameLayout L = LayOutFrame(*Skin, S);
    EXPECT_FALSE(L.Buttons[Ask].Visible) << "the window said no";
    EXPECT_FALSE(L.Buttons[Child].Visible) << "no child maximised";
    S.Answers[Ask] = true;
    S.MdiChildMaximized = true;
    L = LayOutFrame(*Skin, S);
    EXPECT_TRUE(L.Buttons[Ask].Visible);
    // In the strip, centred on its height, from the right end leftwards.
    EXPECT_TRUE(Same(L.Buttons[Child].Bounds, RECT{180, 22, 196, 38}));
}

TEST(FramePainters, PaintTheEdgesCaptionAndStripFromTheLayoutInEitherLook) {
    const auto Skin = FrameSkin();
    TFrameState S = StateOf(*Skin, 240, 120);
    S.CaptionSize = MeasureCaption(SystemMenuFont()->Handle(), S.Caption);
    const TFrameLayout L = LayOutFrame(*Skin, S);
    for (const bool Active : {true, false}) {
        S.Active = Active;
        const uint32_t Edge = Active ? ActiveEdge : InactiveEdge;
        TEdgePictures Edges;
        PaintEdgePictures(Edges, *Skin, L, Active);
        TBitmap Frame(L.Width, L.Height, pf24bit);
        Fill(Frame, 0x123456);
        HDC DC = Frame.Canvas()->Handle();
        PaintCaptionGround(DC, *Skin, L, S, Edges, SystemMenuFont()->Handle());
        PaintEdgesBelowCaption(DC, L, Edges);
        // Every pixel of the edges is the edge's look, but where the caption text is written;
        // the client area is left alone.
        const RECT Client{4, 20, 236, 115};
        EXPECT_EQ(Others(Frame, Client, 0x123456), 0) << Active;
        int Stray = 0;
        for (int Y = 0; Y < L.Height; ++Y)
            for (int X = 0; X < L.Width; ++X) {
                const POINT P{X, Y};
                if (!PtInRect(&Client, P) && !PtInRect(&L.Text, P) && Pixel(Frame, X, Y) != Edge)
                    ++Stray;
            }
        EXPECT_EQ(Stray, 0) << Active;
        // The text is written in the look's colour, inside its rectangle.
        const uint32_t Ink = Active ? 0xFFFFFF : 0x000000;
        const RECT Written = InkBox(Frame, Ink);
        const RECT TextArea{L.Text.left, 0, L.Text.right, 20};
        EXPECT_FALSE(IsRectEmpty(&Written)) << Active;
        EXPECT_TRUE(Contains(TextArea, Written)) << Active;
    }
}

TEST(FramePainters, TheStripsCaptionsSitInTheirCellsOverTheBar) {
    const auto Skin = FrameSkin();
    const RECT Strip{10, 20, 242, 39};
    const int W = 232, H = 19;
    const HFONT Font = SystemMenuFont()->Handle();
    std::vector<TStripItem> Items{{true, true, L"File", MeasureStripCaption(Font, L"File")},
                                  {true, false, L"Edit", MeasureStripCaption(Font, L"Edit")},
                                  {false, true, L"Gone", MeasureStripCaption(Font, L"Gone")}};
    const std::vector<RECT> Cells = LayOutMenuStrip(*Skin, Strip, false, Items);
    for (const bool Active : {true, false}) {
        TBitmap Picture(W, H, pf24bit);
        HDC DC = Picture.Canvas()->Handle();
        PaintStripGround(DC, *Skin, W, H, Active);
        const uint32_t Bar = Active ? ActiveBar : InactiveBar;
        EXPECT_EQ(Others(Picture, {0, 0, W, H}, Bar), 0) << "the bar's look";
        PaintStripCaptions(DC, *Skin, Strip, Items, Cells);
        // The enabled caption in the bar's text colour inside its cell, the disabled one in the
        // shadow colour inside its own, nothing of the hidden item, the bar elsewhere.
        RECT File = Cells[0], Edit = Cells[1];
        OffsetRect(&File, -Strip.left, -Strip.top);
        OffsetRect(&Edit, -Strip.left, -Strip.top);
        const RECT Yellow = InkBox(Picture, 0x00FFFF);
        EXPECT_FALSE(IsRectEmpty(&Yellow));
        EXPECT_TRUE(Contains(File, Yellow));
        EXPECT_NEAR(Yellow.left + Yellow.right, File.left + File.right, 4) << "centred";
        const RECT Shadow = InkBox(Picture, Rgb(ColorToRGB(Skin->ButtonShadow)));
        EXPECT_FALSE(IsRectEmpty(&Shadow));
        EXPECT_TRUE(Contains(Edit, Shadow));
        RECT Both;
        UnionRect(&Both, &File, &Edit);
        EXPECT_EQ(Others(Picture, Both, Bar, false), 0) << "the hidden item left no trace";
    }
}

// Hit-testing reads the layout, which it brings up to date itself: a window never painted, or
// resized since its last paint, finds its caption buttons where they are.
TEST(FrameLayout, HitTestingNeedsNoPaintFirst) {
    auto F = HiddenSkinnedForm(200, 100, bsSizeable);
    TWinSkinForm* Frame = SkinNow(F->Handle());
    ASSERT_NE(Frame, nullptr);
    ASSERT_FALSE(IsWindowVisible(F->Handle()));
    TWinSysButton* Close = nullptr;
    for (auto& B : Frame->NCButtons)
        if (B->SkinButton->Action == acClose && B->SkinButton->Align == baRight) Close = B.get();
    ASSERT_NE(Close, nullptr) << "the default skin has a close button by the right edge";
    const TDataSkinSysButton& S = *Close->SkinButton;
    RECT Window;
    GetWindowRect(F->Handle(), &Window);
    const int W = Window.right - Window.left, H = Window.bottom - Window.top;
    auto Centre = [&](int WindowW) {
        const int BW = S.Bitmap.Width() / std::max(S.FrameCount, 1);
        return POINT{WindowW - S.Xcoord + BW / 2, S.Ycoord + S.Bitmap.Height() / 2};
    };
    EXPECT_EQ(Frame->HitObject(Centre(W)), Close);
    SetWindowPos(F->Handle(), nullptr, 0, 0, W + 40, H, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(Frame->HitObject(Centre(W + 40)), Close);
    EXPECT_NE(Frame->HitObject(Centre(W)), Close) << "it moved with the right edge";
}
