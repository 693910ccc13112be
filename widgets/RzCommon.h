// What the widgets share: caption text styles (the glyph placing is the class library's).
#pragma once

#include "Buttons.h"
#include "ImgList.h"

// How a caption stands out from the face: raised (lit above-left, shaded below-right),
// recessed (the reverse), or with a shadow cast below-right.
enum TTextStyle { tsNone, tsRaised, tsRecessed, tsShadow };
DECLARE_ENUM_NAMES(TTextStyle, L"tsNone", L"tsRaised", L"tsRecessed", L"tsShadow")

struct TTextStyleColors {
    TColor Text = clBtnText;
    TColor Highlight = clBtnHighlight;
    TColor Shadow = clBtnShadow;
    int ShadowDepth = 2;
};

// Draws Text (with the DC's font) in a style; Disabled draws it embossed whatever the style.
void DrawStyledText(HDC DC, const std::wstring& Text, const RECT& R, UINT Format, TTextStyle Style,
                    const TTextStyleColors& Colors, bool Disabled);
