// CMAC: CBC-MAC with the last block masked by a subkey derived from the
// encryption of the zero block by doubling in GF(2^n).
#include "hash/cmac.h"

#include <cstring>

#include "block/modes.h"
#include "core/wipe.h"
#include "tessalib.h"

namespace {

void encrypt_block(const CmacState* st, uint8_t* out, const uint8_t* in) noexcept {
    if (st->variant == kCmacTdea)
        tdea_block(&st->cipher.tdea, out, in);
    else
        aes_block_encrypt(&st->cipher.aes, out, in);
}

// out = in * x in GF(2^n): shift left one bit, folding the carry back in with
// the field constant (0x87 for 128-bit blocks, 0x1B for 64-bit blocks).
// Branch-free: the subkeys are secret.
void dbl(uint8_t* out, const uint8_t* in, std::size_t n) noexcept {
    const uint8_t poly = n == 16 ? 0x87 : 0x1B;
    const uint8_t mask = static_cast<uint8_t>(0u - (in[0] >> 7));
    for (std::size_t i = 0; i + 1 < n; ++i) out[i] = static_cast<uint8_t>((in[i] << 1) | (in[i + 1] >> 7));
    out[n - 1] = static_cast<uint8_t>((in[n - 1] << 1) ^ (poly & mask));
}

void xor_encrypt(CmacState* st, const uint8_t* block) noexcept {
    for (uint32_t i = 0; i < st->block_len; ++i) st->x[i] ^= block[i];
    encrypt_block(st, st->x, st->x);
}

}  // namespace

std::size_t cmac_key_len(uint32_t variant) noexcept {
    switch (variant) {
        case kCmacTdea: return 24;
        case kCmacAes128: return 16;
        case kCmacAes192: return 24;
        case kCmacAes256: return 32;
        default: return 0;
    }
}

int32_t cmac_init(CmacState* st, uint32_t variant, const uint8_t* key, std::size_t key_len) noexcept {
    const std::size_t want = cmac_key_len(variant);
    if (want == 0) return -BAD_FLAG_ERROR;
    if (key_len != want || key == nullptr) return -BAD_KEY_LEN_ERROR;
    std::memset(st, 0, sizeof *st);
    st->variant = variant;
    int32_t rc;
    if (variant == kCmacTdea) {
        st->block_len = 8;
        rc = TdeaSetup(&st->cipher.tdea, kModeEcb, key, 1, nullptr);
    } else {
        st->block_len = 16;
        rc = AesSetup(&st->cipher.aes, kModeEcb, key, static_cast<int32_t>(key_len), 1, nullptr);
    }
    if (rc != 0) {
        secure_wipe_obj(*st);
        return rc;
    }
    uint8_t l[16] = {0};
    encrypt_block(st, l, l);
    dbl(st->k1, l, st->block_len);
    dbl(st->k2, st->k1, st->block_len);
    secure_wipe(l, sizeof l);
    return 0;
}

void cmac_update(CmacState* st, const uint8_t* data, std::size_t len) noexcept {
    const std::size_t bl = st->block_len;
    if (len == 0) return;
    // Top up the pending block; it is processed only once more data follows,
    // because the message's last block is treated differently.
    if (st->buf_len != 0 || len <= bl) {
        std::size_t take = bl - st->buf_len;
        if (take > len) take = len;
        std::memcpy(st->buf + st->buf_len, data, take);
        st->buf_len += static_cast<uint32_t>(take);
        data += take;
        len -= take;
        if (len == 0) return;
        xor_encrypt(st, st->buf);
        st->buf_len = 0;
    }
    if (st->variant != kCmacTdea && len > bl) {
        // Every block but the last through the engine's CBC-MAC in one go.
        const std::size_t blocks = (len - 1) / bl;
        aes_cbc_mac(&st->cipher.aes, st->x, data, blocks);
        data += blocks * bl;
        len -= blocks * bl;
    }
    while (len > bl) {
        xor_encrypt(st, data);
        data += bl;
        len -= bl;
    }
    std::memcpy(st->buf, data, len);
    st->buf_len = static_cast<uint32_t>(len);
}

std::size_t cmac_final(CmacState* st, uint8_t* tag) noexcept {
    const std::size_t bl = st->block_len;
    const uint8_t* sub = st->k1;
    if (st->buf_len < bl) {
        st->buf[st->buf_len] = 0x80;
        for (std::size_t i = st->buf_len + 1; i < bl; ++i) st->buf[i] = 0;
        sub = st->k2;
    }
    for (std::size_t i = 0; i < bl; ++i) st->buf[i] ^= sub[i];
    xor_encrypt(st, st->buf);
    std::memcpy(tag, st->x, bl);
    secure_wipe_obj(*st);
    return bl;
}

int32_t cmac_bytes(uint8_t tag[16], const uint8_t* msg, std::size_t msg_len, const uint8_t* key,
                   std::size_t key_len, uint32_t variant) noexcept {
    CmacState st;
    const int32_t rc = cmac_init(&st, variant, key, key_len);
    if (rc != 0) return rc;
    cmac_update(&st, msg, msg_len);
    return static_cast<int32_t>(cmac_final(&st, tag));
}
