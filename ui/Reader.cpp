#include "Reader.h"

#include "Controls.h"

#include <windows.h>

#include <optional>

EReadError::EReadError(int Line, const std::wstring& Message)
    : Exception(L"Line " + IntToStr(Line) + L": " + Message), FLine(Line) {}

namespace {

enum class TTok { End, Ident, Integer, String, Symbol, Binary };

struct TToken {
    TTok Kind = TTok::End;
    std::wstring Text; // identifier, number text, string value, symbol
    TBytes Bytes;      // binary
    int Line = 1;
};

class TLexer {
  public:
    explicit TLexer(std::wstring_view Text) : FText(Text) {}

    TToken Next() {
        SkipBlanks();
        TToken T;
        T.Line = FLine;
        if (FPos >= FText.size()) return T;
        wchar_t C = FText[FPos];
        if (IsIdentStart(C)) {
            size_t B = FPos;
            while (FPos < FText.size() &&
                   (IsIdentStart(FText[FPos]) || IsDigit(FText[FPos]) || FText[FPos] == L'.'))
                ++FPos;
            T.Kind = TTok::Ident;
            T.Text = FText.substr(B, FPos - B);
        } else if (IsDigit(C) || C == L'-' || C == L'$') {
            size_t B = FPos++;
            // Letters run into the number so that "12x" is one (bad) value, not two tokens.
            while (FPos < FText.size() &&
                   (IsDigit(FText[FPos]) || IsIdentStart(FText[FPos]) || FText[FPos] == L'$'))
                ++FPos;
            T.Kind = TTok::Integer;
            T.Text = FText.substr(B, FPos - B);
        } else if (C == L'\'' || C == L'#') {
            T.Kind = TTok::String;
            T.Text = ReadString();
        } else if (C == L'{') {
            T.Kind = TTok::Binary;
            T.Bytes = ReadBinary();
        } else {
            ++FPos;
            T.Kind = TTok::Symbol;
            T.Text = std::wstring(1, C);
        }
        return T;
    }

    int Line() const { return FLine; }

  private:
    static bool IsIdentStart(wchar_t C) {
        return (C >= L'A' && C <= L'Z') || (C >= L'a' && C <= L'z') || C == L'_';
    }
    static bool IsDigit(wchar_t C) { return C >= L'0' && C <= L'9'; }
    static bool IsHex(wchar_t C) {
        return IsDigit(C) || (C >= L'A' && C <= L'F') || (C >= L'a' && C <= L'f');
    }

    void SkipBlanks() {
        while (FPos < FText.size()) {
            wchar_t C = FText[FPos];
            if (C == L'\n') ++FLine;
            if (C <= L' ' || C == 0xFEFF)
                ++FPos;
            else if (C == L'/' && FPos + 1 < FText.size() && FText[FPos + 1] == L'/')
                while (FPos < FText.size() && FText[FPos] != L'\n')
                    ++FPos;
            else
                break;
        }
    }

    std::wstring ReadString() {
        std::wstring Out;
        while (FPos < FText.size()) {
            wchar_t C = FText[FPos];
            if (C == L'\'') {
                ++FPos;
                for (;;) {
                    if (FPos >= FText.size() || FText[FPos] == L'\n')
                        throw EReadError(FLine, L"unterminated string");
                    if (FText[FPos] == L'\'') {
                        if (FPos + 1 < FText.size() && FText[FPos + 1] == L'\'') {
                            Out += L'\'';
                            FPos += 2;
                            continue;
                        }
                        ++FPos;
                        break;
                    }
                    Out += FText[FPos++];
                }
            } else if (C == L'#') {
                size_t B = ++FPos;
                while (FPos < FText.size() && IsDigit(FText[FPos]))
                    ++FPos;
                long long V;
                if (!TryStrToInt64(FText.substr(B, FPos - B), V) || V < 0 || V > 0xFFFF)
                    throw EReadError(FLine, L"bad character code");
                Out += static_cast<wchar_t>(V);
            } else
                break;
        }
        return Out;
    }

    TBytes ReadBinary() {
        int StartLine = FLine;
        ++FPos;
        std::wstring Digits;
        for (;;) {
            if (FPos >= FText.size()) throw EReadError(StartLine, L"unterminated binary data");
            wchar_t C = FText[FPos++];
            if (C == L'}') break;
            if (C == L'\n') ++FLine;
            if (C <= L' ') continue;
            if (!IsHex(C)) throw EReadError(FLine, L"bad character in binary data");
            Digits += C;
        }
        if (Digits.size() % 2)
            throw EReadError(StartLine, L"binary data has an odd number of digits");
        TBytes Out;
        for (size_t I = 0; I < Digits.size(); I += 2)
            Out.push_back(static_cast<uint8_t>(std::stoi(Digits.substr(I, 2), nullptr, 16)));
        return Out;
    }

    std::wstring_view FText;
    size_t FPos = 0;
    int FLine = 1;
};

struct TValue {
    enum { Integer, String, Ident, Set, List, Binary } Kind;
    std::wstring Text;
    std::vector<std::wstring> Items;
    TBytes Bytes;
};

struct TFixup {
    TObject* Holder;
    std::wstring Path;
    std::wstring Target;
    int Line;
};

class TReaderImpl {
  public:
    TReaderImpl(TComponent& Root, std::wstring_view Text) : FRoot(Root), FLex(Text) { Advance(); }

    void Read() {
        FRoot.SetLoading();
        try {
            ReadObject(nullptr);
            if (FTok.Kind != TTok::End) Fail(L"text after the end of the description");
            for (const auto& F : FFixups)
                Resolve(F);
        } catch (...) {
            for (auto It = FCreated.rbegin(); It != FCreated.rend(); ++It)
                delete *It;
            FRoot.TComponent::Loaded();
            throw;
        }
        FRoot.Loaded();
        for (TComponent* C : FCreated)
            C->Loaded();
    }

  private:
    [[noreturn]] void Fail(const std::wstring& Message) { throw EReadError(FTok.Line, Message); }

    void Advance() { FTok = FLex.Next(); }

    bool IsWord(const wchar_t* W) const {
        return FTok.Kind == TTok::Ident && SameText(FTok.Text, W);
    }
    bool IsSymbol(wchar_t C) const { return FTok.Kind == TTok::Symbol && FTok.Text[0] == C; }

    void Expect(wchar_t C) {
        if (!IsSymbol(C)) Fail(std::wstring(L"'") + C + L"' expected");
        Advance();
    }

    std::wstring ExpectIdent(const wchar_t* What) {
        if (FTok.Kind != TTok::Ident) Fail(std::wstring(What) + L" expected");
        std::wstring S = FTok.Text;
        Advance();
        return S;
    }

    void ReadObject(TComponent* Parent) {
        if (!IsWord(L"object")) Fail(L"'object' expected");
        int ObjectLine = FTok.Line;
        Advance();
        std::wstring Name = ExpectIdent(L"component name");
        Expect(L':');
        int ClassLine = FTok.Line;
        std::wstring ClassName = ExpectIdent(L"class name");
        TComponent* Comp;
        if (!Parent) {
            const TMetaClass* M = FindClass(ClassName);
            if (!M || !FRoot.InheritsFrom(*M))
                throw EReadError(ClassLine, L"the description is of class " + ClassName +
                                                L", not " + FRoot.ClassName());
            Comp = &FRoot;
        } else {
            const TMetaClass* M = FindClass(ClassName);
            if (!M) throw EReadError(ClassLine, L"unknown class " + ClassName);
            if (!M->Factory())
                throw EReadError(ClassLine, L"class " + ClassName + L" cannot be created");
            Comp = M->Create(&FRoot);
            FCreated.push_back(Comp);
            Comp->SetLoading();
        }
        try {
            Comp->SetName(Name);
        } catch (const Exception& E) {
            throw EReadError(ObjectLine, E.Message());
        }
        if (Parent) {
            auto* Control = dynamic_cast<TControl*>(Comp);
            auto* Container = dynamic_cast<TWinControl*>(Parent);
            if (Control && Container)
                Control->SetParent(Container);
            else
                Comp->SetParentComponent(Parent);
        }
        for (;;) {
            if (FTok.Kind == TTok::End)
                throw EReadError(FTok.Line,
                                 L"object " + Name + L" is not terminated ('end' expected)");
            if (IsWord(L"end")) {
                Advance();
                return;
            }
            if (IsWord(L"object")) {
                ReadObject(Comp);
                continue;
            }
            ReadProperty(*Comp);
        }
    }

    TValue ReadValue() {
        TValue V{};
        if (FTok.Kind == TTok::Integer) {
            V.Kind = TValue::Integer;
            V.Text = FTok.Text;
            Advance();
        } else if (FTok.Kind == TTok::String) {
            V.Kind = TValue::String;
            V.Text = FTok.Text;
            Advance();
            while (IsSymbol(L'+')) {
                Advance();
                if (FTok.Kind != TTok::String) Fail(L"string expected after '+'");
                V.Text += FTok.Text;
                Advance();
            }
        } else if (FTok.Kind == TTok::Ident) {
            V.Kind = TValue::Ident;
            V.Text = FTok.Text;
            Advance();
        } else if (FTok.Kind == TTok::Binary) {
            V.Kind = TValue::Binary;
            V.Bytes = std::move(FTok.Bytes);
            Advance();
        } else if (IsSymbol(L'@')) {
            int Line = FTok.Line;
            Advance();
            std::wstring Res = ExpectIdent(L"resource name");
            auto Data = ResourceData(Res);
            if (Data.empty()) throw EReadError(Line, L"no embedded resource " + Res);
            V.Kind = TValue::Binary;
            V.Bytes.assign(Data.begin(), Data.end());
        } else if (IsSymbol(L'[')) {
            Advance();
            V.Kind = TValue::Set;
            while (!IsSymbol(L']')) {
                V.Items.push_back(ExpectIdent(L"set member"));
                if (IsSymbol(L','))
                    Advance();
                else if (!IsSymbol(L']'))
                    Fail(L"',' or ']' expected");
            }
            Advance();
        } else if (IsSymbol(L'(')) {
            Advance();
            V.Kind = TValue::List;
            while (!IsSymbol(L')')) {
                if (FTok.Kind == TTok::End) Fail(L"')' expected");
                TValue Item = ReadValue();
                if (Item.Kind != TValue::String && Item.Kind != TValue::Integer &&
                    Item.Kind != TValue::Ident)
                    Fail(L"list items are strings, numbers or identifiers");
                V.Items.push_back(Item.Text);
            }
            Advance();
        } else {
            Fail(L"property value expected");
        }
        return V;
    }

    void ReadProperty(TComponent& Comp) {
        int Line = FTok.Line;
        std::wstring Path = ExpectIdent(L"property name, 'object' or 'end'");
        Expect(L'=');
        TValue V = ReadValue();
        try {
            Apply(Comp, Path, V, Line);
        } catch (const EReadError&) {
            throw;
        } catch (const Exception& E) {
            throw EReadError(Line, E.Message());
        }
    }

    static std::optional<std::wstring> WithoutSuffix(const std::wstring& Path,
                                                     const wchar_t* Suffix) {
        std::wstring S = std::wstring(L".") + Suffix;
        if (Path.size() > S.size() && SameText(Path.substr(Path.size() - S.size()), S))
            return Path.substr(0, Path.size() - S.size());
        return std::nullopt;
    }

    void Apply(TComponent& Comp, std::wstring Path, const TValue& V, int Line) {
        const TPropInfo* P = GetPropInfo(Comp, Path);
        if (!P) {
            // "Items.Strings = (...)", "Glyph.Data = {...}": the data of the object itself.
            auto Alt = WithoutSuffix(Path, V.Kind == TValue::List ? L"Strings" : L"Data");
            if (Alt && (V.Kind == TValue::List || V.Kind == TValue::Binary)) {
                P = GetPropInfo(Comp, *Alt);
                if (P) Path = *Alt;
            }
        }
        if (!P)
            throw EReadError(Line, L"unknown property " + Path + L" of " + Comp.Name() + L" (" +
                                       Comp.ClassName() + L")");
        switch (V.Kind) {
        case TValue::List: {
            TPersistent* Obj = P->Kind == TPropKind::Object ? GetObjectProp(Comp, Path) : nullptr;
            if (!Obj) throw EReadError(Line, L"property " + Path + L" takes no list");
            Obj->ReadStrings(V.Items);
            return;
        }
        case TValue::Binary:
            SetBinaryProp(Comp, Path, V.Bytes);
            return;
        case TValue::Set: {
            if (P->Kind != TPropKind::Set)
                throw EReadError(Line, L"property " + Path + L" is not a set");
            std::wstring Text = L"[";
            for (size_t I = 0; I < V.Items.size(); ++I)
                Text += (I ? L"," : L"") + V.Items[I];
            SetPropText(Comp, Path, Text + L"]");
            return;
        }
        case TValue::Ident:
            if (P->Kind == TPropKind::Event) {
                const std::any* H = FRoot.FindHandler(V.Text);
                if (!H) throw EReadError(Line, L"unknown handler " + V.Text + L" for " + Path);
                SetEventHandler(Comp, Path, *H);
                return;
            }
            if (P->Kind == TPropKind::Component) {
                FFixups.push_back({&Comp, Path, V.Text, Line});
                return;
            }
            break;
        default:
            break;
        }
        if (P->Kind == TPropKind::Event || P->Kind == TPropKind::Component)
            throw EReadError(Line, L"property " + Path + L" takes a name");
        SetPropText(Comp, Path, V.Text);
    }

    void Resolve(const TFixup& F) {
        TComponent* Target =
            SameText(F.Target, FRoot.Name()) ? &FRoot : FRoot.FindComponent(F.Target);
        if (!Target) throw EReadError(F.Line, L"no component named " + F.Target);
        try {
            SetObjectProp(*F.Holder, F.Path, Target);
        } catch (const Exception& E) {
            throw EReadError(F.Line, E.Message());
        }
    }

    TComponent& FRoot;
    TLexer FLex;
    TToken FTok;
    std::vector<TComponent*> FCreated;
    std::vector<TFixup> FFixups;
};

} // namespace

void ReadComponentText(TComponent& Root, std::wstring_view Text) {
    TReaderImpl(Root, Text).Read();
}

void ReadComponentText(TComponent& Root, std::string_view Utf8Text) {
    if (Utf8Text.size() >= 3 && Utf8Text.substr(0, 3) == "\xEF\xBB\xBF") Utf8Text.remove_prefix(3);
    std::wstring Text = Utf8ToWide(Utf8Text);
    ReadComponentText(Root, std::wstring_view(Text));
}

std::span<const uint8_t> ResourceData(const std::wstring& Name) {
    HMODULE Module = GetModuleHandleW(nullptr);
    HRSRC Res = FindResourceW(Module, Name.c_str(), reinterpret_cast<LPCWSTR>(RT_RCDATA));
    if (!Res) return {};
    HGLOBAL G = LoadResource(Module, Res);
    auto* P = static_cast<const uint8_t*>(LockResource(G));
    if (!P) return {};
    return {P, SizeofResource(Module, Res)};
}

bool ReadComponentResource(TComponent& Root, const std::wstring& Name) {
    auto Data = ResourceData(Name);
    if (Data.empty()) return false;
    ReadComponentText(Root,
                      std::string_view(reinterpret_cast<const char*>(Data.data()), Data.size()));
    return true;
}
