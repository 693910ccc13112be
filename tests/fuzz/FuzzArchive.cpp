// The archive reader on any skin file. Input: one mode byte, then either an archive (even
// mode: it is packed first, so that the split rules see every layout) or a raw skin file.
#include "LzhEncode.h"
#include "SkinRead.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void Check(const TSkinReader& reader) {
    // Every entry lies inside the data, and lookup finds the first entry of a name.
    std::size_t offset = 0;
    for (int i = 0; i < reader.Count(); ++i) {
        if (reader.Size(i) < 0) std::abort();
        offset += static_cast<std::size_t>(reader.Size(i));
    }
    if (offset > reader.Data().Size()) std::abort();
    // Lookups are checked on the first entries only: each costs a walk over the names.
    offset = 0;
    for (int i = 0; i < std::min(reader.Count(), 64); ++i) {
        const std::string& name = reader.Names()[static_cast<std::size_t>(i)];
        TSkinStream entry;
        reader.GetEntry(name, entry);
        bool first = true;
        for (int j = 0; j < i; ++j)
            if (reader.Names()[static_cast<std::size_t>(j)] == name) first = false;
        if (first &&
            (entry.Size() != static_cast<std::size_t>(reader.Size(i)) ||
             (entry.Size() > 0 &&
              std::memcmp(entry.Memory(), reader.Data().Memory() + offset, entry.Size()) != 0)))
            std::abort();
        offset += static_cast<std::size_t>(reader.Size(i));
    }
    TSkinStream entry;
    std::string name = "unchanged";
    if (!reader.FindEntry(".ini", entry, name) && (name != "unchanged" || entry.Size() != 0))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    std::vector<std::uint8_t> skin;
    std::vector<std::uint8_t> archive(data + 1, data + size);
    const bool packed = data[0] % 2 == 0;
    if (packed) {
        const auto n = static_cast<std::uint32_t>(archive.size());
        skin = {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 24)};
        std::vector<std::uint8_t> stream = LzhEncode(archive.data(), archive.size());
        skin.insert(skin.end(), stream.begin(), stream.end());
    } else {
        skin = archive;
    }
    // A small limit keeps each run quick; the limit's own check is the same at any value.
    TSkinReader reader(1u << 16);
    TSkinStream file(skin);
    if (packed) {
        TSkinStream out;
        if (!reader.Decompress(file, out) || out.Bytes() != archive) std::abort();
    }
    if (reader.ReadArchive(file))
        Check(reader);
    else if (reader.Count() != 0 || reader.Data().Size() != 0 || reader.ErrorText().empty())
        std::abort();
    return 0;
}
