// Containers of the widget set: TRzGroupBox, a group box that can be transparent (it paints
// its parent's background behind itself, so a window's or a skin's background shows through)
// with a standard, flat or top-line frame; and TRzStatusBar, a flat bar along the bottom of a
// window that holds controls aligned left and right, with frame lines of its own.
#pragma once

#include "RzCommon.h"

enum TGroupBoxStyle { gsStandard, gsFlat, gsTopLine, gsNone };
DECLARE_ENUM_NAMES(TGroupBoxStyle, L"gsStandard", L"gsFlat", L"gsTopLine", L"gsNone")

// A frame line: none, one pixel of the flat colour, or a sunken or raised pixel pair.
enum TFrameStyleEx { fsNone, fsFlat, fsLowered, fsRaised };
DECLARE_ENUM_NAMES(TFrameStyleEx, L"fsNone", L"fsFlat", L"fsLowered", L"fsRaised")

enum TSide { sdLeft, sdTop, sdRight, sdBottom };
DECLARE_ENUM_NAMES(TSide, L"sdLeft", L"sdTop", L"sdRight", L"sdBottom")
using TSides = TSet<TSide>;

class TRzGroupBox : public TCustomGroupBox {
    DECLARE_CLASS(TRzGroupBox, TCustomGroupBox)
  public:
    explicit TRzGroupBox(TComponent* AOwner);

    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool V);
    TGroupBoxStyle GroupStyle() const { return FGroupStyle; }
    void SetGroupStyle(TGroupBoxStyle V);
    TColor FlatColor() const { return FFlatColor; }
    void SetFlatColor(TColor V);

  protected:
    void PaintTo(TCanvas& Canvas, const RECT& Client) override;

  private:
    bool FTransparent = false;
    TGroupBoxStyle FGroupStyle = gsStandard;
    TColor FFlatColor = clBtnShadow;
};

class TRzStatusBar : public TCustomPanel {
    DECLARE_CLASS(TRzStatusBar, TCustomPanel)
  public:
    explicit TRzStatusBar(TComponent* AOwner);

    TFrameStyleEx BorderInner() const { return FBorderInner; }
    void SetBorderInner(TFrameStyleEx V);
    TFrameStyleEx BorderOuter() const { return FBorderOuter; }
    void SetBorderOuter(TFrameStyleEx V);
    TSides BorderSides() const { return FBorderSides; }
    void SetBorderSides(TSides V);
    // The colour of flat frame lines.
    TColor FlatColor() const { return FFlatColor; }
    void SetFlatColor(TColor V);
    // The area inside the frame lines, where aligned children go.
    RECT ClientRect() const override;

  protected:
    void PaintTo(TCanvas& Canvas, const RECT& Client) override;

  private:
    int BorderWidth(TSide Side) const;
    void BordersChanged();
    TFrameStyleEx FBorderInner = fsNone;
    TFrameStyleEx FBorderOuter = fsNone;
    TSides FBorderSides{sdLeft, sdTop, sdRight, sdBottom};
    TColor FFlatColor = clBtnShadow;
};
