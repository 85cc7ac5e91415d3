#!/usr/bin/env bash
# Builds the installer from a staged folder of (signed) files with wixl.
# Usage: make-msi.sh STAGE_DIR x64|x86 VERSION OUT.msi
# scripts/package.sh calls it for the release; the package tests call it with
# a later version to try an upgrade.
set -euo pipefail
stage=$(realpath "$1")
platform=$2
version=$3
out=$(realpath -m "$4")
here=$(cd "$(dirname "$0")" && pwd)
wxs=$here/Probedeck.wxs
case $platform in x64|x86) ;; *) echo "make-msi.sh: platform must be x64 or x86, not '$platform'" >&2; exit 2 ;; esac
mkdir -p "$(dirname "$out")"
# wixl takes the files' paths relative to the folder it runs in.
cd "$stage"
icon=$(realpath --relative-to=. "$here/../console/resources/Probedeck.ico")
wixl --arch "$platform" -D Version="$version" -D Platform="$platform" -D StageDir=. -D IconFile="$icon" \
    -o "$out" "$wxs"
