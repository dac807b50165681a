#!/usr/bin/env python3
"""Holds a run's records against its list: every path exactly one record.

Usage: check_records.py LIST RECORDS.jsonl COMMAND

Fails (exit 1, saying why) when a path has no record or more than one, when
a record names a path the list does not hold, when a line is not a whole JSON
object, or when a record lacks the command's keys or has a status a
generated file cannot have.
"""
import collections
import json
import sys

EXPECTED_STATUSES = {"ok", "findings", "damaged-repaired", "unreadable"}


def main():
    list_path, records_path, command = sys.argv[1:4]
    with open(list_path, encoding="utf-8") as source:
        paths = [line.rstrip("\n") for line in source if line.strip("\n")]
    counts = collections.Counter()
    faults = []
    with open(records_path, encoding="utf-8") as records:
        for number, line in enumerate(records, start=1):
            try:
                record = json.loads(line)
            except json.JSONDecodeError as error:
                faults.append(f"line {number} is not JSON: {error}")
                continue
            counts[record.get("file")] += 1
            if record.get("status") not in EXPECTED_STATUSES:
                faults.append(f"line {number}: status {record.get('status')!r}")
            if command not in record:
                faults.append(f"line {number}: no {command!r} key")
    wanted = set(paths)
    faults += [f"{path}: no record" for path in paths if counts[path] == 0]
    faults += [f"{path}: {count} records" for path, count in counts.items() if count > 1]
    faults += [f"{path}: not in the list" for path in counts if path not in wanted]
    for fault in faults[:20]:
        print(fault, file=sys.stderr)
    if faults:
        print(f"{len(faults)} faults over {len(paths)} inputs", file=sys.stderr)
        return 1
    print(f"{len(paths)} inputs, one record each")
    return 0


if __name__ == "__main__":
    sys.exit(main())
