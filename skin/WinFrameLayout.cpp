#include "WinFrameLayout.h"

#include "WinConvert.h"

#include "Handles.h"

#include <algorithm>

namespace {

int Width(const RECT& R) {
    return R.right - R.left;
}
int Height(const RECT& R) {
    return R.bottom - R.top;
}

// The first visibility code ("Visibility").
bool FirstHolds(int Code, const TDataSkinSysButton& B, int Index, const TFrameState& S) {
    switch (Code) {
    case viSystemMenu:
        return B.Action != acClose || (S.CaptionBits & csSysMenu);
    case viMaximized:
        return S.Show == stMaximized;
    case viNotMaximized:
        return S.Show != stMaximized;
    case viActive:
        return S.Active;
    case viInactive:
        return !S.Active;
    case viMaxBox:
        return (S.CaptionBits & csMaxBox) && (S.CaptionBits & csSysMenu);
    case viNoMaxBox:
        return !(S.CaptionBits & csMaxBox);
    case viMinBox:
        return (S.CaptionBits & csMinBox) && (S.CaptionBits & csSysMenu);
    case viNoMinBox:
        return !(S.CaptionBits & csMinBox);
    case viMdiChild:
        return S.MdiChildMaximized;
    case viOwnDialog:
        return S.Kind == frDialog && !S.SystemDialog;
    default:
        if (Code >= viAlwaysFirst && Code <= viAlwaysLast) return true;
        if (Code >= viAskFirst && Code <= viAskLast)
            return static_cast<size_t>(Index) < S.Answers.size() &&
                   S.Answers[static_cast<size_t>(Index)];
        return false;
    }
}

// The second visibility code ("Visibility1"), which knows the first's outcome.
bool SecondHolds(int Code, bool First, const TFrameState& S) {
    switch (Code) {
    case viSystemMenu:
        return true;
    case viMaximized:
        return S.Show == stMaximized;
    case viNotMaximized:
        return S.Show != stMaximized;
    case viActive:
        return S.Active;
    case viInactive:
        return !S.Active;
    case viMaxBox:
        return (S.CaptionBits & csMaxBox) != 0;
    case viNoMaxBox:
        return !(S.CaptionBits & csMaxBox);
    case viMinBox:
        return (S.CaptionBits & csMinBox) != 0;
    case viNoMinBox:
        return !(S.CaptionBits & csMinBox);
    case viMdiChild:
        return First;
    default:
        return false;
    }
}

RECT Measure(HFONT Font, const std::wstring& Text, UINT Format) {
    RECT R{0, 0, 0, 0};
    TMemoryDC DC(CreateCompatibleDC(nullptr));
    if (!DC) return R;
    TSelectObject Selected(DC, Font);
    SkinDrawText(DC, Text, R, DT_CALCRECT | DT_NOCLIP | Format);
    return R;
}

int ButtonWidth(const TDataSkinSysButton& B) {
    return B.Bitmap.Width() / std::max(B.FrameCount, 1);
}

// The left of the rightmost button placed by the window's right edge (0: none), which a pop-up
// window's caption text stops before.
int RightButtonsEdge(const TSkinData& Skin, const TFrameState& S) {
    int Edge = 0;
    for (size_t I = 0; I < Skin.SysButtons.size(); ++I) {
        const TDataSkinSysButton& B = *Skin.SysButtons[I];
        if (B.Align == baRight && !B.Bitmap.Empty() &&
            CaptionButtonVisible(B, static_cast<int>(I), S))
            Edge = std::max(Edge, S.Width - B.Xcoord);
    }
    return Edge;
}

RECT CaptionTextRect(const TSkinData& Skin, const TFrameState& S, const RECT& Strip,
                     int ButtonsEdge) {
    const TDataSkinTitle& T = *Skin.Title;
    const int TextW = S.CaptionSize.cx + T.TXTBackleft + T.TXTBackRight;
    const int TextH = S.CaptionSize.cy;
    const int StripW = Width(Strip), StripH = Height(Strip);
    int X = 0;
    switch (S.RightToLeft ? 2 : T.TextAlignment) {
    case 0:
        X = T.Margins.left;
        break;
    case 1:
        X = (StripW - TextW) / 2;
        break;
    case 2:
        X = StripW - T.Margins.right - TextW;
        break;
    default:
        break;
    }
    const int Y = (StripH - TextH) / 2 + T.Margins.top / 2;
    RECT Where{Strip.left + X, Strip.top + Y, Strip.left + X + TextW, Strip.top + Y + TextH};
    // A pop-up window's text stops before its caption buttons, any other's at the skin's clip.
    if (S.Popup) {
        if (ButtonsEdge - 5 < Where.right && ButtonsEdge > 5) Where.right = ButtonsEdge - 5;
    } else if (Strip.left + StripW - T.Margins.right < Where.right) {
        Where.right = Strip.left + StripW - T.Margins.right;
    }
    if (S.Kind == frDialog && T.TextAlignment == 0) OffsetRect(&Where, -16, 0);
    return Where;
}

RECT ButtonBounds(const TSkinData& Skin, const TDataSkinSysButton& B, const TFrameState& S,
                  const RECT& Text) {
    const int BW = ButtonWidth(B), BH = B.Bitmap.Height();
    POINT At{B.Xcoord, B.Ycoord};
    switch (B.Align) {
    case baRight:
        At.x = S.Width - B.Xcoord;
        break;
    case baBeforeText:
    case baBeforeTextToo:
        At.x = Text.left - BW - B.Xcoord;
        break;
    case baAfterText:
    case baAfterTextToo:
        At.x = Text.right + B.Xcoord;
        break;
    case baMenuBar: {
        const int Shift = Skin.MenuBar ? Skin.MenuBar->Margins.left : 0;
        At.y = S.Edges.Top + (S.MenuHeight - BH) / 2;
        At.x = S.RightToLeft ? S.Edges.Left + B.Xcoord + Shift
                             : S.Width - B.Xcoord - S.Edges.Right - Shift;
        break;
    }
    default:
        break;
    }
    return {At.x, At.y, At.x + BW, At.y + BH};
}

void PlaceEdges(TFrameLayout& L) {
    const TFrameEdges& E = L.Edges;
    L.LeftEdge = {0, 0, E.Left, L.Height};
    L.RightEdge = {L.Width - E.Right, 0, L.Width, L.Height};
    L.TopEdge = {E.Left, 0, L.Width - E.Right, E.Top};
    L.BottomEdge = {E.Left, L.Height - E.Bottom, L.Width - E.Right, L.Height};
    L.Caption = {0, 0, L.Width, std::min(E.Top, L.Height)};
}

void PlaceCaption(const TSkinData& Skin, const TFrameState& S, TFrameLayout& L) {
    L.Buttons.assign(Skin.SysButtons.size(), {});
    // Without a caption strip nothing of it is drawn or clicked.
    if (Height(L.Caption) <= 0) return;
    L.ButtonsLeftEdge = RightButtonsEdge(Skin, S);
    const RECT Strip{S.Edges.Left, 0, S.Width - S.Edges.Right, L.Caption.bottom};
    L.Text = CaptionTextRect(Skin, S, Strip, L.ButtonsLeftEdge);
    for (size_t I = 0; I < Skin.SysButtons.size(); ++I) {
        const TDataSkinSysButton& B = *Skin.SysButtons[I];
        TButtonPlace& P = L.Buttons[I];
        P.Visible = CaptionButtonVisible(B, static_cast<int>(I), S);
        if (P.Visible && !B.Bitmap.Empty()) P.Bounds = ButtonBounds(Skin, B, S, L.Text);
    }
}

} // namespace

bool TFrameState::operator==(const TFrameState& O) const {
    return Width == O.Width && Height == O.Height && Edges == O.Edges &&
           MenuHeight == O.MenuHeight && CaptionSize.cx == O.CaptionSize.cx &&
           CaptionSize.cy == O.CaptionSize.cy && Active == O.Active && Popup == O.Popup &&
           RightToLeft == O.RightToLeft && SystemDialog == O.SystemDialog && Kind == O.Kind &&
           Show == O.Show && CaptionBits == O.CaptionBits &&
           MdiChildMaximized == O.MdiChildMaximized && Answers == O.Answers &&
           Caption == O.Caption && MenuItems == O.MenuItems;
}

TFrameEdges FrameEdgesOf(const TSkinData& Skin, TFrameKind Kind) {
    if (Kind == frNone) return {};
    auto& B = Skin.Borders;
    auto Frames = [](const TDataSkinBorder& E) { return std::max(E.FrameCount, 1); };
    return {B[sbsLeft]->Bitmap.Width() / Frames(*B[sbsLeft]),
            B[sbsTop]->Bitmap.Height() / Frames(*B[sbsTop]),
            B[sbsRight]->Bitmap.Width() / Frames(*B[sbsRight]),
            B[sbsBottom]->Bitmap.Height() / Frames(*B[sbsBottom])};
}

bool AsksTheWindow(const TDataSkinSysButton& B) {
    return B.Visibility >= viAskFirst && B.Visibility <= viAskLast;
}

bool CaptionButtonVisible(const TDataSkinSysButton& B, int Index, const TFrameState& S) {
    bool First = FirstHolds(B.Visibility, B, Index, S);
    bool Second;
    if (B.Visibility1 == viOwnDialog) {
        First = S.Kind == frDialog && !S.SystemDialog;
        Second = true;
    } else if (B.Visibility1 >= viAlwaysFirst && B.Visibility1 <= viAskLast) {
        First = true;
        Second = true;
    } else {
        Second = SecondHolds(B.Visibility1, First, S);
    }
    if (!First || !Second) return false;
    switch (B.Action) {
    case acMaximize:
        return (S.CaptionBits & csMaxBox) != 0;
    case acMinimize:
        return (S.CaptionBits & csMinBox) != 0;
    case acSystemMenu:
    case acIcon:
    case acIconMenu:
        return S.Kind != frDialog;
    default:
        return true;
    }
}

SIZE MeasureCaption(HFONT Font, const std::wstring& Caption) {
    const RECT R = Measure(Font, Caption, 0);
    return {Width(R), Height(R)};
}

int MeasureStripCaption(HFONT Font, const std::wstring& Caption) {
    return Width(Measure(Font, Caption, DT_EXPANDTABS | DT_SINGLELINE));
}

TFrameLayout LayOutFrame(const TSkinData& Skin, const TFrameState& S) {
    TFrameLayout L;
    L.Width = S.Width;
    L.Height = S.Height;
    L.Edges = S.Edges;
    PlaceEdges(L);
    PlaceCaption(Skin, S, L);
    if (S.MenuHeight > 0) {
        L.MenuStrip = {S.Edges.Left, S.Edges.Top, S.Width - S.Edges.Right,
                       S.Edges.Top + S.MenuHeight};
        L.MenuButtons = LayOutMenuStrip(Skin, L.MenuStrip, S.RightToLeft, S.MenuItems);
    }
    return L;
}

std::vector<RECT> LayOutMenuStrip(const TSkinData& Skin, const RECT& Strip, bool RightToLeft,
                                  const std::vector<TStripItem>& Items) {
    const int W = Width(Strip), H = Height(Strip);
    int Start = 6;
    if (const TDataSkinObject* Bar = Skin.MenuBar.get(); Bar && !Bar->Bitmap.Empty()) {
        Start = RightToLeft ? Bar->Margins.right + 8 : Bar->Margins.left + 4;
        if (W < Start) Start = 12;
    }
    std::vector<RECT> Cells(Items.size());
    int X = RightToLeft ? W - Start : Start;
    for (size_t I = 0; I < Items.size(); ++I) {
        if (!Items[I].Visible) continue;
        const int BW = Items[I].TextWidth > 0 ? Items[I].TextWidth + 10 : 0;
        RECT& Cell = Cells[I];
        Cell = {RightToLeft ? X - BW : X, 0, RightToLeft ? X : X + BW, H - 1};
        OffsetRect(&Cell, Strip.left, Strip.top);
        X += RightToLeft ? -BW : BW;
    }
    return Cells;
}
