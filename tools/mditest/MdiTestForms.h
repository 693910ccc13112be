// The MDI test program's forms. The frame has a menu bar (File, Window) whose Window menu lists
// the children and tiles, cascades and arranges them, and a skin component holding the default
// skin (File > Skin switches it off and on). Each child has a menu of its own (Document), merged
// into the frame's menu bar while the child is active, and is freed when it closes.
#pragma once

#include "Forms.h"
#include "Menus.h"
#include "WinSkinData.h"

class TMdiTestChild;

class TMdiTestFrame : public TForm {
    DECLARE_CLASS(TMdiTestFrame, TForm)
  public:
    // Skinned: the frame holds the default skin, switched on.
    explicit TMdiTestFrame(TComponent* AOwner, bool Skinned = true);

    TMdiTestChild* NewChild(bool Maximized);
    void ToggleSkin();

    TSkinData* SkinData1 = nullptr; // null for a frame made without a skin
    TMainMenu* MainMenu1 = nullptr;
    TMenuItem* WindowMenuItem = nullptr;
    TMenuItem* SkinItem = nullptr;
    int Made = 0;

  private:
    TMenuItem* Item(const wchar_t* Name) const;
    void ShowSkinState();
};

class TMdiTestChild : public TForm {
    DECLARE_CLASS(TMdiTestChild, TForm)
  public:
    explicit TMdiTestChild(TComponent* AOwner);

    TMainMenu* MainMenu1 = nullptr;
    int Marks = 0; // clicks on Document > Mark
};
