#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz", clang) and fuzzes the import, or with
# --export the import and both exports.
#   fuzz/run_fuzz.sh [--export] SECONDS [libFuzzer options...]
# The working corpus grows in build/fuzz-run/corpus (build/fuzz-run-export/ with --export),
# seeded from fuzz/corpus, fuzz/grown and fuzz/regressions; findings land in findings/ there;
# the log is fuzz-0.log there. The committed corpora are never written.
set -euo pipefail
cd "$(dirname "$0")/.."

program=tessaro-fuzz
run=build/fuzz-run
if [ "${1:-}" = --export ]; then
  program=tessaro-fuzz-export
  run=build/fuzz-run-export
  shift
fi
seconds=${1:?usage: fuzz/run_fuzz.sh [--export] SECONDS [libFuzzer options...]}
shift

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "${TESSARO_JOBS:-2}" --target "$program"

mkdir -p "$run/corpus" "$run/findings"
cd "$run"
seeds=(../../fuzz/corpus)
for more in ../../fuzz/grown ../../fuzz/regressions; do
  [ -d "$more" ] && [ -n "$(ls -A "$more")" ] && seeds+=("$more")
done
# -jobs=1 runs the fuzzer in a child that logs to fuzz-0.log and survives a finding's
# report; -fork is not used, so the machine's second core stays free.
ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:allocator_may_return_null=0} \
UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1} \
../fuzz/fuzz/$program \
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
