// The skin of status bars: the skin's edge picture behind each panel by its bevel (or once
// across the bar in simple mode), the panels' texts over it and the skin's size grip in the
// corner, composed off-screen; owner-drawn panels are painted over by their handler.
#pragma once

#include "WinSubClass.h"

#include "StdCtrls.h"

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
};
