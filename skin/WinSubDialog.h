// Skins of the parts of a system dialog that only need the skin's face colour: a size grip
// (a stand-alone scroll-bar window of the size-box kind) and a dialog shown inside another.
#pragma once

#include "WinSubClass.h"

class TSkinSizer : public TSkinControl {
    DECLARE_CLASS(TSkinSizer, TSkinControl)
  public:
    using TSkinControl::TSkinControl;
    void Paint(HDC DC, const RECT& Rect) override;
};

class TSkinBoxH : public TSkinControl {
    DECLARE_CLASS(TSkinBoxH, TSkinControl)
  public:
    using TSkinControl::TSkinControl;
    bool BeforeMessage(TMessage& M) override;
};
