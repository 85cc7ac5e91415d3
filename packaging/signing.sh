# Authenticode signing for the packages, sourced by scripts/package.sh.
#   signing_check_settings    checks that the settings are complete (no tools
#       needed, so it can run before anything is installed)
#   signing_prepare WORKDIR   checks the signing settings and readies a key:
#       PROBEDECK_SIGN_PFX and PROBEDECK_SIGN_PASSWORD name a real certificate
#       (a PKCS#12 file) and its password; with neither set, a throwaway
#       self-signed code-signing certificate is made in WORKDIR (once).
#       Either way WORKDIR/certificate.pem receives the signer's certificate,
#       which `osslsigncode verify -CAfile` checks the signatures against.
#   signing_sign FILE         signs FILE in place (.exe, .dll or .msi), without
#       a timestamp: the build has no network.
# A setting that is missing or wrong stops the caller with a message naming
# the variable; nothing is ever left unsigned in its place.

signing_fail() {
    echo "package.sh: $*" >&2
    exit 2
}

# Whether the password in PROBEDECK_SIGN_PASSWORD opens the PKCS#12 file
# (newer files first, then the legacy ciphers that older exports use).
signing_pfx_opens() {
    openssl pkcs12 -in "$1" -noout -passin env:PROBEDECK_SIGN_PASSWORD >/dev/null 2>&1 ||
        openssl pkcs12 -legacy -in "$1" -noout -passin env:PROBEDECK_SIGN_PASSWORD >/dev/null 2>&1
}

# The settings' shape, checked before anything is installed or built.
signing_check_settings() {
    if [ -n "${PROBEDECK_SIGN_PFX+set}" ] || [ -n "${PROBEDECK_SIGN_PASSWORD+set}" ]; then
        [ -n "${PROBEDECK_SIGN_PFX:-}" ] ||
            signing_fail "PROBEDECK_SIGN_PASSWORD is set but PROBEDECK_SIGN_PFX is not: set PROBEDECK_SIGN_PFX to the PKCS#12 (.pfx) file of the code-signing certificate"
        [ -f "$PROBEDECK_SIGN_PFX" ] && [ -r "$PROBEDECK_SIGN_PFX" ] ||
            signing_fail "PROBEDECK_SIGN_PFX names '$PROBEDECK_SIGN_PFX', which is not a readable file"
        [ -n "${PROBEDECK_SIGN_PASSWORD+set}" ] ||
            signing_fail "PROBEDECK_SIGN_PASSWORD is not set: it must hold the password of the certificate in PROBEDECK_SIGN_PFX"
    fi
}

signing_prepare() {
    signing_check_settings
    local dir=$1
    mkdir -p "$dir"
    chmod 700 "$dir"
    if [ -n "${PROBEDECK_SIGN_PFX+set}" ]; then
        signing_pfx_opens "$PROBEDECK_SIGN_PFX" ||
            signing_fail "PROBEDECK_SIGN_PASSWORD does not open the certificate in PROBEDECK_SIGN_PFX ('$PROBEDECK_SIGN_PFX'): wrong password, or not a PKCS#12 file"
        signing_pfx=$PROBEDECK_SIGN_PFX
        # The password reaches osslsigncode through a private file, never
        # through its command line; the file goes when the caller ends.
        signing_password_file=$(mktemp "$dir/password.XXXXXX")
        trap 'rm -f "$signing_password_file"' EXIT
        (umask 077 && printf "%s" "$PROBEDECK_SIGN_PASSWORD" >"$signing_password_file")
        openssl pkcs12 -in "$signing_pfx" -nokeys -clcerts -passin env:PROBEDECK_SIGN_PASSWORD -out "$dir/certificate.pem" 2>/dev/null ||
            openssl pkcs12 -legacy -in "$signing_pfx" -nokeys -clcerts -passin env:PROBEDECK_SIGN_PASSWORD -out "$dir/certificate.pem"
        signing_kind="the certificate in PROBEDECK_SIGN_PFX"
        return
    fi
    # The throwaway certificate is made once per build folder and kept.
    local throwaway=$dir/throwaway
    signing_pfx=$throwaway/certificate.pfx
    signing_password_file=$throwaway/password
    signing_kind="a throwaway self-signed certificate (set PROBEDECK_SIGN_PFX and PROBEDECK_SIGN_PASSWORD to sign with a real one)"
    if [ ! -f "$signing_pfx" ] || [ ! -f "$signing_password_file" ] || [ ! -f "$throwaway/certificate.pem" ]; then
        rm -rf "$throwaway"
        mkdir -m 700 "$throwaway"
        (umask 077 && openssl rand -hex 24 >"$signing_password_file")
        openssl req -x509 -newkey rsa:3072 -sha256 -days 365 -nodes \
            -subj "/CN=Probedeck throwaway code signing/O=Brivex" \
            -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
            -keyout "$throwaway/key.pem" -out "$throwaway/certificate.pem" >/dev/null 2>&1 ||
            signing_fail "openssl could not make the throwaway signing certificate"
        openssl pkcs12 -export -inkey "$throwaway/key.pem" -in "$throwaway/certificate.pem" \
            -out "$signing_pfx" -passout "file:$signing_password_file" ||
            signing_fail "openssl could not pack the throwaway signing certificate"
        rm -f "$throwaway/key.pem"
    fi
    cp "$throwaway/certificate.pem" "$dir/certificate.pem"
}

signing_sign() {
    local file=$1 signed
    signed=$(mktemp "$file.signing.XXXXXX")
    rm -f "$signed"
    if ! osslsigncode sign -pkcs12 "$signing_pfx" -readpass "$signing_password_file" -h sha256 \
        -n "Probedeck" -in "$file" -out "$signed" >/dev/null; then
        rm -f "$signed"
        signing_fail "osslsigncode could not sign $file"
    fi
    mv -f "$signed" "$file"
}
