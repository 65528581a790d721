// Shared pieces of the block-cipher engine: the numbering of the modes of
// operation and the parser of mode strings.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/endian.h"

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
