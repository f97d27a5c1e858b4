#!/usr/bin/env python3
"""easel-grade's own logic, without bubblewrap, GNU parallel or root:
grade_logic_test.py EASEL_GRADE_SOURCE EASEL_REPLAY EASEL_GRADE_LIMIT [unittest options]"""

import csv
import importlib.util
import os
import signal
import stat
import subprocess
import sys
import tempfile
import types
import unittest

source, replay, limiter = sys.argv[1:4]
spec = importlib.util.spec_from_file_location("easel_grade", source)
grade = importlib.util.module_from_spec(spec)
spec.loader.exec_module(grade)
grade.REPLAY = replay
grade.LIMIT = limiter


class work_dir(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.TemporaryDirectory(prefix="grade-logic-")
        self.dir = self.work.name

    def tearDown(self):
        self.work.cleanup()

    def file(self, name, text=""):
        path = os.path.join(self.dir, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w") as out:
            out.write(text)
        return path


class scripts(work_dir):
    def test_grading_and_reference_rewrite_only_expect_and_snap_lines(self):
        script = self.file("a.replay", '# c\r\nclick left 1 2\nexpect "a b.png" tolerance 3\n'
                                       'snap shot.png\nexpect saved.bmp from "my drawing.bmp"\n')
        self.assertEqual(grade.grading_script(script, "/x").split("\n"), [
            "# c\r", "click left 1 2", 'expect "/x/a b.png" "tolerance" "3"', '# "snap" "shot.png"',
            'expect "/x/saved.bmp" "from" "my drawing.bmp"', ""])
        self.assertEqual(grade.reference_script_text(script, "/t").split("\n")[2:5], [
            'snap "/t/a b.png"', '# "snap" "shot.png"', '# "expect" "saved.bmp" "from" "my drawing.bmp"'])
        grade.check_saved_once(script)
        twice = self.file("b.replay", "key s\nexpect a.bmp from d.bmp\nkey c\nkey s\nexpect b.bmp from d.bmp\n")
        with self.assertRaises(SystemExit):
            grade.check_saved_once(twice)

    def test_jobs_read_the_listed_commands_as_easel_replay_gives_them(self):
        tests = os.path.join(self.dir, "tests")
        script = self.file("tests/a.replay", 'click left 1 2\nsnap "a b.png"\n')
        direct = grade.command_words(script)
        self.assertEqual(direct, ((1, ["click", "left", "1", "2"]), (2, ["snap", "a b.png"])))
        grade.list_words(tests)
        grade.command_words.cache_clear()
        grade.read_listed_words(tests)
        grade.REPLAY = "/nonexistent"  # listed: easel-replay is not asked again
        try:
            self.assertEqual(grade.command_words(script), direct)
        finally:
            grade.REPLAY = replay
            grade.LISTED_WORDS.clear()
            grade.command_words.cache_clear()


class compiled_start(work_dir):
    def test_the_kept_code_runs_only_for_the_script_it_was_compiled_from(self):
        code, script = os.path.join(self.dir, "script.code"), self.file("s.py", "import sys; print('one', sys.argv[1:])")

        def start():
            return subprocess.run([sys.executable, "-S", "-c", grade.COMPILED_START, code, script, "a"],
                                  capture_output=True, text=True, check=True).stdout

        self.assertEqual((start(), start()), ("one ['a']\n", "one ['a']\n"))
        self.file("s.py", "import sys; print('two', sys.argv[0] == %r)" % script)
        self.assertEqual(start(), "two True\n")


class outcomes(unittest.TestCase):
    def test_only_the_result_file_decides_the_grade(self):
        cases = [({"outcome": "passed"}, ("passed", "")),
                 ({"outcome": "exit-status", "program": {"exit": 139}}, ("exit-status", "ended with status 139")),
                 ({"outcome": "exit-status", "program": {"exit": 2}}, ("exit-status", "ended with status 2")),
                 ({"outcome": "crashed", "program": {"signal": 11}}, ("crashed", "crashed (SIGSEGV)")),
                 ({"outcome": "crashed", "program": {"signal": int(signal.SIGXCPU)}}, ("cpu-limit", "CPU time limit reached")),
                 ({"outcome": "differs", "differing_pixels": 41}, ("differs", "41 pixel(s) differ")),
                 ({"outcome": "differs", "differing_pixels": 0, "unreadable": "d.bmp: not a regular file"},
                  ("differs", "cannot compare d.bmp: not a regular file")),
                 ({"outcome": "too-slow", "program": {"stopped": True}}, ("too-slow", grade.REPLAY_OUTCOMES["too-slow"]))]
        for result, expected in cases:
            self.assertEqual(grade.replay_grade(result), expected, result)


class report(work_dir):
    def test_cells_neither_run_as_formulas_nor_hide_bytes(self):
        records = [{"submission": '=HYPERLINK("x")', "build": {"status": "built", "reason": "", "seconds": 1}, "scripts": [
            {"script": "a", "status": "passed", "reason": "-1", "pixels": "", "seconds": 0.5}]},
                   {"submission": os.fsdecode(b"latin\xe9\nx"), "build": {"status": "submission-error",
                                                                         "reason": "@x", "seconds": ""}, "scripts": []}]
        path = os.path.join(self.dir, "results.csv")
        grade.write_csv(records, ["t/a.replay"], path)
        with open(path, encoding="utf-8") as table:
            rows = list(csv.reader(table))
        self.assertEqual(rows[1][:4], ["'=HYPERLINK(\"x\")", "a", "passed", "'-1"])
        self.assertEqual(rows[2][:4], ["latin\\xe9\\x0ax", "a", "submission-error", "'@x"])
        self.assertEqual(grade.url(os.fsdecode(b"results/\xe9 <&>/build.txt")), "results/%E9%20%3C%26%3E/build.txt")
        records[1]["warnings"] = ["<b>: left out"]
        self.assertIn("&lt;b&gt;: left out", grade.build_cell(records[1]))


class out_dir(work_dir):
    def test_an_out_dir_touching_the_inputs_or_not_made_by_the_tool_is_refused(self):
        tests, submissions = self.file("class/tests/a.replay"), self.file("class/submissions/x/main.cpp")
        tests, submissions = os.path.dirname(tests), os.path.dirname(os.path.dirname(submissions))
        os.symlink(tests, os.path.join(self.dir, "link"))
        for target in ("class", "class/tests", "class/submissions/x", "class/submissions", "link", "class/tests/new"):
            with self.assertRaises(SystemExit, msg=target):
                grade.check_out_dir(os.path.join(self.dir, target), tests, submissions)
        self.file("foreign/notes.txt")
        with self.assertRaises(SystemExit):
            grade.check_out_dir(os.path.join(self.dir, "foreign"), tests, submissions)
        self.file("own/" + grade.MARK)
        for fine in ("own", "new", "class-report"):
            grade.check_out_dir(os.path.join(self.dir, fine), tests, submissions)


class jobs(work_dir):
    def test_submissions_go_into_jobs_whole_and_a_job_reads_only_its_own_command(self):
        for number in map(str, range(1, 8)):
            os.makedirs(os.path.join(self.dir, "taken", number))
        os.mkdir(os.path.join(self.dir, "jobs"))
        batches, places = grade.batched(self.dir, [str(n) for n in range(1, 8)], 3)
        self.assertEqual((batches, places["3"], places["4"], places["7"]), (["1", "2", "3"], "1/3", "2/4", "3/7"))
        self.assertEqual(sorted(os.listdir(os.path.join(self.dir, "jobs", "3"))), ["7"])
        self.assertEqual([grade.batch_size(count, 2) for count in (5, 40, 300)], [1, 2, 4])
        self.assertEqual([grade.batch_size(count, 2, remote=True) for count in (5, 40, 300)], [1, 2, 8])
        tests, batch = os.path.join(self.dir, "jobs"), os.path.join(self.dir, "jobs", "1")
        read = grade.job_command(["job", "--timeout", "0.25", "--header-cache=pch", tests, batch, "out"])
        self.assertEqual((read.timeout, read.header_cache, read.batch), (0.25, "pch", batch))
        for other in (["job", "--timeout", "0", tests, batch, "out"], ["job", tests, batch, "out"],
                      ["job", "--timeout", "1", tests, "missing", "out"], ["run", "--timeout", "1", tests, batch, "o"]):
            self.assertIsNone(grade.job_command(other), other)


class leftovers(unittest.TestCase):
    def test_only_names_of_its_own_form_with_a_process_gone_are_leftovers(self):
        self.assertFalse(grade.creator_alive("easel-grade-999999999-1"))
        self.assertTrue(grade.creator_alive("easel-grade-%d-1" % os.getpid()))
        for foreign in ("easel-grade-relzl53v", "easel-grade-12x-1", "easel-grade-"):
            self.assertTrue(grade.creator_alive(foreign), foreign)


class taking(work_dir):
    def test_only_regular_files_and_folders_within_the_limits_are_taken(self):
        self.file("s/main.cpp", "int main() {}\n")
        self.file("s/sub/data.txt", "1\n")
        os.chmod(self.file("s/run.sh", "#!/bin/sh\n"), 0o4755)
        os.symlink("/etc/passwd", os.path.join(self.dir, "s", "link"))
        os.mkfifo(os.path.join(self.dir, "s", "fifo"))
        os.makedirs(os.path.join(self.dir, "s", *["d"] * 20))
        os.truncate(self.file("s/sparse"), 1 << 30)
        warnings = grade.take_tree(os.path.join(self.dir, "s"), os.path.join(self.dir, "t"))
        self.assertEqual(sorted(warnings), ["/".join(["d"] * 17) + ": left out: deeper than 16 folders",
                                            "fifo: left out: a FIFO", "link: left out: a symbolic link",
                                            "sparse: left out: more than 64 MB in all"])
        taken = {os.path.relpath(os.path.join(d, n), os.path.join(self.dir, "t"))
                 for d, folders, files in os.walk(os.path.join(self.dir, "t")) for n in files}
        self.assertEqual(taken, {"main.cpp", "sub/data.txt", "run.sh"})
        self.assertEqual(stat.S_IMODE(os.stat(os.path.join(self.dir, "t", "run.sh")).st_mode), 0o755)
        many = grade.take_tree(os.path.join(self.dir, "s"), os.path.join(self.dir, "u"), dict(grade.TAKEN, entries=2))
        self.assertTrue(any("left out: more than 2 files and folders" in warning for warning in many), many)

    def test_a_saved_file_is_opened_only_as_a_regular_file_beneath_its_directory(self):
        self.file("box/ok.bmp", "BM")
        os.symlink("ok.bmp", os.path.join(self.dir, "box", "link.bmp"))
        os.mkfifo(os.path.join(self.dir, "box", "fifo.bmp"))
        box = os.open(os.path.join(self.dir, "box"), os.O_RDONLY | os.O_DIRECTORY)
        try:
            os.close(grade.open_regular(box, "ok.bmp", 10))
            for refused in ("link.bmp", "fifo.bmp", "../box/ok.bmp", "/etc/passwd"):
                with self.assertRaises(OSError, msg=refused):
                    grade.open_regular(box, refused, 10)
            with self.assertRaises(OSError):
                grade.open_regular(box, "ok.bmp", 1)
        finally:
            os.close(box)


class starts(work_dir):
    def test_a_command_starts_in_its_groups_under_its_limits_or_not_at_all(self):
        v1, v2 = self.file("v1/tasks"), self.file("v2/cgroup.procs")
        limits = {"cpu": 7, "memory": 64 << 20, "disk": 5 << 20, "processes": 32}
        group = types.SimpleNamespace(dirs=[os.path.dirname(v1), os.path.dirname(v2)])
        shown = subprocess.run(grade.limited(["cat", "/proc/self/limits"], limits, group),
                               capture_output=True, text=True, check=True).stdout
        for name, value in (("cpu time", 7), ("file size", 5 << 20), ("address space", 128 << 20), ("core file size", 0)):
            self.assertRegex(shown, r"Max %s +%d +%d " % (name, value, value))
        self.assertEqual([open(v1).read(), open(v2).read()], ["0", "0"])
        # A group it cannot enter: the command never runs.
        group.dirs.append(os.path.join(self.dir, "gone"))
        ran = os.path.join(self.dir, "ran")
        started = subprocess.run(grade.limited(["touch", ran], limits, group), capture_output=True, text=True)
        self.assertEqual((started.returncode, os.path.exists(ran)), (127, False))
        self.assertIn("gone", started.stderr)

    def test_a_build_the_limiter_could_not_start_fails_the_job_not_the_student(self):
        failing = self.file("limit", "#!/bin/sh\necho 'easel-grade-limit: cannot enter /x: gone' >&2\nexit 127\n")
        os.chmod(failing, 0o755)
        self.file("box/main.cpp", "int main() {}\n")
        grade.LIMIT = failing
        try:
            with self.assertRaisesRegex(OSError, "could not start"):
                grade.build(os.path.join(self.dir, "box"), self.dir)
        finally:
            grade.LIMIT = limiter


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1] + sys.argv[4:])
