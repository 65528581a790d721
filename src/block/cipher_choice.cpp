// The generic cipher interface: the algorithm/mode/padding text, the option
// word's resolution and the buffer operations over the AES and Triple DES
// engines.
#include "block/cipher_choice.h"

#include <cstring>

#include "block/cipher_modes.h"
#include "block/modes.h"
#include "block/padding.h"
#include "core/secret.h"
#include "core/wipe.h"
#include "tessalib.h"

namespace {

const CipherAlgorithm kAlgorithms[] = {
    {CIPHER_ALG_TDEA, 8, 24},
    {CIPHER_ALG_AES128, 16, 16},
    {CIPHER_ALG_AES192, 16, 24},
    {CIPHER_ALG_AES256, 16, 32},
};

// A word of the text and the option bits it stands for.
struct Word {
    const char* text;
    uint32_t bits;
};

// In the order they are tried: a longer form before its prefix.
const Word kAlgorithmWords[] = {
    {"aes128", CIPHER_ALG_AES128}, {"aes192", CIPHER_ALG_AES192}, {"aes256", CIPHER_ALG_AES256},
    {"tdea", CIPHER_ALG_TDEA},     {"3des", CIPHER_ALG_TDEA},     {"desede3", CIPHER_ALG_TDEA},
    {"desede", CIPHER_ALG_TDEA},
};
const Word kModeWords[] = {
    {"ecb", CIPHER_MODE_ECB}, {"cbc", CIPHER_MODE_CBC}, {"ofb", CIPHER_MODE_OFB},
    {"cfb", CIPHER_MODE_CFB}, {"ctr", CIPHER_MODE_CTR},
};
const Word kPaddingWords[] = {
    {"pkcs5padding", CIPHER_PAD_PKCS5},
    {"pkcs5", CIPHER_PAD_PKCS5},
    {"nopadding", CIPHER_PAD_NONE},
    {"nopad", CIPHER_PAD_NONE},
    {"oneandzeroespadding", CIPHER_PAD_ONEANDZEROES},
    {"oneandzeroes", CIPHER_PAD_ONEANDZEROES},
    {"ansix923padding", CIPHER_PAD_ANSIX923},
    {"ansix923", CIPHER_PAD_ANSIX923},
    {"w3cpadding", CIPHER_PAD_W3C},
    {"w3c", CIPHER_PAD_W3C},
};

// The first word of `words` that starts `*p`: its bits, with *p moved past
// it; null when none does.
template <std::size_t N>
const Word* take_word(const char** p, const Word (&words)[N]) noexcept {
    for (const Word& w : words) {
        const std::size_t n = std::strlen(w.text);
        if (std::strncmp(*p, w.text, n) == 0) {
            *p += n;
            return &w;
        }
    }
    return nullptr;
}

// The engine's number of a mode field: the option word numbers OFB before
// CFB, the engine the other way round. -1 for a field that is not a mode.
int32_t engine_mode_of(uint32_t field) noexcept {
    switch (field) {
        case CIPHER_MODE_ECB: return kModeEcb;
        case CIPHER_MODE_CBC: return kModeCbc;
        case CIPHER_MODE_OFB: return kModeOfb;
        case CIPHER_MODE_CFB: return kModeCfb;
        case CIPHER_MODE_CTR: return kModeCtr;
        default: return -1;
    }
}

bool is_aes(const CipherChoice& choice) noexcept { return choice.algorithm != CIPHER_ALG_TDEA; }

}  // namespace

const CipherAlgorithm* cipher_algorithm(uint32_t options) noexcept {
    for (const CipherAlgorithm& a : kAlgorithms)
        if (a.field == (options & kCipherAlgMask)) return &a;
    return nullptr;
}

int32_t cipher_parse_alg_mode(const char* text) noexcept {
    char norm[65];
    std::size_t n = 0;
    for (const char* p = text; *p != '\0' && n < 64; ++p) {
        char c = *p;
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) norm[n++] = c;
    }
    norm[n] = '\0';
    if (n == 0) return -1;
    const char* p = norm;
    const Word* alg = take_word(&p, kAlgorithmWords);
    if (alg == nullptr) return -1;
    if (*p == '\0') return static_cast<int32_t>(alg->bits);
    const Word* mode = take_word(&p, kModeWords);
    if (mode == nullptr) return -1;
    if (*p == '\0') return static_cast<int32_t>(alg->bits | mode->bits);
    const Word* pad = take_word(&p, kPaddingWords);
    if (pad == nullptr || *p != '\0') return -1;
    return static_cast<int32_t>(alg->bits | mode->bits | pad->bits);
}

int32_t cipher_resolve(CipherChoice* choice, const char* algModeText, uint32_t options, int32_t key_len,
                       int32_t iv_len, bool check_iv) noexcept {
    const bool has_text = algModeText != nullptr && algModeText[0] != '\0';
    if (has_text == ((options & kCipherAlgMask) != 0)) return -BAD_FLAG_ERROR;
    if (has_text) {
        const int32_t parsed = cipher_parse_alg_mode(algModeText);
        if (parsed < 0) return -BAD_PARAM_ERROR;
        options = (options & ~(kCipherAlgMask | kCipherModeMask | kPadFieldMask)) | static_cast<uint32_t>(parsed);
    }
    const int32_t mode = engine_mode_of(options & kCipherModeMask);
    if (mode < 0) return -BAD_MODE_ERROR;
    const CipherAlgorithm* alg = cipher_algorithm(options);
    if (alg == nullptr) return -INTERNAL_ERROR;
    if (key_len < 0 || static_cast<uint32_t>(key_len) != alg->key_len) return -BAD_KEY_LEN_ERROR;
    if (check_iv && mode != kModeEcb && (iv_len < 0 || static_cast<uint32_t>(iv_len) != alg->block))
        return -BAD_IV_LEN_ERROR;
    choice->options = options;
    choice->algorithm = alg->field;
    choice->block = alg->block;
    choice->key_len = alg->key_len;
    choice->mode = mode;
    const uint32_t field = options & kPadFieldMask;
    const bool pads = (mode == kModeEcb || mode == kModeCbc) && field != CIPHER_PAD_NONE && field <= CIPHER_PAD_W3C;
    choice->padding = pads ? pad_scheme(options) : 0;
    choice->prefix_iv = (options & OPT_PREFIX_IV) != 0;
    return 0;
}

uint64_t cipher_encrypted_length(const CipherChoice& choice, uint64_t len) noexcept {
    uint64_t total = len;
    if (choice.padding != 0) total += choice.block - len % choice.block;
    if (choice.prefix_iv) total += choice.block;
    return total;
}

int32_t cipher_crypt(const CipherChoice& choice, uint8_t* out, const uint8_t* in, std::size_t len, const uint8_t* key,
                     const uint8_t* iv, bool encrypt) noexcept {
    const int32_t e = encrypt ? 1 : 0;
    if (is_aes(choice))
        return AesCrypt(out, in, static_cast<int64_t>(len), key, static_cast<int32_t>(choice.key_len * 8), iv, e,
                        choice.mode);
    return TdeaCrypt(out, in, static_cast<int64_t>(len), key, iv, e, choice.mode);
}

int32_t cipher_encrypt_buffer(const CipherChoice& choice, uint8_t* output, const uint8_t* input, std::size_t len,
                              const uint8_t* key, const uint8_t* iv, std::size_t iv_len) noexcept {
    // The IV is copied first: it may lie in the buffers about to be written.
    SecretBytes<16> iv_copy;
    const bool have_iv = iv != nullptr && iv_len >= choice.block;
    if (have_iv) std::memcpy(iv_copy.bytes, iv, choice.block);
    const std::size_t prefix = choice.prefix_iv ? choice.block : 0;
    uint8_t* body = output + prefix;
    std::size_t body_len = len;
    // The input is moved to where its ciphertext goes and encrypted there,
    // wherever in the output the caller put it.
    if (len != 0 && body != input) std::memmove(body, input, len);
    if (choice.padding != 0) {
        const std::size_t n = pad_count(len, choice.block);
        pad_write(body + len, n, choice.padding);
        body_len += n;
    }
    // A null IV goes to the engine as it is (it refuses one in a chaining mode).
    const int32_t rc = cipher_crypt(choice, body, body, body_len, key, iv != nullptr ? iv_copy.bytes : nullptr, true);
    if (rc != 0) return rc;
    if (prefix != 0) std::memcpy(output, iv_copy.bytes, prefix);  // zeros when no block was given
    return static_cast<int32_t>(prefix + body_len);
}

int32_t cipher_decrypt_buffer(const CipherChoice& choice, uint8_t* output, std::size_t output_len, const uint8_t* input,
                              std::size_t len, const uint8_t* key, const uint8_t* iv) noexcept {
    SecretBytes<16> iv_copy;
    const uint8_t* use_iv = nullptr;
    if (choice.prefix_iv) {
        std::memcpy(iv_copy.bytes, input, choice.block);
        use_iv = iv_copy.bytes;
        input += choice.block;
        len -= choice.block;
    } else if (iv != nullptr && choice.mode != kModeEcb) {
        std::memcpy(iv_copy.bytes, iv, choice.block);
        use_iv = iv_copy.bytes;
    } else {
        use_iv = iv;  // the engine refuses a null IV in a chaining mode
    }
    const bool pads = choice.padding != 0;
    if (!pads) {
        if (output == nullptr) return static_cast<int32_t>(len);
        if (output_len < len) return -SHORT_BUF_ERROR;
        if (len != 0 && output != input) std::memmove(output, input, len);
        const int32_t rc = cipher_crypt(choice, output, output, len, key, use_iv, false);
        return rc != 0 ? rc : static_cast<int32_t>(len);
    }
    // With padding: decrypt where there is room for the whole ciphertext.
    SecretBuffer temp;
    uint8_t* work = output;
    if (output == nullptr || output_len < len) {
        if (!temp.allocate(len)) return -MEMORY_ERROR;
        work = temp.data();
    }
    if (len != 0 && work != input) std::memmove(work, input, len);
    int32_t rc = cipher_crypt(choice, work, work, len, key, use_iv, false);
    if (rc != 0) return rc;
    rc = UnpadBlock(work, len, work, len, choice.block, choice.padding);
    if (rc < 0 || work == output || output == nullptr) return rc;
    if (output_len < static_cast<std::size_t>(rc)) return -SHORT_BUF_ERROR;
    if (rc != 0) std::memcpy(output, work, static_cast<std::size_t>(rc));
    return rc;
}

int32_t cipher_ctx_setup(CipherContext* ctx, const CipherChoice& choice, const uint8_t* key, const uint8_t* iv,
                         int32_t encrypt) noexcept {
    secure_wipe_obj(*ctx);
    const int32_t rc = is_aes(choice)
                           ? AesSetup(&ctx->u.aes, choice.mode, key, static_cast<int32_t>(choice.key_len), encrypt, iv)
                           : TdeaSetup(&ctx->u.tdea, choice.mode, key, encrypt, iv);
    if (rc != 0) {
        secure_wipe_obj(*ctx);
        return rc;
    }
    ctx->algorithm = choice.algorithm;
    return 0;
}

int32_t cipher_ctx_update(CipherContext* ctx, uint8_t* out, const uint8_t* in, std::size_t len) noexcept {
    if (ctx->algorithm == 0) return -MISUSE_ERROR;
    if (ctx->algorithm == CIPHER_ALG_TDEA) return TdeaUpdate(&ctx->u.tdea, out, in, len);
    return AesUpdate(&ctx->u.aes, out, in, len);
}
