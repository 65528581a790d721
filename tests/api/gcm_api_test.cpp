// GCM_ exports as a caller sees them: the NIST GCM files (every IV and tag
// length, AES-128/192/256) one-shot and through a per-thread key, the
// Wycheproof AES-GCM and GMAC files, check orders and signs (the positive 64
// of the handle functions), the refused short tags and missing outputs, and
// the handle rules.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "call_args.h"
#include "aead_vectors.h"
#include "json_lite.h"
#include "tessalib.h"
#include "test_util.h"

namespace {

using tu::Bytes;

using tu::len32;
const uint8_t* ptr(const Bytes& b) { return tu::nonnull(b); }

// One case through GCM_Encrypt/GCM_Decrypt, or through the key of handle
// with GCM_NextEncrypt/GCM_NextDecrypt.
void check_case(const tv::AeadCase& c, int32_t handle) {
    const int32_t n = len32(c.ct), tn = len32(c.tag);
    if (!c.fail) {
        Bytes ct(c.ct.size() + 1, 0xEE), tag(20, 0xEE);
        const int32_t rc =
            handle ? GCM_NextEncrypt(handle, ct.data(), n, tag.data(), tn, ptr(c.pt), n, c.iv.data(), len32(c.iv),
                                     ptr(c.aad), len32(c.aad))
                   : GCM_Encrypt(ct.data(), n, tag.data(), tn, ptr(c.pt), n, c.key.data(), len32(c.key), c.iv.data(),
                                 len32(c.iv), ptr(c.aad), len32(c.aad));
        ASSERT_EQ(rc, 0) << c.where;
        ASSERT_EQ(Bytes(ct.begin(), ct.end() - 1), c.ct) << c.where;
        ASSERT_EQ(Bytes(tag.begin(), tag.begin() + tn), c.tag) << c.where;
        ASSERT_EQ(tag[static_cast<std::size_t>(tn)], 0xEE) << c.where << ": tag written past tagLen";
    }
    Bytes pt(c.ct.size() + 1, 0xEE);
    const int32_t rc =
        handle ? GCM_NextDecrypt(handle, pt.data(), n + 1, ptr(c.ct), n, c.iv.data(), len32(c.iv), ptr(c.aad),
                                 len32(c.aad), c.tag.data(), tn)
               : GCM_Decrypt(pt.data(), n + 1, ptr(c.ct), n, c.key.data(), len32(c.key), c.iv.data(), len32(c.iv),
                             ptr(c.aad), len32(c.aad), c.tag.data(), tn);
    if (c.fail) {
        ASSERT_EQ(rc, -AUTH_FAIL_ERROR) << c.where;
        ASSERT_EQ(pt, Bytes(c.ct.size() + 1, 0xEE)) << c.where << ": written on failure";
    } else {
        ASSERT_EQ(rc, 0) << c.where;
        ASSERT_EQ(Bytes(pt.begin(), pt.end() - 1), c.pt) << c.where;
        ASSERT_EQ(pt.back(), 0xEE) << c.where;
    }
}

TEST(GcmApi, NistFilesOneShot) {
    for (const char* file : tv::kNistGcmFiles)
        for (const tv::AeadCase& c : tv::read_nist_gcm(file)) check_case(c, 0);
}

// The same cases through a per-thread key, made once per key of the file.
TEST(GcmApi, NistFilesThroughInitKey) {
    for (const char* file : tv::kNistGcmFiles) {
        Bytes key;
        int32_t handle = 0;
        for (const tv::AeadCase& c : tv::read_nist_gcm(file)) {
            if (c.key != key) {
                key = c.key;
                handle = GCM_InitKey(key.data(), len32(key));
                ASSERT_NE(handle, 0);
            }
            check_case(c, handle);
        }
        EXPECT_EQ(GCM_FinishKey(handle), 0);
    }
}

TEST(GcmApi, WycheproofGcmAndGmac) {
    std::size_t run = 0;
    json::for_each_wycheproof_test(tu::vector_path("wycheproof/aes_gcm_test.json"),
                                   [&](const json::Value&, const json::Value& t) {
        const tv::AeadCase c = tv::wycheproof_aead_case(t, "aes_gcm_test.json");
        if (c.iv.empty()) {  // an empty IV is refused before anything else
            Bytes out(c.pt.size() + 1), tag(16);
            EXPECT_EQ(GCM_Encrypt(out.data(), len32(out), tag.data(), 16, ptr(c.pt), len32(c.pt), c.key.data(),
                                  len32(c.key), c.iv.data(), 0, ptr(c.aad), len32(c.aad)),
                      -BAD_IV_ERROR)
                << c.where;
            EXPECT_TRUE(c.fail) << c.where;
            return;
        }
        ++run;
        check_case(c, 0);
    });
    EXPECT_GT(run, 250u);
    run = 0;
    json::for_each_wycheproof_test(tu::vector_path("wycheproof/aes_gmac_test.json"),
                                   [&](const json::Value& group, const json::Value& t) {
        const Bytes key = tu::from_hex(t["key"].as_string()), iv = tu::from_hex(t["iv"].as_string());
        const Bytes aad = tu::from_hex(t["msg"].as_string()), want = tu::from_hex(t["tag"].as_string());
        const int32_t tag_len = static_cast<int32_t>(group["tagSize"].as_int() / 8);
        const bool valid = t["result"].as_string() != "invalid";
        const std::string where = "aes_gmac_test.json tcId " + std::to_string(t["tcId"].as_int());
        if (iv.empty() || tag_len < 4 || (key.size() != 16 && key.size() != 24 && key.size() != 32)) {
            EXPECT_FALSE(valid) << where;
            return;
        }
        ++run;
        Bytes tag(16);
        // GMAC: no input and no output, the tag of the AAD.
        ASSERT_EQ(GCM_Encrypt(nullptr, 0, tag.data(), tag_len, nullptr, 0, key.data(), len32(key), iv.data(),
                              len32(iv), ptr(aad), len32(aad)),
                  0)
            << where;
        EXPECT_EQ(Bytes(tag.begin(), tag.begin() + tag_len) == want, valid) << where;
        EXPECT_EQ(GCM_Decrypt(nullptr, 0, nullptr, 0, key.data(), len32(key), iv.data(), len32(iv), ptr(aad),
                              len32(aad), want.data(), len32(want)),
                  valid ? 0 : -AUTH_FAIL_ERROR)
            << where;
    });
    EXPECT_GT(run, 300u);
}

// --- Check orders ------------------------------------------------------------


class GcmOrder : public ::testing::Test {
protected:
    uint8_t out[40] = {}, tagbuf[20] = {}, in[32] = {}, key[32] = {}, iv[12] = {}, aad[8] = {};
    CallArgs good() { return CallArgs{{out, 40}, {tagbuf, 16}, {in, 32}, {key, 24}, {iv, 12}, {aad, 8}, 0}; }
    void SetUp() override {
        // A valid tag of the good arguments for the decryption cases.
        ASSERT_EQ(GCM_Encrypt(out, 40, tagbuf, 16, in, 32, key, 24, iv, 12, aad, 8), 0);
        std::memcpy(ct, out, 32);
        std::memcpy(tag, tagbuf, 16);
    }
    uint8_t ct[32] = {}, tag[16] = {};
};

TEST_F(GcmOrder, EncryptChecksInOrder) {
    const OrderCase cases[] = {
        {"key NULL", [](CallArgs& a) { a.key.p = nullptr, a.nonce.p = nullptr; }, -BAD_KEY_ERROR},
        {"keyLen 0", [](CallArgs& a) { a.key.len = 0, a.nonce.p = nullptr; }, -BAD_KEY_ERROR},
        {"iv NULL", [](CallArgs& a) { a.nonce.p = nullptr, a.output.p = nullptr, a.tag.p = nullptr; }, -BAD_IV_ERROR},
        {"ivLen 0", [](CallArgs& a) { a.nonce.len = 0, a.output.p = nullptr, a.tag.p = nullptr; }, -BAD_IV_ERROR},
        {"negative ivLen", [](CallArgs& a) { a.nonce.len = -12; }, -BAD_IV_ERROR},
        {"output and tag NULL", [](CallArgs& a) { a.output.p = nullptr, a.tag.p = nullptr, a.input.p = nullptr; },
         -BAD_PARAM_ERROR},
        {"both lengths 0", [](CallArgs& a) { a.output.len = 0, a.tag.len = 0, a.input.p = nullptr; }, -BAD_PARAM_ERROR},
        {"input NULL", [](CallArgs& a) { a.input.p = nullptr, a.tag.len = 3; }, -BAD_PARAM_ERROR},
        {"aad NULL", [](CallArgs& a) { a.aad.p = nullptr, a.tag.len = 3; }, -BAD_PARAM_ERROR},
        {"negative inputLen", [](CallArgs& a) { a.input.len = -1, a.tag.len = 3; }, -BAD_PARAM_ERROR},
        {"negative aadLen", [](CallArgs& a) { a.aad.len = -8, a.tag.len = 3; }, -BAD_PARAM_ERROR},
        {"tagLen 3", [](CallArgs& a) { a.tag.len = 3, a.key.len = 20; }, -SHORT_BUF_ERROR},
        {"negative tagLen", [](CallArgs& a) { a.tag.len = -16, a.key.len = 20; }, -SHORT_BUF_ERROR},
        {"keyLen 20", [](CallArgs& a) { a.key.len = 20, a.output.p = nullptr; }, -BAD_KEY_LEN_ERROR},
        {"negative keyLen", [](CallArgs& a) { a.key.len = -16, a.output.p = nullptr; }, -BAD_KEY_LEN_ERROR},
        {"negative outputLen", [](CallArgs& a) { a.output.len = -1; }, -SHORT_BUF_ERROR},
        {"input without output", [](CallArgs& a) { a.output.p = nullptr; }, -NULL_ERROR},
        {"input with outputLen 0", [](CallArgs& a) { a.output.len = 0; }, -SHORT_BUF_ERROR},
        {"short output", [](CallArgs& a) { a.output.len = 31; }, -SHORT_BUF_ERROR},
        {"no tag", [](CallArgs& a) { a.tag.p = nullptr, a.tag.len = 0; }, 0},
        {"GMAC: no input, no output", [](CallArgs& a) { a.output.p = nullptr, a.output.len = 0, a.input.p = nullptr,
                                                     a.input.len = 0; }, 0},
        {"1-byte IV", [](CallArgs& a) { a.nonce.len = 1; }, 0},
        {"all good", [](CallArgs&) {}, 0},
    };
    for (const OrderCase& c : cases) {
        CallArgs a = good();
        c.change(a);
        EXPECT_EQ(GCM_Encrypt(a.output.p, a.output.len, a.tag.p, a.tag.len, a.input.p, a.input.len, a.key.p, a.key.len, a.nonce.p,
                              a.nonce.len, a.aad.p, a.aad.len),
                  c.want)
            << c.what;
        EXPECT_EQ(API_ErrorCode(), c.want < 0 ? -c.want : 0) << c.what;
    }
}

TEST_F(GcmOrder, DecryptChecksInOrder) {
    const OrderCase cases[] = {
        {"key NULL", [](CallArgs& a) { a.key.p = nullptr, a.nonce.p = nullptr; }, -BAD_KEY_ERROR},
        {"iv NULL", [](CallArgs& a) { a.nonce.p = nullptr, a.output.len = 0; }, -BAD_IV_ERROR},
        {"negative ivLen", [](CallArgs& a) { a.nonce.len = -1, a.output.len = 0; }, -BAD_IV_ERROR},
        {"outputLen 0 with input", [](CallArgs& a) { a.output.len = 0, a.input.p = nullptr; }, -SHORT_BUF_ERROR},
        {"output NULL, outputLen short", [](CallArgs& a) { a.output.p = nullptr, a.output.len = 31; }, -SHORT_BUF_ERROR},
        {"negative outputLen", [](CallArgs& a) { a.output.len = -1, a.input.len = -5; }, -SHORT_BUF_ERROR},
        {"input NULL", [](CallArgs& a) { a.input.p = nullptr, a.tag.p = nullptr; }, -BAD_PARAM_ERROR},
        {"negative inputLen", [](CallArgs& a) { a.input.len = -1, a.tag.p = nullptr; }, -BAD_PARAM_ERROR},
        {"negative aadLen", [](CallArgs& a) { a.aad.len = -1, a.tag.p = nullptr; }, -BAD_PARAM_ERROR},
        {"tag NULL", [](CallArgs& a) { a.tag.p = nullptr, a.key.len = 20; }, -BAD_PARAM_ERROR},
        {"tagLen 0", [](CallArgs& a) { a.tag.len = 0, a.key.len = 20; }, -BAD_LENGTH_ERROR},
        {"tagLen 3", [](CallArgs& a) { a.tag.len = 3, a.key.len = 20; }, -BAD_LENGTH_ERROR},
        {"negative tagLen", [](CallArgs& a) { a.tag.len = -16, a.key.len = 20; }, -BAD_LENGTH_ERROR},
        {"keyLen 20", [](CallArgs& a) { a.key.len = 20; }, -BAD_KEY_LEN_ERROR},
        {"negative keyLen", [](CallArgs& a) { a.key.len = -24; }, -BAD_KEY_LEN_ERROR},
        {"wrong tag", [](CallArgs& a) { a.tag.p = a.tag.p + 1, a.tag.len = 15; }, -AUTH_FAIL_ERROR},
        {"12-byte tag", [](CallArgs& a) { a.tag.len = 12; }, 0},
        {"tagLen 20 compares 16", [](CallArgs& a) { a.tag.len = 20; }, 0},
        {"verify only", [](CallArgs& a) { a.output.p = nullptr, a.output.len = 32; }, 0},
        {"all good", [](CallArgs&) {}, 0},
    };
    for (const OrderCase& c : cases) {
        CallArgs a = good();
        a.input.p = ct;
        a.tag.p = tag;
        uint8_t longtag[20];
        std::memcpy(longtag, tag, 16);
        std::memset(longtag + 16, 0xFF, 4);
        c.change(a);
        if (a.tag.len == 20) a.tag.p = longtag;
        std::memset(out, 0x5A, sizeof out);
        const int32_t got = GCM_Decrypt(a.output.p, a.output.len, a.input.p, a.input.len, a.key.p, a.key.len, a.nonce.p, a.nonce.len,
                                        a.aad.p, a.aad.len, a.tag.p, a.tag.len);
        EXPECT_EQ(got, c.want) << c.what;
        if (got != 0 || a.output.p == nullptr) {
            for (uint8_t b : out) ASSERT_EQ(b, 0x5A) << c.what << ": written";
        } else {
            EXPECT_EQ(Bytes(out, out + 32), Bytes(in, in + 32)) << c.what;
        }
    }
}

// A tag buffer longer than 16 bytes gets 16; the rest is left as it was.
TEST_F(GcmOrder, LongTagBufferGetsSixteenBytes) {
    uint8_t t[20];
    std::memset(t, 0xCC, sizeof t);
    ASSERT_EQ(GCM_Encrypt(out, 32, t, 20, in, 32, key, 24, iv, 12, aad, 8), 0);
    EXPECT_EQ(Bytes(t, t + 16), Bytes(tag, tag + 16));
    EXPECT_EQ(Bytes(t + 16, t + 20), Bytes(4, 0xCC));
}

TEST_F(GcmOrder, HandleFunctionsChecksInOrder) {
    const int32_t h = GCM_InitKey(key, 24);
    ASSERT_NE(h, 0);
    uint8_t t[16];
    // A bad handle is the positive 64, recorded as the last error.
    EXPECT_EQ(GCM_NextEncrypt(h ^ 2, out, 40, t, 16, in, 32, iv, 12, aad, 8), INVALID_HANDLE_ERROR);
    EXPECT_EQ(API_ErrorCode(), INVALID_HANDLE_ERROR);
    EXPECT_EQ(GCM_NextEncrypt(0, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0), INVALID_HANDLE_ERROR);
    EXPECT_EQ(GCM_NextEncrypt(h, out, 40, t, 16, in, 32, nullptr, 12, aad, 8), -BAD_IV_ERROR);
    EXPECT_EQ(GCM_NextEncrypt(h, nullptr, 40, nullptr, 16, in, 32, iv, 12, aad, 8), -BAD_PARAM_ERROR);
    EXPECT_EQ(GCM_NextEncrypt(h, out, 40, t, 16, in, -32, iv, 12, aad, 8), -BAD_PARAM_ERROR);
    EXPECT_EQ(GCM_NextEncrypt(h, out, 40, t, 2, in, 32, iv, 12, aad, 8), -SHORT_BUF_ERROR);
    EXPECT_EQ(GCM_NextEncrypt(h, nullptr, 40, t, 16, in, 32, iv, 12, aad, 8), -NULL_ERROR);
    EXPECT_EQ(GCM_NextEncrypt(h, out, 31, t, 16, in, 32, iv, 12, aad, 8), -SHORT_BUF_ERROR);
    EXPECT_EQ(GCM_NextEncrypt(h, out, 40, t, 16, in, 32, iv, 12, aad, 8), 0);
    EXPECT_EQ(Bytes(t, t + 16), Bytes(tag, tag + 16));

    EXPECT_EQ(GCM_NextDecrypt(h + 2, out, 40, ct, 32, iv, 12, aad, 8, tag, 16), INVALID_HANDLE_ERROR);
    EXPECT_EQ(GCM_NextDecrypt(h, out, 40, ct, 32, iv, 0, aad, 8, tag, 16), -BAD_IV_ERROR);
    EXPECT_EQ(GCM_NextDecrypt(h, nullptr, 40, ct, 32, iv, 12, aad, 8, tag, 16), -BAD_PARAM_ERROR);
    EXPECT_EQ(GCM_NextDecrypt(h, out, 0, nullptr, 0, iv, 12, aad, 8, tag, 16), -BAD_PARAM_ERROR);
    EXPECT_EQ(GCM_NextDecrypt(h, out, 40, nullptr, 32, iv, 12, aad, 8, tag, 16), -BAD_PARAM_ERROR);
    EXPECT_EQ(GCM_NextDecrypt(h, out, 40, ct, 32, iv, 12, aad, 8, nullptr, 16), -BAD_PARAM_ERROR);
    EXPECT_EQ(GCM_NextDecrypt(h, out, 40, ct, 32, iv, 12, aad, 8, tag, 0), -BAD_LENGTH_ERROR);
    EXPECT_EQ(GCM_NextDecrypt(h, out, 31, ct, 32, iv, 12, aad, 8, tag, 16), -SHORT_BUF_ERROR);
    EXPECT_EQ(GCM_NextDecrypt(h, out, -1, ct, 32, iv, 12, aad, 8, tag, 16), -SHORT_BUF_ERROR);
    uint8_t bad[16];
    std::memcpy(bad, tag, 16);
    bad[3] ^= 4;
    std::memset(out, 0x5A, sizeof out);
    EXPECT_EQ(GCM_NextDecrypt(h, out, 40, ct, 32, iv, 12, aad, 8, bad, 16), -AUTH_FAIL_ERROR);
    EXPECT_EQ(Bytes(out, out + 40), Bytes(40, 0x5A));
    EXPECT_EQ(GCM_NextDecrypt(h, out, 40, ct, 32, iv, 12, aad, 8, tag, 16), 0);
    EXPECT_EQ(Bytes(out, out + 32), Bytes(in, in + 32));
    EXPECT_EQ(GCM_FinishKey(h), 0);
}

TEST(GcmApi, HandleRules) {
    const Bytes key(16, 3), iv(12, 4);
    uint8_t out[16], tag[16];
    const int32_t h = GCM_InitKey(key.data(), 16);
    ASSERT_NE(h, 0);
    EXPECT_EQ(h & 1, 1);
    int32_t other = 0;
    std::thread([&] { other = GCM_NextEncrypt(h, out, 16, tag, 16, out, 16, iv.data(), 12, nullptr, 0); }).join();
    EXPECT_EQ(other, INVALID_HANDLE_ERROR);
    // A failed InitKey ends the earlier key.
    EXPECT_EQ(GCM_InitKey(key.data(), 20), 0);
    EXPECT_EQ(API_ErrorCode(), BAD_KEY_LEN_ERROR);
    EXPECT_EQ(GCM_NextEncrypt(h, out, 16, tag, 16, out, 16, iv.data(), 12, nullptr, 0), INVALID_HANDLE_ERROR);
    EXPECT_EQ(GCM_InitKey(nullptr, 16), 0);
    EXPECT_EQ(API_ErrorCode(), BAD_KEY_ERROR);
    EXPECT_EQ(GCM_InitKey(key.data(), -16), 0);
    EXPECT_EQ(API_ErrorCode(), BAD_KEY_LEN_ERROR);
    const int32_t h2 = GCM_InitKey(key.data(), 16);
    ASSERT_NE(h2, 0);
    EXPECT_EQ(API_ErrorCode(), 0);
    EXPECT_EQ(GCM_FinishKey(h2), 0);
    EXPECT_EQ(GCM_FinishKey(h2), INVALID_HANDLE_ERROR);
    EXPECT_EQ(API_ErrorCode(), INVALID_HANDLE_ERROR);
    EXPECT_EQ(GCM_NextEncrypt(h2, out, 16, tag, 16, out, 16, iv.data(), 12, nullptr, 0), INVALID_HANDLE_ERROR);
    // The AEAD context and the GCM key are separate: one of each at once.
    const int32_t g = GCM_InitKey(key.data(), 16);
    const int32_t a = AEAD_InitKey(key.data(), 16, AEAD_AES_128_GCM);
    ASSERT_NE(g, 0);
    ASSERT_NE(a, 0);
    EXPECT_EQ(GCM_NextEncrypt(g, out, 16, tag, 16, out, 16, iv.data(), 12, nullptr, 0), 0);
    EXPECT_EQ(AEAD_Destroy(a), 0);
    EXPECT_EQ(GCM_FinishKey(g), 0);
}

}  // namespace
