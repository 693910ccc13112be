#include "WinSubTab.h"

#include "WinConvert.h"
#include "WinSubStatus.h"

#include "ComCtrls.h"
#include "ImgUtil.h"

#include <commctrl.h>

namespace {

int TextWidthIn(HDC DC, const std::wstring& Text) {
    SIZE Size{};
    GetTextExtentPoint32W(DC, Text.c_str(), static_cast<int>(Text.size()), &Size);
    return Size.cx;
}

TColor TextColour(const TDataSkinObject& Tabs, bool Focused, TColor Fallback) {
    const TColor C = Focused ? Tabs.MouseOverColour2 : Tabs.NormalColour2;
    return C != clNone ? C : Fallback;
}

void DrawTabFrame(HDC DC, const RECT& Box, TBitmap& Image, const TDataSkinObject& Tabs, int Frame) {
    DrawSkinNineGrid(DC, Box, Image, false, Tabs.Tile != 0, Tabs.Trans != 0, Tabs.FrameCount, Frame,
                     Tabs.Margins);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Tab and page controls

void TSkinTab::InitWindow(HWND AWnd, TSkinData* Data, TControlSkins* ASkins) {
    if (Attached) return;
    TSkinControl::InitWindow(AWnd, Data, ASkins);
    PrepareImages();
    FindArrows();
}

void TSkinTab::Refresh() {
    PrepareImages();
    TSkinControl::Refresh();
}

void TSkinTab::Notification(TComponent* AComponent, TOperation Operation) {
    TSkinControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == Arrows) Arrows = nullptr;
}

void TSkinTab::PrepareImages() {
    const DWORD Style = GetWindowLongW(Wnd, GWL_STYLE);
    if (Style & TCS_VERTICAL)
        TabPosition = Style & TCS_RIGHT ? 3 : 2;
    else
        TabPosition = Style & TCS_BOTTOM ? 1 : 0;
    TabImage.SetSize(0, 0);
    BorderImage.SetSize(0, 0);
    if (!HasPicture(SkinData->Tabs.get()) || SkinData->Tabs->ExtraBitmap.Empty()) return;
    // Copies, turned and mirrored without touching the skin's own.
    TabImage.Assign(SkinData->Tabs->Bitmap);
    TabImage.SetPixelFormat(pf24bit);
    BorderImage.Assign(SkinData->Tabs->ExtraBitmap);
    BorderImage.SetPixelFormat(pf24bit);
    switch (TabPosition) {
    case 1:
        FlipBitmap(TabImage);
        FlipBitmap(BorderImage);
        break;
    case 2:
        RotateBitmapLeft(BorderImage);
        break;
    case 3:
        RotateBitmapRight(BorderImage);
        break;
    default:
        break;
    }
}

// The system makes its arrows only when the tabs outgrow their row: looked for at attach and
// whenever a child window is made.
void TSkinTab::FindArrows() {
    if (FArrowsWnd && IsWindow(FArrowsWnd)) return;
    FArrowsWnd = nullptr;
    for (HWND C = GetWindow(Wnd, GW_CHILD); C; C = GetWindow(C, GW_HWNDNEXT)) {
        if (!SameText(WindowClassName(C), UPDOWN_CLASSW)) continue;
        FArrowsWnd = C;
        if (!Arrows && Skins && !Skins->Find(C)) {
            Arrows = new TSkinUpDown(this);
            Arrows->InitWindow(C, SkinData, Skins);
        }
        return;
    }
}

void TSkinTab::AfterMessage(TMessage& M) {
    TSkinControl::AfterMessage(M);
    if (M.Msg == WM_PARENTNOTIFY && LOWORD(M.WParam) == WM_CREATE) FindArrows();
}

bool TSkinTab::BeforeMessage(TMessage& M) {
    // The prepared picture is there only when the skin has both tab pictures.
    if (!TabImage.Empty()) {
        if (M.Msg == WM_PAINT) {
            PaintOverOwn(M, true);
            return false;
        }
        // The picture covers the control whole, its background included.
        if (M.Msg == WM_ERASEBKGND) {
            M.Result = 1;
            return false;
        }
    }
    return TSkinControl::BeforeMessage(M);
}

void TSkinTab::Paint(HDC DC, const RECT& W) {
    if (TabImage.Empty()) return;
    RECT Page, Strip;
    LayOut(W, Page, Strip);
    const TWinControl* Parent = FindControl(GetParent(Wnd));
    const TColor Ground = Parent ? Parent->Color() : SkinData->ButtonFace;
    if (Strip.right > Strip.left && Strip.bottom > Strip.top)
        PaintTabStrip(DC, Page, Strip, Ground);
    if (!BorderImage.Empty()) PaintPageBorder(DC, Page, Ground);
}

void TSkinTab::LayOut(const RECT& W, RECT& P, RECT& S) const {
    // The page: the display area with its frame, one pixel nearer the tabs.
    P = W;
    SendMessageW(Wnd, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&P));
    InflateRect(&P, 4, 4);
    S = W; // the strip of tabs
    switch (TabPosition) {
    case 1:
        P.bottom -= 1;
        S.top = P.bottom;
        break;
    case 2:
        P.left += 1;
        S.right = P.left;
        break;
    case 3:
        P.right -= 1;
        S.left = P.right;
        break;
    default:
        P.top += 1;
        S.bottom = P.top;
        break;
    }
}

void TSkinTab::PaintTabStrip(HDC DC, const RECT& P, const RECT& S, TColor Ground) {
    const int SW = S.right - S.left, SH = S.bottom - S.top;
    // Tabs at a side are drawn as if they stood on top, then turned into place.
    const bool Side = TabPosition >= 2;
    const int LW = Side ? SH : SW, LH = Side ? SW : SH;
    TBitmap Strip(LW, LH, pf24bit);
    const HDC Off = Strip.Canvas()->Handle();
    FillColor(Off, {0, 0, LW, LH}, Ground);
    const auto Font = reinterpret_cast<HFONT>(SendMessageW(Wnd, WM_GETFONT, 0, 0));
    TSelectObject UseFont(Off, Font ? Font : GetStockObject(DEFAULT_GUI_FONT));
    const int Count = static_cast<int>(SendMessageW(Wnd, TCM_GETITEMCOUNT, 0, 0));
    const int Focus = static_cast<int>(SendMessageW(Wnd, TCM_GETCURFOCUS, 0, 0));
    Enabled = !(GetWindowLongW(Wnd, GWL_STYLE) & WS_DISABLED);
    for (int I = 0; I < Count; ++I) {
        RECT R{};
        if (SendMessageW(Wnd, TCM_GETITEMRECT, static_cast<WPARAM>(I),
                         reinterpret_cast<LPARAM>(&R)))
            PaintTab(Off, I, TabInStrip(R, P, S, LW, LH), I == Focus);
    }
    if (TabPosition == 2) RotateBitmapLeft(Strip);
    if (TabPosition == 3) RotateBitmapRight(Strip);
    const int Saved = SaveDC(DC);
    RECT Arrow{};
    if (FArrowsWnd && IsWindowVisible(FArrowsWnd) && GetWindowRect(FArrowsWnd, &Arrow)) {
        MapWindowPoints(nullptr, Wnd, reinterpret_cast<POINT*>(&Arrow), 2);
        ExcludeClipRect(DC, Arrow.left, Arrow.top, Arrow.right, Arrow.bottom);
    }
    // Turning made the strip a new picture: its canvas is asked again.
    BitBlt(DC, S.left, S.top, SW, SH, Strip.Canvas()->Handle(), 0, 0, SRCCOPY);
    RestoreDC(DC, Saved);
}

RECT TSkinTab::TabInStrip(const RECT& R, const RECT& P, const RECT& S, int LW, int LH) const {
    RECT Box = R;
    switch (TabPosition) {
    case 1:
        OffsetRect(&Box, 0, -(P.bottom + 1));
        break;
    case 2: // turned back clockwise
        Box = {LW - (R.bottom - S.top), R.left - S.left, LW - (R.top - S.top), R.right - S.left};
        break;
    case 3: // turned back counter-clockwise
        Box = {R.top - S.top, LH - (R.right - S.left), R.bottom - S.top, LH - (R.left - S.left)};
        break;
    default:
        OffsetRect(&Box, 0, 1);
        break;
    }
    return Box;
}

void TSkinTab::PaintPageBorder(HDC DC, const RECT& P, TColor Ground) {
    // Only the ring comes from the picture; inside it lies the parent's ground, as beside the
    // tabs (a page covers it).
    const RECT Margins{4, 5, 4, 4};
    const RECT Inside{P.left + Margins.left, P.top + Margins.top, P.right - Margins.right,
                      P.bottom - Margins.bottom};
    FillColor(DC, Inside, Ground);
    const int Saved = SaveDC(DC);
    ExcludeClipRect(DC, Inside.left, Inside.top, Inside.right, Inside.bottom);
    DrawSkinNineGrid(DC, P, BorderImage, false, false, false, 1, 1, Margins);
    RestoreDC(DC, Saved);
}

void TSkinTab::PaintTab(HDC Strip, int Index, const RECT& Box, bool Focused) {
    if (Box.right <= Box.left || Box.bottom <= Box.top) return;
    const TDataSkinBorder& Tabs = *SkinData->Tabs;
    DrawTabFrame(Strip, Box, TabImage, Tabs, Focused ? 2 : 1);
    wchar_t Buffer[81]{};
    TCITEMW Item{};
    Item.mask = TCIF_TEXT | TCIF_IMAGE;
    Item.pszText = Buffer;
    Item.cchTextMax = 80;
    SendMessageW(Wnd, TCM_GETITEMW, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&Item));
    const std::wstring Text = Buffer;

    // Image and text side by side, centred together.
    const auto Images = reinterpret_cast<HIMAGELIST>(SendMessageW(Wnd, TCM_GETIMAGELIST, 0, 0));
    int IW = 0, IH = 0;
    if (Images && Item.iImage >= 0) ImageList_GetIconSize(Images, &IW, &IH);
    const int Gap = IW > 0 && !Text.empty() ? 3 : 0;
    const int Whole = IW + Gap + TextWidthIn(Strip, Text);
    const int Left = Box.left + (Box.right - Box.left - Whole) / 2;
    if (IW > 0)
        ImageList_Draw(Images, Item.iImage, Strip, Left, Box.top + (Box.bottom - Box.top - IH) / 2,
                       ILD_TRANSPARENT);
    if (Text.empty()) return;
    const TColor Colour = TextColour(Tabs, Focused, SkinData->ButtonText);
    DrawSkinText(Strip, {Left + IW + Gap, Box.top, Box.right, Box.bottom}, Text, taLeftJustify,
                 ColorToRGB(Enabled ? Colour : clBtnShadow));
}

// ---------------------------------------------------------------------------------------------
// Tab sets

void TSkinTab31::InitControl(TControlSkins* ASkins, TSkinData* Data, bool ARecolour) {
    if (Attached) return;
    Control = dynamic_cast<TWinControl*>(Owner());
    if (!Control) return;
    Recolour = ARecolour;
    TSkinControl::InitWindow(Control->Handle(), Data, ASkins);
    PrepareImage();
    if (Control->ComponentCount() > 0)
        if (auto* S = dynamic_cast<TTabScroller*>(Control->Components(0))) {
            Scroller = new TSkinUpDown(this);
            Scroller->Horizontal = true;
            Scroller->InitWindow(S->Handle(), Data, ASkins);
        }
}

void TSkinTab31::Notification(TComponent* AComponent, TOperation Operation) {
    TSkinControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == Scroller) Scroller = nullptr;
}

void TSkinTab31::PrepareImage() {
    TabImage.SetSize(0, 0);
    if (!HasPicture(SkinData->Tabs.get())) return;
    TabImage.Assign(SkinData->Tabs->Bitmap);
    TabImage.SetPixelFormat(pf24bit);
    FlipBitmap(TabImage);
}

void TSkinTab31::Refresh() {
    PrepareImage();
    TSkinControl::Refresh();
}

bool TSkinTab31::BeforeMessage(TMessage& M) {
    switch (M.Msg) {
    case WM_PAINT:
        if (TabImage.Empty()) break;
        PaintWhole(M);
        return false;
    case WM_ERASEBKGND:
        M.Result = 1;
        return false;
    default:
        break;
    }
    return TSkinControl::BeforeMessage(M);
}

void TSkinTab31::Paint(HDC DC, const RECT& Rect) {
    auto* Set = dynamic_cast<TTabSet*>(Control);
    if (!Set || TabImage.Empty()) return;
    const TDataSkinBorder& Tabs = *SkinData->Tabs;
    const int W = Rect.right - Rect.left, H = Rect.bottom - Rect.top;
    if (W <= 0 || H <= 0) return;
    TBitmap Picture(W, H, pf24bit);
    const HDC Off = Picture.Canvas()->Handle();
    FillColor(Off, {0, 0, W, H}, SkinData->ButtonFace);
    TSelectObject UseFont(Off, Set->Font()->Handle());
    // The tabs where the control itself lays them out (and takes clicks on them).
    for (const auto& [Index, Box] : Set->VisibleTabs()) {
        const bool Selected = Index == Set->TabIndex();
        DrawTabFrame(Off, Box, TabImage, Tabs, Selected ? 2 : 1);
        const TColor Colour = TextColour(Tabs, Selected, SkinData->ButtonText);
        DrawSkinText(Off, Box, Set->Tabs(Index), taCenter,
                     ColorToRGB(Set->Enabled() ? Colour : clBtnShadow));
    }
    BitBlt(DC, Rect.left, Rect.top, W, H, Off, 0, 0, SRCCOPY);
}

PUBLISHED(TSkinTab) {}
PUBLISHED(TSkinTab31) {}
