#include "WinSkinIni.h"

#include <gtest/gtest.h>

namespace {

TQuickIni Load(const std::string& text) {
    TSkinStream stream(std::vector<std::uint8_t>(text.begin(), text.end()));
    TQuickIni ini;
    ini.LoadFromStream(&stream);
    return ini;
}

std::vector<std::string> Sections(const TQuickIni& ini) {
    std::vector<std::string> list{"stale"};
    ini.ReadSections(list);
    return list;
}

TEST(QuickIni, IntegersDecimalAndHexadecimal) {
    TQuickIni ini = Load("[N]\nneg=-1\nhex1=0x1F\nhex2=0X1F\nhex3=$1f\nshort=0x\nplus=+7\n"
                         "big=2147483647\nbigger=2147483648\nlow=-2147483648\nallbits=$FFFFFFFF\n"
                         "toolong=$100000000\nword=12a\nblank=\nspaced = 3   \t\nsign=-$1F\n"
                         "zerox=0x\n");
    EXPECT_EQ(ini.ReadInteger("N", "neg", 0), -1);
    EXPECT_EQ(ini.ReadInteger("N", "hex1", 0), 31);
    EXPECT_EQ(ini.ReadInteger("N", "hex2", 0), 31);
    EXPECT_EQ(ini.ReadInteger("N", "hex3", 0), 31);
    EXPECT_EQ(ini.ReadInteger("N", "short", 9), 9);
    EXPECT_EQ(ini.ReadInteger("N", "plus", 0), 7);
    EXPECT_EQ(ini.ReadInteger("N", "big", 0), 2147483647);
    EXPECT_EQ(ini.ReadInteger("N", "bigger", 5), 5);
    EXPECT_EQ(ini.ReadInteger("N", "low", 0), -2147483647 - 1);
    EXPECT_EQ(ini.ReadInteger("N", "allbits", 0), -1);
    EXPECT_EQ(ini.ReadInteger("N", "toolong", 4), 4);
    EXPECT_EQ(ini.ReadInteger("N", "word", 4), 4);
    EXPECT_EQ(ini.ReadInteger("N", "blank", 4), 4);
    EXPECT_EQ(ini.ReadInteger("N", "spaced", 0), 3);
    EXPECT_EQ(ini.ReadInteger("N", "sign", 4), 4);
    EXPECT_EQ(ini.ReadInteger("N", "missing", -8), -8);
    EXPECT_EQ(ini.ReadInteger("Nope", "neg", 6), 6);
}

TEST(QuickIni, SectionsAndKeysIgnoreAsciiCase) {
    TQuickIni ini = Load("[personality]\nTopHeight = 3  \nMiXeD=v\n[ Spaced ]\nk=1\n");
    EXPECT_EQ(ini.ReadString("Personality", "topheight", ""), "3");
    EXPECT_EQ(ini.ReadString("PERSONALITY", "mixed", ""), "v");
    EXPECT_EQ(ini.ReadString("personality", "MIXED", ""), "v");
    // Blanks inside the brackets belong to the header text.
    EXPECT_EQ(ini.SectionIndex("Spaced"), -1);
    EXPECT_EQ(ini.SectionIndex(" Spaced "), 3);
    EXPECT_EQ(ini.ReadString(" spaced ", "k", ""), "1");
    EXPECT_EQ(Sections(ini), (std::vector<std::string>{"personality", "Spaced"}));
}

TEST(QuickIni, KeptAndDroppedLines) {
    TQuickIni ini = Load("orphan=1\n\n  ; comment\n[S]\n   \n;a=2\n#a=3\na=4\n  [T]  \nb = x = y\n"
                         "noequals\n=lonely\n");
    EXPECT_EQ(ini.Lines(), (std::vector<std::string>{"orphan=1", "[S]", "#a=3", "a=4", "[T]",
                                                     "b = x = y", "noequals", "=lonely"}));
    EXPECT_EQ(ini.SectionIndex("S"), 1);
    EXPECT_EQ(ini.SectionIndex("t"), 4);
    EXPECT_EQ(ini.ReadString("S", "a", "d"), "4");
    EXPECT_EQ(ini.ReadString("S", "#a", "d"), "3");
    EXPECT_EQ(ini.ReadString("T", "b", "d"), "x = y");
    // A line without "=" and one starting with it both have the empty key and no value.
    EXPECT_EQ(ini.ReadString("T", "", "d"), "d");
    EXPECT_EQ(ini.ReadString("T", "noequals", "d"), "d");
}

TEST(QuickIni, FirstLineOfAKeyDecidesEvenWhenEmpty) {
    TQuickIni ini = Load("[S]\nk=\nk=late\nj=first\nj=second\n[S]\nm=in second\n");
    EXPECT_EQ(ini.ReadString("S", "k", "default"), "default");
    EXPECT_EQ(ini.ReadString("S", "j", ""), "first");
    // Only the first of two equal sections is searched; both are listed.
    EXPECT_EQ(ini.ReadString("s", "m", "none"), "none");
    EXPECT_EQ(Sections(ini), (std::vector<std::string>{"S", "S"}));
}

TEST(QuickIni, LineBreaksOfEveryKindGiveTheSameLines) {
    TQuickIni crlf = Load("[A]\r\nx=1\r\ny=2\r\n");
    for (std::string text : {"[A]\rx=1\ry=2", "[A]\nx=1\ny=2\n", "[A]\r\nx=1\ny=2\r"}) {
        EXPECT_EQ(Load(text).Lines(), crlf.Lines()) << text;
    }
    EXPECT_EQ(crlf.Lines().size(), 3u);
}

TEST(QuickIni, NulEndsTheText) {
    std::string text = "[A]\nx=1";
    text += '\0';
    text += "\ny=2\n";
    TQuickIni ini = Load(text);
    EXPECT_EQ(ini.Lines(), (std::vector<std::string>{"[A]", "x=1"}));
    EXPECT_EQ(ini.ReadString("A", "y", "gone"), "gone");
}

TEST(QuickIni, HeaderNeedsBothBrackets) {
    TQuickIni ini = Load("[A]\n[\nx=1\n]\n[B\ny=2\n[]\nz=3\n");
    EXPECT_EQ(ini.ReadString("A", "x", ""), "1");
    EXPECT_EQ(ini.ReadString("A", "y", ""), "2");
    EXPECT_EQ(ini.ReadString("", "z", ""), "3");
    EXPECT_EQ(Sections(ini), (std::vector<std::string>{"A", ""}));
}

TEST(QuickIni, BytesAboveAsciiAreText) {
    TQuickIni ini = Load("[\xC6\xA4\xB7\xF4]\n\xC3\xFB=\xD6\xB5\xA0\n");
    EXPECT_EQ(ini.ReadString("\xC6\xA4\xB7\xF4", "\xC3\xFB", ""), "\xD6\xB5\xA0");
}

TEST(QuickIni, ReadsFromTheStreamPositionAndKeepsStateWithoutStream) {
    std::string text = "[Skip]\na=1\n[Kept]\nb=2\n";
    TSkinStream stream(std::vector<std::uint8_t>(text.begin(), text.end()));
    stream.Seek(text.find("[Kept]"));
    TQuickIni ini;
    ini.LoadFromStream(&stream);
    EXPECT_EQ(ini.SectionIndex("Skip"), -1);
    EXPECT_EQ(ini.ReadString("Kept", "b", ""), "2");
    ini.LoadFromStream(nullptr);
    EXPECT_EQ(ini.ReadString("Kept", "b", ""), "2");
    TSkinStream empty;
    ini.LoadFromStream(&empty);
    EXPECT_TRUE(ini.Lines().empty());
    EXPECT_EQ(ini.ReadString("Kept", "b", "d"), "d");
}

} // namespace
