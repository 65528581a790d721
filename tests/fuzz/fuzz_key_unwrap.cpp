// CIPHER_KeyUnwrap on arbitrary input, and on keys wrapped from the input
// and then altered (or not) at a place the input chooses. It never crashes
// and never writes past its output; a success must wrap again to the very
// input (AES; Triple DES wraps with a fresh IV, so there the unwrap of the
// new wrap must give the same key), and a failure leaves the whole output
// zero.
//
// Input: byte 0 picks the algorithm (low two bits: Triple DES, AES-128,
// AES-192, AES-256) and whether a key is wrapped first (0x10); bytes 1 and 2
// where to alter a wrapped key (0xFFFF: leave it); then the KEK and the
// wrapped data (or the key data to wrap).
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "tessalib.h"

namespace {

struct Alg {
    int32_t field;
    int32_t kek_len;
};

const Alg kAlgs[] = {{CIPHER_ALG_TDEA, 24}, {CIPHER_ALG_AES128, 16}, {CIPHER_ALG_AES192, 24}, {CIPHER_ALG_AES256, 32}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const Alg& alg = kAlgs[data[0] & 3];
    const bool aes = alg.field != CIPHER_ALG_TDEA;
    const bool wrap_first = (data[0] & 0x10) != 0;
    const unsigned alter_at = static_cast<unsigned>(data[1]) << 8 | data[2];
    data += 3, size -= 3;
    const std::vector<uint8_t> kek = fuzz_take(data, size, static_cast<std::size_t>(alg.kek_len));
    std::vector<uint8_t> wrapped(data, data + size);

    bool authentic = false;
    std::vector<uint8_t> key;
    if (wrap_first) {
        key = wrapped;
        if (aes) key.resize(key.size() < 16 ? 16 : key.size() / 8 * 8);
        else key.resize(24);
        const int32_t n = CIPHER_KeyWrap(nullptr, 0, key.data(), static_cast<int32_t>(key.size()), kek.data(),
                                         alg.kek_len, alg.field);
        FUZZ_CHECK(n == static_cast<int32_t>(key.size()) + (aes ? 8 : 16));
        wrapped.assign(static_cast<std::size_t>(n), 0);
        FUZZ_CHECK(CIPHER_KeyWrap(wrapped.data(), n, key.data(), static_cast<int32_t>(key.size()), kek.data(),
                                  alg.kek_len, alg.field) == n);
        authentic = true;
        if (alter_at != 0xFFFF) {
            wrapped[alter_at % wrapped.size()] ^= static_cast<uint8_t>(1u << (alter_at % 8));
            authentic = false;
        }
    }

    const int32_t in_len = static_cast<int32_t>(wrapped.size());
    const bool length_ok = aes ? in_len >= 24 && in_len % 8 == 0 : in_len == 40;
    const int32_t key_len = aes ? in_len - 8 : 24;
    // An exact-size heap output, so the sanitizer sees any write past it.
    std::vector<uint8_t> out(length_ok ? static_cast<std::size_t>(key_len) : 1, 0xA5);
    const int32_t rc = CIPHER_KeyUnwrap(out.data(), static_cast<int32_t>(out.size()),
                                        wrapped.empty() ? out.data() : wrapped.data(), in_len, kek.data(),
                                        alg.kek_len, alg.field);
    if (!length_ok) {
        FUZZ_CHECK(rc == -BAD_LENGTH_ERROR);
        for (uint8_t x : out) FUZZ_CHECK(x == 0xA5);
        return 0;
    }
    if (rc == -1) {
        FUZZ_CHECK(!authentic);
        for (uint8_t x : out) FUZZ_CHECK(x == 0);
        return 0;
    }
    FUZZ_CHECK(rc == key_len);
    if (wrap_first) FUZZ_CHECK(out == key);
    std::vector<uint8_t> again(wrapped.size());
    FUZZ_CHECK(CIPHER_KeyWrap(again.data(), in_len, out.data(), rc, kek.data(), alg.kek_len, alg.field) == in_len);
    if (aes) {
        FUZZ_CHECK(again == wrapped);
    } else {
        std::vector<uint8_t> back(24);
        FUZZ_CHECK(CIPHER_KeyUnwrap(back.data(), 24, again.data(), 40, kek.data(), 24, alg.field) == 24);
        FUZZ_CHECK(back == out);
    }
    return 0;
}
