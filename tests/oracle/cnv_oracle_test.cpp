// The CNV_ exports against OpenSSL's encoders on random data.
#include <gtest/gtest.h>
#include <openssl/asn1.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <string>
#include <vector>

#include "tessalib.h"
#include "test_util.h"

TEST(CnvOracle, Base64MatchesOpenSslEncodeAndDecodeBlock) {
    tu::Prng prng(0xB64);
    for (int len = 0; len < 300; ++len) {
        tu::Bytes data = prng.bytes(static_cast<std::size_t>(len));
        data.reserve(data.size() + 1);  // a real pointer even for no bytes: null input is refused
        std::vector<unsigned char> expect(static_cast<std::size_t>(len) / 3 * 4 + 5);
        const int expect_len = EVP_EncodeBlock(expect.data(), data.data(), len);

        ASSERT_EQ(CNV_B64StrFromBytes(nullptr, 0, data.data(), len), expect_len);
        std::vector<char> text(static_cast<std::size_t>(expect_len) + 1);
        ASSERT_EQ(CNV_B64StrFromBytes(text.data(), expect_len, data.data(), len), expect_len);
        ASSERT_EQ(std::string(text.data()), std::string(reinterpret_cast<char*>(expect.data()), expect_len));

        // OpenSSL decodes the padding as zero bytes; the export does not.
        std::vector<unsigned char> ossl(static_cast<std::size_t>(expect_len) + 3);
        const int ossl_len = EVP_DecodeBlock(ossl.data(), expect.data(), expect_len);
        ASSERT_EQ(ossl_len, expect_len / 4 * 3);
        const tu::Bytes back_ref(ossl.begin(), ossl.begin() + len);
        ASSERT_EQ(back_ref, data);
        tu::Bytes back(static_cast<std::size_t>(len) + 1);
        ASSERT_EQ(CNV_BytesFromB64Str(nullptr, 0, text.data()), len);
        ASSERT_EQ(CNV_BytesFromB64Str(back.data(), len + 1, text.data()), len);
        back.resize(static_cast<std::size_t>(len));
        ASSERT_EQ(back, data);
    }
}

TEST(CnvOracle, HexMatchesOpenSslWithAndWithoutColons) {
    tu::Prng prng(0x4E5);
    for (int len = 1; len < 200; ++len) {
        const tu::Bytes data = prng.bytes(static_cast<std::size_t>(len));
        char* colons = OPENSSL_buf2hexstr(data.data(), len);  // "DE:AD:..."
        ASSERT_NE(colons, nullptr);
        std::string plain;
        for (const char* p = colons; *p; ++p)
            if (*p != ':') plain += *p;

        std::vector<char> text(static_cast<std::size_t>(len) * 2 + 1);
        ASSERT_EQ(CNV_HexStrFromBytes(text.data(), len * 2, data.data(), len), len * 2);
        ASSERT_EQ(std::string(text.data()), plain);

        tu::Bytes back(static_cast<std::size_t>(len));
        ASSERT_EQ(CNV_BytesFromHexStr(nullptr, 0, colons), len);
        ASSERT_EQ(CNV_BytesFromHexStr(back.data(), len, colons), len);
        ASSERT_EQ(back, data);

        long ossl_len = 0;
        unsigned char* ossl = OPENSSL_hexstr2buf(text.data(), &ossl_len);
        ASSERT_NE(ossl, nullptr);
        ASSERT_EQ(tu::Bytes(ossl, ossl + ossl_len), data);
        OPENSSL_free(ossl);
        OPENSSL_free(colons);
    }
}

TEST(CnvOracle, Utf8OfEveryBasicPlaneCharacterMatchesOpenSsl) {
    std::vector<uint16_t> units;
    std::string expect;
    for (uint32_t u = 1; u <= 0xFFFF; ++u) {
        if (u >= 0xD800 && u <= 0xDFFF) continue;
        units.push_back(static_cast<uint16_t>(u));
        unsigned char buf[6];
        const int n = UTF8_putc(buf, sizeof buf, u);
        ASSERT_GT(n, 0);
        expect.append(reinterpret_cast<char*>(buf), static_cast<std::size_t>(n));
    }
    units.push_back(0);
    const int32_t len = CNV_Utf8FromWide(nullptr, 0, units.data());
    ASSERT_EQ(len, static_cast<int32_t>(expect.size()));
    std::vector<char> out(static_cast<std::size_t>(len) + 1);
    ASSERT_EQ(CNV_Utf8FromWide(out.data(), len, units.data()), len);
    EXPECT_EQ(std::string(out.data(), static_cast<std::size_t>(len)), expect);
}
