#!/usr/bin/env python3
"""Writes the seeds of the LZW, RunLength and predictor fuzz targets (lzw/,
run_length/, predictor/ beside this file), keeping the inputs that fuzzing
found (found-*). Each seed starts with the bytes that choose the target's
mode and parameters; see the comment at the top of each target."""

import os
import random
import zlib

from generate import write

TEXT = b"".join(b"BT /F1 12 Tf %d %d Td (Hello %d) Tj ET\n" % (i * 7 % 500, i * 13 % 700, i) for i in range(60))


def lzw(data, early=True, clear_when_full=True, end_marker=True):
    """Each code at the width the decoder reads it with."""
    out, pending, count = bytearray(), 0, 0

    def put(code, width):
        nonlocal pending, count
        for i in range(width - 1, -1, -1):
            pending = pending << 1 | (code >> i & 1)
            count += 1
            if count == 8:
                out.append(pending)
                pending = count = 0

    def width(entries):
        n = entries + early
        return 12 if n >= 2048 else 11 if n >= 1024 else 10 if n >= 512 else 9

    state = {}

    def clear():
        put(256, width(state.get("decoder", 258)))
        state.update(table={bytes([c]): c for c in range(256)}, encoder=258, decoder=258, first=True)

    def emit(code):
        put(code, width(state["decoder"]))
        if not state["first"] and state["decoder"] < 4096:
            state["decoder"] += 1
        state["first"] = False

    clear()
    w = b""
    for c in data:
        wc = w + bytes([c])
        if wc in state["table"]:
            w = wc
            continue
        emit(state["table"][w])
        if state["encoder"] < 4096:
            state["table"][wc] = state["encoder"]
            state["encoder"] += 1
        w = bytes([c])
        if clear_when_full and state["encoder"] == 4096:
            clear()
    if w:
        emit(state["table"][w])
    if end_marker:
        put(257, width(state["decoder"]))
    if count:
        out.append(pending << (8 - count))
    return bytes(out)


def new_pairs(size):
    """Bytes whose neighbours never pair up twice (0 1 0 2 ... 1 2 1 3 ...):
    every code is a literal and makes an entry, so the table fills fastest."""
    out = bytearray()
    for a in range(256):
        for b in range(a + 1, 256):
            out += bytes([a, b])
    return bytes(out[:size])


def lzw_inputs():
    rng = random.Random(5)
    noise = bytes(rng.randrange(256) for _ in range(3000))
    pairs = new_pairs(4000)
    return {
        # Decoded as they are: flags, then the codes.
        "iso-example": b"\x01" + bytes.fromhex("800B6050220C0C8501"),
        "text": b"\x01" + lzw(TEXT),
        "text-late": b"\x00" + lzw(TEXT, early=False),
        "noise-12-bit": b"\x01" + lzw(noise),
        "full-kept": b"\x00" + lzw(pairs, early=False, clear_when_full=False),
        "full-cleared": b"\x01" + lzw(pairs),
        "run-capped": b"\x51\x07" + lzw(b"a" * 3000),
        "no-end-marker": b"\x01" + lzw(TEXT[:300], end_marker=False),
        "invalid-code": b"\x01" + bytes.fromhex("80104852c0"),  # 256 A B 300
        # Encoded by the target's own encoder, then decoded.
        "encode-text": b"\x03" + TEXT,
        "encode-full-cleared": b"\x07" + pairs,
        "encode-full-kept": b"\x02" + pairs,
        "encode-late-no-marker": b"\x0a" + TEXT[:1000],
    }


def run_length_inputs():
    return {
        "runs": b"\x00" + b"\x02abc\xfez\x7f" + bytes(range(128)) + b"\x81x\x80",
        "no-marker": b"\x00" + b"\x01ab\xfdq",
        "cut-short": b"\x00" + b"\x05ab",
        "bomb-capped": b"\x03" + b"\x81x" * 64 + b"\x80",
        "after-marker": b"\x00" + b"\x00a\x80\x00b",
    }


def png(rows, row_bytes, pixel_bytes, types):
    out, prior = bytearray(), bytes(row_bytes)

    def paeth(a, b, c):
        p = a + b - c
        pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
        return a if pa <= pb and pa <= pc else b if pb <= pc else c

    for r, row in enumerate(rows):
        t = types[r % len(types)]
        out.append(t)
        for k, v in enumerate(row):
            a = row[k - pixel_bytes] if k >= pixel_bytes else 0
            b = prior[k]
            c = prior[k - pixel_bytes] if k >= pixel_bytes else 0
            predicted = [0, a, b, (a + b) // 2, paeth(a, b, c)][t]
            out.append((v - predicted) & 0xFF)
        prior = row
    return bytes(out)


def predictor_inputs():
    rng = random.Random(6)
    image = [bytes(rng.randrange(256) for _ in range(24)) for _ in range(8)]
    # Parameter bytes: predictor (index), colours, width (index), columns.
    png_rgb = bytes([4, 3, 3, 8, 0])       # PNG, 3 colours, 8 bits, 8 columns
    png_16 = bytes([5, 3, 4, 4, 0])        # 16 bits, 4 columns
    png_1 = bytes([6, 1, 0, 32, 0])         # 1 bit, 32 columns: 4 bytes a row
    return {
        "png-every-type": png_rgb + png(image, 24, 3, [0, 1, 2, 3, 4]),
        "png-16-bit": png_16 + png(image, 24, 6, [4, 3, 2, 1]),
        "png-1-bit": png_1 + png([r[:4] for r in image], 4, 1, [1, 4]),
        "png-partial-row": png_rgb + png(image, 24, 3, [2])[:-5],
        "png-bad-type": png_rgb + png(image[:2], 24, 3, [0]) + b"\x07" + image[2],
        "tiff-8": bytes([1, 3, 3, 8, 0]) + b"".join(image),
        "tiff-16": bytes([1, 2, 4, 6, 0]) + b"".join(image),
        "tiff-1": bytes([1, 1, 0, 20, 0]) + b"".join(image),
        "tiff-4-capped": bytes([1, 1, 2, 13, 9]) + b"".join(image),
        "none": bytes([0, 0, 8, 0, 0]) + TEXT[:100],
        "absurd-columns": bytes([4, 1, 3, 251, 0]) + b"\x02" * 64,
        "widest-row": bytes([2, 1, 4, 253, 0]) + b"\x01" * 64,
        "refused-width": bytes([1, 1, 8, 8, 0]) + b"\x01" * 16,
    }


def filter_pipeline_inputs():
    """A byte for the number of filters, one for each (0 hex, 1 base 85,
    2 Flate, 3 LZW, 4 RunLength, 5 Identity crypt; bits 3-5 a predictor),
    a byte of piece sizes, then the data."""
    text = TEXT[:600]
    runs = b"".join(bytes([len(text[i:i + 128]) - 1]) + text[i:i + 128] for i in range(0, len(text), 128)) + b"\x80"
    flate = zlib.compress(lzw(runs))
    return {
        "none": bytes([0, 0x35]) + text,
        "hex-flate": bytes([2, 0, 2, 0x53]) + flate.hex().encode() + b">",
        "flate-lzw-runs": bytes([3, 2, 3, 4, 0x17]) + flate,
        "five": bytes([5, 0, 5, 2, 3, 4, 0x71]) + zlib.compress(lzw(runs)).hex().encode() + b">",
        "flate-png": bytes([1, 2 | 4 << 3, 0x35]) + zlib.compress(png([text[i:i + 3] for i in range(0, 300, 3)], 3, 1, [1, 2])),
        "base85-damaged": bytes([2, 1, 3, 0x44]) + b"9jqo^BlbD-Bz~x",
        "lzw-early-off": bytes([1, 3 | 0x40, 0]) + lzw(text, early=False),
    }


def main():
    write("filter_pipeline", filter_pipeline_inputs())
    write("lzw", lzw_inputs())
    write("run_length", run_length_inputs())
    write("predictor", predictor_inputs())


if __name__ == "__main__":
    main()
