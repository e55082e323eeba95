#!/usr/bin/env bash
# Regenerates platform/gbk_table.cpp from the C library's iconv (code page 936).
# The output is committed so that both desktops convert without iconv at run time.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
g++ -std=c++20 -O1 -Wall -Wextra "$here/make_table.cpp" -o "$tmp/make_table"
"$tmp/make_table" "${1:-CP936}" >"$tmp/gbk_table.cpp"
mv "$tmp/gbk_table.cpp" "$root/platform/gbk_table.cpp"
echo "wrote $root/platform/gbk_table.cpp"
