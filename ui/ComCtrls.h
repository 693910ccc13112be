// The common controls the skins dress: progress bars (TProgressBar), track bars (TTrackBar),
// up-down controls (TUpDown), status bars with panels (TStatusBar), list views in report
// style with a header (TListView), tab controls (TTabControl) and page controls of tab sheets
// (TPageControl). Each is the system's own control; the properties set the window at once when
// it exists and are handed to it when it is made. The older tab set (TTabSet), with its tabs
// hanging from its top edge, is drawn by the class itself.
#pragma once

#include "Controls.h"
#include "StdCtrls.h"

#include <memory>
#include <vector>

enum TProgressBarOrientation { pbHorizontal, pbVertical };
DECLARE_ENUM_NAMES(TProgressBarOrientation, L"pbHorizontal", L"pbVertical")

enum TTrackBarOrientation { trHorizontal, trVertical };
DECLARE_ENUM_NAMES(TTrackBarOrientation, L"trHorizontal", L"trVertical")

// Which sides of a track bar carry its tics.
enum TTickMark { tmBottomRight, tmTopLeft, tmBoth };
DECLARE_ENUM_NAMES(TTickMark, L"tmBottomRight", L"tmTopLeft", L"tmBoth")

enum TUDOrientation { udHorizontal, udVertical };
DECLARE_ENUM_NAMES(TUDOrientation, L"udHorizontal", L"udVertical")

class TProgressBar : public TWinControl {
    DECLARE_CLASS(TProgressBar, TWinControl)
  public:
    explicit TProgressBar(TComponent* AOwner);

    int Min() const { return FMin; }
    void SetMin(int V) { SetRange(V, FMax); }
    int Max() const { return FMax; }
    void SetMax(int V) { SetRange(FMin, V); }
    int Position() const { return FPosition; }
    void SetPosition(int V);
    int Step() const { return FStep; }
    void SetStep(int V) { FStep = V; }
    void StepIt() { SetPosition(FPosition + FStep); }
    TProgressBarOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TProgressBarOrientation V);
    // One continuous bar instead of blocks.
    bool Smooth() const { return FSmooth; }
    void SetSmooth(bool V);

  protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateHandle() override;

  private:
    void SetRange(int AMin, int AMax);
    int FMin = 0, FMax = 100, FPosition = 0, FStep = 10;
    TProgressBarOrientation FOrientation = pbHorizontal;
    bool FSmooth = false;
};

// Position follows the user's dragging and clicking; OnChange runs on every change of it.
class TTrackBar : public TWinControl {
    DECLARE_CLASS(TTrackBar, TWinControl)
  public:
    explicit TTrackBar(TComponent* AOwner);

    int Min() const { return FMin; }
    void SetMin(int V) { SetRange(V, FMax); }
    int Max() const { return FMax; }
    void SetMax(int V) { SetRange(FMin, V); }
    int Position() const { return FPosition; }
    void SetPosition(int V);
    TTrackBarOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TTrackBarOrientation V);
    // A tic every Frequency steps; 0 shows none.
    int Frequency() const { return FFrequency; }
    void SetFrequency(int V);
    TTickMark TickMarks() const { return FTickMarks; }
    void SetTickMarks(TTickMark V);
    int PageSize() const { return FPageSize; }
    void SetPageSize(int V);
    int LineSize() const { return FLineSize; }
    void SetLineSize(int V);

    TNotifyEvent OnChange;

  protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateHandle() override;
    void WndProc(TMessage& Message) override;

  private:
    void SetRange(int AMin, int AMax);
    int FMin = 0, FMax = 10, FPosition = 0, FFrequency = 1, FPageSize = 2, FLineSize = 1;
    TTrackBarOrientation FOrientation = trHorizontal;
    TTickMark FTickMarks = tmBottomRight;
};

// The arrows step Position between Min and Max; with an Associate (an edit box) the position
// shows as its text and the arrows sit at the edit's right edge.
class TUpDown : public TWinControl {
    DECLARE_CLASS(TUpDown, TWinControl)
  public:
    explicit TUpDown(TComponent* AOwner);

    int Min() const { return FMin; }
    void SetMin(int V) { SetRange(V, FMax); }
    int Max() const { return FMax; }
    void SetMax(int V) { SetRange(FMin, V); }
    int Position() const;
    void SetPosition(int V);
    int Increment() const { return FIncrement; }
    void SetIncrement(int V);
    TUDOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TUDOrientation V);
    // Past one end the position starts again at the other.
    bool Wrap() const { return FWrap; }
    void SetWrap(bool V);
    TWinControl* Associate() const { return FAssociate; }
    void SetAssociate(TWinControl* V);

    TNotifyEvent OnChange;

  protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateHandle() override;
    void WndProc(TMessage& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

  private:
    void SetRange(int AMin, int AMax);
    int FMin = 0, FMax = 100, FPosition = 0, FIncrement = 1;
    TUDOrientation FOrientation = udVertical;
    bool FWrap = false;
    TWinControl* FAssociate = nullptr;
};

enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };
DECLARE_ENUM_NAMES(TStatusPanelBevel, L"pbNone", L"pbLowered", L"pbRaised")

enum TStatusPanelStyle { psText, psOwnerDraw };
DECLARE_ENUM_NAMES(TStatusPanelStyle, L"psText", L"psOwnerDraw")

class TStatusBar;

// One part of a status bar; a change shows on the bar at once.
class TStatusPanel : public TPersistent {
    DECLARE_CLASS(TStatusPanel, TPersistent)
  public:
    explicit TStatusPanel(TStatusBar* ABar) : FBar(ABar) {}

    const std::wstring& Text() const { return FText; }
    void SetText(const std::wstring& V);
    // Pixels; the last panel reaches the bar's right end whatever its width.
    int Width() const { return FWidth; }
    void SetWidth(int V);
    TStatusPanelBevel Bevel() const { return FBevel; }
    void SetBevel(TStatusPanelBevel V);
    TStatusPanelStyle Style() const { return FStyle; }
    void SetStyle(TStatusPanelStyle V);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment V);
    int Index() const;

  private:
    TStatusBar* FBar;
    std::wstring FText;
    int FWidth = 50;
    TStatusPanelBevel FBevel = pbLowered;
    TStatusPanelStyle FStyle = psText;
    TAlignment FAlignment = taLeftJustify;
};

using TDrawPanelEvent =
    std::function<void(TStatusBar* Sender, TStatusPanel* Panel, HDC DC, const RECT& Rect)>;

// The system's status bar at the bottom of its parent: panels side by side, or one simple text
// across the whole bar (SimplePanel, or no panels at all).
class TStatusBar : public TWinControl {
    DECLARE_CLASS(TStatusBar, TWinControl)
  public:
    explicit TStatusBar(TComponent* AOwner);
    ~TStatusBar() override;

    int PanelCount() const { return static_cast<int>(FPanels.size()); }
    TStatusPanel* Panels(int Index) const;
    TStatusPanel* AddPanel();
    void ClearPanels();
    bool SimplePanel() const { return FSimplePanel; }
    void SetSimplePanel(bool V);
    const std::wstring& SimpleText() const { return FSimpleText; }
    void SetSimpleText(const std::wstring& V);
    bool SizeGrip() const { return FSizeGrip; }
    void SetSizeGrip(bool V);

    // Paints an owner-drawn panel into DC over Rect.
    TDrawPanelEvent OnDrawPanel;

  protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateHandle() override;
    void WndProc(TMessage& Message) override;

  private:
    friend class TStatusPanel;
    // Hands the panels' widths, texts and looks to the window.
    void UpdatePanels();
    void UpdatePanel(int Index);
    std::vector<std::unique_ptr<TStatusPanel>> FPanels;
    bool FSimplePanel = false;
    std::wstring FSimpleText;
    bool FSizeGrip = true;
};

// A list in report style: one row per item, its caption under the first column and its
// sub-items under the others; the system's header above names the columns.
class TListView : public TWinControl {
    DECLARE_CLASS(TListView, TWinControl)
  public:
    explicit TListView(TComponent* AOwner);
    ~TListView() override;

    void AddColumn(const std::wstring& Caption, int Width);
    int ColumnCount() const { return static_cast<int>(FColumns.size()); }
    // Returns the new item's index.
    int AddItem(const std::wstring& Caption, const std::vector<std::wstring>& SubItems = {});
    int ItemCount() const { return static_cast<int>(FItems.size()); }
    void ClearItems();
    // The selected row, or -1.
    int ItemIndex() const;

  protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateHandle() override;

  private:
    struct TColumn {
        std::wstring Caption;
        int Width;
    };
    void InsertColumn(int Index);
    void InsertItem(int Index);
    std::vector<TColumn> FColumns;
    std::vector<std::vector<std::wstring>> FItems; // caption, then sub-items
};

enum TTabPosition { tpTop, tpBottom, tpLeft, tpRight };
DECLARE_ENUM_NAMES(TTabPosition, L"tpTop", L"tpBottom", L"tpLeft", L"tpRight")

class TImageList;

// The system's tab control: tabs (a caption and an image) along one side of a display area.
// TabIndex follows the user's clicks; OnChange runs after every change of it.
class TCustomTabControl : public TWinControl {
    DECLARE_CLASS(TCustomTabControl, TWinControl)
  public:
    explicit TCustomTabControl(TComponent* AOwner);
    ~TCustomTabControl() override;

    int TabCount() const { return static_cast<int>(FTabs.size()); }
    // The selected tab, or -1.
    int TabIndex() const { return FTabIndex; }
    void SetTabIndex(int V);
    // Left and right tabs stand in several rows where one does not hold them.
    TTabPosition TabPosition() const { return FTabPosition; }
    void SetTabPosition(TTabPosition V);
    TImageList* Images() const { return FImages; }
    void SetImages(TImageList* V);
    // The area inside the tabs and the frame, in client coordinates.
    RECT DisplayRect();

    TNotifyEvent OnChange;

    const std::wstring& TabCaption(int Index) const;
    int TabImage(int Index) const;

  protected:
    void InsertTab(int Index, const std::wstring& Caption, int ImageIndex);
    void DeleteTab(int Index);
    void UpdateTab(int Index, const std::wstring& Caption, int ImageIndex);
    virtual void Change();
    void CreateParams(TCreateParams& Params) override;
    void CreateHandle() override;
    void WndProc(TMessage& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

  private:
    struct TTab {
        std::wstring Caption;
        int ImageIndex;
    };
    void SendTab(int Index, UINT Msg);
    void MakeImageList();
    std::vector<TTab> FTabs;
    int FTabIndex = -1;
    TTabPosition FTabPosition = tpTop;
    TImageList* FImages = nullptr;
    struct _IMAGELIST* FImageList = nullptr; // the system's copy of Images
};

class TTabControl : public TCustomTabControl {
    DECLARE_CLASS(TTabControl, TCustomTabControl)
  public:
    using TCustomTabControl::TCustomTabControl;
    int AddTab(const std::wstring& Caption, int ImageIndex = -1);
    using TCustomTabControl::DeleteTab;
    void SetTabCaption(int Index, const std::wstring& Caption);
};

class TPageControl;

// A page of a page control: its caption is its tab's, and it fills the display area while its
// tab is selected.
class TTabSheet : public TCustomPanel {
    DECLARE_CLASS(TTabSheet, TCustomPanel)
  public:
    explicit TTabSheet(TComponent* AOwner);
    ~TTabSheet() override;

    TPageControl* PageControl() const { return FPageControl; }
    void SetPageControl(TPageControl* V);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int V);
    int PageIndex() const;

  protected:
    void WndProc(TMessage& Message) override;
    // Only the background: the caption belongs on the tab.
    void PaintTo(TCanvas& Canvas, const RECT& Client) override;

  private:
    friend class TPageControl;
    TPageControl* FPageControl = nullptr;
    int FImageIndex = -1;
};

class TPageControl : public TCustomTabControl {
    DECLARE_CLASS(TPageControl, TCustomTabControl)
  public:
    using TCustomTabControl::TCustomTabControl;
    ~TPageControl() override;

    int PageCount() const { return static_cast<int>(FPages.size()); }
    TTabSheet* Pages(int Index) const { return FPages[static_cast<size_t>(Index)]; }
    TTabSheet* ActivePage() const;
    void SetActivePage(TTabSheet* Page);

  protected:
    void Change() override;
    void CreateHandle() override;
    void WndProc(TMessage& Message) override;

  private:
    friend class TTabSheet;
    void AddPage(TTabSheet* Page);
    void RemovePage(TTabSheet* Page);
    void PageChanged(TTabSheet* Page);
    // The selected page fills the display area; the others hide.
    void ShowActivePage();
    std::vector<TTabSheet*> FPages;
};

// The tab set's scroller: two arrows that move the first shown tab left and right.
class TTabScroller : public TWinControl {
    DECLARE_CLASS(TTabScroller, TWinControl)
  public:
    explicit TTabScroller(TComponent* AOwner);
    void SetRange(int Last, int Position);
    // The new first tab, after a click on an arrow.
    std::function<void(int)> OnScroll;

  protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateHandle() override;
    void WndProc(TMessage& Message) override;

  private:
    int FLast = 0, FPosition = 0;
};

// The older tab set, for the foot of a notebook: tabs hang from its top edge, each as wide as
// its caption plus 9 pixels, from StartMargin on. Those that do not fit before EndMargin are
// reached with the scroller, which then stands at the right end.
class TTabSet : public TCustomControl {
    DECLARE_CLASS(TTabSet, TCustomControl)
  public:
    explicit TTabSet(TComponent* AOwner);

    int AddTab(const std::wstring& Caption);
    int TabCount() const { return static_cast<int>(FTabs.size()); }
    const std::wstring& Tabs(int Index) const { return FTabs[static_cast<size_t>(Index)]; }
    int TabIndex() const { return FTabIndex; }
    void SetTabIndex(int V);
    // The first tab shown (the scroller moves it).
    int FirstIndex() const { return FFirstIndex; }
    void SetFirstIndex(int V);
    int StartMargin() const { return FStartMargin; }
    void SetStartMargin(int V);
    // Room kept free at the right end; with the scroller shown 12 pixels more.
    int EndMargin() const { return FEndMargin; }
    void SetEndMargin(int V);
    TTabScroller* Scroller() const { return FScroller; }
    // The tabs shown now, in client coordinates: index and rectangle.
    std::vector<std::pair<int, RECT>> VisibleTabs();

    TNotifyEvent OnChange;

    static constexpr int TabPadding = 9;    // a tab is its caption's width and this
    static constexpr int ScrollerRoom = 12; // kept free besides EndMargin for the scroller
    static constexpr int ScrollerWidth = 24;

  protected:
    void Paint() override;
    void WndProc(TMessage& Message) override;
    void CreateHandle() override;

  private:
    const std::vector<int>& TabWidths();
    // Shows the scroller when not every tab fits, and keeps it at the right end.
    void UpdateScroller();
    std::vector<std::wstring> FTabs;
    std::vector<int> FWidths; // each tab's, in pixels
    int FTabIndex = -1, FFirstIndex = 0, FStartMargin = 5, FEndMargin = 16;
    TTabScroller* FScroller = nullptr;
};
