#!/usr/bin/env bash
# Checks that every C++ file of the repository is written as its .clang-format writes it, and
# prints the places that are not. `clang-format -i FILE` mends a file; a table that reads better
# as written keeps `// clang-format off` and `// clang-format on` around it.
set -euo pipefail
cd "$(dirname "$0")/.."
find src tools tests bench \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z |
  xargs -0 clang-format --dry-run -Werror
echo "check-format: every C++ file as .clang-format writes it"
