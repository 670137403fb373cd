#!/usr/bin/env bash
# Installs with apt-get what building and testing Tarnixw needs and this machine lacks: what
# ./run, ./test and the scripts in tools/ call (tools/windows.sh adds its own cross tools).
# Quiet when everything is present.
set -euo pipefail
packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  fonts-liberation2 fonts-dejavu-core
  xvfb xauth
  mbpoll socat               # an independent master in the pty tests; the README's virtual port by hand
  ser2net python3-pymodbus   # independent servers for the network ports: a serial device server, a Modbus TCP gateway
  git                        # tools/lint.sh and tools/layers.sh check the files git tracks
  clang-format clang-tidy    # tools/lint.sh
  jq                         # the README's commissioning example
  man-db                     # man tarnixw-cli
  clang libclang-rt-14-dev   # tools/fuzz.sh: clang++ and libFuzzer (-fsanitize=fuzzer)
  dpkg-dev file              # tools/package.sh: dpkg-shlibdeps finds the package's dependencies, in
                             # the files that file(1) tells CPack are programs
  help2man                   # the manual page of tarnixw-cli, made from its --help
  qt6-l10n-tools             # tools/words.sh: lupdate finds every text marked for translation
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
