#include "MessageRecorder.h"

#include <algorithm>
#include <cstdio>

TMessageRecorder::TMessageRecorder(std::initializer_list<UINT> Watched) : FWatched(Watched) {}

void TMessageRecorder::Attach(HWND Wnd) {
    Detach();
    FSubclass.Install(
        Wnd,
        [this](TMessage& M) {
            const size_t At = Record(M);
            FSubclass.CallPrevious(M);
            Answered(At, M);
        },
        IsWindowUnicode(Wnd) != FALSE);
}

void TMessageRecorder::Attach(TControl& Control) {
    Detach();
    FHook.Install(Control, [this](TMessage& M, const TWndMethod& Previous) {
        const size_t At = Record(M);
        Previous(M);
        Answered(At, M);
    });
}

void TMessageRecorder::Detach() {
    FSubclass.Remove();
    FHook.Remove();
}

bool TMessageRecorder::Watches(UINT Msg) const {
    return FWatched.empty() || std::find(FWatched.begin(), FWatched.end(), Msg) != FWatched.end();
}

size_t TMessageRecorder::Record(const TMessage& M) {
    if (!Watches(M.Msg)) return NotRecorded;
    FMessages.push_back({M.Msg, M.WParam, M.LParam, 0});
    return FMessages.size() - 1;
}

void TMessageRecorder::Answered(size_t At, const TMessage& M) {
    // A test may clear the record while a message is being handled.
    if (At < FMessages.size() && FMessages[At].Msg == M.Msg) FMessages[At].Result = M.Result;
}

int TMessageRecorder::Count(UINT Msg) const {
    return static_cast<int>(
        std::count_if(FMessages.begin(), FMessages.end(),
                      [Msg](const TRecordedMessage& R) { return R.Msg == Msg; }));
}

std::string TMessageRecorder::MessageName(UINT Msg) {
    static const struct {
        UINT Msg;
        const char* Name;
    } Names[] = {
        {WM_ACTIVATE, "WM_ACTIVATE"},
        {WM_SETTEXT, "WM_SETTEXT"},
        {WM_PAINT, "WM_PAINT"},
        {WM_CLOSE, "WM_CLOSE"},
        {WM_ERASEBKGND, "WM_ERASEBKGND"},
        {WM_SHOWWINDOW, "WM_SHOWWINDOW"},
        {WM_SIZE, "WM_SIZE"},
        {WM_MOVE, "WM_MOVE"},
        {WM_SETFOCUS, "WM_SETFOCUS"},
        {WM_KILLFOCUS, "WM_KILLFOCUS"},
        {WM_WINDOWPOSCHANGING, "WM_WINDOWPOSCHANGING"},
        {WM_WINDOWPOSCHANGED, "WM_WINDOWPOSCHANGED"},
        {WM_NCCALCSIZE, "WM_NCCALCSIZE"},
        {WM_NCHITTEST, "WM_NCHITTEST"},
        {WM_NCPAINT, "WM_NCPAINT"},
        {WM_NCACTIVATE, "WM_NCACTIVATE"},
        {WM_NCDESTROY, "WM_NCDESTROY"},
        {WM_NCMOUSEMOVE, "WM_NCMOUSEMOVE"},
        {WM_NCLBUTTONDOWN, "WM_NCLBUTTONDOWN"},
        {WM_NCLBUTTONUP, "WM_NCLBUTTONUP"},
        {WM_NCLBUTTONDBLCLK, "WM_NCLBUTTONDBLCLK"},
        {WM_NCRBUTTONDOWN, "WM_NCRBUTTONDOWN"},
        {WM_KEYDOWN, "WM_KEYDOWN"},
        {WM_KEYUP, "WM_KEYUP"},
        {WM_CHAR, "WM_CHAR"},
        {WM_SYSKEYDOWN, "WM_SYSKEYDOWN"},
        {WM_SYSCHAR, "WM_SYSCHAR"},
        {WM_COMMAND, "WM_COMMAND"},
        {WM_SYSCOMMAND, "WM_SYSCOMMAND"},
        {WM_TIMER, "WM_TIMER"},
        {WM_INITMENUPOPUP, "WM_INITMENUPOPUP"},
        {WM_MOUSEMOVE, "WM_MOUSEMOVE"},
        {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"},
        {WM_LBUTTONUP, "WM_LBUTTONUP"},
        {WM_LBUTTONDBLCLK, "WM_LBUTTONDBLCLK"},
        {WM_CAPTURECHANGED, "WM_CAPTURECHANGED"},
        {CM_DIALOGCHAR, "CM_DIALOGCHAR"},
        {CM_VISIBLECHANGED, "CM_VISIBLECHANGED"},
        {CM_ENABLEDCHANGED, "CM_ENABLEDCHANGED"},
        {CM_MOUSEENTER, "CM_MOUSEENTER"},
        {CM_MOUSELEAVE, "CM_MOUSELEAVE"},
        {CM_MENUCHANGED, "CM_MENUCHANGED"},
        {CM_EXIT, "CM_EXIT"},
        {CM_RELEASE, "CM_RELEASE"},
    };
    for (const auto& N : Names)
        if (N.Msg == Msg) return N.Name;
    char Text[16];
    std::snprintf(Text, sizeof(Text), "0x%04X", Msg);
    return Text;
}

std::string TMessageRecorder::Dump() const {
    std::string Out;
    for (const auto& R : FMessages) {
        char Line[128];
        std::snprintf(Line, sizeof(Line), "  %s w=0x%lX l=0x%lX -> 0x%lX\n",
                      MessageName(R.Msg).c_str(), static_cast<unsigned long>(R.WParam),
                      static_cast<unsigned long>(R.LParam), static_cast<unsigned long>(R.Result));
        Out += Line;
    }
    return Out.empty() ? "  (nothing)\n" : Out;
}

testing::AssertionResult
TMessageRecorder::Matches(std::initializer_list<TMsgExpect> Expected) const {
    size_t I = 0;
    for (const TMsgExpect& E : Expected) {
        if (I >= FMessages.size())
            return testing::AssertionFailure()
                   << "missing " << MessageName(E.Msg) << " at " << I << "; got:\n"
                   << Dump();
        const TRecordedMessage& R = FMessages[I];
        const bool Same = R.Msg == E.Msg && (!(E.Check & mcWParam) || R.WParam == E.WParam) &&
                          (!(E.Check & mcLParam) || R.LParam == E.LParam) &&
                          (!(E.Check & mcResult) || R.Result == E.Result);
        if (!Same)
            return testing::AssertionFailure()
                   << "message " << I << " is not " << MessageName(E.Msg) << " as expected (w=0x"
                   << std::hex << E.WParam << " l=0x" << E.LParam << " result 0x" << E.Result
                   << " where checked); got:\n"
                   << Dump();
        ++I;
    }
    if (I != FMessages.size())
        return testing::AssertionFailure() << "more messages than expected; got:\n" << Dump();
    return testing::AssertionSuccess();
}
