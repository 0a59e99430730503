#!/usr/bin/env bash
# Builds everything and runs every test: the native sanitizer build of the pure code with
# a bounded fuzzing run, then the unit and system tests under Wine (ctest).
source "$(dirname "$0")/tools/session.sh"
if [ -x "$top/tests/native/run.sh" ]; then
  "$top/tests/native/run.sh"
fi
cd "$build"
ctest --output-on-failure -j"$(nproc)" "$@"
