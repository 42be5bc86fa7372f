#!/usr/bin/env bash
# The Windows x64 module: cross-built with MinGW-w64 (preset "windows"), its export and
# import tables checked, and its test programs run under Wine, headless.
#   scripts/windows-tests.sh             build and test (the tools must be installed)
#   scripts/windows-tests.sh --install   first install what is missing (apt-get)
# scripts/bootstrap.sh test runs this after the Linux builds. The Wine prefix lives in a
# fresh folder under /tmp and is removed at the end, with the Wine server it started.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(g++-mingw-w64-x86-64-posix wine64 wine googletest cmake ninja-build)
if [ "${1:-}" = --install ]; then
  bash scripts/install-missing.sh "${packages[@]}"
fi

for tool in x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-objdump wine wineserver cmake ninja; do
  command -v "$tool" >/dev/null || {
    echo "windows-tests: $tool is missing (run scripts/windows-tests.sh --install)" >&2
    exit 1
  }
done

jobs=$(nproc)
((jobs <= 2)) || jobs=2
build_dir=build/windows

# Wine, headless and quiet, in a prefix of its own.
WINEPREFIX=$(mktemp -d /tmp/tessaro-wine.XXXXXX)
export WINEPREFIX WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=C.UTF-8
unset DISPLAY WAYLAND_DISPLAY
wine_log=$WINEPREFIX.log
finish() {
  local status=$?
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX" "$wine_log"
  exit $status
}
trap finish EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

echo "--- configure and build (MinGW-w64, x86_64) ---"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"

echo "--- Wine prefix $WINEPREFIX ---"
# A persistent server and an initialised prefix first: otherwise every test program waits
# for Wine's start-up and background processes on its own.
start_wine() {
  wineserver -p && timeout 600 wine wineboot --init >"$wine_log" 2>&1
}
if ! start_wine; then
  echo "windows-tests: wineboot --init failed; once more with a fresh prefix:" >&2
  cat "$wine_log" >&2
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX" && mkdir -m 700 "$WINEPREFIX"
  if ! start_wine; then
    echo "windows-tests: wineboot --init failed again:" >&2
    cat "$wine_log" >&2
    exit 1
  fi
fi

echo "--- tests under Wine ---"
find "$build_dir" -name '*.exe.log' -delete
status=0
ctest --preset windows -j "$jobs" || status=1

# Every test program must have left GoogleTest's summary with at least one test passed;
# count what ran.
programs=0
tests=0
while IFS= read -r log; do
  programs=$((programs + 1))
  passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\{0,1\}\.$/\1/p' "$log" | tail -n 1)
  if [ -z "$passed" ]; then
    echo "windows-tests: no GoogleTest summary in $log" >&2
    status=1
  elif ((passed == 0)); then
    echo "windows-tests: no test ran in $log" >&2
    status=1
  else
    tests=$((tests + passed))
  fi
done < <(find "$build_dir" -name '*.exe.log' | sort)
if ((programs == 0)); then
  echo "windows-tests: no Windows test program ran" >&2
  status=1
fi

if ((status == 0)); then
  echo "Windows (x64 DLL under Wine): $tests tests passed in $programs test programs; export and import tables checked"
else
  echo "Windows (x64 DLL under Wine): FAILED ($tests tests passed in $programs test programs)" >&2
fi
exit $status
