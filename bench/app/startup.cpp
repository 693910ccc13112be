// Start-up and memory of a program against the minimal one, under the same system:
//   app_startup.exe PROGRAM.exe MINIMAL.exe [RUNS]
// Each run starts the program, waits until it is idle with its first window shown
// (WaitForInputIdle), reads its working set, and ends it.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <windows.h>

#include <psapi.h>

namespace {

struct Run {
    double ms;
    double workingSetKiB;
};

Run StartOnce(const std::string& program) {
    STARTUPINFOA si{sizeof si};
    PROCESS_INFORMATION pi{};
    std::string line = "\"" + program + "\"";
    LARGE_INTEGER f, a, b;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&a);
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return {-1, 0};
    WaitForInputIdle(pi.hProcess, 30000);
    QueryPerformanceCounter(&b);
    PROCESS_MEMORY_COUNTERS mem{sizeof mem};
    GetProcessMemoryInfo(pi.hProcess, &mem, sizeof mem);
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return {double(b.QuadPart - a.QuadPart) * 1000.0 / double(f.QuadPart),
            double(mem.WorkingSetSize) / 1024.0};
}

Run Median(const std::string& program, int runs) {
    std::vector<Run> all;
    for (int i = 0; i < runs; ++i) all.push_back(StartOnce(program));
    std::sort(all.begin(), all.end(), [](const Run& x, const Run& y) { return x.ms < y.ms; });
    return all[all.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: app_startup PROGRAM MINIMAL [RUNS]\n");
        return 2;
    }
    const int runs = argc > 3 ? std::atoi(argv[3]) : 7;
    const Run minimal = Median(argv[2], runs);
    const Run program = Median(argv[1], runs);
    std::printf("start-up to idle   minimal %7.1f ms   program %7.1f ms   ratio %.2f\n",
                minimal.ms, program.ms, program.ms / minimal.ms);
    std::printf("working set        minimal %7.0f KiB  program %7.0f KiB  ratio %.2f\n",
                minimal.workingSetKiB, program.workingSetKiB,
                minimal.workingSetKiB > 0 ? program.workingSetKiB / minimal.workingSetKiB : 0.0);
    return 0;
}
