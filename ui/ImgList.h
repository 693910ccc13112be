// A list of equally sized images kept as one 32-bit strip, with a key colour for their
// transparent parts (magenta by default, clNone for none). A stored description gives the
// strip as a BMP file; images are cut from it left to right.
#pragma once

#include "Graphics.h"

class TImageList : public TComponent {
    DECLARE_CLASS(TImageList, TComponent)
  public:
    explicit TImageList(TComponent* AOwner);

    int Width() const { return FWidth; }
    void SetWidth(int V);
    int Height() const { return FHeight; }
    void SetHeight(int V);
    int Count() const { return FCount; }
    TColor MaskColor() const { return FMaskColor; }
    void SetMaskColor(TColor V) { FMaskColor = V; }

    // Adds the images of a strip (its width a multiple of Width, cut left to right); returns
    // the index of the first one.
    int Add(const TBitmap& Strip);
    void Delete(int Index);
    void Clear();
    // Copies image Index into Bitmap (Width x Height, 32 bits).
    void GetBitmap(int Index, TBitmap& Bitmap) const;
    // A new icon for image Index, the key colour transparent.
    void GetIcon(int Index, TIcon& Icon) const;
    void Draw(TCanvas& Canvas, int X, int Y, int Index) const;
    void ReadBinary(std::span<const uint8_t> Data) override;
    // The images as one BMP strip (the form descriptions store them so).
    TBytes Bitmap() const { return FStrip.Empty() ? TBytes() : FStrip.SaveToStream(); }
    void SetBitmap(const TBytes& Data) { ReadBinary(Data); }
    void Assign(const TPersistent& Source) override;
    TNotifyEvent OnChange;

  private:
    void CheckIndex(int Index) const;
    void Changed();
    int FWidth = 16, FHeight = 16, FCount = 0;
    TColor FMaskColor = clFuchsia;
    TBitmap FStrip;
};
