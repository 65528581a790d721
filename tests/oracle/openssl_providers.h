// OpenSSL's default and legacy providers (DES, Blowfish and RC4 live in the
// legacy one), loaded once by the first call and unloaded at exit.
#pragma once
#include <openssl/provider.h>

struct OsslProviders {
    OSSL_PROVIDER* base = OSSL_PROVIDER_load(nullptr, "default");
    OSSL_PROVIDER* legacy = OSSL_PROVIDER_load(nullptr, "legacy");
    ~OsslProviders() {
        if (legacy != nullptr) OSSL_PROVIDER_unload(legacy);
        if (base != nullptr) OSSL_PROVIDER_unload(base);
    }
};

// Loads both (once); true when the legacy provider is there.
inline bool ossl_legacy_loaded() {
    static const OsslProviders providers;
    return providers.legacy != nullptr;
}
