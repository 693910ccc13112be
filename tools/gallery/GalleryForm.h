// The gallery window: every widget and standard control in its states, read from the stored
// description "TGALLERYFORM" (Gallery.txt) with its glyphs embedded beside it.
#pragma once

#include "Menus.h"
#include "RzButton.h"
#include "RzCombo.h"
#include "RzEdit.h"
#include "RzPanel.h"

class TGalleryForm : public TForm {
    DECLARE_CLASS(TGalleryForm, TForm)
  public:
    explicit TGalleryForm(TComponent* AOwner);

    void MenuClick(TObject* Sender);
    void ExitClick(TObject* Sender);
    // A right click on the coloured panel shows the popup menu there.
    void PanelMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);

    // The name of the menu item clicked last (the tests read it).
    std::wstring LastMenuClick;
    TPopupMenu* PopupMenu1 = nullptr;
};
