// What the worker threads and the component's window say to each other: shared by both sides
// without either knowing the other's class.
#pragma once

#include <cstdint>
#include <cstring>
#include <utility>

#include <windows.h>

#include "comm/SerialPlatform.h"

// Notifications from the worker threads to the component's window, and the writer's queue
// message. LParam of a data message is a TPostedBlock's.
constexpr UINT MsgReceiveData = WM_USER + 1;
constexpr UINT MsgReceiveError = WM_USER + 2;
constexpr UINT MsgRequestHangup = WM_USER + 3;
constexpr UINT MsgModemStateChange = WM_USER + 4;
constexpr UINT MsgSendDataEmpty = WM_USER + 5;
constexpr UINT MsgWriteData = WM_USER + 1;

// The modem lines a state-change message reports.
constexpr uint32_t ModemEventRing = 4;
constexpr uint32_t ModemEventCarrier = 8;

// The bytes a data message carries: a LocalAlloc block (through the platform, so that faults
// can be made), owned by one side at a time and freed by whoever holds it last. The sender
// copies the bytes into it, posts Param() and, once the post succeeded, Release()s it; the
// receiver takes the message's LParam over.
class TPostedBlock {
  public:
    TPostedBlock(TSerialPlatform& Platform, LPARAM Carried)
        : FPlatform(&Platform), FBlock(reinterpret_cast<char*>(Carried)) {}
    // Count bytes and a terminating zero; empty when memory is short.
    static TPostedBlock Copy(TSerialPlatform& Platform, const void* Data, size_t Count) {
        auto* Block = static_cast<char*>(Platform.LocalAlloc(LPTR, Count + 1));
        if (Block) std::memcpy(Block, Data, Count);
        return TPostedBlock(Platform, reinterpret_cast<LPARAM>(Block));
    }
    TPostedBlock(TPostedBlock&& Other) noexcept
        : FPlatform(Other.FPlatform), FBlock(std::exchange(Other.FBlock, nullptr)) {}
    TPostedBlock(const TPostedBlock&) = delete;
    TPostedBlock& operator=(const TPostedBlock&) = delete;
    TPostedBlock& operator=(TPostedBlock&&) = delete;
    ~TPostedBlock() {
        if (FBlock) FPlatform->LocalFree(FBlock);
    }

    explicit operator bool() const { return FBlock != nullptr; }
    char* Data() const { return FBlock; }
    LPARAM Param() const { return reinterpret_cast<LPARAM>(FBlock); }
    // The posted message carries the block now.
    void Release() { FBlock = nullptr; }

  private:
    TSerialPlatform* FPlatform;
    char* FBlock;
};
