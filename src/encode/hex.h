// Hexadecimal text codecs used by every hex-valued export.
#pragma once
#include <cstddef>
#include <cstdint>

// Encodes data as hex digits (upper / lower case) into output, whose whole
// size including the NUL is `room` bytes. Writes whole bytes only while at
// least 3 bytes of room remain, then a NUL (when room >= 1). Returns the
// number of characters written: min(dataLen, (room - 1) / 2) * 2.
std::size_t HexEncodeUpper(char* output, std::size_t room, const uint8_t* data, std::size_t dataLen) noexcept;
std::size_t HexEncodeLower(char* output, std::size_t room, const uint8_t* data, std::size_t dataLen) noexcept;

// Strict decoding of an even number of hex digits (either case, nothing else).
// Stores at most `capacity` bytes but returns the number of bytes the whole
// text encodes; -1 for an odd length, a non-hex character or a null text. Empty
// text: 0. The whole text is checked before anything is stored, so a failing
// call leaves output untouched. A null output is taken as capacity 0 (measure
// and validate only).
long long HexDecodeStrict(uint8_t* output, std::size_t capacity, const char* text) noexcept;

// Lenient decoding: skips every non-hex character, pairs digits in order
// (a pair may straddle skipped characters), drops a last lone digit, stops
// at the NUL or when `capacity` bytes are written. Returns the bytes written.
// Capacity 0 (or a null text) returns 0 at once.
std::size_t HexDecodeLenient(uint8_t* output, std::size_t capacity, const char* text) noexcept;

// The number of bytes HexDecodeLenient writes for text when capacity is
// unlimited (half the number of hex digits, rounded down). Stores nothing.
std::size_t hex_lenient_length(const char* text) noexcept;

// True when every character of the NUL-terminated text is a hex digit (of
// either case; any length, 0 and odd included).
bool hex_is_digits(const char* text) noexcept;

// True when every character of the NUL-terminated text is a hex digit, ASCII
// white space or ASCII punctuation (what a person separates hex pairs with).
bool hex_text_is_valid(const char* text) noexcept;

// Copies to out, in order, the characters among the first in_len of in that
// are hex digits (a NUL among them is dropped like any other character), then
// a NUL. Returns the number kept. out needs in_len + 1 bytes and may be the
// same buffer as in: the write position never passes the read position.
std::size_t hex_filter(char* out, const char* in, std::size_t in_len) noexcept;

// The hex decoding table: 0..15 for hex digits, negative for every other byte.
extern const int16_t kHexDecodeTable[256];
