// The AES and GHASH paths against each other: the table path (for
// processors without AES instructions) is the reference, and every other
// path this processor offers (AES-NI with PCLMULQDQ; VAES with VPCLMULQDQ)
// must give the same bytes, registers, tags and results for every key size,
// mode, direction, length (0 to 1,000 and long), split into pieces, counter
// carry, GCM IV length, and through CMAC and the AEAD functions.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "aead/aead.h"
#include "aead/aead_stream.h"
#include "aead/gcm.h"
#include "aes_paths.h"
#include "block/aes.h"
#include "block/modes.h"
#include "hash/cmac.h"
#include "tessalib.h"
#include "test_util.h"

namespace {

using Bytes = std::vector<uint8_t>;

const int kModes[] = {kModeEcb, kModeCbc, kModeCfb, kModeOfb, kModeCtr};
const char* const kModeNames[] = {"ECB", "CBC", "CFB", "OFB", "CTR"};

// The paths other than the tables (none on a processor without AES
// instructions, where the comparisons have nothing to compare).
std::vector<AesPath> hardware_paths() {
    std::vector<AesPath> out;
    for (AesPath p : available_aes_paths())
        if (p != AesPath::tables) out.push_back(p);
    return out;
}

// One message through a context in the given pieces (sizes adding up to the
// length; whole blocks for ECB and CBC), on one path. Returns the output
// followed by the register after the last piece, or the first failing code.
struct ModeRun {
    int32_t rc = 0;
    Bytes out;
    Bytes reg;
};

ModeRun run_pieces(AesPath path, int mode, int encrypt, const Bytes& key, const Bytes& iv, const Bytes& in,
               const std::vector<std::size_t>& pieces) {
    AesPathScope scope(path);
    ModeRun r;
    AesContext ctx;
    r.rc = AesSetup(&ctx, mode, key.data(), static_cast<int32_t>(key.size()), encrypt, iv.data());
    if (r.rc != 0) return r;
    r.out.assign(in.size(), 0);
    std::size_t at = 0;
    for (std::size_t n : pieces) {
        r.rc = AesUpdate(&ctx, r.out.data() + at, in.data() + at, n);
        if (r.rc != 0) return r;
        at += n;
    }
    r.reg.assign(ctx.reg, ctx.reg + 16);
    return r;
}

void expect_same(const ModeRun& want, const ModeRun& got, const std::string& what) {
    ASSERT_EQ(got.rc, want.rc) << what;
    ASSERT_EQ(got.out, want.out) << what;
    ASSERT_EQ(got.reg, want.reg) << what;
}

// Random piece sizes adding up to len (whole blocks where the mode needs them).
std::vector<std::size_t> random_pieces(tu::Prng& rng, std::size_t len, bool whole_blocks) {
    std::vector<std::size_t> out;
    while (len != 0) {
        std::size_t n = 1 + rng.below(static_cast<uint32_t>(len < 300 ? len : 300));
        if (whole_blocks) n = (n + 15) / 16 * 16;
        if (n > len) n = len;
        out.push_back(n);
        len -= n;
    }
    return out;
}

}  // namespace

// The key schedules are the same words on every path, for both directions of
// every mode, so a context keyed on one path runs on another.
TEST(AesPaths, KeySchedulesAreTheSameWords) {
    tu::Prng rng(101);
    for (std::size_t key_len : {16u, 24u, 32u})
        for (int mode : kModes)
            for (int encrypt : {0, 1}) {
                const Bytes key = rng.bytes(key_len), iv = rng.bytes(16);
                AesContext want;
                {
                    AesPathScope scope(AesPath::tables);
                    ASSERT_EQ(AesSetup(&want, mode, key.data(), static_cast<int32_t>(key_len), encrypt, iv.data()), 0);
                }
                for (AesPath path : hardware_paths()) {
                    AesPathScope scope(path);
                    AesContext got;
                    ASSERT_EQ(AesSetup(&got, mode, key.data(), static_cast<int32_t>(key_len), encrypt, iv.data()), 0);
                    EXPECT_EQ(std::memcmp(&got, &want, sizeof got), 0)
                        << aes_path_name(path) << " " << key_len << " " << kModeNames[mode] << " " << encrypt;
                }
            }
}

// Every key size, mode and direction, every length from 0 to 1,000 and a
// long one, in one call and in random pieces.
TEST(AesPaths, EveryModeLengthAndSplitGivesTheSameBytes) {
    tu::Prng rng(102);
    std::vector<std::size_t> lengths;
    for (std::size_t n = 0; n <= 1000; ++n) lengths.push_back(n);
    lengths.push_back(65536 + 16 * 37 + 5);
    for (std::size_t key_len : {16u, 24u, 32u})
        for (int mode : kModes)
            for (int encrypt : {0, 1})
                for (std::size_t len : lengths) {
                    const Bytes key = rng.bytes(key_len), iv = rng.bytes(16), in = rng.bytes(len);
                    const bool whole = mode == kModeEcb || mode == kModeCbc;
                    const std::vector<std::size_t> one{len};
                    const ModeRun want = run_pieces(AesPath::tables, mode, encrypt, key, iv, in, one);
                    if (whole && len % 16 != 0) {
                        ASSERT_EQ(want.rc, -BAD_LENGTH_ERROR);
                    }
                    const std::vector<std::size_t> pieces =
                        whole && len % 16 != 0 ? one : random_pieces(rng, len, whole);
                    const ModeRun want_pieces = run_pieces(AesPath::tables, mode, encrypt, key, iv, in, pieces);
                    for (AesPath path : hardware_paths()) {
                        const std::string what = std::string(aes_path_name(path)) + " " + kModeNames[mode] + " key " +
                                                 std::to_string(key_len) + " enc " + std::to_string(encrypt) +
                                                 " len " + std::to_string(len);
                        expect_same(want, run_pieces(path, mode, encrypt, key, iv, in, one), what);
                        expect_same(want_pieces, run_pieces(path, mode, encrypt, key, iv, in, pieces), what + " split");
                    }
                }
}

// CTR's 128-bit counter across the carries out of each 64-bit half and the
// wrap of the whole block, at every offset inside the multi-block runs.
TEST(AesPaths, CounterCarriesGiveTheSameBytes) {
    tu::Prng rng(103);
    for (std::size_t key_len : {16u, 32u})
        for (uint64_t below : {1u, 2u, 7u, 8u, 9u, 15u, 16u, 17u, 40u})
            for (bool all_ones_high : {false, true}) {
                const Bytes key = rng.bytes(key_len), in = rng.bytes(16 * 64 + 9);
                Bytes iv = rng.bytes(16);
                const uint64_t lo = UINT64_MAX - below + 1;
                for (int i = 0; i < 8; ++i) iv[8 + i] = static_cast<uint8_t>(lo >> (56 - 8 * i));
                if (all_ones_high) std::memset(iv.data(), 0xFF, 8);
                const std::vector<std::size_t> one{in.size()};
                const ModeRun want = run_pieces(AesPath::tables, kModeCtr, 1, key, iv, in, one);
                for (AesPath path : hardware_paths())
                    expect_same(want, run_pieces(path, kModeCtr, 1, key, iv, in, one),
                                std::string(aes_path_name(path)) + " below " + std::to_string(below));
            }
}

// A context keyed on one path and continued on another.
TEST(AesPaths, ContextsMoveBetweenPaths) {
    tu::Prng rng(104);
    for (AesPath path : hardware_paths())
        for (int mode : kModes)
            for (int encrypt : {0, 1}) {
                const Bytes key = rng.bytes(32), iv = rng.bytes(16), in = rng.bytes(16 * 40);
                const ModeRun want = run_pieces(AesPath::tables, mode, encrypt, key, iv, in, {in.size()});
                AesContext ctx;
                {
                    AesPathScope scope(path);
                    ASSERT_EQ(AesSetup(&ctx, mode, key.data(), 32, encrypt, iv.data()), 0);
                }
                Bytes out(in.size());
                {
                    AesPathScope scope(AesPath::tables);
                    ASSERT_EQ(AesUpdate(&ctx, out.data(), in.data(), 16 * 20), 0);
                }
                {
                    AesPathScope scope(path);
                    ASSERT_EQ(AesUpdate(&ctx, out.data() + 320, in.data() + 320, 16 * 20), 0);
                }
                EXPECT_EQ(out, want.out) << aes_path_name(path) << " " << kModeNames[mode] << " " << encrypt;
            }
}

// CMAC over AES: every key size, lengths 0 to 1,000 and a long one, whole
// and in pieces.
TEST(AesPaths, CmacGivesTheSameTags) {
    tu::Prng rng(105);
    const uint32_t variants[] = {kCmacAes128, kCmacAes192, kCmacAes256};
    for (uint32_t variant : variants)
        for (std::size_t len = 0; len <= 1001; ++len) {
            const std::size_t n = len == 1001 ? 100000 + 3 : len;
            const Bytes key = rng.bytes(cmac_key_len(variant)), msg = rng.bytes(n);
            const std::vector<std::size_t> pieces = random_pieces(rng, n, false);
            auto tag_of = [&](AesPath path, bool split) {
                AesPathScope scope(path);
                CmacState st;
                EXPECT_EQ(cmac_init(&st, variant, key.data(), key.size()), 0);
                if (split) {
                    std::size_t at = 0;
                    for (std::size_t p : pieces) cmac_update(&st, msg.data() + at, p), at += p;
                } else {
                    cmac_update(&st, msg.data(), n);
                }
                Bytes tag(16);
                cmac_final(&st, tag.data());
                return tag;
            };
            const Bytes want = tag_of(AesPath::tables, false);
            ASSERT_EQ(tag_of(AesPath::tables, true), want);
            for (AesPath path : hardware_paths()) {
                ASSERT_EQ(tag_of(path, false), want) << aes_path_name(path) << " " << variant << " " << n;
                ASSERT_EQ(tag_of(path, true), want) << aes_path_name(path) << " " << variant << " " << n << " split";
            }
        }
}

// GCM: every IV length from 1 to 80 and some long ones, texts and AAD of
// many lengths, one-shot and as a stream in pieces; decryption and its
// verdict on a good and on a bad tag.
TEST(AesPaths, GcmEveryIvLengthGivesTheSameCiphertextAndTag) {
    tu::Prng rng(106);
    std::vector<std::size_t> iv_lengths;
    for (std::size_t n = 1; n <= 80; ++n) iv_lengths.push_back(n);
    for (std::size_t n : {128u, 255u, 1000u}) iv_lengths.push_back(n);
    auto seal = [](AesPath path, const Bytes& key, const Bytes& iv, const Bytes& aad, const Bytes& pt, Bytes* ct,
                   Bytes* tag) {
        AesPathScope scope(path);
        GcmKey k;
        gcm_key_setup(&k, key.data(), key.size());
        ct->assign(pt.size(), 0);
        tag->assign(16, 0);
        gcm_encrypt(&k, iv.data(), iv.size(), tu::nonnull(aad), aad.size(), tu::nonnull(pt), pt.size(),
                    pt.empty() ? nullptr : ct->data(), tag->data());
    };
    for (std::size_t key_len : {16u, 24u, 32u})
        for (std::size_t iv_len : iv_lengths) {
            const std::size_t len = iv_len <= 80 ? rng.below(1001) : 70000 + rng.below(100);
            const Bytes key = rng.bytes(key_len), iv = rng.bytes(iv_len), aad = rng.bytes(rng.below(300)),
                        pt = rng.bytes(len);
            Bytes want_ct, want_tag;
            seal(AesPath::tables, key, iv, aad, pt, &want_ct, &want_tag);
            for (AesPath path : hardware_paths()) {
                const std::string what = std::string(aes_path_name(path)) + " key " + std::to_string(key_len) +
                                         " iv " + std::to_string(iv_len) + " len " + std::to_string(len);
                Bytes ct, tag;
                seal(path, key, iv, aad, pt, &ct, &tag);
                ASSERT_EQ(ct, want_ct) << what;
                ASSERT_EQ(tag, want_tag) << what;

                AesPathScope scope(path);
                GcmKey k;
                gcm_key_setup(&k, key.data(), key.size());
                Bytes back(len);
                ASSERT_EQ(gcm_decrypt(&k, iv.data(), iv_len, tu::nonnull(aad), aad.size(), tu::nonnull(ct), len,
                                      tag.data(), 16, len ? back.data() : nullptr),
                          0)
                    << what;
                ASSERT_EQ(back, pt) << what;
                tag[15] ^= 1;
                ASSERT_EQ(gcm_decrypt(&k, iv.data(), iv_len, tu::nonnull(aad), aad.size(), tu::nonnull(ct), len,
                                      tag.data(), 16, len ? back.data() : nullptr),
                          -AUTH_FAIL_ERROR)
                    << what;

                // The same message as a stream in random pieces.
                GcmStream st;
                gcm_stream_start(&k, &st, iv.data(), iv_len);
                std::size_t at = 0;
                for (std::size_t p : random_pieces(rng, aad.size(), false))
                    gcm_stream_aad(&k, &st, aad.data() + at, p), at += p;
                gcm_stream_aad_end(&k, &st);
                Bytes sct(len), stag(16);
                at = 0;
                for (std::size_t p : random_pieces(rng, len, false))
                    gcm_stream_encrypt(&k, &st, sct.data() + at, pt.data() + at, p), at += p;
                gcm_stream_finish(&k, &st, stag.data());
                ASSERT_EQ(sct, want_ct) << what << " stream";
                ASSERT_EQ(stag, want_tag) << what << " stream";
            }
        }
}

// The AEAD functions over AES-GCM: one-shot and through the incremental
// context, on every path.
TEST(AesPaths, AeadGivesTheSameBytes) {
    tu::Prng rng(107);
    for (uint32_t alg : {static_cast<uint32_t>(AEAD_AES_128_GCM), static_cast<uint32_t>(AEAD_AES_256_GCM)})
        for (std::size_t len : {0u, 1u, 15u, 16u, 17u, 255u, 256u, 257u, 1000u, 4099u}) {
            AeadChoice c;
            ASSERT_EQ(aead_choose(alg, &c), 0);
            const Bytes key = rng.bytes(c.key_len), nonce = rng.bytes(12), aad = rng.bytes(rng.below(70)),
                        pt = rng.bytes(len);
            auto seal = [&](AesPath path) {
                AesPathScope scope(path);
                Bytes out(len + 16);
                aead_seal(c, key.data(), nonce.data(), tu::nonnull(aad), aad.size(), tu::nonnull(pt), len,
                          out.data(), out.data() + len);
                AeadContext ctx{};
                EXPECT_EQ(aead_ctx_init(&ctx, key.data(), key.size(), alg), 0);
                EXPECT_EQ(aead_ctx_set_nonce(&ctx, nonce.data(), 12), 0);
                EXPECT_EQ(aead_ctx_add_aad(&ctx, tu::nonnull(aad), static_cast<int32_t>(aad.size())), 0);
                EXPECT_EQ(aead_ctx_start_encrypt(&ctx), 0);
                Bytes inc(len + 16);
                const std::size_t half = len / 3;
                EXPECT_EQ(aead_ctx_update(&ctx, inc.data(), static_cast<int32_t>(half), tu::nonnull(pt),
                                          static_cast<int32_t>(half)),
                          0);
                EXPECT_EQ(aead_ctx_update(&ctx, inc.data() + half, static_cast<int32_t>(len - half),
                                          tu::nonnull(pt) + half, static_cast<int32_t>(len - half)),
                          0);
                EXPECT_EQ(aead_ctx_finish_encrypt(&ctx, inc.data() + len, 16), 0);
                EXPECT_EQ(inc, out);
                Bytes back(len);
                EXPECT_EQ(aead_open(c, key.data(), nonce.data(), tu::nonnull(aad), aad.size(), out.data(), len,
                                    out.data() + len, 16, len ? back.data() : nullptr),
                          0);
                EXPECT_EQ(back, pt);
                return out;
            };
            const Bytes want = seal(AesPath::tables);
            for (AesPath path : hardware_paths())
                ASSERT_EQ(seal(path), want) << aes_path_name(path) << " " << alg << " " << len;
        }
}
