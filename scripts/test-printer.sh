#!/usr/bin/env bash
# Starts a CUPS scheduler (when none runs) with a cups-pdf queue of this test run's own, and
# removes that queue again.      test-printer.sh start|stop QUEUEFILE
#
# Each run makes a queue with a name of its own and its own output folder, and writes both,
# one a line, into QUEUEFILE, where the tests read them; two test runs on one machine never
# share or remove each other's queue. The queue's description names its owner, the process
# that started the set-up (CTest); a queue whose owner is gone (a killed run) is removed by the
# next set-up. cups-pdf reads /etc/cups/cups-pdf-NAME.conf for the device URI cups-pdf:/NAME,
# which gives each queue its own output folder.
set -uo pipefail
CMD=${1:-}; FILE=${2:-}
PREFIX=ZantorTest-
STATE=${TMPDIR:-/tmp}/zantor-test-cupsd.started
SUDO=(); [ "$(id -u)" -ne 0 ] && SUDO=(sudo -n)

[ -n "$FILE" ] || { echo "usage: $0 start|stop QUEUEFILE" >&2; exit 2; }

# "pid:start-time" of a process: a pid alone can be reused once its process is gone.
identity() { local s; s=$(cut -d' ' -f22 "/proc/$1/stat" 2>/dev/null) && echo "$1:$s"; }
alive() { local pid=${1%%:*}; [ -n "$pid" ] && [ "$(identity "$pid")" = "$1" ]; }

# The owner stored in a queue's description ("zantor-test owner=PID:START out=FOLDER").
describe() { lpstat -l -p "$1" 2>/dev/null | grep -m1 "zantor-test owner="; }
owner_of() { describe "$1" | sed -n 's/.*owner=\([0-9]*:[0-9]*\).*/\1/p'; }
out_of() { describe "$1" | sed -n 's/.* out=\(.*\)$/\1/p'; }

remove_queue() {
  local out; out=$(out_of "$1")
  "${SUDO[@]}" lpadmin -x "$1" 2>/dev/null
  "${SUDO[@]}" rm -f "/etc/cups/cups-pdf-$1.conf"
  [ -n "$out" ] && [[ "$out" == */cups-pdf-out/"$1" ]] && rm -rf "$out"
}

test_queues() { lpstat -e 2>/dev/null | grep "^$PREFIX" || true; }

case "$CMD" in
start)
  if ! lpstat -r 2>/dev/null | grep -q "is running"; then
    "${SUDO[@]}" mkdir -p /run/cups
    "${SUDO[@]}" /usr/sbin/cupsd || { echo "test-printer: cannot start cupsd" >&2; exit 1; }
    touch "$STATE"
    for _ in $(seq 50); do lpstat -r 2>/dev/null | grep -q "is running" && break; sleep 0.1; done
  fi
  # Queues of runs that were killed: their owner is gone.
  for q in $(test_queues); do
    if ! alive "$(owner_of "$q")"; then
      echo "test-printer: removing $q, left by a test run that is gone"
      remove_queue "$q"
    fi
  done
  owner=$(identity "$PPID")
  QUEUE="$PREFIX$PPID-$(od -An -N3 -tx1 /dev/urandom | tr -d ' \n')"
  OUT="$(cd "$(dirname "$FILE")" && pwd)/cups-pdf-out/$QUEUE"
  mkdir -p "$OUT" || exit 1
  { grep -v "^Out[[:space:]]" /etc/cups/cups-pdf.conf; echo "Out $OUT"; } \
    | "${SUDO[@]}" tee "/etc/cups/cups-pdf-$QUEUE.conf" >/dev/null
  "${SUDO[@]}" lpadmin -p "$QUEUE" -E -v "cups-pdf:/$QUEUE" -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd \
    -D "zantor-test owner=$owner out=$OUT" || { echo "test-printer: cannot add the queue" >&2; exit 1; }
  printf '%s\n%s\n' "$QUEUE" "$OUT" > "$FILE"
  lpstat -p "$QUEUE"
  ;;
stop)
  QUEUE=$(sed -n 1p "$FILE" 2>/dev/null)
  [[ "$QUEUE" == "$PREFIX"* ]] && remove_queue "$QUEUE"
  rm -f "$FILE"
  # The scheduler goes only when a test run started it and no run still has a queue.
  if [ -f "$STATE" ] && [ -z "$(test_queues)" ]; then
    rm -f "$STATE"
    "${SUDO[@]}" pkill -x cupsd
  fi
  exit 0
  ;;
*) echo "usage: $0 start|stop QUEUEFILE" >&2; exit 2 ;;
esac
