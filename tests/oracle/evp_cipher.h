// OpenSSL's block ciphers for the oracle tests: the default and legacy
// providers (DES and Blowfish live in the legacy one), the EVP name of a
// cipher and mode, and one whole message through EVP.
#pragma once
#include <openssl/evp.h>

#include <cstddef>
#include <string>

#include <gtest/gtest.h>

#include "openssl_providers.h"
#include "test_util.h"

namespace evp {

// Loads OpenSSL's default and legacy providers once; false when the legacy
// one cannot be had.
inline bool legacy_loaded() { return ossl_legacy_loaded(); }

// The EVP name of a cipher ("AES-128", "DES", "DES-EDE3", "BF") in a mode;
// empty where OpenSSL has no such cipher (CTR of the 8-byte ciphers).
inline std::string name(const std::string& prefix, std::size_t block, const std::string& mode) {
    if (mode == "CTR" && block == 8) return "";
    if (prefix == "DES-EDE3" && (mode == "ECB" || mode == "CBC")) return "DES-EDE3-" + mode;
    return prefix + "-" + mode;
}

// One message through EVP, with PKCS #7 padding when `pad` is set.
inline tu::Bytes crypt(const std::string& cipher_name, const tu::Bytes& key, const tu::Bytes& iv, bool enc, bool pad,
                       const tu::Bytes& in) {
    EVP_CIPHER* cipher = EVP_CIPHER_fetch(nullptr, cipher_name.c_str(), nullptr);
    EXPECT_NE(nullptr, cipher) << cipher_name;
    if (cipher == nullptr) return {};
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    EXPECT_EQ(1, EVP_CipherInit_ex(ctx, cipher, nullptr, nullptr, nullptr, enc ? 1 : 0));
    EXPECT_EQ(1, EVP_CIPHER_CTX_set_key_length(ctx, static_cast<int>(key.size())));
    EXPECT_EQ(1, EVP_CipherInit_ex(ctx, nullptr, nullptr, key.data(), iv.data(), enc ? 1 : 0));
    EVP_CIPHER_CTX_set_padding(ctx, pad ? 1 : 0);
    tu::Bytes out(in.size() + 32);
    int n = 0, m = 0;
    EXPECT_EQ(1, EVP_CipherUpdate(ctx, out.data(), &n, in.data(), static_cast<int>(in.size())));
    EXPECT_EQ(1, EVP_CipherFinal_ex(ctx, out.data() + n, &m));
    out.resize(static_cast<std::size_t>(n + m));
    EVP_CIPHER_CTX_free(ctx);
    EVP_CIPHER_free(cipher);
    return out;
}

}  // namespace evp
