// SHAKE and Ascon-XOF over the sponge engines, and the XOF dispatcher.
#include "hash/xof.h"

#include "core/wipe.h"
#include "hash/ascon.h"
#include "hash/keccak.h"
#include "hash/mgf1.h"
#include "tessalib.h"

namespace {
constexpr uint8_t kShakeDomain = 0x1F;  // SHAKE bits 1 1 1 1, then the first padding bit
}

void shake_bytes(uint8_t* out, std::size_t out_len, const uint8_t* msg, std::size_t msg_len, uint32_t rate) noexcept {
    KeccakSponge sp;
    keccak_init(&sp, rate);
    if (msg_len != 0) keccak_absorb(&sp, msg, msg_len);
    keccak_pad(&sp, kShakeDomain);
    if (out_len != 0) keccak_squeeze(&sp, out, out_len);
    secure_wipe_obj(sp);
}

void ascon_xof_bytes(uint8_t* out, std::size_t out_len, const uint8_t* msg, std::size_t msg_len, bool a) noexcept {
    AsconHashState st;
    ascon_hash_init(&st, a ? AsconHashKind::xofa : AsconHashKind::xof);
    if (msg_len != 0) ascon_hash_update(&st, msg, msg_len);
    if (out_len != 0) ascon_xof_squeeze(&st, out, out_len);
    secure_wipe_obj(st);
}

int64_t xof_bytes(uint8_t* out, std::size_t out_len, const uint8_t* msg, std::size_t msg_len,
                  uint32_t option) noexcept {
    if ((option & 0xFF0) == XOF_MGF1_SHA1) return mgf1(out, out_len, msg, msg_len, option & 0xF);
    switch (option & 0xFFF) {
        case XOF_SHAKE128:
            shake_bytes(out, out_len, msg, msg_len, 168);
            break;
        case XOF_SHAKE256:
            shake_bytes(out, out_len, msg, msg_len, 136);
            break;
        case XOF_ASCON_XOF:
            ascon_xof_bytes(out, out_len, msg, msg_len, false);
            break;
        case XOF_ASCON_XOFA:
            ascon_xof_bytes(out, out_len, msg, msg_len, true);
            break;
        default:
            return -BAD_FLAG_ERROR;
    }
    return static_cast<int64_t>(out_len);
}
