#include "Raster.h"

#include <algorithm>
#include <cmath>
#include <fstream>

TRgb Hex(std::uint32_t rgb) {
    return {double(rgb >> 16 & 255), double(rgb >> 8 & 255), double(rgb & 255)};
}

TRgb Mix(TRgb a, TRgb b, double t) {
    return {a.R + (b.R - a.R) * t, a.G + (b.G - a.G) * t, a.B + (b.B - a.B) * t};
}

namespace {

std::uint32_t Pack(TRgb c) {
    auto channel = [](double v) {
        return static_cast<std::uint32_t>(std::clamp(std::lround(v), 0L, 255L));
    };
    std::uint32_t rgb = channel(c.R) << 16 | channel(c.G) << 8 | channel(c.B);
    // A painted pixel must never read as the transparent key.
    return rgb == Magenta ? 0xFE00FF : rgb;
}

} // namespace

TRaster::TRaster(int width, int height, std::uint32_t fill)
    : FWidth(width), FHeight(height), FPixels(static_cast<std::size_t>(width) * height, fill) {}

void TRaster::Fill(const TShape& shape, const TPaint& paint, TRgb matte) {
    constexpr int S = 4;
    for (int y = 0; y < FHeight; ++y)
        for (int x = 0; x < FWidth; ++x) {
            int inside = 0;
            for (int sy = 0; sy < S; ++sy)
                for (int sx = 0; sx < S; ++sx)
                    inside += shape(x + (sx + 0.5) / S, y + (sy + 0.5) / S);
            if (inside == 0) continue;
            double a = double(inside) / (S * S);
            std::uint32_t& px = FPixels[Index(x, y)];
            if (px == Magenta && a < 0.5) continue;
            TRgb under = px == Magenta ? matte : Hex(px);
            px = Pack(Mix(under, paint(x + 0.5, y + 0.5), a));
        }
}

void TRaster::Fill(const TShape& shape, TRgb colour, TRgb matte) {
    Fill(
        shape, [colour](double, double) { return colour; }, matte);
}

void TRaster::Copy(const TRaster& src, int sx, int sy, int w, int h, int dx, int dy) {
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            Set(dx + x, dy + y, src.Get(sx + x, sy + y));
}

bool TRaster::SaveBmp(const std::string& path) const {
    const int rowBytes = (FWidth * 3 + 3) & ~3;
    const std::uint32_t imageSize = static_cast<std::uint32_t>(rowBytes * FHeight);
    std::vector<std::uint8_t> out;
    auto put = [&](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    out.push_back('B');
    out.push_back('M');
    put(14 + 40 + imageSize, 4);
    put(0, 4);
    put(14 + 40, 4);
    put(40, 4);
    put(static_cast<std::uint32_t>(FWidth), 4);
    put(static_cast<std::uint32_t>(FHeight), 4);
    put(1, 2);
    put(24, 2);
    put(0, 4);
    put(imageSize, 4);
    put(2835, 4);
    put(2835, 4);
    put(0, 4);
    put(0, 4);
    for (int y = FHeight - 1; y >= 0; --y) {
        for (int x = 0; x < FWidth; ++x) {
            std::uint32_t px = Get(x, y);
            out.push_back(static_cast<std::uint8_t>(px));
            out.push_back(static_cast<std::uint8_t>(px >> 8));
            out.push_back(static_cast<std::uint8_t>(px >> 16));
        }
        for (int pad = FWidth * 3; pad < rowBytes; ++pad)
            out.push_back(0);
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    return static_cast<bool>(file);
}

TShape RoundRect(double x0, double y0, double x1, double y1, double radius) {
    return [=](double x, double y) {
        if (x < x0 || x > x1 || y < y0 || y > y1) return false;
        double cx = std::clamp(x, x0 + radius, x1 - radius);
        double cy = std::clamp(y, y0 + radius, y1 - radius);
        return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
    };
}

TShape Circle(double cx, double cy, double radius) {
    return [=](double x, double y) {
        return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
    };
}

TShape Segment(double x0, double y0, double x1, double y1, double width) {
    return [=](double x, double y) {
        double dx = x1 - x0, dy = y1 - y0;
        double t = std::clamp(((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
        double px = x0 + t * dx - x, py = y0 + t * dy - y;
        return px * px + py * py <= width * width / 4;
    };
}

TShape Triangle(double x0, double y0, double x1, double y1, double x2, double y2) {
    return [=](double x, double y) {
        auto side = [&](double ax, double ay, double bx, double by) {
            return (bx - ax) * (y - ay) - (by - ay) * (x - ax);
        };
        double a = side(x0, y0, x1, y1), b = side(x1, y1, x2, y2), c = side(x2, y2, x0, y0);
        return (a >= 0 && b >= 0 && c >= 0) || (a <= 0 && b <= 0 && c <= 0);
    };
}

TShape Union(TShape a, TShape b) {
    return [=](double x, double y) { return a(x, y) || b(x, y); };
}

TShape Minus(TShape a, TShape b) {
    return [=](double x, double y) { return a(x, y) && !b(x, y); };
}

TRaster Strip(const std::vector<TRaster>& frames, bool vertical) {
    const int w = frames.front().Width(), h = frames.front().Height();
    const int n = static_cast<int>(frames.size());
    TRaster out(vertical ? w : w * n, vertical ? h * n : h);
    for (int i = 0; i < n; ++i)
        out.Copy(frames[i], 0, 0, w, h, vertical ? 0 : w * i, vertical ? h * i : 0);
    return out;
}
