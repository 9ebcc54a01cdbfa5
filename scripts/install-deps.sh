#!/usr/bin/env bash
# Installs with apt-get whatever the build, the program and the tests need and is missing.
# Safe to run again: installed packages are skipped.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  clang libclang-rt-14-dev clang-format clang-tidy
  qt6-base-dev libgl-dev libxkbcommon-dev fonts-dejavu-core
  libgtest-dev libgmock-dev libbenchmark-dev
  iproute2 procps nftables
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

sudo=()
if [[ $(id -u) -ne 0 ]]; then
  sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
