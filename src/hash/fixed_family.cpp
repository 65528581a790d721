// Shared bodies of the fixed-algorithm hash families.
#include "hash/fixed_family.h"

#include <cstring>

#include "block/handle.h"
#include "core/wipe.h"
#include "encode/hex.h"
#include "hash/hash_file.h"
#include "tessalib.h"

namespace {

void write_hex(char* output, const uint8_t* digest, std::size_t n) noexcept {
    if (output != nullptr) HexEncodeLower(output, 2 * n + 1, digest, n);
}

int32_t bytes_hex(uint32_t code, char* output, const uint8_t* message, std::size_t len) noexcept {
    const HashAlgorithm* alg = hash_algorithm(code);
    uint8_t digest[kHashMaxDigestLen];
    hash_digest(alg, message, len, digest);
    write_hex(output, digest, alg->digest_len);
    secure_wipe(digest, sizeof digest);
    return 0;
}

}  // namespace

int32_t fixed_string_hex(uint32_t code, char* output, const char* message) noexcept {
    if (message == nullptr) return BAD_PARAM_ERROR;
    if (output == nullptr) return 0;
    return bytes_hex(code, output, reinterpret_cast<const uint8_t*>(message), std::strlen(message));
}

int32_t fixed_bytes_hex(uint32_t code, char* output, const uint8_t* message, int32_t len) noexcept {
    if (len < 0 || (message == nullptr && len > 0)) return BAD_PARAM_ERROR;
    return bytes_hex(code, output, message, static_cast<std::size_t>(len));
}

int32_t fixed_bytes(uint32_t code, uint8_t* output, const uint8_t* message, int32_t len) noexcept {
    if (len < 0 || (message == nullptr && len > 0) || output == nullptr) return BAD_PARAM_ERROR;
    hash_digest(hash_algorithm(code), message, static_cast<std::size_t>(len), output);
    return 0;
}

int32_t fixed_file_hex(uint32_t code, char* output, const char* fileName, const char* mode) noexcept {
    if (fileName == nullptr || mode == nullptr) return BAD_PARAM_ERROR;
    const uint32_t text = (mode[0] == 't' || mode[0] == 'T') ? kHashOptText : 0;
    uint8_t digest[kHashMaxDigestLen];
    const int32_t n = hash_file(digest, fileName, code | text);
    if (n < 0) return -n;
    write_hex(output, digest, static_cast<std::size_t>(n));
    secure_wipe(digest, sizeof digest);
    return 0;
}

uint32_t fixed_init(uint32_t code, FixedSlotRef slot) noexcept {
    // The init below leaves the buffer alone: wipe what an abandoned context
    // had buffered.
    secure_wipe_obj(*slot.state);
    hash_algorithm(code)->init(slot.state);
    *slot.handle = NewContextHandle();
    return *slot.handle;
}

int32_t fixed_add(uint32_t code, FixedSlotRef slot, int32_t handle, const uint8_t* data, int32_t len) noexcept {
    if (!slot_handle_ok(*slot.handle, handle)) return INVALID_HANDLE_ERROR;
    if (len < 0 || (data == nullptr && len > 0)) return BAD_PARAM_ERROR;
    hash_algorithm(code)->update(slot.state, data, static_cast<std::size_t>(len));
    return 0;
}

int32_t fixed_add_string(uint32_t code, FixedSlotRef slot, int32_t handle, const char* text) noexcept {
    if (!slot_handle_ok(*slot.handle, handle)) return INVALID_HANDLE_ERROR;
    if (text == nullptr) return BAD_PARAM_ERROR;
    hash_algorithm(code)->update(slot.state, reinterpret_cast<const uint8_t*>(text), std::strlen(text));
    return 0;
}

int32_t fixed_hex_digest(uint32_t code, FixedSlotRef slot, char* output, int32_t handle) noexcept {
    if (!slot_handle_ok(*slot.handle, handle)) return INVALID_HANDLE_ERROR;
    const HashAlgorithm* alg = hash_algorithm(code);
    uint8_t digest[kHashMaxDigestLen];
    alg->final(slot.state, digest);
    *slot.handle = 0;
    secure_wipe_obj(*slot.state);
    write_hex(output, digest, alg->digest_len);
    secure_wipe(digest, sizeof digest);
    return 0;
}

int32_t fixed_reset(FixedSlotRef slot, int32_t handle) noexcept {
    if (!slot_handle_ok(*slot.handle, handle)) return INVALID_HANDLE_ERROR;
    secure_wipe_obj(*slot.state);
    *slot.handle = 0;
    return 0;
}
