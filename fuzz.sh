#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer (AddressSanitizer and UBSan on) and runs each one
# for SECONDS (default 60): all of them, or only the TARGETs named after SECONDS. Crashing inputs land
# in fuzz-out/<target>/; copy each one into tests/fuzz/regressions/<Target>/ once fixed, so the normal
# test run replays it.
set -euo pipefail
cd "$(dirname "$0")"
seconds=${1:-60}
shift || true
bash scripts/ensure-deps.sh

sanitizers="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined"
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS="$sanitizers" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DQUILLON_FUZZ=ON -DQUILLON_BUILD_TESTS=OFF -DQUILLON_BUILD_BENCH=OFF >/dev/null
targets=${*:-$(cd tests/fuzz/targets && ls *Fuzz.cpp | sed 's/Fuzz\.cpp$//')}
for name in $targets; do
  [ -f "tests/fuzz/targets/${name}Fuzz.cpp" ] || { echo "no fuzz target named $name" >&2; exit 64; }
done
cmake --build build-fuzz -j"$(nproc)" --target $(printf 'fuzz_%s ' $targets)

export ASAN_OPTIONS=detect_leaks=0:allocator_may_return_null=1
printf '%-20s %12s %8s %8s\n' target executions seconds crashes
status=0
for name in $targets; do
  program=build-fuzz/tests/fuzz/fuzz_$name
  work=build-fuzz/corpus/$name
  out=fuzz-out/$name
  mkdir -p "$work" "$out"
  # The seeds and every input that once crashed start the corpus.
  seeds=""
  for kept in tests/fuzz/seeds/$name tests/fuzz/regressions/$name; do
    [ -d "$kept" ] && seeds="$seeds $kept"
  done
  log=$out/fuzz.log
  start=$(date +%s)
  if "$program" -max_total_time="$seconds" -print_final_stats=1 -rss_limit_mb=4096 -timeout=20 \
       -artifact_prefix="$out/" "$work" $seeds >"$log" 2>&1; then crashed=0; else crashed=1; status=1; fi
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
  printf '%-20s %12s %8s %8s\n' "$name" "$runs" "$(( $(date +%s) - start ))" "$(ls "$out" | grep -c -E '^(crash|timeout|oom|leak)-' || true)"
  [ $crashed -eq 0 ] || echo "  see $log"
done
exit $status
