// Pictures and drawing objects: BMP streams of every row order and depth read back pixel for
// pixel, canvases draw what they are told, and every wrapper returns its live count to where
// it started even after 70 000 cycles (one leaked object per cycle would exhaust Wine's GDI
// table long before that).
#include "Graphics.h"
#include "ImgList.h"

#include <gtest/gtest.h>

namespace {

void Put32(TBytes& D, uint32_t V) {
    for (int I = 0; I < 4; ++I)
        D.push_back(static_cast<uint8_t>(V >> (8 * I)));
}
void Put16(TBytes& D, uint16_t V) {
    D.push_back(static_cast<uint8_t>(V));
    D.push_back(static_cast<uint8_t>(V >> 8));
}

uint32_t Pattern(int X, int Y) {
    return static_cast<uint32_t>((X * 40) | (Y * 60) << 8 | (X + Y) * 20 << 16);
}

// A BMP file W x H whose pixel (X, Y) (Y = 0 at the top) is Pattern(X, Y); 8-bit files use a
// palette holding those colours.
TBytes MakeBmp(int W, int H, int Bpp, bool TopDown) {
    int Stride = ((W * Bpp + 31) / 32) * 4;
    int Colors = Bpp == 8 ? W * H : 0;
    TBytes D{'B', 'M'};
    uint32_t Offset = 14 + 40 + Colors * 4;
    Put32(D, Offset + Stride * H);
    Put32(D, 0);
    Put32(D, Offset);
    Put32(D, 40);
    Put32(D, static_cast<uint32_t>(W));
    Put32(D, static_cast<uint32_t>(TopDown ? -H : H));
    Put16(D, 1);
    Put16(D, static_cast<uint16_t>(Bpp));
    Put32(D, 0);
    Put32(D, Stride * H);
    Put32(D, 0);
    Put32(D, 0);
    Put32(D, Colors);
    Put32(D, 0);
    for (int I = 0; I < Colors; ++I) { // blue, green, red, 0
        uint32_t P = Pattern(I % W, I / W);
        Put32(D, (P >> 16 & 0xFF) | (P & 0xFF00) | (P & 0xFF) << 16);
    }
    for (int Row = 0; Row < H; ++Row) {
        int Y = TopDown ? Row : H - 1 - Row;
        size_t Start = D.size();
        for (int X = 0; X < W; ++X) {
            uint32_t P = Pattern(X, Y);
            if (Bpp == 8)
                D.push_back(static_cast<uint8_t>(Y * W + X));
            else {
                D.push_back(static_cast<uint8_t>(P >> 16)); // blue
                D.push_back(static_cast<uint8_t>(P >> 8));  // green
                D.push_back(static_cast<uint8_t>(P));       // red
                if (Bpp == 32) D.push_back(static_cast<uint8_t>(0x80 + X));
            }
        }
        while (D.size() - Start < static_cast<size_t>(Stride))
            D.push_back(0);
    }
    return D;
}

TColor RGBOf(uint32_t Pattern) {
    return static_cast<TColor>(RGB(Pattern & 0xFF, (Pattern >> 8) & 0xFF, (Pattern >> 16) & 0xFF));
}

struct TCounts {
    long Gdi = LiveHandles(THandleKind::GdiObject);
    long DC = LiveHandles(THandleKind::DC);
    long Icon = LiveHandles(THandleKind::Icon);
    void Check() const {
        EXPECT_EQ(LiveHandles(THandleKind::GdiObject), Gdi);
        EXPECT_EQ(LiveHandles(THandleKind::DC), DC);
        EXPECT_EQ(LiveHandles(THandleKind::Icon), Icon);
    }
};

} // namespace

TEST(Bitmap, LoadsEveryRowOrderAndDepth) {
    TCounts Counts;
    for (int Bpp : {24, 32, 8})
        for (bool TopDown : {false, true}) {
            SCOPED_TRACE(testing::Message() << Bpp << (TopDown ? " top-down" : " bottom-up"));
            const int W = 5, H = 3; // odd width: rows are padded
            TBitmap B;
            B.LoadFromStream(MakeBmp(W, H, Bpp, TopDown));
            ASSERT_EQ(B.Width(), W);
            ASSERT_EQ(B.Height(), H);
            EXPECT_EQ(B.PixelFormat(), Bpp == 32 ? pf32bit : pf24bit);
            int Step = Bpp == 32 ? 4 : 3;
            for (int Y = 0; Y < H; ++Y)
                for (int X = 0; X < W; ++X) {
                    const uint8_t* Px = B.ScanLine(Y) + X * Step;
                    uint32_t Want = Pattern(X, Y);
                    EXPECT_EQ(Px[2] | Px[1] << 8 | Px[0] << 16, Want & 0xFFFFFF) << X << "," << Y;
                    if (Bpp == 32) {
                        EXPECT_EQ(Px[3], 0x80 + X);
                    }
                    EXPECT_EQ(B.Canvas()->Pixel(X, Y), RGBOf(Want)) << X << "," << Y;
                }
            // Written out and read again, the picture is the same.
            TBitmap C;
            C.LoadFromStream(B.SaveToStream());
            for (int Y = 0; Y < H; ++Y)
                EXPECT_EQ(0, memcmp(C.ScanLine(Y), B.ScanLine(Y), static_cast<size_t>(W) * Step));
        }
    Counts.Check();
}

TEST(Bitmap, BrokenStreamsAreRefused) {
    TCounts Counts;
    TBytes Good = MakeBmp(4, 4, 24, false);
    std::vector<TBytes> Bad;
    Bad.push_back(TBytes(Good.begin(), Good.begin() + 20)); // header cut
    Bad.push_back(TBytes(Good.begin(), Good.end() - 1));    // pixels cut
    Bad.push_back(Good);
    Bad.back()[0] = 'X'; // no BM
    Bad.push_back(Good);
    Bad.back()[28] = 7; // 7 bits per pixel
    Bad.push_back(Good);
    Bad.back()[18] = 0xFF; // width 255, data too short
    Bad.push_back(Good);
    Bad.back()[21] = 0x80; // height INT_MIN region
    Bad.push_back(Good);
    Bad.back()[30] = 1; // RLE
    for (size_t I = 0; I < Bad.size(); ++I) {
        TBitmap B(2, 2);
        EXPECT_THROW(B.LoadFromStream(Bad[I]), EInvalidGraphic) << "case " << I;
    }
    Counts.Check();
}

TEST(Canvas, DrawsWithItsBrushPenAndFont) {
    TCounts Counts;
    {
        TBitmap B(20, 10, pf32bit);
        TCanvas& C = *B.Canvas();
        C.Brush()->SetColor(static_cast<TColor>(0x00FF80FF));
        C.FillRect({0, 0, 20, 10});
        C.Pen()->SetColor(clBlue);
        C.MoveTo(0, 5);
        C.LineTo(20, 5);
        EXPECT_EQ(C.Pixel(3, 2), static_cast<TColor>(0x00FF80FF));
        EXPECT_EQ(C.Pixel(3, 5), clBlue);
        // Changing a selected object swaps it out of the DC before its handle goes.
        C.Font()->SetHeight(-8);
        C.Font()->SetName(L"Tahoma");
        C.Brush()->SetStyle(bsClear);
        C.TextOut(0, 0, L"电话");
        EXPECT_GT(C.TextWidth(L"电话"), 0);
        C.Brush()->SetColor(clLime);
        C.Brush()->SetStyle(bsSolid);
        C.FillRect({0, 0, 1, 1});
        const uint8_t* Px = B.ScanLine(0);
        EXPECT_EQ(Px[0] | Px[1] << 8 | Px[2] << 16, 0x00FF00);
        EXPECT_EQ(GetPropText(C, L"Brush.Color"), L"clLime");
        EXPECT_EQ(GetPropText(C, L"Font.Name"), L"Tahoma");
        // A transparent picture leaves the key colour's pixels alone.
        TBitmap Glyph(2, 1);
        Glyph.Canvas()->SetPixel(0, 0, clFuchsia);
        Glyph.Canvas()->SetPixel(1, 0, clRed);
        Glyph.SetTransparent(true);
        Glyph.SetTransparentColor(clFuchsia);
        C.Draw(4, 8, Glyph);
        EXPECT_EQ(C.Pixel(4, 8), static_cast<TColor>(0x00FF80FF));
        EXPECT_EQ(C.Pixel(5, 8), clRed);
        B.SetSize(30, 12); // keeps the picture
        EXPECT_EQ(B.Canvas()->Pixel(5, 8), clRed);
        EXPECT_EQ(B.Canvas()->Pixel(25, 11), clBlack);
    }
    Counts.Check();
}

TEST(ImageList, IconsHaveTheKeyColourTransparent) {
    TCounts Counts;
    {
        TImageList L(nullptr);
        TBitmap Strip(32, 16);
        Strip.Canvas()->Brush()->SetColor(clFuchsia);
        Strip.Canvas()->FillRect({0, 0, 32, 16});
        Strip.Canvas()->Brush()->SetColor(clRed);
        Strip.Canvas()->FillRect({2, 2, 6, 6});
        Strip.Canvas()->Brush()->SetColor(clBlue);
        Strip.Canvas()->FillRect({18, 2, 22, 6});
        EXPECT_EQ(L.Add(Strip), 0);
        EXPECT_EQ(L.Count(), 2);
        TBitmap Target(16, 16);
        Target.Canvas()->Brush()->SetColor(clYellow);
        Target.Canvas()->FillRect({0, 0, 16, 16});
        L.Draw(*Target.Canvas(), 0, 0, 1);
        EXPECT_EQ(Target.Canvas()->Pixel(3, 3), clBlue);
        EXPECT_EQ(Target.Canvas()->Pixel(10, 10), clYellow);
        TIcon I;
        L.GetIcon(0, I);
        EXPECT_EQ(I.Width(), 16);
        TIcon Copy;
        Copy.Assign(I);
        EXPECT_NE(Copy.Handle(), I.Handle());
        EXPECT_THROW(L.GetIcon(2, I), EListError);
        // Stored as a BMP strip and read back.
        TImageList M(nullptr);
        SetBinaryProp(M, L"Bitmap", L.Bitmap());
        EXPECT_EQ(M.Count(), 2);
        L.Delete(0);
        EXPECT_EQ(L.Count(), 1);
        Target.Canvas()->FillRect({0, 0, 16, 16});
        L.Draw(*Target.Canvas(), 0, 0, 0);
        EXPECT_EQ(Target.Canvas()->Pixel(3, 3), clBlue);
    }
    Counts.Check();
}

TEST(Graphics, SeventyThousandCyclesOfEveryWrapper) {
    TCounts Counts;
    long Kernel = LiveHandles(THandleKind::Kernel);
    {
        TImageList L(nullptr);
        TBitmap Strip(16, 16);
        L.Add(Strip);
        for (int I = 0; I < 70000; ++I) {
            TBitmap B(8, 8, (I & 1) ? pf32bit : pf24bit);
            TCanvas& C = *B.Canvas();
            C.Brush()->SetColor(static_cast<TColor>(I & 0xFFFFFF));
            C.FillRect({0, 0, 8, 8});
            C.Pen()->SetWidth(1 + (I & 1));
            C.LineTo(7, 7);
            C.Font()->SetHeight(-8 - (I & 3));
            C.TextOut(0, 0, L"1");
            TIcon Icon;
            L.GetIcon(0, Icon);
            TIcon Copy;
            Copy.Assign(Icon);
            ASSERT_TRUE(Copy.Handle()) << "cycle " << I;
            ASSERT_EQ(C.Pixel(7, 0), static_cast<TColor>(I & 0xFFFFFF)) << "cycle " << I;
        }
    }
    Counts.Check();
    EXPECT_EQ(LiveHandles(THandleKind::Kernel), Kernel);
}
