// probe: reads another program's windows from outside, for end-to-end checks.
//   probe tree [CLASS]        the top-level window of that class (default TFmain) and every
//                             descendant: one line each, indented by depth:
//                             <class> "<text>" <left> <top> <width> <height> visible|hidden
//                             (rectangles relative to the parent's client area)
//   probe screen [CLASS]      the same with rectangles in screen coordinates
//   probe style CLASS         "topmost" or "normal", then "maximizebox" or "nomaximizebox",
//                             then "client W H"
//   probe show|hide|minimize CLASS   shows, hides or minimises that top-level window
//   probe watch CLASS SKIP MS FILE   for MS milliseconds, writes to FILE every text the
//                             dialer's control of that class (after SKIP others of it, in tree
//                             order) shows, as it changes, each line at once; a request is always
//                             pending, so short-lived texts are seen
//   probe msgbox [TIMEOUT_MS] waits for a message box; prints its title and its text
//   probe press [TIMEOUT_MS]  waits for a message box and presses its default button
//   probe boxes MS            for MS milliseconds, counts the message boxes open; prints the
//                             largest number open at one time
//   probe wait CLASS TIMEOUT_MS   waits until a top-level window of that class exists
//   probe shown CLASS TIMEOUT_MS  waits until a top-level window of that class shows
//   probe close CLASS         asks the top-level window of that class to close
//   probe skinned CLASS|box [TIMEOUT_MS]   whether that window (or a message box, waited for)
//                             wears a skin: the answer to the skin's query message, 0 or 1
//   probe menu [TIMEOUT_MS]   waits for a shown popup menu window; prints its rectangle
//   probe request TEXT...     hands each TEXT to the dialer as a request, as a second start of
//                             the program does; prints 1 (taken) or 0 for each
//   probe flood MS TEXT...    the same, the requests spread evenly over MS milliseconds;
//                             prints how many were taken
//   probe clip TEXT           puts TEXT on the clipboard
//   probe open URL            opens URL through the shell (ShellExecute "open"); prints the
//                             shell's answer (above 32 is success)
// Texts are printed as UTF-8. Exit status 0 on success, 1 when nothing was found in time.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <windows.h>

#include <shellapi.h>

#include "app/DialRequest.h"

namespace {

std::string Utf8(const std::wstring& w) {
    if (w.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr,
                        nullptr);
    return s;
}

// WM_GETTEXT works across processes, unlike GetWindowText for controls.
std::wstring TextOf(HWND w) {
    const LRESULT length = SendMessageW(w, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(w, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(wcslen(text.c_str()));
    return text;
}

std::wstring ClassOf(HWND w) {
    wchar_t name[256] = {};
    GetClassNameW(w, name, 256);
    return name;
}

bool ScreenRects = false;

void Print(HWND w, int depth) {
    RECT r;
    GetWindowRect(w, &r);
    if (HWND parent = GetParent(w);
        !ScreenRects && parent && (GetWindowLongW(w, GWL_STYLE) & WS_CHILD))
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    std::string text = Utf8(TextOf(w));
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    std::printf("%*s%s \"%s\" %ld %ld %ld %ld %s\n", depth * 2, "", Utf8(ClassOf(w)).c_str(),
                text.c_str(), r.left, r.top, r.right - r.left, r.bottom - r.top,
                IsWindowVisible(w) ? "visible" : "hidden");
}

void Tree(HWND w, int depth) {
    Print(w, depth);
    for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        Tree(c, depth + 1);
}

void Collect(HWND w, const std::wstring& cls, std::vector<HWND>& found) {
    for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (ClassOf(c) == cls) found.push_back(c);
        Collect(c, cls, found);
    }
}

int Watch(const std::wstring& cls, size_t skip, DWORD ms, const char* path) {
    const ULONGLONG end = GetTickCount64() + ms;
    // The window may be on its way back from hiding; look again until it can be read.
    HWND control = nullptr;
    while (!control && GetTickCount64() < end) {
        std::vector<HWND> found;
        if (HWND top = FindWindowA("TFmain", nullptr)) Collect(top, cls, found);
        if (found.size() > skip)
            control = found[skip];
        else
            Sleep(20);
    }
    if (!control) return 1;
    FILE* out = std::fopen(path, "w");
    if (!out) return 1;
    std::wstring last = L"\x1";
    while (GetTickCount64() < end) {
        const std::wstring text = TextOf(control);
        if (text != last) {
            std::fprintf(out, "%s\n", Utf8(text).c_str());
            std::fflush(out);
            last = text;
        }
        Sleep(2);
    }
    std::fclose(out);
    return 0;
}

template <class F> HWND WaitFor(DWORD timeoutMs, F find) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (HWND w = find()) return w;
        if (GetTickCount64() >= end) return nullptr;
        Sleep(20);
    }
}

bool AnyBox = false; // also boxes that are not shown, to find one hidden by its owner

BOOL CALLBACK FindBox(HWND w, LPARAM found) {
    if (ClassOf(w) == L"#32770" && (AnyBox || IsWindowVisible(w))) {
        *reinterpret_cast<HWND*>(found) = w;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CountBox(HWND w, LPARAM count) {
    if (ClassOf(w) == L"#32770" && IsWindowVisible(w)) ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int MostBoxesAtOnce(DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    int most = 0;
    while (GetTickCount64() < end) {
        int now = 0;
        EnumWindows(CountBox, reinterpret_cast<LPARAM>(&now));
        most = std::max(most, now);
        Sleep(5);
    }
    return most;
}

HWND FindMessageBox() {
    HWND found = nullptr;
    EnumWindows(FindBox, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::wstring MessageText(HWND box) {
    // The message is the box's static text control (id 0xFFFF in Wine and Windows).
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (ClassOf(c) == L"Static" && !TextOf(c).empty()) return TextOf(c);
    return {};
}

// The arguments as Unicode: texts with full-width or Chinese characters arrive intact.
std::vector<std::wstring> WideArguments() {
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> result(args, args + count);
    LocalFree(args);
    return result;
}

bool Request(HWND dialer, const std::wstring& text) {
    COPYDATASTRUCT data{};
    data.dwData = RequestSignature;
    data.cbData = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    data.lpData = const_cast<wchar_t*>(text.data());
    DWORD_PTR answer = FALSE;
    return SendMessageTimeoutW(dialer, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                               SMTO_ABORTIFHUNG, 10000, &answer) &&
           answer == TRUE;
}

int Requests(const std::vector<std::wstring>& texts, DWORD ms, bool each) {
    HWND dialer = FindWindowA("TFmain", nullptr);
    if (!dialer) return 1;
    const ULONGLONG start = GetTickCount64();
    int taken = 0;
    for (size_t i = 0; i < texts.size(); ++i) {
        const ULONGLONG due = start + ms * i / texts.size();
        while (GetTickCount64() < due)
            Sleep(1);
        const bool ok = Request(dialer, texts[i]);
        taken += ok;
        if (each) std::printf("%d\n", ok ? 1 : 0);
    }
    if (!each) std::printf("%d\n", taken);
    return 0;
}

bool SetClipboard(const std::wstring& text) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    bool ok = false;
    if (memory) {
        std::copy(text.c_str(), text.c_str() + text.size() + 1,
                  static_cast<wchar_t*>(GlobalLock(memory)));
        GlobalUnlock(memory);
        ok = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        if (!ok) GlobalFree(memory);
    }
    CloseClipboard();
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    std::string command = argc > 1 ? argv[1] : "tree";
    if (command == "screen") {
        ScreenRects = true;
        command = "tree";
    }
    if (command == "style" && argc > 2) {
        HWND w = FindWindowA(argv[2], nullptr);
        if (!w) return 1;
        RECT client;
        GetClientRect(w, &client);
        std::printf("%s\n%s\nclient %ld %ld\n",
                    (GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOPMOST) ? "topmost" : "normal",
                    (GetWindowLongW(w, GWL_STYLE) & WS_MAXIMIZEBOX) ? "maximizebox"
                                                                    : "nomaximizebox",
                    client.right, client.bottom);
        return 0;
    }
    if ((command == "show" || command == "hide" || command == "minimize") && argc > 2) {
        HWND w = FindWindowA(argv[2], nullptr);
        if (!w) return 1;
        if (command == "minimize") return PostMessageW(w, WM_SYSCOMMAND, SC_MINIMIZE, 0) ? 0 : 1;
        ShowWindow(w, command == "show" ? SW_SHOW : SW_HIDE);
        return 0;
    }
    if (command == "watch" && argc > 5) {
        const std::string cls = argv[2];
        return Watch(std::wstring(cls.begin(), cls.end()), std::stoul(argv[3]), std::stoul(argv[4]),
                     argv[5]);
    }
    if (command == "tree") {
        const std::string cls = argc > 2 ? argv[2] : "TFmain";
        HWND w = FindWindowA(cls.c_str(), nullptr);
        if (!w) return 1;
        Tree(w, 0);
        return 0;
    }
    if (command == "wait" && argc > 3) {
        const std::string cls = argv[2];
        return WaitFor(std::stoul(argv[3]), [&] { return FindWindowA(cls.c_str(), nullptr); }) ? 0
                                                                                               : 1;
    }
    if (command == "shown" && argc > 3) {
        const std::string cls = argv[2];
        return WaitFor(std::stoul(argv[3]),
                       [&] {
                           for (HWND w = FindWindowExA(nullptr, nullptr, cls.c_str(), nullptr); w;
                                w = FindWindowExA(nullptr, w, cls.c_str(), nullptr))
                               if (IsWindowVisible(w)) return w;
                           return HWND{};
                       })
                   ? 0
                   : 1;
    }
    if (command == "close" && argc > 2) {
        HWND w = FindWindowA(argv[2], nullptr);
        return w && PostMessageW(w, WM_CLOSE, 0, 0) ? 0 : 1;
    }
    if (command == "boxes" && argc > 2) {
        std::printf("%d\n", MostBoxesAtOnce(std::stoul(argv[2])));
        return 0;
    }
    if (command == "anybox") {
        AnyBox = true;
        command = "msgbox";
    }
    if (command == "msgbox" || command == "press") {
        const DWORD timeout = argc > 2 ? std::stoul(argv[2]) : 0;
        HWND box = WaitFor(timeout, FindMessageBox);
        if (!box) return 1;
        std::printf("%s\n%s\n", Utf8(TextOf(box)).c_str(), Utf8(MessageText(box)).c_str());
        if (command == "press") {
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            WaitFor(2000, [&] { return IsWindow(box) ? nullptr : box; });
        }
        return 0;
    }
    if (command == "skinned" && argc > 2) {
        const std::string what = argv[2];
        const DWORD timeout = argc > 3 ? std::stoul(argv[3]) : 0;
        HWND w =
            what == "box" ? WaitFor(timeout, FindMessageBox) : FindWindowA(what.c_str(), nullptr);
        if (!w) return 1;
        constexpr UINT SkinQuery = 0x3504;
        std::printf("%d\n", SendMessageW(w, SkinQuery, 0, 0) == 1 ? 1 : 0);
        return 0;
    }
    if (command == "menu") {
        const DWORD timeout = argc > 2 ? std::stoul(argv[2]) : 0;
        HWND menu = WaitFor(timeout, [] {
            HWND m = FindWindowW(L"#32768", nullptr);
            return m && IsWindowVisible(m) ? m : nullptr;
        });
        if (!menu) return 1;
        RECT r;
        GetWindowRect(menu, &r);
        std::printf("menu %ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
        return 0;
    }
    if ((command == "request" && argc > 2) || (command == "flood" && argc > 3)) {
        const std::vector<std::wstring> args = WideArguments();
        const bool each = command == "request";
        const size_t first = each ? 2 : 3;
        return Requests({args.begin() + static_cast<ptrdiff_t>(first), args.end()},
                        each ? 0 : std::stoul(argv[2]), each);
    }
    if (command == "clip" && argc > 2) return SetClipboard(WideArguments()[2]) ? 0 : 1;
    if (command == "open" && argc > 2) {
        const auto answer = reinterpret_cast<INT_PTR>(ShellExecuteW(
            nullptr, L"open", WideArguments()[2].c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        std::printf("%d\n", static_cast<int>(answer));
        return answer > 32 ? 0 : 1;
    }
    std::fprintf(stderr,
                 "usage: probe tree|screen [CLASS] | style CLASS | show|hide|minimize CLASS |\n"
                 "       watch CLASS SKIP MS FILE |\n"
                 "       msgbox [MS] | press [MS] | boxes MS | wait CLASS MS | close CLASS |\n"
                 "       skinned CLASS|box [MS] | menu [MS] | request TEXT... |\n"
                 "       flood MS TEXT... | clip TEXT | open URL\n");
    return 2;
}
