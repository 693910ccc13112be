// skinpack: makes skin files and looks inside them.
#include "SkinPack.h"
#include "SkinRead.h"
#include "WinSkinIni.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int ExitOk = 0, ExitRefused = 1, ExitUsage = 2;

const char* const Usage =
    "usage: skinpack [--payload] COMMAND ...\n"
    "  pack OUT FILE...                  pack the files (named by their base names)\n"
    "  decode SKIN OUT                   write the decompressed archive\n"
    "  list SKIN                         one line per entry: name and size\n"
    "  extract SKIN NAME OUT             write one entry\n"
    "  ini SKIN SECTION KEY [DEFAULT]    print a value of the description\n"
    "  int SKIN SECTION KEY DEFAULT      print an integer value of the description\n"
    "  sections SKIN                     print the description's sections\n"
    "--payload: the skin is in its stored-property form (4-byte length first).\n"
    "Exit status: 0 done, 1 skin refused, 2 usage or file error.\n";

struct TFailure {
    int Code;
    std::string Message;
};

std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw TFailure{ExitUsage, "cannot read " + path};
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    if (in.bad()) throw TFailure{ExitUsage, "cannot read " + path};
    return bytes;
}

void WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    if (!out) throw TFailure{ExitUsage, "cannot write " + path};
}

std::string BaseName(const std::string& path) {
    std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The skin file held by a file, unwrapped from its stored-property form when asked.
TSkinStream LoadSkin(const std::string& path, bool payload) {
    std::vector<std::uint8_t> bytes = ReadFile(path);
    if (!payload) return TSkinStream(std::move(bytes));
    if (bytes.size() < 4) throw TFailure{ExitRefused, "payload too short: no length field"};
    std::int32_t length = static_cast<std::int32_t>(bytes[0] | bytes[1] << 8 | bytes[2] << 16 |
                                                    static_cast<std::uint32_t>(bytes[3]) << 24);
    if (length < 0 || static_cast<std::size_t>(length) > bytes.size() - 4)
        throw TFailure{ExitRefused, "payload length " + std::to_string(length) +
                                        " does not match the " + std::to_string(bytes.size() - 4) +
                                        " bytes present"};
    return TSkinStream(std::vector<std::uint8_t>(bytes.begin() + 4, bytes.begin() + 4 + length));
}

void OpenArchive(TSkinReader& reader, const std::string& path, bool payload) {
    TSkinStream skin = LoadSkin(path, payload);
    if (!reader.ReadArchive(skin)) throw TFailure{ExitRefused, reader.ErrorText()};
}

TQuickIni LoadDescription(const TSkinReader& reader) {
    TSkinStream entry;
    std::string name;
    reader.FindEntry(".ini", entry, name);
    TQuickIni ini;
    ini.LoadFromStream(&entry);
    return ini;
}

void PrintLine(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
}

int Pack(const std::vector<std::string>& args, bool payload) {
    if (args.size() < 2) throw TFailure{ExitUsage, "pack needs OUT and at least one FILE"};
    if (args.size() - 1 > static_cast<std::size_t>(TSkinReader::MaxEntries))
        throw TFailure{ExitUsage, "a skin holds at most " +
                                      std::to_string(TSkinReader::MaxEntries) + " files"};
    std::vector<TPackEntry> entries;
    for (std::size_t i = 1; i < args.size(); ++i)
        entries.push_back({BaseName(args[i]), ReadFile(args[i])});
    std::vector<std::uint8_t> archive = BuildArchive(entries);
    if (archive.size() > TSkinReader::DefaultSizeLimit)
        throw TFailure{ExitUsage, "archive of " + std::to_string(archive.size()) +
                                      " bytes is above the readers' limit"};
    std::vector<std::uint8_t> skin = MakeSkinFile(archive);
    if (payload) skin = MakePayload(skin);
    WriteFile(args[0], skin.data(), skin.size());
    return ExitOk;
}

int Run(const std::string& command, const std::vector<std::string>& args, bool payload) {
    auto need = [&](std::size_t least, std::size_t most) {
        if (args.size() < least || args.size() > most)
            throw TFailure{ExitUsage, "wrong number of arguments for " + command};
    };
    if (command == "pack") return Pack(args, payload);
    if (command == "decode") {
        need(2, 2);
        TSkinStream skin = LoadSkin(args[0], payload), archive;
        TSkinReader reader;
        if (!reader.Decompress(skin, archive)) throw TFailure{ExitRefused, reader.ErrorText()};
        WriteFile(args[1], archive.Memory(), archive.Size());
        return ExitOk;
    }
    TSkinReader reader;
    if (command == "list") {
        need(1, 1);
        OpenArchive(reader, args[0], payload);
        for (int i = 0; i < reader.Count(); ++i)
            PrintLine(reader.Names()[static_cast<std::size_t>(i)] + " " +
                      std::to_string(reader.Size(i)));
        return ExitOk;
    }
    if (command == "extract") {
        need(3, 3);
        OpenArchive(reader, args[0], payload);
        TSkinStream entry;
        if (!reader.GetEntry(args[1], entry))
            throw TFailure{ExitUsage, "no entry named " + args[1]};
        WriteFile(args[2], entry.Memory(), entry.Size());
        return ExitOk;
    }
    if (command == "ini") {
        need(3, 4);
        OpenArchive(reader, args[0], payload);
        PrintLine(
            LoadDescription(reader).ReadString(args[1], args[2], args.size() > 3 ? args[3] : ""));
        return ExitOk;
    }
    if (command == "int") {
        need(4, 4);
        std::int32_t fallback;
        if (!SkinStrToInt(args[3], fallback))
            throw TFailure{ExitUsage, "DEFAULT is not an integer: " + args[3]};
        OpenArchive(reader, args[0], payload);
        PrintLine(std::to_string(LoadDescription(reader).ReadInteger(args[1], args[2], fallback)));
        return ExitOk;
    }
    if (command == "sections") {
        need(1, 1);
        OpenArchive(reader, args[0], payload);
        std::vector<std::string> sections;
        LoadDescription(reader).ReadSections(sections);
        for (const std::string& s : sections)
            PrintLine(s);
        return ExitOk;
    }
    throw TFailure{ExitUsage, "unknown command " + command};
}

} // namespace

int main(int argc, char** argv) {
    bool payload = false;
    std::vector<std::string> words;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--payload")
            payload = true;
        else if (arg == "-h" || arg == "--help") {
            std::fputs(Usage, stdout);
            return ExitOk;
        } else
            words.push_back(arg);
    }
    if (words.empty()) {
        std::fputs(Usage, stderr);
        return ExitUsage;
    }
    try {
        std::vector<std::string> args(words.begin() + 1, words.end());
        int code = Run(words[0], args, payload);
        if (std::fflush(stdout) != 0) throw TFailure{ExitUsage, "cannot write the output"};
        return code;
    } catch (const TFailure& failure) {
        std::cerr << "skinpack: " << failure.Message << "\n";
        if (failure.Code == ExitUsage && failure.Message.rfind("wrong number", 0) == 0)
            std::fputs(Usage, stderr);
        return failure.Code;
    } catch (const std::exception& e) {
        std::cerr << "skinpack: " << e.what() << "\n";
        return ExitRefused;
    }
}
