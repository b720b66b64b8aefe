#!/usr/bin/env bash
# Checks that the includes between the folders of src/ only point down the layers, as
# docs/architecture.md draws them. From the bottom up:
#   0 base   1 os, crypto   2 text   3 net, settings   4 ui, update   5 app   6 main
# A file may include its own folder and the folders of lower layers; an include of its own
# layer's other folder or of a higher layer is an arrow up, and so is any include between
# folders that have no layer here. Prints every one and fails when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

grep -rnE --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"/]+/' src |
  awk -F: '
    BEGIN {
      split("base:0 os:1 crypto:1 text:2 net:3 settings:3 ui:4 update:4 app:5 main:6", pairs, " ")
      for (i in pairs) { split(pairs[i], p, ":"); rank[p[1]] = p[2] }
    }
    {
      split($1, from, "/")             # src/<folder>/...
      line = substr($0, length($1) + length($2) + 3)
      match(line, /"[^"\/]+\//)
      to = substr(line, RSTART + 1, RLENGTH - 2)
      if (from[2] == to) next
      if (!(from[2] in rank) || !(to in rank) || rank[to] >= rank[from[2]]) {
        printf "%s:%s: %s includes %s: an arrow up\n", $1, $2, from[2], to
        up++
      }
    }
    END {
      if (up) { printf "check-layers: %d include(s) against the layers\n", up; exit 1 }
    }'
echo "check-layers: every include between the folders of src/ points down"
