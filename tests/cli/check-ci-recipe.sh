#!/usr/bin/env bash
# Runs the CI recipe of the README as written, on a pair of real builds of the corpus: the block
# after the "ci-recipe" marker, in a folder laid out as the recipe expects, with quillon-cli on the
# PATH and a stand-in for gh that keeps the comment. Usage: check-ci-recipe.sh CLI README CORPUS
set -euo pipefail
cli=$(realpath "$1")
readme=$(realpath "$2")
corpus=$3
old_map=$corpus/d7-circuit/Project1.map
new_map=$corpus/d7-doscommand/Project1.map
if [ ! -f "$old_map" ] || [ ! -f "$new_map" ]; then
  echo "no corpus at $corpus: skipped"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

recipe=$(awk '/<!-- ci-recipe/ { found = 1; next } found && /^```sh$/ { inside = 1; next }
              inside && /^```$/ { exit } inside { print }' "$readme")
[ -n "$recipe" ] || { echo "FAIL: the README has no CI recipe after its ci-recipe marker"; exit 1; }

mkdir -p "$work/bin" "$work/build/baseline" "$work/build/Win32/Release"
ln -s "$cli" "$work/bin/quillon-cli"
cat > "$work/bin/gh" <<'GH'
#!/usr/bin/env bash
# gh pr comment NUMBER --body-file FILE, as the recipe calls it.
[ "$1 $2" = "pr comment" ] && [ "$4" = "--body-file" ] || { echo "unexpected gh $*" >&2; exit 2; }
printf '%s\n' "$3" > "$GH_LOG.number"
cp "$5" "$GH_LOG"
GH
chmod +x "$work/bin/gh"
cp "$old_map" "$work/build/baseline/App.map"
cp "$new_map" "$work/build/Win32/Release/App.map"

run() { (cd "$work/build" && PATH="$work/bin:$PATH" GH_LOG="$work/comment.md" PR_NUMBER=17 bash -c "$recipe"); }

# Budgets that hold: the step passes and posts the comment.
printf 'max-total 1M\nmax-unit *=200K\nmax-unit Vcl.*=400K\n' > "$work/build/budgets.txt"
status=0
run > "$work/out" 2>&1 || status=$?
[ "$status" -eq 0 ] || fail "the recipe failed ($status) with budgets that hold: $(cat "$work/out")"
[ "$(cat "$work/comment.md.number" 2>/dev/null)" = 17 ] || fail "no comment was posted on the pull request"
grep -q '^### :white_check_mark: Size budgets: 1 budget matches no unit; 3 budgets held$' "$work/comment.md" ||
  fail "the comment does not begin with the budgets held: $(head -3 "$work/comment.md")"
grep -q '^### Code size: 575,554 → 721,815 bytes ' "$work/comment.md" || fail "the comment has no totals of the diff"
grep -q '^<details><summary>Largest symbol changes' "$work/comment.md" || fail "the comment has no symbols section"
[ "$(wc -c < "$work/comment.md")" -le 65536 ] || fail "the comment is larger than GitHub takes"

# A broken budget: the comment is still posted, and the step fails.
rm -f "$work/comment.md"
printf 'max-total 100K\n' > "$work/build/budgets.txt"
status=0
run > "$work/out" 2>&1 || status=$?
[ "$status" -eq 1 ] || fail "the recipe ended with $status, not 1, on a broken budget: $(cat "$work/out")"
grep -q '^| :x: | `budgets.txt:1: max-total 100K` ' "$work/comment.md" 2>/dev/null ||
  fail "the comment does not show the broken budget"

# A MAP file cut short: no comment, and the step fails.
rm -f "$work/comment.md"
head -c 2048 "$new_map" > "$work/build/Win32/Release/App.map"
status=0
run > "$work/out" 2>&1 || status=$?
[ "$status" -eq 3 ] || fail "the recipe ended with $status, not 3, on a MAP file cut short"
[ ! -e "$work/comment.md" ] || fail "a comment was posted on a broken build"

[ "$failures" -eq 0 ] || exit 1
echo "the README's CI recipe runs as written"
