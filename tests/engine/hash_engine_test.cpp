// Hash engines against published vectors, and streaming against one-shot.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hash/hash_engine.h"
#include "hash/keccak.h"
#include "test_util.h"
#include "vector_files.h"

namespace {

using tu::Bytes;

std::string digest_hex(uint32_t code, const Bytes& msg) {
    const HashAlgorithm* alg = hash_algorithm(code);
    uint8_t out[kHashMaxDigestLen];
    hash_digest(alg, msg.data(), msg.size(), out);
    return tu::to_hex(out, alg->digest_len, false);
}

struct KnownDigest {
    uint32_t code;
    const char* message;
    int repeat;
    const char* digest;
};

const char kM448[] = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
const char kM896[] =
    "abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu";
const char kAlnum[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

// FIPS 180-4 examples (SHA-1, SHA-2); RFC 1321 appendix A.5 (MD5); RFC 1319
// appendix A.5 (MD2); the RIPEMD-160 reference test set of its designers.
const KnownDigest kKnown[] = {
    {kHashSha1, "abc", 1, "a9993e364706816aba3e25717850c26c9cd0d89d"},
    {kHashSha1, kM448, 1, "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
    {kHashSha1, "a", 1000000, "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
    {kHashSha224, "abc", 1, "23097d223405d8228642a477bda255b32aadbce4bda0b3f7e36c9da7"},
    {kHashSha224, kM448, 1, "75388b16512776cc5dba5da1fd890150b0c6455cb4f58b1952522525"},
    {kHashSha224, "a", 1000000, "20794655980c91d8bbb4c1ea97618a4bf03f42581948b2ee4ee7ad67"},
    {kHashSha256, "abc", 1, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
    {kHashSha256, kM448, 1, "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
    {kHashSha256, "a", 1000000, "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    {kHashSha384, "abc", 1,
     "cb00753f45a35e8bb5a03d699ac65007272c32ab0eded1631a8b605a43ff5bed8086072ba1e7cc2358baeca134c825a7"},
    {kHashSha384, kM896, 1,
     "09330c33f71147e83d192fc782cd1b4753111b173b3b05d22fa08086e3b0f712fcc7c71a557e2db966c3e9fa91746039"},
    {kHashSha384, "a", 1000000,
     "9d0e1809716474cb086e834e310a4a1ced149e9c00f248527972cec5704c2a5b07b8b3dc38ecc4ebae97ddd87f3d8985"},
    {kHashSha512, "abc", 1,
     "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a2192992a274fc1a836ba3c23a3feebbd"
     "454d4423643ce80e2a9ac94fa54ca49f"},
    {kHashSha512, kM896, 1,
     "8e959b75dae313da8cf4f72814fc143f8f7779c6eb9f7fa17299aeadb6889018501d289e4900f7e4331b99dec4b5433a"
     "c7d329eeb6dd26545e96e55b874be909"},
    {kHashSha512, "a", 1000000,
     "e718483d0ce769644e2e42c7bc15b4638e1f98b13b2044285632a803afa973ebde0ff244877ea60a4cb0432ce577c31b"
     "eb009c5c2c49aa2e4eadb217ad8cc09b"},
    {kHashMd5, "", 1, "d41d8cd98f00b204e9800998ecf8427e"},
    {kHashMd5, "a", 1, "0cc175b9c0f1b6a831c399e269772661"},
    {kHashMd5, "abc", 1, "900150983cd24fb0d6963f7d28e17f72"},
    {kHashMd5, "message digest", 1, "f96b697d7cb7938d525a2f31aaf161d0"},
    {kHashMd5, "abcdefghijklmnopqrstuvwxyz", 1, "c3fcd3d76192e4007dfb496cca67e13b"},
    {kHashMd5, kAlnum, 1, "d174ab98d277d9f5a5611c2c9f419d9f"},
    {kHashMd5, "1234567890", 8, "57edf4a22be3c955ac49da2e2107b67a"},
    {kHashMd2, "", 1, "8350e5a3e24c153df2275c9f80692773"},
    {kHashMd2, "a", 1, "32ec01ec4a6dac72c0ab96fb34c0b5d1"},
    {kHashMd2, "abc", 1, "da853b0d3f88d99b30283a69e6ded6bb"},
    {kHashMd2, "message digest", 1, "ab4f496bfb2a530b219ff33031fe06b0"},
    {kHashMd2, "abcdefghijklmnopqrstuvwxyz", 1, "4e8ddff3650292ab5a4108c3aa47940b"},
    {kHashMd2, kAlnum, 1, "da33def2a42df13975352846c30338cd"},
    {kHashMd2, "1234567890", 8, "d5976f79d83d3a0dc9806c3c66f3efd8"},
    {kHashRipemd160, "", 1, "9c1185a5c5e9fc54612808977ee8f548b2258d31"},
    {kHashRipemd160, "a", 1, "0bdc9d2d256b3ee9daae347be6f4dc835a467ffe"},
    {kHashRipemd160, "abc", 1, "8eb208f7e05d987a9b044a8e98c6b087f15a0bfc"},
    {kHashRipemd160, "message digest", 1, "5d0689ef49d2fae572b881b123a85ffa21595f36"},
    {kHashRipemd160, "abcdefghijklmnopqrstuvwxyz", 1, "f71c27109c692c1b56bbdceb5b9d2865b3708dbc"},
    {kHashRipemd160, kM448, 1, "12a053384a9c0c88e405a06c27dcf49ada62eb2b"},
    {kHashRipemd160, kAlnum, 1, "b0e20b6e3116640286ed3a87a5713079b21f5189"},
    {kHashRipemd160, "1234567890", 8, "9b752e45573d4b39f4dbd3323cab82bf63326bfb"},
    {kHashRipemd160, "a", 1000000, "52783243c1697bdbe16d37f97f68f08325dc1528"},
};

TEST(HashEngine, PublishedDigests) {
    for (const KnownDigest& k : kKnown) {
        std::string text;
        for (int i = 0; i < k.repeat; ++i) text += k.message;
        EXPECT_EQ(digest_hex(k.code, tu::bytes_of(text)), k.digest)
            << "code " << k.code << " message \"" << k.message << "\" x" << k.repeat;
    }
}

TEST(HashEngine, DescriptorSizesFollowTheCodeTable) {
    struct Row {
        uint32_t options;
        uint32_t digest, block;
    } rows[] = {{0, 20, 64},    {1, 16, 64},    {2, 16, 16},    {3, 32, 64},    {4, 48, 128},
                {5, 64, 128},   {6, 28, 64},    {7, 20, 64},    {8, 20, 0},     {10, 28, 144},
                {11, 32, 136},  {12, 48, 104},  {13, 64, 72},   {0xAF, 32, 8},  {0xBF, 32, 8},
                {0x13, 32, 64}, {0x2000B, 32, 136}, {0x1AF, 32, 8}};
    for (const Row& r : rows) {
        const HashAlgorithm* alg = hash_algorithm(r.options);
        ASSERT_NE(alg, nullptr) << std::hex << r.options;
        EXPECT_EQ(alg->digest_len, r.digest) << std::hex << r.options;
        EXPECT_EQ(alg->block_len, r.block) << std::hex << r.options;
    }
    for (uint32_t bad : {9u, 14u, 15u, 0x1Fu, 0x9Fu, 0xCFu, 0x10009u})
        EXPECT_EQ(hash_algorithm(bad), nullptr) << std::hex << bad;
}

// Every engine, fed in two pieces at every split point of messages that
// cross block boundaries, gives the one-shot digest.
TEST(HashEngine, StreamingAtEverySplitEqualsOneShot) {
    tu::Prng prng(11);
    const Bytes msg = prng.bytes(300);
    for (uint32_t code : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 10u, 11u, 12u, 13u, 0xAFu, 0xBFu}) {
        const HashAlgorithm* alg = hash_algorithm(code);
        for (std::size_t len : {0, 1, 63, 64, 65, 135, 136, 137, 300}) {
            uint8_t want[kHashMaxDigestLen];
            hash_digest(alg, msg.data(), len, want);
            for (std::size_t split = 0; split <= len; ++split) {
                HashState st;
                alg->init(&st);
                alg->update(&st, msg.data(), split);
                alg->update(&st, msg.data() + split, 0);
                alg->update(&st, msg.data() + split, len - split);
                uint8_t got[kHashMaxDigestLen];
                alg->final(&st, got);
                ASSERT_EQ(tu::to_hex(got, alg->digest_len), tu::to_hex(want, alg->digest_len))
                    << "code " << code << " len " << len << " split " << split;
            }
        }
    }
}

TEST(HashEngine, FinalWipesTheState) {
    const Bytes msg(100, 0x61);
    for (uint32_t code : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 10u, 11u, 12u, 13u, 0xAFu, 0xBFu}) {
        const HashAlgorithm* alg = hash_algorithm(code);
        HashState st;
        alg->init(&st);
        alg->update(&st, msg.data(), msg.size());
        uint8_t out[kHashMaxDigestLen];
        alg->final(&st, out);
        // The engine wipes its own member of the union.
        std::size_t size = sizeof st.sha1;
        switch (code) {
            case 1: size = sizeof st.md5; break;
            case 2: size = sizeof st.md2; break;
            case 3: case 6: size = sizeof st.sha256; break;
            case 4: case 5: size = sizeof st.sha512; break;
            case 7: case 8: size = sizeof st.ripemd160; break;
            case 0xAF: case 0xBF: size = sizeof st.ascon; break;
            default: if (code >= 10) size = sizeof st.sha3; break;
        }
        const uint8_t* raw = reinterpret_cast<const uint8_t*>(&st);
        std::size_t nonzero = 0;
        for (std::size_t i = 0; i < size; ++i) nonzero += raw[i] != 0;
        EXPECT_EQ(nonzero, 0u) << "code " << code;
    }
}

// The portable SHA-256 rounds and the ones the processor may provide agree.
TEST(HashEngine, Sha256BlockFunctionsAgree) {
    tu::Prng prng(21);
    for (std::size_t blocks : {1, 2, 7}) {
        const Bytes data = prng.bytes(64 * blocks);
        uint32_t a[8], b[8];
        for (int i = 0; i < 8; ++i) a[i] = b[i] = static_cast<uint32_t>(prng.next());
        sha256_blocks(a, data.data(), blocks);
        sha256_blocks_generic(b, data.data(), blocks);
        for (int i = 0; i < 8; ++i) EXPECT_EQ(a[i], b[i]) << blocks;
    }
}

// --- SHA-3 and SHAKE: the NIST byte-oriented files ---------------------------

struct Sha3File {
    const char* name;
    int32_t bits;
};

const Sha3File kSha3Files[] = {{"224", 224}, {"256", 256}, {"384", 384}, {"512", 512}};

Bytes message_of(const tv::Record& r) {
    // "Len = 0" is written with "Msg = 00".
    Bytes msg = r.bytes("Msg");
    msg.resize(static_cast<std::size_t>(r.number("Len") / 8));
    return msg;
}

std::string sha3_hex(int32_t bits, const Bytes& msg) {
    Sha3State st;
    EXPECT_TRUE(sha3_init(&st, bits));
    sha3_update(&st, msg.data(), msg.size());
    uint8_t out[64];
    const std::size_t n = sha3_final(&st, out, sizeof out);
    return tu::to_hex(out, n, false);
}

TEST(Sha3Engine, ShortAndLongMessageFiles) {
    for (const Sha3File& f : kSha3Files) {
        for (const char* kind : {"ShortMsg", "LongMsg"}) {
            const std::string file = std::string("sha3/SHA3_") + f.name + kind + ".rsp";
            const auto records = tv::read_vector_file(tu::vector_path(file));
            ASSERT_GT(records.size(), 50u) << file;
            for (const tv::Record& r : records) {
                const std::string want = r.get("MD");
                EXPECT_EQ(sha3_hex(f.bits, message_of(r)), tu::to_hex(tu::from_hex(want), false)) << r.where(file);
            }
        }
    }
}

TEST(Sha3Engine, MonteCarloFiles) {
    for (const Sha3File& f : kSha3Files) {
        const std::string file = std::string("sha3/SHA3_") + f.name + "Monte.rsp";
        const auto records = tv::read_vector_file(tu::vector_path(file));
        ASSERT_FALSE(records.empty());
        Bytes md = records.front().bytes("Seed");
        std::size_t checked = 0;
        for (const tv::Record& r : records) {
            if (!r.has("COUNT")) continue;
            for (int i = 0; i < 1000; ++i) {
                Sha3State st;
                sha3_init(&st, f.bits);
                sha3_update(&st, md.data(), md.size());
                sha3_final(&st, md.data(), md.size());
            }
            ASSERT_EQ(tu::to_hex(md), tu::to_hex(r.bytes("MD"))) << r.where(file);
            ++checked;
        }
        EXPECT_EQ(checked, 100u) << file;
    }
}

Bytes shake(uint32_t rate, const Bytes& msg, std::size_t out_len) {
    KeccakSponge sp;
    keccak_init(&sp, rate);
    keccak_absorb(&sp, msg.data(), msg.size());
    keccak_pad(&sp, 0x1F);
    Bytes out(out_len);
    keccak_squeeze(&sp, out.data(), out.size());
    return out;
}

struct ShakeKind {
    const char* name;
    uint32_t rate;
};
const ShakeKind kShakes[] = {{"SHAKE128", 168}, {"SHAKE256", 136}};

TEST(ShakeSponge, ShortLongAndVariableOutputFiles) {
    for (const ShakeKind& k : kShakes) {
        for (const char* kind : {"ShortMsg", "LongMsg", "VariableOut"}) {
            const std::string file = std::string("sha3/") + k.name + kind + ".rsp";
            const auto records = tv::read_vector_file(tu::vector_path(file));
            ASSERT_GT(records.size(), 50u) << file;
            for (const tv::Record& r : records) {
                const Bytes want = r.bytes("Output");
                const Bytes msg = r.has("Len") ? message_of(r) : r.bytes("Msg");
                EXPECT_EQ(tu::to_hex(shake(k.rate, msg, want.size())), tu::to_hex(want)) << r.where(file);
            }
        }
    }
}

TEST(ShakeSponge, MonteCarloFiles) {
    for (const ShakeKind& k : kShakes) {
        const std::string file = std::string("sha3/") + k.name + "Monte.rsp";
        const auto records = tv::read_vector_file(tu::vector_path(file));
        ASSERT_FALSE(records.empty());
        const tv::Record& first = records.front();
        const std::size_t min_len = static_cast<std::size_t>(std::stoll(first.header("Minimum Output Length (bits)")) / 8);
        const std::size_t max_len = static_cast<std::size_t>(std::stoll(first.header("Maximum Output Length (bits)")) / 8);
        Bytes output = first.bytes("Msg");
        std::size_t out_len = max_len;
        std::size_t checked = 0;
        for (const tv::Record& r : records) {
            if (!r.has("COUNT")) continue;
            for (int i = 0; i < 1000; ++i) {
                Bytes msg(16, 0);
                for (std::size_t j = 0; j < 16 && j < output.size(); ++j) msg[j] = output[j];
                output = shake(k.rate, msg, out_len);
                const std::size_t tail = (static_cast<std::size_t>(output[out_len - 2]) << 8) | output[out_len - 1];
                out_len = min_len + tail % (max_len - min_len + 1);
            }
            ASSERT_EQ(tu::to_hex(output), tu::to_hex(r.bytes("Output"))) << r.where(file);
            ++checked;
        }
        EXPECT_EQ(checked, 100u) << file;
    }
}

// Squeezing in pieces gives the same stream as one long squeeze.
TEST(ShakeSponge, SqueezeInPiecesEqualsOneSqueeze) {
    const Bytes msg = tu::bytes_of("squeeze");
    const Bytes whole = shake(168, msg, 700);
    KeccakSponge sp;
    keccak_init(&sp, 168);
    keccak_absorb(&sp, msg.data(), msg.size());
    keccak_pad(&sp, 0x1F);
    Bytes pieces;
    for (std::size_t step : {1, 167, 168, 5, 200, 159}) {
        Bytes part(step);
        keccak_squeeze(&sp, part.data(), part.size());
        pieces.insert(pieces.end(), part.begin(), part.end());
    }
    EXPECT_EQ(tu::to_hex(pieces), tu::to_hex(whole));
}

// --- Ascon-Hash and Ascon-Hasha: the LWC known-answer files --------------------

TEST(AsconHashEngine, KnownAnswerFiles) {
    struct {
        const char* file;
        uint32_t code;
    } files[] = {{"ascon/asconhashv12_LWC_HASH_KAT_256.txt", kHashAsconHash},
                 {"ascon/asconhashav12_LWC_HASH_KAT_256.txt", kHashAsconHasha}};
    for (const auto& f : files) {
        const auto records = tv::read_vector_file(tu::vector_path(f.file));
        EXPECT_EQ(records.size(), 1025u) << f.file;
        for (const tv::Record& r : records)
            EXPECT_EQ(digest_hex(f.code, r.bytes("Msg")), tu::to_hex(r.bytes("MD"), false)) << r.where(f.file);
    }
}

// The dispatcher's double option applies to codes 0-7 only.
TEST(HashEngine, DoubleOptionHashesTheDigestForCodesUpToSeven) {
    const Bytes msg = tu::bytes_of("abc");
    for (uint32_t code : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 11u, 0xAFu}) {
        uint8_t once[64], twice[64], doubled[64];
        const int32_t n = hash_bytes(once, sizeof once, msg.data(), msg.size(), code);
        hash_bytes(twice, sizeof twice, once, static_cast<std::size_t>(n), code);
        ASSERT_EQ(hash_bytes(doubled, sizeof doubled, msg.data(), msg.size(), code | HASH_OPT_DOUBLE), n);
        const std::string expect = code <= 7 ? tu::to_hex(twice, n) : tu::to_hex(once, n);
        EXPECT_EQ(tu::to_hex(doubled, n), expect) << "code " << code;
    }
}

}  // namespace
