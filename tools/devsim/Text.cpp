#include "Text.h"

#include <cctype>

namespace devsim {

std::string ToHex(const std::uint8_t* data, std::size_t count) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.resize(count * 2);
    for (std::size_t i = 0; i < count; ++i) {
        out[2 * i] = digits[data[i] >> 4];
        out[2 * i + 1] = digits[data[i] & 0x0F];
    }
    return out;
}

static int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<std::vector<std::uint8_t>> FromHex(std::string_view text) {
    if (text.size() % 2 != 0) return std::nullopt;
    std::vector<std::uint8_t> out(text.size() / 2);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const int high = HexDigit(text[2 * i]);
        const int low = HexDigit(text[2 * i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        out[i] = static_cast<std::uint8_t>(high << 4 | low);
    }
    return out;
}

std::optional<std::uint64_t> ParseUnsigned(std::string_view text, std::uint64_t max) {
    if (text.empty() || text.size() > 20) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        const std::uint64_t digit = static_cast<std::uint64_t>(c - '0');
        if (value > (max - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

std::optional<int> ParsePortName(std::string_view text) {
    if (text.size() < 4) return std::nullopt;
    for (int i = 0; i < 3; ++i)
        if (std::toupper(static_cast<unsigned char>(text[i])) != "COM"[i]) return std::nullopt;
    const std::string_view digits = text.substr(3);
    if (digits[0] == '0') return std::nullopt;
    const auto number = ParseUnsigned(digits, 256);
    if (!number || *number < 1) return std::nullopt;
    return static_cast<int>(*number);
}

std::string PortName(int number) {
    return "COM" + std::to_string(number);
}

std::vector<std::string_view> SplitWords(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r'))
            ++i;
        std::size_t end = i;
        while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '\r')
            ++end;
        if (end > i) words.push_back(line.substr(i, end - i));
        i = end;
    }
    return words;
}

} // namespace devsim
