// tessa encrypt, tessa decrypt: the per-algorithm block-cipher exports
// (AES128_/AES192_/AES256_, DES_, TDEA_, BLF_ byte forms).
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

// --- Files: --in FILE --out FILE -----------------------------------------------------------------

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

bool is_data_format(const std::string& in) { return in == "raw" || in == "hex" || in == "b64"; }

int run_files(const char* cmd, bool encrypt, const Algorithm& alg, tessa::Bytes& key, const tessa::Bytes& iv,
              bool has_iv, const std::string& mode, const tessa::Options& opts) {
    const std::string in = opts.value("--in"), out = opts.value("--out");
    if (out.empty() || !opts.positionals().empty() || opts.has("--text") || opts.has("--hex") || opts.has("--b64") ||
        opts.has("--to")) {
        tessa::wipe(key);
        return tessa::usage_error(cmd, "with --in FILE give --out FILE and no other data or --to");
    }
    const int32_t options = opts.has("--prefix-iv") ? OPT_PREFIX_IV : 0;
    const int32_t rc = with_progress(cmd, in, out, [&] {
        return run_file(alg, out, in, key, encrypt, mode.c_str(), has_iv ? iv.data() : nullptr, options);
    });
    tessa::wipe(key);
    if (rc == 0) return 0;
    const char* hint = nullptr;
    if (rc == DUP_ERROR) hint = "the output is the input file";
    if (rc == DECRYPT_ERROR) hint = "wrong key or IV, or not a file encrypted this way";
    return tessa::report_error(cmd, rc, hint);
}

int run(const char* cmd, bool encrypt, const tessa::Options& opts) {
    const std::string alg_name = opts.value("--alg");
    const Algorithm* alg = find_algorithm(alg_name);
    if (alg == nullptr)
        return tessa::usage_error(cmd, "--alg takes aes128, aes192, aes256, des, tdea or blowfish" +
                                           (opts.has("--alg") ? ", not " + alg_name : std::string()));
    std::string to;
    if (const int status = tessa::result_format(cmd, opts, &to)) return status;
    tessa::Bytes key, iv;
    iv.reserve(1);
    if (!tessa::hex_bytes(opts.value("--key"), &key) || key.empty())
        return tessa::usage_error(cmd, "give the key as whole bytes of hex with --key");
    if (alg->key_len != 0 && key.size() != alg->key_len) {
        char why[128];
        std::snprintf(why, sizeof why, "%s needs a %zu-byte key (%zu hex digits), not %zu bytes", alg->title,
                      alg->key_len, 2 * alg->key_len, key.size());
        tessa::wipe(key);
        return tessa::fail(cmd, why);
    }
    const std::string mode = opts.value_or("--mode", "ECB");
    const bool has_iv = opts.has("--iv");
    if (has_iv && (!tessa::hex_bytes(opts.value("--iv"), &iv) || iv.size() != alg->block)) {
        char why[128];
        std::snprintf(why, sizeof why, "the IV of %s is %zu bytes (%zu hex digits)", alg->title, alg->block,
                      2 * alg->block);
        tessa::wipe(key);
        return tessa::fail(cmd, why);
    }
    if (opts.has("--in") && !is_data_format(opts.value("--in")))
        return run_files(cmd, encrypt, *alg, key, iv, has_iv, mode, opts);
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
#define BLOCK_VALUED {"--alg", "--key", "--mode", "--iv", "--text", "--hex", "--b64", "--in", "--to", "--out"}

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
    "Files:\n"                                                                                                  \
    "  --in FILE --out FILE   encrypt or decrypt FILE into another file, 4096 bytes at\n"                       \
    "                a time (any size); ECB and CBC add PKCS #5 padding when encrypting\n"                        \
    "                and remove it when decrypting. FILE is any name but raw, hex and\n"                         \
    "                b64, which name the format of the data above. The output must not\n"                        \
    "                be the input (under any name); it is deleted when the work fails.\n"                         \
    "                Standard error shows the progress of files over 4 MiB when it is\n"                          \
    "                a terminal.\n"                                                                               \
    "  --prefix-iv   with files: the IV goes in front of the ciphertext (encrypting)\n"                           \
    "                or is read from there (decrypting, no --iv needed)\n"

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
               "      --text 'attack at dawn' --to b64\n"
               "  tessa encrypt --alg aes128 --mode cbc --key <32 hex digits> --iv <32 hex digits> \\\n"
               "      --prefix-iv --in report.pdf --out report.pdf.enc\n",
               BLOCK_VALUED, {"--prefix-iv"}, cmd_encrypt});
TESSA_COMMAND({"decrypt", "decrypt with AES, DES, Triple DES or Blowfish in any mode",
               "usage: tessa decrypt --alg ALG --key HEX [--mode MODE] [--iv HEX] DATA [--to FORMAT] [--out FILE]\n"
               "\n"
               "Decrypts DATA with a block cipher and prints the plaintext.\n"
               "\n" BLOCK_USAGE_BODY
               "\n"
               "Example:\n"
               "  tessa decrypt --alg des --mode cbc --key 0123456789ABCDEF --iv 1234567890ABCDEF \\\n"
               "      --hex E5C7CDDE872BF27C43E934008C389C0F683788499A7C05F6 --to text\n",
               BLOCK_VALUED, {"--prefix-iv"}, cmd_decrypt});

}  // namespace
