// tessa encrypt, tessa decrypt: the per-algorithm block-cipher exports
// (AES128_/AES192_/AES256_, DES_, TDEA_, BLF_ byte forms), and the generic
// CIPHER_EncryptBytes / CIPHER_DecryptBytes when an algorithm/mode/padding
// name, a padding or the IV in front is asked for; the _FileExt forms for
// --file FILE --out FILE.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#if defined(_WIN32)
#include <io.h>
#define tessa_isatty _isatty
#define tessa_fileno _fileno
#else
#include <unistd.h>
#define tessa_isatty isatty
#define tessa_fileno fileno
#endif

#include "tessa.h"
#include "tessalib.h"

namespace {

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

int32_t run_cipher(const Algorithm& alg, tessa::Bytes& data, const tessa::Bytes& key, bool encrypt, const char* mode,
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

// The generic path: --alg as an algorithm/mode/padding name of the CIPHER_
// functions ("aes128/cbc/pkcs5"), or a plain name with --mode and --pad.
// Padding (PKCS #5 by default in ECB and CBC) and the IV in front
// (--prefix-iv) are the library's; key and IV lengths are checked there.
// Checks the arguments of --file FILE --out FILE and runs call(out, in) (a
// file export's result, either sign); wipes key. Returns the exit status.
// A file to encrypt or decrypt into another: --file FILE --out FILE, or
// --in FILE --out FILE when no data format is asked for (--in raw|hex|b64,
// --from and --to are about data, which --in FILE alone reads).
bool by_file(const tessa::Options& opts) {
    if (opts.has("--file")) return true;
    if (!opts.has("--in") || !opts.has("--out") || opts.has("--from") || opts.has("--to")) return false;
    const std::string in = opts.value("--in");
    return in != "raw" && in != "hex" && in != "b64";
}

template <typename Call>
int run_files(const char* cmd, tessa::Bytes& key, const tessa::Options& opts, Call call);

int run_generic(const char* cmd, bool encrypt, const tessa::Options& opts) {
    std::string text = opts.value("--alg");
    const bool named = text.find('/') != std::string::npos;
    if (named && opts.has("--mode"))
        return tessa::usage_error(cmd, "give the mode in --alg (" + text + ") or with --mode, not both");
    if (!named) text += "/" + opts.value_or("--mode", "ecb");
    if (opts.has("--pad")) {
        if (std::count(text.begin(), text.end(), '/') > 1)
            return tessa::usage_error(cmd, "give the padding in --alg (" + text + ") or with --pad, not both");
        text += "/" + opts.value("--pad");
    }
    std::string to;
    if (const int status = tessa::result_format(cmd, opts, &to)) return status;
    tessa::Bytes key, iv, data;
    if (!tessa::hex_bytes(opts.value("--key"), &key) || key.empty())
        return tessa::usage_error(cmd, "give the key as whole bytes of hex with --key");
    if (opts.has("--iv") && !tessa::hex_bytes(opts.value("--iv"), &iv)) {
        tessa::wipe(key);
        return tessa::usage_error(cmd, "the IV is not whole bytes of hex");
    }
    const int32_t options = opts.has("--prefix-iv") ? OPT_PREFIX_IV : 0;
    const unsigned char* ivp = opts.has("--iv") ? tessa::data_or_empty(iv) : nullptr;
    if (by_file(opts)) {
        // CIPHER_FileEncrypt/FileDecrypt: files are always padded in ECB and CBC.
        auto file_fn = encrypt ? CIPHER_FileEncrypt : CIPHER_FileDecrypt;
        return run_files(cmd, key, opts, [&](const std::string& out, const std::string& in) {
            return file_fn(out.c_str(), in.c_str(), key.data(), static_cast<int32_t>(key.size()), ivp,
                           static_cast<int32_t>(iv.size()), text.c_str(), options);
        });
    }
    if (const int status = tessa::get_data(cmd, opts, &data)) {
        tessa::wipe(key);
        return status;
    }
    auto fn = encrypt ? CIPHER_EncryptBytes : CIPHER_DecryptBytes;
    const auto n = static_cast<int32_t>(data.size());
    // A query first (a decryption's needs the key: it removes the padding).
    int32_t rc = fn(nullptr, 0, tessa::data_or_empty(data), n, key.data(), static_cast<int32_t>(key.size()), ivp,
                    static_cast<int32_t>(iv.size()), text.c_str(), options);
    tessa::Bytes out;
    if (rc >= 0) {
        out.resize(static_cast<std::size_t>(rc) + 1);
        rc = fn(out.data(), rc == 0 ? 1 : rc, tessa::data_or_empty(data), n, key.data(),
                static_cast<int32_t>(key.size()), ivp, static_cast<int32_t>(iv.size()), text.c_str(), options);
    }
    tessa::wipe(key);
    tessa::wipe(iv);
    tessa::wipe(data);
    if (rc < 0) {
        tessa::wipe(out);
        const char* hint = rc == -BAD_PARAM_ERROR ? "--alg takes ALG[/MODE[/PADDING]] of aes128, aes192, aes256 or "
                                                    "tdea; ecb, cbc, cfb, ofb or ctr; pkcs5, nopadding, oneandzeroes, "
                                                    "ansix923 or w3c"
                           : rc == -DECRYPT_ERROR ? "the padding is wrong (a wrong key, IV or padding scheme?)"
                                                  : nullptr;
        return tessa::report_error(cmd, rc, hint);
    }
    out.resize(static_cast<std::size_t>(rc));
    const int status = tessa::write_result(cmd, opts, out, to);
    tessa::wipe(out);
    return status;
}

// --- Files: --file FILE --out FILE ---------------------------------------------------------------

int32_t run_file(const Algorithm& alg, const std::string& out, const std::string& in, const tessa::Bytes& key,
                 bool encrypt, const char* mode, const unsigned char* iv, int32_t options) {
    const char* o = out.c_str();
    const char* i = in.c_str();
    const int32_t e = encrypt ? 1 : 0;
    switch (alg.key_len) {
    case 16: return AES128_FileExt(o, i, key.data(), e, mode, iv, options);
    case 24:
        if (alg.block == 16) return AES192_FileExt(o, i, key.data(), e, mode, iv, options);
        return TDEA_FileExt(o, i, key.data(), e, mode, iv, options);
    case 32: return AES256_FileExt(o, i, key.data(), e, mode, iv, options);
    case 8: return DES_FileExt(o, i, key.data(), e, mode, iv, options);
    case 0: return BLF_FileExt(o, i, key.data(), static_cast<int32_t>(key.size()), e, mode, iv, options);
    default: break;
    }
    return BAD_PARAM_ERROR;
}

// Files above this size get a progress line when standard error is a terminal.
constexpr std::uintmax_t kProgressFrom = 4u << 20;

// Runs the file function on a thread of its own while this one reports how
// far the output has grown, on one line of standard error.
template <typename Work>
int32_t with_progress(const char* cmd, const std::string& in, const std::string& out, Work work) {
    std::error_code ec;
    const std::uintmax_t total = std::filesystem::file_size(in, ec);
    if (ec || total < kProgressFrom || !tessa_isatty(tessa_fileno(stderr))) return work();
    std::atomic<bool> done{false};
    int32_t rc = 0;
    std::thread worker([&] {
        rc = work();
        done = true;
    });
    int shown = -1;
    while (!done) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        const std::uintmax_t now = std::filesystem::file_size(out, ec);
        const int percent = ec ? 0 : static_cast<int>(now >= total ? 100 : now * 100 / total);
        if (percent != shown && !done) {
            std::fprintf(stderr, "\rtessa %s: %3d%% of %ju MiB", cmd, percent, total >> 20);
            std::fflush(stderr);
            shown = percent;
        }
    }
    worker.join();
    if (shown >= 0) std::fprintf(stderr, "\rtessa %s: %s%*s\n", cmd, rc == 0 ? "done" : "failed", 24, "");
    return rc;
}

template <typename Call>
int run_files(const char* cmd, tessa::Bytes& key, const tessa::Options& opts, Call call) {
    const bool named_by_file = opts.has("--file");
    const std::string in = opts.value(named_by_file ? "--file" : "--in"), out = opts.value("--out");
    if (in.empty() || out.empty() || !opts.positionals().empty() || opts.has("--text") || opts.has("--hex") ||
        opts.has("--b64") || (named_by_file && opts.has("--in")) || opts.has("--from") || opts.has("--to")) {
        tessa::wipe(key);
        return tessa::usage_error(cmd, "with --file FILE give --out FILE and no other data or --to");
    }
    const int32_t rc = with_progress(cmd, in, out, [&] { return call(out, in); });
    tessa::wipe(key);
    if (rc == 0) return 0;
    const char* hint = nullptr;
    if (rc == DUP_ERROR || rc == -DUP_ERROR) hint = "the output is the input file";
    if (rc == DECRYPT_ERROR || rc == -DECRYPT_ERROR) hint = "wrong key or IV, or not a file encrypted this way";
    return tessa::report_error(cmd, rc, hint);
}

int run(const char* cmd, bool encrypt, const tessa::Options& opts) {
    const std::string alg_name = opts.value("--alg");
    const bool file = by_file(opts);
    if (alg_name.find('/') != std::string::npos || opts.has("--pad") || (opts.has("--prefix-iv") && !file)) {
        const Algorithm* named = find_algorithm(alg_name.substr(0, alg_name.find('/')));
        if (named != nullptr && (named->key_len == 8 || named->key_len == 0))
            return tessa::usage_error(cmd, std::string("padding and the IV in front are for AES and Triple DES, not ") +
                                               named->title);
        return run_generic(cmd, encrypt, opts);
    }
    const Algorithm* alg = find_algorithm(alg_name);
    if (alg == nullptr)
        return tessa::usage_error(cmd, "--alg takes aes128, aes192, aes256, des, tdea or blowfish" +
                                           (opts.has("--alg") ? ", not " + alg_name : std::string()));
    std::string to;
    if (const int status = tessa::result_format(cmd, opts, &to)) return status;
    tessa::Bytes key, iv;
    if (!tessa::hex_bytes(opts.value("--key"), &key) || key.empty())
        return tessa::usage_error(cmd, "give the key as whole bytes of hex with --key");
    if (alg->key_len != 0 && key.size() != alg->key_len) {
        char why[128];
        std::snprintf(why, sizeof why, "%s needs a %zu-byte key (%zu hex digits), not %zu bytes", alg->title,
                      alg->key_len, 2 * alg->key_len, key.size());
        tessa::wipe(key);
        return tessa::usage_error(cmd, why);  // typed on the command line, as seal's --key
    }
    const std::string mode = opts.value_or("--mode", "ECB");
    const bool has_iv = opts.has("--iv");
    if (has_iv && (!tessa::hex_bytes(opts.value("--iv"), &iv) || iv.size() != alg->block)) {
        char why[128];
        std::snprintf(why, sizeof why, "the IV of %s is %zu bytes (%zu hex digits)", alg->title, alg->block,
                      2 * alg->block);
        tessa::wipe(key);
        return tessa::usage_error(cmd, why);
    }
    if (file) {
        const int32_t options = opts.has("--prefix-iv") ? OPT_PREFIX_IV : 0;
        return run_files(cmd, key, opts, [&](const std::string& out, const std::string& in) {
            return run_file(*alg, out, in, key, encrypt, mode.c_str(), has_iv ? iv.data() : nullptr, options);
        });
    }
    tessa::Bytes data;
    if (const int status = tessa::get_data(cmd, opts, &data)) {
        tessa::wipe(key);
        return status;
    }
    data.reserve(data.size() + 1);  // a real buffer even for no data
    const int32_t rc = run_cipher(*alg, data, key, encrypt, mode.c_str(), has_iv ? iv.data() : nullptr);
    tessa::wipe(key);
    tessa::wipe(iv);
    if (rc != 0) {
        tessa::wipe(data);
        char hint[128];
        std::snprintf(hint, sizeof hint, "ECB and CBC need a multiple of %zu bytes; CFB, OFB and CTR take any length",
                      alg->block);
        return tessa::report_error(cmd, rc, rc == BAD_LENGTH_ERROR ? hint : nullptr);
    }
    const int status = tessa::write_result(cmd, opts, data, to);
    tessa::wipe(data);
    return status;
}

int cmd_encrypt(const tessa::Options& opts) { return run("encrypt", true, opts); }
int cmd_decrypt(const tessa::Options& opts) { return run("decrypt", false, opts); }

// The options both commands take.
#define BLOCK_VALUED {"--alg", "--key", "--mode", "--iv", "--pad", "--file", TESSA_DATA_OPTIONS}

#define BLOCK_USAGE_BODY                                                                                       \
    "  --alg ALG     aes128, aes192, aes256, des, tdea (Triple DES) or blowfish\n"                              \
    "  --key HEX     the key in hex: 16, 24 or 32 bytes for AES, 8 for DES, 24 for\n"                          \
    "                Triple DES (K1 K2 K3; two-key: K1 K2 K1), 1 to 56 for Blowfish\n"                          \
    "  --mode MODE   ECB (the default), CBC, CFB, OFB or CTR, in any case\n"                                    \
    "  --iv HEX      the IV, one block: 16 bytes for AES, 8 for the others; needed\n"                           \
    "                by every mode but ECB. In CTR the whole block is the counter.\n"                           \
    "\n"                                                                                                        \
    TESSA_DATA_USAGE                                                                                           \
    "\n"                                                                                                        \
    "ECB and CBC work on whole blocks only: the data must be a multiple of the block\n"                         \
    "size (no padding is added or removed). CFB, OFB and CTR take any length.\n"                               \
    "\n"                                                                                                        \
    "Padding and the IV in front (AES and Triple DES only):\n"                                                  \
    "  --alg NAME    also ALG/MODE or ALG/MODE/PADDING, as the library's generic\n"                             \
    "                functions read it (\"aes128/cbc/pkcs5\", \"tdea/ecb/nopadding\");\n"                      \
    "                ECB and CBC then pad with PKCS #5 unless a padding is named\n"                             \
    "  --pad PAD     pkcs5, oneandzeroes, ansix923, w3c or nopadding (ECB and CBC)\n"                           \
    "  --prefix-iv   the IV block goes in front of the ciphertext (decrypt: is read\n"                          \
    "                from there; in ECB a block of zeros when no --iv is given)\n"  \
    "\n"                                                                                                        \
    "Files:\n"                                                                                                  \
    "  --in FILE --out FILE, or --file FILE --out FILE   encrypt or decrypt FILE into\n"                  \
    "                another file, any size (--in FILE with --from or --to reads data);\n"                    \
    "                ECB and CBC always pad when encrypting (PKCS #5, or the padding\n"                       \
    "                of a generic name or --pad: oneandzeroes, ansix923) and remove\n"                         \
    "                it when decrypting (nopadding: keep it); --prefix-iv puts the IV\n"                       \
    "                in front (decrypt: reads it from there). The output must not be\n"                        \
    "                the input (under any name); it is deleted when the work fails.\n"                        \
    "                Standard error shows the progress of files over 4 MiB when it\n"                          \
    "                is a terminal.\n"

TESSA_COMMAND({"encrypt", "encrypt with AES, DES, Triple DES or Blowfish in any mode",
               "usage: tessa encrypt --alg ALG[/MODE[/PAD]] --key HEX [--mode MODE] [--iv HEX] [--pad PAD]\n"
               "                     [--prefix-iv] DATA [--to FORMAT] [--out FILE]\n"
               "\n"
               "Encrypts DATA with a block cipher and prints the ciphertext.\n"
               "\n" BLOCK_USAGE_BODY
               "\n"
               "Examples:\n"
               "  tessa encrypt --alg aes128 --key 000102030405060708090A0B0C0D0E0F \\\n"
               "      --hex 00112233445566778899AABBCCDDEEFF\n"
               "  tessa encrypt --alg aes256 --mode ctr --key <64 hex digits> --iv <32 hex digits> \\\n"
               "      --text 'attack at dawn' --to b64\n"
               "  tessa encrypt --alg aes128/cbc/pkcs5 --key <32 hex digits> --iv <32 hex digits> \\\n"
               "      --prefix-iv --text 'any length'\n"
               "  tessa encrypt --alg aes128 --mode cbc --key <32 hex digits> --iv <32 hex digits> \\\n"
               "      --prefix-iv --file report.pdf --out report.pdf.enc\n",
               BLOCK_VALUED, {"--prefix-iv"}, cmd_encrypt});
TESSA_COMMAND({"decrypt", "decrypt with AES, DES, Triple DES or Blowfish in any mode",
               "usage: tessa decrypt --alg ALG[/MODE[/PAD]] --key HEX [--mode MODE] [--iv HEX] [--pad PAD]\n"
               "                     [--prefix-iv] DATA [--to FORMAT] [--out FILE]\n"
               "\n"
               "Decrypts DATA with a block cipher and prints the plaintext.\n"
               "\n" BLOCK_USAGE_BODY
               "\n"
               "Example:\n"
               "  tessa decrypt --alg des --mode cbc --key 0123456789ABCDEF --iv 1234567890ABCDEF \\\n"
               "      --hex E5C7CDDE872BF27C43E934008C389C0F683788499A7C05F6 --to text\n",
               BLOCK_VALUED, {"--prefix-iv"}, cmd_decrypt});

}  // namespace
