// Ascon-128 and Ascon-128a: initialisation, associated data, text and
// finalisation on the five-word permutation state, kept in local words from
// block to block (written once over the rate and the round count between
// blocks). Whole blocks are absorbed as words; the last, partial block of the
// AAD and of the text goes through a padded byte buffer.
#include "aead/ascon_aead.h"

#include <cstring>

#include "core/cpu.h"
#include "core/ct.h"
#include "core/endian.h"
#include "core/wipe.h"
#include "hash/ascon.h"
#include "tessalib.h"

namespace {

struct Words {
    uint64_t x0, x1, x2, x3, x4;
};

template <int R>
ASCON_INLINE void permute(Words& s) noexcept {
    ascon_rounds<R>(s.x0, s.x1, s.x2, s.x3, s.x4);
}

// The rate part of the state as bytes and back (Rate 8 or 16).
template <std::size_t Rate>
ASCON_INLINE void rate_store(const Words& s, uint8_t* buf) noexcept {
    store_be64(buf, s.x0);
    if (Rate == 16) store_be64(buf + 8, s.x1);
}
template <std::size_t Rate>
ASCON_INLINE void rate_load(Words& s, const uint8_t* buf) noexcept {
    s.x0 = load_be64(buf);
    if (Rate == 16) s.x1 = load_be64(buf + 8);
}
template <std::size_t Rate>
ASCON_INLINE void rate_xor(Words& s, const uint8_t* p) noexcept {
    s.x0 ^= load_be64(p);
    if (Rate == 16) s.x1 ^= load_be64(p + 8);
}

// Initialisation: IV || K || N through 12 rounds and the key added again;
// then the associated data (when there is any) and the domain separation.
template <std::size_t Rate, int B>
ASCON_INLINE void start(Words& s, uint64_t iv, const uint8_t* key, const uint8_t* nonce, const uint8_t* aad,
                        std::size_t aad_len) noexcept {
    const uint64_t k0 = load_be64(key), k1 = load_be64(key + 8);
    s = {iv, k0, k1, load_be64(nonce), load_be64(nonce + 8)};
    permute<12>(s);
    s.x3 ^= k0;
    s.x4 ^= k1;
    if (aad_len != 0) {
        for (; aad_len >= Rate; aad_len -= Rate, aad += Rate) {
            rate_xor<Rate>(s, aad);
            permute<B>(s);
        }
        uint8_t last[16] = {0};
        std::memcpy(last, aad, aad_len);
        last[aad_len] = 0x80;
        rate_xor<Rate>(s, last);
        permute<B>(s);
        secure_wipe_obj(last);
    }
    s.x4 ^= 1;
}

// Finalisation: the key after the rate, 12 rounds, the tag from the last two
// words and the key.
template <std::size_t Rate>
ASCON_INLINE void finish(Words& s, const uint8_t* key, uint8_t tag[16]) noexcept {
    const uint64_t k0 = load_be64(key), k1 = load_be64(key + 8);
    if (Rate == 8) {
        s.x1 ^= k0;
        s.x2 ^= k1;
    } else {
        s.x2 ^= k0;
        s.x3 ^= k1;
    }
    permute<12>(s);
    store_be64(tag, s.x3 ^ k0);
    store_be64(tag + 8, s.x4 ^ k1);
}

template <std::size_t Rate, int B>
ASCON_INLINE void encrypt(uint64_t iv, const uint8_t* key, const uint8_t* nonce, const uint8_t* aad, std::size_t aad_len,
             const uint8_t* in, std::size_t len, uint8_t* out, uint8_t tag[16]) noexcept {
    Words s;
    start<Rate, B>(s, iv, key, nonce, aad, aad_len);
    for (; len >= Rate; len -= Rate, in += Rate, out += Rate) {
        rate_xor<Rate>(s, in);
        rate_store<Rate>(s, out);
        permute<B>(s);
    }
    // The last block, padded (a whole block of padding when the text fills
    // whole blocks), with only its text bytes written.
    uint8_t last[16] = {0};
    if (len != 0) std::memcpy(last, in, len);
    last[len] = 0x80;
    rate_xor<Rate>(s, last);
    rate_store<Rate>(s, last);
    if (len != 0) std::memcpy(out, last, len);
    finish<Rate>(s, key, tag);
    secure_wipe_obj(s);
    secure_wipe_obj(last);
}

template <std::size_t Rate, int B>
ASCON_INLINE int32_t decrypt(uint64_t iv, const uint8_t* key, const uint8_t* nonce, const uint8_t* aad, std::size_t aad_len,
                const uint8_t* in, std::size_t len, const uint8_t tag[16], uint8_t* out) noexcept {
    uint8_t* const out_start = out;
    const std::size_t total = len;
    Words s;
    start<Rate, B>(s, iv, key, nonce, aad, aad_len);
    for (; len >= Rate; len -= Rate, in += Rate, out += Rate) {
        const uint64_t c0 = load_be64(in);
        const uint64_t c1 = Rate == 16 ? load_be64(in + 8) : 0;
        store_be64(out, s.x0 ^ c0);
        s.x0 = c0;
        if (Rate == 16) {
            store_be64(out + 8, s.x1 ^ c1);
            s.x1 = c1;
        }
        permute<B>(s);
    }
    // The last block: its ciphertext bytes replace the state's, the padding
    // is added after them.
    uint8_t state[16];
    rate_store<Rate>(s, state);
    for (std::size_t i = 0; i < len; ++i) {
        const uint8_t c = in[i];
        out[i] = static_cast<uint8_t>(state[i] ^ c);
        state[i] = c;
    }
    state[len] ^= 0x80;
    rate_load<Rate>(s, state);
    uint8_t computed[16];
    finish<Rate>(s, key, computed);
    const int match = ct_public(ct_memeq(computed, tag, kAsconAeadTagLen));
    if (!match && total != 0) secure_wipe(out_start, total);
    secure_wipe_obj(s);
    secure_wipe_obj(state);
    secure_wipe_obj(computed);
    return match ? 0 : -AUTH_FAIL_ERROR;
}

// The initial values: key bits, rate bits, a = 12 and b.
constexpr uint64_t kAscon128Iv = 0x80400c0600000000ull;   // rate 8, b = 6
constexpr uint64_t kAscon128aIv = 0x80800c0800000000ull;  // rate 16, b = 8

// Each variant twice: for any x86-64 processor, and for those with BMI1 and
// BMI2, where and-not is one instruction and rotations (rorx) leave their
// source alone, which saves a copy for each of the round's ten rotations.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define ASCON_HAVE_BMI 1
#define ASCON_BMI __attribute__((target("bmi,bmi2")))
#else
#define ASCON_BMI
#endif

template <std::size_t Rate, int B>
void encrypt_plain(uint64_t iv, const uint8_t* key, const uint8_t* nonce, const uint8_t* aad, std::size_t aad_len,
                   const uint8_t* in, std::size_t len, uint8_t* out, uint8_t tag[16]) noexcept {
    encrypt<Rate, B>(iv, key, nonce, aad, aad_len, in, len, out, tag);
}
template <std::size_t Rate, int B>
ASCON_BMI void encrypt_bmi(uint64_t iv, const uint8_t* key, const uint8_t* nonce, const uint8_t* aad,
                           std::size_t aad_len, const uint8_t* in, std::size_t len, uint8_t* out,
                           uint8_t tag[16]) noexcept {
    encrypt<Rate, B>(iv, key, nonce, aad, aad_len, in, len, out, tag);
}
template <std::size_t Rate, int B>
int32_t decrypt_plain(uint64_t iv, const uint8_t* key, const uint8_t* nonce, const uint8_t* aad, std::size_t aad_len,
                      const uint8_t* in, std::size_t len, const uint8_t tag[16], uint8_t* out) noexcept {
    return decrypt<Rate, B>(iv, key, nonce, aad, aad_len, in, len, tag, out);
}
template <std::size_t Rate, int B>
ASCON_BMI int32_t decrypt_bmi(uint64_t iv, const uint8_t* key, const uint8_t* nonce, const uint8_t* aad,
                              std::size_t aad_len, const uint8_t* in, std::size_t len, const uint8_t tag[16],
                              uint8_t* out) noexcept {
    return decrypt<Rate, B>(iv, key, nonce, aad, aad_len, in, len, tag, out);
}

bool use_bmi() noexcept {
#ifdef ASCON_HAVE_BMI
    static const bool bmi = cpu_features().bmi1 && cpu_features().bmi2;
    return bmi;
#else
    return false;
#endif
}

}  // namespace

void ascon_aead_encrypt(AsconAeadKind kind, const uint8_t key[16], const uint8_t nonce[16], const uint8_t* aad,
                        std::size_t aad_len, const uint8_t* in, std::size_t len, uint8_t* out,
                        uint8_t tag[16]) noexcept {
    const bool bmi = use_bmi();
    if (kind == AsconAeadKind::ascon128)
        (bmi ? encrypt_bmi<8, 6> : encrypt_plain<8, 6>)(kAscon128Iv, key, nonce, aad, aad_len, in, len, out, tag);
    else
        (bmi ? encrypt_bmi<16, 8> : encrypt_plain<16, 8>)(kAscon128aIv, key, nonce, aad, aad_len, in, len, out, tag);
}

int32_t ascon_aead_decrypt(AsconAeadKind kind, const uint8_t key[16], const uint8_t nonce[16], const uint8_t* aad,
                           std::size_t aad_len, const uint8_t* in, std::size_t len, const uint8_t tag[16],
                           uint8_t* out) noexcept {
    const bool bmi = use_bmi();
    if (kind == AsconAeadKind::ascon128)
        return (bmi ? decrypt_bmi<8, 6> : decrypt_plain<8, 6>)(kAscon128Iv, key, nonce, aad, aad_len, in, len, tag, out);
    return (bmi ? decrypt_bmi<16, 8> : decrypt_plain<16, 8>)(kAscon128aIv, key, nonce, aad, aad_len, in, len, tag, out);
}
