#!/usr/bin/env bash
# Peak resident size of a backup of many empty files (1,000,000 in 1,000 folders by
# default): `zipbackup-cli zip -r` against Info-ZIP's `zip -r` on the same tree, each
# measured by /usr/bin/time ("Maximum resident set size"). Prints both in bytes per
# member and a RESULT line (ratio ours/peer, in the CPU column; the target is a peak no
# larger than the peer's) for scripts/bench.sh.
#
# Usage: bench/backup-memory.sh CLI [FILES] [FOLDERS]
#   ZB_BENCH_WORK  where the tree and the archives go (default /tmp/zb-bench-data/memory)
set -euo pipefail
cli=$(realpath "${1:?usage: backup-memory.sh CLI [FILES] [FOLDERS]}")  # the runs start in the tree
files=${2:-1000000}
folders=${3:-1000}
work=${ZB_BENCH_WORK:-/tmp/zb-bench-data/memory}
tree="$work/tree-$files-$folders"
mkdir -p "$work"

if [ ! -e "$tree.done" ]; then
    rm -rf "$tree"
    python3 - "$tree" "$files" "$folders" <<'EOF'
import os, sys
root, files, folders = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
for f in range(folders):
    folder = os.path.join(root, "folder%04d" % f)
    os.makedirs(folder)
    for i in range(f, files, folders):
        open(os.path.join(folder, "file%07d.txt" % i), "w").close()
EOF
    touch "$tree.done"
fi

# Peak resident kilobytes of a command run in the tree.
peak() {
    local report
    report=$(cd "$tree" && /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -n 1)
    echo "$report"
}
rm -f "$work/ours.zip" "$work/peer.zip"
ours=$(peak "$cli" zip -q -r -D --root "$tree" "$work/ours.zip" .)
peer=$(peak zip -q -r -D -X "$work/peer.zip" .)
ours_members=$(unzip -Z1 "$work/ours.zip" | wc -l)
peer_members=$(unzip -Z1 "$work/peer.zip" | wc -l)
rm -f "$work/ours.zip" "$work/peer.zip"
if [ "$ours_members" != "$files" ] || [ "$peer_members" != "$files" ]; then
    echo "backup-memory: the archives hold $ours_members and $peer_members members, not $files" >&2
    exit 1
fi
awk -v o="$ours" -v p="$peer" -v n="$files" 'BEGIN {
    printf "peak resident size, %d empty files: ours %d KiB (%.0f bytes per member), Info-ZIP zip %d KiB (%.0f bytes per member)\n", n, o, o * 1024 / n, p, p * 1024 / n
    printf "RESULT|backup peak memory %d files|Info-ZIP zip|%.3f||<= 1.00 rss\n", n, o / p
}'
