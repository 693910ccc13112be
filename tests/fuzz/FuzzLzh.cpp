// The decoder on any stream and size: never out of bounds, never stuck, and always the same
// bytes as the plain decoder. Input: two bytes of size (kept below 8 KiB so that each run is
// quick; the tree rebuilds of longer outputs are covered by the unit tests' random streams),
// then the stream.
#include "PlainLzh.h"
#include "SkinRead.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::uint32_t unpacked = (data[0] | data[1] << 8) & 0x1FFF;
    const std::vector<std::uint8_t> stream(data + 2, data + size);

    std::vector<std::uint8_t> out;
    std::size_t at = 0;
    TLZH().Unpack(
        unpacked,
        [&](std::uint8_t* buffer, std::size_t wanted, std::size_t& delivered) {
            // Deliver in uneven pieces to exercise refills at every boundary.
            std::size_t piece = 1 + (at * 7 + wanted) % 13;
            delivered = 0;
            while (delivered < wanted && delivered < piece && at < stream.size())
                buffer[delivered++] = stream[at++];
        },
        [&](const std::uint8_t* buffer, std::size_t count, std::size_t& written) {
            out.insert(out.end(), buffer, buffer + count);
            written = count;
        });
    if (out.size() < unpacked || out.size() > unpacked + 59) std::abort();
    if (out != PlainDecode(stream, unpacked)) std::abort();
    return 0;
}
