// Helpers of the skin tests: archives laid out byte by byte, skin files, decoding to vectors.
#pragma once

#include "LzhEncode.h"
#include "SkinRead.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace SkinTest {

using TBytes = std::vector<std::uint8_t>;

inline void Put32(TBytes& out, std::int64_t value) {
    auto v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

inline TBytes Text(const std::string& s) {
    return TBytes(s.begin(), s.end());
}

inline std::string AsText(const TBytes& b) {
    return std::string(b.begin(), b.end());
}

// An archive written field by field, so that tests can get every field wrong.
struct TArchiveBytes {
    std::int64_t Version = 20000;
    std::string NameText;
    std::int64_t NameLength = -1; // -1: the name text's own length
    std::vector<std::int64_t> Sizes;
    TBytes Data;

    TBytes Build() const {
        TBytes out;
        Put32(out, Version);
        Put32(out, NameLength >= 0 ? NameLength : static_cast<std::int64_t>(NameText.size()));
        for (int i = 0; i < 8; ++i)
            out.push_back(static_cast<std::uint8_t>(0xA0 + i));
        out.insert(out.end(), NameText.begin(), NameText.end());
        for (auto s : Sizes)
            Put32(out, s);
        out.insert(out.end(), Data.begin(), Data.end());
        return out;
    }
};

// A skin file holding `archive`: its size, then its LZHUF stream.
inline TBytes SkinFile(const TBytes& archive, std::int64_t sizeField = -1) {
    TBytes out;
    Put32(out, sizeField >= 0 ? sizeField : static_cast<std::int64_t>(archive.size()));
    TBytes stream = LzhEncode(archive.data(), archive.size());
    out.insert(out.end(), stream.begin(), stream.end());
    return out;
}

// The real decoder on a stream held in memory (the whole last match included).
inline TBytes FastDecode(const TBytes& stream, std::uint32_t size) {
    TBytes out;
    std::size_t at = 0;
    TLZH().Unpack(
        size,
        [&](std::uint8_t* buffer, std::size_t wanted, std::size_t& delivered) {
            delivered = 0;
            while (delivered < wanted && at < stream.size())
                buffer[delivered++] = stream[at++];
        },
        [&](const std::uint8_t* buffer, std::size_t count, std::size_t& written) {
            out.insert(out.end(), buffer, buffer + count);
            written = count;
        });
    return out;
}

inline TBytes RandomBytes(std::size_t size, std::uint32_t salt) {
    std::mt19937 rng(salt);
    TBytes out(size);
    for (auto& b : out)
        b = static_cast<std::uint8_t>(rng());
    return out;
}

} // namespace SkinTest
