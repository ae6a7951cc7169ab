#!/usr/bin/env bash
# Cost per member of a directory: lists, tests and extracts generated archives of empty
# members (a thousand to a folder) with zipbackup-cli and with Info-ZIP unzip, one run
# of each in turn, and prints wall and CPU time per member. When every step is linear
# the figures stay flat as the count grows. The RESULT lines (ratio ours/unzip, CPU and
# wall) are what scripts/bench.sh gathers.
#
# Usage: bench/member-count.sh CLI [COUNT...]   (default counts 100000 200000 1000000)
#   ZB_BENCH_WORK  where archives and extracted trees go (default /tmp/zb-bench-members)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
cli=${1:?usage: member-count.sh CLI [COUNT...]}
shift
counts=("$@")
((${#counts[@]})) || counts=(100000 200000 1000000)
work=${ZB_BENCH_WORK:-/tmp/zb-bench-members}
mkdir -p "$work/old"
trap 'rm -rf "$work/old" "$work/out-ours" "$work/out-unzip"' EXIT

# Runs one command, its output discarded; prints "wall cpu" in seconds.
timed() {
    /usr/bin/time -o "$work/time" -f "%e %U %S" "$@" >/dev/null 2>&1 </dev/null || true
    awk '{ printf "%.3f %.3f\n", $1, $2 + $3 }' "$work/time"
}

printf '%-10s %-8s %10s %10s %10s %10s %8s\n' members step "ours us" "unzip us" "ours cpu" "unzip cpu" "ratio"
for n in "${counts[@]}"; do
    zip="$work/members-$n.zip"
    [ -f "$zip" ] || python3 "$here/make-members.py" "$n" "$zip"
    for step in list test extract; do
        case $step in
            list) ours=("$cli" list "$zip"); peer=(unzip -l "$zip") ;;
            test) ours=("$cli" test "$zip"); peer=(unzip -tq "$zip") ;;
            extract) ours=("$cli" unzip "$zip" -o -d "$work/out-ours"); peer=(unzip -oq "$zip" -d "$work/out-unzip") ;;
        esac
        # Old trees are moved aside, not deleted, right before a run: mass deletion
        # slows the file creations that follow it.
        for d in out-ours out-unzip; do [ ! -e "$work/$d" ] || mv "$work/$d" "$work/old/$d-$RANDOM$RANDOM"; done
        read -r ow oc < <(timed "${ours[@]}")
        read -r pw pc < <(timed "${peer[@]}")
        awk -v n="$n" -v s="$step" -v ow="$ow" -v oc="$oc" -v pw="$pw" -v pc="$pc" 'BEGIN {
            printf "%-10d %-8s %10.2f %10.2f %10.2f %10.2f %8.2f\n", n, s, ow / n * 1e6, pw / n * 1e6, oc / n * 1e6, pc / n * 1e6, (pw > 0 ? ow / pw : 0)
            peer = (s == "list" ? "unzip -l" : s == "test" ? "unzip -t" : "unzip")
            target = (n >= 1000000 && s != "test" ? "<= 1.00 wall" : "")
            printf "RESULT|%s %d members|%s|%.3f|%.3f|%s\n", s, n, peer, (pc > 0 ? oc / pc : 0), (pw > 0 ? ow / pw : 0), target
        }'
    done
done
