#!/usr/bin/env bash
# Sets up a fresh machine and builds the project.
#   scripts/bootstrap.sh example   install what is missing, build, import the demo project
#   scripts/bootstrap.sh test      install what is missing, build and run every test in the
#                                  default and the sanitizer build, then cross-build the
#                                  Windows DLL and run its tests under Wine
#                                  (TESSARO_WINDOWS=0 leaves the Windows part out)
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-}
case "$mode" in
  example|test) ;;
  *) echo "usage: $0 example|test" >&2; exit 2 ;;
esac

packages=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev googletest
          libsndfile1-dev libsoxr-dev nlohmann-json3-dev libcli11-dev)
# The Windows part: MinGW-w64 cross compiler (posix threads) and Wine (scripts/windows-tests.sh).
windows=0
if [ "$mode" = test ] && [ "${TESSARO_WINDOWS:-1}" != 0 ]; then
  windows=1
  packages+=(g++-mingw-w64-x86-64-posix wine64 wine)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

jobs=$(nproc)

build() {
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1" -j "$jobs"
}

if [ "$mode" = example ]; then
  build default
  cmake --build --preset default --target example
  ./build/default/tools/import/tessaro-import build/default/examples/Demo/Demo.tsp \
    --json build/default/examples/Demo/report.json
  echo "Report written to build/default/examples/Demo/report.json"
  exit 0
fi

status=0
for preset in default asan; do
  echo "=== $preset build ==="
  build "$preset"
  ctest --preset "$preset" -j "$jobs" || status=1
done
if ((windows)); then
  echo "=== windows build (MinGW-w64, tests under Wine) ==="
  bash scripts/windows-tests.sh || status=1
fi
exit $status
