// Authenticated-encryption vectors as cases: the NIST CAVS GCM files
// (gcmEncryptExtIV*.rsp, gcmDecrypt*.rsp) of the pyca/cryptography vector
// collection, and the tests of Wycheproof's AEAD files.
#pragma once
#include <string>
#include <vector>

#include "json_lite.h"
#include "test_util.h"

namespace tv {

struct AeadCase {
    tu::Bytes key, iv, pt, aad, ct, tag;
    bool fail = false;  // a decryption case that must fail (FAIL instead of PT)
    std::string where;  // "file:line"
};

// Every case of one file, by its name in ciphers/AES/GCM/.
std::vector<AeadCase> read_nist_gcm(const std::string& name);

// The six files: encryption and decryption for 128-, 192- and 256-bit keys.
extern const char* const kNistGcmFiles[6];

// One test of a Wycheproof AEAD file (fields key, iv, aad, msg, ct, tag);
// fail is set for the tests whose result is "invalid".
AeadCase wycheproof_aead_case(const json::Value& test, const std::string& file);

}  // namespace tv
