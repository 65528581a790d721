// File encryption as a caller sees it: the _File, _FileExt and _FileHex
// functions of the six block families and CIPHER_FileEncrypt /
// CIPHER_FileDecrypt. The edge cases of the file layout as data, round trips
// of every cipher, mode, padding and IV prefix checked against the in-memory
// functions, and nothing lost: the input under another name, a write that
// fails (a file-size limit, a full file system), a read that fails.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#else
#include <windows.h>
#endif

#include "tessalib.h"
#include "test_util.h"

using tu::Bytes;

namespace {

constexpr int32_t kKeepPadding = 0x2000;




// One family's file functions and in-memory twin, behind one shape (only
// Blowfish passes the key length on).
struct FileFamily {
    const char* name;
    std::size_t block;
    std::size_t key_len;
    int32_t cipher_alg;  // the CIPHER_ algorithm field, 0 for DES and Blowfish
    int32_t (*file)(const char*, const char*, const unsigned char*, int32_t, int32_t, const char*,
                    const unsigned char*);
    int32_t (*file_ext)(const char*, const char*, const unsigned char*, int32_t, int32_t, const char*,
                        const unsigned char*, int32_t);
    int32_t (*file_hex)(const char*, const char*, const char*, int32_t, const char*, const char*);
    int32_t (*bytes_mode)(unsigned char*, const unsigned char*, int32_t, const unsigned char*, int32_t, int32_t,
                          const char*, const unsigned char*);
};

#define FIXED_FAMILY(NAME, PREFIX, BLOCK, KEYLEN, ALG)                                                           \
    FileFamily {                                                                                                 \
        NAME, BLOCK, KEYLEN, ALG,                                                                                \
            [](const char* o, const char* i, const unsigned char* k, int32_t, int32_t e, const char* m,          \
               const unsigned char* iv) { return PREFIX##File(o, i, k, e, m, iv); },                             \
            [](const char* o, const char* i, const unsigned char* k, int32_t, int32_t e, const char* m,          \
               const unsigned char* iv, int32_t opt) { return PREFIX##FileExt(o, i, k, e, m, iv, opt); },       \
            PREFIX##FileHex,                                                                                     \
            [](unsigned char* o, const unsigned char* i, int32_t n, const unsigned char* k, int32_t, int32_t e,  \
               const char* m, const unsigned char* iv) { return PREFIX##BytesMode(o, i, n, k, e, m, iv); }       \
    }

const FileFamily kFamilies[] = {
    FIXED_FAMILY("AES128", AES128_, 16, 16, CIPHER_ALG_AES128),
    FIXED_FAMILY("AES192", AES192_, 16, 24, CIPHER_ALG_AES192),
    FIXED_FAMILY("AES256", AES256_, 16, 32, CIPHER_ALG_AES256),
    FIXED_FAMILY("DES", DES_, 8, 8, 0),
    FIXED_FAMILY("TDEA", TDEA_, 8, 24, CIPHER_ALG_TDEA),
    FileFamily{"BLF", 8, 13, 0, BLF_File, BLF_FileExt, BLF_FileHex, BLF_BytesMode},
};

const char* const kModes[] = {"ECB", "CBC", "CFB", "OFB", "CTR"};
const int32_t kCipherModes[] = {CIPHER_MODE_ECB, CIPHER_MODE_CBC, CIPHER_MODE_CFB, CIPHER_MODE_OFB, CIPHER_MODE_CTR};
const int32_t kPaddings[] = {0, CIPHER_PAD_NONE, CIPHER_PAD_PKCS5, CIPHER_PAD_ONEANDZEROES, CIPHER_PAD_ANSIX923,
                             CIPHER_PAD_W3C};

bool pads(const char* mode) { return std::strcmp(mode, "ECB") == 0 || std::strcmp(mode, "CBC") == 0; }

// The padding bytes a file gets: the named scheme, else PKCS #5.
Bytes padded(const Bytes& data, std::size_t block, int32_t padding) {
    Bytes out(data.size() + block);
    const int32_t scheme = (padding == CIPHER_PAD_ONEANDZEROES || padding == CIPHER_PAD_ANSIX923) ? padding : 0;
    const int32_t n = PAD_BytesBlock(out.data(), tu::len32(out), tu::nonnull(data), tu::len32(data),
                                     static_cast<int32_t>(block), scheme);
    out.resize(static_cast<std::size_t>(n));
    return out;
}

// The file an encryption should write, made with the in-memory function.
Bytes expected_ciphertext(const FileFamily& f, const char* mode, const Bytes& key, const Bytes& iv,
                          const Bytes& plain, int32_t options) {
    Bytes body = pads(mode) ? padded(plain, f.block, options & 0xF0000) : plain;
    Bytes out(body.size() + 1);  // never a null output, even for no data
    EXPECT_EQ(f.bytes_mode(out.data(), tu::nonnull(body), tu::len32(body), key.data(), tu::len32(key), 1, mode,
                           iv.data()),
              0);
    out.resize(body.size());
    if ((options & OPT_PREFIX_IV) != 0 && std::strcmp(mode, "ECB") != 0) out.insert(out.begin(), iv.begin(), iv.end());
    return out;
}

}  // namespace

// --- The layout of the files ---------------------------------------------------------------------

TEST(FileEncryption, LayoutEdgeCases) {
    struct Case {
        const char* mode;
        std::size_t size;
        int32_t options;
        std::size_t cipher_size;  // AES-128
    };
    const Case cases[] = {
        {"ECB", 0, 0, 16},                      // an empty file is one block of padding
        {"CBC", 4096, 0, 4112},                 // a whole chunk: one more block
        {"CBC", 8191, 0, 8192},                 // one padding byte, found in the held-back chunk
        {"CBC", 100, OPT_PREFIX_IV, 16 + 112},  // the IV first
        {"ECB", 100, OPT_PREFIX_IV, 112},       // never an IV in ECB
        {"CTR", 100, 0, 100},                   // no padding in the stream modes
        {"CFB", 4097, OPT_PREFIX_IV, 16 + 4097},
        {"OFB", 0, 0, 0},
    };
    tu::TempDir dir;
    tu::Prng rng(7);
    const Bytes key = rng.bytes(16), iv = rng.bytes(16);
    const std::string in = dir.file("plain"), enc = dir.file("enc"), dec = dir.file("dec");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mode) + " " + std::to_string(c.size));
        const Bytes plain = rng.bytes(c.size);
        tu::write_bytes(in, plain);
        ASSERT_EQ(AES128_FileExt(enc.c_str(), in.c_str(), key.data(), 1, c.mode, iv.data(), c.options), 0);
        EXPECT_EQ(tu::read_bytes(enc).size(), c.cipher_size);
        // Decrypting with the prefix needs no IV.
        const unsigned char* div = (c.options & OPT_PREFIX_IV) != 0 ? nullptr : iv.data();
        if (std::strcmp(c.mode, "ECB") == 0) div = nullptr;
        ASSERT_EQ(AES128_FileExt(dec.c_str(), enc.c_str(), key.data(), 0, c.mode, div, c.options), 0);
        EXPECT_EQ(tu::read_bytes(dec), plain);
    }
}

TEST(FileEncryption, PaddingIsKeptWhenAsked) {
    tu::TempDir dir;
    tu::Prng rng(8);
    const Bytes key = rng.bytes(16), iv = rng.bytes(16);
    const std::string in = dir.file("plain"), enc = dir.file("enc"), dec = dir.file("dec");
    for (std::size_t size : {0u, 5u, 16u, 4095u, 4096u}) {
        const Bytes plain = rng.bytes(size);
        tu::write_bytes(in, plain);
        ASSERT_EQ(AES128_File(enc.c_str(), in.c_str(), key.data(), 1, "CBC", iv.data()), 0);
        const Bytes with_padding = padded(plain, 16, 0);
        // Bit 0x2000, and the padding field CIPHER_PAD_NONE, leave the padding.
        for (int32_t options : {kKeepPadding, CIPHER_PAD_NONE, kKeepPadding | CIPHER_PAD_ANSIX923}) {
            ASSERT_EQ(AES128_FileExt(dec.c_str(), enc.c_str(), key.data(), 0, "CBC", iv.data(), options), 0);
            EXPECT_EQ(tu::read_bytes(dec), with_padding) << size << " " << options;
        }
    }
}

TEST(FileEncryption, DecryptionFailuresLeaveNoOutput) {
    tu::TempDir dir;
    tu::Prng rng(9);
    const Bytes key = rng.bytes(16), iv = rng.bytes(16);
    const std::string in = dir.file("in"), out = dir.file("out");
    struct Case {
        const char* what;
        Bytes content;
        const char* mode;
        int32_t options;
        int32_t expected;
    };
    // A block that decrypts to ... 00 (bad padding of every scheme but
    // one-and-zeroes, which also finds no 0x80 in an all-zero block).
    Bytes zero_block(16, 0), bad(16);
    ASSERT_EQ(AES128_BytesMode(bad.data(), zero_block.data(), 16, key.data(), 1, "ECB", nullptr), 0);
    const Case cases[] = {
        {"15 bytes in CBC", rng.bytes(15), "CBC", 0, BAD_LENGTH_ERROR},
        {"an empty file in ECB", {}, "ECB", 0, BAD_LENGTH_ERROR},
        {"17 bytes, padding kept", rng.bytes(17), "CBC", kKeepPadding, BAD_LENGTH_ERROR},
        {"a last block ending in 00", bad, "ECB", 0, DECRYPT_ERROR},
        {"the same with one-and-zeroes", bad, "ECB", CIPHER_PAD_ONEANDZEROES, DECRYPT_ERROR},
        {"an IV prefix cut short", rng.bytes(10), "CBC", OPT_PREFIX_IV, READ_ERROR},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        tu::write_bytes(in, c.content);
        tu::write_bytes(out, rng.bytes(5));  // an old output: gone whatever happens
        EXPECT_EQ(AES128_FileExt(out.c_str(), in.c_str(), key.data(), 0, c.mode, iv.data(), c.options), c.expected);
        EXPECT_EQ(API_ErrorCode(), c.expected);
        EXPECT_FALSE(tu::file_exists(out));
        EXPECT_EQ(tu::read_bytes(in), c.content);
    }
}

TEST(FileEncryption, ChecksAndCodesOfEveryForm) {
    tu::TempDir dir;
    const std::string in = dir.file("in"), out = dir.file("out"), missing = dir.file("missing");
    tu::write_bytes(in, tu::bytes_of("some data"));
    const Bytes key(32, 0x11), iv(16, 0x22);
    auto old_output = [&] { tu::write_bytes(out, tu::bytes_of("old")); };

    // Names: checked before anything is touched.
    old_output();
    EXPECT_EQ(AES128_File(nullptr, in.c_str(), key.data(), 1, "ECB", nullptr), BAD_PARAM_ERROR);
    EXPECT_EQ(AES128_File(out.c_str(), "", key.data(), 1, "ECB", nullptr), BAD_PARAM_ERROR);
    EXPECT_EQ(AES128_File(in.c_str(), in.c_str(), key.data(), 1, "ECB", nullptr), DUP_ERROR);
    EXPECT_TRUE(tu::file_exists(out));
    // The mode, before anything is deleted: NULL is NULL_ERROR.
    EXPECT_EQ(AES128_File(out.c_str(), in.c_str(), key.data(), 1, nullptr, nullptr), NULL_ERROR);
    EXPECT_EQ(BLF_FileExt(out.c_str(), in.c_str(), key.data(), 8, 1, nullptr, nullptr, 0), NULL_ERROR);
    EXPECT_EQ(DES_File(out.c_str(), in.c_str(), key.data(), 1, "XYZ", nullptr), BAD_MODE_ERROR);
    EXPECT_TRUE(tu::file_exists(out));
    // A missing input still removes an old output.
    EXPECT_EQ(AES128_File(out.c_str(), missing.c_str(), key.data(), 1, "ECB", nullptr), OPEN_ERROR);
    EXPECT_FALSE(tu::file_exists(out));
    old_output();
    EXPECT_EQ(CIPHER_FileEncrypt(out.c_str(), missing.c_str(), key.data(), 16, nullptr, 0, "aes128", 0), -OPEN_ERROR);
    EXPECT_EQ(API_ErrorCode(), OPEN_ERROR);
    EXPECT_FALSE(tu::file_exists(out));
    // No IV in a chaining mode: found at key set-up, after the files are open.
    old_output();
    EXPECT_EQ(AES256_File(out.c_str(), in.c_str(), key.data(), 1, "CBC", nullptr), BAD_IV_ERROR);
    EXPECT_FALSE(tu::file_exists(out));
    EXPECT_EQ(BLF_File(out.c_str(), in.c_str(), key.data(), 57, 1, "ECB", nullptr), BAD_KEY_LEN_ERROR);
    EXPECT_EQ(BLF_File(out.c_str(), in.c_str(), key.data(), -1, 1, "ECB", nullptr), BAD_KEY_LEN_ERROR);
    EXPECT_EQ(DES_File(out.c_str(), in.c_str(), nullptr, 1, "ECB", nullptr), BAD_KEY_ERROR);
    EXPECT_FALSE(tu::file_exists(out));
    // An output that cannot be created.
    EXPECT_EQ(AES128_File(dir.file("no/such/dir").c_str(), in.c_str(), key.data(), 1, "ECB", nullptr), CREATE_ERROR);

    // _FileHex of AES, DES and Blowfish.
    const std::string k16 = "000102030405060708090A0B0C0D0E0F", iv16 = "00112233445566778899AABBCCDDEEFF";
    old_output();
    EXPECT_EQ(AES128_FileHex(out.c_str(), in.c_str(), k16.c_str(), 1, nullptr, nullptr), NULL_ERROR);
    EXPECT_EQ(AES128_FileHex(out.c_str(), in.c_str(), k16.c_str(), 1, "abc", nullptr), BAD_MODE_ERROR);
    EXPECT_EQ(AES128_FileHex(out.c_str(), in.c_str(), k16.c_str(), 1, "ECB", "0011"), BAD_IV_ERROR);  // in ECB too
    EXPECT_EQ(AES128_FileHex(out.c_str(), in.c_str(), "", 1, "ECB", nullptr), BAD_PARAM_ERROR);
    EXPECT_EQ(AES128_FileHex(out.c_str(), in.c_str(), "0G", 1, "ECB", nullptr), BAD_KEY_ERROR);
    EXPECT_EQ(AES128_FileHex(out.c_str(), in.c_str(), (k16 + "00").c_str(), 1, "ECB", nullptr), BAD_KEY_LEN_ERROR);
    EXPECT_EQ(AES256_FileHex(out.c_str(), in.c_str(), k16.c_str(), 1, "ECB", nullptr), BAD_KEY_LEN_ERROR);
    EXPECT_EQ(BLF_FileHex(out.c_str(), in.c_str(), std::string(114, 'A').c_str(), 1, "ECB", nullptr),
              BAD_KEY_LEN_ERROR);
    EXPECT_TRUE(tu::file_exists(out));
    // DES_FileHex in CBC with an empty IV: no IV, refused by the key set-up.
    EXPECT_EQ(DES_FileHex(out.c_str(), in.c_str(), "0123456789ABCDEF", 1, "CBC", ""), BAD_IV_ERROR);
    EXPECT_FALSE(tu::file_exists(out));
    EXPECT_EQ(AES128_FileHex(out.c_str(), in.c_str(), k16.c_str(), 1, "CBC", iv16.c_str()), 0);

    // TDEA_FileHex in its own order.
    const std::string k24(48, '1'), iv8 = "0011223344556677";
    old_output();
    EXPECT_EQ(TDEA_FileHex("", in.c_str(), k24.c_str(), 1, "CBC", iv8.c_str()), BAD_PARAM_ERROR);
    EXPECT_EQ(TDEA_FileHex(out.c_str(), in.c_str(), k24.c_str(), 1, "CBC", ""), BAD_PARAM_ERROR);
    EXPECT_EQ(TDEA_FileHex(out.c_str(), in.c_str(), k24.c_str(), 1, "XYZ", nullptr), BAD_PARAM_ERROR);
    EXPECT_EQ(TDEA_FileHex(out.c_str(), in.c_str(), k24.c_str(), 1, "CBC", "0011"), BAD_IV_ERROR);
    EXPECT_EQ(TDEA_FileHex(out.c_str(), in.c_str(), "", 1, "CBC", iv8.c_str()), BAD_PARAM_ERROR);
    EXPECT_EQ(TDEA_FileHex(out.c_str(), in.c_str(), "XX", 1, "CBC", iv8.c_str()), BAD_KEY_ERROR);
    EXPECT_EQ(TDEA_FileHex(out.c_str(), in.c_str(), "0011", 1, "CBC", iv8.c_str()), BAD_KEY_LEN_ERROR);
    EXPECT_EQ(TDEA_FileHex(out.c_str(), in.c_str(), k24.c_str(), 1, "XYZ", iv8.c_str()), BAD_MODE_ERROR);
    EXPECT_EQ(TDEA_FileHex(out.c_str(), in.c_str(), k24.c_str(), 1, nullptr, iv8.c_str()), NULL_ERROR);
    EXPECT_TRUE(tu::file_exists(out));
    EXPECT_EQ(TDEA_FileHex(out.c_str(), in.c_str(), k24.c_str(), 1, "ECB", "not hex"), 0);  // no IV in ECB

    // CIPHER_: the resolution's codes, negated.
    EXPECT_EQ(CIPHER_FileEncrypt(out.c_str(), in.c_str(), key.data(), 16, iv.data(), 16, "aes128/cbc", 0x10),
              -BAD_FLAG_ERROR);
    EXPECT_EQ(CIPHER_FileEncrypt(out.c_str(), in.c_str(), key.data(), 16, iv.data(), 16, "aes128/xyz", 0),
              -BAD_PARAM_ERROR);
    EXPECT_EQ(CIPHER_FileEncrypt(out.c_str(), in.c_str(), key.data(), 24, iv.data(), 16, "aes128/cbc", 0),
              -BAD_KEY_LEN_ERROR);
    EXPECT_EQ(CIPHER_FileEncrypt(out.c_str(), in.c_str(), key.data(), 24, iv.data(), 16, "tdea/cbc", 0),
              -BAD_IV_LEN_ERROR);
    EXPECT_EQ(CIPHER_FileDecrypt(out.c_str(), in.c_str(), key.data(), 16, nullptr, 0, nullptr,
                                 CIPHER_ALG_AES128 | 0x500),
              -BAD_MODE_ERROR);
    EXPECT_EQ(CIPHER_FileEncrypt(out.c_str(), in.c_str(), key.data(), 16, iv.data(), 16, "aes128/cbc", 0), 0);
    // Decryption with the IV in front checks only the key length.
    const std::string enc = dir.file("enc");
    EXPECT_EQ(CIPHER_FileEncrypt(enc.c_str(), in.c_str(), key.data(), 16, iv.data(), 16, "aes128/cbc", OPT_PREFIX_IV),
              0);
    EXPECT_EQ(CIPHER_FileDecrypt(out.c_str(), enc.c_str(), key.data(), 16, nullptr, 0, "aes128/cbc", OPT_PREFIX_IV),
              0);
    EXPECT_EQ(tu::read_bytes(out), tu::bytes_of("some data"));
}

// --- Round trips against the in-memory functions -------------------------------------------------

TEST(FileEncryption, EveryCipherModePaddingAndPrefixMatchesTheInMemoryFunctions) {
    tu::TempDir dir;
    tu::Prng rng(10);
    const std::string in = dir.file("plain"), enc = dir.file("enc"), dec = dir.file("dec"), dec2 = dir.file("dec2");
    for (const FileFamily& f : kFamilies) {
        const Bytes key = rng.bytes(f.key_len), iv = rng.bytes(f.block);
        const std::size_t b = f.block;
        // Around a block and the 4096-byte page; 1 MiB + 3 bytes is read in
        // two pieces, the first held back while the second is read (the
        // edges of the pieces have their own cases in the engine suite).
        const std::vector<std::size_t> sizes = {0,     1,     b - 1, b,      4095,   4096,           4097,
                                                8191,  65535, 65536, 65537, 131072, (1u << 20) + 3};
        for (std::size_t mi = 0; mi < 5; ++mi) {
            const char* mode = kModes[mi];
            for (int32_t padding : kPaddings) {
                if (!pads(mode) && padding != 0) continue;
                for (int32_t prefix : {0, OPT_PREFIX_IV}) {
                    const int32_t options = padding | prefix;
                    for (std::size_t size : sizes) {
                        // The large file once per cipher and mode.
                        if (size > 131072 && (padding != 0 || prefix != 0)) continue;
                        SCOPED_TRACE(std::string(f.name) + " " + mode + " options " + std::to_string(options) +
                                     " size " + std::to_string(size));
                        const Bytes plain = rng.bytes(size);
                        tu::write_bytes(in, plain);
                        ASSERT_EQ(f.file_ext(enc.c_str(), in.c_str(), key.data(), tu::len32(key), 1, mode, iv.data(),
                                             options),
                                  0);
                        const Bytes cipher = tu::read_bytes(enc);
                        ASSERT_EQ(cipher, expected_ciphertext(f, mode, key, iv, plain, options));
                        // Back: the padding removed unless the field says none.
                        const unsigned char* div = prefix != 0 ? nullptr : iv.data();
                        ASSERT_EQ(f.file_ext(dec.c_str(), enc.c_str(), key.data(), tu::len32(key), 0, mode, div,
                                             options),
                                  0);
                        const bool kept = pads(mode) && padding == CIPHER_PAD_NONE;
                        ASSERT_EQ(tu::read_bytes(dec), kept ? padded(plain, b, padding) : plain);
                        if (f.cipher_alg == 0) continue;
                        // The generic functions give the same files.
                        const int32_t word = f.cipher_alg | kCipherModes[mi] | options;
                        ASSERT_EQ(CIPHER_FileEncrypt(dec2.c_str(), in.c_str(), key.data(), tu::len32(key), iv.data(),
                                                     tu::len32(iv), nullptr, word),
                                  0);
                        ASSERT_EQ(tu::read_bytes(dec2), cipher);
                        ASSERT_EQ(CIPHER_FileDecrypt(dec2.c_str(), enc.c_str(), key.data(), tu::len32(key), iv.data(),
                                                     tu::len32(iv), nullptr, word),
                                  0);
                        ASSERT_EQ(tu::read_bytes(dec2), tu::read_bytes(dec));
                        // And the in-memory CIPHER_ function decrypts the file
                        // (its "none" means no padding at all; in ECB its IV
                        // prefix is a block of zeros, the file has none).
                        if (kept || (prefix != 0 && mi == 0)) continue;
                        Bytes back(cipher.size() + 16);
                        const int32_t n = CIPHER_DecryptBytes(back.data(), tu::len32(back), tu::nonnull(cipher),
                                                              tu::len32(cipher), key.data(), tu::len32(key),
                                                              iv.data(), tu::len32(iv), nullptr, word);
                        ASSERT_EQ(n, static_cast<int32_t>(size));
                        back.resize(size);
                        ASSERT_EQ(back, plain);
                    }
                }
            }
        }
    }
}

TEST(FileEncryption, HexFormsEqualTheByteForms) {
    tu::TempDir dir;
    tu::Prng rng(11);
    const std::string in = dir.file("plain"), a = dir.file("a"), b = dir.file("b");
    tu::write_bytes(in, rng.bytes(5000));
    for (const FileFamily& f : kFamilies) {
        const Bytes key = rng.bytes(f.key_len), iv = rng.bytes(f.block);
        for (const char* mode : kModes) {
            SCOPED_TRACE(std::string(f.name) + " " + mode);
            ASSERT_EQ(f.file(a.c_str(), in.c_str(), key.data(), tu::len32(key), 1, mode, iv.data()), 0);
            ASSERT_EQ(f.file_hex(b.c_str(), in.c_str(), tu::to_hex(key).c_str(), 1, mode, tu::to_hex(iv).c_str()), 0);
            EXPECT_EQ(tu::read_bytes(a), tu::read_bytes(b));
        }
    }
}

// --- Nothing lost --------------------------------------------------------------------------------

namespace {

// Every file function with the input and output names given, encrypting (or,
// for the stream ciphers, running the keystream) with a valid key.
std::vector<std::pair<std::string, int32_t>> all_file_functions(const std::string& out, const std::string& in) {
    const Bytes key(32, 0x42), iv(16, 0x24);
    const char* o = out.c_str();
    const char* i = in.c_str();
    const unsigned char* k = key.data();
    const unsigned char* v = iv.data();
    const std::string kh(64, 'A'), vh(32, 'B');
    std::vector<std::pair<std::string, int32_t>> r;
    for (const FileFamily& f : kFamilies) {
        r.emplace_back(std::string(f.name) + "_File", f.file(o, i, k, 16, 1, "CBC", v));
        r.emplace_back(std::string(f.name) + "_FileExt", f.file_ext(o, i, k, 16, 1, "CBC", v, OPT_PREFIX_IV));
        r.emplace_back(std::string(f.name) + "_FileHex",
                       f.file_hex(o, i, kh.substr(0, 2 * f.key_len).c_str(), 1, "CBC", vh.substr(0, 2 * f.block).c_str()));
    }
    r.emplace_back("CIPHER_FileEncrypt", CIPHER_FileEncrypt(o, i, k, 16, v, 16, "aes128/cbc", 0));
    r.emplace_back("CIPHER_FileDecrypt", CIPHER_FileDecrypt(o, i, k, 16, v, 16, "aes128/ctr", 0));
    r.emplace_back("CIPHER_StreamFile", CIPHER_StreamFile(o, i, k, 32, v, 12, 0, STREAM_CHACHA20));
    r.emplace_back("PC1_File", PC1_File(o, i, k, 16));
    return r;
}

}  // namespace

TEST(FileEncryption, TheInputUnderAnotherNameIsRefusedAndKept) {
    tu::TempDir dir;
    tu::Prng rng(12);
    const Bytes content = rng.bytes(10000);
    const std::string in = dir.file("a.bin");
    tu::write_bytes(in, content);
    std::vector<std::string> other_names;
    // The same name with "./" or ".\" in front, relative to the current directory.
    const std::string base = in.substr(0, in.find_last_of("/\\") + 1);
    other_names.push_back(base + "." + in.substr(in.find_last_of("/\\"), 1) + "a.bin");
#if defined(_WIN32)
    other_names.push_back(base + "A.BIN");  // names ignore case
    const std::string hard = dir.file("hard.bin");
    if (CreateHardLinkA(hard.c_str(), in.c_str(), nullptr)) other_names.push_back(hard);
#else
    const std::string hard = dir.file("hard.bin"), soft = dir.file("soft.bin");
    ASSERT_EQ(link(in.c_str(), hard.c_str()), 0);
    ASSERT_EQ(symlink(in.c_str(), soft.c_str()), 0);
    other_names.push_back(hard);
    other_names.push_back(soft);
#endif
    for (const std::string& name : other_names) {
        for (const auto& [fn, rc] : all_file_functions(name, in)) {
            EXPECT_EQ(rc < 0 ? -rc : rc, DUP_ERROR) << fn << " output " << name;
            ASSERT_EQ(tu::read_bytes(in), content) << fn << " output " << name;
            ASSERT_TRUE(tu::file_exists(name));
        }
    }
}

TEST(FileEncryption, AFailingReadIsAnErrorAndLeavesNoOutput) {
    tu::TempDir dir;
    const std::string out = dir.file("out");
#if defined(_WIN32)
    GTEST_SKIP() << "no input that opens and then fails to read";
#else
    // A directory opens for reading and then fails at the first read.
    const std::string in = dir.path();
    for (const auto& [fn, rc] : all_file_functions(out, in)) {
        EXPECT_EQ(rc < 0 ? -rc : rc, READ_ERROR) << fn;
        EXPECT_FALSE(tu::file_exists(out)) << fn;
    }
#endif
}

#if !defined(_WIN32)
namespace {

// Runs `work` in a child process whose files may not grow past `limit`
// bytes (SIGXFSZ ignored, so a write past it fails with EFBIG); returns its
// exit status.
template <typename Work>
int in_child_with_file_limit(rlim_t limit, Work work) {
    const pid_t pid = fork();
    if (pid == 0) {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit rl = {limit, limit};
        if (setrlimit(RLIMIT_FSIZE, &rl) != 0) _exit(200);
        _exit(work());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 255;
}

}  // namespace

TEST(FileEncryption, AFailingWriteLeavesTheInputAndNoOutput) {
    tu::TempDir dir;
    tu::Prng rng(13);
    const Bytes content = rng.bytes(100000);
    const std::string in = dir.file("in"), out = dir.file("out");
    tu::write_bytes(in, content);
    const Bytes key(32, 7), iv(16, 9);
    for (int which = 0; which < 4; ++which) {
        const int status = in_child_with_file_limit(20000, [&] {
            switch (which) {
                case 0: return AES128_File(out.c_str(), in.c_str(), key.data(), 1, "CBC", iv.data());
                case 1: return TDEA_FileExt(out.c_str(), in.c_str(), key.data(), 1, "CTR", iv.data(), OPT_PREFIX_IV);
                case 2: return -CIPHER_FileEncrypt(out.c_str(), in.c_str(), key.data(), 32, iv.data(), 16, "aes256/ofb", 0);
                default: return BLF_File(out.c_str(), in.c_str(), key.data(), 16, 0, "ECB", nullptr);
            }
        });
        EXPECT_EQ(status, WRITE_ERROR) << which;
        EXPECT_FALSE(tu::file_exists(out)) << which;
        EXPECT_EQ(tu::read_bytes(in), content);
    }
}

// A device named as the output is written to, and never deleted: not when it
// is there before, not after a write fails (as root, deleting /dev/full would
// take it from every program on the machine).
TEST(FileEncryption, ADeviceAsTheOutputIsNeverDeleted) {
    tu::TempDir dir;
    const std::string in = dir.file("in");
    tu::write_file(in, std::string(10000, 'd'));
    const Bytes key(32, 3), iv(16, 4);
    struct stat st;
    EXPECT_EQ(AES128_File("/dev/null", in.c_str(), key.data(), 1, "CBC", iv.data()), 0);
    ASSERT_EQ(stat("/dev/null", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
    EXPECT_EQ(AES128_File("/dev/full", in.c_str(), key.data(), 1, "CTR", iv.data()), WRITE_ERROR);
    EXPECT_EQ(CIPHER_StreamFile("/dev/full", in.c_str(), key.data(), 32, iv.data(), 12, 0, STREAM_CHACHA20),
              -WRITE_ERROR);
    EXPECT_EQ(PC1_File("/dev/full", in.c_str(), key.data(), 16), WRITE_ERROR);
    ASSERT_EQ(stat("/dev/full", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
}

TEST(FileEncryption, AFullFileSystemLeavesTheInputAndNoOutput) {
    tu::TempDir dir;
    const std::string mnt = dir.file("small");
    ASSERT_EQ(mkdir(mnt.c_str(), 0700), 0);
    if (mount("tessalib-test", mnt.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root): " << std::strerror(errno);
    tu::Prng rng(14);
    const Bytes content = rng.bytes(200000);
    const std::string in = dir.file("in"), out = mnt + "/out";
    tu::write_bytes(in, content);
    const Bytes key(16, 1), iv(16, 2);
    EXPECT_EQ(AES128_File(out.c_str(), in.c_str(), key.data(), 1, "CTR", iv.data()), WRITE_ERROR);
    EXPECT_FALSE(tu::file_exists(out));
    EXPECT_EQ(CIPHER_FileEncrypt(out.c_str(), in.c_str(), key.data(), 16, iv.data(), 16, "aes128/cbc", 0),
              -WRITE_ERROR);
    EXPECT_FALSE(tu::file_exists(out));
    EXPECT_EQ(tu::read_bytes(in), content);
    umount(mnt.c_str());
}
#endif
