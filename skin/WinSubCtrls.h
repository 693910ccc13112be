// Skins of the other standard controls: check boxes and radio buttons (the skin's glyph over
// the box, the caption stays the control's), group boxes (a rounded line and the caption over
// the control's own frame), panels and containers (only their colour), progress bars (the
// whole bar from the skin), track bars (the thumb from the skin, tics and channel the
// control's own) and up-down controls (both arrows from the skin, or drawn).
#pragma once

#include "WinSubClass.h"

class TSkinCheckBox : public TSkinControl {
    DECLARE_CLASS(TSkinCheckBox, TSkinControl)
  public:
    using TSkinControl::TSkinControl;
    bool BeforeMessage(TMessage& M) override;
    void AfterMessage(TMessage& M) override;
    // Covers the glyph cell of the control's own painting.
    void Paint(HDC DC, const RECT& Rect) override;

    // The frame of the glyph picture the control's state shows (from 1).
    virtual int GlyphFrame();

  protected:
    virtual TBitmap* GlyphImage();
    virtual int GlyphFrameCount();
    // The glyph's place for the box on the left (or on the right, with BS_LEFTTEXT).
    virtual RECT GlyphPlace(const RECT& R, int GlyphW, int GlyphH, bool OnTheRight);
};

class TSkinRadioButton : public TSkinCheckBox {
    DECLARE_CLASS(TSkinRadioButton, TSkinCheckBox)
  public:
    using TSkinCheckBox::TSkinCheckBox;
    int GlyphFrame() override;

  protected:
    TBitmap* GlyphImage() override;
    int GlyphFrameCount() override;
    RECT GlyphPlace(const RECT& R, int GlyphW, int GlyphH, bool OnTheRight) override;
};

class TSkinGroupBox : public TSkinControl {
    DECLARE_CLASS(TSkinGroupBox, TSkinControl)
  public:
    using TSkinControl::TSkinControl;
    bool BeforeMessage(TMessage& M) override;
    // The rounded line and the caption over the control's own painting.
    void Paint(HDC DC, const RECT& Rect) override;

  private:
    // The control's own two-pixel edge at Edge goes under the face colour.
    void CoverOwnEdge(HDC DC, RECT Edge);
    void PaintCaption(HDC DC, const RECT& R, const std::wstring& Caption);
};

// Panels, navigator bars and embedded forms: the skin only gives them its face colour; it
// hooks no messages and paints nothing.
class TSkinBox : public TSkinControl {
    DECLARE_CLASS(TSkinBox, TSkinControl)
  public:
    using TSkinControl::TSkinControl;
    void InitControl(TControlSkins* ASkins, TSkinData* Data, bool ARecolour) override;
    void RestoreColor() override;
};

inline constexpr int scsRestored = 2; // a box skin gave its colour back

// A data-aware check box that takes its glyphs from a published picture ("CustomGlyphs"): the
// skin's check-box frames are laid out in its nine glyph slots. Attached as a box is (no
// message hook); the control goes back to its own glyphs when the skin goes.
class TSkinObjImage : public TSkinBox {
    DECLARE_CLASS(TSkinObjImage, TSkinBox)
  public:
    using TSkinBox::TSkinBox;
    ~TSkinObjImage() override;
    void InitControl(TControlSkins* ASkins, TSkinData* Data, bool ARecolour) override;
    void Refresh() override;
    void RestoreColor() override;

    int Mode = 1; // 1: check-box glyphs

  private:
    void BuildGlyphs();
    void GiveGlyphsBack();
};

class TSkinProgress : public TSkinControl {
    DECLARE_CLASS(TSkinProgress, TSkinControl)
  public:
    using TSkinControl::TSkinControl;
    bool BeforeMessage(TMessage& M) override;
    void Paint(HDC DC, const RECT& Rect) override;

  private:
    void PaintChunks(HDC DC, const RECT& R, int Pos, int Upper);
};

// Only the thumb comes from the skin: the control's custom drawing is answered so that it
// draws its tics and channel itself and leaves the thumb to the skin.
class TSkinTrackBar : public TSkinControl {
    DECLARE_CLASS(TSkinTrackBar, TSkinControl)
  public:
    using TSkinControl::TSkinControl;
    bool BeforeMessage(TMessage& M) override;
    void Refresh() override;

  private:
    bool CustomDraw(TMessage& M);
    void DrawThumb(HDC DC);
};

class TSkinUpDown : public TSkinControl {
    DECLARE_CLASS(TSkinUpDown, TSkinControl)
  public:
    using TSkinControl::TSkinControl;
    bool BeforeMessage(TMessage& M) override;
    void AfterMessage(TMessage& M) override;
    void Paint(HDC DC, const RECT& Rect) override;

    unsigned MouseState = 0; // msHot, msPressed
    // Attached by an edit box whose child the control is: drawn one pixel inside its window.
    bool BuddyMode = false;
    // Left and right arrows whatever the window's style says.
    bool Horizontal = false;

  private:
    void PaintArrow(HDC DC, const RECT& Half, int Arrow, int State);
    void DrawnArrow(HDC DC, const RECT& Half, int Arrow, int State);
    int FLastHalf = -1; // the half under the pointer at the last paint
};
