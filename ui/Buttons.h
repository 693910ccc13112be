// Buttons that paint themselves: the placing of a glyph beside a caption, which every such
// button shares, and TSpeedButton, a windowless button for rows of tools. A speed button takes
// no focus and has no window; its parent's window hands it the mouse and the paint.
#pragma once

#include "StdCtrls.h"

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
DECLARE_ENUM_NAMES(TButtonLayout, L"blGlyphLeft", L"blGlyphRight", L"blGlyphTop", L"blGlyphBottom")

// Where a glyph and a caption go inside a client area, the layout axis running across the
// glyph, the spacing and then the caption (or the other way for right and bottom layouts).
// Margin -1 (or Centered) puts the pair in the middle; Spacing -1 spreads the room evenly.
struct TGlyphLayout {
    POINT Glyph;
    RECT Text;
};
TGlyphLayout LayoutGlyphAndText(SIZE Client, SIZE Glyph, SIZE Text, TButtonLayout Layout,
                                int Margin, int Spacing, bool Centered);

// A caption's "||" marks break its line: the text as DrawText wants it.
std::wstring ButtonCaptionLines(const std::wstring& Caption);

class TSpeedButton : public TGraphicControl {
    DECLARE_CLASS(TSpeedButton, TGraphicControl)
  public:
    explicit TSpeedButton(TComponent* AOwner);
    ~TSpeedButton() override;

    // A strip of NumGlyphs equal images: up, disabled, pressed, down.
    TBitmap* Glyph() const { return FGlyph.get(); }
    int NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(int V);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout V);
    int Margin() const { return FMargin; }
    void SetMargin(int V);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int V);
    // Flat buttons show their edge only while the pointer is over them.
    bool Flat() const { return FFlat; }
    void SetFlat(bool V);
    // Buttons of one non-zero group stay down one at a time; AllowAllUp lets the last one
    // come up again.
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int V);
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool V) { FAllowAllUp = V; }
    bool Down() const { return FDown; }
    void SetDown(bool V);

    // The look of the moment: the pointer is over the button / the mouse holds it down.
    bool MouseInControl() const { return FMouseInControl; }
    bool Pressed() const { return FPressed; }
    void Click() override;

  protected:
    void WndProc(TMessage& Message) override;
    void Paint() override;

  private:
    void SetPressed(bool V);
    void SetHot(bool V);
    void DrawGlyph(HDC DC, POINT At);

    std::unique_ptr<TBitmap> FGlyph;
    int FNumGlyphs = 1;
    TButtonLayout FLayout = blGlyphLeft;
    int FMargin = -1;
    int FSpacing = 4;
    bool FFlat = false;
    int FGroupIndex = 0;
    bool FAllowAllUp = false;
    bool FDown = false;
    bool FPressed = false;
    bool FMouseInControl = false;
};
