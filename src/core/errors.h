// The one table of error codes: code, name and message.
#pragma once
#include <cstdint>

struct ErrorRow {
    int32_t code;
    const char* name;
    const char* message;
};

// The rows in lookup order (the first match wins).
extern const ErrorRow kErrorTable[];
extern const int kErrorTableRows;

// The row of a code given with either sign, or null when it is not in the table.
const ErrorRow* error_find(int32_t code) noexcept;
