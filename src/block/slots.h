// Per-thread slots of the block-cipher families: one keyed context each, the
// live handle (0 when no context is open) and the code of the family's last
// failing _Init (0 after a success).
#pragma once
#include <cstdint>

#include "block/aes.h"
#include "block/blowfish.h"
#include "block/des.h"
#include "block/tdea.h"

struct AesSlot {  // shared by AES128_, AES192_ and AES256_
    AesContext ctx;
    uint32_t handle;
    int32_t initError;
};

struct DesSlot {
    DesContext ctx;
    uint32_t handle;
    int32_t initError;
};

struct TdeaSlot {
    TdeaContext ctx;
    uint32_t handle;
    int32_t initError;
};

struct BlfSlot {
    BlowfishContext ctx;
    uint32_t handle;
    int32_t initError;
};

struct CipherSlot {
    uint32_t handle;
};
