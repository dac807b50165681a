#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those that are missing.
# As root it installs them itself; as a user through sudo when there is sudo,
# otherwise it says what root has to run.
set -euo pipefail

packages=(
  g++ make cmake pkg-config
  zlib1g-dev libdeflate-dev nlohmann-json3-dev nettle-dev libidn-dev libgnutls28-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-translations-l10n fonts-ipafont-gothic
  # The command line's message catalogues (msgfmt); ja_JP.UTF-8 for the tests
  # of its Japanese messages.
  gettext locales-all
  # The progress dialog sets its window type under openbox through xcb.
  libxcb1-dev
  clang libclang-rt-14-dev
  file dpkg-dev lintian
  xvfb xauth
  # Test-only: rewrites fixtures with object streams and encrypts them; never linked.
  qpdf
  # Test-only: signs a fixture for real (pdfsig) with a throw-away certificate
  # in an NSS database (certutil); never linked.
  poppler-utils libnss3-tools
  # Test-only: runs pdfid, the reference of triage's raw counts; never linked.
  python3
  # Test-only: validates pipeline records against docs/schema; never linked.
  python3-jsonschema
  # Test-only: the distributed engines the recipes in contrib/ are run on
  # (a Dask cluster on 127.0.0.1, GNU parallel); never linked.
  python3-distributed parallel
  # Benchmark-only: typesets the producer's document of bench_decode; never linked.
  ghostscript
  # Benchmark-only: mutool clean -d, the baseline of bench_sharing; never linked.
  mupdf-tools
  # Test-only: pdfTeX writes one of the producers' files the object check is
  # held to (check --objects); never linked.
  texlive-latex-base
  # Test-only: LibreOffice's Writer writes another of them (converted once per
  # test program, a few seconds); never linked.
  libreoffice-writer-nogui
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null 2>&1; then
    echo "setup: missing packages: ${missing[*]}" >&2
    echo "setup: there is no sudo here; as root, run:" >&2
    echo "  apt-get update && apt-get install --no-install-recommends ${missing[*]}" >&2
    exit 1
  fi
  as_root=(sudo)
fi

echo "setup: installing ${missing[*]}"
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
