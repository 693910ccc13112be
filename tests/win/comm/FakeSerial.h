#pragma once
// A serial port made of events and queues, for what no real port here can produce: line
// errors, ring and carrier, reads and writes that fail, a write stalled by flow control.
// It keeps the overlapped contract (pending operations complete by signalling their
// event) so the component's threads run their real code paths against it.
#include <cstdint>
#include <deque>
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
    void BlockWrites(bool blocked); // a peer that sent XOFF: writes stay pending
    void ReleaseWrites();           // XON: the stalled write completes, later ones go through
    void FailPosts(bool fail);

    DWORD setCommMaskError = 0;   // non-zero: SetCommMask fails with it
    DWORD waitCommEventError = 0; // non-zero: WaitCommEvent fails at once with it
    DWORD fileType = FILE_TYPE_CHAR;
    bool setupCommFails = false;

    // What the component did.
    std::string Written();
    int WriteCalls();
    int SetCommStateCalls();
    DCB LastDcb();
    COMMTIMEOUTS LastTimeouts();
    int PurgeCalls(DWORD flags); // purges with exactly these flags
    bool PortOpen();

    HANDLE OpenPort(const char* path) override;
    BOOL ClosePort(HANDLE port) override;
    DWORD GetFileType(HANDLE) override { return fileType; }
    BOOL SetupComm(HANDLE, DWORD, DWORD) override { return !setupCommFails; }
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
    BOOL PostMessage(HWND window, UINT msg, WPARAM w, LPARAM l) override;

private:
    struct Pending {
        OVERLAPPED* ov = nullptr;
        char* buffer = nullptr;
        DWORD size = 0;
        DWORD* mask = nullptr;
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
    void Complete(OVERLAPPED* ov, BOOL ok, DWORD done, DWORD error); // under the lock
    void Start(OVERLAPPED* ov); // a new operation on ov supersedes any result left on it
    bool TryFillRead(); // under the lock

    CRITICAL_SECTION lock_;
    HANDLE port_ = nullptr;
    std::deque<char> inbound_;
    Pending read_, event_, write_;
    std::string stalled_;
    std::vector<Result> results_;
    DWORD lineErrors_ = 0;
    DWORD queuedLineEvent_ = 0;
    bool lineEventQueued_ = false;
    DWORD failNextRead_ = 0;
    bool writesBlocked_ = false;
    bool failPosts_ = false;
    std::string written_;
    int writeCalls_ = 0;
    int setCommStateCalls_ = 0;
    DCB dcb_{};
    COMMTIMEOUTS timeouts_{};
    std::vector<DWORD> purges_;
};
