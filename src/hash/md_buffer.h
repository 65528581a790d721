// Block buffering, length padding and digest output for the hashes built on
// an iterated compression function (MD5, SHA-1, SHA-224/256, SHA-384/512,
// RIPEMD-160). Each engine keeps its own record, its compression function
// and its initial values; this does the rest.
//
// The record has `h` (the chaining value), `uint32_t buf_len`, `buf` (one
// block) and the count of message bytes: a 64-bit `total`, or a 128-bit
// count in `total_lo` and `total_hi` when the length field is 16 bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/wipe.h"
#include "core/endian.h"

enum class MdOrder { little, big };

// kBlockLen: bytes per block; kLenBytes: width of the length field that ends
// the padding (8 or 16); kOrder: byte order of that field and of the digest
// words; Compress(h, p, nblocks): compresses whole blocks in place.
template <class State, std::size_t kBlockLen, std::size_t kLenBytes, MdOrder kOrder, auto Compress>
struct MdBuffer {
    static_assert(sizeof(State::buf) == kBlockLen, "the record holds one block");
    static_assert((kBlockLen & (kBlockLen - 1)) == 0, "block length is a power of two");
    static_assert(kLenBytes == 8 || (kLenBytes == 16 && kOrder == MdOrder::big), "length field width");

    // Absorbs len bytes: fills the waiting partial block first, compresses
    // the whole blocks straight from data, keeps the tail.
    static void update(State* st, const uint8_t* data, std::size_t len) noexcept {
        if (len == 0) return;
        count(st, len);
        if (st->buf_len != 0) {
            if (!fill(st, &data, &len)) return;
            Compress(st->h, st->buf, 1);
            st->buf_len = 0;
        }
        if (len >= kBlockLen) {
            Compress(st->h, data, len / kBlockLen);
            data += len & ~(kBlockLen - 1);
            len &= kBlockLen - 1;
        }
        fill(st, &data, &len);
    }

    // An update whose blocks the caller compresses, so that blocks of several
    // records can be compressed together: count(len) once, then next_block
    // until it gives null. Each block it gives (the record's waiting block,
    // which then counts as empty, or the next whole block of the data) must
    // be compressed into st->h before the next step on the same record.
    static void count(State* st, std::size_t len) noexcept {
        if constexpr (kLenBytes == 8) {
            st->total += len;
        } else {
            const uint64_t before = st->total_lo;
            st->total_lo += len;
            if (st->total_lo < before) ++st->total_hi;
        }
    }
    static const uint8_t* next_block(State* st, const uint8_t** data, std::size_t* len) noexcept {
        if (st->buf_len != 0 || *len < kBlockLen) {
            if (!fill(st, data, len)) return nullptr;
            st->buf_len = 0;
            return st->buf;
        }
        const uint8_t* block = *data;
        *data += kBlockLen;
        *len -= kBlockLen;
        return block;
    }

    // Appends the padding and the message length and compresses the last
    // block (or two); the digest is then in `h`, for output.
    static void finish(State* st) noexcept { pad(st, 0x80, 0); }

    // As finish after first appending the nbits (0..7) most significant bits
    // of `last`; the unused low bits of `last` are taken as supplied.
    static void finish_bits(State* st, uint8_t last, unsigned nbits) noexcept {
        if (nbits == 0) {
            finish(st);
            return;
        }
        pad(st, static_cast<uint8_t>(last ^ (0x80u >> nbits)), nbits);
    }

    // Writes the first `words` words of the digest and wipes the record.
    static void output(State* st, uint8_t* out, std::size_t words) noexcept {
        for (std::size_t i = 0; i < words; ++i) store_word(out + i * sizeof st->h[0], st->h[i]);
        secure_wipe_obj(*st);
    }

private:
    // Offsets in the block, 32-bit like buf_len, which they are compared with.
    static constexpr uint32_t kBlock32 = static_cast<uint32_t>(kBlockLen);
    static constexpr uint32_t kLenAt = static_cast<uint32_t>(kBlockLen - kLenBytes);

    // Moves bytes from the data into the waiting block until it is full or
    // the data is used up; true when the block is full.
    static bool fill(State* st, const uint8_t** data, std::size_t* len) noexcept {
        std::size_t take = kBlock32 - st->buf_len;
        if (take > *len) take = *len;
        if (take != 0) std::memcpy(st->buf + st->buf_len, *data, take);
        st->buf_len += static_cast<uint32_t>(take);
        *data += take;
        *len -= take;
        return st->buf_len == kBlock32;
    }

    // Appends the byte that carries the first padding bit, zeros and the
    // message length in bits (total * 8 + extra_bits), and compresses.
    static void pad(State* st, uint8_t pad_byte, unsigned extra_bits) noexcept {
        uint64_t bits_lo, bits_hi = 0;
        if constexpr (kLenBytes == 8) {
            bits_lo = (st->total << 3) + extra_bits;
        } else {
            bits_lo = (st->total_lo << 3) + extra_bits;
            bits_hi = (st->total_hi << 3) | (st->total_lo >> 61);
        }
        st->buf[st->buf_len++] = pad_byte;
        if (st->buf_len > kLenAt) {
            std::memset(st->buf + st->buf_len, 0, kBlock32 - st->buf_len);
            Compress(st->h, st->buf, 1);
            st->buf_len = 0;
        }
        std::memset(st->buf + st->buf_len, 0, kLenAt - st->buf_len);
        if constexpr (kOrder == MdOrder::little) {
            store_le64(st->buf + kLenAt, bits_lo);
        } else {
            if constexpr (kLenBytes == 16) store_be64(st->buf + kLenAt, bits_hi);
            store_be64(st->buf + kBlockLen - 8, bits_lo);
        }
        Compress(st->h, st->buf, 1);
    }

    static void store_word(uint8_t* p, uint32_t v) noexcept {
        if constexpr (kOrder == MdOrder::little) {
            store_le32(p, v);
        } else {
            store_be32(p, v);
        }
    }
    static void store_word(uint8_t* p, uint64_t v) noexcept {
        if constexpr (kOrder == MdOrder::little) {
            store_le64(p, v);
        } else {
            store_be64(p, v);
        }
    }
};
