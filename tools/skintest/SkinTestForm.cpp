#include "SkinTestForm.h"

#include "Buttons.h"
#include "ComCtrls.h"
#include "ImgList.h"
#include "Reader.h"

TSkinTestForm::TSkinTestForm(TComponent* AOwner) : TForm(AOwner) {
    SetName(L"SkinTestForm");
    ReadSkinTestMenus(*this,
                      [this](TMenuItem& Item) { SetCaption(L"Skin test 皮肤: " + Item.Name()); });
    MainMenu1 = dynamic_cast<TMainMenu*>(FindComponent(L"MainMenu1"));
    PopupMenu1 = dynamic_cast<TPopupMenu*>(FindComponent(L"PopupMenu1"));
    SetBorderStyle(bsSingle);
    SetBorderIcons({biSystemMenu, biMinimize});
    SetCaption(L"Skin test 皮肤");
    SetBounds(120, 120, 300, 200);
    SetClientSize(900, 560);
    SkinButton = AddButton(L"SkinButton", L"", 12);
    MessageButton = AddButton(L"MessageButton", L"Message box", 48);
    CaptionButton = AddButton(L"CaptionButton", L"Long caption", 84);
    PopupButton = AddButton(L"PopupButton", L"Popup menu", 120);
    SkinButton->OnClick = [this](TObject*) { ToggleSkin(); };
    MessageButton->OnClick = [this](TObject*) { ShowMessageBox(); };
    CaptionButton->OnClick = [this](TObject*) { ToggleCaption(); };
    PopupButton->OnClick = [this](TObject*) { ShowPopupMenu(); };
    AddControls();
    AddTabs();

    // The skin component as a stored description would give it: read first, then loaded.
    SkinData1 = new TSkinData(this);
    SkinData1->SetName(L"SkinData1");
    SkinData1->SetLoading();
    const auto Payload = ResourceData(L"DEFAULTSKIN");
    SkinData1->SetSkinStream(TBytes(Payload.begin(), Payload.end()));
    SkinData1->Skin3rd()->Add(L"TScrollBarPanel=embedscrollbar");
    SkinData1->SetActive(true);
    SkinData1->Loaded();
    ShowState();
}

TButton* TSkinTestForm::AddButton(const wchar_t* Name, const wchar_t* Caption, int Top) {
    auto* B = new TButton(this);
    B->SetName(Name);
    B->SetParent(this);
    B->SetBounds(20, Top, 220, 28);
    B->SetCaption(Caption);
    return B;
}

// One of each control the skin dresses, beside the buttons that drive the window.
void TSkinTestForm::AddControls() {
    auto* Default = AddButton(L"DefaultButton", L"Default", 156);
    Default->SetDefault(true);
    Default->SetWidth(105);
    auto* Off = AddButton(L"DisabledButton", L"Disabled", 156);
    Off->SetBounds(135, 156, 105, 28);
    Off->SetEnabled(false);
    auto* Lines = AddButton(L"TwoLineButton", L"Two||lines", 192);
    Lines->SetBounds(20, 192, 105, 44);
    for (int I = 0; I < 2; ++I) {
        auto* Speed = new TSpeedButton(this);
        Speed->SetName(I ? L"FlatSpeedButton" : L"SpeedButton");
        Speed->SetParent(this);
        Speed->SetBounds(135 + I * 55, 192, 50, 44);
        Speed->SetCaption(I ? L"Flat" : L"Speed");
        Speed->SetFlat(I == 1);
    }

    auto Place = [this](TWinControl* C, const wchar_t* Name, int X, int Y, int W, int H) {
        C->SetName(Name);
        C->SetParent(this);
        C->SetBounds(X, Y, W, H);
    };
    auto* Edit = new TEdit(this);
    Place(Edit, L"Edit1", 270, 12, 160, 24);
    Edit->SetText(L"An edit box");
    auto* Bare = new TEdit(this);
    Place(Bare, L"Edit2", 270, 44, 160, 24);
    Bare->SetBorderStyle(bsNone);
    Bare->SetText(L"Without a border");
    const TComboBoxStyle Styles[] = {csDropDown, csDropDownList, csSimple};
    for (int I = 0; I < 3; ++I) {
        auto* Combo = new TComboBox(this);
        Combo->SetStyle(Styles[I]);
        Place(Combo, (L"ComboBox" + std::to_wstring(I + 1)).c_str(), 270, 76 + I * 32, 160,
              I == 2 ? 90 : 24);
        for (int Item = 1; Item <= 20; ++Item)
            Combo->Items()->Add(L"Item " + std::to_wstring(Item));
        Combo->SetItemIndex(0);
    }
    // Right to left, as a Hebrew or Arabic user's box: its button on the left. (Wine's combo box
    // ignores the style and keeps its own button and text where they were, under the skin's.)
    auto* Mirrored = new TRightToLeftComboBox(this);
    Mirrored->SetStyle(csDropDownList);
    Place(Mirrored, L"ComboBox4", 20, 250, 220, 24);
    Mirrored->Items()->Add(L"Right to left");
    Mirrored->SetItemIndex(0);
    auto* Memo = new TMemo(this);
    Place(Memo, L"Memo1", 450, 12, 170, 130);
    Memo->SetScrollBars(ssBoth);
    Memo->SetWordWrap(false);
    std::wstring Text;
    for (int Line = 1; Line <= 40; ++Line)
        Text += L"Line " + std::to_wstring(Line) + L" of a memo wider than its window\r\n";
    Memo->SetText(Text);
    auto* List = new TListBox(this);
    Place(List, L"ListBox1", 450, 152, 170, 90);
    for (int Item = 1; Item <= 30; ++Item)
        List->Items()->Add(L"List item " + std::to_wstring(Item));
    AddScrollBarHolders();

    // Check boxes in every state, radio buttons in a group box, bars lying and standing, and
    // an edit with up-down arrows.
    const struct {
        const wchar_t* Caption;
        TCheckBoxState State;
        bool Enabled;
    } Checks[] = {{L"Unchecked", cbUnchecked, true},
                  {L"Checked", cbChecked, true},
                  {L"Grayed", cbGrayed, true},
                  {L"Disabled", cbUnchecked, false},
                  {L"Disabled, checked", cbChecked, false},
                  {L"Text on the left", cbChecked, true}};
    int Y = 285;
    for (const auto& C : Checks) {
        auto* Box = new TCheckBox(this);
        Place(Box, (L"CheckBox" + std::to_wstring((Y - 285) / 24 + 1)).c_str(), 20, Y, 150, 20);
        Box->SetCaption(C.Caption);
        Box->SetAllowGrayed(true);
        Box->SetState(C.State);
        Box->SetEnabled(C.Enabled);
        if (Y == 285 + 5 * 24) Box->SetAlignment(taLeftJustify);
        Y += 24;
    }
    auto* Group = new TGroupBox(this);
    Place(Group, L"GroupBox1", 185, 280, 150, 120);
    Group->SetCaption(L"Radio buttons");
    const wchar_t* Radios[] = {L"First", L"Second", L"Disabled"};
    for (int I = 0; I < 3; ++I) {
        auto* R = new TRadioButton(this);
        R->SetName(L"RadioButton" + std::to_wstring(I + 1));
        R->SetParent(Group);
        R->SetBounds(12, 22 + I * 30, 120, 20);
        R->SetCaption(Radios[I]);
        R->SetChecked(I == 1);
        R->SetEnabled(I != 2);
    }
    const int Positions[] = {30, 70};
    for (int I = 0; I < 2; ++I) {
        auto* P = new TProgressBar(this);
        Place(P, (L"ProgressBar" + std::to_wstring(I + 1)).c_str(), 350, 285 + I * 26, 180, 18);
        P->SetSmooth(I == 1);
        P->SetPosition(Positions[I]);
    }
    auto* Standing = new TProgressBar(this);
    Place(Standing, L"ProgressBar3", 545, 285, 18, 120);
    Standing->SetOrientation(pbVertical);
    Standing->SetPosition(50);
    auto* Track = new TTrackBar(this);
    Place(Track, L"TrackBar1", 350, 340, 180, 40);
    Track->SetPosition(4);
    auto* TrackUp = new TTrackBar(this);
    Place(TrackUp, L"TrackBar2", 580, 280, 45, 130);
    TrackUp->SetOrientation(trVertical);
    TrackUp->SetTickMarks(tmBoth);
    TrackUp->SetPosition(7);
    auto* Number = new TEdit(this);
    Place(Number, L"Edit3", 350, 395, 80, 22);
    auto* Arrows = new TUpDown(this);
    Place(Arrows, L"UpDown1", 430, 395, 17, 22);
    Arrows->SetPosition(5);
    Arrows->SetAssociate(Number);
    auto* Side = new TUpDown(this);
    Place(Side, L"UpDown2", 460, 395, 40, 22);
    Side->SetOrientation(udHorizontal);
    auto* Empty = new TProgressBar(this);
    Place(Empty, L"ProgressBar4", 350, 430, 180, 18);

    auto* Calls = new TListView(this);
    Place(Calls, L"ListView1", 20, 456, 600, 78);
    Calls->AddColumn(L"Number", 200);
    Calls->AddColumn(L"When", 200);
    for (int I = 1; I <= 12; ++I)
        Calls->AddItem(L"555 01" + std::to_wstring(10 + I), {L"Call " + std::to_wstring(I)});

    auto* Status = new TStatusBar(this);
    Status->SetName(L"StatusBar1");
    Status->SetParent(this);
    const struct {
        const wchar_t* Text;
        TStatusPanelBevel Bevel;
        TAlignment Alignment;
    } Panels[] = {{L"Lowered", pbLowered, taLeftJustify},
                  {L"Raised, centred", pbRaised, taCenter},
                  {L"No bevel, right", pbNone, taRightJustify}};
    for (const auto& P : Panels) {
        TStatusPanel* Panel = Status->AddPanel();
        Panel->SetText(P.Text);
        Panel->SetBevel(P.Bevel);
        Panel->SetAlignment(P.Alignment);
        Panel->SetWidth(200);
    }
}

// A page control of three pages, tab controls with their tabs on each of the other three sides
// (the lower one with images) and a tab set too long for its width, so its scroller shows.
void TSkinTestForm::AddTabs() {
    auto* Pages = new TPageControl(this);
    Pages->SetName(L"PageControl1");
    Pages->SetParent(this);
    Pages->SetBounds(650, 12, 240, 110);
    const wchar_t* Captions[] = {L"Calls", L"Contacts", L"Settings"};
    for (int I = 0; I < 3; ++I) {
        auto* Sheet = new TTabSheet(this);
        Sheet->SetName(L"TabSheet" + std::to_wstring(I + 1));
        Sheet->SetCaption(Captions[I]);
        Sheet->SetPageControl(Pages);
        auto* Check = new TCheckBox(this);
        Check->SetName(L"PageCheckBox" + std::to_wstring(I + 1));
        Check->SetParent(Sheet);
        Check->SetBounds(10, 10, 180, 20);
        Check->SetCaption(std::wstring(L"On the page ") + Captions[I]);
    }
    const struct {
        TTabPosition Position;
        RECT Bounds;
    } Sides[] = {{tpBottom, {650, 132, 240, 90}},
                 {tpLeft, {650, 232, 115, 150}},
                 {tpRight, {775, 232, 115, 150}}};
    auto* Images = dynamic_cast<TImageList*>(FindComponent(L"ImageList1"));
    for (int I = 0; I < 3; ++I) {
        auto* Tabs = new TTabControl(this);
        Tabs->SetName(L"TabControl" + std::to_wstring(I + 1));
        Tabs->SetParent(this);
        const RECT& B = Sides[I].Bounds;
        Tabs->SetBounds(B.left, B.top, B.right, B.bottom);
        Tabs->SetTabPosition(Sides[I].Position);
        if (I == 0) Tabs->SetImages(Images);
        Tabs->AddTab(L"One", I == 0 ? 0 : -1);
        Tabs->AddTab(L"Two", I == 0 ? 1 : -1);
        Tabs->AddTab(L"Three", I == 0 ? 2 : -1);
    }
    auto* Set = new TTabSet(this);
    Set->SetName(L"TabSet1");
    Set->SetParent(this);
    Set->SetBounds(650, 392, 240, 21);
    for (const wchar_t* Day :
         {L"Monday", L"Tuesday", L"Wednesday", L"Thursday", L"Friday", L"Saturday", L"Sunday"})
        Set->AddTab(Day);
    Set->SetTabIndex(1);
}

// Scroll-bar controls are dressed only inside a container whose class the skin's list of other
// libraries' classes names as holding scroll bars; these panels' class is added to it.
void TSkinTestForm::AddScrollBarHolders() {
    auto Holder = [this](const wchar_t* Name, int X, int Y, int W, int H) {
        auto* P = new TScrollBarPanel(this);
        P->SetName(Name);
        P->SetParent(this);
        P->SetBounds(X, Y, W, H);
        P->SetBevelOuter(bvNone);
        P->SetCaption(L"");
        return P;
    };
    auto* Across = new TScrollBar(this);
    Across->SetName(L"ScrollBar1");
    Across->SetParent(Holder(L"ScrollBarHolder1", 270, 248, 350, 22));
    Across->SetBounds(0, 2, 350, 18);
    Across->SetParams(30, 0, 100);
    Across->SetPageSize(20);
    auto* Down = new TScrollBar(this);
    Down->SetName(L"ScrollBar2");
    Down->SetKind(sbVertical);
    Down->SetParent(Holder(L"ScrollBarHolder2", 622, 12, 18, 230));
    Down->SetBounds(0, 0, 18, 230);
    Down->SetMax(100);
}

void TSkinTestForm::ShowState() {
    SkinButton->SetCaption(SkinData1->Active() ? L"Skin off" : L"Skin on");
}

void TSkinTestForm::ToggleSkin() {
    SkinData1->SetActive(!SkinData1->Active());
    ShowState();
}

void TSkinTestForm::ShowMessageBox() {
    MessageBoxW(Handle(), L"This box wears the skin's dialog frame.",
                L"A message box whose caption is longer than its text", MB_OK);
}

void TSkinTestForm::ToggleCaption() {
    const bool Long = Caption().size() < 40;
    SetCaption(Long ? L"Skin test 皮肤 with a caption far too long for the caption strip"
                    : L"Skin test 皮肤");
}

void TSkinTestForm::ShowPopupMenu() {
    if (!PopupMenu1) return;
    const POINT At = PopupButton->ClientToScreen({0, PopupButton->Height()});
    PopupMenu1->Popup(At.x, At.y);
}

PUBLISHED(TScrollBarPanel) {}
PUBLISHED(TRightToLeftComboBox) {}
PUBLISHED(TSkinTestForm) {}
