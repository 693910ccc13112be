// The skin file: LZHUF decompression (TLZH) and the archive of named entries (TSkinReader).
#pragma once

#include "SkinStream.h"

#include <array>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class ElzhException : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class TLZH {
  public:
    // Copy up to `wanted` bytes into the buffer and report how many were given (0 at the end).
    using TReadProc =
        std::function<void(std::uint8_t* buffer, std::size_t wanted, std::size_t& delivered)>;
    // Append `count` bytes and report how many were taken.
    using TWriteProc =
        std::function<void(const std::uint8_t* buffer, std::size_t count, std::size_t& written)>;

    // Decodes until at least `size` bytes were written; the last match is written whole, so
    // up to 59 bytes more may follow. Bytes missing from the source read as zero. Throws
    // ElzhException when the tables cannot be had or the destination takes less than given.
    void Unpack(std::uint32_t size, const TReadProc& read, const TWriteProc& write);
};

// Why an archive was refused.
enum class TSkinError {
    None,
    NoSizeField,    // the skin file is shorter than its 4-byte size
    SizeOutOfRange, // the uncompressed size is negative or above the reader's limit
    Version,        // the archive's version is not 20000 (also an empty archive)
    ShortHeader,    // fewer than 16 header bytes
    NameText,       // the name text runs past the archive
    TooManyEntries, // more than MaxEntries names
    SizeTable,      // the size table runs past the archive
    NegativeSize,   // an entry size below zero
    DataShort,      // the entry sizes add up to more data than the archive holds
};

// The message a user sees when a skin of another version is offered.
inline constexpr const char* OlderSkinMessage =
    "This is Older Skin File\rPlease update to new version !";

class TSkinReader {
  public:
    static constexpr int MaxEntries = 1001;
    static constexpr std::uint32_t Version = 20000;
    // Skins decompress to a few hundred KB; a size field far above that is corrupt, and the
    // decoder must not be made to fill gigabytes for it.
    static constexpr std::uint32_t DefaultSizeLimit = 64u << 20;

    struct THeader {
        std::int32_t Version = 0;
        std::int32_t NameLength = 0;
        std::array<std::uint8_t, 8> Reserved{};
    };

    explicit TSkinReader(std::uint32_t sizeLimit = DefaultSizeLimit) : FSizeLimit(sizeLimit) {}

    // Decompresses the skin file `source` into `dest`, which then holds exactly the
    // uncompressed size's bytes. False (dest empty) when the size field is missing or out of
    // range.
    bool Decompress(TSkinStream& source, TSkinStream& dest);
    // Decompresses and splits a skin file; false when it is refused (see Error()), and then the
    // reader holds no entries.
    bool ReadArchive(TSkinStream& skinFile);
    // Copies the first entry named `name` (any case) into dest; false and dest empty if none.
    bool GetEntry(std::string_view name, TSkinStream& dest) const;
    // Copies the first entry whose lower-case name contains `text` into dest and names it;
    // false, dest empty and entryName untouched if none.
    bool FindEntry(std::string_view text, TSkinStream& dest, std::string& entryName) const;

    const std::vector<std::string>& Names() const { return FNames; }
    int Count() const { return static_cast<int>(FNames.size()); }
    std::int32_t Size(int index) const { return FSizes[static_cast<std::size_t>(index)]; }
    const TSkinStream& Data() const { return FData; }
    const THeader& Header() const { return FHeader; }
    TSkinError Error() const { return FError; }
    // A line of English for people and tools; OlderSkinMessage for a version mismatch.
    std::string ErrorText() const;

  private:
    bool Refuse(TSkinError error);
    bool Split(const TSkinStream& archive);
    bool CopyEntry(std::size_t index, TSkinStream& dest) const;

    std::uint32_t FSizeLimit;
    THeader FHeader;
    std::vector<std::string> FNames;
    std::array<std::int32_t, MaxEntries> FSizes{};
    TSkinStream FData;
    TSkinError FError = TSkinError::None;
};
