// Base64 text codecs (RFC 4648 section 4 alphabet, "=" padding, no line breaks).
#pragma once
#include <cstddef>
#include <cstdint>

// Encodes whole groups while at least 3 input bytes and 5 bytes of room
// remain; a 1- or 2-byte tail is encoded with padding only when the input ran
// out and 5 bytes of room remain. Writes a NUL (when room >= 1). Returns the
// characters written.
std::size_t B64Encode(char* output, std::size_t room, const uint8_t* data, std::size_t dataLen) noexcept;

// Decodes until the NUL or the first "="; skips characters outside the
// alphabet; writes a group of 3 bytes only when 3 bytes of capacity remain,
// stops when the capacity is used up; a tail of 2 or 3 values gives 1 or 2
// bytes when they fit. Returns the bytes written. Capacity 0 returns 0.
std::size_t B64Decode(uint8_t* output, std::size_t capacity, const char* text) noexcept;

// The base64 decoding table: 0..63 for the alphabet, 64 for "=", negative otherwise.
extern const int16_t kB64DecodeTable[256];
