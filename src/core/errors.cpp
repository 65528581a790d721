#include "core/errors.h"

#include "tessalib.h"

#define ROW(name, message) {name, #name, message}

const ErrorRow kErrorTable[] = {
    ROW(SUCCESS_NO_ERROR, "OK, success, no error"),
    ROW(OPEN_ERROR, "Cannot open input file"),
    ROW(CREATE_ERROR, "Cannot create output file"),
    ROW(READ_ERROR, "File read error"),
    ROW(WRITE_ERROR, "File write error"),
    ROW(BAD_LENGTH_ERROR, "Data not a valid length"),
    ROW(SHORT_BUF_ERROR, "Not enough room in output buffer"),
    ROW(DECRYPT_ERROR, "Decryption error"),
    ROW(OUT_OF_RANGE_ERROR, "Value out of range"),
    ROW(DUP_ERROR, "Duplicate data or filename"),
    ROW(BAD_KEY_LEN_ERROR, "Invalid key length"),
    ROW(BAD_BLK_LEN_ERROR, "Invalid block length"),
    ROW(BAD_IV_LEN_ERROR, "Invalid IV length"),
    ROW(BAD_MODE_ERROR, "Invalid mode"),
    ROW(NULL_ERROR, "Unexpected NULL value"),
    ROW(BAD_KEY_ERROR, "Invalid key"),
    ROW(BAD_IV_ERROR, "Invalid initialization vector"),
    ROW(WEAK_KEY_ERROR, "Weak key"),
    ROW(INVALID_HANDLE_ERROR, "Invalid context handle"),
    ROW(MEMORY_ERROR, "Not enough memory"),
    ROW(BAD_PARAM_ERROR, "Parameter is wrong or missing"),
    ROW(BAD_FORMAT_ERROR, "Data is in wrong format"),
    ROW(EOF_ERROR, "Unexpected end of file found"),
    ROW(INVALID_DATA_ERROR, "Invalid data"),
    ROW(TEST_FAILED_ERROR, "Failed a test e.g. known answer test"),
    ROW(BAD_FLAG_ERROR, "Invalid option"),
    ROW(WIPE_ERROR, "Failed to wipe data"),
    ROW(AUTH_FAIL_ERROR, "Authentication failed"),
    ROW(MISUSE_ERROR, "Function called out of sequence"),
    ROW(ZLIB_COMPR_ERROR, "Zlib compression error"),
    ROW(NOT_SUPPORTED_ERROR, "Item is not supported"),
    ROW(ENCODING_ERROR, "Unable to encode"),
    ROW(MISC_ERROR, "Miscellaneous error"),
    ROW(INTERNAL_ERROR, "Something not expected to happen has happened"),
    ROW(PRNG_ERR_FILE_OPEN, "PRNG: Cannot open input file"),
    ROW(PRNG_ERR_FILE_CREATE, "PRNG: Cannot create output file"),
    ROW(PRNG_ERR_FILE_READ, "PRNG: File read error"),
    ROW(PRNG_ERR_FILE_WRITE, "PRNG: File write error"),
    ROW(PRNG_ERR_FILE_LOCK, "PRNG: File locking error"),
    ROW(PRNG_ERR_UNINST, "PRNG: Uninstantiation failed"),
    ROW(PRNG_ERR_TOOBIG, "PRNG: Requested length is too large"),
    ROW(PRNG_ERR_FAILURE, "PRNG: Function failed"),
    ROW(PRNG_ERR_BADPARAM, "PRNG: Invalid input parameter"),
    ROW(PRNG_ERR_NOTAVAIL, "PRNG: Function is not available"),
    ROW(PRNG_ERR_CATASTROPHIC, "PRNG: Catastrophic failure"),
};

#undef ROW

const int kErrorTableRows = static_cast<int>(sizeof kErrorTable / sizeof kErrorTable[0]);
static_assert(sizeof kErrorTable / sizeof kErrorTable[0] == 45, "the error table has 45 rows");

const ErrorRow* error_find(int32_t code) noexcept {
    // INT32_MIN has no positive counterpart: it is in no row.
    if (code == INT32_MIN) return nullptr;
    const int32_t wanted = code < 0 ? -code : code;
    for (int i = 0; i < kErrorTableRows; ++i) {
        if (kErrorTable[i].code == wanted) return &kErrorTable[i];
    }
    return nullptr;
}
