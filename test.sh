#!/usr/bin/env bash
# Set-up, build and the whole test suite. --asan builds with AddressSanitizer and UBSan.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/ensure-deps.sh

build=build
flags=(-DCMAKE_BUILD_TYPE=Release)
if [ "${1:-}" = "--asan" ]; then
  build=build-asan
  flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLON_SANITIZE=ON -DQUILLON_BUILD_BENCH=OFF)
  export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi

cmake -S . -B "$build" "${flags[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
