// Context handles for every handle family, and the per-thread linear
// congruential generator behind them (the C runtime's rand, made per thread).
#pragma once
#include <cstdint>

// A fresh handle: odd, between 1 and 0x3FFFFFFF. The first request in the
// process seeds the calling thread's generator from its thread identifier and
// the clock; every other thread's generator starts from 1. Handles are tags
// that make a stale or foreign handle unlikely to match, not secrets.
uint32_t NewContextHandle() noexcept;

// True when `handle`, as a caller passed it, is the live handle `stored` of a
// family's slot. Never true for 0: a slot with no open context stores 0.
inline bool handle_is_live(uint32_t stored, int32_t handle) noexcept {
    return handle != 0 && static_cast<uint32_t>(handle) == stored;
}

// The calling thread's generator x := x * 214013 + 2531011 (mod 2^32).
// thread_rand returns bits 16 to 30 of the new state (0 to 32767);
// thread_rand_seed sets the state.
uint32_t thread_rand() noexcept;
void thread_rand_seed(uint32_t seed) noexcept;

// TinyMT32 (mat1 0x8F7011EE, mat2 0xFC78FF1F, tmat 0x3793FDFF): the
// standard initialisation with a seed (with its eight pre-iterations), and
// the tempered outputs in order.
struct TinyMt32 {
    uint32_t status[4];
};
void tinymt32_init(TinyMt32* t, uint32_t seed) noexcept;
uint32_t tinymt32_next(TinyMt32* t) noexcept;

// The first tempered output after the initialisation with `seed`.
uint32_t tinymt32_first(uint32_t seed) noexcept;

// One output of the handle generator before its masking: the first seeding
// in the process, two draws of the calling thread's generator, and the
// TinyMT32 output they seed. NewContextHandle masks it into a handle; the
// Triple DES key wrap takes its IV seed from it.
uint32_t handle_generator_output() noexcept;
