// Skins of tabs: the tab or page control's strip of tabs and its page border, from the skin's
// tab pictures (mirrored for tabs at the bottom, the strip drawn lying and turned for tabs at a
// side); and the older tab set's tabs hanging from its top edge. Scroll arrows of either wear
// the up-down skin.
#pragma once

#include "WinSubCtrls.h"

class TSkinTab : public TSkinControl {
    DECLARE_CLASS(TSkinTab, TSkinControl)
  public:
    using TSkinControl::TSkinControl;
    void InitWindow(HWND AWnd, TSkinData* Data, TControlSkins* ASkins) override;
    bool BeforeMessage(TMessage& M) override;
    void AfterMessage(TMessage& M) override;
    void Paint(HDC DC, const RECT& Rect) override;
    void Refresh() override;

    int TabPosition = 0; // 0 top, 1 bottom, 2 left, 3 right
    TBitmap TabImage;    // prepared for the position, 24 bits
    TBitmap BorderImage; // the page border, prepared likewise
    TSkinUpDown* Arrows = nullptr;

  protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

  private:
    void PrepareImages();
    void FindArrows();
    // One tab into the strip, which lies as the strip of tabs at the top would.
    void PaintTab(HDC Strip, int Index, const RECT& Box, bool Focused);
    HWND FArrowsWnd = nullptr;
};

class TSkinTab31 : public TSkinControl {
    DECLARE_CLASS(TSkinTab31, TSkinControl)
  public:
    using TSkinControl::TSkinControl;
    // Attaches to the control's window (subclassed) and skins its scroller.
    void InitControl(TControlSkins* ASkins, TSkinData* Data, bool ARecolour) override;
    bool BeforeMessage(TMessage& M) override;
    void Paint(HDC DC, const RECT& Rect) override;
    void Refresh() override;

    TBitmap TabImage; // the skin's tab picture upside down: these tabs hang
    TSkinUpDown* Scroller = nullptr;

  protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

  private:
    void PrepareImage();
};
