#!/usr/bin/env bash
# A second, newer Wine for the tests: Debian 13's Wine 10.0, closer to the Wine
# of Proton than the host's Debian 12 Wine 8.0. It lives in a minimal Debian 13
# root made with debootstrap from the mirror the host's apt uses, kept outside
# the repository and reused while it is there.
#   newer-wine.sh ensure            make the root unless it is there; on failure
#                                   one line says why, exit status 1
#   newer-wine.sh version           the Wine version inside, e.g. "wine-10.0"
#   newer-wine.sh run PROGRAM ARGS  run a program of the root (a path inside it,
#                                   e.g. /usr/lib/wine/wine64) in the current folder
# Each run gets a mount namespace of its own in which the host's /tmp (Xvfb's
# socket, Wine's server socket), /dev, /proc and the project's folder are
# bound at their own paths: programs of the host and Wine inside share the
# display and the files. The binds vanish with the run's last process, so
# deleting the root or a build folder never reaches into the host's folders.
# VEYRA_NEWER_WINE_ROOT overrides where the root lives.
set -u

root=${VEYRA_NEWER_WINE_ROOT:-/var/cache/veyra/wine-trixie}
project=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# The number names the package list below: a root made for another list is made anew.
ready=$root/.veyra-ready-2
# libfaketime: the GUI tests run the program under other clocks.
packages=(wine wine64 fonts-wine libfaketime)

# The Debian mirror the host's apt uses, or Debian's own name for one.
host_mirror() {
  local uri
  uri=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources \
          2>/dev/null | grep -oE 'https?://[^ ]+/debian/?( |$)' | grep -v security | head -n 1)
  uri=${uri%% *}
  echo "${uri:-http://deb.debian.org/debian}"
}

# in_root COMMAND...: becomes COMMAND inside the root (exec: signals reach it),
# in a mount namespace of its own, with the host's folders bound as above.
in_root() {
  local folder=$PWD
  exec unshare --mount --propagation private -- /bin/sh -c '
    set -e
    root=$1 folder=$2 project=$3; shift 3
    mount --rbind /dev "$root/dev"
    mount -t proc proc "$root/proc"
    for shared in /tmp "$project" "$folder"; do
      case "$shared" in /|/dev|/dev/*|/proc|/proc/*|/tmp/*|"$project"/*) continue ;; esac
      mountpoint -q "$root$shared" && continue
      mkdir -p "$root$shared"
      mount --bind "$shared" "$root$shared"
    done
    exec chroot "$root" /bin/sh -c '\''cd "$0" && exec "$@"'\'' "$folder" "$@"
  ' in_root "$root" "$folder" "$project" "$@"
}

make_root() {
  local partial=$root.partial mirror log
  mirror=$(host_mirror)
  log=$(dirname "$root")/$(basename "$root").log
  mkdir -p "$(dirname "$root")"
  echo "Making the Debian 13 root for Wine 10 in $root (a few minutes; log: $log)" >&2
  rm -rf "$partial"
  if ! debootstrap --variant=minbase trixie "$partial" "$mirror" >"$log" 2>&1; then
    echo "newer-wine.sh: cannot make the Debian 13 root: debootstrap from $mirror failed (see $log)" >&2
    return 1
  fi
  if ! (root=$partial; in_root /usr/bin/env DEBIAN_FRONTEND=noninteractive \
          sh -c "apt-get update -qq && apt-get install -y -qq ${packages[*]}") >>"$log" 2>&1; then
    echo "newer-wine.sh: cannot install ${packages[*]} in the Debian 13 root from $mirror (see $log)" >&2
    return 1
  fi
  (root=$partial; in_root /usr/bin/apt-get clean) >>"$log" 2>&1
  mv "$partial" "$root" && touch "$ready"
}

ensure() {
  [ -f "$ready" ] && return 0
  mkdir -p "$(dirname "$root")"
  # Runs started together make it once.
  (
    flock 9
    [ -f "$ready" ] && exit 0
    rm -rf "$root"
    make_root
  ) 9>"$root.lock"
}

case "${1:-}" in
  ensure) ensure ;;
  version) [ -f "$ready" ] && in_root /usr/lib/wine/wine64 --version ;;
  run)
    shift
    [ -f "$ready" ] || { echo "newer-wine.sh: no Wine 10 root in $root (run: $0 ensure)" >&2; exit 1; }
    in_root "$@"
    ;;
  *) sed -n '2,/^set -u/p' "$0" | sed '$d; s/^# \{0,1\}//' >&2; exit 2 ;;
esac
