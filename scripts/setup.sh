#!/usr/bin/env bash
# Installs everything a fresh Debian machine lacks to build, run and test the installer, and fetches the
# sources of the libraries we build ourselves (minizip, jsoncpp). Idempotent; quick when all is there.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
deps="$here/build/deps"
SUDO=""; [ "$(id -u)" = 0 ] || SUDO=sudo

packages=(
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
  mingw-w64-tools libz-mingw-w64-dev strace
  wine wine32:i386 wine64 xvfb xauth fonts-wqy-microhei xdotool imagemagick
  clang libclang-rt-14-dev cmake make ninja-build zip unzip
  zlib1g-dev libjsoncpp-dev libminizip-dev googletest
  dpkg-dev iproute2 util-linux curl aria2 python3
)

missing() {
  local p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}

# Source entries mirror the machine's own binary entries, so no archive address is written here.
add_source_entries() {
  local f out=/etc/apt/sources.list.d/vexra-deb-src.sources
  [ -f "$out" ] && return 0
  if grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ || grep -qs '^deb-src ' /etc/apt/sources.list; then
    return 0
  fi
  local tmp; tmp=$(mktemp)
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -e "$f" ] || continue
    # keep only the Debian archive stanzas (those signed by the Debian keyring)
    awk 'BEGIN{RS=""; ORS="\n\n"} /debian-archive-keyring/ {sub(/Types:[^\n]*/, "Types: deb-src"); print}' "$f" >> "$tmp"
  done
  if [ -f /etc/apt/sources.list ]; then
    grep -E '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' > "$tmp.list" || true
    [ -s "$tmp.list" ] && $SUDO cp "$tmp.list" /etc/apt/sources.list.d/vexra-deb-src.list
  fi
  [ -s "$tmp" ] && $SUDO cp "$tmp" "$out"
  rm -f "$tmp" "$tmp.list"
  return 0
}

need_update=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386; need_update=1
fi
[ -z "$(missing)" ] || need_update=1
if [ ! -d "$deps/zlib-src" ] || [ ! -d "$deps/jsoncpp-src" ]; then
  add_source_entries; need_update=1
fi

if [ "$need_update" = 1 ]; then
  $SUDO apt-get update -qq
  todo=$(missing)
  if [ -n "$todo" ]; then
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $todo
  fi
fi

fetch_source() { # package, target folder name
  local pkg=$1 dir=$deps/$2
  [ -d "$dir" ] && return 0
  rm -rf "$deps/dl-$pkg"; mkdir -p "$deps/dl-$pkg"
  # A mirror may list a source version whose files it no longer holds: try each one, newest first.
  local v ok=0
  for v in $(apt-cache showsrc "$pkg" | awk '/^Version:/ {print $2}' | sort -u -r -V); do
    if (cd "$deps/dl-$pkg" && apt-get source --download-only -qq "$pkg=$v" >/dev/null 2>&1); then ok=1; break; fi
    rm -f "$deps/dl-$pkg"/*
  done
  [ "$ok" = 1 ] || { echo "setup: no source of $pkg could be fetched" >&2; return 1; }
  local dsc; dsc=$(ls "$deps/dl-$pkg"/*.dsc | head -n 1)
  rm -rf "$deps/x-$pkg"
  dpkg-source --no-check -x "$dsc" "$deps/x-$pkg" >/dev/null
  mv "$deps/x-$pkg" "$dir"
}
mkdir -p "$deps"
fetch_source zlib zlib-src
fetch_source libjsoncpp jsoncpp-src
echo "setup: ready"
