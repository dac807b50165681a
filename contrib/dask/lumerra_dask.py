#!/usr/bin/env python3
"""Runs one lumerra command over a list of files on a Dask cluster.

    lumerra_dask.py --scheduler HOST:PORT --output OUT.jsonl LIST -- triage --timeout 30

LIST holds the paths, one a line ("-" for standard input). They are cut into
partitions of --partition-size paths; each partition is a Dask task that
pipes its paths (NUL-separated) through

    lumerra COMMAND ARGS... --json -0 --files-from -

on a worker and returns the records. The records are appended to OUT.jsonl
as partitions finish, each partition's records whole and in their list
order. A task whose worker dies is run again by Dask on another worker; its
records are only ever taken from the run that finished, so every input gets
exactly one record. Paths that OUT.jsonl already records are skipped, so a
run that was stopped is resumed by starting it again with the same OUT.jsonl.

The workers need lumerra (--lumerra names it, on every worker) and the same
paths as the client: a shared file system, or the files copied beforehand.
"""
import argparse
import json
import subprocess
import sys

from distributed import Client, as_completed

# lumerra's exit codes that still mean "a record for every file": 0 all well,
# 1 some file unreadable (or timed out, or crashed), 3 findings.
RECORD_EXIT_CODES = (0, 1, 3)


def run_partition(lumerra, command, paths):
    """Runs on a worker: the records of the paths, one JSON text each."""
    completed = subprocess.run(
        [lumerra, *command, "--json", "-0", "--files-from", "-"],
        input=b"".join(path.encode() + b"\0" for path in paths),
        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, check=False)
    lines = completed.stdout.decode().splitlines()
    if completed.returncode not in RECORD_EXIT_CODES or len(lines) != len(paths):
        raise RuntimeError(f"lumerra exited with {completed.returncode} "
                           f"after {len(lines)} of {len(paths)} records")
    return lines


def recorded_paths(output):
    """The paths OUT.jsonl holds a whole record of; cuts off a torn last line."""
    try:
        with open(output, "rb+") as log:
            data = log.read()
            whole = data[:data.rfind(b"\n") + 1]
            if len(whole) != len(data):
                log.truncate(len(whole))
    except FileNotFoundError:
        return set()
    return {json.loads(line)["file"] for line in whole.decode().splitlines()}


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--scheduler", required=True, help="the Dask scheduler, HOST:PORT")
    parser.add_argument("--output", required=True, help="the JSON Lines file the records are appended to")
    parser.add_argument("--partition-size", type=int, default=200, help="paths per task (default 200)")
    parser.add_argument("--lumerra", default="lumerra", help="the program on the workers")
    parser.add_argument("--progress", action="store_true", help="tell each finished partition on standard error")
    parser.add_argument("list", help="the paths, one a line; - for standard input")
    parser.add_argument("command", nargs=argparse.REMAINDER, help="-- COMMAND [ARGS...]")
    options = parser.parse_args()
    command = options.command[1:] if options.command[:1] == ["--"] else options.command
    if not command:
        parser.error("no lumerra command given")

    source = sys.stdin if options.list == "-" else open(options.list, encoding="utf-8")
    with source:
        paths = [line.rstrip("\n") for line in source if line.strip("\n")]
    done = recorded_paths(options.output)
    todo = [path for path in dict.fromkeys(paths) if path not in done]
    size = options.partition_size
    partitions = [todo[start:start + size] for start in range(0, len(todo), size)]

    with Client(options.scheduler) as client, open(options.output, "a", encoding="utf-8") as output:
        futures = client.map(run_partition, [options.lumerra] * len(partitions),
                             [command] * len(partitions), partitions, pure=False)
        for finished, future in enumerate(as_completed(futures), start=1):
            output.write("".join(line + "\n" for line in future.result()))
            output.flush()
            if options.progress:
                print(f"partition {finished}/{len(partitions)} done", file=sys.stderr, flush=True)


if __name__ == "__main__":
    main()
