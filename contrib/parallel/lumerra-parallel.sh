#!/usr/bin/env bash
# Runs one lumerra command over a list of files with GNU parallel, on this
# machine or on several over ssh, and writes one JSON record per input.
#
#   lumerra-parallel.sh [PARALLEL OPTIONS...] -- COMMAND [ARGS...] < LIST > OUT.jsonl
#
#   find corpus -name '*.pdf' |
#       lumerra-parallel.sh --sshloginfile hosts -- triage --timeout 30 > triage.jsonl
#
# LIST holds the paths, one a line. They go in batches of $BATCH (default
# 200) to `lumerra COMMAND ARGS... --json --files-from -` on the hosts that
# the parallel options name (--sshloginfile FILE, or -S 8/host1,8/host2,:
# where ":" is this machine); every host needs lumerra ($LUMERRA names it,
# default "lumerra") and the same paths. A batch's records come out whole
# once it is done. A batch that fails (lumerra killed, a host gone, an exit
# code that is not 0, 1 or 3) is run again, on another host where there is
# one, up to $RETRIES runs in all (default 3); parallel keeps only the output
# of the run that succeeded, so every input gets exactly one record. A batch
# that fails every time has none, and parallel's exit code counts it.
set -euo pipefail

options=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
    options+=("$1")
    shift
done
if [ $# -lt 2 ]; then
    echo "usage: lumerra-parallel.sh [PARALLEL OPTIONS...] -- COMMAND [ARGS...] < LIST" >&2
    exit 2
fi
shift

# The command as one shell line for the remote side: each word quoted, and
# lumerra's exit codes 1 (a file unreadable) and 3 (findings) taken as
# success, since every file has its record then.
printf -v words ' %q' "${LUMERRA:-lumerra}" "$@" --json --files-from -
job="${words# }; case \$? in 0|1|3) exit 0;; *) exit 1;; esac"

exec parallel --will-cite --pipe -N "${BATCH:-200}" --retries "${RETRIES:-3}" "${options[@]}" "$job"
