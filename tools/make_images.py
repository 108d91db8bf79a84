#!/usr/bin/env python3
"""Draws the program's icons and bitmaps as pixel art and writes them to res/images/.

Standard library only. The output is byte-for-byte deterministic, so the generated
files can be checked in and regenerated at will.

    python3 tools/make_images.py            write res/images/* (the program's pictures,
                                            menu/*.ico and toolbar/*.ico for the icon libraries)
    python3 tools/make_images.py --preview  also write a 4x preview PNG (default
                                            /tmp/pannex_images_preview.png) decoded
                                            back from the files just written, and beside
                                            it (..._commands.png) the command pictures
                                            at every size
    python3 tools/make_images.py --sheet docs/icons.png
                                            also write the 8x sheet of the command pictures
"""

import math
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


def flat_look(look):
    """The same colours without light and shade: bevels only look clean on straight edges."""
    return dict(look, light=None, shade=None)

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


def draw_window_picture(c, left, top, right, bottom, title=9, row_step=4, rows=None, shadow=True,
                        columns=True):
    """The program's window at larger sizes: caption bar and two file panels, the left one with a
    selected row. Used by the 48-pixel icon and the about picture."""
    if shadow:
        for y in range(top + 2, bottom + 3):
            for x in range(left + 2, right + 3):
                c.blend(x, y, (0, 0, 0, 26))
        for y in range(top + 1, bottom + 2):
            for x in range(left + 1, right + 2):
                c.blend(x, y, (0, 0, 0, 34))
    c.rect(left, top, right, bottom, APP_BODY)
    title_bottom = top + title - 1
    for y in range(top, title_bottom + 1):
        t = (y - top) / float(title_bottom - top)
        c.rect(left, y, right, y, lerp(APP_TITLE_TOP, APP_TITLE_BOTTOM, t))
    c.frame(left, top, right, bottom, APP_OUTLINE)
    c.rect(left + 1, title_bottom + 1, right - 1, title_bottom + 1, rgb("#9BBDE8"))
    c.set(left, top, CLEAR)
    c.set(right, top, CLEAR)
    c.blend(left, top, rgb("#1A4580", 110))
    c.blend(right, top, rgb("#1A4580", 110))
    # Caption glyph (two columns), caption text and a close box.
    gy = top + (title - 5) // 2
    c.frame(left + 3, gy, left + 9, gy + 4, APP_GLYPH)
    c.rect(left + 6, gy + 1, left + 6, gy + 3, APP_GLYPH)
    c.rect(left + 12, gy + 2, left + 12 + (right - left) // 3, gy + 2, rgb("#DCEBFF"))
    c.rect(right - 7, gy, right - 3, gy + 4, rgb("#F4F8FF"))
    for d in range(3):
        c.set(right - 6 + d, gy + 1 + d, rgb("#4F84CF"))
        c.set(right - 4 - d, gy + 1 + d, rgb("#4F84CF"))

    panel_top = title_bottom + 3
    panel_bottom = bottom - 3
    middle = (left + right) // 2
    panels = [(left + 3, middle - 2), (middle + 2, right - 3)]
    if rows is None:
        rows = [
            [("d", 9), ("d", 7), ("f", 10), ("f", 8), ("f", 11), ("f", 6), ("f", 9), ("f", 7)],
            [("d", 8), ("f", 10), ("f", 7), ("f", 9), ("f", 6), ("f", 10), ("f", 8), ("f", 9)],
        ]
    for index, (x0, x1) in enumerate(panels):
        c.rect(x0, panel_top, x1, panel_bottom, APP_PANEL)
        c.frame(x0, panel_top, x1, panel_bottom, APP_PANEL_EDGE)
        c.rect(x0 + 1, panel_top + 1, x1 - 1, panel_top + 3, APP_HEADER)
        split = x0 + (x1 - x0) * 3 // 5 if columns else x1 + 1
        if columns:
            c.rect(split, panel_top + 1, split, panel_top + 3, APP_PANEL_EDGE)
        y = panel_top + 4 + row_step // 2
        for row, (kind, length) in enumerate(rows[index]):
            if y + 2 > panel_bottom - 1:
                break
            selected = index == 0 and row == 1
            if selected:
                c.rect(x0 + 1, y - 1, x1 - 1, y + 2, APP_SELECTION)
            mark = APP_FOLDER if kind == "d" else APP_FILE
            c.rect(x0 + 2, y, x0 + 3, y + 1, mark)
            if kind == "d":
                c.set(x0 + 2, y - 1, mark)
            text = APP_SELECTED_TEXT if selected else APP_TEXT
            c.rect(x0 + 6, y, min(x0 + 5 + length, split - 2), y, text)
            if kind == "f" and columns:
                c.rect(split + 2, y, min(split + 4, x1 - 2), y, APP_PANEL_EDGE if not selected else text)
            y += row_step


def draw_app_48():
    c = Canvas(48, 48)
    draw_window_picture(c, 2, 3, 43, 42, title=9, row_step=4, columns=False)
    return c


ABOUT_SIZE = (240, 96)

WORDMARK_FONT = {
    "P": ["######.", "##...##", "##...##", "##...##", "######.", "##.....", "##.....", "##.....", "##....."],
    "a": [".......", ".......", ".......", ".#####.", ".....##", ".######", "##...##", "##...##", ".######"],
    "n": [".......", ".......", ".......", "######.", "##...##", "##...##", "##...##", "##...##", "##...##"],
    "e": [".......", ".......", ".......", ".#####.", "##...##", "#######", "##.....", "##...##", ".#####."],
    "x": [".......", ".......", ".......", "##...##", ".##.##.", "..###..", "..###..", ".##.##.", "##...##"],
}


def draw_wordmark(c, text, left, top, scale, top_colour, bottom_colour, shadow):
    x = left
    height = 9 * scale
    for letter in text:
        rows = WORDMARK_FONT[letter]
        for gy, row in enumerate(rows):
            for gx, key in enumerate(row):
                if key != "#":
                    continue
                for sy in range(scale):
                    for sx in range(scale):
                        px, py = x + gx * scale + sx, top + gy * scale + sy
                        c.blend(px + 1, py + 1, shadow)
        for gy, row in enumerate(rows):
            for gx, key in enumerate(row):
                if key != "#":
                    continue
                for sy in range(scale):
                    py = top + gy * scale + sy
                    colour = lerp(top_colour, bottom_colour, (py - top) / float(height - 1))
                    for sx in range(scale):
                        c.set(x + gx * scale + sx, py, colour)
        x += (len(rows[0]) + 2) * scale


def draw_about():
    """The about box picture: the program's window on a light backdrop beside its name."""
    width, height = ABOUT_SIZE
    c = Canvas(width, height)
    top_colour, bottom_colour = rgb("#F4F8FE"), rgb("#C9DCF4")
    for y in range(height):
        c.rect(0, y, width - 1, y, lerp(top_colour, bottom_colour, y / float(height - 1)))
    # A faint horizon band behind the picture.
    for y in range(height - 22, height):
        for x in range(width):
            c.blend(x, y, rgb("#2E6BC6", 10))
    draw_window_picture(c, 12, 10, 111, 83, title=11, row_step=6)
    # An orange arrow from the left panel across to the right one: files on their way.
    arrow_look = shade_set("#F39A2E", "#FFD08A", "#D77A12", "#924D08")
    pen = Pen(c, 1.0, 0, 0)
    pen.solid(arrow(46, 44, 76, 60, shaft=0.44, head=0.42), arrow_look)
    draw_wordmark(c, "Pannex", 128, 30, 2, rgb("#2E6BC6"), rgb("#163D78"), rgb("#FFFFFF", 200))
    # Two file-panel strokes under the name echo the picture.
    c.rect(130, 58, 174, 59, rgb("#F2BE2C"))
    c.rect(178, 58, 228, 59, rgb("#7EA6DA"))
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


def draw_sort_arrow_at(ascending, size):
    """The sort arrow at 150 and 200 % (17 and 22 pixels): the same triangle as a shape."""
    c = Canvas(size, size)
    points = [(1.0, 8.0), (10.0, 8.0), (5.5, 3.0)] if ascending else [(1.0, 3.0), (10.0, 3.0), (5.5, 8.0)]
    Pen(c, size / 11.0, 0, 0).flat(poly(points), rgb("#5A5A5A"))
    return c


SORT_ARROW_SIZES = [17, 22]


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


def doubled(canvas):
    """Each pixel as a 2 by 2 block: the drive properties show the 16-pixel pictures at 32."""
    big = Canvas(canvas.width * 2, canvas.height * 2)
    for y in range(big.height):
        for x in range(big.width):
            big.set(x, y, canvas.get(x // 2, y // 2))
    return big


# ---------------------------------------------------------------------------
# Command pictures for the menus (16 by 16 at 100 %) and the toolbar (18 wide, 20 high).
#
# Each picture is described once in a 16-unit design square and rasterised for
# each size on that size's own pixel grid: a shape is a test of design
# coordinates, sampled at pixel centres, and its border pixels become its
# outline. Nothing is scaled from a finished bitmap, so every size keeps crisp
# outlines: one pixel thick up to 150 %, two from 200 %, and the bevels and
# thin strokes with them. Every pixel is either opaque or clear, so the
# pictures look the same in a masked image list as in one with alpha.


def shade_set(fill, light, shade, outline):
    return {"fill": rgb(fill), "light": rgb(light) if light else None,
            "shade": rgb(shade) if shade else None, "outline": rgb(outline)}


PAGE = shade_set("#FFFFFF", None, "#E6ECF3", "#6E7D92")
PAGE_FOLD = shade_set("#DDE5EF", None, None, "#6E7D92")
PAGE_TEXT = rgb("#A3B1C4")
FOLDER_BACK = shade_set("#E9B83A", None, "#D6A22A", "#A7770F")
FOLDER_FRONT = shade_set("#FFD966", "#FFF3BC", "#F4C246", "#A7770F")
BLUE = shade_set("#3C8AE6", "#9CCBFF", "#2A6CC0", "#1A4A8E")
GREEN = shade_set("#45B24E", "#A0E29A", "#2F8F39", "#1E6A29")
RED = shade_set("#E5483E", "#FFA197", "#C0322A", "#86201A")
ORANGE = shade_set("#F39A2E", "#FFD08A", "#D77A12", "#924D08")
GOLD = shade_set("#F8C93A", "#FFF0A0", "#E0A91C", "#9A7008")
STEEL = shade_set("#AEB6C2", "#E8EDF3", "#8D96A4", "#4A5361")
WINDOW = shade_set("#EEF2F7", None, None, "#56657A")
TITLE = shade_set("#4A8FE0", "#8EC0FA", None, "#23508F")
CONSOLE = shade_set("#27303F", None, None, "#141922")
GLASS = shade_set("#CFE9FF", "#FFFFFF", "#A9D2F5", "#2B4A6F")
WOOD = shade_set("#C98544", "#E6AE73", "#A9692E", "#5E3712")
SELECTION = rgb("#3B7DDB")


def flat_look(look):
    """The same colours without light and shade: bevels only look clean on straight edges."""
    return dict(look, light=None, shade=None)

WHITE = rgb("#FFFFFF")
ETCH_DARK = rgb("#8A909A")
ETCH_LIGHT = rgb("#FFFFFF")


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def poly(points):
    """Even-odd test of a closed polygon."""
    def test(x, y):
        inside = False
        count = len(points)
        for index in range(count):
            ax, ay = points[index]
            bx, by = points[(index + 1) % count]
            if (ay > y) != (by > y):
                cross = ax + (y - ay) * (bx - ax) / (by - ay)
                if x < cross:
                    inside = not inside
        return inside
    return test


def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 < r * r


def union(*tests):
    return lambda x, y: any(t(x, y) for t in tests)


def minus(test, hole):
    return lambda x, y: test(x, y) and not hole(x, y)


def turned(points, cx, cy, degrees):
    a = math.radians(degrees)
    ca, sa = math.cos(a), math.sin(a)
    return [(cx + (x - cx) * ca - (y - cy) * sa, cy + (x - cx) * sa + (y - cy) * ca) for x, y in points]


def band(x0, y0, x1, y1, width):
    """A straight stroke of the given width between two points, square ends."""
    length = math.hypot(x1 - x0, y1 - y0)
    nx, ny = -(y1 - y0) / length * width / 2, (x1 - x0) / length * width / 2
    return poly([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)])


def arrow(x0, y0, x1, y1, shaft=0.44, head=0.5, direction=0):
    """A block arrow filling the box, pointing right, turned by direction degrees (90 = down)."""
    cy = (y0 + y1) / 2.0
    half = (y1 - y0) * shaft / 2.0
    xm = x1 - (x1 - x0) * head
    points = [(x0, cy - half), (xm, cy - half), (xm, y0), (x1, cy), (xm, y1), (xm, cy + half),
              (x0, cy + half)]
    return poly(turned(points, (x0 + x1) / 2.0, cy, direction))


def star(cx, cy, r, inner=0.5):
    points = []
    for index in range(10):
        radius = r if index % 2 == 0 else r * inner
        angle = math.radians(-90 + 36 * index)
        points.append((cx + radius * math.cos(angle), cy + radius * math.sin(angle)))
    return poly(points)


def plus_sign(cx, cy, r, t):
    return union(rect(cx - r, cy - t / 2.0, cx + r, cy + t / 2.0),
                 rect(cx - t / 2.0, cy - r, cx + t / 2.0, cy + r))


class Pen:
    """Draws design-square shapes onto a canvas at a given scale and offset."""

    def __init__(self, canvas, scale, left, top):
        self.canvas = canvas
        self.scale = scale
        self.left = left
        self.top = top
        # The toolbar's 100 % size, a little larger than the menu's: some details are laid out
        # pixel by pixel for each of the two.
        self.big = scale > 1
        # From 150 % on there is room to draw those details as shapes too.
        self.fine = scale >= 1.4
        # The thickness of outlines, bevels and one-unit strokes in pixels.
        self.line = max(1, int(math.floor(scale + 0.25)))

    def snap(self, value, origin):
        return int(math.floor(origin + value * self.scale + 0.5))

    def area(self, test):
        pixels = set()
        for y in range(self.canvas.height):
            for x in range(self.canvas.width):
                if test((x + 0.5 - self.left) / self.scale, (y + 0.5 - self.top) / self.scale):
                    pixels.add((x, y))
        return pixels

    def solid(self, test, look, outline=True, line=None):
        """Fills a shape; its border gets the outline, the pixels just inside it light and shade.
        line: the outline's thickness in pixels where the size's own would crowd a small part."""
        pixels = self.area(test)
        line = line or self.line
        # Every offset within `line` steps (up, down, left, right): the outline is as thick as a
        # stroke at this size, rounded at the corners.
        reach = [(dx, dy) for dx in range(-line, line + 1) for dy in range(-line, line + 1)
                 if 0 < abs(dx) + abs(dy) <= line]

        def border(x, y):
            return any((x + dx, y + dy) not in pixels for dx, dy in reach)

        def near(x, y, sx, sy):
            return any((x + sx * k, y) in edge or (x, y + sy * k) in edge for k in range(1, line + 1))

        edge = {p for p in pixels if border(*p)} if outline else set()
        for x, y in pixels:
            if (x, y) in edge:
                colour = look["outline"]
            elif look["light"] and near(x, y, -1, -1):
                colour = look["light"]
            elif look["shade"] and near(x, y, 1, 1):
                colour = look["shade"]
            else:
                colour = look["fill"]
            self.canvas.set(x, y, colour)
        return pixels

    def flat(self, test, colour):
        for x, y in self.area(test):
            self.canvas.set(x, y, colour)

    def bar(self, x0, y0, x1, y1, colour):
        """A snapped rectangle whose one-unit sides stay one pixel thick."""
        px0, py0 = self.snap(x0, self.left), self.snap(y0, self.top)
        width = x1 - x0
        height = y1 - y0
        px1 = px0 + self.thin(width) if width <= 1.01 else self.snap(x1, self.left)
        py1 = py0 + self.thin(height) if height <= 1.01 else self.snap(y1, self.top)
        self.canvas.rect(px0, py0, px1 - 1, py1 - 1, colour)

    def thin(self, units):
        """A stroke of at most one unit in pixels: as thick as the outlines at this size."""
        return max(1, int(math.floor(units * self.scale + 0.25)))

    def glyph(self, x, y, rows, colour):
        """Pixel art placed with its top-left pixel at the snapped design point."""
        px, py = self.snap(x, self.left), self.snap(y, self.top)
        for dy, row in enumerate(rows):
            for dx, key in enumerate(row):
                if key == "#":
                    self.canvas.set(px + dx, py + dy, colour)


# Shared parts.

def page(p, x0, y0, x1, y1, fold=4.0, lines=True, text=PAGE_TEXT, look=PAGE):
    p.solid(poly([(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)]), look)
    p.solid(poly([(x1 - fold, y0), (x1 - fold, y0 + fold + 0.01), (x1 + 0.01, y0 + fold + 0.01)]), PAGE_FOLD)
    if lines:
        y = y0 + 3.0
        row = 0
        while y + 1 <= y1 - 1.5:
            right = (x1 - fold - 1) if y < y0 + fold else (x1 - 2)
            if row % 3 == 2:
                right -= 2
            if right > x0 + 2:
                p.bar(x0 + 2, y, right, y + 1, text)
            y += 2.0
            row += 1


def folder(p, x0, y0, x1, y1, front_top=None):
    tab = x0 + (x1 - x0) * 0.4
    if front_top is None:
        front_top = y0 + 4
    p.solid(poly([(x0, y0 + 0.5), (x0 + 0.5, y0), (tab, y0), (tab + 1.5, y0 + 2), (x1, y0 + 2),
                  (x1, y1), (x0, y1)]), FOLDER_BACK)
    p.solid(rect(x0, front_top, x1, y1), FOLDER_FRONT)


def clock(p, cx, cy, r):
    p.solid(disc(cx, cy, r), shade_set("#FFFFFF", None, "#DCE6F2", "#2E5C9A"))
    p.bar(cx - 0.5, cy - r + 1.5, cx + 0.5, cy + 0.5, rgb("#1F3550"))
    p.bar(cx - 0.5, cy - 0.5, cx + r - 1.5, cy + 0.5, rgb("#1F3550"))


# The pictures, by image index (icon resource 2000 + index).

def icon_separator(p):
    p.bar(7, 1, 8, 15, ETCH_DARK)
    p.bar(8, 1, 9, 15, ETCH_LIGHT)


def icon_parent(p):
    folder(p, 0, 4, 16, 15)
    p.solid(arrow(3, 1, 13, 13, shaft=0.4, head=0.5, direction=-90), GREEN)


def icon_back(p):
    p.solid(arrow(1, 2, 15, 14, shaft=0.42, head=0.5, direction=180), BLUE)


def icon_forward(p):
    p.solid(arrow(1, 2, 15, 14, shaft=0.42, head=0.5), BLUE)


def icon_editor(p):
    page(p, 1, 1, 12, 15)
    # A pencil lying from the lower left to the upper right.
    x0, y0, x1, y1 = 6.0, 14.0, 15.2, 4.8
    p.solid(band(x0 + 2.2, y0 - 2.2, x1, y1, 3.4), flat_look(ORANGE))
    p.solid(band(x1 - 1.6, y1 + 1.6, x1 + 0.6, y1 - 0.6, 3.4), shade_set("#F08FA0", None, None, "#8E3345"))
    p.solid(poly([(x0 + 2.8, y0 - 0.4), (x0 + 0.4, y0 - 2.8), (x0 - 0.6, y0 + 0.6)]),
            shade_set("#F1D3A0", None, None, "#6B4A1E"))
    p.bar(x0 - 0.5, y0 - 0.5, x0 + 0.5, y0 + 0.5, rgb("#2B2B2B"))


def icon_copy(p):
    page(p, 1, 1, 11, 12, fold=3.5)
    page(p, 5, 4, 15, 15, fold=3.5, text=rgb("#6F9FE0"))


def icon_move(p):
    page(p, 1, 1, 11, 14, fold=3.5)
    p.solid(arrow(5, 6, 16, 15, shaft=0.46, head=0.5), ORANGE)


def icon_delete(p):
    cross = union(band(2.6, 2.6, 13.4, 13.4, 3.4), band(13.4, 2.6, 2.6, 13.4, 3.4))
    p.solid(cross, flat_look(RED))


def icon_make_directory(p):
    folder(p, 0, 4, 14, 15)
    p.solid(plus_sign(12, 4.5, 4, 3), GREEN)


def icon_attributes(p):
    body = [(-8.2, 0), (-4.2, -4.6), (6.6, -4.6), (6.6, 4.6), (-4.2, 4.6)]
    points = turned([(8.4 + x, 8.4 + y) for x, y in body], 8.4, 8.4, 45)
    p.solid(minus(poly(points), disc(5.6, 5.6, 1.3)), flat_look(GOLD))


def rows_box(p, selected):
    p.solid(rect(1, 1, 13, 15), PAGE)
    for index, y in enumerate((3, 6, 9, 12)):
        if index in selected:
            p.bar(2, y - 0.5, 12, y + 1.5, SELECTION)
            p.bar(3, y, 4, y + 1, WHITE)
            p.bar(5, y, 10, y + 1, WHITE)
        else:
            p.bar(3, y, 4, y + 1, rgb("#E9B83A"))
            p.bar(5, y, 10, y + 1, PAGE_TEXT)


def icon_select(p):
    rows_box(p, (1, 2))
    p.solid(plus_sign(12, 12, 4, 3), GREEN)


def icon_deselect(p):
    rows_box(p, (1, 2))
    p.solid(rect(8, 10, 16, 14), RED)


def icon_list_view(p):
    p.solid(rect(0, 1, 16, 15), PAGE)
    for column in (2, 8.5):
        for y in (3, 6, 9, 12):
            p.bar(column, y, column + 2, y + 2, rgb("#3B7DDB"))
            p.bar(column + 3, y + 0.5, column + 6, y + 1.5, rgb("#7E8FA6"))


def icon_details_view(p):
    p.solid(rect(0, 1, 16, 15), PAGE)
    p.bar(1, 2, 15, 4, rgb("#C4D6EE"))
    p.bar(10, 2, 11, 4, rgb("#8AA3C4"))
    for y in (5.5, 8.5, 11.5):
        p.bar(2, y, 4, y + 2, rgb("#3B7DDB"))
        p.bar(5, y + 0.5, 9, y + 1.5, rgb("#7E8FA6"))
        p.bar(11, y + 0.5, 14, y + 1.5, rgb("#A9B6C8"))


SMALL_FOLDER_16 = [
    "ooo.....",
    "oDDooooo",
    "oHHHHHHo",
    "oYYYYYYo",
    "oooooooo",
]
SMALL_FOLDER_18 = [
    "oooo.....",
    "oDDDooooo",
    "ooooooooo",
    "oHHHHHHHo",
    "oYYYYYYYo",
    "ooooooooo",
]


def small_folder(p, x0, y0, x1, y1):
    """A folder a third of the picture high, outlined one pixel thick at every size: thicker
    outlines would leave no room for its front."""
    tab = x0 + (x1 - x0) * 0.4
    p.solid(poly([(x0, y0), (tab, y0), (tab + 1, y0 + 1), (x1, y0 + 1), (x1, y1), (x0, y1)]),
            FOLDER_BACK, line=1)
    p.solid(rect(x0, y0 + 1.5, x1, y1), FOLDER_FRONT, line=1)


def icon_folder_tree(p):
    # Up to the toolbar's 100 % size laid out in pixels: three folders must stack without touching.
    line = rgb("#7E8796")
    c = p.canvas
    if p.fine:
        p.bar(2.5, 5, 3.5, 13.5, line)
        for y in (8, 13):
            p.bar(3, y, 7.5, y + 1, line)
        for x, y in ((0, 0), (7, 5.5), (7, 11)):
            small_folder(p, x, y, x + 8.5, y + 5)
        return
    if p.big:
        art, places, trunk, branches = SMALL_FOLDER_18, [(0, 1), (8, 7), (8, 13)], (3, 7, 15), (9, 15)
    else:
        art, places, trunk, branches = SMALL_FOLDER_16, [(0, 0), (7, 5), (7, 10)], (2, 5, 12), (7, 12)
    x, top, bottom = trunk
    c.rect(x, top, x, bottom, line)
    for y in branches:
        c.rect(x, y, places[1][0] - 1, y, line)
    for left, y in places:
        c.paste(from_art(art, FOLDER_PALETTE), left, y)




def icon_search(p):
    p.solid(band(9.8, 9.8, 15, 15, 3.2), shade_set("#4A4F5A", "#7D8593", None, "#22252B"))
    p.solid(disc(6.5, 6.5, 6), shade_set("#7C8796", None, None, "#2F3A4A"))
    p.solid(disc(6.5, 6.5, 4.2), GLASS)


def icon_go_to_folder(p):
    folder(p, 0, 3, 16, 15)
    p.solid(arrow(3, 7, 15, 15, shaft=0.44, head=0.5), BLUE)


CONSOLE_PROMPT = ["#..", ".#.", "..#", ".#.", "#.."]


def icon_command_history(p):
    p.solid(rect(0, 1, 15, 13), CONSOLE)
    p.bar(1, 2, 14, 3, rgb("#5C6B82"))
    if p.fine:
        p.flat(union(band(2.5, 5, 5.2, 7.5, 1.2), band(5.2, 7.5, 2.5, 10, 1.2)), rgb("#7CFC8A"))
    else:
        p.glyph(2.5, 5, CONSOLE_PROMPT, rgb("#7CFC8A"))
    p.bar(6, 9, 9, 10, rgb("#7CFC8A"))
    clock(p, 11.5, 11.5, 4.5)


def icon_folder_history(p):
    folder(p, 0, 1, 15, 12)
    clock(p, 11.5, 11.5, 4.5)


def icon_add_favourite(p):
    p.solid(star(7.5, 8, 7.8, 0.5), flat_look(GOLD))
    p.solid(plus_sign(12.5, 12.5, 3.5, 3), GREEN)


def icon_organise_favourites(p):
    page(p, 1, 0, 12, 14, fold=3.5)
    p.solid(star(10.5, 10.5, 5.6, 0.5), flat_look(GOLD))


def icon_drive_properties(p):
    p.solid(rect(0, 10, 16, 15.5), STEEL)
    p.bar(2, 12.5, 8, 13.5, rgb("#3F4652"))
    p.bar(12, 12, 14, 14, rgb("#35D24A"))
    pie = disc(8, 5.5, 5.5)
    p.solid(pie, shade_set("#3C6FD8", None, None, "#1F3B78"))
    free = lambda x, y: x >= 8 and y <= 5.5
    p.flat(lambda x, y: pie(x, y) and free(x, y) and disc(8, 5.5, 4.6)(x, y), rgb("#D94FC8"))


def icon_shell_properties(p):
    p.solid(rect(1, 1, 15, 15), WINDOW)
    p.solid(rect(1, 1, 15, 4), TITLE)
    for y in (6, 9):
        p.bar(3, y + 0.5, 6, y + 1.5, rgb("#7E8FA6"))
        p.solid(rect(7, y - 0.5, 13, y + 2.5), shade_set("#FFFFFF", None, None, "#8A9AB0"))
    p.bar(3, 12, 5, 14, rgb("#3B7DDB"))
    p.bar(6, 12.5, 10, 13.5, rgb("#7E8FA6"))


def refresh_arc(p, cx, cy, r0, r1, start, end, look):
    def test(x, y):
        d = math.hypot(x - cx, y - cy)
        if not (r0 <= d < r1):
            return False
        angle = math.degrees(math.atan2(y - cy, x - cx)) % 360
        return (angle - start) % 360 <= (end - start) % 360
    a = math.radians(end)
    rm = (r0 + r1) / 2.0
    half = (r1 - r0) / 2.0 + 2.2
    bx, by = cx + rm * math.cos(a), cy + rm * math.sin(a)
    ux, uy = math.cos(a), math.sin(a)
    tx, ty = -math.sin(a), math.cos(a)
    head = poly([(bx + ux * half, by + uy * half), (bx - ux * half, by - uy * half),
                 (bx + tx * 4.4, by + ty * 4.4)])
    p.solid(union(test, head), look)


def icon_refresh(p):
    refresh_arc(p, 8, 8, 3.4, 6.4, 190, 320, flat_look(GREEN))
    refresh_arc(p, 8, 8, 3.4, 6.4, 10, 140, flat_look(GREEN))


def icon_documents(p):
    p.solid(poly([(0, 3.5), (0.5, 3), (6, 3), (7.5, 5), (16, 5), (16, 15), (0, 15)]), FOLDER_BACK)
    page(p, 3, 1, 13, 12, fold=3, lines=False)
    p.bar(5, 4, 9, 5, PAGE_TEXT)
    p.bar(5, 6, 11, 7, PAGE_TEXT)
    p.solid(rect(0, 8, 16, 15), FOLDER_FRONT)


def icon_recycle_bin(p):
    look = shade_set("#9FB6CF", "#DCE8F5", "#7F97B2", "#3E5069")
    p.solid(poly([(2.5, 5), (13.5, 5), (12.3, 15.5), (3.7, 15.5)]), look)
    for x in (5.5, 7.5, 9.5):
        p.bar(x, 7, x + 1, 14, rgb("#5F7690"))
    p.solid(rect(5.5, 0.5, 10.5, 3), look)
    p.solid(rect(1, 2, 15, 5), look)


def icon_control_panel(p):
    p.solid(rect(0, 1, 16, 15), WINDOW)
    knobs = [(3, 9, RED), (7, 5, GREEN), (11, 8, BLUE)]
    for x, knob, look in knobs:
        p.bar(x + 0.5, 3, x + 1.5, 13, rgb("#4B5566"))
        p.solid(rect(x - 1, knob - 1, x + 3, knob + 2), look)


HELP_MARK_16 = [".####.", "##..##", "....##", "...##.", "..##..", "......", "..##.."]
HELP_MARK_18 = [".####.", "##..##", "##..##", "...##.", "..##..", "..##..", "......", "..##.."]


def help_mark(cx, top, stroke=1.9):
    """A question mark as shapes: a hook round from the left over the top down to the middle, a
    short stem and a dot below."""
    r = 2.6
    cy = top + r
    inner, outer = r - stroke / 2.0, r + stroke / 2.0

    def hook(x, y):
        if not inner <= math.hypot(x - cx, y - cy) < outer:
            return False
        angle = math.degrees(math.atan2(y - cy, x - cx)) % 360
        return angle >= 170 or angle <= 90

    stem = rect(cx - stroke / 2.0, cy + inner, cx + stroke / 2.0, cy + outer + 1.2)
    dot = rect(cx - stroke / 2.0, cy + outer + 2.3, cx + stroke / 2.0, cy + outer + 2.3 + stroke)
    return union(hook, stem, dot)


def icon_help(p):
    p.solid(disc(8, 8, 7.3), shade_set("#2F7FD8", "#8DC0FA", "#1F66BC", "#163F7A"))
    if p.fine:
        p.flat(help_mark(8, 3.4), WHITE)
    elif p.big:
        p.glyph(5.3, 4.4, HELP_MARK_18, WHITE)
    else:
        p.glyph(5, 4.5, HELP_MARK_16, WHITE)


def icon_exit(p):
    p.solid(rect(1, 1, 10, 16), shade_set("#6A4A2C", None, None, "#3E2814"))
    p.solid(poly([(2, 2), (8, 3.5), (8, 16), (2, 15)]), WOOD)
    p.bar(6.5, 9, 7.5, 10, rgb("#F3D27A"))
    p.solid(arrow(7, 5, 16, 13, shaft=0.44, head=0.5), RED)


def icon_job_list(p):
    # A window listing jobs, the running one's progress below them.
    p.solid(rect(0, 1, 16, 15), WINDOW)
    p.solid(rect(0, 1, 16, 4), TITLE)
    for y in (5, 7):
        p.bar(2, y, 4, y + 1, rgb("#3B7DDB"))
        p.bar(5, y, 14, y + 1, rgb("#7E8FA6"))
    p.solid(rect(2, 9, 14, 13), shade_set("#E6ECF3", None, None, "#6E7D92"))
    p.flat(rect(3, 10, 9.5, 12), GREEN["fill"])


def icon_view(p):
    # A page of text looked at: an eye over its lines.
    page(p, 1, 0, 13, 15)
    eye = lambda x, y: disc(9.5, 14.8, 6.4)(x, y) and disc(9.5, 6.2, 6.4)(x, y)
    p.solid(eye, shade_set("#FFFFFF", None, None, "#1E2A3A"))
    p.flat(disc(9.5, 10.5, 2.5), rgb("#3B7DDB"))
    p.flat(disc(9.5, 10.5, 1.2), rgb("#141922"))


def icon_settings(p):
    teeth = union(*[band(8 - 7.6 * math.cos(math.radians(a)), 8 - 7.6 * math.sin(math.radians(a)),
                         8 + 7.6 * math.cos(math.radians(a)), 8 + 7.6 * math.sin(math.radians(a)), 3.0)
                    for a in (0, 45, 90, 135)])
    p.solid(minus(union(teeth, disc(8, 8, 5.4)), disc(8, 8, 2.3)), flat_look(STEEL))
    p.flat(minus(disc(8, 8, 4.0), disc(8, 8, 3.2)), rgb("#D5DBE3"))


COMMAND_ICONS = [
    ("separator", icon_separator),
    ("parent", icon_parent),
    ("back", icon_back),
    ("forward", icon_forward),
    ("editor", icon_editor),
    ("copy", icon_copy),
    ("move", icon_move),
    ("delete", icon_delete),
    ("make_directory", icon_make_directory),
    ("attributes", icon_attributes),
    ("select", icon_select),
    ("deselect", icon_deselect),
    ("list_view", icon_list_view),
    ("details_view", icon_details_view),
    ("folder_tree", icon_folder_tree),
    ("search", icon_search),
    ("go_to_folder", icon_go_to_folder),
    ("command_history", icon_command_history),
    ("folder_history", icon_folder_history),
    ("add_favourite", icon_add_favourite),
    ("organise_favourites", icon_organise_favourites),
    ("drive_properties", icon_drive_properties),
    ("shell_properties", icon_shell_properties),
    ("refresh", icon_refresh),
    ("documents", icon_documents),
    ("recycle_bin", icon_recycle_bin),
    ("control_panel", icon_control_panel),
    ("help", icon_help),
    ("exit", icon_exit),
    ("job_list", icon_job_list),
    ("view", icon_view),
    ("settings", icon_settings),
]

# The panels' own pictures at 150 and 200 % (their 100 % ones are the pixel art
# above): a folder, an open folder, and the parent folder's.
def panel_folder(p):
    folder(p, 0.5, 2.5, 15.5, 14.5)


def panel_folder_open(p):
    # The front lowered and pushed to the right: the folder stands open.
    p.solid(poly([(0.5, 3.0), (1.0, 2.5), (6.0, 2.5), (7.5, 4.5), (14.0, 4.5), (14.0, 14.5),
                  (0.5, 14.5)]), FOLDER_BACK)
    p.solid(poly([(2.5, 7.5), (15.5, 7.5), (13.5, 14.5), (0.5, 14.5)]), FOLDER_FRONT)


def panel_parent(p):
    # As the 100 % picture: an arrowhead up over a stem that turns right.
    head = poly([(5.5, 2.0), (10.5, 7.5), (0.5, 7.5)])
    stem = union(rect(3.5, 7.0, 7.5, 14.5), rect(3.5, 10.5, 15.0, 14.5))
    p.solid(union(head, stem), GREEN)


PANEL_SIZES = [(24, 24), (32, 32)]


def panel_icon(art, draw):
    return ico_file([art] + [draw_command(draw, size) for size in PANEL_SIZES])


# Each at 100, 150 and 200 %; every .ico holds the three, the 100 % one first.
MENU_SIZES = [(16, 16), (24, 24), (32, 32)]
TOOLBAR_SIZES = [(18, 20), (27, 30), (36, 40)]


def draw_command(draw, size):
    width, height = size
    canvas = Canvas(width, height)
    scale = min(width, height) / 16.0
    # The design square sits on whole pixels, so that its edges stay sharp.
    left = int(math.floor((width - 16 * scale) / 2.0))
    top = int(math.floor((height - 16 * scale) / 2.0))
    draw(Pen(canvas, scale, left, top))
    return canvas


SHEET_DIGITS = {
    "0": ["###", "#.#", "#.#", "#.#", "###"], "1": [".#.", "##.", ".#.", ".#.", "###"],
    "2": ["###", "..#", "###", "#..", "###"], "3": ["###", "..#", ".##", "..#", "###"],
    "4": ["#.#", "#.#", "###", "..#", "..#"], "5": ["###", "#..", "###", "..#", "###"],
    "6": ["###", "#..", "###", "#.#", "###"], "7": ["###", "..#", ".#.", ".#.", ".#."],
    "8": ["###", "#.#", "###", "#.#", "###"], "9": ["###", "#.#", "###", "..#", "###"],
}


def write_sheet(directory, path, scale=8, per_row=10, only=None):
    """An enlarged sheet of the command pictures read back from the files, menu and toolbar at
    100 %, plus 1:1 rows of both at 100, 150 and 200 %."""
    menus = []
    bars = []
    all_menus = []
    all_bars = []
    order = []
    for index, (name, _) in enumerate(COMMAND_ICONS):
        if only is not None and index not in only:
            continue
        order.append(index)
        with open(os.path.join(directory, "menu", name + ".ico"), "rb") as handle:
            all_menus.append(read_ico(handle.read()))
            menus.append(all_menus[-1][0])
        with open(os.path.join(directory, "toolbar", name + ".ico"), "rb") as handle:
            all_bars.append(read_ico(handle.read()))
            bars.append(all_bars[-1][0])
    cell_w = (16 + 18) * scale + 3 * 6
    cell_h = 20 * scale + 12 + 16
    rows = (len(menus) + per_row - 1) // per_row
    strips = [(MENU_SIZES[k], [pictures[k] for pictures in all_menus], rgb("#FFFFFF"))
              for k in range(len(MENU_SIZES))]
    strips += [(TOOLBAR_SIZES[k], [pictures[k] for pictures in all_bars], rgb("#D4D0C8"))
               for k in range(len(TOOLBAR_SIZES))]
    strip_h = sum(size[1] + 10 for size, _, _ in strips)
    sheet = Canvas(per_row * cell_w + 6, rows * cell_h + 6 + strip_h + 12, rgb("#ECEEF1"))

    def put(picture, left, top, factor, background=None):
        if background:
            sheet.rect(left, top, left + picture.width * factor - 1, top + picture.height * factor - 1,
                       background)
        for y in range(picture.height):
            for x in range(picture.width):
                colour = picture.get(x, y)
                if colour[3]:
                    sheet.rect(left + x * factor, top + y * factor, left + x * factor + factor - 1,
                               top + y * factor + factor - 1, colour)

    for index in range(len(menus)):
        left = 6 + (index % per_row) * cell_w
        top = 6 + (index // per_row) * cell_h
        put(menus[index], left, top + 2 * scale, scale, rgb("#FFFFFF"))
        put(bars[index], left + 16 * scale + 6, top, scale, rgb("#D4D0C8"))
        # The icon resource id under each pair.
        for place, digit in enumerate(str(2000 + order[index])):
            for gy, row in enumerate(SHEET_DIGITS[digit]):
                for gx, key in enumerate(row):
                    if key == "#":
                        x = left + place * 8 + gx * 2
                        y = top + 20 * scale + 4 + gy * 2
                        sheet.rect(x, y, x + 1, y + 1, rgb("#4A5361"))
    # Actual size: the menu pictures on a menu background, the toolbar ones on a button face.
    top = rows * cell_h + 8
    for (width, height), pictures, background in strips:
        sheet.rect(0, top, sheet.width - 1, top + height + 9, background)
        for index, picture in enumerate(pictures):
            put(picture, 6 + index * (width + 6), top + 5, 1)
        top += height + 10
    with open(path, "wb") as handle:
        handle.write(png_file(sheet))


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
    files = {
        "app.ico": ico_file([draw_app_48(), draw_app_32(), draw_app_16()]),
        "about.bmp": bmp_24(draw_about()),
        "folder.ico": panel_icon(from_art(FOLDER_CLOSED, FOLDER_PALETTE), panel_folder),
        "folder_open.ico": panel_icon(from_art(FOLDER_OPEN, FOLDER_PALETTE), panel_folder_open),
        "parent.ico": panel_icon(from_art(PARENT_ARROW, PARENT_PALETTE), panel_parent),
        "sort_ascending.ico": ico_file([draw_sort_arrow(True)] +
                                       [draw_sort_arrow_at(True, n) for n in SORT_ARROW_SIZES]),
        "sort_descending.ico": ico_file([draw_sort_arrow(False)] +
                                        [draw_sort_arrow_at(False, n) for n in SORT_ARROW_SIZES]),
        "drives.bmp": bmp_24(drives),
        "drives_mask.bmp": bmp_mask(drives),
        "drives32.bmp": bmp_24(doubled(drives)),
        "drives32_mask.bmp": bmp_mask(doubled(drives)),
    }
    for name, draw in COMMAND_ICONS:
        files["menu/" + name + ".ico"] = ico_file([draw_command(draw, size) for size in MENU_SIZES])
        files["toolbar/" + name + ".ico"] = ico_file([draw_command(draw, size) for size in TOOLBAR_SIZES])
    return files


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


def write_command_preview(directory, path, scale=3, per_row=4):
    """Every command picture at each size read back from the files: the menu's on a menu
    background, the toolbar's on a button face, each pixel as a scale by scale block."""
    gap = 6
    sizes = MENU_SIZES + TOOLBAR_SIZES
    cell_w = sum(w * scale + gap for w, _ in sizes) + 2 * gap
    cell_h = max(h for _, h in sizes) * scale + 2 * gap
    rows = (len(COMMAND_ICONS) + per_row - 1) // per_row
    sheet = Canvas(per_row * cell_w, rows * cell_h, rgb("#ECEEF1"))
    for index, (name, _) in enumerate(COMMAND_ICONS):
        pictures = []
        for folder, background in (("menu", rgb("#FFFFFF")), ("toolbar", rgb("#D4D0C8"))):
            with open(os.path.join(directory, folder, name + ".ico"), "rb") as handle:
                pictures.extend((picture, background) for picture in read_ico(handle.read()))
        left = (index % per_row) * cell_w + gap
        top = (index // per_row) * cell_h + gap
        for picture, background in pictures:
            sheet.rect(left, top, left + picture.width * scale - 1, top + picture.height * scale - 1,
                       background)
            for y in range(picture.height):
                for x in range(picture.width):
                    colour = picture.get(x, y)
                    if colour[3]:
                        sheet.rect(left + x * scale, top + y * scale, left + x * scale + scale - 1,
                                   top + y * scale + scale - 1, colour)
            left += picture.width * scale + gap
    with open(path, "wb") as handle:
        handle.write(png_file(sheet))


def main(argv):
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    directory = os.path.join(root, "res", "images")
    os.makedirs(directory, exist_ok=True)
    for name, data in sorted(build().items()):
        target = os.path.join(directory, name)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, "wb") as handle:
            handle.write(data)
    if "--preview" in argv:
        index = argv.index("--preview")
        target = argv[index + 1] if index + 1 < len(argv) else "/tmp/pannex_images_preview.png"
        write_preview(directory, target)
        print("preview: " + target)
        commands = os.path.splitext(target)[0] + "_commands.png"
        write_command_preview(directory, commands)
        print("command pictures: " + commands)
    if "--sheet" in argv:
        index = argv.index("--sheet")
        target = argv[index + 1] if index + 1 < len(argv) else "/tmp/pannex_icons.png"
        write_sheet(directory, target)
        print("sheet: " + target)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
