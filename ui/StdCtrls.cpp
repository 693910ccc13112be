#include "StdCtrls.h"

#include <algorithm>
#include <vector>

namespace {

COLORREF Rgb(TColor C) {
    return ColorToRGB(C) & 0xFFFFFF;
}

} // namespace

void DrawParentBackground(TControl* Control, HDC DC) {
    TWinControl* Parent = Control->Parent();
    RECT Own{0, 0, Control->Width(), Control->Height()};
    if (!Parent) {
        FillColor(DC, Own, clBtnFace);
        return;
    }
    // Under a parent that shows nothing of its own lies the face colour.
    FillColor(DC, Own, clBtnFace);
    int Saved = SaveDC(DC);
    // The parent paints in its own coordinates; only our part of it lands.
    IntersectClipRect(DC, 0, 0, Own.right, Own.bottom);
    OffsetViewportOrgEx(DC, -Control->Left(), -Control->Top(), nullptr);
    auto Send = [&](UINT Msg) {
        if (Parent->HandleAllocated())
            SendMessageW(Parent->Handle(), Msg, reinterpret_cast<WPARAM>(DC), 0);
        else
            Parent->Perform(Msg, reinterpret_cast<WPARAM>(DC), 0);
    };
    Send(WM_ERASEBKGND);
    // Our own classes paint into a given DC; the system's controls would not take one.
    if (dynamic_cast<TCustomControl*>(Parent) || dynamic_cast<TCustomForm*>(Parent)) Send(WM_PAINT);
    RestoreDC(DC, Saved);
}

// ---------------------------------------------------------------------------------------------
// TCustomEdit

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
    SetBounds(0, 0, 121, 21);
    SetTabStop(true);
    SetColor(clWindow);
}

void TCustomEdit::CreateParams(TCreateParams& P) {
    TWinControl::CreateParams(P);
    P.SysClassName = L"EDIT";
    P.Style |= ES_AUTOHSCROLL;
    if (FReadOnly) P.Style |= ES_READONLY;
    if (!FHideSelection) P.Style |= ES_NOHIDESEL;
    if (FBorderStyle != bsNone) P.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomEdit::CreateHandle() {
    TWinControl::CreateHandle();
    if (FMaxLength > 0) SendMessageW(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
}

void TCustomEdit::SetText(const std::wstring& V) {
    // The window reports its own change while the text is being set; the one change that
    // counts follows as CM_TEXTCHANGED, whatever the window does.
    FSettingText = true;
    try {
        TWinControl::SetText(V);
    } catch (...) {
        FSettingText = false;
        throw;
    }
    FSettingText = false;
}

void TCustomEdit::SetMaxLength(int V) {
    if (V < 0) V = 0;
    if (V == FMaxLength) return;
    FMaxLength = V;
    if (HandleAllocated()) SendMessageW(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(V), 0);
}

void TCustomEdit::SetReadOnly(bool V) {
    if (V == FReadOnly) return;
    FReadOnly = V;
    if (HandleAllocated()) SendMessageW(Handle(), EM_SETREADONLY, V, 0);
}

void TCustomEdit::SetBorderStyle(TBorderStyle V) {
    V = V == bsNone ? bsNone : bsSingle;
    if (V == FBorderStyle) return;
    FBorderStyle = V;
    RecreateWnd();
}

void TCustomEdit::SetHideSelection(bool V) {
    if (V == FHideSelection) return;
    FHideSelection = V;
    RecreateWnd();
}

bool TCustomEdit::Modified() const {
    auto* Self = const_cast<TCustomEdit*>(this);
    return HandleAllocated() && SendMessageW(Self->Handle(), EM_GETMODIFY, 0, 0) != 0;
}

void TCustomEdit::SetModified(bool V) {
    if (HandleAllocated()) SendMessageW(Handle(), EM_SETMODIFY, V, 0);
}

int TCustomEdit::SelStart() const {
    if (!HandleAllocated()) return 0;
    DWORD Start = 0;
    SendMessageW(const_cast<TCustomEdit*>(this)->Handle(), EM_GETSEL,
                 reinterpret_cast<WPARAM>(&Start), 0);
    return static_cast<int>(Start);
}

void TCustomEdit::SetSelStart(int V) {
    SendMessageW(Handle(), EM_SETSEL, static_cast<WPARAM>(V), V);
}

int TCustomEdit::SelLength() const {
    if (!HandleAllocated()) return 0;
    DWORD Start = 0, End = 0;
    SendMessageW(const_cast<TCustomEdit*>(this)->Handle(), EM_GETSEL,
                 reinterpret_cast<WPARAM>(&Start), reinterpret_cast<LPARAM>(&End));
    return static_cast<int>(End - Start);
}

void TCustomEdit::SetSelLength(int V) {
    int Start = SelStart();
    SendMessageW(Handle(), EM_SETSEL, static_cast<WPARAM>(Start), Start + V);
}

std::wstring TCustomEdit::SelText() const {
    std::wstring T = Text();
    size_t Start = std::min<size_t>(static_cast<size_t>(SelStart()), T.size());
    return T.substr(Start, static_cast<size_t>(SelLength()));
}

void TCustomEdit::SetSelText(const std::wstring& V) {
    SendMessageW(Handle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(V.c_str()));
}

void TCustomEdit::SelectAll() {
    if (HandleAllocated()) SendMessageW(Handle(), EM_SETSEL, 0, -1);
}

void TCustomEdit::Change() {
    if (OnChange) OnChange(this);
}

void TCustomEdit::WndProc(TMessage& M) {
    switch (M.Msg) {
    case CN_COMMAND:
        if (HIWORD(M.WParam) == EN_CHANGE && !FSettingText) Change();
        return;
    case CM_TEXTCHANGED:
        TWinControl::WndProc(M);
        Change();
        return;
    case WM_SETFOCUS:
        TWinControl::WndProc(M);
        // Tabbing in selects the text; a click places the caret where it lands.
        if (FAutoSelect && !(GetKeyState(VK_LBUTTON) < 0)) SelectAll();
        return;
    default:
        TWinControl::WndProc(M);
    }
}

// ---------------------------------------------------------------------------------------------
// TCustomMemo

// The memo's lines as a plain list that follows the window: a change of the list sets the
// window's text, and the window's own changes (typing) are read back into the list.
class TCustomMemo::TMemoStrings : public TStringList {
  public:
    explicit TMemoStrings(TCustomMemo& Memo) : FMemo(Memo) {}

    void ReadFromWindow() {
        FReading = true;
        try {
            std::wstring T = FMemo.GetText();
            // The window keeps no empty line after a final line break.
            if (T.size() >= 2 && T.compare(T.size() - 2, 2, L"\r\n") == 0) T += L"\r\n";
            SetText(T);
        } catch (...) {
            FReading = false;
            throw;
        }
        FReading = false;
    }

  protected:
    void Changed() override {
        TStringList::Changed();
        if (FReading || UpdateCount() > 0) return;
        std::wstring T;
        for (int I = 0; I < Count(); ++I) {
            if (I) T += L"\r\n";
            T += Get(I);
        }
        FWriting = true;
        try {
            FMemo.SetText(T);
        } catch (...) {
            FWriting = false;
            throw;
        }
        FWriting = false;
    }

  public:
    bool FReading = false;
    bool FWriting = false;

  private:
    TCustomMemo& FMemo;
};

TCustomMemo::TCustomMemo(TComponent* AOwner)
    : TCustomEdit(AOwner), FLines(std::make_unique<TMemoStrings>(*this)) {
    SetBounds(0, 0, 185, 89);
}

TCustomMemo::~TCustomMemo() = default;

TStrings* TCustomMemo::Lines() const {
    return FLines.get();
}

void TCustomMemo::CreateParams(TCreateParams& P) {
    TCustomEdit::CreateParams(P);
    P.Style &= ~static_cast<DWORD>(ES_AUTOHSCROLL);
    P.Style |= ES_MULTILINE | ES_AUTOVSCROLL;
    if (!FWordWrap) P.Style |= ES_AUTOHSCROLL;
    if (FWantReturns) P.Style |= ES_WANTRETURN;
    if (FScrollBars == ssVertical || FScrollBars == ssBoth) P.Style |= WS_VSCROLL;
    if ((FScrollBars == ssHorizontal || FScrollBars == ssBoth) && !FWordWrap) P.Style |= WS_HSCROLL;
}

void TCustomMemo::SetScrollBars(TScrollStyle V) {
    if (V == FScrollBars) return;
    FScrollBars = V;
    RecreateWnd();
}

void TCustomMemo::SetWordWrap(bool V) {
    if (V == FWordWrap) return;
    FWordWrap = V;
    RecreateWnd();
}

void TCustomMemo::SetWantReturns(bool V) {
    if (V == FWantReturns) return;
    FWantReturns = V;
    RecreateWnd();
}

void TCustomMemo::Change() {
    // Text that did not come from the list (typed, or set as a whole) is read back into it.
    if (!FLines->FWriting) FLines->ReadFromWindow();
    TCustomEdit::Change();
}

void TCustomMemo::WndProc(TMessage& M) {
    if (M.Msg == WM_GETDLGCODE) {
        TCustomEdit::WndProc(M);
        if (!FWantTabs) M.Result &= ~DLGC_WANTTAB;
        return;
    }
    TCustomEdit::WndProc(M);
}

// ---------------------------------------------------------------------------------------------
// TButton

TButton::TButton(TComponent* AOwner) : TWinControl(AOwner) {
    SetBounds(0, 0, 75, 25);
    SetTabStop(true);
    // The window itself reports clicks (mouse and keyboard alike).
    TControlStyle S = ControlStyle();
    S.Exclude(csClickEvents);
    SetControlStyle(S);
}

void TButton::CreateParams(TCreateParams& P) {
    TWinControl::CreateParams(P);
    P.SysClassName = L"BUTTON";
    P.Style |= FDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    if (FMultiLine) P.Style |= BS_MULTILINE;
}

void TButton::SetMultiLine(bool V) {
    if (V == FMultiLine) return;
    FMultiLine = V;
    if (HandleAllocated()) RecreateWnd();
}

void TButton::SetDefault(bool V) {
    if (V == FDefault) return;
    FDefault = V;
    if (HandleAllocated())
        SendMessageW(Handle(), BM_SETSTYLE, V ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::WndProc(TMessage& M) {
    if (M.Msg == CN_COMMAND) {
        if (HIWORD(M.WParam) == BN_CLICKED) Click();
        return;
    }
    TWinControl::WndProc(M);
}

// ---------------------------------------------------------------------------------------------
// Check boxes and radio buttons

TButtonControl::TButtonControl(TComponent* AOwner) : TWinControl(AOwner) {
    SetBounds(0, 0, 97, 17);
    SetTabStop(true);
    // The window reports clicks (mouse and space bar alike).
    TControlStyle S = ControlStyle();
    S.Exclude(csClickEvents);
    SetControlStyle(S);
}

void TButtonControl::CreateParams(TCreateParams& P) {
    TWinControl::CreateParams(P);
    P.SysClassName = L"BUTTON";
    if (FAlignment == taLeftJustify) P.Style |= BS_LEFTTEXT;
}

void TButtonControl::SetAlignment(TAlignment V) {
    if (V == FAlignment) return;
    FAlignment = V;
    if (HandleAllocated()) RecreateWnd();
}

void TButtonControl::ShowCheck(WPARAM Check) {
    if (HandleAllocated()) SendMessageW(Handle(), BM_SETCHECK, Check, 0);
}

void TButtonControl::WndProc(TMessage& M) {
    if (M.Msg == CN_COMMAND) {
        // A radio button reports a quick second click as a double click.
        if (HIWORD(M.WParam) == BN_CLICKED || HIWORD(M.WParam) == BN_DOUBLECLICKED) {
            Toggle();
            Click();
        }
        return;
    }
    TWinControl::WndProc(M);
}

TCheckBox::TCheckBox(TComponent* AOwner) : TButtonControl(AOwner) {}

void TCheckBox::CreateParams(TCreateParams& P) {
    TButtonControl::CreateParams(P);
    P.Style |= BS_3STATE;
}

void TCheckBox::CreateHandle() {
    TButtonControl::CreateHandle();
    ShowCheck(static_cast<WPARAM>(FState));
}

void TCheckBox::SetState(TCheckBoxState V) {
    if (V == FState) return;
    FState = V;
    ShowCheck(static_cast<WPARAM>(V));
}

void TCheckBox::Toggle() {
    switch (FState) {
    case cbUnchecked:
        SetState(FAllowGrayed ? cbGrayed : cbChecked);
        break;
    case cbChecked:
        SetState(cbUnchecked);
        break;
    case cbGrayed:
        SetState(cbChecked);
        break;
    }
}

TRadioButton::TRadioButton(TComponent* AOwner) : TButtonControl(AOwner) {}

void TRadioButton::CreateParams(TCreateParams& P) {
    TButtonControl::CreateParams(P);
    P.Style |= BS_RADIOBUTTON;
}

void TRadioButton::CreateHandle() {
    TButtonControl::CreateHandle();
    ShowCheck(FChecked ? BST_CHECKED : BST_UNCHECKED);
}

void TRadioButton::SetChecked(bool V) {
    if (V == FChecked) return;
    FChecked = V;
    ShowCheck(V ? BST_CHECKED : BST_UNCHECKED);
    if (!V || !Parent()) return;
    for (int I = 0; I < Parent()->ControlCount(); ++I)
        if (auto* Other = dynamic_cast<TRadioButton*>(Parent()->Controls(I));
            Other && Other != this)
            Other->SetChecked(false);
}

void TRadioButton::Toggle() {
    SetChecked(true);
}

// ---------------------------------------------------------------------------------------------
// TCustomPanel

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {
    SetBounds(0, 0, 185, 41);
    SetColor(clBtnFace);
    SetControlStyle(ControlStyle().Include(csAcceptsControls).Include(csOpaque));
}

void TCustomPanel::SetBevelInner(TBevelCut V) {
    if (V == FBevelInner) return;
    FBevelInner = V;
    Invalidate();
}

void TCustomPanel::SetBevelOuter(TBevelCut V) {
    if (V == FBevelOuter) return;
    FBevelOuter = V;
    Invalidate();
}

void TCustomPanel::SetBevelWidth(int V) {
    if (V < 1) V = 1;
    if (V == FBevelWidth) return;
    FBevelWidth = V;
    Invalidate();
}

void TCustomPanel::SetBorderWidth(int V) {
    if (V < 0) V = 0;
    if (V == FBorderWidth) return;
    FBorderWidth = V;
    Invalidate();
}

void TCustomPanel::SetBorderStyle(TBorderStyle V) {
    V = V == bsNone ? bsNone : bsSingle;
    if (V == FBorderStyle) return;
    FBorderStyle = V;
    Invalidate();
}

void TCustomPanel::SetAlignment(TAlignment V) {
    if (V == FAlignment) return;
    FAlignment = V;
    Invalidate();
}

void TCustomPanel::WndProc(TMessage& M) {
    switch (M.Msg) {
    case WM_ERASEBKGND:
        // Paint covers every pixel; erasing first would only flicker.
        M.Result = 1;
        return;
    case CM_TEXTCHANGED:
    case CM_ENABLEDCHANGED:
        Invalidate();
        break;
    default:
        break;
    }
    TCustomControl::WndProc(M);
}

void TCustomPanel::DrawBevels(HDC DC, RECT& R) {
    auto Bevel = [&](TBevelCut Cut) {
        if (Cut == bvNone) return;
        for (int I = 0; I < FBevelWidth; ++I) {
            if (Cut == bvSpace) {
                InflateRect(&R, -1, -1);
                continue;
            }
            TColor TopLeft = Cut == bvRaised ? clBtnHighlight : clBtnShadow;
            TColor BottomRight = Cut == bvRaised ? clBtnShadow : clBtnHighlight;
            FillColor(DC, {R.left, R.top, R.right - 1, R.top + 1}, TopLeft);
            FillColor(DC, {R.left, R.top, R.left + 1, R.bottom - 1}, TopLeft);
            FillColor(DC, {R.left, R.bottom - 1, R.right, R.bottom}, BottomRight);
            FillColor(DC, {R.right - 1, R.top, R.right, R.bottom}, BottomRight);
            InflateRect(&R, -1, -1);
        }
    };
    if (FBorderStyle == bsSingle) {
        FillColor(DC, {R.left, R.top, R.right, R.top + 1}, clWindowFrame);
        FillColor(DC, {R.left, R.bottom - 1, R.right, R.bottom}, clWindowFrame);
        FillColor(DC, {R.left, R.top, R.left + 1, R.bottom}, clWindowFrame);
        FillColor(DC, {R.right - 1, R.top, R.right, R.bottom}, clWindowFrame);
        InflateRect(&R, -1, -1);
    }
    Bevel(FBevelOuter);
    InflateRect(&R, -FBorderWidth, -FBorderWidth);
    Bevel(FBevelInner);
}

void TCustomPanel::PaintTo(TCanvas& Canvas, const RECT& Client) {
    HDC DC = Canvas.Handle();
    if (Color() == clNone)
        DrawParentBackground(this, DC);
    else
        FillColor(DC, Client, Color());
    RECT R = Client;
    DrawBevels(DC, R);
    std::wstring Text = Caption();
    if (Text.empty()) return;
    Canvas.Brush()->SetStyle(bsClear);
    Canvas.TextExtent(L""); // selects the font and its colour
    SetBkMode(DC, TRANSPARENT);
    UINT Format = DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS |
                  (FAlignment == taCenter         ? DT_CENTER
                   : FAlignment == taRightJustify ? DT_RIGHT
                                                  : DT_LEFT);
    if (!Enabled()) {
        RECT Lit = R;
        OffsetRect(&Lit, 1, 1);
        SetTextColor(DC, Rgb(clBtnHighlight));
        DrawTextW(DC, Text.c_str(), static_cast<int>(Text.size()), &Lit, Format);
        SetTextColor(DC, Rgb(clBtnShadow));
    }
    DrawTextW(DC, Text.c_str(), static_cast<int>(Text.size()), &R, Format);
}

void TCustomPanel::Paint() {
    // The whole window: a panel may report a smaller client area for its children.
    RECT Client{0, 0, Width(), Height()};
    if (Client.right <= 0 || Client.bottom <= 0) return;
    TBitmap Buffer(Client.right, Client.bottom);
    TCanvas& C = *Buffer.Canvas();
    C.Font()->Assign(*Font());
    PaintTo(C, Client);
    BitBlt(Canvas()->Handle(), 0, 0, Client.right, Client.bottom, C.Handle(), 0, 0, SRCCOPY);
    TCustomControl::Paint();
}

// ---------------------------------------------------------------------------------------------
// TCustomGroupBox

TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TCustomControl(AOwner) {
    // A group box takes its parent's colour (the default) until it is given one.
    SetBounds(0, 0, 185, 105);
    SetControlStyle(ControlStyle().Include(csAcceptsControls).Include(csOpaque));
}

void TCustomGroupBox::WndProc(TMessage& M) {
    switch (M.Msg) {
    case WM_ERASEBKGND:
        M.Result = 1;
        return;
    case CM_TEXTCHANGED:
    case CM_ENABLEDCHANGED:
        Invalidate();
        break;
    default:
        break;
    }
    TCustomControl::WndProc(M);
}

void TCustomGroupBox::DrawFrameAndCaption(TCanvas& Canvas, const RECT& Client) {
    HDC DC = Canvas.Handle();
    std::wstring Text = Caption();
    SIZE Ext = Canvas.TextExtent(Text.empty() ? L"0" : Text);
    RECT Frame{Client.left, Client.top + Ext.cy / 2 - 1, Client.right, Client.bottom};
    RECT T{8, 0, 8 + Ext.cx + 4, Ext.cy};
    int Saved = SaveDC(DC);
    // The caption breaks the top line.
    if (!Text.empty()) ExcludeClipRect(DC, T.left, T.top, T.right, T.bottom);
    DrawEdge(DC, &Frame, EDGE_ETCHED, BF_RECT);
    RestoreDC(DC, Saved);
    if (Text.empty()) return;
    SetBkMode(DC, TRANSPARENT);
    RECT In{T.left + 2, T.top, T.right, T.bottom};
    if (!Enabled()) {
        RECT Lit = In;
        OffsetRect(&Lit, 1, 1);
        SetTextColor(DC, Rgb(clBtnHighlight));
        DrawTextW(DC, Text.c_str(), static_cast<int>(Text.size()), &Lit, DT_SINGLELINE);
        SetTextColor(DC, Rgb(clBtnShadow));
    } else {
        SetTextColor(DC, Rgb(Font()->Color()));
    }
    DrawTextW(DC, Text.c_str(), static_cast<int>(Text.size()), &In, DT_SINGLELINE);
}

void TCustomGroupBox::PaintTo(TCanvas& Canvas, const RECT& Client) {
    if (Color() == clNone)
        DrawParentBackground(this, Canvas.Handle());
    else
        FillColor(Canvas.Handle(), Client, Color());
    DrawFrameAndCaption(Canvas, Client);
}

void TCustomGroupBox::Paint() {
    RECT Client = ClientRect();
    if (Client.right <= 0 || Client.bottom <= 0) return;
    TBitmap Buffer(Client.right, Client.bottom);
    TCanvas& C = *Buffer.Canvas();
    C.Font()->Assign(*Font());
    PaintTo(C, Client);
    BitBlt(Canvas()->Handle(), 0, 0, Client.right, Client.bottom, C.Handle(), 0, 0, SRCCOPY);
    TCustomControl::Paint();
}

// ---------------------------------------------------------------------------------------------
// TCustomComboBox

// The items as a plain list that the window's list follows.
class TCustomComboBox::TComboStrings : public TStringList {
  public:
    explicit TComboStrings(TCustomComboBox& Combo) : FCombo(Combo) {}

  protected:
    void Changed() override {
        TStringList::Changed();
        if (UpdateCount() == 0) FCombo.FillList();
    }

  private:
    TCustomComboBox& FCombo;
};

TCustomComboBox::TCustomComboBox(TComponent* AOwner)
    : TWinControl(AOwner), FItems(std::make_unique<TComboStrings>(*this)) {
    SetBounds(0, 0, 145, 21);
    SetTabStop(true);
    SetColor(clWindow);
    // Selections are reported by the window; a mouse release is no click here.
    TControlStyle S = ControlStyle();
    S.Exclude(csClickEvents);
    SetControlStyle(S);
}

TCustomComboBox::~TCustomComboBox() {
    Destroying();
    // The window goes before the list it shows.
    DestroyHandle();
}

TStrings* TCustomComboBox::Items() const {
    return FItems.get();
}

void TCustomComboBox::CreateParams(TCreateParams& P) {
    TWinControl::CreateParams(P);
    P.SysClassName = L"COMBOBOX";
    static const DWORD Styles[] = {CBS_DROPDOWN, CBS_SIMPLE, CBS_DROPDOWNLIST,
                                   CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED,
                                   CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE};
    P.Style |= Styles[FStyle] | WS_VSCROLL | CBS_AUTOHSCROLL;
    if (FStyle >= csOwnerDrawFixed) P.Style |= CBS_HASSTRINGS;
    if (FStyle == csOwnerDrawVariable) P.Style |= CBS_NOINTEGRALHEIGHT;
    // The window's height takes in the dropped-down list.
    if (FStyle != csSimple) P.Height = DroppedHeight(FRequestedHeight);
    // Owner-drawn items are measured through the parent, which finds the box by its identifier.
    static UINT NextId = 0;
    NextId = NextId % 0x7FFF + 1;
    P.Menu = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(NextId));
}

void TCustomComboBox::CreateHandle() {
    TWinControl::CreateHandle();
    if (FMaxLength > 0) SendMessageW(Handle(), CB_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
    ApplyHeights();
    FillList();
    // A box that can be typed into keeps the text it was given before it had a window.
    if ((FStyle == csDropDown || FStyle == csSimple) && ItemIndex() < 0 && !FText.empty())
        SetWindowTextW(Handle(), FText.c_str());
}

int TCustomComboBox::DroppedHeight(int Height) const {
    return Height + std::max(FDropDownCount, 1) * std::max(ItemHeight(), 13) + 2;
}

void TCustomComboBox::ApplyHeights() {
    if (!HandleAllocated() || FStyle == csSimple) return;
    HWND W = Handle();
    if (FItemHeight > 0) SendMessageW(W, CB_SETITEMHEIGHT, 0, FItemHeight);
    // The selection field takes the height the control was given, less the box's 3-D edges.
    int Field = FRequestedHeight - 6;
    if (Field > 0) SendMessageW(W, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), Field);
}

void TCustomComboBox::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    FRequestedHeight = std::max(AHeight, 0);
    if (!HandleAllocated() || FStyle == csSimple)
        return TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    // The window's own height covers the dropped list; the window then reports the height of
    // what shows (the selection field), which becomes ours.
    SetWindowPos(Handle(), nullptr, ALeft, ATop, std::max(AWidth, 0), DroppedHeight(AHeight),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyHeights();
}

void TCustomComboBox::FillList() {
    if (!HandleAllocated()) return;
    HWND W = Handle();
    int Keep = SendMessageW(W, CB_GETCOUNT, 0, 0) > 0
                   ? static_cast<int>(SendMessageW(W, CB_GETCURSEL, 0, 0))
                   : FItemIndex;
    std::wstring Text = FStyle == csDropDown || FStyle == csSimple ? GetText() : std::wstring();
    SendMessageW(W, CB_RESETCONTENT, 0, 0);
    for (int I = 0; I < FItems->Count(); ++I)
        SendMessageW(W, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(FItems->Get(I).c_str()));
    if (Keep >= 0 && Keep < FItems->Count())
        SendMessageW(W, CB_SETCURSEL, static_cast<WPARAM>(Keep), 0);
    else if (!Text.empty())
        SetWindowTextW(W, Text.c_str());
}

int TCustomComboBox::ItemIndex() const {
    if (!HandleAllocated()) return FItemIndex;
    return static_cast<int>(
        SendMessageW(const_cast<TCustomComboBox*>(this)->Handle(), CB_GETCURSEL, 0, 0));
}

void TCustomComboBox::SetItemIndex(int V) {
    if (V < -1) V = -1;
    FItemIndex = V;
    if (HandleAllocated() && V < FItems->Count())
        SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(V), 0);
}

int TCustomComboBox::ItemHeight() const {
    if (FItemHeight > 0 || !HandleAllocated()) return FItemHeight > 0 ? FItemHeight : 13;
    return static_cast<int>(
        SendMessageW(const_cast<TCustomComboBox*>(this)->Handle(), CB_GETITEMHEIGHT, 0, 0));
}

void TCustomComboBox::SetItemHeight(int V) {
    if (V < 0) V = 0;
    if (V == FItemHeight) return;
    FItemHeight = V;
    ApplyHeights();
}

void TCustomComboBox::SetDropDownCount(int V) {
    FDropDownCount = std::max(V, 1);
    if (HandleAllocated()) SetBounds(Left(), Top(), Width(), Height());
}

bool TCustomComboBox::Sorted() const {
    return FItems->Sorted();
}

void TCustomComboBox::SetSorted(bool V) {
    FItems->SetSorted(V);
    FillList();
}

void TCustomComboBox::SetMaxLength(int V) {
    FMaxLength = std::max(V, 0);
    if (HandleAllocated()) SendMessageW(Handle(), CB_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
}

void TCustomComboBox::SetStyle(TComboBoxStyle V) {
    if (V == FStyle) return;
    FItemIndex = ItemIndex();
    FStyle = V;
    RecreateWnd();
}

void TCustomComboBox::SetText(const std::wstring& V) {
    if (FStyle != csDropDown && FStyle != csSimple) {
        // A list-only box shows one of its items: the text picks the item.
        int I = -1;
        for (int K = 0; K < FItems->Count(); ++K)
            if (FItems->Get(K) == V) I = K;
        if (I < 0)
            for (int K = 0; K < FItems->Count() && I < 0; ++K)
                if (AnsiCompareText(FItems->Get(K), V) == 0) I = K;
        SetItemIndex(I);
        return;
    }
    TWinControl::SetText(V);
}

bool TCustomComboBox::DroppedDown() const {
    return HandleAllocated() &&
           SendMessageW(const_cast<TCustomComboBox*>(this)->Handle(), CB_GETDROPPEDSTATE, 0, 0);
}

void TCustomComboBox::SetDroppedDown(bool V) {
    SendMessageW(Handle(), CB_SHOWDROPDOWN, V, 0);
}

void TCustomComboBox::Change() {
    if (OnChange) OnChange(this);
}

void TCustomComboBox::Select() {
    if (OnSelect)
        OnSelect(this);
    else
        Change();
}

void TCustomComboBox::DrawItem(int Index, const RECT& Rect, TOwnerDrawState State, HDC DC) {
    if (OnDrawItem) {
        OnDrawItem(this, Index, Rect, State);
        return;
    }
    bool Selected = State.Contains(odSelected);
    FillColor(DC, Rect, Selected ? clHighlight : Color());
    if (Index < 0 || Index >= FItems->Count()) return;
    SetBkMode(DC, TRANSPARENT);
    SetTextColor(DC, Rgb(Selected ? clHighlightText : Font()->Color()));
    RECT T = Rect;
    T.left += 2;
    const std::wstring& S = FItems->Get(Index);
    TSelectObject Sel(DC, Font()->Handle());
    DrawTextW(DC, S.c_str(), static_cast<int>(S.size()), &T,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

void TCustomComboBox::WndProc(TMessage& M) {
    switch (M.Msg) {
    case CN_COMMAND:
        switch (HIWORD(M.WParam)) {
        case CBN_SELCHANGE:
            FItemIndex = ItemIndex();
            Click();
            Select();
            break;
        case CBN_EDITCHANGE:
            Change();
            break;
        case CBN_DROPDOWN:
            if (OnDropDown) OnDropDown(this);
            break;
        case CBN_CLOSEUP:
            if (OnCloseUp) OnCloseUp(this);
            break;
        default:
            break;
        }
        return;
    case CN_DRAWITEM: {
        auto* D = reinterpret_cast<DRAWITEMSTRUCT*>(M.LParam);
        TOwnerDrawState S;
        if (D->itemState & ODS_SELECTED) S.Include(odSelected);
        if (D->itemState & ODS_FOCUS) S.Include(odFocused);
        if (D->itemState & ODS_DISABLED) S.Include(odDisabled);
        if (D->itemState & ODS_COMBOBOXEDIT) S.Include(odComboBoxEdit);
        DrawItem(static_cast<int>(D->itemID), D->rcItem, S, D->hDC);
        M.Result = TRUE;
        return;
    }
    case CN_MEASUREITEM: {
        auto* Me = reinterpret_cast<MEASUREITEMSTRUCT*>(M.LParam);
        int H = ItemHeight();
        if (FStyle == csOwnerDrawVariable && OnMeasureItem)
            OnMeasureItem(this, static_cast<int>(Me->itemID), H);
        Me->itemHeight = static_cast<UINT>(std::max(H, 1));
        M.Result = TRUE;
        return;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        // The edit part and the dropped list take the box's colours.
        M.Msg += CN_BASE;
        TWinControl::WndProc(M);
        return;
    default:
        TWinControl::WndProc(M);
    }
}

// ---------------------------------------------------------------------------------------------
// List box

class TCustomListBox::TListStrings : public TStringList {
  public:
    explicit TListStrings(TCustomListBox& List) : FList(List) {}

  protected:
    void Changed() override {
        TStringList::Changed();
        if (UpdateCount() == 0) FList.FillList();
    }

  private:
    TCustomListBox& FList;
};

TCustomListBox::TCustomListBox(TComponent* AOwner)
    : TWinControl(AOwner), FItems(std::make_unique<TListStrings>(*this)) {
    SetBounds(0, 0, 121, 97);
    SetTabStop(true);
    SetColor(clWindow);
}

TCustomListBox::~TCustomListBox() {
    Destroying();
    DestroyHandle();
}

TStrings* TCustomListBox::Items() const {
    return FItems.get();
}

void TCustomListBox::CreateParams(TCreateParams& P) {
    TWinControl::CreateParams(P);
    P.SysClassName = L"LISTBOX";
    P.Style |= WS_VSCROLL | WS_BORDER | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
}

void TCustomListBox::CreateHandle() {
    TWinControl::CreateHandle();
    FillList();
}

void TCustomListBox::FillList() {
    if (!HandleAllocated()) return;
    const HWND W = Handle();
    SendMessageW(W, WM_SETREDRAW, FALSE, 0);
    SendMessageW(W, LB_RESETCONTENT, 0, 0);
    for (int I = 0; I < FItems->Count(); ++I)
        SendMessageW(W, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(FItems->Get(I).c_str()));
    SendMessageW(W, LB_SETCURSEL, static_cast<WPARAM>(FItemIndex), 0);
    SendMessageW(W, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(W, nullptr, TRUE);
}

int TCustomListBox::ItemIndex() const {
    if (!HandleAllocated()) return FItemIndex;
    return static_cast<int>(
        SendMessageW(const_cast<TCustomListBox*>(this)->Handle(), LB_GETCURSEL, 0, 0));
}

void TCustomListBox::SetItemIndex(int V) {
    FItemIndex = V;
    if (HandleAllocated()) SendMessageW(Handle(), LB_SETCURSEL, static_cast<WPARAM>(V), 0);
}

int TCustomListBox::TopIndex() const {
    if (!HandleAllocated()) return 0;
    return static_cast<int>(
        SendMessageW(const_cast<TCustomListBox*>(this)->Handle(), LB_GETTOPINDEX, 0, 0));
}

void TCustomListBox::SetTopIndex(int V) {
    if (HandleAllocated()) SendMessageW(Handle(), LB_SETTOPINDEX, static_cast<WPARAM>(V), 0);
}

void TCustomListBox::WndProc(TMessage& M) {
    if (M.Msg == CN_COMMAND && HIWORD(M.WParam) == LBN_SELCHANGE) {
        FItemIndex = ItemIndex();
        Click();
        return;
    }
    TWinControl::WndProc(M);
}

// ---------------------------------------------------------------------------------------------
// Scroll bar

TScrollBar::TScrollBar(TComponent* AOwner) : TWinControl(AOwner) {
    SetBounds(0, 0, 121, GetSystemMetrics(SM_CYHSCROLL));
    SetTabStop(true);
    TControlStyle S = ControlStyle();
    S.Exclude(csClickEvents).Exclude(csCaptureMouse);
    SetControlStyle(S);
}

void TScrollBar::CreateParams(TCreateParams& P) {
    TWinControl::CreateParams(P);
    P.SysClassName = L"SCROLLBAR";
    P.Style |= FKind == sbVertical ? SBS_VERT : SBS_HORZ;
}

void TScrollBar::CreateHandle() {
    TWinControl::CreateHandle();
    UpdateInfo();
}

void TScrollBar::SetKind(TScrollBarKind V) {
    if (V == FKind) return;
    FKind = V;
    if (HandleAllocated()) RecreateWnd();
}

void TScrollBar::SetPageSize(int V) {
    if (V == FPageSize) return;
    FPageSize = std::max(V, 0);
    UpdateInfo();
}

void TScrollBar::SetParams(int APosition, int AMin, int AMax) {
    if (AMax < AMin) AMax = AMin;
    APosition = std::clamp(APosition, AMin, AMax);
    const bool Moved = APosition != FPosition;
    FMin = AMin;
    FMax = AMax;
    FPosition = APosition;
    UpdateInfo();
    if (Moved && OnChange) OnChange(this);
}

void TScrollBar::UpdateInfo() {
    if (!HandleAllocated()) return;
    SCROLLINFO I{sizeof(I), SIF_ALL | SIF_DISABLENOSCROLL, FMin,
                 FMax,      static_cast<UINT>(FPageSize),  FPosition,
                 0};
    SetScrollInfo(Handle(), SB_CTL, &I, TRUE);
}

void TScrollBar::WndProc(TMessage& M) {
    if (M.Msg == CN_HSCROLL || M.Msg == CN_VSCROLL) {
        const int Page = FPageSize > 0 ? FPageSize : std::max((FMax - FMin) / 10, 1);
        int P = FPosition;
        switch (LOWORD(M.WParam)) {
        case SB_LINEUP:
            P -= 1;
            break;
        case SB_LINEDOWN:
            P += 1;
            break;
        case SB_PAGEUP:
            P -= Page;
            break;
        case SB_PAGEDOWN:
            P += Page;
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            SCROLLINFO I{sizeof(I), SIF_TRACKPOS};
            GetScrollInfo(Handle(), SB_CTL, &I);
            P = I.nTrackPos;
            break;
        }
        case SB_TOP:
            P = FMin;
            break;
        case SB_BOTTOM:
            P = FMax;
            break;
        default:
            return;
        }
        const int Last = FPageSize > 0 ? FMax - FPageSize + 1 : FMax;
        SetPosition(std::clamp(P, FMin, std::max(FMin, Last)));
        return;
    }
    TWinControl::WndProc(M);
}

PUBLISHED(TCustomEdit) {
    p.Property(L"AutoSelect", &TCustomEdit::AutoSelect, &TCustomEdit::SetAutoSelect);
    p.Property(L"BorderStyle", &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle);
    p.Property(L"HideSelection", &TCustomEdit::HideSelection, &TCustomEdit::SetHideSelection);
    p.Property(L"MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength);
    p.Property(L"ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly);
    p.Property(L"Text", &TCustomEdit::Text, &TCustomEdit::SetText);
    p.Property(L"OnChange", &TCustomEdit::OnChange);
}

PUBLISHED(TEdit) {}

PUBLISHED(TCustomMemo) {
    p.Property(L"Lines", &TCustomMemo::Lines);
    p.Property(L"ScrollBars", &TCustomMemo::ScrollBars, &TCustomMemo::SetScrollBars);
    p.Property(L"WantReturns", &TCustomMemo::WantReturns, &TCustomMemo::SetWantReturns);
    p.Property(L"WantTabs", &TCustomMemo::WantTabs, &TCustomMemo::SetWantTabs);
    p.Property(L"WordWrap", &TCustomMemo::WordWrap, &TCustomMemo::SetWordWrap);
}

PUBLISHED(TMemo) {}

PUBLISHED(TButton) {
    p.Property(L"Cancel", &TButton::Cancel, &TButton::SetCancel);
    p.Property(L"Default", &TButton::Default, &TButton::SetDefault);
    p.Property(L"MultiLine", &TButton::MultiLine, &TButton::SetMultiLine);
}

PUBLISHED(TButtonControl) {
    p.Property(L"Alignment", &TButtonControl::Alignment, &TButtonControl::SetAlignment);
}

PUBLISHED(TCheckBox) {
    p.Property(L"AllowGrayed", &TCheckBox::AllowGrayed, &TCheckBox::SetAllowGrayed);
    p.Property(L"Checked", &TCheckBox::Checked, &TCheckBox::SetChecked);
    p.Property(L"State", &TCheckBox::State, &TCheckBox::SetState);
}

PUBLISHED(TRadioButton) {
    p.Property(L"Checked", &TRadioButton::Checked, &TRadioButton::SetChecked);
}

PUBLISHED(TCustomPanel) {
    p.Property(L"Alignment", &TCustomPanel::Alignment, &TCustomPanel::SetAlignment);
    p.Property(L"BevelInner", &TCustomPanel::BevelInner, &TCustomPanel::SetBevelInner);
    p.Property(L"BevelOuter", &TCustomPanel::BevelOuter, &TCustomPanel::SetBevelOuter);
    p.Property(L"BevelWidth", &TCustomPanel::BevelWidth, &TCustomPanel::SetBevelWidth);
    p.Property(L"BorderStyle", &TCustomPanel::BorderStyle, &TCustomPanel::SetBorderStyle);
    p.Property(L"BorderWidth", &TCustomPanel::BorderWidth, &TCustomPanel::SetBorderWidth);
}

PUBLISHED(TPanel) {}
PUBLISHED(TCustomGroupBox) {}
PUBLISHED(TGroupBox) {}

PUBLISHED(TCustomComboBox) {
    using C = TCustomComboBox;
    p.Property(L"DropDownCount", &C::DropDownCount, &C::SetDropDownCount);
    p.Property(L"ItemHeight", &C::ItemHeight, &C::SetItemHeight);
    p.Property(L"ItemIndex", &C::ItemIndex, &C::SetItemIndex);
    p.Property(L"Items", &C::Items);
    p.Property(L"MaxLength", &C::MaxLength, &C::SetMaxLength);
    p.Property(L"Sorted", &C::Sorted, &C::SetSorted);
    p.Property(L"Style", &C::Style, &C::SetStyle);
    p.Property(L"Text", &C::Text, &C::SetText);
    p.Property(L"OnChange", &C::OnChange);
    p.Property(L"OnCloseUp", &C::OnCloseUp);
    p.Property(L"OnDrawItem", &C::OnDrawItem);
    p.Property(L"OnDropDown", &C::OnDropDown);
    p.Property(L"OnMeasureItem", &C::OnMeasureItem);
    p.Property(L"OnSelect", &C::OnSelect);
}

PUBLISHED(TComboBox) {}

PUBLISHED(TCustomListBox) {
    p.Property(L"ItemIndex", &TCustomListBox::ItemIndex, &TCustomListBox::SetItemIndex);
    p.Property(L"Items", &TCustomListBox::Items);
}

PUBLISHED(TListBox) {}

PUBLISHED(TScrollBar) {
    p.Property(L"Kind", &TScrollBar::Kind, &TScrollBar::SetKind);
    p.Property(L"Max", &TScrollBar::Max, &TScrollBar::SetMax);
    p.Property(L"Min", &TScrollBar::Min, &TScrollBar::SetMin);
    p.Property(L"PageSize", &TScrollBar::PageSize, &TScrollBar::SetPageSize);
    p.Property(L"Position", &TScrollBar::Position, &TScrollBar::SetPosition);
    p.Property(L"OnChange", &TScrollBar::OnChange);
}
