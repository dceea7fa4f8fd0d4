#!/usr/bin/env bash
# Set-up, build, and Quillon opened on the bundled sample project.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/ensure-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)"

sample=examples/sample/SampleApp.map
if [ -x build/src/app/quillon ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  exec build/src/app/quillon "$sample" --search-dir examples/sample --go "$@"
fi
[ -x build/src/app/quillon ] && echo "No display: showing the command-line report instead." >&2
exec build/src/cli/quillon-cli report "$sample" --search-dir examples/sample "$@"
