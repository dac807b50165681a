#!/usr/bin/env bash
# Builds and runs every test: the optimised build and its Debian package, a
# short run of every fuzz target (clang, sanitizers), then the sanitizer
# build of the tests.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --workflow --preset default
scripts/package-test.sh build/default
cmake --workflow --preset tsan
cmake --workflow --preset fuzz
cmake --workflow --preset asan
