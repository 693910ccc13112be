// A small anti-aliased raster for drawing skin pictures: shapes are predicates sampled
// 4 × 4 times per pixel. Pixels left magenta are the skin's transparent key; shapes drawn
// onto them are blended with a matte colour (what the picture will be shown on) so that
// their edges carry no pink fringe.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct TRgb {
    double R = 0, G = 0, B = 0;
};

TRgb Hex(std::uint32_t rgb);
TRgb Mix(TRgb a, TRgb b, double t); // a at t = 0, b at t = 1

using TShape = std::function<bool(double x, double y)>;
using TPaint = std::function<TRgb(double x, double y)>;

constexpr std::uint32_t Magenta = 0xFF00FF;

class TRaster {
  public:
    TRaster(int width, int height, std::uint32_t fill = Magenta);

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    std::uint32_t Get(int x, int y) const { return FPixels[Index(x, y)]; }
    void Set(int x, int y, std::uint32_t rgb) { FPixels[Index(x, y)] = rgb; }

    // Paints the shape; coverage below one half leaves a magenta pixel transparent.
    void Fill(const TShape& shape, const TPaint& paint, TRgb matte);
    void Fill(const TShape& shape, TRgb colour, TRgb matte);
    // Copies a w × h block of src at (sx, sy) to (dx, dy).
    void Copy(const TRaster& src, int sx, int sy, int w, int h, int dx, int dy);

    bool SaveBmp(const std::string& path) const;

  private:
    std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y) * FWidth + x; }

    int FWidth, FHeight;
    std::vector<std::uint32_t> FPixels;
};

// Shapes in pixel coordinates (a pixel x covers x .. x + 1).
TShape RoundRect(double x0, double y0, double x1, double y1, double radius);
TShape Circle(double cx, double cy, double radius);
TShape Segment(double x0, double y0, double x1, double y1, double width);
TShape Triangle(double x0, double y0, double x1, double y1, double x2, double y2);
TShape Union(TShape a, TShape b);
TShape Minus(TShape a, TShape b);

// Several frames of one size laid side by side or one above the other.
TRaster Strip(const std::vector<TRaster>& frames, bool vertical = false);
