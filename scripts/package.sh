#!/bin/sh
# Builds the Debian package build/autoparts_<version>_<arch>.deb: the program,
# its tools, the menu entry, the icon, the manual pages and the user guide,
# whose pictures the guide's test takes from the real windows first.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build"
[ -f "$build/CMakeCache.txt" ] || cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j"$(nproc)" --target autoparts autoparts-newdb autoparts-launcher \
    tst_guide autoparts_compressed_docs
(cd "$build" && LC_ALL=ru_RU.UTF-8 LANG=ru_RU.UTF-8 QT_QPA_PLATFORM=offscreen \
    ./tests/docs/tst_guide >/dev/null)
rm -f "$build"/autoparts_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/autoparts_*.deb
