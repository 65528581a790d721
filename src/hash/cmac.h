// CMAC (NIST SP 800-38B) over AES-128/192/256 and three-key Triple DES.
#pragma once
#include <cstddef>
#include <cstdint>

#include "block/aes.h"
#include "block/tdea.h"
#include "tessalib.h"

// The CMAC variants, numbered as the MAC option word numbers them.
enum CmacCipher : uint32_t {
    kCmacTdea = MAC_CMAC_TDEA,      // three-key Triple DES, 24-byte key, 8-byte tag
    kCmacAes128 = MAC_CMAC_AES128,  // 16-byte key, 16-byte tag
    kCmacAes192 = MAC_CMAC_AES192,  // 24-byte key
    kCmacAes256 = MAC_CMAC_AES256,  // 32-byte key
};

constexpr std::size_t kCmacMaxTagLen = 16;

// Tag length (the cipher's block length) of a variant: 8 for Triple DES, 16
// for AES.
constexpr std::size_t cmac_tag_len(uint32_t variant) noexcept { return variant == kCmacTdea ? 8 : 16; }

struct CmacState {
    union {
        AesContext aes;
        TdeaContext tdea;
    } cipher;
    uint32_t variant;    // CmacCipher
    uint32_t block_len;  // 16 for AES, 8 for Triple DES
    uint32_t buf_len;    // bytes waiting in buf (a whole last block is kept back)
    uint32_t reserved;
    uint8_t k1[16];      // subkeys
    uint8_t k2[16];
    uint8_t x[16];       // chaining value
    uint8_t buf[16];     // pending block
};

// Key length in bytes of a variant; 0 for a value that names none.
std::size_t cmac_key_len(uint32_t variant) noexcept;

// Keys st. -BAD_FLAG_ERROR for a variant that is not a CmacCipher (checked
// first); -BAD_KEY_LEN_ERROR when key_len is not the variant's key length or
// key is null.
// Triple DES parity and weak keys are not checked.
int32_t cmac_init(CmacState* st, uint32_t variant, const uint8_t* key, std::size_t key_len) noexcept;
void cmac_update(CmacState* st, const uint8_t* data, std::size_t len) noexcept;
// Writes the tag (block_len bytes), wipes the state and returns the tag length.
std::size_t cmac_final(CmacState* st, uint8_t* tag) noexcept;

// One shot: writes the whole tag (16 bytes of room) and returns its length,
// or the negative code of cmac_init.
int32_t cmac_bytes(uint8_t tag[16], const uint8_t* msg, std::size_t msg_len, const uint8_t* key,
                   std::size_t key_len, uint32_t variant) noexcept;
