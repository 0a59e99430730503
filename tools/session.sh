# Sourced by test.sh and run.sh: builds the program, then gives the caller a display
# (a virtual one when there is none) and a clean Wine environment. Ends only what it
# started: the Xvfb it launched and the wineservers of prefixes under build/wine.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VEXMORA_BUILD:-$top/build}

paths=$("$top/tools/bootstrap.sh" | tail -n1)
cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-mingw64.cmake" \
      -DVEXMORA_DEPS_PATHS="$paths" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)"

started_xvfb=
stop_session() {
  for p in "$build"/wine/template* "$build"/wine/tmp/*/prefix; do
    [ -d "$p" ] && WINEPREFIX="$p" wineserver -k >/dev/null 2>&1 || true
  done
  [ -n "$started_xvfb" ] && kill "$started_xvfb" 2>/dev/null || true
}
trap stop_session EXIT

if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 130); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    started_xvfb=$!
    export DISPLAY=":$n"
    for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    break
  done
fi
export VEXMORA_BUILD="$build" VEXMORA_SOURCE="$top" PYTHONPATH="$top/tests/wine"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
# Unit tests share one prefix of their own, made from the template.
/usr/bin/python3 -c 'import winetest; winetest.ensure_template()'
export WINEPREFIX="$build/wine/unit"
if [ ! -f "$WINEPREFIX/.ready" ]; then
  rm -rf "$WINEPREFIX"
  /usr/bin/python3 -c 'import sys, winetest; winetest.clone_prefix(sys.argv[1], sys.argv[2])' "$build/wine/template" "$WINEPREFIX"
  mkdir -p "$build/wine/unit-d"; ln -sfn "$build/wine/unit-d" "$WINEPREFIX/dosdevices/d:"
  touch "$WINEPREFIX/.ready"
fi
