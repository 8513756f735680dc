#!/usr/bin/env bash
# Starts the desktop program under a virtual X server and saves pictures of
# its main window and of every dialog into a folder (default: screenshots/).
#   tools/screenshots.sh [BUILD_DIR] [OUT_DIR]
# Needs: xvfb (Xvfb), imagemagick (or x11-apps) for the whole-screen capture.
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
trap 'kill "${app:-}" 2>/dev/null || true; kill "$xvfb" 2>/dev/null || true; rm -rf "${config:-}"' EXIT
sleep 1
export DISPLAY=$display QT_QPA_PLATFORM=xcb

# The program as a user starts it, with a LUT named on its command line as a
# file manager's "Open with" does: the whole screen once its window is up. Its
# settings go to a scratch folder, so the user's own are neither read nor
# changed.
config=$(mktemp -d)
XDG_CONFIG_HOME=$config "$build/tovi-lut-converter" examples/warm.cube &
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
