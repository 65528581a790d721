// AEAD_ exports as a caller sees them: the Wycheproof files (AES-GCM,
// ChaCha20-Poly1305, Ascon-128/128a) and the Ascon KAT files through every
// layout, RFC 8439's example, check orders and signs, query mode, tampering
// (every byte of ciphertext, tag and AAD), the incremental context's stage
// machine and handles, splits of a message.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "aead_vectors.h"
#include "call_args.h"
#include "json_lite.h"
#include "tessalib.h"
#include "test_util.h"
#include "vector_files.h"

namespace {

using tu::Bytes;

using tu::len32;
const uint8_t* ptr(const Bytes& b) { return tu::nonnull(b); }

struct Message {
    int32_t alg;
    Bytes key, nonce, aad, pt, ct, tag;
};

// RFC 8439 section 2.8.2.
Message rfc8439_example() {
    Message m;
    m.alg = AEAD_CHACHA20_POLY1305;
    for (int i = 0; i < 32; ++i) m.key.push_back(static_cast<uint8_t>(0x80 + i));
    m.nonce = tu::from_hex("070000004041424344454647");
    m.aad = tu::from_hex("50515253c0c1c2c3c4c5c6c7");
    m.pt = tu::bytes_of("Ladies and Gentlemen of the class of '99: If I could offer you only one tip for the future, "
                        "sunscreen would be it.");
    m.ct = tu::from_hex(
        "d31a8d34648e60db7b86afbc53ef7ec2a4aded51296e08fea9e2b5a736ee62d63dbea45e8ca9671282fafb69da92728b1a71de0a9e06"
        "0b2905d6a5b67ecd3b3692ddbd7f2d778b8c9803aee328091b58fab324e4fad675945585808b4831d7bc3ff4def08e4b7a9de576d2"
        "6586cec64b6116");
    m.tag = tu::from_hex("1ae10b594f09e26a7e902ecbd0600691");
    return m;
}

// A random message of the algorithm with the given text and AAD lengths.
Message random_message(int32_t alg, std::size_t pt_len, std::size_t aad_len, tu::Prng& rng) {
    Message m;
    m.alg = alg;
    m.key = rng.bytes(alg == AEAD_AES_128_GCM || alg == AEAD_ASCON_128 || alg == AEAD_ASCON_128A ? 16 : 32);
    m.nonce = rng.bytes(alg == AEAD_ASCON_128 || alg == AEAD_ASCON_128A ? 16 : 12);
    m.aad = rng.bytes(aad_len);
    m.pt = rng.bytes(pt_len);
    Bytes sealed(pt_len + 16);
    EXPECT_EQ(AEAD_EncryptWithTag(sealed.data(), len32(sealed), ptr(m.pt), len32(m.pt), m.key.data(), len32(m.key),
                                  m.nonce.data(), len32(m.nonce), ptr(m.aad), len32(m.aad), alg),
              len32(sealed));
    m.ct.assign(sealed.begin(), sealed.end() - 16);
    m.tag.assign(sealed.end() - 16, sealed.end());
    return m;
}

// --- The four one-shot forms on one message ---------------------------------

// Checks every one-shot form on a message the caller says is authentic
// (valid) or not: the outputs, the codes, and what a failure leaves.
void check_one_shot(const Message& m, bool valid, const std::string& where) {
    const bool ascon = m.alg == AEAD_ASCON_128 || m.alg == AEAD_ASCON_128A;
    const int32_t n = len32(m.pt.empty() ? m.ct : m.pt);
    if (!ascon) {
        if (valid) {
            Bytes ct(m.pt.size() + 1, 0xEE), tag(16);
            ASSERT_EQ(AEAD_Encrypt(ct.data(), len32(ct), tag.data(), 16, ptr(m.pt), len32(m.pt), m.key.data(),
                                   len32(m.key), m.nonce.data(), len32(m.nonce), ptr(m.aad), len32(m.aad), m.alg),
                      0)
                << where;
            ASSERT_EQ(Bytes(ct.begin(), ct.end() - 1), m.ct) << where;
            ASSERT_EQ(ct.back(), 0xEE) << where;
            ASSERT_EQ(tag, m.tag) << where;
        }
        Bytes pt(m.ct.size() + 1, 0xEE);
        const int32_t rc = AEAD_Decrypt(pt.data(), len32(pt), ptr(m.ct), len32(m.ct), m.key.data(), len32(m.key),
                                        m.nonce.data(), len32(m.nonce), ptr(m.aad), len32(m.aad), m.tag.data(),
                                        len32(m.tag), m.alg);
        if (valid) {
            ASSERT_EQ(rc, 0) << where;
            ASSERT_EQ(Bytes(pt.begin(), pt.end() - 1), m.pt) << where;
        } else {
            ASSERT_EQ(rc, -AUTH_FAIL_ERROR) << where;
            ASSERT_EQ(pt, Bytes(m.ct.size() + 1, 0xEE)) << where << ": plaintext of a forgery written";
        }
    }
    // The tagged layout, without and with the nonce in front.
    for (int32_t prefix_flag : {0, OPT_PREFIX_IV}) {
        const std::size_t p = prefix_flag ? m.nonce.size() : 0;
        Bytes sealed;
        if (prefix_flag) sealed = m.nonce;
        sealed.insert(sealed.end(), m.ct.begin(), m.ct.end());
        sealed.insert(sealed.end(), m.tag.begin(), m.tag.end());
        if (valid && m.tag.size() == 16) {
            Bytes out(sealed.size() + 1, 0xEE);
            ASSERT_EQ(AEAD_EncryptWithTag(out.data(), len32(out), ptr(m.pt), len32(m.pt), m.key.data(), len32(m.key),
                                          m.nonce.data(), len32(m.nonce), ptr(m.aad), len32(m.aad),
                                          m.alg | prefix_flag),
                      len32(sealed))
                << where;
            ASSERT_EQ(Bytes(out.begin(), out.end() - 1), sealed) << where;
        }
        if (m.tag.size() != 16) continue;
        Bytes pt(m.ct.size() + 1, 0xEE);
        const int32_t rc = AEAD_DecryptWithTag(pt.data(), len32(pt), sealed.data(), len32(sealed), m.key.data(),
                                               len32(m.key), prefix_flag ? nullptr : m.nonce.data(),
                                               prefix_flag ? 0 : len32(m.nonce), ptr(m.aad), len32(m.aad),
                                               m.alg | prefix_flag);
        if (valid) {
            ASSERT_EQ(rc, static_cast<int32_t>(m.ct.size())) << where;
            ASSERT_EQ(Bytes(pt.begin(), pt.end() - 1), m.pt) << where;
            ASSERT_EQ(pt.back(), 0xEE) << where;
        } else {
            ASSERT_EQ(rc, -AUTH_FAIL_ERROR) << where;
            Bytes left(m.ct.size() + 1, ascon ? 0 : 0xEE);
            left.back() = 0xEE;
            ASSERT_EQ(pt, left) << where << (ascon ? ": not zeroed" : ": plaintext of a forgery written");
        }
        (void)p;
        (void)n;
    }
}

// --- Published vectors -------------------------------------------------------

TEST(AeadApi, Rfc8439Example) { check_one_shot(rfc8439_example(), true, "RFC 8439 2.8.2"); }

struct WycheproofAead {
    const char* file;
    int32_t alg_128;  // the code for 128-bit keys (0: none)
    int32_t alg_256;  // the code for 256-bit keys (0: none)
};

// Every test of the file: the valid ones through every form, the invalid
// ones refused. Cases the family does not take (AES-192, nonces other than
// the algorithm's, tags other than 4 to 16 bytes) must be refused with the
// right code.
TEST(AeadApi, WycheproofFiles) {
    const WycheproofAead files[] = {
        {"aes_gcm_test.json", AEAD_AES_128_GCM, AEAD_AES_256_GCM},
        {"chacha20_poly1305_test.json", 0, AEAD_CHACHA20_POLY1305},
        {"ascon128_test.json", AEAD_ASCON_128, 0},
        {"ascon128a_test.json", AEAD_ASCON_128A, 0},
    };
    for (const WycheproofAead& f : files) {
        std::size_t run = 0;
        json::for_each_wycheproof_test(tu::vector_path(std::string("wycheproof/") + f.file),
                                       [&](const json::Value&, const json::Value& t) {
            const tv::AeadCase w = tv::wycheproof_aead_case(t, f.file);
            const std::string& where = w.where;
            const bool valid = !w.fail;
            const int32_t alg = w.key.size() == 16 ? f.alg_128 : w.key.size() == 32 ? f.alg_256 : 0;
            Message m{alg, w.key, w.iv, w.aad, w.pt, w.ct, w.tag};
            const bool ascon = m.alg == AEAD_ASCON_128 || m.alg == AEAD_ASCON_128A;
            if (m.alg == 0) {  // a key size the family does not take
                Bytes out(m.pt.size() + 16);
                EXPECT_EQ(AEAD_EncryptWithTag(out.data(), len32(out), ptr(m.pt), len32(m.pt), m.key.data(),
                                              len32(m.key), ptr(m.nonce), len32(m.nonce), ptr(m.aad), len32(m.aad),
                                              f.alg_128 ? f.alg_128 : f.alg_256),
                          m.nonce.empty() ? -BAD_IV_ERROR : -BAD_KEY_LEN_ERROR)
                    << where;
                return;
            }
            const std::size_t nonce_len = ascon ? 16 : 12;
            if (m.nonce.size() != nonce_len) {
                Bytes out(m.pt.size() + 16);
                EXPECT_EQ(AEAD_EncryptWithTag(out.data(), len32(out), ptr(m.pt), len32(m.pt), m.key.data(),
                                              len32(m.key), ptr(m.nonce), len32(m.nonce), ptr(m.aad), len32(m.aad),
                                              m.alg),
                          m.nonce.empty() ? -BAD_IV_ERROR : -BAD_IV_LEN_ERROR)
                    << where;
                EXPECT_FALSE(valid && nonce_len == 12 && m.nonce.size() == 12) << where;
                return;
            }
            ++run;
            check_one_shot(m, valid, where);
        });
        EXPECT_GT(run, 100u) << f.file;
    }
}

// The Ascon team's KAT files through the tagged layout, both ways.
TEST(AeadApi, AsconKnownAnswerFiles) {
    const std::pair<const char*, int32_t> kats[] = {{"ascon/ascon128v12_LWC_AEAD_KAT_128_128.txt", AEAD_ASCON_128},
                                                    {"ascon/ascon128av12_LWC_AEAD_KAT_128_128.txt", AEAD_ASCON_128A}};
    for (const auto& kat : kats) {
        for (const tv::Record& r : tv::read_vector_file(tu::vector_path(kat.first))) {
            Message m;
            m.alg = kat.second;
            m.key = r.bytes("Key");
            m.nonce = r.bytes("Nonce");
            m.pt = r.bytes("PT");
            m.aad = r.bytes("AD");
            const Bytes ct = r.bytes("CT");
            m.ct.assign(ct.begin(), ct.end() - 16);
            m.tag.assign(ct.end() - 16, ct.end());
            check_one_shot(m, true, r.where(kat.first));
        }
    }
}

// --- Tampering ---------------------------------------------------------------

// Every altered byte of ciphertext, tag and AAD fails in every form, with
// the output untouched (GCM, ChaCha20-Poly1305) or zeroed (Ascon).
TEST(AeadApi, EveryAlteredByteFails) {
    tu::Prng rng(77);
    for (int32_t alg : {AEAD_AES_128_GCM, AEAD_AES_256_GCM, AEAD_CHACHA20_POLY1305, AEAD_ASCON_128, AEAD_ASCON_128A}) {
        const Message m = random_message(alg, 37, 21, rng);
        for (std::size_t i = 0; i < m.ct.size() + m.tag.size() + m.aad.size(); ++i) {
            Message bad = m;
            Bytes& field = i < m.ct.size() ? bad.ct : i < m.ct.size() + 16 ? bad.tag : bad.aad;
            const std::size_t at = i < m.ct.size() ? i : i < m.ct.size() + 16 ? i - m.ct.size() : i - m.ct.size() - 16;
            field[at] ^= static_cast<uint8_t>(1u << rng.below(8));
            check_one_shot(bad, false, "alg " + std::to_string(alg) + " byte " + std::to_string(i));
        }
    }
}

// The tag checked first also for ChaCha20-Poly1305: a forged message whose
// output buffer is the input itself comes back unchanged.
TEST(AeadApi, ForgedChaChaPolyLeavesInPlaceBufferAlone) {
    Message m = rfc8439_example();
    m.tag[0] ^= 1;
    Bytes buf = m.ct;
    EXPECT_EQ(AEAD_Decrypt(buf.data(), len32(buf), buf.data(), len32(buf), m.key.data(), 32, m.nonce.data(), 12,
                           m.aad.data(), len32(m.aad), m.tag.data(), 16, m.alg),
              -AUTH_FAIL_ERROR);
    EXPECT_EQ(buf, m.ct);
}

// --- Check orders and edge cases ---------------------------------------------


class AeadOrder : public ::testing::Test {
protected:
    uint8_t out[64] = {}, tagbuf[20] = {}, in[32] = {}, key[32] = {}, nonce[16] = {}, aad[8] = {};
    CallArgs good() {
        return CallArgs{{out, 64}, {tagbuf, 16}, {in, 32}, {key, 32}, {nonce, 12}, {aad, 8}, AEAD_CHACHA20_POLY1305};
    }
};

TEST_F(AeadOrder, EncryptChecksInOrder) {
    const OrderCase cases[] = {
        {"output and tag NULL", [](CallArgs& a) { a.output.p = nullptr, a.tag.p = nullptr, a.key.p = nullptr; }, -BAD_PARAM_ERROR},
        {"both lengths below 1", [](CallArgs& a) { a.output.len = 0, a.tag.len = 0, a.key.p = nullptr; }, -BAD_PARAM_ERROR},
        {"NULL output for input", [](CallArgs& a) { a.output.p = nullptr, a.key.p = nullptr; }, -NULL_ERROR},
        {"short output", [](CallArgs& a) { a.output.len = 31, a.key.p = nullptr; }, -SHORT_BUF_ERROR},
        {"key NULL", [](CallArgs& a) { a.key.p = nullptr, a.nonce.p = nullptr; }, -BAD_KEY_ERROR},
        {"keyLen 0", [](CallArgs& a) { a.key.len = 0, a.nonce.p = nullptr; }, -BAD_KEY_ERROR},
        {"nonce NULL", [](CallArgs& a) { a.nonce.p = nullptr, a.aad.p = nullptr; }, -BAD_IV_ERROR},
        {"nonceLen 0", [](CallArgs& a) { a.nonce.len = 0, a.aad.p = nullptr; }, -BAD_IV_ERROR},
        {"input NULL", [](CallArgs& a) { a.input.p = nullptr, a.options = 3; }, -BAD_PARAM_ERROR},
        {"aad NULL", [](CallArgs& a) { a.aad.p = nullptr, a.options = 3; }, -BAD_PARAM_ERROR},
        {"negative aadLen", [](CallArgs& a) { a.aad.len = -1, a.options = 3; }, -BAD_PARAM_ERROR},
        {"negative inputLen", [](CallArgs& a) { a.input.len = -5, a.options = 3; }, -BAD_PARAM_ERROR},
        {"Ascon-128", [](CallArgs& a) { a.options = AEAD_ASCON_128, a.key.len = 3; }, -NOT_SUPPORTED_ERROR},
        {"Ascon-128a", [](CallArgs& a) { a.options = AEAD_ASCON_128A; }, -NOT_SUPPORTED_ERROR},
        {"code 3", [](CallArgs& a) { a.options = 3, a.key.len = 3; }, -BAD_FLAG_ERROR},
        {"code 0", [](CallArgs& a) { a.options = 0x100; }, -BAD_FLAG_ERROR},
        {"key length", [](CallArgs& a) { a.key.len = 16, a.nonce.len = 16; }, -BAD_KEY_LEN_ERROR},
        {"nonce length", [](CallArgs& a) { a.nonce.len = 16, a.tag.p = nullptr; }, -BAD_IV_LEN_ERROR},
        {"tag NULL", [](CallArgs& a) { a.tag.p = nullptr; }, -BAD_PARAM_ERROR},
        {"tagLen 12", [](CallArgs& a) { a.tag.len = 12; }, -SHORT_BUF_ERROR},
        {"all good", [](CallArgs&) {}, 0},
        {"bits above the code ignored", [](CallArgs& a) { a.options |= 0x7F00; }, 0},
    };
    for (const OrderCase& c : cases) {
        CallArgs a = good();
        c.change(a);
        EXPECT_EQ(AEAD_Encrypt(a.output.p, a.output.len, a.tag.p, a.tag.len, a.input.p, a.input.len, a.key.p, a.key.len, a.nonce.p,
                               a.nonce.len, a.aad.p, a.aad.len, a.options),
                  c.want)
            << c.what;
        EXPECT_EQ(API_ErrorCode(), c.want < 0 ? -c.want : 0) << c.what;
    }
}

TEST_F(AeadOrder, EncryptZeroesTheTagBeforeAnyCheck) {
    std::memset(tagbuf, 0xAB, sizeof tagbuf);
    EXPECT_EQ(AEAD_Encrypt(out, 64, tagbuf, 12, in, 32, key, 32, nonce, 12, aad, 8, AEAD_CHACHA20_POLY1305),
              -SHORT_BUF_ERROR);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(tagbuf[i], 0) << i;
    EXPECT_EQ(tagbuf[12], 0xAB);
    std::memset(tagbuf, 0xAB, sizeof tagbuf);
    EXPECT_EQ(AEAD_Encrypt(nullptr, 0, tagbuf, 20, in, 32, key, 32, nonce, 12, aad, 8, 1), -NULL_ERROR);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(tagbuf[i], 0) << i;
}

TEST_F(AeadOrder, DecryptChecksInOrder) {
    const OrderCase cases[] = {
        {"tag NULL", [](CallArgs& a) { a.tag.p = nullptr, a.output.len = 1; }, -BAD_PARAM_ERROR},
        {"tagLen 0", [](CallArgs& a) { a.tag.len = 0, a.output.len = 1; }, -BAD_PARAM_ERROR},
        {"short output", [](CallArgs& a) { a.output.len = 31, a.key.p = nullptr; }, -SHORT_BUF_ERROR},
        {"key NULL", [](CallArgs& a) { a.key.p = nullptr, a.nonce.p = nullptr; }, -BAD_KEY_ERROR},
        {"nonce NULL", [](CallArgs& a) { a.nonce.p = nullptr, a.aad.p = nullptr; }, -BAD_IV_ERROR},
        {"aad NULL", [](CallArgs& a) { a.aad.p = nullptr, a.options = 3; }, -BAD_PARAM_ERROR},
        {"negative inputLen", [](CallArgs& a) { a.input.len = -1, a.options = 3; }, -BAD_PARAM_ERROR},
        {"Ascon", [](CallArgs& a) { a.options = AEAD_ASCON_128A, a.tag.len = 3; }, -NOT_SUPPORTED_ERROR},
        {"code 3", [](CallArgs& a) { a.options = 3; }, -BAD_FLAG_ERROR},
        {"key length", [](CallArgs& a) { a.key.len = 16; }, -BAD_KEY_LEN_ERROR},
        {"nonce length", [](CallArgs& a) { a.nonce.len = 8, a.tag.len = 3; }, -BAD_IV_LEN_ERROR},
        {"tagLen 3", [](CallArgs& a) { a.tag.len = 3; }, -BAD_LENGTH_ERROR},
        {"tagLen 17", [](CallArgs& a) { a.tag.len = 17; }, -BAD_LENGTH_ERROR},
        {"wrong tag", [](CallArgs&) {}, -AUTH_FAIL_ERROR},
    };
    for (const OrderCase& c : cases) {
        CallArgs a = good();
        c.change(a);
        EXPECT_EQ(AEAD_Decrypt(a.output.p, a.output.len, a.input.p, a.input.len, a.key.p, a.key.len, a.nonce.p, a.nonce.len,
                               a.aad.p, a.aad.len, a.tag.p, a.tag.len, a.options),
                  c.want)
            << c.what;
    }
}

TEST_F(AeadOrder, WithTagChecksInOrder) {
    const OrderCase enc[] = {
        {"key NULL", [](CallArgs& a) { a.key.p = nullptr, a.nonce.p = nullptr; }, -BAD_KEY_ERROR},
        {"nonce NULL", [](CallArgs& a) { a.nonce.p = nullptr, a.output.len = -1; }, -BAD_IV_ERROR},
        {"negative outputLen", [](CallArgs& a) { a.output.len = -1, a.input.p = nullptr; }, -BAD_PARAM_ERROR},
        {"input NULL", [](CallArgs& a) { a.input.p = nullptr, a.options = 3; }, -NULL_ERROR},
        {"aad NULL", [](CallArgs& a) { a.aad.p = nullptr, a.options = 3; }, -NULL_ERROR},
        {"negative aadLen", [](CallArgs& a) { a.aad.len = -1, a.options = 3; }, -BAD_PARAM_ERROR},
        {"code 3", [](CallArgs& a) { a.options = 3, a.key.len = 5; }, -BAD_FLAG_ERROR},
        {"key length", [](CallArgs& a) { a.key.len = 16, a.nonce.len = 5; }, -BAD_KEY_LEN_ERROR},
        {"nonce length", [](CallArgs& a) { a.nonce.len = 16, a.output.len = 1; }, -BAD_IV_LEN_ERROR},
        {"one byte short", [](CallArgs& a) { a.output.len = 47; }, -SHORT_BUF_ERROR},
        {"prefix one byte short", [](CallArgs& a) { a.output.len = 59, a.options |= OPT_PREFIX_IV; }, -SHORT_BUF_ERROR},
        {"query", [](CallArgs& a) { a.output.p = nullptr; }, 48},
        {"query, outputLen 0", [](CallArgs& a) { a.output.len = 0; }, 48},
        {"query with prefix", [](CallArgs& a) { a.output.p = nullptr, a.options |= OPT_PREFIX_IV; }, 60},
        {"length past INT32_MAX", [](CallArgs& a) { a.output.p = nullptr, a.input.len = INT32_MAX - 15; }, -BAD_PARAM_ERROR},
        {"Ascon with prefix", [](CallArgs& a) { a.output.p = nullptr, a.options = AEAD_ASCON_128 | OPT_PREFIX_IV,
                                            a.key.len = 16, a.nonce.len = 16; }, 64},
        {"real", [](CallArgs&) {}, 48},
    };
    for (const OrderCase& c : enc) {
        CallArgs a = good();
        c.change(a);
        std::memset(out, 0x77, sizeof out);
        const int32_t got = AEAD_EncryptWithTag(a.output.p, a.output.len, a.input.p, a.input.len, a.key.p, a.key.len, a.nonce.p,
                                                a.nonce.len, a.aad.p, a.aad.len, a.options);
        EXPECT_EQ(got, c.want) << c.what;
        if (a.output.p == nullptr || a.output.len == 0 || got < 0) {
            for (uint8_t b : out) ASSERT_EQ(b, 0x77) << c.what << ": written";
        }
    }
    // Decryption: a valid sealed message to start from.
    uint8_t sealed[60];
    ASSERT_EQ(AEAD_EncryptWithTag(sealed, 60, in, 32, key, 32, nonce, 12, aad, 8,
                                  AEAD_CHACHA20_POLY1305 | OPT_PREFIX_IV),
              60);
    const OrderCase dec[] = {
        {"key NULL", [](CallArgs& a) { a.key.p = nullptr, a.output.len = -1; }, -BAD_KEY_ERROR},
        {"negative outputLen", [](CallArgs& a) { a.output.len = -1, a.input.p = nullptr; }, -BAD_PARAM_ERROR},
        {"input NULL", [](CallArgs& a) { a.input.p = nullptr, a.options = 3; }, -NULL_ERROR},
        {"negative inputLen", [](CallArgs& a) { a.input.len = -3, a.options = 3; }, -BAD_PARAM_ERROR},
        {"code 3", [](CallArgs& a) { a.options = 3, a.key.len = 5; }, -BAD_FLAG_ERROR},
        {"key length", [](CallArgs& a) { a.key.len = 16, a.input.len = 3; }, -BAD_KEY_LEN_ERROR},
        {"P + 15 bytes", [](CallArgs& a) { a.input.len = 27, a.nonce.p = nullptr; }, -BAD_LENGTH_ERROR},
        {"nonce NULL without prefix", [](CallArgs& a) { a.options = AEAD_CHACHA20_POLY1305, a.nonce.p = nullptr; },
         -BAD_IV_ERROR},
        {"nonce length without prefix", [](CallArgs& a) { a.options = AEAD_CHACHA20_POLY1305, a.nonce.len = 16; },
         -BAD_IV_LEN_ERROR},
        {"query", [](CallArgs& a) { a.output.p = nullptr; }, 32},
        {"query, outputLen 0", [](CallArgs& a) { a.output.len = 0; }, 32},
        {"one byte short", [](CallArgs& a) { a.output.len = 31; }, -SHORT_BUF_ERROR},
        {"prefix: nonce arguments ignored", [](CallArgs& a) { a.nonce.p = nullptr, a.nonce.len = -9; }, 32},
    };
    for (const OrderCase& c : dec) {
        CallArgs a = good();
        a.input.p = sealed;
        a.input.len = 60;
        a.options = AEAD_CHACHA20_POLY1305 | OPT_PREFIX_IV;
        c.change(a);
        EXPECT_EQ(AEAD_DecryptWithTag(a.output.p, a.output.len, a.input.p, a.input.len, a.key.p, a.key.len, a.nonce.p,
                                      a.nonce.len, a.aad.p, a.aad.len, a.options),
                  c.want)
            << c.what;
    }
}

// AEAD_Encrypt with no plaintext: a tag over the AAD alone, which
// AEAD_Decrypt then accepts with no ciphertext.
TEST(AeadApi, EncryptWithNoPlaintextTagsTheAad) {
    tu::Prng rng(4);
    for (int32_t alg : {AEAD_AES_128_GCM, AEAD_AES_256_GCM, AEAD_CHACHA20_POLY1305}) {
        const Message m = random_message(alg, 0, 30, rng);
        uint8_t tag[16];
        ASSERT_EQ(AEAD_Encrypt(nullptr, 0, tag, 16, nullptr, 0, m.key.data(), len32(m.key), m.nonce.data(), 12,
                               m.aad.data(), 30, alg),
                  0);
        EXPECT_EQ(Bytes(tag, tag + 16), m.tag);
        EXPECT_EQ(AEAD_Decrypt(nullptr, 0, nullptr, 0, m.key.data(), len32(m.key), m.nonce.data(), 12, m.aad.data(),
                               30, tag, 16, alg),
                  0);
        tag[15] ^= 1;
        EXPECT_EQ(AEAD_Decrypt(nullptr, 0, nullptr, 0, m.key.data(), len32(m.key), m.nonce.data(), 12, m.aad.data(),
                               30, tag, 16, alg),
                  -AUTH_FAIL_ERROR);
    }
}

// AEAD_Decrypt compares tagLen bytes (4 to 16) and verifies without writing
// when there is no output.
TEST(AeadApi, DecryptTruncatedTagsAndVerifyOnly) {
    tu::Prng rng(8);
    for (int32_t alg : {AEAD_AES_128_GCM, AEAD_CHACHA20_POLY1305}) {
        const Message m = random_message(alg, 50, 3, rng);
        for (int32_t n = 4; n <= 16; ++n) {
            Bytes tag(m.tag.begin(), m.tag.begin() + n), pt(50);
            EXPECT_EQ(AEAD_Decrypt(pt.data(), 50, m.ct.data(), 50, m.key.data(), len32(m.key), m.nonce.data(), 12,
                                   m.aad.data(), 3, tag.data(), n, alg),
                      0);
            EXPECT_EQ(pt, m.pt);
            tag[n - 1] ^= 0x40;
            EXPECT_EQ(AEAD_Decrypt(nullptr, 0, m.ct.data(), 50, m.key.data(), len32(m.key), m.nonce.data(), 12,
                                   m.aad.data(), 3, tag.data(), n, alg),
                      -AUTH_FAIL_ERROR);
        }
    }
}

// An input of exactly the nonce and the tag is an empty message. It is
// verified even when asked as a query: a forgery is never a length of 0.
TEST(AeadApi, DecryptWithTagOfAnEmptyMessage) {
    tu::Prng rng(41);
    for (int32_t alg : {AEAD_AES_256_GCM, AEAD_CHACHA20_POLY1305, AEAD_ASCON_128}) {
        const Message m = random_message(alg, 0, 9, rng);
        Bytes sealed = m.nonce;
        sealed.insert(sealed.end(), m.tag.begin(), m.tag.end());
        const int32_t opts = alg | OPT_PREFIX_IV;
        uint8_t out[1] = {0x55};
        EXPECT_EQ(AEAD_DecryptWithTag(nullptr, 0, sealed.data(), len32(sealed), m.key.data(), len32(m.key), nullptr, 0,
                                      m.aad.data(), 9, opts),
                  0);
        EXPECT_EQ(AEAD_DecryptWithTag(out, 1, sealed.data(), len32(sealed), m.key.data(), len32(m.key), nullptr, 0,
                                      m.aad.data(), 9, opts),
                  0);
        sealed.back() ^= 1;
        EXPECT_EQ(AEAD_DecryptWithTag(nullptr, 0, sealed.data(), len32(sealed), m.key.data(), len32(m.key), nullptr, 0,
                                      m.aad.data(), 9, opts),
                  -AUTH_FAIL_ERROR);
        EXPECT_EQ(AEAD_DecryptWithTag(out, 0, sealed.data(), len32(sealed), m.key.data(), len32(m.key), nullptr, 0,
                                      m.aad.data(), 9, opts),
                  -AUTH_FAIL_ERROR);
        EXPECT_EQ(out[0], 0x55);
    }
}

// In place: the ciphertext where the plaintext was, with the nonce in front.
TEST(AeadApi, EncryptWithTagInPlaceBehindThePrefix) {
    tu::Prng rng(90);
    const Message m = random_message(AEAD_AES_128_GCM, 100, 0, rng);
    Bytes buf(12 + 100 + 16);
    std::memcpy(buf.data() + 12, m.pt.data(), 100);
    ASSERT_EQ(AEAD_EncryptWithTag(buf.data(), len32(buf), buf.data() + 12, 100, m.key.data(), 16, m.nonce.data(), 12,
                                  nullptr, 0, AEAD_AES_128_GCM | OPT_PREFIX_IV),
              128);
    EXPECT_EQ(Bytes(buf.begin(), buf.begin() + 12), m.nonce);
    EXPECT_EQ(Bytes(buf.begin() + 12, buf.begin() + 112), m.ct);
    ASSERT_EQ(AEAD_DecryptWithTag(buf.data() + 12, 100, buf.data(), len32(buf), m.key.data(), 16, nullptr, 0, nullptr,
                                  0, AEAD_AES_128_GCM | OPT_PREFIX_IV),
              100);
    EXPECT_EQ(Bytes(buf.begin() + 12, buf.begin() + 112), m.pt);
}

// --- The incremental context -------------------------------------------------

struct Context {
    int32_t handle;
    explicit Context(const Message& m) : handle(AEAD_InitKey(m.key.data(), len32(m.key), m.alg)) {}
    ~Context() { AEAD_Destroy(handle); }
};

// Encrypts in pieces of the given sizes (cycled), with the AAD in two
// pieces; returns ciphertext || tag.
Bytes seal_in_pieces(int32_t h, const Message& m, const std::vector<std::size_t>& sizes) {
    EXPECT_EQ(AEAD_SetNonce(h, m.nonce.data(), 12), 0);
    const int32_t half = len32(m.aad) / 2;
    EXPECT_EQ(AEAD_AddAAD(h, ptr(m.aad), half), 0);
    EXPECT_EQ(AEAD_AddAAD(h, ptr(m.aad) + half, len32(m.aad) - half), 0);
    EXPECT_EQ(AEAD_StartEncrypt(h), 0);
    Bytes out(m.pt.size() + 16);
    std::size_t at = 0;
    for (std::size_t i = 0; at < m.pt.size(); ++i) {
        std::size_t n = sizes[i % sizes.size()];
        if (n > m.pt.size() - at) n = m.pt.size() - at;
        EXPECT_EQ(AEAD_Update(h, out.data() + at, static_cast<int32_t>(n), m.pt.data() + at, static_cast<int32_t>(n)),
                  0);
        at += n;
    }
    EXPECT_EQ(AEAD_FinishEncrypt(h, out.data() + m.pt.size(), 16), 0);
    return out;
}

TEST(AeadIncremental, SplitsGiveTheOneShotBytes) {
    tu::Prng rng(3);
    const std::vector<std::vector<std::size_t>> splits = {{1}, {15}, {17}, {64}, {1, 15, 17, 64}, {300}, {7, 1000}};
    for (int32_t alg : {AEAD_AES_128_GCM, AEAD_AES_256_GCM, AEAD_CHACHA20_POLY1305}) {
        const Message m = random_message(alg, 777, 45, rng);
        Bytes want = m.ct;
        want.insert(want.end(), m.tag.begin(), m.tag.end());
        Context c(m);
        ASSERT_NE(c.handle, 0);
        for (const auto& sizes : splits) {
            ASSERT_EQ(seal_in_pieces(c.handle, m, sizes), want) << alg;
            // And back, in the same pieces, in place.
            ASSERT_EQ(AEAD_SetNonce(c.handle, m.nonce.data(), 12), 0);
            ASSERT_EQ(AEAD_AddAAD(c.handle, m.aad.data(), len32(m.aad)), 0);
            ASSERT_EQ(AEAD_StartDecrypt(c.handle, m.tag.data(), 16), 0);
            Bytes buf = m.ct;
            std::size_t at = 0;
            for (std::size_t i = 0; at < buf.size(); ++i) {
                std::size_t n = sizes[i % sizes.size()];
                if (n > buf.size() - at) n = buf.size() - at;
                ASSERT_EQ(AEAD_Update(c.handle, buf.data() + at, static_cast<int32_t>(n), buf.data() + at,
                                      static_cast<int32_t>(n)),
                          0);
                at += n;
            }
            ASSERT_EQ(AEAD_FinishDecrypt(c.handle), 0);
            ASSERT_EQ(buf, m.pt);
        }
    }
}

TEST(AeadIncremental, FinishDecryptFailsOnEveryAlteredByteAndReturnsToKeyed) {
    tu::Prng rng(13);
    for (int32_t alg : {AEAD_AES_128_GCM, AEAD_CHACHA20_POLY1305}) {
        const Message m = random_message(alg, 33, 5, rng);
        Context c(m);
        for (std::size_t i = 0; i < 33 + 16 + 5; ++i) {
            Message bad = m;
            (i < 33 ? bad.ct[i] : i < 49 ? bad.tag[i - 33] : bad.aad[i - 49]) ^= 0x10;
            ASSERT_EQ(AEAD_SetNonce(c.handle, bad.nonce.data(), 12), 0) << i;
            ASSERT_EQ(AEAD_AddAAD(c.handle, bad.aad.data(), 5), 0);
            ASSERT_EQ(AEAD_StartDecrypt(c.handle, bad.tag.data(), 16), 0);
            Bytes pt(33);
            ASSERT_EQ(AEAD_Update(c.handle, nullptr, 0, bad.ct.data(), 10), 0);  // only authenticated
            ASSERT_EQ(AEAD_Update(c.handle, pt.data() + 10, 23, bad.ct.data() + 10, 23), 0);
            ASSERT_EQ(AEAD_FinishDecrypt(c.handle), -AUTH_FAIL_ERROR) << i;
            // Back in the keyed stage: the next message starts at once.
        }
        EXPECT_EQ(seal_in_pieces(c.handle, m, {8}).size(), 49u);
    }
}

// Each call in each stage it does not belong to gives -MISUSE_ERROR and
// changes nothing: the message then goes on to the right tag.
TEST(AeadIncremental, StageMachine) {
    tu::Prng rng(21);
    const Message m = random_message(AEAD_AES_256_GCM, 40, 12, rng);
    Context c(m);
    const int32_t h = c.handle;
    uint8_t buf[64], tag[16];
    // Calls by name; each is made in every stage but its own.
    const std::vector<std::pair<std::string, std::function<int32_t()>>> calls = {
        {"SetNonce", [&] { return AEAD_SetNonce(h, m.nonce.data(), 12); }},
        {"AddAAD", [&] { return AEAD_AddAAD(h, m.aad.data(), 3); }},
        {"StartEncrypt", [&] { return AEAD_StartEncrypt(h); }},
        {"StartDecrypt", [&] { return AEAD_StartDecrypt(h, m.tag.data(), 16); }},
        {"Update", [&] { return AEAD_Update(h, buf, 5, m.pt.data(), 5); }},
        {"FinishEncrypt", [&] { return AEAD_FinishEncrypt(h, tag, 16); }},
        {"FinishDecrypt", [&] { return AEAD_FinishDecrypt(h); }},
    };
    // stage: which calls belong (1 keyed, 2 nonce set, 3 encrypting).
    const std::vector<std::pair<int, std::vector<std::string>>> stages = {
        {1, {"SetNonce"}},
        {2, {"AddAAD", "StartEncrypt", "StartDecrypt"}},
        {3, {"Update", "FinishEncrypt"}},
    };
    for (const auto& stage : stages) {
        for (const auto& call : calls) {
            if (std::find(stage.second.begin(), stage.second.end(), call.first) != stage.second.end()) continue;
            // Bring the context to the stage.
            if (stage.first >= 2) { ASSERT_EQ(AEAD_SetNonce(h, m.nonce.data(), 12), 0); }
            if (stage.first >= 2) { ASSERT_EQ(AEAD_AddAAD(h, m.aad.data(), 12), 0); }
            if (stage.first >= 3) { ASSERT_EQ(AEAD_StartEncrypt(h), 0); }
            if (stage.first >= 3) { ASSERT_EQ(AEAD_Update(h, buf, 40, m.pt.data(), 40), 0); }
            EXPECT_EQ(call.second(), -MISUSE_ERROR) << call.first << " in stage " << stage.first;
            EXPECT_EQ(API_ErrorCode(), MISUSE_ERROR);
            // Finish the message normally: nothing was changed.
            if (stage.first == 1) continue;
            if (stage.first == 2) { ASSERT_EQ(AEAD_StartEncrypt(h), 0); }
            if (stage.first == 2) { ASSERT_EQ(AEAD_Update(h, buf, 40, m.pt.data(), 40), 0); }
            ASSERT_EQ(AEAD_FinishEncrypt(h, tag, 16), 0);
            EXPECT_EQ(Bytes(tag, tag + 16), m.tag) << call.first << " in stage " << stage.first;
            EXPECT_EQ(Bytes(buf, buf + 40), m.ct);
        }
    }
    // Decrypting stage: encryption's calls and the earlier stages' are refused.
    ASSERT_EQ(AEAD_SetNonce(h, m.nonce.data(), 12), 0);
    ASSERT_EQ(AEAD_StartDecrypt(h, m.tag.data(), 16), 0);
    EXPECT_EQ(AEAD_FinishEncrypt(h, tag, 16), -MISUSE_ERROR);
    EXPECT_EQ(AEAD_SetNonce(h, m.nonce.data(), 12), -MISUSE_ERROR);
    EXPECT_EQ(AEAD_AddAAD(h, m.aad.data(), 12), -MISUSE_ERROR);
    EXPECT_EQ(AEAD_StartEncrypt(h), -MISUSE_ERROR);
    EXPECT_EQ(AEAD_FinishDecrypt(h), -AUTH_FAIL_ERROR);  // the AAD was left out
    EXPECT_EQ(AEAD_FinishDecrypt(h), -MISUSE_ERROR);     // back in stage 1
}

TEST(AeadIncremental, ArgumentChecks) {
    tu::Prng rng(22);
    const Message m = random_message(AEAD_CHACHA20_POLY1305, 16, 0, rng);
    Context c(m);
    const int32_t h = c.handle;
    uint8_t buf[32];
    EXPECT_EQ(AEAD_SetNonce(h, nullptr, 12), -BAD_IV_ERROR);
    EXPECT_EQ(AEAD_SetNonce(h, m.nonce.data(), 0), -BAD_IV_ERROR);
    EXPECT_EQ(AEAD_SetNonce(h, m.nonce.data(), 16), -BAD_IV_LEN_ERROR);
    EXPECT_EQ(AEAD_AddAAD(h, buf, -1), -BAD_PARAM_ERROR);
    EXPECT_EQ(AEAD_AddAAD(h, nullptr, 5), -MISUSE_ERROR);
    ASSERT_EQ(AEAD_SetNonce(h, m.nonce.data(), 12), 0);
    EXPECT_EQ(AEAD_AddAAD(h, nullptr, 5), 0);  // nothing added
    EXPECT_EQ(AEAD_AddAAD(h, buf, 0), 0);
    EXPECT_EQ(AEAD_StartDecrypt(h, nullptr, 16), -BAD_PARAM_ERROR);
    EXPECT_EQ(AEAD_StartDecrypt(h, m.tag.data(), 0), -BAD_PARAM_ERROR);
    EXPECT_EQ(AEAD_StartDecrypt(h, m.tag.data(), 3), -BAD_PARAM_ERROR);
    ASSERT_EQ(AEAD_StartEncrypt(h), 0);
    EXPECT_EQ(AEAD_Update(h, buf, -1, m.pt.data(), 16), -BAD_PARAM_ERROR);
    EXPECT_EQ(AEAD_Update(h, buf, 16, m.pt.data(), -16), -BAD_PARAM_ERROR);
    EXPECT_EQ(AEAD_Update(h, buf, 15, m.pt.data(), 16), -SHORT_BUF_ERROR);
    EXPECT_EQ(AEAD_Update(h, buf, 15, nullptr, 16), -BAD_PARAM_ERROR);
    EXPECT_EQ(AEAD_Update(h, nullptr, 0, m.pt.data(), 16), -BAD_PARAM_ERROR);
    EXPECT_EQ(AEAD_Update(h, buf, 0, m.pt.data(), 0), 0);
    ASSERT_EQ(AEAD_Update(h, buf, 16, m.pt.data(), 16), 0);
    EXPECT_EQ(AEAD_FinishEncrypt(h, nullptr, 16), -BAD_PARAM_ERROR);
    EXPECT_EQ(AEAD_FinishEncrypt(h, buf, 0), -BAD_PARAM_ERROR);
    EXPECT_EQ(AEAD_FinishEncrypt(h, buf, 8), -SHORT_BUF_ERROR);
    ASSERT_EQ(AEAD_FinishEncrypt(h, buf, 32), 0);
    EXPECT_EQ(Bytes(buf, buf + 16), m.tag);
    // A tag given with 20 bytes keeps 16.
    Bytes long_tag = m.tag;
    long_tag.resize(20, 0xFF);
    ASSERT_EQ(AEAD_SetNonce(h, m.nonce.data(), 12), 0);
    ASSERT_EQ(AEAD_StartDecrypt(h, long_tag.data(), 20), 0);
    ASSERT_EQ(AEAD_Update(h, buf, 16, m.ct.data(), 16), 0);
    EXPECT_EQ(AEAD_FinishDecrypt(h), 0);
    // A tag of 4 bytes compares 4.
    ASSERT_EQ(AEAD_SetNonce(h, m.nonce.data(), 12), 0);
    ASSERT_EQ(AEAD_StartDecrypt(h, m.tag.data(), 4), 0);
    ASSERT_EQ(AEAD_Update(h, buf, 16, m.ct.data(), 16), 0);
    EXPECT_EQ(AEAD_FinishDecrypt(h), 0);
}

TEST(AeadIncremental, HandleRules) {
    tu::Prng rng(23);
    const Message m = random_message(AEAD_AES_128_GCM, 0, 0, rng);
    const int32_t h = AEAD_InitKey(m.key.data(), 16, AEAD_AES_128_GCM);
    ASSERT_NE(h, 0);
    EXPECT_EQ(h & 1, 1);
    EXPECT_LE(h, 0x3FFFFFFF);
    EXPECT_EQ(AEAD_SetNonce(0, m.nonce.data(), 12), -INVALID_HANDLE_ERROR);
    EXPECT_EQ(AEAD_SetNonce(h + 2, m.nonce.data(), 12), -INVALID_HANDLE_ERROR);
    int32_t other = 0;
    std::thread([&] { other = AEAD_SetNonce(h, m.nonce.data(), 12); }).join();
    EXPECT_EQ(other, -INVALID_HANDLE_ERROR);
    // A failed InitKey ends the earlier handle, with the reason recorded.
    EXPECT_EQ(AEAD_InitKey(m.key.data(), 16, AEAD_ASCON_128), 0);
    EXPECT_EQ(API_ErrorCode(), BAD_FLAG_ERROR);
    EXPECT_EQ(AEAD_SetNonce(h, m.nonce.data(), 12), -INVALID_HANDLE_ERROR);
    const int32_t h2 = AEAD_InitKey(m.key.data(), 16, AEAD_AES_128_GCM);
    ASSERT_NE(h2, 0);
    EXPECT_EQ(AEAD_InitKey(m.key.data(), 32, AEAD_AES_128_GCM), 0);
    EXPECT_EQ(API_ErrorCode(), BAD_KEY_LEN_ERROR);
    EXPECT_EQ(AEAD_StartEncrypt(h2), -INVALID_HANDLE_ERROR);
    EXPECT_EQ(AEAD_InitKey(nullptr, 16, AEAD_AES_128_GCM), 0);
    EXPECT_EQ(API_ErrorCode(), BAD_KEY_ERROR);
    EXPECT_EQ(AEAD_InitKey(m.key.data(), 0, AEAD_AES_128_GCM), 0);
    EXPECT_EQ(API_ErrorCode(), BAD_KEY_ERROR);
    EXPECT_EQ(AEAD_InitKey(m.key.data(), 16, 0), 0);
    EXPECT_EQ(API_ErrorCode(), BAD_FLAG_ERROR);
    const int32_t h3 = AEAD_InitKey(m.key.data(), 16, AEAD_AES_128_GCM);
    ASSERT_NE(h3, 0);
    EXPECT_EQ(API_ErrorCode(), 0);
    EXPECT_EQ(AEAD_Destroy(h3), 0);
    EXPECT_EQ(AEAD_Destroy(h3), -INVALID_HANDLE_ERROR);
    EXPECT_EQ(AEAD_SetNonce(h3, m.nonce.data(), 12), -INVALID_HANDLE_ERROR);
}

}  // namespace
