// tessa wrap, tessa unwrap: CIPHER_KeyWrap / CIPHER_KeyUnwrap (AES key wrap
// of RFC 3394, Triple DES key wrap of RFC 3217). tessa stream: the stream
// ciphers (CIPHER_StreamBytes, and CIPHER_StreamFile for --file; PC1_Bytes
// and PC1_File for --alg pc1).
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tessa.h"
#include "tessalib.h"

namespace {

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// --- wrap / unwrap ---------------------------------------------------------------------------------

int32_t wrap_algorithm(const std::string& name) {
    const std::string n = lower(name);
    if (n == "aes128" || n == "aes-128") return CIPHER_ALG_AES128;
    if (n == "aes192" || n == "aes-192") return CIPHER_ALG_AES192;
    if (n == "aes256" || n == "aes-256") return CIPHER_ALG_AES256;
    if (n == "tdea" || n == "3des" || n == "des-ede3") return CIPHER_ALG_TDEA;
    return 0;
}

int run_wrap(const char* cmd, bool wrap, const tessa::Options& opts) {
    const int32_t alg = wrap_algorithm(opts.value("--alg"));
    if (alg == 0)
        return tessa::usage_error(cmd, "--alg takes aes128, aes192, aes256 or tdea" +
                                           (opts.has("--alg") ? ", not " + opts.value("--alg") : std::string()));
    std::string to;
    if (const int status = tessa::result_format(cmd, opts, &to)) return status;
    tessa::Bytes kek, data;
    if (!tessa::hex_bytes(opts.value("--kek"), &kek) || kek.empty())
        return tessa::usage_error(cmd, "give the key-encryption key as whole bytes of hex with --kek");
    if (const int status = tessa::get_data(cmd, opts, &data)) {
        tessa::wipe(kek);
        return status;
    }
    auto fn = wrap ? CIPHER_KeyWrap : CIPHER_KeyUnwrap;
    const auto n = static_cast<int32_t>(data.size());
    const auto k = static_cast<int32_t>(kek.size());
    int32_t rc = fn(nullptr, 0, tessa::data_or_empty(data), n, kek.data(), k, alg);
    tessa::Bytes out;
    if (rc > 0) {
        out.resize(static_cast<std::size_t>(rc));
        rc = fn(out.data(), rc, tessa::data_or_empty(data), n, kek.data(), k, alg);
    }
    tessa::wipe(kek);
    tessa::wipe(data);
    if (rc < 0) {
        tessa::wipe(out);
        // -1 is the integrity failure (its code, 1, names another error).
        if (rc == -1) return tessa::fail(cmd, "the wrapped key failed its integrity check (a wrong --kek, or altered data)");
        const char* hint = nullptr;
        if (rc == -BAD_LENGTH_ERROR)
            hint = alg == CIPHER_ALG_TDEA ? (wrap ? "Triple DES wraps one 24-byte key" : "a Triple DES wrap is 40 bytes")
                                          : (wrap ? "AES wraps 16 bytes or more, a multiple of 8"
                                                  : "an AES wrap is 24 bytes or more, a multiple of 8");
        if (rc == -BAD_KEY_LEN_ERROR) hint = "--kek is 16, 24 or 32 bytes for AES-128/192/256, 24 for Triple DES";
        return tessa::report_error(cmd, rc, hint);
    }
    out.resize(static_cast<std::size_t>(rc));
    const int status = tessa::write_result(cmd, opts, out, to);
    tessa::wipe(out);
    return status;
}

int cmd_wrap(const tessa::Options& opts) { return run_wrap("wrap", true, opts); }
int cmd_unwrap(const tessa::Options& opts) { return run_wrap("unwrap", false, opts); }

#define WRAP_VALUED {"--alg", "--kek", TESSA_DATA_OPTIONS}
#define WRAP_USAGE_BODY                                                                                     \
    "  --alg ALG   aes128, aes192, aes256 (AES key wrap, RFC 3394) or tdea (Triple\n"                         \
    "              DES key wrap, RFC 3217)\n"                                                                  \
    "  --kek HEX   the key-encryption key: 16, 24 or 32 bytes for AES, 24 for Triple DES\n"                   \
    "\n" TESSA_DATA_USAGE

TESSA_COMMAND({"wrap", "wrap a key under a key-encryption key (AES or Triple DES key wrap)",
               "usage: tessa wrap --alg ALG --kek HEX KEY [--to FORMAT] [--out FILE]\n"
               "\n"
               "Wraps KEY (the data: for AES 16 bytes or more, a multiple of 8; for Triple DES\n"
               "one 24-byte key) and prints the wrapped key (8 bytes longer for AES, 40 bytes\n"
               "for Triple DES, whose wraps differ each time).\n"
               "\n" WRAP_USAGE_BODY
               "\n"
               "Example (RFC 3394, 4.1):\n"
               "  tessa wrap --alg aes128 --kek 000102030405060708090A0B0C0D0E0F \\\n"
               "      --hex 00112233445566778899AABBCCDDEEFF\n",
               WRAP_VALUED, {}, cmd_wrap});
TESSA_COMMAND({"unwrap", "unwrap a wrapped key, checking its integrity",
               "usage: tessa unwrap --alg ALG --kek HEX WRAPPED [--to FORMAT] [--out FILE]\n"
               "\n"
               "Unwraps WRAPPED and prints the key; fails when the integrity check does not\n"
               "hold (a wrong key-encryption key or altered data).\n"
               "\n" WRAP_USAGE_BODY,
               WRAP_VALUED, {}, cmd_unwrap});

// --- stream ----------------------------------------------------------------------------------------

// --alg pc1: Arcfour through the PC1_ functions (a key and nothing else).
constexpr int32_t kPc1 = -1;

int32_t stream_algorithm(const std::string& name) {
    const std::string n = lower(name);
    if (n == "pc1") return kPc1;
    if (n == "arcfour" || n == "rc4") return STREAM_ARCFOUR;
    if (n == "salsa20") return STREAM_SALSA20;
    if (n == "chacha20") return STREAM_CHACHA20;
    return 0;
}

int cmd_stream(const tessa::Options& opts) {
    const char* cmd = "stream";
    const int32_t alg = stream_algorithm(opts.value("--alg"));
    if (alg == 0)
        return tessa::usage_error(cmd, "--alg takes arcfour, pc1, salsa20 or chacha20" +
                                           (opts.has("--alg") ? ", not " + opts.value("--alg") : std::string()));
    tessa::Bytes key, iv;
    if (!tessa::hex_bytes(opts.value("--key"), &key) || key.empty())
        return tessa::usage_error(cmd, "give the key as whole bytes of hex with --key");
    if (opts.has("--iv") && !tessa::hex_bytes(opts.value("--iv"), &iv)) {
        tessa::wipe(key);
        return tessa::usage_error(cmd, "the IV is not whole bytes of hex");
    }
    if (alg == kPc1 && (opts.has("--iv") || opts.has("--counter"))) {
        tessa::wipe(key);
        return tessa::usage_error(cmd, "pc1 takes a key only: no --iv, no --counter");
    }
    int32_t counter = 0;
    if (opts.has("--counter")) {
        const std::string text = opts.value("--counter");
        char* end = nullptr;
        errno = 0;
        const long long c = std::strtoll(text.c_str(), &end, 0);
        if (text.empty() || *end != '\0' || errno == ERANGE || c < 0 || c > 0xFFFFFFFFLL) {
            tessa::wipe(key);
            return tessa::usage_error(cmd, "--counter must be a number from 0 to 4294967295: " + text);
        }
        counter = static_cast<int32_t>(static_cast<uint32_t>(c));
    }
    const unsigned char* ivp = opts.has("--iv") ? tessa::data_or_empty(iv) : nullptr;
    const auto key_len = static_cast<int32_t>(key.size());
    const auto iv_len = static_cast<int32_t>(iv.size());
    const char* hint = alg == STREAM_ARCFOUR || alg == kPc1 ? nullptr
                       : alg == STREAM_SALSA20 ? "Salsa20 takes a 16- or 32-byte key and an 8-byte --iv"
                                               : "ChaCha20 takes a 16- or 32-byte key and an --iv of 8, 12 or 16 bytes";

    if (opts.has("--file")) {
        // The file as it is into --out, in pieces, never whole in memory.
        const std::string in = opts.value("--file");
        if (in.empty() || in == "-" || !opts.positionals().empty() || !opts.has("--out") || opts.has("--text") ||
            opts.has("--hex") || opts.has("--b64") || opts.has("--to") || opts.has("--in") || opts.has("--from")) {
            tessa::wipe(key);
            return tessa::usage_error(cmd, "with --file FILE give --out FILE and no other data or --to");
        }
        // PC1_File's codes are positive, CIPHER_StreamFile's negated.
        const int32_t rc = alg == kPc1 ? -PC1_File(opts.value("--out").c_str(), in.c_str(), key.data(), key_len)
                                       : CIPHER_StreamFile(opts.value("--out").c_str(), in.c_str(), key.data(),
                                                           key_len, ivp, iv_len, counter, alg);
        tessa::wipe(key);
        tessa::wipe(iv);
        if (rc == 0) return 0;
        if (rc == -DUP_ERROR) return tessa::report_error(cmd, rc, "the output is the input; nothing was written");
        if (rc == -OPEN_ERROR || rc == -CREATE_ERROR || rc == -READ_ERROR || rc == -WRITE_ERROR) {
            const std::string which = rc == -OPEN_ERROR || rc == -READ_ERROR ? in : opts.value("--out");
            return tessa::report_error(cmd, rc, which.c_str());
        }
        return tessa::report_error(cmd, rc, hint);
    }

    std::string to;
    tessa::Bytes data;
    int status = tessa::result_format(cmd, opts, &to);
    if (status == 0) status = tessa::get_data(cmd, opts, &data);
    if (status != 0) {
        tessa::wipe(key);
        return status;
    }
    data.reserve(data.size() + 1);  // a real buffer even for no data
    const auto n = static_cast<int32_t>(data.size());
    const int32_t rc = alg == kPc1 ? PC1_Bytes(data.data(), data.data(), n, key.data(), key_len)
                                   : CIPHER_StreamBytes(data.data(), data.data(), n, key.data(), key_len, ivp, iv_len,
                                                        counter, alg);
    tessa::wipe(key);
    tessa::wipe(iv);
    if (rc != 0) {
        tessa::wipe(data);
        return tessa::report_error(cmd, rc, hint);
    }
    status = tessa::write_result(cmd, opts, data, to);
    tessa::wipe(data);
    return status;
}

TESSA_COMMAND({"stream", "encrypt or decrypt with Arcfour (also as PC1), Salsa20 or ChaCha20",
               "usage: tessa stream --alg ALG --key HEX [--iv HEX] [--counter N] DATA [--to FORMAT] [--out FILE]\n"
               "       tessa stream --alg ALG --key HEX [--iv HEX] [--counter N] --file FILE --out FILE\n"
               "\n"
               "XORs DATA with the keystream: encryption and decryption are the same.\n"
               "\n"
               "  --alg ALG     arcfour (RC4-compatible; any key of 1 byte or more, no IV),\n"
               "                pc1 (the same cipher through the PC1_ functions),\n"
               "                salsa20 (16- or 32-byte key, 8-byte IV) or chacha20 (16- or\n"
               "                32-byte key; IV of 8 bytes (64-bit counter), 12 (RFC 8439) or\n"
               "                16 (the counter and nonce words as they are))\n"
               "  --key HEX     the key\n"
               "  --iv HEX      the IV (nonce), for salsa20 and chacha20\n"
               "  --counter N   chacha20 with an 8- or 12-byte IV: the first block's number\n"
               "                (0 by default; RFC 8439's examples start at 1)\n"
               "  --file FILE   run FILE into --out piece by piece (for files of any size);\n"
               "                an --out that is FILE itself (another name, a link) is refused\n"
               "\n" TESSA_DATA_USAGE
               "\n"
               "Example (RFC 8439, 2.4.2):\n"
               "  tessa stream --alg chacha20 --counter 1 --iv 000000000000004A00000000 \\\n"
               "      --key 000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F --text 'Ladies ...'\n",
               {"--alg", "--key", "--iv", "--counter", "--file", TESSA_DATA_OPTIONS},
               {},
               cmd_stream});

}  // namespace
