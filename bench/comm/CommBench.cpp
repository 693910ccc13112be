// Throughput and round-trip time through TComm on a simulator port, beside a bare
// overlapped ReadFile/WriteFile loop on the same port, measured in the same run.
//   comm_bench.exe COMx          (run through tools/devsim/with-devsim, COMx a device port)
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <windows.h>

#include "BenchRow.h"
#include "DevsimClient.h"
#include "comm/Comm.h"

namespace {

constexpr uint32_t Megabyte = 1 << 20;
constexpr int Trips = 300;
constexpr int Blocks = 10;

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
    while (!done && GetMessageW(&msg, nullptr, 0, 0))
        DispatchMessageW(&msg);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Receiving a megabyte the device sends at once, in ms.
double ReceiveComm(const std::string& port, DevsimClient& device) {
    TComm comm(nullptr);
    comm.SetCommName(port);
    comm.SetInputLen(2048);
    comm.OpenPort();
    if (!comm.PortOpen()) throw std::runtime_error("open " + port + ": " + comm.PortOpenError());
    uint32_t got = 0;
    bool done = false;
    comm.OnReceiveData = [&](TObject*, const char*, uint16_t n) {
        got += n;
        done = got >= Megabyte;
    };
    device.Kind(port, "silent");
    const LARGE_INTEGER t0 = Now();
    device.SendRandom(port, Megabyte, 3);
    PumpUntil(done);
    return Seconds(t0, Now()) * 1000;
}

// Round trips of the probe and its answer, in ms each; the reads ask for exactly the
// answer's two bytes, as the bare loop's do.
std::vector<double> TripsComm(const std::string& port, int trips) {
    TComm comm(nullptr);
    comm.SetCommName(port);
    comm.SetInputLen(2);
    comm.OpenPort();
    if (!comm.PortOpen()) throw std::runtime_error("open " + port + ": " + comm.PortOpenError());
    bool done = false;
    std::string reply;
    comm.OnReceiveData = [&](TObject*, const char* b, uint16_t n) {
        reply.append(b, n);
        done = reply == "CA";
    };
    std::vector<double> times;
    for (int i = 0; i <= trips; ++i) {
        reply.clear();
        done = false;
        const LARGE_INTEGER a = Now();
        comm.SendData("CA", 2);
        PumpUntil(done);
        if (i > 0) times.push_back(Seconds(a, Now()) * 1000); // the first one warms up
    }
    comm.ClosePort();
    return times;
}

// The same work with nothing but overlapped kernel32 calls on the calling thread.
class BarePort {
  public:
    explicit BarePort(const std::string& port) {
        const std::string path = "\\\\.\\" + port;
        h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                        FILE_FLAG_OVERLAPPED, nullptr);
        if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("bare open " + port);
        COMMTIMEOUTS t{100, 0, 0, 0, 0};
        SetCommTimeouts(h, &t);
        ov.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
    ~BarePort() {
        CloseHandle(ov.hEvent);
        CloseHandle(h);
    }
    DWORD Read(DWORD want) {
        DWORD n = 0;
        if (!ReadFile(h, buffer, want, &n, &ov) && GetLastError() == ERROR_IO_PENDING)
            GetOverlappedResult(h, &ov, &n, TRUE);
        return n;
    }
    void Write(const char* data, DWORD count) {
        DWORD n = 0;
        if (!WriteFile(h, data, count, &n, &ov) && GetLastError() == ERROR_IO_PENDING)
            GetOverlappedResult(h, &ov, &n, TRUE);
    }

  private:
    HANDLE h;
    OVERLAPPED ov{};
    char buffer[2048];
};

double ReceiveBare(const std::string& port, DevsimClient& device) {
    BarePort bare(port);
    device.Kind(port, "silent");
    const LARGE_INTEGER t0 = Now();
    device.SendRandom(port, Megabyte, 3);
    for (uint32_t got = 0; got < Megabyte;)
        got += bare.Read(2048);
    return Seconds(t0, Now()) * 1000;
}

std::vector<double> TripsBare(const std::string& port, int trips) {
    BarePort bare(port);
    std::vector<double> times;
    for (int i = 0; i <= trips; ++i) {
        const LARGE_INTEGER a = Now();
        bare.Write("CA", 2);
        for (DWORD got = 0; got < 2;)
            got += bare.Read(2 - got);
        if (i > 0) times.push_back(Seconds(a, Now()) * 1000);
    }
    return times;
}

} // namespace

int main(int argc, char** argv) {
    const std::string port = argc > 1 ? argv[1] : "COM2";
    try {
        DevsimClient device;
        const double receiveBare = ReceiveBare(port, device);
        const double receiveComm = ReceiveComm(port, device);
        // Round trips in alternating blocks, so that whatever else the machine does falls on
        // both alike.
        device.Kind(port, "device");
        std::vector<double> bare, comm;
        for (int block = 0; block < Blocks; ++block) {
            for (double t : TripsBare(port, Trips / Blocks))
                bare.push_back(t);
            for (double t : TripsComm(port, Trips / Blocks))
                comm.push_back(t);
        }
        const double tripBare = Median(bare), tripComm = Median(comm);
        std::printf("receive 1 MiB  bare %8.1f ms      TComm %8.1f ms      TComm/bare %.2f\n",
                    receiveBare, receiveComm, receiveComm / receiveBare);
        std::printf("round trip     bare %8.3f ms      TComm %8.3f ms      TComm/bare %.2f"
                    " (medians of %d)\n",
                    tripBare, tripComm, tripComm / tripBare, Trips);
        Bench::Row("serial round trip, TComm vs bare loop", tripComm, tripBare, "ms", 1.5);
        Bench::Row("serial receive of 1 MiB, TComm vs bare loop", receiveComm, receiveBare, "ms");
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "comm_bench: %s\n", e.what());
        return 1;
    }
}
