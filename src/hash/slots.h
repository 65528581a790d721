// Per-thread slots of the hash and MAC families.
#pragma once
#include <cstdint>

#include "hash/hash_engine.h"
#include "hash/hmac.h"

// SHA1_, SHA2_ and MD5_: the running digest and the handle (0 = empty).
struct Sha1Slot {
    HashState state;  // state.sha1
    uint32_t handle;
};

struct Sha2Slot {
    HashState state;  // state.sha256
    uint32_t handle;
};

struct Md5Slot {
    HashState state;  // state.md5
    uint32_t handle;
};

// SHA3_: the SHA-3 state (it records the digest size chosen at init).
struct Sha3Slot {
    HashState state;  // state.sha3
    uint32_t handle;
};

// HASH_: the code of the running algorithm, its state and the handle.
struct HashSlot {
    uint32_t code;
    HashState state;
    uint32_t handle;
};

// MAC_: the streaming HMAC (hash code, keyed state) and the handle.
struct MacSlot {
    uint32_t code;
    HmacState state;
    uint32_t handle;
};
