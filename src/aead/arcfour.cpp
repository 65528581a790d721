// Arcfour.
#include "aead/arcfour.h"

#include <cstring>

void arcfour_setup(ArcfourState* st, const uint8_t* key, std::size_t key_len) noexcept {
    for (uint32_t k = 0; k < 256; ++k) st->s[k] = static_cast<uint8_t>(k);
    uint32_t j = 0;
    std::size_t at = 0;
    for (uint32_t k = 0; k < 256; ++k) {
        const uint8_t t = st->s[k];
        j = (j + t + key[at]) & 0xFF;
        if (++at == key_len) at = 0;
        st->s[k] = st->s[j];
        st->s[j] = t;
    }
    st->i = 0;
    st->j = 0;
}

namespace {

// One step of the generator: the next keystream byte.
inline uint8_t arcfour_step(uint8_t* s, uint32_t& i, uint32_t& j) noexcept {
    i = (i + 1) & 0xFF;
    const uint32_t a = s[i];
    j = (j + a) & 0xFF;
    const uint32_t b = s[j];
    s[i] = static_cast<uint8_t>(b);
    s[j] = static_cast<uint8_t>(a);
    return s[(a + b) & 0xFF];
}

#if defined(__x86_64__) && defined(__GNUC__)
// Eight steps whose i runs over s[at..at+7] (at a multiple of 8, so the
// eight entries never wrap), j in the low byte of *j. The wrap of j at 256
// is a byte add, and the keystream bytes are gathered into one word that
// is XORed into the data at once: nine instructions a byte, where the
// compiler's code for the same steps needs thirteen.
#define TESSA_ARCFOUR_STEP(K, SHIFT)              \
    "movzbl " #K "(%[p]), %k[a]\n\t"              \
    "addb %b[a], %b[j]\n\t"                       \
    "movzbl (%[s],%[j]), %k[b]\n\t"               \
    "movb %b[b], " #K "(%[p])\n\t"                \
    "movb %b[a], (%[s],%[j])\n\t"                 \
    "addb %b[b], %b[a]\n\t"                       \
    "movzbl (%[s],%[a]), %k[b]\n\t"               \
    "shlq $" #SHIFT ", %[b]\n\t"                  \
    "orq %[b], %[ks]\n\t"

inline uint64_t arcfour_eight(uint8_t* s, uint32_t at, uint64_t* j) noexcept {
    uint8_t* p = s + at;
    uint64_t a, b, ks;
    __asm__(
        "movzbl 0(%[p]), %k[a]\n\t"
        "addb %b[a], %b[j]\n\t"
        "movzbl (%[s],%[j]), %k[b]\n\t"
        "movb %b[b], 0(%[p])\n\t"
        "movb %b[a], (%[s],%[j])\n\t"
        "addb %b[b], %b[a]\n\t"
        "movzbl (%[s],%[a]), %k[ks]\n\t"
        TESSA_ARCFOUR_STEP(1, 8) TESSA_ARCFOUR_STEP(2, 16) TESSA_ARCFOUR_STEP(3, 24)
        TESSA_ARCFOUR_STEP(4, 32) TESSA_ARCFOUR_STEP(5, 40) TESSA_ARCFOUR_STEP(6, 48)
        TESSA_ARCFOUR_STEP(7, 56)
        : [j] "+r"(*j), [a] "=&r"(a), [b] "=&r"(b), [ks] "=&r"(ks),
          "+m"(*reinterpret_cast<uint8_t(*)[256]>(s))
        : [s] "r"(s), [p] "r"(p));
    return ks;
}
#undef TESSA_ARCFOUR_STEP
#define TESSA_ARCFOUR_EIGHT 1
#endif

}  // namespace

void arcfour_xor(ArcfourState* st, uint8_t* out, const uint8_t* in, std::size_t len) noexcept {
    uint8_t* s = st->s;
    uint32_t i = st->i, j = st->j;
    std::size_t k = 0;
#ifdef TESSA_ARCFOUR_EIGHT
    // Single steps until the next i starts an aligned run of eight, then
    // eight at a time (little endian: keystream byte n is bits 8n..8n+7).
    for (; k < len && ((i + 1) & 7) != 0; ++k) out[k] = static_cast<uint8_t>(in[k] ^ arcfour_step(s, i, j));
    uint64_t jw = j;
    for (; len - k >= 8; k += 8) {
        const uint64_t ks = arcfour_eight(s, (i + 1) & 0xFF, &jw);
        uint64_t w;
        std::memcpy(&w, in + k, 8);
        w ^= ks;
        std::memcpy(out + k, &w, 8);
        i = (i + 8) & 0xFF;
    }
    j = static_cast<uint32_t>(jw);
#endif
    for (; k < len; ++k) out[k] = static_cast<uint8_t>(in[k] ^ arcfour_step(s, i, j));
    st->i = i;
    st->j = j;
}
