#!/usr/bin/python3
"""easel-play: a class playground. Students sign in with a browser, write their program, run it in the
page and hand it in; the teacher sees the class and grades the hand-ins with easel-grade.

    easel-play serve CLASS_DIR [--port N] [--bind ADDR] [--workers N] [--sshlogin LOGINS] [--compile-seconds S]
    easel-play compile [--compile-seconds S]   (what a server runs on another machine)

docs/playground.md is the manual; play/README.md tells how it works.
"""

import argparse
import asyncio
import base64
import concurrent.futures
import csv
import hashlib
import hmac
import importlib.machinery
import importlib.util
import json
import os
import queue
import re
import secrets
import shlex
import shutil
import sqlite3
import subprocess
import sys
import tempfile
import time

from aiohttp import web


def beside_me(path):
    """A path the build gave, relative to this script's directory unless absolute."""
    return os.path.normpath(os.path.join(os.path.dirname(os.path.realpath(__file__)), path))


# Filled in by the build: easel-grade (whose sandbox compiles), the library for the browser, its header
# and page files, and the playground's own page.
GRADE = beside_me("@EASEL_PLAY_GRADE@")
WEB_LIBRARY = beside_me("@EASEL_PLAY_WEB_LIBRARY@")
INCLUDE_DIR = beside_me("@EASEL_PLAY_INCLUDE_DIR@")
WEB_DIR = beside_me("@EASEL_PLAY_WEB_DIR@")
CLIENT_DIR = beside_me("@EASEL_PLAY_CLIENT@")

TEACHER = "teacher"
COOKIE = "easel_play"
SESSION_SECONDS = 12 * 3600  # a school day: then the student signs in again
REQUEST_BYTES = 256 * 1024
FILE_BYTES = 64 * 1024
FILES_PER_STUDENT = 16
RUNS_KEPT = 2  # pages of runs kept per student: the last one and the one before, still open in a page
# A student's name is a folder of the submissions: letters, digits, _ - and . inside.
NAME = re.compile(r"^[^\W][\w.-]{0,63}$")
FILE_NAME = re.compile(r"^[A-Za-z0-9_][A-Za-z0-9_-]{0,47}\.(cpp|cc|hpp|h|txt)$")
# em++'s own line after a failed compile repeats the whole clang command: nothing for a student.
COMPILER_FAILED = re.compile(r"^em\+\+: error: '.*' failed \(returned \d+\)\n", re.M)
DIAGNOSTIC = re.compile(r"^(?:\./)?([A-Za-z0-9_.-]+):(\d+):(\d+): (?:fatal )?(error|warning|note): (.*)$", re.M)
STARTER = """#include "graphics.hpp"

using namespace easel;

int main() {
    gout.open(200, 200);
    gout << move_to(90, 90) << color(255, 0, 0) << box(20, 20) << refresh;
    event ev;
    while (gin >> ev) {
    }
    return 0;
}
"""


def load_grade():
    """easel-grade as a module: its sandbox, limits and tree copying are the ones Run uses."""
    loader = importlib.machinery.SourceFileLoader("easel_grade", GRADE)
    module = importlib.util.module_from_spec(importlib.util.spec_from_loader("easel_grade", loader))
    loader.exec_module(module)
    return module


grade = load_grade()


def hashed(secret):
    return hashlib.sha256(secret.encode()).hexdigest()


# ---------------------------------------------------------------------------------------------- store

SCHEMA = """
CREATE TABLE IF NOT EXISTS accounts (name TEXT PRIMARY KEY, secret_hash TEXT NOT NULL, teacher INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS sessions (token_hash TEXT PRIMARY KEY, name TEXT NOT NULL, made REAL NOT NULL);
CREATE TABLE IF NOT EXISTS versions (name TEXT NOT NULL, file TEXT NOT NULL, version INTEGER NOT NULL,
    content TEXT NOT NULL, saved REAL NOT NULL, PRIMARY KEY (name, file, version));
CREATE TABLE IF NOT EXISTS runs (id TEXT PRIMARY KEY, name TEXT NOT NULL, started REAL NOT NULL,
    seconds REAL, status TEXT NOT NULL, diagnostics TEXT NOT NULL DEFAULT '[]');
CREATE TABLE IF NOT EXISTS handins (name TEXT PRIMARY KEY, handed REAL NOT NULL, files TEXT NOT NULL);
"""


class Store:
    """Accounts, sessions, every saved version of every file, runs and hand-ins, in CLASS_DIR/play.sqlite."""

    def __init__(self, path):
        self.db = sqlite3.connect(path, isolation_level=None)
        self.db.execute("PRAGMA journal_mode=WAL")
        self.db.executescript(SCHEMA)

    def add_account(self, name, teacher):
        """A new account with a fresh secret, returned; None when the name has one already."""
        secret = secrets.token_urlsafe(12)
        try:
            self.db.execute("INSERT INTO accounts VALUES (?, ?, ?)", (name, hashed(secret), int(teacher)))
        except sqlite3.IntegrityError:
            return None
        return secret

    def sign_in(self, name, secret):
        row = self.db.execute("SELECT secret_hash FROM accounts WHERE name = ?", (name,)).fetchone()
        # Compared in constant time; an unknown name costs the same as a wrong secret.
        if not hmac.compare_digest(row[0] if row else hashed(""), hashed(secret)) or not row:
            return None
        token = secrets.token_urlsafe(32)
        self.db.execute("INSERT INTO sessions VALUES (?, ?, ?)", (hashed(token), name, time.time()))
        return token

    def session(self, token):
        """(name, is teacher) of a session token, or None."""
        row = self.db.execute("SELECT a.name, a.teacher FROM sessions s JOIN accounts a ON a.name = s.name "
                              "WHERE s.token_hash = ? AND s.made > ?",
                              (hashed(token), time.time() - SESSION_SECONDS)).fetchone()
        return (row[0], bool(row[1])) if row else None

    def students(self):
        return [row[0] for row in self.db.execute("SELECT name FROM accounts WHERE teacher = 0 ORDER BY name")]

    def files(self, name):
        """{file: (version, content)}: the latest version of each of a student's files."""
        rows = self.db.execute("SELECT file, version, content FROM versions v WHERE name = ? AND version = "
                               "(SELECT MAX(version) FROM versions WHERE name = v.name AND file = v.file) "
                               "ORDER BY file", (name,))
        return {file: (version, content) for file, version, content in rows}

    def save(self, name, file, content):
        with self.db:
            self.db.execute("BEGIN IMMEDIATE")
            version = self.db.execute("SELECT COALESCE(MAX(version), 0) + 1 FROM versions WHERE name = ? AND file = ?",
                                      (name, file)).fetchone()[0]
            self.db.execute("INSERT INTO versions VALUES (?, ?, ?, ?, ?)", (name, file, version, content, time.time()))
        return version

    def history(self, name, file):
        return [{"version": v, "saved": s, "bytes": n} for v, s, n in self.db.execute(
            "SELECT version, saved, LENGTH(CAST(content AS BLOB)) FROM versions WHERE name = ? AND file = ? "
            "ORDER BY version", (name, file))]

    def version(self, name, file, version):
        row = self.db.execute("SELECT content FROM versions WHERE name = ? AND file = ? AND version = ?",
                              (name, file, version)).fetchone()
        return row[0] if row else None

    def start_run(self, run_id, name):
        self.db.execute("INSERT INTO runs (id, name, started, status) VALUES (?, ?, ?, 'queued')",
                        (run_id, name, time.time()))

    def end_run(self, run_id, status, seconds, diagnostics):
        self.db.execute("UPDATE runs SET status = ?, seconds = ?, diagnostics = ? WHERE id = ?",
                        (status, seconds, json.dumps(diagnostics), run_id))

    def old_runs(self, name, kept):
        return [row[0] for row in self.db.execute("SELECT id FROM runs WHERE name = ? ORDER BY started DESC "
                                                  "LIMIT -1 OFFSET ?", (name, kept))]

    def hand_in(self, name, files):
        self.db.execute("INSERT OR REPLACE INTO handins VALUES (?, ?, ?)", (name, time.time(), json.dumps(files)))

    def overview(self):
        """A row per student: the last run and the hand-in."""
        rows = []
        for name in self.students():
            run = self.db.execute("SELECT started, status, seconds FROM runs WHERE name = ? ORDER BY started DESC "
                                  "LIMIT 1", (name,)).fetchone()
            handin = self.db.execute("SELECT handed, files FROM handins WHERE name = ?", (name,)).fetchone()
            rows.append({"name": name,
                         "last_run": {"started": run[0], "status": run[1], "seconds": run[2]} if run else None,
                         "handed_in": {"at": handin[0], "files": json.loads(handin[1])} if handin else None})
        return rows


# ---------------------------------------------------------------------------------------------- class

def read_roster(class_dir):
    """The student names of CLASS_DIR/roster.txt, one a line (# starts a comment). Refuses bad names."""
    path = os.path.join(class_dir, "roster.txt")
    if not os.path.isfile(path):
        raise SystemExit("easel-play: %s is missing: write the students' names into it, one a line" % path)
    names = []
    for number, line in enumerate(open(path, encoding="utf-8"), 1):
        name = line.split("#", 1)[0].strip()
        if not name:
            continue
        if not NAME.match(name) or name == TEACHER:
            raise SystemExit("easel-play: %s:%d: %r: a name is letters, digits, _ - and . (not first), at most 64, "
                             "and not %r" % (path, number, name, TEACHER))
        names.append(name)
    return names


def enrol(store, class_dir):
    """Accounts for the teacher and every student of the roster that has none yet; their secrets are
    added to CLASS_DIR/secrets.txt (readable by the teacher alone), the only place they are kept."""
    fresh = []
    for name, teacher in [(TEACHER, True)] + [(name, False) for name in read_roster(class_dir)]:
        secret = store.add_account(name, teacher)
        if secret:
            fresh.append("%s\t%s\n" % (name, secret))
    if fresh:
        path = os.path.join(class_dir, "secrets.txt")
        fd = os.open(path, os.O_WRONLY | os.O_APPEND | os.O_CREAT | os.O_NOFOLLOW, 0o600)
        with os.fdopen(fd, "a") as out:
            out.writelines(fresh)
        print("easel-play: %d new secret(s) in %s" % (len(fresh), path))


# ---------------------------------------------------------------------------------------------- compiling

# -O1: half the compiler's time of -O2 (most of it in the link's optimiser), for a page that starts at once.
COMPILE_FLAGS = ["-std=c++17", "-O1", "-Wall", "-sASYNCIFY", "-sASYNCIFY_IMPORTS=['easel_web_sleep']",
                 "-sEXIT_RUNTIME=1", "-sALLOW_MEMORY_GROWTH=1", "-sMINIFY_HTML=0"]
# em++ in the sandbox: Debian's acorn for its optimizer, no OpenSSL configuration (there is no /etc),
# the cache as it is (a library missing from it is an error, never a write), and no sanity check of the
# toolchain, which would start node and clang four times per compile to find what make play checked.
COMPILE_ENVIRONMENT = ["/usr/bin/env", "NODE_PATH=/usr/share/nodejs", "OPENSSL_CONF=/dev/null", "EM_FROZEN_CACHE=1",
                       "EMCC_SKIP_SANITY_CHECK=1"]
# The shell in front of em++ notes the CPU time of the whole compile (every process the sandbox's own
# process ids hide from this one's accounting) in a file beside the page.
CPU_FILE = ".cpu-seconds"
TIMED = ["/bin/sh", "-c", 'em++ "$@"; status=$?; times > %s; exit $status' % CPU_FILE, "em++"]
PAGE_FILES = ("program.html", "program.js", "program.wasm")
PIPE_MB = 8  # the most a compile's request to another machine takes: 16 files of 64 KB, JSON-escaped
STATUSES = ("ok", "compile-error") + grade.LIMIT_STATUSES


def compile_command():
    return COMPILE_ENVIRONMENT + TIMED + COMPILE_FLAGS + [
        "-I" + INCLUDE_DIR, "--js-library=" + os.path.join(WEB_DIR, "easel_web.js"),
        "--shell-file=" + os.path.join(WEB_DIR, "shell.html")]


def diagnostics(log):
    return [{"file": file, "line": int(line), "column": int(column), "severity": severity, "message": message}
            for file, line, column, severity, message in DIAGNOSTIC.findall(log)]


def outcome(status, seconds, log, cpu_seconds=0.0):
    """What a compile tells: its status, wall and CPU seconds, the compiler's messages and where they point."""
    return {"status": status, "seconds": seconds, "cpu_seconds": cpu_seconds, "log": log,
            "diagnostics": diagnostics(log)}


def cpu_seconds(box_fd):
    """The children's user and system time that `times` noted, or 0 when the compile did not get that far."""
    try:
        fd = grade.open_regular(box_fd, CPU_FILE, 4096)
    except OSError:
        return 0.0
    with os.fdopen(fd, encoding="ascii", errors="replace") as noted:
        lines = noted.read().splitlines()
    times = re.findall(r"(\d+)m([\d.]+)s", lines[1] if len(lines) > 1 else "")
    return round(sum(int(minutes) * 60 + float(seconds) for minutes, seconds in times), 2)


def copy_page(source_fd, page_dir):
    """The page's files out of a folder a compile wrote: regular files only, never through a link."""
    os.makedirs(page_dir)
    for name in PAGE_FILES:
        fd = grade.open_regular(source_fd, name, grade.SAVED_FILE_BYTES)
        grade.copy_out(fd, os.path.join(page_dir, name), os.fstat(fd).st_size)


HEADER = "graphics.hpp"
# A source that starts with the library's include, after nothing but blanks and comments (a // comment
# that ends in a backslash goes on to the next line, so it does not count).
# Each of the three parts can be read one way only: the match takes linear time whatever the text.
STARTS_WITH_HEADER = re.compile(r'(?:\s|//[^\n]*(?<!\\)\n|/\*(?:[^*]|\*(?!/))*\*/)*'
                                r'#[ \t]*include[ \t]*"graphics\.hpp"[ \t]*(?:\n|$|//)')


def headers_stamp():
    return sorted((entry.name, entry.stat().st_mtime_ns, entry.stat().st_size) for entry in os.scandir(INCLUDE_DIR)
                  if entry.name.endswith(".hpp"))


class PrecompiledHeader:
    """graphics.hpp compiled once, when the server starts, with the flags of every Run: a Run whose every
    source starts with its include reads it from there (nearly half a compile's CPU time saved) and builds
    the same program. Used only while the headers are as they were then."""

    def __init__(self):
        self.dir = tempfile.mkdtemp(prefix="%s%d-play-header-" % (grade.LEFTOVER_PREFIX, os.getpid()))
        os.chmod(self.dir, 0o755)  # the sandbox's user reads it
        self.path = os.path.join(self.dir, HEADER + ".pch")
        self.stamp = headers_stamp()
        made = subprocess.run(COMPILE_ENVIRONMENT + ["em++"] + COMPILE_FLAGS + ["-I" + INCLUDE_DIR, "-x", "c++-header",
                              os.path.join(INCLUDE_DIR, HEADER), "-o", self.path], capture_output=True)
        if made.returncode != 0:
            print("easel-play: compiles read graphics.hpp themselves: it does not precompile:\n"
                  + made.stderr.decode(errors="replace"), file=sys.stderr)
            self.path = None

    def flags(self, files):
        """-include-pch for a Run of these files, or nothing."""
        sources = [content for name, content in files.items() if name.endswith((".cpp", ".cc"))]
        if (self.path is None or HEADER in files or not all(STARTS_WITH_HEADER.match(text) for text in sources)
                or headers_stamp() != self.stamp):
            return []
        return ["-include-pch", self.path]

    def close(self):
        grade.remove_tree(self.dir)


def compile_program(files, page_dir, limits, header=None):
    """Compiles a student's files with em++ in easel-grade's sandbox, in a scratch folder that holds
    those files alone, with the precompiled header when it serves; the page's files go into page_dir.
    Returns the outcome."""
    sources = sorted(name for name in files if name.endswith((".cpp", ".cc")))
    if not sources:
        return outcome("compile-error", 0.0, "There is no .cpp file to compile.\n")
    scratch = tempfile.mkdtemp(prefix="%s%d-play-" % (grade.LEFTOVER_PREFIX, os.getpid()))
    try:
        box = os.path.join(scratch, "box")
        os.mkdir(box)
        for name, content in files.items():
            with open(os.path.join(box, name), "w", encoding="utf-8") as out:
                out.write(content)
        log_path = os.path.join(scratch, "log.txt")
        grade.hand_over(box)
        # The sandbox shows the browser build's header, library and page files besides easel-grade's own.
        precompiled = header.flags(files) if header else []
        shown = [INCLUDE_DIR, WEB_DIR, WEB_LIBRARY] + ([header.dir] if precompiled else [])
        command = (grade.sandbox(box, limits, shown) + compile_command() + precompiled + sources
                   + [WEB_LIBRARY, "-o", "program.html"])
        status, limit_hit, seconds = grade.run_bounded(command, box, limits, log_path)
        log = COMPILER_FAILED.sub("", open(log_path, encoding="utf-8", errors="replace").read())
        box_fd = os.open(box, os.O_RDONLY | os.O_DIRECTORY | os.O_NOFOLLOW)
        try:
            cpu = cpu_seconds(box_fd)
            if limit_hit:
                return outcome(limit_hit[0], seconds, log + "The compiler was stopped: %s.\n" % limit_hit[1], cpu)
            if status != 0:
                return outcome("compile-error", seconds, log, cpu)
            copy_page(box_fd, page_dir)
        finally:
            os.close(box_fd)
        return outcome("ok", seconds, log, cpu)
    finally:
        grade.remove_tree(scratch)


# ---------------------------------------------------------------------------------------------- other machines

def compile_slots(sshlogin, workers):
    """One entry per compile that may run at once: None for this machine, a login for another. sshlogin
    is GNU parallel's list (`N/login`, `:` this machine); an entry without N/ takes --workers here and
    the number of its cores on another machine."""
    if not sshlogin:
        return [None] * workers
    slots = []
    for entry in (entry.strip() for entry in sshlogin.split(",")):
        if not entry:
            continue
        count, _, login = entry.partition("/") if re.match(r"^\d+/", entry) else ("", "", entry)
        login = None if login == ":" else login
        slots += [login] * (int(count) if count else workers if login is None else remote_cores(login))
    if not slots:
        raise SystemExit("easel-play: --sshlogin %r names no machine" % sshlogin)
    return slots


class SshRoute:
    """GNU parallel over ssh, the way easel-grade reaches its machines (PARALLEL_SSH names the ssh command),
    with one connection per machine kept open between compiles (ssh's ControlMaster) in a folder of
    this server's."""

    def __init__(self):
        self.sockets = tempfile.mkdtemp(prefix="%s%d-play-ssh-" % (grade.LEFTOVER_PREFIX, os.getpid()))
        self.ssh = "%s -o ControlPath=%s/%%C" % (os.environ.get("PARALLEL_SSH", "ssh"), self.sockets)
        # A connection idle for a minute closes; one in use stays.
        self.environment = dict(os.environ, PARALLEL_SSH=self.ssh + " -o ControlMaster=auto -o ControlPersist=60")

    def parallel(self, login, options, command, request=b"", timeout=None):
        return subprocess.run(["parallel", "--will-cite", "--sshlogin", login] + options + command, input=request,
                              env=self.environment, capture_output=True, timeout=timeout)

    def close(self, logins):
        """Closes the kept connections, which would otherwise outlive the server by a minute."""
        for login in logins:
            subprocess.run(shlex.split(self.ssh) + ["-O", "exit", login], capture_output=True, timeout=30, check=False)
        grade.remove_tree(self.sockets)


ssh_route = None  # made by serve when --sshlogin names another machine


def remote_cores(login):
    answer = ssh_route.parallel("1/" + login, ["--nonall"], ["nproc"], timeout=60)
    if answer.returncode != 0 or not answer.stdout.strip().isdigit():
        raise SystemExit("easel-play: %s does not answer over ssh (or has no nproc): %s"
                         % (login, answer.stderr.decode(errors="replace").strip()))
    return int(answer.stdout)


class NoAnswer(Exception):
    """Another machine gave no outcome of a compile."""


def compile_remotely(login, files, page_dir, limits):
    """Compiles on another machine in its sandbox: GNU parallel takes the student's files to `easel-play
    compile` there over ssh and brings back the outcome with the page, one round trip on the kept
    connection; the compile's work folder there is its own scratch folder, gone when it ends. Raises
    NoAnswer when the machine gave no outcome."""
    request = json.dumps({"files": files}, ensure_ascii=False).encode() + b"\n"  # one line: one block, one job
    command = ["easel-play", "compile", "--compile-seconds", str(limits["wall"])]
    try:
        answer = ssh_route.parallel("1/" + login, ["--pipe", "--block", "%dM" % PIPE_MB], command, request,
                                    timeout=limits["wall"] + 60)
    except subprocess.TimeoutExpired:
        raise NoAnswer("no answer within %d s" % (limits["wall"] + 60))
    lines = answer.stdout.strip().splitlines()
    failed = NoAnswer((answer.stderr.decode(errors="replace").strip().splitlines() or ["no outcome"])[-1])
    try:
        result = json.loads(lines[-1]) if lines else None
        if not (isinstance(result, dict) and result.get("status") in STATUSES and isinstance(result.get("log"), str)
                and all(isinstance(result.get(key), (int, float)) for key in ("seconds", "cpu_seconds"))):
            raise failed
        if result["status"] == "ok":
            pages = {name: base64.b64decode(result["page"][name], validate=True) for name in PAGE_FILES}
            os.makedirs(page_dir)
            for name, content in pages.items():
                with open(os.path.join(page_dir, name), "wb") as out:
                    out.write(content)
    except (ValueError, TypeError, KeyError):
        raise failed
    return outcome(result["status"], float(result["seconds"]), result["log"], float(result["cpu_seconds"]))


def compile_for_another(args):
    """`easel-play compile`, what a server runs on another machine: the student's files as JSON on standard
    input ({"files": {name: text}}), the outcome with the page's files (base64) as one JSON line out."""
    files = json.loads(sys.stdin.buffer.read(PIPE_MB << 20))["files"]
    if len(files) > FILES_PER_STUDENT or not all(FILE_NAME.match(name) and isinstance(text, str)
                                                 and len(text.encode()) <= FILE_BYTES for name, text in files.items()):
        raise SystemExit("easel-play compile: at most %d files of a student's names and sizes" % FILES_PER_STUDENT)
    scratch = tempfile.mkdtemp(prefix="%s%d-play-" % (grade.LEFTOVER_PREFIX, os.getpid()))
    try:
        page_dir = os.path.join(scratch, "page")
        result = compile_program(files, page_dir, dict(grade.BUILD_LIMITS, wall=args.compile_seconds))
        del result["diagnostics"]  # the server reads them from the log
        if result["status"] == "ok":
            result["page"] = {}
            for name in PAGE_FILES:
                with open(os.path.join(page_dir, name), "rb") as page:
                    result["page"][name] = base64.b64encode(page.read()).decode()
    finally:
        grade.remove_tree(scratch)
    sys.stdout.write(json.dumps(result) + "\n")
    return 0


class Compilers:
    """The bounded pool of compile workers: one thread per slot, here or on another machine. Compiles beyond
    the slots wait in the executor's queue, first come first served; each takes whichever slot is free."""

    def __init__(self, slots, limits, header):
        self.header = header
        self.free = queue.SimpleQueue()
        for slot in sorted(slots, key=lambda login: login is not None):  # this machine's first: no ssh on the way
            self.free.put(slot)
        self.pool = concurrent.futures.ThreadPoolExecutor(max_workers=len(slots), thread_name_prefix="compile")
        self.limits = limits

    def submit(self, files, page_dir):
        return asyncio.wrap_future(self.pool.submit(self.compile, files, page_dir))

    def compile(self, files, page_dir):
        login = self.free.get()
        try:
            if login is not None:
                try:
                    return compile_remotely(login, files, page_dir, self.limits)
                except NoAnswer as reason:
                    print("easel-play: %s did not compile (%s): compiling here" % (login, reason), file=sys.stderr,
                          flush=True)
            return compile_program(files, page_dir, self.limits, self.header)
        finally:
            self.free.put(login)


# ---------------------------------------------------------------------------------------------- server

class Playground:
    def __init__(self, class_dir, compilers, grade_options):
        self.class_dir = os.path.realpath(class_dir)
        self.store = Store(os.path.join(self.class_dir, "play.sqlite"))
        enrol(self.store, self.class_dir)
        self.runs_dir = os.path.join(self.class_dir, "runs")
        self.submissions = os.path.join(self.class_dir, "submissions")
        self.staging = os.path.join(self.class_dir, "staging")
        for path in (self.runs_dir, self.submissions, self.staging):
            os.makedirs(path, exist_ok=True)
        self.compilers = compilers
        self.grade_options = grade_options  # the machines Grade uses: those compiles use
        self.running = set()  # students with a run on its way
        self.grading = asyncio.Lock()

    # ------------------------------------------------------------------ who asks

    def who(self, request):
        token = request.cookies.get(COOKIE)
        found = self.store.session(token) if token else None
        if not found:
            raise web.HTTPUnauthorized(text=json.dumps({"error": "sign in first"}), content_type="application/json")
        return found

    def student(self, request):
        name, teacher = self.who(request)
        if teacher:
            raise web.HTTPForbidden(text=json.dumps({"error": "for students"}), content_type="application/json")
        return name

    def teacher(self, request):
        name, teacher = self.who(request)
        if not teacher:
            raise web.HTTPForbidden(text=json.dumps({"error": "for the teacher"}), content_type="application/json")
        return name

    @staticmethod
    async def body(request):
        try:
            data = await request.json()
        except ValueError:
            data = None
        if not isinstance(data, dict):
            raise web.HTTPBadRequest(text=json.dumps({"error": "send a JSON object"}), content_type="application/json")
        return data

    @staticmethod
    def file_name(request):
        name = request.match_info["file"]
        if not FILE_NAME.match(name):
            raise web.HTTPBadRequest(text=json.dumps({"error": "a file name is letters, digits, _ and - with "
                                                               ".cpp, .cc, .hpp, .h or .txt"}),
                                     content_type="application/json")
        return name

    # ------------------------------------------------------------------ students

    async def sign_in(self, request):
        data = await self.body(request)
        name, secret = data.get("name"), data.get("secret")
        token = self.store.sign_in(name, secret) if isinstance(name, str) and isinstance(secret, str) else None
        if not token:
            return web.json_response({"error": "that name and secret do not match"}, status=403)
        response = web.json_response({"name": name, "teacher": name == TEACHER})
        response.set_cookie(COOKIE, token, httponly=True, samesite="Strict", path="/")
        return response

    async def me(self, request):
        name, teacher = self.who(request)
        return web.json_response({"name": name, "teacher": teacher})

    async def files(self, request):
        name = self.student(request)
        files = self.store.files(name)
        if not files:
            self.store.save(name, "main.cpp", STARTER)
            files = self.store.files(name)
        return web.json_response({"files": [{"name": file, "version": version, "content": content}
                                            for file, (version, content) in files.items()]})

    async def save(self, request):
        name, file = self.student(request), self.file_name(request)
        content = (await self.body(request)).get("content")
        if not isinstance(content, str) or len(content.encode()) > FILE_BYTES:
            return web.json_response({"error": "a file is text of at most %d KB" % (FILE_BYTES // 1024)}, status=413)
        if file not in self.store.files(name) and len(self.store.files(name)) >= FILES_PER_STUDENT:
            return web.json_response({"error": "at most %d files" % FILES_PER_STUDENT}, status=413)
        return web.json_response({"version": self.store.save(name, file, content)})

    async def history(self, request):
        name, file = self.student(request), self.file_name(request)
        return web.json_response({"versions": self.store.history(name, file)})

    async def old_version(self, request):
        name, file = self.student(request), self.file_name(request)
        version = request.match_info["version"]
        content = self.store.version(name, file, int(version)) if version.isdigit() and len(version) < 10 else None
        if content is None:
            raise web.HTTPNotFound()
        return web.json_response({"version": int(version), "content": content})

    async def run(self, request):
        """Compiles the student's saved files; answers when the compile ends, in the order Runs came."""
        name = self.student(request)
        if name in self.running:
            return web.json_response({"error": "a run is already on its way"}, status=429)
        self.running.add(name)
        try:
            files = {file: content for file, (_, content) in self.store.files(name).items()}
            run_id = secrets.token_hex(16)
            self.store.start_run(run_id, name)
            page_dir = os.path.join(self.runs_dir, run_id)
            try:
                result = await self.compilers.submit(files, page_dir)
            except Exception as reason:  # the run ends, not left queued; the server goes on
                self.store.end_run(run_id, "failed", 0.0, [])
                print("easel-play: a compile of %s failed: %s" % (name, reason), file=sys.stderr, flush=True)
                return web.json_response({"error": "the compile could not be done: try again, or tell your teacher"},
                                         status=500)
            self.store.end_run(run_id, result["status"], result["seconds"], result["diagnostics"])
            for old in self.store.old_runs(name, RUNS_KEPT):
                grade.remove_tree(os.path.join(self.runs_dir, old))
        finally:
            self.running.discard(name)
        return web.json_response(dict(result, seconds=round(result["seconds"], 2),
                                      page="/runs/%s/program.html" % run_id if result["status"] == "ok" else None))

    async def run_file(self, request):
        """A run's page. It runs the student's program, so it gets an origin of its own (sandbox): it can
        neither read the playground's cookie nor call its API as whoever opened it."""
        run_id, file = request.match_info["run"], request.match_info["file"]
        if not re.fullmatch(r"[0-9a-f]{32}", run_id) or file not in PAGE_FILES:
            raise web.HTTPNotFound()
        path = os.path.join(self.runs_dir, run_id, file)
        if not os.path.isfile(path):
            raise web.HTTPNotFound()
        return web.FileResponse(path, headers={
            "Content-Security-Policy": "sandbox allow-scripts allow-downloads",
            "Access-Control-Allow-Origin": "*", "Cache-Control": "no-store",
            "Content-Type": {"html": "text/html", "js": "text/javascript", "wasm": "application/wasm"}[
                file.rsplit(".", 1)[1]]})

    async def hand_in(self, request):
        """The student's saved files become their folder of the class's submissions, as easel-grade reads them."""
        name = self.student(request)
        files = {file: content for file, (_, content) in self.store.files(name).items()}
        if not any(file.endswith((".cpp", ".cc")) for file in files):
            return web.json_response({"error": "there is no .cpp file to hand in"}, status=400)
        async with self.grading:  # a grading run sees a hand-in whole or not at all
            staging = tempfile.mkdtemp(prefix="handin-", dir=self.staging)
            folder = os.path.join(staging, "new")
            os.mkdir(folder)
            for file, content in files.items():
                with open(os.path.join(folder, file), "w", encoding="utf-8") as out:
                    out.write(content)
            target = os.path.join(self.submissions, name)
            if os.path.isdir(target) and not os.path.islink(target):
                os.rename(target, os.path.join(staging, "old"))
            os.rename(folder, target)
            grade.remove_tree(staging)
            self.store.hand_in(name, sorted(files))
        return web.json_response({"files": sorted(files)})

    # ------------------------------------------------------------------ teacher

    async def students(self, request):
        self.teacher(request)
        return web.json_response({"students": self.store.overview()})

    async def grade_class(self, request):
        """easel-grade on the hand-ins against the teacher's tests (CLASS_DIR/tests), into CLASS_DIR/report."""
        self.teacher(request)
        tests, report = os.path.join(self.class_dir, "tests"), os.path.join(self.class_dir, "report")
        async with self.grading:
            process = await asyncio.create_subprocess_exec(
                sys.executable, GRADE, "run", tests, self.submissions, report, *self.grade_options,
                stdout=asyncio.subprocess.PIPE, stderr=asyncio.subprocess.PIPE)
            out, err = await process.communicate()
        if process.returncode not in (0, 1):
            return web.json_response({"error": (err or out).decode(errors="replace").strip()}, status=500)
        with open(os.path.join(report, "results.csv"), encoding="utf-8") as table:
            rows = [{key: row[key] for key in ("submission", "script", "status", "reason")}
                    for row in csv.DictReader(table)]
        return web.json_response({"summary": out.decode(errors="replace").strip().split(";")[0], "rows": rows,
                                  "report": "/report/index.html"})

    async def report_file(self, request):
        """A file of easel-grade's report (regular files only, beneath the report), for the teacher."""
        self.teacher(request)
        report = os.path.join(self.class_dir, "report")
        parts = request.match_info["path"].split("/")
        if any(part in ("", ".", "..") or part.startswith(".") for part in parts):
            raise web.HTTPNotFound()
        path = os.path.join(report, *parts)
        if os.path.realpath(path) != path or not os.path.isfile(path):
            raise web.HTTPNotFound()
        return web.FileResponse(path, headers={"Content-Security-Policy": "sandbox", "Cache-Control": "no-store"})

    # ------------------------------------------------------------------ the page

    async def client_file(self, request):
        file = request.match_info.get("file") or "index.html"
        if file not in ("index.html", "teacher.html", "play.js", "play.css"):
            raise web.HTTPNotFound()
        path = os.path.join(CLIENT_DIR, file)
        if not os.path.isfile(path):
            return web.Response(status=503, text="The playground's page was not built (make play builds it).")
        return web.FileResponse(path, headers={"Cache-Control": "no-cache"})


def make_app(playground):
    app = web.Application(client_max_size=REQUEST_BYTES)
    app.add_routes([
        web.post("/api/signin", playground.sign_in),
        web.get("/api/me", playground.me),
        web.get("/api/files", playground.files),
        web.put("/api/files/{file}", playground.save),
        web.get("/api/files/{file}/history", playground.history),
        web.get("/api/files/{file}/versions/{version}", playground.old_version),
        web.post("/api/run", playground.run),
        web.post("/api/handin", playground.hand_in),
        web.get("/api/teacher/students", playground.students),
        web.post("/api/teacher/grade", playground.grade_class),
        web.get("/report/{path:.+}", playground.report_file),
        web.get("/runs/{run}/{file}", playground.run_file),
        web.get("/", playground.client_file),
        web.get("/{file}", playground.client_file),
    ])
    return app


def positive(text):
    if not text.isdigit() or int(text) < 1:
        raise argparse.ArgumentTypeError("%s: give a whole number of 1 or more" % text)
    return int(text)


def parse(argv):
    parser = argparse.ArgumentParser(prog="easel-play", description="A class playground for easel programs.")
    commands = parser.add_subparsers(dest="command", required=True)
    serve = commands.add_parser("serve", help="serve the class's playground")
    serve.add_argument("class_dir")
    serve.add_argument("--port", type=positive, default=8080)
    serve.add_argument("--bind", default="127.0.0.1", help="address to listen on (default 127.0.0.1, this machine only)")
    serve.add_argument("--workers", type=positive, default=os.cpu_count() or 1, help="compiles at once on this machine")
    serve.add_argument("--sshlogin", help="GNU parallel's --sshlogin: compile (and grade) on these machines too")
    compiling = commands.add_parser("compile", help="compile a student's files for a server on another machine")
    for command in (serve, compiling):
        command.add_argument("--compile-seconds", type=positive, default=60, help="wall time of one compile")
    args = parser.parse_args(argv)
    if args.command == "serve" and not os.path.isdir(args.class_dir):
        parser.error("%s: not a directory" % args.class_dir)
    return args


def serve(args):
    global ssh_route
    limits = dict(grade.BUILD_LIMITS, wall=args.compile_seconds)
    grade_options = ["--jobs", str(args.workers)]
    if args.sshlogin:
        ssh_route = SshRoute()
        grade_options += ["--sshlogin", args.sshlogin]
    header = PrecompiledHeader()
    try:
        slots = compile_slots(args.sshlogin, args.workers)
        playground = Playground(args.class_dir, Compilers(slots, limits, header), grade_options)
        print("easel-play: serving %s on http://%s:%d/ with %d compile worker(s)"
              % (playground.class_dir, args.bind, args.port, len(slots)), flush=True)
        web.run_app(make_app(playground), host=args.bind, port=args.port, print=None, access_log=None)
    finally:
        header.close()
        if ssh_route:
            ssh_route.close(grade.remote_logins(args.sshlogin))
    return 0


def main(argv):
    args = parse(argv)
    missing = [path for path in (WEB_LIBRARY, INCLUDE_DIR, WEB_DIR) if not os.path.exists(path)]
    if missing or not shutil.which("em++") or not shutil.which("bwrap"):
        raise SystemExit("easel-play: needs em++, bwrap and the library's browser build (make play): missing %s"
                         % " ".join(missing or ["em++ or bwrap"]))
    grade.sweep_leftovers()
    return {"serve": serve, "compile": compile_for_another}[args.command](args)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
