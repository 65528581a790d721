// The engines behind the HASH_ and MAC_ streaming slots.
#include "Tessalib/hash_slot.h"

void slot_update(HashSlot& slot, const uint8_t* data, std::size_t len) noexcept {
    hash_algorithm(slot.code)->update(&slot.state, data, len);
}

void slot_update(MacSlot& slot, const uint8_t* data, std::size_t len) noexcept {
    hmac_update(&slot.state, data, len);
}

std::size_t slot_length(const HashSlot& slot) noexcept { return hash_algorithm(slot.code)->digest_len; }

std::size_t slot_length(const MacSlot& slot) noexcept { return slot.state.tag_len; }

std::size_t slot_finish(HashSlot& slot, uint8_t* out) noexcept {
    const HashAlgorithm* alg = hash_algorithm(slot.code);
    alg->final(&slot.state, out);
    secure_wipe_obj(slot);
    return alg->digest_len;
}

std::size_t slot_finish(MacSlot& slot, uint8_t* out) noexcept {
    const std::size_t len = slot.state.tag_len;
    hmac_final(&slot.state, out);
    secure_wipe_obj(slot);
    return len;
}
