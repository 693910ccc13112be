#include "FakeSerial.h"

#include <algorithm>
#include <cstring>
#include <utility>

FakeSerial::FakeSerial() {
    InitializeCriticalSection(&lock_);
    dcb_.DCBlength = sizeof dcb_;
    dcb_.EofChar = 0x1A; // something the component must leave as the driver reported it
    dcb_.EvtChar = 0x7E;
}

FakeSerial::~FakeSerial() { DeleteCriticalSection(&lock_); }

HANDLE FakeSerial::OpenPort(const char*) {
    return Locked([&] {
        port_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        return port_;
    });
}

BOOL FakeSerial::ClosePort(HANDLE port) {
    return Locked([&] {
        if (port == port_) port_ = nullptr;
        return CloseHandle(port);
    });
}

bool FakeSerial::PortOpen() {
    return Locked([&] { return port_ != nullptr; });
}

void FakeSerial::Start(OVERLAPPED* ov) {
    std::erase_if(results_, [&](const Result& r) { return r.ov == ov; });
    ResetEvent(ov->hEvent);
}

void FakeSerial::Complete(OVERLAPPED* ov, BOOL ok, DWORD done, DWORD error) {
    results_.push_back({ov, ok, done, error});
    SetEvent(ov->hEvent);
}

bool FakeSerial::TryFillRead() {
    if (!read_.ov || inbound_.empty()) return false;
    const DWORD n = std::min<DWORD>(read_.size, static_cast<DWORD>(inbound_.size()));
    std::copy_n(inbound_.begin(), n, read_.buffer);
    inbound_.erase(inbound_.begin(), inbound_.begin() + n);
    OVERLAPPED* ov = read_.ov;
    read_ = {};
    Complete(ov, TRUE, n, 0);
    return true;
}

void FakeSerial::Receive(const std::string& bytes) {
    Locked([&] {
        inbound_.insert(inbound_.end(), bytes.begin(), bytes.end());
        TryFillRead();
    });
}

void FakeSerial::RaiseLineEvent(DWORD mask, DWORD errors) {
    Locked([&] {
        lineErrors_ |= errors;
        if (!event_.ov) {
            queuedLineEvent_ = mask; // the reader has not re-armed its wait yet
            lineEventQueued_ = true;
            return;
        }
        *event_.mask = mask;
        OVERLAPPED* ov = event_.ov;
        event_ = {};
        Complete(ov, TRUE, 0, 0);
    });
}

void FakeSerial::FailPendingRead(DWORD error) {
    Locked([&] {
        if (!read_.ov) {
            failNextRead_ = error;
            return;
        }
        OVERLAPPED* ov = read_.ov;
        read_ = {};
        Complete(ov, FALSE, 0, error);
    });
}

void FakeSerial::FailPosts(bool fail) {
    Locked([&] { failPosts_ = fail; });
}

void FakeSerial::BlockWrites(bool blocked) {
    Locked([&] { writesBlocked_ = blocked; });
}

void FakeSerial::ReleaseWrites() {
    Locked([&] {
        writesBlocked_ = false;
        if (!write_.ov) return;
        OVERLAPPED* ov = write_.ov;
        write_ = {};
        written_ += stalled_;
        Complete(ov, TRUE, static_cast<DWORD>(stalled_.size()), 0);
    });
}

BOOL FakeSerial::PurgeComm(HANDLE, DWORD flags) {
    return Locked([&] {
        purges_.push_back(flags);
        if ((flags & PURGE_RXABORT) && read_.ov) {
            OVERLAPPED* ov = read_.ov;
            read_ = {};
            Complete(ov, FALSE, 0, ERROR_OPERATION_ABORTED);
        }
        if ((flags & PURGE_TXABORT) && write_.ov) {
            OVERLAPPED* ov = write_.ov;
            write_ = {};
            Complete(ov, FALSE, 0, ERROR_OPERATION_ABORTED);
        }
        if (flags & PURGE_RXCLEAR) inbound_.clear();
        return TRUE;
    });
}

BOOL FakeSerial::GetCommState(HANDLE, DCB* dcb) {
    return Locked([&] {
        *dcb = dcb_;
        return TRUE;
    });
}

BOOL FakeSerial::SetCommState(HANDLE, DCB* dcb) {
    return Locked([&] {
        dcb_ = *dcb;
        ++setCommStateCalls_;
        return TRUE;
    });
}

BOOL FakeSerial::GetCommTimeouts(HANDLE, COMMTIMEOUTS* t) {
    return Locked([&] {
        *t = timeouts_;
        return TRUE;
    });
}

BOOL FakeSerial::SetCommTimeouts(HANDLE, COMMTIMEOUTS* t) {
    return Locked([&] {
        timeouts_ = *t;
        return TRUE;
    });
}

BOOL FakeSerial::SetCommMask(HANDLE, DWORD) {
    if (setCommMaskError) {
        SetLastError(setCommMaskError);
        return FALSE;
    }
    return TRUE;
}

BOOL FakeSerial::WaitCommEvent(HANDLE, DWORD* mask, OVERLAPPED* ov) {
    if (waitCommEventError) {
        SetLastError(waitCommEventError);
        return FALSE;
    }
    return Locked([&] {
        Start(ov);
        if (lineEventQueued_) {
            *mask = queuedLineEvent_;
            lineEventQueued_ = false;
            SetEvent(ov->hEvent);
            return TRUE;
        }
        event_ = {ov, nullptr, 0, mask};
        SetLastError(ERROR_IO_PENDING);
        return FALSE;
    });
}

BOOL FakeSerial::ReadFile(HANDLE, void* buffer, DWORD count, DWORD* done, OVERLAPPED* ov) {
    return Locked([&]() -> BOOL {
        Start(ov);
        if (failNextRead_) {
            Complete(ov, FALSE, 0, std::exchange(failNextRead_, 0));
            SetLastError(ERROR_IO_PENDING);
            return FALSE;
        }
        if (!inbound_.empty()) {
            const DWORD n = std::min<DWORD>(count, static_cast<DWORD>(inbound_.size()));
            std::copy_n(inbound_.begin(), n, static_cast<char*>(buffer));
            inbound_.erase(inbound_.begin(), inbound_.begin() + n);
            *done = n;
            SetEvent(ov->hEvent);
            return TRUE;
        }
        read_ = {ov, static_cast<char*>(buffer), count, nullptr};
        SetLastError(ERROR_IO_PENDING);
        return FALSE;
    });
}

BOOL FakeSerial::WriteFile(HANDLE, const void* data, DWORD count, DWORD* done,
                           OVERLAPPED* ov) {
    return Locked([&]() -> BOOL {
        ++writeCalls_;
        Start(ov);
        if (writesBlocked_) {
            write_ = {ov, nullptr, count, nullptr};
            stalled_.assign(static_cast<const char*>(data), count);
            SetLastError(ERROR_IO_PENDING);
            return FALSE;
        }
        written_.append(static_cast<const char*>(data), count);
        *done = count;
        SetEvent(ov->hEvent);
        return TRUE;
    });
}

BOOL FakeSerial::GetOverlappedResult(HANDLE, OVERLAPPED* ov, DWORD* done, BOOL) {
    return Locked([&]() -> BOOL {
        auto at = std::find_if(results_.begin(), results_.end(),
                               [&](const Result& r) { return r.ov == ov; });
        if (at == results_.end()) {
            SetLastError(ERROR_IO_INCOMPLETE);
            return FALSE;
        }
        const Result r = *at;
        results_.erase(at);
        *done = r.done;
        if (!r.ok) SetLastError(r.error);
        return r.ok;
    });
}

BOOL FakeSerial::ClearCommError(HANDLE, DWORD* errors, COMSTAT*) {
    return Locked([&] {
        *errors = lineErrors_;
        lineErrors_ = 0;
        return TRUE;
    });
}

BOOL FakeSerial::PostMessage(HWND window, UINT msg, WPARAM w, LPARAM l) {
    if (Locked([&] { return failPosts_; })) {
        SetLastError(ERROR_NOT_ENOUGH_QUOTA);
        return FALSE;
    }
    return TSerialPlatform::PostMessage(window, msg, w, l);
}

std::string FakeSerial::Written() {
    return Locked([&] { return written_; });
}
int FakeSerial::WriteCalls() {
    return Locked([&] { return writeCalls_; });
}
int FakeSerial::SetCommStateCalls() {
    return Locked([&] { return setCommStateCalls_; });
}
DCB FakeSerial::LastDcb() {
    return Locked([&] { return dcb_; });
}
COMMTIMEOUTS FakeSerial::LastTimeouts() {
    return Locked([&] { return timeouts_; });
}
int FakeSerial::PurgeCalls(DWORD flags) {
    return Locked([&] {
        return static_cast<int>(std::count(purges_.begin(), purges_.end(), flags));
    });
}
