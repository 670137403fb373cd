#!/usr/bin/env bash
# Lints the project's own code: clang-format (the committed .clang-format) and clang-tidy (the
# committed .clang-tidy) over app/, words/, values/, link/, model/, kit/, vyr/, plix/, cli/, sim/, tools/,
# bench/, fuzz/ and tests/.
#   tools/lint.sh [build dir with compile_commands.json]   (default: build)
# Fails when a tool is missing or when it finds no file to lint: nothing checked proves nothing.
set -uo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh || exit 1
build="${1:-build}"
rc=0

for tool in git clang-format clang-tidy; do
  command -v "$tool" >/dev/null || { echo "lint: $tool is missing (tools/install-deps.sh installs it)"; exit 1; }
done
if ! tracked="$(git ls-files '*.cpp' '*.h' 2>&1)"; then
  echo "lint: git ls-files failed: $tracked"
  exit 1
fi
mapfile -t sources < <(grep -E '^(app|words|values|link|model|kit|vyr|plix|cli|sim|tools|bench|fuzz|tests)/' <<<"$tracked")
if [ ${#sources[@]} -eq 0 ]; then
  echo "lint: git lists no C++ file to lint"
  exit 1
fi
echo "== clang-format: ${#sources[@]} files"
if ! clang-format --dry-run --Werror "${sources[@]}" 2>/tmp/tarnixw-format.log; then
  head -40 /tmp/tarnixw-format.log
  echo "clang-format: files are not formatted (run: clang-format -i \$(git ls-files '*.cpp' '*.h'))"
  rc=1
fi

if [ ! -f "$build/compile_commands.json" ]; then
  echo "clang-tidy: no $build/compile_commands.json (configure the build first)"
  exit 1
fi
# Only what this build compiles: the Windows files (Win*.cpp) belong to tools/windows.sh's.
mapfile -t units < <(printf '%s\n' "${sources[@]}" | grep -E '\.cpp$' | grep -E '^(app|words|values|link|model|kit|vyr|plix|cli|sim)/' |
  while read -r f; do grep -q "\"file\": \"$PWD/$f\"" "$build/compile_commands.json" && echo "$f"; done)
echo "== clang-tidy: ${#units[@]} translation units"
if [ ${#units[@]} -eq 0 ]; then
  echo "clang-tidy: $build/compile_commands.json compiles none of the project's files"
  exit 1
fi
printf '%s\n' "${units[@]}" | xargs -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet 2>/dev/null >/tmp/tarnixw-tidy.log
tidy_rc=$?
if [ $tidy_rc -ne 0 ] || grep -q 'error:' /tmp/tarnixw-tidy.log; then
  grep -E 'error:|warning:' -A3 /tmp/tarnixw-tidy.log | head -80
  echo "clang-tidy: findings above"
  rc=1
else
  echo "clang-tidy: clean"
fi
exit $rc
