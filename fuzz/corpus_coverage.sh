#!/usr/bin/env bash
# The line coverage that replaying corpora reaches, per folder of the module and in all,
# measured with clang's source-based coverage (clang, llvm-profdata, llvm-cov: Debian
# clang-14 llvm-14). Builds tessaro-fuzz-replay with coverage in build/fuzz-coverage and
# replays each folder through the export target (import and both exports).
#   fuzz/corpus_coverage.sh [FOLDER...]     default: fuzz/corpus fuzz/grown fuzz/regressions
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/fuzz-coverage
folders=("$@")
if [ ${#folders[@]} -eq 0 ]; then
  for f in fuzz/corpus fuzz/grown fuzz/regressions; do
    [ -d "$f" ] && [ -n "$(ls -A "$f")" ] && folders+=("$f")
  done
fi
flags="-fprofile-instr-generate -fcoverage-mapping"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
  -DTESSARO_TEST_AREAS=fuzz >/dev/null
cmake --build "$build" -j "${TESSARO_JOBS:-2}" --target tessaro-fuzz-replay

rm -f "$build"/replay-*.profraw
LLVM_PROFILE_FILE="$build/replay-%p.profraw" "$build/fuzz/tessaro-fuzz-replay" --export "${folders[@]}"
llvm-profdata merge -sparse "$build"/replay-*.profraw -o "$build/replay.profdata"

module=(base hostkit model module reader builder instruments effects presets)
echo "line coverage of the module reached by: ${folders[*]}"
for folder in "${module[@]}" "${module[*]}"; do
  sources=()
  for f in $folder; do sources+=("$PWD/$f"); done
  total=$(llvm-cov report "$build/fuzz/tessaro-fuzz-replay" -instr-profile="$build/replay.profdata" \
            "${sources[@]}" | grep '^TOTAL')
  # TOTAL regions missed cover functions missed executed lines missed cover ...
  read -r _ _ _ _ _ _ _ lines missed cover _ <<<"$total"
  label=$folder
  [ "$folder" = "${module[*]}" ] && label="all of them"
  printf '  %-12s %6s of %6s lines  %s\n' "$label" "$((lines - missed))" "$lines" "$cover"
done
