#!/usr/bin/env python3
"""easel-grade end to end: grade_test.py CHECK EASEL_GRADE DOCS_EXAMPLE_DIR HOSTILE_DIR

CHECK is worked_example (grades as docs/grading.md says, three runs alike), hostile (every hostile sample
and odd folder is contained and graded as itself), unprivileged (the path without root) or out_dir (the
teacher's files and the previous report survive mistakes and interruptions). Exits 77 when bwrap or
parallel is missing.
"""

import contextlib
import csv
import glob
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
from html.parser import HTMLParser
from urllib.parse import unquote_to_bytes

SKIPPED = 77
TIMEOUT = []  # the default limit
NOBODY = "65534"


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def grade(easel_grade, *arguments, user=None, limit=TIMEOUT, **options):
    command = [easel_grade] + limit + list(arguments)
    if user:
        command = ["setpriv", "--reuid", user, "--regid", user, "--clear-groups"] + command
    return subprocess.run(command, capture_output=True, text=True, **options)


def statuses(out_dir, field="status"):
    """(submission, script) -> status (or another field), from results.csv."""
    with open(os.path.join(out_dir, "results.csv"), encoding="utf-8") as table:
        return {(row["submission"], row["script"]): row[field] for row in csv.DictReader(table)}


def documented(docs_dir):
    """The results the docs promise: the lines of docs/grading.md from the CSV header to the next blank line."""
    lines = open(os.path.join(docs_dir, "..", "grading.md")).read().splitlines()
    start = next(i for i, line in enumerate(lines) if line.strip().startswith("submission,script,status"))
    block = []
    for line in lines[start + 1:]:
        if not line.strip():
            break
        block.append(line.strip().split(","))
    return {(row[0], row[1]): row[2] for row in block}


def example(work, docs_dir, easel_grade, user=None):
    """A copy of the worked example with its expected pictures made; returns its directory."""
    copy = os.path.join(work, "example")
    shutil.copytree(docs_dir, copy)
    made = grade(easel_grade, "reference", os.path.join(copy, "solution"), os.path.join(copy, "tests"), user=user)
    if made.returncode != 0:
        fail("reference: " + made.stdout + made.stderr)
    return copy


def check_links(out_dir):
    """Every picture and link of the report names a file in the report's directory."""
    class links(HTMLParser):
        found = []

        def handle_starttag(self, tag, attributes):
            self.found += [value for name, value in attributes if name in ("href", "src")]
    parser = links()
    parser.feed(open(os.path.join(out_dir, "index.html"), encoding="utf-8").read())
    missing = [path for path in parser.found
               if not os.path.isfile(os.path.join(os.fsencode(out_dir), unquote_to_bytes(path)))]
    if missing or not any(path.endswith(".png") for path in parser.found):
        fail("index.html: missing pictures or links %s" % missing)


def worked_example(work, easel_grade, docs_dir, _):
    copy = example(work, docs_dir, easel_grade)
    expected = documented(docs_dir)
    for attempt in range(3):
        out = os.path.join(work, "out%d" % attempt)
        graded = grade(easel_grade, "run", os.path.join(copy, "tests"), os.path.join(copy, "submissions"), out,
                       "--jobs", "2")
        if graded.returncode != 1 or statuses(out) != expected:
            fail("run %d: status %d, results %s, documented %s" % (attempt, graded.returncode, statuses(out), expected))
    check_links(out)
    check_scores(out)


def check_scores(out_dir):
    """scores.csv agrees with results.csv: for each student, the scripts passed of the scripts run."""
    runs = statuses(out_dir)
    with open(os.path.join(out_dir, "scores.csv"), encoding="utf-8") as table:
        scores = {row["submission"]: row for row in csv.DictReader(table)}
    for name in {submission for submission, _ in runs}:
        ran = [status for (submission, _), status in runs.items() if submission == name]
        passed = ran.count("passed")
        if scores.get(name) != {"submission": name, "passed": str(passed), "run": str(len(ran)),
                                "score": "%.3f" % (passed / len(ran))}:
            fail("scores.csv: %s, results.csv: %s" % (scores.get(name), ran))
    if len(scores) != len({submission for submission, _ in runs}):
        fail("scores.csv has %d rows" % len(scores))


def under_load(work, easel_grade, docs_dir, _):
    """The time limit counts the program's CPU time: a class of 20 (four textually different copies of each
    submission of the worked example) graded one job at a time on a quiet machine and two at a time beside
    two busy loops gets the same results.csv, times aside, and the documented grades."""
    copy = example(work, docs_dir, easel_grade)
    class_dir = os.path.join(work, "class")
    for name in os.listdir(os.path.join(copy, "submissions")):
        for number in range(4):
            student = os.path.join(class_dir, "%s_%d" % (name, number))
            shutil.copytree(os.path.join(copy, "submissions", name), student)
            with open(os.path.join(student, "main.cpp"), "a") as source:
                source.write("// copy %d\n" % number)
    tables = {}
    for jobs, busy_loops in (("1", 0), ("2", 2)):
        loops = [subprocess.Popen(["sh", "-c", "while :; do :; done"]) for _ in range(busy_loops)]
        try:
            out = os.path.join(work, "out" + jobs)
            grade(easel_grade, "run", os.path.join(copy, "tests"), class_dir, out, "--jobs", jobs, limit=[])
            with open(os.path.join(out, "results.csv"), encoding="utf-8") as table:
                tables[jobs] = [row[:-1] for row in csv.reader(table)]  # the last column is the time
        finally:
            for loop in loops:
                loop.kill()
                loop.wait()
    expected = {("%s_%d" % (name, number), script): status
                for (name, script), status in documented(docs_dir).items() for number in range(4)}
    if tables["1"] != tables["2"] or statuses(os.path.join(work, "out1")) != expected:
        fail("grades under load differ: %s" % tables)


def output_of(out_dir, submission, script="square"):
    with open(os.path.join(out_dir, "results", submission, script, "output.txt"), "rb") as output:
        return output.read().decode("utf-8", "replace")


def everything_in(out_dir, submission):
    return b"".join(open(path, "rb").read()
                    for path in glob.glob(os.path.join(out_dir, "results", submission, "**", "*.txt"), recursive=True))


def check_contained(out_dir, copy, easel_grade, hostile_names, as_root):
    """No output of a hostile submission shows a secret; nothing was written outside the sandbox; no
    attempt to escape succeeded."""
    secrets = [b"root:x:0:0", b"PNG"] + [open(path, "rb").readline().strip() for path in
                                         glob.glob(os.path.join(copy, "*", "*", "main.cpp"))
                                         if open(path, "rb").read(2) == b"//"]
    for name in hostile_names:
        shown = everything_in(out_dir, name)
        own = open(os.path.join(copy, "submissions", name, "main.cpp"), "rb").readline().strip()
        leaked = [secret for secret in secrets if secret in shown and secret != own]
        if leaked:
            fail("%s shows %s" % (name, leaked))
    bin_dir = os.path.dirname(os.path.realpath(easel_grade))
    escaped = ["/escaped.txt", "/usr/escaped.txt", os.path.join(bin_dir, "escaped.txt")] + glob.glob(
        os.path.join(copy, "**", "escaped.txt"), recursive=True)
    if any(os.path.exists(path) for path in escaped):
        fail("a submission wrote outside its directory")
    escape = output_of(out_dir, "escape")
    if ": done" in escape or "refused" not in escape or (as_root and "uid %s\n" % NOBODY not in escape):
        fail("escape: " + escape)
    if "CapEff:\t0000000000000000" not in escape or "CapBnd:\t0000000000000000" not in escape:
        fail("the program held capabilities: " + escape)
    taken = int(output_of(out_dir, "shm").split("/dev/shm took ")[1].split()[0])
    if taken > 16:
        fail("/dev/shm took %d MB" % taken)


# Each trick of hostile/tricks (trick.txt) and what it is graded, script by script (clear, clicks, square).
def tricks(copy):
    saved = os.path.join(copy, "tests", "saved_clicks.bmp")
    same = lambda status: [status] * 3
    return {"escape": ("escape", same("passed")), "exit_2": ("exit 2", same("exit-status")),
            "exit_8": ("exit 8", same("exit-status")), "exit_139": ("exit 139", same("exit-status")),
            "print": ("print", same("differs")), "link": ("link " + saved, ["passed", "differs", "passed"]),
            "fifo": ("fifo", ["passed", "differs", "passed"]), "deep": ("deep", same("passed")),
            "shm": ("shm", same("passed"))}


def add_tricks(copy, hostile_dir, names):
    for name, (trick, _) in tricks(copy).items():
        if name in names:
            target = os.path.join(copy, "submissions", name)
            shutil.copytree(os.path.join(hostile_dir, "tricks"), target)
            with open(os.path.join(target, "trick.txt"), "w") as text:
                text.write(trick)


def odd_folders(submissions):
    """Folders whose names or contents broke grading once; each holds a correct program beside its oddity.
    Returns (name as bytes, status of every script)."""
    correct = os.path.join(submissions, "correct", "main.cpp")
    odd = {}
    for name in (b":::", b"new\nline", b"it's; {} <a> b=c\td", b"=HYPERLINK(\"evil\")",
                 b"latin\xe9", "őz".encode()):
        os.mkdir(os.path.join(os.fsencode(submissions), name))
        shutil.copy(correct, os.path.join(os.fsencode(submissions), name, b"main.cpp"))
        odd[name] = "passed"
    for name, make in (("fifo_inside", lambda d: os.mkfifo(os.path.join(d, "pipe"))),
                       ("deep_inside", lambda d: os.makedirs(os.path.join(d, *["d"] * 700))),
                       ("sparse_inside", lambda d: os.truncate(open(os.path.join(d, "big"), "wb").name, 4 << 30)),
                       ("links_inside", lambda d: [os.symlink("/etc/shadow", os.path.join(d, "secret")),
                                                   os.symlink("../../solution", os.path.join(d, "solution"))])):
        folder = os.path.join(submissions, name)
        os.mkdir(folder)
        shutil.copy(correct, folder)
        make(folder)
        odd[name.encode()] = "passed"
    os.mkdir(os.path.join(submissions, "only_cc"))
    shutil.copy(correct, os.path.join(submissions, "only_cc", "main.cc"))
    odd[b"only_cc"] = "passed"
    os.mkdir(os.path.join(submissions, "empty"))
    os.mkdir(os.path.join(submissions, "only_a_link"))
    os.symlink(os.path.abspath(correct), os.path.join(submissions, "only_a_link", "main.cpp"))
    os.symlink("correct", os.path.join(submissions, "linked_folder"))
    for name in (b"empty", b"only_a_link", b"linked_folder"):
        odd[name] = "submission-error"
    return odd


def shown(name):
    """A folder name as results.csv shows it: bytes that are not UTF-8 and control characters as \\xNN, a
    leading quote before what a spreadsheet would take for a formula."""
    text = "".join("\\x%02x" % (ord(c) - 0xDC00) if 0xDC80 <= ord(c) <= 0xDCFF else
                   "\\x%02x" % ord(c) if ord(c) < 0x20 else c for c in name.decode("utf-8", "surrogateescape"))
    return "'" + text if text[:1] in "=+-@" else text


def check_report_files(out_dir):
    """The report holds regular files and folders only, none larger than a submission may be, and no
    cell of results.csv a spreadsheet would run as a formula."""
    for directory, folders, files in os.walk(out_dir):
        for name in folders + files:
            mode = os.lstat(os.path.join(directory, name))
            if not (os.path.isdir(os.path.join(directory, name)) or os.path.isfile(os.path.join(directory, name))) \
                    or os.path.islink(os.path.join(directory, name)) or mode.st_size > 64 << 20:
                fail("the report holds %s" % os.path.join(directory, name))
    with open(os.path.join(out_dir, "results.csv"), encoding="utf-8") as table:
        cells = [cell for row in csv.reader(table) for cell in row]
    if any(cell[:1] in ("=", "+", "-", "@") for cell in cells):
        fail("a live formula in results.csv")


def hostile(work, easel_grade, docs_dir, hostile_dir):
    copy = example(work, docs_dir, easel_grade)
    submissions = os.path.join(copy, "submissions")
    for sample in os.listdir(hostile_dir):
        if sample != "tricks":
            shutil.copytree(os.path.join(hostile_dir, sample), os.path.join(submissions, sample))
    add_tricks(copy, hostile_dir, tricks(copy))
    odd = odd_folders(submissions)
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen()
    listener.setblocking(False)
    with open(os.path.join(submissions, "connect", "port.txt"), "w") as port:
        port.write(str(listener.getsockname()[1]))
    out = os.path.join(work, "out")
    # Three seconds of CPU time: touching 512 MB takes the memory hog longer than the default limit (0.3 to
    # 0.5 s of CPU on a quiet machine, over a second while other tests run), and here its memory limit is
    # what is checked.
    graded = grade(easel_grade, "run", os.path.join(copy, "tests"), submissions, out, "--jobs", "2",
                   limit=["--timeout", "3"])
    results = statuses(out)
    expected = dict(documented(docs_dir))
    scripts = ("clear", "clicks", "square")
    for index, script in enumerate(scripts):
        expected.update({("flood_output", script): "output-limit", ("fill_disk", script): "disk-limit",
                         ("hog_memory", script): "memory-limit", ("connect", script): "exit-status",
                         ("include_secrets", script): "build-failed"})
        expected.update({(name, script): grades[index] for name, (_, grades) in tricks(copy).items()})
        expected.update({(shown(name), script): status for name, status in odd.items()})
    if graded.returncode != 1 or results != expected:
        wrong = {key: (results.get(key), status) for key, status in expected.items() if results.get(key) != status}
        fail("status %d, (got, expected) %s, unexpected %s\n%s" % (
            graded.returncode, wrong, set(results) - set(expected), graded.stderr))
    reasons, pixels, seconds = statuses(out, "reason"), statuses(out, "differing_pixels"), statuses(out, "seconds")
    for status in (2, 8, 139):
        if reasons[("exit_%d" % status, "square")] != "ended with status %d" % status:
            fail("exit %d: %s" % (status, reasons[("exit_%d" % status, "square")]))
    if [pixels[("print", script)] for script in scripts] != [pixels[("off_by_one", script)] for script in scripts]:
        fail("printed text changed the pixel count: %s" % pixels)
    for name, reason in (("link", "symbolic link"), ("fifo", "not a regular file")):
        if reason not in reasons[(name, "clicks")] or float(seconds[(name, "clicks")]) > 3:
            fail("%s: %s in %s s" % (name, reasons[(name, "clicks")], seconds[(name, "clicks")]))
    if "deeper than 16" not in open(os.path.join(out, "index.html"), encoding="utf-8").read():
        fail("the left-out deep folder is not listed")
    try:
        listener.accept()
        fail("a submission reached a listener on 127.0.0.1")
    except BlockingIOError:
        pass
    check_contained(out, copy, easel_grade, ["hostile", "include_secrets", "connect"], as_root=os.getuid() == 0)
    check_report_files(out)
    check_links(out)
    if leftovers():
        fail("left behind: %s" % leftovers())


def unprivileged(work, easel_grade, docs_dir, hostile_dir):
    """Without root: no control groups, no private mounts; the sandbox and the rlimits still hold."""
    user = None
    if os.getuid() == 0:
        user = NOBODY
        readable = ["setpriv", "--reuid", user, "--regid", user, "--clear-groups", "test", "-r", easel_grade]
        if not shutil.which("setpriv") or subprocess.run(readable).returncode != 0:
            print("SKIP: user %s cannot read %s (or setpriv is missing)" % (user, easel_grade))
            return SKIPPED
        os.chmod(work, 0o777)
    copy = example(work, docs_dir, easel_grade)
    submissions = os.path.join(copy, "submissions")
    for name in ("off_by_one", "hanging"):
        shutil.rmtree(os.path.join(submissions, name))
    add_tricks(copy, hostile_dir, ("escape", "shm"))
    out = os.path.join(work, "out")
    # One job at a time: without root, processes count per user, so a fork without end in one job would
    # starve a program of another job of its threads (docs/grading.md says so).
    graded = grade(easel_grade, "run", os.path.join(copy, "tests"), submissions, out, "--jobs", "1", user=user)
    results = statuses(out)
    expected = {key: status for key, status in documented(docs_dir).items() if key[0] in ("correct", "crashing")}
    expected.update({(name, script): "passed" for name in ("escape", "shm") for script in ("clear", "clicks", "square")})
    if graded.returncode != 1 or any(results[key] != status for key, status in expected.items()):
        fail("status %d, results %s\n%s" % (graded.returncode, results, graded.stderr))
    if results[("hostile", "clicks")] == "passed":
        fail("a fork without end passed")
    check_contained(out, copy, easel_grade, ["hostile"], as_root=False)


def snapshot(directory):
    """Every file under a directory with its content, to tell whether anything changed."""
    return {path: open(path, "rb").read() for path in glob.glob(os.path.join(directory, "**"), recursive=True)
            if os.path.isfile(path)}


def leftovers(out=None):
    """Control groups, scratch folders and unfinished reports of easel-grade processes that have ended
    (their names carry the process's id); other tests may be grading at the same time."""
    found = (glob.glob("/sys/fs/cgroup/*/easel-grade-*") + glob.glob("/sys/fs/cgroup/easel-grade-*")
             + glob.glob(os.path.join(tempfile.gettempdir(), "easel-grade-*"))
             + (glob.glob(os.path.join(out, ".easel-grade-*-*")) if out else []))
    return [path for path in found if creator(path).isdigit() and not os.path.exists("/proc/" + creator(path))]


def creator(path):
    """The process id in easel-grade-PID-... (groups, scratch) or .easel-grade-new-PID-... (reports)."""
    parts = os.path.basename(path).split("-")
    return (parts[3] if parts[0] == ".easel" else parts[2]) if len(parts) > 3 else ""


def interrupted_run(easel_grade, copy, out, how):
    """Starts a run, waits until its first job has started, and stops it with the signal `how`."""
    run = subprocess.Popen([easel_grade] + TIMEOUT + ["run", os.path.join(copy, "tests"), os.path.join(copy, "submissions"),
                                                      out, "--jobs", "1"],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
    deadline = time.monotonic() + 30
    while not glob.glob(os.path.join(out, ".easel-grade-new-*", "job-results", "*")) and time.monotonic() < deadline:
        time.sleep(0.05)
    time.sleep(0.5)
    os.killpg(run.pid, how)
    run.wait()
    return run.returncode


def out_dir(work, easel_grade, docs_dir, _):
    """Mistaken OUT_DIRs are refused before anything is written; an interrupted run keeps the previous
    report and leaves nothing behind; what a killed run left, the next one sweeps away."""
    copy = example(work, docs_dir, easel_grade)
    before = snapshot(copy)
    tests, submissions = os.path.join(copy, "tests"), os.path.join(copy, "submissions")
    foreign = os.path.join(work, "foreign")
    os.mkdir(foreign)
    open(os.path.join(foreign, "notes.txt"), "w").close()
    for target, options in ((".", []), ("tests", []), ("submissions", []), ("submissions/correct", []),
                            (os.path.join(copy, "submissions", ".."), []), (foreign, []),
                            (os.path.join(work, "fresh"), ["--timeout", "0"]), (os.path.join(work, "fresh"), ["--jobs", "0"])):
        refused = grade(easel_grade, "run", "tests", "submissions", target, *options, cwd=copy)
        if refused.returncode != 2 or (not options and len(refused.stderr.strip().splitlines()) != 1):
            fail("OUT_DIR %s %s: status %d, %s" % (target, options, refused.returncode, refused.stderr))
    if snapshot(copy) != before or os.path.exists(os.path.join(work, "fresh")) or os.listdir(foreign) != ["notes.txt"]:
        fail("a refused run changed files")
    for name in ("crashing", "hanging", "hostile", "off_by_one"):
        shutil.rmtree(os.path.join(submissions, name))
    out = os.path.join(work, "report")
    if grade(easel_grade, "run", tests, submissions, out).returncode != 0:
        fail("the first report")
    shutil.copytree(os.path.join(docs_dir, "submissions", "hanging"), os.path.join(submissions, "hanging"))
    report = snapshot(out)
    for how in (signal.SIGINT, signal.SIGTERM):
        interrupted_run(easel_grade, copy, out, how)
        if snapshot(out) != report or leftovers(out):
            fail("after %s: report changed %s, left %s" % (how.name, snapshot(out) != report, leftovers(out)))
    interrupted_run(easel_grade, copy, out, signal.SIGKILL)
    if grade(easel_grade, "run", tests, submissions, out).returncode != 1 or leftovers(out):
        fail("after SIGKILL the next run left %s" % leftovers(out))
    if ("hanging", "clear") not in statuses(out):
        fail("the report was not replaced")


@contextlib.contextmanager
def second_machine(work, prefix):
    """An sshd of the test's own on 127.0.0.1 at a free port, with its own keys, that puts easel's
    installation prefix on the PATH of its sessions; gives the ssh command that reaches it as `grader`."""
    ssh = os.path.join(work, "ssh")
    os.mkdir(ssh)
    for key in ("host_key", "id"):
        subprocess.run(["ssh-keygen", "-q", "-t", "ed25519", "-N", "", "-f", os.path.join(ssh, key)], check=True)
    shutil.copy(os.path.join(ssh, "id.pub"), os.path.join(ssh, "authorized_keys"))
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        port = probe.getsockname()[1]
    with open(os.path.join(ssh, "sshd_config"), "w") as config:
        config.write("Port %d\nListenAddress 127.0.0.1\nHostKey %s/host_key\nAuthorizedKeysFile %s/authorized_keys\n"
                     "PidFile none\nUsePAM no\nStrictModes no\nPermitRootLogin prohibit-password\n"
                     "PasswordAuthentication no\nKbdInteractiveAuthentication no\nSetEnv PATH=%s/bin:/usr/bin:/bin\n"
                     % (port, ssh, ssh, prefix))
    with open(os.path.join(ssh, "ssh_config"), "w") as config:
        config.write("Host grader\n HostName 127.0.0.1\n Port %d\n User root\n IdentityFile %s/id\n IdentitiesOnly yes\n"
                     " UserKnownHostsFile %s/known_hosts\n StrictHostKeyChecking accept-new\n BatchMode yes\n"
                     % (port, ssh, ssh))
    os.makedirs("/run/sshd", mode=0o755, exist_ok=True)  # sshd's privilege separation directory
    sshd = subprocess.Popen(["/usr/sbin/sshd", "-D", "-f", os.path.join(ssh, "sshd_config"), "-E",
                             os.path.join(ssh, "sshd.log")])
    try:
        command = "ssh -F " + os.path.join(ssh, "ssh_config")
        deadline = time.monotonic() + 10
        while subprocess.run(command.split() + ["grader", "true"], capture_output=True).returncode != 0:
            if time.monotonic() > deadline:
                fail("the test's sshd does not answer: " + open(os.path.join(ssh, "sshd.log")).read())
            time.sleep(0.2)
        yield command
    finally:
        sshd.terminate()
        sshd.wait()


def remote(work, easel_grade, docs_dir, _):
    """--sshlogin with a second machine: odd names graded, nothing left there, no stale result."""
    missing = [tool for tool in ("/usr/sbin/sshd", "ssh", "rsync") if not shutil.which(tool)]
    if os.getuid() != 0 or missing:
        print("SKIP: needs root and %s (Debian packages openssh-server, rsync)" % " ".join(missing))
        return SKIPPED
    prefix = os.path.join(work, "prefix")
    build_dir = os.path.dirname(os.path.dirname(os.path.realpath(easel_grade)))
    subprocess.run(["cmake", "--install", build_dir, "--prefix", prefix], check=True, capture_output=True)
    copy = example(work, docs_dir, easel_grade)
    submissions = os.path.join(copy, "submissions")
    for name in ("crashing", "hanging", "hostile"):
        shutil.rmtree(os.path.join(submissions, name))
    odd = ["a b", "it's; {} <a> =c\td", "őz"]
    for name in odd:
        shutil.copytree(os.path.join(submissions, "correct"), os.path.join(submissions, name))
    home = os.path.expanduser("~root")
    out = os.path.join(work, "out")
    with second_machine(work, prefix) as ssh:
        environment = dict(os.environ, PARALLEL_SSH=ssh)
        for logins, changed in (("grader", False), ("1/grader,1/:", True)):
            if changed:  # "a b" turns one pixel off, off_by_one right: no earlier picture may come back
                shutil.copy(os.path.join(submissions, "off_by_one", "main.cpp"), os.path.join(submissions, "a b"))
                shutil.copy(os.path.join(submissions, "correct", "main.cpp"), os.path.join(submissions, "off_by_one"))
            graded = grade(easel_grade, "run", os.path.join(copy, "tests"), submissions, out, "--sshlogin", logins,
                           env=environment)
            expected = {(shown(name.encode()), script): "passed" for name in odd + ["correct", "off_by_one"]
                        for script in ("clear", "clicks", "square")}
            expected.update({(("a b" if changed else "off_by_one"), script): "differs"
                             for script in ("clear", "clicks", "square")})
            if statuses(out) != expected:
                fail("--sshlogin %s: %s\n%s" % (logins, statuses(out), graded.stderr))
            left = [path for path in glob.glob(os.path.join(home, ".easel-grade-*"))
                    if not os.path.exists("/proc/" + creator(path))]  # other runs may be going on
            if left:
                fail("left on the second machine: %s" % left)
    if glob.glob(os.path.join(out, "results", "off_by_one", "*", "*.png")):
        fail("an earlier run's pictures came back")
    check_links(out)


def main(check, easel_grade, docs_dir, hostile_dir):
    missing = [tool for tool in ("bwrap", "parallel") if not shutil.which(tool)]
    if missing:
        print("SKIP: %s not installed (Debian packages bubblewrap, parallel)" % " and ".join(missing))
        return SKIPPED
    with tempfile.TemporaryDirectory(prefix="grade-test-") as work:
        return globals()[check](work, easel_grade, docs_dir, hostile_dir) or 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
