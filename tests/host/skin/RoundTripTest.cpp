#include "PlainLzh.h"
#include "SkinPack.h"
#include "SkinTestUtil.h"

#include <gtest/gtest.h>

using namespace SkinTest;

namespace {

// Encodes, then decodes with both decoders; returns the stream size.
std::size_t RoundTrip(const TBytes& data, TPlainStats* stats = nullptr) {
    TBytes stream = LzhEncode(data.data(), data.size());
    auto size = static_cast<std::uint32_t>(data.size());
    TBytes fast = FastDecode(stream, size);
    TBytes plain = PlainDecode(stream, size, stats);
    EXPECT_EQ(fast, plain);
    fast.resize(std::min(fast.size(), data.size()));
    EXPECT_TRUE(fast == data) << "round trip of " << data.size() << " bytes differs";
    return stream.size();
}

TEST(LzhRoundTrip, RandomDataOfEdgeSizes) {
    for (std::size_t size : {0, 1, 2, 3, 59, 60, 61, 4035, 4036, 4095, 4096, 4097, 70000}) {
        SCOPED_TRACE(size);
        RoundTrip(RandomBytes(size, static_cast<std::uint32_t>(size) + 1));
    }
}

TEST(LzhRoundTrip, LeadingBlanksComeFromTheInitialRing) {
    // After one other byte the nearest run of blanks is in the ring's first content.
    TBytes data = Text("x" + std::string(300, ' ') + "after the blanks" + std::string(70, ' '));
    TPlainStats stats;
    std::size_t packed = RoundTrip(data, &stats);
    EXPECT_GE(stats.InitialRingReads, 60u);
    EXPECT_LT(packed, 40u);
}

TEST(LzhRoundTrip, RunsAndRepeatsUseMatches) {
    TBytes zeros(2 << 20, 0);
    TPlainStats stats;
    std::size_t packed = RoundTrip(zeros, &stats);
    EXPECT_LT(packed, zeros.size() / 40);
    EXPECT_GT(stats.Matches, (2u << 20) / 61);
    EXPECT_GE(stats.Rebuilds, 1u);

    // A block repeated at the farthest distance the ring allows.
    TBytes block = RandomBytes(4096, 99), far;
    for (int i = 0; i < 64; ++i)
        far.insert(far.end(), block.begin(), block.end());
    EXPECT_LT(RoundTrip(far), far.size() / 10);
}

TEST(LzhRoundTrip, StructuredDataOfSeveralMegabytes) {
    // Text-like lines, a 24-bit gradient picture and random bytes, one after another.
    TBytes data;
    for (int i = 0; i < 40000; ++i) {
        std::string line = "Key" + std::to_string(i % 97) + " = " +
                           std::to_string(i * 7919 % 10007) + (i % 3 ? " some words\r\n" : "\r\n");
        data.insert(data.end(), line.begin(), line.end());
    }
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 800; ++x) {
            data.push_back(static_cast<std::uint8_t>(x / 4));
            data.push_back(static_cast<std::uint8_t>(y / 2));
            data.push_back(static_cast<std::uint8_t>((x + y) & 0xF0));
        }
    TBytes noise = RandomBytes(3 << 19, 4);
    data.insert(data.end(), noise.begin(), noise.end());
    ASSERT_GT(data.size(), 3u << 20);
    TPlainStats stats;
    RoundTrip(data, &stats);
    EXPECT_GE(stats.Rebuilds, 10u);
}

TEST(LzhRoundTrip, ArchiveBuiltByThePackerReadsBack) {
    std::vector<TPackEntry> entries = {
        {"Skin.INI", Text("[A]\r\nk=v\r\n")}, {"pic.bmp", RandomBytes(5000, 8)}, {"empty.bmp", {}}};
    TSkinStream skin(MakeSkinFile(BuildArchive(entries)));
    TSkinReader reader;
    ASSERT_TRUE(reader.ReadArchive(skin));
    EXPECT_EQ(reader.Names(), (std::vector<std::string>{"skin.ini", "pic.bmp", "empty.bmp"}));
    TSkinStream out;
    ASSERT_TRUE(reader.GetEntry("PIC.bmp", out));
    EXPECT_EQ(out.Bytes(), entries[1].Bytes);
    ASSERT_TRUE(reader.GetEntry("empty.bmp", out));
    EXPECT_EQ(out.Size(), 0u);

    TBytes payload = MakePayload(skin.Bytes());
    ASSERT_EQ(payload.size(), skin.Size() + 4);
    EXPECT_EQ(payload[0] | payload[1] << 8 | payload[2] << 16 | payload[3] << 24,
              static_cast<int>(skin.Size()));
    EXPECT_TRUE(std::equal(skin.Bytes().begin(), skin.Bytes().end(), payload.begin() + 4));
}

} // namespace
