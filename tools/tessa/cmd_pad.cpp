// tessa pad, tessa unpad: block padding alone (PAD_BytesBlock,
// PAD_UnpadBytes), for data encrypted or decrypted without padding.
#include <cstdint>
#include <string>

#include "tessa.h"
#include "tessalib.h"

namespace {

struct Padding {
    const char* name;
    int32_t option;
};

const Padding kPaddings[] = {
    {"pkcs5", CIPHER_PAD_PKCS5},
    {"pkcs7", CIPHER_PAD_PKCS5},
    {"oneandzeroes", CIPHER_PAD_ONEANDZEROES},
    {"ansix923", CIPHER_PAD_ANSIX923},
    {"w3c", CIPHER_PAD_W3C},
};

// --pad and --block. Returns 0, or 2 after printing why.
int get_scheme(const char* cmd, const tessa::Options& opts, int32_t* option, int32_t* block) {
    const std::string pad = opts.value_or("--pad", "pkcs5");
    *option = -1;
    for (const Padding& p : kPaddings)
        if (pad == p.name) *option = p.option;
    if (*option < 0) return tessa::usage_error(cmd, "--pad takes pkcs5, oneandzeroes, ansix923 or w3c, not " + pad);
    const std::string b = opts.value_or("--block", "16");
    if (b != "8" && b != "16") return tessa::usage_error(cmd, "--block takes 8 or 16, not " + b);
    *block = b == "8" ? 8 : 16;
    return 0;
}

int run(const char* cmd, bool pad, const tessa::Options& opts) {
    int32_t option = 0, block = 0;
    std::string to;
    tessa::Bytes data;
    int status = get_scheme(cmd, opts, &option, &block);
    if (status == 0) status = tessa::result_format(cmd, opts, &to);
    if (status == 0) status = tessa::get_data(cmd, opts, &data);
    if (status != 0) return status;
    const auto n = static_cast<int32_t>(data.size());
    tessa::Bytes out;
    int32_t rc;
    if (pad) {
        rc = PAD_BytesBlock(nullptr, 0, tessa::data_or_empty(data), n, block, option);
        if (rc > 0) {
            out.resize(static_cast<std::size_t>(rc));
            rc = PAD_BytesBlock(out.data(), rc, tessa::data_or_empty(data), n, block, option);
        }
    } else {
        out.resize(data.size() + 1);  // at most the input (no query mode)
        rc = PAD_UnpadBytes(out.data(), static_cast<int32_t>(out.size()), tessa::data_or_empty(data), n, block,
                            option);
    }
    tessa::wipe(data);
    if (rc < 0) {
        tessa::wipe(out);
        const char* hint = rc == -DECRYPT_ERROR      ? "the data does not end in that padding"
                           : rc == -BAD_LENGTH_ERROR ? "padded data is a whole number of blocks, at least one"
                                                     : nullptr;
        return tessa::report_error(cmd, rc, hint);
    }
    out.resize(static_cast<std::size_t>(rc));
    status = tessa::write_result(cmd, opts, out, to);
    tessa::wipe(out);
    return status;
}

int cmd_pad(const tessa::Options& opts) { return run("pad", true, opts); }
int cmd_unpad(const tessa::Options& opts) { return run("unpad", false, opts); }

#define PAD_USAGE_BODY                                                                                     \
    "  --pad PAD     pkcs5 (the default; n bytes of value n, also called pkcs7),\n"                          \
    "                oneandzeroes (0x80 then zeros), ansix923 (zeros then n) or\n"                           \
    "                w3c (written as pkcs5; on removal only the last byte counts)\n"                       \
    "  --block N     the block size: 16 (the default, AES) or 8 (DES, Triple DES,\n"                        \
    "                Blowfish)\n"                                                                           \
    "\n" TESSA_DATA_USAGE

TESSA_COMMAND({"pad", "add block padding (PKCS #5, OneAndZeroes, ANSI X9.23, W3C)",
               "usage: tessa pad [--pad PAD] [--block N] DATA [--to FORMAT] [--out FILE]\n"
               "\n"
               "Appends 1 to N bytes of padding to DATA, making it a whole number of blocks.\n"
               "\n" PAD_USAGE_BODY
               "\n"
               "Example:\n"
               "  tessa pad --block 8 --text abc      (prints 6162630505050505)\n",
               {"--pad", "--block", TESSA_DATA_OPTIONS}, {}, cmd_pad});
TESSA_COMMAND({"unpad", "check and remove block padding",
               "usage: tessa unpad [--pad PAD] [--block N] DATA [--to FORMAT] [--out FILE]\n"
               "\n"
               "Checks the padding at the end of DATA and prints what comes before it. Padding\n"
               "that is not valid is an error (exit status 1) and nothing is written.\n"
               "\n" PAD_USAGE_BODY,
               {"--pad", "--block", TESSA_DATA_OPTIONS}, {}, cmd_unpad});

}  // namespace
