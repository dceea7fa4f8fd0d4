#!/usr/bin/env bash
# Checks the install tree and the Debian package of a built tree: the files and where they go, the
# desktop entry (desktop-file-validate), the manual page against quillon-cli --help, and the .deb's
# contents and declared library dependencies. Usage: check-install.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(realpath "$1")
source=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for tool in desktop-file-validate dpkg-deb dpkg-shlibdeps groff cpack; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/ensure-deps.sh installs it)"; exit 1; }
done

root=$work/root
cmake --install "$build" --prefix "$root" >/dev/null

# Programs, entry, file type, icons, manual page.
expected=(bin/quillon bin/quillon-cli share/applications/quillon.desktop share/mime/packages/quillon.xml
          share/man/man1/quillon-cli.1.gz share/man/man1/quillon.1.gz)
for size in 16 32 48 64 128 256; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/quillon.png")
  cmp -s "$root/share/icons/hicolor/${size}x${size}/apps/quillon.png" "$source/src/controls/icons/quillon_$size.png" ||
    fail "the ${size}px icon is not the one the icon generator drew"
done
for file in "${expected[@]}"; do
  [ -f "$root/$file" ] || fail "$file is not installed"
done
for program in quillon quillon-cli; do
  [ -x "$root/bin/$program" ] || fail "bin/$program is not executable"
done

desktop-file-validate "$root/share/applications/quillon.desktop" || fail "the desktop entry is not valid"
grep -q '^Exec=quillon .*%f' "$root/share/applications/quillon.desktop" || fail "the entry does not take a file"
grep -q '^MimeType=text/x-delphi-map;' "$root/share/applications/quillon.desktop" || fail "the entry opens no MAP file"
grep -q 'type="text/x-delphi-map"' "$root/share/mime/packages/quillon.xml" || fail "the MAP file type is not defined"

# The manual pages: they format without warnings, name every command and option of their program's
# --help, and their help fits an 80-column terminal.
check_manual_page() {
  local program=$1
  local page=$work/$program.1
  zcat "$root/share/man/man1/$program.1.gz" > "$page"
  local warnings
  warnings=$(groff -man -Tutf8 -ww -z "$page" 2>&1) || true
  [ -z "$warnings" ] || fail "the manual page of $program has formatting warnings: $warnings"
  local plain
  plain=$(sed 's/\\-/-/g; s/\\e/\\/g' "$page")
  for section in NAME SYNOPSIS DESCRIPTION "EXIT CODES"; do
    grep -q "^\.SH $section\$" <<<"$plain" || fail "the manual page of $program has no $section section"
  done
  grep -qx "$program - .*" <<<"$plain" || fail "the manual page of $program has no NAME line for it"
  local help
  help=$("$root/bin/$program" --help)
  for option in $(grep -oE -- '--[a-z][a-z-]+' <<<"$help" | sort -u); do
    grep -qF -- "$option" <<<"$plain" || fail "the manual page of $program does not mention $option"
  done
  for command in $(sed -n "s/^ *\(Usage: \)\{0,1\}$program \([a-z][a-z-]*\).*/\2/p" <<<"$help" | sort -u); do
    grep -qx "\.SS $command" <<<"$plain" || fail "the manual page of $program has no subsection for the command $command"
  done
  local wide
  wide=$(awk 'length > 80' <<<"$help")
  [ -z "$wide" ] || fail "$program --help has lines wider than 80 columns: $wide"
  wide=$(MANWIDTH=80 groff -man -Tutf8 -rLL=80n "$page" 2>/dev/null | sed 's/\x1b\[[0-9;]*m//g; s/.\x08//g' | awk 'length > 80')
  [ -z "$wide" ] || fail "the manual page of $program is wider than 80 columns: $wide"
}
check_manual_page quillon-cli
check_manual_page quillon
[ "$(zcat "$root/share/man/man1/quillon-cli.1.gz" | sed -n '/^\.SH EXIT CODES$/,/^\.SH/p' | grep -cE '^ +[0-9]+ ')" -ge 4 ] ||
  fail "the manual page of quillon-cli lists fewer than four exit codes"
# Without a display the window's program still answers --help and --version.
env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$root/bin/quillon" --version | grep -q '^quillon ' ||
  fail "quillon --version does not answer without a display"

# The installed command line program runs and analyses the sample.
"$root/bin/quillon-cli" --version | grep -q '^quillon-cli ' || fail "the installed quillon-cli does not run"
"$root/bin/quillon-cli" report "$source/examples/sample/SampleApp.map" --format csv > "$work/report.csv" 2>/dev/null ||
  fail "the installed quillon-cli cannot analyse the sample"

# The Debian package.
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/package" >/dev/null
debs=("$work"/package/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: cpack wrote no single .deb"; exit 1; }
deb=${debs[0]}
info=$(dpkg-deb -I "$deb")
depends=$(sed -n 's/^ Depends: //p' <<<"$info")
# The package names of the dependencies, alternatives included, one a line.
names=$(tr ',|' '\n\n' <<<"$depends" | awk '{print $1}')
for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6; do
  grep -qxF "$library" <<<"$names" || fail "the package does not depend on $library (Depends: $depends)"
done
contents=$(dpkg-deb -c "$deb" | awk '{print $NF}')
for file in "${expected[@]}"; do
  grep -qx "\./usr/$file" <<<"$contents" || fail "the package lacks /usr/$file"
done
dpkg-deb -x "$deb" "$work/unpacked"
"$work/unpacked/usr/bin/quillon-cli" --version >/dev/null || fail "quillon-cli from the package does not run"

[ "$failures" -eq 0 ] && echo "install tree and package: all checks passed ($(basename "$deb"))"
exit $((failures > 0))
