#!/usr/bin/env python3
"""easel-grade end to end: grade_test.py CHECK EASEL_GRADE DOCS_EXAMPLE_DIR HOSTILE_DIR

CHECK is worked_example (grades as docs/grading.md says, three runs alike), hostile (every hostile sample is
contained and recorded) or unprivileged (the path without root). Exits 77 when bwrap or parallel is missing.
"""

import csv
import glob
import os
import shutil
import socket
import subprocess
import sys
import tempfile
from html.parser import HTMLParser
from urllib.parse import unquote

SKIPPED = 77
TIMEOUT = ["--timeout", "5"]


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def grade(easel_grade, *arguments, user=None):
    command = [easel_grade] + TIMEOUT + list(arguments)
    if user:
        command = ["setpriv", "--reuid", user, "--regid", user, "--clear-groups"] + command
    return subprocess.run(command, capture_output=True, text=True)


def statuses(out_dir):
    """(submission, script) -> status, from results.csv."""
    with open(os.path.join(out_dir, "results.csv")) as table:
        return {(row["submission"], row["script"]): row["status"] for row in csv.DictReader(table)}


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
    parser.feed(open(os.path.join(out_dir, "index.html")).read())
    missing = [path for path in parser.found if not os.path.isfile(os.path.join(out_dir, unquote(path)))]
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


def everything_in(out_dir, submission):
    return b"".join(open(path, "rb").read()
                    for path in glob.glob(os.path.join(out_dir, "results", submission, "**", "*.txt"), recursive=True))


def check_contained(out_dir, copy, hostile_names):
    """No output of a hostile submission shows a secret; nothing was written outside the sandbox."""
    secrets = [b"root:x:0:0", b"PNG"] + [open(path, "rb").readline().strip() for path in
                                         glob.glob(os.path.join(copy, "*", "*", "main.cpp"))
                                         if open(path, "rb").read(2) == b"//"]
    for name in hostile_names:
        shown = everything_in(out_dir, name)
        own = open(os.path.join(copy, "submissions", name, "main.cpp"), "rb").readline().strip()
        leaked = [secret for secret in secrets if secret in shown and secret != own]
        if leaked:
            fail("%s shows %s" % (name, leaked))
    escaped = ["/escaped.txt", "/usr/escaped.txt"] + glob.glob(os.path.join(copy, "**", "escaped.txt"), recursive=True)
    if any(os.path.exists(path) for path in escaped):
        fail("a submission wrote outside its directory")


def hostile(work, easel_grade, docs_dir, hostile_dir):
    copy = example(work, docs_dir, easel_grade)
    submissions = os.path.join(copy, "submissions")
    for sample in os.listdir(hostile_dir):
        shutil.copytree(os.path.join(hostile_dir, sample), os.path.join(submissions, sample))
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen()
    listener.setblocking(False)
    with open(os.path.join(submissions, "connect", "port.txt"), "w") as port:
        port.write(str(listener.getsockname()[1]))
    out = os.path.join(work, "out")
    graded = grade(easel_grade, "run", os.path.join(copy, "tests"), submissions, out, "--jobs", "2")
    results = statuses(out)
    expected = dict(documented(docs_dir))
    for script in ("clear", "clicks", "square"):
        expected.update({("flood_output", script): "output-limit", ("fill_disk", script): "disk-limit",
                         ("hog_memory", script): "memory-limit", ("connect", script): "exit-status",
                         ("include_secrets", script): "build-failed"})
    if graded.returncode != 1 or results != expected:
        fail("status %d, results %s, expected %s" % (graded.returncode, results, expected))
    try:
        listener.accept()
        fail("a submission reached a listener on 127.0.0.1")
    except BlockingIOError:
        pass
    check_contained(out, copy, ["hostile", "include_secrets", "connect"])
    groups = glob.glob("/sys/fs/cgroup/*/easel-grade-*") + glob.glob("/sys/fs/cgroup/easel-grade-*")
    left = [group for group in groups if not os.path.exists("/proc/" + group.split("-")[-2])]
    if left:
        fail("control groups left behind: %s" % left)


def unprivileged(work, easel_grade, docs_dir, _):
    """Without root: no control groups, no private mounts; the sandbox and the rlimits still hold."""
    user = None
    if os.getuid() == 0:
        user = "65534"
        readable = ["setpriv", "--reuid", user, "--regid", user, "--clear-groups", "test", "-r", easel_grade]
        if not shutil.which("setpriv") or subprocess.run(readable).returncode != 0:
            print("SKIP: user %s cannot read %s (or setpriv is missing)" % (user, easel_grade))
            return SKIPPED
        os.chmod(work, 0o777)
    copy = example(work, docs_dir, easel_grade)
    submissions = os.path.join(copy, "submissions")
    for name in ("off_by_one", "hanging"):
        shutil.rmtree(os.path.join(submissions, name))
    out = os.path.join(work, "out")
    os.mkdir(out)
    os.chmod(out, 0o777)
    graded = grade(easel_grade, "run", os.path.join(copy, "tests"), submissions, out, "--jobs", "2", user=user)
    results = statuses(out)
    expected = {key: status for key, status in documented(docs_dir).items() if key[0] in ("correct", "crashing")}
    if graded.returncode != 1 or any(results[key] != status for key, status in expected.items()):
        fail("status %d, results %s\n%s" % (graded.returncode, results, graded.stderr))
    if results[("hostile", "clicks")] == "passed":
        fail("a fork without end passed")
    check_contained(out, copy, ["hostile"])


def main(check, easel_grade, docs_dir, hostile_dir):
    missing = [tool for tool in ("bwrap", "parallel") if not shutil.which(tool)]
    if missing:
        print("SKIP: %s not installed (Debian packages bubblewrap, parallel)" % " and ".join(missing))
        return SKIPPED
    with tempfile.TemporaryDirectory(prefix="grade-test-") as work:
        return globals()[check](work, easel_grade, docs_dir, hostile_dir) or 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
