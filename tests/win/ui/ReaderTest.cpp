// Stored descriptions: every kind of value, order of creation and loading, handlers and
// references, embedded resources, and a clear error for each kind of broken description.
#include "ExtCtrls.h"
#include "Forms.h"
#include "Reader.h"
#include "Strings.h"

#include <gtest/gtest.h>

namespace {

enum TLayoutKind { lyTop, lyBottom };
enum TProbeOption { poOne, poTwo, poThree };

} // namespace

DECLARE_ENUM_NAMES(TLayoutKind, L"lyTop", L"lyBottom")
DECLARE_ENUM_NAMES(TProbeOption, L"poOne", L"poTwo", L"poThree")

namespace {

std::vector<std::wstring> Log;

class TProbe : public TCustomControl {
    DECLARE_CLASS(TProbe, TCustomControl)
  public:
    explicit TProbe(TComponent* AOwner) : TCustomControl(AOwner) { Log.push_back(L"create"); }
    TStringList* Items() const { return FItems.get(); }
    TComponent* Buddy() const { return FBuddy; }
    void SetBuddy(TComponent* B) {
        FBuddy = B;
        Log.push_back(L"buddy " + Name() + L"=" + (B ? B->Name() : L""));
    }
    TLayoutKind Layout = lyTop;
    TSet<TProbeOption> Options;
    TBytes Data;
    TBytes Blob;
    bool LoadingSeenInSetter = false;

  protected:
    void Loaded() override {
        TCustomControl::Loaded();
        Log.push_back(L"loaded " + Name());
    }

  private:
    std::unique_ptr<TStringList> FItems = std::make_unique<TStringList>();
    TComponent* FBuddy = nullptr;
};

class TReaderForm : public TForm {
    DECLARE_CLASS(TReaderForm, TForm)
  public:
    explicit TReaderForm(TComponent* AOwner) : TForm(AOwner) {
        RegisterHandler(L"FormShow", &TReaderForm::FormShow);
        RegisterHandler(L"ProbeClick", &TReaderForm::ProbeClick);
        RegisterHandler(L"Timer1Timer", &TReaderForm::Timer1Timer);
        RegisterField(L"Probe1", Probe1);
        RegisterField(L"Timer1", Timer1);
    }
    void FormShow(TObject*) { ++Shows; }
    void ProbeClick(TObject* Sender) { Clicked = Sender; }
    void Timer1Timer(TObject*) {}
    TProbe* Probe1 = nullptr;
    TTimer* Timer1 = nullptr;
    int Shows = 0;
    TObject* Clicked = nullptr;

  protected:
    void Loaded() override {
        TForm::Loaded();
        Log.push_back(L"loaded form");
    }
};

} // namespace

PUBLISHED(TProbe) {
    p.Property(L"Items", &TProbe::Items);
    p.Property(L"Buddy", &TProbe::Buddy, &TProbe::SetBuddy);
    p.Property(L"Layout", &TProbe::Layout);
    p.Property(L"Options", &TProbe::Options);
    p.Property(L"Data", &TProbe::Data);
    p.Property(L"Blob", &TProbe::Blob);
}
PUBLISHED(TReaderForm) {}

TEST(Reader, EmbeddedDescriptionBuildsTheTree) {
    Log.clear();
    std::unique_ptr<TReaderForm> F(TCustomForm::CreateForm<TReaderForm>(nullptr));
    // Creation in description order, references fixed up after the whole tree, Loaded last:
    // Probe2 refers back to the form, Probe1 forward to Probe2.
    EXPECT_EQ(Log, (std::vector<std::wstring>{L"create", L"create", L"buddy Probe1=Probe2",
                                              L"buddy Probe2=ReaderForm", L"loaded form",
                                              L"loaded Probe1", L"loaded Probe2"}));
    ASSERT_NE(F->Probe1, nullptr);
    ASSERT_NE(F->Timer1, nullptr);
    EXPECT_EQ(F->Name(), L"ReaderForm");
    EXPECT_EQ(F->ComponentCount(), 3);
    EXPECT_EQ(F->Components(1)->Name(), L"Probe2");
    TProbe& P = *F->Probe1;
    auto* P2 = dynamic_cast<TProbe*>(F->FindComponent(L"Probe2"));
    ASSERT_NE(P2, nullptr);
    EXPECT_EQ(P.Parent(), F.get());
    EXPECT_EQ(P2->Parent(), &P);
    EXPECT_EQ(P2->Owner(), F.get());
    EXPECT_EQ(F->Left(), 100);
    EXPECT_EQ(F->Caption(), L"电脑拨号 (V1.5B)");
    EXPECT_EQ(F->BorderIcons(), (TBorderIcons{biSystemMenu, biMinimize, biHelp}));
    EXPECT_EQ(F->FormStyle(), fsStayOnTop);
    EXPECT_EQ(F->Font()->Height(), -10);
    EXPECT_EQ(F->Hint(), L"窗体靠边自动缩进");
    EXPECT_TRUE(F->ShowHint());
    EXPECT_EQ(P.Top(), -4);
    EXPECT_EQ(P.Width(), 32);
    EXPECT_EQ(P.Tag(), 199);
    EXPECT_EQ(P.Caption(), L"It's\r\n中文");
    EXPECT_EQ(P.Layout, lyBottom);
    EXPECT_EQ(P.Options, (TSet<TProbeOption>{poOne, poTwo}));
    EXPECT_EQ(P.Color(), static_cast<TColor>(0x00FF8000));
    EXPECT_EQ(P.Cursor(), crHandPoint);
    EXPECT_EQ(P.Buddy(), P2);
    EXPECT_EQ(P.Items()->Text(), L"COM1\r\nCOM10\r\n");
    EXPECT_EQ(P.Data, (TBytes{0, 1, 2, 0xFF}));
    EXPECT_EQ(std::string(P.Blob.begin(), P.Blob.end()), "embedded payload");
    // Controls inherit the form's font and hint switch unless they set their own.
    EXPECT_EQ(P2->Font()->Height(), -10);
    EXPECT_TRUE(P.ShowHint());
    EXPECT_EQ(F->Timer1->Interval(), 200u);
    EXPECT_FALSE(F->Timer1->Enabled());
    EXPECT_FALSE(F->ComponentState().Contains(csLoading));
    EXPECT_FALSE(P.ComponentState().Contains(csLoading));
    // Handlers are bound to the form's methods.
    P.Click();
    EXPECT_EQ(F->Clicked, &P);
    ASSERT_TRUE(F->OnShow);
    F->OnShow(F.get());
    EXPECT_EQ(F->Shows, 1);
    // The skin engine's view: properties by name, enumerations by member name.
    EXPECT_EQ(GetPropText(P, L"layout"), L"lyBottom");
    EXPECT_EQ(GetPropText(P, L"Font.Height"), L"-10");
    EXPECT_EQ(GetPropText(P, L"Glyph"), L"");
}

TEST(Reader, BrokenDescriptionsNameTheLine) {
    struct Case {
        const char* Text;
        int Line;
        const wchar_t* Words;
    };
    const Case Cases[] = {
        {"object F: TReaderForm\n  object X: TNoSuchThing\n  end\nend", 2,
         L"unknown class TNoSuchThing"},
        {"object F: TReaderForm\n  Left = 1\n  Colour = clRed\nend", 3, L"unknown property Colour"},
        {"object F: TReaderForm\n  object P: TProbe\n    Layout = lySideways\n  end\nend", 3,
         L"lySideways"},
        {"object F: TReaderForm\n  Left = 12x\nend", 2, L"Left"},
        {"object F: TReaderForm\n  object P: TProbe\n    Width = 1\n", 4, L"not terminated"},
        {"object F: TReaderForm\n\n  OnShow = FormShown\nend", 3, L"unknown handler FormShown"},
        {"object F: TReaderForm\n  object P: TProbe\n    OnClick = FormShow\n    Buddy = Nobody\n  "
         "end\nend",
         4, L"Nobody"},
        {"object F: TReaderForm\n  Caption = 'open\nend", 2, L"unterminated string"},
        {"object F: TProbe\nend", 1, L"TProbe"},
        {"object F: TReaderForm\n  object P: TProbe\n  end\n  object P: TProbe\n  end\nend", 4,
         L"P"},
        {"object F: TReaderForm\n  object P: TProbe\n    Options = [poOne, poNine]\n  end\nend", 3,
         L"poNine"},
        {"object F: TReaderForm\n  object P: TProbe\n    Data = {0G}\n  end\nend", 3, L"binary"},
        {"object F: TReaderForm\n  object P: TProbe\n    Blob = @NOSUCHRESOURCE\n  end\nend", 3,
         L"NOSUCHRESOURCE"},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Text);
        TReaderForm F(nullptr);
        try {
            ReadComponentText(F, std::string_view(C.Text));
            ADD_FAILURE() << "accepted";
        } catch (const EReadError& E) {
            EXPECT_EQ(E.Line(), C.Line) << WideToUtf8(E.Message());
            EXPECT_NE(E.Message().find(C.Words), std::wstring::npos) << WideToUtf8(E.Message());
            EXPECT_EQ(E.Message().rfind(L"Line " + IntToStr(C.Line) + L": ", 0), 0u);
        }
        // Nothing half-built is left behind.
        EXPECT_EQ(F.ComponentCount(), 0);
        EXPECT_FALSE(F.ComponentState().Contains(csLoading));
    }
}

TEST(Reader, HandlerOfTheWrongShapeIsRefused) {
    TReaderForm F(nullptr);
    F.RegisterHandler(L"WrongShape", std::function<void(TObject*, int)>([](TObject*, int) {}));
    try {
        ReadComponentText(F, std::string_view("object F: TReaderForm\n  OnShow = WrongShape\nend"));
        ADD_FAILURE() << "accepted";
    } catch (const EReadError& E) {
        EXPECT_EQ(E.Line(), 2);
        EXPECT_NE(E.Message().find(L"OnShow"), std::wstring::npos) << WideToUtf8(E.Message());
    }
}
