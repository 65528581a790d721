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
#include "core/file_pipe.h"
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

// The unit whose multiples the pieces are, and whose reads give the outcome
// of a failing call: 4096 bytes, a multiple of every block length.
constexpr std::size_t kReadUnit = 4096;

// The encryption stream: whole chunks, then the last piece with its padding
// block in ECB and CBC.
int32_t encrypt_stream(FilePipe* pipe, FileContext* ctx, int32_t mode, std::size_t block,
                       uint32_t options) noexcept {
    for (;;) {
        uint8_t* chunk = nullptr;
        std::size_t got = 0;
        int32_t rc = file_pipe_next(pipe, &chunk, &got);
        if (rc != 0) return rc;
        std::size_t out_len = got;
        if (got < pipe->piece_size && pads(mode)) {
            // got < piece_size, a multiple of the block: the padded piece fits.
            const std::size_t n = pad_count(got, block);
            pad_write(chunk + got, n, options);
            out_len = got + n;
        }
        rc = context_update(ctx, chunk, chunk, out_len);
        if (rc == 0) rc = file_pipe_put(pipe, chunk, out_len);
        if (rc != 0 || got < pipe->piece_size) return rc;
    }
}

// A failure found at the end of a decryption. The stream reads the file in
// large pieces, but its outcome is the one of reading kReadUnit bytes at a
// time, which has written everything before its last chunk or two when it
// finds the failure: a write that fails there comes first. So those bytes
// are written before the failure is returned (the output is deleted either
// way): the first `upto` bytes of the held piece followed by the last one,
// which is decrypted here unless it already is.
int32_t fail_after_writes(FilePipe* pipe, FileContext* ctx, uint8_t* held, uint8_t* last, bool last_decrypted,
                          std::size_t upto, int32_t failure) noexcept {
    if (held != nullptr) {
        const std::size_t n = upto < pipe->piece_size ? upto : pipe->piece_size;
        if (const int32_t rc = file_pipe_put(pipe, held, n)) return rc;
        upto -= n;
    }
    if (upto != 0) {
        if (!last_decrypted) {
            if (const int32_t rc = context_update(ctx, last, last, upto)) return rc;
        }
        if (const int32_t rc = file_pipe_put(pipe, last, upto)) return rc;
    }
    return failure;
}

// The decryption stream: one decrypted piece is held back until the next
// read shows whether the padding lies in it.
int32_t decrypt_stream(FilePipe* pipe, FileContext* ctx, int32_t mode, std::size_t block,
                       uint32_t options) noexcept {
    const uint32_t field = options & kPadFieldMask;
    const bool unpad = pads(mode) && field != CIPHER_PAD_NONE && (options & kFileKeepPadding) == 0;
    const std::size_t whole = pipe->piece_size;
    uint8_t* held = nullptr;
    uint8_t* last = nullptr;
    std::size_t got = 0;
    for (;;) {
        int32_t rc = file_pipe_next(pipe, &last, &got);
        if (rc != 0) return rc;
        if (got < whole) break;
        if (held != nullptr && (rc = file_pipe_put(pipe, held, whole)) != 0) return rc;
        rc = context_update(ctx, last, last, whole);
        if (rc != 0) return rc;
        held = last;
    }
    // In reads of 4096 bytes: the last one returns r bytes, and the bytes of
    // the held and the last piece before it are `before_r` (pieces are whole
    // multiples of 4096).
    const std::size_t r = got % kReadUnit;
    const std::size_t before_r = (held != nullptr ? whole : 0) + got - r;
    if (!unpad) {
        if (pads(mode) && r % block != 0)
            return fail_after_writes(pipe, ctx, held, last, false, before_r, -BAD_LENGTH_ERROR);
        if (held != nullptr) {
            if (const int32_t rc = file_pipe_put(pipe, held, whole)) return rc;
        }
        if (const int32_t rc = context_update(ctx, last, last, got)) return rc;
        return file_pipe_put(pipe, last, got);
    }
    if (held == nullptr && got < block) return -BAD_LENGTH_ERROR;
    if (r % block != 0) {
        const std::size_t upto = before_r >= kReadUnit ? before_r - kReadUnit : 0;
        return fail_after_writes(pipe, ctx, held, last, false, upto, -BAD_LENGTH_ERROR);
    }
    if (got > 0) {
        if (held != nullptr) {
            if (const int32_t rc = file_pipe_put(pipe, held, whole)) return rc;
        }
        if (const int32_t rc = context_update(ctx, last, last, got)) return rc;
        const int32_t n = CheckPadding(last, got, block, options);
        if (n < 0) return fail_after_writes(pipe, ctx, nullptr, last, true, got - (r != 0 ? r : kReadUnit), n);
        return file_pipe_put(pipe, last, got - static_cast<std::size_t>(n));
    }
    // The file ended with a whole piece: the padding is in the held one.
    const int32_t n = CheckPadding(held, whole, block, options);
    if (n < 0) return fail_after_writes(pipe, ctx, held, last, true, whole - kReadUnit, n);
    return file_pipe_put(pipe, held, whole - static_cast<std::size_t>(n));
}

bool name_missing(const char* name) noexcept { return name == nullptr || name[0] == '\0'; }

// kFileChunk, or for a smaller file the multiple of kReadUnit just above its
// size (so that its few pieces cost little to make and to wipe, and no
// thread is started for it). The size only sizes the pieces: a file that
// grows or shrinks meanwhile is still read to its end.
std::size_t piece_size_for(const char* in_path) noexcept {
    uint64_t size = 0;
    if (!plat::file_size(in_path, &size) || size >= kFileChunk) return kFileChunk;
    return static_cast<std::size_t>(size / kReadUnit + 1) * kReadUnit;
}

// The IV prefix, then the cipher over the pieces of the pipe, on the open
// files.
int32_t run(FilePair* files, FilePipe* pipe, const FileCryptArgs& a) noexcept {
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
    if (rc == 0) {
        file_pipe_start(pipe, files, pipe->piece_size == kFileChunk);
        rc = a.encrypt ? encrypt_stream(pipe, &ctx, a.mode, block, a.options)
                       : decrypt_stream(pipe, &ctx, a.mode, block, a.options);
        rc = file_pipe_finish(pipe, rc);
    }
    secure_wipe_obj(ctx);
    return rc;
}

}  // namespace

int32_t file_crypt(const FileCryptArgs& args, const char* out_path, const char* in_path) noexcept {
    if (name_missing(out_path) || name_missing(in_path)) return -BAD_PARAM_ERROR;
    FilePipe pipe;
    if (const int32_t rc = file_pipe_reserve(&pipe, piece_size_for(in_path))) return rc;
    // The output is deleted below: first make sure it is not the input under
    // another name.
    if (std::strcmp(out_path, in_path) == 0 || plat::same_file(out_path, in_path)) return -DUP_ERROR;
    // An old output file goes (a link itself rather than what it points
    // to); a directory or a device stays. Its name goes now; freeing its
    // storage is left to the pipe's worker, beside the cipher.
    plat::delete_file_deferred(out_path, &pipe.old_storage);
    FilePair files;
    const int32_t rc = file_pair_open(&files, out_path, in_path);
    if (rc != 0) return rc;
    return file_pair_close(&files, run(&files, &pipe, args));
}
