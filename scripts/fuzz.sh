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
run_target() {
    name=$1
    cp -r "$top/fuzz/corpus/$name" "$work/$name"
    # A photo may legitimately take 256 MB; nothing may ask for more.
    # TMPDIR: the Jet target writes each input to a file of its own there.
    TMPDIR="$work" "$build/fuzz/${name}_fuzzer" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -malloc_limit_mb=300 -print_final_stats=1 \
        -artifact_prefix="$build/$name-" "$work/$name" >"$work/$name.log" 2>&1
}
report() {
    name=$1
    status=$2
    if [ "$status" -ne 0 ]; then
        tail -n 60 "$work/$name.log"
        echo "fuzz target $name failed; the input is in $build/"
        exit 1
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$name.log")
    echo "fuzz target $name: $runs executions in $seconds s, no failure"
}
# The targets run side by side, as many at a time as there are cores: each
# still has a core of its own for its whole time (-max_total_time counts wall
# time), and the run ends sooner. A group is waited for whole before its
# results are told, so that no target outlives the run.
cores=$(nproc)
set -- filter photo pagefile csv jet
while [ $# -gt 0 ]; do
    group=""
    while [ $# -gt 0 ] && [ "$(echo $group | wc -w)" -lt "$cores" ]; do
        run_target "$1" &
        eval "pid_$1=\$!"
        group="$group $1"
        shift
    done
    for name in $group; do
        status=0
        eval "wait \$pid_$name" || status=$?
        eval "status_$name=$status"
    done
    for name in $group; do
        eval "report $name \$status_$name"
    done
done
