"""A private X server (Xvfb) with one program on it, driven and watched the way a user would."""

import os
import queue
import select
import signal
import subprocess
import tempfile
import threading
import time

from picture import parse_xwd

# The X programs the checks run, with the Debian packages that bring them.
X_TOOLS = {"Xvfb": "xvfb", "xdpyinfo": "x11-utils", "xwininfo": "x11-utils", "xprop": "x11-utils",
           "xdotool": "xdotool", "xwd": "x11-apps", "xmodmap": "x11-xserver-utils"}
STARTUP_TIMEOUT = 10.0
EXIT_TIMEOUT = 5.0
TOOL_TIMEOUT = 10.0
PING_TIMEOUT_MS = 500
NO_ANSWER = 3
XDOTOOL_COMMANDS = {"click": "click", "press": "mousedown", "release": "mouseup", "key": "key", "key_down": "keydown",
                    "key_up": "keyup"}
# How X clients report a window that does not exist (any more).
WINDOW_GONE_ERRORS = ("BadWindow", "Bad Drawable", "No such window")


class Failure(Exception):
    """A check failed; the message says what was expected and what was seen."""


class WindowGone(Failure):
    """The window asked about no longer exists."""


class NotYet(Exception):
    """Raised by a probe whose condition does not hold yet; the message says what is missing."""


def wait_for(what, probe, timeout, interval=0.02):
    """Calls probe until it returns without raising NotYet and returns its result.

    Gives up after timeout seconds, naming what it waited for and the last reason it was not there.
    """
    deadline = time.monotonic() + timeout
    while True:
        try:
            return probe()
        except NotYet as pending:
            if time.monotonic() >= deadline:
                raise Failure(f"gave up after {timeout:.1f} s waiting for {what}: {pending}") from None
        time.sleep(interval)


def read_display_number(pipe, timeout):
    """Reads the line Xvfb writes to -displayfd once it accepts connections."""
    text = b""
    deadline = time.monotonic() + timeout
    while not text.endswith(b"\n"):
        remaining = deadline - time.monotonic()
        if remaining <= 0 or not select.select([pipe], [], [], remaining)[0]:
            raise Failure(f"gave up after {timeout:.1f} s waiting for Xvfb to report its display number")
        chunk = os.read(pipe, 16)
        if not chunk:
            raise Failure("Xvfb exited before reporting its display number")
        text += chunk
    return int(text)


class XServer:
    """Xvfb on a display number it picks itself, so parallel runs never collide."""

    def __init__(self, bin_dir, width=1024, height=768):
        self.bin_dir = bin_dir
        self.width = width
        self.height = height
        self.programs = []
        self.log = tempfile.TemporaryFile()
        read_end, write_end = os.pipe()
        # Without -noreset the server resets whenever its last client leaves, refusing connections meanwhile.
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x24", "-nolisten", "tcp",
             "-noreset"],
            pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=self.log, stderr=self.log)
        os.close(write_end)
        try:
            self.display = f":{read_display_number(read_end, STARTUP_TIMEOUT)}"
            self.env = dict(os.environ, DISPLAY=self.display)
            self.env.pop("WAYLAND_DISPLAY", None)
            wait_for(f"the X server on {self.display} to answer xdpyinfo", self._answers, STARTUP_TIMEOUT)
            # Where Xvfb starts it anyway; said here because the checks rely on it.
            self.xdotool("mousemove", width // 2, height // 2)
        except Failure:
            self.stop()
            raise
        finally:
            os.close(read_end)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()

    def _answers(self):
        if self.process.poll() is not None:
            raise Failure(f"Xvfb exited with status {self.process.returncode}: {self._log_text()}")
        if self.try_run("xdpyinfo").returncode != 0:
            raise NotYet("xdpyinfo cannot connect")

    def _log_text(self):
        self.log.seek(0)
        return self.log.read().decode(errors="replace")[-2000:]

    def stop(self):
        for program in self.programs:
            program.kill()
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(EXIT_TIMEOUT)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.log.close()

    def try_run(self, *command):
        """Runs an X client on this display and returns its completed process, output as bytes."""
        try:
            return subprocess.run(command, env=self.env, capture_output=True, timeout=TOOL_TIMEOUT)
        except subprocess.TimeoutExpired:
            raise Failure(f"gave up after {TOOL_TIMEOUT:.1f} s waiting for {' '.join(command)} to finish") from None

    def run(self, *command):
        """Runs an X client on this display; returns its output as bytes, fails on a non-zero status."""
        return self.fail_on(self.try_run(*command))

    @staticmethod
    def fail_on(result):
        """The output of a finished X client, or the failure its non-zero status means."""
        if result.returncode != 0:
            error = result.stderr.decode(errors="replace").strip()
            gone = any(marker in error for marker in WINDOW_GONE_ERRORS)
            raise (WindowGone if gone else Failure)(
                f"{' '.join(result.args)} exited with status {result.returncode}: {error}")
        return result.stdout

    def xdotool(self, *arguments):
        self.run("xdotool", *(str(argument) for argument in arguments))

    def start(self, name, read_output=False, arguments=(), environment=None):
        program = Program(self, name, read_output, arguments, environment or {})
        self.programs.append(program)
        return program


class Program:
    """One of the built programs, running on the server with SDL's X11 driver chosen explicitly."""

    def __init__(self, server, name, read_output, arguments, environment):
        self.server = server
        self.name = name
        self.log = tempfile.TemporaryFile()
        self.lines = queue.Queue()
        path = os.path.join(server.bin_dir, name)
        if not os.access(path, os.X_OK):
            raise Failure(f"{path} has not been built")
        # A silent fallback to an invisible driver would leave the program waiting forever. Without a
        # window manager SDL focuses its window itself and drops a click that it handles within 10 ms of
        # that focus, unless told to let it through; a person is never that fast.
        env = dict(server.env, SDL_VIDEODRIVER="x11", SDL_MOUSE_FOCUS_CLICKTHROUGH="1", **environment)
        # SIGINT as a terminal sends it, even where the tests run with it ignored.
        self.process = subprocess.Popen([path, *arguments], env=env, stdin=subprocess.DEVNULL,
                                        stdout=subprocess.PIPE if read_output else self.log, stderr=self.log,
                                        preexec_fn=lambda: signal.signal(signal.SIGINT, signal.SIG_DFL))
        if read_output:
            threading.Thread(target=self._collect_lines, daemon=True).start()

    def _collect_lines(self):
        for line in self.process.stdout:
            self.lines.put(line.decode(errors="replace").rstrip("\n"))
        self.lines.put(None)

    def next_line(self, timeout):
        """The next line the program printed, or None when none comes within timeout seconds or its
        output has ended."""
        try:
            return self.lines.get(timeout=timeout)
        except queue.Empty:
            return None

    def output_text(self):
        self.log.seek(0)
        return self.log.read().decode(errors="replace")[-2000:]

    def ensure_running(self):
        if self.process.poll() is not None:
            raise Failure(f"{self.name} exited with status {self.process.returncode} while still in use; "
                          f"its output: {self.output_text()!r}")

    def wait_for_window(self, width, height):
        """The program's window once it is mapped at the given size and SDL answers for it.

        SDL may map a window of the same size and class while starting and replace it; only the
        window the program reads events from answers a ping.
        """
        def probe():
            self.ensure_running()
            found = self.server.try_run("xdotool", "search", "--onlyvisible", "--pid", str(self.process.pid))
            windows = found.stdout.split()
            if len(windows) != 1:
                raise NotYet(f"{len(windows)} visible windows of {self.name}")
            window = Window(self, int(windows[0]))
            try:
                geometry = window.geometry()
                if (geometry["Width"], geometry["Height"]) != (width, height):
                    raise NotYet(f"window {window.id} is {geometry['Width']} x {geometry['Height']}")
                if not window.answers_ping():
                    raise NotYet(f"window {window.id} does not answer a ping")
            except WindowGone:
                raise NotYet(f"window {window.id} went away") from None
            return window
        return wait_for(f"a {width} x {height} window of {self.name} that answers", probe, STARTUP_TIMEOUT)

    def wait_for_exit(self, why):
        try:
            status = self.process.wait(EXIT_TIMEOUT)
        except subprocess.TimeoutExpired:
            raise Failure(f"gave up after {EXIT_TIMEOUT:.1f} s waiting for {self.name} to exit after {why}") from None
        if status != 0:
            raise Failure(f"{self.name} exited with status {status} after {why}; its output: {self.output_text()!r}")

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.log.close()


class Window:
    def __init__(self, program, window_id):
        self.program = program
        self.server = program.server
        self.id = window_id

    def geometry(self):
        """xwininfo's numeric fields, e.g. 'Width' and 'Absolute upper-left X'."""
        fields = {}
        for line in self.server.run("xwininfo", "-id", str(self.id)).decode().splitlines():
            key, _, value = line.strip().partition(": ")
            if value.strip().lstrip("-").isdigit():
                fields[key] = int(value)
        return fields

    def pointer(self):
        """Where the pointer stands, in window coordinates."""
        location_lines = self.server.run("xdotool", "getmouselocation", "--shell").decode().split()
        location = dict(line.split("=") for line in location_lines)
        geometry = self.geometry()
        return (int(location["X"]) - geometry["Absolute upper-left X"],
                int(location["Y"]) - geometry["Absolute upper-left Y"])

    def capture(self):
        self.program.ensure_running()
        return parse_xwd(self.server.run("xwd", "-silent", "-id", str(self.id)))

    def act(self, *steps):
        """Sends input steps to the window in order; each step is a tuple: ('move', x, y) in window
        coordinates, ('click', button), ('press', button), ('release', button), ('key', keysym),
        ('key_down', keysym) or ('key_up', keysym).
        """
        arguments = []
        for kind, *values in steps:
            if kind == "move":
                arguments += ["mousemove", "--window", self.id, *values]
            else:
                arguments += [XDOTOOL_COMMANDS[kind], *values]
        self.program.ensure_running()
        self.server.xdotool(*arguments)

    def wm(self, *arguments):
        return self.server.try_run(os.path.join(self.server.bin_dir, "e2e_wm"), *arguments)

    def answers_ping(self):
        """Whether SDL answers a ping for the window: it reads the window's events, and has taken
        all input sent before the ping into its queue."""
        result = self.wm("ping", str(self.id), str(PING_TIMEOUT_MS))
        if result.returncode not in (0, NO_ANSWER):
            self.server.fail_on(result)
        return result.returncode == 0

    def synchronise(self):
        """Waits until SDL has taken all input sent so far into the program's queue."""
        def answered():
            if not self.answers_ping():
                raise NotYet(f"window {self.id} does not answer a ping")
        wait_for(f"{self.program.name} to answer a ping", answered, STARTUP_TIMEOUT)

    def close(self):
        """Closes the window as a window manager does and expects the program to end with status 0."""
        self.program.ensure_running()
        self.server.fail_on(self.wm("close", str(self.id)))
        self.program.wait_for_exit("its window was closed")
