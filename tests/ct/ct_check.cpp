// The constant-time check. Run under valgrind's memcheck: every secret (key,
// tag, plaintext) is marked undefined with a client request before the code
// under test runs, so that memcheck reports each conditional jump and each
// memory address that depends on one ("depends on uninitialised value",
// "Use of uninitialised value"). A run with no report passes.
//
//   valgrind --error-exitcode=99 ct_check                    the checks: must pass
//   valgrind --error-exitcode=99 ct_check --self-test branch  a deliberate secret
//   valgrind --error-exitcode=99 ct_check --self-test index   branch / table index:
//                                                             must be reported
//
// Every path of ChaCha20 and Ascon that the processor offers is run, except
// ChaCha20's AVX-512 one, which valgrind cannot run (it hides AVX-512 from
// the processor probe). AES (key expansion, both directions of every mode,
// CMAC), GHASH, GCM and the AES AEAD run on each hardware path of the AES
// engine that valgrind lets the processor probe see (AES-NI with PCLMULQDQ;
// the 256-bit VAES path only where valgrind shows VAES). Known exceptions,
// not run here: the table paths of AES (the block engine and the GCM
// engine's counter mode) and of GHASH, for processors without those
// instructions, index their tables with key and data bytes by design. GCM's
// tag comparison is checked on the table path too, with the received tag as
// the secret.
#include <valgrind/memcheck.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "aead/aead.h"
#include "aead/ascon_aead.h"
#include "aead/chacha20.h"
#include "aead/chacha20_poly1305.h"
#include "aead/aead_stream.h"
#include "aead/gcm.h"
#include "block/aes.h"
#include "block/des.h"
#include "block/key_wrap.h"
#include "block/padding.h"
#include "block/modes.h"
#include "core/cpu.h"
#include "core/ct.h"
#include "hash/cmac.h"
#include "hash/poly1305.h"
#include "tessalib.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes pattern(std::size_t n, unsigned seed) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(seed * 131u + i * 29u + (i >> 3));
    return b;
}

void secret(const void* p, std::size_t n) { VALGRIND_MAKE_MEM_UNDEFINED(p, n); }
void secret(const Bytes& b) { secret(b.data(), b.size()); }
// Results are looked at only after being made public again.
void reveal(const void* p, std::size_t n) { VALGRIND_MAKE_MEM_DEFINED(p, n); }

int checks_run = 0;
void done(const char* what) {
    ++checks_run;
    std::printf("ct_check: %s\n", what);
}

// --- The checks -----------------------------------------------------------------

void check_ct_memeq() {
    Bytes a = pattern(16, 1), b = pattern(16, 1);
    b[9] ^= 1;
    secret(a);
    secret(b);
    int r = ct_memeq(a.data(), b.data(), 16);
    reveal(&r, sizeof r);
    done("ct_memeq over secret tags");
}

void check_chacha20() {
    const ChaCha20Path paths[] = {ChaCha20Path::portable, ChaCha20Path::sse2, ChaCha20Path::avx2,
                                  ChaCha20Path::avx512vl};
    static const char* const names[] = {"portable", "sse2", "avx2", "avx512vl"};
    for (ChaCha20Path path : paths) {
        if (!chacha20_path_available(path)) continue;  // valgrind hides AVX-512
        const Bytes key = pattern(32, 2), nonce = pattern(12, 3);
        Bytes data = pattern(64 * 19, 4), out(data.size());
        ChaCha20State st;
        secret(key);
        secret(data);
        chacha20_set_key(&st, key.data(), 32);
        chacha20_set_iv(&st, nonce.data(), 12, 0xFFFFFFF5u);  // crosses the carry into word 13
        chacha20_xor_blocks_path(path, &st, out.data(), data.data(), 19);
        reveal(out.data(), out.size());
        std::printf("ct_check: ChaCha20 blocks, %s path\n", names[static_cast<int>(path)]);
        ++checks_run;
    }
    const Bytes key = pattern(16, 5), iv = pattern(8, 6);
    Bytes data = pattern(150, 7), out(150);
    secret(key);
    secret(data);
    ChaCha20State st;
    chacha20_set_key(&st, key.data(), 16);
    chacha20_set_iv(&st, iv.data(), 8, 0);
    ChaCha20Stream s;
    chacha20_stream_start(&s, &st);
    chacha20_stream_xor(&s, out.data(), data.data(), 70);
    chacha20_stream_xor(&s, out.data() + 70, data.data() + 70, 80);
    reveal(out.data(), out.size());
    done("ChaCha20 stream in pieces, 16-byte key");
}

void check_poly1305() {
    // Short (one block at a time) and long (the vector path where present).
    for (std::size_t len : {std::size_t{45}, std::size_t{1000}}) {
        const Bytes key = pattern(32, 8), msg = pattern(len, 9);
        secret(key);
        secret(msg);
        uint8_t tag[16];
        poly1305_bytes(tag, msg.data(), msg.size(), key.data());
        reveal(tag, 16);
        poly1305_bytes_portable(tag, msg.data(), msg.size(), key.data());
        reveal(tag, 16);
    }
    done("Poly1305, short and long messages, both paths");
}

void check_chacha20_poly1305() {
    const Bytes key = pattern(32, 10), nonce = pattern(12, 11), aad = pattern(20, 12);
    Bytes pt = pattern(300, 13), ct(300), tag(16), back(300);
    secret(key);
    secret(pt);
    chacha20_poly1305_encrypt(key.data(), nonce.data(), aad.data(), aad.size(), pt.data(), pt.size(), ct.data(),
                              tag.data());
    reveal(ct.data(), ct.size());
    secret(tag);
    int rc = chacha20_poly1305_decrypt(key.data(), nonce.data(), aad.data(), aad.size(), ct.data(), ct.size(),
                                       tag.data(), 16, back.data());
    reveal(&rc, sizeof rc);
    tag[5] ^= 1;
    rc = chacha20_poly1305_decrypt(key.data(), nonce.data(), aad.data(), aad.size(), ct.data(), ct.size(), tag.data(),
                                   16, back.data());
    reveal(&rc, sizeof rc);
    if (rc != -AUTH_FAIL_ERROR) std::printf("ct_check: ChaCha20-Poly1305 accepted a forged tag\n");
    done("ChaCha20-Poly1305 encryption and decryption (key, text and tag secret)");
}

void check_ascon() {
    static const char* const names[] = {"portable", "bmi"};
    for (AsconAeadPath path : {AsconAeadPath::portable, AsconAeadPath::bmi}) {
        if (!ascon_aead_path_available(path)) continue;
        for (AsconAeadKind kind : {AsconAeadKind::ascon128, AsconAeadKind::ascon128a}) {
            const Bytes key = pattern(16, 14), nonce = pattern(16, 15), aad = pattern(23, 16);
            Bytes pt = pattern(41, 17), ct(41), tag(16), back(41);
            secret(key);
            secret(pt);
            ascon_aead_encrypt_path(path, kind, key.data(), nonce.data(), aad.data(), aad.size(), pt.data(),
                                    pt.size(), ct.data(), tag.data());
            reveal(ct.data(), ct.size());
            secret(tag);
            int rc = ascon_aead_decrypt_path(path, kind, key.data(), nonce.data(), aad.data(), aad.size(), ct.data(),
                                             ct.size(), tag.data(), back.data());
            reveal(&rc, sizeof rc);
            tag[0] ^= 0x80;
            rc = ascon_aead_decrypt_path(path, kind, key.data(), nonce.data(), aad.data(), aad.size(), ct.data(),
                                         ct.size(), tag.data(), back.data());
            reveal(&rc, sizeof rc);
        }
        std::printf("ct_check: Ascon-128 and Ascon-128a, %s path (key, text and tag secret)\n",
                    names[static_cast<int>(path)]);
        ++checks_run;
    }
}

// The AEAD_ exports of one algorithm, one-shot and incremental: key, text and
// received tag secret; lengths and options public.
void run_aead_exports(int32_t alg, int32_t key_len) {
    const Bytes key = pattern(static_cast<std::size_t>(key_len), 24), nonce = pattern(12, 25);
    Bytes pt = pattern(300, 26), sealed(316), back(300);
    secret(key);
    secret(pt);
    int32_t n = AEAD_EncryptWithTag(sealed.data(), 316, pt.data(), 300, key.data(), key_len, nonce.data(), 12,
                                    nullptr, 0, alg);
    reveal(&n, sizeof n);
    reveal(sealed.data(), sealed.size());
    secret(sealed.data() + 300, 16);
    n = AEAD_DecryptWithTag(back.data(), 300, sealed.data(), 316, key.data(), key_len, nonce.data(), 12, nullptr, 0,
                            alg);
    reveal(&n, sizeof n);
    const int32_t h = AEAD_InitKey(key.data(), key_len, alg);
    Bytes tag(16);
    AEAD_SetNonce(h, nonce.data(), 12);
    AEAD_StartEncrypt(h);
    AEAD_Update(h, sealed.data(), 100, pt.data(), 100);
    AEAD_Update(h, sealed.data() + 100, 200, pt.data() + 100, 200);
    AEAD_FinishEncrypt(h, tag.data(), 16);
    reveal(sealed.data(), 300);
    secret(tag);
    AEAD_SetNonce(h, nonce.data(), 12);
    AEAD_StartDecrypt(h, tag.data(), 16);
    AEAD_Update(h, back.data(), 300, sealed.data(), 300);
    int32_t rc = AEAD_FinishDecrypt(h);
    reveal(&rc, sizeof rc);
    AEAD_Destroy(h);
}

// The hardware paths of the AES engine this processor (as valgrind shows it)
// offers; each check below runs once per path, held to it.
std::vector<AesPath> aes_hardware_paths() {
    std::vector<AesPath> out;
    for (AesPath p : {AesPath::aesni, AesPath::vaes}) {
        cpu_limit_aes_path(p);
        if (cpu_aes_path() == p) out.push_back(p);
    }
    cpu_limit_aes_path(AesPath::vaes);
    return out;
}
const char* aes_path_name(AesPath p) { return p == AesPath::aesni ? "aesni" : "vaes"; }

// Key expansion (both schedules) and every mode in both directions, each key
// size: key and text secret, the IV public. 40 blocks and 5 bytes (whole
// blocks for ECB and CBC): the multi-block runs, the single blocks and a
// trailing partial block.
void check_aes(AesPath path) {
    cpu_limit_aes_path(path);
    for (int key_len : {16, 24, 32})
        for (int mode : {kModeEcb, kModeCbc, kModeCfb, kModeOfb, kModeCtr})
            for (int encrypt : {0, 1}) {
                const std::size_t len = mode == kModeEcb || mode == kModeCbc ? 16 * 40 : 16 * 40 + 5;
                const Bytes key = pattern(static_cast<std::size_t>(key_len), 40), iv = pattern(16, 41);
                Bytes data = pattern(len, 42), out(len);
                secret(key);
                secret(data);
                AesContext ctx;
                int32_t rc = AesSetup(&ctx, mode, key.data(), key_len, encrypt, iv.data());
                reveal(&rc, sizeof rc);
                rc = AesUpdate(&ctx, out.data(), data.data(), len / 2 / 16 * 16);
                reveal(&rc, sizeof rc);
                rc = AesUpdate(&ctx, out.data() + len / 2 / 16 * 16, data.data() + len / 2 / 16 * 16,
                               len - len / 2 / 16 * 16);
                reveal(&rc, sizeof rc);
                reveal(out.data(), out.size());
                if (mode == kModeEcb) {
                    uint8_t block[16];
                    if (encrypt)
                        aes_block_encrypt(&ctx, block, data.data());
                    else
                        aes_block_decrypt(&ctx, block, data.data());
                    reveal(block, 16);
                }
            }
    for (uint32_t variant : {static_cast<uint32_t>(kCmacAes128), static_cast<uint32_t>(kCmacAes256)}) {
        const Bytes key = pattern(cmac_key_len(variant), 43), msg = pattern(16 * 37 + 3, 44);
        secret(key);
        secret(msg);
        uint8_t tag[16];
        int32_t rc = cmac_bytes(tag, msg.data(), msg.size(), key.data(), key.size(), variant);
        reveal(&rc, sizeof rc);
        reveal(tag, 16);
    }
    std::printf("ct_check: AES key expansion, every mode both ways, CMAC, %s path (key and text secret)\n",
                aes_path_name(path));
    ++checks_run;
    cpu_limit_aes_path(AesPath::vaes);
}

// GHASH with the carry-less multiply: the hash key and the data secret.
void check_ghash(AesPath path) {
    const Bytes h = pattern(16, 45), data = pattern(16 * 41, 46);
    secret(h);
    secret(data);
    GhashKey key;
    ghash_key_init(&key, h.data(), path);
    GhashWords y{0, 0};
    ghash_blocks(&key, &y, data.data(), 41);
    reveal(&y, sizeof y);
    std::printf("ct_check: GHASH, %s path (hash key and data secret)\n", aes_path_name(path));
    ++checks_run;
}

// The whole of GCM and of the AES AEAD: key, text and received tag secret;
// IVs of 12 and of 60 bytes (the hashed pre-counter block), public.
void check_gcm_aead(AesPath path) {
    cpu_limit_aes_path(path);
    for (std::size_t iv_len : {std::size_t{12}, std::size_t{60}}) {
        const Bytes key = pattern(32, 47), iv = pattern(iv_len, 48), aad = pattern(29, 49);
        Bytes pt = pattern(16 * 37 + 7, 50), ct(pt.size()), tag(16), back(pt.size());
        secret(key);
        secret(pt);
        GcmKey k;
        gcm_key_setup(&k, key.data(), 32);
        gcm_encrypt(&k, iv.data(), iv_len, aad.data(), aad.size(), pt.data(), pt.size(), ct.data(), tag.data());
        reveal(ct.data(), ct.size());
        secret(tag);
        int rc = gcm_decrypt(&k, iv.data(), iv_len, aad.data(), aad.size(), ct.data(), ct.size(), tag.data(), 16,
                             back.data());
        reveal(&rc, sizeof rc);
        GcmStream st;
        gcm_stream_start(&k, &st, iv.data(), iv_len);
        gcm_stream_aad(&k, &st, aad.data(), aad.size());
        gcm_stream_aad_end(&k, &st);
        gcm_stream_encrypt(&k, &st, ct.data(), pt.data(), 100);
        gcm_stream_encrypt(&k, &st, ct.data() + 100, pt.data() + 100, pt.size() - 100);
        gcm_stream_finish(&k, &st, tag.data());
        reveal(ct.data(), ct.size());
        reveal(tag.data(), 16);
    }
    run_aead_exports(AEAD_AES_128_GCM, 16);
    std::printf("ct_check: GCM one-shot and stream, AEAD_ AES-128-GCM exports, %s path (key, text and tag secret)\n",
                aes_path_name(path));
    ++checks_run;
    cpu_limit_aes_path(AesPath::vaes);
}

// GCM on the table path with a public key (its AES and GHASH are the known
// exceptions): the received tag is the secret, so the comparison is what is
// checked, in the one-shot decryption.
void check_gcm_tag_comparison() {
    cpu_limit_aes_path(AesPath::tables);
    const Bytes key = pattern(16, 18), iv = pattern(12, 19), aad = pattern(7, 20), pt = pattern(40, 21);
    Bytes ct(40), tag(16), back(40);
    GcmKey k;
    gcm_key_setup(&k, key.data(), 16);
    gcm_encrypt(&k, iv.data(), 12, aad.data(), aad.size(), pt.data(), pt.size(), ct.data(), tag.data());
    for (int forged = 0; forged < 2; ++forged) {
        Bytes received = tag;
        received[3] = static_cast<uint8_t>(received[3] ^ forged);
        secret(received);
        int rc = gcm_decrypt(&k, iv.data(), 12, aad.data(), aad.size(), ct.data(), ct.size(), received.data(), 12,
                             back.data());
        reveal(&rc, sizeof rc);
    }
    cpu_limit_aes_path(AesPath::vaes);
    done("GCM tag comparison, one-shot, table path (tag secret)");
}

void check_des_weak_keys() {
    for (unsigned seed : {22u, 23u}) {
        Bytes key = pattern(24, seed);
        if (seed == 23) std::memcpy(key.data() + 8, "\x01\xFE\x01\xFE\x01\xFE\x01\xFE", 8);  // semi-weak
        secret(key);
        int32_t rc = des_check_key(key.data(), 24);
        reveal(&rc, sizeof rc);
    }
    done("DES weak-key test (key secret)");
}

// The padding check over a secret last block, for every scheme, both block
// lengths and last blocks that are valid, wrong in the middle, wrong in the
// length byte and all zero: only the verdict (the padding length or the
// error) is made public.
void check_padding() {
    const uint32_t schemes[] = {CIPHER_PAD_PKCS5, CIPHER_PAD_ONEANDZEROES, CIPHER_PAD_ANSIX923, CIPHER_PAD_W3C};
    for (std::size_t b : {std::size_t{8}, std::size_t{16}}) {
        for (uint32_t scheme : schemes) {
            for (int variant = 0; variant < 4; ++variant) {
                Bytes data = pattern(2 * b, 27 + static_cast<unsigned>(variant));
                const std::size_t n = 3 + static_cast<std::size_t>(variant) % 3;
                pad_write(data.data() + 2 * b - n, n, scheme);
                if (variant == 1) data[2 * b - 2] ^= 0x40;
                if (variant == 2) data[2 * b - 1] = static_cast<uint8_t>(b + 1);
                if (variant == 3) std::memset(data.data() + b, 0, b);
                secret(data);
                int32_t r = CheckPadding(data.data(), data.size(), b, scheme);
                reveal(&r, sizeof r);
            }
        }
    }
    done("CheckPadding, every scheme, 8- and 16-byte blocks (data secret)");
}

// The integrity verdict of both key unwraps (AES's final A against
// A6A6A6A6A6A6A6A6, Triple DES's SHA-1 check value): the computed and the
// expected values secret, matching and not; the output is zeroed on a
// mismatch. (The ciphers themselves are the table-driven exceptions.)
void check_unwrap_verdict() {
    for (int differs = 0; differs < 2; ++differs) {
        Bytes computed = pattern(8, 31), expected = pattern(8, 31), out = pattern(24, 32);
        expected[7] = static_cast<uint8_t>(expected[7] ^ differs);
        secret(computed);
        secret(expected);
        secret(out);
        int32_t rc = key_unwrap_verdict(computed.data(), expected.data(), 8, out.data(), out.size());
        reveal(&rc, sizeof rc);
    }
    done("key unwrap integrity verdict (computed and expected values secret)");
}

void check_exports() {
    // The export layer around the engines: lengths and options are public.
    run_aead_exports(AEAD_CHACHA20_POLY1305, 32);
    done("AEAD_ exports, one-shot and incremental ChaCha20-Poly1305 (key, text and tag secret)");
}

// --- The self-tests: the marking must catch these --------------------------------

__attribute__((noinline)) int leaky_equal(const uint8_t* a, const uint8_t* b, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
        if (a[i] != b[i]) return 0;  // an early exit on a secret: memcheck must report it
    return 1;
}

__attribute__((noinline)) uint8_t leaky_lookup(const uint8_t* table, const uint8_t* index) {
    return table[*index];  // an address from a secret: memcheck must report it
}

int self_test(const char* which) {
    Bytes a = pattern(16, 30), b = pattern(16, 30);
    secret(a);
    if (std::strcmp(which, "branch") == 0) {
        volatile int r = leaky_equal(a.data(), b.data(), 16);
        (void)r;
        return 0;
    }
    if (std::strcmp(which, "index") == 0) {
        static uint8_t table[256];
        volatile uint8_t r = leaky_lookup(table, a.data());
        (void)r;
        return 0;
    }
    std::fprintf(stderr, "ct_check: --self-test takes branch or index\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--self-test") == 0) return self_test(argv[2]);
    if (argc != 1) {
        std::fprintf(stderr, "usage: ct_check [--self-test branch|index]\n");
        return 2;
    }
    if (!RUNNING_ON_VALGRIND) std::printf("ct_check: not under valgrind: the marks check nothing\n");
    check_ct_memeq();
    check_chacha20();
    check_poly1305();
    check_chacha20_poly1305();
    check_ascon();
    const std::vector<AesPath> aes_paths = aes_hardware_paths();
    if (aes_paths.empty()) {
        std::printf("ct_check: no AES hardware path on this processor (as valgrind shows it): AES not checked\n");
        return 1;
    }
    for (AesPath path : aes_paths) {
        check_aes(path);
        check_ghash(path);
        check_gcm_aead(path);
    }
    check_gcm_tag_comparison();
    check_des_weak_keys();
    check_padding();
    check_unwrap_verdict();
    check_exports();
    std::printf("ct_check: %d checks ran; known exceptions: the table paths of AES (block engine, GCM counter "
                "mode) and GHASH, for processors without AES and carry-less multiply instructions\n",
                checks_run);
    return 0;
}
