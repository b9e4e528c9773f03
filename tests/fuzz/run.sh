#!/usr/bin/env bash
# Runs the fuzz target in one mode for a fixed number of inputs from its committed seeds, with a
# fixed seed: the same work on every run. New inputs go to a scratch copy of the corpus, never
# back into the tree. Usage: run.sh <fuzzer> <mode> <runs> [more libFuzzer flags]
set -euo pipefail
fuzzer=$1 mode=$2 runs=$3
shift 3
corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
cp "$(dirname "$0")/corpus/$mode/"* "$corpus/"
MARLINET_FUZZ_MODE=$mode "$fuzzer" -runs="$runs" -seed=1 -timeout=30 -rss_limit_mb=2048 \
    -artifact_prefix="$(dirname "$fuzzer")/$mode-" "$@" "$corpus"
