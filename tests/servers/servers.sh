# Real servers for the tests, from Debian's packages: nginx serving a site from a folder of the
# run (nginx.conf, with the redirections of locations.conf and https servers whose authority is
# made for the run), and squid as an http proxy, open or asking for a password (squid.conf).
# Every file is in the run's folder $SERVERS, every port picked free; the system's own servers
# and their configuration are never touched. A missing package fails the test.
#
# Sourced (by the end-to-end tests), it gives the functions below; their process ids go into
# `pids`, and the caller stops them and removes $SERVERS. Run as a program,
#   servers.sh COMMAND [ARGUMENTS...]
# it runs the command while nginx serves the empty folder www in the folder LARKSPAN_SERVERS,
# which holds the authority too (authority.pem, authority.der) and the file "addresses" with
# those of nginx's servers: http, https, https self-signed, https for another host.
# shellcheck shell=bash disable=SC2034,SC2054,SC2086,SC2119,SC2120

SERVERS_HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
SERVERS=$(mktemp -d /tmp/larkspan-servers.XXXXXX)
chmod 755 "$SERVERS" # squid's user passes through to its own folder
mkdir "$SERVERS/www" "$SERVERS/nginx-temp"

# Prints $1 ports that are free now, all different.
free_ports() {
  python3 -c 'import socket, sys; s = [socket.socket() for _ in range(int(sys.argv[1]))]
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

# True once file $1 holds the text $2, false when process $3 ends first or after 30 s.
server_ready() {
  for _ in {1..300}; do
    grep -qs "$2" "$1" && return 0
    kill -0 "$3" 2>/dev/null && sleep 0.1 || return 1
  done
  return 1
}

# Certificate $1.pem (key $1.key) in $SERVERS, with openssl's further arguments.
certificate() {
  openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 1 \
    -keyout "$SERVERS/$1.key" -out "$SERVERS/$1.pem" "${@:2}" >>"$SERVERS/openssl.log" 2>&1 ||
    { cat "$SERVERS/openssl.log" >&2 && return 1; }
}

# The run's authority, a certificate that it signed for 127.0.0.1 (trusted), a self-signed one
# and one that it signed for another host. (Wine's WinINet compares the host with DNS names only.)
make_certificates() {
  local signed=(-CA "$SERVERS/authority.pem" -CAkey "$SERVERS/authority.key"
    -addext basicConstraints=CA:FALSE)
  local here=(-subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1,DNS:127.0.0.1)
  certificate authority -subj /CN=Larkspan-test-authority &&
    openssl x509 -in "$SERVERS/authority.pem" -outform DER -out "$SERVERS/authority.der" &&
    certificate trusted "${here[@]}" "${signed[@]}" && certificate self-signed "${here[@]}" &&
    certificate other-host -subj /CN=x.invalid -addext subjectAltName=DNS:x.invalid "${signed[@]}"
}

# Starts nginx serving $SERVERS/www on the ports NGINX_PORTS (http, https, https self-signed,
# https for another host) and NGINX_PORT (the first); given a port, it serves the site there too
# (the build's deployment port, which the program probes).
start_nginx() {
  make_certificates || return 1
  local p
  for _ in 1 2 3; do # a port picked may be taken before nginx gets it
    NGINX_PORTS=$(free_ports 4) && read -ra p <<<"$NGINX_PORTS" && NGINX_PORT=${p[0]}
    fill "$SERVERS_HERE/nginx.conf" "$SERVERS/nginx.conf" DIR="$SERVERS" HERE="$SERVERS_HERE" \
      USER="$(id -un)" SITE_LISTEN="${1:+listen 127.0.0.1:$1;}" HTTP_PORT="${p[0]}" \
      HTTPS_PORT="${p[1]}" SELF_SIGNED_PORT="${p[2]}" OTHER_HOST_PORT="${p[3]}"
    /usr/sbin/nginx -p "$SERVERS" -c "$SERVERS/nginx.conf" -e "$SERVERS/nginx-error.log" &
    if server_ready "$SERVERS/nginx.pid" "[0-9]" $!; then pids+=($!) && return 0; fi
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
  trap 'kill "${pids[@]}" 2>/dev/null || true; wait; rm -rf "$SERVERS"' EXIT
  start_nginx
  printf 'http://127.0.0.1:%s/ https://127.0.0.1:%s/ https://127.0.0.1:%s/ https://127.0.0.1:%s/' \
    $NGINX_PORTS >"$SERVERS/addresses"
  LARKSPAN_SERVERS=$SERVERS no_proxy=127.0.0.1 "$@"
fi
