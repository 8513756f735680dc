#!/usr/bin/env bash
# One entry point for people and CI on Debian 12:
#   ./build.sh run     install what is missing, build, start the desktop program
#   ./build.sh test    install what is missing, build (warnings as errors) and
#                      run every test, build with Clang under ASan+UBSan and
#                      run the tests again there, then a short fuzz run
#   ./build.sh fuzz [SECONDS]   build and run the fuzz targets (default 600 s each)
#   ./build.sh deps | build | bench
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(
  cmake ninja-build g++ pkg-config
  libcli11-dev libgtest-dev libgmock-dev libbenchmark-dev
  liblcms2-dev libpng-dev libtiff-dev libjpeg-dev libopenexr-dev
  qt6-base-dev libopencolorio-dev
  opencolorio-tools python3-pyopencolorio ffmpeg imagemagick liblcms2-utils argyll
  clang-14 libclang-rt-14-dev
  llvm-14  # llvm-symbolizer: sanitizer reports name their frames
  zsh fish  # the shells the generated completions are tried in
)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

deps() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

build() {
  cmake --preset default >/dev/null
  cmake --build --preset default
}

case "${1:-}" in
  deps) deps ;;
  build) deps; build ;;
  run)
    deps; build
    if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
      exec ./build/tovi-lut-converter
    fi
    echo "No display: showing the command-line twin instead."
    ./build/tovilut --help
    out=$(mktemp -d)
    ./build/tovilut convert -p "Cube 3D Davinci" -s 17 -o "$out" examples/warm.cube
    ./build/tovilut info "$out/warm.cube"
    echo "Converted example written to $out/warm.cube"
    ;;
  test)
    deps
    # Warnings are errors here, under GCC and under Clang. The Clang build
    # is the sanitizer build, which also holds the fuzz targets of the
    # short fuzz run.
    cmake --preset default -DTOVI_WERROR=ON >/dev/null
    cmake --build --preset default
    ctest --preset default -j2
    cmake --preset asan >/dev/null
    cmake --build --preset asan
    ctest --preset asan -j2 -LE interop  # the oracles check the normal build
    fuzz/run.sh --short
    ;;
  fuzz)
    deps
    fuzz/run.sh "${2:-600}"
    ;;
  bench)
    deps; build
    bench/run.sh
    ;;
  *)
    sed -n '2,8p' "$0"
    exit 2
    ;;
esac
