// Known answers of the hash engines. Sources: FIPS 180-4's examples (the
// messages "abc", the 448-bit message of SHA-1/SHA-224/SHA-256 and the
// 896-bit message of SHA-384/SHA-512, with the published digests), NIST's
// SHA-3 examples (SHA3-224 of the empty message, SHA3-256 of "abc", SHA3-384
// of the 448-bit message, SHA3-512 of the 896-bit message) and the test suite
// of RFC 1321 (MD5).
#include <cstring>

#include "core/known_answers.h"
#include "hash/hash_engine.h"

namespace {

constexpr const char* kAbc = "abc";
constexpr const char* k448 = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
constexpr const char* k896 =
    "abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu";

struct HashKnownAnswer {
    KatId test;
    uint32_t code;  // hash code
    const char* message;
    const char* digest;
};

constexpr HashKnownAnswer kHashKnownAnswers[] = {
    {kKatSha1, kHashSha1, kAbc, "A9993E364706816ABA3E25717850C26C9CD0D89D"},
    {kKatSha1, kHashSha1, k448, "84983E441C3BD26EBAAE4AA1F95129E5E54670F1"},
    {kKatSha256, kHashSha256, kAbc, "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"},
    {kKatSha256, kHashSha256, k448, "248D6A61D20638B8E5C026930C3E6039A33CE45964FF2167F6ECEDD419DB06C1"},
    {kKatSha384, kHashSha384, kAbc,
     "CB00753F45A35E8BB5A03D699AC65007272C32AB0EDED1631A8B605A43FF5BED8086072BA1E7CC2358BAECA134C825A7"},
    {kKatSha384, kHashSha384, k896,
     "09330C33F71147E83D192FC782CD1B4753111B173B3B05D22FA08086E3B0F712FCC7C71A557E2DB966C3E9FA91746039"},
    {kKatSha512, kHashSha512, kAbc,
     "DDAF35A193617ABACC417349AE20413112E6FA4E89A97EA20A9EEEE64B55D39A"
     "2192992A274FC1A836BA3C23A3FEEBBD454D4423643CE80E2A9AC94FA54CA49F"},
    {kKatSha512, kHashSha512, k896,
     "8E959B75DAE313DA8CF4F72814FC143F8F7779C6EB9F7FA17299AEADB6889018"
     "501D289E4900F7E4331B99DEC4B5433AC7D329EEB6DD26545E96E55B874BE909"},
    {kKatSha224, kHashSha224, kAbc, "23097D223405D8228642A477BDA255B32AADBCE4BDA0B3F7E36C9DA7"},
    {kKatSha224, kHashSha224, k448, "75388B16512776CC5DBA5DA1FD890150B0C6455CB4F58B1952522525"},
    {kKatSha3, kHashSha3_256, kAbc, "3A985DA74FE225B2045C172D6BD390BD855F086E3E9D525B46BFE24511431532"},
    {kKatSha3, kHashSha3_224, "", "6B4E03423667DBB73B6E15454F0EB1ABD4597F9A1B078E3F5B5A6BC7"},
    {kKatSha3, kHashSha3_384, k448,
     "991C665755EB3A4B6BBDFB75C78A492E8C56A22C5C4D7E429BFDBC32B9D4AD5AA04A1F076E62FEA19EEF51ACD0657C22"},
    {kKatSha3, kHashSha3_512, k896,
     "AFEBB2EF542E6579C50CAD06D2E578F9F8DD6881D7DC824D26360FEEBF18A4FA"
     "73E3261122948EFCFD492E74E82E2189ED0FB440D187F382270CB455F21DD185"},
    {kKatMd5, kHashMd5, "", "D41D8CD98F00B204E9800998ECF8427E"},
    {kKatMd5, kHashMd5, "a", "0CC175B9C0F1B6A831C399E269772661"},
    {kKatMd5, kHashMd5, kAbc, "900150983CD24FB0D6963F7D28E17F72"},
    {kKatMd5, kHashMd5, "message digest", "F96B697D7CB7938D525A2F31AAF161D0"},
    {kKatMd5, kHashMd5, "abcdefghijklmnopqrstuvwxyz", "C3FCD3D76192E4007DFB496CCA67E13B"},
    {kKatMd5, kHashMd5, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
     "D174AB98D277D9F5A5611C2C9F419D9F"},
    {kKatMd5, kHashMd5, "12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57EDF4A22BE3C955AC49DA2E2107B67A"},
};

}  // namespace

bool kat_hash(KatId id) noexcept {
    for (const HashKnownAnswer& k : kHashKnownAnswers) {
        if (k.test != id) continue;
        uint8_t digest[kHashMaxDigestLen];
        const int32_t n = hash_bytes(digest, sizeof digest, reinterpret_cast<const uint8_t*>(k.message),
                                     std::strlen(k.message), k.code);
        if (n <= 0 || !kat_matches(id, digest, k.digest, static_cast<std::size_t>(n))) return false;
    }
    return true;
}
