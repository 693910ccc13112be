// TComm on real COM ports: pseudo-terminals held by the device simulator and mapped into
// Wine. The simulator's control channel makes the device talk and reports what it heard.
#include <gtest/gtest.h>

#include <windows.h>

#include <tlhelp32.h>

#include "CommEvents.h"
#include "DevsimClient.h"
#include "comm/Comm.h"
#include "ui/Handles.h"

namespace {

int ThreadsOfThisProcess() {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{sizeof entry};
    int n = 0;
    for (BOOL ok = Thread32First(snap, &entry); ok; ok = Thread32Next(snap, &entry))
        n += entry.th32OwnerProcessID == GetCurrentProcessId();
    CloseHandle(snap);
    return n;
}

// The ports the test is started with: COM1 and COM2 answer like the device, COM10 stays
// silent, COM5 is listed but cannot be opened.
struct CommPort : ::testing::Test {
    DevsimClient device;
    TComm comm{nullptr};
    CommEvents seen;

    void SetUp() override {
        seen.Attach(comm);
        for (const char* port : {"COM1", "COM2", "COM10"})
            device.Clear(port);
    }
    void Open(const char* name) {
        comm.SetCommName(name);
        comm.OpenPort();
        ASSERT_NE(comm.PortHandle(), nullptr) << name << ": " << comm.PortOpenError();
        ASSERT_TRUE(PumpUntil([&] { return seen.Count("empty") >= 1; }));
    }
    std::string Received() const {
        std::string all;
        for (const auto& e : seen.events)
            if (e.rfind("data:", 0) == 0) all += e.substr(5);
        return all;
    }
};

TEST_F(CommPort, ReopeningTwoHundredTimesLeavesNothingBehind) {
    const int threads = ThreadsOfThisProcess();
    const long handles = LiveHandles(THandleKind::Kernel);
    for (int i = 0; i < 200; ++i) {
        comm.SetCommName("COM2");
        comm.OpenPort();
        ASSERT_NE(comm.PortHandle(), nullptr) << "cycle " << i << ": " << comm.PortOpenError();
        comm.ClosePort();
    }
    EXPECT_EQ(ThreadsOfThisProcess(), threads);
    EXPECT_EQ(LiveHandles(THandleKind::Kernel), handles);
    // The port still works after all that.
    Open("COM2");
    ASSERT_TRUE(comm.SendData("CA", 2));
    ASSERT_TRUE(PumpUntil([&] { return Received() == "CA"; }));
}

TEST_F(CommPort, CommandsReachTheDeviceInOrder) {
    Open("COM1");
    for (const char* c : {"Aa", "Da", "Db", "Dl", "Ca"})
        ASSERT_TRUE(comm.SendData(c, 2));
    EXPECT_TRUE(device.Wait("COM1", 10, 5000));
    EXPECT_EQ(device.Rx("COM1"), "AaDaDbDlCa");
    ASSERT_TRUE(PumpUntil([&] { return seen.Count("empty") >= 2; }));
    EXPECT_TRUE(comm.SendData("Dc", 2));
    ASSERT_TRUE(PumpUntil([&] { return seen.Count("empty") >= 3; }));
    EXPECT_TRUE(device.Wait("COM1", 12, 5000));
}

TEST_F(CommPort, OneByteReadsSplitTheProbeAnswer) {
    Open("COM1");
    ASSERT_TRUE(comm.SendData("CA", 2)); // the device answers the probe
    ASSERT_TRUE(PumpUntil([&] { return Received() == "CA"; }));
    EXPECT_EQ(seen.Count("data:C"), 1);
    EXPECT_EQ(seen.Count("data:A"), 1);
}

TEST_F(CommPort, TwoByteReadsJoinWaitingBytesAndALoneByteFollowsTheInterval) {
    comm.SetInputLen(2);
    Open("COM10");
    device.Send("COM10", "CA");
    ASSERT_TRUE(PumpUntil([&] { return Received() == "CA"; }));
    EXPECT_EQ(seen.Count("data:CA"), 1);

    // A lone byte completes the two-byte read once the 100 ms interval has passed.
    seen.events.clear();
    const ULONGLONG sent = GetTickCount64();
    device.Send("COM10", "R");
    ULONGLONG arrived = 0;
    comm.OnReceiveData = [&](TObject*, const char* b, uint16_t n) {
        arrived = GetTickCount64();
        seen.events.push_back("data:" + std::string(b, n));
    };
    ASSERT_TRUE(PumpUntil([&] { return arrived != 0; }));
    EXPECT_EQ(seen.events.front(), "data:R");
    const ULONGLONG took = arrived - sent;
    EXPECT_GE(took, 80u) << "tolerance: 100 ms interval, -20 ms for timer granularity";
    EXPECT_LE(took, 400u) << "tolerance: +300 ms for the simulator and Wine's scheduling";
}

TEST_F(CommPort, AMegabyteEachWayAtOnceArrivesIntact) {
    constexpr uint32_t size = 1 << 20;
    comm.SetInputLen(2048);
    Open("COM10"); // silent: the device only sends what it is told to
    uint32_t count = 0;
    uint64_t hash = Fnv1a64Start;
    comm.OnReceiveData = [&](TObject*, const char* b, uint16_t n) {
        hash = Fnv1a64(hash, b, n);
        count += n;
    };
    device.SendRandom("COM10", size, 7);

    std::string outgoing = RandomBytes(size, 11);
    for (uint32_t at = 0; at < size; at += 32768)
        ASSERT_TRUE(comm.SendData(outgoing.data() + at, 32768));
    ASSERT_TRUE(PumpUntil([&] { return count >= size; }, 120000)) << count;
    EXPECT_EQ(count, size);
    EXPECT_EQ(hash, Fnv1a64(Fnv1a64Start, RandomBytes(size, 7).data(), size));
    ASSERT_TRUE(device.Wait("COM10", size, 120000));
    const auto sum = device.RxSum("COM10");
    EXPECT_EQ(sum.count, size);
    EXPECT_EQ(sum.hash, Fnv1a64(Fnv1a64Start, outgoing.data(), size));
    EXPECT_EQ(seen.Count("hangup"), 0);
}

// The driver takes flow characters out of the input, so a byte sent after one shows when it
// has been seen.
TEST_F(CommPort, AnXoffHoldsOutputUntilTheHoldIsReleasedAndFlowControlStaysOn) {
    comm.SetOutx_XonXoffFlow(true);
    comm.SetInx_XonXoffFlow(true);
    comm.SetTxContinueOnXoff(true);
    Open("COM10");
    device.Send("COM10", "\x13R");
    ASSERT_TRUE(PumpUntil([&] { return Received() == "R"; })) << Received();
    ASSERT_TRUE(comm.SendData("Aa", 2));
    ASSERT_TRUE(comm.SendData("Da", 2));
    EXPECT_FALSE(device.Wait("COM10", 1, 500)) << "an XOFF holds the output";

    comm.ReleaseOutputHold();
    ASSERT_TRUE(comm.SendData("Ca", 2));
    EXPECT_TRUE(device.Wait("COM10", 6, 5000));
    EXPECT_EQ(device.Rx("COM10"), "AaDaCa");

    // Flow control is still on: a new XOFF holds again, and an XON lets go.
    device.Send("COM10", "\x13R");
    ASSERT_TRUE(PumpUntil([&] { return Received() == "RR"; })) << Received();
    ASSERT_TRUE(comm.SendData("Db", 2));
    EXPECT_FALSE(device.Wait("COM10", 8, 500));
    device.Send("COM10", "\x11");
    EXPECT_TRUE(device.Wait("COM10", 8, 5000));
    EXPECT_EQ(device.Rx("COM10"), "AaDaCaDb");
    EXPECT_EQ(seen.Count("hangup"), 0);
}

TEST_F(CommPort, OpenFailures) {
    comm.SetCommName("COM77"); // not mapped at all
    comm.OpenPort();
    EXPECT_EQ(comm.PortHandle(), nullptr);
    EXPECT_EQ(comm.PortOpenError(), "Error opening serial port");
    EXPECT_FALSE(comm.PortOpen());

    comm.SetCommName("COM5"); // listed, but nothing can be opened behind it
    comm.OpenPort();
    EXPECT_EQ(comm.PortHandle(), nullptr);
    EXPECT_EQ(comm.PortOpenError(), "Error opening serial port");

    comm.SetCommName("COM1");
    comm.SetPortOpen(true);
    EXPECT_TRUE(comm.PortOpen());
    EXPECT_EQ(comm.PortOpenError(), "");
    comm.SetPortOpen(false);
    EXPECT_EQ(comm.PortHandle(), nullptr);
}

TEST_F(CommPort, PortListComesSortedFromTheRegistry) {
    comm.SetCommPortIndex(1); // before any enumeration: ignored
    EXPECT_EQ(comm.CommPortIndex(), 0u);
    ASSERT_EQ(comm.CommPortCount(), 4u);
    EXPECT_EQ(comm.CommPortName(), "COM1");
    const char* expected[] = {"COM1", "COM10", "COM2", "COM5"};
    for (uint32_t i = 0; i < 4; ++i) {
        comm.SetCommPortIndex(i);
        EXPECT_EQ(comm.CommPortName(), expected[i]);
    }
    comm.SetCommPortIndex(4);
    EXPECT_EQ(comm.CommPortName(), "COM5") << "an index past the list is ignored";
    EXPECT_EQ(comm.CommName(), "COM1") << "the list never changes the name to open";

    // A second value naming the same port: count and list stay in step.
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_SET_VALUE,
                            &key),
              ERROR_SUCCESS);
    const char dup[] = "COM2";
    RegSetValueExA(key, "TestDuplicate", 0, REG_SZ, reinterpret_cast<const BYTE*>(dup), sizeof dup);
    TComm fresh(nullptr);
    const uint32_t count = fresh.CommPortCount();
    RegDeleteValueA(key, "TestDuplicate");
    RegCloseKey(key);
    EXPECT_EQ(count, 4u);
    fresh.SetCommPortIndex(count - 1);
    EXPECT_EQ(fresh.CommPortName(), "COM5");
}

} // namespace
