// Painting from skin images. A skin image holds FrameCount equally sized frames numbered from
// 1, side by side (horizontal) or one above the other (vertical); magenta is the key colour of
// every image and of every region made from one. Everything is composed in memory bitmaps
// and reaches the target in one blit; no call keeps state or GDI objects behind.
//
// Frame numbers outside 1..FrameCount are taken as the nearest valid frame, and a frame count
// below 1 as 1, so a bad skin value never reads outside the image.
#pragma once

#include "Graphics.h"
#include "Handles.h"

#include <memory>

inline constexpr TColor SkinKeyColour = clFuchsia;

// The source rectangle of one frame (empty for an empty image).
RECT SkinFrameRect(const TBitmap& Image, bool Vertical, int FrameCount, int Frame);

// The frame as a nine-grid of the target's size: corners at their size, edges stretched
// along their length, the middle stretched or tiled. Margins wider (or higher) than the
// target are dropped on that axis. An empty image or target gives an empty bitmap.
std::unique_ptr<TBitmap> DrawSkinImage(const RECT& Target, TBitmap& Image, const RECT& Margins,
                                       bool Vertical, bool Tile, int FrameCount, int Frame);

// The same nine-grid drawn straight onto DC at the target's position (no key colour).
void DrawSkinImageDirect(HDC DC, const RECT& Target, TBitmap& Image, const RECT& Margins,
                         bool Vertical, bool Tile, int FrameCount, int Frame);

// DrawSkinImage's result copied to DC, opaquely or through the key colour; an inverted or
// empty target draws nothing.
void DrawSkinNineGrid(HDC DC, const RECT& Target, TBitmap& Image, bool Vertical, bool Tile,
                      bool Transparent, int FrameCount, int Frame, const RECT& Margins);

// Three slices: the left cap (Margins.left wide) and right cap (Margins.right) of the frame
// stretched to the target's height, the middle part repeated unscaled in width between them.
void DrawSkinStrip(TCanvas& Canvas, const RECT& Target, TBitmap& Image, bool Vertical,
                   bool Transparent, int FrameCount, int Frame, const RECT& Margins);

// A frame of a horizontal image scaled to the target.
void DrawSkinFrame(HDC DC, const RECT& Target, TBitmap& Image, bool Transparent, int FrameCount,
                   int Frame);

// A frame of a horizontal image at its own size, centred in the target.
void DrawSkinGlyph(HDC DC, const RECT& Target, TBitmap& Image, bool Transparent, int FrameCount,
                   int Frame);

// Bitmap drawn at the target's left-top corner (at most the target's size) with the pixels of
// the key colour left out.
void DrawTransparent(HDC DC, const RECT& Target, TBitmap& Bitmap, TColor Key);

// A picture drawn through the key colour again and again (a caption button in one state): the
// frame is cut and scaled, and its mask made, once.
class TKeyedPicture {
  public:
    // Frame Frame of a horizontal image, scaled to W x H.
    void Make(TBitmap& Image, int FrameCount, int Frame, int W, int H);
    // The picture as it is (for one already at its size).
    void Make(TBitmap& Picture);
    void Draw(HDC DC, int X, int Y);
    bool Empty() const { return FPicture.Empty(); }
    void Clear();

  private:
    void MakeMask();
    TBitmap FPicture;
    TBitmapHandle FMask;
};

// A region of every pixel that is not the key colour, moved by the offset. Tolerance packs a
// per-channel allowance like a colour ($00BBGGRR): a channel matches the key when it lies in
// [key, min(255, key + allowance)], and a pixel is left out when all three match. A bitmap
// without such pixels gives its full rectangle, one made only of them an empty region (the
// handle is valid either way).
TRegionHandle RegionFromBitmap(const TBitmap& Bitmap, int OffsetX, int OffsetY,
                               uint32_t Tolerance = 0, TColor Key = SkinKeyColour);

// Whole-image helpers, in place (24- or 32-bit images keep their format).
void GreyBitmap(TBitmap& Image);        // each pixel becomes the average of its channels
void MirrorBitmap(TBitmap& Image);      // left to right
void FlipBitmap(TBitmap& Image);        // top to bottom
void RotateBitmapLeft(TBitmap& Image);  // 90 degrees counter-clockwise
void RotateBitmapRight(TBitmap& Image); // 90 degrees clockwise
