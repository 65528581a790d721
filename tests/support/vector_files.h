// Reader for the text vector files (NIST CAVP .rsp and LWC KAT): blocks of
// "Name = value" lines separated by blank lines, "[Name = value]" or "[text]"
// section headers, "#" comments, LF or CR LF line ends.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tv {

struct Record {
    std::map<std::string, std::string> fields;   // this block's "Name = value" lines (a repeated
                                                 // name: "Name", "Name#2", ...)
    std::map<std::string, std::string> headers;  // the section headers in force
    int line = 0;                                // line number of the block's first field

    bool has(const std::string& name) const { return fields.count(name) != 0; }
    // The field's text; throws when it is missing.
    const std::string& get(const std::string& name) const;
    // The field as bytes (hex, either case; an empty value is no bytes).
    std::vector<uint8_t> bytes(const std::string& name) const;
    // The field as a decimal number.
    long long number(const std::string& name) const;
    // A header's text (value of "[Name = value]"); throws when missing.
    const std::string& header(const std::string& name) const;
    // "file:line" for failure messages.
    std::string where(const std::string& file) const;
};

// All blocks of a file in order; throws when it cannot be read.
std::vector<Record> read_vector_file(const std::string& path);

}  // namespace tv
