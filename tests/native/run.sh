#!/usr/bin/env bash
# Builds the pure code (the framework's, the setup's command line, the journal library's
# records, reader and undo planner) natively with clang, runs their unit tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, then runs each fuzzer for a bounded
# time on its seeds: the setup's own layouts and the image descriptions they hold, read
# from skin/layouts at each run, and the few hand-made inputs under corpus/. Exits
# non-zero on any failure or finding.
# Build folder: $VEXMORA_BUILD/native (default build/native). Fuzzing time per target:
# $VEXMORA_FUZZ_SECONDS (default 24, two and a half minutes for the six); longest input:
# $VEXMORA_FUZZ_MAX_LEN (default 65536: the largest layout several times over).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
build=${VEXMORA_BUILD:-$top/build}/native
seconds=${VEXMORA_FUZZ_SECONDS:-24}
max_len=${VEXMORA_FUZZ_MAX_LEN:-65536}
layouts="$top/skin/layouts"

# The native build must not pick up the cross toolchain of the main build.
mkdir -p "$build"
if ! { env -u CMAKE_TOOLCHAIN_FILE CC=clang CXX=clang++ cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Debug &&
       cmake --build "$build" -j"$(nproc)"; } >"$build/build.log" 2>&1; then
  tail -n 40 "$build/build.log"
  echo "native: build failed (log: $build/build.log)" >&2
  exit 1
fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=0:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

echo "native: unit tests (address, undefined)"
"$build/ui_pure_tests" --gtest_brief=1
"$build/setup_arguments_tests" --gtest_brief=1
"$build/journal_pure_tests" --gtest_brief=1

# The image descriptions the layouts write (the values of their "...image" attributes),
# one seed file each, into folder $1.
layout_images() {
  grep -oh '[a-z]*image="[^"]*"' "$layouts"/*.xml | sed -e 's/^[a-z]*image="//' -e 's/"$//' | sort -u |
    { n=0; while IFS= read -r description; do printf '%s' "$description" >"$1/layout-image-$n"; n=$((n + 1)); done; }
}

# The seeds of target $1 into folder $2.
seeds() {
  case $1 in
    xml | markup) cp "$here/corpus/$1/"* "$layouts"/*.xml "$2/" ;;
    caption_hit_test) cp "$here/corpus/markup/"* "$layouts"/*.xml "$2/" ;;
    image_description | image_geometry) cp "$here/corpus/image_description/"* "$2/"; layout_images "$2" ;;
    # Journals as the end-to-end tests' installs wrote them, decrypted.
    undo_plan) cp "$here/corpus/undo_plan/"* "$2/" ;;
  esac
}

for target in xml image_description markup caption_hit_test image_geometry undo_plan; do
  work="$build/fuzz-$target"
  rm -rf "$work"
  mkdir -p "$work/corpus"
  seeds "$target" "$work/corpus"
  echo "native: fuzz_$target for ${seconds}s"
  if ! "$build/fuzz_$target" -max_total_time="$seconds" -max_len="$max_len" -timeout=20 -rss_limit_mb=2048 \
       -artifact_prefix="$work/" "$work/corpus" >"$work/log.txt" 2>&1; then
    tail -n 60 "$work/log.txt"
    echo "native: fuzz_$target found a failure; the input is in $work/" >&2
    exit 1
  fi
  grep -E '^Done|stat::number_of_executed_units' "$work/log.txt" | tail -n 1 || true
done
echo "native: all passed"
