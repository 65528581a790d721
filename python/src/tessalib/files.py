"""File encryption: one file into another, read and written in pieces, so
memory use does not grow with the file.

    >>> files.encrypt_file("aes256/cbc", key, "report.txt", "report.enc", iv=iv, prefix_iv=True)
    >>> files.decrypt_file("aes256/cbc", key, "report.enc", "report.out", prefix_iv=True)

The algorithm text is that of ``tessalib.cipher``: AES and Triple DES go
through ``CIPHER_FileEncrypt``/``CIPHER_FileDecrypt``, DES and Blowfish
through ``DES_FileExt``/``BLF_FileExt``. In ECB and CBC a file is always
padded (PKCS #5, or oneandzeroes/ansix923 when named); decryption removes
the padding unless ``keep_padding`` (or the padding is named "nopadding").
CFB, OFB and CTR files are as long as the plaintext. With ``prefix_iv`` the
IV block goes in front of the ciphertext, and decryption reads it there.

The output is never the input under another name (``./a``, a hard or
symbolic link): that raises ``FileError`` (DUP_ERROR) with nothing touched.
On any failure after the input was opened the output is deleted. A file
padded in CBC is not authenticated: a changed file decrypts to changed data
or to a ``PaddingError``; add a MAC of the encrypted file (``tessalib.mac``)
where changes must be caught.
"""
from __future__ import annotations

import os
from typing import Optional, Union

from . import _call, raw
from ._call import BytesLike
from .cipher import PADDINGS, _OWN_FAMILIES, _split

__all__ = ["encrypt_file", "decrypt_file"]

PathLike = Union[str, "os.PathLike[str]"]
_KEEP_PADDING = 0x2000  # decryption leaves the padding in the output


def _path(p: PathLike, what: str) -> bytes:
    return _call.text(os.fsdecode(p), what)


def _run(encrypting: bool, alg_mode: str, key: BytesLike, input_path: PathLike, output_path: PathLike,
         iv: Optional[BytesLike], prefix_iv: bool, keep_padding: bool) -> None:
    k = _call.data(key, "key")
    i = _call.data(iv, "iv") if iv is not None else b""
    out, inp = _path(output_path, "output_path"), _path(input_path, "input_path")
    opts = (raw.OPT_PREFIX_IV if prefix_iv else 0) | (_KEEP_PADDING if keep_padding else 0)
    alg, mode, padding = _split(alg_mode)
    if alg not in _OWN_FAMILIES:
        export = "CIPHER_FileEncrypt" if encrypting else "CIPHER_FileDecrypt"
        rc = _call.fn(export)(out, inp, _call.ptr(k), len(k), i or None, len(i),
                              _call.text(alg_mode, "alg_mode"), opts)
        _call.status(export, rc)
        return
    prefix = _OWN_FAMILIES[alg][0]
    if padding is not None:
        opts |= PADDINGS.code(padding)
    ivp = i if (i and mode != "ecb") else None
    if prefix == "DES":
        export = "DES_FileExt"
        rc = _call.fn(export)(out, inp, _call.ptr(k), int(encrypting), mode.encode(), ivp, opts)
    else:
        export = "BLF_FileExt"
        rc = _call.fn(export)(out, inp, _call.ptr(k), len(k), int(encrypting), mode.encode(), ivp, opts)
    _call.status(export, rc)


def encrypt_file(alg_mode: str, key: BytesLike, input_path: PathLike, output_path: PathLike, *,
                 iv: Optional[BytesLike] = None, prefix_iv: bool = False) -> None:
    """Encrypts the file input_path into output_path (an existing output is replaced).

    ``FileError`` when a file cannot be opened, created, read or written, or
    when the output is the input; ``BadKeyLengthError`` and
    ``BadParameterError`` for a wrong key or IV."""
    _run(True, alg_mode, key, input_path, output_path, iv, prefix_iv, False)


def decrypt_file(alg_mode: str, key: BytesLike, input_path: PathLike, output_path: PathLike, *,
                 iv: Optional[BytesLike] = None, prefix_iv: bool = False, keep_padding: bool = False) -> None:
    """Decrypts the file input_path into output_path; in ECB and CBC the
    padding is checked and removed (``PaddingError`` when it is not valid,
    and the output is deleted) unless keep_padding."""
    _run(False, alg_mode, key, input_path, output_path, iv, prefix_iv, keep_padding)
