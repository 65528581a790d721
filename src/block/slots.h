// Per-thread slots of the block-cipher families.
#pragma once
#include <cstdint>

struct AesSlot {
    uint32_t handle;
    int32_t initError;
};

struct DesSlot {
    uint32_t handle;
    int32_t initError;
};

struct TdeaSlot {
    uint32_t handle;
    int32_t initError;
};

struct BlfSlot {
    uint32_t handle;
    int32_t initError;
};

struct CipherSlot {
    uint32_t handle;
};
