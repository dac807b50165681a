#!/usr/bin/env bash
# Runs the fuzz targets for longer than the CI's short run, one after the
# other, one process each (the machine is shared).
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]
#
# SECONDS per target (default 600); TARGETs among document document_extended lexer ascii_hex
# ascii85 flate fast_inflate stream_data stream_tables shell_link lzw run_length
# predictor (default all). Environment: FUZZ_RSS_MB (2048),
# FUZZ_TIMEOUT (seconds per input, 15), FUZZ_MAX_LEN (bytes per input, 4096),
# FUZZ_BUILD (build folder, build/fuzz). New inputs collect in
# FUZZ_BUILD/fuzz/corpus-work/TARGET; crashes, hangs and memory blow-ups in
# FUZZ_BUILD/fuzz/artifacts/TARGET. Copy a finding into fuzz/corpus/TARGET/
# as found-NAME and write its regression test.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(document document_extended lexer ascii_hex ascii85 flate fast_inflate stream_data stream_tables shell_link lzw run_length predictor)
fi
build=${FUZZ_BUILD:-build/fuzz}

if [ "$build" = build/fuzz ]; then
  cmake --preset fuzz >/dev/null
  cmake --build --preset fuzz
else
  cmake --build "$build" -j2
fi

# Reports and spilled data of the whole-file target go to memory when it can.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

status=0
for target in "${targets[@]}"; do
  work="$build/fuzz/corpus-work/$target"
  artifacts="$build/fuzz/artifacts/$target"
  log="$build/fuzz/fuzz-$target.log"
  mkdir -p "$work" "$artifacts"
  echo "fuzz: $target for ${seconds}s (log: $log)"
  if "$build/fuzz/fuzz_$target" \
      -max_total_time="$seconds" \
      -rss_limit_mb="${FUZZ_RSS_MB:-2048}" \
      -timeout="${FUZZ_TIMEOUT:-15}" \
      -max_len="${FUZZ_MAX_LEN:-4096}" \
      -print_final_stats=1 \
      -artifact_prefix="$artifacts/" \
      "$work" "fuzz/corpus/$target" >"$log" 2>&1; then
    verdict="no finding"
  else
    verdict="FINDING (see $artifacts)"
    status=1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  echo "fuzz: $target: ${runs:-?} executions, ${rate:-?}/s, $verdict"
done
exit $status
