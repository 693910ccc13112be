#pragma once
// What a block of bytes from the device means to the dialer. A block is judged whole and on
// its own, byte for byte: exactly "CA" answers the probe, exactly "R" reports a ring, and
// anything else (a lone "C", a lower-case "r", "RR", noise) tells that the line is free.
// Free of the window system, so it is fuzzed on the host too.
#include <string_view>

enum class TDeviceReply { ProbeAnswer, Ring, Other };

inline TDeviceReply JudgeReply(std::string_view Block) {
    if (Block == "CA") return TDeviceReply::ProbeAnswer;
    if (Block == "R") return TDeviceReply::Ring;
    return TDeviceReply::Other;
}
