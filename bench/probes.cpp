#include "probes.h"

#include <openssl/crypto.h>
#include <sys/resource.h>
#include <x86intrin.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "rows.h"
#include "tessalib.h"

namespace bench {

uint64_t tsc_now() { return __rdtsc(); }

namespace {

double seconds_since(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Time-stamp counter ticks per second over a quarter of a second.
double tsc_hz() {
    const auto t0 = std::chrono::steady_clock::now();
    const uint64_t c0 = tsc_now();
    while (seconds_since(t0) < 0.25) {
    }
    const uint64_t c1 = tsc_now();
    return static_cast<double>(c1 - c0) / seconds_since(t0);
}

// Additions per second along one dependency chain: one addition per core
// cycle, so this is the core clock while the loop runs.
double core_hz() {
    constexpr uint64_t kTurns = 50'000'000;  // 8 additions each
    uint64_t x = 0;
    double best = 0;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const auto t0 = std::chrono::steady_clock::now();
        for (uint64_t i = 0; i < kTurns; ++i) {
            asm volatile(
                "add $1, %0\n\tadd $1, %0\n\tadd $1, %0\n\tadd $1, %0\n\t"
                "add $1, %0\n\tadd $1, %0\n\tadd $1, %0\n\tadd $1, %0"
                : "+r"(x));
        }
        const double hz = static_cast<double>(kTurns * 8) / seconds_since(t0);
        if (hz > best) best = hz;
    }
    return best;
}

std::string json_escape(const char* s) {
    std::string r;
    for (; *s; ++s) {
        if (*s == '"' || *s == '\\') r += '\\';
        r += (static_cast<unsigned char>(*s) < 0x20) ? ' ' : *s;
    }
    return r;
}

// Peak resident set size of this process in KiB. getrusage's ru_maxrss also
// counts the peak of the image the process was started from (the parent's
// memory before exec), so the peak of this image is read from VmHWM where
// the system has it, and getrusage serves where it has not.
long peak_rss_kib() {
    if (std::FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        long kib = -1;
        while (std::fgets(line, sizeof line, f) != nullptr) {
            if (std::strncmp(line, "VmHWM:", 6) == 0) {
                kib = std::strtol(line + 6, nullptr, 10);
                break;
            }
        }
        std::fclose(f);
        if (kib >= 0) return kib;
    }
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_maxrss;  // KiB on Linux
}

const uint8_t kKey[32] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16,
                          17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32};

// Feeds `total` bytes to a streaming context in chunks of one fixed buffer,
// so that the input itself takes no memory that grows with it.
template <typename Add>
bool feed(uint64_t total, Add add) {
    static uint8_t chunk[64 * 1024];
    for (std::size_t i = 0; i < sizeof chunk; ++i) chunk[i] = static_cast<uint8_t>(i * 131u + 7u);
    while (total > 0) {
        const int32_t n = static_cast<int32_t>(total < sizeof chunk ? total : sizeof chunk);
        if (add(chunk, n) != 0) return false;
        total -= static_cast<uint64_t>(n);
    }
    return true;
}

int print_rss(const char* name, const char* arg, int32_t rc) {
    std::printf("{\"case\": \"%s\", \"arg\": \"%s\", \"rc\": %d, \"maxrss_kib\": %ld}\n", name, arg,
                static_cast<int>(rc), peak_rss_kib());
    return rc < 0 ? 1 : 0;
}

}  // namespace

int run_clock_probe() {
    const double tsc = tsc_hz();
    const double core = core_hz();
#if defined(__clang__)
    const char* compiler = "clang " __clang_version__;
#elif defined(__GNUC__)
    const char* compiler = "gcc " __VERSION__;
#else
    const char* compiler = "unknown";
#endif
    std::printf("{\"tsc_ghz\": %.4f, \"core_ghz\": %.4f, \"compiler\": \"%s\", \"openssl\": \"%s\"}\n", tsc / 1e9,
                core / 1e9, json_escape(compiler).c_str(), json_escape(OpenSSL_version(OPENSSL_VERSION)).c_str());
    return 0;
}

// Cases:
//   baseline 0             the process with the library loaded, one tiny call
//   hash-stream BYTES      HASH_Init / HASH_AddBytes (64 KiB chunks) / HASH_Final, SHA-256
//   mac-stream BYTES       MAC_Init / MAC_AddBytes / MAC_Final, HMAC-SHA-256
//   sha3-stream BYTES      SHA3_Init / SHA3_AddBytes / SHA3_HexDigest, SHA3-256
//   hash-file BYTES PATH   HASH_File of PATH (a file of BYTES bytes), SHA-256
//   scrypt N               PBE_Scrypt with N, r = 8, p = 1
//   file-encrypt BYTES PATH  AES128_File of PATH (BYTES bytes) in CBC to /dev/null
int run_rss_case(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: --rss CASE ARG [PATH]\n");
        return 2;
    }
    const char* name = argv[0];
    const char* arg = argv[1];
    const uint64_t value = std::strtoull(arg, nullptr, 10);
    uint8_t out[64];
    char hex[129];
    if (std::strcmp(name, "baseline") == 0) {
        return print_rss(name, arg, HASH_Bytes(out, 64, kKey, 32, HASH_ALG_SHA256) == 32 ? 0 : -1);
    }
    if (std::strcmp(name, "hash-stream") == 0) {
        const int32_t h = HASH_Init(HASH_ALG_SHA256);
        bool ok = h != 0 && feed(value, [&](const uint8_t* p, int32_t n) { return HASH_AddBytes(h, p, n); });
        ok = ok && HASH_Final(out, 64, h) == 32;
        return print_rss(name, arg, ok ? 0 : -1);
    }
    if (std::strcmp(name, "mac-stream") == 0) {
        const int32_t h = MAC_Init(kKey, 32, MAC_HMAC_SHA256);
        bool ok = h != 0 && feed(value, [&](const uint8_t* p, int32_t n) { return MAC_AddBytes(h, p, n); });
        ok = ok && MAC_Final(out, 64, h) == 32;
        return print_rss(name, arg, ok ? 0 : -1);
    }
    if (std::strcmp(name, "sha3-stream") == 0) {
        const int32_t h = SHA3_Init(256);
        bool ok = h != 0 && feed(value, [&](const uint8_t* p, int32_t n) { return SHA3_AddBytes(h, p, n); });
        ok = ok && SHA3_HexDigest(hex, 128, h) == 64;
        return print_rss(name, arg, ok ? 0 : -1);
    }
    if (std::strcmp(name, "hash-file") == 0) {
        if (argc < 3) return 2;
        return print_rss(name, arg, HASH_File(out, 64, argv[2], HASH_ALG_SHA256) == 32 ? 0 : -1);
    }
    if (std::strcmp(name, "file-encrypt") == 0) {
        if (argc < 3) return 2;
        return print_rss(name, arg, AES128_File("/dev/null", argv[2], kKey, 1, "CBC", kKey + 16));
    }
    if (std::strcmp(name, "scrypt") == 0) {
        return print_rss(name, arg,
                         PBE_Scrypt(out, 32, kKey, 8, kKey + 8, 16, static_cast<int32_t>(value), 8, 1));
    }
    std::fprintf(stderr, "unknown memory case %s\n", name);
    return 2;
}

int run_verify() {
    int failures = 0;
    std::vector<uint8_t> in(16384 + 64), a(16384 + 64), b(16384 + 64);
    for (std::size_t i = 0; i < in.size(); ++i) in[i] = static_cast<uint8_t>(i * 197u + 11u);
    auto compare = [&](const char* name, std::size_t len, const OpFactory& ours, const OpFactory& ossl) {
        const std::size_t na = ours()(a.data(), in.data(), len);
        const std::size_t nb = ossl()(b.data(), in.data(), len);
        const bool same = na != 0 && na == nb && std::memcmp(a.data(), b.data(), na) == 0;
        std::printf("%-28s %6zu bytes: %s\n", name, len,
                    same ? "same result" : na == 0 ? "OUR CALL FAILED" : nb == 0 ? "OPENSSL CALL FAILED" : "DIFFERENT");
        if (!same) ++failures;
    };
    for (const Row& row : throughput_rows())
        if (row.openssl)
            for (std::size_t len : message_sizes()) compare(row.name, len, row.ours, row.openssl);
    for (const auto* rows : {&kdf_rows(), &tiny_rows()})
        for (const CallRow& row : *rows)
            if (row.openssl) compare(row.name, row.len, row.ours, row.openssl);
    return failures == 0 ? 0 : 1;
}

}  // namespace bench
