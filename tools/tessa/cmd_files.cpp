// tessa compress, decompress, crc, wipe: the COMPR_, CRC_ and WIPE_ exports.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tessa.h"
#include "tessalib.h"

namespace {

// --method zlib (the default) or zstd.
int method_of(const char* cmd, const tessa::Options& opts, int32_t* method) {
    const std::string m = opts.value_or("--method", "zlib");
    if (m == "zlib") {
        *method = COMPR_METHOD_ZLIB;
    } else if (m == "zstd") {
        *method = COMPR_METHOD_ZSTD;
    } else {
        return tessa::usage_error(cmd, "--method takes zlib or zstd, not " + m);
    }
    return 0;
}

int run_compression(const char* cmd, bool compress, const tessa::Options& opts) {
    int32_t method = 0;
    if (const int status = method_of(cmd, opts, &method)) return status;
    std::string to;
    if (opts.has("--to")) {
        if (const int status = tessa::result_format(cmd, opts, &to)) return status;
    } else {
        to = "raw";  // compressed data is binary: as it is, unless asked
    }
    tessa::Bytes data;
    if (const int status = tessa::get_data(cmd, opts, &data)) return status;
    const unsigned char* in = tessa::data_or_empty(data);
    const int32_t in_len = static_cast<int32_t>(data.size());
    const auto call = [&](unsigned char* out, int32_t out_len) {
        return compress ? COMPR_Compress(out, out_len, in, in_len, method)
                        : COMPR_Uncompress(out, out_len, in, in_len, method);
    };
    const int32_t needed = call(nullptr, 0);
    if (needed < 0)
        return tessa::report_error(cmd, needed, compress ? nullptr : "not data compressed with this method");
    tessa::Bytes result(static_cast<std::size_t>(needed) + 1);
    const int32_t n = needed == 0 ? 0 : call(result.data(), needed);
    if (n < 0) return tessa::report_error(cmd, n);
    result.resize(static_cast<std::size_t>(n));
    return tessa::write_result(cmd, opts, result, to);
}

int cmd_compress(const tessa::Options& opts) { return run_compression("compress", true, opts); }
int cmd_decompress(const tessa::Options& opts) { return run_compression("decompress", false, opts); }

int cmd_crc(const tessa::Options& opts) {
    const tessa::Args& pos = opts.positionals();
    uint32_t crc = 0;
    // A file by name (FILE or --in FILE, read as it is) goes to CRC_File: the
    // library reads it in pieces, whatever its size.
    const bool in_file = opts.has("--in") && !tessa::is_form(opts.value("--in"));
    const bool by_name = (pos.size() == 1) != in_file && !opts.has("--text") && !opts.has("--hex") &&
                         !opts.has("--b64") && !opts.has("--from") && tessa::input_path(opts) != "-" &&
                         !(opts.has("--in") && !in_file);
    if (by_name) {
        const std::string path = tessa::input_path(opts);
        crc = static_cast<uint32_t>(CRC_File(path.c_str()));
        const int32_t why = API_ErrorCode();
        // A checksum of 0 (an empty file's) is also reported as OPEN_ERROR:
        // it is one when the file can in fact be opened.
        if (crc == 0 && why != 0) {
            std::FILE* f = why == OPEN_ERROR ? std::fopen(path.c_str(), "rb") : nullptr;
            if (f == nullptr) return tessa::report_error("crc", why, path.c_str());
            std::fclose(f);
        }
    } else {
        tessa::Bytes data;
        if (const int status = tessa::get_data("crc", opts, &data)) return status;
        crc = data.empty() ? 0 : static_cast<uint32_t>(CRC_Bytes(data.data(), static_cast<int32_t>(data.size())));
    }
    char text[16];
    std::snprintf(text, sizeof text, "%08X", crc);
    return tessa::write_line("crc", text);
}

int cmd_wipe(const tessa::Options& opts) {
    const tessa::Args& files = opts.positionals();
    if (files.empty()) return tessa::usage_error("wipe", "give the files to wipe");
    const int32_t options = opts.has("--quick") ? WIPE_OPT_QUICK : 0;
    int status = 0;
    for (const auto& f : files) {
        const int32_t rc = WIPE_File(f.c_str(), options);
        if (rc != 0) status = tessa::report_error("wipe", rc, f.c_str());
    }
    return status;
}


TESSA_COMMAND({"compress", "compress data with zlib or Zstandard",
               "usage: tessa compress [--method zlib|zstd] DATA [--to FORMAT] [--out FILE]\n"
               "\n"
               "Compresses DATA: zlib (the default; the zlib format at level 6) or zstd (one\n"
               "Zstandard frame at level 3 that records the size). The result is written as\n"
               "it is (--to raw) unless --to says otherwise.\n"
               "\n" TESSA_DATA_USAGE
               "\n"
               "Example:\n"
               "  tessa compress --method zstd big.log --out big.log.zst\n",
               {"--method", TESSA_DATA_OPTIONS}, {}, cmd_compress});
TESSA_COMMAND({"decompress", "decompress zlib or Zstandard data",
               "usage: tessa decompress [--method zlib|zstd] DATA [--to FORMAT] [--out FILE]\n"
               "\n"
               "Decompresses DATA made by tessa compress, COMPR_Compress or any zlib or\n"
               "Zstandard tool (a Zstandard frame must record its size). The result is written\n"
               "as it is (--to raw) unless --to says otherwise.\n"
               "\n" TESSA_DATA_USAGE
               "\n"
               "Example:\n"
               "  tessa decompress --method zstd big.log.zst --out big.log\n",
               {"--method", TESSA_DATA_OPTIONS}, {}, cmd_decompress});
TESSA_COMMAND({"crc", "CRC-32 of a file or of data",
               "usage: tessa crc FILE | --in FILE | --text STRING | --hex HEX | --b64 TEXT | -\n"
               "\n"
               "Prints the CRC-32 (ISO 3309, as zip and gzip use it) in 8 hex digits. A FILE\n"
               "is read by the library in pieces, whatever its size.\n"
               "\n"
               "Example:\n"
               "  tessa crc --text 123456789      prints CBF43926\n",
               {"--text", "--hex", "--b64", "--in", "--from"}, {}, cmd_crc});
TESSA_COMMAND({"wipe", "overwrite files and delete them",
               "usage: tessa wipe [--quick] FILE...\n"
               "\n"
               "Overwrites each FILE in place with seven patterns (one pass of zeros with\n"
               "--quick), each pass flushed to the disk, checks the passes that are read back,\n"
               "then deletes it. A file that could not be wiped to the end is left in place and\n"
               "reported. Files without any write permission, directories and devices are\n"
               "refused. On file systems that copy on write or keep snapshots, and on flash\n"
               "storage, the old data may survive elsewhere on the device.\n",
               {}, {"--quick"}, cmd_wipe});

}  // namespace
