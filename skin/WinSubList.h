// Skins of list views and header controls: a list view gets the skinned scroll bars of any
// scrolling control and its header the skin's header bar behind every column, with the
// columns' texts and images over it.
#pragma once

#include "WinSubScroll.h"

class TSkinHeader : public TSkinControl {
    DECLARE_CLASS(TSkinHeader, TSkinControl)
  public:
    using TSkinControl::TSkinControl;
    bool BeforeMessage(TMessage& M) override;
    void Paint(HDC DC, const RECT& Rect) override;

  private:
    // Every column's bar and label; returns where the last column ends.
    int PaintColumns(HDC Off);
};

class TSkinListView : public TSkinScrollbar {
    DECLARE_CLASS(TSkinListView, TSkinScrollbar)
  public:
    using TSkinScrollbar::TSkinScrollbar;
    // Its header's skin belongs to it and goes with it (or with the header's window).
    void InitScrollbar(TWinControl* AControl, TSkinData* Data, TControlSkins* ASkins) override;
};
