#include "LzhModel.h"
#include "PlainLzh.h"
#include "SkinTestUtil.h"

#include <gtest/gtest.h>

#include <set>

using namespace SkinTest;

namespace {

// From the starting tree, a run of 0 bits walks son[626] = 624, 620, 612, 596, 564, 500, 372
// and 116: the leaf of byte 0x74. The code of symbol 256 (a 3-byte match) is 10001100, and
// a position byte of 0 with one more 0 bit is position 0.
TEST(LzhDecode, StreamsDerivedFromTheStartingTree) {
    EXPECT_EQ(FastDecode({}, 1), TBytes{0x74});
    EXPECT_EQ(PlainDecode({}, 1), TBytes{0x74});

    // A match before any byte was written copies the blanks the ring starts with.
    TPlainStats stats;
    EXPECT_EQ(PlainDecode({0x8C}, 3, &stats), Text("   "));
    EXPECT_EQ(stats.Matches, 1u);
    EXPECT_GE(stats.InitialRingReads, 1u);
    EXPECT_EQ(FastDecode({0x8C}, 3), Text("   "));
}

TEST(LzhDecode, LastMatchIsWrittenWholeButTheArchiveEndsAtItsSize) {
    EXPECT_EQ(FastDecode({0x8C}, 1), Text("   "));
    EXPECT_EQ(PlainDecode({0x8C}, 1), Text("   "));

    TSkinStream skin(TBytes{1, 0, 0, 0, 0x8C}), archive;
    TSkinReader reader;
    ASSERT_TRUE(reader.Decompress(skin, archive));
    EXPECT_EQ(archive.Bytes(), Text(" "));
    EXPECT_EQ(archive.Position(), 0u);
}

TEST(LzhDecode, ZeroSizeDecodesNothingAndReadsNothing) {
    int reads = 0, writes = 0;
    TLZH().Unpack(
        0, [&](std::uint8_t*, std::size_t, std::size_t& got) { ++reads, got = 0; },
        [&](const std::uint8_t*, std::size_t n, std::size_t& put) { ++writes, put = n; });
    EXPECT_EQ(reads, 0);
    EXPECT_EQ(writes, 0);
}

TEST(LzhDecode, TruncatedStreamReadsZeroBits) {
    TBytes stream = RandomBytes(300, 7);
    TBytes padded = stream;
    padded.resize(5000, 0);
    TBytes cut = FastDecode(stream, 20000);
    EXPECT_GE(cut.size(), 20000u);
    EXPECT_EQ(cut, FastDecode(padded, 20000));
    EXPECT_EQ(cut, PlainDecode(stream, 20000));
}

// Every byte sequence is a valid stream, so random streams reach every symbol and position
// code, and long ones make the tree rebuild several times.
TEST(LzhDecode, AgreesWithThePlainDecoderOnRandomStreams) {
    for (std::uint32_t salt = 1; salt <= 4; ++salt) {
        TBytes stream = RandomBytes(50000 * salt, salt);
        std::uint32_t size = 400000 + 50000 * salt;
        TPlainStats stats;
        TBytes plain = PlainDecode(stream, size, &stats);
        EXPECT_GE(stats.Rebuilds, 1u) << salt;
        EXPECT_GT(stats.Matches, 1000u) << salt;
        ASSERT_EQ(FastDecode(stream, size), plain) << "salt " << salt;
    }
}

TEST(LzhDecode, SourceMayDeliverFewerBytesThanAsked) {
    TBytes stream = RandomBytes(4000, 11);
    TBytes out;
    std::size_t at = 0;
    TLZH().Unpack(
        12000,
        [&](std::uint8_t* buffer, std::size_t wanted, std::size_t& delivered) {
            delivered = 0;
            while (delivered < std::min<std::size_t>(wanted, 3) && at < stream.size())
                buffer[delivered++] = stream[at++];
        },
        [&](const std::uint8_t* buffer, std::size_t count, std::size_t& written) {
            out.insert(out.end(), buffer, buffer + count);
            written = count;
        });
    EXPECT_EQ(out, FastDecode(stream, 12000));
}

TEST(LzhDecode, DestinationTakingLessIsAnError) {
    TBytes stream = RandomBytes(100, 3);
    std::size_t at = 0;
    EXPECT_THROW(TLZH().Unpack(
                     100,
                     [&](std::uint8_t* buffer, std::size_t wanted, std::size_t& delivered) {
                         delivered = 0;
                         while (delivered < wanted && at < stream.size())
                             buffer[delivered++] = stream[at++];
                     },
                     [&](const std::uint8_t*, std::size_t count, std::size_t& written) {
                         written = count / 2;
                     }),
                 ElzhException);
}

// The tree stays a proper Huffman tree in sorted order through updates and rebuilds.
void ExpectSoundTree(const Lzh::TTree& t) {
    using namespace Lzh;
    std::set<int> leaves;
    for (int i = 0; i < T; ++i) {
        if (i + 1 < T) {
            ASSERT_LE(t.freq[i], t.freq[i + 1]) << i;
        }
        int k = t.son[i];
        if (k >= T) {
            ASSERT_EQ(t.prnt[k], i);
            leaves.insert(k - T);
        } else {
            ASSERT_EQ(t.prnt[k], i);
            ASSERT_EQ(t.prnt[k + 1], i);
            ASSERT_EQ(t.freq[i], t.freq[k] + t.freq[k + 1]) << i;
        }
    }
    EXPECT_EQ(leaves.size(), static_cast<std::size_t>(N_CHAR));
    EXPECT_EQ(t.freq[T], 0xFFFF);
}

TEST(LzhDecode, TreeStaysSortedThroughUpdatesAndRebuilds) {
    auto tree = std::make_unique<Lzh::TTree>();
    tree->Start();
    ExpectSoundTree(*tree);
    std::mt19937 rng(5);
    // Skewed symbol counts make deep trees and many swaps.
    std::geometric_distribution<int> pick(0.05);
    for (int n = 1; n <= 70000; ++n) {
        tree->Update(std::min(pick(rng), Lzh::N_CHAR - 1));
        if (n % 7001 == 0) ExpectSoundTree(*tree);
        ASSERT_LE(tree->freq[Lzh::R], Lzh::MAX_FREQ);
    }
    ExpectSoundTree(*tree);
}

} // namespace
