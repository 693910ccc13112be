// The skin test window: a form wearing the default skin, with buttons that switch the skin off
// and on while the program runs, show a message box (which wears the skin's dialog frame), give
// the window a caption too long for its caption strip and pop a menu up; its menu bar
// (Menus.txt) has drop-downs with sub-menus, glyphs, shortcuts, checked, default and disabled
// items, separators in every awkward place and a disabled top-level item. Beside them stands one
// of each control the skin dresses: buttons of every kind, edits, the three combo box styles
// and a right-to-left one, a memo with both scroll bars, a list box, scroll-bar controls in a
// holder, check boxes and radio buttons in their states, a group box, progress bars and track
// bars lying and standing, up-down arrows beside an edit, a list view with its header, a
// status bar with three panels, a page control, tab controls with their tabs on each side and
// a tab set with its scroller.
#pragma once

#include "SkinTestMenus.h"
#include "StdCtrls.h"
#include "WinSkinData.h"

class TScrollBarPanel : public TPanel {
    DECLARE_CLASS(TScrollBarPanel, TPanel)
  public:
    using TPanel::TPanel;
};

class TRightToLeftComboBox : public TComboBox {
    DECLARE_CLASS(TRightToLeftComboBox, TComboBox)
  public:
    using TComboBox::TComboBox;

  protected:
    void CreateParams(TCreateParams& P) override {
        TComboBox::CreateParams(P);
        P.ExStyle |= WS_EX_LEFTSCROLLBAR;
    }
};

class TSkinTestForm : public TForm {
    DECLARE_CLASS(TSkinTestForm, TForm)
  public:
    explicit TSkinTestForm(TComponent* AOwner);

    void ToggleSkin();
    void ShowMessageBox();
    void ToggleCaption();
    void ShowPopupMenu();

    TSkinData* SkinData1 = nullptr;
    TButton* SkinButton = nullptr;
    TButton* MessageButton = nullptr;
    TButton* CaptionButton = nullptr;
    TButton* PopupButton = nullptr;
    TMainMenu* MainMenu1 = nullptr;
    TPopupMenu* PopupMenu1 = nullptr;

  private:
    TButton* AddButton(const wchar_t* Name, const wchar_t* Caption, int Top);
    void AddControls();
    void AddScrollBarHolders();
    void AddTabs();
    void ShowState();
};
