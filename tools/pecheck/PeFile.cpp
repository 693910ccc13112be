#include "PeFile.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace pecheck {

namespace {

class Reader {
  public:
    explicit Reader(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
    bool Has(std::uint64_t at, std::uint64_t count) const {
        return at <= bytes_.size() && count <= bytes_.size() - at;
    }
    std::uint16_t U16(std::uint64_t at) const {
        return Has(at, 2) ? static_cast<std::uint16_t>(bytes_[at] | bytes_[at + 1] << 8) : 0;
    }
    std::uint32_t U32(std::uint64_t at) const {
        return Has(at, 4) ? static_cast<std::uint32_t>(U16(at) | std::uint32_t{U16(at + 2)} << 16)
                          : 0;
    }
    std::string CString(std::uint64_t at) const {
        std::string text;
        while (at < bytes_.size() && bytes_[at] != 0 && text.size() < 256)
            text += static_cast<char>(bytes_[at++]);
        return text;
    }
    std::vector<std::uint8_t> Slice(std::uint64_t at, std::uint64_t count) const {
        if (!Has(at, count)) return {};
        return {bytes_.begin() + static_cast<std::ptrdiff_t>(at),
                bytes_.begin() + static_cast<std::ptrdiff_t>(at + count)};
    }

  private:
    const std::vector<std::uint8_t>& bytes_;
};

struct SectionPlace {
    std::uint32_t virtualAddress, virtualSize, rawSize, rawOffset;
};

// The file offset of a relative virtual address, or nothing outside every section.
std::optional<std::uint64_t> FileOffset(const std::vector<SectionPlace>& places,
                                        std::uint32_t rva) {
    for (const SectionPlace& s : places) {
        const std::uint32_t size = std::max(s.virtualSize, s.rawSize);
        if (rva >= s.virtualAddress && rva - s.virtualAddress < size)
            return std::uint64_t{s.rawOffset} + (rva - s.virtualAddress);
    }
    return std::nullopt;
}

constexpr std::uint32_t kSubdirectory = 0x80000000u;

// The first data entry under a resource directory entry, going down subdirectories.
std::vector<std::uint8_t> FirstResourceData(const Reader& r,
                                            const std::vector<SectionPlace>& places,
                                            std::uint64_t root, std::uint32_t entry, int depth) {
    if (depth > 3) return {};
    if (entry & kSubdirectory) {
        const std::uint64_t dir = root + (entry & ~kSubdirectory);
        const unsigned count = r.U16(dir + 12) + r.U16(dir + 14);
        if (count == 0) return {};
        return FirstResourceData(r, places, root, r.U32(dir + 16 + 4), depth + 1);
    }
    const std::uint64_t data = root + entry;
    const auto offset = FileOffset(places, r.U32(data));
    if (!offset) return {};
    return r.Slice(*offset, r.U32(data + 4));
}

} // namespace

std::optional<PeFile> ParsePeFile(const std::vector<std::uint8_t>& bytes, std::string& error) {
    const Reader r(bytes);
    PeFile pe;
    pe.fileSize = bytes.size();
    if (r.U16(0) != 0x5A4D) {
        error = "not an MZ file";
        return std::nullopt;
    }
    const std::uint32_t peAt = r.U32(0x3C);
    if (r.U32(peAt) != 0x00004550) {
        error = "no PE signature";
        return std::nullopt;
    }
    const std::uint64_t coff = peAt + 4;
    pe.machine = r.U16(coff);
    const unsigned sectionCount = r.U16(coff + 2);
    pe.timeStamp = r.U32(coff + 4);
    const unsigned optionalSize = r.U16(coff + 16);
    const std::uint64_t optional = coff + 20;
    const std::uint16_t magic = r.U16(optional);
    if (magic != 0x10B && magic != 0x20B) {
        error = "unknown optional header";
        return std::nullopt;
    }
    pe.plus = magic == 0x20B;
    pe.dllCharacteristics = r.U16(optional + 70);
    const std::uint64_t directories = optional + (pe.plus ? 112 : 96);
    const unsigned directoryCount = r.U32(optional + (pe.plus ? 108 : 92));

    std::vector<SectionPlace> places;
    const std::uint64_t table = optional + optionalSize;
    for (unsigned i = 0; i < sectionCount; ++i) {
        const std::uint64_t s = table + 40ull * i;
        if (!r.Has(s, 40)) {
            error = "section table cut short";
            return std::nullopt;
        }
        Section section;
        section.name = r.CString(s).substr(0, 8);
        // A long name ("/4") is kept in the string table after the symbol table.
        if (section.name.size() > 1 && section.name[0] == '/') {
            const std::uint64_t strings = r.U32(coff + 8) + 18ull * r.U32(coff + 12);
            section.name = r.CString(strings + std::strtoul(section.name.c_str() + 1, nullptr, 10));
        }
        section.virtualSize = r.U32(s + 8);
        section.rawSize = r.U32(s + 16);
        pe.sections.push_back(section);
        places.push_back({r.U32(s + 12), section.virtualSize, section.rawSize, r.U32(s + 20)});
    }

    // Imports: descriptors of 20 bytes up to an empty one.
    if (directoryCount > 1) {
        if (const auto at = FileOffset(places, r.U32(directories + 8))) {
            for (std::uint64_t d = *at; r.Has(d, 20) && r.U32(d + 12) != 0; d += 20)
                if (const auto name = FileOffset(places, r.U32(d + 12)))
                    pe.imports.push_back(r.CString(*name));
        }
    }
    // Resources: the root lists the types.
    if (directoryCount > 2 && r.U32(directories + 16) != 0) {
        if (const auto root = FileOffset(places, r.U32(directories + 16))) {
            const unsigned named = r.U16(*root + 12), ids = r.U16(*root + 14);
            for (unsigned i = named; i < named + ids; ++i) {
                const std::uint64_t entry = *root + 16 + 8ull * i;
                const std::uint32_t type = r.U32(entry);
                pe.resources.emplace(type,
                                     FirstResourceData(r, places, *root, r.U32(entry + 4), 0));
            }
        }
    }
    return pe;
}

std::optional<PeFile> ReadPeFile(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return std::nullopt;
    }
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    return ParsePeFile(bytes, error);
}

namespace {

// VS_FIXEDFILEINFO starts with this signature, after the root block's header and key.
constexpr std::uint32_t kFixedSignature = 0xFEEF04BD;

std::u16string Utf16At(const std::vector<std::uint8_t>& b, std::size_t at, std::size_t end) {
    std::u16string text;
    for (; at + 1 < end; at += 2) {
        const char16_t c = static_cast<char16_t>(b[at] | b[at + 1] << 8);
        if (c == 0) break;
        text += c;
    }
    return text;
}

std::size_t Align4(std::size_t at) {
    return (at + 3) & ~std::size_t{3};
}

// Walks the blocks of a version resource: each is length, value length, type, key, padding,
// value, children.
std::optional<std::u16string> FindString(const std::vector<std::uint8_t>& b, std::size_t at,
                                         std::size_t end, const std::u16string& name, int depth) {
    while (at + 6 < end && depth < 5) {
        const std::size_t length = b[at] | b[at + 1] << 8;
        const std::size_t valueLength = b[at + 2] | b[at + 3] << 8;
        const bool text = (b[at + 4] | b[at + 5] << 8) == 1;
        if (length < 6 || at + length > end) return std::nullopt;
        const std::u16string key = Utf16At(b, at + 6, at + length);
        const std::size_t value = Align4(at + 6 + 2 * (key.size() + 1));
        if (key == name && text) return Utf16At(b, value, at + length);
        const std::size_t children = Align4(value + (text ? 2 * valueLength : valueLength));
        if (children < at + length)
            if (auto found = FindString(b, children, at + length, name, depth + 1)) return found;
        at = Align4(at + length);
    }
    return std::nullopt;
}

} // namespace

std::string FixedFileVersion(const std::vector<std::uint8_t>& v) {
    for (std::size_t at = 0; at + 16 <= v.size(); at += 4) {
        const std::uint32_t word =
            v[at] | v[at + 1] << 8 | v[at + 2] << 16 | static_cast<std::uint32_t>(v[at + 3]) << 24;
        if (word != kFixedSignature) continue;
        auto half = [&](std::size_t offset) { return v[at + offset] | v[at + offset + 1] << 8; };
        // dwFileVersionMS (major, minor) then dwFileVersionLS (build, revision).
        return std::to_string(half(10)) + "." + std::to_string(half(8)) + "." +
               std::to_string(half(14)) + "." + std::to_string(half(12));
    }
    return "";
}

std::optional<std::u16string> VersionString(const std::vector<std::uint8_t>& v,
                                            const std::u16string& name) {
    return FindString(v, 0, v.size(), name, 0);
}

} // namespace pecheck
