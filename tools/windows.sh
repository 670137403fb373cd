#!/usr/bin/env bash
# Tarnixw for 64-bit Windows, built and tested on this Debian machine.
#
#   tools/windows.sh          qt, build, test and dist, in that order
#   tools/windows.sh qt       only Qt for Windows (cross-built once per machine, then cached)
#   tools/windows.sh build    Qt, then the project into build-windows/
#   tools/windows.sh test     build, then the tests under Wine
#   tools/windows.sh dist     build, then the zip and the installer in build-windows/dist/
#   tools/windows.sh bench [rounds]   build, then bench_wine_line on the simulated devices
#   tools/windows.sh demo [program]   build, then the program under Wine with simulated devices
#
# Qt 6.4.2 is cross-built with MinGW-w64 from Debian's own source package, into
# ${XDG_CACHE_HOME:-$HOME/.cache}/tarnixw/, keyed by the Qt and MinGW versions and the
# configure flags. The first build takes about 30 minutes on 2 cores (26 measured for the Qt
# build itself); later runs reuse it.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
step="${1:-all}"

mingw=x86_64-w64-mingw32
cache="${XDG_CACHE_HOME:-$HOME/.cache}/tarnixw"
bld="$root/build-windows"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

say() { printf '== windows: %s\n' "$*" >&2; }

install_deps() {
  tools/install-deps.sh
  # unzip unpacks the zip to try it; pgrep (procps) waits for a program a shortcut started;
  # xwininfo (x11-utils) sees the program's main window on a virtual display
  local packages=(g++-mingw-w64-x86-64-posix wine wine64 fonts-wine nsis ninja-build dpkg-dev xvfb xauth zip unzip procps x11-utils)
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    say "installing ${missing[*]}"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
}

# The smallest Qt the project needs: Core, Gui, Widgets and Test, the windows and offscreen
# platform plugins, the bundled third-party libraries; nothing that talks to a network, a
# database, a bus or a graphics API. Debian's source has no wintab, so no tablet events; the
# windows platform plugin does not link without Direct2D, but needs no Direct2D 1.1.
qt_flags=(
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_xml=OFF
  -DFEATURE_concurrent=OFF -DFEATURE_printsupport=OFF
  -DFEATURE_opengl=OFF -DINPUT_opengl=no -DFEATURE_vulkan=OFF
  -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_freetype=OFF
  -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_jpeg=OFF
  -DFEATURE_system_doubleconversion=OFF -DFEATURE_system_textmarkdownreader=OFF
  -DFEATURE_jpeg=OFF -DFEATURE_icu=OFF
  -DFEATURE_tabletevent=OFF -DFEATURE_direct2d=ON -DFEATURE_direct2d1_1=OFF
)

qt_version() { dpkg-query -W -f='${Version}' qt6-base-dev; }
mingw_version() { "$mingw-g++-posix" -dumpfullversion; dpkg-query -W -f='${Version}' mingw-w64-x86-64-dev; }
qt_key() {
  local sum
  sum=$({ qt_version; mingw_version; printf '%s\n' "${qt_flags[@]}"; } | sha256sum | cut -c1-12)
  echo "qt-$(qt_version | sed 's/[^0-9.].*//')-mingw-$("$mingw-g++-posix" -dumpversion)-$sum"
}
qt_prefix() { echo "$cache/$(qt_key)"; }

# Debian's qt6-base source, fetched through a deb-src entry for the same archive that is
# removed again afterwards.
fetch_qt_source() {
  local into="$1" list=/etc/apt/sources.list.d/tarnixw-qt-src.sources
  mkdir -p "$into"
  if ! ls -d "$into"/qt6-base-*/ >/dev/null 2>&1; then
    say "fetching Debian's qt6-base source"
    $SUDO tee "$list" >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    local rc=0
    $SUDO apt-get update -qq -o Dir::Etc::sourcelist="$list" -o Dir::Etc::sourceparts=- || rc=$?
    if [ $rc -eq 0 ]; then
      (cd "$into" && apt-get source -qq "qt6-base=$(qt_version)" >/dev/null 2>&1) || rc=$?
    fi
    $SUDO rm -f "$list"
    $SUDO apt-get update -qq || true
    [ $rc -eq 0 ] || { echo "windows.sh: could not fetch the qt6-base source" >&2; exit 1; }
  fi
  ls -d "$into"/qt6-base-*/ | head -1
}

build_qt() {
  local prefix
  prefix="$(qt_prefix)"
  if [ -f "$prefix/.complete" ]; then
    say "Qt for Windows from the cache: $prefix"
    return
  fi
  local work="$cache/work" src
  src="$(fetch_qt_source "$work/src")"
  rm -rf "$work/build" "$prefix"
  say "cross-building Qt $(qt_version) for Windows into $prefix (about 30 minutes on 2 cores)"
  local t0=$SECONDS
  cmake -G Ninja -S "$src" -B "$work/build" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_INSTALL_PREFIX="$prefix" "${qt_flags[@]}" >"$work/configure.log" 2>&1 ||
    { tail -40 "$work/configure.log"; exit 1; }
  cmake --build "$work/build" -j"$(nproc)" >"$work/build.log" 2>&1 ||
    { grep -E 'error|FAILED' "$work/build.log" | head -40; exit 1; }
  cmake --install "$work/build" >"$work/install.log" 2>&1 || { tail -20 "$work/install.log"; exit 1; }
  # What the shipped programs must carry beside Qt's libraries: its licences and the
  # copyright file of the source package (Qt and the third-party code bundled into it).
  mkdir -p "$prefix/licenses"
  cp "$src"/LICENSES/LGPL-3.0-only.txt "$src"/LICENSES/GPL-3.0-only.txt "$src"/LICENSES/GPL-2.0-only.txt "$prefix/licenses/"
  cp "$src/debian/copyright" "$prefix/licenses/qt6-base.copyright"
  touch "$prefix/.complete"
  rm -rf "$work/build"
  say "Qt for Windows built in $((SECONDS - t0)) s"
}

install_deps
build_qt
[ "$step" = qt ] && exit 0

# ---- the project --------------------------------------------------------------------------

qt="$(qt_prefix)"
gcc_dir="$(dirname "$("$mingw-g++-posix" -print-libgcc-file-name)")"
# The MinGW runtime the programs need beside them.
runtime_dlls=(
  "$gcc_dir/libstdc++-6.dll"
  "$gcc_dir/libgcc_s_seh-1.dll"
  "/usr/$mingw/lib/libwinpthread-1.dll"
)

build_project() {
  say "building the project into build-windows/"
  mkdir -p "$bld"
  cmake -G Ninja -S . -B "$bld" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_PREFIX_PATH="$qt" -DCMAKE_FIND_ROOT_PATH="/usr/$mingw;$qt" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_CROSSCOMPILING_EMULATOR=wine -DCMAKE_BUILD_TYPE=Release >"$bld/configure.log" 2>&1 || { tail -30 "$bld/configure.log"; exit 1; }
  cmake --build "$bld" -j"$(nproc)" >"$bld/build.log" 2>&1 ||
    { grep -E 'error|FAILED' "$bld/build.log" | head -40; exit 1; }
}

build_project
[ "$step" = build ] && exit 0

# ---- Wine ---------------------------------------------------------------------------------

export WINEPREFIX="$bld/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# The programs find Qt's and MinGW's libraries through Wine's PATH; Qt finds its plugins
# beside its own libraries.
WINEPATH="$(printf 'Z:%s;Z:%s;Z:%s' "$qt/bin" "$gcc_dir" "/usr/$mingw/lib" | tr / '\\')"
export WINEPATH

# A prefix of the build's own, a server that outlives each program, and Wine's services
# started here rather than inside a test (they would hold its output open).
start_wine() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    say "creating the Wine prefix"
    wineboot -i >/dev/null 2>&1
  fi
  wineserver -p >/dev/null 2>&1
  wine cmd /c exit >/dev/null 2>&1
}

stop_wine() { wineserver -k >/dev/null 2>&1 || true; }

# ---- simulated devices on COM ports -------------------------------------------------------

# tarnixw-devsim is a Linux program (it serves a pseudo-terminal): built here for this machine.
host="$bld/host"
build_devsim() {
  cmake -S . -B "$host" -DCMAKE_BUILD_TYPE=Release -DTARNIXW_GUI=OFF >"$host.configure.log" 2>&1 ||
    { tail -20 "$host.configure.log"; exit 1; }
  cmake --build "$host" --target tarnixw-devsim -j"$(nproc)" >/dev/null 2>&1 ||
    { cmake --build "$host" --target tarnixw-devsim 2>&1 | grep -E 'error' | head -20; exit 1; }
}

# Three devices, each on its pseudo-terminal, published by a stable name and mapped by Wine to
# a COM port: a PLIXARO that never answers on COM5, a VYRANTA on COM6 and a PLIXARO on COM7,
# listed last and so taken for the cable by Check COM.
run="$bld/wine-run"
devices=("silent:5:--model plix --id 1 --silent-every 1" "vyr:6:--model vyr --id 1" "plix:7:--model plix --id 1")
device_pids=()

start_devices() {
  build_devsim
  mkdir -p "$run"
  chmod 700 "$run"
  local d name com args
  for d in "${devices[@]}"; do
    IFS=: read -r name com args <<<"$d"
    rm -f "$run/tarnixw/ports/$name"
    # shellcheck disable=SC2086
    XDG_RUNTIME_DIR="$run" "$host/sim/tarnixw-devsim" $args --name "$name" --log "$run/$name.log" \
      >"$run/$name.out" 2>&1 &
    device_pids+=($!)
  done
  for d in "${devices[@]}"; do
    IFS=: read -r name com args <<<"$d"
    for _ in $(seq 100); do [ -e "$run/tarnixw/ports/$name" ] && break; sleep 0.05; done
    [ -e "$run/tarnixw/ports/$name" ] || { echo "windows.sh: tarnixw-devsim $name did not start" >&2; exit 1; }
    ln -sfn "$run/tarnixw/ports/$name" "$WINEPREFIX/dosdevices/com$com"
    wine reg add 'HKLM\Software\Wine\Ports' /v "COM$com" /d "$run/tarnixw/ports/$name" /f >/dev/null 2>&1
  done
  # Two more served over the network, on ports the system picks.
  local net
  for net in "vyr-net:--model vyr --id 1 --listen socket://127.0.0.1:0" \
    "plix-gw:--model plix --id 1 --listen tcp://127.0.0.1:0"; do
    IFS=: read -r name args <<<"$net"
    # shellcheck disable=SC2086
    "$host/sim/tarnixw-devsim" $args --log "$run/$name.log" >"$run/$name.out" 2>&1 &
    device_pids+=($!)
  done
  for name in vyr-net plix-gw; do
    for _ in $(seq 100); do grep -q '^listening ' "$run/$name.out" 2>/dev/null && break; sleep 0.05; done
    grep -q '^listening ' "$run/$name.out" || { echo "windows.sh: tarnixw-devsim $name did not listen" >&2; exit 1; }
  done
  TARNIXW_WINE_VYR_NET="$(sed -n 's/^listening //p' "$run/vyr-net.out")"
  TARNIXW_WINE_PLIX_GW="$(sed -n 's/^listening //p' "$run/plix-gw.out")"
  export TARNIXW_WINE_VYR_NET TARNIXW_WINE_PLIX_GW
  # HARDWARE\DEVICEMAP\SERIALCOMM is made afresh from the mapping when the server starts.
  stop_wine
  start_wine
  export TARNIXW_WINE_SILENT=5 TARNIXW_WINE_VYR=6 TARNIXW_WINE_PLIX=7
}

stop_devices() {
  [ ${#device_pids[@]} -gt 0 ] || return 0
  kill "${device_pids[@]}" 2>/dev/null || true
  wait "${device_pids[@]}" 2>/dev/null || true
  device_pids=()
  local d name com args
  for d in "${devices[@]}"; do
    IFS=: read -r name com args <<<"$d"
    rm -f "$WINEPREFIX/dosdevices/com$com"
    wine reg delete 'HKLM\Software\Wine\Ports' /v "COM$com" /f >/dev/null 2>&1 || true
  done
}

cleanup() {
  stop_devices
  stop_wine
}
trap cleanup EXIT

# ---- tests --------------------------------------------------------------------------------

run_tests() {
  start_wine
  local rc=0
  say "the suites under Wine"
  ctest --test-dir "$bld" -LE wine-line -j"$(nproc)" --output-on-failure || rc=1
  say "the Win32 port, the registry's port list, the whole program and tarnixw-cli.exe against tarnixw-devsim"
  start_devices
  ctest --test-dir "$bld" -L wine-line --output-on-failure || rc=1
  stop_devices
  return $rc
}

if [ "$step" = bench ]; then
  start_wine
  start_devices
  WINEQT_QPA_PLATFORM=offscreen wine "$bld/bench_wine_line.exe" "$TARNIXW_WINE_VYR" "$TARNIXW_WINE_PLIX" "${2:-5}" 2>/dev/null
  exit $?
fi

# Try the Windows build without a device, on this machine's display: the simulated devices on
# their COM ports, then the program (or the Windows command given, a Start-menu entry for
# instance) under Wine. The devices stop when it ends.
if [ "$step" = demo ]; then
  start_wine
  start_devices
  echo "Simulated devices under Wine: a silent PLIXARO on COM5, a VYRANTA on COM6, a PLIXARO on COM7 (Check COM finds it)."
  if [ $# -gt 1 ]; then
    wine start /wait "$2"
    # A shortcut returns at once: wait for the program it started.
    sleep 2
    while pgrep -f 'tarnixw.exe' >/dev/null; do sleep 0.5; done
  else
    wine "$bld/tarnixw.exe"
  fi
  exit $?
fi

test_rc=0
if [ "$step" = all ] || [ "$step" = test ]; then
  run_tests || test_rc=1
  [ "$step" = test ] && exit $test_rc
fi

# ---- the zip and the installer -----------------------------------------------------------

version="$(sed -n 's/^project(tarnixw VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
dist="$bld/dist"
name="tarnixw-$version-win64"

# The folder both are made of: the two programs, the Qt and MinGW libraries they load, the
# platform and style plugins, and the licences of what is shipped beside the program.
stage() {
  local out="$dist/$name"
  rm -rf "$out"
  mkdir -p "$out/platforms" "$out/styles" "$out/licenses"
  cp "$bld/tarnixw.exe" "$bld/tarnixw-cli.exe" "$out/"
  cp "$qt/bin/Qt6Core.dll" "$qt/bin/Qt6Gui.dll" "$qt/bin/Qt6Widgets.dll" "${runtime_dlls[@]}" "$out/"
  cp "$qt/plugins/platforms/qwindows.dll" "$out/platforms/"
  cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$out/styles/"
  "$mingw-strip" --strip-unneeded "$out"/*.exe "$out"/*.dll "$out"/platforms/*.dll "$out"/styles/*.dll
  cp "$qt"/licenses/* "$out/licenses/"
  cp /usr/share/doc/gcc-mingw-w64-base/copyright "$out/licenses/mingw-w64-gcc-runtime.copyright"
  cp /usr/share/doc/mingw-w64-x86-64-dev/copyright "$out/licenses/mingw-w64-winpthreads.copyright"
  local qt_debian qt_upstream
  qt_debian="$(qt_version)"
  qt_upstream="${qt_debian%%+*}"
  sed 's/$/\r/' >"$out/README.txt" <<README
Tarnixw $version for 64-bit Windows

tarnixw.exe      the program: configures VYRANTA and PLIXARO devices over a USB-to-serial cable
tarnixw-cli.exe  the same from the command line (tarnixw-cli --help)

Nothing needs installing: the folder can run from anywhere. The program keeps no settings.

Tarnixw uses Qt $qt_upstream under the GNU Lesser General Public License version 3
(licenses/LGPL-3.0-only.txt, with licenses/GPL-3.0-only.txt), built unchanged from Debian's
source package qt6-base $qt_debian (https://sources.debian.org/src/qt6-base/); its
libraries (Qt6*.dll, platforms/, styles/) may be replaced by other builds of the same Qt
version. The third-party code bundled into Qt is listed in licenses/qt6-base.copyright. The
MinGW-w64 runtime libraries (libstdc++-6.dll, libgcc_s_seh-1.dll: GPL 3 with the GCC Runtime
Library Exception; libwinpthread-1.dll: MIT and BSD) come with their copyright files.
README
}

make_zip() {
  say "zip: $dist/$name.zip"
  rm -f "$dist/$name.zip"
  (cd "$dist" && zip -qr9 "$name.zip" "$name")
}

make_installer() {
  say "installer: $dist/tarnixw-$version-setup.exe"
  local files="$dist/uninstall-files.nsh"
  # The uninstaller removes exactly the staged files, then the folders they were in.
  (cd "$dist/$name" && find . -type f | sed 's|^\./||; s|/|\\|g; s|.*|  Delete "$INSTDIR\\&"|'
    find . -mindepth 1 -type d | sort -r | sed 's|^\./||; s|/|\\|g; s|.*|  RMDir "$INSTDIR\\&"|') >"$files"
  makensis -V2 -DVERSION="$version" -DSTAGE="$dist/$name" -DOUTFILE="$dist/tarnixw-$version-setup.exe" \
    -DFILES="$files" -DICON="$root/resources/tarnixw.ico" "$root/resources/tarnixw.nsi" >"$dist/makensis.log" 2>&1 ||
    { tail -20 "$dist/makensis.log"; exit 1; }
}

# Starts a tarnixw.exe on a virtual display, with nothing but its own folder (no Wine PATH),
# and waits for its main window ("TarnixW2011", shown after the splash); then ends it. Wine's
# services are started afresh on that display and stopped again with the program.
shows_main_window() {
  local rc=0
  stop_wine
  xvfb-run -a bash -c '
    WINEPATH= wine "$1" >/dev/null 2>&1 &
    for _ in $(seq 240); do
      xwininfo -root -tree 2>/dev/null | grep -q "\"TarnixW2011\"" && exit 0
      sleep 0.25
    done
    exit 1' _ "$1" || rc=1
  stop_wine
  start_wine
  return $rc
}

# Both tried under Wine: the zip's programs start from its folder alone (no Wine PATH) and the
# program shows its main window, the installer installs silently, its programs run, and its
# uninstaller leaves nothing behind.
check_packages() {
  local rc=0 tmp
  start_wine
  tmp="$(mktemp -d)"
  (cd "$tmp" && unzip -q "$dist/$name.zip")
  if ! WINEPATH= wine "$tmp/$name/tarnixw-cli.exe" --version >/dev/null 2>&1; then
    echo "windows.sh: tarnixw-cli.exe from the zip does not start" >&2
    rc=1
  fi
  shows_main_window "$tmp/$name/tarnixw.exe" ||
    { echo "windows.sh: tarnixw.exe from the zip shows no main window" >&2; rc=1; }
  rm -rf "$tmp"
  local c="$WINEPREFIX/drive_c" installed="$WINEPREFIX/drive_c/Program Files/Tarnixw"
  local link="$c/ProgramData/Microsoft/Windows/Start Menu/Programs/Tarnixw.lnk"
  wine "$dist/tarnixw-$version-setup.exe" /S >/dev/null 2>&1
  for f in tarnixw.exe tarnixw-cli.exe Qt6Widgets.dll platforms/qwindows.dll uninstall.exe; do
    [ -f "$installed/$f" ] || { echo "windows.sh: the installer did not install $f" >&2; rc=1; }
  done
  [ -f "$link" ] || { echo "windows.sh: no Start-menu entry" >&2; rc=1; }
  WINEPATH= wine "$installed/tarnixw-cli.exe" --version >/dev/null 2>&1 ||
    { echo "windows.sh: the installed tarnixw-cli.exe does not start" >&2; rc=1; }
  shows_main_window "$installed/tarnixw.exe" ||
    { echo "windows.sh: the installed tarnixw.exe shows no main window" >&2; rc=1; }
  wine "$installed/uninstall.exe" /S >/dev/null 2>&1
  # The uninstaller runs as a copy of itself, which may still be at work.
  for _ in $(seq 100); do [ -e "$installed" ] || break; sleep 0.1; done
  [ ! -e "$installed" ] || { echo "windows.sh: the uninstaller left $(ls -A "$installed" | tr '\n' ' ')" >&2; rc=1; }
  [ ! -e "$link" ] || { echo "windows.sh: the uninstaller left the Start-menu entry" >&2; rc=1; }
  if wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarnixw' >/dev/null 2>&1; then
    echo "windows.sh: the uninstaller left its registry key" >&2
    rc=1
  fi
  [ $rc -eq 0 ] && say "the zip and the installer work under Wine"
  return $rc
}

if [ "$step" = all ] || [ "$step" = dist ]; then
  stage
  make_zip
  make_installer
  check_packages || test_rc=1
  ls -la "$dist"/*.zip "$dist"/*.exe
fi
exit $test_rc
