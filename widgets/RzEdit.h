// TRzEdit: an edit box with an optional one-pixel frame line in a colour of its own, a
// background that may be clNone (the parent shows through) and a background colour of its own
// while disabled. Painting is composed off-screen: the background first, then the system's
// edit draws its text over it, and the result is copied in one blit.
#pragma once

#include "StdCtrls.h"

class TRzEdit : public TCustomEdit {
    DECLARE_CLASS(TRzEdit, TCustomEdit)
  public:
    explicit TRzEdit(TComponent* AOwner);

    bool FrameVisible() const { return FFrameVisible; }
    void SetFrameVisible(bool V);
    TColor FrameColor() const { return FFrameColor; }
    void SetFrameColor(TColor V);
    // The background while the edit is disabled.
    TColor DisabledColor() const { return FDisabledColor; }
    void SetDisabledColor(TColor V);

  protected:
    void CreateParams(TCreateParams& Params) override;
    void WndProc(TMessage& Message) override;
    void ColorChanged() override;

  private:
    void PaintClient(HDC DC);
    void PaintFrame();
    bool FFrameVisible = false;
    TColor FFrameColor = clBtnShadow;
    TColor FDisabledColor = clBtnFace;
};
