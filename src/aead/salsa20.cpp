// Salsa20: its rounds and state layout over the keystream machinery it
// shares with ChaCha20 (aead/arx_lanes.h).
#include "aead/salsa20.h"

#include "aead/arx_lanes.h"

namespace {

// One step of a quarter-round: x ^= (a + b) <<< N.
template <int N, typename W>
ARX_INLINE void step(W& x, const W& a, const W& b) noexcept {
    W t = a + b;
    arx::rotl<N>(t);
    x ^= t;
}

template <typename W>
ARX_INLINE void quarter_round(W& a, W& b, W& c, W& d) noexcept {
    step<7>(b, a, d);
    step<9>(c, b, a);
    step<13>(d, c, b);
    step<18>(a, d, c);
}

// Salsa20 for the shared machinery: the counter in words 8 and 9, and the
// twenty rounds (ten column and ten row rounds), in place.
struct SalsaCore {
    static constexpr int kCounterWord = 8;
    template <typename W>
    static ARX_INLINE void rounds(W (&x)[16]) noexcept {
        for (int i = 0; i < 10; ++i) {
            quarter_round(x[0], x[4], x[8], x[12]);
            quarter_round(x[5], x[9], x[13], x[1]);
            quarter_round(x[10], x[14], x[2], x[6]);
            quarter_round(x[15], x[3], x[7], x[11]);
            quarter_round(x[0], x[1], x[2], x[3]);
            quarter_round(x[5], x[6], x[7], x[4]);
            quarter_round(x[10], x[11], x[8], x[9]);
            quarter_round(x[15], x[12], x[13], x[14]);
        }
    }
};

}  // namespace

void salsa20_setup(Salsa20State* st, const uint8_t* key, std::size_t key_len, const uint8_t iv[8]) noexcept {
    static const uint8_t kSigma[16] = {'e', 'x', 'p', 'a', 'n', 'd', ' ', '3', '2', '-', 'b', 'y', 't', 'e', ' ', 'k'};
    static const uint8_t kTau[16] = {'e', 'x', 'p', 'a', 'n', 'd', ' ', '1', '6', '-', 'b', 'y', 't', 'e', ' ', 'k'};
    const uint8_t* constant = key_len == 32 ? kSigma : kTau;
    const uint8_t* second = key_len == 32 ? key + 16 : key;
    for (int i = 0; i < 4; ++i) {
        st->w[5 * i] = load_le32(constant + 4 * i);
        st->w[1 + i] = load_le32(key + 4 * i);
        st->w[11 + i] = load_le32(second + 4 * i);
    }
    st->w[6] = load_le32(iv);
    st->w[7] = load_le32(iv + 4);
    st->w[8] = 0;
    st->w[9] = 0;
}

void salsa20_seek(Salsa20State* st, uint64_t block) noexcept {
    st->w[8] = static_cast<uint32_t>(block);
    st->w[9] = static_cast<uint32_t>(block >> 32);
}

void salsa20_xor_blocks_path(ArxPath path, Salsa20State* st, uint8_t* out, const uint8_t* in,
                             std::size_t nblocks) noexcept {
    arx::xor_blocks_path<SalsaCore>(path, st->w, out, in, nblocks);
}

void salsa20_xor_blocks(Salsa20State* st, uint8_t* out, const uint8_t* in, std::size_t nblocks) noexcept {
    static const ArxPath best = arx::best_path();
    salsa20_xor_blocks_path(best, st, out, in, nblocks);
}

void salsa20_stream_start(Salsa20Stream* s, const Salsa20State* st) noexcept {
    s->st = *st;
    secure_wipe(s->keystream, sizeof s->keystream);
    s->pos = 0;
    s->reserved = 0;
}

void salsa20_stream_xor(Salsa20Stream* s, uint8_t* out, const uint8_t* in, std::size_t len) noexcept {
    arx::stream_xor<SalsaCore>(s->st.w, s->keystream, s->pos, out, in, len,
                               [s](uint8_t* o, const uint8_t* i, std::size_t n) { salsa20_xor_blocks(&s->st, o, i, n); });
}
