// PBKDF2. The key's padded blocks are hashed once (HmacState keeps the two
// keyed states); every iteration after the first is then two compressions
// of one pre-padded block: U || padding, hashed from the inner keyed chaining
// value, the result written over U, hashed again from the outer one.
#include "hash/pbkdf2.h"

#include <cstring>

#include "core/wipe.h"
#include "core/endian.h"
#include "hash/hmac.h"
#include "tessalib.h"

namespace {

inline void store_be(uint8_t* p, uint32_t v) noexcept { store_be32(p, v); }
inline void store_be(uint8_t* p, uint64_t v) noexcept { store_be64(p, v); }
inline void load_be(const uint8_t* p, uint32_t* v) noexcept { *v = load_be32(p); }
inline void load_be(const uint8_t* p, uint64_t* v) noexcept { *v = load_be64(p); }

// The raw compression function and chaining value of each hash family.
struct Sha1Raw {
    using Word = uint32_t;
    static constexpr std::size_t kStateWords = 5;
    static constexpr std::size_t kBlockLen = 64;
    static const Word* chain(const HashState& s) noexcept { return s.sha1.h; }
    static void compress(Word* h, const uint8_t* p) noexcept { sha1_blocks(h, p, 1); }
};

struct Sha256Raw {
    using Word = uint32_t;
    static constexpr std::size_t kStateWords = 8;
    static constexpr std::size_t kBlockLen = 64;
    static const Word* chain(const HashState& s) noexcept { return s.sha256.h; }
    static void compress(Word* h, const uint8_t* p) noexcept { sha256_blocks(h, p, 1); }
};

struct Sha512Raw {
    using Word = uint64_t;
    static constexpr std::size_t kStateWords = 8;
    static constexpr std::size_t kBlockLen = 128;
    static const Word* chain(const HashState& s) noexcept { return s.sha512.h; }
    static void compress(Word* h, const uint8_t* p) noexcept { sha512_blocks(h, p, 1); }
};

// T_i = U_1 ^ ... ^ U_c into t_out (tag_len bytes). `salted` is the keyed
// inner state with the salt absorbed.
template <class Raw>
void derive_block(const HmacState& key, const HashState& salted, uint32_t index, uint32_t iterations,
                  uint8_t* t_out) noexcept {
    using Word = typename Raw::Word;
    constexpr std::size_t kW = sizeof(Word);
    const HashAlgorithm* alg = hash_algorithm(key.code);
    const std::size_t hlen = key.tag_len;
    const std::size_t words = hlen / kW;

    // U_1 = HMAC(P, S || INT(i)) through the streaming states.
    alignas(16) uint8_t buf[Raw::kBlockLen];
    HashState st = salted;
    uint8_t be_index[4];
    store_be32(be_index, index);
    alg->update(&st, be_index, sizeof be_index);
    alg->final(&st, buf);
    st = key.outer_key;
    alg->update(&st, buf, hlen);
    alg->final(&st, buf);

    Word t[Raw::kStateWords];
    for (std::size_t i = 0; i < words; ++i) load_be(buf + i * kW, &t[i]);

    // Both hashes of an iteration take a message of hlen bytes after one key
    // block, so the padding after U is the same for both and is written once.
    std::memset(buf + hlen, 0, Raw::kBlockLen - hlen);
    buf[hlen] = 0x80;
    store_be64(buf + Raw::kBlockLen - 8, static_cast<uint64_t>(Raw::kBlockLen + hlen) * 8);

    Word hin[Raw::kStateWords], hout[Raw::kStateWords], h[Raw::kStateWords];
    std::memcpy(hin, Raw::chain(key.inner_key), sizeof hin);
    std::memcpy(hout, Raw::chain(key.outer_key), sizeof hout);
    for (uint32_t j = 1; j < iterations; ++j) {
        std::memcpy(h, hin, sizeof h);
        Raw::compress(h, buf);
        for (std::size_t i = 0; i < words; ++i) store_be(buf + i * kW, h[i]);
        std::memcpy(h, hout, sizeof h);
        Raw::compress(h, buf);
        for (std::size_t i = 0; i < words; ++i) {
            store_be(buf + i * kW, h[i]);
            t[i] ^= h[i];
        }
    }
    for (std::size_t i = 0; i < words; ++i) store_be(t_out + i * kW, t[i]);

    secure_wipe(buf, sizeof buf);
    secure_wipe(t, sizeof t);
    secure_wipe(h, sizeof h);
    secure_wipe(hin, sizeof hin);
    secure_wipe(hout, sizeof hout);
    secure_wipe_obj(st);
}

template <class Raw>
void derive(uint8_t* out, uint64_t out_len, const HmacState& key, const HashState& salted,
            uint32_t iterations) noexcept {
    const std::size_t hlen = key.tag_len;
    uint32_t index = 1;
    while (out_len >= hlen) {
        derive_block<Raw>(key, salted, index++, iterations, out);
        out += hlen;
        out_len -= hlen;
    }
    if (out_len != 0) {
        uint8_t last[kHashMaxDigestLen];
        derive_block<Raw>(key, salted, index, iterations, last);
        std::memcpy(out, last, static_cast<std::size_t>(out_len));
        secure_wipe(last, sizeof last);
    }
}

}  // namespace

bool pbkdf2_code_supported(uint32_t code) noexcept { return hash_code_sha12(code); }

int32_t pbkdf2(uint8_t* out, uint64_t out_len, const uint8_t* password, std::size_t password_len, const uint8_t* salt,
               std::size_t salt_len, uint32_t iterations, uint32_t code) noexcept {
    if (out == nullptr || (password == nullptr && password_len != 0) || (salt == nullptr && salt_len != 0))
        return -NULL_ERROR;
    if (out_len == 0 || iterations == 0 || !pbkdf2_code_supported(code)) return -BAD_PARAM_ERROR;
    const HashAlgorithm* alg = hash_algorithm(code);
    const uint64_t blocks = out_len / alg->digest_len + (out_len % alg->digest_len != 0 ? 1 : 0);
    if (blocks > 0xFFFFFFFFull) return -BAD_PARAM_ERROR;

    HmacState key;
    hmac_init(&key, code, password, password_len);
    HashState salted = key.inner_key;
    if (salt_len != 0) alg->update(&salted, salt, salt_len);
    switch (code) {
        case kHashSha1:
            derive<Sha1Raw>(out, out_len, key, salted, iterations);
            break;
        case kHashSha256:
        case kHashSha224:
            derive<Sha256Raw>(out, out_len, key, salted, iterations);
            break;
        default:
            derive<Sha512Raw>(out, out_len, key, salted, iterations);
            break;
    }
    secure_wipe_obj(key);
    secure_wipe_obj(salted);
    return 0;
}
