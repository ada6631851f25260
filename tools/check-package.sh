#!/usr/bin/env bash
# Builds the Debian package from a built tree (default ./build), checks its
# menu entry, AppStream file, icons and manual page, installs it with dpkg and
# runs the installed program: --version, --help without a display, and the
# template list of a new database.
#
# As root the package is installed into this machine with dpkg and removed
# again afterwards when it was not installed before; otherwise it is only
# unpacked into a temporary folder and run from there. Exits 77 (skipped)
# where there is no dpkg.
set -u
src=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$src/build}" && pwd)
app_id=com.example.billprint
fail=0
note() { echo "check-package: $*"; }
bad() { echo "FAIL: $*"; fail=1; }

command -v dpkg-deb >/dev/null || { note "no dpkg here: the package is not checked"; exit 77; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

if ! (cd "$build" && cpack -G DEB -B "$tmp/pkg") >"$tmp/cpack.log" 2>&1; then
    cat "$tmp/cpack.log"
    bad "cpack could not build the package"
    exit 1
fi
deb=$(ls "$tmp"/pkg/billprint_*.deb 2>/dev/null | head -n1)
[ -n "$deb" ] || { cat "$tmp/cpack.log"; bad "no billprint_*.deb was built"; exit 1; }
note "built $(basename "$deb")"

# Dependencies: the libraries' packages computed, the plugins named.
depends=$(dpkg-deb -f "$deb" Depends)
for p in libqt6core6 libqt6widgets6 libqt6sql6 libqt6printsupport6 libc6 qt6-qpa-plugins libqt6sql6-sqlite qt6-translations-l10n \
         libquazip1-qt6-1 libfreexl1 libxlsxwriter4; do
    echo "$depends" | grep -q "\b$p\b" || bad "Depends lacks $p: $depends"
done

dpkg-deb -x "$deb" "$tmp/root"
usr="$tmp/root/usr"
for f in bin/billprint share/billprint/default.sql share/billprint/help/index.html \
         share/applications/$app_id.desktop share/metainfo/$app_id.metainfo.xml \
         share/man/man1/billprint.1.gz share/icons/hicolor/scalable/apps/billprint.svg; do
    [ -e "$usr/$f" ] || bad "the package lacks /usr/$f"
done
for s in 16 22 24 32 48 64 128 256; do
    png="$usr/share/icons/hicolor/${s}x${s}/apps/billprint.png"
    [ -f "$png" ] || { bad "no ${s}x${s} icon"; continue; }
    python3 - "$png" "$s" <<'PY' || bad "the ${s}x${s} icon has another size"
import struct, sys
with open(sys.argv[1], 'rb') as f:
    head = f.read(24)
w, h = struct.unpack('>II', head[16:24])
sys.exit(0 if w == h == int(sys.argv[2]) else 1)
PY
done
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$usr/share/applications/$app_id.desktop" || bad "desktop-file-validate"
else
    bad "desktop-file-validate is missing (desktop-file-utils)"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$usr/share/metainfo/$app_id.metainfo.xml" || bad "appstreamcli validate"
else
    bad "appstreamcli is missing (appstream)"
fi
if command -v man >/dev/null; then
    out=$(LC_ALL=C.UTF-8 man --warnings -l "$usr/share/man/man1/billprint.1.gz" 2>&1 >/dev/null)
    [ -z "$out" ] || bad "the manual page has warnings: $out"
fi

# Install it, or unpack it where dpkg cannot install.
prefix="$usr"
installed_before=0
if [ "$(id -u)" -eq 0 ]; then
    dpkg-query -W -f='${Status}' billprint 2>/dev/null | grep -q 'install ok installed' && installed_before=1
    # Another worktree's test may install it at the same time.
    exec 9>/tmp/billprint-package.lock
    flock 9
    if dpkg -i "$deb" >"$tmp/dpkg.log" 2>&1; then
        prefix=/usr
        note "installed with dpkg"
    else
        cat "$tmp/dpkg.log"
        bad "dpkg -i failed"
    fi
else
    note "not root: running the program unpacked from the package"
fi

exe="$prefix/bin/billprint"
[ "$prefix" = /usr ] && [ "$(command -v billprint)" != /usr/bin/billprint ] && bad "billprint is not on the PATH"
home="$tmp/home"
mkdir -p "$home"
run() { env -u DISPLAY -u WAYLAND_DISPLAY HOME="$home" XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" \
            QT_QPA_PLATFORM= "$exe" "$@"; }
version=$(run --version 2>"$tmp/err") || bad "installed billprint --version exited $?: $(cat "$tmp/err")"
[[ "$version" =~ ^billprint\ [0-9]+\.[0-9]+ ]] || bad "--version printed \"$version\""
run --help >"$tmp/help" 2>"$tmp/err" || bad "installed billprint --help exited $?: $(cat "$tmp/err")"
grep -q "billprint templates" "$tmp/help" || bad "--help does not show the commands"
list=$(run templates --db "$tmp/db/BillDB.db" 2>"$tmp/err") || bad "installed billprint templates exited $?: $(cat "$tmp/err")"
echo "$list" | grep -qx '通用票据/通用凭证' || bad "installed billprint templates listed: $list"
[ -f "$tmp/db/BillDB.db" ] || bad "the installed program did not create the database"

if [ "$prefix" = /usr ] && [ $installed_before = 0 ]; then
    dpkg -r billprint >/dev/null 2>&1 || bad "dpkg -r billprint failed"
fi
[ $fail = 0 ] && note "all checks passed"
exit $fail
