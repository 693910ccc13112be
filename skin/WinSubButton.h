// Skins of buttons: push buttons (TSkinButton, also the buttons of dialogs and message boxes),
// bitmap buttons with a glyph or an image-list image (TSkinBitButton) and windowless speed
// buttons (TSkinSpeedButton). Each paints the skin's Buttons picture in the state's frame with
// the caption over it, composed in its own buffer and copied once. A skinned window button
// never sees the press: the skin keeps the pressed look and clicks the control on release.
#pragma once

#include "WinSubClass.h"

#include <array>

class TSkinButton : public TSkinControl {
    DECLARE_CLASS(TSkinButton, TSkinControl)
  public:
    using TSkinControl::TSkinControl;
    bool BeforeMessage(TMessage& M) override;
    void AfterMessage(TMessage& M) override;
    void Paint(HDC DC, const RECT& Rect) override;
    void Refresh() override;

    unsigned MouseState = 0; // msHot, msPressed
    TBitmap Buffer;
    bool MultiLine = false;

  protected:
    bool HasButtonImage() const;
    // The buffer at the rectangle's size, filled with the face and the frame's picture.
    HDC PrepareBuffer(const RECT& R, int Frame, int FrameCount, bool Picture = true);
    // The text colour of a frame for a control object (Font: its own) or a plain window.
    TColor TextColour(int Frame, TColor Font) const;
    void BecomeHoverButton();
    void StopBeingHoverButton();
    void Click();
    // The caption's lines, read from the control's caption and "MultiLine" (or the window's
    // text) again only after the text changed: reading a window's caption costs a message.
    const std::wstring& CaptionLines();

  private:
    // The steps of the button's messages, each with its repaint.
    void PressBySpace(bool Down);
    void BecomeHot();
    void ReleaseAndClick();
    void MouseEntered();
    void MouseLeft();
    void ReadEnabled();
    // What a push button's picture depends on.
    struct TButtonLook {
        int Frame = 0, W = 0, H = 0;
        HFONT Font = nullptr;
        TColor Colour = clNone;
        std::wstring Text;
        bool operator==(const TButtonLook&) const = default;
    };
    TButtonLook FLastLook;
    std::wstring FLines;
    bool FLinesKnown = false;
    // The face with the frame's picture, made once per frame and size (index 0: face only).
    std::array<TBitmap, 8> FFaces;
    SIZE FFaceSize{};
};

class TSkinBitButton : public TSkinButton {
    DECLARE_CLASS(TSkinBitButton, TSkinButton)
  public:
    using TSkinButton::TSkinButton;
    void Paint(HDC DC, const RECT& Rect) override;
};

class TSkinSpeedButton : public TSkinButton {
    DECLARE_CLASS(TSkinSpeedButton, TSkinButton)
  public:
    using TSkinButton::TSkinButton;
    bool BeforeMessage(TMessage& M) override;
    void AfterMessage(TMessage& M) override;
    void Paint(HDC DC, const RECT& Rect) override;
};
