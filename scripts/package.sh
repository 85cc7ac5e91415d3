#!/usr/bin/env bash
# Builds the release packages for 64-bit and 32-bit Windows into
# build/packages/:
#   Probedeck-VERSION-win64.zip, Probedeck-VERSION-win32.zip  portable folders
#   Probedeck-VERSION-x64.msi,   Probedeck-VERSION-x86.msi    installers
#   Probedeck-VERSION-sdk-win64.zip, Probedeck-VERSION-sdk-win32.zip
#                                         the foundation as a CMake package
# Every .exe, .dll and .msi is Authenticode-signed: with the certificate in
# PROBEDECK_SIGN_PFX (password in PROBEDECK_SIGN_PASSWORD) when they are set,
# else with a throwaway self-signed certificate made once in
# build/packages/signing/. The signer's certificate is left there as
# certificate.pem for `osslsigncode verify -CAfile`.
# The release builds (presets x64 and x86) are built first when missing or
# out of date.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source packaging/signing.sh
out=$root/build/packages
# The signing settings are checked before anything is built.
signing_check_settings
scripts/install-deps.sh package
signing_prepare "$out/signing"
for preset in x64 x86; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done
version=$(cat build/x64/version.txt)
[ "$version" = "$(cat build/x86/version.txt)" ] || { echo "package.sh: the two builds disagree on the version" >&2; exit 1; }
echo "signing with $signing_kind"

programs=(Probedeck.exe Tracing.exe tracecap.exe langcheck.exe)
documents=(Probedeck_Help_Page.doc HTML_Test_Page.htm)
standin=(vantorelconfig.dll bcsl.dll)

# package PRESET ZIP_SUFFIX MSI_PLATFORM
package() {
    local preset=$1 zip_suffix=$2 platform=$3
    local bin=$root/build/$preset/bin stage=$out/stage-$preset folder=Probedeck-$version
    local dir=$stage/$folder file
    rm -rf "$stage"
    mkdir -p "$dir/standin"
    for file in "${programs[@]}" "${documents[@]}"; do cp "$bin/$file" "$dir/"; done
    for file in "${standin[@]}"; do cp "$bin/$file" "$dir/standin/"; done
    # Notepad-friendly line ends.
    sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' packaging/README.txt >"$dir/README.txt"
    for file in "${programs[@]}" "${standin[@]/#/standin/}"; do signing_sign "$dir/$file"; done

    local msi=$out/Probedeck-$version-$platform.msi zip=$out/Probedeck-$version-$zip_suffix.zip
    rm -f "$msi" "$zip"
    packaging/make-msi.sh "$dir" "$platform" "$version" "$msi"
    signing_sign "$msi"
    (cd "$stage" && zip -qrX9 "$zip" "$folder")
    echo "made $(basename "$zip") and $(basename "$msi")"
}

# sdk PRESET ZIP_SUFFIX ARCH: the installed package, its README, the
# record protocol and the example's sources; no program.
sdk() {
    local preset=$1 zip_suffix=$2 arch=$3
    local stage=$out/stage-sdk-$preset folder=Probedeck-$version-sdk
    local dir=$stage/$folder zip=$out/Probedeck-$version-sdk-$zip_suffix.zip
    rm -rf "$stage" "$zip"
    cmake --install "build/$preset" --component sdk --prefix "$dir" >/dev/null
    mkdir -p "$dir/docs" "$dir/examples"
    cp docs/trace-records.md "$dir/docs/"
    cp -r examples/traced-component "$dir/examples/"
    sed -e "s/@VERSION@/$version/g" -e "s/@ARCH@/$arch/g" -e 's/$/\r/' packaging/SDK-README.txt >"$dir/README.txt"
    (cd "$stage" && zip -qrX9 "$zip" "$folder")
    echo "made $(basename "$zip")"
}

mkdir -p "$out"
package x64 win64 x64
package x86 win32 x86
sdk x64 win64 "64-bit"
sdk x86 win32 "32-bit"
ls -l "$out"/Probedeck-"$version"-*
