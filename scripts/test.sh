#!/usr/bin/env bash
# Builds and runs every test: the optimised build, then the sanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --workflow --preset default
cmake --workflow --preset asan
