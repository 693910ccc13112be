// Our default skin as the engine reads it: every value the skin objects take from it.
#include "SkinColour.h"
#include "SkinRead.h"
#include "WinSkinIni.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

std::vector<std::uint8_t> ReadFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
}

struct TBmp {
    int Width = 0, Height = 0, Bits = 0;
};

class DefaultSkin : public ::testing::Test {
  protected:
    void SetUp() override {
        TSkinStream skin(ReadFile(DIALER_SKIN_FILE));
        ASSERT_GT(skin.Size(), 4u) << DIALER_SKIN_FILE;
        ASSERT_TRUE(Reader.ReadArchive(skin)) << Reader.ErrorText();
        TSkinStream entry;
        ASSERT_TRUE(Reader.FindEntry(".ini", entry, DescriptionName));
        Ini.LoadFromStream(&entry);
        Ini.ReadSections(SectionList);
    }

    // The picture an image key names, as the engine loads it; Width 0 when there is none.
    TBmp Image(const std::string& section, const std::string& key) {
        std::string value = Ini.ReadString(section, key, "");
        std::string name = value.substr(value.find_last_of("\\/") + 1);
        if (name.size() < 4 || name.substr(name.size() - 4) != ".bmp") return {};
        TSkinStream entry;
        if (!Reader.GetEntry(name, entry)) {
            ADD_FAILURE() << section << "." << key << " names a missing entry " << name;
            return {};
        }
        const std::vector<std::uint8_t>& b = entry.Bytes();
        auto le = [&](std::size_t at, int n) {
            std::uint32_t v = 0;
            for (int i = n - 1; i >= 0; --i)
                v = v << 8 | b[at + i];
            return v;
        };
        if (b.size() < 54 || b[0] != 'B' || b[1] != 'M' || le(2, 4) != b.size()) {
            ADD_FAILURE() << name << " is not a whole BMP file";
            return {};
        }
        return {static_cast<int>(le(18, 4)), static_cast<int>(le(22, 4)),
                static_cast<int>(le(28, 2))};
    }

    int Int(const std::string& section, const std::string& key, int fallback = 0) {
        return Ini.ReadInteger(section, key, fallback);
    }

    void ExpectImage(const std::string& section, const std::string& key, int w, int h) {
        TBmp bmp = Image(section, key);
        EXPECT_EQ(bmp.Width, w) << section << "." << key;
        EXPECT_EQ(bmp.Height, h) << section << "." << key;
        EXPECT_EQ(bmp.Bits, 24) << section << "." << key;
    }

    // LeftWidth, TopHeight, RightWidth, BottomHeight with the readers' default 0.
    void ExpectMargins(const std::string& section, int left, int top, int right, int bottom) {
        EXPECT_EQ(Int(section, "LeftWidth"), left) << section;
        EXPECT_EQ(Int(section, "TopHeight"), top) << section;
        EXPECT_EQ(Int(section, "RightWidth"), right) << section;
        EXPECT_EQ(Int(section, "BottomHeight"), bottom) << section;
    }

    TSkinReader Reader;
    TQuickIni Ini;
    std::string DescriptionName;
    std::vector<std::string> SectionList;
};

TEST_F(DefaultSkin, ArchiveAndStoredForm) {
    EXPECT_EQ(Reader.Header().Version, 20000);
    EXPECT_EQ(DescriptionName, "skin.ini");
    // The stored form is the skin file with its length in front.
    std::vector<std::uint8_t> skin = ReadFile(DIALER_SKIN_FILE);
    std::vector<std::uint8_t> payload = ReadFile(DIALER_SKIN_PAYLOAD);
    ASSERT_EQ(payload.size(), skin.size() + 4);
    EXPECT_EQ(payload[0] | payload[1] << 8 | payload[2] << 16 | payload[3] << 24,
              static_cast<int>(skin.size()));
    EXPECT_TRUE(std::equal(skin.begin(), skin.end(), payload.begin() + 4));
}

TEST_F(DefaultSkin, FrameEdgesAndTitle) {
    ExpectImage("Personality", "Top", 60, 58);
    ExpectImage("Personality", "Bottom", 43, 6);
    ExpectImage("Personality", "Left", 6, 63);
    ExpectImage("Personality", "Right", 6, 63);
    const struct {
        const char* Edge;
        int Fixed1, Fixed2;
    } edges[] = {{"Top", 25, 32}, {"Bottom", 2, 2}, {"Left", 30, 3}, {"Right", 30, 3}};
    for (const auto& e : edges) {
        std::string edge = e.Edge;
        EXPECT_EQ(Int("Personality", edge + "TopHeight"), e.Fixed1) << edge;
        EXPECT_EQ(Int("Personality", edge + "BotHeight"), e.Fixed2) << edge;
        EXPECT_EQ(Int("Personality", edge + "Frame", 1), 2) << edge;
        EXPECT_EQ(Int("Personality", edge + "Stretch", 1), 1) << edge;
    }
    EXPECT_EQ(Image("Personality", "TextBack").Width, 0);
    EXPECT_EQ(Int("Personality", "TextShift"), 22);
    EXPECT_EQ(Int("Personality", "TextShiftVert"), 2);
    EXPECT_EQ(Int("Personality", "TextRightClip"), 76);
    EXPECT_EQ(Int("Personality", "TextAlignment"), 0);
    EXPECT_EQ(Int("Fonts", "FontHeight", 14), 16);
    for (auto [key, want] : {std::pair{"ActiveTextR", 14},
                             {"ActiveTextG", 16},
                             {"ActiveTextB", 16},
                             {"InActiveTextR", 162},
                             {"InActiveTextG", 161},
                             {"InActiveTextB", 161}})
        EXPECT_EQ(Int("Personality", key, -1), want) << key;
    ExpectImage("Personality", "menuBar", 20, 22);
    EXPECT_EQ(Int("Personality", "TileMenu"), 1);
    EXPECT_EQ(Int("Personality", "TileLeftMenu", 1), 5);
    EXPECT_EQ(Int("Personality", "TileRightMenu", 1), 5);
}

TEST_F(DefaultSkin, CaptionButtons) {
    // Sections named Button..., but not the control sections, and not hidden ones.
    std::vector<std::string> kept;
    for (const std::string& s : SectionList) {
        std::string upper = s;
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (upper.rfind("BUTTON", 0) != 0 || upper == "BUTTON" || upper == "BUTTONS" ||
            upper == "BUTTON.RADIO" || upper == "BUTTON.CHECKBOX")
            continue;
        if (Int(s, "Action") == -1 && Int(s, "Visibility", -1) != 0) continue;
        kept.push_back(upper);
    }
    EXPECT_EQ(kept, (std::vector<std::string>{"BUTTON0", "BUTTON3", "BUTTON6", "BUTTON7", "BUTTON9",
                                              "BUTTON10", "BUTTON16"}));
    const struct {
        const char* Section;
        int Action, Align, X, Y, Visibility, Visibility1;
        bool Image;
    } buttons[] = {{"Button0", 0, 1, 25, 5, 0, 0, true},  {"Button3", 1, 1, 49, 5, 2, 6, true},
                   {"Button6", 1, 1, 49, 5, 1, 0, true},  {"Button7", 1, 1, 49, 5, -1, 4, true},
                   {"Button9", 2, 1, 73, 5, 8, 0, true},  {"Button10", 2, 1, 73, 5, -1, 8, true},
                   {"Button16", 11, 0, 7, 7, 0, 0, false}};
    for (const auto& b : buttons) {
        SCOPED_TRACE(b.Section);
        EXPECT_EQ(Int(b.Section, "Action"), b.Action);
        EXPECT_EQ(Int(b.Section, "Align"), b.Align);
        EXPECT_EQ(Int(b.Section, "Xcoord"), b.X);
        EXPECT_EQ(Int(b.Section, "Ycoord"), b.Y);
        EXPECT_EQ(Int(b.Section, "Visibility"), b.Visibility);
        EXPECT_EQ(Int(b.Section, "Visibility1", b.Action == -1 ? -1 : 0), b.Visibility1);
        EXPECT_EQ(Int(b.Section, "frame"), 0);
        if (b.Image) {
            ExpectImage(b.Section, "ButtonImage", 126, 21);
            TBmp bmp = Image(b.Section, "ButtonImage");
            // Without a frame key: 3 frames up to a width/height ratio of 3.8, else 6.
            EXPECT_GT(double(bmp.Width) / bmp.Height, 3.8);
        } else {
            EXPECT_EQ(Image(b.Section, "ButtonImage").Width, 0);
        }
    }
    TBmp mdi = Image("MDICONTROLS", "Image");
    EXPECT_EQ(mdi.Width, 180);
    EXPECT_EQ(mdi.Height, 15);
    EXPECT_EQ(mdi.Width / 12, 15);
}

TEST_F(DefaultSkin, ControlImagesAndValues) {
    ExpectImage("Buttons", "Bitmap", 90, 21);
    ExpectImage("Buttons", "CheckButton", 65, 13);
    ExpectImage("Buttons", "RadioButton", 65, 13);
    ExpectMargins("Buttons", 3, 3, 3, 3);
    EXPECT_EQ(Int("Buttons", "Tile"), 0);
    for (const char* key : {"NormalColour", "MouseOverColour", "PressedColour"})
        EXPECT_EQ(Int("Buttons", key, -1), 0) << key;
    // No frame keys: 65 wide glyph strips under 16 high give 65 / 13 = 5 frames.
    EXPECT_EQ(Int("Buttons", "CheckButtonFrame"), 0);
    EXPECT_EQ(Int("Buttons", "RadioButtonFrame"), 0);
    for (const char* key : {"NormalColour2", "MouseOverColour2", "PressedColour2"})
        EXPECT_EQ(Ini.ReadString("Buttons", key, ""), "") << key;

    ExpectImage("SunkEdge", "Image", 20, 21);
    ExpectMargins("SunkEdge", 2, 2, 2, 2);
    ExpectImage("ComboButton", "Image", 64, 18);
    ExpectMargins("ComboButton", 3, 5, 5, 5);
    EXPECT_EQ(Int("ComboButton", "Tile"), 0);
    ExpectImage("ExtraImages", "Image", 80, 16);
    EXPECT_EQ(Int("ExtraImages", "Trans"), 1);
    ExpectImage("Scrollbar", "Image", 391, 17);
    EXPECT_EQ(391 / 23, 17);
    ExpectMargins("Scrollbar", 5, 5, 5, 5);
    EXPECT_EQ(Int("Scrollbar", "Tile"), 0);
    EXPECT_EQ(Int("Scrollbar", "Trans"), 1);
    ExpectImage("HorzScroll", "Image", 68, 17);
    ExpectMargins("HorzScroll", 0, 1, 0, 1);
    ExpectImage("VertScroll", "Image", 68, 17);
    ExpectMargins("VertScroll", 1, 0, 1, 0);
    for (const char* s : {"HorzScroll", "VertScroll"}) {
        EXPECT_EQ(Int(s, "Tile"), 0);
        EXPECT_EQ(Int(s, "Trans"), 0);
        EXPECT_EQ(Int(s, "Style"), 0);
    }
    ExpectImage("HorzScrollThumb", "Image", 66, 15);
    ExpectImage("VertScrollThumb", "Image", 45, 22);
    for (const char* s : {"HorzScrollThumb", "VertScrollThumb"}) {
        ExpectMargins(s, 5, 5, 5, 5);
        EXPECT_EQ(Int(s, "Tile"), 0);
        EXPECT_EQ(Int(s, "FrameCount", 3), 3);
    }
    ExpectImage("Toolbars", "Image", 100, 23);
    ExpectMargins("Toolbars", 4, 4, 4, 4);
    ExpectImage("StatusBarEdges", "Image", 204, 15);
    ExpectMargins("StatusBarEdges", 50, 5, 17, 9);
    EXPECT_EQ(Int("StatusBarEdges", "Tile"), 1);
    ExpectImage("Headerbar", "Image", 90, 18);
    ExpectMargins("Headerbar", 8, 3, 8, 4);
    EXPECT_EQ(Int("Headerbar", "Tile"), 1);
    ExpectImage("Progress", "Bitmap", 36, 19);
    EXPECT_EQ(Ini.ReadString("Progress", "Chunk", ""), "");
    ExpectMargins("Progress", 4, 3, 5, 3);
    EXPECT_EQ(Int("Progress", "Tile"), 1);
    EXPECT_EQ(Int("Progress", "Trans"), 0);
    ExpectImage("Tabs", "Image", 90, 19);
    ExpectImage("Tabs", "Border", 48, 48);
    ExpectMargins("Tabs", 3, 4, 4, 2);
    EXPECT_EQ(Int("Tabs", "Tile"), 0);
    EXPECT_EQ(Int("Tabs", "Trans"), 0);
    ExpectImage("MenuItem", "Image", 150, 23);
    ExpectMargins("MenuItem", 10, 0, 5, 5);
    EXPECT_EQ(Int("MenuItem", "Tile"), 1);
    EXPECT_EQ(Int("MenuItem", "Trans"), 1);
    ExpectImage("MenuBackground", "Image", 40, 22);
    ExpectMargins("MenuBackground", 7, 2, 2, 2);
    EXPECT_EQ(Int("MenuBackground", "Tile"), 1);
    ExpectImage("GroupBox", "Image", 25, 13);
    ExpectMargins("GroupBox", 3, 3, 3, 3);
    EXPECT_EQ(Int("GroupBox", "BackgroundAlignment"), 1);
    EXPECT_EQ(Int("GroupBox", "BackgroundLeftShift"), -3);
    EXPECT_EQ(Int("GroupBox", "BackgroundRightShift"), -3);
    EXPECT_EQ(Int("GroupBox", "NormalColour", -1), 1);
    ExpectImage("GroupBoxEdge", "Image", 44, 20);
    ExpectMargins("GroupBoxEdge", 3, 9, 3, 3);
    EXPECT_EQ(Int("GroupBoxEdge", "Tile"), 1);
    ExpectImage("Trackbar.ThumbHorz", "Image", 55, 21);
    ExpectImage("Trackbar.ThumbVert", "Image", 105, 11);
    for (const char* s : {"UpDown.Horz", "UpDown.Vert", "Trackbar.ThumbLeft", "Trackbar.ThumbRight",
                          "Trackbar.ThumbUp", "Trackbar.ThumbDown"})
        EXPECT_EQ(Ini.ReadString(s, "Image", ""), "") << s << " stays empty";
}

TEST_F(DefaultSkin, Colours) {
    const struct {
        const char* Key;
        int R, G, B;
    } colours[] = {{"Scrollbar", 210, 232, 249},
                   {"Menu", 224, 226, 235},
                   {"ButtonFace", 224, 223, 227},
                   {"Hilight", 178, 180, 191},
                   {"HilightText", 255, 255, 255},
                   {"ButtonHilight", 255, 255, 255},
                   {"ButtonDkShadow", 113, 111, 100},
                   {"ButtonShadow", 157, 157, 161},
                   {"Buttonlight", 241, 239, 226},
                   {"TitleTextActive", 14, 16, 16},
                   {"TitleTextNoActive", 162, 161, 161},
                   {"WindowText", 0, 0, 0},
                   {"MenuText", 0, 0, 0},
                   {"ButtonText", 0, 0, 0},
                   {"MenuBarText", 0, 0, 0}};
    const std::int32_t unset = static_cast<std::int32_t>(0xFF000000u);
    for (const auto& c : colours)
        EXPECT_EQ(ParseColour(Ini.ReadString("Colours", c.Key, ""), unset),
                  c.R + c.G * 256 + c.B * 65536)
            << c.Key;
    EXPECT_EQ(Ini.ReadString("Colours", "Menubar", ""), "");
}

} // namespace
