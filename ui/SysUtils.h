// Basic run-time support shared by every unit: the exception base class, text conversion
// between UTF-8, the system's code page and UTF-16, and the single place where unexpected
// exceptions are reported.
//
//   throw Exception(L"Cannot open " + Name);            // wide message
//   throw Exception("Cannot setup comm buffer");         // UTF-8 message
//   class ECommsError : public Exception { using Exception::Exception; };
//
// Code that must not let an exception pass (window procedures, thread bodies) wraps its work
// in try { ... } catch (...) { HandleException(this); }; the application installs a reporter
// that shows a message box (SetExceptionReporter).
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

class TObject;

class Exception : public std::exception {
  public:
    explicit Exception(std::wstring Message);
    explicit Exception(std::string_view Utf8Message);
    const std::wstring& Message() const noexcept { return FMessage; }
    const char* what() const noexcept override { return FUtf8.c_str(); }

  private:
    std::wstring FMessage;
    std::string FUtf8;
};

// Bad text for a typed value (a number, a colour, an enumeration member).
class EConvertError : public Exception {
  public:
    using Exception::Exception;
};

// Index out of range in a list.
class EListError : public Exception {
  public:
    using Exception::Exception;
};

// A component name that is not an identifier or is taken.
class EComponentError : public Exception {
  public:
    using Exception::Exception;
};

// Windows refused a call; the message carries the call and the system error text.
class EOSError : public Exception {
  public:
    EOSError(std::wstring_view Call, unsigned long ErrorCode);
    unsigned long ErrorCode() const noexcept { return FErrorCode; }

  private:
    unsigned long FErrorCode;
};

std::wstring Utf8ToWide(std::string_view Text);
std::string WideToUtf8(std::wstring_view Text);
// ANSI text in the system's code page (what the A functions, the registry's port names and
// windows that are not Unicode give and take).
std::wstring AnsiToWide(std::string_view Text);
std::string WideToAnsi(std::wstring_view Text);

// The message of any exception object: Exception's own, what() of a std::exception.
std::wstring ExceptionMessage(std::exception_ptr E);

// Reports the exception being handled (call inside a catch block). Never throws.
void HandleException(TObject* Sender);

using TExceptionReporter = std::function<void(TObject* Sender, std::exception_ptr E)>;
// Replaces the reporter; returns the previous one so a test can restore it.
TExceptionReporter SetExceptionReporter(TExceptionReporter Reporter);

// Case-insensitive comparison of identifiers (ASCII letters; other characters compare as is).
bool SameText(std::wstring_view A, std::wstring_view B) noexcept;
// ASCII letters only, as SameText compares them.
std::wstring LowerCase(std::wstring_view Text);
std::wstring UpperCase(std::wstring_view Text);
std::wstring Trim(std::wstring_view Text);
std::wstring IntToStr(long long Value);
std::wstring UIntToStr(unsigned long long Value);
std::wstring IntToHex(unsigned long long Value, int Digits);
// Decimal, or hexadecimal with a '$' or "0x" prefix; an optional leading '-'. Throws
// EConvertError on anything else or on overflow of 64 bits.
long long StrToInt64(std::wstring_view Text);
bool TryStrToInt64(std::wstring_view Text, long long& Value) noexcept;
bool IsValidIdent(std::wstring_view Name) noexcept;
