// A console walk-through of the serial link: lists the serial ports, probes each for the
// telephone-line device, and on the one that answers goes off hook, dials a number and hangs
// up — the same commands the dialer sends.
#include <cstdio>
#include <string>

#include <windows.h>

#include "comm/Comm.h"

namespace {

void PumpFor(DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    }
}

} // namespace

int main(int argc, char** argv) {
    const std::string number = argc > 1 ? argv[1] : "12345";
    TComm comm(nullptr);
    std::string heard;
    comm.OnReceiveData = [&](TObject*, const char* b, uint16_t n) { heard.append(b, n); };

    const uint32_t count = comm.CommPortCount();
    std::printf("%u serial port(s) listed\n", count);
    for (uint32_t i = 0; i < count; ++i) {
        comm.SetCommPortIndex(i);
        comm.SetCommName(comm.CommPortName());
        comm.OpenPort();
        if (!comm.PortOpen()) {
            std::printf("  %s: %s\n", comm.CommName().c_str(), comm.PortOpenError().c_str());
            continue;
        }
        heard.clear();
        comm.SendData("CA", 2);
        PumpFor(200);
        if (heard.find("CA") == std::string::npos) {
            std::printf("  %s: no answer within 200 ms\n", comm.CommName().c_str());
            comm.ClosePort();
            continue;
        }
        std::printf("  %s: the device answered\n", comm.CommName().c_str());
        std::printf("off hook (Aa), dialling %s in 1200 ms\n", number.c_str());
        comm.SendData("Aa", 2);
        PumpFor(1200);
        const std::string keys = "1234567890*#"; // the device's digit codes run 'a'..'l'
        for (char digit : number) {
            const size_t code = keys.find(digit);
            if (code == std::string::npos) continue;
            const char command[2] = {'D', static_cast<char>('a' + code)};
            comm.SendData(command, 2);
            PumpFor(360);
        }
        std::printf("hang up (Ca)\n");
        comm.SendData("Ca", 2);
        PumpFor(100);
        comm.ClosePort();
        return 0;
    }
    std::printf("no device found\n");
    return 1;
}
