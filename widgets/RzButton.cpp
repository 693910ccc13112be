#include "RzButton.h"

#include <windowsx.h>

#include <algorithm>

namespace {

// Sets a look field and repaints when it really changed.
template <class T> void SetLook(TRzBitBtn& B, T& Field, T Value) {
    if (Field == Value) return;
    Field = Value;
    B.Invalidate();
}

void Frame(HDC DC, RECT& R, TColor TopLeft, TColor BottomRight) {
    FillColor(DC, {R.left, R.top, R.right - 1, R.top + 1}, TopLeft);
    FillColor(DC, {R.left, R.top, R.left + 1, R.bottom - 1}, TopLeft);
    FillColor(DC, {R.left, R.bottom - 1, R.right, R.bottom}, BottomRight);
    FillColor(DC, {R.right - 1, R.top, R.right, R.bottom}, BottomRight);
    InflateRect(&R, -1, -1);
}

} // namespace

TRzBitBtn::TRzBitBtn(TComponent* AOwner)
    : TCustomControl(AOwner), FGlyph(std::make_unique<TBitmap>()) {
    SetBounds(0, 0, 75, 25);
    SetTabStop(true);
    SetColor(clBtnFace);
    SetControlStyle(ControlStyle().Include(csOpaque));
    FGlyph->OnChange = [this](TObject*) { Invalidate(); };
}

TRzBitBtn::~TRzBitBtn() {
    Destroying();
    DestroyHandle();
}

void TRzBitBtn::SetNumGlyphs(int V) {
    SetLook(*this, FNumGlyphs, std::clamp(V, 1, 4));
}
void TRzBitBtn::SetLayout(TButtonLayout V) {
    SetLook(*this, FLayout, V);
}
void TRzBitBtn::SetMargin(int V) {
    SetLook(*this, FMargin, std::max(V, -1));
}
void TRzBitBtn::SetSpacing(int V) {
    SetLook(*this, FSpacing, std::max(V, -1));
}
void TRzBitBtn::SetAlignment(TAlignment V) {
    SetLook(*this, FAlignment, V);
}
void TRzBitBtn::SetImageIndex(int V) {
    SetLook(*this, FImageIndex, std::max(V, -1));
}
void TRzBitBtn::SetDisabledIndex(int V) {
    SetLook(*this, FDisabledIndex, std::max(V, -1));
}
void TRzBitBtn::SetDefault(bool V) {
    SetLook(*this, FDefault, V);
}
void TRzBitBtn::SetHotTrack(bool V) {
    SetLook(*this, FHotTrack, V);
}
void TRzBitBtn::SetHotTrackColor(TColor V) {
    SetLook(*this, FHotTrackColor, V);
}
void TRzBitBtn::SetTextStyle(TTextStyle V) {
    SetLook(*this, FTextStyle, V);
}
void TRzBitBtn::SetTextHighlightColor(TColor V) {
    SetLook(*this, FTextHighlightColor, V);
}
void TRzBitBtn::SetTextShadowColor(TColor V) {
    SetLook(*this, FTextShadowColor, V);
}
void TRzBitBtn::SetShadowDepth(int V) {
    SetLook(*this, FShadowDepth, std::clamp(V, 0, 8));
}
void TRzBitBtn::SetShowFocusRect(bool V) {
    SetLook(*this, FShowFocusRect, V);
}

void TRzBitBtn::SetImages(TImageList* V) {
    if (V == FImages) return;
    if (FImages) FImages->RemoveFreeNotification(this);
    FImages = V;
    if (V) V->FreeNotification(this);
    Invalidate();
}

void TRzBitBtn::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FImages) {
        FImages = nullptr;
        Invalidate();
    }
}

void TRzBitBtn::SetHot(bool V) {
    if (V == FMouseInControl) return;
    FMouseInControl = V;
    if (FHotTrack) Invalidate();
}

void TRzBitBtn::SetDown(bool V) {
    if (V == FDown) return;
    FDown = V;
    Invalidate();
}

SIZE TRzBitBtn::GlyphSize() const {
    if (FImages && FImageIndex >= 0 && FImageIndex < FImages->Count())
        return {FImages->Width(), FImages->Height()};
    if (FGlyph->Empty()) return {0, 0};
    return {FGlyph->Width() / FNumGlyphs, FGlyph->Height()};
}

void TRzBitBtn::DrawGlyph(HDC DC, POINT At) {
    bool Disabled = !Enabled();
    if (FImages && FImageIndex >= 0 && FImageIndex < FImages->Count()) {
        int Index = Disabled && FDisabledIndex >= 0 && FDisabledIndex < FImages->Count()
                        ? FDisabledIndex
                        : FImageIndex;
        TBitmap Image;
        FImages->GetBitmap(Index, Image);
        RECT All{0, 0, Image.Width(), Image.Height()};
        if (Disabled && Index == FImageIndex)
            DrawDisabledPart(DC, At.x, At.y, Image, All, FImages->MaskColor());
        else
            DrawTransparentPart(DC, At.x, At.y, Image, All, FImages->MaskColor());
        return;
    }
    if (FGlyph->Empty()) return;
    int W = FGlyph->Width() / FNumGlyphs;
    // Images of the strip: 1 normal, 2 disabled, 3 pressed; the key colour is the bottom-left
    // pixel's.
    int Frame = 0;
    if (Disabled && FNumGlyphs >= 2)
        Frame = 1;
    else if (!Disabled && FDown && FNumGlyphs >= 3)
        Frame = 2;
    RECT Part{Frame * W, 0, Frame * W + W, FGlyph->Height()};
    TColor Key = FGlyph->TransparentColor();
    if (Disabled && FNumGlyphs < 2)
        DrawDisabledPart(DC, At.x, At.y, *FGlyph, Part, Key);
    else
        DrawTransparentPart(DC, At.x, At.y, *FGlyph, Part, Key);
}

void TRzBitBtn::PaintTo(TCanvas& Canvas) {
    HDC DC = Canvas.Handle();
    RECT R{0, 0, Width(), Height()};
    bool Hot = FHotTrack && FMouseInControl && Enabled() && !FDown;

    // Face: the button's colour, lighter while hot.
    TColor Face = Color();
    if (Face == clNone)
        DrawParentBackground(this, DC);
    else
        FillColor(DC, R, Hot ? BlendColor(Face, clWhite, 64) : Face);

    // Edges: raised, sunken while held down, a coloured outer line while hot and a dark one
    // around the default button.
    RECT E = R;
    if (FDefault && !FDown) Frame(DC, E, cl3DDkShadow, cl3DDkShadow);
    if (FDown) {
        Frame(DC, E, clBtnShadow, clBtnHighlight);
        Frame(DC, E, cl3DDkShadow, cl3DLight);
    } else if (Hot) {
        Frame(DC, E, FHotTrackColor, FHotTrackColor);
        Frame(DC, E, clBtnHighlight, clBtnShadow);
    } else {
        Frame(DC, E, clBtnHighlight, cl3DDkShadow);
        Frame(DC, E, cl3DLight, clBtnShadow);
    }

    // Glyph and caption, moved one pixel down and right while held down.
    TCanvas* C = &Canvas;
    C->Font()->Assign(*Font());
    C->Brush()->SetStyle(bsClear);
    C->TextExtent(L""); // selects the font
    std::wstring Text = Caption();
    RECT TextSize{0, 0, std::max<LONG>(R.right - 4, 1), 0};
    UINT Format = DT_CENTER | DT_WORDBREAK | DT_EXPANDTABS;
    if (!Text.empty())
        DrawTextW(DC, Text.c_str(), static_cast<int>(Text.size()), &TextSize, Format | DT_CALCRECT);
    else
        TextSize = {0, 0, 0, 0};
    TGlyphLayout L =
        LayoutGlyphAndText({R.right, R.bottom}, GlyphSize(), {TextSize.right, TextSize.bottom},
                           FLayout, FMargin, FSpacing, FAlignment == taCenter);
    int Shift = FDown ? 1 : 0;
    DrawGlyph(DC, {L.Glyph.x + Shift, L.Glyph.y + Shift});
    if (!Text.empty()) {
        RECT T = L.Text;
        OffsetRect(&T, Shift, Shift);
        TTextStyleColors Colors;
        Colors.Text = Font()->Color();
        Colors.Highlight = FTextHighlightColor;
        Colors.Shadow = FTextShadowColor;
        Colors.ShadowDepth = FShadowDepth;
        if (FLayout == blGlyphRight) Format = (Format & ~static_cast<UINT>(DT_CENTER)) | DT_RIGHT;
        DrawStyledText(DC, Text, T, Format, FTextStyle, Colors, !Enabled());
    }

    if (Focused() && FShowFocusRect) {
        RECT F = R;
        InflateRect(&F, -4, -4);
        SetTextColor(DC, RGB(0, 0, 0));
        SetBkColor(DC, RGB(255, 255, 255));
        DrawFocusRect(DC, &F);
    }
}

void TRzBitBtn::Paint() {
    if (Width() <= 0 || Height() <= 0) return;
    TBitmap Buffer(Width(), Height());
    PaintTo(*Buffer.Canvas());
    BitBlt(Canvas()->Handle(), 0, 0, Width(), Height(), Buffer.Canvas()->Handle(), 0, 0, SRCCOPY);
    TCustomControl::Paint();
}

void TRzBitBtn::WndProc(TMessage& M) {
    switch (M.Msg) {
    case WM_ERASEBKGND:
        M.Result = 1;
        return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
        // A disabled button takes no clicks, however the mouse messages reach it.
        if (!Enabled()) return;
        if (M.Msg == WM_LBUTTONUP) {
            FTracking = false;
            SetDown(false);
            break;
        }
        if (!Focused() && CanFocus()) SetFocus();
        FTracking = true;
        SetDown(true);
        break;
    case WM_MOUSEMOVE: {
        if (!FMouseInControl) {
            SetHot(true);
            // The system reports the pointer leaving, which also wakes the idle processing.
            TRACKMOUSEEVENT T{sizeof(T), TME_LEAVE, Handle(), 0};
            TrackMouseEvent(&T);
        }
        if (FTracking) {
            POINT P{GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam)};
            RECT R{0, 0, Width(), Height()};
            SetDown(PtInRect(&R, P) != FALSE);
        }
        break;
    }
    case WM_MOUSELEAVE:
        SetHot(false);
        break;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        if (M.LParam == 0) SetHot(M.Msg == CM_MOUSEENTER);
        break;
    case WM_CANCELMODE:
    case WM_CAPTURECHANGED:
        if (FTracking && GetCapture() != Handle()) {
            FTracking = false;
            SetDown(false);
        }
        break;
    case WM_KEYDOWN:
        TCustomControl::WndProc(M);
        if (M.WParam == VK_SPACE && Enabled() && !FSpaceDown) {
            FSpaceDown = true;
            SetDown(true);
        }
        return;
    case WM_KEYUP:
        TCustomControl::WndProc(M);
        if (M.WParam == VK_SPACE && FSpaceDown) {
            FSpaceDown = false;
            SetDown(false);
            Click();
        }
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (M.Msg == WM_KILLFOCUS && FSpaceDown) {
            FSpaceDown = false;
            SetDown(false);
        }
        Invalidate();
        break;
    case WM_GETDLGCODE:
        M.Result = DLGC_BUTTON;
        return;
    case CM_ENABLEDCHANGED:
    case CM_TEXTCHANGED:
        Invalidate();
        break;
    default:
        break;
    }
    TCustomControl::WndProc(M);
}

PUBLISHED(TRzBitBtn) {
    using B = TRzBitBtn;
    p.Property(L"Alignment", &B::Alignment, &B::SetAlignment);
    p.Property(L"Default", &B::Default, &B::SetDefault);
    p.Property(L"DisabledIndex", &B::DisabledIndex, &B::SetDisabledIndex);
    p.Property(L"Glyph", &B::Glyph);
    p.Property(L"HotTrack", &B::HotTrack, &B::SetHotTrack);
    p.Property(L"HotTrackColor", &B::HotTrackColor, &B::SetHotTrackColor);
    p.Property(L"ImageIndex", &B::ImageIndex, &B::SetImageIndex);
    p.Property(L"Images", &B::Images, &B::SetImages);
    p.Property(L"Layout", &B::Layout, &B::SetLayout);
    p.Property(L"Margin", &B::Margin, &B::SetMargin);
    p.Property(L"NumGlyphs", &B::NumGlyphs, &B::SetNumGlyphs);
    p.Property(L"ShadowDepth", &B::ShadowDepth, &B::SetShadowDepth);
    p.Property(L"ShowFocusRect", &B::ShowFocusRect, &B::SetShowFocusRect);
    p.Property(L"Spacing", &B::Spacing, &B::SetSpacing);
    p.Property(L"TextHighlightColor", &B::TextHighlightColor, &B::SetTextHighlightColor);
    p.Property(L"TextShadowColor", &B::TextShadowColor, &B::SetTextShadowColor);
    p.Property(L"TextStyle", &B::TextStyle, &B::SetTextStyle);
}
