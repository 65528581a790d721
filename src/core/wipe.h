// One wipe for every secret: keys, schedules, keystream, plaintext, seeds.
#pragma once
#include <cstddef>

// Overwrites n bytes at p with zeros in a way the compiler cannot elide.
// A null p or n == 0 does nothing.
void secure_wipe(void* p, std::size_t n) noexcept;

// Wipes a whole object (a context record, a stack buffer).
template <typename T>
inline void secure_wipe_obj(T& obj) noexcept { secure_wipe(&obj, sizeof obj); }
