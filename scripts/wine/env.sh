# Sourced by every script that starts Wine. It finds out once per run whether
# this machine can run 32-bit programs and picks the Wine loader to match:
#   PROBEDECK_WINE32  yes or no (exported, so the scripts and tests a run
#                     starts inherit the answer; set it to "no" to force the
#                     64-bit-only path on a machine that could run 32-bit)
#   PROBEDECK_WINE32_WHY   one line saying why 32-bit programs cannot run
#   probedeck_wine ARGS    runs Wine's own programs (wineboot, reg, cmd,
#                          msiexec), always their 64-bit builds
#   probedeck_wine_for PROGRAM   prints the loader for a Windows program
# Some kernels refuse 32-bit programs ("Exec format error"). On such machines
# installing wine32:i386 still succeeds, but /usr/bin/wine then goes through
# the 32-bit loader, which cannot start.

probedeck_wine32_loader=/usr/lib/wine/wine
probedeck_wine64_loader=/usr/lib/wine/wine64
# Every prefix is a 64-bit one (32-bit programs run in it through syswow64),
# on both kinds of machine.
export WINEARCH=win64

# A 93-byte static i386 Linux program that exits with 0: whether the kernel
# starts it tells, before anything 32-bit is installed, whether it can run
# 32-bit programs at all.
probedeck_kernel_runs_32bit() {
    local probe
    probe=$(mktemp "${TMPDIR:-/tmp}/probedeck-elf32.XXXXXX") || return 1
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x28\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >"$probe"
    chmod +x "$probe"
    local ok=1
    "$probe" </dev/null >/dev/null 2>&1 && ok=0
    rm -f "$probe"
    return $ok
}

if [ -z "${PROBEDECK_WINE32:-}" ]; then
    if ! probedeck_kernel_runs_32bit; then
        PROBEDECK_WINE32=no
        PROBEDECK_WINE32_WHY="this machine's kernel cannot run 32-bit programs (Exec format error)"
    elif [ ! -x "$probedeck_wine32_loader" ]; then
        PROBEDECK_WINE32=no
        PROBEDECK_WINE32_WHY="32-bit Wine (package wine32:i386) is not installed"
    elif ! "$probedeck_wine32_loader" --version </dev/null >/dev/null 2>&1; then
        PROBEDECK_WINE32=no
        PROBEDECK_WINE32_WHY="the 32-bit Wine loader $probedeck_wine32_loader does not start"
    else
        PROBEDECK_WINE32=yes
        PROBEDECK_WINE32_WHY=""
    fi
elif [ "$PROBEDECK_WINE32" = no ] && [ -z "${PROBEDECK_WINE32_WHY:-}" ]; then
    PROBEDECK_WINE32_WHY="PROBEDECK_WINE32=no was set"
fi
export PROBEDECK_WINE32 PROBEDECK_WINE32_WHY

# The machine type in a PE file's header: 8664 (x86_64), 014c (i386), or
# empty for anything that is not a PE file.
probedeck_pe_machine() {
    local pe_offset
    pe_offset=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ') || return 0
    [ -n "$pe_offset" ] || return 0
    od -An -tx2 -j "$((pe_offset + 4))" -N2 "$1" 2>/dev/null | tr -d ' '
}

probedeck_wine_for() {
    if [ "$PROBEDECK_WINE32" = yes ] && [ "$(probedeck_pe_machine "$1")" != 8664 ]; then
        echo "$probedeck_wine32_loader"
    else
        echo "$probedeck_wine64_loader"
    fi
}

# Wine's own programs (wineboot, reg, cmd, msiexec), through the 64-bit
# loader on every machine. Once wine32:i386 is installed, /usr/bin/wine
# starts the 32-bit builds of these programs (from syswow64), which see the
# 32-bit registry view (HKLM\Software is then Software\Wow6432Node) and take
# Program Files (x86) for Program Files: the same call would read or change
# something else than on a machine without 32-bit support. A 32-bit program
# they start still gets the 32-bit loader.
probedeck_wine() {
    WINELOADER=$probedeck_wine64_loader "$probedeck_wine64_loader" "$@"
}
