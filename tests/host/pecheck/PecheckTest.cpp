#include "LinkMap.h"
#include "PeFile.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace pecheck;

TEST(LinkMap, SumsKeptInputSectionsByFileAndKind) {
    std::istringstream map(
        "Discarded input sections\n"
        " .text$_ZN4Gone3RunEv\n"
        "                0x00000000       0x40 ui/libui.a(Gone.cpp.obj)\n"
        "\n"
        "Linker script and memory map\n"
        ".text           0x00401000     0x2000\n"
        " *(.text)\n"
        " .text          0x00401000      0x100 /usr/lib/gcc/crt2.o\n"
        " .text          0x00401100      0x200 ui/libui.a(Controls.cpp.obj)\n"
        "                0x00401100                _Something\n"
        " .text$_ZN8TControl12LongFunctionNameEv\n"
        "                0x00401300       0x80 ui/libui.a(Controls.cpp.obj)\n"
        " *fill*         0x00401380        0x4 \n"
        " .rdata         0x00402000       0x30 skin/libskin_win.a(WinSubEdit.cpp.obj)\n"
        " .eh_frame      0x00403000       0x18 ui/libui.a(Controls.cpp.obj)\n"
        " .gcc_except_table\n"
        "                0x00403100        0x8 ui/libui.a(Forms.cpp.obj)\n"
        " .debug_info    0x00000000     0x9999 ui/libui.a(Controls.cpp.obj)\n"
        " .data          0x00404000       0x10 app/CMakeFiles/dialer.dir/main.cpp.obj\n");
    const LinkMap m = ReadLinkMap(map);
    const Contribution& controls = m.byFile.at("libui.a(Controls.cpp.obj)");
    EXPECT_EQ(controls.bytes[static_cast<int>(Kind::Code)], 0x280u);
    EXPECT_EQ(controls.bytes[static_cast<int>(Kind::Unwind)], 0x18u);
    EXPECT_EQ(controls.Total(), 0x298u) << "debugging sections are not shipped";
    EXPECT_EQ(m.byFile.count("libui.a(Gone.cpp.obj)"), 0u) << "discarded sections are not in";
    EXPECT_EQ(m.byLibrary.at("libui.a").Total(), 0x298u + 0x8u);
    EXPECT_EQ(m.byLibrary.at("crt2.o").Total(), 0x100u);
    EXPECT_EQ(m.byLibrary.at("libskin_win.a").bytes[static_cast<int>(Kind::ReadOnly)], 0x30u);
    EXPECT_EQ(m.byLibrary.at("main.cpp.obj").bytes[static_cast<int>(Kind::Data)], 0x10u);
}

namespace {

// A version resource block: length, value length, type, key, padding, value, children.
void Block(std::vector<uint8_t>& out, const std::u16string& key, const std::vector<uint8_t>& value,
           uint16_t valueLength, bool text, const std::vector<uint8_t>& children) {
    std::vector<uint8_t> b(6);
    for (char16_t c : key + u'\0') {
        b.push_back(static_cast<uint8_t>(c));
        b.push_back(static_cast<uint8_t>(c >> 8));
    }
    while (b.size() % 4)
        b.push_back(0);
    b.insert(b.end(), value.begin(), value.end());
    while (b.size() % 4)
        b.push_back(0);
    b.insert(b.end(), children.begin(), children.end());
    b[0] = static_cast<uint8_t>(b.size());
    b[1] = static_cast<uint8_t>(b.size() >> 8);
    b[2] = static_cast<uint8_t>(valueLength);
    b[4] = text ? 1 : 0;
    out.insert(out.end(), b.begin(), b.end());
    while (out.size() % 4)
        out.push_back(0);
}

std::vector<uint8_t> Utf16Value(const std::u16string& text) {
    std::vector<uint8_t> v;
    for (char16_t c : text + u'\0') {
        v.push_back(static_cast<uint8_t>(c));
        v.push_back(static_cast<uint8_t>(c >> 8));
    }
    return v;
}

} // namespace

TEST(VersionResource, FixedVersionAndStringsAreRead) {
    std::vector<uint8_t> strings, table, fileInfo, root;
    Block(strings, u"FileVersion", Utf16Value(u"1.5B"), 5, true, {});
    Block(strings, u"ProductName", Utf16Value(u"\u7535\u8111\u62E8\u53F7"), 5, true, {});
    Block(table, u"080404B0", {}, 0, true, strings);
    Block(fileInfo, u"StringFileInfo", {}, 0, true, table);
    std::vector<uint8_t> fixed(52, 0);
    const uint8_t head[16] = {0xBD, 0x04, 0xEF, 0xFE, 0, 0, 1, 0, 5, 0, 1, 0, 0, 0, 2, 0};
    std::copy(head, head + 16, fixed.begin()); // 1.5.2.0: MS = 1,5 then LS = 2,0
    Block(root, u"VS_VERSION_INFO", fixed, 52, false, fileInfo);

    EXPECT_EQ(FixedFileVersion(root), "1.5.2.0");
    EXPECT_EQ(VersionString(root, u"FileVersion"), std::u16string(u"1.5B"));
    EXPECT_EQ(VersionString(root, u"ProductName"), std::u16string(u"\u7535\u8111\u62E8\u53F7"));
    EXPECT_FALSE(VersionString(root, u"CompanyName").has_value());
    EXPECT_EQ(FixedFileVersion({1, 2, 3}), "");
}

TEST(PeFile, RefusesWhatIsNoProgram) {
    std::string error;
    EXPECT_FALSE(ParsePeFile({'M', 'Z', 0, 0}, error).has_value());
    EXPECT_FALSE(ParsePeFile({'E', 'L', 'F'}, error).has_value());
    EXPECT_EQ(error, "not an MZ file");
}
