// ChaCha20: its rounds and state layout over the keystream machinery it
// shares with Salsa20 (aead/arx_lanes.h); the ways of making blocks are
// defined here for both.
#include "aead/chacha20.h"

#include "aead/arx_lanes.h"

namespace {

template <typename W>
ARX_INLINE void quarter_round(W& a, W& b, W& c, W& d) noexcept {
    a += b, d ^= a, arx::rotl<16>(d);
    c += d, b ^= c, arx::rotl<12>(b);
    a += b, d ^= a, arx::rotl<8>(d);
    c += d, b ^= c, arx::rotl<7>(b);
}

// ChaCha20 for the shared machinery: the counter in words 12 and 13, and the
// twenty rounds (ten column and ten diagonal rounds), in place.
struct ChaChaCore {
    static constexpr int kCounterWord = 12;
    template <typename W>
    static ARX_INLINE void rounds(W (&x)[16]) noexcept {
        for (int i = 0; i < 10; ++i) {
            quarter_round(x[0], x[4], x[8], x[12]);
            quarter_round(x[1], x[5], x[9], x[13]);
            quarter_round(x[2], x[6], x[10], x[14]);
            quarter_round(x[3], x[7], x[11], x[15]);
            quarter_round(x[0], x[5], x[10], x[15]);
            quarter_round(x[1], x[6], x[11], x[12]);
            quarter_round(x[2], x[7], x[8], x[13]);
            quarter_round(x[3], x[4], x[9], x[14]);
        }
    }
};

}  // namespace

bool arx_path_available(ArxPath path) noexcept { return arx::path_available(path); }

void chacha20_set_key(ChaCha20State* st, const uint8_t* key, std::size_t key_len) noexcept {
    // "expand 32-byte k" or "expand 16-byte k", as four little-endian words.
    static const uint8_t kSigma[16] = {'e', 'x', 'p', 'a', 'n', 'd', ' ', '3', '2', '-', 'b', 'y', 't', 'e', ' ', 'k'};
    static const uint8_t kTau[16] = {'e', 'x', 'p', 'a', 'n', 'd', ' ', '1', '6', '-', 'b', 'y', 't', 'e', ' ', 'k'};
    const uint8_t* constant = key_len == 32 ? kSigma : kTau;
    const uint8_t* second = key_len == 32 ? key + 16 : key;
    for (int i = 0; i < 4; ++i) {
        st->w[i] = load_le32(constant + 4 * i);
        st->w[4 + i] = load_le32(key + 4 * i);
        st->w[8 + i] = load_le32(second + 4 * i);
        st->w[12 + i] = 0;
    }
}

void chacha20_set_iv(ChaCha20State* st, const uint8_t* iv, std::size_t iv_len, uint32_t counter) noexcept {
    if (iv_len == 16) {
        for (int i = 0; i < 4; ++i) st->w[12 + i] = load_le32(iv + 4 * i);
        return;
    }
    st->w[12] = counter;
    if (iv_len == 12) {
        for (int i = 0; i < 3; ++i) st->w[13 + i] = load_le32(iv + 4 * i);
    } else {
        st->w[13] = 0;
        st->w[14] = load_le32(iv);
        st->w[15] = load_le32(iv + 4);
    }
}

void chacha20_block(ChaCha20State* st, uint8_t out[64]) noexcept { arx::block_bytes<ChaChaCore>(st->w, out); }

void chacha20_xor_blocks_path(ChaCha20Path path, ChaCha20State* st, uint8_t* out, const uint8_t* in,
                              std::size_t nblocks) noexcept {
    arx::xor_blocks_path<ChaChaCore>(path, st->w, out, in, nblocks);
}

void chacha20_xor_blocks(ChaCha20State* st, uint8_t* out, const uint8_t* in, std::size_t nblocks) noexcept {
    static const ChaCha20Path best = arx::best_path();
    chacha20_xor_blocks_path(best, st, out, in, nblocks);
}

void chacha20_stream_start(ChaCha20Stream* s, const ChaCha20State* st) noexcept {
    s->st = *st;
    secure_wipe(s->keystream, sizeof s->keystream);
    s->pos = 0;
    s->reserved = 0;
}

void chacha20_stream_xor(ChaCha20Stream* s, uint8_t* out, const uint8_t* in, std::size_t len) noexcept {
    arx::stream_xor<ChaChaCore>(s->st.w, s->keystream, s->pos, out, in, len,
                                [s](uint8_t* o, const uint8_t* i, std::size_t n) { chacha20_xor_blocks(&s->st, o, i, n); });
}
