#include "core/seal.h"

#include <cstring>

#include "core/wipe.h"

namespace {

// The key of the seal. It is no secret: the seal tells a changed file from
// the one the build made, it does not authenticate the builder.
constexpr uint8_t kSealKey[32] = {'T', 'e', 's', 's', 'a', 'l', 'i', 'b', ' ', 'm', 'o', 'd', 'u', 'l', 'e', ' ',
                                  'i', 'n', 't', 'e', 'g', 'r', 'i', 't', 'y', ' ', 's', 'e', 'a', 'l', ' ', '1'};

// Hashes len bytes of data, or len zeros when data is null.
void absorb(SealScan* s, const uint8_t* data, std::size_t len) noexcept {
    if (len == 0) return;
    if (data != nullptr) {
        hmac_update(&s->mac, data, len);
    } else {
        static const uint8_t kZeros[kSealValueLen] = {};
        hmac_update(&s->mac, kZeros, len);
    }
    s->position += len;
}

// A whole marker ends here: the value follows.
void marker_found(SealScan* s) noexcept {
    if (s->records == 0) s->value_at = s->position;
    s->records += 1;
    s->zeros_left = kSealValueLen;
}

}  // namespace

// In writable data, so that the value the build writes is never one the
// compiler could have folded into code. The first byte of the marker occurs
// nowhere else in it.
__attribute__((used)) SealRecord g_seal_record = {
    {0xE7, 0x1A, 0x4D, 0x92, 0x3B, 0x60, 0xF5, 0x08, 0xA9, 0x2C, 0x77, 0xD1, 0x5E, 0x84, 0x36, 0xCB},
    {0},
};

const SealRecord* seal_record() noexcept {
    // Read through a pointer the optimiser cannot see through.
    const SealRecord* record = &g_seal_record;
    __asm__("" : "+r"(record));
    return record;
}

void seal_begin(SealScan* s, const uint8_t marker[kSealMarkerLen]) noexcept {
    std::memset(s, 0, sizeof *s);
    std::memcpy(s->marker, marker, kSealMarkerLen);
    hmac_init(&s->mac, kHashSha256, kSealKey, sizeof kSealKey);
}

void seal_feed(SealScan* s, const uint8_t* data, std::size_t len) noexcept {
    std::size_t i = 0;
    while (i < len) {
        if (s->zeros_left > 0) {
            const std::size_t n = len - i < s->zeros_left ? len - i : s->zeros_left;
            absorb(s, nullptr, n);
            s->zeros_left -= static_cast<uint32_t>(n);
            i += n;
            continue;
        }
        // A marker begun in an earlier piece.
        std::size_t j = i;
        if (s->matched > 0) {
            while (j < len && s->matched < kSealMarkerLen && data[j] == s->marker[s->matched]) {
                ++j;
                ++s->matched;
            }
            if (s->matched == kSealMarkerLen) {
                absorb(s, data + i, j - i);
                s->matched = 0;
                marker_found(s);
                i = j;
                continue;
            }
            if (j == len) {
                absorb(s, data + i, j - i);
                return;
            }
            s->matched = 0;  // the first byte occurs once in the marker: search on from j
        }
        // The next candidate in this piece.
        for (;;) {
            const void* hit = std::memchr(data + j, s->marker[0], len - j);
            if (hit == nullptr) {
                absorb(s, data + i, len - i);
                return;
            }
            const std::size_t k = static_cast<std::size_t>(static_cast<const uint8_t*>(hit) - data);
            std::size_t m = 0;
            while (k + m < len && m < kSealMarkerLen && data[k + m] == s->marker[m]) ++m;
            if (m == kSealMarkerLen) {
                absorb(s, data + i, k + m - i);
                marker_found(s);
                i = k + m;
                break;
            }
            if (k + m == len) {  // the piece ends inside a candidate
                absorb(s, data + i, len - i);
                s->matched = static_cast<uint32_t>(m);
                return;
            }
            j = k + 1;
        }
    }
}

bool seal_end(SealScan* s, uint8_t seal[kSealValueLen], uint64_t* value_at) noexcept {
    hmac_final(&s->mac, seal);
    const bool ok = s->records == 1 && s->zeros_left == 0;
    *value_at = s->value_at;
    secure_wipe_obj(*s);
    return ok;
}
