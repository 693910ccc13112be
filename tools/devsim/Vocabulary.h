// What the bytes on the line mean: the dialer's two-letter commands as the device reads them,
// the device's replies as the dialer reads them, and the flow-control characters both send.
// The device log prints these beside the bytes, so a call can be followed without a table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace devsim {

enum class Direction { ToDevice, FromDevice };

// One chunk as read or written at once: its words in order, separated by ", " ("Aa off hook,
// Da digit 1"); bytes that form no word appear as hex ("0D 0A"). Empty when no byte of the
// chunk forms a word, since the log shows every chunk's hex anyway.
std::string DescribeChunk(Direction direction, const std::uint8_t* data, std::size_t count);

} // namespace devsim
