// The skin component TSkinData and its skin objects.
//
// TSkinData holds a skin file (from its stored SkinStream property or a SkinFile on disk),
// unpacks it and turns its description and pictures into a fixed set of skin objects and
// colours; the frame, menu and control skins read those and nothing else of the skin.
//
//   SkinData->SetSkinStream(Payload);          // 4-byte length + skin file; loads at once
//   if (SkinData->SkinLoaded() && SkinData->MenuBar) ... SkinData->MenuBar->Bitmap ...
//
// Slots whose section has no image stay null; Title, Buttons and the four Borders always
// exist. Every skin object owns its bitmaps.
#pragma once

#include "Classes.h"
#include "ImgUtil.h"
#include "Graphics.h"
#include "Handles.h"
#include "ImgList.h"
#include "SkinStream.h"
#include "Strings.h"
#include "WndProcHook.h"

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class TControl;
class TQuickIni;
class TSkinReader;
class TSkinData;

// ---------------------------------------------------------------------------------------------
// Skin objects

// A skin image with its fixed edges, frame count and state colours.
class TDataSkinObject : public TObject {
    DECLARE_CLASS(TDataSkinObject, TObject)
  public:
    TDataSkinObject() = default;
    explicit TDataSkinObject(std::string AName) : Name(std::move(AName)) {}

    RECT Margins{};    // fixed edges: left, top, right, bottom widths in pixels
    TBitmap Bitmap;    // FrameCount state images side by side (or one above the other)
    int32_t Trans = 0; // non-zero: drawn through the magenta key
    int32_t Tile = 0;  // 0: stretch the middle, 1: tile it
    std::string Name;  // the section name
    int32_t FrameCount = 1;
    int32_t Style = 0;
    int32_t NormalColour = -1; // -1: not set
    int32_t MouseOverColour = -1;
    int32_t PressedColour = -1;
    TColor NormalColour2 = clNone; // clNone: not read for this object
    TColor MouseOverColour2 = clNone;
    TColor PressedColour2 = clNone;
};

class TDataSkinBorder : public TDataSkinObject {
    DECLARE_CLASS(TDataSkinBorder, TDataSkinObject)
  public:
    using TDataSkinObject::TDataSkinObject;
    TBitmap ExtraBitmap;
};

class TDataSkinBoxLabel : public TDataSkinObject {
    DECLARE_CLASS(TDataSkinBoxLabel, TDataSkinObject)
  public:
    using TDataSkinObject::TDataSkinObject;
    int32_t BackgroundLeftShift = 0;
    int32_t BackgroundRightShift = 0;
    int32_t BackgroundAlignment = 0;
};

class TDataSkinButton : public TDataSkinObject {
    DECLARE_CLASS(TDataSkinButton, TDataSkinObject)
  public:
    using TDataSkinObject::TDataSkinObject;
    TBitmap CheckBitmap;
    TBitmap RadioBitmap;
    int32_t RadioFrameCount = 0;
    int32_t CheckFrameCount = 0;
    bool HasNormalColour2 = false; // the skin gave the colour (else it is ButtonText's)
    bool HasMouseOverColour2 = false;
    bool HasPressedColour2 = false;
};

class TDataSkinTitle : public TDataSkinObject {
    DECLARE_CLASS(TDataSkinTitle, TDataSkinObject)
  public:
    using TDataSkinObject::TDataSkinObject;
    int32_t TextAlignment = 0;
    int32_t Textbackground = 0;
    int32_t FontHeight = 14;
    int32_t TXTBackleft = 0;
    int32_t TXTBackRight = 0;
    TColor ActiveTextColour = clNone; // clNone: not set by the skin
    TColor InactiveTextColour = clNone;
};

// What the numbers of a caption button's keys mean. "Visibility" and "Visibility1": when the
// button shows (both must hold; codes not listed never hold).
enum TButtonVisibility {
    viSystemMenu = 0,    // Visibility: the window has a system menu, or the button is not close;
                         // Visibility1: always
    viMaximized = 1,     // the window is maximised
    viNotMaximized = 2,  // ... is not
    viActive = 3,        // the window is active
    viInactive = 4,      // ... is not
    viMaxBox = 6,        // the window has a maximise box (Visibility: and a system menu)
    viNoMaxBox = 7,      // ... has none
    viMinBox = 8,        // the window has a minimise box (Visibility: and a system menu)
    viNoMinBox = 9,      // ... has none
    viMdiChild = 100,    // Visibility: an MDI frame's child is maximised (the menu bar's
                         // buttons); Visibility1: as Visibility says
    viOwnDialog = 200,   // a dialog of the program's (not a system dialog)
    viAlwaysFirst = 201, // 201 to 999: always
    viAlwaysLast = 999,
    viAskFirst = 1000, // 1000 to 2000: as the window answers SKM_BUTTONVISIBLE
    viAskLast = 2000,
};
// "Align": where "Xcoord" counts from.
enum TButtonAlign {
    baLeft = 0,       // the window's left edge
    baRight = 1,      // the window's right edge (leftwards)
    baBeforeText = 2, // the caption text's left end (leftwards); 8 the same
    baAfterText = 3,  // the caption text's right end; 9 the same
    baBeforeTextToo = 8,
    baAfterTextToo = 9,
    baMenuBar = 100, // the menu bar's right end (an MDI child's buttons)
};
// "Action": what a click does.
enum TButtonAction {
    acClose = 0,
    acMaximize = 1,
    acMinimize = 2,
    acSystemMenu = 3,    // shows the window's icon
    acChildMinimize = 7, // of the maximised MDI child
    acChildRestore = 8,
    acChildClose = 9,
    acIcon = 11,     // shows the window's icon; opens the system menu
    acIconMenu = 12, // opens the system menu
    acMaximizeToo = 22,
    acMinimizeToo = 23,
    acChildMinimizeToo = 60,
    acChildRestoreToo = 61,
    acChildCloseToo = 62,
    // any other: posted to the window as SKM_SYSBUTTON
};

// A caption button; Action, Align, coordinates and visibility codes as the frame skin reads
// them.
class TDataSkinSysButton : public TDataSkinObject {
    DECLARE_CLASS(TDataSkinSysButton, TDataSkinObject)
  public:
    using TDataSkinObject::TDataSkinObject;
    int32_t Action = 0;
    int32_t Align = 0;
    int32_t Xcoord = 0;
    int32_t Ycoord = 0;
    int32_t CombineOp = -1;
    int32_t Visibility = 0;
    int32_t Visibility1 = 0;
};

// ---------------------------------------------------------------------------------------------
// Property types

enum TSkinControlType {
    xcMainMenu,
    xcPopupMenu,
    xcMenuItem,
    xcToolbar,
    xcControlbar,
    xcCombo,
    xcCheckBox,
    xcRadioButton,
    xcProgress,
    xcScrollbar,
    xcEdit,
    xcButton,
    xcBitBtn,
    xcSpeedButton,
    xcPanel,
    xcGroupBox,
    xcStatusBar,
    xcTab,
    xcSystemMenu,
    xcFastReport
};
DECLARE_ENUM_NAMES(TSkinControlType, L"xcMainMenu", L"xcPopupMenu", L"xcMenuItem", L"xcToolbar",
                   L"xcControlbar", L"xcCombo", L"xcCheckBox", L"xcRadioButton", L"xcProgress",
                   L"xcScrollbar", L"xcEdit", L"xcButton", L"xcBitBtn", L"xcSpeedButton",
                   L"xcPanel", L"xcGroupBox", L"xcStatusBar", L"xcTab", L"xcSystemMenu",
                   L"xcFastReport")
using TSkinControlTypes = TSet<TSkinControlType>;

enum TSkinOption { xoMDIScrollbar, xoMenuMerge, xoNCPaint };
DECLARE_ENUM_NAMES(TSkinOption, L"xoMDIScrollbar", L"xoMenuMerge", L"xoNCPaint")
using TSkinOptions = TSet<TSkinOption>;

enum TSkinFormType { sfMainform, sfOnlyThisForm, sfDialog };
DECLARE_ENUM_NAMES(TSkinFormType, L"sfMainform", L"sfOnlyThisForm", L"sfDialog")

// Index of TSkinData::Borders.
enum TSkinBorderSide { sbsLeft, sbsRight, sbsTop, sbsBottom };

using TOnFormSkin = std::function<void(TObject* Sender, const std::wstring& aName, bool& DoSkin)>;
using TOnSkinControl =
    std::function<void(TComponent* Sender, TSkinData* SkinData, TControl* Form, TControl* Control,
                       const std::wstring& ControlClass, TComponent*& SkinnedControl)>;

// Shows the skin's messages to the user (a modal message box by default). Returns the
// previous one, so tests and console tools can take the messages instead.
using TSkinMessageProc = std::function<void(const std::wstring& Message)>;
TSkinMessageProc SetSkinMessageProc(TSkinMessageProc Proc);

// ---------------------------------------------------------------------------------------------
// The component

class TSkinData : public TComponent {
    DECLARE_CLASS(TSkinData, TComponent)
  public:
    static constexpr const wchar_t* VersionText = L"3.02.03.09";
    static constexpr TSkinControlTypes DefaultSkinControls = TSkinControlTypes::FromBits(
        ((1u << (xcFastReport + 1)) - 1) & ~(1u << xcMenuItem) & ~(1u << xcFastReport));

    explicit TSkinData(TComponent* AOwner);
    ~TSkinData() override;

    // Published properties.
    bool Active() const { return FActive; }
    void SetActive(bool Value);
    int DisableTag() const { return FDisableTag; }
    void SetDisableTag(int Value) { FDisableTag = Value; }
    TSkinControlTypes SkinControls() const { return FSkinControls; }
    void SetSkinControls(TSkinControlTypes Value) { FSkinControls = Value; }
    TSkinOptions Options() const { return FOptions; }
    void SetOptions(TSkinOptions Value) { FOptions = Value; }
    // Lines "ClassName=kind" routing controls of other libraries to a skin kind; assigning
    // a list copies it.
    TStrings* Skin3rd() const { return FSkin3rd.get(); }
    const std::wstring& SkinFile() const { return FSkinFile; }
    // Loads the named file when it exists (a skin file without the outer length).
    void SetSkinFile(const std::wstring& Value);
    std::wstring SkinStore() const;
    void SetSkinStore(const std::wstring&) {}
    TSkinFormType SkinFormtype() const { return FSkinFormtype; }
    void SetSkinFormtype(TSkinFormType Value) { FSkinFormtype = Value; }
    std::wstring Version() const { return VersionText; }
    void SetVersion(const std::wstring&) {}
    // The skin's one off-screen bitmap for painters that compose a whole strip or control and
    // copy it out at once (every window wearing the skin paints on the same thread).
    TBitmap& WorkBitmap() { return FWorkBitmap; }
    bool MenuUpdate() const { return FMenuUpdate; }
    void SetMenuUpdate(bool Value) { FMenuUpdate = Value; }
    bool MenuMerge() const { return FMenuMerge; }
    void SetMenuMerge(bool Value) { FMenuMerge = Value; }
    // The stored form of the skin: a 32-bit length, then that many bytes of skin file.
    // Setting it keeps the skin file and loads it at once; a length of 0 or less empties it.
    TBytes SkinStream() const;
    void SetSkinStream(const TBytes& Value);

    TOnFormSkin OnFormSkin;
    TNotifyEvent OnSkinChanged;
    TOnSkinControl OnSkinControl;

    // Builds the skin objects from the skin file held; false (and no skin loaded) when the
    // archive is refused. Decoder faults (ElzhException) pass out. At run time the windows
    // wearing this skin take the new objects at once and are refreshed after the manager's
    // delay.
    bool LoadSkin();
    // True once a skin was built, false again from the start of every load until it succeeds.
    // Only a loaded skin is given to windows.
    bool SkinLoaded() const { return !FNoSkin; }
    // True once any skin was built: windows that already wear this component go on painting
    // with its objects while a later load has failed.
    bool HasSkinObjects() const { return FBuilt; }
    const TSkinStream& SkinFileData() const { return FSkinFileData; }

    // The kind Skin3rd routes a control class to ("nil": not skinned); false when the class
    // is not listed.
    bool Skin3rdKind(std::wstring_view ClassName, std::wstring& Kind) const;

    // Picture of an image key's value: the entry named by the file-name part, which must
    // end in ".bmp" (lower case); anything else, a missing entry or an unreadable picture
    // leaves the bitmap empty.
    static void LoadEntryBitmap(const TSkinReader& Reader, TBitmap& Bitmap,
                                std::string_view KeyText);
    // Colour from the keys Prefix+"R", +"G", +"B"; kept unless all three are 0 or more.
    static void ReadRGB(const TQuickIni& Ini, std::string_view Section, std::string_view Prefix,
                        TColor& Colour);

    void Loaded() override;

    // 16 x 16 glyphs of the system menu: restore, maximize, minimize, close (white is clear).
    TImageList* MenuGlyphs() const { return FMenuGlyphs.get(); }

    // A new skin file was loaded: the skinned windows take it (after the manager's delay).
    void Refresh();
    // The small icon of the first skinned window that had one, on magenta: windows without an
    // icon of their own show it. Empty until such a window was skinned.
    TBitmap IconBitmap;
    // A solid brush of ButtonFace; null until a skin was built.
    HBRUSH FaceBrush() const { return FFaceBrush; }
    // Frame Frame (1 to 4) of a caption button's picture at its own size, with its mask: the
    // same for every window wearing this skin, so made once for all of them (and made anew
    // after each load).
    TKeyedPicture& ButtonPicture(TDataSkinSysButton& Button, int Frame);

    // Skin objects.
    std::unique_ptr<TDataSkinTitle> Title;
    std::unique_ptr<TDataSkinButton> Buttons;
    std::array<std::unique_ptr<TDataSkinBorder>, 4> Borders; // by TSkinBorderSide
    std::vector<std::unique_ptr<TDataSkinSysButton>> SysButtons;
    std::unique_ptr<TDataSkinObject> MenuBar;
    std::unique_ptr<TDataSkinBorder> Progress;
    std::unique_ptr<TDataSkinObject> GroupBoxEdge;
    std::unique_ptr<TDataSkinBoxLabel> GroupBox;
    std::unique_ptr<TDataSkinObject> Toolbars;
    std::unique_ptr<TDataSkinBorder> Tabs;
    std::unique_ptr<TDataSkinObject> StatusBarEdges;
    std::unique_ptr<TDataSkinBorder> ComboButton;
    std::unique_ptr<TDataSkinObject> SunkEdge;
    std::unique_ptr<TDataSkinObject> ExtraImages;
    std::unique_ptr<TDataSkinObject> Headerbar;
    std::unique_ptr<TDataSkinObject> MenuItem;
    std::unique_ptr<TDataSkinObject> MenuBackground;
    std::unique_ptr<TDataSkinObject> Scrollbar;
    std::unique_ptr<TDataSkinObject> HorzScroll;
    std::unique_ptr<TDataSkinObject> VertScroll;
    std::unique_ptr<TDataSkinObject> HorzScrollThumb;
    std::unique_ptr<TDataSkinObject> VertScrollThumb;
    std::unique_ptr<TDataSkinObject> TrackbarThumbHorz;
    std::unique_ptr<TDataSkinObject> TrackbarThumbVert;
    std::unique_ptr<TDataSkinObject> TrackbarThumbLeft;
    std::unique_ptr<TDataSkinObject> TrackbarThumbRight;
    std::unique_ptr<TDataSkinObject> TrackbarThumbUp;
    std::unique_ptr<TDataSkinObject> TrackbarThumbDown;
    std::unique_ptr<TDataSkinBorder> UpDownHorz;
    std::unique_ptr<TDataSkinBorder> UpDownVert;

    // Skin colours, named after their keys in section "Colours" (the "Scrollbar" colour is
    // ScrollbarColour, as Scrollbar is the slot above). Until a skin is built, and for keys a
    // skin leaves out, they are the system colours.
    TColor WindowText = clWindowText;
    TColor ButtonFace = clBtnFace;
    TColor ScrollbarColour = clScrollBar;
    TColor HilightText = clHighlightText;
    TColor Hilight = clHighlight;
    TColor Menubar = clBtnFace;
    TColor Menu = clMenu;
    TColor MenuText = clMenuText;
    TColor ButtonText = clBtnText;
    TColor ButtonHilight = clBtnHighlight;
    TColor Buttonlight = clBtnHighlight;
    TColor ButtonShadow = clBtnShadow;
    TColor ButtonDkShadow = cl3DDkShadow;
    TColor MenuBarText = clMenuText;
    TColor TitleTextActive = clCaptionText;
    TColor TitleTextNoActive = clInactiveCaptionText;

    // The colours in reading order with their keys, and every slot with its name (null for
    // an empty slot; SysButtons not included), for tools and tests that walk them all.
    struct TColourKey {
        const char* Key;
        TColor TSkinData::*Field;
    };
    static const std::array<TColourKey, 16>& ColourKeys();
    std::vector<std::pair<std::string, const TDataSkinObject*>> Slots() const;

  private:
    void BuildSkinObjects(const TQuickIni& Ini, const TSkinReader& Reader);
    void ReadBorders(const TQuickIni& Ini, const TSkinReader& Reader);
    void ReadColours(const TQuickIni& Ini);
    void ReadSysButtons(const TQuickIni& Ini, const TSkinReader& Reader,
                        const std::vector<std::string>& Sections);
    void ReadButtons(const TQuickIni& Ini, const TSkinReader& Reader);
    void ReadTitle(const TQuickIni& Ini, const TSkinReader& Reader);
    void ReadProgress(const TQuickIni& Ini, const TSkinReader& Reader);
    void ReadMenuBar(const TQuickIni& Ini, const TSkinReader& Reader);
    void ReadPlainObjects(const TQuickIni& Ini, const TSkinReader& Reader);
    void SetFrameCounts(const TQuickIni& Ini);
    void MakeComboStrip();
    void MakeMenuGlyphs();
    bool Designing() const { return ComponentState().Contains(csDesigning); }
    // Being read from a stored description or set up before Loaded: no window is told yet.
    bool Settling() const {
        return Designing() || ComponentState().Contains(csReading) ||
               ComponentState().Contains(csLoading);
    }
    // Skins the owner form once its window is first shown (its handle does not exist while
    // the description is read).
    void SkinOwnerWhenShown();

    bool FActive = false;
    int FDisableTag = 99;
    TSkinControlTypes FSkinControls = DefaultSkinControls;
    TSkinOptions FOptions;
    std::unique_ptr<TStringList> FSkin3rd;
    std::wstring FSkinFile;
    TSkinFormType FSkinFormtype = sfMainform;
    bool FMenuUpdate = true;
    bool FMenuMerge = false;
    TSkinStream FSkinFileData;
    bool FNoSkin = true;
    bool FBuilt = false;
    TBitmap FWorkBitmap;
    std::map<std::pair<const TDataSkinSysButton*, int>, std::unique_ptr<TKeyedPicture>>
        FButtonPictures;
    TWindowProcHook FOwnerShowHook;
    std::unique_ptr<TImageList> FMenuGlyphs;
    TBrushHandle FFaceBrush;
};
