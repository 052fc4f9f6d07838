#!/bin/sh
# Checks the Debian package that `cpack -G DEB` made: its control fields, its
# dependencies (computed from the libraries the programs link, and Qt's
# translations for the Spanish dialogs), the tree it
# installs (tests/install/check_installed.sh) and lintian's verdict (no error).
#   check-deb.sh PACKAGE.deb
set -eu
deb=$1
fail() {
    echo "FAILED: $deb: $*" >&2
    exit 1
}
field() { dpkg-deb -f "$deb" "$1"; }

[ "$(field Package)" = poblacion ] || fail "Package is not poblacion"
[ "$(field Section)" = education ] || fail "Section is not education"
[ "$(field Priority)" = optional ] || fail "Priority is not optional"
field Maintainer | grep -Eq '^[^<>]+ <[^@<>]+@[^@<>]+>$' || fail "Maintainer is not \"Name <address>\""
field Description | head -1 | grep -q 'Aragón' || fail "Description"
depends=$(field Depends | tr -d ' ' | tr ',' '\n' | sed 's/(.*//')
for lib in 'libc6' 'libstdc\+\+6' 'libicu[0-9]+' 'libqt6core6' 'libqt6gui6' 'libqt6widgets6' \
           'libqt6printsupport6' 'libqcustomplot[0-9.]+-qt6' 'libxlsxwriter[0-9]+' 'qt6-translations-l10n'; do
    printf '%s\n' "$depends" | grep -Eqx "$lib" || fail "Depends lacks $lib"
done

id=$(dpkg-deb -c "$deb" | sed -n 's|.*/usr/share/applications/\(.*\)\.desktop$|\1|p')
[ -n "$id" ] || fail "no menu entry"
sh "$(dirname "$0")/../tests/install/check_installed.sh" "$deb" "$id"

code=0
report=$(lintian --fail-on error "$deb" 2>&1) || code=$?
printf '%s
' "$report" | grep -v 'root privileges' || true
[ "$code" -eq 0 ] || fail "lintian reports errors"
echo "package checked: $(basename "$deb")"
