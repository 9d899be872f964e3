#!/bin/sh
# Builds the fuzz targets with clang into build-fuzz/ and runs each for a
# bounded time (FUZZ_SECONDS, 20 by default) on a copy of its seed corpus,
# under AddressSanitizer and UBSan. A crash, a hang (-timeout) or an
# allocation past the limits fails the run; the input that did it is kept
# in build-fuzz/.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${FUZZ_SECONDS:-20}
build="$top/build-fuzz"

# Optimised lightly, with line tables only: as fast to fuzz, quicker to build,
# and a failure's stack still names the lines.
cmake -S "$top" -B "$build" -DAUTOPARTS_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG"
cmake --build "$build" -j"$(nproc)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for name in filter photo pagefile csv jet; do
    cp -r "$top/fuzz/corpus/$name" "$work/$name"
    # A photo may legitimately take 256 MB; nothing may ask for more.
    # TMPDIR: the Jet target writes each input to a file of its own there.
    if ! TMPDIR="$work" "$build/fuzz/${name}_fuzzer" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -malloc_limit_mb=300 -print_final_stats=1 \
        -artifact_prefix="$build/$name-" "$work/$name" >"$work/$name.log" 2>&1; then
        tail -n 60 "$work/$name.log"
        echo "fuzz target $name failed; the input is in $build/"
        exit 1
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$name.log")
    echo "fuzz target $name: $runs executions in $seconds s, no failure"
done
