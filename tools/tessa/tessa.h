// Command registry of the tessa tool. Each family's commands live in their
// own file and register themselves with TESSA_COMMAND.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tessa {

using Args = std::vector<std::string>;

struct Command {
    const char* name;     // the word typed after "tessa"
    const char* summary;  // one line for the command list
    const char* usage;    // the full --help text
    int (*run)(const Args& args);  // args exclude "tessa" and the command name
};

bool register_command(const Command& cmd);

// Helpers shared by the commands.
// Prints "tessa: <what>: <message> (<NAME>)" for a library error code (either sign).
int report_error(const char* what, int32_t code);
// Reads a whole file or standard input ("-") as bytes; false on failure.
bool read_input(const std::string& path, std::string* out);
// True when args hold the flag (e.g. "--hex").
bool has_flag(const Args& args, const char* flag);
// The value after an option (e.g. "--key" VALUE); empty when absent.
std::string option_value(const Args& args, const char* option);
// The positional arguments (those not starting with "--" and not option values).
Args positionals(const Args& args, const std::vector<const char*>& valued_options);

}  // namespace tessa

#define TESSA_CONCAT2(a, b) a##b
#define TESSA_CONCAT(a, b) TESSA_CONCAT2(a, b)
#define TESSA_COMMAND(...) \
    static const bool TESSA_CONCAT(tessa_registered_, __LINE__) = ::tessa::register_command(__VA_ARGS__)
