// Data and references shared by the engine, export and fuzz tests of the
// generic cipher interface: RFC 3394's key wrap examples (section 4) and the
// padding schemes read as plainly as they are defined.
#pragma once
#include <cstdint>

#include "tessalib.h"

namespace cipher_vectors {

struct WrapExample {
    const char* kek;
    const char* key;
    const char* wrapped;
};

// RFC 3394 section 4.1 to 4.6.
inline constexpr WrapExample kRfc3394[] = {
    {"000102030405060708090A0B0C0D0E0F", "00112233445566778899AABBCCDDEEFF",
     "1FA68B0A8112B447AEF34BD8FB5A7B829D3E862371D2CFE5"},
    {"000102030405060708090A0B0C0D0E0F1011121314151617", "00112233445566778899AABBCCDDEEFF",
     "96778B25AE6CA435F92B5B97C050AED2468AB8A17AD84E5D"},
    {"000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F", "00112233445566778899AABBCCDDEEFF",
     "64E8C3F9CE0F5BA263E9777905818A2A93C8191E7D6E8AE7"},
    {"000102030405060708090A0B0C0D0E0F1011121314151617", "00112233445566778899AABBCCDDEEFF0001020304050607",
     "031D33264E15D33268F24EC260743EDCE1C6C7DDEE725A936BA814915C6762D2"},
    {"000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F",
     "00112233445566778899AABBCCDDEEFF0001020304050607",
     "A8F9BC1612C68B3FF6E6F4FBE30E71E4769C8B80A32CB8958CD5D17D6B254DA1"},
    {"000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F",
     "00112233445566778899AABBCCDDEEFF000102030405060708090A0B0C0D0E0F",
     "28C9F404C4B810F4CBCCB35CFB87F8263F5786E2D80ED326CBC7F0E71A99F43BFB988B9B7A02DD21"},
};

// The padding length the scheme of the padding field `field` finds at the
// end of the b bytes at `last` (one-and-zeroes, ANSI X9.23, W3C; any other
// value PKCS #5), or -1 when they are not valid padding.
inline int reference_padding(const uint8_t* last, int b, uint32_t field) {
    if (field == CIPHER_PAD_ONEANDZEROES) {
        for (int i = b - 1; i >= 0; --i) {
            if (last[i] == 0x80) return b - i;
            if (last[i] != 0) return -1;
        }
        return -1;
    }
    const int n = last[b - 1];
    if (n == 0 || n > b) return -1;
    for (int i = b - n; i < b - 1; ++i) {
        if (field == CIPHER_PAD_ANSIX923 && last[i] != 0) return -1;
        if (field != CIPHER_PAD_ANSIX923 && field != CIPHER_PAD_W3C && last[i] != n) return -1;
    }
    return n;
}

}  // namespace cipher_vectors
