#!/usr/bin/env bash
# Runs every test: installs what is missing, builds the Windows executable and the
# native tests, then lets ctest run them all (the Wine-hosted ones included). The
# last lines are ctest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install_deps.sh native windows wine tools

echo "== Windows build"
cmake --preset windows >build-windows-configure.log 2>&1 || { cat build-windows-configure.log; exit 1; }
rm -f build-windows-configure.log
cmake --build --preset windows 2>&1 | grep -E "error|warning|Error" || true
test -f build/windows/desk_widget.exe
file build/windows/desk_widget.exe

echo "== Native build"
cmake --preset native >/dev/null
cmake --build --preset native 2>&1 | grep -E "error|warning|Error" || true

echo "== Tests"
ctest --preset native -j2 --timeout 900
