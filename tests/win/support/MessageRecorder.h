// Records the messages a window or a control receives, in the manner of Wine's own user32
// tests: a test says which messages it watches, acts, and compares what arrived with the
// sequence it expects, each entry checking the wParam and lParam that matter.
//
//   TMessageRecorder Rec({WM_NCACTIVATE, WM_NCHITTEST});
//   Rec.Attach(Wnd);                    // sits in front of the window's procedure of now
//   ... act ...
//   EXPECT_TRUE(Rec.Matches({{WM_NCHITTEST}, {WM_NCACTIVATE, mcWParam, TRUE}}));
//
// Attached before a skin subclasses the window, the recorder sees exactly what the skin passes
// on to the window's own procedure.
#pragma once

#include "Controls.h"
#include "WndProcHook.h"
#include "WndSubclass.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

enum : unsigned { mcWParam = 1, mcLParam = 2, mcResult = 4 };

struct TMsgExpect {
    UINT Msg;
    unsigned Check = 0; // mc... flags: which of the values below must match
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

struct TRecordedMessage {
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
    LRESULT Result;
};

class TMessageRecorder {
  public:
    // An empty list watches every message.
    explicit TMessageRecorder(std::initializer_list<UINT> Watched = {});
    ~TMessageRecorder() { Detach(); }

    void Attach(HWND Wnd);
    void Attach(TControl& Control);
    void Detach();
    void Clear() { FMessages.clear(); }

    const std::vector<TRecordedMessage>& Messages() const { return FMessages; }
    int Count(UINT Msg) const;
    // The recorded sequence, exactly, against the expected one.
    testing::AssertionResult Matches(std::initializer_list<TMsgExpect> Expected) const;
    std::string Dump() const;

    static std::string MessageName(UINT Msg);

  private:
    static constexpr size_t NotRecorded = static_cast<size_t>(-1);
    bool Watches(UINT Msg) const;
    // Messages are recorded as they arrive (so a message sent while handling another comes
    // after it), and their answer is filled in when the procedure returns.
    size_t Record(const TMessage& M);
    void Answered(size_t At, const TMessage& M);

    std::vector<UINT> FWatched;
    std::vector<TRecordedMessage> FMessages;
    TWindowSubclass FSubclass;
    TWindowProcHook FHook;
};
