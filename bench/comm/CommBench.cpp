// Throughput and round-trip time through TComm on a simulator port, beside a bare
// overlapped ReadFile/WriteFile loop on the same port, measured in the same run.
//   comm_bench.exe COMx          (run through tools/devsim/with-devsim, COMx a device port)
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <windows.h>

#include "DevsimClient.h"
#include "comm/Comm.h"

namespace {

constexpr uint32_t Megabyte = 1 << 20;
constexpr int Trips = 300;

double Seconds(LARGE_INTEGER a, LARGE_INTEGER b) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return double(b.QuadPart - a.QuadPart) / double(f.QuadPart);
}
LARGE_INTEGER Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t;
}

void PumpUntil(const bool& done) {
    MSG msg;
    while (!done && GetMessageW(&msg, nullptr, 0, 0)) DispatchMessageW(&msg);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Figures {
    double bytesPerSecond;
    double medianTripMs;
};

Figures MeasureComm(const std::string& port, DevsimClient& device) {
    TComm comm(nullptr);
    comm.SetCommName(port);
    comm.SetInputLen(2048);
    comm.OpenPort();
    if (!comm.PortOpen()) throw std::runtime_error("open " + port + ": " + comm.PortOpenError());
    uint32_t got = 0;
    bool done = false;
    std::string reply;
    comm.OnReceiveData = [&](TObject*, const char* b, uint16_t n) {
        got += n;
        reply.append(b, n);
        done = done || got >= Megabyte || reply == "CA";
    };
    device.Kind(port, "silent");
    const LARGE_INTEGER t0 = Now();
    device.SendRandom(port, Megabyte, 3);
    PumpUntil(done);
    const double rate = Megabyte / Seconds(t0, Now());

    // Round trips read exactly the answer's two bytes, as the bare loop does.
    comm.ClosePort();
    comm.SetInputLen(2);
    comm.OpenPort();
    device.Kind(port, "device");
    std::vector<double> trips;
    for (int i = 0; i < Trips; ++i) {
        reply.clear();
        done = false;
        got = 0;
        const LARGE_INTEGER a = Now();
        comm.SendData("CA", 2);
        PumpUntil(done);
        trips.push_back(Seconds(a, Now()) * 1000);
    }
    comm.ClosePort();
    return {rate, Median(trips)};
}

// The same work with nothing but overlapped kernel32 calls on the calling thread.
Figures MeasureBare(const std::string& port, DevsimClient& device) {
    const std::string path = "\\\\.\\" + port;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("bare open " + port);
    COMMTIMEOUTS t{100, 0, 0, 0, 0};
    SetCommTimeouts(h, &t);
    OVERLAPPED ov{};
    ov.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    char buffer[2048];
    auto read = [&](DWORD want) {
        DWORD n = 0;
        if (!ReadFile(h, buffer, want, &n, &ov) && GetLastError() == ERROR_IO_PENDING)
            GetOverlappedResult(h, &ov, &n, TRUE);
        return n;
    };
    auto write = [&](const char* data, DWORD count) {
        DWORD n = 0;
        if (!WriteFile(h, data, count, &n, &ov) && GetLastError() == ERROR_IO_PENDING)
            GetOverlappedResult(h, &ov, &n, TRUE);
    };
    device.Kind(port, "silent");
    const LARGE_INTEGER t0 = Now();
    device.SendRandom(port, Megabyte, 3);
    for (uint32_t got = 0; got < Megabyte;) got += read(sizeof buffer);
    const double rate = Megabyte / Seconds(t0, Now());

    device.Kind(port, "device");
    std::vector<double> trips;
    for (int i = 0; i < Trips; ++i) {
        const LARGE_INTEGER a = Now();
        write("CA", 2);
        for (DWORD got = 0; got < 2;) got += read(2 - got);
        trips.push_back(Seconds(a, Now()) * 1000);
    }
    CloseHandle(ov.hEvent);
    CloseHandle(h);
    return {rate, Median(trips)};
}

} // namespace

int main(int argc, char** argv) {
    const std::string port = argc > 1 ? argv[1] : "COM2";
    try {
        DevsimClient device;
        const Figures bare = MeasureBare(port, device);
        const Figures comm = MeasureComm(port, device);
        std::printf("receive rate   bare %8.0f KiB/s   TComm %8.0f KiB/s   bare/TComm %.2f\n",
                    bare.bytesPerSecond / 1024, comm.bytesPerSecond / 1024,
                    bare.bytesPerSecond / comm.bytesPerSecond);
        std::printf("round trip     bare %8.3f ms      TComm %8.3f ms      TComm/bare %.2f\n",
                    bare.medianTripMs, comm.medianTripMs, comm.medianTripMs / bare.medianTripMs);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "comm_bench: %s\n", e.what());
        return 1;
    }
}
