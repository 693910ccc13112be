#include "comm/CommThreads.h"

#include "comm/CommMessages.h"
#include "ui/Handles.h"

namespace {

constexpr DWORD LineEventMask = EV_RLSD | EV_ERR | EV_RING;

// A completion not collected yet: the operation was started and has not been waited for.
bool StillPending(DWORD error) {
    return error == ERROR_IO_INCOMPLETE;
}

} // namespace

// ---- reader ---------------------------------------------------------------------------

bool TReadThread::Stopping() const {
    return FLink.StopRequested->load();
}

void TReadThread::PostHangup() {
    FLink.Platform->PostMessage(FLink.NotifyWindow, MsgRequestHangup, 0, 0);
}

bool TReadThread::LineEventsUnsupported(DWORD error) {
    if (error != ERROR_NOT_SUPPORTED && error != ERROR_INVALID_FUNCTION &&
        error != ERROR_INVALID_PARAMETER)
        return false;
    FLineEvents = false;
    return true;
}

void TReadThread::Execute() {
    FBuffer = static_cast<char*>(::LocalAlloc(LPTR, FBufferSize));
    TKernelHandle readEvent(::CreateEventA(nullptr, TRUE, TRUE, nullptr));
    TKernelHandle lineEvent(::CreateEventA(nullptr, TRUE, TRUE, nullptr));
    FReadOv.hEvent = readEvent.Get();
    FEventOv.hEvent = lineEvent.Get();
    bool run = FBuffer && FReadOv.hEvent && FEventOv.hEvent;
    if (!run) PostHangup();

    if (run && !FLink.Platform->SetCommMask(FLink.Port, LineEventMask)) {
        if (!LineEventsUnsupported(::GetLastError())) {
            PostHangup();
            run = false;
        }
    }
    run = run && StartEventWait() && StartRead();
    while (run) {
        HANDLE waitSet[3] = {FLink.StopEvent, FEventOv.hEvent, FReadOv.hEvent};
        if (!FLineEvents) waitSet[1] = FReadOv.hEvent;
        const DWORD count = FLineEvents ? 3 : 2;
        const DWORD which = ::WaitForMultipleObjects(count, waitSet, FALSE, INFINITE);
        if (which == WAIT_OBJECT_0) break;
        if (which == WAIT_OBJECT_0 + 1 && FLineEvents) {
            run = HandleCommEvent(true) && StartEventWait();
        } else if (which == WAIT_OBJECT_0 + count - 1) {
            run = FinishRead() && StartRead();
        } else {
            PostHangup();
            run = false;
        }
    }

    FLink.Platform->PurgeComm(FLink.Port, PURGE_RXABORT | PURGE_RXCLEAR);
    SettlePending();
    if (FBuffer) ::LocalFree(FBuffer);
}

// The records, the mask word and the buffer go with this thread: nothing the system may
// still write into them may be left running.
void TReadThread::SettlePending() {
    if (!FEventPending && !FReadPending) return;
    FLink.Platform->CancelIo(FLink.Port);
    DWORD ignored = 0;
    if (FEventPending) FLink.Platform->GetOverlappedResult(FLink.Port, &FEventOv, &ignored, TRUE);
    if (FReadPending) FLink.Platform->GetOverlappedResult(FLink.Port, &FReadOv, &ignored, TRUE);
    FEventPending = FReadPending = false;
}

bool TReadThread::StartEventWait() {
    while (FLineEvents) {
        if (Stopping()) return false;
        if (FLink.Platform->WaitCommEvent(FLink.Port, &FEventMask, &FEventOv)) {
            if (!HandleCommEvent(false)) return false;
            continue;
        }
        const DWORD error = ::GetLastError();
        if (error == ERROR_IO_PENDING) {
            FEventPending = true;
            return true;
        }
        if (error == ERROR_INVALID_HANDLE) return false;
        if (LineEventsUnsupported(error)) return true;
        PostHangup();
        return false;
    }
    return true;
}

bool TReadThread::HandleCommEvent(bool fromCompletion) {
    bool result = false;
    if (fromCompletion) {
        DWORD ignored = 0;
        if (!FLink.Platform->GetOverlappedResult(FLink.Port, &FEventOv, &ignored, FALSE)) {
            const DWORD error = ::GetLastError();
            FEventPending = StillPending(error);
            if (error != ERROR_INVALID_HANDLE) PostHangup();
            return false;
        }
        FEventPending = false;
    }
    if (FEventMask & EV_ERR) {
        DWORD errors = 0;
        if (!FLink.Platform->ClearCommError(FLink.Port, &errors, nullptr)) {
            if (::GetLastError() != ERROR_INVALID_HANDLE) PostHangup();
            return false;
        }
        if (!FLink.Platform->PostMessage(FLink.NotifyWindow, MsgReceiveError, 0, errors)) {
            PostHangup();
            return false;
        }
        result = true;
    }
    uint32_t modem = 0;
    if (FEventMask & EV_RLSD) modem = ModemEventCarrier;
    if (FEventMask & EV_RING) modem |= ModemEventRing;
    if (modem != 0) {
        if (!FLink.Platform->PostMessage(FLink.NotifyWindow, MsgModemStateChange, 0, modem)) {
            PostHangup();
            return false;
        }
        result = true;
    }
    if (!result) PostHangup();
    return result;
}

bool TReadThread::StartRead() {
    for (;;) {
        if (Stopping()) return false;
        if (FLink.Platform->ReadFile(FLink.Port, FBuffer, FReadSize, &FBytesRead, &FReadOv)) {
            if (!PostReceivedData(FBytesRead)) return false;
            continue;
        }
        const DWORD error = ::GetLastError();
        if (error == ERROR_IO_PENDING) {
            FReadPending = true;
            return true;
        }
        if (error != ERROR_INVALID_HANDLE) PostHangup();
        return false;
    }
}

bool TReadThread::FinishRead() {
    if (FLink.Platform->GetOverlappedResult(FLink.Port, &FReadOv, &FBytesRead, FALSE)) {
        FReadPending = false;
        return PostReceivedData(FBytesRead);
    }
    const DWORD error = ::GetLastError();
    FReadPending = StillPending(error);
    if (error != ERROR_INVALID_HANDLE) PostHangup();
    return false;
}

bool TReadThread::PostReceivedData(DWORD count) {
    if (count == 0) return false;
    TPostedBlock block = TPostedBlock::Copy(*FLink.Platform, FBuffer, count);
    if (!block ||
        !FLink.Platform->PostMessage(FLink.NotifyWindow, MsgReceiveData, count, block.Param())) {
        PostHangup();
        return false;
    }
    block.Release();
    return true;
}

// ---- writer ---------------------------------------------------------------------------

TWriteThread::TWriteThread(const TCommThreadLink& link, HANDLE queueReady)
    : FLink(link), FQueueReady(queueReady) {}

bool TWriteThread::Accepting() const {
    return !FRefusing.load();
}

bool TWriteThread::Stopping() const {
    return FLink.StopRequested->load();
}

void TWriteThread::Refuse() {
    FRefusing.store(true);
}

void TWriteThread::PostHangup() {
    Refuse();
    FLink.Platform->PostMessage(FLink.NotifyWindow, MsgRequestHangup, 0, 0);
}

void TWriteThread::FreeRequest(const MSG& msg) {
    if (msg.hwnd == nullptr && msg.message == MsgWriteData)
        TPostedBlock Dropped(*FLink.Platform, msg.lParam);
}

void TWriteThread::Execute() {
    MSG msg;
    // The first look at the queue creates it; the opener waits for this so that a send
    // issued right after opening is never refused.
    ::PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    ::SetEvent(FQueueReady);

    TKernelHandle writeEvent(::CreateEventA(nullptr, TRUE, TRUE, nullptr));
    FWriteOv.hEvent = writeEvent.Get();
    bool run = FWriteOv.hEvent != nullptr;
    if (!run) PostHangup();
    bool notify = true;
    while (run) {
        if (!::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (notify &&
                !FLink.Platform->PostMessage(FLink.NotifyWindow, MsgSendDataEmpty, 0, 0)) {
                PostHangup();
                break;
            }
            notify = false;
            const DWORD which =
                ::MsgWaitForMultipleObjects(1, &FLink.StopEvent, FALSE, INFINITE, 0x00FF);
            if (which == WAIT_OBJECT_0) break;
            if (which != WAIT_OBJECT_0 + 1) {
                PostHangup();
                break;
            }
            continue;
        }
        if (Stopping()) {
            FreeRequest(msg);
            break;
        }
        if (msg.hwnd != nullptr) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
            continue;
        }
        if (msg.message != MsgWriteData) continue;
        const TPostedBlock block(*FLink.Platform, msg.lParam);
        if (!WriteAll(block.Data(), static_cast<DWORD>(msg.wParam))) break;
        notify = true;
    }

    Refuse();
    FLink.Platform->PurgeComm(FLink.Port, PURGE_TXABORT | PURGE_TXCLEAR);
    FreeRequestsUntilStopped();
}

// A send may have been accepted just before the refusal was seen; the queue is this thread's
// and dies with it, so the writer stays to free whatever arrives until the owner closes the
// port (which no send can overtake: both run on the owner's thread).
void TWriteThread::FreeRequestsUntilStopped() {
    MSG msg;
    for (;;) {
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            FreeRequest(msg);
        if (Stopping()) break;
        const DWORD which =
            ::MsgWaitForMultipleObjects(1, &FLink.StopEvent, FALSE, INFINITE, QS_ALLINPUT);
        if (which == WAIT_OBJECT_0) break;
        // Without a working wait for messages, look at the queue again now and then.
        if (which != WAIT_OBJECT_0 + 1) ::WaitForSingleObject(FLink.StopEvent, 10);
    }
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        FreeRequest(msg);
}

// The block being written is freed as soon as this returns: a write the system may still
// read from (and complete into the record) is cancelled and waited for first.
void TWriteThread::CancelPendingWrite() {
    FLink.Platform->CancelIo(FLink.Port);
    DWORD ignored = 0;
    FLink.Platform->GetOverlappedResult(FLink.Port, &FWriteOv, &ignored, TRUE);
}

bool TWriteThread::WriteAll(const char* data, DWORD count) {
    DWORD offset = 0;
    DWORD remaining = count;
    HANDLE waitSet[2] = {FLink.StopEvent, FWriteOv.hEvent};
    while (remaining > 0) {
        DWORD written = 0;
        if (!FLink.Platform->WriteFile(FLink.Port, data + offset, remaining, &written, &FWriteOv)) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_INVALID_HANDLE) return false;
            if (error != ERROR_IO_PENDING) {
                PostHangup();
                return false;
            }
            const DWORD which = ::WaitForMultipleObjects(2, waitSet, FALSE, INFINITE);
            if (which != WAIT_OBJECT_0 + 1) {
                CancelPendingWrite();
                if (which != WAIT_OBJECT_0) PostHangup();
                return false;
            }
            if (!FLink.Platform->GetOverlappedResult(FLink.Port, &FWriteOv, &written, TRUE)) {
                if (::GetLastError() != ERROR_INVALID_HANDLE) PostHangup();
                return false;
            }
        }
        // A write that moved nothing is tried again, but never past a stop request.
        if (written == 0 && Stopping()) return false;
        remaining -= written;
        offset += written;
    }
    return true;
}
