// Standard controls and widgets under Wine: made from a stored description with their
// properties read back by name (as the skin engine reads them), and their behaviour with the
// system's own controls underneath.
#include "Reader.h"
#include "RzButton.h"
#include "RzCombo.h"
#include "RzEdit.h"
#include "RzPanel.h"

#include <gtest/gtest.h>

namespace {

class TControlsForm : public TForm {
    DECLARE_CLASS(TControlsForm, TForm)
  public:
    explicit TControlsForm(TComponent* AOwner) : TForm(AOwner) {}
};

const char* Description = R"(
object ControlsForm: TControlsForm
  Left = 300
  Top = 200
  ClientWidth = 400
  ClientHeight = 300
  FormStyle = fsStayOnTop
  object Edit1: TEdit
    Left = 8
    Top = 8
    Text = 'plain'
    MaxLength = 12
  end
  object Memo1: TMemo
    Left = 8
    Top = 40
    Width = 120
    Height = 60
    Lines.Strings = (
      'one'
      'two')
  end
  object Button1: TButton
    Left = 140
    Top = 8
    Caption = 'Button1'
    Default = True
  end
  object Panel1: TPanel
    Left = 140
    Top = 40
    BevelInner = bvLowered
    Caption = 'Panel'
    Visible = False
  end
  object ComboBox1: TComboBox
    Left = 8
    Top = 110
    Width = 100
    Height = 21
    ItemIndex = 1
    Items.Strings = (
      'COM1'
      'COM2')
  end
  object RzComboBox1: TRzComboBox
    Left = 120
    Top = 110
    Width = 59
    Height = 21
    Style = csDropDownList
    ItemHeight = 13
    Items.Strings = (
      'COM3')
  end
  object RzGroupBox2: TRzGroupBox
    Left = 200
    Top = 100
    Width = 190
    Height = 80
    Transparent = True
    object RzEdit1: TRzEdit
      Left = 2
      Top = 9
      Width = 180
      Height = 43
      Text = '0123456789*#'
      Color = clNone
      FrameVisible = True
      FrameColor = clBtnHighlight
      Font.Name = 'MS PGothic'
      Font.Height = -35
      Font.Charset = ANSI_CHARSET
      Font.Color = $00FF8000
      TabOrder = 0
    end
    object RzBitBtn4: TRzBitBtn
      Left = 150
      Top = 55
      Width = 11
      Height = 21
      Layout = blGlyphTop
      NumGlyphs = 2
      Cursor = crHandPoint
      ShowFocusRect = False
      Hint = 'up'
    end
  end
  object RzStatusBar1: TRzStatusBar
    Height = 19
    FlatColor = clActiveCaption
    object RzEdit2: TRzEdit
      Width = 217
      Align = alLeft
      Color = $0000FF80
      DisabledColor = clBlue
      BorderStyle = bsNone
    end
    object RzBitBtn2: TRzBitBtn
      Width = 21
      Align = alRight
      Caption = 'Exit'
      Font.Height = -12
      TextStyle = tsShadow
      Spacing = 3
    end
  end
end
)";

void Pump() {
    Application->ProcessMessages();
}

std::unique_ptr<TControlsForm> ReadForm() {
    auto F = std::make_unique<TControlsForm>(nullptr);
    ReadComponentText(*F, std::string_view(Description));
    return F;
}

template <class C> C* Find(TComponent& Root, const wchar_t* Name) {
    auto* X = dynamic_cast<C*>(Root.FindComponent(Name));
    EXPECT_NE(X, nullptr) << Name;
    return X;
}

} // namespace

PUBLISHED(TControlsForm) {}

TEST(StdControls, StoredDescriptionPropertiesReadBackByName) {
    auto F = ReadForm();
    auto Prop = [&](const wchar_t* Comp, const wchar_t* Name) {
        return GetPropText(*F->FindComponent(Comp), Name);
    };
    EXPECT_EQ(Prop(L"Edit1", L"Text"), L"plain");
    EXPECT_EQ(Prop(L"Edit1", L"MaxLength"), L"12");
    EXPECT_EQ(Prop(L"Memo1", L"Lines"), L"one\r\ntwo\r\n");
    EXPECT_EQ(Prop(L"Button1", L"Default"), L"True");
    EXPECT_EQ(Prop(L"Button1", L"Caption"), L"Button1");
    EXPECT_EQ(Prop(L"Panel1", L"BevelInner"), L"bvLowered");
    EXPECT_EQ(Prop(L"Panel1", L"Visible"), L"False");
    EXPECT_EQ(Prop(L"ComboBox1", L"Items"), L"COM1\r\nCOM2\r\n");
    // ItemIndex came before Items in the text: it still selects once the items are there.
    EXPECT_EQ(Prop(L"ComboBox1", L"ItemIndex"), L"1");
    EXPECT_EQ(Prop(L"RzComboBox1", L"Style"), L"csDropDownList");
    EXPECT_EQ(Prop(L"RzComboBox1", L"ItemHeight"), L"13");
    EXPECT_EQ(Prop(L"RzGroupBox2", L"Transparent"), L"True");
    EXPECT_EQ(Prop(L"RzEdit1", L"Color"), L"clNone");
    EXPECT_EQ(Prop(L"RzEdit1", L"FrameVisible"), L"True");
    EXPECT_EQ(Prop(L"RzEdit1", L"FrameColor"), L"clBtnHighlight");
    EXPECT_EQ(Prop(L"RzEdit1", L"Font"), L"MS PGothic,-35");
    EXPECT_EQ(Prop(L"RzEdit1", L"Font.Color"), L"$00FF8000");
    EXPECT_EQ(Prop(L"RzEdit2", L"DisabledColor"), L"clBlue");
    EXPECT_EQ(Prop(L"RzEdit2", L"Align"), L"alLeft");
    EXPECT_EQ(Prop(L"RzBitBtn4", L"Layout"), L"blGlyphTop");
    EXPECT_EQ(Prop(L"RzBitBtn4", L"NumGlyphs"), L"2");
    EXPECT_EQ(Prop(L"RzBitBtn4", L"Cursor"), L"crHandPoint");
    EXPECT_EQ(Prop(L"RzBitBtn4", L"ShowFocusRect"), L"False");
    EXPECT_EQ(Prop(L"RzBitBtn4", L"Hint"), L"up");
    EXPECT_EQ(Prop(L"RzBitBtn4", L"Margin"), L"-1");
    EXPECT_EQ(Prop(L"RzBitBtn4", L"Glyph"), L""); // no picture
    EXPECT_EQ(Prop(L"RzBitBtn2", L"TextStyle"), L"tsShadow");
    EXPECT_EQ(Prop(L"RzBitBtn2", L"Spacing"), L"3");
    EXPECT_EQ(Prop(L"RzBitBtn2", L"Alignment"), L"taCenter");
    EXPECT_EQ(Prop(L"RzBitBtn2", L"Default"), L"False");
    EXPECT_EQ(Prop(L"RzBitBtn2", L"HotTrack"), L"True");
    EXPECT_EQ(Prop(L"RzStatusBar1", L"FlatColor"), L"clActiveCaption");
    EXPECT_EQ(Prop(L"RzStatusBar1", L"BorderOuter"), L"fsNone");
    EXPECT_EQ(Prop(L"RzStatusBar1", L"BorderSides"), L"[sdLeft,sdTop,sdRight,sdBottom]");
    EXPECT_EQ(Prop(L"RzStatusBar1", L"Align"), L"alBottom");
    // What a control does not have reads as nothing.
    EXPECT_EQ(Prop(L"RzEdit1", L"Glyph"), L"");
    EXPECT_EQ(Prop(L"Button1", L"Checked"), L"");

    // The families the skin recognises.
    EXPECT_TRUE(F->FindComponent(L"RzEdit1")->InheritsFrom(TCustomEdit::StaticClass()));
    EXPECT_TRUE(F->FindComponent(L"Memo1")->InheritsFrom(TCustomEdit::StaticClass()));
    EXPECT_TRUE(F->FindComponent(L"RzComboBox1")->InheritsFrom(TCustomComboBox::StaticClass()));
    EXPECT_TRUE(F->FindComponent(L"RzStatusBar1")->InheritsFrom(TCustomPanel::StaticClass()));
    EXPECT_FALSE(F->FindComponent(L"RzBitBtn2")->InheritsFrom(TButton::StaticClass()));

    // Layout: the status bar lies along the bottom, its children left and right.
    F->Show();
    Pump();
    auto* Bar = Find<TRzStatusBar>(*F, L"RzStatusBar1");
    EXPECT_EQ(Bar->Top(), 300 - 19);
    EXPECT_EQ(Bar->Width(), 400);
    auto* Exit = Find<TRzBitBtn>(*F, L"RzBitBtn2");
    EXPECT_EQ(Exit->Left(), 400 - 21);
    EXPECT_EQ(Exit->Height(), 19);
    EXPECT_EQ(Find<TRzEdit>(*F, L"RzEdit2")->Left(), 0);
}

TEST(StdControls, SystemWindowsShowTheDescribedState) {
    auto F = ReadForm();
    F->Show();
    Pump();
    auto* Combo = Find<TComboBox>(*F, L"ComboBox1");
    HWND C = Combo->Handle();
    EXPECT_EQ(SendMessageW(C, CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageW(C, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(Combo->Text(), L"COM2");
    // The box shows the height it was given; the dropped list is not part of it.
    RECT R;
    GetWindowRect(Find<TRzComboBox>(*F, L"RzComboBox1")->Handle(), &R);
    EXPECT_EQ(R.bottom - R.top, 21);
    EXPECT_EQ(Find<TRzComboBox>(*F, L"RzComboBox1")->ItemHeight(), 13);

    auto* Memo = Find<TMemo>(*F, L"Memo1");
    EXPECT_EQ(Memo->Text(), L"one\r\ntwo");
    auto* Edit = Find<TEdit>(*F, L"Edit1");
    EXPECT_EQ(SendMessageW(Edit->Handle(), EM_GETLIMITTEXT, 0, 0), 12);
    EXPECT_TRUE(GetWindowLongW(Find<TButton>(*F, L"Button1")->Handle(), GWL_STYLE) &
                BS_DEFPUSHBUTTON);
    // The framed edit has a one-pixel frame instead of the sunken edge.
    auto* Framed = Find<TRzEdit>(*F, L"RzEdit1");
    RECT W, Cl;
    GetWindowRect(Framed->Handle(), &W);
    GetClientRect(Framed->Handle(), &Cl);
    EXPECT_EQ(W.right - W.left - Cl.right, 2);
    EXPECT_FALSE(GetWindowLongW(Framed->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
}

TEST(StdControls, EditChangesAreReportedOnceWhateverTheirSource) {
    auto F = ReadForm();
    auto* Edit = Find<TRzEdit>(*F, L"RzEdit2");
    std::vector<std::wstring> Seen;
    Edit->OnChange = [&](TObject*) { Seen.push_back(Edit->Text()); };
    Edit->SetText(L"before window");
    F->Show();
    Pump();
    Edit->SetText(L"拨号中...");
    Edit->SetText(L"拨号中..."); // unchanged: no change
    Edit->SetFocus();
    SendMessageW(Edit->Handle(), EM_SETSEL, 0, -1);
    SendMessageW(Edit->Handle(), WM_CHAR, L'7', 0x00080001);
    Edit->Clear();
    EXPECT_EQ(Seen, (std::vector<std::wstring>{L"before window", L"拨号中...", L"7", L""}));
}

TEST(StdControls, MemoLinesAndWindowFollowEachOther) {
    auto F = ReadForm();
    F->Show();
    Pump();
    auto* Memo = Find<TMemo>(*F, L"Memo1");
    int Changes = 0;
    Memo->OnChange = [&](TObject*) { ++Changes; };
    Memo->Lines()->Add(L"13800138000");
    EXPECT_EQ(Memo->Text(), L"one\r\ntwo\r\n13800138000");
    EXPECT_EQ(Changes, 1);
    // Typing reaches the lines.
    Memo->SetFocus();
    SendMessageW(Memo->Handle(), EM_SETSEL, 0, 0);
    SendMessageW(Memo->Handle(), WM_CHAR, L'X', 0x002D0001);
    ASSERT_EQ(Memo->Lines()->Count(), 3);
    EXPECT_EQ(Memo->Lines()->Get(0), L"Xone");
    // Text set as a whole is split into lines.
    Memo->SetText(L"a\r\nb");
    EXPECT_EQ(Memo->Lines()->Count(), 2);
    EXPECT_EQ(Memo->Lines()->Get(1), L"b");
}

TEST(StdControls, ClicksAreReportedOnceForMouseAndKeyboard) {
    auto F = ReadForm();
    F->Show();
    Pump();
    auto* Button = Find<TButton>(*F, L"Button1");
    auto* Bit = Find<TRzBitBtn>(*F, L"RzBitBtn2");
    int ButtonClicks = 0, BitClicks = 0;
    Button->OnClick = [&](TObject*) { ++ButtonClicks; };
    Bit->OnClick = [&](TObject*) { ++BitClicks; };
    // BM_CLICK presses and releases the mouse on the system's button.
    SendMessageW(Button->Handle(), BM_CLICK, 0, 0);
    Pump();
    EXPECT_EQ(ButtonClicks, 1);

    SendMessageW(Bit->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_TRUE(Bit->Pressed());
    // Dragged off the button it pops up, and released there it does not click.
    SendMessageW(Bit->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(60, 5));
    EXPECT_FALSE(Bit->Pressed());
    SendMessageW(Bit->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(60, 5));
    EXPECT_EQ(BitClicks, 0);
    SendMessageW(Bit->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(Bit->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(BitClicks, 1);
    EXPECT_TRUE(Bit->Focused()); // a click focuses the button
    SendMessageW(Bit->Handle(), WM_KEYDOWN, VK_SPACE, 0x00390001);
    EXPECT_TRUE(Bit->Pressed());
    SendMessageW(Bit->Handle(), WM_KEYUP, VK_SPACE, 0xC0390001);
    EXPECT_EQ(BitClicks, 2);
    EXPECT_FALSE(Bit->Pressed());
    // A disabled button neither presses nor clicks.
    Bit->SetEnabled(false);
    SendMessageW(Bit->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(Bit->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(BitClicks, 2);
}

TEST(StdControls, ComboSelectionAndItemChanges) {
    auto F = ReadForm();
    F->Show();
    Pump();
    auto* Combo = Find<TRzComboBox>(*F, L"RzComboBox1");
    std::vector<int> Selected;
    Combo->OnChange = [&](TObject*) { Selected.push_back(Combo->ItemIndex()); };
    Combo->Items()->Add(L"COM4");
    Combo->SetItemIndex(0);
    EXPECT_EQ(Combo->Text(), L"COM3");
    // The user picks the next item with the keyboard.
    Combo->SetFocus();
    SendMessageW(Combo->Handle(), WM_KEYDOWN, VK_DOWN, 0x01500001);
    Pump();
    EXPECT_EQ(Selected, (std::vector<int>{1}));
    EXPECT_EQ(Combo->Text(), L"COM4");
    // A list-only box picks its item by text; unknown text selects nothing.
    Combo->SetText(L"com3");
    EXPECT_EQ(Combo->ItemIndex(), 0);
    Combo->SetText(L"COM9");
    EXPECT_EQ(Combo->ItemIndex(), -1);
    // Clearing and filling again (as the port box is filled) keeps the window in step.
    Combo->Items()->Clear();
    EXPECT_EQ(SendMessageW(Combo->Handle(), CB_GETCOUNT, 0, 0), 0);
    Combo->Items()->SetText(L"COM1\r\nCOM2\r\nCOM10");
    EXPECT_EQ(SendMessageW(Combo->Handle(), CB_GETCOUNT, 0, 0), 3);
}

TEST(StdControls, RecreatingWindowsKeepsContentsAndLeaksNothing) {
    long Gdi = LiveHandles(THandleKind::GdiObject);
    long Windows = LiveHandles(THandleKind::Window);
    {
        auto F = ReadForm();
        F->Show();
        Pump();
        auto* Memo = Find<TMemo>(*F, L"Memo1");
        Memo->SetScrollBars(ssVertical); // a new window
        EXPECT_EQ(Memo->Text(), L"one\r\ntwo");
        EXPECT_TRUE(GetWindowLongW(Memo->Handle(), GWL_STYLE) & WS_VSCROLL);
        auto* Combo = Find<TComboBox>(*F, L"ComboBox1");
        Combo->SetStyle(csDropDownList);
        EXPECT_EQ(SendMessageW(Combo->Handle(), CB_GETCOUNT, 0, 0), 2);
        EXPECT_EQ(Combo->ItemIndex(), 1);
        auto* Edit = Find<TRzEdit>(*F, L"RzEdit2");
        Edit->SetText(L"kept");
        Edit->SetFrameVisible(true);
        EXPECT_EQ(Edit->Text(), L"kept");
        for (int I = 0; I < 20; ++I)
            RedrawWindow(F->Handle(), nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
    Pump();
    EXPECT_EQ(LiveHandles(THandleKind::GdiObject), Gdi);
    EXPECT_EQ(LiveHandles(THandleKind::Window), Windows);
}
