// The pointing hand shown over a hyperlink: a monochrome 32x32 cursor, hot spot on the fingertip.
#pragma once
#include <array>
#include <cstdint>

struct CursorMasks {
    static constexpr int kSize = 32;
    static constexpr int kHotSpotX = 7;
    static constexpr int kHotSpotY = 3;
    // One bit per pixel, rows top to bottom, most significant bit leftmost. AND 1 + XOR 0: screen shows
    // through; AND 0 + XOR 0: black; AND 0 + XOR 1: white.
    std::array<uint8_t, kSize * kSize / 8> andMask;
    std::array<uint8_t, kSize * kSize / 8> xorMask;
};

CursorMasks LinkCursorMasks();
