// MAC_: one-shot HMAC, CMAC, Poly1305 and KMAC with byte or hex output, and
// the per-thread streaming HMAC context.
#include <cstring>

#include "block/handle.h"
#include "core/frame.h"
#include "core/wipe.h"
#include "encode/hex.h"
#include "hash/cmac.h"
#include "hash/fixed_family.h"
#include "hash/hmac.h"
#include "hash/kmac.h"
#include "hash/poly1305.h"
#include "tessalib.h"

namespace {

constexpr uint32_t kGroupCmac = 0x100;
constexpr uint32_t kGroupOther = 0x200;  // Poly1305 and KMAC
constexpr uint32_t kPoly1305 = 0x200;
constexpr uint32_t kKmac128 = 0x201;
constexpr uint32_t kKmac256 = 0x202;
constexpr std::size_t kMaxTagLen = 64;

// The KMAC tag length of an option word, or 0 when it does not name KMAC.
std::size_t kmac_tag_len(uint32_t options) {
    if ((options & kGroupCmac) != 0 || (options & kGroupOther) == 0) return 0;
    const uint32_t v = options & 0xFFF;
    return v == kKmac128 ? 32 : v == kKmac256 ? 64 : 0;
}

// The whole tag of HMAC, CMAC or Poly1305 into tag (64 bytes of room): its
// length, or a negative code. KMAC is not handled here.
int32_t fixed_tag(uint8_t* tag, const uint8_t* msg, std::size_t msg_len, const uint8_t* key, std::size_t key_len,
                  uint32_t options) {
    if ((options & kGroupCmac) != 0) return cmac_bytes(tag, msg, msg_len, key, key_len, options & 0xFFF);
    if ((options & kGroupOther) != 0) {
        if ((options & 0xFFF) != kPoly1305) return -BAD_FLAG_ERROR;
        if (key_len != kPoly1305KeyLen) return -BAD_KEY_LEN_ERROR;
        poly1305_bytes(tag, msg, msg_len, key);
        return static_cast<int32_t>(kPoly1305TagLen);
    }
    return hmac_bytes(tag, kMaxTagLen, msg, msg_len, key, key_len, options & 0xF);
}

// Bytes output: query (NULL output or out_len 0) returns the tag length; a
// short buffer takes the leading bytes, except for KMAC, whose output length
// is part of the computation and which refuses it.
int32_t mac_bytes(uint8_t* output, int32_t out_len, const uint8_t* msg, std::size_t msg_len, const uint8_t* key,
                  std::size_t key_len, uint32_t options) {
    const bool query = output == nullptr || out_len == 0;
    if ((options & kGroupCmac) == 0 && (options & kGroupOther) != 0 && (options & 0xFFF) != kPoly1305) {
        const std::size_t kmac_len = kmac_tag_len(options);
        if (kmac_len == 0) return -BAD_FLAG_ERROR;
        if (query) return static_cast<int32_t>(kmac_len);
        if (static_cast<std::size_t>(out_len) < kmac_len) return -SHORT_BUF_ERROR;
        kmac_bytes(output, kmac_len, msg, msg_len, key, key_len, nullptr, kmac_len == 32 ? 128 : 256);
        return static_cast<int32_t>(kmac_len);
    }
    uint8_t tag[kMaxTagLen];
    int32_t n = fixed_tag(tag, msg, msg_len, key, key_len, options);
    if (n > 0 && !query) {
        if (out_len < n) n = out_len;
        std::memcpy(output, tag, static_cast<std::size_t>(n));
    }
    secure_wipe(tag, sizeof tag);
    return n;
}

// Hex output: query (NULL output or max_chars < 1; a negative maximum counts
// as 0) returns twice the tag length; a short maximum takes the leading whole
// bytes, except for KMAC, which refuses it.
int32_t mac_hex(char* output, int32_t max_chars, const uint8_t* msg, std::size_t msg_len, const uint8_t* key,
                std::size_t key_len, uint32_t options) {
    const bool query = output == nullptr || max_chars < 1;
    uint8_t tag[kMaxTagLen];
    int32_t n;
    if ((options & kGroupCmac) == 0 && (options & kGroupOther) != 0 && (options & 0xFFF) != kPoly1305) {
        const std::size_t kmac_len = kmac_tag_len(options);
        if (kmac_len == 0) return -BAD_FLAG_ERROR;
        if (query) return static_cast<int32_t>(2 * kmac_len);
        if (static_cast<std::size_t>(max_chars) < 2 * kmac_len) return -SHORT_BUF_ERROR;
        kmac_bytes(tag, kmac_len, msg, msg_len, key, key_len, nullptr, kmac_len == 32 ? 128 : 256);
        n = static_cast<int32_t>(kmac_len);
    } else {
        n = fixed_tag(tag, msg, msg_len, key, key_len, options);
    }
    int32_t result = n;
    if (n > 0) {
        if (query) {
            result = 2 * n;
        } else {
            std::size_t bytes = static_cast<std::size_t>(n);
            if (static_cast<std::size_t>(max_chars) < 2 * bytes) bytes = static_cast<std::size_t>(max_chars) / 2;
            result = static_cast<int32_t>(HexEncodeLower(output, 2 * bytes + 1, tag, bytes));
        }
    }
    secure_wipe(tag, sizeof tag);
    return result;
}

// The checks MAC_Bytes and MAC_HexFromBytes share, in their order.
int32_t check_byte_args(const unsigned char* message, int32_t messageLen, const unsigned char* key, int32_t keyLen) {
    if (message == nullptr && messageLen > 0) return -BAD_PARAM_ERROR;
    if (messageLen < 0 || key == nullptr || keyLen < 0) return -BAD_PARAM_ERROR;
    return 0;
}

// A decoded hex argument in a MemAlloc buffer, wiped and freed on every path.
struct HexArg {
    uint8_t* bytes = nullptr;
    std::size_t len = 0;
    std::size_t room = 0;
    ~HexArg() {
        if (bytes != nullptr) {
            secure_wipe(bytes, room);
            MemFree(bytes);
        }
    }
    // False when text is not an even number of hex digits and nothing else.
    bool decode(const char* text) {
        const std::size_t chars = std::strlen(text);
        room = chars / 2 + chars % 2;
        bytes = static_cast<uint8_t*>(MemAlloc(room));
        const long long n = HexDecodeStrict(bytes, room, text);
        if (n < 0) return false;
        len = static_cast<std::size_t>(n);
        return true;
    }
};

// Streaming HMAC codes: SHA-1, SHA-2 and SHA-3.
bool streaming_code(uint32_t code) {
    return code == kHashSha1 || (code >= kHashSha256 && code <= kHashSha224) ||
           (code >= kHashSha3_224 && code <= kHashSha3_512);
}

}  // namespace

TESSALIB_API int32_t TESSALIB_CALL MAC_Bytes(unsigned char* output, int32_t outputLen, const unsigned char* message,
                                              int32_t messageLen, const unsigned char* key, int32_t keyLen,
                                              int32_t options) {
    frame_begin();
    if (message == nullptr && messageLen > 0) return frame_length(-BAD_PARAM_ERROR);
    if (outputLen < 0) return frame_length(-BAD_PARAM_ERROR);
    if (const int32_t rc = check_byte_args(message, messageLen, key, keyLen)) return frame_length(rc);
    return frame_length(mac_bytes(output, outputLen, message, static_cast<std::size_t>(messageLen), key,
                                  static_cast<std::size_t>(keyLen), static_cast<uint32_t>(options)));
}

TESSALIB_API int32_t TESSALIB_CALL MAC_HexFromBytes(char* output, int32_t maxChars, const unsigned char* message,
                                                     int32_t messageLen, const unsigned char* key, int32_t keyLen,
                                                     int32_t options) {
    frame_begin();
    if (const int32_t rc = check_byte_args(message, messageLen, key, keyLen)) return frame_length(rc);
    return frame_length(mac_hex(output, maxChars, message, static_cast<std::size_t>(messageLen), key,
                                static_cast<std::size_t>(keyLen), static_cast<uint32_t>(options)));
}

TESSALIB_API int32_t TESSALIB_CALL MAC_HexFromHex(char* output, int32_t maxChars, const char* messageHex,
                                                   const char* keyHex, int32_t options) {
    frame_begin();
    if (messageHex == nullptr || keyHex == nullptr) return frame_length(-BAD_PARAM_ERROR);
    const uint32_t opts = static_cast<uint32_t>(options);
    const bool other_group = (opts & kGroupCmac) == 0 && (opts & kGroupOther) != 0;
    if (other_group && (opts & 0xFFF) != kPoly1305 && kmac_tag_len(opts) == 0) return frame_length(-BAD_FLAG_ERROR);
    const bool kmac = kmac_tag_len(opts) != 0;
    if (!kmac && keyHex[0] == '\0') return frame_length(-BAD_KEY_LEN_ERROR);
    HexArg key;
    if (!key.decode(keyHex)) return frame_length(-BAD_FORMAT_ERROR);
    if (other_group && (opts & 0xFFF) == kPoly1305 && key.len != kPoly1305KeyLen)
        return frame_length(-BAD_KEY_LEN_ERROR);
    HexArg message;
    if (messageHex[0] != '\0' && !message.decode(messageHex)) return frame_length(-BAD_FORMAT_ERROR);
    return frame_length(mac_hex(output, maxChars, message.bytes, message.len, key.bytes, key.len, opts));
}

TESSALIB_API int32_t TESSALIB_CALL MAC_Init(const unsigned char* key, int32_t keyLen, int32_t options) {
    MacSlot& slot = frame_begin()->workspace.mac;
    if (key == nullptr || keyLen < 1) return static_cast<int32_t>(frame_handle(0, BAD_PARAM_ERROR));
    // Past the key check any earlier context ends, keyed state and all, even
    // when the option is then refused.
    secure_wipe_obj(slot);
    const uint32_t code = static_cast<uint32_t>(options) & 0xFFF;
    if (!streaming_code(code)) return static_cast<int32_t>(frame_handle(0, NOT_SUPPORTED_ERROR));
    hmac_init(&slot.state, code, key, static_cast<std::size_t>(keyLen));
    slot.code = code;
    slot.handle = NewContextHandle();
    return static_cast<int32_t>(frame_handle(slot.handle, NOT_SUPPORTED_ERROR));
}

TESSALIB_API int32_t TESSALIB_CALL MAC_AddBytes(int32_t handle, const unsigned char* data, int32_t dataLen) {
    MacSlot& slot = frame_begin()->workspace.mac;
    if (!slot_handle_ok(slot.handle, handle)) return frame_status(-INVALID_HANDLE_ERROR);
    if (data == nullptr || dataLen < 0) return frame_status(-BAD_PARAM_ERROR);
    hmac_update(&slot.state, data, static_cast<std::size_t>(dataLen));
    return frame_status(0);
}

TESSALIB_API int32_t TESSALIB_CALL MAC_Final(unsigned char* output, int32_t outputLen, int32_t handle) {
    MacSlot& slot = frame_begin()->workspace.mac;
    if (output == nullptr || outputLen < 1) return frame_length(-BAD_PARAM_ERROR);
    if (!slot_handle_ok(slot.handle, handle)) return frame_length(-INVALID_HANDLE_ERROR);
    uint8_t tag[kMaxTagLen];
    int32_t n = static_cast<int32_t>(slot.state.tag_len);
    hmac_final(&slot.state, tag);
    if (outputLen < n) n = outputLen;
    std::memcpy(output, tag, static_cast<std::size_t>(n));
    secure_wipe(tag, sizeof tag);
    secure_wipe_obj(slot);
    return frame_length(n);
}

TESSALIB_API int32_t TESSALIB_CALL MAC_CodeLength(int32_t handle) {
    MacSlot& slot = frame_begin()->workspace.mac;
    if (!slot_handle_ok(slot.handle, handle)) return frame_length(-INVALID_HANDLE_ERROR);
    return frame_length(static_cast<int32_t>(slot.state.tag_len));
}

TESSALIB_API int32_t TESSALIB_CALL MAC_Reset(int32_t handle) {
    MacSlot& slot = frame_begin()->workspace.mac;
    if (!slot_handle_ok(slot.handle, handle)) return frame_status(-INVALID_HANDLE_ERROR);
    secure_wipe_obj(slot);
    return frame_status(0);
}
