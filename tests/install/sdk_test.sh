#!/usr/bin/env bash
# The engine SDK as a user gets it: installed into a scratch prefix, then used from outside
# the tree. Every installed header compiles on its own; the minimal program of the docs builds
# through find_package and runs in a real window under Xvfb until Escape; a program that ends
# by itself builds through find_package and through pkg-config and runs with dummy drivers;
# the installed examples, copied out, build together through find_package, each beside its
# data, and `data` runs in a window from its build folder until Escape.
#   sdk_test.sh BUILD_DIR SOURCE_DIR CXX
set -euo pipefail
build=$1
src=$2
cxx=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/algo-sdk-XXXXXX)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
font=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf

cmake --install "$build" --prefix "$prefix" --component dev >"$work/install.log" ||
  { cat "$work/install.log"; exit 1; }

# Headers only, all of them, and nothing but algo-1/ directly under include/.
[ "$(ls "$prefix/include")" = algo-1 ] || { echo "include/ holds more than algo-1/"; exit 1; }
stray=$(find "$prefix/include" -type f ! -name '*.hpp')
[ -z "$stray" ] || { echo "not a header: $stray"; exit 1; }
# A module's private/ folder is the engine's own: none of it may reach the SDK.
private=$(find "$prefix/include/algo-1" -path '*/private/*' -o -type d -name private)
[ -z "$private" ] || { echo "a private header is installed: $private"; exit 1; }
diff <(cd "$src" && find algo basic util -name '*.hpp' -not -path '*/private/*' | sort) \
     <(cd "$prefix/include/algo-1" && find . -name '*.hpp' | sed 's|^\./||' | sort) ||
  { echo "installed headers differ from the engine's"; exit 1; }

export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
cflags=$(pkg-config --cflags algo)
libs=$(pkg-config --libs algo)

# Each header alone in a translation unit, with the include path the package gives.
header_fail=0
while read -r h; do
  if ! printf '#include "%s"\n' "$h" |
      "$cxx" $cflags -Wall -Wextra -Werror -fsyntax-only -x c++ - 2>"$work/header.log"; then
    echo "does not compile on its own: $h"
    head -20 "$work/header.log"
    header_fail=1
  fi
done < <(cd "$prefix/include/algo-1" && find . -name '*.hpp' | sed 's|^\./||' | sort)
[ "$header_fail" -eq 0 ] || exit 1
echo "every installed header compiles on its own"

# find_package: the package must be the one just installed.
cmake_build() {
  local name=$1
  cp -r "$2" "$work/$name"
  if ! (cmake -S "$work/$name" -B "$work/$name/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
          -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_PREFIX_PATH="$prefix" &&
        cmake --build "$work/$name/build") >"$work/$name.log" 2>&1; then
    cat "$work/$name.log"
    echo "$name does not build through find_package"
    exit 1
  fi
  grep -qx "algo_DIR:PATH=$prefix/lib/cmake/algo" "$work/$name/build/CMakeCache.txt" ||
    { echo "$name: find_package found another algo"; exit 1; }
}
cmake_build minimal "$src/docs/minimal"
cmake_build consumer "$here/consumer"
cmake_build examples "$prefix/share/doc/libalgo-dev/examples"
for dir in "$src"/examples/*/; do
  name=$(basename "$dir")
  [ -f "$dir/main.cpp" ] || continue
  [ -x "$work/examples/build/$name/$name" ] || { echo "the installed $name was not built"; exit 1; }
done
echo "every installed example built through find_package"
"$cxx" "$here/consumer/main.cpp" -o "$work/consumer-pc" $cflags $libs 2>"$work/pc.log" ||
  { cat "$work/pc.log"; echo "consumer does not build through pkg-config"; exit 1; }

# A run ends with status 0 and a log from the start line to the end line.
check_run() {
  local what=$1 dir=$2 status=$3
  if [ "$status" -ne 0 ] || ! head -n1 "$dir/stdout.txt" | grep -qx 'ログ開始' ||
      ! tail -n1 "$dir/stdout.txt" | grep -qx 'ログ終了'; then
    echo "$what: exit status $status"
    cat "$dir/stdout.txt" "$dir/stderr.txt" 2>/dev/null || true
    exit 1
  fi
}

# The consumer reads dot.bmp from data.zip: a deflated member, through libzip and zlib.
for exe in "$work/consumer/build/consumer" "$work/consumer-pc"; do
  run=$work/run-$(basename "$exe")
  mkdir -p "$run"
  (cd "$run" && convert -size 8x8 xc:'#ff8000' BMP3:dot.bmp && zip -q -9 data.zip dot.bmp &&
   rm dot.bmp)
  status=0
  (cd "$run" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$exe" "$font") || status=$?
  check_run "$(basename "$exe")" "$run" "$status"
  grep -q 'consumer: every check passed' "$run/stdout.txt" ||
    { echo "$(basename "$exe"): no final check line"; exit 1; }
done
echo "the consumer built through find_package and through pkg-config ran and passed its checks"

# Both in one X server: the minimal program, and `data` from its build folder, where it finds
# data.zip beside it and writes settings.ini. Without -noreset the server resets when the first
# program leaves, and the second may find no display.
mkdir -p "$work/run-minimal"
ran=$work/examples/build/data
xvfb-run -a -s "-screen 0 640x640x24 -noreset" "$here/escape_in.sh" \
  "$work/run-minimal" "$work/minimal/build/first_game" "$ran" ./data ||
  { echo "xvfb-run failed"; exit 1; }
check_run first_game "$work/run-minimal" "$(cat "$work/run-minimal/status")"
echo "the minimal program ran in a window and quit on Escape"
check_run data "$ran" "$(cat "$ran/status")"
grep -qP '^runs\t= 1\r?$' "$ran/settings.ini" ||
  { echo "data: settings.ini does not count the run"; cat "$ran/settings.ini"; exit 1; }
echo "the installed data example ran in a window from its build folder and quit on Escape"
