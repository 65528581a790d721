// File reader for the hash functions with its own text-mode translation, so
// that the result never depends on the C runtime's idea of text files.
#include "hash/hash_file.h"

#include "core/wipe.h"
#include "tessalib.h"

int32_t hash_file_open(HashFileReader* r, const char* path, bool text) noexcept {
    r->file = std::fopen(path, "rb");
    r->text = text ? 1 : 0;
    r->pending_cr = 0;
    r->ended = 0;
    return r->file ? 0 : OPEN_ERROR;
}

std::size_t hash_file_read(HashFileReader* r, uint8_t* out) noexcept {
    if (!r->text) {
        if (r->ended) return 0;
        const std::size_t n = std::fread(out, 1, kHashFileChunk, r->file);
        if (n == 0) r->ended = 1;
        return n;
    }
    for (;;) {
        if (r->ended) return 0;
        const std::size_t n = std::fread(r->raw, 1, kHashFileChunk, r->file);
        std::size_t m = 0;
        if (n == 0) {
            r->ended = 1;
            if (r->pending_cr) {
                r->pending_cr = 0;
                out[m++] = '\r';
            }
            return m;
        }
        for (std::size_t i = 0; i < n; ++i) {
            const uint8_t b = r->raw[i];
            if (r->pending_cr) {
                r->pending_cr = 0;
                if (b == '\n') {
                    out[m++] = '\n';
                    continue;
                }
                out[m++] = '\r';
            }
            if (b == 0x1A) {
                r->ended = 1;
                break;
            }
            if (b == '\r') {
                r->pending_cr = 1;
                continue;
            }
            out[m++] = b;
        }
        // A chunk holding only a held-back CR gives nothing yet: read on.
        if (m != 0 || r->ended) return m;
    }
}

bool hash_file_close(HashFileReader* r) noexcept {
    const bool failed = std::ferror(r->file) != 0;
    std::fclose(r->file);
    r->file = nullptr;
    secure_wipe(r->raw, sizeof r->raw);
    return failed;
}

int32_t hash_file(uint8_t* out, const char* path, uint32_t options) noexcept {
    HashFileReader reader;
    if (hash_file_open(&reader, path, (options & HASH_OPT_TEXT) != 0) != 0) return -OPEN_ERROR;
    const HashAlgorithm* alg = hash_algorithm(options);
    if (alg == nullptr || alg->code > kHashSha3_512) {
        hash_file_close(&reader);
        return -BAD_FLAG_ERROR;
    }
    HashState st;
    uint8_t chunk[kHashFileChunk + 1];
    alg->init(&st);
    for (;;) {
        const std::size_t n = hash_file_read(&reader, chunk);
        if (n == 0) break;
        alg->update(&st, chunk, n);
    }
    secure_wipe(chunk, sizeof chunk);
    uint8_t digest[kHashMaxDigestLen];
    alg->final(&st, digest);
    int32_t result = static_cast<int32_t>(alg->digest_len);
    if (hash_file_close(&reader)) {
        result = -READ_ERROR;
    } else {
        hash_apply_double(alg, options, digest);
        for (uint32_t i = 0; i < alg->digest_len; ++i) out[i] = digest[i];
    }
    secure_wipe(digest, sizeof digest);
    return result;
}
