#!/usr/bin/env bash
# Builds the program. With a display (X11 or Wayland) it starts the window, which finds
# its settings folder as it always does (ZIPBACKUP_APP_DIR first, then the program's
# own folder or ~/.config/zipbackup). Without one it says how to get the
# window and shows the program's main job on the repository's own sources: a demo
# project in a scratch settings folder backs up src/ twice (the running number makes
# two archives), lists them, restores the newest into a scratch folder, compares the
# result with the sources and prints the activity log. With arguments, runs
# zipbackup-cli with them instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "${JOBS:-$(nproc)}"
cli="$PWD/build/default/bin/zipbackup-cli"
if (($#)); then
  exec "$cli" "$@"
fi
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$PWD/build/default/bin/zipbackup"
fi
echo "No display found (neither DISPLAY nor WAYLAND_DISPLAY is set): to see the window, run"
echo "scripts/run.sh from a desktop session, or over 'ssh -X'. Meanwhile, the same work"
echo "through zipbackup-cli:"
echo

scratch="$(mktemp -d "${TMPDIR:-/tmp}/zipbackup-demo.XXXXXX")"
settings="$scratch/settings"
archives="$scratch/archives"
restored="$scratch/restored"
mkdir -p "$settings" "$archives"
run() {
  echo "\$ zipbackup-cli $(printf "%q " "$@")"
  "$cli" --app-dir "$settings" "$@"
  echo
}

run add-project Demo --include "$PWD/src/*.*" --save-folder "$archives" --comment "The program's own sources"
run projects
run backup Demo
run backup Demo
run archives Demo
newest="$archives/Demo2.zip"
run restore "$newest" "$restored"
echo "\$ diff -r src <restored copy>"
diff -r "$PWD/src" "$restored$PWD/src"
echo "The restored copy of $newest equals src/."
echo
run log
echo "Scratch folder (settings, archives, restored copy): $scratch"
