// Skins of edit boxes and combo boxes: a flat border for edits, and for combo boxes the skin's
// sunken edge, drop-down button and arrow glyph; the list of a simple combo box gets skinned
// scroll bars.
#pragma once

#include "WinSubClass.h"

class TSkinScrollbarH;
class TSkinUpDown;

class TSkinEdit : public TSkinControl {
    DECLARE_CLASS(TSkinEdit, TSkinControl)
  public:
    using TSkinControl::TSkinControl;
    bool BeforeMessage(TMessage& M) override;
    void AfterMessage(TMessage& M) override;
    void Paint(HDC DC, const RECT& Rect) override;

    // The up-down control working as the edit's buddy, once a paint found it; its skin is
    // owned by this one.
    HWND UpDownWnd = nullptr;
    TSkinUpDown* UpDown = nullptr;

  protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

  private:
    void PaintPrinted(HDC DC);
    void FindUpDown();
    int FSavedDC = 0; // the state of a DC given with WM_PAINT, before the edit painted into it
};

class TSkinComBox : public TSkinControl {
    DECLARE_CLASS(TSkinComBox, TSkinControl)
  public:
    using TSkinControl::TSkinControl;
    ~TSkinComBox() override;
    void InitControl(TControlSkins* ASkins, TSkinData* Data, bool ARecolour) override;
    void InitWindow(HWND AWnd, TSkinData* Data, TControlSkins* ASkins) override;
    void AfterMessage(TMessage& M) override;
    void Paint(HDC DC, const RECT& Rect) override;

    DWORD Style = 0, ExStyle = 0;
    HWND ListWnd = nullptr;
    HWND EditWnd = nullptr;
    TSkinScrollbarH* ListBars = nullptr; // owned as a component; goes with the list window
    COMBOBOXINFO Info{};
    unsigned MouseState = 0;

  protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

  private:
    void AttachParts();
    void EditMessage(TMessage& M);
    TWindowSubclass FEdit;
};
