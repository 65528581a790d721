// UTF-16 (16-bit units, Basic Multilingual Plane only) to UTF-8.
#pragma once
#include <cstddef>
#include <cstdint>

// Measures the UTF-8 length of a 0-terminated UTF-16 text: 1 byte for a unit
// below 0x80, 2 below 0x800, else 3. -1 when a unit is a surrogate
// (0xD800..0xDFFF): characters outside the Basic Multilingual Plane are not
// supported. A null text measures 0.
long long Utf8LengthOfUtf16(const uint16_t* text) noexcept;

// Converts a 0-terminated UTF-16 text into output (whole size `room` bytes,
// NUL included), each unit on its own. Returns the bytes written (NUL not
// counted), -ENCODING_ERROR for a surrogate, -BAD_PARAM_ERROR when the length
// does not fit an int32_t, or -SHORT_BUF_ERROR when room is less than the
// length + 1; nothing is written on failure.
int32_t Utf8FromUtf16(char* output, std::size_t room, const uint16_t* text) noexcept;
