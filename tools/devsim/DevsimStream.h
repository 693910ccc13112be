// Byte streams both sides of a simulator test can reproduce without moving them over the
// control channel. Header-only and free of OS calls: the host simulator and the Windows test
// client include the same file, so their values always agree.
//
// Generator (sendrandom COMx N SALT): xorshift32 with shifts 13, 17, 5. The state starts at
// SALT (a SALT of 0, a fixed point of xorshift, is replaced by 2463534242); each byte is one
// step, and the byte is the low 8 bits of the new state.
//
// Device events (sendevents COMx N EVERY_MS SALT): the same generator, salted the same way.
// Each event draws one byte b: b % 4 == 0 is the probe answer "CA", 1 a ring "R", 2 and 3 line
// noise of 1 + (the next byte % 3) bytes, each drawn from the generator, where XON (0x11) and
// XOFF (0x13) become 0x51 and 0x53 (noise must not stop the program's output), unless the
// events are sent with "flow" (sendevents COMx N EVERY_MS SALT flow): then the flow characters
// stay as drawn, and the noise holds and releases the program's output now and then.
//
// Hash (rxsum COMx): 64-bit FNV-1a, offset basis 0xcbf29ce484222325, prime 0x100000001b3,
// over the bytes in arrival order; written as 16 upper-case hex digits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace devsim {

class XorShift32 {
  public:
    explicit XorShift32(std::uint32_t salt) : state_(salt != 0 ? salt : 2463534242u) {}

    std::uint8_t NextByte() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<std::uint8_t>(state_ & 0xFF);
    }

    void Fill(std::uint8_t* out, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i)
            out[i] = NextByte();
    }

    std::uint32_t State() const { return state_; }

  private:
    std::uint32_t state_;
};

inline std::vector<std::uint8_t> NextEvent(XorShift32& random, bool realFlow = false) {
    switch (random.NextByte() % 4) {
    case 0:
        return {'C', 'A'};
    case 1:
        return {'R'};
    default: {
        std::vector<std::uint8_t> noise(1 + random.NextByte() % 3);
        for (std::uint8_t& byte : noise) {
            byte = random.NextByte();
            if (!realFlow && (byte == 0x11 || byte == 0x13)) byte |= 0x40;
        }
        return noise;
    }
    }
}

class Fnv1a64 {
  public:
    static constexpr std::uint64_t kOffsetBasis = 0xcbf29ce484222325ull;
    static constexpr std::uint64_t kPrime = 0x100000001b3ull;

    void Add(const std::uint8_t* data, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            hash_ ^= data[i];
            hash_ *= kPrime;
        }
        count_ += count;
    }

    std::uint64_t Hash() const { return hash_; }
    std::uint64_t Count() const { return count_; }
    void Reset() { *this = Fnv1a64(); }

  private:
    std::uint64_t hash_ = kOffsetBasis;
    std::uint64_t count_ = 0;
};

} // namespace devsim
