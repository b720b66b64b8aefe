# The deployment port of the build under test, for the end-to-end tests of both builds: the demo
# server stands where the build's addresses point, so the maker's and the product's sites must
# both be on this machine, on one port. A build for a real site skips these tests. Sets PORT,
# INFO_URL and SHOTS.
# shellcheck shell=bash disable=SC2034
site_port() {
  sed -n "s#.*$1\[\] = \"http://\(127\.0\.0\.1\|localhost\):\([0-9]*\)/\";#\2#p" \
    "${LARKSPAN_BINARY_DIR:?set by CTest}/generated/Deployment.h"
}
PORT=$(site_port kCompanyUrl)
if [ -z "$PORT" ] || [ "$PORT" != "$(site_port kProductUrl)" ]; then
  echo "e2e: skipped: the build's deployment addresses are not one port on this machine"
  exit 77
fi
INFO_URL="http://127.0.0.1:$PORT/vantrel/update.txt"
SHOTS="$LARKSPAN_BINARY_DIR/e2e-shots"
