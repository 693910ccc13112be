#pragma once
// The two workers of an open port. Neither touches the component: they hold copies of the
// port handle, the stop event and the notification window, and report only by posting.
#include <atomic>
#include <cstdint>

#include <windows.h>

#include "comm/SerialPlatform.h"
#include "comm/Thread.h"
#include "ui/Handles.h"

struct TCommThreadLink {
    TSerialPlatform* Platform;
    HANDLE Port;
    HANDLE StopEvent;
    // Set just before the stop event: the threads look at it between operations, where a look
    // at the event would cost a round trip to the system (to the server, under Wine).
    const std::atomic<bool>* StopRequested;
    HWND NotifyWindow;
};

class TReadThread : public TThread {
  public:
    TReadThread(const TCommThreadLink& link, uint16_t bufferSize, uint16_t readSize)
        : FLink(link), FBufferSize(bufferSize), FReadSize(readSize) {}

  protected:
    void Execute() override;

  private:
    bool StartEventWait();
    bool HandleCommEvent(bool fromCompletion);
    bool StartRead();
    bool FinishRead();
    bool PostReceivedData(DWORD count);
    bool Stopping() const;
    void PostHangup();
    void SettlePending();
    // A driver without modem-status events rejects the line-event mask or wait; data must
    // still flow on such a port, so the reader carries on without the line-event wait.
    bool LineEventsUnsupported(DWORD error);

    TCommThreadLink FLink;
    uint16_t FBufferSize;
    uint16_t FReadSize;
    char* FBuffer = nullptr;
    OVERLAPPED FEventOv{};
    OVERLAPPED FReadOv{};
    DWORD FEventMask = 0;
    DWORD FBytesRead = 0;
    bool FLineEvents = true;
    // The system may still write into the records, the mask word and the buffer until the
    // operation started on them has completed.
    bool FEventPending = false;
    bool FReadPending = false;
};

class TWriteThread : public TThread {
  public:
    TWriteThread(const TCommThreadLink& link, HANDLE queueReady);

    // False once the writer has stopped writing; a request queued after that would only be
    // freed unwritten.
    bool Accepting() const;

  protected:
    void Execute() override;

  private:
    bool WriteAll(const char* data, DWORD count);
    void CancelPendingWrite();
    bool Stopping() const;
    void PostHangup();
    void Refuse();
    void FreeRequest(const MSG& msg);
    void FreeRequestsUntilStopped();

    TCommThreadLink FLink;
    HANDLE FQueueReady;
    // Set before the writer reports a fault or stops writing, so the owner never sees the
    // fault while its sends are still taken.
    std::atomic<bool> FRefusing{false};
    OVERLAPPED FWriteOv{};
};
