// The standard controls: edit boxes (TCustomEdit, TEdit), multi-line edits (TCustomMemo,
// TMemo), push buttons (TButton), check boxes (TCheckBox), radio buttons (TRadioButton),
// panels (TCustomPanel, TPanel), group boxes (TCustomGroupBox, TGroupBox) and combo boxes
// (TCustomComboBox, TComboBox). Edits, memos, buttons, check boxes, radio buttons and combo
// boxes are the system's own controls; panels and group boxes paint themselves, composed
// off-screen and copied in one blit.
//
// Also the background a control's parent shows behind it, which controls share (the picture
// helpers they use are in Graphics).
#pragma once

#include "Forms.h"
#include "Strings.h"

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
DECLARE_ENUM_NAMES(TAlignment, L"taLeftJustify", L"taRightJustify", L"taCenter")

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
DECLARE_ENUM_NAMES(TBevelCut, L"bvNone", L"bvLowered", L"bvRaised", L"bvSpace")

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
DECLARE_ENUM_NAMES(TScrollStyle, L"ssNone", L"ssHorizontal", L"ssVertical", L"ssBoth")

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };
DECLARE_ENUM_NAMES(TComboBoxStyle, L"csDropDown", L"csSimple", L"csDropDownList",
                   L"csOwnerDrawFixed", L"csOwnerDrawVariable")

// Controls take the form's border styles; only bsNone and bsSingle mean anything to them.
using TBorderStyle = TFormBorderStyle;

enum TOwnerDrawStateFlag {
    odSelected,
    odGrayed,
    odDisabled,
    odChecked,
    odFocused,
    odDefault,
    odComboBoxEdit
};
DECLARE_ENUM_NAMES(TOwnerDrawStateFlag, L"odSelected", L"odGrayed", L"odDisabled", L"odChecked",
                   L"odFocused", L"odDefault", L"odComboBoxEdit")
using TOwnerDrawState = TSet<TOwnerDrawStateFlag>;

using TDrawItemEvent =
    std::function<void(TWinControl* Control, int Index, RECT Rect, TOwnerDrawState State)>;
using TMeasureItemEvent = std::function<void(TWinControl* Control, int Index, int& Height)>;

// ---------------------------------------------------------------------------------------------
// Drawing helpers

// Paints into DC (its origin at the control's top-left corner) what the control's parent shows
// behind the control: the parent's background and its own painting.
void DrawParentBackground(TControl* Control, HDC DC);

// ---------------------------------------------------------------------------------------------
// Edits

class TCustomEdit : public TWinControl {
    DECLARE_CLASS(TCustomEdit, TWinControl)
  public:
    explicit TCustomEdit(TComponent* AOwner);

    std::wstring Text() const { return GetText(); }
    void SetText(const std::wstring& V) override;
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int V);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool V);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle V);
    bool AutoSelect() const { return FAutoSelect; }
    void SetAutoSelect(bool V) { FAutoSelect = V; }
    bool HideSelection() const { return FHideSelection; }
    void SetHideSelection(bool V);
    bool Modified() const;
    void SetModified(bool V);

    int SelStart() const;
    void SetSelStart(int V);
    int SelLength() const;
    void SetSelLength(int V);
    std::wstring SelText() const;
    void SetSelText(const std::wstring& V);
    void SelectAll();
    void Clear() { SetText(L""); }

    TNotifyEvent OnChange;

  protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateHandle() override;
    void WndProc(TMessage& Message) override;
    // The text changed (typed, pasted or set); runs OnChange.
    virtual void Change();

  private:
    int FMaxLength = 0;
    bool FReadOnly = false;
    TBorderStyle FBorderStyle = bsSingle;
    bool FAutoSelect = true;
    bool FHideSelection = true;
    bool FSettingText = false;
};

class TEdit : public TCustomEdit {
    DECLARE_CLASS(TEdit, TCustomEdit)
  public:
    using TCustomEdit::TCustomEdit;
};

class TCustomMemo : public TCustomEdit {
    DECLARE_CLASS(TCustomMemo, TCustomEdit)
  public:
    explicit TCustomMemo(TComponent* AOwner);
    ~TCustomMemo() override;

    // The lines of the text; changing them changes the window and typing changes them.
    TStrings* Lines() const;
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle V);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool V);
    bool WantReturns() const { return FWantReturns; }
    void SetWantReturns(bool V);
    bool WantTabs() const { return FWantTabs; }
    void SetWantTabs(bool V) { FWantTabs = V; }

  protected:
    void CreateParams(TCreateParams& Params) override;
    void WndProc(TMessage& Message) override;
    void Change() override;

  private:
    class TMemoStrings;
    std::unique_ptr<TMemoStrings> FLines;
    TScrollStyle FScrollBars = ssNone;
    bool FWordWrap = true;
    bool FWantReturns = true;
    bool FWantTabs = false;
};

class TMemo : public TCustomMemo {
    DECLARE_CLASS(TMemo, TCustomMemo)
  public:
    using TCustomMemo::TCustomMemo;
};

// ---------------------------------------------------------------------------------------------
// Push button

class TButton : public TWinControl {
    DECLARE_CLASS(TButton, TWinControl)
  public:
    explicit TButton(TComponent* AOwner);
    // The button Enter presses (drawn with a heavier frame).
    bool Default() const { return FDefault; }
    void SetDefault(bool V);
    bool Cancel() const { return FCancel; }
    void SetCancel(bool V) { FCancel = V; }
    // The caption wraps onto several lines.
    bool MultiLine() const { return FMultiLine; }
    void SetMultiLine(bool V);

  protected:
    void CreateParams(TCreateParams& Params) override;
    void WndProc(TMessage& Message) override;

  private:
    bool FDefault = false;
    bool FCancel = false;
    bool FMultiLine = false;
};

// ---------------------------------------------------------------------------------------------
// Check boxes and radio buttons

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
DECLARE_ENUM_NAMES(TCheckBoxState, L"cbUnchecked", L"cbChecked", L"cbGrayed")

// The system's button window in a check style. The control keeps the state itself and sets
// the window's (the window never toggles on its own), so that the state reads the same with
// or without a window. Alignment taLeftJustify puts the caption to the left of the box.
class TButtonControl : public TWinControl {
    DECLARE_CLASS(TButtonControl, TWinControl)
  public:
    explicit TButtonControl(TComponent* AOwner);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment V);

  protected:
    void CreateParams(TCreateParams& Params) override;
    void WndProc(TMessage& Message) override;
    // The user clicked the control (mouse or space bar).
    virtual void Toggle() {}
    // The check state as the window shows it.
    void ShowCheck(WPARAM Check);

  private:
    TAlignment FAlignment = taRightJustify;
};

class TCheckBox : public TButtonControl {
    DECLARE_CLASS(TCheckBox, TButtonControl)
  public:
    explicit TCheckBox(TComponent* AOwner);
    TCheckBoxState State() const { return FState; }
    void SetState(TCheckBoxState V);
    bool Checked() const { return FState == cbChecked; }
    void SetChecked(bool V) { SetState(V ? cbChecked : cbUnchecked); }
    // A click may also lead to the grayed state.
    bool AllowGrayed() const { return FAllowGrayed; }
    void SetAllowGrayed(bool V) { FAllowGrayed = V; }

  protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateHandle() override;
    // Unchecked, (grayed,) checked, unchecked again.
    void Toggle() override;

  private:
    TCheckBoxState FState = cbUnchecked;
    bool FAllowGrayed = false;
};

// Checking a radio button unchecks the radio buttons beside it (those of the same parent).
class TRadioButton : public TButtonControl {
    DECLARE_CLASS(TRadioButton, TButtonControl)
  public:
    explicit TRadioButton(TComponent* AOwner);
    bool Checked() const { return FChecked; }
    void SetChecked(bool V);

  protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateHandle() override;
    void Toggle() override;

  private:
    bool FChecked = false;
};

// ---------------------------------------------------------------------------------------------
// Panels and group boxes

class TCustomPanel : public TCustomControl {
    DECLARE_CLASS(TCustomPanel, TCustomControl)
  public:
    explicit TCustomPanel(TComponent* AOwner);

    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut V);
    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut V);
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int V);
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int V);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle V);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment V);

  protected:
    void WndProc(TMessage& Message) override;
    void Paint() override;
    // Draws the panel (background, bevels, caption) onto a canvas of the client's size.
    virtual void PaintTo(TCanvas& Canvas, const RECT& Client);
    // Frames R with the bevels and border and leaves R inside them.
    void DrawBevels(HDC DC, RECT& R);

  private:
    TBevelCut FBevelInner = bvNone;
    TBevelCut FBevelOuter = bvRaised;
    int FBevelWidth = 1;
    int FBorderWidth = 0;
    TBorderStyle FBorderStyle = bsNone;
    TAlignment FAlignment = taCenter;
};

class TPanel : public TCustomPanel {
    DECLARE_CLASS(TPanel, TCustomPanel)
  public:
    using TCustomPanel::TCustomPanel;
};

class TCustomGroupBox : public TCustomControl {
    DECLARE_CLASS(TCustomGroupBox, TCustomControl)
  public:
    explicit TCustomGroupBox(TComponent* AOwner);

  protected:
    void WndProc(TMessage& Message) override;
    void Paint() override;
    // Draws the box (background, frame, caption) onto a canvas of the client's size.
    virtual void PaintTo(TCanvas& Canvas, const RECT& Client);
    // The etched frame with the caption breaking its top line.
    void DrawFrameAndCaption(TCanvas& Canvas, const RECT& Client);
};

class TGroupBox : public TCustomGroupBox {
    DECLARE_CLASS(TGroupBox, TCustomGroupBox)
  public:
    using TCustomGroupBox::TCustomGroupBox;
};

// ---------------------------------------------------------------------------------------------
// Combo box

class TCustomComboBox : public TWinControl {
    DECLARE_CLASS(TCustomComboBox, TWinControl)
  public:
    explicit TCustomComboBox(TComponent* AOwner);
    ~TCustomComboBox() override;

    TComboBoxStyle Style() const { return FStyle; }
    void SetStyle(TComboBoxStyle V);
    TStrings* Items() const;
    int ItemIndex() const;
    void SetItemIndex(int V);
    // Height of the list's items in pixels (0: as the font needs).
    int ItemHeight() const;
    void SetItemHeight(int V);
    int DropDownCount() const { return FDropDownCount; }
    void SetDropDownCount(int V);
    bool Sorted() const;
    void SetSorted(bool V);
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int V);
    std::wstring Text() const { return GetText(); }
    void SetText(const std::wstring& V) override;
    bool DroppedDown() const;
    void SetDroppedDown(bool V);

    TNotifyEvent OnChange;
    TNotifyEvent OnSelect;
    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;
    TDrawItemEvent OnDrawItem;
    TMeasureItemEvent OnMeasureItem;

  protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateHandle() override;
    void WndProc(TMessage& Message) override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    virtual void Change();
    virtual void Select();
    // Owner-drawn styles: draws item Index (OnDrawItem, or the text on the selection colour).
    virtual void DrawItem(int Index, const RECT& Rect, TOwnerDrawState State, HDC DC);

  private:
    class TComboStrings;
    friend class TComboStrings;
    void FillList();
    void ApplyHeights();
    int DroppedHeight(int Height) const;

    std::unique_ptr<TComboStrings> FItems;
    TComboBoxStyle FStyle = csDropDown;
    int FItemIndex = -1;
    int FItemHeight = 0;
    int FDropDownCount = 8;
    int FMaxLength = 0;
    int FRequestedHeight = 21;
};

class TComboBox : public TCustomComboBox {
    DECLARE_CLASS(TComboBox, TCustomComboBox)
  public:
    using TCustomComboBox::TCustomComboBox;
};

// ---------------------------------------------------------------------------------------------
// List box and scroll bar

class TCustomListBox : public TWinControl {
    DECLARE_CLASS(TCustomListBox, TWinControl)
  public:
    explicit TCustomListBox(TComponent* AOwner);
    ~TCustomListBox() override;

    TStrings* Items() const;
    int ItemIndex() const;
    void SetItemIndex(int V);
    int TopIndex() const;
    void SetTopIndex(int V);

  protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateHandle() override;
    void WndProc(TMessage& Message) override;

  private:
    class TListStrings;
    friend class TListStrings;
    void FillList();
    std::unique_ptr<TListStrings> FItems;
    int FItemIndex = -1;
};

class TListBox : public TCustomListBox {
    DECLARE_CLASS(TListBox, TCustomListBox)
  public:
    using TCustomListBox::TCustomListBox;
};

enum TScrollBarKind { sbHorizontal, sbVertical };
DECLARE_ENUM_NAMES(TScrollBarKind, L"sbHorizontal", L"sbVertical")

// The system's scroll-bar control. Position follows the user's scrolling: a line is 1, a page
// is PageSize (or a tenth of the range without one).
class TScrollBar : public TWinControl {
    DECLARE_CLASS(TScrollBar, TWinControl)
  public:
    explicit TScrollBar(TComponent* AOwner);

    TScrollBarKind Kind() const { return FKind; }
    void SetKind(TScrollBarKind V);
    int Min() const { return FMin; }
    void SetMin(int V) { SetParams(FPosition, V, FMax); }
    int Max() const { return FMax; }
    void SetMax(int V) { SetParams(FPosition, FMin, V); }
    int Position() const { return FPosition; }
    void SetPosition(int V) { SetParams(V, FMin, FMax); }
    int PageSize() const { return FPageSize; }
    void SetPageSize(int V);
    void SetParams(int APosition, int AMin, int AMax);

    TNotifyEvent OnChange;

  protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateHandle() override;
    void WndProc(TMessage& Message) override;

  private:
    void UpdateInfo();
    TScrollBarKind FKind = sbHorizontal;
    int FMin = 0, FMax = 100, FPosition = 0, FPageSize = 0;
};
