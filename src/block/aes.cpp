// AES with 32-bit round tables (block/aes_core.h). The state is four
// big-endian words; each round is sixteen table lookups. The tables are
// indexed by secret data (key and state bytes) by design: this engine makes
// no constant-time claim.
#include "block/aes.h"

#include <cstring>

#include "block/aes_core.h"
#include "block/cipher_modes.h"
#include "core/wipe.h"
#include "tessalib.h"

namespace {

inline uint32_t sub_word(uint32_t w) {
    const uint8_t* sb = kAesTables.sbox;
    return aes_word(sb[w >> 24], sb[(w >> 16) & 0xFF], sb[(w >> 8) & 0xFF], sb[w & 0xFF]);
}

constexpr uint32_t kRcon[10] = {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80, 0x1B, 0x36};

}  // namespace

// Key expansion (FIPS 197 section 5.2), one loop per key length so that the
// position of each word inside its group of nk words is fixed.
uint32_t aes_expand_key(uint32_t* rk, const uint8_t* key, int key_len) noexcept {
    const int nk = key_len / 4;
    for (int i = 0; i < nk; ++i) rk[i] = load_be32(key + 4 * i);
    if (nk == 4) {
        for (int r = 0; r < 10; ++r, rk += 4) {
            rk[4] = rk[0] ^ sub_word(rotl32(rk[3], 8)) ^ (kRcon[r] << 24);
            rk[5] = rk[1] ^ rk[4];
            rk[6] = rk[2] ^ rk[5];
            rk[7] = rk[3] ^ rk[6];
        }
        return 10;
    }
    if (nk == 6) {  // 52 words: eight groups, the last one four words long
        for (int r = 0;; ++r, rk += 6) {
            rk[6] = rk[0] ^ sub_word(rotl32(rk[5], 8)) ^ (kRcon[r] << 24);
            rk[7] = rk[1] ^ rk[6];
            rk[8] = rk[2] ^ rk[7];
            rk[9] = rk[3] ^ rk[8];
            if (r == 7) return 12;
            rk[10] = rk[4] ^ rk[9];
            rk[11] = rk[5] ^ rk[10];
        }
    }
    for (int r = 0;; ++r, rk += 8) {  // 60 words: seven groups, the last one four words long
        rk[8] = rk[0] ^ sub_word(rotl32(rk[7], 8)) ^ (kRcon[r] << 24);
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

namespace {

// Turns an encryption schedule into that of the equivalent inverse cipher:
// round keys in reverse order, InvMixColumns applied to all but the first and last.
void invert_schedule(uint32_t* rk, uint32_t rounds) {
    for (uint32_t i = 0, j = 4 * rounds; i < j; i += 4, j -= 4)
        for (uint32_t k = 0; k < 4; ++k) {
            const uint32_t t = rk[i + k];
            rk[i + k] = rk[j + k];
            rk[j + k] = t;
        }
    const uint8_t* sb = kAesTables.sbox;
    for (uint32_t i = 4; i < 4 * rounds; ++i) {
        const uint32_t w = rk[i];
        rk[i] = kAesTables.td[0][sb[w >> 24]] ^ kAesTables.td[1][sb[(w >> 16) & 0xFF]] ^ kAesTables.td[2][sb[(w >> 8) & 0xFF]] ^
                kAesTables.td[3][sb[w & 0xFF]];
    }
}

// One block of bytes through R rounds.
template <typename Dir, int R>
AES_INLINE void aes_block(const uint32_t* rk, uint8_t* out, const uint8_t* in) noexcept {
    uint32_t s[4];
    block_load(s, in);
    aes_rounds<Dir, R>(rk, s);
    block_store(out, s);
}

// The same with the round count of a keyed context.
template <typename Dir>
AES_INLINE void aes_block(const AesContext* ctx, uint8_t* out, const uint8_t* in) noexcept {
    if (ctx->rounds == 10)
        aes_block<Dir, 10>(ctx->schedule, out, in);
    else if (ctx->rounds == 12)
        aes_block<Dir, 12>(ctx->schedule, out, in);
    else
        aes_block<Dir, 14>(ctx->schedule, out, in);
}

// AES as the modes see it, with the round count fixed: AesUpdate chooses the
// instance once per call, so that the block loops carry no test of it.
// R = 0 stands for a context that was never keyed, which the modes refuse
// after their checks.
template <int R>
struct AesCipher : BlockCipher<4> {
    const uint32_t* rk;
    bool keyed() const noexcept { return R != 0; }
    AES_INLINE void forward(Block& b) const noexcept {
        if constexpr (R != 0) aes_rounds<AesForward, R>(rk, b);
    }
    AES_INLINE void inverse(Block& b) const noexcept {
        if constexpr (R != 0) aes_rounds<AesInverse, R>(rk, b);
    }
};

// AesUpdate with R rounds.
template <int R>
int32_t aes_update(AesContext* ctx, uint8_t* out, const uint8_t* in, std::size_t len) noexcept {
    return mode_update(AesCipher<R>{{}, ctx->schedule}, ctx->mode, ctx->direction != 0, ctx->reg, out, in, len);
}

}  // namespace

int32_t AesSetup(AesContext* ctx, int32_t mode, const uint8_t* key, int32_t keyLen, int32_t encrypt,
                 const uint8_t* iv) noexcept {
    const int32_t rc = mode_setup_begin(ctx, mode, iv, keyLen == 16 || keyLen == 24 || keyLen == 32, key);
    if (rc != 0) return rc;
    ctx->keyBits = static_cast<uint32_t>(keyLen) * 8;
    ctx->rounds = aes_expand_key(ctx->schedule, key, keyLen);
    if (mode_runs_inverse(mode, encrypt)) invert_schedule(ctx->schedule, ctx->rounds);
    mode_start(ctx, mode, encrypt, iv);
    return 0;
}

int32_t AesUpdate(AesContext* ctx, uint8_t* out, const uint8_t* in, std::size_t len) noexcept {
    if (ctx->rounds == 10) return aes_update<10>(ctx, out, in, len);
    if (ctx->rounds == 12) return aes_update<12>(ctx, out, in, len);
    if (ctx->rounds == 14) return aes_update<14>(ctx, out, in, len);
    return aes_update<0>(ctx, out, in, len);
}

int32_t AesCrypt(uint8_t* output, const uint8_t* input, int64_t length, const uint8_t* key, int32_t keyBits,
                 const uint8_t* iv, int32_t encrypt, int32_t mode) noexcept {
    if (output == nullptr || input == nullptr || key == nullptr) return -NULL_ERROR;
    if (length < 0) return -BAD_PARAM_ERROR;
    const int32_t key_len = (keyBits == 128 || keyBits == 192 || keyBits == 256) ? keyBits / 8 : 0;
    return mode_one_shot<AesContext>(
        output, input, static_cast<std::size_t>(length),
        [&](AesContext* ctx) noexcept { return AesSetup(ctx, mode, key, key_len, encrypt, iv); }, AesUpdate);
}

void aes_block_encrypt(const AesContext* ctx, uint8_t out[16], const uint8_t in[16]) noexcept {
    aes_block<AesForward>(ctx, out, in);
}

void aes_block_decrypt(const AesContext* ctx, uint8_t out[16], const uint8_t in[16]) noexcept {
    aes_block<AesInverse>(ctx, out, in);
}
