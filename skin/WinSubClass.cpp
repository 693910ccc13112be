#include "WinSubClass.h"

#include "WinConvert.h"
#include "WinSkinForm.h"

#include "WinSubButton.h"
#include "WinSubCtrls.h"
#include "WinSubDialog.h"
#include "WinSubEdit.h"
#include "WinSubList.h"
#include "WinSubScroll.h"
#include "WinSubStatus.h"
#include "WinSubTab.h"

#include "Buttons.h"
#include "ComCtrls.h"
#include "StdCtrls.h"

#include <algorithm>
#include <cwctype>

TSkinControl::TSkinControl(TComponent* AOwner) : TComponent(AOwner) {}

TSkinControl::~TSkinControl() {
    *FAlive = false;
    Destroying();
    // A skin taken off a live control gives back the colour it changed; a control being
    // destroyed is past caring.
    if (Recolour && Control && State == scsAttached &&
        !Control->ComponentState().Contains(csDestroying))
        GiveColourBack();
    Release();
}

void TSkinControl::TakeColour() {
    SavedColor = Control->Color();
    SavedParentColor = Control->ParentColor();
    Control->SetColor(SkinData->ButtonFace);
}

void TSkinControl::GiveColourBack() {
    Control->SetColor(SavedColor);
    // A control that followed its parent's colour follows it again.
    if (SavedParentColor) Control->SetParentColor(true);
}

void TSkinControl::Release() {
    FHook.Remove();
    FSubclass.Remove();
    if (SkinForm) SkinForm->RemoveControlSkin(this);
    SkinForm = nullptr;
}

TControl* TSkinControl::SkinnedControl() const {
    return Control ? static_cast<TControl*>(Control) : GraphicControl;
}

void TSkinControl::InitControl(TWinSkinForm* Frame, TSkinData* Data, bool ARecolour,
                               TCanvas* ACanvas) {
    if (Attached) return;
    Recolour = ARecolour;
    SkinData = Data;
    SkinForm = Frame;
    Canvas = ACanvas;
    Control = dynamic_cast<TWinControl*>(Owner());
    if (!Control) return;
    Wnd = Control->Handle();
    FHooked = true;
    FHook.Install(*Control, [this](TMessage& M, const TWndMethod&) { MessageEntry(M); });
    Frame->AddControlSkin(this);
    Focused = GetFocus() == Wnd;
    Enabled = !(GetWindowLongW(Wnd, GWL_STYLE) & WS_DISABLED);
    Text = SkinWindowText(Wnd, true);
    if (Recolour) TakeColour();
    Control->Invalidate();
    Attached = true;
    State = scsAttached;
}

void TSkinControl::InitWindow(HWND AWnd, TSkinData* Data, TWinSkinForm* Frame, TCanvas* ACanvas) {
    if (Attached) return;
    Wnd = AWnd;
    SkinData = Data;
    SkinForm = Frame;
    Canvas = ACanvas;
    Enabled = true;
    Focused = GetFocus() == Wnd;
    Frame->AddControlSkin(this);
    Text = SkinWindowText(Wnd, false);
    FHooked = false;
    FSubclass.Install(
        Wnd, [this](TMessage& M) { MessageEntry(M); }, false);
    InvalidateRect(Wnd, nullptr, TRUE);
    Attached = true;
    State = scsAttached;
}

void TSkinControl::InitGraphic(TWinSkinForm* Frame, TSkinData* Data, TCanvas* ACanvas) {
    if (Attached) return;
    SkinData = Data;
    SkinForm = Frame;
    Canvas = ACanvas;
    GraphicControl = dynamic_cast<TControl*>(Owner());
    if (!GraphicControl) return;
    FHooked = true;
    FHook.Install(*GraphicControl, [this](TMessage& M, const TWndMethod&) { MessageEntry(M); });
    Frame->AddControlSkin(this);
    Enabled = GraphicControl->Enabled();
    Attached = true;
    State = scsAttached;
}

void TSkinControl::PassOn(TMessage& M) {
    if (FHooked)
        FHook.CallPrevious(M);
    else
        FSubclass.CallPrevious(M);
}

void TSkinControl::MessageEntry(TMessage& M) {
    // A handler below may free the control or its form (and this skin with it), or destroy
    // the window (its WM_NCDESTROY then arrives nested): nothing of the skin is touched once
    // it went, and only the outermost message deletes it.
    const std::shared_ptr<bool> Alive = FAlive;
    ++FDepth;
    if (!SkinActive) {
        if (M.Msg == SKM_ENABLESKIN) {
            SkinActive = M.WParam > 0;
            if (SkinActive) Repaint();
        } else {
            PassOn(M);
            if (!*Alive) return;
            if (M.Msg == WM_NCDESTROY) State = scsDestroyed;
        }
    } else if (BeforeMessage(M)) {
        if (!*Alive) return;
        PassOn(M);
        if (!*Alive) return;
        // A skin let go of while its control handled the message has nothing more to do.
        if (!FDisposed) AfterMessage(M);
    }
    if (!*Alive) return;
    --FDepth;
    // The window is gone: so is its skin.
    if (FDepth == 0 && (State == scsDestroyed || FDisposed)) delete this;
}

void TSkinControl::Dispose() {
    if (FDepth == 0) {
        delete this;
        return;
    }
    FDisposed = true;
    Release();
}

bool TSkinControl::BeforeMessage(TMessage& M) {
    if (M.Msg == WM_NCDESTROY) {
        if (!PassOnSurvived(M)) return false;
        State = scsDestroyed;
        RestoreColor();
        return false;
    }
    return true;
}

void TSkinControl::AfterMessage(TMessage& M) {
    switch (M.Msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        // Kept here rather than asked for at each paint: asking costs the system a round trip.
        Focused = M.Msg == WM_SETFOCUS;
        Repaint();
        break;
    case WM_ENABLE:
    case CM_ENABLEDCHANGED:
        Repaint();
        break;
    case WM_SETTEXT:
        if (M.LParam)
            Text = FHooked ? std::wstring(reinterpret_cast<const wchar_t*>(M.LParam))
                           : AnsiToWide(reinterpret_cast<const char*>(M.LParam));
        Repaint();
        break;
    case WM_PAINT:
        PaintFrame(reinterpret_cast<HDC>(M.WParam));
        break;
    case SKM_ENABLESKIN:
        SkinActive = M.WParam > 0;
        break;
    default:
        break;
    }
}

void TSkinControl::PaintFrame(HDC DC) {
    if (!Wnd || !GetWindowRect(Wnd, &ScreenRect)) return;
    const RECT R{0, 0, ScreenRect.right - ScreenRect.left, ScreenRect.bottom - ScreenRect.top};
    try {
        if (DC) {
            Paint(DC, R);
        } else {
            TWindowDC Window(Wnd, true);
            Paint(Window, R);
        }
    } catch (...) {
        // A broken skin never stops the control.
    }
}

void TSkinControl::Paint(HDC, const RECT&) {}

void TSkinControl::RestoreColor() {
    if (Recolour && Control) GiveColourBack();
}

void TSkinControl::Refresh() {
    if (Recolour && Control) Control->SetColor(SkinData->ButtonFace);
    Repaint();
}

void TSkinControl::Repaint() {
    if (TControl* C = SkinnedControl()) {
        C->Invalidate();
    } else if (Wnd) {
        InvalidateRect(Wnd, nullptr, TRUE);
        UpdateWindow(Wnd);
    }
}

void TSkinControl::EndHover() {
    if (Wnd)
        SendMessageW(Wnd, CM_MOUSELEAVE, 0, 0);
    else if (GraphicControl)
        GraphicControl->Perform(CM_MOUSELEAVE);
}

void TSkinControl::FillFace(HDC DC, const RECT& R) const {
    FillColor(DC, R, SkinData->ButtonFace);
}

void TSkinControl::FillParentColour(HDC DC, const RECT& R) const {
    const TControl* C = SkinnedControl();
    FillColor(DC, R, C && C->Parent() ? C->Parent()->Color() : SkinData->ButtonFace);
}

void TSkinControl::PaintWhole(TMessage& M) {
    PAINTSTRUCT PS{};
    const HDC Given = reinterpret_cast<HDC>(M.WParam);
    const HDC DC = Given ? Given : BeginPaint(Wnd, &PS);
    try {
        if (DC && GetWindowRect(Wnd, &ScreenRect))
            Paint(DC,
                  {0, 0, ScreenRect.right - ScreenRect.left, ScreenRect.bottom - ScreenRect.top});
    } catch (...) {
        // A broken skin never stops the control.
    }
    if (!Given) EndPaint(Wnd, &PS);
    M.Result = 0;
}

void TSkinControl::PaintOverOwn(TMessage& M, bool EraseFirst) {
    PAINTSTRUCT PS{};
    const HDC Given = reinterpret_cast<HDC>(M.WParam);
    const HDC DC = Given ? Given : BeginPaint(Wnd, &PS);
    RECT Client{};
    GetClientRect(Wnd, &Client);
    if (DC && Client.right > 0 && Client.bottom > 0) {
        TBitmap Picture(Client.right, Client.bottom);
        const HDC Off = Picture.Canvas()->Handle();
        // The control's own picture first (its background included), then the skin's.
        if (EraseFirst) {
            TMessage Erase{WM_ERASEBKGND, reinterpret_cast<WPARAM>(Off), 0, 0};
            PassOn(Erase);
        }
        TMessage Own{WM_PAINT, reinterpret_cast<WPARAM>(Off), 0, 0};
        PassOn(Own);
        try {
            Paint(Off, Client);
        } catch (...) {
            // A broken skin leaves the control's own look.
        }
        BitBlt(DC, 0, 0, Client.right, Client.bottom, Off, 0, 0, SRCCOPY);
    }
    if (!Given) EndPaint(Wnd, &PS);
    M.Result = 0;
}

void TSkinControl::RepaintNow() {
    if (Wnd && IsWindowVisible(Wnd))
        RedrawWindow(Wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

// ---------------------------------------------------------------------------------------------
// Which control gets which skin

namespace {

std::wstring Upper(std::wstring S) {
    for (wchar_t& C : S)
        C = static_cast<wchar_t>(towupper(C));
    return S;
}

std::wstring LowerClassOf(HWND Wnd) {
    wchar_t Name[101]{};
    GetClassNameW(Wnd, Name, 101);
    std::wstring S = Name;
    for (wchar_t& C : S)
        C = static_cast<wchar_t>(towlower(C));
    return S;
}

bool Has(const TWinSkinForm& F, TSkinControlType Kind) {
    return F.SkinData->SkinControls().Contains(Kind);
}

// Tabs are skinned only with the skin's tab pictures.
bool HasTabs(const TWinSkinForm& F) {
    return Has(F, xcTab) && HasPicture(F.SkinData->Tabs.get());
}

// A control whose tag says so is never skinned, by whatever road it is reached.
bool Excluded(const TWinSkinForm& F, const TControl& C) {
    return C.Tag() % 100 == F.SkinData->DisableTag();
}

// Skins whose window is gone are dropped before the controls are looked at again.
void DropDestroyed(TWinSkinForm& Frame) {
    for (TSkinControl* S : std::vector<TSkinControl*>(Frame.ControlSkins))
        if (S->State == scsDestroyed) S->Dispose();
}

// A skin is owned by its control; one that could not attach goes at once.
template <class S> void AttachTo(TWinSkinForm& F, TControl& C, bool Recolour = false) {
    auto* Skin = new S(&C);
    Skin->InitControl(&F, F.SkinData, Recolour, &F.SkinCanvas());
    if (!Skin->Attached) delete Skin;
}

template <class S> void AttachToWindow(TWinSkinForm& F, TControl& C) {
    auto* W = dynamic_cast<TWinControl*>(&C);
    if (!W) return;
    auto* Skin = new S(&C);
    Skin->InitWindow(W->Handle(), F.SkinData, &F, &F.SkinCanvas());
}

void AttachScrollbars(TWinSkinForm& F, TControl& C) {
    auto* W = dynamic_cast<TWinControl*>(&C);
    if (!W) return;
    auto* Skin = new TSkinScrollbar(W);
    Skin->InitScrollbar(W, F.SkinData, &F, &F.SkinCanvas());
    if (!Skin->Attached) delete Skin;
}

void AttachScrollBarControl(TWinSkinForm& F, TControl& C) {
    auto* W = dynamic_cast<TWinControl*>(&C);
    if (!W) return;
    try {
        W->HandleNeeded();
    } catch (...) {
        return;
    }
    auto* Skin = new TSkinScControl(W);
    Skin->Attach(W, F.SkinData, &F, &F.SkinCanvas());
    if (!Skin->Attached) delete Skin;
}

void AttachSpeedButton(TWinSkinForm& F, TControl& C) {
    auto* Skin = new TSkinSpeedButton(&C);
    Skin->InitGraphic(&F, F.SkinData, &F.SkinCanvas());
    if (!Skin->Attached) delete Skin;
}

bool ShowsScrollBars(const TControl& C) {
    auto* W = dynamic_cast<TWinControl*>(const_cast<TControl*>(&C));
    return W && W->HandleAllocated() &&
           (GetWindowLongW(W->Handle(), GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL)) != 0;
}

void SkinControl(TWinSkinForm& F, TControl& C);
bool AlreadySkinned(const TWinSkinForm& F, TControl& C);

void SkinChildControls(TWinSkinForm& F, TControl& C) {
    if (auto* W = dynamic_cast<TWinControl*>(&C))
        for (int I = 0; I < W->ControlCount(); ++I)
            SkinControl(F, *W->Controls(I));
}

void SkinOwnedControls(TWinSkinForm& F, TControl& C) {
    for (int I = 0; I < C.ComponentCount(); ++I)
        if (auto* Child = dynamic_cast<TControl*>(C.Components(I))) SkinControl(F, *Child);
}

// A row of the class table: the first row whose condition holds decides the control's skin.
// The table is one list so that a family joins it with a row of its own.
struct TClassRow {
    bool (*Matches)(const TWinSkinForm& F, TControl& C, const std::wstring& Name);
    void (*Apply)(TWinSkinForm& F, TControl& C);
};

template <class T> bool Is(TControl& C) {
    return dynamic_cast<T*>(&C) != nullptr;
}

bool NameIn(const std::wstring& Name, std::initializer_list<const wchar_t*> Names) {
    for (const wchar_t* N : Names)
        if (Name == N) return true;
    return false;
}

const TClassRow ClassRows[] = {
    // Controls that only hold others.
    {[](const TWinSkinForm&, TControl&, const std::wstring& N) {
         return NameIn(N, {L"TDBCOMBOBOXEH", L"TQRPREVIEW", L"TFRDESIGNERPAGE", L"TFRPBOX"});
     },
     SkinChildControls},
    {[](const TWinSkinForm& F, TControl&, const std::wstring& N) {
         return N == L"TTABSET" && HasTabs(F);
     },
     [](TWinSkinForm& F, TControl& C) { AttachTo<TSkinTab31>(F, C); }},
    {[](const TWinSkinForm& F, TControl&, const std::wstring& N) {
         return N == L"TTABBEDNOTEBOOK" && HasTabs(F);
     },
     [](TWinSkinForm& F, TControl& C) { AttachToWindow<TSkinTab>(F, C); }},
    {[](const TWinSkinForm& F, TControl&, const std::wstring& N) {
         return N == L"TTRACKBAR" && Has(F, xcButton);
     },
     [](TWinSkinForm& F, TControl& C) { AttachTo<TSkinTrackBar>(F, C); }},
    {[](const TWinSkinForm& F, TControl&, const std::wstring& N) {
         return NameIn(N, {L"TUPDOWN", L"TSPINBUTTON"}) && Has(F, xcButton);
     },
     [](TWinSkinForm& F, TControl& C) { AttachTo<TSkinUpDown>(F, C); }},
    // A navigator bar of data-aware forms: its buttons go flat on the skin's face colour.
    {[](const TWinSkinForm& F, TControl&, const std::wstring& N) {
         return N == L"TDBNAVIGATOR" && Has(F, xcPanel);
     },
     [](TWinSkinForm& F, TControl& C) {
         TrySetPropText(C, L"Flat", L"True");
         AttachTo<TSkinBox>(F, C, true);
     }},
    {[](const TWinSkinForm& F, TControl&, const std::wstring& N) {
         return N == L"TRZDBCHECKBOX" && Has(F, xcCheckBox);
     },
     [](TWinSkinForm& F, TControl& C) { AttachTo<TSkinObjImage>(F, C, true); }},
    {[](const TWinSkinForm& F, TControl& C, const std::wstring&) {
         return Is<TCustomComboBox>(C) && Has(F, xcCombo);
     },
     [](TWinSkinForm& F, TControl& C) { AttachTo<TSkinComBox>(F, C); }},
    // A date-time picker shows a drop-down button, unless it steps its fields with up-down
    // arrows (time pickers, and date pickers in up-down mode): then it is an edit to the skin.
    {[](const TWinSkinForm& F, TControl&, const std::wstring& N) {
         return N == L"TDATETIMEPICKER" && Has(F, xcEdit);
     },
     [](TWinSkinForm& F, TControl& C) {
         if (SameText(GetPropText(C, L"Kind"), L"dtkTime") ||
             SameText(GetPropText(C, L"DateMode"), L"dmUpDown"))
             AttachToWindow<TSkinEdit>(F, C);
         else
             AttachTo<TSkinComBox>(F, C);
     }},
    {[](const TWinSkinForm& F, TControl&, const std::wstring& N) {
         return NameIn(N, {L"TRICHEDIT", L"TWWDBRICHEDIT", L"TDXDBMEMO"}) && Has(F, xcScrollbar);
     },
     AttachScrollbars},
    // A panel takes the face colour; its children are skinned as well (a status bar made of a
    // panel stays a panel).
    {[](const TWinSkinForm& F, TControl& C, const std::wstring&) {
         return Is<TCustomPanel>(C) && Has(F, xcPanel);
     },
     [](TWinSkinForm& F, TControl& C) {
         AttachTo<TSkinBox>(F, C, true);
         SkinChildControls(F, C);
     }},
    {[](const TWinSkinForm& F, TControl& C, const std::wstring&) {
         return Is<TCheckBox>(C) && Has(F, xcCheckBox);
     },
     [](TWinSkinForm& F, TControl& C) { AttachTo<TSkinCheckBox>(F, C); }},
    {[](const TWinSkinForm& F, TControl& C, const std::wstring&) {
         return Is<TRadioButton>(C) && Has(F, xcRadioButton);
     },
     [](TWinSkinForm& F, TControl& C) { AttachTo<TSkinRadioButton>(F, C); }},
    // Check boxes and radio buttons whose element the skin leaves out keep their own look:
    // they are never taken for push buttons further down.
    {[](const TWinSkinForm&, TControl& C, const std::wstring&) { return Is<TButtonControl>(C); },
     [](TWinSkinForm&, TControl&) {}},
    {[](const TWinSkinForm& F, TControl& C, const std::wstring&) {
         return Is<TCustomGroupBox>(C) && Has(F, xcGroupBox);
     },
     [](TWinSkinForm& F, TControl& C) { AttachTo<TSkinGroupBox>(F, C, true); }},
    {[](const TWinSkinForm& F, TControl& C, const std::wstring&) {
         return Is<TProgressBar>(C) && Has(F, xcProgress);
     },
     [](TWinSkinForm& F, TControl& C) { AttachTo<TSkinProgress>(F, C); }},
    {[](const TWinSkinForm& F, TControl& C, const std::wstring&) {
         return Is<TStatusBar>(C) && Has(F, xcStatusBar);
     },
     [](TWinSkinForm& F, TControl& C) { AttachTo<TSkinStatusBar>(F, C); }},
    {[](const TWinSkinForm& F, TControl& C, const std::wstring&) {
         return Is<TCustomTabControl>(C) && HasTabs(F);
     },
     [](TWinSkinForm& F, TControl& C) { AttachToWindow<TSkinTab>(F, C); }},
    // Before the row of scrolling windows: a list view's header is skinned with its bars.
    {[](const TWinSkinForm& F, TControl& C, const std::wstring&) {
         return Is<TListView>(C) && Has(F, xcScrollbar);
     },
     [](TWinSkinForm& F, TControl& C) {
         auto& List = dynamic_cast<TListView&>(C);
         auto* Skin = new TSkinListView(&List);
         Skin->InitScrollbar(&List, F.SkinData, &F, &F.SkinCanvas());
         if (!Skin->Attached) delete Skin;
     }},
    {[](const TWinSkinForm& F, TControl&, const std::wstring& N) {
         return NameIn(N, {L"TDXTREELIST", L"TDXDBTREELIST", L"TDXDBGRID"}) && Has(F, xcScrollbar);
     },
     AttachScrollbars},
    {[](const TWinSkinForm& F, TControl& C, const std::wstring&) {
         return Is<TCustomMemo>(C) && Has(F, xcScrollbar);
     },
     AttachScrollbars},
    {[](const TWinSkinForm& F, TControl& C, const std::wstring&) {
         return Has(F, xcScrollbar) &&
                (ShowsScrollBars(C) || (Is<TWinControl>(C) && C.Tag() == 55));
     },
     AttachScrollbars},
    {[](const TWinSkinForm& F, TControl& C, const std::wstring&) {
         return Is<TButton>(C) && Has(F, xcButton);
     },
     [](TWinSkinForm& F, TControl& C) { AttachTo<TSkinButton>(F, C); }},
    {[](const TWinSkinForm& F, TControl& C, const std::wstring&) {
         return Is<TSpeedButton>(C) && Has(F, xcSpeedButton);
     },
     AttachSpeedButton},
    {[](const TWinSkinForm& F, TControl& C, const std::wstring&) {
         return Is<TCustomEdit>(C) && Has(F, xcEdit);
     },
     [](TWinSkinForm& F, TControl& C) { AttachToWindow<TSkinEdit>(F, C); }},
    // An embedded form takes the face colour as a panel does (and gives it back with the
    // skin); its controls are skinned as well.
    {[](const TWinSkinForm&, TControl& C, const std::wstring&) { return Is<TCustomForm>(C); },
     [](TWinSkinForm& F, TControl& C) {
         AttachTo<TSkinBox>(F, C, true);
         SkinChildControls(F, C);
     }},
    {[](const TWinSkinForm& F, TControl& C, const std::wstring& N) {
         if (!NameIn(N, {L"TDCEDIT", L"TDCDBEDIT"})) return false;
         const std::wstring Buttons = GetPropText(C, L"NumButtons");
         return (Buttons == L"1" && Has(F, xcCombo)) || (Buttons == L"0" && Has(F, xcEdit));
     },
     [](TWinSkinForm& F, TControl& C) {
         if (GetPropText(C, L"NumButtons") == L"1")
             AttachTo<TSkinComBox>(F, C);
         else
             AttachToWindow<TSkinEdit>(F, C);
     }},
};

// The windowed children of a control that have no skin yet and are not excluded by their tag.
template <class F> void ForEachFreeChild(TWinSkinForm& Frame, TControl& C, F Each) {
    auto* W = dynamic_cast<TWinControl*>(&C);
    if (!W) return;
    std::vector<TControl*> Children;
    for (int I = 0; I < W->ControlCount(); ++I)
        Children.push_back(W->Controls(I));
    for (TControl* Child : Children)
        if (Is<TWinControl>(*Child) && !Excluded(Frame, *Child) && !AlreadySkinned(Frame, *Child))
            Each(*Child);
}

// A control whose class Skin3rd names: its kind decides (true), whatever the class table says.
bool SkinByKind(TWinSkinForm& F, TControl& C) {
    std::wstring Kind;
    if (!F.SkinData->Skin3rdKind(C.ClassName(), Kind)) return false;
    if (Kind == L"combobox") {
        if (Has(F, xcCombo)) AttachTo<TSkinComBox>(F, C);
    } else if (Kind == L"edit") {
        if (Has(F, xcEdit)) AttachToWindow<TSkinEdit>(F, C);
    } else if (Kind == L"checkbox") {
        if (Has(F, xcCheckBox)) AttachTo<TSkinCheckBox>(F, C);
    } else if (Kind == L"radiobutton") {
        if (Has(F, xcRadioButton)) AttachTo<TSkinRadioButton>(F, C);
    } else if (Kind == L"groupbox") {
        if (Has(F, xcGroupBox)) AttachTo<TSkinGroupBox>(F, C, true);
    } else if (Kind == L"radiogroup") {
        if (Has(F, xcGroupBox) && Has(F, xcRadioButton))
            ForEachFreeChild(F, C, [&](TControl& Child) { AttachTo<TSkinRadioButton>(F, Child); });
    } else if (Kind == L"checkgroup") {
        // A check group's children go by the radio-button element, as a radio group's do.
        if (Has(F, xcPanel) && Has(F, xcRadioButton))
            ForEachFreeChild(F, C, [&](TControl& Child) { AttachTo<TSkinCheckBox>(F, Child); });
    } else if (Kind == L"panel") {
        if (Has(F, xcPanel)) {
            TrySetPropText(C, L"Transparent", L"True");
            AttachTo<TSkinBox>(F, C, true);
        }
    } else if (Kind == L"trackbar") {
        if (Has(F, xcButton)) {
            TrySetPropText(C, L"Transparent", L"True");
            AttachTo<TSkinTrackBar>(F, C);
        }
    } else if (Kind == L"tab") {
        if (HasTabs(F)) AttachToWindow<TSkinTab>(F, C);
    } else if (Kind == L"progress") {
        if (Has(F, xcProgress)) AttachTo<TSkinProgress>(F, C);
    } else if (Kind == L"button") {
        if (Has(F, xcButton)) AttachTo<TSkinButton>(F, C);
    } else if (Kind == L"bitbtn") {
        if (Has(F, xcButton)) AttachTo<TSkinBitButton>(F, C);
    } else if (Kind == L"speedbutton") {
        if (Has(F, xcSpeedButton)) AttachSpeedButton(F, C);
    } else if (Kind == L"scrollbar") {
        if (Has(F, xcScrollbar)) {
            AttachScrollbars(F, C);
            SkinOwnedControls(F, C);
        }
    } else if (Kind == L"embedscrollbar") {
        if (auto* W = dynamic_cast<TWinControl*>(&C); W && Has(F, xcScrollbar))
            for (int I = 0; I < W->ControlCount(); ++I) {
                TControl* Child = W->Controls(I);
                if (Excluded(F, *Child) || F.HasControlSkin(Child)) continue;
                if (Is<TScrollBar>(*Child))
                    AttachScrollBarControl(F, *Child);
                else if (ShowsScrollBars(*Child))
                    AttachScrollbars(F, *Child);
            }
    } else if (Kind == L"container") {
        if (auto* W = dynamic_cast<TWinControl*>(&C))
            for (int I = 0; I < W->ControlCount(); ++I)
                if (TControl* Child = W->Controls(I);
                    !Excluded(F, *Child) && !F.HasControlSkin(Child))
                    SkinByKind(F, *Child);
    }
    // "nil", and kinds whose skins this program does not have, leave the control alone.
    return true;
}

bool AlreadySkinned(const TWinSkinForm& F, TControl& C) {
    if (F.HasControlSkin(&C)) return true;
    auto* W = dynamic_cast<TWinControl*>(&C);
    return W && W->HandleAllocated() && F.FindControlSkin(W->Handle());
}

void SkinControl(TWinSkinForm& F, TControl& C) {
    if (Excluded(F, C) || AlreadySkinned(F, C)) return;
    if (auto* W = dynamic_cast<TWinControl*>(&C)) {
        try {
            W->HandleNeeded();
        } catch (...) {
            return;
        }
        if (!W->HandleAllocated() || F.FindControlSkin(W->Handle())) return;
    }
    if (const TOnSkinControl& Ask = F.SkinData->OnSkinControl) {
        TComponent* Given = nullptr;
        Ask(&F, F.SkinData, F.Form, &C, C.ClassName(), Given);
        if (auto* Skin = dynamic_cast<TSkinControl*>(Given)) {
            if (std::find(F.ControlSkins.begin(), F.ControlSkins.end(), Skin) ==
                F.ControlSkins.end())
                Skin->InitControl(&F, F.SkinData, Skin->Recolour, &F.SkinCanvas());
            if (Is<TCustomPanel>(C)) SkinChildControls(F, C);
            return;
        }
    }
    if (SkinByKind(F, C)) return;
    const std::wstring Name = Upper(C.ClassName());
    for (const TClassRow& Row : ClassRows)
        if (Row.Matches(F, C, Name)) {
            Row.Apply(F, C);
            return;
        }
}

// A child window of a dialog or message box: its system class decides.
void SkinPlainChild(TWinSkinForm& F, HWND Child) {
    if (!(GetWindowLongW(Child, GWL_STYLE) & WS_CHILD) || F.FindControlSkin(Child)) return;
    const std::wstring Class = LowerClassOf(Child);
    const DWORD Style = GetWindowLongW(Child, GWL_STYLE);
    TSkinControl* Skin = nullptr;
    HWND Target = Child;
    if (Class == L"button") {
        // The button type decides: owner-drawn buttons and command links share a bit with the
        // check styles but are no check boxes, and an owner-drawn button keeps its owner's look.
        const DWORD Kind = Style & BS_TYPEMASK;
        if (Kind == BS_CHECKBOX || Kind == BS_AUTOCHECKBOX || Kind == BS_3STATE ||
            Kind == BS_AUTO3STATE)
            Skin = new TSkinCheckBox(nullptr);
        else if (Kind == BS_RADIOBUTTON || Kind == BS_AUTORADIOBUTTON)
            Skin = new TSkinRadioButton(nullptr);
        else if (Kind != BS_GROUPBOX && Kind != BS_OWNERDRAW)
            Skin = new TSkinButton(nullptr);
    } else if (Class == L"combobox") {
        if ((Style & 3) != CBS_SIMPLE) Skin = new TSkinComBox(nullptr);
    } else if (Class == L"comboboxex32") {
        Target = GetWindow(Child, GW_CHILD);
        if (Target) Skin = new TSkinComBox(nullptr);
    } else if (Class == L"scrollbar") {
        // Only a size grip: painting a real scroll bar over with the face would hide it.
        if (Style & (SBS_SIZEBOX | SBS_SIZEGRIP)) Skin = new TSkinSizer(nullptr);
    } else if (Class == L"#32770") {
        Skin = new TSkinBoxH(nullptr);
    } else if (Class == L"edit") {
        Skin = new TSkinEdit(nullptr);
    }
    if (Skin) Skin->InitWindow(Target, F.SkinData, &F, &F.SkinCanvas());
}

} // namespace

void SkinFormControls(TWinSkinForm& Frame) {
    DropDestroyed(Frame);
    if (!Frame.Form || !Frame.SkinData) return;
    TCustomForm& Form = *Frame.Form;
    // Skins may create components (scroll-bar windows): walk a copy.
    std::vector<TControl*> Controls;
    for (int I = 0; I < Form.ComponentCount(); ++I)
        if (auto* C = dynamic_cast<TControl*>(Form.Components(I))) Controls.push_back(C);
    for (TControl* C : Controls)
        SkinControl(Frame, *C);
}

void SkinChildWindows(TWinSkinForm& Frame) {
    DropDestroyed(Frame);
    if (!Frame.SkinData) return;
    std::vector<HWND> Children;
    for (HWND C = GetWindow(Frame.Wnd, GW_CHILD); C; C = GetWindow(C, GW_HWNDNEXT))
        Children.push_back(C);
    for (HWND C : Children)
        SkinPlainChild(Frame, C);
}

void SkinChildWindow(TWinSkinForm& Frame, HWND Child) {
    if (Frame.SkinData) SkinPlainChild(Frame, Child);
}

PUBLISHED(TSkinControl) {}
