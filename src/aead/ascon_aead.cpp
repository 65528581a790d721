// Ascon-128 and Ascon-128a: initialisation, associated data, text and
// finalisation on the five-word permutation state. Whole blocks are
// absorbed as words; the last, partial block of the AAD and of the text
// goes through a padded byte buffer.
#include "aead/ascon_aead.h"

#include <cstring>

#include "core/ct.h"
#include "core/endian.h"
#include "core/wipe.h"
#include "hash/ascon.h"
#include "tessalib.h"

namespace {

struct AsconParams {
    uint64_t iv;      // key bits, rate bits, a and b
    std::size_t rate;  // bytes absorbed per block: 8 or 16
    unsigned rounds;   // b, the rounds between blocks
};

AsconParams params_of(AsconAeadKind kind) noexcept {
    return kind == AsconAeadKind::ascon128 ? AsconParams{0x80400c0600000000ull, 8, 6}
                                           : AsconParams{0x80800c0800000000ull, 16, 8};
}

// The rate part of the state as bytes and back.
void rate_store(const AsconPermState& s, uint8_t* buf, std::size_t rate) noexcept {
    store_be64(buf, s.x[0]);
    if (rate == 16) store_be64(buf + 8, s.x[1]);
}
void rate_load(AsconPermState& s, const uint8_t* buf, std::size_t rate) noexcept {
    s.x[0] = load_be64(buf);
    if (rate == 16) s.x[1] = load_be64(buf + 8);
}

// Initialisation: IV || K || N through 12 rounds, then the key added again;
// then the associated data (when there is any) and the domain separation.
void start(AsconPermState& s, const AsconParams& p, const uint8_t* key, const uint8_t* nonce, const uint8_t* aad,
           std::size_t aad_len) noexcept {
    const uint64_t k0 = load_be64(key), k1 = load_be64(key + 8);
    s.x[0] = p.iv;
    s.x[1] = k0;
    s.x[2] = k1;
    s.x[3] = load_be64(nonce);
    s.x[4] = load_be64(nonce + 8);
    ascon_permute(&s, 12);
    s.x[3] ^= k0;
    s.x[4] ^= k1;
    if (aad_len != 0) {
        for (; aad_len >= p.rate; aad_len -= p.rate, aad += p.rate) {
            s.x[0] ^= load_be64(aad);
            if (p.rate == 16) s.x[1] ^= load_be64(aad + 8);
            ascon_permute(&s, p.rounds);
        }
        uint8_t last[16] = {0};
        std::memcpy(last, aad, aad_len);
        last[aad_len] = 0x80;
        s.x[0] ^= load_be64(last);
        if (p.rate == 16) s.x[1] ^= load_be64(last + 8);
        ascon_permute(&s, p.rounds);
        secure_wipe_obj(last);
    }
    s.x[4] ^= 1;
}

// Finalisation: the key after the rate, 12 rounds, the tag from the last two
// words and the key.
void finish(AsconPermState& s, const AsconParams& p, const uint8_t* key, uint8_t tag[16]) noexcept {
    const uint64_t k0 = load_be64(key), k1 = load_be64(key + 8);
    const int at = p.rate == 8 ? 1 : 2;
    s.x[at] ^= k0;
    s.x[at + 1] ^= k1;
    ascon_permute(&s, 12);
    store_be64(tag, s.x[3] ^ k0);
    store_be64(tag + 8, s.x[4] ^ k1);
}

}  // namespace

void ascon_aead_encrypt(AsconAeadKind kind, const uint8_t key[16], const uint8_t nonce[16], const uint8_t* aad,
                        std::size_t aad_len, const uint8_t* in, std::size_t len, uint8_t* out,
                        uint8_t tag[16]) noexcept {
    const AsconParams p = params_of(kind);
    AsconPermState s;
    start(s, p, key, nonce, aad, aad_len);
    for (; len >= p.rate; len -= p.rate, in += p.rate, out += p.rate) {
        s.x[0] ^= load_be64(in);
        store_be64(out, s.x[0]);
        if (p.rate == 16) {
            s.x[1] ^= load_be64(in + 8);
            store_be64(out + 8, s.x[1]);
        }
        ascon_permute(&s, p.rounds);
    }
    // The last block, padded (a whole block of padding when the text fills
    // whole blocks), with only its text bytes written.
    uint8_t last[16] = {0};
    if (len != 0) std::memcpy(last, in, len);
    last[len] = 0x80;
    uint8_t state[16];
    rate_store(s, state, p.rate);
    for (std::size_t i = 0; i < p.rate; ++i) state[i] ^= last[i];
    rate_load(s, state, p.rate);
    if (len != 0) std::memcpy(out, state, len);
    finish(s, p, key, tag);
    secure_wipe_obj(s);
    secure_wipe_obj(last);
    secure_wipe_obj(state);
}

int32_t ascon_aead_decrypt(AsconAeadKind kind, const uint8_t key[16], const uint8_t nonce[16], const uint8_t* aad,
                           std::size_t aad_len, const uint8_t* in, std::size_t len, const uint8_t tag[16],
                           uint8_t* out) noexcept {
    const AsconParams p = params_of(kind);
    uint8_t* const out_start = out;
    const std::size_t total = len;
    AsconPermState s;
    start(s, p, key, nonce, aad, aad_len);
    for (; len >= p.rate; len -= p.rate, in += p.rate, out += p.rate) {
        const uint64_t c0 = load_be64(in);
        const uint64_t c1 = p.rate == 16 ? load_be64(in + 8) : 0;
        store_be64(out, s.x[0] ^ c0);
        s.x[0] = c0;
        if (p.rate == 16) {
            store_be64(out + 8, s.x[1] ^ c1);
            s.x[1] = c1;
        }
        ascon_permute(&s, p.rounds);
    }
    // The last block: its ciphertext bytes replace the state's, the padding
    // is added after them.
    uint8_t state[16];
    rate_store(s, state, p.rate);
    for (std::size_t i = 0; i < len; ++i) {
        const uint8_t c = in[i];
        out[i] = static_cast<uint8_t>(state[i] ^ c);
        state[i] = c;
    }
    state[len] ^= 0x80;
    rate_load(s, state, p.rate);
    uint8_t computed[16];
    finish(s, p, key, computed);
    const int match = ct_public(ct_memeq(computed, tag, kAsconAeadTagLen));
    if (!match && total != 0) secure_wipe(out_start, total);
    secure_wipe_obj(s);
    secure_wipe_obj(state);
    secure_wipe_obj(computed);
    return match ? 0 : -AUTH_FAIL_ERROR;
}
