// The modes of operation as a cipher plugs into them (block/cipher_modes.h):
// a cipher that offers multi-block paths for ECB, CBC decryption and CTR gets
// the same output and the same register as one that works a block at a time,
// whatever the lengths and however the data is split.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "block/cipher_modes.h"
#include "test_util.h"

using tu::Bytes;

namespace {

// A small invertible toy cipher on two words, enough to tell blocks and
// directions apart.
struct ToyCipher : BlockCipher<2> {
    uint32_t key = 0x9E3779B9u;
    void forward(Block& b) const noexcept {
        for (uint32_t r = 0; r < 4; ++r) {
            b[0] += rotl32(b[1], 5) ^ (key + r);
            b[1] ^= rotl32(b[0], 11) + r;
        }
    }
    void inverse(Block& b) const noexcept {
        for (uint32_t r = 4; r-- > 0;) {
            b[1] ^= rotl32(b[0], 11) + r;
            b[0] -= rotl32(b[1], 5) ^ (key + r);
        }
    }
};

// The same cipher with multi-block paths that each take a leading run of at
// most three blocks, as a cipher with wider instructions would.
struct ToyMultiBlock : ToyCipher {
    static constexpr std::size_t kRun = 3;

    std::size_t ecb_blocks(uint8_t* out, const uint8_t* in, std::size_t blocks, bool encrypt) const noexcept {
        const std::size_t n = std::min(blocks, kRun);
        for (std::size_t i = 0; i < n; ++i, in += 8, out += 8) {
            Block s;
            block_load(s, in);
            if (encrypt)
                forward(s);
            else
                inverse(s);
            block_store(out, s);
        }
        return n;
    }
    std::size_t cbc_decrypt_blocks(uint8_t* out, const uint8_t* in, std::size_t blocks, Block& r) const noexcept {
        const std::size_t n = std::min(blocks, kRun);
        for (std::size_t i = 0; i < n; ++i, in += 8, out += 8) {
            Block c, s;
            block_load(c, in);
            block_copy(s, c);
            inverse(s);
            s[0] ^= r[0];
            s[1] ^= r[1];
            block_store(out, s);
            block_copy(r, c);
        }
        return n;
    }
    std::size_t ctr_blocks(uint8_t* out, const uint8_t* in, std::size_t blocks, Block& counter) const noexcept {
        const std::size_t n = std::min(blocks, kRun);
        for (std::size_t i = 0; i < n; ++i, in += 8, out += 8) {
            Block k;
            block_copy(k, counter);
            forward(k);
            block_xor_store(out, in, k);
            block_increment(counter);
        }
        return n;
    }
};

struct ModeRun {
    Bytes out;
    uint32_t reg[2];
};

// Runs data through mode_update in pieces of the given sizes (the rest of the
// data forms the last piece), from the register `iv`.
template <typename Cipher>
ModeRun run(uint32_t mode, bool encrypt, const uint32_t (&iv)[2], const Bytes& data, const std::vector<std::size_t>& pieces) {
    ModeRun r{Bytes(data.size()), {iv[0], iv[1]}};
    std::size_t pos = 0;
    for (std::size_t n : pieces) {
        EXPECT_EQ(0, mode_update(Cipher{}, mode, encrypt, r.reg, r.out.data() + pos, data.data() + pos, n));
        pos += n;
    }
    EXPECT_EQ(0, mode_update(Cipher{}, mode, encrypt, r.reg, r.out.data() + pos, data.data() + pos, data.size() - pos));
    return r;
}

}  // namespace

TEST(BlockModePaths, MultiBlockPathsGiveWhatOneBlockAtATimeGives) {
    tu::Prng rng(41);
    const uint32_t iv[2] = {0x01234567u, 0xFFFFFFFEu};  // the counter wraps within the data
    for (uint32_t mode = kModeEcb; mode <= kModeCtr; ++mode)
        for (bool encrypt : {true, false})
            for (std::size_t blocks = 0; blocks <= 8; ++blocks)
                for (std::size_t tail : {0, 3}) {
                    if (tail != 0 && mode <= kModeCbc) continue;
                    SCOPED_TRACE(testing::Message() << "mode " << mode << (encrypt ? " enc " : " dec ") << blocks
                                                    << " blocks + " << tail);
                    const Bytes data = rng.bytes(8 * blocks + tail);
                    const ModeRun one = run<ToyCipher>(mode, encrypt, iv, data, {});
                    const ModeRun multi = run<ToyMultiBlock>(mode, encrypt, iv, data, {});
                    EXPECT_EQ(one.out, multi.out);
                    EXPECT_EQ(one.reg[0], multi.reg[0]);
                    EXPECT_EQ(one.reg[1], multi.reg[1]);
                    // Split at a whole block: the paths start again in the second call.
                    if (blocks >= 2) {
                        const ModeRun split = run<ToyMultiBlock>(mode, encrypt, iv, data, {8 * (blocks / 2)});
                        EXPECT_EQ(one.out, split.out);
                        EXPECT_EQ(one.reg[0], split.reg[0]);
                        EXPECT_EQ(one.reg[1], split.reg[1]);
                    }
                }
}

TEST(BlockModePaths, ModesRoundTripWithTheToyCipher) {
    tu::Prng rng(42);
    const uint32_t iv[2] = {0xDEADBEEFu, 0x00C0FFEEu};
    for (uint32_t mode = kModeEcb; mode <= kModeCtr; ++mode) {
        const Bytes data = rng.bytes(mode <= kModeCbc ? 40 : 43);
        const ModeRun ct = run<ToyMultiBlock>(mode, true, iv, data, {});
        EXPECT_NE(data, ct.out) << "mode " << mode;
        EXPECT_EQ(data, run<ToyMultiBlock>(mode, false, iv, ct.out, {}).out) << "mode " << mode;
    }
}
