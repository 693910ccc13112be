// The skin test window: a form wearing the default skin, with buttons that switch the skin off
// and on while the program runs, show a message box (which wears the skin's dialog frame) and
// give the window a caption too long for its caption strip.
#pragma once

#include "StdCtrls.h"
#include "WinSkinData.h"

class TSkinTestForm : public TForm {
    DECLARE_CLASS(TSkinTestForm, TForm)
  public:
    explicit TSkinTestForm(TComponent* AOwner);

    void ToggleSkin();
    void ShowMessageBox();
    void ToggleCaption();

    TSkinData* SkinData1 = nullptr;
    TButton* SkinButton = nullptr;
    TButton* MessageButton = nullptr;
    TButton* CaptionButton = nullptr;

  private:
    TButton* AddButton(const wchar_t* Name, const wchar_t* Caption, int Top);
    void ShowState();
};

PUBLISHED(TSkinTestForm) {}
