// The known-answer tests' vectors and runners (core/power_up.h runs them in
// order). Each runner computes its primitive through the engine, never
// through an export, so a test run neither clears nor sets any thread's last
// error; every output is compared by kat_matches.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/power_up.h"

// The runners, by primitive.
bool kat_hash(KatId id) noexcept;      // SHA-1, SHA-2, SHA-3, MD5 (kat_hash.cpp)
bool kat_hmac(KatId id) noexcept;      // the six HMACs (kat_mac.cpp)
bool kat_cmac(KatId id) noexcept;      // CMAC-AES, CMAC-TDEA (kat_mac.cpp)
bool kat_tdea(KatId id) noexcept;      // kat_block.cpp
bool kat_aes(KatId id) noexcept;       // kat_block.cpp
bool kat_blowfish(KatId id) noexcept;  // kat_block.cpp
