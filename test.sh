#!/usr/bin/env bash
# Builds everything and runs every test: unit tests and system tests under Wine, the
# native sanitizer build of the pure code, and a bounded fuzzing run.
source "$(dirname "$0")/tools/session.sh"
cd "$build"
ctest --output-on-failure -j"$(nproc)" "$@"
