// The self-integrity test of the module: its own file, read through the
// platform layer and recomputed against the seal the build wrote into it
// (core/seal.h). Called by the power-up tests (core/power_up.h).
#pragma once

// True when the file's seal matches the value the module carries, or when
// the module is linked into a program (no file of its own to check). False
// when the file cannot be read, or it has been changed since it was sealed,
// or it was never sealed.
bool module_integrity_check() noexcept;
