// The AES engine on two paths, chosen per call by cpu_aes_path()
// (core/cpu.h):
// - the processor's AES instructions (block/aes_hw.h), where present: no
//   table look-ups, no branch or address that depends on a key or on data;
// - 32-bit round tables (block/aes_core.h), for processors without them. The
//   state is four big-endian words; each round is sixteen table lookups. The
//   tables are indexed by secret data (key and state bytes) by design: this
//   path makes no constant-time claim.
// Both keep the same schedule words in the context, so a context keyed on
// one path runs on the other, and both give the same bytes.
#include "block/aes.h"

#include <cstring>

#include "block/aes_core.h"
#include "block/aes_hw.h"
#include "block/aes_key_schedule.h"
#include "block/cipher_modes.h"
#include "core/cpu.h"
#include "core/wipe.h"
#include "tessalib.h"

namespace {

inline bool use_hw() noexcept { return cpu_aes_path() != AesPath::tables; }

inline uint32_t sub_word(uint32_t w) noexcept {
    const uint8_t* sb = kAesTables.sbox;
    return aes_word(sb[w >> 24], sb[(w >> 16) & 0xFF], sb[(w >> 8) & 0xFF], sb[w & 0xFF]);
}

struct TableSubWord {
    uint32_t operator()(uint32_t w) const noexcept { return sub_word(w); }
};

}  // namespace

uint32_t aes_expand_key(uint32_t* rk, const uint8_t* key, int key_len) noexcept {
    return use_hw() ? aes_hw_expand_key(rk, key, key_len) : aes_expand_words(rk, key, key_len, TableSubWord{});
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
    if (use_hw()) {
        aes_hw_inv_mix_keys(rk, rounds);
        return;
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

// The same with the round count of a keyed context, on the path in use.
template <typename Dir>
AES_INLINE void aes_block(const AesContext* ctx, uint8_t* out, const uint8_t* in) noexcept {
    if (use_hw()) {
        if (Dir::kRising)
            aes_hw_encrypt_block(ctx->schedule, ctx->rounds, out, in);
        else
            aes_hw_decrypt_block(ctx->schedule, ctx->rounds, out, in);
    } else if (ctx->rounds == 10)
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

// The same on the processor's AES instructions: every mode's runs of whole
// blocks go to block/aes_hw.h, and so do the single blocks the modes still
// make (a trailing partial block), so that no table is looked up.
template <int R>
struct AesHwCipher : BlockCipher<4> {
    const uint32_t* rk;
    bool wide;  // the 256-bit forms of the parallel modes
    bool keyed() const noexcept { return R != 0; }
    void forward(Block& b) const noexcept {
        if constexpr (R != 0) aes_hw_forward_words(rk, R, b);
    }
    void inverse(Block& b) const noexcept {
        if constexpr (R != 0) aes_hw_inverse_words(rk, R, b);
    }
    std::size_t ecb_blocks(uint8_t* out, const uint8_t* in, std::size_t blocks, bool encrypt) const noexcept {
        return wide ? aes_vaes_blocks(encrypt ? VaesMode::ecb_encrypt : VaesMode::ecb_decrypt, rk, R, out, in,
                                      blocks, nullptr)
                    : aes_hw_ecb(rk, R, out, in, blocks, encrypt);
    }
    std::size_t cbc_encrypt_blocks(uint8_t* out, const uint8_t* in, std::size_t blocks, Block& r) const noexcept {
        return aes_hw_cbc_encrypt(rk, R, out, in, blocks, r);
    }
    std::size_t cbc_decrypt_blocks(uint8_t* out, const uint8_t* in, std::size_t blocks, Block& r) const noexcept {
        return wide ? aes_vaes_blocks(VaesMode::cbc_decrypt, rk, R, out, in, blocks, r)
                    : aes_hw_cbc_decrypt(rk, R, out, in, blocks, r);
    }
    std::size_t cfb_blocks(uint8_t* out, const uint8_t* in, std::size_t blocks, Block& r, bool encrypt) const noexcept {
        return aes_hw_cfb(rk, R, out, in, blocks, r, encrypt);
    }
    std::size_t ofb_blocks(uint8_t* out, const uint8_t* in, std::size_t blocks, Block& r) const noexcept {
        return aes_hw_ofb(rk, R, out, in, blocks, r);
    }
    std::size_t ctr_blocks(uint8_t* out, const uint8_t* in, std::size_t blocks, Block& r) const noexcept {
        return wide ? aes_vaes_blocks(VaesMode::ctr, rk, R, out, in, blocks, r) : aes_hw_ctr(rk, R, out, in, blocks, r);
    }
};

// AesUpdate with R rounds, on the path in use.
template <int R>
int32_t aes_update(AesContext* ctx, uint8_t* out, const uint8_t* in, std::size_t len) noexcept {
    const AesPath path = cpu_aes_path();
    if (path != AesPath::tables)
        return mode_update(AesHwCipher<R>{{}, ctx->schedule, path == AesPath::vaes}, ctx->mode, ctx->direction != 0,
                           ctx->reg, out, in, len);
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

void aes_cbc_mac(const AesContext* ctx, uint8_t x[16], const uint8_t* in, std::size_t blocks) noexcept {
    if (use_hw()) {
        aes_hw_cbc_mac(ctx->schedule, ctx->rounds, x, in, blocks);
        return;
    }
    for (; blocks; --blocks, in += 16) {
        for (int i = 0; i < 16; ++i) x[i] ^= in[i];
        aes_block<AesForward>(ctx, x, x);
    }
}
