// The reading rules of the skin component on small skins made for each case: which sections
// become caption buttons and how many frames they get, which image keys give a picture,
// colour defaults, refused and damaged skins, the stored property, skin files on disk, and
// what loading a description does to Active and SkinControls.
#include "SkinDataSupport.h"

#include "Reader.h"
#include "SkinRead.h"

#include <gtest/gtest.h>

using namespace SkinDataTest;

namespace {

std::unique_ptr<TSkinData> Loaded(const TBytes& Payload) {
    auto Skin = std::make_unique<TSkinData>(nullptr);
    Skin->SetSkinStream(Payload);
    return Skin;
}

const TDataSkinSysButton* FindButton(const TSkinData& Skin, const std::string& Name) {
    for (const auto& B : Skin.SysButtons)
        if (B->Name == Name) return B.get();
    return nullptr;
}

} // namespace

TEST(SkinDataRules, CaptionButtonSectionsKeptAndDropped) {
    auto Skin = Loaded(Payload("[Buttons]\nBitmap=b.bmp\n"
                               "[Button]\nAction=0\n"
                               "[Button.Radio]\nAction=0\n"
                               "[Button.CheckBox]\nAction=0\n"
                               "[ButtonDropped]\nAction=-1\n"
                               "[ButtonDroppedToo]\nAction=-1\nVisibility=-1\n"
                               "[ButtonHiddenFive]\nAction=-1\nVisibility=5\n"
                               "[ButtonKept]\nAction=-1\nVisibility=0\n"
                               "[buttonlower]\nAction=2\n"
                               "[NotAButton]\nAction=0\n"
                               "[Button1]\n"));
    ASSERT_TRUE(Skin->SkinLoaded());
    ASSERT_EQ(Skin->SysButtons.size(), 3u + 3u);
    EXPECT_EQ(Skin->SysButtons[0]->Name, "BUTTONKEPT");
    EXPECT_EQ(Skin->SysButtons[1]->Name, "BUTTONLOWER");
    EXPECT_EQ(Skin->SysButtons[2]->Name, "BUTTON1");
    // An invisible-action button that stays gets the "never" second condition.
    EXPECT_EQ(Skin->SysButtons[0]->Visibility1, -1);
    EXPECT_EQ(Skin->SysButtons[1]->Visibility1, 0);
    // Without the MDI picture the MDI buttons are there but imageless.
    for (int K = 3; K < 6; ++K) {
        EXPECT_EQ(Skin->SysButtons[K]->Action, 7 + K - 3);
        EXPECT_TRUE(Skin->SysButtons[K]->Bitmap.Empty());
    }
}

TEST(SkinDataRules, CaptionButtonFrameCounts) {
    auto Skin = Loaded(Payload("[ButtonNarrow]\nButtonImage=narrow.bmp\nAction=0\n"
                               "[ButtonWide]\nButtonImage=wide.bmp\nAction=0\n"
                               "[ButtonNarrowHidden]\nButtonImage=narrow.bmp\nAction=-1\n"
                               "Visibility=0\n"
                               "[ButtonGiven]\nButtonImage=narrow.bmp\nAction=11\nframe=2\n"
                               "[ButtonIcon]\nButtonImage=narrow.bmp\nAction=11\n"
                               "[ButtonIcon3]\nButtonImage=wide.bmp\nAction=3\n"
                               "[ButtonNoImage]\nAction=1\n"
                               "[ButtonEdge]\nButtonImage=edge.bmp\nAction=0\n"
                               "[ButtonPastEdge]\nButtonImage=pastedge.bmp\nAction=0\n",
                               {{"narrow.bmp", BmpFile(76, 21)},
                                {"wide.bmp", BmpFile(168, 21)},
                                {"edge.bmp", BmpFile(57, 15)},
                                {"pastedge.bmp", BmpFile(58, 15)}}));
    ASSERT_TRUE(Skin->SkinLoaded());
    auto Frames = [&](const char* Name) {
        auto* B = FindButton(*Skin, Name);
        EXPECT_NE(B, nullptr) << Name;
        return B ? B->FrameCount : -99;
    };
    EXPECT_EQ(Frames("BUTTONNARROW"), 3); // 76 / 21 = 3.6
    EXPECT_EQ(Frames("BUTTONWIDE"), 6);   // 168 / 21 = 8
    EXPECT_EQ(Frames("BUTTONNARROWHIDDEN"), 6);
    EXPECT_EQ(Frames("BUTTONGIVEN"), 2);
    EXPECT_EQ(Frames("BUTTONICON"), 3);
    EXPECT_EQ(Frames("BUTTONNOIMAGE"), 6);
    // Exactly 3.8 is still near-square, whatever precision the machine divides in.
    EXPECT_EQ(Frames("BUTTONEDGE"), 3);     // 57 / 15 = 3.8
    EXPECT_EQ(Frames("BUTTONPASTEDGE"), 6); // 58 / 15 = 3.87
    // Icon buttons lose their picture unless the skin gave the frame count itself.
    EXPECT_FALSE(FindButton(*Skin, "BUTTONGIVEN")->Bitmap.Empty());
    EXPECT_TRUE(FindButton(*Skin, "BUTTONICON")->Bitmap.Empty());
    EXPECT_TRUE(FindButton(*Skin, "BUTTONICON3")->Bitmap.Empty());
    EXPECT_FALSE(FindButton(*Skin, "BUTTONNARROW")->Bitmap.Empty());
}

TEST(SkinDataRules, ImageKeys) {
    auto Skin =
        Loaded(Payload("[Toolbars]\nImage=C:\\skins\\parts\\Tool.bmp\n"
                       "[Headerbar]\nImage=tool.BMP\n"
                       "[MenuItem]\nImage=tool.png\n"
                       "[MenuBackground]\nImage=missing.bmp\n"
                       "[Scrollbar]\nImage=broken.bmp\n"
                       "[StatusBarEdges]\nImage=folder/tool.bmp\n"
                       "[GroupBoxEdge]\nLeftWidth=3\n",
                       {{"tool.bmp", BmpFile(12, 7)}, {"broken.bmp", TBytes{'B', 'M', 1, 2, 3}}}));
    ASSERT_TRUE(Skin->SkinLoaded());
    ASSERT_NE(Skin->Toolbars, nullptr);
    EXPECT_EQ(Skin->Toolbars->Bitmap.Width(), 12); // only the name after the last folder
    ASSERT_NE(Skin->StatusBarEdges, nullptr);
    EXPECT_EQ(Skin->StatusBarEdges->Bitmap.Width(), 12);
    // A key is there but gives no picture: the object exists with an empty image.
    for (auto* O : {Skin->Headerbar.get(), Skin->MenuItem.get(), Skin->MenuBackground.get(),
                    Skin->Scrollbar.get()}) {
        ASSERT_NE(O, nullptr);
        EXPECT_TRUE(O->Bitmap.Empty()) << O->Name;
    }
    // No image key: no object.
    EXPECT_EQ(Skin->GroupBoxEdge, nullptr);
    EXPECT_EQ(Skin->SunkEdge, nullptr);
}

TEST(SkinDataRules, PlainObjectFields) {
    auto Skin = Loaded(Payload("[Toolbars]\nImage=a.bmp\nTile=2\nStyle=7\nTrans=1\n"
                               "NormalColour=5\nPressedColour2=1 2 3\n"
                               "[Progress]\nBitmap=a.bmp\nChunk=b.bmp\nStyle=1\nTile=1\n"
                               "[HorzScrollThumb]\nImage=a.bmp\nFrameCount=7\n"
                               "[UpDown.Vert]\nImage=a.bmp\nGlyphImage=b.bmp\n"
                               "[Colours]\nButtonText=9 9 9\n"
                               "[Buttons]\nRadioButton=r16.bmp\nCheckButton=c13.bmp\n"
                               "MouseOverColour2=4 5 6\n",
                               {{"a.bmp", BmpFile(10, 10)},
                                {"b.bmp", BmpFile(3, 4)},
                                {"r16.bmp", BmpFile(96, 16)},
                                {"c13.bmp", BmpFile(30, 13)}}));
    ASSERT_TRUE(Skin->SkinLoaded());
    const TDataSkinObject& T = *Skin->Toolbars;
    EXPECT_EQ(T.Tile, 0); // only 0 and 1 are tile settings
    EXPECT_EQ(T.Style, 7);
    EXPECT_EQ(T.Trans, 1);
    EXPECT_EQ(T.NormalColour, 5);
    EXPECT_EQ(T.MouseOverColour, -1);
    EXPECT_EQ(T.PressedColour2, 0x030201);
    EXPECT_EQ(T.NormalColour2, 0x090909); // the button text colour

    ASSERT_NE(Skin->Progress, nullptr);
    EXPECT_EQ(Skin->Progress->ExtraBitmap.Width(), 3);
    EXPECT_EQ(Skin->Progress->Style, 1);
    EXPECT_EQ(Skin->Progress->Tile, 1);
    EXPECT_EQ(Skin->HorzScrollThumb->FrameCount, 7);
    ASSERT_NE(Skin->UpDownVert, nullptr);
    EXPECT_EQ(Skin->UpDownVert->ExtraBitmap.Height(), 4);
    EXPECT_EQ(Skin->UpDownVert->FrameCount, 8);
    EXPECT_EQ(Skin->UpDownHorz, nullptr);

    const TDataSkinButton& B = *Skin->Buttons;
    EXPECT_EQ(B.RadioFrameCount, 6); // 96 / 16
    EXPECT_EQ(B.CheckFrameCount, 4); // 30 / 13 = 2, raised to the four states
    EXPECT_TRUE(B.HasMouseOverColour2);
    EXPECT_FALSE(B.HasPressedColour2);
    EXPECT_EQ(B.MouseOverColour2, 0x060504);
    EXPECT_EQ(B.PressedColour2, 0x090909);
}

TEST(SkinDataRules, ColourDefaultsAndTexts) {
    auto Skin = Loaded(Payload("[Colours]\nButtonFace=1 2 3\nHilight=none\nMenu=0 0 0\n"
                               "[Personality]\nActiveTextR=1\nActiveTextG=2\n"
                               "InActiveTextR=300\nInActiveTextG=0\nInActiveTextB=1\n"));
    ASSERT_TRUE(Skin->SkinLoaded());
    EXPECT_EQ(Skin->ButtonFace, 0x030201);
    EXPECT_EQ(Skin->Menubar, 0x030201);
    EXPECT_EQ(Skin->Hilight, 0);
    EXPECT_EQ(Skin->Menu, 0);
    // Left out: the system colours, the light colour being the button highlight.
    EXPECT_EQ(Skin->Buttonlight, clBtnHighlight);
    EXPECT_EQ(Skin->ButtonDkShadow, cl3DDkShadow);
    EXPECT_EQ(Skin->ScrollbarColour, clScrollBar);
    EXPECT_EQ(Skin->TitleTextNoActive, clInactiveCaptionText);
    // Caption text colours need all three parts.
    EXPECT_EQ(Skin->Title->ActiveTextColour, clNone);
    EXPECT_EQ(Skin->Title->InactiveTextColour, 0x01002C); // 300 mod 256 = 44
    EXPECT_EQ(Skin->Title->FontHeight, 14);
}

TEST(SkinDataRules, RefusedDamagedAndEmptyStoredSkins) {
    TMessageTrap Trap;
    // An archive of another version: the user is told, and no skin counts as loaded.
    TBytes Archive = BuildArchive({{"skin.ini", TBytes{'x'}}});
    Archive[0] = 0x1F; // version 19999
    TBytes Old = MakePayload(MakeSkinFile(Archive));
    auto Skin = Loaded(Payload("[Toolbars]\nImage=a.bmp\n", {{"a.bmp", BmpFile(4, 4)}}));
    ASSERT_TRUE(Skin->SkinLoaded());
    Skin->SetSkinStream(Old);
    EXPECT_FALSE(Skin->SkinLoaded());
    ASSERT_EQ(Trap.Messages.size(), 1u);
    EXPECT_EQ(Trap.Messages[0], L"This is Older Skin File\rPlease update to new version !");
    EXPECT_FALSE(Skin->LoadSkin());
    EXPECT_EQ(Trap.Messages.size(), 2u);

    // A skin file too short for its size field: refused without a message.
    Skin->SetSkinStream(TBytes{3, 0, 0, 0, 1, 2, 3});
    EXPECT_FALSE(Skin->SkinLoaded());
    EXPECT_EQ(Trap.Messages.size(), 2u);

    // Stored forms that cannot be right are errors; a zero length holds no skin.
    EXPECT_THROW(Skin->SetSkinStream(TBytes{1, 2}), Exception);
    EXPECT_THROW(Skin->SetSkinStream(TBytes{9, 0, 0, 0, 1}), Exception);
    Skin->SetSkinStream(TBytes{0, 0, 0, 0});
    EXPECT_EQ(Skin->SkinFileData().Size(), 0u);
    EXPECT_EQ(Skin->SkinStream(), (TBytes{0, 0, 0, 0}));
}

TEST(SkinDataRules, ADamagedStoredSkinInADescriptionNamesTheLine) {
    TComponent Root(nullptr);
    try {
        ReadComponentText(Root, std::string_view("object Root: TComponent\n"
                                                 "  object SkinData1: TSkinData\n"
                                                 "    SkinStream = {05000000AA}\n"
                                                 "  end\n"
                                                 "end\n"));
        FAIL() << "no error";
    } catch (const EReadError& E) {
        EXPECT_EQ(E.Line(), 3);
    }
    EXPECT_EQ(Root.ComponentCount(), 0);
}

TEST(SkinDataRules, SkinFileOnDisk) {
    TBytes Stored = Payload("[Toolbars]\nImage=a.bmp\n", {{"a.bmp", BmpFile(5, 6)}});
    wchar_t Dir[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, Dir), 0u);
    const std::wstring Path = std::wstring(Dir) + L"skindata_test.skin";
    {
        TKernelHandle File(CreateFileW(Path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(File);
        DWORD Done = 0;
        ASSERT_TRUE(WriteFile(File, Stored.data() + 4, static_cast<DWORD>(Stored.size() - 4), &Done,
                              nullptr));
    }
    TSkinData Skin(nullptr);
    Skin.SetSkinFile(Path);
    DeleteFileW(Path.c_str());
    EXPECT_EQ(Skin.SkinFile(), Path);
    ASSERT_TRUE(Skin.SkinLoaded());
    ASSERT_NE(Skin.Toolbars, nullptr);
    EXPECT_EQ(Skin.Toolbars->Bitmap.Height(), 6);

    // A missing file keeps the objects but no skin counts as loaded.
    Skin.SetSkinFile(Path + L".missing");
    EXPECT_FALSE(Skin.SkinLoaded());
    EXPECT_NE(Skin.Toolbars, nullptr);
}

TEST(SkinDataRules, LoadedTurnsActiveOffWithoutSkinAndTrimsSkinControls) {
    TSkinData Alone(nullptr);
    Alone.SetActive(true); // no skin: stays on, nothing else happens
    EXPECT_TRUE(Alone.Active());

    struct TCase {
        const char* Body;
        bool Active;
        bool MenuItem, SystemMenu;
    };
    const TCase Cases[] = {
        {"Active = True\n SkinControls = [xcMainMenu, xcMenuItem, xcSystemMenu]\n", false, false,
         true},
        {"Active = True\n SkinControls = [xcMenuItem, xcSystemMenu]\n", false, true, false},
        {"Active = True\n SkinFormtype = sfDialog\n"
         " SkinControls = [xcMenuItem, xcSystemMenu]\n",
         true, true, true},
    };
    for (const TCase& C : Cases) {
        TComponent Root(nullptr);
        ReadComponentText(Root, "object Root: TComponent\n object S: TSkinData\n " +
                                    std::string(C.Body) + " end\nend\n");
        auto* S = dynamic_cast<TSkinData*>(Root.FindComponent(L"S"));
        ASSERT_NE(S, nullptr);
        EXPECT_EQ(S->Active(), C.Active) << C.Body;
        EXPECT_EQ(S->SkinControls().Contains(xcMenuItem), C.MenuItem) << C.Body;
        EXPECT_EQ(S->SkinControls().Contains(xcSystemMenu), C.SystemMenu) << C.Body;
    }
}
