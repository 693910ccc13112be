#include "WinSkinMenu.h"

#include "ImgUtil.h"
#include "WinConvert.h"
#include "WinSkinHost.h"

#include "StdCtrls.h"

#include <algorithm>
#include <map>

namespace {

int Width(const RECT& R) {
    return R.right - R.left;
}
int Height(const RECT& R) {
    return R.bottom - R.top;
}

// The system's check-mark picture (a monochrome bitmap of the system's, loaded by number).
constexpr WORD CheckMarkBitmap = 32760;
// Menu identifiers from here on belong to the system (the system menu, MDI window lists).
constexpr UINT FirstSystemCommand = 4096;

// The state of the one drop-down of a menu bar that can be open at a time, and the popup menu
// window that waits to learn which menu it shows.
struct TTracking {
    THookHandle Hook;
    TWinSkinMenu* Menu = nullptr;
    IMenuStripFrame* Frame = nullptr;
    int OpenIndex = -1;
    HMENU CurrentPopup = nullptr;
    // The item the menu reported selected last: the menu it is in and its sub-menu.
    TMenuItem* LastSelected = nullptr;
    bool Selected = false;
    HMENU SelectedIn = nullptr;
    HMENU SelectedPopup = nullptr;
    POINT LastMouse{};
    bool First = false;
    bool Moving = false; // moving to another drop-down by the keyboard
    // The button to open once the drop-down has closed (chosen while it was open).
    int Pending = -1;
    TWinSkinPopMenu* Waiting = nullptr;

    void Reset() {
        Menu = nullptr;
        Frame = nullptr;
        OpenIndex = -1;
        CurrentPopup = nullptr;
        LastSelected = nullptr;
        Selected = false;
        SelectedIn = SelectedPopup = nullptr;
        First = Moving = false;
        Pending = -1;
    }
};

TTracking& Tracking() {
    static TTracking T;
    return T;
}

wchar_t Upper(wchar_t C) {
    return static_cast<wchar_t>(towupper(C));
}

RECT Measure(HDC DC, const std::wstring& Text) {
    RECT R{0, 0, 0, 0};
    SkinDrawText(DC, Text, R, DT_CALCRECT | DT_NOCLIP | DT_EXPANDTABS | DT_SINGLELINE);
    return R;
}

// The text of a native item found by its identifier (in sub-menus too); empty when none.
std::wstring NativeText(HMENU Menu, UINT Id) {
    if (!Menu) return {};
    wchar_t Text[81]{};
    const int N = GetMenuStringW(Menu, Id, Text, 80, MF_BYCOMMAND);
    return N > 0 ? std::wstring(Text, static_cast<size_t>(N)) : std::wstring();
}

TDataSkinObject* MenuItemObject(TSkinData& Skin) {
    TDataSkinObject* O = Skin.MenuItem.get();
    return O && !O->Bitmap.Empty() ? O : nullptr;
}

TWinSkinPopMenu* PopMenuOf(HMENU Menu) {
    ISkinHost* Host = SkinHost();
    return Host ? Host->PopMenuOf(Menu) : nullptr;
}

// A popup menu window that waits for its menu takes the menu of the item being drawn, unless
// another window shows that menu already (its parent drop-down redrawing an item).
void LearnMenuHandle(HMENU Menu) {
    TTracking& T = Tracking();
    if (!T.Waiting || !Menu || T.Waiting->MenuHandle) return;
    if (PopMenuOf(Menu)) return;
    T.Waiting->MenuHandle = Menu;
    T.Waiting = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Item drawing

// What an item shows, from a menu item of ours or from a native item.
struct TItemLook {
    std::wstring Caption;
    std::wstring ShortCut;
    bool Enabled = true;
    bool Checked = false;
    bool Default = false;
    int ImageIndex = -1;
    TImageList* Images = nullptr;
    // A separator of one of our menus: drawn from the skin's item picture.
    bool SkinSeparator = false;
    bool Line() const { return Caption == L"-"; }
};

TItemLook LookOf(TMenuItem& Item) {
    TItemLook L;
    L.Caption = GetPropText(Item, L"Caption");
    L.ShortCut = ShortCutToText(Item.ShortCut());
    L.Enabled = Item.Enabled();
    L.Checked = Item.Checked();
    L.Default = Item.Default();
    L.ImageIndex = Item.ImageIndex();
    if (TMenu* M = Item.GetParentMenu()) L.Images = M->Images();
    L.SkinSeparator = L.Line();
    return L;
}

// A native item: its text up to a tab is the caption, the rest its shortcut; no text is a line.
TItemLook NativeLook(HMENU Menu, UINT Id) {
    TItemLook L;
    const std::wstring Text = NativeText(Menu, Id);
    const size_t Tab = Text.find(L'\t');
    L.Caption = Text.substr(0, Tab);
    if (Tab != std::wstring::npos) L.ShortCut = Text.substr(Tab + 1);
    if (L.Caption.empty()) L.Caption = L"-";
    const UINT State = Menu ? GetMenuState(Menu, Id, MF_BYCOMMAND) : 0;
    if (State != static_cast<UINT>(-1)) {
        L.Enabled = !(State & (MFS_GRAYED | MFS_DISABLED));
        L.Checked = (State & MFS_CHECKED) != 0;
    }
    return L;
}

TColor DisabledColour(TSkinData& Skin) {
    return Skin.ButtonShadow == Skin.MenuText ? clBtnShadow : Skin.ButtonShadow;
}

HBITMAP CheckMark() {
    static TBitmapHandle Mark(LoadBitmapW(nullptr, MAKEINTRESOURCEW(CheckMarkBitmap)));
    return Mark;
}

// The system check mark in a colour, through the key colour, centred in R and one pixel down
// and right.
void DrawCheckMark(HDC DC, const RECT& R, TColor Colour) {
    BITMAP Info{};
    const HBITMAP Mark = CheckMark();
    if (!Mark || !GetObjectW(Mark, sizeof(Info), &Info)) return;
    TBitmap Tinted(Info.bmWidth, Info.bmHeight, pf24bit);
    HDC T = Tinted.Canvas()->Handle();
    {
        TMemoryDC MarkDC(CreateCompatibleDC(T));
        TSelectObject Select(MarkDC, Mark);
        SetTextColor(T, ColorToRGB(Colour) & 0xFFFFFF);
        SetBkColor(T, ColorToRGB(SkinKeyColour) & 0xFFFFFF);
        BitBlt(T, 0, 0, Info.bmWidth, Info.bmHeight, MarkDC, 0, 0, SRCCOPY);
    }
    const int X = R.left + (Width(R) - Info.bmWidth) / 2 + 1;
    const int Y = R.top + (Height(R) - Info.bmHeight) / 2 + 1;
    DrawTransparent(DC, {X, Y, X + Info.bmWidth, Y + Info.bmHeight}, Tinted, SkinKeyColour);
}

// The ground of a checked glyph: face and highlight pixels alternating.
void DrawDither(HDC DC, const RECT& R, TSkinData& Skin) {
    static const WORD Rows[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    TBitmapHandle Pattern(CreateBitmap(8, 8, 1, 1, Rows));
    TBrushHandle Brush(CreatePatternBrush(Pattern));
    if (!Brush) return;
    const COLORREF OldText = SetTextColor(DC, ColorToRGB(Skin.ButtonFace) & 0xFFFFFF);
    const COLORREF OldBk = SetBkColor(DC, ColorToRGB(Skin.ButtonHilight) & 0xFFFFFF);
    FillRect(DC, &R, Brush);
    SetTextColor(DC, OldText);
    SetBkColor(DC, OldBk);
}

HFONT BoldMenuFont() {
    static TFont Bold;
    static const bool Ready = [] {
        Bold.Assign(*SystemMenuFont());
        Bold.SetStyle(Bold.Style() | TFontStyles{fsBold});
        return true;
    }();
    (void)Ready;
    return Bold.Handle();
}

RECT Mirror(const RECT& R, int W) {
    return {W - R.right, R.top, W - R.left, R.bottom};
}

// The item's glyph, caption and shortcut over a ground already drawn (DC's origin at the
// item's left-top corner).
void DrawContent(HDC DC, int W, int H, const TItemLook& Look, bool Selected, bool RightToLeft,
                 TSkinData& Skin) {
    if (Look.Line()) {
        RECT Edge{0, 4, W, H};
        DrawEdge(DC, &Edge, EDGE_ETCHED, BF_TOP);
        return;
    }
    TDataSkinObject* Item = MenuItemObject(Skin);
    int GlyphW = Look.Images ? Look.Images->Width() : 16;
    if (Look.Checked) GlyphW = std::max(GlyphW, 16);
    const int GlyphX = 1 + (Item ? static_cast<int>(Item->Margins.left) : 0);
    RECT Glyph{GlyphX, 1, GlyphX + GlyphW, 1 + GlyphW};
    const RECT Shown = RightToLeft ? Mirror(Glyph, W) : Glyph;
    TImageList* Images = Look.Images;
    if (Images && Look.ImageIndex >= 0 && Look.ImageIndex < Images->Count()) {
        if (Look.Checked) {
            DrawDither(DC, Shown, Skin);
            RECT Edge = Shown;
            DrawEdge(DC, &Edge, BDR_SUNKENOUTER, BF_RECT);
        }
        TBitmap Image;
        Images->GetBitmap(Look.ImageIndex, Image);
        const RECT Part{0, 0, Image.Width(), Image.Height()};
        const int X = Shown.left + (GlyphW - Image.Width()) / 2;
        const int Y = Shown.top + (GlyphW - Image.Height()) / 2;
        if (Look.Enabled)
            DrawTransparentPart(DC, X, Y, Image, Part, Images->MaskColor());
        else
            DrawDisabledPart(DC, X, Y, Image, Part, Images->MaskColor());
    } else if (Look.Checked) {
        DrawCheckMark(DC, Shown, Skin.ButtonText);
    }

    TSelectObject SelectFont(DC, Look.Default ? BoldMenuFont() : SystemMenuFont()->Handle());
    const int OldMode = SetBkMode(DC, TRANSPARENT);
    const TColor Colour = !Look.Enabled ? DisabledColour(Skin)
                          : Selected    ? Skin.HilightText
                                        : Skin.MenuText;
    SetTextColor(DC, ColorToRGB(Colour) & 0xFFFFFF);
    const bool Blank = Look.Caption.empty() || Look.Caption == L"&";
    const RECT Size = Measure(DC, Blank ? std::wstring(L" ") : Look.Caption);
    const int Top = (H - Height(Size)) / 2;
    RECT Text{Glyph.right + 3, Top, W - 1, Top + Height(Size)};
    RECT Short{Text.left + Width(Size), Top, W - 11, Top + Height(Size)};
    UINT Align = 0, ShortAlign = DT_RIGHT;
    if (RightToLeft) {
        Text = Mirror(Text, W);
        Short = Mirror(Short, W);
        Align = DT_RIGHT | DT_RTLREADING;
        ShortAlign = DT_LEFT | DT_RTLREADING;
    }
    SkinDrawText(DC, Look.Caption, Text, DT_EXPANDTABS | DT_SINGLELINE | Align);
    if (!Look.ShortCut.empty() && Short.right > Short.left)
        SkinDrawText(DC, Look.ShortCut, Short, DT_EXPANDTABS | DT_SINGLELINE | ShortAlign);
    SetBkMode(DC, OldMode);
}

// A separator from the second frame of the skin's item picture: its bottom rows, as many as the
// item is high, in three slices (the middle stretched), through the key colour.
void DrawSkinSeparator(HDC DC, int W, int H, TDataSkinObject& Item) {
    const RECT F = SkinFrameRect(Item.Bitmap, false, Item.FrameCount, 2);
    const int Rows = std::min(H, Height(F));
    if (Rows <= 0 || W <= 0) return;
    int L = std::max<int>(Item.Margins.left, 0), R = std::max<int>(Item.Margins.right, 0);
    if (W < L + R || Width(F) < L + R) L = R = 0;
    const int SY = F.bottom - Rows;
    TBitmap Slices(W, H, pf24bit);
    HDC S = Slices.Canvas()->Handle();
    HDC Src = Item.Bitmap.Canvas()->Handle();
    const int OldMode = SetStretchBltMode(S, COLORONCOLOR);
    if (L > 0) StretchBlt(S, 0, 0, L, H, Src, F.left, SY, L, Rows, SRCCOPY);
    if (R > 0) StretchBlt(S, W - R, 0, R, H, Src, F.right - R, SY, R, Rows, SRCCOPY);
    if (W - L - R > 0 && Width(F) - L - R > 0)
        StretchBlt(S, L, 0, W - L - R, H, Src, F.left + L, SY, Width(F) - L - R, Rows, SRCCOPY);
    SetStretchBltMode(S, OldMode);
    DrawTransparent(DC, {0, 0, W, H}, Slices, SkinKeyColour);
}

// What item drawing keeps from one item to the next: the bitmap items are composed in (it only
// grows), and the skin's item picture at the sizes and in the frames drawn lately, each with
// its mask (the items of a menu share their width and mostly their height).
class TItemPictures {
  public:
    HDC Compose(int W, int H) {
        if (FCompose.Width() < W || FCompose.Height() < H) {
            FCompose.SetPixelFormat(pf24bit);
            FCompose.SetSize(std::max(W, FCompose.Width()), std::max(H, FCompose.Height()));
        }
        return FCompose.Canvas()->Handle();
    }
    // The item picture's frame as a nine-grid of W x H drawn at DC's origin.
    void DrawGrid(HDC DC, TDataSkinObject& Item, int W, int H, int Frame) {
        for (auto& P : FGrids) {
            TGrid& G = *P;
            if (G.Object != &Item || G.Image != Item.Bitmap.Handle() || G.W != W || G.H != H ||
                G.Frame != Frame)
                continue;
            if (G.Trans)
                G.Keyed.Draw(DC, 0, 0);
            else
                BitBlt(DC, 0, 0, W, H, G.Opaque.Canvas()->Handle(), 0, 0, SRCCOPY);
            return;
        }
        auto G = std::make_unique<TGrid>();
        G->Object = &Item;
        G->Image = Item.Bitmap.Handle();
        G->W = W;
        G->H = H;
        G->Frame = Frame;
        G->Trans = Item.Trans != 0;
        auto Grid = DrawSkinImage({0, 0, W, H}, Item.Bitmap, Item.Margins, false, Item.Tile == 1,
                                  Item.FrameCount, Frame);
        if (G->Trans)
            G->Keyed.Make(*Grid);
        else
            G->Opaque.Assign(*Grid);
        if (FGrids.size() >= 16) FGrids.erase(FGrids.begin());
        FGrids.push_back(std::move(G));
        DrawGrid(DC, Item, W, H, Frame);
    }
    void Clear() {
        FGrids.clear();
        FCompose.Clear();
    }

  private:
    struct TGrid {
        const TDataSkinObject* Object;
        HBITMAP Image;
        int W, H, Frame;
        bool Trans;
        TKeyedPicture Keyed;
        TBitmap Opaque;
    };
    TBitmap FCompose;
    std::vector<std::unique_ptr<TGrid>> FGrids;
};

TItemPictures& ItemPictures() {
    static TItemPictures P;
    return P;
}

// One item, composed off-screen over the popup window's skin ground and copied to Target at R.
void DrawMenuItem(TSkinData& Skin, HDC Target, const RECT& R, const TItemLook& Look, bool Selected,
                  bool RightToLeft, HMENU Menu) {
    LearnMenuHandle(Menu);
    const int W = Width(R), H = Height(R);
    if (W <= 0 || H <= 0 || !Target) return;
    HDC DC = ItemPictures().Compose(W, H);
    const RECT Local{0, 0, W, H};
    TDataSkinObject* Item = MenuItemObject(Skin);
    if (!Item) {
        FillColor(DC, Local, Selected ? Skin.Hilight : Skin.Menu);
        DrawContent(DC, W, H, Look, Selected, RightToLeft, Skin);
    } else {
        TWinSkinPopMenu* Window = PopMenuOf(Menu);
        if (Window && !Window->Background.Empty()) {
            const POINT O = Window->ClientOffset();
            BitBlt(DC, 0, 0, W, H, Window->Background.Canvas()->Handle(), R.left + O.x, R.top + O.y,
                   SRCCOPY);
        } else {
            FillColor(DC, Local, Skin.Menu);
        }
        if (!Look.Line()) {
            ItemPictures().DrawGrid(DC, *Item, W, H, Selected ? 4 : 1);
            DrawContent(DC, W, H, Look, Selected, RightToLeft, Skin);
        } else if (Look.SkinSeparator) {
            DrawSkinSeparator(DC, W, H, *Item);
        } else {
            DrawContent(DC, W, H, Look, Selected, RightToLeft, Skin);
        }
    }
    BitBlt(Target, R.left, R.top, W, H, DC, 0, 0, SRCCOPY);
}

// ---------------------------------------------------------------------------------------------
// Item measuring

// A canvas on the screen with the menu font, for measuring (its font made once).
class TMenuCanvas {
  public:
    TMenuCanvas() : FScreen(nullptr), FBound(Shared(), FScreen) {
        // A measure may have made the font bold.
        Shared().Font()->SetStyle(SystemMenuFont()->Style());
    }
    TCanvas& Canvas() { return Shared(); }

  private:
    static TCanvas& Shared() {
        static TCanvas C;
        static const bool Ready = [] {
            C.Font()->Assign(*SystemMenuFont());
            return true;
        }();
        (void)Ready;
        return C;
    }
    TWindowDC FScreen;
    TCanvasDC FBound;
};

int MarginLeft(TSkinData& Skin) {
    TDataSkinObject* Item = MenuItemObject(Skin);
    return Item ? static_cast<int>(Item->Margins.left) : 0;
}

bool HasImages(TMenuItem& Item) {
    TMenu* M = Item.GetParentMenu();
    return M && M->Images();
}

// The room the skin's look takes beside what an item measures for itself: an item of a main
// menu, and one of a popup menu.
void GrowMainItem(TSkinData& Skin, TMenuItem& Item, int& W) {
    W += MarginLeft(Skin) + (HasImages(Item) ? 0 : 25) + 10;
}
void GrowPopupItem(TSkinData& Skin, TMenuItem& Item, int& W) {
    W += MarginLeft(Skin) + (HasImages(Item) ? 0 : 23) + 12;
}

void MeasureNative(IMenuStripFrame& Frame, MEASUREITEMSTRUCT& S) {
    // The open drop-down's item, else the system menu's (shown by the system, not the skin).
    HMENU Where = Tracking().Frame == &Frame ? Tracking().CurrentPopup : nullptr;
    if (!Where || GetMenuState(Where, S.itemID, MF_BYCOMMAND) == static_cast<UINT>(-1))
        Where = Frame.NativeSystemMenu();
    const std::wstring Text = NativeText(Where, S.itemID);
    TMenuCanvas C;
    const int TextW = Text.empty() ? 0 : Width(Measure(C.Canvas().Handle(), Text));
    S.itemWidth = static_cast<UINT>(TextW + 26 + MarginLeft(*Frame.MenuSkin()));
    if (!Text.empty())
        S.itemHeight += 4;
    else
        S.itemHeight = 8;
    // The Windows 95 family draws its menus a little lower.
    if (GetVersion() & 0x80000000u) S.itemHeight += 4;
}

// ---------------------------------------------------------------------------------------------
// The skin's handlers of menu items

// Recognised again by type, so the skin takes back only what it gave; each keeps the item's
// own handler of before, which the item gets back when the skin lets go.
struct TSkinDrawItem {
    IMenuStripFrame* Frame;
    TMenuDrawItemEvent Previous;
    void operator()(TObject* Sender, TCanvas* Canvas, RECT R, bool Selected) const {
        try {
            auto* Item = dynamic_cast<TMenuItem*>(Sender);
            TSkinData* Skin = Frame->MenuSkin();
            if (!Item || !Canvas || !Skin) return;
            TMenuItem* Parent = Item->Parent();
            HMENU Menu = Parent && Parent->HandleAllocated() ? Parent->Handle() : nullptr;
            DrawMenuItem(*Skin, Canvas->Handle(), R, LookOf(*Item), Selected,
                         Frame->MenuRightToLeft(), Menu);
        } catch (...) {
            // A broken skin leaves the item undrawn, never the menu stuck.
        }
    }
};

struct TSkinMeasureItem {
    IMenuStripFrame* Frame;
    bool MainMenu;
    TMenuMeasureItemEvent Previous;
    void operator()(TObject* Sender, TCanvas*, int& W, int&) const {
        auto* Item = dynamic_cast<TMenuItem*>(Sender);
        TSkinData* Skin = Frame->MenuSkin();
        if (!Item || !Skin) return;
        if (MainMenu)
            GrowMainItem(*Skin, *Item, W);
        else
            GrowPopupItem(*Skin, *Item, W);
    }
};

bool SkinsItem(const TMenuItem& Item) {
    return Item.OnDrawItem.target<TSkinDrawItem>() != nullptr;
}

void GiveHandlers(TMenuItem& Item, IMenuStripFrame& Frame, bool MainMenu) {
    // A skin given again keeps the program's handlers it saved the first time.
    TMenuDrawItemEvent OwnDraw = Item.OnDrawItem;
    if (auto* Given = OwnDraw.target<TSkinDrawItem>()) OwnDraw = Given->Previous;
    TMenuMeasureItemEvent OwnMeasure = Item.OnMeasureItem;
    if (auto* Given = OwnMeasure.target<TSkinMeasureItem>()) OwnMeasure = Given->Previous;
    Item.OnDrawItem = TSkinDrawItem{&Frame, std::move(OwnDraw)};
    Item.OnMeasureItem = TSkinMeasureItem{&Frame, MainMenu, std::move(OwnMeasure)};
}

void TakeHandlers(TMenuItem& Item) {
    if (auto* Given = Item.OnDrawItem.target<TSkinDrawItem>())
        Item.OnDrawItem = TMenuDrawItemEvent(Given->Previous);
    if (auto* Given = Item.OnMeasureItem.target<TSkinMeasureItem>())
        Item.OnMeasureItem = TMenuMeasureItemEvent(Given->Previous);
    for (int I = 0; I < Item.Count(); ++I)
        TakeHandlers(*Item.Items(I));
}

// Every item below Item, from Depth on (the menu's own items are depth 1).
void SkinItems(TMenuItem& Item, IMenuStripFrame& Frame, bool MainMenu, int Depth) {
    for (int I = 0; I < Item.Count(); ++I) {
        TMenuItem& Sub = *Item.Items(I);
        const bool Deep = !MainMenu || Depth >= 2;
        if (Deep && (!MainMenu || !Sub.OnDrawItem || SkinsItem(Sub)))
            GiveHandlers(Sub, Frame, MainMenu);
        SkinItems(Sub, Frame, MainMenu, Depth + 1);
    }
}

bool SkinsMenu(TMenu& Menu) {
    std::function<bool(TMenuItem&)> Any = [&](TMenuItem& I) {
        if (SkinsItem(I)) return true;
        for (int K = 0; K < I.Count(); ++K)
            if (Any(*I.Items(K))) return true;
        return false;
    };
    return Any(*Menu.Items());
}

// The owner-draw setting each menu had before the skin drew it.
std::map<TMenu*, bool>& OwnerDrawBefore() {
    static std::map<TMenu*, bool> Before;
    return Before;
}

void SkinMenu(TMenu& Menu, IMenuStripFrame& Frame, bool MainMenu) {
    if (!SkinsMenu(Menu)) OwnerDrawBefore()[&Menu] = Menu.OwnerDraw();
    Menu.SetOwnerDraw(true);
    SkinItems(*Menu.Items(), Frame, MainMenu, 1);
}

void UnskinMenu(TMenu& Menu) {
    auto& Before = OwnerDrawBefore();
    const auto It = Before.find(&Menu);
    if (It == Before.end()) return;
    // An entry of a menu that went, its place taken by another menu, is only dropped.
    if (!SkinsMenu(Menu) && Menu.Items()->Count() > 0) {
        Before.erase(It);
        return;
    }
    TakeHandlers(*Menu.Items());
    Menu.SetOwnerDraw(It->second);
    Before.erase(It);
}

// ---------------------------------------------------------------------------------------------
// The message-filter hook of an open drop-down

bool Choosable(const TMenuBtn& B) {
    return B.Visible && B.Enabled && B.SubMenu && !B.Caption.empty() && !IsRectEmpty(&B.Bounds);
}

// The next button (Step 1) or the previous (-1) that can open a drop-down, wrapping round.
int Neighbour(const TWinSkinMenu& Menu, int From, int Step) {
    const int N = static_cast<int>(Menu.MenuButtons().size());
    for (int K = 1; K < N; ++K) {
        const int I = ((From + Step * K) % N + N) % N;
        if (Choosable(*Menu.MenuButtons()[static_cast<size_t>(I)])) return I;
    }
    return -1;
}

void MenuSelected(WPARAM WParam, LPARAM LParam) {
    TTracking& T = Tracking();
    const UINT Flags = HIWORD(WParam);
    const auto Menu = reinterpret_cast<HMENU>(LParam);
    if (Flags == 0xFFFF && !Menu) {
        if (!T.Moving && T.Frame) T.Frame->SetMenuTracking(false);
        return;
    }
    T.Moving = false;
    T.Selected = true;
    T.SelectedIn = Menu;
    T.SelectedPopup = (Flags & MF_POPUP) ? GetSubMenu(Menu, LOWORD(WParam)) : nullptr;
    T.LastSelected = nullptr;
    if (T.Menu && T.Menu->MainMenu()) {
        TMenuItem* Found = (Flags & MF_POPUP) ? TMenuItem::FromHandle(T.SelectedPopup)
                                              : T.Menu->MainMenu()->FindItem(LOWORD(WParam));
        if (Found && Found->GetParentMenu() == T.Menu->MainMenu()) T.LastSelected = Found;
    }
}

// Where the selection is now: in the topmost open menu that shows an item selected. The menu
// does not always report going back to an item whose sub-menu it closes.
void ReadSelection(TTracking& T) {
    for (HWND W : SkinMenuWindows()) {
        const auto Menu = reinterpret_cast<HMENU>(SendMessageW(W, MN_GETHMENU, 0, 0));
        if (!Menu || !IsMenu(Menu)) continue;
        const int N = GetMenuItemCount(Menu);
        for (int P = 0; P < N; ++P)
            if (GetMenuState(Menu, static_cast<UINT>(P), MF_BYPOSITION) & MF_HILITE) {
                T.Selected = true;
                T.SelectedIn = Menu;
                T.SelectedPopup = GetSubMenu(Menu, P);
                return;
            }
    }
}

// The drop-down's first item shows selected once the menu's loop runs (posted, the loop takes
// it for the user's key).
void SelectFirstItem(TTracking& T) {
    T.First = false;
    const auto Windows = SkinMenuWindows();
    if (!Windows.empty()) PostMessageW(Windows.front(), WM_KEYDOWN, VK_DOWN, 0);
}

// The button a key walks to (-1: none). Left leaves the drop-down only from its own items, right
// only from an item without a sub-menu; the menu walks its sub-menus itself.
int ButtonForKey(TTracking& T, WPARAM Key) {
    if (Key == VK_LEFT || Key == VK_RIGHT) ReadSelection(T);
    switch (Key) {
    case VK_RETURN:
    case VK_ESCAPE:
        T.Moving = false;
        return -1;
    case VK_LEFT:
        if (!T.Selected || T.SelectedIn == T.CurrentPopup || T.SelectedPopup == T.CurrentPopup)
            return Neighbour(*T.Menu, T.OpenIndex, -1);
        return -1;
    case VK_RIGHT:
        if (!T.Selected || !T.SelectedPopup) return Neighbour(*T.Menu, T.OpenIndex, 1);
        return -1;
    default:
        return -1;
    }
}

// The button the pointer moved onto (-1: none). A pointer at rest gets mouse moves too (windows
// come and go under it); those must not take the walk away from the keys.
int ButtonUnderMovedPointer(TTracking& T, POINT Screen) {
    if (Screen.x == T.LastMouse.x && Screen.y == T.LastMouse.y) return -1;
    int Chosen = -1;
    if (TMenuBtn* B = T.Menu->ButtonAt(T.Frame->ScreenToFrame(Screen)); B && Choosable(*B))
        Chosen = B->Index;
    T.LastMouse = Screen;
    return Chosen;
}

void FilterMessage(MSG& Msg) {
    TTracking& T = Tracking();
    if (!T.Menu || !T.Frame) return;
    if (T.First) SelectFirstItem(T);
    int Chosen = -1;
    switch (Msg.message) {
    case WM_KEYDOWN:
        Chosen = ButtonForKey(T, Msg.wParam);
        break;
    case WM_SYSKEYDOWN:
        if (Msg.wParam == VK_MENU) T.Frame->SetMenuTracking(false);
        return;
    case WM_MENUSELECT:
        MenuSelected(Msg.wParam, Msg.lParam);
        return;
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
        Chosen = ButtonUnderMovedPointer(T, Msg.pt);
        break;
    default:
        break;
    }
    if (Chosen >= 0 && Chosen != T.OpenIndex) {
        // The drop-down closes first and the chosen one opens from the message queue, so the
        // menus never nest.
        T.Moving = true;
        T.Pending = Chosen;
        EndMenu();
    }
}

bool IsKeyMessage(UINT Msg) {
    return Msg == WM_KEYDOWN || Msg == WM_KEYUP || Msg == WM_SYSKEYDOWN || Msg == WM_SYSKEYUP;
}

LRESULT CALLBACK MsgFilterProc(int Code, WPARAM WParam, LPARAM LParam) {
    TTracking& T = Tracking();
    auto* Msg = reinterpret_cast<MSG*>(LParam);
    // A right-to-left menu walks the other way.
    if (Code >= 0 && Msg && T.Frame && T.Selected && T.Frame->MenuRightToLeft() &&
        IsKeyMessage(Msg->message)) {
        if (Msg->wParam == VK_LEFT)
            Msg->wParam = VK_RIGHT;
        else if (Msg->wParam == VK_RIGHT)
            Msg->wParam = VK_LEFT;
    }
    const LRESULT Next = CallNextHookEx(nullptr, Code, WParam, LParam);
    if (Next != 0 || Code != MSGF_MENU || !Msg) return Next;
    try {
        FilterMessage(*Msg);
    } catch (...) {
        // The menu goes on as the system runs it.
    }
    return 0;
}

// The drop-down closed: the hook goes. Its strip may have gone with its window, so nothing of
// the strip is touched.
void EndTracking(TTracking& T) {
    T.Hook.Reset();
    T.Reset();
    // A button that opened nothing leaves no menu kind behind for the next menu window.
    if (ISkinHost* Host = SkinHost(); Host && !Host->MenuWindowsOpen()) Host->SetMenuMode(mmPopup);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Buttons and builds

void TMenuBtn::Paint() {
    Strip.PaintButton(*this);
}

TWinSkinMenu::TWinSkinMenu(IMenuStripFrame& AFrame, TSkinData* Data)
    : SkinData(Data), FFrame(AFrame) {}

TWinSkinMenu::~TWinSkinMenu() {
    TTracking& T = Tracking();
    if (T.Menu == this) {
        // The window goes while its drop-down is open: the hook forgets it.
        T.Menu = nullptr;
        T.Frame = nullptr;
    }
}

void TWinSkinMenu::ClearButtons() {
    if (dynamic_cast<TMenuBtn*>(FFrame.HotObject())) FFrame.SetHotObject(nullptr);
    FMenuButtons.clear();
    FButtonCount = 0;
    Invalidate();
    FFrame.StripChanged();
}

void TWinSkinMenu::Invalidate() {
    for (TStripLook& L : FLooks)
        L.Valid = false;
}

void TWinSkinMenu::TakeMenuOffWindow() {
    if (GetMenu(FFrame.MenuWindow())) SetMenu(FFrame.MenuWindow(), nullptr);
}

void TWinSkinMenu::BuildFromMainMenu(TCustomForm* Form) {
    ClearButtons();
    if (HMENU Current = GetMenu(FFrame.MenuWindow())) FNativeMenu = Current;
    if (!Form) {
        // A window of the system's: its own menu is all there is.
        FMainMenu = nullptr;
        BuildNative(nbPlain);
        return;
    }
    FMainMenu = dynamic_cast<TMainMenu*>(Form->Menu());
    if (!FMainMenu) FNativeMenu = nullptr; // the form shows no menu bar any more
    if (!FNativeMenu) return;
    TMenuItem* Root = FMainMenu->Items();
    for (int I = 0; I < Root->Count(); ++I) {
        TMenuItem* Item = Root->Items(I);
        auto B = std::make_unique<TMenuBtn>(FFrame, *this, SkinData);
        B->Item = Item;
        B->Index = I;
        B->Visible = Item->Visible();
        B->Enabled = Item->Enabled();
        B->Command = Item->Command();
        B->Caption = GetPropText(*Item, L"Caption");
        B->SubMenu = Item->Count() > 0 ? Item->Handle() : nullptr;
        FMenuButtons.push_back(std::move(B));
    }
    FButtonCount = static_cast<int>(FMenuButtons.size());
    TakeMenuOffWindow();
}

namespace {

// The system puts a maximised MDI child's system menu and its minimise, restore and close
// commands into the frame's bar as picture items without text; the strip draws those buttons
// itself.
bool IsMaximisedChildItem(const MENUITEMINFOW& I) {
    const bool Picture = (I.fType & MFT_BITMAP) != 0 || I.hbmpItem != nullptr;
    const bool NoText = !I.dwTypeData || !I.dwTypeData[0];
    return Picture && NoText && (I.hSubMenu || I.wID >= SC_SIZE);
}

// The button of the native menu's item at Position; false for an item the strip does not show.
// An item that cannot be read still takes its place, as an empty button: the main menu's items
// are merged in by place.
bool ReadNativeItem(HMENU Menu, int Position, TMenuBtn& B) {
    wchar_t Text[80]{};
    MENUITEMINFOW I{};
    I.cbSize = sizeof(I);
    I.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE | MIIM_STRING | MIIM_BITMAP;
    I.dwTypeData = Text;
    I.cch = 79;
    if (!GetMenuItemInfoW(Menu, static_cast<UINT>(Position), TRUE, &I)) return true;
    if (IsMaximisedChildItem(I)) return false;
    B.Enabled = !(I.fState & (MFS_GRAYED | MFS_DISABLED));
    B.Visible = true;
    B.Command = I.wID;
    B.SubMenu = I.hSubMenu;
    B.Caption = Text;
    return true;
}

} // namespace

void TWinSkinMenu::BuildFromNativeMenu() {
    ClearButtons();
    if (HMENU Current = GetMenu(FFrame.MenuWindow())) FNativeMenu = Current;
    BuildNative(nbMerge);
}

void TWinSkinMenu::BuildFromMenu(HMENU Menu) {
    ClearButtons();
    FNativeMenu = Menu;
    BuildNative(nbGiven);
}

void TWinSkinMenu::BuildNative(TNativeBuild Kind) {
    if (!FNativeMenu || !IsMenu(FNativeMenu)) return;
    const int Count = GetMenuItemCount(FNativeMenu);
    TMenuItem* Root = FMainMenu ? FMainMenu->Items() : nullptr;
    for (int P = 0; P < Count; ++P) {
        auto B = std::make_unique<TMenuBtn>(FFrame, *this, SkinData);
        B->Index = static_cast<int>(FMenuButtons.size());
        if (!ReadNativeItem(FNativeMenu, P, *B)) continue;
        if (!B->Caption.empty() && Root) MergeMainMenuItem(*B, *Root, Kind, P);
        FMenuButtons.push_back(std::move(B));
    }
    FButtonCount = static_cast<int>(FMenuButtons.size());
    TakeMenuOffWindow();
}

void TWinSkinMenu::MergeMainMenuItem(TMenuBtn& B, TMenuItem& Root, TNativeBuild Kind, int P) {
    TMenuItem* Match = nullptr;
    if (Kind == nbMerge && B.Index < Root.Count())
        Match = Root.Items(B.Index);
    else if (Kind == nbGiven)
        Match = FMainMenu->FindItem(B.Command);
    if (!Match) return;
    B.Item = Match;
    B.Caption = GetPropText(*Match, L"Caption");
    B.Enabled = Match->Enabled();
    B.Command = Kind == nbMerge ? GetMenuItemID(FNativeMenu, P) : Match->Command();
    if (Match->Count() > 0) B.SubMenu = Match->Handle();
}

void TWinSkinMenu::GiveBackNativeMenu() {
    RestoreOwnerDraw();
    if (FNativeMenu && IsMenu(FNativeMenu) && !GetMenu(FFrame.MenuWindow()))
        SetMenu(FFrame.MenuWindow(), FNativeMenu);
    FNativeMenu = nullptr;
}

void TWinSkinMenu::DestroyNativeMenu() {
    FConverted.clear();
    if (FNativeMenu && IsMenu(FNativeMenu) && GetMenu(FFrame.MenuWindow()) != FNativeMenu)
        DestroyMenu(FNativeMenu);
    FNativeMenu = nullptr;
}

void TWinSkinMenu::MakeOwnerDrawn(HMENU Menu) {
    const int Count = GetMenuItemCount(Menu);
    for (int P = 0; P < Count; ++P) {
        MENUITEMINFOW I{};
        I.cbSize = sizeof(I);
        I.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA;
        if (!GetMenuItemInfoW(Menu, static_cast<UINT>(P), TRUE, &I)) continue;
        if (!(I.fType & MFT_OWNERDRAW)) {
            MENUITEMINFOW S{};
            S.cbSize = sizeof(S);
            S.fMask = MIIM_FTYPE;
            S.fType = I.fType | MFT_OWNERDRAW;
            SetMenuItemInfoW(Menu, static_cast<UINT>(P), TRUE, &S);
            const TConverted C{Menu, I.wID, I.hSubMenu, I.dwItemData};
            const bool Known =
                std::any_of(FConverted.begin(), FConverted.end(), [&](const auto& K) {
                    return K.Menu == C.Menu && K.Id == C.Id && K.SubMenu == C.SubMenu &&
                           K.Data == C.Data;
                });
            if (!Known) FConverted.push_back(C);
        }
        if (I.hSubMenu) MakeOwnerDrawn(I.hSubMenu);
    }
}

void TWinSkinMenu::RestoreOwnerDraw() {
    for (const TConverted& C : FConverted) {
        if (!IsMenu(C.Menu)) continue;
        // An item of ours that draws itself now keeps it.
        if (TMenuItem* Item = TMenuItem::FromItemData(C.Data); Item && Item->IsOwnerDraw())
            continue;
        const int Count = GetMenuItemCount(C.Menu);
        for (int P = 0; P < Count; ++P) {
            MENUITEMINFOW I{};
            I.cbSize = sizeof(I);
            I.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA;
            if (!GetMenuItemInfoW(C.Menu, static_cast<UINT>(P), TRUE, &I)) continue;
            if (I.wID != C.Id || I.hSubMenu != C.SubMenu || I.dwItemData != C.Data ||
                !(I.fType & MFT_OWNERDRAW))
                continue;
            MENUITEMINFOW S{};
            S.cbSize = sizeof(S);
            S.fMask = MIIM_FTYPE;
            S.fType = I.fType & ~static_cast<UINT>(MFT_OWNERDRAW);
            SetMenuItemInfoW(C.Menu, static_cast<UINT>(P), TRUE, &S);
            break;
        }
    }
    FConverted.clear();
}

// ---------------------------------------------------------------------------------------------
// The strip

namespace {

void DrawStripCaption(HDC DC, const TSkinData& Skin, const std::wstring& Caption, bool Enabled,
                      const RECT& Where) {
    SetTextColor(DC, ColorToRGB(Enabled ? Skin.MenuBarText : Skin.ButtonShadow) & 0xFFFFFF);
    const RECT Size = Measure(DC, Caption);
    const int X = Where.left + (Width(Where) - Width(Size)) / 2;
    const int Y = Where.top + (Height(Where) - Height(Size)) / 2;
    RECT Text{X, Y, X + Width(Size), Y + Height(Size)};
    SkinDrawText(DC, Caption, Text, DT_EXPANDTABS | DT_SINGLELINE | DT_CENTER);
}

} // namespace

std::vector<TStripItem> TWinSkinMenu::StripItems(const std::vector<TStripItem>& Before) const {
    std::vector<TStripItem> Items(FMenuButtons.size());
    for (size_t I = 0; I < FMenuButtons.size(); ++I) {
        const TMenuBtn& B = *FMenuButtons[I];
        TStripItem& Item = Items[I];
        Item.Visible = B.Visible;
        Item.Enabled = B.Enabled;
        Item.Caption = B.Caption;
        // Measuring takes a DC: only a caption that changed is measured again.
        const bool Known = I < Before.size() && Before[I].Caption == B.Caption;
        Item.TextWidth = Known ? Before[I].TextWidth
                               : MeasureStripCaption(SystemMenuFont()->Handle(), B.Caption);
    }
    return Items;
}

void TWinSkinMenu::Place(const RECT& Strip, const std::vector<TStripItem>& Items,
                         const std::vector<RECT>& Cells) {
    const std::vector<RECT> Before = this->Cells();
    const bool Same = EqualRect(&FStripRect, &Strip) && Items == FItems &&
                      std::equal(Before.begin(), Before.end(), Cells.begin(), Cells.end(),
                                 [](const RECT& A, const RECT& B) { return EqualRect(&A, &B); });
    if (Same) return;
    FStripRect = Strip;
    FItems = Items;
    for (size_t I = 0; I < FMenuButtons.size(); ++I)
        FMenuButtons[I]->Bounds = I < Cells.size() ? Cells[I] : RECT{};
    // The kept strips show the old places.
    Invalidate();
}

void TWinSkinMenu::PaintStrip(HDC DC) {
    const RECT& Rect = FStripRect;
    const int W = Width(Rect), H = Height(Rect);
    if (W <= 0 || H <= 0) return;
    try {
        const int Look = FFrame.FrameActive() ? 1 : 0;
        TStripLook& Kept = FLooks[static_cast<size_t>(Look)];
        // The maximized MDI child's buttons in the strip change without the strip knowing.
        if (Kept.Valid && Kept.Bar == SkinData->MenuBar.get() && !FFrame.IsMDIFrame()) {
            if (FBackgroundLook != Look) {
                FBackground.SetPixelFormat(pf24bit);
                FBackground.SetSize(W, H);
                BitBlt(FBackground.Canvas()->Handle(), 0, 0, W, H, Kept.Ground.Canvas()->Handle(),
                       0, 0, SRCCOPY);
                FBackgroundLook = Look;
            }
            BitBlt(DC, Rect.left, Rect.top, W, H, Kept.Strip.Canvas()->Handle(), 0, 0, SRCCOPY);
            return;
        }
        ComposeStrip(Look);
        BitBlt(DC, Rect.left, Rect.top, W, H, SkinData->WorkBitmap().Canvas()->Handle(), 0, 0,
               SRCCOPY);
    } catch (...) {
        // A broken skin never stops the window.
    }
}

void TWinSkinMenu::ComposeStrip(int Look) {
    const int W = Width(FStripRect), H = Height(FStripRect);
    TBitmap& Work = SkinData->WorkBitmap();
    Work.SetPixelFormat(pf24bit);
    Work.SetSize(W, H);
    HDC S = Work.Canvas()->Handle();
    PaintStripGround(S, *SkinData, W, H, Look == 1);
    auto Keep = [W, H](TBitmap& To, HDC From) {
        To.SetPixelFormat(pf24bit);
        To.SetSize(W, H);
        BitBlt(To.Canvas()->Handle(), 0, 0, W, H, From, 0, 0, SRCCOPY);
    };
    Keep(FBackground, S);
    PaintStripCaptions(S, *SkinData, FStripRect, FItems, Cells());
    PaintMDIButtons(S);
    TStripLook& Kept = FLooks[static_cast<size_t>(Look)];
    Keep(Kept.Strip, S);
    Keep(Kept.Ground, FBackground.Canvas()->Handle());
    Kept.Bar = SkinData->MenuBar.get();
    Kept.Valid = true;
    FBackgroundLook = Look;
}

bool TWinSkinMenu::CopyGround(HDC DC, const RECT& Part) {
    if (FBackground.Empty()) return false;
    BitBlt(DC, 0, 0, Width(Part), Height(Part), TBitmapSource(FBackground),
           Part.left - FStripRect.left, Part.top - FStripRect.top, SRCCOPY);
    return true;
}

std::vector<RECT> TWinSkinMenu::Cells() const {
    std::vector<RECT> Cells;
    Cells.reserve(FMenuButtons.size());
    for (const auto& B : FMenuButtons)
        Cells.push_back(B->Bounds);
    return Cells;
}

void PaintStripGround(HDC DC, const TSkinData& Skin, int W, int H, bool Active) {
    const RECT Local{0, 0, W, H};
    TDataSkinObject* Bar = Skin.MenuBar.get();
    if (!Bar || Bar->Bitmap.Empty()) {
        FillColor(DC, Local, Skin.Menubar);
        return;
    }
    const int Frame = Active ? 1 : 2;
    if (Bar->Tile == 1) {
        DrawSkinImageDirect(DC, Local, Bar->Bitmap, Bar->Margins, true, false, Bar->FrameCount,
                            Frame);
    } else {
        TCanvas Canvas;
        TCanvasDC Bound(Canvas, DC);
        DrawSkinStrip(Canvas, Local, Bar->Bitmap, true, false, Bar->FrameCount, Frame,
                      Bar->Margins);
    }
}

void PaintStripCaptions(HDC DC, const TSkinData& Skin, const RECT& Strip,
                        const std::vector<TStripItem>& Items, const std::vector<RECT>& Cells) {
    TSelectObject Font(DC, SystemMenuFont()->Handle());
    const int OldMode = SetBkMode(DC, TRANSPARENT);
    for (size_t I = 0; I < Items.size() && I < Cells.size(); ++I) {
        if (!Items[I].Visible) continue;
        RECT Cell = Cells[I];
        OffsetRect(&Cell, -Strip.left, -Strip.top);
        DrawStripCaption(DC, Skin, Items[I].Caption, Items[I].Enabled, Cell);
    }
    SetBkMode(DC, OldMode);
}

void TWinSkinMenu::PaintMDIButtons(HDC Strip) {
    if (!FFrame.IsMDIFrame()) return;
    const bool Any = FFrame.PaintMDIChildButtons(Strip);
    if (ISkinHost* Host = SkinHost(); Any && Host && !Host->MDIMaximized())
        Host->SetMDIMaximized(true);
}

void TWinSkinMenu::PaintButton(TMenuBtn& B) {
    if (!B.Visible || IsRectEmpty(&B.Bounds) || FBackground.Empty() || !FFrame.StripShown()) return;
    try {
        const int X = B.Bounds.left - FStripRect.left;
        const int W = std::min<int>(Width(B.Bounds), FBackground.Width() - X);
        const int H = FBackground.Height();
        if (X < 0 || W <= 0) return;
        TBitmap Picture(W, H, pf24bit);
        HDC DC = Picture.Canvas()->Handle();
        BitBlt(DC, 0, 0, W, H, FBackground.Canvas()->Handle(), X, 0, SRCCOPY);
        RECT Local = B.Bounds;
        OffsetRect(&Local, -B.Bounds.left, -FStripRect.top);
        if (B.State == nsHot || B.State == nsPressed) {
            TBrushHandle Light(CreateSolidBrush(ColorToRGB(SkinData->ButtonHilight) & 0xFFFFFF));
            FrameRect(DC, &Local, Light);
        }
        TSelectObject Font(DC, SystemMenuFont()->Handle());
        SetBkMode(DC, TRANSPARENT);
        DrawStripCaption(DC, *SkinData, B.Caption, B.Enabled, Local);
        TWindowDC Window(FFrame.MenuWindow(), true);
        BitBlt(Window, B.Bounds.left, FStripRect.top, W, H, DC, 0, 0, SRCCOPY);
    } catch (...) {
        // A broken skin never stops the window.
    }
}

TMenuBtn* TWinSkinMenu::ButtonAt(POINT P) const {
    for (const auto& B : FMenuButtons)
        if (!B->Caption.empty() && PtInRect(&B->Bounds, P)) return B.get();
    return nullptr;
}

TMenuBtn* TWinSkinMenu::ButtonForAccelerator(wchar_t Key) const {
    if (!Key) return nullptr;
    for (const auto& B : FMenuButtons) {
        if (!B->Visible || !B->Enabled) continue;
        if (const wchar_t A = CaptionAccelerator(B->Caption); A && Upper(A) == Upper(Key))
            return B.get();
    }
    return nullptr;
}

void TWinSkinMenu::ButtonPressed(TNCObject* Object) {
    for (size_t I = 0; I < FMenuButtons.size(); ++I)
        if (FMenuButtons[I].get() == Object) return OpenMenu(static_cast<int>(I));
}

// ---------------------------------------------------------------------------------------------
// Opening a drop-down

void TWinSkinMenu::TidySeparators(TMenuItem& Parent) {
    const int N = Parent.Count();
    auto Shows = [&](int I) {
        TMenuItem* Item = Parent.Items(I);
        return !Item->IsLine() && Item->Visible();
    };
    int First = -1, Last = -1;
    for (int I = 0; I < N; ++I)
        if (Shows(I)) {
            if (First < 0) First = I;
            Last = I;
        }
    for (int I = 0; I < N; ++I) {
        TMenuItem* Item = Parent.Items(I);
        if (!Item->IsLine()) continue;
        bool Show = First >= 0 && I > First && I < Last;
        if (Show) {
            // Of a run of separators (hidden items between them do not count) the last shows.
            int Next = I + 1;
            while (Next < N && !Parent.Items(Next)->IsLine() && !Shows(Next))
                ++Next;
            Show = Next < N && Shows(Next);
        }
        Item->SetVisible(Show);
    }
}

void TWinSkinMenu::OpenMenu(int Index) {
    TTracking& T = Tracking();
    if (Index < 0 || Index >= static_cast<int>(FMenuButtons.size()) || T.Menu) return;
    TMenuBtn& B = *FMenuButtons[static_cast<size_t>(Index)];
    const HWND Wnd = FFrame.MenuWindow();
    PostMessageW(Wnd, WM_COMMAND, B.Command, 0);
    if (!B.SubMenu) return;
    // Tidying the drop-down may build the buttons anew: what the tracking needs is kept first.
    const HMENU Sub = B.SubMenu;
    const bool Enabled = B.Enabled;
    const RECT Bounds = B.Bounds;
    if (TMenuItem* Parent = B.Item && B.Item->Count() > 0 ? B.Item : TMenuItem::FromHandle(Sub)) {
        // Separators come and go in the drop-down, which changes nothing of the strip.
        FFrame.WithoutFramePaint([&] { TidySeparators(*Parent); });
    }
    RECT Window;
    GetWindowRect(Wnd, &Window);
    BeginTracking(Index, Sub);
    if (Enabled)
        TrackPopupMenu(Sub, TPM_NONOTIFY | TPM_RIGHTBUTTON, Window.left + Bounds.left,
                       Window.top + Bounds.bottom, 0, Wnd, nullptr);
    const bool Alive = T.Menu == this;
    const int Pending = T.Pending;
    EndTracking(T);
    if (!Alive) return; // the window went while its drop-down was open
    FFrame.SetMenuTracking(false);
    SettleButtonAfterDropDown(Index, Pending >= 0);
    if (Pending >= 0 && Pending < static_cast<int>(FMenuButtons.size()))
        PressButtonLater(Window, *FMenuButtons[static_cast<size_t>(Pending)]);
}

void TWinSkinMenu::BeginTracking(int Index, HMENU Sub) {
    TTracking& T = Tracking();
    T.Reset();
    T.Menu = this;
    T.Frame = &FFrame;
    T.OpenIndex = Index;
    MakeOwnerDrawn(Sub);
    FFrame.SetMenuTracking(true);
    if (ISkinHost* Host = SkinHost()) Host->SetMenuMode(mmMenuBar);
    T.CurrentPopup = Sub;
    if (!T.Hook)
        T.Hook.Reset(
            SetWindowsHookExW(WH_MSGFILTER, &MsgFilterProc, nullptr, GetCurrentThreadId()));
    T.First = true;
    GetCursorPos(&T.LastMouse);
}

void TWinSkinMenu::SettleButtonAfterDropDown(int Index, bool MovingOn) {
    if (Index >= static_cast<int>(FMenuButtons.size())) return;
    TMenuBtn& Open = *FMenuButtons[static_cast<size_t>(Index)];
    if (FFrame.HotObject() != &Open) return;
    POINT P;
    GetCursorPos(&P);
    if (!MovingOn && PtInRect(&Open.Bounds, FFrame.ScreenToFrame(P))) {
        Open.State = nsHot;
        Open.Paint();
    } else {
        Open.MouseLeave();
    }
}

void TWinSkinMenu::PressButtonLater(const RECT& Window, const TMenuBtn& Next) {
    PostMessageW(FFrame.MenuWindow(), WM_NCLBUTTONDOWN, HTCLIENT,
                 MAKELPARAM(Window.left + Next.Bounds.left + 1, Window.top + Next.Bounds.top + 1));
}

// ---------------------------------------------------------------------------------------------
// Popup menu windows

TWinSkinPopMenu::~TWinSkinPopMenu() {
    Detach();
}

void TWinSkinPopMenu::Attach(HWND AWnd, TSkinData* Data) {
    Wnd = AWnd;
    SkinData = Data;
    FSubclass.Install(
        Wnd, [this](TMessage& M) { WndProc(M); }, false);
}

void TWinSkinPopMenu::Detach() {
    if (Tracking().Waiting == this) Tracking().Waiting = nullptr;
    FSubclass.Remove();
    Background.Clear();
}

POINT TWinSkinPopMenu::ClientOffset() const {
    RECT W;
    POINT O{0, 0};
    if (!Wnd || !GetWindowRect(Wnd, &W) || !ClientToScreen(Wnd, &O)) return {0, 0};
    return {O.x - W.left, O.y - W.top};
}

bool TWinSkinPopMenu::Skinned() const {
    return SkinData && SkinData->HasSkinObjects() && SkinData->MenuBackground &&
           !SkinData->MenuBackground->Bitmap.Empty();
}

void TWinSkinPopMenu::MakeBackground() {
    RECT R;
    GetWindowRect(Wnd, &R);
    const int W = Width(R), H = Height(R);
    if (W <= 0 || H <= 0) return;
    if (Background.Width() == W && Background.Height() == H) return;
    TDataSkinObject& B = *SkinData->MenuBackground;
    Background.SetPixelFormat(pf24bit);
    Background.SetSize(W, H);
    DrawSkinImageDirect(Background.Canvas()->Handle(), {0, 0, W, H}, B.Bitmap, B.Margins, false,
                        B.Tile == 1, 1, 1);
}

void TWinSkinPopMenu::PaintRing(HDC DC) {
    const int W = Background.Width(), H = Background.Height();
    if (W <= 0 || H <= 0 || !DC) return;
    HDC B = Background.Canvas()->Handle();
    const int Ring = std::min({3, W, H});
    BitBlt(DC, 0, 0, W, Ring, B, 0, 0, SRCCOPY);
    BitBlt(DC, 0, H - Ring, W, Ring, B, 0, H - Ring, SRCCOPY);
    BitBlt(DC, 0, Ring, Ring, H - 2 * Ring, B, 0, Ring, SRCCOPY);
    BitBlt(DC, W - Ring, Ring, Ring, H - 2 * Ring, B, W - Ring, Ring, SRCCOPY);
}

void TWinSkinPopMenu::WndProc(TMessage& M) {
    if (M.Msg == SKM_QUERY) {
        M.Result = 1;
        return;
    }
    if (!SkinHost() || !SkinHost()->SkinningEnabled()) {
        FSubclass.CallPrevious(M);
        return;
    }
    switch (M.Msg) {
    case WM_DESTROY:
        Detach();
        break;
    case WM_NCPAINT:
        if (!Skinned()) break;
        OnNcPaint(M);
        return;
    case WM_PRINTCLIENT:
        if (!Skinned()) break;
        OnPrintClient(M);
        return;
    case WM_PAINT:
        OnPaint(M);
        return;
    default:
        break;
    }
    FSubclass.CallPrevious(M);
}

void TWinSkinPopMenu::OnNcPaint(TMessage& M) {
    try {
        MakeBackground();
        if (!MenuHandle) Tracking().Waiting = this;
        TWindowDC DC(Wnd, true);
        PaintRing(DC);
    } catch (...) {
        // A broken skin leaves the border as it was.
    }
    M.Result = 0;
}

void TWinSkinPopMenu::OnPrintClient(TMessage& M) {
    const auto DC = reinterpret_cast<HDC>(M.WParam);
    try {
        if (!MenuHandle) Tracking().Waiting = this;
        MakeBackground();
        const POINT O = ClientOffset();
        const int W = Background.Width(), H = Background.Height();
        BitBlt(DC, -O.x, -O.y, W, H, Background.Canvas()->Handle(), 0, 0, SRCCOPY);
        const int OldMode = SetBkMode(DC, TRANSPARENT);
        // The items print inside the ring, whatever the DC's origin.
        POINT Inner[2] = {{3 - O.x, 3 - O.y}, {W - 3 - O.x, H - 3 - O.y}};
        LPtoDP(DC, Inner, 2);
        TRegionHandle Old(CreateRectRgn(0, 0, 0, 0));
        const bool HadClip = GetClipRgn(DC, Old) == 1;
        TRegionHandle Clip(CreateRectRgn(Inner[0].x, Inner[0].y, Inner[1].x, Inner[1].y));
        SelectClipRgn(DC, Clip);
        FSubclass.CallPrevious(M);
        SelectClipRgn(DC, HadClip ? Old.Get() : nullptr);
        SetBkMode(DC, OldMode);
    } catch (...) {
        // A broken skin prints what the menu printed.
    }
}

void TWinSkinPopMenu::OnPaint(TMessage& M) {
    FSubclass.CallPrevious(M);
    // A menu window whose border lies inside its client area (no non-client part) has it
    // painted over by the menu: the ring goes on top again.
    if (!Skinned()) return;
    try {
        RECT C, W;
        GetClientRect(Wnd, &C);
        GetWindowRect(Wnd, &W);
        const POINT O = ClientOffset();
        if (O.x == 0 && O.y == 0 && Width(C) == Width(W) && Height(C) == Height(W)) {
            MakeBackground();
            TWindowDC DC(Wnd, true);
            PaintRing(DC);
        }
    } catch (...) {
        // A broken skin leaves the border as the menu drew it.
    }
}

// ---------------------------------------------------------------------------------------------
// Owner drawing of the form's menus

void SkinFormMenus(IMenuStripFrame& Frame, bool On) {
    // A skin that comes (or comes again after a change) draws its items afresh.
    if (On) ItemPictures().Clear();
    TCustomForm* Form = Frame.MenuForm();
    TSkinData* Skin = Frame.MenuSkin();
    if (!Form || !Skin || Form->ClassName() == L"TwwRichEditForm") return;
    const TSkinControlTypes Kinds = Skin->SkinControls();
    const int Disable = Skin->DisableTag();
    for (int I = 0; I < Form->ComponentCount(); ++I) {
        TComponent* C = Form->Components(I);
        if (auto* Popup = dynamic_cast<TPopupMenu*>(C)) {
            if (!On)
                UnskinMenu(*Popup);
            else if (Kinds.Contains(xcPopupMenu) && Popup->Tag() % 100 != Disable)
                SkinMenu(*Popup, Frame, false);
        } else if (auto* Main = dynamic_cast<TMainMenu*>(C)) {
            if (!On)
                UnskinMenu(*Main);
            else if (Kinds.Contains(xcMenuItem))
                SkinMenu(*Main, Frame, true);
        }
    }
}

void SkinMenuItems(IMenuStripFrame& Frame, TMenu& Menu, bool On) {
    if (On)
        SkinItems(*Menu.Items(), Frame, false, 1);
    else
        TakeHandlers(*Menu.Items());
}

namespace {

// A form's items are ours (or the system's from FirstSystemCommand on); a plain window's are
// all native.
bool MeasureItemMessage(IMenuStripFrame& Frame, TSkinData& Skin, MEASUREITEMSTRUCT& S) {
    TMenuItem* Item = TMenuItem::FromItemData(S.itemData);
    TCustomForm* Form = Frame.MenuForm();
    if (Item && Form) {
        // The item's own measure, without any handler of its own.
        TMenuCanvas C;
        int W = 0, H = 0;
        Item->MeasureItem(C.Canvas(), W, H, false);
        GrowMainItem(Skin, *Item, W);
        S.itemWidth = static_cast<UINT>(std::max(W, 0));
        S.itemHeight = static_cast<UINT>(std::max(H, 0));
    } else if (!Form || S.itemID >= FirstSystemCommand) {
        MeasureNative(Frame, S);
    } else {
        return false;
    }
    return true;
}

bool DrawItemMessage(IMenuStripFrame& Frame, TSkinData& Skin, const DRAWITEMSTRUCT& S) {
    const auto Menu = reinterpret_cast<HMENU>(S.hwndItem);
    const bool Selected = (S.itemState & ODS_SELECTED) != 0;
    TMenuItem* Item = TMenuItem::FromItemData(S.itemData);
    TCustomForm* Form = Frame.MenuForm();
    if (Item && Form)
        DrawMenuItem(Skin, S.hDC, S.rcItem, LookOf(*Item), Selected, Frame.MenuRightToLeft(), Menu);
    else if (!Form || S.itemID >= FirstSystemCommand)
        DrawMenuItem(Skin, S.hDC, S.rcItem, NativeLook(Menu, S.itemID), Selected,
                     Frame.MenuRightToLeft(), Menu);
    else
        return false;
    return true;
}

} // namespace

bool SkinMenuItemMessage(IMenuStripFrame& Frame, TMessage& M) {
    TSkinData* Skin = Frame.MenuSkin();
    if (!Skin || !Skin->HasSkinObjects() || !M.LParam) return false;
    try {
        bool Drawn = false;
        if (M.Msg == WM_MEASUREITEM) {
            auto& S = *reinterpret_cast<MEASUREITEMSTRUCT*>(M.LParam);
            Drawn = S.CtlType == ODT_MENU && MeasureItemMessage(Frame, *Skin, S);
        } else if (M.Msg == WM_DRAWITEM) {
            auto& S = *reinterpret_cast<DRAWITEMSTRUCT*>(M.LParam);
            Drawn = S.CtlType == ODT_MENU && DrawItemMessage(Frame, *Skin, S);
        }
        if (Drawn) M.Result = TRUE;
        return Drawn;
    } catch (...) {
        // A broken skin leaves the item undrawn, never the window stuck.
        M.Result = TRUE;
        return true;
    }
}

void SkinMenuSelect(IMenuStripFrame& Frame, WPARAM WParam, LPARAM LParam) {
    if (Tracking().Frame != &Frame) return;
    try {
        MenuSelected(WParam, LParam);
    } catch (...) {
        // The menu goes on as the system runs it.
    }
}

bool SkinMenuHookInstalled() {
    return Tracking().Hook.Valid();
}

HMENU SkinMenuOpenPopup() {
    return Tracking().Menu ? Tracking().CurrentPopup : nullptr;
}

std::vector<HWND> SkinMenuWindows() {
    std::vector<HWND> Found;
    HWND W = nullptr;
    while ((W = FindWindowExW(nullptr, W, L"#32768", nullptr)))
        if (IsWindowVisible(W) && GetWindowThreadProcessId(W, nullptr) == GetCurrentThreadId())
            Found.push_back(W);
    return Found;
}
