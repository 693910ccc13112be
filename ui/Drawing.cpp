#include "Drawing.h"

#include <vector>

namespace {

COLORREF Rgb(TColor C) {
    return ColorToRGB(C) & 0xFFFFFF;
}

// A monochrome bitmap of the Part: white where Keep says no, black where it says yes.
template <class F> TBitmapHandle MakeMask(TBitmap& Source, const RECT& Part, F Keep) {
    int W = Part.right - Part.left, H = Part.bottom - Part.top;
    int Stride = ((W + 15) / 16) * 2;
    std::vector<uint8_t> Bits(static_cast<size_t>(Stride) * static_cast<size_t>(H), 0xFF);
    int Bpp = Source.PixelFormat() == pf32bit ? 4 : 3;
    for (int Y = 0; Y < H; ++Y) {
        const uint8_t* Row = Source.ScanLine(Part.top + Y);
        for (int X = 0; X < W; ++X) {
            const uint8_t* P = Row + (Part.left + X) * Bpp;
            if (Keep(P[2], P[1], P[0]))
                Bits[static_cast<size_t>(Y * Stride + X / 8)] &=
                    static_cast<uint8_t>(~(0x80 >> (X % 8)));
        }
    }
    return TBitmapHandle(CreateBitmap(W, H, 1, 1, Bits.data()));
}

bool ClipPart(TBitmap& Source, RECT& Part) {
    RECT All{0, 0, Source.Width(), Source.Height()};
    return IntersectRect(&Part, &Part, &All) != FALSE;
}

// Paints Brush through a mask: where the mask is black the brush colour lands, white leaves the
// target alone.
void PaintThroughMask(HDC DC, int X, int Y, int W, int H, HBITMAP Mask, TColor Color) {
    TMemoryDC MaskDC(CreateCompatibleDC(DC));
    TSelectObject SelMask(MaskDC, Mask);
    TBrushHandle Brush(CreateSolidBrush(Rgb(Color)));
    TSelectObject SelBrush(DC, Brush);
    COLORREF OldText = SetTextColor(DC, RGB(0, 0, 0));
    COLORREF OldBk = SetBkColor(DC, RGB(255, 255, 255));
    // PSDPxax: black source pixels take the pattern, white ones keep the target.
    BitBlt(DC, X, Y, W, H, MaskDC, 0, 0, 0x00B8074A);
    SetTextColor(DC, OldText);
    SetBkColor(DC, OldBk);
}

} // namespace

void FillColor(HDC DC, const RECT& R, TColor Color) {
    if (Color == clNone) return;
    TBrushHandle Brush(CreateSolidBrush(Rgb(Color)));
    FillRect(DC, &R, Brush);
}

TColor BlendColor(TColor A, TColor B, int Weight) {
    uint32_t X = ColorToRGB(A) & 0xFFFFFF, Y = ColorToRGB(B) & 0xFFFFFF;
    uint32_t Out = 0;
    for (int Shift = 0; Shift < 24; Shift += 8) {
        int CA = static_cast<int>((X >> Shift) & 0xFF), CB = static_cast<int>((Y >> Shift) & 0xFF);
        Out |= static_cast<uint32_t>(CA + (CB - CA) * Weight / 256) << Shift;
    }
    return static_cast<TColor>(Out);
}

void DrawTransparentPart(HDC DC, int X, int Y, TBitmap& Source, const RECT& Part, TColor Key) {
    RECT P = Part;
    if (Source.Empty() || !ClipPart(Source, P)) return;
    int W = P.right - P.left, H = P.bottom - P.top;
    HDC Src = Source.Canvas()->Handle();
    if (Key == clNone) {
        BitBlt(DC, X, Y, W, H, Src, P.left, P.top, SRCCOPY);
        return;
    }
    GdiTransparentBlt(DC, X, Y, W, H, Src, P.left, P.top, W, H, Rgb(Key));
}

void DrawDisabledPart(HDC DC, int X, int Y, TBitmap& Source, const RECT& Part, TColor Key) {
    RECT P = Part;
    if (Source.Empty() || !ClipPart(Source, P)) return;
    COLORREF K = Key == clNone ? 0xFFFFFFFF : Rgb(Key);
    // The darker pixels carry the shape; light ones read as background, as on a button face.
    TBitmapHandle Mask = MakeMask(Source, P, [K](uint8_t R, uint8_t G, uint8_t B) {
        if (RGB(R, G, B) == K) return false;
        return R * 30 + G * 59 + B * 11 < 192 * 100;
    });
    if (!Mask) return;
    int W = P.right - P.left, H = P.bottom - P.top;
    PaintThroughMask(DC, X + 1, Y + 1, W, H, Mask, clBtnHighlight);
    PaintThroughMask(DC, X, Y, W, H, Mask, clBtnShadow);
}
