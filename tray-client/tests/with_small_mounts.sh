#!/bin/sh
# Runs a test program in a mount namespace of its own with two mounts for
# it: a file system of 16 KiB (ORVEL_TEST_FULL_DISK) and a read-only one
# holding the folders Program and AppData/Orvel (ORVEL_TEST_READ_ONLY).
# Needs the right to make mounts (root); exits 77 (skipped) without it.
# Usage: with_small_mounts.sh PROGRAM [ARGS...]
if ! unshare -m --propagation private true 2>/dev/null; then
  echo "no mount namespace here: skipped" >&2
  exit 77
fi
exec unshare -m --propagation private sh -c '
  set -e
  top=$(mktemp -d)
  trap "umount \"$top/full\" \"$top/ro\" 2>/dev/null; rm -rf \"$top\"" EXIT
  mkdir -p "$top/full" "$top/ro/Program" "$top/ro/AppData/Orvel"
  mount -t tmpfs -o size=16k tmpfs "$top/full"
  mount --bind "$top/ro" "$top/ro"
  mount -o remount,bind,ro "$top/ro"
  ORVEL_TEST_FULL_DISK="$top/full" ORVEL_TEST_READ_ONLY="$top/ro" "$@"
' with_small_mounts "$@"
