// Small text helpers of the simulator's command line and control protocol.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace devsim {

// Upper-case hex, two digits per byte, no separators.
std::string ToHex(const std::uint8_t* data, std::size_t count);
inline std::string ToHex(const std::vector<std::uint8_t>& bytes) {
    return ToHex(bytes.data(), bytes.size());
}
// Either case; an odd length or any other character gives nothing.
std::optional<std::vector<std::uint8_t>> FromHex(std::string_view text);

// A decimal number without sign, no larger than max.
std::optional<std::uint64_t> ParseUnsigned(std::string_view text, std::uint64_t max);

// "COM1".."COM256", any case, no leading zeros; gives the number.
std::optional<int> ParsePortName(std::string_view text);
std::string PortName(int number);

std::vector<std::string_view> SplitWords(std::string_view line);

} // namespace devsim
