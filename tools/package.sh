#!/usr/bin/env bash
# Builds the Debian package tarnixw_<version>_<arch>.deb: a release build of the program,
# tarnixw-cli with its manual page and the device simulator, packed by CPack with the Qt 6
# runtime dependencies that dpkg-shlibdeps finds. Prints the package's path.
#
#   tools/package.sh            (build tree: build-pkg; PKG_BUILD_DIR overrides it)
#   sudo apt-get install ./build-pkg/tarnixw_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
build="${PKG_BUILD_DIR:-build-pkg}"
jobs="$(nproc)"
[ "$jobs" -gt 2 ] && jobs=2
command -v dpkg-shlibdeps >/dev/null || { echo "dpkg-shlibdeps is missing (tools/install-deps.sh installs dpkg-dev)"; exit 1; }
command -v file >/dev/null || { echo "file is missing (tools/install-deps.sh installs it): CPack needs it"; exit 1; }
command -v help2man >/dev/null || { echo "help2man is missing (tools/install-deps.sh installs it): no manual page for tarnixw-cli"; exit 1; }
# Only the installed targets are built; the install step must not build every test first.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
targets=(tarnixw tarnixw-cli tarnixw-cli-man tarnixw-devsim)
cmake --build "$build" --target "${targets[@]}" -j"$jobs" >/dev/null \
  || { cmake --build "$build" --target "${targets[@]}" -j1 2>&1 | tail -40; exit 1; }
(cd "$build" && cpack -G DEB >/dev/null) || { (cd "$build" && cpack -G DEB --verbose 2>&1 | tail -40); exit 1; }
ls -1 "$(cd "$build" && pwd)"/tarnixw_*.deb
