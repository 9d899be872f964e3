#!/bin/sh
# Set-up, then the whole test suite, headless, and the Debian package built and
# checked; then the suite again under AddressSanitizer and UBSan, and each fuzz
# target for 20 s. The tests of the server store run against a PostgreSQL
# server of their own, started in a temporary folder and stopped at the end,
# whatever the outcome.
set -eu
top=$(cd "$(dirname "$0")" && pwd)
sh "$top/scripts/setup.sh" all

server=$(mktemp -d /tmp/autoparts-pg.XXXXXX)
stop_server() {
    sh "$top/scripts/test-server.sh" stop "$server" >/dev/null 2>&1 || true
    rm -rf "$server"
}
trap stop_server EXIT
trap 'exit 1' INT TERM
sh "$top/scripts/test-server.sh" start "$server"
export AUTOPARTS_TEST_SERVER="host=$server user=postgres dbname=postgres"
export AUTOPARTS_TEST_SERVER_CONTROL="$top/scripts/test-server.sh"


cd "$top/build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
# The Debian package, its guide's pictures taken from the windows just tested.
sh "$top/scripts/package.sh"
sh "$top/scripts/check-package.sh"
sh "$top/scripts/sanitized.sh"
sh "$top/scripts/fuzz.sh"
