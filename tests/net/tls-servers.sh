#!/bin/sh
# Runs the HTTPS test (the arguments: the test, after Wine's runner for the Windows build) with
# three TLS servers on 127.0.0.1, made for the run with openssl: an authority, one server whose
# certificate it signed for 127.0.0.1 (its port in LARKSPAN_TLS_TRUSTED), a self-signed one
# (LARKSPAN_TLS_SELF_SIGNED) and one that the authority signed for another host
# (LARKSPAN_TLS_OTHER_HOST). They answer with the files in LARKSPAN_TLS_DIR, each a whole
# response, where the authority is too (authority.pem, authority.der). Anything missing fails.
set -eu
dir=$(mktemp -d /tmp/larkspan-tls.XXXXXX)
pids=""
trap 'for p in $pids; do kill "$p"; done; rm -rf "$dir"' EXIT
cd "$dir"
cert() {
  openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 1 \
    -keyout "$1.key" -out "$1.pem" $2 >"$1.made" 2>&1 || { cat "$1.made" >&2; exit 1; }
}
signed="-CA authority.pem -CAkey authority.key -addext basicConstraints=CA:FALSE"
# Wine's WinINet compares the host with the DNS names only.
this_host="-subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1,DNS:127.0.0.1"
cert authority "-subj /CN=Larkspan-test-authority"
openssl x509 -in authority.pem -outform DER -out authority.der
cert trusted "$this_host $signed"
cert self-signed "$this_host"
cert other-host "-subj /CN=x.invalid -addext subjectAltName=DNS:x.invalid $signed"
for name in trusted self-signed other-host; do
  openssl s_server -accept 127.0.0.1:0 -cert "$name.pem" -key "$name.key" -HTTP >"$name.log" 2>&1 &
  pids="$pids $!"
  until port=$(sed -n 's/^ACCEPT .*:\([0-9]*\)$/\1/p' "$name.log") && [ -n "$port" ]; do
    kill -0 "$!" || { cat "$name.log" >&2; exit 1; }
    sleep 0.05
  done
  export "LARKSPAN_TLS_$(echo "$name" | tr a-z- A-Z_)=$port"
done
export LARKSPAN_TLS_DIR="$dir"
"$@" || { status=$? && echo "tls-servers.sh: the test ended with status $status" >&2 && exit $status; }
