// The rows of the benchmark. Each primitive is one line of a table below:
// its name, the export that does the work here and the EVP algorithm that
// does it in OpenSSL.
#include "rows.h"

#include <dlfcn.h>
#include <stdlib.h>
#include <unistd.h>

#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/kdf.h>
#include <openssl/params.h>
#include <openssl/provider.h>
#include <openssl/rand.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "tessalib.h"

namespace bench {
namespace {

const uint8_t kKey[32] = {0x60, 0x3d, 0xeb, 0x10, 0x15, 0xca, 0x71, 0xbe, 0x2b, 0x73, 0xae,
                          0xf0, 0x85, 0x7d, 0x77, 0x81, 0x1f, 0x35, 0x2c, 0x07, 0x3b, 0x61,
                          0x08, 0xd7, 0x2d, 0x98, 0x10, 0xa3, 0x09, 0x14, 0xdf, 0xf4};
const uint8_t kIv[16] = {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07,
                         0x08, 0x09, 0x0a, 0x0b, 0x0c, 0x0d, 0x0e, 0x0f};
const uint8_t kPassword[8] = {'p', 'a', 's', 's', 'w', 'o', 'r', 'd'};
const uint8_t kSalt[16] = {'N', 'a', 'C', 'l', 's', 'a', 'l', 't', 1, 2, 3, 4, 5, 6, 7, 8};

std::size_t ok_length(int32_t rc, std::size_t len) { return rc == 0 ? len : 0; }
std::size_t positive(int32_t n) { return n > 0 ? static_cast<std::size_t>(n) : 0; }

// --- The library's exports -------------------------------------------------

// AES128_BytesMode and the other per-algorithm families with the same
// argument list (AES192_, AES256_, DES_, TDEA_): key and IV from kKey, kIv.
using BytesModeFn = int32_t(TESSALIB_CALL*)(unsigned char*, const unsigned char*, int32_t, const unsigned char*,
                                            int32_t, const char*, const unsigned char*);

OpFactory ours_cipher(BytesModeFn fn, const char* mode, int32_t encrypt) {
    return [=] {
        return Op([=](uint8_t* out, const uint8_t* in, std::size_t len) {
            return ok_length(fn(out, in, static_cast<int32_t>(len), kKey, encrypt, mode, kIv), len);
        });
    };
}

// Blowfish with a 16-byte key (OpenSSL's default Blowfish key length).
OpFactory ours_blowfish(const char* mode, int32_t encrypt) {
    return [=] {
        return Op([=](uint8_t* out, const uint8_t* in, std::size_t len) {
            return ok_length(BLF_BytesMode(out, in, static_cast<int32_t>(len), kKey, 16, encrypt, mode, kIv), len);
        });
    };
}

OpFactory ours_hash(int32_t alg) {
    return [=] {
        return Op([=](uint8_t* out, const uint8_t* in, std::size_t len) {
            return positive(HASH_Bytes(out, 64, in, static_cast<int32_t>(len), alg));
        });
    };
}

OpFactory ours_mac(int32_t option, int32_t keyLen) {
    return [=] {
        return Op([=](uint8_t* out, const uint8_t* in, std::size_t len) {
            return positive(MAC_Bytes(out, 64, in, static_cast<int32_t>(len), kKey, keyLen, option));
        });
    };
}

// AEAD_EncryptWithTag: the ciphertext, then the 16-byte tag. Key and nonce
// from kKey and kIv.
OpFactory ours_aead(int32_t alg, int32_t key_len, int32_t nonce_len) {
    return [=] {
        return Op([=](uint8_t* out, const uint8_t* in, std::size_t len) {
            return positive(AEAD_EncryptWithTag(out, static_cast<int32_t>(len + 16), in, static_cast<int32_t>(len),
                                                kKey, key_len, kIv, nonce_len, nullptr, 0, alg));
        });
    };
}

// CIPHER_StreamBytes: Arcfour with a 16-byte key, Salsa20 with a 32-byte key
// and an 8-byte IV, ChaCha20 with a 32-byte key and the 16-byte IV (counter
// and nonce words as they are, OpenSSL's layout). Key and IV from kKey, kIv.
OpFactory ours_stream(int32_t alg, int32_t key_len, int32_t iv_len) {
    return [=] {
        return Op([=](uint8_t* out, const uint8_t* in, std::size_t len) {
            return ok_length(CIPHER_StreamBytes(out, in, static_cast<int32_t>(len), kKey, key_len, kIv, iv_len, 0,
                                                alg),
                             len);
        });
    };
}

// GCM_NextEncrypt with a key set up once per benchmark (GCM_InitKey): the
// per-message cost of a long-lived key.
OpFactory ours_gcm_next() {
    return [] {
        const int32_t handle = GCM_InitKey(kKey, 16);
        return Op([=](uint8_t* out, const uint8_t* in, std::size_t len) {
            const int32_t n = static_cast<int32_t>(len);
            return ok_length(GCM_NextEncrypt(handle, out, n, out + len, 16, in, n, kIv, 12, nullptr, 0), len + 16);
        });
    };
}

// --- OpenSSL ---------------------------------------------------------------

template <typename T, void (*Free)(T*)>
std::shared_ptr<T> own(T* p) {
    return std::shared_ptr<T>(p, [](T* q) { Free(q); });
}

// One message: key the (reused) context, run the mode, finish; no padding.
OpFactory ossl_cipher(const char* name, int encrypt) {
    return [=] {
        auto cipher = own<EVP_CIPHER, EVP_CIPHER_free>(EVP_CIPHER_fetch(nullptr, name, nullptr));
        auto ctx = own<EVP_CIPHER_CTX, EVP_CIPHER_CTX_free>(EVP_CIPHER_CTX_new());
        return Op([=](uint8_t* out, const uint8_t* in, std::size_t len) -> std::size_t {
            if (!cipher || !ctx) return 0;
            if (EVP_CipherInit_ex2(ctx.get(), cipher.get(), kKey, kIv, encrypt, nullptr) != 1) return 0;
            EVP_CIPHER_CTX_set_padding(ctx.get(), 0);
            int n1 = 0, n2 = 0;
            if (EVP_CipherUpdate(ctx.get(), out, &n1, in, static_cast<int>(len)) != 1) return 0;
            if (EVP_CipherFinal_ex(ctx.get(), out + n1, &n2) != 1) return 0;
            return static_cast<std::size_t>(n1 + n2);
        });
    };
}

OpFactory ossl_digest(const char* name) {
    return [=] {
        auto md = own<EVP_MD, EVP_MD_free>(EVP_MD_fetch(nullptr, name, nullptr));
        auto ctx = own<EVP_MD_CTX, EVP_MD_CTX_free>(EVP_MD_CTX_new());
        return Op([=](uint8_t* out, const uint8_t* in, std::size_t len) -> std::size_t {
            if (!md || !ctx) return 0;
            unsigned int n = 0;
            if (EVP_DigestInit_ex2(ctx.get(), md.get(), nullptr) != 1) return 0;
            if (EVP_DigestUpdate(ctx.get(), in, len) != 1) return 0;
            if (EVP_DigestFinal_ex(ctx.get(), out, &n) != 1) return 0;
            return n;
        });
    };
}

// An AEAD cipher (AES-GCM, ChaCha20-Poly1305): ciphertext, then the 16-byte
// tag. With a fresh key per message by default, as AEAD_Encrypt takes it; with
// `keyed_once` the key is set once and each message sets only its IV, as
// GCM_NextEncrypt does.
OpFactory ossl_aead(const char* name, bool keyed_once = false) {
    return [=] {
        auto cipher = own<EVP_CIPHER, EVP_CIPHER_free>(EVP_CIPHER_fetch(nullptr, name, nullptr));
        auto ctx = own<EVP_CIPHER_CTX, EVP_CIPHER_CTX_free>(EVP_CIPHER_CTX_new());
        if (keyed_once && cipher && ctx && EVP_EncryptInit_ex2(ctx.get(), cipher.get(), kKey, nullptr, nullptr) != 1)
            ctx.reset();
        return Op([=](uint8_t* out, const uint8_t* in, std::size_t len) -> std::size_t {
            if (!cipher || !ctx) return 0;
            const bool init = keyed_once ? EVP_EncryptInit_ex2(ctx.get(), nullptr, nullptr, kIv, nullptr) == 1
                                         : EVP_EncryptInit_ex2(ctx.get(), cipher.get(), kKey, kIv, nullptr) == 1;
            int n1 = 0, n2 = 0;
            if (!init || EVP_EncryptUpdate(ctx.get(), out, &n1, in, static_cast<int>(len)) != 1) return 0;
            if (EVP_EncryptFinal_ex(ctx.get(), out + n1, &n2) != 1) return 0;
            if (EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_AEAD_GET_TAG, 16, out + len) != 1) return 0;
            return len + 16;
        });
    };
}

// An AES-128-CBC encryption with its own key as a one-shot caller of EVP
// makes it: a fresh context keyed, run without padding and freed.
OpFactory ossl_one_shot_aes_128_cbc() {
    return [] {
        return Op([](uint8_t* out, const uint8_t* in, std::size_t len) -> std::size_t {
            EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
            int n1 = 0, n2 = 0;
            const bool ok = ctx != nullptr && EVP_EncryptInit_ex(ctx, EVP_aes_128_cbc(), nullptr, kKey, kIv) == 1 &&
                            EVP_CIPHER_CTX_set_padding(ctx, 0) == 1 &&
                            EVP_EncryptUpdate(ctx, out, &n1, in, static_cast<int>(len)) == 1 &&
                            EVP_EncryptFinal_ex(ctx, out + n1, &n2) == 1;
            EVP_CIPHER_CTX_free(ctx);
            return ok ? static_cast<std::size_t>(n1 + n2) : 0;
        });
    };
}

// EVP_MAC "HMAC" with a digest, "CMAC" with a cipher, "POLY1305": keyed per
// message like MAC_Bytes.
OpFactory ossl_mac(const char* mac_name, const char* param, const char* value, std::size_t keyLen) {
    return [=] {
        auto mac = own<EVP_MAC, EVP_MAC_free>(EVP_MAC_fetch(nullptr, mac_name, nullptr));
        auto ctx = own<EVP_MAC_CTX, EVP_MAC_CTX_free>(mac ? EVP_MAC_CTX_new(mac.get()) : nullptr);
        if (ctx && param != nullptr) {
            OSSL_PARAM params[] = {OSSL_PARAM_construct_utf8_string(param, const_cast<char*>(value), 0),
                                   OSSL_PARAM_construct_end()};
            if (EVP_MAC_CTX_set_params(ctx.get(), params) != 1) ctx.reset();
        }
        return Op([=](uint8_t* out, const uint8_t* in, std::size_t len) -> std::size_t {
            if (!ctx) return 0;
            std::size_t n = 0;
            if (EVP_MAC_init(ctx.get(), kKey, keyLen, nullptr) != 1) return 0;
            if (EVP_MAC_update(ctx.get(), in, len) != 1) return 0;
            if (EVP_MAC_final(ctx.get(), out, &n, 64) != 1) return 0;
            return n;
        });
    };
}

}  // namespace

// name, kind, ours, OpenSSL. One line per primitive.
const std::vector<Row>& throughput_rows() {
    static const std::vector<Row> rows{
        {"AES-128-ECB-enc", "cipher", ours_cipher(AES128_BytesMode, "ECB", 1), ossl_cipher("AES-128-ECB", 1)},
        {"AES-128-CBC-enc", "cipher", ours_cipher(AES128_BytesMode, "CBC", 1), ossl_cipher("AES-128-CBC", 1)},
        {"AES-128-CBC-dec", "cipher", ours_cipher(AES128_BytesMode, "CBC", 0), ossl_cipher("AES-128-CBC", 0)},
        {"AES-128-CFB-enc", "cipher", ours_cipher(AES128_BytesMode, "CFB", 1), ossl_cipher("AES-128-CFB", 1)},
        {"AES-128-OFB", "cipher", ours_cipher(AES128_BytesMode, "OFB", 1), ossl_cipher("AES-128-OFB", 1)},
        {"AES-128-CTR", "cipher", ours_cipher(AES128_BytesMode, "CTR", 1), ossl_cipher("AES-128-CTR", 1)},
        {"AES-256-ECB-enc", "cipher", ours_cipher(AES256_BytesMode, "ECB", 1), ossl_cipher("AES-256-ECB", 1)},
        {"AES-256-CBC-enc", "cipher", ours_cipher(AES256_BytesMode, "CBC", 1), ossl_cipher("AES-256-CBC", 1)},
        {"AES-256-CTR", "cipher", ours_cipher(AES256_BytesMode, "CTR", 1), ossl_cipher("AES-256-CTR", 1)},
        {"DES-CBC-enc", "cipher", ours_cipher(DES_BytesMode, "CBC", 1), ossl_cipher("DES-CBC", 1)},
        {"3DES-CBC-enc", "cipher", ours_cipher(TDEA_BytesMode, "CBC", 1), ossl_cipher("DES-EDE3-CBC", 1)},
        {"Blowfish-CBC-enc", "cipher", ours_blowfish("CBC", 1), ossl_cipher("BF-CBC", 1)},
        {"ChaCha20", "cipher", ours_stream(STREAM_CHACHA20, 32, 16), ossl_cipher("ChaCha20", 1)},
        // No OpenSSL row: OpenSSL has no Salsa20 (its target is ChaCha20's speed).
        {"Salsa20", "cipher", ours_stream(STREAM_SALSA20, 32, 8), nullptr},
        {"Arcfour", "cipher", ours_stream(STREAM_ARCFOUR, 16, 0), ossl_cipher("RC4", 1)},
        {"MD5", "hash", ours_hash(HASH_ALG_MD5), ossl_digest("MD5")},
        {"SHA-1", "hash", ours_hash(HASH_ALG_SHA1), ossl_digest("SHA1")},
        {"SHA-256", "hash", ours_hash(HASH_ALG_SHA256), ossl_digest("SHA256")},
        {"SHA-512", "hash", ours_hash(HASH_ALG_SHA512), ossl_digest("SHA512")},
        {"SHA3-256", "hash", ours_hash(HASH_ALG_SHA3_256), ossl_digest("SHA3-256")},
        {"RIPEMD-160", "hash", ours_hash(HASH_ALG_RMD160), ossl_digest("RIPEMD160")},
        {"HMAC-SHA-256", "mac", ours_mac(MAC_HMAC_SHA256, 32), ossl_mac("HMAC", OSSL_MAC_PARAM_DIGEST, "SHA256", 32)},
        {"CMAC-AES-128", "mac", ours_mac(MAC_CMAC_AES128, 16),
         ossl_mac("CMAC", OSSL_MAC_PARAM_CIPHER, "AES-128-CBC", 16)},
        {"Poly1305", "mac", ours_mac(MAC_POLY1305, 32), ossl_mac("POLY1305", nullptr, nullptr, 32)},
        {"AES-128-GCM-enc", "aead", ours_aead(AEAD_AES_128_GCM, 16, 12), ossl_aead("AES-128-GCM")},
        {"AES-256-GCM-enc", "aead", ours_aead(AEAD_AES_256_GCM, 32, 12), ossl_aead("AES-256-GCM")},
        {"ChaCha20-Poly1305-enc", "aead", ours_aead(AEAD_CHACHA20_POLY1305, 32, 12), ossl_aead("ChaCha20-Poly1305")},
        // No OpenSSL row: OpenSSL has no Ascon.
        {"Ascon-128-enc", "aead", ours_aead(AEAD_ASCON_128, 16, 16), nullptr},
        {"Ascon-128a-enc", "aead", ours_aead(AEAD_ASCON_128A, 16, 16), nullptr},
    };
    return rows;
}

const std::vector<CallRow>& kdf_rows() {
    static const std::vector<CallRow> rows{
        {"PBKDF2-HMAC-SHA-256-100000", 0,
         [] {
             return Op([](uint8_t* out, const uint8_t*, std::size_t) {
                 return ok_length(PBE_Kdf2(out, 32, kPassword, 8, kSalt, 16, 100000, HASH_ALG_SHA256), 32);
             });
         },
         [] {
             auto md = own<EVP_MD, EVP_MD_free>(EVP_MD_fetch(nullptr, "SHA256", nullptr));
             return Op([=](uint8_t* out, const uint8_t*, std::size_t) -> std::size_t {
                 return PKCS5_PBKDF2_HMAC(reinterpret_cast<const char*>(kPassword), 8, kSalt, 16, 100000, md.get(),
                                          32, out) == 1
                            ? 32
                            : 0;
             });
         }},
        {"scrypt-N16384-r8-p1", 0,
         [] {
             return Op([](uint8_t* out, const uint8_t*, std::size_t) {
                 return ok_length(PBE_Scrypt(out, 64, kPassword, 8, kSalt, 16, 16384, 8, 1), 64);
             });
         },
         [] {
             return Op([](uint8_t* out, const uint8_t*, std::size_t) -> std::size_t {
                 return EVP_PBE_scrypt(reinterpret_cast<const char*>(kPassword), 8, kSalt, 16, 16384, 8, 1,
                                       uint64_t{1} << 28, out, 64) == 1
                            ? 64
                            : 0;
             });
         }},
    };
    return rows;
}

const std::vector<CallRow>& tiny_rows() {
    static const std::vector<CallRow> rows{
        // A 16-byte AES-128-CBC encryption with its own key: the export against
        // a fresh EVP context keyed, run and freed.
        {"AES-128-CBC-16B", 16, ours_cipher(AES128_BytesMode, "CBC", 1),
         ossl_one_shot_aes_128_cbc()},
        // The same through the generic interface: CIPHER_EncryptBytes with
        // "aes128/cbc/nopadding" against the same EVP one-shot.
        {"CIPHER_EncryptBytes-AES-128-CBC-16B", 16,
         [] {
             return Op([](uint8_t* out, const uint8_t* in, std::size_t len) {
                 return positive(CIPHER_EncryptBytes(out, static_cast<int32_t>(len), in, static_cast<int32_t>(len),
                                                     kKey, 16, kIv, 16, "aes128/cbc/nopadding", 0));
             });
         },
         ossl_one_shot_aes_128_cbc()},
        // AES key wrap of a 32-byte key under a 32-byte KEK: CIPHER_KeyWrap
        // against a fresh EVP_aes_256_wrap context keyed, run and freed.
        {"CIPHER_KeyWrap-AES-256-32B", 32,
         [] {
             return Op([](uint8_t* out, const uint8_t* in, std::size_t len) {
                 return positive(CIPHER_KeyWrap(out, static_cast<int32_t>(len + 8), in, static_cast<int32_t>(len),
                                                kKey, 32, CIPHER_ALG_AES256));
             });
         },
         [] {
             return Op([](uint8_t* out, const uint8_t* in, std::size_t len) -> std::size_t {
                 EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
                 int n1 = 0, n2 = 0;
                 bool ok = ctx != nullptr;
                 if (ok) EVP_CIPHER_CTX_set_flags(ctx, EVP_CIPHER_CTX_FLAG_WRAP_ALLOW);
                 ok = ok && EVP_EncryptInit_ex(ctx, EVP_aes_256_wrap(), nullptr, kKey, nullptr) == 1 &&
                      EVP_EncryptUpdate(ctx, out, &n1, in, static_cast<int>(len)) == 1 &&
                      EVP_EncryptFinal_ex(ctx, out + n1, &n2) == 1;
                 EVP_CIPHER_CTX_free(ctx);
                 return ok ? static_cast<std::size_t>(n1 + n2) : 0;
             });
         }},
        // A SHA-256 digest of 16 bytes: HASH_Bytes against EVP_Digest.
        {"SHA-256-16B", 16, ours_hash(HASH_ALG_SHA256),
         [] {
             return Op([](uint8_t* out, const uint8_t* in, std::size_t len) -> std::size_t {
                 unsigned int n = 0;
                 return EVP_Digest(in, len, out, &n, EVP_sha256(), nullptr) == 1 ? n : 0;
             });
         }},
        // A 64-byte AES-128-GCM message with a key set up once: GCM_NextEncrypt
        // against an EVP context keyed once that takes a new IV per message.
        {"GCM_NextEncrypt-64B", 64, ours_gcm_next(), ossl_aead("AES-128-GCM", true)},
        // The export frame alone (thread state, last error): a call that does
        // no other work. The library's own cost; no OpenSSL counterpart.
        {"frame-HASH_Length", 0,
         [] {
             return Op([](uint8_t* out, const uint8_t*, std::size_t) -> std::size_t {
                 out[0] = static_cast<uint8_t>(HASH_Length(HASH_ALG_SHA256));
                 return out[0] == 32 ? 1 : 0;
             });
         },
         nullptr},
        // The frame of an export that takes an entropy sample at entry (fast
        // mode) around one byte of hex encoding: what the sample adds to a call.
        {"frame-stir-CNV_HexStrFromBytes-1B", 1,
         [] {
             return Op([](uint8_t* out, const uint8_t* in, std::size_t len) -> std::size_t {
                 return positive(CNV_HexStrFromBytes(reinterpret_cast<char*>(out), 2, in, static_cast<int32_t>(len)));
             });
         },
         nullptr},
    };
    return rows;
}

// n random bytes from OpenSSL's public generator.
OpFactory ossl_rand() {
    return [] {
        return Op([](uint8_t* out, const uint8_t*, std::size_t len) -> std::size_t {
            return RAND_bytes(out, static_cast<int>(len)) == 1 ? len : 0;
        });
    };
}

OpFactory ours_key() {
    return [] {
        return Op([](uint8_t* out, const uint8_t*, std::size_t len) {
            return ok_length(RNG_KeyBytes(out, static_cast<int32_t>(len), nullptr, 0), len);
        });
    };
}

const std::vector<CallRow>& rng_rows() {
    static const std::vector<CallRow> rows{
        {"RNG_KeyBytes-32B", 32, ours_key(), ossl_rand()},
        {"RNG_KeyBytes-64KiB", 65536, ours_key(), ossl_rand()},
        // A number in a range that is not a power of two: RNG_Number against
        // four bytes of RAND_bytes.
        {"RNG_Number-1-1000", 4,
         [] {
             return Op([](uint8_t* out, const uint8_t*, std::size_t) -> std::size_t {
                 const int32_t v = RNG_Number(1, 1000);
                 std::memcpy(out, &v, 4);
                 return v >= 1 && v <= 1000 ? 4 : 0;
             });
         },
         ossl_rand()},
    };
    return rows;
}

const std::vector<CallRow>& thread_rows() {
    static const std::vector<CallRow> rows{
        {"frame-stir-CNV_HexStrFromBytes-1B", 1,
         [] {
             return Op([](uint8_t* out, const uint8_t* in, std::size_t len) -> std::size_t {
                 return positive(CNV_HexStrFromBytes(reinterpret_cast<char*>(out), 2, in, static_cast<int32_t>(len)));
             });
         },
         nullptr},
        {"SHA-256-16B", 16, ours_hash(HASH_ALG_SHA256), nullptr},
    };
    return rows;
}

namespace {

// A private copy of the library, so that each dlopen really loads it (the
// copy the benchmark links is loaded already). Made once, removed at exit.
const std::string& library_copy() {
    static const std::string path = [] {
        char dir[] = "/tmp/tessalib-bench-XXXXXX";
        if (mkdtemp(dir) == nullptr) return std::string();
        const std::string copy = std::string(dir) + "/libtessalib.so";
        std::ifstream in(TESSALIB_SHARED_PATH, std::ios::binary);
        std::ofstream out(copy, std::ios::binary);
        out << in.rdbuf();
        if (!out) return std::string();
        static const std::string remove_dir = dir;
        std::atexit([] {
            std::remove((remove_dir + "/libtessalib.so").c_str());
            rmdir(remove_dir.c_str());
        });
        return copy;
    }();
    return path;
}

}  // namespace

const std::vector<CallRow>& load_rows() {
    static const std::vector<CallRow> rows{
        {"dlopen-first-call-dlclose", 0,
         [] {
             return Op([](uint8_t*, const uint8_t*, std::size_t) -> std::size_t {
                 const std::string& copy = library_copy();
                 if (copy.empty()) return 0;
                 void* lib = dlopen(copy.c_str(), RTLD_NOW | RTLD_LOCAL);
                 if (lib == nullptr) return 0;
                 auto length = reinterpret_cast<int32_t (*)(int32_t)>(dlsym(lib, "HASH_Length"));
                 const bool ok = length != nullptr && length(HASH_ALG_SHA256) == 32;  // the first call
                 return dlclose(lib) == 0 && ok ? 1 : 0;
             });
         },
         nullptr},
        {"load-time-checks-API_PowerUpTests", 0,
         [] { return Op([](uint8_t*, const uint8_t*, std::size_t) -> std::size_t { return API_PowerUpTests() == 0; }); },
         nullptr},
    };
    return rows;
}

bool load_openssl_providers() {
    const bool ok_default = OSSL_PROVIDER_load(nullptr, "default") != nullptr;
    const bool ok_legacy = OSSL_PROVIDER_load(nullptr, "legacy") != nullptr;
    return ok_default && ok_legacy;
}

}  // namespace bench
