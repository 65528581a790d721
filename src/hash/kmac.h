// KMAC128 and KMAC256 (NIST SP 800-185): cSHAKE with the function name
// "KMAC" and the key absorbed as bytepad(encode_string(K), rate).
#pragma once
#include <cstddef>
#include <cstdint>

#include "hash/keccak.h"

struct KmacState {
    KeccakSponge sponge;
};

// Writes left_encode(x) / right_encode(x) of SP 800-185 into out (room for
// 9 bytes) and returns its length: the value in as few big-endian bytes as
// hold it (at least one, at most eight) with their count before it (left)
// or after it (right).
std::size_t kmac_left_encode(uint8_t out[9], uint64_t x) noexcept;
std::size_t kmac_right_encode(uint8_t out[9], uint64_t x) noexcept;

// Starts KMAC with a security strength of 128 or 256 bits (rate 168 or 136
// bytes; any other value is taken as 256), the key and the customization
// string custom[0..custom_len). Null pointers are allowed with length 0.
void kmac_init(KmacState* st, unsigned strength, const uint8_t* key, std::size_t key_len, const uint8_t* custom,
               std::size_t custom_len) noexcept;
void kmac_update(KmacState* st, const uint8_t* data, std::size_t len) noexcept;
// Ends the message with the output length L = 8 x out_len bits, writes
// out_len bytes and wipes the state.
void kmac_final(KmacState* st, uint8_t* out, std::size_t out_len) noexcept;

// One shot: KMAC with L = 8 x out_len over msg, with the key and the
// NUL-terminated customization string (null is the empty string). Writes
// exactly out_len bytes and returns out_len.
std::size_t kmac_bytes(uint8_t* out, std::size_t out_len, const uint8_t* msg, std::size_t msg_len, const uint8_t* key,
                       std::size_t key_len, const char* custom, unsigned strength) noexcept;
