// Shared pieces of the block-cipher engine: the numbering of the modes of
// operation, the parser of mode strings and big-endian word access.
#pragma once
#include <cstddef>
#include <cstdint>

// The engine's numbering of the modes of operation.
enum EngineMode : int32_t {
    kModeEcb = 0,  // electronic codebook
    kModeCbc = 1,  // cipher block chaining
    kModeCfb = 2,  // cipher feedback, whole-block segments
    kModeOfb = 3,  // output feedback
    kModeCtr = 4,  // counter: the whole block is a big-endian counter
};

// True for a number that names one of the five modes.
inline bool engine_mode_valid(int32_t mode) noexcept { return mode >= kModeEcb && mode <= kModeCtr; }

// Reads exactly the first three characters of a mode string ("ECB", "CBC",
// "CFB", "OFB", "CTR", letters in either case; what follows is not looked at)
// and returns the EngineMode, or -1 when the text names no mode. The text
// must not be null.
int32_t ParseModeString(const char* modeText) noexcept;

inline uint32_t load_be32(const uint8_t* p) noexcept {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

inline void store_be32(uint8_t* p, uint32_t v) noexcept {
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}

inline uint32_t rotl32(uint32_t v, unsigned n) noexcept { return (v << (n & 31)) | (v >> ((32 - n) & 31)); }
inline uint32_t rotr32(uint32_t v, unsigned n) noexcept { return (v >> (n & 31)) | (v << ((32 - n) & 31)); }
