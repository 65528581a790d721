// Argument handling shared by the per-algorithm block-cipher families: the
// decoding of key, IV and data text and the buffers that hold what was
// decoded. Every buffer here is wiped when it goes out of scope.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/frame.h"
#include "core/wipe.h"
#include "encode/hex.h"

// A fixed-size stack buffer for a decoded key or IV.
template <std::size_t N>
struct SecretBytes {
    uint8_t bytes[N];
    SecretBytes() noexcept : bytes{} {}
    ~SecretBytes() { secure_wipe(bytes, N); }
    SecretBytes(const SecretBytes&) = delete;
    SecretBytes& operator=(const SecretBytes&) = delete;
};

// A heap buffer for decoded data, wiped and freed at the end of the call.
class SecretBuffer {
public:
    explicit SecretBuffer(std::size_t size) noexcept
        : data_(static_cast<uint8_t*>(MemAlloc(size))), size_(size) {}
    ~SecretBuffer() {
        secure_wipe(data_, size_);
        MemFree(data_);
    }
    SecretBuffer(const SecretBuffer&) = delete;
    SecretBuffer& operator=(const SecretBuffer&) = delete;
    uint8_t* data() const noexcept { return data_; }

private:
    uint8_t* data_;
    std::size_t size_;
};

// True for a null or empty text.
inline bool text_missing(const char* text) noexcept { return text == nullptr || text[0] == '\0'; }

// Strict hex decoding as the families use it: the number of bytes the whole
// text encodes (at most `capacity` of them stored), with an invalid text, a
// null text or a null output counted as 0 bytes.
inline std::size_t hex_decode_count(uint8_t* output, std::size_t capacity, const char* text) noexcept {
    if (output == nullptr || text == nullptr) return 0;
    const long long n = HexDecodeStrict(output, capacity, text);
    return n < 0 ? 0 : static_cast<std::size_t>(n);
}

// True when a data size worked out from a caller's text fits a positive int32_t.
inline bool data_size_ok(uint64_t size) noexcept { return size <= static_cast<uint64_t>(INT32_MAX); }
