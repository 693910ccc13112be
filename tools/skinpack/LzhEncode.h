// LZHUF encoder: the counterpart of TLZH::Unpack, for the tools that make skin files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The bit stream that TLZH::Unpack turns back into exactly these bytes (given their count).
std::vector<std::uint8_t> LzhEncode(const std::uint8_t* data, std::size_t size);
