// A broken property ends the run like a crash, so that libFuzzer keeps the input that broke it.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition);            \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (0)

// A value from the input's bytes at an offset, zero where the input ends first.
template <typename T> T Take(const uint8_t* data, size_t size, size_t at) {
    T value{};
    if (at < size) std::memcpy(&value, data + at, std::min(size - at, sizeof value));
    return value;
}
