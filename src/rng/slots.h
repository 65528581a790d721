// The thread's random generator state.
#pragma once
#include <cstdint>

struct RngState {
    uint32_t reserved;
};
