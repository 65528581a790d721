#include "rng/fips_test.h"

#include "core/fatal.h"
#include "core/secret.h"
#include "platform/platform.h"
#include "rng/generator.h"
#include "tessalib.h"

const FipsRunLimits kFipsRunLimits[kFipsRunLengths] = {
    {2315, 2685}, {1114, 1386}, {527, 723}, {240, 384}, {103, 209}, {103, 209}};

namespace {

constexpr long kMonobitLower = 9725;
constexpr long kMonobitUpper = 10275;
constexpr double kPokerLower = 2.16;
constexpr double kPokerUpper = 46.17;
constexpr int kLongRun = 26;

const char* verdict(bool ok) noexcept { return ok ? "Passed" : "FAILED!"; }

}  // namespace

void fips_run(const uint8_t sample[kFipsSampleBytes], FipsResult* r) noexcept {
    *r = FipsResult{};
    long counts[16] = {0};
    int run_bit = -1, run_len = 0;
    auto end_run = [&]() {
        if (run_bit < 0) return;
        const int slot = run_len >= kFipsRunLengths ? kFipsRunLengths - 1 : run_len - 1;
        if (run_bit == 0) {
            r->gaps[slot] += 1;
            if (run_len > r->gmax) r->gmax = run_len;
        } else {
            r->blocks[slot] += 1;
            if (run_len > r->bmax) r->bmax = run_len;
        }
    };
    for (std::size_t i = 0; i < kFipsSampleBytes; ++i) {
        const uint8_t byte = sample[i];
        counts[byte >> 4] += 1;
        counts[byte & 15] += 1;
        for (int b = 7; b >= 0; --b) {
            const int bit = (byte >> b) & 1;
            r->n1 += bit;
            if (bit == run_bit) {
                run_len += 1;
            } else {
                end_run();
                run_bit = bit;
                run_len = 1;
            }
        }
    }
    end_run();  // the last run of the sample counts too

    double sum = 0;
    for (long c : counts) sum += static_cast<double>(c) * static_cast<double>(c);
    r->poker = 16.0 / 5000.0 * sum - 5000.0;

    r->monobit_ok = r->n1 > kMonobitLower && r->n1 < kMonobitUpper;
    r->poker_ok = r->poker > kPokerLower && r->poker < kPokerUpper;
    r->runs_ok = true;
    for (int i = 0; i < kFipsRunLengths; ++i) {
        const FipsRunLimits& l = kFipsRunLimits[i];
        r->run_ok[i] = r->gaps[i] >= l.lower && r->gaps[i] <= l.upper && r->blocks[i] >= l.lower &&
                       r->blocks[i] <= l.upper;
        r->runs_ok = r->runs_ok && r->run_ok[i];
    }
    r->long_runs_ok = r->gmax < kLongRun && r->bmax < kLongRun;
}

void fips_write_report(std::FILE* f, const uint8_t sample[kFipsSampleBytes], const FipsResult& r,
                       const char* stamp) noexcept {
    std::fprintf(f, "FIPS140-2 test for %d bits (%d bytes)", static_cast<int>(kFipsSampleBytes * 8),
                 static_cast<int>(kFipsSampleBytes));
    std::fprintf(f, " at %s\n", stamp);
    std::fprintf(f, "1. Monobits test n1 = %ld (%d - %d)\n", r.n1, static_cast<int>(kMonobitLower),
                 static_cast<int>(kMonobitUpper));
    std::fprintf(f, "   %s Monobits test.\n", verdict(r.monobit_ok));
    std::fprintf(f, "2. Poker test X = %.2lf (%.2lf - %.2lf)\n", r.poker, kPokerLower, kPokerUpper);
    std::fprintf(f, "   %s Poker test.\n", verdict(r.poker_ok));
    std::fprintf(f, "3. Runs test:\n");
    std::fprintf(f, "     Run len: ");
    for (int i = 1; i <= 5; ++i) std::fprintf(f, "%3d  ", i);
    std::fprintf(f, "  6+\n");
    std::fprintf(f, "     Gaps:   ");
    for (int i = 0; i < 5; ++i) std::fprintf(f, "%d, ", r.gaps[i]);
    std::fprintf(f, "%d\n", r.gaps[5]);
    std::fprintf(f, "     Blocks: ");
    for (int i = 0; i < 5; ++i) std::fprintf(f, "%d, ", r.blocks[i]);
    std::fprintf(f, "%d\n", r.blocks[5]);
    std::fprintf(f, "     Min:   (");
    for (int i = 0; i < 5; ++i) std::fprintf(f, "%d, ", kFipsRunLimits[i].lower);
    std::fprintf(f, "%d)\n", kFipsRunLimits[5].lower);
    std::fprintf(f, "     Avg:   (");
    for (int i = 0; i < 5; ++i) std::fprintf(f, "%d, ", (kFipsRunLimits[i].lower + kFipsRunLimits[i].upper) / 2);
    std::fprintf(f, "%d)\n", (kFipsRunLimits[5].lower + kFipsRunLimits[5].upper) / 2);
    std::fprintf(f, "     Max:   (");
    for (int i = 0; i < 5; ++i) std::fprintf(f, "%d, ", kFipsRunLimits[i].upper);
    std::fprintf(f, "%d)\n", kFipsRunLimits[5].upper);
    std::fprintf(f, "     Pass:    ");
    for (int i = 0; i < 5; ++i) std::fprintf(f, "%3c  ", r.run_ok[i] ? 'Y' : 'N');
    std::fprintf(f, "%3c\n", r.run_ok[5] ? 'Y' : 'N');
    std::fprintf(f, "   %s Runs test.\n", verdict(r.runs_ok));
    std::fprintf(f, "4. Long runs test: Gmax = %d Bmax = %d (%d)\n", r.gmax, r.bmax, kLongRun);
    std::fprintf(f, "   %s Long Run test.\n", verdict(r.long_runs_ok));
    std::fprintf(f, "%s FIPS140-2 test.\n", verdict(r.passed()));
    std::fprintf(f, "Test sample was:-\n");
    for (std::size_t i = 0; i < kFipsSampleBytes; ++i) {
        if (i != 0 && i % 25 == 0) std::fprintf(f, "\n");
        std::fprintf(f, "%02X", sample[i]);
    }
    std::fprintf(f, "\n");
    for (int i = 0; i < 50; ++i) std::fputc('*', f);
    std::fprintf(f, "\n");
}

int32_t rng_statistical_test(RngState* st, const char* report_file) noexcept {
    const int32_t health = RngHealthCheck(2);
    if (health != 0) return health;
    SecretBytes<kFipsSampleBytes> sample;
    const int32_t rc = RngGenerate(st, sample.bytes, sizeof sample.bytes, nullptr, 0);
    if (rc != 0) return rc;
    std::FILE* f = nullptr;
    if (report_file != nullptr && report_file[0] != '\0') {
        f = std::fopen(report_file, "w");
        if (f == nullptr) return -PRNG_ERR_FILE_CREATE;
    }
    FipsResult r;
    fips_run(sample.bytes, &r);
    if (f != nullptr) {
        char stamp[26] = "Thu Jan  1 00:00:00 1970\n";
        std::tm now{};
        if (plat::local_time_now(&now)) FormatCtime(stamp, &now);
        fips_write_report(f, sample.bytes, r, stamp);
        std::fclose(f);
    }
    return r.passed() ? 0 : 1;
}
