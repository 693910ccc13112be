// The judgement of the device's blocks on any bytes: only exactly "CA" answers the probe, only
// exactly "R" rings, and every other block (embedded zeros, prefixes, repeats) frees the line.
#include "app/DeviceReply.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view block(reinterpret_cast<const char*>(data), size);
    const TDeviceReply reply = JudgeReply(block);
    const bool probeAnswer = size == 2 && data[0] == 'C' && data[1] == 'A';
    const bool ring = size == 1 && data[0] == 'R';
    if ((reply == TDeviceReply::ProbeAnswer) != probeAnswer) std::abort();
    if ((reply == TDeviceReply::Ring) != ring) std::abort();
    if ((reply == TDeviceReply::Other) != (!probeAnswer && !ring)) std::abort();
    // The device's reads split a stream anywhere: each piece is judged on its own.
    for (std::size_t at = 0; at < size; at += 2) {
        const std::string_view piece = block.substr(at, 2);
        if (JudgeReply(piece) == TDeviceReply::ProbeAnswer && piece != "CA") std::abort();
    }
    return 0;
}
