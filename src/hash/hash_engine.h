// The hash engine: one descriptor per hash code (digest and block sizes and
// streaming operations over a union state) and the one-shot dispatcher.
// HMAC, PBKDF2 and MGF1 select a digest through here.
#pragma once
#include <cstddef>
#include <cstdint>

#include "hash/ascon.h"
#include "hash/md2.h"
#include "hash/md5.h"
#include "hash/ripemd160.h"
#include "hash/sha1.h"
#include "hash/sha256.h"
#include "hash/sha3.h"
#include "hash/sha512.h"
#include "tessalib.h"

// Hash codes (the low four bits of an option word; the whole low byte for
// the two Ascon codes), named after the public HASH_ALG_ constants.
enum HashCode : uint32_t {
    kHashSha1 = HASH_ALG_SHA1,
    kHashMd5 = HASH_ALG_MD5,
    kHashMd2 = HASH_ALG_MD2,
    kHashSha256 = HASH_ALG_SHA256,
    kHashSha384 = HASH_ALG_SHA384,
    kHashSha512 = HASH_ALG_SHA512,
    kHashSha224 = HASH_ALG_SHA224,
    kHashRipemd160 = HASH_ALG_RMD160,
    kHashHash160 = HASH_ALG_HASH160,  // RIPEMD-160 of the SHA-256 digest
    kHashSha3_224 = HASH_ALG_SHA3_224,
    kHashSha3_256 = HASH_ALG_SHA3_256,
    kHashSha3_384 = HASH_ALG_SHA3_384,
    kHashSha3_512 = HASH_ALG_SHA3_512,
    kHashAsconHash = HASH_ALG_ASCON_HASH,
    kHashAsconHasha = HASH_ALG_ASCON_HASHA,
};

constexpr std::size_t kHashMaxDigestLen = 64;
constexpr std::size_t kHashMaxBlockLen = 144;  // SHA3-224 rate

union HashState {
    Sha1State sha1;
    Sha256State sha256;  // also SHA-224 and the first stage of HASH160
    Sha512State sha512;  // also SHA-384
    Md5State md5;
    Md2State md2;
    Ripemd160State ripemd160;
    Sha3State sha3;
    AsconHashState ascon;
};

// A streaming digest selected by code. The state is a plain record: copying
// a HashState copies the running computation (HMAC keeps its keyed inner and
// outer states that way).
struct HashAlgorithm {
    uint32_t code;
    uint32_t digest_len;  // bytes
    uint32_t block_len;   // bytes per compression block (the rate for SHA-3,
                          // 8 for Ascon); 0 for HASH160, which has no HMAC
    void (*init)(HashState* st) noexcept;
    void (*update)(HashState* st, const uint8_t* data, std::size_t len) noexcept;
    // Writes digest_len bytes to out and wipes the state.
    void (*final)(HashState* st, uint8_t* out) noexcept;
};

// The descriptor of the algorithm an option word selects: the low four bits,
// or for a low nibble of 15 the whole low byte (0xAF, 0xBF). Null for the
// unassigned codes (9, 14, other values with a low nibble of 15).
const HashAlgorithm* hash_algorithm(uint32_t options) noexcept;

// One-shot digest with a descriptor; out holds digest_len bytes.
void hash_digest(const HashAlgorithm* alg, const uint8_t* msg, std::size_t len, uint8_t* out) noexcept;

// True for the SHA-1 and SHA-2 codes (0, 3, 4, 5, 6): the digests of PBKDF2
// and MGF1.
bool hash_code_sha12(uint32_t code) noexcept;
// True for the codes a streaming HASH_ or MAC_ context accepts: SHA-1, SHA-2
// and SHA-3 (0, 3-6, 10-13).
bool hash_code_streaming(uint32_t code) noexcept;

// Digest length of the code in the option word, or -BAD_FLAG_ERROR.
int32_t hash_digest_length(uint32_t options) noexcept;

// The dispatcher: hashes msg with the code in the option word, honouring
// HASH_OPT_DOUBLE for codes 0-7. Copies min(capacity, digest length) bytes to
// out and returns that number; with out null or capacity 0 writes nothing
// and returns the digest length. -BAD_FLAG_ERROR for an unassigned code.
int32_t hash_bytes(uint8_t* out, std::size_t capacity, const uint8_t* msg, std::size_t len,
                   uint32_t options) noexcept;

// Replaces digest (digest_len bytes) by its own digest when the option word
// asks for it (HASH_OPT_DOUBLE with a code 0-7).
void hash_apply_double(const HashAlgorithm* alg, uint32_t options, uint8_t* digest) noexcept;

// Bit-string hashing: the first nbits / 8 bytes of msg are whole bytes and,
// when nbits % 8 is not 0, the next byte carries the last bits at its most
// significant end. SHA-1/2 take that byte with its unused low bits as they
// are; SHA-3 discards them. Writes the whole digest to out (64 bytes room)
// and returns its length; -BAD_FLAG_ERROR for codes other than 0, 3-6, 10-13.
int32_t hash_bits(uint8_t* out, const uint8_t* msg, uint64_t nbits, uint32_t options) noexcept;
