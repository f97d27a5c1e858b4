"""The window itself: scaled up with square pixels and mouse positions in the program's own, and
its title."""

import reference
from checks import WINDOW, wait_for_picture
from picture import Image
from xsession import Failure, XServer

SCALE = 2
SCALED = {"SDL12COMPAT_WINDOW_SCALING": str(SCALE)}
MOUSE_EVENT = 2
TITLE = "Árvíztűrő Pong"
# The same title as ISO-8859-2 bytes, which the library reads as draw_text does.
TITLE_LATIN2 = TITLE.encode("iso-8859-2")


def scaled(image, factor):
    big = Image(image.width * factor, image.height * factor)
    for x, y, value in image:
        for dy in range(factor):
            for dx in range(factor):
                big[x * factor + dx, y * factor + dy] = value
    return big


def next_click(program):
    """The position of the next left press the event printer reports."""
    while (line := program.next_line(5.0)) is not None:
        keycode, x, y, button, _time, kind = map(int, line.split())
        if kind == MOUSE_EVENT and button == 1:
            return x, y
    raise Failure("the event printer reported no left press")


def check_scaled_window(bin_dir):
    """Twice the size, each program pixel a 2 x 2 square of its colour, clicks in program pixels."""
    size = SCALE * WINDOW
    with XServer(bin_dir) as server:
        board = server.start("checkerboard", environment=SCALED).wait_for_window(size, size)
        wait_for_picture(board, scaled(reference.still("checkerboard"), SCALE), "the checkerboard scaled sharply")
        board.close()
        printer = server.start("e2e_event_printer", read_output=True, environment=SCALED)
        window = printer.wait_for_window(size, size)
        for on_screen, in_program in (((101, 61), (50, 30)), ((399, 398), (199, 199))):
            window.act(("move", *on_screen), ("click", 1))
            if next_click(printer) != in_program:
                raise Failure(f"a click at {on_screen} of the scaled window did not arrive at {in_program}")
        window.close()


def window_property(window, name):
    """The property's bytes as UTF-8 text, or None where the window has none."""
    output = window.server.run("xprop", "-id", str(window.id), "-f", name, "8x", name).decode()
    if "not found" in output:
        return None
    return bytes(int(byte, 16) for byte in output.partition("=")[2].split(",")).decode()


def check_window_title(bin_dir):
    with XServer(bin_dir) as server:
        for arguments, title in (((), None), ((TITLE,), TITLE), ((TITLE_LATIN2,), TITLE)):
            window = server.start("e2e_event_printer", arguments=arguments).wait_for_window(WINDOW, WINDOW)
            names = {name: window_property(window, name) for name in ("WM_NAME", "_NET_WM_NAME")}
            if names != {"WM_NAME": title, "_NET_WM_NAME": title}:
                raise Failure(f"with the arguments {arguments} the window's names are {names}, expected {title!r}")
            window.close()


CHECKS = {"scaled_window": check_scaled_window, "window_title": check_window_title}
