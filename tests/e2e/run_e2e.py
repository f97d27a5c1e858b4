#!/usr/bin/env python3
"""Runs the end-to-end checks: each program in a private X server, driven with real input events.

    run_e2e.py --bin-dir <dir of the built programs> [check ...]     (all checks when none is named)

Exit status 0 when every check passes, 1 when one fails, 77 (skipped) when the X tools are missing.
"""

import argparse
import os
import shutil
import sys
import time

sys.dont_write_bytecode = True  # keep the source tree free of __pycache__

import checks  # noqa: E402
import reference  # noqa: E402
import stopping  # noqa: E402
import window  # noqa: E402
from xsession import X_TOOLS, Failure  # noqa: E402

CHECKS = {**checks.CHECKS, **stopping.CHECKS, **window.CHECKS}

SKIPPED = 77


def missing_prerequisite(bin_dir):
    missing = {tool: package for tool, package in X_TOOLS.items() if shutil.which(tool) is None}
    if missing:
        return (f"{', '.join(missing)} not installed "
                f"(Debian packages: {' '.join(sorted(set(missing.values())))})")
    if not os.access(os.path.join(bin_dir, "e2e_wm"), os.X_OK):
        return "e2e_wm was not built (it needs libx11-dev)"
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bin-dir", required=True, help="directory of the built programs")
    parser.add_argument("checks", nargs="*", help=f"checks to run, of: {' '.join(CHECKS)}")
    arguments = parser.parse_args()
    unknown = [name for name in arguments.checks if name not in CHECKS]
    if unknown:
        parser.error(f"unknown checks: {' '.join(unknown)}")
    reason = missing_prerequisite(arguments.bin_dir)
    if reason:
        print(f"SKIPPED: end-to-end checks need an X server to run in: {reason}")
        return SKIPPED
    reference.use_tools_in(arguments.bin_dir)
    failed = []
    for name in arguments.checks or CHECKS:
        started = time.monotonic()
        try:
            CHECKS[name](arguments.bin_dir)
            print(f"ok    {name} ({time.monotonic() - started:.1f} s)")
        except Failure as failure:
            print(f"FAIL  {name} ({time.monotonic() - started:.1f} s): {failure}")
            failed.append(name)
    if failed:
        print(f"{len(failed)} of {len(arguments.checks or CHECKS)} checks failed: {' '.join(failed)}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
