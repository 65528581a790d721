// AES on the processor's AES instructions: the hardware path of the block
// engine (block/aes.cpp), chosen by cpu_aes_path() and called only when it
// is not AesPath::tables. Every function takes the schedule in the word form
// of block/aes.h (rk, 4 x (rounds + 1) words; rounds 10, 12 or 14), so the
// two paths share their contexts. The mode functions follow the rules of
// block/cipher_modes.h for whole blocks: each does all `blocks` blocks,
// leaves the register `reg` (four words, as the modes hold it) as the mode
// would, and returns the number of blocks; out may equal in.
//
// No branch and no memory address depends on a key or on data.
#pragma once
#include <cstddef>
#include <cstdint>

// The encryption key schedule of a 16-, 24- or 32-byte key (the word form,
// as aes_expand_key makes it), SubWord on AESKEYGENASSIST; returns the
// number of rounds.
uint32_t aes_hw_expand_key(uint32_t* rk, const uint8_t* key, int key_len) noexcept;
// InvMixColumns on the round keys 1 to rounds - 1 of a reversed encryption
// schedule: the last step of the decryption schedule.
void aes_hw_inv_mix_keys(uint32_t* rk, uint32_t rounds) noexcept;

// One block on the four words of b (the modes' block form), forward or
// through the equivalent inverse cipher.
void aes_hw_forward_words(const uint32_t* rk, uint32_t rounds, uint32_t b[4]) noexcept;
void aes_hw_inverse_words(const uint32_t* rk, uint32_t rounds, uint32_t b[4]) noexcept;
// One block of bytes (out may equal in).
void aes_hw_encrypt_block(const uint32_t* rk, uint32_t rounds, uint8_t out[16], const uint8_t in[16]) noexcept;
void aes_hw_decrypt_block(const uint32_t* rk, uint32_t rounds, uint8_t out[16], const uint8_t in[16]) noexcept;

std::size_t aes_hw_ecb(const uint32_t* rk, uint32_t rounds, uint8_t* out, const uint8_t* in, std::size_t blocks,
                       bool encrypt) noexcept;
std::size_t aes_hw_cbc_encrypt(const uint32_t* rk, uint32_t rounds, uint8_t* out, const uint8_t* in,
                               std::size_t blocks, uint32_t reg[4]) noexcept;
std::size_t aes_hw_cbc_decrypt(const uint32_t* rk, uint32_t rounds, uint8_t* out, const uint8_t* in,
                               std::size_t blocks, uint32_t reg[4]) noexcept;
std::size_t aes_hw_cfb(const uint32_t* rk, uint32_t rounds, uint8_t* out, const uint8_t* in, std::size_t blocks,
                       uint32_t reg[4], bool encrypt) noexcept;
std::size_t aes_hw_ofb(const uint32_t* rk, uint32_t rounds, uint8_t* out, const uint8_t* in, std::size_t blocks,
                       uint32_t reg[4]) noexcept;
// The whole register a big-endian 128-bit counter.
std::size_t aes_hw_ctr(const uint32_t* rk, uint32_t rounds, uint8_t* out, const uint8_t* in, std::size_t blocks,
                       uint32_t reg[4]) noexcept;

// CBC-MAC: x := E(x ^ block) for each of the blocks at in (CMAC's chain).
void aes_hw_cbc_mac(const uint32_t* rk, uint32_t rounds, uint8_t x[16], const uint8_t* in,
                    std::size_t blocks) noexcept;

// The parallel modes with VAES on 256-bit registers, for AesPath::vaes (in a
// build with the 256-bit paths, core/cpu.h; elsewhere the 128-bit forms do
// it all): every one of `blocks`, as the functions above; reg is unused in
// ECB.
enum class VaesMode { ecb_encrypt, ecb_decrypt, cbc_decrypt, ctr };
std::size_t aes_vaes_blocks(VaesMode mode, const uint32_t* rk, uint32_t rounds, uint8_t* out, const uint8_t* in,
                            std::size_t blocks, uint32_t reg[4]) noexcept;
