// Known answers of the MAC engines. Sources: RFC 2202 test cases 1 to 7 for
// HMAC-SHA-1 and HMAC-MD5; RFC 4231 test cases 1 to 4, 6 and 7 for
// HMAC-SHA-224/256/384/512 (case 5 truncates its output and adds nothing
// here); NIST SP 800-38B appendix D: the examples of D.1 to D.3 for CMAC with
// AES-128, AES-192 and AES-256 (messages of 0, 16, 40 and 64 bytes of the
// SP 800-38A example text) and of D.4 for three-key Triple DES (0, 8, 20 and
// 32 bytes).
#include <cstring>

#include "core/known_answers.h"
#include "encode/hex.h"
#include "hash/cmac.h"
#include "hash/hmac.h"

namespace {

// An input of a test: the characters of a text, bytes in hex, or one byte
// repeated.
struct KatInput {
    const char* text;
    const char* hex;
    uint8_t fill;
    uint16_t count;
};
constexpr KatInput text(const char* t) noexcept { return KatInput{t, nullptr, 0, 0}; }
constexpr KatInput hex(const char* h) noexcept { return KatInput{nullptr, h, 0, 0}; }
constexpr KatInput fill(uint8_t b, uint16_t n) noexcept { return KatInput{nullptr, nullptr, b, n}; }

// Largest input of any test (RFC 4231 case 7's data).
constexpr std::size_t kMaxInput = 160;

// Writes the bytes of in to out (kMaxInput bytes) and returns their number.
std::size_t bytes_of(const KatInput& in, uint8_t* out) noexcept {
    if (in.text != nullptr) {
        const std::size_t n = std::strlen(in.text);
        std::memcpy(out, in.text, n);
        return n;
    }
    if (in.hex != nullptr) return static_cast<std::size_t>(HexDecodeStrict(out, kMaxInput, in.hex));
    std::memset(out, in.fill, in.count);
    return in.count;
}

struct HmacKnownAnswer {
    KatId test;
    uint32_t code;  // hash code
    KatInput key;
    KatInput data;
    const char* mac;
};

constexpr const char* kKey25 = "0102030405060708090A0B0C0D0E0F10111213141516171819";
constexpr const char* kJefeData = "what do ya want for nothing?";
constexpr const char* kLargeKeyData = "Test Using Larger Than Block-Size Key - Hash Key First";
constexpr const char* kLargeKeyLargeData2202 = "Test Using Larger Than Block-Size Key and Larger Than One Block-Size Data";
constexpr const char* kLargeKeyLargeData4231 =
    "This is a test using a larger than block-size key and a larger than block-size data. The key needs to be "
    "hashed before being used by the HMAC algorithm.";

constexpr HmacKnownAnswer kHmacKnownAnswers[] = {
    // RFC 2202, HMAC-SHA-1
    {kKatHmacSha1, kHashSha1, fill(0x0B, 20), text("Hi There"), "B617318655057264E28BC0B6FB378C8EF146BE00"},
    {kKatHmacSha1, kHashSha1, text("Jefe"), text(kJefeData), "EFFCDF6AE5EB2FA2D27416D5F184DF9C259A7C79"},
    {kKatHmacSha1, kHashSha1, fill(0xAA, 20), fill(0xDD, 50), "125D7342B9AC11CD91A39AF48AA17B4F63F175D3"},
    {kKatHmacSha1, kHashSha1, hex(kKey25), fill(0xCD, 50), "4C9007F4026250C6BC8414F9BF50C86C2D7235DA"},
    {kKatHmacSha1, kHashSha1, fill(0x0C, 20), text("Test With Truncation"), "4C1A03424B55E07FE7F27BE1D58BB9324A9A5A04"},
    {kKatHmacSha1, kHashSha1, fill(0xAA, 80), text(kLargeKeyData), "AA4AE5E15272D00E95705637CE8A3B55ED402112"},
    {kKatHmacSha1, kHashSha1, fill(0xAA, 80), text(kLargeKeyLargeData2202), "E8E99D0F45237D786D6BBAA7965C7808BBFF1A91"},
    // RFC 4231, HMAC-SHA-256
    {kKatHmacSha256, kHashSha256, fill(0x0B, 20), text("Hi There"),
     "B0344C61D8DB38535CA8AFCEAF0BF12B881DC200C9833DA726E9376C2E32CFF7"},
    {kKatHmacSha256, kHashSha256, text("Jefe"), text(kJefeData),
     "5BDCC146BF60754E6A042426089575C75A003F089D2739839DEC58B964EC3843"},
    {kKatHmacSha256, kHashSha256, fill(0xAA, 20), fill(0xDD, 50),
     "773EA91E36800E46854DB8EBD09181A72959098B3EF8C122D9635514CED565FE"},
    {kKatHmacSha256, kHashSha256, hex(kKey25), fill(0xCD, 50),
     "82558A389A443C0EA4CC819899F2083A85F0FAA3E578F8077A2E3FF46729665B"},
    {kKatHmacSha256, kHashSha256, fill(0xAA, 131), text(kLargeKeyData),
     "60E431591EE0B67F0D8A26AACBF5B77F8E0BC6213728C5140546040F0EE37F54"},
    {kKatHmacSha256, kHashSha256, fill(0xAA, 131), text(kLargeKeyLargeData4231),
     "9B09FFA71B942FCB27635FBCD5B0E944BFDC63644F0713938A7F51535C3A35E2"},
    // RFC 4231, HMAC-SHA-384
    {kKatHmacSha384, kHashSha384, fill(0x0B, 20), text("Hi There"),
     "AFD03944D84895626B0825F4AB46907F15F9DADBE4101EC682AA034C7CEBC59CFAEA9EA9076EDE7F4AF152E8B2FA9CB6"},
    {kKatHmacSha384, kHashSha384, text("Jefe"), text(kJefeData),
     "AF45D2E376484031617F78D2B58A6B1B9C7EF464F5A01B47E42EC3736322445E8E2240CA5E69E2C78B3239ECFAB21649"},
    {kKatHmacSha384, kHashSha384, fill(0xAA, 20), fill(0xDD, 50),
     "88062608D3E6AD8A0AA2ACE014C8A86F0AA635D947AC9FEBE83EF4E55966144B2A5AB39DC13814B94E3AB6E101A34F27"},
    {kKatHmacSha384, kHashSha384, hex(kKey25), fill(0xCD, 50),
     "3E8A69B7783C25851933AB6290AF6CA77A9981480850009CC5577C6E1F573B4E6801DD23C4A7D679CCF8A386C674CFFB"},
    {kKatHmacSha384, kHashSha384, fill(0xAA, 131), text(kLargeKeyData),
     "4ECE084485813E9088D2C63A041BC5B44F9EF1012A2B588F3CD11F05033AC4C60C2EF6AB4030FE8296248DF163F44952"},
    {kKatHmacSha384, kHashSha384, fill(0xAA, 131), text(kLargeKeyLargeData4231),
     "6617178E941F020D351E2F254E8FD32C602420FEB0B8FB9ADCCEBB82461E99C5A678CC31E799176D3860E6110C46523E"},
    // RFC 4231, HMAC-SHA-512
    {kKatHmacSha512, kHashSha512, fill(0x0B, 20), text("Hi There"),
     "87AA7CDEA5EF619D4FF0B4241A1D6CB02379F4E2CE4EC2787AD0B30545E17CDE"
     "DAA833B7D6B8A702038B274EAEA3F4E4BE9D914EEB61F1702E696C203A126854"},
    {kKatHmacSha512, kHashSha512, text("Jefe"), text(kJefeData),
     "164B7A7BFCF819E2E395FBE73B56E0A387BD64222E831FD610270CD7EA250554"
     "9758BF75C05A994A6D034F65F8F0E6FDCAEAB1A34D4A6B4B636E070A38BCE737"},
    {kKatHmacSha512, kHashSha512, fill(0xAA, 20), fill(0xDD, 50),
     "FA73B0089D56A284EFB0F0756C890BE9B1B5DBDD8EE81A3655F83E33B2279D39"
     "BF3E848279A722C806B485A47E67C807B946A337BEE8942674278859E13292FB"},
    {kKatHmacSha512, kHashSha512, hex(kKey25), fill(0xCD, 50),
     "B0BA465637458C6990E5A8C5F61D4AF7E576D97FF94B872DE76F8050361EE3DB"
     "A91CA5C11AA25EB4D679275CC5788063A5F19741120C4F2DE2ADEBEB10A298DD"},
    {kKatHmacSha512, kHashSha512, fill(0xAA, 131), text(kLargeKeyData),
     "80B24263C7C1A3EBB71493C1DD7BE8B49B46D1F41B4AEEC1121B013783F8F352"
     "6B56D037E05F2598BD0FD2215D6A1E5295E64F73F63F0AEC8B915A985D786598"},
    {kKatHmacSha512, kHashSha512, fill(0xAA, 131), text(kLargeKeyLargeData4231),
     "E37B6A775DC87DBAA4DFA9F96E5E3FFDDEBD71F8867289865DF5A32D20CDC944"
     "B6022CAC3C4982B10D5EEB55C3E4DE15134676FB6DE0446065C97440FA8C6A58"},
    // RFC 4231, HMAC-SHA-224
    {kKatHmacSha224, kHashSha224, fill(0x0B, 20), text("Hi There"),
     "896FB1128ABBDF196832107CD49DF33F47B4B1169912BA4F53684B22"},
    {kKatHmacSha224, kHashSha224, text("Jefe"), text(kJefeData),
     "A30E01098BC6DBBF45690F3A7E9E6D0F8BBEA2A39E6148008FD05E44"},
    {kKatHmacSha224, kHashSha224, fill(0xAA, 20), fill(0xDD, 50),
     "7FB3CB3588C6C1F6FFA9694D7D6AD2649365B0C1F65D69D1EC8333EA"},
    {kKatHmacSha224, kHashSha224, hex(kKey25), fill(0xCD, 50),
     "6C11506874013CAC6A2ABC1BB382627CEC6A90D86EFC012DE7AFEC5A"},
    {kKatHmacSha224, kHashSha224, fill(0xAA, 131), text(kLargeKeyData),
     "95E9A0DB962095ADAEBE9B2D6F0DBCE2D499F112F2D2B7273FA6870E"},
    {kKatHmacSha224, kHashSha224, fill(0xAA, 131), text(kLargeKeyLargeData4231),
     "3A854166AC5D9F023F54D517D0B39DBD946770DB9C2B95C9F6F565D1"},
    // RFC 2202, HMAC-MD5
    {kKatHmacMd5, kHashMd5, fill(0x0B, 16), text("Hi There"), "9294727A3638BB1C13F48EF8158BFC9D"},
    {kKatHmacMd5, kHashMd5, text("Jefe"), text(kJefeData), "750C783E6AB0B503EAA86E310A5DB738"},
    {kKatHmacMd5, kHashMd5, fill(0xAA, 16), fill(0xDD, 50), "56BE34521D144C88DBB8C733F0E8B3F6"},
    {kKatHmacMd5, kHashMd5, hex(kKey25), fill(0xCD, 50), "697EAF0ACA3A3AEA3A75164746FFAA79"},
    {kKatHmacMd5, kHashMd5, fill(0x0C, 16), text("Test With Truncation"), "56461EF2342EDC00F9BAB995690EFD4C"},
    {kKatHmacMd5, kHashMd5, fill(0xAA, 80), text(kLargeKeyData), "6B1AB7FE4BD7BF8F0B62E6CE61B9D0CD"},
    {kKatHmacMd5, kHashMd5, fill(0xAA, 80), text(kLargeKeyLargeData2202), "6F630FAD67CDA0EE1FB1F562DB3AA53E"},
};

// The SP 800-38A example text, of which the CMAC examples take the first 0,
// 16, 40 and 64 bytes (Triple DES: 0, 8, 20 and 32).
constexpr const char* kExampleText =
    "6BC1BEE22E409F96E93D7E117393172AAE2D8A571E03AC9C9EB76FAC45AF8E51"
    "30C81C46A35CE411E5FBC1191A0A52EFF69F2445DF4F9B17AD2B417BE66C3710";

struct CmacKnownAnswer {
    KatId test;
    uint32_t variant;  // CmacCipher
    const char* key;
    uint8_t message_len;
    const char* tag;
};

constexpr const char* kCmacKey128 = "2B7E151628AED2A6ABF7158809CF4F3C";
constexpr const char* kCmacKey192 = "8E73B0F7DA0E6452C810F32B809079E562F8EAD2522C6B7B";
constexpr const char* kCmacKey256 = "603DEB1015CA71BE2B73AEF0857D77811F352C073B6108D72D9810A30914DFF4";
constexpr const char* kCmacKeyTdea = "8AA83BF8CBDA10620BC1BF19FBB6CD58BC313D4A371CA8B5";

constexpr CmacKnownAnswer kCmacKnownAnswers[] = {
    {kKatCmacAes, kCmacAes128, kCmacKey128, 0, "BB1D6929E95937287FA37D129B756746"},
    {kKatCmacAes, kCmacAes128, kCmacKey128, 16, "070A16B46B4D4144F79BDD9DD04A287C"},
    {kKatCmacAes, kCmacAes128, kCmacKey128, 40, "DFA66747DE9AE63030CA32611497C827"},
    {kKatCmacAes, kCmacAes128, kCmacKey128, 64, "51F0BEBF7E3B9D92FC49741779363CFE"},
    {kKatCmacAes, kCmacAes192, kCmacKey192, 0, "D17DDF46ADAACDE531CAC483DE7A9367"},
    {kKatCmacAes, kCmacAes192, kCmacKey192, 16, "9E99A7BF31E710900662F65E617C5184"},
    {kKatCmacAes, kCmacAes192, kCmacKey192, 40, "8A1DE5BE2EB31AAD089A82E6EE908B0E"},
    {kKatCmacAes, kCmacAes192, kCmacKey192, 64, "A1D5DF0EED790F794D77589659F39A11"},
    {kKatCmacAes, kCmacAes256, kCmacKey256, 0, "028962F61B7BF89EFC6B551F4667D983"},
    {kKatCmacAes, kCmacAes256, kCmacKey256, 16, "28A7023F452E8F82BD4BF28D8C37C35C"},
    {kKatCmacAes, kCmacAes256, kCmacKey256, 40, "AAF3D8F1DE5640C232F5B169B9C911E6"},
    {kKatCmacAes, kCmacAes256, kCmacKey256, 64, "E1992190549F6ED5696A2C056C315410"},
    {kKatCmacTdea, kCmacTdea, kCmacKeyTdea, 0, "B7A688E122FFAF95"},
    {kKatCmacTdea, kCmacTdea, kCmacKeyTdea, 8, "8E8F293136283797"},
    {kKatCmacTdea, kCmacTdea, kCmacKeyTdea, 20, "743DDBE0CE2DC2ED"},
    {kKatCmacTdea, kCmacTdea, kCmacKeyTdea, 32, "33E6B1092400EAE5"},
};

}  // namespace

bool kat_hmac(KatId id) noexcept {
    for (const HmacKnownAnswer& k : kHmacKnownAnswers) {
        if (k.test != id) continue;
        uint8_t key[kMaxInput], data[kMaxInput], mac[64];
        const std::size_t key_len = bytes_of(k.key, key);
        const std::size_t data_len = bytes_of(k.data, data);
        const int32_t n = hmac_bytes(mac, sizeof mac, data, data_len, key, key_len, k.code);
        if (n <= 0 || !kat_matches(id, mac, k.mac, static_cast<std::size_t>(n))) return false;
    }
    return true;
}

bool kat_cmac(KatId id) noexcept {
    uint8_t text[64];
    HexDecodeStrict(text, sizeof text, kExampleText);
    for (const CmacKnownAnswer& k : kCmacKnownAnswers) {
        if (k.test != id) continue;
        uint8_t key[32], tag[kCmacMaxTagLen];
        const long long key_len = HexDecodeStrict(key, sizeof key, k.key);
        const int32_t n = cmac_bytes(tag, text, k.message_len, key, static_cast<std::size_t>(key_len), k.variant);
        if (n <= 0 || !kat_matches(id, tag, k.tag, static_cast<std::size_t>(n))) return false;
    }
    return true;
}
