// TRzBitBtn: a push button that paints itself. It shows a glyph (a strip of NumGlyphs equal
// images: normal, disabled, pressed) or an image list's image beside, above or below its
// caption; its face is its Color, so a program can light a button by colouring it; it hot-
// tracks (a lighter face and a coloured frame while the pointer is over it); its caption may
// be raised, recessed or shadowed, and is embossed when disabled. Painting is composed
// off-screen and copied in one blit.
#pragma once

#include "RzCommon.h"

class TRzBitBtn : public TCustomControl {
    DECLARE_CLASS(TRzBitBtn, TCustomControl)
  public:
    explicit TRzBitBtn(TComponent* AOwner);
    ~TRzBitBtn() override;

    TBitmap* Glyph() const { return FGlyph.get(); }
    int NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(int V);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout V);
    int Margin() const { return FMargin; }
    void SetMargin(int V);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int V);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment V);
    TImageList* Images() const { return FImages; }
    void SetImages(TImageList* V);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int V);
    int DisabledIndex() const { return FDisabledIndex; }
    void SetDisabledIndex(int V);
    bool Default() const { return FDefault; }
    void SetDefault(bool V);
    bool HotTrack() const { return FHotTrack; }
    void SetHotTrack(bool V);
    TColor HotTrackColor() const { return FHotTrackColor; }
    void SetHotTrackColor(TColor V);
    TTextStyle TextStyle() const { return FTextStyle; }
    void SetTextStyle(TTextStyle V);
    TColor TextHighlightColor() const { return FTextHighlightColor; }
    void SetTextHighlightColor(TColor V);
    TColor TextShadowColor() const { return FTextShadowColor; }
    void SetTextShadowColor(TColor V);
    int ShadowDepth() const { return FShadowDepth; }
    void SetShadowDepth(int V);
    bool ShowFocusRect() const { return FShowFocusRect; }
    void SetShowFocusRect(bool V);

    // The look of the moment: the pointer is over the button / it is held down.
    bool MouseInControl() const { return FMouseInControl; }
    bool Pressed() const { return FDown; }

    // The look drawn onto a canvas of the button's size (Paint copies it to the window).
    void PaintTo(TCanvas& Canvas);
    void Notification(TComponent* AComponent, TOperation Operation) override;

  protected:
    void WndProc(TMessage& Message) override;
    void Paint() override;

  private:
    void SetHot(bool V);
    void SetDown(bool V);
    SIZE GlyphSize() const;
    void DrawGlyph(HDC DC, POINT At);

    std::unique_ptr<TBitmap> FGlyph;
    int FNumGlyphs = 1;
    TButtonLayout FLayout = blGlyphLeft;
    int FMargin = -1;
    int FSpacing = 3;
    TAlignment FAlignment = taCenter;
    TImageList* FImages = nullptr;
    int FImageIndex = -1;
    int FDisabledIndex = -1;
    bool FDefault = false;
    bool FHotTrack = true;
    TColor FHotTrackColor = clHighlight;
    TTextStyle FTextStyle = tsNone;
    TColor FTextHighlightColor = clBtnHighlight;
    TColor FTextShadowColor = clBtnShadow;
    int FShadowDepth = 1;
    bool FShowFocusRect = true;
    bool FMouseInControl = false;
    bool FDown = false;
    bool FTracking = false; // the mouse holds the button
    bool FSpaceDown = false;
};
