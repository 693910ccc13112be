// Check boxes, radio buttons, group boxes, panels, progress bars, track bars and up-down
// controls on a shown form wearing a skin made for the test, whose pictures give every frame a
// colour of its own: which skin each control gets, the frame each state shows, where the skins
// draw, that pointer input still works as without the skin, and that switching the skin on
// and off again and again leaves nothing behind.
#include "SkinTesting.h"

#include "ComCtrls.h"
#include "SysUtils.h"
#include "ImgUtil.h"
#include "StdCtrls.h"
#include "WinSubButton.h"
#include "WinSubCtrls.h"
#include "WinSubEdit.h"
#include "WinSubList.h"
#include "WinSubStatus.h"
#include "WinSubTab.h"

#include <commctrl.h>
#include <gtest/gtest.h>

using namespace SkinTest;

// A check-box window that publishes only "Checked", which need not agree with its window.
class TTickBox : public TWinControl {
    DECLARE_CLASS(TTickBox, TWinControl)
  public:
    explicit TTickBox(TComponent* AOwner) : TWinControl(AOwner) {}
    bool Checked() const { return FChecked; }
    void SetChecked(bool V) { FChecked = V; }

  protected:
    void CreateParams(TCreateParams& P) override {
        TWinControl::CreateParams(P);
        P.SysClassName = L"BUTTON";
        P.Style |= BS_CHECKBOX;
    }

  private:
    bool FChecked = false;
};
PUBLISHED(TTickBox) {
    p.Property(L"Checked", &TTickBox::Checked, &TTickBox::SetChecked);
}

// A check-box window whose "State" is plain text and whose window never shows the third state.
class TStateBox : public TTickBox {
    DECLARE_CLASS(TStateBox, TTickBox)
  public:
    using TTickBox::TTickBox;
    std::wstring State() const { return FState; }
    void SetState(const std::wstring& V) { FState = V; }

  private:
    std::wstring FState = L"cbUnchecked";
};
PUBLISHED(TStateBox) {
    p.Property(L"State", &TStateBox::State, &TStateBox::SetState);
}

// Controls of other libraries that Skin3rd lines name: a panel and a track bar that can be made
// transparent, and groups whose children are radio buttons or check boxes to the skin.
class TKindPanel : public TCustomControl {
    DECLARE_CLASS(TKindPanel, TCustomControl)
  public:
    using TCustomControl::TCustomControl;
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool V) { FTransparent = V; }

  private:
    bool FTransparent = false;
};
PUBLISHED(TKindPanel) {
    p.Property(L"Transparent", &TKindPanel::Transparent, &TKindPanel::SetTransparent);
}

class TKindTrack : public TTrackBar {
    DECLARE_CLASS(TKindTrack, TTrackBar)
  public:
    using TTrackBar::TTrackBar;
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool V) { FTransparent = V; }

  private:
    bool FTransparent = false;
};
PUBLISHED(TKindTrack) {
    p.Property(L"Transparent", &TKindTrack::Transparent, &TKindTrack::SetTransparent);
}

class TChoiceGroup : public TCustomControl {
    DECLARE_CLASS(TChoiceGroup, TCustomControl)
  public:
    using TCustomControl::TCustomControl;
};
PUBLISHED(TChoiceGroup) {}

class TTickGroup : public TChoiceGroup {
    DECLARE_CLASS(TTickGroup, TChoiceGroup)
  public:
    using TChoiceGroup::TChoiceGroup;
};
PUBLISHED(TTickGroup) {}

// A data-aware check box of another library that takes its glyphs from a published picture.
class TRzDBCheckBox : public TCheckBox {
    DECLARE_CLASS(TRzDBCheckBox, TCheckBox)
  public:
    using TCheckBox::TCheckBox;
    TBitmap* CustomGlyphs() const { return &FGlyphs; }
    int TransparentColor() const { return FTransparent; }
    void SetTransparentColor(int V) { FTransparent = V; }
    bool UseCustomGlyphs() const { return FUse; }
    void SetUseCustomGlyphs(bool V) {
        if (V && !FUse) ++Reloads;
        FUse = V;
    }
    int Reloads = 0;

  private:
    mutable TBitmap FGlyphs;
    int FTransparent = 0;
    bool FUse = false;
};
PUBLISHED(TRzDBCheckBox) {
    p.Property(L"CustomGlyphs", &TRzDBCheckBox::CustomGlyphs);
    p.Property(L"TransparentColor", &TRzDBCheckBox::TransparentColor,
               &TRzDBCheckBox::SetTransparentColor);
    p.Property(L"UseCustomGlyphs", &TRzDBCheckBox::UseCustomGlyphs,
               &TRzDBCheckBox::SetUseCustomGlyphs);
}

// The navigator bar of another library's data-aware forms: a panel of buttons, raised or flat.
class TDBNavigator : public TPanel {
    DECLARE_CLASS(TDBNavigator, TPanel)
  public:
    using TPanel::TPanel;
    bool Flat() const { return FFlat; }
    void SetFlat(bool V) { FFlat = V; }

  private:
    bool FFlat = false;
};
PUBLISHED(TDBNavigator) {
    p.Property(L"Flat", &TDBNavigator::Flat, &TDBNavigator::SetFlat);
}

enum TDateTimeKind { dtkDate, dtkTime };
DECLARE_ENUM_NAMES(TDateTimeKind, L"dtkDate", L"dtkTime")
enum TDTDateMode { dmComboBox, dmUpDown };
DECLARE_ENUM_NAMES(TDTDateMode, L"dmComboBox", L"dmUpDown")

// The date-time picker of another library: the system's picker showing a date with a
// drop-down calendar, a date stepped with arrows, or a time (stepped with arrows).
class TDateTimePicker : public TWinControl {
    DECLARE_CLASS(TDateTimePicker, TWinControl)
  public:
    using TWinControl::TWinControl;
    TDateTimeKind Kind() const { return FKind; }
    void SetKind(TDateTimeKind V) { FKind = V; }
    TDTDateMode DateMode() const { return FDateMode; }
    void SetDateMode(TDTDateMode V) { FDateMode = V; }

  protected:
    void CreateParams(TCreateParams& P) override {
        static const bool Registered = [] {
            INITCOMMONCONTROLSEX I{sizeof(I), ICC_DATE_CLASSES};
            return InitCommonControlsEx(&I) != FALSE;
        }();
        (void)Registered;
        TWinControl::CreateParams(P);
        P.SysClassName = DATETIMEPICK_CLASSW;
        if (FKind == dtkTime)
            P.Style |= DTS_TIMEFORMAT;
        else if (FDateMode == dmUpDown)
            P.Style |= DTS_UPDOWN;
    }

  private:
    TDateTimeKind FKind = dtkDate;
    TDTDateMode FDateMode = dmComboBox;
};
PUBLISHED(TDateTimePicker) {
    p.Property(L"Kind", &TDateTimePicker::Kind, &TDateTimePicker::SetKind);
    p.Property(L"DateMode", &TDateTimePicker::DateMode, &TDateTimePicker::SetDateMode);
}

namespace {

// Frame F of picture Image is a plain colour of its own, never magenta or a skin colour.
uint32_t FrameColour(int Image, int F) {
    return static_cast<uint32_t>((Image * 40) << 16 | (F * 18) << 8 | 0x30);
}

enum TPicture { picCheck = 1, picRadio, picProgress, picUpDown, picThumbH, picThumbV };

TBytes Strip(int Image, int FrameW, int FrameH, int Frames) {
    TBitmap B(FrameW * Frames, FrameH, pf24bit);
    for (int F = 0; F < Frames; ++F)
        for (int Y = 0; Y < FrameH; ++Y)
            for (int X = 0; X < FrameW; ++X)
                SetPixel(B, F * FrameW + X, Y, FrameColour(Image, F + 1));
    return B.SaveToStream();
}

constexpr uint32_t Face = 0xDCD2C8;   // ButtonFace 200 210 220
constexpr uint32_t Shadow = 0x64605A; // ButtonShadow 90 96 100
constexpr uint32_t ChunkColour = 0x10C040;

// A skin of plain borders and the test colours, with the pictures and description lines of
// the controls a test looks at.
TBytes PlainBorderSkinWith(const std::string& Lines,
                           std::vector<std::pair<std::string, TBytes>> Pictures) {
    const std::string Ini =
        "[Personality]\n"
        "Top=top.bmp\nTopFrame=2\nTopTopHeight=4\nTopBotHeight=4\n"
        "Bottom=bottom.bmp\nBottomFrame=2\nBottomTopHeight=2\nBottomBotHeight=2\n"
        "Left=left.bmp\nLeftFrame=2\nLeftTopHeight=4\nLeftBotHeight=4\n"
        "Right=right.bmp\nRightFrame=2\nRightTopHeight=4\nRightBotHeight=4\n"
        "[Colours]\nButtonFace=200 210 220\nButtonShadow=90 96 100\n" +
        Lines;
    std::vector<std::pair<std::string, TBytes>> Files{
        {"top.bmp", BorderBmp(40, 20, 2, true, 0x604020)},
        {"bottom.bmp", BorderBmp(40, 5, 2, true, 0x206040)},
        {"left.bmp", BorderBmp(4, 40, 2, false, 0x402060)},
        {"right.bmp", BorderBmp(4, 40, 2, false, 0x204060)}};
    for (auto& P : Pictures)
        Files.push_back(std::move(P));
    return Payload(Ini, std::move(Files));
}

// A progress chunk: five pixels of its colour and a column of the key between chunks.
TBytes ChunkPicture() {
    TBitmap B(6, 8, pf24bit);
    Fill(B, ChunkColour);
    for (int Y = 0; Y < 8; ++Y)
        SetPixel(B, 5, Y, 0xFF00FF);
    return B.SaveToStream();
}

// A skin of plain borders with pictures for the controls; the check box's with CheckFrames
// frames, the radio button's with RadioFrames; the progress bar filled with chunks or not.
TBytes ControlsSkin(int CheckFrames, int RadioFrames, bool Chunks = false) {
    const std::string N = std::to_string(CheckFrames), R = std::to_string(RadioFrames);
    return PlainBorderSkinWith("[Buttons]\nCheckButton=check.bmp\nRadioButton=radio.bmp\n"
                               "CheckButtonFrame=" +
                                   N + "\nRadioButtonFrame=" + R +
                                   "\n"
                                   "[Progress]\nBitmap=progress.bmp\nTile=0\n" +
                                   (Chunks ? "Style=1\nChunk=chunk.bmp\nLeftWidth=2\n" : "") +
                                   "[UpDown.Vert]\nImage=updown.bmp\n"
                                   "[Trackbar.ThumbHorz]\nImage=thumbh.bmp\n"
                                   "[Trackbar.ThumbVert]\nImage=thumbv.bmp\n",
                               {{"check.bmp", Strip(picCheck, 13, 13, CheckFrames)},
                                {"radio.bmp", Strip(picRadio, 13, 13, RadioFrames)},
                                {"progress.bmp", Strip(picProgress, 10, 10, 2)},
                                {"chunk.bmp", ChunkPicture()},
                                {"updown.bmp", Strip(picUpDown, 8, 8, 8)},
                                {"thumbh.bmp", Strip(picThumbH, 8, 12, 5)},
                                {"thumbv.bmp", Strip(picThumbV, 12, 8, 5)}});
}

// What the last painter that composes in the skin's off-screen picture left there equals Shot.
int DifferencesFromWorkBitmap(TSkinData& Skin, const TBitmap& Shot) {
    TBitmap& Work = Skin.WorkBitmap();
    if (Work.Width() != Shot.Width() || Work.Height() != Shot.Height()) return -1;
    int Bad = 0;
    for (int Y = 0; Y < Shot.Height(); ++Y)
        for (int X = 0; X < Shot.Width(); ++X)
            Bad += Pixel(Work, X, Y) != Pixel(Shot, X, Y);
    return Bad;
}

// The control painted into a picture of its window's size, as a program prints it.
std::unique_ptr<TBitmap> PaintedInto(TWinControl* C) {
    RECT R;
    GetWindowRect(C->Handle(), &R);
    auto B = std::make_unique<TBitmap>(R.right - R.left, R.bottom - R.top, pf24bit);
    SendMessageW(C->Handle(), WM_PAINT, reinterpret_cast<WPARAM>(B->Canvas()->Handle()), 0);
    return B;
}

uint32_t PixelOf(HWND Wnd, int X, int Y) {
    HDC DC = GetDC(Wnd);
    const uint32_t C = Rgb(GetPixel(DC, X, Y));
    ReleaseDC(Wnd, DC);
    return C;
}

SIZE ClientSize(HWND Wnd) {
    RECT R;
    GetClientRect(Wnd, &R);
    return {R.right, R.bottom};
}

// Skins Form with a skin of its own, shows it and waits until it is on screen; the pointer is
// put away from it. Null when the skin did not come.
TWinSkinForm* ShowWithOwnSkin(TForm& Form, const TBytes& Skin) {
    Form.HandleNeeded();
    OwnSkin(Form, Skin);
    TWinSkinForm* Frame = SkinNow(Form.Handle());
    if (!Frame) return nullptr;
    Form.Show();
    const HWND Wnd = Form.Handle();
    if (!WaitFor([Wnd] { return IsWindowVisible(Wnd) != FALSE; })) return nullptr;
    SetCursorPos(2, 2);
    Pump();
    return Frame;
}

void RepaintNow(TWinControl* C) {
    RedrawWindow(C->Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump();
}

POINT ScreenOf(TWinControl* C, int X, int Y) {
    return C->ClientToScreen({X, Y});
}

class TControlsForm : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        Form = new TCloseCountingForm(nullptr);
        Form->SetBorderStyle(bsSingle);
        Form->SetFormStyle(fsStayOnTop);
        Form->SetBounds(60, 60, 700, 460);
        Form->SetClientSize(680, 400);
        Form->SetCaption(L"Other controls");
        Unchecked = Check(10, 10, cbUnchecked);
        Checked = Check(140, 10, cbChecked);
        Grayed = Check(270, 10, cbGrayed);
        Grayed->SetAllowGrayed(true);
        OffUnchecked = Check(400, 10, cbUnchecked, false);
        OffChecked = Check(10, 40, cbChecked, false);
        OffGrayed = Check(140, 40, cbGrayed, false);
        LeftText = Check(270, 40, cbUnchecked);
        LeftText->SetAlignment(taLeftJustify);
        Tick = Place(new TTickBox(Form), 400, 40, 120, 20);
        StateBox = Place(new TStateBox(Form), 530, 40, 120, 20);
        RadioA = Radio(Form, 10, 100, false);
        RadioB = Radio(Form, 140, 100, true);
        RadioOff = Radio(Form, 270, 100, false);
        RadioOff->SetEnabled(false);
        Group = Place(new TGroupBox(Form), 10, 130, 200, 80);
        Group->SetCaption(L"Group");
        Group->Font()->SetName(L"Tahoma");
        Group->Font()->SetHeight(13);
        Bar30 = Progress(230, 130, 200, 20, 30, pbHorizontal);
        Bar0 = Progress(230, 160, 200, 20, 0, pbHorizontal);
        BarUp = Progress(450, 130, 20, 150, 30, pbVertical);
        Arrows = Place(new TUpDown(Form), 490, 130, 20, 40);
        Arrows->SetPosition(50);
        Track = Trackbar(230, 200, trHorizontal, 0);
        TrackTwin = Trackbar(230, 250, trHorizontal, 199);
        TrackUp = Trackbar(540, 130, trVertical, 0);
        TrackUpTwin = Trackbar(600, 130, trVertical, 199);
        Edit = Place(new TEdit(Form), 10, 230, 120, 24);
        Box = Place(new TPanel(Form), 10, 300, 200, 60);
        Box->SetColor(clBtnFace);
        RadioInBox = Radio(Box, 10, 10, true);
        RadioInBox->SetEnabled(false);
        Form->HandleNeeded();
        // Inside the edit, as spin edits place theirs.
        Spin = CreateWindowExW(0, UPDOWN_CLASSW, L"", WS_CHILD | WS_VISIBLE, 100, 0, 18, 20,
                               Edit->Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
        Skin = OwnSkin(*Form, ControlsSkin(12, 8));
        Frame = SkinNow(Form->Handle());
        ASSERT_NE(Frame, nullptr);
        // Classes of other libraries that a Skin3rd line calls check boxes.
        Skin->Skin3rd()->Add(L"TTickBox=checkbox");
        Skin->Skin3rd()->Add(L"TStateBox=checkbox");
        Frame->SkinControls();
        Form->Show();
        SetForegroundWindow(Form->Handle());
        ASSERT_TRUE(WaitFor([] { return IsWindowVisible(Form->Handle()) != FALSE; }));
        SetCursorPos(2, 2);
        Pump();
        RepaintNow(Form);
    }
    static void TearDownTestSuite() { delete Form; }

    template <class T> static T* Place(T* C, int X, int Y, int W, int H) {
        C->SetParent(Form);
        C->SetBounds(X, Y, W, H);
        return C;
    }
    static TCheckBox* Check(int X, int Y, TCheckBoxState S, bool Enabled = true) {
        auto* C = Place(new TCheckBox(Form), X, Y, 120, 20);
        C->SetAllowGrayed(S == cbGrayed);
        C->SetState(S);
        C->SetCaption(L"Check");
        C->SetEnabled(Enabled);
        return C;
    }
    static TRadioButton* Radio(TWinControl* Parent, int X, int Y, bool On) {
        auto* R = new TRadioButton(Form);
        R->SetParent(Parent);
        R->SetBounds(X, Y, 120, 20);
        R->SetCaption(L"Radio");
        R->SetChecked(On);
        return R;
    }
    static TProgressBar* Progress(int X, int Y, int W, int H, int Pos, TProgressBarOrientation O) {
        auto* P = Place(new TProgressBar(Form), X, Y, W, H);
        P->SetOrientation(O);
        P->SetPosition(Pos);
        return P;
    }
    static TTrackBar* Trackbar(int X, int Y, TTrackBarOrientation O, int Tag) {
        auto* T = Place(new TTrackBar(Form), X, Y, O == trVertical ? 45 : 200,
                        O == trVertical ? 150 : 45);
        T->SetOrientation(O);
        T->SetTag(Tag);
        T->SetPosition(3);
        return T;
    }

    static TSkinControl* SkinOf(TControl* C) {
        for (TSkinControl* S : Frame->ControlSkins)
            if (S->SkinnedControl() == C) return S;
        return nullptr;
    }
    // The colour at the middle of a check box's or radio button's glyph.
    static uint32_t GlyphAt(TWinControl* C, int X) {
        RepaintNow(C);
        return PixelOf(C->Handle(), X, ClientSize(C->Handle()).cy / 2);
    }
    static uint32_t CheckGlyph(TWinControl* C) { return GlyphAt(C, 7); }
    static uint32_t RadioGlyph(TWinControl* C) { return GlyphAt(C, 6); }
    // Another skin for the same form: its pictures are read at the next paint.
    // A new skin for the form: the manager refreshes the window after its delay, and tells.
    static void UseSkin(int CheckFrames, int RadioFrames, bool Chunks = false) {
        bool Refreshed = false;
        Skin->OnSkinChanged = [&](TObject*) { Refreshed = true; };
        Skin->SetSkinStream(ControlsSkin(CheckFrames, RadioFrames, Chunks));
        ASSERT_EQ(Skin->Buttons->CheckFrameCount, CheckFrames);
        const bool Came = WaitFor([&] { return Refreshed; }, 2000);
        Skin->OnSkinChanged = nullptr;
        ASSERT_TRUE(Came) << "the window was refreshed";
        Frame = FrameOf(Form->Handle());
        ASSERT_NE(Frame, nullptr);
        EXPECT_EQ(Frame->SkinState, lsReady);
    }

    static inline TCloseCountingForm* Form = nullptr;
    static inline TWinSkinForm* Frame = nullptr;
    static inline TSkinData* Skin = nullptr;
    static inline TCheckBox *Unchecked, *Checked, *Grayed, *OffUnchecked, *OffChecked, *OffGrayed,
        *LeftText;
    static inline TTickBox* Tick = nullptr;
    static inline TStateBox* StateBox = nullptr;
    static inline TRadioButton *RadioA, *RadioB, *RadioOff, *RadioInBox;
    static inline TGroupBox* Group = nullptr;
    static inline TProgressBar *Bar30, *Bar0, *BarUp;
    static inline TUpDown* Arrows = nullptr;
    static inline TTrackBar *Track, *TrackTwin, *TrackUp, *TrackUpTwin;
    static inline TEdit* Edit = nullptr;
    static inline TPanel* Box = nullptr;
    static inline HWND Spin = nullptr;
};

} // namespace

TEST_F(TControlsForm, EachControlGetsTheSkinOfItsKind) {
    for (TControl* C : {Unchecked, Checked, Grayed, OffChecked, LeftText})
        EXPECT_NE(dynamic_cast<TSkinCheckBox*>(SkinOf(C)), nullptr) << WideToUtf8(C->ClassName());
    EXPECT_EQ(dynamic_cast<TSkinRadioButton*>(SkinOf(Unchecked)), nullptr);
    for (TControl* C : {RadioA, RadioB, RadioInBox})
        EXPECT_NE(dynamic_cast<TSkinRadioButton*>(SkinOf(C)), nullptr);
    EXPECT_NE(dynamic_cast<TSkinCheckBox*>(SkinOf(Tick)), nullptr) << "a Skin3rd checkbox line";
    EXPECT_NE(dynamic_cast<TSkinGroupBox*>(SkinOf(Group)), nullptr);
    EXPECT_NE(dynamic_cast<TSkinBox*>(SkinOf(Box)), nullptr);
    EXPECT_NE(dynamic_cast<TSkinProgress*>(SkinOf(BarUp)), nullptr);
    EXPECT_NE(dynamic_cast<TSkinTrackBar*>(SkinOf(Track)), nullptr);
    EXPECT_EQ(SkinOf(TrackTwin), nullptr) << "its tag keeps it unskinned";
    EXPECT_NE(dynamic_cast<TSkinUpDown*>(SkinOf(Arrows)), nullptr);
    // Panel and group box take the face colour.
    EXPECT_EQ(Box->Color(), Skin->ButtonFace);
    EXPECT_EQ(Group->Color(), Skin->ButtonFace);

    // Without the check-box element a check box keeps its own look: it is no push button.
    const TSkinControlTypes All = Skin->SkinControls();
    Skin->SetSkinControls(TSkinControlTypes(All).Exclude(xcCheckBox));
    auto* Loose = Check(530, 10, cbUnchecked);
    Frame->SkinControls();
    EXPECT_EQ(SkinOf(Loose), nullptr);
    Skin->SetSkinControls(All);
    Frame->SkinControls();
    EXPECT_NE(dynamic_cast<TSkinCheckBox*>(SkinOf(Loose)), nullptr);
    delete Loose;
}

TEST_F(TControlsForm, Skin3rdKindsGivePanelsTrackBarsAndTheChildrenOfGroupsTheirSkins) {
    const std::vector<std::wstring> Lines{L"TKindPanel=panel", L"TKindTrack=trackbar",
                                          L"TChoiceGroup=radiogroup", L"TTickGroup=checkgroup"};
    for (const std::wstring& L : Lines)
        Skin->Skin3rd()->Add(L);
    auto* Panel = Place(new TKindPanel(Form), 530, 300, 60, 30);
    auto* Slider = Place(new TKindTrack(Form), 600, 300, 70, 30);
    auto* Radios = Place(new TChoiceGroup(Form), 530, 340, 70, 50);
    auto* Ticks = Place(new TTickGroup(Form), 600, 340, 70, 50);
    std::vector<TTickBox*> Children;
    for (TWinControl* Group : std::initializer_list<TWinControl*>{Radios, Ticks})
        for (int I = 0; I < 2; ++I) {
            auto* C = new TTickBox(Form);
            C->SetParent(Group);
            C->SetBounds(2, 2 + I * 22, 60, 20);
            Children.push_back(C);
        }
    Frame->SkinControls();
    EXPECT_NE(dynamic_cast<TSkinBox*>(SkinOf(Panel)), nullptr);
    EXPECT_TRUE(Panel->Transparent());
    EXPECT_EQ(Panel->Color(), Skin->ButtonFace);
    EXPECT_NE(dynamic_cast<TSkinTrackBar*>(SkinOf(Slider)), nullptr);
    EXPECT_TRUE(Slider->Transparent());
    EXPECT_EQ(SkinOf(Radios), nullptr) << "a group's own look is left alone";
    EXPECT_EQ(SkinOf(Ticks), nullptr);
    for (int I = 0; I < 2; ++I) {
        EXPECT_NE(dynamic_cast<TSkinRadioButton*>(SkinOf(Children[static_cast<size_t>(I)])),
                  nullptr);
        TSkinControl* Tick = SkinOf(Children[static_cast<size_t>(I + 2)]);
        EXPECT_NE(dynamic_cast<TSkinCheckBox*>(Tick), nullptr);
        EXPECT_EQ(dynamic_cast<TSkinRadioButton*>(Tick), nullptr);
    }
    for (TControl* C : std::initializer_list<TControl*>{Panel, Slider, Radios, Ticks})
        delete C;
    for (const std::wstring& L : Lines)
        Skin->Skin3rd()->Delete(Skin->Skin3rd()->IndexOf(L));
}

TEST_F(TControlsForm, ACheckBoxShowsTheFrameOfItsStateInATwelveFramePicture) {
    EXPECT_EQ(CheckGlyph(Unchecked), FrameColour(picCheck, 1));
    EXPECT_EQ(CheckGlyph(Checked), FrameColour(picCheck, 5));
    EXPECT_EQ(CheckGlyph(Grayed), FrameColour(picCheck, 9)) << "the window's third state";
    EXPECT_EQ(CheckGlyph(OffUnchecked), FrameColour(picCheck, 4));
    EXPECT_EQ(CheckGlyph(OffChecked), FrameColour(picCheck, 8));
    EXPECT_EQ(CheckGlyph(OffGrayed), FrameColour(picCheck, 12));
    // "State" reading gray while the window shows no third state.
    StateBox->SetState(L"cbGrayed");
    EXPECT_EQ(CheckGlyph(StateBox), FrameColour(picCheck, 8));
    StateBox->SetState(L"cbUnchecked");
    // "Checked" without "State" wins over the window.
    SendMessageW(Tick->Handle(), BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(CheckGlyph(Tick), FrameColour(picCheck, 1));
    Tick->SetChecked(true);
    SendMessageW(Tick->Handle(), BM_SETCHECK, BST_UNCHECKED, 0);
    EXPECT_EQ(CheckGlyph(Tick), FrameColour(picCheck, 5));
    Tick->SetChecked(false);
    // The state follows at once when it changes.
    Unchecked->SetChecked(true);
    EXPECT_EQ(PixelOf(Unchecked->Handle(), 7, 10), FrameColour(picCheck, 5));
    Unchecked->SetChecked(false);
}

TEST_F(TControlsForm, TheGlyphCellLiesLeftOrRightOfTheCaption) {
    // A 13-pixel glyph: columns 1 to 13 on the left, W - 14 to W - 2 on the right.
    const HWND L = Unchecked->Handle();
    RepaintNow(Unchecked);
    const int Y = ClientSize(L).cy / 2;
    EXPECT_EQ(PixelOf(L, 1, Y), FrameColour(picCheck, 1));
    EXPECT_EQ(PixelOf(L, 13, Y), FrameColour(picCheck, 1));
    EXPECT_EQ(PixelOf(L, 0, Y), Face) << "the cleared cell shows the parent's colour";
    EXPECT_EQ(PixelOf(L, 14, Y), Face);
    const HWND R = LeftText->Handle();
    RepaintNow(LeftText);
    const int W = ClientSize(R).cx;
    EXPECT_EQ(PixelOf(R, W - 14, Y), FrameColour(picCheck, 1));
    EXPECT_EQ(PixelOf(R, W - 2, Y), FrameColour(picCheck, 1));
    EXPECT_EQ(PixelOf(R, W - 1, Y), Face);
    EXPECT_NE(PixelOf(R, 7, Y), FrameColour(picCheck, 1)) << "nothing on the caption's side";
    // A radio button's 13-pixel glyph starts at the very left.
    RepaintNow(RadioA);
    EXPECT_EQ(PixelOf(RadioA->Handle(), 0, Y), FrameColour(picRadio, 1));
    EXPECT_EQ(PixelOf(RadioA->Handle(), 13, Y), Face);
}

TEST_F(TControlsForm, ARadioButtonShowsTheFrameOfItsStateInAnEightFramePicture) {
    EXPECT_EQ(RadioGlyph(RadioA), FrameColour(picRadio, 1));
    EXPECT_EQ(RadioGlyph(RadioB), FrameColour(picRadio, 5));
    EXPECT_EQ(RadioGlyph(RadioOff), FrameColour(picRadio, 4));
    EXPECT_EQ(RadioGlyph(RadioInBox), FrameColour(picRadio, 8));
}

TEST_F(TControlsForm, WithFourFramesGrayIsFourAndDisabledThreeOrFour) {
    UseSkin(4, 4);
    EXPECT_EQ(CheckGlyph(Grayed), FrameColour(picCheck, 4));
    StateBox->SetState(L"cbGrayed");
    EXPECT_EQ(CheckGlyph(StateBox), FrameColour(picCheck, 4));
    StateBox->SetState(L"cbUnchecked");
    EXPECT_EQ(CheckGlyph(OffUnchecked), FrameColour(picCheck, 3));
    EXPECT_EQ(CheckGlyph(OffChecked), FrameColour(picCheck, 4));
    EXPECT_EQ(CheckGlyph(Checked), FrameColour(picCheck, 2));
    EXPECT_EQ(CheckGlyph(Tick), FrameColour(picCheck, 1));
    EXPECT_EQ(RadioGlyph(RadioB), FrameColour(picRadio, 2));
    EXPECT_EQ(RadioGlyph(RadioOff), FrameColour(picRadio, 3));
    UseSkin(12, 8);
    EXPECT_EQ(CheckGlyph(Checked), FrameColour(picCheck, 5));
}

TEST_F(TControlsForm, AGroupBoxDrawsItsLineAtFiveAndItsCaptionFromNine) {
    const HWND G = Group->Handle();
    {
        TWindowDC DC(G, false);
        TSelectObject Font(DC, Group->Font()->Handle());
        SIZE Zero{};
        GetTextExtentPoint32W(DC, L"0", 1, &Zero);
        ASSERT_EQ(Zero.cy, 13) << "the premise: a font whose 0 is 13 pixels high";
    }
    RepaintNow(Group);
    const SIZE S = ClientSize(G);
    const int Mid = S.cx / 2;
    EXPECT_EQ(PixelOf(G, Mid, 5), Shadow) << "the top line";
    EXPECT_NE(PixelOf(G, Mid, 4), Shadow);
    EXPECT_NE(PixelOf(G, Mid, 6), Shadow);
    EXPECT_EQ(PixelOf(G, 1, S.cy / 2), Shadow) << "the left line";
    EXPECT_EQ(PixelOf(G, S.cx - 2, S.cy / 2), Shadow) << "the right line";
    EXPECT_EQ(PixelOf(G, Mid, S.cy - 2), Shadow) << "the bottom line";
    EXPECT_EQ(PixelOf(G, 0, S.cy / 2), Face) << "the control's own edge is gone";
    // The caption interrupts the line from x = 9 to its end.
    TWindowDC DC(G, false);
    TSelectObject Font(DC, Group->Font()->Handle());
    SIZE Text{};
    GetTextExtentPoint32W(DC, L"Group", 5, &Text);
    EXPECT_EQ(PixelOf(G, 8, 5), Shadow);
    EXPECT_NE(PixelOf(G, 9, 5), Shadow);
    EXPECT_NE(PixelOf(G, 9 + Text.cx - 1, 5), Shadow);
    EXPECT_EQ(PixelOf(G, 9 + Text.cx, 5), Shadow);
}

TEST_F(TControlsForm, AProgressBarFillsItsShareAndAtZeroShowsOnlyTheFirstFrame) {
    const uint32_t Empty = FrameColour(picProgress, 1), Full = FrameColour(picProgress, 2);
    auto Row = [](TProgressBar* P, int Y) {
        RepaintNow(P);
        std::vector<uint32_t> Px;
        for (int X = 0; X < P->Width(); ++X)
            Px.push_back(PixelOf(P->Handle(), X, Y));
        return Px;
    };
    const std::vector<uint32_t> At30 = Row(Bar30, 10);
    const int Filled = MulDiv(Bar30->Width(), 30, 100);
    ASSERT_EQ(Filled, 60);
    EXPECT_EQ(std::count(At30.begin(), At30.end(), Full), Filled);
    EXPECT_EQ(At30[0], Full);
    EXPECT_EQ(At30[Filled - 1], Full);
    EXPECT_EQ(At30[Filled], Empty);
    EXPECT_EQ(At30.back(), Empty);
    const std::vector<uint32_t> At0 = Row(Bar0, 10);
    EXPECT_EQ(std::count(At0.begin(), At0.end(), Empty), Bar0->Width());
    // The bottom row stays out of the bar.
    EXPECT_EQ(PixelOf(Bar0->Handle(), 50, Bar0->Height() - 1), Face);

    // Standing up, it fills from the bottom.
    RepaintNow(BarUp);
    const int H = BarUp->Height(), Up = MulDiv(H, 30, 100);
    EXPECT_EQ(PixelOf(BarUp->Handle(), 10, H - 2), Full);
    EXPECT_EQ(PixelOf(BarUp->Handle(), 10, H - Up), Full);
    EXPECT_EQ(PixelOf(BarUp->Handle(), 10, H - Up - 1), Empty);
    EXPECT_EQ(PixelOf(BarUp->Handle(), 10, 0), Empty);
    // A new position shows.
    Bar0->SetPosition(100);
    const std::vector<uint32_t> At100 = Row(Bar0, 10);
    EXPECT_EQ(std::count(At100.begin(), At100.end(), Full), Bar0->Width());
    Bar0->SetPosition(0);
}

// With the chunk style, chunks fill the bar's share from its left margin, centred vertically,
// over the whole picture taken as one frame; composed in the skin's off-screen picture.
TEST_F(TControlsForm, ChunksFillTheShareOfAProgressBarComposedInTheSkinsPicture) {
    UseSkin(12, 8, true);
    ASSERT_EQ(Skin->Progress->Style, 1);
    const auto Shot = PaintedInto(Bar30);
    EXPECT_EQ(DifferencesFromWorkBitmap(*Skin, *Shot), 0);
    const int W = Bar30->Width(), H = Bar30->Height(), Y = H / 2;
    const int Filled = MulDiv(W, 30, 100), Left = 2, Top = (H - 8) / 2;
    int Chunks = 0;
    for (int X = 0; X < W; ++X)
        Chunks += Pixel(*Shot, X, Y) == ChunkColour;
    EXPECT_EQ(Chunks, Filled - Filled / 6) << "five of every six columns of the filled width";
    EXPECT_EQ(Pixel(*Shot, Left, Y), ChunkColour);
    EXPECT_EQ(Pixel(*Shot, Left + 4, Y), ChunkColour);
    EXPECT_EQ(Pixel(*Shot, Left + 5, Y), FrameColour(picProgress, 1)) << "the chunk's key";
    EXPECT_EQ(Pixel(*Shot, Left + Filled - 2, Y), ChunkColour);
    EXPECT_NE(Pixel(*Shot, Left + Filled, Y), ChunkColour) << "no further than the share";
    EXPECT_EQ(Pixel(*Shot, Left, Top), ChunkColour);
    EXPECT_EQ(Pixel(*Shot, Left, Top + 7), ChunkColour);
    EXPECT_NE(Pixel(*Shot, Left, Top - 1), ChunkColour) << "centred vertically";
    EXPECT_NE(Pixel(*Shot, Left, Top + 8), ChunkColour);
    UseSkin(12, 8);
}

TEST_F(TControlsForm, ATrackBarKeepsItsOwnTicsAndChannelAndTakesOnlyTheThumb) {
    SetFocus(Edit->Handle()); // no focus mark on either of a pair
    for (auto [Skinned, Twin, Thumb] :
         {std::tuple{Track, TrackTwin, picThumbH}, std::tuple{TrackUp, TrackUpTwin, picThumbV}}) {
        RepaintNow(Skinned);
        RepaintNow(Twin);
        RECT T{};
        SendMessageW(Skinned->Handle(), TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&T));
        ASSERT_LT(T.left, T.right);
        const auto Shot = Grab(Skinned->Handle());
        const auto TwinShot = Grab(Twin->Handle());
        EXPECT_EQ(Pixel(*Shot, (T.left + T.right) / 2, (T.top + T.bottom) / 2),
                  FrameColour(Thumb, 2));
        EXPECT_EQ(Pixel(*Shot, T.left, T.top), FrameColour(Thumb, 2));
        EXPECT_NE(Pixel(*TwinShot, T.left, T.top), FrameColour(Thumb, 2));
        // Everything else as the unskinned twin shows it.
        int Differing = 0, Compared = 0;
        for (int Y = 0; Y < Shot->Height(); ++Y)
            for (int X = 0; X < Shot->Width(); ++X) {
                const POINT P{X, Y};
                if (PtInRect(&T, P)) continue;
                ++Compared;
                if (Pixel(*Shot, X, Y) != Pixel(*TwinShot, X, Y)) ++Differing;
            }
        EXPECT_GT(Compared, 1000);
        EXPECT_EQ(Differing, 0);
    }
}

TEST_F(TControlsForm, AnUpDownPressedOnItsLowerHalfShowsFrameSixThereAndOneAbove) {
    const HWND U = Arrows->Handle();
    const SIZE S = ClientSize(U);
    const POINT Lower = ScreenOf(Arrows, S.cx / 2, S.cy * 3 / 4);
    const POINT Upper = ScreenOf(Arrows, S.cx / 2, S.cy / 4);
    const int Before = Arrows->Position();
    uint32_t Below = 0, Above = 0;
    WithPointer([&](TMouse& M) {
        M.Move(Lower);
        M.Down(Lower);
        SendMessageW(U, WM_NULL, 0, 0); // the press is handled before the pixels are read
        Below = PixelOf(U, S.cx / 2, S.cy * 3 / 4);
        Above = PixelOf(U, S.cx / 2, S.cy / 4);
        M.Up(Lower);
    });
    EXPECT_EQ(Below, FrameColour(picUpDown, 6));
    EXPECT_EQ(Above, FrameColour(picUpDown, 1));
    EXPECT_EQ(Arrows->Position(), Before - 1) << "the lower arrow steps down";
    // Released with the pointer still over it: hot, frame 4 + 4.
    EXPECT_TRUE(
        WaitFor([&] { return PixelOf(U, S.cx / 2, S.cy * 3 / 4) == FrameColour(picUpDown, 8); }));
    WithPointer([&](TMouse& M) { M.Click(Upper); });
    EXPECT_TRUE(WaitFor([&] { return Arrows->Position() == Before; }))
        << "the upper arrow steps up";
    WithPointer([&](TMouse& M) { M.Move({2, 2}); });
    EXPECT_TRUE(
        WaitFor([&] { return PixelOf(U, S.cx / 2, S.cy / 4) == FrameColour(picUpDown, 1); }));
    EXPECT_EQ(PixelOf(U, S.cx / 2, S.cy * 3 / 4), FrameColour(picUpDown, 5));
}

TEST_F(TControlsForm, AnUpDownInsideAnEditIsSkinnedAsItsBuddy) {
    RepaintNow(Edit);
    auto* EditSkin = dynamic_cast<TSkinEdit*>(Frame->ControlSkins.Find(Edit->Handle()));
    ASSERT_NE(EditSkin, nullptr);
    ASSERT_NE(EditSkin->UpDown, nullptr);
    EXPECT_TRUE(EditSkin->UpDown->BuddyMode);
    EXPECT_EQ(Frame->ControlSkins.Find(Spin), EditSkin->UpDown);
    RedrawWindow(Spin, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const SIZE S = ClientSize(Spin);
    EXPECT_EQ(PixelOf(Spin, 0, 0), Face) << "drawn one pixel inside";
    EXPECT_EQ(PixelOf(Spin, 1, 1), FrameColour(picUpDown, 1));
    EXPECT_EQ(PixelOf(Spin, S.cx / 2, S.cy - 2), FrameColour(picUpDown, 5));
    // The up-down goes: so does its skin, and the edit's skin lets go of it.
    DestroyWindow(Spin);
    EXPECT_EQ(EditSkin->UpDown, nullptr);
    RepaintNow(Edit);
    Spin = nullptr;
}

namespace {

void ClickAt(POINT P) {
    WithPointer([&](TMouse& M) { M.Click(P); });
}

} // namespace

// The same clicks with the skin on and switched off give the same states.
TEST_F(TControlsForm, PointerInputChangesTheStatesAsWithoutTheSkin) {
    auto Run = [](bool SkinOn) {
        std::vector<int> States;
        for (TWinControl* C : std::initializer_list<TWinControl*>{Grayed, RadioA, Track, Arrows})
            SendMessageW(C->Handle(), SKM_ENABLESKIN, SkinOn, 0);
        Grayed->SetState(cbUnchecked);
        RadioA->SetChecked(false);
        RadioB->SetChecked(true);
        Track->SetPosition(3);
        for (int I = 0; I < 3; ++I) {
            ClickAt(ScreenOf(Grayed, 7, 10));
            WaitFor(
                [&] {
                    return static_cast<int>(Grayed->State()) !=
                           (States.empty() ? 0 : States.back());
                },
                1000);
            States.push_back(Grayed->State());
        }
        ClickAt(ScreenOf(RadioA, 6, 10));
        WaitFor([] { return RadioA->Checked(); }, 1000);
        States.push_back(RadioA->Checked());
        States.push_back(RadioB->Checked());
        // A click in the channel right of the thumb moves by a page.
        ClickAt(ScreenOf(Track, 180, 12));
        WaitFor([] { return Track->Position() != 3; }, 1000);
        States.push_back(Track->Position());
        const int Was = Arrows->Position();
        ClickAt(ScreenOf(Arrows, 10, 30));
        WaitFor([&] { return Arrows->Position() != Was; }, 1000);
        States.push_back(Arrows->Position() - Was);
        return States;
    };
    const std::vector<int> Skinned = Run(true);
    EXPECT_EQ(Skinned, (std::vector<int>{cbGrayed, cbChecked, cbUnchecked, 1, 0, 5, -1}));
    const std::vector<int> Plain = Run(false);
    EXPECT_EQ(Plain, Skinned);
    for (TWinControl* C : std::initializer_list<TWinControl*>{Grayed, RadioA, Track, Arrows})
        SendMessageW(C->Handle(), SKM_ENABLESKIN, 1, 0);
    Grayed->SetState(cbGrayed);
    RadioA->SetChecked(false);
    RadioB->SetChecked(true);
}

// Classes of other libraries known by name: a navigator bar goes flat on the face colour; a
// date-time picker is an edit to the skin when it steps its fields with arrows, else a combo
// box.
TEST_F(TControlsForm, ANavigatorGoesFlatAndADatePickerIsAComboOrAnEditByItsMode) {
    auto* Nav = Place(new TDBNavigator(Form), 530, 300, 140, 24);
    auto Picker = [](int Y, TDateTimeKind Kind, TDTDateMode Mode) {
        auto* P = new TDateTimePicker(Form);
        P->SetKind(Kind);
        P->SetDateMode(Mode);
        return Place(P, 530, Y, 140, 22);
    };
    auto* Date = Picker(330, dtkDate, dmComboBox);
    auto* Stepped = Picker(355, dtkDate, dmUpDown);
    auto* Time = Picker(378, dtkTime, dmComboBox);
    Frame->SkinControls();
    EXPECT_NE(dynamic_cast<TSkinBox*>(SkinOf(Nav)), nullptr);
    EXPECT_TRUE(Nav->Flat());
    EXPECT_EQ(Nav->Color(), Skin->ButtonFace);
    auto Worn = [](TWinControl* C) { return Frame->ControlSkins.Find(C->Handle()); };
    EXPECT_NE(dynamic_cast<TSkinComBox*>(Worn(Date)), nullptr) << "a drop-down calendar";
    EXPECT_NE(dynamic_cast<TSkinEdit*>(Worn(Stepped)), nullptr) << "a date stepped by arrows";
    EXPECT_NE(dynamic_cast<TSkinEdit*>(Worn(Time)), nullptr) << "a time";
    // Without the edit element a picker keeps its own look.
    const TSkinControlTypes All = Skin->SkinControls();
    Skin->SetSkinControls(TSkinControlTypes(All).Exclude(xcEdit));
    auto* Loose = Picker(300, dtkDate, dmComboBox);
    Frame->SkinControls();
    EXPECT_EQ(Worn(Loose), nullptr);
    Skin->SetSkinControls(All);
    for (TControl* C : std::initializer_list<TControl*>{Nav, Date, Stepped, Time, Loose})
        delete C;
}

// The buttons of a plain window (a dialog's) take their skins by their button type.
TEST(PlainButtons, TheButtonTypeDecidesTheSkin) {
    MainSkin();
    const HWND Box = CreateWindowExW(WS_EX_DLGMODALFRAME, L"#32770", L"Buttons of a dialog",
                                     WS_POPUP | WS_CAPTION | WS_SYSMENU, 100, 100, 300, 260,
                                     nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(Box, nullptr);
    const DWORD Types[] = {BS_PUSHBUTTON, BS_DEFPUSHBUTTON, BS_CHECKBOX,    BS_AUTOCHECKBOX,
                           BS_3STATE,     BS_AUTO3STATE,    BS_RADIOBUTTON, BS_AUTORADIOBUTTON,
                           BS_GROUPBOX,   BS_OWNERDRAW};
    std::vector<HWND> Buttons;
    for (DWORD T : Types)
        Buttons.push_back(CreateWindowExW(0, L"BUTTON", L"B", WS_CHILD | WS_VISIBLE | T, 10,
                                          10 + static_cast<int>(Buttons.size()) * 22, 100, 20, Box,
                                          nullptr, GetModuleHandleW(nullptr), nullptr));
    TWinSkinForm* Frame = SkinNow(Box);
    ASSERT_NE(Frame, nullptr);
    enum { Push, Check, Radio, None };
    const int Expected[] = {Push, Push, Check, Check, Check, Check, Radio, Radio, None, None};
    for (size_t I = 0; I < Buttons.size(); ++I) {
        TSkinControl* S = Frame->ControlSkins.Find(Buttons[I]);
        const int Got = !S                                   ? None
                        : dynamic_cast<TSkinRadioButton*>(S) ? Radio
                        : dynamic_cast<TSkinCheckBox*>(S)    ? Check
                        : dynamic_cast<TSkinButton*>(S)      ? Push
                                                             : -1;
        EXPECT_EQ(Got, Expected[I]) << "button type " << Types[I];
    }
    // A check box of a dialog shows the skin's glyph over its box.
    TSkinData& D = MainSkin();
    ASSERT_FALSE(D.Buttons->CheckBitmap.Empty());
    TBitmap Picture(100, 20);
    SendMessageW(Buttons[3], BM_SETCHECK, BST_CHECKED, 0);
    SendMessageW(Buttons[3], WM_PAINT, reinterpret_cast<WPARAM>(Picture.Canvas()->Handle()), 0);
    // A pixel where the checked frame differs from the unchecked one shows the checked frame's.
    TBitmap& Image = D.Buttons->CheckBitmap;
    const int N = D.Buttons->CheckFrameCount, G = Image.Width() / N, GH = Image.Height();
    const int Left = G < 15 ? 1 + (14 - G) / 2 : 2, Top = (20 - GH) / 2;
    int Compared = 0;
    for (int Y = 0; Y < GH; ++Y)
        for (int X = 0; X < G; ++X) {
            const uint32_t Off = Pixel(Image, X, Y), On = Pixel(Image, G + X, Y);
            if (Off == On || On == 0xFF00FF || Off == 0xFF00FF) continue;
            ++Compared;
            EXPECT_EQ(Pixel(Picture, Left + X, Top + Y), On) << X << "," << Y;
        }
    EXPECT_GT(Compared, 0);
    DestroyWindow(Box);
    SkinManager->PurgeForms();
}

// ---------------------------------------------------------------------------------------------

// The skin put on and taken off a form of these controls, each painted every time: nothing is
// left behind, and the colours the skin changed come back.
TEST(ControlLeaks, TwoHundredCyclesOnAFormOfTheOtherControls) {
    auto F = HiddenSkinnedForm(400, 200);
    std::vector<TWinControl*> Controls;
    auto Add = [&](TWinControl* C, int X, int Y, int W, int H) {
        C->SetParent(F.get());
        C->SetBounds(X, Y, W, H);
        Controls.push_back(C);
        return C;
    };
    auto* Check = static_cast<TCheckBox*>(Add(new TCheckBox(F.get()), 5, 5, 100, 20));
    Check->SetChecked(true);
    Add(new TRadioButton(F.get()), 110, 5, 100, 20);
    auto* Group = Add(new TGroupBox(F.get()), 5, 30, 120, 60);
    Group->SetCaption(L"Group");
    auto* Panel = Add(new TPanel(F.get()), 130, 30, 120, 60);
    static_cast<TProgressBar*>(Add(new TProgressBar(F.get()), 5, 100, 120, 16))->SetPosition(40);
    Add(new TTrackBar(F.get()), 130, 100, 120, 40);
    Add(new TUpDown(F.get()), 260, 100, 18, 30);
    auto* Edit = Add(new TEdit(F.get()), 260, 5, 100, 22);
    CreateWindowExW(0, UPDOWN_CLASSW, L"", WS_CHILD | WS_VISIBLE, 80, 0, 16, 18, Edit->Handle(),
                    nullptr, GetModuleHandleW(nullptr), nullptr);
    const TColor GroupColour = Group->Color(), PanelColour = Panel->Color();
    size_t Worn = 0;
    auto Cycle = [&] {
        TWinSkinForm* Frame = SkinNow(F->Handle());
        ASSERT_NE(Frame, nullptr);
        // Each control painted as on screen, into a picture of its own.
        for (TWinControl* C : Controls) {
            TBitmap Picture(C->Width(), C->Height());
            SendMessageW(C->Handle(), WM_PAINT,
                         reinterpret_cast<WPARAM>(Picture.Canvas()->Handle()), 0);
        }
        if (TSkinControl* S = Frame->ControlSkins.Find(Edit->Handle())) {
            TBitmap Picture(Edit->Width(), Edit->Height());
            S->PaintFrame(Picture.Canvas()->Handle());
        }
        Worn = Frame->ControlSkins.size();
        RemoveAllFrames();
    };
    Cycle();
    EXPECT_EQ(Worn, 9u) << "eight controls and the up-down inside the edit";
    EXPECT_EQ(Group->Color(), GroupColour) << "the group box has its colour back";
    EXPECT_EQ(Panel->Color(), PanelColour);
    const TCounts Before = Counts();
    for (int I = 0; I < 200; ++I)
        Cycle();
    Pump();
    const TCounts After = Counts();
    EXPECT_EQ(Worn, 9u);
    EXPECT_EQ(After, Before) << "before: " << Describe(Before) << "\nafter:  " << Describe(After);
}

// ---------------------------------------------------------------------------------------------
// Status bars, on a form of their own wearing a skin whose status-bar edges and extra images
// give every frame its own colour.

namespace {

// (Colours of their own within this skin; the numbers only keep FrameColour in 24 bits.)
constexpr int picEdges = 5, picExtra = 6;
constexpr uint32_t Owner = 0x00FF00; // what the owner-drawn panel's handler paints

TBytes StatusSkin() {
    // The grip (frame 5 of the extra images) keeps its top-left pixel magenta: drawn through.
    TBitmap Extra(10 * 5, 10, pf24bit);
    for (int F = 0; F < 5; ++F)
        for (int Y = 0; Y < 10; ++Y)
            for (int X = 0; X < 10; ++X)
                SetPixel(Extra, F * 10 + X, Y, FrameColour(picExtra, F + 1));
    SetPixel(Extra, 40, 0, 0xFF00FF);
    return PlainBorderSkinWith(
        "[StatusBarEdges]\nImage=edges.bmp\n[ExtraImages]\nImage=extra.bmp\n",
        {{"edges.bmp", Strip(picEdges, 12, 12, 3)}, {"extra.bmp", Extra.SaveToStream()}});
}

class TStatusForm : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        Form = new TCloseCountingForm(nullptr);
        Form->SetBorderStyle(bsSingle);
        Form->SetFormStyle(fsStayOnTop);
        Form->SetBounds(80, 80, 420, 200);
        Form->SetClientSize(400, 120);
        Form->SetCaption(L"Status bars");
        Bar = new TStatusBar(Form);
        Bar->SetParent(Form);
        const TStatusPanelBevel Bevels[] = {pbLowered, pbRaised, pbNone};
        for (TStatusPanelBevel B : Bevels) {
            TStatusPanel* P = Bar->AddPanel();
            P->SetWidth(100);
            P->SetBevel(B);
        }
        Bar->OnDrawPanel = [](TStatusBar*, TStatusPanel* P, HDC DC, const RECT& R) {
            ++OwnerPaints;
            if (P->Index() == 1) FillColor(DC, R, static_cast<TColor>(Owner));
        };
        Frame = ShowWithOwnSkin(*Form, StatusSkin());
        ASSERT_NE(Frame, nullptr);
    }
    static void TearDownTestSuite() { delete Form; }

    static void Repaint() {
        RedrawWindow(Bar->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        Pump();
    }

    static inline TCloseCountingForm* Form = nullptr;
    static inline TStatusBar* Bar = nullptr;
    static inline TWinSkinForm* Frame = nullptr;
    static inline int OwnerPaints = 0;
};

} // namespace

TEST_F(TStatusForm, PanelsShowTheirBevelsFramesAndTheGripSitsInTheCorner) {
    ASSERT_NE(Frame->ControlSkins.Find(Bar->Handle()), nullptr);
    Repaint();
    const HWND W = Bar->Handle();
    const SIZE S = ClientSize(W);
    const int Y = 3;
    EXPECT_EQ(PixelOf(W, 50, Y), FrameColour(picEdges, 1)) << "lowered: frame 1";
    EXPECT_EQ(PixelOf(W, 150, Y), FrameColour(picEdges, 2)) << "raised: frame 2";
    EXPECT_EQ(PixelOf(W, 250, Y), FrameColour(picEdges, 3)) << "no bevel: frame 3";
    EXPECT_EQ(PixelOf(W, S.cx - 2, Y), FrameColour(picEdges, 3)) << "the last reaches the end";
    // The grip's right and bottom edges one pixel in from the corner; its key shows the panel.
    EXPECT_EQ(PixelOf(W, S.cx - 6, S.cy - 6), FrameColour(picExtra, 5));
    EXPECT_EQ(PixelOf(W, S.cx - 11, S.cy - 11), FrameColour(picEdges, 3)) << "the grip's key";
    EXPECT_NE(PixelOf(W, S.cx - 1, S.cy - 1), FrameColour(picExtra, 5));
}

TEST_F(TStatusForm, AnOwnerDrawnPanelIsPaintedOverTheSkin) {
    Bar->Panels(1)->SetStyle(psOwnerDraw);
    OwnerPaints = 0;
    Repaint();
    const HWND W = Bar->Handle();
    RECT R;
    SendMessageW(W, SB_GETRECT, 1, reinterpret_cast<LPARAM>(&R));
    EXPECT_GE(OwnerPaints, 1);
    EXPECT_EQ(PixelOf(W, (R.left + R.right) / 2, (R.top + R.bottom) / 2), Owner);
    EXPECT_EQ(PixelOf(W, R.left, (R.top + R.bottom) / 2), FrameColour(picEdges, 2))
        << "the handler's rectangle leaves the panel's edge to the skin";
    Bar->Panels(1)->SetStyle(psText);
}

namespace {

RECT PanelRect(HWND Bar, int Index) {
    RECT R{};
    SendMessageW(Bar, SB_GETRECT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&R));
    return R;
}

// The leftmost and rightmost columns of a panel where its text's ink shows over Ground.
std::pair<int, int> InkColumns(HWND Bar, int Index, uint32_t Ground) {
    RedrawWindow(Bar, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    Pump();
    const RECT R = PanelRect(Bar, Index);
    std::pair<int, int> Ink{R.right, R.left - 1};
    for (int X = R.left; X < R.right; ++X)
        for (int Y = R.top + 2; Y < R.bottom - 2; ++Y)
            if (PixelOf(Bar, X, Y) != Ground) {
                Ink.first = std::min<int>(Ink.first, X);
                Ink.second = std::max<int>(Ink.second, X);
            }
    return Ink;
}

} // namespace

TEST_F(TStatusForm, ReadRightToLeftAPanelsTextSitsOnItsOtherSide) {
    const HWND W = Bar->Handle();
    TStatusPanel& P = *Bar->Panels(0);
    P.SetText(L"Ready");
    const uint32_t Ground = FrameColour(picEdges, 1);
    const RECT R = PanelRect(W, 0);
    const int Mid = (R.left + R.right) / 2;
    const auto Ltr = InkColumns(W, 0, Ground);
    EXPECT_LT(Ltr.first, R.left + 6);
    EXPECT_LT(Ltr.second, Mid);
    SetWindowLongW(W, GWL_EXSTYLE, GetWindowLongW(W, GWL_EXSTYLE) | WS_EX_RTLREADING);
    const auto Rtl = InkColumns(W, 0, Ground);
    EXPECT_GT(Rtl.first, Mid) << "left-aligned text read right to left sits on the right";
    EXPECT_GT(Rtl.second, R.right - 6);
    P.SetAlignment(taRightJustify);
    const auto RtlRight = InkColumns(W, 0, Ground);
    EXPECT_LT(RtlRight.first, R.left + 6) << "and right-aligned on the left";
    EXPECT_LT(RtlRight.second, Mid);
    SetWindowLongW(W, GWL_EXSTYLE, GetWindowLongW(W, GWL_EXSTYLE) & ~WS_EX_RTLREADING);
    P.SetAlignment(taLeftJustify);
    P.SetText(L"");
}

TEST_F(TStatusForm, ADisabledBarsTextTakesTheShadowColour) {
    const HWND W = Bar->Handle();
    Bar->Panels(0)->SetText(L"Ready");
    const uint32_t Shade = Rgb(ColorToRGB(clBtnShadow));
    auto Shaded = [&] {
        RedrawWindow(W, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        Pump();
        const RECT R = PanelRect(W, 0);
        int N = 0;
        for (int X = R.left; X < R.left + 60; ++X)
            for (int Y = R.top; Y < R.bottom; ++Y)
                N += PixelOf(W, X, Y) == Shade;
        return N;
    };
    EXPECT_EQ(Shaded(), 0);
    Bar->SetEnabled(false);
    EXPECT_GT(Shaded(), 0);
    Bar->SetEnabled(true);
    Bar->Panels(0)->SetText(L"");
}

TEST_F(TStatusForm, TheBarIsComposedInTheSkinsPicture) {
    Bar->Panels(0)->SetText(L"Ready");
    const auto Shot = PaintedInto(Bar);
    EXPECT_EQ(Pixel(*Shot, 50, 3), FrameColour(picEdges, 1)) << "painted into the picture";
    EXPECT_EQ(DifferencesFromWorkBitmap(*Frame->SkinData, *Shot), 0);
    Bar->Panels(0)->SetText(L"");
}

TEST_F(TStatusForm, SimpleModeWithEmptyTextShowsFrameOneAcross) {
    Bar->SetSimpleText(L"");
    Bar->SetSimplePanel(true);
    Repaint();
    const HWND W = Bar->Handle();
    const SIZE S = ClientSize(W);
    for (int X = 1; X < S.cx - 14; X += 7)
        ASSERT_EQ(PixelOf(W, X, S.cy / 2), FrameColour(picEdges, 1)) << "at x " << X;
    Bar->SetSimplePanel(false);
}

// ---------------------------------------------------------------------------------------------
// List views and their headers, on a form wearing a skin whose header bar has a colour per
// frame, and the scroll-bar picture of skins switched to while it is shown.

namespace {

constexpr int picHeader = 4, picBars = 5, picOtherBars = 6;

TBytes HeaderSkin() {
    return PlainBorderSkinWith("[Headerbar]\nImage=header.bmp\n",
                               {{"header.bmp", Strip(picHeader, 12, 12, 5)}});
}

// The header skin and a scroll-bar picture of 23 frames, each a colour of picture Bars.
TBytes HeaderSkinWithBars(int Bars) {
    return PlainBorderSkinWith(
        "[Headerbar]\nImage=header.bmp\n[Scrollbar]\nImage=bars.bmp\n",
        {{"header.bmp", Strip(picHeader, 12, 12, 5)}, {"bars.bmp", Strip(Bars, 16, 16, 23)}});
}

} // namespace

TEST(SkinListView, TheHeaderWearsTheBarAndTheListTheScrollBarsOfTheSkinItWears) {
    auto Form = std::make_unique<TCloseCountingForm>(nullptr);
    Form->SetBorderStyle(bsSingle);
    Form->SetFormStyle(fsStayOnTop);
    Form->SetBounds(80, 80, 420, 260);
    Form->SetClientSize(400, 200);
    Form->SetCaption(L"List view");
    auto* List = new TListView(Form.get());
    List->SetParent(Form.get());
    List->SetBounds(10, 10, 300, 150);
    List->AddColumn(L"Name", 120);
    List->AddColumn(L"Number", 100);
    for (int I = 0; I < 40; ++I)
        List->AddItem(L"Caller " + std::to_wstring(I), {std::to_wstring(5550100 + I)});
    TWinSkinForm* Frame = ShowWithOwnSkin(*Form, HeaderSkin());
    ASSERT_NE(Frame, nullptr);
    TSkinData* Skin = nullptr;
    for (int I = 0; I < Form->ComponentCount(); ++I)
        if (auto* S = dynamic_cast<TSkinData*>(Form->Components(I))) Skin = S;
    ASSERT_NE(Skin, nullptr);

    auto* ListSkin = dynamic_cast<TSkinListView*>(Frame->ControlSkins.Find(List->Handle()));
    ASSERT_NE(ListSkin, nullptr);
    const HWND Header = reinterpret_cast<HWND>(SendMessageW(List->Handle(), LVM_GETHEADER, 0, 0));
    ASSERT_NE(dynamic_cast<TSkinHeader*>(Frame->ControlSkins.Find(Header)), nullptr);

    RedrawWindow(Header, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    Pump();
    const SIZE S = ClientSize(Header);
    const uint32_t Bar = FrameColour(picHeader, 1);
    EXPECT_EQ(PixelOf(Header, 118, 1), Bar) << "the first column";
    EXPECT_EQ(PixelOf(Header, 200, 1), Bar) << "the second column";
    EXPECT_EQ(PixelOf(Header, S.cx - 2, S.cy / 2), Bar) << "right of the last column";
    int Ink = 0;
    for (int X = 4; X < 60; ++X)
        if (PixelOf(Header, X, S.cy / 2) != Bar) ++Ink;
    EXPECT_GT(Ink, 0) << "the column's caption over the bar";

    // A skin without the scroll-bar picture leaves the native bars in view and in use.
    TWScrollbar& VertBar = *ListSkin->VertBar;
    auto BarInView = [&] { return VertBar.HandleAllocated() && IsWindowVisible(VertBar.Handle()); };
    EXPECT_FALSE(VertBar.Shown);
    EXPECT_FALSE(BarInView()) << "no empty window over the native bar";
    SCROLLBARINFO Native{};
    Native.cbSize = sizeof(Native);
    GetScrollBarInfo(List->Handle(), OBJID_VSCROLL, &Native);
    ASSERT_FALSE(Native.rgstate[0] & STATE_SYSTEM_INVISIBLE) << "forty rows scroll";
    const RECT& NB = Native.rcScrollBar;
    WithPointer([&](TMouse& M) {
        M.Click({(NB.left + NB.right) / 2, NB.bottom - Native.dxyLineButton / 2});
    });
    EXPECT_GT(SendMessageW(List->Handle(), LVM_GETTOPINDEX, 0, 0), 0) << "the native arrow";

    // Skins switched while the list is shown (each window of a reloaded skin is refreshed):
    // the bars come with a skin's picture, show the new skin's, and go with the picture.
    auto Wear = [&](const TBytes& Payload) {
        Skin->SetSkinStream(Payload);
        if (TWinSkinForm* Now = FrameOf(Form->Handle())) Now->Refresh();
        Pump();
    };
    const int A = VertBar.ArrowSize;
    auto ArrowShows = [&](int Picture) {
        return WaitFor([&] {
            return BarInView() && PixelOf(VertBar.Handle(), ClientSize(VertBar.Handle()).cx / 2,
                                          A / 2) == FrameColour(Picture, 9);
        });
    };
    Wear(HeaderSkinWithBars(picBars));
    EXPECT_TRUE(VertBar.Shown);
    EXPECT_TRUE(ArrowShows(picBars)) << "the up arrow of the skin's picture";
    Wear(HeaderSkinWithBars(picOtherBars));
    EXPECT_TRUE(ArrowShows(picOtherBars)) << "the new skin's up arrow";
    Wear(HeaderSkin());
    EXPECT_FALSE(VertBar.Shown);
    EXPECT_FALSE(BarInView());

    // A real click still selects a row.
    SendMessageW(List->Handle(), WM_VSCROLL, SB_TOP, 0);
    RECT Row{LVIR_BOUNDS, 0, 0, 0};
    SendMessageW(List->Handle(), LVM_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&Row));
    WithPointer([&](TMouse& M) {
        M.Click(List->ClientToScreen({40, (Row.top + Row.bottom) / 2}));
    });
    EXPECT_EQ(List->ItemIndex(), 3);

    // The skin goes: the header's skin and the bars go with it.
    const HWND VB = VertBar.HandleAllocated() ? VertBar.Handle() : nullptr;
    delete ListSkin;
    EXPECT_EQ(FrameOf(Form->Handle())->ControlSkins.Find(Header), nullptr);
    EXPECT_FALSE(VB && IsWindow(VB));
}

// A check box that takes its glyphs from a picture gets the skin's five check frames laid out
// in its nine slots, the magenta key and a reload; without the skin it uses its own again.
TEST(SkinObjImage, ACustomGlyphCheckBoxGetsTheSkinsFramesInItsSlots) {
    auto Form = std::make_unique<TCloseCountingForm>(nullptr);
    Form->SetBounds(80, 80, 300, 120);
    auto* Box = new TRzDBCheckBox(Form.get());
    Box->SetParent(Form.get());
    Box->SetBounds(10, 10, 120, 20);
    Form->HandleNeeded();
    TSkinData* Skin = OwnSkin(*Form, ControlsSkin(5, 4));
    TWinSkinForm* Frame = SkinNow(Form->Handle());
    ASSERT_NE(Frame, nullptr);
    TSkinControl* Given = nullptr;
    for (TSkinControl* S : Frame->ControlSkins)
        if (S->Control == Box) Given = S;
    ASSERT_NE(dynamic_cast<TSkinObjImage*>(Given), nullptr);
    EXPECT_TRUE(Box->UseCustomGlyphs());
    EXPECT_EQ(Box->Reloads, 1);
    EXPECT_EQ(Box->TransparentColor(), 16711935);
    const TBitmap& G = *Box->CustomGlyphs();
    ASSERT_EQ(G.Width(), 9 * 13);
    ASSERT_EQ(G.Height(), 13);
    // Slot -> source frame: 1 1, 2 2, 3 5, 4 1, 5 2, 6 5, 7 3, 8 4, 9 5.
    const int From[] = {1, 2, 5, 1, 2, 5, 3, 4, 5};
    for (int Slot = 0; Slot < 9; ++Slot)
        EXPECT_EQ(Pixel(G, Slot * 13 + 6, 6), FrameColour(picCheck, From[Slot]))
            << "slot " << Slot + 1;
    // (Deleted rather than switched off: switching a form's own skin off turns skinning off for
    // every window, and the suites after this one rely on the main skin.)
    delete Skin;
    EXPECT_FALSE(Box->UseCustomGlyphs()) << "its own glyphs again";
}

// ---------------------------------------------------------------------------------------------
// Tabs, on a form wearing a skin whose tab picture has a colour per frame and a band of its own
// along each frame's top edge (so that mirroring and turning show), and whose page border has
// such a band along its top.

namespace {

constexpr int picTabs = 5, picTabBand = 6, picBorder = 4;
constexpr int TabBand = 3; // rows of the band, kept unstretched as the picture's top margin
constexpr uint32_t NormalText = 0x0000A0, FocusText = 0xA00000; // 160 0 0 and 0 0 160

uint32_t Band(int Frame) {
    return FrameColour(picTabBand, Frame);
}

TBytes TabsSkin() {
    TBitmap Tabs(12 * 5, 16, pf24bit);
    for (int F = 0; F < 5; ++F)
        for (int Y = 0; Y < 16; ++Y)
            for (int X = 0; X < 12; ++X)
                SetPixel(Tabs, F * 12 + X, Y,
                         Y < TabBand ? Band(F + 1) : FrameColour(picTabs, F + 1));
    TBitmap Border(16, 16, pf24bit);
    for (int Y = 0; Y < 16; ++Y)
        for (int X = 0; X < 16; ++X)
            SetPixel(Border, X, Y, Y < 5 ? FrameColour(picBorder, 2) : FrameColour(picBorder, 1));
    return PlainBorderSkinWith(
        "[Tabs]\nImage=tabs.bmp\nBorder=border.bmp\nTopHeight=3\n"
        "NormalColour2=160 0 0\nMouseOverColour2=0 0 160\n",
        {{"tabs.bmp", Tabs.SaveToStream()}, {"border.bmp", Border.SaveToStream()}});
}

class TTabsForm : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        Form = new TCloseCountingForm(nullptr);
        Form->SetBorderStyle(bsSingle);
        Form->SetFormStyle(fsStayOnTop);
        Form->SetBounds(60, 60, 420, 330);
        Form->SetClientSize(400, 300);
        Form->SetCaption(L"Tabs");
        Pages = new TPageControl(Form);
        Pages->SetParent(Form);
        Pages->SetBounds(10, 10, 180, 100);
        for (int I = 0; I < 2; ++I) {
            auto* Sheet = new TTabSheet(Form);
            Sheet->SetCaption(I ? L"Second" : L"First");
            Sheet->SetPageControl(Pages);
        }
        const TTabPosition Positions[] = {tpBottom, tpLeft, tpRight};
        const POINT At[] = {{200, 10}, {10, 120}, {200, 120}};
        for (int I = 0; I < 3; ++I) {
            Sides[I] = new TTabControl(Form);
            Sides[I]->SetParent(Form);
            Sides[I]->SetBounds(At[I].x, At[I].y, 180, 120);
            Sides[I]->SetTabPosition(Positions[I]);
            Sides[I]->AddTab(L"One");
            Sides[I]->AddTab(L"Two");
        }
        Set = new TTabSet(Form);
        Set->SetParent(Form);
        Set->SetBounds(10, 260, 240, 21);
        for (const wchar_t* Day : {L"Monday", L"Tuesday", L"Wednesday", L"Thursday", L"Friday"})
            Set->AddTab(Day);
        Frame = ShowWithOwnSkin(*Form, TabsSkin());
        ASSERT_NE(Frame, nullptr);
    }
    static void TearDownTestSuite() { delete Form; }

    static RECT TabRect(TWinControl* C, int Index) {
        RECT R{};
        SendMessageW(C->Handle(), TCM_GETITEMRECT, static_cast<WPARAM>(Index),
                     reinterpret_cast<LPARAM>(&R));
        return R;
    }
    static int Count(HWND W, const RECT& R, uint32_t Colour) {
        int N = 0;
        for (int Y = R.top; Y < R.bottom; ++Y)
            for (int X = R.left; X < R.right; ++X)
                N += PixelOf(W, X, Y) == Colour;
        return N;
    }

    static inline TCloseCountingForm* Form = nullptr;
    static inline TPageControl* Pages = nullptr;
    static inline TTabControl* Sides[3] = {};
    static inline TTabSet* Set = nullptr;
    static inline TWinSkinForm* Frame = nullptr;
};

} // namespace

TEST_F(TTabsForm, TabsAtTheTopShowTheFocusedTabInFrameTwoAndTheBorderRoundThePage) {
    ASSERT_NE(dynamic_cast<TSkinTab*>(Frame->ControlSkins.Find(Pages->Handle())), nullptr);
    RepaintNow(Pages);
    const HWND W = Pages->Handle();
    const RECT First = TabRect(Pages, 0), Second = TabRect(Pages, 1);
    const int Mid1 = (First.left + First.right) / 2, Mid2 = (Second.left + Second.right) / 2;
    // Moved down a pixel into the strip: the band on top, the frame's colour below it.
    EXPECT_EQ(PixelOf(W, Mid1 - 8, First.top + 2), Band(2)) << "the focused tab's band";
    EXPECT_EQ(PixelOf(W, Mid2 - 8, Second.top + 2), Band(1));
    EXPECT_EQ(PixelOf(W, First.left + 2, First.top + 6), FrameColour(picTabs, 2));
    EXPECT_EQ(PixelOf(W, Second.left + 2, Second.top + 6), FrameColour(picTabs, 1));
    EXPECT_GT(Count(W, First, FocusText), 0) << "the focused tab's caption";
    EXPECT_EQ(Count(W, First, NormalText), 0);
    EXPECT_GT(Count(W, Second, NormalText), 0);
    EXPECT_EQ(Count(W, Second, FocusText), 0);

    // The page border: its banded top edge along the page's top, plain at the sides; the page
    // itself is the sheet's.
    RECT P = Pages->ClientRect();
    SendMessageW(W, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&P));
    InflateRect(&P, 4, 4);
    P.top += 1;
    const int MidX = (P.left + P.right) / 2, MidY = (P.top + P.bottom) / 2;
    EXPECT_EQ(PixelOf(W, MidX, P.top + 1), FrameColour(picBorder, 2));
    EXPECT_EQ(PixelOf(W, P.left + 1, MidY), FrameColour(picBorder, 1));
    EXPECT_EQ(PixelOf(W, P.right - 2, MidY), FrameColour(picBorder, 1));
    EXPECT_NE(PixelOf(W, MidX, MidY), FrameColour(picBorder, 1)) << "the ring only";
    // A tab control without pages shows its parent's ground inside the ring.
    TTabControl* Bottom = Sides[0];
    RepaintNow(Bottom);
    const RECT D = Bottom->DisplayRect();
    EXPECT_EQ(PixelOf(Bottom->Handle(), (D.left + D.right) / 2, (D.top + D.bottom) / 2),
              Rgb(ColorToRGB(Form->Color())));
}

TEST_F(TTabsForm, TabsAtTheBottomAreMirroredAndAtTheSidesTurned) {
    // Bottom: the band hangs at the tab's lower edge (one pixel up).
    TTabControl* Bottom = Sides[0];
    RepaintNow(Bottom);
    RECT R = TabRect(Bottom, 0);
    EXPECT_EQ(PixelOf(Bottom->Handle(), R.left + 3, R.bottom - 3), Band(2));
    EXPECT_EQ(PixelOf(Bottom->Handle(), R.left + 3, R.top + 2), FrameColour(picTabs, 2));
    R = TabRect(Bottom, 1);
    EXPECT_EQ(PixelOf(Bottom->Handle(), R.left + 3, R.bottom - 3), Band(1));

    // Left: the strip turned counter-clockwise, the band on the outer (left) side; right: turned
    // clockwise, the band on the right.
    TTabControl* Left = Sides[1];
    RepaintNow(Left);
    R = TabRect(Left, 0);
    const int LeftMid = (R.top + R.bottom) / 2;
    EXPECT_EQ(PixelOf(Left->Handle(), R.left + 1, R.bottom - 3), Band(2));
    EXPECT_EQ(PixelOf(Left->Handle(), R.left + 5, R.bottom - 3), FrameColour(picTabs, 2));
    EXPECT_NE(PixelOf(Left->Handle(), R.right - 2, LeftMid), Band(2));
    TTabControl* Right = Sides[2];
    RepaintNow(Right);
    R = TabRect(Right, 1);
    EXPECT_EQ(PixelOf(Right->Handle(), R.right - 2, R.top + 2), Band(1));
    EXPECT_EQ(PixelOf(Right->Handle(), R.right - 6, R.top + 2), FrameColour(picTabs, 1));
    EXPECT_NE(PixelOf(Right->Handle(), R.left + 1, (R.top + R.bottom) / 2), Band(1));

    // The page border turned with the tabs: its banded edge along the tabs' side.
    RECT P = Left->ClientRect();
    SendMessageW(Left->Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&P));
    InflateRect(&P, 4, 4);
    P.left += 1;
    EXPECT_EQ(PixelOf(Left->Handle(), P.left + 1, (P.top + P.bottom) / 2),
              FrameColour(picBorder, 2));
    EXPECT_EQ(PixelOf(Left->Handle(), (P.left + P.right) / 2, P.top + 1),
              FrameColour(picBorder, 1));
}

TEST_F(TTabsForm, ATabSetHangsItsTabsAndItsScrollerWearsTheUpDownSkin) {
    auto* Skin = dynamic_cast<TSkinTab31*>(Frame->ControlSkins.Find(Set->Handle()));
    ASSERT_NE(Skin, nullptr);
    ASSERT_TRUE(Set->Scroller()->Visible()) << "five days do not fit";
    ASSERT_NE(Skin->Scroller, nullptr);
    EXPECT_TRUE(Skin->Scroller->Horizontal);
    EXPECT_EQ(Frame->ControlSkins.Find(Set->Scroller()->Handle()), Skin->Scroller);
    RepaintNow(Set);
    const HWND W = Set->Handle();
    const auto Tabs = Set->VisibleTabs();
    ASSERT_GE(Tabs.size(), 2u);
    for (const auto& [Index, R] : Tabs) {
        const int F = Index == Set->TabIndex() ? 2 : 1;
        // Upside down: the band along the lower edge, the frame's colour at the top.
        EXPECT_EQ(PixelOf(W, R.left + 1, 1), FrameColour(picTabs, F)) << "tab " << Index;
        EXPECT_EQ(PixelOf(W, R.left + 1, R.bottom - 2), Band(F)) << "tab " << Index;
    }
    EXPECT_EQ(PixelOf(W, Tabs.back().second.right + 1, 3), Face) << "nothing past the last tab";
    EXPECT_EQ(PixelOf(W, 1, 3), Face) << "the start margin";
}

TEST_F(TTabsForm, RealClicksOnTabsChangeThemAsWithoutTheSkin) {
    auto Clicks = [&](bool Skinned) {
        TWinSkinForm* Now = FrameOf(Form->Handle());
        ASSERT_EQ(Now && Now->ControlSkins.Find(Pages->Handle()), Skinned);
        Pages->SetTabIndex(0);
        Sides[1]->SetTabIndex(0);
        Set->SetFirstIndex(0);
        Set->SetTabIndex(0);
        Pump();
        int Changes = 0;
        Pages->OnChange = [&](TObject*) { ++Changes; };
        const RECT PageTab = TabRect(Pages, 1), SideTab = TabRect(Sides[1], 1);
        const auto SetTabs = Set->VisibleTabs();
        const RECT DayTab = SetTabs[1].second;
        const RECT Arrows = Set->Scroller()->BoundsRect();
        WithPointer([&](TMouse& M) {
            M.Click(Pages->ClientToScreen({(PageTab.left + PageTab.right) / 2, PageTab.top + 4}));
            M.Click(
                Sides[1]->ClientToScreen({SideTab.left + 4, (SideTab.top + SideTab.bottom) / 2}));
            M.Click(Set->ClientToScreen({(DayTab.left + DayTab.right) / 2, 8}));
            M.Click(Set->ClientToScreen({Arrows.right - 4, (Arrows.top + Arrows.bottom) / 2}));
        });
        Pages->OnChange = nullptr;
        EXPECT_EQ(Pages->TabIndex(), 1) << (Skinned ? "skinned" : "plain");
        EXPECT_EQ(Changes, 1);
        EXPECT_EQ(Pages->ActivePage(), Pages->Pages(1));
        EXPECT_TRUE(Pages->Pages(1)->Visible());
        EXPECT_FALSE(Pages->Pages(0)->Visible());
        EXPECT_EQ(Sides[1]->TabIndex(), 1);
        EXPECT_EQ(Set->TabIndex(), 1);
        EXPECT_EQ(Set->FirstIndex(), 1) << "the right arrow shows the next tab first";
    };
    Clicks(true);
    // The skin on the page control shows the new focused tab.
    RepaintNow(Pages);
    const RECT Second = TabRect(Pages, 1);
    EXPECT_EQ(PixelOf(Pages->Handle(), Second.left + 2, Second.top + 6), FrameColour(picTabs, 2));

    // Without the skin the same clicks do the same. (The last test of the form: its skin stays
    // off.)
    RemoveAllFrames();
    Frame = nullptr;
    Clicks(false);
}

// A tab control of another library, which a Skin3rd line calls "tab".
class TOtherTabs : public TWinControl {
    DECLARE_CLASS(TOtherTabs, TWinControl)
  public:
    using TWinControl::TWinControl;

  protected:
    void CreateParams(TCreateParams& P) override {
        TWinControl::CreateParams(P);
        P.SysClassName = WC_TABCONTROLW;
    }
};
PUBLISHED(TOtherTabs) {}

TEST(SkinTabs, TabsAreSkinnedOnlyWithTheSkinsTabPictures) {
    for (const bool WithTabs : {true, false}) {
        auto Form = std::make_unique<TCloseCountingForm>(nullptr);
        Form->SetBounds(80, 80, 400, 200);
        auto Place = [&](TWinControl* C, int X) {
            C->SetParent(Form.get());
            C->SetBounds(X, 10, 90, 80);
            return C;
        };
        auto* Tabs = Place(new TTabControl(Form.get()), 10);
        auto* Pages = Place(new TPageControl(Form.get()), 110);
        auto* Set = Place(new TTabSet(Form.get()), 210);
        auto* Other = Place(new TOtherTabs(Form.get()), 310);
        Form->HandleNeeded();
        TSkinData* Skin = OwnSkin(*Form, WithTabs ? TabsSkin() : PlainBorderSkinWith("", {}));
        TWinSkinForm* Frame = SkinNow(Form->Handle());
        ASSERT_NE(Frame, nullptr);
        Skin->Skin3rd()->Add(L"TOtherTabs=tab");
        Frame->SkinControls();
        const char* Case = WithTabs ? "with tab pictures" : "without";
        auto Worn = [&](TWinControl* C) { return Frame->ControlSkins.Find(C->Handle()); };
        EXPECT_EQ(dynamic_cast<TSkinTab*>(Worn(Tabs)) != nullptr, WithTabs) << Case;
        EXPECT_EQ(dynamic_cast<TSkinTab*>(Worn(Pages)) != nullptr, WithTabs) << Case;
        EXPECT_EQ(dynamic_cast<TSkinTab31*>(Worn(Set)) != nullptr, WithTabs) << Case;
        EXPECT_EQ(dynamic_cast<TSkinTab*>(Worn(Other)) != nullptr, WithTabs) << Case;
        if (!WithTabs) {
            EXPECT_EQ(Worn(Tabs), nullptr);
            EXPECT_EQ(Worn(Set), nullptr);
            EXPECT_EQ(Worn(Other), nullptr);
        }
    }
}

// The system makes a tab control's scroll arrows only once its tabs outgrow their row, long
// after the skin came: they wear the up-down skin from then on.
TEST(SkinTabs, ArrowsMadeWhenTheTabsOutgrowTheirRowWearTheUpDownSkin) {
    auto Form = std::make_unique<TCloseCountingForm>(nullptr);
    Form->SetBounds(80, 80, 300, 200);
    auto* Tabs = new TTabControl(Form.get());
    Tabs->SetParent(Form.get());
    Tabs->SetBounds(10, 10, 200, 100);
    Tabs->AddTab(L"Only");
    Form->HandleNeeded();
    OwnSkin(*Form, TabsSkin());
    TWinSkinForm* Frame = SkinNow(Form->Handle());
    ASSERT_NE(Frame, nullptr);
    auto* Skin = dynamic_cast<TSkinTab*>(Frame->ControlSkins.Find(Tabs->Handle()));
    ASSERT_NE(Skin, nullptr);
    EXPECT_EQ(Skin->Arrows, nullptr) << "one tab needs no arrows";
    for (int I = 1; I <= 12; ++I)
        Tabs->AddTab(L"Tab " + std::to_wstring(I));
    const HWND Arrows = FindWindowExW(Tabs->Handle(), nullptr, UPDOWN_CLASSW, nullptr);
    ASSERT_NE(Arrows, nullptr) << "the system made its arrows";
    ASSERT_NE(Skin->Arrows, nullptr);
    EXPECT_EQ(Frame->ControlSkins.Find(Arrows), Skin->Arrows);
}
