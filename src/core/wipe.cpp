#include "core/wipe.h"

#include <cstring>

namespace {
// Calling memset through a volatile pointer keeps the optimiser from proving
// the store dead; the empty asm with a memory clobber is a second barrier.
void* (*volatile wipe_memset)(void*, int, std::size_t) = std::memset;
}  // namespace

void secure_wipe(void* p, std::size_t n) noexcept {
    if (p == nullptr || n == 0) return;
    wipe_memset(p, 0, n);
#if defined(__GNUC__) || defined(__clang__)
    __asm__ __volatile__("" : : "r"(p) : "memory");
#endif
}
