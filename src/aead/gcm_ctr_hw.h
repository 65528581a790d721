// GCM's counter mode on the processor's AES instructions, for
// aead/gcm_ctr.cpp (hardware path only).
#pragma once
#include <cstddef>
#include <cstdint>

// out = in ^ nblocks keystream blocks E(fixed[0..11] || counter + i), the
// counter a big-endian 32-bit number that wraps modulo 2^32; returns the
// counter of the next block. rk is the word-form schedule of block/aes.h.
// wide: VAES on 256-bit registers (AesPath::vaes; ignored in a build without
// the 256-bit paths).
uint32_t gcm_hw_ctr32(const uint32_t* rk, uint32_t rounds, const uint8_t fixed[16], uint32_t counter, uint8_t* out,
                      const uint8_t* in, std::size_t nblocks, bool wide) noexcept;
