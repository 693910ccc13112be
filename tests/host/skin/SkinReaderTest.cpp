#include "SkinTestUtil.h"

#include <gtest/gtest.h>

using namespace SkinTest;

namespace {

TArchiveBytes ThreeEntries(const std::string& names) {
    TArchiveBytes a;
    a.NameText = names;
    a.Sizes = {3, 0, 5};
    a.Data = Text("abc"
                  ""
                  "hello");
    return a;
}

bool Read(TSkinReader& reader, const TBytes& skin) {
    TSkinStream stream(skin);
    return reader.ReadArchive(stream);
}

std::string Entry(const TSkinReader& reader, const std::string& name) {
    TSkinStream out;
    reader.GetEntry(name, out);
    EXPECT_EQ(out.Position(), 0u);
    return AsText(out.Bytes());
}

TEST(SkinReader, NameTextLineBreaksOfEveryKind) {
    for (std::string names : {"One.bmp\r\nTwo.bmp\r\nskin.INI\r\n", "One.bmp\rTwo.bmp\rskin.INI",
                              "One.bmp\nTwo.bmp\nskin.INI\n", "One.bmp\r\nTwo.bmp\nskin.INI\r"}) {
        TSkinReader reader;
        ASSERT_TRUE(Read(reader, SkinFile(ThreeEntries(names).Build()))) << reader.ErrorText();
        EXPECT_EQ(reader.Count(), 3);
        EXPECT_EQ(reader.Names(), (std::vector<std::string>{"one.bmp", "two.bmp", "skin.ini"}));
        EXPECT_EQ(reader.Header().Version, 20000);
        EXPECT_EQ(reader.Header().Reserved[0], 0xA0);
        EXPECT_EQ(Entry(reader, "one.bmp"), "abc");
        EXPECT_EQ(Entry(reader, "TWO.BMP"), "");
        EXPECT_EQ(Entry(reader, "Skin.ini"), "hello");
    }
}

TEST(SkinReader, EmptyLinesInsideTheNameTextAreEntries) {
    TArchiveBytes a;
    a.NameText = "a\r\n\r\nb\n\rc\r\n";
    a.Sizes = {1, 1, 1, 1, 1};
    a.Data = Text("12345");
    TSkinReader reader;
    ASSERT_TRUE(Read(reader, SkinFile(a.Build())));
    EXPECT_EQ(reader.Names(), (std::vector<std::string>{"a", "", "b", "", "c"}));
    EXPECT_EQ(Entry(reader, "c"), "5");
}

TEST(SkinReader, FirstOfTwoEqualNamesWins) {
    TArchiveBytes a;
    a.NameText = "x.bmp\r\nDup.bmp\r\ndup.BMP\r\n";
    a.Sizes = {1, 2, 3};
    a.Data = Text("xfirstsecond");
    a.Data.resize(6);
    TSkinReader reader;
    ASSERT_TRUE(Read(reader, SkinFile(a.Build())));
    EXPECT_EQ(Entry(reader, "dup.bmp"), "fi");
    TSkinStream out;
    std::string name = "unchanged";
    ASSERT_TRUE(reader.FindEntry("dup", out, name));
    EXPECT_EQ(name, "dup.bmp");
    EXPECT_EQ(AsText(out.Bytes()), "fi");
}

TEST(SkinReader, FindEntryMatchesPartOfTheLowerCaseName) {
    TSkinReader reader;
    ASSERT_TRUE(Read(reader, SkinFile(ThreeEntries("a.bmp\r\nb.bmp\r\nDESCRIPTION.INI").Build())));
    TSkinStream out(Text("old contents"));
    std::string name;
    ASSERT_TRUE(reader.FindEntry(".ini", out, name));
    EXPECT_EQ(name, "description.ini");
    EXPECT_EQ(AsText(out.Bytes()), "hello");
    EXPECT_EQ(out.Position(), 0u);

    // The text itself is not lower-cased, and a miss leaves the name alone and empties the
    // destination.
    name = "kept";
    EXPECT_FALSE(reader.FindEntry(".INI", out, name));
    EXPECT_EQ(name, "kept");
    EXPECT_EQ(out.Size(), 0u);
    out.Write("x", 1);
    EXPECT_FALSE(reader.GetEntry("missing.bmp", out));
    EXPECT_EQ(out.Size(), 0u);
}

TEST(SkinReader, DataAfterTheLastEntryIsKept) {
    TArchiveBytes a = ThreeEntries("a\r\nb\r\nc\r\n");
    a.Data.insert(a.Data.end(), {'t', 'a', 'i', 'l'});
    TSkinReader reader;
    ASSERT_TRUE(Read(reader, SkinFile(a.Build())));
    EXPECT_EQ(AsText(reader.Data().Bytes()), "abchellotail");
    EXPECT_EQ(Entry(reader, "c"), "hello");
}

TEST(SkinReader, AtMost1001Entries) {
    for (int count : {1001, 1002}) {
        TArchiveBytes a;
        for (int i = 0; i < count; ++i) {
            a.NameText += 'e';
            a.NameText += std::to_string(i);
            a.NameText += ".bmp\r\n";
            a.Sizes.push_back(1);
            a.Data.push_back(static_cast<std::uint8_t>(i));
        }
        TSkinReader reader;
        bool ok = Read(reader, SkinFile(a.Build()));
        EXPECT_EQ(ok, count == 1001);
        if (ok) {
            EXPECT_EQ(reader.Count(), 1001);
            EXPECT_EQ(Entry(reader, "e1000.bmp"), std::string(1, static_cast<char>(1000 & 255)));
        } else {
            EXPECT_EQ(reader.Error(), TSkinError::TooManyEntries);
        }
    }
}

struct TRefusal {
    const char* What;
    TBytes Skin;
    TSkinError Error;
};

std::vector<TRefusal> Refusals() {
    std::vector<TRefusal> r;
    auto with = [](auto change) {
        TArchiveBytes a = ThreeEntries("a.bmp\r\nb.bmp\r\nc.ini\r\n");
        change(a);
        return SkinFile(a.Build());
    };
    r.push_back(
        {"older version", with([](TArchiveBytes& a) { a.Version = 19999; }), TSkinError::Version});
    r.push_back(
        {"newer version", with([](TArchiveBytes& a) { a.Version = 20001; }), TSkinError::Version});
    r.push_back({"empty archive", SkinFile({}), TSkinError::Version});
    r.push_back({"header cut short", SkinFile({0x20, 0x4E, 0, 0, 5, 0}), TSkinError::ShortHeader});
    r.push_back({"no size field", TBytes{1, 0, 0}, TSkinError::NoSizeField});
    r.push_back(
        {"negative archive size", SkinFile(TBytes(10, 1), 0x80000000), TSkinError::SizeOutOfRange});
    r.push_back({"archive size above the limit", SkinFile(TBytes(10, 1), (64 << 20) + 1),
                 TSkinError::SizeOutOfRange});
    r.push_back({"negative name length",
                 with([](TArchiveBytes& a) { a.NameLength = 0xFFFFFFFFLL; }),
                 TSkinError::NameText});
    r.push_back({"name text past the end", with([](TArchiveBytes& a) { a.NameLength = 1000; }),
                 TSkinError::NameText});
    r.push_back({"size table past the end", with([](TArchiveBytes& a) {
                     a.Sizes.resize(2);
                     a.Data.clear();
                 }),
                 TSkinError::SizeTable});
    r.push_back({"negative entry size", with([](TArchiveBytes& a) {
                     a.Sizes = {4, -1, 5};
                 }),
                 TSkinError::NegativeSize});
    r.push_back({"sizes past the data", with([](TArchiveBytes& a) {
                     a.Sizes = {3, 0, 6};
                 }),
                 TSkinError::DataShort});
    r.push_back({"sizes adding up past 32 bits", with([](TArchiveBytes& a) {
                     a.Sizes = {0x7FFFFFFF, 0x7FFFFFFF, 2};
                 }),
                 TSkinError::DataShort});
    return r;
}

TEST(SkinReader, RefusesBrokenArchivesAndHoldsNothing) {
    for (const TRefusal& refusal : Refusals()) {
        SCOPED_TRACE(refusal.What);
        TSkinReader reader;
        // A reader that held a good archive before forgets it.
        ASSERT_TRUE(Read(reader, SkinFile(ThreeEntries("a\r\nb\r\nc").Build())));
        EXPECT_FALSE(Read(reader, refusal.Skin));
        EXPECT_EQ(reader.Error(), refusal.Error);
        EXPECT_FALSE(reader.ErrorText().empty());
        EXPECT_EQ(reader.Count(), 0);
        EXPECT_EQ(reader.Data().Size(), 0u);
        TSkinStream out;
        std::string name = "kept";
        EXPECT_FALSE(reader.FindEntry("", out, name));
        EXPECT_EQ(name, "kept");
    }
}

TEST(SkinReader, VersionRefusalCarriesTheUserMessage) {
    TArchiveBytes a = ThreeEntries("a\r\nb\r\nc");
    a.Version = 10000;
    TSkinReader reader;
    EXPECT_FALSE(Read(reader, SkinFile(a.Build())));
    EXPECT_EQ(reader.ErrorText(), "This is Older Skin File\rPlease update to new version !");
    EXPECT_EQ(reader.Header().Version, 10000);
}

TEST(SkinReader, SizeLimitIsTheReadersChoice) {
    TBytes archive = ThreeEntries("a\r\nb\r\nc").Build();
    TSkinReader small(static_cast<std::uint32_t>(archive.size() - 1));
    EXPECT_FALSE(Read(small, SkinFile(archive)));
    EXPECT_EQ(small.Error(), TSkinError::SizeOutOfRange);
    TSkinReader exact(static_cast<std::uint32_t>(archive.size()));
    EXPECT_TRUE(Read(exact, SkinFile(archive)));
}

TEST(SkinReader, DecompressStartsBothStreamsAtTheirBeginning) {
    TBytes archive = ThreeEntries("a\r\nb\r\nc").Build();
    TSkinStream skin(SkinFile(archive));
    skin.Seek(7);
    TSkinStream dest(TBytes(500, 0xEE));
    dest.Seek(100);
    TSkinReader reader;
    ASSERT_TRUE(reader.Decompress(skin, dest));
    EXPECT_EQ(dest.Bytes(), archive);
    EXPECT_EQ(dest.Position(), 0u);
}

} // namespace
