// Skins changed while windows wear them, and windows and controls destroyed inside their own
// messages. This program never makes a main-type skin component, so no window hook skins
// anything behind a test's back: every window here wears the skin its test gave it (the first
// test relies on that).
#include "SkinTesting.h"

#include "Buttons.h"
#include "ImgUtil.h"
#include "Menus.h"
#include "StdCtrls.h"
#include "WinSubClass.h"

#include <sstream>

using namespace SkinTest;

namespace {

constexpr uint32_t TopColour = 0x604020;

// A skin of plain edges (top 20) and caption buttons of one colour each, every one shown.
TBytes ButtonSkin(std::initializer_list<std::pair<int, uint32_t>> Buttons) {
    std::string Ini = "[Personality]\nTop=top.bmp\nTopFrame=2\nLeft=left.bmp\nLeftFrame=2\n"
                      "Right=right.bmp\nRightFrame=2\nBottom=bottom.bmp\nBottomFrame=2\n"
                      "[Colours]\nButtonFace=200 210 220\n";
    std::vector<std::pair<std::string, TBytes>> Files = {
        {"top.bmp", BorderBmp(40, 20, 2, true, TopColour)},
        {"bottom.bmp", BorderBmp(40, 5, 2, true, 0x206040)},
        {"left.bmp", BorderBmp(4, 40, 2, false, 0x402060)},
        {"right.bmp", BorderBmp(4, 40, 2, false, 0x204060)}};
    int N = 0;
    for (auto [X, Colour] : Buttons) {
        std::ostringstream Named;
        Named << "b" << N << ".bmp";
        const std::string Picture = Named.str();
        std::ostringstream Section;
        Section << "[Button" << N << "]\nButtonImage=" << Picture << "\nAction=" << 20 + N
                << "\nAlign=0\nXcoord=" << X << "\nYcoord=0\nVisibility=201\n";
        Ini += Section.str();
        Files.push_back({Picture, BorderBmp(20, 20, 3, false, Colour)});
        ++N;
    }
    return Payload(Ini, Files);
}

// A form that is never shown (showing and hiding cost Wine seconds each).
std::unique_ptr<TCloseCountingForm> HiddenForm(const wchar_t* Caption = L"Change") {
    auto F = std::make_unique<TCloseCountingForm>(nullptr);
    F->SetBorderStyle(bsSingle);
    F->SetBounds(300, 300, 300, 200);
    F->SetClientSize(200, 100);
    F->SetCaption(Caption);
    return F;
}

// A skin component of a form's own (only that form wears it), loaded as a stored description
// would load it; with its window already made, the form is skinned at once.
TSkinData* OwnSkinOf(TForm& Form, const TBytes& Skin, TSkinFormType Type = sfOnlyThisForm) {
    auto* S = new TSkinData(&Form);
    S->SetLoading();
    S->SetSkinFormtype(Type);
    S->SetSkinStream(Skin);
    S->SetActive(true);
    S->Loaded();
    return S;
}

// The frame as it paints itself, into a picture of the window's size.
std::unique_ptr<TBitmap> PaintedFrame(TWinSkinForm& Frame) {
    RECT R;
    GetWindowRect(Frame.Wnd, &R);
    auto B = std::make_unique<TBitmap>(R.right - R.left, R.bottom - R.top, pf24bit);
    Fill(*B, 0xFFFFFF);
    Frame.PaintFrame(B->Canvas()->Handle());
    return B;
}

// Each caption button of the frame stands for the skin's button of the same place.
::testing::AssertionResult ButtonsAreTheSkins(const TWinSkinForm& Frame, const TSkinData& Skin) {
    if (Frame.NCButtons.size() != Skin.SysButtons.size())
        return ::testing::AssertionFailure() << Frame.NCButtons.size() << " caption buttons for "
                                             << Skin.SysButtons.size() << " of the skin";
    for (size_t I = 0; I < Skin.SysButtons.size(); ++I)
        if (Frame.NCButtons[I]->SkinButton != Skin.SysButtons[I].get())
            return ::testing::AssertionFailure() << "caption button " << I << " is not the skin's";
    return ::testing::AssertionSuccess();
}

TBytes DefaultSkinBytes() {
    const auto Stored = ResourceData(L"DEFAULTSKIN");
    return TBytes(Stored.begin(), Stored.end());
}

struct TChangeCount {
    int Changes = 0;
    void Watch(TSkinData& Skin) {
        Skin.OnSkinChanged = [this](TObject*) { ++Changes; };
    }
};

} // namespace

// First: no main-type component exists yet in this program, so no window hook either.
TEST(OwnSkinFromADescription, SkinsItsFormWhenTheFormIsFirstShown) {
    auto F = std::make_unique<TCloseCountingForm>(nullptr);
    ReadComponentText(*F, std::string_view("object Described: TCloseCountingForm\n"
                                           "  Left = 320\n  Top = 240\n"
                                           "  Width = 300\n  Height = 200\n"
                                           "  Caption = 'Described'\n"
                                           "  object OwnSkin: TSkinData\n"
                                           "    Active = True\n"
                                           "    SkinFormtype = sfOnlyThisForm\n"
                                           "    SkinStream = @DEFAULTSKIN\n"
                                           "  end\n"
                                           "end\n"));
    ASSERT_NE(SkinManager, nullptr);
    ASSERT_FALSE(SkinManager->HookInstalled()) << "the premise: nothing skins on activation";
    ASSERT_TRUE(ShowSkinned(*F)) << "the form wears its own skin once shown";
    EXPECT_EQ(FrameOf(F->Handle())->SkinData, F->FindComponent(L"OwnSkin"));
    F->Hide();
}

TEST(SkinReload, EveryRoadGivesTheFramesTheNewSkinsObjects) {
    const TBytes First = ButtonSkin({{10, 0x30A030}});
    const TBytes Second = ButtonSkin({{40, 0xA03030}, {70, 0x3030A0}});
    auto F = HiddenForm();
    F->HandleNeeded();
    TSkinData* Own = OwnSkinOf(*F, First);
    TWinSkinForm* Frame = SkinNow(F->Handle());
    ASSERT_NE(Frame, nullptr);
    ASSERT_TRUE(ButtonsAreTheSkins(*Frame, *Own));
    TChangeCount Refreshes;
    Refreshes.Watch(*Own);

    // Each road, then a frame paint and a pointer over the first button, as a user's would be.
    auto Check = [&](const char* Road, int ButtonX, uint32_t Colour) {
        SCOPED_TRACE(Road);
        EXPECT_TRUE(Own->SkinLoaded());
        EXPECT_TRUE(ButtonsAreTheSkins(*Frame, *Own)) << "at once, before any paint";
        const auto Shot = PaintedFrame(*Frame);
        EXPECT_EQ(Pixel(*Shot, ButtonX + 10, 10), Colour);
        SendMessageW(F->Handle(), WM_NCMOUSEMOVE, HTCAPTION,
                     ScreenPoint(F->Handle(), {ButtonX + 10, 10}));
        const int Before = Refreshes.Changes;
        EXPECT_TRUE(WaitFor([&] { return Refreshes.Changes > Before; }, 2000))
            << "the manager refreshes the window after its delay";
        EXPECT_TRUE(ButtonsAreTheSkins(*Frame, *Own));
        EXPECT_EQ(Frame->SkinState, lsReady);
    };
    Own->SetSkinStream(Second);
    Check("stored skin", 40, 0xA03030);
    Own->LoadSkin();
    Check("the held file loaded again", 40, 0xA03030);
    const std::wstring File = SkinFileOf(L"skin-reload.skin", First);
    Own->SetSkinFile(File);
    Check("skin file", 10, 0x30A030);

    // A dialog component's skin file reaches the system dialogs wearing it.
    TComponent Holder(nullptr);
    auto* Dialogs = new TSkinData(&Holder);
    Dialogs->SetLoading();
    Dialogs->SetSkinFormtype(sfDialog);
    Dialogs->SetSkinStream(Second);
    Dialogs->Loaded();
    const HWND Dialog = CreateWindowExW(0, L"#32770", L"Dialog", WS_POPUP | WS_CAPTION | WS_SYSMENU,
                                        200, 200, 300, 160, nullptr, nullptr, nullptr, nullptr);
    TWinSkinForm* DialogFrame = SkinNow(Dialog);
    ASSERT_NE(DialogFrame, nullptr);
    ASSERT_EQ(DialogFrame->SkinData, Dialogs);
    Dialogs->SetSkinFile(File);
    EXPECT_TRUE(ButtonsAreTheSkins(*DialogFrame, *Dialogs));
    EXPECT_EQ(Pixel(*PaintedFrame(*DialogFrame), 20, 10), 0x30A030u);
    DestroyWindow(Dialog);
    DeleteFileW(File.c_str());
}

TEST(SkinReload, AFailedLoadLeavesTheFramesPaintingTheSkinTheyWear) {
    auto F = HiddenForm();
    F->HandleNeeded();
    TSkinData* Own = OwnSkinOf(*F, ButtonSkin({{10, 0x30A030}}));
    TWinSkinForm* Frame = SkinNow(F->Handle());
    ASSERT_NE(Frame, nullptr);
    const uint32_t Edge = Pixel(*PaintedFrame(*Frame), 100, 2);
    ASSERT_EQ(Edge, TopColour);

    Own->SetSkinFile(L"C:\\no-such-folder\\missing.skin");
    EXPECT_FALSE(Own->SkinLoaded());
    auto Shot = PaintedFrame(*Frame);
    EXPECT_EQ(Pixel(*Shot, 100, 2), TopColour) << "a missing file";
    EXPECT_EQ(Pixel(*Shot, 20, 10), 0x30A030u);

    // An archive of another version: the message shows, and the frame paints behind it.
    std::vector<uint8_t> Archive = BuildArchive({{"skin.ini", TBytes{'[', 'x', ']'}}});
    Archive[0] = 0x1F; // the version in the archive's header: 19999 for 20000
    const std::wstring File = SkinFileOf(L"skin-older.skin", MakePayload(MakeSkinFile(Archive)));
    uint32_t BehindTheMessage = 0;
    TSkinMessageProc Old = SetSkinMessageProc(
        [&](const std::wstring&) { BehindTheMessage = Pixel(*PaintedFrame(*Frame), 100, 2); });
    Own->SetSkinFile(File);
    SetSkinMessageProc(std::move(Old));
    DeleteFileW(File.c_str());
    EXPECT_FALSE(Own->SkinLoaded());
    EXPECT_EQ(BehindTheMessage, TopColour);
    EXPECT_EQ(Pixel(*PaintedFrame(*Frame), 100, 2), TopColour) << "an older archive";
    EXPECT_TRUE(ButtonsAreTheSkins(*Frame, *Own));

    // No new window takes a skin that is not loaded.
    auto Other = HiddenForm(L"Other");
    Other->HandleNeeded();
    Own->SetActive(false);
    Own->SetActive(true);
    EXPECT_FALSE(SkinManager->SkinWindow(Other->Handle()));
}

// Switching on a component that has no skin schedules nothing, so the action another
// component asked for is still carried out as that component's.
TEST(SkinSchedule, SwitchingOnWithoutASkinTakesNoOnesTurn) {
    auto Worn = HiddenForm(L"Worn");
    Worn->HandleNeeded();
    TSkinData* Own = OwnSkinOf(*Worn, ButtonSkin({{10, 0x30A030}}));
    ASSERT_NE(SkinNow(Worn->Handle()), nullptr);
    auto Bare = HiddenForm(L"Bare");
    auto* Empty = new TSkinData(Bare.get());
    Empty->SetLoading();
    Empty->SetSkinFormtype(sfOnlyThisForm);
    Empty->Loaded();
    TChangeCount OwnChanges, EmptyChanges;
    OwnChanges.Watch(*Own);
    EmptyChanges.Watch(*Empty);

    Own->SetActive(false);
    Empty->SetActive(true);
    EXPECT_TRUE(Empty->Active());
    ASSERT_TRUE(WaitFor([&] { return OwnChanges.Changes == 1; }, 2000));
    EXPECT_EQ(FrameOf(Worn->Handle()), nullptr) << "the skin went as its component asked";
    EXPECT_EQ(EmptyChanges.Changes, 0);
}

// A request made while the manager tells of the last change is carried out too, and a timer
// with nothing left to do stops; a component that goes takes its pending request with it.
TEST(SkinSchedule, ARequestFromTheChangeEventIsCarriedOutAndTheTimerStops) {
    auto F = HiddenForm();
    F->HandleNeeded();
    TSkinData* Own = OwnSkinOf(*F, ButtonSkin({{10, 0x30A030}}));
    ASSERT_NE(SkinNow(F->Handle()), nullptr);
    int Changes = 0;
    Own->OnSkinChanged = [&](TObject*) {
        if (++Changes == 1) Own->SetActive(true); // on again at once
    };
    Own->SetActive(false);
    ASSERT_TRUE(WaitFor([&] { return Changes == 2; }, 2000)) << "the second request ran too";
    EXPECT_TRUE(SkinManager->SkinningEnabled()) << "and it was the switch on";
    EXPECT_TRUE(WaitFor([] { return !SkinManager->ActionScheduled(); }, 1000));
    Own->OnSkinChanged = nullptr;

    // A component that goes with its action still pending.
    auto Going = HiddenForm(L"Going");
    Going->HandleNeeded();
    TSkinData* Gone = OwnSkinOf(*Going, ButtonSkin({{10, 0x30A030}}));
    ASSERT_NE(SkinNow(Going->Handle()), nullptr);
    Gone->SetActive(false);
    ASSERT_TRUE(SkinManager->ActionScheduled());
    delete Gone;
    EXPECT_FALSE(SkinManager->ActionScheduled()) << "the request went with its component";
}

// A window whose frame skin could not be attached keeps its own frame and is tried again.
TEST(SkinAttach, AFailedAttachLeavesTheWindowItsOwnFrameAndTriesAgainLater) {
    auto F = HiddenForm();
    // The skin is loaded before the window exists, so nothing is attached yet.
    TSkinData* Own = OwnSkinOf(*F, ButtonSkin({{10, 0x30A030}}));
    F->HandleNeeded();
    const LONG Style = GetWindowLongW(F->Handle(), GWL_STYLE);
    RECT Before;
    GetWindowRect(F->Handle(), &Before);
    // Every GDI object the process may have taken: the frame skin's first picture fails.
    std::vector<HGDIOBJ> Hog;
    while (Hog.size() < 100000)
        if (HRGN R = CreateRectRgn(0, 0, 1, 1))
            Hog.push_back(R);
        else
            break;
    bool Skinned = true, Threw = false;
    try {
        Skinned = SkinManager->SkinWindow(F->Handle());
    } catch (...) {
        Threw = true;
    }
    for (HGDIOBJ O : Hog)
        DeleteObject(O);
    ASSERT_LT(Hog.size(), 100000u) << "the premise: the process ran out of GDI objects";
    EXPECT_FALSE(Threw);
    EXPECT_FALSE(Skinned);
    EXPECT_EQ(FrameOf(F->Handle()), nullptr);
    EXPECT_EQ(GetWindowLongW(F->Handle(), GWL_STYLE), Style) << "its own caption and frame";
    RECT After;
    GetWindowRect(F->Handle(), &After);
    EXPECT_TRUE(EqualRect(&Before, &After));
    EXPECT_TRUE(SkinManager->SkinWindow(F->Handle())) << "tried again, with objects to spare";
    EXPECT_EQ(FrameOf(F->Handle())->SkinData, Own);
}

TEST(SkinRefresh, FramePaintingComesBackWhateverEndsTheSuspension) {
    auto F = HiddenForm();
    OwnSkinOf(*F, ButtonSkin({}));
    TWinSkinForm* Frame = SkinNow(F->Handle());
    ASSERT_NE(Frame, nullptr);
    try {
        TFramePaintSuspension Outer(*Frame);
        TFramePaintSuspension Inner(*Frame);
        EXPECT_TRUE(Frame->PaintSuspended());
        throw std::runtime_error("a handler failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(Frame->PaintSuspended());
}

namespace {

// The space key's click: the system's button makes it inside the key's release, so the dialog
// that reacts to it is destroyed while the skin's handling of that key is still running.
void PressSpace(HWND Button) {
    SendMessageW(Button, WM_KEYDOWN, VK_SPACE, 0x00390001);
    SendMessageW(Button, WM_KEYUP, VK_SPACE, static_cast<LPARAM>(0xC0390001));
}

// A control's click as its parent passes it back to it.
void Click(TButton& Button) {
    Button.Perform(CN_COMMAND, MAKEWPARAM(0, BN_CLICKED), 0);
}

TSkinData& DialogSkin() {
    static TComponent Holder(nullptr);
    static TSkinData* Skin = [] {
        auto* S = new TSkinData(&Holder);
        S->SetLoading();
        S->SetSkinFormtype(sfDialog);
        S->SetSkinStream(DefaultSkinBytes());
        S->Loaded();
        return S;
    }();
    return *Skin;
}

} // namespace

// A button whose click destroys its window, frees its control or its form: nothing runs on
// after the skin went, and the skin is freed once.
TEST(SkinDestruction, AClickThatDestroysTheButtonsWindowOrControlOrFormEndsCleanly) {
    DialogSkin();
    // Once through first, for what the skin keeps after its first window and click.
    const HWND First = ClosingDialog();
    ASSERT_NE(SkinNow(First), nullptr);
    PressSpace(GetDlgItem(First, IDOK));
    ASSERT_FALSE(IsWindow(First));
    SkinManager->PurgeForms();
    const TCounts Before = Counts();
    const HWND Dialog = ClosingDialog();
    ASSERT_NE(Dialog, nullptr);
    const HWND Close = GetDlgItem(Dialog, IDOK);
    TWinSkinForm* Frame = SkinNow(Dialog);
    ASSERT_NE(Frame, nullptr);
    ASSERT_NE(Frame->ControlSkins.Find(Close), nullptr) << "the premise: the button is skinned";
    PressSpace(Close);
    EXPECT_FALSE(IsWindow(Dialog));
    Pump();
    SkinManager->PurgeForms();
    EXPECT_EQ(Counts(), Before) << Describe(Counts()) << " after, " << Describe(Before)
                                << " before";

    // A form's button that frees itself, and one that frees the form.
    auto F = HiddenForm();
    auto* Itself = new TButton(F.get());
    Itself->SetParent(F.get());
    Itself->SetBounds(10, 10, 80, 24);
    Itself->SetCaption(L"Itself");
    Itself->OnClick = [&](TObject*) { delete Itself; };
    auto* Whole = new TButton(F.get());
    Whole->SetParent(F.get());
    Whole->SetBounds(10, 40, 80, 24);
    Whole->OnClick = [&](TObject*) { F.reset(); };
    F->HandleNeeded();
    OwnSkinOf(*F, ButtonSkin({{10, 0x30A030}}));
    TWinSkinForm* FormFrame = SkinNow(F->Handle());
    ASSERT_NE(FormFrame, nullptr);
    ASSERT_TRUE(FormFrame->ControlSkins.Has(Itself) && FormFrame->ControlSkins.Has(Whole));
    const int Components = F->ComponentCount();
    Click(*Itself);
    ASSERT_EQ(F->ComponentCount(), Components - 1) << "the button went, and only it";
    for (TSkinControl* S : FormFrame->ControlSkins)
        EXPECT_NE(S->State, scsDestroyed) << "a freed skin is out of the frame's list";
    Click(*Whole);
    EXPECT_EQ(F, nullptr);
    Pump();
}

// A plain window's menu bar, which the skin took off to show its own strip, goes with the
// window as it would have without the skin.
TEST(SkinDestruction, APlainWindowsMenuGoesWithIt) {
    DialogSkin();
    const HMENU Bar = CreateMenu();
    const HMENU File = CreatePopupMenu();
    AppendMenuW(File, MF_STRING, 100, L"Open");
    AppendMenuW(Bar, MF_POPUP, reinterpret_cast<UINT_PTR>(File), L"File");
    const HWND Window = CreateWindowExW(0, L"#32770", L"Menu", WS_POPUP | WS_CAPTION | WS_SYSMENU,
                                        200, 200, 300, 160, nullptr, Bar, nullptr, nullptr);
    TWinSkinForm* Frame = SkinNow(Window);
    ASSERT_NE(Frame, nullptr);
    ASSERT_NE(Frame->SkinMenu, nullptr);
    ASSERT_EQ(GetMenu(Window), nullptr) << "the premise: the skin shows the bar itself";
    DestroyWindow(Window);
    EXPECT_FALSE(IsMenu(Bar));
    EXPECT_FALSE(IsMenu(File));
}

// A program's own drawing of its popup items is its own again once the skin is off.
TEST(SkinMenus, APopupMenusOwnDrawingComesBackWithTheSkinOff) {
    auto F = HiddenForm();
    auto* Popup = new TPopupMenu(F.get());
    auto* Item = new TMenuItem(Popup);
    Item->SetCaption(L"Own");
    Popup->Items()->Add(Item);
    int Drawn = 0, Measured = 0;
    Item->OnDrawItem = [&](TObject*, TCanvas*, RECT, bool) { ++Drawn; };
    Item->OnMeasureItem = [&](TObject*, TCanvas*, int&, int&) { ++Measured; };
    F->HandleNeeded();
    TSkinData* Own = OwnSkinOf(*F, ButtonSkin({}));
    TWinSkinForm* Frame = SkinNow(F->Handle());
    ASSERT_NE(Frame, nullptr);
    TCanvas* None = nullptr;
    int W = 0, H = 0;
    Item->OnDrawItem(Item, None, RECT{}, false);
    EXPECT_EQ(Drawn, 0) << "the skin draws the item while it is on";
    Own->SetActive(false);
    ASSERT_TRUE(WaitFor([&] { return FrameOf(F->Handle()) == nullptr; }, 2000));
    ASSERT_TRUE(Item->OnDrawItem && Item->OnMeasureItem);
    Item->OnDrawItem(Item, None, RECT{}, false);
    Item->OnMeasureItem(Item, None, W, H);
    EXPECT_EQ(Drawn, 1);
    EXPECT_EQ(Measured, 1);
    // Twice on and off: still the program's, not a skin's handler kept as its own.
    Own->SetActive(true);
    ASSERT_TRUE(WaitFor([] { return SkinManager->SkinningEnabled(); }, 2000));
    ASSERT_NE(SkinNow(F->Handle()), nullptr);
    SendMessageW(F->Handle(), SKM_REFRESH, 0, 0);
    Own->SetActive(false);
    ASSERT_TRUE(WaitFor([&] { return FrameOf(F->Handle()) == nullptr; }, 2000));
    Item->OnDrawItem(Item, None, RECT{}, false);
    EXPECT_EQ(Drawn, 2);
}

namespace {

// Classes of another library, known to the skin only through its Skin3rd lines.
class THolderBox : public TPanel {
    DECLARE_CLASS(THolderBox, TPanel)
  public:
    using TPanel::TPanel;
};
class TScrollHolder : public TPanel {
    DECLARE_CLASS(TScrollHolder, TPanel)
  public:
    using TPanel::TPanel;
};
class TPlainEdit : public TEdit {
    DECLARE_CLASS(TPlainEdit, TEdit)
  public:
    using TEdit::TEdit;
};

} // namespace

PUBLISHED(THolderBox) {}
PUBLISHED(TScrollHolder) {}
PUBLISHED(TPlainEdit) {}

// The tag that keeps a control unskinned holds for the children of holders too.
TEST(SkinClassification, TheChildrenOfHoldersHonourTheDisableTag) {
    auto F = HiddenForm();
    F->SetClientSize(300, 200);
    auto* Holder = new THolderBox(F.get());
    Holder->SetParent(F.get());
    Holder->SetBounds(0, 0, 150, 100);
    auto* Skinned = new TPlainEdit(F.get());
    Skinned->SetParent(Holder);
    Skinned->SetBounds(5, 5, 100, 21);
    auto* Kept = new TPlainEdit(F.get());
    Kept->SetParent(Holder);
    Kept->SetBounds(5, 40, 100, 21);
    Kept->SetTag(199);
    auto* Scrolls = new TScrollHolder(F.get());
    Scrolls->SetParent(F.get());
    Scrolls->SetBounds(150, 0, 150, 100);
    auto* Bar = new TScrollBar(F.get());
    Bar->SetParent(Scrolls);
    Bar->SetBounds(5, 5, 120, 17);
    auto* KeptBar = new TScrollBar(F.get());
    KeptBar->SetParent(Scrolls);
    KeptBar->SetBounds(5, 40, 120, 17);
    KeptBar->SetTag(99);
    F->HandleNeeded();

    auto* Own = new TSkinData(F.get());
    Own->SetLoading();
    Own->SetSkinFormtype(sfOnlyThisForm);
    Own->Skin3rd()->Add(L"THolderBox=container");
    Own->Skin3rd()->Add(L"TScrollHolder=embedscrollbar");
    Own->Skin3rd()->Add(L"TPlainEdit=edit");
    Own->SetSkinStream(DefaultSkinBytes());
    Own->SetActive(true);
    Own->Loaded();
    TWinSkinForm* Frame = SkinNow(F->Handle());
    ASSERT_NE(Frame, nullptr);
    EXPECT_NE(Frame->ControlSkins.Find(Skinned->Handle()), nullptr) << "the premise";
    EXPECT_NE(Frame->ControlSkins.Find(Bar->Handle()), nullptr) << "the premise";
    EXPECT_EQ(Frame->ControlSkins.Find(Kept->Handle()), nullptr);
    EXPECT_FALSE(Frame->ControlSkins.Has(Kept));
    EXPECT_FALSE(Frame->ControlSkins.Has(KeptBar));
}

// A form inside a form takes the face colour with the skin, and its own colour back without.
TEST(SkinClassification, AnEmbeddedFormTakesTheFaceColourAndGivesItBack) {
    auto F = HiddenForm();
    auto* Inner = new TForm(F.get());
    Inner->SetBorderStyle(bsNone);
    Inner->SetParent(F.get());
    Inner->SetBounds(0, 0, 100, 60);
    Inner->SetColor(clRed);
    auto* InnerEdit = new TEdit(Inner);
    InnerEdit->SetParent(Inner);
    InnerEdit->SetBounds(5, 5, 80, 21);
    F->HandleNeeded();
    Inner->HandleNeeded();
    TSkinData* Own = OwnSkinOf(*F, ButtonSkin({}));
    TWinSkinForm* Frame = SkinNow(F->Handle());
    ASSERT_NE(Frame, nullptr);
    EXPECT_EQ(Inner->Color(), Own->ButtonFace) << "with the skin, not at a later refresh";
    EXPECT_TRUE(Frame->ControlSkins.Has(InnerEdit) ||
                Frame->ControlSkins.Find(InnerEdit->Handle()) != nullptr)
        << "its controls are skinned as well";
    Own->SetActive(false);
    ASSERT_TRUE(WaitFor([&] { return FrameOf(F->Handle()) == nullptr; }, 2000));
    EXPECT_EQ(Inner->Color(), clRed);
}
