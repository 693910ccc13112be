// The description parser and the colour text on any text: every query answers, lines are
// kept trimmed and without comments, and a found key's value is what the line holds.
#include "SkinColour.h"
#include "WinSkinIni.h"

#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TSkinStream stream(std::vector<std::uint8_t>(data, data + size));
    TQuickIni ini;
    ini.LoadFromStream(&stream);
    for (const std::string& line : ini.Lines()) {
        if (line.empty() || line[0] == ';' || static_cast<unsigned char>(line.front()) <= 32 ||
            static_cast<unsigned char>(line.back()) <= 32 || line.find('\0') != std::string::npos)
            std::abort();
    }
    std::vector<std::string> sections;
    ini.ReadSections(sections);
    int queries = 0;
    for (const std::string& section : sections) {
        int header = ini.SectionIndex(section);
        if (header >= static_cast<int>(ini.Lines().size())) std::abort();
        for (std::size_t i = header < 0 ? 0 : static_cast<std::size_t>(header) + 1;
             i < ini.Lines().size() && queries < 2000; ++i, ++queries) {
            const std::string& line = ini.Lines()[i];
            std::size_t equals = line.find('=');
            std::string key = line.substr(0, equals == std::string::npos ? 0 : equals);
            std::string value = ini.ReadString(section, key, "\x01");
            ini.ReadInteger(section, key, -7);
            ParseColour(value, 0x1FFFFFFF);
            if (value.empty()) std::abort(); // an empty value gives the default
        }
    }
    ParseColour(std::string(reinterpret_cast<const char*>(data), size), 0);
    return 0;
}
