# Sourced by the scripts that try the program in a clean Debian 12 root
# (tools/deb-check.sh, tools/fresh-check.sh): the root is made from the
# package mirror and proxy that this machine's apt uses, so a local mirror
# or proxy is honoured exactly as apt honours it here.
#   make_debian_root DIR [PACKAGE,...]   debootstrap --variant=minbase
#   enter_debian_root DIR                mount what programs there expect
#   leave_debian_root DIR                unmount it again
#   in_debian_root DIR COMMAND...        run as a fresh login would

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# "URI SUITE COMPONENTS" for each Debian 12 source apt reads here (main,
# updates, security), as apt itself resolved them from sources.list and
# sources.list.d in either syntax. DEBIAN_MIRROR, when set, replaces them.
debian_sources() {
  if [ -n "${DEBIAN_MIRROR:-}" ]; then
    echo "$DEBIAN_MIRROR bookworm main"
    return
  fi
  apt-get indextargets --format '$(REPO_URI) $(RELEASE) $(COMPONENT) $(TARGET_OF) $(CODENAME)' 2>/dev/null |
    awk '$4 == "deb" && $5 ~ /^bookworm/ && $3 == "main" { print $1, $2, $3 }' | sort -u
}

# The archive itself (the source whose suite is plain "bookworm").
debian_mirror() {
  local m
  m=$(debian_sources | awk '$2 == "bookworm" { print $1; exit }')
  echo "${m:-http://deb.debian.org/debian}"
}

# apt's own proxy setting, for debootstrap (which reads the environment) and
# for apt inside the root.
apt_proxy() {
  apt-config dump 2>/dev/null | sed -n 's/^Acquire::http::Proxy "\(.*\)";$/\1/p' | head -1
}

make_debian_root() {
  local root=$1 include=${2:-} proxy
  proxy=$(apt_proxy)
  as_root env ${proxy:+http_proxy=$proxy} debootstrap --variant=minbase \
    ${include:+--include=$include} bookworm "$root" "$(debian_mirror)" >/dev/null
  debian_sources | awk '{ print "deb", $1, $2, $3 }' | as_root tee "$root/etc/apt/sources.list" >/dev/null
  if [ -n "$proxy" ]; then
    echo "Acquire::http::Proxy \"$proxy\";" | as_root tee "$root/etc/apt/apt.conf.d/01proxy" >/dev/null
  fi
}

enter_debian_root() {
  local root=$1
  as_root mount -t proc proc "$root/proc"
  as_root mount -t sysfs sys "$root/sys"
  as_root mount -t tmpfs shm "$root/dev/shm"
}

leave_debian_root() {
  local root=$1 m
  # Deepest first, whatever was mounted below the root.
  for m in $(awk -v r="$root" '$2 == r || index($2, r "/") == 1 { print $2 }' /proc/mounts | sort -r); do
    as_root umount -l "$m" 2>/dev/null || true
  done
}

in_debian_root() {
  local root=$1; shift
  as_root chroot "$root" env -i HOME=/root TERM=dumb PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@"
}
