// HMAC (RFC 2104, FIPS 198-1) over the hash engines: streaming on a plain
// record whose keyed inner and outer states are computed once per key, and
// the one-shot dispatcher over hash codes.
#pragma once
#include <cstddef>
#include <cstdint>

#include "hash/hash_engine.h"

// A keyed HMAC computation. inner_key and outer_key are the hash states after
// the padded key block (key XOR 0x36, key XOR 0x5C); restarting a message
// only copies inner_key, so a key is prepared once however many messages it
// authenticates.
struct HmacState {
    uint32_t code;       // hash code
    uint32_t tag_len;    // digest length of the hash
    HashState inner_key;
    HashState outer_key;
    HashState inner;     // the running inner hash of the current message
};

// The descriptor of a hash code HMAC accepts (0, 1, 3-7, 10-13), else null
// (MD2, HASH160, the Ascon hashes and the unassigned codes).
const HashAlgorithm* hmac_algorithm(uint32_t code) noexcept;

// Keys st with key[0..key_len) for the hash code; a key longer than the
// hash's block (the rate for SHA-3) is replaced by its digest. False for a
// code hmac_algorithm refuses (st is then left untouched).
bool hmac_init(HmacState* st, uint32_t code, const uint8_t* key, std::size_t key_len) noexcept;
void hmac_update(HmacState* st, const uint8_t* data, std::size_t len) noexcept;
// Writes the tag (tag_len bytes) and wipes the whole state.
void hmac_final(HmacState* st, uint8_t* tag) noexcept;
// Writes the tag and starts a new message under the same key.
void hmac_final_restart(HmacState* st, uint8_t* tag) noexcept;
// Drops the current message and starts a new one under the same key.
void hmac_restart(HmacState* st) noexcept;

// The one-shot dispatcher: HMAC of msg under key with the hash code. Copies
// min(capacity, tag length) bytes to out and returns that number; with out
// null or capacity 0 writes nothing and returns the tag length.
// -BAD_FLAG_ERROR for a code hmac_algorithm refuses.
int32_t hmac_bytes(uint8_t* out, std::size_t capacity, const uint8_t* msg, std::size_t msg_len, const uint8_t* key,
                   std::size_t key_len, uint32_t code) noexcept;

// HMAC-SHA3 with a digest size in bits (224, 256, 384, 512); -BAD_FLAG_ERROR
// for any other size.
int32_t hmac_sha3(uint8_t* out, std::size_t cap, const uint8_t* msg, std::size_t len, const uint8_t* key,
                  std::size_t key_len, int32_t bits) noexcept;
