# Real servers for the tests, from Debian's packages: nginx serving a site from a folder of the
# run (nginx.conf, with the redirections of locations.conf and an https server whose authority
# is made for the run), and squid as an http proxy, open or asking for a password (squid.conf).
# Every file is in the run's folder $SERVERS, every port picked free; the system's own servers
# and their configuration are never touched. A missing package fails the test.
#
# Sourced (by the end-to-end tests), it gives the functions below; their process ids go into
# `pids`, and the caller stops them and removes $SERVERS. Run as a program,
#   servers.sh COMMAND [ARGUMENTS...]
# it runs the command while nginx serves the empty folder LARKSPAN_SITE on the ports
# LARKSPAN_HTTP_PORT and LARKSPAN_HTTPS_PORT, whose authority is in LARKSPAN_TLS_DIR
# (authority.pem, authority.der).
# shellcheck shell=bash

SERVERS_HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
SERVERS=$(mktemp -d /tmp/larkspan-servers.XXXXXX)
chmod 755 "$SERVERS" # squid's user passes through to its own folder
mkdir "$SERVERS/www" "$SERVERS/nginx-temp"

# Prints $1 ports that are free now, all different.
free_ports() {
  python3 -c 'import socket, sys
s = [socket.socket() for _ in range(int(sys.argv[1]))]
for x in s: x.bind(("127.0.0.1", 0))
print(*[x.getsockname()[1] for x in s])' "$1"
}

# Writes template $1 to $2 with each @NAME@ replaced as the arguments NAME=VALUE say.
fill() {
  local template=$1 out=$2 edits=() pair
  shift 2
  for pair; do edits+=(-e "s|@${pair%%=*}@|${pair#*=}|g"); done
  sed "${edits[@]}" "$template" >"$out"
}

# True once file $1 holds $2 (or anything, without $2), false when process $3 ends first or
# after 30 s.
server_ready() {
  for _ in {1..300}; do
    if [ -z "${2:-}" ]; then [ -s "$1" ] && return 0; else grep -qs "$2" "$1" && return 0; fi
    kill -0 "$3" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# The run's authority and a certificate that it signed for 127.0.0.1, in $SERVERS.
make_certificates() {
  local key="-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 1" log=$SERVERS/openssl.log
  # shellcheck disable=SC2086
  openssl req -x509 $key -keyout "$SERVERS/authority.key" -out "$SERVERS/authority.pem" \
    -subj /CN=Larkspan-test-authority >"$log" 2>&1 &&
    openssl req -x509 $key -keyout "$SERVERS/server.key" -out "$SERVERS/server.pem" \
      -CA "$SERVERS/authority.pem" -CAkey "$SERVERS/authority.key" -subj /CN=127.0.0.1 \
      -addext basicConstraints=CA:FALSE -addext subjectAltName=IP:127.0.0.1,DNS:127.0.0.1 \
      >>"$log" 2>&1 &&
    openssl x509 -in "$SERVERS/authority.pem" -outform DER -out "$SERVERS/authority.der" ||
    { cat "$log" >&2 && return 1; }
}

# Starts nginx serving $SERVERS/www on NGINX_PORT (http) and NGINX_TLS_PORT (https); given a
# port, it serves the site there too (the build's deployment port, which the program probes).
start_nginx() {
  make_certificates || return 1
  local ports site_listen=${1:+"listen 127.0.0.1:$1;"}
  for _ in 1 2 3; do # a port picked may be taken before nginx gets it
    ports=$(free_ports 2) && NGINX_PORT=${ports% *} NGINX_TLS_PORT=${ports#* }
    fill "$SERVERS_HERE/nginx.conf" "$SERVERS/nginx.conf" DIR="$SERVERS" HERE="$SERVERS_HERE" \
      USER="$(id -un)" HTTP_PORT="$NGINX_PORT" HTTPS_PORT="$NGINX_TLS_PORT" \
      SITE_LISTEN="$site_listen"
    /usr/sbin/nginx -p "$SERVERS" -c "$SERVERS/nginx.conf" -e "$SERVERS/nginx-error.log" &
    if server_ready "$SERVERS/nginx.pid" "" $!; then pids+=($!) && return 0; fi
  done
  echo "nginx did not start:" >&2 && cat "$SERVERS/nginx-error.log" >&2 && return 1
}

# Starts squid as an http proxy on SQUID_PORT, with its files in SQUID_DIR; given USER:PASSWORD,
# only that user gets through.
start_squid() {
  local auth="# " port dir
  port=$(free_ports 1) && dir=$SERVERS/squid-$port && mkdir "$dir"
  if [ -n "${1:-}" ]; then
    auth="" && printf '%s:%s\n' "${1%%:*}" "$(openssl passwd -apr1 "${1#*:}")" >"$dir/passwords"
  fi
  fill "$SERVERS_HERE/squid.conf" "$dir/squid.conf" DIR="$dir" PORT="$port" AUTH="$auth"
  if [ "$(id -u)" = 0 ]; then chown -R proxy "$dir"; fi
  # Its shared memory is named after the service: one name for each instance.
  /usr/sbin/squid -N -n "larkspan${SERVERS##*.}$port" -f "$dir/squid.conf" >"$dir/squid.out" 2>&1 &
  pids+=($!)
  server_ready "$dir/cache.log" "Accepting HTTP Socket connections" $! ||
    { echo "squid did not start:" >&2 && cat "$dir/squid.out" "$dir/cache.log" >&2 && return 1; }
  SQUID_PORT=$port SQUID_DIR=$dir
}

# Serves file $1 as the installer at path $2 of the site, and the update information of a newer
# release that names it at path $3.
serve_release() {
  mkdir -p "$(dirname "$SERVERS/www/$2")" "$(dirname "$SERVERS/www/$3")"
  cp "$1" "$SERVERS/www/$2"
  printf '2026#3.2#0201000#http://127.0.0.1:%s/%s#Vantrel 2026, served by nginx.' \
    "$NGINX_PORT" "$2" >"$SERVERS/www/$3"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -euo pipefail
  pids=()
  trap 'kill "${pids[@]}" 2>/dev/null; wait; rm -rf "$SERVERS"' EXIT
  start_nginx
  export LARKSPAN_SITE=$SERVERS/www LARKSPAN_HTTP_PORT=$NGINX_PORT \
    LARKSPAN_HTTPS_PORT=$NGINX_TLS_PORT LARKSPAN_TLS_DIR=$SERVERS no_proxy=127.0.0.1
  "$@"
fi
