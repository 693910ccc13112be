#include "WinFramePaint.h"

#include "ImgUtil.h"
#include "WinConvert.h"

#include <algorithm>

namespace {

int Width(const RECT& R) {
    return R.right - R.left;
}
int Height(const RECT& R) {
    return R.bottom - R.top;
}

void MakeEdgePicture(TBitmap& Picture, const TSkinData& Skin, TSkinBorderSide Side,
                     const RECT& Place, bool Active) {
    Picture.SetPixelFormat(pf24bit);
    Picture.SetSize(std::max(Width(Place), 0), std::max(Height(Place), 0));
    if (Picture.Empty()) return;
    PaintEdge(Picture.Canvas()->Handle(), Skin, Side, {0, 0, Width(Place), Height(Place)}, Active);
    // The top edge is copied from only when the caption strip is composed anew, so it keeps
    // no DC of its own; the others are copied at every paint and keep theirs.
    if (Side == sbsTop) Picture.ReleaseCanvas();
}

void Copy(HDC DC, int X, int Y, int W, int H, TBitmap& From, int FromX, int FromY) {
    if (!From.Empty()) BitBlt(DC, X, Y, W, H, TBitmapSource(From), FromX, FromY, SRCCOPY);
}

void PaintCaptionText(HDC DC, const TSkinData& Skin, const TFrameLayout& Layout,
                      const TFrameState& State, HFONT Font) {
    TDataSkinTitle& T = *Skin.Title;
    TSelectObject Selected(DC, Font);
    const int OldMode = SetBkMode(DC, TRANSPARENT);
    SetTextColor(DC, ColorToRGB(State.Active ? Skin.TitleTextActive : Skin.TitleTextNoActive) &
                         0xFFFFFF);
    const RECT& Where = Layout.Text;
    if (!T.Bitmap.Empty()) {
        TCanvas Canvas;
        TCanvasDC Bound(Canvas, DC);
        DrawSkinStrip(Canvas, {Where.left, Layout.Caption.top, Where.right, Layout.Caption.bottom},
                      T.Bitmap, true, true, 2, State.Active ? 1 : 2,
                      {T.TXTBackleft, 0, T.TXTBackRight, 0});
    }
    RECT Inner = Where;
    Inner.left += T.TXTBackleft;
    Inner.right -= T.TXTBackRight;
    SkinDrawText(DC, State.Caption, Inner,
                 DT_SINGLELINE | DT_END_ELLIPSIS | (State.RightToLeft ? DT_RIGHT : 0));
    SetBkMode(DC, OldMode);
}

} // namespace

void PaintEdge(HDC DC, const TSkinData& Skin, TSkinBorderSide Side, const RECT& Target,
               bool Active) {
    if (Width(Target) <= 0 || Height(Target) <= 0) return;
    TDataSkinBorder& B = *Skin.Borders[Side];
    if (B.Bitmap.Empty()) return;
    const bool Vertical = Side == sbsTop || Side == sbsBottom;
    const int Frame = Active || B.FrameCount <= 1 ? 1 : 2;
    DrawSkinImageDirect(DC, Target, B.Bitmap, B.Margins, Vertical, B.Tile != 1, B.FrameCount,
                        Frame);
}

void PaintEdgePictures(TEdgePictures& Edges, const TSkinData& Skin, const TFrameLayout& L,
                       bool Active) {
    MakeEdgePicture(Edges.Left, Skin, sbsLeft, L.LeftEdge, Active);
    MakeEdgePicture(Edges.Right, Skin, sbsRight, L.RightEdge, Active);
    MakeEdgePicture(Edges.Bottom, Skin, sbsBottom, L.BottomEdge, Active);
    MakeEdgePicture(Edges.Top, Skin, sbsTop, L.TopEdge, Active);
}

void PaintCaptionGround(HDC DC, const TSkinData& Skin, const TFrameLayout& L,
                        const TFrameState& State, TEdgePictures& E, HFONT CaptionFont) {
    const int Top = Height(L.Caption);
    Copy(DC, 0, 0, L.Edges.Left, Top, E.Left, 0, 0);
    Copy(DC, L.Width - L.Edges.Right, 0, L.Edges.Right, Top, E.Right, 0, 0);
    Copy(DC, L.Edges.Left, 0, E.Top.Width(), Top, E.Top, 0, 0);
    PaintCaptionText(DC, Skin, L, State, CaptionFont);
}

void PaintEdgesBelowCaption(HDC DC, const TFrameLayout& L, TEdgePictures& E) {
    const int Top = Height(L.Caption), H = L.Height;
    Copy(DC, 0, Top, L.Edges.Left, H - Top, E.Left, 0, Top);
    Copy(DC, L.Width - L.Edges.Right, Top, L.Edges.Right, H - Top, E.Right, 0, Top);
    Copy(DC, L.Edges.Left, H - L.Edges.Bottom, E.Bottom.Width(), L.Edges.Bottom, E.Bottom, 0, 0);
}
