#!/usr/bin/env bash
# Cross-builds Quillon for 64-bit Windows on Debian 12 and tries it under Wine.
#
# Installs the MinGW-w64 compiler and Wine, builds a trimmed qtbase for MinGW from Debian's own Qt
# source once (kept in the cache folder and reused), cross-builds quillon.exe and quillon-cli.exe,
# and lays out a folder a Windows user can run as it is, plus its .zip. Then, under Wine: the
# engine test programs, the JSON report of the sample and of every corpus MAP file against the
# Linux build, and a screenshot of the window.
#
#   scripts/build-windows.sh [--no-wine]
#
# It prints how long the Qt build and the whole run took. The Qt build takes the longest (half an
# hour on two free cores); run the script under nice to leave the machine to others meanwhile.
#
# QUILLON_WINDOWS_CACHE  cache folder (default ~/.cache/quillon-windows): Qt source, build, install
# QUILLON_WINDOWS_OUT    output folder (default build-windows/ in the source tree)
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
cache=${QUILLON_WINDOWS_CACHE:-$HOME/.cache/quillon-windows}
out=${QUILLON_WINDOWS_OUT:-$source_dir/build-windows}
jobs=$(nproc)
run_wine=1
[ "${1:-}" = "--no-wine" ] && run_wine=0
script_start=$SECONDS

step() { printf '\n== %s\n' "$*"; }

# --- Debian packages ------------------------------------------------------------------------------
packages=(cmake ninja-build g++ g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
          binutils-mingw-w64-x86-64 qt6-base-dev qt6-base-dev-tools libgl-dev googletest dpkg-dev
          wine wine64 xvfb xauth x11-utils x11-apps netpbm zip)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages. Run:"
    echo "  sudo apt-get install -y ${missing[*]}"
    exit 1
  fi
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq && apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# --- Qt for MinGW, built once ---------------------------------------------------------------------
# The same Qt release as the host's, whose moc, rcc and uic run during the cross-build.
qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
qt_upstream=${qt_version%%+*}
qt_prefix=$cache/qt-$qt_upstream-mingw64
toolchain=$cache/mingw64.cmake
mkdir -p "$cache"

cat >"$toolchain.new" <<'EOF'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF
cmp -s "$toolchain.new" "$toolchain" 2>/dev/null || mv "$toolchain.new" "$toolchain"
rm -f "$toolchain.new"

if [ ! -f "$qt_prefix/.complete" ]; then
  qt_start=$SECONDS
  qt_src=$cache/qtbase-src-$qt_version
  if [ ! -d "$qt_src" ]; then
    step "Fetching the source of qt6-base $qt_version from Debian"
    # A sources list and package lists of the script's own: the system's apt set-up stays as it is.
    apt_dir=$cache/apt
    mkdir -p "$apt_dir/lists/partial" "$cache/download"
    echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main" \
      >"$apt_dir/sources.list"
    apt_opts=(-o "Dir::Etc::sourcelist=$apt_dir/sources.list" -o Dir::Etc::sourceparts=-
              -o "Dir::State::Lists=$apt_dir/lists" -o APT::Get::List-Cleanup=0)
    # As root, apt's own user could not read the script's folders.
    [ "$(id -u)" -eq 0 ] && apt_opts+=(-o APT::Sandbox::User=root)
    apt-get "${apt_opts[@]}" update -qq
    rm -rf "$cache/download"/*
    (cd "$cache/download" && apt-get "${apt_opts[@]}" source -qq "qt6-base=$qt_version")
    mv "$cache/download"/qt6-base-*/ "$qt_src"
    rm -rf "$cache/download"
  fi

  # QtGui has the DirectWrite font database only with Direct2D, but the Windows platform plugin
  # asks for it with DirectWrite 3 alone: without Direct2D it would not link.
  sed -i 's/^#if QT_CONFIG(directwrite3)$/#if QT_CONFIG(directwrite3) \&\& QT_CONFIG(direct2d)/' \
    "$qt_src/src/plugins/platforms/windows/qwindowsintegration.cpp"

  step "Configuring qtbase $qt_upstream for x86_64 MinGW"
  # -O1: half the compile time of Qt's own -O3, and fast enough for a program that reads files.
  # Trimmed to what Quillon links (Core, Gui, Widgets, Test, the Windows platform plugin; the
  # program draws in the Fusion style). Debian's source lacks the Wacom tablet header, hence no
  # tablet events; the Windows platform plugin of this release needs OpenGL, so it stays (dynamic).
  cmake -G Ninja -S "$qt_src" -B "$cache/qtbase-build" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release \
    -DQT_USE_DEFAULT_CMAKE_OPTIMIZATION_FLAGS=ON \
    -DCMAKE_C_FLAGS_RELEASE="-O1 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELEASE="-O1 -DNDEBUG" \
    -DCMAKE_INSTALL_PREFIX="$qt_prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF \
    -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_pdf=OFF -DFEATURE_jpeg=OFF \
    -DFEATURE_textmarkdownreader=OFF -DFEATURE_textmarkdownwriter=OFF -DFEATURE_textodfwriter=OFF \
    -DFEATURE_freetype=OFF -DFEATURE_direct2d=OFF -DFEATURE_style_windowsvista=OFF \
    -DFEATURE_tabletevent=OFF >"$cache/qtbase-configure.log" 2>&1 ||
    { tail -40 "$cache/qtbase-configure.log"; exit 1; }

  step "Building qtbase (about half an hour on two cores; later runs reuse it)"
  cmake --build "$cache/qtbase-build" -j"$jobs"
  cmake --install "$cache/qtbase-build" >/dev/null
  echo "Qt build: $((SECONDS - qt_start)) s" | tee "$qt_prefix/.complete"
fi

# --- Quillon for Windows --------------------------------------------------------------------------
qt_toolchain=$qt_prefix/lib/cmake/Qt6/qt.toolchain.cmake
build=$out/build
dist=$out/Quillon
wine_prefix=$cache/wine
step "Cross-building quillon.exe, quillon-cli.exe and the engine's tests"
mkdir -p "$out"
# Tests run under Wine through CTest's emulator; the benchmarks need Google Benchmark, which has no
# Windows package.
cmake -G Ninja -S "$source_dir" -B "$build" \
  -DCMAKE_TOOLCHAIN_FILE="$qt_toolchain" \
  -DCMAKE_BUILD_TYPE=Release \
  -DQUILLON_BUILD_BENCH=OFF \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$(command -v wine)" >"$out/configure.log" 2>&1 ||
  { tail -40 "$out/configure.log"; exit 1; }
cmake --build "$build" -j"$jobs" --target quillon quillon-cli base_tests tree_tests analysis_tests \
  report_tests cli_tests

step "Laying out $dist"
rm -rf "$dist"
mkdir -p "$dist/platforms"
cp "$build/src/app/quillon.exe" "$build/src/cli/quillon-cli.exe" "$dist/"
for dll in Qt6Core Qt6Gui Qt6Widgets; do
  cp "$qt_prefix/bin/$dll.dll" "$dist/"
done
cp "$qt_prefix/plugins/platforms/qwindows.dll" "$dist/platforms/"
mingw_runtime() { x86_64-w64-mingw32-g++-posix -print-file-name="$1"; }
for dll in libstdc++-6.dll libgcc_s_seh-1.dll; do
  cp "$(mingw_runtime "$dll")" "$dist/"
done
cp /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll "$dist/"
sed 's/$/\r/' >"$dist/README.txt" <<TEXT
Quillon $(sed -n 's/^project(Quillon VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt) for Windows (64-bit)

Quillon shows how much compiled code each unit of a Delphi project contributes to its executable,
read from the linker's detailed MAP file (Project > Options > Linking > Map file: Detailed).

  quillon.exe       the window: name the MAP file and the folder of the .dcu files, press Go.
  quillon-cli.exe   the same analysis as a table, CSV, JSON or HTML report:
                      quillon-cli report Project1.map --search-dir . --format json --symbols
                    quillon-cli --help lists every command and option.

Nothing needs installing: keep the files of this folder together. The window remembers its place
and the two fields under HKEY_CURRENT_USER\\Software\\Brackwell\\Quillon.
TEXT
(cd "$out" && rm -f Quillon-windows-x64.zip && zip -qr Quillon-windows-x64.zip Quillon)
echo "Windows folder: $dist (and $out/Quillon-windows-x64.zip)"

if [ $run_wine -eq 0 ]; then
  echo "Whole script: $((SECONDS - script_start)) s"
  exit 0
fi

# --- Tried under Wine -----------------------------------------------------------------------------
# A prefix of the script's own; no Mono or Gecko installer: Quillon needs neither.
export WINEPREFIX=$wine_prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  step "Creating the Wine prefix"
  wineboot --init >/dev/null 2>&1
  wineserver --wait
fi
to_windows() { winepath -w "$1" 2>/dev/null; }
# The test programs find Qt and the MinGW runtime through Wine's search path.
WINEPATH="$(to_windows "$qt_prefix/bin");$(to_windows "$(dirname "$(mingw_runtime libstdc++-6.dll)")")"
export WINEPATH="$WINEPATH;$(to_windows /usr/x86_64-w64-mingw32/lib)"
failures=()

step "The engine's test programs under Wine"
ctest --test-dir "$build" --output-on-failure -j"$jobs" || failures+=("engine test programs")

step "quillon-cli.exe against the Linux build, byte for byte"
# QUILLON_LINUX_CLI names a quillon-cli built from the same source; otherwise one is built here.
linux_cli=${QUILLON_LINUX_CLI:-}
if [ -z "$linux_cli" ]; then
  linux_build=$out/linux
  cmake -S "$source_dir" -B "$linux_build" -DCMAKE_BUILD_TYPE=Release -DQUILLON_BUILD_TESTS=OFF \
    -DQUILLON_BUILD_BENCH=OFF >"$out/linux-configure.log" 2>&1 || { tail -20 "$out/linux-configure.log"; exit 1; }
  cmake --build "$linux_build" -j"$jobs" --target quillon-cli >/dev/null
  linux_cli=$linux_build/src/cli/quillon-cli
fi
maps=("$source_dir/examples/sample/SampleApp.map")
corpus=${QUILLON_CORPUS:-$source_dir/../shared/corpus}
if [ -f "$corpus/INDEX.tsv" ]; then
  while IFS=$'\t' read -r name _ _ map_path _; do
    [ "$name" = case ] && continue
    # A case holds its MAP file where the project had it, or at its top.
    if [ -f "$corpus/$name/$map_path" ]; then
      maps+=("$corpus/$name/$map_path")
    else
      maps+=("$corpus/$name/${map_path##*/}")
    fi
  done <"$corpus/INDEX.tsv"
else
  echo "No corpus at $corpus: the sample alone is compared."
fi
# The "map" member holds the path as each system writes it; everything else must be equal.
without_map() { sed -E '1s/^\{"map":"([^"\\]|\\.)*"/{"map":""/' "$1"; }
compared=0
for map in "${maps[@]}"; do
  folder=$(dirname "$map")
  linux_exit=0
  "$linux_cli" report "$map" --search-dir "$folder" --format json --symbols \
    >"$out/linux.json" 2>/dev/null || linux_exit=$?
  windows_exit=0
  # Without the search path: the folder must hold every library it needs.
  env -u WINEPATH wine "$dist/quillon-cli.exe" report "$(to_windows "$map")" --search-dir "$(to_windows "$folder")" \
    --format json --symbols >"$out/windows.json" 2>/dev/null || windows_exit=$?
  if [ "$linux_exit" -ne "$windows_exit" ] || ! cmp -s <(without_map "$out/linux.json") <(without_map "$out/windows.json"); then
    echo "DIFFERS: $map (exit codes $linux_exit and $windows_exit)"
    cmp <(without_map "$out/linux.json") <(without_map "$out/windows.json") | head -3 || true
    failures+=("JSON of $map")
  else
    printf '  same: %s (%s bytes, exit code %s)\n' "${map#"$source_dir/"}" "$(stat -c %s "$out/linux.json")" "$linux_exit"
  fi
  compared=$((compared + 1))
done
rm -f "$out/linux.json" "$out/windows.json"
echo "$compared MAP files compared."

step "quillon.exe on the sample, under Wine and Xvfb"
screenshot=$out/quillon-wine.png
registry=$out/quillon-registry.txt
sample=$source_dir/examples/sample
# Named before the Wine server goes: winepath would start a new one, without a display.
program_args=("$dist/quillon.exe" "$(to_windows "$sample/SampleApp.map")" "$(to_windows "$sample")")
# A Wine server left from the tests has no display: the window needs one started under Xvfb. The
# old one must be gone first, or the program connects to it and its window lands on no display.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
env -u WINEPATH xvfb-run -a -s "-screen 0 1100x760x24" bash -c '
  wine "$1" "$2" --search-dir "$3" --go &
  program=$!
  window=""
  for _ in $(seq 1 120); do
    window=$(xwininfo -root -tree | sed -n "s/^ *\(0x[0-9a-f]*\) \"Quillon v.*/\1/p" | head -1)
    [ -n "$window" ] && break
    sleep 1
  done
  # The analysis of the sample takes a moment; then the grid is painted.
  sleep 10
  [ -n "$window" ] && xwd -silent -id "$window" | xwdtopnm 2>/dev/null | pnmtopng >"$4"
  # Closed as a user closes it, the window stores its place and its fields in the registry.
  wine taskkill /im quillon.exe >/dev/null 2>&1
  for _ in $(seq 1 30); do kill -0 "$program" 2>/dev/null || break; sleep 1; done
  wine reg query "HKCU\\Software\\Brackwell\\Quillon" /s >"$5" 2>&1
  wineserver -k
  [ -n "$window" ]' _ "${program_args[@]}" "$screenshot" "$registry" && echo "Screenshot: $screenshot" || failures+=("the window under Wine")
if grep -q "FEMapFile" "$registry"; then
  echo "Stored in HKEY_CURRENT_USER\\Software\\Brackwell\\Quillon:"
  tr -d '\r' <"$registry" | sed -n 's/^ \{4\}/  /p'
else
  cat "$registry" 2>/dev/null || true
  failures+=("the settings in the registry")
fi

echo
echo "Whole script: $((SECONDS - script_start)) s"
if [ ${#failures[@]} -gt 0 ]; then
  printf 'Failed under Wine: %s\n' "${failures[@]}"
  exit 1
fi
echo "Everything tried under Wine passed."
