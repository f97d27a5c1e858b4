#!/usr/bin/env python3
"""easel-grade: builds and runs a class's easel programs in a sandbox, against easel-replay scripts.

    easel-grade reference SOLUTION_DIR TESTS_DIR [--timeout SECONDS]
    easel-grade run TESTS_DIR SUBMISSIONS_DIR OUT_DIR [--jobs N] [--sshlogin LOGINS] [--timeout SECONDS]

docs/grading.md is the manual; grade/README.md tells how it works.
"""

import contextlib
import csv
import ctypes
import functools
import glob
import json
import marshal
import os
import select
import shlex
import shutil
import signal
import stat
import subprocess
import sys
import tempfile
import time
import types


def beside_me(path):
    """A path the build gave, relative to this script's directory unless absolute."""
    return os.path.join(os.path.dirname(os.path.realpath(__file__)), path)


# Where the library, its header, easel-replay and the sandbox's launcher are; filled in by the build.
REPLAY = beside_me("@EASEL_GRADE_REPLAY@")
HOOK = os.path.normpath(beside_me("@EASEL_GRADE_HOOK@"))
LAUNCH = os.path.normpath(beside_me("@EASEL_GRADE_LAUNCH@"))
LIMIT = os.path.normpath(beside_me("@EASEL_GRADE_LIMIT@"))
INCLUDE_DIRS = [os.path.normpath(beside_me(path)) for path in "@EASEL_GRADE_INCLUDE_DIRS@".split(";")
                if os.path.isdir(beside_me(path))]
LIBRARY = os.path.normpath(beside_me("@EASEL_GRADE_LIBRARY@"))

MB = 1 << 20
BUILD_LIMITS = {"wall": 60, "cpu": 60, "memory": 1024 * MB, "processes": 32, "output": 1 * MB, "disk": 64 * MB}
RUN_LIMITS = {"wall": 60, "cpu": 10, "memory": 512 * MB, "processes": 32, "output": 1 * MB, "disk": 64 * MB}
SHARED_MEMORY = 16 * MB  # the sandbox's own /dev/shm
OUTPUT_KEPT = 16 * 1024
SCRATCH_SIZE = 256 * MB
# What is taken of a submission (and of the tests directory): regular files and directories only.
TAKEN = {"depth": 16, "entries": 1000, "bytes": 64 * MB}
SAVED_FILE_BYTES = 64 * MB
LONGEST_TIMEOUT = 24 * 3600
# Seconds of CPU time a program may take for an event: ten times what the heaviest demo needs on a busy
# machine, a quarter of a second for a program that never asks again (docs/grading.md).
DEFAULT_TIMEOUT = 0.25
# On the clock, a run may wait this long (or five times --timeout, if longer) for a program that uses no
# CPU time, waiting for something that never comes: a busy machine starves no correct program that long.
SHORTEST_WALL_TIMEOUT = 5
PROGRAM = "program"
SOURCE_SUFFIXES = (".cpp", ".cc")
MARK = ".easel-grade"  # in an OUT_DIR easel-grade made
REPORT_ENTRIES = ("index.html", "results.csv", "scores.csv", "tests", "submissions", "results")  # the first goes first, comes last
LEFTOVER_PREFIX = "easel-grade-"

# easel-replay's outcomes (its --result) as a grade and its reason.
REPLAY_OUTCOMES = {
    "script-error": "the script has errors",
    "differs": "a picture differs or could not be read",
    "too-slow": "did not ask for its next event within the time limit",
    "crashed": "crashed",
    "ended-early": "ended before the end of the script",
    "waits-for-nothing": "waits for input with no window open and no timer running",
    "replay-failed": "easel-replay failed",
    "cannot-start": "the program could not be started",
}
# Signals a program gets from its limits.
LIMIT_SIGNALS = {signal.SIGXCPU: ("cpu-limit", "CPU time limit reached"),
                 signal.SIGXFSZ: ("disk-limit", "file size limit reached")}


def say(message):
    print("easel-grade: " + message, file=sys.stderr)


def refuse(message):
    """Ends the command with one line saying why, status 2, before it writes anything."""
    say(message)
    raise SystemExit(2)


def printable(name):
    """A name of any bytes as text: bytes that are not UTF-8, and control characters, as \\xNN."""
    shown = []
    for character in name:
        code = ord(character)
        if 0xDC80 <= code <= 0xDCFF:  # a byte os.fsdecode could not decode
            shown.append("\\x%02x" % (code - 0xDC00))
        elif code < 0x20 or code == 0x7F:
            shown.append("\\x%02x" % code)
        else:
            shown.append(character)
    return "".join(shown)


# ---------------------------------------------------------------------------------------------- scripts

# Beside the tests directory a run copied: the commands of its scripts, read once by `run` for all jobs.
WORDS_FILE = "script-words.json"
# A job's scripts' commands by the script's name, as `run` listed them (list_words).
LISTED_WORDS = {}


@functools.lru_cache(maxsize=None)
def command_words(script_path):
    """(line number, words) of each command of a script, as easel-replay reads it; none for a script it
    refuses (it says why when the script is run)."""
    if os.path.basename(script_path) in LISTED_WORDS:
        return tuple((number, words) for number, words in LISTED_WORDS[os.path.basename(script_path)])
    listed = subprocess.run([REPLAY, "--words", script_path], capture_output=True)
    if listed.returncode != 0:
        return ()
    commands = (json.loads(line) for line in listed.stdout.decode("utf-8", "replace").splitlines())
    return tuple((command["line"], command["words"]) for command in commands)


def read_listed_words(tests_dir):
    """What list_words wrote beside a job's tests directory, if it is there, into LISTED_WORDS."""
    try:
        with open(os.path.join(os.path.dirname(os.path.abspath(tests_dir)), WORDS_FILE)) as text:
            LISTED_WORDS.update(json.load(text))
    except (OSError, ValueError):
        pass


def list_words(tests_dir):
    """Writes the commands of each script of a tests directory beside it, so that no job runs easel-replay
    --words again (five processes a job)."""
    listed = {os.path.basename(script): command_words(script) for script in scripts_of(tests_dir)}
    with open(os.path.join(os.path.dirname(tests_dir), WORDS_FILE), "w") as out:
        json.dump(listed, out)


def quoted(word):
    return '"' + word.replace("\\", "\\\\").replace('"', '\\"') + '"'


def commands_named(script_path, name):
    """Each `name` command of a script: (line number, its words after the name)."""
    for number, parts in command_words(script_path):
        if parts[0] == name:
            yield number, parts[1:]


def expectations(script_path):
    return commands_named(script_path, "expect")


def saved_file(arguments):
    """The file the program writes that `expect FILE from SAVED` compares, or None."""
    return arguments[2] if len(arguments) > 2 and arguments[1] == "from" else None


def rewritten(script_path, replacements):
    """The script's text with the lines of the named commands replaced: {name: line(its words)}."""
    # Lines end at \n alone, as easel-replay counts them.
    with open(script_path, encoding="utf-8", errors="replace", newline="") as text:
        lines = text.read().split("\n")
    for name, line in replacements.items():
        for number, arguments in commands_named(script_path, name):
            lines[number - 1] = line(arguments)
    return "\n".join(lines)


def left_out(name):
    return lambda arguments: "# " + " ".join(quoted(word) for word in [name] + arguments)


def grading_script(script_path, expected_dir):
    """The script as graded: each `expect` on the staged expected picture (a saved file stays a name in the
    program's directory, where easel-replay runs); a `snap` is left out, so nothing is written there."""
    def expect(arguments):
        return " ".join(["expect", quoted(os.path.join(expected_dir, arguments[0]))] + [quoted(a) for a in arguments[1:]])
    return rewritten(script_path, {"expect": expect, "snap": left_out("snap")})


def reference_script_text(script_path, tests_dir):
    """The script as the solution runs it: each `expect` a `snap` into the tests directory; a saved file
    is copied there after the run."""
    def expect(arguments):
        if saved_file(arguments):
            return left_out("expect")(arguments)
        return "snap " + quoted(os.path.join(tests_dir, arguments[0]))
    return rewritten(script_path, {"expect": expect, "snap": left_out("snap")})


def checked_scripts(tests_dir):
    """The scripts, refused when there are none or an expected picture is not a plain name in tests_dir."""
    scripts = scripts_of(tests_dir)
    if not scripts:
        refuse("no *.replay script in " + tests_dir)
    for script in scripts:
        for number, arguments in expectations(script):
            if os.path.basename(arguments[0]) != arguments[0] or arguments[0] in (".", ".."):
                refuse("%s:%d: expect %s: name a picture in the tests directory, "
                                 "without a directory" % (script, number, arguments[0]))
    return scripts


def scripts_of(tests_dir):
    return sorted(glob.glob(os.path.join(glob.escape(tests_dir), "*.replay")))


def stem(path):
    return os.path.splitext(os.path.basename(path))[0]


# ---------------------------------------------------------------------------------------------- files

def open_directory(directory_fd, parts):
    """A descriptor of the directory reached from another by the names in parts, none of them a link."""
    directory = os.dup(directory_fd)
    for part in parts:
        try:
            inner = os.open(part, os.O_RDONLY | os.O_DIRECTORY | os.O_NOFOLLOW, dir_fd=directory)
        finally:
            os.close(directory)
        directory = inner
    return directory


def open_regular(directory_fd, relative, most_bytes):
    """A descriptor of the regular file `relative` beneath a directory, reached without following any link
    and without waiting on a FIFO. Raises OSError with the reason otherwise."""
    parts = [part for part in relative.split("/") if part not in ("", ".")]
    if relative.startswith("/") or not parts or ".." in parts:
        raise OSError("not a file in the program's directory")
    directory = open_directory(directory_fd, parts[:-1])
    try:
        fd = os.open(parts[-1], os.O_RDONLY | os.O_NOFOLLOW | os.O_NONBLOCK | os.O_NOCTTY, dir_fd=directory)
    finally:
        os.close(directory)
    status = os.fstat(fd)
    if not stat.S_ISREG(status.st_mode) or status.st_size > most_bytes:
        os.close(fd)
        raise OSError("not a regular file" if not stat.S_ISREG(status.st_mode) else "larger than %d MB" % (most_bytes // MB))
    return fd


def copy_out(fd, target, size):
    """Writes at most size bytes of fd into a new file target, with its permissions (no set-id bit); closes fd."""
    with os.fdopen(fd, "rb") as source, open(target, "xb") as copy:
        copy.write(source.read(size))
        os.fchmod(copy.fileno(), os.fstat(source.fileno()).st_mode & 0o777)


def kind_of(mode):
    return ("a symbolic link" if stat.S_ISLNK(mode) else "a FIFO" if stat.S_ISFIFO(mode) else
            "a socket" if stat.S_ISSOCK(mode) else "a device" if stat.S_ISCHR(mode) or stat.S_ISBLK(mode) else
            "not a regular file")


def take_tree(source, target, limits=TAKEN):
    """Copies the regular files and directories of source into a new directory target, within the limits
    (depth, entries, bytes), never following a link. Returns a warning for each entry left out."""
    warnings, counted = [], {"entries": 0, "bytes": 0}
    root = os.open(source, os.O_RDONLY | os.O_DIRECTORY | os.O_NOFOLLOW)
    os.mkdir(target)
    pending = [""]  # directories still to copy, relative to source
    try:
        while pending:
            relative = pending.pop()
            directory = open_directory(root, relative.split("/") if relative else [])
            try:
                names = sorted(os.listdir(directory), key=os.fsencode)
                for name in names:
                    inner = os.path.join(relative, name)
                    note = take_entry(directory, name, inner, target, counted, limits, pending)
                    if note:
                        warnings.append("%s: %s" % (printable(inner), note))
            finally:
                os.close(directory)
    finally:
        os.close(root)
    return warnings


def take_entry(directory, name, relative, target, counted, limits, pending):
    """Copies one entry, or says why it is left out."""
    mode = os.stat(name, dir_fd=directory, follow_symlinks=False)
    if counted["entries"] >= limits["entries"]:
        return "left out: more than %d files and folders" % limits["entries"]
    if stat.S_ISDIR(mode.st_mode):
        if relative.count("/") + 1 > limits["depth"]:
            return "left out: deeper than %d folders" % limits["depth"]
        counted["entries"] += 1
        os.mkdir(os.path.join(target, relative))
        pending.append(relative)
        return None
    if not stat.S_ISREG(mode.st_mode):
        return "left out: %s" % kind_of(mode.st_mode)
    if counted["bytes"] + mode.st_size > limits["bytes"]:
        return "left out: more than %d MB in all" % (limits["bytes"] // MB)
    try:
        fd = open_regular(directory, name, limits["bytes"] - counted["bytes"])
    except OSError as refused:
        return "left out: %s" % (refused.strerror or refused)
    counted["entries"] += 1
    counted["bytes"] += mode.st_size
    copy_out(fd, os.path.join(target, relative), mode.st_size)
    return None


def remove_tree(path):
    """Removes a directory whatever a program made in it. Python's removal, which never follows a link,
    does for the usual tree; a deep or unreadable one goes to chmod and rm, which walk without recursion."""
    try:
        shutil.rmtree(path)
    except FileNotFoundError:
        pass
    except (OSError, RecursionError):
        subprocess.run(["chmod", "-R", "u+rwX", "--", path], stderr=subprocess.DEVNULL, check=False)
        subprocess.run(["rm", "-rf", "--one-file-system", "--", path], stderr=subprocess.DEVNULL, check=False)


def hand_over(path):
    """As root, gives a directory to the unprivileged user the sandbox runs as, so the program may write it."""
    if os.geteuid() != 0:
        return
    for directory, subdirectories, files in os.walk(path):
        for name in [directory] + [os.path.join(directory, entry) for entry in subdirectories + files]:
            os.lchown(name, UNPRIVILEGED, UNPRIVILEGED)


# ---------------------------------------------------------------------------------------------- sandbox

UNPRIVILEGED = 65534  # nobody: what easel-grade-launch runs the compiler and the program as, under root


def system_binds():
    """The system read-only, without /etc (no accounts, no host names): only what compilers and the loader need."""
    binds = []
    for name in ("usr", "bin", "sbin", "lib", "lib32", "lib64", "libx32"):
        path = "/" + name
        if os.path.islink(path):
            binds += ["--symlink", os.readlink(path), path]
        elif os.path.isdir(path):
            binds += ["--ro-bind", path, path]
    for path in ("/etc/ld.so.cache", "/etc/alternatives"):
        if os.path.exists(path):
            binds += ["--ro-bind", path, path]
    return binds


def library_binds(shown, empty):
    """The launcher and the paths shown, read-only at their own paths, and the directories `empty`."""
    binds, made = [], set()
    for path, bound in [(path, False) for path in empty] + [(path, True) for path in [LAUNCH] + list(shown)]:
        # Directories on the way, readable by all (bubblewrap would make them for root alone).
        for directory in parents(path) + ([] if bound else [path]):
            if directory not in made:
                made.add(directory)
                binds += ["--dir", directory]
        if bound:
            binds += ["--ro-bind", path, path]
    return binds


def parents(path):
    """The directories above an absolute path, from the top: /a/b/c gives /a, /a/b."""
    parts = path.strip("/").split("/")[:-1]
    return ["/" + "/".join(parts[:count]) for count in range(1, len(parts) + 1)]


def sandbox(box, limits, shown=(), empty=()):
    """bubblewrap around a command: no network, no other processes, no capability, only `box` writable
    (as /box), the paths shown read-only, the directories `empty` empty. As root there is no user
    namespace: the launcher runs the command as the real user nobody."""
    as_root = os.geteuid() == 0
    namespaces = ["--unshare-ipc", "--unshare-pid", "--unshare-net", "--unshare-uts", "--unshare-cgroup-try"]
    capabilities = ["--cap-drop", "ALL"]
    if as_root:
        capabilities += ["--cap-add", "CAP_SETUID", "--cap-add", "CAP_SETGID", "--cap-add", "CAP_SETPCAP"]
    else:
        namespaces.append("--unshare-user")
    # The library may live under /tmp: its binds come after the sandbox's own /tmp.
    return (["bwrap"] + namespaces + ["--die-with-parent", "--new-session"] + system_binds()
            + ["--dev", "/dev", "--perms", "1777", "--size", str(SHARED_MEMORY), "--tmpfs", "/dev/shm",
               "--proc", "/proc", "--ro-bind", "/proc/sys", "/proc/sys",
               "--perms", "1777", "--size", str(limits["disk"]), "--tmpfs", "/tmp"]
            + library_binds(shown, empty) + ["--bind", box, "/box", "--chdir", "/box", "--remount-ro", "/", "--remount-ro", "/dev"]
            + capabilities + [LAUNCH])


SANDBOX_ENVIRONMENT = {"PATH": "/usr/bin:/bin", "HOME": "/box", "TMPDIR": "/tmp", "LANG": "C.UTF-8"}


def cgroup_roots():
    if os.path.exists("/sys/fs/cgroup/cgroup.controllers"):
        return ["/sys/fs/cgroup"]
    return ["/sys/fs/cgroup/pids", "/sys/fs/cgroup/cpu", "/sys/fs/cgroup/memory", "/sys/fs/cgroup/cpuacct"]


class control_group:
    """A cgroup (v1 or v2) capping processes and memory; None of it when this process may not make one.
    Its name carries this process's id, so that a later run can tell a leftover from a live group."""

    def __init__(self, limits):
        self.dirs, self.name = [], "%s%d-%d" % (LEFTOVER_PREFIX, os.getpid(), time.monotonic_ns())
        try:
            if os.path.exists("/sys/fs/cgroup/cgroup.controllers"):
                self.delegate("/sys/fs/cgroup", ["+pids", "+memory", "+cpu"])
                self.make("/sys/fs/cgroup", {"pids.max": limits["processes"], "memory.max": limits["memory"],
                                             "memory.swap.max": 0})
            else:
                self.make("/sys/fs/cgroup/pids", {"pids.max": limits["processes"]})
                self.make("/sys/fs/cgroup/cpu", {})  # a share of its own, however many processes it has
                self.make("/sys/fs/cgroup/memory", {"memory.limit_in_bytes": limits["memory"]})
                if not os.path.exists("/sys/fs/cgroup/cpu/cpuacct.usage") and os.path.isdir("/sys/fs/cgroup/cpuacct"):
                    self.make("/sys/fs/cgroup/cpuacct", {})
        except OSError:
            self.remove()

    @staticmethod
    def delegate(root, controllers):
        """Lets the groups under root use the controllers (cgroup v2); already so on most machines."""
        for controller in controllers:
            try:
                with open(os.path.join(root, "cgroup.subtree_control"), "w") as control:
                    control.write(controller)
            except OSError:
                pass

    def make(self, root, settings):
        path = os.path.join(root, self.name)
        os.mkdir(path)
        self.dirs.append(path)
        for name, value in settings.items():
            with open(os.path.join(path, name), "w") as setting:
                setting.write(str(value))

    def counter(self, file_name, key):
        for path in self.dirs:
            try:
                for line in open(os.path.join(path, file_name)):
                    name, _, value = line.partition(" ")
                    if name == key:
                        return int(value)
            except (OSError, ValueError):
                continue
        return 0

    def cpu_seconds(self):
        """The CPU time every process of the group has used, or None without CPU accounting."""
        path = self.cpu_accounting()
        if path is None:
            return None
        try:
            if os.path.exists(os.path.join(path, "cpuacct.usage")):
                return int(open(os.path.join(path, "cpuacct.usage")).read()) / 1e9
        except (OSError, ValueError):
            return None
        return self.counter("cpu.stat", "usage_usec") / 1e6

    def cpu_accounting(self):
        """The group whose CPU time easel-replay reads (--cgroup), or None."""
        for path in self.dirs:
            if os.path.exists(os.path.join(path, "cpuacct.usage")) or os.path.exists(os.path.join(path, "cgroup.controllers")):
                return path
        return None

    def limit_hit(self):
        if self.counter("pids.events", "max"):
            return "process-limit", "process limit reached (fork refused)"
        if self.counter("memory.events", "oom_kill") or self.counter("memory.oom_control", "oom_kill"):
            return "memory-limit", "memory limit reached"
        return None

    def remove(self):
        for path in self.dirs:
            remove_group(path)
        self.dirs = []


def remove_group(path):
    """Kills what is left in a control group, then removes it. The group is busy until its killed processes
    have left it, which takes a millisecond or two: waiting in steps of a millisecond keeps a job slot from
    idling once per build and run."""
    for _ in range(2000):
        try:
            with open(os.path.join(path, "cgroup.procs")) as procs:
                members = procs.read().split()
        except OSError:
            return
        for pid in members:
            with contextlib.suppress(ProcessLookupError):
                os.kill(int(pid), signal.SIGKILL)
        try:
            os.rmdir(path)
            return
        except OSError:
            time.sleep(0.001)


def creator_alive(name, prefix=LEFTOVER_PREFIX):
    """Whether the process whose id a leftover's name carries after the prefix (easel-grade-PID-...) runs.
    A name of another form is not one of these leftovers: it counts as alive, so it stays."""
    pid = name[len(prefix):].split("-")[0]
    if not (name.startswith(prefix) and pid.isdigit() and name[len(prefix) + len(pid):].startswith("-")):
        return True
    try:
        os.kill(int(pid), 0)
    except ProcessLookupError:
        return False
    except PermissionError:
        pass
    return True


def sweep_leftovers():
    """Control groups and scratch directories that an easel-grade killed earlier (SIGKILL) left here."""
    for root in cgroup_roots():
        for path in glob.glob(os.path.join(root, LEFTOVER_PREFIX + "*")):
            if not creator_alive(os.path.basename(path)):
                remove_group(path)
    for path in glob.glob(os.path.join(tempfile.gettempdir(), LEFTOVER_PREFIX + "*")):
        try:
            mine = os.lstat(path).st_uid == os.geteuid()
        except OSError:  # gone meanwhile: its maker removed it
            continue
        if mine and not creator_alive(os.path.basename(path)):
            remove_tree(path)


def process_cap(limits):
    """RLIMIT_NPROC counts every process of the user: what it runs now plus the allowance. It binds no root,
    and as root the program's user is shared by every job: there the pids control group counts."""
    if os.getuid() == 0:
        return None
    own = sum(1 for pid in os.listdir("/proc") if pid.isdigit() and owned(pid))
    return own + limits["processes"]


def owned(pid):
    try:
        return os.stat("/proc/" + pid).st_uid == os.getuid()
    except OSError:
        return False


def limited(command, limits, group):
    """The command started by easel-grade-limit, which enters the groups, sets the limits and executes it:
    so Python starts it without a function of its own between fork and exec (preexec_fn), which would have
    it copy this whole process (vfork otherwise) and run Python in the child, about 2.5 ms a start."""
    processes = process_cap(limits)
    settings = [("--cpu", limits["cpu"]), ("--address-space", 2 * limits["memory"]), ("--file-size", limits["disk"])]
    settings += [("--processes", processes)] if processes is not None else []
    settings += [("--group", path) for path in group.dirs]
    return [LIMIT] + [str(word) for setting in settings for word in setting] + ["--"] + command


def run_bounded(command, cwd, limits, output_path, usage=None):
    """Runs a command under the limits; keeps the start of its output. Returns (status, own limit hit, seconds).
    Whatever happens, even an interruption, nothing it started is left running and its groups are gone.
    A command may be a function of the directory of its group's CPU accounting (or None). A dict given as
    usage gets the CPU seconds its processes used ("cpu", None where nothing counts them)."""
    group = control_group(limits)
    if callable(command):
        command = command(group.cpu_accounting())
    started = time.monotonic()
    process = None
    kept, total = bytearray(), 0
    try:
        process = subprocess.Popen(limited(command, limits, group), cwd=cwd, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.PIPE, stderr=subprocess.STDOUT, env=SANDBOX_ENVIRONMENT,
                                   start_new_session=True)
        kept, total, limit_hit = read_bounded(process, limits, started)
        if limit_hit:
            os.killpg(process.pid, signal.SIGKILL)
        status = wait_within(process, started + limits["wall"])
        if status is None:
            limit_hit = ("wall-limit", "wall time limit reached")
        elif status != 0 and not limit_hit:
            limit_hit = group.limit_hit()
    finally:
        if process is not None and process.poll() is None:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()
        if usage is not None:
            usage["cpu"] = group.cpu_seconds()
        group.remove()
    with open(output_path, "wb") as output:
        output.write(kept)
        if total > len(kept):
            output.write(b"\n[output truncated: %d bytes in all]\n" % total)
    return status, limit_hit, time.monotonic() - started


def read_bounded(process, limits, started):
    kept, total = bytearray(), 0
    source = process.stdout.fileno()
    while True:
        remaining = started + limits["wall"] - time.monotonic()
        if remaining <= 0:
            return kept, total, ("wall-limit", "wall time limit reached")
        if not select.select([source], [], [], remaining)[0]:
            continue
        chunk = os.read(source, 65536)
        if not chunk:
            return kept, total, None
        kept += chunk[:max(0, OUTPUT_KEPT - len(kept))]
        total += len(chunk)
        if total > limits["output"]:
            return kept, total, ("output-limit", "output limit reached")


def wait_within(process, deadline):
    """The command's exit status once it ends, or None when it is still running at the deadline (then it is
    killed). Its output has ended: it is ending now, usually. Waiting on a pidfd wakes when it does, where
    Popen.wait(timeout) polls in ever longer sleeps, the job slot idle meanwhile (about 2 ms a start)."""
    with contextlib.suppress(OSError, AttributeError):
        ending = os.pidfd_open(process.pid)
        try:
            select.select([ending], [], [], max(0, deadline - time.monotonic()))
        finally:
            os.close(ending)
    try:
        return process.wait(timeout=max(0, deadline - time.monotonic()))
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        process.wait()
        return None


# ---------------------------------------------------------------------------------------------- one submission

# A student's build: g++ with these flags on the .cpp and .cc files, the library and SDL.
STUDENT_FLAGS = ["-std=c++17", "-O2", "-Wall", "-pipe"]


@functools.lru_cache(maxsize=None)
def link_flags():
    """gold links a program in a fifth of the default linker's time, the same program; used where installed."""
    return ("-fuse-ld=gold",) if shutil.which("ld.gold") else ()


@functools.lru_cache(maxsize=None)
def sdl_flags(parts=("--cflags", "--libs")):
    for command in (["sdl-config", *parts], ["pkg-config", *parts, "sdl"]):
        try:
            return tuple(subprocess.run(command, capture_output=True, text=True, check=True).stdout.split())
        except (OSError, subprocess.CalledProcessError):
            continue
    refuse("neither sdl-config nor pkg-config finds SDL 1.2")


def sources_in(directory):
    return sorted("./" + name for name in os.listdir(directory)
                  if name.endswith(SOURCE_SUFFIXES) and os.path.isfile(os.path.join(directory, name))
                  and not os.path.islink(os.path.join(directory, name)))


def build(build_dir, result_dir, header_cache=None):
    """Compiles the submission's .cpp and .cc files in the sandbox. Returns the build's record. A directory
    holding graphics.hpp precompiled comes first on the include path: g++ uses it wherever graphics.hpp
    is a file's first include, and reads the header itself everywhere else."""
    cached = [header_cache] if header_cache else []
    compiler = (["g++"] + STUDENT_FLAGS + ["-I" + path for path in cached + INCLUDE_DIRS]
                + sources_in(build_dir) + [LIBRARY] + list(sdl_flags()) + list(link_flags()) + ["-o", PROGRAM])
    hand_over(build_dir)
    usage = {}
    # A build reads the precompiled header, the library's header and the library.
    shown = cached + INCLUDE_DIRS + [LIBRARY]
    log = os.path.join(result_dir, "build.txt")
    status, limit_hit, seconds = run_bounded(sandbox(build_dir, BUILD_LIMITS, shown) + compiler, build_dir,
                                             BUILD_LIMITS, log, usage)
    refuse_unstarted(status, log)
    if limit_hit:
        grade, reason = limit_hit
        grade, reason = "build-" + grade, "build: " + reason
    elif status != 0:
        grade, reason = "build-failed", "does not compile"
    else:
        grade, reason = "built", ""
    return {"status": grade, "reason": reason, "seconds": round(seconds, 3), "cpu_seconds": rounded(usage["cpu"])}


LIMITER_FAILED = 127


def refuse_unstarted(status, log):
    """A build whose limiter could not start it (its groups or limits) is the grading machine's fault, not
    the student's: raised, so that the job fails and its submissions are not graded. Only the limiter's
    own message starts a build's output, before anything of the student's runs."""
    with open(log, "rb") as output:
        first = output.readline()
    if status == LIMITER_FAILED and first.startswith(b"easel-grade-limit: "):
        raise OSError("the build could not start: " + first.decode(errors="replace").strip())


def rounded(cpu_seconds):
    return None if cpu_seconds is None else round(cpu_seconds, 3)


def replay_grade(result):
    """The grade and its reason from easel-replay's --result: the outcome, how the program ended and the
    pixels that differed, none of which the program can write."""
    outcome, program = result["outcome"], result.get("program") or {}
    if outcome == "passed":
        return "passed", ""
    if outcome == "crashed" and program.get("signal") in signal.valid_signals():
        number = signal.Signals(program["signal"])
        return LIMIT_SIGNALS.get(number, ("crashed", "crashed (%s)" % number.name))
    if outcome == "exit-status":
        return "exit-status", "ended with status %d" % program.get("exit", -1)
    if outcome == "differs" and result.get("differing_pixels"):
        return "differs", "%d pixel(s) differ" % result["differing_pixels"]
    if outcome == "differs" and result.get("unreadable"):
        return "differs", "cannot compare " + result["unreadable"]
    return outcome, REPLAY_OUTCOMES.get(outcome, "easel-replay failed")


def read_result(path):
    """easel-replay's --result, or None when it wrote none (it was stopped)."""
    try:
        with open(path) as text:
            result = json.load(text)
        return result if isinstance(result, dict) and "outcome" in result else None
    except (OSError, ValueError):
        return None


def run_script(script, run_dir, result_dir, expected_dir, timeout):
    os.makedirs(result_dir, exist_ok=True)
    graded_script = os.path.join(result_dir, "script.replay")
    with open(graded_script, "w", encoding="utf-8") as out:
        out.write(grading_script(script, expected_dir))
    output_path, result_path = os.path.join(result_dir, "output.txt"), os.path.join(result_dir, "result.json")
    # easel-replay runs in the program's directory, where a saved file is looked for.
    command = replay_command(timeout, ["--out", result_dir, "--result", result_path, graded_script], run_dir)
    usage = {}
    status, limit_hit, seconds = run_bounded(command, run_dir, RUN_LIMITS, output_path, usage)
    # The staged pictures' and the job's directories mean nothing to the reader: messages name files plainly.
    with open(output_path, "rb") as kept:
        output = kept.read()
    for directory in (expected_dir, result_dir):
        output = output.replace(os.fsencode(os.path.join(directory, "")), b"")
    with open(output_path, "wb") as shown:
        shown.write(output)
    result = read_result(result_path)
    with contextlib.suppress(OSError):
        os.remove(result_path)
    if result and isinstance(result.get("unreadable"), str):
        result["unreadable"] = result["unreadable"].replace(os.path.join(expected_dir, ""), "")
    grade, reason = (limit_hit or (status != 0 and disk_full(run_dir))
                     or (replay_grade(result) if result else ("replay-failed", "easel-replay gave no result")))
    return {"script": stem(script), "status": grade, "reason": reason,
            "pixels": (result["differing_pixels"] or "") if grade == "differs" and result else "",
            "seconds": round(seconds, 3), "cpu_seconds": rounded(usage["cpu"])}


def wall_timeout(timeout):
    return min(max(5 * timeout, SHORTEST_WALL_TIMEOUT), LONGEST_TIMEOUT)


def replay_command(timeout, arguments, run_dir):
    """easel-replay on the built program in the sandbox, as a function of the run's CPU accounting group.
    A run reads easel-replay's hook, which easel-replay names from its own directory: that is there, empty.
    The limiter hands the hook to the sandboxed command, not to bubblewrap."""
    def command(cpu_group):
        group = ["--cgroup", cpu_group] if cpu_group else []
        return ([REPLAY, "--timeout", str(timeout), "--wall-timeout", str(wall_timeout(timeout))] + group + arguments
                + ["--", LIMIT, "--preload-inside", "--"]
                + sandbox(run_dir, RUN_LIMITS, [HOOK], [os.path.dirname(os.path.realpath(REPLAY))])
                + ["./" + PROGRAM])
    return command


def disk_full(run_dir):
    space = os.statvfs(run_dir)
    return ("disk-limit", "the disk is full") if space.f_bavail * space.f_frsize < MB else None


def stage_expected(tests_dir, scratch):
    """The expected pictures under a name the programs cannot guess, so no saved file can link to them."""
    expected_dir = tempfile.mkdtemp(prefix="expected-", dir=scratch)
    for script in scripts_of(tests_dir):
        for _, arguments in expectations(script):
            source = os.path.join(tests_dir, arguments[0])
            if os.path.isfile(source) and not os.path.islink(source):
                shutil.copy(source, expected_dir)
    return expected_dir


class precompiled_header:
    """graphics.hpp compiled once for every build of a run, by the compiler and with the flags of the
    builds, into work/pch: started at once, so that it compiles while `run` copies the submissions."""

    def __init__(self, work):
        self.header = next((os.path.join(path, "graphics.hpp") for path in INCLUDE_DIRS
                            if os.path.isfile(os.path.join(path, "graphics.hpp"))), None)
        self.path = os.path.join(work, "pch")
        os.mkdir(self.path)
        self.compiling = subprocess.Popen(
            ["g++"] + STUDENT_FLAGS + ["-w", "-x", "c++-header", str(self.header)] + list(sdl_flags(("--cflags",)))
            + ["-o", os.path.join(self.path, "graphics.hpp.gch")], env=SANDBOX_ENVIRONMENT,
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def directory(self):
        """The directory once compiled; None when it cannot be made (then builds read the header)."""
        if self.compiling.wait() == 0 and self.header:
            return self.path
        remove_tree(self.path)
        return None

    def stop(self):
        """Ends the compiler if it still runs (the run was interrupted)."""
        if self.compiling.poll() is None:
            self.compiling.kill()
            self.compiling.wait()


def grade_submission(tests_dir, submission, result_dir, timeout, header_cache=None):
    """Builds one submission and runs every script on it; writes result_dir/result.json."""
    tests_dir, result_dir = os.path.abspath(tests_dir), os.path.abspath(result_dir)
    os.makedirs(result_dir, exist_ok=True)
    with private_scratch() as scratch:
        build_dir = os.path.join(scratch, "build")
        warnings = take_tree(submission, build_dir)
        record = {"submission": os.path.basename(os.path.normpath(submission)), "warnings": warnings,
                  "build": build(build_dir, result_dir, header_cache), "scripts": []}
        if record["build"]["status"] == "built":
            expected_dir = stage_expected(tests_dir, scratch)
            for script in scripts_of(tests_dir):
                run_dir = os.path.join(scratch, "run-" + stem(script))
                take_tree(build_dir, run_dir)
                hand_over(run_dir)
                record["scripts"].append(run_script(script, run_dir, os.path.join(result_dir, stem(script)),
                                                    expected_dir, timeout))
                remove_tree(run_dir)
    with open(os.path.join(result_dir, "result.json"), "w") as out:
        json.dump(record, out, indent=1)
    return record


class private_scratch:
    """A scratch directory; as root, a tmpfs of bounded size in a mount namespace of this process alone."""

    def __enter__(self):
        # Made with the stop signals held, and taken down again if one was waiting or the mount failed, so
        # that a stop at this point leaves nothing behind either.
        self.path = None
        try:
            with signals_held():
                self.path = tempfile.mkdtemp(prefix="%s%d-" % (LEFTOVER_PREFIX, os.getpid()))
                if os.environ.get("EASEL_GRADE_PRIVATE_MOUNTS") == "1":
                    mount_scratch(self.path)
        except BaseException:
            if self.path is not None:
                self.__exit__()
            raise
        return self.path

    def __exit__(self, *_):
        # Taken down with the stop signals held too: a second stop (the run's group and GNU parallel both
        # signal a job) must not cut the taking down short and leave the directory behind.
        with signals_held():
            if os.environ.get("EASEL_GRADE_PRIVATE_MOUNTS") == "1":
                libc().umount2(os.fsencode(self.path), MNT_DETACH)
            remove_tree(self.path)


MNT_DETACH = 2


@functools.lru_cache(maxsize=None)
def libc():
    """The C library, for mount(2) and umount2(2): the mount and umount programs took 6 ms a submission."""
    return ctypes.CDLL(None, use_errno=True)


def mount_scratch(path):
    options = "size=%d,mode=0755" % SCRATCH_SIZE
    if libc().mount(b"easel-grade", os.fsencode(path), b"tmpfs", 0, options.encode()) != 0:
        number = ctypes.get_errno()
        raise OSError(number, "cannot mount the scratch tmpfs: " + os.strerror(number), path)


PRIVATE_MOUNTS = ["unshare", "--mount", "--propagation", "private"]


def private_mounts_possible():
    return (os.getuid() == 0 and shutil.which("unshare") is not None
            and subprocess.run(PRIVATE_MOUNTS + ["true"], stderr=subprocess.DEVNULL).returncode == 0)


def in_private_mounts(argv):
    """As root, runs this command again in a mount namespace of its own, where its scratch tmpfs lives
    (unless it was started in one: `run` starts its local jobs so, saving each a second start)."""
    if os.environ.get("EASEL_GRADE_PRIVATE_MOUNTS") or not private_mounts_possible():
        return
    os.environ["EASEL_GRADE_PRIVATE_MOUNTS"] = "1"
    os.execvp("unshare", PRIVATE_MOUNTS + [sys.executable] + python_arguments(argv))


def python_arguments(argv):
    """What Python was given to run this command, the same way again: a job started with COMPILED_START
    starts so once more, not from the source."""
    started = getattr(sys, "orig_argv", None)
    return started[1:] if started else [os.path.abspath(__file__)] + argv


# ---------------------------------------------------------------------------------------------- commands

def reference(args):
    """Runs the solution on each script, snapping its pictures where the scripts expect them."""
    tests_dir = os.path.abspath(args.tests_dir)
    scripts = checked_scripts(tests_dir)
    for script in scripts:
        check_saved_once(script)
    with private_scratch() as scratch:
        log_dir = os.path.join(scratch, "log")
        os.mkdir(log_dir)
        build_dir = os.path.join(scratch, "build")
        for warning in take_tree(args.solution_dir, build_dir):
            say("the solution: " + warning)
        built = build(build_dir, log_dir)
        if built["status"] != "built":
            sys.stderr.write(open(os.path.join(log_dir, "build.txt"), errors="replace").read())
            refuse("the solution: " + built["reason"])
        failures = sum(not reference_script(script, build_dir, scratch, tests_dir, args.timeout) for script in scripts)
    return 1 if failures else 0


def check_saved_once(script):
    """A saved file is copied into the tests directory after the run, as it is then: compared twice in
    one script, both pictures would show its last state. Refused, with where."""
    seen = {}
    for number, arguments in expectations(script):
        saved = saved_file(arguments)
        if saved in seen:
            refuse("%s:%d: %s is compared again (first on line %d): reference keeps a saved file only as "
                   "it is at the end; let the program save under another name" % (script, number, saved, seen[saved]))
        if saved:
            seen[saved] = number


def reference_script(script, build_dir, scratch, tests_dir, timeout):
    run_dir = os.path.join(scratch, "run-" + stem(script))
    take_tree(build_dir, run_dir)
    hand_over(run_dir)
    snapping = os.path.join(scratch, stem(script) + ".replay")
    with open(snapping, "w", encoding="utf-8") as out:
        out.write(reference_script_text(script, tests_dir))
    output_path, result_path = os.path.join(scratch, stem(script) + ".txt"), os.path.join(scratch, stem(script) + ".json")
    command = replay_command(timeout, ["--out", scratch, "--result", result_path, snapping], run_dir)
    _, limit_hit, _ = run_bounded(command, run_dir, RUN_LIMITS, output_path)
    result = read_result(result_path)
    grade, reason = limit_hit or (replay_grade(result) if result else ("replay-failed", "easel-replay gave no result"))
    if grade != "passed":
        sys.stderr.write(open(output_path, errors="replace").read())
        say("%s: the solution %s" % (os.path.basename(script), reason))
        return False
    run_fd = os.open(run_dir, os.O_RDONLY | os.O_DIRECTORY)
    try:
        for _, arguments in expectations(script):
            if saved_file(arguments):
                target = os.path.join(tests_dir, arguments[0])
                with contextlib.suppress(FileNotFoundError):
                    os.remove(target)
                copy_out(open_regular(run_fd, saved_file(arguments), SAVED_FILE_BYTES), target, SAVED_FILE_BYTES)
    except OSError as failure:
        say("%s: the solution's saved file: %s" % (os.path.basename(script), failure.strerror or failure))
        return False
    finally:
        os.close(run_fd)
    print("%s: expected pictures written" % os.path.basename(script))
    return True


def real(path):
    return os.path.realpath(os.path.abspath(path))


def overlapping(path, other):
    """Whether one of two paths is, contains or lies inside the other, links resolved."""
    path, other = real(path), real(other)
    return os.path.commonpath([path, other]) in (path, other)


def check_out_dir(out_dir, tests_dir, submissions_dir):
    """Refuses, before anything is written, an OUT_DIR that easel-grade could not write without touching
    the teacher's files: one overlapping the inputs, or a non-empty one that it did not make."""
    for name, other in (("TESTS_DIR", tests_dir), ("SUBMISSIONS_DIR", submissions_dir)):
        if overlapping(out_dir, other):
            refuse("OUT_DIR %s is, holds or lies inside %s %s: choose a directory apart from both"
                   % (out_dir, name, other))
    if os.path.lexists(out_dir):
        if not os.path.isdir(out_dir) or os.path.islink(out_dir):
            refuse("OUT_DIR %s is not a directory" % out_dir)
        if os.listdir(out_dir) and not os.path.isfile(os.path.join(out_dir, MARK)):
            refuse("OUT_DIR %s is not empty and was not made by easel-grade: choose a new or empty directory"
                   % out_dir)


def submission_folders(submissions_dir):
    """Every folder of SUBMISSIONS_DIR, by its name of any bytes: (name, None) for a folder to take, or
    (name, reason) for an entry in a folder's place that cannot be one (a link)."""
    found = []
    for name in sorted(os.listdir(submissions_dir), key=os.fsencode):
        mode = os.lstat(os.path.join(submissions_dir, name)).st_mode
        if stat.S_ISDIR(mode):
            found.append((name, None))
        elif stat.S_ISLNK(mode):
            found.append((name, "a symbolic link, not a folder: left out"))
    return found


def prepare(args, folders, work):
    """Copies the tests and the submission folders (as work/taken/N) into work, within the limits. Returns
    the records of every folder (those not to grade already final) and the number of each one to grade."""
    for warning in take_tree(args.tests_dir, os.path.join(work, "tests")):
        say("the tests directory: " + warning)
    for directory in ("taken", "jobs", "job-results"):
        os.mkdir(os.path.join(work, directory))
    records, jobs = [], {}
    for index, (name, refused) in enumerate(folders, 1):
        record = {"submission": name, "warnings": [], "scripts": [],
                  "build": {"status": "submission-error", "reason": refused or "", "seconds": ""}}
        records.append(record)
        if refused:
            continue
        number = str(index)
        record["warnings"] = take_tree(os.path.join(args.submissions_dir, name), os.path.join(work, "taken", number))
        if not sources_in(os.path.join(work, "taken", number)):
            record["build"]["reason"] = "nothing to build: no .cpp or .cc file" + (
                " (some were left out)" if record["warnings"] else "")
            continue
        jobs[number] = record
    return records, jobs


def batch_size(count, slots, remote=False):
    """Submissions per job: several spare each the start of a job (Python, GNU parallel's and ssh's share),
    as long as every job slot still gets eight jobs or more, to even the slots out; at most four, so that
    the last job is short, or eight when jobs go to other machines too: there a job costs four ssh sessions
    and two rsyncs more, about 0.4 s of CPU time."""
    return max(1, min(8 if remote else 4, count // (8 * slots)))


def batched(work, numbers, size):
    """Puts the submissions taken (work/taken/N) into the folders of jobs of `size` each (work/jobs/B/N).
    Returns the job folders' names and the place of each submission ("B/N")."""
    places = {}
    for start in range(0, len(numbers), size):
        batch = str(start // size + 1)
        os.mkdir(os.path.join(work, "jobs", batch))
        for number in numbers[start:start + size]:
            os.rename(os.path.join(work, "taken", number), os.path.join(work, "jobs", batch, number))
            places[number] = os.path.join(batch, number)
    return sorted({place.split("/")[0] for place in places.values()}, key=int), places


def run(args):
    """Grades every submission with GNU parallel, then writes results.csv and index.html: built apart in
    OUT_DIR and put in place at the end, so that an interrupted run leaves the previous report as it was."""
    check_out_dir(args.out_dir, args.tests_dir, args.submissions_dir)
    scripts = checked_scripts(args.tests_dir)
    missing = [arguments[0] for script in scripts for _, arguments in expectations(script)
               if not os.path.isfile(os.path.join(args.tests_dir, arguments[0]))]
    if missing:
        refuse("expected pictures missing in %s (run easel-grade reference first): %s"
               % (args.tests_dir, " ".join(missing)))
    folders = submission_folders(args.submissions_dir)
    if not folders:
        refuse("no submission (a folder) in " + args.submissions_dir)
    out = os.path.abspath(args.out_dir)
    os.makedirs(out, exist_ok=True)
    if not os.path.exists(os.path.join(out, MARK)):
        with open(os.path.join(out, MARK), "w") as mark:
            mark.write("A report of easel-grade, which replaces what it made here on every run.\n")
    sweep_report_leftovers(out)
    # The token keeps runs from different machines apart in a remote home.
    work = os.path.join(out, "%s-new-%d-%s" % (MARK, os.getpid(), os.urandom(6).hex()))
    os.mkdir(work)
    header = None
    try:
        header = precompiled_header(work)
        records, jobs = prepare(args, folders, work)
        list_words(os.path.join(work, "tests"))
        slots = args.jobs * len((args.sshlogin or ":").split(","))
        size = batch_size(len(jobs), slots, remote=bool(remote_logins(args.sshlogin)))
        batches, places = batched(work, sorted(jobs, key=int), size)
        distribute(batches, work, args, header.directory() if jobs else None)
        for number, record in jobs.items():
            record.update(job_result(work, places[number]))
        name_by_folder(work, records, {places[number]: record for number, record in jobs.items()})
        write_csv(records, scripts_of(os.path.join(work, "tests")), os.path.join(work, "results.csv"))
        write_scores(records, scripts_of(os.path.join(work, "tests")), os.path.join(work, "scores.csv"))
        write_html(records, work)
        publish(work, out)
    finally:
        if header:
            header.stop()
        remove_tree(work)
    failed = sum(not passed(record) for record in records)
    print("%d of %d submission(s) passed every script; report: %s" % (len(records) - failed, len(records),
                                                                       os.path.join(out, "index.html")))
    return 1 if failed else 0


def sweep_report_leftovers(out):
    """What an earlier run killed outright left in OUT_DIR: its unfinished report, or the one it replaced."""
    for kind in ("new", "old"):
        prefix = "%s-%s-" % (MARK, kind)
        for path in glob.glob(os.path.join(glob.escape(out), prefix + "*")):
            if not creator_alive(os.path.basename(path), prefix):
                remove_tree(path)


def name_by_folder(work, records, jobs):
    """Jobs ran under numbers (jobs maps each place, B/N, to its record); the report shows each submission
    under its own folder's name."""
    os.mkdir(os.path.join(work, "submissions"))
    os.mkdir(os.path.join(work, "results"))
    places = {id(record): place for place, record in jobs.items()}
    for record in records:
        place = places.get(id(record))
        if place is None:
            continue
        os.rename(os.path.join(work, "jobs", place), os.path.join(work, "submissions", record["submission"]))
        if os.path.isdir(os.path.join(work, "job-results", place)):
            os.rename(os.path.join(work, "job-results", place), os.path.join(work, "results", record["submission"]))


@contextlib.contextmanager
def signals_held():
    held = {signal.SIGINT, signal.SIGTERM, signal.SIGHUP}
    signal.pthread_sigmask(signal.SIG_BLOCK, held)
    try:
        yield
    finally:
        signal.pthread_sigmask(signal.SIG_UNBLOCK, held)


def publish(work, out):
    """Puts the new report in place of the previous one, with interruptions held off; index.html goes
    first and comes last, so that a report is never shown half replaced."""
    previous = os.path.join(out, "%s-old-%d" % (MARK, os.getpid()))
    os.mkdir(previous)
    with signals_held():
        for entry in REPORT_ENTRIES:
            if os.path.lexists(os.path.join(out, entry)):
                os.rename(os.path.join(out, entry), os.path.join(previous, entry))
        for entry in reversed(REPORT_ENTRIES):
            os.rename(os.path.join(work, entry), os.path.join(out, entry))
    remove_tree(previous)


def run_to_end(command, **options):
    """Runs a command to its end. Interrupted (SIGINT, SIGTERM), it passes SIGINT on and waits for the
    command to clean up after itself before the interruption goes on."""
    process = subprocess.Popen(command, **options)
    try:
        return process.wait()
    except BaseException:
        with signals_held():
            process.send_signal(signal.SIGINT)
            process.wait()
        raise


def distribute(numbers, work, args, header_cache):
    """The jobs (folders of submissions), spread by GNU parallel over local cores or the machines of --sshlogin.
    Jobs are named by number, fed on standard input: no folder name reaches a command line. Every path
    lies under the run's work directory, whose name no other run shares, so that on another machine
    (in the login's home) no copy of another run is ever met; those copies are removed at the end."""
    paths = [os.path.join(os.path.basename(work), part) for part in ("tests", "jobs/{}", "job-results/{}")]
    cache = [os.path.join(os.path.basename(work), os.path.basename(header_cache))] if header_cache else []
    # Here a job runs this very tool, wherever it lies, compiled by this run; on another machine, the
    # easel-grade on its PATH, compiled there by the first job.
    code = os.path.join(os.path.basename(work), os.path.basename(compiled_self(work)))
    here = dict(os.environ, EASEL_GRADE_PYTHON=sys.executable, EASEL_GRADE_HERE=os.path.abspath(__file__))
    options = ["--jobs", str(args.jobs)]
    if args.sshlogin:
        here.update(ssh_command(work))
        options += ["--sshlogin", args.sshlogin, "--controlmaster", "--transferfile", paths[1],
                    "--return", paths[2]]
        for base in [paths[0], os.path.join(os.path.basename(work), WORDS_FILE)] + cache:
            options += ["--basefile", base]
    if private_mounts_possible():
        here.update(EASEL_GRADE_UNSHARE=" ".join(PRIVATE_MOUNTS), EASEL_GRADE_PRIVATE_MOUNTS="1")
    # Python's -S: a job needs no site packages, whose start-up may cost more than the job's own Python.
    job = (['$EASEL_GRADE_UNSHARE "${EASEL_GRADE_PYTHON:-python3}" -S -c', shlex.quote(COMPILED_START), code,
            '"${EASEL_GRADE_HERE:-$(command -v easel-grade || echo easel-grade)}"', "job",
            "--timeout", str(args.timeout)] + ["--header-cache=" + path for path in cache] + paths)
    command = ["parallel", "--will-cite", "--halt", "never", "--termseq", "TERM,5000,KILL,25"] + options + job
    with tempfile.TemporaryFile() as listed:
        listed.write("".join(number + "\n" for number in numbers).encode())
        listed.seek(0)
        try:
            run_to_end(command, cwd=os.path.dirname(work), stdin=listed, env=here)
        finally:
            remove_remote_copies(args.sshlogin, os.path.basename(work), os.path.dirname(work))


def ssh_command(work):
    """GNU parallel starts the ssh connection that its --controlmaster shares with PARALLEL_SSH as one program
    name: a command with options (ssh -F CONFIG) fails there, and every transfer then opens a connection of
    its own. Such a command goes into a script of the run; {} for plain ssh or a program alone."""
    command = os.environ.get("PARALLEL_SSH", "").strip()
    if " " not in command:
        return {}
    script = os.path.join(work, "ssh")
    with open(script, "w") as out:
        out.write('#!/bin/sh\nexec %s "$@"\n' % command)
    os.chmod(script, 0o755)
    return {"PARALLEL_SSH": script}


# Runs SCRIPT as python would, from CODE_FILE when that holds SCRIPT compiled by this version of Python,
# else compiling SCRIPT and leaving it compiled in CODE_FILE for the next start (written apart, then
# renamed): python -S -c COMPILED_START CODE_FILE SCRIPT ARGUMENTS... One line of modules that -S has
# loaded already, so that a shell over ssh passes it on as it is.
COMPILED_START = (
    'import marshal, posix, sys; code_file, script = sys.argv.pop(1), sys.argv.pop(1); sys.argv[0] = script; '
    'source = open(script, "rb").read(); key = sys.implementation.cache_tag.encode() + b"\\0" + source; '
    'cached = open(code_file, "rb").read() if posix.access(code_file, posix.R_OK) else b""; '
    'fresh = not cached.startswith(key); '
    'code = compile(source, script, "exec") if fresh else marshal.loads(cached[len(key):]); '
    'fresh and (open(code_file + ".%d" % posix.getpid(), "wb").write(key + marshal.dumps(code)), '
    'posix.rename(code_file + ".%d" % posix.getpid(), code_file)); '
    'exec(code, {"__name__": "__main__", "__file__": script})')


def compiled_self(work):
    """This script compiled into work/easel-grade.code as COMPILED_START reads it, for the jobs of this run:
    compiling it takes a job longer than its own work in Python."""
    path = os.path.join(work, "easel-grade.code")
    with open(os.path.abspath(__file__), "rb") as source, open(path, "wb") as out:
        text = source.read()
        out.write(sys.implementation.cache_tag.encode() + b"\0" + text
                  + marshal.dumps(compile(text, os.path.abspath(__file__), "exec")))
    return path


def remote_logins(sshlogin):
    """The logins of a --sshlogin list that are other machines (`:` is this one), without their job counts."""
    logins = [entry.split("/", 1)[-1] if "/" in entry.split(" ", 1)[0] else entry
              for entry in (sshlogin or "").split(",") if entry.strip()]
    return [login for login in logins if login.strip() != ":"]


def remove_remote_copies(sshlogin, name, cwd):
    logins = remote_logins(sshlogin)
    if logins:
        subprocess.run(["parallel", "--will-cite", "--nonall", "--sshlogin", ",".join(logins), "rm", "-rf", "--", name],
                       cwd=cwd, stdin=subprocess.DEVNULL, check=False)


def job_result(work, place):
    try:
        with open(os.path.join(work, "job-results", place, "result.json")) as text:
            record = json.load(text)
        return {"build": record["build"], "scripts": record["scripts"]}
    except (OSError, ValueError, KeyError):
        return {"build": {"status": "not-graded", "reason": "the grading job failed", "seconds": ""}, "scripts": []}


def passed(record):
    return record["build"]["status"] == "built" and all(run["status"] == "passed" for run in record["scripts"])


def rows(record, scripts):
    """One row per script; a submission that did not build fails every script with the build's reason."""
    runs = {run["script"]: run for run in record["scripts"]}
    for script in map(stem, scripts):
        yield script, runs.get(script, {"status": record["build"]["status"], "reason": record["build"]["reason"],
                                        "pixels": "", "seconds": ""})


def spreadsheet_cell(value):
    """A CSV cell a spreadsheet shows as text: one that would start a formula gets a leading quote."""
    text = str(value)
    return "'" + text if text[:1] in ("=", "+", "-", "@", "\t", "\r") else text


def write_csv(records, scripts, path):
    with open(path, "w", newline="", encoding="utf-8") as out:
        table = csv.writer(out)
        table.writerow(["submission", "script", "status", "reason", "differing_pixels", "seconds"])
        for record in records:
            for script, run in rows(record, scripts):
                table.writerow([spreadsheet_cell(cell) for cell in (
                    printable(record["submission"]), script, run["status"], run["reason"], run["pixels"],
                    run["seconds"])])


def score(record, scripts):
    """(scripts passed, scripts run) of a submission; one that did not build ran none of them well."""
    return sum(run["status"] == "passed" for _, run in rows(record, scripts)), len(scripts)


def write_scores(records, scripts, path):
    with open(path, "w", newline="", encoding="utf-8") as out:
        table = csv.writer(out)
        table.writerow(["submission", "passed", "run", "score"])
        for record in records:
            passed_scripts, run = score(record, scripts)
            table.writerow([spreadsheet_cell(printable(record["submission"])), passed_scripts, run,
                            "%.3f" % (passed_scripts / run)])


def status_counts(records, scripts):
    """How many runs got each status, the most frequent first."""
    counts = {}
    for record in records:
        for _, run in rows(record, scripts):
            counts[run["status"]] = counts.get(run["status"], 0) + 1
    return sorted(counts.items(), key=lambda item: (-item[1], item[0]))


def write_html(records, out):
    scripts = scripts_of(os.path.join(out, "tests"))
    head = "".join('<th data-sort="text">%s</th>' % escape(stem(script)) for script in scripts)
    body = "".join(row_html(record, scripts, out) for record in records)
    passed_by = "".join("<td>%d of %d</td>" % (sum(dict(rows(record, [script]))[stem(script)]["status"] == "passed"
                                                    for record in records), len(records)) for script in scripts)
    counts = " ".join('<span class="count">%s: %d</span>' % (escape(status), count)
                      for status, count in status_counts(records, scripts))
    page = PAGE % {"passed": sum(map(passed, records)), "count": len(records), "counts": counts, "head": head,
                   "body": body, "passed_by": passed_by}
    with open(os.path.join(out, "index.html"), "w", encoding="utf-8") as index:
        index.write(page)


def row_html(record, scripts, out):
    """A submission's row; each cell carries the key the table sorts it by."""
    passed_scripts, run = score(record, scripts)
    name = printable(record["submission"])
    return '<tr><th data-key="%s">%s</th><td data-key="%.6f">%d / %d</td><td data-key="%s">%s</td>%s</tr>\n' % (
        escape(name), escape(name), passed_scripts / run, passed_scripts, run,
        escape(record["build"]["status"]), build_cell(record),
        "".join(cell(record, script, run, out) for script, run in rows(record, scripts)))


def escape(text):
    """Text as HTML. The report's modules are imported when it is written: a job never needs them."""
    import html
    return html.escape(text)


def url(path):
    """A relative URL of a path of any bytes."""
    import urllib.parse
    return escape(urllib.parse.quote(os.fsencode(path)))


def link(path, text):
    return '<a href="%s">%s</a>' % (url(path), escape(text))


def build_cell(record):
    status = record["build"]["status"]
    shown = '<span class="%s">%s</span>' % ("ok" if status == "built" else "bad", escape(status))
    if status not in ("not-graded", "submission-error"):
        shown += " " + link("results/%s/build.txt" % record["submission"], "log")
    if status == "submission-error":
        shown += "<br>" + escape(record["build"]["reason"])
    if record.get("warnings"):
        shown += '<ul class="warnings">%s</ul>' % "".join("<li>%s</li>" % escape(warning)
                                                          for warning in record["warnings"])
    return shown


LIMIT_STATUSES = ("cpu-limit", "memory-limit", "process-limit", "disk-limit", "output-limit", "wall-limit")


def cell(record, script, run, out):
    key = 'data-key="%s"' % escape(run["status"])
    if run["status"] == "passed":
        return '<td class="ok" %s>passed</td>' % key
    if record["build"]["status"] != "built":
        return '<td class="bad" %s>%s</td>' % (key, escape(run["status"]))
    base = "results/%s/%s/" % (record["submission"], script)
    pictures = []
    for _, arguments in expectations(os.path.join(out, "tests", script + ".replay")):
        name, shown = arguments[0], []
        for label, path in (("expected", "tests/" + name), ("actual", base + stem(name) + ".actual.png"),
                            ("difference", base + stem(name) + ".diff.png")):
            if os.path.isfile(os.path.join(out, path)):
                title = escape("%s %s" % (label, name))
                shown.append('<figure><a href="%s"><img src="%s" alt="%s" title="%s"></a><figcaption>%s</figcaption>'
                             '</figure>' % (url(path), url(path), title, title, label))
        pictures.append('<span class="pictures">%s<br>%s</span>' % ("".join(shown), escape(name)))
    stopped = ("<br><i>a limit stopped the program: the pictures after that point were not compared</i>"
               if run["status"] in LIMIT_STATUSES else "")
    return '<td class="bad" %s><b>%s</b><br>%s%s<br>%s %s</td>' % (
        key, escape(run["status"]), escape(run["reason"]), stopped, "".join(pictures),
        link(base + "output.txt", "output"))


PAGE = """<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8"><title>easel-grade report</title>
<style>
body { font-family: sans-serif; } table { border-collapse: collapse; }
td, th { border: 1px solid #999; padding: 4px; vertical-align: top; }
thead th { cursor: pointer; background: #eee; } thead th:hover { background: #ddd; }
.ok { background: #dfd; } .bad { background: #fdd; } img { width: 80px; image-rendering: pixelated; }
.pictures { display: inline-block; border: 1px solid #bbb; margin: 2px; text-align: center; font-size: small; }
figure { display: inline-block; margin: 2px; } figcaption { font-size: small; }
.warnings { font-size: small; margin: 2px; padding-left: 1em; } .count { margin-right: 1em; }
</style></head><body>
<h1>%(passed)d of %(count)d submission(s) passed every script</h1>
<p>Runs by status: %(counts)s</p>
<p>Each picture a script expects: what was expected, what the program showed and, in red, the pixels that
differ (when they differ). Click a picture for its full size, a heading to sort the table by it.</p>
<table id="grades"><thead><tr><th data-sort="text">submission</th><th data-sort="number">score</th>
<th data-sort="text">build</th>%(head)s</tr></thead>
<tbody>
%(body)s</tbody>
<tfoot><tr><th>passed by</th><td></td><td></td>%(passed_by)s</tr></tfoot></table>
<script>
// Sorts the rows by the heading clicked, by each cell's data-key; a second click reverses the order.
document.querySelectorAll('#grades thead th').forEach((heading, column) => heading.addEventListener('click', () => {
  const body = document.querySelector('#grades tbody');
  const ascending = heading.dataset.order !== 'ascending';
  heading.dataset.order = ascending ? 'ascending' : 'descending';
  const key = (row) => row.cells[column].dataset.key;
  const compare = heading.dataset.sort === 'number' ? (a, b) => key(a) - key(b)
                                                    : (a, b) => key(a).localeCompare(key(b));
  [...body.rows].sort((a, b) => ascending ? compare(a, b) : compare(b, a)).forEach((row) => body.appendChild(row));
}));
</script></body></html>
"""


def job(args):
    """Grades each submission of a job's folder (jobs/B/N) into the job's results (job-results/B/N)."""
    header_cache = os.path.abspath(args.header_cache) if args.header_cache else None
    read_listed_words(args.tests_dir)
    failed = 0
    for number in sorted(os.listdir(args.batch), key=lambda name: (len(name), name)):
        record = grade_submission(args.tests_dir, os.path.join(args.batch, number),
                                  os.path.join(args.result_dir, number), args.timeout, header_cache)
        failed += not passed(record)
    return 1 if failed else 0


def valid_seconds(text):
    """A --timeout: more than 0, at most a day, as easel-replay takes it; None for anything else."""
    try:
        value = float(text)
    except ValueError:
        return None
    return value if 0 < value <= LONGEST_TIMEOUT else None


def seconds(text):
    value = valid_seconds(text)
    if value is None:
        import argparse
        raise argparse.ArgumentTypeError("%s: give seconds, more than 0 and at most %d" % (text, LONGEST_TIMEOUT))
    return value


def positive(text):
    if not text.isdigit() or int(text) < 1:
        import argparse
        raise argparse.ArgumentTypeError("%s: give a whole number of 1 or more" % text)
    return int(text)


def parse(argv):
    return job_command(argv) or parsed_fully(argv)


def job_command(argv):
    """A job's command as `run` writes it (job --timeout T [--header-cache=DIR] TESTS BATCH RESULTS), read
    without argparse, whose start takes longer than the job's own work in Python; None for any other command."""
    words = list(argv)
    if words[:1] != ["job"] or words[1:2] != ["--timeout"] or len(words) < 6:
        return None
    timeout, words = words[2], words[3:]
    header_cache = None
    if words[0].startswith("--header-cache="):
        header_cache, words = words[0][len("--header-cache="):], words[1:]
    if len(words) != 3 or any(word.startswith("-") for word in words) or not all(map(os.path.isdir, words[:2])):
        return None
    if valid_seconds(timeout) is None:
        return None
    return types.SimpleNamespace(command="job", timeout=valid_seconds(timeout), header_cache=header_cache or None,
                                 tests_dir=words[0], batch=words[1], result_dir=words[2])


def parsed_fully(argv):
    import argparse
    parser = argparse.ArgumentParser(prog="easel-grade", description="Grades easel programs against easel-replay scripts.")
    parser.add_argument("--timeout", type=seconds, default=DEFAULT_TIMEOUT,
                        help="seconds of CPU time a program may take to ask for its next event (default %g)"
                             % DEFAULT_TIMEOUT)
    commands = parser.add_subparsers(dest="command", required=True)
    ref = commands.add_parser("reference", help="make the expected pictures from the teacher's solution")
    ref.add_argument("solution_dir")
    ref.add_argument("tests_dir")
    grading = commands.add_parser("run", help="grade every submission")
    grading.add_argument("tests_dir")
    grading.add_argument("submissions_dir")
    grading.add_argument("out_dir")
    grading.add_argument("--jobs", type=positive, default=os.cpu_count() or 1, help="submissions graded at once")
    grading.add_argument("--sshlogin", help="GNU parallel's --sshlogin: grade on these machines")
    one = commands.add_parser("job", help="grade the submissions of a folder, one folder each (what parallel runs)")
    one.add_argument("tests_dir")
    one.add_argument("batch")
    one.add_argument("result_dir")
    one.add_argument("--header-cache", help="a directory holding graphics.hpp precompiled")
    for sub in (ref, grading, one):
        sub.add_argument("--timeout", type=seconds, default=argparse.SUPPRESS)
    args = parser.parse_args(argv)
    for name in ("solution_dir", "tests_dir", "submissions_dir", "batch"):
        if hasattr(args, name) and not os.path.isdir(getattr(args, name)):
            parser.error("%s: not a directory" % getattr(args, name))
    return args


def require(tools):
    missing = [package for tool, package in tools if not shutil.which(tool)]
    if missing:
        refuse("needs the Debian package(s) " + " ".join(missing))


def interrupted(number, _):
    raise KeyboardInterrupt("signal %d" % number)


def main(argv):
    args = parse(argv)
    require([("bwrap", "bubblewrap"), ("g++", "g++")] + ([("parallel", "parallel")] if args.command == "run" else []))
    if args.command in ("reference", "job"):
        in_private_mounts(argv)
    # SIGTERM and SIGHUP end a command as Ctrl-C does: through every clean-up on the way out.
    signal.signal(signal.SIGTERM, interrupted)
    signal.signal(signal.SIGHUP, interrupted)
    sweep_leftovers()
    try:
        return {"reference": reference, "run": run, "job": job}[args.command](args)
    except KeyboardInterrupt:
        say("interrupted: nothing of this run was kept")
        return 130


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
