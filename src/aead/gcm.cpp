// AES-GCM on the counter mode of aead/gcm_ctr.h and the GHASH of
// aead/ghash.h, both on the path chosen when the key is set up.
#include "aead/gcm.h"

#include <cstring>

#include "core/ct.h"
#include "core/endian.h"
#include "core/wipe.h"
#include "tessalib.h"

namespace {

// Blocks of text taken at a time: the counter mode runs over a chunk, then
// GHASH over the same chunk while it is still in the first-level cache.
constexpr std::size_t kChunkBlocks = 32;

// The pre-counter block J0: IV || 0^31 || 1 for a 12-byte IV, else the GHASH
// of the IV zero-filled to whole blocks and a block of its length in bits.
void pre_counter(const GcmKey* key, uint8_t j0[16], const uint8_t* iv, std::size_t iv_len) noexcept {
    if (iv_len == 12) {
        std::memcpy(j0, iv, 12);
        store_be32(j0 + 12, 1);
        return;
    }
    GhashStream st{};
    ghash_stream_update(&key->ghash, &st, iv, iv_len);
    ghash_stream_pad(&key->ghash, &st);
    ghash_stream_lengths(&key->ghash, &st, 0, iv_len, j0);
    secure_wipe_obj(st);
}

// Sets up the counter from inc32(J0) and the tag mask E(K, J0).
void start_counter(const GcmKey* key, GcmCounter* ctr, uint8_t mask[16], const uint8_t* iv,
                   std::size_t iv_len) noexcept {
    uint8_t j0[16];
    pre_counter(key, j0, iv, iv_len);
    gcm_aes_block(&key->aes, mask, j0);
    gcm_ctr_start(&key->aes, ctr, j0);
    ++ctr->counter;
    secure_wipe_obj(j0);
}

// out = in ^ keystream over len bytes, the last partial block included
// (whose keystream block is left in `last`).
void ctr_bytes(const GcmKey* key, GcmCounter* ctr, uint8_t* out, const uint8_t* in, std::size_t len,
               uint8_t last[16]) noexcept {
    gcm_ctr_xor(&key->aes, ctr, out, in, len / 16);
    const std::size_t rest = len % 16;
    if (rest == 0) return;
    const std::size_t done = len - rest;
    std::memset(last, 0, 16);
    gcm_ctr_xor(&key->aes, ctr, last, last, 1);
    for (std::size_t i = 0; i < rest; ++i) out[done + i] = static_cast<uint8_t>(in[done + i] ^ last[i]);
}

// GHASH of the AAD, zero-filled to whole blocks.
void hash_aad(const GcmKey* key, GhashStream* mac, const uint8_t* aad, std::size_t aad_len) noexcept {
    ghash_stream_update(&key->ghash, mac, aad, aad_len);
    ghash_stream_pad(&key->ghash, mac);
}

// The tag: GHASH of the lengths block added to the mask.
void finish_tag(const GcmKey* key, GhashStream* mac, const uint8_t mask[16], uint64_t aad_len, uint64_t text_len,
                uint8_t tag[16]) noexcept {
    ghash_stream_pad(&key->ghash, mac);
    ghash_stream_lengths(&key->ghash, mac, aad_len, text_len, tag);
    for (int i = 0; i < 16; ++i) tag[i] ^= mask[i];
}

}  // namespace

void gcm_key_setup(GcmKey* key, const uint8_t* raw, std::size_t raw_len) noexcept {
    const AesPath path = cpu_aes_path();
    gcm_aes_setup(&key->aes, raw, raw_len, path);
    key->key_bits = static_cast<uint32_t>(raw_len * 8);
    uint8_t h[16] = {0};
    gcm_aes_block(&key->aes, h, h);
    ghash_key_init(&key->ghash, h, path);
    secure_wipe_obj(h);
}

void gcm_encrypt(const GcmKey* key, const uint8_t* iv, std::size_t iv_len, const uint8_t* aad, std::size_t aad_len,
                 const uint8_t* in, std::size_t len, uint8_t* out, uint8_t tag[16]) noexcept {
    struct {
        GcmCounter ctr;
        GhashStream mac;
        uint8_t mask[16];
        uint8_t last[16];
    } w{};
    start_counter(key, &w.ctr, w.mask, iv, iv_len);
    hash_aad(key, &w.mac, aad, aad_len);
    for (std::size_t left = len; left != 0;) {
        const std::size_t n = left < 16 * kChunkBlocks ? left : 16 * kChunkBlocks;
        ctr_bytes(key, &w.ctr, out, in, n, w.last);
        ghash_stream_update(&key->ghash, &w.mac, out, n);
        in += n, out += n, left -= n;
    }
    finish_tag(key, &w.mac, w.mask, aad_len, len, tag);
    secure_wipe_obj(w);
}

int32_t gcm_decrypt(const GcmKey* key, const uint8_t* iv, std::size_t iv_len, const uint8_t* aad, std::size_t aad_len,
                    const uint8_t* in, std::size_t len, const uint8_t* tag, std::size_t tag_len, uint8_t* out) noexcept {
    struct {
        GcmCounter ctr;
        GhashStream mac;
        uint8_t mask[16];
        uint8_t last[16];
        uint8_t tag[16];
    } w{};
    start_counter(key, &w.ctr, w.mask, iv, iv_len);
    hash_aad(key, &w.mac, aad, aad_len);
    ghash_stream_update(&key->ghash, &w.mac, in, len);
    finish_tag(key, &w.mac, w.mask, aad_len, len, w.tag);
    const int match = ct_public(ct_memeq(w.tag, tag, tag_len < 16 ? tag_len : 16));
    if (match && out != nullptr) ctr_bytes(key, &w.ctr, out, in, len, w.last);
    secure_wipe_obj(w);
    return match ? 0 : -AUTH_FAIL_ERROR;
}

void gcm_stream_start(const GcmKey* key, GcmStream* st, const uint8_t* iv, std::size_t iv_len) noexcept {
    secure_wipe_obj(*st);
    start_counter(key, &st->ctr, st->mask, iv, iv_len);
}

void gcm_stream_aad(const GcmKey* key, GcmStream* st, const uint8_t* aad, std::size_t len) noexcept {
    ghash_stream_update(&key->ghash, &st->mac, aad, len);
    st->aad_len += len;
}

void gcm_stream_aad_end(const GcmKey* key, GcmStream* st) noexcept { ghash_stream_pad(&key->ghash, &st->mac); }

namespace {

// The next len bytes of keystream xored from in to out (out null: the
// keystream is passed over), carrying the unused end of a keystream block
// from call to call.
void stream_xor(const GcmKey* key, GcmStream* st, uint8_t* out, const uint8_t* in, std::size_t len) noexcept {
    while (st->ks_left != 0 && len != 0) {
        const uint8_t k = st->keystream[16 - st->ks_left--];
        if (out != nullptr) *out++ = static_cast<uint8_t>(*in ^ k);
        ++in, --len;
    }
    const std::size_t whole = len / 16;
    if (out != nullptr) {
        gcm_ctr_xor(&key->aes, &st->ctr, out, in, whole);
        out += 16 * whole;
    } else {
        st->ctr.counter += static_cast<uint32_t>(whole);
    }
    in += 16 * whole;
    len %= 16;
    if (len != 0) {
        std::memset(st->keystream, 0, 16);
        gcm_ctr_xor(&key->aes, &st->ctr, st->keystream, st->keystream, 1);
        st->ks_left = 16;
        while (len-- != 0) {
            const uint8_t k = st->keystream[16 - st->ks_left--];
            if (out != nullptr) *out++ = static_cast<uint8_t>(*in ^ k);
            ++in;
        }
    }
}

}  // namespace

void gcm_stream_encrypt(const GcmKey* key, GcmStream* st, uint8_t* out, const uint8_t* in, std::size_t len) noexcept {
    stream_xor(key, st, out, in, len);
    ghash_stream_update(&key->ghash, &st->mac, out, len);
    st->text_len += len;
}

void gcm_stream_decrypt(const GcmKey* key, GcmStream* st, uint8_t* out, const uint8_t* in, std::size_t len) noexcept {
    ghash_stream_update(&key->ghash, &st->mac, in, len);
    stream_xor(key, st, out, in, len);
    st->text_len += len;
}

void gcm_stream_finish(const GcmKey* key, GcmStream* st, uint8_t tag[16]) noexcept {
    finish_tag(key, &st->mac, st->mask, st->aad_len, st->text_len, tag);
    secure_wipe_obj(*st);
}
