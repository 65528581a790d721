// Known answers of the block engines, each encrypted and decrypted. Sources:
// NIST SP 800-38A appendix F.1 and F.2 (AES ECB and CBC with 128-, 192- and
// 256-bit keys on the four-block example text: twelve comparisons); NIST
// SP 800-67 appendix B (three-key Triple DES, ECB) and a three-key Triple DES
// CBC vector on the 24-character text "This some sampe content." followed by
// eight bytes of value 8, its ciphertext computed with OpenSSL; Eric Young's
// Blowfish test set as published with the cipher's reference material, six of
// its fixed-key vectors and five of its variable-key-length vectors (keys of
// 1, 4, 8, 16 and 24 bytes).
#include "block/aes.h"
#include "block/blowfish.h"
#include "block/modes.h"
#include "block/tdea.h"
#include "core/known_answers.h"
#include "core/wipe.h"
#include "encode/hex.h"

namespace {

struct CipherKnownAnswer {
    KatId test;
    int32_t mode;  // kModeEcb or kModeCbc
    const char* key;
    const char* iv;  // empty in ECB
    const char* plaintext;
    const char* ciphertext;
};

constexpr const char* kExampleText =
    "6BC1BEE22E409F96E93D7E117393172AAE2D8A571E03AC9C9EB76FAC45AF8E51"
    "30C81C46A35CE411E5FBC1191A0A52EFF69F2445DF4F9B17AD2B417BE66C3710";
constexpr const char* kAesIv = "000102030405060708090A0B0C0D0E0F";

constexpr CipherKnownAnswer kCipherKnownAnswers[] = {
    {kKatTdea, kModeEcb, "0123456789ABCDEF23456789ABCDEF01456789ABCDEF0123", "",
     "54686520717566636B2062726F776E20666F78206A756D70",  // "The qufck brown fox jump"
     "A826FD8CE53B855FCCE21C8112256FE668D5C05DD9B6B900"},
    {kKatTdea, kModeCbc, "0123456789ABCDEFFEDCBA987654321089ABCDEF01234567", "1234567890ABCDEF",
     "5468697320736F6D652073616D706520636F6E74656E742E0808080808080808",  // "This some sampe content." 08 x 8
     "6E8A0912491670AD67AB444921C8D1C64A26D83A701EBDCD7E931B3CDCC1444C"},
    {kKatAes, kModeEcb, "2B7E151628AED2A6ABF7158809CF4F3C", "", kExampleText,
     "3AD77BB40D7A3660A89ECAF32466EF97F5D3D58503B9699DE785895A96FDBAAF"
     "43B1CD7F598ECE23881B00E3ED0306887B0C785E27E8AD3F8223207104725DD4"},
    {kKatAes, kModeEcb, "8E73B0F7DA0E6452C810F32B809079E562F8EAD2522C6B7B", "", kExampleText,
     "BD334F1D6E45F25FF712A214571FA5CC974104846D0AD3AD7734ECB3ECEE4EEF"
     "EF7AFD2270E2E60ADCE0BA2FACE6444E9A4B41BA738D6C72FB16691603C18E0E"},
    {kKatAes, kModeEcb, "603DEB1015CA71BE2B73AEF0857D77811F352C073B6108D72D9810A30914DFF4", "", kExampleText,
     "F3EED1BDB5D2A03C064B5A7E3DB181F8591CCB10D410ED26DC5BA74A31362870"
     "B6ED21B99CA6F4F9F153E7B1BEAFED1D23304B7A39F9F3FF067D8D8F9E24ECC7"},
    {kKatAes, kModeCbc, "2B7E151628AED2A6ABF7158809CF4F3C", kAesIv, kExampleText,
     "7649ABAC8119B246CEE98E9B12E9197D5086CB9B507219EE95DB113A917678B2"
     "73BED6B8E3C1743B7116E69E222295163FF1CAA1681FAC09120ECA307586E1A7"},
    {kKatAes, kModeCbc, "8E73B0F7DA0E6452C810F32B809079E562F8EAD2522C6B7B", kAesIv, kExampleText,
     "4F021DB243BC633D7178183A9FA071E8B4D9ADA9AD7DEDF4E5E738763F69145A"
     "571B242012FB7AE07FA9BAAC3DF102E008B0E27988598881D920A9E64F5615CD"},
    {kKatAes, kModeCbc, "603DEB1015CA71BE2B73AEF0857D77811F352C073B6108D72D9810A30914DFF4", kAesIv, kExampleText,
     "F58C4C04D6E5F1BA779EABFB5F7BFBD69CFC4E967EDB808D679F777BC6702C7D"
     "39F23369A9D9BACFA530E26304231461B2EB05E2C39BE9FCDA6C19078C6A9D1B"},
    {kKatBlowfish, kModeEcb, "0000000000000000", "", "0000000000000000", "4EF997456198DD78"},
    {kKatBlowfish, kModeEcb, "FFFFFFFFFFFFFFFF", "", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
    {kKatBlowfish, kModeEcb, "3000000000000000", "", "1000000000000001", "7D856F9A613063F2"},
    {kKatBlowfish, kModeEcb, "0123456789ABCDEF", "", "1111111111111111", "61F9C3802281B096"},
    {kKatBlowfish, kModeEcb, "FEDCBA9876543210", "", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
    {kKatBlowfish, kModeEcb, "7CA110454A1A6E57", "", "01A1D6D039776742", "59C68245EB05282B"},
    {kKatBlowfish, kModeEcb, "F0", "", "FEDCBA9876543210", "F9AD597C49DB005E"},
    {kKatBlowfish, kModeEcb, "F0E1D2C3", "", "FEDCBA9876543210", "BE1E639408640F05"},
    {kKatBlowfish, kModeEcb, "F0E1D2C3B4A59687", "", "FEDCBA9876543210", "E87A244E2CC85E82"},
    {kKatBlowfish, kModeEcb, "F0E1D2C3B4A5968778695A4B3C2D1E0F", "", "FEDCBA9876543210", "93142887EE3BE15C"},
    {kKatBlowfish, kModeEcb, "F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677", "", "FEDCBA9876543210",
     "05044B62FA52D080"},
};

// The decoded inputs of one vector.
struct Decoded {
    uint8_t key[32];
    uint8_t iv[16];
    uint8_t plaintext[64];
    uint8_t ciphertext[64];
    std::size_t key_len;
    std::size_t len;
};

void decode(const CipherKnownAnswer& k, Decoded* d) noexcept {
    d->key_len = static_cast<std::size_t>(HexDecodeStrict(d->key, sizeof d->key, k.key));
    HexDecodeStrict(d->iv, sizeof d->iv, k.iv);
    d->len = static_cast<std::size_t>(HexDecodeStrict(d->plaintext, sizeof d->plaintext, k.plaintext));
}

// Runs every vector of the test through `crypt` (out, in, len, encrypt),
// both ways.
template <typename Crypt>
bool both_ways(KatId id, Crypt crypt) noexcept {
    for (const CipherKnownAnswer& k : kCipherKnownAnswers) {
        if (k.test != id) continue;
        Decoded d;
        decode(k, &d);
        uint8_t out[64];
        if (crypt(k, d, out, d.plaintext, 1) != 0 || !kat_matches(id, out, k.ciphertext, d.len)) return false;
        HexDecodeStrict(d.ciphertext, sizeof d.ciphertext, k.ciphertext);
        if (crypt(k, d, out, d.ciphertext, 0) != 0 || !kat_matches(id, out, k.plaintext, d.len)) return false;
    }
    return true;
}

}  // namespace

bool kat_aes(KatId id) noexcept {
    return both_ways(id, [](const CipherKnownAnswer& k, const Decoded& d, uint8_t* out, const uint8_t* in,
                            int32_t encrypt) noexcept {
        return AesCrypt(out, in, static_cast<int64_t>(d.len), d.key, static_cast<int32_t>(d.key_len * 8), d.iv,
                        encrypt, k.mode);
    });
}

bool kat_tdea(KatId id) noexcept {
    return both_ways(id, [](const CipherKnownAnswer& k, const Decoded& d, uint8_t* out, const uint8_t* in,
                            int32_t encrypt) noexcept {
        return TdeaCrypt(out, in, static_cast<int64_t>(d.len), d.key, d.iv, encrypt, k.mode);
    });
}

bool kat_blowfish(KatId id) noexcept {
    return both_ways(id, [](const CipherKnownAnswer& k, const Decoded& d, uint8_t* out, const uint8_t* in,
                            int32_t encrypt) noexcept {
        return BlowfishCrypt(out, in, static_cast<int64_t>(d.len), d.key, static_cast<int32_t>(d.key_len), encrypt,
                             k.mode, d.iv);
    });
}
