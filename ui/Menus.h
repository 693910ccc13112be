// Menus: TMenuItem trees behind native menus, the main menu a form shows as its menu bar and
// popup menus shown at a point.
//
//   object MainMenu1: TMainMenu            a form's Menu = MainMenu1 makes it the menu bar
//     Images = ImageList1
//     object File1: TMenuItem
//       Caption = '&File'
//       object Open1: TMenuItem
//         Caption = '&Open...'
//         ShortCut = 'Ctrl+O'              or the number 16463
//         ImageIndex = 0
//         OnClick = Open1Click
//       end
//     end
//   end
//
// Each item with sub-items owns the native popup menu that lists them; the native menus are
// rebuilt when an item changes. Items carry command identifiers below 4096 (higher ones are
// the system's). A menu with OwnerDraw on, or with an image list, has its items owner-drawn:
// an item's OnMeasureItem and OnDrawItem replace the built-in measuring and drawing, which
// shows the image, the check mark, the caption and the shortcut text; their accelerators keep
// working through WM_MENUCHAR.
#pragma once

#include "Classes.h"
#include "Graphics.h"
#include "ImgList.h"
#include "Messages.h"
#include "UtilWindow.h"

#include <memory>
#include <vector>

class TMenu;
class TMainMenu;

// A component that can give a form its menu bar (the main menu).
class IMenuSource {
  public:
    virtual HMENU MenuHandle() = 0;
    // Menu commands and owner-drawing messages reaching the form; true when handled.
    virtual bool DispatchMenuMessage(TMessage& Message) {
        (void)Message;
        return false;
    }

  protected:
    ~IMenuSource() = default;
};

// What a main menu needs of the component that owns it and shows it as a window's menu bar (a
// form), so that menus need not know forms.
class IMenuBarHost {
  public:
    // The window that shows Menu as its menu bar now, or nullptr.
    virtual HWND MenuBarWindow(const TMainMenu* Menu) = 0;
    // Menu goes: a window must not keep (and later destroy) it.
    virtual void MenuBarGoing(const TMainMenu* Menu) = 0;

  protected:
    ~IMenuBarHost() = default;
};

// A key with modifier flags: the virtual key in the low byte.
enum TShortCut : uint16_t {};
constexpr uint16_t scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000;
template <> struct TPropText<TShortCut> {
    static std::wstring ToText(TShortCut V);
    static TShortCut FromText(std::wstring_view T);
};
TShortCut ShortCut(WORD Key, uint16_t Modifiers);
// "Ctrl+O", "Shift+F5", "Del"; empty for none.
std::wstring ShortCutToText(TShortCut Value);
// The character after a caption's first single '&' ("&&" stands for an ampersand); 0 for none.
wchar_t CaptionAccelerator(std::wstring_view Caption);
// Takes what ShortCutToText gives, modifiers in any order and case; throws EConvertError.
TShortCut TextToShortCut(std::wstring_view Text);

using TMenuDrawItemEvent =
    std::function<void(TObject* Sender, TCanvas* ACanvas, RECT ARect, bool Selected)>;
using TMenuMeasureItemEvent =
    std::function<void(TObject* Sender, TCanvas* ACanvas, int& Width, int& Height)>;

class TMenuItem : public TComponent {
    DECLARE_CLASS(TMenuItem, TComponent)
  public:
    explicit TMenuItem(TComponent* AOwner);
    // Frees the sub-items too.
    ~TMenuItem() override;

    const std::wstring& Caption() const { return FCaption; }
    void SetCaption(const std::wstring& V);
    bool IsLine() const { return FCaption == L"-"; }
    bool Checked() const { return FChecked; }
    void SetChecked(bool V);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool V);
    bool Visible() const { return FVisible; }
    void SetVisible(bool V);
    bool Default() const { return FDefault; }
    void SetDefault(bool V);
    bool RadioItem() const { return FRadioItem; }
    void SetRadioItem(bool V);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int V);
    TShortCut ShortCut() const { return FShortCut; }
    void SetShortCut(TShortCut V);
    const std::wstring& Hint() const { return FHint; }
    void SetHint(const std::wstring& V) { FHint = V; }

    int Count() const { return static_cast<int>(FItems.size()); }
    TMenuItem* Items(int Index) const;
    TMenuItem* Parent() const { return FParent; }
    int MenuIndex() const;
    int IndexOf(const TMenuItem* Item) const;
    void Add(TMenuItem* Item);
    // Takes Item from any parent it had; Index may be Count().
    void Insert(int Index, TMenuItem* Item);
    // Takes the item out of the list without freeing it.
    void Remove(TMenuItem* Item);
    // Frees the item at Index.
    void Delete(int Index);
    // Frees all sub-items.
    void Clear();
    // The item (this one or below) with a command identifier; null when none.
    TMenuItem* FindCommand(UINT Command);

    // The live item whose sub-items a native menu lists, that carries a command identifier,
    // or whose pointer a native item carries as its data; null when there is none (the data
    // of another menu's item is recognised as not ours).
    static TMenuItem* FromHandle(HMENU Menu);
    static TMenuItem* FromCommand(UINT Command);
    static TMenuItem* FromItemData(ULONG_PTR Data);

    // The identifier WM_COMMAND carries for this item.
    UINT Command() const { return FCommand; }
    // The native popup menu listing the sub-items (made on first use).
    HMENU Handle();
    bool HandleAllocated() const { return FHandle.Valid(); }
    // The menu the item belongs to (through its parents); null when none.
    TMenu* GetParentMenu() const;
    // Owner-drawn: the menu draws its items itself.
    bool IsOwnerDraw() const;

    virtual void Click();
    // Built-in drawing (used when OnDrawItem is not assigned); public so that a handler may
    // draw the standard look and add to it.
    void DrawItem(TCanvas& Canvas, const RECT& R, bool Selected, bool MenuBar);
    void MeasureItem(TCanvas& Canvas, int& Width, int& Height, bool MenuBar);

    void SetParentComponent(TComponent* Parent) override;
    void Loaded() override;

    TNotifyEvent OnClick;
    TMenuDrawItemEvent OnDrawItem;
    TMenuMeasureItemEvent OnMeasureItem;

  private:
    friend class TMenu;
    // Re-creates the native items of this item's list (after a change of any of them).
    void RebuildHandle();
    // A property of this item changed: its parent shows it again.
    void Changed();
    void FillItemInfo(MENUITEMINFOW& Info, std::wstring& Text);

    std::wstring FCaption;
    bool FChecked = false;
    bool FEnabled = true;
    bool FVisible = true;
    bool FDefault = false;
    bool FRadioItem = false;
    int FImageIndex = -1;
    TShortCut FShortCut{};
    std::wstring FHint;
    UINT FCommand = 0;
    TMenuItem* FParent = nullptr;
    TMenu* FMenu = nullptr; // set on the root item of a menu
    std::vector<TMenuItem*> FItems;
    TMenuHandle FHandle;
};

class TMenu : public TComponent {
    DECLARE_CLASS(TMenu, TComponent)
  public:
    explicit TMenu(TComponent* AOwner);
    ~TMenu() override;

    // The root item; its sub-items are the menu's items.
    TMenuItem* Items() const { return FItems.get(); }
    HMENU Handle() { return FItems->Handle(); }
    TImageList* Images() const { return FImages; }
    void SetImages(TImageList* V);
    bool OwnerDraw() const { return FOwnerDraw; }
    void SetOwnerDraw(bool V);

    TMenuItem* FindItem(UINT Command) { return FItems->FindCommand(Command); }
    // Runs the item of a command identifier; false when the menu has none.
    bool DispatchCommand(UINT Command);
    // WM_MEASUREITEM / WM_DRAWITEM of an item of this menu; false for other items.
    bool DispatchOwnerDraw(TMessage& Message);
    // WM_MENUCHAR of a list of this menu (the system leaves owner-drawn items' accelerators to
    // the owner): the enabled item whose caption has the key runs; false for other menus.
    bool DispatchMenuChar(TMessage& Message);

    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Loaded() override;

  protected:
    friend class TMenuItem;
    // Fills every native list again (the items' styles depend on the menu's settings).
    void RefillAll();
    virtual bool IsMenuBar() const { return false; }
    // The native menu was rebuilt (the bar shows it again).
    virtual void MenuChanged() {}

  private:
    std::unique_ptr<TMenuItem> FItems;
    TImageList* FImages = nullptr;
    bool FOwnerDraw = false;
};

class TMainMenu : public TMenu, public IMenuSource {
    DECLARE_CLASS(TMainMenu, TMenu)
  public:
    explicit TMainMenu(TComponent* AOwner);
    ~TMainMenu() override;
    HMENU MenuHandle() override { return Handle(); }
    bool DispatchMenuMessage(TMessage& Message) override;

  protected:
    bool IsMenuBar() const override { return true; }
    void MenuChanged() override;
};

class TPopupMenu : public TMenu {
    DECLARE_CLASS(TPopupMenu, TMenu)
  public:
    explicit TPopupMenu(TComponent* AOwner);
    ~TPopupMenu() override;

    // Shows the menu with its top-left corner at a screen point and returns when it closed;
    // the chosen item's OnClick runs from the message queue right after.
    virtual void Popup(int X, int Y);
    bool AutoPopup() const { return FAutoPopup; }
    void SetAutoPopup(bool V) { FAutoPopup = V; }
    TComponent* PopupComponent() const { return FPopupComponent; }
    void SetPopupComponent(TComponent* V) { FPopupComponent = V; }
    POINT PopupPoint() const { return FPopupPoint; }
    // The hidden window that owns the menu while it shows (it hears the menu's messages).
    HWND WindowHandle() const { return FWindow.Handle(); }

    TNotifyEvent OnPopup;

  private:
    void WndProc(TMessage& M);
    TUtilityWindow FWindow;
    bool FAutoPopup = true;
    TComponent* FPopupComponent = nullptr;
    POINT FPopupPoint{-1, -1};
};
