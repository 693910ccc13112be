// Skinned scroll bars. A native scroll bar cannot be repainted reliably, so a small window of
// the skin's own (TWScrollbar) lies exactly over it, paints itself from the skin and hands
// every press to the scrolled window, whose own scroll loop then runs as it always does.
//
// TSkinScrollbar serves a control object that shows scroll bars (memos, lists, grids);
// TSkinScrollbarH a plain window (the list of a simple combo box). Both keep one bar window for
// each direction; a bar shows only while the native bar it covers does, and only with a skin
// that has the scroll-bar picture (without it the native bars stay in view and in use).
// TSkinScControl covers a scroll-bar control.
//
// A bar follows every change of the scroll information, also one a program makes without the
// control repainting (a range set, lines added out of view): after each message of its control
// the bar compares what it shows with the native bar, and a change the system reports for a
// window's scroll bar (Windows reports every SetScrollInfo that redraws) repaints it at once. A
// bar over a disabled control shows the disabled look and scrolls nothing.
#pragma once

#include "WinSubClass.h"

#include <memory>

class TSkinScrollbar;

// Scroll codes and the parts of a bar share one numbering.
enum TScrollHit {
    shFirstArrow = 0,
    shSecondArrow = 1,
    shPageBefore = 2,
    shPageAfter = 3,
    shThumb = 5
};

class TWScrollbar : public TCustomControl {
    DECLARE_CLASS(TWScrollbar, TCustomControl)
  public:
    enum TKind { kdHorizontal = 0, kdVertical = 1, kdControl = 2 };

    // Covers Target's horizontal or vertical window scroll bar, or the scroll-bar control
    // Target itself (kdControl; TargetControl is its control object when there is one).
    TWScrollbar(TSkinControl* ASkin, HWND ATarget, TKind AKind,
                TWinControl* ATargetControl = nullptr);
    ~TWScrollbar() override;

    // Follows the native bar: placed over it and shown, or hidden with it.
    void Place();
    void HideBar();
    // After a skin change: shown or hidden by the new skin, and painted from it.
    void SkinChanged();
    // Paints the bar again when its picture would change (the painting waits for the window's
    // next paint, so requests in a row paint it once).
    void RepaintBar();
    // The part of a kdControl bar at a position along its axis.
    int HitTestAt(int Along) const;

    TSkinControl* Skin;
    HWND Target;
    TWinControl* TargetControl;
    TKind Kind;
    bool Vertical;
    int ArrowSize;
    int Length = 0;
    int ThumbStart = 0, ThumbEnd = 0;
    int HitArea = -1;
    bool Tracking = false;
    POINT PressCursor{};
    int PressThumbStart = 0;
    RECT Covered{}; // in the target's client coordinates
    bool Shown = false;
    int Paints = 0; // times the bar painted itself (for the one-paint-per-scroll check)

  protected:
    void CreateParams(TCreateParams& Params) override;
    void WndProc(TMessage& Message) override;
    void PaintWindow(HDC DC) override;

  private:
    // The native bar as the system reports it; false when it cannot be read.
    bool ReadInfo(SCROLLBARINFO& Info) const;
    void Press(POINT ClientPoint);
    void Release(POINT ClientPoint);
    // The bar's picture, W by H, the arrows A long.
    void Draw(HDC DC, int W, int H, const SCROLLBARINFO& Info);
    void DrawTrack(HDC DC, int W, int H, int A, bool Enabled);
    void DrawArrows(HDC DC, int W, int H, int A);
    // Where the thumb is drawn: where the system has it, or under the pointer while dragged.
    void PlaceThumb(const SCROLLBARINFO& Info);
    void DrawThumb(HDC DC);
    // What the picture depends on; the bar paints again only when it changed.
    struct TLook {
        int ThumbTop = -1, ThumbBottom = -1, Cursor = 0, HitArea = -1, W = 0, H = 0;
        DWORD State = 0;
        bool Tracking = false;
        bool operator==(const TLook&) const = default;
    };
    TLook CurrentLook(const SCROLLBARINFO& Info) const;
    TLook FPainted;
    bool FPaintPending = false;
    // Expires with the bar: a handler run by the target's scroll loop may free it.
    std::shared_ptr<bool> FLife = std::make_shared<bool>(true);
};

class TSkinScrollbar : public TSkinControl {
    DECLARE_CLASS(TSkinScrollbar, TSkinControl)
  public:
    using TSkinControl::TSkinControl;
    ~TSkinScrollbar() override;

    virtual void InitScrollbar(TWinControl* AControl, TSkinData* Data, TControlSkins* ASkins);
    void AfterMessage(TMessage& M) override;
    void Paint(HDC DC, const RECT& Rect) override;
    void RestoreColor() override;
    void Refresh() override;

    std::unique_ptr<TWScrollbar> HorzBar;
    std::unique_ptr<TWScrollbar> VertBar;

  protected:
    void MakeBars();
    void PlaceBars();
    void FollowScrollInfo();
    // Whatever happens to the target's scroll bars reaches the bars the same way.
    bool BarMessage(TMessage& M);
};

class TSkinScrollbarH : public TSkinScrollbar {
    DECLARE_CLASS(TSkinScrollbarH, TSkinScrollbar)
  public:
    using TSkinScrollbar::TSkinScrollbar;
    void InitWindow(HWND AWnd, TSkinData* Data, TControlSkins* ASkins) override;
    void AfterMessage(TMessage& M) override;
};

// A scroll-bar control inside a container whose class asks for it: one bar window covers the
// whole control and follows its position.
class TSkinScControl : public TSkinControl {
    DECLARE_CLASS(TSkinScControl, TSkinControl)
  public:
    using TSkinControl::TSkinControl;
    ~TSkinScControl() override;

    void Attach(TWinControl* AControl, TSkinData* Data, TControlSkins* ASkins);
    void AfterMessage(TMessage& M) override;
    void Paint(HDC DC, const RECT& Rect) override;
    void RestoreColor() override;
    void Refresh() override;

    std::unique_ptr<TWScrollbar> Bar;
};
