// MGF1: counter-mode hashing of a seed.
#include "hash/mgf1.h"

#include <cstring>

#include "core/wipe.h"
#include "core/endian.h"
#include "hash/hash_engine.h"
#include "tessalib.h"

int64_t mgf1(uint8_t* out, std::size_t out_len, const uint8_t* seed, std::size_t seed_len, uint32_t code) noexcept {
    if (out_len == 0) return -BAD_PARAM_ERROR;
    if (!hash_code_sha12(code)) return -BAD_FLAG_ERROR;
    const HashAlgorithm* alg = hash_algorithm(code);
    const std::size_t hlen = alg->digest_len;
    HashState seeded;
    HashState st;
    alg->init(&seeded);
    if (seed_len != 0) alg->update(&seeded, seed, seed_len);
    uint8_t block[kHashMaxDigestLen];
    uint8_t counter[4];
    std::size_t done = 0;
    for (uint32_t c = 0; done < out_len; ++c) {
        st = seeded;
        store_be32(counter, c);
        alg->update(&st, counter, sizeof counter);
        const std::size_t take = out_len - done < hlen ? out_len - done : hlen;
        if (take == hlen) {
            alg->final(&st, out + done);
        } else {
            alg->final(&st, block);
            std::memcpy(out + done, block, take);
        }
        done += take;
    }
    secure_wipe(block, sizeof block);
    secure_wipe_obj(seeded);
    secure_wipe_obj(st);
    return static_cast<int64_t>(out_len);
}
