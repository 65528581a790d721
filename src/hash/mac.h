// The one-shot MACs chosen by a MAC option word: HMAC over the hash codes,
// CMAC, Poly1305 and KMAC. The chooser turns the option word into a MAC with
// its tag length and key-length rule, so that a caller can make every check
// before it decodes or allocates anything, then compute.
#pragma once
#include <cstddef>
#include <cstdint>

enum class MacKind : uint32_t { hmac, cmac, poly1305, kmac };

struct MacChoice {
    MacKind kind;
    uint32_t alg;      // HMAC: the hash code; CMAC: the variant (CmacCipher);
                       // KMAC: the strength, 128 or 256; Poly1305: 0
    uint32_t tag_len;  // bytes; KMAC's is also its output length L / 8
};

constexpr std::size_t kMacMaxTagLen = 64;

// True when the option word is in the group of Poly1305 and KMAC: bit 0x200
// set and bit 0x100 (the CMAC group) clear.
bool mac_poly_kmac_group(uint32_t options) noexcept;

// Chooses the MAC of a one-shot option word. Bit 0x100 selects a CMAC by the
// low twelve bits (MAC_CMAC_*), else bit 0x200 Poly1305 or KMAC by the low
// twelve bits (MAC_POLY1305, MAC_KMAC128, MAC_KMAC256), else HMAC with the
// hash code in the low four bits. Returns 0 and fills *choice, or
// -BAD_FLAG_ERROR for an option that names no MAC: the HMAC codes 2 (MD2),
// 8, 9, 14 and 15 and every other value of the two groups.
int32_t mac_choose(uint32_t options, MacChoice* choice) noexcept;

// The key-length rule of a MAC: CMAC takes the variant's key length,
// Poly1305 32 bytes, HMAC and KMAC any length. 0 or -BAD_KEY_LEN_ERROR.
int32_t mac_check_key(const MacChoice& mac, std::size_t key_len) noexcept;

// Computes the whole tag (mac.tag_len bytes; KMAC with an empty
// customization string) into tag. The key length must satisfy
// mac_check_key. Returns tag_len, or the negated code of the engine.
int32_t mac_compute(const MacChoice& mac, uint8_t* tag, const uint8_t* msg, std::size_t msg_len, const uint8_t* key,
                    std::size_t key_len) noexcept;
