#!/usr/bin/env bash
# Sets up a fresh machine and builds the project.
#   scripts/bootstrap.sh example   install what is missing, build, import the demo project,
#                                  export it (DAWproject, Standard MIDI File, its page) and
#                                  render it
#   scripts/bootstrap.sh test      install what is missing (Chromium for the view's tests
#                                  too), build and run every test in the default and the
#                                  sanitizer build and the threaded tests under
#                                  ThreadSanitizer, then cross-build the
#                                  Windows DLL and run its tests under Wine
#                                  (TESSARO_WINDOWS=0 leaves the Windows part out), and
#                                  fuzz the import for 60 s where clang with libFuzzer
#                                  is installed (TESSARO_FUZZ_SECONDS=0 leaves it out)
#   scripts/bootstrap.sh coverage  install what is missing, build with gcc's coverage
#                                  counters, run every test, print line and branch
#                                  coverage per folder and fail below the floors
#                                  (scripts/coverage.py); not part of the tests
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-}
case "$mode" in
  example|test|coverage) ;;
  *) echo "usage: $0 example|test|coverage" >&2; exit 2 ;;
esac

packages=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev googletest
          libsndfile1-dev libsoxr-dev nlohmann-json3-dev libcli11-dev libxml2-dev libzip-dev
          libfluidsynth-dev timgm6mb-soundfont  # the render: FluidSynth and the small soundfont
          dpkg-dev file)  # dpkg-shlibdeps and file: the .deb's dependencies (CPack)
# The view's tests open its pages in headless Chromium (skipped where it is missing).
if [ "$mode" = test ]; then
  packages+=(chromium)
fi
# The Windows part: MinGW-w64 cross compiler (posix threads) and Wine (scripts/windows-tests.sh).
windows=0
if [ "$mode" = test ] && [ "${TESSARO_WINDOWS:-1}" != 0 ]; then
  windows=1
  packages+=(g++-mingw-w64-x86-64-posix wine64 wine)
fi
[ "$mode" = coverage ] && packages+=(gcovr)
bash scripts/install-missing.sh "${packages[@]}"

jobs=$(nproc)

build() {
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1" -j "$jobs"
}

if [ "$mode" = example ]; then
  # Only what the example runs: the command, the module and the demo project.
  cmake --preset default >/dev/null
  cmake --build --preset default -j "$jobs" --target tessaro-import example
  demo=build/default/examples/Demo
  ./build/default/tools/import/tessaro-import $demo/Demo.tsp --json $demo/report.json \
    --dawproject $demo/Demo.dawproject --midi $demo/Demo.mid --html $demo/Demo.html \
    --render $demo/Demo.wav
  echo "Report written to $demo/report.json, the song to $demo/Demo.dawproject, $demo/Demo.mid" \
    "and $demo/Demo.wav, its page to $demo/Demo.html"
  exit 0
fi

if [ "$mode" = coverage ]; then
  # The tests that run the command under a file-size limit are left out (the preset's
  # filter): the limit would cut the counters it writes at its exit.
  build coverage
  find build/coverage -name '*.gcda' -delete
  ctest --preset coverage -j "$jobs" || echo "(some tests failed; coverage is of the run as it went)"
  gcovr --root . --object-directory build/coverage --exclude-throw-branches \
    --exclude-unreachable-branches --exclude 'tests/' --exclude 'build/' --exclude 'bench/' \
    --exclude 'fuzz/' --json-summary build/coverage/summary.json --print-summary
  exec python3 scripts/coverage.py build/coverage/summary.json
fi

status=0
# tsan builds and runs only the threaded tests (tests/threads).
for preset in default asan tsan; do
  echo "=== $preset build ==="
  build "$preset"
  ctest --preset "$preset" -j "$jobs" || status=1
done
if ((windows)); then
  echo "=== windows build (MinGW-w64, tests under Wine) ==="
  bash scripts/windows-tests.sh || status=1
fi

# Fuzzing: the corpus is replayed under ctest above; where clang with libFuzzer is present,
# a short fuzzing run of the import as well (fuzz/run_fuzz.sh, preset "fuzz").
# TESSARO_FUZZ_SECONDS=0 leaves it out.
fuzz_seconds=${TESSARO_FUZZ_SECONDS:-60}
if [ "$fuzz_seconds" != 0 ]; then
  fuzz_probe=$(mktemp -d)
  echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' \
    > "$fuzz_probe/probe.cpp"
  if command -v clang++ >/dev/null &&
     clang++ -fsanitize=fuzzer "$fuzz_probe/probe.cpp" -o "$fuzz_probe/probe" 2>/dev/null; then
    echo "=== fuzz ($fuzz_seconds s) ==="
    rm -rf build/fuzz-run
    if TESSARO_JOBS=$jobs bash fuzz/run_fuzz.sh "$fuzz_seconds" &&
       [ -z "$(ls -A build/fuzz-run/findings)" ]; then
      grep -E "^#[0-9]+ +DONE" build/fuzz-run/fuzz-0.log || true
    else
      status=1
      tail -n 60 build/fuzz-run/fuzz-0.log || true
    fi
  else
    echo "=== fuzz: skipped (no clang with libFuzzer) ==="
  fi
  rm -rf "$fuzz_probe"
fi
exit $status
