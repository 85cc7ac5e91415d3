#!/usr/bin/env bash
# Installs, from Debian's archive, whichever of the packages this project
# needs are missing. Usage: install-deps.sh run|package|test
set -euo pipefail
source "$(dirname "$0")/wine/env.sh"
purpose=${1:-test}

packages=(cmake ninja-build g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
          wine wine64 xvfb xauth x11-utils imagemagick)
# Packages: installers with wixl, Authenticode signatures, zips.
if [ "$purpose" = package ] || [ "$purpose" = test ]; then
    packages+=(wixl msitools osslsigncode openssl zip unzip)
fi
if [ "$purpose" = test ]; then
    # g++ builds the native language-file checker and its tests.
    packages+=(googletest clang-14 libclang-rt-14-dev g++)
    # 32-bit Wine runs the 32-bit build's tests, where the kernel can run
    # 32-bit programs at all; elsewhere it would install but never start.
    if probedeck_kernel_runs_32bit; then packages+=(wine32:i386); fi
fi

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
