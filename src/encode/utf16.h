// UTF-16 (16-bit units, Basic Multilingual Plane only) to UTF-8.
#pragma once
#include <cstddef>
#include <cstdint>

// Measures the UTF-8 length of a 0-terminated UTF-16 text: 1, 2 or 3 bytes a
// unit. -1 when a unit is a surrogate (0xD800..0xDFFF).
long long Utf8LengthOfUtf16(const uint16_t* text) noexcept;

// Converts a 0-terminated UTF-16 text into output (whole size `room` bytes,
// NUL included). Returns the bytes written (NUL not counted), -ENCODING_ERROR
// for a surrogate or -SHORT_BUF_ERROR when room is less than the length + 1;
// nothing is written on failure.
int32_t Utf8FromUtf16(char* output, std::size_t room, const uint16_t* text) noexcept;
