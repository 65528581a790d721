// Engines with a processor-specific path and a portable one: both give the
// same result on the same input. The published vectors run through the
// dispatched path (whatever this processor selects); these checks tie the
// portable path to it.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "hash/keccak.h"
#include "hash/poly1305.h"
#include "hash/scrypt.h"
#include "hash/sha1.h"
#include "hash/sha512.h"
#include "test_util.h"

namespace {

using tu::Bytes;

TEST(HashPaths, KeccakPermutationsAgree) {
    tu::Prng prng(7);
    for (int trial = 0; trial < 4; ++trial) {
        uint64_t a[25], b[25];
        for (int i = 0; i < 25; ++i) a[i] = b[i] = trial == 0 ? 0 : prng.next();
        for (int step = 0; step < 3; ++step) {
            keccak_f1600(a);
            keccak_f1600_generic(b);
            ASSERT_EQ(std::memcmp(a, b, sizeof a), 0) << "trial " << trial << " step " << step;
        }
    }
}

// The first permutation of the all-zero state, the published Keccak-f[1600]
// intermediate value, through the portable path.
TEST(HashPaths, KeccakGenericPermutesZeroStateToKnownValue) {
    uint64_t s[25] = {};
    keccak_f1600_generic(s);
    EXPECT_EQ(s[0], 0xF1258F7940E1DDE7ull);
    EXPECT_EQ(s[1], 0x84D5CCF933C0478Aull);
    EXPECT_EQ(s[24], 0xEAF1FF7B5CECA249ull);
}

TEST(HashPaths, Sha1BlockFunctionsAgree) {
    tu::Prng prng(11);
    for (std::size_t blocks : {1, 2, 5}) {
        const Bytes data = prng.bytes(64 * blocks);
        uint32_t a[5], b[5];
        for (int i = 0; i < 5; ++i) a[i] = b[i] = static_cast<uint32_t>(prng.next());
        sha1_blocks(a, data.data(), blocks);
        sha1_blocks_generic(b, data.data(), blocks);
        for (int i = 0; i < 5; ++i) EXPECT_EQ(a[i], b[i]) << blocks << " blocks, word " << i;
    }
}

// SHA-1 of "abc" (FIPS 180-4 example) through the portable rounds.
TEST(HashPaths, Sha1GenericRoundsGiveAbcDigest) {
    uint8_t block[64] = {'a', 'b', 'c', 0x80};
    block[63] = 24;  // message length in bits
    uint32_t h[5] = {0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u};
    sha1_blocks_generic(h, block, 1);
    const uint32_t expect[5] = {0xA9993E36u, 0x4706816Au, 0xBA3E2571u, 0x7850C26Cu, 0x9CD0D89Du};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(h[i], expect[i]) << i;
}

TEST(HashPaths, Sha512BlockFunctionsAgree) {
    tu::Prng prng(17);
    for (std::size_t blocks : {1, 3}) {
        const Bytes data = prng.bytes(128 * blocks);
        uint64_t a[8], b[8];
        for (int i = 0; i < 8; ++i) a[i] = b[i] = prng.next();
        sha512_blocks(a, data.data(), blocks);
        sha512_blocks_generic(b, data.data(), blocks);
        for (int i = 0; i < 8; ++i) EXPECT_EQ(a[i], b[i]) << blocks << " blocks, word " << i;
    }
}

// Several states compressed side by side give what each gives alone: the
// eight-lane pass for every number of live lanes (where the processor has
// it), and the dispatcher for counts below, at and above a full pass.
TEST(HashPaths, Sha512LanesAgreeWithOneStateAtATime) {
    tu::Prng prng(23);
    const bool x8 = [] {
        uint64_t h[8] = {};
        uint64_t* hp[1] = {h};
        const uint8_t block[128] = {};
        const uint8_t* bp[1] = {block};
        return sha512_blocks_x8(hp, bp, 1);
    }();
    for (int path = 0; path < 2; ++path) {
        if (path == 0 && !x8) continue;
        for (std::size_t count : {1, 2, 3, 5, 7, 8, 9, 16, 19}) {
            if (path == 0 && count > kSha512Lanes) continue;
            std::vector<std::array<uint64_t, 8>> a(count), b(count);
            std::vector<Bytes> blocks;
            std::vector<uint64_t*> hp;
            std::vector<const uint8_t*> bp;
            for (std::size_t i = 0; i < count; ++i) {
                for (int j = 0; j < 8; ++j) a[i][j] = b[i][j] = prng.next();
                blocks.push_back(prng.bytes(128));
            }
            for (std::size_t i = 0; i < count; ++i) {
                hp.push_back(a[i].data());
                bp.push_back(blocks[i].data());
            }
            if (path == 0) {
                ASSERT_TRUE(sha512_blocks_x8(hp.data(), bp.data(), count));
            } else {
                sha512_blocks_lanes(hp.data(), bp.data(), count);
            }
            for (std::size_t i = 0; i < count; ++i) {
                sha512_blocks_generic(b[i].data(), blocks[i].data(), 1);
                EXPECT_EQ(a[i], b[i]) << (path == 0 ? "x8" : "dispatched") << ", " << count << " states, state " << i;
            }
        }
    }
}

// Updates of several states at once, each with its own waiting bytes and
// length (none, less than a block, several blocks), equal the same updates
// one state at a time, down to the waiting block and the byte count; and
// the digests then agree.
TEST(HashPaths, Sha512UpdateLanesEqualsOneUpdatePerState) {
    tu::Prng prng(29);
    for (std::size_t count : {1, 4, 8, 11}) {
        for (int trial = 0; trial < 6; ++trial) {
            std::vector<Sha512State> a(count), b(count);
            std::vector<Bytes> data;
            for (std::size_t i = 0; i < count; ++i) {
                sha512_init(&a[i]);
                const Bytes head = prng.bytes(prng.below(300));
                sha512_update(&a[i], head.data(), head.size());
                const std::size_t len = trial == 0 ? 0 : (trial == 1 ? 132 : prng.below(520));
                data.push_back(prng.bytes(len));
                b[i] = a[i];
            }
            std::vector<Sha512State*> sp;
            std::vector<const uint8_t*> dp;
            std::vector<std::size_t> lens;
            for (std::size_t i = 0; i < count; ++i) {
                sp.push_back(&a[i]);
                dp.push_back(data[i].data());
                lens.push_back(data[i].size());
                sha512_update(&b[i], data[i].data(), data[i].size());
            }
            sha512_update_lanes(sp.data(), dp.data(), lens.data(), count);
            for (std::size_t i = 0; i < count; ++i) {
                EXPECT_EQ(std::memcmp(a[i].h, b[i].h, sizeof a[i].h), 0) << count << " states, state " << i;
                EXPECT_EQ(a[i].total_lo, b[i].total_lo);
                EXPECT_EQ(a[i].buf_len, b[i].buf_len);
                EXPECT_EQ(std::memcmp(a[i].buf, b[i].buf, a[i].buf_len), 0);
                uint8_t da[64], db[64];
                sha512_final(&a[i], da);
                sha512_final(&b[i], db);
                EXPECT_EQ(tu::to_hex(da, 64, false), tu::to_hex(db, 64, false));
            }
        }
    }
}

// Poly1305 over lengths around the point where whole blocks go to the vector
// path (where the processor has one) and past it, with random keys, the key
// whose r limbs are all at their largest, and messages of all-one bits that
// push every carry; and the same message fed in uneven pieces.
TEST(HashPaths, Poly1305VectorAndPortablePathsAgree) {
    tu::Prng prng(19);
    for (int kind = 0; kind < 3; ++kind) {
        for (std::size_t len : {0, 15, 16, 127, 128, 255, 256, 767, 768, 769, 1000, 1024, 1151, 4096, 4103}) {
            Bytes key = prng.bytes(32);
            Bytes msg = prng.bytes(len);
            if (kind >= 1) key.assign(32, 0xFF);
            if (kind == 2) msg.assign(len, 0xFF);
            uint8_t a[16], b[16], c[16];
            poly1305_bytes(a, msg.data(), msg.size(), key.data());
            poly1305_bytes_portable(b, msg.data(), msg.size(), key.data());
            Poly1305State st;
            poly1305_init(&st, key.data());
            for (std::size_t off = 0, step = 1; off < len; off += step, step = step * 3 + 5) {
                poly1305_update(&st, msg.data() + off, std::min(step, len - off));
            }
            poly1305_finish(&st, c);
            EXPECT_EQ(tu::to_hex(a, 16, false), tu::to_hex(b, 16, false)) << "kind " << kind << " length " << len;
            EXPECT_EQ(tu::to_hex(c, 16, false), tu::to_hex(b, 16, false)) << "kind " << kind << " length " << len;
        }
    }
}

// scrypt with the vector Salsa20/8 core (where the processor has one) and
// with the portable core, over cost parameters that exercise several
// sub-blocks and several blocks of B.
TEST(HashPaths, ScryptCoresAgree) {
    tu::Prng prng(13);
    const Bytes password = prng.bytes(11), salt = prng.bytes(7);
    struct Cost {
        uint64_t n, r, p;
    };
    for (const Cost& c : {Cost{2, 1, 1}, Cost{16, 1, 2}, Cost{64, 3, 1}, Cost{32, 2, 3}}) {
        uint8_t a[72], b[72];
        ASSERT_EQ(scrypt_derive(a, sizeof a, password.data(), password.size(), salt.data(), salt.size(), c.n, c.r,
                                c.p),
                  0);
        ASSERT_EQ(scrypt_derive_portable(b, sizeof b, password.data(), password.size(), salt.data(), salt.size(),
                                         c.n, c.r, c.p),
                  0);
        EXPECT_EQ(tu::to_hex(a, sizeof a, false), tu::to_hex(b, sizeof b, false)) << c.n << " " << c.r << " " << c.p;
    }
}

// RFC 7914 section 12, first vector (empty password and salt, N = 16,
// r = 1, p = 1), through the portable core.
TEST(HashPaths, ScryptPortableCoreGivesRfcVector) {
    uint8_t out[64];
    ASSERT_EQ(scrypt_derive_portable(out, sizeof out, nullptr, 0, nullptr, 0, 16, 1, 1), 0);
    EXPECT_EQ(tu::to_hex(out, sizeof out, false),
              "77d6576238657b203b19ca42c18a0497f16b4844e3074ae8dfdffa3fede21442"
              "fcd0069ded0948f8326a753a0fc81f17e8d3e0fb2e0d3628cf35e20c38d18906");
}

}  // namespace
