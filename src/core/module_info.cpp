#include "core/module_info.h"

// __DATE__ is "Mmm dd yyyy" with the day padded by a space, __TIME__ "hh:mm:ss".
const char kBuildTimestamp[kBuildTimestampLen + 1] = __DATE__ " " __TIME__;
static_assert(sizeof(__DATE__ " " __TIME__) == kBuildTimestampLen + 1, "the build timestamp is 20 characters");

const char kModuleInfoText[] =
    "Tessalib 6.22.01: cryptography library (AES, Triple DES, DES, Blowfish, AES-GCM, ChaCha20-Poly1305, Ascon, "
    "SHA-1, SHA-2, SHA-3, MD5, HMAC, CMAC, KMAC, PBKDF2, scrypt, HMAC_DRBG) for 64-bit Windows and Linux";

std::size_t module_info_text_len() noexcept { return sizeof kModuleInfoText - 1; }
