#!/usr/bin/env bash
# Holds the words the user reads in one place, marked for translation:
#
#   - Qt's lupdate, run on words/, must find as many source texts as words/ makes tr() calls
#     (and at least one): a text not marked, or marked so that lupdate cannot read it (a text
#     that is no literal), would never be translated;
#   - each of the texts every front end shows ("Read Done.", "Device No Response !!", the port
#     errors, ...) is typed as a string literal on at most one line of the program's own code
#     (words/, values/, link/, model/, kit/, vyr/, plix/, app/, cli/, sim/; comments do not count):
#     a second copy is a text that a translation, or a change of wording, would miss.
#
# Prints what it finds, and fails when a check fails or when it finds nothing to check (no
# lupdate, not a checkout, no file).
set -uo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh || exit 1

lupdate="${LUPDATE:-/usr/lib/qt6/bin/lupdate}"
if [ ! -x "$lupdate" ]; then
  echo "words: no lupdate at $lupdate (tools/install-deps.sh installs qt6-l10n-tools; LUPDATE names another)"
  exit 1
fi
for tool in git perl; do
  command -v "$tool" >/dev/null || { echo "words: $tool is missing"; exit 1; }
done
failures=0

# ---- Every text marked: lupdate's count against the translate calls.
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
if ! "$lupdate" -no-obsolete -locations none words -ts "$scratch/words.ts" >"$scratch/lupdate.log" 2>&1; then
  cat "$scratch/lupdate.log"
  echo "words: lupdate failed"
  exit 1
fi
found="$(grep -c '<source>' "$scratch/words.ts")"
# The calls in the code, not in its comments.
calls="$(cat words/*.h words/*.cpp | perl -0777 -ne 's{//[^\n]*}{}g; s{/\*.*?\*/}{}gs; my $n = () = /\btr\s*\(/g; print $n')"
if grep -qi 'warning\|error' "$scratch/lupdate.log"; then
  cat "$scratch/lupdate.log"
  echo "words: lupdate complained about words/"
  failures=$((failures + 1))
fi
if [ "$calls" -eq 0 ]; then
  echo "words: words/ makes no tr() call"
  failures=$((failures + 1))
elif [ "$found" -ne "$calls" ]; then
  echo "words: lupdate found $found source texts in words/, words/ makes $calls tr() calls"
  failures=$((failures + 1))
else
  echo "words: lupdate found all $found texts of words/"
fi

# ---- The shared texts typed once.
if ! tracked="$(git ls-files --cached --others --exclude-standard \
  'words/*' 'values/*' 'link/*' 'model/*' 'kit/*' 'vyr/*' 'plix/*' 'app/*' 'cli/*' 'sim/*' 2>&1)"; then
  echo "words: git ls-files failed: $tracked"
  exit 1
fi
mapfile -t files < <(grep -E '\.(cpp|h)$' <<<"$tracked" | while read -r f; do [ -f "$f" ] && echo "$f"; done)
if [ ${#files[@]} -eq 0 ]; then
  echo "words: git lists no source file in words/, values/, link/, model/, kit/, vyr/, plix/, app/, cli/ or sim/"
  exit 1
fi
# Every string literal of the code, one "file:line: text" a line; comments, character literals
# and the quotes of #include lines are left out.
perl -ne '
  next if /^\s*#\s*include/;
  my $line = $_;
  my @literals;
  while (length $line) {
    if ($comment) {
      if ($line =~ s{^.*?\*/}{}s) { $comment = 0 } else { $line = "" }
    } elsif ($line =~ s{^//.*}{}s) {
    } elsif ($line =~ s{^/\*}{}) {
      $comment = 1;
    } elsif ($line =~ s{^R"([^(]*)\((.*?)\)\1"}{}s) {
      push @literals, $2;
    } elsif ($line =~ s{^"((?:[^"\\]|\\.)*)"}{}s) {
      push @literals, $1;
    } elsif ($line =~ s{^\x27(?:[^\x27\\]|\\.){1,8}\x27}{}s) {
    } else {
      $line =~ s{^[^"/\x27R]+|^.}{}s;
    }
  }
  print "$ARGV:$.: $_\n" for @literals;
  if (eof) { $comment = 0; close ARGV }
' "${files[@]}" >"$scratch/literals"
if [ ! -s "$scratch/literals" ]; then
  echo "words: no string literal in ${#files[@]} files"
  exit 1
fi
shared=("Device No Response !!" "Response Error !!" "OPEN COM ERROR!!" "COM SETUP ERROR!!!" "Read Done." "Write Done.")
for text in "${shared[@]}"; do
  # The lines (file:line) with a literal that holds the text, each once.
  mapfile -t lines < <(awk -v t="$text" '{
    i = index($0, ": "); at = substr($0, 1, i - 1)
    if (index(substr($0, i + 2), t) && !seen[at]++) print $0
  }' "$scratch/literals")
  case ${#lines[@]} in
    0)
      echo "words: \"$text\" is typed nowhere"
      failures=$((failures + 1))
      ;;
    1) echo "words: \"$text\" once, ${lines[0]%%: *}" ;;
    *)
      echo "words: \"$text\" on ${#lines[@]} lines:"
      printf '  %s\n' "${lines[@]}"
      failures=$((failures + 1))
      ;;
  esac
done

if [ $failures -gt 0 ]; then
  echo "words: $failures checks failed"
  exit 1
fi
echo "words: ${#files[@]} files, every text marked, the shared texts typed once"
