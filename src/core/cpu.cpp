#include "core/cpu.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <cpuid.h>

namespace {
CpuFeatures probe() noexcept {
    CpuFeatures f{};
    unsigned a, b, c, d;
    if (__get_cpuid(1, &a, &b, &c, &d)) {
        f.ssse3 = (c & (1u << 9)) != 0;
        f.sse41 = (c & (1u << 19)) != 0;
    }
    if (__get_cpuid_count(7, 0, &a, &b, &c, &d)) {
        f.bmi1 = (b & (1u << 3)) != 0;
        f.bmi2 = (b & (1u << 8)) != 0;
        f.sha = (b & (1u << 29)) != 0;
    }
    // AVX2 and AVX-512 also need the operating system's support for the wide
    // registers, which the compiler's own check includes.
    __builtin_cpu_init();
    f.avx2 = __builtin_cpu_supports("avx2") != 0;
    f.avx512vl = f.avx2 && __builtin_cpu_supports("avx512f") != 0 && __builtin_cpu_supports("avx512vl") != 0;
    f.avx512 = __builtin_cpu_supports("avx512f") != 0 && __builtin_cpu_supports("avx512bw") != 0 &&
               __builtin_cpu_supports("avx512vl") != 0;
    return f;
}
}  // namespace

const CpuFeatures& cpu_features() noexcept {
    static const CpuFeatures features = probe();
    return features;
}

#else

const CpuFeatures& cpu_features() noexcept {
    static const CpuFeatures features{};
    return features;
}

#endif
