#include "WinSubStatus.h"

#include "ComCtrls.h"
#include "ImgUtil.h"
#include "WinConvert.h"
#include "WinSkinData.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

// One panel of the bar as the skin paints it.
struct TPanelLook {
    int Index = 0;
    RECT Rect{};
    int Frame = 1; // lowered 1, raised 2, none 3
    bool OwnerDrawn = false;
    std::wstring Text;
    TAlignment Alignment = taLeftJustify;
};

namespace {

// Read right to left, a panel's left and right are the other way round.
TAlignment ForReadingOrder(TAlignment A, bool RightToLeft) {
    if (!RightToLeft || A == taCenter) return A;
    return A == taLeftJustify ? taRightJustify : taLeftJustify;
}

// A panel's text as the system keeps it: leading tabs say centred (one) or right (two).
void SplitAlignment(std::wstring& Text, TAlignment& Alignment) {
    size_t Tabs = 0;
    while (Tabs < Text.size() && Tabs < 2 && Text[Tabs] == L'\t')
        ++Tabs;
    Alignment = Tabs == 0 ? taLeftJustify : Tabs == 1 ? taCenter : taRightJustify;
    Text.erase(0, Tabs);
}

std::vector<TPanelLook> ReadPanels(HWND Wnd, const TStatusBar* Bar, int Right) {
    std::vector<TPanelLook> Panels;
    const int Count = static_cast<int>(SendMessageW(Wnd, SB_GETPARTS, 0, 0));
    for (int I = 0; I < Count; ++I) {
        TPanelLook P;
        P.Index = I;
        if (!SendMessageW(Wnd, SB_GETRECT, static_cast<WPARAM>(I),
                          reinterpret_cast<LPARAM>(&P.Rect)))
            continue;
        if (I == Count - 1) P.Rect.right = Right;
        const DWORD Info = static_cast<DWORD>(SendMessageW(Wnd, SB_GETTEXTLENGTHW, I, 0));
        const WORD Type = HIWORD(Info);
        P.Frame = Type & SBT_NOBORDERS ? 3 : Type & SBT_POPOUT ? 2 : 1;
        P.OwnerDrawn = (Type & SBT_OWNERDRAW) != 0;
        if (Bar && I < Bar->PanelCount()) {
            const TStatusPanel& Own = *Bar->Panels(I);
            P.OwnerDrawn = Own.Style() == psOwnerDraw;
            P.Text = GetPropText(Own, L"Text");
            P.Alignment = Own.Alignment();
        } else if (!P.OwnerDrawn) {
            std::wstring Text(LOWORD(Info) + 1, L'\0');
            SendMessageW(Wnd, SB_GETTEXTW, I, reinterpret_cast<LPARAM>(Text.data()));
            Text.resize(LOWORD(Info));
            SplitAlignment(Text, P.Alignment);
            P.Text = std::move(Text);
        }
        Panels.push_back(std::move(P));
    }
    return Panels;
}

} // namespace

// Transparent, tabs expanded, centred vertically; centred text in the middle of the
// rectangle, other alignments against its edges.
void DrawSkinText(HDC DC, const RECT& Box, const std::wstring& Text, TAlignment Alignment,
                  COLORREF Colour) {
    const std::wstring Shown = Text.empty() ? L" " : Text;
    RECT Measured = Box;
    DrawTextW(DC, Shown.c_str(), static_cast<int>(Shown.size()), &Measured,
              DT_CALCRECT | DT_EXPANDTABS | DT_NOPREFIX);
    const int TH = Measured.bottom - Measured.top;
    RECT R{Box.left, Box.top + (Box.bottom - Box.top - TH) / 2, Box.right, 0};
    R.bottom = R.top + TH;
    UINT Format = DT_EXPANDTABS | DT_NOPREFIX | DT_SINGLELINE;
    Format |= Alignment == taCenter ? DT_CENTER : Alignment == taRightJustify ? DT_RIGHT : DT_LEFT;
    const int OldMode = SetBkMode(DC, TRANSPARENT);
    SetTextColor(DC, Colour);
    DrawTextW(DC, Shown.c_str(), static_cast<int>(Shown.size()), &R, Format);
    SetBkMode(DC, OldMode);
}

bool TSkinStatusBar::BeforeMessage(TMessage& M) {
    if (M.Msg == WM_PAINT && HasPicture(SkinData->StatusBarEdges.get()) && Wnd) {
        PaintWhole(M);
        return false;
    }
    return TSkinControl::BeforeMessage(M);
}

void TSkinStatusBar::Paint(HDC DC, const RECT& Rect) {
    if (!HasPicture(SkinData->StatusBarEdges.get()) || !Wnd) return;
    const int W = Rect.right - Rect.left, H = Rect.bottom - Rect.top;
    if (W <= 0 || H <= 0) return;
    const RECT R{0, 0, W, H};
    // Painted often (every text change): composed in the skin's off-screen bitmap.
    TBitmap& Picture = SkinData->WorkBitmap();
    Picture.SetPixelFormat(pf24bit);
    Picture.SetSize(W, H);
    const HDC Off = Picture.Canvas()->Handle();
    FillColor(Off, R, SkinData->ButtonFace);

    TFont Plain;
    TSelectObject SelectFont(Off, TextFont(Plain));
    // The grip's room is kept free of text, as the system keeps it.
    const RECT GripSource = GripPicture();
    const int GW = GripSource.right - GripSource.left, GH = GripSource.bottom - GripSource.top;
    const int TextEnd = GW > 0 ? W - 1 - GW : W;
    const std::vector<TPanelLook> Panels = PaintPanels(Off, R, TextEnd);
    if (GW > 0 && GH > 0) {
        TDataSkinObject& Extra = *SkinData->ExtraImages;
        DrawSkinGlyph(Off, {W - 1 - GW, H - 1 - GH, W - 1, H - 1}, Extra.Bitmap, true,
                      Extra.FrameCount, 5);
    }
    BitBlt(DC, Rect.left, Rect.top, W, H, Off, 0, 0, SRCCOPY);
    PaintOwnerDrawnPanels(DC, Rect, Panels);
}

HGDIOBJ TSkinStatusBar::TextFont(TFont& Plain) const {
    // The control's font without its style.
    HFONT Font = reinterpret_cast<HFONT>(SendMessageW(Wnd, WM_GETFONT, 0, 0));
    if (Control) {
        Plain.Assign(*Control->Font());
        Plain.SetStyle({});
        Font = Plain.Handle();
    }
    return Font ? Font : GetStockObject(DEFAULT_GUI_FONT);
}

RECT TSkinStatusBar::GripPicture() const {
    TDataSkinObject* Extra = SkinData->ExtraImages.get();
    if (!(GetWindowLongW(Wnd, GWL_STYLE) & SBARS_SIZEGRIP) || !Extra || Extra->Bitmap.Empty())
        return {};
    return SkinFrameRect(Extra->Bitmap, false, Extra->FrameCount, 5);
}

std::vector<TPanelLook> TSkinStatusBar::PaintPanels(HDC Off, const RECT& R, int TextEnd) const {
    TDataSkinObject& Edges = *SkinData->StatusBarEdges;
    const bool Disabled = (GetWindowLongW(Wnd, GWL_STYLE) & WS_DISABLED) != 0;
    const bool RightToLeft = (GetWindowLongW(Wnd, GWL_EXSTYLE) & WS_EX_RTLREADING) != 0;
    const COLORREF Colour = ColorToRGB(Disabled                        ? clBtnShadow
                                       : Edges.NormalColour2 != clNone ? Edges.NormalColour2
                                                                       : SkinData->ButtonText);
    const bool Simple =
        SendMessageW(Wnd, SB_ISSIMPLE, 0, 0) != 0 || SendMessageW(Wnd, SB_GETPARTS, 0, 0) == 0;
    if (Simple) {
        DrawSkinNineGrid(Off, R, Edges.Bitmap, false, Edges.Tile != 0, false, 3, 1, Edges.Margins);
        std::wstring Text =
            Control ? GetPropText(*Control, L"simpletext") : SkinWindowText(Wnd, false);
        DrawSkinText(Off, {2, 0, std::min<LONG>(R.right - 2, TextEnd), R.bottom}, Text,
                     ForReadingOrder(taLeftJustify, RightToLeft), Colour);
        return {};
    }
    std::vector<TPanelLook> Panels = ReadPanels(Wnd, dynamic_cast<TStatusBar*>(Control), R.right);
    for (const TPanelLook& P : Panels) {
        DrawSkinNineGrid(Off, P.Rect, Edges.Bitmap, false, Edges.Tile != 0, false, 3, P.Frame,
                         Edges.Margins);
        if (!P.OwnerDrawn)
            DrawSkinText(Off,
                         {P.Rect.left + 2, P.Rect.top, std::min<LONG>(P.Rect.right - 2, TextEnd),
                          P.Rect.bottom},
                         P.Text, ForReadingOrder(P.Alignment, RightToLeft), Colour);
    }
    return Panels;
}

void TSkinStatusBar::PaintOwnerDrawnPanels(HDC DC, const RECT& Rect,
                                           const std::vector<TPanelLook>& Panels) const {
    // Owner-drawn panels are painted over the skin by their handler.
    auto* Bar = dynamic_cast<TStatusBar*>(Control);
    if (!Bar || !Bar->OnDrawPanel) return;
    for (const TPanelLook& P : Panels)
        if (P.OwnerDrawn && P.Index < Bar->PanelCount()) {
            RECT Inner = P.Rect;
            InflateRect(&Inner, -1, -1);
            OffsetRect(&Inner, Rect.left, Rect.top);
            Bar->OnDrawPanel(Bar, Bar->Panels(P.Index), DC, Inner);
        }
}

PUBLISHED(TSkinStatusBar) {}
