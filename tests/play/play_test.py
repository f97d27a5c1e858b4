#!/usr/bin/python3
"""easel-play's API against a server of the test's own on 127.0.0.1: play_test.py EASEL_PLAY [unittest options]

Who may do what (secrets, forged sessions, other students' files, names that climb out), request limits,
Run (its errors on their lines, a compile that cannot reach other files, one that runs away) and Hand in;
Run on another machine, an sshd of the test's own on 127.0.0.1 (as root, with openssh-server and rsync).
Exits 77 when Debian's aiohttp, em++, bubblewrap or the library's browser build is missing.
"""

import http.cookiejar
import json
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.error
import urllib.request

SKIPPED = 77
PLAY = sys.argv.pop(1)
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "grade"))
from grade_test import second_machine  # noqa: E402  the suite's second machine for --sshlogin


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class Client:
    """One browser: its own cookies."""

    def __init__(self, base):
        self.base = base
        self.opener = urllib.request.build_opener(urllib.request.HTTPCookieProcessor(http.cookiejar.CookieJar()))

    def call(self, method, path, body=None, raw=None, headers=None):
        """(status, decoded JSON or text, headers)"""
        data = raw if raw is not None else (json.dumps(body).encode() if body is not None else None)
        request = urllib.request.Request(self.base + path, data=data, method=method,
                                         headers=dict({"Content-Type": "application/json"}, **(headers or {})))
        try:
            with self.opener.open(request, timeout=120) as answer:
                status, text, got = answer.status, answer.read(), answer.headers
        except urllib.error.HTTPError as error:
            status, text, got = error.code, error.read(), error.headers
        try:
            return status, json.loads(text), got
        except ValueError:
            return status, text, got

    def sign_in(self, name, secret):
        return self.call("POST", "/api/signin", {"name": name, "secret": secret})[0]

    def save(self, content, file="main.cpp"):
        return self.call("PUT", "/api/files/" + file, {"content": content})


def serve(class_dir, roster, options, env=None):
    """easel-play on class_dir with that roster at a free port: (process, its output file, base URL, secrets)."""
    with open(os.path.join(class_dir, "roster.txt"), "w") as listed:
        listed.write(roster)
    port = free_port()
    output = tempfile.TemporaryFile("w+")
    server = subprocess.Popen(["/usr/bin/python3", PLAY, "serve", class_dir, "--port", str(port)] + options,
                              stdout=output, stderr=subprocess.STDOUT, text=True, env=env)
    base = "http://127.0.0.1:%d" % port
    for _ in range(300):
        if server.poll() is not None:
            break
        try:
            urllib.request.urlopen(base + "/api/me", timeout=1)
        except urllib.error.HTTPError:
            break
        except OSError:
            time.sleep(0.1)
    if server.poll() is not None:
        output.seek(0)
        print("SKIPPED: " + output.read().strip())
        sys.exit(SKIPPED)
    with open(os.path.join(class_dir, "secrets.txt")) as listed:
        return server, output, base, dict(line.rstrip("\n").split("\t") for line in listed)


ERROR_ON_LINE_3 = '#include "graphics.hpp"\nint main() {\n    int x = ;\n}\n'
GOOD = '#include "graphics.hpp"\nusing namespace easel;\nint main() { gout.open(20, 20); }\n'


class Playground(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.TemporaryDirectory(prefix="play-test-")
        cls.dir = cls.work.name
        cls.server, cls.output, cls.base, cls.secrets = serve(cls.dir, "alice\nbob  # second row\n",
                                                     ["--workers", "2", "--compile-seconds", "20"])
        cls.alice, cls.bob, cls.teacher = Client(cls.base), Client(cls.base), Client(cls.base)
        for name in ("alice", "bob", "teacher"):
            assert getattr(cls, name).sign_in(name, cls.secrets[name]) == 200

    @classmethod
    def tearDownClass(cls):
        cls.server.terminate()
        cls.server.wait()
        cls.output.close()
        cls.work.cleanup()

    def test_only_the_right_secret_or_session_acts_as_a_student(self):
        stranger = Client(self.base)
        self.assertEqual(stranger.sign_in("alice", self.secrets["bob"]), 403)
        self.assertEqual(stranger.sign_in("nobody", self.secrets["bob"]), 403)
        self.assertEqual(stranger.sign_in("alice", None), 403)
        self.assertEqual(stranger.call("GET", "/api/files")[0], 401)
        forged = stranger.call("GET", "/api/files", headers={"Cookie": "easel_play=" + "A" * 43})
        self.assertEqual(forged[0], 401)
        self.assertEqual(self.alice.call("GET", "/api/teacher/students")[0], 403)
        self.assertEqual(self.alice.call("POST", "/api/teacher/grade")[0], 403)
        self.assertEqual(self.alice.call("GET", "/report/index.html")[0], 403)
        self.assertEqual(self.teacher.call("POST", "/api/run")[0], 403)

    def test_files_are_each_students_own_and_keep_their_history(self):
        self.assertEqual(self.bob.save("// bob 1\n")[0], 200)
        self.assertEqual(self.bob.save("// bob 2\n")[1], {"version": 2})
        self.assertEqual(self.alice.save("// alice\n", "notes.txt")[0], 200)
        listed = {f["name"]: f["content"] for f in self.bob.call("GET", "/api/files")[1]["files"]}
        self.assertEqual(listed, {"main.cpp": "// bob 2\n"})
        self.assertEqual([v["version"] for v in self.bob.call("GET", "/api/files/main.cpp/history")[1]["versions"]],
                         [1, 2])
        self.assertEqual(self.bob.call("GET", "/api/files/main.cpp/versions/1")[1]["content"], "// bob 1\n")
        self.assertEqual(self.bob.call("GET", "/api/files/notes.txt/versions/1")[0], 404)
        for name in ("..%2Fbob.cpp", "..%2F..%2Fsecrets.txt", "%2Fetc%2Fpasswd.txt", ".hidden.cpp", "a%00.cpp",
                     "..", "x.sh"):
            self.assertIn(self.alice.save("x", name)[0], (400, 404), name)
        self.assertEqual(sorted(os.listdir(self.dir)),
                         ["play.sqlite", "play.sqlite-shm", "play.sqlite-wal", "roster.txt", "runs", "secrets.txt",
                          "staging", "submissions"])

    def test_requests_and_files_are_size_limited(self):
        self.assertEqual(self.alice.save("x" * (64 * 1024 + 1), "big.cpp")[0], 413)
        self.assertEqual(self.alice.call("PUT", "/api/files/big.cpp", raw=b"{" * (300 * 1024))[0], 413)

    def test_run_marks_errors_shows_the_page_and_stops_a_compile_that_runs_away(self):
        carol = Client(self.base)  # alice's own runs, on the files of this test only
        self.assertEqual(carol.sign_in("alice", self.secrets["alice"]), 200)
        carol.save(ERROR_ON_LINE_3)
        status, result, _ = carol.call("POST", "/api/run")
        self.assertEqual((status, result["status"]), (200, "compile-error"))
        self.assertEqual([(d["file"], d["line"]) for d in result["diagnostics"] if d["severity"] == "error"],
                         [("main.cpp", 3)])
        # The compile sees the student's files alone: not the class's, not another student's.
        carol.save('#include "%s/secrets.txt"\nint main() {}\n' % self.dir)
        result = carol.call("POST", "/api/run")[1]
        self.assertEqual([d["line"] for d in result["diagnostics"] if "not found" in d["message"]], [1], result)
        # 2 to the 40th tokens: the compile runs until a limit stops it.
        carol.save("#define X1 x+x+\n" + "".join("#define X%d X%d X%d\n" % (n + 1, n, n) for n in range(1, 40))
                   + "int x;\nint y = X40 0;\n")
        result = carol.call("POST", "/api/run")[1]
        self.assertIn(result["status"], ("wall-limit", "memory-limit", "output-limit"))
        # The library's precompiled header speeds up a file that includes it first, and no other one.
        carol.save("int main() { easel::gout.open(20, 20); }\n")
        self.assertEqual(carol.call("POST", "/api/run")[1]["status"], "compile-error")
        # The server goes on serving, and a good program runs.
        carol.save(GOOD)
        status, result, _ = carol.call("POST", "/api/run")
        self.assertEqual(result["status"], "ok", result["log"])
        status, page, headers = carol.call("GET", result["page"])
        self.assertEqual(status, 200)
        self.assertIn("sandbox allow-scripts", headers["Content-Security-Policy"])
        self.assertEqual(carol.call("GET", "/runs/../play.sqlite")[0], 404)
        # A compile that cannot put its page in place ends its run as failed, not queued for ever.
        runs = os.path.join(self.dir, "runs")
        os.rename(runs, runs + ".aside")
        try:
            open(runs, "w").close()
            self.assertEqual(carol.call("POST", "/api/run")[0], 500)
            rows = {row["name"]: row for row in self.teacher.call("GET", "/api/teacher/students")[1]["students"]}
            self.assertEqual(rows["alice"]["last_run"]["status"], "failed")
        finally:
            os.remove(runs)
            os.rename(runs + ".aside", runs)

    def test_hand_in_puts_the_saved_files_into_the_submissions(self):
        self.alice.save("int main() {}\n")
        status, result, _ = self.alice.call("POST", "/api/handin")
        self.assertEqual(status, 200)
        with open(os.path.join(self.dir, "submissions", "alice", "main.cpp")) as handed:
            self.assertEqual(handed.read(), "int main() {}\n")
        rows = {row["name"]: row for row in self.teacher.call("GET", "/api/teacher/students")[1]["students"]}
        self.assertEqual(sorted(rows), ["alice", "bob"])
        self.assertIn("main.cpp", rows["alice"]["handed_in"]["files"])


class RemoteCompile(unittest.TestCase):
    def test_runs_compile_on_another_machine_through_the_ssh_route_of_grading(self):
        missing = [tool for tool in ("/usr/sbin/sshd", "ssh", "rsync", "parallel") if not shutil.which(tool)]
        if os.getuid() != 0 or missing:
            self.skipTest("needs root and %s (Debian packages openssh-server, rsync, parallel)" % " ".join(missing))
        with tempfile.TemporaryDirectory(prefix="play-remote-") as work:
            prefix = os.path.join(work, "prefix")  # the other machine's installation, on its PATH
            build_dir = os.path.dirname(os.path.dirname(os.path.realpath(PLAY)))
            subprocess.run(["cmake", "--install", build_dir, "--prefix", prefix], check=True, capture_output=True)
            class_dir = os.path.join(work, "class")
            os.mkdir(class_dir)
            with second_machine(work, prefix) as ssh:
                server, output, base, secrets = serve(class_dir, "dana\n", ["--sshlogin", "1/grader"],
                                                      dict(os.environ, PARALLEL_SSH=ssh))
                try:
                    dana = Client(base)
                    dana.sign_in("dana", secrets["dana"])
                    dana.save(ERROR_ON_LINE_3)
                    result = dana.call("POST", "/api/run")[1]
                    errors = [(d["file"], d["line"]) for d in result["diagnostics"] if d["severity"] == "error"]
                    self.assertEqual(errors, [("main.cpp", 3)], result)
                    dana.save(GOOD)
                    result = dana.call("POST", "/api/run")[1]
                    self.assertEqual(result["status"], "ok", result["log"])
                    self.assertGreater(result["cpu_seconds"], 0)
                    self.assertEqual(dana.call("GET", result["page"].replace(".html", ".wasm"))[2]["Content-Type"],
                                     "application/wasm")
                finally:
                    server.terminate()
                    server.wait()
                with output:
                    output.seek(0)
                    self.assertNotIn("compiling here", output.read())  # none fell back to this machine


if __name__ == "__main__":
    unittest.main()
