#!/usr/bin/env python3
"""Draws the program's icons and bitmaps as pixel art and writes them to res/images/.

Standard library only. The output is byte-for-byte deterministic, so the generated
files can be checked in and regenerated at will.

    python3 tools/make_images.py            write res/images/*
    python3 tools/make_images.py --preview  also write a 4x preview PNG (default
                                            /tmp/pannex_images_preview.png) decoded
                                            back from the files just written
"""

import os
import struct
import sys
import zlib

CLEAR = (0, 0, 0, 0)


def rgb(hex_text, alpha=255):
    value = int(hex_text.lstrip("#"), 16)
    return ((value >> 16) & 255, (value >> 8) & 255, value & 255, alpha)


class Canvas:
    """A small RGBA picture; (0, 0) is the top-left pixel."""

    def __init__(self, width, height, fill=CLEAR):
        self.width = width
        self.height = height
        self.pixels = [fill] * (width * height)

    def get(self, x, y):
        return self.pixels[y * self.width + x]

    def set(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y * self.width + x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        """Fills the rectangle with inclusive corners."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, colour)

    def frame(self, x0, y0, x1, y1, colour):
        for x in range(x0, x1 + 1):
            self.set(x, y0, colour)
            self.set(x, y1, colour)
        for y in range(y0, y1 + 1):
            self.set(x0, y, colour)
            self.set(x1, y, colour)

    def blend(self, x, y, colour):
        """Paints a possibly translucent colour over what is there (straight alpha)."""
        if not (0 <= x < self.width and 0 <= y < self.height):
            return
        sr, sg, sb, sa = colour
        dr, dg, db, da = self.get(x, y)
        out_a = sa + da * (255 - sa) // 255
        if out_a == 0:
            self.set(x, y, CLEAR)
            return

        def mix(s, d):
            return (s * sa + d * da * (255 - sa) // 255 + out_a // 2) // out_a

        self.set(x, y, (mix(sr, dr), mix(sg, dg), mix(sb, db), out_a))

    def paste(self, other, left, top):
        for y in range(other.height):
            for x in range(other.width):
                colour = other.get(x, y)
                if colour[3]:
                    self.blend(left + x, top + y, colour)


def from_art(rows, palette):
    """Builds a canvas from rows of characters; '.' is transparent."""
    height = len(rows)
    width = len(rows[0])
    canvas = Canvas(width, height)
    for y, row in enumerate(rows):
        if len(row) != width:
            raise ValueError("art row %d is %d wide, expected %d: %r" % (y, len(row), width, row))
        for x, key in enumerate(row):
            if key != ".":
                canvas.set(x, y, palette[key])
    return canvas


# ---------------------------------------------------------------------------
# Application icon: a small window holding two file panels side by side.

APP_OUTLINE = rgb("#1A4580")
APP_TITLE_TOP = rgb("#6AA8F0")
APP_TITLE_BOTTOM = rgb("#2E6BC6")
APP_BODY = rgb("#D3E3F7")
APP_PANEL = rgb("#FFFFFF")
APP_PANEL_EDGE = rgb("#7EA6DA")
APP_HEADER = rgb("#C4DAF5")
APP_TEXT = rgb("#9FB4D0")
APP_SELECTION = rgb("#3B7DDB")
APP_SELECTED_TEXT = rgb("#FFFFFF")
APP_FOLDER = rgb("#F2BE2C")
APP_FILE = rgb("#8CA6C8")
APP_GLYPH = rgb("#EAF3FF")


def lerp(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(4))


def draw_app_32():
    c = Canvas(32, 32)
    left, top, right, bottom = 1, 2, 29, 28
    # Soft drop shadow down and to the right.
    for y in range(top + 2, bottom + 3):
        for x in range(left + 2, right + 3):
            c.blend(x, y, (0, 0, 0, 28))
    for y in range(top + 1, bottom + 2):
        for x in range(left + 1, right + 2):
            c.blend(x, y, (0, 0, 0, 36))
    c.rect(left, top, right, bottom, APP_BODY)
    # Title bar with a gentle vertical gradient.
    title_bottom = top + 6
    for y in range(top, title_bottom + 1):
        t = (y - top) / float(title_bottom - top)
        c.rect(left, y, right, y, lerp(APP_TITLE_TOP, APP_TITLE_BOTTOM, t))
    c.frame(left, top, right, bottom, APP_OUTLINE)
    c.rect(left + 1, title_bottom + 1, right - 1, title_bottom + 1, rgb("#9BBDE8"))
    # Rounded top corners.
    c.set(left, top, CLEAR)
    c.set(right, top, CLEAR)
    c.blend(left, top, rgb("#1A4580", 110))
    c.blend(right, top, rgb("#1A4580", 110))
    # Caption: a tiny glyph of two columns and a caption line; a close box on the right.
    gy = top + 2
    c.frame(left + 3, gy, left + 7, gy + 2, APP_GLYPH)
    c.set(left + 5, gy + 1, APP_GLYPH)
    c.rect(left + 9, gy + 1, left + 15, gy + 1, rgb("#DCEBFF"))
    c.rect(right - 5, gy, right - 3, gy + 2, rgb("#F4F8FF"))
    c.set(right - 4, gy + 1, rgb("#7FA9E4"))

    # Two panels.
    panel_top = title_bottom + 3
    panel_bottom = bottom - 2
    panels = [(left + 2, left + 13), (right - 13, right - 2)]
    names = [
        [("d", 7), ("d", 5), ("f", 8), ("f", 6)],
        [("d", 6), ("f", 8), ("f", 5), ("f", 7)],
    ]
    for index, (x0, x1) in enumerate(panels):
        c.rect(x0, panel_top, x1, panel_bottom, APP_PANEL)
        c.frame(x0, panel_top, x1, panel_bottom, APP_PANEL_EDGE)
        c.rect(x0 + 1, panel_top + 1, x1 - 1, panel_top + 2, APP_HEADER)
        c.set(x0 + 6, panel_top + 1, APP_PANEL_EDGE)
        c.set(x0 + 6, panel_top + 2, APP_PANEL_EDGE)
        for row, (kind, length) in enumerate(names[index]):
            y = panel_top + 4 + row * 3
            selected = index == 0 and row == 1
            if selected:
                c.rect(x0 + 1, y - 1, x1 - 1, y + 1, APP_SELECTION)
            # Folders get a two-pixel yellow mark, files a one-pixel grey one.
            c.set(x0 + 2, y, APP_FOLDER if kind == "d" else APP_FILE)
            if kind == "d":
                c.set(x0 + 2, y - 1, APP_FOLDER)
            text = APP_SELECTED_TEXT if selected else APP_TEXT
            c.rect(x0 + 4, y, min(x0 + 3 + length, x1 - 2), y, text)
    return c


def draw_app_16():
    c = Canvas(16, 16)
    left, top, right, bottom = 0, 1, 14, 14
    for y in range(top + 1, bottom + 2):
        for x in range(left + 1, right + 2):
            c.blend(x, y, (0, 0, 0, 45))
    c.rect(left, top, right, bottom, APP_BODY)
    c.rect(left, top, right, top + 1, APP_TITLE_TOP)
    c.rect(left, top + 2, right, top + 2, APP_TITLE_BOTTOM)
    c.frame(left, top, right, bottom, APP_OUTLINE)
    c.set(left, top, CLEAR)
    c.set(right, top, CLEAR)
    c.blend(left, top, rgb("#1A4580", 110))
    c.blend(right, top, rgb("#1A4580", 110))
    c.set(right - 2, top + 1, rgb("#F4F8FF"))
    # Panels: white columns either side of a one-pixel gap.
    panel_top = top + 4
    for index, (x0, x1) in enumerate([(left + 1, left + 6), (left + 8, right - 1)]):
        c.rect(x0, panel_top - 1, x1, bottom - 1, APP_PANEL)
        c.rect(x0, panel_top - 1, x1, panel_top - 1, APP_HEADER)
        lengths = [3, 4, 2, 4] if index == 0 else [4, 2, 3, 3]
        for row, length in enumerate(lengths):
            y = panel_top + 1 + row * 2
            if index == 0 and row == 1:
                # The selected row is a plain bar; at this size text on it only adds noise.
                c.rect(x0, y, x1, y, APP_SELECTION)
                continue
            c.set(x0 + 1, y, APP_FOLDER if row == 0 else APP_FILE)
            c.rect(x0 + 2, y, min(x0 + 2 + length - 1, x1 - 1), y, APP_TEXT)
    return c


# ---------------------------------------------------------------------------
# Folder pictures for the file lists and folder trees.

FOLDER_PALETTE = {
    "o": rgb("#A7770F"),  # outline
    "D": rgb("#E9B83A"),  # back of the folder
    "d": rgb("#D6A22A"),  # shade on the back
    "H": rgb("#FFF3BC"),  # highlight along the front's top edge
    "Y": rgb("#FFD966"),  # front
    "S": rgb("#F4C246"),  # shade at the front's bottom
    "W": rgb("#FFFFFF"),  # paper
    "p": rgb("#C9D3DE"),  # paper edge
}

FOLDER_CLOSED = [
    "................",
    "................",
    ".ooooo..........",
    "oDDDDDo.........",
    "oDDDDDDoooooooo.",
    "oDDDDDDDDDDDDDdo",
    "oooooooooooooooo",
    "oHHHHHHHHHHHHHHo",
    "oYYYYYYYYYYYYYYo",
    "oYYYYYYYYYYYYYYo",
    "oYYYYYYYYYYYYYYo",
    "oYYYYYYYYYYYYYYo",
    "oYYYYYYYYYYYYYYo",
    "oSSSSSSSSSSSSSSo",
    ".oooooooooooooo.",
    "................",
]

FOLDER_OPEN = [
    "................",
    "................",
    ".ooooo..........",
    "oDDDDDo.........",
    "oDDDDDDoooooooo.",
    "oDDpppppppppDdo.",
    "oDpWWWWWWWWWpdo.",
    "oDoooooooooooooo",
    "oDoHHHHHHHHHHHHo",
    "oDoYYYYYYYYYYYo.",
    "ooYYYYYYYYYYYYo.",
    "ooYYYYYYYYYYYo..",
    "oYYYYYYYYYYYYo..",
    "oSSSSSSSSSSSSo..",
    "oooooooooooooo..",
    "................",
]

PARENT_PALETTE = {
    "o": rgb("#1F6B2A"),  # outline
    "G": rgb("#4CB150"),  # arrow body
    "L": rgb("#8ED98A"),  # lit edge
    "s": rgb("#35903C"),  # shaded edge
}

PARENT_ARROW = [
    "................",
    "................",
    ".....o..........",
    "....oLo.........",
    "...oLGGo........",
    "..oLGGGGo.......",
    ".oLGGGGGso......",
    ".ooooLGsoo......",
    "....oLGso.......",
    "....oLGso.......",
    "....oLGsooooooo.",
    "....oLGGLLLLLLo.",
    "....oLGGGGGGGGo.",
    "....oLsssssssso.",
    "....ooooooooooo.",
    "................",
]


def draw_sort_arrow(ascending):
    """An 11 by 11 triangle, point up for ascending and down for descending."""
    c = Canvas(11, 11)
    fill = rgb("#5A5A5A")
    edge = rgb("#5A5A5A", 70)
    widths = [1, 3, 5, 7, 9]
    for step, width in enumerate(widths):
        y = 3 + step if ascending else 7 - step
        x0 = 5 - width // 2
        x1 = 5 + width // 2
        c.rect(x0, y, x1, y, fill)
        # Soften the slanted edges a little.
        c.blend(x0 - 1, y, edge)
        c.blend(x1 + 1, y, edge)
    return c


# ---------------------------------------------------------------------------
# Drive pictures: removable, fixed, CD-ROM, RAM disk, network, 16 by 16 each.

DRIVE_PALETTE = {
    # floppy disk
    "b": rgb("#23324D"),  # outline
    "B": rgb("#3F5A8C"),  # body
    "n": rgb("#5675AE"),  # body highlight
    "M": rgb("#C8CED8"),  # metal shutter
    "m": rgb("#8E97A6"),  # shutter shade / slot
    "W": rgb("#F6F6F0"),  # label
    "l": rgb("#9AA9C4"),  # writing on the label
    # hard disk
    "o": rgb("#3C3C44"),  # outline
    "T": rgb("#E4E6EA"),  # top face
    "t": rgb("#C9CCD3"),  # top face shade
    "F": rgb("#A9AEB8"),  # front face
    "f": rgb("#8C919C"),  # front face shade
    "S": rgb("#7A7F8A"),  # side face
    "G": rgb("#35D24A"),  # activity light
    "k": rgb("#20222A"),  # slot
    # memory module
    "P": rgb("#2F8A45"),  # circuit board
    "p": rgb("#246D36"),  # board shade
    "C": rgb("#1E1F24"),  # chip
    "c": rgb("#4A4C55"),  # chip highlight
    "Y": rgb("#E8C040"),  # gold contacts
    "q": rgb("#174A24"),  # board outline
    # network
    "N": rgb("#2B6FCF"),  # cable
    "K": rgb("#1A3F78"),  # cable outline
}

DRIVE_REMOVABLE = [
    "................",
    ".bbbbbbbbbbbbb..",
    ".bnBMMMMMMMBBBb.",
    ".bnBMMMmmMMBBBb.",
    ".bnBMMMmmMMBBBb.",
    ".bnBMMMmmMMBBBb.",
    ".bnBmmmmmmmBBBb.",
    ".bnBBBBBBBBBBBb.",
    ".bnWWWWWWWWWWBb.",
    ".bnWllllllllWBb.",
    ".bnWWWWWWWWWWBb.",
    ".bnWlllllWWWWBb.",
    ".bnWWWWWWWWWWBb.",
    ".bnWWWWWWWWWWBb.",
    ".bbbbbbbbbbbbbb.",
    "................",
]

DRIVE_FIXED = [
    "................",
    "................",
    "................",
    "................",
    "....oooooooooooo",
    "...oTTTTTTTTTToo",
    "..oTTTTTTTTTToSo",
    ".ottttttttttoSSo",
    ".ooooooooooooSSo",
    ".oFFFFFFFFFFoSSo",
    ".oFkkkkkkFGFoSSo",
    ".offfffffffFoSo.",
    ".oooooooooooo...",
    "................",
    "................",
    "................",
]

DRIVE_RAM = [
    "................",
    "................",
    "................",
    "................",
    "qqqqqqqqqqqqqqqq",
    "qPPPPPPPPPPPPPPq",
    "qPcccPcccPcccPPq",
    "qPCCCPCCCPCCCPpq",
    "qPCCCPCCCPCCCPpq",
    "qPPPPPPPPPPPPPpq",
    "qPYPYPYPPYPYPYpq",
    "qpYpYpYqqYpYpYpq",
    "qqqqqqq..qqqqqqq",
    "................",
    "................",
    "................",
]

DRIVE_NETWORK = [
    "................",
    "....oooooooooooo",
    "...oTTTTTTTTTToo",
    "..oTTTTTTTTTToSo",
    ".ooooooooooooSSo",
    ".oFFFFFFFFFFoSSo",
    ".oFkkkkkkFGFoSo.",
    ".offfffffffFo...",
    ".oooooKKKoooo...",
    "......KNK.......",
    "......KNK.......",
    "KKKKKKKNKKKKKKKK",
    "NNNNNNNNNNNNNNNN",
    "KKKKKKKKKKKKKKKK",
    "................",
    "................",
]


def draw_cd():
    c = Canvas(16, 16)
    centre = 7.5
    outline = rgb("#6E7580")
    hub = rgb("#AEB5C0")
    sheen = [rgb("#E9EDF3"), rgb("#D4DAE3"), rgb("#C2E4F4"), rgb("#D4DAE3"),
             rgb("#F0D6EE"), rgb("#D4DAE3"), rgb("#E9EDF3"), rgb("#FFFFFF")]

    def distance2(x, y):
        return (x - centre) ** 2 + (y - centre) ** 2

    def on_disc(x, y):
        return distance2(x, y) < 7.9 ** 2 and not in_hole(x, y)

    def in_hole(x, y):
        return distance2(x, y) < 1.2 ** 2

    neighbours = [(1, 0), (-1, 0), (0, 1), (0, -1)]
    for y in range(16):
        for x in range(16):
            if not on_disc(x, y):
                continue  # outside, or the centre hole
            dx = x - centre
            dy = y - centre
            if any(not on_disc(x + nx, y + ny) for nx, ny in neighbours):
                c.set(x, y, outline)
            elif distance2(x, y) < 3.0 ** 2:
                c.set(x, y, hub)
            else:
                # Eight wedges of shimmer, chosen by the sign pattern of the offset.
                octant = (0 if dx >= 0 else 4) + (0 if dy >= 0 else 2) + (1 if abs(dx) > abs(dy) else 0)
                c.set(x, y, sheen[octant])
    # A bright glint on the upper left.
    for x, y in [(4, 3), (3, 4), (5, 3), (3, 5)]:
        c.set(x, y, rgb("#FFFFFF"))
    return c


def draw_drives():
    images = [
        from_art(DRIVE_REMOVABLE, DRIVE_PALETTE),
        from_art(DRIVE_FIXED, DRIVE_PALETTE),
        draw_cd(),
        from_art(DRIVE_RAM, DRIVE_PALETTE),
        from_art(DRIVE_NETWORK, DRIVE_PALETTE),
    ]
    strip = Canvas(16 * len(images), 16)
    for index, image in enumerate(images):
        strip.paste(image, index * 16, 0)
    return strip


# ---------------------------------------------------------------------------
# File formats.

def ico_image(canvas):
    """One icon image: BITMAPINFOHEADER (height doubled), 32-bit XOR rows, 1-bit AND rows."""
    w, h = canvas.width, canvas.height
    and_stride = ((w + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for y in range(h - 1, -1, -1):
        bits = bytearray(and_stride)
        for x in range(w):
            r, g, b, a = canvas.get(x, y)
            if a == 0:
                r = g = b = 0
                bits[x // 8] |= 0x80 >> (x % 8)
            xor += bytes((b, g, r, a))
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + bytes(xor) + bytes(mask)


def ico_file(canvases):
    images = [ico_image(c) for c in canvases]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for canvas, data in zip(canvases, images):
        out += struct.pack("<BBBBHHII", canvas.width % 256, canvas.height % 256, 0, 0, 1, 32,
                           len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    return bytes(out)


def bmp_24(canvas):
    """A bottom-up 24-bit BMP; transparent pixels are black so a masked draw shows nothing there."""
    w, h = canvas.width, canvas.height
    stride = (w * 3 + 3) & ~3
    rows = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            r, g, b, a = canvas.get(x, y)
            if a == 0:
                r = g = b = 0
            row += bytes((b, g, r))
        row += bytes(stride - len(row))
        rows += row
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    offset = 14 + len(info)
    head = struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset)
    return head + info + bytes(rows)


def bmp_mask(canvas):
    """A bottom-up 1-bit BMP: white (1) where the picture is transparent, black (0) where opaque."""
    w, h = canvas.width, canvas.height
    stride = ((w + 31) // 32) * 4
    rows = bytearray()
    for y in range(h - 1, -1, -1):
        bits = bytearray(stride)
        for x in range(w):
            if canvas.get(x, y)[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        rows += bits
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 1, 0, len(rows), 2835, 2835, 2, 2)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    offset = 14 + len(info) + len(palette)
    head = struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset)
    return head + info + palette + bytes(rows)


def png_file(canvas):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = bytearray()
    for y in range(canvas.height):
        raw.append(0)
        for x in range(canvas.width):
            raw += bytes(canvas.get(x, y)[:3])
    header = struct.pack(">IIBBBBB", canvas.width, canvas.height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


# Readers, used by the preview so that it shows what the files really hold.

def read_ico(data):
    _, kind, count = struct.unpack_from("<HHH", data, 0)
    assert kind == 1
    result = []
    for index in range(count):
        _, _, _, _, _, bits, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * index)
        hsize, w, h2 = struct.unpack_from("<Iii", data, offset)
        assert bits == 32 and hsize == 40
        h = h2 // 2
        canvas = Canvas(w, h)
        pos = offset + hsize
        and_stride = ((w + 31) // 32) * 4
        mask_pos = pos + w * h * 4
        for row in range(h):
            y = h - 1 - row
            for x in range(w):
                b, g, r, a = data[pos + (row * w + x) * 4: pos + (row * w + x) * 4 + 4]
                masked = data[mask_pos + row * and_stride + x // 8] & (0x80 >> (x % 8))
                assert bool(masked) == (a == 0), "AND mask disagrees with alpha"
                canvas.set(x, y, (r, g, b, a))
        result.append(canvas)
    return result


def read_bmp(data):
    offset = struct.unpack_from("<I", data, 10)[0]
    _, w, h, _, bits = struct.unpack_from("<IiiHH", data, 14)
    canvas = Canvas(w, h)
    if bits == 24:
        stride = (w * 3 + 3) & ~3
        for row in range(h):
            for x in range(w):
                p = offset + row * stride + x * 3
                b, g, r = data[p:p + 3]
                canvas.set(x, h - 1 - row, (r, g, b, 255))
    else:
        assert bits == 1
        stride = ((w + 31) // 32) * 4
        for row in range(h):
            for x in range(w):
                bit = data[offset + row * stride + x // 8] & (0x80 >> (x % 8))
                canvas.set(x, h - 1 - row, (255, 255, 255, 255) if bit else (0, 0, 0, 255))
    return canvas


# ---------------------------------------------------------------------------

def build():
    drives = draw_drives()
    return {
        "app.ico": ico_file([draw_app_32(), draw_app_16()]),
        "folder.ico": ico_file([from_art(FOLDER_CLOSED, FOLDER_PALETTE)]),
        "folder_open.ico": ico_file([from_art(FOLDER_OPEN, FOLDER_PALETTE)]),
        "parent.ico": ico_file([from_art(PARENT_ARROW, PARENT_PALETTE)]),
        "sort_ascending.ico": ico_file([draw_sort_arrow(True)]),
        "sort_descending.ico": ico_file([draw_sort_arrow(False)]),
        "drives.bmp": bmp_24(drives),
        "drives_mask.bmp": bmp_mask(drives),
    }


def write_preview(directory, path, scale=4):
    pictures = []
    for name in ["app.ico", "folder.ico", "folder_open.ico", "parent.ico",
                 "sort_ascending.ico", "sort_descending.ico"]:
        with open(os.path.join(directory, name), "rb") as handle:
            pictures.extend(read_ico(handle.read()))
    with open(os.path.join(directory, "drives.bmp"), "rb") as handle:
        colour = read_bmp(handle.read())
    with open(os.path.join(directory, "drives_mask.bmp"), "rb") as handle:
        mask = read_bmp(handle.read())
    drives = Canvas(colour.width, colour.height)
    for y in range(colour.height):
        for x in range(colour.width):
            if mask.get(x, y)[0] == 0:
                drives.set(x, y, colour.get(x, y))
    pictures.append(drives)

    gap = 6
    backgrounds = [rgb("#F3F3F3"), rgb("#FFFFFF"), rgb("#3A3D44")]
    row_height = max(p.height for p in pictures) * scale + 2 * gap
    width = gap + sum(p.width * scale + gap for p in pictures)
    sheet = Canvas(width, row_height * len(backgrounds), rgb("#F3F3F3"))
    for band, background in enumerate(backgrounds):
        top = band * row_height
        sheet.rect(0, top, width - 1, top + row_height - 1, background)
        left = gap
        for picture in pictures:
            for y in range(picture.height):
                for x in range(picture.width):
                    colour = picture.get(x, y)
                    if not colour[3]:
                        continue
                    for sy in range(scale):
                        for sx in range(scale):
                            sheet.blend(left + x * scale + sx, top + gap + y * scale + sy, colour)
            left += picture.width * scale + gap
    with open(path, "wb") as handle:
        handle.write(png_file(sheet))


def main(argv):
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    directory = os.path.join(root, "res", "images")
    os.makedirs(directory, exist_ok=True)
    for name, data in sorted(build().items()):
        with open(os.path.join(directory, name), "wb") as handle:
            handle.write(data)
    if "--preview" in argv:
        index = argv.index("--preview")
        target = argv[index + 1] if index + 1 < len(argv) else "/tmp/pannex_images_preview.png"
        write_preview(directory, target)
        print("preview: " + target)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
