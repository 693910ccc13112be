#include "SkinPack.h"

#include "LzhEncode.h"

void PutLe32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::vector<std::uint8_t> BuildArchive(const std::vector<TPackEntry>& entries) {
    std::string names;
    for (const TPackEntry& e : entries)
        names += e.Name + "\r\n";
    std::vector<std::uint8_t> out;
    PutLe32(out, 20000);
    PutLe32(out, static_cast<std::uint32_t>(names.size()));
    out.insert(out.end(), 8, 0);
    out.insert(out.end(), names.begin(), names.end());
    for (const TPackEntry& e : entries)
        PutLe32(out, static_cast<std::uint32_t>(e.Bytes.size()));
    for (const TPackEntry& e : entries)
        out.insert(out.end(), e.Bytes.begin(), e.Bytes.end());
    return out;
}

std::vector<std::uint8_t> MakeSkinFile(const std::vector<std::uint8_t>& archive) {
    std::vector<std::uint8_t> out;
    PutLe32(out, static_cast<std::uint32_t>(archive.size()));
    std::vector<std::uint8_t> stream = LzhEncode(archive.data(), archive.size());
    out.insert(out.end(), stream.begin(), stream.end());
    return out;
}

std::vector<std::uint8_t> MakePayload(const std::vector<std::uint8_t>& skinFile) {
    std::vector<std::uint8_t> out;
    PutLe32(out, static_cast<std::uint32_t>(skinFile.size()));
    out.insert(out.end(), skinFile.begin(), skinFile.end());
    return out;
}
