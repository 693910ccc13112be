// pecheck: checks a shipped Windows program and reports what its size is made of.
//
//   pecheck check FILE --machine i386|x86-64 --version 1.5.0.0 --version-text 1.5B
//                      --max-bytes N
//       the architecture and header kind, no link time stamp, the loader flags (address space
//       randomisation, no execution of data, high-entropy addresses on 64-bit), only Windows'
//       own DLLs imported, the manifest and the version resource, the size limit. One line
//       per check; exit 1 when any failed.
//   pecheck size FILE MAP REPORT
//       writes to REPORT the bytes per section and, from the linker's map, the largest
//       contributors by library and by object file; prints the file's size.
#include "LinkMap.h"
#include "PeFile.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <vector>

using namespace pecheck;

namespace {

int failures = 0;

void Check(bool good, const std::string& what) {
    std::printf("%s %s\n", good ? "ok:  " : "FAIL:", what.c_str());
    if (!good) ++failures;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::u16string Utf16(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

// DLLs every supported Windows has in its system folder (msvcrt.dll included: the MinGW
// runtime's C library is Windows' own).
const std::set<std::string> kSystemDlls = {
    "kernel32.dll", "user32.dll", "gdi32.dll",   "comctl32.dll", "shell32.dll",
    "advapi32.dll", "msvcrt.dll", "ole32.dll",   "oleaut32.dll", "comdlg32.dll",
    "winmm.dll",    "ws2_32.dll", "version.dll", "shlwapi.dll",  "imm32.dll"};

const char* const kSupportedOs[][2] = {
    {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "Windows 7"},
    {"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "Windows 8"},
    {"{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "Windows 8.1"},
    {"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", "Windows 10 and 11"},
};

int CheckProgram(const std::string& path, const std::string& machine, const std::string& version,
                 const std::string& versionText, std::uint64_t maxBytes) {
    std::string error;
    const auto pe = ReadPeFile(path, error);
    if (!pe) {
        std::printf("FAIL: %s: %s\n", path.c_str(), error.c_str());
        return 1;
    }
    std::printf("%s\n", path.c_str());
    const bool wide = machine == "x86-64";
    Check(pe->machine == (wide ? 0x8664 : 0x14C) && pe->plus == wide,
          std::string(wide ? "PE32+ for x86-64" : "PE32 for i386"));
    Check(pe->timeStamp == 0, "no link time stamp (the same source gives the same bytes)");
    Check(pe->dllCharacteristics & kDynamicBase, "DYNAMIC_BASE (address space randomisation)");
    Check(pe->dllCharacteristics & kNxCompat, "NX_COMPAT (data is never executed)");
    if (wide) Check(pe->dllCharacteristics & kHighEntropyVa, "HIGH_ENTROPY_VA (64-bit addresses)");
    std::string foreign;
    for (const std::string& dll : pe->imports)
        if (!kSystemDlls.count(Lower(dll))) foreign += " " + dll;
    Check(!pe->imports.empty() && foreign.empty(),
          "imports only Windows' own DLLs" + (foreign.empty() ? "" : ", not" + foreign));

    const auto manifest = pe->resources.find(kRtManifest);
    const std::string text = manifest == pe->resources.end()
                                 ? std::string()
                                 : std::string(manifest->second.begin(), manifest->second.end());
    Check(!text.empty(), "carries an application manifest");
    if (!text.empty()) {
        Check(text.find("level=\"asInvoker\"") != std::string::npos, "manifest: asInvoker");
        for (const auto& os : kSupportedOs)
            Check(text.find(os[0]) != std::string::npos,
                  std::string("manifest: supports ") + os[1]);
        Check(text.find("<gdiScaling") != std::string::npos &&
                  text.find(">unaware<") != std::string::npos,
              "manifest: DPI-unaware with GDI scaling");
        Check(text.find("Microsoft.Windows.Common-Controls") == std::string::npos,
              "manifest: no common controls version 6");
    }
    const auto info = pe->resources.find(kRtVersion);
    Check(info != pe->resources.end(), "carries a version resource");
    if (info != pe->resources.end()) {
        Check(FixedFileVersion(info->second) == version,
              "version resource: file version " + version);
        for (const char* key : {"FileVersion", "ProductVersion"})
            Check(VersionString(info->second, Utf16(key)) == Utf16(versionText),
                  std::string("version resource: ") + key + " \"" + versionText + "\"");
        for (const char* key : {"ProductName", "FileDescription", "CompanyName"})
            Check(VersionString(info->second, Utf16(key)).value_or(u"") != u"",
                  std::string("version resource: ") + key);
    }
    Check(pe->fileSize <= maxBytes,
          std::to_string(pe->fileSize) + " bytes, at most " + std::to_string(maxBytes));
    return failures == 0 ? 0 : 1;
}

void PrintContributors(std::FILE* out, const char* title,
                       const std::map<std::string, Contribution>& items, std::size_t count) {
    std::vector<std::pair<std::string, Contribution>> sorted(items.begin(), items.end());
    std::sort(sorted.begin(), sorted.end(),
              [](const auto& a, const auto& b) { return a.second.Total() > b.second.Total(); });
    std::fprintf(out, "\n%s\n%-44s %9s %9s %9s %9s %9s %9s\n", title, "", "code", "rodata",
                 "unwind", "data", "other", "total");
    for (std::size_t i = 0; i < sorted.size() && i < count; ++i) {
        const Contribution& c = sorted[i].second;
        std::fprintf(out, "%-44s %9llu %9llu %9llu %9llu %9llu %9llu\n",
                     sorted[i].first.substr(0, 44).c_str(),
                     static_cast<unsigned long long>(c.bytes[0]),
                     static_cast<unsigned long long>(c.bytes[1]),
                     static_cast<unsigned long long>(c.bytes[2]),
                     static_cast<unsigned long long>(c.bytes[3]),
                     static_cast<unsigned long long>(c.bytes[4]),
                     static_cast<unsigned long long>(c.Total()));
    }
}

int SizeReport(const std::string& path, const std::string& mapPath, const std::string& reportPath) {
    std::string error;
    const auto pe = ReadPeFile(path, error);
    std::ifstream in(mapPath);
    std::FILE* out = std::fopen(reportPath.c_str(), "w");
    if (!pe || !in || !out) {
        std::fprintf(stderr, "pecheck: %s\n",
                     !pe ? error.c_str()
                         : (!in ? "cannot open " + mapPath : "cannot write " + reportPath).c_str());
        if (out) std::fclose(out);
        return 1;
    }
    std::fprintf(out, "%s: %llu bytes\n\n%-10s %10s %10s\n", path.c_str(),
                 static_cast<unsigned long long>(pe->fileSize), "section", "in file", "in memory");
    for (const Section& s : pe->sections)
        std::fprintf(out, "%-10s %10u %10u\n", s.name.c_str(), s.rawSize, s.virtualSize);
    const LinkMap map = ReadLinkMap(in);
    PrintContributors(out, "Largest contributors by library (bytes before the file's alignment):",
                      map.byLibrary, 20);
    PrintContributors(out, "Largest contributors by object file:", map.byFile, 25);
    std::fclose(out);
    std::printf("%s: %llu bytes (size report: %s)\n", path.c_str(),
                static_cast<unsigned long long>(pe->fileSize), reportPath.c_str());
    return 0;
}

int Usage() {
    std::fprintf(stderr, "usage: pecheck check FILE --machine i386|x86-64 --version A.B.C.D "
                         "--version-text TEXT --max-bytes N\n"
                         "       pecheck size FILE MAP REPORT\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 4 && args[0] == "size") return SizeReport(args[1], args[2], args[3]);
    if (args.size() >= 2 && args[0] == "check") {
        std::string file, machine, version, versionText;
        std::uint64_t maxBytes = 0;
        for (std::size_t i = 1; i < args.size(); i += 2) {
            if (args[i].rfind("--", 0) != 0) {
                file = args[i--]; // the one argument without an option name
            } else if (i + 1 == args.size()) {
                return Usage();
            } else if (args[i] == "--machine")
                machine = args[i + 1];
            else if (args[i] == "--version")
                version = args[i + 1];
            else if (args[i] == "--version-text")
                versionText = args[i + 1];
            else if (args[i] == "--max-bytes")
                maxBytes = std::strtoull(args[i + 1].c_str(), nullptr, 10);
            else
                return Usage();
        }
        if (file.empty() || (machine != "i386" && machine != "x86-64") || version.empty() ||
            maxBytes == 0)
            return Usage();
        return CheckProgram(file, machine, version, versionText, maxBytes);
    }
    return Usage();
}
