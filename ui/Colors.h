// TColor: $00BBGGRR, or a system colour (high byte $FF, low byte the COLOR_ index), or one of
// the two special values clNone and clDefault. Text form: the cl name when there is one,
// otherwise "$" and eight hex digits; reading also takes decimal numbers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

enum TColor : int32_t {
    clBlack = 0x000000,
    clMaroon = 0x000080,
    clGreen = 0x008000,
    clOlive = 0x008080,
    clNavy = 0x800000,
    clPurple = 0x800080,
    clTeal = 0x808000,
    clGray = 0x808080,
    clSilver = 0xC0C0C0,
    clRed = 0x0000FF,
    clLime = 0x00FF00,
    clYellow = 0x00FFFF,
    clBlue = 0xFF0000,
    clFuchsia = 0xFF00FF,
    clAqua = 0xFFFF00,
    clWhite = 0xFFFFFF,
    clLtGray = clSilver,
    clDkGray = clGray,
    clMoneyGreen = 0xC0DCC0,
    clSkyBlue = 0xF0CAA6,
    clCream = 0xF0FBFF,
    clMedGray = 0xA4A0A0,

    clSystemColor = static_cast<int32_t>(0xFF000000),
    clScrollBar = clSystemColor | 0,
    clBackground = clSystemColor | 1,
    clActiveCaption = clSystemColor | 2,
    clInactiveCaption = clSystemColor | 3,
    clMenu = clSystemColor | 4,
    clWindow = clSystemColor | 5,
    clWindowFrame = clSystemColor | 6,
    clMenuText = clSystemColor | 7,
    clWindowText = clSystemColor | 8,
    clCaptionText = clSystemColor | 9,
    clActiveBorder = clSystemColor | 10,
    clInactiveBorder = clSystemColor | 11,
    clAppWorkSpace = clSystemColor | 12,
    clHighlight = clSystemColor | 13,
    clHighlightText = clSystemColor | 14,
    clBtnFace = clSystemColor | 15,
    clBtnShadow = clSystemColor | 16,
    clGrayText = clSystemColor | 17,
    clBtnText = clSystemColor | 18,
    clInactiveCaptionText = clSystemColor | 19,
    clBtnHighlight = clSystemColor | 20,
    cl3DDkShadow = clSystemColor | 21,
    cl3DLight = clSystemColor | 22,
    clInfoText = clSystemColor | 23,
    clInfoBk = clSystemColor | 24,
    clHotLight = clSystemColor | 26,
    clGradientActiveCaption = clSystemColor | 27,
    clGradientInactiveCaption = clSystemColor | 28,
    clMenuHighlight = clSystemColor | 29,
    clMenuBar = clSystemColor | 30,

    clNone = 0x1FFFFFFF,
    clDefault = 0x20000000,
};

std::wstring ColorToString(TColor Color);
// Throws EConvertError on a name that is no colour or a malformed number.
TColor StringToColor(std::wstring_view Text);
bool TryStringToColor(std::wstring_view Text, TColor& Color);
// The plain $00BBGGRR value: system colours resolved through GetSysColor; clNone and clDefault
// are returned unchanged (the caller decides what "none" means for it).
uint32_t ColorToRGB(TColor Color);
