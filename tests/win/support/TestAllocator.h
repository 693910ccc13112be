// The test programs' operator new and delete (TestAllocator.cpp): freed blocks are filled with
// FreedByte and kept out of reuse for a while, so a read through a deleted object shows.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr uint8_t FreedByte = 0xFE;

// How many freed blocks are being held back now.
size_t QuarantinedBlocks();
