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

# The report's rows: file (relative to the sources' common folder), regions, missed,
# cover, functions, missed, executed, lines, missed lines, ...; summed per module folder.
echo "line coverage of the module reached by: ${folders[*]}"
llvm-cov report "$build/fuzz/tessaro-fuzz-replay" -instr-profile="$build/replay.profdata" |
  awk '
    BEGIN { n = split("base hostkit model module reader builder instruments effects presets", order, " ")
            for (i = 1; i <= n; ++i) module[order[i]] = 1 }
    { split($1, part, "/") }
    part[1] in module && NF >= 10 { lines[part[1]] += $8; missed[part[1]] += $9 }
    END {
      for (i = 1; i <= n; ++i) {
        f = order[i]; all += lines[f]; allMissed += missed[f]
        printf "  %-12s %6d of %6d lines  %6.2f%%\n", f, lines[f] - missed[f], lines[f], 100 * (lines[f] - missed[f]) / lines[f]
      }
      printf "  %-12s %6d of %6d lines  %6.2f%%\n", "the module", all - allMissed, all, 100 * (all - allMissed) / all
    }'
