// Skinned edit boxes and combo boxes on a shown form wearing the default skin: their pictures
// against the skin's, and that they still work by mouse and keyboard.
#include "SkinTesting.h"

#include "ImgUtil.h"
#include "StdCtrls.h"
#include "WinSubEdit.h"
#include "WinSubScroll.h"

#include <gtest/gtest.h>

using namespace SkinTest;

namespace {

void Click(POINT P) {
    SetCursorPos(P.x, P.y);
    INPUT I[2]{};
    for (auto& E : I)
        E.type = INPUT_MOUSE;
    I[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    I[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, I, sizeof(INPUT));
}

void Key(WORD VK) {
    INPUT I[2]{};
    for (auto& E : I) {
        E.type = INPUT_KEYBOARD;
        E.ki.wVk = VK;
    }
    I[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, I, sizeof(INPUT));
}

std::unique_ptr<TBitmap> GrabFrame(HWND Wnd) {
    RECT R;
    GetWindowRect(Wnd, &R);
    auto B = std::make_unique<TBitmap>(R.right - R.left, R.bottom - R.top, pf24bit);
    TWindowDC DC(Wnd, true);
    BitBlt(B->Canvas()->Handle(), 0, 0, B->Width(), B->Height(), DC, 0, 0, SRCCOPY);
    return B;
}

// Pixels of the window that differ from the picture wherever the picture is not magenta.
int Differences(const TBitmap& Shot, const TBitmap& Expected) {
    int Bad = 0;
    for (int Y = 0; Y < Expected.Height(); ++Y)
        for (int X = 0; X < Expected.Width(); ++X) {
            const uint32_t E = Pixel(Expected, X, Y);
            if (E != 0xFF00FF && Pixel(Shot, X, Y) != E) ++Bad;
        }
    return Bad;
}

class TEditForm : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        MainSkin();
        Form = new TCloseCountingForm(nullptr);
        Form->SetBorderStyle(bsSingle);
        Form->SetFormStyle(fsStayOnTop);
        Form->SetBounds(700, 60, 400, 400);
        Form->SetClientSize(320, 260);
        Form->SetCaption(L"Edits and combo boxes");
        Bordered = AddEdit(10, 10, bsSingle);
        Plain = AddEdit(10, 40, bsNone);
        Drop = AddCombo(10, 80, csDropDown);
        List = AddCombo(10, 110, csDropDownList);
        Simple = AddCombo(170, 10, csSimple);
        Simple->SetHeight(120);
        Mirrored = AddCombo(10, 140, csDropDownList);
        Form->Show();
        SetForegroundWindow(Form->Handle());
        ASSERT_TRUE(WaitFor([] {
            TWinSkinForm* F = FrameOf(Form->Handle());
            return F && F->SkinState == lsReady;
        }));
        Frame = FrameOf(Form->Handle());
        // Right to left: the button sits on the left.
        const HWND M = Mirrored->Handle();
        SetWindowLongW(M, GWL_EXSTYLE, GetWindowLongW(M, GWL_EXSTYLE) | WS_EX_LEFTSCROLLBAR);
        SetWindowPos(M, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED | SWP_NOACTIVATE);
        for (TCustomEdit* E : {Bordered, Plain})
            if (!Frame->ControlSkins.Find(E->Handle())) {
                auto* S = new TSkinEdit(E);
                S->InitWindow(E->Handle(), &MainSkin(), &Frame->ControlSkins);
            }
        for (TComboBox* C : {Drop, List, Simple, Mirrored})
            if (!Frame->ControlSkins.Has(C)) {
                auto* S = new TSkinComBox(C);
                S->InitControl(&Frame->ControlSkins, &MainSkin(), false);
            }
        Pump();
    }
    static void TearDownTestSuite() { delete Form; }

    static TEdit* AddEdit(int X, int Y, TBorderStyle Border) {
        auto* E = new TEdit(Form);
        E->SetParent(Form);
        E->SetBounds(X, Y, 140, 22);
        E->SetBorderStyle(Border);
        E->SetText(L"text");
        return E;
    }
    static TComboBox* AddCombo(int X, int Y, TComboBoxStyle Style) {
        auto* C = new TComboBox(Form);
        C->SetParent(Form);
        C->SetStyle(Style);
        static_cast<TControl*>(C)->SetBounds(X, Y, 140, 21);
        for (int I = 0; I < 30; ++I)
            C->Items()->Add(L"choice " + std::to_wstring(I));
        C->SetItemIndex(0);
        return C;
    }
    static void Repaint(TWinControl* C) {
        RedrawWindow(C->Handle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        Pump();
    }
    // The default skin's drop-down picture, frame F, over the whole combo box.
    static std::unique_ptr<TBitmap> ComboPicture(TComboBox* C, int F, bool Left) {
        TSkinData& D = MainSkin();
        TDataSkinObject& Image = Left ? static_cast<TDataSkinObject&>(*D.SunkEdge) : *D.ComboButton;
        return DrawSkinImage({0, 0, C->Width(), C->Height()}, Image.Bitmap, Image.Margins, false,
                             Image.Tile != 0, Image.FrameCount, F);
    }

    static inline TCloseCountingForm* Form = nullptr;
    static inline TWinSkinForm* Frame = nullptr;
    static inline TEdit* Bordered = nullptr;
    static inline TEdit* Plain = nullptr;
    static inline TComboBox* Drop = nullptr;
    static inline TComboBox* List = nullptr;
    static inline TComboBox* Simple = nullptr;
    static inline TComboBox* Mirrored = nullptr;
};

} // namespace

TEST_F(TEditForm, AnEditWithABorderGetsTheFlatOneAndOneWithoutNone) {
    Repaint(Bordered);
    auto Shot = GrabFrame(Bordered->Handle());
    const uint32_t Shadow = Rgb(ColorToRGB(MainSkin().ButtonShadow));
    const int W = Shot->Width(), H = Shot->Height();
    for (POINT P : {POINT{0, 0}, POINT{W - 1, 0}, POINT{0, H - 1}, POINT{W / 2, H - 1}})
        EXPECT_EQ(Pixel(*Shot, P.x, P.y), Shadow) << P.x << "," << P.y;
    for (POINT P : {POINT{1, 1}, POINT{W - 2, 1}, POINT{W / 2, H - 2}})
        EXPECT_EQ(Pixel(*Shot, P.x, P.y), 0xFFFFFFu) << P.x << "," << P.y;
    Repaint(Plain);
    auto Flat = GrabFrame(Plain->Handle());
    EXPECT_NE(Pixel(*Flat, 0, 0), Shadow) << "no border of the skin's on a borderless edit";
}

// Painted into a picture (as a program prints a window), an edit gets its border there, and the
// screen is left as it was.
TEST_F(TEditForm, AnEditPaintedIntoAPictureGetsItsBorderThereNotOnTheScreen) {
    Repaint(Bordered);
    const HWND E = Bordered->Handle();
    RECT R;
    GetWindowRect(E, &R);
    const int W = R.right - R.left, H = R.bottom - R.top;
    constexpr uint32_t Mark = 0x2040A0;
    {
        // The border on the screen marked, so that a border painted there would show.
        TWindowDC DC(E, true);
        const RECT All{0, 0, W, H};
        FillColor(DC, All, static_cast<TColor>(Mark));
    }
    TBitmap Picture(W, H, pf24bit);
    Fill(Picture, Mark);
    SendMessageW(E, WM_PAINT, reinterpret_cast<WPARAM>(Picture.Canvas()->Handle()), 0);
    const uint32_t Shadow = Rgb(ColorToRGB(MainSkin().ButtonShadow));
    for (POINT P : {POINT{0, 0}, POINT{W - 1, 0}, POINT{0, H - 1}, POINT{W - 1, H - 1}})
        EXPECT_EQ(Pixel(Picture, P.x, P.y), Shadow) << P.x << "," << P.y;
    EXPECT_EQ(Pixel(Picture, 1, 1), 0xFFFFFFu);
    EXPECT_EQ(Pixel(Picture, W - 2, H - 2), 0xFFFFFFu);
    const auto Screen = GrabFrame(E);
    EXPECT_EQ(Pixel(*Screen, 0, 0), Mark) << "nothing painted on the screen";
    EXPECT_EQ(Pixel(*Screen, W - 1, H - 1), Mark);
    Repaint(Bordered);
}

TEST_F(TEditForm, ComboBoxesShowTheSkinsFramesByState) {
    SetFocus(Bordered->Handle());
    Repaint(List);
    EXPECT_EQ(Differences(*GrabFrame(List->Handle()), *ComboPicture(List, 1, false)), 0)
        << "normal";
    SetFocus(List->Handle());
    Repaint(List);
    EXPECT_EQ(Differences(*GrabFrame(List->Handle()), *ComboPicture(List, 4, false)), 0)
        << "focused";
    EnableWindow(List->Handle(), FALSE);
    Repaint(List);
    EXPECT_EQ(Differences(*GrabFrame(List->Handle()), *ComboPicture(List, 3, false)), 0)
        << "disabled";
    EnableWindow(List->Handle(), TRUE);
    SetFocus(Bordered->Handle());
    Repaint(Drop);
    EXPECT_EQ(Differences(*GrabFrame(Drop->Handle()), *ComboPicture(Drop, 1, false)), 0)
        << "a drop-down box with its edit part";
}

TEST_F(TEditForm, ARightToLeftComboBoxHasItsButtonOnTheLeft) {
    Repaint(Mirrored);
    auto Shot = GrabFrame(Mirrored->Handle());
    EXPECT_EQ(Differences(*Shot, *ComboPicture(Mirrored, 1, true)), 0);
    EXPECT_NE(Differences(*Shot, *ComboPicture(Mirrored, 1, false)), 0) << "not the usual side";
}

TEST_F(TEditForm, ASimpleComboBoxGetsScrollBarsOnItsList) {
    TSkinComBox* S = nullptr;
    for (TSkinControl* C : Frame->ControlSkins)
        if (C->Control == Simple) S = dynamic_cast<TSkinComBox*>(C);
    ASSERT_NE(S, nullptr);
    ASSERT_NE(S->ListBars, nullptr);
    Repaint(Simple);
    EXPECT_TRUE(S->ListBars->VertBar->Shown);
    SCROLLBARINFO I{};
    I.cbSize = sizeof(I);
    GetScrollBarInfo(S->ListWnd, OBJID_VSCROLL, &I);
    RECT Bar;
    GetWindowRect(S->ListBars->VertBar->Handle(), &Bar);
    EXPECT_TRUE(EqualRect(&Bar, &I.rcScrollBar));
}

// The list of a simple combo box goes before the box (as when the box's window is made
// again): the box's skin lets go of the list's scroll-bar skin, which went with the list.
TEST_F(TEditForm, ASimpleComboBoxLetsGoOfItsListsBarsWhenTheListGoes) {
    TComboBox* C = AddCombo(170, 140, csSimple);
    C->SetHeight(100);
    auto* S = new TSkinComBox(C);
    S->InitControl(&Frame->ControlSkins, &MainSkin(), false);
    ASSERT_NE(S->ListBars, nullptr);
    const HWND List = S->ListWnd;
    ASSERT_TRUE(IsWindow(List));
    DestroyWindow(List);
    EXPECT_EQ(S->ListBars, nullptr);
    EXPECT_EQ(S->ListWnd, nullptr);
    Repaint(C);
    delete C;
}

TEST_F(TEditForm, AComboBoxStillDropsDownAndSelectsByMouseAndKeyboard) {
    RECT R;
    GetWindowRect(List->Handle(), &R);
    Click({R.right - 8, (R.top + R.bottom) / 2});
    ASSERT_TRUE(WaitFor([] { return List->DroppedDown(); }));
    COMBOBOXINFO Info{};
    Info.cbSize = sizeof(Info);
    GetComboBoxInfo(List->Handle(), &Info);
    RECT L;
    GetWindowRect(Info.hwndList, &L);
    const int ItemH = static_cast<int>(SendMessageW(List->Handle(), CB_GETITEMHEIGHT, 0, 0));
    Click({(L.left + L.right) / 2, L.top + ItemH * 2 + ItemH / 2}); // the third item
    ASSERT_TRUE(WaitFor([] { return !List->DroppedDown(); }));
    Pump();
    EXPECT_EQ(List->ItemIndex(), 2);
    SetFocus(List->Handle());
    Key(VK_DOWN);
    ASSERT_TRUE(WaitFor([] { return List->ItemIndex() == 3; }));
    // Typed into the drop-down box's edit part, the text arrives.
    SetFocus(Drop->Handle());
    Drop->SetText(L"");
    Key('7');
    ASSERT_TRUE(WaitFor([] { return Drop->Text() == L"7"; }));
}

TEST(EditLeaks, FiveHundredSkinnedComboBoxesAndMemosLeaveNothingBehind) {
    auto F = HiddenSkinnedForm(300, 200);
    TWinSkinForm* Frame = SkinNow(F->Handle());
    ASSERT_NE(Frame, nullptr);
    auto Cycle = [&] {
        auto* C = new TComboBox(F.get());
        C->SetParent(F.get());
        C->SetStyle(csSimple);
        static_cast<TControl*>(C)->SetBounds(0, 0, 100, 80);
        for (int I = 0; I < 20; ++I)
            C->Items()->Add(L"x");
        (new TSkinComBox(C))->InitControl(&Frame->ControlSkins, &MainSkin(), false);
        auto* M = new TMemo(F.get());
        M->SetParent(F.get());
        M->SetScrollBars(ssBoth);
        M->SetBounds(0, 100, 100, 80);
        (new TSkinScrollbar(M))->InitScrollbar(M, &MainSkin(), &Frame->ControlSkins);
        Pump();
        delete C;
        delete M;
    };
    Cycle();
    const TCounts Before = Counts();
    for (int I = 0; I < 500; ++I)
        Cycle();
    Pump();
    const TCounts After = Counts();
    EXPECT_EQ(After, Before) << "before: " << Describe(Before) << "\nafter:  " << Describe(After);
    EXPECT_EQ(GetWindow(F->Handle(), GW_CHILD), nullptr) << "no bar window is left behind";
    EXPECT_TRUE(Frame->ControlSkins.empty());
}
