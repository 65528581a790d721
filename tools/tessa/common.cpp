// The helpers every tessa command uses: the option parser, the one-line
// failure reports, the one input reader and the one output writer, and the
// data and result forms of the cipher commands.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

#include "tessa.h"
#include "tessalib.h"

namespace tessa {

namespace {

bool listed(const std::vector<const char*>& names, const std::string& arg) {
    for (const char* n : names)
        if (arg == n) return true;
    return false;
}

// The system's text for an errno value, never empty.
std::string reason(int err) {
    const char* text = err != 0 ? std::strerror(err) : nullptr;
    return text != nullptr && text[0] != '\0' ? text : "unknown error";
}

// Writes the pieces to f and flushes it; errno of the first failure, or 0.
int put(std::FILE* f, std::initializer_list<std::pair<const void*, std::size_t>> pieces) {
    errno = 0;
    for (const auto& piece : pieces) {
        if (piece.second > 0 && std::fwrite(piece.first, 1, piece.second, f) != piece.second)
            return errno != 0 ? errno : EIO;
    }
    if (std::fflush(f) != 0 || std::ferror(f)) return errno != 0 ? errno : EIO;
    return 0;
}

void binary_mode(std::FILE* f) {
#if defined(_WIN32)
    _setmode(_fileno(f), _O_BINARY);  // bytes as they are, no CR LF translation
#else
    (void)f;
#endif
}

}  // namespace

bool Options::has(const char* option) const {
    for (const auto& g : given_)
        if (g.first == option) return true;
    return false;
}

std::string Options::value(const char* option) const { return value_or(option, ""); }

std::string Options::value_or(const char* option, const char* fallback) const {
    for (const auto& g : given_)
        if (g.first == option) return g.second;
    return fallback;
}

int parse_options(const char* cmd, const Args& args, const std::vector<const char*>& valued,
                  const std::vector<const char*>& flags, Options* out, bool* help) {
    *help = false;
    bool options_ended = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        // Options are "--name" and "-h"; "-", "-33" and other words are not.
        const bool option = !options_ended && (a.compare(0, 2, "--") == 0 || a == "-h");
        if (!option) {
            out->positionals_.push_back(a);
        } else if (a == "--") {
            options_ended = true;
        } else if (a == "--help" || a == "-h") {
            *help = true;
        } else if (listed(valued, a)) {
            if (i + 1 >= args.size()) return usage_error(cmd, a + " needs a value");
            out->given_.emplace_back(a, args[++i]);
        } else if (listed(flags, a)) {
            out->given_.emplace_back(a, std::string());
        } else {
            return usage_error(cmd, "unknown option " + a);
        }
    }
    return 0;
}

int usage_error(const char* cmd, const std::string& why) {
    std::fprintf(stderr, "tessa %s: %s (see tessa %s --help)\n", cmd, why.c_str(), cmd);
    return 2;
}

int fail(const char* cmd, const std::string& why) {
    std::fprintf(stderr, "tessa %s: %s\n", cmd, why.c_str());
    return 1;
}

int report_error(const char* cmd, int32_t code, const char* hint) {
    char text[160] = "";
    if (API_ErrorLookup(text, static_cast<int32_t>(sizeof text - 1), code) <= 0)
        std::snprintf(text, sizeof text, "error %d", static_cast<int>(code));
    std::string line = text;
    if (hint != nullptr) line += std::string(": ") + hint;
    return fail(cmd, line);
}

int read_input(const char* cmd, const std::string& path, std::string* out) {
    const bool is_stdin = path == "-";
    const std::string name = is_stdin ? "standard input" : path;
    std::FILE* f = stdin;
    if (is_stdin) {
        binary_mode(stdin);
    } else {
        f = std::fopen(path.c_str(), "rb");
        if (f == nullptr) return fail(cmd, "cannot read " + name + ": " + reason(errno));
    }
    out->clear();
    std::vector<char> chunk(1 << 16);
    int err = 0;
    bool too_large = false;
    for (;;) {
        errno = 0;
        const std::size_t got = std::fread(chunk.data(), 1, chunk.size(), f);
        if (got > kMaxInput - out->size()) {
            too_large = true;
            break;
        }
        out->append(chunk.data(), got);
        if (got < chunk.size()) {
            if (std::ferror(f)) err = errno != 0 ? errno : EIO;
            break;
        }
    }
    if (!is_stdin) std::fclose(f);
    if (too_large) {
        out->clear();
        return fail(cmd, name + " is too large: the library takes at most " + std::to_string(kMaxInput) + " bytes");
    }
    if (err != 0) return fail(cmd, "cannot read " + name + ": " + reason(err));
    return 0;
}

int write_output(const char* cmd, const std::string& path, const void* data, std::size_t len) {
    if (path.empty()) {
        binary_mode(stdout);
        const int err = put(stdout, {{data, len}});
        return err == 0 ? 0 : fail(cmd, "cannot write to standard output: " + reason(err));
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return fail(cmd, "cannot create " + path + ": " + reason(errno));
    int err = put(f, {{data, len}});
    if (std::fclose(f) != 0 && err == 0) err = errno != 0 ? errno : EIO;
    return err == 0 ? 0 : fail(cmd, "cannot write " + path + ": " + reason(err));
}

int write_line(const char* cmd, const std::string& text) {
    const int err = put(stdout, {{text.data(), text.size()}, {"\n", 1}});
    return err == 0 ? 0 : fail(cmd, "cannot write to standard output: " + reason(err));
}

bool hex_bytes(const std::string& text, Bytes* out) {
    if (text.find('\0') != std::string::npos || text.size() > kMaxInput) return false;
    std::vector<char> digits(text.size() + 1);
    const int32_t n = CNV_HexFilter(digits.data(), text.c_str(), static_cast<int32_t>(text.size()));
    if (n < 0 || n % 2 != 0) return false;
    // The decoder refuses what is neither a digit nor a separator.
    if (CNV_BytesFromHexStr(nullptr, 0, text.c_str()) != n / 2) return false;
    out->assign(static_cast<std::size_t>(n / 2) + 1, 0);
    const int32_t got = n == 0 ? 0 : CNV_BytesFromHexStr(out->data(), n / 2, text.c_str());
    if (got != n / 2) return false;
    out->resize(static_cast<std::size_t>(got));
    return true;
}

namespace {

bool parse_b64(const std::string& text, Bytes* out) {
    if (text.find('\0') != std::string::npos) return false;
    const int32_t n = CNV_BytesFromB64Str(nullptr, 0, text.c_str());
    if (n < 0) return false;
    out->assign(static_cast<std::size_t>(n) + 1, 0);
    const int32_t got = CNV_BytesFromB64Str(out->data(), n, text.c_str());
    if (got < 0) return false;
    out->resize(static_cast<std::size_t>(got));
    return true;
}

}  // namespace

std::string input_path(const Options& opts) {
    const Args& pos = opts.positionals();
    if (!pos.empty()) return pos[0];
    return opts.has("--in") && !is_form(opts.value("--in")) ? opts.value("--in") : "-";
}

bool is_form(const std::string& word) { return word == "raw" || word == "hex" || word == "b64"; }

int get_data(const char* cmd, const Options& opts, Bytes* data) {
    const Args& pos = opts.positionals();
    // --in names the input file; "--in hex FILE" (the form of the file, as
    // --from says it now) is still read as it always was.
    const bool in_is_form = opts.has("--in") && is_form(opts.value("--in")) && !pos.empty();
    const bool in_file = opts.has("--in") && !in_is_form;
    const int given = (opts.has("--text") ? 1 : 0) + (opts.has("--hex") ? 1 : 0) + (opts.has("--b64") ? 1 : 0) +
                      (pos.empty() ? 0 : 1) + (in_file ? 1 : 0);
    if (given > 1 || pos.size() > 1)
        return usage_error(cmd,
                           "give one of --text STRING, --hex HEX, --b64 TEXT, --in FILE, a FILE or - for standard "
                           "input");
    if (opts.has("--from") && in_is_form) return usage_error(cmd, "give the form of the input once (--from)");
    std::string raw;
    std::string kind = "raw";
    const bool from_file = given == 0 || in_file || !pos.empty();  // nothing given: standard input
    if (opts.has("--text")) {
        raw = opts.value("--text");
    } else if (opts.has("--hex")) {
        raw = opts.value("--hex");
        kind = "hex";
    } else if (opts.has("--b64")) {
        raw = opts.value("--b64");
        kind = "b64";
    } else {
        kind = in_is_form ? opts.value("--in") : opts.value_or("--from", "raw");
        if (!is_form(kind)) return usage_error(cmd, "--from takes raw, hex or b64");
        if (const int status = read_input(cmd, input_path(opts), &raw)) return status;
    }
    // Text typed on the command line that does not decode is bad usage; a
    // file that does not is bad data.
    const auto refuse = [&](const char* why) { return from_file ? fail(cmd, why) : usage_error(cmd, why); };
    if (kind == "raw") {
        data->assign(raw.begin(), raw.end());
    } else if (kind == "hex") {
        if (!hex_bytes(raw, data))
            return refuse("the data is not whole bytes of hex (an even number of hex digits)");
    } else if (!parse_b64(raw, data)) {
        return refuse("the data is not base64");
    }
    wipe(raw);
    return 0;
}

int result_format(const char* cmd, const Options& opts, std::string* to) {
    *to = opts.value_or("--to", "hex");
    if (*to != "hex" && *to != "b64" && *to != "raw" && *to != "text")
        return usage_error(cmd, "--to takes hex, b64, raw or text");
    return 0;
}

int write_result(const char* cmd, const Options& opts, const Bytes& data, const std::string& to) {
    std::string text;
    if (to == "hex" || to == "b64") {
        const bool hex = to == "hex";
        const int32_t len = static_cast<int32_t>(data.size());
        const int32_t needed = hex ? CNV_HexStrFromBytes(nullptr, 0, data.data(), len)
                                   : CNV_B64StrFromBytes(nullptr, 0, data.data(), len);
        if (needed < 0) return report_error(cmd, needed);
        std::vector<char> buf(static_cast<std::size_t>(needed) + 1);
        const int32_t n = hex ? CNV_HexStrFromBytes(buf.data(), needed, data.data(), len)
                              : CNV_B64StrFromBytes(buf.data(), needed, data.data(), len);
        if (n < 0) return report_error(cmd, n);
        text.assign(buf.data(), static_cast<std::size_t>(n));
        text.push_back('\n');
    } else {
        text.assign(data.begin(), data.end());
        if (to == "text") text.push_back('\n');
    }
    const int status = write_output(cmd, opts.value("--out"), text.data(), text.size());
    wipe(text);
    return status;
}

int digest_format(const char* cmd, const Options& opts, const char* fallback, std::string* to) {
    *to = opts.value_or("--to", fallback);
    if (*to != "hex" && *to != "b64" && *to != "raw") return usage_error(cmd, "--to takes hex, b64 or raw");
    return 0;
}

int write_digest(const char* cmd, const Options& opts, const Bytes& digest, const std::string& to) {
    if (to == "raw") return write_result(cmd, opts, digest, to);
    std::string text;
    if (to == "hex") {
        static const char digits[] = "0123456789abcdef";
        for (const unsigned char b : digest) {
            text.push_back(digits[b >> 4]);
            text.push_back(digits[b & 15]);
        }
        text.push_back('\n');
        return write_output(cmd, opts.value("--out"), text.data(), text.size());
    }
    return write_result(cmd, opts, digest, to);
}

const unsigned char* data_or_empty(const Bytes& b) {
    static const unsigned char none = 0;
    return b.empty() ? &none : b.data();
}

void wipe(void* p, std::size_t n) {
    volatile unsigned char* v = static_cast<volatile unsigned char*>(p);
    while (n--) *v++ = 0;
}

void wipe(Bytes& b) { wipe(b.data(), b.size()); }
void wipe(std::string& s) { wipe(&s[0], s.size()); }

}  // namespace tessa
