// What a Windows program file says about itself, read from its headers: the architecture, the
// link time stamp, the loader flags, the sections, the DLLs it imports and its resources. Only
// what the checks of the shipped program and the size report need; a host tool, so no
// Windows header.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace pecheck {

struct Section {
    std::string name;
    std::uint32_t virtualSize = 0;
    std::uint32_t rawSize = 0;
};

// The loader flags the checks ask for (IMAGE_DLLCHARACTERISTICS_*).
constexpr std::uint16_t kHighEntropyVa = 0x0020;
constexpr std::uint16_t kDynamicBase = 0x0040;
constexpr std::uint16_t kNxCompat = 0x0100;

// Resource types by number.
constexpr std::uint32_t kRtVersion = 16;
constexpr std::uint32_t kRtManifest = 24;

struct PeFile {
    std::uint64_t fileSize = 0;
    std::uint16_t machine = 0; // 0x14C i386, 0x8664 x86-64
    bool plus = false;         // PE32+ (64-bit) rather than PE32
    std::uint32_t timeStamp = 0;
    std::uint16_t dllCharacteristics = 0;
    std::vector<Section> sections;
    std::vector<std::string> imports; // DLL names as the file spells them
    // Resource data by type number (the first of each type; named types are left out).
    std::map<std::uint32_t, std::vector<std::uint8_t>> resources;
};

// Reads the file; on failure gives nothing and says why in error.
std::optional<PeFile> ReadPeFile(const std::string& path, std::string& error);
std::optional<PeFile> ParsePeFile(const std::vector<std::uint8_t>& bytes, std::string& error);

// The version numbers of a version resource's fixed part (VS_FIXEDFILEINFO), as "1.5.0.0".
std::string FixedFileVersion(const std::vector<std::uint8_t>& versionResource);
// A string value of a version resource ("ProductVersion"), or nothing.
std::optional<std::u16string> VersionString(const std::vector<std::uint8_t>& versionResource,
                                            const std::u16string& name);

} // namespace pecheck
