// The pieces the simulator and its clients must agree on: the byte generator, the hash, hex,
// port names, and the registry texts it reads and writes.
#include <gtest/gtest.h>

#include "DevsimStream.h"
#include "Simulator.h"
#include "Text.h"
#include "Vocabulary.h"
#include "WineSetup.h"

using namespace devsim;

TEST(DevsimStream, GeneratorAndHashMatchTheirPublishedDefinitions) {
    // xorshift32 from state 1: 1 -> 0x2001 -> 0x2001 -> 0x42021 after the three shifts.
    XorShift32 one(1);
    EXPECT_EQ(one.NextByte(), 0x21);
    EXPECT_EQ(one.State(), 0x42021u);
    // Salt 0 would repeat 0 for ever; it stands for the classic default state.
    XorShift32 zero(0), classic(2463534242u);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(zero.NextByte(), classic.NextByte());
    XorShift32 again(0);
    EXPECT_NE(again.NextByte() | again.NextByte() | again.NextByte(), 0);

    // FNV-1a 64 reference values: "" and "a".
    Fnv1a64 empty;
    EXPECT_EQ(empty.Hash(), 0xcbf29ce484222325ull);
    Fnv1a64 a;
    const std::uint8_t letter = 'a';
    a.Add(&letter, 1);
    EXPECT_EQ(a.Hash(), 0xaf63dc4c8601ec8cull);
    EXPECT_EQ(a.Count(), 1u);
    a.Reset();
    EXPECT_EQ(a.Hash(), empty.Hash());
    EXPECT_EQ(a.Count(), 0u);
}

TEST(DevsimText, HexAndNumbers) {
    const std::vector<std::uint8_t> bytes{0x00, 0x43, 0x41, 0xff};
    EXPECT_EQ(ToHex(bytes), "004341FF");
    EXPECT_EQ(FromHex("004341ff"), bytes);
    EXPECT_EQ(FromHex(""), std::vector<std::uint8_t>{});
    EXPECT_FALSE(FromHex("434"));
    EXPECT_FALSE(FromHex("4G"));
    EXPECT_FALSE(FromHex("43 41"));

    EXPECT_EQ(ParseUnsigned("0", 10), 0u);
    EXPECT_EQ(ParseUnsigned("18446744073709551615", UINT64_MAX), UINT64_MAX);
    EXPECT_FALSE(ParseUnsigned("18446744073709551616", UINT64_MAX));
    EXPECT_FALSE(ParseUnsigned("11", 10));
    EXPECT_FALSE(ParseUnsigned("-1", 10));
    EXPECT_FALSE(ParseUnsigned("", 10));
    EXPECT_FALSE(ParseUnsigned("1x", 10));
}

TEST(DevsimText, PortNamesAndPlans) {
    EXPECT_EQ(ParsePortName("COM1"), 1);
    EXPECT_EQ(ParsePortName("com256"), 256);
    EXPECT_FALSE(ParsePortName("COM0"));
    EXPECT_FALSE(ParsePortName("COM257"));
    EXPECT_FALSE(ParsePortName("COM02"));
    EXPECT_FALSE(ParsePortName("COM"));
    EXPECT_FALSE(ParsePortName("LPT1"));

    PortPlan portPlan;
    std::string error;
    ASSERT_TRUE(ParsePortPlan("COM10=missing", portPlan, error));
    EXPECT_EQ(portPlan.number, 10);
    EXPECT_EQ(portPlan.kind, Kind::Missing);
    ASSERT_TRUE(ParsePortPlan("COM4=noterm", portPlan, error));
    EXPECT_EQ(portPlan.kind, Kind::NoTerminal);
    EXPECT_FALSE(ParsePortPlan("COM2=modem", portPlan, error));
    EXPECT_NE(error.find("modem"), std::string::npos);
    EXPECT_FALSE(ParsePortPlan("COM2", portPlan, error));
    EXPECT_FALSE(ParsePortPlan("=device", portPlan, error));

    EXPECT_EQ(SplitWords(" send\tCOM2  4341\r"),
              (std::vector<std::string_view>{"send", "COM2", "4341"}));
}

TEST(DevsimWine, PortsKeyIsRewrittenAndOtherKeysKept) {
    const std::string before = "WINE REGISTRY Version 2\n"
                               "\n"
                               "[Software\\\\Wine\\\\Ports] 1796739643\n"
                               "#time=1dd871f4f266a54\n"
                               "\"COM1\"=\"/dev/ttyS0\"\n"
                               "\"LPT1\"=\"/dev/lp0\"\n"
                               "\"com7\"=\"/dev/pts/3\"\n"
                               "\n"
                               "[Software\\\\Wine\\\\PortsElsewhere] 1\n"
                               "\"COM1\"=\"keep\"\n";
    const std::string after = RewritePortsKey(before, {{2, "/dev/pts/9"}, {10, "/dev/null"}});
    EXPECT_EQ(after, "WINE REGISTRY Version 2\n"
                     "\n"
                     "[Software\\\\Wine\\\\Ports] 1796739643\n"
                     "#time=1dd871f4f266a54\n"
                     "\"COM2\"=\"/dev/pts/9\"\n"
                     "\"COM10\"=\"/dev/null\"\n"
                     "\"LPT1\"=\"/dev/lp0\"\n"
                     "\n"
                     "[Software\\\\Wine\\\\PortsElsewhere] 1\n"
                     "\"COM1\"=\"keep\"\n");

    // A prefix without the key gets it.
    const std::string added = RewritePortsKey("WINE REGISTRY Version 2\n", {{3, "/dev/pts/1"}});
    EXPECT_EQ(added,
              "WINE REGISTRY Version 2\n\n[Software\\\\Wine\\\\Ports]\n\"COM3\"=\"/dev/pts/1\"\n");
}

TEST(DevsimWine, SerialCommListingSplitsWantedFromUnwanted) {
    const std::string listing = "\r\nHKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM\r\n"
                                "    \\Device\\Serial0    REG_SZ    COM1\r\n"
                                "    \\Device\\Serial1    REG_SZ    COM2\r\n"
                                "    \\Device\\Serial9    REG_SZ    COM10\r\n\r\n";
    const auto parsed = ParseSerialComm(listing, {2, 10, 3});
    EXPECT_EQ(parsed.unwantedValues, std::vector<std::string>{"\\Device\\Serial0"});
    EXPECT_EQ(parsed.presentPorts, (std::vector<int>{2, 10}));
}

namespace {

std::string Describe(Direction direction, std::string_view bytes) {
    return DescribeChunk(direction, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                         bytes.size());
}

} // namespace

TEST(DevsimVocabulary, CommandsReadAsTheDeviceUnderstandsThem) {
    const auto in = Direction::ToDevice;
    EXPECT_EQ(Describe(in, "CA"), "CA probe");
    EXPECT_EQ(Describe(in, "Aa"), "Aa off hook");
    EXPECT_EQ(Describe(in, "Ca"), "Ca reset (hang up)");
    const std::string digits = "1234567890*#";
    for (std::size_t i = 0; i < digits.size(); ++i) {
        const std::string command{'D', static_cast<char>('a' + i)};
        EXPECT_EQ(Describe(in, command), command + " digit " + digits[i]);
    }
    // Several commands in one chunk, and the flow-control characters.
    EXPECT_EQ(Describe(in, "AaDaDl"), "Aa off hook, Da digit 1, Dl digit #");
    EXPECT_EQ(Describe(in, "\x13"), "XOFF (stop sending)");
    EXPECT_EQ(Describe(in, "\x11"), "XON (go on sending)");
    // A reply's letters mean nothing to the device, nor do unknown letters.
    EXPECT_EQ(Describe(in, "R"), "");
    EXPECT_EQ(Describe(in, "Dm"), "");
}

TEST(DevsimVocabulary, RepliesReadAsTheDialerUnderstandsThem) {
    const auto out = Direction::FromDevice;
    EXPECT_EQ(Describe(out, "CA"), "CA present (answers the probe)");
    EXPECT_EQ(Describe(out, "R"), "R ring");
    EXPECT_EQ(Describe(out, "RR"), "R ring, R ring");
    EXPECT_EQ(Describe(out, "Aa"), "") << "a command sent back is no reply";
}

TEST(DevsimVocabulary, OtherBytesShowAsHexBesideTheWords) {
    EXPECT_EQ(Describe(Direction::ToDevice, "\r\nCA\x7f"), "0D 0A, CA probe, 7F");
    EXPECT_EQ(Describe(Direction::FromDevice, std::string_view("R\x00\x01", 3)), "R ring, 00 01");
    // A half command is no command.
    EXPECT_EQ(Describe(Direction::ToDevice, std::string_view("AaD", 3)), "Aa off hook, 44");
    EXPECT_EQ(Describe(Direction::ToDevice, ""), "");
}
