// The sending side of a request: a second start of the program hands what its command line
// asks to the running instance's window and ends.
#pragma once

#include <string>
#include <vector>

#include <windows.h>

// The command line's arguments after the program's name.
std::vector<std::wstring> CommandLineArguments();

// Hands the request text to the running instance's main window (WM_COPYDATA, marked with
// RequestSignature) and lets it come to the foreground; true when the instance took the
// request. Waits at most 10 s for an answer, which the instance gives before acting.
bool HandOver(HWND Instance, const std::wstring& Text);
