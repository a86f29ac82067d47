#!/usr/bin/env bash
# Builds the Release configuration and the Debian package dist/velaron_<version>_amd64.deb.
# Usage: scripts/package.sh [build-folder]      (default build-release)
# Install it with: apt-get install ./dist/velaron_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --package
build=${1:-build-release}
# Debian's hardening flags (stack protector, fortified functions, read-only relocations bound
# at start); no debug information, the package's binaries are stripped.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS | sed 's/\(^\| \)-g\b//')"
# Only what the package holds is built: installing does not wait for the tests.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVLR_WERROR=ON -DVLR_BENCH=OFF \
    -DVLR_MAN_PAGES=ON -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
    -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
cmake --build "$build" -j2 --target velaron vlr vlr-sim vlr_man_pages vlr_package_changelog
# A package of an older version or build is not left beside the new one.
rm -f dist/velaron_*.deb
(cd "$build" && cpack -G DEB)
ls dist/velaron_*.deb
