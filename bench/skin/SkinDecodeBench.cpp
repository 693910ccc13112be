// Decoding speed of skin files: the decoder against a plain byte-at-a-time decoder of the
// same algorithm, on our default skin and on a generated archive of several megabytes.
// Reports time per megabyte and, when valgrind is installed, instructions per decoded byte
// (callgrind, counted inside the decode call only).
#include "BenchRow.h"
#include "LzhEncode.h"
#include "PlainLzh.h"
#include "SkinPack.h"
#include "SkinRead.h"
#include "WinSkinIni.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <unistd.h>

namespace {

using TBytes = std::vector<std::uint8_t>;

TBytes ReadFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return TBytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Pictures, description-like text, a little noise and copies of our own skin.
TBytes LargeArchive(const TBytes& defaultArchive) {
    std::vector<TPackEntry> entries;
    std::mt19937 rng(42);
    for (int n = 0; n < 12; ++n) {
        TBytes bmp;
        for (int y = 0; y < 220; ++y)
            for (int x = 0; x < 220; ++x) {
                int shade = (x * (n + 1) / 7 + y / 3) & 255;
                bool edge = (x + n) % 37 < 2 || (y * 3 + n) % 53 < 2;
                bmp.push_back(static_cast<std::uint8_t>(edge ? 0x60 : shade));
                bmp.push_back(static_cast<std::uint8_t>(edge ? 0x70 : (shade + 40) & 255));
                bmp.push_back(static_cast<std::uint8_t>(edge ? 0x80 : 0xF0 - shade / 4));
                if (rng() % 97 == 0) bmp.back() ^= 0x15;
            }
        entries.push_back({"picture" + std::to_string(n) + ".bmp", bmp});
    }
    std::string text;
    for (int i = 0; text.size() < 900000; ++i)
        text += "[Button" + std::to_string(i % 300) + "]\r\nAction=" + std::to_string(i % 13) +
                "\r\nXcoord=" + std::to_string(i * 7 % 200) + "\r\nButtonImage=b" +
                std::to_string(i % 40) + ".bmp\r\n";
    entries.push_back({"skin.ini", TBytes(text.begin(), text.end())});
    TBytes noise(400000);
    for (auto& b : noise)
        b = static_cast<std::uint8_t>(rng());
    entries.push_back({"noise.bmp", noise});
    for (int i = 0; i < 6; ++i)
        entries.push_back({"copy" + std::to_string(i), defaultArchive});
    return BuildArchive(entries);
}

__attribute__((noinline)) std::size_t MeasuredDecodeFast(const TBytes& skin) {
    TSkinStream source(skin), dest;
    TSkinReader reader;
    if (!reader.Decompress(source, dest)) std::abort();
    return dest.Size();
}

// The decoder as written plainly: one byte per read call, one per write call, on memory
// streams.
__attribute__((noinline)) std::size_t MeasuredDecodePlain(const TBytes& skin) {
    TSkinStream source(skin), dest;
    std::uint8_t field[4];
    source.Read(field, 4);
    std::uint32_t size = field[0] | field[1] << 8 | field[2] << 16 | std::uint32_t(field[3]) << 24;
    PlainUnpack(
        size,
        [&](std::uint8_t* buffer, std::size_t wanted, std::size_t& delivered) {
            delivered = source.Read(buffer, wanted);
        },
        [&](const std::uint8_t* buffer, std::size_t count, std::size_t& written) {
            dest.Write(buffer, count);
            written = count;
        });
    dest.SetSize(size);
    return dest.Size();
}

double BestSeconds(const TBytes& skin, bool fast, int rounds) {
    double best = 1e9;
    for (int i = 0; i < rounds; ++i) {
        auto start = std::chrono::steady_clock::now();
        fast ? MeasuredDecodeFast(skin) : MeasuredDecodePlain(skin);
        best = std::min(
            best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

// Instructions spent inside one decode call, counted by callgrind; -1 without valgrind.
double Instructions(const char* self, const std::string& input, bool fast) {
    std::string out = "/tmp/skin-bench-callgrind." + std::to_string(::getpid());
    std::string command = "valgrind --tool=callgrind --callgrind-out-file=" + out +
                          " --toggle-collect='*MeasuredDecode*' " + self + " --one " + input +
                          (fast ? " fast" : " plain") + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return -1;
    std::ifstream file(out);
    std::string line;
    double total = -1;
    while (std::getline(file, line))
        if (line.rfind("totals:", 0) == 0 || line.rfind("summary:", 0) == 0)
            total = std::stod(line.substr(line.find(':') + 1));
    std::remove(out.c_str());
    return total;
}

void QueryTiming(const TBytes& defaultSkin) {
    TSkinStream source(defaultSkin);
    TSkinReader reader;
    if (!reader.ReadArchive(source)) std::abort();
    TSkinStream entry;
    std::string name;
    reader.FindEntry(".ini", entry, name);
    TQuickIni ini;
    ini.LoadFromStream(&entry);
    std::vector<std::string> sections;
    ini.ReadSections(sections);
    const int rounds = 200000;
    std::size_t found = 0;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i)
        found +=
            ini.ReadString(sections[static_cast<std::size_t>(i) % sections.size()], "Image", "")
                .size();
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("description: %zu lines, %zu sections; ReadString %.0f ns per query (%zu)\n",
                ini.Lines().size(), sections.size(), s / rounds * 1e9, found % 10);
}

} // namespace

int main(int argc, char** argv) {
    const TBytes defaultSkin = ReadFile(DIALER_SKIN_FILE);
    if (defaultSkin.size() < 4) {
        std::fprintf(stderr, "cannot read %s\n", DIALER_SKIN_FILE);
        return 2;
    }
    auto largeSkin = [&] {
        TSkinStream source(defaultSkin), archive;
        TSkinReader().Decompress(source, archive);
        return MakeSkinFile(LargeArchive(archive.Bytes()));
    };
    if (argc == 4 && std::string(argv[1]) == "--one") {
        const TBytes skin = std::string(argv[2]) == "large" ? largeSkin() : defaultSkin;
        return (std::string(argv[3]) == "fast" ? MeasuredDecodeFast(skin)
                                               : MeasuredDecodePlain(skin)) > 0
                   ? 0
                   : 1;
    }

    const TBytes large = largeSkin();
    std::printf("%-8s %10s %10s | %12s %12s %6s | %10s %10s %6s\n", "skin", "bytes", "packed",
                "fast ms/MB", "plain ms/MB", "ratio", "fast Ir/B", "plain Ir/B", "ratio");
    for (const auto& [label, skin] :
         {std::pair<std::string, const TBytes&>{"default", defaultSkin}, {"large", large}}) {
        std::size_t size = MeasuredDecodeFast(skin);
        if (size != MeasuredDecodePlain(skin)) std::abort();
        const double mb = size / 1048576.0;
        const int rounds = size < 1000000 ? 20 : 5;
        double fast = BestSeconds(skin, true, rounds) * 1000 / mb;
        double plain = BestSeconds(skin, false, rounds) * 1000 / mb;
        double fastIr = Instructions(argv[0], label, true) / size;
        double plainIr = Instructions(argv[0], label, false) / size;
        std::printf("%-8s %10zu %10zu | %12.2f %12.2f %6.2f | %10.1f %10.1f %6.2f\n", label.c_str(),
                    size, skin.size(), fast, plain, fast / plain, fastIr, plainIr,
                    fastIr > 0 && plainIr > 0 ? fastIr / plainIr : 0.0);
        const std::string figure = "skin decode (" + label + "), fast vs plain decoder";
        if (fastIr > 0 && plainIr > 0)
            Bench::Row(figure.c_str(), fastIr, plainIr, "instructions/byte", 0.8);
        else
            Bench::Row(figure.c_str(), fast, plain, "ms/MB");
    }
    std::printf("goal: fast instructions per byte at most 0.8 of the plain decoder's\n");
    QueryTiming(defaultSkin);
    return 0;
}
