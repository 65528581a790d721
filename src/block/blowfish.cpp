// Blowfish. The round function reads the key-dependent S-boxes, so its
// table indexes depend on secret data; this engine makes no constant-time claim.
#include "block/blowfish.h"

#include <cstring>

#include "block/blowfish_init.h"
#include "block/cipher_modes.h"
#include "core/wipe.h"
#include "tessalib.h"

namespace {

constexpr int kP = 1024;  // offset of the P-array in the schedule

#if defined(__GNUC__)
#define BF_INLINE inline __attribute__((always_inline))
#else
#define BF_INLINE inline
#endif

// The indexes are widened before the S-box offset is added, so that the
// offset becomes part of the address and costs no instruction on the chain.
BF_INLINE uint32_t bf_f(const uint32_t* s, uint32_t x) {
    const std::size_t a = x >> 24, b = (x >> 16) & 0xFF, c = (x >> 8) & 0xFF, d = x & 0xFF;
    return ((s[a] + s[256 + b]) ^ s[512 + c]) + s[768 + d];
}

BF_INLINE void bf_encrypt(const uint32_t* s, uint32_t& hi, uint32_t& lo) {
    const uint32_t* p = s + kP;
    uint32_t l = hi, r = lo;
#if defined(__GNUC__)
#pragma GCC unroll 8
#endif
    for (int i = 0; i < 16; i += 2) {
        l ^= p[i];
        r ^= bf_f(s, l);
        r ^= p[i + 1];
        l ^= bf_f(s, r);
    }
    hi = r ^ p[17];
    lo = l ^ p[16];
}

BF_INLINE void bf_decrypt(const uint32_t* s, uint32_t& hi, uint32_t& lo) {
    const uint32_t* p = s + kP;
    uint32_t l = hi, r = lo;
#if defined(__GNUC__)
#pragma GCC unroll 8
#endif
    for (int i = 17; i > 1; i -= 2) {
        l ^= p[i];
        r ^= bf_f(s, l);
        r ^= p[i - 1];
        l ^= bf_f(s, r);
    }
    hi = r ^ p[0];
    lo = l ^ p[1];
}

// Blowfish as the modes see it: one schedule for both directions.
struct BlowfishCipher : BlockCipher<2> {
    const uint32_t* s;
    BF_INLINE void forward(Block& b) const noexcept { bf_encrypt(s, b[0], b[1]); }
    BF_INLINE void inverse(Block& b) const noexcept { bf_decrypt(s, b[0], b[1]); }
};

// The published key schedule: XOR the key, taken cyclically, into the P-array,
// then replace P and the S-boxes by successive encryptions of the zero block.
void key_schedule(uint32_t* s, const uint8_t* key, int32_t key_len) {
    std::memcpy(s, kBlowfishInitS, sizeof kBlowfishInitS);
    std::memcpy(s + kP, kBlowfishInitP, sizeof kBlowfishInitP);
    int32_t j = 0;
    for (int i = 0; i < 18; ++i) {
        uint32_t w = 0;
        for (int b = 0; b < 4; ++b) {
            w = (w << 8) | key[j];
            if (++j == key_len) j = 0;
        }
        s[kP + i] ^= w;
    }
    uint32_t l = 0, r = 0;
    for (int i = 0; i < 18; i += 2) {
        bf_encrypt(s, l, r);
        s[kP + i] = l;
        s[kP + i + 1] = r;
    }
    for (int i = 0; i < 1024; i += 2) {
        bf_encrypt(s, l, r);
        s[i] = l;
        s[i + 1] = r;
    }
    secure_wipe_obj(l);
    secure_wipe_obj(r);
}

}  // namespace

int32_t BlowfishSetup(BlowfishContext* ctx, int32_t mode, const uint8_t* key, int32_t keyLen, int32_t encrypt,
                      const uint8_t* iv) noexcept {
    // The key schedule cycles through the key bytes, so an empty key is refused.
    const int32_t rc = mode_setup_begin(ctx, mode, iv, keyLen >= 1 && keyLen <= 56, key);
    if (rc != 0) return rc;
    key_schedule(ctx->schedule, key, keyLen);
    mode_start(ctx, mode, encrypt, iv);
    return 0;
}

int32_t BlowfishUpdate(BlowfishContext* ctx, uint8_t* output, const uint8_t* input, std::size_t len) noexcept {
    return mode_update(BlowfishCipher{{}, ctx->schedule}, ctx->mode, ctx->direction != 0, ctx->reg, output, input,
                       len);
}

int32_t BlowfishEcb(const BlowfishContext* ctx, uint8_t* output, const uint8_t* input, std::size_t len,
                    int32_t encrypt) noexcept {
    uint32_t unused[2] = {0, 0};  // ECB has no register
    return mode_update(BlowfishCipher{{}, ctx->schedule}, kModeEcb, encrypt != 0, unused, output, input, len);
}

int32_t BlowfishCrypt(uint8_t* output, const uint8_t* input, int64_t length, const uint8_t* key, int32_t keyLen,
                      int32_t encrypt, int32_t mode, const uint8_t* iv) noexcept {
    if (output == nullptr || input == nullptr || key == nullptr) return -NULL_ERROR;
    if (length < 0 || keyLen < 0) return -BAD_PARAM_ERROR;
    return mode_one_shot<BlowfishContext>(
        output, input, static_cast<std::size_t>(length),
        [&](BlowfishContext* ctx) noexcept { return BlowfishSetup(ctx, mode, key, keyLen, encrypt, iv); },
        BlowfishUpdate);
}
