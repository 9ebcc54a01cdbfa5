#!/usr/bin/env bash
# Installs with apt-get what is missing for one use of the clone. Safe to run again:
# installed packages are skipped.
#
#   scripts/install-deps.sh            everything scripts/test.sh (and so CI) needs: the build,
#                                      the tests, sanitizers, fuzzing, benchmarks, the package
#   scripts/install-deps.sh --demo     what scripts/run.sh needs: the program and the
#                                      simulator, their fonts, network namespaces
#   scripts/install-deps.sh --package  what building the program and its .deb needs
set -euo pipefail

# The program needs a compiler, CMake, Qt and libpq (the line database's client); its window
# is laid out for DejaVu Sans.
program=(g++ cmake ninja-build pkg-config qt6-base-dev libgl-dev libxkbcommon-dev libpq-dev
  fonts-dejavu-core)
# cpack's DEB generator finds the libraries with file and dpkg-shlibdeps.
package=(dpkg-dev file)

case ${1:-} in
  --demo) packages=("${program[@]}" iproute2) ;;
  --package) packages=("${program[@]}" "${package[@]}") ;;
  "")
    packages=("${program[@]}" "${package[@]}"
      clang libclang-rt-14-dev clang-format clang-tidy
      libgtest-dev libgmock-dev libbenchmark-dev
      postgresql iproute2 procps nftables ufw
      lintian appstream desktop-file-utils)
    ;;
  *)
    echo "usage: $0 [--demo | --package]" >&2
    exit 2
    ;;
esac

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
  if ! command -v sudo >/dev/null; then
    echo "Missing packages: ${missing[*]}; install them as root (there is no sudo)." >&2
    exit 1
  fi
  sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
