// Menu skinning: the menu bar strip the skin paints inside the frame in place of the window's
// native menu bar (TWinSkinMenu, one TMenuBtn per top-level item), the drop-downs it opens
// itself and lets the user walk with the keyboard and the mouse, the skin's drawing of
// owner-drawn menu items, and the background and border of every popup menu window
// (TWinSkinPopMenu).
//
//   Frame.SkinMenu->BuildFromMainMenu(Form);      // takes the native menu bar off the window
//   Frame.SkinMenu->Place(Strip, Items, Cells);   // by the frame's layout
//   Frame.SkinMenu->PaintStrip(DC);               // inside the frame, below the caption
//   Frame.SkinMenu->OpenMenu(Index);              // returns when the drop-down closed
//
// While a drop-down is open a message-filter hook of this thread watches the menu's modal
// loop; it exists only between opening and closing.
#pragma once

#include "WinFrameLayout.h"
#include "WinNCObject.h"
#include "WinSkinData.h"

#include "Menus.h"
#include "WndSubclass.h"

#include <array>
#include <functional>
#include <memory>
#include <vector>

class TWinSkinMenu;

// What the menu strip and the skin's menu drawing need of the frame they belong to; the frame
// skin implements it, so menus never reach into the frame's own state.
class IMenuStripFrame : public INCObjectHost {
  public:
    // The window whose native menu the strip shows and which gets the menus' commands.
    virtual HWND MenuWindow() const = 0;
    // The skin the frame is drawn with now; null when none.
    virtual TSkinData* MenuSkin() const = 0;
    // The form whose menus the skin draws; null for a window without a form object.
    virtual TCustomForm* MenuForm() const = 0;
    // The window's system menu, whose items the system shows (not the skin).
    virtual HMENU NativeSystemMenu() const = 0;
    // The window reads right to left: the strip is laid out, and its menus walked, mirrored.
    virtual bool MenuRightToLeft() const = 0;
    // The frame shows its active look.
    virtual bool FrameActive() const = 0;
    // An MDI frame: a maximised child's caption buttons show in the strip.
    virtual bool IsMDIFrame() const = 0;
    // A screen point in frame (window) coordinates.
    virtual POINT ScreenToFrame(POINT ScreenPoint) const = 0;
    // The frame is drawn now with a strip below its caption, so a button may repaint alone.
    virtual bool StripShown() const = 0;
    // Paints the maximised MDI child's caption buttons into the strip's picture (its origin
    // at the strip's top-left corner); false when none shows.
    virtual bool PaintMDIChildButtons(HDC Strip) = 0;
    // The strip's buttons were made anew: the frame lays them out again.
    virtual void StripChanged() = 0;
    // A drop-down of the strip is open (the frame leaves its hover and menu keys alone).
    virtual void SetMenuTracking(bool Tracking) = 0;
    // Runs a change of the menus that would paint the frame for nothing, the frame's painting
    // suspended.
    virtual void WithoutFramePaint(const std::function<void()>& Change) = 0;

  protected:
    ~IMenuStripFrame() = default;
};

// A top-level item of the menu bar strip.
class TMenuBtn : public TNCObject {
  public:
    TMenuBtn(IMenuStripFrame& Frame, TWinSkinMenu& AStrip, TSkinData* Data)
        : TNCObject(Frame), SkinData(Data), Strip(AStrip) {}
    void Paint() override;

    TMenuItem* Item = nullptr; // null for an item of a native menu
    TSkinData* SkinData;
    int Index = 0;
    std::wstring Caption;
    bool Enabled = true;
    HMENU SubMenu = nullptr;
    UINT Command = 0;

  private:
    TWinSkinMenu& Strip;
};

class TWinSkinMenu : public TObject {
  public:
    TWinSkinMenu(IMenuStripFrame& AFrame, TSkinData* Data);
    ~TWinSkinMenu() override;

    // Each build replaces the buttons and takes the native menu off the window (kept until
    // it is given back). From the form's main menu (a window without a form
    // object: from its native menu); from the native menu with the main menu's items at the
    // same positions merged in; from a given native menu with the main menu's items of the
    // same command merged in.
    void BuildFromMainMenu(TCustomForm* Form);
    void BuildFromNativeMenu();
    void BuildFromMenu(HMENU Menu);
    // The window shows its native menu bar again, its items as they were before the skin.
    void GiveBackNativeMenu();
    // The window went without its native menu, which no one else holds: it goes too.
    void DestroyNativeMenu();

    // The strip's items as the frame's layout needs them; captions that Before holds at the
    // same place are not measured again.
    std::vector<TStripItem> StripItems(const std::vector<TStripItem>& Before) const;
    // The frame's layout places the strip (window coordinates) and each button in it.
    void Place(const RECT& Strip, const std::vector<TStripItem>& Items,
               const std::vector<RECT>& Cells);
    // Paints the strip into DC where it was placed.
    void PaintStrip(HDC DC);
    // One button in its state, over the strip's background as last painted.
    void PaintButton(TMenuBtn& Button);
    // The skin changed: the strip is composed anew at its next paint.
    void Invalidate();
    // The button at a frame point (with a caption); null when none.
    TMenuBtn* ButtonAt(POINT FramePoint) const;
    // The visible, enabled button whose caption has this accelerator; null when none.
    TMenuBtn* ButtonForAccelerator(wchar_t Key) const;
    // A frame object was pressed: a button of the strip opens its menu.
    void ButtonPressed(TNCObject* Object);
    // Posts the button's command and tracks its drop-down, if it has one and is enabled.
    void OpenMenu(int Index);

    // The strip's buttons, one per top-level item, in the strip's order.
    const std::vector<std::unique_ptr<TMenuBtn>>& MenuButtons() const { return FMenuButtons; }
    int ButtonCount() const { return FButtonCount; }
    // The form's main menu the strip shows; null for a native menu.
    TMainMenu* MainMenu() const { return FMainMenu; }
    // The strip's place in the window, as the frame's layout placed it.
    const RECT& StripRect() const { return FStripRect; }
    // The strip's ground as last painted (what lies behind its buttons).
    const TBitmap& Background() const { return FBackground; }
    // Copies the ground behind a rectangle of the window (window coordinates) into DC at
    // its origin; false when the strip has no ground yet.
    bool CopyGround(HDC DC, const RECT& Part);
    // The native menu taken off the window, until it is given back.
    HMENU NativeMenu() const { return FNativeMenu; }
    void SetNativeMenu(HMENU Menu) { FNativeMenu = Menu; }

    TSkinData* SkinData;

  private:
    std::vector<std::unique_ptr<TMenuBtn>> FMenuButtons;
    TMainMenu* FMainMenu = nullptr;
    RECT FStripRect{};
    TBitmap FBackground;
    int FButtonCount = 0;
    HMENU FNativeMenu = nullptr;
    IMenuStripFrame& FFrame;
    enum TNativeBuild { nbPlain, nbMerge, nbGiven };
    void BuildNative(TNativeBuild Kind);
    // A button of the native menu takes the main menu's item at its place (nbMerge) or of its
    // command (nbGiven): its caption, state and drop-down. P: its place in the native menu.
    void MergeMainMenuItem(TMenuBtn& B, TMenuItem& Root, TNativeBuild Kind, int P);
    void ClearButtons();
    void TakeMenuOffWindow();
    void TidySeparators(TMenuItem& Parent);
    // The hook, the frame and the drop-down Sub made ready to track it for the button at Index.
    void BeginTracking(int Index, HMENU Sub);
    // The button that was open shows hot while the pointer is on it (and no other drop-down
    // follows), else normal again.
    void SettleButtonAfterDropDown(int Index, bool MovingOn);
    // The next drop-down opens from the message queue, as a press on its button.
    void PressButtonLater(const RECT& Window, const TMenuBtn& Next);
    void MakeOwnerDrawn(HMENU Menu);
    void RestoreOwnerDraw();
    // The strip anew, in the active (1) or inactive (0) look, into the skin's work bitmap.
    void ComposeStrip(int Look);
    std::vector<RECT> Cells() const;
    void PaintMDIButtons(HDC Strip);

    // Items that were made owner-drawn for a drop-down and are made plain again when the
    // native menu goes back to the window.
    struct TConverted {
        HMENU Menu;
        UINT Id;
        HMENU SubMenu;
        ULONG_PTR Data;
    };
    std::vector<TConverted> FConverted;

    // The strip as last composed for each look (inactive, active), with its background, so a
    // repaint of an unchanged strip is one copy.
    struct TStripLook {
        TBitmap Strip, Ground;
        const TDataSkinObject* Bar = nullptr;
        bool Valid = false;
    };
    std::array<TStripLook, 2> FLooks;
    int FBackgroundLook = -1;       // the look Background holds
    std::vector<TStripItem> FItems; // as placed
};

// The strip's painters, over a picture of the strip alone (its origin at the strip's top-left
// corner): the bar's ground, then the items' captions at their cells (Cells in window
// coordinates, as the layout gives them, Strip the strip's place).
void PaintStripGround(HDC DC, const TSkinData& Skin, int W, int H, bool Active);
void PaintStripCaptions(HDC DC, const TSkinData& Skin, const RECT& Strip,
                        const std::vector<TStripItem>& Items, const std::vector<RECT>& Cells);

// The skin of one popup menu window (class "#32768"), attached by the skin manager.
class TWinSkinPopMenu : public TObject {
  public:
    TWinSkinPopMenu() = default;
    ~TWinSkinPopMenu() override;
    void Attach(HWND AWnd, TSkinData* Data);
    void Detach();
    // Where the client area starts in the window (the system's border around the items).
    POINT ClientOffset() const;

    HWND Wnd = nullptr;
    TSkinData* SkinData = nullptr;
    HMENU MenuHandle = nullptr; // learned from the first item drawn
    TBitmap Background;

  private:
    void WndProc(TMessage& M);
    void OnNcPaint(TMessage& M);
    void OnPrintClient(TMessage& M);
    void OnPaint(TMessage& M);
    bool Skinned() const;
    void MakeBackground();
    void PaintRing(HDC DC);
    TWindowSubclass FSubclass;
};

// Owner drawing of a form's menus through the skin, switched on with the skin and off again.
void SkinFormMenus(IMenuStripFrame& Frame, bool On);
// The skin's drawing of one menu's items (the skin's own system menu).
void SkinMenuItems(IMenuStripFrame& Frame, TMenu& Menu, bool On);
// WM_MEASUREITEM and WM_DRAWITEM of menu items that reach a frame with a menu strip; false when
// not a menu item the skin draws.
bool SkinMenuItemMessage(IMenuStripFrame& Frame, TMessage& M);
// WM_MENUSELECT reaching the frame while one of its drop-downs is open.
void SkinMenuSelect(IMenuStripFrame& Frame, WPARAM WParam, LPARAM LParam);
// Whether the drop-down tracking hook is installed (only while a drop-down is open).
bool SkinMenuHookInstalled();
// The menu the open drop-down of the menu bar shows; null when none is open.
HMENU SkinMenuOpenPopup();
// The shown menu windows of this thread, topmost first.
std::vector<HWND> SkinMenuWindows();
