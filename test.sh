#!/bin/sh
# Set-up, then the whole test suite, headless.
set -eu
top=$(cd "$(dirname "$0")" && pwd)
sh "$top/scripts/setup.sh"
cd "$top/build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
