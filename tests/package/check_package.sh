#!/usr/bin/env bash
# Checks the Debian package that `make package` built: unpacks it into a scratch root with
# dpkg -x and looks at the files where the desktop looks for them. It ships only its own
# files (no MIME or desktop databases, which other packages own and rebuild), its entries
# pass the desktop and AppStream validators, the file type and the desktop entry make .ask
# files open with vemba, and both programs report the package's version.
#
# Usage: check_package.sh BUILD_FOLDER
set -euo pipefail

build=${1:?usage: check_package.sh BUILD_FOLDER}
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb="$build/vemba_${version}_$(dpkg --print-architecture).deb"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
root="$scratch/root"
problems=0

fail() {
    echo "package check: $*" >&2
    problems=$((problems + 1))
}

[ -n "$version" ] || { echo "package check: no project version in $build" >&2; exit 1; }
[ -f "$deb" ] || { echo "package check: $deb is missing; run make package" >&2; exit 1; }
echo "package check: $deb"

# The control fields: the version, and dependencies found by dpkg-shlibdeps.
[ "$(dpkg-deb -f "$deb" Package)" = vemba ] || fail "the package is not named vemba"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version is not $version"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libqt6gui6 libqt6core6 libstdc++6; do
    grep -q "\b$library\b" <<<"$depends" || fail "Depends lacks $library: $depends"
done
# Everything it needs can be had on this system (all of it from Debian).
if ! apt-get install --simulate --no-install-recommends "$(realpath "$deb")" >"$scratch/apt.log" 2>&1; then
    cat "$scratch/apt.log" >&2
    fail "apt cannot install the package"
fi

dpkg -x "$deb" "$root"

# Exactly these files: the programs, the desktop entry, the AppStream data, the icons, the
# file type and the sample tests.
{
    printf '%s\n' usr/bin/vemba usr/bin/vemba-cli \
        usr/share/applications/hu.vemba.Vemba.desktop \
        usr/share/metainfo/hu.vemba.Vemba.metainfo.xml \
        usr/share/mime/packages/hu.vemba.Vemba.xml \
        usr/share/icons/hicolor/scalable/apps/hu.vemba.Vemba.svg \
        usr/share/icons/hicolor/256x256/apps/hu.vemba.Vemba.png \
        usr/share/icons/hicolor/48x48/apps/hu.vemba.Vemba.png
    for sample in "$source_dir"/resources/Ask/*.ask; do
        echo "usr/share/vemba/Ask/$(basename "$sample")"
    done
} | sort >"$scratch/expected"
(cd "$root" && find . ! -type d | sed 's|^\./||' | sort) >"$scratch/actual"
if ! diff -u "$scratch/expected" "$scratch/actual" >&2; then
    fail "the package's files are not the expected ones (- missing, + unexpected)"
fi
for database in mime.cache globs globs2 magic mimeinfo.cache icon-theme.cache; do
    if [ -n "$(find "$root" -name "$database")" ]; then
        fail "the package ships the generated database $database"
    fi
done

# The programs: stripped executables that report the package's version.
for program in vemba vemba-cli; do
    file -b "$root/usr/bin/$program" | grep -q '^ELF .*executable.*, stripped' ||
        fail "$program is not a stripped executable: $(file -b "$root/usr/bin/$program")"
done
[ "$("$root/usr/bin/vemba-cli" --version)" = "vemba-cli $version" ] ||
    fail "vemba-cli --version does not say $version"
QT_QPA_PLATFORM=offscreen "$root/usr/bin/vemba" --version 2>/dev/null | grep -qx "Vemba $version" ||
    fail "vemba --version does not say $version"
"$root/usr/bin/vemba-cli" info "$root/usr/share/vemba/Ask/elso.ask" >/dev/null ||
    fail "the installed sample test cannot be read"

# The desktop entry: valid, starting the installed program with the file, its icon installed.
desktop="$root/usr/share/applications/hu.vemba.Vemba.desktop"
desktop-file-validate "$desktop" || fail "desktop-file-validate refuses the desktop entry"
entry() { sed -n "s/^$1=//p" "$desktop"; }
[ "$(entry Exec)" = "vemba %f" ] || fail "the desktop entry does not start vemba with the file"
icon=$(entry Icon)
[ -n "$(find "$root/usr/share/icons/hicolor" -name "$icon.*")" ] || fail "icon $icon is not installed"

# AppStream: valid, naming the desktop entry, the file type and this release.
metainfo="$root/usr/share/metainfo/hu.vemba.Vemba.metainfo.xml"
appstreamcli validate --no-net "$metainfo" >&2 || fail "appstreamcli refuses the metainfo"
grep -q '<launchable type="desktop-id">hu.vemba.Vemba.desktop</launchable>' "$metainfo" ||
    fail "the metainfo does not launch hu.vemba.Vemba.desktop"
grep -q '<mediatype>application/x-vemba-test</mediatype>' "$metainfo" ||
    fail "the metainfo does not provide application/x-vemba-test"
grep -q "<release version=\"$version\" date=\"[0-9-]*\"" "$metainfo" ||
    fail "the metainfo's release is not $version"

# What the triggers of the MIME and desktop databases make of the package's files, built
# in the scratch folder: *.ask is the test type, and the test type opens with vemba.
cp -r "$root/usr/share/mime" "$root/usr/share/applications" "$scratch/"
update-mime-database "$scratch/mime" >/dev/null 2>&1
update-desktop-database "$scratch/applications"
grep -qx 'application/x-vemba-test:\*\.ask' <(cut -d: -f2- "$scratch/mime/globs2") ||
    fail "*.ask is not registered as application/x-vemba-test"
grep -qx 'application/x-vemba-test=hu.vemba.Vemba.desktop;' "$scratch/applications/mimeinfo.cache" ||
    fail "application/x-vemba-test does not open with the desktop entry"

if [ "$problems" -ne 0 ]; then
    echo "package check: $problems problem(s)" >&2
    exit 1
fi
echo "package check: passed"
