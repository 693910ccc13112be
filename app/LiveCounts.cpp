#include "app/LiveCounts.h"

#include <cstdio>
#include <malloc.h>

#include <tlhelp32.h>

#include "comm/Thread.h"
#include "ui/Handles.h"

long LiveHeapBlocks() {
    _HEAPINFO entry{};
    long used = 0;
    int status;
    while ((status = _heapwalk(&entry)) == _HEAPOK)
        if (entry._useflag == _USEDENTRY) ++used;
    return status == _HEAPEND ? used : -1;
}

long ProcessThreads() {
    TKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot) return -1;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    long count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == GetCurrentProcessId();
    return count;
}

std::string LiveCountsLine() {
    static constexpr struct {
        const char* Name;
        THandleKind Kind;
    } kinds[] = {
        {"kernel", THandleKind::Kernel},     {"window", THandleKind::Window},
        {"gdi", THandleKind::GdiObject},     {"dc", THandleKind::DC},
        {"windowdc", THandleKind::WindowDC}, {"icon", THandleKind::Icon},
        {"cursor", THandleKind::Cursor},     {"menu", THandleKind::Menu},
        {"hook", THandleKind::Hook},         {"timer", THandleKind::Timer},
        {"subclass", THandleKind::Subclass},
    };
    static_assert(std::size(kinds) == static_cast<size_t>(THandleKind::Count));
    std::string line;
    for (const auto& kind : kinds)
        line += std::string(kind.Name) + "=" + std::to_string(LiveHandles(kind.Kind)) + " ";
    line += "thread=" + std::to_string(TThread::RunningCount());
    line += " heap=" + std::to_string(LiveHeapBlocks());
    line += " process_threads=" + std::to_string(ProcessThreads());
    return line;
}

std::unique_ptr<TLiveCounts> TLiveCounts::FromEnvironment(TExtra Extra) {
    char path[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA(FileVariable, path, sizeof path);
    if (length == 0 || length >= sizeof path) return nullptr;
    return std::make_unique<TLiveCounts>(path, std::move(Extra));
}

TLiveCounts::TLiveCounts(std::string Path, TExtra Extra)
    : FPath(std::move(Path)), FExtra(std::move(Extra)) {
    FTimer.SetInterval(IntervalMs);
    FTimer.SetOnTimer([this](TObject*) { Write(); });
    Write();
}

bool TLiveCounts::Write() const {
    const std::string temporary = FPath + ".new";
    FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) return false;
    std::string line = LiveCountsLine();
    if (FExtra) line.append(" ").append(FExtra());
    line += '\n';
    const bool written = std::fwrite(line.data(), 1, line.size(), file) == line.size();
    if (std::fclose(file) != 0 || !written) return false;
    return MoveFileExA(temporary.c_str(), FPath.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}
