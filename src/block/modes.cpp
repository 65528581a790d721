// Parsing of the three-letter mode strings.
#include "block/modes.h"

int32_t ParseModeString(const char* modeText) noexcept {
    char name[3];
    for (int i = 0; i < 3; ++i) {
        char c = modeText[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c < 'A' || c > 'Z') return -1;  // also the NUL of a shorter text
        name[i] = c;
    }
    static const char kNames[5][4] = {"ECB", "CBC", "CFB", "OFB", "CTR"};
    for (int32_t m = 0; m < 5; ++m)
        if (name[0] == kNames[m][0] && name[1] == kNames[m][1] && name[2] == kNames[m][2]) return m;
    return -1;
}
