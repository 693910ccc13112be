#include "ShellNotify.h"
#include "SysUtils.h"

#include <shellapi.h>

#include <cstddef>
#include <string>
#include <utility>

// Our records are the shell's version-2 records, on either architecture.
static_assert(sizeof(TNotifyIconDataW) == NOTIFYICONDATAW_V2_SIZE &&
              offsetof(TNotifyIconDataW, hIcon) == offsetof(NOTIFYICONDATAW, hIcon) &&
              offsetof(TNotifyIconDataW, dwInfoFlags) == offsetof(NOTIFYICONDATAW, dwInfoFlags));
static_assert(sizeof(TNotifyIconDataA) == NOTIFYICONDATAA_V2_SIZE &&
              offsetof(TNotifyIconDataA, hIcon) == offsetof(NOTIFYICONDATAA, hIcon) &&
              offsetof(TNotifyIconDataA, dwInfoFlags) == offsetof(NOTIFYICONDATAA, dwInfoFlags));

namespace {

TShellNotifyHandler& Handler() {
    static TShellNotifyHandler H;
    return H;
}

bool DetectNTFamily() {
    // GetVersionEx is deprecated for version numbers, not for the platform family, which is
    // all that is asked here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    OSVERSIONINFOW Info{};
    Info.dwOSVersionInfoSize = sizeof(Info);
    if (!GetVersionExW(&Info)) return true;
#pragma GCC diagnostic pop
    return Info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

} // namespace

bool ShellUsesWideRecord() {
    static const bool NT = DetectNTFamily();
    return NT;
}

BOOL CallShellNotifyIcon(DWORD Message, const void* Record, bool Wide) {
    // The shell reads cbSize bytes and writes nothing back.
    if (Wide)
        return Shell_NotifyIconW(
            Message, const_cast<NOTIFYICONDATAW*>(static_cast<const NOTIFYICONDATAW*>(Record)));
    return Shell_NotifyIconA(
        Message, const_cast<NOTIFYICONDATAA*>(static_cast<const NOTIFYICONDATAA*>(Record)));
}

BOOL ShellNotifyIcon(DWORD Message, const void* Record, bool Wide) {
    if (Handler()) return Handler()(Message, Record, Wide);
    return CallShellNotifyIcon(Message, Record, Wide);
}

TShellNotifyHandler SetShellNotifyHandler(TShellNotifyHandler H) {
    return std::exchange(Handler(), std::move(H));
}

void CopyField(wchar_t* Field, size_t Size, std::wstring_view Text) {
    if (Size == 0) return;
    size_t N = std::min(Text.size(), Size - 1);
    // Never keep the first half of a pair whose second half was cut off.
    if (N < Text.size() && N > 0 && IS_HIGH_SURROGATE(Text[N - 1])) --N;
    Text.copy(Field, N);
    std::fill(Field + N, Field + Size, L'\0');
}

void CopyField(char* Field, size_t Size, std::wstring_view Text) {
    if (Size == 0) return;
    const std::string Ansi = WideToAnsi(Text);
    // Walk whole characters so that a double-byte one is kept or dropped as a whole.
    size_t N = 0;
    while (N < Ansi.size()) {
        size_t Step = IsDBCSLeadByte(static_cast<BYTE>(Ansi[N])) ? 2 : 1;
        if (N + Step > Size - 1 || N + Step > Ansi.size()) break;
        N += Step;
    }
    Ansi.copy(Field, N);
    std::fill(Field + N, Field + Size, '\0');
}
