#!/usr/bin/env bash
# Tests the Debian package of the default build: builds it, checks it with
# lintian (any error or warning fails), installs it, runs both installed
# programs and removes the package again.
#
#   scripts/package-test.sh [BUILD]      (default: build/default, built)
#
# Installing needs root: as another user the test is skipped.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}

if [ "$(id -u)" -ne 0 ]; then
  echo "package-test: skipped: installing a package needs root (run it as root, or with sudo)"
  exit 0
fi
if dpkg-query -W -f='${Status}' pdf-lumerra 2>/dev/null | grep -q "install ok installed"; then
  echo "package-test: skipped: pdf-lumerra is installed on this machine already and is left alone"
  exit 0
fi

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
(cd "$build" && cpack -G DEB >cpack.log 2>&1) || { cat "$build/cpack.log"; exit 1; }
package=$(ls -t "$build"/pdf-lumerra_"$version"_*.deb | head -n 1)
echo "package-test: $package"

lintian --fail-on error,warning "$package"

trap 'dpkg --purge pdf-lumerra >/dev/null' EXIT
dpkg --install "$package" >/dev/null

check() {  # check EXPECTED COMMAND...: the first line COMMAND prints is EXPECTED
  local out
  out=$("${@:2}") || { echo "package-test: ${*:2} failed" >&2; exit 1; }
  if [ "${out%%$'\n'*}" != "$1" ]; then
    echo "package-test: ${*:2}: expected \"$1\", got \"${out%%$'\n'*}\"" >&2
    exit 1
  fi
}
check "lumerra $version" /usr/bin/lumerra --version
check "file: examples/sample.pdf" /usr/bin/lumerra info examples/sample.pdf
check "pdf-lumerra $version" env QT_QPA_PLATFORM=offscreen /usr/bin/pdf-lumerra --version
# The user guide that 最新版の入手 opens, with its pages.
for guide in README.md docs/desktop-program.md; do
  [ -f "/usr/share/doc/pdf-lumerra/$guide" ] || { echo "package-test: $guide is not installed" >&2; exit 1; }
done

# The command line finds its installed catalogue: Japanese under a Japanese
# locale, English otherwise.
damaged=$(mktemp --suffix=.pdf)
trap 'rm -f "$damaged"; dpkg --purge pdf-lumerra >/dev/null' EXIT
printf '%%PDF-1.4\n' >"$damaged"
told() {  # told LANG: what lumerra says about the damaged file under LANG
  env -u LC_ALL -u LC_MESSAGES -u LANGUAGE LANG="$1" /usr/bin/lumerra info "$damaged" 2>&1 || true
}
for expected in "ja_JP.UTF-8|%%EOFがありません。" "C.UTF-8|There is no %%EOF."; do
  out=$(told "${expected%%|*}")
  if [ "$out" != "lumerra: $damaged: ${expected#*|} (offset 3)" ]; then
    echo "package-test: under ${expected%%|*}: got \"$out\"" >&2
    exit 1
  fi
done
echo "package-test: passed"
