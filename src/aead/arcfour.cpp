// Arcfour.
#include "aead/arcfour.h"

#include "core/endian.h"

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

// One output byte of the generator; i and j are kept in registers.
inline uint32_t next_byte(uint8_t* s, uint32_t& i, uint32_t& j) noexcept {
    i = (i + 1) & 0xFF;
    const uint32_t a = s[i];
    j = (j + a) & 0xFF;
    const uint32_t b = s[j];
    s[i] = static_cast<uint8_t>(b);
    s[j] = static_cast<uint8_t>(a);
    return s[(a + b) & 0xFF];
}

}  // namespace

void arcfour_xor(ArcfourState* st, uint8_t* out, const uint8_t* in, std::size_t len) noexcept {
    uint8_t* s = st->s;
    uint32_t i = st->i, j = st->j;
    // Eight bytes of keystream gathered into a word and XORed at once.
    for (; len >= 8; len -= 8, in += 8, out += 8) {
        uint64_t k = 0;
        for (int b = 0; b < 8; ++b) k |= static_cast<uint64_t>(next_byte(s, i, j)) << (8 * b);
        store_le64(out, load_le64(in) ^ k);
    }
    for (; len != 0; --len) *out++ = static_cast<uint8_t>(*in++ ^ next_byte(s, i, j));
    st->i = i;
    st->j = j;
}
