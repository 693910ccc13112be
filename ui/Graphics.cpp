#include "Graphics.h"

#include <algorithm>
#include <cstring>
#include <vector>

// ---------------------------------------------------------------------------------------------
// Character sets by name

namespace {

struct TCharsetName {
    int Value;
    const wchar_t* Name;
};

constexpr TCharsetName CharsetNames[] = {
    {ANSI_CHARSET, L"ANSI_CHARSET"},
    {DEFAULT_CHARSET, L"DEFAULT_CHARSET"},
    {SYMBOL_CHARSET, L"SYMBOL_CHARSET"},
    {MAC_CHARSET, L"MAC_CHARSET"},
    {SHIFTJIS_CHARSET, L"SHIFTJIS_CHARSET"},
    {HANGEUL_CHARSET, L"HANGEUL_CHARSET"},
    {JOHAB_CHARSET, L"JOHAB_CHARSET"},
    {GB2312_CHARSET, L"GB2312_CHARSET"},
    {CHINESEBIG5_CHARSET, L"CHINESEBIG5_CHARSET"},
    {GREEK_CHARSET, L"GREEK_CHARSET"},
    {TURKISH_CHARSET, L"TURKISH_CHARSET"},
    {VIETNAMESE_CHARSET, L"VIETNAMESE_CHARSET"},
    {HEBREW_CHARSET, L"HEBREW_CHARSET"},
    {ARABIC_CHARSET, L"ARABIC_CHARSET"},
    {BALTIC_CHARSET, L"BALTIC_CHARSET"},
    {RUSSIAN_CHARSET, L"RUSSIAN_CHARSET"},
    {THAI_CHARSET, L"THAI_CHARSET"},
    {EASTEUROPE_CHARSET, L"EASTEUROPE_CHARSET"},
    {OEM_CHARSET, L"OEM_CHARSET"},
};

int ScreenPixelsPerInch() {
    static int PPI = [] {
        TWindowDC DC(nullptr);
        int V = GetDeviceCaps(DC, LOGPIXELSY);
        return V > 0 ? V : 96;
    }();
    return PPI;
}

COLORREF ToColorRef(TColor C) {
    return ColorToRGB(C) & 0x00FFFFFF;
}

} // namespace

std::wstring TPropText<TFontCharset>::ToText(TFontCharset V) {
    for (const auto& N : CharsetNames)
        if (N.Value == V) return N.Name;
    return IntToStr(V);
}

TFontCharset TPropText<TFontCharset>::FromText(std::wstring_view T) {
    std::wstring S = Trim(T);
    for (const auto& N : CharsetNames)
        if (SameText(S, N.Name)) return static_cast<TFontCharset>(N.Value);
    long long V;
    if (TryStrToInt64(S, V) && V >= 0 && V <= 255) return static_cast<TFontCharset>(V);
    throw EConvertError(L"'" + S + L"' is not a character set");
}

// ---------------------------------------------------------------------------------------------
// Fonts, brushes, pens

void TGraphicsObject::Changed() {
    if (OnChanging) OnChanging(this);
    FreeHandle();
    if (OnChange) OnChange(this);
}

HFONT TFont::Handle() {
    if (!FHandle) {
        FHandle.Reset(CreateFontW(FHeight, 0, 0, 0, FStyle.Contains(fsBold) ? FW_BOLD : FW_NORMAL,
                                  FStyle.Contains(fsItalic), FStyle.Contains(fsUnderline),
                                  FStyle.Contains(fsStrikeOut), FCharset, OUT_DEFAULT_PRECIS,
                                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                                  FName.c_str()));
        if (!FHandle) throw EOSError(L"CreateFont", GetLastError());
    }
    return FHandle;
}

void TFont::SetName(const std::wstring& V) {
    if (V == FName) return;
    FName = V;
    Changed();
}

void TFont::SetHeight(int V) {
    if (V == FHeight) return;
    FHeight = V;
    Changed();
}

int TFont::Size() const {
    return -MulDiv(FHeight, 72, ScreenPixelsPerInch());
}

void TFont::SetSize(int V) {
    SetHeight(-MulDiv(V, ScreenPixelsPerInch(), 72));
}

void TFont::SetColor(TColor V) {
    if (V == FColor) return;
    FColor = V;
    // The colour is not part of the GDI font: no new handle, but owners repaint.
    if (OnChange) OnChange(this);
}

void TFont::SetStyle(TFontStyles V) {
    if (V == FStyle) return;
    FStyle = V;
    Changed();
}

void TFont::SetCharset(TFontCharset V) {
    if (V == FCharset) return;
    FCharset = V;
    Changed();
}

void TFont::Assign(const TPersistent& Source) {
    auto* F = dynamic_cast<const TFont*>(&Source);
    if (!F) return TPersistent::Assign(Source);
    if (F == this) return;
    FName = F->FName;
    FHeight = F->FHeight;
    FColor = F->FColor;
    FStyle = F->FStyle;
    FCharset = F->FCharset;
    Changed();
}

HBRUSH TBrush::Handle() {
    if (FStyle == bsClear || FColor == clNone)
        return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    if (!FHandle) {
        FHandle.Reset(CreateSolidBrush(ToColorRef(FColor)));
        if (!FHandle) throw EOSError(L"CreateSolidBrush", GetLastError());
    }
    return FHandle;
}

void TBrush::SetColor(TColor V) {
    if (V == FColor) return;
    FColor = V;
    Changed();
}

void TBrush::SetStyle(TBrushStyle V) {
    if (V == FStyle) return;
    FStyle = V;
    Changed();
}

void TBrush::Assign(const TPersistent& Source) {
    auto* B = dynamic_cast<const TBrush*>(&Source);
    if (!B) return TPersistent::Assign(Source);
    FColor = B->FColor;
    FStyle = B->FStyle;
    Changed();
}

HPEN TPen::Handle() {
    if (!FHandle) {
        static const int Styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL};
        FHandle.Reset(CreatePen(Styles[FStyle], FWidth, ToColorRef(FColor)));
        if (!FHandle) throw EOSError(L"CreatePen", GetLastError());
    }
    return FHandle;
}

void TPen::SetColor(TColor V) {
    if (V == FColor) return;
    FColor = V;
    Changed();
}

void TPen::SetWidth(int V) {
    if (V == FWidth || V < 0) return;
    FWidth = V;
    Changed();
}

void TPen::SetStyle(TPenStyle V) {
    if (V == FStyle) return;
    FStyle = V;
    Changed();
}

void TPen::Assign(const TPersistent& Source) {
    auto* P = dynamic_cast<const TPen*>(&Source);
    if (!P) return TPersistent::Assign(Source);
    FColor = P->FColor;
    FWidth = P->FWidth;
    FStyle = P->FStyle;
    Changed();
}

// ---------------------------------------------------------------------------------------------
// Canvas

TCanvas::TCanvas()
    : FFont(std::make_unique<TFont>()), FBrush(std::make_unique<TBrush>()),
      FPen(std::make_unique<TPen>()) {
    FFont->OnChanging = [this](TObject*) { ObjectChanged(csFont); };
    FBrush->OnChanging = [this](TObject*) { ObjectChanged(csBrush); };
    FPen->OnChanging = [this](TObject*) { ObjectChanged(csPen); };
}

TCanvas::~TCanvas() {
    Deselect();
}

void TCanvas::ObjectChanged(unsigned State) {
    if (!(FState & State) || !FDC) return;
    if (State == csFont) SelectObject(FDC, FOldFont);
    if (State == csBrush) SelectObject(FDC, FOldBrush);
    if (State == csPen) SelectObject(FDC, FOldPen);
    FState &= ~State;
}

void TCanvas::Deselect() {
    ObjectChanged(csFont);
    ObjectChanged(csBrush);
    ObjectChanged(csPen);
}

void TCanvas::SetHandle(HDC DC) {
    if (DC == FDC) return;
    Deselect();
    FDC = DC;
}

HDC TCanvas::GetHandle() {
    if (!FDC) CreateHandle();
    if (!FDC) throw Exception(L"Canvas does not allow drawing");
    return FDC;
}

void TCanvas::Require(unsigned State) {
    HDC DC = GetHandle();
    if ((State & csFont) && !(FState & csFont)) {
        FOldFont = SelectObject(DC, FFont->Handle());
        FState |= csFont;
    }
    if (State & csFont) {
        SetTextColor(DC, ToColorRef(FFont->Color()));
        SetBkMode(DC,
                  FBrush->Style() == bsClear || FBrush->Color() == clNone ? TRANSPARENT : OPAQUE);
        if (FBrush->Color() != clNone) SetBkColor(DC, ToColorRef(FBrush->Color()));
    }
    if ((State & csBrush) && !(FState & csBrush)) {
        FOldBrush = SelectObject(DC, FBrush->Handle());
        FState |= csBrush;
    }
    if ((State & csPen) && !(FState & csPen)) {
        FOldPen = SelectObject(DC, FPen->Handle());
        FState |= csPen;
    }
}

void TCanvas::FillRect(const RECT& R) {
    Require(csBrush);
    ::FillRect(FDC, &R, FBrush->Handle());
}

void TCanvas::FrameRect(const RECT& R) {
    Require(csBrush);
    ::FrameRect(FDC, &R, FBrush->Handle());
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
    Require(csBrush | csPen);
    ::Rectangle(FDC, X1, Y1, X2, Y2);
}

void TCanvas::MoveTo(int X, int Y) {
    MoveToEx(GetHandle(), X, Y, nullptr);
}

void TCanvas::LineTo(int X, int Y) {
    Require(csPen);
    ::LineTo(FDC, X, Y);
}

void TCanvas::TextOut(int X, int Y, const std::wstring& Text) {
    Require(csFont | csBrush);
    ExtTextOutW(FDC, X, Y, 0, nullptr, Text.c_str(), static_cast<UINT>(Text.size()), nullptr);
}

void TCanvas::TextRect(const RECT& R, int X, int Y, const std::wstring& Text) {
    Require(csFont | csBrush);
    UINT Options = ETO_CLIPPED;
    if (FBrush->Style() != bsClear && FBrush->Color() != clNone) Options |= ETO_OPAQUE;
    ExtTextOutW(FDC, X, Y, Options, &R, Text.c_str(), static_cast<UINT>(Text.size()), nullptr);
}

SIZE TCanvas::TextExtent(const std::wstring& Text) {
    Require(csFont);
    SIZE S{};
    GetTextExtentPoint32W(FDC, Text.c_str(), static_cast<int>(Text.size()), &S);
    return S;
}

void TCanvas::Draw(int X, int Y, TGraphic& Graphic) {
    if (Graphic.Empty()) return;
    RECT R{X, Y, X + Graphic.Width(), Y + Graphic.Height()};
    Graphic.Draw(*this, R);
}

void TCanvas::StretchDraw(const RECT& R, TGraphic& Graphic) {
    if (!Graphic.Empty()) Graphic.Draw(*this, R);
}

void TCanvas::CopyRect(const RECT& Dest, TCanvas& Source, const RECT& Src) {
    StretchBlt(GetHandle(), Dest.left, Dest.top, Dest.right - Dest.left, Dest.bottom - Dest.top,
               Source.GetHandle(), Src.left, Src.top, Src.right - Src.left, Src.bottom - Src.top,
               SRCCOPY);
}

TColor TCanvas::Pixel(int X, int Y) {
    return static_cast<TColor>(GetPixel(GetHandle(), X, Y));
}

void TCanvas::SetPixel(int X, int Y, TColor Color) {
    ::SetPixelV(GetHandle(), X, Y, ToColorRef(Color));
}

// ---------------------------------------------------------------------------------------------
// Graphics

void TGraphic::ReadBinary(std::span<const uint8_t> Data) {
    // Stored pictures may carry their length first.
    if (Data.size() >= 4 && !(Data[0] == 'B' && Data[1] == 'M') &&
        !(Data[0] == 0 && Data[1] == 0)) {
        uint32_t Len =
            Data[0] | Data[1] << 8 | Data[2] << 16 | static_cast<uint32_t>(Data[3]) << 24;
        if (Len == Data.size() - 4) Data = Data.subspan(4);
    }
    if (Data.empty()) return;
    LoadFromStream(Data);
}

std::wstring TGraphic::AsText() const {
    return Empty() ? std::wstring() : IntToStr(Width()) + L"x" + IntToStr(Height());
}

namespace {

// A canvas over a bitmap's own memory DC, made when first drawn on.
class TBitmapCanvas : public TCanvas {
  public:
    explicit TBitmapCanvas(TBitmap& Bitmap) : FBitmap(Bitmap) {}
    ~TBitmapCanvas() override { FreeContext(); }
    void FreeContext() {
        if (!FDC) return;
        SetHandle(nullptr);
        SelectObject(FDC, FOldBitmap);
        FDC.Reset();
    }

  protected:
    void CreateHandle() override {
        if (!FBitmap.Handle()) return;
        FDC.Reset(CreateCompatibleDC(nullptr));
        if (!FDC) throw EOSError(L"CreateCompatibleDC", GetLastError());
        FOldBitmap = SelectObject(FDC, FBitmap.Handle());
        SetHandle(FDC);
    }

  private:
    TBitmap& FBitmap;
    TMemoryDC FDC;
    HGDIOBJ FOldBitmap = nullptr;
};

uint32_t Read32(std::span<const uint8_t> D, size_t At) {
    return D[At] | D[At + 1] << 8 | D[At + 2] << 16 | static_cast<uint32_t>(D[At + 3]) << 24;
}
uint16_t Read16(std::span<const uint8_t> D, size_t At) {
    return static_cast<uint16_t>(D[At] | D[At + 1] << 8);
}
void Put32(TBytes& D, uint32_t V) {
    for (int I = 0; I < 4; ++I)
        D.push_back(static_cast<uint8_t>(V >> (8 * I)));
}
void Put16(TBytes& D, uint16_t V) {
    D.push_back(static_cast<uint8_t>(V));
    D.push_back(static_cast<uint8_t>(V >> 8));
}

[[noreturn]] void BadBitmap(const wchar_t* Why) {
    throw EInvalidGraphic(std::wstring(L"Invalid bitmap: ") + Why);
}

} // namespace

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int Width, int Height, TPixelFormat Format) {
    Make(Width, Height, Format);
}

TBitmap::~TBitmap() {
    FreeCanvas();
}

void TBitmap::FreeCanvas() {
    if (FCanvas) static_cast<TBitmapCanvas*>(FCanvas.get())->FreeContext();
}

int TBitmap::RowBytes() const {
    return ((FWidth * (FFormat == pf32bit ? 32 : 24) + 31) / 32) * 4;
}

void TBitmap::Make(int Width, int Height, TPixelFormat Format) {
    if (Width < 0 || Height < 0 || static_cast<long long>(Width) * Height > (1LL << 26))
        BadBitmap(L"size out of range");
    FreeCanvas();
    FHandle.Reset();
    FBits = nullptr;
    FFormat = Format == pf32bit ? pf32bit : pf24bit;
    FWidth = FHeight = 0;
    if (Width == 0 || Height == 0) return;
    BITMAPINFO Info{};
    Info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    Info.bmiHeader.biWidth = Width;
    Info.bmiHeader.biHeight = -Height; // top-down: row 0 is the top
    Info.bmiHeader.biPlanes = 1;
    Info.bmiHeader.biBitCount = FFormat == pf32bit ? 32 : 24;
    Info.bmiHeader.biCompression = BI_RGB;
    void* Bits = nullptr;
    FHandle.Reset(CreateDIBSection(nullptr, &Info, DIB_RGB_COLORS, &Bits, nullptr, 0));
    if (!FHandle) throw EOSError(L"CreateDIBSection", GetLastError());
    FBits = static_cast<uint8_t*>(Bits);
    FWidth = Width;
    FHeight = Height;
}

void TBitmap::SetSize(int Width, int Height) {
    if (Width == FWidth && Height == FHeight) return;
    TBitmap Old;
    std::swap(Old.FHandle, FHandle);
    Old.FBits = FBits;
    Old.FWidth = FWidth;
    Old.FHeight = FHeight;
    Old.FFormat = FFormat;
    FreeCanvas();
    Make(Width, Height, FFormat);
    for (int Y = 0; Y < std::min(Height, Old.FHeight); ++Y)
        std::memcpy(ScanLine(Y), Old.ScanLine(Y),
                    static_cast<size_t>(std::min(Width, Old.FWidth)) *
                        (FFormat == pf32bit ? 4 : 3));
    Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat V) {
    TPixelFormat F = V == pf32bit ? pf32bit : pf24bit;
    if (F == FFormat) return;
    if (Empty()) {
        FFormat = F;
        return;
    }
    TBitmap Copy(FWidth, FHeight, F);
    for (int Y = 0; Y < FHeight; ++Y) {
        const uint8_t* S = ScanLine(Y);
        uint8_t* D = Copy.ScanLine(Y);
        int SI = FFormat == pf32bit ? 4 : 3, DI = F == pf32bit ? 4 : 3;
        for (int X = 0; X < FWidth; ++X) {
            std::memcpy(D + X * DI, S + X * SI, 3);
            if (DI == 4) D[X * DI + 3] = 0;
        }
    }
    Assign(Copy);
}

HBITMAP TBitmap::ReleaseHandle() {
    FreeCanvas();
    FBits = nullptr;
    FWidth = FHeight = 0;
    return FHandle.Release();
}

namespace {

// The DC lent to bitmaps without one of their own, for the life of the thread.
HDC SharedSourceDC() {
    thread_local TMemoryDC Shared(CreateCompatibleDC(nullptr));
    return Shared.Get();
}

} // namespace

TBitmapSource::TBitmapSource(TBitmap& Bitmap) {
    if (Bitmap.Empty()) return;
    if (Bitmap.CanvasAllocated()) {
        FDC = Bitmap.Canvas()->Handle();
        return;
    }
    FDC = SharedSourceDC();
    if (FDC) FOld = SelectObject(FDC, Bitmap.Handle());
}

TBitmapSource::~TBitmapSource() {
    if (FOld) SelectObject(FDC, FOld);
}

TCanvas* TBitmap::Canvas() {
    if (!FCanvas) FCanvas = std::make_unique<TBitmapCanvas>(*this);
    return FCanvas.get();
}

uint8_t* TBitmap::ScanLine(int Y) {
    if (!FBits || Y < 0 || Y >= FHeight) throw EListError(L"Scan line index out of range");
    GdiFlush(); // drawing through the canvas may still be queued
    return FBits + static_cast<size_t>(Y) * RowBytes();
}

const uint8_t* TBitmap::ScanLine(int Y) const {
    return const_cast<TBitmap*>(this)->ScanLine(Y);
}

void TBitmap::Clear() {
    Make(0, 0, FFormat);
    Changed();
}

void TBitmap::LoadFromStream(std::span<const uint8_t> D) {
    if (D.size() < 14 + 12 || D[0] != 'B' || D[1] != 'M') BadBitmap(L"no BMP header");
    uint32_t Offset = Read32(D, 10);
    uint32_t HeaderSize = Read32(D, 14);
    int32_t W, H;
    uint16_t Bpp;
    uint32_t Compression = BI_RGB;
    if (HeaderSize == 12) {
        W = Read16(D, 18);
        H = static_cast<int16_t>(Read16(D, 20));
        Bpp = Read16(D, 24);
    } else {
        if (HeaderSize < 40 || 14 + static_cast<size_t>(HeaderSize) > D.size())
            BadBitmap(L"unknown header");
        W = static_cast<int32_t>(Read32(D, 18));
        H = static_cast<int32_t>(Read32(D, 22));
        Bpp = Read16(D, 28);
        Compression = Read32(D, 30);
    }
    bool TopDown = H < 0;
    if (H == INT32_MIN || W <= 0 || H == 0) BadBitmap(L"size out of range");
    int AbsH = TopDown ? -H : H;
    if (Bpp != 1 && Bpp != 4 && Bpp != 8 && Bpp != 16 && Bpp != 24 && Bpp != 32)
        BadBitmap(L"unsupported bit count");
    if (Compression != BI_RGB && Compression != BI_BITFIELDS) BadBitmap(L"compressed data");
    if (static_cast<long long>(W) * AbsH > (1LL << 26)) BadBitmap(L"size out of range");
    size_t Stride = ((static_cast<size_t>(W) * Bpp + 31) / 32) * 4;
    if (Offset > D.size() || D.size() - Offset < Stride * static_cast<size_t>(AbsH))
        BadBitmap(L"truncated pixel data");

    TPixelFormat Format = Bpp == 32 ? pf32bit : pf24bit;
    Make(W, AbsH, Format);
    if ((Bpp == 24 || Bpp == 32) && Compression == BI_RGB) {
        size_t Row = static_cast<size_t>(W) * (Bpp / 8);
        for (int Y = 0; Y < AbsH; ++Y) {
            int SrcRow = TopDown ? Y : AbsH - 1 - Y;
            std::memcpy(FBits + static_cast<size_t>(Y) * RowBytes(),
                        D.data() + Offset + static_cast<size_t>(SrcRow) * Stride, Row);
        }
    } else {
        // Palettes and bit fields: GDI converts into our DIB section. The info block is the
        // header with its masks and colour table, as the file has it.
        if (HeaderSize == 12) BadBitmap(L"old-style header with a palette");
        size_t InfoSize = Offset - 14;
        if (Offset < 14 + HeaderSize) BadBitmap(L"pixel data inside the header");
        std::vector<uint8_t> Info(D.begin() + 14, D.begin() + 14 + static_cast<long>(InfoSize));
        TMemoryDC DC(CreateCompatibleDC(nullptr));
        if (!SetDIBits(DC, FHandle, 0, static_cast<UINT>(AbsH), D.data() + Offset,
                       reinterpret_cast<BITMAPINFO*>(Info.data()), DIB_RGB_COLORS))
            BadBitmap(L"pixel data not accepted");
        GdiFlush();
    }
    Changed();
}

TBytes TBitmap::SaveToStream() const {
    TBytes Out;
    uint32_t Image = static_cast<uint32_t>(RowBytes()) * static_cast<uint32_t>(FHeight);
    Out.push_back('B');
    Out.push_back('M');
    Put32(Out, 14 + 40 + Image);
    Put32(Out, 0);
    Put32(Out, 14 + 40);
    Put32(Out, 40);
    Put32(Out, static_cast<uint32_t>(FWidth));
    Put32(Out, static_cast<uint32_t>(FHeight));
    Put16(Out, 1);
    Put16(Out, FFormat == pf32bit ? 32 : 24);
    Put32(Out, BI_RGB);
    Put32(Out, Image);
    Put32(Out, 2835);
    Put32(Out, 2835);
    Put32(Out, 0);
    Put32(Out, 0);
    for (int Y = FHeight - 1; Y >= 0; --Y) {
        const uint8_t* Row = ScanLine(Y);
        Out.insert(Out.end(), Row, Row + RowBytes());
    }
    return Out;
}

void TBitmap::LoadFromResourceName(HINSTANCE Instance, const wchar_t* Name) {
    HRSRC Res = FindResourceW(Instance, Name, RT_BITMAP);
    if (!Res) throw EInvalidGraphic(L"No bitmap resource " + std::wstring(Name));
    HGLOBAL G = LoadResource(Instance, Res);
    auto* P = static_cast<const uint8_t*>(LockResource(G));
    DWORD Size = SizeofResource(Instance, Res);
    if (!P || Size < 40) throw EInvalidGraphic(L"Bad bitmap resource " + std::wstring(Name));
    // A bitmap resource is a BMP file without its 14-byte file header.
    TBytes File{'B', 'M'};
    Put32(File, 14 + Size);
    Put32(File, 0);
    uint32_t HeaderSize = P[0] | P[1] << 8 | P[2] << 16 | static_cast<uint32_t>(P[3]) << 24;
    uint16_t Bpp = static_cast<uint16_t>(P[14] | P[15] << 8);
    uint32_t Compression = P[16] | P[17] << 8 | P[18] << 16 | static_cast<uint32_t>(P[19]) << 24;
    uint32_t Colors = P[32] | P[33] << 8 | P[34] << 16 | static_cast<uint32_t>(P[35]) << 24;
    if (Bpp <= 8 && !Colors) Colors = 1u << Bpp;
    uint32_t Masks = (Compression == BI_BITFIELDS && HeaderSize == 40) ? 12 : 0;
    Put32(File, 14 + HeaderSize + Masks + Colors * 4);
    File.insert(File.end(), P, P + Size);
    LoadFromStream(File);
}

TColor TBitmap::TransparentColor() const {
    if (FTransparentColor != clDefault || Empty()) return FTransparentColor;
    const uint8_t* Row = ScanLine(FHeight - 1);
    return static_cast<TColor>(Row[2] | Row[1] << 8 | Row[0] << 16);
}

void TBitmap::Draw(TCanvas& Canvas, const RECT& R) {
    if (Empty()) return;
    HDC Dest = Canvas.Handle();
    HDC Src = this->Canvas()->Handle();
    int W = R.right - R.left, H = R.bottom - R.top;
    if (!FTransparent) {
        StretchBlt(Dest, R.left, R.top, W, H, Src, 0, 0, FWidth, FHeight, SRCCOPY);
        return;
    }
    // Transparent: a monochrome mask (key colour white), then XOR-AND-XOR onto the target.
    TMemoryDC MaskDC(CreateCompatibleDC(nullptr));
    TBitmapHandle Mask(CreateBitmap(FWidth, FHeight, 1, 1, nullptr));
    TSelectObject SelMask(MaskDC, Mask);
    COLORREF OldBk = SetBkColor(Src, ColorToRGB(TransparentColor()) & 0xFFFFFF);
    BitBlt(MaskDC, 0, 0, FWidth, FHeight, Src, 0, 0, SRCCOPY);
    SetBkColor(Src, OldBk);
    COLORREF OldText = SetTextColor(Dest, RGB(0, 0, 0));
    OldBk = SetBkColor(Dest, RGB(255, 255, 255));
    StretchBlt(Dest, R.left, R.top, W, H, Src, 0, 0, FWidth, FHeight, SRCINVERT);
    StretchBlt(Dest, R.left, R.top, W, H, MaskDC, 0, 0, FWidth, FHeight, SRCAND);
    StretchBlt(Dest, R.left, R.top, W, H, Src, 0, 0, FWidth, FHeight, SRCINVERT);
    SetTextColor(Dest, OldText);
    SetBkColor(Dest, OldBk);
}

void TBitmap::Assign(const TPersistent& Source) {
    auto* B = dynamic_cast<const TBitmap*>(&Source);
    if (!B) return TPersistent::Assign(Source);
    if (B == this) return;
    Make(B->FWidth, B->FHeight, B->FFormat);
    for (int Y = 0; Y < FHeight; ++Y)
        std::memcpy(ScanLine(Y), B->ScanLine(Y), RowBytes());
    FTransparent = B->FTransparent;
    FTransparentColor = B->FTransparentColor;
    Changed();
}

// ---------------------------------------------------------------------------------------------
// Icons

void TIcon::SetHandle(HICON Icon) {
    if (Icon == FHandle) return;
    FHandle.Reset(Icon);
    Changed();
}

HICON TIcon::ReleaseHandle() {
    return FHandle.Release();
}

static SIZE IconSize(HICON Icon) {
    SIZE S{};
    ICONINFO Info{};
    if (!Icon || !GetIconInfo(Icon, &Info)) return S;
    // GetIconInfo hands out copies of both bitmaps.
    TBitmapHandle Color(Info.hbmColor), Mask(Info.hbmMask);
    BITMAP B{};
    if (GetObjectW(Info.hbmMask, sizeof(B), &B)) {
        S.cx = B.bmWidth;
        S.cy = Info.hbmColor ? B.bmHeight : B.bmHeight / 2;
    }
    return S;
}

int TIcon::Width() const {
    return IconSize(FHandle).cx;
}
int TIcon::Height() const {
    return IconSize(FHandle).cy;
}

void TIcon::LoadFromStream(std::span<const uint8_t> D) {
    if (D.size() < 6 || Read16(D, 0) != 0 || Read16(D, 2) != 1 || Read16(D, 4) == 0)
        throw EInvalidGraphic(L"Invalid icon: no ICO header");
    int Count = Read16(D, 4);
    if (D.size() < 6 + 16u * Count) throw EInvalidGraphic(L"Invalid icon: truncated directory");
    int Want = GetSystemMetrics(SM_CXICON);
    int Best = -1, BestScore = 0;
    for (int I = 0; I < Count; ++I) {
        size_t E = 6 + 16u * I;
        int W = D[E] ? D[E] : 256;
        int Bits = Read16(D, E + 6);
        int Score = -std::abs(W - Want) * 64 + Bits;
        if (Best < 0 || Score > BestScore) {
            Best = I;
            BestScore = Score;
        }
    }
    size_t E = 6 + 16u * Best;
    uint32_t Size = Read32(D, E + 8), Offset = Read32(D, E + 12);
    if (Offset > D.size() || D.size() - Offset < Size || Size < 40)
        throw EInvalidGraphic(L"Invalid icon: truncated image");
    HICON Icon = CreateIconFromResourceEx(const_cast<uint8_t*>(D.data()) + Offset, Size, TRUE,
                                          0x00030000, 0, 0, LR_DEFAULTCOLOR);
    if (!Icon) throw EInvalidGraphic(L"Invalid icon: image not accepted");
    SetHandle(Icon);
}

void TIcon::Draw(TCanvas& Canvas, const RECT& R) {
    if (FHandle)
        DrawIconEx(Canvas.Handle(), R.left, R.top, FHandle, R.right - R.left, R.bottom - R.top, 0,
                   nullptr, DI_NORMAL);
}

void TIcon::Assign(const TPersistent& Source) {
    auto* I = dynamic_cast<const TIcon*>(&Source);
    if (!I) return TPersistent::Assign(Source);
    if (I == this) return;
    SetHandle(I->FHandle ? CopyIcon(I->FHandle) : nullptr);
}

PUBLISHED(TGraphicsObject) {}

PUBLISHED(TFont) {
    p.Property(L"Charset", &TFont::Charset, &TFont::SetCharset);
    p.Property(L"Color", &TFont::Color, &TFont::SetColor);
    p.Property(L"Height", &TFont::Height, &TFont::SetHeight);
    p.Property(L"Name", &TFont::Name, &TFont::SetName);
    p.Property(L"Size", &TFont::Size, &TFont::SetSize);
    p.Property(L"Style", &TFont::Style, &TFont::SetStyle);
}

PUBLISHED(TBrush) {
    p.Property(L"Color", &TBrush::Color, &TBrush::SetColor);
    p.Property(L"Style", &TBrush::Style, &TBrush::SetStyle);
}

PUBLISHED(TPen) {
    p.Property(L"Color", &TPen::Color, &TPen::SetColor);
    p.Property(L"Style", &TPen::Style, &TPen::SetStyle);
    p.Property(L"Width", &TPen::Width, &TPen::SetWidth);
}

PUBLISHED(TCanvas) {
    p.Property(L"Font", &TCanvas::Font);
    p.Property(L"Brush", &TCanvas::Brush);
    p.Property(L"Pen", &TCanvas::Pen);
}

PUBLISHED(TGraphic) {}

PUBLISHED(TBitmap) {
    p.Property(L"Width", &TBitmap::Width, &TBitmap::SetWidth);
    p.Property(L"Height", &TBitmap::Height, &TBitmap::SetHeight);
    p.Property(L"PixelFormat", &TBitmap::PixelFormat, &TBitmap::SetPixelFormat);
    p.Property(L"Transparent", &TBitmap::Transparent, &TBitmap::SetTransparent);
    p.Property(L"TransparentColor", &TBitmap::TransparentColor, &TBitmap::SetTransparentColor);
}

PUBLISHED(TIcon) {}

TFont* SystemMenuFont() {
    static const std::unique_ptr<TFont> Font = [] {
        auto F = std::make_unique<TFont>();
        NONCLIENTMETRICSW M{};
        M.cbSize = sizeof(M);
        if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(M), &M, 0)) {
            F->SetName(M.lfMenuFont.lfFaceName);
            F->SetHeight(M.lfMenuFont.lfHeight);
            F->SetCharset(static_cast<TFontCharset>(M.lfMenuFont.lfCharSet));
            F->SetStyle(M.lfMenuFont.lfWeight >= FW_BOLD ? TFontStyles{fsBold} : TFontStyles{});
        }
        return F;
    }();
    return Font.get();
}

// ---------------------------------------------------------------------------------------------
// Drawing helpers

namespace {

COLORREF Rgb(TColor C) {
    return ColorToRGB(C) & 0xFFFFFF;
}

// A monochrome bitmap of the Part: white where Keep says no, black where it says yes.
template <class F> TBitmapHandle MakeMask(TBitmap& Source, const RECT& Part, F Keep) {
    int W = Part.right - Part.left, H = Part.bottom - Part.top;
    int Stride = ((W + 15) / 16) * 2;
    std::vector<uint8_t> Bits(static_cast<size_t>(Stride) * static_cast<size_t>(H), 0xFF);
    int Bpp = Source.PixelFormat() == pf32bit ? 4 : 3;
    for (int Y = 0; Y < H; ++Y) {
        const uint8_t* Row = Source.ScanLine(Part.top + Y);
        for (int X = 0; X < W; ++X) {
            const uint8_t* P = Row + (Part.left + X) * Bpp;
            if (Keep(P[2], P[1], P[0]))
                Bits[static_cast<size_t>(Y * Stride + X / 8)] &=
                    static_cast<uint8_t>(~(0x80 >> (X % 8)));
        }
    }
    return TBitmapHandle(CreateBitmap(W, H, 1, 1, Bits.data()));
}

bool ClipPart(TBitmap& Source, RECT& Part) {
    RECT All{0, 0, Source.Width(), Source.Height()};
    return IntersectRect(&Part, &Part, &All) != FALSE;
}

// Paints Brush through a mask: where the mask is black the brush colour lands, white leaves the
// target alone.
void PaintThroughMask(HDC DC, int X, int Y, int W, int H, HBITMAP Mask, TColor Color) {
    TMemoryDC MaskDC(CreateCompatibleDC(DC));
    TSelectObject SelMask(MaskDC, Mask);
    TBrushHandle Brush(CreateSolidBrush(Rgb(Color)));
    TSelectObject SelBrush(DC, Brush);
    COLORREF OldText = SetTextColor(DC, RGB(0, 0, 0));
    COLORREF OldBk = SetBkColor(DC, RGB(255, 255, 255));
    // PSDPxax: black source pixels take the pattern, white ones keep the target.
    BitBlt(DC, X, Y, W, H, MaskDC, 0, 0, 0x00B8074A);
    SetTextColor(DC, OldText);
    SetBkColor(DC, OldBk);
}

} // namespace

void FillColor(HDC DC, const RECT& R, TColor Color) {
    if (Color == clNone) return;
    TBrushHandle Brush(CreateSolidBrush(Rgb(Color)));
    FillRect(DC, &R, Brush);
}

TColor BlendColor(TColor A, TColor B, int Weight) {
    uint32_t X = ColorToRGB(A) & 0xFFFFFF, Y = ColorToRGB(B) & 0xFFFFFF;
    uint32_t Out = 0;
    for (int Shift = 0; Shift < 24; Shift += 8) {
        int CA = static_cast<int>((X >> Shift) & 0xFF), CB = static_cast<int>((Y >> Shift) & 0xFF);
        Out |= static_cast<uint32_t>(CA + (CB - CA) * Weight / 256) << Shift;
    }
    return static_cast<TColor>(Out);
}

void DrawTransparentPart(HDC DC, int X, int Y, TBitmap& Source, const RECT& Part, TColor Key) {
    RECT P = Part;
    if (Source.Empty() || !ClipPart(Source, P)) return;
    int W = P.right - P.left, H = P.bottom - P.top;
    HDC Src = Source.Canvas()->Handle();
    if (Key == clNone) {
        BitBlt(DC, X, Y, W, H, Src, P.left, P.top, SRCCOPY);
        return;
    }
    GdiTransparentBlt(DC, X, Y, W, H, Src, P.left, P.top, W, H, Rgb(Key));
}

void DrawDisabledPart(HDC DC, int X, int Y, TBitmap& Source, const RECT& Part, TColor Key) {
    RECT P = Part;
    if (Source.Empty() || !ClipPart(Source, P)) return;
    COLORREF K = Key == clNone ? 0xFFFFFFFF : Rgb(Key);
    // The darker pixels carry the shape; light ones read as background, as on a button face.
    TBitmapHandle Mask = MakeMask(Source, P, [K](uint8_t R, uint8_t G, uint8_t B) {
        if (RGB(R, G, B) == K) return false;
        return R * 30 + G * 59 + B * 11 < 192 * 100;
    });
    if (!Mask) return;
    int W = P.right - P.left, H = P.bottom - P.top;
    PaintThroughMask(DC, X + 1, Y + 1, W, H, Mask, clBtnHighlight);
    PaintThroughMask(DC, X, Y, W, H, Mask, clBtnShadow);
}
