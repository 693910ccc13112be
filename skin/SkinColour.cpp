#include "SkinColour.h"

#include "SkinText.h"

#include <string>

namespace {

// The number text read so far; a value past 32 bits is never taken, so its digits stay
// pending and every later component stays 0.
bool TakeNumber(const std::string& digits, std::int32_t& value) {
    std::int64_t v = 0;
    for (char c : digits) {
        v = v * 10 + (c - '0');
        if (v > 0x7FFFFFFF) return false;
    }
    value = static_cast<std::int32_t>(v);
    return true;
}

} // namespace

std::int32_t ParseColour(std::string_view text, std::int32_t defaultColour) {
    text = SkinText::Trim(text);
    if (text.empty()) return defaultColour;
    std::int32_t parts[3] = {0, 0, 0};
    int stored = 0;
    std::string digits;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            digits += c;
            continue;
        }
        if (digits.empty()) continue;
        std::int32_t value;
        if (stored >= 3)
            digits.clear();
        else if (TakeNumber(digits, value)) {
            parts[stored++] = value;
            digits.clear();
        }
    }
    std::int32_t value;
    if (!digits.empty() && stored == 2 && TakeNumber(digits, value)) parts[2] = value;
    return (parts[0] % 256) + (parts[1] % 256) * 256 + (parts[2] % 256) * 65536;
}
