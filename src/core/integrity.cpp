#include "core/integrity.h"

#include "core/ct.h"
#include "core/seal.h"
#include "core/wipe.h"
#include "platform/platform.h"

bool module_integrity_check() noexcept {
    plat::FileHandle f = plat::kNoFile;
    const plat::ModuleFile opened = plat::module_file_open(&f);
    if (opened == plat::ModuleFile::kLinkedIntoProgram) return true;
    if (opened != plat::ModuleFile::kOpened) return false;

    const SealRecord* record = seal_record();
    SealScan scan;
    seal_begin(&scan, record->marker);
    uint8_t piece[16384];
    bool read_ok = true;
    for (;;) {
        const std::ptrdiff_t n = plat::module_file_read(f, piece, sizeof piece);
        if (n < 0) read_ok = false;
        if (n <= 0) break;
        seal_feed(&scan, piece, static_cast<std::size_t>(n));
    }
    plat::module_file_close(f);
    uint8_t seal[kSealValueLen];
    uint64_t value_at = 0;
    const bool found = seal_end(&scan, seal, &value_at);
    const bool same = ct_memeq(seal, record->value, kSealValueLen) != 0;
    secure_wipe(seal, sizeof seal);
    return read_ok && found && same;
}
