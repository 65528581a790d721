// tessa: the Tessalib command-line tool. Uses the public API only, as any
// caller of the library would.
#include "tessa.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>

#include "tessalib.h"

namespace tessa {

static std::vector<Command>& registry() {
    static std::vector<Command> commands;
    return commands;
}

bool register_command(const Command& cmd) {
    registry().push_back(cmd);
    return true;
}

}  // namespace tessa

namespace {

int print_commands() {
    std::string text =
        "usage: tessa <command> [arguments]   (tessa <command> --help for details)\n"
        "       tessa --version\n"
        "\n"
        "Input: --text STRING, --hex HEX, --in FILE (or FILE), standard input when none is given.\n"
        "Output: --to hex|b64|raw and --out FILE where a command writes data.\n"
        "Exit status: 0 success, 1 the operation or a check failed (a wrong tag, a bad\n"
        "padding, a file that cannot be read), 2 bad usage.\n"
        "\ncommands:\n";
    auto cmds = tessa::registry();
    std::sort(cmds.begin(), cmds.end(),
              [](const tessa::Command& a, const tessa::Command& b) { return std::strcmp(a.name, b.name) < 0; });
    for (const auto& c : cmds) {
        char line[160];
        std::snprintf(line, sizeof line, "  %-12s %s\n", c.name, c.summary);
        text += line;
    }
    text.pop_back();  // write_line ends the text
    return tessa::write_line("help", text);
}

// One of the library's texts (API_CompileTime, API_ModuleName, ...), read
// with its query mode first.
template <typename Read>
std::string library_text(Read read) {
    const int32_t n = read(nullptr, 0);
    if (n <= 0) return "";
    std::string text(static_cast<std::size_t>(n) + 1, '\0');
    text.resize(static_cast<std::size_t>(read(&text[0], n)));
    return text;
}

int cmd_version(const tessa::Options& opts) {
    if (!opts.positionals().empty()) return tessa::usage_error("version", "takes no arguments but --verbose");
    const int v = API_Version();
    char text[64];
    std::snprintf(text, sizeof text, "Tessalib %d.%d.%02d", v / 10000, (v / 100) % 100, v % 100);
    std::string out = text;
    if (opts.has("--verbose")) {
        out += "\nbuilt:    " + library_text([](char* o, int32_t n) { return API_CompileTime(o, n); });
        out += "\nmodule:   " + library_text([](char* o, int32_t n) { return API_ModuleName(o, n, 0); });
        out += "\nplatform: " + library_text([](char* o, int32_t n) { return API_Platform(o, n); });
        out += "\n" + library_text([](char* o, int32_t n) { return API_ModuleInfo(o, n); });
    }
    return tessa::write_line("version", out);
}

int cmd_selftest(const tessa::Options& opts) {
    if (!opts.positionals().empty()) return tessa::usage_error("selftest", "takes no arguments");
    const int32_t result = API_PowerUpTests();
    std::string out = "self-integrity test of " +
                      library_text([](char* o, int32_t n) { return API_ModuleName(o, n, 0); }) +
                      "\nknown-answer tests: SHA-1, SHA-256, SHA-384, SHA-512, SHA-224, SHA-3, MD5, Triple DES, AES, "
                      "Blowfish,\n  HMAC-SHA-1, HMAC-SHA-256, HMAC-SHA-384, HMAC-SHA-512, HMAC-SHA-224, HMAC-MD5, "
                      "CMAC-AES, CMAC-TDEA\nrandom generator health check\n";
    out += result == 0 ? "power-up tests: passed" : "power-up tests: FAILED (" + std::to_string(result) + ")";
    const int status = tessa::write_line("selftest", out);
    if (status != 0 || result == 0) return status;
    return tessa::report_error("selftest", result, "the library must not be used");
}

int cmd_error(const tessa::Options& opts) {
    const tessa::Args& codes = opts.positionals();
    if (codes.empty()) return tessa::usage_error("error", "give an error code");
    std::string out;
    for (const auto& a : codes) {
        char* end = nullptr;
        errno = 0;
        const long long code = std::strtoll(a.c_str(), &end, 0);
        if (end == a.c_str() || *end != '\0') return tessa::usage_error("error", "not a number: " + a);
        if (errno == ERANGE || code < INT32_MIN || code > INT32_MAX)
            return tessa::usage_error("error", "not a 32-bit error code: " + a);
        char text[160];
        if (API_ErrorLookup(text, static_cast<int32_t>(sizeof text - 1), static_cast<int32_t>(code)) == 0)
            std::snprintf(text, sizeof text, "unknown error code");
        out += std::to_string(code) + ": " + text + "\n";
    }
    out.pop_back();
    return tessa::write_line("error", out);
}

TESSA_COMMAND({"version", "print the library version",
               "usage: tessa version [--verbose]\n\nPrints the version of the loaded library; with --verbose also "
               "its build time,\nthe path of its file, its platform and its information text.\n",
               {}, {"--verbose"}, cmd_version});
TESSA_COMMAND({"selftest", "run the library's power-up tests",
               "usage: tessa selftest\n\nRuns the checks the library runs when it is loaded (API_PowerUpTests): the\n"
               "self-integrity test of its file, the eighteen known-answer tests and the\nrandom generator's health "
               "check, lists them and prints the result. A failing\nknown-answer test is also reported in the error "
               "log. Exit status 1 when any\ncheck failed.\n",
               {}, {}, cmd_selftest});
TESSA_COMMAND({"error", "explain error codes",
               "usage: tessa error CODE...\n\nPrints the message and name of each library error code (either sign).\n",
               {}, {}, cmd_error});

// After a failed load-time check the library refuses every call but the
// API_ ones with TEST_FAILED_ERROR. The commands would read the refusals of
// the conversions they decode their arguments with as bad arguments, so the
// state is asked first, with a call that changes nothing.
bool library_serves() { return CNV_HexStrFromBytes(nullptr, 0, reinterpret_cast<const unsigned char*>(""), 0) != -TEST_FAILED_ERROR; }
// The commands made of API_ calls only, which answer in every state.
bool answers_in_failed_state(const char* name) {
    return std::strcmp(name, "version") == 0 || std::strcmp(name, "selftest") == 0 || std::strcmp(name, "error") == 0;
}

int run(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "tessa: give a command (tessa --help lists them)\n");
        return 2;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") return print_commands();
    if (name == "--version" || name == "-V") {
        if (argc > 2) {
            std::fprintf(stderr, "tessa: --version takes no arguments\n");
            return 2;
        }
        return cmd_version(tessa::Options());
    }
    for (const auto& c : tessa::registry()) {
        if (name != c.name) continue;
        tessa::Options opts;
        bool help = false;
        if (const int status =
                tessa::parse_options(c.name, tessa::Args(argv + 2, argv + argc), c.valued, c.flags, &opts, &help))
            return status;
        if (help) {
            std::string usage = c.usage;
            if (!usage.empty() && usage.back() == '\n') usage.pop_back();
            return tessa::write_line(c.name, usage);
        }
        if (!answers_in_failed_state(c.name) && !library_serves())
            return tessa::report_error(c.name, TEST_FAILED_ERROR,
                                       "the library failed its load-time checks (tessa selftest runs them)");
        return c.run(opts);
    }
    std::fprintf(stderr, "tessa: unknown command '%s' (tessa --help lists the commands)\n", name.c_str());
    return 2;
}

}  // namespace

// Whatever goes wrong below, the tool ends with one line on standard error and
// a status, never with an uncaught exception.
int main(int argc, char** argv) {
    const char* cmd = argc >= 2 ? argv[1] : nullptr;
    const auto say = [cmd](const char* what, const char* detail) {
        std::fprintf(stderr, "tessa%s%s: %s%s%s\n", cmd != nullptr ? " " : "", cmd != nullptr ? cmd : "", what,
                     detail != nullptr ? ": " : "", detail != nullptr ? detail : "");
    };
    int status;
    try {
        status = run(argc, argv);
    } catch (const std::bad_alloc&) {
        say("out of memory", nullptr);
        return 1;
    } catch (const std::exception& e) {
        say("cannot continue", e.what());
        return 1;
    } catch (...) {
        say("cannot continue", nullptr);
        return 1;
    }
    // Anything written without a check (nothing should be) still fails here.
    errno = 0;
    if ((std::fflush(stdout) != 0 || std::ferror(stdout)) && status == 0) {
        say("cannot write to standard output", errno != 0 ? std::strerror(errno) : "write error");
        status = 1;
    }
    return status;
}
