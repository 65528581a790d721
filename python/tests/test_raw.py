"""The raw layer against the header it was generated from, and the library."""
import ctypes
import pathlib
import re
import textwrap

import tessalib
from tessalib import _header, _prototypes, raw

PACKAGE = pathlib.Path(tessalib.__file__).resolve().parent

# Exports that no Pythonic module calls, on purpose, by pattern and reason.
# A new export matches none of these until a module wraps it or it is listed
# here with its reason: test_every_export_is_wrapped_or_listed names it.
RAW_ONLY = {
    r"^(AES128|AES192|AES256|TDEA)_": "AES and Triple DES are reached through CIPHER_ (tessalib.cipher)",
    r"^(DES|BLF)_(Bytes|Hex|HexMode|B64Mode|Init|InitHex|Update|UpdateHex|Final|InitError|Ecb|EcbHex)$":
        "tessalib.cipher uses DES_BytesMode and BLF_BytesMode; the rest are text and context forms",
    r"^DES_CheckKey(Hex)?$": "a DES weak-key test, kept in the raw layer",
    r"^(DES|BLF)_(File|FileHex)$": "the forms of DES_FileExt/BLF_FileExt without options and with hex text",
    r"^(SHA1|SHA2|SHA3|MD5)_": "the fixed-algorithm hash families duplicate HASH_ and MAC_",
    r"^HASH_(HexFromBytes|HexFromHex|HexFromFile)$": "hex forms of HASH_Bytes/HASH_File; Python has .hex()",
    r"^MAC_(HexFromBytes|HexFromHex)$": "hex forms of MAC_Bytes",
    r"^PBE_(Kdf2Hex|ScryptHex)$": "hex forms of PBE_Kdf2/PBE_Scrypt",
    r"^RNG_(KeyHex|NonceDataHex|HexWithPrompt)$": "hex forms of the RNG_ byte functions",
    r"^RNG_TestDRBGVS$": "a validation-test harness, kept in the raw layer",
    r"^CIPHER_(EncryptBytes2|DecryptBytes2)$": "second names of CIPHER_EncryptBytes/DecryptBytes",
    r"^CIPHER_(EncryptHex|DecryptHex|InitHex|UpdateHex|StreamHex)$": "hex forms of the CIPHER_ functions",
    r"^PAD_(HexBlock|UnpadHex)$": "hex forms of PAD_BytesBlock/PAD_UnpadBytes",
    r"^PC1_(Bytes|Hex|File)$": "Arcfour is tessalib.stream 'arcfour' through CIPHER_Stream*",
}


def test_generated_table_matches_the_header(header_text):
    assert _header.parse_prototypes(header_text) == _prototypes.PROTOTYPES, \
        "tessalib.h changed: run python3 python/tools/gen_prototypes.py"
    assert _header.parse_constants(header_text) == _prototypes.CONSTANTS, \
        "tessalib.h changed: run python3 python/tools/gen_prototypes.py"
    assert _header.render_module(header_text) == (PACKAGE / "_prototypes.py").read_text()


def test_every_export_of_the_header_is_in_the_library():
    assert raw.missing() == []


def test_prototypes_are_applied():
    for name, (result, params) in _prototypes.PROTOTYPES.items():
        fn = raw.function(name)
        assert fn.restype is ctypes.c_int32, name
        assert len(fn.argtypes) == len(params), name
    assert raw.CIPHER_PAD_W3C == 0x50000 and raw.AUTH_FAIL_ERROR == 40
    assert raw.signature("API_Version") == ("int32_t", ())


def test_the_parser_reads_every_form():
    text = textwrap.dedent("""
    /* TESSALIB_API int32_t TESSALIB_CALL Commented(void); */
    #define SOME_OPTION 0x1000  /* x */
    TESSALIB_API int32_t TESSALIB_CALL F_None(void);
    TESSALIB_API int32_t TESSALIB_CALL F_Args(char *output, int32_t n,
        const unsigned char *input, const uint16_t *wide);
    """)
    assert _header.parse_prototypes(text) == {
        "F_None": ("int32_t", ()),
        "F_Args": ("int32_t", (("char *", "output"), ("int32_t", "n"), ("const unsigned char *", "input"),
                               ("const uint16_t *", "wide"))),
    }
    assert _header.parse_constants(text) == {"SOME_OPTION": 0x1000}


def test_every_export_is_wrapped_or_listed():
    source = "\n".join(p.read_text() for p in PACKAGE.glob("*.py") if p.name != "_prototypes.py")
    unwrapped = []
    for name in _prototypes.PROTOTYPES:
        used = f'"{name}"' in source
        listed = any(re.search(pattern, name) for pattern in RAW_ONLY)
        assert not (used and listed), f"{name} is wrapped: take it off RAW_ONLY"
        if not used and not listed:
            unwrapped.append(name)
    assert unwrapped == [], "exports with no Pythonic wrapper (wrap them or list them in RAW_ONLY): " + \
        ", ".join(unwrapped)


def test_an_unknown_export_is_an_attribute_error():
    import pytest
    with pytest.raises(AttributeError):
        raw.NOT_AN_EXPORT
