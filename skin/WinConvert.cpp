#include "WinConvert.h"

#include "SysUtils.h"

#include <algorithm>
#include <vector>

const bool SkinIsNT = (GetVersion() & 0x80000000u) == 0;

int SkinDrawText(HDC DC, const std::wstring& Text, RECT& Rect, UINT Format) {
    if (SkinIsNT) return DrawTextW(DC, Text.c_str(), static_cast<int>(Text.size()), &Rect, Format);
    const std::string Ansi = WideToAnsi(Text);
    return DrawTextA(DC, Ansi.c_str(), -1, &Rect, Format);
}

std::wstring SkinWindowText(HWND Wnd, bool Unicode) {
    if (Unicode) {
        const int N = GetWindowTextLengthW(Wnd);
        std::wstring Text(static_cast<size_t>(N) + 1, L'\0');
        Text.resize(static_cast<size_t>(std::max(GetWindowTextW(Wnd, Text.data(), N + 1), 0)));
        return Text;
    }
    char Buffer[1001];
    const int N = GetWindowTextA(Wnd, Buffer, sizeof(Buffer));
    return AnsiToWide(std::string_view(Buffer, static_cast<size_t>(std::max(N, 0))));
}

std::wstring WindowClassName(HWND Wnd) {
    wchar_t Name[101]{};
    GetClassNameW(Wnd, Name, 101);
    return Name;
}
