// Descriptors of the hash codes and the one-shot dispatcher.
#include "hash/hash_engine.h"

#include "core/wipe.h"
#include "tessalib.h"

namespace {

void sha1_init_op(HashState* st) noexcept { sha1_init(&st->sha1); }
void sha1_update_op(HashState* st, const uint8_t* d, std::size_t n) noexcept { sha1_update(&st->sha1, d, n); }
void sha1_final_op(HashState* st, uint8_t* out) noexcept { sha1_final(&st->sha1, out); }

void md5_init_op(HashState* st) noexcept { md5_init(&st->md5); }
void md5_update_op(HashState* st, const uint8_t* d, std::size_t n) noexcept { md5_update(&st->md5, d, n); }
void md5_final_op(HashState* st, uint8_t* out) noexcept { md5_final(&st->md5, out); }

void md2_init_op(HashState* st) noexcept { md2_init(&st->md2); }
void md2_update_op(HashState* st, const uint8_t* d, std::size_t n) noexcept { md2_update(&st->md2, d, n); }
void md2_final_op(HashState* st, uint8_t* out) noexcept { md2_final(&st->md2, out); }

void sha256_init_op(HashState* st) noexcept { sha256_init(&st->sha256); }
void sha224_init_op(HashState* st) noexcept { sha224_init(&st->sha256); }
void sha256_update_op(HashState* st, const uint8_t* d, std::size_t n) noexcept { sha256_update(&st->sha256, d, n); }
void sha256_final_op(HashState* st, uint8_t* out) noexcept { sha256_final(&st->sha256, out); }

void sha512_init_op(HashState* st) noexcept { sha512_init(&st->sha512); }
void sha384_init_op(HashState* st) noexcept { sha384_init(&st->sha512); }
void sha512_update_op(HashState* st, const uint8_t* d, std::size_t n) noexcept { sha512_update(&st->sha512, d, n); }
void sha512_final_op(HashState* st, uint8_t* out) noexcept { sha512_final(&st->sha512, out); }

void rmd160_init_op(HashState* st) noexcept { ripemd160_init(&st->ripemd160); }
void rmd160_update_op(HashState* st, const uint8_t* d, std::size_t n) noexcept {
    ripemd160_update(&st->ripemd160, d, n);
}
void rmd160_final_op(HashState* st, uint8_t* out) noexcept { ripemd160_final(&st->ripemd160, out); }

// HASH160: SHA-256 while streaming, RIPEMD-160 of its digest at the end.
void hash160_final_op(HashState* st, uint8_t* out) noexcept {
    uint8_t inner[kSha256DigestLen];
    sha256_final(&st->sha256, inner);
    ripemd160_init(&st->ripemd160);
    ripemd160_update(&st->ripemd160, inner, sizeof inner);
    ripemd160_final(&st->ripemd160, out);
    secure_wipe(inner, sizeof inner);
}

void sha3_224_init_op(HashState* st) noexcept { sha3_init(&st->sha3, 224); }
void sha3_256_init_op(HashState* st) noexcept { sha3_init(&st->sha3, 256); }
void sha3_384_init_op(HashState* st) noexcept { sha3_init(&st->sha3, 384); }
void sha3_512_init_op(HashState* st) noexcept { sha3_init(&st->sha3, 512); }
void sha3_update_op(HashState* st, const uint8_t* d, std::size_t n) noexcept { sha3_update(&st->sha3, d, n); }
void sha3_final_op(HashState* st, uint8_t* out) noexcept { sha3_final(&st->sha3, out, kHashMaxDigestLen); }

void ascon_hash_init_op(HashState* st) noexcept { ascon_hash_init(&st->ascon, AsconHashKind::hash); }
void ascon_hasha_init_op(HashState* st) noexcept { ascon_hash_init(&st->ascon, AsconHashKind::hasha); }
void ascon_update_op(HashState* st, const uint8_t* d, std::size_t n) noexcept { ascon_hash_update(&st->ascon, d, n); }
void ascon_final_op(HashState* st, uint8_t* out) noexcept { ascon_hash_final(&st->ascon, out); }

constexpr HashAlgorithm kAlgorithms[] = {
    {kHashSha1, 20, 64, sha1_init_op, sha1_update_op, sha1_final_op},
    {kHashMd5, 16, 64, md5_init_op, md5_update_op, md5_final_op},
    {kHashMd2, 16, 16, md2_init_op, md2_update_op, md2_final_op},
    {kHashSha256, 32, 64, sha256_init_op, sha256_update_op, sha256_final_op},
    {kHashSha384, 48, 128, sha384_init_op, sha512_update_op, sha512_final_op},
    {kHashSha512, 64, 128, sha512_init_op, sha512_update_op, sha512_final_op},
    {kHashSha224, 28, 64, sha224_init_op, sha256_update_op, sha256_final_op},
    {kHashRipemd160, 20, 64, rmd160_init_op, rmd160_update_op, rmd160_final_op},
    {kHashHash160, 20, 0, sha256_init_op, sha256_update_op, hash160_final_op},
    {kHashSha3_224, 28, 144, sha3_224_init_op, sha3_update_op, sha3_final_op},
    {kHashSha3_256, 32, 136, sha3_256_init_op, sha3_update_op, sha3_final_op},
    {kHashSha3_384, 48, 104, sha3_384_init_op, sha3_update_op, sha3_final_op},
    {kHashSha3_512, 64, 72, sha3_512_init_op, sha3_update_op, sha3_final_op},
    {kHashAsconHash, 32, 8, ascon_hash_init_op, ascon_update_op, ascon_final_op},
    {kHashAsconHasha, 32, 8, ascon_hasha_init_op, ascon_update_op, ascon_final_op},
};

}  // namespace

const HashAlgorithm* hash_algorithm(uint32_t options) noexcept {
    const uint32_t nibble = options & 0xF;
    if (nibble <= 8) return &kAlgorithms[nibble];
    if (nibble >= 10 && nibble <= 13) return &kAlgorithms[nibble - 1];
    if (nibble == 15) {
        const uint32_t low = options & 0xFF;
        if (low == kHashAsconHash) return &kAlgorithms[13];
        if (low == kHashAsconHasha) return &kAlgorithms[14];
    }
    return nullptr;
}

void hash_digest(const HashAlgorithm* alg, const uint8_t* msg, std::size_t len, uint8_t* out) noexcept {
    HashState st;
    alg->init(&st);
    alg->update(&st, msg, len);
    alg->final(&st, out);
}

bool hash_code_sha12(uint32_t code) noexcept {
    return code == kHashSha1 || (code >= kHashSha256 && code <= kHashSha224);
}

bool hash_code_streaming(uint32_t code) noexcept {
    return hash_code_sha12(code) || (code >= kHashSha3_224 && code <= kHashSha3_512);
}

int32_t hash_digest_length(uint32_t options) noexcept {
    const HashAlgorithm* alg = hash_algorithm(options);
    return alg ? static_cast<int32_t>(alg->digest_len) : -BAD_FLAG_ERROR;
}

void hash_apply_double(const HashAlgorithm* alg, uint32_t options, uint8_t* digest) noexcept {
    if ((options & HASH_OPT_DOUBLE) == 0 || alg->code > kHashRipemd160) return;
    uint8_t first[kHashMaxDigestLen];
    for (uint32_t i = 0; i < alg->digest_len; ++i) first[i] = digest[i];
    hash_digest(alg, first, alg->digest_len, digest);
    secure_wipe(first, sizeof first);
}

int32_t hash_bytes(uint8_t* out, std::size_t capacity, const uint8_t* msg, std::size_t len,
                   uint32_t options) noexcept {
    const HashAlgorithm* alg = hash_algorithm(options);
    if (alg == nullptr) return -BAD_FLAG_ERROR;
    uint8_t digest[kHashMaxDigestLen];
    hash_digest(alg, msg, len, digest);
    hash_apply_double(alg, options, digest);
    std::size_t n = alg->digest_len;
    if (out != nullptr && capacity > 0) {
        if (capacity < n) n = capacity;
        for (std::size_t i = 0; i < n; ++i) out[i] = digest[i];
    }
    secure_wipe(digest, sizeof digest);
    return static_cast<int32_t>(n);
}

int32_t hash_bits(uint8_t* out, const uint8_t* msg, uint64_t nbits, uint32_t options) noexcept {
    const uint32_t code = options & 0xF;
    const std::size_t whole = static_cast<std::size_t>(nbits / 8);
    const unsigned rest = static_cast<unsigned>(nbits % 8);
    const uint8_t last = rest ? msg[whole] : 0;
    HashState st;
    switch (code) {
        case kHashSha1:
            sha1_init(&st.sha1);
            sha1_update(&st.sha1, msg, whole);
            sha1_final_bits(&st.sha1, last, rest, out);
            return 20;
        case kHashSha256:
        case kHashSha224:
            if (code == kHashSha256)
                sha256_init(&st.sha256);
            else
                sha224_init(&st.sha256);
            sha256_update(&st.sha256, msg, whole);
            sha256_final_bits(&st.sha256, last, rest, out);
            return code == kHashSha256 ? 32 : 28;
        case kHashSha384:
        case kHashSha512:
            if (code == kHashSha512)
                sha512_init(&st.sha512);
            else
                sha384_init(&st.sha512);
            sha512_update(&st.sha512, msg, whole);
            sha512_final_bits(&st.sha512, last, rest, out);
            return code == kHashSha512 ? 64 : 48;
        case kHashSha3_224:
        case kHashSha3_256:
        case kHashSha3_384:
        case kHashSha3_512: {
            const int32_t bits = code == kHashSha3_224 ? 224 : code == kHashSha3_256 ? 256 : code == kHashSha3_384 ? 384 : 512;
            sha3_init(&st.sha3, bits);
            sha3_update(&st.sha3, msg, whole);
            return static_cast<int32_t>(sha3_final_bits(&st.sha3, last, rest, out, kHashMaxDigestLen));
        }
        default:
            return -BAD_FLAG_ERROR;
    }
}
