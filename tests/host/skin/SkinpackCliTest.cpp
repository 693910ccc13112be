// skinpack as people call it: its files, its printed lines and its exit codes.
#include "SkinPack.h"
#include "SkinTestUtil.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>

using namespace SkinTest;
namespace fs = std::filesystem;

namespace {

struct TResult {
    int Code;
    std::string Out, Err;
};

class Skinpack : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/skinpack-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        Dir = pattern;
    }
    void TearDown() override { fs::remove_all(Dir); }

    std::string Path(const std::string& name) const { return (Dir / name).string(); }

    std::string Write(const std::string& name, const TBytes& bytes) const {
        std::ofstream(Path(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return Path(name);
    }

    TBytes Load(const std::string& name) const {
        std::ifstream in(Path(name), std::ios::binary);
        return TBytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

    TResult Run(const std::string& args) const {
        std::string command = std::string(SKINPACK) + " " + args + " >" + Path("stdout") + " 2>" +
                              Path("stderr") + " </dev/null";
        int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, AsText(Load("stdout")),
                AsText(Load("stderr"))};
    }

    // A small skin: a description with upper-case extension and two pictures.
    void MakeFiles() {
        Write("Skin.INI", Text("[Colours]\r\nScrollbar = 210 232 249\r\n[Personality]\r\n"
                               "TopHeight=0x1F\r\nName = a = b\r\n[Personality]\r\nLate=1\r\n"));
        Write("Top.bmp", RandomBytes(3000, 1));
        Write("dup.bmp", Text("first"));
        fs::create_directory(Dir / "sub");
        Write("sub/dup.bmp", Text("second"));
    }

    fs::path Dir;
};

TEST_F(Skinpack, PackListDecodeExtract) {
    MakeFiles();
    TResult r = Run("pack " + Path("s.skin") + " " + Path("Skin.INI") + " " + Path("Top.bmp") +
                    " " + Path("dup.bmp") + " " + Path("sub/dup.bmp"));
    ASSERT_EQ(r.Code, 0) << r.Err;

    r = Run("list " + Path("s.skin"));
    EXPECT_EQ(r.Code, 0);
    EXPECT_EQ(r.Out, "skin.ini " + std::to_string(Load("Skin.INI").size()) +
                         "\ntop.bmp 3000\ndup.bmp 5\ndup.bmp 6\n");

    // decode writes exactly the archive: names as given, sizes, data in order.
    ASSERT_EQ(Run("decode " + Path("s.skin") + " " + Path("archive")).Code, 0);
    std::vector<TPackEntry> entries = {{"Skin.INI", Load("Skin.INI")},
                                       {"Top.bmp", Load("Top.bmp")},
                                       {"dup.bmp", Text("first")},
                                       {"dup.bmp", Text("second")}};
    EXPECT_EQ(Load("archive"), BuildArchive(entries));

    ASSERT_EQ(Run("extract " + Path("s.skin") + " TOP.BMP " + Path("top.out")).Code, 0);
    EXPECT_EQ(Load("top.out"), Load("Top.bmp"));
    ASSERT_EQ(Run("extract " + Path("s.skin") + " dup.bmp " + Path("dup.out")).Code, 0);
    EXPECT_EQ(AsText(Load("dup.out")), "first");
    r = Run("extract " + Path("s.skin") + " none.bmp " + Path("none.out"));
    EXPECT_EQ(r.Code, 2);
    EXPECT_NE(r.Err.find("none.bmp"), std::string::npos);
}

TEST_F(Skinpack, DescriptionQueries) {
    MakeFiles();
    ASSERT_EQ(Run("pack " + Path("s.skin") + " " + Path("Top.bmp") + " " + Path("Skin.INI")).Code,
              0);
    std::string skin = Path("s.skin");
    EXPECT_EQ(Run("ini " + skin + " colours scrollbar").Out, "210 232 249\n");
    EXPECT_EQ(Run("ini " + skin + " Personality name").Out, "a = b\n");
    EXPECT_EQ(Run("ini " + skin + " Personality Late").Out, "\n");
    EXPECT_EQ(Run("ini " + skin + " Personality Late fallback").Out, "fallback\n");
    EXPECT_EQ(Run("int " + skin + " Personality TopHeight 0").Out, "31\n");
    EXPECT_EQ(Run("int " + skin + " Personality Name -5").Out, "-5\n");
    EXPECT_EQ(Run("int " + skin + " Personality Missing '$10'").Out, "16\n");
    TResult r = Run("sections " + skin);
    EXPECT_EQ(r.Code, 0);
    EXPECT_EQ(r.Out, "Colours\nPersonality\nPersonality\n");
}

TEST_F(Skinpack, StoredPropertyForm) {
    MakeFiles();
    ASSERT_EQ(
        Run("pack --payload " + Path("p.bin") + " " + Path("Skin.INI") + " " + Path("Top.bmp"))
            .Code,
        0);
    ASSERT_EQ(Run("pack " + Path("s.skin") + " " + Path("Skin.INI") + " " + Path("Top.bmp")).Code,
              0);
    TBytes payload = Load("p.bin"), skin = Load("s.skin");
    ASSERT_EQ(payload.size(), skin.size() + 4);
    EXPECT_TRUE(std::equal(skin.begin(), skin.end(), payload.begin() + 4));

    const std::string listing =
        "skin.ini " + std::to_string(Load("Skin.INI").size()) + "\ntop.bmp 3000\n";
    EXPECT_EQ(Run("--payload list " + Path("p.bin")).Out, listing);
    EXPECT_EQ(Run("list --payload " + Path("p.bin")).Out, listing);
    EXPECT_EQ(Run("--payload ini " + Path("p.bin") + " Colours Scrollbar").Out, "210 232 249\n");
    EXPECT_EQ(Run("--payload int " + Path("p.bin") + " Personality TopHeight 1").Out, "31\n");
    EXPECT_EQ(Run("--payload sections " + Path("p.bin")).Out,
              "Colours\nPersonality\nPersonality\n");
    ASSERT_EQ(Run("--payload extract " + Path("p.bin") + " top.bmp " + Path("t")).Code, 0);
    EXPECT_EQ(Load("t"), Load("Top.bmp"));
    ASSERT_EQ(Run("--payload decode " + Path("p.bin") + " " + Path("a1")).Code, 0);
    ASSERT_EQ(Run("decode " + Path("s.skin") + " " + Path("a2")).Code, 0);
    EXPECT_EQ(Load("a1"), Load("a2"));

    // A length that runs past the file is refused.
    payload[0] = static_cast<std::uint8_t>(payload[0] + 1);
    Write("long.bin", payload);
    TResult r = Run("--payload list " + Path("long.bin"));
    EXPECT_EQ(r.Code, 1);
    EXPECT_NE(r.Err.find("payload length"), std::string::npos);
    Write("tiny.bin", {1, 0});
    EXPECT_EQ(Run("--payload list " + Path("tiny.bin")).Code, 1);
}

TEST_F(Skinpack, RefusedSkins) {
    TBytes archive = BuildArchive({{"a.ini", Text("[A]\r\n")}});
    archive[0] = 0x1F; // version 19999
    Write("old.skin", MakeSkinFile(archive));
    for (const char* command : {"list", "sections", "ini", "int"}) {
        std::string args = std::string(command) + " " + Path("old.skin");
        if (std::string(command) == "ini") args += " A k";
        if (std::string(command) == "int") args += " A k 0";
        TResult r = Run(args);
        EXPECT_EQ(r.Code, 1) << command;
        EXPECT_NE(r.Err.find("This is Older Skin File\rPlease update to new version !"),
                  std::string::npos)
            << command << ": " << r.Err;
        EXPECT_EQ(r.Out, "") << command;
    }
    // decode does not judge the archive, only the size field.
    EXPECT_EQ(Run("decode " + Path("old.skin") + " " + Path("out")).Code, 0);
    EXPECT_EQ(Load("out"), archive);

    Write("huge.skin", {0xFF, 0xFF, 0xFF, 0x7F, 0});
    TResult r = Run("decode " + Path("huge.skin") + " " + Path("out2"));
    EXPECT_EQ(r.Code, 1);
    EXPECT_NE(r.Err.find("out of range"), std::string::npos);
    EXPECT_FALSE(fs::exists(Path("out2")));
    Write("short.skin", {1, 0});
    EXPECT_EQ(Run("list " + Path("short.skin")).Code, 1);
}

TEST_F(Skinpack, UsageAndFileErrors) {
    MakeFiles();
    EXPECT_EQ(Run("").Code, 2);
    EXPECT_EQ(Run("frobnicate x").Code, 2);
    EXPECT_EQ(Run("pack " + Path("only-out.skin")).Code, 2);
    EXPECT_EQ(Run("pack " + Path("s.skin") + " " + Path("missing.bmp")).Code, 2);
    EXPECT_EQ(Run("pack " + Path("no/such/dir/s.skin") + " " + Path("Top.bmp")).Code, 2);
    EXPECT_EQ(Run("list " + Path("missing.skin")).Code, 2);
    EXPECT_EQ(Run("list").Code, 2);
    EXPECT_EQ(Run("ini " + Path("Top.bmp") + " a").Code, 2);
    ASSERT_EQ(Run("pack " + Path("s.skin") + " " + Path("Skin.INI")).Code, 0);
    TResult r = Run("int " + Path("s.skin") + " A k twelve");
    EXPECT_EQ(r.Code, 2);
    EXPECT_NE(r.Err.find("twelve"), std::string::npos);
    EXPECT_EQ(Run("decode " + Path("s.skin") + " " + Path("no/such/dir/out")).Code, 2);
    EXPECT_EQ(Run("--help").Code, 0);
}

TEST_F(Skinpack, SeveralMegabytesRoundTrip) {
    TBytes noise = RandomBytes(3 << 20, 21);
    TBytes text;
    for (int i = 0; text.size() < (2u << 20); ++i) {
        std::string line =
            "[Section" + std::to_string(i % 50) + "]\r\nKey=" + std::to_string(i) + "\r\n";
        text.insert(text.end(), line.begin(), line.end());
    }
    Write("noise.bmp", noise);
    Write("text.ini", text);
    ASSERT_EQ(
        Run("pack " + Path("big.skin") + " " + Path("noise.bmp") + " " + Path("text.ini")).Code, 0);
    ASSERT_EQ(Run("decode " + Path("big.skin") + " " + Path("big.archive")).Code, 0);
    EXPECT_EQ(Load("big.archive"), BuildArchive({{"noise.bmp", noise}, {"text.ini", text}}));
    ASSERT_EQ(Run("extract " + Path("big.skin") + " text.ini " + Path("text.out")).Code, 0);
    EXPECT_TRUE(Load("text.out") == text);
    EXPECT_LT(fs::file_size(Path("big.skin")), noise.size() + text.size() / 5);
}

} // namespace
