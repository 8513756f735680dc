#!/usr/bin/env bash
# Starts the desktop program under a virtual X server and saves pictures of
# its main window and of every dialog into a folder (default: screenshots/).
#   tools/screenshots.sh [BUILD_DIR] [OUT_DIR]
# Needs: xvfb (Xvfb), x11-apps or imagemagick for the whole-screen capture.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=${2:-screenshots}
mkdir -p "$out"
for exe in "$build/tovi-lut-converter" "$build/tests/ui/ui_screenshot_tour"; do
  [ -x "$exe" ] || { echo "missing $exe: build the project first" >&2; exit 1; }
done

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$app" 2>/dev/null || true; kill "$xvfb" 2>/dev/null || true' EXIT
sleep 1
export DISPLAY=$display QT_QPA_PLATFORM=xcb

# The program as a user starts it: the whole screen once its window is up.
"$build/tovi-lut-converter" &
app=$!
sleep 3
if command -v import >/dev/null; then
  import -window root "$out/program-started.png"
elif command -v xwd >/dev/null; then
  xwd -root -silent > "$out/program-started.xwd"
fi
kill "$app" 2>/dev/null || true
wait "$app" 2>/dev/null || true

# Each window on its own, with content.
"$build/tests/ui/ui_screenshot_tour" "$out"
ls -1 "$out"
