#!/usr/bin/env python3
"""easel-grade: builds and runs a class's easel programs in a sandbox, against easel-replay scripts.

    easel-grade reference SOLUTION_DIR TESTS_DIR [--timeout SECONDS]
    easel-grade run TESTS_DIR SUBMISSIONS_DIR OUT_DIR [--jobs N] [--sshlogin LOGINS] [--timeout SECONDS]

docs/grading.md is the manual; grade/README.md tells how it works.
"""

import argparse
import csv
import functools
import glob
import html
import json
import os
import re
import resource
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import urllib.parse


def beside_me(path):
    """A path the build gave, relative to this script's directory unless absolute."""
    return os.path.join(os.path.dirname(os.path.realpath(__file__)), path)


# Where the library, its header and easel-replay are; filled in by the build.
REPLAY = beside_me("@EASEL_GRADE_REPLAY@")
HOOK = os.path.normpath(beside_me("@EASEL_GRADE_HOOK@"))
INCLUDE_DIRS = [os.path.normpath(beside_me(path)) for path in "@EASEL_GRADE_INCLUDE_DIRS@".split(";")
                if os.path.isdir(beside_me(path))]
LIBRARY = os.path.normpath(beside_me("@EASEL_GRADE_LIBRARY@"))

MB = 1 << 20
BUILD_LIMITS = {"wall": 60, "cpu": 60, "memory": 1024 * MB, "processes": 32, "output": 1 * MB, "disk": 64 * MB}
RUN_LIMITS = {"wall": 60, "cpu": 10, "memory": 512 * MB, "processes": 32, "output": 1 * MB, "disk": 64 * MB}
OUTPUT_KEPT = 16 * 1024
SCRATCH_SIZE = 256 * MB
PROGRAM = "program"

# easel-replay's statuses (docs/replay.md) as a grade and its reason.
REPLAY_STATUSES = {
    2: ("script-error", "the script has errors"),
    3: ("differs", "a picture differs or could not be read"),
    4: ("too-slow", "did not ask for its next event within the time limit"),
    5: ("crashed", "crashed"),
    6: ("ended-early", "ended before the end of the script"),
    7: ("replay-failed", "easel-replay failed"),
    8: ("cannot-start", "the program could not be started"),
}
# Signals a program gets from its limits.
LIMIT_SIGNALS = {signal.SIGXCPU: ("cpu-limit", "CPU time limit reached"),
                 signal.SIGXFSZ: ("disk-limit", "file size limit reached")}


def say(message):
    print("easel-grade: " + message, file=sys.stderr)


# ---------------------------------------------------------------------------------------------- scripts

@functools.lru_cache(maxsize=None)
def command_words(script_path):
    """(line number, words) of each command of a script, as easel-replay reads it; none for a script it
    refuses (it says why when the script is run)."""
    listed = subprocess.run([REPLAY, "--words", script_path], capture_output=True)
    if listed.returncode != 0:
        return ()
    commands = (json.loads(line) for line in listed.stdout.decode("utf-8", "replace").splitlines())
    return tuple((command["line"], command["words"]) for command in commands)


def quoted(word):
    return '"' + word.replace("\\", "\\\\").replace('"', '\\"') + '"'


def expectations(script_path):
    """Each `expect` of a script: (line number, its words after `expect`)."""
    for number, parts in command_words(script_path):
        if parts[0] == "expect":
            yield number, parts[1:]


def saved_file(arguments):
    """The file the program writes that `expect FILE from SAVED` compares, or None."""
    return arguments[2] if len(arguments) > 2 and arguments[1] == "from" else None


def rewritten(script_path, expect_line):
    """The script's text with each `expect` line replaced by expect_line(its words)."""
    # Lines end at \n alone, as easel-replay counts them.
    lines = open(script_path, encoding="utf-8", errors="replace", newline="").read().split("\n")
    for number, arguments in expectations(script_path):
        lines[number - 1] = expect_line(arguments)
    return "\n".join(lines)


def grading_expect(expected_dir, run_dir):
    """An `expect` on the staged expected picture; a saved file is read from the program's directory."""
    def line(arguments):
        parts = ["expect", quoted(os.path.join(expected_dir, arguments[0]))]
        if saved_file(arguments):
            return " ".join(parts + ["from", quoted(os.path.join(run_dir, saved_file(arguments)))] + arguments[3:])
        return " ".join(parts + arguments[1:])
    return line


def reference_snap(tests_dir):
    """A `snap` of the screen into the tests directory; a saved file is copied there after the run."""
    def line(arguments):
        if saved_file(arguments):
            return "# " + " ".join(quoted(word) for word in ["expect"] + arguments)
        return "snap " + quoted(os.path.join(tests_dir, arguments[0]))
    return line


def checked_scripts(tests_dir):
    """The scripts, refused when there are none or an expected picture is not a plain name in tests_dir."""
    scripts = scripts_of(tests_dir)
    if not scripts:
        raise SystemExit("easel-grade: no *.replay script in " + tests_dir)
    for script in scripts:
        for number, arguments in expectations(script):
            if os.path.basename(arguments[0]) != arguments[0] or arguments[0] in (".", ".."):
                raise SystemExit("easel-grade: %s:%d: expect %s: name a picture in the tests directory, "
                                 "without a directory" % (script, number, arguments[0]))
    return scripts


def scripts_of(tests_dir):
    return sorted(glob.glob(os.path.join(glob.escape(tests_dir), "*.replay")))


def stem(path):
    return os.path.splitext(os.path.basename(path))[0]


# ---------------------------------------------------------------------------------------------- sandbox

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


def library_binds():
    """The library, its header and easel-replay's hook, read-only at their own paths. easel-replay names the hook
    from its own directory, which must be there too."""
    paths = INCLUDE_DIRS + [LIBRARY, HOOK, os.path.dirname(os.path.realpath(REPLAY))]
    binds = []
    for path in paths:
        binds += ["--ro-bind", path, path]
    return binds


def sandbox(box, limits):
    """bubblewrap around a command: no network, no other processes, only `box` writable (as /box)."""
    # The library may live under /tmp: its binds come after the sandbox's own /tmp.
    return (["bwrap", "--unshare-all", "--die-with-parent", "--new-session"] + system_binds()
            + ["--dev", "/dev", "--proc", "/proc", "--size", str(limits["disk"]), "--tmpfs", "/tmp"]
            + library_binds() + ["--bind", box, "/box", "--chdir", "/box", "--remount-ro", "/"])


SANDBOX_ENVIRONMENT = {"PATH": "/usr/bin:/bin", "HOME": "/box", "TMPDIR": "/tmp", "LANG": "C.UTF-8"}


class control_group:
    """A cgroup (v1 or v2) capping processes and memory; None of it when this process may not make one."""

    def __init__(self, limits):
        self.dirs, self.name = [], "easel-grade-%d-%d" % (os.getpid(), time.monotonic_ns())
        try:
            if os.path.exists("/sys/fs/cgroup/cgroup.controllers"):
                self.delegate("/sys/fs/cgroup", ["+pids", "+memory", "+cpu"])
                self.make("/sys/fs/cgroup", {"pids.max": limits["processes"], "memory.max": limits["memory"],
                                             "memory.swap.max": 0})
            else:
                self.make("/sys/fs/cgroup/pids", {"pids.max": limits["processes"]})
                self.make("/sys/fs/cgroup/cpu", {})  # a share of its own, however many processes it has
                self.make("/sys/fs/cgroup/memory", {"memory.limit_in_bytes": limits["memory"]})
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

    def enter(self):
        for path in self.dirs:
            with open(os.path.join(path, "cgroup.procs"), "w") as procs:
                procs.write(str(os.getpid()))

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

    def limit_hit(self):
        if self.counter("pids.events", "max"):
            return "process-limit", "process limit reached (fork refused)"
        if self.counter("memory.events", "oom_kill") or self.counter("memory.oom_control", "oom_kill"):
            return "memory-limit", "memory limit reached"
        return None

    def remove(self):
        for path in self.dirs:
            for _ in range(100):
                members = open(os.path.join(path, "cgroup.procs")).read().split()
                for pid in members:
                    try:
                        os.kill(int(pid), signal.SIGKILL)
                    except ProcessLookupError:
                        pass
                try:
                    os.rmdir(path)
                    break
                except OSError:
                    time.sleep(0.01)
        self.dirs = []


def process_cap(limits):
    """RLIMIT_NPROC counts every process of the user: what it runs now plus the allowance. It binds no root."""
    if os.getuid() == 0:
        return None
    own = sum(1 for pid in os.listdir("/proc") if pid.isdigit() and owned(pid))
    return own + limits["processes"]


def owned(pid):
    try:
        return os.stat("/proc/" + pid).st_uid == os.getuid()
    except OSError:
        return False


def set_limits(limits, group):
    processes = process_cap(limits)

    def in_child():
        group.enter()
        resource.setrlimit(resource.RLIMIT_CPU, (limits["cpu"], limits["cpu"]))
        resource.setrlimit(resource.RLIMIT_AS, (2 * limits["memory"], 2 * limits["memory"]))
        resource.setrlimit(resource.RLIMIT_FSIZE, (limits["disk"], limits["disk"]))
        resource.setrlimit(resource.RLIMIT_CORE, (0, 0))
        if processes is not None:
            resource.setrlimit(resource.RLIMIT_NPROC, (processes, processes))
    return in_child


def run_bounded(command, cwd, limits, output_path):
    """Runs a command under the limits; keeps the start of its output. Returns (status, own limit hit, seconds)."""
    group = control_group(limits)
    started = time.monotonic()
    try:
        process = subprocess.Popen(command, cwd=cwd, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                   stderr=subprocess.STDOUT, env=SANDBOX_ENVIRONMENT,
                                   preexec_fn=set_limits(limits, group), start_new_session=True)
        kept, total, limit_hit = read_bounded(process, limits, started)
        if limit_hit:
            os.killpg(process.pid, signal.SIGKILL)
        status = wait_within(process, started + limits["wall"])
        if status is None:
            limit_hit = ("wall-limit", "wall time limit reached")
        elif status != 0 and not limit_hit:
            limit_hit = group.limit_hit()
    finally:
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
    try:
        return process.wait(timeout=max(0, deadline - time.monotonic()))
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        process.wait()
        return None


# ---------------------------------------------------------------------------------------------- one submission

def sdl_flags():
    for command in (["sdl-config", "--cflags", "--libs"], ["pkg-config", "--cflags", "--libs", "sdl"]):
        try:
            return subprocess.run(command, capture_output=True, text=True, check=True).stdout.split()
        except (OSError, subprocess.CalledProcessError):
            continue
    raise SystemExit("easel-grade: neither sdl-config nor pkg-config finds SDL 1.2")


def build(build_dir, result_dir):
    """Compiles the submission's .cpp files in the sandbox. Returns the build's record."""
    sources = sorted("./" + name for name in os.listdir(build_dir) if name.endswith(".cpp"))
    compiler = (["g++", "-std=c++17", "-O2", "-Wall", "-pipe"] + ["-I" + path for path in INCLUDE_DIRS]
                + sources + [LIBRARY] + sdl_flags() + ["-o", PROGRAM])
    status, limit_hit, seconds = run_bounded(sandbox(build_dir, BUILD_LIMITS) + compiler, build_dir,
                                             BUILD_LIMITS, os.path.join(result_dir, "build.txt"))
    if limit_hit:
        grade, reason = limit_hit
        grade, reason = "build-" + grade, "build: " + reason
    elif status != 0:
        grade, reason = "build-failed", "does not compile"
    else:
        grade, reason = "built", ""
    return {"status": grade, "reason": reason, "seconds": round(seconds, 3)}


def differing_pixels(output):
    """The pixels easel-replay found differing, over every `expect` of the run."""
    return sum(int(count) for count in re.findall(rb"(\d+) pixel\(s\) differ", output))


def replay_grade(status, output):
    """The grade and its reason from easel-replay's status, its messages and the program's own status."""
    if status == 0:
        return "passed", ""
    if status in REPLAY_STATUSES:
        grade, reason = REPLAY_STATUSES[status]
        if status == 3 and differing_pixels(output):
            reason = "%d pixel(s) differ" % differing_pixels(output)
        return grade, reason
    # bubblewrap reports a program killed by signal N as status 128 + N.
    if status > 128 and status - 128 in signal.valid_signals():
        number = signal.Signals(status - 128)
        return LIMIT_SIGNALS.get(number, ("crashed", "crashed (%s)" % number.name))
    return "exit-status", "ended with status %d" % status


def run_script(script, run_dir, result_dir, expected_dir, timeout):
    os.makedirs(result_dir, exist_ok=True)
    graded_script = os.path.join(result_dir, "script.replay")
    with open(graded_script, "w", encoding="utf-8") as out:
        out.write(rewritten(script, grading_expect(expected_dir, run_dir)))
    output_path = os.path.join(result_dir, "output.txt")
    command = [REPLAY, "--timeout", str(timeout), graded_script, "--"] + sandbox(run_dir, RUN_LIMITS) + ["./" + PROGRAM]
    status, limit_hit, seconds = run_bounded(command, result_dir, RUN_LIMITS, output_path)
    # The staged pictures' directory means nothing to the reader: easel-replay's messages name them plainly.
    output = open(output_path, "rb").read().replace(os.path.join(expected_dir, "").encode(), b"")
    with open(output_path, "wb") as shown:
        shown.write(output)
    grade, reason = limit_hit or (status != 0 and disk_full(run_dir)) or replay_grade(status, output)
    return {"script": stem(script), "status": grade, "reason": reason,
            "pixels": differing_pixels(output) if grade == "differs" else "",
            "seconds": round(seconds, 3)}


def disk_full(run_dir):
    space = os.statvfs(run_dir)
    return ("disk-limit", "the disk is full") if space.f_bavail * space.f_frsize < MB else None


def fresh_copy(source, target):
    """A copy of a directory; links stay links, so nothing outside is read through them."""
    shutil.copytree(source, target, symlinks=True)


def stage_expected(tests_dir, scratch):
    """The expected pictures under a name the programs cannot guess, so no saved file can link to them."""
    expected_dir = tempfile.mkdtemp(prefix="expected-", dir=scratch)
    for script in scripts_of(tests_dir):
        for _, arguments in expectations(script):
            source = os.path.join(tests_dir, arguments[0])
            if os.path.isfile(source):
                shutil.copy(source, expected_dir)
    return expected_dir


def grade_submission(tests_dir, submission, result_dir, timeout):
    """Builds one submission and runs every script on it; writes result_dir/result.json."""
    tests_dir, result_dir = os.path.abspath(tests_dir), os.path.abspath(result_dir)
    os.makedirs(result_dir, exist_ok=True)
    with private_scratch() as scratch:
        build_dir = os.path.join(scratch, "build")
        fresh_copy(submission, build_dir)
        record = {"submission": os.path.basename(os.path.normpath(submission)),
                  "build": build(build_dir, result_dir), "scripts": []}
        if record["build"]["status"] == "built":
            expected_dir = stage_expected(tests_dir, scratch)
            for script in scripts_of(tests_dir):
                run_dir = os.path.join(scratch, "run-" + stem(script))
                fresh_copy(build_dir, run_dir)
                record["scripts"].append(run_script(script, run_dir, os.path.join(result_dir, stem(script)),
                                                    expected_dir, timeout))
                shutil.rmtree(run_dir, ignore_errors=True)
    with open(os.path.join(result_dir, "result.json"), "w") as out:
        json.dump(record, out, indent=1)
    return record


class private_scratch:
    """A scratch directory; as root, a tmpfs of bounded size in a mount namespace of this process alone."""

    def __enter__(self):
        self.path = tempfile.mkdtemp(prefix="easel-grade-")
        if os.environ.get("EASEL_GRADE_PRIVATE_MOUNTS") == "1":
            subprocess.run(["mount", "-t", "tmpfs", "-o", "size=%d,mode=0700" % SCRATCH_SIZE, "easel-grade",
                            self.path], check=True)
        return self.path

    def __exit__(self, *_):
        if os.environ.get("EASEL_GRADE_PRIVATE_MOUNTS") == "1":
            subprocess.run(["umount", "-l", self.path], check=False)
        shutil.rmtree(self.path, ignore_errors=True)


def in_private_mounts(argv):
    """As root, runs this command again in a mount namespace of its own, where its scratch tmpfs lives."""
    if os.getuid() != 0 or os.environ.get("EASEL_GRADE_PRIVATE_MOUNTS"):
        return
    private = ["unshare", "--mount", "--propagation", "private"]
    if not shutil.which("unshare") or subprocess.run(private + ["true"], stderr=subprocess.DEVNULL).returncode != 0:
        return
    os.environ["EASEL_GRADE_PRIVATE_MOUNTS"] = "1"
    os.execvp("unshare", private + [sys.executable, os.path.abspath(__file__)] + argv)


# ---------------------------------------------------------------------------------------------- commands

def reference(args):
    """Runs the solution on each script, snapping its pictures where the scripts expect them."""
    tests_dir = os.path.abspath(args.tests_dir)
    scripts = checked_scripts(tests_dir)
    with private_scratch() as scratch:
        log_dir = os.path.join(scratch, "log")
        os.mkdir(log_dir)
        build_dir = os.path.join(scratch, "build")
        fresh_copy(args.solution_dir, build_dir)
        built = build(build_dir, log_dir)
        if built["status"] != "built":
            sys.stderr.write(open(os.path.join(log_dir, "build.txt"), errors="replace").read())
            raise SystemExit("easel-grade: the solution: " + built["reason"])
        failures = sum(not reference_script(script, build_dir, scratch, tests_dir, args.timeout) for script in scripts)
    return 1 if failures else 0


def reference_script(script, build_dir, scratch, tests_dir, timeout):
    run_dir = os.path.join(scratch, "run-" + stem(script))
    fresh_copy(build_dir, run_dir)
    snapping = os.path.join(scratch, stem(script) + ".replay")
    with open(snapping, "w", encoding="utf-8") as out:
        out.write(rewritten(script, reference_snap(tests_dir)))
    output_path = os.path.join(scratch, stem(script) + ".txt")
    command = [REPLAY, "--timeout", str(timeout), snapping, "--"] + sandbox(run_dir, RUN_LIMITS) + ["./" + PROGRAM]
    status, limit_hit, _ = run_bounded(command, scratch, RUN_LIMITS, output_path)
    grade, reason = limit_hit or replay_grade(status, b"")
    if grade != "passed":
        sys.stderr.write(open(output_path, errors="replace").read())
        say("%s: the solution %s" % (os.path.basename(script), reason))
        return False
    for _, arguments in expectations(script):
        if saved_file(arguments):
            shutil.copy(os.path.join(run_dir, saved_file(arguments)), os.path.join(tests_dir, arguments[0]))
    print("%s: expected pictures written" % os.path.basename(script))
    return True


def submissions_of(submissions_dir):
    return sorted(name for name in os.listdir(submissions_dir)
                  if glob.glob(os.path.join(glob.escape(os.path.join(submissions_dir, name)), "*.cpp")))


def run(args):
    """Grades every submission with GNU parallel, then writes results.csv and index.html."""
    names = submissions_of(args.submissions_dir)
    if not names:
        raise SystemExit("easel-grade: no submission (a directory with .cpp files) in " + args.submissions_dir)
    missing = [arguments[0] for script in checked_scripts(args.tests_dir) for _, arguments in expectations(script)
               if not os.path.isfile(os.path.join(args.tests_dir, arguments[0]))]
    if missing:
        raise SystemExit("easel-grade: expected pictures missing in %s (run easel-grade reference first): %s"
                         % (args.tests_dir, " ".join(missing)))
    out = os.path.abspath(args.out_dir)
    for part in ("tests", "submissions", "results"):
        shutil.rmtree(os.path.join(out, part), ignore_errors=True)
    os.makedirs(os.path.join(out, "results"))
    shutil.copytree(args.tests_dir, os.path.join(out, "tests"), symlinks=True)
    for name in names:
        fresh_copy(os.path.join(args.submissions_dir, name), os.path.join(out, "submissions", name))
    distribute(names, out, args)
    records = [result_of(out, name) for name in names]
    write_csv(records, scripts_of(os.path.join(out, "tests")), os.path.join(out, "results.csv"))
    write_html(records, out)
    failed = sum(not passed(record) for record in records)
    print("%d of %d submission(s) passed every script; report: %s" % (len(names) - failed, len(names),
                                                                       os.path.join(out, "index.html")))
    return 1 if failed else 0


def distribute(names, out, args):
    """One job per submission, spread by GNU parallel over local cores or the machines of --sshlogin."""
    job = [sys.executable, os.path.abspath(__file__)]
    options = ["--jobs", str(args.jobs)]
    if args.sshlogin:
        job = ["easel-grade"]
        options += ["--sshlogin", args.sshlogin, "--basefile", "tests", "--transferfile", "submissions/{}",
                    "--return", "results/{}", "--cleanup"]
    command = (["parallel", "--will-cite", "--halt", "never"] + options + job
               + ["job", "--timeout", str(args.timeout), "tests", "submissions/{}", "results/{}", ":::"] + names)
    subprocess.run(command, cwd=out, check=False)


def result_of(out, name):
    try:
        return json.load(open(os.path.join(out, "results", name, "result.json")))
    except (OSError, ValueError):
        return {"submission": name, "build": {"status": "not-graded", "reason": "the grading job failed",
                                              "seconds": ""}, "scripts": []}


def passed(record):
    return record["build"]["status"] == "built" and all(run["status"] == "passed" for run in record["scripts"])


def rows(record, scripts):
    """One row per script; a submission that did not build fails every script with the build's reason."""
    runs = {run["script"]: run for run in record["scripts"]}
    for script in map(stem, scripts):
        yield script, runs.get(script, {"status": record["build"]["status"], "reason": record["build"]["reason"],
                                        "pixels": "", "seconds": ""})


def write_csv(records, scripts, path):
    with open(path, "w", newline="") as out:
        table = csv.writer(out)
        table.writerow(["submission", "script", "status", "reason", "differing_pixels", "seconds"])
        for record in records:
            for script, run in rows(record, scripts):
                table.writerow([record["submission"], script, run["status"], run["reason"], run["pixels"],
                                run["seconds"]])


def write_html(records, out):
    scripts = scripts_of(os.path.join(out, "tests"))
    head = "".join("<th>%s</th>" % html.escape(stem(script)) for script in scripts)
    body = "".join("<tr><th>%s</th><td>%s</td>%s</tr>\n" % (
        html.escape(record["submission"]), build_cell(record),
        "".join(cell(record, script, run, out) for script, run in rows(record, scripts))) for record in records)
    page = PAGE % {"passed": sum(map(passed, records)), "count": len(records), "head": head, "body": body}
    with open(os.path.join(out, "index.html"), "w", encoding="utf-8") as index:
        index.write(page)


def url(path):
    return html.escape(urllib.parse.quote(path))


def link(path, text):
    return '<a href="%s">%s</a>' % (url(path), html.escape(text))


def build_cell(record):
    build_log = "results/%s/build.txt" % record["submission"]
    return '<span class="%s">%s</span> %s' % (
        "ok" if record["build"]["status"] == "built" else "bad", html.escape(record["build"]["status"]),
        link(build_log, "log") if record["build"]["status"] not in ("not-graded",) else "")


def cell(record, script, run, out):
    if run["status"] == "passed":
        return '<td class="ok">passed</td>'
    if record["build"]["status"] != "built":
        return '<td class="bad">%s</td>' % html.escape(run["status"])
    base = "results/%s/%s/" % (record["submission"], script)
    pictures = []
    for _, arguments in expectations(os.path.join(out, "tests", script + ".replay")):
        name, shown = arguments[0], []
        for label, path in (("expected", "tests/" + name), ("actual", base + stem(name) + ".actual.png"),
                            ("diff", base + stem(name) + ".diff.png")):
            if os.path.isfile(os.path.join(out, path)):
                title = html.escape("%s %s" % (label, name))
                shown.append('<a href="%s"><img src="%s" alt="%s" title="%s"></a>' % (url(path), url(path), title, title))
        pictures.append('<span class="pictures">%s<br>%s</span>' % ("".join(shown), html.escape(name)))
    return '<td class="bad"><b>%s</b><br>%s<br>%s %s</td>' % (
        html.escape(run["status"]), html.escape(run["reason"]), "".join(pictures), link(base + "output.txt", "output"))


PAGE = """<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8"><title>easel-grade report</title>
<style>
body { font-family: sans-serif; } table { border-collapse: collapse; }
td, th { border: 1px solid #999; padding: 4px; vertical-align: top; }
.ok { background: #dfd; } .bad { background: #fdd; } img { width: 80px; image-rendering: pixelated; margin: 2px; }
.pictures { display: inline-block; border: 1px solid #bbb; margin: 2px; text-align: center; font-size: small; }
</style></head><body>
<h1>%(passed)d of %(count)d submission(s) passed every script</h1>
<p>Each picture a script expects: what was expected, what the program showed and, in red, the pixels that
differ (when they differ). Click a picture for its full size.</p>
<table><tr><th>submission</th><th>build</th>%(head)s</tr>
%(body)s</table></body></html>
"""


def job(args):
    record = grade_submission(args.tests_dir, args.submission, args.result_dir, args.timeout)
    return 0 if passed(record) else 1


def parse(argv):
    parser = argparse.ArgumentParser(prog="easel-grade", description="Grades easel programs against easel-replay scripts.")
    parser.add_argument("--timeout", type=float, default=5,
                        help="seconds a program may take to ask for its next event (default 5)")
    commands = parser.add_subparsers(dest="command", required=True)
    ref = commands.add_parser("reference", help="make the expected pictures from the teacher's solution")
    ref.add_argument("solution_dir")
    ref.add_argument("tests_dir")
    grading = commands.add_parser("run", help="grade every submission")
    grading.add_argument("tests_dir")
    grading.add_argument("submissions_dir")
    grading.add_argument("out_dir")
    grading.add_argument("--jobs", type=int, default=os.cpu_count() or 1, help="submissions graded at once")
    grading.add_argument("--sshlogin", help="GNU parallel's --sshlogin: grade on these machines")
    one = commands.add_parser("job", help="grade one submission (what parallel runs)")
    one.add_argument("tests_dir")
    one.add_argument("submission")
    one.add_argument("result_dir")
    for sub in (ref, grading, one):
        sub.add_argument("--timeout", type=float, default=argparse.SUPPRESS)
    return parser.parse_args(argv)


def require(tools):
    missing = [package for tool, package in tools if not shutil.which(tool)]
    if missing:
        raise SystemExit("easel-grade: needs the Debian package(s) " + " ".join(missing))


def main(argv):
    args = parse(argv)
    require([("bwrap", "bubblewrap"), ("g++", "g++")] + ([("parallel", "parallel")] if args.command == "run" else []))
    if args.command in ("reference", "job"):
        in_private_mounts(argv)
    return {"reference": reference, "run": run, "job": job}[args.command](args)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
