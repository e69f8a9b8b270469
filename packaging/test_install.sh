#!/bin/sh
# Installs the build into a scratch folder with prefix /usr, checks that each file is where
# desktops, icon themes and man look for it, and starts the installed terminal the way its
# desktop entry does: from another folder, it must work in the home folder. Then starts the
# installed kivern-vdev.
#   test_install.sh BUILD_DIR APP_ID WITH_VDEV(0|1)
set -eu
build=$1 id=$2 with_vdev=$3
here=$(cd "$(dirname "$0")" && pwd)
. "$here/start_check.sh"
scratch=$(mktemp -d)
app=
trap '[ -z "$app" ] || kill $app 2>/dev/null; rm -rf "$scratch"' EXIT

DESTDIR=$scratch/root cmake --install "$build" --prefix /usr >/dev/null
usr=$scratch/root/usr
expect() { [ -f "$usr/$1" ] || fail "not installed: /usr/$1"; }
expect bin/kivern
[ "$with_vdev" = 0 ] || expect bin/kivern-vdev
expect share/applications/$id.desktop
expect share/metainfo/$id.metainfo.xml
expect share/man/man1/kivern.1.gz
expect share/man/man1/kivern-vdev.1.gz
expect share/icons/hicolor/scalable/apps/$id.svg
expect share/doc/kivern/copyright
# Icon themes skip bitmaps whose size is not their folder's: read the PNG header's width and
# height (big-endian, at bytes 16 and 20).
for s in 16 24 32 48 64 128 256; do
    png=share/icons/hicolor/${s}x$s/apps/$id.png
    expect "$png"
    set -- $(od -An -tu1 -j16 -N8 "$usr/$png")
    w=$(($1 * 16777216 + $2 * 65536 + $3 * 256 + $4))
    h=$(($5 * 16777216 + $6 * 65536 + $7 * 256 + $8))
    [ "$w" = "$s" ] && [ "$h" = "$s" ] || fail "$png is ${w}x$h"
done
[ -x "$usr/bin/kivern" ] || fail "/usr/bin/kivern is not executable"

desktop=$usr/share/applications/$id.desktop
desktop-file-validate "$desktop" || fail "installed desktop entry does not validate"
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$usr/share/metainfo/$id.metainfo.xml" >/dev/null ||
        fail "installed metainfo does not validate"
fi
[ "$(man -M "$usr/share/man" -w kivern)" = "$usr/share/man/man1/kivern.1.gz" ] ||
    fail "man does not find kivern(1) under the prefix"

# The launcher's command, split as a desktop would for this entry's simple quoting, with
# the installed bin/ first on PATH as /usr/bin is.
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
try_exec=$(sed -n 's/^TryExec=//p' "$desktop")
export PATH="$usr/bin:$PATH"
[ "$(command -v "$try_exec")" = "$usr/bin/kivern" ] || fail "TryExec does not name the installed kivern"
eval "set -- $exec_line"
start_check "$scratch" "$scratch/home" "$@"

# The installed virtual device registers a port link in the ports folder and removes it again.
if [ "$with_vdev" = 1 ]; then
    ports=$scratch/ports
    KIVERN_PORTS_DIR=$ports "$usr/bin/kivern-vdev" -n 7 >"$scratch/vdev.out" &
    app=$!
    tries=0
    while [ ! -L "$ports/com7" ] && [ $tries -lt 50 ]; do
        sleep 0.1
        tries=$((tries + 1))
    done
    [ -c "$ports/com7" ] || fail "kivern-vdev did not register com7 as a link to a device"
    kill $app
    wait $app || true
    app=
    [ ! -e "$ports/com7" ] && [ ! -L "$ports/com7" ] || fail "kivern-vdev left its link behind"
    grep -q "^COM7 /dev/pts/" "$scratch/vdev.out" || fail "kivern-vdev did not print its port"
fi
echo "installed layout, start from the desktop entry, virtual device: OK"
