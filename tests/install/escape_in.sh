#!/usr/bin/env bash
# Run inside an X server: for each DIR PROGRAM pair in turn, runs PROGRAM in DIR until Escape
# (escape.sh) and leaves its exit status in DIR/status.
#   escape_in.sh DIR PROGRAM [DIR PROGRAM]...
set -u
here=$(cd "$(dirname "$0")" && pwd)
while [ $# -ge 2 ]; do
  (cd "$1" && "$here/escape.sh" "$2")
  echo $? >"$1/status"
  shift 2
done
