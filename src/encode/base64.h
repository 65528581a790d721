// Base64 text codecs (RFC 4648 section 4 alphabet, "=" padding, no line breaks).
#pragma once
#include <cstddef>
#include <cstdint>

// Encodes whole groups while at least 3 input bytes and 5 bytes of room
// remain; a 1- or 2-byte tail is encoded with padding only when the input ran
// out and 5 bytes of room remain. Writes a NUL (when room >= 1). Returns the
// characters written: a shortage of room truncates at a whole group of four.
std::size_t B64Encode(char* output, std::size_t room, const uint8_t* data, std::size_t dataLen) noexcept;

// Decodes until the NUL or the first "="; skips characters outside the
// alphabet; writes a group of 3 bytes only when 3 bytes of capacity remain
// (otherwise stops without writing it), stops when the capacity is used up;
// a tail of 2 or 3 values gives 1 or 2 bytes when they fit, a single value is
// dropped. Returns the bytes written. Capacity 0 (or a null text) returns 0.
std::size_t B64Decode(uint8_t* output, std::size_t capacity, const char* text) noexcept;

// The number of bytes B64Decode writes for text when capacity is unlimited.
// Stores nothing.
std::size_t b64_decoded_length(const char* text) noexcept;

// True when every character of the NUL-terminated text is in the base64
// alphabet, "=" or ASCII white space.
bool b64_text_is_valid(const char* text) noexcept;

// Copies to out, in order, the characters among the first in_len of in that
// are in the base64 alphabet or "=" (a NUL among them is dropped like any
// other character), then a NUL. Returns the number kept. out needs in_len + 1
// bytes and may be the same buffer as in.
std::size_t b64_filter(char* out, const char* in, std::size_t in_len) noexcept;

// The base64 decoding table: 0..63 for the alphabet, 64 for "=", negative otherwise.
extern const int16_t kB64DecodeTable[256];
