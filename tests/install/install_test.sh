#!/usr/bin/env bash
# Package, install into a scratch root, start the installed launcher under Xvfb, send Escape
# to the real window, and check the exit status and the log in the per-user directory.
set -euo pipefail
build=$1
work=$(mktemp -d /tmp/starhop-install-XXXXXX)
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G DEB -B "$work/pkg" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/pkg/starhop_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for lib in libsdl1.2 libsdl-image1.2 libsdl-mixer1.2 libsdl-ttf2.0 libsdl-gfx1.2 libzip; do
  grep -q "$lib" <<<"$depends" || { echo "missing dependency on $lib"; exit 1; }
done

root=$work/root
dpkg-deb -x "$deb" "$root"
for f in usr/bin/starhop usr/libexec/starhop/starhop usr/share/starhop/data.zip \
         usr/share/applications/starhop.desktop usr/share/icons/hicolor/scalable/apps/starhop.svg \
         usr/share/man/man6/starhop.6; do
  [ -e "$root/$f" ] || { echo "not installed: $f"; exit 1; }
done

export HOME=$work/home XDG_STATE_HOME=$work/state
mkdir -p "$HOME"
cat >"$work/session.sh" <<'SESSION'
#!/usr/bin/env bash
set -u
SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy "$1" --window </dev/null &
pid=$!
# Wait for the game's window, then press Escape in it.
for _ in $(seq 100); do
  win=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n1 || true)
  [ -n "$win" ] && break
  sleep 0.1
done
[ -n "$win" ] || { echo "no window appeared"; kill "$pid"; exit 3; }
sleep 0.5
xdotool windowfocus --sync "$win"
# Held across a few frames: the game reads key snapshots once per pass.
xdotool keydown Escape
sleep 0.3
xdotool keyup Escape
for _ in $(seq 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then echo "game did not quit"; kill "$pid"; exit 4; fi
wait "$pid"
SESSION
chmod +x "$work/session.sh"
status=0
xvfb-run -a -s "-screen 0 640x640x24" "$work/session.sh" "$root/usr/bin/starhop" || status=$?
echo "exit status: $status"
[ "$status" -eq 0 ] || exit 1

log=$XDG_STATE_HOME/starhop/stdout.txt
[ -f "$log" ] || { echo "no log in the per-user directory"; exit 1; }
[ -L "$XDG_STATE_HOME/starhop/data.zip" ] || { echo "data.zip not linked"; exit 1; }
head -n1 "$log" | grep -qx 'ログ開始' || { echo "log does not start with its start line"; exit 1; }
tail -n1 "$log" | grep -qx 'ログ終了' || { echo "log does not end with its end line"; cat "$log"; exit 1; }
grep -q 'B/N: 302' "$log" || { echo "no build number in the log"; exit 1; }
echo "installed game ran and quit cleanly"
