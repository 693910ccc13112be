// Skinned buttons on a shown form wearing the default skin: which controls the frame skin gives
// a button skin, the skin keeping the press from the native button while the click still
// arrives once (mouse and space bar), the pictures drawn from the skin's Buttons image, the
// buttons of a message box, and skins created and freed by the thousand without leaks.
#include "SkinTesting.h"

#include "Buttons.h"
#include "ImgList.h"
#include "ImgUtil.h"
#include "StdCtrls.h"
#include "WinSubButton.h"
#include "RzButton.h"

#include <gtest/gtest.h>

using namespace SkinTest;

// A push-button class that a Skin3rd line sends to "nil".
class TPlainButton : public TButton {
    DECLARE_CLASS(TPlainButton, TButton)
  public:
    using TButton::TButton;
};
PUBLISHED(TPlainButton) {}

// Classes of another library that Skin3rd lines send to a kind (a push button to "bitbtn", a
// memo to "scrollbar").
#define KIND_CLASS(Name, Base)                                                                     \
    class Name : public Base {                                                                     \
        DECLARE_CLASS(Name, Base)                                                                  \
      public:                                                                                      \
        using Base::Base;                                                                          \
    };                                                                                             \
    PUBLISHED(Name) {}
KIND_CLASS(TKindEdit, TEdit)
KIND_CLASS(TKindCombo, TComboBox)
KIND_CLASS(TKindButton, TButton)
KIND_CLASS(TKindBitBtn, TButton)
KIND_CLASS(TKindSpeed, TSpeedButton)
KIND_CLASS(TKindMemo, TMemo)
#undef KIND_CLASS

namespace {

POINT CentreOf(HWND Wnd) {
    RECT R;
    GetWindowRect(Wnd, &R);
    return {(R.left + R.right) / 2, (R.top + R.bottom) / 2};
}

void PressKey(WORD Key, bool Down) {
    INPUT I{};
    I.type = INPUT_KEYBOARD;
    I.ki.wVk = Key;
    I.ki.dwFlags = Down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &I, sizeof(I));
}

class TButtonForm : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        MainSkin().Skin3rd()->Add(L"TPlainButton=nil");
        Form = new TCloseCountingForm(nullptr);
        Form->SetBorderStyle(bsSingle);
        Form->SetFormStyle(fsStayOnTop);
        Form->SetBounds(80, 80, 420, 260);
        Form->SetCaption(L"Buttons");
        Plain = Add<TButton>(10, 10, L"Plain");
        Plain->OnClick = [](TObject*) { ++Clicks; };
        Default = Add<TButton>(100, 10, L"Default");
        Default->SetDefault(true);
        TwoLines = Add<TButton>(190, 10, L"One||Two");
        TwoLines->SetHeight(44);
        Excluded = Add<TButton>(280, 10, L"Off");
        Excluded->SetTag(199);
        Nil = Add<TPlainButton>(10, 70, L"Nil");
        Speed = Add<TSpeedButton>(100, 70, L"Speed");
        Speed->OnClick = [](TObject*) { ++SpeedClicks; };
        Frame = ShowSkinned(*Form);
        ASSERT_NE(Frame, nullptr);
    }
    static void TearDownTestSuite() {
        delete Form;
        MainSkin().Skin3rd()->Delete(MainSkin().Skin3rd()->IndexOf(L"TPlainButton=nil"));
    }

    template <class T> static T* Add(int X, int Y, const std::wstring& Caption) {
        auto* B = new T(Form);
        B->SetParent(Form);
        B->SetBounds(X, Y, 80, 28);
        B->SetCaption(Caption);
        return B;
    }

    static TSkinControl* SkinOf(TControl* C) {
        for (TSkinControl* S : Frame->ControlSkins)
            if (S->SkinnedControl() == C) return S;
        return nullptr;
    }

    static inline TCloseCountingForm* Form = nullptr;
    static inline TWinSkinForm* Frame = nullptr;
    static inline TButton *Plain = nullptr, *Default = nullptr, *TwoLines = nullptr,
                          *Excluded = nullptr, *Nil = nullptr;
    static inline TSpeedButton* Speed = nullptr;
    static inline int Clicks = 0, SpeedClicks = 0;
};

} // namespace

TEST_F(TButtonForm, TheFrameGivesEachKindItsSkinAndLeavesTheExcludedAlone) {
    EXPECT_NE(dynamic_cast<TSkinButton*>(SkinOf(Plain)), nullptr);
    EXPECT_NE(dynamic_cast<TSkinButton*>(SkinOf(Default)), nullptr);
    EXPECT_NE(dynamic_cast<TSkinSpeedButton*>(SkinOf(Speed)), nullptr);
    EXPECT_EQ(SkinOf(Excluded), nullptr) << "Tag 199 with DisableTag 99";
    EXPECT_EQ(SkinOf(Nil), nullptr) << "a Skin3rd line sends the class to nil";
    // Classifying again adds nothing.
    const size_t Before = Frame->ControlSkins.size();
    Frame->SkinControls();
    EXPECT_EQ(Frame->ControlSkins.size(), Before);
}

TEST_F(TButtonForm, AClickOnReleaseInsideArrivesOnceAndTheNativeButtonNeverSeesThePress) {
    Clicks = 0;
    const POINT P = CentreOf(Plain->Handle());
    LRESULT StateWhilePressed = -1;
    WithPointer([&](TMouse& M) {
        M.Move(P);
        M.Down(P);
        // The press is handled on the user-interface thread before the state is read.
        SendMessageW(Plain->Handle(), WM_NULL, 0, 0);
        StateWhilePressed = SendMessageW(Plain->Handle(), BM_GETSTATE, 0, 0);
        M.Up(P);
    });
    EXPECT_EQ(StateWhilePressed & BST_PUSHED, 0);
    EXPECT_TRUE(WaitFor([] { return Clicks >= 1; }));
    PumpFor(100);
    EXPECT_EQ(Clicks, 1);

    // Released outside: no click.
    Clicks = 0;
    WithPointer([&](TMouse& M) {
        M.Move(P);
        M.Down(P);
        M.Move({P.x + 300, P.y + 150});
        M.Up({P.x + 300, P.y + 150});
    });
    PumpFor(100);
    EXPECT_EQ(Clicks, 0);
}

TEST_F(TButtonForm, TheSpaceBarClicksOnce) {
    Clicks = 0;
    Plain->SetFocus();
    Pump();
    WithPointer([](TMouse&) {
        PressKey(VK_SPACE, true);
        Sleep(40);
        PressKey(VK_SPACE, false);
    });
    EXPECT_TRUE(WaitFor([] { return Clicks >= 1; }));
    PumpFor(100);
    EXPECT_EQ(Clicks, 1);
}

TEST_F(TButtonForm, SwitchedOffTheSkinHandsEveryMessageThrough) {
    const HWND W = Plain->Handle();
    SendMessageW(W, SKM_ENABLESKIN, 0, 0);
    SendMessageW(W, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_NE(SendMessageW(W, BM_GETSTATE, 0, 0) & BST_PUSHED, 0)
        << "the native button was pressed";
    SendMessageW(W, WM_LBUTTONUP, 0, MAKELPARAM(200, 200));
    ReleaseCapture();
    SendMessageW(W, SKM_ENABLESKIN, 1, 0);
    EXPECT_TRUE(dynamic_cast<TSkinButton*>(SkinOf(Plain))->SkinActive);
}

TEST_F(TButtonForm, TheSpeedButtonKeepsItsOwnClick) {
    SpeedClicks = 0;
    const POINT P = Speed->ClientToScreen({Speed->Width() / 2, Speed->Height() / 2});
    WithPointer([&](TMouse& M) { M.Click(P); });
    EXPECT_TRUE(WaitFor([] { return SpeedClicks >= 1; }));
    PumpFor(100);
    EXPECT_EQ(SpeedClicks, 1);
}

namespace {

// The Buttons image drawn as a nine-grid in one frame over the face, at the window's size.
std::unique_ptr<TBitmap> FramePicture(HWND Wnd, int Frame) {
    TDataSkinButton& B = *MainSkin().Buttons;
    RECT R;
    GetClientRect(Wnd, &R);
    auto Expected = std::make_unique<TBitmap>(R.right, R.bottom, pf24bit);
    FillColor(Expected->Canvas()->Handle(), R, MainSkin().ButtonFace);
    DrawSkinNineGrid(Expected->Canvas()->Handle(), R, B.Bitmap, false, B.Tile != 0, B.Trans == 1, 5,
                     Frame, B.Margins);
    return Expected;
}

// Pixels of the window's client area against the frame's picture, at the corners and the
// middle of the edges, where no caption reaches.
int FramePixelsDiffering(HWND Wnd, int Frame) {
    const auto Expected = FramePicture(Wnd, Frame);
    HDC DC = GetDC(Wnd);
    int Differing = 0;
    const int W = Expected->Width(), H = Expected->Height();
    for (POINT P : {POINT{1, 1}, POINT{W - 2, 1}, POINT{1, H - 2}, POINT{W - 2, H - 2},
                    POINT{W / 2, 1}, POINT{W / 2, H - 2}, POINT{1, H / 2}, POINT{W - 2, H / 2}})
        if (Rgb(GetPixel(DC, P.x, P.y)) != Rgb(GetPixel(Expected->Canvas()->Handle(), P.x, P.y)))
            ++Differing;
    ReleaseDC(Wnd, DC);
    return Differing;
}

// Bands of rows holding caption ink (pixels far from the frame's own picture) in the middle
// column strip of the window.
int InkBands(HWND Wnd, int Frame) {
    const auto Expected = FramePicture(Wnd, Frame);
    HDC DC = GetDC(Wnd);
    HDC Picture = Expected->Canvas()->Handle();
    const int W = Expected->Width(), H = Expected->Height();
    int Bands = 0;
    bool InBand = false;
    for (int Y = 4; Y < H - 4; ++Y) {
        bool Ink = false;
        for (int X = W / 4; X < W * 3 / 4 && !Ink; ++X) {
            const COLORREF C = GetPixel(DC, X, Y), E = GetPixel(Picture, X, Y);
            Ink = std::abs(GetRValue(C) - GetRValue(E)) + std::abs(GetGValue(C) - GetGValue(E)) +
                      std::abs(GetBValue(C) - GetBValue(E)) >
                  200;
        }
        if (Ink && !InBand) ++Bands;
        InBand = Ink;
    }
    ReleaseDC(Wnd, DC);
    return Bands;
}

} // namespace

TEST_F(TButtonForm, FramesComeFromTheButtonsImageByState) {
    ASSERT_TRUE(MainSkin().Buttons && !MainSkin().Buttons->Bitmap.Empty());
    Form->SetFocus();
    SetCursorPos(5, 5);
    Pump();
    UpdateWindow(Form->Handle());
    EXPECT_EQ(FramePixelsDiffering(Default->Handle(), 5), 0) << "a default button: frame 5";
    EXPECT_EQ(FramePixelsDiffering(TwoLines->Handle(), 1), 0) << "a plain button: frame 1";
    TwoLines->SetEnabled(false);
    UpdateWindow(TwoLines->Handle());
    EXPECT_EQ(FramePixelsDiffering(TwoLines->Handle(), 3), 0) << "disabled: frame 3";
    TwoLines->SetEnabled(true);
    UpdateWindow(TwoLines->Handle());
    // Held down (without the mouse: the message the press brings).
    SendMessageW(TwoLines->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(FramePixelsDiffering(TwoLines->Handle(), 2), 0) << "pressed: frame 2";
    SendMessageW(TwoLines->Handle(), CM_MOUSELEAVE, 0, 0);
    UpdateWindow(TwoLines->Handle());
    // The press gave it the focus: frame 4 until the focus goes elsewhere.
    ASSERT_EQ(GetFocus(), TwoLines->Handle());
    EXPECT_EQ(FramePixelsDiffering(TwoLines->Handle(), 4), 0) << "focused: frame 4";
    Default->SetFocus();
    ASSERT_NE(GetFocus(), TwoLines->Handle());
    UpdateWindow(TwoLines->Handle());
    EXPECT_EQ(FramePixelsDiffering(TwoLines->Handle(), 1), 0) << "the focus gone: frame 1";
}

TEST_F(TButtonForm, TwoBarsBreakTheCaptionIntoTwoLines) {
    UpdateWindow(TwoLines->Handle());
    const int Frame = FramePixelsDiffering(TwoLines->Handle(), 1) == 0 ? 1 : 4;
    ASSERT_EQ(FramePixelsDiffering(TwoLines->Handle(), Frame), 0);
    EXPECT_EQ(InkBands(TwoLines->Handle(), Frame), 2);
    TwoLines->SetCaption(L"One Two");
    UpdateWindow(TwoLines->Handle());
    EXPECT_EQ(InkBands(TwoLines->Handle(), Frame), 1);
    TwoLines->SetCaption(L"One||Two");
}

TEST_F(TButtonForm, AThousandSkinnedButtonsComeAndGoWithoutLeaks) {
    auto Round = [] {
        auto* B = Add<TButton>(10, 120, L"Passing");
        Frame->SkinControls();
        EXPECT_NE(SkinOf(B), nullptr);
        delete B;
    };
    Round();
    Pump();
    const TCounts Before = Counts();
    const size_t Skins = Frame->ControlSkins.size();
    for (int I = 0; I < 1000; ++I)
        Round();
    Pump();
    EXPECT_EQ(Counts(), Before) << Describe(Counts()) << " / " << Describe(Before);
    EXPECT_EQ(Frame->ControlSkins.size(), Skins);
}

namespace {

// Shows a message box while another thread finds it, checks that its OK button wears a skin,
// and answers it with Answer (a real click or key press); a box still open after that is
// cancelled, so a lost click shows as IDCANCEL instead of a hang.
struct TBoxResult {
    int Answer = 0;
    bool Skinned = false;
};
TBoxResult AnswerBox(HWND Owner, const std::function<void(HWND Button)>& Answer) {
    std::atomic<bool> Skinned{false};
    std::thread Hand([&] {
        HWND Box = nullptr;
        for (int I = 0; I < 200 && !Box; ++I, Sleep(25))
            Box = FindWindowW(L"#32770", L"Skinned box");
        if (!Box) return;
        HWND B = nullptr;
        for (int I = 0; I < 200; ++I, Sleep(25)) {
            B = GetDlgItem(Box, IDOK);
            // The skin's thunk stands in for the system's button procedure.
            if (B && static_cast<ULONG_PTR>(GetWindowLongPtrW(B, GWLP_WNDPROC)) !=
                         GetClassLongPtrW(B, GCLP_WNDPROC)) {
                Skinned = true;
                break;
            }
        }
        if (B) Answer(B);
        for (int I = 0; I < 120 && IsWindow(Box); ++I)
            Sleep(25);
        if (IsWindow(Box)) PostMessageW(Box, WM_COMMAND, IDCANCEL, 0);
    });
    TBoxResult R;
    R.Answer = MessageBoxW(Owner, L"Press OK", L"Skinned box", MB_OKCANCEL);
    Hand.join();
    R.Skinned = Skinned;
    return R;
}

} // namespace

TEST_F(TButtonForm, AMessageBoxButtonIsSkinnedAndAnswersMouseAndKeyboard) {
    const TBoxResult ByMouse = AnswerBox(Form->Handle(), [](HWND B) {
        TMouse M;
        M.Click(CentreOf(B));
    });
    EXPECT_TRUE(ByMouse.Skinned);
    EXPECT_EQ(ByMouse.Answer, IDOK) << "the click on the skinned OK button";
    const TBoxResult ByKey = AnswerBox(Form->Handle(), [](HWND B) {
        SetForegroundWindow(GetParent(B));
        PostMessageW(GetParent(B), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(B), TRUE);
        Sleep(100);
        PressKey(VK_SPACE, true);
        Sleep(40);
        PressKey(VK_SPACE, false);
    });
    EXPECT_TRUE(ByKey.Skinned);
    EXPECT_EQ(ByKey.Answer, IDOK) << "the space bar on the skinned OK button";
}

namespace {

// The bounding box of the pixels of one colour in the window's client area (empty: none).
RECT PixelsOf(HWND Wnd, COLORREF Colour) {
    RECT R;
    GetClientRect(Wnd, &R);
    RECT Box{R.right, R.bottom, -1, -1};
    HDC DC = GetDC(Wnd);
    for (int Y = 0; Y < R.bottom; ++Y)
        for (int X = 0; X < R.right; ++X)
            if (Rgb(GetPixel(DC, X, Y)) == Colour) {
                Box.left = std::min<LONG>(Box.left, X);
                Box.top = std::min<LONG>(Box.top, Y);
                Box.right = std::max<LONG>(Box.right, X + 1);
                Box.bottom = std::max<LONG>(Box.bottom, Y + 1);
            }
    ReleaseDC(Wnd, DC);
    return Box;
}

} // namespace

// A bitmap button (a widget the default Skin3rd list routes to "bitbtn") with a two-frame glyph:
// red first, green second, the bottom-left pixel magenta as its key.
TEST_F(TButtonForm, ABitmapButtonPlacesItsGlyphByLayoutAndShowsTheFirstOfTwoFrames) {
    auto* Bit = new TRzBitBtn(Form);
    Bit->SetParent(Form);
    Bit->SetBounds(200, 70, 90, 50);
    Bit->SetCaption(L"");
    TBitmap Strip(32, 16, pf24bit);
    for (int Y = 0; Y < 16; ++Y)
        for (int X = 0; X < 32; ++X)
            SkinDataTest::SetPixel(Strip, X, Y, X < 16 ? 0x0000FF : 0x00FF00);
    SkinDataTest::SetPixel(Strip, 0, 15, 0xFF00FF);
    SkinDataTest::SetPixel(Strip, 16, 15, 0xFF00FF);
    Bit->Glyph()->Assign(Strip);
    Bit->SetNumGlyphs(2);
    Bit->SetMargin(4);
    // A centred alignment would centre the glyph whatever the margin.
    Bit->SetAlignment(taLeftJustify);
    Frame->SkinControls();
    ASSERT_NE(dynamic_cast<TSkinBitButton*>(SkinOf(Bit)), nullptr);
    const HWND W = Bit->Handle();
    const int CW = Bit->ClientWidth(), CH = Bit->ClientHeight();
    const struct {
        TButtonLayout Layout;
        POINT At;
    } Cases[] = {{blGlyphLeft, {4, (CH - 16 + 1) / 2}},
                 {blGlyphRight, {CW - 4 - 16, (CH - 16 + 1) / 2}},
                 {blGlyphTop, {(CW - 16 + 1) / 2, 4}},
                 {blGlyphBottom, {(CW - 16 + 1) / 2, CH - 4 - 16}}};
    for (const auto& C : Cases) {
        Bit->SetLayout(C.Layout);
        Bit->Invalidate();
        UpdateWindow(W);
        const RECT Red = PixelsOf(W, 0x0000FF);
        // The key pixel is left out, so the box still spans the whole glyph.
        EXPECT_EQ(Red.left, C.At.x) << "layout " << C.Layout;
        EXPECT_EQ(Red.top, C.At.y) << "layout " << C.Layout;
        EXPECT_EQ(Red.right - Red.left, 16) << "layout " << C.Layout;
    }
    Bit->SetAlignment(taCenter);
    Bit->Invalidate();
    UpdateWindow(W);
    EXPECT_EQ(PixelsOf(W, 0x0000FF).left, (CW - 16 + 1) / 2) << "centred";
    SendMessageW(W, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(PixelsOf(W, 0x0000FF).right - PixelsOf(W, 0x0000FF).left, 16) << "pressed: still red";
    EXPECT_LT(PixelsOf(W, 0x00FF00).right, 0) << "the second frame never shows";
    SendMessageW(W, CM_MOUSELEAVE, 0, 0);
    delete Bit;
}

// Glyph and caption along the layout axis for Margin and Spacing given or left to the button
// (-1), as the skin places them: its red glyph and its caption ink found on the screen.
TEST_F(TButtonForm, MarginAndSpacingPlaceTheGlyphAndTheCaption) {
    auto* Bit = new TRzBitBtn(Form);
    Bit->SetParent(Form);
    Bit->SetBounds(200, 130, 150, 40);
    Bit->SetCaption(L"Dial");
    TBitmap Glyph(16, 16, pf24bit);
    for (int Y = 0; Y < 16; ++Y)
        for (int X = 0; X < 16; ++X)
            SkinDataTest::SetPixel(Glyph, X, Y, 0x0000FF);
    SkinDataTest::SetPixel(Glyph, 0, 15, 0xFF00FF);
    Bit->Glyph()->Assign(Glyph);
    Bit->SetAlignment(taLeftJustify);
    Bit->Font()->SetColor(static_cast<TColor>(0x00A000));
    Frame->SkinControls();
    ASSERT_NE(dynamic_cast<TSkinBitButton*>(SkinOf(Bit)), nullptr);
    const TDataSkinButton& Skin = *MainSkin().Buttons;
    const uint32_t Ink =
        Rgb(ColorToRGB(Skin.HasNormalColour2 ? Skin.NormalColour2 : Bit->Font()->Color()));
    const HWND W = Bit->Handle();
    const int CW = Bit->ClientWidth();
    SIZE Text{};
    {
        HDC DC = GetDC(W);
        TSelectObject Font(DC, Bit->Font()->Handle());
        GetTextExtentPoint32W(DC, L"Dial", 4, &Text);
        ReleaseDC(W, DC);
    }
    const int TW = Text.cx;
    const struct {
        TButtonLayout Layout;
        int Margin, Spacing;
        int GlyphX, TextX; // TextX: where the caption's box starts
    } Cases[] = {
        {blGlyphLeft, -1, -1, (CW - 16 - TW) / 3, 2 * ((CW - 16 - TW) / 3) + 16},
        {blGlyphLeft, 4, -1, 4, 4 + 16 + (CW - 4 - 16 - TW) / 2},
        {blGlyphLeft, -1, 2, (CW - 16 - 2 - TW) / 2, (CW - 16 - 2 - TW) / 2 + 16 + 2},
        {blGlyphRight, 4, 6, CW - 4 - 16, CW - 4 - 16 - 6 - TW},
    };
    for (const auto& C : Cases) {
        Bit->SetLayout(C.Layout);
        Bit->SetMargin(C.Margin);
        Bit->SetSpacing(C.Spacing);
        Bit->Invalidate();
        UpdateWindow(W);
        const RECT Red = PixelsOf(W, 0x0000FF);
        const RECT Caption = PixelsOf(W, Ink);
        const std::string Case = "layout " + std::to_string(C.Layout) + " margin " +
                                 std::to_string(C.Margin) + " spacing " + std::to_string(C.Spacing);
        EXPECT_EQ(Red.left, C.GlyphX) << Case;
        // The ink starts within the first letter's bearing and ends within the box.
        ASSERT_GE(Caption.right, 0) << Case << ": no caption ink";
        EXPECT_GE(Caption.left, C.TextX) << Case;
        EXPECT_LE(Caption.left, C.TextX + 2) << Case;
        EXPECT_LE(Caption.right, C.TextX + TW) << Case;
    }
    delete Bit;
}

// An image-list glyph: the image at ImageIndex while enabled; disabled, the one at
// DisabledIndex, or without one the enabled image embossed (no longer its own colour).
TEST_F(TButtonForm, AnImageListGlyphShowsItsDisabledImage) {
    auto* Images = new TImageList(Form);
    TBitmap Strip(32, 16, pf24bit);
    for (int Y = 0; Y < 16; ++Y)
        for (int X = 0; X < 32; ++X)
            SkinDataTest::SetPixel(Strip, X, Y, X < 16 ? 0x0000FF : 0xFF0000);
    ASSERT_EQ(Images->Add(Strip), 0);
    ASSERT_EQ(Images->Count(), 2);
    auto* Bit = new TRzBitBtn(Form);
    Bit->SetParent(Form);
    Bit->SetBounds(200, 180, 90, 40);
    Bit->SetCaption(L"");
    Bit->SetImages(Images);
    Bit->SetImageIndex(0);
    Bit->SetDisabledIndex(1);
    Frame->SkinControls();
    ASSERT_NE(dynamic_cast<TSkinBitButton*>(SkinOf(Bit)), nullptr);
    const HWND W = Bit->Handle();
    // Which of the two images spans its whole width on the screen.
    auto Shows = [&](uint32_t Colour) {
        Bit->Invalidate();
        UpdateWindow(W);
        const RECT Box = PixelsOf(W, Colour);
        return Box.right - Box.left == 16;
    };
    EXPECT_TRUE(Shows(0x0000FF)) << "enabled: image 0";
    EXPECT_FALSE(Shows(0xFF0000));
    Bit->SetEnabled(false);
    EXPECT_TRUE(Shows(0xFF0000)) << "disabled: image 1";
    EXPECT_FALSE(Shows(0x0000FF));
    Bit->SetDisabledIndex(-1);
    EXPECT_FALSE(Shows(0x0000FF)) << "disabled without its image: embossed";
    EXPECT_FALSE(Shows(0xFF0000));
    delete Bit;
    delete Images;
}

// Each kind a Skin3rd line names gives its skin only while the skin's SkinControls hold the
// element that kind needs; without it the control is left as it is.
TEST_F(TButtonForm, AKindGivesItsSkinOnlyWithItsElement) {
    struct TCase {
        const wchar_t* Line;
        TSkinControlType Needs;
        std::function<TControl*()> Make;
        std::wstring Skin;
    };
    auto Place = [](TControl* C, int Y) {
        C->SetParent(Form);
        C->SetBounds(300, Y, 90, 24);
        return C;
    };
    const TCase Cases[] = {
        {L"TKindEdit=edit", xcEdit, [&] { return Place(new TKindEdit(Form), 60); }, L"TSkinEdit"},
        {L"TKindCombo=combobox", xcCombo, [&] { return Place(new TKindCombo(Form), 60); },
         L"TSkinComBox"},
        {L"TKindButton=button", xcButton, [&] { return Place(new TKindButton(Form), 60); },
         L"TSkinButton"},
        {L"TKindBitBtn=bitbtn", xcButton, [&] { return Place(new TKindBitBtn(Form), 60); },
         L"TSkinBitButton"},
        {L"TKindSpeed=speedbutton", xcSpeedButton, [&] { return Place(new TKindSpeed(Form), 60); },
         L"TSkinSpeedButton"},
        {L"TKindMemo=scrollbar", xcScrollbar,
         [&] {
             auto* M = new TKindMemo(Form);
             M->SetScrollBars(ssVertical);
             return Place(M, 60);
         },
         L"TSkinScrollbar"},
    };
    TSkinData& Skin = MainSkin();
    const TSkinControlTypes Saved = Skin.SkinControls();
    for (const TCase& C : Cases) {
        Skin.Skin3rd()->Add(C.Line);
        Skin.SetSkinControls(TSkinControlTypes(Saved).Exclude(C.Needs));
        TControl* Without = C.Make();
        Frame->SkinControls();
        EXPECT_EQ(SkinOf(Without), nullptr) << C.Line << " without its element";
        if (auto* W = dynamic_cast<TWinControl*>(Without)) {
            EXPECT_EQ(Frame->ControlSkins.Find(W->Handle()), nullptr) << C.Line;
        }
        Skin.SetSkinControls(TSkinControlTypes(Saved).Include(C.Needs));
        TControl* With = C.Make();
        Frame->SkinControls();
        TSkinControl* Given = SkinOf(With);
        // A skin attached to the window knows only the handle.
        if (auto* W = dynamic_cast<TWinControl*>(With); !Given && W)
            Given = Frame->ControlSkins.Find(W->Handle());
        EXPECT_TRUE(Given && Given->ClassName() == C.Skin) << C.Line << " with its element";
        delete Without;
        delete With;
        Skin.Skin3rd()->Delete(Skin.Skin3rd()->IndexOf(C.Line));
    }
    Skin.SetSkinControls(Saved);
}
