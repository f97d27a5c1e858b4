"""A slow program ends when asked, however far its reading lags behind its timer and the mouse: a
window close, SIGINT and SIGTERM end its event loop within a second, a lost display ends the program
within two. And it is still steered: every key and click reaches a program slower than its timer."""

import signal
import statistics
import threading
import time

from xsession import EXIT_TIMEOUT, Failure, XServer

SLOW_READER = "e2e_slow_reader"  # the timer every millisecond, 20 ms to handle each event, unless told
LOOP_ENDED = "loop ended"
WATCH_LIMIT = 60.0
WINDOW = 200
RUNS = 20
STOP_LIMIT = 1.0
LOST_DISPLAY_LIMIT = 2.0
LOST_DISPLAY_RUNS = 3
# A library whose queue fills with ticks would by now need more than STOP_LIMIT to reach a close.
BACKLOG_TIME = 2.0
MOUSE_TIME = 0.5
MOVES_PER_CALL = 100
# (timer period, milliseconds to handle each event): a frame that takes a little longer than a tick.
STEERING_SCENARIOS = [(10, 12), (20, 25)]
TYPED = "abcdefghij"
CLICK_EVERY = 3  # a click after every third key
STEERING_LIMIT = 3.0


def stop_times(running, stop, what):
    """Stops each (program, window) with stop(program, window). Returns the seconds from the stop until
    each program reported the end of its event loop (None where it did not) and until it exited."""
    programs = [program for program, _ in running]
    loop_ended, exited = {}, {}

    def watch(program):
        if program.next_line(WATCH_LIMIT) == LOOP_ENDED:
            loop_ended[program] = time.monotonic()
        program.process.wait()
        exited[program] = time.monotonic()

    watchers = [threading.Thread(target=watch, args=(program,), daemon=True) for program in programs]
    for watcher in watchers:
        watcher.start()
    sent = {}
    for program, window in running:
        sent[program] = time.monotonic()
        stop(program, window)
    deadline = time.monotonic() + EXIT_TIMEOUT
    for watcher in watchers:
        watcher.join(max(0.0, deadline - time.monotonic()))
    still = [program for program in programs if program not in exited]
    if still:
        raise Failure(f"{len(still)} of {len(programs)} slow readers still ran {EXIT_TIMEOUT:.1f} s after {what}")
    return ([loop_ended[program] - sent[program] if program in loop_ended else None for program in programs],
            [exited[program] - sent[program] for program in programs])


def report(times, what):
    print(f"      {what}: median {statistics.median(times) * 1000:.0f} ms, worst {max(times) * 1000:.0f} ms, "
          f"{len(times)} runs")


def expect_quick(times, limit, what):
    if max(times) > limit:
        raise Failure(f"{what}: the slowest took {max(times):.2f} s, more than {limit:.1f} s")


def expect_status(programs, wanted, what):
    statuses = [program.process.returncode for program in programs]
    if not all(wanted(status) for status in statuses):
        raise Failure(f"exit statuses after {what}: {statuses}")


def expect_loop_ended(loop_times, exit_times, what):
    """Every loop ended within STOP_LIMIT of the stop, and every program then exited with status 0."""
    if None in loop_times:
        raise Failure(f"{loop_times.count(None)} slow readers exited without ending their loop after {what}")
    report(loop_times, f"{what}, to the end of the loop")
    report(exit_times, f"{what}, to the exit")
    expect_quick(loop_times, STOP_LIMIT, f"{what}, to the end of the loop")


def close_window(_, window):
    window.server.fail_on(window.wm("close", str(window.id)))


def send(signal_number):
    return lambda program, _: program.process.send_signal(signal_number)


def start_slow_reader(server):
    program = server.start(SLOW_READER, read_output=True)
    return program, program.wait_for_window(WINDOW, WINDOW)


def stop_check(stop, what):
    """RUNS slow readers at once, each left to fall behind for a while, then stopped one after another."""
    def check(bin_dir):
        with XServer(bin_dir) as server:
            # Started one after another: a burst of start-ups can keep a window from answering for long.
            running = [start_slow_reader(server) for _ in range(RUNS)]
            time.sleep(BACKLOG_TIME)
            loop_times, exit_times = stop_times(running, stop, what)
            expect_status([program for program, _ in running], lambda status: status == 0, what)
            expect_loop_ended(loop_times, exit_times, what)
    return check


def move_mouse(window, stop):
    """Sweeps the pointer to and fro across the window until stop is set."""
    steps = [(step * 2 % WINDOW, WINDOW - 1 - step * 2 % WINDOW) for step in range(MOVES_PER_CALL)]
    arguments = [word for x, y in steps for word in ("mousemove", "--window", window.id, x, y)]
    while not stop.is_set():
        # The window goes once the close is read.
        if window.server.try_run("xdotool", *map(str, arguments)).returncode != 0:
            return


def check_close_with_mouse_moving(bin_dir):
    what = "a window close with the mouse moving"
    loop_times, exit_times = [], []
    with XServer(bin_dir) as server:
        for _ in range(RUNS):
            program, window = start_slow_reader(server)
            stop_moving = threading.Event()
            mover = threading.Thread(target=move_mouse, args=(window, stop_moving), daemon=True)
            mover.start()
            time.sleep(MOUSE_TIME)
            try:
                loop_time, exit_time = stop_times([(program, window)], close_window, what)
                loop_times += loop_time
                exit_times += exit_time
            finally:
                stop_moving.set()
                mover.join()
            expect_status([program], lambda status: status == 0, what)
    expect_loop_ended(loop_times, exit_times, what)


def check_lost_display(bin_dir):
    what = "the X server was killed"
    times = []
    for _ in range(LOST_DISPLAY_RUNS):
        with XServer(bin_dir) as server:
            program, window = start_slow_reader(server)
            times += stop_times([(program, window)], lambda *_: server.process.kill(), what)[1]
            expect_status([program], lambda status: status != 0, what)
    report(times, f"{what}, to the exit")
    expect_quick(times, LOST_DISPLAY_LIMIT, f"{what}, to the exit")


def read_presses(program, key_count, button_count, deadline):
    """The key codes and buttons of the presses the program reports until it has reported as many as
    were sent or the deadline passes."""
    keys, buttons = [], []
    while len(keys) < key_count or len(buttons) < button_count:
        line = program.next_line(max(0.0, deadline - time.monotonic()))
        if line is None:
            break
        kind, _, value = line.partition(" ")
        if kind in ("key", "button"):
            (keys if kind == "key" else buttons).append(int(value))
    return keys, buttons


def check_slow_reader_steered(bin_dir):
    with XServer(bin_dir) as server:
        for period, handling in STEERING_SCENARIOS:
            what = f"timer({period}) with {handling} ms for each event"
            program = server.start(SLOW_READER, read_output=True, arguments=(str(period), str(handling)))
            window = program.wait_for_window(WINDOW, WINDOW)
            steps = [("move", WINDOW // 2, WINDOW // 2)]
            for index, letter in enumerate(TYPED, 1):
                steps += [("key", letter)] + ([("click", 1)] if index % CLICK_EVERY == 0 else [])
            clicks = len(TYPED) // CLICK_EVERY
            sent = time.monotonic()
            window.act(*steps)
            keys, buttons = read_presses(program, len(TYPED), clicks, sent + STEERING_LIMIT)
            print(f"      {what}: keys {len(keys)} of {len(TYPED)}, clicks {len(buttons)} of {clicks}, "
                  f"all read {(time.monotonic() - sent) * 1000:.0f} ms after sending")
            if keys != [ord(letter) for letter in TYPED] or buttons != [1] * clicks:
                raise Failure(f"{what}: within {STEERING_LIMIT:.0f} s the program read the keys {keys} and the "
                              f"buttons {buttons}")
            window.close()
            program.wait_for_exit("its window was closed")


CHECKS = {
    "slow_reader_steered": check_slow_reader_steered,
    "stop_by_close": stop_check(close_window, "a window close"),
    "stop_by_close_mouse_moving": check_close_with_mouse_moving,
    "stop_by_sigint": stop_check(send(signal.SIGINT), "SIGINT"),
    "stop_by_sigterm": stop_check(send(signal.SIGTERM), "SIGTERM"),
    "stop_by_lost_display": check_lost_display,
}
