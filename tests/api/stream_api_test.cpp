// CIPHER_Stream* and PC1_ as a caller sees them: RFC 8439 (RFC 7539's
// appendix A.2 file) and RFC 6229 through the exports, the IV forms of
// ChaCha20, pieces against one call, check orders and signs, the text form,
// and the file functions: a same-named or same file (a "./" prefix, a hard
// and a symbolic link, another case on Windows) refused with DUP_ERROR and the
// input intact; a write that fails for a file size limit (a child process
// with RLIMIT_FSIZE lowered) leaves no output and the input intact.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "tessalib.h"
#include "test_util.h"
#include "vector_files.h"

namespace {

using tu::Bytes;
using tu::len32;

Bytes stream(const Bytes& in, const Bytes& key, const Bytes& iv, int32_t counter, int32_t alg) {
    Bytes out(in.size());
    EXPECT_EQ(0, CIPHER_StreamBytes(out.data(), tu::nonnull(in), len32(in), key.data(), len32(key),
                                    iv.empty() ? nullptr : iv.data(), len32(iv), counter, alg));
    return out;
}

bool file_exists(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return false;
    std::fclose(f);
    return true;
}

// --- Published vectors ---------------------------------------------------------------------------

TEST(StreamApi, Rfc8439ChaCha20ThroughEveryIvForm) {
    const std::string file = "ciphers/ChaCha20/rfc7539.txt";
    const auto records = tv::read_vector_file(tu::pyca_vector_path(file));
    ASSERT_EQ(3u, records.size());
    for (const auto& r : records) {
        SCOPED_TRACE(r.where(file));
        const Bytes key = r.bytes("KEY"), nonce = r.bytes("NONCE"), pt = r.bytes("PLAINTEXT"),
                    ct = r.bytes("CIPHERTEXT");
        const auto counter = static_cast<int32_t>(r.number("INITIAL_BLOCK_COUNTER"));
        EXPECT_EQ(ct, stream(pt, key, nonce, counter, STREAM_CHACHA20));
        // The 16-byte IV: the counter (little endian) then the nonce; the
        // counter argument is not used.
        Bytes iv16 = {static_cast<uint8_t>(counter), 0, 0, 0};
        iv16.insert(iv16.end(), nonce.begin(), nonce.end());
        EXPECT_EQ(ct, stream(pt, key, iv16, 0, STREAM_CHACHA20));
        EXPECT_EQ(ct, stream(pt, key, iv16, 7, STREAM_CHACHA20));
        // The 8-byte IV: word 13 is 0, as the nonce's first 4 bytes are here.
        if (nonce[0] == 0 && nonce[1] == 0 && nonce[2] == 0 && nonce[3] == 0) {
            EXPECT_EQ(ct, stream(pt, key, Bytes(nonce.begin() + 4, nonce.end()), counter, STREAM_CHACHA20));
        }
        // Hex, lower case in, upper case out.
        std::vector<char> out(2 * ct.size() + 1);
        ASSERT_EQ(0, CIPHER_StreamHex(out.data(), 2 * len32(ct), tu::to_hex(pt, false).c_str(),
                                      tu::to_hex(key, false).c_str(), tu::to_hex(nonce).c_str(), counter,
                                      STREAM_CHACHA20));
        EXPECT_EQ(tu::to_hex(ct), std::string(out.data()));
    }
}

TEST(StreamApi, Rfc6229ArcfourThroughStreamAndPc1) {
    for (const char* name : {"rfc-6229-40.txt", "rfc-6229-128.txt", "rfc-6229-256.txt"}) {
        const std::string file = std::string("ciphers/ARC4/") + name;
        for (const auto& r : tv::read_vector_file(tu::pyca_vector_path(file))) {
            SCOPED_TRACE(r.where(file));
            const Bytes key = r.bytes("KEY"), ct = r.bytes("CIPHERTEXT");
            const auto offset = static_cast<std::size_t>(r.number("OFFSET"));
            const Bytes zeros(offset + ct.size(), 0);
            const Bytes all = stream(zeros, key, {}, 0, STREAM_ARCFOUR);
            EXPECT_EQ(ct, Bytes(all.begin() + static_cast<std::ptrdiff_t>(offset), all.end()));
            Bytes pc1(zeros.size());
            ASSERT_EQ(0, PC1_Bytes(pc1.data(), zeros.data(), len32(zeros), key.data(), len32(key)));
            EXPECT_EQ(all, pc1);
        }
    }
    // PC1_Hex: the same bytes as text.
    std::vector<char> out(33);
    ASSERT_EQ(0, PC1_Hex(out.data(), 32, "00000000000000000000000000000000", "0102030405"));
    EXPECT_STREQ("B2396305F03DC027CCC3524A0A1118A8", out.data());
    // A cut at maxChars: whole pairs only.
    ASSERT_EQ(0, PC1_Hex(out.data(), 5, "00000000000000000000000000000000", "0102030405"));
    EXPECT_STREQ("B239", out.data());
}

// --- The keystream in pieces ---------------------------------------------------------------------

TEST(StreamApi, UpdatesInPiecesEqualOneCall) {
    tu::Prng rng(0x5A17);
    struct Setup {
        int32_t alg;
        std::size_t key_len, iv_len;
        int32_t counter;
    };
    const Setup setups[] = {{STREAM_ARCFOUR, 7, 0, 0},     {STREAM_SALSA20, 16, 8, 0},     {STREAM_SALSA20, 32, 8, 0},
                            {STREAM_CHACHA20, 32, 8, 0},   {STREAM_CHACHA20, 16, 12, 5},   {STREAM_CHACHA20, 32, 16, 0},
                            {STREAM_CHACHA20, 32, 12, -3}};  // the counter crosses 2^32 and carries
    for (const Setup& s : setups) {
        SCOPED_TRACE("algorithm " + std::to_string(s.alg) + " key " + std::to_string(s.key_len) + " IV " +
                     std::to_string(s.iv_len));
        const Bytes key = rng.bytes(s.key_len), iv = rng.bytes(s.iv_len), pt = rng.bytes(1 + 63 + 64 + 65 + 130);
        const Bytes whole = stream(pt, key, iv, s.counter, s.alg);
        const int32_t h = CIPHER_StreamInit(key.data(), len32(key), iv.empty() ? nullptr : iv.data(), len32(iv),
                                            s.counter, s.alg);
        ASSERT_NE(0, h);
        Bytes out(pt.size());
        std::size_t pos = 0;
        for (std::size_t n : {1, 63, 64, 65, 130}) {
            ASSERT_EQ(0, CIPHER_StreamUpdate(h, out.data() + pos, pt.data() + pos, static_cast<int32_t>(n)));
            pos += n;
        }
        EXPECT_EQ(whole, out);
        ASSERT_EQ(0, CIPHER_StreamFinal(h));
        EXPECT_EQ(-INVALID_HANDLE_ERROR, CIPHER_StreamFinal(h));
        // Twice restores the plaintext, in place.
        Bytes again = whole;
        ASSERT_EQ(0, CIPHER_StreamBytes(again.data(), again.data(), len32(again), key.data(), len32(key),
                                        iv.empty() ? nullptr : iv.data(), len32(iv), s.counter, s.alg));
        EXPECT_EQ(pt, again);
    }
}

TEST(StreamApi, ChaCha20SixteenByteIvIgnoresTheCounter) {
    const Bytes key(32, 9), iv(16, 3), pt(100, 0);
    EXPECT_EQ(stream(pt, key, iv, 0, STREAM_CHACHA20), stream(pt, key, iv, 7, STREAM_CHACHA20));
    const Bytes iv12(12, 3);
    EXPECT_NE(stream(pt, key, iv12, 0, STREAM_CHACHA20), stream(pt, key, iv12, 7, STREAM_CHACHA20));
}

// --- Checks and signs ----------------------------------------------------------------------------

TEST(StreamApi, BytesChecksAndSigns) {
    Bytes key(32, 1), iv(16, 2), in(10, 3), out(10);
    struct Row {
        const char* what;
        unsigned char* output;
        const unsigned char* input;
        int32_t inputLen;
        const unsigned char* key;
        int32_t keyLen;
        const unsigned char* iv;
        int32_t ivLen;
        int32_t options;
        int32_t want;
    };
    const Row rows[] = {
        {"NULL output", nullptr, in.data(), 10, key.data(), 16, nullptr, 0, STREAM_ARCFOUR, -NULL_ERROR},
        {"NULL input", out.data(), nullptr, 10, key.data(), 32, iv.data(), 8, STREAM_SALSA20, -NULL_ERROR},
        {"NULL with a negative length", out.data(), nullptr, -1, key.data(), 16, nullptr, 0, STREAM_ARCFOUR,
         -NULL_ERROR},
        {"NULLs and no data", nullptr, nullptr, 0, key.data(), 16, nullptr, 0, STREAM_ARCFOUR, 0},
        {"Arcfour negative length", out.data(), in.data(), -1, key.data(), 16, nullptr, 0, STREAM_ARCFOUR,
         BAD_PARAM_ERROR},
        {"Arcfour negative key length", out.data(), in.data(), 10, key.data(), -1, nullptr, 0, STREAM_ARCFOUR,
         BAD_PARAM_ERROR},
        {"Arcfour empty key", out.data(), in.data(), 10, key.data(), 0, nullptr, 0, STREAM_ARCFOUR, BAD_PARAM_ERROR},
        {"Arcfour NULL key", out.data(), in.data(), 10, nullptr, 16, nullptr, 0, STREAM_ARCFOUR, -BAD_KEY_ERROR},
        {"Arcfour ignores the IV", out.data(), in.data(), 10, key.data(), 16, nullptr, -5, STREAM_ARCFOUR, 0},
        {"algorithm 0", out.data(), in.data(), 10, key.data(), 16, nullptr, 0, 0, -BAD_FLAG_ERROR},
        {"algorithm 4", out.data(), in.data(), 10, key.data(), 16, nullptr, 0, 4, -BAD_FLAG_ERROR},
        {"other bits ignored", out.data(), in.data(), 10, key.data(), 16, nullptr, 0, 0x7FF1, 0},
        {"Salsa20 negative length", out.data(), in.data(), -1, key.data(), 32, iv.data(), 8, STREAM_SALSA20,
         -BAD_PARAM_ERROR},
        {"ChaCha20 negative length", out.data(), in.data(), -1, key.data(), 32, iv.data(), 8, STREAM_CHACHA20,
         -BAD_PARAM_ERROR},
        {"Salsa20 key 24", out.data(), in.data(), 10, key.data(), 24, iv.data(), 8, STREAM_SALSA20,
         -BAD_KEY_LEN_ERROR},
        {"Salsa20 NULL key", out.data(), in.data(), 10, nullptr, 32, iv.data(), 8, STREAM_SALSA20, -BAD_KEY_ERROR},
        {"Salsa20 IV 12", out.data(), in.data(), 10, key.data(), 32, iv.data(), 12, STREAM_SALSA20,
         -BAD_IV_LEN_ERROR},
        {"Salsa20 NULL IV", out.data(), in.data(), 10, key.data(), 32, nullptr, 8, STREAM_SALSA20,
         -BAD_IV_LEN_ERROR},
        {"ChaCha20 key 31", out.data(), in.data(), 10, key.data(), 31, iv.data(), 12, STREAM_CHACHA20,
         -BAD_KEY_LEN_ERROR},
        {"ChaCha20 NULL key", out.data(), in.data(), 10, nullptr, 32, iv.data(), 12, STREAM_CHACHA20, -BAD_KEY_ERROR},
        {"ChaCha20 IV 10", out.data(), in.data(), 10, key.data(), 32, iv.data(), 10, STREAM_CHACHA20,
         -BAD_IV_LEN_ERROR},
        {"ChaCha20 NULL IV", out.data(), in.data(), 10, key.data(), 32, nullptr, 12, STREAM_CHACHA20, -BAD_IV_ERROR},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(r.want, CIPHER_StreamBytes(r.output, r.input, r.inputLen, r.key, r.keyLen, r.iv, r.ivLen, 0,
                                             r.options));
        EXPECT_EQ(r.want < 0 ? -r.want : r.want, API_ErrorCode());
    }
}

TEST(StreamApi, ContextChecks) {
    const Bytes key(32, 4), iv(12, 5);
    Bytes buf(20);
    EXPECT_EQ(0, CIPHER_StreamInit(nullptr, 32, iv.data(), 12, 0, STREAM_CHACHA20));
    EXPECT_EQ(BAD_KEY_ERROR, API_ErrorCode());
    EXPECT_EQ(0, CIPHER_StreamInit(key.data(), 0, iv.data(), 12, 0, STREAM_CHACHA20));
    EXPECT_EQ(BAD_KEY_ERROR, API_ErrorCode());
    EXPECT_EQ(0, CIPHER_StreamInit(key.data(), 32, iv.data(), 12, 0, 9));
    EXPECT_EQ(BAD_FLAG_ERROR, API_ErrorCode());
    EXPECT_EQ(0, CIPHER_StreamInit(key.data(), 20, iv.data(), 12, 0, STREAM_CHACHA20));
    EXPECT_EQ(BAD_KEY_LEN_ERROR, API_ErrorCode());
    EXPECT_EQ(0, CIPHER_StreamInit(key.data(), 32, iv.data(), 7, 0, STREAM_CHACHA20));
    EXPECT_EQ(BAD_IV_LEN_ERROR, API_ErrorCode());
    EXPECT_EQ(0, CIPHER_StreamInit(key.data(), 32, nullptr, 12, 0, STREAM_CHACHA20));
    EXPECT_EQ(BAD_IV_ERROR, API_ErrorCode());
    const int32_t h = CIPHER_StreamInit(key.data(), 32, iv.data(), 12, 0, STREAM_CHACHA20);
    ASSERT_NE(0, h);
    EXPECT_EQ(1, h & 1);
    EXPECT_EQ(-NULL_ERROR, CIPHER_StreamUpdate(h, nullptr, buf.data(), 0));
    EXPECT_EQ(-NULL_ERROR, CIPHER_StreamUpdate(h, buf.data(), nullptr, 0));
    EXPECT_EQ(-BAD_PARAM_ERROR, CIPHER_StreamUpdate(h, buf.data(), buf.data(), -1));
    EXPECT_EQ(-INVALID_HANDLE_ERROR, CIPHER_StreamUpdate(h + 2, buf.data(), buf.data(), 20));
    EXPECT_EQ(-INVALID_HANDLE_ERROR, CIPHER_StreamUpdate(0, buf.data(), buf.data(), 20));
    EXPECT_EQ(0, CIPHER_StreamUpdate(h, buf.data(), buf.data(), 0));
    // A failing Init ends the open stream.
    EXPECT_EQ(0, CIPHER_StreamInit(key.data(), 32, iv.data(), 7, 0, STREAM_CHACHA20));
    EXPECT_EQ(-INVALID_HANDLE_ERROR, CIPHER_StreamUpdate(h, buf.data(), buf.data(), 20));
    EXPECT_EQ(-INVALID_HANDLE_ERROR, CIPHER_StreamFinal(h));
    EXPECT_EQ(INVALID_HANDLE_ERROR, API_ErrorCode());
}

TEST(StreamApi, HexChecksAndSigns) {
    std::vector<char> out(64, 'X');
    const char* key = "000102030405060708090A0B0C0D0E0F";
    struct Row {
        const char* what;
        char* output;
        int32_t maxChars;
        const char *in, *key, *iv;
        int32_t options, want;
    };
    const Row rows[] = {
        {"NULL output", nullptr, 63, "00", key, "0001020304050607", STREAM_SALSA20, -NULL_ERROR},
        {"empty input", out.data(), 63, "", key, "0001020304050607", STREAM_SALSA20, -BAD_PARAM_ERROR},
        {"NULL key", out.data(), 63, "00", nullptr, "0001020304050607", STREAM_SALSA20, -BAD_PARAM_ERROR},
        {"negative maxChars", out.data(), -1, "00", key, "0001020304050607", STREAM_SALSA20, -BAD_PARAM_ERROR},
        {"odd input", out.data(), 63, "000", key, "0001020304050607", STREAM_SALSA20, -BAD_FORMAT_ERROR},
        {"input not hex", out.data(), 63, "0g", key, "0001020304050607", STREAM_SALSA20, -BAD_FORMAT_ERROR},
        {"key with a space", out.data(), 63, "00", "00 11", "0001020304050607", STREAM_SALSA20, -BAD_FORMAT_ERROR},
        {"no IV", out.data(), 63, "00", key, "", STREAM_SALSA20, -BAD_IV_ERROR},
        {"NULL IV", out.data(), 63, "00", key, nullptr, STREAM_CHACHA20, -BAD_IV_ERROR},
        {"odd IV", out.data(), 63, "00", key, "000", STREAM_CHACHA20, -BAD_FORMAT_ERROR},
        {"algorithm 5", out.data(), 63, "00", key, "", 5, -BAD_FLAG_ERROR},
        {"Salsa20 IV 12", out.data(), 63, "00", key, "000102030405060708090A0B", STREAM_SALSA20, -BAD_IV_LEN_ERROR},
        {"Arcfour with no IV", out.data(), 63, "00", key, "", STREAM_ARCFOUR, 0},
        {"Arcfour with a bad IV text", out.data(), 63, "00", key, "zz", STREAM_ARCFOUR, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(r.want, CIPHER_StreamHex(r.output, r.maxChars, r.in, r.key, r.iv, 0, r.options));
    }
    // PC1_Hex: positive codes.
    EXPECT_EQ(NULL_ERROR, PC1_Hex(nullptr, 10, "00", "01"));
    EXPECT_EQ(BAD_PARAM_ERROR, PC1_Hex(out.data(), -1, "00", "01"));
    EXPECT_EQ(BAD_PARAM_ERROR, PC1_Hex(out.data(), 10, "", "01"));
    EXPECT_EQ(BAD_FORMAT_ERROR, PC1_Hex(out.data(), 10, "001", "01"));
    EXPECT_EQ(BAD_FORMAT_ERROR, PC1_Hex(out.data(), 10, "00", "0x"));
    EXPECT_EQ(BAD_FORMAT_ERROR, API_ErrorCode());
    // maxChars 0: an empty text.
    out[0] = 'X';
    EXPECT_EQ(0, PC1_Hex(out.data(), 0, "00", "01"));
    EXPECT_EQ('\0', out[0]);
}

TEST(StreamApi, Pc1BytesChecks) {
    Bytes key(5, 1), in(4, 2), out(4);
    EXPECT_EQ(NULL_ERROR, PC1_Bytes(nullptr, in.data(), 4, key.data(), 5));
    EXPECT_EQ(NULL_ERROR, PC1_Bytes(out.data(), nullptr, 4, key.data(), 5));
    EXPECT_EQ(BAD_PARAM_ERROR, PC1_Bytes(out.data(), in.data(), -1, key.data(), 5));
    EXPECT_EQ(BAD_PARAM_ERROR, PC1_Bytes(out.data(), in.data(), 4, key.data(), -1));
    EXPECT_EQ(BAD_PARAM_ERROR, PC1_Bytes(out.data(), in.data(), 4, key.data(), 0));
    EXPECT_EQ(BAD_KEY_ERROR, PC1_Bytes(out.data(), in.data(), 4, nullptr, 5));
    EXPECT_EQ(BAD_KEY_ERROR, API_ErrorCode());
    EXPECT_EQ(0, PC1_Bytes(out.data(), in.data(), 4, key.data(), 5));
    EXPECT_EQ(0, API_ErrorCode());
}

// --- Files ---------------------------------------------------------------------------------------

// The two file functions behind one shape: 0 or the code as the function
// returns it (negated or positive), and the DUP code in that sign.
struct FileFn {
    const char* name;
    int32_t (*run)(const std::string& out, const std::string& in);
    int32_t sign;  // -1: negated codes; +1: positive codes
};

const Bytes kFileKey(32, 0x6B), kFileIv(12, 0x1F);

const FileFn kFileFns[] = {
    {"CIPHER_StreamFile",
     [](const std::string& out, const std::string& in) {
         return CIPHER_StreamFile(out.c_str(), in.c_str(), kFileKey.data(), 32, kFileIv.data(), 12, 1,
                                  STREAM_CHACHA20);
     },
     -1},
    {"PC1_File",
     [](const std::string& out, const std::string& in) {
         return PC1_File(out.c_str(), in.c_str(), kFileKey.data(), 16);
     },
     +1},
};

// What each function writes for the content, by the byte functions.
Bytes expected_output(const FileFn& f, const std::string& content) {
    const Bytes in = tu::bytes_of(content);
    if (f.sign < 0) return stream(in, kFileKey, kFileIv, 1, STREAM_CHACHA20);
    Bytes out(in.size());
    EXPECT_EQ(0, PC1_Bytes(out.data(), tu::nonnull(in), len32(in), kFileKey.data(), 16));
    return out;
}

std::string content_of(const std::string& path) { return tu::read_file(path); }

TEST(StreamFiles, EncryptAndDecryptFiles) {
    tu::TempDir dir;
    tu::Prng rng(0xF11E);
    for (const FileFn& f : kFileFns) {
        SCOPED_TRACE(f.name);
        for (std::size_t len : {std::size_t{0}, std::size_t{1}, std::size_t{64}, std::size_t{4097}, std::size_t{70000}}) {
            const Bytes data = rng.bytes(len);
            const std::string content(data.begin(), data.end());
            tu::write_file(dir.file("plain"), content);
            ASSERT_EQ(0, f.run(dir.file("enc"), dir.file("plain")));
            const std::string enc = content_of(dir.file("enc"));
            EXPECT_EQ(expected_output(f, content), tu::bytes_of(enc));
            ASSERT_EQ(0, f.run(dir.file("dec"), dir.file("enc")));
            EXPECT_EQ(content, content_of(dir.file("dec")));
        }
        EXPECT_EQ(f.sign * OPEN_ERROR, f.run(dir.file("out"), dir.file("missing")));
        EXPECT_FALSE(file_exists(dir.file("out")));
        EXPECT_EQ(f.sign * CREATE_ERROR, f.run(dir.file("no-such-dir/out"), dir.file("plain")));
        EXPECT_EQ(f.sign * BAD_PARAM_ERROR, f.run("", dir.file("plain")));
        EXPECT_EQ(f.sign * BAD_PARAM_ERROR, f.run(dir.file("out"), ""));
    }
    EXPECT_EQ(-BAD_PARAM_ERROR, CIPHER_StreamFile(nullptr, "x", kFileKey.data(), 32, kFileIv.data(), 12, 0, 3));
    EXPECT_EQ(BAD_PARAM_ERROR, PC1_File("x", nullptr, kFileKey.data(), 16));
    EXPECT_EQ(BAD_PARAM_ERROR, PC1_File(dir.file("o").c_str(), dir.file("plain").c_str(), kFileKey.data(), -1));
    EXPECT_EQ(BAD_KEY_ERROR, PC1_File(dir.file("o").c_str(), dir.file("plain").c_str(), nullptr, 16));
    // Set-up failures come before the files are opened.
    EXPECT_EQ(-BAD_IV_LEN_ERROR, CIPHER_StreamFile(dir.file("o").c_str(), dir.file("missing").c_str(),
                                                   kFileKey.data(), 32, kFileIv.data(), 9, 0, STREAM_CHACHA20));
    EXPECT_EQ(-BAD_KEY_ERROR, CIPHER_StreamFile(dir.file("o").c_str(), dir.file("plain").c_str(), nullptr, 32,
                                                kFileIv.data(), 12, 0, STREAM_CHACHA20));
    EXPECT_FALSE(file_exists(dir.file("o")));
}

TEST(StreamFiles, StreamFileEndsTheThreadsStream) {
    tu::TempDir dir;
    tu::write_file(dir.file("plain"), "some bytes");
    const int32_t h = CIPHER_StreamInit(kFileKey.data(), 32, kFileIv.data(), 12, 0, STREAM_CHACHA20);
    ASSERT_NE(0, h);
    ASSERT_EQ(0, CIPHER_StreamFile(dir.file("enc").c_str(), dir.file("plain").c_str(), kFileKey.data(), 32,
                                   kFileIv.data(), 12, 0, STREAM_CHACHA20));
    Bytes buf(4);
    EXPECT_EQ(-INVALID_HANDLE_ERROR, CIPHER_StreamUpdate(h, buf.data(), buf.data(), 4));
}

TEST(StreamFiles, TheInputAsOutputIsRefusedAndKept) {
    tu::TempDir dir;
    const std::string content = "the input must survive every one of these calls\n";
    const std::string in = dir.file("data.bin");
    tu::write_file(in, content);
    std::vector<std::pair<std::string, std::string>> same = {{"the same name", in}};
    // The same file through "./" needs a relative path: the directory's own
    // path with a "/./" inside names it too.
    same.emplace_back("a ./ in the path", dir.path() + "/./data.bin");
#ifdef _WIN32
    std::string upper = in;
    for (std::size_t i = upper.rfind('/') + 1; i < upper.size(); ++i) upper[i] = static_cast<char>(std::toupper(upper[i]));
    same.emplace_back("another case", upper);
#else
    ASSERT_EQ(0, link(in.c_str(), dir.file("hard.bin").c_str()));
    ASSERT_EQ(0, symlink(in.c_str(), dir.file("soft.bin").c_str()));
    same.emplace_back("a hard link", dir.file("hard.bin"));
    same.emplace_back("a symbolic link", dir.file("soft.bin"));
#endif
    for (const FileFn& f : kFileFns) {
        for (const auto& [what, out] : same) {
            SCOPED_TRACE(std::string(f.name) + ": " + what);
            EXPECT_EQ(f.sign * DUP_ERROR, f.run(out, in));
            EXPECT_EQ(DUP_ERROR, API_ErrorCode());
            EXPECT_EQ(content, content_of(in));
            EXPECT_EQ(f.sign * DUP_ERROR, f.run(in, out));
            EXPECT_EQ(content, content_of(in));
        }
    }
#ifndef _WIN32
    // A relative "./" name against the plain one, from inside the folder.
    char cwd[4096];
    ASSERT_NE(nullptr, getcwd(cwd, sizeof cwd));
    ASSERT_EQ(0, chdir(dir.path().c_str()));
    for (const FileFn& f : kFileFns) {
        EXPECT_EQ(f.sign * DUP_ERROR, f.run("./data.bin", "data.bin")) << f.name;
        EXPECT_EQ(content, content_of("data.bin"));
    }
    ASSERT_EQ(0, chdir(cwd));
#endif
}

#ifndef _WIN32
// A write that fails: in a child process with a file size limit of 4096
// bytes (and SIGXFSZ ignored, so the write returns an error instead), each
// function reports WRITE_ERROR in its sign, deletes its partial output and
// leaves the input as it was. The child's exit status carries the outcome.
TEST(StreamFiles, AWriteFailureLeavesNoOutputAndTheInputIntact) {
    tu::TempDir dir;
    tu::Prng rng(0xF5);
    const Bytes data = rng.bytes(100000);
    const std::string content(data.begin(), data.end());
    const std::string in = dir.file("big.bin"), out = dir.file("out.bin");
    tu::write_file(in, content);
    for (const FileFn& f : kFileFns) {
        SCOPED_TRACE(f.name);
        std::fflush(nullptr);
        const pid_t pid = fork();
        ASSERT_NE(-1, pid);
        if (pid == 0) {
            signal(SIGXFSZ, SIG_IGN);
            struct rlimit lim = {4096, 4096};
            if (setrlimit(RLIMIT_FSIZE, &lim) != 0) _exit(100);
            const int32_t rc = f.run(out, in);
            const int32_t code = API_ErrorCode();
            _exit(rc == f.sign * WRITE_ERROR && code == WRITE_ERROR ? 0 : 101);
        }
        int status = 0;
        ASSERT_EQ(pid, waitpid(pid, &status, 0));
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(0, WEXITSTATUS(status));
        EXPECT_FALSE(file_exists(out));
        EXPECT_EQ(content, content_of(in));
    }
}
#endif

}  // namespace
