/* Links against an installed Tessalib through its header and library. */
#include <stdio.h>
#include <tessalib.h>

int main(void) {
    char text[64];
    if (API_Version() != 62201) return 1;
    /* The installed library is the file the build sealed: its checks pass. */
    if (API_PowerUpTests() != 0) return 1;
    if (API_ErrorLookup(text, 63, -BAD_KEY_LEN_ERROR) != 38) return 1;
    puts(text);
    return 0;
}
