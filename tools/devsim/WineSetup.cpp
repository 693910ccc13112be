#include "WineSetup.h"

#include "Text.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <signal.h>
#include <spawn.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace devsim {

namespace {

const char kPortsHeader[] = "[Software\\\\Wine\\\\Ports]";
const char kSerialComm[] = "HKLM\\HARDWARE\\DEVICEMAP\\SERIALCOMM";

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) !=
            std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

bool IsPortsHeader(std::string_view line) {
    if (!StartsWithNoCase(line, kPortsHeader)) return false;
    const std::string_view rest = line.substr(sizeof kPortsHeader - 1);
    return rest.empty() || rest[0] == ' ';
}

// A value line "COMn"=... of the Ports key.
bool IsComValue(std::string_view line) {
    if (line.size() < 2 || line[0] != '"') return false;
    const std::size_t close = line.find('"', 1);
    return close != std::string_view::npos && ParsePortName(line.substr(1, close - 1));
}

std::string ValueLine(int number, const std::string& path) {
    std::string escaped;
    for (char c : path) {
        if (c == '\\' || c == '"') escaped += '\\';
        escaped += c;
    }
    return "\"" + PortName(number) + "\"=\"" + escaped + "\"";
}

bool ReadFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return true;
}

bool WriteFileAtomically(const std::string& path, const std::string& text) {
    const std::string temp = path + ".devsim-tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out || !out.write(text.data(), static_cast<std::streamsize>(text.size())))
            return false;
    }
    return std::rename(temp.c_str(), path.c_str()) == 0;
}

// Runs a program with its input on /dev/null and its output on a file (or /dev/null), never
// on a descriptor of ours: Wine's helper processes outlive the call and keep what they inherit.
int Run(const std::vector<std::string>& argv, const std::string& output) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    const std::string out = output.empty() ? "/dev/null" : output;
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    std::vector<char*> args;
    for (const auto& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid;
    const int rc = posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (rc != 0) return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// winenv's choice: "wine", or the 64-bit loader on a machine that runs only 64-bit code.
std::string WineCommand = "wine";

// The same variables winenv gives its programs, so devsim talks to the same wineserver.
void SetWineEnvironment(const std::string& wineDir) {
    setenv("WINEPREFIX", (wineDir + "/prefix").c_str(), 1);
    setenv("WINEARCH", "win32", 1);
    WineCommand = "wine";
    setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 1);
    setenv("LANG", "zh_CN.UTF-8", 1);
    setenv("LC_ALL", "zh_CN.UTF-8", 1);
    setenv("WINEDEBUG", "-all", 0);
    std::string state;
    if (ReadFile(wineDir + "/state", state)) {
        std::istringstream lines(state);
        std::string line;
        while (std::getline(lines, line))
            if (line.rfind("DISPLAY_USED=", 0) == 0 && line.size() > 13)
                setenv("DISPLAY", line.substr(13).c_str(), 1);
            else if (line.rfind("WINEARCH=", 0) == 0 && line.size() > 9)
                setenv("WINEARCH", line.substr(9).c_str(), 1);
            else if (line.rfind("WINE=", 0) == 0 && line.size() > 5)
                WineCommand = line.substr(5);
    }
}

// Old dosdevices/comN links would survive for ports no longer mapped and reach whatever
// pseudo-terminal now has that number; the mount manager recreates the ones it wants.
void RemoveComLinks(const std::string& dosdevices) {
    DIR* dir = opendir(dosdevices.c_str());
    if (!dir) return;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (!ParsePortName(name) || name.compare(0, 3, "com") != 0) continue;
        const std::string path = dosdevices + "/" + name;
        struct stat info;
        if (lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) unlink(path.c_str());
    }
    closedir(dir);
}

} // namespace

std::string RewritePortsKey(const std::string& systemReg, const PortMapping& mapping) {
    std::string values;
    for (const auto& [number, path] : mapping)
        values += ValueLine(number, path) + "\n";
    std::istringstream in(systemReg);
    std::string out, line;
    bool inPorts = false, found = false, pending = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] == '[') {
            inPorts = IsPortsHeader(line);
            if (inPorts) {
                found = pending = true;
                out += line + "\n";
                continue;
            }
        }
        // The values go after the key's "#time=" and similar metadata lines.
        if (pending && (line.empty() || line[0] != '#')) {
            out += values;
            pending = false;
        }
        if (inPorts && IsComValue(line)) continue;
        out += line + "\n";
    }
    if (pending) out += values;
    if (!found) out += "\n" + std::string(kPortsHeader) + "\n" + values;
    return out;
}

SerialCommListing ParseSerialComm(const std::string& regQueryOutput,
                                  const std::vector<int>& wanted) {
    SerialCommListing listing;
    std::istringstream in(regQueryOutput);
    std::string line;
    while (std::getline(in, line)) {
        // "    \Device\Serial0    REG_SZ    COM1"
        const auto words = SplitWords(line);
        if (words.size() != 3 || words[1] != "REG_SZ") continue;
        const auto number = ParsePortName(words[2]);
        if (number && std::find(wanted.begin(), wanted.end(), *number) != wanted.end()) {
            listing.presentPorts.push_back(*number);
        } else {
            listing.unwantedValues.emplace_back(words[0]);
        }
    }
    return listing;
}

bool PrepareWine(const std::string& givenDir, const PortMapping& mapping, std::string& error,
                 std::string& notes) {
    // Wine wants an absolute WINEPREFIX.
    char* resolved = realpath(givenDir.c_str(), nullptr);
    if (!resolved) {
        error = "no Wine folder " + givenDir;
        return false;
    }
    const std::string wineDir = resolved;
    std::free(resolved);
    const auto started = std::chrono::steady_clock::now();
    auto note = [&](const std::string& step) {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - started)
                            .count();
        notes += std::to_string(ms) + " ms: " + step + "\n";
    };
    const std::string prefix = wineDir + "/prefix";
    const std::string systemReg = prefix + "/system.reg";
    if (access(systemReg.c_str(), F_OK) != 0) {
        error = "no Wine prefix at " + prefix + " (run tools/wine/winenv --dir " + wineDir +
                " start first)";
        return false;
    }
    SetWineEnvironment(wineDir);

    // The registry file is only ours to edit while no wineserver holds it.
    Run({"wineserver", "-k"}, "");
    if (Run({"wineserver", "-w"}, "") != 0) {
        error = "wineserver -w failed (is Wine installed?)";
        return false;
    }
    note("wineserver stopped");
    std::string text;
    if (!ReadFile(systemReg, text) ||
        !WriteFileAtomically(systemReg, RewritePortsKey(text, mapping))) {
        error = "cannot rewrite " + systemReg;
        return false;
    }
    RemoveComLinks(prefix + "/dosdevices");
    note("port mapping written");

    if (Run({"wineserver", "-p"}, "") != 0) {
        error = "wineserver -p failed";
        return false;
    }
    // The first program brings up Wine's services, the mount manager among them; it lists the
    // ports that mount manager made.
    std::vector<int> wanted;
    for (const auto& entry : mapping)
        wanted.push_back(entry.first);
    const std::string listingFile = wineDir + "/devsim-serialcomm.txt";
    SerialCommListing listing;
    // The mount manager has always finished by the time the first program runs; the repeats
    // only guard against a slow service start and end as soon as every port is listed.
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (Run({WineCommand, "reg", "query", kSerialComm}, listingFile) != 0 && !wanted.empty()) {
            error = "wine reg query " + std::string(kSerialComm) + " failed";
            continue;
        }
        std::string output;
        ReadFile(listingFile, output);
        listing = ParseSerialComm(output, wanted);
        note("SERIALCOMM listed");
        std::sort(listing.presentPorts.begin(), listing.presentPorts.end());
        listing.presentPorts.erase(
            std::unique(listing.presentPorts.begin(), listing.presentPorts.end()),
            listing.presentPorts.end());
        if (listing.presentPorts.size() == wanted.size()) break;
    }
    if (listing.presentPorts.size() != wanted.size()) {
        error = "Wine's mount manager did not create every port (see " + listingFile + ")";
        return false;
    }
    for (const std::string& value : listing.unwantedValues) {
        if (Run({WineCommand, "reg", "delete", kSerialComm, "/v", value, "/f"}, "") != 0) {
            error = "cannot delete " + value + " from " + kSerialComm;
            return false;
        }
        note("deleted " + value);
    }
    unlink(listingFile.c_str());
    return true;
}

} // namespace devsim
