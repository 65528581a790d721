// The stream ciphers of the CIPHER_Stream and PC1_ functions behind one
// context: Arcfour, Salsa20 and ChaCha20, chosen by the low four bits of an
// option word (STREAM_ARCFOUR, STREAM_SALSA20, STREAM_CHACHA20), set up once
// and then run over data in pieces of any length. Key material throughout.
#pragma once
#include <cstddef>
#include <cstdint>

#include "aead/arcfour.h"
#include "aead/chacha20.h"
#include "aead/salsa20.h"

struct StreamContext {
    int32_t algorithm;  // STREAM_ARCFOUR, STREAM_SALSA20, STREAM_CHACHA20; -1 after a failed set-up; 0 cleared
    uint32_t reserved;
    union {
        ArcfourState arcfour;
        Salsa20Stream salsa20;  // the state, the cut keystream block and the position in it
        ChaCha20Stream chacha20;
    } u;
};

// The algorithm code of an option word: its low four bits.
inline uint32_t stream_algorithm(uint32_t options) noexcept { return options & 0xF; }

// Sets up a context (which it wipes first). Checks in order: a code outside
// the three: -BAD_FLAG_ERROR; Arcfour: key_len 0: -BAD_PARAM_ERROR, key
// null: -BAD_KEY_ERROR (the IV and counter are not read); Salsa20 and
// ChaCha20: key_len not 16 or 32: -BAD_KEY_LEN_ERROR, key null:
// -BAD_KEY_ERROR; Salsa20: iv null or iv_len not 8: -BAD_IV_LEN_ERROR;
// ChaCha20: iv_len not 8, 12 or 16: -BAD_IV_LEN_ERROR, iv null:
// -BAD_IV_ERROR. ChaCha20's counter is the first block's number with an 8-
// or 12-byte IV. On failure the algorithm is -1 and nothing else is kept.
int32_t stream_setup(StreamContext* ctx, uint32_t options, const uint8_t* key, std::size_t key_len,
                     const uint8_t* iv, std::size_t iv_len, uint32_t counter) noexcept;

// out = in ^ the next len bytes of the keystream (out may be in); any split
// of a message gives the bytes of one call. The context must be set up.
void stream_xor(StreamContext* ctx, uint8_t* out, const uint8_t* in, std::size_t len) noexcept;

// One message on a context of the stack: stream_setup, then stream_xor over
// len bytes, the context wiped. 0 or the negated code of stream_setup.
int32_t stream_once(uint32_t options, uint8_t* out, const uint8_t* in, std::size_t len, const uint8_t* key,
                    std::size_t key_len, const uint8_t* iv, std::size_t iv_len, uint32_t counter) noexcept;

// Runs the file in_path through the set-up context into out_path (see
// core/file_pair.h): 0, or -OPEN_ERROR, -DUP_ERROR (the output is the
// input), -CREATE_ERROR, -READ_ERROR, -WRITE_ERROR; after a failure once the
// output was created it is deleted. The names are not null.
int32_t stream_file(StreamContext* ctx, const char* out_path, const char* in_path) noexcept;
