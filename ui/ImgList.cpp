#include "ImgList.h"

#include <cstring>

TImageList::TImageList(TComponent* AOwner) : TComponent(AOwner) {
    FStrip.SetPixelFormat(pf32bit);
}

void TImageList::SetWidth(int V) {
    if (V == FWidth) return;
    if (V <= 0) throw EConvertError(L"Invalid image size");
    FWidth = V;
    Clear();
}

void TImageList::SetHeight(int V) {
    if (V == FHeight) return;
    if (V <= 0) throw EConvertError(L"Invalid image size");
    FHeight = V;
    Clear();
}

void TImageList::Changed() {
    if (OnChange) OnChange(this);
}

void TImageList::CheckIndex(int Index) const {
    if (Index < 0 || Index >= FCount)
        throw EListError(L"Image index out of range (" + IntToStr(Index) + L")");
}

int TImageList::Add(const TBitmap& Strip) {
    if (Strip.Empty()) return -1;
    int N = Strip.Width() / FWidth;
    if (N == 0 || Strip.Height() < FHeight)
        throw EInvalidGraphic(L"Image is smaller than the image list's images");
    int First = FCount;
    FStrip.SetSize((FCount + N) * FWidth, FHeight);
    int SrcBytes = Strip.PixelFormat() == pf32bit ? 4 : 3;
    for (int Y = 0; Y < FHeight; ++Y) {
        const uint8_t* S = Strip.ScanLine(Y);
        uint8_t* D = FStrip.ScanLine(Y) + static_cast<size_t>(FCount) * FWidth * 4;
        for (int X = 0; X < N * FWidth; ++X) {
            std::memcpy(D + X * 4, S + X * SrcBytes, 3);
            D[X * 4 + 3] = 0;
        }
    }
    FCount += N;
    Changed();
    return First;
}

void TImageList::Delete(int Index) {
    CheckIndex(Index);
    TBitmap Rest(FWidth * (FCount - 1), FHeight, pf32bit);
    for (int Y = 0; Y < FHeight; ++Y) {
        const uint8_t* S = FStrip.ScanLine(Y);
        uint8_t* D = Rest.Empty() ? nullptr : Rest.ScanLine(Y);
        size_t Img = static_cast<size_t>(FWidth) * 4;
        if (!D) continue;
        std::memcpy(D, S, Img * Index);
        std::memcpy(D + Img * Index, S + Img * (Index + 1), Img * (FCount - Index - 1));
    }
    FStrip.Assign(Rest);
    --FCount;
    Changed();
}

void TImageList::Clear() {
    if (FCount == 0 && FStrip.Empty()) return;
    FStrip.Clear();
    FCount = 0;
    Changed();
}

void TImageList::GetBitmap(int Index, TBitmap& Bitmap) const {
    CheckIndex(Index);
    TBitmap Out(FWidth, FHeight, pf32bit);
    for (int Y = 0; Y < FHeight; ++Y)
        std::memcpy(Out.ScanLine(Y), FStrip.ScanLine(Y) + static_cast<size_t>(Index) * FWidth * 4,
                    static_cast<size_t>(FWidth) * 4);
    Bitmap.Assign(Out);
}

void TImageList::GetIcon(int Index, TIcon& Icon) const {
    CheckIndex(Index);
    // Colour part with the key colour turned black, and a mask with the key colour white:
    // the classic AND/XOR icon, which every system draws the same way.
    TBitmap Color(FWidth, FHeight, pf24bit);
    int MaskStride = ((FWidth + 15) / 16) * 2;
    std::vector<uint8_t> MaskBits(static_cast<size_t>(MaskStride) * FHeight, 0);
    uint32_t Key = FMaskColor == clNone ? 0xFFFFFFFFu : ColorToRGB(FMaskColor) & 0xFFFFFF;
    for (int Y = 0; Y < FHeight; ++Y) {
        const uint8_t* S = FStrip.ScanLine(Y) + static_cast<size_t>(Index) * FWidth * 4;
        uint8_t* D = Color.ScanLine(Y);
        for (int X = 0; X < FWidth; ++X) {
            uint32_t Rgb = S[X * 4 + 2] | S[X * 4 + 1] << 8 | S[X * 4] << 16;
            if (Rgb == Key) {
                MaskBits[static_cast<size_t>(Y) * MaskStride + X / 8] |=
                    static_cast<uint8_t>(0x80 >> (X % 8));
                D[X * 3] = D[X * 3 + 1] = D[X * 3 + 2] = 0;
            } else {
                std::memcpy(D + X * 3, S + X * 4, 3);
            }
        }
    }
    TBitmapHandle Mask(CreateBitmap(FWidth, FHeight, 1, 1, MaskBits.data()));
    ICONINFO Info{TRUE, 0, 0, Mask, Color.Handle()};
    HICON H = CreateIconIndirect(&Info);
    if (!H) throw EOSError(L"CreateIconIndirect", GetLastError());
    Icon.SetHandle(H);
}

void TImageList::Draw(TCanvas& Canvas, int X, int Y, int Index) const {
    TIcon Icon;
    GetIcon(Index, Icon);
    DrawIconEx(Canvas.Handle(), X, Y, Icon.Handle(), FWidth, FHeight, 0, nullptr, DI_NORMAL);
}

void TImageList::ReadBinary(std::span<const uint8_t> Data) {
    TBitmap Strip;
    Strip.ReadBinary(Data);
    Clear();
    Add(Strip);
}

void TImageList::Assign(const TPersistent& Source) {
    auto* L = dynamic_cast<const TImageList*>(&Source);
    if (!L) return TComponent::Assign(Source);
    FWidth = L->FWidth;
    FHeight = L->FHeight;
    FCount = L->FCount;
    FMaskColor = L->FMaskColor;
    FStrip.Assign(L->FStrip);
    Changed();
}

PUBLISHED(TImageList) {
    p.Property(L"Width", &TImageList::Width, &TImageList::SetWidth);
    p.Property(L"Height", &TImageList::Height, &TImageList::SetHeight);
    p.Property(L"MaskColor", &TImageList::MaskColor, &TImageList::SetMaskColor);
    p.Property(L"Count", &TImageList::Count);
    p.Property(L"Bitmap", &TImageList::Bitmap, &TImageList::SetBitmap);
    p.Property(L"OnChange", &TImageList::OnChange);
}
