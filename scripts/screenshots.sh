#!/usr/bin/env bash
# Renders the README's screenshots of the window and its dialogs into docs/screenshots/,
# on Qt's offscreen platform with the installed font (no display needed).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "${JOBS:-$(nproc)}" --target zipbackup-screenshots
runtime="$(mktemp -d "${TMPDIR:-/tmp}/zipbackup-shots.XXXXXX")"
trap 'rm -rf "$runtime"' EXIT
QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 XDG_RUNTIME_DIR="$runtime" XDG_CONFIG_HOME="$runtime/config" \
  build/default/bin/zipbackup-screenshots docs/screenshots
