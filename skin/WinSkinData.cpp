#include "WinSkinData.h"

#include "ImgUtil.h"
#include "SkinColour.h"
#include "SkinRead.h"
#include "WinSkinHost.h"
#include "WinSkinIni.h"

#include "Forms.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

const wchar_t* const DefaultSkin3rd[] = {
    L"TAdvPanelGroup=embedscrollbar",
    L"TComboboxex=combobox",
    L"TRxSpeedButton=speedbutton",
    L"TControlBar=Panel",
    L"TTBDock=Panel",
    L"TTBToolbar=Panel",
    L"TAdvPageControl=nil",
    L"TImageEnMView=scrollbar",
    L"TImageEnView=scrollbar",
    L"TAdvMemo=scrollbar",
    L"TDBAdvMemo=scrollbar",
    L"TcxDBLookupComboBox=combobox",
    L"TcxDBComboBox=combobox",
    L"TcxDBDateEdit=combobox",
    L"TcxDBImageComboBox=combobox",
    L"TcxDBCalcEdit=combobox",
    L"TcxDBBlobEdit=combobox",
    L"TcxDBPopupEdit=combobox",
    L"TcxDBFontNameComboBox=combobox",
    L"TcxDBShellComboBox=combobox",
    L"TRxLookupEdit=combobox",
    L"TRxDBLookupCombo=combobox",
    L"TRzButton=button",
    L"TRzBitbtn=bitbtn",
    L"TRzMenuButton=bitbtn",
    L"TRzCheckGroup=CheckGroup",
    L"TRzRadioGroup=Radiogroup",
    L"TRzRadioButton=Radiobutton",
    L"TRzCheckBox=Checkbox",
    L"TRzButtonEdit=Edit",
    L"TRzDBRadioGroup=Radiogroup",
    L"TRzDBRadioButton=Radiobutton",
    L"TRzDateTimeEdit=combobox",
    L"TRzColorEdit=combobox",
    L"TRzDateTimePicker=combobox",
    L"TRzDBDateTimeEdit=combobox",
    L"TRzDbColorEdit=combobox",
    L"TRzDBDateTimePicker=combobox",
    L"TLMDGroupBox=Groupbox",
    L"TDBCheckboxEh=Checkbox",
    L"TDBCheckboxEh=Checkbox",
    L"TLMDCHECKBOX=Checkbox",
    L"TLMDDBCHECKBOX=Checkbox",
    L"TLMDRadiobutton=Radiobutton",
    L"TLMDCalculator=panel",
    L"TLMDGROUPBOX=Panel",
    L"TLMDSIMPLEPANEL=Panel",
    L"TLMDDBCalendar=Panel",
    L"TLMDButtonPanel=Panel",
    L"TLMDLMDCalculator=Panel",
    L"TLMDHeaderPanel=Panel",
    L"TLMDTechnicalLine=Panel",
    L"TLMDLMDClock=Panel",
    L"TLMDTrackbar=panel",
    L"TLMDListCombobox=combobox",
    L"TLMDCheckListCombobox=combobox",
    L"TLMDHeaderListCombobox=combobox",
    L"TLMDImageCombobox=combobox",
    L"TLMDColorCombobox=combobox",
    L"TLMDFontCombobox=combobox",
    L"TLMDFontSizeCombobox=combobox",
    L"TLMDFontSizeCombobox=combobox",
    L"TLMDPrinterCombobox=combobox",
    L"TLMDDriveCombobox=combobox",
    L"TLMDCalculatorComboBox=combobox",
    L"TLMDTrackBarComboBox=combobox",
    L"TLMDCalendarComboBox=combobox",
    L"TLMDTreeComboBox=combobox",
    L"TLMDRADIOGROUP=radiogroup",
    L"TLMDCheckGroup=CheckGroup",
    L"TLMDDBRADIOGROUP=radiogroup",
    L"TLMDDBCheckGroup=CheckGroup",
    L"TLMDCalculatorEdit=edit",
    L"TLMDEDIT=Edit",
    L"TLMDMASKEDIT=Edit",
    L"TLMDBROWSEEDIT=Edit",
    L"TLMDEXTSPINEDIT=Edit",
    L"TLMDCALENDAREDIT=Edit",
    L"TLMDFILEOPENEDIT=Edit",
    L"TLMDFILESAVEEDIT=Edit",
    L"TLMDCOLOREDIT=Edit",
    L"TLMDDBEDIT=Edit",
    L"TLMDDBMASKEDIT=Edit",
    L"TLMDDBEXTSPINEDIT=Edit",
    L"TLMDDBSPINEDIT=Edit",
    L"TLMDDBEDITDBLookup=Edit",
    L"TLMDEDITDBLookup=Edit",
    L"TDBLookupCombobox=Combobox",
    L"TWWDBCombobox=Combobox",
    L"TWWDBLookupCombo=Combobox",
    L"TWWDBCombobox=Combobox",
    L"TWWKeyCombo=Combobox",
    L"TWWTempKeyCombo=combobox",
    L"TWWDBDateTimePicker=Combobox",
    L"TWWRADIOGROUP=radiogroup",
    L"TWWDBEDIT=Edit",
    L"TcxButton=bitbtn",
    L"TcxDBCheckBox=checkbox",
    L"TcxDBRadioGroup=radiogroup",
    L"TcxRadioGroup=radiogroup",
    L"TcxCheckBox=checkbox",
    L"TOVCPICTUREFIELD=Edit",
    L"TOVCDBPICTUREFIELD=Edit",
    L"TOVCSLIDEREDIT=Edit",
    L"TOVCDBSLIDEREDIT=Edit",
    L"TOVCSIMPLEFIELD=Edit",
    L"TOVCDBSIMPLEFIELD=Edit",
    L"TO32DBFLEXEDIT=Edit",
    L"TOVCNUMERICFIELD=Edit",
    L"TOVCDBNUMERICFIELD=Edit",
};
static_assert(std::size(DefaultSkin3rd) == 110);

// The system-menu glyphs, one 16 x 16 picture each: '#' is drawn, anything else is the
// list's clear colour (white).
const char* const MenuGlyphRows[16] = {
    // restore         maximize          minimize          close
    "................................................................",
    "................................................................",
    "................................................................",
    ".....#######.......#########...........................##....##.",
    ".....#######.......#########............................##..##..",
    ".....#.....#.......#.......#.............................####...",
    "...#######.#.......#.......#..............................##....",
    "...#######.#.......#.......#.............................####...",
    "...#.....###.......#.......#............................##..##..",
    "...#.....#.........#.......#...........................##....##.",
    "...#.....#.........#.......#....................................",
    "...#######.........#########.......######.......................",
    "...................................######.......................",
    "................................................................",
    "................................................................",
    "................................................................",
};

TSkinMessageProc& SkinMessageProc() {
    static TSkinMessageProc Proc = [](const std::wstring& Message) {
        MessageBoxW(GetActiveWindow(), Message.c_str(), L"", MB_OK);
    };
    return Proc;
}

std::string UpperCase(std::string Text) {
    for (char& C : Text)
        if (C >= 'a' && C <= 'z') C = static_cast<char>(C - 'a' + 'A');
    return Text;
}

std::string operator+(std::string_view A, std::string_view B) {
    std::string S(A);
    S += B;
    return S;
}

} // namespace

TSkinMessageProc SetSkinMessageProc(TSkinMessageProc Proc) {
    return std::exchange(SkinMessageProc(), std::move(Proc));
}

// ---------------------------------------------------------------------------------------------
// Construction and properties

TSkinData::TSkinData(TComponent* AOwner)
    : TComponent(AOwner), FSkin3rd(std::make_unique<TStringList>()),
      FMenuGlyphs(std::make_unique<TImageList>(nullptr)) {
    Title = std::make_unique<TDataSkinTitle>("Title");
    Buttons = std::make_unique<TDataSkinButton>("Buttons");
    const char* const BorderNames[] = {"Left", "Right", "Top", "Bottom"};
    for (int I = 0; I < 4; ++I)
        Borders[I] = std::make_unique<TDataSkinBorder>(BorderNames[I]);
    for (const wchar_t* Line : DefaultSkin3rd)
        FSkin3rd->Add(Line);
    MakeMenuGlyphs();
}

TSkinData::~TSkinData() {
    Destroying();
    if (ISkinHost* Host = SkinHost()) Host->UnregisterSkinData(this);
}

void TSkinData::SetActive(bool Value) {
    if (Value == FActive) return;
    FActive = Value;
    // While the form is read the value is only stored: Loaded acts on it.
    if (Designing() || ComponentState().Contains(csReading) || ComponentState().Contains(csLoading))
        return;
    if (FSkinFormtype == sfDialog) return;
    // Switching on without a skin schedules nothing, so it must not take over another
    // component's pending action either.
    if (Value && !SkinLoaded()) return;
    ISkinHost& M = EnsureSkinHost();
    if (FSkinFormtype == sfMainform && Value) M.MarkStarted();
    M.Request(this, Value ? saApply : saRemove);
}

void TSkinData::Refresh() {
    if (Settling()) return;
    if (!SkinHost()) Loaded();
    ISkinHost& M = EnsureSkinHost();
    M.RefreshForms(this);
    if (!M.Started()) return;
    M.Request(this, saRefresh);
}

std::wstring TSkinData::SkinStore() const {
    return Designing() && FSkinFileData.Size() > 0 ? L"(Good)" : L"(none)";
}

TBytes TSkinData::SkinStream() const {
    const auto& Bytes = FSkinFileData.Bytes();
    const uint32_t Length = static_cast<uint32_t>(Bytes.size());
    TBytes Out(4 + Bytes.size());
    for (int I = 0; I < 4; ++I)
        Out[I] = static_cast<uint8_t>(Length >> (8 * I));
    if (!Bytes.empty()) std::memcpy(Out.data() + 4, Bytes.data(), Bytes.size());
    return Out;
}

void TSkinData::SetSkinStream(const TBytes& Value) {
    if (Value.size() < 4) throw Exception(L"SkinStream: the stored skin has no length");
    const int32_t Length =
        static_cast<int32_t>(Value[0] | Value[1] << 8 | Value[2] << 16 | Value[3] << 24);
    FSkinFileData.Clear();
    if (Length <= 0) return;
    if (static_cast<size_t>(Length) > Value.size() - 4)
        throw Exception(L"SkinStream: the stored skin is shorter than its length");
    FSkinFileData = TSkinStream(TBytes(Value.begin() + 4, Value.begin() + 4 + Length));
    if (!Designing()) LoadSkin();
}

void TSkinData::SetSkinFile(const std::wstring& Value) {
    FNoSkin = true;
    FSkinFile = Value;
    if (Designing()) {
        if (!Value.empty()) FSkinFileData.Clear();
        return;
    }
    TKernelHandle File(CreateFileW(Value.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (Value.empty() || !File) return;
    LARGE_INTEGER Size{};
    if (!GetFileSizeEx(File, &Size) || Size.QuadPart > TSkinReader::DefaultSizeLimit) return;
    TBytes Bytes(static_cast<size_t>(Size.QuadPart));
    DWORD Done = 0;
    if (!Bytes.empty() &&
        (!ReadFile(File, Bytes.data(), static_cast<DWORD>(Bytes.size()), &Done, nullptr) ||
         Done != Bytes.size()))
        return;
    FSkinFileData = TSkinStream(std::move(Bytes));
    LoadSkin();
}

bool TSkinData::Skin3rdKind(std::wstring_view ClassName, std::wstring& Kind) const {
    const std::wstring Wanted = LowerCase(ClassName) + L"=";
    for (int I = 0; I < FSkin3rd->Count(); ++I) {
        const std::wstring Line = LowerCase(FSkin3rd->Get(I));
        if (Line.compare(0, Wanted.size(), Wanted) != 0) continue;
        Kind = Line.substr(Wanted.size(), 50);
        return true;
    }
    return false;
}

void TSkinData::Loaded() {
    TComponent::Loaded();
    if (Designing()) return;
    ISkinHost& M = EnsureSkinHost();
    M.RegisterSkinData(this);
    if (FSkinFormtype != sfMainform) {
        M.SetSkinningEnabled(true);
        M.MarkStarted();
        if (auto* Form = dynamic_cast<TCustomForm*>(Owner()); Form && Form->HandleAllocated())
            M.SkinWindow(Form->Handle());
        else if (FSkinFormtype == sfOnlyThisForm)
            SkinOwnerWhenShown();
        return;
    }
    M.InstallHook();
    if (FActive) {
        if (!SkinLoaded()) {
            FActive = false;
        } else {
            // The apply is this component's: a started manager would otherwise carry out the
            // last target's action (or none, when that component has gone).
            M.Request(this, saApply);
        }
    }
    if (FSkinControls.Contains(xcMainMenu))
        FSkinControls.Exclude(xcMenuItem);
    else
        FSkinControls.Exclude(xcSystemMenu);
}

void TSkinData::SkinOwnerWhenShown() {
    auto* Form = dynamic_cast<TCustomForm*>(Owner());
    if (!Form) return;
    // Without a main-type component no window hook skins the form when it is activated.
    FOwnerShowHook.Install(*Form, [this, Form](TMessage& M, const TWndMethod& Previous) {
        Previous(M);
        if (M.Msg != WM_SHOWWINDOW || !M.WParam || !Form->HandleAllocated()) return;
        FOwnerShowHook.Remove();
        if (ISkinHost* Host = SkinHost(); Host && !Host->FindForm(Form->Handle()))
            Host->SkinWindow(Form->Handle());
    });
}

void TSkinData::MakeMenuGlyphs() {
    TBitmap Strip(64, 16, pf24bit);
    for (int Y = 0; Y < 16; ++Y) {
        uint8_t* Row = Strip.ScanLine(Y);
        for (int X = 0; X < 64; ++X)
            std::memset(Row + 3 * X, MenuGlyphRows[Y][X] == '#' ? 0 : 255, 3);
    }
    FMenuGlyphs->SetMaskColor(clWhite);
    FMenuGlyphs->Add(Strip);
}

// ---------------------------------------------------------------------------------------------
// Loading

bool TSkinData::LoadSkin() {
    FNoSkin = true;
    if (Designing()) return false;
    TSkinReader Reader;
    if (!Reader.ReadArchive(FSkinFileData)) {
        if (Reader.Error() == TSkinError::Version) {
            auto& Show = SkinMessageProc();
            if (Show) Show(Utf8ToWide(OlderSkinMessage));
        }
        return false;
    }
    TSkinStream Entry;
    std::string EntryName;
    Reader.FindEntry(".ini", Entry, EntryName);
    Entry.Seek(0);
    TQuickIni Ini;
    Ini.LoadFromStream(&Entry);
    // Frames wearing this skin let go of the objects about to be replaced before they go.
    if (ISkinHost* Host = SkinHost()) Host->SkinObjectsGoing(this);
    BuildSkinObjects(Ini, Reader);
    FBuilt = true;
    Refresh();
    return true;
}

void TSkinData::LoadEntryBitmap(const TSkinReader& Reader, TBitmap& Bitmap,
                                std::string_view KeyText) {
    const size_t Slash = KeyText.find_last_of("\\/:");
    const std::string_view Name =
        Slash == std::string_view::npos ? KeyText : KeyText.substr(Slash + 1);
    const size_t Dot = Name.rfind('.');
    if (Name.empty() || Dot == std::string_view::npos || Name.substr(Dot) != ".bmp") {
        Bitmap.Clear();
        return;
    }
    TSkinStream Entry;
    Reader.GetEntry(Name, Entry);
    if (Entry.Size() == 0) {
        Bitmap.Clear();
        return;
    }
    try {
        Bitmap.LoadFromStream(Entry.Bytes());
    } catch (const EInvalidGraphic&) {
        // A damaged picture counts as a missing one: the rest of the skin stays usable.
        Bitmap.Clear();
    }
}

void TSkinData::ReadRGB(const TQuickIni& Ini, std::string_view Section, std::string_view Prefix,
                        TColor& Colour) {
    const int32_t R = Ini.ReadInteger(Section, Prefix + "R", -1);
    const int32_t G = Ini.ReadInteger(Section, Prefix + "G", -1);
    const int32_t B = Ini.ReadInteger(Section, Prefix + "B", -1);
    if (R < 0 || G < 0 || B < 0) return;
    Colour = static_cast<TColor>(R % 256 + (G % 256) * 256 + (B % 256) * 65536);
}

TKeyedPicture& TSkinData::ButtonPicture(TDataSkinSysButton& Button, int Frame) {
    auto& Slot = FButtonPictures[{&Button, Frame}];
    if (!Slot) {
        Slot = std::make_unique<TKeyedPicture>();
        const int Frames = std::max(Button.FrameCount, 1);
        Slot->Make(Button.Bitmap, Frames, Frame, Button.Bitmap.Width() / Frames,
                   Button.Bitmap.Height());
    }
    return *Slot;
}

void TSkinData::BuildSkinObjects(const TQuickIni& Ini, const TSkinReader& Reader) {
    FButtonPictures.clear();
    std::vector<std::string> Sections;
    Ini.ReadSections(Sections);
    ReadBorders(Ini, Reader);
    ReadColours(Ini);
    ReadSysButtons(Ini, Reader, Sections);
    ReadButtons(Ini, Reader);
    ReadTitle(Ini, Reader);
    ReadProgress(Ini, Reader);
    ReadMenuBar(Ini, Reader);
    ReadPlainObjects(Ini, Reader);
    SetFrameCounts(Ini);
    MakeComboStrip();
    FFaceBrush.Reset(CreateSolidBrush(ColorToRGB(ButtonFace) & 0xFFFFFF));
    FNoSkin = false;
}

void TSkinData::ReadBorders(const TQuickIni& Ini, const TSkinReader& Reader) {
    const char* const Names[] = {"Left", "Right", "Top", "Bottom"};
    for (int I = 0; I < 4; ++I) {
        TDataSkinBorder& B = *Borders[I];
        const std::string E = Names[I];
        const int32_t First = Ini.ReadInteger("Personality", E + "TopHeight", 0);
        const int32_t Last = Ini.ReadInteger("Personality", E + "BotHeight", 0);
        // Side edges are fixed at their ends vertically, top and bottom edges horizontally.
        B.Margins =
            I == sbsLeft || I == sbsRight ? RECT{0, First, 0, Last} : RECT{First, 0, Last, 0};
        B.FrameCount = Ini.ReadInteger("Personality", E + "Frame", 1);
        B.Tile = Ini.ReadInteger("Personality", E + "Stretch", 1);
        B.Trans = Ini.ReadInteger("Personality", E + "Trans", 1);
        LoadEntryBitmap(Reader, B.Bitmap, Ini.ReadString("Personality", E, ""));
    }
}

const std::array<TSkinData::TColourKey, 16>& TSkinData::ColourKeys() {
    static const std::array<TColourKey, 16> Keys = {{
        {"WindowText", &TSkinData::WindowText},
        {"ButtonFace", &TSkinData::ButtonFace},
        {"Scrollbar", &TSkinData::ScrollbarColour},
        {"HilightText", &TSkinData::HilightText},
        {"Hilight", &TSkinData::Hilight},
        {"Menubar", &TSkinData::Menubar},
        {"Menu", &TSkinData::Menu},
        {"MenuText", &TSkinData::MenuText},
        {"ButtonText", &TSkinData::ButtonText},
        {"ButtonHilight", &TSkinData::ButtonHilight},
        {"Buttonlight", &TSkinData::Buttonlight},
        {"ButtonShadow", &TSkinData::ButtonShadow},
        {"ButtonDkShadow", &TSkinData::ButtonDkShadow},
        {"MenuBarText", &TSkinData::MenuBarText},
        {"TitleTextActive", &TSkinData::TitleTextActive},
        {"TitleTextNoActive", &TSkinData::TitleTextNoActive},
    }};
    return Keys;
}

void TSkinData::ReadColours(const TQuickIni& Ini) {
    const TColor Defaults[16] = {
        clWindowText, clBtnFace,  clScrollBar,   clHighlightText,      clHighlight,    clBtnFace,
        clMenu,       clMenuText, clBtnText,     clBtnHighlight,       clBtnHighlight, clBtnShadow,
        cl3DDkShadow, clMenuText, clCaptionText, clInactiveCaptionText};
    const auto& Keys = ColourKeys();
    for (size_t I = 0; I < Keys.size(); ++I) {
        // The menu bar takes the button face colour just read when the skin leaves it out.
        const TColor Default = Keys[I].Field == &TSkinData::Menubar ? ButtonFace : Defaults[I];
        const std::string Text = Ini.ReadString("Colours", Keys[I].Key, "");
        this->*Keys[I].Field = static_cast<TColor>(ParseColour(Text, Default));
    }
}

void TSkinData::ReadSysButtons(const TQuickIni& Ini, const TSkinReader& Reader,
                               const std::vector<std::string>& Sections) {
    SysButtons.clear();
    for (const std::string& Section : Sections) {
        const std::string Upper = UpperCase(Section);
        if (Upper.rfind("BUTTON", 0) != 0 || Upper == "BUTTON" || Upper == "BUTTONS" ||
            Upper == "BUTTON.RADIO" || Upper == "BUTTON.CHECKBOX")
            continue;
        if (Ini.ReadInteger(Section, "Action", 0) == -1 &&
            Ini.ReadInteger(Section, "Visibility", -1) != 0)
            continue;
        auto B = std::make_unique<TDataSkinSysButton>(Upper);
        B->Action = Ini.ReadInteger(Section, "Action", 0);
        B->Align = Ini.ReadInteger(Section, "Align", 0);
        B->Xcoord = Ini.ReadInteger(Section, "Xcoord", 0);
        B->Ycoord = Ini.ReadInteger(Section, "Ycoord", 0);
        B->Visibility = Ini.ReadInteger(Section, "Visibility", 0);
        B->Visibility1 = Ini.ReadInteger(Section, "Visibility1", B->Action == -1 ? -1 : 0);
        B->CombineOp = Ini.ReadInteger(Section, "CombineOp", -1);
        B->FrameCount = Ini.ReadInteger(Section, "frame", 0);
        LoadEntryBitmap(Reader, B->Bitmap, Ini.ReadString(Section, "ButtonImage", ""));
        if (B->FrameCount == 0) {
            B->FrameCount = 6;
            if (!B->Bitmap.Empty()) {
                // Wide images hold six state frames, near-square ones three (width at most 3.8
                // heights). Compared in integers: the 32-bit build divides at x87 precision and
                // would put a picture of exactly 3.8 on the other side.
                B->FrameCount = B->Bitmap.Width() * 5 <= B->Bitmap.Height() * 19 ? 3 : 6;
                if (B->Action < 0) B->FrameCount = 6;
            }
            if (B->Action == acSystemMenu || B->Action == acIcon) B->Bitmap.Clear();
        }
        SysButtons.push_back(std::move(B));
    }

    // Minimize, restore and close of a maximized MDI child, cut from one picture.
    TBitmap Mdi;
    LoadEntryBitmap(Reader, Mdi, Ini.ReadString("MDICONTROLS", "Image", ""));
    const int A = Mdi.Width() / 12;
    for (int K = 0; K < 3; ++K) {
        auto B = std::make_unique<TDataSkinSysButton>(std::string("MDICONTROLS") +
                                                      static_cast<char>('0' + K));
        B->Action = 7 + K;
        B->Align = B->Visibility = B->Visibility1 = 100;
        B->FrameCount = 4;
        if (A > 0) {
            B->Bitmap.SetPixelFormat(Mdi.PixelFormat());
            B->Bitmap.SetSize(4 * A, Mdi.Height());
            BitBlt(B->Bitmap.Canvas()->Handle(), 0, 0, 4 * A, Mdi.Height(), Mdi.Canvas()->Handle(),
                   4 * A * K, 0, SRCCOPY);
            B->Xcoord = (A + 4) * (3 - K);
        }
        SysButtons.push_back(std::move(B));
    }
}

namespace {

void ReadStateColours(const TQuickIni& Ini, const std::string& Section, TDataSkinObject& O,
                      TColor ButtonText) {
    O.NormalColour = Ini.ReadInteger(Section, "NormalColour", -1);
    O.MouseOverColour = Ini.ReadInteger(Section, "MouseOverColour", -1);
    O.PressedColour = Ini.ReadInteger(Section, "PressedColour", -1);
    O.NormalColour2 =
        static_cast<TColor>(ParseColour(Ini.ReadString(Section, "NormalColour2", ""), ButtonText));
    O.MouseOverColour2 = static_cast<TColor>(
        ParseColour(Ini.ReadString(Section, "MouseOverColour2", ""), ButtonText));
    O.PressedColour2 =
        static_cast<TColor>(ParseColour(Ini.ReadString(Section, "PressedColour2", ""), ButtonText));
}

void ReadMargins(const TQuickIni& Ini, const std::string& Section, TDataSkinObject& O) {
    O.Margins.left = Ini.ReadInteger(Section, "LeftWidth", 0);
    O.Margins.right = Ini.ReadInteger(Section, "RightWidth", 0);
    O.Margins.top = Ini.ReadInteger(Section, "TopHeight", 0);
    O.Margins.bottom = Ini.ReadInteger(Section, "BottomHeight", 0);
}

} // namespace

void TSkinData::ReadButtons(const TQuickIni& Ini, const TSkinReader& Reader) {
    TDataSkinButton& B = *Buttons;
    const std::string S = "Buttons";
    ReadMargins(Ini, S, B);
    B.Trans = Ini.ReadInteger(S, "Trans", 0);
    LoadEntryBitmap(Reader, B.Bitmap, Ini.ReadString(S, "Bitmap", ""));
    B.Tile = Ini.ReadInteger(S, "Tile", 0);
    LoadEntryBitmap(Reader, B.CheckBitmap, Ini.ReadString(S, "CheckButton", ""));
    LoadEntryBitmap(Reader, B.RadioBitmap, Ini.ReadString(S, "RadioButton", ""));
    ReadStateColours(Ini, S, B, ButtonText);
    B.RadioFrameCount = Ini.ReadInteger(S, "RadioButtonFrame", 0);
    B.CheckFrameCount = Ini.ReadInteger(S, "CheckButtonFrame", 0);
    B.HasNormalColour2 = !Ini.ReadString(S, "NormalColour2", "").empty();
    B.HasMouseOverColour2 = !Ini.ReadString(S, "MouseOverColour2", "").empty();
    B.HasPressedColour2 = !Ini.ReadString(S, "PressedColour2", "").empty();
}

void TSkinData::ReadTitle(const TQuickIni& Ini, const TSkinReader& Reader) {
    TDataSkinTitle& T = *Title;
    const std::string S = "Personality";
    LoadEntryBitmap(Reader, T.Bitmap, Ini.ReadString(S, "TextBack", ""));
    T.Margins = RECT{Ini.ReadInteger(S, "TextShift", 0), Ini.ReadInteger(S, "TextShiftVert", 0),
                     Ini.ReadInteger(S, "TextRightClip", 0), 0};
    T.TextAlignment = Ini.ReadInteger(S, "TextAlignment", 0);
    T.Textbackground = Ini.ReadInteger(S, "Textbackground", 0);
    T.FontHeight = Ini.ReadInteger("Fonts", "FontHeight", 14);
    T.TXTBackleft = Ini.ReadInteger(S, "TXTBackleft", 0);
    T.TXTBackRight = Ini.ReadInteger(S, "TXTBackRight", 0);
    T.ActiveTextColour = T.InactiveTextColour = clNone;
    ReadRGB(Ini, S, "ActiveText", T.ActiveTextColour);
    ReadRGB(Ini, S, "InActiveText", T.InactiveTextColour);
}

void TSkinData::ReadProgress(const TQuickIni& Ini, const TSkinReader& Reader) {
    const std::string S = "Progress";
    Progress.reset();
    const std::string Image = Ini.ReadString(S, "Bitmap", "");
    if (Image.empty()) return;
    Progress = std::make_unique<TDataSkinBorder>(S);
    LoadEntryBitmap(Reader, Progress->Bitmap, Image);
    const std::string Chunk = Ini.ReadString(S, "Chunk", "");
    if (!Chunk.empty()) LoadEntryBitmap(Reader, Progress->ExtraBitmap, Chunk);
    Progress->Style = Ini.ReadInteger(S, "Style", 0);
    ReadMargins(Ini, S, *Progress);
    Progress->Trans = Ini.ReadInteger(S, "Trans", 0);
    Progress->Tile = Ini.ReadInteger(S, "Tile", 0);
}

void TSkinData::ReadMenuBar(const TQuickIni& Ini, const TSkinReader& Reader) {
    const std::string S = "Personality";
    MenuBar.reset();
    const std::string Image = Ini.ReadString(S, "menuBar", "");
    if (Image.empty()) return;
    MenuBar = std::make_unique<TDataSkinObject>("MenuBar");
    LoadEntryBitmap(Reader, MenuBar->Bitmap, Image);
    MenuBar->Margins =
        RECT{Ini.ReadInteger(S, "TileLeftMenu", 1), 0, Ini.ReadInteger(S, "TileRightMenu", 1), 0};
    MenuBar->Tile = Ini.ReadInteger(S, "TileMenu", 0);
}

namespace {

// Fills an object of a section whose "Image" key is set: margins, flags, colours, and for
// border objects the extra picture.
template <class T>
std::unique_ptr<T> ReadObject(const TQuickIni& Ini, const TSkinReader& Reader,
                              const std::string& Section, TColor ButtonText,
                              const char* ExtraKey = nullptr) {
    const std::string Image = Ini.ReadString(Section, "Image", "");
    if (Image.empty()) return nullptr;
    auto O = std::make_unique<T>(Section);
    TSkinData::LoadEntryBitmap(Reader, O->Bitmap, Image);
    if constexpr (std::is_base_of_v<TDataSkinBorder, T>) {
        if (ExtraKey)
            TSkinData::LoadEntryBitmap(Reader, O->ExtraBitmap,
                                       Ini.ReadString(Section, ExtraKey, ""));
    } else {
        O->Style = Ini.ReadInteger(Section, "Style", 0);
    }
    ReadMargins(Ini, Section, *O);
    O->Trans = Ini.ReadInteger(Section, "Trans", 0);
    O->Tile = Ini.ReadInteger(Section, "Tile", 0);
    if (O->Tile > 1) O->Tile = 0;
    ReadStateColours(Ini, Section, *O, ButtonText);
    return O;
}

} // namespace

void TSkinData::ReadPlainObjects(const TQuickIni& Ini, const TSkinReader& Reader) {
    GroupBoxEdge = ReadObject<TDataSkinObject>(Ini, Reader, "GroupBoxEdge", ButtonText);
    GroupBox = ReadObject<TDataSkinBoxLabel>(Ini, Reader, "GroupBox", ButtonText);
    if (GroupBox) {
        GroupBox->BackgroundAlignment = Ini.ReadInteger("GroupBox", "BackgroundAlignment", 0);
        GroupBox->BackgroundLeftShift = Ini.ReadInteger("GroupBox", "BackgroundLeftShift", 0);
        GroupBox->BackgroundRightShift = Ini.ReadInteger("GroupBox", "BackgroundRightShift", 0);
    }
    Toolbars = ReadObject<TDataSkinObject>(Ini, Reader, "Toolbars", ButtonText);
    Tabs = ReadObject<TDataSkinBorder>(Ini, Reader, "Tabs", ButtonText, "Border");
    StatusBarEdges = ReadObject<TDataSkinObject>(Ini, Reader, "StatusBarEdges", ButtonText);
    ComboButton = ReadObject<TDataSkinBorder>(Ini, Reader, "ComboButton", ButtonText);
    if (ComboButton && !ComboButton->Bitmap.Empty()) {
        // The button of a right-to-left combo box sits on the other side.
        ComboButton->ExtraBitmap.Assign(ComboButton->Bitmap);
        ComboButton->ExtraBitmap.SetPixelFormat(pf24bit);
        MirrorBitmap(ComboButton->ExtraBitmap);
    }
    const std::pair<const char*, std::unique_ptr<TDataSkinObject> TSkinData::*> Plain[] = {
        {"SunkEdge", &TSkinData::SunkEdge},
        {"ExtraImages", &TSkinData::ExtraImages},
        {"Headerbar", &TSkinData::Headerbar},
        {"MenuItem", &TSkinData::MenuItem},
        {"MenuBackground", &TSkinData::MenuBackground},
        {"Scrollbar", &TSkinData::Scrollbar},
        {"HorzScroll", &TSkinData::HorzScroll},
        {"VertScroll", &TSkinData::VertScroll},
        {"HorzScrollThumb", &TSkinData::HorzScrollThumb},
        {"VertScrollThumb", &TSkinData::VertScrollThumb},
        {"Trackbar.ThumbHorz", &TSkinData::TrackbarThumbHorz},
        {"Trackbar.ThumbVert", &TSkinData::TrackbarThumbVert},
        {"Trackbar.ThumbLeft", &TSkinData::TrackbarThumbLeft},
        {"Trackbar.ThumbRight", &TSkinData::TrackbarThumbRight},
        {"Trackbar.ThumbUp", &TSkinData::TrackbarThumbUp},
        {"Trackbar.ThumbDown", &TSkinData::TrackbarThumbDown},
    };
    for (const auto& [Section, Slot] : Plain)
        this->*Slot = ReadObject<TDataSkinObject>(Ini, Reader, Section, ButtonText);
    UpDownHorz = ReadObject<TDataSkinBorder>(Ini, Reader, "UpDown.Horz", ButtonText, "GlyphImage");
    UpDownVert = ReadObject<TDataSkinBorder>(Ini, Reader, "UpDown.Vert", ButtonText, "GlyphImage");
}

void TSkinData::SetFrameCounts(const TQuickIni& Ini) {
    auto Set = [](TDataSkinObject* O, int32_t Count) {
        if (O) O->FrameCount = Count;
    };
    Set(Title.get(), 2);
    Set(Buttons.get(), 5);
    Set(MenuBar.get(), 2);
    Set(Progress.get(), 2);
    Set(GroupBoxEdge.get(), 2);
    Set(GroupBox.get(), 1);
    Set(Toolbars.get(), 5);
    Set(Tabs.get(), 5);
    Set(StatusBarEdges.get(), 3);
    Set(ComboButton.get(), 4);
    Set(SunkEdge.get(), 4);
    Set(ExtraImages.get(), 5);
    Set(Headerbar.get(), 5);
    Set(MenuItem.get(), 5);
    Set(MenuBackground.get(), 1);
    Set(Scrollbar.get(), 23);
    Set(HorzScroll.get(), 4);
    Set(VertScroll.get(), 4);
    Set(HorzScrollThumb.get(), Ini.ReadInteger("HorzScrollThumb", "FrameCount", 3));
    Set(VertScrollThumb.get(), Ini.ReadInteger("VertScrollThumb", "FrameCount", 3));
    for (auto* T : {TrackbarThumbHorz.get(), TrackbarThumbVert.get(), TrackbarThumbLeft.get(),
                    TrackbarThumbRight.get(), TrackbarThumbUp.get(), TrackbarThumbDown.get()})
        Set(T, 5);
    Set(UpDownHorz.get(), 8);
    Set(UpDownVert.get(), 8);

    // Check and radio pictures without a frame count: frames are 13 pixels wide in small
    // pictures, 16 in others, and there are at least the four states.
    auto Guess = [](const TBitmap& Image) {
        const int Width = Image.Height() < 16 ? 13 : 16;
        return std::max(Image.Width() / Width, 4);
    };
    if (Buttons->RadioFrameCount == 0) Buttons->RadioFrameCount = Guess(Buttons->RadioBitmap);
    if (Buttons->CheckFrameCount == 0) Buttons->CheckFrameCount = Guess(Buttons->CheckBitmap);
}

void TSkinData::MakeComboStrip() {
    if (!SunkEdge || !ComboButton) return;
    constexpr int CellWidth = 50, CellHeight = 21;
    const int BW = GetSystemMetrics(SM_CXHSCROLL) + 2;
    const int Frames = std::max(SunkEdge->FrameCount, 1);
    TBitmap Strip(CellWidth * Frames, CellHeight, pf24bit);
    TBitmap Cell(CellWidth, CellHeight, pf24bit);
    HDC StripDC = Strip.Canvas()->Handle(), CellDC = Cell.Canvas()->Handle();
    TBrushHandle Key(CreateSolidBrush(ColorToRGB(SkinKeyColour)));
    const RECT Whole{0, 0, CellWidth * Frames, CellHeight};
    FillRect(StripDC, &Whole, Key);
    const RECT CellRect{0, 0, CellWidth, CellHeight};
    const RECT ButtonRect{CellWidth - BW, 0, CellWidth, CellHeight};
    const RECT TextRect{2, 2, CellWidth - 1 - BW, 18};
    for (int B = 1; B <= Frames; ++B) {
        DrawSkinNineGrid(CellDC, CellRect, SunkEdge->Bitmap, false, false, SunkEdge->Trans != 0,
                         SunkEdge->FrameCount, B, SunkEdge->Margins);
        DrawSkinNineGrid(CellDC, ButtonRect, ComboButton->Bitmap, false, false, true,
                         ComboButton->FrameCount, B, ComboButton->Margins);
        if (ExtraImages)
            DrawSkinGlyph(CellDC, ButtonRect, ExtraImages->Bitmap, true, ExtraImages->FrameCount,
                          B);
        FillRect(CellDC, &TextRect, Key);
        BitBlt(StripDC, CellWidth * (B - 1), 0, CellWidth, CellHeight, CellDC, 0, 0, SRCCOPY);
    }
    ComboButton->Style = 2;
    ComboButton->Margins = SunkEdge->Margins;
    ComboButton->Margins.left = 2;
    ComboButton->Margins.right = BW + 2;
    ComboButton->Bitmap.Assign(Strip);
    MirrorBitmap(Strip);
    SunkEdge->Bitmap.Assign(Strip);
    SunkEdge->Margins.left = BW + 2;
    SunkEdge->Margins.right = 2;
}

std::vector<std::pair<std::string, const TDataSkinObject*>> TSkinData::Slots() const {
    return {
        {"Title", Title.get()},
        {"Buttons", Buttons.get()},
        {"Borders.Left", Borders[sbsLeft].get()},
        {"Borders.Right", Borders[sbsRight].get()},
        {"Borders.Top", Borders[sbsTop].get()},
        {"Borders.Bottom", Borders[sbsBottom].get()},
        {"MenuBar", MenuBar.get()},
        {"Progress", Progress.get()},
        {"GroupBoxEdge", GroupBoxEdge.get()},
        {"GroupBox", GroupBox.get()},
        {"Toolbars", Toolbars.get()},
        {"Tabs", Tabs.get()},
        {"StatusBarEdges", StatusBarEdges.get()},
        {"ComboButton", ComboButton.get()},
        {"SunkEdge", SunkEdge.get()},
        {"ExtraImages", ExtraImages.get()},
        {"Headerbar", Headerbar.get()},
        {"MenuItem", MenuItem.get()},
        {"MenuBackground", MenuBackground.get()},
        {"Scrollbar", Scrollbar.get()},
        {"HorzScroll", HorzScroll.get()},
        {"VertScroll", VertScroll.get()},
        {"HorzScrollThumb", HorzScrollThumb.get()},
        {"VertScrollThumb", VertScrollThumb.get()},
        {"TrackbarThumbHorz", TrackbarThumbHorz.get()},
        {"TrackbarThumbVert", TrackbarThumbVert.get()},
        {"TrackbarThumbLeft", TrackbarThumbLeft.get()},
        {"TrackbarThumbRight", TrackbarThumbRight.get()},
        {"TrackbarThumbUp", TrackbarThumbUp.get()},
        {"TrackbarThumbDown", TrackbarThumbDown.get()},
        {"UpDownHorz", UpDownHorz.get()},
        {"UpDownVert", UpDownVert.get()},
    };
}

PUBLISHED(TDataSkinObject) {}
PUBLISHED(TDataSkinBorder) {}
PUBLISHED(TDataSkinBoxLabel) {}
PUBLISHED(TDataSkinButton) {}
PUBLISHED(TDataSkinTitle) {}
PUBLISHED(TDataSkinSysButton) {}

PUBLISHED(TSkinData) {
    p.Property(L"Active", &TSkinData::Active, &TSkinData::SetActive);
    p.Property(L"DisableTag", &TSkinData::DisableTag, &TSkinData::SetDisableTag);
    p.Property(L"SkinControls", &TSkinData::SkinControls, &TSkinData::SetSkinControls);
    p.Property(L"Options", &TSkinData::Options, &TSkinData::SetOptions);
    p.Property(L"Skin3rd", &TSkinData::Skin3rd);
    p.Property(L"SkinFile", &TSkinData::SkinFile, &TSkinData::SetSkinFile);
    p.Property(L"SkinStore", &TSkinData::SkinStore, &TSkinData::SetSkinStore);
    p.Property(L"SkinFormtype", &TSkinData::SkinFormtype, &TSkinData::SetSkinFormtype);
    p.Property(L"Version", &TSkinData::Version, &TSkinData::SetVersion);
    p.Property(L"MenuUpdate", &TSkinData::MenuUpdate, &TSkinData::SetMenuUpdate);
    p.Property(L"MenuMerge", &TSkinData::MenuMerge, &TSkinData::SetMenuMerge);
    p.Property(L"OnFormSkin", &TSkinData::OnFormSkin);
    p.Property(L"OnSkinChanged", &TSkinData::OnSkinChanged);
    p.Property(L"OnSkinControl", &TSkinData::OnSkinControl);
    p.Property(L"SkinStream", &TSkinData::SkinStream, &TSkinData::SetSkinStream);
}
