#!/usr/bin/env python3
"""grade_cpu.py LABEL JOBS OUT_DIR [--with-pid PID] -- COMMAND...

Runs an easel-grade run and says where its CPU time went, which a busy machine does not change: each
build's and run's own control group counts theirs (easel-grade keeps it in the job records), and the
rest (easel-grade itself, GNU parallel, the jobs' Python, copies, ssh) is counted in an accounting group
of its own that COMMAND, and the process --with-pid (say an sshd standing for a second machine), run in.
With GRADE_CPU_TOTALS set, the CPU time, the time on the clock, the estimate and the rest are added to that file.
The estimate of the time on a quiet machine with JOBS cores: easel-grade's own time, which runs alone,
plus the rest of the CPU time shared by the job slots. Without root there is no group: the rest is
what COMMAND's processes reaped, which misses what a killed sandbox's processes used."""

import glob
import json
import os
import resource
import signal
import subprocess
import sys
import time


def accounting_root():
    for root, usage in (("/sys/fs/cgroup", "cgroup.controllers"), ("/sys/fs/cgroup/cpuacct", "cpuacct.usage"),
                        ("/sys/fs/cgroup/cpu,cpuacct", "cpuacct.usage")):
        if os.path.exists(os.path.join(root, usage)):
            return root
    return None


def group_seconds(group):
    if os.path.exists(os.path.join(group, "cpuacct.usage")):
        return int(open(os.path.join(group, "cpuacct.usage")).read()) / 1e9
    for line in open(os.path.join(group, "cpu.stat")):
        if line.startswith("usage_usec "):
            return int(line.split()[1]) / 1e6
    return 0.0


def enter(group, pid):
    with open(os.path.join(group, "cgroup.procs"), "w") as procs:
        procs.write(str(pid))


def own_seconds(pid):
    """The CPU time of a process alone (not its children), read while it is a zombie."""
    fields = open("/proc/%d/stat" % pid).read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def parts(out):
    builds = runs = hangs = 0.0
    counted = {"builds": 0, "runs": 0, "hangs": 0}
    for path in glob.glob(os.path.join(out, "results", "*", "result.json")):
        record = json.load(open(path))
        builds += record["build"].get("cpu_seconds") or 0
        counted["builds"] += 1
        for run in record["scripts"]:
            kind = "hangs" if run["status"] == "too-slow" else "runs"
            counted[kind] += 1
            if kind == "hangs":
                hangs += run.get("cpu_seconds") or 0
            else:
                runs += run.get("cpu_seconds") or 0
    return builds, runs, hangs, counted


def measured(command, group):
    """Runs COMMAND (in group, where there is one) and returns its time on the clock, its own CPU time,
    its exit status and the CPU time of everything counted as the rest."""
    started = time.monotonic()
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL,
                               preexec_fn=(lambda: enter(group, os.getpid())) if group else None)
    try:
        os.waitid(os.P_PID, process.pid, os.WEXITED | os.WNOWAIT)
        wall = time.monotonic() - started
        alone = own_seconds(process.pid)
    finally:
        process.wait()
    if group:
        return wall, alone, process.returncode, group_seconds(group)
    reaped = resource.getrusage(resource.RUSAGE_CHILDREN)
    return wall, alone, process.returncode, reaped.ru_utime + reaped.ru_stime


def main(argv):
    label, jobs, out = argv[0], int(argv[1]), argv[2]
    rest = argv[3:]
    others = []
    while rest[0] == "--with-pid":
        others.append(int(rest[1]))
        rest = rest[2:]
    command = rest[1:]
    root = accounting_root() if os.geteuid() == 0 else None
    group = os.path.join(root, "easel-bench-%d" % os.getpid()) if root else None
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(128 + signal.SIGTERM))
    if group:
        os.mkdir(group)
    try:
        for pid in others if group else ():
            enter(group, pid)
        wall, alone, returncode, rest_seconds = measured(command, group)
    finally:
        # Removed when stopped too (SIGINT, SIGTERM): the next run's group has another name.
        if group:
            for pid in others:
                enter(os.path.dirname(group), pid)
            os.rmdir(group)
    builds, runs, hangs, counted = parts(out)
    if not group:
        rest_seconds -= builds + runs + hangs
    total = builds + runs + hangs + rest_seconds
    print("%s: %.1f s on the clock (here, now)" % (label, wall))
    print("  CPU %.1f s: builds %.1f (%d), runs %.1f (%d), hangs %.1f (%d), the rest %.1f (easel-grade itself %.1f)"
          % (total, builds, counted["builds"], runs, counted["runs"], hangs, counted["hangs"], rest_seconds, alone))
    cores = min(jobs, os.cpu_count() or 1)
    estimate = alone + (total - alone) / cores
    print("  on a quiet machine with %d core(s) for %d job slot(s): about %.0f s" % (cores, jobs, estimate))
    if os.environ.get("GRADE_CPU_TOTALS"):
        with open(os.environ["GRADE_CPU_TOTALS"], "a") as totals:
            totals.write("%.3f %.3f %.3f %.3f\n" % (total, wall, estimate, rest_seconds))
    return returncode


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
