// The text skininfo prints for a loaded skin component: one line per slot, then the caption
// buttons in order, then the sixteen skin colours.
#pragma once

#include "WinSkinData.h"

#include <string>
#include <vector>

// Plain colours as the skin writes them ("210 232 249"), system colours by name, clNone as
// "none".
std::string SkinColourText(TColor Colour);
// Every field of a skin object on one line (without the leading slot name).
std::string SkinObjectText(const TDataSkinObject& Object);
std::vector<std::string> SkinInfoLines(const TSkinData& Skin);
