#!/usr/bin/env bash
# Builds everything and runs the whole test suite (unit, host, editor under Xvfb, fuzzing).
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/packages.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C build

# The fuzz target needs clang's libFuzzer and AddressSanitizer: a tree of its own inside build/.
CC=clang CXX=clang++ cmake -S tests/fuzz -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C build/fuzz

ctest --test-dir build --output-on-failure
