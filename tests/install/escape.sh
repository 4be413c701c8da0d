#!/usr/bin/env bash
# Run inside an X server: starts PROGRAM [ARGS...] in a real window, waits for the window,
# holds Escape in it and expects the program to quit by itself. Exits with its status.
set -u
SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy "$@" </dev/null &
pid=$!
win=
for _ in $(seq 100); do
  win=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n1 || true)
  [ -n "$win" ] && break
  sleep 0.1
done
[ -n "$win" ] || { echo "no window appeared"; kill "$pid"; exit 3; }
sleep 0.5
xdotool windowfocus --sync "$win"
# Held across a few frames: the engine reads key snapshots once per pass.
xdotool keydown Escape
sleep 0.3
xdotool keyup Escape
for _ in $(seq 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then echo "$1 did not quit"; kill "$pid"; exit 4; fi
wait "$pid"
