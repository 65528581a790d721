// ChaCha20-Poly1305 on the ChaCha20 engine and the Poly1305 of the MAC
// family. The one-shot forms use the same message stream as the incremental
// functions, each with a single piece.
#include "aead/chacha20_poly1305.h"

#include "core/ct.h"
#include "core/endian.h"
#include "core/wipe.h"
#include "tessalib.h"

namespace {

// Zero bytes up to the next multiple of 16 of `count` bytes MACed.
void mac_pad(Poly1305State* mac, uint64_t count) noexcept {
    static const uint8_t kZeros[16] = {0};
    const std::size_t rest = static_cast<std::size_t>(count % 16);
    if (rest != 0) poly1305_update(mac, kZeros, 16 - rest);
}

}  // namespace

void chacha_poly_stream_start(ChaChaPolyStream* st, const uint8_t key[32], const uint8_t nonce[12]) noexcept {
    ChaCha20State cipher;
    chacha20_set_key(&cipher, key, kChaChaPolyKeyLen);
    chacha20_set_iv(&cipher, nonce, kChaChaPolyNonceLen, 0);
    uint8_t block0[64];
    chacha20_block(&cipher, block0);  // the counter moves on to 1
    poly1305_init(&st->mac, block0);
    chacha20_stream_start(&st->cipher, &cipher);
    st->aad_len = 0;
    st->text_len = 0;
    secure_wipe_obj(block0);
    secure_wipe_obj(cipher);
}

void chacha_poly_stream_aad(ChaChaPolyStream* st, const uint8_t* aad, std::size_t len) noexcept {
    poly1305_update(&st->mac, aad, len);
    st->aad_len += len;
}

void chacha_poly_stream_aad_end(ChaChaPolyStream* st) noexcept { mac_pad(&st->mac, st->aad_len); }

void chacha_poly_stream_encrypt(ChaChaPolyStream* st, uint8_t* out, const uint8_t* in, std::size_t len) noexcept {
    chacha20_stream_xor(&st->cipher, out, in, len);
    poly1305_update(&st->mac, out, len);
    st->text_len += len;
}

void chacha_poly_stream_decrypt(ChaChaPolyStream* st, uint8_t* out, const uint8_t* in, std::size_t len) noexcept {
    poly1305_update(&st->mac, in, len);
    chacha20_stream_xor(&st->cipher, out, in, len);
    st->text_len += len;
}

void chacha_poly_stream_finish(ChaChaPolyStream* st, uint8_t tag[16]) noexcept {
    mac_pad(&st->mac, st->text_len);
    uint8_t lengths[16];
    store_le64(lengths, st->aad_len);
    store_le64(lengths + 8, st->text_len);
    poly1305_update(&st->mac, lengths, sizeof lengths);
    poly1305_finish(&st->mac, tag);
    secure_wipe_obj(*st);
}

void chacha20_poly1305_encrypt(const uint8_t key[32], const uint8_t nonce[12], const uint8_t* aad,
                               std::size_t aad_len, const uint8_t* in, std::size_t len, uint8_t* out,
                               uint8_t tag[16]) noexcept {
    ChaChaPolyStream st;
    chacha_poly_stream_start(&st, key, nonce);
    chacha_poly_stream_aad(&st, aad, aad_len);
    chacha_poly_stream_aad_end(&st);
    chacha_poly_stream_encrypt(&st, out, in, len);
    chacha_poly_stream_finish(&st, tag);
}

int32_t chacha20_poly1305_decrypt(const uint8_t key[32], const uint8_t nonce[12], const uint8_t* aad,
                                  std::size_t aad_len, const uint8_t* in, std::size_t len, const uint8_t* tag,
                                  std::size_t tag_len, uint8_t* out) noexcept {
    // The MAC over the whole ciphertext first, without decrypting; the text
    // is decrypted only once the tag has matched.
    ChaChaPolyStream st;
    chacha_poly_stream_start(&st, key, nonce);
    ChaCha20Stream cipher = st.cipher;
    chacha_poly_stream_aad(&st, aad, aad_len);
    chacha_poly_stream_aad_end(&st);
    chacha_poly_stream_decrypt(&st, nullptr, in, len);
    uint8_t computed[16];
    chacha_poly_stream_finish(&st, computed);
    const int match = ct_public(ct_memeq(computed, tag, tag_len < 16 ? tag_len : 16));
    if (match && out != nullptr) chacha20_stream_xor(&cipher, out, in, len);
    secure_wipe_obj(cipher);
    secure_wipe_obj(computed);
    return match ? 0 : -AUTH_FAIL_ERROR;
}
