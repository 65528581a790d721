// Hexadecimal text codecs used by every hex-valued export.
#pragma once
#include <cstddef>
#include <cstdint>

// Encodes data as hex digits (upper / lower case) into output, whose whole
// size including the NUL is `room` bytes. Writes whole bytes only while at
// least 3 bytes of room remain, then a NUL (when room >= 1). Returns the
// number of characters written.
std::size_t HexEncodeUpper(char* output, std::size_t room, const uint8_t* data, std::size_t dataLen) noexcept;
std::size_t HexEncodeLower(char* output, std::size_t room, const uint8_t* data, std::size_t dataLen) noexcept;

// Strict decoding of an even number of hex digits (either case, nothing else).
// Stores at most `capacity` bytes but returns the number of bytes the whole
// text encodes; -1 for an odd length or a non-hex character. Empty text: 0.
long long HexDecodeStrict(uint8_t* output, std::size_t capacity, const char* text) noexcept;

// Lenient decoding: skips every non-hex character, pairs digits in order
// (a pair may straddle skipped characters), drops a last lone digit, stops
// at the NUL or when `capacity` bytes are written. Returns the bytes written.
std::size_t HexDecodeLenient(uint8_t* output, std::size_t capacity, const char* text) noexcept;

// The hex decoding table: 0..15 for hex digits, negative for every other byte.
extern const int16_t kHexDecodeTable[256];
