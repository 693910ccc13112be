// What the worker threads and the component's window say to each other: shared by both sides
// without either knowing the other's class.
#pragma once

#include <cstdint>

#include <windows.h>

// Notifications from the worker threads to the component's window, and the writer's queue
// message. LParam of a data message is a LocalAlloc block that the receiver frees.
constexpr UINT MsgReceiveData = WM_USER + 1;
constexpr UINT MsgReceiveError = WM_USER + 2;
constexpr UINT MsgRequestHangup = WM_USER + 3;
constexpr UINT MsgModemStateChange = WM_USER + 4;
constexpr UINT MsgSendDataEmpty = WM_USER + 5;
constexpr UINT MsgWriteData = WM_USER + 1;

// The modem lines a state-change message reports.
constexpr uint32_t ModemEventRing = 4;
constexpr uint32_t ModemEventCarrier = 8;
