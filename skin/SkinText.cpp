#include "SkinText.h"

namespace SkinText {

namespace {
char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
bool Blank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}
} // namespace

std::string LowerCase(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        c = Lower(c);
    return result;
}

std::string_view Trim(std::string_view text) {
    std::size_t first = 0, last = text.size();
    while (first < last && Blank(text[first]))
        ++first;
    while (last > first && Blank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

std::vector<std::string_view> SplitLines(std::string_view text, bool stopAtNul) {
    std::vector<std::string_view> lines;
    std::size_t pos = 0;
    const std::size_t end = text.size();
    while (pos < end) {
        std::size_t start = pos;
        while (pos < end && text[pos] != '\r' && text[pos] != '\n' &&
               !(stopAtNul && text[pos] == '\0'))
            ++pos;
        lines.push_back(text.substr(start, pos - start));
        if (pos < end && stopAtNul && text[pos] == '\0') break;
        if (pos < end && text[pos] == '\r') ++pos;
        if (pos < end && text[pos] == '\n') ++pos;
    }
    return lines;
}

} // namespace SkinText
