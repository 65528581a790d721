#include "rng/prompt.h"

#include <cstdio>
#include <cstring>
#include <ctime>

#include "core/endian.h"
#include "core/wipe.h"
#include "platform/platform.h"
#include "rng/generator.h"
#include "rng/stir.h"
#include "tessalib.h"

namespace {

constexpr double kKeyCredit = 0.75;
constexpr double kMouseCredit = 0.375;
constexpr uint32_t kMinGapMs = 101;
constexpr const char* kDefaultConsolePrompt = "Please hit random keys then Enter until you reach 100%:";

void hash_words(Sha512State* sha, const uint32_t* words, std::size_t n) noexcept {
    uint8_t b[12];
    for (std::size_t i = 0; i < n; ++i) store_le32(b + 4 * i, words[i]);
    sha512_update(sha, b, 4 * n);
    secure_wipe(b, sizeof b);
}

uint32_t time_xor_clock() noexcept {
    return static_cast<uint32_t>(std::time(nullptr)) ^ static_cast<uint32_t>(std::clock());
}

void add_credit(PromptCredit* c, double amount) noexcept {
    c->credit += amount;
    if (c->credit > c->target) c->credit = c->target;
}

// The dialog's events go to the credits through the platform's prompt loop.
class DialogSink final : public plat::PromptSink {
public:
    explicit DialogSink(PromptCredit* c) noexcept : c_(c) {}
    bool key(uint32_t scan, bool down) noexcept override {
        return prompt_credit_key(c_, scan, down, plat::tick_ms());
    }
    bool mouse(int32_t x, int32_t y, bool move) noexcept override {
        return prompt_credit_mouse(c_, x, y, move, plat::tick_ms());
    }
    int32_t credit_bits() const noexcept override { return static_cast<int32_t>(c_->credit); }
    bool reached() const noexcept override { return c_->credit >= c_->target; }

private:
    PromptCredit* c_;
};

}  // namespace

int32_t prompt_target(int32_t options) noexcept {
    switch (options & 0xF) {
        case 1: return 128;
        case 2: return 192;
        case 3: return 256;
        default: return 112;
    }
}

void prompt_credit_start(PromptCredit* c, int32_t target) noexcept {
    std::memset(c, 0, sizeof *c);
    sha512_init(&c->sha);
    c->target = target;
}

bool prompt_credit_key(PromptCredit* c, uint32_t scan, bool down, uint32_t ms) noexcept {
    const uint32_t record[2] = {scan & 0xFFFF, ms};
    hash_words(&c->sha, record, 2);
    c->keys += 1;
    const uint32_t code = scan & 0xFF;
    bool credited = !down;
    if (down) credited = c->has_key == 0 || (code != c->last_scan && ms - c->last_key_ms >= kMinGapMs);
    if (!credited) return false;
    add_credit(c, kKeyCredit);
    c->last_scan = code;
    c->last_key_ms = ms;
    c->has_key = 1;
    return true;
}

bool prompt_credit_mouse(PromptCredit* c, int32_t x, int32_t y, bool move, uint32_t ms) noexcept {
    const uint32_t record[3] = {static_cast<uint32_t>(x), static_cast<uint32_t>(y), ms};
    hash_words(&c->sha, record, 3);
    c->mice += 1;
    bool credited = !move;
    if (move) {
        credited = c->has_mouse == 0 ||
                   ((x != c->last_x || y != c->last_y) && ms - c->last_mouse_ms >= kMinGapMs);
    }
    if (!credited) return false;
    add_credit(c, kMouseCredit);
    c->last_x = x;
    c->last_y = y;
    c->last_mouse_ms = ms;
    c->has_mouse = 1;
    return true;
}

int32_t rng_console_prompt(uint8_t digest[64], int32_t target, const char* prompt) noexcept {
    Sha512State sha;
    sha512_init(&sha);
    uint32_t record[2] = {0, time_xor_clock()};
    hash_words(&sha, record, 2);
    const char* text = prompt != nullptr && prompt[0] != '\0' ? prompt : kDefaultConsolePrompt;
    plat::console_write(text);
    plat::console_write("\n");

    double credit = 0;
    int32_t previous = 0;
    plat::console_begin();
    while (credit < target) {
        char line[32];
        std::snprintf(line, sizeof line, "\r%d%%", static_cast<int>(credit * 100 / target));
        plat::console_write(line);
        const int32_t key = plat::console_read_key();
        if (key < 0) break;  // end of input or a read error: go on with what was gathered
        record[0] = static_cast<uint32_t>(key);
        record[1] = time_xor_clock();
        hash_words(&sha, record, 2);
        if ((key & 0xFF) != (previous & 0xFF)) credit += kKeyCredit;
        previous = key;
    }
    plat::console_end();
    record[0] = time_xor_clock();
    hash_words(&sha, record, 1);
    sha512_final(&sha, digest);
    plat::console_write("\n");
    secure_wipe(record, sizeof record);
    return static_cast<int32_t>(credit);
}

int32_t rng_prompt(uint8_t digest[64], int32_t target, const char* prompt, bool console) noexcept {
    if (console) return rng_console_prompt(digest, target, prompt);
    PromptCredit c;
    prompt_credit_start(&c, target);
    const uint64_t now = plat::system_time_100ns();
    uint8_t start[16];
    store_le64(start, now);
    int32_t cursor[2];
    plat::cursor_position(cursor);
    store_le32(start + 8, static_cast<uint32_t>(cursor[0]));
    store_le32(start + 12, static_cast<uint32_t>(cursor[1]));
    sha512_update(&c.sha, start, sizeof start);
    DialogSink sink(&c);
    const int result = plat::prompt_dialog(&sink, target, prompt);
    if (result == plat::kDialogUseConsole) {
        secure_wipe_obj(c);
        return rng_console_prompt(digest, target, prompt);
    }
    const uint32_t counts[2] = {c.keys, c.mice};
    hash_words(&c.sha, counts, 2);
    sha512_final(&c.sha, digest);
    const int32_t reached = static_cast<int32_t>(c.credit);
    secure_wipe_obj(c);
    return reached;
}

void rng_prompt_digest(RngState* st, uint8_t digest[64], const char* prompt, int32_t options) noexcept {
    rng_stir_system_events(st);
    const bool console = (static_cast<uint32_t>(options) & RNG_OPT_CONSOLE_PROMPT) != 0;
    rng_prompt(digest, prompt_target(options), prompt, console);
    RngStir(st, RNG_STIR_FAST);
}

void rng_prompt_bytes(RngState* st, uint8_t* out, std::size_t n, const char* prompt, int32_t options) noexcept {
    plat::sleep_ms(500);
    uint8_t digest[64];
    rng_prompt_digest(st, digest, prompt, options);
    RngGenerateOrEnd(st, out, n, digest, sizeof digest);
    secure_wipe(digest, sizeof digest);
}
