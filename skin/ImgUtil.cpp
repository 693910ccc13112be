#include "ImgUtil.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace {

int Width(const RECT& R) {
    return R.right - R.left;
}
int Height(const RECT& R) {
    return R.bottom - R.top;
}

// The image's own memory DC (kept by the bitmap), or null for an empty image.
HDC SourceDC(TBitmap& Image) {
    return Image.Empty() ? nullptr : Image.Canvas()->Handle();
}

class TStretchMode {
  public:
    explicit TStretchMode(HDC DC) : FDC(DC), FOld(SetStretchBltMode(DC, COLORONCOLOR)) {}
    ~TStretchMode() {
        if (FOld) SetStretchBltMode(FDC, FOld);
    }
    TStretchMode(const TStretchMode&) = delete;
    TStretchMode& operator=(const TStretchMode&) = delete;

  private:
    HDC FDC;
    int FOld;
};

// One piece of a grid: destination and source rectangles as position and size. Pieces with
// nothing to show on either side are skipped, so no blit ever mirrors or reads backwards.
void Piece(HDC Dest, int DX, int DY, int DW, int DH, HDC Src, int SX, int SY, int SW, int SH) {
    if (DW <= 0 || DH <= 0 || SW <= 0 || SH <= 0) return;
    if (DW == SW && DH == SH)
        BitBlt(Dest, DX, DY, DW, DH, Src, SX, SY, SRCCOPY);
    else
        StretchBlt(Dest, DX, DY, DW, DH, Src, SX, SY, SW, SH, SRCCOPY);
}

// The source repeated unscaled over the destination from its left-top corner; the last row
// and column are cut at the destination's edge, so nothing lands outside it. Dest must be a
// memory DC of our own.
void Tiles(HDC Dest, int DX, int DY, int DW, int DH, HDC Src, int SX, int SY, int SW, int SH) {
    if (DW <= 0 || DH <= 0 || SW <= 0 || SH <= 0) return;
    // One tile, then the painted part copied onto itself, doubling along each axis: the same
    // picture as tile after tile, in a few blits however small the tile.
    BitBlt(Dest, DX, DY, std::min(SW, DW), std::min(SH, DH), Src, SX, SY, SRCCOPY);
    for (int Done = SW; Done < DW; Done *= 2)
        BitBlt(Dest, DX + Done, DY, std::min(Done, DW - Done), std::min(SH, DH), Dest, DX, DY,
               SRCCOPY);
    for (int Done = SH; Done < DH; Done *= 2)
        BitBlt(Dest, DX, DY + Done, DW, std::min(Done, DH - Done), Dest, DX, DY, SRCCOPY);
}

void NineGrid(HDC Dest, int X, int Y, int W, int H, HDC Src, const RECT& Frame, RECT M, bool Tile) {
    M.left = std::max<LONG>(M.left, 0);
    M.top = std::max<LONG>(M.top, 0);
    M.right = std::max<LONG>(M.right, 0);
    M.bottom = std::max<LONG>(M.bottom, 0);
    if (W < M.left + M.right) M.left = M.right = 0;
    if (H < M.top + M.bottom) M.top = M.bottom = 0;
    const int L = M.left, T = M.top, R = M.right, B = M.bottom;
    const int SX = Frame.left, SY = Frame.top, SW = Width(Frame), SH = Height(Frame);
    const int SMW = SW - L - R, SMH = SH - T - B; // source middle
    const int DMW = W - L - R, DMH = H - T - B;   // target middle
    const int SR = SX + SW - R, SB = SY + SH - B; // source right and bottom parts
    const int DR = X + W - R, DB = Y + H - B;     // target right and bottom parts

    TStretchMode Mode(Dest);
    Piece(Dest, X, Y, L, T, Src, SX, SY, L, T);             // left-top
    Piece(Dest, X, DB, L, B, Src, SX, SB, L, B);            // left-bottom
    Piece(Dest, DR, Y, R, T, Src, SR, SY, R, T);            // right-top
    Piece(Dest, X, Y + T, L, DMH, Src, SX, SY + T, L, SMH); // left edge
    Piece(Dest, X + L, Y, DMW, T, Src, SX + L, SY, SMW, T); // top edge
    if (Tile)
        Tiles(Dest, X + L, Y + T, DMW, DMH, Src, SX + L, SY + T, SMW, SMH);
    else
        Piece(Dest, X + L, Y + T, DMW, DMH, Src, SX + L, SY + T, SMW, SMH);
    Piece(Dest, DR, DB, R, B, Src, SR, SB, R, B);            // right-bottom
    Piece(Dest, DR, Y + T, R, DMH, Src, SR, SY + T, R, SMH); // right edge
    Piece(Dest, X + L, DB, DMW, B, Src, SX + L, SB, SMW, B); // bottom edge
}

// Copies a bitmap made for the target opaquely or through the key colour.
void Put(HDC DC, const RECT& Target, TBitmap& Bitmap, bool Transparent) {
    if (Bitmap.Empty()) return;
    if (Transparent)
        DrawTransparent(DC, Target, Bitmap, SkinKeyColour);
    else
        BitBlt(DC, Target.left, Target.top, std::min(Width(Target), Bitmap.Width()),
               std::min(Height(Target), Bitmap.Height()), SourceDC(Bitmap), 0, 0, SRCCOPY);
}

int BytesPerPixel(const TBitmap& Image) {
    return Image.PixelFormat() == pf32bit ? 4 : 3;
}

// Replaces Image's pixels by Result's, keeping the image's transparency settings.
void Replace(TBitmap& Image, const TBitmap& Result) {
    bool Transparent = Image.Transparent();
    TColor Key = Image.TransparentColor();
    Image.Assign(Result);
    Image.SetTransparent(Transparent);
    Image.SetTransparentColor(Key);
}

} // namespace

RECT SkinFrameRect(const TBitmap& Image, bool Vertical, int FrameCount, int Frame) {
    RECT R{};
    if (Image.Empty()) return R;
    FrameCount = std::max(FrameCount, 1);
    Frame = std::clamp(Frame, 1, FrameCount);
    if (Vertical) {
        int FH = Image.Height() / FrameCount;
        R = {0, FH * (Frame - 1), Image.Width(), FH * Frame};
    } else {
        int FW = Image.Width() / FrameCount;
        R = {FW * (Frame - 1), 0, FW * Frame, Image.Height()};
    }
    return R;
}

std::unique_ptr<TBitmap> DrawSkinImage(const RECT& Target, TBitmap& Image, const RECT& Margins,
                                       bool Vertical, bool Tile, int FrameCount, int Frame) {
    RECT F = SkinFrameRect(Image, Vertical, FrameCount, Frame);
    int W = Width(Target), H = Height(Target);
    if (W <= 0 || H <= 0 || IsRectEmpty(&F)) return std::make_unique<TBitmap>();
    auto Result = std::make_unique<TBitmap>(W, H, pf24bit);
    NineGrid(Result->Canvas()->Handle(), 0, 0, W, H, SourceDC(Image), F, Margins, Tile);
    return Result;
}

void DrawSkinImageDirect(HDC DC, const RECT& Target, TBitmap& Image, const RECT& Margins,
                         bool Vertical, bool Tile, int FrameCount, int Frame) {
    RECT F = SkinFrameRect(Image, Vertical, FrameCount, Frame);
    if (Width(Target) <= 0 || Height(Target) <= 0 || IsRectEmpty(&F)) return;
    if (Tile) {
        // Tiles are repeated by copying the target onto itself, which only a memory bitmap
        // of our own can be trusted with (a window's DC may be covered or clipped).
        Put(DC, Target, *DrawSkinImage(Target, Image, Margins, Vertical, true, FrameCount, Frame),
            false);
        return;
    }
    NineGrid(DC, Target.left, Target.top, Width(Target), Height(Target), SourceDC(Image), F,
             Margins, false);
}

void DrawSkinNineGrid(HDC DC, const RECT& Target, TBitmap& Image, bool Vertical, bool Tile,
                      bool Transparent, int FrameCount, int Frame, const RECT& Margins) {
    if (Width(Target) <= 0 || Height(Target) <= 0) return;
    auto Grid = DrawSkinImage(Target, Image, Margins, Vertical, Tile, FrameCount, Frame);
    Put(DC, Target, *Grid, Transparent);
}

void DrawSkinStrip(TCanvas& Canvas, const RECT& Target, TBitmap& Image, bool Vertical,
                   bool Transparent, int FrameCount, int Frame, const RECT& Margins) {
    RECT F = SkinFrameRect(Image, Vertical, FrameCount, Frame);
    const int W = Width(Target), H = Height(Target);
    if (W <= 0 || H <= 0 || IsRectEmpty(&F)) return;
    const int L = std::max<int>(Margins.left, 0), R = std::max<int>(Margins.right, 0);
    const int SW = Width(F), SH = Height(F), MW = SW - L - R;
    TBitmap Strip(W, H, pf24bit);
    HDC Dest = Strip.Canvas()->Handle();
    HDC Src = SourceDC(Image);
    {
        TStretchMode Mode(Dest);
        Piece(Dest, 0, 0, L, H, Src, F.left, F.top, L, SH);
        Piece(Dest, W - R, 0, R, H, Src, F.right - R, F.top, R, SH);
        // The last middle piece is cut at the right cap instead of running over it.
        if (MW > 0)
            for (int X = L; X < W - R; X += MW) {
                int PW = std::min(MW, W - R - X);
                Piece(Dest, X, 0, PW, H, Src, F.left + L, F.top, PW, SH);
            }
    }
    Put(Canvas.Handle(), Target, Strip, Transparent);
}

void DrawSkinFrame(HDC DC, const RECT& Target, TBitmap& Image, bool Transparent, int FrameCount,
                   int Frame) {
    RECT F = SkinFrameRect(Image, false, FrameCount, Frame);
    const int W = Width(Target), H = Height(Target);
    if (W <= 0 || H <= 0 || IsRectEmpty(&F)) return;
    TBitmap Scaled(W, H, pf24bit);
    HDC Dest = Scaled.Canvas()->Handle();
    {
        TStretchMode Mode(Dest);
        Piece(Dest, 0, 0, W, H, SourceDC(Image), F.left, F.top, Width(F), Height(F));
    }
    Put(DC, Target, Scaled, Transparent);
}

void DrawSkinGlyph(HDC DC, const RECT& Target, TBitmap& Image, bool Transparent, int FrameCount,
                   int Frame) {
    RECT F = SkinFrameRect(Image, false, FrameCount, Frame);
    if (IsRectEmpty(&F)) return;
    const int FW = Width(F), FH = Height(F);
    TBitmap Glyph(FW, FH, pf24bit);
    BitBlt(Glyph.Canvas()->Handle(), 0, 0, FW, FH, SourceDC(Image), F.left, F.top, SRCCOPY);
    const int X = Target.left + (Width(Target) - FW) / 2;
    const int Y = Target.top + (Height(Target) - FH) / 2;
    Put(DC, RECT{X, Y, X + FW, Y + FH}, Glyph, Transparent);
}

namespace {

// A monochrome mask of a picture: monochrome conversion turns pixels of the source's
// background colour white; inverted, the mask is 1 where the picture shows and 0 where the
// target is kept.
TBitmapHandle KeyMask(HDC Src, int W, int H, TColor Key) {
    TMemoryDC MaskDC(CreateCompatibleDC(Src));
    TBitmapHandle Mask(CreateBitmap(W, H, 1, 1, nullptr));
    if (!MaskDC || !Mask) return {};
    TSelectObject SelectMask(MaskDC, Mask);
    const COLORREF OldBk = SetBkColor(Src, ColorToRGB(Key) & 0xFFFFFF);
    BitBlt(MaskDC, 0, 0, W, H, Src, 0, 0, NOTSRCCOPY);
    SetBkColor(Src, OldBk);
    return Mask;
}

// The source drawn where its mask is 1, the target kept where it is 0.
void MaskedCopy(HDC DC, int X, int Y, int W, int H, HDC Src, HBITMAP Mask) {
    constexpr DWORD KeepTarget = 0x00AA0029;
    MaskBlt(DC, X, Y, W, H, Src, 0, 0, Mask, 0, 0, MAKEROP4(SRCCOPY, KeepTarget));
}

} // namespace

void DrawTransparent(HDC DC, const RECT& Target, TBitmap& Bitmap, TColor Key) {
    const int W = std::min(Width(Target), Bitmap.Width());
    const int H = std::min(Height(Target), Bitmap.Height());
    if (W <= 0 || H <= 0) return;
    HDC Src = SourceDC(Bitmap);
    TBitmapHandle Mask = KeyMask(Src, W, H, Key);
    if (Mask) MaskedCopy(DC, Target.left, Target.top, W, H, Src, Mask);
}

void TKeyedPicture::Make(TBitmap& Image, int FrameCount, int Frame, int W, int H) {
    Clear();
    const RECT F = SkinFrameRect(Image, false, FrameCount, Frame);
    if (W <= 0 || H <= 0 || IsRectEmpty(&F)) return;
    FPicture.SetPixelFormat(pf24bit);
    FPicture.SetSize(W, H);
    HDC Dest = FPicture.Canvas()->Handle();
    {
        TStretchMode Mode(Dest);
        Piece(Dest, 0, 0, W, H, SourceDC(Image), F.left, F.top, Width(F), Height(F));
    }
    MakeMask();
    // Kept for copying from only: no DC of its own meanwhile.
    FPicture.ReleaseCanvas();
}

void TKeyedPicture::Make(TBitmap& Picture) {
    Clear();
    if (Picture.Empty()) return;
    FPicture.Assign(Picture);
    FPicture.SetPixelFormat(pf24bit);
    MakeMask();
    FPicture.ReleaseCanvas();
}

void TKeyedPicture::MakeMask() {
    TBitmapSource Source(FPicture);
    FMask = KeyMask(Source, FPicture.Width(), FPicture.Height(), SkinKeyColour);
}

void TKeyedPicture::Draw(HDC DC, int X, int Y) {
    if (FPicture.Empty() || !FMask) return;
    TBitmapSource Source(FPicture);
    MaskedCopy(DC, X, Y, FPicture.Width(), FPicture.Height(), Source, FMask);
}

void TKeyedPicture::Clear() {
    FPicture.Clear();
    FMask.Reset();
}

namespace {

// Rectangles collected in one region data block and turned into region pieces in batches,
// so memory stays bounded however many runs an image has.
class TRegionBuilder {
  public:
    static constexpr int BatchSize = 2000;

    TRegionBuilder() { FData.resize(sizeof(RGNDATAHEADER) + BatchSize * sizeof(RECT)); }

    void Add(int Left, int Top, int Right, int Bottom) {
        RECT* Rects = reinterpret_cast<RECT*>(FData.data() + sizeof(RGNDATAHEADER));
        Rects[FCount++] = RECT{Left, Top, Right, Bottom};
        if (FCount == 1) {
            FBound = Rects[0];
        } else {
            FBound.left = std::min<LONG>(FBound.left, Left);
            FBound.top = std::min<LONG>(FBound.top, Top);
            FBound.right = std::max<LONG>(FBound.right, Right);
            FBound.bottom = std::max<LONG>(FBound.bottom, Bottom);
        }
        if (FCount == BatchSize) Flush();
    }

    void Flush() {
        if (FCount == 0) return;
        RGNDATAHEADER Header{};
        Header.dwSize = sizeof(RGNDATAHEADER);
        Header.iType = RDH_RECTANGLES;
        Header.nCount = static_cast<DWORD>(FCount);
        Header.nRgnSize = static_cast<DWORD>(FCount * sizeof(RECT));
        Header.rcBound = FBound;
        std::memcpy(FData.data(), &Header, sizeof(Header));
        TRegionHandle Part(ExtCreateRegion(
            nullptr, static_cast<DWORD>(sizeof(RGNDATAHEADER) + FCount * sizeof(RECT)),
            reinterpret_cast<const RGNDATA*>(FData.data())));
        FCount = 0;
        if (!Part) throw EOSError(L"ExtCreateRegion", GetLastError());
        if (!FResult)
            FResult = std::move(Part);
        else
            CombineRgn(FResult, FResult, Part, RGN_OR);
    }

    TRegionHandle Finish() {
        Flush();
        if (!FResult) FResult.Reset(CreateRectRgn(0, 0, 0, 0));
        return std::move(FResult);
    }

  private:
    std::vector<uint8_t> FData;
    int FCount = 0;
    RECT FBound{};
    TRegionHandle FResult;
};

} // namespace

TRegionHandle RegionFromBitmap(const TBitmap& Bitmap, int OffsetX, int OffsetY, uint32_t Tolerance,
                               TColor Key) {
    static_assert(sizeof(RGNDATAHEADER) == 32);
    const uint32_t K = ColorToRGB(Key);
    // Per channel: does this value match the key's channel?
    std::array<std::array<bool, 256>, 3> Match{}; // blue, green, red (pixel byte order)
    for (int C = 0; C < 3; ++C) {
        int Shift = 8 * (2 - C); // blue is the key's third byte
        int Low = static_cast<int>((K >> Shift) & 0xFF);
        int High = std::min(255, Low + static_cast<int>((Tolerance >> Shift) & 0xFF));
        for (int V = Low; V <= High; ++V)
            Match[C][V] = true;
    }
    TRegionBuilder Builder;
    const int W = Bitmap.Width(), H = Bitmap.Height();
    if (W > 0 && H > 0) {
        const int Step = BytesPerPixel(Bitmap);
        const uint8_t* Row = Bitmap.ScanLine(0);
        const ptrdiff_t Stride = H > 1 ? Bitmap.ScanLine(1) - Row : 0;
        auto IsKey = [&](const uint8_t* P) {
            return Match[0][P[0]] && Match[1][P[1]] && Match[2][P[2]];
        };
        for (int Y = 0; Y < H; ++Y, Row += Stride) {
            int X = 0;
            while (X < W) {
                while (X < W && IsKey(Row + X * Step))
                    ++X;
                int Start = X;
                while (X < W && !IsKey(Row + X * Step))
                    ++X;
                if (X > Start)
                    Builder.Add(Start + OffsetX, Y + OffsetY, X + OffsetX, Y + 1 + OffsetY);
            }
        }
    }
    return Builder.Finish();
}

void GreyBitmap(TBitmap& Image) {
    const int Step = BytesPerPixel(Image);
    for (int Y = 0; Y < Image.Height(); ++Y) {
        uint8_t* P = Image.ScanLine(Y);
        for (int X = 0; X < Image.Width(); ++X, P += Step)
            P[0] = P[1] = P[2] = static_cast<uint8_t>((P[0] + P[1] + P[2]) / 3);
    }
}

void MirrorBitmap(TBitmap& Image) {
    const int Step = BytesPerPixel(Image), W = Image.Width();
    for (int Y = 0; Y < Image.Height(); ++Y) {
        uint8_t* Row = Image.ScanLine(Y);
        for (int X = 0; X < W / 2; ++X)
            std::swap_ranges(Row + X * Step, Row + (X + 1) * Step, Row + (W - 1 - X) * Step);
    }
}

void FlipBitmap(TBitmap& Image) {
    const int H = Image.Height();
    const size_t Bytes = static_cast<size_t>(Image.Width()) * BytesPerPixel(Image);
    for (int Y = 0; Y < H / 2; ++Y) {
        uint8_t* Top = Image.ScanLine(Y);
        uint8_t* Bottom = Image.ScanLine(H - 1 - Y);
        std::swap_ranges(Top, Top + Bytes, Bottom);
    }
}

namespace {

// Destination pixel (DX, DY) of the turned image takes source pixel Source(DX, DY).
template <class F> void Rotate(TBitmap& Image, F Source) {
    if (Image.Empty()) return;
    const int Step = BytesPerPixel(Image);
    const uint8_t* Base = Image.ScanLine(0);
    const size_t Stride = static_cast<size_t>(Image.RowBytes());
    TBitmap Result(Image.Height(), Image.Width(), Image.PixelFormat());
    for (int DY = 0; DY < Result.Height(); ++DY) {
        uint8_t* D = Result.ScanLine(DY);
        for (int DX = 0; DX < Result.Width(); ++DX) {
            POINT S = Source(DX, DY);
            std::memcpy(D + DX * Step, Base + S.y * Stride + S.x * Step, Step);
        }
    }
    Replace(Image, Result);
}

} // namespace

void RotateBitmapLeft(TBitmap& Image) {
    const int W = Image.Width();
    Rotate(Image, [W](int DX, int DY) { return POINT{W - 1 - DY, DX}; });
}

void RotateBitmapRight(TBitmap& Image) {
    const int H = Image.Height();
    Rotate(Image, [H](int DX, int DY) { return POINT{DY, H - 1 - DX}; });
}
