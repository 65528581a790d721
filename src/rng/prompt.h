// The keyboard-entropy prompt: the user types (and, in the dialog, moves the
// mouse) until the credit reaches the target strength; what was typed and
// when is hashed into a 64-byte digest for the generator.
#pragma once
#include <cstddef>
#include <cstdint>

#include "hash/sha512.h"

// The target in bits of a prompt option word (low four bits 1, 2, 3: 128,
// 192, 256; anything else 112).
int32_t prompt_target(int32_t options) noexcept;

// The credits of the dialog form, and the hash of the events they count.
struct PromptCredit {
    Sha512State sha;
    double credit;
    int32_t target;
    uint32_t keys;          // key events counted
    uint32_t mice;          // mouse events counted
    uint32_t last_scan;     // scan code of the last credited key (bits 16-23)
    uint32_t last_key_ms;
    int32_t has_key;
    int32_t last_x, last_y;
    uint32_t last_mouse_ms;
    int32_t has_mouse;
};
void prompt_credit_start(PromptCredit* c, int32_t target) noexcept;
// A key message (scan: bits 16 to 31 of lParam) at tick ms: hashed, counted
// and credited (0.75 for a key-up; for a key-down only when its scan code
// differs from the last credited key's and 101 ms or more have passed).
// True when credited.
bool prompt_credit_key(PromptCredit* c, uint32_t scan, bool down, uint32_t ms) noexcept;
// A mouse message at a screen point: 0.375 for a button press; for a move
// only to another point, 101 ms or more after the last credited mouse event.
bool prompt_credit_mouse(PromptCredit* c, int32_t x, int32_t y, bool move, uint32_t ms) noexcept;

// Runs the prompt (the console form, or the dialog) and writes the digest.
// Returns the credit reached, in whole bits.
int32_t rng_prompt(uint8_t digest[64], int32_t target, const char* prompt, bool console) noexcept;

// The console form on its own (also what the dialog falls back on where the
// system has no dialogs).
int32_t rng_console_prompt(uint8_t digest[64], int32_t target, const char* prompt) noexcept;

struct RngState;
// Steps of the prompt exports after their argument checks: the system events
// of a slow stir (sources 0 to 4), the prompt for the target of options
// (RNG_OPT_CONSOLE_PROMPT: the console), a fast stir. Writes the digest.
void rng_prompt_digest(RngState* st, uint8_t digest[64], const char* prompt, int32_t options) noexcept;
// A 500 ms wait, rng_prompt_digest, then n bytes from the generator with the
// digest as additional input (a generator failure ends the process).
void rng_prompt_bytes(RngState* st, uint8_t* out, std::size_t n, const char* prompt, int32_t options) noexcept;
