#!/usr/bin/env bash
# Packs the benchmark corpus with zipbackup-cli at levels 0, 1, 6 and 9, each without
# and with a password, and prints the SHA-256 of every archive. The program is built
# with ZB_FIXED_RANDOM=ON (in build/fixed-random), so the encryption headers repeat and
# two builds that write the same bytes print the same list: a change that must not alter
# the output is checked by comparing this list before and after it.
#
# Usage: bench/archive-hashes.sh CORPUS [OUT]
#   CORPUS  the corpus folder; made by bench/make-corpus.sh when it does not exist
#   OUT     where the archives go (default: a temporary folder, removed afterwards)
set -euo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"
corpus=${1:?usage: archive-hashes.sh CORPUS [OUT]}
if [ ! -d "$corpus" ]; then
    "$src/bench/make-corpus.sh" "$corpus" >&2
fi
corpus="$(cd "$corpus" && pwd)"

build="$src/build/fixed-random"
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZB_FIXED_RANDOM=ON \
    -DZB_BUILD_TESTS=OFF -DZB_BUILD_BENCH=OFF -DZB_BUILD_APP=OFF "${launcher[@]}" >/dev/null
cmake --build "$build" --target zipbackup-cli >&2
cli="$build/bin/zipbackup-cli"

if [ $# -ge 2 ]; then
    out=$2
    mkdir -p "$out"
else
    out="$(mktemp -d)"
    trap 'rm -rf "$out"' EXIT
fi

pack() {  # pack NAME ARGS...: one archive of the whole corpus, stored paths from its root
    local name=$1
    shift
    rm -f "$out/$name"
    "$cli" zip -q -r -p --root "$corpus" "$@" "$out/$name" . >&2
}

for level in 0 1 6 9; do
    pack "level$level.zip" "-$level"
    pack "level$level-password.zip" "-$level" -P "corpus password"
done
# The fixed source must really repeat: a second encrypted archive equals the first.
pack again.zip -1 -P "corpus password"
if ! cmp -s "$out/level1-password.zip" "$out/again.zip"; then
    echo "archive-hashes: two runs with the fixed random source differ" >&2
    exit 1
fi
rm -f "$out/again.zip"
(cd "$out" && sha256sum level*.zip | sort -k2)
