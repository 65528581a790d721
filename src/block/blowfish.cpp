// Blowfish. The round function reads the key-dependent S-boxes, so its
// table indexes depend on secret data; this engine makes no constant-time claim.
#include "block/blowfish.h"

#include <cstring>

#include "block/blowfish_init.h"
#include "block/mode64.h"
#include "block/modes.h"
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

struct BfForward {
    const uint32_t* s;
    void operator()(uint32_t& hi, uint32_t& lo) const noexcept { bf_encrypt(s, hi, lo); }
};
struct BfInverse {
    const uint32_t* s;
    void operator()(uint32_t& hi, uint32_t& lo) const noexcept { bf_decrypt(s, hi, lo); }
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
    secure_wipe_obj(*ctx);
    if (mode != kModeEcb && iv == nullptr) return BAD_IV_ERROR;
    if (!engine_mode_valid(mode)) return BAD_MODE_ERROR;
    // The key schedule cycles through the key bytes, so an empty key is refused.
    if (keyLen < 1 || keyLen > 56) return BAD_KEY_LEN_ERROR;
    if (key == nullptr) return BAD_KEY_ERROR;

    key_schedule(ctx->schedule, key, keyLen);
    mode64_start(ctx, mode, encrypt, iv);
    return 0;
}

int32_t BlowfishUpdate(BlowfishContext* ctx, uint8_t* output, const uint8_t* input, std::size_t len) noexcept {
    return mode64_update(ctx->mode, ctx->direction, ctx->reg, output, input, len, BfForward{ctx->schedule},
                         BfInverse{ctx->schedule});
}

int32_t BlowfishEcb(const BlowfishContext* ctx, uint8_t* output, const uint8_t* input, std::size_t len,
                    int32_t encrypt) noexcept {
    if ((len & 7) != 0) return BAD_LENGTH_ERROR;
    uint32_t unused[2] = {0, 0};
    return mode64_update(kModeEcb, encrypt ? 1u : 0u, unused, output, input, len, BfForward{ctx->schedule},
                         BfInverse{ctx->schedule});
}

int32_t BlowfishCrypt(uint8_t* output, const uint8_t* input, int64_t length, const uint8_t* key, int32_t keyLen,
                      int32_t encrypt, const char* modeText, const uint8_t* iv) noexcept {
    if (output == nullptr || input == nullptr || key == nullptr || modeText == nullptr) return NULL_ERROR;
    if (length < 0 || keyLen < 0) return BAD_PARAM_ERROR;
    BlowfishContext ctx;
    int32_t rc = BlowfishSetup(&ctx, ParseModeString(modeText), key, keyLen, encrypt, iv);
    if (rc == 0) rc = BlowfishUpdate(&ctx, output, input, static_cast<std::size_t>(length));
    secure_wipe_obj(ctx);
    return rc;
}
