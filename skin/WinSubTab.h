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
    // The page (the display area with its frame) and the strip of tabs beside it, in W.
    void LayOut(const RECT& W, RECT& Page, RECT& Strip) const;
    void PaintTabStrip(HDC DC, const RECT& Page, const RECT& Strip, TColor Ground);
    // Tab rectangle R of the control in the strip's picture, drawn as if the tabs stood on top.
    RECT TabInStrip(const RECT& R, const RECT& Page, const RECT& Strip, int LW, int LH) const;
    void PaintPageBorder(HDC DC, const RECT& Page, TColor Ground);
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
