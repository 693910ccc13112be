#include "comm/Thread.h"

#include "ui/Handles.h"

std::atomic<long> TThread::Running{0};

bool TThread::Create() {
    FHandle = ::CreateThread(nullptr, 0, Trampoline, this, CREATE_SUSPENDED, &FThreadId);
    if (!FHandle) return false;
    HandleCount::Add(THandleKind::Kernel);
    return true;
}

void TThread::WaitFor() {
    if (FHandle) ::WaitForSingleObject(FHandle, INFINITE);
}

TThread::~TThread() {
    if (!FHandle) return;
    if (!FStarted) {
        FDiscarded = true;
        Resume();
    }
    WaitFor();
    ::CloseHandle(FHandle);
    HandleCount::Remove(THandleKind::Kernel);
}

DWORD WINAPI TThread::Trampoline(void* self) {
    auto* thread = static_cast<TThread*>(self);
    if (thread->FDiscarded) return 0;
    ++Running;
    try {
        thread->Execute();
    } catch (...) {
        // A worker has no one to report to but its owner's window, and its body reports
        // every fault it can name there; anything else must not take the process down.
    }
    --Running;
    return 0;
}
