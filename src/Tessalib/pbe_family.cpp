// PBE_: PBKDF2 (positive error codes) and scrypt (negative error codes), in
// byte and hex forms.
#include <cstring>

#include "core/frame.h"
#include "core/wipe.h"
#include "encode/hex.h"
#include "hash/pbkdf2.h"
#include "hash/scrypt.h"
#include "tessalib.h"

namespace {

// A MemAlloc buffer that is wiped and freed on every path.
struct Scratch {
    uint8_t* bytes = nullptr;
    std::size_t size = 0;
    explicit Scratch(std::size_t n) : bytes(static_cast<uint8_t*>(MemAlloc(n))), size(n) {}
    ~Scratch() {
        secure_wipe(bytes, size);
        MemFree(bytes);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
};

// Decodes a salt given as hex into salt (sized ceil(length / 2)); false
// unless the text is an even number of hex digits and nothing else, that is
// unless every byte of the buffer was filled.
bool decode_salt(Scratch& salt, const char* text) {
    return HexDecodeLenient(salt.bytes, salt.size, text) == salt.size;
}

std::size_t salt_room(const char* text) {
    const std::size_t chars = std::strlen(text);
    return chars / 2 + chars % 2;
}

// A cost parameter as the unsigned 64-bit number scrypt checks: a negative
// value becomes a huge one and fails the range checks.
uint64_t cost(int32_t v) { return static_cast<uint64_t>(static_cast<int64_t>(v)); }

// The hex output of a derived key is 2 x dkLen characters, worked out in 64
// bits; a key whose hex does not fit a positive int32_t is refused.
bool hex_size_fits(int32_t dkLen) { return 2 * static_cast<int64_t>(dkLen) <= INT32_MAX; }

}  // namespace

TESSALIB_API int32_t TESSALIB_CALL PBE_Kdf2(unsigned char* output, int32_t dkLen, const unsigned char* password,
                                             int32_t passwordLen, const unsigned char* salt, int32_t saltLen,
                                             int32_t iterations, int32_t options) {
    frame_begin();
    if (output == nullptr || password == nullptr || salt == nullptr) return frame_status(NULL_ERROR);
    if (dkLen < 1 || passwordLen < 1 || saltLen < 1 || iterations < 1) return frame_status(BAD_PARAM_ERROR);
    return frame_status(pbkdf2(output, static_cast<uint64_t>(dkLen), password, static_cast<std::size_t>(passwordLen),
                               salt, static_cast<std::size_t>(saltLen), static_cast<uint32_t>(iterations),
                               static_cast<uint32_t>(options) & 0xF));
}

TESSALIB_API int32_t TESSALIB_CALL PBE_Kdf2Hex(char* output, int32_t maxChars, int32_t dkLen, const char* password,
                                                const char* saltHex, int32_t iterations, int32_t options) {
    frame_begin();
    if (output == nullptr || password == nullptr || saltHex == nullptr) return frame_status(NULL_ERROR);
    if (maxChars < 1 || dkLen < 1 || iterations < 1 || !hex_size_fits(dkLen)) return frame_status(BAD_PARAM_ERROR);
    if (static_cast<int64_t>(maxChars) < 2 * static_cast<int64_t>(dkLen)) return frame_status(SHORT_BUF_ERROR);
    Scratch salt(salt_room(saltHex));
    if (!decode_salt(salt, saltHex)) return frame_status(BAD_FORMAT_ERROR);
    const std::size_t dk = static_cast<std::size_t>(dkLen);
    Scratch key(dk);
    const int32_t rc = pbkdf2(key.bytes, dk, reinterpret_cast<const uint8_t*>(password), std::strlen(password),
                              salt.bytes, salt.size, static_cast<uint32_t>(iterations),
                              static_cast<uint32_t>(options) & 0xF);
    if (rc == 0) HexEncodeUpper(output, 2 * dk + 1, key.bytes, dk);
    return frame_status(rc);
}

TESSALIB_API int32_t TESSALIB_CALL PBE_Scrypt(unsigned char* output, int32_t dkLen, const unsigned char* password,
                                               int32_t passwordLen, const unsigned char* salt, int32_t saltLen,
                                               int32_t N, int32_t r, int32_t p) {
    frame_begin();
    if (output == nullptr || (password == nullptr && passwordLen != 0) || (salt == nullptr && saltLen != 0))
        return frame_status(-NULL_ERROR);
    if (dkLen < 0 || passwordLen < 0 || saltLen < 0) return frame_status(-BAD_PARAM_ERROR);
    return frame_status(scrypt_derive(output, static_cast<std::size_t>(dkLen), password,
                                      static_cast<std::size_t>(passwordLen), salt, static_cast<std::size_t>(saltLen),
                                      cost(N), cost(r), cost(p)));
}

TESSALIB_API int32_t TESSALIB_CALL PBE_ScryptHex(char* output, int32_t maxChars, int32_t dkLen, const char* password,
                                                  const char* saltHex, int32_t N, int32_t r, int32_t p) {
    frame_begin();
    if (output == nullptr || password == nullptr || saltHex == nullptr) return frame_status(-NULL_ERROR);
    if (maxChars == 0 || dkLen <= 0 || N == 0 || r == 0 || p == 0 || !hex_size_fits(dkLen))
        return frame_status(-BAD_PARAM_ERROR);
    if (static_cast<int64_t>(maxChars) < 2 * static_cast<int64_t>(dkLen)) return frame_status(-SHORT_BUF_ERROR);
    Scratch salt(salt_room(saltHex));
    if (!decode_salt(salt, saltHex)) return frame_status(-BAD_FORMAT_ERROR);
    const std::size_t dk = static_cast<std::size_t>(dkLen);
    Scratch key(dk);
    const int32_t rc = scrypt_derive(key.bytes, dk, reinterpret_cast<const uint8_t*>(password), std::strlen(password),
                                     salt.bytes, salt.size, cost(N), cost(r), cost(p));
    if (rc == 0) HexEncodeUpper(output, 2 * dk + 1, key.bytes, dk);
    return frame_status(rc);
}
