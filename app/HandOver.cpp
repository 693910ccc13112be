#include "app/HandOver.h"

#include <algorithm>

#include <shellapi.h>

#include "app/DialRequest.h"

std::vector<std::wstring> CommandLineArguments() {
    int Count = 0;
    LPWSTR* Arguments = CommandLineToArgvW(GetCommandLineW(), &Count);
    if (!Arguments) return {};
    std::vector<std::wstring> Result(Arguments + std::min(Count, 1), Arguments + Count);
    LocalFree(Arguments);
    return Result;
}

bool HandOver(HWND Instance, const std::wstring& Text) {
    if (Text.size() > MaxRequestLength) return false;
    // Windows lets a program come forward only when the one in front allows it: that is us,
    // started by the user's click or key just now.
    DWORD Process = 0;
    GetWindowThreadProcessId(Instance, &Process);
    AllowSetForegroundWindow(Process);
    COPYDATASTRUCT Data{};
    Data.dwData = RequestSignature;
    Data.cbData = static_cast<DWORD>(Text.size() * sizeof(wchar_t));
    Data.lpData = const_cast<wchar_t*>(Text.data());
    DWORD_PTR Answer = FALSE;
    return SendMessageTimeoutW(Instance, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&Data),
                               SMTO_ABORTIFHUNG, 10000, &Answer) &&
           Answer == TRUE;
}
