#!/usr/bin/python3
"""A class pressing Run at once: play_bench.py EASEL_PLAY [--clients 30] [--workers N] [--spread SECONDS]

Starts easel-play on a class of its own on 127.0.0.1, signs in each client as a student of its own with a
program of its own (the same square in another colour), then every client presses Run within SPREAD
seconds (default 1), in turn. Prints each client's wait, compile time and the compile's CPU seconds; the
worst and median waits and the total from the first Run to the last answer; how far any answer overtook
an earlier Run (with a first-come-first-served queue and N workers no answer overtakes more than N - 1
earlier ones); and the CPU seconds of all compiles over the workers, what the last answer waits on a
machine that does nothing else, whatever the load was during the run.
"""

import argparse
import http.cookiejar
import json
import os
import socket
import statistics
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request

PROGRAM = """#include "graphics.hpp"
using namespace easel;
int main() {
    gout.open(200, 200);
    gout << move_to(90, 90) << color(%d, 0, 0) << box(20, 20) << refresh;
    event ev;
    while (gin >> ev) {
    }
    return 0;
}
"""


def call(opener, base, method, path, body=None):
    request = urllib.request.Request(base + path, method=method, headers={"Content-Type": "application/json"},
                                     data=json.dumps(body).encode() if body is not None else None)
    with opener.open(request, timeout=600) as answer:
        return json.loads(answer.read())


def start(play, class_dir, workers):
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        port = probe.getsockname()[1]
    server = subprocess.Popen(["/usr/bin/python3", play, "serve", class_dir, "--port", str(port),
                               "--workers", str(workers)], stdout=subprocess.DEVNULL)
    base = "http://127.0.0.1:%d" % port
    for _ in range(200):
        try:
            urllib.request.urlopen(base + "/api/me", timeout=1)
        except urllib.error.HTTPError:
            return server, base
        except OSError:
            if server.poll() is not None:
                sys.exit("easel-play did not start")
            time.sleep(0.1)
    sys.exit("easel-play did not answer")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("play")
    parser.add_argument("--clients", type=int, default=30)
    parser.add_argument("--workers", type=int, default=os.cpu_count() or 1)
    parser.add_argument("--spread", type=float, default=1.0)
    args = parser.parse_args()
    with tempfile.TemporaryDirectory(prefix="play-bench-") as class_dir:
        names = ["student%02d" % n for n in range(args.clients)]
        with open(os.path.join(class_dir, "roster.txt"), "w") as roster:
            roster.write("\n".join(names) + "\n")
        server, base = start(args.play, class_dir, args.workers)
        try:
            with open(os.path.join(class_dir, "secrets.txt")) as listed:
                secrets = dict(line.rstrip("\n").split("\t") for line in listed)
            openers = []
            for number, name in enumerate(names):
                opener = urllib.request.build_opener(urllib.request.HTTPCookieProcessor(http.cookiejar.CookieJar()))
                call(opener, base, "POST", "/api/signin", {"name": name, "secret": secrets[name]})
                call(opener, base, "PUT", "/api/files/main.cpp", {"content": PROGRAM % (255 - number)})
                openers.append(opener)
            results = [None] * args.clients
            began = time.monotonic() + 0.5

            def press(number):
                time.sleep(max(0.0, began + number * args.spread / args.clients - time.monotonic()))
                sent = time.monotonic()
                answer = call(openers[number], base, "POST", "/api/run")
                results[number] = (sent, time.monotonic(), answer)

            threads = [threading.Thread(target=press, args=(n,)) for n in range(args.clients)]
            load = os.getloadavg()[0]
            for thread in threads:
                thread.start()
            for thread in threads:
                thread.join()
        finally:
            server.terminate()
            server.wait()
    report(results, args, load)


def report(results, args, load):
    by_answer = sorted(range(len(results)), key=lambda n: results[n][1])
    overtaken = max(max(0, sum(1 for earlier in range(n) if by_answer.index(earlier) > by_answer.index(n)))
                    for n in range(len(results)))
    waits = [answered - sent for sent, answered, _ in results]
    print("client  sent(s)  waited(s)  compile(s)  cpu(s)  status")
    first = results[0][0]
    for number, (sent, answered, answer) in enumerate(results):
        print("%6d  %7.2f  %9.2f  %10.2f  %6.2f  %s" % (number, sent - first, answered - sent, answer["seconds"],
                                                        answer["cpu_seconds"], answer["status"]))
    cpu = [answer["cpu_seconds"] for _, _, answer in results]
    print("%d clients within %.1f s, %d workers, load %.1f at the start: all ok: %s" % (
        len(results), args.spread, args.workers, load, all(a["status"] == "ok" for _, _, a in results)))
    print("wait worst %.1f s, median %.1f s; total %.1f s from the first Run to the last answer" % (
        max(waits), statistics.median(waits), max(answered for _, answered, _ in results) - first))
    print("most earlier Runs an answer overtook: %d (at most %d with a first-come-first-served queue)"
          % (overtaken, args.workers - 1))
    print("CPU per compile median %.2f s; all compiles %.1f s of CPU: on a quiet machine the last answer "
          "comes after about %.1f s" % (statistics.median(cpu), sum(cpu), sum(cpu) / min(args.workers, os.cpu_count())))


if __name__ == "__main__":
    main()
