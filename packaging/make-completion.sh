#!/bin/sh
# Writes the bash completion of zipbackup-cli from the program's own --help texts:
# the commands, each command's options, the options that take a value and the values
# of those that offer a fixed choice. The build runs it after linking:
#   make-completion.sh PROGRAM OUTPUT
set -eu
cli="$1"
out="$2"

# "OPTIONS|VALUED|CHOICES" of one --help: every option name, the names that take a
# value, and "name=a b c" for those whose value is one of a set.
options() {
  awk '
    /^Options:$/ { on = 1; next }
    /^[^ ]/ { on = 0 }
    on && /^  -/ {
      spec = substr($0, 3); sub(/  .*/, "", spec)
      n = split(spec, word, " ")
      k = split(word[1], name, ",")
      valued = (n > 1 && word[2] ~ /^[A-Z]+(:|$)/)
      choice = ""
      if (valued && match(word[2], /\{[^}]*\}/)) {
        choice = substr(word[2], RSTART + 1, RLENGTH - 2); gsub(/,/, " ", choice)
      }
      for (i = 1; i <= k; i++) {
        all = all " " name[i]
        if (valued) val = val " " name[i]
        if (choice != "") ch = ch ";" name[i] "=" choice
      }
    }
    END { sub(/^ /, "", all); sub(/^ /, "", val); sub(/^;/, "", ch); print all "|" val "|" ch }'
}

commands="$("$cli" --help | awk '/^Subcommands:$/ { on = 1; next } on && /^  [^ ]/ { print $1 }' | tr '\n' ' ' | sed 's/ $//')"

# One "case" branch of the completion function.
branch() {
  o="$(cat)"
  rest="${o#*|}"
  echo "        $1) opts=\"${o%%|*}\"; valued=\"${rest%%|*}\"; choices=\"${rest#*|}\" ;;"
}

{
  cat <<HEAD
# bash completion for zipbackup-cli, written at build time from the program's --help.

_zipbackup_cli()
{
    local cur="\${COMP_WORDS[COMP_CWORD]}" prev="\${COMP_WORDS[COMP_CWORD-1]}"
    local command="" i opts="" valued="" choices=""
    for ((i = 1; i < COMP_CWORD; i++)); do
        case "\${COMP_WORDS[i]}" in
            --app-dir) ((i++)) ;;
            -*) ;;
            *) command="\${COMP_WORDS[i]}"; break ;;
        esac
    done
    case "\$command" in
HEAD
  "$cli" --help | options | branch '""'
  for command in $commands; do
    "$cli" "$command" --help | options | branch "$command"
  done
  cat <<TAIL
    esac
    case "\$prev" in
        --app-dir|-d|--dest|--save-folder|--root)
            COMPREPLY=(\$(compgen -d -- "\$cur")); return ;;
    esac
    if [[ " \$valued " == *" \$prev "* ]]; then
        local entry
        IFS=';' read -ra entry <<<"\$choices"
        for i in "\${entry[@]}"; do
            if [[ "\${i%%=*}" == "\$prev" ]]; then
                COMPREPLY=(\$(compgen -W "\${i#*=}" -- "\$cur")); return
            fi
        done
        COMPREPLY=(\$(compgen -f -- "\$cur")); return
    fi
    if [[ "\$cur" == -* ]]; then
        COMPREPLY=(\$(compgen -W "\$opts" -- "\$cur"))
    elif [[ -z "\$command" ]]; then
        COMPREPLY=(\$(compgen -W "$commands" -- "\$cur"))
    else
        COMPREPLY=(\$(compgen -f -- "\$cur"))
    fi
}
complete -o filenames -F _zipbackup_cli zipbackup-cli
TAIL
} >"$out.tmp"
mv "$out.tmp" "$out"
