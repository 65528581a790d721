// tessa rand: random keys, nonces and numbers, seed files and the generator's
// statistical test.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tessa.h"
#include "tessalib.h"

namespace {

const char kUsage[] =
    "usage: tessa rand key N [--seed HEX] [--to hex|b64|raw] [--out FILE]\n"
    "       tessa rand nonce N [--to hex|b64|raw] [--out FILE]\n"
    "       tessa rand number LOWER UPPER\n"
    "       tessa rand init [SEEDFILE] [--no-cpu-rng]\n"
    "       tessa rand make-seed SEEDFILE [--strength 112|128|192|256] [--prompt TEXT] [--console]\n"
    "       tessa rand update-seed SEEDFILE\n"
    "       tessa rand test [--report FILE]\n"
    "\n"
    "key, nonce: N random bytes (1 to 65536) as upper-case hex (--to b64: base64,\n"
    "  --to raw: the bytes), to standard output or --out FILE (--out alone: raw\n"
    "  bytes). --seed passes bytes to the generator as additional input.\n"
    "number: a random number from LOWER to UPPER (32-bit signed), both included.\n"
    "init: instantiates the generator and, with SEEDFILE, mixes that seed file in\n"
    "  (creating it when missing); without, prints what the processor offers.\n"
    "  --no-cpu-rng switches RDRAND/RDSEED off.\n"
    "make-seed: a new seed file from keyboard entropy: type until the strength\n"
    "  (default 128 bits) is reached; --console types on the console.\n"
    "update-seed: mixes an existing seed file in and rewrites it.\n"
    "test: the FIPS 140-2 statistical tests on 20,000 bits from the generator;\n"
    "  prints passed or failed, and writes the full report to --report FILE.\n";

// A decimal (or 0x hex) 32-bit number argument.
bool parse_int32(const std::string& text, int32_t* out) {
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(text.c_str(), &end, 0);
    if (end == text.c_str() || *end != '\0' || errno == ERANGE || v < INT32_MIN || v > INT32_MAX) return false;
    *out = static_cast<int32_t>(v);
    return true;
}

int bytes_command(const tessa::Options& opts, bool key) {
    const tessa::Args& a = opts.positionals();
    if (a.size() != 2) return tessa::usage_error("rand", "give the number of bytes");
    int32_t n = 0;
    if (!parse_int32(a[1], &n) || n < 1 || n > 65536)
        return tessa::usage_error("rand", "the number of bytes must be 1 to 65536: " + a[1]);
    tessa::Bytes seed;
    if (opts.has("--seed") && !tessa::hex_bytes(opts.value("--seed"), &seed))
        return tessa::usage_error("rand", "--seed is not whole bytes of hex");
    tessa::Bytes out(static_cast<std::size_t>(n));
    const int32_t rc = key ? RNG_KeyBytes(out.data(), n, seed.empty() ? nullptr : seed.data(),
                                          static_cast<int32_t>(seed.size()))
                           : RNG_NonceData(out.data(), n);
    tessa::wipe(seed);
    if (rc != 0) return tessa::report_error("rand", rc);
    // --to as in the other commands; --out FILE alone writes the bytes as they are.
    std::string to = opts.has("--out") && !opts.has("--to") ? "raw" : "hex";
    if (opts.has("--to")) {
        to = opts.value("--to");
        if (to != "hex" && to != "b64" && to != "raw") {
            tessa::wipe(out);
            return tessa::usage_error("rand", "--to takes hex, b64 or raw");
        }
    }
    const int status = tessa::write_result("rand", opts, out, to);
    tessa::wipe(out);
    return status;
}

int number_command(const tessa::Options& opts) {
    const tessa::Args& a = opts.positionals();
    int32_t lower = 0, upper = 0;
    if (a.size() != 3) return tessa::usage_error("rand", "give LOWER and UPPER");
    if (!parse_int32(a[1], &lower) || !parse_int32(a[2], &upper))
        return tessa::usage_error("rand", "LOWER and UPPER must be 32-bit numbers");
    if (upper < lower) return tessa::usage_error("rand", "UPPER is below LOWER");
    const int32_t n = RNG_Number(lower, upper);
    // 0 is also the refusal of a library in its failed state, which records 23.
    if (n == 0 && API_ErrorCode() != 0) return tessa::report_error("rand", API_ErrorCode());
    return tessa::write_line("rand", std::to_string(n));
}

int init_command(const tessa::Options& opts) {
    const tessa::Args& a = opts.positionals();
    if (a.size() > 2) return tessa::usage_error("rand", "give at most one seed file");
    const int32_t options = opts.has("--no-cpu-rng") ? RNG_OPT_NO_CPU_RNG : 0;
    const int32_t rc = RNG_Initialize(a.size() == 2 ? a[1].c_str() : nullptr, options);
    if (a.size() == 2) return rc == 0 ? 0 : tessa::report_error("rand", rc);
    static const char* const kCaps[] = {"", "RDRAND", "RDSEED", "RDRAND and RDSEED"};
    if (rc == -PRNG_ERR_NOTAVAIL) return tessa::write_line("rand", "processor generator: none (or switched off)");
    if (rc < 1 || rc > 3) return tessa::report_error("rand", rc);
    return tessa::write_line("rand", std::string("processor generator: ") + kCaps[rc]);
}

int make_seed_command(const tessa::Options& opts) {
    const tessa::Args& a = opts.positionals();
    if (a.size() != 2) return tessa::usage_error("rand", "give the seed file");
    const std::string strength = opts.value_or("--strength", "128");
    int32_t options;
    if (strength == "112") options = RNG_STRENGTH_112;
    else if (strength == "128") options = RNG_STRENGTH_128;
    else if (strength == "192") options = RNG_STRENGTH_192;
    else if (strength == "256") options = RNG_STRENGTH_256;
    else return tessa::usage_error("rand", "--strength must be 112, 128, 192 or 256");
    if (opts.has("--console")) options |= RNG_OPT_CONSOLE_PROMPT;
    const std::string prompt = opts.value("--prompt");
    const int32_t rc = RNG_MakeSeedFile(a[1].c_str(), prompt.empty() ? nullptr : prompt.c_str(), options);
    return rc == 0 ? 0 : tessa::report_error("rand", rc);
}

int update_seed_command(const tessa::Options& opts) {
    const tessa::Args& a = opts.positionals();
    if (a.size() != 2) return tessa::usage_error("rand", "give the seed file");
    const int32_t rc = RNG_UpdateSeedFile(a[1].c_str());
    return rc == 0 ? 0 : tessa::report_error("rand", rc);
}

int test_command(const tessa::Options& opts) {
    if (opts.positionals().size() != 1) return tessa::usage_error("rand", "test takes no arguments");
    const std::string report = opts.value("--report");
    const int32_t rc = RNG_Test(report.empty() ? nullptr : report.c_str());
    if (rc == 0) return tessa::write_line("rand", "FIPS 140-2 tests passed");
    if (rc == 1) {
        tessa::write_line("rand", "FIPS 140-2 tests FAILED");
        return 1;
    }
    return tessa::report_error("rand", rc);
}

int cmd_rand(const tessa::Options& opts) {
    const tessa::Args& a = opts.positionals();
    if (a.empty()) return tessa::usage_error("rand", "give what to make: key, nonce, number, init, make-seed, "
                                                     "update-seed or test");
    const std::string& what = a[0];
    if (what == "key") return bytes_command(opts, true);
    if (what == "nonce") return bytes_command(opts, false);
    if (what == "number") return number_command(opts);
    if (what == "init") return init_command(opts);
    if (what == "make-seed") return make_seed_command(opts);
    if (what == "update-seed") return update_seed_command(opts);
    if (what == "test") return test_command(opts);
    return tessa::usage_error("rand", "unknown action: " + what);
}

}  // namespace

TESSA_COMMAND({"rand", "random keys, nonces, numbers, seed files, the statistical test", kUsage,
               {"--seed", "--to", "--out", "--report", "--prompt", "--strength"},
               {"--no-cpu-rng", "--console"},
               cmd_rand});
