#!/usr/bin/env bash
# Builds everything and runs every test: unit, widgets (offscreen), net (loopback), e2e
# (network namespaces, needs root), the unit, widget and net tests again under AddressSanitizer
# and UndefinedBehaviorSanitizer, and a short run of each fuzzer. Checks the formatting and the
# naming rules of the logic first. Makes the .deb and checks it without installing it: its
# contents, lintian (errors fail, and so do missing hardening and an unstripped .comment), the
# metainfo and menu entry, and the program it unpacks to.
#
#   VELLORA_FUZZ_SECONDS   seconds per fuzzer (default 60, 0 skips fuzzing)
#   VELLORA_BUILD_ROOT     where the build trees go (default ./build)
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

root=${VELLORA_BUILD_ROOT:-build}
fuzz_seconds=${VELLORA_FUZZ_SECONDS:-60}
jobs=$(nproc)

step() { printf '\n=== %s ===\n' "$*"; }

step "Formatting"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

step "Build (warnings are errors)"
cmake -S . -B "$root/ci" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELLORA_WERROR=ON
cmake --build "$root/ci" -j "$jobs"

step "Naming rules of the logic"
# The build may pass GCC-only warning flags that clang does not know.
run-clang-tidy -p "$root/ci" -quiet -j "$jobs" -extra-arg=-Wno-unknown-warning-option \
  '/(protocol|udp|gateway|terminal|line|station|dialog|app|cli)/[^/]+\.cpp$' \
  >"$root/ci/clang-tidy.log" 2>&1 || { cat "$root/ci/clang-tidy.log"; exit 1; }

step "Unit, widget and loopback tests"
ctest --test-dir "$root/ci" -L 'unit|widgets|net' -j "$jobs" --output-on-failure

step "End-to-end tests in network namespaces"
ctest --test-dir "$root/ci" -L e2e --output-on-failure

step "Debian package"
rm -f "$root"/ci/vellora_*.deb
(cd "$root/ci" && cpack -G DEB)
deb=$(echo "$root"/ci/vellora_*.deb)
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb"
lintian --fail-on error --display-info "$deb"
# Every program hardened (FORTIFY, BIND_NOW) and without a .comment section.
lintian --tags hardening-no-fortify-functions,hardening-no-bindnow,binary-has-unneeded-section \
  --fail-on info "$deb"
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg -x "$deb" "$unpacked"
appstreamcli validate --no-net "$unpacked"/usr/share/metainfo/*.metainfo.xml
desktop-file-validate "$unpacked"/usr/share/applications/vellora.desktop
"$unpacked"/usr/bin/vellora --version
"$unpacked"/usr/bin/vellora-cli --version

step "Unit, widget and loopback tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B "$root/asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELLORA_WERROR=ON \
  -DVELLORA_SANITIZE=ON -DVELLORA_BENCH=OFF
cmake --build "$root/asan" -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir "$root/asan" -L 'unit|widgets|net' -j "$jobs" --output-on-failure

if [[ $fuzz_seconds -gt 0 ]]; then
  step "Fuzzing, ${fuzz_seconds} s per target"
  cmake -S . -B "$root/fuzz" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELLORA_WERROR=ON -DVELLORA_FUZZ=ON -DVELLORA_GUI=OFF -DVELLORA_TESTS=OFF
  cmake --build "$root/fuzz" -j "$jobs"
  for fuzzer in "$root"/fuzz/fuzz/*_fuzz; do
    name=$(basename "$fuzzer" _fuzz)
    corpus="$root/fuzz/corpus-$name"
    mkdir -p "$corpus"
    [[ -d fuzz/corpus/$name ]] && cp -n fuzz/corpus/"$name"/* "$corpus"/ 2>/dev/null || true
    "$fuzzer" -max_total_time="$fuzz_seconds" -max_len=4096 -print_final_stats=1 \
      -artifact_prefix="$root/fuzz/crash-$name-" "$corpus" 2>&1 | tail -n 12
  done
fi

step "All tests passed"
