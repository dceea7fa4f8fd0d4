#!/usr/bin/env bash
# The HTML report at scale, on a synthetic MAP file (3,000 units, 1.5 million symbols by default):
#  - writing it, against --format json --symbols (the page embeds exactly that report) and against
#    the physical floor of reading the MAP file once and counting its lines;
#  - opening it in headless Chromium with a search in the address (#search=TEXT): the wall time of
#    the whole browser run and the page's own figures (ready after, reading the data, the search).
# usage: bench/html_report_bench.sh [BUILD_DIR [UNITS SYMBOLS [SEARCH]]]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
units=${2:-3000}
symbols=${3:-1500000}
search=${4:-tkey}
runs=3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$build/bench/quillon-mapgen" "$work/big.map" "$units" "$symbols"
cli="$build/src/cli/quillon-cli"

# Best wall time of $runs runs of a command, in seconds.
best() {
  local best_time=
  for _ in $(seq $runs); do
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s.%N)
    best_time=$(awk -v a="$start" -v b="$end" -v c="${best_time:-1e9}" 'BEGIN { t = b - a; print (t < c ? t : c) }')
  done
  echo "$best_time"
}

floor=$(best sh -c "wc -l < '$work/big.map'")
json=$(best "$cli" report "$work/big.map" --format json --symbols --output "$work/big.json")
html=$(best "$cli" report "$work/big.map" --format html --output "$work/big.html")
awk -v f="$floor" -v j="$json" -v h="$html" -v mb="$(stat -c %s "$work/big.map")" -v hb="$(stat -c %s "$work/big.html")" 'BEGIN {
  printf "MAP file %.0f MB, page %.0f MB\n", mb / 1e6, hb / 1e6
  printf "floor (read + line count) %6.2f s\n", f
  printf "json --symbols            %6.2f s\n", j
  printf "html                      %6.2f s   html/json %.2f (target <= 2), html/floor %.1f\n", h, h / j, h / f
}'

chromium_run() {
  local profile
  profile=$(mktemp -d)
  chromium --headless --no-sandbox --disable-gpu --disable-background-networking --disable-component-update \
    --disable-sync --no-first-run --user-data-dir="$profile" --window-size=1280,900 \
    --virtual-time-budget=60000 --dump-dom "file://$work/big.html#search=$search" 2>/dev/null
  rm -rf "$profile"
}
start=$(date +%s.%N)
chromium_run >"$work/dom.html"
end=$(date +%s.%N)
ready=$(grep -o 'data-ready="[0-9 ]*"' "$work/dom.html" | tr -dc '0-9 ' || true)
count=$(grep -o '<output id="match-count"[^>]*>[^<]*' "$work/dom.html" | sed 's/.*>//' || true)
if grep -q 'id="script-error"' "$work/dom.html" || [ -z "$ready" ]; then
  echo "the page failed to open" >&2
  exit 1
fi
read -r since_load reading searching <<<"$ready"
awk -v s="$start" -v e="$end" -v l="$since_load" -v r="$reading" -v q="$searching" -v c="$count" -v t="$search" 'BEGIN {
  printf "chromium, whole run       %6.2f s (start-up, loading, search, writing the document)\n", e - s
  printf "page ready after          %6.2f s from the start of loading (target <= 10): data read in %.2f s, search \"%s\" and drawing %.2f s\n", l / 1000, r / 1000, t, q / 1000
  printf "match count: %s\n", c
}'
