// What the widgets share: caption text styles and the placing of a glyph beside a caption.
#pragma once

#include "ImgList.h"
#include "StdCtrls.h"

// How a caption stands out from the face: raised (lit above-left, shaded below-right),
// recessed (the reverse), or with a shadow cast below-right.
enum TTextStyle { tsNone, tsRaised, tsRecessed, tsShadow };
DECLARE_ENUM_NAMES(TTextStyle, L"tsNone", L"tsRaised", L"tsRecessed", L"tsShadow")

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
DECLARE_ENUM_NAMES(TButtonLayout, L"blGlyphLeft", L"blGlyphRight", L"blGlyphTop", L"blGlyphBottom")

struct TTextStyleColors {
    TColor Text = clBtnText;
    TColor Highlight = clBtnHighlight;
    TColor Shadow = clBtnShadow;
    int ShadowDepth = 2;
};

// Draws Text (with the DC's font) in a style; Disabled draws it embossed whatever the style.
void DrawStyledText(HDC DC, const std::wstring& Text, const RECT& R, UINT Format, TTextStyle Style,
                    const TTextStyleColors& Colors, bool Disabled);

// Where a glyph and a caption go inside a client area, the layout axis running across the
// glyph, the spacing and then the caption (or the other way for right and bottom layouts).
// Margin -1 (or Centered) puts the pair in the middle; Spacing -1 spreads the room evenly.
struct TGlyphLayout {
    POINT Glyph;
    RECT Text;
};
TGlyphLayout LayoutGlyphAndText(SIZE Client, SIZE Glyph, SIZE Text, TButtonLayout Layout,
                                int Margin, int Spacing, bool Centered);
