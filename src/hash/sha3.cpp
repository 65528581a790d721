// SHA-3 hash functions: the sponge with capacity twice the digest length
// and the domain bits 01.
#include "hash/sha3.h"

#include "core/wipe.h"

namespace {
constexpr uint8_t kSha3Domain = 0x06;  // bits 0 1, then the first padding bit
}

bool sha3_init(Sha3State* st, int32_t bits) noexcept {
    if (bits != 224 && bits != 256 && bits != 384 && bits != 512) return false;
    st->digest_len = static_cast<uint32_t>(bits) / 8;
    st->reserved = 0;
    keccak_init(&st->sponge, sha3_rate(st->digest_len));
    return true;
}

void sha3_update(Sha3State* st, const uint8_t* data, std::size_t len) noexcept {
    keccak_absorb(&st->sponge, data, len);
}

static std::size_t sha3_output(Sha3State* st, uint8_t* out, std::size_t capacity) noexcept {
    std::size_t n = st->digest_len;
    if (capacity < n) n = capacity;
    keccak_squeeze(&st->sponge, out, n);
    secure_wipe_obj(*st);
    return n;
}

std::size_t sha3_final(Sha3State* st, uint8_t* out, std::size_t capacity) noexcept {
    keccak_pad(&st->sponge, kSha3Domain);
    return sha3_output(st, out, capacity);
}

std::size_t sha3_final_bits(Sha3State* st, uint8_t last, unsigned nbits, uint8_t* out,
                            std::size_t capacity) noexcept {
    if (nbits == 0) return sha3_final(st, out, capacity);
    const uint32_t message_bits = static_cast<uint32_t>(last) >> (8 - nbits);
    keccak_pad_bits(&st->sponge, message_bits | (static_cast<uint32_t>(kSha3Domain) << nbits), nbits + 3);
    return sha3_output(st, out, capacity);
}
