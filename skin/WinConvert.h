// Text helpers of the skin engine: ANSI text of windows that are not Unicode converted with the
// system code page, text drawing through the wide or the ANSI function as the platform wants
// it, and a window's class name.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// True on the Windows NT family (every system this program runs on today).
extern const bool SkinIsNT;
// DrawTextW with the text on the NT family, else the text converted to ANSI and DrawTextA
// (length -1). Returns what the call returns (the text height).
int SkinDrawText(HDC DC, const std::wstring& Text, RECT& Rect, UINT Format);

// A window's text: read wide for a Unicode window, else as ANSI text of up to 1000 characters
// converted with the skin's code page.
std::wstring SkinWindowText(HWND Wnd, bool Unicode);

// The name of a window's class as the system registered it (up to 100 characters, which every
// class the skin knows fits); empty when the window is gone.
std::wstring WindowClassName(HWND Wnd);
