// TRzComboBox: the combo box of the widget set. Besides the system's look it can show a flat
// one: a one-pixel frame line in a colour of its own and a flat drop-down button, composed
// over the system's painting off-screen and copied in one blit.
#pragma once

#include "RzCommon.h"

class TRzComboBox : public TCustomComboBox {
    DECLARE_CLASS(TRzComboBox, TCustomComboBox)
  public:
    explicit TRzComboBox(TComponent* AOwner);

    bool FrameVisible() const { return FFrameVisible; }
    void SetFrameVisible(bool V);
    TColor FrameColor() const { return FFrameColor; }
    void SetFrameColor(TColor V);

  protected:
    void WndProc(TMessage& Message) override;

  private:
    void PaintFlat(HDC DC, const RECT& R);
    bool FFrameVisible = false;
    TColor FFrameColor = clBtnShadow;
};
