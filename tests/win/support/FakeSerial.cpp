#include "FakeSerial.h"

#include <algorithm>
#include <cstring>
#include <utility>

FakeSerial::FakeSerial() {
    InitializeCriticalSection(&lock_);
    purgeRelease_ = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    dcb_.DCBlength = sizeof dcb_;
    dcb_.EofChar = 0x1A; // something the component must leave as the driver reported it
    dcb_.EvtChar = 0x7E;
}

FakeSerial::~FakeSerial() {
    for (Pending* p : {&read_, &event_, &write_})
        if (p->thread) CloseHandle(p->thread);
    CloseHandle(purgeRelease_);
    DeleteCriticalSection(&lock_);
}

HANDLE FakeSerial::OpenPort(const char* path) {
    return Locked([&] {
        opened_.push_back(path);
        // A path that names no port ("\\.\" alone) opens nothing, as on a real system.
        if (refusedPaths.count(path) || std::string(path).back() == '\\')
            return INVALID_HANDLE_VALUE;
        path_ = path;
        port_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        return port_;
    });
}

// A driver completes what is still pending when its handle goes; by then the threads that
// started it have normally ended.
BOOL FakeSerial::ClosePort(HANDLE port) {
    return Locked([&] {
        if (port == port_) {
            for (Pending* p : {&read_, &event_, &write_}) {
                if (!p->ov) continue;
                ++atClose_;
                Finish(*p, FALSE, 0, ERROR_OPERATION_ABORTED);
            }
            port_ = nullptr;
            inbound_.clear();
        }
        return CloseHandle(port);
    });
}

BOOL FakeSerial::SetupComm(HANDLE, DWORD, DWORD) {
    return Locked([&] { return !setupCommFails && !noQueuePaths.count(path_); });
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

FakeSerial::Pending FakeSerial::Track(OVERLAPPED* ov, char* buffer, DWORD size, DWORD* mask) {
    HANDLE self = nullptr;
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &self,
                    SYNCHRONIZE, FALSE, 0);
    return {ov, buffer, size, mask, self, GetCurrentThreadId()};
}

// The record, the mask word and the buffer belong to the thread that started the operation
// and go with it: once it has ended, the completion is counted instead of written.
void FakeSerial::Finish(Pending& p, BOOL ok, DWORD done, DWORD error, DWORD mask) {
    Pending op = std::exchange(p, Pending{});
    const bool ended = op.thread && WaitForSingleObject(op.thread, 0) == WAIT_OBJECT_0;
    if (op.thread) CloseHandle(op.thread);
    if (ended) {
        ++afterThreadEnded_;
        return;
    }
    if (op.mask) *op.mask = mask;
    Complete(op.ov, ok, done, error);
}

bool FakeSerial::TryFillRead() {
    if (!read_.ov || inbound_.empty()) return false;
    const DWORD n = std::min<DWORD>(read_.size, static_cast<DWORD>(inbound_.size()));
    if (WaitForSingleObject(read_.thread, 0) != WAIT_OBJECT_0)
        std::copy_n(inbound_.begin(), n, read_.buffer);
    inbound_.erase(inbound_.begin(), inbound_.begin() + n);
    Finish(read_, TRUE, n, 0);
    return true;
}

void FakeSerial::Inbound(const std::string& bytes) {
    inbound_.insert(inbound_.end(), bytes.begin(), bytes.end());
    TryFillRead();
}

void FakeSerial::Receive(const std::string& bytes) {
    Locked([&] { Inbound(bytes); });
}

void FakeSerial::RaiseLineEvent(DWORD mask, DWORD errors) {
    Locked([&] {
        lineErrors_ |= errors;
        if (!event_.ov) {
            queuedLineEvent_ = mask; // the reader has not re-armed its wait yet
            lineEventQueued_ = true;
            return;
        }
        Finish(event_, TRUE, 0, 0, mask);
    });
}

void FakeSerial::FailPendingRead(DWORD error) {
    Locked([&] {
        if (!read_.ov) {
            failNextRead_ = error;
            return;
        }
        Finish(read_, FALSE, 0, error);
    });
}

void FakeSerial::FailNextWrite(DWORD error) {
    Locked([&] { failNextWrite_ = error; });
}

void FakeSerial::FailPosts(bool fail) {
    Locked([&] { failPosts_ = fail; });
}

void FakeSerial::HoldOutputPurge(bool hold) {
    if (hold)
        ResetEvent(purgeRelease_);
    else
        SetEvent(purgeRelease_);
}

void FakeSerial::BlockWrites(bool blocked) {
    Locked([&] { writesBlocked_ = blocked; });
}

void FakeSerial::ReleaseWrites() {
    Locked([&] { ReleaseStalledWrite(); });
}

void FakeSerial::ReleaseStalledWrite() {
    writesBlocked_ = false;
    if (!write_.ov) return;
    written_ += stalled_;
    Finish(write_, TRUE, static_cast<DWORD>(stalled_.size()), 0);
}

BOOL FakeSerial::PurgeComm(HANDLE, DWORD flags) {
    if (flags & PURGE_TXABORT) WaitForSingleObject(purgeRelease_, INFINITE);
    return Locked([&] {
        purges_.push_back(flags);
        if ((flags & PURGE_RXABORT) && read_.ov) Finish(read_, FALSE, 0, ERROR_OPERATION_ABORTED);
        if ((flags & PURGE_TXABORT) && write_.ov && !purgeLeavesWritesPending)
            Finish(write_, FALSE, 0, ERROR_OPERATION_ABORTED);
        if (flags & PURGE_RXCLEAR) inbound_.clear();
        return TRUE;
    });
}

// Cancels what the calling thread started, as the system's CancelIo does.
BOOL FakeSerial::CancelIo(HANDLE) {
    return Locked([&] {
        for (Pending* p : {&read_, &event_, &write_})
            if (p->ov && p->threadId == GetCurrentThreadId())
                Finish(*p, FALSE, 0, ERROR_OPERATION_ABORTED);
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
        const bool outputFlowOff = dcb_.fOutX && !dcb->fOutX;
        dcb_ = *dcb;
        ++setCommStateCalls_;
        if (outputFlowOff && writesBlocked_) ReleaseStalledWrite();
        return TRUE;
    });
}

BOOL FakeSerial::EscapeCommFunction(HANDLE, DWORD function) {
    return Locked([&] {
        escapes_.push_back(function);
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
        event_ = Track(ov, nullptr, 0, mask);
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
        read_ = Track(ov, static_cast<char*>(buffer), count, nullptr);
        SetLastError(ERROR_IO_PENDING);
        return FALSE;
    });
}

BOOL FakeSerial::WriteFile(HANDLE, const void* data, DWORD count, DWORD* done, OVERLAPPED* ov) {
    return Locked([&]() -> BOOL {
        ++writeCalls_;
        Start(ov);
        if (failNextWrite_) {
            SetLastError(std::exchange(failNextWrite_, 0));
            return FALSE;
        }
        const std::string bytes(static_cast<const char*>(data), count);
        if (writesBlocked_) {
            write_ = Track(ov, nullptr, count, nullptr);
            stalled_ = bytes;
            SetLastError(ERROR_IO_PENDING);
            return FALSE;
        }
        written_ += bytes;
        *done = count;
        SetEvent(ov->hEvent);
        if (bytes == "CA" && devicePaths.count(path_)) Inbound("CA");
        return TRUE;
    });
}

BOOL FakeSerial::GetOverlappedResult(HANDLE, OVERLAPPED* ov, DWORD* done, BOOL wait) {
    auto collect = [&]() -> int {
        return Locked([&]() -> int {
            auto at = std::find_if(results_.begin(), results_.end(),
                                   [&](const Result& r) { return r.ov == ov; });
            if (at == results_.end()) return -1;
            const Result r = *at;
            results_.erase(at);
            *done = r.done;
            if (!r.ok) SetLastError(r.error);
            return r.ok;
        });
    };
    int result = collect();
    if (result < 0 && wait) {
        // As the system does: wait for the record's event, then look once more.
        WaitForSingleObject(ov->hEvent, INFINITE);
        result = collect();
    }
    if (result < 0) {
        SetLastError(ERROR_IO_INCOMPLETE);
        return FALSE;
    }
    return result;
}

BOOL FakeSerial::ClearCommError(HANDLE, DWORD* errors, COMSTAT*) {
    return Locked([&] {
        *errors = lineErrors_;
        lineErrors_ = 0;
        return TRUE;
    });
}

BOOL FakeSerial::PostMessage(HWND window, UINT msg, WPARAM w, LPARAM l) {
    if (Locked([&] {
            posts_.push_back(msg);
            return failPosts_;
        })) {
        SetLastError(ERROR_NOT_ENOUGH_QUOTA);
        return FALSE;
    }
    return TSerialPlatform::PostMessage(window, msg, w, l);
}

HLOCAL FakeSerial::LocalAlloc(UINT flags, SIZE_T bytes) {
    HLOCAL block = ::LocalAlloc(flags, bytes);
    if (block)
        Locked([&] {
            blocks_.insert(block);
            ++blocksAllocated_;
        });
    return block;
}

HLOCAL FakeSerial::LocalFree(HLOCAL block) {
    Locked([&] { blocks_.erase(block); });
    return ::LocalFree(block);
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
int FakeSerial::EscapeCalls(DWORD function) {
    return Locked(
        [&] { return static_cast<int>(std::count(escapes_.begin(), escapes_.end(), function)); });
}
DCB FakeSerial::LastDcb() {
    return Locked([&] { return dcb_; });
}
COMMTIMEOUTS FakeSerial::LastTimeouts() {
    return Locked([&] { return timeouts_; });
}
int FakeSerial::PurgeCalls(DWORD flags) {
    return Locked(
        [&] { return static_cast<int>(std::count(purges_.begin(), purges_.end(), flags)); });
}
std::vector<std::string> FakeSerial::Opened() {
    return Locked([&] { return opened_; });
}
int FakeSerial::PostsTried(UINT msg) {
    return Locked([&] { return static_cast<int>(std::count(posts_.begin(), posts_.end(), msg)); });
}
int FakeSerial::BlocksAllocated() {
    return Locked([&] { return blocksAllocated_; });
}
int FakeSerial::BlocksLive() {
    return Locked([&] { return static_cast<int>(blocks_.size()); });
}
int FakeSerial::CompletionsAfterTheirThreadEnded() {
    return Locked([&] { return afterThreadEnded_; });
}
int FakeSerial::CompletionsAtClose() {
    return Locked([&] { return atClose_; });
}
