// Ascon permutation with the round loop unrolled per round; hash and XOF
// modes of Ascon version 1.2 (8-byte rate, big-endian).
#include "hash/ascon.h"

#include <cstring>

#include "core/wipe.h"
#include "core/endian.h"


static inline void ascon_round(uint64_t& x0, uint64_t& x1, uint64_t& x2, uint64_t& x3, uint64_t& x4,
                               uint64_t c) noexcept {
    x2 ^= c;
    // Substitution layer (the 5-bit S-box, bitsliced).
    x0 ^= x4;
    x4 ^= x3;
    x2 ^= x1;
    const uint64_t t0 = ~x0 & x1;
    const uint64_t t1 = ~x1 & x2;
    const uint64_t t2 = ~x2 & x3;
    const uint64_t t3 = ~x3 & x4;
    const uint64_t t4 = ~x4 & x0;
    x0 ^= t1;
    x1 ^= t2;
    x2 ^= t3;
    x3 ^= t4;
    x4 ^= t0;
    x1 ^= x0;
    x0 ^= x4;
    x3 ^= x2;
    x2 = ~x2;
    // Linear diffusion layer.
    x0 ^= rotr64(x0, 19) ^ rotr64(x0, 28);
    x1 ^= rotr64(x1, 61) ^ rotr64(x1, 39);
    x2 ^= rotr64(x2, 1) ^ rotr64(x2, 6);
    x3 ^= rotr64(x3, 10) ^ rotr64(x3, 17);
    x4 ^= rotr64(x4, 7) ^ rotr64(x4, 41);
}

void ascon_permute(AsconPermState* s, unsigned rounds) noexcept {
    uint64_t x0 = s->x[0], x1 = s->x[1], x2 = s->x[2], x3 = s->x[3], x4 = s->x[4];
    for (unsigned i = 12 - rounds; i < 12; ++i) {
        ascon_round(x0, x1, x2, x3, x4, ((0xFu - i) << 4) | i);
    }
    s->x[0] = x0;
    s->x[1] = x1;
    s->x[2] = x2;
    s->x[3] = x3;
    s->x[4] = x4;
}

void ascon_hash_init(AsconHashState* st, AsconHashKind kind) noexcept {
    // IV: k = 0, rate 64 bits, a = 12, a - b (0 or 4), output length in bits
    // (256 for the hashes, 0 for the XOFs).
    static constexpr uint64_t kIv[4] = {
        0x00400c0000000100ull,  // Ascon-Hash
        0x00400c0400000100ull,  // Ascon-Hasha
        0x00400c0000000000ull,  // Ascon-XOF
        0x00400c0400000000ull,  // Ascon-XOFa
    };
    const uint32_t k = static_cast<uint32_t>(kind);
    std::memset(st, 0, sizeof *st);
    st->s.x[0] = kIv[k];
    ascon_permute(&st->s, 12);
    st->rounds = (k & 1u) ? 8 : 12;
}

void ascon_hash_update(AsconHashState* st, const uint8_t* data, std::size_t len) noexcept {
    if (st->buf_len != 0) {
        while (st->buf_len < 8 && len != 0) {
            st->buf[st->buf_len++] = *data++;
            --len;
        }
        if (st->buf_len < 8) return;
        st->s.x[0] ^= load_be64(st->buf);
        ascon_permute(&st->s, st->rounds);
        st->buf_len = 0;
    }
    while (len >= 8) {
        st->s.x[0] ^= load_be64(data);
        ascon_permute(&st->s, st->rounds);
        data += 8;
        len -= 8;
    }
    if (len != 0) {
        std::memcpy(st->buf, data, len);
        st->buf_len = static_cast<uint32_t>(len);
    }
}

// Absorbs the padded last block and runs the 12-round permutation.
static void ascon_hash_pad(AsconHashState* st) noexcept {
    uint8_t last[8] = {0};
    std::memcpy(last, st->buf, st->buf_len);
    last[st->buf_len] = 0x80;
    st->s.x[0] ^= load_be64(last);
    ascon_permute(&st->s, 12);
    st->squeezing = 1;
    st->squeeze_pos = 0;
    secure_wipe(last, sizeof last);
}

void ascon_xof_squeeze(AsconHashState* st, uint8_t* out, std::size_t len) noexcept {
    if (!st->squeezing) ascon_hash_pad(st);
    while (len != 0) {
        if (st->squeeze_pos == 8) {
            ascon_permute(&st->s, st->rounds);
            st->squeeze_pos = 0;
        }
        uint8_t block[8];
        store_be64(block, st->s.x[0]);
        std::size_t take = 8 - st->squeeze_pos;
        if (take > len) take = len;
        std::memcpy(out, block + st->squeeze_pos, take);
        st->squeeze_pos += static_cast<uint32_t>(take);
        out += take;
        len -= take;
    }
}

void ascon_hash_final(AsconHashState* st, uint8_t* out) noexcept {
    ascon_xof_squeeze(st, out, kAsconHashLen);
    secure_wipe_obj(*st);
}
