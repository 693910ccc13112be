// The program as the current user's handler for tel: and callto: links: per-user keys under
// HKEY_CURRENT_USER only (no administrator rights), and the capabilities entry through which
// Windows' default-apps settings offer the program for both links.
//
//   RegisterLinks(ProgramPath());     // "dialer.exe /register"
//   UnregisterLinks(ProgramPath());   // "dialer.exe /unregister"
//
// These are the only writes the program ever makes. Unregistering removes what registering
// wrote and nothing else: the keys named after the program, and in the tel and callto keys,
// which other programs use too, its values only while that link still opens this program
// file; a key goes only once it is left empty. Another program's registration is never touched.
#pragma once

#include <string>
#include <vector>

#include <windows.h>

struct TLinkValue {
    std::wstring Key;  // under HKEY_CURRENT_USER
    std::wstring Name; // empty: the key's default value
    std::wstring Data; // REG_SZ
    // The class key of a link that other programs may register too (empty for the keys named
    // after this program).
    std::wstring SharedClass;
};

// Every value registering writes for the program at Path, parents before children.
std::vector<TLinkValue> LinkValues(const std::wstring& Path);

// True when every value was written.
bool RegisterLinks(const std::wstring& Path);
// True when nothing of ours is left (also when nothing was registered).
bool UnregisterLinks(const std::wstring& Path);

// The full path of the running program.
std::wstring ProgramPath();
