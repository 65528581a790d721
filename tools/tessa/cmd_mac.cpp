// tessa mac, derive and xof: MACs, password-based key derivation and
// extendable-output functions.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tessa.h"
#include "tessalib.h"

namespace {

using Bytes = std::vector<unsigned char>;

struct Named {
    const char* name;
    int32_t option;
};

const Named kMacs[] = {
    {"hmac-sha1", MAC_HMAC_SHA1},         {"hmac-sha224", MAC_HMAC_SHA224},     {"hmac-sha256", MAC_HMAC_SHA256},
    {"hmac-sha384", MAC_HMAC_SHA384},     {"hmac-sha512", MAC_HMAC_SHA512},     {"hmac-md5", MAC_HMAC_MD5},
    {"hmac-rmd160", MAC_HMAC_RMD160},     {"hmac-sha3-224", MAC_HMAC_SHA3_224}, {"hmac-sha3-256", MAC_HMAC_SHA3_256},
    {"hmac-sha3-384", MAC_HMAC_SHA3_384}, {"hmac-sha3-512", MAC_HMAC_SHA3_512}, {"cmac-aes128", MAC_CMAC_AES128},
    {"cmac-aes192", MAC_CMAC_AES192},     {"cmac-aes256", MAC_CMAC_AES256},     {"cmac-tdea", MAC_CMAC_TDEA},
    {"poly1305", MAC_POLY1305},           {"kmac128", MAC_KMAC128},             {"kmac256", MAC_KMAC256},
};

const Named kXofs[] = {
    {"shake128", XOF_SHAKE128},        {"shake256", XOF_SHAKE256},       {"mgf1-sha1", XOF_MGF1_SHA1},
    {"mgf1-sha224", XOF_MGF1_SHA224},  {"mgf1-sha256", XOF_MGF1_SHA256}, {"mgf1-sha384", XOF_MGF1_SHA384},
    {"mgf1-sha512", XOF_MGF1_SHA512},  {"ascon-xof", XOF_ASCON_XOF},     {"ascon-xofa", XOF_ASCON_XOFA},
};

const Named kPrfs[] = {
    {"sha1", HASH_ALG_SHA1},     {"sha224", HASH_ALG_SHA224}, {"sha256", HASH_ALG_SHA256},
    {"sha384", HASH_ALG_SHA384}, {"sha512", HASH_ALG_SHA512},
};

template <std::size_t N>
bool lookup(const Named (&table)[N], const std::string& name, int32_t* option) {
    for (const Named& n : table) {
        if (name == n.name) {
            *option = n.option;
            return true;
        }
    }
    return false;
}

// A hex argument to bytes (whole bytes only). Returns 0, or 2 after printing
// why.
int decode_hex(const char* cmd, const char* what, const std::string& text, Bytes* out) {
    if (tessa::hex_bytes(text, out)) return 0;
    return tessa::usage_error(cmd, std::string(what) + " is not whole bytes of hex (an even number of hex digits)");
}

// The message: --text TEXT, --hex HEX, else FILE or standard input ("-", or
// nothing). Returns 0, or the exit status after printing the reason.
int get_message(const char* cmd, const tessa::Options& opts, Bytes* msg) {
    const bool has_text = opts.has("--text");
    const bool has_hex = opts.has("--hex");
    const tessa::Args& files = opts.positionals();
    const int given = (has_text ? 1 : 0) + (has_hex ? 1 : 0) + (files.empty() ? 0 : 1) + (opts.has("--in") ? 1 : 0);
    if (given > 1 || files.size() > 1) return tessa::usage_error(cmd, "give one of --text, --hex, a FILE or -");
    if (has_text) {
        const std::string text = opts.value("--text");
        msg->assign(text.begin(), text.end());
        return 0;
    }
    if (has_hex) return decode_hex(cmd, "the --hex message", opts.value("--hex"), msg);
    std::string data;
    if (const int status = tessa::read_input(cmd, tessa::input_path(opts), &data)) return status;
    msg->assign(data.begin(), data.end());
    return 0;
}

// A positive decimal count of an option, or -1 (after printing the reason)
// when it is missing or not a number in 1..max.
long long count_option(const char* cmd, const tessa::Options& opts, const char* option, long long dflt,
                       long long max) {
    if (!opts.has(option)) {
        if (dflt > 0) return dflt;
        tessa::usage_error(cmd, std::string(option) + " is required");
        return -1;
    }
    const std::string text = opts.value(option);
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (end == text.c_str() || *end != '\0' || errno == ERANGE || v < 1 || v > max) {
        tessa::usage_error(cmd, std::string(option) + " must be a number from 1 to " + std::to_string(max));
        return -1;
    }
    return v;
}

std::string lower_hex(const unsigned char* p, std::size_t n) {
    static const char digits[] = "0123456789abcdef";
    std::string s;
    s.reserve(2 * n);
    for (std::size_t i = 0; i < n; ++i) {
        s.push_back(digits[p[i] >> 4]);
        s.push_back(digits[p[i] & 15]);
    }
    return s;
}

const unsigned char* nonnull(const Bytes& b) {
    static const unsigned char none = 0;
    return b.empty() ? &none : b.data();
}

// ---------------------------------------------------------------------------

const char kMacUsage[] =
    "usage: tessa mac --alg NAME --key HEX [--custom TEXT] [--len N] [--to FORMAT] [--out FILE]\n"
    "                 (--text TEXT | --hex HEX | --in FILE | FILE | -)\n"
    "\n"
    "Prints the lower-case hex MAC of a text, of hex-encoded bytes, of a FILE or of\n"
    "standard input (\"-\", or no argument).\n"
    "\n"
    "  --alg NAME    hmac-sha1, hmac-sha224, hmac-sha256, hmac-sha384, hmac-sha512,\n"
    "                hmac-md5, hmac-rmd160, hmac-sha3-224, hmac-sha3-256,\n"
    "                hmac-sha3-384, hmac-sha3-512   (key of any length)\n"
    "                cmac-aes128, cmac-aes192, cmac-aes256   (16-, 24-, 32-byte key)\n"
    "                cmac-tdea   (three-key Triple DES, 24-byte key, 8-byte tag)\n"
    "                poly1305    (32-byte one-time key: never reuse it)\n"
    "                kmac128, kmac256   (key of any length; 32- or 64-byte tag)\n"
    "  --key HEX     the key in hex; separators between digit pairs are allowed\n"
    "  --custom TEXT KMAC only: the customization string (default empty)\n"
    "  --len N       KMAC only: the output length in bytes (default 32 or 64); it is\n"
    "                an input of KMAC, so a different length gives a different tag\n"
    "  --text TEXT   the message is the bytes of TEXT\n"
    "  --hex HEX     the message is the bytes HEX encodes\n"
    "  --in FILE     the message is the bytes of FILE (as FILE alone)\n"
    "  --to FORMAT   hex (the default, lower case), b64 or raw\n"
    "  --out FILE    write to FILE instead of standard output\n"
    "\n"
    "  tessa mac --alg hmac-sha256 --key 4a656665 --text \"what do ya want for nothing?\"\n"
    "    ->  5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843\n"
    "\n"
    "Exit status: 0 on success, 1 when the library reports an error, 2 on bad usage.\n";

int cmd_mac(const tessa::Options& opts) {
    const char* cmd = "mac";
    int32_t option = 0;
    const std::string alg = opts.value("--alg");
    if (!opts.has("--alg")) return tessa::usage_error(cmd, "--alg is required");
    if (!lookup(kMacs, alg, &option)) return tessa::usage_error(cmd, "unknown algorithm '" + alg + "'");
    if (!opts.has("--key")) return tessa::usage_error(cmd, "--key is required");
    const bool kmac = option == MAC_KMAC128 || option == MAC_KMAC256;
    if (!kmac && (opts.has("--custom") || opts.has("--len")))
        return tessa::usage_error(cmd, "--custom and --len are for kmac128 and kmac256 only");
    const long long len = kmac ? count_option(cmd, opts, "--len", option == MAC_KMAC128 ? 32 : 64, 1 << 20) : 0;
    if (len < 0) return 2;
    std::string to;
    if (const int status = tessa::digest_format(cmd, opts, "hex", &to)) return status;
    Bytes key, msg;
    std::string key_hex = opts.value("--key");
    const int key_status = decode_hex(cmd, "the key", key_hex, &key);
    tessa::wipe(key_hex);
    if (key_status != 0) return key_status;
    if (const int status = get_message(cmd, opts, &msg)) {
        tessa::wipe(key);
        return status;
    }
    Bytes tag(kmac ? static_cast<std::size_t>(len) : 64);
    int32_t n;
    if (kmac) {
        const std::string custom = opts.value("--custom");
        n = PRF_Bytes(tag.data(), static_cast<int32_t>(tag.size()), nonnull(msg), static_cast<int32_t>(msg.size()),
                      nonnull(key), static_cast<int32_t>(key.size()), custom.c_str(), option);
    } else {
        n = MAC_Bytes(tag.data(), static_cast<int32_t>(tag.size()), msg.data(), static_cast<int32_t>(msg.size()),
                      nonnull(key), static_cast<int32_t>(key.size()), option);
    }
    tessa::wipe(key);
    if (n < 0) return tessa::report_error(cmd, n);
    tag.resize(static_cast<std::size_t>(n));
    return tessa::write_digest(cmd, opts, tag, to);
}

// ---------------------------------------------------------------------------

const char kDeriveUsage[] =
    "usage: tessa derive pbkdf2 [--prf NAME] --iter N (--password TEXT | --password-hex HEX)\n"
    "                           (--salt HEX | --salt-text TEXT) [--len N]\n"
    "       tessa derive scrypt --N N --r R --p P (--password TEXT | --password-hex HEX)\n"
    "                           (--salt HEX | --salt-text TEXT) [--len N]\n"
    "\n"
    "Derives a key from a password and prints it as upper-case hex.\n"
    "\n"
    "  pbkdf2          PBKDF2 (RFC 8018) with an HMAC PRF\n"
    "  --prf NAME      sha1, sha224, sha256 (default), sha384, sha512\n"
    "  --iter N        the iteration count (at least 1; no upper limit)\n"
    "  scrypt          scrypt (RFC 7914); memory used is about 128 x r x (N + p) bytes\n"
    "  --N N           CPU/memory cost: a power of 2, at least 2\n"
    "  --r R --p P     block size and parallelisation (p < 2^30 / r)\n"
    "  --password TEXT the password's bytes as typed (PBKDF2 allows an empty one)\n"
    "  --password-hex HEX  the password as hex bytes (may hold any byte, NUL included)\n"
    "  --salt HEX      the salt as an even number of hex digits (may be empty)\n"
    "  --salt-text TEXT  the salt as the bytes of TEXT\n"
    "  --len N         the derived key length in bytes (default 32)\n"
    "\n"
    "  tessa derive pbkdf2 --prf sha1 --iter 4096 --password password --salt-text salt --len 20\n"
    "    ->  4B007901B765489ABEAD49D926F721D065A429C1\n"
    "  tessa derive scrypt --N 1024 --r 8 --p 16 --password password --salt-text NaCl --len 64\n"
    "\n"
    "Exit status: 0 on success, 1 when the library reports an error, 2 on bad usage.\n";

int cmd_derive(const tessa::Options& opts) {
    const char* cmd = "derive";
    const tessa::Args& pos = opts.positionals();
    if (pos.size() != 1 || (pos[0] != "pbkdf2" && pos[0] != "scrypt"))
        return tessa::usage_error(cmd, "name the function: pbkdf2 or scrypt");
    const bool scrypt = pos[0] == "scrypt";
    const long long len = count_option(cmd, opts, "--len", 32, 0x3FFFFFFF / 2);
    if (len < 0) return 2;

    const bool pw_text = opts.has("--password");
    const bool pw_hex = opts.has("--password-hex");
    const bool salt_hex = opts.has("--salt");
    const bool salt_text = opts.has("--salt-text");
    if (pw_text == pw_hex || salt_hex == salt_text) return tessa::usage_error(cmd, "give one password and one salt");

    int32_t prf = HASH_ALG_SHA256;
    long long iterations = 0, n = 0, r = 0, p = 0;
    if (scrypt) {
        if ((n = count_option(cmd, opts, "--N", 0, INT32_MAX)) < 0 ||
            (r = count_option(cmd, opts, "--r", 0, INT32_MAX)) < 0 ||
            (p = count_option(cmd, opts, "--p", 0, INT32_MAX)) < 0)
            return 2;
    } else {
        const std::string name = opts.value("--prf");
        if (opts.has("--prf") && !lookup(kPrfs, name, &prf))
            return tessa::usage_error(cmd, "unknown PRF '" + name + "'");
        if ((iterations = count_option(cmd, opts, "--iter", 0, INT32_MAX)) < 0) return 2;
    }

    Bytes password, salt;
    std::string pw_arg = opts.value(pw_text ? "--password" : "--password-hex");
    int status = 0;
    if (pw_text)
        password.assign(pw_arg.begin(), pw_arg.end());
    else
        status = decode_hex(cmd, "the password", pw_arg, &password);
    tessa::wipe(pw_arg);
    if (status == 0 && salt_hex) {
        status = decode_hex(cmd, "the salt", opts.value("--salt"), &salt);
    } else if (status == 0) {
        const std::string s = opts.value("--salt-text");
        salt.assign(s.begin(), s.end());
    }
    if (status != 0) {
        tessa::wipe(password);
        return status;
    }

    Bytes key(static_cast<std::size_t>(len));
    const int32_t dk = static_cast<int32_t>(len);
    int32_t rc;
    if (scrypt) {
        rc = PBE_Scrypt(key.data(), dk, nonnull(password), static_cast<int32_t>(password.size()), nonnull(salt),
                        static_cast<int32_t>(salt.size()), static_cast<int32_t>(n), static_cast<int32_t>(r),
                        static_cast<int32_t>(p));
    } else if (password.empty() || salt.empty()) {
        // The byte form wants both; the hex form takes an empty password or salt.
        std::string salt_as_hex;
        static const char digits[] = "0123456789ABCDEF";
        for (unsigned char b : salt) {
            salt_as_hex.push_back(digits[b >> 4]);
            salt_as_hex.push_back(digits[b & 15]);
        }
        std::string pw(password.begin(), password.end());
        if (pw.find('\0') != std::string::npos) {
            tessa::wipe(pw);
            tessa::wipe(password);
            return tessa::fail(cmd, "a password with a NUL byte needs a non-empty salt");
        }
        std::string hex(2 * key.size() + 1, '\0');
        rc = PBE_Kdf2Hex(&hex[0], static_cast<int32_t>(2 * key.size()), dk, pw.c_str(), salt_as_hex.c_str(),
                         static_cast<int32_t>(iterations), prf);
        tessa::wipe(pw);
        tessa::wipe(password);
        if (rc != 0) return tessa::report_error(cmd, rc);
        hex.resize(2 * key.size());
        status = tessa::write_line(cmd, hex);
        tessa::wipe(hex);
        return status;
    } else {
        rc = PBE_Kdf2(key.data(), dk, password.data(), static_cast<int32_t>(password.size()), salt.data(),
                      static_cast<int32_t>(salt.size()), static_cast<int32_t>(iterations), prf);
    }
    tessa::wipe(password);
    if (rc != 0) {
        tessa::wipe(key);
        return tessa::report_error(cmd, rc);
    }
    std::string out = lower_hex(key.data(), key.size());
    for (char& c : out)
        if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
    status = tessa::write_line(cmd, out);
    tessa::wipe(out);
    tessa::wipe(key);
    return status;
}

// ---------------------------------------------------------------------------

const char kXofUsage[] =
    "usage: tessa xof --alg NAME --len N [--to FORMAT] [--out FILE] (--text TEXT | --hex HEX | FILE | -)\n"
    "\n"
    "Prints N bytes of an extendable-output function of a text, of hex-encoded\n"
    "bytes, of a FILE or of standard input (\"-\", or no argument) as lower-case hex,\n"
    "or writes them as raw bytes to the --out file (--to hex, b64 or raw chooses).\n"
    "\n"
    "  --alg NAME   shake128, shake256 (FIPS 202); mgf1-sha1, mgf1-sha224, mgf1-sha256,\n"
    "               mgf1-sha384, mgf1-sha512 (RFC 8017 MGF1: the message is the seed);\n"
    "               ascon-xof, ascon-xofa (Ascon version 1.2)\n"
    "  --len N      the number of output bytes; a longer output begins with a shorter one\n"
    "  --text TEXT  the message is the bytes of TEXT\n"
    "  --hex HEX    the message is the bytes HEX encodes\n"
    "  --in FILE    the message is the bytes of FILE (as FILE alone)\n"
    "\n"
    "  tessa xof --alg shake128 --len 16 --text \"\"   ->  7f9c2ba4e88f827d616045507605853e\n"
    "\n"
    "Exit status: 0 on success, 1 when the library reports an error, 2 on bad usage.\n";

int cmd_xof(const tessa::Options& opts) {
    const char* cmd = "xof";
    int32_t option = 0;
    const std::string alg = opts.value("--alg");
    if (!opts.has("--alg")) return tessa::usage_error(cmd, "--alg is required");
    if (!lookup(kXofs, alg, &option)) return tessa::usage_error(cmd, "unknown algorithm '" + alg + "'");
    const long long len = count_option(cmd, opts, "--len", 0, INT32_MAX);
    if (len < 0) return 2;
    std::string to;  // --out alone writes the raw bytes
    if (const int status = tessa::digest_format(cmd, opts, opts.has("--out") ? "raw" : "hex", &to)) return status;
    Bytes msg;
    if (const int status = get_message(cmd, opts, &msg)) return status;
    Bytes out(static_cast<std::size_t>(len));
    const int32_t n = XOF_Bytes(out.data(), static_cast<int32_t>(len), msg.data(), static_cast<int32_t>(msg.size()),
                                option);
    if (n < 0) return tessa::report_error(cmd, n);
    out.resize(static_cast<std::size_t>(n));
    return tessa::write_digest(cmd, opts, out, to);
}

TESSA_COMMAND({"mac", "message authentication codes (HMAC, CMAC, Poly1305, KMAC)", kMacUsage,
               {"--alg", "--key", "--custom", "--len", "--text", "--hex", "--in", "--to", "--out"}, {}, cmd_mac});
TESSA_COMMAND({"derive", "keys from passwords (PBKDF2, scrypt)", kDeriveUsage,
               {"--prf", "--iter", "--N", "--r", "--p", "--password", "--password-hex", "--salt", "--salt-text",
                "--len"},
               {}, cmd_derive});
TESSA_COMMAND({"xof", "extendable-output functions (SHAKE, MGF1, Ascon-XOF)", kXofUsage,
               {"--alg", "--len", "--out", "--to", "--text", "--hex", "--in"}, {}, cmd_xof});

}  // namespace
