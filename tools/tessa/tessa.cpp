// tessa: the Tessalib command-line tool. Uses the public API only, as any
// caller of the library would.
#include "tessa.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "tessalib.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

namespace tessa {

static std::vector<Command>& registry() {
    static std::vector<Command> commands;
    return commands;
}

bool register_command(const Command& cmd) {
    registry().push_back(cmd);
    return true;
}

int report_error(const char* what, int32_t code) {
    char text[160] = "";
    if (API_ErrorLookup(text, static_cast<int32_t>(sizeof text - 1), code) <= 0)
        std::snprintf(text, sizeof text, "error %d", static_cast<int>(code));
    std::fprintf(stderr, "tessa: %s: %s\n", what, text);
    return 1;
}

bool read_input(const std::string& path, std::string* out) {
    if (path == "-") {
#if defined(_WIN32)
        _setmode(_fileno(stdin), _O_BINARY);  // keep binary input byte for byte
#endif
        std::ostringstream ss;
        ss << std::cin.rdbuf();
        *out = ss.str();
        return true;
    }
    std::ifstream f(path, std::ios::binary);
    if (!f) return false;
    out->assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    return true;
}

bool has_flag(const Args& args, const char* flag) {
    return std::find(args.begin(), args.end(), flag) != args.end();
}

std::string option_value(const Args& args, const char* option) {
    for (std::size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == option) return args[i + 1];
    return std::string();
}

Args positionals(const Args& args, const std::vector<const char*>& valued_options) {
    Args out;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        bool valued = false;
        for (const char* v : valued_options) valued = valued || a == v;
        if (valued) {
            ++i;
            continue;
        }
        if (a.size() > 2 && a.compare(0, 2, "--") == 0) continue;
        out.push_back(a);
    }
    return out;
}

}  // namespace tessa

namespace {

void print_commands() {
    std::printf("usage: tessa <command> [arguments]   (tessa <command> --help for details)\n\ncommands:\n");
    auto cmds = tessa::registry();
    std::sort(cmds.begin(), cmds.end(),
              [](const tessa::Command& a, const tessa::Command& b) { return std::strcmp(a.name, b.name) < 0; });
    for (const auto& c : cmds) std::printf("  %-12s %s\n", c.name, c.summary);
}

int cmd_version(const tessa::Args&) {
    const int v = API_Version();
    std::printf("Tessalib %d.%d.%02d\n", v / 10000, (v / 100) % 100, v % 100);
    return 0;
}

int cmd_error(const tessa::Args& args) {
    if (args.empty()) {
        std::fprintf(stderr, "tessa error: give an error code\n");
        return 2;
    }
    for (const auto& a : args) {
        char* end = nullptr;
        const long code = std::strtol(a.c_str(), &end, 0);
        if (end == a.c_str() || *end != '\0') {
            std::fprintf(stderr, "tessa error: not a number: %s\n", a.c_str());
            return 2;
        }
        char text[160];
        if (API_ErrorLookup(text, static_cast<int32_t>(sizeof text - 1), static_cast<int32_t>(code)) == 0) {
            std::printf("%ld: unknown error code\n", code);
        } else {
            std::printf("%ld: %s\n", code, text);
        }
    }
    return 0;
}

TESSA_COMMAND({"version", "print the library version", "usage: tessa version\n\nPrints the version of the loaded library.\n",
               cmd_version});
TESSA_COMMAND({"error", "explain error codes",
               "usage: tessa error CODE...\n\nPrints the message and name of each library error code (either sign).\n",
               cmd_error});

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "help") == 0) {
        print_commands();
        return argc < 2 ? 2 : 0;
    }
    for (const auto& c : tessa::registry()) {
        if (std::strcmp(c.name, argv[1]) != 0) continue;
        tessa::Args args(argv + 2, argv + argc);
        if (tessa::has_flag(args, "--help") || tessa::has_flag(args, "-h")) {
            std::fputs(c.usage, stdout);
            return 0;
        }
        return c.run(args);
    }
    std::fprintf(stderr, "tessa: unknown command '%s'\n\n", argv[1]);
    print_commands();
    return 2;
}
