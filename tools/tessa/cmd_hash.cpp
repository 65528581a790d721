// tessa hash: message digests of text, hex, files or standard input.
#include <cstdio>
#include <string>

#include "tessa.h"
#include "tessalib.h"

namespace {

struct AlgorithmName {
    const char* name;
    int32_t code;
};

const AlgorithmName kAlgorithms[] = {
    {"sha1", HASH_ALG_SHA1},          {"md5", HASH_ALG_MD5},
    {"md2", HASH_ALG_MD2},            {"sha256", HASH_ALG_SHA256},
    {"sha384", HASH_ALG_SHA384},      {"sha512", HASH_ALG_SHA512},
    {"sha224", HASH_ALG_SHA224},      {"rmd160", HASH_ALG_RMD160},
    {"ripemd160", HASH_ALG_RMD160},   {"hash160", HASH_ALG_HASH160},
    {"sha3-224", HASH_ALG_SHA3_224},  {"sha3-256", HASH_ALG_SHA3_256},
    {"sha3-384", HASH_ALG_SHA3_384},  {"sha3-512", HASH_ALG_SHA3_512},
    {"ascon-hash", HASH_ALG_ASCON_HASH}, {"ascon-hasha", HASH_ALG_ASCON_HASHA},
};

const char kUsage[] =
    "usage: tessa hash [--alg NAME] [--double] (--text TEXT | --hex HEX | [--textmode] FILE... | --in FILE | -)\n"
    "                  [--to hex|b64|raw] [--out FILE]\n"
    "\n"
    "Prints the lower-case hex digest of a text, of hex-encoded bytes, of each FILE\n"
    "(followed by its name) or of standard input (\"-\", or no argument).\n"
    "\n"
    "  --alg NAME   sha1, sha224, sha256 (default), sha384, sha512, sha3-224, sha3-256,\n"
    "               sha3-384, sha3-512, md5, md2, rmd160 (ripemd160), hash160\n"
    "               (RIPEMD-160 of SHA-256), ascon-hash, ascon-hasha\n"
    "  --text TEXT  hash the bytes of TEXT\n"
    "  --hex HEX    hash the bytes HEX encodes (an even number of hex digits)\n"
    "  --double     hash the digest once more with the same algorithm\n"
    "               (sha1, sha2, md5, md2, rmd160 only; sha256 gives double SHA-256)\n"
    "  --textmode   read files as text: CR LF is read as LF and a byte 0x1A ends the file\n"
    "  --to FORMAT  hex (lower case), b64 or raw: the digest alone, of one input\n"
    "  --out FILE   write the digest to FILE (as --to says; hex by default)\n"
    "\n"
    "Ascon digests are not available for files; use --text, --hex or standard input.\n"
    "Exit status: 0 on success, 1 when the library reports an error, 2 on bad usage.\n";

bool lookup(const std::string& name, int32_t* code) {
    for (const auto& a : kAlgorithms) {
        if (name == a.name) {
            *code = a.code;
            return true;
        }
    }
    return false;
}

// The digest, followed by the file name when show_label is set.
int print_digest(int32_t n, const char* hex, const char* label, bool show_label) {
    if (n < 0) return tessa::report_error("hash", n, show_label ? label : nullptr);
    return tessa::write_line("hash", show_label ? std::string(hex) + "  " + label : std::string(hex));
}

// With --to or --out: the one digest in that form, without a label.
int write_one(const tessa::Options& opts, const std::string& to, int32_t n, const char* hex) {
    if (n < 0) return tessa::report_error("hash", n);
    tessa::Bytes digest;
    tessa::hex_bytes(hex, &digest);
    return tessa::write_digest("hash", opts, digest, to);
}

int cmd_hash(const tessa::Options& opts) {
    const std::string alg = opts.value("--alg");
    int32_t code = HASH_ALG_SHA256;
    if (opts.has("--alg") && !lookup(alg, &code)) return tessa::usage_error("hash", "unknown algorithm '" + alg + "'");
    int32_t options = code;
    if (opts.has("--double")) options |= HASH_OPT_DOUBLE;
    const bool textmode = opts.has("--textmode");
    const bool has_text = opts.has("--text");
    const bool has_hex = opts.has("--hex");
    tessa::Args files = opts.positionals();
    if (opts.has("--in")) files.push_back(opts.value("--in"));
    if ((has_text && has_hex) || ((has_text || has_hex) && !files.empty()))
        return tessa::usage_error("hash", "give one of --text, --hex or files");
    const bool one_form = opts.has("--to") || opts.has("--out");
    std::string to;
    if (const int status = tessa::digest_format("hash", opts, "hex", &to)) return status;
    if (one_form && files.size() > 1) return tessa::usage_error("hash", "--to and --out take one input");
    char hex[129];
    const auto emit = [&](int32_t n, const char* label, bool show_label) {
        return one_form ? write_one(opts, to, n, hex) : print_digest(n, hex, label, show_label);
    };
    if (has_text) {
        const std::string text = opts.value("--text");
        const int32_t n = HASH_HexFromBytes(hex, 128, reinterpret_cast<const unsigned char*>(text.data()),
                                            static_cast<int32_t>(text.size()), options);
        return emit(n, "--text", false);
    }
    if (has_hex) {
        const std::string h = opts.value("--hex");
        return emit(HASH_HexFromHex(hex, 128, h.c_str(), options), "--hex", false);
    }
    if (textmode) options |= HASH_OPT_TEXT;
    if (files.empty() || (files.size() == 1 && files[0] == "-")) {
        std::string data;
        if (const int status = tessa::read_input("hash", "-", &data)) return status;
        if (textmode) {  // the same translation the library applies to files
            std::string t;
            for (std::size_t i = 0; i < data.size() && data[i] != '\x1a'; ++i) {
                if (data[i] == '\r' && i + 1 < data.size() && data[i + 1] == '\n') continue;
                t += data[i];
            }
            data.swap(t);
        }
        const int32_t n = HASH_HexFromBytes(hex, 128, reinterpret_cast<const unsigned char*>(data.data()),
                                            static_cast<int32_t>(data.size()), options & ~HASH_OPT_TEXT);
        return emit(n, "standard input", false);
    }
    int status = 0;
    for (const std::string& f : files) {
        if (emit(HASH_HexFromFile(hex, 128, f.c_str(), options), f.c_str(), true) == 0) continue;
        status = 1;
        if (std::ferror(stdout)) break;  // the output is gone: one report is enough
    }
    return status;
}

TESSA_COMMAND({"hash", "message digests (SHA-1/2/3, MD5, MD2, RIPEMD-160, HASH160, Ascon-Hash)", kUsage,
               {"--alg", "--text", "--hex", "--in", "--to", "--out"}, {"--double", "--textmode"}, cmd_hash});

}  // namespace
