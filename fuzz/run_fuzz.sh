#!/usr/bin/env bash
# Builds the libFuzzer target (preset "fuzz", clang) and fuzzes the import.
#   fuzz/run_fuzz.sh SECONDS [libFuzzer options...]
# The working corpus grows in build/fuzz-run/corpus (seeded from fuzz/corpus and
# fuzz/regressions); findings land in build/fuzz-run/findings/; the log is
# build/fuzz-run/fuzz-0.log. The committed corpus is never written.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:?usage: fuzz/run_fuzz.sh SECONDS [libFuzzer options...]}
shift

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "${TESSARO_JOBS:-2}"

run=build/fuzz-run
mkdir -p "$run/corpus" "$run/findings"
cd "$run"
seeds=(../../fuzz/corpus)
[ -d ../../fuzz/regressions ] && seeds+=(../../fuzz/regressions)
# -jobs=1 runs the fuzzer in a child that logs to fuzz-0.log and survives a finding's
# report; -fork is not used, so the machine's second core stays free.
ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:allocator_may_return_null=0} \
UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1} \
../fuzz/fuzz/tessaro-fuzz \
  -jobs=1 -workers=1 \
  -max_total_time="$seconds" \
  -dict=../../fuzz/tessaro.dict \
  -max_len=16384 \
  -timeout=20 \
  -rss_limit_mb=2048 \
  -malloc_limit_mb=256 \
  -print_final_stats=1 \
  -artifact_prefix=findings/ \
  "$@" \
  corpus "${seeds[@]}"
