#!/usr/bin/env bash
# larkspan-publish as the maker runs it: make writes a text that check then reads; the exit
# statuses of a refusal and of a command line that cannot be used; and what check prints of the
# text comes out with its control characters escaped, on a terminal as anywhere.
set -euo pipefail
publish=${1:?the larkspan-publish program}
work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT && cd "$work"
fail() { echo "publish_program: $*" >&2 && exit 1; }
status() { "$publish" "$@" >out.txt 2>err.txt && echo 0 || echo $?; }

url=http://127.0.0.1:1/VantrelSetup.exe # nothing listens: the download gets no response
printf 'Faster\n\033]0;pwned\007\n' >news.txt
make=(make --edition 2026 --build 0201000 --url "$url" --news news.txt)
[ "$(status "${make[@]}" --version 3.2 -o update.txt)" = 0 ] || fail "make: $(<err.txt)"
[ "$(<update.txt)" = "2026#3.2#0201000#$url#Faster<Crlf>"$'\e]0;pwned\a' ] ||
  fail "make wrote $(cat -v update.txt)"
[ "$(status "${make[@]}" --version 3.10)" = 1 ] && [ ! -s out.txt ] &&
  grep -qx 'larkspan-publish: the version "3.10" is shown and compared as 3.1; .*' err.txt ||
  fail "make of version 3.10: $(cat out.txt err.txt)"
[ "$(status check update.txt --installed 3.1)" = 2 ] || fail "check took --installed 3.1"

[ "$(status check update.txt --installed '3.1*0101000')" = 1 ] || fail "check: $(<err.txt)"
! grep -q $'[\e\a]' out.txt || fail "check printed a control character: $(cat -v out.txt)"
grep -qxF '  \x1B]0;pwned\x07' out.txt &&
  grep -qx 'result: .*: the installer address gives no response (exit 1)' out.txt ||
  fail "check printed: $(<out.txt)"
