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
    // The style and the parts as the box has them now (read again at each paint: they change
    // under the skin).
    void ReadBoxState();
    // The button picture's frame for the box's state: 1 normal, 2 pressed, 3 disabled, 4 hot
    // or focused.
    int ButtonFrame() const;
    // A skin button square inside a one-pixel line (the skin's combo button style 1).
    void PaintFlatBox(HDC DC, const RECT& R, TDataSkinBorder& Button, int F);
    // The skin's sunk edge around the box with the button picture at its side.
    void PaintSunkBoxWithButton(HDC DC, const RECT& R, TDataSkinBorder& Button, bool Left, int F);
    void EditMessage(TMessage& M);
    TWindowSubclass FEdit;
};
