#!/usr/bin/env python3
"""The grading benchmark's CPU accounting: grade_cpu_test.py GRADE_CPU. Needs root and a CPU accounting
control group hierarchy (skipped, 77, otherwise)."""

import glob
import os
import signal
import subprocess
import sys
import tempfile
import time

grade_cpu = sys.argv[1]


def groups():
    return glob.glob("/sys/fs/cgroup/easel-bench-*") + glob.glob("/sys/fs/cgroup/*/easel-bench-*")


def running_in(group):
    with open(os.path.join(group, "cgroup.procs")) as procs:
        return procs.read().strip() != ""


def main():
    if os.geteuid() != 0 or not os.path.isdir("/sys/fs/cgroup"):
        print("SKIPPED: the accounting group needs root")
        return 77
    before = set(groups())
    with tempfile.TemporaryDirectory() as out:
        for stop in (signal.SIGINT, signal.SIGTERM):
            # Stopped as a terminal or kill -- -PID stops it: the measured command with it.
            bench = subprocess.Popen([sys.executable, grade_cpu, "label", "1", out, "--", "sleep", "30"],
                                     stdout=subprocess.DEVNULL, start_new_session=True)
            while not any(running_in(group) for group in set(groups()) - before) and bench.poll() is None:
                time.sleep(0.01)
            if bench.poll() is not None:
                print("SKIPPED: no accounting group was made")
                return 77
            os.killpg(bench.pid, stop)
            bench.wait(timeout=60)
            left = set(groups()) - before
            if left:
                print("FAILED: %s left %s" % (signal.Signals(stop).name, sorted(left)))
                return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
