// File encryption against OpenSSL's EVP ciphers: the file written by each
// family's _FileExt (with the IV in front or not) is OpenSSL's encryption of
// the file's bytes with PKCS #7 padding in ECB and CBC, over sizes around
// the block and the 4096-byte chunk; and the library decrypts OpenSSL's.
#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/provider.h>

#include <string>
#include <vector>

#include "tessalib.h"
#include "test_util.h"

using tu::Bytes;

namespace {

using FileExtFn = int32_t (*)(const char*, const char*, const unsigned char*, int32_t, const char*,
                              const unsigned char*, int32_t);

int32_t blf_file_ext(const char* o, const char* i, const unsigned char* k, int32_t e, const char* m,
                     const unsigned char* v, int32_t opt) {
    return BLF_FileExt(o, i, k, 20, e, m, v, opt);
}

struct Target {
    const char* ossl_prefix;
    bool legacy;
    std::size_t block;
    std::size_t key_len;
    FileExtFn file_ext;
};

const Target kTargets[] = {
    {"AES-128", false, 16, 16, AES128_FileExt}, {"AES-192", false, 16, 24, AES192_FileExt},
    {"AES-256", false, 16, 32, AES256_FileExt}, {"DES", true, 8, 8, DES_FileExt},
    {"DES-EDE3", false, 8, 24, TDEA_FileExt},   {"BF", true, 8, 20, blf_file_ext},
};

struct Providers {
    OSSL_PROVIDER* base = OSSL_PROVIDER_load(nullptr, "default");
    OSSL_PROVIDER* legacy = OSSL_PROVIDER_load(nullptr, "legacy");
    ~Providers() {
        if (legacy != nullptr) OSSL_PROVIDER_unload(legacy);
        if (base != nullptr) OSSL_PROVIDER_unload(base);
    }
};

bool legacy_loaded() {
    static const Providers providers;
    return providers.legacy != nullptr;
}

std::string ossl_name(const Target& t, const std::string& mode) {
    if (mode == "CTR" && t.block == 8) return "";
    if (std::string(t.ossl_prefix) == "DES-EDE3" && (mode == "ECB" || mode == "CBC")) return "DES-EDE3-" + mode;
    return std::string(t.ossl_prefix) + "-" + mode;
}

Bytes ossl_crypt(const std::string& name, const Bytes& key, const Bytes& iv, bool enc, bool pad, const Bytes& in) {
    EVP_CIPHER* cipher = EVP_CIPHER_fetch(nullptr, name.c_str(), nullptr);
    EXPECT_NE(nullptr, cipher) << name;
    if (cipher == nullptr) return {};
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    EXPECT_EQ(1, EVP_CipherInit_ex(ctx, cipher, nullptr, nullptr, nullptr, enc ? 1 : 0));
    EXPECT_EQ(1, EVP_CIPHER_CTX_set_key_length(ctx, static_cast<int>(key.size())));
    EXPECT_EQ(1, EVP_CipherInit_ex(ctx, nullptr, nullptr, key.data(), iv.data(), enc ? 1 : 0));
    EVP_CIPHER_CTX_set_padding(ctx, pad ? 1 : 0);
    Bytes out(in.size() + 32);
    int n = 0, m = 0;
    EXPECT_EQ(1, EVP_CipherUpdate(ctx, out.data(), &n, in.data(), static_cast<int>(in.size())));
    EXPECT_EQ(1, EVP_CipherFinal_ex(ctx, out.data() + n, &m));
    out.resize(static_cast<std::size_t>(n + m));
    EVP_CIPHER_CTX_free(ctx);
    EVP_CIPHER_free(cipher);
    return out;
}

void write_bytes(const std::string& path, const Bytes& b) { tu::write_file(path, std::string(b.begin(), b.end())); }
Bytes read_bytes(const std::string& path) {
    const std::string s = tu::read_file(path);
    return Bytes(s.begin(), s.end());
}

}  // namespace

TEST(FileOracle, EveryCipherModeAndIvPrefixMatchesOpenSsl) {
    tu::TempDir dir;
    tu::Prng rng(0xF11E);
    const std::string plain = dir.file("plain"), enc = dir.file("enc"), dec = dir.file("dec");
    const char* modes[] = {"ECB", "CBC", "CFB", "OFB", "CTR"};
    std::string skipped;
    for (const Target& t : kTargets) {
        if (t.legacy && !legacy_loaded()) {
            skipped += std::string(" ") + t.ossl_prefix;
            continue;
        }
        const std::size_t b = t.block;
        for (const char* mode : modes) {
            const std::string name = ossl_name(t, mode);
            if (name.empty()) continue;
            const bool pads = std::string(mode) == "ECB" || std::string(mode) == "CBC";
            for (int32_t prefix : {0, OPT_PREFIX_IV}) {
                for (std::size_t size : {std::size_t{0}, std::size_t{1}, b - 1, b, std::size_t{4095},
                                         std::size_t{4096}, std::size_t{4097}, std::size_t{8191}, std::size_t{65536},
                                         std::size_t{(1u << 20) + 3}}) {
                    if (size > 8191 && prefix != 0) continue;
                    SCOPED_TRACE(name + " prefix " + std::to_string(prefix) + " size " + std::to_string(size));
                    const Bytes key = rng.bytes(t.key_len), iv = rng.bytes(b), data = rng.bytes(size);
                    write_bytes(plain, data);
                    ASSERT_EQ(t.file_ext(enc.c_str(), plain.c_str(), key.data(), 1, mode, iv.data(), prefix), 0);
                    Bytes expected = ossl_crypt(name, key, iv, true, pads, data);
                    if (prefix != 0 && std::string(mode) != "ECB") expected.insert(expected.begin(), iv.begin(), iv.end());
                    ASSERT_EQ(read_bytes(enc), expected);
                    // OpenSSL's file, decrypted by the library.
                    write_bytes(enc, expected);
                    ASSERT_EQ(t.file_ext(dec.c_str(), enc.c_str(), key.data(), 0, mode, prefix ? nullptr : iv.data(),
                                         prefix),
                              0);
                    ASSERT_EQ(read_bytes(dec), data);
                }
            }
        }
    }
    if (!skipped.empty()) std::printf("legacy provider missing, not compared:%s\n", skipped.c_str());
}
