// Small helpers shared by the test suites.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tu {

using Bytes = std::vector<uint8_t>;

// Decodes hex (either case, no separators); throws on bad input.
Bytes from_hex(const std::string& hex);
// Upper-case / lower-case hex of bytes.
std::string to_hex(const uint8_t* p, std::size_t n, bool upper = true);
inline std::string to_hex(const Bytes& b, bool upper = true) { return to_hex(b.data(), b.size(), upper); }
// Padded base64 of bytes (RFC 4648 alphabet), by a bit-accumulator encoder
// written independently of the library's.
std::string b64_reference(const Bytes& data);
// Bytes of a text.
inline Bytes bytes_of(const std::string& s) { return Bytes(s.begin(), s.end()); }
// The bytes of b, or a pointer to one byte when b is empty (for exports that
// refuse a NULL pointer even with length 0).
inline const uint8_t* nonnull(const Bytes& b) {
    static const uint8_t none = 0;
    return b.empty() ? &none : b.data();
}
inline int32_t len32(const Bytes& b) { return static_cast<int32_t>(b.size()); }

// Path of a file in the committed vector folder.
std::string vector_path(const std::string& relative);
// Path of a file in the installed pyca/cryptography vector collection
// (Debian's python3-cryptography-vectors), e.g. "ciphers/AES/GCM/gcmDecrypt128.rsp".
std::string pyca_vector_path(const std::string& relative);
// Whole content of a file; throws when it cannot be read.
std::string read_file(const std::string& path);

// A deterministic pseudo-random byte source for differential tests.
class Prng {
public:
    explicit Prng(uint64_t seed) : s_(seed ? seed : 0x9E3779B97F4A7C15ull) {}
    uint64_t next() {
        s_ ^= s_ << 13;
        s_ ^= s_ >> 7;
        s_ ^= s_ << 17;
        return s_;
    }
    uint32_t below(uint32_t n) { return static_cast<uint32_t>(next() % n); }
    Bytes bytes(std::size_t n) {
        Bytes b(n);
        for (auto& x : b) x = static_cast<uint8_t>(next() >> 24);
        return b;
    }

private:
    uint64_t s_;
};

// A fresh empty temporary directory, removed by the destructor.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    // Path of a file inside the directory.
    std::string file(const std::string& name) const;

private:
    std::string path_;
};

// Writes bytes to a file; throws on failure.
void write_file(const std::string& path, const std::string& content);
// The same with bytes; and the whole content of a file as bytes (throws when
// it cannot be read).
inline void write_bytes(const std::string& path, const Bytes& b) { write_file(path, std::string(b.begin(), b.end())); }
inline Bytes read_bytes(const std::string& path) {
    const std::string s = read_file(path);
    return Bytes(s.begin(), s.end());
}
// True when a file of that name can be opened for reading.
bool file_exists(const std::string& path);

}  // namespace tu
