/* Loads Tessalib at run time by file name, resolves a few exports by name and
 * calls them, as a program in another language would. */
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#if defined(_WIN32)
#include <windows.h>
typedef HMODULE lib_t;
static lib_t lib_open(const char *path) { return LoadLibraryA(path); }
static void *lib_sym(lib_t lib, const char *name) { return (void *)GetProcAddress(lib, name); }
#define CALLCONV __stdcall
#else
#include <dlfcn.h>
typedef void *lib_t;
static lib_t lib_open(const char *path) { return dlopen(path, RTLD_NOW | RTLD_LOCAL); }
static void *lib_sym(lib_t lib, const char *name) { return dlsym(lib, name); }
#define CALLCONV
#endif

typedef int32_t(CALLCONV *version_fn)(void);
typedef int32_t(CALLCONV *error_lookup_fn)(char *, int32_t, int32_t);
typedef int32_t(CALLCONV *hex_from_bytes_fn)(char *, int32_t, const unsigned char *, int32_t);

int main(int argc, char **argv) {
    const char *path = argc > 1 ? argv[1] : "libtessalib.so";
    lib_t lib = lib_open(path);
    if (!lib) {
        fprintf(stderr, "cannot load %s\n", path);
        return 1;
    }
    version_fn version = (version_fn)lib_sym(lib, "API_Version");
    error_lookup_fn lookup = (error_lookup_fn)lib_sym(lib, "API_ErrorLookup");
    hex_from_bytes_fn hex = (hex_from_bytes_fn)lib_sym(lib, "CNV_HexStrFromBytes");
    if (!version || !lookup) {
        fprintf(stderr, "missing exports\n");
        return 1;
    }
    char text[128];
    printf("version %d\n", (int)version());
    int32_t n = lookup(text, (int32_t)sizeof text - 1, 33);
    printf("error 33: %s\n", text);
    if (n != 38 || strcmp(text, "Invalid key length (BAD_KEY_LEN_ERROR)") != 0) return 1;
    if (hex) {
        const unsigned char bytes[2] = {0xDE, 0xAD};
        char out[16];
        if (hex(out, 10, bytes, 2) != 4 || strcmp(out, "DEAD") != 0) return 1;
        printf("hex: %s\n", out);
    }
    return version() == 62201 ? 0 : 1;
}
