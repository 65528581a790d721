// Context handles: a per-thread linear congruential generator seeds a
// TinyMT32 whose first output becomes the handle.
#include "block/handle.h"

#include <atomic>

#include "platform/platform.h"

namespace {

thread_local uint32_t t_rand_state = 1;
std::atomic<bool> g_seeded{false};

constexpr uint32_t kMat1 = 0x8F7011EEu;
constexpr uint32_t kMat2 = 0xFC78FF1Fu;
constexpr uint32_t kTmat = 0x3793FDFFu;

void tinymt_next_state(TinyMt32& t) noexcept {
    uint32_t y = t.status[3];
    uint32_t x = (t.status[0] & 0x7FFFFFFFu) ^ t.status[1] ^ t.status[2];
    x ^= x << 1;
    y ^= (y >> 1) ^ x;
    t.status[0] = t.status[1];
    t.status[1] = t.status[2];
    t.status[2] = x ^ (y << 10);
    t.status[3] = y;
    const uint32_t mask = 0u - (y & 1u);
    t.status[1] ^= mask & kMat1;
    t.status[2] ^= mask & kMat2;
}

uint32_t tinymt_temper(const TinyMt32& t) noexcept {
    uint32_t t0 = t.status[3];
    const uint32_t t1 = t.status[0] + (t.status[2] >> 8);
    t0 ^= t1;
    t0 ^= (0u - (t1 & 1u)) & kTmat;
    return t0;
}

}  // namespace

uint32_t thread_rand() noexcept {
    t_rand_state = t_rand_state * 214013u + 2531011u;
    return (t_rand_state >> 16) & 0x7FFFu;
}

void thread_rand_seed(uint32_t seed) noexcept { t_rand_state = seed; }

void tinymt32_init(TinyMt32* t, uint32_t seed) noexcept {
    *t = TinyMt32{{seed, kMat1, kMat2, kTmat}};
    for (uint32_t i = 1; i < 8; ++i) {
        const uint32_t prev = t->status[(i - 1) & 3];
        t->status[i & 3] ^= i + 1812433253u * (prev ^ (prev >> 30));
    }
    if ((t->status[0] & 0x7FFFFFFFu) == 0 && t->status[1] == 0 && t->status[2] == 0 && t->status[3] == 0) {
        t->status[0] = 'T';
        t->status[1] = 'I';
        t->status[2] = 'N';
        t->status[3] = 'Y';
    }
    for (int i = 0; i < 8; ++i) tinymt_next_state(*t);
}

uint32_t tinymt32_next(TinyMt32* t) noexcept {
    tinymt_next_state(*t);
    return tinymt_temper(*t);
}

uint32_t tinymt32_first(uint32_t seed) noexcept {
    TinyMt32 t;
    tinymt32_init(&t, seed);
    return tinymt32_next(&t);
}

uint32_t handle_generator_output() noexcept {
    if (!g_seeded.exchange(true)) {
        const uint32_t ms = plat::ms_since_start();
        const uint32_t secs = static_cast<uint32_t>(plat::unix_seconds());
        thread_rand_seed(plat::thread_id() | ((ms | (secs << 4)) << 16));
    }
    const uint32_t r1 = thread_rand();
    const uint32_t r2 = thread_rand();
    return tinymt32_first(((r1 | 4u) << 16) | r2);
}

uint32_t NewContextHandle() noexcept { return (handle_generator_output() & 0x3FFFFFFEu) | 1u; }
