// Byte-wise text helpers shared by the archive reader and the description parser. Skin
// texts are single-byte (ANSI): only the ASCII letters change case, and every byte with a
// code of 32 or below counts as blank.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace SkinText {

std::string LowerCase(std::string_view text);
std::string_view Trim(std::string_view text);
bool SameText(std::string_view a, std::string_view b);

// Splits at CR, LF or CR LF; a break after the last line adds no line. With stopAtNul a NUL
// byte ends the line and the whole text.
std::vector<std::string_view> SplitLines(std::string_view text, bool stopAtNul);

} // namespace SkinText
