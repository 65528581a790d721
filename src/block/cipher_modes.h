// The five modes of operation (ECB, CBC, CFB, OFB, CTR), written once for
// every cipher of the engine over a small cipher trait, with the setup steps
// every context shares. A rule of a mode (lengths, partial blocks, what the
// register holds) lives here and nowhere else.
//
// A cipher plugs in by deriving from BlockCipher<W>, where W is its block
// length in 32-bit words (AES 4, the 8-byte ciphers 2), and defining
//   void forward(Block& b) const noexcept;  // E with the context's schedule
//   void inverse(Block& b) const noexcept;  // D: ECB and CBC decryption only
// A block is W words, each loaded big-endian (bytes 0 to 3 form word 0).
//
// A cipher that has faster ways than one `forward` per block (a processor's
// AES instructions, for one) hides the defaults of BlockCipher with its own
// runs of whole blocks: several blocks at a time for the modes that allow it
// (ECB, CBC decryption, CFB decryption, CTR), and the chained modes (CBC and
// CFB encryption, OFB) one block after another with the key held in the
// processor's registers. Each such path does a leading run of at most
// `blocks` whole blocks, leaves the register as the mode would, and returns
// how many blocks it did; the modes do the rest one block at a time.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "block/modes.h"
#include "core/endian.h"
#include "core/wipe.h"
#include "tessalib.h"

// Block helpers on W words. They work in place on arrays rather than
// returning blocks, so that the optimiser keeps every word in a register.

template <std::size_t W>
inline void block_load(uint32_t (&b)[W], const uint8_t* p) noexcept {
    for (std::size_t i = 0; i < W; ++i) b[i] = load_be32(p + 4 * i);
}

template <std::size_t W>
inline void block_store(uint8_t* p, const uint32_t (&b)[W]) noexcept {
    for (std::size_t i = 0; i < W; ++i) store_be32(p + 4 * i, b[i]);
}

template <std::size_t W>
inline void block_copy(uint32_t (&to)[W], const uint32_t (&from)[W]) noexcept {
    for (std::size_t i = 0; i < W; ++i) to[i] = from[i];
}

// b ^= the block at p.
template <std::size_t W>
inline void block_xor_load(uint32_t (&b)[W], const uint8_t* p) noexcept {
    for (std::size_t i = 0; i < W; ++i) b[i] ^= load_be32(p + 4 * i);
}

// out = in ^ k, a block of bytes (out may be in).
template <std::size_t W>
inline void block_xor_store(uint8_t* out, const uint8_t* in, const uint32_t (&k)[W]) noexcept {
    for (std::size_t i = 0; i < W; ++i) store_be32(out + 4 * i, load_be32(in + 4 * i) ^ k[i]);
}

// Adds one to the block taken as a big-endian number of 32 * W bits; the
// all-ones value wraps to zero.
template <std::size_t W>
inline void block_increment(uint32_t (&b)[W]) noexcept {
    static_assert(W == 2 || W == 4, "blocks of 8 or 16 bytes");
    if constexpr (W == 2) {
        if (++b[1] == 0) ++b[0];
    } else {
        if (++b[3] == 0 && ++b[2] == 0 && ++b[1] == 0) ++b[0];
    }
}

// The base of every cipher trait: the block shape and the multi-block paths
// of a cipher that has none.
template <std::size_t W>
struct BlockCipher {
    static constexpr std::size_t kWords = W;
    static constexpr std::size_t kBlockLen = 4 * W;
    using Block = uint32_t[W];

    // False for a context that was never keyed, which the modes refuse.
    bool keyed() const noexcept { return true; }

    std::size_t ecb_blocks(uint8_t*, const uint8_t*, std::size_t, bool) const noexcept { return 0; }
    std::size_t cbc_encrypt_blocks(uint8_t*, const uint8_t*, std::size_t, Block&) const noexcept { return 0; }
    std::size_t cbc_decrypt_blocks(uint8_t*, const uint8_t*, std::size_t, Block&) const noexcept { return 0; }
    std::size_t cfb_blocks(uint8_t*, const uint8_t*, std::size_t, Block&, bool) const noexcept { return 0; }
    std::size_t ofb_blocks(uint8_t*, const uint8_t*, std::size_t, Block&) const noexcept { return 0; }
    std::size_t ctr_blocks(uint8_t*, const uint8_t*, std::size_t, Block&) const noexcept { return 0; }
};

// The start of every Setup: wipes the context, then checks in order: a mode
// other than ECB (an unparsable one included) without an IV: -BAD_IV_ERROR;
// a mode outside 0 to 4: -BAD_MODE_ERROR; a key length the cipher does not
// take (`key_len_ok` false): -BAD_KEY_LEN_ERROR; a null key: -BAD_KEY_ERROR.
// 0 when all pass.
template <typename Context>
inline int32_t mode_setup_begin(Context* ctx, int32_t mode, const uint8_t* iv, bool key_len_ok,
                                const uint8_t* key) noexcept {
    secure_wipe_obj(*ctx);
    if (mode != kModeEcb && iv == nullptr) return -BAD_IV_ERROR;
    if (!engine_mode_valid(mode)) return -BAD_MODE_ERROR;
    if (!key_len_ok) return -BAD_KEY_LEN_ERROR;
    if (key == nullptr) return -BAD_KEY_ERROR;
    return 0;
}

// True when a context runs the inverse cipher: ECB and CBC decryption. The
// feedback modes only ever run the forward cipher, so their schedule is the
// encryption schedule in both directions.
inline bool mode_runs_inverse(int32_t mode, int32_t encrypt) noexcept {
    return encrypt == 0 && (mode == kModeEcb || mode == kModeCbc);
}

// The register in the form a context keeps it (AES as 16 bytes, the 8-byte
// ciphers as two big-endian words): set from the IV, and moved to and from
// the block form the modes work on.
inline void register_set(uint8_t (&reg)[16], const uint8_t* iv) noexcept { std::memcpy(reg, iv, 16); }
inline void register_set(uint32_t (&reg)[2], const uint8_t* iv) noexcept {
    reg[0] = load_be32(iv);
    reg[1] = load_be32(iv + 4);
}
inline void register_load(uint32_t (&b)[4], const uint8_t (&reg)[16]) noexcept { block_load(b, reg); }
inline void register_load(uint32_t (&b)[2], const uint32_t (&reg)[2]) noexcept { block_copy(b, reg); }
inline void register_store(uint8_t (&reg)[16], const uint32_t (&b)[4]) noexcept { block_store(reg, b); }
inline void register_store(uint32_t (&reg)[2], const uint32_t (&b)[2]) noexcept { block_copy(reg, b); }

// The last step of every Setup, once the schedule is built: records the
// direction and the mode and, except in ECB, loads the IV into the register
// and the initial IV.
template <typename Context>
inline void mode_start(Context* ctx, int32_t mode, int32_t encrypt, const uint8_t* iv) noexcept {
    ctx->direction = encrypt ? 1u : 0u;
    ctx->mode = static_cast<uint32_t>(mode);
    if (mode != kModeEcb) {
        register_set(ctx->reg, iv);
        register_set(ctx->initialIv, iv);
    }
}

// The modes keep the register as words in processor registers. GCC's
// straight-line vectorizer would pack those words into a vector spilled to
// the stack and read back in pieces, which stalls every call on a store that
// cannot be forwarded; mode_update is compiled without it.
#if defined(__GNUC__) && !defined(__clang__)
#define MODE_WORDS_IN_REGISTERS __attribute__((optimize("no-tree-slp-vectorize")))
#else
#define MODE_WORDS_IN_REGISTERS
#endif

// Runs `len` bytes of `in` to `out` (which may be the same buffer) in `mode`
// with the chaining register `reg` (a context's register field), the only
// state that survives between calls. Returns 0; -BAD_MODE_ERROR for a mode
// outside 0 to 4; -BAD_LENGTH_ERROR, with nothing done, for ECB or CBC data
// that is not a whole number of blocks; -MISUSE_ERROR for a context that was
// never keyed. `cipher` is taken by value: a copy, which the stores to `out`
// cannot alias, stays in registers.
//
// CFB is full-block feedback. A trailing partial block in CFB, OFB or CTR
// takes one more keystream block, made as for a whole block, of which only
// the needed bytes are used; the next call starts with the next whole
// keystream block. In CFB the register after a partial block is the
// ciphertext bytes followed by the unused keystream bytes in both directions,
// so data decrypted in the same pieces as it was encrypted comes back.
template <typename Cipher, typename Register>
MODE_WORDS_IN_REGISTERS int32_t mode_update(const Cipher cipher, uint32_t mode, bool encrypt, Register& reg, uint8_t* out, const uint8_t* in,
                    std::size_t len) noexcept {
    using Block = typename Cipher::Block;
    constexpr std::size_t W = Cipher::kWords;
    constexpr std::size_t B = Cipher::kBlockLen;
    if (mode > kModeCtr) return -BAD_MODE_ERROR;
    if ((mode == kModeEcb || mode == kModeCbc) && len % B != 0) return -BAD_LENGTH_ERROR;
    if (len == 0) return 0;
    if (!cipher.keyed()) return -MISUSE_ERROR;

    std::size_t blocks = len / B;
    const std::size_t rest = len % B;
    Block r;  // the register
    register_load(r, reg);
    std::size_t done;  // blocks done by a multi-block path

    switch (mode) {
    case kModeEcb:
        done = cipher.ecb_blocks(out, in, blocks, encrypt);
        in += done * B, out += done * B, blocks -= done;
        if (encrypt) {
            for (; blocks; --blocks, in += B, out += B) {
                Block s;
                block_load(s, in);
                cipher.forward(s);
                block_store(out, s);
            }
        } else {
            for (; blocks; --blocks, in += B, out += B) {
                Block s;
                block_load(s, in);
                cipher.inverse(s);
                block_store(out, s);
            }
        }
        break;
    case kModeCbc:
        if (encrypt) {
            done = cipher.cbc_encrypt_blocks(out, in, blocks, r);
            in += done * B, out += done * B, blocks -= done;
            for (; blocks; --blocks, in += B, out += B) {
                block_xor_load(r, in);
                cipher.forward(r);
                block_store(out, r);
            }
        } else {
            done = cipher.cbc_decrypt_blocks(out, in, blocks, r);
            in += done * B, out += done * B, blocks -= done;
            for (; blocks; --blocks, in += B, out += B) {
                Block c, s;
                block_load(c, in);  // read before out is written: in place works
                block_copy(s, c);
                cipher.inverse(s);
                for (std::size_t i = 0; i < W; ++i) s[i] ^= r[i];
                block_store(out, s);
                block_copy(r, c);
            }
        }
        break;
    case kModeCfb:  // the register takes the ciphertext block
        done = cipher.cfb_blocks(out, in, blocks, r, encrypt);
        in += done * B, out += done * B, blocks -= done;
        if (encrypt) {
            for (; blocks; --blocks, in += B, out += B) {
                cipher.forward(r);
                block_xor_load(r, in);
                block_store(out, r);
            }
        } else {
            for (; blocks; --blocks, in += B, out += B) {
                Block c;
                block_load(c, in);  // read before out is written: in place works
                cipher.forward(r);
                block_xor_store(out, in, r);
                block_copy(r, c);
            }
        }
        break;
    case kModeOfb:
        done = cipher.ofb_blocks(out, in, blocks, r);
        in += done * B, out += done * B, blocks -= done;
        for (; blocks; --blocks, in += B, out += B) {
            cipher.forward(r);
            block_xor_store(out, in, r);
        }
        break;
    default:  // kModeCtr
        done = cipher.ctr_blocks(out, in, blocks, r);
        in += done * B, out += done * B, blocks -= done;
        for (; blocks; --blocks, in += B, out += B) {
            Block k;
            block_copy(k, r);
            cipher.forward(k);
            block_xor_store(out, in, k);
            block_increment(r);
        }
        break;
    }

    if (rest != 0) {
        // A trailing partial block (CFB, OFB, CTR): one more keystream block
        // over the zero-padded input, of which only `rest` bytes are written.
        uint8_t last[B] = {};
        std::memcpy(last, in, rest);
        Block k;
        block_copy(k, r);
        cipher.forward(k);
        block_xor_store(last, last, k);
        if (mode == kModeCfb) {
            // The ciphertext bytes followed by the unused keystream bytes,
            // the same whichever way the data goes.
            uint8_t next[B];
            std::memcpy(next, last, B);
            if (!encrypt) std::memcpy(next, in, rest);
            block_load(r, next);
            secure_wipe_obj(next);
        } else if (mode == kModeOfb) {
            block_copy(r, k);
        } else {
            block_increment(r);
        }
        std::memcpy(out, last, rest);
        secure_wipe_obj(last);
    }
    register_store(reg, r);
    return 0;
}

// The one-shot operations: a stack context keyed by `setup(&ctx)`, the whole
// buffer through `update`, and the context wiped whatever the result.
template <typename Context, typename Setup, typename Update>
int32_t mode_one_shot(uint8_t* output, const uint8_t* input, std::size_t len, Setup setup, Update update) noexcept {
    Context ctx;
    int32_t rc = setup(&ctx);
    if (rc == 0) rc = update(&ctx, output, input, len);
    secure_wipe_obj(ctx);
    return rc;
}
