// Menu skinning: the menu bar strip the skin paints inside the frame in place of the window's
// native menu bar (TWinSkinMenu, one TMenuBtn per top-level item), the skin's drawing of
// owner-drawn menu items, and the background and border of every popup menu window
// (TWinSkinPopMenu).
#pragma once

#include "WinSkinData.h"
#include "WinSkinForm.h"

#include "Menus.h"
#include "WndSubclass.h"

#include <memory>
#include <vector>

// A top-level item of the menu bar strip.
class TMenuBtn : public TNCObject {
  public:
    TMenuBtn(TWinSkinForm* AOwner, TSkinData* Data) : TNCObject(AOwner), SkinData(Data) {}
    void Paint() override;

    TMenuItem* Item = nullptr; // null for an item of a native menu
    TSkinData* SkinData;
    int Index = 0;
    std::wstring Caption;
    bool Enabled = true;
    HMENU SubMenu = nullptr;
    UINT Command = 0;
};

class TWinSkinMenu : public TObject {
  public:
    TWinSkinMenu(TWinSkinForm* AOwner, TSkinData* Data);
    ~TWinSkinMenu() override;

    // Each build replaces the buttons and takes the native menu off the window (kept in
    // NativeMenu until it is given back).
    void BuildFromMainMenu(TCustomForm* Form);
    void BuildFromNativeMenu();
    void BuildFromMenu(HMENU Menu);
    void GiveBackNativeMenu();

    // Paints the strip into DC over Rect (window coordinates).
    void PaintStrip(HDC DC, const RECT& Rect);
    // The button at a frame point (with a caption); null when none.
    TMenuBtn* ButtonAt(POINT FramePoint) const;
    // The visible, enabled button whose caption has this accelerator; null when none.
    TMenuBtn* ButtonForAccelerator(wchar_t Key) const;
    // A frame object was pressed: a button of the strip opens its menu.
    void ButtonPressed(TNCObject* Object);

    std::vector<std::unique_ptr<TMenuBtn>> MenuButtons;
    TMainMenu* MainMenu = nullptr;
    RECT StripRect{};
    TSkinData* SkinData;
    TWinSkinForm* Owner;
    TBitmap Background;
    int ButtonCount = 0;
    HMENU NativeMenu = nullptr;
};

// The skin of one popup menu window (class "#32768"), attached by the skin manager.
class TWinSkinPopMenu : public TObject {
  public:
    TWinSkinPopMenu() = default;
    ~TWinSkinPopMenu() override { Detach(); }
    void Attach(HWND AWnd, TSkinData* Data);
    void Detach();

    HWND Wnd = nullptr;
    TSkinData* SkinData = nullptr;
    HMENU MenuHandle = nullptr; // learned from the first item drawn
    TBitmap Background;

  private:
    void WndProc(TMessage& M);
    TWindowSubclass FSubclass;
};

// Owner drawing of a form's menus through the skin, switched on with the skin and off again.
void SkinFormMenus(TWinSkinForm& Frame, bool On);
// The skin's drawing of one menu's items (the skin's own system menu).
void SkinMenuItems(TWinSkinForm& Frame, TMenu& Menu, bool On);
// WM_MEASUREITEM and WM_DRAWITEM of menu items that reach the frame; false when not a menu item
// the skin draws.
bool SkinMenuItemMessage(TWinSkinForm& Frame, TMessage& M);
