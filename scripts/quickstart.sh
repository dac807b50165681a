#!/usr/bin/env bash
# Sets everything up, builds the command-line tool and the desktop program and
# writes the report of the bundled sample.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default --target lumerra pdf-lumerra
build/default/cli/lumerra info examples/sample.pdf
build/default/cli/lumerra decode examples/sample.pdf -o examples/sample.txt
echo "The report is in examples/sample.txt"
echo "Start the desktop program with build/default/shell/pdf-lumerra"
