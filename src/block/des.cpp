// DES: tables, key schedule, modes and the weak-key test.
#include "block/des.h"

#include <cstring>

#include "block/cipher_modes.h"
#include "block/des_core.h"
#include "core/ct.h"
#include "core/wipe.h"
#include "tessalib.h"

namespace {

// The eight S-boxes of FIPS 46-3, row by row.
constexpr uint8_t kSbox[8][64] = {
    {14, 4,  13, 1, 2,  15, 11, 8,  3,  10, 6,  12, 5,  9,  0, 7,  0, 15, 7,  4,  14, 2,  13, 1,  10, 6, 12, 11,
     9,  5,  3,  8, 4,  1,  14, 8,  13, 6,  2,  11, 15, 12, 9, 7,  3, 10, 5,  0,  15, 12, 8,  2,  4,  9, 1,  7,
     5,  11, 3,  14, 10, 0, 6,  13},
    {15, 1,  8,  14, 6,  11, 3,  4,  9,  7,  2,  13, 12, 0,  5, 10, 3, 13, 4,  7,  15, 2,  8,  14, 12, 0, 1,  10,
     6,  9,  11, 5,  0,  14, 7,  11, 10, 4,  13, 1,  5,  8,  12, 6, 9, 3,  2,  15, 13, 8,  10, 1,  3,  15, 4, 2,
     11, 6,  7,  12, 0,  5,  14, 9},
    {10, 0,  9,  14, 6,  3,  15, 5,  1,  13, 12, 7,  11, 4,  2, 8,  13, 7, 0,  9,  3,  4,  6,  10, 2,  8, 5,  14,
     12, 11, 15, 1,  13, 6,  4,  9,  8,  15, 3,  0,  11, 1,  2, 12, 5, 10, 14, 7,  1,  10, 13, 0,  6,  9, 8,  7,
     4,  15, 14, 3,  11, 5,  2,  12},
    {7,  13, 14, 3,  0,  6,  9,  10, 1,  2,  8,  5,  11, 12, 4, 15, 13, 8, 11, 5,  6,  15, 0,  3,  4,  7, 2,  12,
     1,  10, 14, 9,  10, 6,  9,  0,  12, 11, 7,  13, 15, 1,  3, 14, 5, 2,  8,  4,  3,  15, 0,  6,  10, 1, 13, 8,
     9,  4,  5,  11, 12, 7,  2,  14},
    {2,  12, 4,  1,  7,  10, 11, 6,  8,  5,  3,  15, 13, 0,  14, 9, 14, 11, 2,  12, 4,  7,  13, 1,  5,  0, 15, 10,
     3,  9,  8,  6,  4,  2,  1,  11, 10, 13, 7,  8,  15, 9,  12, 5, 6, 3,  0,  14, 11, 8,  12, 7,  1,  14, 2, 13,
     6,  15, 0,  9,  10, 4,  5,  3},
    {12, 1,  10, 15, 9,  2,  6,  8,  0,  13, 3,  4,  14, 7,  5, 11, 10, 15, 4,  2,  7,  12, 9,  5,  6,  1, 13, 14,
     0,  11, 3,  8,  9,  14, 15, 5,  2,  8,  12, 3,  7,  0,  4, 10, 1, 13, 11, 6,  4,  3,  2,  12, 9,  5, 15, 10,
     11, 14, 1,  7,  6,  0,  8,  13},
    {4,  11, 2,  14, 15, 0,  8,  13, 3,  12, 9,  7,  5,  10, 6, 1,  13, 0, 11, 7,  4,  9,  1,  10, 14, 3, 5,  12,
     2,  15, 8,  6,  1,  4,  11, 13, 12, 3,  7,  14, 10, 15, 6, 8,  0, 5,  9,  2,  6,  11, 13, 8,  1,  4, 10, 7,
     9,  5,  0,  15, 14, 2,  3,  12},
    {13, 2,  8,  4,  6,  15, 11, 1,  10, 9,  3,  14, 5,  0,  12, 7, 1, 15, 13, 8,  10, 3,  7,  4,  12, 5, 6,  11,
     0,  14, 9,  2,  7,  11, 4,  1,  9,  12, 14, 2,  0,  6,  10, 13, 15, 3, 5,  8,  2,  1,  14, 7,  4,  10, 8, 13,
     15, 12, 9,  0,  3,  5,  6,  11},
};

// The permutation P: output bit i (1 = most significant) is input bit kPerm[i].
constexpr uint8_t kPerm[32] = {16, 7, 20, 21, 29, 12, 28, 17, 1,  15, 23, 26, 5,  18, 31, 10,
                               2,  8, 24, 14, 32, 27, 3,  9,  19, 13, 30, 6,  22, 11, 4,  25};

// Permuted choice 1 (key bits, 1 = most significant bit of byte 0) and 2
// (bits of C||D, 1 = first bit of C), and the rotations per round.
constexpr uint8_t kPc1[56] = {57, 49, 41, 33, 25, 17, 9,  1,  58, 50, 42, 34, 26, 18, 10, 2,  59, 51, 43,
                              35, 27, 19, 11, 3,  60, 52, 44, 36, 63, 55, 47, 39, 31, 23, 15, 7,  62, 54,
                              46, 38, 30, 22, 14, 6,  61, 53, 45, 37, 29, 21, 13, 5,  28, 20, 12, 4};
constexpr uint8_t kPc2[48] = {14, 17, 11, 24, 1,  5,  3,  28, 15, 6,  21, 10, 23, 19, 12, 4,
                              26, 8,  16, 7,  27, 20, 13, 2,  41, 52, 31, 37, 47, 55, 30, 40,
                              51, 45, 33, 48, 44, 49, 39, 56, 34, 53, 46, 42, 50, 36, 29, 32};
constexpr uint8_t kShifts[16] = {1, 1, 2, 2, 2, 2, 2, 2, 1, 2, 2, 2, 2, 2, 2, 1};

constexpr bool sbox_rows_are_permutations() {
    for (int s = 0; s < 8; ++s)
        for (int row = 0; row < 4; ++row) {
            unsigned seen = 0;
            for (int c = 0; c < 16; ++c) seen |= 1u << kSbox[s][row * 16 + c];
            if (seen != 0xFFFFu) return false;
        }
    return true;
}
static_assert(sbox_rows_are_permutations(), "DES S-box rows");

constexpr DesSpTables make_sp() {
    DesSpTables t{};
    for (int s = 0; s < 8; ++s)
        for (int x = 0; x < 64; ++x) {
            const int row = ((x >> 4) & 2) | (x & 1);
            const int col = (x >> 1) & 15;
            const uint32_t pre = static_cast<uint32_t>(kSbox[s][row * 16 + col]) << (4 * (7 - s));
            uint32_t post = 0;
            for (int i = 0; i < 32; ++i)
                if (pre & (0x80000000u >> (kPerm[i] - 1))) post |= 0x80000000u >> i;
            t.sp[s][x] = (post << 1) | (post >> 31);
        }
    return t;
}

// Odd-parity forms of the 4 weak and 12 semi-weak DES keys (FIPS 74).
constexpr uint8_t kWeakKeys[16][8] = {
    {0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01}, {0x01, 0x1F, 0x01, 0x1F, 0x01, 0x0E, 0x01, 0x0E},
    {0x01, 0xE0, 0x01, 0xE0, 0x01, 0xF1, 0x01, 0xF1}, {0x01, 0xFE, 0x01, 0xFE, 0x01, 0xFE, 0x01, 0xFE},
    {0x1F, 0x01, 0x1F, 0x01, 0x0E, 0x01, 0x0E, 0x01}, {0x1F, 0x1F, 0x1F, 0x1F, 0x0E, 0x0E, 0x0E, 0x0E},
    {0x1F, 0xE0, 0x1F, 0xE0, 0x0E, 0xF1, 0x0E, 0xF1}, {0x1F, 0xFE, 0x1F, 0xFE, 0x0E, 0xFE, 0x0E, 0xFE},
    {0xE0, 0x01, 0xE0, 0x01, 0xF1, 0x01, 0xF1, 0x01}, {0xE0, 0x1F, 0xE0, 0x1F, 0xF1, 0x0E, 0xF1, 0x0E},
    {0xE0, 0xE0, 0xE0, 0xE0, 0xF1, 0xF1, 0xF1, 0xF1}, {0xE0, 0xFE, 0xE0, 0xFE, 0xF1, 0xFE, 0xF1, 0xFE},
    {0xFE, 0x01, 0xFE, 0x01, 0xFE, 0x01, 0xFE, 0x01}, {0xFE, 0x1F, 0xFE, 0x1F, 0xFE, 0x0E, 0xFE, 0x0E},
    {0xFE, 0xE0, 0xFE, 0xE0, 0xFE, 0xF1, 0xFE, 0xF1}, {0xFE, 0xFE, 0xFE, 0xFE, 0xFE, 0xFE, 0xFE, 0xFE},
};

inline uint8_t with_odd_parity(uint8_t b) {
    uint8_t ones = 0;
    for (int i = 1; i < 8; ++i) ones = static_cast<uint8_t>(ones + ((b >> i) & 1));
    return static_cast<uint8_t>((b & 0xFE) | ((ones & 1) ^ 1));
}

// DES as the modes see it. The schedule already runs in the direction the
// context needs, so the inverse of ECB and CBC decryption is the same block
// function.
struct DesCipher : BlockCipher<2> {
    const uint32_t* ks;
    DES_INLINE void forward(Block& b) const noexcept { des_block(b[0], b[1], ks); }
    DES_INLINE void inverse(Block& b) const noexcept { des_block(b[0], b[1], ks); }
};

}  // namespace

alignas(64) constexpr DesSpTables kDesSp = make_sp();

namespace {

// The key schedule's two bit permutations as lookup tables, made at compile
// time from kPc1 and kPc2. C||D is held as one 56-bit value, bit 55 being
// C's first bit. pc1[n][v]: the bits of C||D that nibble n of the key
// (n = 2 * byte + 0 for the high nibble, + 1 for the low one) contributes
// when it has the value v. pc2[k][v]: the subkey bits that bits 7k to 7k + 6
// of C||D contribute when they have the value v, the first subkey word in the
// high half and the second in the low half (the layout des_f reads).
struct DesKeyTables {
    uint64_t pc1[16][16];
    uint64_t pc2[8][128];
};

constexpr DesKeyTables make_key_tables() {
    DesKeyTables t{};
    for (int i = 0; i < 56; ++i) {
        const int bit = kPc1[i] - 1;  // 0 = most significant bit of key byte 0
        const int in_byte = 7 - (bit & 7);
        const int nibble = 2 * (bit >> 3) + (in_byte >= 4 ? 0 : 1);
        for (int v = 0; v < 16; ++v)
            if ((v >> (in_byte & 3)) & 1) t.pc1[nibble][v] |= uint64_t{1} << (55 - i);
    }
    for (int i = 0; i < 48; ++i) {
        const int src = 56 - kPc2[i];  // bit of C||D
        const int group = i / 6;
        const int shift = 24 - 8 * (group / 2) + (5 - i % 6) + ((group & 1) ? 0 : 32);
        for (int v = 0; v < 128; ++v)
            if ((v >> (src % 7)) & 1) t.pc2[src / 7][v] |= uint64_t{1} << shift;
    }
    return t;
}

alignas(64) constexpr DesKeyTables kKeyTables = make_key_tables();

}  // namespace

void des_key_schedule(uint32_t ks[32], const uint8_t key[8], bool encrypt) noexcept {
    uint64_t cd = 0;
    for (int i = 0; i < 8; ++i) cd |= kKeyTables.pc1[2 * i][key[i] >> 4] | kKeyTables.pc1[2 * i + 1][key[i] & 15];
    // C and D as 28-bit values.
    uint32_t c = static_cast<uint32_t>(cd >> 28), d = static_cast<uint32_t>(cd & 0x0FFFFFFFu);
    for (int round = 0; round < 16; ++round) {
        const unsigned n = kShifts[round];
        c = ((c << n) | (c >> (28 - n))) & 0x0FFFFFFFu;
        d = ((d << n) | (d >> (28 - n))) & 0x0FFFFFFFu;
        cd = (static_cast<uint64_t>(c) << 28) | d;
        uint64_t sub = 0;
        for (int k = 0; k < 8; ++k) sub |= kKeyTables.pc2[k][(cd >> (7 * k)) & 0x7F];
        const int slot = encrypt ? round : 15 - round;
        ks[2 * slot] = static_cast<uint32_t>(sub >> 32);
        ks[2 * slot + 1] = static_cast<uint32_t>(sub);
    }
    secure_wipe_obj(cd);
    secure_wipe_obj(c);
    secure_wipe_obj(d);
}

int32_t DesSetup(DesContext* ctx, int32_t mode, const uint8_t* key, int32_t encrypt, const uint8_t* iv) noexcept {
    const int32_t rc = mode_setup_begin(ctx, mode, iv, true, key);
    if (rc != 0) return rc;
    des_key_schedule(ctx->schedule, key, !mode_runs_inverse(mode, encrypt));
    mode_start(ctx, mode, encrypt, iv);
    return 0;
}

int32_t DesUpdate(DesContext* ctx, uint8_t* output, const uint8_t* input, std::size_t len) noexcept {
    return mode_update(DesCipher{{}, ctx->schedule}, ctx->mode, ctx->direction != 0, ctx->reg, output, input, len);
}

int32_t DesCrypt(uint8_t* output, const uint8_t* input, int64_t length, const uint8_t* key, int32_t encrypt,
                 int32_t mode, const uint8_t* iv) noexcept {
    if (output == nullptr || input == nullptr || key == nullptr) return -NULL_ERROR;
    if (length < 0) return -BAD_PARAM_ERROR;
    return mode_one_shot<DesContext>(
        output, input, static_cast<std::size_t>(length),
        [&](DesContext* ctx) noexcept { return DesSetup(ctx, mode, key, encrypt, iv); }, DesUpdate);
}

int32_t des_check_key(const uint8_t* key, int32_t keyLen) noexcept {
    if (keyLen != 8 && keyLen != 16 && keyLen != 24) return -BAD_KEY_LEN_ERROR;
    if (key == nullptr) return -BAD_KEY_LEN_ERROR;
    // Every key is compared with every table entry and the matches gathered
    // in a mask, so that neither the time taken nor the branches depend on
    // the key bytes.
    uint32_t weak = 0;
    uint8_t k[8];
    for (int32_t off = 0; off < keyLen; off += 8) {
        for (int i = 0; i < 8; ++i) k[i] = with_odd_parity(key[off + i]);
        for (const auto& entry : kWeakKeys) weak |= 0u - static_cast<uint32_t>(ct_memeq(entry, k, 8));
    }
    secure_wipe_obj(k);
    return static_cast<int32_t>(ct_select(weak, static_cast<uint32_t>(-WEAK_KEY_ERROR), 0));
}
