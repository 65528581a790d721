// Per-thread slots of the authenticated and stream cipher families.
#pragma once
#include <cstdint>

struct GcmSlot {
    uint32_t handle;
};

struct StreamSlot {
    uint32_t handle;
};

struct AeadSlot {
    uint32_t handle;
};
