// File encryption against OpenSSL's EVP ciphers: the file written by each
// family's _FileExt (with the IV in front or not) is OpenSSL's encryption of
// the file's bytes with PKCS #7 padding in ECB and CBC, over sizes around
// the block and the 4096-byte chunk; and the library decrypts OpenSSL's.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "evp_cipher.h"
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

}  // namespace

TEST(FileOracle, EveryCipherModeAndIvPrefixMatchesOpenSsl) {
    tu::TempDir dir;
    tu::Prng rng(0xF11E);
    const std::string plain = dir.file("plain"), enc = dir.file("enc"), dec = dir.file("dec");
    const char* modes[] = {"ECB", "CBC", "CFB", "OFB", "CTR"};
    std::string skipped;
    for (const Target& t : kTargets) {
        if (t.legacy && !evp::legacy_loaded()) {
            skipped += std::string(" ") + t.ossl_prefix;
            continue;
        }
        const std::size_t b = t.block;
        for (const char* mode : modes) {
            const std::string name = evp::name(t.ossl_prefix, t.block, mode);
            if (name.empty()) continue;
            const bool pads = std::string(mode) == "ECB" || std::string(mode) == "CBC";
            for (int32_t prefix : {0, OPT_PREFIX_IV}) {
                for (std::size_t size : {std::size_t{0}, std::size_t{1}, b - 1, b, std::size_t{4095},
                                         std::size_t{4096}, std::size_t{4097}, std::size_t{8191}, std::size_t{65536},
                                         std::size_t{(1u << 20) + 3}}) {
                    if (size > 8191 && prefix != 0) continue;
                    SCOPED_TRACE(name + " prefix " + std::to_string(prefix) + " size " + std::to_string(size));
                    const Bytes key = rng.bytes(t.key_len), iv = rng.bytes(b), data = rng.bytes(size);
                    tu::write_bytes(plain, data);
                    ASSERT_EQ(t.file_ext(enc.c_str(), plain.c_str(), key.data(), 1, mode, iv.data(), prefix), 0);
                    Bytes expected = evp::crypt(name, key, iv, true, pads, data);
                    if (prefix != 0 && std::string(mode) != "ECB") expected.insert(expected.begin(), iv.begin(), iv.end());
                    ASSERT_EQ(tu::read_bytes(enc), expected);
                    // OpenSSL's file, decrypted by the library.
                    tu::write_bytes(enc, expected);
                    ASSERT_EQ(t.file_ext(dec.c_str(), enc.c_str(), key.data(), 0, mode, prefix ? nullptr : iv.data(),
                                         prefix),
                              0);
                    ASSERT_EQ(tu::read_bytes(dec), data);
                }
            }
        }
    }
    if (!skipped.empty()) std::printf("legacy provider missing, not compared:%s\n", skipped.c_str());
}
