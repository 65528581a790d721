// The stream-cipher context: set-up checks and dispatch.
#include "aead/stream_cipher.h"

#include "core/file_pair.h"
#include "core/secret.h"
#include "core/wipe.h"
#include "tessalib.h"

namespace {

bool key_len_ok(std::size_t key_len) noexcept { return key_len == 16 || key_len == 32; }

int32_t setup(StreamContext* ctx, uint32_t alg, const uint8_t* key, std::size_t key_len, const uint8_t* iv,
              std::size_t iv_len, uint32_t counter) noexcept {
    switch (alg) {
        case STREAM_ARCFOUR:
            if (key_len == 0) return -BAD_PARAM_ERROR;
            if (key == nullptr) return -BAD_KEY_ERROR;
            arcfour_setup(&ctx->u.arcfour, key, key_len);
            return 0;
        case STREAM_SALSA20: {
            if (!key_len_ok(key_len)) return -BAD_KEY_LEN_ERROR;
            if (key == nullptr) return -BAD_KEY_ERROR;
            if (iv == nullptr || iv_len != 8) return -BAD_IV_LEN_ERROR;
            Salsa20State st;
            salsa20_setup(&st, key, key_len, iv);
            salsa20_stream_start(&ctx->u.salsa20, &st);
            secure_wipe_obj(st);
            return 0;
        }
        case STREAM_CHACHA20: {
            if (!key_len_ok(key_len)) return -BAD_KEY_LEN_ERROR;
            if (key == nullptr) return -BAD_KEY_ERROR;
            if (iv_len != 8 && iv_len != 12 && iv_len != 16) return -BAD_IV_LEN_ERROR;
            if (iv == nullptr) return -BAD_IV_ERROR;
            ChaCha20State st;
            chacha20_set_key(&st, key, key_len);
            chacha20_set_iv(&st, iv, iv_len, counter);
            chacha20_stream_start(&ctx->u.chacha20, &st);
            secure_wipe_obj(st);
            return 0;
        }
        default:
            return -BAD_FLAG_ERROR;
    }
}

}  // namespace

int32_t stream_setup(StreamContext* ctx, uint32_t options, const uint8_t* key, std::size_t key_len,
                     const uint8_t* iv, std::size_t iv_len, uint32_t counter) noexcept {
    secure_wipe_obj(*ctx);
    const uint32_t alg = stream_algorithm(options);
    const int32_t rc = setup(ctx, alg, key, key_len, iv, iv_len, counter);
    if (rc != 0) {
        secure_wipe_obj(*ctx);
        ctx->algorithm = -1;
        return rc;
    }
    ctx->algorithm = static_cast<int32_t>(alg);
    return 0;
}

void stream_xor(StreamContext* ctx, uint8_t* out, const uint8_t* in, std::size_t len) noexcept {
    switch (ctx->algorithm) {
        case STREAM_ARCFOUR:
            arcfour_xor(&ctx->u.arcfour, out, in, len);
            break;
        case STREAM_SALSA20:
            salsa20_stream_xor(&ctx->u.salsa20, out, in, len);
            break;
        case STREAM_CHACHA20:
            chacha20_stream_xor(&ctx->u.chacha20, out, in, len);
            break;
        default:
            break;
    }
}

int32_t stream_once(uint32_t options, uint8_t* out, const uint8_t* in, std::size_t len, const uint8_t* key,
                    std::size_t key_len, const uint8_t* iv, std::size_t iv_len, uint32_t counter) noexcept {
    StreamContext ctx;
    const int32_t rc = stream_setup(&ctx, options, key, key_len, iv, iv_len, counter);
    if (rc == 0) stream_xor(&ctx, out, in, len);
    secure_wipe_obj(ctx);
    return rc;
}

int32_t stream_file(StreamContext* ctx, const char* out_path, const char* in_path) noexcept {
    FilePair files;
    int32_t rc = file_pair_open(&files, out_path, in_path);
    if (rc != 0) return rc;
    SecretBytes<4096> chunk;
    for (;;) {
        std::size_t got = 0;
        rc = file_pair_read(&files, chunk.bytes, chunk.size(), &got);
        if (rc != 0 || got == 0) break;
        stream_xor(ctx, chunk.bytes, chunk.bytes, got);
        rc = file_pair_write(&files, chunk.bytes, got);
        if (rc != 0) break;
    }
    return file_pair_close(&files, rc);
}
