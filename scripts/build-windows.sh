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
          wine wine64 fonts-wine xvfb xauth x11-utils x11-apps netpbm zip nsis icoutils)
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
cmake --build "$build" -j"$jobs" --target quillon quillon-cli pe_tests base_tests tree_tests analysis_tests \
  report_tests cli_tests
# The widget tests' failure to build is reported with the Wine checks; the programs are made anyway.
widget_tests_built=1
cmake --build "$build" -j"$jobs" --target controls_tests app_tests || widget_tests_built=0

step "Laying out $dist"
version=$(sed -n 's/^project(Quillon VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
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
# The user runs the programs, not a debugger: no debug sections, no symbol table. The build tree
# keeps the programs as they were linked.
find "$dist" \( -name '*.exe' -o -name '*.dll' \) -exec x86_64-w64-mingw32-strip --strip-all {} +
sed 's/$/\r/' >"$dist/README.txt" <<TEXT
Quillon $version for Windows (64-bit)

Quillon shows how much compiled code each unit of a Delphi project contributes to its executable,
read from the linker's detailed MAP file (Project > Options > Linking > Map file: Detailed).

  quillon.exe       the window: name the MAP file and the folder of the .dcu files, press Go.
  quillon-cli.exe   the same analysis as a table, CSV, JSON or HTML report:
                      quillon-cli report Project1.map --search-dir . --format json --symbols
                    quillon-cli --help lists every command and option.

Nothing needs installing: keep the files of this folder together. The window remembers its place
and the two fields under HKEY_CURRENT_USER\\Software\\Brackwell\\Quillon.
TEXT
zip_file=$out/Quillon-$version-windows-x64.zip
(cd "$out" && rm -f Quillon-*windows-x64.zip && zip -qr "$zip_file" Quillon)
failures=()

step "What the folder and the zip ship"
(cd "$dist" && find . -type f | sort | while read -r file; do
  printf '  %10s  %s\n' "$(stat -c %s "$file")" "${file#./}"
done)
printf '  %10s  %s\n' "$(stat -c %s "$zip_file")" "${zip_file##*/}"
objdump=x86_64-w64-mingw32-objdump
# A DLL of the system: MinGW has its import library.
is_system_dll() {
  local name=${1,,}
  [[ $name == api-ms-win-* || $name == ext-ms-* ]] || [ -f "/usr/x86_64-w64-mingw32/lib/lib${name%.dll}.a" ]
}
shipped_dll() { find "$dist" -iname "$1" -print -quit | grep -q .; }
declare -A needed=()
pending=(quillon.exe quillon-cli.exe platforms/qwindows.dll)
while [ ${#pending[@]} -gt 0 ]; do
  file=${pending[0]}
  pending=("${pending[@]:1}")
  [ -n "${needed[${file,,}]:-}" ] && continue
  needed[${file,,}]=1
  if "$objdump" -h "$dist/$file" | grep -q ' \.debug_' || "$objdump" -f "$dist/$file" | grep -q HAS_SYMS; then
    echo "  NOT STRIPPED: $file"
    failures+=("the stripping of $file")
  fi
  while read -r dll; do
    if is_system_dll "$dll"; then
      continue
    elif shipped_dll "$dll"; then
      pending+=("$dll")
    else
      echo "  MISSING: $dll, which $file loads"
      failures+=("$dll missing")
    fi
  done < <("$objdump" -p "$dist/$file" | sed -n 's/^\s*DLL Name: //p')
done
# Everything else the folder holds is the README: nothing that does not run.
while read -r file; do
  [ "$file" = README.txt ] && continue
  if [ -z "${needed[${file,,}]:-}" ]; then
    echo "  NOT NEEDED: $file"
    failures+=("$file shipped without use")
  fi
done < <(cd "$dist" && find . -type f | sed 's|^\./||' | sort)
if ! cmp -s <(cd "$out" && find Quillon -type f | sort) <(unzip -Z1 "$zip_file" | grep -v '/$' | sort); then
  echo "  The zip does not hold the folder's files."
  failures+=("the zip's files")
fi
[ ${#failures[@]} -eq 0 ] && echo "  Stripped, and every file is one that runs or that the programs load."

step "The resources of the programs, read by wrestool and icotool"
icon_sizes=(16 32 48 64 128 256)
for program in quillon quillon-cli; do
  exe=$dist/$program.exe
  resources=$out/resources/$program
  rm -rf "$resources" && mkdir -p "$resources/icons"
  listing=$(wrestool -l "$exe")
  for kind in "type=group_icon" "type=version" "--type=24"; do
    grep -q -- "$kind" <<<"$listing" || { echo "  $program.exe: no $kind resource"; failures+=("$program.exe's $kind"); }
  done
  # The icon group's images are the Linux icon's, pixel for pixel, at every size both draw.
  wrestool -x -t group_icon "$exe" -o "$resources/quillon.ico" 2>/dev/null
  icotool -x -o "$resources/icons" "$resources/quillon.ico" 2>/dev/null || true
  for size in "${icon_sizes[@]}"; do
    image=$(find "$resources/icons" -name "*_${size}x${size}x32.png" -print -quit)
    linux_icon=$source_dir/src/controls/icons/quillon_$size.png
    if [ -z "$image" ] || ! cmp -s <(pngtopnm "$image" 2>/dev/null) <(pngtopnm "$linux_icon" 2>/dev/null) ||
      ! cmp -s <(pngtopnm -alpha "$image" 2>/dev/null) <(pngtopnm -alpha "$linux_icon" 2>/dev/null); then
      echo "  $program.exe: the ${size}-pixel icon is not the Linux one"
      failures+=("$program.exe's ${size}-pixel icon")
    fi
  done
  # The version block: its fixed numbers and its strings, UTF-16 as Windows stores them.
  wrestool -x --raw -t version "$exe" >"$resources/version.bin"
  fixed=$(od -An -tu2 -j48 -N8 "$resources/version.bin" | awk '{print $2 "." $1 "." $4 "." $3}')
  strings=$(iconv -f UTF-16LE -t UTF-8 "$resources/version.bin" 2>/dev/null | tr '\0' '\n' | grep -v '^$')
  # Each key follows its block's binary length and type words, its value stands on the next line.
  value() { grep -a -A1 -E "(^|[^[:alnum:]])$1\$" <<<"$strings" | sed -n 2p; }
  printf '  %s.exe: file version %s, "%s", "%s", "%s" %s, "%s"\n' "$program" "$fixed" "$(value FileDescription)" \
    "$(value CompanyName)" "$(value ProductName)" "$(value ProductVersion)" "$(value LegalCopyright)"
  if [ "$fixed" != "$version.0" ] || [ "$(value FileVersion)" != "$version.0" ] ||
    [ "$(value ProductVersion)" != "$version" ] || [ "$(value OriginalFilename)" != "$program.exe" ]; then
    failures+=("$program.exe's version")
  fi
  wrestool -x --raw --type=24 "$exe" >"$resources/manifest.xml"
  for setting in '<dpiAwareness[^>]*>PerMonitorV2<' '<longPathAware[^>]*>true<' '<supportedOS Id="{8e0f7a12-' \
    'name="Microsoft.Windows.Common-Controls"'; do
    grep -q "$setting" "$resources/manifest.xml" || { echo "  $program.exe's manifest lacks $setting"; failures+=("$program.exe's manifest"); }
  done
done

step "Building the installer with NSIS"
installer=$out/Quillon-$version-setup.exe
files_nsh=$out/installer-files.nsh
# The folder's listing, so that the uninstaller removes exactly what the installer put there.
{
  echo '!macro QuillonInstallFiles'
  (cd "$dist" && find . -type d | sort | sed 's|^\./||; s|^\.$||') | while read -r folder; do
    echo "  SetOutPath \"\$INSTDIR${folder:+\\${folder//\//\\}}\""
    find "$dist${folder:+/$folder}" -maxdepth 1 -type f | sort | sed 's/^/  File "/; s/$/"/'
  done
  echo '!macroend'
  echo '!macro QuillonDeleteFiles'
  (cd "$dist" && find . -type f | sort | sed 's|^\./||') | while read -r file; do
    echo "  Delete \"\$INSTDIR\\${file//\//\\}\""
  done
  (cd "$dist" && find . -mindepth 1 -type d | sort -r | sed 's|^\./||') | while read -r folder; do
    echo "  RMDir \"\$INSTDIR\\${folder//\//\\}\""
  done
  echo '!macroend'
} >"$files_nsh"
makensis -V2 -WX -DVERSION="$version" -DICON="$source_dir/src/controls/icons/quillon.ico" -DFILES="$files_nsh" \
  -DOUTFILE="$installer" "$source_dir/packaging/windows/quillon.nsi" || failures+=("the installer's build")
echo "Windows folder: $dist"
echo "Zip: $zip_file"
echo "Installer: $installer"

if [ $run_wine -eq 0 ]; then
  echo "Whole script: $((SECONDS - script_start)) s"
  if [ ${#failures[@]} -gt 0 ]; then
    printf 'Failed: %s\n' "${failures[@]}"
    exit 1
  fi
  exit 0
fi

# --- Tried under Wine -----------------------------------------------------------------------------
# A prefix of the script's own; no Mono or Gecko installer: Quillon needs neither.
# Nor Wine's menu builder: the installer's Start menu entry would become a desktop entry of this machine.
export WINEPREFIX=$wine_prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  step "Creating the Wine prefix"
  wineboot --init >/dev/null 2>&1
  wineserver --wait
fi
# Debian's Wine reads no font of its own, and a family it lacks becomes the host's first one,
# DejaVu Math TeX Gyre, whose metrics move a line edit's text out of sight. As on Windows, the
# Fonts folder holds the dialog font (Wine's Tahoma), which stands in for the window's Segoe UI.
for font in /usr/share/wine/fonts/*.ttf; do
  [ -f "$WINEPREFIX/drive_c/windows/Fonts/${font##*/}" ] || cp "$font" "$WINEPREFIX/drive_c/windows/Fonts/"
done
wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "Segoe UI" /d Tahoma /f >/dev/null 2>&1
to_windows() { winepath -w "$1" 2>/dev/null; }
# The test programs find Qt and the MinGW runtime through Wine's search path.
WINEPATH="$(to_windows "$qt_prefix/bin");$(to_windows "$(dirname "$(mingw_runtime libstdc++-6.dll)")")"
export WINEPATH="$WINEPATH;$(to_windows /usr/x86_64-w64-mingw32/lib)"

step "The engine's test programs under Wine"
ctest --test-dir "$build" --output-on-failure -j"$jobs" -E '^(controls|app)_tests$' || failures+=("engine test programs")

step "The widget tests under Wine, on Xvfb: the grid's (controls_tests) and the main window's (app_tests)"
# On Windows' own platform plugin (the cross-built Qt has no offscreen one, and Wine passes no QT_
# variable on). A server left without a display must be gone first, or the tests' windows would
# join it.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
if [ $widget_tests_built -eq 0 ]; then
  failures+=("the widget tests' build")
else
  for tests in controls_tests app_tests; do
    timeout 1800 xvfb-run -a -s "-screen 0 1280x1024x24" \
      bash -c 'wine "$1" --gtest_brief=1; status=$?; wineserver -k; exit $status' _ "$build/tests/$tests.exe" \
      >"$out/$tests-wine.log" 2>&1 || failures+=("$tests under Wine")
    tail -5 "$out/$tests-wine.log" | tr -d '\r'
  done
fi

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
sample_map=$source_dir/examples/sample/SampleApp.map
maps=("$sample_map")
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
# The "map" member and the whole file's "path" hold paths as each system writes them; everything
# else must be equal.
without_map() {
  sed -E -e '1s/^\{"map":"([^"\\]|\\.)*"/{"map":""/' -e 's/^"file":\{"path":"([^"\\]|\\.)*"/"file":{"path":""/' "$1"
}
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

step "The installer under Wine: silent installs, the installed quillon-cli, silent uninstalls"
# Empty for a value that is not there: reg's failure then is no failure of the script (pipefail).
reg_value() { { wine reg query "$1" "${@:2}" 2>/dev/null || true; } | tr -d '\r' | sed -n 's/^ *[^ ].*REG_[A-Z_]* *//p' | sed -n 1p; }
# What of Quillon the prefix holds, in its files and its registry (written out when the server ends).
traces() {
  wineserver -w
  # A new prefix holds none: grep's "no match" is no failure here.
  { grep -a -i -h quillon "$WINEPREFIX/user.reg" "$WINEPREFIX/system.reg" || true; } | sort
  (cd "$WINEPREFIX/drive_c" && find . -ipath '*quillon*' | sort)
}
user_path_before=$(reg_value 'HKCU\Environment' /v Path)
traces_before=$(traces)
for options in "" "/AddToPath /SetDefault" "/AllUsers"; do
  echo "  Quillon-$version-setup.exe /S $options"
  root=HKCU
  [ "$options" = /AllUsers ] && root=HKLM
  uninstall_key="$root\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillon"
  # shellcheck disable=SC2086
  wine "$installer" /S $options || { failures+=("the installer /S $options"); continue; }
  wineserver -w
  location=$(reg_value "$uninstall_key" /v InstallLocation)
  installed=$(winepath -u "$location" 2>/dev/null)
  if [ -z "$location" ] || [ ! -d "$installed" ]; then
    echo "    not installed: no InstallLocation in $uninstall_key"
    failures+=("the installer /S $options")
    continue
  fi
  echo "    installed in $location"
  problems=()
  cmp -s <(cd "$dist" && { find . -type f; echo ./uninstall.exe; } | sort) <(cd "$installed" && find . -type f | sort) ||
    problems+=("the installed files are not the folder's")
  [ "$(reg_value "$uninstall_key" /v DisplayVersion)" = "$version" ] || problems+=("no DisplayVersion $version")
  [ -n "$(reg_value "$uninstall_key" /v UninstallString)" ] || problems+=("no UninstallString")
  [ -n "$(reg_value "$root\\Software\\Classes\\Quillon.MapFile\\shell\\open\\command" /ve)" ] || problems+=("no open command")
  wine reg query "$root\\Software\\Classes\\.map\\OpenWithProgids" /v Quillon.MapFile >/dev/null 2>&1 || problems+=("no Open with")
  map_default=$(reg_value "$root\\Software\\Classes\\.map" /ve)
  user_path=$(reg_value 'HKCU\Environment' /v Path)
  case $options in
    *SetDefault*) [ "$map_default" = Quillon.MapFile ] || problems+=("not the default for .map files") ;;
    *) [ "$map_default" != Quillon.MapFile ] || problems+=("the default for .map files, unasked") ;;
  esac
  case $options in
    *AddToPath*) [[ ";$user_path;" == *";$location;"* ]] || problems+=("not on the PATH") ;;
    *) [ "$user_path" = "$user_path_before" ] || problems+=("the PATH changed, unasked") ;;
  esac
  find "$WINEPREFIX/drive_c" -path '*/Start Menu/Programs/Quillon.lnk' | grep -q . || problems+=("no Start menu entry")
  installed_exit=0
  env -u WINEPATH wine "$installed/quillon-cli.exe" report "$(to_windows "$sample_map")" \
    --search-dir "$(to_windows "$(dirname "$sample_map")")" --format json --symbols >"$out/installed.json" 2>/dev/null ||
    installed_exit=$?
  "$linux_cli" report "$sample_map" --search-dir "$(dirname "$sample_map")" --format json --symbols >"$out/linux.json" 2>/dev/null || true
  cmp -s <(without_map "$out/linux.json") <(without_map "$out/installed.json") && [ $installed_exit -eq 0 ] ||
    problems+=("the installed quillon-cli's JSON differs from Linux's")
  rm -f "$out/installed.json" "$out/linux.json"
  wine "$installed/uninstall.exe" /S || problems+=("the uninstaller failed")
  # The uninstaller runs from a copy of itself and returns at once.
  wineserver -w
  [ "$(traces)" = "$traces_before" ] || { problems+=("traces left"); diff <(echo "$traces_before") <(traces) | sed 's/^/      /' | head -20; }
  [ "$(reg_value 'HKCU\Environment' /v Path)" = "$user_path_before" ] || problems+=("the PATH is not as it was")
  if [ ${#problems[@]} -gt 0 ]; then
    printf '    %s\n' "${problems[@]}"
    failures+=("the installer /S $options")
  else
    echo "    files, Start menu entry, registry keys and the JSON as they should be; uninstalled without a trace"
  fi
done

step "quillon.exe on the sample, under Wine and Xvfb"
screenshot=$out/quillon-wine.png
registry=$out/quillon-registry.txt
sample=$source_dir/examples/sample
# Named before the Wine server goes: winepath would start a new one, without a display.
program_args=("$dist/quillon.exe" "$(to_windows "$sample/SampleApp.map")" "$(to_windows "$sample")")
# A Wine server left from the tests has no display: the window needs one started under Xvfb. The
# old one must be gone first, or the program connects to it and its window lands on no display.
# The window opens where it was designed, not where an earlier run of the script left it.
wine reg delete "HKCU\\Software\\Brackwell\\Quillon" /f >/dev/null 2>&1 || true
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
window_geometry=$out/quillon-window.txt
rm -f "$window_geometry"
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
  [ -n "$window" ] && xwininfo -id "$window" |
    sed -n "s/^ *Absolute upper-left [XY]: *//p; s/^ *Width: *//p; s/^ *Height: *//p" | tr "\n" " " >"$6"
  # Closed as a user closes it, the window stores its place and its fields in the registry.
  wine taskkill /im quillon.exe >/dev/null 2>&1
  for _ in $(seq 1 30); do kill -0 "$program" 2>/dev/null || break; sleep 1; done
  wine reg query "HKCU\\Software\\Brackwell\\Quillon" /s >"$5" 2>&1
  wineserver -k
  [ -n "$window" ]' _ "${program_args[@]}" "$screenshot" "$registry" "$window_geometry" &&
  echo "Screenshot: $screenshot" || failures+=("the window under Wine")
# The whole window lies on the 1100 x 760 screen, so the screenshot shows all of it.
read -r window_x window_y window_width window_height _ <"$window_geometry" 2>/dev/null || true
echo "The window: ${window_width:-?} x ${window_height:-?} at ${window_x:-?}, ${window_y:-?} on the 1100 x 760 screen"
if [ -z "${window_height:-}" ] || [ "$window_x" -lt 0 ] || [ "$window_y" -lt 0 ] ||
  [ $((window_x + window_width)) -gt 1100 ] || [ $((window_y + window_height)) -gt 760 ]; then
  failures+=("the window within the screen")
fi
if grep -q "FEMapFile" "$registry"; then
  echo "Stored in HKEY_CURRENT_USER\\Software\\Brackwell\\Quillon:"
  tr -d '\r' <"$registry" | sed -n 's/^ \{4\}/  /p'
else
  cat "$registry" 2>/dev/null || true
  failures+=("the settings in the registry")
fi

step "The crash handler of quillon.exe under Wine: a deliberate access violation"
# The processor's fault goes through the system exception handler into the log and the crash
# report dialog, as an exception nobody handled does; closing the dialog ends the program with 1.
crash_screenshot=$out/quillon-crash-wine.png
error_log=$(find "$WINEPREFIX/drive_c/users" -path '*/AppData/Local/Brackwell/Quillon/error.log' -print -quit)
log_lines_before=0
[ -n "$error_log" ] && log_lines_before=$(wc -l <"$error_log")
crash_exit=0
env -u WINEPATH QUILLON_TEST_FAULT=access-violation xvfb-run -a -s "-screen 0 1100x760x24" bash -c '
  wine "$1" &
  program=$!
  dialog=""
  for _ in $(seq 1 90); do
    # Its caption as the system language gives it: French as designed, English otherwise.
    dialog=$(xwininfo -root -tree | sed -n -E "s/^ *(0x[0-9a-f]*) \"(Rapport d.erreur|Error report)\".*/\1/p" | sed -n 1p)
    [ -n "$dialog" ] && break
    sleep 1
  done
  [ -n "$dialog" ] && sleep 2 && xwd -silent -id "$dialog" | xwdtopnm 2>/dev/null | pnmtopng >"$2"
  wine taskkill /im quillon.exe >/dev/null 2>&1
  wait "$program"
  status=$?
  wineserver -k
  [ -n "$dialog" ] || exit 100
  exit $status' _ "$dist/quillon.exe" "$crash_screenshot" || crash_exit=$?
error_log=$(find "$WINEPREFIX/drive_c/users" -path '*/AppData/Local/Brackwell/Quillon/error.log' -print -quit)
if [ "$crash_exit" -eq 100 ]; then
  echo "  No crash report dialog appeared."
  failures+=("the crash handler")
elif [ "$crash_exit" -ne 1 ] || [ -z "$error_log" ] ||
  ! tail -n +"$((log_lines_before + 1))" "$error_log" | grep -q "Access violation"; then
  echo "  Exit code $crash_exit; the log ${error_log:-is missing}:"
  [ -n "$error_log" ] && tail -n +"$((log_lines_before + 1))" "$error_log" | tr -d '\r' | head -5
  failures+=("the crash handler")
else
  echo "  The crash report dialog showed ($crash_screenshot), the program ended with 1, and the log says:"
  tail -n +"$((log_lines_before + 1))" "$error_log" | tr -d '\r' | grep -m1 "Access violation" | cut -c1-160 | sed 's/^/    /'
fi

echo
echo "Whole script: $((SECONDS - script_start)) s"
if [ ${#failures[@]} -gt 0 ]; then
  printf 'Failed under Wine: %s\n' "${failures[@]}"
  exit 1
fi
echo "Everything tried under Wine passed."
