#!/bin/sh
# Installs the Debian packages that are missing, then builds into build/.
#   setup.sh program   what the program and its tools need; builds only them
#   setup.sh all       also what the tests need (compilers for the fuzz targets,
#                      a PostgreSQL server, the package checkers); builds all
# A second run checks the packages with one query and builds only what changed.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
mode=${1:-all}

packages="cmake make g++ pkg-config qt6-base-dev qt6-translations-l10n libsqlite3-dev libxlsxwriter-dev libminizip-dev libcsv-dev libpq-dev mdbtools-dev libzint-dev fonts-liberation2 fonts-dejavu-core"
if [ "$mode" = all ]; then
    packages="$packages mdbtools sqlite3 zbar-tools clang libclang-rt-14-dev postgresql-15 poppler-utils lld dpkg-dev lintian desktop-file-utils appstream"
fi
installed=$(dpkg-query -W -f='${Package} ${Status}\n' $packages 2>/dev/null | grep " install ok installed$" | cut -d' ' -f1 || true)
missing=""
for package in $packages; do
    echo "$installed" | grep -qx "$package" || missing="$missing $package"
done
if [ -n "$missing" ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends $missing
fi

# cmake --build configures again by itself when a CMakeLists.txt changed.
[ -f "$top/build/CMakeCache.txt" ] || cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
if [ "$mode" = all ]; then
    cmake --build "$top/build" -j"$(nproc)"
else
    cmake --build "$top/build" -j"$(nproc)" --target autoparts autoparts-newdb autoparts-launcher
fi
