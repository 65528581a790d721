// The rows of data at rest: file encryption against the same engine on the
// same bytes in memory, COMPR_ against calling zlib and zstd directly with
// the same settings, CRC_Bytes against zlib's crc32. Each row is one call on
// a whole input; the second implementation ("openssl" in the benchmark's
// names, "direct" in the report) is the reference the row is measured against.
#include <unistd.h>
#include <zlib.h>
#include <zstd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "rows.h"
#include "tessalib.h"

namespace bench {
namespace {

const uint8_t kFileKey[16] = {0x2b, 0x7e, 0x15, 0x16, 0x28, 0xae, 0xd2, 0xa6,
                              0xab, 0xf7, 0x15, 0x88, 0x09, 0xcf, 0x4f, 0x3c};
const uint8_t kFileIv[16] = {0xf0, 0xf1, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7,
                             0xf8, 0xf9, 0xfa, 0xfb, 0xfc, 0xfd, 0xfe, 0xff};

constexpr std::size_t kFileBytes = 64u << 20;
constexpr std::size_t kDataBytes = 1u << 20;

// A 64 MiB input file in a directory of its own (removed at exit); written
// once, then read from the page cache by every call.
struct FileFixture {
    std::string dir, in, out;
    FileFixture() {
        char tmpl[] = "/tmp/tessalib-bench-files.XXXXXX";
        const char* d = mkdtemp(tmpl);
        dir = d != nullptr ? d : "/tmp";
        in = dir + "/in.bin";
        out = dir + "/out.bin";
        std::vector<uint8_t> data(kFileBytes);
        for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 167u + 13u);
        std::FILE* f = std::fopen(in.c_str(), "wb");
        if (f != nullptr) {
            std::fwrite(data.data(), 1, data.size(), f);
            std::fclose(f);
        }
    }
    ~FileFixture() {
        std::remove(out.c_str());
        std::remove(in.c_str());
        rmdir(dir.c_str());
    }
};

const FileFixture& file_fixture() {
    static const FileFixture f;
    return f;
}

OpFactory file_encrypt(const char* mode) {
    return [=] {
        const FileFixture& f = file_fixture();
        return Op([&f, mode](uint8_t*, const uint8_t*, std::size_t) -> std::size_t {
            return AES128_File(f.out.c_str(), f.in.c_str(), kFileKey, 1, mode, kFileIv) == 0 ? kFileBytes : 0;
        });
    };
}

OpFactory memory_encrypt(const char* mode) {
    return [=] {
        auto buf = std::make_shared<std::vector<uint8_t>>(kFileBytes);
        for (std::size_t i = 0; i < buf->size(); ++i) (*buf)[i] = static_cast<uint8_t>(i * 167u + 13u);
        return Op([buf, mode](uint8_t*, const uint8_t*, std::size_t) -> std::size_t {
            uint8_t* p = buf->data();
            return AES128_BytesMode(p, p, static_cast<int32_t>(kFileBytes), kFileKey, 1, mode, kFileIv) == 0
                       ? kFileBytes
                       : 0;
        });
    };
}

// 1 MiB of log-like text: what compression is usually given.
std::shared_ptr<const std::vector<uint8_t>> text_data() {
    static const auto data = [] {
        auto d = std::make_shared<std::vector<uint8_t>>();
        uint32_t x = 12345;
        while (d->size() < kDataBytes) {
            x = x * 1103515245u + 12345u;
            char line[160];
            const int n = std::snprintf(line, sizeof line,
                                        "2026-12-10 16:%02u:%02u host%u service[%u]: request %u took %u ms, status %u\n",
                                        (x >> 8) % 60, (x >> 14) % 60, (x >> 20) % 8, (x >> 4) % 3000, x % 100000,
                                        (x >> 12) % 900, (x >> 24) % 2 == 0 ? 200u : 404u);
            d->insert(d->end(), line, line + n);
        }
        d->resize(kDataBytes);
        return d;
    }();
    return data;
}

// The output room every compression row gets: the zstd bound, so that no
// row is held back by a short buffer.
std::size_t room() { return ZSTD_compressBound(kDataBytes); }

OpFactory ours_compress(int32_t method) {
    return [=] {
        auto in = text_data();
        auto out = std::make_shared<std::vector<uint8_t>>(room());
        return Op([=](uint8_t*, const uint8_t*, std::size_t) -> std::size_t {
            const int32_t n = COMPR_Compress(out->data(), static_cast<int32_t>(out->size()), in->data(),
                                             static_cast<int32_t>(in->size()), method);
            return n > 0 ? static_cast<std::size_t>(n) : 0;
        });
    };
}

OpFactory zstd_compress_direct() {
    return [] {
        auto in = text_data();
        auto out = std::make_shared<std::vector<uint8_t>>(room());
        return Op([=](uint8_t*, const uint8_t*, std::size_t) -> std::size_t {
            const std::size_t n = ZSTD_compress(out->data(), out->size(), in->data(), in->size(), 3);
            return ZSTD_isError(n) ? 0 : n;
        });
    };
}

std::shared_ptr<const std::vector<uint8_t>> packed(int32_t method) {
    auto in = text_data();
    auto p = std::make_shared<std::vector<uint8_t>>(room());
    const int32_t n = COMPR_Compress(p->data(), static_cast<int32_t>(p->size()), in->data(),
                                     static_cast<int32_t>(in->size()), method);
    p->resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return p;
}

// zlib itself with the same settings, one call with finish into a buffer of
// room for the result: deflate of the text, or inflate of its zlib stream.
OpFactory zlib_direct(bool inflating) {
    return [=] {
        auto in = inflating ? packed(COMPR_METHOD_ZLIB) : text_data();
        auto out = std::make_shared<std::vector<uint8_t>>(inflating ? kDataBytes : room());
        return Op([=](uint8_t*, const uint8_t*, std::size_t) -> std::size_t {
            z_stream zs{};
            const int init = inflating ? inflateInit2(&zs, 15) : deflateInit2(&zs, 6, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY);
            if (init != Z_OK) return 0;
            zs.next_in = const_cast<Bytef*>(in->data());
            zs.avail_in = static_cast<uInt>(in->size());
            zs.next_out = out->data();
            zs.avail_out = static_cast<uInt>(out->size());
            const int rc = inflating ? inflate(&zs, Z_FINISH) : deflate(&zs, Z_FINISH);
            const std::size_t n = zs.total_out;
            if (inflating)
                inflateEnd(&zs);
            else
                deflateEnd(&zs);
            return rc == Z_STREAM_END ? n : 0;
        });
    };
}

OpFactory ours_uncompress(int32_t method) {
    return [=] {
        auto in = packed(method);
        auto out = std::make_shared<std::vector<uint8_t>>(kDataBytes);
        return Op([=](uint8_t*, const uint8_t*, std::size_t) -> std::size_t {
            const int32_t n = COMPR_Uncompress(out->data(), static_cast<int32_t>(out->size()), in->data(),
                                               static_cast<int32_t>(in->size()), method);
            return n > 0 ? static_cast<std::size_t>(n) : 0;
        });
    };
}

OpFactory zstd_uncompress_direct() {
    return [] {
        auto in = packed(COMPR_METHOD_ZSTD);
        auto out = std::make_shared<std::vector<uint8_t>>(kDataBytes);
        return Op([=](uint8_t*, const uint8_t*, std::size_t) -> std::size_t {
            const unsigned long long size = ZSTD_getFrameContentSize(in->data(), in->size());
            if (size > out->size()) return 0;
            const std::size_t n = ZSTD_decompress(out->data(), static_cast<std::size_t>(size), in->data(), in->size());
            return ZSTD_isError(n) ? 0 : n;
        });
    };
}

OpFactory ours_crc() {
    return [] {
        auto in = text_data();
        return Op([=](uint8_t*, const uint8_t*, std::size_t) -> std::size_t {
            return CRC_Bytes(in->data(), static_cast<int32_t>(in->size())) != 0 ? in->size() : 0;
        });
    };
}

OpFactory zlib_crc() {
    return [] {
        auto in = text_data();
        return Op([=](uint8_t*, const uint8_t*, std::size_t) -> std::size_t {
            return crc32_z(0, in->data(), in->size()) != 0 ? in->size() : 0;
        });
    };
}

}  // namespace

const std::vector<CallRow>& data_rows() {
    static const std::vector<CallRow> rows{
        {"file-AES-128-CBC-64MiB", kFileBytes, file_encrypt("CBC"), memory_encrypt("CBC")},
        {"file-AES-128-CTR-64MiB", kFileBytes, file_encrypt("CTR"), memory_encrypt("CTR")},
        {"zlib-compress-1MiB", kDataBytes, ours_compress(COMPR_METHOD_ZLIB), zlib_direct(false)},
        {"zlib-uncompress-1MiB", kDataBytes, ours_uncompress(COMPR_METHOD_ZLIB), zlib_direct(true)},
        {"zstd-compress-1MiB", kDataBytes, ours_compress(COMPR_METHOD_ZSTD), zstd_compress_direct()},
        {"zstd-uncompress-1MiB", kDataBytes, ours_uncompress(COMPR_METHOD_ZSTD), zstd_uncompress_direct()},
        {"CRC-32-1MiB", kDataBytes, ours_crc(), zlib_crc()},
    };
    return rows;
}

}  // namespace bench
