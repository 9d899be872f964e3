#!/bin/sh
# Set-up of what the program needs (not the tests), a demo catalogue db.mdb in
# the current folder if there is none, then the program.
set -eu
top=$(cd "$(dirname "$0")" && pwd)
sh "$top/scripts/setup.sh" program
[ -e db.mdb ] || "$top/build/tools/autoparts-newdb" --demo db.mdb
exec "$top/build/autoparts"
