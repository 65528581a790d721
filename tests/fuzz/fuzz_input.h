// Taking the fields of a fuzzer's input in turn.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

// The next n bytes of the input (zeros where it runs out); data and size move
// past what was taken.
inline std::vector<uint8_t> fuzz_take(const uint8_t*& data, std::size_t& size, std::size_t n) {
    std::vector<uint8_t> out(n, 0);
    const std::size_t k = n < size ? n : size;
    if (k != 0) std::memcpy(out.data(), data, k);
    data += k;
    size -= k;
    return out;
}
