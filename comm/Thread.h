#pragma once
// A worker thread created suspended, given its priority, resumed and waited for.
#include <atomic>

#include <windows.h>

class TThread {
  public:
    TThread() = default;
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;
    // A thread that was created but never resumed is let run to an immediate end, so no
    // suspended thread is ever left behind.
    virtual ~TThread();

    bool Create();
    void SetPriority(int priority) { ::SetThreadPriority(FHandle, priority); }
    void Resume() {
        ::ResumeThread(FHandle);
        FStarted = true;
    }
    void WaitFor();
    DWORD ThreadId() const { return FThreadId; }
    // Threads whose body is running now, of every TThread.
    static long RunningCount() { return Running.load(); }

  protected:
    virtual void Execute() = 0;

  private:
    static DWORD WINAPI Trampoline(void* self);
    static std::atomic<long> Running;

    HANDLE FHandle = nullptr;
    DWORD FThreadId = 0;
    bool FStarted = false;
    bool FDiscarded = false;
};
