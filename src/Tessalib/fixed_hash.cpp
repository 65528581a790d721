// The shared members of SHA1_, SHA2_ and MD5_ (and the streaming Add and
// Reset of SHA3_). Results are 0 or a positive code.
#include "Tessalib/fixed_hash.h"

#include <cstring>

#include "Tessalib/hash_args.h"
#include "Tessalib/hash_slot.h"
#include "block/handle.h"
#include "core/frame.h"
#include "core/secret.h"
#include "core/wipe.h"
#include "encode/hex.h"
#include "hash/hash_file.h"
#include "hash/hmac.h"
#include "tessalib.h"

namespace {

// The hex of a whole digest or tag; the caller's buffer holds it (no length
// is given in these families). Nothing for a NULL output.
void write_hex(char* output, const uint8_t* digest, std::size_t len) noexcept {
    if (output != nullptr) HexEncodeLower(output, 2 * len + 1, digest, len);
}

void hex_digest_of(const FixedFamily& family, char* output, const uint8_t* message, std::size_t len) noexcept {
    if (output == nullptr) return;
    const HashAlgorithm* alg = hash_algorithm(family.code);
    SecretBytes<kHashMaxDigestLen> digest;
    hash_digest(alg, message, len, digest.bytes);
    write_hex(output, digest.bytes, alg->digest_len);
}

bool bad_bytes(const uint8_t* data, int32_t len) noexcept { return len < 0 || (data == nullptr && len > 0); }

// Hex HMAC of arguments already checked.
void hmac_hex_of(const FixedFamily& family, char* output, const uint8_t* message, std::size_t messageLen,
                 const uint8_t* key, std::size_t keyLen) noexcept {
    if (output == nullptr) return;
    SecretBytes<kHashMaxDigestLen> tag;
    const int32_t n = hmac_bytes(tag.bytes, tag.size(), message, messageLen, key, keyLen, family.code);
    write_hex(output, tag.bytes, static_cast<std::size_t>(n));
}

}  // namespace

int32_t fixed_string_hex_hash(const FixedFamily& family, char* output, const char* message) noexcept {
    frame_begin();
    if (message == nullptr) return frame_status(BAD_PARAM_ERROR);
    hex_digest_of(family, output, reinterpret_cast<const uint8_t*>(message), std::strlen(message));
    return frame_status(0);
}

int32_t fixed_bytes_hex_hash(const FixedFamily& family, char* output, const uint8_t* message, int32_t len) noexcept {
    frame_begin();
    if (bad_bytes(message, len)) return frame_status(BAD_PARAM_ERROR);
    hex_digest_of(family, output, message, static_cast<std::size_t>(len));
    return frame_status(0);
}

int32_t fixed_bytes_hash(const FixedFamily& family, uint8_t* output, const uint8_t* message, int32_t len) noexcept {
    frame_begin();
    if (bad_bytes(message, len) || output == nullptr) return frame_status(BAD_PARAM_ERROR);
    hash_digest(hash_algorithm(family.code), message, static_cast<std::size_t>(len), output);
    return frame_status(0);
}

int32_t fixed_file_hex_hash(const FixedFamily& family, char* output, const char* fileName, const char* mode) noexcept {
    frame_begin();
    if (fileName == nullptr || mode == nullptr) return frame_status(BAD_PARAM_ERROR);
    const uint32_t text = (mode[0] == 't' || mode[0] == 'T') ? HASH_OPT_TEXT : 0;
    SecretBytes<kHashMaxDigestLen> digest;
    const int32_t n = hash_file(digest.bytes, fileName, family.code | text);
    if (n < 0) return frame_status(positive_code(n));
    write_hex(output, digest.bytes, static_cast<std::size_t>(n));
    return frame_status(0);
}

int32_t fixed_init(const FixedFamily& family) noexcept {
    FixedHashSlot& slot = GetThreadState()->workspace.*family.slot;
    // The init below leaves the buffer alone: wipe what an abandoned context
    // had buffered.
    secure_wipe_obj(slot.state);
    hash_algorithm(family.code)->init(&slot.state);
    slot.handle = NewContextHandle();
    return static_cast<int32_t>(slot.handle);
}

int32_t fixed_add_string(const FixedFamily& family, int32_t handle, const char* text) noexcept {
    FixedHashSlot& slot = frame_begin()->workspace.*family.slot;
    if (!handle_is_live(slot.handle, handle)) return frame_status(INVALID_HANDLE_ERROR);
    if (text == nullptr) return frame_status(BAD_PARAM_ERROR);
    hash_algorithm(family.code)->update(&slot.state, reinterpret_cast<const uint8_t*>(text), std::strlen(text));
    return frame_status(0);
}

int32_t fixed_add_bytes(const FixedFamily& family, int32_t handle, const uint8_t* data, int32_t len) noexcept {
    FixedHashSlot& slot = frame_begin()->workspace.*family.slot;
    if (!handle_is_live(slot.handle, handle)) return frame_status(INVALID_HANDLE_ERROR);
    if (bad_bytes(data, len)) return frame_status(BAD_PARAM_ERROR);
    hash_algorithm(family.code)->update(&slot.state, data, static_cast<std::size_t>(len));
    return frame_status(0);
}

int32_t fixed_hex_digest(const FixedFamily& family, char* output, int32_t handle) noexcept {
    FixedHashSlot& slot = frame_begin()->workspace.*family.slot;
    if (!handle_is_live(slot.handle, handle)) return frame_status(INVALID_HANDLE_ERROR);
    const HashAlgorithm* alg = hash_algorithm(family.code);
    SecretBytes<kHashMaxDigestLen> digest;
    alg->final(&slot.state, digest.bytes);
    secure_wipe_obj(slot);
    write_hex(output, digest.bytes, alg->digest_len);
    return frame_status(0);
}

int32_t fixed_reset(const FixedFamily& family, int32_t handle) noexcept {
    FixedHashSlot& slot = frame_begin()->workspace.*family.slot;
    if (!handle_is_live(slot.handle, handle)) return frame_status(INVALID_HANDLE_ERROR);
    secure_wipe_obj(slot);
    return frame_status(0);
}

int32_t fixed_hmac(const FixedFamily& family, char* output, const uint8_t* message, int32_t messageLen,
                   const uint8_t* key, int32_t keyLen) noexcept {
    frame_begin();
    if (bad_bytes(message, messageLen) || bad_bytes(key, keyLen)) return frame_status(BAD_PARAM_ERROR);
    hmac_hex_of(family, output, message, static_cast<std::size_t>(messageLen), key, static_cast<std::size_t>(keyLen));
    return frame_status(0);
}

int32_t fixed_hmac_hex(const FixedFamily& family, char* output, const char* messageHex, const char* keyHex) noexcept {
    frame_begin();
    if (messageHex == nullptr || keyHex == nullptr) return frame_status(BAD_PARAM_ERROR);
    SecretBuffer message;
    SecretBuffer key;
    if (!decode_hex_lenient(message, messageHex) || !decode_hex_lenient(key, keyHex))
        return frame_status(MEMORY_ERROR);
    hmac_hex_of(family, output, message.data(), message.size(), key.data(), key.size());
    return frame_status(0);
}
