// Entropy samples taken at the entry of listed exports.
#pragma once

struct RngState;

enum RngStirMode { RNG_STIR_FAST = 0, RNG_STIR_SLOW = 1 };

// Takes an entropy sample for the thread's generator. Never changes a result.
void RngStir(RngState* state, int mode) noexcept;
