// The AEAD_ family's choice of algorithm and its one-shot dispatch.
#include "aead/aead.h"

#include "aead/ascon_aead.h"
#include "aead/chacha20_poly1305.h"
#include "aead/gcm.h"
#include "core/wipe.h"

int32_t aead_choose(uint32_t options, AeadChoice* choice) noexcept {
    switch (options & 0xFF) {
        case AEAD_AES_128_GCM:
            *choice = {AEAD_AES_128_GCM, 16, 12};
            return 0;
        case AEAD_AES_256_GCM:
            *choice = {AEAD_AES_256_GCM, 32, 12};
            return 0;
        case AEAD_CHACHA20_POLY1305:
            *choice = {AEAD_CHACHA20_POLY1305, 32, 12};
            return 0;
        case AEAD_ASCON_128:
            *choice = {AEAD_ASCON_128, 16, 16};
            return 0;
        case AEAD_ASCON_128A:
            *choice = {AEAD_ASCON_128A, 16, 16};
            return 0;
        default:
            return -BAD_FLAG_ERROR;
    }
}

namespace {

AsconAeadKind ascon_kind(const AeadChoice& c) noexcept {
    return c.code == AEAD_ASCON_128 ? AsconAeadKind::ascon128 : AsconAeadKind::ascon128a;
}

}  // namespace

void aead_seal(const AeadChoice& c, const uint8_t* key, const uint8_t* nonce, const uint8_t* aad,
               std::size_t aad_len, const uint8_t* in, std::size_t len, uint8_t* out, uint8_t tag[16]) noexcept {
    if (c.code == AEAD_CHACHA20_POLY1305) {
        chacha20_poly1305_encrypt(key, nonce, aad, aad_len, in, len, out, tag);
    } else if (aead_is_ascon(c)) {
        ascon_aead_encrypt(ascon_kind(c), key, nonce, aad, aad_len, in, len, out, tag);
    } else {
        GcmKey gcm;
        gcm_key_setup(&gcm, key, c.key_len);
        gcm_encrypt(&gcm, nonce, c.nonce_len, aad, aad_len, in, len, out, tag);
        secure_wipe_obj(gcm);
    }
}

int32_t aead_open(const AeadChoice& c, const uint8_t* key, const uint8_t* nonce, const uint8_t* aad,
                  std::size_t aad_len, const uint8_t* in, std::size_t len, const uint8_t* tag, std::size_t tag_len,
                  uint8_t* out) noexcept {
    if (c.code == AEAD_CHACHA20_POLY1305)
        return chacha20_poly1305_decrypt(key, nonce, aad, aad_len, in, len, tag, tag_len, out);
    if (aead_is_ascon(c)) return ascon_aead_decrypt(ascon_kind(c), key, nonce, aad, aad_len, in, len, tag, out);
    GcmKey gcm;
    gcm_key_setup(&gcm, key, c.key_len);
    const int32_t rc = gcm_decrypt(&gcm, nonce, c.nonce_len, aad, aad_len, in, len, tag, tag_len, out);
    secure_wipe_obj(gcm);
    return rc;
}
