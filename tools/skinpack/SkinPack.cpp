#include "SkinPack.h"

#include "LzhEncode.h"

#include <cstring>

namespace {

// Writes into vectors sized in advance: GCC 12 misjudges inserts after push_back and warns.
void Store(std::vector<std::uint8_t>& out, std::size_t& at, const void* data, std::size_t size) {
    if (size > 0) std::memcpy(out.data() + at, data, size);
    at += size;
}

void Store32(std::vector<std::uint8_t>& out, std::size_t& at, std::uint32_t value) {
    const std::uint8_t bytes[4] = {
        static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
        static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    Store(out, at, bytes, 4);
}

// The 32-bit length of `body` followed by `body`.
std::vector<std::uint8_t> Prefixed(std::uint32_t length, const std::vector<std::uint8_t>& body) {
    std::vector<std::uint8_t> out(4 + body.size());
    std::size_t at = 0;
    Store32(out, at, length);
    Store(out, at, body.data(), body.size());
    return out;
}

} // namespace

void PutLe32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::vector<std::uint8_t> BuildArchive(const std::vector<TPackEntry>& entries) {
    std::string names;
    std::size_t dataSize = 0;
    for (const TPackEntry& e : entries) {
        names += e.Name;
        names += "\r\n";
        dataSize += e.Bytes.size();
    }
    std::vector<std::uint8_t> out(16 + names.size() + 4 * entries.size() + dataSize);
    std::size_t at = 0;
    Store32(out, at, 20000);
    Store32(out, at, static_cast<std::uint32_t>(names.size()));
    at += 8; // reserved, zero
    Store(out, at, names.data(), names.size());
    for (const TPackEntry& e : entries)
        Store32(out, at, static_cast<std::uint32_t>(e.Bytes.size()));
    for (const TPackEntry& e : entries)
        Store(out, at, e.Bytes.data(), e.Bytes.size());
    return out;
}

std::vector<std::uint8_t> MakeSkinFile(const std::vector<std::uint8_t>& archive) {
    return Prefixed(static_cast<std::uint32_t>(archive.size()),
                    LzhEncode(archive.data(), archive.size()));
}

std::vector<std::uint8_t> MakePayload(const std::vector<std::uint8_t>& skinFile) {
    return Prefixed(static_cast<std::uint32_t>(skinFile.size()), skinFile);
}
