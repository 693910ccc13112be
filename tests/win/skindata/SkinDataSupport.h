// Helpers of the skin component tests: small skins packed on the spot, pictures of known
// pixels, and pixel access.
#pragma once

#include "Graphics.h"
#include "SkinPack.h"
#include "WinSkinData.h"

#include <string>
#include <utility>
#include <vector>

namespace SkinDataTest {

// A picture of one colour ($00BBGGRR), as the bytes of a BMP file.
inline TBytes BmpFile(int Width, int Height, uint32_t Colour = 0x808080) {
    TBitmap B(Width, Height, pf24bit);
    for (int Y = 0; Y < Height; ++Y) {
        uint8_t* P = B.ScanLine(Y);
        for (int X = 0; X < Width; ++X, P += 3) {
            P[0] = static_cast<uint8_t>(Colour >> 16);
            P[1] = static_cast<uint8_t>(Colour >> 8);
            P[2] = static_cast<uint8_t>(Colour);
        }
    }
    return B.SaveToStream();
}

// The stored form of a skin made of a description and named files.
inline TBytes Payload(const std::string& Ini,
                      std::vector<std::pair<std::string, TBytes>> Files = {}) {
    std::vector<TPackEntry> Entries{{"skin.ini", TBytes(Ini.begin(), Ini.end())}};
    for (auto& [Name, Bytes] : Files)
        Entries.push_back({Name, std::move(Bytes)});
    return MakePayload(MakeSkinFile(BuildArchive(Entries)));
}

// $00BBGGRR of a pixel of a 24- or 32-bit bitmap.
inline uint32_t Pixel(const TBitmap& B, int X, int Y) {
    const uint8_t* P = B.ScanLine(Y) + X * (B.PixelFormat() == pf32bit ? 4 : 3);
    return P[2] | P[1] << 8 | P[0] << 16;
}

inline void SetPixel(TBitmap& B, int X, int Y, uint32_t Colour) {
    uint8_t* P = B.ScanLine(Y) + X * (B.PixelFormat() == pf32bit ? 4 : 3);
    P[0] = static_cast<uint8_t>(Colour >> 16);
    P[1] = static_cast<uint8_t>(Colour >> 8);
    P[2] = static_cast<uint8_t>(Colour);
}

inline void Fill(TBitmap& B, uint32_t Colour) {
    for (int Y = 0; Y < B.Height(); ++Y)
        for (int X = 0; X < B.Width(); ++X)
            SetPixel(B, X, Y, Colour);
}

// Takes the skin's messages for the life of the object.
class TMessageTrap {
  public:
    TMessageTrap()
        : FOld(SetSkinMessageProc([this](const std::wstring& M) { Messages.push_back(M); })) {}
    ~TMessageTrap() { SetSkinMessageProc(std::move(FOld)); }
    TMessageTrap(const TMessageTrap&) = delete;
    TMessageTrap& operator=(const TMessageTrap&) = delete;
    std::vector<std::wstring> Messages;

  private:
    TSkinMessageProc FOld;
};

} // namespace SkinDataTest
