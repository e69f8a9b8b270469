#!/bin/sh
# Builds the Debian package with CPack in a scratch folder, checks its name, dependencies and
# files, unpacks it into a scratch root and starts the terminal from there. As root with apt,
# also checks that apt could install it here (a simulated `apt-get install ./kivern_*.deb`),
# whether or not kivern is installed already.
#   test_deb.sh BUILD_DIR WITH_VDEV(0|1)
set -eu
build=$1 with_vdev=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/start_check.sh"
scratch=$(mktemp -d)
app=
trap '[ -z "$app" ] || kill $app 2>/dev/null; rm -rf "$scratch"' EXIT

# `cpack -G DEB` first builds every target and installs with stripping; here the build is
# done already, so the same install rules stage the files and CPack packs that tree, with the
# project's package settings.
DESTDIR=$scratch/stage cmake --install "$build" --prefix /usr --strip >/dev/null
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" \
    -D CPACK_INSTALL_CMAKE_PROJECTS= -D "CPACK_INSTALLED_DIRECTORIES=$scratch/stage;/" \
    >"$scratch/cpack.log" 2>&1 || { cat "$scratch/cpack.log"; fail "cpack failed"; }
set -- "$scratch"/out/kivern_*.deb
[ $# -eq 1 ] && [ -f "$1" ] || fail "cpack wrote no single kivern_*.deb"
deb=$1

[ "$(dpkg-deb -f "$deb" Package)" = kivern ] || fail "package is not named kivern"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6gui6 libqt6core6 libjsoncpp25 libudev1 libc6 fonts-arphic-uming \
    fonts-inconsolata lrzsz liblua5.4-0; do
    echo "$depends" | grep -q "\\b$lib\\b" || fail "Depends lacks $lib: $depends"
done
files=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/bin/kivern ./usr/share/applications/example.quelmar.kivern.desktop \
    ./usr/share/metainfo/example.quelmar.kivern.metainfo.xml \
    ./usr/share/icons/hicolor/48x48/apps/example.quelmar.kivern.png \
    ./usr/share/man/man1/kivern.1.gz ./usr/share/doc/kivern/copyright; do
    echo "$files" | grep -qx "$f" || fail "package lacks $f"
done
[ "$with_vdev" = 0 ] || echo "$files" | grep -qx ./usr/bin/kivern-vdev || fail "package lacks kivern-vdev"

dpkg-deb -x "$deb" "$scratch/root"
# The copyright file in Debian's machine-readable format: its header, a Files paragraph for
# everything, and the text of each licence it names.
copyright=$scratch/root/usr/share/doc/kivern/copyright
head -n1 "$copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "copyright lacks the format line"
grep -qx 'Files: \*' "$copyright" || fail "copyright has no Files: * paragraph"
for lic in $(sed -n 's/^License: //p' "$copyright" | sort -u); do
    awk -v l="License: $lic" '$0 == l { getline; if ($0 ~ /^ /) found = 1 } END { exit !found }' \
        "$copyright" || fail "copyright lacks the text of licence $lic"
done
start_check "$scratch" "$scratch/elsewhere" "$scratch/root/usr/bin/kivern"

if [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null; then
    # Simulated against this machine's packages less any installed kivern, so that the answer
    # does not depend on whether (which version of) the package is installed here. apt builds
    # its caches in memory for this, leaving the machine's own ones alone.
    awk -v RS= -v ORS='\n\n' '$0 !~ /(^|\n)Package: kivern\n/' /var/lib/dpkg/status >"$scratch/status"
    apt-get install -s -q -o "Dir::State::status=$scratch/status" -o Dir::Cache::pkgcache= \
        -o Dir::Cache::srcpkgcache= "$deb" >"$scratch/apt.log" 2>&1 ||
        { cat "$scratch/apt.log"; fail "apt-get could not install the package"; }
    grep -q '^Inst kivern ' "$scratch/apt.log" || { cat "$scratch/apt.log"; fail "apt-get would not install kivern"; }
fi
echo "package $(basename "$deb"): OK"
