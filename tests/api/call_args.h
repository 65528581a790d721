// The arguments of one AEAD_ or GCM_ call as the tables of check-order cases
// change them: each buffer with its length, and the option word.
#pragma once
#include <cstdint>
#include <functional>

struct OutArg {
    uint8_t* p;
    int32_t len;
};

struct InArg {
    const uint8_t* p;
    int32_t len;
};

struct CallArgs {
    OutArg output, tag;
    InArg input, key, nonce, aad;  // nonce: the IV of GCM_
    int32_t options;
};

// One row: what it checks, how it changes good arguments, the result wanted.
struct OrderCase {
    const char* what;
    std::function<void(CallArgs&)> change;
    int32_t want;
};
