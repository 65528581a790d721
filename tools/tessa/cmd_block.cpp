// tessa encrypt, tessa decrypt: the per-algorithm block-cipher exports
// (AES128_/AES192_/AES256_, DES_, TDEA_, BLF_ byte forms).
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

#include "tessa.h"
#include "tessalib.h"

namespace {

using Bytes = std::vector<unsigned char>;

struct Algorithm {
    const char* names[3];  // what may follow --alg (lower case)
    const char* title;
    std::size_t block;
    std::size_t key_len;  // 0: 1 to 56 bytes (Blowfish)
};

const Algorithm kAlgorithms[] = {
    {{"aes128", "aes-128", "aes"}, "AES-128", 16, 16},
    {{"aes192", "aes-192", nullptr}, "AES-192", 16, 24},
    {{"aes256", "aes-256", nullptr}, "AES-256", 16, 32},
    {{"des", nullptr, nullptr}, "DES", 8, 8},
    {{"tdea", "3des", "des-ede3"}, "Triple DES", 8, 24},
    {{"blowfish", "bf", "blf"}, "Blowfish", 8, 0},
};

const Algorithm* find_algorithm(std::string name) {
    for (char& c : name)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    for (const auto& a : kAlgorithms)
        for (const char* n : a.names)
            if (n != nullptr && name == n) return &a;
    return nullptr;
}

// Overwrites a buffer that held a key, an IV or plaintext.
void wipe(Bytes& b) {
    volatile unsigned char* p = b.data();
    for (std::size_t i = 0; i < b.size(); ++i) p[i] = 0;
}

// Hex from the command line: digits of either case; spaces, colons and dashes
// between them are allowed. An odd number of digits is refused.
bool parse_hex(const std::string& text, Bytes* out) {
    std::vector<char> digits(text.size() + 1);
    const int32_t n = CNV_HexFilter(digits.data(), text.c_str(), static_cast<int32_t>(text.size()));
    if (n < 0 || n % 2 != 0) return false;
    for (char c : text)
        if (!std::strchr("0123456789abcdefABCDEF :-\t\r\n", c)) return false;
    out->assign(static_cast<std::size_t>(n / 2) + 1, 0);
    const int32_t got = CNV_BytesFromHexStr(out->data(), n / 2, text.c_str());
    if (got != n / 2) return false;
    out->resize(static_cast<std::size_t>(got));
    return true;
}

bool parse_b64(const std::string& text, Bytes* out) {
    const int32_t n = CNV_BytesFromB64Str(nullptr, 0, text.c_str());
    if (n < 0) return false;
    out->assign(static_cast<std::size_t>(n) + 1, 0);
    const int32_t got = CNV_BytesFromB64Str(out->data(), n, text.c_str());
    if (got < 0) return false;
    out->resize(static_cast<std::size_t>(got));
    return true;
}

// The data: --text STRING, --hex HEX, --b64 TEXT, or FILE / - read as raw
// bytes (--in hex or --in b64 read it as text of that kind).
int get_data(const char* cmd, const tessa::Args& args, Bytes* data) {
    std::string raw;
    std::string kind = "raw";
    if (tessa::has_flag(args, "--text")) {
        raw = tessa::option_value(args, "--text");
    } else if (tessa::has_flag(args, "--hex")) {
        raw = tessa::option_value(args, "--hex");
        kind = "hex";
    } else if (tessa::has_flag(args, "--b64")) {
        raw = tessa::option_value(args, "--b64");
        kind = "b64";
    } else {
        const tessa::Args pos =
            tessa::positionals(args, {"--alg", "--key", "--iv", "--mode", "--in", "--to", "--out"});
        if (pos.empty()) {
            std::fprintf(stderr, "tessa %s: give --text STRING, --hex HEX, --b64 TEXT, a FILE or - for standard input\n",
                         cmd);
            return 2;
        }
        if (!tessa::read_input(pos[0], &raw)) {
            std::fprintf(stderr, "tessa %s: cannot read %s\n", cmd, pos[0].c_str());
            return 1;
        }
        kind = tessa::has_flag(args, "--in") ? tessa::option_value(args, "--in") : "raw";
    }
    if (raw.size() > static_cast<std::size_t>(INT32_MAX)) {
        std::fprintf(stderr, "tessa %s: the input is too large\n", cmd);
        return 1;
    }
    if (kind == "raw") {
        data->assign(raw.begin(), raw.end());
    } else if (kind == "hex") {
        if (!parse_hex(raw, data)) {
            std::fprintf(stderr, "tessa %s: the data is not an even number of hex digits\n", cmd);
            return 1;
        }
    } else if (kind == "b64") {
        if (!parse_b64(raw, data)) {
            std::fprintf(stderr, "tessa %s: the data is not base64\n", cmd);
            return 1;
        }
    } else {
        std::fprintf(stderr, "tessa %s: --in takes raw, hex or b64\n", cmd);
        return 2;
    }
    return 0;
}

int write_result(const char* cmd, const tessa::Args& args, const Bytes& data, const std::string& to) {
    std::string text;
    if (to == "hex" || to == "b64") {
        const bool hex = to == "hex";
        const int32_t len = static_cast<int32_t>(data.size());
        const int32_t needed = hex ? CNV_HexStrFromBytes(nullptr, 0, data.data(), len)
                                   : CNV_B64StrFromBytes(nullptr, 0, data.data(), len);
        if (needed < 0) return tessa::report_error(cmd, needed);
        std::vector<char> buf(static_cast<std::size_t>(needed) + 1);
        const int32_t n = hex ? CNV_HexStrFromBytes(buf.data(), needed, data.data(), len)
                              : CNV_B64StrFromBytes(buf.data(), needed, data.data(), len);
        if (n < 0) return tessa::report_error(cmd, n);
        text.assign(buf.data(), static_cast<std::size_t>(n));
        text.push_back('\n');
    } else if (to == "raw" || to == "text") {
        text.assign(data.begin(), data.end());
        if (to == "text") text.push_back('\n');
    } else {
        std::fprintf(stderr, "tessa %s: --to takes hex, b64, raw or text\n", cmd);
        return 2;
    }
    const std::string out = tessa::option_value(args, "--out");
    std::FILE* f = stdout;
    if (!out.empty()) {
        f = std::fopen(out.c_str(), "wb");
        if (f == nullptr) {
            std::fprintf(stderr, "tessa %s: cannot create %s\n", cmd, out.c_str());
            return 1;
        }
    } else {
#if defined(_WIN32)
        _setmode(_fileno(stdout), _O_BINARY);
#endif
    }
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    const bool closed = (f == stdout) ? std::fflush(f) == 0 : std::fclose(f) == 0;
    if (!ok || !closed) {
        std::fprintf(stderr, "tessa %s: write failed\n", cmd);
        return 1;
    }
    return 0;
}

int32_t run_cipher(const Algorithm& alg, Bytes& data, const Bytes& key, bool encrypt, const char* mode,
                   const unsigned char* iv) {
    unsigned char* d = data.data();
    const int32_t n = static_cast<int32_t>(data.size());
    const int32_t e = encrypt ? 1 : 0;
    switch (alg.key_len) {
    case 16:
        if (alg.block == 16) return AES128_BytesMode(d, d, n, key.data(), e, mode, iv);
        break;
    case 24:
        if (alg.block == 16) return AES192_BytesMode(d, d, n, key.data(), e, mode, iv);
        return TDEA_BytesMode(d, d, n, key.data(), e, mode, iv);
    case 32: return AES256_BytesMode(d, d, n, key.data(), e, mode, iv);
    case 8: return DES_BytesMode(d, d, n, key.data(), e, mode, iv);
    case 0: return BLF_BytesMode(d, d, n, key.data(), static_cast<int32_t>(key.size()), e, mode, iv);
    default: break;
    }
    return BAD_PARAM_ERROR;
}

int run(const char* cmd, bool encrypt, const tessa::Args& args) {
    const std::string alg_name = tessa::option_value(args, "--alg");
    const Algorithm* alg = find_algorithm(alg_name);
    if (alg == nullptr) {
        std::fprintf(stderr, "tessa %s: --alg takes aes128, aes192, aes256, des, tdea or blowfish%s%s\n", cmd,
                     alg_name.empty() ? "" : ", not ", alg_name.c_str());
        return 2;
    }
    Bytes key, iv;
    if (!parse_hex(tessa::option_value(args, "--key"), &key) || key.empty()) {
        std::fprintf(stderr, "tessa %s: give the key as hex with --key\n", cmd);
        return 2;
    }
    if (alg->key_len != 0 && key.size() != alg->key_len) {
        std::fprintf(stderr, "tessa %s: %s needs a %zu-byte key (%zu hex digits), not %zu bytes\n", cmd, alg->title,
                     alg->key_len, 2 * alg->key_len, key.size());
        wipe(key);
        return 1;
    }
    const std::string mode = tessa::has_flag(args, "--mode") ? tessa::option_value(args, "--mode") : "ECB";
    const bool has_iv = tessa::has_flag(args, "--iv");
    if (has_iv && (!parse_hex(tessa::option_value(args, "--iv"), &iv) || iv.size() != alg->block)) {
        std::fprintf(stderr, "tessa %s: the IV of %s is %zu bytes (%zu hex digits)\n", cmd, alg->title, alg->block,
                     2 * alg->block);
        wipe(key);
        return 1;
    }
    Bytes data;
    if (const int status = get_data(cmd, args, &data)) {
        wipe(key);
        return status;
    }
    data.reserve(data.size() + 1);  // a real buffer even for no data
    const int32_t rc = run_cipher(*alg, data, key, encrypt, mode.c_str(), has_iv ? iv.data() : nullptr);
    wipe(key);
    wipe(iv);
    if (rc != 0) {
        wipe(data);
        if (rc == BAD_LENGTH_ERROR)
            std::fprintf(stderr, "tessa %s: ECB and CBC need a multiple of %zu bytes; CFB, OFB and CTR take any length\n",
                         cmd, alg->block);
        return tessa::report_error(cmd, rc);
    }
    const std::string to = tessa::has_flag(args, "--to") ? tessa::option_value(args, "--to") : "hex";
    const int status = write_result(cmd, args, data, to);
    wipe(data);
    return status;
}

int cmd_encrypt(const tessa::Args& args) { return run("encrypt", true, args); }
int cmd_decrypt(const tessa::Args& args) { return run("decrypt", false, args); }

#define BLOCK_USAGE_BODY                                                                                       \
    "  --alg ALG     aes128, aes192, aes256, des, tdea (Triple DES) or blowfish\n"                              \
    "  --key HEX     the key in hex: 16, 24 or 32 bytes for AES, 8 for DES, 24 for\n"                          \
    "                Triple DES (K1 K2 K3; two-key: K1 K2 K1), 1 to 56 for Blowfish\n"                          \
    "  --mode MODE   ECB (the default), CBC, CFB, OFB or CTR, in any case\n"                                    \
    "  --iv HEX      the IV, one block: 16 bytes for AES, 8 for the others; needed\n"                           \
    "                by every mode but ECB. In CTR the whole block is the counter.\n"                           \
    "\n"                                                                                                        \
    "The data (one of):\n"                                                                                      \
    "  --text STRING   the bytes of STRING\n"                                                                   \
    "  --hex HEX       bytes in hex (spaces, colons and dashes between digits allowed)\n"                       \
    "  --b64 TEXT      bytes in base64\n"                                                                       \
    "  FILE | -        the bytes of FILE or of standard input; with --in hex or\n"                              \
    "                  --in b64 the file holds hex or base64 text instead\n"                                    \
    "\n"                                                                                                        \
    "The result:\n"                                                                                             \
    "  --to FORMAT   hex (the default, upper case), b64, raw (the bytes as they are)\n"                         \
    "                or text (the bytes and a line break)\n"                                                    \
    "  --out FILE    write to FILE instead of standard output\n"                                                \
    "\n"                                                                                                        \
    "ECB and CBC work on whole blocks only: the data must be a multiple of the block\n"                         \
    "size (no padding is added or removed). CFB, OFB and CTR take any length.\n"

TESSA_COMMAND({"encrypt", "encrypt with AES, DES, Triple DES or Blowfish in any mode",
               "usage: tessa encrypt --alg ALG --key HEX [--mode MODE] [--iv HEX] DATA [--to FORMAT] [--out FILE]\n"
               "\n"
               "Encrypts DATA with a block cipher and prints the ciphertext.\n"
               "\n" BLOCK_USAGE_BODY
               "\n"
               "Examples:\n"
               "  tessa encrypt --alg aes128 --key 000102030405060708090A0B0C0D0E0F \\\n"
               "      --hex 00112233445566778899AABBCCDDEEFF\n"
               "  tessa encrypt --alg aes256 --mode ctr --key <64 hex digits> --iv <32 hex digits> \\\n"
               "      --text 'attack at dawn' --to b64\n",
               cmd_encrypt});
TESSA_COMMAND({"decrypt", "decrypt with AES, DES, Triple DES or Blowfish in any mode",
               "usage: tessa decrypt --alg ALG --key HEX [--mode MODE] [--iv HEX] DATA [--to FORMAT] [--out FILE]\n"
               "\n"
               "Decrypts DATA with a block cipher and prints the plaintext.\n"
               "\n" BLOCK_USAGE_BODY
               "\n"
               "Example:\n"
               "  tessa decrypt --alg des --mode cbc --key 0123456789ABCDEF --iv 1234567890ABCDEF \\\n"
               "      --hex E5C7CDDE872BF27C43E934008C389C0F683788499A7C05F6 --to text\n",
               cmd_decrypt});

}  // namespace
