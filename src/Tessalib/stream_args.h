// What the stream-cipher exports (CIPHER_Stream*, PC1_) share: the hex
// one-shot and the lengths of a caller as the engine takes them. Codes are
// negated; PC1_ turns them positive.
#pragma once
#include <cstddef>
#include <cstdint>

// A caller's length as the engine takes it: a negative one becomes a length
// no check accepts.
inline std::size_t stream_len(int32_t len) noexcept {
    return len < 0 ? static_cast<std::size_t>(-1) : static_cast<std::size_t>(len);
}

// The hex one-shot of CIPHER_StreamHex and PC1_Hex. Checks in order: output
// null: -NULL_ERROR; inputHex or keyHex null or empty, or maxChars < 0:
// -BAD_PARAM_ERROR; inputHex, then keyHex, not hex digits of an even length:
// -BAD_FORMAT_ERROR; for Salsa20 and ChaCha20 ivHex null or empty:
// -BAD_IV_ERROR, not hex digits of an even length: -BAD_FORMAT_ERROR; then
// the decoding buffers (-MEMORY_ERROR) and the set-up codes of
// stream_setup. On success the result is written as upper-case hex, the
// whole bytes that fit in maxChars characters, with a NUL; returns 0.
int32_t stream_hex_run(char* output, int32_t maxChars, const char* inputHex, const char* keyHex, const char* ivHex,
                       uint32_t counter, uint32_t options) noexcept;
