#include "SkinRead.h"

#include "LzhModel.h"
#include "SkinText.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace {

using namespace Lzh;

// The decoder works on blocks: it asks the source for a block at a time and hands the output
// over in blocks, which keeps the callbacks out of the per-bit and per-byte work.
struct TUnpackState {
    TTree Tree;
    std::uint8_t Ring[N + F - 1];
    std::uint8_t In[4096];
    std::uint8_t Out[16384];
};

class TDecoder {
  public:
    TDecoder(TUnpackState& s, const TLZH::TReadProc& read, const TLZH::TWriteProc& write)
        : S(s), FRead(read), FWrite(write) {}

    void Run(std::uint32_t size) {
        S.Tree.Start();
        std::memset(S.Ring, ' ', RingStart);
        std::memset(S.Ring + RingStart, 0, sizeof S.Ring - RingStart);
        unsigned r = RingStart;
        std::uint64_t produced = 0;
        while (produced < size) {
            int c = DecodeSymbol();
            S.Tree.Update(c);
            if (c < 256) {
                S.Out[FOutLen++] = static_cast<std::uint8_t>(c);
                S.Ring[r] = static_cast<std::uint8_t>(c);
                r = (r + 1) & (N - 1);
                ++produced;
            } else {
                unsigned start = (r - DecodePosition() - 1) & (N - 1);
                int length = c - 255 + THRESHOLD;
                for (int k = 0; k < length; ++k) {
                    std::uint8_t b = S.Ring[(start + k) & (N - 1)];
                    S.Out[FOutLen++] = b;
                    S.Ring[r] = b;
                    r = (r + 1) & (N - 1);
                }
                produced += length;
            }
            if (FOutLen > sizeof S.Out - F) Flush();
        }
        Flush();
    }

  private:
    int DecodeSymbol() {
        if (FCount < 32) Refill();
        const std::int16_t* son = S.Tree.son;
        int c = son[R];
        while (c < T) {
            if (FCount == 0) Refill();
            c = son[c + static_cast<int>(FBits >> 63)];
            FBits <<= 1;
            --FCount;
        }
        return c - T;
    }

    unsigned DecodePosition() {
        if (FCount < 16) Refill();
        unsigned i = static_cast<unsigned>(FBits >> 56);
        FBits <<= 8;
        unsigned high = static_cast<unsigned>(PositionTables.Code[i]) << 6;
        int extra = PositionTables.Len[i] - 2;
        i = (i << extra) | static_cast<unsigned>(FBits >> (64 - extra));
        FBits <<= extra;
        FCount -= 8 + extra;
        return high | (i & 63);
    }

    // Keeps at least 57 bits in the buffer; past the end of the source the bits are zero.
    void Refill() {
        while (FCount <= 56) {
            FBits |= static_cast<std::uint64_t>(NextByte()) << (56 - FCount);
            FCount += 8;
        }
    }

    std::uint8_t NextByte() {
        if (FInPos == FInLen) {
            if (FInEnd) return 0;
            std::size_t got = 0;
            FRead(S.In, sizeof S.In, got);
            if (got == 0) {
                FInEnd = true;
                return 0;
            }
            FInLen = std::min(got, sizeof S.In);
            FInPos = 0;
        }
        return S.In[FInPos++];
    }

    void Flush() {
        if (FOutLen == 0) return;
        std::size_t written = 0;
        FWrite(S.Out, FOutLen, written);
        if (written != FOutLen) throw ElzhException("LZH : Cannot write the decoded data");
        FOutLen = 0;
    }

    TUnpackState& S;
    const TLZH::TReadProc& FRead;
    const TLZH::TWriteProc& FWrite;
    std::uint64_t FBits = 0;
    int FCount = 0;
    std::size_t FInPos = 0, FInLen = 0;
    bool FInEnd = false;
    std::size_t FOutLen = 0;
};

std::int32_t Le32(const std::uint8_t* p) {
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
        static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24);
}

} // namespace

void TLZH::Unpack(std::uint32_t size, const TReadProc& read, const TWriteProc& write) {
    std::unique_ptr<TUnpackState> state(new (std::nothrow) TUnpackState);
    if (!state) throw ElzhException("LZH : Cannot get memory for dictionary tables");
    TDecoder(*state, read, write).Run(size);
}

bool TSkinReader::Refuse(TSkinError error) {
    FError = error;
    FNames.clear();
    FSizes.fill(0);
    FData.Clear();
    return false;
}

bool TSkinReader::Decompress(TSkinStream& source, TSkinStream& dest) {
    FError = TSkinError::None;
    dest.Clear();
    source.Seek(0);
    std::uint8_t field[4];
    if (source.Read(field, 4) < 4) return Refuse(TSkinError::NoSizeField);
    std::int32_t size = Le32(field);
    if (size < 0 || static_cast<std::uint32_t>(size) > FSizeLimit)
        return Refuse(TSkinError::SizeOutOfRange);

    dest.Reserve(static_cast<std::size_t>(size) + F);
    TLZH().Unpack(
        static_cast<std::uint32_t>(size),
        [&](std::uint8_t* buffer, std::size_t wanted, std::size_t& delivered) {
            delivered = source.Read(buffer, wanted);
        },
        [&](const std::uint8_t* buffer, std::size_t count, std::size_t& written) {
            dest.Write(buffer, count);
            written = count;
        });
    // The archive is the first `size` bytes; the tail of a last long match is not part of it.
    if (dest.Size() > static_cast<std::size_t>(size)) dest.SetSize(static_cast<std::size_t>(size));
    dest.Seek(0);
    return true;
}

bool TSkinReader::ReadArchive(TSkinStream& skinFile) {
    FHeader = THeader{};
    Refuse(TSkinError::None);
    TSkinStream archive;
    if (!Decompress(skinFile, archive)) return false;
    return Split(archive);
}

bool TSkinReader::Split(const TSkinStream& archive) {
    const std::uint8_t* bytes = archive.Memory();
    const std::size_t size = archive.Size();

    // Header bytes the archive lacks read as zero, so an empty archive fails on its version.
    std::uint8_t header[16] = {};
    std::memcpy(header, bytes, std::min<std::size_t>(size, 16));
    FHeader.Version = Le32(header);
    FHeader.NameLength = Le32(header + 4);
    std::memcpy(FHeader.Reserved.data(), header + 8, 8);
    if (FHeader.Version != static_cast<std::int32_t>(Version)) return Refuse(TSkinError::Version);
    if (size < 16) return Refuse(TSkinError::ShortHeader);

    const std::size_t nameLength = static_cast<std::size_t>(FHeader.NameLength);
    if (FHeader.NameLength < 0 || nameLength > size - 16) return Refuse(TSkinError::NameText);
    std::string text = SkinText::LowerCase(
        std::string_view(reinterpret_cast<const char*>(bytes) + 16, nameLength));
    auto lines = SkinText::SplitLines(text, false);
    if (lines.size() > static_cast<std::size_t>(MaxEntries))
        return Refuse(TSkinError::TooManyEntries);

    const std::size_t tableAt = 16 + nameLength;
    if (lines.size() * 4 > size - tableAt) return Refuse(TSkinError::SizeTable);
    const std::size_t dataAt = tableAt + lines.size() * 4;
    std::uint64_t total = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        FSizes[i] = Le32(bytes + tableAt + 4 * i);
        if (FSizes[i] < 0) return Refuse(TSkinError::NegativeSize);
        total += static_cast<std::uint64_t>(FSizes[i]);
    }
    if (total > size - dataAt) return Refuse(TSkinError::DataShort);

    FNames.assign(lines.begin(), lines.end());
    FData.Write(bytes + dataAt, size - dataAt);
    FData.Seek(0);
    return true;
}

bool TSkinReader::CopyEntry(std::size_t index, TSkinStream& dest) const {
    std::size_t offset = 0;
    for (std::size_t i = 0; i < index; ++i)
        offset += static_cast<std::size_t>(FSizes[i]);
    dest.Write(FData.Memory() + offset, static_cast<std::size_t>(FSizes[index]));
    dest.Seek(0);
    return true;
}

bool TSkinReader::GetEntry(std::string_view name, TSkinStream& dest) const {
    dest.Clear();
    const std::string wanted = SkinText::LowerCase(name);
    for (std::size_t i = 0; i < FNames.size(); ++i)
        if (FNames[i] == wanted) return CopyEntry(i, dest);
    return false;
}

bool TSkinReader::FindEntry(std::string_view text, TSkinStream& dest,
                            std::string& entryName) const {
    dest.Clear();
    for (std::size_t i = 0; i < FNames.size(); ++i)
        if (FNames[i].find(text) != std::string::npos) {
            entryName = FNames[i];
            return CopyEntry(i, dest);
        }
    return false;
}

std::string TSkinReader::ErrorText() const {
    // Built by appending: GCC 12 warns wrongly on a literal added to a temporary string.
    std::string text;
    switch (FError) {
    case TSkinError::None:
        break;
    case TSkinError::NoSizeField:
        text = "skin file too short: no size field";
        break;
    case TSkinError::SizeOutOfRange:
        text = "archive size out of range (negative or above ";
        text += std::to_string(FSizeLimit);
        text += " bytes)";
        break;
    case TSkinError::Version:
        text = OlderSkinMessage;
        break;
    case TSkinError::ShortHeader:
        text = "archive shorter than its 16-byte header";
        break;
    case TSkinError::NameText:
        text = "name text runs past the archive";
        break;
    case TSkinError::TooManyEntries:
        text = "more than ";
        text += std::to_string(MaxEntries);
        text += " entries";
        break;
    case TSkinError::SizeTable:
        text = "entry size table runs past the archive";
        break;
    case TSkinError::NegativeSize:
        text = "negative entry size";
        break;
    case TSkinError::DataShort:
        text = "entry sizes run past the archive data";
        break;
    }
    return text;
}
