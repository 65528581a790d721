// ASCII character classes of the text codecs. Every byte from 0x80 up is in
// no class.
#pragma once

// Space and the five controls tab, line feed, vertical tab, form feed and
// carriage return.
constexpr bool is_ascii_space(unsigned char c) noexcept { return c == ' ' || (c >= 0x09 && c <= 0x0D); }

// The 32 printable characters that are neither letters, digits nor space.
constexpr bool is_ascii_punct(unsigned char c) noexcept {
    return (c >= 0x21 && c <= 0x2F) || (c >= 0x3A && c <= 0x40) || (c >= 0x5B && c <= 0x60) ||
           (c >= 0x7B && c <= 0x7E);
}
