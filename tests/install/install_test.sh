#!/usr/bin/env bash
# Package, check both packages with lintian and their contents, install the game into a
# scratch root, start the installed launcher under Xvfb, send Escape to the real window, and
# check the exit status and the log in the per-user directory.
set -euo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/starhop-install-XXXXXX)
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G DEB -B "$work/pkg" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/pkg/starhop_*.deb)
dev=$(ls "$work"/pkg/libalgo-dev_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for lib in libsdl1.2 libsdl-image1.2 libsdl-mixer1.2 libsdl-ttf2.0 libsdl-gfx1.2 libzip; do
  grep -q "$lib" <<<"$depends" || { echo "missing dependency on $lib"; exit 1; }
done
dev_depends=$(dpkg-deb -f "$dev" Depends)
echo "libalgo-dev Depends: $dev_depends"
for pkg in libsdl1.2-compat-dev libsdl-image1.2-dev libsdl-mixer1.2-dev libsdl-ttf2.0-dev \
           libsdl-gfx1.2-dev libzip-dev liblua5.1-0-dev zlib1g-dev libboost-context-dev; do
  grep -q "$pkg" <<<"$dev_depends" || { echo "libalgo-dev: missing dependency on $pkg"; exit 1; }
done

# Errors fail; warnings and notes are shown.
lint=0
lintian --fail-on error "$deb" "$dev" >"$work/lintian.log" 2>&1 || lint=$?
grep -v 'root privileges' "$work/lintian.log" || true
[ "$lint" -eq 0 ] || { echo "lintian reports errors"; exit 1; }

# The SDK: headers only under include/algo-1/, the library, both package descriptions, the
# license; nothing of the game. The game's package holds nothing of the SDK.
dev_files=$(dpkg-deb -c "$dev" | awk '{print $6}' | sed 's|^\./|/|')
for f in /usr/include/algo-1/algo/system/engine.hpp /usr/include/algo-1/basic/pool.hpp \
         /usr/include/algo-1/util/mt.hpp /usr/lib/libalgo.a /usr/lib/cmake/algo/algoConfig.cmake \
         /usr/lib/pkgconfig/algo.pc /usr/share/doc/libalgo-dev/copyright \
         /usr/share/doc/libalgo-dev/minimal/main.cpp; do
  grep -qx "$f" <<<"$dev_files" || { echo "libalgo-dev lacks $f"; exit 1; }
done
stray=$(grep '^/usr/include/' <<<"$dev_files" | grep -v '/$' | grep -v '^/usr/include/algo-1/.*\.hpp$' || true)
[ -z "$stray" ] || { echo "libalgo-dev: not a header under include/algo-1: $stray"; exit 1; }
if dpkg-deb -c "$deb" | grep -q 'include/\|libalgo'; then echo "starhop holds SDK files"; exit 1; fi
if grep -q 'starhop/\|/games/' <<<"$dev_files"; then echo "libalgo-dev holds game files"; exit 1; fi
# The examples in the package are those `cmake --install` gives, ready to build, data and all.
dpkg-deb -x "$dev" "$work/dev"
cmake --install "$build" --prefix "$work/sdk" --component dev >"$work/sdk.log" ||
  { cat "$work/sdk.log"; exit 1; }
examples=share/doc/libalgo-dev/examples
[ -f "$work/sdk/$examples/data/data.zip" ] || { echo "the SDK's examples lack their data"; exit 1; }
diff -r "$work/sdk/$examples" "$work/dev/usr/$examples" ||
  { echo "libalgo-dev's examples differ from the installed SDK's"; exit 1; }

root=$work/root
dpkg-deb -x "$deb" "$root"
for f in usr/games/starhop usr/libexec/starhop/starhop usr/share/starhop/data.zip \
         usr/share/applications/starhop.desktop usr/share/icons/hicolor/scalable/apps/starhop.svg \
         usr/share/man/man6/starhop.6.gz usr/share/doc/starhop/copyright \
         usr/share/doc/starhop/changelog.gz usr/games/starhop-edit \
         usr/libexec/starhop/starhop-edit usr/share/starhop/edit.zip \
         usr/share/applications/starhop-edit.desktop usr/share/man/man6/starhop-edit.6.gz; do
  [ -e "$root/$f" ] || { echo "not installed: $f"; exit 1; }
done

export HOME=$work/home XDG_STATE_HOME=$work/state
mkdir -p "$HOME"
status=0
xvfb-run -a -s "-screen 0 640x640x24" "$here/escape.sh" "$root/usr/games/starhop" --window ||
  status=$?
echo "exit status: $status"
[ "$status" -eq 0 ] || exit 1

log=$XDG_STATE_HOME/starhop/stdout.txt
[ -f "$log" ] || { echo "no log in the per-user directory"; exit 1; }
[ -L "$XDG_STATE_HOME/starhop/data.zip" ] || { echo "data.zip not linked"; exit 1; }
head -n1 "$log" | grep -qx 'ログ開始' || { echo "log does not start with its start line"; exit 1; }
tail -n1 "$log" | grep -qx 'ログ終了' || { echo "log does not end with its end line"; cat "$log"; exit 1; }
grep -q 'B/N: 302' "$log" || { echo "no build number in the log"; exit 1; }
echo "installed game ran and quit cleanly"

# The editor from the launcher, started elsewhere with a relative level path: it runs in its own
# working directory, and the path still means the file beside where it was started.
export XDG_CONFIG_HOME=$work/config
mkdir -p "$work/mine/levels"
cp "$here/../../assets/levels/map1.txt" "$work/mine/levels/first.txt"
status=0
(cd "$work/mine" && xvfb-run -a -s "-screen 0 1024x768x24" "$here/escape.sh" \
  "$root/usr/games/starhop-edit" --scale 1 levels/first.txt) || status=$?
[ "$status" -eq 0 ] || { echo "the installed editor: exit status $status"; exit 1; }
log=$XDG_STATE_HOME/starhop/edit/stdout.txt
[ -f "$log" ] || { echo "no editor log in its per-user directory"; exit 1; }
[ -L "$XDG_STATE_HOME/starhop/edit/edit.zip" ] || { echo "edit.zip not linked"; exit 1; }
grep -q 'edit: Opened first.txt' "$log" || { echo "the level was not opened"; cat "$log"; exit 1; }
grep -qF "file	= $work/mine/levels/first.txt" "$XDG_CONFIG_HOME/starhop/editor.ini" ||
  { echo "the preferences do not hold the level's path"; exit 1; }
echo "installed editor ran and quit cleanly"
