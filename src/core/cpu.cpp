#include "core/cpu.h"

#include <atomic>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <cpuid.h>

namespace {

// The register state the operating system saves on a context switch
// (XGETBV with ECX = 0), read only when CPUID says OSXSAVE is on.
uint64_t saved_state() noexcept {
    unsigned lo, hi;
    __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
    return (static_cast<uint64_t>(hi) << 32) | lo;
}

bool bit(unsigned reg, unsigned n) noexcept { return (reg & (1u << n)) != 0; }

CpuFeatures probe() noexcept {
    CpuFeatures f{};
    unsigned a, b, c, d;
    bool ymm = false, zmm = false;
    if (__get_cpuid(1, &a, &b, &c, &d)) {
        f.ssse3 = bit(c, 9);
        f.sse41 = bit(c, 19);
        f.aesni = bit(c, 25) && f.ssse3 && f.sse41;
        f.pclmul = bit(c, 1);
        // AVX needs the system to save XMM and YMM (XCR0 bits 1 and 2);
        // AVX-512 also the opmask and the upper ZMM halves (bits 5 to 7).
        if (bit(c, 27) && bit(c, 28)) {
            const uint64_t xcr0 = saved_state();
            ymm = (xcr0 & 0x6) == 0x6;
            zmm = ymm && (xcr0 & 0xE0) == 0xE0;
        }
    }
    if (__get_cpuid_count(7, 0, &a, &b, &c, &d)) {
        f.bmi1 = bit(b, 3);
        f.bmi2 = bit(b, 8);
        f.sha = bit(b, 29);
        f.avx2 = ymm && bit(b, 5);
        const bool avx512f = zmm && bit(b, 16);
        f.avx512vl = f.avx2 && avx512f && bit(b, 31);
        f.avx512 = avx512f && bit(b, 30) && bit(b, 31);
        f.vaes = f.avx2 && f.aesni && f.pclmul && bit(c, 9) && bit(c, 10);
    }
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

namespace {

AesPath probe_aes_path() noexcept {
    const CpuFeatures& f = cpu_features();
    if (!f.aesni || !f.pclmul) return AesPath::tables;
#if defined(TESSALIB_WIDE_VECTORS)
    return f.vaes ? AesPath::vaes : AesPath::aesni;
#else
    return AesPath::aesni;
#endif
}

std::atomic<uint8_t> g_limit{static_cast<uint8_t>(AesPath::vaes)};

}  // namespace

AesPath cpu_aes_path() noexcept {
    static const AesPath probed = probe_aes_path();
    const uint8_t limit = g_limit.load(std::memory_order_relaxed);
    return static_cast<uint8_t>(probed) < limit ? probed : static_cast<AesPath>(limit);
}

void cpu_limit_aes_path(AesPath most) noexcept { g_limit.store(static_cast<uint8_t>(most), std::memory_order_relaxed); }
