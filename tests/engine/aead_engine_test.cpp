// The engines of the authenticated ciphers, below the exports: GHASH by
// table against a bit-by-bit multiplication, the GCM counter shortcut
// against whole AES blocks, the NIST GCM files (every IV and tag length, 128,
// 192 and 256-bit keys), ChaCha20 (RFC 7539 appendix A.2, every vector path
// against the portable one, the 64-bit counter carry), ChaCha20-Poly1305 and
// Ascon-128/128a (the Ascon team's KAT files), and the message streams of the
// incremental functions against the one-shot forms at every split.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "aead/aead_stream.h"
#include "aead/ascon_aead.h"
#include "aead/chacha20.h"
#include "aead/chacha20_poly1305.h"
#include "aead/gcm.h"
#include "aead/ghash.h"
#include "core/endian.h"
#include "aead_vectors.h"
#include "aes_paths.h"
#include "tessalib.h"
#include "test_util.h"
#include "vector_files.h"

namespace {

using tu::Bytes;

const uint8_t* ptr(const Bytes& b) { return tu::nonnull(b); }

// --- GHASH -------------------------------------------------------------------

// x * y in GF(2^128) bit by bit, as SP 800-38D's algorithm 1 states it.
GhashWords gf_mul_reference(GhashWords x, GhashWords y) {
    GhashWords z{0, 0}, v = y;
    for (int i = 0; i < 128; ++i) {
        const uint64_t bit = i < 64 ? (x.hi >> (63 - i)) & 1 : (x.lo >> (127 - i)) & 1;
        if (bit) z.hi ^= v.hi, z.lo ^= v.lo;
        const bool carry = (v.lo & 1) != 0;
        v.lo = (v.lo >> 1) | (v.hi << 63);
        v.hi >>= 1;
        if (carry) v.hi ^= 0xE100000000000000ull;
    }
    return z;
}

// Every path: the table, the carry-less multiply on 128-bit registers (eight
// blocks per reduction) and on 256-bit ones (sixteen); up to 40 blocks, so
// that each path's runs and its single blocks are both taken.
TEST(GhashEngine, ProductsMatchBitByBitMultiplicationOnEveryPath) {
    tu::Prng rng(12);
    for (AesPath path : available_aes_paths())
    for (int round = 0; round < 200; ++round) {
        const Bytes h = rng.bytes(16);
        GhashKey key;
        ghash_key_init(&key, h.data(), path);
        const GhashWords hw{load_be64(h.data()), load_be64(h.data() + 8)};
        const std::size_t nblocks = 1 + rng.below(round < 100 ? 5 : 40);
        const Bytes data = rng.bytes(16 * nblocks);
        GhashWords y{rng.next(), rng.next()}, want = y;
        ghash_blocks(&key, &y, data.data(), nblocks);
        for (std::size_t b = 0; b < nblocks; ++b) {
            want.hi ^= load_be64(&data[16 * b]);
            want.lo ^= load_be64(&data[16 * b + 8]);
            want = gf_mul_reference(want, hw);
        }
        ASSERT_EQ(y.hi, want.hi) << aes_path_name(path) << " round " << round;
        ASSERT_EQ(y.lo, want.lo) << aes_path_name(path) << " round " << round;
    }
}

// The extreme bytes: all ones in every position takes every reduction.
TEST(GhashEngine, AllOnesBlocksAndKey) {
    for (AesPath path : available_aes_paths()) {
        const Bytes h(16, 0xFF), data(16 * 35, 0xFF);
        GhashKey key;
        ghash_key_init(&key, h.data(), path);
        GhashWords y{0, 0}, want{0, 0};
        ghash_blocks(&key, &y, data.data(), 35);
        const GhashWords hw{~0ull, ~0ull};
        for (int b = 0; b < 35; ++b) {
            want.hi ^= ~0ull, want.lo ^= ~0ull;
            want = gf_mul_reference(want, hw);
        }
        EXPECT_EQ(y.hi, want.hi) << aes_path_name(path);
        EXPECT_EQ(y.lo, want.lo) << aes_path_name(path);
    }
}

// --- The GCM counter shortcut -------------------------------------------------

// Each keystream block of gcm_ctr_xor is AES of its counter block, the last
// word counting modulo 2^32 (across the wrap too), for every key size and
// path; 6 blocks, then 37 in runs of 2, 4 and 31 (the wide runs and the
// single blocks of every path).
TEST(GcmEngine, CounterShortcutIsAesOfEachCounterBlock) {
    tu::Prng rng(7);
    for (AesPath path : available_aes_paths())
    for (std::size_t key_len : {16u, 24u, 32u}) {
        for (uint32_t start : {0u, 1u, 0x7FFFFFFFu, 0xFFFFFFFDu, 0xFFFFFFFFu, 0xFFFFFFF0u}) {
          for (uint32_t total : {6u, 37u}) {
            const Bytes key = rng.bytes(key_len);
            GcmAesKey k;
            gcm_aes_setup(&k, key.data(), key_len, path);
            Bytes block = rng.bytes(16);
            store_be32(&block[12], start);
            GcmCounter ctr;
            gcm_ctr_start(&k, &ctr, block.data());
            const Bytes data = rng.bytes(16 * total);
            Bytes out(data.size());
            gcm_ctr_xor(&k, &ctr, out.data(), data.data(), 2);
            gcm_ctr_xor(&k, &ctr, out.data() + 32, data.data() + 32, 4);
            if (total > 6) gcm_ctr_xor(&k, &ctr, out.data() + 96, data.data() + 96, total - 6);
            for (uint32_t i = 0; i < total; ++i) {
                Bytes cb = block, ks(16);
                store_be32(&cb[12], start + i);
                gcm_aes_block(&k, ks.data(), cb.data());
                for (int j = 0; j < 16; ++j)
                    ASSERT_EQ(out[16 * i + j], data[16 * i + j] ^ ks[j])
                        << aes_path_name(path) << " " << key_len << " " << start << " " << i;
            }
            EXPECT_EQ(ctr.counter, start + total);
          }
        }
    }
}

// --- NIST GCM files through the engine ---------------------------------------

TEST(GcmEngine, NistFilesEveryIvAndTagLength) {
    std::size_t total = 0, failures = 0;
    for (const char* file : tv::kNistGcmFiles) {
        for (const tv::AeadCase& c : tv::read_nist_gcm(file)) {
            ++total;
            GcmKey key;
            gcm_key_setup(&key, c.key.data(), c.key.size());
            const std::size_t len = c.ct.size();
            if (!c.fail) {
                Bytes ct(len), tag(16);
                gcm_encrypt(&key, c.iv.data(), c.iv.size(), ptr(c.aad), c.aad.size(), ptr(c.pt), len,
                            len ? ct.data() : nullptr, tag.data());
                ASSERT_EQ(ct, c.ct) << file;
                ASSERT_EQ(Bytes(tag.begin(), tag.begin() + static_cast<long>(c.tag.size())), c.tag) << file;
            } else {
                ++failures;
            }
            Bytes pt(len + 1, 0xA5);
            const int32_t rc = gcm_decrypt(&key, c.iv.data(), c.iv.size(), ptr(c.aad), c.aad.size(), ptr(c.ct), len,
                                           c.tag.data(), c.tag.size(), pt.data());
            if (c.fail) {
                ASSERT_EQ(rc, -AUTH_FAIL_ERROR) << file;
                ASSERT_EQ(pt, Bytes(len + 1, 0xA5)) << file << ": written on failure";
            } else {
                ASSERT_EQ(rc, 0) << file;
                ASSERT_EQ(Bytes(pt.begin(), pt.begin() + static_cast<long>(len)), c.pt) << file;
                ASSERT_EQ(pt[len], 0xA5) << file;
            }
        }
    }
    EXPECT_EQ(total, 6u * 7875u);
    EXPECT_GT(failures, 1000u);
}

// The incremental stream gives the one-shot bytes for any split of AAD and
// text, in both directions, including IVs other than 12 bytes.
TEST(GcmEngine, StreamMatchesOneShotAtEverySplit) {
    tu::Prng rng(99);
    for (int round = 0; round < 60; ++round) {
        const std::size_t key_len = round % 3 == 0 ? 16 : round % 3 == 1 ? 24 : 32;
        const Bytes raw = rng.bytes(key_len), iv = rng.bytes(round % 4 == 0 ? 1 + rng.below(40) : 12);
        const Bytes aad = rng.bytes(rng.below(70)), pt = rng.bytes(rng.below(200));
        GcmKey key;
        gcm_key_setup(&key, raw.data(), key_len);
        Bytes ct(pt.size()), tag(16);
        gcm_encrypt(&key, iv.data(), iv.size(), ptr(aad), aad.size(), ptr(pt), pt.size(), ct.data(), tag.data());
        for (std::size_t split = 0; split <= pt.size(); split += 1 + rng.below(9)) {
            const std::size_t asplit = rng.below(static_cast<uint32_t>(aad.size() + 1));
            GcmStream st;
            gcm_stream_start(&key, &st, iv.data(), iv.size());
            gcm_stream_aad(&key, &st, ptr(aad), asplit);
            gcm_stream_aad(&key, &st, ptr(aad) + asplit, aad.size() - asplit);
            gcm_stream_aad_end(&key, &st);
            Bytes out(pt.size() + 1);
            gcm_stream_encrypt(&key, &st, out.data(), ptr(pt), split);
            gcm_stream_encrypt(&key, &st, out.data() + split, ptr(pt) + split, pt.size() - split);
            Bytes t(16);
            gcm_stream_finish(&key, &st, t.data());
            ASSERT_EQ(Bytes(out.begin(), out.end() - 1), ct) << round << " " << split;
            ASSERT_EQ(t, tag);
            // Decrypting, with a first piece that is only hashed: the
            // keystream moves on over it all the same.
            gcm_stream_start(&key, &st, iv.data(), iv.size());
            gcm_stream_aad(&key, &st, ptr(aad), aad.size());
            gcm_stream_aad_end(&key, &st);
            Bytes back(pt.size() + 1, 0);
            gcm_stream_decrypt(&key, &st, nullptr, ptr(ct), split);
            gcm_stream_decrypt(&key, &st, back.data() + split, ptr(ct) + split, ct.size() - split);
            gcm_stream_finish(&key, &st, t.data());
            ASSERT_EQ(t, tag);
            ASSERT_TRUE(std::equal(pt.begin() + static_cast<long>(split), pt.end(), back.begin() + static_cast<long>(split)));
        }
    }
}

// --- ChaCha20 ----------------------------------------------------------------

TEST(ChaCha20Engine, Rfc7539AppendixVectors) {
    const auto records = tv::read_vector_file(tu::pyca_vector_path("ciphers/ChaCha20/rfc7539.txt"));
    ASSERT_EQ(records.size(), 3u);
    for (const tv::Record& r : records) {
        const Bytes key = r.bytes("KEY"), nonce = r.bytes("NONCE"), pt = r.bytes("PLAINTEXT");
        ChaCha20State st;
        chacha20_set_key(&st, key.data(), key.size());
        chacha20_set_iv(&st, nonce.data(), nonce.size(), static_cast<uint32_t>(r.number("INITIAL_BLOCK_COUNTER")));
        ChaCha20Stream s;
        chacha20_stream_start(&s, &st);
        Bytes ct(pt.size());
        chacha20_stream_xor(&s, ct.data(), pt.data(), pt.size());
        EXPECT_EQ(ct, r.bytes("CIPHERTEXT")) << r.line;
    }
}

// RFC 8439 section 2.3.2: the block function with counter 1.
TEST(ChaCha20Engine, Rfc8439BlockFunction) {
    Bytes key(32);
    for (int i = 0; i < 32; ++i) key[i] = static_cast<uint8_t>(i);
    const Bytes nonce = tu::from_hex("000000090000004a00000000");
    ChaCha20State st;
    chacha20_set_key(&st, key.data(), 32);
    chacha20_set_iv(&st, nonce.data(), 12, 1);
    Bytes block(64);
    chacha20_block(&st, block.data());
    EXPECT_EQ(tu::to_hex(block, false),
              "10f1e7e4d13b5915500fdd1fa32071c4c7d1f4c733c068030422aa9ac3d46c4e"
              "d2826446079faa0914c2d705d98b02a2b5129cd1de164eb9cbd083e8a2503c4e");
    EXPECT_EQ(st.w[12], 2u);
}

// Every vector path gives the portable path's bytes, over runs of every
// length up to a few groups, from counters around the carry out of word 12
// (into word 13, for 8- and 12-byte IVs alike).
TEST(ChaCha20Engine, VectorPathsMatchPortable) {
    tu::Prng rng(2024);
    const ChaCha20Path paths[] = {ChaCha20Path::sse2, ChaCha20Path::avx2, ChaCha20Path::avx512vl};
    int tried = 0;
    for (ChaCha20Path path : paths) {
        if (!chacha20_path_available(path)) continue;
        ++tried;
        for (uint32_t counter : {0u, 5u, 0xFFFFFFF0u, 0xFFFFFFF9u, 0xFFFFFFFFu}) {
            for (std::size_t iv_len : {8u, 12u}) {
                for (std::size_t nblocks : {1u, 3u, 4u, 7u, 8u, 9u, 16u, 17u, 33u}) {
                    const Bytes key = rng.bytes(rng.below(2) ? 32 : 16), iv = rng.bytes(iv_len);
                    const Bytes data = rng.bytes(64 * nblocks);
                    ChaCha20State a, b;
                    chacha20_set_key(&a, key.data(), key.size());
                    chacha20_set_iv(&a, iv.data(), iv_len, counter);
                    b = a;
                    Bytes x(data.size()), y(data.size());
                    chacha20_xor_blocks_path(ChaCha20Path::portable, &a, x.data(), data.data(), nblocks);
                    chacha20_xor_blocks_path(path, &b, y.data(), data.data(), nblocks);
                    ASSERT_EQ(x, y) << static_cast<int>(path) << " " << counter << " " << nblocks;
                    ASSERT_EQ(std::memcmp(a.w, b.w, sizeof a.w), 0);
                }
            }
        }
    }
    EXPECT_GE(tried, 1);
}

// The block counter is one 64-bit number in words 12 and 13.
TEST(ChaCha20Engine, CounterCarriesIntoWord13) {
    const Bytes key(32, 7), iv(8, 9);
    ChaCha20State st;
    chacha20_set_key(&st, key.data(), 32);
    chacha20_set_iv(&st, iv.data(), 8, 0xFFFFFFFFu);
    Bytes b1(64), b2(64);
    chacha20_block(&st, b1.data());
    EXPECT_EQ(st.w[12], 0u);
    EXPECT_EQ(st.w[13], 1u);
    chacha20_block(&st, b2.data());
    EXPECT_NE(b1, b2);
}

// Pieces of any length give one call's bytes, written or skipped.
TEST(ChaCha20Engine, StreamPiecesMatchOneCall) {
    tu::Prng rng(5);
    const Bytes key = rng.bytes(32), iv = rng.bytes(12), data = rng.bytes(700);
    ChaCha20State st;
    chacha20_set_key(&st, key.data(), 32);
    chacha20_set_iv(&st, iv.data(), 12, 1);
    ChaCha20Stream whole;
    chacha20_stream_start(&whole, &st);
    Bytes want(data.size());
    chacha20_stream_xor(&whole, want.data(), data.data(), data.size());
    for (int round = 0; round < 50; ++round) {
        ChaCha20Stream s;
        chacha20_stream_start(&s, &st);
        Bytes got(data.size(), 0);
        std::size_t at = 0;
        bool skip = true;
        while (at < data.size()) {
            std::size_t n = 1 + rng.below(150);
            if (n > data.size() - at) n = data.size() - at;
            skip = !skip && round % 2 == 0;
            chacha20_stream_xor(&s, skip ? nullptr : got.data() + at, data.data() + at, n);
            if (skip) std::memcpy(got.data() + at, want.data() + at, n);
            at += n;
        }
        ASSERT_EQ(got, want) << round;
    }
}

// --- ChaCha20-Poly1305 -------------------------------------------------------

TEST(ChaChaPolyEngine, DecryptionVerifiesBeforeWritingAndStreamsMatch) {
    tu::Prng rng(31);
    for (int round = 0; round < 40; ++round) {
        const Bytes key = rng.bytes(32), nonce = rng.bytes(12), aad = rng.bytes(rng.below(40));
        const Bytes pt = rng.bytes(rng.below(1200));
        Bytes ct(pt.size()), tag(16);
        chacha20_poly1305_encrypt(key.data(), nonce.data(), ptr(aad), aad.size(), ptr(pt), pt.size(), ct.data(),
                                  tag.data());
        Bytes back(pt.size() + 1, 0x5A);
        ASSERT_EQ(chacha20_poly1305_decrypt(key.data(), nonce.data(), ptr(aad), aad.size(), ptr(ct), ct.size(),
                                            tag.data(), 16, back.data()),
                  0);
        ASSERT_TRUE(std::equal(pt.begin(), pt.end(), back.begin()));
        Bytes bad = tag;
        bad[rng.below(16)] ^= 1;
        Bytes untouched(pt.size() + 1, 0x5A);
        ASSERT_EQ(chacha20_poly1305_decrypt(key.data(), nonce.data(), ptr(aad), aad.size(), ptr(ct), ct.size(),
                                            bad.data(), 16, untouched.data()),
                  -AUTH_FAIL_ERROR);
        ASSERT_EQ(untouched, Bytes(pt.size() + 1, 0x5A));
        const std::size_t split = rng.below(static_cast<uint32_t>(pt.size() + 1));
        ChaChaPolyStream st;
        chacha_poly_stream_start(&st, key.data(), nonce.data());
        chacha_poly_stream_aad(&st, ptr(aad), aad.size());
        chacha_poly_stream_aad_end(&st);
        Bytes out(pt.size() + 1);
        chacha_poly_stream_encrypt(&st, out.data(), ptr(pt), split);
        chacha_poly_stream_encrypt(&st, out.data() + split, ptr(pt) + split, pt.size() - split);
        Bytes t(16);
        chacha_poly_stream_finish(&st, t.data());
        ASSERT_TRUE(std::equal(ct.begin(), ct.end(), out.begin()));
        ASSERT_EQ(t, tag);
    }
}

// --- Ascon -------------------------------------------------------------------

struct AsconKat {
    const char* file;
    AsconAeadKind kind;
};

// Every path the processor can run, against the KAT files: encryption,
// decryption, and a forgery that leaves zeros.
TEST(AsconAeadEngine, KnownAnswerFilesOnEveryPath) {
    const AsconKat kats[] = {{"ascon/ascon128v12_LWC_AEAD_KAT_128_128.txt", AsconAeadKind::ascon128},
                             {"ascon/ascon128av12_LWC_AEAD_KAT_128_128.txt", AsconAeadKind::ascon128a}};
    int paths_run = 0;
    for (AsconAeadPath path : {AsconAeadPath::portable, AsconAeadPath::bmi}) {
        if (!ascon_aead_path_available(path)) continue;
        ++paths_run;
        for (const AsconKat& kat : kats) {
            const auto records = tv::read_vector_file(tu::vector_path(kat.file));
            ASSERT_EQ(records.size(), 1089u) << kat.file;
            for (const tv::Record& r : records) {
                const Bytes key = r.bytes("Key"), nonce = r.bytes("Nonce"), pt = r.bytes("PT"), ad = r.bytes("AD");
                const Bytes want = r.bytes("CT");
                const std::string where = r.where(kat.file) + " path " + std::to_string(static_cast<int>(path));
                Bytes ct(pt.size() + 16);
                ascon_aead_encrypt_path(path, kat.kind, key.data(), nonce.data(), ptr(ad), ad.size(), ptr(pt),
                                        pt.size(), ct.data(), ct.data() + pt.size());
                ASSERT_EQ(ct, want) << where;
                Bytes back(pt.size() + 1, 0x33);
                ASSERT_EQ(ascon_aead_decrypt_path(path, kat.kind, key.data(), nonce.data(), ptr(ad), ad.size(),
                                                  want.data(), pt.size(), want.data() + pt.size(), back.data()),
                          0)
                    << where;
                ASSERT_TRUE(std::equal(pt.begin(), pt.end(), back.begin())) << where;
                ASSERT_EQ(back[pt.size()], 0x33);
                Bytes forged = want;
                forged[r.number("Count") % forged.size()] ^= 0x80;
                ASSERT_EQ(ascon_aead_decrypt_path(path, kat.kind, key.data(), nonce.data(), ptr(ad), ad.size(),
                                                  forged.data(), pt.size(), forged.data() + pt.size(), back.data()),
                          -AUTH_FAIL_ERROR);
                Bytes zeros(pt.size() + 1, 0);
                zeros[pt.size()] = 0x33;
                ASSERT_EQ(back, zeros) << where << ": failed decryption not zeroed";
            }
        }
    }
    EXPECT_GE(paths_run, 1);
}

}  // namespace

// --- The incremental context's message limits ----------------------------------

namespace {

// A message may not pass 2^36 - 32 bytes (GCM) or (2^32 - 1) x 64 bytes
// (ChaCha20-Poly1305): the call that would is refused and processes nothing.
// The context is brought near the limit by setting its count.
TEST(AeadContextEngine, MessageLimits) {
    const uint8_t key[32] = {1}, nonce[12] = {2};
    uint8_t in[64] = {3}, out[64];
    for (uint32_t alg : {AEAD_AES_128_GCM, AEAD_AES_256_GCM, AEAD_CHACHA20_POLY1305}) {
        AeadContext ctx{};
        ASSERT_EQ(aead_ctx_init(&ctx, key, alg == AEAD_AES_128_GCM ? 16 : 32, alg), 0);
        ASSERT_EQ(aead_ctx_set_nonce(&ctx, nonce, 12), 0);
        ASSERT_EQ(aead_ctx_start_encrypt(&ctx), 0);
        const bool gcm = alg != AEAD_CHACHA20_POLY1305;
        uint64_t& count = gcm ? ctx.u.gcm.msg.text_len : ctx.u.chacha.text_len;
        const uint64_t limit = gcm ? kGcmMaxText : kChaChaPolyMaxText;
        count = limit - 10;
        std::memset(out, 0x44, sizeof out);
        AeadContext saved;
        std::memcpy(&saved, &ctx, sizeof ctx);
        EXPECT_EQ(aead_ctx_update(&ctx, out, 64, in, 11), -BAD_LENGTH_ERROR) << alg;
        EXPECT_EQ(std::memcmp(&saved, &ctx, sizeof ctx), 0) << alg << ": the context changed";
        EXPECT_EQ(out[0], 0x44);
        EXPECT_EQ(aead_ctx_update(&ctx, out, 64, in, 10), 0) << alg;
        EXPECT_EQ(count, limit);
        EXPECT_EQ(aead_ctx_update(&ctx, out, 64, in, 1), -BAD_LENGTH_ERROR) << alg;
        EXPECT_EQ(aead_ctx_update(&ctx, out, 64, in, 0), 0) << alg;
    }
}

// A context whose algorithm is not 1, 2 or 29 is an internal error.
TEST(AeadContextEngine, UnknownAlgorithmIsInternalError) {
    AeadContext ctx{};
    ctx.algorithm = -1;
    ctx.stage = kAeadKeyed;
    const uint8_t nonce[12] = {};
    EXPECT_EQ(aead_ctx_set_nonce(&ctx, nonce, 12), -INTERNAL_ERROR);
    EXPECT_EQ(aead_ctx_start_encrypt(&ctx), -INTERNAL_ERROR);
    EXPECT_EQ(aead_ctx_finish_decrypt(&ctx), -INTERNAL_ERROR);
}

}  // namespace
