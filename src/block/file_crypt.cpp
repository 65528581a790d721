// File encryption: the file procedure over the four block-cipher engines.
#include "block/file_crypt.h"

#include <cstring>

#include "block/aes.h"
#include "block/blowfish.h"
#include "block/des.h"
#include "block/modes.h"
#include "block/padding.h"
#include "block/tdea.h"
#include "core/file_pair.h"
#include "core/secret.h"
#include "core/wipe.h"
#include "platform/platform.h"
#include "tessalib.h"

namespace {

// One keyed context of any of the four ciphers.
struct FileContext {
    FileCipher cipher;
    union {
        AesContext aes;
        DesContext des;
        TdeaContext tdea;
        BlowfishContext blowfish;
    } u;
};

int32_t context_setup(FileContext* ctx, const FileCryptArgs& a, const uint8_t* iv) noexcept {
    ctx->cipher = a.cipher;
    const int32_t e = a.encrypt ? 1 : 0;
    switch (a.cipher) {
        case FileCipher::kAes: return AesSetup(&ctx->u.aes, a.mode, a.key, a.key_len, e, iv);
        case FileCipher::kDes: return DesSetup(&ctx->u.des, a.mode, a.key, e, iv);
        case FileCipher::kTdea: return TdeaSetup(&ctx->u.tdea, a.mode, a.key, e, iv);
        case FileCipher::kBlowfish: return BlowfishSetup(&ctx->u.blowfish, a.mode, a.key, a.key_len, e, iv);
    }
    return -INTERNAL_ERROR;
}

// len bytes in place; ECB and CBC lengths are whole blocks here.
int32_t context_update(FileContext* ctx, uint8_t* out, const uint8_t* in, std::size_t len) noexcept {
    if (len == 0) return 0;
    switch (ctx->cipher) {
        case FileCipher::kAes: return AesUpdate(&ctx->u.aes, out, in, len);
        case FileCipher::kDes: return DesUpdate(&ctx->u.des, out, in, len);
        case FileCipher::kTdea: return TdeaUpdate(&ctx->u.tdea, out, in, len);
        case FileCipher::kBlowfish: return BlowfishUpdate(&ctx->u.blowfish, out, in, len);
    }
    return -INTERNAL_ERROR;
}

bool pads(int32_t mode) noexcept { return mode == kModeEcb || mode == kModeCbc; }

// The two chunk buffers: wiped and freed with the object.
struct Chunks {
    SecretBuffer memory;
    uint8_t* first() const noexcept { return memory.data(); }
    uint8_t* second() const noexcept { return memory.data() + kFileChunk; }
};

// Reads a whole chunk, or the last piece of the file: 0 with *got the count.
int32_t read_chunk(FilePair* files, uint8_t* buf, std::size_t* got) noexcept {
    return file_pair_read(files, buf, kFileChunk, got);
}

// The encryption stream: whole chunks, then the last piece with its padding
// block in ECB and CBC.
int32_t encrypt_stream(FilePair* files, FileContext* ctx, int32_t mode, std::size_t block, uint32_t options,
                       uint8_t* chunk) noexcept {
    std::size_t got = 0;
    for (;;) {
        int32_t rc = read_chunk(files, chunk, &got);
        if (rc != 0) return rc;
        if (got < kFileChunk) break;
        rc = context_update(ctx, chunk, chunk, got);
        if (rc == 0) rc = file_pair_write(files, chunk, got);
        if (rc != 0) return rc;
    }
    std::size_t out_len = got;
    if (pads(mode)) {
        // got < kFileChunk, a multiple of the block: the padded piece fits.
        const std::size_t n = pad_count(got, block);
        pad_write(chunk + got, n, options);
        out_len = got + n;
    }
    int32_t rc = context_update(ctx, chunk, chunk, out_len);
    if (rc == 0) rc = file_pair_write(files, chunk, out_len);
    return rc;
}

// The decryption stream: one decrypted chunk is held back until the next read
// shows whether the padding lies in it.
int32_t decrypt_stream(FilePair* files, FileContext* ctx, int32_t mode, std::size_t block, uint32_t options,
                       uint8_t* chunk, uint8_t* held) noexcept {
    const uint32_t field = options & kPadFieldMask;
    const bool unpad = pads(mode) && field != CIPHER_PAD_NONE && (options & kFileKeepPadding) == 0;
    bool have_held = false;
    std::size_t got = 0;
    for (;;) {
        int32_t rc = read_chunk(files, chunk, &got);
        if (rc != 0) return rc;
        if (got < kFileChunk) break;
        if (have_held && (rc = file_pair_write(files, held, kFileChunk)) != 0) return rc;
        rc = context_update(ctx, held, chunk, kFileChunk);
        if (rc != 0) return rc;
        have_held = true;
    }
    if (pads(mode) && got % block != 0) return -BAD_LENGTH_ERROR;
    if (!unpad || got > 0) {
        if (unpad && !have_held && got < block) return -BAD_LENGTH_ERROR;
        if (have_held) {
            if (const int32_t rc = file_pair_write(files, held, kFileChunk)) return rc;
        }
        if (got == 0) return 0;
        if (const int32_t rc = context_update(ctx, chunk, chunk, got)) return rc;
        std::size_t keep = got;
        if (unpad) {
            const int32_t n = CheckPadding(chunk, got, block, options);
            if (n < 0) return n;
            keep = got - static_cast<std::size_t>(n);
        }
        return file_pair_write(files, chunk, keep);
    }
    // Padding removed, and the file ended with a whole chunk (or was empty).
    if (!have_held) return -BAD_LENGTH_ERROR;
    const int32_t n = CheckPadding(held, kFileChunk, block, options);
    if (n < 0) return n;
    return file_pair_write(files, held, kFileChunk - static_cast<std::size_t>(n));
}

bool name_missing(const char* name) noexcept { return name == nullptr || name[0] == '\0'; }

// Steps 5 to 7 on the open files.
int32_t run(FilePair* files, const FileCryptArgs& a, const Chunks& chunks) noexcept {
    const std::size_t block = file_cipher_block(a.cipher);
    SecretBytes<16> iv_block;
    const uint8_t* iv = a.iv;
    if ((a.options & OPT_PREFIX_IV) != 0 && a.mode != kModeEcb) {
        if (a.encrypt) {
            if (iv != nullptr) {
                if (const int32_t rc = file_pair_write(files, iv, block)) return rc;
            }
        } else {
            std::size_t got = 0;
            const int32_t rc = file_pair_read(files, iv_block.bytes, block, &got);
            if (rc != 0 || got < block) return -READ_ERROR;
            iv = iv_block.bytes;
        }
    }
    FileContext ctx;
    int32_t rc = context_setup(&ctx, a, iv);
    if (rc == 0)
        rc = a.encrypt ? encrypt_stream(files, &ctx, a.mode, block, a.options, chunks.first())
                       : decrypt_stream(files, &ctx, a.mode, block, a.options, chunks.first(), chunks.second());
    secure_wipe_obj(ctx);
    return rc;
}

}  // namespace

int32_t file_crypt(const FileCryptArgs& args, const char* out_path, const char* in_path) noexcept {
    if (name_missing(out_path) || name_missing(in_path)) return -BAD_PARAM_ERROR;
    Chunks chunks;
    if (!chunks.memory.allocate(2 * kFileChunk)) return -MEMORY_ERROR;
    // The output is deleted below: first make sure it is not the input under
    // another name.
    if (std::strcmp(out_path, in_path) == 0 || plat::same_file(out_path, in_path)) return -DUP_ERROR;
    // An old output file goes (a link itself rather than what it points
    // to); a directory or a device stays.
    plat::delete_file(out_path);
    FilePair files;
    const int32_t rc = file_pair_open(&files, out_path, in_path);
    if (rc != 0) return rc;
    return file_pair_close(&files, run(&files, args, chunks));
}
