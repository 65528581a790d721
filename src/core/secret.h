// Buffers that hold secrets (keys, IVs, decoded text, plaintext, digests):
// wiped when they go out of scope, never copied. The one wiped-buffer type of
// the library; every engine and export uses these rather than its own.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/frame.h"
#include "core/wipe.h"

// A fixed-size stack buffer, zero at construction.
template <std::size_t N>
struct SecretBytes {
    uint8_t bytes[N];
    SecretBytes() noexcept : bytes{} {}
    ~SecretBytes() { secure_wipe(bytes, N); }
    SecretBytes(const SecretBytes&) = delete;
    SecretBytes& operator=(const SecretBytes&) = delete;
    static constexpr std::size_t size() noexcept { return N; }
};

// A heap buffer whose size comes from a caller (a text's length, a declared
// size). It is allocated with the checked allocator, so a size the process
// cannot have is an error the caller reports (MEMORY_ERROR), never the end
// of the process. Empty until allocate() succeeds.
class SecretBuffer {
public:
    SecretBuffer() noexcept = default;
    ~SecretBuffer() { release(); }
    SecretBuffer(const SecretBuffer&) = delete;
    SecretBuffer& operator=(const SecretBuffer&) = delete;

    // Allocates `size` bytes (at least 1), dropping (wiping) any earlier
    // contents. False when the memory cannot be had; the buffer is then empty.
    bool allocate(std::size_t size) noexcept {
        release();
        data_ = static_cast<uint8_t*>(MemAllocChecked(size));
        if (data_ == nullptr) return false;
        size_ = size;
        return true;
    }

    // Wipes and frees the contents; the buffer is empty again.
    void release() noexcept {
        if (data_ != nullptr) {
            secure_wipe(data_, size_);
            MemFree(data_);
        }
        data_ = nullptr;
        size_ = 0;
    }

    uint8_t* data() const noexcept { return data_; }
    std::size_t size() const noexcept { return size_; }

private:
    uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};
