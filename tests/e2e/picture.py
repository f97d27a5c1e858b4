"""Pictures: screenshots read from xwd dumps, and the pictures the programs are expected to draw."""

import math
import struct
import sys
from array import array

BLACK = 0x000000
WHITE = 0xFFFFFF


def rgb(red, green, blue):
    """A pixel value 0xRRGGBB; like the library, keeps the low 8 bits of each component."""
    return (red & 255) << 16 | (green & 255) << 8 | (blue & 255)


def grey(level):
    return rgb(level, level, level)


def hex_colour(value):
    return f"#{value:06x}"


class Image:
    """Pixels 0xRRGGBB in rows, indexed by (x, y)."""

    def __init__(self, width, height, pixels=None):
        self.width = width
        self.height = height
        self.pixels = pixels if pixels is not None else array("I", [BLACK]) * (width * height)

    @classmethod
    def from_function(cls, width, height, colour_at):
        return cls(width, height, array("I", (colour_at(x, y) for y in range(height) for x in range(width))))

    def __getitem__(self, point):
        x, y = point
        return self.pixels[y * self.width + x]

    def __setitem__(self, point, value):
        x, y = point
        self.pixels[y * self.width + x] = value

    def __iter__(self):
        """Yields (x, y, value) for every pixel."""
        for index, value in enumerate(self.pixels):
            yield index % self.width, index // self.width, value

    def lit(self):
        """The pixels that are not black, as {(x, y): value}."""
        return {(index % self.width, index // self.width): value
                for index, value in enumerate(self.pixels) if value != BLACK}


def describe_difference(actual, expected, examples=4):
    """None when the two pictures are equal, otherwise a short account of where they differ."""
    if (actual.width, actual.height) != (expected.width, expected.height):
        return f"the picture is {actual.width} x {actual.height}, expected {expected.width} x {expected.height}"
    if actual.pixels == expected.pixels:
        return None
    wrong = [(x, y, value, expected[x, y]) for x, y, value in actual if value != expected[x, y]]
    shown = "; ".join(f"({x}, {y}) is {hex_colour(seen)}, expected {hex_colour(wanted)}"
                      for x, y, seen, wanted in wrong[:examples])
    return f"{len(wrong)} pixels differ, e.g. {shown}"


XWD_HEADER = struct.Struct(">25I")
XWD_COLOUR_SIZE = 12
XWD_VERSION = 7
Z_PIXMAP = 2
LSB_FIRST = 0


def parse_xwd(data):
    """The window picture in an xwd dump of a 24-bit TrueColor or DirectColor window."""
    (header_size, version, pixmap_format, _depth, width, height, _xoffset, byte_order, _bitmap_unit,
     _bit_order, _bitmap_pad, bits_per_pixel, bytes_per_line, _visual_class, red_mask, green_mask, blue_mask,
     _bits_per_rgb, _colormap_entries, colour_count, *_window) = XWD_HEADER.unpack_from(data)
    layout = (version, pixmap_format, bits_per_pixel, red_mask, green_mask, blue_mask)
    if layout != (XWD_VERSION, Z_PIXMAP, 32, 0xFF0000, 0x00FF00, 0x0000FF):
        raise ValueError(f"unexpected xwd layout (version, format, bits per pixel, masks): {layout}")
    start = header_size + colour_count * XWD_COLOUR_SIZE
    pixels = array("I")
    for row in range(height):
        offset = start + row * bytes_per_line
        words = array("I", data[offset:offset + 4 * width])
        if (byte_order == LSB_FIRST) != (sys.byteorder == "little"):
            words.byteswap()
        pixels.extend(word & WHITE for word in words)
    return Image(width, height, pixels)


class Canvas:
    """The library's pen and drawing rules, giving the exact picture a sequence of commands makes."""

    def __init__(self, width=200, height=200):
        self.image = Image(width, height)
        self.x = width // 2
        self.y = height // 2
        self.colour = WHITE

    def color(self, red, green, blue):
        self.colour = rgb(red, green, blue)

    def move(self, dx, dy):
        x, y = self.x + dx, self.y + dy
        if not (0 <= x < self.image.width and 0 <= y < self.image.height):
            return False
        self.x, self.y = x, y
        return True

    def move_to(self, x, y):
        self.move(x - self.x, y - self.y)

    def dot(self):
        self.image[self.x, self.y] = self.colour

    def line(self, dx, dy):
        """Steps along the major axis; the error term starts at 0, and the line stops at the edge."""
        x_major = abs(dx) >= abs(dy)
        steps, shifts = (abs(dx), abs(dy)) if x_major else (abs(dy), abs(dx))
        xdir = 1 if dx > 0 else -1
        ydir = 1 if dy > 0 else -1
        straight = (xdir, 0) if x_major else (0, ydir)
        diagonal = (xdir, ydir)
        self.dot()
        error = 0
        for _ in range(steps):
            error += shifts
            if error >= steps:
                error -= steps
                step = diagonal
            else:
                step = straight
            if not self.move(*step):
                return
            self.dot()

    def line_to(self, x, y):
        self.line(x - self.x, y - self.y)

    def box(self, dx, dy):
        x0, y0 = self.x, self.y
        if not self.move(dx, dy):
            return
        for y in range(min(y0, self.y), max(y0, self.y) + 1):
            for x in range(min(x0, self.x), max(x0, self.x) + 1):
                self.image[x, y] = self.colour


def wave(n):
    return int(math.sin(n * 3.1415 / 128) * 128 + 128)


def hue_cycle_colour(phase):
    """The colour the timer programs take for a phase: one sine wave, a third apart per channel."""
    return rgb(wave(phase % 256), wave((phase + 85) % 256), wave((phase + 170) % 256))


HUE_CYCLE = frozenset(hue_cycle_colour(phase) for phase in range(256))


def orbit_point(phase):
    """Where the circling dot stands at a phase (clock time in units of 10 ms)."""
    angle = phase / 43
    return int(math.sin(angle) * 70 + 100), int(math.cos(angle) * 70 + 100)
