#!/usr/bin/env bash
# Builds from scratch and runs every test. Usage: scripts/test.sh [ci|default|asan|tsan]
# Without an argument it is "ci": the default build with warnings treated as errors, in
# the same folder, so a warning fails the run here as it does in CI.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-ci}"
scripts/install-deps.sh
cmake --preset "$preset" >/dev/null
if [ "$preset" = tsan ]; then
  # ThreadSanitizer covers the code that runs threads: the file finder and the
  # writer's workers.
  cmake --build --preset "$preset" -j "$(nproc)" --target test_findfile test_zip_threads
  ctest --preset "$preset" -j "$(nproc)" -L 'findfile|threads'
else
  cmake --build --preset "$preset" -j "$(nproc)"
  ctest --preset "$preset" -j "$(nproc)"
fi
