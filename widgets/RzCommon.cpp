#include "RzCommon.h"

namespace {

void DrawAt(HDC DC, const std::wstring& Text, RECT R, int DX, int DY, UINT Format, TColor Color) {
    OffsetRect(&R, DX, DY);
    SetTextColor(DC, ColorToRGB(Color) & 0xFFFFFF);
    DrawTextW(DC, Text.c_str(), static_cast<int>(Text.size()), &R, Format);
}

} // namespace

void DrawStyledText(HDC DC, const std::wstring& Text, const RECT& R, UINT Format, TTextStyle Style,
                    const TTextStyleColors& C, bool Disabled) {
    if (Text.empty()) return;
    int OldMode = SetBkMode(DC, TRANSPARENT);
    if (Disabled) {
        DrawAt(DC, Text, R, 1, 1, Format, C.Highlight);
        DrawAt(DC, Text, R, 0, 0, Format, C.Shadow);
    } else {
        switch (Style) {
        case tsRaised:
            DrawAt(DC, Text, R, -1, -1, Format, C.Highlight);
            DrawAt(DC, Text, R, 1, 1, Format, C.Shadow);
            break;
        case tsRecessed:
            DrawAt(DC, Text, R, -1, -1, Format, C.Shadow);
            DrawAt(DC, Text, R, 1, 1, Format, C.Highlight);
            break;
        case tsShadow:
            DrawAt(DC, Text, R, C.ShadowDepth, C.ShadowDepth, Format, C.Shadow);
            break;
        case tsNone:
            break;
        }
        DrawAt(DC, Text, R, 0, 0, Format, C.Text);
    }
    SetBkMode(DC, OldMode);
}
