// tessalib_bench: every row of rows.cpp measured through the library's exports
// and through OpenSSL's libcrypto in one run of Google Benchmark.
//
//   tessalib_bench [Google Benchmark flags]   the timings; names are
//       tput/<impl>/<row>/<message bytes>     bytes per second
//       kdf/<impl>/<row>                      time per derivation
//       tiny/<impl>/<row>                     calls per second
//       rng/<impl>/<row>                      random bytes: calls per second
//       threads/ours/<row>/real_time/threads:N  calls per second of N threads
//       load/ours/<row>                       loads of the library per second
//       data/<impl>/<row>                     files, compression, CRC-32: calls per
//                                             second ("openssl" is the row's reference)
//     with <impl> "ours" or "openssl". Each benchmark also reports
//     time-stamp-counter ticks per byte (tsc_per_byte) or per call
//     (tsc_per_call). OPENSSL_ia32cap in the environment governs which
//     processor features OpenSSL uses; the library does not read it.
//   tessalib_bench --clock                   the machine's clocks (JSON)
//   tessalib_bench --rss CASE ARG [PATH]     peak memory of one case (JSON)
//   tessalib_bench --verify                  every row's output against OpenSSL's
//
// tessalib_bench_tables is the same program on the internal static library
// with the AES engine held to its table path (the path of processors without
// AES instructions, cpu_limit_aes_path): it runs only the library's AES rows,
// named <row>-tables, so that the table path's own speed stays measured.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "probes.h"
#include "rows.h"

#if defined(TESSALIB_BENCH_TABLES)
#include "core/cpu.h"
#endif

namespace {

using bench::Op;
using bench::OpFactory;

#if defined(TESSALIB_BENCH_TABLES)
constexpr bool kTables = true;
const char* const kRowSuffix = "-tables";
#else
constexpr bool kTables = false;
const char* const kRowSuffix = "";
#endif

// The rows the table build runs: those on the AES engine.
bool on_aes(const char* row) {
    return std::strncmp(row, "AES-", 4) == 0 || std::strncmp(row, "CMAC-AES", 8) == 0 ||
           std::strncmp(row, "GCM_", 4) == 0;
}

// The file rows: a file procedure against the same engine in memory, both
// on the library (the table build runs them on the table path).
bool file_row(const char* row) { return std::strncmp(row, "file-AES-", 9) == 0; }

// Whether a benchmark of this implementation and row is registered.
bool wanted(const char* impl, const char* row) {
    return !kTables || file_row(row) || (std::strcmp(impl, "ours") == 0 && on_aes(row));
}

struct Buffers {
    explicit Buffers(std::size_t len)
        : in(static_cast<uint8_t*>(std::aligned_alloc(64, round(len + 64)))),
          out(static_cast<uint8_t*>(std::aligned_alloc(64, round(len + 64)))) {
        for (std::size_t i = 0; i < len + 64; ++i) {
            in[i] = static_cast<uint8_t>(i * 167u + 13u);
            out[i] = 0;
        }
    }
    ~Buffers() {
        std::free(in);
        std::free(out);
    }
    static std::size_t round(std::size_t n) { return (n + 63) / 64 * 64; }
    uint8_t* in;
    uint8_t* out;
};

// Runs op over messages of len bytes; returns false after reporting a failure.
bool run_loop(benchmark::State& state, const Op& op, std::size_t len, uint64_t& ticks) {
    Buffers buf(len);
    if (op(buf.out, buf.in, len) == 0) {
        state.SkipWithError("the call failed");
        return false;
    }
    const uint64_t t0 = bench::tsc_now();
    for (auto _ : state) {
        if (op(buf.out, buf.in, len) == 0) {
            state.SkipWithError("the call failed");
            return false;
        }
        benchmark::DoNotOptimize(buf.out);
        benchmark::ClobberMemory();
    }
    ticks = bench::tsc_now() - t0;
    return true;
}

// Registered row by row and size by size, the library's benchmark directly
// before OpenSSL's, so that the two measurements of a pair are taken under
// the same conditions.
void register_throughput() {
    for (const bench::Row& row : bench::throughput_rows()) {
        for (std::size_t len : bench::message_sizes()) {
            for (const char* impl : {"ours", "openssl"}) {
                const OpFactory factory = std::strcmp(impl, "ours") == 0 ? row.ours : row.openssl;
                if (!factory || !wanted(impl, row.name)) continue;
                const std::string name =
                    std::string("tput/") + impl + "/" + row.name + kRowSuffix + "/" + std::to_string(len);
                benchmark::RegisterBenchmark(name.c_str(), [factory, len](benchmark::State& state) {
                    uint64_t ticks = 0;
                    if (!run_loop(state, factory(), len, ticks)) return;
                    const double bytes = static_cast<double>(state.iterations()) * static_cast<double>(len);
                    state.SetBytesProcessed(static_cast<int64_t>(bytes));
                    state.counters["tsc_per_byte"] = static_cast<double>(ticks) / bytes;
                });
            }
        }
    }
}

void register_calls(const char* group, const std::vector<bench::CallRow>& rows, benchmark::TimeUnit unit) {
    for (const bench::CallRow& row : rows) {
        for (const char* impl : {"ours", "openssl"}) {
            const OpFactory factory = std::strcmp(impl, "ours") == 0 ? row.ours : row.openssl;
            if (!factory || !wanted(impl, row.name)) continue;
            const std::string name = std::string(group) + "/" + impl + "/" + row.name + kRowSuffix;
            const std::size_t len = row.len;
            benchmark::internal::Benchmark* b = benchmark::RegisterBenchmark(
                name.c_str(), [factory, len](benchmark::State& state) {
                    uint64_t ticks = 0;
                    if (!run_loop(state, factory(), len, ticks)) return;
                    const double calls = static_cast<double>(state.iterations());
                    state.counters["tsc_per_call"] = static_cast<double>(ticks) / calls;
                    state.counters["calls_per_second"] = benchmark::Counter(calls, benchmark::Counter::kIsRate);
                });
            b->Unit(unit);
            // The file functions read and write on a second thread, whose
            // time the calling thread's CPU time leaves out: they are timed
            // by the clock on the wall.
            if (file_row(row.name)) b->UseRealTime();
        }
    }
}

// Each thread row with one and with two threads calling at once; calls per
// second are the total over the threads in wall-clock time. Google Benchmark
// runs the loop in every thread at once (each its own iterations, started
// together), adds up the threads' counters and divides a rate counter by the
// threads' mean real time (UseRealTime): the calls of N threads per second.
// Its CPU time is the threads' CPU time added up, so CPU time over real time
// says how many cores the threads really had (bench/report shows it: a busy
// machine gives the second thread less than a core).
void register_threads(const std::vector<bench::CallRow>& rows) {
    for (const bench::CallRow& row : rows) {
        const std::string name = std::string("threads/ours/") + row.name;
        const OpFactory factory = row.ours;
        const std::size_t len = row.len;
        benchmark::RegisterBenchmark(name.c_str(),
                                     [factory, len](benchmark::State& state) {
                                         uint64_t ticks = 0;
                                         if (!run_loop(state, factory(), len, ticks)) return;
                                         state.counters["calls_per_second"] = benchmark::Counter(
                                             static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
                                     })
            ->Unit(benchmark::kNanosecond)
            ->UseRealTime()
            ->Threads(1)
            ->Threads(2);
    }
}

}  // namespace

int main(int argc, char** argv) {
    // The memory cases run before OpenSSL loads anything, so that their
    // baseline is the library's own.
    if (argc >= 2 && std::strcmp(argv[1], "--rss") == 0) return bench::run_rss_case(argc - 2, argv + 2);
    if (argc >= 2 && std::strcmp(argv[1], "--clock") == 0) return bench::run_clock_probe();
    if (kTables) {
#if defined(TESSALIB_BENCH_TABLES)
        cpu_limit_aes_path(AesPath::tables);
#endif
        register_throughput();
        register_calls("tiny", bench::tiny_rows(), benchmark::kNanosecond);
        std::vector<bench::CallRow> files;
        for (const bench::CallRow& row : bench::data_rows())
            if (file_row(row.name)) files.push_back(row);
        register_calls("data", files, benchmark::kMillisecond);
        benchmark::Initialize(&argc, argv);
        if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        return 0;
    }
    if (!bench::load_openssl_providers()) {
        std::fprintf(stderr, "tessalib_bench: cannot load OpenSSL's default and legacy providers\n");
        return 2;
    }
    if (argc >= 2 && std::strcmp(argv[1], "--verify") == 0) return bench::run_verify();

    const char* cap = std::getenv("OPENSSL_ia32cap");
    benchmark::AddCustomContext("openssl_ia32cap", cap != nullptr ? cap : "");
    register_throughput();
    register_calls("kdf", bench::kdf_rows(), benchmark::kMillisecond);
    register_calls("tiny", bench::tiny_rows(), benchmark::kNanosecond);
    register_calls("rng", bench::rng_rows(), benchmark::kNanosecond);
    register_threads(bench::thread_rows());
    register_calls("load", bench::load_rows(), benchmark::kMicrosecond);
    register_calls("data", bench::data_rows(), benchmark::kMillisecond);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
