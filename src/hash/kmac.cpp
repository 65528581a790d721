// KMAC on the Keccak sponge. The bytepad blocks are absorbed piece by piece:
// every bytepad here starts a rate block, so padding to the rate is the same
// as filling the sponge's current block with zeros.
#include "hash/kmac.h"

#include <cstring>

#include "core/wipe.h"

namespace {

constexpr uint8_t kCshakeDomain = 0x04;  // cSHAKE bits 0 0, then the first padding bit
constexpr uint8_t kFunctionName[4] = {'K', 'M', 'A', 'C'};
constexpr uint8_t kZeros[200] = {0};

// encode_string(s): left_encode of the bit length, then the bytes.
void absorb_encoded_string(KeccakSponge* sp, const uint8_t* s, std::size_t len) noexcept {
    uint8_t enc[9];
    const std::size_t n = kmac_left_encode(enc, static_cast<uint64_t>(len) * 8);
    keccak_absorb(sp, enc, n);
    if (len != 0) keccak_absorb(sp, s, len);
}

// The rest of the current rate block as zeros (nothing when it is full).
void absorb_pad_to_rate(KeccakSponge* sp) noexcept {
    if (sp->pos != 0) keccak_absorb(sp, kZeros, sp->rate - sp->pos);
}

}  // namespace

std::size_t kmac_left_encode(uint8_t out[9], uint64_t x) noexcept {
    std::size_t n = 1;
    while (n < 8 && (x >> (8 * n)) != 0) ++n;
    out[0] = static_cast<uint8_t>(n);
    for (std::size_t i = 0; i < n; ++i) out[1 + i] = static_cast<uint8_t>(x >> (8 * (n - 1 - i)));
    return n + 1;
}

std::size_t kmac_right_encode(uint8_t out[9], uint64_t x) noexcept {
    std::size_t n = 1;
    while (n < 8 && (x >> (8 * n)) != 0) ++n;
    for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>(x >> (8 * (n - 1 - i)));
    out[n] = static_cast<uint8_t>(n);
    return n + 1;
}

void kmac_init(KmacState* st, unsigned strength, const uint8_t* key, std::size_t key_len, const uint8_t* custom,
               std::size_t custom_len) noexcept {
    const uint32_t rate = strength == 128 ? 168 : 136;
    KeccakSponge* sp = &st->sponge;
    keccak_init(sp, rate);
    uint8_t enc[9];
    // bytepad(encode_string("KMAC") || encode_string(S), rate)
    std::size_t n = kmac_left_encode(enc, rate);
    keccak_absorb(sp, enc, n);
    absorb_encoded_string(sp, kFunctionName, sizeof kFunctionName);
    absorb_encoded_string(sp, custom, custom_len);
    absorb_pad_to_rate(sp);
    // bytepad(encode_string(K), rate)
    n = kmac_left_encode(enc, rate);
    keccak_absorb(sp, enc, n);
    absorb_encoded_string(sp, key, key_len);
    absorb_pad_to_rate(sp);
}

void kmac_update(KmacState* st, const uint8_t* data, std::size_t len) noexcept {
    if (len != 0) keccak_absorb(&st->sponge, data, len);
}

void kmac_final(KmacState* st, uint8_t* out, std::size_t out_len) noexcept {
    uint8_t enc[9];
    const std::size_t n = kmac_right_encode(enc, static_cast<uint64_t>(out_len) * 8);
    keccak_absorb(&st->sponge, enc, n);
    keccak_pad(&st->sponge, kCshakeDomain);
    keccak_squeeze(&st->sponge, out, out_len);
    secure_wipe_obj(*st);
}

std::size_t kmac_bytes(uint8_t* out, std::size_t out_len, const uint8_t* msg, std::size_t msg_len, const uint8_t* key,
                       std::size_t key_len, const char* custom, unsigned strength) noexcept {
    const std::size_t custom_len = custom != nullptr ? std::strlen(custom) : 0;
    KmacState st;
    kmac_init(&st, strength, key, key_len, reinterpret_cast<const uint8_t*>(custom), custom_len);
    kmac_update(&st, msg, msg_len);
    kmac_final(&st, out, out_len);
    return out_len;
}
