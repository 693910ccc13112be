// Components, ownership and published properties read and written by name.
#include "Classes.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

enum TLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TOption { opAlpha, opBeta, opGamma };

} // namespace

DECLARE_ENUM_NAMES(TLayout, L"blGlyphLeft", L"blGlyphRight", L"blGlyphTop", L"blGlyphBottom")
DECLARE_ENUM_NAMES(TOption, L"opAlpha", L"opBeta", L"opGamma")

namespace {

// A sub-object with properties of its own, reached as "Style.Width".
class TStyle : public TPersistent {
    DECLARE_CLASS(TStyle, TPersistent)
  public:
    int Width = 1;
    std::wstring Face = L"Arial";
    void Assign(const TPersistent& Source) override {
        auto* S = dynamic_cast<const TStyle*>(&Source);
        if (!S) return TPersistent::Assign(Source);
        Width = S->Width;
        Face = S->Face;
    }
    std::wstring AsText() const override { return Face + L"," + IntToStr(Width); }
};

using TValueEvent = std::function<void(TObject* Sender, int& Value)>;

class TGadget : public TComponent {
    DECLARE_CLASS(TGadget, TComponent)
  public:
    explicit TGadget(TComponent* AOwner) : TComponent(AOwner) {}
    ~TGadget() override { ++Destroyed; }

    int Count() const { return FCount; }
    void SetCount(int V) {
        FCount = V;
        ++CountWrites;
    }
    const TStyle* StyleGetter() const { return &FStyle; }
    TStyle* Style() const { return const_cast<TStyle*>(&FStyle); }
    TGadget* Buddy() const { return FBuddy; }
    void SetBuddy(TGadget* B) { FBuddy = B; }
    uint16_t Limit = 500;
    uint8_t Port = 1;
    bool Active = false;
    char XonChar = 0x11;
    std::wstring Caption;
    std::string PortName = "COM1";
    TLayout Layout = blGlyphLeft;
    TSet<TOption> Options{opBeta};
    TColor Color = clBtnFace;
    TBytes Data;
    unsigned ReadOnlyValue() const { return 42; }
    TNotifyEvent OnClick;
    TValueEvent OnValue;
    int CountWrites = 0;
    static inline int Destroyed = 0;

  private:
    int FCount = 0;
    TStyle FStyle;
    TGadget* FBuddy = nullptr;
};

class TBigGadget : public TGadget {
    DECLARE_CLASS(TBigGadget, TGadget)
  public:
    using TGadget::TGadget;
    long long Size = 0;
    // Replaces the inherited Caption with a read-only one.
    std::wstring FixedCaption() const { return L"fixed"; }
};

} // namespace

PUBLISHED(TStyle) {
    p.Property(L"Width", &TStyle::Width);
    p.Property(L"Face", &TStyle::Face);
}

PUBLISHED(TGadget) {
    p.Property(L"Count", &TGadget::Count, &TGadget::SetCount);
    p.Property(L"Limit", &TGadget::Limit);
    p.Property(L"Port", &TGadget::Port);
    p.Property(L"Active", &TGadget::Active);
    p.Property(L"XonChar", &TGadget::XonChar);
    p.Property(L"Caption", &TGadget::Caption);
    p.Property(L"PortName", &TGadget::PortName);
    p.Property(L"Layout", &TGadget::Layout);
    p.Property(L"Options", &TGadget::Options);
    p.Property(L"Color", &TGadget::Color);
    p.Property(L"Data", &TGadget::Data);
    p.Property(L"Style", &TGadget::Style);
    p.Property(L"Buddy", &TGadget::Buddy, &TGadget::SetBuddy);
    p.Property(L"ReadOnlyValue", &TGadget::ReadOnlyValue);
    p.Property(L"OnClick", &TGadget::OnClick);
    p.Property(L"OnValue", &TGadget::OnValue);
}

PUBLISHED(TBigGadget) {
    p.Property(L"Size", &TBigGadget::Size);
    p.Property(L"Caption", &TBigGadget::FixedCaption);
}

TEST(Components, OwnerFreesOwnedComponentsAndNamesAreUnique) {
    TGadget::Destroyed = 0;
    {
        TComponent Root(nullptr);
        auto* A = new TGadget(&Root);
        auto* B = new TGadget(A);
        A->SetName(L"A");
        B->SetName(L"B");
        EXPECT_EQ(Root.ComponentCount(), 1);
        EXPECT_EQ(A->Owner(), &Root);
        EXPECT_EQ(Root.FindComponent(L"a"), A);
        EXPECT_EQ(A->FindComponent(L"B"), B);
        auto* C = new TGadget(&Root);
        EXPECT_THROW(C->SetName(L"A"), EComponentError);
        EXPECT_THROW(C->SetName(L"1x"), EComponentError);
        delete C; // leaves its owner's list
        EXPECT_EQ(TGadget::Destroyed, 1);
        EXPECT_EQ(Root.ComponentCount(), 1);
        EXPECT_FALSE(Root.ComponentState().Contains(csDesigning));
    }
    EXPECT_EQ(TGadget::Destroyed, 3);
}

TEST(Components, FreeNotificationClearsReferences) {
    struct TWatcher : TComponent {
        using TComponent::TComponent;
        TComponent* Ref = nullptr;
        void Notification(TComponent* C, TOperation Op) override {
            if (Op == opRemove && C == Ref) Ref = nullptr;
        }
    };
    TComponent Root(nullptr);
    auto* W = new TWatcher(&Root);
    auto* G = new TGadget(&Root);
    W->Ref = G;
    G->FreeNotification(W);
    delete G;
    EXPECT_EQ(W->Ref, nullptr);
    // The other way round: a watcher gone first must not be called.
    auto* G2 = new TGadget(&Root);
    G2->FreeNotification(W);
    delete W;
    delete G2;
}

TEST(Registry, ClassesByNameCreateInstances) {
    const TMetaClass* M = FindClass(L"tgadget");
    ASSERT_NE(M, nullptr);
    EXPECT_EQ(M->ClassName(), L"TGadget");
    TComponent Root(nullptr);
    TComponent* C = M->Create(&Root);
    EXPECT_EQ(C->ClassName(), L"TGadget");
    EXPECT_TRUE(C->InheritsFrom(TComponent::StaticClass()));
    EXPECT_EQ(FindClass(L"TNoSuchClass"), nullptr);
    EXPECT_EQ(FindClass(L"TStyle")->Factory(), nullptr); // not a component
}

TEST(Properties, EveryKindReadsAndWritesAsText) {
    TComponent Root(nullptr);
    TGadget G(&Root);
    struct Case {
        const wchar_t* Name;
        const wchar_t* Before;
        const wchar_t* Write;
        const wchar_t* After;
    };
    const Case Cases[] = {
        {L"Count", L"0", L"-17", L"-17"},
        {L"Limit", L"500", L"$FFFF", L"65535"},
        {L"Active", L"False", L"true", L"True"},
        {L"XonChar", L"#17", L"#19", L"#19"},
        {L"Caption", L"", L"电脑拨号 (V1.5B)", L"电脑拨号 (V1.5B)"},
        {L"PortName", L"COM1", L"COM10", L"COM10"},
        {L"Layout", L"blGlyphLeft", L"blglyphtop", L"blGlyphTop"},
        {L"Options", L"[opBeta]", L"[opGamma, opAlpha]", L"[opAlpha,opGamma]"},
        {L"Color", L"clBtnFace", L"$00FF8000", L"$00FF8000"},
        {L"Data", L"", L"00 ff 10", L"00FF10"},
        {L"Name", L"", L"Gadget1", L"Gadget1"},
        {L"Tag", L"0", L"199", L"199"},
        {L"Style", L"Arial,1", nullptr, nullptr},
        {L"Style.Width", L"1", L"3", L"3"},
        {L"ReadOnlyValue", L"42", nullptr, nullptr},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(testing::Message() << WideToUtf8(C.Name));
        EXPECT_EQ(GetPropText(G, C.Name), C.Before);
        if (!C.Write) continue;
        SetPropText(G, C.Name, C.Write);
        EXPECT_EQ(GetPropText(G, C.Name), C.After);
    }
    EXPECT_EQ(G.Layout, blGlyphTop);
    EXPECT_EQ(G.Style()->Width, 3);
    EXPECT_EQ(G.Color, static_cast<TColor>(0x00FF8000));
    SetPropText(G, L"Color", L"16711935");
    EXPECT_EQ(GetPropText(G, L"Color"), L"clFuchsia");
    SetPropText(G, L"Color", L"clNone");
    EXPECT_EQ(G.Color, clNone);
    EXPECT_EQ(G.CountWrites, 1); // the setter ran, not the field
}

TEST(Properties, BadValuesAreRefusedWithTheirName) {
    TComponent Root(nullptr);
    TGadget G(&Root);
    const std::pair<const wchar_t*, const wchar_t*> Bad[] = {
        {L"Count", L"12x"},
        {L"Limit", L"65536"},
        {L"Limit", L"-1"},
        {L"Port", L"256"},
        {L"Active", L"yes"},
        {L"XonChar", L"ab"},
        {L"Layout", L"blNowhere"},
        {L"Options", L"[opAlpha,"},
        {L"Options", L"[opDelta]"},
        {L"Color", L"clPink"},
        {L"Data", L"0"},
        {L"ReadOnlyValue", L"1"},
        {L"NoSuchProp", L"1"},
        {L"Buddy", L"Nobody"},
    };
    for (const auto& [Name, Value] : Bad) {
        SCOPED_TRACE(testing::Message() << WideToUtf8(Name) << " = " << WideToUtf8(Value));
        try {
            SetPropText(G, Name, Value);
            ADD_FAILURE() << "accepted";
        } catch (const EPropertyError& E) {
            EXPECT_NE(E.Message().find(Name), std::wstring::npos) << WideToUtf8(E.Message());
        }
    }
    EXPECT_EQ(G.Limit, 500);
    EXPECT_EQ(G.Layout, blGlyphLeft);
}

TEST(Properties, MissingPropertyReadsEmptyAndTablesAreInherited) {
    TComponent Root(nullptr);
    TBigGadget B(&Root);
    EXPECT_EQ(GetPropText(B, L"Glyph"), L"");
    EXPECT_EQ(GetPropText(B, L"Style.Nothing"), L"");
    EXPECT_EQ(GetPropText(B, L"Nothing.Width"), L"");
    EXPECT_FALSE(IsPublishedProp(B, L"Glyph"));
    // Inherited from TGadget and TComponent, own Size, redeclared Caption.
    SetPropText(B, L"limit", L"7");
    EXPECT_EQ(B.Limit, 7);
    SetPropText(B, L"Size", L"-9000000000");
    EXPECT_EQ(B.Size, -9000000000LL);
    SetPropText(B, L"Tag", L"5");
    EXPECT_EQ(B.Tag(), 5);
    EXPECT_EQ(GetPropText(B, L"Caption"), L"fixed");
    EXPECT_THROW(SetPropText(B, L"Caption", L"x"), EPropertyError);
    // The complete list keeps declaration order, ancestors first, a redeclared one once.
    auto All = B.ClassType().Properties();
    ASSERT_GE(All.size(), 3u);
    EXPECT_EQ(All[0]->Name, L"Name");
    EXPECT_EQ(All[1]->Name, L"Tag");
    EXPECT_EQ(All.back()->Name, L"Size");
    int Captions = 0;
    for (auto* P : All)
        Captions += P->Name == L"Caption";
    EXPECT_EQ(Captions, 1);
    // A plain TGadget is unaffected by its subclass's redeclaration.
    TGadget G(&Root);
    SetPropText(G, L"Caption", L"x");
    EXPECT_EQ(G.Caption, L"x");
}

TEST(Properties, ObjectsReferencesAndEvents) {
    TComponent Root(nullptr);
    auto* A = new TGadget(&Root);
    auto* B = new TGadget(&Root);
    A->SetName(L"A");
    B->SetName(L"B");
    // Sub-objects are copied by Assign, references are shared.
    TStyle S;
    S.Width = 9;
    S.Face = L"Tahoma";
    SetObjectProp(*A, L"Style", &S);
    EXPECT_EQ(A->Style()->Face, L"Tahoma");
    EXPECT_EQ(GetObjectProp(*A, L"Style"), A->Style());
    SetPropText(*A, L"Buddy", L"B");
    EXPECT_EQ(A->Buddy(), B);
    EXPECT_EQ(GetPropText(*A, L"Buddy"), L"B");
    EXPECT_EQ(GetObjectProp(*A, L"Buddy"), B);
    SetObjectProp(*A, L"Buddy", nullptr);
    EXPECT_EQ(A->Buddy(), nullptr);
    EXPECT_THROW(SetObjectProp(*A, L"Buddy", &S), EPropertyError); // not a TGadget

    int Clicks = 0;
    TObject* Seen = nullptr;
    Root.RegisterHandler(L"GadgetClick", std::function<void(TObject*)>([&](TObject* Sender) {
                             ++Clicks;
                             Seen = Sender;
                         }));
    Root.RegisterHandler(L"GadgetValue",
                         std::function<void(TObject*, int&)>([](TObject*, int& V) { V *= 2; }));
    SetEventHandler(*A, L"OnClick", *Root.FindHandler(L"gadgetclick"));
    A->OnClick(A);
    EXPECT_EQ(Clicks, 1);
    EXPECT_EQ(Seen, A);
    SetEventHandler(*A, L"OnValue", *Root.FindHandler(L"GadgetValue"));
    int V = 21;
    A->OnValue(A, V);
    EXPECT_EQ(V, 42);
    EXPECT_THROW(SetEventHandler(*A, L"OnClick", *Root.FindHandler(L"GadgetValue")),
                 EPropertyError);
    EXPECT_THROW(SetEventHandler(*A, L"Count", *Root.FindHandler(L"GadgetValue")), EPropertyError);
}

TEST(Text, CaseChangesOnlyAsciiLetters) {
    // Identifiers and class names: other characters stay as they are, as SameText sees them.
    EXPECT_EQ(LowerCase(L"TButton #32770 Z[@"), L"tbutton #32770 z[@");
    EXPECT_EQ(UpperCase(L"TButton #32770 az{`"), L"TBUTTON #32770 AZ{`");
    EXPECT_EQ(UpperCase(L"\u00e9t\u00e9"), L"\u00e9T\u00e9");
    EXPECT_EQ(LowerCase(L"\u00c9T\u00c9"), L"\u00c9t\u00c9");
    EXPECT_EQ(UpperCase(L""), L"");
}

TEST(Text, ConversionsRoundTrip) {
    std::wstring W = L"电话系统 \U0001F4DE";
    EXPECT_EQ(Utf8ToWide(WideToUtf8(W)), W);
    EXPECT_EQ(WideToUtf8(L"\u00e9"), "\xc3\xa9");
    EXPECT_EQ(Utf8ToWide("a\xff"), L"a\xfffd");
    // The system's code page is 936 in the test prefix: two bytes a character.
    ASSERT_EQ(GetACP(), 936u);
    EXPECT_EQ(WideToAnsi(L"电话 COM1"), "\xb5\xe7\xbb\xb0 COM1");
    EXPECT_EQ(AnsiToWide("\xb5\xe7\xbb\xb0 COM1"), L"电话 COM1");
    EXPECT_EQ(AnsiToWide(""), L"");
    EXPECT_EQ(WideToAnsi(L""), "");
    Exception E("Cannot setup comm buffer");
    EXPECT_EQ(E.Message(), L"Cannot setup comm buffer");
    EXPECT_STREQ(Exception(L"é").what(), "\xc3\xa9");
    long long V;
    EXPECT_FALSE(TryStrToInt64(L"99999999999999999999", V));
    EXPECT_TRUE(TryStrToInt64(L"$7FFFFFFF", V));
    EXPECT_EQ(V, 0x7FFFFFFF);
    EXPECT_EQ(IntToStr(0), L"0");
    EXPECT_EQ(IntToStr(-7), L"-7");
    EXPECT_EQ(IntToStr(1234567890123LL), L"1234567890123");
    EXPECT_EQ(IntToStr(std::numeric_limits<long long>::min()), L"-9223372036854775808");
    EXPECT_EQ(IntToStr(std::numeric_limits<long long>::max()), L"9223372036854775807");
    EXPECT_EQ(UIntToStr(std::numeric_limits<unsigned long long>::max()), L"18446744073709551615");
}
