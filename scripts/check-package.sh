#!/bin/sh
# Checks the package that scripts/package.sh built: its control data, that it
# holds the files a desktop install needs, and, where Debian's checkers are
# installed, that lintian finds no error and the AppStream data validates.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
deb=$(ls "$top"/build/autoparts_*.deb)
info=$(dpkg-deb --info "$deb")
contents=$(dpkg-deb --contents "$deb")
fail() { echo "check-package: $*" >&2; exit 1; }

echo "$info" | grep -q "Package: autoparts" || fail "no package name"
# The libraries' packages, as dpkg-shlibdeps found them, and ours.
for dependency in libqt6widgets6 libsqlite3-0 libpq5 libxlsxwriter libmdb3 libzint2.11 qt6-qpa-plugins; do
    echo "$info" | grep "Depends:" | grep -q "$dependency" || fail "does not depend on $dependency"
done
for file in ./usr/bin/autoparts ./usr/bin/autoparts-newdb ./usr/lib/autoparts/autoparts \
    ./usr/lib/autoparts/autoparts-launcher ./usr/lib/autoparts/DOCS/index.html \
    ./usr/lib/autoparts/DOCS/images/main.png \
    ./usr/share/applications/ru.autoparts.Autoparts.desktop \
    ./usr/share/metainfo/ru.autoparts.Autoparts.metainfo.xml \
    ./usr/share/icons/hicolor/scalable/apps/autoparts.svg \
    ./usr/share/icons/hicolor/48x48/apps/autoparts.png \
    ./usr/share/icons/hicolor/256x256/apps/autoparts.png \
    ./usr/share/man/man1/autoparts.1.gz ./usr/share/man/man1/autoparts-newdb.1.gz \
    ./usr/share/doc/autoparts/copyright ./usr/share/doc/autoparts/changelog.gz \
    ./usr/share/doc/autoparts/README.Debian; do
    echo "$contents" | grep -q " $file\( \|$\)" || fail "no $file in the package"
done
echo "$contents" | grep " ./usr/bin/autoparts -> ../lib/autoparts/autoparts" >/dev/null ||
    fail "/usr/bin/autoparts is not the link to the program"

if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$top/packaging/ru.autoparts.Autoparts.desktop"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$top/packaging/ru.autoparts.Autoparts.metainfo.xml" >/dev/null
fi
if command -v lintian >/dev/null; then
    lintian --fail-on error "$deb"
fi
echo "check-package: $(basename "$deb") is sound"
