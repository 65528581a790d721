// RNG_: random keys, nonces and numbers from the thread's generator, seed
// files, the statistical test, DRBG validation and the keyboard prompt.
#include "core/frame.h"
#include "core/endian.h"
#include "core/secret.h"
#include "encode/hex.h"
#include "platform/platform.h"
#include "rng/accumulator.h"
#include "rng/drbg.h"
#include "rng/fips_test.h"
#include "rng/generator.h"
#include "rng/prompt.h"
#include "rng/seed_file.h"
#include "rng/stir.h"
#include "tessalib.h"

namespace {

RngState* thread_rng(ThreadState* ts) noexcept { return &ts->workspace.rng; }

// The optional caller seed: NULL or a length of 0 is none; a negative
// length with a seed is refused.
bool seed_ok(const unsigned char* seed, int32_t seedLen) noexcept { return seed == nullptr || seedLen >= 0; }
std::size_t seed_len(const unsigned char* seed, int32_t seedLen) noexcept {
    return seed == nullptr || seedLen <= 0 ? 0 : static_cast<std::size_t>(seedLen);
}

bool text_empty(const char* s) noexcept { return s == nullptr || s[0] == '\0'; }

// The body of RNG_KeyBytes and RNG_NonceData after their stir at entry.
int32_t key_bytes(RngState* st, unsigned char* output, int32_t outputLen, const unsigned char* seed,
                  int32_t seedLen) noexcept {
    RngStir(st, RNG_STIR_FAST);
    if (output == nullptr || outputLen < 0) return BAD_PARAM_ERROR;
    if (outputLen > static_cast<int32_t>(kRngMaxRequest)) return PRNG_ERR_TOOBIG;
    if (!seed_ok(seed, seedLen)) return BAD_PARAM_ERROR;
    if (outputLen == 0) return 0;
    RngGenerateOrEnd(st, output, static_cast<std::size_t>(outputLen), seed, seed_len(seed, seedLen));
    return 0;
}

// The body of RNG_KeyHex and RNG_NonceDataHex after their stir at entry.
int32_t key_hex(RngState* st, char* output, int32_t maxChars, int32_t nBytes, const unsigned char* seed,
                int32_t seedLen) noexcept {
    if (output == nullptr || maxChars < 1) return NULL_ERROR;
    if (nBytes < 1) return BAD_PARAM_ERROR;
    if (nBytes > static_cast<int32_t>(kRngMaxRequest)) return PRNG_ERR_TOOBIG;
    if (!seed_ok(seed, seedLen)) return BAD_PARAM_ERROR;
    SecretBuffer buf;
    if (!buf.allocate(static_cast<std::size_t>(nBytes))) return MEMORY_ERROR;
    RngStir(st, RNG_STIR_FAST);
    RngGenerateOrEnd(st, buf.data(), buf.size(), seed, seed_len(seed, seedLen));
    HexEncodeUpper(output, static_cast<std::size_t>(maxChars) + 1, buf.data(), buf.size());
    return 0;
}

// The body of the two prompt exports after their slow stir and checks.
int32_t prompt_hex(RngState* st, char* output, int32_t maxChars, int32_t nBytes, const char* prompt,
                   int32_t options) noexcept {
    if (output == nullptr || maxChars < 1) return NULL_ERROR;
    if (nBytes < 1) return BAD_PARAM_ERROR;
    if (nBytes > static_cast<int32_t>(kRngMaxRequest)) return PRNG_ERR_TOOBIG;
    SecretBuffer buf;
    if (!buf.allocate(static_cast<std::size_t>(nBytes))) return MEMORY_ERROR;
    rng_prompt_bytes(st, buf.data(), buf.size(), prompt, options);
    HexEncodeUpper(output, static_cast<std::size_t>(maxChars) + 1, buf.data(), buf.size());
    return 0;
}

// Decodes an optional hex input of RNG_TestDRBGVS leniently.
bool decode_input(const char* hex, SecretBuffer* buf, ByteSpan* span) noexcept {
    *span = ByteSpan{nullptr, 0};
    if (text_empty(hex)) return true;
    const std::size_t n = hex_lenient_length(hex);
    if (n == 0) return true;
    if (!buf->allocate(n)) return false;
    *span = ByteSpan{buf->data(), HexDecodeLenient(buf->data(), n, hex)};
    return true;
}

int32_t drbg_validation(char* output, int32_t maxChars, int32_t returnedBits, const char* const hex[7],
                        int32_t options) noexcept {
    if (returnedBits < 1) return -BAD_PARAM_ERROR;
    const uint64_t n = (static_cast<uint64_t>(returnedBits) + 7) / 8;
    if (output == nullptr || maxChars < 1) return static_cast<int32_t>(2 * n);
    SecretBuffer bufs[7];
    ByteSpan spans[7];
    for (int i = 0; i < 7; ++i) {
        if (!decode_input(hex[i], &bufs[i], &spans[i])) return -MEMORY_ERROR;
    }
    SecretBuffer out;
    if (!out.allocate(static_cast<std::size_t>(n))) return -MEMORY_ERROR;
    DrbgValidationInputs in{spans[0], spans[1], spans[2], spans[3], spans[4], spans[5], spans[6]};
    const bool generate_first = (static_cast<uint32_t>(options) & RNG_OPT_DRBGVS_GENERATE_FIRST) != 0;
    drbg_validation_run(out.data(), out.size(), in, generate_first);
    return static_cast<int32_t>(
        HexEncodeLower(output, static_cast<std::size_t>(maxChars) + 1, out.data(), out.size()));
}

int32_t number_in_range(RngState* st, int32_t lower, int32_t upper) noexcept {
    if (upper <= lower) return lower;
    const uint32_t d = static_cast<uint32_t>(upper) - static_cast<uint32_t>(lower);
    uint8_t b[4];
    uint32_t r = 0;
    if (d == 0xFFFFFFFFu) {
        // The whole 32-bit range: every draw is a value.
        RngGenerateOrEnd(st, b, 4, nullptr, 0);
        r = load_le32(b);
        return static_cast<int32_t>(static_cast<uint32_t>(lower) + r);
    }
    const uint32_t n = d + 1;
    uint32_t bits = 0;
    while (bits < 32 && (n >> bits) != 0) ++bits;
    if ((n & (n - 1)) == 0) --bits;
    const uint32_t mask = bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
    for (int attempt = 0; attempt < 25; ++attempt) {
        RngGenerateOrEnd(st, b, 4, nullptr, 0);
        r = load_le32(b) & mask;
        if (r < n) return static_cast<int32_t>(static_cast<uint32_t>(lower) + r);
    }
    return static_cast<int32_t>(static_cast<uint32_t>(lower) + r % n);
}

}  // namespace

TESSALIB_API int32_t TESSALIB_CALL RNG_KeyBytes(unsigned char* output, int32_t outputLen, const unsigned char* seed,
                                                 int32_t seedLen) {
    if (const FrameRefusal refusal = frame_entry(kExportPositiveStatus)) return refusal.result;
    ThreadState* ts = frame_begin_stir(RNG_STIR_SLOW);
    return frame_status(key_bytes(thread_rng(ts), output, outputLen, seed, seedLen));
}

TESSALIB_API int32_t TESSALIB_CALL RNG_KeyHex(char* output, int32_t maxChars, int32_t nBytes,
                                               const unsigned char* seed, int32_t seedLen) {
    if (const FrameRefusal refusal = frame_entry(kExportPositiveStatus)) return refusal.result;
    ThreadState* ts = frame_begin_stir(RNG_STIR_SLOW);
    return frame_status(key_hex(thread_rng(ts), output, maxChars, nBytes, seed, seedLen));
}

TESSALIB_API int32_t TESSALIB_CALL RNG_NonceData(unsigned char* output, int32_t outputLen) {
    if (const FrameRefusal refusal = frame_entry(kExportPositiveStatus)) return refusal.result;
    ThreadState* ts = frame_begin();
    return frame_status(key_bytes(thread_rng(ts), output, outputLen, nullptr, 0));
}

TESSALIB_API int32_t TESSALIB_CALL RNG_NonceDataHex(char* output, int32_t maxChars, int32_t nBytes) {
    if (const FrameRefusal refusal = frame_entry(kExportPositiveStatus)) return refusal.result;
    ThreadState* ts = frame_begin();
    return frame_status(key_hex(thread_rng(ts), output, maxChars, nBytes, nullptr, 0));
}

TESSALIB_API int32_t TESSALIB_CALL RNG_Number(int32_t lower, int32_t upper) {
    if (const FrameRefusal refusal = frame_entry(kExportValue)) return refusal.result;
    ThreadState* ts = frame_begin_stir(RNG_STIR_FAST);
    return number_in_range(thread_rng(ts), lower, upper);
}

TESSALIB_API int32_t TESSALIB_CALL RNG_Initialize(const char* seedFile, int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportLength)) return refusal.result;
    ThreadState* ts = frame_begin_stir(RNG_STIR_FAST);
    RngState* st = thread_rng(ts);
    EntropyAccumulator* acc = entropy_accumulator();
    if ((static_cast<uint32_t>(options) & RNG_OPT_NO_CPU_RNG) != 0) {
        plat::lock_enter();
        acc->cpuRng = -1;
        plat::lock_leave();
    }
    rng_ensure_instantiated(st);
    if (!text_empty(seedFile)) return frame_length(seed_file_update(st, seedFile, true));
    plat::lock_enter();
    const int32_t caps = acc->cpuRng;
    plat::lock_leave();
    return frame_length(caps > 0 ? caps : -PRNG_ERR_NOTAVAIL);
}

TESSALIB_API int32_t TESSALIB_CALL RNG_MakeSeedFile(const char* seedFile, const char* prompt, int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportNegatedStatus)) return refusal.result;
    ThreadState* ts = frame_begin_stir(RNG_STIR_SLOW);
    if (text_empty(seedFile)) return frame_status(-BAD_PARAM_ERROR);
    RngState* st = thread_rng(ts);
    SecretBytes<64> digest;
    rng_prompt_digest(st, digest.bytes, prompt, options);
    SecretBytes<64> drawn;
    RngGenerateOrEnd(st, drawn.bytes, sizeof drawn.bytes, digest.bytes, sizeof digest.bytes);
    return frame_status(seed_file_create(st, seedFile, drawn.bytes, sizeof drawn.bytes));
}

TESSALIB_API int32_t TESSALIB_CALL RNG_UpdateSeedFile(const char* seedFile) {
    if (const FrameRefusal refusal = frame_entry(kExportNegatedStatus)) return refusal.result;
    ThreadState* ts = frame_begin_stir(RNG_STIR_FAST);
    if (text_empty(seedFile)) return frame_status(-BAD_PARAM_ERROR);
    RngState* st = thread_rng(ts);
    rng_ensure_instantiated(st);
    return frame_status(seed_file_update(st, seedFile, false));
}

TESSALIB_API int32_t TESSALIB_CALL RNG_Test(const char* reportFile) {
    if (const FrameRefusal refusal = frame_entry(kExportNegatedStatus)) return refusal.result;
    ThreadState* ts = frame_begin_stir(RNG_STIR_SLOW);
    RngState* st = thread_rng(ts);
    RngStir(st, RNG_STIR_SLOW);  // the second of its two slow stirs
    return frame_status(rng_statistical_test(st, reportFile));
}

TESSALIB_API int32_t TESSALIB_CALL RNG_TestDRBGVS(char* output, int32_t maxChars, int32_t returnedBits,
                                                   const char* entropyInput, const char* nonce,
                                                   const char* personalization, const char* additionalInput1,
                                                   const char* entropyInputReseed,
                                                   const char* additionalInputReseed,
                                                   const char* additionalInput2, int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportLength)) return refusal.result;
    frame_begin();
    const char* const hex[7] = {entropyInput,       nonce,
                                personalization,    additionalInput1,
                                entropyInputReseed, additionalInputReseed,
                                additionalInput2};
    return frame_length(drbg_validation(output, maxChars, returnedBits, hex, options));
}

TESSALIB_API int32_t TESSALIB_CALL RNG_BytesWithPrompt(unsigned char* output, int32_t outputLen, const char* prompt,
                                                        int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportPositiveStatus)) return refusal.result;
    ThreadState* ts = frame_begin();
    RngState* st = thread_rng(ts);
    RngStir(st, RNG_STIR_SLOW);
    if (output == nullptr || outputLen < 0) return frame_status(BAD_PARAM_ERROR);
    if (outputLen > static_cast<int32_t>(kRngMaxRequest)) return frame_status(PRNG_ERR_TOOBIG);
    rng_prompt_bytes(st, output, static_cast<std::size_t>(outputLen), prompt, options);
    return frame_status(0);
}

TESSALIB_API int32_t TESSALIB_CALL RNG_HexWithPrompt(char* output, int32_t maxChars, int32_t nBytes,
                                                      const char* prompt, int32_t options) {
    if (const FrameRefusal refusal = frame_entry(kExportPositiveStatus)) return refusal.result;
    ThreadState* ts = frame_begin();
    RngState* st = thread_rng(ts);
    RngStir(st, RNG_STIR_SLOW);
    return frame_status(prompt_hex(st, output, maxChars, nBytes, prompt, options));
}
