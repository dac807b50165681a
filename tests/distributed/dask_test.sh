#!/usr/bin/env bash
# The Dask recipe on a real cluster: a scheduler and two workers on
# 127.0.0.1, a few hundred generated files, and one worker killed while it
# holds tasks; then the run resumed after its output was cut in half. Every
# input must have exactly one record.
#
# Usage: dask_test.sh LUMERRA SOURCE_DIR
# Exits 77 (skipped) where Dask is not installed.
set -euo pipefail
lumerra=$1
source_dir=$2
files=300
partition_size=10

# Debian's Dask lives in the system's Python, which may not be the first
# python3 on the PATH.
python=
for candidate in python3 /usr/bin/python3; do
    if "$candidate" -c 'import distributed' 2>/dev/null; then python=$candidate; break; fi
done
if [ -z "$python" ] || ! command -v dask >/dev/null; then
    echo "skipped: Dask is not installed (Debian: python3-distributed)"
    exit 77
fi

work=$(mktemp -d)
groups=()
# Everything started here runs in its own process group, killed on the way
# out whatever the outcome; each is also bounded by timeout(1) in case this
# script itself is killed before its trap runs.
stop_all() {
    local status=$?
    for group in "${groups[@]}"; do
        kill -KILL -- "-$group" 2>/dev/null || true
    done
    if [ "$status" -ne 0 ] && [ "$status" -ne 77 ]; then
        for log in "$work"/*.log; do echo "== $log"; tail -n 20 "$log"; done
    fi
    rm -rf "$work"
    exit "$status"
}
trap stop_all EXIT
trap 'exit 130' INT TERM

start() {  # start LOG COMMAND...: runs COMMAND in a new process group
    local log=$1; shift
    setsid timeout 120 "$@" >"$work/$log" 2>&1 &
    groups+=("$!")
}

wait_for() {  # wait_for SECONDS CONDITION...: polls CONDITION every 0.1 s
    local deadline=$((SECONDS + $1)); shift
    until "$@"; do
        if [ "$SECONDS" -ge "$deadline" ]; then echo "timed out waiting for: $*" >&2; return 1; fi
        sleep 0.1
    done
}

started=$SECONDS
python3 "$source_dir/tests/distributed/generate_pdfs.py" "$work/pdf" "$files" >"$work/list"

scheduler_file=$work/scheduler.json
start scheduler.log dask scheduler --host 127.0.0.1 --port 0 --no-dashboard --scheduler-file "$scheduler_file"
wait_for 30 test -s "$scheduler_file"
for n in 1 2; do
    start "worker$n.log" dask worker --scheduler-file "$scheduler_file" --host 127.0.0.1 --nthreads 1 \
        --no-nanny --no-dashboard --local-directory "$work/worker$n" --name "worker$n"
done
worker1_group=${groups[1]}

scheduler=$("$python" -c 'import json, sys; print(json.load(open(sys.argv[1]))["address"])' "$scheduler_file")
two_workers() {
    "$python" - "$scheduler" <<'PY'
import sys
from distributed import Client
with Client(sys.argv[1], timeout=10) as client:
    sys.exit(0 if len(client.scheduler_info()["workers"]) == 2 else 1)
PY
}
wait_for 30 two_workers

start recipe.log "$python" "$source_dir/contrib/dask/lumerra_dask.py" --scheduler "$scheduler" \
    --output "$work/records.jsonl" --partition-size "$partition_size" --lumerra "$lumerra" --progress \
    "$work/list" -- triage
recipe_group=${groups[-1]}

# Kill the first worker once a few partitions are done: both workers hold
# tasks then, and the run is far from over.
a_few_done() { grep -qs "^partition [3-9]/" "$work/recipe.log"; }
wait_for 60 a_few_done
kill -KILL -- "-$worker1_group"
done_at_kill=$(grep -c "^partition " "$work/recipe.log")
partitions=$(((files + partition_size - 1) / partition_size))
echo "worker1 killed after $done_at_kill of $partitions partitions"
if [ "$done_at_kill" -ge "$partitions" ]; then
    echo "the run ended before the worker was killed" >&2
    exit 1
fi

wait_for 60 test ! -e "/proc/$recipe_group"
wait "$recipe_group" || { echo "the recipe failed" >&2; exit 1; }
grep -q "^partition $partitions/$partitions done" "$work/recipe.log"
# The scheduler saw the worker go, and ran its tasks again elsewhere.
grep -q "Remove worker" "$work/scheduler.log"

python3 "$source_dir/tests/distributed/check_records.py" "$work/list" "$work/records.jsonl" triage

# Resuming: a run stopped while writing leaves half its records and a torn
# last line; the same command again does the rest, each file once.
records_size=$(stat -c %s "$work/records.jsonl")
truncate -s $((records_size / 2 + 7)) "$work/records.jsonl"
timeout 60 "$python" "$source_dir/contrib/dask/lumerra_dask.py" --scheduler "$scheduler" \
    --output "$work/records.jsonl" --partition-size "$partition_size" --lumerra "$lumerra" \
    "$work/list" -- triage >"$work/resume.log" 2>&1
python3 "$source_dir/tests/distributed/check_records.py" "$work/list" "$work/records.jsonl" triage
if python3 -c 'import jsonschema' 2>/dev/null; then
    python3 "$source_dir/tests/cli/validate_records.py" "$source_dir/docs/schema" triage "$work/records.jsonl"
fi
echo "Dask run with a worker killed: $((SECONDS - started)) s"
