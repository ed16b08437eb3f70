#!/bin/sh
# The unit template ombrisal@.service: systemd-analyze verifies it where it is
# installed, and its service is run the way systemd would run it for
# ombrisal@rig — ExecStart with %i and %S filled in, its Environment=, its
# working folder and a notification socket for Type=notify — serving an
# options file on a virtual port until KillSignal, which must end it with
# the close sequence, status 0 and the project saved.
# Usage: systemd_unit_test.sh OMBRISAL_EXE UNIT_FILE
set -eu
exe="$1"
unit="$2"
work="$(mktemp -d)"
pids=""
cleanup() {
  for p in $pids; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "unit test: $*" >&2; exit 1; }
key() { sed -n "s/^$1=//p" "$unit"; }

# Installed, the program is /usr/bin/ombrisal; here it is the one built.
if command -v systemd-analyze >/dev/null 2>&1; then
  sed "s#/usr/bin/ombrisal#$exe#" "$unit" >"$work/ombrisal@.service"
  # (It prints what it finds and still exits 0 on much of it.)
  said="$(systemd-analyze verify --man=no "$work/ombrisal@rig.service" 2>&1)" || fail "systemd-analyze verify: $said"
  [ -z "$said" ] || fail "systemd-analyze verify: $said"
  echo "systemd-analyze verify: ombrisal@rig.service is valid"
else
  echo "systemd-analyze is not installed here: the unit's syntax is not verified (its service is still run below)"
fi

[ "$(key Type)" = notify ] || fail "Type is not notify"
state="$work/var/lib"
instance() { sed -e "s#%i#rig#g" -e "s#%I#rig#g" -e "s#%S#$state#g" -e "s#/etc/ombrisal#$work/etc#g" -e "s#/usr/bin/ombrisal#$exe#g"; }
command="$(key ExecStart | instance)"
folder="$(key WorkingDirectory | instance)"
signal="$(key KillSignal)"
[ -n "$command" ] && [ -n "$folder" ] && [ -n "$signal" ] || fail "ExecStart, WorkingDirectory or KillSignal missing"
mkdir -p "$work/etc" "$folder" "$work/run"
cat >"$work/etc/rig.conf" <<CONF
# the test rig
--serve pty:$work/run/plc
--no-sum
--control $work/run/plc.sock
--save-on-exit $folder/after.bin
CONF

socat -u "UNIX-RECV:$work/notify" "OPEN:$work/notify.log,creat,append" &
pids="$pids $!"
for _ in $(seq 50); do [ -S "$work/notify" ] && break; sleep 0.1; done

# Environment= holds blank-separated assignments (none with blanks here).
(
  cd "$folder"
  for assignment in $(key Environment | instance); do export "$assignment"; done
  export NOTIFY_SOCKET="$work/notify"
  # shellcheck disable=SC2086  # ExecStart's words, as systemd splits them
  exec $command >"$work/out" 2>"$work/err"
) &
server=$!
pids="$pids $server"
for _ in $(seq 100); do
  grep -q READY=1 "$work/notify.log" 2>/dev/null && break
  kill -0 "$server" 2>/dev/null || { cat "$work/err"; fail "the service ended at its start"; }
  sleep 0.1
done
grep -q READY=1 "$work/notify.log" || { cat "$work/err"; fail "the service never said READY=1"; }
# Ready means ready: the port and the control socket work at once.
[ -S "$work/run/plc.sock" ] || fail "READY=1 came before the control socket"
"$exe" ctl "$work/run/plc.sock" set D0 0x1234 >/dev/null || fail "ctl set failed"
reply="$(printf '\005%s' 00FFWR0D000001 | socat -t3 - "OPEN:$work/run/plc,raw,echo=0" | od -An -c | tr -s ' \n' ' ')"
expected="$(printf '\002%s\003' 00FF1234 | od -An -c | tr -s ' \n' ' ')"
[ "$reply" = "$expected" ] || { cat "$work/out" "$work/err"; fail "reply was '$reply', expected '$expected'"; }

kill -s "${signal#SIG}" "$server"
status=0
wait "$server" || status=$?
[ "$status" -eq 0 ] || { cat "$work/err"; fail "$signal ended the service with status $status"; }
grep -q "CLOSE" "$work/out" || fail "no close sequence in the traffic log"
[ -s "$folder/after.bin" ] || fail "the project of --save-on-exit was not written"
grep -q STOPPING=1 "$work/notify.log" || fail "the service never said STOPPING=1"
echo "ombrisal@rig served $work/etc/rig.conf, was ready, and stopped on $signal with status 0"
