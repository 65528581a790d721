// The one-shot MACs chosen by a MAC option word: HMAC over the hash codes,
// CMAC, Poly1305 and KMAC. The chooser turns the option word into a MAC with
// its tag length and key-length rule, so that a caller can make every check
// before it decodes or allocates anything, then compute. All of it is inline:
// it runs on every one-shot MAC call, however short the message.
#pragma once
#include <cstddef>
#include <cstdint>

#include "hash/cmac.h"
#include "hash/hmac.h"
#include "hash/kmac.h"
#include "hash/poly1305.h"
#include "tessalib.h"

enum class MacKind : uint32_t { hmac, cmac, poly1305, kmac };

struct MacChoice {
    MacKind kind;
    uint32_t alg;      // HMAC: the hash code; CMAC: the variant (CmacCipher);
                       // KMAC: the strength, 128 or 256; Poly1305: 0
    uint32_t tag_len;  // bytes; KMAC's is also its output length L / 8
};

constexpr std::size_t kMacMaxTagLen = 64;

// The group bits of an option word: each group's first member has its bit
// and nothing else.
constexpr uint32_t kMacCmacGroup = MAC_CMAC_TDEA;      // 0x100
constexpr uint32_t kMacPolyKmacGroup = MAC_POLY1305;  // 0x200

// True when the option word is in the group of Poly1305 and KMAC: bit 0x200
// set and bit 0x100 (the CMAC group) clear.
inline bool mac_poly_kmac_group(uint32_t options) noexcept {
    return (options & kMacCmacGroup) == 0 && (options & kMacPolyKmacGroup) != 0;
}

// Chooses the MAC of a one-shot option word. Bit 0x100 selects a CMAC by the
// low twelve bits (MAC_CMAC_*), else bit 0x200 Poly1305 or KMAC by the low
// twelve bits (MAC_POLY1305, MAC_KMAC128, MAC_KMAC256), else HMAC with the
// hash code in the low four bits. Returns 0 and fills *choice, or
// -BAD_FLAG_ERROR for an option that names no MAC: the HMAC codes 2 (MD2),
// 8, 9, 14 and 15 and every other value of the two groups.
inline int32_t mac_choose(uint32_t options, MacChoice* choice) noexcept {
    const uint32_t low = options & 0xFFF;
    if ((options & kMacCmacGroup) != 0) {
        if (cmac_key_len(low) == 0) return -BAD_FLAG_ERROR;
        *choice = {MacKind::cmac, low, static_cast<uint32_t>(cmac_tag_len(low))};
        return 0;
    }
    if ((options & kMacPolyKmacGroup) != 0) {
        switch (low) {
            case MAC_POLY1305:
                *choice = {MacKind::poly1305, 0, static_cast<uint32_t>(kPoly1305TagLen)};
                return 0;
            case MAC_KMAC128:
                *choice = {MacKind::kmac, 128, 32};
                return 0;
            case MAC_KMAC256:
                *choice = {MacKind::kmac, 256, 64};
                return 0;
            default:
                return -BAD_FLAG_ERROR;
        }
    }
    const uint32_t code = options & 0xF;
    const HashAlgorithm* alg = hmac_algorithm(code);
    if (alg == nullptr) return -BAD_FLAG_ERROR;
    *choice = {MacKind::hmac, code, alg->digest_len};
    return 0;
}

// The key-length rule of a MAC: CMAC takes the variant's key length,
// Poly1305 32 bytes, HMAC and KMAC any length. 0 or -BAD_KEY_LEN_ERROR.
inline int32_t mac_check_key(const MacChoice& mac, std::size_t key_len) noexcept {
    switch (mac.kind) {
        case MacKind::cmac:
            return key_len == cmac_key_len(mac.alg) ? 0 : -BAD_KEY_LEN_ERROR;
        case MacKind::poly1305:
            return key_len == kPoly1305KeyLen ? 0 : -BAD_KEY_LEN_ERROR;
        default:
            return 0;
    }
}

// Computes the whole tag (mac.tag_len bytes; KMAC with an empty
// customization string) into tag. The key length must satisfy
// mac_check_key. Returns tag_len, or the negated code of the engine.
inline int32_t mac_compute(const MacChoice& mac, uint8_t* tag, const uint8_t* msg, std::size_t msg_len,
                           const uint8_t* key, std::size_t key_len) noexcept {
    switch (mac.kind) {
        case MacKind::hmac:
            return hmac_bytes(tag, mac.tag_len, msg, msg_len, key, key_len, mac.alg);
        case MacKind::cmac:
            return cmac_bytes(tag, msg, msg_len, key, key_len, mac.alg);
        case MacKind::poly1305:
            poly1305_bytes(tag, msg, msg_len, key);
            return static_cast<int32_t>(mac.tag_len);
        case MacKind::kmac:
            kmac_bytes(tag, mac.tag_len, msg, msg_len, key, key_len, nullptr, mac.alg);
            return static_cast<int32_t>(mac.tag_len);
    }
    return -BAD_FLAG_ERROR;
}
