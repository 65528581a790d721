// Arcfour.
#include "aead/arcfour.h"

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

void arcfour_xor(ArcfourState* st, uint8_t* out, const uint8_t* in, std::size_t len) noexcept {
    // The indices are 8-bit variables, so the wrap at 256 costs nothing,
    // and the steps are unrolled eight at a time: the generator's one chain
    // is j, and the loads and stores of the other steps overlap it.
    uint8_t* s = st->s;
    uint8_t i = static_cast<uint8_t>(st->i), j = static_cast<uint8_t>(st->j);
    const auto step = [&](std::size_t k) {
        ++i;
        const uint8_t a = s[i];
        j = static_cast<uint8_t>(j + a);
        const uint8_t b = s[j];
        s[i] = b;
        s[j] = a;
        out[k] = static_cast<uint8_t>(in[k] ^ s[static_cast<uint8_t>(a + b)]);
    };
    for (; len >= 8; len -= 8, in += 8, out += 8)
        for (std::size_t k = 0; k < 8; ++k) step(k);
    for (; len != 0; --len, ++in, ++out) step(0);
    st->i = i;
    st->j = j;
}
