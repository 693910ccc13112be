// Start-up and memory of a program against the minimal one, under the same system:
//   app_startup.exe PROGRAM.exe CLASS MINIMAL.exe CLASS [RUNS]
// Each run starts the program, waits until its window of that class is shown (CLASS:skinned:
// and wears its skin), reads its
// working set, and ends it. (Whether the first paint is over cannot be told from outside: a
// program that opens a modal box at once keeps an update region pending behind it.)
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <windows.h>

#include <psapi.h>

#include "BenchRow.h"

namespace {

struct Run {
    double ms;
    double workingSetKiB;
};

// "CLASS:skinned" waits also for the skin: the window answers the skin's query and has taken
// the skin's shape.
bool Shown(const std::string& windowClass) {
    const size_t colon = windowClass.find(':');
    HWND w = FindWindowA(windowClass.substr(0, colon).c_str(), nullptr);
    if (!w || !IsWindowVisible(w)) return false;
    if (colon == std::string::npos) return true;
    constexpr UINT SkinQuery = 0x3504;
    if (SendMessageW(w, SkinQuery, 0, 0) != 1) return false;
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    const bool shaped = GetWindowRgn(w, region) != ERROR;
    DeleteObject(region);
    return shaped;
}

Run StartOnce(const std::string& program, const std::string& windowClass) {
    STARTUPINFOA si{sizeof si};
    PROCESS_INFORMATION pi{};
    std::string line = "\"" + program + "\"";
    LARGE_INTEGER f, a, b;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&a);
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return {-1, 0};
    for (int i = 0; i < 30000 && !Shown(windowClass); ++i)
        Sleep(1);
    QueryPerformanceCounter(&b);
    PROCESS_MEMORY_COUNTERS mem{sizeof mem};
    GetProcessMemoryInfo(pi.hProcess, &mem, sizeof mem);
    // Closed as a user closes it: a killed process leaves its windows for the next start to
    // wait on.
    if (HWND w = FindWindowA(windowClass.substr(0, windowClass.find(':')).c_str(), nullptr))
        PostMessageW(w, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 15000) != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 0);
        WaitForSingleObject(pi.hProcess, 10000);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return {double(b.QuadPart - a.QuadPart) * 1000.0 / double(f.QuadPart),
            double(mem.WorkingSetSize) / 1024.0};
}

Run Median(const std::string& program, const std::string& windowClass, int runs) {
    std::vector<Run> all;
    for (int i = 0; i < runs; ++i)
        all.push_back(StartOnce(program, windowClass));
    std::sort(all.begin(), all.end(), [](const Run& x, const Run& y) { return x.ms < y.ms; });
    return all[all.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: app_startup PROGRAM CLASS MINIMAL CLASS [RUNS]\n");
        return 2;
    }
    const int runs = argc > 5 ? std::atoi(argv[5]) : 7;
    const Run minimal = Median(argv[3], argv[4], runs);
    const Run program = Median(argv[1], argv[2], runs);
    std::printf("window shown       minimal %7.1f ms   program %7.1f ms   ratio %.2f\n", minimal.ms,
                program.ms, program.ms / minimal.ms);
    Bench::Row("program start to window shown vs a minimal program", program.ms, minimal.ms, "ms");
    std::printf("working set        minimal %7.0f KiB  program %7.0f KiB  ratio %.2f\n",
                minimal.workingSetKiB, program.workingSetKiB,
                minimal.workingSetKiB > 0 ? program.workingSetKiB / minimal.workingSetKiB : 0.0);
    return 0;
}
