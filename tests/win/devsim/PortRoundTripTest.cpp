// COM ports made by the device simulator, reached with nothing but kernel32: the test is
// started with COM2 as the device, COM10 silent and COM3 listed but unusable.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "DevsimClient.h"

namespace {

class Port {
  public:
    Port(const char* name, DWORD flags) {
        handle_ = CreateFileA((std::string("\\\\.\\") + name).c_str(), GENERIC_READ | GENERIC_WRITE,
                              0, nullptr, OPEN_EXISTING, flags, nullptr);
    }
    ~Port() {
        if (Open()) CloseHandle(handle_);
    }
    Port(const Port&) = delete;
    Port& operator=(const Port&) = delete;
    bool Open() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Handle() const { return handle_; }

  private:
    HANDLE handle_;
};

// Reads until count bytes have come or a read returns none within the port's timeouts.
std::string ReadBytes(HANDLE port, DWORD count) {
    std::string got;
    char buffer[64];
    while (got.size() < count) {
        DWORD n = 0;
        if (!ReadFile(port, buffer, std::min<DWORD>(count - got.size(), sizeof buffer), &n,
                      nullptr) ||
            n == 0)
            break;
        got.append(buffer, n);
    }
    return got;
}

bool WriteBytes(HANDLE port, const std::string& bytes) {
    DWORD n = 0;
    return WriteFile(port, bytes.data(), bytes.size(), &n, nullptr) && n == bytes.size();
}

void SetReadTimeout(HANDLE port, DWORD ms) {
    COMMTIMEOUTS timeouts{};
    timeouts.ReadTotalTimeoutConstant = ms;
    ASSERT_TRUE(SetCommTimeouts(port, &timeouts)) << GetLastError();
}

struct ComPort : ::testing::Test {
    DevsimClient device;
    void SetUp() override {
        device.Clear("COM2");
        device.Clear("COM10");
    }
};

TEST_F(ComPort, SerialCommListsExactlyTheWantedPorts) {
    HKEY key;
    ASSERT_EQ(
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key),
        ERROR_SUCCESS);
    std::vector<std::string> ports;
    for (DWORD i = 0;; ++i) {
        char name[256], data[256];
        DWORD nameLength = sizeof name, dataLength = sizeof data, type = 0;
        if (RegEnumValueA(key, i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data),
                          &dataLength) != ERROR_SUCCESS)
            break;
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ)) << name;
        ports.emplace_back(data);
    }
    RegCloseKey(key);
    std::sort(ports.begin(), ports.end());
    EXPECT_EQ(ports, (std::vector<std::string>{"COM10", "COM2", "COM3"}));
}

TEST_F(ComPort, ProbeIsAnsweredAndDeviceBytesArrive) {
    Port port("COM2", 0);
    ASSERT_TRUE(port.Open()) << GetLastError();
    SetReadTimeout(port.Handle(), 5000);
    ASSERT_TRUE(WriteBytes(port.Handle(), "CA"));
    EXPECT_EQ(ReadBytes(port.Handle(), 2), "CA");
    EXPECT_EQ(device.Rx("COM2"), "CA");

    device.Send("COM2", std::string("R\0\xff", 3));
    EXPECT_EQ(ReadBytes(port.Handle(), 3), std::string("R\0\xff", 3));
}

TEST_F(ComPort, OverlappedRoundTrip) {
    Port port("COM2", FILE_FLAG_OVERLAPPED);
    ASSERT_TRUE(port.Open()) << GetLastError();
    SetReadTimeout(port.Handle(), 5000);
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    char buffer[2] = {};
    OVERLAPPED read{};
    read.hEvent = event;
    DWORD n = 0;
    // The read is pending before the probe goes out, as a reader thread's would be.
    const BOOL done = ReadFile(port.Handle(), buffer, 2, nullptr, &read);
    ASSERT_TRUE(done || GetLastError() == ERROR_IO_PENDING) << GetLastError();

    HANDLE writeEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    OVERLAPPED write{};
    write.hEvent = writeEvent;
    const BOOL written = WriteFile(port.Handle(), "CA", 2, nullptr, &write);
    ASSERT_TRUE(written || GetLastError() == ERROR_IO_PENDING) << GetLastError();
    ASSERT_TRUE(GetOverlappedResult(port.Handle(), &write, &n, TRUE));
    EXPECT_EQ(n, 2u);

    ASSERT_TRUE(GetOverlappedResult(port.Handle(), &read, &n, TRUE)) << GetLastError();
    std::string got(buffer, n);
    if (n < 2) got += ReadBytes(port.Handle(), 2 - n); // the answer may come in two pieces
    EXPECT_EQ(got, "CA");
    CloseHandle(event);
    CloseHandle(writeEvent);
}

TEST_F(ComPort, TwoHundredOpenCloseCyclesKeepWorking) {
    for (int i = 0; i < 200; ++i) {
        Port port("COM2", 0);
        ASSERT_TRUE(port.Open()) << "cycle " << i << ": " << GetLastError();
        SetReadTimeout(port.Handle(), 5000);
        ASSERT_TRUE(WriteBytes(port.Handle(), "CA")) << "cycle " << i;
        ASSERT_EQ(ReadBytes(port.Handle(), 2), "CA") << "cycle " << i;
    }
    std::uint64_t received = 0;
    EXPECT_TRUE(device.Wait("COM2", 400, 5000, &received));
    EXPECT_EQ(received, 400u);
}

TEST_F(ComPort, SilentPortHearsButNeverAnswers) {
    Port port("COM10", 0);
    ASSERT_TRUE(port.Open()) << GetLastError();
    SetReadTimeout(port.Handle(), 5000);
    ASSERT_TRUE(WriteBytes(port.Handle(), "CA"));
    ASSERT_TRUE(device.Wait("COM10", 2, 5000));
    // Had the port answered, its "CA" would be read before this marker.
    device.Send("COM10", "X");
    EXPECT_EQ(ReadBytes(port.Handle(), 1), "X");
    EXPECT_EQ(device.Rx("COM10"), "CA");
}

TEST_F(ComPort, MissingPortIsRefusedAtOpen) {
    Port port("COM3", 0);
    EXPECT_FALSE(port.Open()) << "a listed port with nothing behind it must not open";
}

TEST_F(ComPort, ClientReportsTheSimulatorsRefusals) {
    EXPECT_EQ(device.Command("rx COM3"), "err COM3 is a missing port");
    EXPECT_EQ(device.Command("rx COM4"), "err no port COM4");
    EXPECT_THROW(device.Send("COM4", "x"), DevsimError);
    std::uint64_t received = 99;
    EXPECT_FALSE(device.Wait("COM10", 1, 50, &received));
    EXPECT_EQ(received, 0u);
}

} // namespace
