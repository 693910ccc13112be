// Requests that reach the dialer from outside its keypad: a number handed over on the command
// line, a tel: or callto: link, another program's message, or pasted text.
//
//   NormalizeNumber(L"tel:+86-10-1234-5678;ext=9")   -> L"00861012345678"
//   NormalizeNumber(L"（010）１２３４")                -> L"0101234"
//   NormalizeNumber(L"call me")                       -> std::nullopt
//   ParseRequest(L"/answer").Kind                     -> TRequestKind::Answer
//
// Portable: no platform calls, so it is tested and fuzzed on the host too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The longest number the device is asked to dial.
inline constexpr size_t MaxNumberLength = 32;

// Marks a WM_COPYDATA message as a request of ours (its dwData); nothing else is taken for one.
inline constexpr uint32_t RequestSignature = 0xD1A1E125;
// The longest text (in UTF-16 units) a request or a paste may be; longer ones are refused.
inline constexpr size_t MaxRequestLength = 1024;

// The dialable form of a number as people write it: visual separators and invisible marks
// dropped, full-width forms read as ASCII, a tel: or callto: link's escapes decoded (and a
// tel: link's parameters dropped), a leading "+" made the international prefix "00". The result
// holds 1 to MaxNumberLength of the characters 0-9, "*" and "#"; anything else is refused.
std::optional<std::wstring> NormalizeNumber(std::wstring_view Text);

enum class TRequestKind { Refused, Number, Answer, Hangup, Show, Register, Unregister };

struct TDialRequest {
    TRequestKind Kind = TRequestKind::Refused;
    std::wstring Number; // for TRequestKind::Number: the dialable form
};

// What a request text asks: a switch ("/answer", "/hangup", "/show", "/register",
// "/unregister", in any case, alone) or a number in any form NormalizeNumber takes.
TDialRequest ParseRequest(std::wstring_view Text);

// The request text of a command line's arguments (the program's name left out): a number
// written with spaces may arrive as several arguments.
std::wstring RequestText(const std::vector<std::wstring>& Arguments);
