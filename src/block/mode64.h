// The five modes of operation over an 8-byte block, shared by DES, Triple DES
// and Blowfish. A block is two 32-bit words loaded big-endian (bytes 0 to 3
// form the high word); the chaining register is kept in the same form.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "block/modes.h"
#include "core/wipe.h"
#include "tessalib.h"

// Finishes the setup of a keyed context (DesContext, TdeaContext,
// BlowfishContext): records the direction and the mode and, except in ECB,
// loads the 8 IV bytes into the register and the initial IV.
template <typename Context>
inline void mode64_start(Context* ctx, int32_t mode, int32_t encrypt, const uint8_t* iv) noexcept {
    ctx->direction = encrypt ? 1u : 0u;
    ctx->mode = static_cast<uint32_t>(mode);
    if (mode != kModeEcb) {
        ctx->reg[0] = ctx->initialIv[0] = load_be32(iv);
        ctx->reg[1] = ctx->initialIv[1] = load_be32(iv + 4);
    }
}

// Runs `len` bytes of `in` to `out` (which may be the same buffer) in the
// given mode. `fwd` is the forward cipher with the context's schedule: used by
// ECB and CBC when encrypting and by CFB, OFB and CTR always. `inv` is the
// inverse used by ECB and CBC when decrypting. Both transform (hi, lo) in place.
// Only `reg` survives between calls. Returns 0, BAD_MODE_ERROR for a mode
// outside 0 to 4, or BAD_LENGTH_ERROR (nothing done) for ECB or CBC data that is
// not a whole number of blocks.
template <typename Fwd, typename Inv>
inline int32_t mode64_update(uint32_t mode, uint32_t encrypt, uint32_t reg[2], uint8_t* out, const uint8_t* in,
                             std::size_t len, const Fwd& fwd, const Inv& inv) noexcept {
    if (mode > kModeCtr) return BAD_MODE_ERROR;
    if ((mode == kModeEcb || mode == kModeCbc) && (len & 7) != 0) return BAD_LENGTH_ERROR;
    if (len == 0) return 0;

    std::size_t blocks = len >> 3;
    const std::size_t rest = len & 7;
    uint32_t r0 = reg[0], r1 = reg[1];

    switch (mode) {
    case kModeEcb:
        if (encrypt) {
            for (; blocks; --blocks, in += 8, out += 8) {
                uint32_t h = load_be32(in), l = load_be32(in + 4);
                fwd(h, l);
                store_be32(out, h);
                store_be32(out + 4, l);
            }
        } else {
            for (; blocks; --blocks, in += 8, out += 8) {
                uint32_t h = load_be32(in), l = load_be32(in + 4);
                inv(h, l);
                store_be32(out, h);
                store_be32(out + 4, l);
            }
        }
        break;
    case kModeCbc:
        if (encrypt) {
            for (; blocks; --blocks, in += 8, out += 8) {
                r0 ^= load_be32(in);
                r1 ^= load_be32(in + 4);
                fwd(r0, r1);
                store_be32(out, r0);
                store_be32(out + 4, r1);
            }
        } else {
            for (; blocks; --blocks, in += 8, out += 8) {
                const uint32_t c0 = load_be32(in), c1 = load_be32(in + 4);
                uint32_t h = c0, l = c1;
                inv(h, l);
                store_be32(out, h ^ r0);
                store_be32(out + 4, l ^ r1);
                r0 = c0;
                r1 = c1;
            }
        }
        break;
    case kModeCfb:
        for (; blocks; --blocks, in += 8, out += 8) {
            const uint32_t i0 = load_be32(in), i1 = load_be32(in + 4);
            fwd(r0, r1);
            r0 ^= i0;
            r1 ^= i1;
            store_be32(out, r0);
            store_be32(out + 4, r1);
            if (!encrypt) {
                r0 = i0;
                r1 = i1;
            }
        }
        break;
    case kModeOfb:
        for (; blocks; --blocks, in += 8, out += 8) {
            fwd(r0, r1);
            const uint32_t i0 = load_be32(in), i1 = load_be32(in + 4);
            store_be32(out, i0 ^ r0);
            store_be32(out + 4, i1 ^ r1);
        }
        break;
    default:  // kModeCtr
        for (; blocks; --blocks, in += 8, out += 8) {
            uint32_t k0 = r0, k1 = r1;
            fwd(k0, k1);
            const uint32_t i0 = load_be32(in), i1 = load_be32(in + 4);
            store_be32(out, i0 ^ k0);
            store_be32(out + 4, i1 ^ k1);
            if (++r1 == 0) ++r0;
        }
        break;
    }

    if (rest != 0) {
        // A trailing partial block (CFB, OFB, CTR): one more keystream block
        // over the zero-padded input, of which only `rest` bytes are written.
        // The remainder of that keystream block is not used by the next call.
        uint8_t block[8] = {0, 0, 0, 0, 0, 0, 0, 0};
        std::memcpy(block, in, rest);
        const uint32_t i0 = load_be32(block), i1 = load_be32(block + 4);
        uint32_t k0 = r0, k1 = r1;
        fwd(k0, k1);
        store_be32(block, i0 ^ k0);
        store_be32(block + 4, i1 ^ k1);
        if (mode == kModeCfb) {
            // The register is the ciphertext bytes followed by the unused
            // keystream bytes, the same whichever way the data goes, so that
            // encryption and decryption continue alike after this call.
            uint8_t next[8];
            std::memcpy(next, block, 8);
            if (!encrypt) std::memcpy(next, in, rest);
            r0 = load_be32(next);
            r1 = load_be32(next + 4);
            secure_wipe_obj(next);
        } else if (mode == kModeOfb) {
            r0 = k0;
            r1 = k1;
        } else if (++r1 == 0) {
            ++r0;
        }
        std::memcpy(out, block, rest);
        secure_wipe_obj(block);
    }
    reg[0] = r0;
    reg[1] = r1;
    return 0;
}
