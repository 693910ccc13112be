// The skin of status bars: the skin's edge picture behind each panel by its bevel (or once
// across the bar in simple mode), the panels' texts over it and the skin's size grip in the
// corner, composed off-screen; owner-drawn panels are painted over by their handler.
#pragma once

#include "WinSubClass.h"

#include "StdCtrls.h"

#include <vector>

struct TPanelLook;

// The status bar's and the tab set's text: transparent, tabs expanded, centred vertically; centred
// text in the middle of the box, other alignments against its edges; a blank when empty.
void DrawSkinText(HDC DC, const RECT& Box, const std::wstring& Text, TAlignment Alignment,
                  COLORREF Colour);

class TSkinStatusBar : public TSkinControl {
    DECLARE_CLASS(TSkinStatusBar, TSkinControl)
  public:
    using TSkinControl::TSkinControl;
    bool BeforeMessage(TMessage& M) override;
    void Paint(HDC DC, const RECT& Rect) override;

  private:
    // The control's font without its style (Plain holds it while it is selected).
    HGDIOBJ TextFont(TFont& Plain) const;
    // The size grip's frame in the skin's extra images; empty when the bar shows none.
    RECT GripPicture() const;
    // The edges and texts of the panels (or of the simple bar's one text), none past TextEnd;
    // returns the panels (none in simple mode).
    std::vector<TPanelLook> PaintPanels(HDC Off, const RECT& R, int TextEnd) const;
    void PaintOwnerDrawnPanels(HDC DC, const RECT& Rect,
                               const std::vector<TPanelLook>& Panels) const;
};
