#include "RzPanel.h"

namespace {

void Line(HDC DC, int X1, int Y1, int X2, int Y2, TColor Color) {
    FillColor(DC, {X1, Y1, X2, Y2}, Color);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TRzGroupBox

TRzGroupBox::TRzGroupBox(TComponent* AOwner) : TCustomGroupBox(AOwner) {}

void TRzGroupBox::SetTransparent(bool V) {
    if (V == FTransparent) return;
    FTransparent = V;
    Invalidate();
}

void TRzGroupBox::SetGroupStyle(TGroupBoxStyle V) {
    if (V == FGroupStyle) return;
    FGroupStyle = V;
    Invalidate();
}

void TRzGroupBox::SetFlatColor(TColor V) {
    if (V == FFlatColor) return;
    FFlatColor = V;
    Invalidate();
}

void TRzGroupBox::PaintTo(TCanvas& Canvas, const RECT& Client) {
    HDC DC = Canvas.Handle();
    if (FTransparent || Color() == clNone)
        DrawParentBackground(this, DC);
    else
        FillColor(DC, Client, Color());
    if (FGroupStyle == gsStandard) return DrawFrameAndCaption(Canvas, Client);

    std::wstring Text = Caption();
    SIZE Ext = Canvas.TextExtent(Text.empty() ? L"0" : Text);
    int Y = Client.top + Ext.cy / 2;
    RECT T{8, 0, Text.empty() ? 8 : 8 + Ext.cx + 4, Ext.cy};
    int Saved = SaveDC(DC);
    if (!Text.empty()) ExcludeClipRect(DC, T.left, T.top, T.right, T.bottom);
    if (FGroupStyle == gsFlat) {
        Line(DC, Client.left, Y, Client.right, Y + 1, FFlatColor);
        Line(DC, Client.left, Y, Client.left + 1, Client.bottom, FFlatColor);
        Line(DC, Client.right - 1, Y, Client.right, Client.bottom, FFlatColor);
        Line(DC, Client.left, Client.bottom - 1, Client.right, Client.bottom, FFlatColor);
    } else if (FGroupStyle == gsTopLine) {
        Line(DC, Client.left, Y, Client.right, Y + 1, FFlatColor);
    }
    RestoreDC(DC, Saved);
    if (Text.empty()) return;
    RECT In{T.left + 2, T.top, T.right, T.bottom};
    TTextStyleColors Colors;
    Colors.Text = Font()->Color();
    DrawStyledText(DC, Text, In, DT_SINGLELINE, tsNone, Colors, !Enabled());
}

// ---------------------------------------------------------------------------------------------
// TRzStatusBar

TRzStatusBar::TRzStatusBar(TComponent* AOwner) : TCustomPanel(AOwner) {
    SetBevelOuter(bvNone);
    SetAlignment(taLeftJustify);
    SetBounds(0, 0, 185, 19);
    SetAlign(alBottom);
}

void TRzStatusBar::BordersChanged() {
    Invalidate();
    AlignControls();
}

void TRzStatusBar::SetBorderInner(TFrameStyleEx V) {
    if (V == FBorderInner) return;
    FBorderInner = V;
    BordersChanged();
}

void TRzStatusBar::SetBorderOuter(TFrameStyleEx V) {
    if (V == FBorderOuter) return;
    FBorderOuter = V;
    BordersChanged();
}

void TRzStatusBar::SetBorderSides(TSides V) {
    if (V == FBorderSides) return;
    FBorderSides = V;
    BordersChanged();
}

void TRzStatusBar::SetFlatColor(TColor V) {
    if (V == FFlatColor) return;
    FFlatColor = V;
    Invalidate();
}

int TRzStatusBar::BorderWidth(TSide Side) const {
    if (!FBorderSides.Contains(Side)) return 0;
    return (FBorderOuter != fsNone ? 1 : 0) + (FBorderInner != fsNone ? 1 : 0);
}

RECT TRzStatusBar::ClientRect() const {
    RECT R = TCustomPanel::ClientRect();
    R.left += BorderWidth(sdLeft);
    R.top += BorderWidth(sdTop);
    R.right -= BorderWidth(sdRight);
    R.bottom -= BorderWidth(sdBottom);
    if (R.right < R.left) R.right = R.left;
    if (R.bottom < R.top) R.bottom = R.top;
    return R;
}

void TRzStatusBar::PaintTo(TCanvas& Canvas, const RECT&) {
    HDC DC = Canvas.Handle();
    RECT R{0, 0, Width(), Height()};
    if (Color() == clNone)
        DrawParentBackground(this, DC);
    else
        FillColor(DC, R, Color());
    auto Frame = [&](TFrameStyleEx Style) {
        if (Style == fsNone) return;
        TColor TopLeft = Style == fsFlat      ? FFlatColor
                         : Style == fsLowered ? clBtnShadow
                                              : clBtnHighlight;
        TColor BottomRight = Style == fsFlat      ? FFlatColor
                             : Style == fsLowered ? clBtnHighlight
                                                  : clBtnShadow;
        if (FBorderSides.Contains(sdTop)) Line(DC, R.left, R.top, R.right, R.top + 1, TopLeft);
        if (FBorderSides.Contains(sdLeft)) Line(DC, R.left, R.top, R.left + 1, R.bottom, TopLeft);
        if (FBorderSides.Contains(sdBottom))
            Line(DC, R.left, R.bottom - 1, R.right, R.bottom, BottomRight);
        if (FBorderSides.Contains(sdRight))
            Line(DC, R.right - 1, R.top, R.right, R.bottom, BottomRight);
        if (FBorderSides.Contains(sdLeft)) ++R.left;
        if (FBorderSides.Contains(sdTop)) ++R.top;
        if (FBorderSides.Contains(sdRight)) --R.right;
        if (FBorderSides.Contains(sdBottom)) --R.bottom;
    };
    Frame(FBorderOuter);
    Frame(FBorderInner);
    std::wstring Text = Caption();
    if (Text.empty()) return;
    RECT T = R;
    InflateRect(&T, -2, 0);
    Canvas.TextExtent(L""); // selects the font
    TTextStyleColors Colors;
    Colors.Text = Font()->Color();
    UINT Format = DT_SINGLELINE | DT_VCENTER |
                  (Alignment() == taCenter         ? DT_CENTER
                   : Alignment() == taRightJustify ? DT_RIGHT
                                                   : DT_LEFT);
    DrawStyledText(DC, Text, T, Format, tsNone, Colors, !Enabled());
}

PUBLISHED(TRzGroupBox) {
    p.Property(L"FlatColor", &TRzGroupBox::FlatColor, &TRzGroupBox::SetFlatColor);
    p.Property(L"GroupStyle", &TRzGroupBox::GroupStyle, &TRzGroupBox::SetGroupStyle);
    p.Property(L"Transparent", &TRzGroupBox::Transparent, &TRzGroupBox::SetTransparent);
}

PUBLISHED(TRzStatusBar) {
    p.Property(L"BorderInner", &TRzStatusBar::BorderInner, &TRzStatusBar::SetBorderInner);
    p.Property(L"BorderOuter", &TRzStatusBar::BorderOuter, &TRzStatusBar::SetBorderOuter);
    p.Property(L"BorderSides", &TRzStatusBar::BorderSides, &TRzStatusBar::SetBorderSides);
    p.Property(L"FlatColor", &TRzStatusBar::FlatColor, &TRzStatusBar::SetFlatColor);
}
