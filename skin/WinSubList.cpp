#include "WinSubList.h"

#include "ImgUtil.h"
#include "WinSkinData.h"

#include "StdCtrls.h"

#include <commctrl.h>

#include <algorithm>

namespace {

// The skin's header bar over R.
void PaintBar(HDC Off, const RECT& R, TDataSkinObject& Bar) {
    DrawSkinNineGrid(Off, R, Bar.Bitmap, false, Bar.Tile != 0, false, Bar.FrameCount, 1,
                     Bar.Margins);
}

// A column's image and text over its bar, as the header control gives them.
void PaintColumnLabel(HDC Off, HWND Header, int Index, const RECT& R, HIMAGELIST Images) {
    wchar_t Text[201]{};
    HDITEMW Item{};
    Item.mask = HDI_TEXT | HDI_FORMAT | HDI_IMAGE;
    Item.pszText = Text;
    Item.cchTextMax = 200;
    if (!SendMessageW(Header, HDM_GETITEMW, static_cast<WPARAM>(Index),
                      reinterpret_cast<LPARAM>(&Item)))
        return;
    // A column without text shows no image either.
    if (!Text[0]) return;
    RECT Inside = R;
    InflateRect(&Inside, -6, 0);
    if (Images && (Item.fmt & (HDF_IMAGE | HDF_OWNERDRAW))) {
        int IW = 0, IH = 0;
        ImageList_GetIconSize(Images, &IW, &IH);
        ImageList_Draw(Images, Item.iImage, Off, Inside.left, R.top + (R.bottom - R.top - IH) / 2,
                       ILD_TRANSPARENT);
        Inside.left += IW + 4;
    }
    const UINT Align = Item.fmt & HDF_RIGHT    ? DT_RIGHT
                       : Item.fmt & HDF_CENTER ? DT_CENTER
                                               : DT_LEFT;
    DrawTextW(Off, Text, -1, &Inside,
              Align | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
}

} // namespace

bool TSkinHeader::BeforeMessage(TMessage& M) {
    if (HasPicture(SkinData->Headerbar.get()) && Wnd) {
        if (M.Msg == WM_ERASEBKGND) {
            M.Result = 1;
            return false;
        }
        if (M.Msg == WM_PAINT) {
            PaintWhole(M);
            return false;
        }
    }
    return TSkinControl::BeforeMessage(M);
}

void TSkinHeader::Paint(HDC DC, const RECT& Rect) {
    if (!HasPicture(SkinData->Headerbar.get()) || !Wnd) return;
    RECT Client;
    GetClientRect(Wnd, &Client);
    const int W = Client.right, H = Client.bottom;
    if (W <= 0 || H <= 0) return;
    TBitmap Picture(W, H, pf24bit);
    const HDC Off = Picture.Canvas()->Handle();
    FillColor(Off, Client, SkinData->ButtonFace);
    HFONT Font = reinterpret_cast<HFONT>(SendMessageW(Wnd, WM_GETFONT, 0, 0));
    TSelectObject SelectFont(Off, Font ? Font : GetStockObject(DEFAULT_GUI_FONT));
    const int OldMode = SetBkMode(Off, TRANSPARENT);
    SetTextColor(Off, ColorToRGB(clBtnText));
    const int End = PaintColumns(Off);
    // Right of the last column the bar goes on.
    if (End < W) PaintBar(Off, {End, 0, W, H}, *SkinData->Headerbar);
    SetBkMode(Off, OldMode);
    BitBlt(DC, Rect.left, Rect.top, W, H, Off, 0, 0, SRCCOPY);
}

int TSkinHeader::PaintColumns(HDC Off) {
    const auto Images = reinterpret_cast<HIMAGELIST>(SendMessageW(Wnd, HDM_GETIMAGELIST, 0, 0));
    const int Count = static_cast<int>(SendMessageW(Wnd, HDM_GETITEMCOUNT, 0, 0));
    TDataSkinObject& Bar = *SkinData->Headerbar;
    int End = 0;
    for (int I = 0; I < Count; ++I) {
        RECT R;
        if (!SendMessageW(Wnd, HDM_GETITEMRECT, static_cast<WPARAM>(I),
                          reinterpret_cast<LPARAM>(&R)))
            continue;
        End = std::max<int>(End, R.right);
        PaintBar(Off, R, Bar);
        PaintColumnLabel(Off, Wnd, I, R, Images);
    }
    return End;
}

void TSkinListView::InitScrollbar(TWinControl* AControl, TSkinData* Data, TControlSkins* ASkins) {
    TSkinScrollbar::InitScrollbar(AControl, Data, ASkins);
    if (!Attached) return;
    const HWND Header = reinterpret_cast<HWND>(SendMessageW(Wnd, LVM_GETHEADER, 0, 0));
    if (!Header || Skins->Find(Header)) return;
    auto* Skin = new TSkinHeader(this);
    Skin->InitWindow(Header, Data, ASkins);
}

PUBLISHED(TSkinHeader) {}
PUBLISHED(TSkinListView) {}
