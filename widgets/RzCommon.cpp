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

TGlyphLayout LayoutGlyphAndText(SIZE Client, SIZE Glyph, SIZE Text, TButtonLayout Layout,
                                int Margin, int Spacing, bool Centered) {
    bool Across = Layout == blGlyphLeft || Layout == blGlyphRight;
    int Room = Across ? Client.cx : Client.cy;
    int G = Across ? Glyph.cx : Glyph.cy;
    int T = Across ? Text.cx : Text.cy;
    if (G == 0 || T == 0) Spacing = 0;
    if (Margin == -1 || Centered) {
        if (Spacing == -1)
            Margin = Spacing = (Room - G - T) / 3;
        else
            Margin = (Room - G - Spacing - T) / 2;
    } else if (Spacing == -1) {
        Spacing = (Room - Margin - G - T) / 2;
    }
    int GlyphAt, TextAt;
    if (Layout == blGlyphLeft || Layout == blGlyphTop) {
        GlyphAt = Margin;
        TextAt = Margin + G + Spacing;
    } else {
        GlyphAt = Room - Margin - G;
        TextAt = GlyphAt - Spacing - T;
    }
    TGlyphLayout L;
    if (Across) {
        L.Glyph = {GlyphAt, (Client.cy - Glyph.cy + 1) / 2};
        int Y = (Client.cy - Text.cy + 1) / 2;
        L.Text = {TextAt, Y, TextAt + Text.cx, Y + Text.cy};
    } else {
        L.Glyph = {(Client.cx - Glyph.cx + 1) / 2, GlyphAt};
        int X = (Client.cx - Text.cx + 1) / 2;
        L.Text = {X, TextAt, X + Text.cx, TextAt + Text.cy};
    }
    return L;
}
