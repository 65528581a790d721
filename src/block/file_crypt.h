// File encryption: one procedure for every block cipher (AES, DES, Triple
// DES, Blowfish) behind the per-algorithm _File, _FileExt and _FileHex
// functions and CIPHER_FileEncrypt / CIPHER_FileDecrypt. The ciphertext file
// is the bare ciphertext, with the IV block in front when OPT_PREFIX_IV asks
// for it (never in ECB); ECB and CBC encryption always pads the last block.
// Memory is bounded: the pieces of the file pipe (core/file_pipe.h; four of
// at most 1 MiB, from the checked allocator) and one context, whatever the
// size of the file. A worker thread reads and writes the pieces while the
// caller's thread runs the cipher.
#pragma once
#include <cstddef>
#include <cstdint>

// The ciphers of the file procedure.
enum class FileCipher : int32_t { kAes, kDes, kTdea, kBlowfish };

// Bit of the option word: decryption leaves the padding in the output.
constexpr uint32_t kFileKeepPadding = 0x2000;

// The largest of the pieces the files are read and written in. A piece is
// a multiple of 4096 and so of every block length, so only the last piece
// can end in a partial block, and the files are byte for byte those of any
// other such size (the padding and the held-back piece are decided at the
// end of the file only). A file smaller than this gets pieces just larger
// than itself; a larger one is read, encrypted and written 1 MiB at a time,
// the reading and writing overlapping the cipher, with few hand-overs
// between the threads.
constexpr std::size_t kFileChunk = 1048576;

// Everything the procedure needs, parsed.
struct FileCryptArgs {
    FileCipher cipher;
    int32_t mode;           // EngineMode (validated by the caller)
    bool encrypt;
    const uint8_t* key;     // key_len bytes; the engine's setup checks them
    int32_t key_len;        // AES 16, 24, 32; DES 8; Triple DES 24; Blowfish 1 to 56
    const uint8_t* iv;      // a block, or null (a chaining mode then fails with BAD_IV_ERROR)
    uint32_t options;       // OPT_PREFIX_IV, the padding field, kFileKeepPadding
};

// The block length of a cipher: 16 for AES, 8 for the others.
inline std::size_t file_cipher_block(FileCipher c) noexcept { return c == FileCipher::kAes ? 16 : 8; }

// Encrypts or decrypts the file in_path into out_path. In order:
//  1. a name null or empty: -BAD_PARAM_ERROR; the pieces cannot be had:
//     -MEMORY_ERROR (nothing touched);
//  2. the same text, or (when out_path exists) the same file by its identity
//     (another spelling, a hard or symbolic link, another case where names
//     ignore case): -DUP_ERROR, with nothing touched;
//  3. an existing out_path is deleted (a directory is left alone), even when
//     the input then turns out to be missing;
//  4. in_path cannot be opened: -OPEN_ERROR; out_path cannot be created:
//     -CREATE_ERROR;
//  5. the IV block in front (OPT_PREFIX_IV, not ECB): written when encrypting
//     with an IV; read when decrypting (a short file: -READ_ERROR) and used
//     instead of args.iv;
//  6. the engine's setup codes (-BAD_IV_ERROR without an IV in a chaining
//     mode, -BAD_KEY_LEN_ERROR, -BAD_KEY_ERROR);
//  7. the data: -READ_ERROR for a read that fails (never taken for the end of
//     the file), -WRITE_ERROR for a write or the closing of the output that
//     fails; decryption in ECB or CBC: -BAD_LENGTH_ERROR for a ciphertext that
//     is not whole blocks (or, when padding is removed, shorter than one),
//     -DECRYPT_ERROR for invalid padding.
// Padding (ECB and CBC): encryption always pads, with the scheme of the
// padding field (one-and-zeroes, ANSI X9.23, else PKCS #5); decryption
// removes it unless the field is CIPHER_PAD_NONE or kFileKeepPadding is set.
// After any failure from step 4 on, the output is deleted. 0 on success.
int32_t file_crypt(const FileCryptArgs& args, const char* out_path, const char* in_path) noexcept;
