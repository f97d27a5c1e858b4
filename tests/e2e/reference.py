"""The pictures the programs must show, from the tests' one reference model (the reference_picture tool)."""

import functools
import os
import subprocess
from array import array

from picture import Image

_tool = None


def use_tools_in(bin_dir):
    """Tells where the reference_picture tool was built."""
    global _tool
    _tool = os.path.join(bin_dir, "reference_picture")


def _run(*arguments, commands=""):
    if _tool is None:
        raise RuntimeError("reference.use_tools_in(bin_dir) was not called")
    return subprocess.run([_tool, *map(str, arguments)], input=commands.encode(), capture_output=True,
                          check=True).stdout


def _picture(output):
    header, _, data = output.partition(b"\n")
    width, height = map(int, header.split())
    pixels = array("I")
    pixels.frombytes(data)
    return Image(width, height, pixels)


def still(name):
    """The picture of a program that draws once: checkerboard, sine_wave, concentric_rings..."""
    return _picture(_run("still", name))


def glow(x, y):
    """mouse_glow's picture around (x, y)."""
    return _picture(_run("glow", x, y))


@functools.lru_cache(maxsize=None)
def hue_cycle():
    """The colours the timer programs cycle through."""
    return frozenset(int(line) for line in _run("hue_cycle").split())


@functools.lru_cache(maxsize=None)
def orbit(phases):
    """Every place the circling dot stands at phases 0 to phases - 1."""
    numbers = [int(word) for word in _run("orbit", phases).split()]
    return frozenset(zip(numbers[0::2], numbers[1::2]))


class Canvas:
    """A pen over a black window (or a still picture) that follows the library's drawing rules."""

    def __init__(self, background=None):
        self.background = background
        self.commands = []

    def _add(self, *words):
        self.commands.append(" ".join(map(str, words)))

    def color(self, red, green, blue):
        self._add("color", red, green, blue)

    def pixel_value(self, value):
        """Draws with this exact pixel value from now on (to label what each command drew)."""
        self._add("pixel", value)

    def move(self, dx, dy):
        self._add("move", dx, dy)

    def move_to(self, x, y):
        self._add("move_to", x, y)

    def dot(self):
        self._add("dot")

    def line(self, dx, dy):
        self._add("line", dx, dy)

    def line_to(self, x, y):
        self._add("line_to", x, y)

    def box(self, dx, dy):
        self._add("box", dx, dy)

    @property
    def image(self):
        arguments = ("pen", self.background) if self.background else ("pen",)
        return _picture(_run(*arguments, commands="\n".join(self.commands) + "\n"))
