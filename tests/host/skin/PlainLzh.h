// A second, deliberately plain LZHUF decoder: one byte per read call, one per write call, a
// 16-bit bit buffer and tables of its own. The tests hold the real decoder against it and
// the benchmark measures against it.
#pragma once

#include "SkinRead.h"

#include <cstdint>
#include <vector>

struct TPlainStats {
    std::uint64_t Literals = 0;
    std::uint64_t Matches = 0;
    std::uint64_t Rebuilds = 0;
    std::uint64_t InitialRingReads = 0; // match bytes taken from the ring's first content
};

void PlainUnpack(std::uint32_t size, const TLZH::TReadProc& read, const TLZH::TWriteProc& write,
                 TPlainStats* stats = nullptr);

// Decodes `size` bytes from a whole stream held in memory; the output keeps the whole last
// match, as the decoder writes it.
std::vector<std::uint8_t> PlainDecode(const std::vector<std::uint8_t>& stream, std::uint32_t size,
                                      TPlainStats* stats = nullptr);
