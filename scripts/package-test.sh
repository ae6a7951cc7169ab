#!/usr/bin/env bash
# Builds the Debian package from the default build and proves it on this machine, as a
# user would meet it: the menu entry and the AppStream data pass Debian's validators,
# lintian finds no error, the package installs with its dependencies, the installed
# zipbackup-cli tells its version, backs up and restores with a scratch settings folder,
# keeps no settings beside itself, its manual page renders, and removing the package
# leaves none of its files behind. Needs root (it installs the package).
set -euo pipefail
cd "$(dirname "$0")/.."

tools=(desktop-file-utils appstream lintian dpkg-dev file man-db bash-completion)
missing=()
for p in "${tools[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
scripts/install-deps.sh

build=build/default
cmake --preset default -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build --preset default -j "$(nproc)" --target zb_install_files
(cd "$build" && cpack)
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
deb="$(ls "$build"/zipbackup_"$version"_*.deb)"
echo "== $deb"
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb"

step() { echo "== $*"; }
step "menu entry and AppStream data"
desktop-file-validate "$build/packaging/zipbackup.desktop"
appstreamcli validate --no-net packaging/org.example.zipbackup.metainfo.xml

step "lintian"
lintian --fail-on error --display-info "$deb"

scratch="$(mktemp -d "${TMPDIR:-/tmp}/zipbackup-package.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
if dpkg-query -W zipbackup >/dev/null 2>&1; then
  DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq -o Dpkg::Use-Pty=0 zipbackup
fi

step "install"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq -o Dpkg::Use-Pty=0 --no-install-recommends "$PWD/$deb"
dpkg-query -L zipbackup | sort >"$scratch/files"
cli=/usr/bin/zipbackup-cli
[ "$(command -v zipbackup-cli)" = "$cli" ]
got="$("$cli" --version)"
[ "$got" = "zipbackup-cli $version" ] || { echo "--version printed '$got'"; exit 1; }
if [ -x /usr/bin/zipbackup ]; then
  got="$(QT_QPA_PLATFORM=offscreen /usr/bin/zipbackup --version)"
  [[ "$got" == *"$version"* ]] || { echo "zipbackup --version printed '$got'"; exit 1; }
  QT_QPA_PLATFORM=offscreen /usr/bin/zipbackup --help | grep -q -- --app-dir
  desktop-file-validate /usr/share/applications/zipbackup.desktop
  [ -f /usr/share/icons/hicolor/scalable/apps/zipbackup.svg ]
fi

step "backup and restore through the installed program"
mkdir -p "$scratch/data/sub" "$scratch/archives" "$scratch/home"
printf 'first file\n' >"$scratch/data/one.txt"
head -c 100000 /dev/urandom >"$scratch/data/sub/two.bin"
run() { "$cli" --app-dir "$scratch/settings" "$@"; }
run add-project Demo --include "$scratch/data/*.*" --save-folder "$scratch/archives" --suffix number
run backup Demo
archive="$(ls "$scratch"/archives/*.zip)"
run restore "$archive" "$scratch/restored"
diff -r "$scratch/data" "$scratch/restored$scratch/data"
[ -f "$scratch/settings/project.ini" ] && [ -f "$scratch/settings/log.txt" ]

step "no settings beside the installed program"
env -u ZIPBACKUP_APP_DIR -u XDG_CONFIG_HOME HOME="$scratch/home" "$cli" projects 2>&1 | grep -F "$scratch/home/.config/zipbackup/"
[ -d "$scratch/home/.config/zipbackup" ]
[ ! -e /usr/bin/project.ini ] && [ ! -e /usr/bin/log.txt ]

step "manual pages and completion"
for page in $(grep '^/usr/share/man/' "$scratch/files" | grep '\.gz$'); do
  MANWIDTH=80 man --warnings -E UTF-8 -l "$page" >"$scratch/page.txt" 2>"$scratch/man-warnings"
  if [ -s "$scratch/man-warnings" ]; then cat "$scratch/man-warnings"; exit 1; fi
  head -5 "$scratch/page.txt"
done
# Every command the program knows has its part of the manual page.
MANWIDTH=80 man -l /usr/share/man/man1/zipbackup-cli.1.gz >"$scratch/page.txt"
for command in $("$cli" --help | awk '/^Subcommands:$/ { on = 1; next } on && /^  [^ ]/ { print $1 }'); do
  grep -q "^   $command\$" "$scratch/page.txt" || { echo "the manual page lacks '$command'"; exit 1; }
done
bash -c 'source /usr/share/bash-completion/completions/zipbackup-cli
  COMP_WORDS=(zipbackup-cli res); COMP_CWORD=1; _zipbackup_cli; [ "${COMPREPLY[*]}" = restore ]'

step "remove"
DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq -o Dpkg::Use-Pty=0 zipbackup
if dpkg-query -W zipbackup >/dev/null 2>&1; then echo "zipbackup is still known to dpkg"; exit 1; fi
left=0
while read -r f; do
  if [ -d "$f" ]; then
    # A folder of the package's own must go; shared ones (/usr/bin) stay.
    case "$f" in */zipbackup | */zipbackup/*) echo "left behind: $f"; left=1 ;; esac
  elif [ -e "$f" ] || [ -L "$f" ]; then
    echo "left behind: $f"; left=1
  fi
done <"$scratch/files"
exit $left
