#include "WinSkinControls.h"

#include "WinConvert.h"
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
#include "Forms.h"
#include "StdCtrls.h"

#include <algorithm>

namespace {

// What every choice reads: where the skins go, the skin, and for the OnSkinControl callback the
// form and the frame skin.
struct TSkinning {
    TControlSkins& Skins;
    TSkinData& Data;
    TCustomForm* Form;
    TComponent* Sender;
};

bool Has(const TSkinning& S, TSkinControlType Kind) {
    return S.Data.SkinControls().Contains(Kind);
}

// Tabs are skinned only with the skin's tab pictures.
bool HasTabs(const TSkinning& S) {
    return Has(S, xcTab) && HasPicture(S.Data.Tabs.get());
}

// A control whose tag says so is never skinned, by whatever road it is reached.
bool Excluded(const TSkinning& S, const TControl& C) {
    return C.Tag() % 100 == S.Data.DisableTag();
}

// A skin is owned by its control; one that could not attach goes at once.
template <class TSkin> void AttachTo(const TSkinning& S, TControl& C, bool Recolour = false) {
    auto* Skin = new TSkin(&C);
    Skin->InitControl(&S.Skins, &S.Data, Recolour);
    if (!Skin->Attached) delete Skin;
}

template <class TSkin> void AttachToWindow(const TSkinning& S, TControl& C) {
    auto* W = dynamic_cast<TWinControl*>(&C);
    if (!W) return;
    auto* Skin = new TSkin(&C);
    Skin->InitWindow(W->Handle(), &S.Data, &S.Skins);
}

void AttachScrollbars(const TSkinning& S, TControl& C) {
    auto* W = dynamic_cast<TWinControl*>(&C);
    if (!W) return;
    auto* Skin = new TSkinScrollbar(W);
    Skin->InitScrollbar(W, &S.Data, &S.Skins);
    if (!Skin->Attached) delete Skin;
}

void AttachScrollBarControl(const TSkinning& S, TControl& C) {
    auto* W = dynamic_cast<TWinControl*>(&C);
    if (!W) return;
    try {
        W->HandleNeeded();
    } catch (...) {
        return;
    }
    auto* Skin = new TSkinScControl(W);
    Skin->Attach(W, &S.Data, &S.Skins);
    if (!Skin->Attached) delete Skin;
}

void AttachSpeedButton(const TSkinning& S, TControl& C) {
    auto* Skin = new TSkinSpeedButton(&C);
    Skin->InitGraphic(&S.Skins, &S.Data);
    if (!Skin->Attached) delete Skin;
}

// Before the row of scrolling windows: a list view's header is skinned with its bars.
void AttachListView(const TSkinning& S, TControl& C) {
    auto& List = dynamic_cast<TListView&>(C);
    auto* Skin = new TSkinListView(&List);
    Skin->InitScrollbar(&List, &S.Data, &S.Skins);
    if (!Skin->Attached) delete Skin;
}

bool ShowsScrollBars(const TControl& C) {
    auto* W = dynamic_cast<TWinControl*>(const_cast<TControl*>(&C));
    return W && W->HandleAllocated() &&
           (GetWindowLongW(W->Handle(), GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL)) != 0;
}

template <class T> bool Is(TControl& C) {
    return dynamic_cast<T*>(&C) != nullptr;
}

bool NameIn(const std::wstring& Name, std::initializer_list<const wchar_t*> Names) {
    for (const wchar_t* N : Names)
        if (Name == N) return true;
    return false;
}

void SkinControl(const TSkinning& S, TControl& C);
bool AlreadySkinned(const TSkinning& S, TControl& C);

void SkinChildControls(const TSkinning& S, TControl& C) {
    if (auto* W = dynamic_cast<TWinControl*>(&C))
        for (int I = 0; I < W->ControlCount(); ++I)
            SkinControl(S, *W->Controls(I));
}

void SkinOwnedControls(const TSkinning& S, TControl& C) {
    for (int I = 0; I < C.ComponentCount(); ++I)
        if (auto* Child = dynamic_cast<TControl*>(C.Components(I))) SkinControl(S, *Child);
}

// The windowed children of a control that have no skin yet and are not excluded by their tag.
template <class F> void ForEachFreeChild(const TSkinning& S, TControl& C, F Each) {
    auto* W = dynamic_cast<TWinControl*>(&C);
    if (!W) return;
    std::vector<TControl*> Children;
    for (int I = 0; I < W->ControlCount(); ++I)
        Children.push_back(W->Controls(I));
    for (TControl* Child : Children)
        if (Is<TWinControl>(*Child) && !Excluded(S, *Child) && !AlreadySkinned(S, *Child))
            Each(*Child);
}

void SkinEmbeddedScrollBars(const TSkinning& S, TControl& C) {
    auto* W = dynamic_cast<TWinControl*>(&C);
    if (!W) return;
    for (int I = 0; I < W->ControlCount(); ++I) {
        TControl* Child = W->Controls(I);
        if (Excluded(S, *Child) || S.Skins.Has(Child)) continue;
        if (Is<TScrollBar>(*Child))
            AttachScrollBarControl(S, *Child);
        else if (ShowsScrollBars(*Child))
            AttachScrollbars(S, *Child);
    }
}

void SkinContainedByKind(const TSkinning& S, TControl& C);

// A row of the table. A control whose class Skin3rd names takes the row of that kind, whatever
// its class; any other control the first row whose class condition holds. Either way the row
// applies only when the skin has what it draws with; a class row that finds it missing passes
// the control on to the rows below it. The table is one list so that a family joins it with a
// row of its own.
struct TSkinRow {
    const wchar_t* Kind; // the Skin3rd kind the row answers to; null: none
    bool (*IsClass)(TControl& C, const std::wstring& UpperName); // null: by its kind only
    bool (*Needs)(const TSkinning& S, TControl& C);              // null: nothing
    void (*Apply)(const TSkinning& S, TControl& C);
};

template <TSkinControlType... Kinds> bool Needs(const TSkinning& S, TControl&) {
    return (Has(S, Kinds) && ...);
}

bool NeedsTabs(const TSkinning& S, TControl&) {
    return HasTabs(S);
}

template <class T> bool IsA(TControl& C, const std::wstring&) {
    return Is<T>(C);
}

template <class TSkin, bool Recolour = false> void Attach(const TSkinning& S, TControl& C) {
    AttachTo<TSkin>(S, C, Recolour);
}

template <class TSkin> void AttachWindow(const TSkinning& S, TControl& C) {
    AttachToWindow<TSkin>(S, C);
}

// Transparent first: the skin's face shows through the control.
template <class TSkin, bool Recolour> void AttachTransparent(const TSkinning& S, TControl& C) {
    TrySetPropText(C, L"Transparent", L"True");
    AttachTo<TSkin>(S, C, Recolour);
}

// A panel, or an embedded form, takes the face colour (and gives it back with the skin); its
// children are skinned as well (a status bar made of a panel stays a panel).
void AttachBoxAndChildren(const TSkinning& S, TControl& C) {
    AttachTo<TSkinBox>(S, C, true);
    SkinChildControls(S, C);
}

// A navigator bar of data-aware forms: its buttons go flat on the skin's face colour.
void AttachNavigator(const TSkinning& S, TControl& C) {
    TrySetPropText(C, L"Flat", L"True");
    AttachTo<TSkinBox>(S, C, true);
}

// A date-time picker shows a drop-down button, unless it steps its fields with up-down arrows
// (time pickers, and date pickers in up-down mode): then it is an edit to the skin.
void AttachDateTimePicker(const TSkinning& S, TControl& C) {
    if (SameText(GetPropText(C, L"Kind"), L"dtkTime") ||
        SameText(GetPropText(C, L"DateMode"), L"dmUpDown"))
        AttachToWindow<TSkinEdit>(S, C);
    else
        AttachTo<TSkinComBox>(S, C);
}

bool DcEditNeeds(const TSkinning& S, TControl& C) {
    const std::wstring Buttons = GetPropText(C, L"NumButtons");
    return (Buttons == L"1" && Has(S, xcCombo)) || (Buttons == L"0" && Has(S, xcEdit));
}

void AttachDcEdit(const TSkinning& S, TControl& C) {
    if (GetPropText(C, L"NumButtons") == L"1")
        AttachTo<TSkinComBox>(S, C);
    else
        AttachToWindow<TSkinEdit>(S, C);
}

void AttachScrollbarsAndOwned(const TSkinning& S, TControl& C) {
    AttachScrollbars(S, C);
    SkinOwnedControls(S, C);
}

void AttachRadioChildren(const TSkinning& S, TControl& C) {
    ForEachFreeChild(S, C, [&](TControl& Child) { AttachTo<TSkinRadioButton>(S, Child); });
}

void AttachCheckChildren(const TSkinning& S, TControl& C) {
    ForEachFreeChild(S, C, [&](TControl& Child) { AttachTo<TSkinCheckBox>(S, Child); });
}

#define NAMED(...) [](TControl&, const std::wstring& N) { return NameIn(N, {__VA_ARGS__}); }

const TSkinRow SkinRows[] = {
    // Controls that only hold others.
    {nullptr, NAMED(L"TDBCOMBOBOXEH", L"TQRPREVIEW", L"TFRDESIGNERPAGE", L"TFRPBOX"), nullptr,
     SkinChildControls},
    {nullptr, NAMED(L"TTABSET"), NeedsTabs, Attach<TSkinTab31>},
    {nullptr, NAMED(L"TTABBEDNOTEBOOK"), NeedsTabs, AttachWindow<TSkinTab>},
    {nullptr, NAMED(L"TTRACKBAR"), Needs<xcButton>, Attach<TSkinTrackBar>},
    {nullptr, NAMED(L"TUPDOWN", L"TSPINBUTTON"), Needs<xcButton>, Attach<TSkinUpDown>},
    {nullptr, NAMED(L"TDBNAVIGATOR"), Needs<xcPanel>, AttachNavigator},
    {nullptr, NAMED(L"TRZDBCHECKBOX"), Needs<xcCheckBox>, Attach<TSkinObjImage, true>},
    {L"combobox", IsA<TCustomComboBox>, Needs<xcCombo>, Attach<TSkinComBox>},
    {nullptr, NAMED(L"TDATETIMEPICKER"), Needs<xcEdit>, AttachDateTimePicker},
    {nullptr, NAMED(L"TRICHEDIT", L"TWWDBRICHEDIT", L"TDXDBMEMO"), Needs<xcScrollbar>,
     AttachScrollbars},
    {nullptr, IsA<TCustomPanel>, Needs<xcPanel>, AttachBoxAndChildren},
    {L"checkbox", IsA<TCheckBox>, Needs<xcCheckBox>, Attach<TSkinCheckBox>},
    {L"radiobutton", IsA<TRadioButton>, Needs<xcRadioButton>, Attach<TSkinRadioButton>},
    // Check boxes and radio buttons whose element the skin leaves out keep their own look:
    // they are never taken for push buttons further down.
    {nullptr, IsA<TButtonControl>, nullptr, [](const TSkinning&, TControl&) {}},
    {L"groupbox", IsA<TCustomGroupBox>, Needs<xcGroupBox>, Attach<TSkinGroupBox, true>},
    {L"progress", IsA<TProgressBar>, Needs<xcProgress>, Attach<TSkinProgress>},
    {nullptr, IsA<TStatusBar>, Needs<xcStatusBar>, Attach<TSkinStatusBar>},
    {L"tab", IsA<TCustomTabControl>, NeedsTabs, AttachWindow<TSkinTab>},
    {nullptr, IsA<TListView>, Needs<xcScrollbar>, AttachListView},
    {nullptr, NAMED(L"TDXTREELIST", L"TDXDBTREELIST", L"TDXDBGRID"), Needs<xcScrollbar>,
     AttachScrollbars},
    {nullptr, IsA<TCustomMemo>, Needs<xcScrollbar>, AttachScrollbars},
    {nullptr,
     [](TControl& C, const std::wstring&) {
         return ShowsScrollBars(C) || (Is<TWinControl>(C) && C.Tag() == 55);
     },
     Needs<xcScrollbar>, AttachScrollbars},
    {L"button", IsA<TButton>, Needs<xcButton>, Attach<TSkinButton>},
    {L"speedbutton", IsA<TSpeedButton>, Needs<xcSpeedButton>, AttachSpeedButton},
    {L"edit", IsA<TCustomEdit>, Needs<xcEdit>, AttachWindow<TSkinEdit>},
    {nullptr, IsA<TCustomForm>, nullptr, AttachBoxAndChildren},
    {nullptr, NAMED(L"TDCEDIT", L"TDCDBEDIT"), DcEditNeeds, AttachDcEdit},
    // Kinds only Skin3rd names.
    {L"radiogroup", nullptr, Needs<xcGroupBox, xcRadioButton>, AttachRadioChildren},
    // A check group's children go by the radio-button element, as a radio group's do.
    {L"checkgroup", nullptr, Needs<xcPanel, xcRadioButton>, AttachCheckChildren},
    {L"panel", nullptr, Needs<xcPanel>, AttachTransparent<TSkinBox, true>},
    {L"trackbar", nullptr, Needs<xcButton>, AttachTransparent<TSkinTrackBar, false>},
    {L"bitbtn", nullptr, Needs<xcButton>, Attach<TSkinBitButton>},
    {L"scrollbar", nullptr, Needs<xcScrollbar>, AttachScrollbarsAndOwned},
    {L"embedscrollbar", nullptr, Needs<xcScrollbar>, SkinEmbeddedScrollBars},
    {L"container", nullptr, nullptr, SkinContainedByKind},
};

#undef NAMED

bool Wants(const TSkinRow& Row, const TSkinning& S, TControl& C) {
    return !Row.Needs || Row.Needs(S, C);
}

// The one lookup of the table (see TSkinRow). A kind without a row ("nil", and kinds whose
// skins this program does not have) leaves the control alone. ByClass false: only the kind.
const TSkinRow* RowFor(const TSkinning& S, TControl& C, bool ByClass) {
    std::wstring Kind;
    if (S.Data.Skin3rdKind(C.ClassName(), Kind)) {
        for (const TSkinRow& Row : SkinRows)
            if (Row.Kind && Kind == Row.Kind) return Wants(Row, S, C) ? &Row : nullptr;
        return nullptr;
    }
    if (!ByClass) return nullptr;
    const std::wstring Name = UpperCase(C.ClassName());
    for (const TSkinRow& Row : SkinRows)
        if (Row.IsClass && Row.IsClass(C, Name) && Wants(Row, S, C)) return &Row;
    return nullptr;
}

// A container's children are skinned by their kinds only.
void SkinContainedByKind(const TSkinning& S, TControl& C) {
    auto* W = dynamic_cast<TWinControl*>(&C);
    if (!W) return;
    for (int I = 0; I < W->ControlCount(); ++I)
        if (TControl* Child = W->Controls(I); !Excluded(S, *Child) && !S.Skins.Has(Child))
            if (const TSkinRow* Row = RowFor(S, *Child, false)) Row->Apply(S, *Child);
}

bool AlreadySkinned(const TSkinning& S, TControl& C) {
    if (S.Skins.Has(&C)) return true;
    auto* W = dynamic_cast<TWinControl*>(&C);
    return W && W->HandleAllocated() && S.Skins.Find(W->Handle());
}

// The program's own choice through the skin data's OnSkinControl, when it makes one (true).
bool SkinGivenByProgram(const TSkinning& S, TControl& C) {
    const TOnSkinControl& Ask = S.Data.OnSkinControl;
    if (!Ask) return false;
    TComponent* Given = nullptr;
    Ask(S.Sender, &S.Data, S.Form, &C, C.ClassName(), Given);
    auto* Skin = dynamic_cast<TSkinControl*>(Given);
    if (!Skin) return false;
    if (std::find(S.Skins.begin(), S.Skins.end(), Skin) == S.Skins.end())
        Skin->InitControl(&S.Skins, &S.Data, Skin->Recolour);
    if (Is<TCustomPanel>(C)) SkinChildControls(S, C);
    return true;
}

void SkinControl(const TSkinning& S, TControl& C) {
    if (Excluded(S, C) || AlreadySkinned(S, C)) return;
    if (auto* W = dynamic_cast<TWinControl*>(&C)) {
        try {
            W->HandleNeeded();
        } catch (...) {
            return;
        }
        if (!W->HandleAllocated() || S.Skins.Find(W->Handle())) return;
    }
    if (SkinGivenByProgram(S, C)) return;
    if (const TSkinRow* Row = RowFor(S, C, true)) Row->Apply(S, C);
}

// The skin of a button window of a dialog; null when it keeps its own look. The button type
// decides: owner-drawn buttons and command links share a bit with the check styles but are no
// check boxes, and an owner-drawn button keeps its owner's look.
TSkinControl* ButtonSkin(DWORD Style) {
    const DWORD Kind = Style & BS_TYPEMASK;
    if (Kind == BS_CHECKBOX || Kind == BS_AUTOCHECKBOX || Kind == BS_3STATE ||
        Kind == BS_AUTO3STATE)
        return new TSkinCheckBox(nullptr);
    if (Kind == BS_RADIOBUTTON || Kind == BS_AUTORADIOBUTTON) return new TSkinRadioButton(nullptr);
    if (Kind != BS_GROUPBOX && Kind != BS_OWNERDRAW) return new TSkinButton(nullptr);
    return nullptr;
}

// A child window of a dialog or message box: its system class decides.
void SkinPlainChild(TControlSkins& Skins, TSkinData& Data, HWND Child) {
    if (!(GetWindowLongW(Child, GWL_STYLE) & WS_CHILD) || Skins.Find(Child)) return;
    const std::wstring Class = LowerCase(WindowClassName(Child));
    const DWORD Style = GetWindowLongW(Child, GWL_STYLE);
    TSkinControl* Skin = nullptr;
    HWND Target = Child;
    if (Class == L"button") {
        Skin = ButtonSkin(Style);
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
    if (Skin) Skin->InitWindow(Target, &Data, &Skins);
}

} // namespace

void SkinFormControls(TControlSkins& Skins, TCustomForm* Form, TSkinData* Data,
                      TComponent* Sender) {
    Skins.DropDestroyed();
    if (!Form || !Data) return;
    const TSkinning S{Skins, *Data, Form, Sender};
    // Skins may create components (scroll-bar windows): walk a copy.
    std::vector<TControl*> Controls;
    for (int I = 0; I < Form->ComponentCount(); ++I)
        if (auto* C = dynamic_cast<TControl*>(Form->Components(I))) Controls.push_back(C);
    for (TControl* C : Controls)
        SkinControl(S, *C);
}

void SkinChildWindows(TControlSkins& Skins, HWND Wnd, TSkinData* Data) {
    Skins.DropDestroyed();
    if (!Data) return;
    std::vector<HWND> Children;
    for (HWND C = GetWindow(Wnd, GW_CHILD); C; C = GetWindow(C, GW_HWNDNEXT))
        Children.push_back(C);
    for (HWND C : Children)
        SkinPlainChild(Skins, *Data, C);
}

void SkinChildWindow(TControlSkins& Skins, HWND Child, TSkinData* Data) {
    if (Data) SkinPlainChild(Skins, *Data, Child);
}
