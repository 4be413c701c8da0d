# Sourced by ./play and ./check: installs what is missing and builds a tree.
# Quiet when everything is already there.

STARHOP_PACKAGES=(
  # The build and the engine.
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev clang-format
  libsdl1.2-compat-dev libsdl-image1.2-dev libsdl-mixer1.2-dev libsdl-ttf2.0-dev
  libsdl-gfx1.2-dev zlib1g-dev libzip-dev liblua5.1-0-dev libboost-context-dev
  # The game's tunes (not needed with -DSTARHOP_GAME=OFF).
  libvorbis-dev
  # The tests and benchmarks (./check requires them all).
  googletest libgtest-dev libbenchmark-dev
  xvfb xauth xdotool imagemagick fonts-dejavu-core zip python3 dpkg-dev file lintian
  # The API reference, checked for undocumented members (the api_reference test).
  doxygen
)

starhop_install_deps() {
  local missing=()
  local p
  for p in "${STARHOP_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "need root or sudo to install ${missing[*]}" >&2; return 1; }
    sudo=(sudo)
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq </dev/null >/dev/null
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null >/dev/null
}

# starhop_build DIR [cmake options...] [-- targets...]: configure, then build everything or
# the targets given; output only on failure.
starhop_build() {
  local dir=$1
  shift
  local options=()
  while [ $# -gt 0 ] && [ "$1" != -- ]; do
    options+=("$1")
    shift
  done
  [ $# -eq 0 ] || shift
  mkdir -p "$dir"
  # Configured every time so that options given here reach a tree made earlier; options not
  # given keep their cached values.
  if ! cmake -S . -B "$dir" -G Ninja "${options[@]}" >"$dir/configure.log" 2>&1; then
    cat "$dir/configure.log" >&2
    rm -f "$dir/build.ninja"
    return 1
  fi
  if ! ninja -C "$dir" "$@" >"$dir/build.log" 2>&1; then
    grep -E 'error|Error|FAILED' -A5 "$dir/build.log" | head -80 >&2
    return 1
  fi
}
