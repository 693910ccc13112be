// Drawing helpers that know pictures and colours, not controls.
#pragma once

#include "Graphics.h"

// Draws the Part of Source at (X, Y), leaving out the pixels of the Key colour.
void DrawTransparentPart(HDC DC, int X, int Y, TBitmap& Source, const RECT& Part, TColor Key);
// The disabled look of a picture: its darker pixels embossed, a highlight one pixel down and
// right under the shadow.
void DrawDisabledPart(HDC DC, int X, int Y, TBitmap& Source, const RECT& Part, TColor Key);
// Fills a rectangle with a colour (clNone fills nothing).
void FillColor(HDC DC, const RECT& R, TColor Color);
// A colour between two others: Weight 0 gives A, 256 gives B.
TColor BlendColor(TColor A, TColor B, int Weight);
