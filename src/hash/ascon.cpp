// Ascon permutation (the rounds are in hash/ascon.h, unrolled for the round
// counts the modes use); hash and XOF modes of Ascon version 1.2 (8-byte
// rate, big-endian).
#include "hash/ascon.h"

#include <cstring>

#include "core/wipe.h"
#include "core/endian.h"


void ascon_permute(AsconPermState* s, unsigned rounds) noexcept {
    uint64_t x0 = s->x[0], x1 = s->x[1], x2 = s->x[2], x3 = s->x[3], x4 = s->x[4];
    switch (rounds) {
        case 12:
            ascon_rounds<12>(x0, x1, x2, x3, x4);
            break;
        case 8:
            ascon_rounds<8>(x0, x1, x2, x3, x4);
            break;
        case 6:
            ascon_rounds<6>(x0, x1, x2, x3, x4);
            break;
        default:
            x2 ^= ascon_constant(12 - rounds);
            for (unsigned i = 12 - rounds; i < 12; ++i)
                ascon_round_then(x0, x1, x2, x3, x4, ~(i < 11 ? ascon_constant(i + 1) : 0));
            break;
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
