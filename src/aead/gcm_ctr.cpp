// GCM's counter mode: on the table-driven AES rounds, with the fixed words'
// share of round 1 computed once per message (like the block engine's table
// path, it indexes tables by key and data bytes: no constant-time claim), or
// on the processor's AES instructions (aead/gcm_ctr_hw.cpp).
#include "aead/gcm_ctr.h"

#include <cstring>

#include "aead/gcm_ctr_hw.h"
#include "block/aes.h"
#include "block/aes_hw.h"
#include "block/aes_core.h"
#include "core/endian.h"
#include "core/wipe.h"

namespace {

const uint32_t (&kTe)[4][256] = kAesTables.te;

// nblocks of keystream with R rounds, xored into out.
template <int R>
void ctr_blocks(const uint32_t* rk, GcmCounter* c, uint8_t* out, const uint8_t* in, std::size_t nblocks) noexcept {
    const uint32_t p0 = c->round1[0], p1 = c->round1[1], p2 = c->round1[2], p3 = c->round1[3];
    const uint32_t k3 = rk[3];
    uint32_t counter = c->counter;
    for (; nblocks != 0; --nblocks, in += 16, out += 16, ++counter) {
        const uint32_t t = counter ^ k3;
        uint32_t s[4] = {p0 ^ kTe[3][t & 0xFF], p1 ^ kTe[2][(t >> 8) & 0xFF], p2 ^ kTe[1][(t >> 16) & 0xFF],
                         p3 ^ kTe[0][t >> 24]};
        aes_rounds_from<AesForward, R, 2>(rk, s);
        for (int i = 0; i < 4; ++i) store_be32(out + 4 * i, load_be32(in + 4 * i) ^ s[i]);
    }
    c->counter = counter;
}

}  // namespace

namespace {
bool hw(const GcmAesKey* k) noexcept { return k->path != static_cast<uint32_t>(AesPath::tables); }
}  // namespace

void gcm_aes_setup(GcmAesKey* k, const uint8_t* key, std::size_t key_len, AesPath path) noexcept {
    k->rounds = aes_expand_key(k->rk, key, static_cast<int>(key_len));
    k->path = static_cast<uint32_t>(path);
}

void gcm_aes_block(const GcmAesKey* k, uint8_t out[16], const uint8_t in[16]) noexcept {
    if (hw(k)) {
        aes_hw_encrypt_block(k->rk, k->rounds, out, in);
        return;
    }
    uint32_t s[4];
    for (int i = 0; i < 4; ++i) s[i] = load_be32(in + 4 * i);
    if (k->rounds == 10)
        aes_rounds<AesForward, 10>(k->rk, s);
    else if (k->rounds == 12)
        aes_rounds<AesForward, 12>(k->rk, s);
    else
        aes_rounds<AesForward, 14>(k->rk, s);
    for (int i = 0; i < 4; ++i) store_be32(out + 4 * i, s[i]);
    secure_wipe_obj(s);
}

void gcm_ctr_start(const GcmAesKey* k, GcmCounter* c, const uint8_t block[16]) noexcept {
    if (hw(k)) {
        std::memset(c->round1, 0, sizeof c->round1);
        std::memcpy(c->fixed, block, 16);
        c->counter = load_be32(block + 12);
        c->reserved = 0;
        return;
    }
    const uint32_t* rk = k->rk;
    const uint32_t t0 = load_be32(block) ^ rk[0];
    const uint32_t t1 = load_be32(block + 4) ^ rk[1];
    const uint32_t t2 = load_be32(block + 8) ^ rk[2];
    // Round 1 takes byte 0 of its first input word, byte 1 of the second,
    // byte 2 of the third and byte 3 of the fourth (aes_round); the counter
    // word t3 is the fourth input of output word 0, the third of word 1, the
    // second of word 2 and the first of word 3.
    c->round1[0] = kTe[0][t0 >> 24] ^ kTe[1][(t1 >> 16) & 0xFF] ^ kTe[2][(t2 >> 8) & 0xFF] ^ rk[4];
    c->round1[1] = kTe[0][t1 >> 24] ^ kTe[1][(t2 >> 16) & 0xFF] ^ kTe[3][t0 & 0xFF] ^ rk[5];
    c->round1[2] = kTe[0][t2 >> 24] ^ kTe[2][(t0 >> 8) & 0xFF] ^ kTe[3][t1 & 0xFF] ^ rk[6];
    c->round1[3] = kTe[1][(t0 >> 16) & 0xFF] ^ kTe[2][(t1 >> 8) & 0xFF] ^ kTe[3][t2 & 0xFF] ^ rk[7];
    c->counter = load_be32(block + 12);
    c->reserved = 0;
}

void gcm_ctr_xor(const GcmAesKey* k, GcmCounter* c, uint8_t* out, const uint8_t* in, std::size_t nblocks) noexcept {
    if (hw(k)) {
        c->counter = gcm_hw_ctr32(k->rk, k->rounds, c->fixed, c->counter, out, in, nblocks,
                                  k->path == static_cast<uint32_t>(AesPath::vaes));
        return;
    }
    if (k->rounds == 10)
        ctr_blocks<10>(k->rk, c, out, in, nblocks);
    else if (k->rounds == 12)
        ctr_blocks<12>(k->rk, c, out, in, nblocks);
    else
        ctr_blocks<14>(k->rk, c, out, in, nblocks);
}
