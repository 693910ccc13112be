// How long the skin painters take per call, each beside a plain BitBlt of the same area
// measured in the same run: the region of the main window's 240 x 206 frame, a region of a
// 1920 x 1080 picture with scattered magenta, and the nine-grids of the frame.
#include "BenchRow.h"
#include "BenchTiming.h"
#include "ImgUtil.h"
#include "Reader.h"
#include "WinSkinData.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

namespace {

using Bench::PerCall;

void Report(const char* What, double Us, double BitBltUs) {
    std::printf("%-44s %10.1f us/call  %7.1f x BitBlt of the same area (%.1f us)\n", What, Us,
                Us / BitBltUs, BitBltUs);
    Bench::Row(What, Us, BitBltUs, "us");
}

double BitBltOf(int W, int H, int Calls) {
    TBitmap From(W, H, pf24bit), To(W, H, pf24bit);
    HDC Src = From.Canvas()->Handle(), Dest = To.Canvas()->Handle();
    return PerCall(Calls, [&] {
        BitBlt(Dest, 0, 0, W, H, Src, 0, 0, SRCCOPY);
        GdiFlush();
    });
}

} // namespace

int main() {
    auto Payload = ResourceData(L"DEFAULTSKIN");
    TSkinData Skin(nullptr);
    Skin.SetSkinStream(TBytes(Payload.begin(), Payload.end()));
    if (!Skin.SkinLoaded()) {
        std::fprintf(stderr, "the default skin did not load\n");
        return 1;
    }

    // The main window's frame: edges painted as the frame skin paints them, magenta kept
    // where the skin's corners are rounded, the client area in the face colour.
    const int W = 240, H = 206;
    TDataSkinBorder& Top = *Skin.Borders[sbsTop];
    TDataSkinBorder& Bottom = *Skin.Borders[sbsBottom];
    TDataSkinBorder& Left = *Skin.Borders[sbsLeft];
    TDataSkinBorder& Right = *Skin.Borders[sbsRight];
    const int FT = Top.Bitmap.Height() / Top.FrameCount;
    const int FB = Bottom.Bitmap.Height() / Bottom.FrameCount;
    const int FL = Left.Bitmap.Width() / Left.FrameCount;
    const int FR = Right.Bitmap.Width() / Right.FrameCount;
    TBitmap Frame(W, H, pf24bit);
    HDC FrameDC = Frame.Canvas()->Handle();
    auto PaintFrame = [&] {
        DrawSkinNineGrid(FrameDC, RECT{0, 0, FL, H}, Left.Bitmap, false, Left.Tile != 1, false,
                         Left.FrameCount, 1, Left.Margins);
        DrawSkinNineGrid(FrameDC, RECT{W - FR, 0, W, H}, Right.Bitmap, false, Right.Tile != 1,
                         false, Right.FrameCount, 1, Right.Margins);
        DrawSkinNineGrid(FrameDC, RECT{FL, H - FB, W - FR, H}, Bottom.Bitmap, true,
                         Bottom.Tile != 1, false, Bottom.FrameCount, 1, Bottom.Margins);
        DrawSkinNineGrid(FrameDC, RECT{FL, 0, W - FR, FT}, Top.Bitmap, true, Top.Tile != 1, false,
                         Top.FrameCount, 1, Top.Margins);
        GdiFlush();
    };
    {
        TBrushHandle Face(CreateSolidBrush(ColorToRGB(Skin.ButtonFace)));
        RECT All{0, 0, W, H};
        FillRect(FrameDC, &All, Face);
        PaintFrame();
    }

    // A large picture with one pixel in twenty magenta, scattered.
    const int BW = 1920, BH = 1080;
    TBitmap Big(BW, BH, pf24bit);
    std::mt19937 Random(20240);
    for (int Y = 0; Y < BH; ++Y) {
        uint8_t* P = Big.ScanLine(Y);
        for (int X = 0; X < BW; ++X, P += 3) {
            bool Key = Random() % 20 == 0;
            P[0] = Key ? 0xFF : static_cast<uint8_t>(Random());
            P[1] = Key ? 0x00 : static_cast<uint8_t>(Random() | 1);
            P[2] = Key ? 0xFF : static_cast<uint8_t>(Random());
        }
    }

    std::printf("skin painting, per call (median of 7 batches)\n");
    const double FrameBlt = BitBltOf(W, H, 2000);
    size_t Rects = 0;
    Report("RegionFromBitmap, 240 x 206 frame",
           PerCall(500,
                   [&] {
                       TRegionHandle R = RegionFromBitmap(Frame, 0, 0);
                       Rects = GetRegionData(R, 0, nullptr);
                   }),
           FrameBlt);
    std::printf("  (region data of %zu bytes)\n", Rects);
    Report("four edges of the 240 x 206 frame", PerCall(500, PaintFrame), FrameBlt);
    Report("DrawSkinImage 240 x 206, Buttons",
           PerCall(500,
                   [&] {
                       auto Grid = DrawSkinImage(RECT{0, 0, W, H}, Skin.Buttons->Bitmap,
                                                 Skin.Buttons->Margins, false, false, 5, 1);
                       GdiFlush();
                   }),
           FrameBlt);
    Report("DrawSkinImage 240 x 206, tiled middle",
           PerCall(500,
                   [&] {
                       auto Grid = DrawSkinImage(RECT{0, 0, W, H}, Skin.StatusBarEdges->Bitmap,
                                                 Skin.StatusBarEdges->Margins, false, true, 3, 1);
                       GdiFlush();
                   }),
           FrameBlt);
    Report("DrawSkinNineGrid 240 x 206, magenta key",
           PerCall(500,
                   [&] {
                       DrawSkinNineGrid(FrameDC, RECT{0, 0, W, H}, Skin.MenuItem->Bitmap, false,
                                        true, true, 5, 1, Skin.MenuItem->Margins);
                       GdiFlush();
                   }),
           FrameBlt);
    TBitmap Keyed(W, H, pf24bit);
    {
        HDC K = Keyed.Canvas()->Handle();
        TBrushHandle Key(CreateSolidBrush(RGB(255, 0, 255)));
        RECT All{0, 0, W, H};
        FillRect(K, &All, Key);
        BitBlt(K, 20, 20, W - 40, H - 40, FrameDC, 0, 0, SRCCOPY);
    }
    Report("DrawTransparent 240 x 206",
           PerCall(500,
                   [&] {
                       DrawTransparent(FrameDC, RECT{0, 0, W, H}, Keyed, SkinKeyColour);
                       GdiFlush();
                   }),
           FrameBlt);
    const double BigBlt = BitBltOf(BW, BH, 20);
    Report("RegionFromBitmap, 1920 x 1080 scattered",
           PerCall(3, [&] { TRegionHandle R = RegionFromBitmap(Big, 0, 0); }), BigBlt);
    return 0;
}
