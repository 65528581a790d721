"""Tessalib for Python.

Two layers: ``tessalib.raw`` has every export of ``tessalib.h`` with its C
prototype; the modules below are the Pythonic layer, one per family, bytes
in and bytes out, every failure an exception (``tessalib.errors``).

    hash    HASH_       digests, of files too, streaming
    mac     MAC_        HMAC, CMAC, Poly1305, KMAC
    xof     XOF_, PRF_  SHAKE, MGF1, Ascon-XOF, KMAC with any output length
    kdf     PBE_        PBKDF2, scrypt
    rng     RNG_        random keys, nonces, numbers, seed files
    aead    AEAD_       AES-GCM, ChaCha20-Poly1305, Ascon; nonce sequences
    gcm     GCM_        AES-GCM with any key size, IV length and tag length
    cipher  CIPHER_, PAD_, DES_, BLF_   block ciphers with padding
    wrap    CIPHER_KeyWrap              key wrap
    stream  CIPHER_Stream, PC1_         Arcfour, Salsa20, ChaCha20
    codec   CNV_        hex, base64, UTF-16
    files   *_FileExt, CIPHER_FileEncrypt/FileDecrypt   encrypting files
    compress COMPR_, ZLIB_  zlib and Zstandard
    crc     CRC_        CRC-32 of bytes, text and files
    wipe    WIPE_       wiping buffers and files
    module  API_        version, build time, file, platform; the power-up tests

The library is found through ``TESSALIB_LIBRARY``, then a copy in the
package, then the system loader (see ``tessalib._loader``).
"""
from __future__ import annotations

from . import aead, cipher, codec, compress, crc, errors, files, gcm, hash, kdf, mac, module, raw, rng, stream, wipe, wrap, xof  # noqa: F401
from .errors import (AuthenticationError, BadKeyLengthError, BadParameterError, FileError,  # noqa: F401
                     InvalidHandleError, OutOfMemoryError, PaddingError, SelfTestFailedError, TessalibError,
                     UnsupportedError, WrongThreadError)

__all__ = ["aead", "cipher", "codec", "compress", "crc", "errors", "files", "gcm", "hash", "kdf", "mac", "module", "raw", "rng", "stream", "wipe", "wrap", "xof",
           "AuthenticationError", "BadKeyLengthError", "BadParameterError", "FileError", "InvalidHandleError",
           "OutOfMemoryError", "PaddingError", "SelfTestFailedError", "TessalibError", "UnsupportedError", "WrongThreadError",
           "library_version", "library_path", "power_up_tests"]
__version__ = "6.22.1"


def library_version() -> int:
    """``API_Version`` of the loaded library (62201 is 6.22.01)."""
    return int(raw.function("API_Version")())


def library_path() -> str:
    """The file the library was loaded from."""
    from . import _loader
    return str(_loader.library()._name)


def power_up_tests() -> None:
    """Runs the library's power-up tests again (``API_PowerUpTests``); raises
    ``SelfTestFailedError`` when any fails. See ``tessalib.module``."""
    module.power_up_tests()
