// skininfo [--payload] FILE
//
// Loads a skin file (or, with --payload, the stored-property form: its length first) through
// the skin component and prints every slot, the caption buttons and the skin colours, one
// item a line. Exit codes: 0 shown, 1 wrong use, 2 the skin could not be read or was refused.
#include "SkinInfo.h"
#include "SkinRead.h"

#include <shellapi.h>

#include <cstdio>
#include <exception>

namespace {

int Fail(const std::string& Message) {
    std::fprintf(stderr, "skininfo: %s\n", Message.c_str());
    return 2;
}

bool ReadWholeFile(const std::wstring& Path, TBytes& Bytes) {
    TKernelHandle File(CreateFileW(Path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER Size{};
    if (!File || !GetFileSizeEx(File, &Size) || Size.QuadPart > TSkinReader::DefaultSizeLimit)
        return false;
    Bytes.resize(static_cast<size_t>(Size.QuadPart));
    DWORD Done = 0;
    return Bytes.empty() ||
           (ReadFile(File, Bytes.data(), static_cast<DWORD>(Bytes.size()), &Done, nullptr) &&
            Done == Bytes.size());
}

// Why the archive reader refuses the skin file, for a skin that did not load.
std::string RefusalText(const TSkinData& Skin) {
    TSkinStream File(Skin.SkinFileData().Bytes());
    TSkinReader Reader;
    if (Reader.ReadArchive(File)) return "the skin did not load";
    std::string Text = Reader.ErrorText();
    for (char& C : Text)
        if (C == '\r') C = ' ';
    return Text;
}

int Run(const std::vector<std::wstring>& Args) {
    bool Payload = false, Wrong = false;
    std::wstring Path;
    for (const auto& A : Args) {
        if (A == L"--payload")
            Payload = true;
        else if (Path.empty() && !A.empty() && A[0] != L'-')
            Path = A;
        else
            Wrong = true;
    }
    if (Path.empty() || Wrong) {
        std::fprintf(stderr, "usage: skininfo [--payload] FILE\n"
                             "--payload: FILE is the stored-property form (4-byte length "
                             "first)\n");
        return 1;
    }
    TBytes Bytes;
    if (!ReadWholeFile(Path, Bytes)) return Fail("cannot read " + WideToUtf8(Path));

    // The older-skin notice goes to the console instead of a message box.
    SetSkinMessageProc([](const std::wstring&) {});
    TSkinData Skin(nullptr);
    if (Payload)
        Skin.SetSkinStream(Bytes);
    else
        Skin.SetSkinFile(Path);
    if (!Skin.SkinLoaded()) return Fail(RefusalText(Skin));
    for (const std::string& Line : SkinInfoLines(Skin))
        std::printf("%s\n", Line.c_str());
    return std::fflush(stdout) == 0 ? 0 : 2;
}

} // namespace

int main() {
    int Count = 0;
    LPWSTR* Argv = CommandLineToArgvW(GetCommandLineW(), &Count);
    std::vector<std::wstring> Args;
    for (int I = 1; I < Count; ++I)
        Args.emplace_back(Argv[I]);
    LocalFree(Argv);
    try {
        return Run(Args);
    } catch (const Exception& E) {
        return Fail(WideToUtf8(E.Message()));
    } catch (const std::exception& E) {
        return Fail(E.what());
    }
}
