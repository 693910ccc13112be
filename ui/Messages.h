// Messages of the class library itself (CM_ ...), numbered from CM_BASE, and the message
// record that every WindowProc receives.
#pragma once

#include <windows.h>

struct TMessage {
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
    LRESULT Result;
};

constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_ACTIVATE = CM_BASE + 0x00;
constexpr UINT CM_DEACTIVATE = CM_BASE + 0x01;
constexpr UINT CM_GOTFOCUS = CM_BASE + 0x02;
constexpr UINT CM_LOSTFOCUS = CM_BASE + 0x03;
constexpr UINT CM_CANCELMODE = CM_BASE + 0x04;
constexpr UINT CM_DIALOGKEY = CM_BASE + 0x05;
constexpr UINT CM_DIALOGCHAR = CM_BASE + 0x06; // $B006
constexpr UINT CM_FOCUSCHANGED = CM_BASE + 0x07;
constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 0x08;
constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 0x09;
constexpr UINT CM_HITTEST = CM_BASE + 0x0A;
constexpr UINT CM_VISIBLECHANGED = CM_BASE + 0x0B; // $B00B, WParam = new visibility
constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 0x0C; // $B00C
constexpr UINT CM_COLORCHANGED = CM_BASE + 0x0D;
constexpr UINT CM_FONTCHANGED = CM_BASE + 0x0E;
constexpr UINT CM_CURSORCHANGED = CM_BASE + 0x0F;
constexpr UINT CM_TEXTCHANGED = CM_BASE + 0x12;
constexpr UINT CM_MOUSEENTER = CM_BASE + 0x13;  // $B013, LParam = the control entered
constexpr UINT CM_MOUSELEAVE = CM_BASE + 0x14;  // $B014, LParam = the control left
constexpr UINT CM_MENUCHANGED = CM_BASE + 0x15; // $B015
constexpr UINT CM_SHOWINGCHANGED = CM_BASE + 0x19;
constexpr UINT CM_ENTER = CM_BASE + 0x1A;
constexpr UINT CM_EXIT = CM_BASE + 0x1B; // $B01B, focus leaves the control
constexpr UINT CM_WANTSPECIALKEY = CM_BASE + 0x1E;
constexpr UINT CM_RELEASE = CM_BASE + 0x21; // $B021, posted to free a form later
constexpr UINT CM_SHOWHINTCHANGED = CM_BASE + 0x22;
constexpr UINT CM_PARENTSHOWHINTCHANGED = CM_BASE + 0x23;
constexpr UINT CM_SYSCOLORCHANGE = CM_BASE + 0x24;
constexpr UINT CM_CONTROLCHANGE = CM_BASE + 0x36;
constexpr UINT CM_INVALIDATE = CM_BASE + 0x37;
constexpr UINT CM_SHOWHINT = CM_BASE + 0x41;

// Notifications reflected from a parent window to the child control they concern
// (WM_COMMAND, WM_NOTIFY, WM_DRAWITEM ... arrive at the child as CN_BASE + the message).
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;
constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
constexpr UINT CN_HSCROLL = CN_BASE + WM_HSCROLL;
constexpr UINT CN_VSCROLL = CN_BASE + WM_VSCROLL;
constexpr UINT CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM;
constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;
constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;
constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;
constexpr UINT CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
constexpr UINT CN_CHAR = CN_BASE + WM_CHAR;
