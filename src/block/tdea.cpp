// Triple DES. The three stages run back to back on the round form: the
// final permutation of one stage and the initial permutation of the next
// cancel, so only the halves are swapped between stages.
#include "block/tdea.h"

#include "block/cipher_modes.h"
#include "block/des_core.h"
#include "core/wipe.h"
#include "tessalib.h"

namespace {

DES_INLINE void tdea_words(uint32_t& hi, uint32_t& lo, const uint32_t (*ks)[32]) noexcept {
    uint32_t l = hi, r = lo;
    des_initial_perm(l, r);
    des_rounds(l, r, ks[0]);
    des_rounds(r, l, ks[1]);
    des_rounds(l, r, ks[2]);
    des_final_perm(l, r);
    hi = r;
    lo = l;
}

// Triple DES as the modes see it: the three schedules are built in the
// order the context's direction needs, so one block function serves both.
struct TdeaCipher : BlockCipher<2> {
    const uint32_t (*ks)[32];
    DES_INLINE void forward(Block& b) const noexcept { tdea_words(b[0], b[1], ks); }
    DES_INLINE void inverse(Block& b) const noexcept { tdea_words(b[0], b[1], ks); }
};

}  // namespace

int32_t TdeaSetup(TdeaContext* ctx, int32_t mode, const uint8_t* key, int32_t encrypt, const uint8_t* iv) noexcept {
    const int32_t rc = mode_setup_begin(ctx, mode, iv, true, key);
    if (rc != 0) return rc;
    if (!mode_runs_inverse(mode, encrypt)) {
        des_key_schedule(ctx->schedule[0], key, true);
        des_key_schedule(ctx->schedule[1], key + 8, false);
        des_key_schedule(ctx->schedule[2], key + 16, true);
    } else {
        des_key_schedule(ctx->schedule[0], key + 16, false);
        des_key_schedule(ctx->schedule[1], key + 8, true);
        des_key_schedule(ctx->schedule[2], key, false);
    }
    mode_start(ctx, mode, encrypt, iv);
    return 0;
}

int32_t TdeaUpdate(TdeaContext* ctx, uint8_t* output, const uint8_t* input, std::size_t len) noexcept {
    return mode_update(TdeaCipher{{}, ctx->schedule}, ctx->mode, ctx->direction != 0, ctx->reg, output, input, len);
}

int32_t TdeaCrypt(uint8_t* output, const uint8_t* input, int64_t length, const uint8_t* key, const uint8_t* iv,
                  int32_t encrypt, int32_t mode) noexcept {
    if (output == nullptr || input == nullptr || key == nullptr) return -NULL_ERROR;
    if (length < 0) return -BAD_PARAM_ERROR;
    return mode_one_shot<TdeaContext>(
        output, input, static_cast<std::size_t>(length),
        [&](TdeaContext* ctx) noexcept { return TdeaSetup(ctx, mode, key, encrypt, iv); }, TdeaUpdate);
}

void tdea_block(const TdeaContext* ctx, uint8_t out[8], const uint8_t in[8]) noexcept {
    uint32_t hi = load_be32(in), lo = load_be32(in + 4);
    tdea_words(hi, lo, ctx->schedule);
    store_be32(out, hi);
    store_be32(out + 4, lo);
}
