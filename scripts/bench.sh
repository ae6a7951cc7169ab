#!/usr/bin/env bash
# Runs every benchmark against its peers on the shared data sets and prints one summary
# table: each figure, its peer, the ratios ours/peer in CPU and wall time (from
# interleaved runs inside each benchmark) and the target the figure must reach. Not
# part of CI (which only builds the benchmarks): a full run takes about ten minutes on
# a 2-core machine, --quick about three.
#
# Usage: scripts/bench.sh [--quick] [--no-build]
#   ZB_BENCH_DATA    where the data sets and scratch files go (default /tmp/zb-bench-data)
#   ZB_BENCH_CORPUS  an existing copy of the 106 MB corpus to use instead of building one
#   ZB_BENCH_SCRIPTS the shared data-set builders (default ../shared/bench beside the repo)
set -euo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"
quick=0
build=1
for arg in "$@"; do
    case $arg in
        --quick) quick=1 ;;
        --no-build) build=0 ;;
        *) echo "usage: scripts/bench.sh [--quick] [--no-build]" >&2; exit 2 ;;
    esac
done
data=${ZB_BENCH_DATA:-/tmp/zb-bench-data}
scripts=${ZB_BENCH_SCRIPTS:-$src/../shared/bench}
bin="$src/build/default/bin"
mkdir -p "$data"
log="$data/bench-$(date +%Y%m%d-%H%M%S).log"

if ((build)); then
    cmake --preset default >/dev/null
    cmake --build --preset default --target zipbackup-cli bench_crc_bench bench_deflate_bench \
        bench_inflate_bench bench_zip_bench bench_unzip_bench >&2
fi
if [ ! -e "$data/corpus" ]; then
    if [ -n "${ZB_BENCH_CORPUS:-}" ]; then
        ln -s "$(cd "$ZB_BENCH_CORPUS" && pwd)" "$data/corpus"
    else
        bash "$scripts/make-corpus.sh" "$data/corpus" >&2
    fi
fi

if ((quick)); then
    rounds=1 levels=6 members=(100000) emptyFiles=200000
else
    rounds=3 levels=1,6,9 members=(100000 200000 1000000) emptyFiles=1000000
fi

# Each step's output goes to the log; its RESULT lines are what the table shows.
run() {
    local name=$1
    shift
    echo "== $name" | tee -a "$log" >&2
    local start=$SECONDS
    if ! "$@" >>"$log" 2>&1; then
        echo "   $name failed; see $log" >&2
    fi
    echo "   $((SECONDS - start)) s" >&2
}
run crc env ZB_BENCH_DIR="$data/corpus" "$bin/bench_crc_bench"
run inflate env ZB_BENCH_DIR="$data/corpus" ZB_BENCH_ROUNDS=$((quick ? 2 : 5)) "$bin/bench_inflate_bench"
run deflate env ZB_BENCH_DIR="$data/corpus" "$bin/bench_deflate_bench" 1 "" "$levels"
run backup env ZB_BENCH_DIR="$data" ZB_BENCH_SCRIPTS="$scripts" ZB_BENCH_ROUNDS=$rounds "$bin/bench_zip_bench"
run extract env ZB_BENCH_DIR="$data/corpus" ZB_BENCH_ROUNDS=$((quick ? 1 : 3)) "$bin/bench_unzip_bench"
run members env ZB_BENCH_WORK="$data/members" "$src/bench/member-count.sh" "$bin/zipbackup-cli" "${members[@]}"
run memory env ZB_BENCH_WORK="$data/memory" "$src/bench/backup-memory.sh" "$bin/zipbackup-cli" "$emptyFiles" 1000

echo
echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'); $(date -u +%Y-%m-%d)"
echo "Ratios are ours/peer (below 1: ours is faster); CPU is user+system time, wall the elapsed time."
echo
grep '^RESULT|' "$log" | awk -F'|' '
    function verdict(target, cpu, wall,   n, parts, limit, value) {
        if (target == "") return ""
        n = split(target, parts, " ")
        limit = parts[2] + 0
        value = (parts[3] == "wall" ? wall : cpu)
        if (value == "") return "?"
        return (value + 0 <= limit ? "hit" : "missed")
    }
    BEGIN {
        printf "| %-34s | %-14s | %8s | %8s | %-13s | %-6s |\n", "figure", "peer", "CPU", "wall", "target", ""
        printf "|%s|%s|%s|%s|%s|%s|\n", "------------------------------------", "----------------", "----------:", "----------:", "---------------", "--------"
    }
    { printf "| %-34s | %-14s | %8s | %8s | %-13s | %-6s |\n", $2, $3, $4, $5, $6, verdict($6, $4, $5) }'
echo
echo "Full output: $log"
