#!/bin/sh
# Set-up, then the whole test suite, headless; then the suite again under
# AddressSanitizer and UBSan, and each fuzz target for 30 s.
set -eu
top=$(cd "$(dirname "$0")" && pwd)
sh "$top/scripts/setup.sh"
cd "$top/build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
sh "$top/scripts/sanitized.sh"
sh "$top/scripts/fuzz.sh"
