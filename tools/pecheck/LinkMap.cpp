#include "LinkMap.h"

#include <sstream>
#include <vector>

namespace pecheck {

namespace {

bool StartsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

bool Hex(const std::string& word, std::uint64_t& value) {
    if (!StartsWith(word, "0x") || word.size() < 3) return false;
    value = 0;
    for (std::size_t i = 2; i < word.size(); ++i) {
        const char c = word[i];
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
        if (digit < 0) return false;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return true;
}

// "/path/lib/libui.a(Controls.cpp.obj)" -> "libui.a(Controls.cpp.obj)" and "libui.a".
void Names(const std::string& source, std::string& file, std::string& library) {
    const std::size_t paren = source.find('(');
    const std::string path = source.substr(0, paren);
    const std::size_t slash = path.rfind('/');
    library = slash == std::string::npos ? path : path.substr(slash + 1);
    file = paren == std::string::npos ? library : library + source.substr(paren);
}

} // namespace

Kind KindOfSection(const std::string& name) {
    if (StartsWith(name, ".debug") || StartsWith(name, ".zdebug")) return Kind::Debug;
    if (StartsWith(name, ".text")) return Kind::Code;
    if (StartsWith(name, ".rdata") || StartsWith(name, ".rodata")) return Kind::ReadOnly;
    if (StartsWith(name, ".eh_frame") || StartsWith(name, ".gcc_except_table") ||
        StartsWith(name, ".pdata") || StartsWith(name, ".xdata"))
        return Kind::Unwind;
    if (StartsWith(name, ".data") || StartsWith(name, ".bss") || StartsWith(name, ".tls"))
        return Kind::Data;
    return Kind::Other;
}

LinkMap ReadLinkMap(std::istream& in) {
    LinkMap map;
    std::string line;
    // Sections the linker dropped are listed first; only what follows went into the program.
    while (std::getline(in, line) && !StartsWith(line, "Linker script and memory map")) {
    }
    std::string pendingName; // an input section whose name filled its own line
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string word; words >> word;)
            w.push_back(word);
        std::string name, source;
        std::uint64_t address = 0, size = 0;
        // An input section: " .text 0x... 0x... file", or its name alone on a line with the
        // address, size and file on the next.
        if (StartsWith(line, " .") && w.size() == 1) {
            pendingName = w[0];
            continue;
        }
        if (StartsWith(line, " .") && w.size() >= 4 && Hex(w[1], address) && Hex(w[2], size)) {
            name = w[0];
            source = line.substr(line.find(w[3], line.find(w[2]) + w[2].size()));
        } else if (!pendingName.empty() && StartsWith(line, "  ") && w.size() >= 3 &&
                   Hex(w[0], address) && Hex(w[1], size)) {
            name = pendingName;
            source = line.substr(line.find(w[2], line.find(w[1]) + w[1].size()));
        }
        pendingName.clear();
        if (name.empty() || size == 0 || KindOfSection(name) == Kind::Debug) continue;
        std::string file, library;
        Names(source, file, library);
        const int kind = static_cast<int>(KindOfSection(name));
        map.byFile[file].bytes[kind] += size;
        map.byLibrary[library].bytes[kind] += size;
    }
    return map;
}

} // namespace pecheck
