// Ascon-128 and Ascon-128a: initialisation, associated data, text and
// finalisation, written once over the rate and the round count between
// blocks, and compiled twice: for any processor, and for those with BMI1 and
// BMI2. The state's five words stay in registers from block to block. Whole
// blocks are absorbed as words; the last, partial block of the AAD and of
// the text goes through a padded byte buffer.
#include "aead/ascon_aead.h"

#include <cstring>

#include "core/cpu.h"
#include "core/ct.h"
#include "core/endian.h"
#include "core/wipe.h"
#include "hash/ascon.h"
#include "tessalib.h"

namespace {

// The state's five words (kept in registers by the compiler).
struct Words {
    uint64_t x[5];
    ASCON_INLINE uint64_t get(int i) const noexcept { return x[i]; }
    ASCON_INLINE void set(int i, uint64_t v) noexcept { x[i] = v; }
    ASCON_INLINE void add(int i, uint64_t v) noexcept { x[i] ^= v; }
    template <int R>
    ASCON_INLINE void permute() noexcept {
        ascon_rounds<R>(x[0], x[1], x[2], x[3], x[4]);
    }
};

// The rate part of the state as bytes and back (Rate 8 or 16).
template <std::size_t Rate>
ASCON_INLINE void rate_store(const Words& s, uint8_t* buf) noexcept {
    store_be64(buf, s.get(0));
    if (Rate == 16) store_be64(buf + 8, s.get(1));
}
template <std::size_t Rate>
ASCON_INLINE void rate_load(Words& s, const uint8_t* buf) noexcept {
    s.set(0, load_be64(buf));
    if (Rate == 16) s.set(1, load_be64(buf + 8));
}
template <std::size_t Rate>
ASCON_INLINE void rate_xor(Words& s, const uint8_t* p) noexcept {
    s.add(0, load_be64(p));
    if (Rate == 16) s.add(1, load_be64(p + 8));
}

// Initialisation: IV || K || N through 12 rounds and the key added again;
// then the associated data (when there is any) and the domain separation.
template <std::size_t Rate, int B>
ASCON_INLINE void start(Words& s, uint64_t iv, const uint8_t* key, const uint8_t* nonce, const uint8_t* aad,
                        std::size_t aad_len) noexcept {
    const uint64_t k0 = load_be64(key), k1 = load_be64(key + 8);
    s.set(0, iv);
    s.set(1, k0);
    s.set(2, k1);
    s.set(3, load_be64(nonce));
    s.set(4, load_be64(nonce + 8));
    s.permute<12>();
    s.add(3, k0);
    s.add(4, k1);
    if (aad_len != 0) {
        for (; aad_len >= Rate; aad_len -= Rate, aad += Rate) {
            rate_xor<Rate>(s, aad);
            s.permute<B>();
        }
        uint8_t last[16] = {0};
        std::memcpy(last, aad, aad_len);
        last[aad_len] = 0x80;
        rate_xor<Rate>(s, last);
        s.permute<B>();
        secure_wipe_obj(last);
    }
    s.add(4, 1);
}

// Finalisation: the key after the rate, 12 rounds, the tag from the last two
// words and the key.
template <std::size_t Rate>
ASCON_INLINE void finish(Words& s, const uint8_t* key, uint8_t tag[16]) noexcept {
    const uint64_t k0 = load_be64(key), k1 = load_be64(key + 8);
    const int at = Rate == 8 ? 1 : 2;
    s.add(at, k0);
    s.add(at + 1, k1);
    s.permute<12>();
    store_be64(tag, s.get(3) ^ k0);
    store_be64(tag + 8, s.get(4) ^ k1);
}

// The whole blocks of the text, encrypted or decrypted. The loop works on a
// copy of the state and counts blocks, so that nothing but the five words,
// the two pointers and the count is live in it (about 5% faster for
// Ascon-128 than a loop over the caller's state and length), unrolled twice
// (about 3% for Ascon-128a).
template <std::size_t Rate, int B, bool Decrypt>
ASCON_INLINE void text_blocks(Words& state, const uint8_t*& in, uint8_t*& out, std::size_t nblocks) noexcept {
    Words s = state;
    const uint8_t* p = in;
    uint8_t* q = out;
#if defined(__GNUC__)
#pragma GCC unroll 2
#endif
    for (; nblocks != 0; --nblocks, p += Rate, q += Rate) {
        if constexpr (Decrypt) {
            // The ciphertext replaces the rate; the plaintext is the difference.
            for (int w = 0; w < static_cast<int>(Rate / 8); ++w) {
                const uint64_t c = load_be64(p + 8 * w);
                store_be64(q + 8 * w, s.get(w) ^ c);
                s.set(w, c);
            }
        } else {
            rate_xor<Rate>(s, p);
            rate_store<Rate>(s, q);
        }
        s.permute<B>();
    }
    state = s;
    in = p;
    out = q;
}

template <std::size_t Rate, int B>
ASCON_INLINE void encrypt(uint64_t iv, const uint8_t* key, const uint8_t* nonce, const uint8_t* aad,
                          std::size_t aad_len, const uint8_t* in, std::size_t len, uint8_t* out,
                          uint8_t tag[16]) noexcept {
    Words s;
    start<Rate, B>(s, iv, key, nonce, aad, aad_len);
    text_blocks<Rate, B, false>(s, in, out, len / Rate);
    len %= Rate;
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
ASCON_INLINE int32_t decrypt(uint64_t iv, const uint8_t* key, const uint8_t* nonce, const uint8_t* aad,
                             std::size_t aad_len, const uint8_t* in, std::size_t len, const uint8_t tag[16],
                             uint8_t* out) noexcept {
    uint8_t* const out_start = out;
    const std::size_t total = len;
    Words s;
    start<Rate, B>(s, iv, key, nonce, aad, aad_len);
    text_blocks<Rate, B, true>(s, in, out, len / Rate);
    len %= Rate;
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

// The ways of running the sponge: with BMI1 and BMI2 (and-not in one
// instruction, rotations that leave their source alone, about 10% faster),
// or on any processor. (Rounds in AVX-512VL registers, with three-input
// logic, take fewer instructions but measured no faster here: the round is
// bound by the vector units' rotations.)
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define ASCON_BMI __attribute__((target("bmi,bmi2")))
#else
#define ASCON_BMI
#endif

struct AsconPaths {
    void (*encrypt)(uint64_t, const uint8_t*, const uint8_t*, const uint8_t*, std::size_t, const uint8_t*,
                    std::size_t, uint8_t*, uint8_t*) noexcept;
    int32_t (*decrypt)(uint64_t, const uint8_t*, const uint8_t*, const uint8_t*, std::size_t, const uint8_t*,
                       std::size_t, const uint8_t*, uint8_t*) noexcept;
};

template <std::size_t Rate, int B>
void encrypt_plain(uint64_t iv, const uint8_t* key, const uint8_t* nonce, const uint8_t* aad, std::size_t aad_len,
                   const uint8_t* in, std::size_t len, uint8_t* out, uint8_t* tag) noexcept {
    encrypt<Rate, B>(iv, key, nonce, aad, aad_len, in, len, out, tag);
}
template <std::size_t Rate, int B>
int32_t decrypt_plain(uint64_t iv, const uint8_t* key, const uint8_t* nonce, const uint8_t* aad, std::size_t aad_len,
                      const uint8_t* in, std::size_t len, const uint8_t* tag, uint8_t* out) noexcept {
    return decrypt<Rate, B>(iv, key, nonce, aad, aad_len, in, len, tag, out);
}
template <std::size_t Rate, int B>
ASCON_BMI void encrypt_bmi(uint64_t iv, const uint8_t* key, const uint8_t* nonce, const uint8_t* aad,
                           std::size_t aad_len, const uint8_t* in, std::size_t len, uint8_t* out,
                           uint8_t* tag) noexcept {
    encrypt<Rate, B>(iv, key, nonce, aad, aad_len, in, len, out, tag);
}
template <std::size_t Rate, int B>
ASCON_BMI int32_t decrypt_bmi(uint64_t iv, const uint8_t* key, const uint8_t* nonce, const uint8_t* aad,
                              std::size_t aad_len, const uint8_t* in, std::size_t len, const uint8_t* tag,
                              uint8_t* out) noexcept {
    return decrypt<Rate, B>(iv, key, nonce, aad, aad_len, in, len, tag, out);
}

template <std::size_t Rate, int B>
AsconPaths paths_for(AsconAeadPath path) noexcept {
    switch (path) {
        case AsconAeadPath::bmi:
            return {encrypt_bmi<Rate, B>, decrypt_bmi<Rate, B>};
        default:
            return {encrypt_plain<Rate, B>, decrypt_plain<Rate, B>};
    }
}

AsconPaths paths_for(AsconAeadKind kind, AsconAeadPath path) noexcept {
    return kind == AsconAeadKind::ascon128 ? paths_for<8, 6>(path) : paths_for<16, 8>(path);
}

const AsconPaths& paths_of(AsconAeadKind kind) noexcept {
    static const AsconAeadPath best =
        ascon_aead_path_available(AsconAeadPath::bmi) ? AsconAeadPath::bmi : AsconAeadPath::portable;
    static const AsconPaths ascon128 = paths_for(AsconAeadKind::ascon128, best);
    static const AsconPaths ascon128a = paths_for(AsconAeadKind::ascon128a, best);
    return kind == AsconAeadKind::ascon128 ? ascon128 : ascon128a;
}

uint64_t iv_of(AsconAeadKind kind) noexcept { return kind == AsconAeadKind::ascon128 ? kAscon128Iv : kAscon128aIv; }

}  // namespace

void ascon_aead_encrypt(AsconAeadKind kind, const uint8_t key[16], const uint8_t nonce[16], const uint8_t* aad,
                        std::size_t aad_len, const uint8_t* in, std::size_t len, uint8_t* out,
                        uint8_t tag[16]) noexcept {
    paths_of(kind).encrypt(iv_of(kind), key, nonce, aad, aad_len, in, len, out, tag);
}

int32_t ascon_aead_decrypt(AsconAeadKind kind, const uint8_t key[16], const uint8_t nonce[16], const uint8_t* aad,
                           std::size_t aad_len, const uint8_t* in, std::size_t len, const uint8_t tag[16],
                           uint8_t* out) noexcept {
    return paths_of(kind).decrypt(iv_of(kind), key, nonce, aad, aad_len, in, len, tag, out);
}

bool ascon_aead_path_available(AsconAeadPath path) noexcept {
    const CpuFeatures& f = cpu_features();
    switch (path) {
        case AsconAeadPath::portable:
            return true;
        case AsconAeadPath::bmi:
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
            return f.bmi1 && f.bmi2;
#else
            return false;
#endif
    }
    (void)f;
    return false;
}

void ascon_aead_encrypt_path(AsconAeadPath path, AsconAeadKind kind, const uint8_t key[16], const uint8_t nonce[16],
                             const uint8_t* aad, std::size_t aad_len, const uint8_t* in, std::size_t len,
                             uint8_t* out, uint8_t tag[16]) noexcept {
    paths_for(kind, path).encrypt(iv_of(kind), key, nonce, aad, aad_len, in, len, out, tag);
}

int32_t ascon_aead_decrypt_path(AsconAeadPath path, AsconAeadKind kind, const uint8_t key[16],
                                const uint8_t nonce[16], const uint8_t* aad, std::size_t aad_len, const uint8_t* in,
                                std::size_t len, const uint8_t tag[16], uint8_t* out) noexcept {
    return paths_for(kind, path).decrypt(iv_of(kind), key, nonce, aad, aad_len, in, len, tag, out);
}
