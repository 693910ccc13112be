// A growable in-memory byte stream: the skin file, the decompressed archive and every entry
// taken out of it live in one of these.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class TSkinStream {
  public:
    TSkinStream() = default;
    explicit TSkinStream(std::vector<std::uint8_t> bytes) : FBytes(std::move(bytes)) {}

    // Copies up to count bytes from the position on; returns how many were copied.
    std::size_t Read(void* buffer, std::size_t count);
    // Writes at the position, growing the stream (a gap after a seek past the end is zeroed).
    void Write(const void* buffer, std::size_t count);

    std::size_t Position() const { return FPosition; }
    void Seek(std::size_t position) { FPosition = position; }
    std::size_t Size() const { return FBytes.size(); }
    // Cuts or zero-extends the contents; the position is kept within the new size.
    void SetSize(std::size_t size);
    void Clear();

    const std::uint8_t* Memory() const { return FBytes.data(); }
    const std::vector<std::uint8_t>& Bytes() const { return FBytes; }
    void Reserve(std::size_t capacity) { FBytes.reserve(capacity); }

  private:
    std::vector<std::uint8_t> FBytes;
    std::size_t FPosition = 0;
};
