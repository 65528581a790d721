// Per-thread slots of the hash and MAC families.
#pragma once
#include <cstdint>

#include "hash/hash_engine.h"
#include "hash/hmac.h"

// SHA1_, SHA2_, MD5_ and SHA3_: the running digest of the family's algorithm
// (the SHA-3 state records the digest size chosen at init) and the handle
// (0 = empty). One record serves the four families.
struct FixedHashSlot {
    HashState state;
    uint32_t handle;
};
using Sha1Slot = FixedHashSlot;
using Sha2Slot = FixedHashSlot;
using Md5Slot = FixedHashSlot;
using Sha3Slot = FixedHashSlot;

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
