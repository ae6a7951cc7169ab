#!/usr/bin/env bash
# Builds the fuzz targets (clang, address and undefined sanitizers) and runs each one
# for a bounded time on its seed corpus, with the record dictionary for the targets that
# read archives. A crash, a leak, a hang or a broken property fails the script, with the
# reproducer left in build/fuzz/findings/<target>/.
#   scripts/fuzz.sh               every target, FUZZ_SECONDS (default 25) each
#   scripts/fuzz.sh inflate 300   one target for 300 seconds
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${FUZZ_SECONDS:-25}"
only="${1:-}"
[ -n "${2:-}" ] && seconds="$2"

targets=()
for src in fuzz/*.cpp; do
  name="$(basename "$src" .cpp)"
  [ -n "$only" ] && [ "$name" != "$only" ] && continue
  targets+=("$name")
done
if ((${#targets[@]} == 0)); then
  echo "no fuzz target named '$only'" >&2
  exit 2
fi

cmake --preset fuzz >/dev/null
cmake --build build/fuzz -j2 $(printf -- '--target fuzz_%s ' "${targets[@]}")

status=0
for name in "${targets[@]}"; do
  seeds="fuzz/corpus/$name"
  work="build/fuzz/corpus/$name"
  findings="build/fuzz/findings/$name"
  mkdir -p "$seeds" "$work" "$findings"
  dict=()
  case "$name" in
    records|directory|extract|stored_crypt) dict=(-dict=fuzz/zip.dict) ;;
  esac
  echo "== fuzz_$name for ${seconds}s"
  # New inputs go to the working corpus under build/; the seeds in the repository stay.
  if ! "build/fuzz/bin/fuzz_$name" "$work" "$seeds" "${dict[@]}" -max_total_time="$seconds" \
        -timeout=20 -rss_limit_mb=2048 -malloc_limit_mb=1024 -max_len=262144 \
        -print_final_stats=1 -artifact_prefix="$findings/" >"$findings/log.txt" 2>&1; then
    tail -40 "$findings/log.txt"
    echo "fuzz_$name FAILED; reproducer in $findings/"
    status=1
  else
    grep -E '^stat::number_of_executed_units' "$findings/log.txt" || true
  fi
done
exit $status
