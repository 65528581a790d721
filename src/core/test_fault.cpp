// Compiled once per library, like the platform layer (see core/test_fault.h).
#include "core/test_fault.h"

#if defined(TESSALIB_TEST_FAULTS)
#include <cstring>

#include "platform/platform.h"

bool test_fault_chosen(const char* name) noexcept {
    const char* chosen = plat::env_value("TESSALIB_TEST_FAULT");
    return chosen != nullptr && std::strcmp(chosen, name) == 0;
}
#else
bool test_fault_chosen(const char*) noexcept { return false; }
#endif
