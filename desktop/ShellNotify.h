// The notification-icon records and the one door through which they reach the shell.
//
// The tray icon fills a record of the shell's own layout: the wide one (936 bytes) on the NT
// family, the 8-bit one (488 bytes) elsewhere, chosen once per process (a 64-bit test build has
// the 64-bit layouts, 952 and 504 bytes). ShellNotifyIcon hands
// it to Shell_NotifyIconW or Shell_NotifyIconA; a test may put a recorder in front:
//
//   auto Previous = SetShellNotifyHandler([&](DWORD Msg, const void* Record, bool Wide) {
//       Calls.push_back(...);                       // copy what it needs of the record
//       return CallShellNotifyIcon(Msg, Record, Wide);   // or TRUE / FALSE without the shell
//   });
//   ...
//   SetShellNotifyHandler(Previous);
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string_view>

constexpr DWORD NIM_ADD_ = 0, NIM_MODIFY_ = 1, NIM_DELETE_ = 2;

struct TNotifyIconDataW {
    DWORD cbSize;
    HWND Wnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    wchar_t szTip[128];
    DWORD dwState;
    DWORD dwStateMask;
    wchar_t szInfo[256];
    UINT uTimeout;
    wchar_t szInfoTitle[64];
    DWORD dwInfoFlags;
};
static_assert(sizeof(TNotifyIconDataW) == (sizeof(void*) == 4 ? 936 : 952));

struct TNotifyIconDataA {
    DWORD cbSize;
    HWND Wnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    char szTip[128];
    DWORD dwState;
    DWORD dwStateMask;
    char szInfo[256];
    UINT uTimeout;
    char szInfoTitle[64];
    DWORD dwInfoFlags;
};
static_assert(sizeof(TNotifyIconDataA) == (sizeof(void*) == 4 ? 488 : 504));

// True on the NT family: the wide record is the one used.
bool ShellUsesWideRecord();

// Record is a TNotifyIconDataW when Wide, else a TNotifyIconDataA.
using TShellNotifyHandler = std::function<BOOL(DWORD Message, const void* Record, bool Wide)>;

// Through the handler a test installed, else straight to the shell.
BOOL ShellNotifyIcon(DWORD Message, const void* Record, bool Wide);
// The shell itself.
BOOL CallShellNotifyIcon(DWORD Message, const void* Record, bool Wide);
// Installs a handler (null: the shell again); returns the one before.
TShellNotifyHandler SetShellNotifyHandler(TShellNotifyHandler Handler);

// Copy Text into a fixed text field of Size characters (or bytes), always terminated. Longer
// texts are cut at a character boundary: never between the halves of a surrogate pair in the
// wide field, never inside a double-byte character of the ANSI code page in the 8-bit field.
void CopyField(wchar_t* Field, size_t Size, std::wstring_view Text);
void CopyField(char* Field, size_t Size, std::wstring_view Text);
