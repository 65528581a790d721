// The power-up self-tests: the table of known-answer tests, their run, and
// the three load-time checks. The test build of the library can make any one
// of them fail (core/test_fault.h).
#include "core/power_up.h"

#include <cstring>

#include "core/ct.h"
#include "core/fatal.h"
#include "core/integrity.h"
#include "core/known_answers.h"
#include "core/test_fault.h"
#include "core/wipe.h"
#include "encode/hex.h"
#include "rng/generator.h"


const KnownAnswerTest kKnownAnswerTests[kKatCount] = {
    {"SHA-1", 0xC0001F46u, "Failed Known Answer Test for SHA-1", kat_hash},
    {"SHA-256", 0xC0001F47u, "Failed Known Answer Test for SHA-256", kat_hash},
    {"SHA-384", 0xC0001F48u, "Failed Known Answer Test for SHA-384", kat_hash},
    {"SHA-512", 0xC0001F49u, "Failed Known Answer Test for SHA-512", kat_hash},
    {"SHA-224", 0xC0001F4Au, "Failed Known Answer Test for SHA-224", kat_hash},
    {"SHA-3", 0xC0001F55u, "Failed Known Answer Test for SHA-3", kat_hash},
    {"MD5", 0xC0001F4Bu, "Failed Known Answer Test for MD5", kat_hash},
    {"Triple DES", 0xC0001F43u, "Failed Known Answer Test for Triple DES", kat_tdea},
    {"AES", 0xC0001F44u, "Failed Known Answer Test for AES", kat_aes},
    {"Blowfish", 0xC0001F45u, "Failed Known Answer Test for Blowfish", kat_blowfish},
    {"HMAC-SHA-1", 0xC0001F4Cu, "Failed Known Answer Test for HMAC-SHA-1", kat_hmac},
    {"HMAC-SHA-256", 0xC0001F4Du, "Failed Known Answer Test for HMAC-SHA-256", kat_hmac},
    {"HMAC-SHA-384", 0xC0001F4Eu, "Failed Known Answer Test for HMAC-SHA-384", kat_hmac},
    {"HMAC-SHA-512", 0xC0001F4Fu, "Failed Known Answer Test for HMAC-SHA-512", kat_hmac},
    {"HMAC-SHA-224", 0xC0001F50u, "Failed Known Answer Test for HMAC-SHA-224", kat_hmac},
    {"HMAC-MD5", 0xC0001F53u, "Failed Known Answer Test for HMAC-MD5", kat_hmac},
    {"CMAC-AES", 0xC0001F51u, "Failed Known Answer Test for CMAC-AES", kat_cmac},
    {"CMAC-TDEA", 0xC0001F52u, "Failed Known Answer Test for CMAC-TDEA", kat_cmac},
};

namespace {

// The names of the known-answer tests' test points (core/test_fault.h), in
// table order.
constexpr const char* kFaultNames[kKatCount] = {
    "sha1",        "sha256",      "sha384",      "sha512",      "sha224",      "sha3",
    "md5",         "tdea",        "aes",         "blowfish",    "hmac-sha1",   "hmac-sha256",
    "hmac-sha384", "hmac-sha512", "hmac-sha224", "hmac-md5",    "cmac-aes",    "cmac-tdea",
};

}  // namespace

bool kat_matches(KatId id, const uint8_t* got, const char* expected, std::size_t len) noexcept {
    uint8_t want[64];
    if (len > sizeof want || HexDecodeStrict(want, sizeof want, expected) != static_cast<long long>(len)) return false;
    if (test_fault_chosen(kFaultNames[id])) want[0] ^= 1;  // the test build's wrong answer
    const bool same = ct_memeq(got, want, len) != 0;
    secure_wipe(want, sizeof want);
    return same;
}

int RunPowerUpTests() noexcept {
    for (int i = 0; i < kKatCount; ++i) {
        const KnownAnswerTest& t = kKnownAnswerTests[i];
        if (!t.run(static_cast<KatId>(i))) {
            ReportFatal(t.message, t.event);
            return 1;
        }
    }
    return 0;
}

bool SelfIntegrityTestPasses() noexcept { return module_integrity_check() && !test_fault_chosen("integrity"); }

bool RngHealthCheckPasses() noexcept { return RngHealthCheck(2) == 0 && !test_fault_chosen("health"); }
