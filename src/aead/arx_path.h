// The ways ChaCha20 and Salsa20 (aead/arx_lanes.h) make several keystream
// blocks at once: one at a time, four with SSE2 (every x86-64 processor),
// eight with AVX2, eight with AVX2 and AVX-512VL's rotations. Every path
// gives the same bytes.
#pragma once
#include <cstdint>

enum class ArxPath : uint32_t { portable, sse2, avx2, avx512vl };

// True when this processor and build can run the path.
bool arx_path_available(ArxPath path) noexcept;
