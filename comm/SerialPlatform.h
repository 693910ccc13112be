#pragma once
// The kernel32 serial calls TComm and its threads make, behind one interface. The program
// uses the real calls; tests wrap them to produce what a pseudo-terminal cannot: line
// errors, ring and carrier, failing reads and writes, flow-control stalls.
//
// One instance serves the main thread and both worker threads at once, so an
// implementation must be safe to call from several threads.
#include <windows.h>

class TSerialPlatform {
  public:
    virtual ~TSerialPlatform() = default;

    virtual HANDLE OpenPort(const char* path) {
        return ::CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
    }
    virtual BOOL ClosePort(HANDLE port) { return ::CloseHandle(port); }
    virtual DWORD GetFileType(HANDLE port) { return ::GetFileType(port); }
    virtual BOOL SetupComm(HANDLE port, DWORD in, DWORD out) { return ::SetupComm(port, in, out); }
    virtual BOOL PurgeComm(HANDLE port, DWORD flags) { return ::PurgeComm(port, flags); }
    virtual BOOL GetCommState(HANDLE port, DCB* dcb) { return ::GetCommState(port, dcb); }
    virtual BOOL SetCommState(HANDLE port, DCB* dcb) { return ::SetCommState(port, dcb); }
    virtual BOOL GetCommTimeouts(HANDLE port, COMMTIMEOUTS* t) {
        return ::GetCommTimeouts(port, t);
    }
    virtual BOOL SetCommTimeouts(HANDLE port, COMMTIMEOUTS* t) {
        return ::SetCommTimeouts(port, t);
    }
    virtual BOOL SetCommMask(HANDLE port, DWORD mask) { return ::SetCommMask(port, mask); }
    virtual BOOL WaitCommEvent(HANDLE port, DWORD* mask, OVERLAPPED* ov) {
        return ::WaitCommEvent(port, mask, ov);
    }
    virtual BOOL ReadFile(HANDLE port, void* buffer, DWORD count, DWORD* done, OVERLAPPED* ov) {
        return ::ReadFile(port, buffer, count, done, ov);
    }
    virtual BOOL WriteFile(HANDLE port, const void* data, DWORD count, DWORD* done,
                           OVERLAPPED* ov) {
        return ::WriteFile(port, data, count, done, ov);
    }
    virtual BOOL GetOverlappedResult(HANDLE port, OVERLAPPED* ov, DWORD* done, BOOL wait) {
        return ::GetOverlappedResult(port, ov, done, wait);
    }
    virtual BOOL ClearCommError(HANDLE port, DWORD* errors, COMSTAT* stat) {
        return ::ClearCommError(port, errors, stat);
    }
    virtual BOOL EscapeCommFunction(HANDLE port, DWORD function) {
        return ::EscapeCommFunction(port, function);
    }
    // Cancels the operations the calling thread started on the port; each still completes.
    virtual BOOL CancelIo(HANDLE port) { return ::CancelIo(port); }
    // The blocks handed between threads, so tests can see each one freed.
    virtual HLOCAL LocalAlloc(UINT flags, SIZE_T bytes) { return ::LocalAlloc(flags, bytes); }
    virtual HLOCAL LocalFree(HLOCAL block) { return ::LocalFree(block); }
    // Posting is here too so tests can make a notification fail to arrive.
    virtual BOOL PostMessage(HWND window, UINT msg, WPARAM w, LPARAM l) {
        return ::PostMessageW(window, msg, w, l);
    }

    // The real calls, shared by every component that is not given another platform.
    static TSerialPlatform& Real();
};
