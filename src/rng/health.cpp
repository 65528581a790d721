// The generator's health check: known answers of HMAC-SHA-512 (RFC 4231
// test cases 2 and 7) and of HMAC_DRBG on the inputs of NIST CAVP
// HMAC_DRBG SHA-512 (no prediction resistance; entropy 256, nonce 128,
// personalization 256, additional input 256 bits; COUNT 0), with K and V
// after each step as this implementation computes them; the output of the
// second generate step is the vector's published ReturnedBits.
#include <cstring>

#include "core/ct.h"
#include "core/secret.h"
#include "core/wipe.h"
#include "hash/hmac.h"
#include "platform/platform.h"
#include "rng/accumulator.h"
#include "rng/drbg.h"
#include "rng/generator.h"
#include "rng/stir.h"
#include "tessalib.h"

namespace {

#include "rng/health_vectors.inc"

bool hmac_known_answers() noexcept {
    uint8_t tag[64];
    uint8_t key7[131];
    std::memset(key7, 0xAA, sizeof key7);
    static const char kData2[] = "what do ya want for nothing?";
    static const char kData7[] =
        "This is a test using a larger than block-size key and a larger than block-size data. The key needs to "
        "be hashed before being used by the HMAC algorithm.";
    bool ok = true;
    hmac_bytes(tag, sizeof tag, reinterpret_cast<const uint8_t*>(kData2), sizeof kData2 - 1,
               reinterpret_cast<const uint8_t*>("Jefe"), 4, kHashSha512);
    ok = ok && ct_memeq(tag, kHmacCase2, 64);
    hmac_bytes(tag, sizeof tag, reinterpret_cast<const uint8_t*>(kData7), sizeof kData7 - 1, key7, sizeof key7,
               kHashSha512);
    ok = ok && ct_memeq(tag, kHmacCase7, 64);
    return ok;
}

bool state_is(const RngState* st, const uint8_t* k, const uint8_t* v) noexcept {
    return ct_memeq(st->K, k, 64) && ct_memeq(st->V, v, 64);
}

void instantiate_fixed(RngState* st) noexcept {
    const ByteSpan seed[3] = {{kEntropy, 32}, {kNonce, 16}, {kPersonalization, 32}};
    drbg_instantiate(st, seed, 3);
}

bool is_wiped(RngState* st) noexcept {
    secure_wipe_obj(*st);
    uint8_t acc = 0;
    for (uint8_t b : st->K) acc |= b;
    for (uint8_t b : st->V) acc |= b;
    return acc == 0 && st->reseedCounter == 0;
}

bool level1(RngState* st) noexcept {
    const ByteSpan reseed[2] = {{kEntropyReseed, 32}, {kAdditionalReseed, 32}};
    drbg_reseed(st, reseed, 2);
    if (!state_is(st, kAfterReseedK, kAfterReseedV)) return false;
    SecretBytes<256> out;
    drbg_generate(st, out.bytes, 256, kAdditional1, 32);
    if (!state_is(st, kAfterGenerate1K, kAfterGenerate1V) || st->reseedCounter != 2) return false;
    drbg_generate(st, out.bytes, 256, kAdditional2, 32);
    if (!ct_memeq(out.bytes, kReturned, 256)) return false;
    if (!state_is(st, kAfterGenerate2K, kAfterGenerate2V) || st->reseedCounter != 3) return false;
    return is_wiped(st);
}

bool level2(RngState* st) noexcept {
    instantiate_fixed(st);
    st->reseedCounter = 0x40000000u;
    RngStir(st, RNG_STIR_FAST);
    rng_stir_flush(st);
    SecretBytes<kReseedMaxBytes> pools;
    const std::size_t got = entropy_reseed_if_due(st->reseedCounter, pools.bytes);
    if (got == 0) return false;
    const ByteSpan seed{pools.bytes, got};
    drbg_reseed(st, &seed, 1);
    SecretBytes<256> out;
    drbg_generate(st, out.bytes, 256, nullptr, 0);
    if (!rng_continuous_test(st, out.bytes, 256)) return false;
    RngStir(st, RNG_STIR_FAST);
    rng_stir_flush(st);
    if (st->reseedCounter < 1 || st->reseedCounter > 9) return false;
    return is_wiped(st);
}

}  // namespace

int32_t RngHealthCheck(int level) noexcept {
    RngState st;
    std::memset(&st, 0, sizeof st);
    bool ok = hmac_known_answers();
    if (ok) {
        instantiate_fixed(&st);
        ok = state_is(&st, kInstantiateK, kInstantiateV);
    }
    if (ok && level >= 1) ok = level1(&st);
    if (ok && level >= 2) ok = level2(&st);
    secure_wipe_obj(st);
    return ok ? 0 : -PRNG_ERR_CATASTROPHIC;
}
