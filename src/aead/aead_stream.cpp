// The incremental AEAD context over the GCM and ChaCha20-Poly1305 message
// streams.
#include "aead/aead_stream.h"

#include <cstring>

#include "core/ct.h"
#include "core/wipe.h"
#include "tessalib.h"

namespace {

bool is_gcm(const AeadContext* ctx) noexcept {
    return ctx->algorithm == AEAD_AES_128_GCM || ctx->algorithm == AEAD_AES_256_GCM;
}

bool algorithm_known(const AeadContext* ctx) noexcept {
    return is_gcm(ctx) || ctx->algorithm == AEAD_CHACHA20_POLY1305;
}

// Ends a message: the computed tag into `tag`, the stream wiped, stage 1.
void finish(AeadContext* ctx, uint8_t tag[16]) noexcept {
    if (is_gcm(ctx)) {
        gcm_stream_finish(&ctx->u.gcm.key, &ctx->u.gcm.msg, tag);
        secure_wipe_obj(ctx->u.gcm.key);
    } else {
        chacha_poly_stream_finish(&ctx->u.chacha, tag);
    }
    ctx->stage = kAeadKeyed;
}

// Ends the AAD of the message.
void end_aad(AeadContext* ctx) noexcept {
    if (is_gcm(ctx))
        gcm_stream_aad_end(&ctx->u.gcm.key, &ctx->u.gcm.msg);
    else
        chacha_poly_stream_aad_end(&ctx->u.chacha);
}

}  // namespace

int32_t aead_ctx_init(AeadContext* ctx, const uint8_t* key, std::size_t key_len, uint32_t options) noexcept {
    const uint32_t code = options & 0xFF;
    if (code != AEAD_AES_128_GCM && code != AEAD_AES_256_GCM && code != AEAD_CHACHA20_POLY1305) {
        ctx->algorithm = -1;
        return -BAD_FLAG_ERROR;
    }
    AeadChoice choice{};
    aead_choose(code, &choice);
    if (key_len != choice.key_len) return -BAD_KEY_LEN_ERROR;
    ctx->algorithm = static_cast<int32_t>(code);
    std::memcpy(ctx->raw_key, key, key_len);
    ctx->stage = kAeadKeyed;
    return 0;
}

int32_t aead_ctx_set_nonce(AeadContext* ctx, const uint8_t* nonce, int32_t nonce_len) noexcept {
    if (!algorithm_known(ctx)) return -INTERNAL_ERROR;
    if (nonce == nullptr || nonce_len < 1) return -BAD_IV_ERROR;
    if (nonce_len != 12) return -BAD_IV_LEN_ERROR;
    if (ctx->stage != kAeadKeyed) return -MISUSE_ERROR;
    if (is_gcm(ctx)) {
        gcm_key_setup(&ctx->u.gcm.key, ctx->raw_key, ctx->algorithm == AEAD_AES_128_GCM ? 16 : 32);
        gcm_stream_start(&ctx->u.gcm.key, &ctx->u.gcm.msg, nonce, 12);
    } else {
        chacha_poly_stream_start(&ctx->u.chacha, ctx->raw_key, nonce);
    }
    ctx->stage = kAeadNonceSet;
    return 0;
}

int32_t aead_ctx_add_aad(AeadContext* ctx, const uint8_t* aad, int32_t aad_len) noexcept {
    if (!algorithm_known(ctx)) return -INTERNAL_ERROR;
    if (aad_len < 0) return -BAD_PARAM_ERROR;
    if (ctx->stage != kAeadNonceSet) return -MISUSE_ERROR;
    if (aad == nullptr || aad_len == 0) return 0;
    const std::size_t len = static_cast<std::size_t>(aad_len);
    if (is_gcm(ctx))
        gcm_stream_aad(&ctx->u.gcm.key, &ctx->u.gcm.msg, aad, len);
    else
        chacha_poly_stream_aad(&ctx->u.chacha, aad, len);
    return 0;
}

int32_t aead_ctx_start_encrypt(AeadContext* ctx) noexcept {
    if (!algorithm_known(ctx)) return -INTERNAL_ERROR;
    if (ctx->stage != kAeadNonceSet) return -MISUSE_ERROR;
    end_aad(ctx);
    ctx->stage = kAeadEncrypting;
    return 0;
}

int32_t aead_ctx_start_decrypt(AeadContext* ctx, const uint8_t* tag, int32_t tag_len) noexcept {
    if (!algorithm_known(ctx)) return -INTERNAL_ERROR;
    if (tag == nullptr || tag_len < 1) return -BAD_PARAM_ERROR;
    if (ctx->stage != kAeadNonceSet) return -MISUSE_ERROR;
    if (tag_len < 4) return -BAD_PARAM_ERROR;
    ctx->expected_tag_len = tag_len < 16 ? static_cast<uint32_t>(tag_len) : 16;
    std::memcpy(ctx->expected_tag, tag, ctx->expected_tag_len);
    end_aad(ctx);
    ctx->stage = kAeadDecrypting;
    return 0;
}

int32_t aead_ctx_update(AeadContext* ctx, uint8_t* output, int32_t output_len, const uint8_t* input,
                        int32_t input_len) noexcept {
    if (!algorithm_known(ctx)) return -INTERNAL_ERROR;
    if (output_len < 0 || input_len < 0) return -BAD_PARAM_ERROR;
    if (input != nullptr && input_len >= 1 && output != nullptr && output_len < input_len) return -SHORT_BUF_ERROR;
    if (input == nullptr && input_len > 0) return -BAD_PARAM_ERROR;
    if (ctx->stage != kAeadEncrypting && ctx->stage != kAeadDecrypting) return -MISUSE_ERROR;
    if (ctx->stage == kAeadEncrypting && output == nullptr && input_len != 0) return -BAD_PARAM_ERROR;
    if (input_len == 0) return 0;
    const std::size_t len = static_cast<std::size_t>(input_len);
    const uint64_t done = is_gcm(ctx) ? ctx->u.gcm.msg.text_len : ctx->u.chacha.text_len;
    const uint64_t limit = is_gcm(ctx) ? kGcmMaxText : kChaChaPolyMaxText;
    if (len > limit - done) return -BAD_LENGTH_ERROR;
    const bool encrypt = ctx->stage == kAeadEncrypting;
    if (is_gcm(ctx)) {
        if (encrypt)
            gcm_stream_encrypt(&ctx->u.gcm.key, &ctx->u.gcm.msg, output, input, len);
        else
            gcm_stream_decrypt(&ctx->u.gcm.key, &ctx->u.gcm.msg, output, input, len);
    } else {
        if (encrypt)
            chacha_poly_stream_encrypt(&ctx->u.chacha, output, input, len);
        else
            chacha_poly_stream_decrypt(&ctx->u.chacha, output, input, len);
    }
    return 0;
}

int32_t aead_ctx_finish_encrypt(AeadContext* ctx, uint8_t* tag, int32_t tag_len) noexcept {
    if (!algorithm_known(ctx)) return -INTERNAL_ERROR;
    if (tag == nullptr || tag_len < 1) return -BAD_PARAM_ERROR;
    if (tag_len < 16) return -SHORT_BUF_ERROR;
    if (ctx->stage != kAeadEncrypting) return -MISUSE_ERROR;
    finish(ctx, tag);
    return 0;
}

int32_t aead_ctx_finish_decrypt(AeadContext* ctx) noexcept {
    if (!algorithm_known(ctx)) return -INTERNAL_ERROR;
    if (ctx->stage != kAeadDecrypting) return -MISUSE_ERROR;
    uint8_t computed[16];
    finish(ctx, computed);
    const int match = ct_public(ct_memeq(computed, ctx->expected_tag, ctx->expected_tag_len));
    secure_wipe_obj(computed);
    secure_wipe_obj(ctx->expected_tag);
    ctx->expected_tag_len = 0;
    return match ? 0 : -AUTH_FAIL_ERROR;
}
