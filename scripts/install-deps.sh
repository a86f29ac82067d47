#!/usr/bin/env bash
# Installs what the build, the tests and the benchmarks need on a Debian 12 machine (as root).
# With --package also what building and checking the Debian package needs.
# Does nothing when everything is there already.
set -euo pipefail

packages=(
    cmake ninja-build g++ clang libclang-rt-14-dev clang-format
    qt6-base-dev libqt6sql6-sqlite libsqlite3-dev qt6-serialport-dev qt6-translations-l10n
    libxlsxwriter-dev pkg-config
    libgtest-dev libgmock-dev libbenchmark-dev
    python3 python3-xlrd python3-olefile python3-xlwt python3-openpyxl python3-xlsxwriter
    fonts-liberation poppler-utils help2man
    postgresql-15 libqt6sql6-psql libpq-dev
)
if [ "${1:-}" = --package ]; then
    # dpkg-shlibdeps (dpkg-dev) and file find the libraries of the binaries; lintian checks
    # the package.
    packages+=(dpkg-dev file lintian)
fi

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
