// The seal of a module file: the value the self-integrity test recomputes at
// load. It is an HMAC-SHA-256, under a fixed key, of every byte of the
// library's file except the 32 bytes of the stored value itself, which are
// read as zeros. The stored value sits in the library's data right after a
// 16-byte marker that occurs exactly once in the file; the build seals the
// library (tools/seal) by writing the value there, and nothing may change
// the file afterwards (no strip, no change of its run path).
//
// The computation runs over the file as a stream of pieces of any size, so
// the library reads its own file in small pieces and the build tool reads
// the same file the same way.
#pragma once
#include <cstddef>
#include <cstdint>

#include "hash/hmac.h"

constexpr std::size_t kSealMarkerLen = 16;
constexpr std::size_t kSealValueLen = 32;

// The record the library carries: the marker, then the value.
struct SealRecord {
    uint8_t marker[kSealMarkerLen];
    uint8_t value[kSealValueLen];
};

// The library's own record. Its value is all zeros until the build seals
// the file. (The build tool links this file too, and takes the marker from
// its own copy of the record: the marker is written down only here.)
const SealRecord* seal_record() noexcept;

struct SealScan {
    HmacState mac;
    uint8_t marker[kSealMarkerLen];
    uint64_t position;     // bytes fed so far
    uint64_t value_at;     // file offset of the stored value (first record)
    uint32_t records;      // markers found
    uint32_t matched;      // marker bytes matched at the end of the last piece
    uint32_t zeros_left;   // bytes still to be read as zeros
};

// Starts a scan for the given marker. The marker's first byte must not occur
// again in it.
void seal_begin(SealScan* scan, const uint8_t marker[kSealMarkerLen]) noexcept;
// Feeds the next piece of the file.
void seal_feed(SealScan* scan, const uint8_t* data, std::size_t len) noexcept;
// Finishes: writes the seal and the file offset of the stored value, and
// returns true when the marker occurred exactly once with its whole value in
// the file. The scan is wiped.
bool seal_end(SealScan* scan, uint8_t seal[kSealValueLen], uint64_t* value_at) noexcept;
