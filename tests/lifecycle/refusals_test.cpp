// The module's failed state, export by export: after a load-time check
// failed, every export declared in include/tessalib.h (the list is made from
// the header at build time: all_exports.inc) is called with null and zero
// arguments, which a refusal must not look at, and must refuse without doing
// any work, with TEST_FAILED_ERROR in its family's sign or 0 for the handle
// and value classes, recording 23 as the last error where it runs the frame.
// The API_ exports answer instead.
//
// A new export needs its row in kRefusals below; its first line is the frame
// entry that refuses (src/README.md, "An export").
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "all_exports.inc"
#include "loaded_module.h"
#include "test_util.h"

namespace {

// What an export gives in the failed state.
enum Refusal {
    kPositive,          // framed, returns 23 (the families with positive codes)
    kNegated,           // framed, returns -23 (negated codes, and lengths)
    kZero,              // framed, returns 0 (handles and values)
    kUnframedPositive,  // the same three without touching the last error
    kUnframedNegated,
    kUnframedZero,
};

struct ExpectedRefusal {
    const char* name;
    Refusal refusal;
};

constexpr ExpectedRefusal kRefusals[] = {
    // CNV_
    {"CNV_HexStrFromBytes", kNegated},
    {"CNV_BytesFromHexStr", kNegated},
    {"CNV_HexFilter", kNegated},
    {"CNV_B64StrFromBytes", kNegated},
    {"CNV_BytesFromB64Str", kNegated},
    {"CNV_B64Filter", kNegated},
    {"CNV_Utf8FromWide", kUnframedNegated},
    {"CNV_ShortPathName", kUnframedNegated},
    // AES128_, AES192_, AES256_
    {"AES128_Bytes", kPositive},
    {"AES192_Bytes", kPositive},
    {"AES256_Bytes", kPositive},
    {"AES128_BytesMode", kPositive},
    {"AES192_BytesMode", kPositive},
    {"AES256_BytesMode", kPositive},
    {"AES128_Hex", kPositive},
    {"AES192_Hex", kPositive},
    {"AES256_Hex", kPositive},
    {"AES128_HexMode", kPositive},
    {"AES192_HexMode", kPositive},
    {"AES256_HexMode", kPositive},
    {"AES128_B64Mode", kPositive},
    {"AES192_B64Mode", kPositive},
    {"AES256_B64Mode", kPositive},
    {"AES128_Init", kZero},
    {"AES192_Init", kZero},
    {"AES256_Init", kZero},
    {"AES128_InitHex", kZero},
    {"AES192_InitHex", kZero},
    {"AES256_InitHex", kZero},
    {"AES128_Update", kPositive},
    {"AES192_Update", kPositive},
    {"AES256_Update", kPositive},
    {"AES128_UpdateHex", kPositive},
    {"AES192_UpdateHex", kPositive},
    {"AES256_UpdateHex", kPositive},
    {"AES128_Final", kPositive},
    {"AES192_Final", kPositive},
    {"AES256_Final", kPositive},
    {"AES128_InitError", kUnframedZero},
    {"AES192_InitError", kUnframedZero},
    {"AES256_InitError", kUnframedZero},
    // DES_
    {"DES_Bytes", kPositive},
    {"DES_BytesMode", kPositive},
    {"DES_Hex", kPositive},
    {"DES_HexMode", kPositive},
    {"DES_B64Mode", kPositive},
    {"DES_Init", kZero},
    {"DES_InitHex", kZero},
    {"DES_Update", kPositive},
    {"DES_UpdateHex", kPositive},
    {"DES_Final", kPositive},
    {"DES_InitError", kUnframedZero},
    {"DES_CheckKey", kUnframedPositive},
    {"DES_CheckKeyHex", kUnframedPositive},
    // TDEA_
    {"TDEA_Bytes", kPositive},
    {"TDEA_BytesMode", kPositive},
    {"TDEA_Hex", kPositive},
    {"TDEA_HexMode", kPositive},
    {"TDEA_B64Mode", kPositive},
    {"TDEA_Init", kZero},
    {"TDEA_InitHex", kZero},
    {"TDEA_Update", kPositive},
    {"TDEA_UpdateHex", kPositive},
    {"TDEA_Final", kPositive},
    {"TDEA_InitError", kUnframedZero},
    // BLF_
    {"BLF_Bytes", kPositive},
    {"BLF_BytesMode", kPositive},
    {"BLF_Hex", kPositive},
    {"BLF_HexMode", kPositive},
    {"BLF_B64Mode", kPositive},
    {"BLF_Init", kZero},
    {"BLF_InitHex", kZero},
    {"BLF_Update", kPositive},
    {"BLF_UpdateHex", kPositive},
    {"BLF_Final", kPositive},
    {"BLF_InitError", kUnframedZero},
    {"BLF_Ecb", kPositive},
    {"BLF_EcbHex", kPositive},
    // HASH_
    {"HASH_Bytes", kNegated},
    {"HASH_File", kNegated},
    {"HASH_HexFromBytes", kNegated},
    {"HASH_HexFromBits", kNegated},
    {"HASH_HexFromHex", kNegated},
    {"HASH_HexFromFile", kNegated},
    {"HASH_Length", kNegated},
    {"HASH_Init", kZero},
    {"HASH_AddBytes", kNegated},
    {"HASH_Final", kNegated},
    {"HASH_DigestLength", kNegated},
    {"HASH_Reset", kNegated},
    // SHA1_
    {"SHA1_StringHexHash", kPositive},
    {"SHA1_BytesHexHash", kPositive},
    {"SHA1_BytesHash", kPositive},
    {"SHA1_FileHexHash", kPositive},
    {"SHA1_Init", kUnframedZero},
    {"SHA1_AddString", kPositive},
    {"SHA1_AddBytes", kPositive},
    {"SHA1_HexDigest", kPositive},
    {"SHA1_Reset", kPositive},
    // SHA2_
    {"SHA2_StringHexHash", kPositive},
    {"SHA2_BytesHexHash", kPositive},
    {"SHA2_BytesHash", kPositive},
    {"SHA2_FileHexHash", kPositive},
    {"SHA2_Init", kUnframedZero},
    {"SHA2_AddString", kPositive},
    {"SHA2_AddBytes", kPositive},
    {"SHA2_HexDigest", kPositive},
    {"SHA2_Reset", kPositive},
    // MD5_
    {"MD5_StringHexHash", kPositive},
    {"MD5_BytesHexHash", kPositive},
    {"MD5_BytesHash", kPositive},
    {"MD5_FileHexHash", kPositive},
    {"MD5_Init", kUnframedZero},
    {"MD5_AddString", kPositive},
    {"MD5_AddBytes", kPositive},
    {"MD5_HexDigest", kPositive},
    {"MD5_Reset", kPositive},
    // SHA3_
    {"SHA3_Init", kZero},
    {"SHA3_AddString", kPositive},
    {"SHA3_AddBytes", kPositive},
    {"SHA3_HexDigest", kNegated},
    {"SHA3_LengthInBytes", kNegated},
    {"SHA3_Reset", kPositive},
    // SHA1_
    {"SHA1_Hmac", kPositive},
    // SHA2_
    {"SHA2_Hmac", kPositive},
    // MD5_
    {"MD5_Hmac", kPositive},
    // SHA1_
    {"SHA1_HmacHex", kPositive},
    // SHA2_
    {"SHA2_HmacHex", kPositive},
    // MD5_
    {"MD5_HmacHex", kPositive},
    // MAC_
    {"MAC_Bytes", kNegated},
    {"MAC_HexFromBytes", kNegated},
    {"MAC_HexFromHex", kNegated},
    {"MAC_Init", kZero},
    {"MAC_AddBytes", kNegated},
    {"MAC_Final", kNegated},
    {"MAC_CodeLength", kNegated},
    {"MAC_Reset", kNegated},
    // XOF_
    {"XOF_Bytes", kNegated},
    // PRF_
    {"PRF_Bytes", kNegated},
    // PBE_
    {"PBE_Kdf2", kPositive},
    {"PBE_Kdf2Hex", kPositive},
    {"PBE_Scrypt", kNegated},
    {"PBE_ScryptHex", kNegated},
    // RNG_
    {"RNG_KeyBytes", kPositive},
    {"RNG_KeyHex", kPositive},
    {"RNG_NonceData", kPositive},
    {"RNG_NonceDataHex", kPositive},
    {"RNG_Number", kZero},
    {"RNG_Initialize", kNegated},
    {"RNG_MakeSeedFile", kNegated},
    {"RNG_UpdateSeedFile", kNegated},
    {"RNG_Test", kNegated},
    {"RNG_TestDRBGVS", kNegated},
    {"RNG_BytesWithPrompt", kPositive},
    {"RNG_HexWithPrompt", kPositive},
    // AEAD_
    {"AEAD_Encrypt", kNegated},
    {"AEAD_Decrypt", kNegated},
    {"AEAD_EncryptWithTag", kNegated},
    {"AEAD_DecryptWithTag", kNegated},
    {"AEAD_InitKey", kZero},
    {"AEAD_SetNonce", kNegated},
    {"AEAD_AddAAD", kNegated},
    {"AEAD_StartEncrypt", kNegated},
    {"AEAD_StartDecrypt", kNegated},
    {"AEAD_Update", kNegated},
    {"AEAD_FinishEncrypt", kNegated},
    {"AEAD_FinishDecrypt", kNegated},
    {"AEAD_Destroy", kNegated},
    // GCM_
    {"GCM_Encrypt", kNegated},
    {"GCM_Decrypt", kNegated},
    {"GCM_InitKey", kZero},
    {"GCM_NextEncrypt", kNegated},
    {"GCM_NextDecrypt", kNegated},
    {"GCM_FinishKey", kNegated},
    // CIPHER_ (the generic interface, key wrap and the stream ciphers)
    {"CIPHER_EncryptBytes", kNegated},
    {"CIPHER_DecryptBytes", kNegated},
    {"CIPHER_EncryptBytes2", kNegated},
    {"CIPHER_DecryptBytes2", kNegated},
    {"CIPHER_EncryptHex", kNegated},
    {"CIPHER_DecryptHex", kNegated},
    {"CIPHER_Init", kZero},
    {"CIPHER_InitHex", kZero},
    {"CIPHER_Update", kNegated},
    {"CIPHER_UpdateHex", kNegated},
    {"CIPHER_Final", kNegated},
    {"CIPHER_KeyWrap", kNegated},
    {"CIPHER_KeyUnwrap", kNegated},
    {"CIPHER_StreamBytes", kNegated},
    {"CIPHER_StreamHex", kNegated},
    {"CIPHER_StreamFile", kNegated},
    {"CIPHER_StreamInit", kZero},
    {"CIPHER_StreamUpdate", kNegated},
    {"CIPHER_StreamFinal", kNegated},
    // PAD_
    {"PAD_BytesBlock", kNegated},
    {"PAD_UnpadBytes", kNegated},
    {"PAD_HexBlock", kNegated},
    {"PAD_UnpadHex", kNegated},
    // PC1_
    {"PC1_Bytes", kPositive},
    {"PC1_File", kPositive},
    {"PC1_Hex", kPositive},
    // The file functions of the block families (positive codes)
    {"AES128_File", kPositive},
    {"AES128_FileExt", kPositive},
    {"AES128_FileHex", kPositive},
    {"AES192_File", kPositive},
    {"AES192_FileExt", kPositive},
    {"AES192_FileHex", kPositive},
    {"AES256_File", kPositive},
    {"AES256_FileExt", kPositive},
    {"AES256_FileHex", kPositive},
    {"DES_File", kPositive},
    {"DES_FileExt", kPositive},
    {"DES_FileHex", kPositive},
    {"TDEA_File", kPositive},
    {"TDEA_FileExt", kPositive},
    {"TDEA_FileHex", kPositive},
    {"BLF_File", kPositive},
    {"BLF_FileExt", kPositive},
    {"BLF_FileHex", kPositive},
    // CIPHER_ files, compression, CRC-32, wiping
    {"CIPHER_FileEncrypt", kNegated},
    {"CIPHER_FileDecrypt", kNegated},
    {"COMPR_Compress", kNegated},
    {"COMPR_Uncompress", kNegated},
    {"ZLIB_Deflate", kNegated},
    {"ZLIB_Inflate", kNegated},
    {"CRC_Bytes", kZero},
    {"CRC_String", kZero},
    {"CRC_File", kZero},
    {"WIPE_Data", kPositive},
    {"WIPE_File", kPositive},
};

int32_t refused_result(Refusal r) {
    switch (r) {
        case kPositive:
        case kUnframedPositive:
            return TEST_FAILED_ERROR;
        case kNegated:
        case kUnframedNegated:
            return -TEST_FAILED_ERROR;
        default:
            return 0;
    }
}
bool records(Refusal r) { return r == kPositive || r == kNegated || r == kZero; }

// Calls fn with a value-initialised argument of each parameter type: null
// pointers and zeros.
template <typename... Args>
int32_t call_with_zeros(int32_t (*fn)(Args...)) {
    return fn(Args{}...);
}

struct ExportCall {
    const char* name;
    // The result, or false when the library does not export the name.
    bool (*call)(const lt::LoadedModule&, int32_t*);
};

#define TESSALIB_EXPORT(name)                                                \
    {#name, [](const lt::LoadedModule& m, int32_t* result) {                \
         auto fn = LT_EXPORT(m, name);                                       \
         if (fn == nullptr) return false;                                    \
         *result = call_with_zeros(fn);                                      \
         return true;                                                        \
     }},
const ExportCall kAllExports[] = {TESSALIB_ALL_EXPORTS(TESSALIB_EXPORT)};
#undef TESSALIB_EXPORT
static_assert(sizeof kAllExports / sizeof kAllExports[0] == TESSALIB_EXPORT_COUNT, "one call per export");

bool is_api(const char* name) { return std::strncmp(name, "API_", 4) == 0; }

}  // namespace

TEST(ModuleFailedState, EveryExportOfTheHeaderRefusesInItsFamilysSign) {
    tu::TempDir dir;
    const int rc = lt::run_in_child([&] {
        lt::use_error_log_in(dir.path());
        setenv("TESSALIB_TEST_FAULT", "sha1", 1);
        lt::LoadedModule m(lt::faults_library());
        if (!m.loaded()) {
            std::fprintf(stderr, "load failed: %s\n", m.error().c_str());
            return 1;
        }
        std::map<std::string, Refusal> expected;
        for (const ExpectedRefusal& e : kRefusals) expected[e.name] = e.refusal;
        auto error_code = LT_EXPORT(m, API_ErrorCode);
        auto platform = LT_EXPORT(m, API_Platform);  // clears the last error
        int failures = 0;
        for (const ExportCall& c : kAllExports) {
            if (is_api(c.name)) continue;  // they answer: ApiExportsAnswer
            const auto row = expected.find(c.name);
            if (row == expected.end()) {
                std::fprintf(stderr, "%s: no row in kRefusals (tests/lifecycle/refusals_test.cpp)\n", c.name);
                ++failures;
                continue;
            }
            platform(nullptr, 0);
            int32_t result = 0;
            if (!c.call(m, &result)) {
                std::fprintf(stderr, "%s: declared in the header but not exported\n", c.name);
                ++failures;
                continue;
            }
            const int32_t want = refused_result(row->second);
            const int32_t want_error = records(row->second) ? TEST_FAILED_ERROR : 0;
            const int32_t last_error = error_code();
            if (result != want || last_error != want_error) {
                std::fprintf(stderr, "%s: gave %d with last error %d; a refusal gives %d with last error %d\n",
                             c.name, result, last_error, want, want_error);
                ++failures;
            }
        }
        for (const ExpectedRefusal& e : kRefusals) {
            bool declared = false;
            for (const ExportCall& c : kAllExports) declared = declared || std::strcmp(c.name, e.name) == 0;
            if (!declared) {
                std::fprintf(stderr, "%s: a row in kRefusals, but not declared in the header\n", e.name);
                ++failures;
            }
        }
        return failures == 0 ? 0 : 1;
    });
    EXPECT_EQ(rc, 0) << "the exports listed above do not refuse in the failed state";
}

TEST(ModuleFailedState, ApiExportsAnswer) {
    tu::TempDir dir;
    const int rc = lt::run_in_child([&] {
        lt::use_error_log_in(dir.path());
        setenv("TESSALIB_TEST_FAULT", "aes", 1);
        lt::LoadedModule m(lt::faults_library());
        if (!m.loaded()) return 1;
        int failures = 0;
        auto check = [&](bool ok, const char* what) {
            if (!ok) {
                std::fprintf(stderr, "failed: %s\n", what);
                ++failures;
            }
        };
        auto error_code = LT_EXPORT(m, API_ErrorCode);
        // A refused framed call leaves 23 for API_ErrorCode and API_ErrorLookup.
        check(LT_EXPORT(m, HASH_Length)(0) == -TEST_FAILED_ERROR, "HASH_Length refuses");
        check(error_code() == TEST_FAILED_ERROR, "the last error is 23");
        char text[128] = "";
        check(LT_EXPORT(m, API_ErrorLookup)(text, 127, error_code()) > 0 &&
                  std::strstr(text, "TEST_FAILED_ERROR") != nullptr,
              "API_ErrorLookup");
        check(LT_EXPORT(m, API_Version)() == 62201, "API_Version");
        check(LT_EXPORT(m, API_CompileTime)(text, 127) == 20, "API_CompileTime");
        check(error_code() == TEST_FAILED_ERROR, "unframed API_ exports keep the last error");
        const int32_t path_len = LT_EXPORT(m, API_ModuleName)(text, 127, 0);
        check(path_len > 0 && std::strstr(text, "libtessalib_faults") != nullptr, "API_ModuleName gives the path");
        check(LT_EXPORT(m, API_ModuleInfo)(text, 127) > 0, "API_ModuleInfo");
        check(LT_EXPORT(m, API_Platform)(text, 127) == 3 && std::strcmp(text, "X64") == 0, "API_Platform");
        check(error_code() == 0, "API_Platform clears the last error");
        // The tests can be run again: the failing one reports again.
        check(LT_EXPORT(m, API_PowerUpTests)() == -TEST_FAILED_ERROR, "API_PowerUpTests fails");
        check(lt::logged_events(dir.path()) == "c0001f44 c0001f40 c0001f44", "the reports");
        check(LT_EXPORT(m, AES128_Hex)(text, "", "", 1) == TEST_FAILED_ERROR, "still refusing");
        return failures;
    });
    EXPECT_EQ(rc, 0);
}
