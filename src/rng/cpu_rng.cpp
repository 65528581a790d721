#include "rng/cpu_rng.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <cpuid.h>

int32_t cpu_rng_probe() noexcept {
    unsigned a = 0, b = 0, c = 0, d = 0;
    const unsigned max_leaf = __get_cpuid_max(0, nullptr);
    int32_t caps = 0;
    if (max_leaf >= 1) {
        __cpuid(1, a, b, c, d);
        if ((c & (1u << 30)) != 0) caps |= 1;
    }
    if (max_leaf >= 7) {
        __cpuid_count(7, 0, a, b, c, d);
        if ((b & (1u << 18)) != 0) caps |= 2;
    }
    return caps == 0 ? -1 : caps;
}

// The register is zeroed first: a failed instruction leaves it as it was.
uint32_t cpu_rdrand32() noexcept {
    uint32_t v = 0;
    __asm__ volatile("rdrand %0" : "+r"(v) : : "cc");
    return v;
}
uint32_t cpu_rdseed32() noexcept {
    uint32_t v = 0;
    __asm__ volatile("rdseed %0" : "+r"(v) : : "cc");
    return v;
}

#else

int32_t cpu_rng_probe() noexcept { return -1; }
uint32_t cpu_rdrand32() noexcept { return 0; }
uint32_t cpu_rdseed32() noexcept { return 0; }

#endif
