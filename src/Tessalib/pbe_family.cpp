// PBE_: PBKDF2 (positive error codes) and scrypt (negative error codes), in
// byte and hex forms. The hex forms check the salt text, the PRF or the
// costs before they allocate the decoded salt and the key: only a valid
// request can meet MEMORY_ERROR.
#include <cstring>

#include "Tessalib/hash_args.h"
#include "core/frame.h"
#include "core/secret.h"
#include "encode/hex.h"
#include "hash/pbkdf2.h"
#include "hash/scrypt.h"
#include "tessalib.h"

namespace {

// A cost parameter as the unsigned 64-bit number scrypt checks: a negative
// value becomes a huge one and fails the range checks.
uint64_t cost(int32_t v) { return static_cast<uint64_t>(static_cast<int64_t>(v)); }

// The hex output of a derived key is 2 x dkLen characters, worked out in 64
// bits; a key whose hex does not fit a positive int32_t is refused.
bool hex_size_fits(int32_t dkLen) { return 2 * static_cast<int64_t>(dkLen) <= INT32_MAX; }

// The salt of the hex forms: an even number of hex digits and nothing else
// (possibly none). Its length in bytes, or -1.
long long salt_length(const char* saltHex) { return HexDecodeStrict(nullptr, 0, saltHex); }

// The decoded salt and a buffer for the key, both from the checked
// allocator. False when either cannot be had.
bool allocate_salt_and_key(SecretBuffer& salt, SecretBuffer& key, const char* saltHex, long long salt_len,
                           int32_t dkLen) {
    return decode_hex_strict(salt, saltHex, static_cast<std::size_t>(salt_len)) &&
           key.allocate(static_cast<std::size_t>(dkLen));
}

// The derived key as upper-case hex (2 x its length characters and a NUL).
void write_key_hex(char* output, const SecretBuffer& key) {
    HexEncodeUpper(output, 2 * key.size() + 1, key.data(), key.size());
}

const uint8_t* password_bytes(const char* password) { return reinterpret_cast<const uint8_t*>(password); }

}  // namespace

TESSALIB_API int32_t TESSALIB_CALL PBE_Kdf2(unsigned char* output, int32_t dkLen, const unsigned char* password,
                                             int32_t passwordLen, const unsigned char* salt, int32_t saltLen,
                                             int32_t iterations, int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportPositiveStatus)) return refusal.result;
    frame_begin();
    if (output == nullptr || password == nullptr || salt == nullptr) return frame_status(NULL_ERROR);
    if (dkLen < 1 || passwordLen < 1 || saltLen < 1 || iterations < 1) return frame_status(BAD_PARAM_ERROR);
    return frame_status(positive_code(pbkdf2(output, static_cast<uint64_t>(dkLen), password,
                                             static_cast<std::size_t>(passwordLen), salt,
                                             static_cast<std::size_t>(saltLen), static_cast<uint32_t>(iterations),
                                             static_cast<uint32_t>(options) & 0xF)));
}

TESSALIB_API int32_t TESSALIB_CALL PBE_Kdf2Hex(char* output, int32_t maxChars, int32_t dkLen, const char* password,
                                                const char* saltHex, int32_t iterations, int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportPositiveStatus)) return refusal.result;
    frame_begin();
    if (output == nullptr || password == nullptr || saltHex == nullptr) return frame_status(NULL_ERROR);
    if (maxChars < 1 || dkLen < 1 || iterations < 1 || !hex_size_fits(dkLen)) return frame_status(BAD_PARAM_ERROR);
    if (static_cast<int64_t>(maxChars) < 2 * static_cast<int64_t>(dkLen)) return frame_status(SHORT_BUF_ERROR);
    const long long salt_len = salt_length(saltHex);
    if (salt_len < 0) return frame_status(BAD_FORMAT_ERROR);
    const uint32_t code = static_cast<uint32_t>(options) & 0xF;
    if (!pbkdf2_code_supported(code)) return frame_status(BAD_PARAM_ERROR);
    SecretBuffer salt;
    SecretBuffer key;
    if (!allocate_salt_and_key(salt, key, saltHex, salt_len, dkLen)) return frame_status(MEMORY_ERROR);
    const int32_t rc = pbkdf2(key.data(), key.size(), password_bytes(password), std::strlen(password), salt.data(),
                              salt.size(), static_cast<uint32_t>(iterations), code);
    if (rc == 0) write_key_hex(output, key);
    return frame_status(positive_code(rc));
}

TESSALIB_API int32_t TESSALIB_CALL PBE_Scrypt(unsigned char* output, int32_t dkLen, const unsigned char* password,
                                               int32_t passwordLen, const unsigned char* salt, int32_t saltLen,
                                               int32_t N, int32_t r, int32_t p) {
    if (const FrameRefusal refusal = frame_entry(kExportNegatedStatus)) return refusal.result;
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
    if (const FrameRefusal refusal = frame_entry(kExportNegatedStatus)) return refusal.result;
    frame_begin();
    if (output == nullptr || password == nullptr || saltHex == nullptr) return frame_status(-NULL_ERROR);
    if (maxChars == 0 || dkLen <= 0 || N == 0 || r == 0 || p == 0 || !hex_size_fits(dkLen))
        return frame_status(-BAD_PARAM_ERROR);
    if (static_cast<int64_t>(maxChars) < 2 * static_cast<int64_t>(dkLen)) return frame_status(-SHORT_BUF_ERROR);
    const long long salt_len = salt_length(saltHex);
    if (salt_len < 0) return frame_status(-BAD_FORMAT_ERROR);
    if (const int32_t rc = scrypt_check_cost(cost(N), cost(r), cost(p))) return frame_status(rc);
    SecretBuffer salt;
    SecretBuffer key;
    if (!allocate_salt_and_key(salt, key, saltHex, salt_len, dkLen)) return frame_status(-MEMORY_ERROR);
    const int32_t rc = scrypt_derive(key.data(), key.size(), password_bytes(password), std::strlen(password),
                                     salt.data(), salt.size(), cost(N), cost(r), cost(p));
    if (rc == 0) write_key_hex(output, key);
    return frame_status(rc);
}
