// HMAC_DRBG over HMAC-SHA-512: the NIST CAVP vectors (no prediction
// resistance) through the engine, the health check's known answers and the
// continuous test.
#include <gtest/gtest.h>

#include <cstring>

#include "core/frame.h"
#include "rng/drbg.h"
#include "rng/generator.h"
#include "test_util.h"
#include "tessalib.h"
#include "vector_files.h"

namespace {

const char kDrbgFile[] = "drbg/HMAC_DRBG_SHA512_pr_false.rsp";

ByteSpan span(const tu::Bytes& b) { return ByteSpan{b.empty() ? nullptr : b.data(), b.size()}; }

}  // namespace

TEST(DrbgEngine, CavpSha512VectorsWithReseed) {
    const auto records = tv::read_vector_file(tu::vector_path(kDrbgFile));
    int checked = 0;
    for (const tv::Record& r : records) {
        if (!r.has("ReturnedBits")) continue;
        const tu::Bytes entropy = r.bytes("EntropyInput"), nonce = r.bytes("Nonce"),
                        pers = r.bytes("PersonalizationString"), reseed = r.bytes("EntropyInputReseed"),
                        add_reseed = r.bytes("AdditionalInputReseed");
        // The first generate takes the first AdditionalInput line, the second
        // the second.
        const tu::Bytes expected = r.bytes("ReturnedBits");
        const tu::Bytes add1 = r.bytes("AdditionalInput"), add2 = r.bytes("AdditionalInput#2");
        DrbgValidationInputs in{span(entropy), span(nonce), span(pers), span(add1),
                                span(reseed),  span(add_reseed), span(add2)};
        tu::Bytes out(expected.size());
        drbg_validation_run(out.data(), out.size(), in, false);
        EXPECT_EQ(tu::to_hex(out), tu::to_hex(expected)) << r.where(kDrbgFile);
        ++checked;
    }
    EXPECT_EQ(checked, 240);
}

TEST(DrbgEngine, GenerateFirstDiffersFromReseedFirst) {
    const tu::Bytes e(32, 1), n(16, 2);
    DrbgValidationInputs in{};
    in.entropy = span(e);
    in.nonce = span(n);
    in.entropy_reseed = span(e);
    uint8_t a[64], b[64];
    drbg_validation_run(a, sizeof a, in, false);
    drbg_validation_run(b, sizeof b, in, true);
    EXPECT_NE(tu::to_hex(a, 64), tu::to_hex(b, 64));
}

TEST(DrbgEngine, AdditionalInputIsCutTo64BytesInTheGenerateStep) {
    // 100 bytes of additional input give what their first 64 give.
    RngState a, b;
    std::memset(&a, 0, sizeof a);
    const tu::Bytes seed(48, 7), add(100, 0x5A);
    const ByteSpan s = span(seed);
    drbg_instantiate(&a, &s, 1);
    b = a;
    uint8_t out_a[80], out_b[80];
    drbg_generate(&a, out_a, sizeof out_a, add.data(), 100);
    drbg_generate(&b, out_b, sizeof out_b, add.data(), 64);
    EXPECT_EQ(tu::to_hex(out_a, 80), tu::to_hex(out_b, 80));
    EXPECT_EQ(0, std::memcmp(a.K, b.K, 64));
    EXPECT_EQ(a.reseedCounter, 2u);
}

TEST(HealthCheck, EveryLevelPasses) {
    EXPECT_EQ(RngHealthCheck(0), 0);
    EXPECT_EQ(RngHealthCheck(1), 0);
    EXPECT_EQ(RngHealthCheck(2), 0);
}

TEST(ContinuousTest, ARepeatedFirstEightBytesFail) {
    RngState st;
    std::memset(&st, 0, sizeof st);
    const tu::Bytes seed(48, 9);
    const ByteSpan s = span(seed);
    drbg_instantiate(&st, &s, 1);
    ASSERT_TRUE(rng_continuous_test(&st, nullptr, 0));  // draws the first test value
    EXPECT_EQ(st.reseedCounter, 2u);
    uint8_t same[8];
    std::memcpy(same, st.lastTestValue, 8);
    EXPECT_FALSE(rng_continuous_test(&st, same, 8));
    uint8_t longer[20] = {0};
    std::memcpy(longer, st.lastTestValue, 8);
    EXPECT_FALSE(rng_continuous_test(&st, longer, 20));  // only the first 8 bytes count
    // Shorter outputs are compared zero-filled.
    std::memset(st.lastTestValue, 0, 8);
    st.lastTestValue[0] = 0xAB;
    st.lastTestValue[1] = 0xCD;
    const uint8_t two[2] = {0xAB, 0xCD};
    EXPECT_FALSE(rng_continuous_test(&st, two, 2));
    const uint8_t other[2] = {0xAB, 0xCE};
    EXPECT_TRUE(rng_continuous_test(&st, other, 2));
}

TEST(ContinuousTest, AnInjectedRepeatFailsTheRequest) {
    RngState* st = &GetThreadState()->workspace.rng;
    uint8_t out[32];
    ASSERT_EQ(RngGenerate(st, out, sizeof out, nullptr, 0), 0);
    rng_inject_repeat();
    EXPECT_EQ(RngGenerate(st, out, sizeof out, nullptr, 0), -PRNG_ERR_CATASTROPHIC);
    EXPECT_EQ(RngGenerate(st, out, sizeof out, nullptr, 0), 0);  // the hook fires once
}
