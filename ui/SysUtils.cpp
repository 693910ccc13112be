#include "SysUtils.h"

#include <windows.h>

#include <algorithm>

namespace {

TExceptionReporter& Reporter() {
    static TExceptionReporter R;
    return R;
}

void DefaultReport(std::exception_ptr E) {
    std::wstring Text = ExceptionMessage(E);
    MessageBoxW(nullptr, Text.c_str(), L"Error", MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}

} // namespace

Exception::Exception(std::wstring Message)
    : FMessage(std::move(Message)), FUtf8(WideToUtf8(FMessage)) {}

Exception::Exception(std::string_view Utf8Message)
    : FMessage(Utf8ToWide(Utf8Message)), FUtf8(Utf8Message) {}

static std::wstring SystemErrorText(unsigned long Code) {
    wchar_t* Buffer = nullptr;
    DWORD Length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, Code, 0, reinterpret_cast<wchar_t*>(&Buffer), 0, nullptr);
    std::wstring Text = Length ? std::wstring(Buffer, Length) : std::wstring();
    if (Buffer) LocalFree(Buffer);
    return Trim(Text);
}

EOSError::EOSError(std::wstring_view Call, unsigned long ErrorCode)
    : Exception(std::wstring(Call) + L" failed (" + IntToStr(ErrorCode) + L") " +
                SystemErrorText(ErrorCode)),
      FErrorCode(ErrorCode) {}

std::wstring AnsiToWide(std::string_view Text) {
    if (Text.empty()) return {};
    const int Size = static_cast<int>(Text.size());
    const int N = MultiByteToWideChar(CP_ACP, 0, Text.data(), Size, nullptr, 0);
    std::wstring Out(static_cast<size_t>(std::max(N, 0)), L'\0');
    if (N > 0) MultiByteToWideChar(CP_ACP, 0, Text.data(), Size, Out.data(), N);
    return Out;
}

std::string WideToAnsi(std::wstring_view Text) {
    if (Text.empty()) return {};
    const int Size = static_cast<int>(Text.size());
    const int N = WideCharToMultiByte(CP_ACP, 0, Text.data(), Size, nullptr, 0, nullptr, nullptr);
    std::string Out(static_cast<size_t>(std::max(N, 0)), '\0');
    if (N > 0) WideCharToMultiByte(CP_ACP, 0, Text.data(), Size, Out.data(), N, nullptr, nullptr);
    return Out;
}

std::wstring Utf8ToWide(std::string_view Text) {
    std::wstring Out;
    Out.reserve(Text.size());
    size_t I = 0;
    while (I < Text.size()) {
        unsigned char C = static_cast<unsigned char>(Text[I]);
        char32_t Code;
        int More;
        if (C < 0x80) {
            Code = C;
            More = 0;
        } else if ((C & 0xE0) == 0xC0) {
            Code = C & 0x1F;
            More = 1;
        } else if ((C & 0xF0) == 0xE0) {
            Code = C & 0x0F;
            More = 2;
        } else if ((C & 0xF8) == 0xF0) {
            Code = C & 0x07;
            More = 3;
        } else {
            Out += L'\xFFFD';
            ++I;
            continue;
        }
        bool Ok = I + static_cast<size_t>(More) < Text.size();
        for (int K = 1; Ok && K <= More; ++K) {
            unsigned char N = static_cast<unsigned char>(Text[I + K]);
            if ((N & 0xC0) != 0x80)
                Ok = false;
            else
                Code = (Code << 6) | (N & 0x3F);
        }
        if (!Ok) {
            Out += L'\xFFFD';
            ++I;
            continue;
        }
        I += More + 1;
        if (Code >= 0x10000) {
            Code -= 0x10000;
            Out += static_cast<wchar_t>(0xD800 + (Code >> 10));
            Out += static_cast<wchar_t>(0xDC00 + (Code & 0x3FF));
        } else {
            Out += static_cast<wchar_t>(Code);
        }
    }
    return Out;
}

std::string WideToUtf8(std::wstring_view Text) {
    std::string Out;
    Out.reserve(Text.size());
    for (size_t I = 0; I < Text.size(); ++I) {
        char32_t Code = static_cast<char16_t>(Text[I]);
        if (Code >= 0xD800 && Code < 0xDC00 && I + 1 < Text.size() &&
            static_cast<char16_t>(Text[I + 1]) >= 0xDC00 &&
            static_cast<char16_t>(Text[I + 1]) < 0xE000) {
            Code =
                0x10000 + ((Code - 0xD800) << 10) + (static_cast<char16_t>(Text[I + 1]) - 0xDC00);
            ++I;
        }
        if (Code < 0x80) {
            Out += static_cast<char>(Code);
        } else if (Code < 0x800) {
            Out += static_cast<char>(0xC0 | (Code >> 6));
            Out += static_cast<char>(0x80 | (Code & 0x3F));
        } else if (Code < 0x10000) {
            Out += static_cast<char>(0xE0 | (Code >> 12));
            Out += static_cast<char>(0x80 | ((Code >> 6) & 0x3F));
            Out += static_cast<char>(0x80 | (Code & 0x3F));
        } else {
            Out += static_cast<char>(0xF0 | (Code >> 18));
            Out += static_cast<char>(0x80 | ((Code >> 12) & 0x3F));
            Out += static_cast<char>(0x80 | ((Code >> 6) & 0x3F));
            Out += static_cast<char>(0x80 | (Code & 0x3F));
        }
    }
    return Out;
}

std::wstring ExceptionMessage(std::exception_ptr E) {
    try {
        if (E) std::rethrow_exception(E);
        return {};
    } catch (const Exception& X) {
        return X.Message();
    } catch (const std::exception& X) {
        return Utf8ToWide(X.what());
    } catch (...) {
        return L"Unknown exception";
    }
}

void HandleException(TObject* Sender) {
    std::exception_ptr E = std::current_exception();
    try {
        if (Reporter())
            Reporter()(Sender, E);
        else
            DefaultReport(E);
    } catch (...) {
        // The reporter itself failed; there is nobody left to tell.
    }
}

TExceptionReporter SetExceptionReporter(TExceptionReporter R) {
    TExceptionReporter Old = std::move(Reporter());
    Reporter() = std::move(R);
    return Old;
}

static wchar_t LowerAscii(wchar_t C) noexcept {
    return C >= L'A' && C <= L'Z' ? C + 32 : C;
}

bool SameText(std::wstring_view A, std::wstring_view B) noexcept {
    if (A.size() != B.size()) return false;
    for (size_t I = 0; I < A.size(); ++I)
        if (LowerAscii(A[I]) != LowerAscii(B[I])) return false;
    return true;
}

std::wstring LowerCase(std::wstring_view Text) {
    std::wstring Out(Text);
    for (auto& C : Out)
        C = LowerAscii(C);
    return Out;
}

std::wstring UpperCase(std::wstring_view Text) {
    std::wstring Out(Text);
    for (auto& C : Out)
        if (C >= L'a' && C <= L'z') C -= 32;
    return Out;
}

std::wstring Trim(std::wstring_view Text) {
    size_t B = 0, E = Text.size();
    while (B < E && Text[B] <= L' ')
        ++B;
    while (E > B && Text[E - 1] <= L' ')
        --E;
    return std::wstring(Text.substr(B, E - B));
}

// Digits written here: std::to_wstring goes through the C library's wide printf, which would
// bring a whole formatter, floating point and all, into the program for integers alone.
std::wstring UIntToStr(unsigned long long Value) {
    wchar_t Digits[20];
    wchar_t* const End = std::end(Digits);
    wchar_t* First = End;
    do {
        *--First = static_cast<wchar_t>(L'0' + Value % 10);
        Value /= 10;
    } while (Value);
    return std::wstring(First, End);
}

std::wstring IntToStr(long long Value) {
    if (Value >= 0) return UIntToStr(static_cast<unsigned long long>(Value));
    return L'-' + UIntToStr(0ull - static_cast<unsigned long long>(Value));
}

std::wstring IntToHex(unsigned long long Value, int Digits) {
    static const wchar_t Hex[] = L"0123456789ABCDEF";
    std::wstring Out;
    do {
        Out.insert(Out.begin(), Hex[Value & 15]);
        Value >>= 4;
    } while (Value);
    while (static_cast<int>(Out.size()) < Digits)
        Out.insert(Out.begin(), L'0');
    return Out;
}

bool TryStrToInt64(std::wstring_view Text, long long& Value) noexcept {
    std::wstring_view S = Text;
    while (!S.empty() && S.front() == L' ')
        S.remove_prefix(1);
    while (!S.empty() && S.back() == L' ')
        S.remove_suffix(1);
    bool Negative = false;
    if (!S.empty() && (S.front() == L'-' || S.front() == L'+')) {
        Negative = S.front() == L'-';
        S.remove_prefix(1);
    }
    unsigned Base = 10;
    if (!S.empty() && S.front() == L'$') {
        Base = 16;
        S.remove_prefix(1);
    } else if (S.size() > 1 && S[0] == L'0' && (S[1] == L'x' || S[1] == L'X')) {
        Base = 16;
        S.remove_prefix(2);
    }
    if (S.empty()) return false;
    unsigned long long Acc = 0;
    for (wchar_t C : S) {
        unsigned D;
        if (C >= L'0' && C <= L'9')
            D = C - L'0';
        else if (Base == 16 && LowerAscii(C) >= L'a' && LowerAscii(C) <= L'f')
            D = LowerAscii(C) - L'a' + 10;
        else
            return false;
        if (Acc > (~0ULL - D) / Base) return false;
        Acc = Acc * Base + D;
    }
    // Hexadecimal is a bit pattern ($FFFFFFFF is -1 as a 32-bit value is the caller's business);
    // decimal must fit the signed range.
    if (Base == 10 && Acc > (Negative ? 0x8000000000000000ULL : 0x7FFFFFFFFFFFFFFFULL))
        return false;
    Value = Negative ? static_cast<long long>(0 - Acc) : static_cast<long long>(Acc);
    return true;
}

long long StrToInt64(std::wstring_view Text) {
    long long V;
    if (!TryStrToInt64(Text, V))
        throw EConvertError(L"'" + std::wstring(Text) + L"' is not a valid integer value");
    return V;
}

bool IsValidIdent(std::wstring_view Name) noexcept {
    if (Name.empty()) return false;
    auto Alpha = [](wchar_t C) {
        return (C >= L'A' && C <= L'Z') || (C >= L'a' && C <= L'z') || C == L'_';
    };
    if (!Alpha(Name[0])) return false;
    for (wchar_t C : Name)
        if (!Alpha(C) && !(C >= L'0' && C <= L'9')) return false;
    return true;
}
