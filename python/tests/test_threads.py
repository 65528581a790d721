"""Threads: each has its own contexts; objects stay with the thread that made them."""
import concurrent.futures
import hashlib
import os
import threading

import pytest

import tessalib
from tessalib import aead, cipher, hash, mac


def test_threads_stream_at_once_each_in_its_own_context():
    def work(seed):
        data = os.urandom(10000 + seed)
        results = []
        for _ in range(20):
            with hash.new("sha256") as h, mac.new("hmac-sha256", b"k") as m:
                for i in range(0, len(data), 997):
                    h.update(data[i:i + 997])
                    m.update(data[i:i + 997])
                results.append((h.digest(), m.digest()))
        return data, results

    with concurrent.futures.ThreadPoolExecutor(8) as pool:
        for data, results in pool.map(work, range(8)):
            assert all(d == hashlib.sha256(data).digest() for d, _ in results)


@pytest.mark.parametrize("make", [
    lambda: hash.new("sha256"),
    lambda: mac.new("hmac-sha256", b"key"),
    lambda: cipher.new("aes128/ctr", bytes(16), iv=bytes(16)),
    lambda: aead.new("aes128-gcm", bytes(16)),
    lambda: tessalib.gcm.GcmKey(bytes(16)),
    lambda: tessalib.stream.new("chacha20", bytes(32), iv=bytes(12)),
])
def test_a_context_never_reaches_another_thread(make):
    ctx = make()
    # The other thread opens its own context of the family: its handle may
    # well have the same number, and must not be reached through ours.
    seen = []

    def other():
        mine = make()
        try:
            ctx.close()                   # does nothing in a foreign thread
            method = getattr(ctx, "update", None) or getattr(ctx, "encrypt")
            method(b"x") if method.__name__ == "update" else method(bytes(12), b"x")
        except tessalib.WrongThreadError as e:
            seen.append(str(e))
        mine.close()

    t = threading.Thread(target=other)
    t.start()
    t.join()
    assert len(seen) == 1 and "another thread" in seen[0]
    assert not ctx.closed
    ctx.close()


def test_an_object_from_an_ended_thread_is_refused():
    box = []
    t = threading.Thread(target=lambda: box.append(hash.new("sha1")))
    t.start()
    t.join()
    with pytest.raises(tessalib.WrongThreadError):
        box[0].digest()


def test_a_call_that_ends_the_threads_context_ends_the_object(tmp_path):
    # A failed open ends the earlier context too (the library ends it first).
    first = cipher.new("aes128/ctr", bytes(16), iv=bytes(16))
    with pytest.raises(tessalib.BadKeyLengthError):
        cipher.new("aes128/ctr", bytes(15), iv=bytes(16))
    with pytest.raises(tessalib.InvalidHandleError, match="replaced"):
        first.update(b"x")
    # The stream file procedure uses the thread's stream context.
    s = tessalib.stream.new("arcfour", b"key")
    src = tmp_path / "in"
    src.write_bytes(b"data")
    tessalib.stream.crypt_file("arcfour", b"key", src, tmp_path / "out")
    with pytest.raises(tessalib.InvalidHandleError, match="crypt_file"):
        s.update(b"x")
    # An empty key is refused before the library could leave the slot as it was.
    m = mac.new("hmac-sha256", b"k")
    with pytest.raises(tessalib.BadParameterError):
        mac.new("hmac-sha256", b"")
    m.update(b"still open")
    assert len(m.digest()) == 32
