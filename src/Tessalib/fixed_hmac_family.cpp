// The Hmac members of the SHA1_, SHA2_ and MD5_ families: HMAC of bytes or of
// hex text as lower-case hex, with positive error codes.
#include <cstring>

#include "core/frame.h"
#include "core/wipe.h"
#include "encode/hex.h"
#include "hash/hmac.h"
#include "tessalib.h"

namespace {

// Writes the hex tag (2 x digest length characters and a NUL) when output is
// not null. Returns 0 or BAD_PARAM_ERROR (positive).
int32_t hmac_hex(uint32_t code, char* output, const uint8_t* message, int32_t messageLen, const uint8_t* key,
                 int32_t keyLen) {
    if (messageLen < 0 || keyLen < 0) return BAD_PARAM_ERROR;
    if ((message == nullptr && messageLen > 0) || (key == nullptr && keyLen > 0)) return BAD_PARAM_ERROR;
    if (output == nullptr) return 0;
    uint8_t tag[kHashMaxDigestLen];
    const int32_t n = hmac_bytes(tag, sizeof tag, message, static_cast<std::size_t>(messageLen), key,
                                 static_cast<std::size_t>(keyLen), code);
    HexEncodeLower(output, 2 * static_cast<std::size_t>(n) + 1, tag, static_cast<std::size_t>(n));
    secure_wipe(tag, sizeof tag);
    return 0;
}

// Text decoded leniently (non-hex characters skipped, a last lone digit
// dropped) into a MemAlloc buffer of ceil(length / 2) bytes, wiped and freed
// on every path.
struct LenientHex {
    uint8_t* bytes;
    std::size_t room;
    std::size_t len;
    explicit LenientHex(const char* text) {
        const std::size_t chars = std::strlen(text);
        room = chars / 2 + chars % 2;
        bytes = static_cast<uint8_t*>(MemAlloc(room));
        len = HexDecodeLenient(bytes, room, text);
    }
    ~LenientHex() {
        secure_wipe(bytes, room);
        MemFree(bytes);
    }
    LenientHex(const LenientHex&) = delete;
    LenientHex& operator=(const LenientHex&) = delete;
};

int32_t hmac_hex_of_hex(uint32_t code, char* output, const char* messageHex, const char* keyHex) {
    if (messageHex == nullptr || keyHex == nullptr) return BAD_PARAM_ERROR;
    const LenientHex message(messageHex);
    const LenientHex key(keyHex);
    return hmac_hex(code, output, message.bytes, static_cast<int32_t>(message.len), key.bytes,
                    static_cast<int32_t>(key.len));
}

}  // namespace

TESSALIB_API int32_t TESSALIB_CALL SHA1_Hmac(char* output, const unsigned char* message, int32_t messageLen,
                                              const unsigned char* key, int32_t keyLen) {
    frame_begin();
    return frame_status(hmac_hex(kHashSha1, output, message, messageLen, key, keyLen));
}

TESSALIB_API int32_t TESSALIB_CALL SHA1_HmacHex(char* output, const char* messageHex, const char* keyHex) {
    frame_begin();
    return frame_status(hmac_hex_of_hex(kHashSha1, output, messageHex, keyHex));
}

TESSALIB_API int32_t TESSALIB_CALL SHA2_Hmac(char* output, const unsigned char* message, int32_t messageLen,
                                              const unsigned char* key, int32_t keyLen) {
    frame_begin();
    return frame_status(hmac_hex(kHashSha256, output, message, messageLen, key, keyLen));
}

TESSALIB_API int32_t TESSALIB_CALL SHA2_HmacHex(char* output, const char* messageHex, const char* keyHex) {
    frame_begin();
    return frame_status(hmac_hex_of_hex(kHashSha256, output, messageHex, keyHex));
}

TESSALIB_API int32_t TESSALIB_CALL MD5_Hmac(char* output, const unsigned char* message, int32_t messageLen,
                                             const unsigned char* key, int32_t keyLen) {
    frame_begin();
    return frame_status(hmac_hex(kHashMd5, output, message, messageLen, key, keyLen));
}

TESSALIB_API int32_t TESSALIB_CALL MD5_HmacHex(char* output, const char* messageHex, const char* keyHex) {
    frame_begin();
    return frame_status(hmac_hex_of_hex(kHashMd5, output, messageHex, keyHex));
}
