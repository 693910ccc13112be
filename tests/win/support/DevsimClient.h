// The Windows side of the device simulator's control channel (tools/devsim): a test started by
// with-devsim (or dialer_devsim_test) finds the channel's TCP port in DEVSIM_CONTROL_PORT.
//
// Every command is one text line and gets one reply line, "ok ..." or "err <reason>":
//   send COMx HEX [DELAY_MS]     the device sends these bytes, now or after the delay
//   kind COMx device|silent      answer "CA" to every "CA" received, or never answer
//   answer-delay COMx MS         delay of the device's "CA" answers (0 by default)
//   rx COMx                      "ok HEX" of the bytes received since start or the last clear
//                                ("ok" alone when there are none)
//   wait COMx N TIMEOUT_MS       "ok RECEIVED" once N bytes are in, else "err timeout RECEIVED"
//   clear COMx                   forget the bytes received so far
//   hold COMx on|off             stop/resume reading, so the program's writes back up
//   sendrandom COMx N SALT       the device sends N generator bytes (see DevsimStream.h)
//   sendevents COMx N MS SALT [flow]  the device sends N random events, one every MS:
//                                answers, rings and line noise (see DevsimStream.h); with
//                                "flow" the noise keeps its XON and XOFF bytes
//   rxsum COMx                   "ok COUNT HASH": FNV-1a 64 (16 hex digits) of the bytes
//                                received since the last clear
//   path COMx                    "ok /dev/pts/N", the pseudo-terminal behind the port
//   quit                         the simulator ends
//
// The generator is xorshift32 (13, 17, 5; a salt of 0 counts as 2463534242), one byte per step,
// the low 8 bits of the new state; RandomBytes() gives the same bytes, Fnv1a64() the same hash.
#pragma once

#include "DevsimStream.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

inline constexpr std::uint64_t Fnv1a64Start = devsim::Fnv1a64::kOffsetBasis;

// Continues a 64-bit FNV-1a hash over more bytes; start with Fnv1a64Start.
std::uint64_t Fnv1a64(std::uint64_t hash, const void* data, std::size_t count);

// The first count bytes "sendrandom COMx count salt" makes the device send.
std::string RandomBytes(std::size_t count, std::uint32_t salt);

// A reply other than the one a helper expects; the message holds the command and the reply.
class DevsimError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class DevsimClient {
  public:
    struct Sum {
        std::uint64_t count;
        std::uint64_t hash;
    };

    // Connects to 127.0.0.1 at DEVSIM_CONTROL_PORT; throws DevsimError when it cannot.
    explicit DevsimClient();
    ~DevsimClient();
    DevsimClient(const DevsimClient&) = delete;
    DevsimClient& operator=(const DevsimClient&) = delete;

    // Sends one command line and gives the reply line (without its line end).
    std::string Command(const std::string& line);

    // The helpers throw DevsimError on any "err" reply, except Wait's time-out.
    void Send(const std::string& port, const std::string& bytes, unsigned delayMs = 0);
    void Kind(const std::string& port, const std::string& kind);
    void AnswerDelay(const std::string& port, unsigned ms);
    std::string Rx(const std::string& port); // the bytes themselves
    // True once count bytes have arrived since the last clear; received gets the count seen.
    bool Wait(const std::string& port, std::uint64_t count, unsigned timeoutMs,
              std::uint64_t* received = nullptr);
    void Clear(const std::string& port);
    void Hold(const std::string& port, bool on);
    void SendRandom(const std::string& port, std::uint64_t count, std::uint32_t salt);
    Sum RxSum(const std::string& port);
    std::string Path(const std::string& port);

  private:
    std::string Expect(const std::string& line); // the reply's text after "ok" and a space

    std::uintptr_t socket_;
    std::string pending_;
};
