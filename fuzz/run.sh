#!/usr/bin/env bash
# Build the fuzz targets and run each of them for a while.
#   fuzz/run.sh [SECONDS] [TARGET...]   default 600 seconds, every target
#   fuzz/run.sh --short                 a few seconds each, for CI
# The long runs use the optimised `fuzz` build; the short one uses the
# sanitizer build of the tests (`asan`), which holds the same targets, so CI
# builds the program twice, not four times (TOVI_FUZZ_PRESET to choose).
# TOVI_FUZZ_MAX_LEN sets the largest input made (8 KB for LUT texts, 256 KB
# for pictures otherwise).
# Two targets run at a time (TOVI_FUZZ_JOBS to change), niced; an input
# taking more than 5 seconds (TOVI_FUZZ_TIMEOUT to change) or 512 MB is a
# finding, in the short run too. Corpora grow in build-fuzz/corpus/TARGET
# (seeded from tests/data and from what every output profile writes); a
# crash, sanitizer report, slow input or memory overrun is saved to
# build-fuzz/artifacts/TARGET/ and makes the script fail.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=600
short=0
if [ "${1:-}" = "--short" ]; then short=1; seconds=${TOVI_FUZZ_SHORT_SECONDS:-5}; shift
elif [[ "${1:-}" =~ ^[0-9]+$ ]]; then seconds=$1; shift; fi

preset=fuzz
[ $short = 1 ] && preset=asan
preset=${TOVI_FUZZ_PRESET:-$preset}
cmake --preset "$preset" >/dev/null
nice cmake --build --preset "$preset" -- -j2 >/dev/null

out=build-$preset
export TOVI_FUZZ_OUT=$out
targets=("$@")
# Leaks inside system libraries that are not ours to mend, each with its reason.
# The sanitizer's quarantine of freed blocks (256 MB by default) would count
# against the memory limit that is there to catch inputs that flood memory.
export ASAN_OPTIONS="quarantine_size_mb=64${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export LSAN_OPTIONS="suppressions=$PWD/tools/lsan-suppressions.txt${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
# Reports name their frames (build.sh deps installs the symbolizer); the
# suppressions above hold without it.
export ASAN_SYMBOLIZER_PATH=${ASAN_SYMBOLIZER_PATH:-/usr/bin/llvm-symbolizer-14}
if [ ${#targets[@]} -eq 0 ]; then
  for exe in "$out"/fuzz/fuzz_*; do [ -f "$exe" ] && [ -x "$exe" ] || continue; targets+=("$(basename "$exe" | sed 's/^fuzz_//')"); done
fi

# Seeds: the fixtures, and one file per output profile written from the
# example at a small size where the profile lets it be chosen. Hald seeds:
# the identity picture in each type the program writes. ICC seeds:
# profiles the program writes, in every class, and the colour library's
# reference profiles when installed.
seeds=$out/seeds
if [ ! -d "$seeds/picture" ]; then  # made again when older than the picture target
  rm -rf "$seeds.tmp"; mkdir -p "$seeds.tmp/lut" "$seeds.tmp/icc" "$seeds.tmp/hald"
  find tests/data -type f -exec cp -t "$seeds.tmp/lut" --backup=numbered {} +
  profiles=$("$out"/tovilut formats | awk '/^Output profiles/{p=1; next} p && $1 ~ /^[0-9]+$/ {print $1 "|" $0}')
  while IFS='|' read -r n line; do
    size=()
    case "$line" in
      *"Hald CLUT"*) size=(-s 4) ;;  # a Hald CLUT's size is a square
      *size*) if [[ "$line" == *" 1D "* ]]; then size=(-s 64); else size=(-s 5); fi ;;
    esac
    mkdir -p "$seeds.tmp/p$n"
    "$out"/tovilut convert -q --overwrite -p "$n" "${size[@]}" -o "$seeds.tmp/p$n" examples/warm.cube
    for f in "$seeds.tmp/p$n"/*; do mv "$f" "$seeds.tmp/lut/p$n-$(basename "$f")"; done
    rmdir "$seeds.tmp/p$n"
  done <<<"$profiles"
  "$out"/tovilut convert -q -p "Cube 3D Davinci" -s 5 -o "$seeds.tmp" examples/warm.cube
  for class in display input link; do
    "$out"/tovilut lut2icc --class "$class" -o "$seeds.tmp/icc/$class.icc" "$seeds.tmp/warm.cube"
  done
  rm "$seeds.tmp/warm.cube"
  for ext in bmp jpg tif; do "$out"/tovilut hald "$seeds.tmp/hald/identity.$ext"; done
  for level in 2 3 4; do "$out"/tovilut hald --level "$level" "$seeds.tmp/hald/level$level.png"; done
  # Picture seeds: the Hald pictures, the same graded as a PNG, and the
  # damaged pictures of the tests.
  mkdir -p "$seeds.tmp/picture"
  cp "$seeds.tmp"/hald/* tests/data/image/bad/* "$seeds.tmp/picture/"
  "$out"/tovilut apply examples/warm.cube "$seeds.tmp/hald/identity.bmp" "$seeds.tmp/picture/graded.png"
  # Deep picture seeds: 16-bit, 10-bit and half pictures of each deep type.
  "$out"/tovilut hald --level 2 --bits 16 "$seeds.tmp/picture/level2-16.tif"
  for ext in png exr dpx tga; do
    "$out"/tovilut apply examples/warm.cube "$seeds.tmp/picture/level2-16.tif" "$seeds.tmp/picture/graded16.$ext"
  done
  cp /usr/share/color/argyll/ref/*.icm "$seeds.tmp/icc/" 2>/dev/null || true
  rm -rf "$seeds"
  mv "$seeds.tmp" "$seeds"
fi

run_one() {
  local t=$1 seconds=$2 short=$3 out=$TOVI_FUZZ_OUT
  local corpus=$out/corpus/$t
  [ "$short" = 1 ] && corpus=$(mktemp -d)
  mkdir -p "$corpus" "$out/artifacts/$t" "$out/logs"
  local dict=()
  [ -f "fuzz/dict/$t.dict" ] && dict=(-dict="fuzz/dict/$t.dict")
  # Inputs stay small so that mutations are cheap: 8 KB holds any header
  # and whole small cubes.
  local kind=lut maxlen=8192
  [ "$t" = icc ] && kind=icc
  # A Hald picture of 182 x 182 pixels is about 100 KB uncompressed.
  [ "$t" = hald ] && kind=hald maxlen=262144
  [ "$t" = picture ] && kind=picture maxlen=262144
  [ "$t" = deeppicture ] && kind=picture maxlen=65536
  [ "$t" = haldclut ] && kind=hald maxlen=262144
  maxlen=${TOVI_FUZZ_MAX_LEN:-$maxlen}
  # The files a target writes its inputs to live under the run's folder and
  # go with the target, however it ended (a timeout or an overrun skips
  # the target's own clean-up).
  local scratch=$out/scratch/$t
  rm -rf "$scratch"; mkdir -p "$scratch"
  local rc=0
  TOVI_FUZZ_SCRATCH=$scratch nice "$out/fuzz/fuzz_$t" "${dict[@]}" -max_total_time="$seconds" \
    -timeout="${TOVI_FUZZ_TIMEOUT:-5}" -rss_limit_mb=512 -malloc_limit_mb=512 \
    -max_len="$maxlen" -print_final_stats=1 -artifact_prefix="$out/artifacts/$t/" \
    "$corpus" "$out/seeds/$kind" >"$out/logs/$t.log" 2>&1 || rc=$?
  rm -rf "$scratch"
  [ "$short" = 1 ] && rm -rf "$corpus"
  local done_line execs
  done_line=$(grep -E '^#[0-9]+ +DONE' "$out/logs/$t.log" | tail -1 || true)
  execs=$(grep -E '^stat::number_of_executed_units' "$out/logs/$t.log" | awk '{print $2}' || true)
  printf '%-11s rc=%-3s execs=%-9s %s\n' "$t" "$rc" "${execs:-?}" "${done_line#*DONE}"
  return $rc
}
export -f run_one

status=0
printf '%s\n' "${targets[@]}" | xargs -P "${TOVI_FUZZ_JOBS:-2}" -I{} bash -c 'run_one "$@"' _ {} "$seconds" "$short" || status=$?
[ $status -ne 0 ] && echo "fuzz: a target failed; see $out/logs and $out/artifacts" >&2
exit $status
