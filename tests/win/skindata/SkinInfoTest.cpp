// skininfo.exe as a skin maker runs it: the default skin's report line by line, the same
// report from the stored-property form, and clear refusals.
#include "SkinPack.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct TRun {
    DWORD ExitCode = 0;
    std::string Out, Err;
};

std::wstring Widen(const std::string& S) {
    return std::wstring(S.begin(), S.end());
}

std::wstring Here() {
    wchar_t Path[MAX_PATH];
    DWORD N = GetModuleFileNameW(nullptr, Path, MAX_PATH);
    std::wstring S(Path, N);
    return S.substr(0, S.find_last_of(L"\\/") + 1);
}

std::wstring TempName(const wchar_t* Prefix) {
    wchar_t Dir[MAX_PATH], Name[MAX_PATH];
    GetTempPathW(MAX_PATH, Dir);
    GetTempFileNameW(Dir, Prefix, 0, Name);
    return Name;
}

std::string ReadText(const std::wstring& Path) {
    std::ifstream In(std::filesystem::path(Path), std::ios::binary);
    std::stringstream S;
    S << In.rdbuf();
    return S.str();
}

// Runs skininfo.exe (beside this test) with the arguments, its output into files.
TRun SkinInfo(const std::wstring& Args) {
    TRun Run;
    const std::wstring OutName = TempName(L"sio"), ErrName = TempName(L"sie");
    SECURITY_ATTRIBUTES Inherit{sizeof(Inherit), nullptr, TRUE};
    HANDLE Out = CreateFileW(OutName.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &Inherit,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    HANDLE Err = CreateFileW(ErrName.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &Inherit,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOW Start{};
    Start.cb = sizeof(Start);
    Start.dwFlags = STARTF_USESTDHANDLES;
    Start.hStdInput = nullptr;
    Start.hStdOutput = Out;
    Start.hStdError = Err;
    PROCESS_INFORMATION Process{};
    std::wstring Exe = Here() + L"skininfo.exe";
    std::wstring Command = L"\"" + Exe + L"\" " + Args;
    bool Started = CreateProcessW(Exe.c_str(), Command.data(), nullptr, nullptr, TRUE,
                                  CREATE_NO_WINDOW, nullptr, nullptr, &Start, &Process);
    CloseHandle(Out);
    CloseHandle(Err);
    EXPECT_TRUE(Started) << "skininfo.exe did not start: " << GetLastError();
    if (Started) {
        EXPECT_EQ(WaitForSingleObject(Process.hProcess, 60000), WAIT_OBJECT_0);
        GetExitCodeProcess(Process.hProcess, &Run.ExitCode);
        CloseHandle(Process.hThread);
        CloseHandle(Process.hProcess);
    }
    Run.Out = ReadText(OutName);
    Run.Err = ReadText(ErrName);
    DeleteFileW(OutName.c_str());
    DeleteFileW(ErrName.c_str());
    return Run;
}

std::vector<std::string> Lines(const std::string& Text) {
    std::vector<std::string> L;
    std::istringstream In(Text);
    std::string Line;
    while (std::getline(In, Line)) {
        if (!Line.empty() && Line.back() == '\r') Line.pop_back();
        L.push_back(Line);
    }
    return L;
}

// The expected report; the combo-box strip's margins depend on the system's scroll-arrow
// width and stand there as @BW2@.
std::vector<std::string> Expected() {
    std::string Text = ReadText(Widen(SKININFO_EXPECTED));
    const std::string Mark = "@BW2@", Value = std::to_string(GetSystemMetrics(SM_CXHSCROLL) + 4);
    for (size_t At; (At = Text.find(Mark)) != std::string::npos;)
        Text.replace(At, Mark.size(), Value);
    return Lines(Text);
}

void ExpectReport(const TRun& Run) {
    EXPECT_EQ(Run.ExitCode, 0u) << Run.Err;
    const auto Want = Expected(), Got = Lines(Run.Out);
    ASSERT_GT(Want.size(), 50u);
    for (size_t I = 0; I < std::max(Want.size(), Got.size()); ++I)
        EXPECT_EQ(I < Got.size() ? Got[I] : "(missing)", I < Want.size() ? Want[I] : "(extra)")
            << "line " << I + 1;
}

} // namespace

TEST(SkinInfoTool, ReportsTheDefaultSkinLineByLine) {
    ExpectReport(SkinInfo(L"\"" + Widen(DIALER_SKIN_FILE) + L"\""));
}

TEST(SkinInfoTool, StoredPropertyFormGivesTheSameReport) {
    ExpectReport(SkinInfo(L"--payload \"" + Widen(DIALER_SKIN_PAYLOAD) + L"\""));
}

TEST(SkinInfoTool, RefusalsAreReportedWithExitCodes) {
    TRun Usage = SkinInfo(L"");
    EXPECT_EQ(Usage.ExitCode, 1u);
    EXPECT_NE(Usage.Err.find("usage: skininfo"), std::string::npos);
    EXPECT_EQ(SkinInfo(L"--bogus x").ExitCode, 1u);

    TRun Missing = SkinInfo(L"C:\\no\\such\\skin.skin");
    EXPECT_EQ(Missing.ExitCode, 2u);
    EXPECT_NE(Missing.Err.find("cannot read"), std::string::npos) << Missing.Err;
    EXPECT_TRUE(Missing.Out.empty());

    // An archive of another version: refused with the reader's reason, no message box.
    std::vector<uint8_t> Archive = BuildArchive({{"skin.ini", {'x'}}});
    Archive[1] = 0x4F;
    std::vector<uint8_t> File = MakeSkinFile(Archive);
    const std::wstring Name = TempName(L"sko");
    {
        std::ofstream Out(std::filesystem::path(Name), std::ios::binary);
        Out.write(reinterpret_cast<const char*>(File.data()),
                  static_cast<std::streamsize>(File.size()));
    }
    TRun Old = SkinInfo(L"\"" + Name + L"\"");
    DeleteFileW(Name.c_str());
    EXPECT_EQ(Old.ExitCode, 2u);
    EXPECT_NE(Old.Err.find("Older Skin File"), std::string::npos) << Old.Err;
    EXPECT_TRUE(Old.Out.empty());
}
