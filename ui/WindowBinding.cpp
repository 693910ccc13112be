#include "WindowBinding.h"

#include "SysUtils.h"

TWindowBindingName::TWindowBindingName(const wchar_t* Kind)
    : FName(L"Dialer" + std::wstring(Kind) + IntToHex(GetCurrentProcessId(), 8)) {}
