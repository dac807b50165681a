#!/usr/bin/env python3
"""Files per second per core of pipeline mode, for triage, info and check.

Usage: pipeline_throughput.py LUMERRA [FILES] [ROUNDS]

Generates FILES (default 1000) small PDF files with
tests/distributed/generate_pdfs.py (the same files in every run: one to
eight pages each, a tenth with a table to rebuild, a seventeenth not PDF),
then, for each command and side by side in each round:

- plain:    lumerra COMMAND --json FILE...   (one process, no workers)
- pipeline: lumerra COMMAND --json --files-from LIST -j 1, and -j 2

It prints, per command and way, the median over ROUNDS (default 3) of the
files per second of wall time, and of the files per CPU-second (user and
system time of lumerra and its workers, which is files per second per core
on an otherwise idle machine).
"""
import os
import resource
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
GENERATOR = os.path.join(HERE, "..", "tests", "distributed", "generate_pdfs.py")


def children_cpu():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def timed(arguments):
    """(wall seconds, CPU seconds) of one run; its output is thrown away."""
    cpu, wall = children_cpu(), time.perf_counter()
    completed = subprocess.run(arguments, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
    wall, cpu = time.perf_counter() - wall, children_cpu() - cpu
    if completed.returncode not in (0, 1, 3):
        sys.exit(f"{' '.join(arguments[:3])}...: exit code {completed.returncode}")
    return wall, cpu


def main():
    lumerra = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 1000
    rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 3
    with tempfile.TemporaryDirectory() as folder:
        listing = os.path.join(folder, "list")
        with open(listing, "w", encoding="utf-8") as out:
            subprocess.run([sys.executable, GENERATOR, os.path.join(folder, "pdf"), str(count)], stdout=out, check=True)
        with open(listing, encoding="utf-8") as source:
            paths = source.read().split()
        total = sum(os.path.getsize(path) for path in paths)
        print(f"{count} files, {total / count:.0f} bytes each on average, {rounds} rounds, "
              f"{os.cpu_count()} cores, load {os.getloadavg()[0]:.1f}")
        ways = {
            "plain": lambda command: [lumerra, command, "--json", *paths],
            "pipeline -j 1": lambda command: [lumerra, command, "--json", "--files-from", listing, "-j", "1"],
            "pipeline -j 2": lambda command: [lumerra, command, "--json", "--files-from", listing, "-j", "2"],
        }
        print(f"{'command':8} {'way':14} {'files/s':>9} {'files/CPU-s':>12}")
        for command in ("triage", "info", "check"):
            samples = {way: [] for way in ways}
            for _ in range(rounds):
                for way, arguments in ways.items():
                    samples[way].append(timed(arguments(command)))
            for way, runs in samples.items():
                wall = statistics.median(count / run[0] for run in runs)
                cpu = statistics.median(count / run[1] for run in runs)
                print(f"{command:8} {way:14} {wall:9.0f} {cpu:12.0f}")


if __name__ == "__main__":
    main()
