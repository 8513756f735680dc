#!/usr/bin/env bash
# Runs the README's test command where a new user or CI machine starts: a
# clean Debian 12 root (debootstrap --variant=minbase, with git and nothing
# else), a fresh clone of this repository's committed HEAD, then
# `./build.sh test`, which has to install everything it needs by itself.
#   tools/fresh-check.sh [COMMAND]   (default: ./build.sh test)
# Needs root (debootstrap, chroot, mount); installs debootstrap when it is
# missing. Takes the package mirror and proxy from this machine's apt.
# KEEP_ROOT=1 keeps the Debian root for a look around.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
command=${1:-./build.sh test}
. tools/debian-root.sh

if ! dpkg-query -W -f='${Status}' debootstrap 2>/dev/null | grep -q "install ok installed"; then
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap >/dev/null
fi

root=$(mktemp -d /var/tmp/tovi-fresh.XXXXXX)
cleanup() {
  leave_debian_root "$root"
  if [ -z "${KEEP_ROOT:-}" ]; then as_root rm -rf "$root"; else echo "Debian root kept in $root"; fi
}
trap cleanup EXIT

echo "== A clean Debian 12 root in $root (mirror $(debian_mirror))"
make_debian_root "$root" git,ca-certificates
enter_debian_root "$root"
as_root mkdir -p "$root/mnt/repo"
as_root mount --bind -o ro "$repo" "$root/mnt/repo"
in_debian_root "$root" git config --global --add safe.directory '*'
in_debian_root "$root" git clone -q /mnt/repo /src
echo "== $(in_debian_root "$root" git -C /src log -1 --format='%h %s')"
echo "== $command"
start=$SECONDS
in_debian_root "$root" sh -c "cd /src && $command"
echo "== Passed in a clean Debian 12 root in $((SECONDS - start)) s."
