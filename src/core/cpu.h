// Processor features the engines choose their fast paths by. Probed once;
// every flag is false on processors other than x86-64.
#pragma once

struct CpuFeatures {
    bool ssse3;
    bool sse41;
    bool sha;   // the SHA-1/SHA-256 extensions
    bool bmi1;
    bool bmi2;
    bool avx2;      // with the operating system saving the 256-bit registers
    bool avx512vl;  // AVX-512 F and VL, with the system saving the 512-bit state
    bool avx512;    // AVX-512 F, BW and VL, with the system saving the 512-bit state
};

const CpuFeatures& cpu_features() noexcept;
