// The MAC chooser and the one-shot computation over the MAC engines.
#include "hash/mac.h"

#include "hash/cmac.h"
#include "hash/hmac.h"
#include "hash/kmac.h"
#include "hash/poly1305.h"
#include "tessalib.h"

namespace {

// The group bits of an option word: each group's first member has its bit
// and nothing else.
constexpr uint32_t kCmacGroup = MAC_CMAC_TDEA;      // 0x100
constexpr uint32_t kPolyKmacGroup = MAC_POLY1305;  // 0x200

}  // namespace

bool mac_poly_kmac_group(uint32_t options) noexcept {
    return (options & kCmacGroup) == 0 && (options & kPolyKmacGroup) != 0;
}

int32_t mac_choose(uint32_t options, MacChoice* choice) noexcept {
    const uint32_t low = options & 0xFFF;
    if ((options & kCmacGroup) != 0) {
        if (cmac_key_len(low) == 0) return -BAD_FLAG_ERROR;
        *choice = {MacKind::cmac, low, static_cast<uint32_t>(cmac_tag_len(low))};
        return 0;
    }
    if (mac_poly_kmac_group(options)) {
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

int32_t mac_check_key(const MacChoice& mac, std::size_t key_len) noexcept {
    switch (mac.kind) {
        case MacKind::cmac:
            return key_len == cmac_key_len(mac.alg) ? 0 : -BAD_KEY_LEN_ERROR;
        case MacKind::poly1305:
            return key_len == kPoly1305KeyLen ? 0 : -BAD_KEY_LEN_ERROR;
        default:
            return 0;
    }
}

int32_t mac_compute(const MacChoice& mac, uint8_t* tag, const uint8_t* msg, std::size_t msg_len, const uint8_t* key,
                    std::size_t key_len) noexcept {
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
