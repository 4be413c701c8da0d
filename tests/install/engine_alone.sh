#!/usr/bin/env bash
# The engine alone where the game's own dependencies cannot be had: in a scratch tree, with
# pkg-config finding no Ogg or Vorbis module, a configure with the game stops and names what
# is missing; one with -DSTARHOP_GAME=OFF builds the engine, assetgen and the examples with
# nothing of the game or of Vorbis, and installs an SDK with every engine source in its
# library, and whose headers and examples (sources, build files, data) are byte for byte
# those this tree installs.
#   engine_alone.sh BUILD_DIR SOURCE_DIR CC CXX [COMPILER_LAUNCHER]
set -euo pipefail
build=$1
src=$2
cc=$3
cxx=$4
launcher=${5:-}
work=$(mktemp -d /tmp/algo-alone-XXXXXX)
trap 'rm -rf "$work"' EXIT

# Every module pkg-config knows but Ogg and Vorbis; the first of a name on the path wins.
pc=$work/pkgconfig
mkdir -p "$pc"
IFS=: read -ra dirs <<<"$(pkg-config --variable pc_path pkg-config)"
for dir in "${dirs[@]}"; do
  for file in "$dir"/*.pc; do
    [ -e "$file" ] || continue
    name=$(basename "$file")
    case $name in vorbis*.pc | ogg.pc) continue ;; esac
    [ -e "$pc/$name" ] || ln -s "$file" "$pc/$name"
  done
done
export PKG_CONFIG_LIBDIR=$pc
unset PKG_CONFIG_PATH
if pkg-config --exists vorbisenc || pkg-config --exists ogg; then
  echo "Vorbis is not hidden from pkg-config"
  exit 1
fi

options=(-G Ninja -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx"
  -DCMAKE_BUILD_TYPE=None -DSTARHOP_WERROR=ON -DSTARHOP_TESTS=OFF -DSTARHOP_BENCH=OFF)
[ -z "$launcher" ] ||
  options+=(-DCMAKE_C_COMPILER_LAUNCHER="$launcher" -DCMAKE_CXX_COMPILER_LAUNCHER="$launcher")

# With the game, the configure stops and says what to install or what to turn off.
if cmake -S "$src" -B "$work/game" "${options[@]}" >"$work/game.log" 2>&1; then
  echo "the game configured without Vorbis"
  exit 1
fi
grep -q 'libvorbis-dev' "$work/game.log" && grep -q -- '-DSTARHOP_GAME=OFF' "$work/game.log" || {
  cat "$work/game.log"
  echo "the failed configure does not name libvorbis-dev and -DSTARHOP_GAME=OFF"
  exit 1
}
echo "with the game, the configure stops and names libvorbis-dev and -DSTARHOP_GAME=OFF"

tree=$work/engine
if ! (cmake -S "$src" -B "$tree" "${options[@]}" -DSTARHOP_GAME=OFF &&
      ninja -C "$tree" -j2) >"$work/engine.log" 2>&1; then
  cat "$work/engine.log"
  echo "the engine alone does not build"
  exit 1
fi
found=$(grep -il 'vorbis\|[-/]logg\b' "$tree/build.ninja" "$tree/CMakeCache.txt" || true)
[ -z "$found" ] || { echo "Vorbis is in the engine's build: $found"; exit 1; }
for target in starhop starhop_game starhop-replay starhop-solver starhop-levels data.zip; do
  ! ninja -C "$tree" -t query "$target" >/dev/null 2>&1 ||
    { echo "the engine alone has the game's target $target"; exit 1; }
done
echo "the engine, assetgen and the examples built, without Vorbis and without the game"

prefix=$work/prefix
cmake --install "$tree" --prefix "$prefix" >"$work/install.log" ||
  { cat "$work/install.log"; exit 1; }
for dir in games libexec share/starhop share/doc/starhop; do
  [ ! -e "$prefix/$dir" ] || { echo "the engine alone installs $dir"; exit 1; }
done
[ -f "$prefix/lib/libalgo.a" ] || { echo "libalgo.a is not installed"; exit 1; }
# Every engine source, private helpers (algo/<area>/private/) too, is in the library.
diff <(cd "$src" && find algo basic util -name '*.cpp' -printf '%f.o\n' | sort) \
     <(ar t "$prefix/lib/libalgo.a" | sort) ||
  { echo "libalgo.a does not hold exactly the engine's sources"; exit 1; }
# This tree's SDK, as the packages have it.
cmake --install "$build" --prefix "$work/full" --component dev >"$work/full.log" ||
  { cat "$work/full.log"; exit 1; }
for dir in include share/doc/libalgo-dev/examples; do
  diff -r "$work/full/$dir" "$prefix/$dir" ||
    { echo "$dir differs from this tree's SDK"; exit 1; }
done
echo "the SDK installed: its headers and examples are this tree's"
