// Colours written in a skin description as three decimal numbers (red, green, blue) with
// anything between them, e.g. "210 232 249".
#pragma once

#include <cstdint>
#include <string_view>

// $00BBGGRR from the text; an empty (or all-blank) text gives defaultColour.
std::int32_t ParseColour(std::string_view text, std::int32_t defaultColour);
