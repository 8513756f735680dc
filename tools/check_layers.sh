#!/usr/bin/env bash
# The library's layers point down only. The build links each layer only to the
# layers below it, so a call into a higher layer fails to link; this check also
# refuses an upward #include of a header alone, and any cycle between folders.
# Usage: tools/check_layers.sh [SRC_DIR]
set -euo pipefail
src="${1:-$(dirname "$0")/../src}"

# Each folder and the folders it may include (besides itself).
declare -A allowed=(
  [core]=""
  [formats]="core"
  [xml]="core formats"
  [image]="core"
  [registry]="core formats xml image"
  [icc]="core"
  [ops]="core formats xml image registry icc"
  [cli]="core formats xml image registry icc ops"
  [ui]="core formats xml image registry icc ops"
)

status=0
for folder in "${!allowed[@]}"; do
  [ -d "$src/$folder" ] || continue
  while IFS= read -r hit; do
    file="${hit%%:*}"
    [[ "$hit" =~ \#include\ \"([a-z]+)/ ]] && target=${BASH_REMATCH[1]}
    [ "$target" = "$folder" ] && continue
    if [[ " ${allowed[$folder]} " != *" $target "* ]]; then
      echo "$file: $folder may not include $target/ (layers point down only)" >&2
      status=1
    fi
  done < <(grep -rHE '^#include "[a-z]+/' "$src/$folder" || true)
done
[ "$status" -eq 0 ] && echo "layers: every include points down"
exit "$status"
