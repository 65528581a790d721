// MD2 engine (RFC 1319).
#include "hash/md2.h"

#include <cstring>

#include "core/wipe.h"

namespace {

// The substitution built from the digits of pi.
constexpr uint8_t kPiSubst[256] = {
    41,  46,  67,  201, 162, 216, 124, 1,   61,  54,  84,  161, 236, 240, 6,   19,
    98,  167, 5,   243, 192, 199, 115, 140, 152, 147, 43,  217, 188, 76,  130, 202,
    30,  155, 87,  60,  253, 212, 224, 22,  103, 66,  111, 24,  138, 23,  229, 18,
    190, 78,  196, 214, 218, 158, 222, 73,  160, 251, 245, 142, 187, 47,  238, 122,
    169, 104, 121, 145, 21,  178, 7,   63,  148, 194, 16,  137, 11,  34,  95,  33,
    128, 127, 93,  154, 90,  144, 50,  39,  53,  62,  204, 231, 191, 247, 151, 3,
    255, 25,  48,  179, 72,  165, 181, 209, 215, 94,  146, 42,  172, 86,  170, 198,
    79,  184, 56,  210, 150, 164, 125, 182, 118, 252, 107, 226, 156, 116, 4,   241,
    69,  157, 112, 89,  100, 113, 135, 32,  134, 91,  207, 101, 230, 45,  168, 2,
    27,  96,  37,  173, 174, 176, 185, 246, 28,  70,  97,  105, 52,  64,  126, 15,
    85,  71,  163, 35,  221, 81,  175, 58,  195, 92,  249, 206, 186, 197, 234, 38,
    44,  83,  13,  110, 133, 40,  132, 9,   211, 223, 205, 244, 65,  129, 77,  82,
    106, 220, 55,  200, 108, 193, 171, 250, 36,  225, 123, 8,   12,  189, 177, 74,
    120, 136, 149, 139, 227, 99,  232, 109, 233, 203, 213, 254, 59,  0,   29,  57,
    242, 239, 183, 14,  102, 88,  208, 228, 166, 119, 114, 248, 235, 117, 75,  10,
    49,  68,  80,  180, 143, 237, 31,  26,  219, 153, 141, 51,  159, 17,  131, 20,
};

void md2_block(Md2State* st, const uint8_t* block) noexcept {
    for (int i = 0; i < 16; ++i) {
        st->x[16 + i] = block[i];
        st->x[32 + i] = static_cast<uint8_t>(block[i] ^ st->x[i]);
    }
    unsigned t = 0;
    for (unsigned round = 0; round < 18; ++round) {
        for (int k = 0; k < 48; ++k) {
            st->x[k] = static_cast<uint8_t>(st->x[k] ^ kPiSubst[t]);
            t = st->x[k];
        }
        t = (t + round) & 0xFF;
    }
    uint8_t l = st->checksum[15];
    for (int i = 0; i < 16; ++i) {
        st->checksum[i] = static_cast<uint8_t>(st->checksum[i] ^ kPiSubst[block[i] ^ l]);
        l = st->checksum[i];
    }
}

}  // namespace

void md2_init(Md2State* st) noexcept { std::memset(st, 0, sizeof *st); }

void md2_update(Md2State* st, const uint8_t* data, std::size_t len) noexcept {
    while (len != 0) {
        std::size_t take = 16 - st->buf_len;
        if (take > len) take = len;
        if (st->buf_len == 0 && take == 16) {
            md2_block(st, data);
        } else {
            std::memcpy(st->buf + st->buf_len, data, take);
            st->buf_len += static_cast<uint32_t>(take);
            if (st->buf_len == 16) {
                md2_block(st, st->buf);
                st->buf_len = 0;
            }
        }
        data += take;
        len -= take;
    }
}

void md2_final(Md2State* st, uint8_t* out) noexcept {
    const uint8_t pad = static_cast<uint8_t>(16 - st->buf_len);
    std::memset(st->buf + st->buf_len, pad, pad);
    md2_block(st, st->buf);
    uint8_t checksum[16];
    std::memcpy(checksum, st->checksum, 16);
    md2_block(st, checksum);
    std::memcpy(out, st->x, 16);
    secure_wipe(checksum, sizeof checksum);
    secure_wipe_obj(*st);
}
