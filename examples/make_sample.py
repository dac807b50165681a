#!/usr/bin/env python3
"""Writes examples/sample.pdf, the sample document of the lumerra tools.

A PDF 1.4 file with a classic cross-reference table: three pages whose
Flate-compressed content streams draw text, font resources shared through the
page tree, and a Form XObject (with its own /Resources /Font) drawn by page 2.
The output is the same on every run.

Usage: python3 make_sample.py [OUTPUT]   (default: sample.pdf beside this script)
"""

import os
import sys
import zlib


def stream(dictionary, data, compress=True):
    """The body of a stream object; compressed data gets /Filter /FlateDecode."""
    if compress:
        data = zlib.compress(data, 9)
        dictionary += b" /Filter /FlateDecode"
    return b"<< " + dictionary + b" /Length " + str(len(data)).encode() + b" >>\nstream\n" + data + b"\nendstream"


def text_block(font, size, x, y, lines):
    """Content operators that draw lines of text, one below the other."""
    ops = [b"BT", b"/%s %d Tf" % (font, size), b"%d TL" % (size + 4), b"%d %d Td" % (x, y)]
    for line in lines:
        ops.append(b"(" + line + b") Tj T*")
    ops.append(b"ET")
    return b"\n".join(ops) + b"\n"


def build():
    page1 = text_block(b"F1", 24, 72, 760, [b"PDF Lumerra sample"]) + text_block(
        b"F2", 12, 72, 720, [b"Page 1 of 3.", b"Fonts come from the page tree root (object 6)."])
    page2 = text_block(b"F1", 18, 72, 760, [b"Page 2 draws a Form XObject:"]) + (
        b"q\n1 0 0 1 72 600 cm\n/Fm0 Do\nQ\n"
        b"0.5 w\n72 590 m\n300 590 l\nS\n")
    page3 = text_block(b"F2", 12, 72, 760, [b"Page 3 of 3.", b"Escaped parentheses: \\(like this\\)."])
    form = text_block(b"F3", 14, 10, 20, [b"Text inside the form"]) + b"0 0 200 50 re\nS\n"

    objects = {
        1: b"<< /Type /Catalog /Pages 2 0 R >>",
        2: b"<< /Type /Pages /Kids [3 0 R 4 0 R 5 0 R] /Count 3 /MediaBox [0 0 595 842] /Resources 6 0 R >>",
        3: b"<< /Type /Page /Parent 2 0 R /Contents 9 0 R >>",
        4: b"<< /Type /Page /Parent 2 0 R /Resources << /Font << /F1 7 0 R >> /XObject << /Fm0 12 0 R >> >>"
           b" /Contents 10 0 R >>",
        5: b"<< /Type /Page /Parent 2 0 R /Resources 6 0 R /Contents 11 0 R >>",
        6: b"<< /Font << /F1 7 0 R /F2 8 0 R >> /ProcSet [/PDF /Text] >>",
        7: b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica-Bold /Encoding /WinAnsiEncoding >>",
        8: b"<< /Type /Font /Subtype /Type1 /BaseFont /Times-Roman /Encoding /WinAnsiEncoding >>",
        9: stream(b"", page1),
        10: stream(b"", page2),
        11: stream(b"", page3),
        12: stream(b"/Type /XObject /Subtype /Form /BBox [0 0 200 50]"
                   b" /Resources << /Font << /F3 13 0 R >> >>", form),
        13: b"<< /Type /Font /Subtype /Type1 /BaseFont /Courier /Encoding /WinAnsiEncoding >>",
        14: b"<< /Title (PDF Lumerra sample) /Producer (make_sample.py) >>",
    }

    out = bytearray(b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n")
    offsets = {}
    for number in sorted(objects):
        offsets[number] = len(out)
        out += b"%d 0 obj\n" % number + objects[number] + b"\nendobj\n"
    xref = len(out)
    size = max(objects) + 1
    out += b"xref\n0 %d\n" % size + b"0000000000 65535 f \n"
    for number in range(1, size):
        out += b"%010d 00000 n \n" % offsets[number]
    out += b"trailer\n<< /Size %d /Root 1 0 R /Info 14 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (size, xref)
    return bytes(out)


def main():
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "sample.pdf")
    with open(target, "wb") as f:
        f.write(build())


if __name__ == "__main__":
    main()
