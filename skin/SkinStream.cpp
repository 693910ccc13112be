#include "SkinStream.h"

#include <algorithm>
#include <cstring>

std::size_t TSkinStream::Read(void* buffer, std::size_t count) {
    if (FPosition >= FBytes.size()) return 0;
    std::size_t n = std::min(count, FBytes.size() - FPosition);
    if (n > 0) std::memcpy(buffer, FBytes.data() + FPosition, n);
    FPosition += n;
    return n;
}

void TSkinStream::Write(const void* buffer, std::size_t count) {
    if (count == 0) return;
    if (FPosition > FBytes.size()) FBytes.resize(FPosition);
    auto bytes = static_cast<const std::uint8_t*>(buffer);
    std::size_t overlap = std::min(count, FBytes.size() - FPosition);
    if (overlap > 0) std::memcpy(FBytes.data() + FPosition, bytes, overlap);
    FBytes.insert(FBytes.end(), bytes + overlap, bytes + count);
    FPosition += count;
}

void TSkinStream::SetSize(std::size_t size) {
    FBytes.resize(size);
    FPosition = std::min(FPosition, size);
}

void TSkinStream::Clear() {
    FBytes.clear();
    FBytes.shrink_to_fit();
    FPosition = 0;
}
