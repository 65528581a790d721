// Keccak-f[1600] with all five steps written out per lane and two rounds
// per loop pass (the state alternates between two sets of locals), and the
// byte-oriented sponge around it. Processors with BMI1/BMI2 run chi's
// and-not as one instruction; elsewhere six lanes are kept complemented so
// that most of chi needs no separate not.
#include "hash/keccak.h"

#include <cstring>

#include "core/cpu.h"
#include "core/wipe.h"
#include "core/endian.h"


namespace {

constexpr uint64_t kRoundConstants[24] = {
    0x0000000000000001ull, 0x0000000000008082ull, 0x800000000000808aull, 0x8000000080008000ull,
    0x000000000000808bull, 0x0000000080000001ull, 0x8000000080008081ull, 0x8000000000008009ull,
    0x000000000000008aull, 0x0000000000000088ull, 0x0000000080008009ull, 0x000000008000000aull,
    0x000000008000808bull, 0x800000000000008bull, 0x8000000000008089ull, 0x8000000000008003ull,
    0x8000000000008002ull, 0x8000000000000080ull, 0x000000000000800aull, 0x800000008000000aull,
    0x8000000080008081ull, 0x8000000000008080ull, 0x0000000080000001ull, 0x8000000080008008ull,
};

}  // namespace

// One round from the lanes A.. into the lanes E.. (chi as and-not) (names: row b g k m s = y
// 0..4, column a e i o u = x 0..4). rc is the round constant.
#define KECCAK_ROUND(A, E, rc)                                                    \
    Ca = A##ba ^ A##ga ^ A##ka ^ A##ma ^ A##sa;                                   \
    Ce = A##be ^ A##ge ^ A##ke ^ A##me ^ A##se;                                   \
    Ci = A##bi ^ A##gi ^ A##ki ^ A##mi ^ A##si;                                   \
    Co = A##bo ^ A##go ^ A##ko ^ A##mo ^ A##so;                                   \
    Cu = A##bu ^ A##gu ^ A##ku ^ A##mu ^ A##su;                                   \
    Da = Cu ^ rotl64(Ce, 1);                                                      \
    De = Ca ^ rotl64(Ci, 1);                                                      \
    Di = Ce ^ rotl64(Co, 1);                                                      \
    Do = Ci ^ rotl64(Cu, 1);                                                      \
    Du = Co ^ rotl64(Ca, 1);                                                      \
    Ba = A##ba ^ Da;                                                              \
    Be = rotl64(A##ge ^ De, 44);                                                  \
    Bi = rotl64(A##ki ^ Di, 43);                                                  \
    Bo = rotl64(A##mo ^ Do, 21);                                                  \
    Bu = rotl64(A##su ^ Du, 14);                                                  \
    E##ba = Ba ^ (~Be & Bi) ^ (rc);                                               \
    E##be = Be ^ (~Bi & Bo);                                                      \
    E##bi = Bi ^ (~Bo & Bu);                                                      \
    E##bo = Bo ^ (~Bu & Ba);                                                      \
    E##bu = Bu ^ (~Ba & Be);                                                      \
    Ba = rotl64(A##bo ^ Do, 28);                                                  \
    Be = rotl64(A##gu ^ Du, 20);                                                  \
    Bi = rotl64(A##ka ^ Da, 3);                                                   \
    Bo = rotl64(A##me ^ De, 45);                                                  \
    Bu = rotl64(A##si ^ Di, 61);                                                  \
    E##ga = Ba ^ (~Be & Bi);                                                      \
    E##ge = Be ^ (~Bi & Bo);                                                      \
    E##gi = Bi ^ (~Bo & Bu);                                                      \
    E##go = Bo ^ (~Bu & Ba);                                                      \
    E##gu = Bu ^ (~Ba & Be);                                                      \
    Ba = rotl64(A##be ^ De, 1);                                                   \
    Be = rotl64(A##gi ^ Di, 6);                                                   \
    Bi = rotl64(A##ko ^ Do, 25);                                                  \
    Bo = rotl64(A##mu ^ Du, 8);                                                   \
    Bu = rotl64(A##sa ^ Da, 18);                                                  \
    E##ka = Ba ^ (~Be & Bi);                                                      \
    E##ke = Be ^ (~Bi & Bo);                                                      \
    E##ki = Bi ^ (~Bo & Bu);                                                      \
    E##ko = Bo ^ (~Bu & Ba);                                                      \
    E##ku = Bu ^ (~Ba & Be);                                                      \
    Ba = rotl64(A##bu ^ Du, 27);                                                  \
    Be = rotl64(A##ga ^ Da, 36);                                                  \
    Bi = rotl64(A##ke ^ De, 10);                                                  \
    Bo = rotl64(A##mi ^ Di, 15);                                                  \
    Bu = rotl64(A##so ^ Do, 56);                                                  \
    E##ma = Ba ^ (~Be & Bi);                                                      \
    E##me = Be ^ (~Bi & Bo);                                                      \
    E##mi = Bi ^ (~Bo & Bu);                                                      \
    E##mo = Bo ^ (~Bu & Ba);                                                      \
    E##mu = Bu ^ (~Ba & Be);                                                      \
    Ba = rotl64(A##bi ^ Di, 62);                                                  \
    Be = rotl64(A##go ^ Do, 55);                                                  \
    Bi = rotl64(A##ku ^ Du, 39);                                                  \
    Bo = rotl64(A##ma ^ Da, 41);                                                  \
    Bu = rotl64(A##se ^ De, 2);                                                   \
    E##sa = Ba ^ (~Be & Bi);                                                      \
    E##se = Be ^ (~Bi & Bo);                                                      \
    E##si = Bi ^ (~Bo & Bu);                                                      \
    E##so = Bo ^ (~Bu & Ba);                                                      \
    E##su = Bu ^ (~Ba & Be);

// One round as KECCAK_ROUND for a state whose lanes be, bi, go, ki, mi and sa
// are held complemented (on entry and on exit): chi's and-not becomes and/or
// with five nots per round instead of twenty-five.
#define KECCAK_ROUND_LC(A, E, rc)                                                    \
    Ca = A##ba ^ A##ga ^ A##ka ^ A##ma ^ A##sa;                                   \
    Ce = A##be ^ A##ge ^ A##ke ^ A##me ^ A##se;                                   \
    Ci = A##bi ^ A##gi ^ A##ki ^ A##mi ^ A##si;                                   \
    Co = A##bo ^ A##go ^ A##ko ^ A##mo ^ A##so;                                   \
    Cu = A##bu ^ A##gu ^ A##ku ^ A##mu ^ A##su;                                   \
    Da = Cu ^ rotl64(Ce, 1);                                                      \
    De = Ca ^ rotl64(Ci, 1);                                                      \
    Di = Ce ^ rotl64(Co, 1);                                                      \
    Do = Ci ^ rotl64(Cu, 1);                                                      \
    Du = Co ^ rotl64(Ca, 1);                                                      \
    Ba = A##ba ^ Da;                                                              \
    Be = rotl64(A##ge ^ De, 44);                                                  \
    Bi = rotl64(A##ki ^ Di, 43);                                                  \
    Bo = rotl64(A##mo ^ Do, 21);                                                  \
    Bu = rotl64(A##su ^ Du, 14);                                                  \
    E##ba = Ba ^ (Be | Bi) ^ (rc);                                                \
    E##be = Be ^ (~Bi | Bo);                                                      \
    E##bi = Bi ^ (Bo & Bu);                                                       \
    E##bo = Bo ^ (Bu | Ba);                                                       \
    E##bu = Bu ^ (Ba & Be);                                                       \
    Ba = rotl64(A##bo ^ Do, 28);                                                  \
    Be = rotl64(A##gu ^ Du, 20);                                                  \
    Bi = rotl64(A##ka ^ Da, 3);                                                   \
    Bo = rotl64(A##me ^ De, 45);                                                  \
    Bu = rotl64(A##si ^ Di, 61);                                                  \
    E##ga = Ba ^ (Be | Bi);                                                       \
    E##ge = Be ^ (Bi & Bo);                                                       \
    E##gi = Bi ^ (Bo | ~Bu);                                                      \
    E##go = Bo ^ (Bu | Ba);                                                       \
    E##gu = Bu ^ (Ba & Be);                                                       \
    Ba = rotl64(A##be ^ De, 1);                                                   \
    Be = rotl64(A##gi ^ Di, 6);                                                   \
    Bi = rotl64(A##ko ^ Do, 25);                                                  \
    Bo = rotl64(A##mu ^ Du, 8);                                                   \
    Bu = rotl64(A##sa ^ Da, 18);                                                  \
    E##ka = Ba ^ (Be | Bi);                                                       \
    E##ke = Be ^ (Bi & Bo);                                                       \
    E##ki = Bi ^ (~Bo & Bu);                                                      \
    E##ko = ~Bo ^ (Bu | Ba);                                                      \
    E##ku = Bu ^ (Ba & Be);                                                       \
    Ba = rotl64(A##bu ^ Du, 27);                                                  \
    Be = rotl64(A##ga ^ Da, 36);                                                  \
    Bi = rotl64(A##ke ^ De, 10);                                                  \
    Bo = rotl64(A##mi ^ Di, 15);                                                  \
    Bu = rotl64(A##so ^ Do, 56);                                                  \
    E##ma = Ba ^ (Be & Bi);                                                       \
    E##me = Be ^ (Bi | Bo);                                                       \
    E##mi = Bi ^ (~Bo | Bu);                                                      \
    E##mo = ~Bo ^ (Bu & Ba);                                                      \
    E##mu = Bu ^ (Ba | Be);                                                       \
    Ba = rotl64(A##bi ^ Di, 62);                                                  \
    Be = rotl64(A##go ^ Do, 55);                                                  \
    Bi = rotl64(A##ku ^ Du, 39);                                                  \
    Bo = rotl64(A##ma ^ Da, 41);                                                  \
    Bu = rotl64(A##se ^ De, 2);                                                   \
    E##sa = Ba ^ (~Be & Bi);                                                      \
    E##se = ~Be ^ (Bi | Bo);                                                      \
    E##si = Bi ^ (Bo & Bu);                                                       \
    E##so = Bo ^ (Bu | Ba);                                                       \
    E##su = Bu ^ (Ba & Be);

#define KECCAK_PERMUTE(ROUND, c1, c2, c8, c12, c17, c20)                            \
    uint64_t Aba = s[0], Abe = c1 s[1], Abi = c2 s[2], Abo = s[3], Abu = s[4];         \
    uint64_t Aga = s[5], Age = s[6], Agi = s[7], Ago = c8 s[8], Agu = s[9];            \
    uint64_t Aka = s[10], Ake = s[11], Aki = c12 s[12], Ako = s[13], Aku = s[14];      \
    uint64_t Ama = s[15], Ame = s[16], Ami = c17 s[17], Amo = s[18], Amu = s[19];      \
    uint64_t Asa = c20 s[20], Ase = s[21], Asi = s[22], Aso = s[23], Asu = s[24];      \
    uint64_t Eba, Ebe, Ebi, Ebo, Ebu, Ega, Ege, Egi, Ego, Egu, Eka, Eke, Eki, Eko, Eku; \
    uint64_t Ema, Eme, Emi, Emo, Emu, Esa, Ese, Esi, Eso, Esu;                         \
    uint64_t Ca, Ce, Ci, Co, Cu, Da, De, Di, Do, Du, Ba, Be, Bi, Bo, Bu;               \
    for (int round = 0; round < 24; round += 2) {                                      \
        ROUND(A, E, kRoundConstants[round])                                            \
        ROUND(E, A, kRoundConstants[round + 1])                                        \
    }                                                                                  \
    s[0] = Aba; s[1] = c1 Abe; s[2] = c2 Abi; s[3] = Abo; s[4] = Abu;                  \
    s[5] = Aga; s[6] = Age; s[7] = Agi; s[8] = c8 Ago; s[9] = Agu;                     \
    s[10] = Aka; s[11] = Ake; s[12] = c12 Aki; s[13] = Ako; s[14] = Aku;               \
    s[15] = Ama; s[16] = Ame; s[17] = c17 Ami; s[18] = Amo; s[19] = Amu;               \
    s[20] = c20 Asa; s[21] = Ase; s[22] = Asi; s[23] = Aso; s[24] = Asu;

void keccak_f1600_generic(uint64_t s[25]) noexcept { KECCAK_PERMUTE(KECCAK_ROUND_LC, ~, ~, ~, ~, ~, ~) }

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define KECCAK_HAVE_BMI 1

namespace {

// True when the processor has BMI1 (andn) and BMI2 (rorx).
bool cpu_has_bmi12() noexcept { return cpu_features().bmi1 && cpu_features().bmi2; }

__attribute__((target("bmi,bmi2"))) void keccak_f1600_bmi(uint64_t s[25]) noexcept {
    KECCAK_PERMUTE(KECCAK_ROUND, , , , , , )
}

}  // namespace
#endif

void keccak_f1600(uint64_t s[25]) noexcept {
#ifdef KECCAK_HAVE_BMI
    static const bool use_bmi = cpu_has_bmi12();
    if (use_bmi) {
        keccak_f1600_bmi(s);
        return;
    }
#endif
    keccak_f1600_generic(s);
}

void keccak_init(KeccakSponge* sp, uint32_t rate) noexcept {
    std::memset(sp->a, 0, sizeof sp->a);
    sp->rate = rate;
    sp->pos = 0;
    sp->squeezing = 0;
    sp->reserved = 0;
}

static inline void keccak_xor_byte(KeccakSponge* sp, uint32_t pos, uint32_t byte) noexcept {
    sp->a[pos >> 3] ^= static_cast<uint64_t>(byte & 0xFF) << (8 * (pos & 7));
}

void keccak_absorb(KeccakSponge* sp, const uint8_t* data, std::size_t len) noexcept {
    const uint32_t rate = sp->rate;
    while (sp->pos != 0 && len != 0) {
        keccak_xor_byte(sp, sp->pos, *data++);
        --len;
        if (++sp->pos == rate) {
            keccak_f1600(sp->a);
            sp->pos = 0;
        }
    }
    const uint32_t lanes = rate / 8;
    while (len >= rate) {
        for (uint32_t i = 0; i < lanes; ++i) sp->a[i] ^= load_le64(data + 8 * i);
        keccak_f1600(sp->a);
        data += rate;
        len -= rate;
    }
    while (len != 0) {
        keccak_xor_byte(sp, sp->pos++, *data++);
        --len;
    }
}

void keccak_pad(KeccakSponge* sp, uint8_t domain) noexcept {
    keccak_xor_byte(sp, sp->pos, domain);
    keccak_xor_byte(sp, sp->rate - 1, 0x80);
    keccak_f1600(sp->a);
    sp->pos = 0;
    sp->squeezing = 1;
}

void keccak_pad_bits(KeccakSponge* sp, uint32_t bits, unsigned nbits) noexcept {
    uint32_t bitpos = sp->pos * 8;
    const uint32_t block_bits = sp->rate * 8;
    for (unsigned i = 0; i < nbits; ++i) {
        if ((bits >> i) & 1u) sp->a[bitpos >> 6] ^= static_cast<uint64_t>(1) << (bitpos & 63);
        if (++bitpos == block_bits) {
            keccak_f1600(sp->a);
            bitpos = 0;
        }
    }
    // The final 1 of pad10*1 needs the last bit of a block that bitpos has
    // not passed; when bitpos wrapped to 0 above, that is the fresh block.
    keccak_xor_byte(sp, sp->rate - 1, 0x80);
    keccak_f1600(sp->a);
    sp->pos = 0;
    sp->squeezing = 1;
}

void keccak_squeeze(KeccakSponge* sp, uint8_t* out, std::size_t len) noexcept {
    const uint32_t rate = sp->rate;
    while (len != 0) {
        if (sp->pos == rate) {
            keccak_f1600(sp->a);
            sp->pos = 0;
        }
        if (sp->pos == 0 && len >= rate) {
            for (uint32_t i = 0; i < rate / 8; ++i) store_le64(out + 8 * i, sp->a[i]);
            out += rate;
            len -= rate;
            sp->pos = rate;
            continue;
        }
        const uint32_t p = sp->pos;
        *out++ = static_cast<uint8_t>(sp->a[p >> 3] >> (8 * (p & 7)));
        ++sp->pos;
        --len;
    }
}
