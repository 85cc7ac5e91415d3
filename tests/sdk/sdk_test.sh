#!/usr/bin/env bash
# The foundation's SDK checked as a consumer meets it.
# Usage: sdk_test.sh CASE SOURCE_DIR LISTENER_EXE WINEPREFIX WORK_DIR
#   CASE          one of the functions named case_* below
#   LISTENER_EXE  record-listener.exe, which runs a program as the viewer would
# Exits 77 (skipped) when scripts/package.sh has not made the SDK zip.
set -euo pipefail
case_name=$1
root=$(realpath "$2")
listener=$(realpath "$3")
prefix=$(realpath -m "$4")
work=$(realpath -m "$5")/$case_name
here=$root/tests/sdk
version=$(cat "$root/build/x64/version.txt" 2>/dev/null || true)
zip=$root/build/packages/Probedeck-$version-sdk-win64.zip
toolchain_in_tree=$root/cmake/toolchains/mingw-x86_64.cmake

fail() { echo "FAILED: $*" >&2; exit 1; }
rm -rf "$work"
mkdir -p "$work"

unpack_sdk() {
    if [ -z "$version" ] || [ ! -f "$zip" ]; then
        echo "SKIPPED: no SDK zip in $root/build/packages; make it with scripts/package.sh"
        exit 77
    fi
    # A folder that has nothing to do with this repository.
    sdk_parent=$(mktemp -d /tmp/probedeck-sdk.XXXXXX)
    trap 'rm -rf "$sdk_parent"' EXIT
    (cd "$sdk_parent" && unzip -q "$zip")
    sdk=$sdk_parent/Probedeck-$version-sdk
    [ -d "$sdk" ] || fail "the zip has no folder Probedeck-$version-sdk"
}

build_project() {  # build_project SOURCE BUILD TOOLCHAIN [CMAKE ARGUMENTS...]
    local source=$1 build=$2 toolchain=$3
    shift 3
    cmake -S "$source" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" "$@" >"$build.configure.log" 2>&1 ||
        { cat "$build.configure.log"; fail "configuring $source"; }
    cmake --build "$build" >"$build.build.log" 2>&1 || { cat "$build.build.log"; fail "building $source"; }
}

# Runs the example host with the component beside it, under the listener,
# and compares what arrived with the expected records (one extended regular
# expression per line, whole lines, in order).
run_example() {  # run_example HOST_EXE COMPONENT_DLL
    local run=$work/run
    mkdir -p "$run"
    cp "$1" "$2" "$run/"
    local status=0
    "$root/scripts/wine/run.sh" "$prefix" "$listener" "$work/records.txt" "$run/$(basename "$1")" </dev/null ||
        status=$?
    [ "$status" -eq 0 ] || fail "the example ended with status $status"
    tr -d '\r' <"$work/records.txt" >"$work/records.lf.txt"
    local expected actual line=0
    mapfile -t expected <"$here/expected-records.txt"
    mapfile -t actual <"$work/records.lf.txt"
    [ "${#actual[@]}" -eq "${#expected[@]}" ] || {
        cat "$work/records.lf.txt"
        fail "${#actual[@]} records arrived, ${#expected[@]} expected"
    }
    for line in "${!expected[@]}"; do
        [[ ${actual[$line]} =~ ^${expected[$line]}$ ]] ||
            fail "record $((line + 1)): '${actual[$line]}' does not match '${expected[$line]}'"
    done
}

case_ExampleBuiltFromTheUnpackedSdkSendsItsRecords() {
    unpack_sdk
    local example=$sdk/examples/traced-component
    [ -d "$example" ] || fail "the SDK holds no example"
    # Configured with the SDK's own toolchain file, found through the prefix path alone.
    local toolchain=$sdk/share/probedeck/toolchains/mingw-x86_64.cmake
    # Built outside the repository too, so that any path into it stands out.
    local builds=$sdk_parent/builds
    mkdir -p "$builds"
    build_project "$example/component" "$builds/component" "$toolchain" -DCMAKE_PREFIX_PATH="$sdk"
    build_project "$example/host" "$builds/host" "$toolchain" -DCMAKE_PREFIX_PATH="$sdk"
    local found
    found=$(grep '^ProbedeckFoundation_DIR:' "$builds/host/CMakeCache.txt" | cut -d= -f2)
    [ "$found" = "$sdk/lib/cmake/ProbedeckFoundation" ] || fail "the package was found in $found"
    if grep -rlF "$root" "$builds/host" "$builds/component"; then
        fail "the example's build reaches into the repository"
    fi
    run_example "$builds/host/traced_host.exe" "$builds/component/traced_component.dll"
}

# The 32-bit SDK with its own toolchain file: built, not run (that needs
# 32-bit programs); the 64-bit package must be refused by this build.
case_Win32SdkBuildsTheExample() {
    local zip32=$root/build/packages/Probedeck-$version-sdk-win32.zip
    unpack_sdk
    local sdk32=$sdk_parent/win32
    mkdir -p "$sdk32"
    (cd "$sdk32" && unzip -q "$zip32")
    sdk32=$sdk32/Probedeck-$version-sdk
    local toolchain=$sdk32/share/probedeck/toolchains/mingw-i686.cmake builds=$sdk_parent/builds
    mkdir -p "$builds"
    build_project "$sdk32/examples/traced-component/component" "$builds/component" "$toolchain" -DCMAKE_PREFIX_PATH="$sdk32"
    build_project "$sdk32/examples/traced-component/host" "$builds/host" "$toolchain" -DCMAKE_PREFIX_PATH="$sdk32"
    x86_64-w64-mingw32-objdump -f "$builds/host/traced_host.exe" | grep -q 'file format pei-i386' ||
        fail "the 32-bit host is not a 32-bit program"
    if cmake -S "$sdk32/examples/traced-component/host" -B "$builds/mixed" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_PREFIX_PATH="$sdk" >"$builds/mixed.log" 2>&1; then
        fail "a 32-bit build took the 64-bit package"
    fi
}

case_BothSdkZipsHoldThePackageAndNoProgram() {
    unpack_sdk
    local suffix format listing
    for suffix in win64 win32; do
        listing=$(unzip -Z1 "$root/build/packages/Probedeck-$version-sdk-$suffix.zip")
        for expected in include/probedeck/foundation/trace/FunctionTrace.h include/probedeck_trace.h \
                lib/cmake/ProbedeckFoundation/ProbedeckFoundationConfig.cmake \
                lib/cmake/ProbedeckFoundation/ProbedeckFoundationConfigVersion.cmake lib/libfoundation_trace.a \
                README.txt docs/trace-records.md examples/traced-component/host/CMakeLists.txt; do
            grep -qxF "Probedeck-$version-sdk/$expected" <<<"$listing" || fail "the $suffix SDK lacks $expected"
        done
        ! grep -iE '\.(exe|dll)$' <<<"$listing" || fail "the $suffix SDK holds a program"
        ! grep -iE 'Internals|Grammar|BaseWindow' <<<"$listing" || fail "the $suffix SDK holds an internal header"
    done
    # Each zip's libraries are built for its own processor.
    unzip -q -o "$root/build/packages/Probedeck-$version-sdk-win32.zip" -d "$work/win32"
    for suffix in win64:pe-x86-64:"$sdk" win32:pe-i386:"$work/win32/Probedeck-$version-sdk"; do
        IFS=: read -r name format folder <<<"$suffix"
        x86_64-w64-mingw32-objdump -f "$folder/lib/libfoundation_trace.a" | grep -q "file format $format" ||
            fail "the $name SDK's libraries are not $format"
    done
}

case_EveryPublicHeaderCompilesAlone() {
    unpack_sdk
    # The project's toolchain file: the one the SDK ships is checked above.
    build_project "$here/headers" "$work/headers" "$toolchain_in_tree" -DCMAKE_PREFIX_PATH="$sdk"
    grep -q 'headers compiled: ' "$work/headers.configure.log" || fail "no header was compiled"
    grep 'headers compiled: ' "$work/headers.configure.log"
}

case_FetchContentGivesTheSameTargets() {
    build_project "$here/fetchcontent" "$work/fetchcontent" "$toolchain_in_tree" \
        -DPROBEDECK_SOURCE_DIR="$root"
    run_example "$work/fetchcontent/host/traced_host.exe" "$work/fetchcontent/component/traced_component.dll"
}

"case_$case_name"
