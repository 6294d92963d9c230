#!/bin/sh
# Runs the window's save test on real file systems: a full one and a read-only one, each a small
# tmpfs in a mount namespace of its own (so root, as in CI). Elsewhere the test is skipped (77).
# usage: full_disk.sh WINDOW_TESTS TEMPLATE
set -eu
[ "$(id -u)" = 0 ] && command -v unshare >/dev/null || exit 77
unshare --mount --propagation private true 2>/dev/null || exit 77
exec unshare --mount --propagation private sh -eu -c '
  tests=$1 template=$2
  top=$(mktemp -d)
  trap "umount $top/full $top/readonly 2>/dev/null; rm -rf $top" EXIT
  mkdir "$top/full" "$top/readonly"
  mount -t tmpfs -o size=64k tmpfs "$top/full"
  mount -t tmpfs -o size=64k tmpfs "$top/readonly"
  cp "$template" "$top/full/keep.tmp"
  cp "$template" "$top/readonly/keep.tmp"
  mount -o remount,ro "$top/readonly"
  # Every block taken: a file grows until the disk says no.
  dd if=/dev/zero of="$top/full/filler" bs=1k 2>/dev/null || true
  QUARNEL_FULL_FS=$top/full QUARNEL_READONLY_FS=$top/readonly "$tests" aFullOrReadOnlyDiskKeepsTheTemplate
' sh "$1" "$2"
