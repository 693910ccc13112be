// Drawing objects: fonts, brushes and pens that make their GDI handle on first use, a canvas
// over a device context, and the pictures TBitmap (a DIB section, 24 or 32 bits per pixel)
// and TIcon. Every GDI handle lives in a counted wrapper (Handles.h). Also the drawing helpers
// that controls and menus share: parts of pictures with a key colour, the embossed look of a
// disabled picture, colour fills and blends, and the system's menu font.
#pragma once

#include "Classes.h"
#include "Handles.h"

#include <memory>

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
DECLARE_ENUM_NAMES(TFontStyle, L"fsBold", L"fsItalic", L"fsUnderline", L"fsStrikeOut")
using TFontStyles = TSet<TFontStyle>;

// A character set number written by name in descriptions (ANSI_CHARSET, DEFAULT_CHARSET ...).
enum TFontCharset : uint8_t {};
template <> struct TPropText<TFontCharset> {
    static std::wstring ToText(TFontCharset V);
    static TFontCharset FromText(std::wstring_view T);
};

enum TBrushStyle { bsSolid, bsClear };
DECLARE_ENUM_NAMES(TBrushStyle, L"bsSolid", L"bsClear")
enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear };
DECLARE_ENUM_NAMES(TPenStyle, L"psSolid", L"psDash", L"psDot", L"psDashDot", L"psDashDotDot",
                   L"psClear")

class TGraphicsObject : public TPersistent {
    DECLARE_CLASS(TGraphicsObject, TPersistent)
  public:
    TNotifyEvent OnChange;
    // Runs before the handle goes, so a canvas can take it out of its DC first.
    TNotifyEvent OnChanging;

  protected:
    // Drops the handle (made again on next use) and tells the owner.
    void Changed();
    virtual void FreeHandle() = 0;
};

class TFont : public TGraphicsObject {
    DECLARE_CLASS(TFont, TGraphicsObject)
  public:
    TFont() = default;
    HFONT Handle();
    const std::wstring& Name() const { return FName; }
    void SetName(const std::wstring& V);
    // Negative: character height in pixels; positive: cell height.
    int Height() const { return FHeight; }
    void SetHeight(int V);
    // Points at the screen's resolution.
    int Size() const;
    void SetSize(int V);
    TColor Color() const { return FColor; }
    void SetColor(TColor V);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles V);
    TFontCharset Charset() const { return FCharset; }
    void SetCharset(TFontCharset V);
    void Assign(const TPersistent& Source) override;
    std::wstring AsText() const override { return FName + L"," + IntToStr(FHeight); }

  protected:
    void FreeHandle() override { FHandle.Reset(); }

  private:
    std::wstring FName = L"MS Sans Serif";
    int FHeight = -11;
    TColor FColor = clWindowText;
    TFontStyles FStyle;
    TFontCharset FCharset = static_cast<TFontCharset>(DEFAULT_CHARSET);
    TFontHandle FHandle;
};

// The font the system draws menus with (read once, on first use), shared by all menu drawing.
TFont* SystemMenuFont();

class TBrush : public TGraphicsObject {
    DECLARE_CLASS(TBrush, TGraphicsObject)
  public:
    TBrush() = default;
    // The stock hollow brush for bsClear or clNone.
    HBRUSH Handle();
    TColor Color() const { return FColor; }
    void SetColor(TColor V);
    TBrushStyle Style() const { return FStyle; }
    void SetStyle(TBrushStyle V);
    void Assign(const TPersistent& Source) override;

  protected:
    void FreeHandle() override { FHandle.Reset(); }

  private:
    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
    TBrushHandle FHandle;
};

class TPen : public TGraphicsObject {
    DECLARE_CLASS(TPen, TGraphicsObject)
  public:
    TPen() = default;
    HPEN Handle();
    TColor Color() const { return FColor; }
    void SetColor(TColor V);
    int Width() const { return FWidth; }
    void SetWidth(int V);
    TPenStyle Style() const { return FStyle; }
    void SetStyle(TPenStyle V);
    void Assign(const TPersistent& Source) override;

  protected:
    void FreeHandle() override { FHandle.Reset(); }

  private:
    TColor FColor = clBlack;
    int FWidth = 1;
    TPenStyle FStyle = psSolid;
    TPenHandle FHandle;
};

class TGraphic;

// Drawing on a device context it does not own (a paint DC, a bitmap's memory DC). The font,
// brush and pen are selected when a drawing call needs them and deselected before the DC
// changes hands, so the DC never holds one of our handles after we let it go.
class TCanvas : public TPersistent {
    DECLARE_CLASS(TCanvas, TPersistent)
  public:
    TCanvas();
    ~TCanvas() override;

    HDC Handle() { return GetHandle(); }
    void SetHandle(HDC DC);
    bool HandleAllocated() const { return FDC != nullptr; }
    TFont* Font() const { return FFont.get(); }
    TBrush* Brush() const { return FBrush.get(); }
    TPen* Pen() const { return FPen.get(); }

    void FillRect(const RECT& R);
    void FrameRect(const RECT& R);
    void Rectangle(int X1, int Y1, int X2, int Y2);
    void MoveTo(int X, int Y);
    void LineTo(int X, int Y);
    void TextOut(int X, int Y, const std::wstring& Text);
    void TextRect(const RECT& R, int X, int Y, const std::wstring& Text);
    SIZE TextExtent(const std::wstring& Text);
    int TextWidth(const std::wstring& Text) { return TextExtent(Text).cx; }
    int TextHeight(const std::wstring& Text) { return TextExtent(Text).cy; }
    void Draw(int X, int Y, TGraphic& Graphic);
    void StretchDraw(const RECT& R, TGraphic& Graphic);
    void CopyRect(const RECT& Dest, TCanvas& Source, const RECT& Src);
    TColor Pixel(int X, int Y);
    void SetPixel(int X, int Y, TColor Color);

  protected:
    // Subclasses that make their DC on demand (a bitmap's canvas) override this.
    virtual void CreateHandle() {}
    HDC GetHandle();

  private:
    enum : unsigned { csFont = 1, csBrush = 2, csPen = 4 };
    void Require(unsigned State);
    void Deselect();
    void ObjectChanged(unsigned State);

    HDC FDC = nullptr;
    unsigned FState = 0;
    HGDIOBJ FOldFont = nullptr, FOldBrush = nullptr, FOldPen = nullptr;
    std::unique_ptr<TFont> FFont;
    std::unique_ptr<TBrush> FBrush;
    std::unique_ptr<TPen> FPen;
};

// A canvas drawing on a DC for the life of the object; the canvas lets go of the DC (and puts
// the DC's own objects back) when it ends, also when the drawing throws.
class TCanvasDC {
  public:
    TCanvasDC(TCanvas& Canvas, HDC DC) : FCanvas(Canvas) { Canvas.SetHandle(DC); }
    ~TCanvasDC() { FCanvas.SetHandle(nullptr); }
    TCanvasDC(const TCanvasDC&) = delete;
    TCanvasDC& operator=(const TCanvasDC&) = delete;

  private:
    TCanvas& FCanvas;
};

class TGraphic : public TPersistent {
    DECLARE_CLASS(TGraphic, TPersistent)
  public:
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual bool Empty() const = 0;
    // The picture in its file format (a BMP file, an ICO file); throws EInvalidGraphic.
    virtual void LoadFromStream(std::span<const uint8_t> Data) = 0;
    virtual void Draw(TCanvas& Canvas, const RECT& R) = 0;
    void ReadBinary(std::span<const uint8_t> Data) override;
    std::wstring AsText() const override;
    TNotifyEvent OnChange;

  protected:
    void Changed() {
        if (OnChange) OnChange(this);
    }
};

class EInvalidGraphic : public Exception {
  public:
    using Exception::Exception;
};

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit };
DECLARE_ENUM_NAMES(TPixelFormat, L"pfDevice", L"pf1bit", L"pf4bit", L"pf8bit", L"pf15bit",
                   L"pf16bit", L"pf24bit", L"pf32bit")

class TBitmap : public TGraphic {
    DECLARE_CLASS(TBitmap, TGraphic)
  public:
    TBitmap();
    TBitmap(int Width, int Height, TPixelFormat Format = pf24bit);
    ~TBitmap() override;

    int Width() const override { return FWidth; }
    int Height() const override { return FHeight; }
    bool Empty() const override { return FWidth == 0 || FHeight == 0; }
    void SetWidth(int V) { SetSize(V, FHeight); }
    void SetHeight(int V) { SetSize(FWidth, V); }
    // Keeps the picture's top-left part; new pixels are black.
    void SetSize(int Width, int Height);
    TPixelFormat PixelFormat() const { return FFormat; }
    // Only pf24bit and pf32bit are kept; other formats read as 24 bits.
    void SetPixelFormat(TPixelFormat V);

    HBITMAP Handle() const { return FHandle; }
    // Hands the DIB section to the caller, who must delete it; the bitmap becomes empty.
    HBITMAP ReleaseHandle();
    TCanvas* Canvas();
    // Gives up the canvas's memory DC until the bitmap is drawn on again: a picture kept for
    // copying from needs none of its own (see TBitmapSource).
    void ReleaseCanvas() { FreeCanvas(); }
    bool CanvasAllocated() const { return FCanvas && FCanvas->HandleAllocated(); }
    // Row Y of the pixels, top row 0 (BGR or BGRA bytes).
    uint8_t* ScanLine(int Y);
    const uint8_t* ScanLine(int Y) const;
    int RowBytes() const;

    // Reads a BMP file: 1, 4, 8, 16, 24 or 32 bits per pixel, bottom-up or top-down rows,
    // uncompressed or bit fields. 32-bit files keep their fourth byte.
    void LoadFromStream(std::span<const uint8_t> Data) override;
    // A bottom-up BMP file of the current format.
    TBytes SaveToStream() const;
    void LoadFromResourceName(HINSTANCE Instance, const wchar_t* Name);
    void Draw(TCanvas& Canvas, const RECT& R) override;
    void Assign(const TPersistent& Source) override;
    void Clear();

    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool V) { FTransparent = V; }
    // clDefault: the bottom-left pixel.
    TColor TransparentColor() const;
    void SetTransparentColor(TColor V) { FTransparentColor = V; }

  private:
    void Make(int Width, int Height, TPixelFormat Format);
    void FreeCanvas();

    int FWidth = 0, FHeight = 0;
    TPixelFormat FFormat = pf24bit;
    TBitmapHandle FHandle;
    uint8_t* FBits = nullptr;
    std::unique_ptr<TCanvas> FCanvas;
    bool FTransparent = false;
    TColor FTransparentColor = clDefault;
};

// A DC to copy a bitmap from: its own canvas's when it has one, else one memory DC per thread
// lent to it for as long as this lives (so kept pictures hold no DC each). One lender at a
// time per thread.
class TBitmapSource {
  public:
    explicit TBitmapSource(TBitmap& Bitmap);
    ~TBitmapSource();
    TBitmapSource(const TBitmapSource&) = delete;
    TBitmapSource& operator=(const TBitmapSource&) = delete;
    operator HDC() const { return FDC; }

  private:
    HDC FDC = nullptr;
    HGDIOBJ FOld = nullptr;
};

class TIcon : public TGraphic {
    DECLARE_CLASS(TIcon, TGraphic)
  public:
    TIcon() = default;
    HICON Handle() const { return FHandle; }
    // Takes ownership of Icon.
    void SetHandle(HICON Icon);
    HICON ReleaseHandle();
    int Width() const override;
    int Height() const override;
    bool Empty() const override { return !FHandle; }
    // An ICO file; the entry nearest the system's large icon size is taken.
    void LoadFromStream(std::span<const uint8_t> Data) override;
    void Draw(TCanvas& Canvas, const RECT& R) override;
    void Assign(const TPersistent& Source) override;

  private:
    TIconHandle FHandle;
};

// ---------------------------------------------------------------------------------------------
// Drawing helpers

// Draws the Part of Source at (X, Y), leaving out the pixels of the Key colour.
void DrawTransparentPart(HDC DC, int X, int Y, TBitmap& Source, const RECT& Part, TColor Key);
// The disabled look of a picture: its darker pixels embossed, a highlight one pixel down and
// right under the shadow.
void DrawDisabledPart(HDC DC, int X, int Y, TBitmap& Source, const RECT& Part, TColor Key);
// Fills a rectangle with a colour (clNone fills nothing).
void FillColor(HDC DC, const RECT& R, TColor Color);
// A colour between two others: Weight 0 gives A, 256 gives B.
TColor BlendColor(TColor A, TColor B, int Weight);
