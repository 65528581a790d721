// Command registry of the tessa tool and the helpers every command uses.
// Each family's commands live in their own file and register themselves with
// TESSA_COMMAND, naming the options they take; main parses the command line
// against them before the command runs.
//
// Every failure is one line on standard error, "tessa COMMAND: cause", and an
// exit status: 1 when an operation fails, 2 for bad usage.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tessa {

using Args = std::vector<std::string>;
using Bytes = std::vector<unsigned char>;

// The command line of one command, parsed against the options it declares.
class Options {
public:
    // True when the option was given (a flag, or a valued option with its value).
    bool has(const char* option) const;
    // The value of a valued option (its first occurrence); empty when absent.
    std::string value(const char* option) const;
    // The value, or `fallback` when the option was not given.
    std::string value_or(const char* option, const char* fallback) const;
    // The arguments that are not options or option values, in order.
    const Args& positionals() const { return positionals_; }

private:
    friend int parse_options(const char* cmd, const Args& args, const std::vector<const char*>& valued,
                             const std::vector<const char*>& flags, Options* out, bool* help);
    std::vector<std::pair<std::string, std::string>> given_;
    Args positionals_;
};

struct Command {
    const char* name;                  // the word typed after "tessa"
    const char* summary;               // one line for the command list
    const char* usage;                 // the full --help text
    std::vector<const char*> valued;   // options followed by a value ("--key HEX")
    std::vector<const char*> flags;    // options that stand alone ("--double")
    int (*run)(const Options& opts);
};

bool register_command(const Command& cmd);

// Parses args: "--name" is an option (it must be one the command declares;
// a valued option takes the next argument as its value, whatever it looks
// like), "--" ends the options, anything else is positional ("-" is standard
// input). "--help" or "-h" sets *help. Returns 0, or 2 after printing why.
int parse_options(const char* cmd, const Args& args, const std::vector<const char*>& valued,
                  const std::vector<const char*>& flags, Options* out, bool* help);

// --- Failures: print one line, return the exit status ----------------------
// "tessa CMD: why (see tessa CMD --help)"; returns 2.
int usage_error(const char* cmd, const std::string& why);
// "tessa CMD: why"; returns 1.
int fail(const char* cmd, const std::string& why);
// "tessa CMD: <message> (<NAME>)" for a library error code of either sign,
// followed by ": hint" when one is given; returns 1.
int report_error(const char* cmd, int32_t code, const char* hint = nullptr);

// --- Input and output ------------------------------------------------------
// The largest input any export takes, in bytes.
constexpr std::size_t kMaxInput = 0x7FFFFFFF;
// Reads a whole file, or standard input for "-", as bytes. Returns 0, or 1
// after printing why: the file cannot be opened or read (a directory, a
// device that fails), or it holds more than kMaxInput bytes.
int read_input(const char* cmd, const std::string& path, std::string* out);
// Writes bytes as they are to the file `path`, or to standard output when
// path is empty. Returns 0, or 1 after printing why (the file cannot be
// created, the device is full, ...).
int write_output(const char* cmd, const std::string& path, const void* data, std::size_t len);
// Writes text and a line break to standard output (in text mode). Returns 0,
// or 1 after printing why.
int write_line(const char* cmd, const std::string& text);

// --- Arguments -------------------------------------------------------------
// Hex text to bytes: digits of either case, white space and punctuation
// between them skipped (the library's rule), and whole bytes only. False for
// any other character or an odd number of digits.
bool hex_bytes(const std::string& text, Bytes* out);

// True for the words that name the form of an input file: raw, hex, b64.
bool is_form(const std::string& word);
// The input file of a command: its FILE argument, else --in FILE, else "-"
// (standard input).
std::string input_path(const Options& opts);

// The data of a command: --text STRING, --hex HEX, --b64 TEXT, or the file
// FILE, --in FILE or - read as raw bytes (--from hex or --from b64 read it as
// text of that kind; "--in hex FILE" is the older spelling of "--from hex");
// at most one of them, and standard input when none is given. Returns 0, or
// the exit status after printing why (text typed on the command line that
// does not decode is bad usage, 2; a file that does not is bad data, 1).
int get_data(const char* cmd, const Options& opts, Bytes* data);
// The --to of a cipher command: hex (the default), b64, raw or text. Returns
// 0, or 2 after printing why.
int result_format(const char* cmd, const Options& opts, std::string* to);
// Writes bytes as --to asks: hex (upper case) or b64 with a line break, raw
// as they are, text with a line break; to --out FILE or standard output.
// Returns 0, or 1 after printing why.
int write_result(const char* cmd, const Options& opts, const Bytes& data, const std::string& to);

// The --to of a digest, MAC or XOF command: hex (lower case, as digests are
// printed), b64 or raw; `fallback` when --to is absent. Returns 0, or 2
// after printing why.
int digest_format(const char* cmd, const Options& opts, const char* fallback, std::string* to);
// Writes a digest as digest_format chose, with a line break after hex and
// b64, to --out FILE or standard output. Returns 0, or 1 after printing why.
int write_digest(const char* cmd, const Options& opts, const Bytes& digest, const std::string& to);

// The bytes of b, or a pointer to one byte when b is empty: the exports
// refuse a NULL pointer where data may have length 0.
const unsigned char* data_or_empty(const Bytes& b);

// Overwrites a buffer that held a key, a password or plaintext.
void wipe(void* p, std::size_t n);
void wipe(Bytes& b);
void wipe(std::string& s);

}  // namespace tessa

// The options get_data and write_result read, for a command's valued list.
#define TESSA_DATA_OPTIONS "--text", "--hex", "--b64", "--in", "--from", "--to", "--out"

// The --help text of the options get_data and write_result read: a string
// literal, to join the literals of a command's usage text.
#define TESSA_DATA_USAGE                                                                        \
    "The data (one of):\n"                                                                      \
    "  --text STRING   the bytes of STRING\n"                                                   \
    "  --hex HEX       bytes in hex (spaces, colons and dashes between digits allowed)\n"       \
    "  --b64 TEXT      bytes in base64\n"                                                       \
    "  --in FILE       the bytes of FILE (or FILE alone; - or nothing: standard input);\n"  \
    "                  with --from hex or --from b64 the file holds hex or base64 text\n"       \
    "\n"                                                                                        \
    "The result:\n"                                                                             \
    "  --to FORMAT   hex (the default, upper case), b64, raw (the bytes as they are)\n"         \
    "                or text (the bytes and a line break)\n"                                    \
    "  --out FILE    write to FILE instead of standard output\n"

#define TESSA_CONCAT2(a, b) a##b
#define TESSA_CONCAT(a, b) TESSA_CONCAT2(a, b)
#define TESSA_COMMAND(...) \
    static const bool TESSA_CONCAT(tessa_registered_, __LINE__) = ::tessa::register_command(__VA_ARGS__)
