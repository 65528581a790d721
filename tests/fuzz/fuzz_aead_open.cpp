// AEAD_DecryptWithTag on arbitrary input, and on messages sealed from the
// input and then altered (or not) at a place the input chooses. It never
// crashes, never writes past its output, and never returns plaintext for a
// message that was not authentic: a success must re-seal to the very input
// it was given; a failure leaves the output untouched (AES-GCM,
// ChaCha20-Poly1305) or zero (Ascon).
//
// Input: byte 0 picks the algorithm (low three bits), OPT_PREFIX_IV (0x08)
// and whether the message is sealed first (0x10); byte 1 is the AAD length;
// bytes 2 and 3 where to alter a sealed message (0xFFFF: leave it); then the
// key, the nonce, the AAD and the message (or the plaintext to seal).
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "tessalib.h"

namespace {

struct Alg {
    int32_t code;
    int32_t key_len;
    int32_t nonce_len;
};

const Alg kAlgs[] = {{AEAD_AES_128_GCM, 16, 12}, {AEAD_AES_256_GCM, 32, 12}, {AEAD_CHACHA20_POLY1305, 32, 12},
                     {AEAD_ASCON_128, 16, 16},   {AEAD_ASCON_128A, 16, 16}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    const uint8_t mode = data[0];
    const Alg& alg = kAlgs[(mode & 7) % 5];
    const bool prefix = (mode & 0x08) != 0, seal_first = (mode & 0x10) != 0;
    const std::size_t aad_len = data[1];
    const unsigned alter_at = static_cast<unsigned>(data[2]) << 8 | data[3];
    data += 4, size -= 4;
    const std::vector<uint8_t> key = fuzz_take(data, size, static_cast<std::size_t>(alg.key_len));
    const std::vector<uint8_t> nonce = fuzz_take(data, size, static_cast<std::size_t>(alg.nonce_len));
    const std::vector<uint8_t> aad = fuzz_take(data, size, aad_len);
    std::vector<uint8_t> message(data, data + size);
    const int32_t options = alg.code | (prefix ? OPT_PREFIX_IV : 0);
    const int32_t p = prefix ? alg.nonce_len : 0;

    bool authentic = false;
    std::vector<uint8_t> plaintext;
    if (seal_first) {
        plaintext = message;
        const int32_t n = AEAD_EncryptWithTag(nullptr, 0, plaintext.data(), static_cast<int32_t>(plaintext.size()),
                                              key.data(), alg.key_len, nonce.data(), alg.nonce_len, aad.data(),
                                              static_cast<int32_t>(aad.size()), options);
        FUZZ_CHECK(n == static_cast<int32_t>(plaintext.size()) + 16 + p);
        message.assign(static_cast<std::size_t>(n), 0);
        FUZZ_CHECK(AEAD_EncryptWithTag(message.data(), n, plaintext.data(), static_cast<int32_t>(plaintext.size()),
                                       key.data(), alg.key_len, nonce.data(), alg.nonce_len, aad.data(),
                                       static_cast<int32_t>(aad.size()), options) == n);
        authentic = true;
        if (alter_at != 0xFFFF && !message.empty()) {
            message[alter_at % message.size()] ^= static_cast<uint8_t>(1u << (alter_at % 7));
            authentic = false;
        }
    }

    const int32_t in_len = static_cast<int32_t>(message.size());
    const int32_t text_len = in_len - p - 16;
    // An exact-size heap output, so the sanitizer sees any write past it.
    std::vector<uint8_t> out(text_len > 0 ? static_cast<std::size_t>(text_len) : 1, 0xA5);
    const int32_t rc = AEAD_DecryptWithTag(out.data(), static_cast<int32_t>(out.size()), message.data(), in_len,
                                           key.data(), alg.key_len, nonce.data(), alg.nonce_len, aad.data(),
                                           static_cast<int32_t>(aad.size()), options);
    if (text_len < 0) {
        FUZZ_CHECK(rc == -BAD_LENGTH_ERROR);
        return 0;
    }
    if (rc >= 0) {
        FUZZ_CHECK(rc == text_len);
        // Authentic: sealing the plaintext again gives the input back.
        std::vector<uint8_t> again(message.size());
        FUZZ_CHECK(AEAD_EncryptWithTag(again.data(), in_len, out.data(), text_len, key.data(), alg.key_len,
                                       prefix ? message.data() : nonce.data(), alg.nonce_len, aad.data(),
                                       static_cast<int32_t>(aad.size()), options) == in_len);
        FUZZ_CHECK(again == message);
        FUZZ_CHECK(!seal_first || authentic);
        if (seal_first && !plaintext.empty())
            FUZZ_CHECK(std::memcmp(out.data(), plaintext.data(), plaintext.size()) == 0);
        return 0;
    }
    FUZZ_CHECK(rc == -AUTH_FAIL_ERROR);
    FUZZ_CHECK(!authentic);
    const bool ascon = alg.code == AEAD_ASCON_128 || alg.code == AEAD_ASCON_128A;
    for (int32_t i = 0; i < text_len; ++i) FUZZ_CHECK(out[static_cast<std::size_t>(i)] == (ascon ? 0 : 0xA5));
    return 0;
}
