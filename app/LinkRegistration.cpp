#include "app/LinkRegistration.h"

#include <algorithm>
#include <optional>

#include <shlobj.h>

namespace {

constexpr const wchar_t* ProgId = L"PcDialer.Link";
constexpr const wchar_t* CapabilitiesKey = L"Software\\PcDialer\\Capabilities";
constexpr const wchar_t* AppName = L"电脑拨号";

std::wstring Quoted(const std::wstring& Text) {
    return L"\"" + Text + L"\"";
}

// A class key that opens links with the program: its icon and its command.
void AddOpenCommand(std::vector<TLinkValue>& Values, const std::wstring& Key,
                    const std::wstring& Path) {
    Values.push_back({Key + L"\\DefaultIcon", L"", Quoted(Path) + L",0"});
    Values.push_back({Key + L"\\shell\\open\\command", L"", Quoted(Path) + L" \"%1\""});
}

std::optional<std::wstring> ReadString(const std::wstring& Key, const std::wstring& Name) {
    HKEY K = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, Key.c_str(), 0, KEY_QUERY_VALUE, &K) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD Type = 0, Size = 0;
    std::optional<std::wstring> Result;
    if (RegQueryValueExW(K, Name.c_str(), nullptr, &Type, nullptr, &Size) == ERROR_SUCCESS &&
        Type == REG_SZ) {
        std::wstring Data(Size / sizeof(wchar_t) + 1, L'\0');
        Size = static_cast<DWORD>(Data.size() * sizeof(wchar_t));
        if (RegQueryValueExW(K, Name.c_str(), nullptr, &Type, reinterpret_cast<BYTE*>(Data.data()),
                             &Size) == ERROR_SUCCESS) {
            Data.resize(wcsnlen(Data.c_str(), Size / sizeof(wchar_t)));
            Result = std::move(Data);
        }
    }
    RegCloseKey(K);
    return Result;
}

bool IsEmptyKey(const std::wstring& Key) {
    HKEY K = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, Key.c_str(), 0, KEY_QUERY_VALUE, &K) != ERROR_SUCCESS)
        return false;
    DWORD SubKeys = 0, Values = 0;
    const bool Empty =
        RegQueryInfoKeyW(K, nullptr, nullptr, nullptr, &SubKeys, nullptr, nullptr, &Values, nullptr,
                         nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
        SubKeys == 0 && Values == 0;
    RegCloseKey(K);
    return Empty;
}

// The keys registering may have made, and their parents up to the first shared one, deepest
// first.
std::vector<std::wstring> OwnKeys(const std::vector<TLinkValue>& Values) {
    std::vector<std::wstring> Keys;
    for (const TLinkValue& V : Values) {
        std::wstring Key = V.Key;
        // Never above a key every user has.
        while (Key != L"Software\\Classes" && Key != L"Software" && !Key.empty()) {
            if (std::find(Keys.begin(), Keys.end(), Key) == Keys.end()) Keys.push_back(Key);
            const size_t Cut = Key.rfind(L'\\');
            Key = Cut == std::wstring::npos ? L"" : Key.substr(0, Cut);
        }
    }
    std::erase(Keys, L"Software\\RegisteredApplications");
    std::sort(Keys.begin(), Keys.end(), [](const std::wstring& A, const std::wstring& B) {
        return std::count(A.begin(), A.end(), L'\\') > std::count(B.begin(), B.end(), L'\\');
    });
    return Keys;
}

void TellTheShell() {
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

} // namespace

std::vector<TLinkValue> LinkValues(const std::wstring& Path) {
    std::vector<TLinkValue> Values;
    for (const wchar_t* Scheme : {L"tel", L"callto"}) {
        const std::wstring Key = std::wstring(L"Software\\Classes\\") + Scheme;
        std::vector<TLinkValue> Link{{Key, L"", std::wstring(L"URL:") + Scheme},
                                     {Key, L"URL Protocol", L""}};
        AddOpenCommand(Link, Key, Path);
        for (TLinkValue& V : Link)
            V.SharedClass = Key;
        Values.insert(Values.end(), Link.begin(), Link.end());
    }
    const std::wstring ProgIdKey = std::wstring(L"Software\\Classes\\") + ProgId;
    Values.push_back({ProgIdKey, L"", AppName});
    AddOpenCommand(Values, ProgIdKey, Path);
    Values.push_back({CapabilitiesKey, L"ApplicationName", AppName});
    Values.push_back({CapabilitiesKey, L"ApplicationDescription", AppName});
    for (const wchar_t* Scheme : {L"tel", L"callto"})
        Values.push_back({std::wstring(CapabilitiesKey) + L"\\URLAssociations", Scheme, ProgId});
    Values.push_back({L"Software\\RegisteredApplications", L"PcDialer", CapabilitiesKey});
    return Values;
}

bool RegisterLinks(const std::wstring& Path) {
    bool Ok = true;
    for (const TLinkValue& V : LinkValues(Path)) {
        HKEY K = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, V.Key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            &K, nullptr) != ERROR_SUCCESS) {
            Ok = false;
            continue;
        }
        const auto Bytes = static_cast<DWORD>((V.Data.size() + 1) * sizeof(wchar_t));
        if (RegSetValueExW(K, V.Name.c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(V.Data.c_str()), Bytes) != ERROR_SUCCESS)
            Ok = false;
        RegCloseKey(K);
    }
    TellTheShell();
    return Ok;
}

bool UnregisterLinks(const std::wstring& Path) {
    const std::vector<TLinkValue> Values = LinkValues(Path);
    // Whose each shared link is, judged before anything goes.
    std::vector<std::wstring> OursShared;
    for (const TLinkValue& V : Values)
        if (!V.SharedClass.empty() && V.Key == V.SharedClass + L"\\shell\\open\\command" &&
            ReadString(V.Key, V.Name) == V.Data)
            OursShared.push_back(V.SharedClass);
    bool Ok = true;
    for (const TLinkValue& V : Values) {
        const bool Ours = V.SharedClass.empty() ? ReadString(V.Key, V.Name).has_value()
                                                : std::find(OursShared.begin(), OursShared.end(),
                                                            V.SharedClass) != OursShared.end() &&
                                                      ReadString(V.Key, V.Name) == V.Data;
        if (!Ours) continue;
        HKEY K = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, V.Key.c_str(), 0, KEY_SET_VALUE, &K) !=
                ERROR_SUCCESS ||
            RegDeleteValueW(K, V.Name.c_str()) != ERROR_SUCCESS)
            Ok = false;
        if (K) RegCloseKey(K);
    }
    for (const std::wstring& Key : OwnKeys(Values))
        if (IsEmptyKey(Key) && RegDeleteKeyW(HKEY_CURRENT_USER, Key.c_str()) != ERROR_SUCCESS)
            Ok = false;
    TellTheShell();
    return Ok;
}

std::wstring ProgramPath() {
    std::wstring Path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD N = GetModuleFileNameW(nullptr, Path.data(), static_cast<DWORD>(Path.size()));
        if (N < Path.size()) {
            Path.resize(N);
            return Path;
        }
        Path.resize(Path.size() * 2);
    }
}
