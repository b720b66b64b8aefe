#!/usr/bin/env bash
# larkspan-publish as the maker runs it: make writes a text, check reads it back and prints what
# it read with its control characters escaped, and both end with their exit statuses.
set -euo pipefail
cd "$(mktemp -d)" && trap 'rm -rf "$PWD"' EXIT
url=http://127.0.0.1:1/VantrelSetup.exe # nothing listens: the download gets no response
# Line breaks of every kind in the news file, Windows' CR LF among them: a marker for each, no
# CR or LF left, and none for the break that ends the last line.
printf 'Faster\r\n\r\n\033]0;pwned\007\302\233\n- one\r- two\r\n' >news.txt
"$1" make --edition 2026 --version 3.2 --build 0201000 --url $url --news news.txt -o update.txt
printf '2026#3.2#0201000#%s#Faster<Crlf><Crlf>\e]0;pwned\a\302\233<Crlf>- one<Crlf>- two' $url |
  cmp - update.txt >&2
status=0 && "$1" check update.txt --installed '3.1*0101000' >out.txt || status=$?
[ $status = 1 ] && ! grep -q $'[\e\a]' out.txt && grep -qxF '  \x1B]0;pwned\x07\x9B' out.txt &&
  grep -qx 'result: .*: the installer address gives no response (exit 1)' out.txt ||
  { echo "check ended with $status and printed:" && cat -v out.txt && exit 1; } >&2
for installed in 3.1 '3.1*0101000*x'; do # not VERSION*BUILD: refused before anything is read
  status=0 && "$1" check update.txt --installed "$installed" >out.txt 2>err.txt || status=$?
  [ $status = 2 ] && [ ! -s out.txt ] &&
    grep -qxF 'larkspan-publish: --installed takes VERSION*BUILD, such as 3.1*0101000' err.txt ||
    { echo "--installed $installed ended with $status:" && cat out.txt err.txt && exit 1; } >&2
done
