// The skin component as the main window holds it: its property defaults, and the embedded
// default skin read through a stored description and turned into skin objects and colours.
#include "SkinDataSupport.h"

#include "ImgUtil.h"
#include "Reader.h"
#include "SkinRead.h"
#include "WinSkinData.h"

#include <gtest/gtest.h>

using namespace SkinDataTest;

namespace {

std::span<const uint8_t> DefaultPayload() {
    auto Data = ResourceData(L"DEFAULTSKIN");
    EXPECT_FALSE(Data.empty()) << "the default skin is not embedded";
    return Data;
}

// A root holding SkinData1 as the main window's description gives it.
class TDefaultSkin : public ::testing::Test {
  protected:
    void SetUp() override {
        ReadComponentText(Root, std::string_view("object Root: TComponent\n"
                                                 "  object SkinData1: TSkinData\n"
                                                 "    Active = True\n"
                                                 "    DisableTag = 99\n"
                                                 "    SkinStream = @DEFAULTSKIN\n"
                                                 "  end\n"
                                                 "end\n"));
        Skin = dynamic_cast<TSkinData*>(Root.FindComponent(L"SkinData1"));
        ASSERT_NE(Skin, nullptr);
        ASSERT_TRUE(Skin->SkinLoaded());
    }
    TComponent Root{nullptr};
    TSkinData* Skin = nullptr;
};

void ExpectMargins(const TDataSkinObject& O, int Left, int Top, int Right, int Bottom) {
    EXPECT_EQ(O.Margins.left, Left) << O.Name;
    EXPECT_EQ(O.Margins.top, Top) << O.Name;
    EXPECT_EQ(O.Margins.right, Right) << O.Name;
    EXPECT_EQ(O.Margins.bottom, Bottom) << O.Name;
}

void ExpectSize(const TBitmap& B, int Width, int Height, const std::string& What) {
    EXPECT_EQ(B.Width(), Width) << What;
    EXPECT_EQ(B.Height(), Height) << What;
}

} // namespace

TEST(SkinDataDefaults, PropertiesBeforeAnySkin) {
    TSkinData Skin(nullptr);
    EXPECT_FALSE(Skin.Active());
    EXPECT_EQ(Skin.DisableTag(), 99);
    EXPECT_TRUE(Skin.Options().Empty());
    EXPECT_EQ(Skin.SkinFormtype(), sfMainform);
    EXPECT_TRUE(Skin.MenuUpdate());
    EXPECT_FALSE(Skin.MenuMerge());
    EXPECT_EQ(Skin.Version(), L"3.02.03.09");
    EXPECT_EQ(Skin.SkinStore(), L"(none)");
    EXPECT_FALSE(Skin.SkinLoaded());
    for (int M = xcMainMenu; M <= xcFastReport; ++M)
        EXPECT_EQ(Skin.SkinControls().Contains(static_cast<TSkinControlType>(M)),
                  M != xcMenuItem && M != xcFastReport)
            << M;

    // Read-only values take writes without complaint and keep their value.
    SetPropText(Skin, L"Version", L"9.9");
    SetPropText(Skin, L"SkinStore", L"(Good)");
    EXPECT_EQ(GetPropText(Skin, L"Version"), L"3.02.03.09");
    EXPECT_EQ(GetPropText(Skin, L"SkinStore"), L"(none)");
    EXPECT_EQ(GetPropText(Skin, L"SkinFormtype"), L"sfMainform");
    EXPECT_EQ(GetPropText(Skin, L"SkinControls"),
              L"[xcMainMenu,xcPopupMenu,xcToolbar,xcControlbar,xcCombo,xcCheckBox,"
              L"xcRadioButton,xcProgress,xcScrollbar,xcEdit,xcButton,xcBitBtn,xcSpeedButton,"
              L"xcPanel,xcGroupBox,xcStatusBar,xcTab,xcSystemMenu]");

    // The objects that exist from the start, and the empty slots.
    EXPECT_EQ(Skin.Title->Name, "Title");
    EXPECT_EQ(Skin.Buttons->Name, "Buttons");
    EXPECT_EQ(Skin.Borders[sbsLeft]->Name, "Left");
    EXPECT_EQ(Skin.Borders[sbsRight]->Name, "Right");
    EXPECT_EQ(Skin.Borders[sbsTop]->Name, "Top");
    EXPECT_EQ(Skin.Borders[sbsBottom]->Name, "Bottom");
    EXPECT_EQ(Skin.MenuBar, nullptr);
    EXPECT_TRUE(Skin.SysButtons.empty());
    EXPECT_EQ(Skin.FaceBrush(), nullptr);
    EXPECT_EQ(Skin.MenuGlyphs()->Count(), 4);
    EXPECT_EQ(Skin.MenuGlyphs()->Width(), 16);
    EXPECT_EQ(Skin.MenuGlyphs()->MaskColor(), clWhite);
}

TEST(SkinDataDefaults, Skin3rdListAndLookup) {
    TSkinData Skin(nullptr);
    TStrings& L = *Skin.Skin3rd();
    ASSERT_EQ(L.Count(), 110);
    EXPECT_EQ(L[0], L"TAdvPanelGroup=embedscrollbar");
    EXPECT_EQ(L[1], L"TComboboxex=combobox");
    EXPECT_EQ(L[2], L"TRxSpeedButton=speedbutton");
    EXPECT_EQ(L[3], L"TControlBar=Panel");
    EXPECT_EQ(L[109], L"TOVCDBNUMERICFIELD=Edit");

    std::wstring Kind;
    EXPECT_TRUE(Skin.Skin3rdKind(L"TAdvPageControl", Kind));
    EXPECT_EQ(Kind, L"nil");
    EXPECT_TRUE(Skin.Skin3rdKind(L"tlmdgroupbox", Kind)); // first line of either spelling
    EXPECT_EQ(Kind, L"groupbox");
    EXPECT_TRUE(Skin.Skin3rdKind(L"TRzButton", Kind));
    EXPECT_EQ(Kind, L"button");
    EXPECT_FALSE(Skin.Skin3rdKind(L"TRzBut", Kind)); // the whole class name must match
    EXPECT_FALSE(Skin.Skin3rdKind(L"TButton", Kind));

    // Assigning a list copies it; kinds are cut at 50 characters.
    TStringList Mine;
    Mine.Add(L"TMyEdit=" + std::wstring(60, L'e'));
    SetObjectProp(Skin, L"Skin3rd", &Mine);
    Mine.Clear();
    ASSERT_EQ(Skin.Skin3rd()->Count(), 1);
    EXPECT_TRUE(Skin.Skin3rdKind(L"TMYEDIT", Kind));
    EXPECT_EQ(Kind, std::wstring(50, L'e'));
}

TEST_F(TDefaultSkin, ReadingTheDescriptionLoadsAndKeepsActive) {
    EXPECT_TRUE(Skin->Active());
    // With the main menu family skinned, menu items are not skinned separately.
    EXPECT_FALSE(Skin->SkinControls().Contains(xcMenuItem));
    EXPECT_TRUE(Skin->SkinControls().Contains(xcSystemMenu));
    // The stored form comes back as it was read.
    auto Stored = DefaultPayload();
    EXPECT_EQ(Skin->SkinStream(), TBytes(Stored.begin(), Stored.end()));
    EXPECT_NE(Skin->FaceBrush(), nullptr);
}

TEST_F(TDefaultSkin, BordersTitleAndMenuBar) {
    const TDataSkinBorder& Top = *Skin->Borders[sbsTop];
    ExpectSize(Top.Bitmap, 60, 58, "top");
    EXPECT_EQ(Top.FrameCount, 2);
    ExpectMargins(Top, 25, 0, 32, 0);
    EXPECT_EQ(Top.Tile, 1);
    EXPECT_EQ(Top.Trans, 1); // not in the skin: the default
    const TDataSkinBorder& Bottom = *Skin->Borders[sbsBottom];
    ExpectSize(Bottom.Bitmap, 43, 6, "bottom");
    ExpectMargins(Bottom, 2, 0, 2, 0);
    for (auto Side : {sbsLeft, sbsRight}) {
        const TDataSkinBorder& B = *Skin->Borders[Side];
        ExpectSize(B.Bitmap, 6, 63, B.Name);
        EXPECT_EQ(B.FrameCount, 2);
        ExpectMargins(B, 0, 30, 0, 3);
        EXPECT_EQ(B.Tile, 1);
    }

    const TDataSkinTitle& T = *Skin->Title;
    EXPECT_TRUE(T.Bitmap.Empty());
    ExpectMargins(T, 22, 2, 76, 0);
    EXPECT_EQ(T.TextAlignment, 0);
    EXPECT_EQ(T.FontHeight, 16);
    EXPECT_EQ(T.FrameCount, 2);
    EXPECT_EQ(T.ActiveTextColour, 0x10100E);
    EXPECT_EQ(T.InactiveTextColour, 0xA1A1A2);

    ASSERT_NE(Skin->MenuBar, nullptr);
    ExpectSize(Skin->MenuBar->Bitmap, 20, 22, "menu bar");
    EXPECT_EQ(Skin->MenuBar->Tile, 1);
    ExpectMargins(*Skin->MenuBar, 5, 0, 5, 0);
    EXPECT_EQ(Skin->MenuBar->FrameCount, 2);
}

TEST_F(TDefaultSkin, CaptionButtonsInSectionOrderThenMdiButtons) {
    ASSERT_EQ(Skin->SysButtons.size(), 10u);
    struct TWant {
        const char* Name;
        int Action, Align, Xcoord, Ycoord, Visibility, Visibility1;
    };
    const TWant Want[] = {
        {"BUTTON0", 0, 1, 25, 5, 0, 0},  {"BUTTON3", 1, 1, 49, 5, 2, 6},
        {"BUTTON6", 1, 1, 49, 5, 1, 0},  {"BUTTON7", 1, 1, 49, 5, -1, 4},
        {"BUTTON9", 2, 1, 73, 5, 8, 0},  {"BUTTON10", 2, 1, 73, 5, -1, 8},
        {"BUTTON16", 11, 0, 7, 7, 0, 0},
    };
    for (size_t I = 0; I < std::size(Want); ++I) {
        const TDataSkinSysButton& B = *Skin->SysButtons[I];
        EXPECT_EQ(B.Name, Want[I].Name);
        EXPECT_EQ(B.Action, Want[I].Action) << B.Name;
        EXPECT_EQ(B.Align, Want[I].Align) << B.Name;
        EXPECT_EQ(B.Xcoord, Want[I].Xcoord) << B.Name;
        EXPECT_EQ(B.Ycoord, Want[I].Ycoord) << B.Name;
        EXPECT_EQ(B.Visibility, Want[I].Visibility) << B.Name;
        EXPECT_EQ(B.Visibility1, Want[I].Visibility1) << B.Name;
        EXPECT_EQ(B.CombineOp, -1) << B.Name;
        EXPECT_EQ(B.FrameCount, 6) << B.Name;
        if (B.Action == 11)
            EXPECT_TRUE(B.Bitmap.Empty());
        else
            ExpectSize(B.Bitmap, 126, 21, B.Name);
    }
    // The MDI child's minimize, restore and close: 60 x 15 cuts of the 180 x 15 picture.
    for (int K = 0; K < 3; ++K) {
        const TDataSkinSysButton& B = *Skin->SysButtons[7 + K];
        EXPECT_EQ(B.Action, 7 + K);
        EXPECT_EQ(B.Align, 100);
        EXPECT_EQ(B.Visibility, 100);
        EXPECT_EQ(B.Visibility1, 100);
        EXPECT_EQ(B.FrameCount, 4);
        EXPECT_EQ(B.Xcoord, (15 + 4) * (3 - K));
        ExpectSize(B.Bitmap, 60, 15, B.Name);
    }
}

TEST_F(TDefaultSkin, MdiButtonsAreCutSideBySide) {
    auto Payload = DefaultPayload();
    TSkinReader Reader;
    TSkinStream File(TBytes(Payload.begin() + 4, Payload.end()));
    ASSERT_TRUE(Reader.ReadArchive(File));
    TBitmap Whole;
    TSkinData::LoadEntryBitmap(Reader, Whole, "mdicontrols.bmp");
    ASSERT_EQ(Whole.Width(), 180);
    for (int K = 0; K < 3; ++K)
        for (int X = 0; X < 60; X += 7)
            for (int Y = 0; Y < 15; Y += 4)
                ASSERT_EQ(Pixel(Skin->SysButtons[7 + K]->Bitmap, X, Y), Pixel(Whole, 60 * K + X, Y))
                    << K << " " << X << "," << Y;
}

TEST_F(TDefaultSkin, ButtonsAndPlainObjects) {
    const TDataSkinButton& B = *Skin->Buttons;
    ExpectSize(B.Bitmap, 90, 21, "buttons");
    ExpectSize(B.CheckBitmap, 65, 13, "check");
    ExpectSize(B.RadioBitmap, 65, 13, "radio");
    ExpectMargins(B, 3, 3, 3, 3);
    EXPECT_EQ(B.Tile, 0);
    EXPECT_EQ(B.FrameCount, 5);
    EXPECT_EQ(B.NormalColour, 0);
    EXPECT_EQ(B.MouseOverColour, 0);
    EXPECT_EQ(B.PressedColour, 0);
    EXPECT_EQ(B.RadioFrameCount, 5);
    EXPECT_EQ(B.CheckFrameCount, 5);
    EXPECT_FALSE(B.HasNormalColour2);
    EXPECT_EQ(B.NormalColour2, Skin->ButtonText);

    struct TWant {
        const TDataSkinObject* Object;
        int Width, Height, Frames, Left, Top, Right, Bottom, Tile, Trans;
    };
    const TWant Want[] = {
        {Skin->ExtraImages.get(), 80, 16, 5, 0, 0, 0, 0, 0, 1},
        {Skin->Scrollbar.get(), 391, 17, 23, 5, 5, 5, 5, 0, 1},
        {Skin->HorzScroll.get(), 68, 17, 4, 0, 1, 0, 1, 0, 0},
        {Skin->VertScroll.get(), 68, 17, 4, 1, 0, 1, 0, 0, 0},
        {Skin->HorzScrollThumb.get(), 66, 15, 3, 5, 5, 5, 5, 0, 0},
        {Skin->VertScrollThumb.get(), 45, 22, 3, 5, 5, 5, 5, 0, 0},
        {Skin->Toolbars.get(), 100, 23, 5, 4, 4, 4, 4, 0, 0},
        {Skin->StatusBarEdges.get(), 204, 15, 3, 50, 5, 17, 9, 1, 0},
        {Skin->Headerbar.get(), 90, 18, 5, 8, 3, 8, 4, 1, 0},
        {Skin->Progress.get(), 36, 19, 2, 4, 3, 5, 3, 1, 0},
        {Skin->Tabs.get(), 90, 19, 5, 3, 4, 4, 2, 0, 0},
        {Skin->MenuItem.get(), 150, 23, 5, 10, 0, 5, 5, 1, 1},
        {Skin->MenuBackground.get(), 40, 22, 1, 7, 2, 2, 2, 1, 0},
        {Skin->GroupBox.get(), 25, 13, 1, 3, 3, 3, 3, 0, 0},
        {Skin->GroupBoxEdge.get(), 44, 20, 2, 3, 9, 3, 3, 1, 0},
        {Skin->TrackbarThumbHorz.get(), 55, 21, 5, 0, 0, 0, 0, 0, 0},
        {Skin->TrackbarThumbVert.get(), 105, 11, 5, 0, 0, 0, 0, 0, 0},
    };
    for (const TWant& W : Want) {
        ASSERT_NE(W.Object, nullptr);
        const TDataSkinObject& O = *W.Object;
        ExpectSize(O.Bitmap, W.Width, W.Height, O.Name);
        EXPECT_EQ(O.FrameCount, W.Frames) << O.Name;
        ExpectMargins(O, W.Left, W.Top, W.Right, W.Bottom);
        EXPECT_EQ(O.Tile, W.Tile) << O.Name;
        EXPECT_EQ(O.Trans, W.Trans) << O.Name;
    }
    EXPECT_TRUE(Skin->Progress->ExtraBitmap.Empty());
    ExpectSize(Skin->Tabs->ExtraBitmap, 48, 48, "tab border");
    EXPECT_EQ(Skin->GroupBox->BackgroundAlignment, 1);
    EXPECT_EQ(Skin->GroupBox->BackgroundLeftShift, -3);
    EXPECT_EQ(Skin->GroupBox->BackgroundRightShift, -3);
    EXPECT_EQ(Skin->GroupBox->NormalColour, 1);
    for (auto* Empty : {&Skin->UpDownHorz, &Skin->UpDownVert})
        EXPECT_EQ(*Empty, nullptr);
    for (auto* Empty : {&Skin->TrackbarThumbLeft, &Skin->TrackbarThumbRight, &Skin->TrackbarThumbUp,
                        &Skin->TrackbarThumbDown})
        EXPECT_EQ(*Empty, nullptr);
}

TEST_F(TDefaultSkin, ComboStripFromSunkEdgeAndComboButton) {
    const int BW = GetSystemMetrics(SM_CXHSCROLL) + 2;
    ASSERT_NE(Skin->ComboButton, nullptr);
    ASSERT_NE(Skin->SunkEdge, nullptr);
    const TDataSkinBorder& C = *Skin->ComboButton;
    const TDataSkinObject& S = *Skin->SunkEdge;
    EXPECT_EQ(S.FrameCount, 4);
    ExpectSize(C.Bitmap, 200, 21, "combo strip");
    ExpectSize(S.Bitmap, 200, 21, "mirrored combo strip");
    EXPECT_EQ(C.Style, 2);
    ExpectMargins(C, 2, 2, BW + 2, 2);
    ExpectMargins(S, BW + 2, 2, 2, 2);
    // The right-to-left button picture: the original 64 x 18 image mirrored.
    ExpectSize(C.ExtraBitmap, 64, 18, "mirrored button");

    for (int Frame = 0; Frame < 4; ++Frame) {
        const int X0 = 50 * Frame;
        // The text area of each cell is left to the control (magenta).
        EXPECT_EQ(Pixel(C.Bitmap, X0 + 10, 10), 0xFF00FFu) << Frame;
        EXPECT_EQ(Pixel(C.Bitmap, X0 + 48 - BW, 17), 0xFF00FFu) << Frame;
        // The edge of the sunken frame is drawn around it.
        EXPECT_NE(Pixel(C.Bitmap, X0 + 10, 0), 0xFF00FFu) << Frame;
        // The button occupies the right end of the cell.
        EXPECT_NE(Pixel(C.Bitmap, X0 + 50 - BW / 2, 10), 0xFF00FFu) << Frame;
    }
    for (int Y = 0; Y < 21; Y += 3)
        for (int X = 0; X < 200; X += 5)
            ASSERT_EQ(Pixel(S.Bitmap, X, Y), Pixel(C.Bitmap, 199 - X, Y)) << X << "," << Y;
}

TEST_F(TDefaultSkin, Colours) {
    EXPECT_EQ(Skin->ScrollbarColour, 0xF9E8D2);
    EXPECT_EQ(Skin->Menu, 0xEBE2E0);
    EXPECT_EQ(Skin->ButtonFace, 0xE3DFE0);
    EXPECT_EQ(Skin->Menubar, Skin->ButtonFace); // absent: takes the face colour
    EXPECT_EQ(Skin->Hilight, 0xBFB4B2);
    EXPECT_EQ(Skin->HilightText, 0xFFFFFF);
    EXPECT_EQ(Skin->ButtonHilight, 0xFFFFFF);
    EXPECT_EQ(Skin->ButtonDkShadow, 0x646F71);
    EXPECT_EQ(Skin->ButtonShadow, 0xA19D9D);
    EXPECT_EQ(Skin->Buttonlight, 0xE2EFF1);
    EXPECT_EQ(Skin->TitleTextActive, 0x10100E);
    EXPECT_EQ(Skin->TitleTextNoActive, 0xA1A1A2);
    for (TColor C : {Skin->WindowText, Skin->MenuText, Skin->ButtonText, Skin->MenuBarText})
        EXPECT_EQ(C, 0);

    LOGBRUSH Brush{};
    ASSERT_TRUE(GetObjectW(Skin->FaceBrush(), sizeof(Brush), &Brush));
    EXPECT_EQ(Brush.lbColor, static_cast<COLORREF>(0xE3DFE0));
}

TEST(SkinDataLifetime, LoadingAndFreeingLeavesNoGdiObject) {
    auto Payload = DefaultPayload();
    const long Before = LiveHandles(THandleKind::GdiObject);
    const long DCs = LiveHandles(THandleKind::DC);
    for (int I = 0; I < 3; ++I) {
        TSkinData Skin(nullptr);
        Skin.SetSkinStream(TBytes(Payload.begin(), Payload.end()));
        ASSERT_TRUE(Skin.SkinLoaded());
        Skin.LoadSkin(); // a second load replaces every object
        ASSERT_TRUE(Skin.SkinLoaded());
        auto Grid = DrawSkinImage(RECT{0, 0, 100, 30}, Skin.Buttons->Bitmap, Skin.Buttons->Margins,
                                  false, false, 5, 2);
        EXPECT_FALSE(Grid->Empty());
    }
    EXPECT_EQ(LiveHandles(THandleKind::GdiObject), Before);
    EXPECT_EQ(LiveHandles(THandleKind::DC), DCs);
}
