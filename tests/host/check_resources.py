#!/usr/bin/python3
"""Checks the resources of a built SETUP.EXE field by field: the three dialog
templates, the banner, the icon group and its images, the payload and the
licence text's shape. Reads the PE file on the host with pefile.

usage: check_resources.py SETUP.EXE [--payload PROGRAM HELP]
"""
import struct
import sys
import zlib

import pefile

WS_CHILD, WS_VISIBLE = 0x40000000, 0x10000000
WS_GROUP, WS_TABSTOP, WS_BORDER, WS_VSCROLL = 0x20000, 0x10000, 0x800000, 0x200000
BS_PUSHBUTTON, BS_DEFPUSHBUTTON, BS_AUTOCHECKBOX, BS_LEFT, BS_FLAT = 0, 1, 3, 0x100, 0x8000
SS_LEFT, SS_ETCHEDHORZ, SS_BITMAP, SS_CENTERIMAGE, SS_SUNKEN, SS_NOPREFIX = 0, 0x10, 0xE, 0x200, 0x1000, 0x80
ES_LEFT, ES_MULTILINE, ES_AUTOHSCROLL, ES_READONLY = 0, 4, 0x80, 0x800
PBS_SMOOTH = 1
WS_EX_TRANSPARENT, WS_EX_CLIENTEDGE = 0x20, 0x200
CLASS_ORDINALS = {0x80: "button", 0x81: "edit", 0x82: "static"}
FONT = (8, 0, 0, 1, "MS Sans Serif")

# id, class, text, styles besides WS_CHILD | WS_VISIBLE, extended style, x, y, width, height
DESTINATION = ("Brimwave --- Installation", 254, 248, 0x80C808C4, 0, [
    (1001, "static", "Program Installation", WS_GROUP | SS_LEFT, 0, 58, 134, 142, 8),
    (-1, "static", "", SS_ETCHEDHORZ, 0, 58, 144, 195, 1),
    (1002, "static", "Brimwave will be installed on your computer into the specified folder.",
     WS_GROUP | SS_LEFT, 0, 66, 150, 144, 26),
    (1, "button", "&I n s t a l l", WS_TABSTOP | BS_DEFPUSHBUTTON, WS_EX_TRANSPARENT, 58, 212, 64, 22),
    (2, "button", "&C a n c e l", WS_TABSTOP | BS_PUSHBUTTON, 0, 134, 212, 64, 22),
    (1003, "edit", "", WS_BORDER | WS_GROUP | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL,
     WS_EX_TRANSPARENT, 58, 186, 122, 12),
    (1004, "button", "...", WS_TABSTOP | BS_PUSHBUTTON, WS_EX_CLIENTEDGE, 184, 186, 14, 12),
    (-1, "static", "", SS_ETCHEDHORZ, 0, 58, 86, 195, 1),
    (-1, "static", "System Requirements", WS_GROUP | SS_LEFT, 0, 58, 76, 142, 8),
    (1005, "button", "Windows 9x/ME/2000/NT/XP", BS_AUTOCHECKBOX | BS_LEFT | BS_FLAT, 0, 66, 92, 142, 10),
    (1006, "button", "1 megabyte free disk space to install", BS_AUTOCHECKBOX | BS_LEFT | BS_FLAT, 0,
     66, 102, 142, 10),
    (1007, "button", "2 megabytes free memory to run", BS_AUTOCHECKBOX | BS_LEFT | BS_FLAT, 0,
     66, 112, 142, 10),
    (1010, "static", "", SS_BITMAP | SS_CENTERIMAGE | SS_SUNKEN, WS_EX_TRANSPARENT, 14, 14, 226, 48),
])
LICENCE = ("Brimwave --- License", 254, 248, 0x80C808C4, 0, [
    (1, "button", "&A g r e e", WS_TABSTOP | BS_DEFPUSHBUTTON, WS_EX_TRANSPARENT, 58, 212, 64, 22),
    (2, "button", "&D i s a g r e e", WS_TABSTOP | BS_PUSHBUTTON, 0, 134, 212, 64, 22),
    (2001, "edit", "", WS_BORDER | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_READONLY,
     WS_EX_TRANSPARENT, 20, 14, 214, 188),
])
# The status line 3001 under the bar is this program's addition; the window
# is 12 units taller to hold it.
PROGRESS = ("", 246, 27, 0x90C809C0, 0x84, [
    (3002, "msctls_progress32", "Progress1", WS_BORDER | PBS_SMOOTH, 0, 4, 4, 238, 8),
    (3001, "static", "", SS_LEFT | SS_NOPREFIX, 0, 4, 15, 238, 8),
])

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def read_sz_or_ord(data, at):
    first = struct.unpack_from("<H", data, at)[0]
    if first == 0:
        return None, at + 2
    if first == 0xFFFF:
        return struct.unpack_from("<H", data, at + 2)[0], at + 4
    end = at
    while struct.unpack_from("<H", data, end)[0]:
        end += 2
    return data[at:end].decode("utf-16-le"), end + 2


def check_dialog(name, data, expected):
    caption, width, height, style, ex_style, controls = expected
    version, signature, help_id, ex, st, count, x, y, cx, cy = struct.unpack_from("<HHIIIHhhhh", data)
    check((version, signature) == (1, 0xFFFF), f"{name}: not a DIALOGEX")
    check((help_id, ex, st) == (0, ex_style, style), f"{name}: help/style {help_id:#x} {ex:#x} {st:#x}")
    check((x, y, cx, cy) == (0, 0, width, height), f"{name}: rectangle {(x, y, cx, cy)}")
    check(count == len(controls), f"{name}: {count} controls, expected {len(controls)}")
    at = 26
    menu, at = read_sz_or_ord(data, at)
    window_class, at = read_sz_or_ord(data, at)
    title, at = read_sz_or_ord(data, at)
    check(menu is None and window_class is None, f"{name}: menu {menu!r} class {window_class!r}")
    check((title or "") == caption, f"{name}: caption {title!r}")
    points, weight, italic, charset = struct.unpack_from("<HHBB", data, at)
    face, at = read_sz_or_ord(data, at + 6)
    check((points, weight, italic, charset, face) == FONT, f"{name}: font {(points, weight, italic, charset, face)}")
    for index in range(min(count, len(controls))):
        at = (at + 3) & ~3
        help_id, ex, st, x, y, cx, cy, control_id = struct.unpack_from("<IIIhhhhi", data, at)
        at += 24
        control_class, at = read_sz_or_ord(data, at)
        text, at = read_sz_or_ord(data, at)
        extra = struct.unpack_from("<H", data, at)[0]
        at += 2 + extra
        if isinstance(control_class, int):
            control_class = CLASS_ORDINALS.get(control_class, hex(control_class))
        want = controls[index]
        got = (control_id, control_class.lower(), text or "", st & ~(WS_CHILD | WS_VISIBLE), ex, x, y, cx, cy)
        check(help_id == 0 and st & (WS_CHILD | WS_VISIBLE) == WS_CHILD | WS_VISIBLE,
              f"{name} control {index + 1}: help id {help_id} / style {st:#x}")
        check(got == (want[0], want[1].lower()) + want[2:], f"{name} control {index + 1}: {got} != {want}")


def check_bitmap(data):
    check(len(data) == 34964, f"bitmap 200: {len(data)} bytes")
    fields = struct.unpack_from("<IiiHHIIiiII", data)
    check(fields == (40, 450, 75, 1, 8, 0, 33900, 2851, 2851, 256, 256), f"bitmap 200 header {fields}")


def check_icons(group, images):
    reserved, kind, count = struct.unpack_from("<HHH", group)
    check((reserved, kind, count) == (0, 1, 2), f"icon group 100: {(reserved, kind, count)}")
    expected = [(32, 32, 0, 0, 1, 8, 2216, 1), (32, 32, 16, 0, 1, 4, 744, 2)]
    for i in range(min(count, 2)):
        entry = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
        check(entry == expected[i], f"icon group entry {i + 1}: {entry}")
        image = images.get(expected[i][7])
        check(image is not None and len(image) == expected[i][6], f"icon {expected[i][7]} size")
        if image:
            size, width, height, planes, bits = struct.unpack_from("<IiiHH", image)
            check((size, width, height, planes, bits) == (40, 32, 64, 1, expected[i][5]),
                  f"icon {expected[i][7]} header {(size, width, height, planes, bits)}")


def main():
    path = sys.argv[1]
    pe = pefile.PE(path)
    resources = {}
    for rtype in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        type_key = str(rtype.name) if rtype.name is not None else rtype.id
        for rname in rtype.directory.entries:
            for lang in rname.directory.entries:
                data = pe.get_data(lang.data.struct.OffsetToData, lang.data.struct.Size)
                resources[(type_key, rname.id, lang.id)] = data

    check(all(key[2] == 1033 for key in resources), f"languages: {sorted(set(k[2] for k in resources))}")
    kinds = sorted(set(str(key[0]) for key in resources))
    allowed = {"2", "3", "5", "14", "RT_RCDATA"}
    check(set(kinds) <= allowed, f"unexpected resource types {kinds}")
    for name, rid, expected in (("template 1000", 1000, DESTINATION), ("template 2000", 2000, LICENCE),
                                ("template 3000", 3000, PROGRESS)):
        data = resources.get((5, rid, 1033))
        check(data is not None, f"{name} missing")
        if data:
            check_dialog(name, data, expected)
    bitmap = resources.get((2, 200, 1033))
    check(bitmap is not None, "bitmap 200 missing")
    if bitmap:
        check_bitmap(bitmap)
    group = resources.get((14, 100, 1033))
    check(group is not None, "icon group 100 missing")
    if group:
        check_icons(group, {key[1]: value for key, value in resources.items() if key[0] == 3})
    check(not any(key[0] == 10 for key in resources), "a payload under the numeric type 10")

    if "--payload" in sys.argv:
        program, help_file = sys.argv[sys.argv.index("--payload") + 1:][:2]
        for rid, target, last in ((5000, program, "e"), (5001, help_file, "m")):
            data = resources.get(("RT_RCDATA", rid, 1033))
            check(data is not None, f"payload {rid} missing")
            if not data:
                continue
            expanded = open(target, "rb").read()
            check(data[:8] == b"SZDD\x88\xf0\x27\x33" and data[8:9] == b"A", f"payload {rid} header")
            check(data[9:10] == last.encode(), f"payload {rid} name byte {data[9:10]!r}")
            check(struct.unpack_from("<I", data, 10)[0] == len(expanded), f"payload {rid} size field")
            # Its digest, resource id + 100: CRC-32 of the packed, then of the expanded bytes.
            digest = resources.get(("RT_RCDATA", rid + 100, 1033))
            check(digest == struct.pack("<II", zlib.crc32(data), zlib.crc32(expanded)),
                  f"payload {rid} digest {digest!r}")

    if failures:
        print("\n".join(failures))
        print(f"{path}: {len(failures)} resource check(s) failed")
        return 1
    print(f"{path}: resources as specified ({len(resources)} resources)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
