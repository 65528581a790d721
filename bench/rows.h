// The work the benchmark measures: one table of primitives, each with the
// same work done through the library's exports ("ours") and through OpenSSL's
// libcrypto. Adding a primitive is one line in the table of rows.cpp.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace bench {

// One message through one implementation: writes the result (ciphertext,
// digest, tag or derived key) to out and returns the number of result bytes,
// or 0 when the call failed. out has room for len + 64 bytes.
using Op = std::function<std::size_t(uint8_t* out, const uint8_t* in, std::size_t len)>;
// Makes an Op together with the state an implementation keeps from message to
// message (an EVP context, a fetched algorithm). Called once per benchmark.
using OpFactory = std::function<Op()>;

// A primitive measured in bytes per second at several message sizes. Each
// message is one complete operation: cipher rows key a context, run the
// mode over the message and finish (no padding); hash rows and MAC rows
// produce a digest or tag (MACs keyed per message); AEAD rows encrypt and
// tag with a key and nonce given per message. openssl may be empty for a
// primitive OpenSSL does not have (Ascon).
struct Row {
    const char* name;  // "AES-128-CBC-enc"; also the benchmark name
    const char* kind;  // "cipher", "hash", "mac" or "aead"
    OpFactory ours;
    OpFactory openssl;
};

// A primitive measured in calls: key derivations and tiny one-shot calls.
// openssl may be empty (a row that only shows the library's own cost).
struct CallRow {
    const char* name;
    std::size_t len;  // message bytes given to each call (0 when unused)
    OpFactory ours;
    OpFactory openssl;
};

const std::vector<Row>& throughput_rows();
const std::vector<CallRow>& kdf_rows();
const std::vector<CallRow>& tiny_rows();
// Random numbers: the library's generator against OpenSSL's RAND_bytes. Their
// outputs are random, so --verify leaves them out.
const std::vector<CallRow>& rng_rows();
// Calls measured with one and with two threads calling at once (the library
// only): how the per-call cost scales when threads share the library.
const std::vector<CallRow>& thread_rows();
// Loading the library (the library only): a private copy of it loaded,
// called once and unloaded, and its load-time checks alone
// (API_PowerUpTests runs the same three checks).
const std::vector<CallRow>& load_rows();

// Data at rest (bench/data_rows.cpp): file encryption, compression and
// CRC-32, each measured against a reference that is not OpenSSL: the same
// engine in memory, or zlib and zstd called directly with the same settings.
// The reference takes the place of OpenSSL in the benchmark's names.
const std::vector<CallRow>& data_rows();

// Message sizes of the throughput rows.
inline const std::vector<std::size_t>& message_sizes() {
    static const std::vector<std::size_t> sizes{64, 1024, 16384};
    return sizes;
}

// Loads OpenSSL's default and legacy providers (DES and Blowfish live in the
// legacy one). Returns false when a provider cannot be loaded.
bool load_openssl_providers();

}  // namespace bench
