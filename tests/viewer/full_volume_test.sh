#!/usr/bin/env bash
# full_volume_test.sh PREFIX PROBE_EXE MOUNT_DIR: Tracing.exe logs to a 512 KB RAM disk, full but
# for 8 KB; PROBE_EXE sends lines, deletes the filler, sends more and checks the log.
# Exits 77 (skipped) where the RAM disk cannot be mounted.
set -euo pipefail
volume=$(realpath -m "$3")
mkdir -p "$volume"
umount -l "$volume" 2>/dev/null || true  # left by a run that was killed
if ! why=$(mount -t tmpfs -o size=512k tmpfs "$volume" 2>&1); then
    echo "SKIPPED: a RAM disk cannot be mounted here: ${why:-mount failed}"
    exit 77
fi
trap 'umount -l "$volume"' EXIT
free_kb=$(df -k --output=avail "$volume" | tail -n 1)
dd if=/dev/zero of="$volume/filler" bs=1024 count=$((free_kb - 8)) status=none
PROBEDECK_FULL_FOLDER="Z:${volume//\//\\}" "$(dirname "$0")/../../scripts/wine/run.sh" "$1" "$2"
