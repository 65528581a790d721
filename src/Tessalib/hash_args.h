// Export-side steps shared by the hash, MAC and key-derivation families:
// writing a digest or tag to the caller's buffer and decoding hex arguments
// into checked buffers.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/secret.h"

// Bytes output: copies the leading min(capacity, len) bytes of data to
// output and returns their number. Query mode (output NULL or capacity < 1)
// copies nothing and returns len.
inline int32_t bytes_out_leading(uint8_t* output, int32_t capacity, const uint8_t* data, std::size_t len) noexcept {
    if (output == nullptr || capacity < 1) return static_cast<int32_t>(len);
    std::size_t n = len;
    if (static_cast<std::size_t>(capacity) < n) n = static_cast<std::size_t>(capacity);
    std::memcpy(output, data, n);
    return static_cast<int32_t>(n);
}

// Hex output: writes the leading whole bytes of data that fit max_chars
// characters (all len of them when 2 x len fit, else floor(max_chars / 2)) as
// lower-case hex plus a NUL, and returns the characters written. Query mode
// (output NULL or max_chars < 1) writes nothing and returns 2 x len.
int32_t hex_out_leading(char* output, int32_t max_chars, const uint8_t* data, std::size_t len) noexcept;

// Decodes text, which HexDecodeStrict has already accepted as `len` bytes,
// into buf (exactly len bytes, from the checked allocator). False, with buf
// empty, when the memory cannot be had.
bool decode_hex_strict(SecretBuffer& buf, const char* text, std::size_t len) noexcept;

// Decodes text leniently (HexDecodeLenient: non-hex characters skipped, a
// last lone digit dropped) into buf, sized to the bytes the text holds
// (buf.size()). False, with buf empty, when the memory cannot be had.
bool decode_hex_lenient(SecretBuffer& buf, const char* text) noexcept;
