#!/bin/sh
# Installs a build folder into a temporary root as a packager does (prefix
# /usr under DESTDIR), or unpacks a Debian package there, and checks the tree
# from outside the source and build folders: exactly the expected files, both
# programs start (and the window program, with no display, says so and exits
# with 1), the window comes up with its catalogue, the menu entry and
# the AppStream metadata validate, the manual pages format cleanly.
#   check_installed.sh BUILD_DIR|PACKAGE.deb APP_ID
# Exit 77 (skipped) when a validator is missing.
set -eu
case $1 in
*.deb) deb=$(cd "$(dirname "$1")" && pwd)/$(basename "$1") ;;
*) deb= build=$(cd "$1" && pwd) ;;
esac
id=$2

for tool in desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
fail() {
    echo "FAILED: $*" >&2
    exit 1
}

if [ -n "$deb" ]; then
    dpkg-deb -x "$deb" "$root"
else
    DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null
fi
cd "$root"

# The workbook module, in the library folder's "poblacion": /usr/lib/poblacion
# from a build folder, /usr/lib/<multiarch>/poblacion from the package.
module=$(find usr/lib -path '*/poblacion/workbook.so' | head -1)
case $module in
usr/lib/poblacion/workbook.so | usr/lib/*-linux-gnu*/poblacion/workbook.so) ;;
*) fail "no workbook module in usr/lib/poblacion or usr/lib/<multiarch>/poblacion (found '$module')" ;;
esac

# The tree holds these files and nothing else.
expected="usr/bin/poblacion
usr/bin/poblacion-tool
$module
usr/share/applications/$id.desktop
usr/share/doc/poblacion/changelog.Debian.gz
usr/share/doc/poblacion/copyright
usr/share/icons/hicolor/128x128/apps/$id.png
usr/share/icons/hicolor/16x16/apps/$id.png
usr/share/icons/hicolor/256x256/apps/$id.png
usr/share/icons/hicolor/32x32/apps/$id.png
usr/share/icons/hicolor/48x48/apps/$id.png
usr/share/icons/hicolor/64x64/apps/$id.png
usr/share/icons/hicolor/scalable/apps/$id.svg
usr/share/man/man1/poblacion-tool.1.gz
usr/share/man/man1/poblacion.1.gz
usr/share/metainfo/$id.metainfo.xml"
actual=$(find . ! -type d | sed 's|^\./||' | LC_ALL=C sort)
[ "$actual" = "$expected" ] || {
    printf '%s\n' "$expected" >expected.txt
    printf '%s\n' "$actual" | diff -u expected.txt - >&2 || true
    fail "the installed files differ from the list"
}

# Nothing points back into the build: no run path, every library found.
for program in usr/bin/poblacion usr/bin/poblacion-tool "$module"; do
    if readelf -d "$program" | grep -Eq 'RPATH|RUNPATH'; then
        fail "$program keeps a run path"
    fi
    if ldd "$program" | grep -q 'not found'; then
        fail "$program misses a library"
    fi
done

# The program starts without the workbook writer's libraries, which its
# module brings when a workbook is written.
if readelf -d usr/bin/poblacion | grep -q 'NEEDED.*libxlsxwriter'; then
    fail "usr/bin/poblacion links libxlsxwriter itself"
fi
readelf -d "$module" | grep -q 'NEEDED.*libxlsxwriter' || fail "$module does not link libxlsxwriter"

# The tool answers --help on standard output and a bare call with exit code 2.
usr/bin/poblacion-tool --help | grep -q '^Uso:' || fail "poblacion-tool --help"
code=0
usr/bin/poblacion-tool >/dev/null 2>&1 || code=$?
[ "$code" -eq 2 ] || fail "poblacion-tool without arguments exits with $code, not 2"

# The window program reads no arguments and stops only when its window closes:
# on the offscreen platform it must still be running when timeout ends it.
mkdir -m 700 run
export XDG_RUNTIME_DIR="$root/run" HOME="$root"
code=0
QT_QPA_PLATFORM=offscreen timeout 4 usr/bin/poblacion >out.txt 2>&1 || code=$?
[ "$code" -eq 124 ] || { cat out.txt >&2; fail "poblacion ended by itself with exit code $code"; }

# With no display to reach it says so in Spanish and exits with 1.
code=0
env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_SESSION_TYPE DISPLAY=:987654 \
    timeout 20 usr/bin/poblacion >out.txt 2>&1 || code=$?
[ "$code" -eq 1 ] && grep -q '^POBLACION: no se puede abrir la pantalla' out.txt \
    || { cat out.txt >&2; fail "poblacion with no display exits with $code"; }

# On an X server: the window "Catálogo" comes up, and no message box captioned
# "POBLACION" (the report of a catalogue that did not load) follows it.
if command -v xvfb-run >/dev/null && command -v xdotool >/dev/null; then
    code=0
    QT_QPA_PLATFORM=xcb xvfb-run -a sh -c '
        usr/bin/poblacion & pid=$!
        # (any locale: under C the title may come back in another encoding)
        timeout 30 xdotool search --sync --onlyvisible --name "^Cat.+logo\$" >/dev/null || exit 3
        sleep 1
        if xdotool search --onlyvisible --name "^POBLACION\$" >/dev/null; then exit 4; fi
        kill -0 $pid || exit 5
        kill $pid' >out.txt 2>&1 || code=$?
    case $code in
    0) ;;
    3) fail "the window Catálogo did not appear" ;;
    4) fail "the program reported a problem in a message box" ;;
    *) cat out.txt >&2; fail "the window check ended with $code" ;;
    esac
fi

# Menu entry, metadata and the tree they form validate.
desktop-file-validate "usr/share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "usr/share/metainfo/$id.metainfo.xml" >out.txt 2>&1 \
    || { cat out.txt >&2; fail "appstreamcli validate"; }
appstreamcli validate-tree --no-net "$root" >out.txt 2>&1 \
    || { cat out.txt >&2; fail "appstreamcli validate-tree"; }

# Manual pages: man formats them without a warning.
command -v man >/dev/null || { echo "installed tree checked (no man to format the pages)"; exit 0; }
for page in usr/share/man/man1/*.1.gz; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$page: $warnings"
done
echo "installed tree checked"
