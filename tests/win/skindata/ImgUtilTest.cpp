// The skin painters on small pictures whose every pixel is known: nine-grids, strips,
// frames, glyphs, the key colour, regions, the whole-image helpers, and that no path leaves
// a GDI object behind.
#include "SkinDataSupport.h"

#include "ImgUtil.h"

#include <gtest/gtest.h>

#include <functional>

using namespace SkinDataTest;

namespace {

constexpr uint32_t Magenta = 0xFF00FF;
constexpr uint32_t Green = 0x00C000;

// A bitmap whose pixel (X, Y) is Colour(X, Y).
std::unique_ptr<TBitmap> Picture(int W, int H, const std::function<uint32_t(int, int)>& Colour,
                                 TPixelFormat Format = pf24bit) {
    auto B = std::make_unique<TBitmap>(W, H, Format);
    for (int Y = 0; Y < H; ++Y)
        for (int X = 0; X < W; ++X)
            SetPixel(*B, X, Y, Colour(X, Y));
    return B;
}

// Every pixel of a 9 x 9 frame different: a nine-grid must place each where it belongs.
uint32_t Unique(int X, int Y) {
    return static_cast<uint32_t>(0x010000 * (X + 1) + 0x000100 * (Y + 1) + 7);
}

// The source pixel a nine-grid with 3-pixel margins of a 9 x 9 frame shows at (X, Y) of a
// W x H target, along an axis: corners and edges keep their offsets from their own side.
int SourceAlong(int P, int Size) {
    if (P < 3) return P;
    if (P >= Size - 3) return 9 - (Size - P);
    return -1; // inside the stretched part
}

RECT Margins(int L, int T, int R, int B) {
    return RECT{L, T, R, B};
}

} // namespace

TEST(SkinNineGrid, CornersKeepTheirPixelsAndEdgesStretchAlongTheirLength) {
    // Two frames side by side; frame 2 is the unique pattern, frame 1 is all magenta.
    auto Image = Picture(18, 9, [](int X, int Y) { return X < 9 ? Magenta : Unique(X - 9, Y); });
    const int W = 30, H = 20;
    auto Grid =
        DrawSkinImage(RECT{5, 5, 5 + W, 5 + H}, *Image, Margins(3, 3, 3, 3), false, false, 2, 2);
    ASSERT_EQ(Grid->Width(), W);
    ASSERT_EQ(Grid->Height(), H);
    for (int Y = 0; Y < H; ++Y)
        for (int X = 0; X < W; ++X) {
            const uint32_t P = Pixel(*Grid, X, Y);
            ASSERT_NE(P, Magenta) << "frame 1 shows at " << X << "," << Y;
            int SX = SourceAlong(X, W), SY = SourceAlong(Y, H);
            if (SX >= 0 && SY >= 0) { // a corner: copied pixel for pixel
                ASSERT_EQ(P, Unique(SX, SY)) << X << "," << Y;
            }
            // An edge keeps its rows (top, bottom) or columns (left, right) unscaled.
            if (SY >= 0 && SX < 0) {
                ASSERT_EQ((P >> 8) & 0xFF, static_cast<uint32_t>(SY + 1));
            }
            if (SX >= 0 && SY < 0) {
                ASSERT_EQ(P >> 16, static_cast<uint32_t>(SX + 1));
            }
        }
    // The stretched middle shows the source middle only.
    for (int Y = 3; Y < H - 3; ++Y)
        for (int X = 3; X < W - 3; ++X) {
            const uint32_t P = Pixel(*Grid, X, Y);
            ASSERT_GE(P >> 16, 4u);
            ASSERT_LE(P >> 16, 6u);
            ASSERT_GE((P >> 8) & 0xFF, 4u);
            ASSERT_LE((P >> 8) & 0xFF, 6u);
        }
}

TEST(SkinNineGrid, VerticalFramesAndFrameNumbersOutOfRange) {
    // Three frames one above the other, each of one colour.
    const uint32_t Colours[] = {0x0000AA, 0x00AA00, 0xAA0000};
    auto Image = Picture(4, 12, [&](int, int Y) { return Colours[Y / 4]; });
    for (int Frame : {0, 1, 2, 3, 4}) {
        auto Grid =
            DrawSkinImage(RECT{0, 0, 7, 6}, *Image, Margins(1, 1, 1, 1), true, false, 3, Frame);
        const uint32_t Want = Colours[std::clamp(Frame, 1, 3) - 1];
        for (int Y = 0; Y < 6; ++Y)
            for (int X = 0; X < 7; ++X)
                ASSERT_EQ(Pixel(*Grid, X, Y), Want) << Frame << ": " << X << "," << Y;
    }
    EXPECT_TRUE(DrawSkinImage(RECT{0, 0, 0, 5}, *Image, {}, true, false, 3, 1)->Empty());
    EXPECT_TRUE(DrawSkinImage(RECT{5, 5, 0, 0}, *Image, {}, true, false, 3, 1)->Empty());
    TBitmap Nothing;
    EXPECT_TRUE(DrawSkinImage(RECT{0, 0, 5, 5}, Nothing, {}, true, false, 3, 1)->Empty());
}

TEST(SkinNineGrid, MarginsWiderThanTheTargetAreDropped) {
    auto Image = Picture(9, 9, Unique);
    auto Column = [](uint32_t P) { return static_cast<int>(P >> 16) - 1; };
    auto Row = [](uint32_t P) { return static_cast<int>((P >> 8) & 0xFF) - 1; };
    // 5 wide: left and right margins (3 + 3) do not fit, top and bottom do. Kept, the right
    // corner would start at column 2 with source column 6; dropped, the whole source width is
    // stretched over the target and column 2 shows the source's middle.
    auto Grid = DrawSkinImage(RECT{0, 0, 5, 20}, *Image, Margins(3, 3, 3, 3), false, false, 1, 1);
    EXPECT_LE(Column(Pixel(*Grid, 0, 0)), 1);
    EXPECT_GE(Column(Pixel(*Grid, 2, 0)), 3);
    EXPECT_LE(Column(Pixel(*Grid, 2, 0)), 5);
    EXPECT_GE(Column(Pixel(*Grid, 4, 0)), 7);
    for (int X = 0; X < 5; ++X) {
        EXPECT_EQ(Row(Pixel(*Grid, X, 0)), 0) << X; // the top edge keeps its rows
        EXPECT_EQ(Row(Pixel(*Grid, X, 19)), 8) << X;
        EXPECT_GE(Row(Pixel(*Grid, X, 10)), 3) << X;
        EXPECT_LE(Row(Pixel(*Grid, X, 10)), 5) << X;
    }
    // 20 x 5: now the top and bottom margins go, the side edges keep their columns.
    auto Flat = DrawSkinImage(RECT{0, 0, 20, 5}, *Image, Margins(3, 3, 3, 3), false, false, 1, 1);
    EXPECT_GE(Row(Pixel(*Flat, 10, 2)), 3);
    EXPECT_LE(Row(Pixel(*Flat, 10, 2)), 5);
    for (int Y = 0; Y < 5; ++Y) {
        EXPECT_EQ(Column(Pixel(*Flat, 0, Y)), 0) << Y;
        EXPECT_EQ(Column(Pixel(*Flat, 19, Y)), 8) << Y;
    }
}

TEST(SkinNineGrid, TiledMiddleLeavesNoGapAndNoOverrun) {
    // Margins 2; the middle is 3 x 3 of columns A B C. Edges are of their own colours.
    const uint32_t Cols[] = {0x0000A0, 0x00A000, 0xA00000};
    auto Image = Picture(7, 7, [&](int X, int Y) -> uint32_t {
        if (X < 2) return 0x111111;
        if (X >= 5) return 0x222222;
        if (Y < 2) return 0x333333;
        if (Y >= 5) return 0x444444;
        return Cols[X - 2] + static_cast<uint32_t>(Y - 2); // row in the lowest byte
    });
    // A middle of 10 x 8: neither divides by 3.
    auto Grid = DrawSkinImage(RECT{0, 0, 14, 12}, *Image, Margins(2, 2, 2, 2), false, true, 1, 1);
    for (int Y = 0; Y < 12; ++Y)
        for (int X = 0; X < 14; ++X) {
            uint32_t Want;
            if (X < 2)
                Want = 0x111111;
            else if (X >= 12)
                Want = 0x222222;
            else if (Y < 2)
                Want = 0x333333;
            else if (Y >= 10)
                Want = 0x444444;
            else
                Want = Cols[(X - 2) % 3] + static_cast<uint32_t>((Y - 2) % 3);
            ASSERT_EQ(Pixel(*Grid, X, Y), Want) << X << "," << Y;
        }

    // Straight on a device context: the same picture, and nothing outside the target.
    TBitmap Canvas(30, 30, pf24bit);
    Fill(Canvas, Green);
    DrawSkinImageDirect(Canvas.Canvas()->Handle(), RECT{8, 9, 22, 21}, *Image, Margins(2, 2, 2, 2),
                        false, true, 1, 1);
    for (int Y = 0; Y < 30; ++Y)
        for (int X = 0; X < 30; ++X) {
            const bool Inside = X >= 8 && X < 22 && Y >= 9 && Y < 21;
            ASSERT_EQ(Pixel(Canvas, X, Y), Inside ? Pixel(*Grid, X - 8, Y - 9) : Green)
                << X << "," << Y;
        }
}

TEST(SkinNineGrid, WrapperDrawsOpaqueOrThroughTheKey) {
    // A 6 x 6 frame: a 2-pixel blue ring around a magenta middle.
    auto Image = Picture(6, 6, [](int X, int Y) {
        return X < 2 || X >= 4 || Y < 2 || Y >= 4 ? 0xFF0000u : Magenta;
    });
    TBitmap Target(20, 20, pf24bit);
    for (bool Transparent : {false, true}) {
        Fill(Target, Green);
        DrawSkinNineGrid(Target.Canvas()->Handle(), RECT{2, 2, 18, 18}, *Image, false, false,
                         Transparent, 1, 1, Margins(2, 2, 2, 2));
        EXPECT_EQ(Pixel(Target, 1, 1), Green);
        EXPECT_EQ(Pixel(Target, 2, 2), 0xFF0000u);
        EXPECT_EQ(Pixel(Target, 17, 10), 0xFF0000u);
        EXPECT_EQ(Pixel(Target, 18, 18), Green);
        EXPECT_EQ(Pixel(Target, 10, 10), Transparent ? Green : Magenta);
    }
    Fill(Target, Green);
    DrawSkinNineGrid(Target.Canvas()->Handle(), RECT{18, 18, 2, 2}, *Image, false, false, false, 1,
                     1, Margins(2, 2, 2, 2));
    EXPECT_EQ(Pixel(Target, 10, 10), Green);
}

TEST(SkinStrip, CapsStretchInHeightAndTheMiddleRepeats) {
    // Frame 2 of two stacked 7 x 4 frames: caps of 2 pixels, a middle of three columns.
    const uint32_t Mid[] = {0x000080, 0x008000, 0x800000};
    auto Image = Picture(7, 8, [&](int X, int Y) -> uint32_t {
        if (Y < 4) return Magenta;
        if (X < 2) return 0x101010 + static_cast<uint32_t>(X);
        if (X >= 5) return 0x202020 + static_cast<uint32_t>(X - 5);
        return Mid[X - 2];
    });
    TBitmap Target(40, 20, pf24bit);
    for (bool Transparent : {false, true}) {
        Fill(Target, Green);
        DrawSkinStrip(*Target.Canvas(), RECT{3, 4, 19, 12}, *Image, true, Transparent, 2, 2,
                      Margins(2, 99, 2, 99));
        for (int Y = 0; Y < 20; ++Y)
            for (int X = 0; X < 40; ++X) {
                uint32_t Want = Green;
                if (X >= 3 && X < 19 && Y >= 4 && Y < 12) {
                    int TX = X - 3;
                    if (TX < 2)
                        Want = 0x101010 + static_cast<uint32_t>(TX);
                    else if (TX >= 14)
                        Want = 0x202020 + static_cast<uint32_t>(TX - 14);
                    else
                        Want = Mid[(TX - 2) % 3];
                }
                ASSERT_EQ(Pixel(Target, X, Y), Want) << Transparent << " " << X << "," << Y;
            }
    }
    // Magenta in the picture is left out only when drawn transparent.
    auto Keyed = Picture(3, 2, [](int X, int) { return X == 1 ? Magenta : 0x0000FFu; });
    Fill(Target, Green);
    DrawSkinStrip(*Target.Canvas(), RECT{0, 0, 9, 2}, *Keyed, false, true, 1, 1,
                  Margins(1, 0, 1, 0));
    EXPECT_EQ(Pixel(Target, 0, 0), 0x0000FFu);
    EXPECT_EQ(Pixel(Target, 4, 1), Green);
    EXPECT_EQ(Pixel(Target, 8, 0), 0x0000FFu);
}

TEST(SkinFrameAndGlyph, FrameScaledAndGlyphCentred) {
    // Three 2 x 2 frames; frame 2 has a magenta top-left pixel.
    auto Image = Picture(6, 2, [](int X, int Y) -> uint32_t {
        if (X < 2 || X >= 4) return 0x00FFFF;
        return X == 2 && Y == 0 ? Magenta : 0x0000FF + static_cast<uint32_t>(X + 2 * Y);
    });
    TBitmap Target(16, 16, pf24bit);
    for (bool Transparent : {false, true}) {
        Fill(Target, Green);
        DrawSkinFrame(Target.Canvas()->Handle(), RECT{4, 4, 12, 12}, *Image, Transparent, 3, 2);
        EXPECT_EQ(Pixel(Target, 5, 5), Transparent ? Green : Magenta); // top-left quarter
        EXPECT_EQ(Pixel(Target, 10, 5), 0x0000FFu + 3);                // top-right
        EXPECT_EQ(Pixel(Target, 5, 10), 0x0000FFu + 4);                // bottom-left
        EXPECT_EQ(Pixel(Target, 11, 11), 0x0000FFu + 5);               // bottom-right
        EXPECT_EQ(Pixel(Target, 3, 3), Green);
        EXPECT_EQ(Pixel(Target, 12, 12), Green);
    }
    // Centred: (11 - 2) div 2 = 4 and (8 - 2) div 2 = 3 from the target's corner (1, 2).
    for (bool Transparent : {false, true}) {
        Fill(Target, Green);
        DrawSkinGlyph(Target.Canvas()->Handle(), RECT{1, 2, 12, 10}, *Image, Transparent, 3, 2);
        for (int Y = 0; Y < 16; ++Y)
            for (int X = 0; X < 16; ++X) {
                uint32_t Want = Green;
                if (X >= 5 && X < 7 && Y >= 5 && Y < 7) {
                    int FX = X - 5, FY = Y - 5;
                    Want = FX == 0 && FY == 0 ? (Transparent ? Green : Magenta)
                                              : 0x0000FFu + static_cast<uint32_t>(FX + 2 + 2 * FY);
                }
                ASSERT_EQ(Pixel(Target, X, Y), Want) << Transparent << " " << X << "," << Y;
            }
    }
}

TEST(SkinTransparent, OnlyTheKeyColourIsLeftOut) {
    auto Image = Picture(4, 1, [](int X, int) {
        const uint32_t C[] = {Magenta, 0xFE00FF, 0xFF01FF, 0x000000};
        return C[X];
    });
    TBitmap Target(6, 3, pf24bit);
    Fill(Target, Green);
    DrawTransparent(Target.Canvas()->Handle(), RECT{1, 1, 6, 3}, *Image, SkinKeyColour);
    EXPECT_EQ(Pixel(Target, 1, 1), Green);
    EXPECT_EQ(Pixel(Target, 2, 1), 0xFE00FFu);
    EXPECT_EQ(Pixel(Target, 3, 1), 0xFF01FFu);
    EXPECT_EQ(Pixel(Target, 4, 1), 0u);
    EXPECT_EQ(Pixel(Target, 5, 1), Green); // past the bitmap
    EXPECT_EQ(Pixel(Target, 2, 2), Green);
    // Any key colour, and a target smaller than the bitmap cuts it.
    Fill(Target, Green);
    DrawTransparent(Target.Canvas()->Handle(), RECT{0, 0, 2, 1}, *Image, clBlack);
    EXPECT_EQ(Pixel(Target, 0, 0), Magenta);
    EXPECT_EQ(Pixel(Target, 1, 0), 0xFE00FFu);
    EXPECT_EQ(Pixel(Target, 2, 0), Green);
}

namespace {

bool SameAsRect(HRGN Region, const RECT& R) {
    TRegionHandle Rect(CreateRectRgnIndirect(&R));
    TRegionHandle Diff(CreateRectRgn(0, 0, 0, 0));
    return CombineRgn(Diff, Region, Rect, RGN_XOR) == NULLREGION;
}

} // namespace

TEST(SkinRegion, AllKeyIsEmptyNoKeyIsTheWholeRectangle) {
    auto AllKey = Picture(7, 5, [](int, int) { return Magenta; });
    TRegionHandle Empty = RegionFromBitmap(*AllKey, 3, 4);
    ASSERT_TRUE(Empty);
    RECT Box;
    EXPECT_EQ(GetRgnBox(Empty, &Box), NULLREGION);

    for (TPixelFormat Format : {pf24bit, pf32bit}) {
        auto NoKey = Picture(
            7, 5, [](int X, int Y) { return Unique(X, Y); }, Format);
        TRegionHandle Full = RegionFromBitmap(*NoKey, 3, 4);
        EXPECT_TRUE(SameAsRect(Full, RECT{3, 4, 10, 9})) << Format;
    }
}

TEST(SkinRegion, ToleranceWidensTheKeyUpwardsPerChannel) {
    // red 255 green 1 blue 255 matches with tolerance 1; blue 254 never does.
    auto Image = Picture(3, 1, [](int X, int) {
        const uint32_t C[] = {0xFF01FF, 0xFE00FF, Magenta};
        return C[X];
    });
    TRegionHandle Tolerant = RegionFromBitmap(*Image, 0, 0, 0x010101, SkinKeyColour);
    EXPECT_TRUE(SameAsRect(Tolerant, RECT{1, 0, 2, 1}));
    TRegionHandle Exact = RegionFromBitmap(*Image, 0, 0, 0, SkinKeyColour);
    EXPECT_TRUE(SameAsRect(Exact, RECT{0, 0, 2, 1}));
    // Another key with its own tolerance: grey 100 +- nothing below the key.
    auto Greys = Picture(4, 1, [](int X, int) {
        const uint32_t C[] = {0x636363, 0x646464, 0x6E6E6E, 0x6F6E6E};
        return C[X];
    });
    TRegionHandle G = RegionFromBitmap(*Greys, 0, 0, 0x0A0A0A, static_cast<TColor>(0x646464));
    RECT R0{0, 0, 1, 1}, R3{3, 0, 4, 1};
    TRegionHandle Want(CreateRectRgnIndirect(&R0)), Part(CreateRectRgnIndirect(&R3));
    CombineRgn(Want, Want, Part, RGN_OR);
    EXPECT_TRUE(EqualRgn(G, Want));
}

TEST(SkinRegion, ManyRunsAreCollectedInBatches) {
    // 5000 one-pixel runs: every other pixel magenta, shifted on odd rows.
    auto Image = Picture(100, 100, [](int X, int Y) { return (X + Y) % 2 ? Magenta : 0x123456u; });
    TRegionHandle R = RegionFromBitmap(*Image, -10, 20);
    ASSERT_TRUE(R);
    for (int Y = 0; Y < 100; ++Y)
        for (int X = 0; X < 100; ++X)
            ASSERT_EQ(PtInRegion(R, X - 10, Y + 20) != 0, (X + Y) % 2 == 0) << X << "," << Y;
    RECT Box;
    GetRgnBox(R, &Box);
    EXPECT_EQ(Box.left, -10);
    EXPECT_EQ(Box.top, 20);
    EXPECT_EQ(Box.right, 90);
    EXPECT_EQ(Box.bottom, 120);
}

TEST(SkinImageHelpers, GreyMirrorFlipAndRotate) {
    for (TPixelFormat Format : {pf24bit, pf32bit}) {
        // 3 x 2, every pixel different.
        auto Source = [](int X, int Y) { return Unique(X, Y); };
        auto Check = [&](const char* What, void (*Op)(TBitmap&), int W, int H,
                         const std::function<uint32_t(int, int)>& Want) {
            auto B = Picture(3, 2, Source, Format);
            Op(*B);
            ASSERT_EQ(B->Width(), W) << What;
            ASSERT_EQ(B->Height(), H) << What;
            EXPECT_EQ(B->PixelFormat(), Format) << What;
            for (int Y = 0; Y < H; ++Y)
                for (int X = 0; X < W; ++X)
                    EXPECT_EQ(Pixel(*B, X, Y), Want(X, Y)) << What << " " << X << "," << Y;
        };
        Check("mirror", MirrorBitmap, 3, 2, [&](int X, int Y) { return Source(2 - X, Y); });
        Check("flip", FlipBitmap, 3, 2, [&](int X, int Y) { return Source(X, 1 - Y); });
        // Counter-clockwise: the right column becomes the top row.
        Check("left", RotateBitmapLeft, 2, 3, [&](int X, int Y) { return Source(2 - Y, X); });
        Check("right", RotateBitmapRight, 2, 3, [&](int X, int Y) { return Source(Y, 1 - X); });
        Check("grey", GreyBitmap, 3, 2, [&](int X, int Y) {
            uint32_t C = Source(X, Y);
            uint32_t A = ((C & 0xFF) + ((C >> 8) & 0xFF) + (C >> 16)) / 3;
            return A | A << 8 | A << 16;
        });
    }
}

TEST(SkinPainters, NoPathLeavesAGdiObject) {
    auto Image = Picture(12, 6, [](int X, int) { return X % 3 ? 0x203040u : Magenta; });
    TBitmap Target(40, 40, pf24bit);
    HDC DC = Target.Canvas()->Handle();
    DrawSkinGlyph(DC, RECT{0, 0, 6, 6}, *Image, false, 2, 1); // the image keeps a DC of its own
    const long Objects = LiveHandles(THandleKind::GdiObject);
    const long DCs = LiveHandles(THandleKind::DC);
    for (int I = 0; I < 200; ++I) {
        DrawSkinNineGrid(DC, RECT{0, 0, 30, 20}, *Image, false, I % 2, true, 2, 1 + I % 2,
                         Margins(2, 2, 2, 2));
        DrawSkinStrip(*Target.Canvas(), RECT{0, 20, 40, 30}, *Image, false, true, 2, 1,
                      Margins(2, 0, 2, 0));
        DrawSkinFrame(DC, RECT{0, 30, 20, 40}, *Image, I % 2, 2, 2);
        DrawSkinGlyph(DC, RECT{20, 30, 40, 40}, *Image, I % 2, 2, 1);
        TRegionHandle R = RegionFromBitmap(*Image, 0, 0);
        ASSERT_TRUE(R) << I;
    }
    EXPECT_EQ(LiveHandles(THandleKind::GdiObject), Objects);
    EXPECT_EQ(LiveHandles(THandleKind::DC), DCs);
    // Drawing still works after all that.
    Fill(Target, Green);
    DrawSkinGlyph(DC, RECT{0, 0, 6, 6}, *Image, true, 2, 1);
    EXPECT_EQ(Pixel(Target, 0, 0), Green);
    EXPECT_EQ(Pixel(Target, 1, 0), 0x203040u);
}
