// Per-thread slots of the block-cipher families: one keyed context each, the
// live handle (0 when no context is open) and the code of the family's last
// failing _Init (0 after a success).
#pragma once
#include <cstdint>

#include "block/aes.h"
#include "block/blowfish.h"
#include "block/cipher_choice.h"
#include "block/des.h"
#include "block/tdea.h"

template <typename Context>
struct BlockSlot {
    Context ctx;        // keyed while `handle` is live, all zero otherwise
    uint32_t handle;    // the live handle; 0 when no context is open
    int32_t initError;  // the positive code of the last failing _Init; 0 after a success
};

using AesSlot = BlockSlot<AesContext>;  // shared by AES128_, AES192_ and AES256_
using DesSlot = BlockSlot<DesContext>;
using TdeaSlot = BlockSlot<TdeaContext>;
using BlfSlot = BlockSlot<BlowfishContext>;

// CIPHER_Init and companions: the keyed context (its algorithm field first,
// 0 when not keyed) and the live handle (0 when none). Wiped whole when the
// context ends or is replaced.
struct CipherSlot {
    CipherContext ctx;
    uint32_t handle;
};
