"""What each program must show in a real window, checked on screenshots after real input."""

import time
from collections import defaultdict

import reference
from picture import BLACK, WHITE, Image, describe_difference, grey, hex_colour
from reference import Canvas
from xsession import Failure, NotYet, XServer, wait_for

WINDOW = 200
CENTRE = (100, 100)
FULL_SCREEN = (800, 600)
PICTURE_TIMEOUT = 10.0
# Nothing signals that input has been ignored, so a picture that must stay is watched this long.
SETTLE_TIME = 0.3

# Motion, the five buttons (wheel steps included) and keys, Escape among them.
EVERY_KIND_OF_INPUT = (("move", 20, 30), ("click", 1), ("click", 2), ("click", 3), ("click", 4), ("click", 5),
                       ("move", 150, 170), ("key", "a"), ("key", "Up"), ("key", "Escape"))

# Left presses at (30, 40), (120, 20) (the start of a drag) and twice at (90, 150); everything else
# (other buttons, the wheel, a key, the drag's motion and release) must leave no mark.
CLICK_SCRIPT = (("move", 30, 40), ("click", 1),
                ("move", 170, 60), ("click", 3), ("click", 2), ("click", 4), ("click", 5), ("key", "a"),
                ("move", 120, 20), ("press", 1), ("move", 150, 100), ("move", 60, 180), ("release", 1),
                ("move", 90, 150), ("click", 1), ("click", 1))
LEFT_PRESSES = ((30, 40), (120, 20), (90, 150), (90, 150))

# A pointer path with button presses and a wheel step on the way; the key press in it reaches the
# programs as an event at (0, 0).
TRAIL_SCRIPT = (("move", 150, 60), ("click", 1), ("click", 3), ("move", 30, 40), ("key", "a"),
                ("move", 170, 170), ("click", 4), ("move", 60, 150))
# The same kinds of steps kept inside the circle of the orbiting dot (radius 70).
ORBIT_SKETCH_SCRIPT = (("move", 140, 90), ("click", 1), ("move", 70, 130), ("key", "a"),
                       ("move", 120, 60), ("click", 4), ("move", 90, 110))

# The orbiting dot's phases in a run of up to a minute.
ORBIT_PHASES = 6000
ORBIT_DOTS = 40
SPARK_TOP_ROW = 128
SPARK_LEFT_COLUMN = 196


# --- Waiting on what the window shows --------------------------------------------------------------

def start(server, name):
    return server.start(name).wait_for_window(WINDOW, WINDOW)


def wait_for_picture(window, expected, what):
    def probe():
        difference = describe_difference(window.capture(), expected)
        if difference:
            raise NotYet(difference)
    wait_for(what, probe, PICTURE_TIMEOUT)


def expect_unchanged(window, expected, after):
    window.synchronise()
    deadline = time.monotonic() + SETTLE_TIME
    while time.monotonic() < deadline:
        difference = describe_difference(window.capture(), expected)
        if difference:
            raise Failure(f"the picture changed {after}: {difference}")


def expect_pointer_at_centre(window):
    """The trails start at the centre, and so does the pointer, so the first report draws nothing."""
    if window.pointer() != CENTRE:
        raise Failure(f"the pointer stands at {window.pointer()} in the window, not at its centre {CENTRE}")


def visited_points(script):
    """The positions a script reports to a program: moves, and (0, 0) for every key press."""
    return [tuple(values) if kind == "move" else (0, 0) for kind, *values in script if kind in ("move", "key")]


# --- Static pictures ---------------------------------------------------------------------------------

def static_picture_check(name):
    def check(bin_dir):
        expected = reference.still(name)
        with XServer(bin_dir) as server:
            window = start(server, name)
            wait_for_picture(window, expected, f"the picture of {name}")
            window.act(*EVERY_KIND_OF_INPUT)
            expect_unchanged(window, expected, "after mouse and key input")
            window.close()
    return check


# --- Clicks ----------------------------------------------------------------------------------------

def add_click_polyline(canvas, points):
    canvas.color(255, 255, 255)
    canvas.move_to(*points[0])
    canvas.dot()
    for point in points[1:]:
        canvas.line_to(*point)
        canvas.dot()
    return canvas.image


def add_click_dots(canvas, points):
    for point in points:
        canvas.move_to(*point)
        canvas.dot()
    return canvas.image


def click_check(name, background, add_clicks):
    """Waits for the picture before any click, clicks the script and waits for the exact result.

    The last left click comes after every ignored event, so its mark shows that they were handled.
    """
    def check(bin_dir):
        with XServer(bin_dir) as server:
            window = start(server, name)
            wait_for_picture(window, background().image, f"the picture of {name} before any click")
            window.act(*CLICK_SCRIPT)
            wait_for_picture(window, add_clicks(background(), LEFT_PRESSES), f"the marks of the left clicks in {name}")
            window.close()
    return check


# --- Mouse trails and the glow -------------------------------------------------------------------------

def check_mouse_trail(bin_dir):
    canvas = Canvas()
    for point in visited_points(TRAIL_SCRIPT):
        canvas.line_to(*point)
    with XServer(bin_dir) as server:
        window = start(server, "mouse_trail")
        expect_pointer_at_centre(window)
        window.act(*TRAIL_SCRIPT)
        wait_for_picture(window, canvas.image, "the white trail along the pointer's path")
        window.close()


def check_mouse_glow(bin_dir):
    with XServer(bin_dir) as server:
        window = start(server, "mouse_glow")
        expect_pointer_at_centre(window)
        wait_for_picture(window, Image(WINDOW, WINDOW), "a black window while the pointer rests at the centre")
        for step, centre in ((("move", 40, 160), (40, 160)), (("key", "a"), (0, 0)), (("move", 199, 0), (199, 0))):
            window.act(step)
            wait_for_picture(window, reference.glow(*centre), f"the glow around {centre} after {step}")
        window.close()


# --- Timer-driven colours ---------------------------------------------------------------------------------

def labelled_segments(start_point, points):
    """A picture whose pixels hold the number (from 1) of the segment that drew them last, 0 if none."""
    canvas = Canvas()
    canvas.move_to(*start_point)
    for number, point in enumerate(points, 1):
        canvas.pixel_value(number)
        canvas.line_to(*point)
    return canvas.image


def trail_problem(actual, segments, allowed, dots=frozenset(), optional_segment=None):
    """Why the screenshot is not the labelled segments, each in one allowed colour, with the dots of the
    orbit (or some of them) in allowed colours; None when it is."""
    colours = defaultdict(set)
    for x, y, segment in segments:
        seen = actual[x, y]
        if (x, y) in dots or segment == optional_segment:
            expected, acceptable = "black or a colour of the cycle", seen == BLACK or seen in allowed
        elif segment == 0:
            expected, acceptable = "black", seen == BLACK
        else:
            expected, acceptable = f"a colour of the cycle (segment {segment})", seen in allowed
            colours[segment].add(seen)
        if not acceptable:
            return f"({x}, {y}) is {hex_colour(seen)}, expected {expected}"
    for segment, seen in colours.items():
        if len(seen) > 1:
            return f"segment {segment} shows {len(seen)} colours, not one: {sorted(map(hex_colour, seen))}"
    return None


def orbit_problem(actual, minimum_dots):
    """Why the orbit does not (yet) show at least minimum_dots dots with at most one white one."""
    colours = [actual[point] for point in reference.orbit(ORBIT_PHASES) if actual[point] != BLACK]
    if colours.count(WHITE) > 1:
        return f"{colours.count(WHITE)} dots are white; only the first dot may be"
    if len(colours) < minimum_dots:
        return f"{len(colours)} dots on the orbit, waiting for {minimum_dots}"
    return None


def probe_for(problem):
    """A wait_for probe from a function that tells what is still wrong with a screenshot."""
    def probe():
        description = problem()
        if description:
            raise NotYet(description)
    return probe


def color_trail_check(name):
    def check(bin_dir):
        segments = labelled_segments(CENTRE, visited_points(TRAIL_SCRIPT))
        with XServer(bin_dir) as server:
            window = start(server, name)
            expect_pointer_at_centre(window)
            window.act(*TRAIL_SCRIPT)
            wait_for("the trail along the pointer's path, one colour of the cycle per segment",
                     probe_for(lambda: trail_problem(window.capture(), segments, reference.hue_cycle())), PICTURE_TIMEOUT)
            window.close()
    return check


def orbit_with_sketch(window, segments, minimum_dots, optional_segment=None):
    """A wait_for probe: the orbit's dots and the sketched segments, all in colours of the cycle."""
    def problem():
        picture = window.capture()
        return (trail_problem(picture, segments, reference.hue_cycle() | {WHITE}, reference.orbit(ORBIT_PHASES),
                              optional_segment)
                or orbit_problem(picture, minimum_dots))
    return probe_for(problem)


def check_color_orbit(bin_dir):
    no_segments = Image(WINDOW, WINDOW)
    with XServer(bin_dir) as server:
        window = start(server, "color_orbit")
        wait_for("dots in the colours of the cycle on the orbit",
                 orbit_with_sketch(window, no_segments, ORBIT_DOTS), PICTURE_TIMEOUT)
        window.act(*EVERY_KIND_OF_INPUT)
        wait_for("more dots after mouse and key input, still only on the orbit",
                 orbit_with_sketch(window, no_segments, 2 * ORBIT_DOTS), PICTURE_TIMEOUT)
        window.close()


def check_orbit_sketch(bin_dir):
    # Whether SDL reports where the pointer stood at start decides whether a first segment comes from there.
    segments = labelled_segments(CENTRE, visited_points(ORBIT_SKETCH_SCRIPT))
    with XServer(bin_dir) as server:
        window = start(server, "orbit_sketch")
        expect_pointer_at_centre(window)
        window.act(*ORBIT_SKETCH_SCRIPT)
        wait_for("the orbit's dots and the sketch along the pointer's path",
                 orbit_with_sketch(window, segments, ORBIT_DOTS, optional_segment=1), PICTURE_TIMEOUT)
        window.close()


# --- The spark fountain ---------------------------------------------------------------------------------

def sparks(window):
    """The lit pixels of a screenshot, once there are any; each must be a spark's grey, placed where a
    spark can reach."""
    lit = window.capture().lit()
    if not lit:
        raise NotYet("the screen is black")
    for (x, y), value in lit.items():
        level = value & 0xFF
        if value != grey(level) or level % 5:
            raise Failure(f"({x}, {y}) is {hex_colour(value)}, not a spark's grey (a multiple of 5)")
        if y < SPARK_TOP_ROW or x < SPARK_LEFT_COLUMN:
            raise Failure(f"a spark at ({x}, {y}), above row {SPARK_TOP_ROW} or left of column {SPARK_LEFT_COLUMN}")
    return lit


def start_fountain(server):
    program = server.start("spark_fountain")
    window = program.wait_for_window(*FULL_SCREEN)
    geometry = window.geometry()
    corner = (geometry["Absolute upper-left X"], geometry["Absolute upper-left Y"])
    if corner != (0, 0):
        raise Failure(f"the full-screen window stands at {corner}, not at the screen's corner")
    wait_for("sparks on the screen", lambda: sparks(window), PICTURE_TIMEOUT)
    return program, window


def wait_for_sparks_to_move(window, what):
    before = sparks(window)

    def moved():
        if sparks(window) == before:
            raise NotYet("the sparks stand still")
    wait_for(what, moved, PICTURE_TIMEOUT)


def check_spark_fountain(bin_dir):
    with XServer(bin_dir, *FULL_SCREEN) as server:
        _, window = start_fountain(server)
        wait_for_sparks_to_move(window, "the fountain to move")
        window.act(("move", 100, 100), ("click", 1), ("click", 3), ("click", 4), ("key", "a"), ("key", "Up"))
        wait_for_sparks_to_move(window, "the fountain to go on after mouse and key input")
        window.close()


def check_spark_fountain_escape(bin_dir):
    with XServer(bin_dir, *FULL_SCREEN) as server:
        program, window = start_fountain(server)
        window.act(("key", "Escape"))
        program.wait_for_exit("Escape was pressed")


# --- Keys typed through the X server ----------------------------------------------------------------------

KEY_EVENT = 1
KEY_ATTEMPTS = 10
KEY_WAIT = 0.5


def next_key_press(program, timeout):
    """The next key-press record the event printer reports within timeout seconds, or None."""
    deadline = time.monotonic() + timeout
    while (remaining := deadline - time.monotonic()) > 0:
        line = program.next_line(remaining)
        if line is None:
            return None
        record = [int(field) for field in line.split()]
        if record[5] == KEY_EVENT and record[0] > 0:
            return record
    return None


def expect_key(program, window, keysym, code):
    """Types keysym until the program reports it as a press with the given code.

    A new key mapping reaches the program some time after xmodmap returns; until then the key still
    means its old symbol, so a few attempts may report another code.
    """
    expected = [code, 0, 0, 0, 0, KEY_EVENT]
    seen = []
    for _ in range(KEY_ATTEMPTS):
        window.act(("key", keysym))
        record = next_key_press(program, KEY_WAIT)
        if record == expected:
            return
        seen.append(record)
    raise Failure(f"typing {keysym} {KEY_ATTEMPTS} times never gave the record {expected}; seen: {seen}")


def check_non_ascii_keys(bin_dir):
    with XServer(bin_dir) as server:
        program = server.start("e2e_event_printer", read_output=True)
        window = program.wait_for_window(WINDOW, WINDOW)
        expect_key(program, window, "a", ord("a"))
        server.run("xmodmap", "-e", "keycode 34 = odoubleacute Odoubleacute", "-e", "keycode 35 = eacute Eacute")
        expect_key(program, window, "odoubleacute", 245)
        expect_key(program, window, "eacute", 233)
        window.close()


# --- Keys and buttons held down -------------------------------------------------------------------------

HELD_TIMEOUT = 10.0
# Each step and the state the program must report after it; a's release, which the event stream
# swallows, must end its hold all the same.
HOLD_SCRIPT = ((("key_down", "Right"), "held right"), (("key_down", "a"), "held right a"),
               (("key_up", "Right"), "held a"), (("key_up", "a"), "held"),
               (("press", 1), "held left-button"), (("release", 1), "held"))


def wait_for_report(program, expected):
    """Reads the program's reports until one is expected, within HELD_TIMEOUT seconds."""
    deadline = time.monotonic() + HELD_TIMEOUT
    last = None
    while (remaining := deadline - time.monotonic()) > 0:
        line = program.next_line(remaining)
        if line is None:
            break
        if line == expected:
            return
        last = line
    raise Failure(f"gave up after {HELD_TIMEOUT:.1f} s waiting for {program.name} to report {expected!r}; "
                  f"its last report: {last!r}")


def check_held_input(bin_dir):
    with XServer(bin_dir) as server:
        program = server.start("e2e_held_input", read_output=True)
        window = program.wait_for_window(WINDOW, WINDOW)
        window.act(("move", *CENTRE))
        wait_for_report(program, "held")
        for step, expected in HOLD_SCRIPT:
            window.act(step)
            wait_for_report(program, expected)
        window.close()


CHECKS = {
    "spark_fountain": check_spark_fountain,
    "spark_fountain_escape": check_spark_fountain_escape,
    "orbit_sketch": check_orbit_sketch,
    "color_trail": color_trail_check("color_trail"),
    "color_orbit": check_color_orbit,
    "color_trail_b": color_trail_check("color_trail_b"),
    "triangle_on_square": static_picture_check("triangle_on_square"),
    "rings_and_clicks": click_check("rings_and_clicks", lambda: Canvas("concentric_rings"), add_click_polyline),
    "shaded_triangles": static_picture_check("shaded_triangles"),
    "checkerboard": static_picture_check("checkerboard"),
    "click_polyline": click_check("click_polyline", Canvas, add_click_polyline),
    "mouse_trail": check_mouse_trail,
    "relative_triangle": static_picture_check("relative_triangle"),
    "sine_wave": static_picture_check("sine_wave"),
    "diagonal_gradient": static_picture_check("diagonal_gradient"),
    "mouse_glow": check_mouse_glow,
    "click_dots": click_check("click_dots", Canvas, add_click_dots),
    "non_ascii_keys": check_non_ascii_keys,
    "held_input": check_held_input,
}
