#!/bin/sh
# Installs the Debian packages that are missing, then builds into build/.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)

packages="cmake make g++ clang libclang-rt-14-dev pkg-config qt6-base-dev qt6-translations-l10n libsqlite3-dev libxlsxwriter-dev libminizip-dev libcsv-dev libpq-dev postgresql-15 fonts-liberation2 fonts-dejavu-core poppler-utils"
missing=""
for package in $packages; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done
if [ -n "$missing" ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends $missing
fi

cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$top/build" -j"$(nproc)"
