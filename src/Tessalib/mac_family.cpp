// MAC_: one-shot HMAC, CMAC, Poly1305 and KMAC with byte or hex output, and
// the per-thread streaming HMAC context.
#include "Tessalib/hash_args.h"
#include "Tessalib/hash_slot.h"
#include "block/handle.h"
#include "core/frame.h"
#include "core/secret.h"
#include "core/wipe.h"
#include "encode/hex.h"
#include "hash/hash_engine.h"
#include "hash/hmac.h"
#include "hash/mac.h"
#include "tessalib.h"

namespace {

// The MAC of the option word, with the checks that follow the argument
// checks, in order: the option names a MAC, the key has its length and, for
// KMAC, whose output length is an input of the computation so that its tag
// is never truncated, the output has room (in bytes) for the whole tag; a
// query asks for no room. 0 and *mac, or a negated code.
inline int32_t choose_mac(int32_t options, std::size_t key_len, bool query, std::size_t room, MacChoice* mac) {
    if (const int32_t rc = mac_choose(static_cast<uint32_t>(options), mac)) return rc;
    if (const int32_t rc = mac_check_key(*mac, key_len)) return rc;
    if (mac->kind == MacKind::kmac && !query && room < mac->tag_len) return -SHORT_BUF_ERROR;
    return 0;
}

// The checks of MAC_Bytes and MAC_HexFromBytes on the message and the key.
bool bad_byte_args(const unsigned char* message, int32_t messageLen, const unsigned char* key, int32_t keyLen) {
    return (message == nullptr && messageLen > 0) || messageLen < 0 || key == nullptr || keyLen < 0;
}

// The tag as hex: the leading whole bytes that fit maxChars, or twice the
// tag length in query mode.
int32_t mac_hex(char* output, int32_t maxChars, const MacChoice& mac, const uint8_t* msg, std::size_t msg_len,
                const uint8_t* key, std::size_t key_len) {
    SecretBytes<kMacMaxTagLen> tag;
    const int32_t n = mac_compute(mac, tag.bytes, msg, msg_len, key, key_len);
    return n < 0 ? n : hex_out_leading(output, maxChars, tag.bytes, static_cast<std::size_t>(n));
}

bool hex_query(const char* output, int32_t maxChars) { return output == nullptr || maxChars < 1; }

// The output room in whole bytes of a hex maximum.
std::size_t hex_room(int32_t maxChars) { return maxChars > 0 ? static_cast<std::size_t>(maxChars) / 2 : 0; }

}  // namespace

TESSALIB_API int32_t TESSALIB_CALL MAC_Bytes(unsigned char* output, int32_t outputLen, const unsigned char* message,
                                              int32_t messageLen, const unsigned char* key, int32_t keyLen,
                                              int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportLength)) return refusal.result;
    frame_begin();
    if (outputLen < 0 || bad_byte_args(message, messageLen, key, keyLen)) return frame_length(-BAD_PARAM_ERROR);
    const bool query = output == nullptr || outputLen == 0;
    const std::size_t key_len = static_cast<std::size_t>(keyLen);
    MacChoice mac{};
    if (const int32_t rc = choose_mac(options, key_len, query, static_cast<std::size_t>(outputLen), &mac))
        return frame_length(rc);
    SecretBytes<kMacMaxTagLen> tag;
    const int32_t n = mac_compute(mac, tag.bytes, message, static_cast<std::size_t>(messageLen), key, key_len);
    return frame_length(n < 0 ? n : bytes_out_leading(output, outputLen, tag.bytes, static_cast<std::size_t>(n)));
}

TESSALIB_API int32_t TESSALIB_CALL MAC_HexFromBytes(char* output, int32_t maxChars, const unsigned char* message,
                                                     int32_t messageLen, const unsigned char* key, int32_t keyLen,
                                                     int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportLength)) return refusal.result;
    frame_begin();
    if (bad_byte_args(message, messageLen, key, keyLen)) return frame_length(-BAD_PARAM_ERROR);
    const std::size_t key_len = static_cast<std::size_t>(keyLen);
    MacChoice mac{};
    if (const int32_t rc = choose_mac(options, key_len, hex_query(output, maxChars), hex_room(maxChars), &mac))
        return frame_length(rc);
    return frame_length(mac_hex(output, maxChars, mac, message, static_cast<std::size_t>(messageLen), key, key_len));
}

// Both texts are checked, and so are the option and the key length, before
// the decoded copies are allocated: only a valid request can meet
// MEMORY_ERROR.
TESSALIB_API int32_t TESSALIB_CALL MAC_HexFromHex(char* output, int32_t maxChars, const char* messageHex,
                                                   const char* keyHex, int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportLength)) return refusal.result;
    frame_begin();
    if (messageHex == nullptr || keyHex == nullptr) return frame_length(-BAD_PARAM_ERROR);
    // This form checks some of the selection early: an unassigned option of
    // the Poly1305 and KMAC group, then the key text, then Poly1305's key
    // length; the rest of the selection follows the message text.
    const uint32_t opts = static_cast<uint32_t>(options);
    MacChoice mac{};
    const bool known = mac_choose(opts, &mac) == 0;
    if (!known && mac_poly_kmac_group(opts)) return frame_length(-BAD_FLAG_ERROR);
    if (!(known && mac.kind == MacKind::kmac) && keyHex[0] == '\0') return frame_length(-BAD_KEY_LEN_ERROR);
    const long long key_len = HexDecodeStrict(nullptr, 0, keyHex);
    if (key_len < 0) return frame_length(-BAD_FORMAT_ERROR);
    if (known && mac.kind == MacKind::poly1305 && mac_check_key(mac, static_cast<std::size_t>(key_len)) != 0)
        return frame_length(-BAD_KEY_LEN_ERROR);
    const long long msg_len = HexDecodeStrict(nullptr, 0, messageHex);
    if (msg_len < 0) return frame_length(-BAD_FORMAT_ERROR);
    if (const int32_t rc = choose_mac(options, static_cast<std::size_t>(key_len), hex_query(output, maxChars),
                                      hex_room(maxChars), &mac))
        return frame_length(rc);
    SecretBuffer key;
    SecretBuffer message;
    if (!decode_hex_strict(key, keyHex, static_cast<std::size_t>(key_len)) ||
        !decode_hex_strict(message, messageHex, static_cast<std::size_t>(msg_len)))
        return frame_length(-MEMORY_ERROR);
    return frame_length(mac_hex(output, maxChars, mac, message.data(), message.size(), key.data(), key.size()));
}

TESSALIB_API int32_t TESSALIB_CALL MAC_Init(const unsigned char* key, int32_t keyLen, int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportHandle)) return refusal.result;
    MacSlot& slot = frame_begin()->workspace.mac;
    if (key == nullptr || keyLen < 1) return static_cast<int32_t>(frame_handle(0, BAD_PARAM_ERROR));
    // Past the key check any earlier context ends, keyed state and all, even
    // when the option is then refused.
    secure_wipe_obj(slot);
    const uint32_t code = static_cast<uint32_t>(options) & 0xFFF;
    if (!hash_code_streaming(code)) return static_cast<int32_t>(frame_handle(0, NOT_SUPPORTED_ERROR));
    hmac_init(&slot.state, code, key, static_cast<std::size_t>(keyLen));
    slot.code = code;
    slot.handle = NewContextHandle();
    return static_cast<int32_t>(frame_handle(slot.handle, NOT_SUPPORTED_ERROR));
}

TESSALIB_API int32_t TESSALIB_CALL MAC_AddBytes(int32_t handle, const unsigned char* data, int32_t dataLen) {
    return frame_call(kExportNegatedStatus, [&] {
        return frame_status(slot_add_bytes(frame_begin()->workspace.mac, handle, data, dataLen));
    });
}

TESSALIB_API int32_t TESSALIB_CALL MAC_Final(unsigned char* output, int32_t outputLen, int32_t handle) {
    return frame_call(kExportLength,
                      [&] { return frame_length(slot_final(frame_begin()->workspace.mac, output, outputLen, handle)); });
}

TESSALIB_API int32_t TESSALIB_CALL MAC_CodeLength(int32_t handle) {
    return frame_call(kExportLength,
                      [&] { return frame_length(slot_length_of(frame_begin()->workspace.mac, handle)); });
}

TESSALIB_API int32_t TESSALIB_CALL MAC_Reset(int32_t handle) {
    return frame_call(kExportNegatedStatus,
                      [&] { return frame_status(slot_reset(frame_begin()->workspace.mac, handle)); });
}
