// Building skin files: the archive of named entries, its compressed form, and the form
// stored in a window description (the skin file's length first).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TPackEntry {
    std::string Name;
    std::vector<std::uint8_t> Bytes;
};

// Version 20000 header, the names one per CR LF-ended line, their sizes, then the data.
std::vector<std::uint8_t> BuildArchive(const std::vector<TPackEntry>& entries);
// The uncompressed size followed by the LZHUF stream.
std::vector<std::uint8_t> MakeSkinFile(const std::vector<std::uint8_t>& archive);
// The skin file's length followed by the skin file.
std::vector<std::uint8_t> MakePayload(const std::vector<std::uint8_t>& skinFile);

void PutLe32(std::vector<std::uint8_t>& out, std::uint32_t value);
