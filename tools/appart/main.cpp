// appart: draws the dialer's own pictures — button glyphs (normal and disabled side by side),
// the window and tray icons and the two frames of the ringing animation — and writes them as
// BMP and ICO files for the program to embed.
#include "Raster.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const TRgb Ink = Hex(0x35404F);
const TRgb Grey = Hex(0xA4A9B0);
const TRgb Green = Hex(0x2E9E4F);
const TRgb Red = Hex(0xD2463C);
const TRgb Blue = Hex(0x3D7BD9);
const TRgb Face = Hex(0xE0DFE3); // what the glyphs sit on: the button face
const TRgb White = Hex(0xFFFFFF);

// A telephone handset in a size × size box: a quarter ring bowed to the upper left, with the
// ear and mouth pieces at its ends turned towards the lower right.
TShape Handset(double size) {
    const double s = size / 16.0, c = 13.5 * s;
    TShape ring = Minus(Circle(c, c, 10.2 * s), Circle(c, c, 7.4 * s));
    TShape grip = [=](double x, double y) { return x <= c && y <= c && ring(x, y); };
    TShape ear = RoundRect(9.6 * s, 2.0 * s, 15.2 * s, 7.2 * s, 2.2 * s);
    TShape mouth = RoundRect(2.0 * s, 9.6 * s, 7.2 * s, 15.2 * s, 2.2 * s);
    return Union(grip, Union(ear, mouth));
}

// Two frames of one glyph: as drawn, and greyed for the disabled look.
TRaster GlyphPair(int w, int h, const TShape& shape, TRgb colour) {
    TRaster normal(w, h), disabled(w, h);
    normal.Fill(shape, colour, Face);
    disabled.Fill(shape, Grey, Face);
    return Strip({normal, disabled});
}

TRaster Arrow(bool up) {
    const int w = 7, h = 5;
    TShape tri =
        up ? Triangle(0.5, 4.5, 6.5, 4.5, 3.5, 0.8) : Triangle(0.5, 0.5, 6.5, 0.5, 3.5, 4.2);
    return GlyphPair(w, h, tri, Ink);
}

TRaster Plug() {
    TShape body = RoundRect(3, 5, 13, 11, 1.5);
    TShape pins = Union(RoundRect(5, 2, 7, 5.5, 0.4), RoundRect(9, 2, 11, 5.5, 0.4));
    TShape cord = Segment(8, 10.5, 8, 15.5, 2);
    return GlyphPair(16, 16, Union(body, Union(pins, cord)), Blue);
}

TRaster Power() {
    TShape ring = Minus(Circle(5, 5.5, 4.4), Circle(5, 5.5, 2.7));
    TShape gap = Segment(5, 0.5, 5, 4.5, 3.6);
    TShape stem = Segment(5, 0.8, 5, 5.4, 1.7);
    return GlyphPair(10, 10, Union(Minus(ring, gap), stem), Red);
}

// The ringing handset: one sound wave in the first frame, two in the second.
TRaster RingFrame(int waves) {
    TRaster r(16, 16);
    r.Fill(Handset(13), Green, White);
    const double c = 9.0;
    for (int i = 0; i < waves; ++i) {
        const double radius = 2.6 + 2.8 * i;
        TShape arc = Minus(Circle(c, c, radius + 0.8), Circle(c, c, radius - 0.8));
        r.Fill([=](double x, double y) { return x > c + 0.3 && y > c + 0.3 && arc(x, y); }, Red,
               White);
    }
    return r;
}

// The program's icon: a blue rounded tile with a white handset and a keypad dot grid.
TRaster AppIcon(int size) {
    TRaster r(size, size);
    const double s = size / 32.0;
    r.Fill(
        RoundRect(1 * s, 1 * s, 31 * s, 31 * s, 7 * s),
        [&](double, double y) { return Mix(Hex(0x5B9BEA), Hex(0x2F66C0), y / size); }, White);
    const double o = 4 * s;
    TShape handset = Handset(16 * s);
    r.Fill([=](double x, double y) { return handset(x - o, y - o); }, White, Blue);
    if (size >= 32)
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 3; ++col)
                r.Fill(Circle((17.5 + col * 4.2) * s, (16.5 + row * 4.2) * s, 1.4 * s),
                       Hex(0xDCE9FB), Blue);
    return r;
}

// Writes an icon file of 32-bit images; the key colour becomes transparent.
bool SaveIco(const std::string& path, const std::vector<TRaster>& images) {
    std::vector<std::uint8_t> out;
    auto put = [&](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    put(0, 2);
    put(1, 2);
    put(static_cast<std::uint32_t>(images.size()), 2);
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
    std::vector<std::uint32_t> sizes;
    for (const TRaster& r : images) {
        const std::uint32_t maskRow = ((r.Width() + 31) / 32) * 4;
        const std::uint32_t size = 40 + r.Width() * r.Height() * 4 + maskRow * r.Height();
        put(static_cast<std::uint32_t>(r.Width() & 0xFF), 1);
        put(static_cast<std::uint32_t>(r.Height() & 0xFF), 1);
        put(0, 1);
        put(0, 1);
        put(1, 2);
        put(32, 2);
        put(size, 4);
        put(offset, 4);
        offset += size;
    }
    for (const TRaster& r : images) {
        const std::uint32_t maskRow = ((r.Width() + 31) / 32) * 4;
        put(40, 4);
        put(static_cast<std::uint32_t>(r.Width()), 4);
        put(static_cast<std::uint32_t>(r.Height() * 2), 4);
        put(1, 2);
        put(32, 2);
        put(0, 4);
        put(0, 4);
        put(0, 4);
        put(0, 4);
        put(0, 4);
        put(0, 4);
        for (int y = r.Height() - 1; y >= 0; --y)
            for (int x = 0; x < r.Width(); ++x) {
                const std::uint32_t px = r.Get(x, y);
                put(px == Magenta ? 0 : (px | 0xFF000000u), 4);
            }
        for (int y = r.Height() - 1; y >= 0; --y) {
            std::vector<std::uint8_t> row(maskRow, 0);
            for (int x = 0; x < r.Width(); ++x)
                if (r.Get(x, y) == Magenta)
                    row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            out.insert(out.end(), row.begin(), row.end());
        }
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: appart OUTDIR\n");
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    bool ok = Arrow(true).SaveBmp(dir + "glyph_up.bmp") &&
              Arrow(false).SaveBmp(dir + "glyph_down.bmp") &&
              GlyphPair(16, 16, Handset(16), Green).SaveBmp(dir + "glyph_enter.bmp") &&
              GlyphPair(16, 16, Handset(16), Red).SaveBmp(dir + "glyph_reset.bmp") &&
              Plug().SaveBmp(dir + "glyph_com.bmp") && Power().SaveBmp(dir + "glyph_exit.bmp") &&
              Strip({RingFrame(1), RingFrame(2)}).SaveBmp(dir + "ring_frames.bmp") &&
              SaveIco(dir + "dialer.ico", {AppIcon(32), AppIcon(16)}) &&
              SaveIco(dir + "tray.ico", {AppIcon(16)});
    if (!ok) std::fprintf(stderr, "appart: cannot write into %s\n", dir.c_str());
    return ok ? 0 : 1;
}
