#!/usr/bin/env bash
# larkspan-publish as the maker runs it: make writes a text, check reads it back and prints what
# it read with its control characters escaped, and both end with their exit statuses.
set -euo pipefail
cd "$(mktemp -d)" && trap 'rm -rf "$PWD"' EXIT
url=http://127.0.0.1:1/VantrelSetup.exe # nothing listens: the download gets no response
printf 'Faster\n\033]0;pwned\007\302\233\n' >news.txt
"$1" make --edition 2026 --version 3.2 --build 0201000 --url $url --news news.txt -o update.txt
status=0 && "$1" check update.txt --installed '3.1*0101000' >out.txt || status=$?
[ $status = 1 ] && ! grep -q $'[\e\a]' out.txt && grep -qxF '  \x1B]0;pwned\x07\x9B' out.txt &&
  grep -qx 'result: .*: the installer address gives no response (exit 1)' out.txt ||
  { echo "check ended with $status and printed:" && cat -v out.txt && exit 1; } >&2
