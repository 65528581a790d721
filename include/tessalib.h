/*
 * tessalib.h - the public interface of Tessalib.
 *
 * Tessalib is a general-purpose cryptography library with a flat C interface.
 * It ships as Tessalib.dll (64-bit Windows) and libtessalib.so (Linux) with the
 * same exports and the same behaviour.
 *
 * Rules that hold for every export unless its comment says otherwise:
 *
 * Results. Every export returns a 32-bit signed integer in one of four classes:
 *   - Status: 0 on success, else an error code. Some families return the code
 *     as a positive number, others negated; each comment says which.
 *   - Length: >= 0 is a count of bytes or characters written (or needed, in
 *     query mode); a failure is minus an error code.
 *   - Handle: the _Init functions return a nonzero context handle, or 0 on
 *     failure (the reason is the thread's last error / the family's _InitError).
 *   - Value: a version, checksum or similar; see the export.
 *
 * Last error. Each thread has its own last error. A "framed" export clears it on
 * entry and, when it fails, records the absolute value of its error code; read it
 * with API_ErrorCode() and turn it into text with API_ErrorLookup(). Exports
 * marked "unframed" neither clear nor record it.
 *
 * Integers. Lengths, counts and option words are int32_t. Byte data are
 * unsigned char pointers. Text is NUL-terminated 8-bit strings; UTF-16 text is
 * an array of uint16_t units ending in a 0 unit (never wchar_t).
 *
 * Text outputs. A text output is a buffer `output` with a count `outputLen` of
 * characters NOT counting the terminating NUL: the buffer must hold
 * outputLen + 1 bytes. Query mode: where offered, a NULL output or an outputLen
 * below 1 writes nothing and returns the size needed.
 *
 * Arguments. Checks are made in a fixed order stated per export; the first
 * failing check decides the code. A required NULL pointer, a NULL data pointer
 * with a positive length, or a negative length is BAD_PARAM_ERROR unless the
 * export names another code. Sizes derived from caller lengths are computed in
 * 64 bits; one that does not fit a positive int32_t is BAD_PARAM_ERROR.
 *
 * Threads. Any number of threads may call at once. Context handles and the
 * last error are per thread: a handle is valid only in the thread that got it.
 * A thread's state (its contexts and last error) is made at its first call,
 * and wiped and freed when the thread ends or the library is unloaded; a
 * thread that never called the library leaves nothing behind. Threads whose
 * state cannot be allocated share one fallback state, which is never freed.
 *
 * Memory. A buffer whose size follows from a caller's argument (decoded text,
 * a derived key, a work area) is allocated only after the arguments that can
 * be checked have been checked; when it cannot be had the function returns
 * MEMORY_ERROR (5) in its own sign and writes nothing. No argument, however
 * large, ends the process.
 *
 * Load-time checks. When the library is loaded it checks its own file
 * against the seal the build wrote into it (event 0xC0001F41 when changed),
 * runs eighteen known-answer tests (the failing test's event, then
 * 0xC0001F40) and the random generator's health check (0xC0001F42). On
 * Windows a failure makes the load of Tessalib.dll fail. On Linux a shared
 * object cannot make its load fail, and the library never ends the process
 * that loaded it: after the report it stays loaded in an error state for the
 * rest of the process, in which every export except those of the API_ family
 * refuses without doing any work and returns TEST_FAILED_ERROR (23) in its
 * own sign (23 where the family's codes are positive, -23 where they are
 * negated and for lengths), 0 for the handle (_Init) and value classes; a
 * framed export also records 23 as the last error. The API_ exports still
 * answer, and API_PowerUpTests can be run again.
 *
 * Unloading. While the library is being unloaded (dlclose, the process's
 * exit) calls still made by other threads refuse in the same way; they never
 * touch the state that the unload frees.
 *
 * Fatal conditions. A failure of the library's own small, bounded
 * allocations is reported (system log, error log file "apierr.log", message
 * box) and ends the process with exit status 1. On Windows the options are
 * read from the registry key HKLM\Software\Quorvane\Tessaly\Options; on
 * Linux from the options file (see "Fatal-error reporting options" below).
 *
 * Secrets. Every buffer and context that held a key, key schedule, keystream,
 * plaintext or seed is overwritten with zeros before it is released.
 */
#ifndef TESSALIB_H
#define TESSALIB_H

#include <stdint.h>

#if defined(_WIN32)
#  if defined(TESSALIB_STATIC)
#    define TESSALIB_API
#  elif defined(TESSALIB_BUILD)
#    define TESSALIB_API __declspec(dllexport)
#  else
#    define TESSALIB_API __declspec(dllimport)
#  endif
#  define TESSALIB_CALL __stdcall
#else
#  define TESSALIB_API __attribute__((visibility("default")))
#  define TESSALIB_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ------------------------------------------------------------------------ */
/* Error codes (API_ErrorLookup gives their messages)                        */
/* ------------------------------------------------------------------------ */
#define SUCCESS_NO_ERROR       0    /* OK, success, no error */
#define OPEN_ERROR             1    /* Cannot open input file */
#define CREATE_ERROR           2    /* Cannot create output file */
#define READ_ERROR             3    /* File read error */
#define WRITE_ERROR            4    /* File write error */
#define MEMORY_ERROR           5    /* Not enough memory */
#define BAD_PARAM_ERROR        6    /* Parameter is wrong or missing */
#define BAD_FORMAT_ERROR       7    /* Data is in wrong format */
#define INVALID_DATA_ERROR     8    /* Invalid data */
#define EOF_ERROR              9    /* Unexpected end of file found */
#define OUT_OF_RANGE_ERROR     11   /* Value out of range */
#define DUP_ERROR              12   /* Duplicate data or filename */
#define NULL_ERROR             14   /* Unexpected NULL value */
#define DECRYPT_ERROR          15   /* Decryption error */
#define BAD_FLAG_ERROR         17   /* Invalid option */
#define WIPE_ERROR             18   /* Failed to wipe data */
#define NOT_SUPPORTED_ERROR    19   /* Item is not supported */
#define TEST_FAILED_ERROR      23   /* Failed a test e.g. known answer test */
#define BAD_LENGTH_ERROR       26   /* Data not a valid length */
#define SHORT_BUF_ERROR        30   /* Not enough room in output buffer */
#define ZLIB_COMPR_ERROR       31   /* Zlib compression error */
#define BAD_KEY_LEN_ERROR      33   /* Invalid key length */
#define BAD_BLK_LEN_ERROR      34   /* Invalid block length */
#define BAD_MODE_ERROR         35   /* Invalid mode */
#define BAD_KEY_ERROR          36   /* Invalid key */
#define BAD_IV_ERROR           37   /* Invalid initialization vector */
#define BAD_IV_LEN_ERROR       38   /* Invalid IV length */
#define ENCODING_ERROR         39   /* Unable to encode */
#define AUTH_FAIL_ERROR        40   /* Authentication failed */
#define MISUSE_ERROR           41   /* Function called out of sequence */
#define WEAK_KEY_ERROR         52   /* Weak key */
#define INVALID_HANDLE_ERROR   64   /* Invalid context handle */
#define PRNG_ERR_FILE_OPEN     201  /* PRNG: Cannot open input file */
#define PRNG_ERR_FILE_CREATE   202  /* PRNG: Cannot create output file */
#define PRNG_ERR_FILE_READ     203  /* PRNG: File read error */
#define PRNG_ERR_FILE_WRITE    204  /* PRNG: File write error */
#define PRNG_ERR_FILE_LOCK     205  /* PRNG: File locking error */
#define PRNG_ERR_UNINST        210  /* PRNG: Uninstantiation failed */
#define PRNG_ERR_TOOBIG        211  /* PRNG: Requested length is too large */
#define PRNG_ERR_FAILURE       212  /* PRNG: Function failed */
#define PRNG_ERR_BADPARAM      213  /* PRNG: Invalid input parameter */
#define PRNG_ERR_NOTAVAIL      214  /* PRNG: Function is not available */
#define PRNG_ERR_CATASTROPHIC  299  /* PRNG: Catastrophic failure */
#define INTERNAL_ERROR         9745 /* Something not expected to happen has happened */
#define MISC_ERROR             9999 /* Miscellaneous error */

/* ------------------------------------------------------------------------ */
/* Fatal-error reporting options                                             */
/* ------------------------------------------------------------------------ */
/*
 * Three options govern the fatal-error reporter; they are read afresh at every
 * report and never written by the library:
 *   NoMessageBox  nonzero: show no message box
 *   NoErrorLog    nonzero: append nothing to the error log "apierr.log"
 *   ErrorLogDir   directory of "apierr.log" (default: the host executable's
 *                 directory)
 * Windows: values under HKEY_LOCAL_MACHINE\Software\Quorvane\Tessaly\Options.
 * Linux: lines "Name=value" in the file /etc/tessalib/options, or in the file
 * named by the environment variable TESSALIB_OPTIONS_FILE when it is set and
 * the environment can be trusted: in a set-user-ID or set-group-ID program it
 * is ignored (secure_getenv), so that a caller cannot choose the file read
 * nor the directory the error log is appended in.
 * Numbers may be decimal or 0x-hex. There the event log is syslog (identity
 * "Tessalib", level LOG_ERR) and the message box is one line "Tessalib: <message>"
 * on standard error, written without blocking.
 * An error-log path longer than 259 characters is skipped, never truncated.
 */

/* ------------------------------------------------------------------------ */
/* API_: errors and module information                                       */
/* ------------------------------------------------------------------------ */

/* API_ErrorCode: the calling thread's last error (a positive code, 0 when the
 * last framed call succeeded). Unframed: reading it changes nothing. */
TESSALIB_API int32_t TESSALIB_CALL API_ErrorCode(void);

/* API_ErrorLookup: writes "<message> (<NAME>)" for errorCode (either sign) into
 * output, at most outputLen characters plus a NUL, and returns the characters
 * written. Query mode (NULL output or outputLen < 1) returns the full length.
 * A code not in the table (including INT32_MIN) returns 0 and writes nothing.
 * Unframed. */
TESSALIB_API int32_t TESSALIB_CALL API_ErrorLookup(char *output, int32_t outputLen, int32_t errorCode);

/* API_Version: the version number 62201 (6.22.01 as major*10000 + minor*100
 * + release). Unframed. */
TESSALIB_API int32_t TESSALIB_CALL API_Version(void);

/* API_CompileTime: the build time as 20 characters, the compiler's date and
 * time joined by one space with the day padded by a space
 * ("Jan  7 2024 16:14:01"). Writes the first min(outputLen, 20) characters and
 * a NUL and returns their number; query mode (NULL output or outputLen < 1)
 * returns 20. Unframed; takes a fast entropy sample. */
TESSALIB_API int32_t TESSALIB_CALL API_CompileTime(char *output, int32_t outputLen);

/* API_ModuleName: with options 0, the full path of the library's own file
 * (not the host program's); with options 64, the platform text "X64". Writes
 * the first min(outputLen, length) characters and a NUL and returns their
 * number; query mode (NULL output or outputLen < 1) returns the length. Any
 * other options value is -BAD_FLAG_ERROR (not recorded). Unframed: neither
 * clears nor records the last error; takes a fast entropy sample. */
TESSALIB_API int32_t TESSALIB_CALL API_ModuleName(char *output, int32_t outputLen, int32_t options);

/* API_Platform: the platform text "X64": writes the first min(outputLen, 3)
 * characters and a NUL and returns their number; query mode returns 3.
 * Framed: clears the last error, never records one. */
TESSALIB_API int32_t TESSALIB_CALL API_Platform(char *output, int32_t outputLen);

/* API_ModuleInfo: one line of text describing the library, with the same
 * output and query rules as API_Platform (query mode returns the text's
 * length). Framed: clears the last error, never records one. */
TESSALIB_API int32_t TESSALIB_CALL API_ModuleInfo(char *output, int32_t outputLen);

/* API_PowerUpTests: runs the load-time checks again, each whatever the others
 * gave: the self-integrity test of the library's file, the eighteen
 * known-answer tests (SHA-1, SHA-256, SHA-384, SHA-512, SHA-224, SHA-3, MD5,
 * Triple DES, AES, Blowfish, HMAC-SHA-1/256/384/512/224, HMAC-MD5, CMAC-AES,
 * CMAC-TDEA) and the random generator's health check. Returns 0 when all pass,
 * else -TEST_FAILED_ERROR. A failing known-answer test reports its own fatal
 * event (see "Fatal-error reporting options"); nothing else is reported here,
 * and the module's state does not change. Unframed. */
TESSALIB_API int32_t TESSALIB_CALL API_PowerUpTests(void);

/* ------------------------------------------------------------------------ */
/* CNV_: hex, base64 and UTF-16 conversion                                   */
/* ------------------------------------------------------------------------ */
/*
 * Hex output is upper case "0123456789ABCDEF". Base64 is the RFC 4648
 * section 4 alphabet with "=" padding and no line breaks. The conversions
 * below are pure functions of their arguments: any number of threads may call
 * them at once.
 */

/* CNV_HexStrFromBytes: writes the bytes input[0..inputLen) as upper-case hex
 * into output (outputLen characters plus a NUL). Returns the characters
 * written, 2 x inputLen when output is large enough. A short output is
 * truncated silently at a whole byte (outputLen 3 holds one byte: 2 characters)
 * and is not an error. Query mode (NULL output or outputLen < 1) returns
 * 2 x inputLen. Errors (negative): -BAD_PARAM_ERROR for a NULL input (even
 * with inputLen 0) or inputLen < 0, and, in query mode, when 2 x inputLen does
 * not fit a positive int32_t (it is computed in 64 bits; the result is never a
 * wrapped number). Framed: clears the thread's last error and records a
 * failure; takes a fast entropy sample. */
TESSALIB_API int32_t TESSALIB_CALL CNV_HexStrFromBytes(char *output, int32_t outputLen, const unsigned char *input, int32_t inputLen);

/* CNV_BytesFromHexStr: decodes the hex digits (either case) of the
 * NUL-terminated text input into output (outputLen bytes). White space and
 * ASCII punctuation between digits are skipped, and a pair of digits may
 * straddle them ("de:ad be-ef" gives DE AD BE EF); a last lone digit is
 * dropped. Returns the bytes written; a short output is truncated silently.
 * Query mode (NULL output or outputLen < 1) returns the exact number of bytes
 * the text decodes to (it stores nothing and allocates nothing). Errors
 * (negative): -BAD_PARAM_ERROR for a NULL input or, in query mode, a count that
 * does not fit a positive int32_t; -INVALID_DATA_ERROR when a character is
 * neither a hex digit, white space nor punctuation (letters G-Z and g-z such as
 * the x of "0x12", other control characters, DEL, bytes from 0x80 up). Framed;
 * takes a fast entropy sample. */
TESSALIB_API int32_t TESSALIB_CALL CNV_BytesFromHexStr(unsigned char *output, int32_t outputLen, const char *input);

/* CNV_HexFilter: copies to output, in order, the hex digits (0-9, A-F, a-f)
 * among exactly inputLen characters of input (a NUL among them is not an end:
 * it is dropped like any other character), then a NUL. Returns the number of
 * characters kept; inputLen <= 0 writes an empty text and returns 0. output
 * must hold inputLen + 1 bytes; output may be the same buffer as input.
 * Errors (negative): -BAD_PARAM_ERROR for a NULL input, then for a NULL output
 * (refused rather than written through). Framed; takes a fast entropy sample. */
TESSALIB_API int32_t TESSALIB_CALL CNV_HexFilter(char *output, const char *input, int32_t inputLen);

/* CNV_B64StrFromBytes: writes the bytes input[0..inputLen) as padded base64
 * into output (outputLen characters plus a NUL). Returns the characters
 * written, 4 x ceil(inputLen / 3) when output is large enough (0 and an empty
 * text for inputLen 0). A short output is truncated silently at a whole group
 * of four characters, dropping the rest. Query mode (NULL output or
 * outputLen < 1) returns 4 x ceil(inputLen / 3). Errors (negative):
 * -BAD_PARAM_ERROR for a NULL input (even with inputLen 0) or inputLen < 0,
 * and, in query mode, when 4 x ceil(inputLen / 3) does not fit a positive
 * int32_t (computed in 64 bits, never wrapped). Framed; takes a fast entropy
 * sample. */
TESSALIB_API int32_t TESSALIB_CALL CNV_B64StrFromBytes(char *output, int32_t outputLen, const unsigned char *input, int32_t inputLen);

/* CNV_BytesFromB64Str: decodes the NUL-terminated base64 text input into
 * output (outputLen bytes). White space is skipped; the first "=" ends the
 * data and what follows it is ignored. A group of four characters is written
 * only when its three bytes fit; a short output is truncated silently. A tail
 * of 2 or 3 characters gives 1 or 2 bytes, a single one is dropped. Returns
 * the bytes written. Query mode (NULL output or outputLen < 1) returns the
 * exact number of bytes the text decodes to (it stores nothing and allocates
 * nothing). Errors (negative): -BAD_PARAM_ERROR for a NULL input or, in query
 * mode, a count that does not fit a positive int32_t; -INVALID_DATA_ERROR when
 * any character of the text is outside the base64 alphabet, "=" and white
 * space (a hyphen or an underscore, for example). Framed; takes a fast entropy
 * sample. */
TESSALIB_API int32_t TESSALIB_CALL CNV_BytesFromB64Str(unsigned char *output, int32_t outputLen, const char *input);

/* CNV_B64Filter: as CNV_HexFilter, keeping the characters of the base64
 * alphabet and "=" (line breaks and spaces go). output must hold inputLen + 1
 * bytes and may be the same buffer as input. Errors (negative):
 * -BAD_PARAM_ERROR for a NULL input, then for a NULL output. Framed; takes a
 * fast entropy sample. */
TESSALIB_API int32_t TESSALIB_CALL CNV_B64Filter(char *output, const char *input, int32_t inputLen);

/* CNV_Utf8FromWide: converts the 0-terminated UTF-16 text input into UTF-8 in
 * output (outputLen bytes plus a NUL). Only the Basic Multilingual Plane is
 * supported: each unit becomes 1, 2 or 3 bytes. Returns the bytes written. A
 * NULL or empty input writes an empty text (when output is not NULL and
 * outputLen >= 0) and returns 0. Query mode (NULL output or outputLen < 1)
 * returns the UTF-8 length. Errors (negative): -ENCODING_ERROR when the text
 * holds a surrogate unit (0xD800-0xDFFF, so any character beyond U+FFFF),
 * -SHORT_BUF_ERROR when outputLen is less than the UTF-8 length (nothing is
 * written), -BAD_PARAM_ERROR when that length does not fit a positive int32_t.
 * Unframed: neither clears nor records the thread's last error. */
TESSALIB_API int32_t TESSALIB_CALL CNV_Utf8FromWide(char *output, int32_t outputLen, const uint16_t *input);

/* CNV_ShortPathName: the short (8.3) form of the existing file or folder named
 * by the 0-terminated UTF-16 path input, as plain ASCII text in output
 * (outputLen bytes plus a NUL). Returns the bytes written. A NULL or empty
 * input writes an empty text (when output is not NULL and outputLen >= 0) and
 * returns 0. Query mode (NULL output or outputLen < 1) returns the size the
 * system reports: one more than the number of characters that will be
 * written, and outputLen must be at least that size. Errors (negative):
 * -OPEN_ERROR when the file or a folder of the path does not exist;
 * -SHORT_BUF_ERROR when outputLen is below the size; -ENCODING_ERROR when the
 * short form is not plain ASCII; -MISC_ERROR for any other system failure.
 * Linux has no short names: an existing path is returned unchanged (so a path
 * that is not plain ASCII gives -ENCODING_ERROR) and a missing file or folder
 * gives -OPEN_ERROR. Unframed: neither clears nor records the thread's last
 * error. */
TESSALIB_API int32_t TESSALIB_CALL CNV_ShortPathName(char *output, int32_t outputLen, const uint16_t *input);

/* ------------------------------------------------------------------------ */
/* CRC_: CRC-32; WIPE_: wiping memory and files                              */
/* ------------------------------------------------------------------------ */
/*
 * The CRC-32 is that of ISO 3309 / ITU-T V.42 (reflected polynomial
 * 0xEDB88320, initial value and final complement 0xFFFFFFFF; the check value
 * of "123456789" is 0xCBF43926), computed by zlib. The CRC_ functions return
 * the checksum (as int32_t: cast to uint32_t), or 0 on failure with the
 * reason as the thread's last error. A genuine checksum of 0 cannot be told
 * from a failure: it is returned with the same code recorded. All are framed.
 */

/* CRC_Bytes: the CRC-32 of inputLen bytes of input. input NULL, inputLen < 0,
 * an empty input or a checksum of 0: 0 with BAD_PARAM_ERROR recorded. */
TESSALIB_API int32_t TESSALIB_CALL CRC_Bytes(const unsigned char *input, int32_t inputLen);

/* CRC_String: the CRC-32 of the text's characters without its NUL. NULL, an
 * empty text or a checksum of 0: 0 with BAD_PARAM_ERROR recorded. */
TESSALIB_API int32_t TESSALIB_CALL CRC_String(const char *input);

/* CRC_File: the CRC-32 of the contents of the file fileName (read in binary
 * mode). 0 with OPEN_ERROR recorded: the file cannot be opened (NULL
 * included), or its checksum is 0 (an empty file). 0 with READ_ERROR
 * recorded: a read failed part way (older releases returned the checksum of
 * what had been read before the failure). */
TESSALIB_API int32_t TESSALIB_CALL CRC_File(const char *fileName);

/* WIPE_Data: sets inputLen bytes of input to zero (in a way the compiler
 * cannot drop). Returns 0, or the positive code NULL_ERROR (input NULL) or
 * BAD_PARAM_ERROR (inputLen < 1, nothing changed). Framed, with a fast
 * entropy sample at entry. */
TESSALIB_API int32_t TESSALIB_CALL WIPE_Data(unsigned char *input, int32_t inputLen);

#define WIPE_OPT_QUICK 1

/* WIPE_File: overwrites the file fileName in place and deletes it. The full
 * wipe writes seven passes over the whole file, 4096 bytes at a time: 00,
 * FF, AA, 55, two pseudo-random patterns (not meant to be unpredictable),
 * 00; options WIPE_OPT_QUICK (other bits ignored) writes one pass of 00.
 * Each pass is flushed to the storage device (fflush and fsync;
 * FlushFileBuffers on Windows) before the next; the first pass of zeros and
 * the second random pattern are read back and compared. Then the file is cut
 * to 0 bytes and deleted. An empty file is deleted at once. Returns 0 or a
 * positive code: NULL_ERROR: fileName NULL; OPEN_ERROR: the file does not
 * exist, is not a regular file (a directory or a device is never touched),
 * has no write permission bit at all (so it is refused even to root) or the
 * read-only attribute, or cannot be opened for reading and writing;
 * WIPE_ERROR: a write, flush, read-back or comparison failed, or the closing
 * of the file, or the deletion. A file that was not wiped to the end stays
 * in place: nothing is deleted unless every pass reached the disk (older
 * releases ignored the result of the last flush and of closing the file and
 * deleted it anyway). Framed, with a fast entropy sample at entry. */
TESSALIB_API int32_t TESSALIB_CALL WIPE_File(const char *fileName, int32_t options);

/* ------------------------------------------------------------------------ */
/* COMPR_, ZLIB_: compression                                                */
/* ------------------------------------------------------------------------ */
/*
 * Whole byte arrays are compressed and decompressed in one call. Two formats:
 *   COMPR_METHOD_ZLIB (0): a zlib stream (RFC 1950 around RFC 1951 deflate,
 *     Adler-32 check), made at level 6 with window bits 15 and memory level
 *     8; decompression requires the zlib wrapper;
 *   COMPR_METHOD_ZSTD (1): one Zstandard frame (RFC 8878) at level 3 with
 *     the content size in its header.
 * The COMPR_ functions take the method in the low four bits of options (the
 * other bits are ignored; another method is BAD_FLAG_ERROR); ZLIB_Deflate
 * and ZLIB_Inflate always use zlib. Results are lengths: the bytes written,
 * or in query mode (output NULL or outputLen 0) the exact number the result
 * needs; errors are negated. Checks, in order: the method (-BAD_FLAG_ERROR);
 * input NULL, inputLen < 0 or outputLen < 0 (-BAD_PARAM_ERROR). An empty
 * input is allowed. zlib's results map to -SHORT_BUF_ERROR (buffer),
 * -MEMORY_ERROR (memory), -INVALID_DATA_ERROR (data), -ZLIB_COMPR_ERROR (any
 * other). A failing zlib call may have written part of output. Each call
 * has its own engine state: any number of threads may compress at once. All
 * are framed; the COMPR_ functions take a fast entropy sample at entry.
 *
 * Hostile input cannot end the process: every buffer sized by the data is
 * allocated without the fatal allocator (-MEMORY_ERROR when it cannot be
 * had), a zstd frame declaring more than INT32_MAX bytes is -MEMORY_ERROR
 * before anything is allocated, and the zlib size query stops with
 * -ZLIB_COMPR_ERROR once the total would pass INT32_MAX (a stream of a few
 * megabytes can inflate to gigabytes), never a wrapped count. Older releases
 * allocated the declared zstd size through the fatal allocator (a 20-byte
 * frame could end the host) and computed the zstd bound in 32 bits.
 */
#define COMPR_METHOD_ZLIB 0
#define COMPR_METHOD_ZSTD 1

/* COMPR_Compress: compresses inputLen bytes of input into output (outputLen
 * bytes of room); returns the compressed length.
 * zlib: the query runs the compressor into a 16 KiB scratch area; otherwise
 * one call compresses into output, and an output too small for the whole
 * stream is -SHORT_BUF_ERROR.
 * zstd: the query compresses into a temporary buffer of the zstd bound
 * (n + n/256 + (131072 - n)/2048 for n < 131072, computed in 64 bits) and
 * returns the size; an output with room for the bound receives the frame
 * directly; a smaller one receives it from the temporary buffer, or
 * -SHORT_BUF_ERROR with output untouched when it does not fit. A zstd
 * failure is -ZLIB_COMPR_ERROR. */
TESSALIB_API int32_t TESSALIB_CALL COMPR_Compress(unsigned char *output, int32_t outputLen, const unsigned char *input, int32_t inputLen, int32_t options);

/* COMPR_Uncompress: decompresses inputLen bytes of input into output;
 * returns the decompressed length.
 * zlib: the query inflates into a 16 KiB scratch area until the stream ends
 * (bytes after it are not read) or the input is used up; an incomplete
 * stream or one that asks for a preset dictionary is -INVALID_DATA_ERROR, a
 * total past INT32_MAX -ZLIB_COMPR_ERROR. Otherwise it inflates into output:
 * truncated data is -INVALID_DATA_ERROR, an output too small
 * -SHORT_BUF_ERROR, corrupt data -INVALID_DATA_ERROR.
 * zstd, in order: a malformed or incomplete frame header (random bytes, an
 * empty input, a frame of a format older than RFC 8878's) -BAD_FORMAT_ERROR; no content size in the header
 * -INVALID_DATA_ERROR (a skippable frame counts as content size 0); a
 * content size above INT32_MAX -MEMORY_ERROR; a content size that the
 * input's blocks could not give (more than 128 KiB for every 3 bytes)
 * -ZLIB_COMPR_ERROR; then outputLen below the content size -SHORT_BUF_ERROR
 * with output untouched (checked before decompressing); corrupt data, or
 * bytes after the frame, -ZLIB_COMPR_ERROR; a result of another size than
 * declared -INTERNAL_ERROR. The query decompresses into a temporary buffer
 * and returns the content size; otherwise the data is decompressed directly
 * into output, and after a failure there the content size's bytes of output
 * are zero (older releases decompressed into a temporary buffer and copied
 * it, at the cost of a copy of every result). */
TESSALIB_API int32_t TESSALIB_CALL COMPR_Uncompress(unsigned char *output, int32_t outputLen, const unsigned char *input, int32_t inputLen, int32_t options);

/* ZLIB_Deflate, ZLIB_Inflate: COMPR_Compress and COMPR_Uncompress with the
 * zlib method, without an option word and without the entropy sample.
 * ZLIB_Deflate of an empty input returns 8. */
TESSALIB_API int32_t TESSALIB_CALL ZLIB_Deflate(unsigned char *output, int32_t outputLen, const unsigned char *input, int32_t inputLen);
TESSALIB_API int32_t TESSALIB_CALL ZLIB_Inflate(unsigned char *output, int32_t outputLen, const unsigned char *input, int32_t inputLen);

/* ------------------------------------------------------------------------ */
/* AES128_, AES192_, AES256_, DES_, TDEA_, BLF_: per-algorithm block ciphers */
/* ------------------------------------------------------------------------ */
/*
 * Six families give each block cipher the same set of functions: AES128_,
 * AES192_ and AES256_ (AES, 16-byte block, key of 16, 24 or 32 bytes), DES_
 * (8-byte block and key), TDEA_ (Triple DES, 8-byte block, 24-byte key
 * K1 || K2 || K3; a two-key key is K1 || K2 || K1) and BLF_ (Blowfish, 8-byte
 * block, 1 to 56 key bytes).
 *
 * Shared rules of these families:
 *   - Results are 0 on success or a POSITIVE error code (status class); the
 *     _Init functions return a handle or 0. Every function is framed (clears
 *     the thread's last error and records a failure) except _InitError,
 *     DES_CheckKey and DES_CheckKeyHex.
 *   - modeText names the mode by its first three letters in either case:
 *     "ECB", "CBC", "CFB" (full-block feedback: CFB-128 for AES, CFB-64 for
 *     the others), "OFB" or "CTR" (the whole IV block is a big-endian counter
 *     that wraps to zero). Anything else is BAD_MODE_ERROR.
 *   - The IV is one block (16 bytes for AES, 8 for the others) and is read
 *     only when the mode is not ECB.
 *   - ECB and CBC need a whole number of blocks (BAD_LENGTH_ERROR); CFB, OFB
 *     and CTR take any length. A trailing partial block uses the first bytes
 *     of one more keystream block; a following _Update starts with the next
 *     whole keystream block. In CFB the feedback after a partial block is the
 *     ciphertext bytes followed by the unused keystream bytes in both
 *     directions, so data decrypted in the same pieces as it was encrypted
 *     comes back intact.
 *   - Outputs may be the same buffer as the input. Hex results are upper case
 *     with as many characters as the input text. Base64 results are padded.
 *   - encrypt: nonzero encrypts, 0 decrypts.
 *   - Context functions: each thread has one context per family (one for the
 *     three AES names together). _Init/_InitHex first end any open context
 *     of that family in the thread (its key schedule is wiped), then open a
 *     new one and return its handle (odd, 1 to 0x3FFFFFFF), or return 0 and
 *     store the reason for _InitError. A handle is valid only in the thread
 *     that received it and only until the next _Init/_InitHex or _Final of
 *     the family in that thread; otherwise INVALID_HANDLE_ERROR.
 *   - Keys, IVs, decoded data and contexts are wiped before each call returns.
 *   - Text data (_Hex, _HexMode, _B64Mode, _UpdateHex, BLF_EcbHex) is decoded
 *     into a temporary buffer of its decoded length. Whatever can be checked
 *     without that buffer (the text's characters, the key, the IV, the mode,
 *     the handle) is checked first; a buffer that cannot be allocated then
 *     gives MEMORY_ERROR, before the cipher runs, and nothing is written. A
 *     text of any length never ends the process.
 */

/* AES128_Bytes: AES-128 ECB on inputLen bytes of input into output (inputLen
 * bytes; may equal input) with the 16-byte key. Checks in order: output, input
 * or key NULL: NULL_ERROR; inputLen < 0: BAD_PARAM_ERROR; inputLen not a
 * multiple of 16: BAD_LENGTH_ERROR. AES192_Bytes and AES256_Bytes are the same
 * with a 24- and a 32-byte key. */
TESSALIB_API int32_t TESSALIB_CALL AES128_Bytes(unsigned char *output, const unsigned char *input, int32_t inputLen, const unsigned char *key, int32_t encrypt);
TESSALIB_API int32_t TESSALIB_CALL AES192_Bytes(unsigned char *output, const unsigned char *input, int32_t inputLen, const unsigned char *key, int32_t encrypt);
TESSALIB_API int32_t TESSALIB_CALL AES256_Bytes(unsigned char *output, const unsigned char *input, int32_t inputLen, const unsigned char *key, int32_t encrypt);

/* AES128_BytesMode: AES-128 in the mode of modeText with the 16-byte iv (not
 * read in ECB); output receives inputLen bytes and may equal input. Checks in
 * order: modeText NULL: NULL_ERROR; not a mode: BAD_MODE_ERROR; output, input
 * or key NULL: NULL_ERROR; inputLen < 0: BAD_PARAM_ERROR; mode not ECB and iv
 * NULL: BAD_IV_ERROR; ECB or CBC with inputLen not a multiple of 16:
 * BAD_LENGTH_ERROR. AES192_/AES256_BytesMode: 24- and 32-byte keys. */
TESSALIB_API int32_t TESSALIB_CALL AES128_BytesMode(unsigned char *output, const unsigned char *input, int32_t inputLen, const unsigned char *key, int32_t encrypt, const char *modeText, const unsigned char *iv);
TESSALIB_API int32_t TESSALIB_CALL AES192_BytesMode(unsigned char *output, const unsigned char *input, int32_t inputLen, const unsigned char *key, int32_t encrypt, const char *modeText, const unsigned char *iv);
TESSALIB_API int32_t TESSALIB_CALL AES256_BytesMode(unsigned char *output, const unsigned char *input, int32_t inputLen, const unsigned char *key, int32_t encrypt, const char *modeText, const unsigned char *iv);

/* AES128_HexMode: AES-128 on hex text. dataHex, keyHex and ivHex are strict
 * hex (an even number of hex digits of either case, nothing else). On success
 * writes upper-case hex of the result with a NUL: exactly strlen(dataHex)
 * characters, so output needs strlen(dataHex) + 1 bytes (it has no length
 * argument) and may be dataHex itself. Checks in order: modeText NULL or
 * empty: BAD_PARAM_ERROR; not a mode: BAD_MODE_ERROR; output NULL, dataHex or
 * keyHex NULL or empty: BAD_PARAM_ERROR; mode not ECB and ivHex missing or not
 * exactly 16 bytes: BAD_IV_ERROR; dataHex shorter than 2 characters:
 * BAD_LENGTH_ERROR; dataHex not strict hex (odd length included):
 * BAD_FORMAT_ERROR; keyHex not exactly 16 bytes of hex: BAD_KEY_LEN_ERROR;
 * then BAD_LENGTH_ERROR for ECB/CBC data that is not whole blocks. On failure
 * output is not written. AES128_Hex is the same in ECB without the mode and IV
 * arguments. AES192_ and AES256_ forms: keys of exactly 24 and 32 bytes. */
TESSALIB_API int32_t TESSALIB_CALL AES128_Hex(char *output, const char *dataHex, const char *keyHex, int32_t encrypt);
TESSALIB_API int32_t TESSALIB_CALL AES192_Hex(char *output, const char *dataHex, const char *keyHex, int32_t encrypt);
TESSALIB_API int32_t TESSALIB_CALL AES256_Hex(char *output, const char *dataHex, const char *keyHex, int32_t encrypt);
TESSALIB_API int32_t TESSALIB_CALL AES128_HexMode(char *output, const char *dataHex, const char *keyHex, int32_t encrypt, const char *modeText, const char *ivHex);
TESSALIB_API int32_t TESSALIB_CALL AES192_HexMode(char *output, const char *dataHex, const char *keyHex, int32_t encrypt, const char *modeText, const char *ivHex);
TESSALIB_API int32_t TESSALIB_CALL AES256_HexMode(char *output, const char *dataHex, const char *keyHex, int32_t encrypt, const char *modeText, const char *ivHex);

/* AES128_B64Mode: AES-128 on base64 text (characters outside the alphabet are
 * skipped; decoding stops at the first "="). output gets the padded base64 of
 * the result and a NUL, and has room for strlen(dataB64) characters plus the
 * NUL (no length argument); it may be dataB64 itself. Checks in order: output
 * NULL, or dataB64, keyB64 or modeText NULL or empty: BAD_PARAM_ERROR; not a
 * mode: BAD_MODE_ERROR; mode not ECB and ivB64 missing or not decoding to 16
 * bytes: BAD_IV_ERROR; dataB64 decoding to no bytes: BAD_FORMAT_ERROR; keyB64
 * not decoding to 16 bytes (it is decoded into at most 32): BAD_KEY_LEN_ERROR;
 * then the cipher's codes; finally, when the padded result is longer than
 * dataB64 (possible only for unpadded input), SHORT_BUF_ERROR and nothing is
 * written rather than a truncated result. AES192_/AES256_B64Mode: keys of 24
 * and 32 bytes. */
TESSALIB_API int32_t TESSALIB_CALL AES128_B64Mode(char *output, const char *dataB64, const char *keyB64, int32_t encrypt, const char *modeText, const char *ivB64);
TESSALIB_API int32_t TESSALIB_CALL AES192_B64Mode(char *output, const char *dataB64, const char *keyB64, int32_t encrypt, const char *modeText, const char *ivB64);
TESSALIB_API int32_t TESSALIB_CALL AES256_B64Mode(char *output, const char *dataB64, const char *keyB64, int32_t encrypt, const char *modeText, const char *ivB64);

/* AES128_Init: opens the thread's AES context with the 16-byte key (24 and 32
 * for AES192_Init and AES256_Init) for a mode and direction; returns its
 * handle, or 0. Any open AES context of the thread is ended first, whether or
 * not this call succeeds. Failure reasons, in order, kept for AES128_InitError:
 * key NULL: BAD_KEY_ERROR; modeText NULL: NULL_ERROR; not a mode:
 * BAD_MODE_ERROR; mode not ECB and iv NULL: BAD_IV_ERROR. Thread state: the
 * AES slot. */
TESSALIB_API int32_t TESSALIB_CALL AES128_Init(const unsigned char *key, int32_t encrypt, const char *modeText, const unsigned char *iv);
TESSALIB_API int32_t TESSALIB_CALL AES192_Init(const unsigned char *key, int32_t encrypt, const char *modeText, const unsigned char *iv);
TESSALIB_API int32_t TESSALIB_CALL AES256_Init(const unsigned char *key, int32_t encrypt, const char *modeText, const unsigned char *iv);

/* AES128_InitHex (same function as AES192_InitHex and AES256_InitHex): opens
 * the thread's AES context with a hex key whose length, 16, 24 or 32 bytes,
 * chooses AES-128, -192 or -256 under any of the three names. Ends any open AES
 * context first. Failure reasons, in order, kept for _InitError: keyHex or
 * modeText NULL or empty: BAD_PARAM_ERROR; not a mode: BAD_MODE_ERROR; mode
 * not ECB and ivHex missing or not 16 bytes of hex: BAD_IV_ERROR; keyHex not
 * strict hex: BAD_KEY_ERROR; more than 32 bytes or any length other than 16,
 * 24 or 32: BAD_KEY_LEN_ERROR. */
TESSALIB_API int32_t TESSALIB_CALL AES128_InitHex(const char *keyHex, int32_t encrypt, const char *modeText, const char *ivHex);
TESSALIB_API int32_t TESSALIB_CALL AES192_InitHex(const char *keyHex, int32_t encrypt, const char *modeText, const char *ivHex);
TESSALIB_API int32_t TESSALIB_CALL AES256_InitHex(const char *keyHex, int32_t encrypt, const char *modeText, const char *ivHex);

/* AES128_Update (same function as AES192_Update and AES256_Update): runs
 * dataLen bytes of data in place through the open AES context; the chaining
 * state carries to the next call. Checks in order: data NULL: NULL_ERROR;
 * dataLen < 0: BAD_PARAM_ERROR; handle not the thread's live AES handle:
 * INVALID_HANDLE_ERROR; ECB or CBC with dataLen not a multiple of 16:
 * BAD_LENGTH_ERROR (the context is unchanged; the call may be retried). */
TESSALIB_API int32_t TESSALIB_CALL AES128_Update(int32_t handle, unsigned char *data, int32_t dataLen);
TESSALIB_API int32_t TESSALIB_CALL AES192_Update(int32_t handle, unsigned char *data, int32_t dataLen);
TESSALIB_API int32_t TESSALIB_CALL AES256_Update(int32_t handle, unsigned char *data, int32_t dataLen);

/* AES128_UpdateHex (shared by the three AES names): as AES128_Update on the
 * strict hex text dataHex, whose characters are replaced by the upper-case hex
 * of the result (same length). Checks in order: dataHex NULL or empty:
 * BAD_PARAM_ERROR; handle not live: INVALID_HANDLE_ERROR; not strict hex:
 * BAD_FORMAT_ERROR; then BAD_LENGTH_ERROR as for _Update. On failure dataHex
 * is unchanged. */
TESSALIB_API int32_t TESSALIB_CALL AES128_UpdateHex(int32_t handle, char *dataHex);
TESSALIB_API int32_t TESSALIB_CALL AES192_UpdateHex(int32_t handle, char *dataHex);
TESSALIB_API int32_t TESSALIB_CALL AES256_UpdateHex(int32_t handle, char *dataHex);

/* AES128_Final (shared by the three AES names): with the thread's live AES
 * handle, wipes the context, ends it and returns 0; any other value (0, a
 * stale or foreign handle, a second call): INVALID_HANDLE_ERROR. */
TESSALIB_API int32_t TESSALIB_CALL AES128_Final(int32_t handle);
TESSALIB_API int32_t TESSALIB_CALL AES192_Final(int32_t handle);
TESSALIB_API int32_t TESSALIB_CALL AES256_Final(int32_t handle);

/* AES128_InitError (shared by the three AES names): the positive code with
 * which the thread's last AES _Init/_InitHex failed, 0 after a success.
 * Unframed: the thread's last error is neither cleared nor set. */
TESSALIB_API int32_t TESSALIB_CALL AES128_InitError(void);
TESSALIB_API int32_t TESSALIB_CALL AES192_InitError(void);
TESSALIB_API int32_t TESSALIB_CALL AES256_InitError(void);

/* DES_Bytes, DES_BytesMode: single DES with the 8-byte key (parity bits
 * ignored) and 8-byte iv, inputLen bytes into output (may equal input).
 * DES_Bytes is ECB. Checks in order (different from AES): output, input, key
 * or modeText NULL: NULL_ERROR; inputLen < 0: BAD_PARAM_ERROR; mode other than
 * ECB (an unknown one included) with iv NULL: BAD_IV_ERROR; not a mode:
 * BAD_MODE_ERROR; ECB or CBC with inputLen not a multiple of 8:
 * BAD_LENGTH_ERROR. */
TESSALIB_API int32_t TESSALIB_CALL DES_Bytes(unsigned char *output, const unsigned char *input, int32_t inputLen, const unsigned char *key, int32_t encrypt);
TESSALIB_API int32_t TESSALIB_CALL DES_BytesMode(unsigned char *output, const unsigned char *input, int32_t inputLen, const unsigned char *key, int32_t encrypt, const char *modeText, const unsigned char *iv);

/* DES_Hex, DES_HexMode: as AES128_Hex/AES128_HexMode with an 8-byte key and
 * IV, except the order of the first checks: output NULL or dataHex, keyHex or
 * modeText NULL or empty: BAD_PARAM_ERROR; then not a mode: BAD_MODE_ERROR;
 * then IV (BAD_IV_ERROR), data length (BAD_LENGTH_ERROR), data hex
 * (BAD_FORMAT_ERROR), key not exactly 8 bytes (BAD_KEY_LEN_ERROR). output
 * needs strlen(dataHex) + 1 bytes and may be dataHex. */
TESSALIB_API int32_t TESSALIB_CALL DES_Hex(char *output, const char *dataHex, const char *keyHex, int32_t encrypt);
TESSALIB_API int32_t TESSALIB_CALL DES_HexMode(char *output, const char *dataHex, const char *keyHex, int32_t encrypt, const char *modeText, const char *ivHex);

/* DES_B64Mode: as AES128_B64Mode with an 8-byte IV and key, but a NULL or
 * empty argument is NULL_ERROR. The key text is decoded into at most 8 bytes
 * and must give exactly 8 (a longer key gives fewer: BAD_KEY_LEN_ERROR). */
TESSALIB_API int32_t TESSALIB_CALL DES_B64Mode(char *output, const char *dataB64, const char *keyB64, int32_t encrypt, const char *modeText, const char *ivB64);

/* DES_Init, DES_InitHex, DES_Update, DES_UpdateHex, DES_Final, DES_InitError:
 * the thread's DES context, as the AES128_ functions of the same names with an
 * 8-byte key and IV and 8-byte blocks. DES_InitHex: keyHex or modeText NULL
 * or empty: BAD_PARAM_ERROR; key text not strict hex: BAD_KEY_ERROR; not
 * exactly 8 bytes: BAD_KEY_LEN_ERROR. DES_Init: key NULL: BAD_KEY_ERROR;
 * modeText NULL: NULL_ERROR. Thread state: the DES slot. */
TESSALIB_API int32_t TESSALIB_CALL DES_Init(const unsigned char *key, int32_t encrypt, const char *modeText, const unsigned char *iv);
TESSALIB_API int32_t TESSALIB_CALL DES_InitHex(const char *keyHex, int32_t encrypt, const char *modeText, const char *ivHex);
TESSALIB_API int32_t TESSALIB_CALL DES_Update(int32_t handle, unsigned char *data, int32_t dataLen);
TESSALIB_API int32_t TESSALIB_CALL DES_UpdateHex(int32_t handle, char *dataHex);
TESSALIB_API int32_t TESSALIB_CALL DES_Final(int32_t handle);
TESSALIB_API int32_t TESSALIB_CALL DES_InitError(void);

/* DES_CheckKey: the DES weak-key test on keyLen bytes of key, taken as one,
 * two or three 8-byte DES keys. Each key's parity bits are first made odd
 * (parity is never reported). Returns WEAK_KEY_ERROR when any of them is one
 * of the 4 weak or 12 semi-weak DES keys, BAD_KEY_LEN_ERROR when keyLen is not
 * 8, 16 or 24 or key is NULL, else 0. No test that the keys of a Triple DES key
 * differ. Unframed. */
TESSALIB_API int32_t TESSALIB_CALL DES_CheckKey(const unsigned char *key, int32_t keyLen);

/* DES_CheckKeyHex: DES_CheckKey on a hex key. Text longer than 48 characters:
 * BAD_KEY_LEN_ERROR; a NULL text counts as empty; text that is not strict hex
 * counts as 0 bytes (so empty, odd-length and invalid text give
 * BAD_KEY_LEN_ERROR). Unframed. */
TESSALIB_API int32_t TESSALIB_CALL DES_CheckKeyHex(const char *keyHex);

/* TDEA_Bytes, TDEA_BytesMode, TDEA_Hex, TDEA_HexMode: Triple DES with the
 * 24-byte key K1 || K2 || K3 and 8-byte IV, with the check orders of the AES
 * functions of the same names (modeText is checked first) and 8-byte blocks;
 * hex keys must be exactly 24 bytes (BAD_KEY_LEN_ERROR). */
TESSALIB_API int32_t TESSALIB_CALL TDEA_Bytes(unsigned char *output, const unsigned char *input, int32_t inputLen, const unsigned char *key, int32_t encrypt);
TESSALIB_API int32_t TESSALIB_CALL TDEA_BytesMode(unsigned char *output, const unsigned char *input, int32_t inputLen, const unsigned char *key, int32_t encrypt, const char *modeText, const unsigned char *iv);
TESSALIB_API int32_t TESSALIB_CALL TDEA_Hex(char *output, const char *dataHex, const char *keyHex, int32_t encrypt);
TESSALIB_API int32_t TESSALIB_CALL TDEA_HexMode(char *output, const char *dataHex, const char *keyHex, int32_t encrypt, const char *modeText, const char *ivHex);

/* TDEA_B64Mode: as AES128_B64Mode with an 8-byte IV, but a NULL or empty
 * argument is NULL_ERROR. The key text is decoded into at most 24 bytes, which
 * must be 24: a longer key text is accepted and its first 24 bytes are used. */
TESSALIB_API int32_t TESSALIB_CALL TDEA_B64Mode(char *output, const char *dataB64, const char *keyB64, int32_t encrypt, const char *modeText, const char *ivB64);

/* TDEA_Init, TDEA_InitHex, TDEA_Update, TDEA_UpdateHex, TDEA_Final,
 * TDEA_InitError: the thread's Triple DES context, as the DES_ functions of the
 * same names with a 24-byte key (hex: exactly 24 bytes, else
 * BAD_KEY_LEN_ERROR; not strict hex: BAD_KEY_ERROR). Thread state: the TDEA
 * slot. */
TESSALIB_API int32_t TESSALIB_CALL TDEA_Init(const unsigned char *key, int32_t encrypt, const char *modeText, const unsigned char *iv);
TESSALIB_API int32_t TESSALIB_CALL TDEA_InitHex(const char *keyHex, int32_t encrypt, const char *modeText, const char *ivHex);
TESSALIB_API int32_t TESSALIB_CALL TDEA_Update(int32_t handle, unsigned char *data, int32_t dataLen);
TESSALIB_API int32_t TESSALIB_CALL TDEA_UpdateHex(int32_t handle, char *dataHex);
TESSALIB_API int32_t TESSALIB_CALL TDEA_Final(int32_t handle);
TESSALIB_API int32_t TESSALIB_CALL TDEA_InitError(void);

/* BLF_Bytes, BLF_BytesMode: Blowfish with keyLen key bytes (1 to 56) and an
 * 8-byte iv, with the check order of DES_BytesMode: output, input, key or
 * modeText NULL: NULL_ERROR; inputLen or keyLen < 0: BAD_PARAM_ERROR; iv
 * (BAD_IV_ERROR); mode (BAD_MODE_ERROR); keyLen 0 or above 56:
 * BAD_KEY_LEN_ERROR (an empty key is refused rather than run through the key
 * schedule); block length (BAD_LENGTH_ERROR). */
TESSALIB_API int32_t TESSALIB_CALL BLF_Bytes(unsigned char *output, const unsigned char *input, int32_t inputLen, const unsigned char *key, int32_t keyLen, int32_t encrypt);
TESSALIB_API int32_t TESSALIB_CALL BLF_BytesMode(unsigned char *output, const unsigned char *input, int32_t inputLen, const unsigned char *key, int32_t keyLen, int32_t encrypt, const char *modeText, const unsigned char *iv);

/* BLF_Hex, BLF_HexMode: as DES_Hex/DES_HexMode with a hex key of 1 to 56
 * bytes: NULL or empty keyHex: BAD_PARAM_ERROR (with the other arguments);
 * key text not strict hex: BAD_KEY_ERROR; more than 56 bytes:
 * BAD_KEY_LEN_ERROR. */
TESSALIB_API int32_t TESSALIB_CALL BLF_Hex(char *output, const char *dataHex, const char *keyHex, int32_t encrypt);
TESSALIB_API int32_t TESSALIB_CALL BLF_HexMode(char *output, const char *dataHex, const char *keyHex, int32_t encrypt, const char *modeText, const char *ivHex);

/* BLF_B64Mode: as DES_B64Mode with a key text decoded into at most 56 bytes:
 * a key text that decodes to no bytes: BAD_KEY_ERROR; otherwise accepted, so
 * a longer key text gives its first 54 bytes (the decoder drops the group of
 * three that would cross the limit). */
TESSALIB_API int32_t TESSALIB_CALL BLF_B64Mode(char *output, const char *dataB64, const char *keyB64, int32_t encrypt, const char *modeText, const char *ivB64);

/* BLF_Init, BLF_InitHex, BLF_Update, BLF_UpdateHex, BLF_Final, BLF_InitError:
 * the thread's Blowfish context, as the DES_ functions of the same names.
 * BLF_Init: key NULL: BAD_KEY_ERROR; keyLen < 0: BAD_PARAM_ERROR; modeText
 * NULL: NULL_ERROR; mode; iv; keyLen 0 or above 56: BAD_KEY_LEN_ERROR.
 * BLF_InitHex: 1 to 56 key bytes (not strict hex: BAD_KEY_ERROR; more:
 * BAD_KEY_LEN_ERROR). Thread state: the BLF slot. */
TESSALIB_API int32_t TESSALIB_CALL BLF_Init(const unsigned char *key, int32_t keyLen, int32_t encrypt, const char *modeText, const unsigned char *iv);
TESSALIB_API int32_t TESSALIB_CALL BLF_InitHex(const char *keyHex, int32_t encrypt, const char *modeText, const char *ivHex);
TESSALIB_API int32_t TESSALIB_CALL BLF_Update(int32_t handle, unsigned char *data, int32_t dataLen);
TESSALIB_API int32_t TESSALIB_CALL BLF_UpdateHex(int32_t handle, char *dataHex);
TESSALIB_API int32_t TESSALIB_CALL BLF_Final(int32_t handle);
TESSALIB_API int32_t TESSALIB_CALL BLF_InitError(void);

/* BLF_Ecb: raw Blowfish ECB in place on dataLen bytes of data with the key of
 * the thread's open Blowfish context, in the direction given by encrypt,
 * whatever mode and direction the context was opened with; its chaining state
 * is not touched. Checks in order: data NULL: NULL_ERROR; dataLen < 0:
 * BAD_PARAM_ERROR; handle not live: INVALID_HANDLE_ERROR; dataLen not a
 * multiple of 8: BAD_LENGTH_ERROR. */
TESSALIB_API int32_t TESSALIB_CALL BLF_Ecb(int32_t handle, unsigned char *data, int32_t dataLen, int32_t encrypt);

/* BLF_EcbHex: BLF_Ecb on strict hex text, replaced in place by the upper-case
 * hex of the result. Checks in order: dataHex NULL or empty: BAD_PARAM_ERROR;
 * no bytes or not strict hex: BAD_FORMAT_ERROR; then the checks of BLF_Ecb
 * (so the handle is checked after the text). */
TESSALIB_API int32_t TESSALIB_CALL BLF_EcbHex(int32_t handle, char *dataHex, int32_t encrypt);

/*
 * File encryption of the six families: XXX_File, XXX_FileExt and XXX_FileHex
 * (XXX one of AES128, AES192, AES256, DES, TDEA, BLF) encrypt (encrypt
 * nonzero) or decrypt the file inFile into the file outFile. Results are 0 or
 * a POSITIVE error code; all are framed. CIPHER_FileEncrypt and
 * CIPHER_FileDecrypt below share the procedure.
 *
 * The ciphertext file is the bare ciphertext: with OPT_PREFIX_IV (0x1000, in
 * options) and a mode other than ECB the IV block comes first; in ECB and CBC
 * the data is followed by 1 to B bytes of padding (B the block length), so
 * the file is whole blocks and at least one block; in CFB, OFB and CTR it is
 * exactly as long as the plaintext. The files are read and written in
 * pieces of up to 1 MiB (the files are the same as with any other multiple
 * of 4096): memory use does not grow with the file. For a file larger than
 * one piece a second thread, started and ended within the call, reads ahead
 * and writes behind while the calling thread runs the cipher, and frees the
 * storage of a deleted old outFile before it writes (so on Windows these
 * functions are not for a DllMain, where no new thread can start until the
 * loader lets go). The outcome is the one
 * of doing the steps one after the other, 4096 bytes at a time: a write that
 * fails comes before a failure found later in the data.
 *
 * options (XXX_FileExt; XXX_File and XXX_FileHex use 0):
 *   OPT_PREFIX_IV   encryption writes the IV in front; decryption reads it
 *                   from the front of inFile and ignores iv;
 *   bits 16-19      the padding (CIPHER_PAD_ values): encryption in ECB and
 *                   CBC always pads, with CIPHER_PAD_ONEANDZEROES or
 *                   CIPHER_PAD_ANSIX923 when named, else PKCS #5 (for
 *                   CIPHER_PAD_NONE too); decryption removes padding of that
 *                   scheme, except with CIPHER_PAD_NONE, which leaves it;
 *   0x2000          decryption leaves the padding in the output.
 *
 * The procedure, in order:
 *   1. outFile or inFile NULL or empty: BAD_PARAM_ERROR; the buffers (four
 *      pieces) cannot be had: MEMORY_ERROR;
 *   2. the two names are one file: DUP_ERROR, and nothing is touched.
 *      Besides the same text this includes, when outFile exists, the same
 *      file under another name: "./a" for "a", a hard or symbolic link,
 *      another case of the name on a volume that ignores case (device and
 *      inode; volume serial number and file index on Windows);
 *   3. an existing outFile is deleted when it is a file (a symbolic link
 *      itself, not what it points to; never a directory or a device such as
 *      /dev/full or NUL), even when the input then cannot be opened;
 *   4. inFile cannot be opened: OPEN_ERROR; outFile cannot be created:
 *      CREATE_ERROR;
 *   5. the IV prefix: decryption reads B bytes (READ_ERROR when the file is
 *      shorter);
 *   6. the key and IV: a mode other than ECB without an IV: BAD_IV_ERROR; a
 *      key length the cipher does not take: BAD_KEY_LEN_ERROR; a NULL key:
 *      BAD_KEY_ERROR;
 *   7. the data: READ_ERROR when reading inFile fails, WRITE_ERROR when a
 *      write or the closing of outFile fails; decryption in ECB and CBC:
 *      BAD_LENGTH_ERROR for a file that is not whole blocks (or, when the
 *      padding is removed, shorter than one block), DECRYPT_ERROR for
 *      invalid padding.
 * After a failure from step 4 on, outFile is deleted (again only a file,
 * never a device): nothing partial is left behind, and inFile is never
 * changed.
 *
 * Behaviour that differs from older releases, on purpose:
 *   - The duplicate test compares the files, not only the names: an output
 *     named "./a.bin" for the input "a.bin", or a link to it, used to be
 *     deleted before the input was opened, destroying the input.
 *   - A read error is an error (READ_ERROR, output deleted); it used to look
 *     like the end of the file and, in CFB, OFB and CTR, gave a truncated
 *     output and success.
 *   - A NULL modeText is NULL_ERROR (14) before anything is deleted; it used
 *     to be read through.
 *   - Only files are deleted: a device named as the output (/dev/full) used
 *     to be deleted too, which for root removed it from the system.
 */

/* XXX_File: the file procedure with the family's key (AES128_ 16 bytes,
 * AES192_ 24, AES256_ 32, DES_ 8, TDEA_ 24; BLF_ keyLen bytes, 1 to 56) in
 * the mode of modeText (NULL: NULL_ERROR; not a mode: BAD_MODE_ERROR) with
 * the block iv (not read in ECB) and options 0. */
TESSALIB_API int32_t TESSALIB_CALL AES128_File(const char *outFile, const char *inFile, const unsigned char *key, int32_t encrypt, const char *modeText, const unsigned char *iv);
TESSALIB_API int32_t TESSALIB_CALL AES192_File(const char *outFile, const char *inFile, const unsigned char *key, int32_t encrypt, const char *modeText, const unsigned char *iv);
TESSALIB_API int32_t TESSALIB_CALL AES256_File(const char *outFile, const char *inFile, const unsigned char *key, int32_t encrypt, const char *modeText, const unsigned char *iv);
TESSALIB_API int32_t TESSALIB_CALL DES_File(const char *outFile, const char *inFile, const unsigned char *key, int32_t encrypt, const char *modeText, const unsigned char *iv);
TESSALIB_API int32_t TESSALIB_CALL TDEA_File(const char *outFile, const char *inFile, const unsigned char *key, int32_t encrypt, const char *modeText, const unsigned char *iv);
TESSALIB_API int32_t TESSALIB_CALL BLF_File(const char *outFile, const char *inFile, const unsigned char *key, int32_t keyLen, int32_t encrypt, const char *modeText, const unsigned char *iv);

/* XXX_FileExt: XXX_File with the option word described above. */
TESSALIB_API int32_t TESSALIB_CALL AES128_FileExt(const char *outFile, const char *inFile, const unsigned char *key, int32_t encrypt, const char *modeText, const unsigned char *iv, int32_t options);
TESSALIB_API int32_t TESSALIB_CALL AES192_FileExt(const char *outFile, const char *inFile, const unsigned char *key, int32_t encrypt, const char *modeText, const unsigned char *iv, int32_t options);
TESSALIB_API int32_t TESSALIB_CALL AES256_FileExt(const char *outFile, const char *inFile, const unsigned char *key, int32_t encrypt, const char *modeText, const unsigned char *iv, int32_t options);
TESSALIB_API int32_t TESSALIB_CALL DES_FileExt(const char *outFile, const char *inFile, const unsigned char *key, int32_t encrypt, const char *modeText, const unsigned char *iv, int32_t options);
TESSALIB_API int32_t TESSALIB_CALL TDEA_FileExt(const char *outFile, const char *inFile, const unsigned char *key, int32_t encrypt, const char *modeText, const unsigned char *iv, int32_t options);
TESSALIB_API int32_t TESSALIB_CALL BLF_FileExt(const char *outFile, const char *inFile, const unsigned char *key, int32_t keyLen, int32_t encrypt, const char *modeText, const unsigned char *iv, int32_t options);

/* XXX_FileHex: XXX_File with the key and IV as strict hex text. Checks
 * before the procedure, in order (AES, DES, BLF): modeText NULL: NULL_ERROR;
 * not a mode: BAD_MODE_ERROR; ivHex given (not NULL or empty) and not exactly
 * one block: BAD_IV_ERROR (in ECB too; NULL or empty: no IV); keyHex NULL or
 * empty: BAD_PARAM_ERROR; no bytes or not strict hex: BAD_KEY_ERROR; not the
 * family's key length (BLF: more than 56 bytes): BAD_KEY_LEN_ERROR.
 * TDEA_FileHex checks in its own order: outFile or inFile NULL or empty:
 * BAD_PARAM_ERROR; in a mode other than ECB (a NULL or unknown mode counts
 * as one) ivHex NULL or empty: BAD_PARAM_ERROR, not 8 bytes: BAD_IV_ERROR;
 * keyHex NULL or empty: BAD_PARAM_ERROR, no bytes: BAD_KEY_ERROR, not 24
 * bytes: BAD_KEY_LEN_ERROR; modeText NULL: NULL_ERROR, not a mode:
 * BAD_MODE_ERROR. The decoded key and IV are wiped. */
TESSALIB_API int32_t TESSALIB_CALL AES128_FileHex(const char *outFile, const char *inFile, const char *keyHex, int32_t encrypt, const char *modeText, const char *ivHex);
TESSALIB_API int32_t TESSALIB_CALL AES192_FileHex(const char *outFile, const char *inFile, const char *keyHex, int32_t encrypt, const char *modeText, const char *ivHex);
TESSALIB_API int32_t TESSALIB_CALL AES256_FileHex(const char *outFile, const char *inFile, const char *keyHex, int32_t encrypt, const char *modeText, const char *ivHex);
TESSALIB_API int32_t TESSALIB_CALL DES_FileHex(const char *outFile, const char *inFile, const char *keyHex, int32_t encrypt, const char *modeText, const char *ivHex);
TESSALIB_API int32_t TESSALIB_CALL TDEA_FileHex(const char *outFile, const char *inFile, const char *keyHex, int32_t encrypt, const char *modeText, const char *ivHex);
TESSALIB_API int32_t TESSALIB_CALL BLF_FileHex(const char *outFile, const char *inFile, const char *keyHex, int32_t encrypt, const char *modeText, const char *ivHex);

/* ------------------------------------------------------------------------ */
/* CIPHER_: AES and Triple DES with the algorithm, mode and padding chosen   */
/* at run time; PAD_: block padding; CIPHER_KeyWrap/KeyUnwrap: key wrap      */
/* ------------------------------------------------------------------------ */
/*
 * The generic functions take the algorithm, the mode and the padding either
 * as a text algModeText or as bits of the option word `options`:
 *
 *   bits 4-7   algorithm  CIPHER_ALG_TDEA (block 8, key 24 bytes),
 *                         CIPHER_ALG_AES128 / _AES192 / _AES256 (block 16,
 *                         key 16 / 24 / 32 bytes)
 *   bits 8-11  mode       CIPHER_MODE_ECB, _CBC, _OFB, _CFB, _CTR (note: OFB
 *                         is 0x200 and CFB 0x300); the modes are those of the
 *                         AES128_ family (full-block CFB, the whole IV block a
 *                         big-endian counter in CTR)
 *   bit 12     OPT_PREFIX_IV: the IV travels in front of the ciphertext
 *   bits 16-19 padding    CIPHER_PAD_DEFAULT (PKCS #5), _NONE, _PKCS5,
 *                         _ONEANDZEROES, _ANSIX923, _W3C (see PAD_ below)
 *
 * algModeText: the letters and digits of the text, in either case, the rest
 * (slashes, dashes, spaces...) ignored, at most 64 of them read: an
 * algorithm ("aes128", "aes192", "aes256", "tdea", "3des", "desede3",
 * "desede"), then optionally a mode ("ecb", "cbc", "ofb", "cfb", "ctr"),
 * then optionally a padding ("pkcs5padding" or "pkcs5", "nopadding" or
 * "nopad", "oneandzeroespadding" or "oneandzeroes", "ansix923padding" or
 * "ansix923", "w3cpadding" or "w3c"), and nothing else: "AES-128/CBC/
 * PKCS5Padding" is options 0x20120; "tdea" alone is Triple DES in ECB.
 *
 * Resolving them, in order (every function that takes both):
 *   - a non-empty algModeText together with algorithm bits in options, or
 *     neither: BAD_FLAG_ERROR;
 *   - a text that does not parse: BAD_PARAM_ERROR; the text's algorithm,
 *     mode and padding replace those fields of options (other bits, such as
 *     OPT_PREFIX_IV, are kept);
 *   - a mode field other than the five: BAD_MODE_ERROR;
 *   - an algorithm field other than the four: INTERNAL_ERROR;
 *     keyLen not the algorithm's: BAD_KEY_LEN_ERROR;
 *   - a mode other than ECB with ivLen not the block length:
 *     BAD_IV_LEN_ERROR (not tested by CIPHER_DecryptBytes with
 *     OPT_PREFIX_IV, which reads the IV from its input).
 * Padding applies in ECB and CBC only, and there CIPHER_PAD_NONE and the
 * unassigned values 0x60000-0xF0000 mean none; OFB, CFB and CTR never pad.
 *
 * Every error is returned negated (-BAD_KEY_LEN_ERROR is -33) and recorded
 * as the thread's last error; CIPHER_Init and CIPHER_InitHex return 0 and
 * record the code. All are framed; all but CIPHER_Update, CIPHER_UpdateHex
 * and CIPHER_Final take a fast entropy sample at entry. Keys, IVs, decoded
 * text, temporary buffers and contexts are wiped before they are released.
 * Sizes are computed in 64 bits: a result that would pass INT32_MAX is an
 * error (named with each function), never a wrapped length.
 *
 * Behaviour that differs from older releases of this interface, on purpose:
 *   - Output lengths are computed in 64 bits (CIPHER_EncryptBytes' input,
 *     padding and IV block; the hex forms' 2 x r; CIPHER_KeyWrap's key data
 *     + 8; PAD_BytesBlock's input + padding; PAD_HexBlock's 2 x (k + n)),
 *     so a huge length is refused instead of passing the "output long
 *     enough" test with a wrapped number.
 *   - CIPHER_EncryptBytes with OPT_PREFIX_IV in ECB writes a block of zeros
 *     in front when iv is NULL or shorter than a block, instead of reading
 *     a block through it.
 *   - CIPHER_EncryptHex and CIPHER_DecryptHex write "" for an empty result.
 *   - The AES key unwrap compares its integrity value, and the Triple DES
 *     key unwrap its SHA-1 check value, in constant time; the padding check
 *     examines all of the last block without a branch on its bytes.
 *   - NULL pointers are refused where older releases read through them: in
 *     CIPHER_KeyWrap/KeyUnwrap (NULL_ERROR), CIPHER_Update (NULL_ERROR, and
 *     BAD_LENGTH_ERROR for a negative length), CIPHER_Init (NULL_ERROR) and
 *     PAD_BytesBlock (NULL_ERROR, and BAD_PARAM_ERROR for a negative length).
 */
#define CIPHER_ALG_TDEA          0x10
#define CIPHER_ALG_AES128        0x20
#define CIPHER_ALG_AES192        0x30
#define CIPHER_ALG_AES256        0x40
#define CIPHER_MODE_ECB          0x000
#define CIPHER_MODE_CBC          0x100
#define CIPHER_MODE_OFB          0x200
#define CIPHER_MODE_CFB          0x300
#define CIPHER_MODE_CTR          0x400
#define CIPHER_PAD_DEFAULT       0x00000
#define CIPHER_PAD_NONE          0x10000
#define CIPHER_PAD_PKCS5         0x20000
#define CIPHER_PAD_ONEANDZEROES  0x30000
#define CIPHER_PAD_ANSIX923      0x40000
#define CIPHER_PAD_W3C           0x50000

/* CIPHER_EncryptBytes: encrypts inputLen bytes of input with key (keyLen
 * bytes) and iv (ivLen bytes, not read in ECB) and writes L bytes to output:
 * with OPT_PREFIX_IV first the IV block (in ECB the iv given, or zeros when
 * iv is NULL or shorter than a block), then the ciphertext of the input and,
 * in ECB and CBC with padding, of 1 to B padding bytes (a whole block when
 * inputLen is a multiple of B). Returns L. Query mode (output NULL or
 * outputLen <= 0) returns L and writes nothing. The input may be where the
 * ciphertext goes or anywhere else in output. Errors (negative), in this
 * order: the resolution above; -BAD_LENGTH_ERROR: inputLen < 0, or L above
 * INT32_MAX; (query here); -NULL_ERROR: input NULL with inputLen > 0, or key
 * NULL; -SHORT_BUF_ERROR: outputLen < L; -BAD_LENGTH_ERROR: ECB or CBC
 * without padding and inputLen not a multiple of B; -BAD_IV_ERROR: iv NULL
 * in a mode other than ECB. */
TESSALIB_API int32_t TESSALIB_CALL CIPHER_EncryptBytes(unsigned char *output, int32_t outputLen, const unsigned char *input, int32_t inputLen, const unsigned char *key, int32_t keyLen, const unsigned char *iv, int32_t ivLen, const char *algModeText, int32_t options);

/* CIPHER_DecryptBytes: decrypts inputLen bytes of input (with OPT_PREFIX_IV:
 * the first B bytes are the IV, iv and ivLen are not used, and the rest is
 * the ciphertext), removes the padding (ECB and CBC with padding) and writes
 * the plaintext to output; returns its length. Query mode (output NULL or
 * outputLen 0): without padding it returns the ciphertext length; with
 * padding it decrypts into a temporary buffer (so it needs the real key, IV
 * and data) and returns the exact plaintext length. Errors (negative), in
 * this order: the resolution above; -BAD_LENGTH_ERROR: inputLen < 0;
 * -BAD_PARAM_ERROR: outputLen < 0; -NULL_ERROR: input NULL with inputLen > 0,
 * or key NULL; -BAD_LENGTH_ERROR: with OPT_PREFIX_IV, inputLen < B;
 * -SHORT_BUF_ERROR: without padding, outputLen < the ciphertext length;
 * -MEMORY_ERROR: the temporary buffer; the cipher's codes (-BAD_LENGTH_ERROR
 * for ECB or CBC data that is not whole blocks, -BAD_IV_ERROR for a NULL iv);
 * -BAD_LENGTH_ERROR: with padding, a ciphertext shorter than B or not whole
 * blocks; -DECRYPT_ERROR: the padding is not valid (the check cannot help
 * telling valid from invalid padding apart: CBC with padding is a padding
 * oracle by nature); -SHORT_BUF_ERROR: with padding, outputLen < the
 * plaintext. After a failure of the cipher or the padding, output may hold
 * partial results that must not be used. */
TESSALIB_API int32_t TESSALIB_CALL CIPHER_DecryptBytes(unsigned char *output, int32_t outputLen, const unsigned char *input, int32_t inputLen, const unsigned char *key, int32_t keyLen, const unsigned char *iv, int32_t ivLen, const char *algModeText, int32_t options);

/* CIPHER_EncryptBytes2, CIPHER_DecryptBytes2: the same functions under a
 * second name (every argument is passed on unchanged). */
TESSALIB_API int32_t TESSALIB_CALL CIPHER_EncryptBytes2(unsigned char *output, int32_t outputLen, const unsigned char *input, int32_t inputLen, const unsigned char *key, int32_t keyLen, const unsigned char *iv, int32_t ivLen, const char *algModeText, int32_t options);
TESSALIB_API int32_t TESSALIB_CALL CIPHER_DecryptBytes2(unsigned char *output, int32_t outputLen, const unsigned char *input, int32_t inputLen, const unsigned char *key, int32_t keyLen, const unsigned char *iv, int32_t ivLen, const char *algModeText, int32_t options);

/* CIPHER_EncryptHex, CIPHER_DecryptHex: CIPHER_EncryptBytes and
 * CIPHER_DecryptBytes on strict hex text (an even number of hex digits of
 * either case, nothing else; ivHex may be NULL: no IV). Writes the result as
 * upper-case hex with a NUL into output (outputLen characters plus the NUL)
 * and returns the number of characters, 2 x the byte result; an empty result
 * writes "" and returns 0. Query mode (output NULL or outputLen 0) returns
 * the characters needed. Errors (negative), in this order: -BAD_PARAM_ERROR:
 * dataHex or keyHex NULL or empty, or outputLen < 0; -INVALID_DATA_ERROR: a
 * text that is not strict hex (an odd length included); -MEMORY_ERROR: the
 * decoded or temporary buffers; then every error of the byte function (its
 * code, never doubled); -BAD_PARAM_ERROR: 2 x the result above INT32_MAX;
 * -SHORT_BUF_ERROR: outputLen < 2 x the result. */
TESSALIB_API int32_t TESSALIB_CALL CIPHER_EncryptHex(char *output, int32_t outputLen, const char *dataHex, const char *keyHex, const char *ivHex, const char *algModeText, int32_t options);
TESSALIB_API int32_t TESSALIB_CALL CIPHER_DecryptHex(char *output, int32_t outputLen, const char *dataHex, const char *keyHex, const char *ivHex, const char *algModeText, int32_t options);

/* CIPHER_Init: opens the thread's CIPHER context for the algorithm and mode
 * (resolved as above) in the direction of encrypt (nonzero encrypts) and
 * returns its handle (odd, 1 to 0x3FFFFFFF), or 0 with the reason as the
 * thread's last error (its absolute value): the resolution's codes;
 * NULL_ERROR: key NULL; BAD_IV_ERROR: iv NULL in a mode other than ECB. The
 * padding field and OPT_PREFIX_IV are accepted and have no effect: the
 * context never pads and never prefixes. Any open CIPHER context of the
 * thread ends first (and is wiped), whether or not this call succeeds. */
TESSALIB_API int32_t TESSALIB_CALL CIPHER_Init(int32_t encrypt, const char *algModeText, const unsigned char *key, int32_t keyLen, const unsigned char *iv, int32_t ivLen, int32_t options);

/* CIPHER_InitHex: CIPHER_Init with the key and the IV (may be NULL: no IV)
 * in hex. Reasons, in order: BAD_PARAM_ERROR: keyHex NULL or empty;
 * INVALID_DATA_ERROR: a character of keyHex or ivHex that is not a hex
 * digit; then those of CIPHER_Init, where a key text of odd length fails the
 * key length (BAD_KEY_LEN_ERROR) and an IV text of odd length the IV length
 * (BAD_IV_LEN_ERROR; not looked at in ECB). */
TESSALIB_API int32_t TESSALIB_CALL CIPHER_InitHex(int32_t encrypt, const char *algModeText, const char *keyHex, const char *ivHex, int32_t options);

/* CIPHER_Update: runs inputLen bytes of input through the open context into
 * output (exactly inputLen bytes; output may equal input); the chaining
 * state carries to the next call (as AES128_Update); nothing is padded.
 * Returns 0. Errors (negative), in this order: -INVALID_HANDLE_ERROR;
 * -NULL_ERROR: output NULL, or input NULL with inputLen > 0;
 * -BAD_LENGTH_ERROR: inputLen < 0; -SHORT_BUF_ERROR: outputLen < inputLen;
 * -BAD_LENGTH_ERROR: ECB or CBC with inputLen not a multiple of the block
 * (the context is unchanged). */
TESSALIB_API int32_t TESSALIB_CALL CIPHER_Update(int32_t handle, unsigned char *output, int32_t outputLen, const unsigned char *input, int32_t inputLen);

/* CIPHER_UpdateHex: CIPHER_Update on strict hex text, the result written to
 * output as upper-case hex of the same length with a NUL. A NULL or empty
 * dataHex writes "" (when outputLen >= 0) and returns 0. Errors (negative),
 * in this order: -NULL_ERROR: output NULL; -INVALID_DATA_ERROR: a character
 * that is not a hex digit; -SHORT_BUF_ERROR: dataHex longer than outputLen
 * characters; -INVALID_DATA_ERROR: an odd number of characters;
 * -MEMORY_ERROR; then CIPHER_Update's codes. */
TESSALIB_API int32_t TESSALIB_CALL CIPHER_UpdateHex(int32_t handle, char *output, int32_t outputLen, const char *dataHex);

/* CIPHER_Final: with the thread's live CIPHER handle wipes the context, ends
 * it and returns 0; any other value (a second call included) returns
 * -INVALID_HANDLE_ERROR. */
TESSALIB_API int32_t TESSALIB_CALL CIPHER_Final(int32_t handle);

/* CIPHER_FileEncrypt, CIPHER_FileDecrypt: the file procedure of the XXX_File
 * functions above for AES and Triple DES, with the algorithm, mode and
 * padding resolved as above (CIPHER_FileDecrypt with OPT_PREFIX_IV checks
 * only the key length) and the resolved option word as its options
 * (OPT_PREFIX_IV, the padding field and bit 0x2000 apply). Note that files
 * are always padded in ECB and CBC: "nopadding" encrypts with PKCS #5 and,
 * when decrypting, leaves the padding in the output. Returns 0 or a negated
 * code: the resolution's, then the procedure's (-OPEN_ERROR for a missing
 * input, -DUP_ERROR, ...). Framed, with a fast entropy sample at entry. */
TESSALIB_API int32_t TESSALIB_CALL CIPHER_FileEncrypt(const char *outFile, const char *inFile, const unsigned char *key, int32_t keyLen, const unsigned char *iv, int32_t ivLen, const char *algModeText, int32_t options);
TESSALIB_API int32_t TESSALIB_CALL CIPHER_FileDecrypt(const char *outFile, const char *inFile, const unsigned char *key, int32_t keyLen, const unsigned char *iv, int32_t ivLen, const char *algModeText, int32_t options);

/*
 * PAD_: block padding for blocks of blockLen 8 or 16 bytes. Padding adds
 * n = blockLen - (length mod blockLen) bytes, 1 to blockLen:
 *   CIPHER_PAD_ONEANDZEROES (0x30000): 0x80 then n - 1 zero bytes; removal
 *     takes zero bytes back from the end to a 0x80 within the last block;
 *   CIPHER_PAD_ANSIX923 (0x40000): n - 1 zero bytes, then the byte n;
 *   CIPHER_PAD_W3C (0x50000): written as PKCS #5; on removal only the last
 *     byte (1 to blockLen) is looked at;
 *   any other padding field (0, CIPHER_PAD_NONE and CIPHER_PAD_PKCS5
 *     included): PKCS #5, n bytes of value n (the PKCS #7 rule).
 * Removal looks at the whole last block without a branch on its bytes and
 * gives DECRYPT_ERROR for invalid padding. Every function is framed; results
 * are lengths, errors negated.
 */

/* PAD_BytesBlock: copies inputLen bytes of input to output (may be the same
 * buffer) and appends the padding; returns the padded length inputLen + n.
 * Query mode (output NULL or outputLen < 1) returns it and writes nothing.
 * Errors (negative), in this order: -BAD_BLK_LEN_ERROR: blockLen not 8 or
 * 16; -NULL_ERROR: input NULL with inputLen > 0; -BAD_PARAM_ERROR: inputLen
 * < 0, or the padded length above INT32_MAX; -SHORT_BUF_ERROR. */
TESSALIB_API int32_t TESSALIB_CALL PAD_BytesBlock(unsigned char *output, int32_t outputLen, const unsigned char *input, int32_t inputLen, int32_t blockLen, int32_t options);

/* PAD_UnpadBytes: checks the padding at the end of inputLen bytes of input
 * and moves what comes before it to output (may be the same buffer);
 * returns that length. No query mode. Errors (negative), in this order:
 * -BAD_BLK_LEN_ERROR; -NULL_ERROR: input or output NULL; -BAD_LENGTH_ERROR:
 * inputLen below blockLen or not a multiple of it; -DECRYPT_ERROR: invalid
 * padding; -SHORT_BUF_ERROR: outputLen below the unpadded length. */
TESSALIB_API int32_t TESSALIB_CALL PAD_UnpadBytes(unsigned char *output, int32_t outputLen, const unsigned char *input, int32_t inputLen, int32_t blockLen, int32_t options);

/* PAD_HexBlock: copies the text inputHex to output unchanged (its characters
 * are not checked) and appends the padding of its length / 2 bytes as
 * upper-case hex, then a NUL; returns the characters, 2 x (k + n). Query mode
 * (output NULL or outputLen < 1) returns that number. Errors (negative), in
 * this order: -BAD_BLK_LEN_ERROR; -NULL_ERROR: inputHex NULL;
 * -BAD_FORMAT_ERROR: an odd length; -BAD_PARAM_ERROR: the result above
 * INT32_MAX; -SHORT_BUF_ERROR. */
TESSALIB_API int32_t TESSALIB_CALL PAD_HexBlock(char *output, int32_t outputLen, const char *inputHex, int32_t blockLen, int32_t options);

/* PAD_UnpadHex: checks the padding of the hex text inputHex (its last
 * blockLen character pairs, each read as a hex number) and copies the
 * characters before it to output with a NUL; returns their number. Query
 * mode needs a non-NULL output with outputLen < 1. Errors (negative), in
 * this order: -BAD_BLK_LEN_ERROR; -NULL_ERROR: inputHex or output NULL;
 * -BAD_FORMAT_ERROR: empty or of odd length; -BAD_LENGTH_ERROR: fewer than
 * blockLen bytes or not a multiple of it; -DECRYPT_ERROR; -SHORT_BUF_ERROR. */
TESSALIB_API int32_t TESSALIB_CALL PAD_UnpadHex(char *output, int32_t outputLen, const char *inputHex, int32_t blockLen, int32_t options);

/*
 * Key wrap: CIPHER_KeyWrap and CIPHER_KeyUnwrap protect one key (keyData)
 * under another (the key-encryption key, kek). The algorithm field of
 * options (no other bit is read) chooses:
 *   CIPHER_ALG_AES128/192/256: AES key wrap of RFC 3394 with its default
 *     initial value A6A6A6A6A6A6A6A6, a KEK of 16/24/32 bytes; key data of
 *     n x 8 bytes, n >= 2; wrapped n x 8 + 8 bytes.
 *   CIPHER_ALG_TDEA: Triple DES key wrap of RFC 3217 with a 24-byte KEK; the
 *     key data is one 24-byte Triple DES key, used with its parity bits as
 *     given; wrapped 40 bytes. The 8-byte IV of the inner pass comes from the
 *     library's handle generator seeded with the KEK: it is not secret and
 *     not part of the format, and two wraps of one key differ.
 * Both take a fast entropy sample; results are lengths, errors negated. An
 * unwrap whose integrity check fails (a wrong KEK, altered data) fills all
 * outputLen bytes of output with zeros and returns -1 (last error 1): no
 * partial key is ever left behind. The check takes the same time whatever
 * the bytes.
 */

/* CIPHER_KeyWrap: wraps keyDataLen bytes of keyData; returns the wrapped
 * length. Query mode (output NULL or outputLen 0) returns it. Errors
 * (negative), in this order: -BAD_FLAG_ERROR; -BAD_KEY_LEN_ERROR (kekLen);
 * -BAD_LENGTH_ERROR: AES key data shorter than 16 bytes or not a multiple of
 * 8 (or its wrapped length above INT32_MAX), Triple DES key data not 24
 * bytes; (query here); -NULL_ERROR: kek or keyData NULL; -SHORT_BUF_ERROR. */
TESSALIB_API int32_t TESSALIB_CALL CIPHER_KeyWrap(unsigned char *output, int32_t outputLen, const unsigned char *keyData, int32_t keyDataLen, const unsigned char *kek, int32_t kekLen, int32_t options);

/* CIPHER_KeyUnwrap: unwraps wrappedLen bytes of wrapped; returns the key
 * length (wrappedLen - 8 for AES, 24 for Triple DES). Query mode (output
 * NULL or outputLen < 1) returns it. Errors (negative), in this order:
 * -BAD_FLAG_ERROR; -BAD_KEY_LEN_ERROR; -BAD_LENGTH_ERROR: AES wrapped data
 * shorter than 24 bytes or not a multiple of 8, Triple DES not 40 bytes;
 * (query here); -NULL_ERROR: kek or wrapped NULL; -SHORT_BUF_ERROR; -1: the
 * integrity check failed (output zero-filled). */
TESSALIB_API int32_t TESSALIB_CALL CIPHER_KeyUnwrap(unsigned char *output, int32_t outputLen, const unsigned char *wrapped, int32_t wrappedLen, const unsigned char *kek, int32_t kekLen, int32_t options);

/* ------------------------------------------------------------------------ */
/* HASH_: message digests                                                    */
/* ------------------------------------------------------------------------ */
/*
 * Hash algorithm codes: the low four bits of an option word (the whole low
 * byte for the two Ascon codes). 9, 14 and every other value with a low
 * nibble of 15 are unassigned and refused with BAD_FLAG_ERROR.
 *
 *   code  algorithm                           digest  block (rate)
 *   0     SHA-1                               20      64
 *   1     MD5                                 16      64
 *   2     MD2                                 16      16
 *   3     SHA-256                             32      64
 *   4     SHA-384                             48      128
 *   5     SHA-512                             64      128
 *   6     SHA-224                             28      64
 *   7     RIPEMD-160                          20      64
 *   8     HASH160: RIPEMD-160 of SHA-256      20      -
 *   10-13 SHA3-224, SHA3-256, SHA3-384, SHA3-512  28, 32, 48, 64  144, 136, 104, 72
 *   0xAF  Ascon-Hash (version 1.2)            32      8
 *   0xBF  Ascon-Hasha (version 1.2)           32      8
 *
 * Other bits of the option word are ignored (0x13 is SHA-256), except the
 * two options below and HASH_Length, which refuses option words of 256 or more.
 * Digests are written as lower-case hex where the output is text.
 *
 * Caller-sized buffers. In the hash, MAC and key-derivation families a
 * buffer whose size comes from the caller (the decoded copy of a hex text, a
 * derived key, scrypt's work areas) is allocated only after every argument
 * that can be checked has been (text, option, lengths), and a failed
 * allocation is MEMORY_ERROR (5) in the export's sign with nothing written:
 * a long text never ends the process.
 */
#define HASH_ALG_SHA1        0
#define HASH_ALG_MD5         1
#define HASH_ALG_MD2         2
#define HASH_ALG_SHA256      3
#define HASH_ALG_SHA384      4
#define HASH_ALG_SHA512      5
#define HASH_ALG_SHA224      6
#define HASH_ALG_RMD160      7
#define HASH_ALG_HASH160     8
#define HASH_ALG_SHA3_224    10
#define HASH_ALG_SHA3_256    11
#define HASH_ALG_SHA3_384    12
#define HASH_ALG_SHA3_512    13
#define HASH_ALG_ASCON_HASH  0xAF
#define HASH_ALG_ASCON_HASHA 0xBF
/* HASH_File, HASH_HexFromFile: read the file in text mode. The library
 * translates text itself, the same on every platform: CR LF is read as LF
 * (also when the pair straddles two reads), a lone CR is kept, and a byte
 * 0x1A ends the input. */
#define HASH_OPT_TEXT        0x10000
/* Codes 0-7 only: hash the digest once more with the same algorithm (code 3:
 * double SHA-256). Honoured by HASH_Bytes, HASH_HexFromBytes, HASH_HexFromHex,
 * HASH_File and HASH_HexFromFile; ignored elsewhere. */
#define HASH_OPT_DOUBLE      0x20000

/* HASH_Bytes: digest of message[0..messageLen) with the algorithm of options.
 * Writes min(outputLen, digest length) bytes to output (the leading bytes when
 * outputLen is short; not an error) and returns that number. Query mode (NULL
 * output or outputLen < 1) returns the digest length. message may be NULL when
 * messageLen is 0. Errors (negative): -BAD_PARAM_ERROR for a NULL message with
 * messageLen > 0 or messageLen < 0; -BAD_FLAG_ERROR for an unassigned code.
 * Framed. */
TESSALIB_API int32_t TESSALIB_CALL HASH_Bytes(unsigned char *output, int32_t outputLen, const unsigned char *message, int32_t messageLen, int32_t options);

/* HASH_File: digest of the file fileName, read in binary mode or, with
 * HASH_OPT_TEXT, in text mode (see HASH_OPT_TEXT), in 1024-byte chunks. Codes
 * 0-8 and 10-13 only (no Ascon). Output and query mode as HASH_Bytes; a query
 * still reads the file. Errors (negative), in this order: -BAD_PARAM_ERROR for
 * a NULL or empty fileName; -OPEN_ERROR when the file cannot be opened;
 * -BAD_FLAG_ERROR for a code not accepted here; -READ_ERROR when the stream
 * reports a read error (then nothing is written: a digest of the part read
 * before the error is never returned). Framed. */
TESSALIB_API int32_t TESSALIB_CALL HASH_File(unsigned char *output, int32_t outputLen, const char *fileName, int32_t options);

/* HASH_HexFromBytes: the digest of message[0..messageLen) as lower-case hex.
 * Writes the leading n bytes of the digest as 2n characters plus a NUL, n being
 * the digest length or floor(maxChars / 2) when maxChars is smaller than twice
 * the digest length (output must hold maxChars + 1 bytes); returns 2n. Query
 * mode (NULL output or maxChars < 1; a negative maxChars counts as 0) returns
 * twice the digest length. Errors as HASH_Bytes. Framed. */
TESSALIB_API int32_t TESSALIB_CALL HASH_HexFromBytes(char *output, int32_t maxChars, const unsigned char *message, int32_t messageLen, int32_t options);

/* HASH_HexFromBits: hex digest of a bit string of nbits bits: the first
 * nbits / 8 bytes of message are whole bytes and, when nbits % 8 = r is not 0,
 * the next byte carries the last r bits in its most significant bits. SHA-1
 * and SHA-2 take that byte with its unused low bits as supplied (they must be
 * zero for the standard digest of the bit string); SHA-3 discards them. Codes
 * 0, 3, 4, 5, 6 and 10-13 only; HASH_OPT_DOUBLE has no effect. Output and query
 * mode (NULL output or maxChars < 1) as HASH_HexFromBytes. Errors (negative),
 * in this order: -BAD_PARAM_ERROR for a NULL message with nbits > 0;
 * -OUT_OF_RANGE_ERROR for nbits < 0; -BAD_PARAM_ERROR for a NULL message (also
 * with nbits 0); -BAD_FLAG_ERROR for another code. Framed. */
TESSALIB_API int32_t TESSALIB_CALL HASH_HexFromBits(char *output, int32_t maxChars, const unsigned char *message, int32_t nbits, int32_t options);

/* HASH_HexFromHex: as HASH_HexFromBytes for the bytes the hex string
 * messageHex encodes (an even number of hex digits of either case and nothing
 * else; an empty string is the empty message). Errors (negative), in this
 * order: -BAD_PARAM_ERROR for a NULL messageHex; -INVALID_DATA_ERROR for an odd
 * number of characters or a character that is not a hex digit; -BAD_FLAG_ERROR
 * for an unassigned code; -MEMORY_ERROR when the decoded copy cannot be
 * allocated (nothing is written). The decoded copy is wiped and freed before
 * return. Framed. */
TESSALIB_API int32_t TESSALIB_CALL HASH_HexFromHex(char *output, int32_t maxChars, const char *messageHex, int32_t options);

/* HASH_HexFromFile: as HASH_File with hex output as HASH_HexFromBytes (query
 * mode: NULL output or maxChars < 1). Errors as HASH_File, -READ_ERROR
 * included. Framed. */
TESSALIB_API int32_t TESSALIB_CALL HASH_HexFromFile(char *output, int32_t maxChars, const char *fileName, int32_t options);

/* HASH_Length: the digest length in bytes of the algorithm of options.
 * Errors: -BAD_FLAG_ERROR for an option word below 0 or of 256 or more, or an
 * unassigned code. Framed. */
TESSALIB_API int32_t TESSALIB_CALL HASH_Length(int32_t options);

/* HASH_Init: starts a streaming digest in the calling thread's HASH slot with
 * the code in the low four bits of options (0, 3, 4, 5, 6 and 10-13 only) and
 * returns its handle (odd, nonzero). Any context the slot held is abandoned
 * and wiped, also when the call fails. Failure: returns 0 and records
 * NOT_SUPPORTED_ERROR. Framed. The HASH slot is separate from the SHA1_,
 * SHA2_, SHA3_, MD5_ and MAC_ slots. */
TESSALIB_API int32_t TESSALIB_CALL HASH_Init(int32_t options);

/* HASH_AddBytes: adds data[0..dataLen) to the context of handle (the calling
 * thread's HASH slot). Returns 0. Errors (negative), in this order:
 * -INVALID_HANDLE_ERROR for a handle other than the live one (0 included);
 * -BAD_PARAM_ERROR for a NULL data (even with dataLen 0) or dataLen < 0.
 * A failed call leaves the context as it was. Framed. */
TESSALIB_API int32_t TESSALIB_CALL HASH_AddBytes(int32_t handle, const unsigned char *data, int32_t dataLen);

/* HASH_Final: finishes the context of handle, writes min(outputLen, digest
 * length) bytes of the digest to output and returns that number; the slot is
 * then wiped and the handle no longer valid. Errors (negative), in this
 * order: -BAD_PARAM_ERROR for a NULL output or outputLen < 1;
 * -INVALID_HANDLE_ERROR. A failed call leaves the context as it was. Framed. */
TESSALIB_API int32_t TESSALIB_CALL HASH_Final(unsigned char *output, int32_t outputLen, int32_t handle);

/* HASH_DigestLength: the digest length in bytes of the context of handle
 * (20, 28, 32, 48 or 64); the context is unchanged. Error:
 * -INVALID_HANDLE_ERROR. Framed. */
TESSALIB_API int32_t TESSALIB_CALL HASH_DigestLength(int32_t handle);

/* HASH_Reset: wipes the context of handle without producing a digest; the
 * handle is no longer valid. Returns 0, or -INVALID_HANDLE_ERROR. Framed. */
TESSALIB_API int32_t TESSALIB_CALL HASH_Reset(int32_t handle);

/* ------------------------------------------------------------------------ */
/* SHA1_, SHA2_, SHA3_, MD5_: per-algorithm hash families                    */
/* ------------------------------------------------------------------------ */
/*
 * Fixed-algorithm hash families: SHA1_ (SHA-1, 20-byte digest, 40 hex
 * characters), SHA2_ (SHA-256, 32 bytes, 64 characters), MD5_ (MD5, 16 bytes,
 * 32 characters) and SHA3_ (SHA3-224/256/384/512, streaming only).
 *
 * Results are 0 or a POSITIVE error code (OPEN_ERROR 1, READ_ERROR 3,
 * MEMORY_ERROR 5, BAD_PARAM_ERROR 6, INVALID_HANDLE_ERROR 64), recorded as
 * the thread's last error, except where a comment says otherwise
 * (SHA3_HexDigest and SHA3_LengthInBytes return negative codes; the _Init
 * members return handles).
 * Hex output is lower case with a NUL; the output string must hold 41 (SHA1_),
 * 65 (SHA2_) or 33 (MD5_) bytes. Strings are hashed byte for byte up to their
 * NUL. Null pointers are never dereferenced: a NULL message, string, file name,
 * mode, raw-digest buffer, or data with a positive length is BAD_PARAM_ERROR
 * (6), checked where the length is checked (after the handle for the
 * streaming members). Each family keeps one streaming context per thread in
 * its own slot; a handle is valid only in the thread that got it, until the
 * HexDigest or Reset member or the next Init of the same family.
 * Files are read in 1024-byte chunks, in binary mode or, when the mode string
 * begins with "t" or "T", in text mode translated as HASH_OPT_TEXT describes.
 * After a read error the result is READ_ERROR (3) and nothing is written.
 *
 * Members (XXX is SHA1, SHA2 or MD5):
 *
 * XXX_StringHexHash (output, message): hex digest of the string message;
 *   a NULL output computes and writes nothing; 0, or 6 for a NULL message.
 * XXX_BytesHexHash (output, message, messageLen): hex digest of the bytes;
 *   a NULL output writes nothing; 6 for messageLen < 0 or a NULL message with
 *   messageLen > 0.
 * XXX_BytesHash (output, message, messageLen): the raw digest (20, 32 or 16
 *   bytes) in output; 6 as above and for a NULL output.
 * XXX_FileHexHash (output, fileName, mode): hex digest of a file; 6 for a NULL
 *   fileName or mode; 1 when the file cannot be opened; 3 on a read error.
 *   A NULL output writes nothing.
 * XXX_Init (): starts the family's streaming context in the calling thread
 *   (abandoning and wiping any earlier one) and returns its handle. Cannot fail.
 *   Unframed: the thread's last error is neither cleared nor set.
 * XXX_AddString (handle, text): adds the string's bytes; 64 for a handle
 *   other than the live one, then 6 for a NULL text.
 * XXX_AddBytes (handle, data, dataLen): adds the bytes; 64, then 6 for
 *   dataLen < 0 or a NULL data with dataLen > 0. A failed call changes nothing.
 * XXX_HexDigest (output, handle): finishes the context, ends the handle and
 *   wipes the slot, then writes the hex digest when output is not NULL; 64 for
 *   a bad handle.
 * XXX_Reset (handle): wipes the context and ends the handle; 0 or 64.
 * All members except Init are framed.
 */
TESSALIB_API int32_t TESSALIB_CALL SHA1_StringHexHash(char *output, const char *message);
TESSALIB_API int32_t TESSALIB_CALL SHA1_BytesHexHash(char *output, const unsigned char *message, int32_t messageLen);
TESSALIB_API int32_t TESSALIB_CALL SHA1_BytesHash(unsigned char *output, const unsigned char *message, int32_t messageLen);
TESSALIB_API int32_t TESSALIB_CALL SHA1_FileHexHash(char *output, const char *fileName, const char *mode);
TESSALIB_API int32_t TESSALIB_CALL SHA1_Init(void);
TESSALIB_API int32_t TESSALIB_CALL SHA1_AddString(int32_t handle, const char *text);
TESSALIB_API int32_t TESSALIB_CALL SHA1_AddBytes(int32_t handle, const unsigned char *data, int32_t dataLen);
TESSALIB_API int32_t TESSALIB_CALL SHA1_HexDigest(char *output, int32_t handle);
TESSALIB_API int32_t TESSALIB_CALL SHA1_Reset(int32_t handle);

TESSALIB_API int32_t TESSALIB_CALL SHA2_StringHexHash(char *output, const char *message);
TESSALIB_API int32_t TESSALIB_CALL SHA2_BytesHexHash(char *output, const unsigned char *message, int32_t messageLen);
TESSALIB_API int32_t TESSALIB_CALL SHA2_BytesHash(unsigned char *output, const unsigned char *message, int32_t messageLen);
TESSALIB_API int32_t TESSALIB_CALL SHA2_FileHexHash(char *output, const char *fileName, const char *mode);
TESSALIB_API int32_t TESSALIB_CALL SHA2_Init(void);
TESSALIB_API int32_t TESSALIB_CALL SHA2_AddString(int32_t handle, const char *text);
TESSALIB_API int32_t TESSALIB_CALL SHA2_AddBytes(int32_t handle, const unsigned char *data, int32_t dataLen);
TESSALIB_API int32_t TESSALIB_CALL SHA2_HexDigest(char *output, int32_t handle);
TESSALIB_API int32_t TESSALIB_CALL SHA2_Reset(int32_t handle);

TESSALIB_API int32_t TESSALIB_CALL MD5_StringHexHash(char *output, const char *message);
TESSALIB_API int32_t TESSALIB_CALL MD5_BytesHexHash(char *output, const unsigned char *message, int32_t messageLen);
TESSALIB_API int32_t TESSALIB_CALL MD5_BytesHash(unsigned char *output, const unsigned char *message, int32_t messageLen);
TESSALIB_API int32_t TESSALIB_CALL MD5_FileHexHash(char *output, const char *fileName, const char *mode);
TESSALIB_API int32_t TESSALIB_CALL MD5_Init(void);
TESSALIB_API int32_t TESSALIB_CALL MD5_AddString(int32_t handle, const char *text);
TESSALIB_API int32_t TESSALIB_CALL MD5_AddBytes(int32_t handle, const unsigned char *data, int32_t dataLen);
TESSALIB_API int32_t TESSALIB_CALL MD5_HexDigest(char *output, int32_t handle);
TESSALIB_API int32_t TESSALIB_CALL MD5_Reset(int32_t handle);

/* SHA3_Init: empties the calling thread's SHA3_ slot, then for hashBits 224,
 * 256, 384 or 512 starts SHA-3 with that digest size and returns the new
 * handle; any other size returns 0 and records no error. Framed (the last
 * error is cleared). */
TESSALIB_API int32_t TESSALIB_CALL SHA3_Init(int32_t hashBits);
/* SHA3_AddString: adds the string's bytes. 0; +64 for a bad handle, then +6
 * for a NULL text. Framed. */
TESSALIB_API int32_t TESSALIB_CALL SHA3_AddString(int32_t handle, const char *text);
/* SHA3_AddBytes: adds data[0..dataLen). 0; +64 for a bad handle, then +6 for
 * dataLen < 0 or a NULL data with dataLen > 0. Framed. */
TESSALIB_API int32_t TESSALIB_CALL SHA3_AddBytes(int32_t handle, const unsigned char *data, int32_t dataLen);
/* SHA3_HexDigest: finishes the context (ending the handle and wiping the
 * slot), then writes at most floor(maxChars / 2) bytes of the digest (all of
 * them when they fit) as lower-case hex plus a NUL and returns the characters
 * written. Query mode (NULL output or maxChars < 1) returns twice the digest
 * length, writes nothing and also ends the context. Error: -64 (NEGATIVE) for
 * a bad handle. Framed. */
TESSALIB_API int32_t TESSALIB_CALL SHA3_HexDigest(char *output, int32_t maxChars, int32_t handle);
/* SHA3_LengthInBytes: the digest length in bytes (28, 32, 48 or 64) of the
 * context; -64 (NEGATIVE) for a bad handle. Framed. */
TESSALIB_API int32_t TESSALIB_CALL SHA3_LengthInBytes(int32_t handle);
/* SHA3_Reset: wipes the context and ends the handle. 0, or +64. Framed. */
TESSALIB_API int32_t TESSALIB_CALL SHA3_Reset(int32_t handle);

/* SHA1_Hmac, SHA2_Hmac, MD5_Hmac: HMAC-SHA-1, HMAC-SHA-256 or HMAC-MD5 of
 * message[0..messageLen) under key[0..keyLen) (any length, 0 included),
 * written as lower-case hex plus a NUL (40, 64 or 32 characters: output must
 * hold 41, 65 or 33 bytes). A NULL output computes and writes nothing.
 * Returns 0 or a POSITIVE code: 6 (BAD_PARAM_ERROR) for messageLen < 0,
 * keyLen < 0, or a NULL message or key with a positive length (a NULL key
 * with keyLen 0 is the empty key). Framed. No slot is touched. */
TESSALIB_API int32_t TESSALIB_CALL SHA1_Hmac(char *output, const unsigned char *message, int32_t messageLen, const unsigned char *key, int32_t keyLen);
TESSALIB_API int32_t TESSALIB_CALL SHA2_Hmac(char *output, const unsigned char *message, int32_t messageLen, const unsigned char *key, int32_t keyLen);
TESSALIB_API int32_t TESSALIB_CALL MD5_Hmac(char *output, const unsigned char *message, int32_t messageLen, const unsigned char *key, int32_t keyLen);
/* SHA1_HmacHex, SHA2_HmacHex, MD5_HmacHex: as the Hmac members for a
 * message and key given as hex text. Both are decoded leniently: characters
 * that are not hex digits are skipped (so "de:ad be-ef" is DE AD BE EF),
 * digits are paired in order and a last lone digit is dropped; a text with
 * no digits is empty. The decoded copies are wiped and freed before return.
 * Returns 0, or 6 for a NULL messageHex or keyHex, or 5 (MEMORY_ERROR) when a
 * decoded copy cannot be allocated (nothing is written). Framed. */
TESSALIB_API int32_t TESSALIB_CALL SHA1_HmacHex(char *output, const char *messageHex, const char *keyHex);
TESSALIB_API int32_t TESSALIB_CALL SHA2_HmacHex(char *output, const char *messageHex, const char *keyHex);
TESSALIB_API int32_t TESSALIB_CALL MD5_HmacHex(char *output, const char *messageHex, const char *keyHex);

/* ------------------------------------------------------------------------ */
/* MAC_: message authentication codes                                        */
/* ------------------------------------------------------------------------ */
/*
 * The MAC is chosen by the option word. With bit 0x100 set the low twelve bits
 * name a CMAC, with bit 0x200 set (and 0x100 clear) Poly1305 or KMAC; with
 * neither, the MAC is HMAC and the low four bits are a hash code (HASH_ALG_*).
 * The one-shot functions ignore the bits above the low twelve (and, for HMAC,
 * all but the low four: 0x13 is HMAC-SHA-256); the streaming MAC_Init reads
 * the low twelve bits and accepts only the HMAC codes listed there.
 *
 *   option               MAC                         key bytes   tag bytes
 *   MAC_HMAC_SHA1..      HMAC with the hash code     any         digest length
 *   MAC_CMAC_TDEA        CMAC, three-key Triple DES  24          8
 *   MAC_CMAC_AES128      CMAC, AES-128               16          16
 *   MAC_CMAC_AES192      CMAC, AES-192               24          16
 *   MAC_CMAC_AES256      CMAC, AES-256               32          16
 *   MAC_POLY1305         Poly1305 (one-time key)     32          16
 *   MAC_KMAC128          KMAC128, L = 256 bits       any         32
 *   MAC_KMAC256          KMAC256, L = 512 bits       any         64
 *
 * HMAC hash codes 2 (MD2), 8 (HASH160), 9, 14 and 15, and every other value
 * in the CMAC and 0x200 groups, are BAD_FLAG_ERROR. HMAC keys longer than the
 * hash block (the rate for SHA-3) are replaced by their digest. KMAC uses an
 * empty customization string here (PRF_Bytes takes one) and its output length
 * is an input of the computation, so a KMAC tag is never truncated: a short
 * buffer is SHORT_BUF_ERROR. Key, customization and output lengths are encoded
 * in full (up to eight bytes), so KMAC is correct at any length. Triple DES
 * parity and weak keys are not checked. Outputs may overlap the message and
 * the key: the inputs are read in full before the first output byte is
 * written.
 */
#define MAC_HMAC_SHA1       0
#define MAC_HMAC_MD5        1
#define MAC_HMAC_SHA256     3
#define MAC_HMAC_SHA384     4
#define MAC_HMAC_SHA512     5
#define MAC_HMAC_SHA224     6
#define MAC_HMAC_RMD160     7
#define MAC_HMAC_SHA3_224   10
#define MAC_HMAC_SHA3_256   11
#define MAC_HMAC_SHA3_384   12
#define MAC_HMAC_SHA3_512   13
#define MAC_CMAC_TDEA       0x100
#define MAC_CMAC_AES128     0x101
#define MAC_CMAC_AES192     0x102
#define MAC_CMAC_AES256     0x103
#define MAC_POLY1305        0x200
#define MAC_KMAC128         0x201
#define MAC_KMAC256         0x202

/* MAC_Bytes: the MAC of message[0..messageLen) under key[0..keyLen) with the
 * algorithm of options. HMAC, CMAC and Poly1305: the tag is computed in full
 * and min(outputLen, tag length) leading bytes are written (a short buffer
 * truncates; not an error); returns that number. KMAC writes the whole tag
 * and refuses an outputLen below it. Query mode (NULL output or outputLen 0)
 * returns the tag length. message may be NULL when messageLen is 0; key must
 * not be NULL, but keyLen 0 is allowed for HMAC and KMAC. Errors (negative),
 * in this order: -BAD_PARAM_ERROR for a NULL message with messageLen > 0,
 * outputLen < 0, messageLen < 0, a NULL key or keyLen < 0; -BAD_FLAG_ERROR for
 * an unassigned option; -BAD_KEY_LEN_ERROR for a CMAC or Poly1305 key of the
 * wrong length; -SHORT_BUF_ERROR for a KMAC outputLen below 32 (KMAC128) or
 * 64 (KMAC256). Local tag copies are wiped. Framed; no slot is touched. */
TESSALIB_API int32_t TESSALIB_CALL MAC_Bytes(unsigned char *output, int32_t outputLen, const unsigned char *message, int32_t messageLen, const unsigned char *key, int32_t keyLen, int32_t options);

/* MAC_HexFromBytes: as MAC_Bytes with lower-case hex output. Writes the
 * leading n bytes of the tag as 2n characters plus a NUL, n being the tag
 * length or floor(maxChars / 2) when maxChars is smaller than twice the tag
 * length (output must hold maxChars + 1 bytes); returns 2n. KMAC refuses a
 * maxChars below twice its tag length with -SHORT_BUF_ERROR. Query mode (NULL
 * output or maxChars < 1: a negative maximum counts as 0) returns twice the
 * tag length. Errors as MAC_Bytes (maxChars is not checked); on an error
 * nothing is written. Framed. */
TESSALIB_API int32_t TESSALIB_CALL MAC_HexFromBytes(char *output, int32_t maxChars, const unsigned char *message, int32_t messageLen, const unsigned char *key, int32_t keyLen, int32_t options);

/* MAC_HexFromHex: as MAC_HexFromBytes for a message and key given as hex (an
 * even number of hex digits of either case and nothing else; an empty message
 * text is the empty message). Errors (negative), in this order:
 * -BAD_PARAM_ERROR for a NULL messageHex or keyHex; -BAD_FLAG_ERROR for an
 * unassigned option in the 0x200 group; -BAD_KEY_LEN_ERROR for an empty key
 * text (HMAC, CMAC, Poly1305; for KMAC it is the empty key);
 * -BAD_FORMAT_ERROR for a key that is not valid hex; -BAD_KEY_LEN_ERROR for a
 * Poly1305 key that is not 32 bytes; -BAD_FORMAT_ERROR for a message that is
 * not valid hex; then the errors of MAC_HexFromBytes; last, -MEMORY_ERROR
 * when the decoded copies cannot be allocated (nothing is written). The
 * decoded copies are wiped and freed before return. Framed. */
TESSALIB_API int32_t TESSALIB_CALL MAC_HexFromHex(char *output, int32_t maxChars, const char *messageHex, const char *keyHex, int32_t options);

/* MAC_Init: starts a streaming HMAC in the calling thread's MAC slot with the
 * key and the hash code options & 0xFFF (0, 3, 4, 5, 6 and 10-13 only:
 * HMAC-MD5, HMAC-RIPEMD-160, CMAC, Poly1305 and KMAC are one-shot only) and
 * returns its handle (odd, nonzero). The key's padded blocks are hashed once
 * here. Failure returns 0: a NULL key or keyLen < 1 records BAD_PARAM_ERROR
 * and leaves the slot as it was; an option not accepted records
 * NOT_SUPPORTED_ERROR after the slot's earlier context has been ended and
 * wiped. A successful call abandons any earlier context of the slot.
 * Framed. The MAC slot is separate from the HASH_ and per-algorithm slots. */
TESSALIB_API int32_t TESSALIB_CALL MAC_Init(const unsigned char *key, int32_t keyLen, int32_t options);

/* MAC_AddBytes: adds data[0..dataLen) to the context of handle. Returns 0.
 * Errors (negative), in this order: -INVALID_HANDLE_ERROR for a handle other
 * than the live one (0 included); -BAD_PARAM_ERROR for a NULL data (even with
 * dataLen 0) or dataLen < 0. A failed call leaves the context as it was.
 * Framed. */
TESSALIB_API int32_t TESSALIB_CALL MAC_AddBytes(int32_t handle, const unsigned char *data, int32_t dataLen);

/* MAC_Final: finishes the context of handle, writes min(outputLen, tag
 * length) bytes of the tag and returns that number; the slot is wiped and the
 * handle ends. Errors (negative), in this order: -BAD_PARAM_ERROR for a NULL
 * output or outputLen < 1; -INVALID_HANDLE_ERROR. Framed. */
TESSALIB_API int32_t TESSALIB_CALL MAC_Final(unsigned char *output, int32_t outputLen, int32_t handle);

/* MAC_CodeLength: the tag length (20, 28, 32, 48 or 64) of the context of
 * handle, which is unchanged; -INVALID_HANDLE_ERROR for a bad handle. Framed. */
TESSALIB_API int32_t TESSALIB_CALL MAC_CodeLength(int32_t handle);

/* MAC_Reset: wipes the context of handle without a tag; the handle ends.
 * Returns 0, or -INVALID_HANDLE_ERROR. Framed. */
TESSALIB_API int32_t TESSALIB_CALL MAC_Reset(int32_t handle);

/* ------------------------------------------------------------------------ */
/* XOF_, PRF_: extendable-output and pseudo-random functions                 */
/* ------------------------------------------------------------------------ */
/* XOF_Bytes options (bits above the low twelve are ignored). MGF1 is RFC 8017
 * MGF1; the Ascon functions are those of Ascon version 1.2. In XOF_Bytes and
 * PRF_Bytes the output may overlap the message, key and customization string:
 * they are read in full before the first output byte is written. */
#define XOF_SHAKE128      0x203
#define XOF_SHAKE256      0x204
#define XOF_ASCON_XOF     0x20A
#define XOF_ASCON_XOFA    0x20B
#define XOF_MGF1_SHA1     0x210
#define XOF_MGF1_SHA256   0x213
#define XOF_MGF1_SHA384   0x214
#define XOF_MGF1_SHA512   0x215
#define XOF_MGF1_SHA224   0x216
/* PRF_Bytes options: KMAC with L = 8 x outputLen bits and the caller's
 * customization string. PRF_Bytes also takes XOF_SHAKE128 and XOF_SHAKE256. */
#define PRF_KMAC128       0x201
#define PRF_KMAC256       0x202

/* XOF_Bytes: writes exactly outputLen bytes of the extendable-output function
 * of options over message[0..messageLen) and returns outputLen. SHAKE and
 * Ascon-XOF with outputLen 0 write nothing and return 0; a longer request
 * begins with the bytes of a shorter one. MGF1 (options & 0xFF0 = 0x210, the
 * low four bits a hash code 0, 3, 4, 5 or 6) hashes seed || counter for the
 * 32-bit big-endian counters 0, 1, ... and keeps what is asked for; any seed
 * length works (no seed || counter copy is made). message may be NULL when
 * messageLen is 0. Errors (negative), in this order: -BAD_PARAM_ERROR for a
 * NULL output, outputLen < 0, a NULL message with messageLen > 0 or
 * messageLen < 0; -BAD_PARAM_ERROR for MGF1 with outputLen 0;
 * -BAD_FLAG_ERROR for MGF1 with another hash code or an option not listed.
 * Framed, with an entropy sample at entry. No slot is touched. */
TESSALIB_API int32_t TESSALIB_CALL XOF_Bytes(unsigned char *output, int32_t outputLen, const unsigned char *message, int32_t messageLen, int32_t options);

/* PRF_Bytes: with PRF_KMAC128 or PRF_KMAC256, writes outputLen bytes of KMAC
 * over message[0..messageLen) under key[0..keyLen) with L = 8 x outputLen
 * bits and the NUL-terminated customization string (NULL is the empty
 * string), and returns outputLen; the output length is an input, so the first
 * 32 bytes of a 64-byte result differ from a 32-byte result. A 32-byte
 * PRF_KMAC128 result with an empty customization string equals the MAC_Bytes
 * MAC_KMAC128 tag. outputLen 0 returns 0 and writes nothing. With
 * XOF_SHAKE128 or XOF_SHAKE256 it is XOF_Bytes of the message (key and
 * customization unused). Errors (negative), in this order: -BAD_PARAM_ERROR
 * for a NULL output, outputLen < 0, a NULL message (even with messageLen 0)
 * or messageLen < 0; -BAD_FLAG_ERROR for another option; for KMAC,
 * -BAD_PARAM_ERROR for keyLen < 0 or a NULL key with keyLen > 0 (checked
 * before the outputLen 0 shortcut). Lengths of any size are encoded in full.
 * Framed, with an entropy sample at entry. */
TESSALIB_API int32_t TESSALIB_CALL PRF_Bytes(unsigned char *output, int32_t outputLen, const unsigned char *message, int32_t messageLen, const unsigned char *key, int32_t keyLen, const char *customization, int32_t options);

/* ------------------------------------------------------------------------ */
/* PBE_: password-based key derivation                                       */
/* ------------------------------------------------------------------------ */
/*
 * PBKDF2 (RFC 8018) and scrypt (RFC 7914). The two pairs differ in sign:
 * PBE_Kdf2 and PBE_Kdf2Hex return 0 or a POSITIVE error code, PBE_Scrypt and
 * PBE_ScryptHex 0 or a NEGATIVE one; the last error is the code's magnitude
 * either way. The hex forms take the password as a NUL-terminated string
 * (its bytes as they are) and the salt as hex: an even number of hex digits
 * and nothing else, possibly empty. They write the key as 2 x dkLen upper-case
 * hex characters plus a NUL. Temporary buffers are wiped and freed. The
 * output may overlap the password and the salt.
 *
 * PBKDF2's PRF is HMAC with the hash code options & 0xF: HASH_ALG_SHA1,
 * HASH_ALG_SHA256, HASH_ALG_SHA384, HASH_ALG_SHA512 or HASH_ALG_SHA224; other
 * codes are BAD_PARAM_ERROR and the other option bits are ignored. The
 * iteration count has no upper limit.
 */

/* PBE_Kdf2: dkLen bytes of PBKDF2 into output. Returns 0, or (POSITIVE) in
 * this order: 14 (NULL_ERROR) for a NULL output, password or salt; 6
 * (BAD_PARAM_ERROR) for dkLen, passwordLen, saltLen or iterations below 1, or
 * an unsupported PRF (found before output is touched). Framed. */
TESSALIB_API int32_t TESSALIB_CALL PBE_Kdf2(unsigned char *output, int32_t dkLen, const unsigned char *password, int32_t passwordLen, const unsigned char *salt, int32_t saltLen, int32_t iterations, int32_t options);

/* PBE_Kdf2Hex: PBKDF2 of the password string (an empty one is allowed) and
 * the hex salt as hex into output (room for maxChars + 1 bytes). Returns 0,
 * or (POSITIVE) in this order: 14 for a NULL output, password or saltHex; 6
 * for maxChars, dkLen or iterations below 1, or a dkLen whose hex length
 * 2 x dkLen (computed in 64 bits) does not fit a positive int32_t; 30
 * (SHORT_BUF_ERROR) when maxChars < 2 x dkLen; 7 (BAD_FORMAT_ERROR) for
 * a salt that is not an even number of hex digits alone; 6 for an unsupported
 * PRF; 5 (MEMORY_ERROR) when the decoded salt or the key cannot be allocated
 * (nothing is written). Framed. */
TESSALIB_API int32_t TESSALIB_CALL PBE_Kdf2Hex(char *output, int32_t maxChars, int32_t dkLen, const char *password, const char *saltHex, int32_t iterations, int32_t options);

/* PBE_Scrypt: dkLen bytes of scrypt with cost N (a power of 2, at least 2),
 * block size r and parallelisation p into output. Memory: 128 x r x (N + p)
 * bytes and a little more, wiped before release. Returns 0, or (NEGATIVE) in
 * this order: -NULL_ERROR for a NULL output, or a NULL
 * password or salt with a nonzero length; -BAD_PARAM_ERROR for a negative
 * dkLen, passwordLen or saltLen; -BAD_PARAM_ERROR for dkLen, N, r or p equal
 * to 0; -OUT_OF_RANGE_ERROR when, taking each value as an unsigned 64-bit
 * number (a negative N, r or p becomes a huge one), r > 2^57 - 1,
 * p >= floor(2^30 / r), N < 2, N is not a power of 2 or N > floor((2^57 - 1)
 * / r); -MEMORY_ERROR when the work areas cannot be allocated (reported, not
 * fatal); -INTERNAL_ERROR if the inner PBKDF2 fails. Framed. */
TESSALIB_API int32_t TESSALIB_CALL PBE_Scrypt(unsigned char *output, int32_t dkLen, const unsigned char *password, int32_t passwordLen, const unsigned char *salt, int32_t saltLen, int32_t N, int32_t r, int32_t p);

/* PBE_ScryptHex: scrypt of the password string and the hex salt as hex into
 * output (room for maxChars + 1 bytes). Returns 0, or (NEGATIVE) in this
 * order: -NULL_ERROR for a NULL output, password or saltHex;
 * -BAD_PARAM_ERROR for maxChars, dkLen, N, r or p equal to 0, a negative
 * dkLen, or a dkLen whose hex length 2 x dkLen (computed in 64 bits) does not
 * fit a positive int32_t; -SHORT_BUF_ERROR when maxChars < 2 x dkLen (a
 * negative maxChars is short); -BAD_FORMAT_ERROR for a bad salt;
 * -OUT_OF_RANGE_ERROR as PBE_Scrypt; -MEMORY_ERROR when the decoded salt, the
 * key or the work areas cannot be allocated (nothing is written);
 * -INTERNAL_ERROR as PBE_Scrypt. Framed. */
TESSALIB_API int32_t TESSALIB_CALL PBE_ScryptHex(char *output, int32_t maxChars, int32_t dkLen, const char *password, const char *saltHex, int32_t N, int32_t r, int32_t p);

/* ------------------------------------------------------------------------ */
/* RNG_: random keys, nonces and numbers; seed files; tests; the prompt       */
/* ------------------------------------------------------------------------ */
/*
 * Every random byte comes from the calling thread's HMAC_DRBG (SP 800-90A)
 * over HMAC-SHA-512, instantiated at the thread's first request and reseeded
 * from a process-wide entropy accumulator: 32 pools, each a running SHA-512,
 * fed with small measurements of the system (the time, a tick count, memory,
 * disk and power statistics) that most exports take at entry, and drained on
 * the Fortuna schedule (pool i at every 2^i-th reseed), at most once per
 * 100 ms unless a state has made 2^30 steps. Instantiation also mixes in a
 * digest of user and machine information, a nonce (first time and process,
 * serial number), 48 bytes of the operating system's generator
 * (getrandom(), or the system-preferred generator of Windows) and, where the
 * processor has them, RDRAND/RDSEED words (any vendor's processor that
 * reports them). A health check runs when the library loads (the load fails
 * when it fails) and before every instantiation; every request ends with a
 * continuous test. In a child process made by fork() a thread's state is
 * made afresh before its first output, so parent and child never share
 * numbers.
 *
 * A failing generator is fatal, never a result: the key, nonce, number,
 * prompt and seed-file functions report "RNG failed continuous testing"
 * (event 0xC0001F48; see "Fatal-error reporting options") and end the process
 * with exit status 1. No zeros or stale bytes are ever returned as random.
 *
 * Behaviour that differs from older releases of this interface, on purpose:
 *   - Every instantiation mixes in the operating system's generator, so the
 *     seed is unpredictable with or without RDRAND/RDSEED.
 *   - RDRAND/RDSEED are used on any processor that reports them; CPUID leaf
 *     7 is read only when the processor has it.
 *   - After fork() the child's generator states start afresh before their
 *     first output.
 *   - A failing generator ends the process in every function that draws
 *     (numbers, nonces, seed files and the prompt too), never a result.
 *   - A thread that ends leaves the count of live generator instances only if
 *     its generator was instantiated, and the count never goes below zero.
 *   - Seed files are locked before they are truncated, and a failed flush to
 *     disk or close is PRNG_ERR_FILE_WRITE.
 *   - RNG_Number over the whole 32-bit range can return every value.
 *   - The console prompt ends at the end of its input or on a read error; on
 *     Windows a WM_QUIT message taken by the dialog's loop is posted again.
 *   - The entropy pools are set up once per process; RNG_TestDRBGVS has no
 *     65,536-byte limit and buffers its sizes without ending the process.
 *
 * At most 65536 bytes per key, nonce or prompt request (PRNG_ERR_TOOBIG).
 * The key, nonce and prompt functions return POSITIVE codes; the seed-file
 * functions, RNG_Test and RNG_TestDRBGVS negated ones. Every RNG_ function is
 * framed. Any number of threads may call them at once; each thread has its
 * own generator state.
 */
#define RNG_STRENGTH_112             0x00
#define RNG_STRENGTH_128             0x01
#define RNG_STRENGTH_192             0x02
#define RNG_STRENGTH_256             0x03
#define RNG_OPT_NO_CPU_RNG           0x80000   /* RNG_Initialize: never use RDRAND/RDSEED again */
#define RNG_OPT_DRBGVS_GENERATE_FIRST 0x10000  /* RNG_TestDRBGVS: generate, then reseed */
#define RNG_OPT_CONSOLE_PROMPT       0x100000  /* prompt on the console, not in a dialog */

/* RNG_KeyBytes: fills output[0..outputLen) with random bytes; seed (seedLen
 * bytes, NULL or 0 for none) is passed to the generator as additional input
 * (the first 64 bytes in the generate step, all of it in a reseed the request
 * makes). Returns 0 (outputLen 0 writes nothing), or POSITIVE:
 * BAD_PARAM_ERROR for a NULL output or outputLen < 0, PRNG_ERR_TOOBIG above
 * 65536, BAD_PARAM_ERROR for a seed with a negative seedLen. Framed; takes a
 * slow and a fast entropy sample. */
TESSALIB_API int32_t TESSALIB_CALL RNG_KeyBytes(unsigned char *output, int32_t outputLen, const unsigned char *seed, int32_t seedLen);

/* RNG_KeyHex: nBytes random bytes as upper-case hex in output (maxChars
 * characters plus a NUL); a short output keeps the whole byte pairs that fit,
 * without an error. Returns 0, or POSITIVE: NULL_ERROR for a NULL output or
 * maxChars < 1, BAD_PARAM_ERROR for nBytes < 1, PRNG_ERR_TOOBIG for nBytes
 * above 65536, BAD_PARAM_ERROR for a seed with a negative seedLen,
 * MEMORY_ERROR when the buffer cannot be had. Framed. */
TESSALIB_API int32_t TESSALIB_CALL RNG_KeyHex(char *output, int32_t maxChars, int32_t nBytes, const unsigned char *seed, int32_t seedLen);

/* RNG_NonceData, RNG_NonceDataHex: RNG_KeyBytes and RNG_KeyHex without the
 * seed and without the slow entropy sample. */
TESSALIB_API int32_t TESSALIB_CALL RNG_NonceData(unsigned char *output, int32_t outputLen);
TESSALIB_API int32_t TESSALIB_CALL RNG_NonceDataHex(char *output, int32_t maxChars, int32_t nBytes);

/* RNG_Number: a random number in [lower, upper] (signed), every value equally
 * likely; upper <= lower returns lower without drawing. The full range
 * (INT32_MIN, INT32_MAX) gives every 32-bit value. Value class: nothing is
 * recorded. Framed; takes a fast entropy sample. */
TESSALIB_API int32_t TESSALIB_CALL RNG_Number(int32_t lower, int32_t upper);

/* RNG_Initialize: instantiates the thread's generator if it is not yet;
 * options RNG_OPT_NO_CPU_RNG switches RDRAND/RDSEED off for the rest of the
 * process. With a seedFile name, updates that seed file (creating it when it
 * does not exist) and returns that result as RNG_UpdateSeedFile does. Without
 * one (NULL or empty), returns what the processor offers: 1 RDRAND, 2 RDSEED,
 * 3 both, or -PRNG_ERR_NOTAVAIL for neither or switched off. A negative
 * result is recorded. Framed; fast entropy sample. */
TESSALIB_API int32_t TESSALIB_CALL RNG_Initialize(const char *seedFile, int32_t options);

/* RNG_MakeSeedFile: asks the user for keyboard entropy (the prompt of
 * RNG_BytesWithPrompt with prompt and options) and writes a new seed file of
 * 128 random bytes (created with owner read/write permission only, 0600 on
 * Linux). Returns 0 or NEGATIVE: -BAD_PARAM_ERROR for a NULL or empty name,
 * -PRNG_ERR_FILE_CREATE, -PRNG_ERR_FILE_LOCK (another holder kept the lock
 * through 10 attempts 1 s apart), -PRNG_ERR_FILE_WRITE (also when the flush
 * to disk or the close fails). The file is locked before it is truncated.
 * Framed; slow entropy sample. */
TESSALIB_API int32_t TESSALIB_CALL RNG_MakeSeedFile(const char *seedFile, const char *prompt, int32_t options);

/* RNG_UpdateSeedFile: mixes the first 128 bytes of an existing seed file
 * (zeros for the rest of a shorter file) and the time into the thread's
 * generator and replaces them with 128 new bytes; the rest of a longer file
 * is left as it is. The file is locked (its first 128 bytes, exclusively)
 * while it is used. Returns 0 or NEGATIVE: -BAD_PARAM_ERROR for a NULL or
 * empty name, -PRNG_ERR_FILE_OPEN when it cannot be opened,
 * -PRNG_ERR_FILE_LOCK (nothing was mixed in), -PRNG_ERR_FILE_WRITE. Framed;
 * fast entropy sample. */
TESSALIB_API int32_t TESSALIB_CALL RNG_UpdateSeedFile(const char *seedFile);

/* RNG_Test: the generator's health check, then the FIPS 140-2 statistical
 * tests (monobit, poker, runs, long runs) on 20,000 bits of the thread's
 * generator. With a reportFile name (NULL or empty: none) the report is
 * written there in text mode (created or truncated). Returns 0 when all four
 * passed, 1 when one failed (recorded as the last error), or NEGATIVE:
 * -PRNG_ERR_CATASTROPHIC for a failed health check, -PRNG_ERR_FILE_CREATE.
 * Framed; two slow entropy samples. */
TESSALIB_API int32_t TESSALIB_CALL RNG_Test(const char *reportFile);

/* RNG_TestDRBGVS: HMAC_DRBG (HMAC-SHA-512) on caller inputs in the manner of
 * the NIST CAVP DRBG validation tests: instantiate (entropyInput, nonce,
 * personalization), reseed (entropyInputReseed, additionalInputReseed),
 * generate with additionalInput1, generate with additionalInput2; with
 * RNG_OPT_DRBGVS_GENERATE_FIRST the first generate comes before the reseed.
 * The inputs are hex (NULL or empty: none; characters that are not hex digits
 * are skipped). Each generate makes (returnedBits + 7) / 8 bytes; the second
 * is written in lower-case hex, at most maxChars characters (whole bytes) and
 * a NUL. Returns the characters written; query mode (NULL output or
 * maxChars < 1) returns 2 x the bytes. Errors (negative): -BAD_PARAM_ERROR
 * for returnedBits < 1, -MEMORY_ERROR when the inputs or the output cannot be
 * buffered. A private state is used and wiped; no entropy is involved.
 * Framed. */
TESSALIB_API int32_t TESSALIB_CALL RNG_TestDRBGVS(char *output, int32_t maxChars, int32_t returnedBits, const char *entropyInput, const char *nonce, const char *personalization, const char *additionalInput1, const char *entropyInputReseed, const char *additionalInputReseed, const char *additionalInput2, int32_t options);

/* RNG_BytesWithPrompt: asks the user to type (and, in the dialog, to move
 * the mouse and click) until the strength of options is reached (low four
 * bits: RNG_STRENGTH_112/128/192/256), hashes what was typed and when, and
 * fills output[0..outputLen) from the generator with that digest as
 * additional input. The dialog (Windows: dialog resource 101 with a progress
 * bar, returns when OK is pressed) or, with RNG_OPT_CONSOLE_PROMPT, the
 * console: prompt (or a default text) is printed, then the percentage before
 * each key; each key that differs from the one before counts 0.75 bits; keys
 * are read without echo from the terminal, or as bytes from standard input
 * when that is not a terminal. The end of input or a read error ends the
 * prompt early (with what was gathered). On Linux the dialog form is the
 * console prompt when standard input is a terminal and otherwise runs no
 * prompt at all, as Windows does when the dialog cannot be created. Waits
 * 500 ms first. Returns 0, or POSITIVE: BAD_PARAM_ERROR for a NULL output or
 * outputLen < 0, PRNG_ERR_TOOBIG above 65536 (before any prompt). Framed;
 * slow entropy sample. */
TESSALIB_API int32_t TESSALIB_CALL RNG_BytesWithPrompt(unsigned char *output, int32_t outputLen, const char *prompt, int32_t options);

/* RNG_HexWithPrompt: as RNG_BytesWithPrompt for nBytes bytes written as
 * upper-case hex as RNG_KeyHex does. Returns 0, or POSITIVE: NULL_ERROR for a
 * NULL output or maxChars < 1, BAD_PARAM_ERROR for nBytes < 1,
 * PRNG_ERR_TOOBIG above 65536, MEMORY_ERROR. */
TESSALIB_API int32_t TESSALIB_CALL RNG_HexWithPrompt(char *output, int32_t maxChars, int32_t nBytes, const char *prompt, int32_t options);

/* ------------------------------------------------------------------------ */
/* AEAD_: authenticated encryption with associated data                      */
/* ------------------------------------------------------------------------ */
/*
 * Algorithms, by the low byte of `options` (the other bits are ignored, except
 * OPT_PREFIX_IV in the two WithTag functions):
 *
 *   code  algorithm          key  nonce  tag  Encrypt/  WithTag  incremental
 *                                              Decrypt
 *   1     AES-128-GCM        16   12     16   yes       yes      yes
 *   2     AES-256-GCM        32   12     16   yes       yes      yes
 *   26    Ascon-128 (v1.2)   16   16     16   NOT_SUPPORTED_ERROR  yes  BAD_FLAG_ERROR
 *   27    Ascon-128a (v1.2)  16   16     16   NOT_SUPPORTED_ERROR  yes  BAD_FLAG_ERROR
 *   29    ChaCha20-Poly1305  32   12     16   yes       yes      yes
 *
 * 1, 2 and 29 are the numbers of RFC 5116's AEAD registry; any other code
 * (0 included) is BAD_FLAG_ERROR. Sizes are in bytes. AEAD_Decrypt and the
 * incremental decryption accept a tag of 4 to 16 bytes and compare that many
 * bytes; every tag comparison takes the same time whatever the bytes.
 *
 * Tagged layout (AEAD_EncryptWithTag's output, AEAD_DecryptWithTag's input):
 * the nonce (only with OPT_PREFIX_IV: 12 bytes, 16 for Ascon), then the
 * ciphertext (as long as the plaintext), then the 16-byte tag.
 *
 * No unauthenticated plaintext leaves a one-shot call: AEAD_Decrypt and
 * AEAD_DecryptWithTag compute the tag over the AAD, the ciphertext and the
 * lengths before they decrypt, and on AUTH_FAIL_ERROR write nothing (AES-GCM,
 * ChaCha20-Poly1305) or leave the plaintext's bytes of the output zero
 * (Ascon). The incremental decryption is different by design: AEAD_Update
 * releases plaintext before AEAD_FinishDecrypt has checked the tag, and the
 * caller must discard all of it when AEAD_FinishDecrypt fails.
 *
 * Keys, key schedules, GHASH tables, Poly1305 keys and keystream are wiped on
 * every path: the one-shot calls keep them on the stack; the incremental
 * context is wiped by AEAD_InitKey, AEAD_Destroy and at each Finish (its
 * message state). Plain functions of their arguments except the incremental
 * ones, which use the calling thread's AEAD slot. Every function is framed.
 */
#define AEAD_AES_128_GCM        1
#define AEAD_AES_256_GCM        2
#define AEAD_ASCON_128          26
#define AEAD_ASCON_128A         27
#define AEAD_CHACHA20_POLY1305  29
/* The nonce goes in front of the ciphertext (WithTag functions). The same bit
 * has the same meaning in the generic cipher options. */
#define OPT_PREFIX_IV           0x1000

/* AEAD_Encrypt: encrypts input[0..inputLen) into output (exactly inputLen
 * bytes; output may equal input) and writes the 16-byte tag. Returns 0.
 * Errors (negative), in this order:
 *   - (first the tag's tagLen bytes are set to zero when tag is not NULL)
 *   - -BAD_PARAM_ERROR: output and tag both NULL, or outputLen < 1 and
 *     tagLen < 1;
 *   - for input non-NULL with inputLen > 0: -NULL_ERROR for a NULL output,
 *     -SHORT_BUF_ERROR for outputLen < inputLen;
 *   - -BAD_KEY_ERROR: key NULL or keyLen < 1; -BAD_IV_ERROR: nonce NULL or
 *     nonceLen < 1;
 *   - -BAD_PARAM_ERROR: input NULL with inputLen > 0, aad NULL with
 *     aadLen > 0, or a negative inputLen or aadLen;
 *   - -NOT_SUPPORTED_ERROR for Ascon, -BAD_FLAG_ERROR for an unknown code;
 *     -BAD_KEY_LEN_ERROR; -BAD_IV_LEN_ERROR (nonceLen not 12);
 *     -BAD_PARAM_ERROR for a NULL tag (never written through);
 *     -SHORT_BUF_ERROR for tagLen < 16.
 * With input NULL and inputLen 0 only the tag over aad is computed and output
 * may be NULL. */
TESSALIB_API int32_t TESSALIB_CALL AEAD_Encrypt(unsigned char *output, int32_t outputLen, unsigned char *tag, int32_t tagLen, const unsigned char *input, int32_t inputLen, const unsigned char *key, int32_t keyLen, const unsigned char *nonce, int32_t nonceLen, const unsigned char *aad, int32_t aadLen, int32_t options);

/* AEAD_Decrypt: checks the first tagLen bytes of tag, then writes inputLen
 * bytes of plaintext to output (which may equal input). With output NULL or
 * outputLen < 1 it only verifies. Returns 0. Errors (negative), in this
 * order: -BAD_PARAM_ERROR: tag NULL or tagLen < 1; -SHORT_BUF_ERROR: input
 * and output non-NULL, inputLen >= 1, outputLen >= 1 and outputLen <
 * inputLen; -BAD_KEY_ERROR; -BAD_IV_ERROR; -BAD_PARAM_ERROR: input NULL with
 * inputLen > 0, aad NULL with aadLen > 0, or a negative inputLen or aadLen;
 * -NOT_SUPPORTED_ERROR (Ascon), -BAD_FLAG_ERROR, -BAD_KEY_LEN_ERROR,
 * -BAD_IV_LEN_ERROR; -BAD_LENGTH_ERROR: tagLen not 4 to 16;
 * -AUTH_FAIL_ERROR: the tag does not match, and nothing is written (for
 * ChaCha20-Poly1305 too: the tag is checked before any plaintext is made). */
TESSALIB_API int32_t TESSALIB_CALL AEAD_Decrypt(unsigned char *output, int32_t outputLen, const unsigned char *input, int32_t inputLen, const unsigned char *key, int32_t keyLen, const unsigned char *nonce, int32_t nonceLen, const unsigned char *aad, int32_t aadLen, const unsigned char *tag, int32_t tagLen, int32_t options);

/* AEAD_EncryptWithTag: writes the tagged layout (nonce with OPT_PREFIX_IV,
 * ciphertext, tag) into output and returns its length L = inputLen + 16
 * (+ the nonce length with OPT_PREFIX_IV), computed in 64 bits. Query mode
 * (output NULL or outputLen 0) checks everything else and returns L. The
 * input may be where the ciphertext goes (output + the nonce length) but must
 * not otherwise overlap the output. Errors (negative), in this order:
 * -BAD_KEY_ERROR; -BAD_IV_ERROR; -BAD_PARAM_ERROR: outputLen < 0;
 * -NULL_ERROR: input NULL with inputLen > 0 or aad NULL with aadLen > 0;
 * -BAD_PARAM_ERROR: a negative inputLen or aadLen; -BAD_FLAG_ERROR;
 * -BAD_KEY_LEN_ERROR; -BAD_IV_LEN_ERROR (nonceLen not the algorithm's);
 * -BAD_PARAM_ERROR: L above INT32_MAX; -SHORT_BUF_ERROR: outputLen < L. */
TESSALIB_API int32_t TESSALIB_CALL AEAD_EncryptWithTag(unsigned char *output, int32_t outputLen, const unsigned char *input, int32_t inputLen, const unsigned char *key, int32_t keyLen, const unsigned char *nonce, int32_t nonceLen, const unsigned char *aad, int32_t aadLen, int32_t options);

/* AEAD_DecryptWithTag: reads the tagged layout from input, verifies the
 * whole 16-byte tag and writes the plaintext (C = inputLen - 16, less the
 * nonce length with OPT_PREFIX_IV, whose nonce is then read from the input
 * and the nonce arguments ignored) into output; returns C. Query mode
 * (output NULL or outputLen 0) checks everything else and returns C without
 * decrypting, except that an empty plaintext (C = 0) is always verified:
 * a forged message with no text is AUTH_FAIL_ERROR, never a length of 0.
 * Errors (negative), in this order: -BAD_KEY_ERROR; -BAD_PARAM_ERROR:
 * outputLen < 0; -NULL_ERROR: input NULL with inputLen > 0 or aad NULL with
 * aadLen > 0; -BAD_PARAM_ERROR: a negative inputLen or aadLen;
 * -BAD_FLAG_ERROR; -BAD_KEY_LEN_ERROR; -BAD_LENGTH_ERROR: inputLen below the
 * nonce length (with OPT_PREFIX_IV) + 16; without OPT_PREFIX_IV,
 * -BAD_IV_ERROR for a NULL nonce and -BAD_IV_LEN_ERROR for a nonceLen not the
 * algorithm's; -SHORT_BUF_ERROR: outputLen < C; -AUTH_FAIL_ERROR: the tag
 * does not match: nothing is written (AES-GCM, ChaCha20-Poly1305) or the
 * first C bytes of output are zero (Ascon). */
TESSALIB_API int32_t TESSALIB_CALL AEAD_DecryptWithTag(unsigned char *output, int32_t outputLen, const unsigned char *input, int32_t inputLen, const unsigned char *key, int32_t keyLen, const unsigned char *nonce, int32_t nonceLen, const unsigned char *aad, int32_t aadLen, int32_t options);

/*
 * The incremental functions work on the calling thread's one AEAD context
 * (AES-128-GCM, AES-256-GCM and ChaCha20-Poly1305). Per handle: AEAD_InitKey,
 * then any number of messages, each AEAD_SetNonce, AEAD_AddAAD (zero or more
 * times), AEAD_StartEncrypt or AEAD_StartDecrypt, AEAD_Update (zero or more
 * times), AEAD_FinishEncrypt or AEAD_FinishDecrypt; last AEAD_Destroy. The
 * key serves every message; each message needs its own nonce.
 *
 * Every call but AEAD_InitKey first checks the handle (-INVALID_HANDLE_ERROR
 * for anything but the thread's live handle: 0, another thread's, an ended
 * one), then negative lengths (-BAD_PARAM_ERROR), then its own checks. A call
 * in the wrong stage is -MISUSE_ERROR and changes nothing. Both Finish calls
 * return the context to the keyed stage, also after AUTH_FAIL_ERROR; a
 * message in progress ends only with AEAD_InitKey or AEAD_Destroy.
 * AEAD_Update never lets one message pass the algorithm's limit (AES-GCM:
 * 2^36 - 32 bytes of text, so the 32-bit block counter never wraps;
 * ChaCha20-Poly1305: (2^32 - 1) x 64 bytes): a call that would is
 * -BAD_LENGTH_ERROR and processes nothing.
 */

/* AEAD_InitKey: keys the thread's AEAD context (1: 16-byte key; 2 and 29:
 * 32-byte key) and returns its handle (odd, nonzero), or 0 with the reason
 * as the last error: BAD_KEY_ERROR (key NULL or keyLen < 1),
 * BAD_KEY_LEN_ERROR, BAD_FLAG_ERROR (any other code, Ascon included). Any
 * earlier AEAD handle of the thread ends at once, and the context is wiped,
 * whether or not this call succeeds. Takes a fast entropy sample. */
TESSALIB_API int32_t TESSALIB_CALL AEAD_InitKey(const unsigned char *key, int32_t keyLen, int32_t options);

/* AEAD_SetNonce: starts a message with a 12-byte nonce. Errors: handle;
 * -BAD_IV_ERROR (nonce NULL or nonceLen < 1); -BAD_IV_LEN_ERROR (not 12);
 * -MISUSE_ERROR unless keyed with no message in progress. */
TESSALIB_API int32_t TESSALIB_CALL AEAD_SetNonce(int32_t handle, const unsigned char *nonce, int32_t nonceLen);

/* AEAD_AddAAD: adds associated data, any number of times after
 * AEAD_SetNonce and before the Start call. Errors: handle; -BAD_PARAM_ERROR
 * (aadLen < 0); -MISUSE_ERROR. A NULL aad or aadLen 0 adds nothing. */
TESSALIB_API int32_t TESSALIB_CALL AEAD_AddAAD(int32_t handle, const unsigned char *aad, int32_t aadLen);

/* AEAD_StartEncrypt: ends the associated data; encryption follows. Errors:
 * handle; -MISUSE_ERROR. */
TESSALIB_API int32_t TESSALIB_CALL AEAD_StartEncrypt(int32_t handle);

/* AEAD_StartDecrypt: ends the associated data and takes the expected tag
 * (its first min(tagLen, 16) bytes); decryption follows. Errors: handle;
 * -BAD_PARAM_ERROR (tag NULL or tagLen < 1); -MISUSE_ERROR;
 * -BAD_PARAM_ERROR (tagLen < 4). */
TESSALIB_API int32_t TESSALIB_CALL AEAD_StartDecrypt(int32_t handle, const unsigned char *tag, int32_t tagLen);

/* AEAD_Update: encrypts or decrypts the next inputLen bytes of input into
 * output (exactly inputLen bytes, nothing held back; output may equal
 * input). Any split of a message gives the bytes of one call. Decrypting
 * releases plaintext before the tag is checked (see above); with output NULL
 * it only authenticates the ciphertext (the keystream still moves on over
 * it). Errors: handle; -BAD_PARAM_ERROR (outputLen or inputLen < 0);
 * -SHORT_BUF_ERROR (input and output non-NULL, inputLen >= 1, outputLen <
 * inputLen); -BAD_PARAM_ERROR (input NULL with inputLen > 0); -MISUSE_ERROR;
 * -BAD_PARAM_ERROR (encrypting with output NULL and inputLen > 0);
 * -BAD_LENGTH_ERROR (the message limit). */
TESSALIB_API int32_t TESSALIB_CALL AEAD_Update(int32_t handle, unsigned char *output, int32_t outputLen, const unsigned char *input, int32_t inputLen);

/* AEAD_FinishEncrypt: writes the 16-byte tag and ends the message. Errors:
 * handle; -BAD_PARAM_ERROR (tag NULL or tagLen < 1); -SHORT_BUF_ERROR
 * (tagLen < 16); -MISUSE_ERROR. */
TESSALIB_API int32_t TESSALIB_CALL AEAD_FinishEncrypt(int32_t handle, unsigned char *tag, int32_t tagLen);

/* AEAD_FinishDecrypt: ends the message; 0 when the expected tag matched,
 * else -AUTH_FAIL_ERROR (discard everything AEAD_Update gave). Errors:
 * handle; -MISUSE_ERROR. */
TESSALIB_API int32_t TESSALIB_CALL AEAD_FinishDecrypt(int32_t handle);

/* AEAD_Destroy: wipes the context and ends the handle. Returns 0, or
 * -INVALID_HANDLE_ERROR. Takes a fast entropy sample. */
TESSALIB_API int32_t TESSALIB_CALL AEAD_Destroy(int32_t handle);

/* ------------------------------------------------------------------------ */
/* GCM_: AES-GCM with 128-, 192- and 256-bit keys                            */
/* ------------------------------------------------------------------------ */
/*
 * AES-GCM (NIST SP 800-38D) with keys of 16, 24 or 32 bytes, IVs of any
 * length of at least 1 byte (12 is the standard one; others are hashed into
 * the counter block) and tags of 4 to 16 bytes. GCM_Encrypt and GCM_Decrypt
 * take the key each time; GCM_InitKey builds the key schedule and the 4 KiB
 * GHASH table once in the calling thread's GCM slot, for any number of
 * GCM_NextEncrypt/GCM_NextDecrypt calls, until GCM_FinishKey or the thread's
 * next GCM_InitKey. Decryption checks the tag before it makes any plaintext
 * and writes nothing on AUTH_FAIL_ERROR; the tag comparison takes the same
 * time whatever the bytes. Negative lengths are refused: input and aad with
 * BAD_PARAM_ERROR, the IV as if empty (BAD_IV_ERROR), the key with
 * BAD_KEY_LEN_ERROR, the output with SHORT_BUF_ERROR, the tag with
 * SHORT_BUF_ERROR (encrypting) or BAD_LENGTH_ERROR (decrypting). The handle
 * functions give an invalid handle as the POSITIVE 64 (INVALID_HANDLE_ERROR);
 * every other failure is negative. Every function is framed.
 */

/* GCM_Encrypt: encrypts input[0..inputLen) into output (exactly inputLen
 * bytes; may equal input) and writes min(tagLen, 16) bytes of the tag (the
 * rest of a longer tag buffer is left as it is). Returns 0. Errors
 * (negative), in this order: -BAD_KEY_ERROR (key NULL or keyLen 0);
 * -BAD_IV_ERROR (iv NULL or ivLen <= 0); -BAD_PARAM_ERROR (output and tag
 * both NULL, or outputLen and tagLen both 0); -BAD_PARAM_ERROR (input NULL
 * with inputLen != 0, aad NULL with aadLen != 0, or a negative inputLen or
 * aadLen); -SHORT_BUF_ERROR (tag non-NULL and tagLen < 4);
 * -BAD_KEY_LEN_ERROR (not 16, 24 or 32); -SHORT_BUF_ERROR (outputLen < 0);
 * for inputLen > 0, -NULL_ERROR for a NULL output and -SHORT_BUF_ERROR for
 * outputLen < inputLen: a tag is only ever given for ciphertext that was
 * written. With no input, output may be NULL: the tag is then the GMAC of
 * aad. */
TESSALIB_API int32_t TESSALIB_CALL GCM_Encrypt(unsigned char *output, int32_t outputLen, unsigned char *tag, int32_t tagLen, const unsigned char *input, int32_t inputLen, const unsigned char *key, int32_t keyLen, const unsigned char *iv, int32_t ivLen, const unsigned char *aad, int32_t aadLen);

/* GCM_Decrypt: compares min(tagLen, 16) bytes of the tag, then writes
 * inputLen bytes of plaintext to output (may equal input; with output NULL or
 * outputLen 0 it only verifies). Returns 0. Errors (negative), in this
 * order: -BAD_KEY_ERROR; -BAD_IV_ERROR; -SHORT_BUF_ERROR (outputLen <
 * inputLen, whether or not output is NULL, or outputLen < 0);
 * -BAD_PARAM_ERROR (input NULL with inputLen != 0, aad NULL with aadLen != 0,
 * or a negative inputLen or aadLen); -BAD_PARAM_ERROR (tag NULL);
 * -BAD_LENGTH_ERROR (tagLen < 4: a short or empty tag would authenticate
 * nothing); -BAD_KEY_LEN_ERROR; -AUTH_FAIL_ERROR with nothing written. */
TESSALIB_API int32_t TESSALIB_CALL GCM_Decrypt(unsigned char *output, int32_t outputLen, const unsigned char *input, int32_t inputLen, const unsigned char *key, int32_t keyLen, const unsigned char *iv, int32_t ivLen, const unsigned char *aad, int32_t aadLen, const unsigned char *tag, int32_t tagLen);

/* GCM_InitKey: builds the key block of the 16-, 24- or 32-byte key in the
 * thread's GCM slot and returns its handle (odd, nonzero), or 0 with the last
 * error BAD_KEY_ERROR (key NULL) or BAD_KEY_LEN_ERROR. Any earlier GCM handle
 * of the thread ends at once and its key block is wiped, whether or not this
 * call succeeds. The GCM slot is separate from the AEAD context. Takes a
 * fast entropy sample. */
TESSALIB_API int32_t TESSALIB_CALL GCM_InitKey(const unsigned char *key, int32_t keyLen);

/* GCM_NextEncrypt: GCM_Encrypt with the key of handle, which is used as it is
 * (not rebuilt). Errors: 64 (POSITIVE) for a handle other than the thread's
 * live GCM handle; then -BAD_IV_ERROR; then the checks of GCM_Encrypt after
 * the IV, less the key's. */
TESSALIB_API int32_t TESSALIB_CALL GCM_NextEncrypt(int32_t handle, unsigned char *output, int32_t outputLen, unsigned char *tag, int32_t tagLen, const unsigned char *input, int32_t inputLen, const unsigned char *iv, int32_t ivLen, const unsigned char *aad, int32_t aadLen);

/* GCM_NextDecrypt: GCM_Decrypt with the key of handle; this form always
 * writes its plaintext. Errors, in this order: 64 (POSITIVE) for a bad
 * handle; -BAD_IV_ERROR; -BAD_PARAM_ERROR (output NULL or outputLen 0);
 * -BAD_PARAM_ERROR (input NULL with inputLen != 0, aad NULL with aadLen != 0,
 * or a negative inputLen or aadLen); -BAD_PARAM_ERROR (tag NULL);
 * -BAD_LENGTH_ERROR (tagLen < 4); -SHORT_BUF_ERROR (outputLen < inputLen or
 * outputLen < 0); -AUTH_FAIL_ERROR with nothing written. */
TESSALIB_API int32_t TESSALIB_CALL GCM_NextDecrypt(int32_t handle, unsigned char *output, int32_t outputLen, const unsigned char *input, int32_t inputLen, const unsigned char *iv, int32_t ivLen, const unsigned char *aad, int32_t aadLen, const unsigned char *tag, int32_t tagLen);

/* GCM_FinishKey: wipes the thread's GCM key block and ends handle; returns
 * 0, or 64 (POSITIVE, recorded as the last error) for a handle that is not
 * the live one (so a second call gives 64). Takes a fast entropy sample. */
TESSALIB_API int32_t TESSALIB_CALL GCM_FinishKey(int32_t handle);

/* ------------------------------------------------------------------------ */
/* CIPHER_Stream, PC1_: the stream ciphers Arcfour, Salsa20 and ChaCha20     */
/* ------------------------------------------------------------------------ */
/*
 * Algorithms, by the low four bits of options (the other bits are ignored;
 * any other code is BAD_FLAG_ERROR):
 *
 *   code                 key bytes            IV bytes     counter
 *   1  STREAM_ARCFOUR    1 or more (the first none (not    not used
 *      (RC4-compatible)  256 take part)       read)
 *   2  STREAM_SALSA20    16 or 32             8            not used (starts at 0)
 *   3  STREAM_CHACHA20   16 or 32             8, 12 or 16  the first block's
 *                                                          number (8 and 12)
 *
 * Salsa20 and ChaCha20 take a 16-byte key with the constant "expand 16-byte
 * k" and the key twice. ChaCha20 words 12 to 15: an 8-byte IV gives the
 * counter, 0 and the IV (the original 64-bit counter layout); a 12-byte IV
 * the counter and the IV (RFC 8439); a 16-byte IV is the four words as they
 * are (its first 4 bytes are the starting counter) and the counter argument
 * is not used. The block counter in words 12 and 13 counts as one 64-bit
 * number, so it carries into word 13 with every IV length.
 *
 * Encryption and decryption are the same operation (XOR with the
 * keystream); output may be the same buffer as input. Text forms decode
 * hex with every character a hex digit and an even length, and write
 * upper-case hex with a NUL, as many whole bytes as fit in maxChars
 * characters (a cut is not reported).
 *
 * The CIPHER_Stream functions return negated codes, except that
 * CIPHER_StreamBytes gives Arcfour's negative lengths and empty key as the
 * POSITIVE 6 (BAD_PARAM_ERROR); the PC1_ functions (Arcfour only) return
 * POSITIVE codes. Every function is framed; CIPHER_StreamInit and
 * CIPHER_StreamFinal take a fast entropy sample. Cipher states, keystream
 * and decoded text are wiped before they are released.
 *
 * Files: CIPHER_StreamFile and PC1_File refuse an output that is the input
 * (the same name, or another name of the same file: a "./" prefix, a hard
 * or symbolic link, on Windows another case) with DUP_ERROR before the
 * output is opened, so the input is never truncated. A read error is
 * READ_ERROR, a write that fails (a full disk, a file size limit) or an
 * output that cannot be closed WRITE_ERROR; after any failure once the
 * output was opened the output file is deleted.
 *
 * Behaviour that differs from older releases of this interface, on purpose:
 *   - The DUP_ERROR test of the file functions, the checked reads and
 *     writes, and the deletion of a partial output.
 *   - NULL pointers and lengths that used to be read through or left
 *     undefined are refused: PC1_Bytes' NULL output or input with a length
 *     (14); an Arcfour key of 0 bytes (6 in its sign); a NULL key (36) or
 *     ChaCha20 IV (37) of an accepted length; a negative inputLen of
 *     Salsa20 and ChaCha20 in CIPHER_StreamBytes (-6); a negative maxChars
 *     of PC1_Hex (6); NULL or empty file names of PC1_File (6).
 */
#define STREAM_ARCFOUR   1
#define STREAM_SALSA20   2
#define STREAM_CHACHA20  3

/* CIPHER_StreamBytes: writes inputLen bytes of input XOR the keystream to
 * output. Returns 0. Errors, in this order: -NULL_ERROR: output or input
 * NULL with inputLen != 0; -BAD_FLAG_ERROR; Arcfour: 6 (POSITIVE) for
 * inputLen or keyLen < 0 or keyLen 0, -BAD_KEY_ERROR for a NULL key;
 * Salsa20, ChaCha20: -BAD_PARAM_ERROR for inputLen < 0, -BAD_KEY_LEN_ERROR,
 * -BAD_KEY_ERROR (key NULL), -BAD_IV_LEN_ERROR (a Salsa20 IV NULL included),
 * -BAD_IV_ERROR (a ChaCha20 IV NULL). */
TESSALIB_API int32_t TESSALIB_CALL CIPHER_StreamBytes(unsigned char *output, const unsigned char *input, int32_t inputLen, const unsigned char *key, int32_t keyLen, const unsigned char *iv, int32_t ivLen, int32_t counter, int32_t options);

/* CIPHER_StreamHex: CIPHER_StreamBytes on hex text; returns 0 (not a
 * length). Errors (negative), in this order: -NULL_ERROR: output NULL;
 * -BAD_PARAM_ERROR: inputHex or keyHex NULL or empty, or maxChars < 0;
 * -BAD_FORMAT_ERROR: inputHex or keyHex not hex of an even length; Salsa20
 * and ChaCha20: -BAD_IV_ERROR for ivHex NULL or empty, -BAD_FORMAT_ERROR for
 * ivHex not hex (Arcfour does not read ivHex); -BAD_FLAG_ERROR;
 * -MEMORY_ERROR; the key and IV length codes of CIPHER_StreamBytes. */
TESSALIB_API int32_t TESSALIB_CALL CIPHER_StreamHex(char *output, int32_t maxChars, const char *inputHex, const char *keyHex, const char *ivHex, int32_t counter, int32_t options);

/* CIPHER_StreamFile: encrypts (or decrypts) the file inputFile into
 * outputFile through the thread's stream context, which it sets up as
 * CIPHER_StreamInit does (so any stream handle of the thread ends) and ends
 * again. Returns 0. Errors (negative), in this order: -BAD_PARAM_ERROR:
 * a NULL or empty file name; the set-up codes of CIPHER_StreamInit;
 * -OPEN_ERROR: the input cannot be opened; -DUP_ERROR: the output is the
 * input; -CREATE_ERROR: the output cannot be created; -READ_ERROR;
 * -WRITE_ERROR. See "Files" above. */
TESSALIB_API int32_t TESSALIB_CALL CIPHER_StreamFile(const char *outputFile, const char *inputFile, const unsigned char *key, int32_t keyLen, const unsigned char *iv, int32_t ivLen, int32_t counter, int32_t options);

/* CIPHER_StreamInit: sets up the thread's stream context (one per thread)
 * and returns its handle (odd, 1 to 0x3FFFFFFF), or 0 with the reason as the
 * last error: BAD_KEY_ERROR (key NULL or keyLen < 1), BAD_FLAG_ERROR,
 * BAD_KEY_LEN_ERROR, BAD_IV_LEN_ERROR, BAD_IV_ERROR (a NULL ChaCha20 IV).
 * Any earlier stream handle of the thread ends first, whether or not this
 * call succeeds. */
TESSALIB_API int32_t TESSALIB_CALL CIPHER_StreamInit(const unsigned char *key, int32_t keyLen, const unsigned char *iv, int32_t ivLen, int32_t counter, int32_t options);

/* CIPHER_StreamUpdate: the next inputLen bytes of keystream XOR input into
 * output; any split of a message gives the bytes of one call. Returns 0.
 * Errors (negative), in this order: -NULL_ERROR: output or input NULL;
 * -BAD_PARAM_ERROR: inputLen < 0; -INVALID_HANDLE_ERROR. */
TESSALIB_API int32_t TESSALIB_CALL CIPHER_StreamUpdate(int32_t handle, unsigned char *output, const unsigned char *input, int32_t inputLen);

/* CIPHER_StreamFinal: with the thread's live stream handle wipes the context
 * and ends it, returns 0; otherwise -INVALID_HANDLE_ERROR. */
TESSALIB_API int32_t TESSALIB_CALL CIPHER_StreamFinal(int32_t handle);

/* PC1_Bytes: Arcfour of inputLen bytes of input with keyLen bytes of key into
 * output. Returns 0, or POSITIVE: NULL_ERROR for output or input NULL with
 * inputLen != 0; BAD_PARAM_ERROR for inputLen or keyLen < 0 or keyLen 0;
 * BAD_KEY_ERROR for a NULL key. */
TESSALIB_API int32_t TESSALIB_CALL PC1_Bytes(unsigned char *output, const unsigned char *input, int32_t inputLen, const unsigned char *key, int32_t keyLen);

/* PC1_File: Arcfour of the file inputFile into outputFile. Returns 0, or
 * POSITIVE, in this order: BAD_PARAM_ERROR for keyLen < 0, keyLen 0 or a
 * NULL or empty file name; BAD_KEY_ERROR for a NULL key; OPEN_ERROR;
 * DUP_ERROR; CREATE_ERROR; READ_ERROR; WRITE_ERROR (see "Files" above). */
TESSALIB_API int32_t TESSALIB_CALL PC1_File(const char *outputFile, const char *inputFile, const unsigned char *key, int32_t keyLen);

/* PC1_Hex: Arcfour on hex text, the result as upper-case hex in output
 * (maxChars characters plus a NUL). Returns 0, or POSITIVE, in this order:
 * NULL_ERROR for output NULL; BAD_PARAM_ERROR for maxChars < 0 or inputHex
 * or keyHex NULL or empty; BAD_FORMAT_ERROR for a text that is not hex of an
 * even length; MEMORY_ERROR. */
TESSALIB_API int32_t TESSALIB_CALL PC1_Hex(char *output, int32_t maxChars, const char *inputHex, const char *keyHex);

#ifdef __cplusplus
}
#endif

#endif /* TESSALIB_H */
