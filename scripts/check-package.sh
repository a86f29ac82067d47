#!/usr/bin/env bash
# Builds the Debian package (scripts/package.sh) and checks it: its files, its metadata, the
# programs it holds naming the project's version, and lintian without errors.
# Usage: scripts/check-package.sh [build-folder]      (default build-release)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-release}
scripts/package.sh "$build"
deb=$(ls dist/velaron_*.deb)
version=$(sed -n 's/^project(VelaronLink VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
failures=0
fail() {
    echo "check-package: $*" >&2
    failures=$((failures + 1))
}

[ "$deb" = "dist/velaron_${version}_amd64.deb" ] || fail "package file $deb, expected version $version"
[ "$(dpkg-deb --field "$deb" Package)" = velaron ] || fail "wrong package name"
[ "$(dpkg-deb --field "$deb" Version)" = "$version" ] || fail "Version is not $version"
[ "$(dpkg-deb --field "$deb" Architecture)" = amd64 ] || fail "Architecture is not amd64"

contents=$(dpkg-deb --contents "$deb" | awk '{print $6}')
for file in /usr/bin/velaron /usr/bin/vlr /usr/bin/vlr-sim \
    /usr/share/velaron/manual/index.html \
    /usr/share/man/man1/velaron.1.gz /usr/share/man/man1/vlr.1.gz \
    /usr/share/man/man1/vlr-sim.1.gz \
    /usr/share/applications/velaron.desktop \
    /usr/share/icons/hicolor/scalable/apps/velaron.svg \
    /usr/share/doc/velaron/copyright /usr/share/doc/velaron/changelog.gz; do
    grep -qx "\.$file" <<<"$contents" || fail "missing $file"
done
# Everything lies in the system's own folders.
outside=$(grep -v -e '^\./$' -e '^\./usr/$' -e '^\./usr/bin/' -e '^\./usr/share/' <<<"$contents" || true)
[ -z "$outside" ] || fail "files outside /usr/bin and /usr/share: $outside"

# Run-time needs the linker cannot see, and libraries dpkg-shlibdeps found in the binaries.
depends=$(dpkg-deb --field "$deb" Depends)
for package in libqt6sql6-sqlite libqt6sql6-psql qt6-qpa-plugins qt6-translations-l10n \
    fonts-liberation libqt6core6 libqt6widgets6 libqt6serialport6 libsqlite3-0; do
    grep -Eq "(^|, )$package( |,|$)" <<<"$depends" || fail "Depends does not name $package: $depends"
done

# The packaged programs and man pages name the version.
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
for program in velaron vlr vlr-sim; do
    # No display: velaron answers --version before it needs one.
    said=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$unpacked/usr/bin/$program" --version)
    grep -q "^$program (Velaron Link) $version$" <<<"$said" ||
        fail "$program --version does not name $version: $said"
    page=$(zcat "$unpacked/usr/share/man/man1/$program.1.gz")
    grep -q "^\.TH \"\?${program^^}\"\? \"\?1\"\? .*Velaron Link $version\"" <<<"$page" ||
        fail "the man page of $program does not name version $version"
    grep -q -- '\\-\\-version' <<<"$page" || fail "the man page of $program does not list --version"
done

echo "lintian:"
lintian --fail-on error --display-info "$deb" || fail "lintian reports errors"

if ((failures)); then
    echo "check-package: $failures failure(s) in $deb" >&2
    exit 1
fi
echo "check-package: $deb is complete"
