#include "ComCtrls.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "ImgList.h"
#include "SysUtils.h"

namespace {

// The common-control classes exist once the library registered them.
void NeedCommonControls() {
    static const bool Done = [] {
        INITCOMMONCONTROLSEX I{sizeof(I), ICC_PROGRESS_CLASS | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS |
                                              ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES};
        // (ICC_BAR_CLASSES also brings the status bar.)
        return InitCommonControlsEx(&I) != FALSE;
    }();
    (void)Done;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TProgressBar

TProgressBar::TProgressBar(TComponent* AOwner) : TWinControl(AOwner) {
    NeedCommonControls();
    SetBounds(0, 0, 150, 16);
}

void TProgressBar::CreateParams(TCreateParams& P) {
    TWinControl::CreateParams(P);
    P.SysClassName = PROGRESS_CLASSW;
    if (FOrientation == pbVertical) P.Style |= PBS_VERTICAL;
    if (FSmooth) P.Style |= PBS_SMOOTH;
}

void TProgressBar::CreateHandle() {
    TWinControl::CreateHandle();
    SendMessageW(Handle(), PBM_SETRANGE32, static_cast<WPARAM>(FMin), FMax);
    SendMessageW(Handle(), PBM_SETPOS, static_cast<WPARAM>(FPosition), 0);
}

void TProgressBar::SetRange(int AMin, int AMax) {
    if (AMax < AMin) AMax = AMin;
    FMin = AMin;
    FMax = AMax;
    FPosition = std::clamp(FPosition, FMin, FMax);
    if (!HandleAllocated()) return;
    SendMessageW(Handle(), PBM_SETRANGE32, static_cast<WPARAM>(FMin), FMax);
    SendMessageW(Handle(), PBM_SETPOS, static_cast<WPARAM>(FPosition), 0);
}

void TProgressBar::SetPosition(int V) {
    V = std::clamp(V, FMin, FMax);
    if (V == FPosition) return;
    FPosition = V;
    if (HandleAllocated()) SendMessageW(Handle(), PBM_SETPOS, static_cast<WPARAM>(V), 0);
}

void TProgressBar::SetOrientation(TProgressBarOrientation V) {
    if (V == FOrientation) return;
    FOrientation = V;
    if (HandleAllocated()) RecreateWnd();
}

void TProgressBar::SetSmooth(bool V) {
    if (V == FSmooth) return;
    FSmooth = V;
    if (HandleAllocated()) RecreateWnd();
}

// ---------------------------------------------------------------------------------------------
// TTrackBar

TTrackBar::TTrackBar(TComponent* AOwner) : TWinControl(AOwner) {
    NeedCommonControls();
    SetBounds(0, 0, 150, 45);
    SetTabStop(true);
    TControlStyle S = ControlStyle();
    S.Exclude(csClickEvents).Exclude(csCaptureMouse);
    SetControlStyle(S);
}

void TTrackBar::CreateParams(TCreateParams& P) {
    TWinControl::CreateParams(P);
    P.SysClassName = TRACKBAR_CLASSW;
    P.Style |= FOrientation == trVertical ? TBS_VERT : TBS_HORZ;
    P.Style |= FFrequency > 0 ? TBS_AUTOTICKS : TBS_NOTICKS;
    if (FTickMarks == tmTopLeft) P.Style |= TBS_TOP;
    if (FTickMarks == tmBoth) P.Style |= TBS_BOTH;
}

void TTrackBar::CreateHandle() {
    TWinControl::CreateHandle();
    const HWND W = Handle();
    SendMessageW(W, TBM_SETRANGEMIN, FALSE, FMin);
    SendMessageW(W, TBM_SETRANGEMAX, FALSE, FMax);
    SendMessageW(W, TBM_SETPAGESIZE, 0, FPageSize);
    SendMessageW(W, TBM_SETLINESIZE, 0, FLineSize);
    if (FFrequency > 0) SendMessageW(W, TBM_SETTICFREQ, static_cast<WPARAM>(FFrequency), 0);
    SendMessageW(W, TBM_SETPOS, TRUE, FPosition);
}

void TTrackBar::SetRange(int AMin, int AMax) {
    if (AMax < AMin) AMax = AMin;
    FMin = AMin;
    FMax = AMax;
    if (HandleAllocated()) {
        SendMessageW(Handle(), TBM_SETRANGEMIN, FALSE, FMin);
        SendMessageW(Handle(), TBM_SETRANGEMAX, TRUE, FMax);
    }
    SetPosition(FPosition);
}

void TTrackBar::SetPosition(int V) {
    V = std::clamp(V, FMin, FMax);
    const bool Moved = V != FPosition;
    FPosition = V;
    if (HandleAllocated()) SendMessageW(Handle(), TBM_SETPOS, TRUE, V);
    if (Moved && OnChange) OnChange(this);
}

void TTrackBar::SetOrientation(TTrackBarOrientation V) {
    if (V == FOrientation) return;
    FOrientation = V;
    if (HandleAllocated()) RecreateWnd();
}

void TTrackBar::SetFrequency(int V) {
    V = std::max(V, 0);
    if (V == FFrequency) return;
    const bool StyleChanges = (V > 0) != (FFrequency > 0);
    FFrequency = V;
    if (!HandleAllocated()) return;
    if (StyleChanges)
        RecreateWnd();
    else
        SendMessageW(Handle(), TBM_SETTICFREQ, static_cast<WPARAM>(V), 0);
}

void TTrackBar::SetTickMarks(TTickMark V) {
    if (V == FTickMarks) return;
    FTickMarks = V;
    if (HandleAllocated()) RecreateWnd();
}

void TTrackBar::SetPageSize(int V) {
    if (V == FPageSize) return;
    FPageSize = V;
    if (HandleAllocated()) SendMessageW(Handle(), TBM_SETPAGESIZE, 0, V);
}

void TTrackBar::SetLineSize(int V) {
    if (V == FLineSize) return;
    FLineSize = V;
    if (HandleAllocated()) SendMessageW(Handle(), TBM_SETLINESIZE, 0, V);
}

void TTrackBar::WndProc(TMessage& M) {
    if (M.Msg == CN_HSCROLL || M.Msg == CN_VSCROLL) {
        // Whatever the user did, the window holds the new position.
        const int P = static_cast<int>(SendMessageW(Handle(), TBM_GETPOS, 0, 0));
        if (P != FPosition) {
            FPosition = P;
            if (OnChange) OnChange(this);
        }
        return;
    }
    TWinControl::WndProc(M);
}

// ---------------------------------------------------------------------------------------------
// TUpDown

TUpDown::TUpDown(TComponent* AOwner) : TWinControl(AOwner) {
    NeedCommonControls();
    SetBounds(0, 0, 17, 25);
    TControlStyle S = ControlStyle();
    S.Exclude(csClickEvents).Exclude(csCaptureMouse);
    SetControlStyle(S);
}

void TUpDown::CreateParams(TCreateParams& P) {
    TWinControl::CreateParams(P);
    P.SysClassName = UPDOWN_CLASSW;
    P.Style |= UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS;
    if (FOrientation == udHorizontal) P.Style |= UDS_HORZ;
    if (FWrap) P.Style |= UDS_WRAP;
}

void TUpDown::CreateHandle() {
    TWinControl::CreateHandle();
    const HWND W = Handle();
    SendMessageW(W, UDM_SETRANGE32, static_cast<WPARAM>(FMin), FMax);
    UDACCEL Accel{0, static_cast<UINT>(FIncrement)};
    SendMessageW(W, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&Accel));
    if (FAssociate)
        SendMessageW(W, UDM_SETBUDDY, reinterpret_cast<WPARAM>(FAssociate->Handle()), 0);
    SendMessageW(W, UDM_SETPOS32, 0, FPosition);
}

int TUpDown::Position() const {
    if (!HandleAllocated()) return FPosition;
    return static_cast<int>(SendMessageW(const_cast<TUpDown*>(this)->Handle(), UDM_GETPOS32, 0, 0));
}

void TUpDown::SetRange(int AMin, int AMax) {
    FMin = AMin;
    FMax = AMax;
    if (HandleAllocated()) SendMessageW(Handle(), UDM_SETRANGE32, static_cast<WPARAM>(AMin), AMax);
    SetPosition(FPosition);
}

void TUpDown::SetPosition(int V) {
    V = std::clamp(V, std::min(FMin, FMax), std::max(FMin, FMax));
    FPosition = V;
    if (HandleAllocated()) SendMessageW(Handle(), UDM_SETPOS32, 0, V);
}

void TUpDown::SetIncrement(int V) {
    if (V == FIncrement) return;
    FIncrement = V;
    if (!HandleAllocated()) return;
    UDACCEL Accel{0, static_cast<UINT>(V)};
    SendMessageW(Handle(), UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&Accel));
}

void TUpDown::SetOrientation(TUDOrientation V) {
    if (V == FOrientation) return;
    FOrientation = V;
    if (HandleAllocated()) RecreateWnd();
}

void TUpDown::SetWrap(bool V) {
    if (V == FWrap) return;
    FWrap = V;
    if (HandleAllocated()) RecreateWnd();
}

void TUpDown::SetAssociate(TWinControl* V) {
    if (V == FAssociate) return;
    if (FAssociate) FAssociate->RemoveFreeNotification(this);
    FAssociate = V;
    if (V) V->FreeNotification(this);
    if (HandleAllocated())
        SendMessageW(Handle(), UDM_SETBUDDY, reinterpret_cast<WPARAM>(V ? V->Handle() : nullptr),
                     0);
}

void TUpDown::Notification(TComponent* AComponent, TOperation Operation) {
    TWinControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FAssociate) {
        FAssociate = nullptr;
        if (HandleAllocated()) SendMessageW(Handle(), UDM_SETBUDDY, 0, 0);
    }
}

void TUpDown::WndProc(TMessage& M) {
    if (M.Msg == CN_HSCROLL || M.Msg == CN_VSCROLL) {
        const int P = Position();
        if (P != FPosition) {
            FPosition = P;
            if (OnChange) OnChange(this);
        }
        return;
    }
    TWinControl::WndProc(M);
}

// ---------------------------------------------------------------------------------------------
// TStatusBar

void TStatusPanel::SetText(const std::wstring& V) {
    if (V == FText) return;
    FText = V;
    FBar->UpdatePanel(Index());
}

void TStatusPanel::SetWidth(int V) {
    V = std::max(V, 0);
    if (V == FWidth) return;
    FWidth = V;
    FBar->UpdatePanels();
}

void TStatusPanel::SetBevel(TStatusPanelBevel V) {
    if (V == FBevel) return;
    FBevel = V;
    FBar->UpdatePanel(Index());
}

void TStatusPanel::SetStyle(TStatusPanelStyle V) {
    if (V == FStyle) return;
    FStyle = V;
    FBar->UpdatePanel(Index());
}

void TStatusPanel::SetAlignment(TAlignment V) {
    if (V == FAlignment) return;
    FAlignment = V;
    FBar->UpdatePanel(Index());
}

int TStatusPanel::Index() const {
    for (int I = 0; I < FBar->PanelCount(); ++I)
        if (FBar->Panels(I) == this) return I;
    return -1;
}

TStatusBar::TStatusBar(TComponent* AOwner) : TWinControl(AOwner) {
    NeedCommonControls();
    SetBounds(0, 0, 200, 20);
    SetAlign(alBottom);
}

TStatusBar::~TStatusBar() {
    Destroying();
    DestroyHandle();
}

TStatusPanel* TStatusBar::Panels(int Index) const {
    if (Index < 0 || Index >= PanelCount())
        throw EListError(L"Status panel index out of bounds (" + IntToStr(Index) + L")");
    return FPanels[static_cast<size_t>(Index)].get();
}

TStatusPanel* TStatusBar::AddPanel() {
    FPanels.push_back(std::make_unique<TStatusPanel>(this));
    UpdatePanels();
    return FPanels.back().get();
}

void TStatusBar::ClearPanels() {
    FPanels.clear();
    UpdatePanels();
}

void TStatusBar::SetSimplePanel(bool V) {
    if (V == FSimplePanel) return;
    FSimplePanel = V;
    UpdatePanels();
}

void TStatusBar::SetSimpleText(const std::wstring& V) {
    if (V == FSimpleText) return;
    FSimpleText = V;
    if (HandleAllocated())
        SendMessageW(Handle(), SB_SETTEXTW, SB_SIMPLEID,
                     reinterpret_cast<LPARAM>(FSimpleText.c_str()));
}

void TStatusBar::SetSizeGrip(bool V) {
    if (V == FSizeGrip) return;
    FSizeGrip = V;
    if (HandleAllocated()) RecreateWnd();
}

void TStatusBar::CreateParams(TCreateParams& P) {
    TWinControl::CreateParams(P);
    P.SysClassName = STATUSCLASSNAMEW;
    // The class library places the bar itself (Align), not the control.
    P.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
    if (FSizeGrip) P.Style |= SBARS_SIZEGRIP;
}

void TStatusBar::CreateHandle() {
    TWinControl::CreateHandle();
    UpdatePanels();
}

void TStatusBar::UpdatePanels() {
    if (!HandleAllocated()) return;
    const HWND W = Handle();
    const bool Simple = FSimplePanel || FPanels.empty();
    SendMessageW(W, SB_SIMPLE, Simple, 0);
    if (Simple) {
        SendMessageW(W, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(FSimpleText.c_str()));
        return;
    }
    std::vector<int> Edges;
    int X = 0;
    for (const auto& P : FPanels)
        Edges.push_back(X += P->Width());
    Edges.back() = -1;
    SendMessageW(W, SB_SETPARTS, Edges.size(), reinterpret_cast<LPARAM>(Edges.data()));
    for (int I = 0; I < PanelCount(); ++I)
        UpdatePanel(I);
}

void TStatusBar::UpdatePanel(int Index) {
    if (!HandleAllocated() || Index < 0 || FSimplePanel) return;
    const TStatusPanel& P = *Panels(Index);
    WPARAM Flags = static_cast<WPARAM>(Index);
    if (P.Bevel() == pbNone) Flags |= SBT_NOBORDERS;
    if (P.Bevel() == pbRaised) Flags |= SBT_POPOUT;
    if (P.Style() == psOwnerDraw) {
        SendMessageW(Handle(), SB_SETTEXTW, Flags | SBT_OWNERDRAW, 0);
        return;
    }
    // The system aligns by leading tabs: one centres, two put the text right.
    const std::wstring Text = (P.Alignment() == taCenter         ? L"\t"
                               : P.Alignment() == taRightJustify ? L"\t\t"
                                                                 : L"") +
                              P.Text();
    SendMessageW(Handle(), SB_SETTEXTW, Flags, reinterpret_cast<LPARAM>(Text.c_str()));
}

void TStatusBar::WndProc(TMessage& M) {
    if (M.Msg == CN_DRAWITEM) {
        auto* D = reinterpret_cast<DRAWITEMSTRUCT*>(M.LParam);
        const int Index = static_cast<int>(D->itemID);
        if (OnDrawPanel && Index >= 0 && Index < PanelCount())
            OnDrawPanel(this, Panels(Index), D->hDC, D->rcItem);
        M.Result = TRUE;
        return;
    }
    TWinControl::WndProc(M);
}

// ---------------------------------------------------------------------------------------------
// TListView

TListView::TListView(TComponent* AOwner) : TWinControl(AOwner) {
    NeedCommonControls();
    SetBounds(0, 0, 250, 150);
    SetTabStop(true);
    SetColor(clWindow);
}

TListView::~TListView() {
    Destroying();
    DestroyHandle();
}

void TListView::CreateParams(TCreateParams& P) {
    TWinControl::CreateParams(P);
    P.SysClassName = WC_LISTVIEWW;
    P.Style |= LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS;
    P.ExStyle |= WS_EX_CLIENTEDGE;
}

void TListView::CreateHandle() {
    TWinControl::CreateHandle();
    SendMessageW(Handle(), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
                 LVS_EX_FULLROWSELECT);
    for (int I = 0; I < ColumnCount(); ++I)
        InsertColumn(I);
    for (int I = 0; I < ItemCount(); ++I)
        InsertItem(I);
}

void TListView::InsertColumn(int Index) {
    TColumn& C = FColumns[static_cast<size_t>(Index)];
    LVCOLUMNW Column{};
    Column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    Column.pszText = C.Caption.data();
    Column.cx = C.Width;
    Column.iSubItem = Index;
    SendMessageW(Handle(), LVM_INSERTCOLUMNW, static_cast<WPARAM>(Index),
                 reinterpret_cast<LPARAM>(&Column));
}

void TListView::InsertItem(int Index) {
    std::vector<std::wstring>& Texts = FItems[static_cast<size_t>(Index)];
    LVITEMW Item{};
    Item.mask = LVIF_TEXT;
    Item.iItem = Index;
    Item.pszText = Texts[0].data();
    SendMessageW(Handle(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&Item));
    for (size_t Sub = 1; Sub < Texts.size(); ++Sub) {
        LVITEMW S{};
        S.iSubItem = static_cast<int>(Sub);
        S.pszText = Texts[Sub].data();
        SendMessageW(Handle(), LVM_SETITEMTEXTW, static_cast<WPARAM>(Index),
                     reinterpret_cast<LPARAM>(&S));
    }
}

void TListView::AddColumn(const std::wstring& Caption, int Width) {
    FColumns.push_back({Caption, Width});
    if (HandleAllocated()) InsertColumn(ColumnCount() - 1);
}

int TListView::AddItem(const std::wstring& Caption, const std::vector<std::wstring>& SubItems) {
    std::vector<std::wstring> Texts{Caption};
    Texts.insert(Texts.end(), SubItems.begin(), SubItems.end());
    FItems.push_back(std::move(Texts));
    if (HandleAllocated()) InsertItem(ItemCount() - 1);
    return ItemCount() - 1;
}

void TListView::ClearItems() {
    FItems.clear();
    if (HandleAllocated()) SendMessageW(Handle(), LVM_DELETEALLITEMS, 0, 0);
}

int TListView::ItemIndex() const {
    if (!HandleAllocated()) return -1;
    return static_cast<int>(SendMessageW(const_cast<TListView*>(this)->Handle(), LVM_GETNEXTITEM,
                                         static_cast<WPARAM>(-1), LVNI_SELECTED));
}

// ---------------------------------------------------------------------------------------------
// TCustomTabControl

TCustomTabControl::TCustomTabControl(TComponent* AOwner) : TWinControl(AOwner) {
    NeedCommonControls();
    SetBounds(0, 0, 289, 193);
    // The area inside the tabs is the parent's, as the system draws tab controls.
    SetParentColor(true);
    SetTabStop(true);
    TControlStyle S = ControlStyle();
    S.Exclude(csClickEvents).Exclude(csCaptureMouse);
    SetControlStyle(S);
}

TCustomTabControl::~TCustomTabControl() {
    if (FImageList) ImageList_Destroy(FImageList);
}

void TCustomTabControl::CreateParams(TCreateParams& P) {
    TWinControl::CreateParams(P);
    P.SysClassName = WC_TABCONTROLW;
    switch (FTabPosition) {
    case tpBottom:
        P.Style |= TCS_BOTTOM;
        break;
    // The system stands tabs on their side only in rows.
    case tpLeft:
        P.Style |= TCS_VERTICAL | TCS_MULTILINE;
        break;
    case tpRight:
        P.Style |= TCS_VERTICAL | TCS_RIGHT | TCS_MULTILINE;
        break;
    default:
        break;
    }
}

void TCustomTabControl::CreateHandle() {
    TWinControl::CreateHandle();
    if (FImageList)
        SendMessageW(Handle(), TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(FImageList));
    for (int I = 0; I < TabCount(); ++I)
        SendTab(I, TCM_INSERTITEMW);
    SendMessageW(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(FTabIndex), 0);
}

void TCustomTabControl::SendTab(int Index, UINT Msg) {
    TTab& T = FTabs[static_cast<size_t>(Index)];
    TCITEMW Item{};
    Item.mask = TCIF_TEXT | TCIF_IMAGE;
    Item.pszText = T.Caption.data();
    Item.iImage = T.ImageIndex;
    SendMessageW(Handle(), Msg, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&Item));
}

void TCustomTabControl::InsertTab(int Index, const std::wstring& Caption, int ImageIndex) {
    Index = std::clamp(Index, 0, TabCount());
    FTabs.insert(FTabs.begin() + Index, TTab{Caption, ImageIndex});
    if (HandleAllocated()) SendTab(Index, TCM_INSERTITEMW);
    // The first tab is selected as soon as there is one.
    if (FTabIndex < 0) {
        SetTabIndex(0);
    } else {
        if (Index <= FTabIndex) ++FTabIndex;
        if (HandleAllocated())
            SendMessageW(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(FTabIndex), 0);
    }
}

void TCustomTabControl::DeleteTab(int Index) {
    if (Index < 0 || Index >= TabCount()) return;
    FTabs.erase(FTabs.begin() + Index);
    if (HandleAllocated()) SendMessageW(Handle(), TCM_DELETEITEM, static_cast<WPARAM>(Index), 0);
    const int Old = FTabIndex;
    if (Index < FTabIndex || FTabIndex >= TabCount()) --FTabIndex;
    if (HandleAllocated()) SendMessageW(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(FTabIndex), 0);
    // The selected tab went: another one shows now.
    if (Index == Old) Change();
}

void TCustomTabControl::UpdateTab(int Index, const std::wstring& Caption, int ImageIndex) {
    if (Index < 0 || Index >= TabCount()) return;
    FTabs[static_cast<size_t>(Index)] = TTab{Caption, ImageIndex};
    if (HandleAllocated()) SendTab(Index, TCM_SETITEMW);
}

const std::wstring& TCustomTabControl::TabCaption(int Index) const {
    return FTabs.at(static_cast<size_t>(Index)).Caption;
}

int TCustomTabControl::TabImage(int Index) const {
    return FTabs.at(static_cast<size_t>(Index)).ImageIndex;
}

void TCustomTabControl::SetTabIndex(int V) {
    if (V < -1 || V >= TabCount() || V == FTabIndex) return;
    FTabIndex = V;
    if (HandleAllocated()) SendMessageW(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(V), 0);
    Change();
}

void TCustomTabControl::SetTabPosition(TTabPosition V) {
    if (V == FTabPosition) return;
    FTabPosition = V;
    if (HandleAllocated()) RecreateWnd();
}

void TCustomTabControl::MakeImageList() {
    if (FImageList) ImageList_Destroy(FImageList);
    FImageList = nullptr;
    if (FImages && FImages->Count() > 0) {
        FImageList = ImageList_Create(FImages->Width(), FImages->Height(), ILC_COLOR32 | ILC_MASK,
                                      FImages->Count(), 0);
        for (int I = 0; FImageList && I < FImages->Count(); ++I) {
            TBitmap Image;
            FImages->GetBitmap(I, Image);
            ImageList_AddMasked(FImageList, Image.Handle(), ColorToRGB(FImages->MaskColor()));
        }
    }
    if (HandleAllocated())
        SendMessageW(Handle(), TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(FImageList));
}

void TCustomTabControl::SetImages(TImageList* V) {
    if (V == FImages) return;
    if (FImages) FImages->RemoveFreeNotification(this);
    FImages = V;
    if (V) V->FreeNotification(this);
    MakeImageList();
}

void TCustomTabControl::Notification(TComponent* AComponent, TOperation Operation) {
    TWinControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FImages) {
        FImages = nullptr;
        MakeImageList();
    }
}

RECT TCustomTabControl::DisplayRect() {
    RECT R = ClientRect();
    if (HandleAllocated())
        SendMessageW(Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&R));
    return R;
}

void TCustomTabControl::Change() {
    if (OnChange) OnChange(this);
}

void TCustomTabControl::WndProc(TMessage& M) {
    if (M.Msg == CN_NOTIFY && reinterpret_cast<NMHDR*>(M.LParam)->code == TCN_SELCHANGE) {
        const int Now = static_cast<int>(SendMessageW(Handle(), TCM_GETCURSEL, 0, 0));
        if (Now != FTabIndex) {
            FTabIndex = Now;
            Change();
        }
        return;
    }
    TWinControl::WndProc(M);
}

// ---------------------------------------------------------------------------------------------
// TTabControl

int TTabControl::AddTab(const std::wstring& Caption, int ImageIndex) {
    InsertTab(TabCount(), Caption, ImageIndex);
    return TabCount() - 1;
}

void TTabControl::SetTabCaption(int Index, const std::wstring& Caption) {
    UpdateTab(Index, Caption, TabImage(Index));
}

// ---------------------------------------------------------------------------------------------
// TTabSheet and TPageControl

TTabSheet::TTabSheet(TComponent* AOwner) : TCustomPanel(AOwner) {
    SetBevelOuter(bvNone);
    SetVisible(false);
}

TTabSheet::~TTabSheet() {
    if (FPageControl) FPageControl->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* V) {
    if (V == FPageControl) return;
    if (FPageControl) FPageControl->RemovePage(this);
    FPageControl = V;
    if (!V) return;
    SetParent(V);
    V->AddPage(this);
}

void TTabSheet::SetImageIndex(int V) {
    FImageIndex = V;
    if (FPageControl) FPageControl->PageChanged(this);
}

int TTabSheet::PageIndex() const {
    if (!FPageControl) return -1;
    for (int I = 0; I < FPageControl->PageCount(); ++I)
        if (FPageControl->Pages(I) == this) return I;
    return -1;
}

void TTabSheet::WndProc(TMessage& M) {
    TCustomPanel::WndProc(M);
    if (M.Msg == CM_TEXTCHANGED && FPageControl) FPageControl->PageChanged(this);
}

void TTabSheet::PaintTo(TCanvas& Canvas, const RECT& Client) {
    if (Color() == clNone)
        DrawParentBackground(this, Canvas.Handle());
    else
        FillColor(Canvas.Handle(), Client, Color());
}

TPageControl::~TPageControl() {
    for (TTabSheet* Page : FPages)
        Page->FPageControl = nullptr;
    FPages.clear();
}

void TPageControl::AddPage(TTabSheet* Page) {
    FPages.push_back(Page);
    InsertTab(PageCount() - 1, Page->Caption(), Page->ImageIndex());
    ShowActivePage();
}

void TPageControl::RemovePage(TTabSheet* Page) {
    const int Index = Page->PageIndex();
    if (Index < 0) return;
    FPages.erase(FPages.begin() + Index);
    Page->FPageControl = nullptr;
    Page->SetVisible(false);
    DeleteTab(Index);
    ShowActivePage();
}

void TPageControl::PageChanged(TTabSheet* Page) {
    UpdateTab(Page->PageIndex(), Page->Caption(), Page->ImageIndex());
}

TTabSheet* TPageControl::ActivePage() const {
    return TabIndex() >= 0 && TabIndex() < PageCount() ? Pages(TabIndex()) : nullptr;
}

void TPageControl::SetActivePage(TTabSheet* Page) {
    if (Page && Page->PageControl() == this) SetTabIndex(Page->PageIndex());
}

void TPageControl::Change() {
    ShowActivePage();
    TCustomTabControl::Change();
}

void TPageControl::CreateHandle() {
    TCustomTabControl::CreateHandle();
    ShowActivePage();
}

void TPageControl::WndProc(TMessage& M) {
    TCustomTabControl::WndProc(M);
    if (M.Msg == WM_SIZE) ShowActivePage();
}

void TPageControl::ShowActivePage() {
    TTabSheet* Active = ActivePage();
    if (Active && HandleAllocated()) {
        const RECT R = DisplayRect();
        Active->SetBounds(R.left, R.top, R.right - R.left, R.bottom - R.top);
    }
    for (TTabSheet* Page : FPages)
        Page->SetVisible(Page == Active);
}

// ---------------------------------------------------------------------------------------------
// TTabScroller and TTabSet

TTabScroller::TTabScroller(TComponent* AOwner) : TWinControl(AOwner) {
    NeedCommonControls();
    SetBounds(0, 0, TTabSet::ScrollerWidth, 16);
    TControlStyle S = ControlStyle();
    S.Exclude(csClickEvents).Exclude(csCaptureMouse);
    SetControlStyle(S);
}

void TTabScroller::CreateParams(TCreateParams& P) {
    TWinControl::CreateParams(P);
    P.SysClassName = UPDOWN_CLASSW;
    P.Style |= UDS_HORZ;
}

void TTabScroller::CreateHandle() {
    TWinControl::CreateHandle();
    SendMessageW(Handle(), UDM_SETRANGE32, 0, FLast);
    SendMessageW(Handle(), UDM_SETPOS32, 0, FPosition);
}

void TTabScroller::SetRange(int Last, int Position) {
    FLast = std::max(Last, 0);
    FPosition = std::clamp(Position, 0, FLast);
    if (!HandleAllocated()) return;
    SendMessageW(Handle(), UDM_SETRANGE32, 0, FLast);
    SendMessageW(Handle(), UDM_SETPOS32, 0, FPosition);
}

void TTabScroller::WndProc(TMessage& M) {
    if (M.Msg == CN_HSCROLL) {
        FPosition = static_cast<int>(SendMessageW(Handle(), UDM_GETPOS32, 0, 0));
        if (OnScroll) OnScroll(FPosition);
        return;
    }
    TWinControl::WndProc(M);
}

TTabSet::TTabSet(TComponent* AOwner) : TCustomControl(AOwner) {
    SetBounds(0, 0, 185, 21);
    // The scroller is the tab set's first component: that is how a skin finds it.
    FScroller = new TTabScroller(this);
    FScroller->SetVisible(false);
    FScroller->SetParent(this);
    FScroller->OnScroll = [this](int First) { SetFirstIndex(First); };
}

int TTabSet::AddTab(const std::wstring& Caption) {
    FTabs.push_back(Caption);
    if (FTabIndex < 0) FTabIndex = 0;
    UpdateScroller();
    Invalidate();
    return TabCount() - 1;
}

void TTabSet::SetTabIndex(int V) {
    if (V < -1 || V >= TabCount() || V == FTabIndex) return;
    FTabIndex = V;
    // The selected tab is brought into view.
    if (V >= 0 && V < FFirstIndex) SetFirstIndex(V);
    while (V >= 0 && FFirstIndex < V) {
        bool Shown = false;
        for (const auto& T : VisibleTabs())
            Shown = Shown || T.first == V;
        if (Shown) break;
        SetFirstIndex(FFirstIndex + 1);
    }
    Invalidate();
    if (OnChange) OnChange(this);
}

void TTabSet::SetFirstIndex(int V) {
    V = std::clamp(V, 0, std::max(TabCount() - 1, 0));
    if (V == FFirstIndex) return;
    FFirstIndex = V;
    UpdateScroller();
    Invalidate();
}

void TTabSet::SetStartMargin(int V) {
    FStartMargin = std::max(V, 0);
    UpdateScroller();
    Invalidate();
}

void TTabSet::SetEndMargin(int V) {
    FEndMargin = std::max(V, 0);
    UpdateScroller();
    Invalidate();
}

// Measured once for all tabs, and again only after a new tab or font: painting, clicks and the
// scroller all lay the tabs out.
const std::vector<int>& TTabSet::TabWidths() {
    if (FWidths.size() == FTabs.size()) return FWidths;
    FWidths.clear();
    TWindowDC DC(nullptr);
    TSelectObject UseFont(DC, Font()->Handle());
    for (const std::wstring& Text : FTabs) {
        SIZE Size{};
        GetTextExtentPoint32W(DC, Text.c_str(), static_cast<int>(Text.size()), &Size);
        FWidths.push_back(Size.cx + TabPadding);
    }
    return FWidths;
}

std::vector<std::pair<int, RECT>> TTabSet::VisibleTabs() {
    std::vector<std::pair<int, RECT>> Tabs;
    const int End = ClientWidth() - FEndMargin - (FScroller->Visible() ? ScrollerRoom : 0);
    const std::vector<int>& Widths = TabWidths();
    int X = FStartMargin;
    for (int I = FFirstIndex; I < TabCount(); ++I) {
        const int W = Widths[static_cast<size_t>(I)];
        if (X + W > End) break;
        Tabs.push_back({I, RECT{X, 0, X + W, ClientHeight()}});
        X += W;
    }
    return Tabs;
}

void TTabSet::UpdateScroller() {
    int X = FStartMargin;
    for (int W : TabWidths())
        X += W;
    const bool Needed = FFirstIndex > 0 || X > ClientWidth() - FEndMargin;
    FScroller->SetRange(TabCount() - 1, FFirstIndex);
    FScroller->SetBounds(ClientWidth() - ScrollerWidth, 1, ScrollerWidth,
                         std::clamp(ClientHeight() - 2, 1, 16));
    FScroller->SetVisible(Needed);
}

void TTabSet::CreateHandle() {
    TCustomControl::CreateHandle();
    UpdateScroller();
}

void TTabSet::WndProc(TMessage& M) {
    switch (M.Msg) {
    case WM_LBUTTONDOWN: {
        const POINT P{GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam)};
        for (const auto& [Index, R] : VisibleTabs())
            if (PtInRect(&R, P)) SetTabIndex(Index);
        break;
    }
    case WM_SIZE:
    case CM_FONTCHANGED:
        TCustomControl::WndProc(M);
        if (M.Msg == CM_FONTCHANGED) FWidths.clear();
        UpdateScroller();
        Invalidate();
        return;
    default:
        break;
    }
    TCustomControl::WndProc(M);
}

// Tabs hang from a line along the top edge; the selected one is open to the notebook above.
void TTabSet::Paint() {
    const int W = ClientWidth(), H = ClientHeight();
    if (W <= 0 || H <= 0) return;
    TBitmap Buffer(W, H);
    TCanvas& C = *Buffer.Canvas();
    const HDC DC = C.Handle();
    FillColor(DC, {0, 0, W, H}, Color());
    FillColor(DC, {0, 0, W, 1}, clWindowText);
    TSelectObject UseFont(DC, Font()->Handle());
    SetBkMode(DC, TRANSPARENT);
    SetTextColor(DC, ColorToRGB(this->Font()->Color()));
    TPenHandle Edge(CreatePen(PS_SOLID, 1, ColorToRGB(clWindowText)));
    TSelectObject Pen(DC, Edge);
    for (auto [Index, R] : VisibleTabs()) {
        const bool Selected = Index == FTabIndex;
        TBrushHandle Fill(CreateSolidBrush(ColorToRGB(Selected ? clBtnFace : clWindow)));
        TSelectObject Brush(DC, Fill);
        const POINT Shape[] = {
            {R.left, 0}, {R.left + 3, R.bottom - 2}, {R.right - 3, R.bottom - 2}, {R.right, 0}};
        Polygon(DC, Shape, 4);
        if (Selected) FillColor(DC, {R.left + 1, 0, R.right, 1}, clBtnFace);
        const std::wstring& Text = FTabs[static_cast<size_t>(Index)];
        DrawTextW(DC, Text.c_str(), static_cast<int>(Text.size()), &R,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    BitBlt(Canvas()->Handle(), 0, 0, W, H, DC, 0, 0, SRCCOPY);
    TCustomControl::Paint();
}

PUBLISHED(TProgressBar) {
    p.Property(L"Max", &TProgressBar::Max, &TProgressBar::SetMax);
    p.Property(L"Min", &TProgressBar::Min, &TProgressBar::SetMin);
    p.Property(L"Orientation", &TProgressBar::Orientation, &TProgressBar::SetOrientation);
    p.Property(L"Position", &TProgressBar::Position, &TProgressBar::SetPosition);
    p.Property(L"Smooth", &TProgressBar::Smooth, &TProgressBar::SetSmooth);
    p.Property(L"Step", &TProgressBar::Step, &TProgressBar::SetStep);
}

PUBLISHED(TTrackBar) {
    p.Property(L"Frequency", &TTrackBar::Frequency, &TTrackBar::SetFrequency);
    p.Property(L"LineSize", &TTrackBar::LineSize, &TTrackBar::SetLineSize);
    p.Property(L"Max", &TTrackBar::Max, &TTrackBar::SetMax);
    p.Property(L"Min", &TTrackBar::Min, &TTrackBar::SetMin);
    p.Property(L"Orientation", &TTrackBar::Orientation, &TTrackBar::SetOrientation);
    p.Property(L"PageSize", &TTrackBar::PageSize, &TTrackBar::SetPageSize);
    p.Property(L"Position", &TTrackBar::Position, &TTrackBar::SetPosition);
    p.Property(L"TickMarks", &TTrackBar::TickMarks, &TTrackBar::SetTickMarks);
    p.Property(L"OnChange", &TTrackBar::OnChange);
}

PUBLISHED(TUpDown) {
    p.Property(L"Associate", &TUpDown::Associate, &TUpDown::SetAssociate);
    p.Property(L"Increment", &TUpDown::Increment, &TUpDown::SetIncrement);
    p.Property(L"Max", &TUpDown::Max, &TUpDown::SetMax);
    p.Property(L"Min", &TUpDown::Min, &TUpDown::SetMin);
    p.Property(L"Orientation", &TUpDown::Orientation, &TUpDown::SetOrientation);
    p.Property(L"Position", &TUpDown::Position, &TUpDown::SetPosition);
    p.Property(L"Wrap", &TUpDown::Wrap, &TUpDown::SetWrap);
    p.Property(L"OnChange", &TUpDown::OnChange);
}

PUBLISHED(TStatusPanel) {
    p.Property(L"Alignment", &TStatusPanel::Alignment, &TStatusPanel::SetAlignment);
    p.Property(L"Bevel", &TStatusPanel::Bevel, &TStatusPanel::SetBevel);
    p.Property(L"Style", &TStatusPanel::Style, &TStatusPanel::SetStyle);
    p.Property(L"Text", &TStatusPanel::Text, &TStatusPanel::SetText);
    p.Property(L"Width", &TStatusPanel::Width, &TStatusPanel::SetWidth);
}

PUBLISHED(TStatusBar) {
    p.Property(L"SimplePanel", &TStatusBar::SimplePanel, &TStatusBar::SetSimplePanel);
    p.Property(L"SimpleText", &TStatusBar::SimpleText, &TStatusBar::SetSimpleText);
    p.Property(L"SizeGrip", &TStatusBar::SizeGrip, &TStatusBar::SetSizeGrip);
}

PUBLISHED(TListView) {}

PUBLISHED(TCustomTabControl) {
    p.Property(L"TabIndex", &TCustomTabControl::TabIndex, &TCustomTabControl::SetTabIndex);
    p.Property(L"TabPosition", &TCustomTabControl::TabPosition, &TCustomTabControl::SetTabPosition);
    p.Property(L"OnChange", &TCustomTabControl::OnChange);
}

PUBLISHED(TTabControl) {}

PUBLISHED(TTabSheet) {
    p.Property(L"ImageIndex", &TTabSheet::ImageIndex, &TTabSheet::SetImageIndex);
}

PUBLISHED(TPageControl) {}
PUBLISHED(TTabScroller) {}

PUBLISHED(TTabSet) {
    p.Property(L"EndMargin", &TTabSet::EndMargin, &TTabSet::SetEndMargin);
    p.Property(L"FirstIndex", &TTabSet::FirstIndex, &TTabSet::SetFirstIndex);
    p.Property(L"StartMargin", &TTabSet::StartMargin, &TTabSet::SetStartMargin);
    p.Property(L"TabIndex", &TTabSet::TabIndex, &TTabSet::SetTabIndex);
    p.Property(L"OnChange", &TTabSet::OnChange);
}
