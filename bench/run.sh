#!/usr/bin/env bash
# The extraction benchmark, in one command: builds the setup, the benchmark's programs and
# its realistic payload (~434 entries, ~57 MB, three solid blocks), prints where the
# setup's bytes go, then measures our extraction under Wine against the LZMA SDK's example
# extractor and native 7zz, and times the first painted main window against a bare one.
# BENCH_REPEAT=n sets the number of measured runs (the best is reported; default 3);
# BENCH_PART=extraction or BENCH_PART=paint measures only that part. BENCH_SLOW_UI_MS=n
# slows our run's UI thread by n ms at each pump (the worst case for its peak memory).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${VEXMORA_BUILD:-$top/build}
paths=$("$top/tools/bootstrap.sh" | tail -n1)
cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-mingw64.cmake" \
      -DVEXMORA_DEPS_PATHS="$paths" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target VexmoraSetup_shipped extract_bench sdk_7zmain bench_payload first_paint bare_window
/usr/bin/python3 "$top/bench/sizes.py" "$build"
export VEXMORA_BUILD="$build" PYTHONPATH="$top/tests/wine"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
# The programs are console programs, yet Wine's user32 wants a display for the window.
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a /usr/bin/python3 "$top/bench/measure.py"
fi
exec /usr/bin/python3 "$top/bench/measure.py"
