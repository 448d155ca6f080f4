#!/usr/bin/env python3
"""Download benchmark: our engine against aria2c on the same mirrors, side by side.

A 20,377,688-byte package is served by five test mirrors (tests/fixtures/mirror.py)
on 127.0.0.2 to 127.0.0.6 inside a private network namespace; tc caps each
mirror at 2,000,000 bytes/s (HTB class per mirror source address, egress on lo).
Scenarios: clean; one mirror stalls after 2,000,000 bytes with its sockets kept
open; one mirror inverts one byte of chunk 6; both faults at once. Per scenario:
one warm-up run of each tool, then interleaved pairs. Needs root.

Over-fetch counts the package bytes the mirrors handed to the kernel (their request
logs), over the package size; bytes still queued when a client hangs up count too.

Usage (normally through build/bench-download):
  download.py --driver PATH [--pairs N] [--scenarios clean,stall,corrupt,both] [--ping] [--trace] [--keep DIR]
"""

import argparse
import hashlib
import json
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
MIRROR = os.path.join(ROOT, "tests", "fixtures", "mirror.py")
MAKE_PACKAGE = os.path.join(ROOT, "tests", "fixtures", "make_package.py")

SIZE = 20377688
CHUNK = 1048576
MIRRORS = ["127.0.0.%d" % i for i in range(2, 7)]
PORT = 8080
RATE = 2000000                       # bytes/s per mirror
IDEAL = SIZE / (RATE * len(MIRRORS))  # 2.038 s
STALL_MIRROR = 1                     # 127.0.0.3
STALL_AFTER = 2000000
# 127.0.0.5: with ten even segments over five mirrors in descriptor order (equal
# round-trip times, see --ping) our engine fetches chunk 6 from it; aria2c picks
# pieces freely, so whether the fault fired is counted per run.
CORRUPT_MIRROR = 3
BAD_OFFSET = 6 * CHUNK + 4321        # one byte of chunk 6
SCENARIOS = ["clean", "stall", "corrupt", "both"]
RUN_TIMEOUT = 120


def fail(message, code=2):
    print("bench-download: " + message, file=sys.stderr)
    sys.exit(code)


def run(argv, check=True):
    result = subprocess.run(argv, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    if check and result.returncode != 0:
        fail("%s failed: %s" % (" ".join(argv), result.stderr.strip()))
    return result


def set_up_network():
    """Loopback up, then one HTB class of RATE per mirror, chosen by source address."""
    run(["ip", "link", "set", "lo", "up"])
    run(["tc", "qdisc", "add", "dev", "lo", "root", "handle", "1:", "htb", "default", "99"])
    run(["tc", "class", "add", "dev", "lo", "parent", "1:", "classid", "1:99", "htb", "rate", "100gbit"])
    for index, host in enumerate(MIRRORS):
        classid = "1:%d" % (10 + index)
        rate = "%dbit" % (RATE * 8)
        run(["tc", "class", "add", "dev", "lo", "parent", "1:", "classid", classid, "htb",
             "rate", rate, "ceil", rate])
        run(["tc", "filter", "add", "dev", "lo", "parent", "1:", "protocol", "ip", "prio", "1", "u32",
             "match", "ip", "src", host + "/32", "flowid", classid])


class Mirrors:
    """The five mirrors of one run, with the faults of a scenario."""

    def __init__(self, work, package, scenario, tag):
        self.processes = []
        self.logs = []
        for index, host in enumerate(MIRRORS):
            log = os.path.join(work, "logs", "%s-%s.jsonl" % (tag, host))
            if os.path.exists(log):
                os.unlink(log)
            argv = [sys.executable, "-u", MIRROR, "--file", package, "--host", host, "--port", str(PORT),
                    "--flag", "1 ok", "--log", log]
            if index == STALL_MIRROR and scenario in ("stall", "both"):
                argv += ["--stall-after", str(STALL_AFTER)]
            if index == CORRUPT_MIRROR and scenario in ("corrupt", "both"):
                argv += ["--flip", str(BAD_OFFSET)]
            self.processes.append(subprocess.Popen(argv, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                                   text=True))
            self.logs.append(log)
        for process in self.processes:
            line = process.stdout.readline()
            if not line.startswith("LISTENING"):
                self.stop()
                fail("a mirror did not start")

    def stop(self):
        for process in self.processes:
            if process.poll() is None:
                process.send_signal(signal.SIGTERM)
        for process in self.processes:
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()

    def requests(self):
        """Per mirror, the list of package requests it logged."""
        result = []
        for log in self.logs:
            entries = []
            if os.path.exists(log):
                with open(log, encoding="utf-8") as lines:
                    for line in lines:
                        entry = json.loads(line)
                        if entry["path"].startswith("/download/") and entry["method"] == "GET":
                            entries.append(entry)
            result.append(entries)
        return result


def timed(argv, out_path):
    """Runs argv; returns (wall seconds, cpu seconds, peak RSS MB, exit status)."""
    start = time.monotonic()
    process = subprocess.Popen(argv, stdout=out_path, stderr=subprocess.STDOUT)
    deadline = start + RUN_TIMEOUT
    while True:
        pid, status, usage = os.wait4(process.pid, os.WNOHANG)
        if pid == process.pid:
            break
        if time.monotonic() > deadline:
            process.kill()
            pid, status, usage = os.wait4(process.pid, 0)
            break
        time.sleep(0.005)
    wall = time.monotonic() - start
    process.returncode = os.waitstatus_to_exitcode(status)
    return wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024.0, process.returncode


def file_md5(path):
    digest = hashlib.md5()
    try:
        with open(path, "rb") as data:
            for block in iter(lambda: data.read(1 << 20), b""):
                digest.update(block)
    except OSError:
        return ""
    return digest.hexdigest().upper()


class Bench:
    def __init__(self, options, work):
        self.options = options
        self.work = work
        self.package = os.path.join(work, "pkg.exe")
        self.descriptor = os.path.join(work, "pkg.xml")
        self.metalink = os.path.join(work, "pkg.meta4")
        os.makedirs(os.path.join(work, "logs"), exist_ok=True)
        urls = ["http://%s:%d/download/pkg.exe" % (host, PORT) for host in MIRRORS]
        argv = [sys.executable, MAKE_PACKAGE, self.package, "--size", str(SIZE), "--seed", "20377688",
                "--name", "pkg.exe", "--descriptor", self.descriptor, "--metalink", self.metalink,
                "--digests", os.path.join(work, "pkg.md5")]
        for url in urls:
            argv += ["--url", url]
        run(argv)
        with open(os.path.join(work, "pkg.md5"), encoding="ascii") as digests:
            self.whole_md5 = digests.readline().strip()
        self.counter = 0

    def command(self, tool, out_dir):
        if tool == "ours":
            argv = [self.options.driver, self.descriptor, os.path.join(out_dir, "pkg.exe"),
                    "--timeout", str(RUN_TIMEOUT - 5)]
            if not self.options.ping:
                argv.append("--no-ping")
            if self.options.trace:
                argv.append("--trace")
            return argv
        return ["aria2c", "--no-conf=true", "-s10", "-x2", "-k1M", "-t6", "--file-allocation=none",
                "--summary-interval=0", "--console-log-level=warn", "--download-result=hide",
                "--allow-overwrite=true", "--auto-file-renaming=false",
                "-d", out_dir, "-M", self.metalink]

    def run_once(self, tool, scenario):
        self.counter += 1
        tag = "%03d-%s-%s" % (self.counter, scenario, tool)
        out_dir = os.path.join(self.work, "out-" + tool)
        shutil.rmtree(out_dir, ignore_errors=True)
        os.makedirs(out_dir)
        mirrors = Mirrors(self.work, self.package, scenario, tag)
        try:
            with open(os.path.join(self.work, "logs", tag + ".out"), "w") as output:
                wall, cpu, rss, status = timed(self.command(tool, out_dir), output)
        finally:
            mirrors.stop()
        requests = mirrors.requests()
        sent = sum(entry["bytes"] for entries in requests for entry in entries)
        # Responses of the corrupting mirror that carried bytes of the bad chunk (a
        # repair that asks it again shows as a second one), and whether the bad byte
        # itself went out (the fault fired).
        chunk_start = BAD_OFFSET // CHUNK * CHUNK
        bad_chunk_requests = sum(1 for entry in requests[CORRUPT_MIRROR]
                                 if entry["start"] < chunk_start + CHUNK
                                 and entry["start"] + entry["bytes"] > chunk_start)
        fault_fired = scenario in ("corrupt", "both") and any(
            entry["start"] <= BAD_OFFSET < entry["start"] + entry["bytes"] for entry in requests[CORRUPT_MIRROR])
        correct = file_md5(os.path.join(out_dir, "pkg.exe")) == self.whole_md5
        return {"wall": wall, "cpu": cpu, "rss": rss, "status": status, "overfetch": sent / SIZE,
                "bad_chunk_requests": bad_chunk_requests, "fault_fired": fault_fired, "correct": correct and status == 0}

    def scenario(self, scenario):
        results = {"ours": [], "aria2c": []}
        for tool in ("ours", "aria2c"):
            self.run_once(tool, scenario)  # warm-up, not counted
        for pair in range(self.options.pairs):
            order = ("ours", "aria2c") if pair % 2 == 0 else ("aria2c", "ours")
            for tool in order:
                result = self.run_once(tool, scenario)
                results[tool].append(result)
                print("  %-7s %-6s #%d  %6.2f s  over-fetch %.3f  cpu %5.2f s  rss %6.1f MB  %s%s" % (
                    scenario, tool, pair + 1, result["wall"], result["overfetch"], result["cpu"], result["rss"],
                    "ok" if result["correct"] else "WRONG (exit %d)" % result["status"],
                    "  (bad byte served)" if result["fault_fired"] else ""), flush=True)
        return results


def summarize(scenario, results):
    line = {}
    print("%s:" % scenario)
    for tool in ("ours", "aria2c"):
        runs = results[tool]
        wall = statistics.median(r["wall"] for r in runs)
        line[tool] = wall
        extra = ""
        if tool == "ours":
            extra = "  efficiency %.2f" % (IDEAL / wall)
        if scenario in ("corrupt", "both"):
            extra += "  bad byte served in %d/%d runs; responses with bad-chunk bytes from that mirror: max %d" % (
                sum(r["fault_fired"] for r in runs), len(runs), max(r["bad_chunk_requests"] for r in runs))
        fired = [r["wall"] for r in runs if r["fault_fired"]]
        if scenario in ("corrupt", "both") and fired:
            extra += "; median when served %.2f s" % statistics.median(fired)
        print("  %-6s median %6.2f s  over-fetch %.3f  cpu %5.2f s  peak rss %6.1f MB  correct %d/%d%s" % (
            tool, wall, statistics.median(r["overfetch"] for r in runs), statistics.median(r["cpu"] for r in runs),
            max(r["rss"] for r in runs), sum(r["correct"] for r in runs), len(runs), extra))
    ratio = line["ours"] / line["aria2c"]
    print("  ratio ours/aria2c %.2f" % ratio)
    return ratio


def in_namespace(options, work):
    set_up_network()
    bench = Bench(options, work)
    print("package %d bytes, %d mirrors at %d bytes/s each, ideal %.3f s" % (SIZE, len(MIRRORS), RATE, IDEAL))
    md5 = run([options.driver, "--md5", bench.package, "--rounds", "5"]).stdout.strip()
    print("in-memory " + md5)
    ratios = {}
    for scenario in options.scenarios:
        print("scenario %s" % scenario, flush=True)
        results = bench.scenario(scenario)
        ratios[scenario] = (results, None)
    print()
    summary = []
    for scenario in options.scenarios:
        ratio = summarize(scenario, ratios[scenario][0])
        summary.append("%.2f (%s)" % (ratio, scenario))
    print("ratio ours/aria2c: " + " ".join(summary))


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--driver", required=True, help="bench-download-driver binary")
    parser.add_argument("--pairs", type=int, default=5)
    parser.add_argument("--scenarios", default=",".join(SCENARIOS))
    parser.add_argument("--ping", action="store_true",
                        help="let the engine rank the mirrors by real ICMP echo (all near 0 ms here, so "
                             "the order, and which mirror serves chunk 6, varies from run to run)")
    parser.add_argument("--trace", action="store_true",
                        help="our engine's log lines, with milliseconds, go to the run's output in the work folder")
    parser.add_argument("--keep", help="work folder to keep (default: a temporary one, removed)")
    parser.add_argument("--in-namespace", action="store_true", help=argparse.SUPPRESS)
    options = parser.parse_args(argv)
    options.scenarios = [s for s in options.scenarios.split(",") if s]
    for scenario in options.scenarios:
        if scenario not in SCENARIOS:
            fail("unknown scenario %s (known: %s)" % (scenario, ", ".join(SCENARIOS)))

    if os.geteuid() != 0:
        fail("needs root: it makes a private network namespace and caps the mirrors with tc. "
             "Run it as root (sudo build/bench-download).")
    for tool in ("aria2c", "tc", "ip", "unshare"):
        if shutil.which(tool) is None:
            fail("%s is not installed (scripts/bootstrap installs aria2 and iproute2)" % tool)
    if not os.access(options.driver, os.X_OK):
        fail("driver %s is missing: build it with cmake --build build --target bench-download" % options.driver)

    if not options.in_namespace:
        # Everything else runs in a fresh network namespace: loopback only, our tc rules.
        argv = ["unshare", "-n", sys.executable, os.path.abspath(__file__), "--in-namespace"] + argv
        return subprocess.call(argv)
    work = options.keep or tempfile.mkdtemp(prefix="bench-download-")
    os.makedirs(work, exist_ok=True)
    try:
        in_namespace(options, work)
    finally:
        if not options.keep:
            shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
