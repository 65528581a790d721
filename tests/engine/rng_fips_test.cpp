// The FIPS 140-2 statistical tests and their report, checked byte for byte
// against statistics computed here independently (bit by bit into a list,
// runs found by scanning it, the poker statistic in floating point), on a
// passing sample and samples built to fail each test.
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "rng/fips_test.h"
#include "test_util.h"

namespace {

struct Stats {
    long n1 = 0;
    double x = 0;
    int gaps[6] = {0}, blocks[6] = {0};
    int gmax = 0, bmax = 0;
};

Stats compute(const tu::Bytes& sample) {
    std::vector<int> bits;
    for (uint8_t byte : sample)
        for (int b = 7; b >= 0; --b) bits.push_back((byte >> b) & 1);
    Stats s;
    for (int bit : bits) s.n1 += bit;
    std::vector<double> f(16, 0.0);
    for (std::size_t i = 0; i < bits.size(); i += 4) f[bits[i] * 8 + bits[i + 1] * 4 + bits[i + 2] * 2 + bits[i + 3]] += 1;
    double sum = 0;
    for (double v : f) sum += v * v;
    s.x = 16.0 / 5000.0 * sum - 5000.0;
    std::size_t i = 0;
    while (i < bits.size()) {
        std::size_t j = i;
        while (j < bits.size() && bits[j] == bits[i]) ++j;
        const int len = static_cast<int>(j - i);
        const int slot = len > 6 ? 5 : len - 1;
        if (bits[i] == 0) {
            s.gaps[slot]++;
            if (len > s.gmax) s.gmax = len;
        } else {
            s.blocks[slot]++;
            if (len > s.bmax) s.bmax = len;
        }
        i = j;
    }
    return s;
}

const int kLower[6] = {2315, 1114, 527, 240, 103, 103};
const int kUpper[6] = {2685, 1386, 723, 384, 209, 209};
const char kStamp[] = "Wed Jun 30 21:49:08 1993\n";

std::string line(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string line(const char* format, ...) {
    char buf[256];
    va_list ap;
    va_start(ap, format);
    std::vsnprintf(buf, sizeof buf, format, ap);
    va_end(ap);
    return buf;
}

struct Verdicts {
    bool monobit, poker, runs, long_runs;
};

std::string expected_report(const tu::Bytes& sample, const Stats& s, Verdicts* v) {
    v->monobit = s.n1 > 9725 && s.n1 < 10275;
    v->poker = s.x > 2.16 && s.x < 46.17;
    bool flags[6];
    v->runs = true;
    for (int i = 0; i < 6; ++i) {
        flags[i] = s.gaps[i] >= kLower[i] && s.gaps[i] <= kUpper[i] && s.blocks[i] >= kLower[i] &&
                   s.blocks[i] <= kUpper[i];
        v->runs = v->runs && flags[i];
    }
    v->long_runs = s.gmax < 26 && s.bmax < 26;
    auto res = [](bool ok) { return ok ? "Passed" : "FAILED!"; };
    std::string r = std::string("FIPS140-2 test for 20000 bits (2500 bytes) at ") + kStamp + "\n";
    r += line("1. Monobits test n1 = %ld (9725 - 10275)\n", s.n1);
    r += line("   %s Monobits test.\n", res(v->monobit));
    r += line("2. Poker test X = %.2f (2.16 - 46.17)\n", s.x);
    r += line("   %s Poker test.\n", res(v->poker));
    r += "3. Runs test:\n";
    r += "     Run len:   1    2    3    4    5    6+\n";
    r += line("     Gaps:   %d, %d, %d, %d, %d, %d\n", s.gaps[0], s.gaps[1], s.gaps[2], s.gaps[3], s.gaps[4],
              s.gaps[5]);
    r += line("     Blocks: %d, %d, %d, %d, %d, %d\n", s.blocks[0], s.blocks[1], s.blocks[2], s.blocks[3],
              s.blocks[4], s.blocks[5]);
    r += "     Min:   (2315, 1114, 527, 240, 103, 103)\n";
    r += "     Avg:   (2500, 1250, 625, 312, 156, 156)\n";
    r += "     Max:   (2685, 1386, 723, 384, 209, 209)\n";
    r += "     Pass:    ";
    for (int i = 0; i < 6; ++i) r += std::string("  ") + (flags[i] ? 'Y' : 'N') + (i < 5 ? "  " : "\n");
    r += line("   %s Runs test.\n", res(v->runs));
    r += line("4. Long runs test: Gmax = %d Bmax = %d (26)\n", s.gmax, s.bmax);
    r += line("   %s Long Run test.\n", res(v->long_runs));
    r += line("%s FIPS140-2 test.\n", res(v->monobit && v->poker && v->runs && v->long_runs));
    r += "Test sample was:-\n";
    const std::string hex = tu::to_hex(sample);
    for (std::size_t i = 0; i < hex.size(); i += 50) r += hex.substr(i, 50) + "\n";
    r += std::string(50, '*') + "\n";
#if defined(_WIN32)
    // The report is a text file: its line ends are the system's.
    std::string crlf;
    for (char ch : r) crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    r = crlf;
#endif
    return r;
}

std::string written_report(const tu::Bytes& sample, FipsResult* r) {
    fips_run(sample.data(), r);
    tu::TempDir dir;
    const std::string path = dir.file("report.txt");
    std::FILE* f = std::fopen(path.c_str(), "w");
    fips_write_report(f, sample.data(), *r, kStamp);
    std::fclose(f);
    return tu::read_file(path);
}

tu::Bytes random_sample(uint64_t seed) { return tu::Prng(seed).bytes(2500); }

}  // namespace

TEST(FipsTests, ReportsMatchIndependentStatistics) {
    struct Case {
        const char* name;
        tu::Bytes sample;
        Verdicts verdicts;
    };
    tu::Bytes biased = random_sample(3);
    tu::Prng prng(4);
    for (auto& b : biased) b = static_cast<uint8_t>(b | (1u << prng.below(8)));
    tu::Bytes long_run = random_sample(5);
    for (int i = 1000; i < 1004; ++i) long_run[i] = 0;  // 32 zero bits and more
    tu::Bytes poker_low(2500);  // every nibble value equally often: X = 0
    for (std::size_t i = 0; i < poker_low.size(); ++i) poker_low[i] = static_cast<uint8_t>(((i * 2) % 16) << 4 | ((i * 2 + 1) % 16));
    const Case cases[] = {
        {"random", random_sample(1), {true, true, true, true}},
        {"zeros", tu::Bytes(2500, 0x00), {false, false, false, false}},
        {"0x55", tu::Bytes(2500, 0x55), {true, false, false, true}},
        {"biased to ones", biased, {false, false, false, true}},
        {"a run of 32 zeros", long_run, {true, true, true, false}},
        {"uniform nibbles", poker_low, {true, false, false, true}},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(c.sample.size(), 2500u);
        const Stats s = compute(c.sample);
        Verdicts v;
        const std::string expected = expected_report(c.sample, s, &v);
        FipsResult r;
        EXPECT_EQ(written_report(c.sample, &r), expected) << c.name;
        EXPECT_EQ(r.monobit_ok, c.verdicts.monobit) << c.name;
        EXPECT_EQ(r.poker_ok, c.verdicts.poker) << c.name;
        EXPECT_EQ(r.runs_ok, c.verdicts.runs) << c.name;
        EXPECT_EQ(r.long_runs_ok, c.verdicts.long_runs) << c.name;
        EXPECT_EQ(v.monobit, c.verdicts.monobit) << c.name;
        EXPECT_EQ(v.long_runs, c.verdicts.long_runs) << c.name;
    }
}

TEST(FipsTests, EdgeSamples) {
    FipsResult r;
    fips_run(tu::Bytes(2500, 0x00).data(), &r);
    EXPECT_EQ(r.n1, 0);
    EXPECT_EQ(r.gmax, 20000);  // the single run, counted at the end of the sample
    EXPECT_EQ(r.bmax, 0);
    EXPECT_FALSE(r.passed());
    fips_run(tu::Bytes(2500, 0x55).data(), &r);
    EXPECT_EQ(r.n1, 10000);
    EXPECT_TRUE(r.monobit_ok);
    EXPECT_TRUE(r.long_runs_ok);
    EXPECT_FALSE(r.runs_ok);
    EXPECT_FALSE(r.poker_ok);
}
