// How much each input file put into a program, from the map GNU ld writes with -Map: every
// input section kept in the output, summed by file and by kind (code, read-only data, unwind
// tables, data, other). Debugging sections are left out: the shipped program is stripped.
#pragma once

#include <cstdint>
#include <istream>
#include <map>
#include <string>

namespace pecheck {

enum class Kind { Code, ReadOnly, Unwind, Data, Other, Debug };
constexpr int kKinds = 5;

struct Contribution {
    std::uint64_t bytes[kKinds] = {};
    std::uint64_t Total() const {
        std::uint64_t sum = 0;
        for (std::uint64_t b : bytes)
            sum += b;
        return sum;
    }
};

struct LinkMap {
    // By input file: "libui.a(Controls.cpp.obj)", "crt2.o"; and by library or lone object file.
    std::map<std::string, Contribution> byFile;
    std::map<std::string, Contribution> byLibrary;
};

Kind KindOfSection(const std::string& name);
LinkMap ReadLinkMap(std::istream& in);

} // namespace pecheck
