// GCM_Decrypt on arbitrary input: key, IV, AAD and tag lengths chosen by the
// input, the tag taken from it. It never crashes, never writes past its
// output, refuses tags shorter than 4 bytes, and never returns plaintext for
// a message that was not authentic: a success must give back the same
// ciphertext and tag when its plaintext is encrypted again; a failure leaves
// the output untouched.
//
// Input: byte 0 picks the key length (16, 24, 32, or a wrong one); byte 1 the
// IV length; byte 2 the AAD length; byte 3 the tag length; then the key, the
// IV, the AAD, the tag and the ciphertext.
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "tessalib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    static const int32_t kKeyLens[] = {16, 24, 32, 20};
    const int32_t key_len = kKeyLens[data[0] & 3];
    const int32_t iv_len = 1 + data[1] % 64;
    const std::size_t aad_len = data[2];
    const int32_t tag_len = data[3] % 21;  // 0 to 20
    data += 4, size -= 4;
    const std::vector<uint8_t> key = fuzz_take(data, size, static_cast<std::size_t>(key_len));
    const std::vector<uint8_t> iv = fuzz_take(data, size, static_cast<std::size_t>(iv_len));
    const std::vector<uint8_t> aad = fuzz_take(data, size, aad_len);
    std::vector<uint8_t> tag = fuzz_take(data, size, static_cast<std::size_t>(tag_len));
    tag.push_back(0);  // a real pointer for tagLen 0
    const std::vector<uint8_t> ct(data, data + size);
    const int32_t n = static_cast<int32_t>(ct.size());

    std::vector<uint8_t> out(ct.size() + 1, 0xA5);
    const int32_t rc = GCM_Decrypt(out.data(), n, ct.data(), n, key.data(), key_len, iv.data(), iv_len, aad.data(),
                                   static_cast<int32_t>(aad.size()), tag.data(), tag_len);
    if (tag_len < 4) {
        FUZZ_CHECK(rc == -BAD_LENGTH_ERROR);
    } else if (key_len == 20) {
        FUZZ_CHECK(rc == -BAD_KEY_LEN_ERROR);
    } else if (rc == 0) {
        std::vector<uint8_t> again(ct.size() + 1), tag_again(16);
        FUZZ_CHECK(GCM_Encrypt(again.data(), n, tag_again.data(), tag_len, out.data(), n, key.data(), key_len,
                               iv.data(), iv_len, aad.data(), static_cast<int32_t>(aad.size())) == 0);
        FUZZ_CHECK(ct.empty() || std::memcmp(again.data(), ct.data(), ct.size()) == 0);
        FUZZ_CHECK(std::memcmp(tag_again.data(), tag.data(), static_cast<std::size_t>(tag_len < 16 ? tag_len : 16)) ==
                   0);
        return 0;
    } else {
        FUZZ_CHECK(rc == -AUTH_FAIL_ERROR);
    }
    for (uint8_t b : out) FUZZ_CHECK(b == 0xA5);
    return 0;
}
