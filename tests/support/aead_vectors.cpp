#include "aead_vectors.h"

#include "vector_files.h"

namespace tv {

const char* const kNistGcmFiles[6] = {"gcmEncryptExtIV128.rsp", "gcmEncryptExtIV192.rsp", "gcmEncryptExtIV256.rsp",
                                      "gcmDecrypt128.rsp",      "gcmDecrypt192.rsp",      "gcmDecrypt256.rsp"};

std::vector<AeadCase> read_nist_gcm(const std::string& name) {
    std::vector<AeadCase> cases;
    for (const Record& r : read_vector_file(tu::pyca_vector_path("ciphers/AES/GCM/" + name))) {
        if (!r.has("Key")) continue;
        AeadCase c;
        c.key = r.bytes("Key");
        c.iv = r.bytes("IV");
        c.aad = r.bytes("AAD");
        c.ct = r.bytes("CT");
        c.tag = r.bytes("Tag");
        c.fail = !r.has("PT");
        if (!c.fail) c.pt = r.bytes("PT");
        c.where = r.where(name);
        cases.push_back(std::move(c));
    }
    return cases;
}

AeadCase wycheproof_aead_case(const json::Value& t, const std::string& file) {
    AeadCase c;
    c.key = tu::from_hex(t["key"].as_string());
    c.iv = tu::from_hex(t["iv"].as_string());
    c.aad = tu::from_hex(t["aad"].as_string());
    c.pt = tu::from_hex(t["msg"].as_string());
    c.ct = tu::from_hex(t["ct"].as_string());
    c.tag = tu::from_hex(t["tag"].as_string());
    c.fail = t["result"].as_string() == "invalid";
    c.where = file + " tcId " + std::to_string(t["tcId"].as_int());
    return c;
}

}  // namespace tv
