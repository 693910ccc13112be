#pragma once
// A serial port made of events and queues, for what no real port here can produce: line
// errors, ring and carrier, reads and writes that fail, a write stalled by flow control, a
// driver that completes an operation only when the port is closed.
// It keeps the overlapped contract (pending operations complete by signalling their
// event) so the component's threads run their real code paths against it. It also keeps the
// books a test needs: every block handed between threads, every post tried, and every
// completion that would have landed in a record whose thread had already ended.
#include <cstdint>
#include <deque>
#include <set>
#include <string>
#include <vector>

#include <windows.h>

#include "comm/SerialPlatform.h"

class FakeSerial : public TSerialPlatform {
  public:
    FakeSerial();
    ~FakeSerial() override;

    // What the test scripts.
    void Receive(const std::string& bytes); // bytes arriving from the line
    void RaiseLineEvent(DWORD mask, DWORD errors = 0);
    void FailPendingRead(DWORD error); // or the next read, when none is pending
    void FailNextWrite(DWORD error);   // the next write fails at once with this error
    void BlockWrites(bool blocked);    // a peer that sent XOFF: writes stay pending
    void ReleaseWrites();              // XON: the stalled write completes, later ones go through
    // Turning output flow control off (SetCommState with fOutX going from 1 to 0) releases
    // writes held as above, as it does on a pseudo-terminal; the SETXON escape does not.
    void FailPosts(bool fail);
    // An output purge waits until released (the writer is held right after a fault); release
    // it before closing the port, whose own output purge would wait too.
    void HoldOutputPurge(bool hold);

    DWORD setCommMaskError = 0;   // non-zero: SetCommMask fails with it
    DWORD waitCommEventError = 0; // non-zero: WaitCommEvent fails at once with it
    DWORD fileType = FILE_TYPE_CHAR;
    bool setupCommFails = false;
    // A driver that aborts a stalled write only when the port is closed, not on a purge.
    bool purgeLeavesWritesPending = false;
    // Ports (by device path, "\\.\COMn") where a device answers each probe "CA" with "CA";
    // ports that cannot be opened; ports that open but refuse their driver queues.
    std::set<std::string> devicePaths;
    std::set<std::string> refusedPaths;
    std::set<std::string> noQueuePaths;

    // What the component did.
    std::string Written();
    int WriteCalls();
    int SetCommStateCalls();
    int EscapeCalls(DWORD function);
    DCB LastDcb();
    COMMTIMEOUTS LastTimeouts();
    int PurgeCalls(DWORD flags); // purges with exactly these flags
    bool PortOpen();
    std::vector<std::string> Opened(); // every path an open was tried on, in order
    int PostsTried(UINT msg);          // posts of this notification, refused ones included
    int BlocksAllocated();
    int BlocksLive(); // allocated and not freed yet
    // Completions of operations whose thread had ended: they would have written into freed
    // records (the fake counts them instead).
    int CompletionsAfterTheirThreadEnded();
    int CompletionsAtClose(); // operations still pending when the port was closed

    HANDLE OpenPort(const char* path) override;
    BOOL ClosePort(HANDLE port) override;
    DWORD GetFileType(HANDLE) override { return fileType; }
    BOOL SetupComm(HANDLE, DWORD, DWORD) override;
    BOOL PurgeComm(HANDLE port, DWORD flags) override;
    BOOL GetCommState(HANDLE, DCB* dcb) override;
    BOOL SetCommState(HANDLE, DCB* dcb) override;
    BOOL GetCommTimeouts(HANDLE, COMMTIMEOUTS* t) override;
    BOOL SetCommTimeouts(HANDLE, COMMTIMEOUTS* t) override;
    BOOL SetCommMask(HANDLE, DWORD mask) override;
    BOOL WaitCommEvent(HANDLE, DWORD* mask, OVERLAPPED* ov) override;
    BOOL ReadFile(HANDLE, void* buffer, DWORD count, DWORD* done, OVERLAPPED* ov) override;
    BOOL WriteFile(HANDLE, const void* data, DWORD count, DWORD* done, OVERLAPPED* ov) override;
    BOOL GetOverlappedResult(HANDLE, OVERLAPPED* ov, DWORD* done, BOOL wait) override;
    BOOL ClearCommError(HANDLE, DWORD* errors, COMSTAT*) override;
    BOOL EscapeCommFunction(HANDLE, DWORD function) override;
    BOOL CancelIo(HANDLE port) override;
    BOOL PostMessage(HWND window, UINT msg, WPARAM w, LPARAM l) override;
    HLOCAL LocalAlloc(UINT flags, SIZE_T bytes) override;
    HLOCAL LocalFree(HLOCAL block) override;

  private:
    struct Pending {
        OVERLAPPED* ov = nullptr;
        char* buffer = nullptr;
        DWORD size = 0;
        DWORD* mask = nullptr;
        HANDLE thread = nullptr; // the thread that started it, whose records these are
        DWORD threadId = 0;
    };
    struct Result {
        OVERLAPPED* ov;
        BOOL ok;
        DWORD done;
        DWORD error;
    };
    template <typename F> auto Locked(F f) {
        EnterCriticalSection(&lock_);
        struct Leave {
            CRITICAL_SECTION* l;
            ~Leave() { LeaveCriticalSection(l); }
        } leave{&lock_};
        return f();
    }
    // Under the lock.
    Pending Track(OVERLAPPED* ov, char* buffer, DWORD size, DWORD* mask);
    void Finish(Pending& p, BOOL ok, DWORD done, DWORD error, DWORD mask = 0);
    void Complete(OVERLAPPED* ov, BOOL ok, DWORD done, DWORD error);
    void Start(OVERLAPPED* ov); // a new operation on ov supersedes any result left on it
    bool TryFillRead();
    void ReleaseStalledWrite();
    void Inbound(const std::string& bytes);

    CRITICAL_SECTION lock_;
    HANDLE port_ = nullptr;
    std::string path_;
    std::deque<char> inbound_;
    Pending read_, event_, write_;
    std::string stalled_;
    std::vector<Result> results_;
    DWORD lineErrors_ = 0;
    DWORD queuedLineEvent_ = 0;
    bool lineEventQueued_ = false;
    DWORD failNextRead_ = 0;
    DWORD failNextWrite_ = 0;
    bool writesBlocked_ = false;
    bool failPosts_ = false;
    HANDLE purgeRelease_ = nullptr; // manual-reset; not signalled while purges are held
    std::string written_;
    int writeCalls_ = 0;
    int setCommStateCalls_ = 0;
    std::vector<DWORD> escapes_;
    DCB dcb_{};
    COMMTIMEOUTS timeouts_{};
    std::vector<DWORD> purges_;
    std::vector<std::string> opened_;
    std::vector<UINT> posts_;
    std::set<HLOCAL> blocks_;
    int blocksAllocated_ = 0;
    int afterThreadEnded_ = 0;
    int atClose_ = 0;
};
