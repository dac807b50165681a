#!/usr/bin/env python3
"""Writes COUNT small PDF files into FOLDER and prints their paths, one a line.

Usage: generate_pdfs.py FOLDER COUNT

The files are the same in every run. Most are sound PDF 1.4 files of one to
eight pages with a Flate-compressed content stream each; every tenth has its
cross-reference table pointing at the wrong offsets (read after a repair, or
refused) and every seventeenth is not a PDF at all, so that the records of a
run show more than one status.
"""
import os
import sys
import zlib


def sound_pdf(index):
    pages = 1 + index % 8
    objects = []  # bodies of objects 1 .. n

    def add(body):
        objects.append(body)
        return len(objects)

    catalog = add(None)
    tree = add(None)
    font = add(b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>")
    kids = []
    for page in range(pages):
        text = b"BT /F1 12 Tf 72 720 Td (file %d page %d) Tj ET" % (index, page + 1)
        data = zlib.compress(text)
        content = add(b"<< /Length %d /Filter /FlateDecode >>\nstream\n%s\nendstream" % (len(data), data))
        kids.append(add(b"<< /Type /Page /Parent %d 0 R /MediaBox [0 0 612 792] "
                        b"/Resources << /Font << /F1 %d 0 R >> >> /Contents %d 0 R >>"
                        % (tree, font, content)))
    objects[catalog - 1] = b"<< /Type /Catalog /Pages %d 0 R >>" % tree
    objects[tree - 1] = b"<< /Type /Pages /Kids [%s] /Count %d >>" % (
        b" ".join(b"%d 0 R" % kid for kid in kids), pages)

    out = bytearray(b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n")
    offsets = []
    for number, body in enumerate(objects, start=1):
        offsets.append(len(out))
        out += b"%d 0 obj\n%s\nendobj\n" % (number, body)
    xref = len(out)
    shift = 7 if index % 10 == 9 else 0  # every tenth file: a table that points astray
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    for offset in offsets:
        out += b"%010d 00000 n \n" % (offset + shift)
    out += b"trailer\n<< /Size %d /Root %d 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (
        len(objects) + 1, catalog, xref)
    return bytes(out)


def main():
    folder, count = sys.argv[1], int(sys.argv[2])
    os.makedirs(folder, exist_ok=True)
    for index in range(count):
        path = os.path.join(folder, "doc-%04d.pdf" % index)
        data = b"not a PDF file %d\n" % index if index % 17 == 16 else sound_pdf(index)
        with open(path, "wb") as out:
            out.write(data)
        print(path)


if __name__ == "__main__":
    main()
