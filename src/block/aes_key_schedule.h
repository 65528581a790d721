// The AES key expansion (FIPS 197 section 5.2) on the word form of the
// schedule (block/aes.h), written once for both paths of the engine: the
// only step that differs is SubWord, the table's S-box (block/aes.cpp) or the
// processor's AESKEYGENASSIST (block/aes_hw.cpp), passed in as a function
// object. Inlined into its caller, so that the processor's SubWord is
// compiled with the caller's target.
#pragma once
#include <cstdint>

#include "core/endian.h"

#if defined(__GNUC__)
#define AES_SCHEDULE_INLINE inline __attribute__((always_inline))
#else
#define AES_SCHEDULE_INLINE inline
#endif

constexpr uint32_t kAesRcon[10] = {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80, 0x1B, 0x36};

// Key expansion (FIPS 197 section 5.2), one loop per key length so that the
// position of each word inside its group of nk words is fixed. SubWord is
// the table's or the processor's.
template <typename SubWord>
AES_SCHEDULE_INLINE uint32_t aes_expand_words(uint32_t* rk, const uint8_t* key, int key_len, SubWord sub_word) noexcept {
    const int nk = key_len / 4;
    for (int i = 0; i < nk; ++i) rk[i] = load_be32(key + 4 * i);
    if (nk == 4) {
        for (int r = 0; r < 10; ++r, rk += 4) {
            rk[4] = rk[0] ^ sub_word(rotl32(rk[3], 8)) ^ (kAesRcon[r] << 24);
            rk[5] = rk[1] ^ rk[4];
            rk[6] = rk[2] ^ rk[5];
            rk[7] = rk[3] ^ rk[6];
        }
        return 10;
    }
    if (nk == 6) {  // 52 words: eight groups, the last one four words long
        for (int r = 0;; ++r, rk += 6) {
            rk[6] = rk[0] ^ sub_word(rotl32(rk[5], 8)) ^ (kAesRcon[r] << 24);
            rk[7] = rk[1] ^ rk[6];
            rk[8] = rk[2] ^ rk[7];
            rk[9] = rk[3] ^ rk[8];
            if (r == 7) return 12;
            rk[10] = rk[4] ^ rk[9];
            rk[11] = rk[5] ^ rk[10];
        }
    }
    for (int r = 0;; ++r, rk += 8) {  // 60 words: seven groups, the last one four words long
        rk[8] = rk[0] ^ sub_word(rotl32(rk[7], 8)) ^ (kAesRcon[r] << 24);
        rk[9] = rk[1] ^ rk[8];
        rk[10] = rk[2] ^ rk[9];
        rk[11] = rk[3] ^ rk[10];
        if (r == 6) return 14;
        rk[12] = rk[4] ^ sub_word(rk[11]);
        rk[13] = rk[5] ^ rk[12];
        rk[14] = rk[6] ^ rk[13];
        rk[15] = rk[7] ^ rk[14];
    }
}

