#!/usr/bin/env bash
# Builds the Debian package and tries it the way a user would get it: a clean
# Debian 12 root made by debootstrap, the package installed there with apt
# (which must bring every dependency the package declares), then the
# programs run from that root.
#   tools/deb-check.sh [BUILD_DIR]     (default: build-deb)
# Needs root (debootstrap, chroot); takes the package mirror and proxy from
# this machine's apt. Installs debootstrap and dpkg-dev (for dpkg-shlibdeps)
# when they are missing.
# KEEP_ROOT=1 keeps the Debian root for a look around.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-deb}
. tools/debian-root.sh

./build.sh deps
missing=()
for p in debootstrap dpkg-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

echo "== Building the package in $build"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DTOVI_BUILD_TESTS=OFF -DTOVI_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j2
rm -f "$build"/tovi-lut-converter_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/tovi-lut-converter_*.deb)
dpkg-deb --field "$deb" Package Version Architecture Depends
dpkg-deb --contents "$deb" | awk '{print $6}' | grep -v '/$'

root=$(mktemp -d /var/tmp/tovi-debian12.XXXXXX)
cleanup() {
  leave_debian_root "$root"
  if [ -z "${KEEP_ROOT:-}" ]; then as_root rm -rf "$root"; else echo "Debian root kept in $root"; fi
}
trap cleanup EXIT
echo "== A clean Debian 12 root in $root (mirror $(debian_mirror))"
make_debian_root "$root"
enter_debian_root "$root"
as_root cp "$deb" examples/warm.cube "$root/tmp/"
in_root() { in_debian_root "$root" env LC_ALL=C.UTF-8 "$@"; }
in_root apt-get update -qq
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "/tmp/$(basename "$deb")" >/dev/null

echo "== Run from the installed package"
run() { echo "\$ $*"; in_root "$@"; }
run tovilut --version
run tovilut convert -p "Cube 3D Davinci" -s 17 -o /var/tmp /tmp/warm.cube
run tovilut hald /tmp/hald.tif
run tovilut info /tmp/hald.tif
# Each picture type written and read again through its own library or
# codec, as the package installed them.
for ext in png jpg exr dpx tga bmp; do
  run tovilut apply /tmp/warm.cube /tmp/hald.tif "/tmp/graded.$ext"
  run tovilut apply /tmp/warm.cube "/tmp/graded.$ext" "/tmp/graded-$ext.tif"
done
run env QT_QPA_PLATFORM=offscreen tovi-lut-converter --version
run sh -c '! ldd /usr/bin/tovilut /usr/bin/tovi-lut-converter /usr/lib/*/tovilut/*.so | grep "not found"'
run ls /usr/share/man/man1/tovilut.1.gz /usr/share/bash-completion/completions/tovilut \
  /usr/share/zsh/vendor-completions/_tovilut /usr/share/fish/vendor_completions.d/tovilut.fish \
  /usr/share/applications/tovi-lut-converter.desktop
echo "== The package installs and runs on a clean Debian 12."
