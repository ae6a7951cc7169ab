#!/bin/sh
# Writes the manual page of zipbackup-cli from the program's own --help texts, so that
# every command and option the program knows is in the page and none that it does not.
# The build runs it after linking:  make-manpage.sh PROGRAM OUTPUT
set -eu
cli="$1"
out="$2"
version="$("$cli" --version | sed 's/^zipbackup-cli //')"

# Roff text of one --help: each entry of "Positionals:" and "Options:" becomes a
# tagged paragraph; the description starts in column 31, or on the next line when the
# entry is too wide.
entries() {
  awk '
    function esc(s) { gsub(/\\/, "\\e", s); gsub(/-/, "\\-", s); sub(/^[.\047]/, "\\\\&&", s); return s }
    function flush() { if (tag != "") { print ".TP"; print "\\fB" esc(tag) "\\fR"; print esc(desc) } tag = ""; desc = "" }
    /^(Positionals|Options):$/ { flush(); inlist = 1; next }
    /^[^ ]/ { flush(); inlist = 0; next }
    !inlist { next }
    /^  [^ ]/ {
      flush()
      if (length($0) > 30 && substr($0, 30, 1) == " " && substr($0, 31, 1) != " ") {
        tag = substr($0, 3, 27); desc = substr($0, 31)
      } else { tag = substr($0, 3); desc = "" }
      sub(/ +$/, "", tag)
      next
    }
    /^ +[^ ]/ { line = $0; sub(/^ +/, "", line); desc = (desc == "" ? line : desc " " line); next }
    END { flush() }'
}

{
  cat <<HEAD
.TH ZIPBACKUP\\-CLI 1 "" "zipbackup\\-cli $version" "User Commands"
.SH NAME
zipbackup\\-cli \\- back up projects into ZIP archives and restore them from a terminal
.SH SYNOPSIS
.B zipbackup\\-cli
[\\fB\\-\\-app\\-dir\\fR \\fIfolder\\fR] \\fIcommand\\fR [\\fIoptions\\fR] [\\fIarguments\\fR]
.br
.B zipbackup\\-cli \\-\\-version
.SH DESCRIPTION
.B zipbackup\\-cli
does the jobs of the Varnholt ZIP Backup window from a terminal: it lists and adds
backup projects, runs a project's backup as the window's tray menu does, lists the
archives of a project, restores an archive and shows the activity log. It also
packs, lists, tests and extracts any ZIP archive, in the manner of the common
zip and unzip tools. Backups and restores are written to the activity log.
.PP
Each command has its own \\fB\\-\\-help\\fR.
.SH OPTIONS
HEAD
  "$cli" --help | entries
  echo ".SH COMMANDS"
  "$cli" --help | awk '/^Subcommands:$/ { on = 1; next } on && /^  [^ ]/ { print $1 }' |
  while read -r command; do
    help="$("$cli" "$command" --help)"
    echo ".SS $(printf '%s' "$command" | sed 's/-/\\-/g')"
    printf '%s\n' "$help" | sed -n '1p' | sed 's/\\/\\e/g; s/-/\\-/g; s/^[.'\'']/\\\&&/'
    echo ".PP"
    printf '%s\n' "$help" | sed -n 's/^Usage: //p' | sed 's/\\/\\e/g; s/-/\\-/g; s/^/.B /'
    printf '%s\n' "$help" | entries
  done
  cat <<'TAIL'
.SH FILES
.TP
.I project.ini
The backup projects and the preferences, shared with the window.
.TP
.I log.txt
The activity log.
.PP
Both live in the settings folder: the folder given by \fB\-\-app\-dir\fR, else the
one named by \fBZIPBACKUP_APP_DIR\fR, else the program's own folder when it already
holds a \fIproject.ini\fR (a portable copy), else
\fI$XDG_CONFIG_HOME/zipbackup\fR (by default \fI~/.config/zipbackup\fR).
.SH ENVIRONMENT
.TP
.B ZIPBACKUP_APP_DIR
The settings folder, when \fB\-\-app\-dir\fR is not given.
.TP
.B XDG_CONFIG_HOME
The user's configuration folder, which holds the settings folder
\fIzipbackup\fR.
.SH EXIT STATUS
0 when the command succeeded; another value when it failed or was refused, with the
reason on standard error.
.SH SEE ALSO
.BR zipbackup (1),
.BR zip (1),
.BR unzip (1)
TAIL
} >"$out.tmp"
mv "$out.tmp" "$out"
