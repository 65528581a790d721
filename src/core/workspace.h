// The per-thread workspace: one slot per handle family, in a fixed order.
// Each subsystem declares its own slot records in its slots.h, so filling in
// a family's slot is a change to that subsystem only.
#pragma once
#include "aead/slots.h"
#include "block/slots.h"
#include "hash/slots.h"
#include "rng/slots.h"

struct ThreadWorkspace {
    AesSlot aes;        // AES128_/AES192_/AES256_
    DesSlot des;        // DES_
    TdeaSlot tdea;      // TDEA_
    BlfSlot blf;        // BLF_
    Sha1Slot sha1;      // SHA1_
    Sha2Slot sha2;      // SHA2_
    Md5Slot md5;        // MD5_
    Sha3Slot sha3;      // SHA3_
    GcmSlot gcm;        // GCM_
    StreamSlot stream;  // CIPHER_Stream*
    AeadSlot aead;      // AEAD_
    HashSlot hash;      // HASH_
    MacSlot mac;        // MAC_
    CipherSlot cipher;  // CIPHER_Init and companions
    RngState rng;       // the thread's random generator
};

// The per-thread block. Zero-filled when created.
struct ThreadState {
    uint32_t lastError;  // absolute value of the last failing call's code, 0 if none
    ThreadWorkspace workspace;
};
