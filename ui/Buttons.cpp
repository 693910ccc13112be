#include "Buttons.h"

#include <windowsx.h>

#include <algorithm>

TGlyphLayout LayoutGlyphAndText(SIZE Client, SIZE Glyph, SIZE Text, TButtonLayout Layout,
                                int Margin, int Spacing, bool Centered) {
    const bool Across = Layout == blGlyphLeft || Layout == blGlyphRight;
    const int Room = Across ? Client.cx : Client.cy;
    const int G = Across ? Glyph.cx : Glyph.cy;
    const int T = Across ? Text.cx : Text.cy;
    if (G == 0 || T == 0) Spacing = 0;
    if (Margin == -1 || Centered) {
        if (Spacing == -1)
            Margin = Spacing = (Room - G - T) / 3;
        else
            Margin = (Room - G - Spacing - T) / 2;
    } else if (Spacing == -1) {
        Spacing = (Room - Margin - G - T) / 2;
    }
    int GlyphAt, TextAt;
    if (Layout == blGlyphLeft || Layout == blGlyphTop) {
        GlyphAt = Margin;
        TextAt = Margin + G + Spacing;
    } else {
        GlyphAt = Room - Margin - G;
        TextAt = GlyphAt - Spacing - T;
    }
    TGlyphLayout L;
    if (Across) {
        L.Glyph = {GlyphAt, (Client.cy - Glyph.cy + 1) / 2};
        const int Y = (Client.cy - Text.cy + 1) / 2;
        L.Text = {TextAt, Y, TextAt + Text.cx, Y + Text.cy};
    } else {
        L.Glyph = {(Client.cx - Glyph.cx + 1) / 2, GlyphAt};
        const int X = (Client.cx - Text.cx + 1) / 2;
        L.Text = {X, TextAt, X + Text.cx, TextAt + Text.cy};
    }
    return L;
}

std::wstring ButtonCaptionLines(const std::wstring& Caption) {
    std::wstring Out;
    Out.reserve(Caption.size());
    for (size_t I = 0; I < Caption.size(); ++I) {
        if (Caption[I] == L'|' && I + 1 < Caption.size() && Caption[I + 1] == L'|') {
            Out += L"\r\n";
            ++I;
        } else {
            Out += Caption[I];
        }
    }
    return Out;
}

// ---------------------------------------------------------------------------------------------
// TSpeedButton

namespace {

template <class T> void SetLook(TSpeedButton& B, T& Field, T Value) {
    if (Field == Value) return;
    Field = Value;
    B.Invalidate();
}

} // namespace

TSpeedButton::TSpeedButton(TComponent* AOwner)
    : TGraphicControl(AOwner), FGlyph(std::make_unique<TBitmap>()) {
    SetBounds(0, 0, 23, 22);
    FGlyph->OnChange = [this](TObject*) { Invalidate(); };
}

TSpeedButton::~TSpeedButton() = default;

void TSpeedButton::SetNumGlyphs(int V) {
    SetLook(*this, FNumGlyphs, std::clamp(V, 1, 4));
}
void TSpeedButton::SetLayout(TButtonLayout V) {
    SetLook(*this, FLayout, V);
}
void TSpeedButton::SetMargin(int V) {
    SetLook(*this, FMargin, V);
}
void TSpeedButton::SetSpacing(int V) {
    SetLook(*this, FSpacing, V);
}
void TSpeedButton::SetFlat(bool V) {
    SetLook(*this, FFlat, V);
}

void TSpeedButton::SetGroupIndex(int V) {
    FGroupIndex = V;
    if (V == 0) SetDown(false);
}

void TSpeedButton::SetDown(bool V) {
    if (FGroupIndex == 0) V = false;
    if (V == FDown) return;
    FDown = V;
    Invalidate();
    if (!V || !Parent()) return;
    // One button of a group is down at a time.
    for (int I = 0; I < Parent()->ControlCount(); ++I)
        if (auto* Other = dynamic_cast<TSpeedButton*>(Parent()->Controls(I));
            Other && Other != this && Other->FGroupIndex == FGroupIndex)
            Other->SetDown(false);
}

void TSpeedButton::Click() {
    if (FGroupIndex != 0) {
        if (!FDown)
            SetDown(true);
        else if (FAllowAllUp)
            SetDown(false);
    }
    TGraphicControl::Click();
}

void TSpeedButton::SetPressed(bool V) {
    SetLook(*this, FPressed, V);
}

void TSpeedButton::SetHot(bool V) {
    if (FMouseInControl == V) return;
    FMouseInControl = V;
    // Only a flat button changes its look with the pointer.
    if (FFlat) Invalidate();
}

void TSpeedButton::WndProc(TMessage& M) {
    switch (M.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (!Enabled()) return;
        SetPressed(true);
        break;
    case WM_LBUTTONUP:
        SetPressed(false);
        break;
    case WM_MOUSEMOVE:
        if (GetCaptureControl() == this) {
            const POINT P{GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam)};
            const RECT R = ClientRect();
            SetPressed(PtInRect(&R, P) != FALSE);
        }
        break;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        if (M.LParam == 0) SetHot(M.Msg == CM_MOUSEENTER && Enabled());
        break;
    case CM_ENABLEDCHANGED:
        if (!Enabled()) {
            FPressed = false;
            FMouseInControl = false;
        }
        break;
    default:
        break;
    }
    TGraphicControl::WndProc(M);
}

void TSpeedButton::DrawGlyph(HDC DC, POINT At) {
    if (FGlyph->Empty()) return;
    const int W = FGlyph->Width() / FNumGlyphs;
    // Images of the strip: 1 up, 2 disabled, 3 pressed, 4 down; the key colour is the
    // bottom-left pixel's.
    int Frame = 0;
    if (!Enabled()) {
        if (FNumGlyphs >= 2) Frame = 1;
    } else if (FDown && FNumGlyphs >= 4) {
        Frame = 3;
    } else if ((FPressed || FDown) && FNumGlyphs >= 3) {
        Frame = 2;
    }
    const RECT Part{Frame * W, 0, Frame * W + W, FGlyph->Height()};
    const TColor Key = FGlyph->TransparentColor();
    if (!Enabled() && FNumGlyphs < 2)
        DrawDisabledPart(DC, At.x, At.y, *FGlyph, Part, Key);
    else
        DrawTransparentPart(DC, At.x, At.y, *FGlyph, Part, Key);
}

void TSpeedButton::Paint() {
    if (Width() <= 0 || Height() <= 0) return;
    TBitmap Buffer(Width(), Height());
    TCanvas& C = *Buffer.Canvas();
    HDC DC = C.Handle();
    RECT R = ClientRect();
    FillColor(DC, R, Color());
    const bool Sunk = FPressed || FDown;
    if (Sunk)
        DrawEdge(DC, &R, FFlat ? BDR_SUNKENOUTER : EDGE_SUNKEN, BF_RECT);
    else if (!FFlat || (FMouseInControl && Enabled()))
        DrawEdge(DC, &R, FFlat ? BDR_RAISEDINNER : EDGE_RAISED, BF_RECT);

    C.Font()->Assign(*Font());
    C.TextExtent(L""); // selects the font
    const std::wstring Text = ButtonCaptionLines(Caption());
    UINT Format = DT_CENTER | DT_WORDBREAK | DT_EXPANDTABS;
    RECT TextSize{0, 0, std::max(Width() - 4, 1), 0};
    if (!Text.empty())
        DrawTextW(DC, Text.c_str(), static_cast<int>(Text.size()), &TextSize, Format | DT_CALCRECT);
    else
        TextSize = {};
    const SIZE Glyph =
        FGlyph->Empty() ? SIZE{} : SIZE{FGlyph->Width() / FNumGlyphs, FGlyph->Height()};
    const TGlyphLayout L =
        LayoutGlyphAndText({Width(), Height()}, Glyph, {TextSize.right, TextSize.bottom}, FLayout,
                           FMargin, FSpacing, false);
    const int Shift = Sunk ? 1 : 0;
    DrawGlyph(DC, {L.Glyph.x + Shift, L.Glyph.y + Shift});
    if (!Text.empty()) {
        RECT T = L.Text;
        OffsetRect(&T, Shift, Shift);
        if (FLayout == blGlyphRight) Format = (Format & ~static_cast<UINT>(DT_CENTER)) | DT_RIGHT;
        const int OldMode = SetBkMode(DC, TRANSPARENT);
        if (!Enabled()) {
            // Embossed, as the system draws disabled captions.
            RECT Lit = T;
            OffsetRect(&Lit, 1, 1);
            SetTextColor(DC, ColorToRGB(clBtnHighlight));
            DrawTextW(DC, Text.c_str(), static_cast<int>(Text.size()), &Lit, Format);
            SetTextColor(DC, ColorToRGB(clBtnShadow));
        } else {
            SetTextColor(DC, ColorToRGB(Font()->Color()));
        }
        DrawTextW(DC, Text.c_str(), static_cast<int>(Text.size()), &T, Format);
        SetBkMode(DC, OldMode);
    }
    BitBlt(Canvas()->Handle(), 0, 0, Width(), Height(), DC, 0, 0, SRCCOPY);
    TGraphicControl::Paint();
}

PUBLISHED(TSpeedButton) {
    using B = TSpeedButton;
    p.Property(L"AllowAllUp", &B::AllowAllUp, &B::SetAllowAllUp);
    p.Property(L"Down", &B::Down, &B::SetDown);
    p.Property(L"Flat", &B::Flat, &B::SetFlat);
    p.Property(L"Glyph", &B::Glyph);
    p.Property(L"GroupIndex", &B::GroupIndex, &B::SetGroupIndex);
    p.Property(L"Layout", &B::Layout, &B::SetLayout);
    p.Property(L"Margin", &B::Margin, &B::SetMargin);
    p.Property(L"NumGlyphs", &B::NumGlyphs, &B::SetNumGlyphs);
    p.Property(L"Spacing", &B::Spacing, &B::SetSpacing);
}
