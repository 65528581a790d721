// HMAC over the hash descriptors: the padded key blocks are absorbed once
// into two saved states, and every message starts from a copy of them.
#include "hash/hmac.h"

#include <cstring>

#include "core/wipe.h"
#include "tessalib.h"

const HashAlgorithm* hmac_algorithm(uint32_t code) noexcept {
    switch (code) {
        case kHashSha1:
        case kHashMd5:
        case kHashSha256:
        case kHashSha384:
        case kHashSha512:
        case kHashSha224:
        case kHashRipemd160:
        case kHashSha3_224:
        case kHashSha3_256:
        case kHashSha3_384:
        case kHashSha3_512:
            return hash_algorithm(code);
        default:
            return nullptr;
    }
}

bool hmac_init(HmacState* st, uint32_t code, const uint8_t* key, std::size_t key_len) noexcept {
    const HashAlgorithm* alg = hmac_algorithm(code);
    if (alg == nullptr) return false;
    const std::size_t block = alg->block_len;
    uint8_t pad[kHashMaxBlockLen];
    std::memset(pad, 0, sizeof pad);
    if (key_len > block) {
        hash_digest(alg, key, key_len, pad);
    } else if (key_len != 0) {
        std::memcpy(pad, key, key_len);
    }
    for (std::size_t i = 0; i < block; ++i) pad[i] ^= 0x36;
    alg->init(&st->inner_key);
    alg->update(&st->inner_key, pad, block);
    for (std::size_t i = 0; i < block; ++i) pad[i] ^= 0x36 ^ 0x5C;
    alg->init(&st->outer_key);
    alg->update(&st->outer_key, pad, block);
    secure_wipe(pad, sizeof pad);
    st->code = code;
    st->tag_len = alg->digest_len;
    st->inner = st->inner_key;
    return true;
}

void hmac_update(HmacState* st, const uint8_t* data, std::size_t len) noexcept {
    if (len == 0) return;
    hash_algorithm(st->code)->update(&st->inner, data, len);
}

void hmac_restart(HmacState* st) noexcept { st->inner = st->inner_key; }

void hmac_final_restart(HmacState* st, uint8_t* tag) noexcept {
    const HashAlgorithm* alg = hash_algorithm(st->code);
    uint8_t digest[kHashMaxDigestLen];
    alg->final(&st->inner, digest);
    st->inner = st->outer_key;
    alg->update(&st->inner, digest, alg->digest_len);
    alg->final(&st->inner, tag);
    secure_wipe(digest, sizeof digest);
    st->inner = st->inner_key;
}

void hmac_final(HmacState* st, uint8_t* tag) noexcept {
    hmac_final_restart(st, tag);
    secure_wipe_obj(*st);
}

int32_t hmac_bytes(uint8_t* out, std::size_t capacity, const uint8_t* msg, std::size_t msg_len, const uint8_t* key,
                   std::size_t key_len, uint32_t code) noexcept {
    HmacState st;
    if (!hmac_init(&st, code, key, key_len)) return -BAD_FLAG_ERROR;
    uint8_t tag[kHashMaxDigestLen];
    std::size_t n = st.tag_len;
    hmac_update(&st, msg, msg_len);
    hmac_final(&st, tag);
    if (out != nullptr && capacity > 0) {
        if (capacity < n) n = capacity;
        std::memcpy(out, tag, n);
    }
    secure_wipe(tag, sizeof tag);
    return static_cast<int32_t>(n);
}

int32_t hmac_sha3(uint8_t* out, std::size_t cap, const uint8_t* msg, std::size_t len, const uint8_t* key,
                  std::size_t key_len, int32_t bits) noexcept {
    uint32_t code;
    switch (bits) {
        case 224: code = kHashSha3_224; break;
        case 256: code = kHashSha3_256; break;
        case 384: code = kHashSha3_384; break;
        case 512: code = kHashSha3_512; break;
        default: return -BAD_FLAG_ERROR;
    }
    return hmac_bytes(out, cap, msg, len, key, key_len, code);
}
