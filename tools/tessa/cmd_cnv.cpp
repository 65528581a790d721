// tessa hex, unhex, b64, unb64, hexfilter, b64filter, utf8: the CNV_ exports.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tessa.h"
#include "tessalib.h"

namespace {

// The command's input: --text STRING, else the bytes of FILE (or --in FILE)
// or of standard input ("-", or nothing given). Returns 0, or the exit status
// after printing the reason.
int get_input(const char* cmd, const tessa::Options& opts, std::string* data) {
    const tessa::Args& pos = opts.positionals();
    if (opts.has("--text")) {
        if (!pos.empty() || opts.has("--in")) return tessa::usage_error(cmd, "give --text or a FILE, not both");
        *data = opts.value("--text");
        return 0;
    }
    if (pos.size() > 1 || (!pos.empty() && opts.has("--in")))
        return tessa::usage_error(cmd, "give one FILE, - for standard input, or --text STRING");
    return tessa::read_input(cmd, tessa::input_path(opts), data);
}

using EncodeFn = int32_t(TESSALIB_CALL*)(char*, int32_t, const unsigned char*, int32_t);
using DecodeFn = int32_t(TESSALIB_CALL*)(unsigned char*, int32_t, const char*);
using FilterFn = int32_t(TESSALIB_CALL*)(char*, const char*, int32_t);

int run_encode(const char* cmd, EncodeFn encode, const tessa::Options& opts) {
    std::string data;
    if (const int status = get_input(cmd, opts, &data)) return status;
    const auto* in = reinterpret_cast<const unsigned char*>(data.c_str());
    const auto in_len = static_cast<int32_t>(data.size());
    const int32_t needed = encode(nullptr, 0, in, in_len);
    if (needed < 0) return tessa::report_error(cmd, needed);
    std::vector<char> text(static_cast<std::size_t>(needed) + 1);
    const int32_t n = encode(text.data(), needed, in, in_len);
    if (n < 0) return tessa::report_error(cmd, n);
    return tessa::write_line(cmd, std::string(text.data(), static_cast<std::size_t>(n)));
}

int run_decode(const char* cmd, DecodeFn decode, const tessa::Options& opts) {
    std::string text;
    if (const int status = get_input(cmd, opts, &text)) return status;
    if (text.find('\0') != std::string::npos) return tessa::fail(cmd, "the input holds a NUL byte");
    const int32_t needed = decode(nullptr, 0, text.c_str());
    if (needed < 0) return tessa::report_error(cmd, needed);
    std::vector<unsigned char> bytes(static_cast<std::size_t>(needed) + 1);
    const int32_t n = decode(bytes.data(), needed, text.c_str());
    if (n < 0) return tessa::report_error(cmd, n);
    return tessa::write_output(cmd, opts.value("--out"), bytes.data(), static_cast<std::size_t>(n));
}

int run_filter(const char* cmd, FilterFn filter, const tessa::Options& opts) {
    std::string text;
    if (const int status = get_input(cmd, opts, &text)) return status;
    std::vector<char> out(text.size() + 1);
    const int32_t n = filter(out.data(), text.c_str(), static_cast<int32_t>(text.size()));
    if (n < 0) return tessa::report_error(cmd, n);
    return tessa::write_line(cmd, std::string(out.data(), static_cast<std::size_t>(n)));
}

int cmd_hex(const tessa::Options& opts) { return run_encode("hex", CNV_HexStrFromBytes, opts); }
int cmd_b64(const tessa::Options& opts) { return run_encode("b64", CNV_B64StrFromBytes, opts); }
int cmd_unhex(const tessa::Options& opts) { return run_decode("unhex", CNV_BytesFromHexStr, opts); }
int cmd_unb64(const tessa::Options& opts) { return run_decode("unb64", CNV_BytesFromB64Str, opts); }
int cmd_hexfilter(const tessa::Options& opts) { return run_filter("hexfilter", CNV_HexFilter, opts); }
int cmd_b64filter(const tessa::Options& opts) { return run_filter("b64filter", CNV_B64Filter, opts); }

// UTF-16LE to UTF-8. The library converts 0-terminated texts, so the input is
// converted a run at a time between 0 units, each of which becomes a NUL byte.
int cmd_utf8(const tessa::Options& opts) {
    std::string data;
    if (const int status = get_input("utf8", opts, &data)) return status;
    if (data.size() % 2 != 0) return tessa::fail("utf8", "the input is not UTF-16: it has an odd number of bytes");
    std::vector<uint16_t> units;
    units.reserve(data.size() / 2 + 1);
    for (std::size_t i = 0; i < data.size(); i += 2)
        units.push_back(static_cast<uint16_t>(static_cast<unsigned char>(data[i]) |
                                              (static_cast<unsigned char>(data[i + 1]) << 8)));
    std::size_t start = (!units.empty() && units[0] == 0xFEFF) ? 1 : 0;  // byte-order mark
    units.push_back(0);

    std::string out;
    while (start < units.size()) {
        std::size_t end = start;
        while (units[end] != 0) ++end;
        const int32_t needed = CNV_Utf8FromWide(nullptr, 0, &units[start]);
        if (needed < 0) return tessa::report_error("utf8", needed);
        if (needed > 0) {
            std::vector<char> run(static_cast<std::size_t>(needed) + 1);
            const int32_t n = CNV_Utf8FromWide(run.data(), needed, &units[start]);
            if (n < 0) return tessa::report_error("utf8", n);
            out.append(run.data(), static_cast<std::size_t>(n));
        }
        if (end + 1 < units.size()) out.push_back('\0');  // a 0 unit inside the input
        start = end + 1;
    }
    return tessa::write_output("utf8", opts.value("--out"), out.data(), out.size());
}

TESSA_COMMAND({"hex", "bytes to upper-case hex",
               "usage: tessa hex [FILE | - | --in FILE | --text STRING]\n"
               "\n"
               "Prints the bytes of FILE (- for standard input), or of STRING, as upper-case\n"
               "hexadecimal on one line.\n"
               "\n"
               "  tessa hex --text abc      ->  616263\n",
               {"--text", "--in"}, {}, cmd_hex});
TESSA_COMMAND({"unhex", "hex text to bytes",
               "usage: tessa unhex [FILE | - | --in FILE | --text STRING] [--out FILE]\n"
               "\n"
               "Decodes hex digits (either case) to bytes, written to standard output or to\n"
               "the --out file. White space and punctuation between digits are skipped, so\n"
               "\"de:ad be-ef\" gives the four bytes DE AD BE EF; a last lone digit is dropped.\n"
               "Any other character (a letter after F, as in \"0x12\", a control character or a\n"
               "non-ASCII byte) is refused with INVALID_DATA_ERROR.\n",
               {"--text", "--in", "--out"}, {}, cmd_unhex});
TESSA_COMMAND({"b64", "bytes to base64",
               "usage: tessa b64 [FILE | - | --in FILE | --text STRING]\n"
               "\n"
               "Prints the bytes of FILE (- for standard input), or of STRING, as padded base64\n"
               "(RFC 4648 alphabet, no line breaks) on one line.\n"
               "\n"
               "  tessa b64 --text foob     ->  Zm9vYg==\n",
               {"--text", "--in"}, {}, cmd_b64});
TESSA_COMMAND({"unb64", "base64 text to bytes",
               "usage: tessa unb64 [FILE | - | --in FILE | --text STRING] [--out FILE]\n"
               "\n"
               "Decodes base64 to bytes, written to standard output or to the --out file.\n"
               "Line breaks and spaces are skipped; the first \"=\" ends the data. Any other\n"
               "character (a hyphen or an underscore, for example) is refused with\n"
               "INVALID_DATA_ERROR.\n",
               {"--text", "--in", "--out"}, {}, cmd_unb64});
TESSA_COMMAND({"hexfilter", "keep only the hex digits of a text",
               "usage: tessa hexfilter [FILE | - | --in FILE | --text STRING]\n"
               "\n"
               "Prints the characters 0-9, A-F and a-f of the input, in order, and drops\n"
               "everything else (separators, line breaks, NUL bytes).\n",
               {"--text", "--in"}, {}, cmd_hexfilter});
TESSA_COMMAND({"b64filter", "keep only the base64 characters of a text",
               "usage: tessa b64filter [FILE | - | --in FILE | --text STRING]\n"
               "\n"
               "Prints the characters of the base64 alphabet and \"=\" of the input, in order,\n"
               "and drops everything else (line breaks, spaces, NUL bytes).\n",
               {"--text", "--in"}, {}, cmd_b64filter});
TESSA_COMMAND({"utf8", "UTF-16LE text to UTF-8",
               "usage: tessa utf8 [FILE | - | --in FILE] [--out FILE]\n"
               "\n"
               "Converts a UTF-16 little-endian file (a leading byte-order mark is dropped) to\n"
               "UTF-8, written to standard output or to the --out file. Only characters up to\n"
               "U+FFFF are supported: a surrogate pair is refused with ENCODING_ERROR.\n",
               {"--text", "--in", "--out"}, {}, cmd_utf8});

}  // namespace
