#include "LzhEncode.h"

#include "LzhModel.h"

#include <algorithm>
#include <memory>

namespace {

using namespace Lzh;

class TBitWriter {
  public:
    explicit TBitWriter(std::vector<std::uint8_t>& out) : FOut(out) {}
    // Appends the low `count` bits of `bits`, most significant first.
    void Put(std::uint32_t bits, int count) {
        for (int i = count - 1; i >= 0; --i) {
            FByte = static_cast<std::uint8_t>(FByte << 1 | ((bits >> i) & 1));
            if (++FUsed == 8) {
                FOut.push_back(FByte);
                FByte = 0;
                FUsed = 0;
            }
        }
    }
    void Finish() {
        if (FUsed > 0) FOut.push_back(static_cast<std::uint8_t>(FByte << (8 - FUsed)));
        FUsed = 0;
    }

  private:
    std::vector<std::uint8_t>& FOut;
    std::uint8_t FByte = 0;
    int FUsed = 0;
};

// Code of the upper six bits of a position: the first byte value that decodes to them, and
// how many of its leading bits identify them.
struct TPositionCode {
    std::uint8_t Code[64];
    std::uint8_t Len[64];
};

TPositionCode MakePositionCode() {
    TPositionCode p{};
    for (int b = 255; b >= 0; --b) {
        p.Code[PositionTables.Code[b]] = static_cast<std::uint8_t>(b);
        p.Len[PositionTables.Code[b]] = PositionTables.Len[b];
    }
    return p;
}

class TEncoder {
  public:
    TEncoder(std::vector<std::uint8_t>& out) : FBits(out), FPositionCode(MakePositionCode()) {
        FTree.Start();
    }

    void Symbol(int c) {
        // Walk from the leaf to the root; a node's bit is whether it is the second child.
        int path[T];
        int length = 0;
        for (int k = FTree.prnt[c + T]; k != R; k = FTree.prnt[k])
            path[length++] = k & 1;
        while (length > 0)
            FBits.Put(static_cast<std::uint32_t>(path[--length]), 1);
        FTree.Update(c);
    }

    void Position(unsigned position) {
        unsigned high = position >> 6;
        int len = FPositionCode.Len[high];
        FBits.Put(FPositionCode.Code[high] >> (8 - len), len);
        FBits.Put(position & 63, 6);
    }

    void Finish() { FBits.Finish(); }

  private:
    TBitWriter FBits;
    TPositionCode FPositionCode;
    TTree FTree;
};

// Greedy LZSS over a window that starts with the decoder's blank-filled ring, so that data
// beginning with blanks can refer to them too.
class TMatcher {
  public:
    static constexpr int HashBits = 14;
    static constexpr int MaxChain = 256;

    TMatcher(const std::uint8_t* data, std::size_t size) : FSize(RingStart + size) {
        FWindow.assign(RingStart, ' ');
        FWindow.insert(FWindow.end(), data, data + size);
        FHead.assign(std::size_t(1) << HashBits, -1);
        FPrev.assign(FSize, -1);
    }

    std::size_t WindowSize() const { return FSize; }
    std::uint8_t At(std::size_t i) const { return FWindow[i]; }

    void Insert(std::size_t pos) {
        if (pos + 3 > FSize) return;
        unsigned h = Hash(pos);
        FPrev[pos] = FHead[h];
        FHead[h] = static_cast<std::int32_t>(pos);
    }

    // Longest match for the bytes at pos: its length (0 when below the minimum) and distance.
    int Find(std::size_t pos, unsigned& distance) const {
        if (pos + THRESHOLD + 1 > FSize) return 0;
        const int limit = static_cast<int>(std::min<std::size_t>(F, FSize - pos));
        int best = 0;
        int chain = MaxChain;
        for (std::int32_t cand = FHead[Hash(pos)]; cand >= 0 && chain-- > 0;
             cand = FPrev[static_cast<std::size_t>(cand)]) {
            std::size_t d = pos - static_cast<std::size_t>(cand);
            if (d > static_cast<std::size_t>(N)) break;
            int len = 0;
            while (len < limit &&
                   FWindow[static_cast<std::size_t>(cand) + len] == FWindow[pos + len])
                ++len;
            if (len > best) {
                best = len;
                distance = static_cast<unsigned>(d);
                if (len == limit) break;
            }
        }
        return best > THRESHOLD ? best : 0;
    }

  private:
    unsigned Hash(std::size_t pos) const {
        unsigned v = FWindow[pos] << 16 | FWindow[pos + 1] << 8 | FWindow[pos + 2];
        return (v * 2654435761u) >> (32 - HashBits);
    }

    std::size_t FSize;
    std::vector<std::uint8_t> FWindow;
    std::vector<std::int32_t> FHead;
    std::vector<std::int32_t> FPrev;
};

} // namespace

std::vector<std::uint8_t> LzhEncode(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> out;
    auto encoder = std::make_unique<TEncoder>(out);
    TMatcher matcher(data, size);
    // Only the blanks the ring still holds when the data starts may be referred to.
    for (std::size_t i = RingStart > N ? RingStart - N : 0; i < RingStart; ++i)
        matcher.Insert(i);

    std::size_t pos = RingStart;
    while (pos < matcher.WindowSize()) {
        unsigned distance = 0;
        int length = matcher.Find(pos, distance);
        if (length == 0) {
            encoder->Symbol(matcher.At(pos));
            matcher.Insert(pos++);
            continue;
        }
        encoder->Symbol(255 - THRESHOLD + length);
        encoder->Position(distance - 1);
        for (int k = 0; k < length; ++k)
            matcher.Insert(pos++);
    }
    encoder->Finish();
    return out;
}
