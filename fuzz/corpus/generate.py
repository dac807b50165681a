#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets: small valid files and the edge
cases the tests care about. Run from anywhere; it rewrites the folders beside
it (document/, lexer/, ascii_hex/, ascii85/, flate/, stream_data/,
shell_link/), keeping
the inputs that fuzzing found (found-*), which the regression tests check."""

import os
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


def main():
    write("document", documents())
    write("lexer", lexer_inputs())
    for folder, cases in filter_inputs().items():
        write(folder, cases)
    write("shell_link", shortcuts())


if __name__ == "__main__":
    main()
