#include "app/DialRequest.h"

#include <array>

namespace {

// Full-width forms (what a Chinese input method types) count as their ASCII forms.
char32_t Fold(char32_t C) {
    if (C >= 0xFF01 && C <= 0xFF5E) return C - 0xFEE0;
    if (C == 0x3000) return U' '; // ideographic space
    return C;
}

// Marks that text copied from web pages and contact cards carries without showing them:
// soft hyphen, zero-width spaces and joiners, direction marks and embeddings, byte order mark.
bool IsInvisible(char32_t C) {
    return C == 0x00AD || (C >= 0x200B && C <= 0x200F) || (C >= 0x202A && C <= 0x202E) ||
           (C >= 0x2060 && C <= 0x2064) || C == 0xFEFF;
}

bool IsSpace(char32_t C) {
    return C == U' ' || C == 0x00A0 || (C >= 0x2000 && C <= 0x200A) || C == 0x202F || C == 0x205F;
}

// What people put between the digits to make a number readable.
bool IsSeparator(char32_t C) {
    switch (C) {
    case U'-':
    case U'.':
    case U'(':
    case U')':
    case U'/':
        return true;
    default:
        // Hyphens and dashes of word processors, the minus sign, the small hyphen-minus.
        return IsSpace(C) || (C >= 0x2010 && C <= 0x2015) || C == 0x2212 || C == 0xFE63;
    }
}

// Line ends and tabs may surround a copied cell, never stand inside a number (between two
// cells of a spreadsheet, say).
bool IsBlank(char32_t C) {
    return IsSpace(C) || IsInvisible(C) || C == U'\t' || C == U'\r' || C == U'\n';
}

std::u32string Widen(std::wstring_view Text) {
    std::u32string Out;
    Out.reserve(Text.size());
    for (wchar_t C : Text)
        Out += Fold(static_cast<char32_t>(C));
    return Out;
}

std::u32string_view Trim(std::u32string_view S) {
    while (!S.empty() && IsBlank(S.front()))
        S.remove_prefix(1);
    while (!S.empty() && IsBlank(S.back()))
        S.remove_suffix(1);
    return S;
}

char32_t LowerAscii(char32_t C) {
    return C >= U'A' && C <= U'Z' ? C + 32 : C;
}

// Removes the scheme from S when S starts with it (in any case).
bool TakeScheme(std::u32string_view& S, std::u32string_view Scheme) {
    if (S.size() < Scheme.size()) return false;
    for (size_t I = 0; I < Scheme.size(); ++I)
        if (LowerAscii(S[I]) != Scheme[I]) return false;
    S.remove_prefix(Scheme.size());
    return true;
}

int HexValue(char32_t C) {
    if (C >= U'0' && C <= U'9') return static_cast<int>(C - U'0');
    C = LowerAscii(C);
    if (C >= U'a' && C <= U'f') return static_cast<int>(C - U'a' + 10);
    return -1;
}

// Decodes one UTF-8 sequence from the bytes at Pos; false for anything malformed.
bool DecodeUtf8(const std::vector<unsigned char>& Bytes, size_t& Pos, char32_t& Out) {
    const unsigned char Lead = Bytes[Pos];
    size_t Extra = 0;
    char32_t Min = 0;
    if (Lead < 0x80) {
        Out = Lead;
    } else if ((Lead & 0xE0) == 0xC0) {
        Extra = 1, Out = Lead & 0x1F, Min = 0x80;
    } else if ((Lead & 0xF0) == 0xE0) {
        Extra = 2, Out = Lead & 0x0F, Min = 0x800;
    } else if ((Lead & 0xF8) == 0xF0) {
        Extra = 3, Out = Lead & 0x07, Min = 0x10000;
    } else {
        return false;
    }
    if (Bytes.size() - Pos - 1 < Extra) return false;
    for (size_t I = 1; I <= Extra; ++I) {
        const unsigned char Next = Bytes[Pos + I];
        if ((Next & 0xC0) != 0x80) return false;
        Out = (Out << 6) | (Next & 0x3F);
    }
    if (Out < Min || Out > 0x10FFFF || (Out >= 0xD800 && Out <= 0xDFFF)) return false;
    Pos += Extra + 1;
    return true;
}

// A link's %XX escapes, which stand for the bytes of UTF-8 text.
std::optional<std::u32string> DecodeEscapes(std::u32string_view S) {
    std::u32string Out;
    for (size_t I = 0; I < S.size();) {
        if (S[I] != U'%') {
            Out += S[I++];
            continue;
        }
        std::vector<unsigned char> Bytes;
        while (I < S.size() && S[I] == U'%') {
            if (S.size() - I < 3) return std::nullopt;
            const int High = HexValue(S[I + 1]), Low = HexValue(S[I + 2]);
            if (High < 0 || Low < 0) return std::nullopt;
            Bytes.push_back(static_cast<unsigned char>(High * 16 + Low));
            I += 3;
        }
        for (size_t Pos = 0; Pos < Bytes.size();) {
            char32_t C;
            if (!DecodeUtf8(Bytes, Pos, C)) return std::nullopt;
            Out += Fold(C);
        }
    }
    return Out;
}

} // namespace

std::optional<std::wstring> NormalizeNumber(std::wstring_view Text) {
    if (Text.size() > MaxRequestLength) return std::nullopt;
    const std::u32string Folded = Widen(Text);
    std::u32string_view S = Trim(Folded);
    std::u32string Decoded;
    const bool Tel = TakeScheme(S, U"tel:");
    if (Tel || TakeScheme(S, U"callto:")) {
        // A tel: link's parameters (";ext=", ";phone-context=" ...) are no part of what is
        // dialled; an escaped ";" is.
        if (Tel) S = S.substr(0, S.find(U';'));
        // Skype's form, "callto://+123".
        if (S.starts_with(U"//")) S.remove_prefix(2);
        auto Unescaped = DecodeEscapes(S);
        if (!Unescaped) return std::nullopt;
        Decoded = std::move(*Unescaped);
        S = Trim(Decoded);
    }

    std::wstring Number;
    bool Plus = false;
    for (char32_t C : S) {
        if (IsSeparator(C) || IsInvisible(C)) continue;
        if (C == U'+' && Number.empty() && !Plus) {
            Plus = true;
            continue;
        }
        if (!((C >= U'0' && C <= U'9') || C == U'*' || C == U'#')) return std::nullopt;
        if (Number.size() >= MaxNumberLength) return std::nullopt;
        Number += static_cast<wchar_t>(C);
    }
    if (Number.empty()) return std::nullopt;
    if (Plus) Number.insert(0, L"00");
    if (Number.size() > MaxNumberLength) return std::nullopt;
    return Number;
}

TDialRequest ParseRequest(std::wstring_view Text) {
    static constexpr std::array<std::pair<std::wstring_view, TRequestKind>, 5> Switches{{
        {L"/answer", TRequestKind::Answer},
        {L"/hangup", TRequestKind::Hangup},
        {L"/show", TRequestKind::Show},
        {L"/register", TRequestKind::Register},
        {L"/unregister", TRequestKind::Unregister},
    }};
    const std::u32string Folded = Widen(Text);
    const std::u32string_view S = Trim(Folded);
    for (const auto& [Name, Kind] : Switches) {
        if (S.size() != Name.size()) continue;
        bool Same = true;
        for (size_t I = 0; I < S.size() && Same; ++I)
            Same = LowerAscii(S[I]) == static_cast<char32_t>(Name[I]);
        if (Same) return {Kind, {}};
    }
    if (auto Number = NormalizeNumber(Text)) return {TRequestKind::Number, std::move(*Number)};
    return {};
}

std::wstring RequestText(const std::vector<std::wstring>& Arguments) {
    std::wstring Text;
    for (const std::wstring& Argument : Arguments) {
        if (!Text.empty()) Text += L' ';
        Text += Argument;
    }
    return Text;
}
