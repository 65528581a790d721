// AES key wrap (RFC 3394) and Triple DES key wrap (RFC 3217).
#include "block/key_wrap.h"

#include <cstring>

#include "block/aes.h"
#include "block/handle.h"
#include "block/modes.h"
#include "block/tdea.h"
#include "core/ct.h"
#include "core/endian.h"
#include "core/secret.h"
#include "core/wipe.h"
#include "hash/sha1.h"
#include "tessalib.h"

namespace {

const uint8_t kAesWrapIv[8] = {0xA6, 0xA6, 0xA6, 0xA6, 0xA6, 0xA6, 0xA6, 0xA6};
const uint8_t kTdeaOuterIv[8] = {0x4A, 0xDD, 0xA2, 0x2C, 0x79, 0xE8, 0x21, 0x05};

// Triple DES CBC in place with the KEK and an IV.
void tdea_cbc(uint8_t* data, std::size_t len, const uint8_t kek[24], const uint8_t iv[8], bool encrypt) noexcept {
    TdeaContext ctx;
    TdeaSetup(&ctx, kModeCbc, kek, encrypt ? 1 : 0, iv);
    TdeaUpdate(&ctx, data, data, len);
    secure_wipe_obj(ctx);
}

void reverse(uint8_t* p, std::size_t n) noexcept {
    for (std::size_t i = 0, j = n - 1; i < j; ++i, --j) {
        const uint8_t t = p[i];
        p[i] = p[j];
        p[j] = t;
    }
}

// The first 8 bytes of SHA-1 of the 24-byte key.
void tdea_check_value(uint8_t icv[8], const uint8_t key[24]) noexcept {
    Sha1State st;
    SecretBytes<kSha1DigestLen> digest;
    sha1_init(&st);
    sha1_update(&st, key, 24);
    sha1_final(&st, digest.bytes);
    std::memcpy(icv, digest.bytes, 8);
    secure_wipe_obj(st);
}

}  // namespace

int32_t key_unwrap_verdict(const uint8_t* computed, const uint8_t* expected, std::size_t n, uint8_t* out,
                           std::size_t out_len) noexcept {
    if (ct_public(ct_memeq(computed, expected, n))) return 0;
    secure_wipe(out, out_len);
    return kKeyUnwrapIntegrity;
}

void aes_key_wrap(uint8_t* out, const uint8_t* kek, std::size_t kek_len, const uint8_t* key_data,
                  std::size_t key_len) noexcept {
    AesContext ctx;
    AesSetup(&ctx, kModeEcb, kek, static_cast<int32_t>(kek_len), 1, nullptr);
    const std::size_t n = key_len / 8;
    uint8_t* r = out + 8;
    if (r != key_data) std::memmove(r, key_data, key_len);
    uint64_t a = load_be64(kAesWrapIv);
    SecretBytes<16> b;
    uint64_t t = 0;
    for (int j = 0; j < 6; ++j) {
        for (std::size_t i = 0; i < n; ++i) {
            store_be64(b.bytes, a);
            std::memcpy(b.bytes + 8, r + 8 * i, 8);
            aes_block_encrypt(&ctx, b.bytes, b.bytes);
            a = load_be64(b.bytes) ^ ++t;
            std::memcpy(r + 8 * i, b.bytes + 8, 8);
        }
    }
    store_be64(out, a);
    secure_wipe_obj(ctx);
}

int32_t aes_key_unwrap(uint8_t* out, std::size_t out_len, const uint8_t* kek, std::size_t kek_len,
                       const uint8_t* wrapped, std::size_t wrapped_len) noexcept {
    AesContext ctx;
    AesSetup(&ctx, kModeEcb, kek, static_cast<int32_t>(kek_len), 0, nullptr);
    const std::size_t n = wrapped_len / 8 - 1;
    uint64_t a = load_be64(wrapped);
    if (out != wrapped + 8) std::memmove(out, wrapped + 8, 8 * n);
    SecretBytes<16> b;
    uint64_t t = 6 * static_cast<uint64_t>(n);
    for (int j = 5; j >= 0; --j) {
        for (std::size_t i = n; i-- > 0;) {
            store_be64(b.bytes, a ^ t--);
            std::memcpy(b.bytes + 8, out + 8 * i, 8);
            aes_block_decrypt(&ctx, b.bytes, b.bytes);
            a = load_be64(b.bytes);
            std::memcpy(out + 8 * i, b.bytes + 8, 8);
        }
    }
    secure_wipe_obj(ctx);
    SecretBytes<8> final_a;
    store_be64(final_a.bytes, a);
    a = 0;
    return key_unwrap_verdict(final_a.bytes, kAesWrapIv, 8, out, out_len);
}

void tdea_wrap_iv(uint8_t iv[8], const uint8_t kek[24]) noexcept {
    // The KEK as twelve 16-bit little-endian words, folded into 32 bits.
    uint16_t w[12];
    for (int i = 0; i < 12; ++i) w[i] = static_cast<uint16_t>(kek[2 * i] | (kek[2 * i + 1] << 8));
    uint16_t a = 0x6A88, b = 0x243F, p = 0;
    const auto rotl1 = [](uint16_t x) { return static_cast<uint16_t>((x << 1) | (x >> 15)); };
    const auto rotr1 = [](uint16_t x) { return static_cast<uint16_t>((x >> 1) | (x << 15)); };
    for (int i = 0; i < 11; ++i) {
        const uint16_t t = static_cast<uint16_t>(a ^ w[i] ^ static_cast<uint16_t>(~w[i + 1]));
        b = static_cast<uint16_t>(rotl1(static_cast<uint16_t>(~w[i] ^ b ^ p)) ^ t);
        a = static_cast<uint16_t>(rotr1(t) ^ b);
        p = w[i];
    }
    const uint32_t fold = (static_cast<uint32_t>(b) << 16) | a;
    TinyMt32 mt;
    tinymt32_init(&mt, handle_generator_output() ^ fold);
    for (int k = 0; k < 8; ++k) iv[k] = static_cast<uint8_t>(tinymt32_next(&mt));
    secure_wipe(w, sizeof w);
    secure_wipe_obj(mt);
}

void tdea_key_wrap_iv(uint8_t out[40], const uint8_t kek[24], const uint8_t key_data[24],
                      const uint8_t iv[8]) noexcept {
    SecretBytes<40> work;
    std::memcpy(work.bytes + 8, key_data, 24);
    tdea_check_value(work.bytes + 32, key_data);
    std::memcpy(work.bytes, iv, 8);
    tdea_cbc(work.bytes + 8, 32, kek, iv, true);
    reverse(work.bytes, 40);
    tdea_cbc(work.bytes, 40, kek, kTdeaOuterIv, true);
    std::memcpy(out, work.bytes, 40);
}

void tdea_key_wrap(uint8_t out[40], const uint8_t kek[24], const uint8_t key_data[24]) noexcept {
    uint8_t iv[8];
    tdea_wrap_iv(iv, kek);
    tdea_key_wrap_iv(out, kek, key_data, iv);
}

int32_t tdea_key_unwrap(uint8_t* out, std::size_t out_len, const uint8_t kek[24], const uint8_t wrapped[40]) noexcept {
    SecretBytes<40> work;
    std::memcpy(work.bytes, wrapped, 40);
    tdea_cbc(work.bytes, 40, kek, kTdeaOuterIv, false);
    reverse(work.bytes, 40);
    uint8_t iv[8];
    std::memcpy(iv, work.bytes, 8);
    tdea_cbc(work.bytes + 8, 32, kek, iv, false);
    SecretBytes<8> icv;
    tdea_check_value(icv.bytes, work.bytes + 8);
    const int32_t rc = key_unwrap_verdict(icv.bytes, work.bytes + 32, 8, out, out_len);
    if (rc == 0) std::memcpy(out, work.bytes + 8, 24);
    return rc;
}
