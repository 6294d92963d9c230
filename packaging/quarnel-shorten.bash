# Bash completion for quarnel-shorten: its options, and templates (*.tmp) or any file for RECORDS.
_quarnel_shorten() {
  local cur prev
  cur=${COMP_WORDS[COMP_CWORD]}
  prev=${COMP_WORDS[COMP_CWORD - 1]}
  if [[ $prev == --apply ]]; then
    compopt -o filenames 2>/dev/null
    mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    return
  fi
  if [[ $cur == -* ]]; then
    mapfile -t COMPREPLY < <(compgen -W '--apply --allow-new-cells --check --help --version' -- "$cur")
    return
  fi
  compopt -o filenames 2>/dev/null
  mapfile -t COMPREPLY < <(compgen -f -X '!*.tmp' -- "$cur"; compgen -d -- "$cur")
}
complete -F _quarnel_shorten quarnel-shorten
