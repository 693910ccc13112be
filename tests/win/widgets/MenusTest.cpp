// Menus under Wine: the gallery's main menu as the form's native menu bar, commands reaching
// their items, owner drawing through the items' events, and a popup menu shown at a point and
// clicked with the real pointer.
#include "GalleryForm.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

namespace {

void Pump() {
    Application->ProcessMessages();
}

std::unique_ptr<TGalleryForm> MakeGallery() {
    std::unique_ptr<TGalleryForm> F(TCustomForm::CreateForm<TGalleryForm>(nullptr));
    F->SetFormStyle(fsStayOnTop);
    F->Show();
    SetForegroundWindow(F->Handle());
    Pump();
    return F;
}

template <class C> C* Find(TComponent& Root, const wchar_t* Name) {
    auto* X = dynamic_cast<C*>(Root.FindComponent(Name));
    EXPECT_NE(X, nullptr) << Name;
    return X;
}

MENUITEMINFOW ItemInfo(HMENU Menu, UINT Pos, std::wstring* Text = nullptr) {
    wchar_t Buffer[128] = {};
    MENUITEMINFOW I{};
    I.cbSize = sizeof(I);
    I.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    I.dwTypeData = Buffer;
    I.cch = 127;
    GetMenuItemInfoW(Menu, Pos, TRUE, &I);
    if (Text) *Text = Buffer;
    return I;
}

// Runs Step every 20 ms inside whatever modal loop is running (a menu's) until it answers
// true or 5 s have passed.
class TModalSteps {
  public:
    explicit TModalSteps(std::function<bool()> Step) : FStep(std::move(Step)) {
        Current = this;
        FStart = GetTickCount();
        FTimer = SetTimer(nullptr, 0, 20, &TModalSteps::Tick);
    }
    ~TModalSteps() {
        KillTimer(nullptr, FTimer);
        Current = nullptr;
    }
    bool Done = false;
    bool TimedOut = false;

  private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        TModalSteps* S = Current;
        if (!S || S->Done) return;
        if (GetTickCount() - S->FStart > 5000) {
            S->TimedOut = S->Done = true;
            EndMenu();
            return;
        }
        if (S->FStep()) S->Done = true;
    }
    static inline TModalSteps* Current = nullptr;
    std::function<bool()> FStep;
    DWORD FStart = 0;
    UINT_PTR FTimer = 0;
};

HWND FindPopupWindow() {
    HWND W = nullptr;
    while ((W = FindWindowExW(nullptr, W, L"#32768", nullptr)))
        if (IsWindowVisible(W)) return W;
    return nullptr;
}

} // namespace

TEST(Menus, ShortcutTextRoundTrip) {
    EXPECT_EQ(ShortCutToText(ShortCut('O', scCtrl)), L"Ctrl+O");
    EXPECT_EQ(ShortCutToText(ShortCut(VK_F5, scShift | scAlt)), L"Shift+Alt+F5");
    EXPECT_EQ(ShortCutToText(ShortCut(VK_DELETE, 0)), L"Del");
    EXPECT_EQ(ShortCutToText(TShortCut{}), L"");
    EXPECT_EQ(TextToShortCut(L"ctrl+shift+f12"), ShortCut(VK_F12, scCtrl | scShift));
    EXPECT_EQ(TextToShortCut(L" Alt + PgDn "), ShortCut(VK_NEXT, scAlt));
    EXPECT_EQ(TextToShortCut(ShortCutToText(ShortCut(0xBB, scCtrl))), ShortCut(0xBB, scCtrl));
    EXPECT_THROW(TextToShortCut(L"Ctrl+Nothing"), EConvertError);
    EXPECT_THROW(TextToShortCut(L"Hyper+A"), EConvertError);
    // The stored form also takes the number.
    TMenuItem Item(nullptr);
    SetPropText(Item, L"ShortCut", L"16463");
    EXPECT_EQ(GetPropText(Item, L"ShortCut"), L"Ctrl+O");
    EXPECT_THROW(SetPropText(Item, L"ShortCut", L"70000"), EPropertyError);
}

TEST(Menus, MainMenuBecomesTheFormsNativeMenu) {
    auto F = MakeGallery();
    auto* Menu = Find<TMainMenu>(*F, L"MainMenu1");
    HMENU Bar = GetMenu(F->Handle());
    ASSERT_EQ(Bar, Menu->Handle());
    ASSERT_EQ(GetMenuItemCount(Bar), 2);
    std::wstring Text;
    MENUITEMINFOW Top = ItemInfo(Bar, 0, &Text);
    EXPECT_EQ(Text, L"&File");
    EXPECT_FALSE(Top.fType & MFT_OWNERDRAW); // the bar keeps the system's look
    HMENU File = Top.hSubMenu;
    ASSERT_NE(File, nullptr);
    // Nine items: the hidden one is left out.
    ASSERT_EQ(GetMenuItemCount(File), 9);
    MENUITEMINFOW New = ItemInfo(File, 0, &Text);
    EXPECT_EQ(Text, L"&New\tCtrl+N");
    EXPECT_TRUE(New.fType & MFT_OWNERDRAW); // the menu has images
    EXPECT_EQ(New.wID, Find<TMenuItem>(*F, L"MenuNew")->Command());
    EXPECT_LT(New.wID, 4096u);
    ItemInfo(File, 1, &Text);
    EXPECT_EQ(Text, L"&Open...\tCtrl+O");
    EXPECT_TRUE(ItemInfo(File, 2).fType & MFT_SEPARATOR);
    EXPECT_TRUE(ItemInfo(File, 3).fState & MFS_CHECKED);
    EXPECT_TRUE(ItemInfo(File, 4).fType & MFT_RADIOCHECK);
    EXPECT_TRUE(ItemInfo(File, 5).fState & MFS_DISABLED);
    EXPECT_TRUE(ItemInfo(File, 6).fState & MFS_DEFAULT);

    // Commands reach their items, from the bar or from whoever posts them (the skin does).
    SendMessageW(F->Handle(), WM_COMMAND, Find<TMenuItem>(*F, L"MenuAbout")->Command(), 0);
    EXPECT_EQ(F->LastMenuClick, L"MenuAbout");
    SendMessageW(F->Handle(), WM_COMMAND, Find<TMenuItem>(*F, L"MenuRadio")->Command(), 0);
    EXPECT_EQ(F->LastMenuClick, L"MenuRadio");

    // Changes show at once.
    auto* Hidden = Find<TMenuItem>(*F, L"MenuHidden");
    Hidden->SetVisible(true);
    EXPECT_EQ(GetMenuItemCount(File), 10);
    Find<TMenuItem>(*F, L"MenuNew")->SetCaption(L"新建");
    ItemInfo(File, 0, &Text);
    EXPECT_EQ(Text, L"新建\tCtrl+N");
    delete Hidden;
    EXPECT_EQ(GetMenuItemCount(File), 9);
    // An item nested in a non-menu is refused.
    TMenuItem Loose(nullptr);
    EXPECT_THROW(Loose.SetParentComponent(F.get()), EComponentError);
    EXPECT_THROW(Loose.Add(&Loose), EComponentError);
}

TEST(Menus, OwnerDrawnPopupItemsAreMeasuredAndDrawnThroughTheirEvents) {
    auto F = MakeGallery();
    auto* Popup = Find<TPopupMenu>(*F, L"PopupMenu1");
    auto* Copy = Find<TMenuItem>(*F, L"PopupCopy");
    std::vector<std::wstring> Events;
    int DrawnWidth = 0;
    Copy->OnMeasureItem = [&](TObject* Sender, TCanvas* Canvas, int& W, int& H) {
        ASSERT_EQ(Sender, Copy);
        ASSERT_NE(Canvas, nullptr);
        Events.push_back(L"measure " + IntToStr(W > 0) + L" " + IntToStr(H > 0));
        W = 150;
        H = 30;
    };
    Copy->OnDrawItem = [&](TObject*, TCanvas* Canvas, RECT R, bool Selected) {
        Events.push_back(std::wstring(L"draw") + (Selected ? L" selected" : L""));
        DrawnWidth = R.right - R.left;
        Canvas->Brush()->SetColor(clLime);
        Canvas->FillRect(R);
    };
    COLORREF Seen = 0;
    TModalSteps Steps([&] {
        HWND W = FindPopupWindow();
        if (!W || Events.empty() || Events.back().rfind(L"draw", 0) != 0) return false;
        // The drawn item is the first one; its look is what the handler painted.
        TWindowDC Menu(W, true);
        Seen = GetPixel(Menu, 10, 10);
        EndMenu();
        return true;
    });
    Popup->Popup(200, 150);
    Pump();
    ASSERT_FALSE(Steps.TimedOut) << "the popup never drew its item";
    ASSERT_GE(Events.size(), 2u);
    EXPECT_EQ(Events[0], L"measure 1 1"); // the standard measure comes first
    EXPECT_EQ(Events[1], L"draw");
    EXPECT_GE(DrawnWidth, 150);
    EXPECT_EQ(Seen, RGB(0, 255, 0));
}

TEST(Menus, PopupShowsAtThePointAndAClickRunsTheItem) {
    auto F = MakeGallery();
    auto* Popup = Find<TPopupMenu>(*F, L"PopupMenu1");
    bool Popped = false;
    Popup->OnPopup = [&](TObject*) { Popped = true; };
    RECT Shown{};
    TModalSteps Steps([&] {
        HWND W = FindPopupWindow();
        if (!W) return false;
        GetWindowRect(W, &Shown);
        // Left for a look: popup.bmp, the menu as drawn by its items.
        int MW = Shown.right - Shown.left, MH = Shown.bottom - Shown.top;
        TBitmap Look(MW, MH);
        TWindowDC Menu(W, true);
        BitBlt(Look.Canvas()->Handle(), 0, 0, MW, MH, Menu, 0, 0, SRCCOPY);
        TBytes Data = Look.SaveToStream();
        if (FILE* Out = fopen("popup.bmp", "wb")) {
            fwrite(Data.data(), 1, Data.size(), Out);
            fclose(Out);
        }
        RECT Item;
        if (!GetMenuItemRect(nullptr, Popup->Handle(), 1, &Item)) return false;
        // A real click on "Paste", the second item.
        SetCursorPos((Item.left + Item.right) / 2, (Item.top + Item.bottom) / 2);
        mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
        mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
        return true;
    });
    F->LastMenuClick.clear();
    Popup->Popup(300, 250);
    EXPECT_TRUE(Popped);
    Pump();
    ASSERT_FALSE(Steps.TimedOut) << "the popup never showed";
    EXPECT_EQ(Shown.left, 300);
    EXPECT_EQ(Shown.top, 250);
    EXPECT_EQ(Popup->PopupPoint().x, 300);
    EXPECT_EQ(F->LastMenuClick, L"PopupPaste");
}

TEST(Menus, FormsWithMenusComeAndGoWithoutLeaks) {
    // The first round fills the process's caches (fonts, classes).
    MakeGallery().reset();
    Pump();
    long Menus = LiveHandles(THandleKind::Menu);
    long Gdi = LiveHandles(THandleKind::GdiObject);
    long Windows = LiveHandles(THandleKind::Window);
    for (int I = 0; I < 3; ++I) {
        auto F = MakeGallery();
        // A window made again keeps its menu (the system destroys a window's menu with it).
        F->SetBorderIcons(TBorderIcons{biSystemMenu});
        ASSERT_TRUE(IsMenu(GetMenu(F->Handle())));
        ASSERT_EQ(GetMenuItemCount(GetMenu(F->Handle())), 2);
    }
    Pump();
    EXPECT_EQ(LiveHandles(THandleKind::Menu), Menus);
    EXPECT_EQ(LiveHandles(THandleKind::GdiObject), Gdi);
    EXPECT_EQ(LiveHandles(THandleKind::Window), Windows);
}

TEST(Menus, MainMenuDropDownTrackedByTheFormIsDrawnByItsItems) {
    // The skin's menu bar opens the drop-downs itself, with the form as their owner.
    auto F = MakeGallery();
    HMENU File = Find<TMenuItem>(*F, L"MenuFile")->Handle();
    bool GreenImage = false;
    TModalSteps Steps([&] {
        HWND W = FindPopupWindow();
        if (!W) return false;
        RECT R;
        GetWindowRect(W, &R);
        int MW = R.right - R.left, MH = R.bottom - R.top;
        TBitmap Look(MW, MH);
        TWindowDC Menu(W, true);
        BitBlt(Look.Canvas()->Handle(), 0, 0, MW, MH, Menu, 0, 0, SRCCOPY);
        // The first item's image (the green handset) sits in the glyph column.
        for (int Y = 0; Y < std::min(MH, 24); ++Y)
            for (int X = 0; X < 24; ++X) {
                const uint8_t* P = Look.ScanLine(Y) + X * 3;
                if (P[1] >= 140 && P[0] < 40 && P[2] < 40) GreenImage = true;
            }
        TBytes Data = Look.SaveToStream();
        if (FILE* Out = fopen("filemenu.bmp", "wb")) {
            fwrite(Data.data(), 1, Data.size(), Out);
            fclose(Out);
        }
        EndMenu();
        return true;
    });
    TrackPopupMenu(File, TPM_LEFTALIGN | TPM_TOPALIGN, F->Left() + 20, F->Top() + 60, 0,
                   F->Handle(), nullptr);
    Pump();
    ASSERT_FALSE(Steps.TimedOut) << "the drop-down never showed";
    EXPECT_TRUE(GreenImage);
}
