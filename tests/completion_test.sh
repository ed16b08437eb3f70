#!/usr/bin/env bash
# The bash completion of ombrisal: sourced in a plain bash (no
# bash-completion package needed) it registers itself, offers exactly the
# options `ombrisal --help` describes, and completes values, ports, ctl
# commands and files, --opt=value included.
# Usage: completion_test.sh OMBRISAL_EXE COMPLETION_FILE
set -euo pipefail
exe="$1"
script="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "completion: $*" >&2; failures=$((failures + 1)); }

# shellcheck source=/dev/null
source "$script"
registered="$(complete -p ombrisal)"
[ "$registered" = "complete -F _ombrisal ombrisal" ] || fail "complete -p ombrisal says: $registered"
echo "$registered"

# What bash would offer for LINE with the cursor at its end, one per line,
# sorted.  (bash splits words at its COMP_WORDBREAKS, = and : among them.)
offered() {
  local line="$1"
  COMP_LINE="$line"
  COMP_POINT=${#line}
  local IFS=$' \t\n'
  read -ra COMP_WORDS <<<"$line"
  [[ "$line" == *" " ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  _ombrisal ombrisal "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]:-}"
  printf '%s\n' "${COMPREPLY[@]}" | sort
}
expect() {  # expect LINE WORDS...: exactly these are offered
  local line="$1"
  shift
  local want got
  want="$(printf '%s\n' "$@" | sort)"
  got="$(offered "$line")"
  if [ "$got" = "$want" ]; then
    echo "  '$line' -> $(tr '\n' ' ' <<<"$got")"
  else
    fail "'$line' offers [$(tr '\n' ' ' <<<"$got")], expected [$(tr '\n' ' ' <<<"$want")]"
  fi
}

# Every option of --help, and nothing else.
help_options="$("$exe" --help | grep -oE -- '(^|[ ,])--?[a-zA-Z][a-z-]*' | tr -d ' ,' | sort -u)"
offered_options="$(offered "ombrisal -")"
[ "$offered_options" = "$help_options" ] ||
  fail "options offered and options of --help differ: $(diff <(echo "$offered_options") <(echo "$help_options") | grep '^[<>]' | tr '\n' ' ')"
echo "  'ombrisal -' -> the $(wc -l <<<"$offered_options") options of --help"

cd "$work"
mkdir -p "$work/projects"
touch "$work/projects/line3.bin" "$work/projects/line4.bin" "$work/faults.txt"
expect "ombrisal --se" --serve
expect "ombrisal --no-" --no-check --no-reopen --no-sum
expect "ombrisal --serve pt" pty:
expect "ombrisal --serve tcp" tcp: tcp-connect:
expect "ombrisal --serve COM1" COM1 COM10 COM11 COM12 COM13 COM14 COM15 COM16
# After pty: a path; bash replaces only what follows the colon.
expect "ombrisal --serve pty:$work/pro" "$work/projects/"
expect "ombrisal --serve=pty:$work/projects/line" "$work/projects/line3.bin" "$work/projects/line4.bin"
expect "ombrisal --format " 1 2 3 4
expect "ombrisal --format=" 1 2 3 4
expect "ombrisal --cpu A" ACPU AnACPU
expect "ombrisal --stats=j" json
expect "ombrisal --line 1152" 115200,n,8,1
expect "ombrisal --project $work/projects/line3" "$work/projects/line3.bin"
expect "ombrisal --faults=$work/fa" "$work/faults.txt"
expect "ombrisal --station " 
expect "ombrisal ct" ctl
expect "ombrisal ctl $work/fa" "$work/faults.txt"
expect "ombrisal ctl /tmp/plc.sock w" wait-change
expect "ombrisal ctl /tmp/plc.sock " get set load save export import fault stats wait-change script quit
expect "ombrisal ctl /tmp/plc.sock script " load stop status
expect "ombrisal ctl /tmp/plc.sock script load $work/fa" "$work/faults.txt"
expect "ombrisal ctl /tmp/plc.sock import $work/fa" "$work/faults.txt"
expect "ombrisal --log-format " text decoded jsonl
expect "ombrisal re" replay
expect "ombrisal ctl /tmp/plc.sock fault " add clear
expect "ombrisal ctl /tmp/plc.sock load $work/projects/line4" "$work/projects/line4.bin"
# The serial devices that are there, and only those.
devices=()
for d in /dev/ttyS* /dev/ttyUSB* /dev/ttyACM* /dev/ttyAMA* /dev/serial/by-id/*; do [ -e "$d" ] && devices+=("$d"); done
expect "ombrisal --serve /dev/tty" $(printf '%s\n' "${devices[@]}" | grep '^/dev/tty')

# A line bash hands over empty (compgen -F outside a completion) breaks
# nothing: no error from the function.
got="$(compgen -F _ombrisal -- A 2>&1 >/dev/null | grep -v 'may not work as you expect' || true)"
[ -z "$got" ] || fail "compgen -F _ombrisal outside a completion says: $got"
[ "$failures" -eq 0 ] || { echo "$failures completion checks failed" >&2; exit 1; }
echo "The completion passed."
