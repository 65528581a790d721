#include "rng/drbg.h"

#include <cstring>

#include "core/wipe.h"
#include "hash/hmac.h"

namespace {

// V = HMAC(K, V) with a keyed state.
void next_v(HmacState* h, uint8_t V[kDrbgOutLen]) noexcept {
    hmac_update(h, V, kDrbgOutLen);
    hmac_final_restart(h, V);
}

// K = HMAC(K, V || marker || data); V = HMAC(K, V).
void update_round(RngState* st, uint8_t marker, const ByteSpan* pieces, std::size_t count) noexcept {
    HmacState h;
    hmac_init(&h, kHashSha512, st->K, sizeof st->K);
    hmac_update(&h, st->V, sizeof st->V);
    hmac_update(&h, &marker, 1);
    for (std::size_t i = 0; i < count; ++i) hmac_update(&h, pieces[i].data, pieces[i].len);
    hmac_final(&h, st->K);
    hmac_init(&h, kHashSha512, st->K, sizeof st->K);
    next_v(&h, st->V);
    secure_wipe_obj(h);
}

}  // namespace

void drbg_update(RngState* st, const ByteSpan* pieces, std::size_t count) noexcept {
    std::size_t total = 0;
    for (std::size_t i = 0; i < count; ++i) total += pieces[i].len;
    update_round(st, 0x00, pieces, count);
    if (total != 0) update_round(st, 0x01, pieces, count);
}

void drbg_instantiate(RngState* st, const ByteSpan* pieces, std::size_t count) noexcept {
    std::memset(st->K, 0x00, sizeof st->K);
    std::memset(st->V, 0x01, sizeof st->V);
    drbg_update(st, pieces, count);
    st->reseedCounter = 1;
}

void drbg_reseed(RngState* st, const ByteSpan* pieces, std::size_t count) noexcept {
    drbg_update(st, pieces, count);
    st->reseedCounter = 1;
}

void drbg_next_block(RngState* st, uint8_t block[kDrbgOutLen]) noexcept {
    HmacState h;
    hmac_init(&h, kHashSha512, st->K, sizeof st->K);
    next_v(&h, st->V);
    std::memcpy(block, st->V, kDrbgOutLen);
    secure_wipe_obj(h);
}

void drbg_generate(RngState* st, uint8_t* out, std::size_t n, const uint8_t* add, std::size_t add_len) noexcept {
    if (add == nullptr) add_len = 0;
    if (add_len > kDrbgMaxAdditional) add_len = kDrbgMaxAdditional;
    const ByteSpan a{add, add_len};
    if (add_len != 0) drbg_update(st, &a, 1);
    HmacState h;
    hmac_init(&h, kHashSha512, st->K, sizeof st->K);
    while (n > 0) {
        next_v(&h, st->V);
        const std::size_t take = n < kDrbgOutLen ? n : kDrbgOutLen;
        std::memcpy(out, st->V, take);
        out += take;
        n -= take;
    }
    secure_wipe_obj(h);
    drbg_update(st, &a, add_len != 0 ? 1 : 0);
    st->reseedCounter += 1;
}

void drbg_validation_run(uint8_t* out, std::size_t n, const DrbgValidationInputs& in, bool generate_first) noexcept {
    RngState st;
    std::memset(&st, 0, sizeof st);
    const ByteSpan seed[3] = {in.entropy, in.nonce, in.personalization};
    drbg_instantiate(&st, seed, 3);
    const ByteSpan reseed[2] = {in.entropy_reseed, in.additional_reseed};
    if (!generate_first) drbg_reseed(&st, reseed, 2);
    drbg_generate(&st, out, n, in.additional1.data, in.additional1.len);
    if (generate_first) drbg_reseed(&st, reseed, 2);
    drbg_generate(&st, out, n, in.additional2.data, in.additional2.len);
    secure_wipe_obj(st);
}
