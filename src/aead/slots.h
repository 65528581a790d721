// Per-thread slots of the authenticated and stream cipher families.
#pragma once
#include <cstdint>

#include "aead/aead_stream.h"
#include "aead/gcm.h"
#include "aead/stream_cipher.h"

// GCM_: the key block of GCM_InitKey (AES schedule and GHASH table) and the
// live handle (0 when no key is held). Wiped whole when the key ends or is
// replaced.
struct GcmSlot {
    GcmKey key;
    uint32_t handle;
};

// CIPHER_StreamInit and companions (CIPHER_StreamFile too): the stream
// context and the live handle (0 when none). Wiped whole when the stream
// ends or is replaced.
struct StreamSlot {
    StreamContext ctx;
    uint32_t handle;
};

// AEAD_: the incremental context and the live handle (0 when none). Wiped
// whole by AEAD_InitKey and AEAD_Destroy.
struct AeadSlot {
    AeadContext ctx;
    uint32_t handle;
};
