"""Pictures: screenshots read from xwd dumps, and how two pictures differ."""

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
