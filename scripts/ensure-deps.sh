#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build, run and test Quillon.
# As root it runs apt-get; otherwise it prints the one command to run and fails.
packages=(cmake g++ make qt6-base-dev libgl-dev libgtest-dev libgmock-dev libbenchmark-dev
          clang libclang-rt-14-dev xvfb xauth fonts-dejavu-core chromium desktop-file-utils dpkg-dev
          groff-base)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -eq 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq && apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
else
  echo "Missing packages. Run:"
  echo "  sudo apt-get install -y ${missing[*]}"
  false
fi
