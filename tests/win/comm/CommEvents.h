#pragma once
// Records a TComm's events as text, in the order the main thread raised them, and pumps
// the main thread's messages until a condition holds.
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <windows.h>

#include "comm/Comm.h"

struct CommEvents {
    std::vector<std::string> events;

    void Attach(TComm& comm) {
        comm.OnReceiveData = [this](TObject*, const char* buffer, uint16_t length) {
            events.push_back("data:" + std::string(buffer, length));
        };
        comm.OnReceiveError = [this](TObject*, uint32_t mask) {
            events.push_back("error:" + std::to_string(mask));
        };
        comm.OnModemStateChange = [this](TObject*, uint32_t code) {
            events.push_back("modem:" + std::to_string(code));
        };
        comm.OnRequestHangup = [this](TObject*) { events.push_back("hangup"); };
        comm.OnSendDataEmpty = [this](TObject*) { events.push_back("empty"); };
    }
    int Count(const std::string& e) const {
        int n = 0;
        for (const auto& x : events)
            n += x == e;
        return n;
    }
    std::string Joined() const {
        std::string all;
        for (const auto& x : events)
            all += (all.empty() ? "" : " ") + x;
        return all;
    }
};

// Dispatches messages until done() holds or the time is up. Some conditions change on a
// worker thread without any message, so the wait also wakes every few milliseconds.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done()) return true;
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return false;
        MsgWaitForMultipleObjects(
            0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(end - now, 5)), QS_ALLINPUT);
    }
}

// Waits until done() holds or the time is up, leaving the main thread's messages queued.
inline bool WaitUndispatched(const std::function<bool()>& done, DWORD timeoutMs = 5000) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!done()) {
        if (GetTickCount64() >= end) return false;
        Sleep(1);
    }
    return true;
}

// Dispatches what the queue holds now.
inline void DispatchQueued() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}
