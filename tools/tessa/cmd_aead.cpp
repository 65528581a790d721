// tessa seal, tessa open: authenticated encryption with the AEAD_ exports
// (AES-GCM, ChaCha20-Poly1305, Ascon-128/128a) in the tagged layout: the
// nonce (unless --no-prefix), the ciphertext, the 16-byte tag. --alg gcm is
// the GCM_ functions (any AES key size, nonce length and tag length) in the
// same layout.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tessa.h"
#include "tessalib.h"

namespace {

struct Aead {
    const char* name;
    const char* title;
    int32_t code;
    std::size_t key_len;
    std::size_t nonce_len;
};

const Aead kAeads[] = {
    {"aes128-gcm", "AES-128-GCM", AEAD_AES_128_GCM, 16, 12},
    {"aes256-gcm", "AES-256-GCM", AEAD_AES_256_GCM, 32, 12},
    {"chacha20-poly1305", "ChaCha20-Poly1305", AEAD_CHACHA20_POLY1305, 32, 12},
    {"ascon128", "Ascon-128", AEAD_ASCON_128, 16, 16},
    {"ascon128a", "Ascon-128a", AEAD_ASCON_128A, 16, 16},
};

// The algorithm named by --alg. Returns 0, or 2 after printing why.
int get_alg(const char* cmd, const tessa::Options& opts, const Aead** alg) {
    const std::string name = opts.value("--alg");
    for (const Aead& a : kAeads) {
        if (name == a.name) {
            *alg = &a;
            return 0;
        }
    }
    return tessa::usage_error(cmd, "--alg takes aes128-gcm, aes256-gcm, chacha20-poly1305, ascon128, ascon128a or gcm" +
                                       (opts.has("--alg") ? ", not " + name : std::string()));
}

// A hex option of an exact length. Returns 0, or 2 after printing why.
int hex_option(const char* cmd, const tessa::Options& opts, const char* option, std::size_t len, const char* title,
               tessa::Bytes* out) {
    if (!tessa::hex_bytes(opts.value(option), out) || out->size() != len) {
        char why[160];
        std::snprintf(why, sizeof why, "%s takes the %s of %s: %zu bytes (%zu hex digits)", option,
                      option[2] == 'k' ? "key" : "nonce", title, len, 2 * len);
        return tessa::usage_error(cmd, why);
    }
    return 0;
}

// The associated data: --aad TEXT or --aad-hex HEX (neither: none).
int get_aad(const char* cmd, const tessa::Options& opts, tessa::Bytes* aad) {
    if (opts.has("--aad") && opts.has("--aad-hex")) return tessa::usage_error(cmd, "give --aad or --aad-hex, not both");
    if (opts.has("--aad-hex")) {
        if (!tessa::hex_bytes(opts.value("--aad-hex"), aad))
            return tessa::usage_error(cmd, "--aad-hex is not whole bytes of hex");
        return 0;
    }
    const std::string text = opts.value("--aad");
    aad->assign(text.begin(), text.end());
    return 0;
}

// The rest of a seal or open command line after the key and the nonce (whose
// reading gave `status`): no --nonce where open reads it from the data, the
// associated data, the data. Returns 0, or the exit status after printing
// why, the key then wiped.
int read_rest(const char* cmd, bool seal, bool prefix, const tessa::Options& opts, int status, tessa::Bytes* key,
              tessa::Bytes* aad, tessa::Bytes* data) {
    if (status == 0 && !seal && prefix && opts.has("--nonce"))
        status = tessa::usage_error(cmd, "the nonce is read from the data; --nonce goes with --no-prefix");
    if (status == 0) status = get_aad(cmd, opts, aad);
    if (status == 0) status = tessa::get_data(cmd, opts, data);
    if (status != 0) tessa::wipe(*key);
    return status;
}

// --alg gcm: GCM_Encrypt / GCM_Decrypt. The key picks AES-128/192/256; the
// nonce may be any length (--nonce-len tells open how long the one in front
// is, 12 by default); the tag is --tag-len bytes (4 to 16, 16 by default).
int run_gcm(const char* cmd, bool seal, const tessa::Options& opts) {
    std::string to;
    if (const int status = tessa::result_format(cmd, opts, &to)) return status;
    const bool prefix = !opts.has("--no-prefix");
    const auto small_number = [&](const char* option, int fallback, int lo, int hi, int* out) {
        const std::string text = opts.value_or(option, std::to_string(fallback).c_str());
        char* end = nullptr;
        const long v = std::strtol(text.c_str(), &end, 10);
        if (text.empty() || *end != '\0' || v < lo || v > hi)
            return tessa::usage_error(cmd, std::string(option) + " takes " + std::to_string(lo) + " to " +
                                               std::to_string(hi) + ", not " + text);
        *out = static_cast<int>(v);
        return 0;
    };
    int tag_len = 16, nonce_len = 12;
    if (const int status = small_number("--tag-len", 16, 4, 16, &tag_len)) return status;
    if (const int status = small_number("--nonce-len", 12, 1, 1024, &nonce_len)) return status;
    if (opts.has("--nonce-len") && (seal || !prefix))
        return tessa::usage_error(cmd, "--nonce-len is for open with the nonce in front of the data");
    tessa::Bytes key, nonce, aad, data;
    if (!tessa::hex_bytes(opts.value("--key"), &key) || (key.size() != 16 && key.size() != 24 && key.size() != 32)) {
        tessa::wipe(key);
        return tessa::usage_error(cmd, "--key takes an AES key of 16, 24 or 32 bytes in hex");
    }
    int status = 0;
    if ((seal || !prefix) && (!tessa::hex_bytes(opts.value("--nonce"), &nonce) || nonce.empty()))
        status = tessa::usage_error(cmd, "--nonce takes the nonce in hex, 1 byte or more (12 is the standard)");
    if (const int rest = read_rest(cmd, seal, prefix, opts, status, &key, &aad, &data)) return rest;
    const auto k = static_cast<int32_t>(key.size());
    const auto al = static_cast<int32_t>(aad.size());
    tessa::Bytes result;
    int32_t rc;
    if (seal) {
        // nonce (in front unless --no-prefix), ciphertext, tag
        const std::size_t front = prefix ? nonce.size() : 0;
        result.assign(front + data.size() + static_cast<std::size_t>(tag_len), 0);
        std::copy(nonce.begin(), nonce.begin() + static_cast<std::ptrdiff_t>(front), result.begin());
        const auto n = static_cast<int32_t>(data.size());
        rc = GCM_Encrypt(n > 0 ? result.data() + front : nullptr, n, result.data() + front + data.size(), tag_len,
                         tessa::data_or_empty(data), n, key.data(), k, nonce.data(),
                         static_cast<int32_t>(nonce.size()), tessa::data_or_empty(aad), al);
    } else {
        const std::size_t front = prefix ? static_cast<std::size_t>(nonce_len) : 0;
        if (data.size() < front + static_cast<std::size_t>(tag_len)) {
            tessa::wipe(key);
            return tessa::fail(cmd, "the data is shorter than a sealed message (nonce and tag)");
        }
        if (prefix) nonce.assign(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(front));
        const std::size_t body = data.size() - front - static_cast<std::size_t>(tag_len);
        result.assign(body + 1, 0);
        const auto n = static_cast<int32_t>(body);
        rc = GCM_Decrypt(result.data(), static_cast<int32_t>(result.size()), tessa::data_or_empty(data) + front, n,
                         key.data(), k, nonce.data(), static_cast<int32_t>(nonce.size()), tessa::data_or_empty(aad), al,
                         data.data() + front + body, tag_len);
        result.resize(body);
    }
    tessa::wipe(key);
    tessa::wipe(data);
    if (rc != 0) {
        tessa::wipe(result);
        const char* hint = rc == -AUTH_FAIL_ERROR
                               ? "the data, key, nonce, tag length or associated data is not what was sealed; nothing "
                                 "was written"
                               : nullptr;
        return tessa::report_error(cmd, rc, hint);
    }
    status = tessa::write_result(cmd, opts, result, to);
    tessa::wipe(result);
    return status;
}

int run(const char* cmd, bool seal, const tessa::Options& opts) {
    if (opts.value("--alg") == "gcm") return run_gcm(cmd, seal, opts);
    if (opts.has("--tag-len") || opts.has("--nonce-len"))
        return tessa::usage_error(cmd, "--tag-len and --nonce-len go with --alg gcm");
    const Aead* alg = nullptr;
    std::string to;
    if (const int status = get_alg(cmd, opts, &alg)) return status;
    if (const int status = tessa::result_format(cmd, opts, &to)) return status;
    const bool prefix = !opts.has("--no-prefix");
    tessa::Bytes key, nonce, aad, data;
    int status = hex_option(cmd, opts, "--key", alg->key_len, alg->title, &key);
    if (status == 0 && (seal || !prefix)) status = hex_option(cmd, opts, "--nonce", alg->nonce_len, alg->title, &nonce);
    if (const int rest = read_rest(cmd, seal, prefix, opts, status, &key, &aad, &data)) return rest;
    const int32_t options = alg->code | (prefix ? OPT_PREFIX_IV : 0);
    const int32_t in_len = static_cast<int32_t>(data.size());
    const int32_t aad_len = static_cast<int32_t>(aad.size());
    const int32_t k = static_cast<int32_t>(key.size()), nl = static_cast<int32_t>(nonce.size());
    const unsigned char* in = tessa::data_or_empty(data);
    const unsigned char* n_ptr = tessa::data_or_empty(nonce);
    const unsigned char* a_ptr = tessa::data_or_empty(aad);
    const auto call = [&](unsigned char* out, int32_t out_len) {
        return seal ? AEAD_EncryptWithTag(out, out_len, in, in_len, key.data(), k, n_ptr, nl, a_ptr, aad_len, options)
                    : AEAD_DecryptWithTag(out, out_len, in, in_len, key.data(), k, n_ptr, nl, a_ptr, aad_len, options);
    };
    const int32_t needed = call(nullptr, 0);
    int32_t n = needed;
    tessa::Bytes result(needed > 0 ? static_cast<std::size_t>(needed) : 1);
    if (needed > 0) n = call(result.data(), needed);
    tessa::wipe(key);
    tessa::wipe(data);
    if (n < 0) {
        tessa::wipe(result);
        const char* hint = nullptr;
        if (n == -AUTH_FAIL_ERROR) hint = "the data, key, nonce or associated data is not what was sealed; nothing was written";
        if (n == -BAD_LENGTH_ERROR) hint = "the data is shorter than a sealed message (nonce and 16-byte tag)";
        return tessa::report_error(cmd, n, hint);
    }
    result.resize(static_cast<std::size_t>(n));
    status = tessa::write_result(cmd, opts, result, to);
    tessa::wipe(result);
    return status;
}

int cmd_seal(const tessa::Options& opts) { return run("seal", true, opts); }
int cmd_open(const tessa::Options& opts) { return run("open", false, opts); }

#define AEAD_VALUED {"--alg", "--key", "--nonce", "--aad", "--aad-hex", "--tag-len", "--nonce-len", TESSA_DATA_OPTIONS}

#define AEAD_USAGE_BODY                                                                                        \
    "  --alg ALG       aes128-gcm (16-byte key), aes256-gcm or chacha20-poly1305\n"                             \
    "                  (32-byte keys), with 12-byte nonces; ascon128 or ascon128a\n"                            \
    "                  (16-byte keys, 16-byte nonces); gcm: AES-GCM with a key of\n"                           \
    "                  16, 24 or 32 bytes, a nonce of any length, a shorter tag\n"                             \
    "  --tag-len N     gcm: the tag's length, 4 to 16 bytes (16 by default)\n"                                 \
    "  --nonce-len N   gcm, open: the length of the nonce in front of the data\n"                             \
    "                  (12 by default)\n"                                                                      \
    "  --key HEX       the key in hex\n"                                                                        \
    "  --aad TEXT      associated data: authenticated, not encrypted, not in the\n"                             \
    "                  output; the same must be given to open (--aad-hex HEX: in hex)\n"                        \
    "  --no-prefix     the nonce is not written in front of (read from) the data\n"                             \
    "\n"                                                                                                        \
    TESSA_DATA_USAGE                                                                                           \
    "\n"                                                                                                        \
    "A sealed message is the nonce (unless --no-prefix), the ciphertext (as long as\n"                          \
    "the plaintext) and a 16-byte tag (gcm: --tag-len bytes).\n"

TESSA_COMMAND({"seal", "encrypt and authenticate (AES-GCM, ChaCha20-Poly1305, Ascon)",
               "usage: tessa seal --alg ALG --key HEX --nonce HEX [--aad TEXT] DATA [--to FORMAT] [--out FILE]\n"
               "\n"
               "Encrypts DATA and appends a tag that proves it was not changed; tessa open\n"
               "checks the tag and decrypts.\n"
               "\n"
               "  --nonce HEX     the nonce in hex. Never seal two messages with the same key\n"
               "                  and nonce: that gives away the plaintexts and the key's\n"
               "                  ability to authenticate.\n" AEAD_USAGE_BODY
               "\n"
               "Example:\n"
               "  tessa seal --alg chacha20-poly1305 --key <64 hex digits> \\\n"
               "      --nonce 000000000000000000000001 --aad header --text 'attack at dawn'\n",
               AEAD_VALUED, {"--no-prefix"}, cmd_seal});
TESSA_COMMAND({"open", "check and decrypt a sealed message",
               "usage: tessa open --alg ALG --key HEX [--aad TEXT] DATA [--to FORMAT] [--out FILE]\n"
               "\n"
               "Checks the tag of a message made by tessa seal and, only when it matches,\n"
               "writes the plaintext. A message that was changed, or a wrong key, nonce or\n"
               "associated data, is an error and nothing is written.\n"
               "\n"
               "  --nonce HEX     the nonce in hex, with --no-prefix only (it is otherwise\n"
               "                  read from the front of the data)\n" AEAD_USAGE_BODY
               "\n"
               "Example:\n"
               "  tessa open --alg aes128-gcm --key 000102030405060708090A0B0C0D0E0F \\\n"
               "      --hex <sealed message> --to text\n",
               AEAD_VALUED, {"--no-prefix"}, cmd_open});

}  // namespace
