#!/usr/bin/env bash
# The GNU parallel recipe with two local job slots (-S 2/:) over a few
# hundred generated files, one batch of which dies after writing part of its
# records. Every input must still have exactly one record.
#
# Usage: parallel_test.sh LUMERRA SOURCE_DIR
# Exits 77 (skipped) where GNU parallel is not installed.
set -euo pipefail
lumerra=$1
source_dir=$2
files=200

if ! command -v parallel >/dev/null; then
    echo "skipped: GNU parallel is not installed (Debian: parallel)"
    exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
started=$SECONDS
python3 "$source_dir/tests/distributed/generate_pdfs.py" "$work/pdf" "$files" >"$work/list"

# The first batch to start writes half its records, then its lumerra is
# killed: parallel must drop that output and run the batch again.
cat >"$work/dying-lumerra" <<WRAPPER
#!/usr/bin/env bash
if mkdir "$work/died" 2>/dev/null; then
    "$lumerra" "\$@" | head -n 5
    kill -KILL \$\$
fi
exec "$lumerra" "\$@"
WRAPPER
chmod +x "$work/dying-lumerra"

LUMERRA=$work/dying-lumerra BATCH=20 RETRIES=3 timeout 120 \
    "$source_dir/contrib/parallel/lumerra-parallel.sh" -S 2/: -- triage <"$work/list" >"$work/records.jsonl" 2>"$work/stderr" ||
    { cat "$work/stderr"; exit 1; }
test -d "$work/died" || { echo "no batch died" >&2; exit 1; }
python3 "$source_dir/tests/distributed/check_records.py" "$work/list" "$work/records.jsonl" triage
if python3 -c 'import jsonschema' 2>/dev/null; then
    python3 "$source_dir/tests/cli/validate_records.py" "$source_dir/docs/schema" triage "$work/records.jsonl"
fi
echo "GNU parallel run with a batch killed: $((SECONDS - started)) s"
