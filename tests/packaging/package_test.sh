#!/usr/bin/env bash
# The release packages made by scripts/package.sh, checked as a user meets
# them: unpacked, verified, installed, upgraded and removed under Wine.
# Usage: package_test.sh CASE SOURCE_DIR PROBE_EXE WORK_DIR
#   CASE        one of the functions named case_* below
#   PROBE_EXE   package-probe.exe (64-bit), which starts programs and reads
#               version resources on the Windows side
# Exits 77 (skipped) when the packages have not been made, or when a case
# needs 32-bit programs and this machine cannot run them.
set -euo pipefail
case_name=$1
root=$(realpath "$2")
probe=$(realpath "$3")
work=$(realpath -m "$4")/$case_name
source "$root/scripts/wine/env.sh"
packages=$root/build/packages
version=$(cat "$root/build/x64/version.txt" 2>/dev/null || true)
certificate=$packages/signing/certificate.pem

if [ -z "$version" ] || [ ! -f "$packages/Probedeck-$version-x64.msi" ]; then
    echo "SKIPPED: no packages in $packages; make them with scripts/package.sh"
    exit 77
fi
rm -rf "$work"
mkdir -p "$work"

fail() { echo "FAILED: $*" >&2; exit 1; }
skip_without_32bit() {
    if [ "$PROBEDECK_WINE32" != yes ]; then
        echo "SKIPPED: $1 needs 32-bit programs: $PROBEDECK_WINE32_WHY"
        exit 77
    fi
}
windows_path() { local path=${1//\//\\}; printf 'Z:%s' "$path"; }

# A fresh Wine prefix for this case, removed when the case ends.
prefix=""
use_fresh_prefix() {
    prefix=$work/prefix
    export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    "$root/scripts/wine/prefix.sh" "$prefix" null
    trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$prefix"' EXIT
}
msiexec() { probedeck_wine msiexec "$@" </dev/null >/dev/null 2>&1; }
run_probe() { "$root/scripts/wine/run.sh" "$prefix" "$probe" "$@" </dev/null; }
# The installed programs as one registry view (64 or 32) shows them: a 64-bit
# package's entry belongs in the 64-bit view, a 32-bit one's in the 32-bit
# view (Software\Wow6432Node), whichever reg.exe asks.
uninstall_keys() {  # uninstall_keys 64|32
    probedeck_wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s "/reg:$1" 2>/dev/null |
        tr -d '\r'
}
installed_entries() {  # installed_entries 64|32: the entries named Probedeck
    uninstall_keys "$1" | grep -E '^\s+DisplayName\s+REG_SZ\s+Probedeck' || true
}
expect_entries() {  # expect_entries WHEN IN_64BIT_VIEW IN_32BIT_VIEW
    local in64 in32
    in64=$(installed_entries 64 | wc -l)
    in32=$(installed_entries 32 | wc -l)
    [ "$in64 $in32" = "$2 $3" ] ||
        fail "$1: expected $2 installed-programs entries in the 64-bit registry view and $3 in the 32-bit one," \
            "found $in64 and $in32:" "$(installed_entries 64 | tr -s ' \n' ' ')/$(installed_entries 32 | tr -s ' \n' ' ')"
}
shortcuts() {  # shortcuts [MENU_FOLDER]: the shortcuts' names on one line
    find "$prefix/drive_c" -ipath "*/Start Menu/Programs/${1:-Probedeck}/*.lnk" -printf '%f\n' | sort | tr '\n' ' '
}

expected_layout() {
    printf '%s\n' "Probedeck-$version/" "Probedeck-$version/HTML_Test_Page.htm" \
        "Probedeck-$version/Probedeck.exe" "Probedeck-$version/Probedeck_Help_Page.doc" \
        "Probedeck-$version/README.txt" "Probedeck-$version/Tracing.exe" "Probedeck-$version/langcheck.exe" \
        "Probedeck-$version/tracecap.exe" \
        "Probedeck-$version/standin/" "Probedeck-$version/standin/bcsl.dll" \
        "Probedeck-$version/standin/vantorelconfig.dll" | sort
}

case_zip_layout_and_run() {
    local zip
    for zip in win64 win32; do
        diff <(expected_layout) <(unzip -Z1 "$packages/Probedeck-$version-$zip.zip" | sort) ||
            fail "Probedeck-$version-$zip.zip does not hold the documented layout"
    done
    grep -q "copy both files" <(unzip -p "$packages/Probedeck-$version-win64.zip" "Probedeck-$version/README.txt") ||
        fail "README.txt does not say how to use the stand-in"
    unzip -q "$packages/Probedeck-$version-win64.zip" -d "$work/unpacked"
    use_fresh_prefix
    run_probe show-window "$(windows_path "$work/unpacked/Probedeck-$version/Probedeck.exe")" ConsoleWindow ||
        fail "Probedeck.exe from the unpacked win64 zip did not show its window"
    if [ "$PROBEDECK_WINE32" = yes ]; then
        unzip -q "$packages/Probedeck-$version-win32.zip" -d "$work/unpacked32"
        run_probe show-window "$(windows_path "$work/unpacked32/Probedeck-$version/Probedeck.exe")" ConsoleWindow ||
            fail "Probedeck.exe from the unpacked win32 zip did not show its window"
    else
        echo "not run: the win32 zip's Probedeck.exe ($PROBEDECK_WINE32_WHY)"
    fi
}

case_signatures_verify() {
    local zip file count=0
    for zip in win64 win32; do
        unzip -q "$packages/Probedeck-$version-$zip.zip" -d "$work/$zip"
        # The files inside the installer must be the signed ones too.
        mkdir -p "$work/msi-$zip"
        (cd "$work/msi-$zip" && msiextract "$packages/Probedeck-$version-$([ $zip = win64 ] && echo x64 || echo x86).msi" >/dev/null)
    done
    while IFS= read -r -d '' file; do
        osslsigncode verify -CAfile "$certificate" -in "$file" >"$work/verify.log" 2>&1 ||
            { cat "$work/verify.log"; fail "the signature of $file does not verify"; }
        count=$((count + 1))
    done < <(find "$work" "$packages" -maxdepth 6 \( -iname '*.exe' -o -iname '*.dll' -o -iname '*.msi' \) \
        -not -path '*/stage-*' -print0)
    # 2 zips x 6 files, 2 installers x 6 files, and the 2 installers.
    [ "$count" -eq 26 ] || fail "expected 26 signed files, verified $count"
    echo "verified $count signatures"
}

case_one_version_everywhere() {
    local msi files=() line
    for msi in x64 x86; do
        [ "$(msiinfo export "$packages/Probedeck-$version-$msi.msi" Property | tr -d '\r' |
            sed -n 's/^ProductVersion\t//p')" = "$version" ] || fail "the $msi MSI's ProductVersion is not $version"
    done
    unzip -q "$packages/Probedeck-$version-win64.zip" -d "$work/win64"
    unzip -q "$packages/Probedeck-$version-win32.zip" -d "$work/win32"
    while IFS= read -r -d '' line; do files+=("$(windows_path "$line")"); done < <(
        find "$work" \( -iname '*.exe' -o -iname '*.dll' \) -print0)
    [ ${#files[@]} -eq 12 ] || fail "expected 12 programs and libraries, found ${#files[@]}"
    prefix=$root/build/x64-test/wineprefix
    run_probe version "${files[@]}" | tr -d '\r' >"$work/versions.txt" || { cat "$work/versions.txt"; fail "a file has no version resource"; }
    cat "$work/versions.txt"
    while IFS=$'\t' read -r file file_version product_version product; do
        [ "$file_version" = "$version" ] && [ "$product_version" = "$version" ] && [ "$product" = Probedeck ] ||
            fail "$file carries version $file_version / $product_version of $product, not $version of Probedeck"
    done <"$work/versions.txt"
}

# Install, run, upgrade, refuse a downgrade, uninstall: one machine's life.
case_msi_x64_lifecycle() {
    local msi=$packages/Probedeck-$version-x64.msi installed
    IFS=. read -r major minor patch <<<"$version"
    local later=$major.$minor.$((patch + 1))
    use_fresh_prefix
    installed=$prefix/drive_c/Program\ Files/Probedeck

    msiexec /i "$(windows_path "$msi")" /qn || fail "msiexec /i exited with $?"
    [ -f "$installed/Probedeck.exe" ] && [ -f "$installed/Tracing.exe" ] && [ -f "$installed/tracecap.exe" ] &&
        [ -f "$installed/langcheck.exe" ] ||
        fail "the programs are not under Program Files\\Probedeck"
    [ ! -e "$installed/vantorelconfig.dll" ] && [ ! -e "$installed/bcsl.dll" ] || fail "the stand-in was installed by default"
    run_probe show-window 'C:\Program Files\Probedeck\Probedeck.exe' ConsoleWindow ||
        fail "the installed Probedeck.exe did not show its window"
    [ "$(shortcuts)" = "Probedeck.lnk Tracing.lnk " ] || fail "shortcuts: $(shortcuts)"
    expect_entries "after the install" 1 0

    "$root/packaging/make-msi.sh" "$packages/stage-x64/Probedeck-$version" x64 "$later" "$work/later.msi" >/dev/null
    msiexec /i "$(windows_path "$work/later.msi")" /qn || fail "the later version did not install over this one"
    expect_entries "after the upgrade" 1 0
    uninstall_keys 64 | grep -qE "DisplayVersion\s+REG_SZ\s+$later$" || fail "the entry does not show version $later"
    if msiexec /i "$(windows_path "$msi")" /qn; then fail "an earlier version installed over a later one"; fi
    expect_entries "after the refused downgrade" 1 0

    msiexec /x "$(windows_path "$work/later.msi")" /qn || fail "msiexec /x exited with $?"
    [ ! -e "$installed" ] || fail "left behind: $(find "$installed")"
    [ -z "$(shortcuts)" ] || fail "shortcuts left behind: $(shortcuts)"
    expect_entries "after the uninstall" 0 0
}

case_msi_x64_standin_beside_console_only() {
    local installed
    use_fresh_prefix
    installed=$prefix/drive_c/Program\ Files/Probedeck
    msiexec /i "$(windows_path "$packages/Probedeck-$version-x64.msi")" /qn ADDLOCAL=StandIn ||
        fail "msiexec /i ADDLOCAL=StandIn exited with $?"
    for file in Probedeck.exe Tracing.exe vantorelconfig.dll bcsl.dll; do
        [ -f "$installed/$file" ] || fail "$file is not under Program Files\\Probedeck"
    done
    [ -z "$(find "$prefix/drive_c" -ipath '*Brivex Shared*')" ] || fail "a package wrote into the shared component folder"
    run_probe show-window 'C:\Program Files\Probedeck\Probedeck.exe' ConsoleWindow ||
        fail "the installed Probedeck.exe did not show its window"
}

# Where 32-bit programs run, both packages can be installed at once: each
# keeps its own files, entry and shortcuts, and removing the 32-bit one
# leaves the 64-bit one whole.
case_msi_x86_beside_x64() {
    skip_without_32bit "the 32-bit MSI"
    local installed="Program Files (x86)/Probedeck" menu="Probedeck (32-bit)"
    use_fresh_prefix
    msiexec /i "$(windows_path "$packages/Probedeck-$version-x64.msi")" /qn || fail "the 64-bit MSI did not install"
    msiexec /i "$(windows_path "$packages/Probedeck-$version-x86.msi")" /qn || fail "msiexec /i exited with $?"
    [ -f "$prefix/drive_c/$installed/Probedeck.exe" ] || fail "Probedeck.exe is not under Program Files (x86)\\Probedeck"
    expect_entries "with both installed" 1 1
    [ "$(shortcuts "$menu")" = "Probedeck.lnk Tracing.lnk " ] || fail "shortcuts in $menu: $(shortcuts "$menu")"
    [ "$(shortcuts)" = "Probedeck.lnk Tracing.lnk " ] || fail "the 64-bit package's shortcuts: $(shortcuts)"
    run_probe show-window 'C:\Program Files (x86)\Probedeck\Probedeck.exe' ConsoleWindow ||
        fail "the installed 32-bit Probedeck.exe did not show its window"

    msiexec /x "$(windows_path "$packages/Probedeck-$version-x86.msi")" /qn || fail "msiexec /x exited with $?"
    [ ! -e "$prefix/drive_c/$installed" ] || fail "left behind: $(find "$prefix/drive_c/$installed")"
    [ -z "$(shortcuts "$menu")" ] || fail "shortcuts left behind: $(shortcuts "$menu")"
    expect_entries "after removing the 32-bit package" 1 0
    [ "$(shortcuts)" = "Probedeck.lnk Tracing.lnk " ] && [ -f "$prefix/drive_c/Program Files/Probedeck/Probedeck.exe" ] ||
        fail "removing the 32-bit package took from the 64-bit one (shortcuts: $(shortcuts))"
}

# Wrong signing settings stop the package command, before any build, with
# a message that names the variable to mend.
case_wrong_signing_settings_stop() {
    local pfx=$work/other.pfx output
    openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=other -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
    openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$pfx" -passout pass:right
    expect_stop() {  # expect_stop VARIABLE_NAMED env-assignments...
        local named=$1
        shift
        if output=$(env -u PROBEDECK_SIGN_PFX -u PROBEDECK_SIGN_PASSWORD "$@" "$root/scripts/package.sh" 2>&1); then
            fail "package.sh went on with $*"
        fi
        grep -q "$named" <<<"$output" || fail "with $*, the message does not name $named: $output"
        ! grep -q "Building\|made Probedeck" <<<"$output" || fail "with $*, package.sh built before it stopped"
    }
    expect_stop PROBEDECK_SIGN_PASSWORD PROBEDECK_SIGN_PFX="$pfx"
    expect_stop PROBEDECK_SIGN_PASSWORD PROBEDECK_SIGN_PFX="$pfx" PROBEDECK_SIGN_PASSWORD=wrong
    expect_stop PROBEDECK_SIGN_PFX PROBEDECK_SIGN_PFX="$work/missing.pfx" PROBEDECK_SIGN_PASSWORD=right
    expect_stop PROBEDECK_SIGN_PFX PROBEDECK_SIGN_PASSWORD=right
}

"case_$case_name"
echo "passed: $case_name"
