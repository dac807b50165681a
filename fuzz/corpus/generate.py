#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets: small valid files and the edge
cases the tests care about. Run from anywhere; it rewrites the folders beside
it (document/, lexer/, ascii_hex/, ascii85/, flate/, stream_data/,
shell_link/, revisions/), keeping
the inputs that fuzzing found (found-*), which the regression tests check.
With qpdf installed (a test-only tool) it also rewrites the encrypted seeds
of document_extended/ (encrypted-*); AES-256 salts are random, so those
differ from run to run. With Ghostscript's ps2pdf as well, it writes
producer-* seeds into document/, document_extended/ and triage/: a document
as ps2pdf writes it, and qpdf's rewrites of it."""

import os
import re
import shutil
import subprocess
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


class Pdf:
    """Objects in, bytes out, with exact cross-reference offsets."""

    def __init__(self, header=b"%PDF-1.4\n", entry_end=b" \n"):
        self.header = header
        self.entry_end = entry_end
        self.revisions = [{}]
        self.trailer_extra = [b""]

    def set(self, number, body):
        self.revisions[-1][number] = body if isinstance(body, bytes) else body.encode("latin-1")
        return self

    def stream(self, number, dictionary, data):
        body = b"<< /Length %d %s >>\nstream\n" % (len(data), dictionary.encode()) + data + b"\nendstream"
        return self.set(number, body)

    def new_revision(self, extra=b""):
        self.revisions.append({})
        self.trailer_extra.append(extra)
        return self

    def build(self, root=1, extra=b""):
        out = bytearray(self.header)
        previous = None
        size = 1
        for index, objects in enumerate(self.revisions):
            offsets = {}
            for number in sorted(objects):
                offsets[number] = len(out)
                out += b"%d 0 obj\n" % number + objects[number] + b"\nendobj\n"
                size = max(size, number + 1)
            xref = len(out)
            out += b"xref\n"
            entries = dict((n, b"%010d 00000 n" % o + self.entry_end) for n, o in offsets.items())
            if index == 0:
                entries[0] = b"0000000000 65535 f" + self.entry_end
            numbers = sorted(entries)
            run = []
            for n in numbers + [None]:
                if run and (n is None or n != run[-1] + 1):
                    out += b"%d %d\n" % (run[0], len(run)) + b"".join(entries[k] for k in run)
                    run = []
                if n is not None:
                    run.append(n)
            out += b"trailer\n<< /Size %d /Root %d 0 R" % (size, root)
            if previous is not None:
                out += b" /Prev %d" % previous
            out += b" " + extra + self.trailer_extra[index] + b" >>\nstartxref\n%d\n%%%%EOF\n" % xref
            previous = xref
        return bytes(out)


def simple(contents, resources="", dictionary=""):
    pdf = Pdf()
    pdf.set(1, "<< /Type /Catalog /Pages 2 0 R >>")
    kids = " ".join("%d 0 R" % (3 + 2 * i) for i in range(len(contents)))
    pdf.set(2, "<< /Type /Pages /Kids [%s] /Count %d >>" % (kids, len(contents)))
    for i, data in enumerate(contents):
        page, content = 3 + 2 * i, 4 + 2 * i
        res = " /Resources " + resources if resources else ""
        pdf.set(page, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792]%s /Contents %d 0 R >>" % (res, content))
        pdf.stream(content, dictionary, data)
    return pdf


def a85(data):
    import base64
    return base64.a85encode(data) + b"~>"


def hexa(data):
    return data.hex().encode() + b">"


CONTENT = b"BT /F1 12 Tf 72 712 Td (Hello, world) Tj ET\n0 0 m 100 100 l S\n"


def documents():
    docs = {}
    docs["one-page"] = simple([CONTENT]).build()
    docs["two-pages-fonts"] = simple([CONTENT, b"q 1 0 0 1 0 0 cm Q"],
                                     "<< /Font << /F1 5 0 R /F2 6 0 R >> /ProcSet [/PDF /Text] >>").build()
    docs["flate"] = simple([zlib.compress(CONTENT)], dictionary="/Filter /FlateDecode").build()
    docs["hex"] = simple([hexa(CONTENT)], dictionary="/Filter /ASCIIHexDecode").build()
    docs["a85"] = simple([a85(CONTENT)], dictionary="/Filter /ASCII85Decode").build()
    docs["a85-flate"] = simple([a85(zlib.compress(CONTENT))],
                               dictionary="/Filter [/ASCII85Decode /FlateDecode]").build()
    docs["hex-flate"] = simple([hexa(zlib.compress(CONTENT))],
                               dictionary="/Filter [/ASCIIHexDecode /FlateDecode]").build()
    docs["flate-a85-unsupported-order"] = simple([a85(CONTENT)],
                                                 dictionary="/Filter [/FlateDecode /ASCII85Decode]").build()
    docs["unknown-filter"] = simple([b"(unbalanced ( data"], dictionary="/Filter /LZWDecode").build()

    # Forms: nested, inline and indirect categories, a cycle, a diamond.
    pdf = Pdf()
    pdf.set(1, "<< /Type /Catalog /Pages 2 0 R /Outlines 9 0 R >>")
    pdf.set(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 /Resources 8 0 R >>")
    pdf.set(3, "<< /Type /Page /Parent 2 0 R /Contents [4 0 R 4 0 R] >>")
    pdf.stream(4, "", b"/Fm0 Do")
    pdf.stream(5, "/Type /XObject /Subtype /Form /BBox [0 0 1 1] /Resources << /XObject << /Fm1 6 0 R /Fm2 6 0 R >> >>",
               b"/Fm1 Do")
    pdf.stream(6, "/BBox [0 0 1 1] /Resources << /XObject 7 0 R /Font << /F1 10 0 R >> >>", b"(form six)")
    pdf.set(7, "<< /Back 5 0 R /Im 11 0 R >>")
    pdf.set(8, "<< /XObject << /Fm0 5 0 R >> /ExtGState << /G0 << /CA 1 >> >> /Font << /F9 10 0 R >> >>")
    pdf.set(9, "<< /Type /Outlines >>")
    pdf.set(10, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>")
    pdf.stream(11, "/Subtype /Image /Width 1 /Height 1 /BitsPerComponent 8", b"\x00")
    docs["forms"] = pdf.build()

    # Form paths that multiply: each level lists the next twice (256 paths;
    # the 10,000-form limit is left to the tests, as it makes every run slow).
    pdf = Pdf()
    pdf.set(1, "<< /Type /Catalog /Pages 2 0 R >>")
    pdf.set(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>")
    pdf.set(3, "<< /Type /Page /Parent 2 0 R /Resources << /XObject << /A 10 0 R >> >> >>")
    for level in range(10, 18):
        nxt = level + 1
        res = "<< /XObject << /A %d 0 R /B %d 0 R >> >>" % (nxt, nxt) if level < 17 else "<< >>"
        pdf.stream(level, "/Subtype /Form /Resources " + res, b"q Q")
    docs["form-diamonds"] = pdf.build()

    # Page tree: an intermediate node, a kid that leads back, a shared leaf.
    pdf = Pdf()
    pdf.set(1, "<< /Type /Catalog /Pages 2 0 R >>")
    pdf.set(2, "<< /Type /Pages /Kids [3 0 R 5 0 R 5 0 R 2 0 R] /Count 3 /MediaBox [0 0 595 842] >>")
    pdf.set(3, "<< /Type /Pages /Parent 2 0 R /Kids 7 0 R /Count 2 >>")
    pdf.set(4, "<< /Type /Page /Parent 3 0 R /Contents 6 0 R >>")
    pdf.set(5, "<< /Type /Page /Parent 5 0 R /Contents 6 0 R >>")
    pdf.stream(6, "", CONTENT)
    pdf.set(7, "[4 0 R 2 0 R]")
    docs["page-tree-cycles"] = pdf.build()

    # Two revisions with /Prev, an indirect /Length, 19-byte entries.
    pdf = simple([CONTENT])
    pdf.entry_end = b"\n"
    pdf.new_revision(b"/Info 9 0 R")
    pdf.set(9, "<< /Title (a \\) b) >>")
    pdf.set(4, b"<< /Length 10 0 R >>\nstream\n" + CONTENT + b"\nendstream")
    pdf.set(10, "%d" % len(CONTENT))
    docs["update-indirect-length"] = pdf.build()

    # Lengths that lie, and an encrypted trailer.
    for name, length in (("length-huge", "2147483647"), ("length-negative", "-5"), ("length-short", "3")):
        pdf = simple([])
        pdf.set(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>")
        pdf.set(3, "<< /Type /Page /Parent 2 0 R /Contents 4 0 R >>")
        pdf.set(4, b"<< /Length " + length.encode() + b" /Filter /FlateDecode >>\nstream\n" +
                zlib.compress(CONTENT) + b"\nendstream")
        docs[name] = pdf.build()
    docs["encrypted"] = simple([CONTENT]).build(extra=b"/Encrypt 9 0 R")
    docs["bomb"] = simple([zlib.compress(b"\0" * 400000, 9)], dictionary="/Filter /FlateDecode").build()

    # Refusals and damage.
    docs["empty"] = b""
    docs["four-bytes"] = b"%PDF"
    docs["version-1.5"] = simple([CONTENT]).build().replace(b"%PDF-1.4", b"%PDF-1.5", 1)
    docs["no-eof"] = simple([CONTENT]).build().rstrip(b"\n")[:-5] + b"\n"
    full = simple([CONTENT]).build()
    docs["xref-million-entries"] = full.replace(b"xref\n0 5\n", b"xref\n0 4000000\n")
    docs["truncated"] = full[: len(full) // 2] + b"\nstartxref\n9\n%%EOF\n"
    return docs


# The user password of the encrypted seeds that need one; the extended
# document target tries it (FuzzDocumentExtended.cpp).
SEED_PASSWORD = "fuzz"


def encrypted_document():
    """Two pages, a Flate stream, a form and document information: what
    decryption reaches in a report."""
    pdf = Pdf()
    pdf.set(1, "<< /Type /Catalog /Pages 2 0 R >>")
    pdf.set(2, "<< /Type /Pages /Kids [3 0 R 5 0 R] /Count 2 /MediaBox [0 0 612 792] >>")
    pdf.set(3, "<< /Type /Page /Parent 2 0 R /Contents 4 0 R /Resources << /XObject << /Fm0 6 0 R >> >> >>")
    pdf.stream(4, "/Filter /FlateDecode", zlib.compress(CONTENT + b"/Fm0 Do\n"))
    pdf.set(5, "<< /Type /Page /Parent 2 0 R /Contents 7 0 R >>")
    pdf.stream(6, "/Type /XObject /Subtype /Form /BBox [0 0 1 1]", b"0 0 m 1 1 l S")
    pdf.stream(7, "/Filter /ASCIIHexDecode", hexa(CONTENT))
    pdf.set(8, "<< /Title (encrypted seed) >>")
    return pdf.build(extra=b"/Info 8 0 R")


def indirect_crypt_filters(data):
    """Appends an incremental update that writes the encryption dictionary
    again with /CF and its crypt filter as indirect objects; the encrypted
    objects stay as they were, and every offset is exact."""
    trailer = data[data.rindex(b"trailer"):]
    size = int(re.search(rb"/Size (\d+)", trailer).group(1))
    encrypt = int(re.search(rb"/Encrypt (\d+) 0 R", trailer).group(1))
    root = re.search(rb"/Root (\d+ \d+ R)", trailer).group(1)
    ident = re.search(rb"/ID \[[^\]]*\]", trailer).group(0)
    previous = int(re.search(rb"startxref\s+(\d+)", trailer).group(1))
    start = data.index(b"\n%d 0 obj" % encrypt) + 1
    body = data[data.index(b"obj", start) + 3:data.index(b"endobj", start)].strip()
    crypt = re.search(rb"/CF\s*<<\s*/StdCF\s*(<<[^>]*>>)\s*>>", body)
    filters, filter_ = size, size + 1
    objects = {encrypt: body[:crypt.start()] + b"/CF %d 0 R" % filters + body[crypt.end():],
               filters: b"<< /StdCF %d 0 R >>" % filter_, filter_: crypt.group(1)}
    out = bytearray(data if data.endswith(b"\n") else data + b"\n")
    offsets = {}
    for number in sorted(objects):
        offsets[number] = len(out)
        out += b"%d 0 obj\n" % number + objects[number] + b"\nendobj\n"
    xref = len(out)
    out += b"xref\n%d 1\n%010d 00000 n \n%d 2\n" % (encrypt, offsets[encrypt], filters)
    out += b"%010d 00000 n \n%010d 00000 n \n" % (offsets[filters], offsets[filter_])
    out += b"trailer\n<< /Size %d /Root %s /Encrypt %d 0 R %s /Prev %d >>\n" % (size + 2, root, encrypt, ident, previous)
    out += b"startxref\n%d\n%%%%EOF\n" % xref
    return bytes(out)


def encrypted_documents():
    """The document encrypted by qpdf with every handler and revision; {}
    without qpdf."""
    if shutil.which("qpdf") is None:
        return {}
    cases = {
        "encrypted-rc4-40": "'' owner 40",
        "encrypted-rc4-128": "'' owner 128 --use-aes=n",
        "encrypted-aes-128": "'' owner 128 --use-aes=y",
        "encrypted-aes-128-object-streams": "'' owner 128 --use-aes=y",
        "encrypted-aes-256": "'' owner 256",
        "encrypted-aes-256-r5": "'' owner 256 --force-R5",
        "encrypted-rc4-128-user-password": SEED_PASSWORD + " owner 128 --use-aes=n",
        "encrypted-aes-256-user-password": SEED_PASSWORD + " owner 256",
        # An empty owner password opens these whatever password is given.
        "encrypted-rc4-128-empty-owner": SEED_PASSWORD + " '' 128 --use-aes=n",
        "encrypted-aes-128-empty-owner": SEED_PASSWORD + " '' 128 --use-aes=y",
        "encrypted-aes-256-empty-owner": SEED_PASSWORD + " '' 256 --allow-insecure",
    }
    docs = {}
    with tempfile.TemporaryDirectory() as folder:
        plain = os.path.join(folder, "plain.pdf")
        with open(plain, "wb") as f:
            f.write(encrypted_document())
        for name, encryption in cases.items():
            layout = "generate" if "object-streams" in name else "disable"
            out = os.path.join(folder, name)
            subprocess.run("qpdf --static-id --static-aes-iv --allow-weak-crypto --object-streams=%s --encrypt %s -- "
                           "'%s' '%s'" % (layout, encryption, plain, out), shell=True, check=True)
            with open(out, "rb") as f:
                docs[name] = f.read()
    docs["encrypted-aes-256-indirect-cf"] = indirect_crypt_filters(docs["encrypted-aes-256"])
    # Its table cannot be followed: the rebuilt one is decrypted.
    docs["encrypted-aes-128-rebuilt"] = re.sub(rb"startxref\s+\d+", b"startxref\n1",
                                               docs["encrypted-aes-128-object-streams"])
    return docs


# Two pages as a producer typesets them from PostScript: text in two
# standard fonts, a line and a filled shape.
PRODUCER_POSTSCRIPT = b"""%!PS
/Helvetica findfont 12 scalefont setfont
72 720 moveto (First page: stream obj xref trailer) show
newpath 72 700 moveto 300 650 lineto stroke
showpage
/Times-Roman findfont 14 scalefont setfont
72 720 moveto (Second page) show
0.2 0.4 0.6 setrgbcolor 72 600 100 50 rectfill
showpage
"""


def producer_documents():
    """The same document as real producers write it: Ghostscript's ps2pdf,
    then qpdf's object streams, linearization and encryption over that; {}
    without ps2pdf or qpdf."""
    if shutil.which("ps2pdf") is None or shutil.which("qpdf") is None:
        return {}
    rewrites = {
        "object-streams": "--object-streams=generate",
        "linearized": "--linearize",
        "linearized-object-streams": "--linearize --object-streams=generate",
        "rc4-128": "--encrypt '' owner 128 --use-aes=n --",
        "aes-256-object-streams": "--object-streams=generate --encrypt '' owner 256 --",
        "aes-256-empty-owner": "--encrypt %s '' 256 --allow-insecure --" % SEED_PASSWORD,
        "aes-128-user-password-linearized": "--linearize --encrypt %s owner 128 --use-aes=y --" % SEED_PASSWORD,
        "rc4-40-linearized-object-streams": "--linearize --object-streams=generate --encrypt '' owner 40 --",
    }
    docs = {}
    with tempfile.TemporaryDirectory() as folder:
        source = os.path.join(folder, "doc.ps")
        with open(source, "wb") as f:
            f.write(PRODUCER_POSTSCRIPT)
        for level in ("1.4", "1.7"):
            plain = os.path.join(folder, "ps2pdf-%s.pdf" % level)
            subprocess.run(["ps2pdf", "-dCompatibilityLevel=" + level, source, plain], check=True)
            with open(plain, "rb") as f:
                docs["ps2pdf-%s" % level] = f.read()
        plain = os.path.join(folder, "ps2pdf-1.4.pdf")
        for name, options in rewrites.items():
            out = os.path.join(folder, name)
            subprocess.run("qpdf --static-id --static-aes-iv --allow-weak-crypto %s '%s' '%s'" % (options, plain, out),
                           shell=True, check=True)
            with open(out, "rb") as f:
                docs["ps2pdf-" + name] = f.read()
    return docs


def lexer_inputs():
    return {
        "tokens": b"\x00  \r\n 12 0 obj\n<</Type/Page/Parent 3 0 R>>\n[0 0 612 792]\nendobj",
        "comment": b"\x0f/Name%rest of line\nnext 1\t0 {abc}",
        "strings": b"\x33(a\\)b) tail (a(b)c) tail (\\\r\nx) (\\12) (\\1)",
        "header": b"\xc07 0 obj % note\n<< /Length 5 >>\nstream\nabcde\nendstream",
        "box": b"\x00 [-8.5 0.5 595.5 842]",
        "crlf": b"\xaaabc\r\nxyz\r%\r(\\",
    }


def filter_inputs():
    data = CONTENT
    hex_cases = {
        "pairs": hexa(data),
        "spaced": b"48 65 6C 6c 6F>",
        "odd": b"4 865 6>",
        "nul": b"4142\x004344",
    }
    a85_cases = {
        "text": a85(data),
        "z": b"z!!!!!~>",
        "open-groups": b"9jqo^BlbD-BleB1DJ+*+F(f,q~>",
        "void": b"!!z!!~>",
        "lone-tilde": b"<~9jqo~",
    }
    flate_cases = {
        "text": zlib.compress(data),
        "empty": zlib.compress(b""),
        "multi-chunk": zlib.compress(b"abc" * 5000, 9),
        "trailing": zlib.compress(data) + b"\r\n",
        "raw-deflate": zlib.compress(data)[2:-4],
        "truncated": zlib.compress(data * 20)[:40],
    }
    # First byte: filter list; second: length choice (0 = the data's size).
    stream_cases = {
        "plain": b"\x00\x00\n" + data,
        "hex": b"\x01\x00\n" + hexa(data) + b"\nendstream",
        "a85": b"\x02\x00\n" + a85(data) + b"\nendstream",
        "flate-crlf": b"\x03\x00\r\n" + zlib.compress(data) + b"\r\nendstream",
        "hex-flate": b"\x04\x00\n" + hexa(zlib.compress(data)) + b"\nendstream",
        "a85-flate": b"\x05\x00\n" + a85(zlib.compress(data)) + b"\nendstream",
        "huge-length": b"\x03\x05\n" + zlib.compress(data) + b"\nendstream",
        "unknown": b"\x09\x00\n(((",
    }
    return {"ascii_hex": hex_cases, "ascii85": a85_cases, "flate": flate_cases, "stream_data": stream_cases}


def u16(value):
    return value.to_bytes(2, "little")


def u32(value):
    return value.to_bytes(4, "little")


def link_info(local_base="", suffix="", net_name="", unicode=False, encoding="latin-1"):
    """LinkInfo: the local base path with its volume, the network share, the
    common path suffix; the Unicode forms too when asked (header 0x24)."""
    header = 0x24 if unicode else 0x1C
    body = bytearray()

    def ansi_z(text):
        # What the code page cannot hold is written as "?", as Windows does.
        return text.encode(encoding, "replace") + b"\0"

    def place(data):
        offset = header + len(body)
        body.extend(data)
        return offset

    flags = volume = base = network = base_unicode = suffix_unicode = 0
    if local_base:
        flags |= 1
        volume = place(u32(0x11) + u32(3) + u32(0x1234ABCD) + u32(0x10) + b"\0")
        base = place(ansi_z(local_base))
    if net_name:
        flags |= 2
        # NetNameOffset above 0x14: the Unicode name follows the ANSI one.
        ansi = ansi_z(net_name)
        wide = net_name.encode("utf-16-le") + b"\0\0"
        size = 0x1C + len(ansi) + len(wide)
        network = place(u32(size) + u32(0) + u32(0x1C) + u32(0) + u32(0x20000) + u32(0x1C + len(ansi)) + u32(0) +
                        ansi + wide)
    common = place(ansi_z(suffix))
    if unicode:
        if local_base:
            base_unicode = place(local_base.encode("utf-16-le") + b"\0\0")
        suffix_unicode = place(suffix.encode("utf-16-le") + b"\0\0")
    fields = u32(header) + u32(flags) + u32(volume) + u32(base) + u32(network) + u32(common)
    if unicode:
        fields += u32(base_unicode) + u32(suffix_unicode)
    return u32(4 + len(fields) + len(body)) + fields + bytes(body)


def shortcut(info=None, name=None, relative=None, working_dir=None, arguments=None, id_list=True, unicode=True,
             encoding="latin-1", extra_flags=0):
    """A .lnk file: header, target ID list, LinkInfo, the StringData entries
    given, an empty extra-data list."""
    flags = extra_flags | (0x80 if unicode else 0)
    body = bytearray()
    if id_list:
        flags |= 0x01
        # One item, "My Computer", and the terminator.
        item = b"\x1f\x50" + bytes.fromhex("e04fd020ea3a6910a2d808002b30309d")
        items = u16(2 + len(item)) + item + u16(0)
        body += u16(len(items)) + items
    if info is not None:
        flags |= 0x02
        body += info
    for flag, text in ((0x04, name), (0x08, relative), (0x10, working_dir), (0x20, arguments)):
        if text is not None:
            flags |= flag
            data = text.encode("utf-16-le") if unicode else text.encode(encoding)
            body += u16(len(data) // 2 if unicode else len(data)) + data
    body += u32(0)
    header = (u32(0x4C) + bytes.fromhex("0114020000000000c000000000000046") + u32(flags) + u32(0x20) +
              bytes(24) + u32(0x1000) + u32(0) + u32(1) + u16(0) + bytes(10))
    return header + bytes(body)


def shortcuts():
    return {
        "local-ansi": shortcut(link_info("C:\\Documents\\", "sample.pdf"), name="sample",
                               relative="..\\Documents\\sample.pdf", working_dir="C:\\Documents", arguments=""),
        "local-unicode": shortcut(link_info("C:\\資料\\見本.pdf", unicode=True), relative=".\\見本.pdf"),
        "cp932": shortcut(link_info("C:\\資料\\", "ｶﾀｶﾅ.pdf", encoding="cp932"), relative="..\\資料\\ｶﾀｶﾅ.pdf",
                          id_list=False, unicode=False, encoding="cp932"),
        "network": shortcut(link_info(suffix="dir\\a.pdf", net_name="\\\\server\\share", unicode=True),
                            working_dir="\\\\server\\share\\dir"),
        "relative-only": shortcut(name="a", relative="sub\\a.pdf", working_dir="C:\\", id_list=False,
                                  unicode=False),
        "force-no-link-info": shortcut(link_info("C:\\x.pdf"), relative="x.pdf", extra_flags=0x100),
        "long-path-prefix": shortcut(link_info("\\\\?\\C:\\long\\x.pdf"), relative="\\\\?\\"),
        "header-only": shortcut(id_list=False, unicode=False),
    }


def shapes():
    """What extended reading reads by key where the default reading scans:
    inline dictionaries, direct values, escaped names, predictors, long
    chains, null entries and headers that are not at the start."""
    docs = {}
    font = "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"
    docs["shape-inline-graphics-states"] = simple(
        [CONTENT], "<< /ExtGState << /a0 << /CA 1 /ca 1 >> >> /Font << /f-0-0 5 0 R >> >>").set(5, font).build()
    pdf = simple([CONTENT], "<< /Font << /F1 5 0 R >> >>").set(5, font)
    pdf.set(3, "<< /Type /Page /Parent 2 0 R /Annots [<< /Type /Annot /Subtype /Text /Contents (a \\) note) >>] "
               "/Contents 4 0 R /Resources << /Font << /F1 5 0 R >> >> >>")
    docs["shape-direct-annotations"] = pdf.build()
    docs["shape-direct-and-escaped-names"] = simple(
        [CONTENT], "<< /ColorSpace << /CS0 /DeviceRGB /CS1 [/ICCBased 6 0 R] >> /XObject << /#49m3 7 0 R >> "
                   "/Font << /F1 null /F2 99 0 R >> >>").stream(6, "/N 1", b"x").stream(
        7, "/Subtype /Form /BBox [0 0 1 1] /Resources << /XObject << /Loop 7 0 R >> >>", b"q Q").build()
    rows = b"".join(b"\x02" + bytes(8) for _ in range(4))
    docs["shape-flate-predictor"] = simple(
        [zlib.compress(rows)], dictionary="/Filter /FlateDecode /DecodeParms << /Predictor 12 /Columns 8 >>").build()
    docs["shape-long-chain"] = simple(
        [hexa(a85(zlib.compress(CONTENT)))], dictionary="/Filter [/ASCIIHexDecode /ASCII85Decode /FlateDecode]").build()
    body = simple([CONTENT]).build()
    docs["shape-junk-before-header"] = b"Content-Type: application/pdf\r\n\r\n" + body
    docs["shape-no-header"] = body[body.index(b"\n") + 1:]
    return docs


def write_prefixed(folder, prefix, cases):
    """Replaces the folder's seeds whose names start with prefix."""
    path = os.path.join(HERE, folder)
    for name in os.listdir(path):
        if name.startswith(prefix):
            os.remove(os.path.join(path, name))
    for name, data in cases.items():
        with open(os.path.join(path, name), "wb") as f:
            f.write(data)


def write(folder, cases):
    """Replaces the folder's generated files; inputs that fuzzing found
    (named found-*) are kept."""
    path = os.path.join(HERE, folder)
    os.makedirs(path, exist_ok=True)
    for name in os.listdir(path):
        if not name.startswith("found-"):
            os.remove(os.path.join(path, name))
    for name, data in cases.items():
        with open(os.path.join(path, name), "wb") as f:
            f.write(data)


def write_encrypted(folder, cases):
    """Replaces the folder's encrypted-* seeds, when qpdf made them."""
    if not cases:
        print("generate: qpdf is missing; the encrypted seeds are left as they are")
        return
    path = os.path.join(HERE, folder)
    for name in os.listdir(path):
        if name.startswith("encrypted-"):
            os.remove(os.path.join(path, name))
    for name, data in cases.items():
        with open(os.path.join(path, name), "wb") as f:
            f.write(data)


def xref_stream_update(base, objects, root=1):
    """An incremental update of base whose section is an uncompressed
    cross-reference stream (/W [1 4 2])."""
    prev = int(re.findall(rb"startxref\s+(\d+)", base)[-1])
    out = bytearray(base)
    rows = {}
    for number in sorted(objects):
        rows[number] = (1, len(out), 0)
        out += b"%d 0 obj\n" % number + objects[number] + b"\nendobj\n"
    size = max(list(objects) + [int(n) for n in re.findall(rb"/Size (\d+)", base)]) + 1
    xref_number = size
    xref = len(out)
    rows[xref_number] = (1, xref, 0)
    index = b" ".join(b"%d 1" % n for n in sorted(rows))
    data = b"".join(bytes([t]) + o.to_bytes(4, "big") + g.to_bytes(2, "big") for t, o, g in
                    (rows[n] for n in sorted(rows)))
    out += (b"%d 0 obj\n<< /Type /XRef /Size %d /Root %d 0 R /Prev %d /W [1 4 2] /Index [%s] /Length %d >>\n"
            b"stream\n" % (xref_number, xref_number + 1, root, prev, index, len(data)) + data +
            b"\nendstream\nendobj\nstartxref\n%d\n%%%%EOF\n" % xref)
    return bytes(out)


def signed_document(certified=False):
    """One page signed in its first revision, then changed. Certified, it
    has a text field, an annotation, a font and a stream nothing reaches,
    and the update touches each of them."""
    pdf = simple([CONTENT])
    pdf.set(6, "<< /FT /Sig /T (S) /V 5 0 R >>")
    reference = ""
    if certified:
        pdf.set(6, "<< /FT /Sig /T (S) /V 5 0 R /Lock << /Action /Include /Fields [(Name)] >> >>")
        pdf.set(1, "<< /Type /Catalog /Pages 2 0 R /AcroForm << /Fields [6 0 R 7 0 R] >> "
                   "/Perms << /DocMDP 5 0 R >> >>")
        pdf.set(3, "<< /Type /Page /Parent 2 0 R /Contents 4 0 R /Annots [7 0 R 8 0 R] "
                   "/Resources << /Font << /F1 9 0 R >> >> >>")
        pdf.set(7, "<< /FT /Tx /Subtype /Widget /T (Name) /V (a) /Rect [0 0 9 9] >>")
        pdf.set(8, "<< /Subtype /Square /Rect [0 0 9 9] >>")
        pdf.set(9, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>")
        pdf.stream(10, "", b"BT (payload) Tj ET")
        reference = "/Reference [<< /TransformMethod /DocMDP /TransformParams << /P 3 >> >>]"
    else:
        pdf.set(1, "<< /Type /Catalog /Pages 2 0 R /AcroForm << /Fields [6 0 R] >> >>")
    placeholder = "/ByteRange [0000000000 0000000000 0000000000 0000000000]"
    signature = "<< /Type /Sig %s /Contents <%s> %s>>" % (placeholder, "0" * 64, reference + " " if reference else "")
    pdf.set(5, signature)
    first = pdf.build()
    start = first.index(b"/Contents <") + 10
    end = first.index(b">", start) + 1
    eof = first.index(b"%%EOF") + 6
    pdf.set(5, signature.replace(placeholder, "/ByteRange [%010d %010d %010d %010d]" % (0, start, end, eof - end)))
    pdf.new_revision()
    if not certified:
        pdf.stream(4, "", b"BT (changed) Tj ET")
        return pdf.build()
    pdf.set(3, "<< /Type /Page /Parent 2 0 R /Contents 10 0 R /Annots [7 0 R 8 0 R 11 0 R] "
               "/Resources << /Font << /F1 9 0 R >> >> >>")
    pdf.set(7, "<< /FT /Tx /Subtype /Widget /T (Name) /V (b) /Rect [0 0 9 9] >>")
    pdf.set(8, "<< /Subtype /Square /Rect [0 0 99 99] >>")
    pdf.set(9, "<< /Type /Font /Subtype /Type1 /BaseFont /Courier >>")
    pdf.set(11, "<< /Subtype /FreeText /Rect [0 0 99 99] >>")
    return pdf.build()


def revision_inputs():
    docs = {}
    two = simple([CONTENT])
    two.new_revision(b"/Info 7 0 R")
    two.stream(4, "", b"0 0 m 1 1 l S")
    two.set(7, "<< /Title (two) >>")
    docs["two-tables"] = two.build()
    docs["table-then-stream"] = xref_stream_update(docs["two-tables"], {3: b"<< /Type /Page /Parent 2 0 R >>"})
    docs["signed-then-changed"] = signed_document()
    docs["certified-then-changed"] = signed_document(certified=True)
    docs["after-last-eof"] = docs["two-tables"] + b"trailing bytes\n"
    many = simple([CONTENT])
    for i in range(20):
        many.new_revision()
        many.set(5 + i % 3, "<< /N %d >>" % i)
    docs["twenty-one-revisions"] = many.build()
    return docs


def main():
    write("document", documents())
    write_encrypted("document_extended", encrypted_documents())
    write_prefixed("document_extended", "shape-", shapes())
    producer = producer_documents()
    if producer:
        for folder in ("document", "document_extended", "triage"):
            write_prefixed(folder, "producer-", {"producer-" + name: data for name, data in producer.items()})
    else:
        print("generate: ps2pdf or qpdf is missing; the producer-* seeds are left as they are")
    write("lexer", lexer_inputs())
    for folder, cases in filter_inputs().items():
        write(folder, cases)
    write("shell_link", shortcuts())
    write("revisions", revision_inputs())


if __name__ == "__main__":
    main()
