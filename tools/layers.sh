#!/usr/bin/env bash
# Holds the layers of the program: a file includes only from its own layer or from below.
#
#   words  <-  values  <-  link  <-  model  <-  kit  <-  vyr, plix  <-  app, cli, sim
#
#   - words/ (the texts the user reads) is the bottom: it includes only itself and never Qt
#     Widgets, and every other layer may include it;
#   - model/ is what every program knows of a device model (its description); vyr/ and plix/
#     implement it and never include each other;
#   - cli/ and sim/ serve every model through its description: only the file that makes their
#     list of models (cli/main.cpp, sim/devsim_main.cpp) includes vyr/ and plix/;
#   - nothing in words/, values/, link/, model/, cli/, sim/ or in the models' widget-free files
#     (all of vyr/ and plix/ but the forms: VyrForm*, VyrStyle*, PlixForm*) includes Qt
#     Widgets, and they include nothing of kit/;
#   - resources/ (pictures) may be used by kit/, the forms and app/.
#
# Tests, benchmarks, fuzzers and tools may include anything. Prints every upward include and
# fails when there is one, and fails when it finds nothing to check (no git, not a checkout, no
# Qt Widgets headers): a check that saw no file has proved nothing.
set -uo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh || exit 1
shopt -s nullglob

qt_widgets="${QT_WIDGETS_INCLUDE:-/usr/include/x86_64-linux-gnu/qt6/QtWidgets}"
if [ ! -d "$qt_widgets" ]; then
  echo "layers: no Qt Widgets headers at $qt_widgets (set QT_WIDGETS_INCLUDE)"
  exit 1
fi
# Every class header Qt Widgets has (QLineEdit, QWidget, ...).
declare -A widgets=([QtWidgets]=1)
for header in "$qt_widgets"/Q*; do
  widgets["${header##*/}"]=1
done
if [ ${#widgets[@]} -le 1 ]; then
  echo "layers: no Qt Widgets class headers in $qt_widgets (set QT_WIDGETS_INCLUDE)"
  exit 1
fi

# The folders a file may include from, by what the file is.
allowed() {
  local file="$1"
  case "$file" in
    words/*) echo "words" ;;
    values/*) echo "words values" ;;
    link/*) echo "words values link" ;;
    model/*) echo "words values link model" ;;
    kit/*) echo "words values link model kit resources" ;;
    vyr/VyrForm* | vyr/VyrStyle*) echo "words values link model kit vyr resources" ;;
    plix/PlixForm*) echo "words values link model kit plix resources" ;;
    vyr/*) echo "words values link model vyr" ;;
    plix/*) echo "words values link model plix" ;;
    app/*) echo "words values link model kit vyr plix app resources" ;;
    cli/main.cpp) echo "words values link model vyr plix cli" ;;
    cli/*) echo "words values link model cli" ;;
    sim/devsim_main.cpp) echo "words values link model vyr plix sim" ;;
    sim/*) echo "words values link model sim" ;;
    resources/*) echo "words resources" ;;
  esac
}

# Whether a file may include Qt Widgets.
widgets_allowed() {
  case "$1" in
    kit/* | app/* | vyr/VyrForm* | vyr/VyrStyle* | plix/PlixForm*) return 0 ;;
    *) return 1 ;;
  esac
}

# A model file (widget-free) including a form of its own folder is upward too.
is_form() {
  case "$1" in
    vyr/VyrForm* | vyr/VyrStyle* | plix/PlixForm*) return 0 ;;
    *) return 1 ;;
  esac
}

failures=0
report() {
  echo "layers: $1"
  failures=$((failures + 1))
}

# The files git tracks: a tree without git, or not a checkout, is refused rather than passed.
if ! command -v git >/dev/null; then
  echo "layers: git is missing (tools/install-deps.sh installs it): no file to check"
  exit 1
fi
if ! tracked="$(git ls-files 'words/*' 'values/*' 'link/*' 'model/*' 'kit/*' 'vyr/*' 'plix/*' 'app/*' 'cli/*' 'sim/*' 'resources/*' 2>&1)"; then
  echo "layers: git ls-files failed: $tracked"
  exit 1
fi
mapfile -t files < <(grep -E '\.(cpp|h)$' <<<"$tracked")
if [ ${#files[@]} -eq 0 ]; then
  echo "layers: git lists no source file in words/, values/, link/, model/, kit/, vyr/, plix/, app/, cli/, sim/ or resources/"
  exit 1
fi
for file in "${files[@]}"; do
  dir="${file%%/*}"
  ok=" $(allowed "$file") "
  while IFS= read -r line; do
    number="${line%%:*}"
    [[ "$line" =~ include[[:space:]]*(.*)$ ]] && include="${BASH_REMATCH[1]}"
    if [[ "$include" =~ ^\"([^\"]+)\" ]]; then
      target="${BASH_REMATCH[1]}"
      if [[ "$target" == */* ]]; then
        from="${target%%/*}"
        resolved="$target"
      else
        from="$dir" # a file of the same folder
        resolved="$dir/$target"
      fi
      if [[ "$ok" != *" $from "* ]]; then
        report "$file:$number includes $target ($from/ is not below $dir/)"
      elif ! is_form "$file" && is_form "$resolved" && [ "$from" = "$dir" ]; then
        report "$file:$number includes $target (a form, above the model)"
      fi
    elif [[ "$include" =~ ^\<([^\>]+)\> ]]; then
      target="${BASH_REMATCH[1]}"
      name="${target##*/}"
      if ! widgets_allowed "$file" && { [[ "$target" == QtWidgets/* ]] || [ -n "${widgets[$name]:-}" ]; }; then
        report "$file:$number includes <$target> (Qt Widgets, in a widget-free layer)"
      fi
    fi
  done < <(grep -nE '^[[:space:]]*#[[:space:]]*include' "$file")
done

if [ $failures -gt 0 ]; then
  echo "layers: $failures upward includes"
  exit 1
fi
echo "layers: ${#files[@]} files, every include from its own layer or below"
