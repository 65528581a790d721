// The AES and GHASH paths of this processor, for tests that compare them.
//
// The whole program can also be held to one path: with
// TESSALIB_TEST_AES_PATH=tables (or aesni) in its environment, engine_tests
// limits the engines to it before any test runs (cpu_limit_aes_path, the
// test programs' switch); ctest runs the AES, CMAC, GCM and AEAD suites so,
// once per path (tests/CMakeLists.txt).
#pragma once
#include <vector>

#include "core/cpu.h"

// The paths this processor can run, tables first, within the program's limit.
std::vector<AesPath> available_aes_paths();
const char* aes_path_name(AesPath p);

// Holds the engines to one path while in scope, then returns to the
// program's limit.
class AesPathScope {
public:
    explicit AesPathScope(AesPath p);
    ~AesPathScope();
    AesPathScope(const AesPathScope&) = delete;
    AesPathScope& operator=(const AesPathScope&) = delete;
};
