#pragma once
// The program's live counts, for long runs watched from outside: the objects our handle
// wrappers hold, by kind, the C runtime's heap blocks in use and the threads.
//
//   kernel=12 window=41 gdi=130 dc=2 windowdc=0 icon=3 cursor=0 menu=2 hook=1 timer=9
//   subclass=30 thread=2 heap=5123 process_threads=9
//
// (thread: our worker threads running; process_threads: every thread of the process, the
// platform's own included.) The program may add counts of its own at the end; the dialer
// adds the length of its history of dialled numbers ("history=4").
//
// A test asks for them by naming a file in DIALER_COUNTS_FILE; the program then writes that
// one line to it every few seconds (replacing it whole, so a reader never sees half a line).
// In normal use the variable is not set and nothing runs.
#include <functional>
#include <memory>
#include <string>

#include "ui/ExtCtrls.h"

// The C runtime heap's blocks in use (every new and malloc of the program, whoever replaces
// operator new), or -1 when the heap cannot be walked.
long LiveHeapBlocks();
// The threads of this process as the system lists them (ours and the platform's own).
long ProcessThreads();
// All counts as one line, in the order above.
std::string LiveCountsLine();

class TLiveCounts {
  public:
    static constexpr const char* FileVariable = "DIALER_COUNTS_FILE";
    static constexpr unsigned IntervalMs = 2000;

    // The program's own counts to add to the line ("history=12"), if any.
    using TExtra = std::function<std::string()>;

    // Writes to the file the environment names, or returns null when none is named.
    static std::unique_ptr<TLiveCounts> FromEnvironment(TExtra Extra = {});
    TLiveCounts(std::string Path, TExtra Extra);
    TLiveCounts(const TLiveCounts&) = delete;
    TLiveCounts& operator=(const TLiveCounts&) = delete;

    // Writes the line now; false when the file could not be replaced.
    bool Write() const;

  private:
    std::string FPath;
    TExtra FExtra;
    TTimer FTimer{nullptr};
};
