#include "Menus.h"

#include <algorithm>
#include <unordered_set>

// ---------------------------------------------------------------------------------------------
// Shortcuts

namespace {

struct TKeyName {
    WORD Key;
    const wchar_t* Name;
};

const TKeyName KeyNames[] = {
    {VK_BACK, L"BkSp"},   {VK_TAB, L"Tab"},    {VK_ESCAPE, L"Esc"}, {VK_RETURN, L"Enter"},
    {VK_SPACE, L"Space"}, {VK_PRIOR, L"PgUp"}, {VK_NEXT, L"PgDn"},  {VK_END, L"End"},
    {VK_HOME, L"Home"},   {VK_LEFT, L"Left"},  {VK_UP, L"Up"},      {VK_RIGHT, L"Right"},
    {VK_DOWN, L"Down"},   {VK_INSERT, L"Ins"}, {VK_DELETE, L"Del"},
};

std::wstring KeyToText(WORD Key) {
    if ((Key >= '0' && Key <= '9') || (Key >= 'A' && Key <= 'Z'))
        return std::wstring(1, static_cast<wchar_t>(Key));
    if (Key >= VK_F1 && Key <= VK_F24) return L"F" + IntToStr(Key - VK_F1 + 1);
    for (const auto& N : KeyNames)
        if (N.Key == Key) return N.Name;
    return L"#" + IntToStr(Key);
}

WORD TextToKey(const std::wstring& T) {
    if (T.size() == 1) {
        wchar_t C = static_cast<wchar_t>(towupper(T[0]));
        if ((C >= L'0' && C <= L'9') || (C >= L'A' && C <= L'Z')) return static_cast<WORD>(C);
    }
    for (const auto& N : KeyNames)
        if (SameText(T, N.Name)) return N.Key;
    long long V;
    if (T.size() >= 2 && (T[0] == L'F' || T[0] == L'f') && TryStrToInt64(T.substr(1), V) &&
        V >= 1 && V <= 24)
        return static_cast<WORD>(VK_F1 + V - 1);
    if (T.size() >= 2 && T[0] == L'#' && TryStrToInt64(T.substr(1), V) && V > 0 && V < 256)
        return static_cast<WORD>(V);
    return 0;
}

} // namespace

TShortCut ShortCut(WORD Key, uint16_t Modifiers) {
    return static_cast<TShortCut>((Key & 0xFF) | (Modifiers & (scShift | scCtrl | scAlt)));
}

std::wstring ShortCutToText(TShortCut Value) {
    WORD Key = Value & 0xFF;
    if (!Key) return {};
    std::wstring S;
    if (Value & scShift) S += L"Shift+";
    if (Value & scCtrl) S += L"Ctrl+";
    if (Value & scAlt) S += L"Alt+";
    return S + KeyToText(Key);
}

TShortCut TextToShortCut(std::wstring_view Text) {
    std::wstring Rest = Trim(Text);
    if (Rest.empty()) return TShortCut{};
    uint16_t Mods = 0;
    for (;;) {
        size_t Plus = Rest.find(L'+');
        // A lone "+" after a modifier would be the key itself; keys here have names.
        if (Plus == std::wstring::npos || Plus + 1 == Rest.size()) break;
        std::wstring Mod = Trim(Rest.substr(0, Plus));
        if (SameText(Mod, L"Shift"))
            Mods |= scShift;
        else if (SameText(Mod, L"Ctrl"))
            Mods |= scCtrl;
        else if (SameText(Mod, L"Alt"))
            Mods |= scAlt;
        else
            throw EConvertError(L"'" + std::wstring(Text) + L"' is not a shortcut");
        Rest = Trim(Rest.substr(Plus + 1));
    }
    WORD Key = TextToKey(Rest);
    if (!Key) throw EConvertError(L"'" + std::wstring(Text) + L"' is not a shortcut");
    return ShortCut(Key, Mods);
}

wchar_t CaptionAccelerator(std::wstring_view Caption) {
    for (size_t I = 0; I + 1 < Caption.size(); ++I)
        if (Caption[I] == L'&') {
            if (Caption[I + 1] != L'&') return Caption[I + 1];
            ++I;
        }
    return 0;
}

std::wstring TPropText<TShortCut>::ToText(TShortCut V) {
    return ShortCutToText(V);
}

TShortCut TPropText<TShortCut>::FromText(std::wstring_view T) {
    long long V;
    std::wstring S = Trim(T);
    if (TryStrToInt64(S, V)) {
        if (V < 0 || V > 0xFFFF) throw EConvertError(L"'" + S + L"' is not a shortcut");
        return static_cast<TShortCut>(V);
    }
    return TextToShortCut(S);
}

// ---------------------------------------------------------------------------------------------
// Items

namespace {

// Identifiers of 4096 and above belong to the system menu and MDI window lists.
constexpr UINT MaxCommand = 4095;

std::vector<bool>& UsedCommands() {
    static std::vector<bool> Used(MaxCommand + 1, false);
    return Used;
}

UINT AllocCommand() {
    auto& Used = UsedCommands();
    for (UINT I = 1; I <= MaxCommand; ++I)
        if (!Used[I]) {
            Used[I] = true;
            return I;
        }
    return 0; // all taken: the item still shows but sends no command
}

void FreeCommand(UINT C) {
    if (C) UsedCommands()[C] = false;
}

// Items alive now: a menu message carries an item pointer that is checked against this.
std::unordered_set<const TMenuItem*>& LiveItems() {
    static std::unordered_set<const TMenuItem*> Items;
    return Items;
}

// Takes the items out of a native menu without destroying their sub-menus, which belong to
// their own items.
void DetachAll(HMENU Menu) {
    while (GetMenuItemCount(Menu) > 0)
        if (!RemoveMenu(Menu, 0, MF_BYPOSITION)) break;
}

void DrawCheckMark(HDC DC, const RECT& R, COLORREF Color, bool Radio) {
    int CX = (R.left + R.right) / 2, CY = (R.top + R.bottom) / 2;
    TPenHandle Pen(CreatePen(PS_SOLID, 1, Color));
    TBrushHandle Brush(CreateSolidBrush(Color));
    TSelectObject SP(DC, Pen), SB(DC, Brush);
    if (Radio) {
        Ellipse(DC, CX - 3, CY - 3, CX + 3, CY + 3);
        return;
    }
    // A tick three pixels thick: down-right for three steps, then up-right for four.
    for (int T = 0; T < 3; ++T) {
        MoveToEx(DC, CX - 3, CY - 1 + T, nullptr);
        LineTo(DC, CX - 1, CY + 1 + T);
        LineTo(DC, CX + 4, CY - 4 + T);
    }
}

} // namespace

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner), FCommand(AllocCommand()) {
    LiveItems().insert(this);
}

TMenuItem::~TMenuItem() {
    Destroying();
    while (!FItems.empty())
        delete FItems.back();
    if (FParent) FParent->Remove(this);
    if (FHandle) DetachAll(FHandle);
    FreeCommand(FCommand);
    LiveItems().erase(this);
}

TMenuItem* TMenuItem::Items(int Index) const {
    if (Index < 0 || Index >= Count())
        throw EListError(L"Menu index out of bounds (" + IntToStr(Index) + L")");
    return FItems[static_cast<size_t>(Index)];
}

int TMenuItem::IndexOf(const TMenuItem* Item) const {
    auto It = std::find(FItems.begin(), FItems.end(), Item);
    return It == FItems.end() ? -1 : static_cast<int>(It - FItems.begin());
}

int TMenuItem::MenuIndex() const {
    return FParent ? FParent->IndexOf(this) : -1;
}

void TMenuItem::Add(TMenuItem* Item) {
    Insert(Count(), Item);
}

void TMenuItem::Insert(int Index, TMenuItem* Item) {
    if (!Item) throw EComponentError(L"No menu item to insert");
    for (const TMenuItem* P = this; P; P = P->FParent)
        if (P == Item) throw EComponentError(L"A menu item cannot hold itself");
    if (Item->FMenu) throw EComponentError(L"A menu's root item cannot be a sub-item");
    if (Item->FParent) Item->FParent->Remove(Item);
    if (Index < 0 || Index > Count())
        throw EListError(L"Menu index out of bounds (" + IntToStr(Index) + L")");
    FItems.insert(FItems.begin() + Index, Item);
    Item->FParent = this;
    RebuildHandle();
    // The item's own list keeps its native menu; it may need filling for a new menu's style.
    if (Item->FHandle) Item->RebuildHandle();
}

void TMenuItem::Remove(TMenuItem* Item) {
    auto It = std::find(FItems.begin(), FItems.end(), Item);
    if (It == FItems.end()) return;
    FItems.erase(It);
    Item->FParent = nullptr;
    RebuildHandle();
}

void TMenuItem::Delete(int Index) {
    delete Items(Index);
}

void TMenuItem::Clear() {
    while (!FItems.empty())
        delete FItems.back();
}

TMenuItem* TMenuItem::FromHandle(HMENU Menu) {
    if (!Menu) return nullptr;
    for (const TMenuItem* I : LiveItems())
        if (I->FHandle.Get() == Menu) return const_cast<TMenuItem*>(I);
    return nullptr;
}

TMenuItem* TMenuItem::FromCommand(UINT Command) {
    if (Command == 0 || Command > MaxCommand) return nullptr;
    for (const TMenuItem* I : LiveItems())
        if (I->FCommand == Command) return const_cast<TMenuItem*>(I);
    return nullptr;
}

TMenuItem* TMenuItem::FromItemData(ULONG_PTR Data) {
    auto* Item = reinterpret_cast<const TMenuItem*>(Data);
    return LiveItems().contains(Item) ? const_cast<TMenuItem*>(Item) : nullptr;
}

TMenuItem* TMenuItem::FindCommand(UINT Command) {
    if (Command == 0) return nullptr;
    if (FCommand == Command && !FMenu) return this;
    for (TMenuItem* I : FItems)
        if (TMenuItem* Found = I->FindCommand(Command)) return Found;
    return nullptr;
}

TMenu* TMenuItem::GetParentMenu() const {
    const TMenuItem* I = this;
    while (I->FParent)
        I = I->FParent;
    return I->FMenu;
}

bool TMenuItem::IsOwnerDraw() const {
    TMenu* M = GetParentMenu();
    if (!M || FMenu) return false;
    // The bar's own items keep the system's look unless the menu draws everything itself.
    if (M->IsMenuBar() && FParent && FParent->FMenu) return M->OwnerDraw();
    return M->OwnerDraw() || M->Images();
}

HMENU TMenuItem::Handle() {
    if (!FHandle) {
        TMenu* M = FMenu;
        FHandle.Reset(M && M->IsMenuBar() ? CreateMenu() : CreatePopupMenu());
        if (!FHandle) throw EOSError(L"CreateMenu", GetLastError());
        // Menu messages carry the native menu; its data leads back here.
        MENUINFO Info{};
        Info.cbSize = sizeof(Info);
        Info.fMask = MIM_MENUDATA;
        Info.dwMenuData = reinterpret_cast<ULONG_PTR>(this);
        SetMenuInfo(FHandle, &Info);
        RebuildHandle();
    }
    return FHandle;
}

void TMenuItem::FillItemInfo(MENUITEMINFOW& Info, std::wstring& Text) {
    Info = {};
    Info.cbSize = sizeof(Info);
    Info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_DATA | MIIM_SUBMENU | MIIM_STRING;
    if (IsLine()) Info.fType |= MFT_SEPARATOR;
    if (FRadioItem) Info.fType |= MFT_RADIOCHECK;
    if (IsOwnerDraw()) Info.fType |= MFT_OWNERDRAW;
    if (FChecked) Info.fState |= MFS_CHECKED;
    if (!FEnabled) Info.fState |= MFS_DISABLED;
    if (FDefault) Info.fState |= MFS_DEFAULT;
    Info.wID = FCommand;
    Info.hSubMenu = FItems.empty() ? nullptr : Handle();
    Info.dwItemData = reinterpret_cast<ULONG_PTR>(this);
    Text = FCaption;
    if (FShortCut) Text += L"\t" + ShortCutToText(FShortCut);
    Info.dwTypeData = Text.data();
    Info.cch = static_cast<UINT>(Text.size());
}

void TMenuItem::RebuildHandle() {
    if (!FHandle || ComponentState().Contains(csDestroying)) return;
    DetachAll(FHandle);
    UINT Pos = 0;
    for (TMenuItem* I : FItems) {
        if (!I->FVisible) continue;
        MENUITEMINFOW Info;
        std::wstring Text;
        I->FillItemInfo(Info, Text);
        if (InsertMenuItemW(FHandle, Pos, TRUE, &Info)) ++Pos;
    }
    if (TMenu* M = GetParentMenu(); M && !M->ComponentState().Contains(csDestroying))
        M->MenuChanged();
}

void TMenuItem::Changed() {
    if (FParent) FParent->RebuildHandle();
}

void TMenuItem::SetCaption(const std::wstring& V) {
    if (V == FCaption) return;
    FCaption = V;
    Changed();
}

void TMenuItem::SetChecked(bool V) {
    if (V == FChecked) return;
    FChecked = V;
    Changed();
}

void TMenuItem::SetEnabled(bool V) {
    if (V == FEnabled) return;
    FEnabled = V;
    Changed();
}

void TMenuItem::SetVisible(bool V) {
    if (V == FVisible) return;
    FVisible = V;
    Changed();
}

void TMenuItem::SetDefault(bool V) {
    if (V == FDefault) return;
    FDefault = V;
    Changed();
}

void TMenuItem::SetRadioItem(bool V) {
    if (V == FRadioItem) return;
    FRadioItem = V;
    Changed();
}

void TMenuItem::SetImageIndex(int V) {
    if (V == FImageIndex) return;
    FImageIndex = V;
    Changed();
}

void TMenuItem::SetShortCut(TShortCut V) {
    if (V == FShortCut) return;
    FShortCut = V;
    Changed();
}

void TMenuItem::Click() {
    if (OnClick) OnClick(this);
}

void TMenuItem::SetParentComponent(TComponent* Parent) {
    if (auto* M = dynamic_cast<TMenu*>(Parent))
        M->Items()->Add(this);
    else if (auto* I = dynamic_cast<TMenuItem*>(Parent))
        I->Add(this);
    else
        throw EComponentError(L"Menu item " + Name() + L" must be inside a menu or a menu item");
}

void TMenuItem::Loaded() {
    TComponent::Loaded();
    Changed();
}

void TMenuItem::MeasureItem(TCanvas& Canvas, int& Width, int& Height, bool MenuBar) {
    if (FDefault) Canvas.Font()->SetStyle(Canvas.Font()->Style() | TFontStyles{fsBold});
    if (IsLine()) {
        Width = 10;
        Height = 8;
        return;
    }
    RECT T{0, 0, 0, 0};
    std::wstring Caption = FCaption.empty() ? L" " : FCaption;
    DrawTextW(Canvas.Handle(), Caption.c_str(), static_cast<int>(Caption.size()), &T,
              DT_CALCRECT | DT_SINGLELINE);
    if (MenuBar) {
        Width = T.right + 8;
        Height = std::max<int>(T.bottom + 4, GetSystemMetrics(SM_CYMENU));
        return;
    }
    TImageList* Images = GetParentMenu() ? GetParentMenu()->Images() : nullptr;
    int Glyph = Images ? std::max(Images->Width(), 16) : 16;
    int GlyphH = Images ? Images->Height() : 16;
    Width = 2 + Glyph + 6 + T.right + 8;
    if (FShortCut) Width += 16 + Canvas.TextWidth(ShortCutToText(FShortCut));
    Height = std::max<int>(T.bottom + 6, GlyphH + 4);
}

void TMenuItem::DrawItem(TCanvas& Canvas, const RECT& R, bool Selected, bool MenuBar) {
    HDC DC = Canvas.Handle();
    Canvas.Brush()->SetStyle(bsSolid);
    Canvas.Brush()->SetColor(Selected ? clHighlight : clMenu);
    Canvas.FillRect(R);
    if (IsLine()) {
        RECT L{R.left + 1, (R.top + R.bottom) / 2 - 1, R.right - 1, R.bottom};
        DrawEdge(DC, &L, EDGE_ETCHED, BF_TOP);
        return;
    }
    if (FDefault) Canvas.Font()->SetStyle(Canvas.Font()->Style() | TFontStyles{fsBold});
    RECT Text = R;
    UINT Format = DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS;
    if (MenuBar) {
        Format |= DT_CENTER;
    } else {
        TImageList* Images = GetParentMenu() ? GetParentMenu()->Images() : nullptr;
        int Glyph = Images ? std::max(Images->Width(), 16) : 16;
        int GlyphH = Images ? Images->Height() : 16;
        RECT G{R.left + 2, R.top + (R.bottom - R.top - GlyphH) / 2, R.left + 2 + Glyph, 0};
        G.bottom = G.top + GlyphH;
        bool HasImage = Images && FImageIndex >= 0 && FImageIndex < Images->Count();
        if (HasImage) {
            if (FChecked) {
                RECT F = G;
                InflateRect(&F, 1, 1);
                Canvas.Brush()->SetColor(Selected ? clHighlight : cl3DLight);
                Canvas.FillRect(F);
                DrawEdge(DC, &F, BDR_SUNKENOUTER, BF_RECT);
            }
            TBitmap Image;
            Images->GetBitmap(FImageIndex, Image);
            int X = G.left + (Glyph - Images->Width()) / 2;
            RECT Src{0, 0, Image.Width(), Image.Height()};
            if (FEnabled)
                DrawTransparentPart(DC, X, G.top, Image, Src, Images->MaskColor());
            else
                DrawDisabledPart(DC, X, G.top, Image, Src, Images->MaskColor());
        } else if (FChecked) {
            TColor C = !FEnabled ? clGrayText : Selected ? clHighlightText : clMenuText;
            DrawCheckMark(DC, G, ColorToRGB(C) & 0xFFFFFF, FRadioItem);
        }
        Text.left = G.right + 6;
        Text.right -= 8;
    }
    std::wstring Caption = FCaption;
    std::wstring Short = MenuBar ? std::wstring() : ShortCutToText(FShortCut);
    Canvas.Brush()->SetStyle(bsClear);
    Canvas.Font()->SetColor(Selected ? clHighlightText : clMenuText);
    Canvas.TextExtent(L""); // selects the font and colours
    SetBkMode(DC, TRANSPARENT);
    auto Draw = [&](RECT Where, COLORREF Color) {
        SetTextColor(DC, Color);
        DrawTextW(DC, Caption.c_str(), static_cast<int>(Caption.size()), &Where, Format);
        if (!Short.empty())
            DrawTextW(DC, Short.c_str(), static_cast<int>(Short.size()), &Where,
                      DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
    };
    if (FEnabled) {
        Draw(Text, ColorToRGB(Selected ? clHighlightText : clMenuText) & 0xFFFFFF);
    } else if (Selected) {
        Draw(Text, ColorToRGB(clGrayText) & 0xFFFFFF);
    } else {
        RECT Lit = Text;
        OffsetRect(&Lit, 1, 1);
        Draw(Lit, ColorToRGB(clBtnHighlight) & 0xFFFFFF);
        Draw(Text, ColorToRGB(clBtnShadow) & 0xFFFFFF);
    }
}

// ---------------------------------------------------------------------------------------------
// Menus

TMenu::TMenu(TComponent* AOwner)
    : TComponent(AOwner), FItems(std::make_unique<TMenuItem>(nullptr)) {
    FItems->FMenu = this;
}

TMenu::~TMenu() {
    Destroying();
    FItems.reset();
}

void TMenu::SetImages(TImageList* V) {
    if (V == FImages) return;
    if (FImages) FImages->RemoveFreeNotification(this);
    FImages = V;
    if (V) V->FreeNotification(this);
    RefillAll();
}

void TMenu::SetOwnerDraw(bool V) {
    if (V == FOwnerDraw) return;
    FOwnerDraw = V;
    RefillAll();
}

void TMenu::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FImages) {
        FImages = nullptr;
        if (!ComponentState().Contains(csDestroying)) RefillAll();
    }
}

void TMenu::Loaded() {
    TComponent::Loaded();
    RefillAll();
}

void TMenu::RefillAll() {
    std::function<void(TMenuItem*)> Refill = [&](TMenuItem* I) {
        for (TMenuItem* C : I->FItems)
            Refill(C);
        I->RebuildHandle();
    };
    Refill(FItems.get());
}

bool TMenu::DispatchCommand(UINT Command) {
    TMenuItem* I = FindItem(Command);
    if (!I) return false;
    I->Click();
    return true;
}

bool TMenu::DispatchOwnerDraw(TMessage& M) {
    bool Measure = M.Msg == WM_MEASUREITEM;
    if (!Measure && M.Msg != WM_DRAWITEM) return false;
    UINT Type = Measure ? reinterpret_cast<MEASUREITEMSTRUCT*>(M.LParam)->CtlType
                        : reinterpret_cast<DRAWITEMSTRUCT*>(M.LParam)->CtlType;
    if (Type != ODT_MENU) return false;
    TMenuItem* Item =
        TMenuItem::FromItemData(Measure ? reinterpret_cast<MEASUREITEMSTRUCT*>(M.LParam)->itemData
                                        : reinterpret_cast<DRAWITEMSTRUCT*>(M.LParam)->itemData);
    if (!Item || Item->GetParentMenu() != this) return false;
    bool Bar = IsMenuBar() && Item->FParent == FItems.get();
    TCanvas Canvas;
    Canvas.Font()->Assign(*SystemMenuFont());
    if (Measure) {
        auto* S = reinterpret_cast<MEASUREITEMSTRUCT*>(M.LParam);
        TWindowDC ScreenDC(nullptr);
        int W = 0, H = 0;
        {
            TCanvasDC Bound(Canvas, ScreenDC);
            Item->MeasureItem(Canvas, W, H, Bar);
            if (Item->OnMeasureItem) Item->OnMeasureItem(Item, &Canvas, W, H);
        }
        S->itemWidth = static_cast<UINT>(std::max(W, 0));
        S->itemHeight = static_cast<UINT>(std::max(H, 0));
    } else {
        auto* S = reinterpret_cast<DRAWITEMSTRUCT*>(M.LParam);
        bool Selected = S->itemState & (ODS_SELECTED | ODS_HOTLIGHT);
        RECT R = S->rcItem;
        if (Item->OnDrawItem) {
            // A handler draws on the menu itself (it composes off-screen when it wants to).
            TCanvasDC Bound(Canvas, S->hDC);
            Item->OnDrawItem(Item, &Canvas, R, Selected);
        } else {
            int W = R.right - R.left, H = R.bottom - R.top;
            if (W > 0 && H > 0) {
                TBitmap Buffer(W, H);
                Buffer.Canvas()->Font()->Assign(*Canvas.Font());
                Item->DrawItem(*Buffer.Canvas(), {0, 0, W, H}, Selected, Bar);
                BitBlt(S->hDC, R.left, R.top, W, H, Buffer.Canvas()->Handle(), 0, 0, SRCCOPY);
            }
        }
    }
    M.Result = TRUE;
    return true;
}

bool TMenu::DispatchMenuChar(TMessage& M) {
    if (M.Msg != WM_MENUCHAR) return false;
    TMenuItem* List = TMenuItem::FromHandle(reinterpret_cast<HMENU>(M.LParam));
    if (!List || List->GetParentMenu() != this) return false;
    const wchar_t Key = static_cast<wchar_t>(towupper(LOWORD(M.WParam)));
    // Positions count the items the native list shows: the visible ones.
    UINT Position = 0;
    for (TMenuItem* I : List->FItems) {
        if (!I->FVisible) continue;
        const wchar_t A = CaptionAccelerator(I->FCaption);
        if (I->FEnabled && A && static_cast<wchar_t>(towupper(A)) == Key) {
            M.Result = MAKELRESULT(Position, MNC_EXECUTE);
            return true;
        }
        ++Position;
    }
    return false;
}

TMainMenu::TMainMenu(TComponent* AOwner) : TMenu(AOwner) {}

TMainMenu::~TMainMenu() {
    if (auto* Host = dynamic_cast<IMenuBarHost*>(Owner())) Host->MenuBarGoing(this);
}

bool TMainMenu::DispatchMenuMessage(TMessage& M) {
    switch (M.Msg) {
    case WM_COMMAND:
        return HIWORD(M.WParam) == 0 && M.LParam == 0 && DispatchCommand(LOWORD(M.WParam));
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
        return M.WParam == 0 && DispatchOwnerDraw(M);
    case WM_MENUCHAR:
        return DispatchMenuChar(M);
    case WM_INITMENUPOPUP: {
        // An item whose sub-menu opens is clicked as well.
        std::function<TMenuItem*(TMenuItem*)> Find = [&](TMenuItem* I) -> TMenuItem* {
            if (I->HandleAllocated() && I->Handle() == reinterpret_cast<HMENU>(M.WParam)) return I;
            for (int K = 0; K < I->Count(); ++K)
                if (TMenuItem* F = Find(I->Items(K))) return F;
            return nullptr;
        };
        if (TMenuItem* I = Find(Items()); I && I != Items()) I->Click();
        return false;
    }
    default:
        return false;
    }
}

void TMainMenu::MenuChanged() {
    auto* Host = dynamic_cast<IMenuBarHost*>(Owner());
    HWND Window = Host ? Host->MenuBarWindow(this) : nullptr;
    if (!Window) return;
    DrawMenuBar(Window);
    SendMessageW(Window, CM_MENUCHANGED, 0, 0);
}

TPopupMenu::TPopupMenu(TComponent* AOwner)
    : TMenu(AOwner), FWindow([this](TMessage& M) { WndProc(M); }, this) {}

TPopupMenu::~TPopupMenu() = default;

void TPopupMenu::Popup(int X, int Y) {
    FPopupPoint = {X, Y};
    if (OnPopup) OnPopup(this);
    HMENU Menu = Handle();
    // Without the foreground the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(FWindow.Handle());
    TrackPopupMenu(Menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, X, Y, 0, FWindow.Handle(),
                   nullptr);
    PostMessageW(FWindow.Handle(), WM_NULL, 0, 0);
}

void TPopupMenu::WndProc(TMessage& M) {
    switch (M.Msg) {
    case WM_COMMAND:
        if (HIWORD(M.WParam) == 0 && DispatchCommand(LOWORD(M.WParam))) return;
        break;
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
        if (DispatchOwnerDraw(M)) return;
        break;
    case WM_MENUCHAR:
        if (DispatchMenuChar(M)) return;
        break;
    default:
        break;
    }
    FWindow.DefaultHandler(M);
}

PUBLISHED(TMenuItem) {
    p.Property(L"Caption", &TMenuItem::Caption, &TMenuItem::SetCaption);
    p.Property(L"Checked", &TMenuItem::Checked, &TMenuItem::SetChecked);
    p.Property(L"Default", &TMenuItem::Default, &TMenuItem::SetDefault);
    p.Property(L"Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled);
    p.Property(L"Hint", &TMenuItem::Hint, &TMenuItem::SetHint);
    p.Property(L"ImageIndex", &TMenuItem::ImageIndex, &TMenuItem::SetImageIndex);
    p.Property(L"RadioItem", &TMenuItem::RadioItem, &TMenuItem::SetRadioItem);
    p.Property(L"ShortCut", &TMenuItem::ShortCut, &TMenuItem::SetShortCut);
    p.Property(L"Visible", &TMenuItem::Visible, &TMenuItem::SetVisible);
    p.Property(L"Command", &TMenuItem::Command);
    p.Property(L"OnClick", &TMenuItem::OnClick);
    p.Property(L"OnDrawItem", &TMenuItem::OnDrawItem);
    p.Property(L"OnMeasureItem", &TMenuItem::OnMeasureItem);
}

PUBLISHED(TMenu) {
    p.Property(L"Images", &TMenu::Images, &TMenu::SetImages);
    p.Property(L"OwnerDraw", &TMenu::OwnerDraw, &TMenu::SetOwnerDraw);
}

PUBLISHED(TMainMenu) {}

PUBLISHED(TPopupMenu) {
    p.Property(L"AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup);
    p.Property(L"OnPopup", &TPopupMenu::OnPopup);
}
