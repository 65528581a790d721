// The processor's random-number instructions (RDRAND, RDSEED) on x86-64.
#pragma once
#include <cstdint>

// What the processor offers: bit 0 RDRAND, bit 1 RDSEED, or -1 for neither
// (and on other architectures). CPUID leaf 7 is read only when leaf 0
// reports it exists. Any vendor's processor that reports them is used.
int32_t cpu_rng_probe() noexcept;
// One 32-bit result; the carry flag is not consulted, so a failed
// instruction gives the zero the processor leaves in the register.
uint32_t cpu_rdrand32() noexcept;
uint32_t cpu_rdseed32() noexcept;
// The processor generator's word for the capability bits: RDSEED when bit 1
// is set, else RDRAND.
inline uint32_t cpu_rng_word(int32_t caps) noexcept {
    return (caps & 2) != 0 ? cpu_rdseed32() : cpu_rdrand32();
}
