#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer + UndefinedBehaviorSanitizer) and runs
# each for a bounded time on a copy of its seed corpus, after replaying the inputs that once
# made it fail. Prints the executions per target; fails on any crash, hang or broken check, and
# when there is nothing to fuzz (no target declared, a target not built or running no input).
# The targets are those fuzz/CMakeLists.txt declares with tarnixw_add_fuzzer.
#
#   tools/fuzz.sh [SECONDS_PER_TARGET]        (default 30)
#   FUZZ_BUILD_DIR  build tree (default build-fuzz)
#   FUZZ_JOBS       targets fuzzed side by side (default: 2, at most the number of cores)
set -uo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh || exit 1
seconds="${1:-30}"
build="${FUZZ_BUILD_DIR:-build-fuzz}"
cores="$(nproc)"
jobs="${FUZZ_JOBS:-$((cores < 2 ? cores : 2))}"
mapfile -t targets < <(sed -n 's/^tarnixw_add_fuzzer(\([A-Za-z0-9_]*\).*/\1/p' fuzz/CMakeLists.txt)
if [ ${#targets[@]} -eq 0 ]; then
  echo "fuzz: fuzz/CMakeLists.txt declares no target (tarnixw_add_fuzzer): nothing to fuzz"
  exit 1
fi
command -v clang++ >/dev/null || { echo "fuzz: clang++ is missing (tools/install-deps.sh installs clang)"; exit 1; }

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DTARNIXW_GUI=OFF -DTARNIXW_FUZZ=ON >/dev/null || exit 1
cmake --build "$build" --target "${targets[@]}" -j"$jobs" >/dev/null \
  || { cmake --build "$build" --target "${targets[@]}" -j1 2>&1 | tail -40; exit 1; }
for t in "${targets[@]}"; do
  [ -x "$build/fuzz/$t" ] || { echo "fuzz: $build/fuzz/$t was not built"; exit 1; }
done

export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"
work="$(mktemp -d "${TMPDIR:-/tmp}/tarnixw-fuzz.XXXXXX")"
trap 'rm -rf "$work"' EXIT
artifacts="$build/fuzz-artifacts"
mkdir -p "$artifacts"

# The committed regressions first: each must now pass.
failed=0
for t in "${targets[@]}"; do
  regressions=(fuzz/regressions/"$t"/*)
  [ -e "${regressions[0]}" ] || continue
  if ! "$build/fuzz/$t" "${regressions[@]}" >"$work/$t.regressions.log" 2>&1; then
    echo "$t: a committed regression input fails again"
    tail -30 "$work/$t.regressions.log"
    failed=1
  fi
done

run() {
  local t="$1"
  local extra=()
  [ "$t" = fuzz_link_answer ] && extra+=(-max_len=4096) # room for answers beyond the 2048-byte buffer
  mkdir -p "$work/corpus/$t"
  [ -d "fuzz/corpus/$t" ] && cp -r "fuzz/corpus/$t/." "$work/corpus/$t/"
  "$build/fuzz/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$artifacts/$t-" "${extra[@]}" "$work/corpus/$t" >"$work/$t.log" 2>&1
  echo $? >"$work/$t.rc"
}

running=0
for t in "${targets[@]}"; do
  run "$t" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait -n
    running=$((running - 1))
  fi
done
wait

for t in "${targets[@]}"; do
  rc="$(cat "$work/$t.rc" 2>/dev/null || echo 1)"
  execs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$t.log" | tail -1)"
  printf '%-18s %10s executions in %ss' "$t" "${execs:-?}" "$seconds"
  if [ "$rc" -ne 0 ]; then
    echo "  FAILED (artifacts in $artifacts)"
    grep -E "FUZZ CHECK FAILED|ERROR:|runtime error|SUMMARY" "$work/$t.log" | head -5
    grep -E "^ +#[0-9]+ " "$work/$t.log" | head -12
    failed=1
  elif ! [[ "${execs:-}" =~ ^[0-9]+$ ]] || [ "$execs" -eq 0 ]; then
    echo "  FAILED: no input was run"
    tail -5 "$work/$t.log"
    failed=1
  else
    echo "  ok"
  fi
done
exit $failed
