// Processor features the engines choose their fast paths by. Probed once;
// every flag is false on processors other than x86-64.
#pragma once
#include <cstdint>

// Whether the 256-bit vector paths (AVX2, VAES, VPCLMULQDQ) are built. GCC
// for 64-bit Windows keeps the stack aligned to 16 bytes only, yet spills
// 256-bit values with aligned moves, which would fault; the Windows build
// has its assembler write every vector move in the unaligned form
// (-muse-unaligned-vector-move, cmake/windows.cmake, which then defines
// TESSALIB_UNALIGNED_VECTOR_MOVES), so that no spill can fault there either.
// scripts/test-windows.sh checks the DLL for aligned 256-bit moves.
#if !defined(_WIN32) || defined(TESSALIB_UNALIGNED_VECTOR_MOVES)
#define TESSALIB_WIDE_VECTORS 1
#endif

struct CpuFeatures {
    bool ssse3;
    bool sse41;
    bool sha;   // the SHA-1/SHA-256 extensions
    bool bmi1;
    bool bmi2;
    bool avx2;      // with the operating system saving the 256-bit registers
    bool avx512vl;  // AVX-512 F and VL, with the system saving the 512-bit state
    bool avx512;    // AVX-512 F, BW and VL, with the system saving the 512-bit state
    bool aesni;     // AES-NI (with SSSE3 and SSE4.1, which its paths also use)
    bool pclmul;    // PCLMULQDQ, the 64-bit carry-less multiply
    bool vaes;      // VAES and VPCLMULQDQ on 256-bit registers (with AVX2 and the system's support)
};

const CpuFeatures& cpu_features() noexcept;

// The instructions the AES engine (every mode, the key schedule, CMAC and
// what else is built on it) and GHASH run on. Chosen once, from the probe:
//   tables  32-bit round tables and the 4 KiB GHASH table of each key: for
//           processors without AES instructions;
//   aesni   AES-NI and PCLMULQDQ on 128-bit registers;
//   vaes    the same, and VAES / VPCLMULQDQ on 256-bit registers for the
//           paths that take several blocks at a time.
// The 256-bit paths are built only where TESSALIB_WIDE_VECTORS (below) says
// so; elsewhere the choice stops at aesni.
enum class AesPath : uint8_t { tables = 0, aesni = 1, vaes = 2 };

AesPath cpu_aes_path() noexcept;

// For the test programs only: the most the AES and GHASH engines may use
// from the next operation on (AesPath::tables forces the table path,
// AesPath::aesni the 128-bit one; AesPath::vaes lifts the limit, as at
// start). The shared library does not export it, and nothing the library
// reads from its environment sets it. Contexts keyed before a change stay
// usable: the key schedules are the same words on every path, and a GCM key
// remembers the path that built it.
void cpu_limit_aes_path(AesPath most) noexcept;
