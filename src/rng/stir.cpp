#include "rng/stir.h"

// The generator has no entropy accumulator yet: a sample is a no-op.
void RngStir(RngState* /*state*/, int /*mode*/) noexcept {}
