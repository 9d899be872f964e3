#!/bin/sh
# A PostgreSQL 15 server for the tests, in a folder of its own, listening
# only on a Unix socket in that folder (no TCP port is taken):
#   test-server.sh start DIR   makes the cluster on first use, then starts it
#   test-server.sh stop DIR    stops it, cancelling what runs
#   test-server.sh crash DIR   stops it at once, as a power cut would
# Run as root, the server runs as the postgres user. Besides the superuser
# postgres (no password), the role shop logs in with the password
# "shop-secret" only, so that a wrong password can be tried.
set -eu
command=$1
dir=$2
bin=/usr/lib/postgresql/15/bin
port=${AUTOPARTS_TEST_PORT:-5432}

owner() {
    if [ "$(id -u)" -eq 0 ]; then
        runuser -u postgres -- "$@"
    else
        "$@"
    fi
}

case "$command" in
start)
    if [ ! -d "$dir/data" ]; then
        mkdir -p "$dir"
        [ "$(id -u)" -ne 0 ] || chown postgres "$dir"
        owner "$bin/initdb" -D "$dir/data" -U postgres -A trust -E UTF8 --locale=C.UTF-8 \
            --no-sync >"$dir/initdb.log"
        printf 'local all postgres trust\nlocal all all scram-sha-256\n' >"$dir/pg_hba.conf"
        [ "$(id -u)" -ne 0 ] || chown postgres "$dir/pg_hba.conf"
        owner cp "$dir/pg_hba.conf" "$dir/data/pg_hba.conf"
        fresh=1
    fi
    owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -s \
        -o "-k $dir -p $port -c listen_addresses= -c fsync=off -c full_page_writes=off -c max_connections=200" start
    if [ "${fresh:-0}" = 1 ]; then
        "$bin/psql" -q -h "$dir" -p "$port" -U postgres -d postgres \
            -c "CREATE ROLE shop LOGIN CREATEDB PASSWORD 'shop-secret'"
    fi
    ;;
stop)
    owner "$bin/pg_ctl" -D "$dir/data" -m fast -w -s stop
    ;;
crash)
    owner "$bin/pg_ctl" -D "$dir/data" -m immediate -w -s stop
    ;;
*)
    echo "usage: $0 start|stop|crash DIR" >&2
    exit 2
    ;;
esac
