#!/usr/bin/env bash
# Starts a CUPS scheduler (when none runs) with a cups-pdf queue for the printing tests,
# and stops what it started.   test-printer.sh start|stop
# The queue is named ZantorTestPDF; cups-pdf writes its PDFs under the folder that
# /etc/cups/cups-pdf.conf names with "Out".
set -uo pipefail
QUEUE=ZantorTestPDF
STATE=${TMPDIR:-/tmp}/zantor-test-cupsd.started
SUDO=(); [ "$(id -u)" -ne 0 ] && SUDO=(sudo -n)

case "${1:-}" in
start)
  if ! lpstat -r 2>/dev/null | grep -q "is running"; then
    "${SUDO[@]}" mkdir -p /run/cups
    "${SUDO[@]}" /usr/sbin/cupsd || { echo "test-printer: cannot start cupsd" >&2; exit 1; }
    touch "$STATE"
    for _ in $(seq 50); do lpstat -r 2>/dev/null | grep -q "is running" && break; sleep 0.1; done
  fi
  if ! lpstat -p "$QUEUE" >/dev/null 2>&1; then
    "${SUDO[@]}" lpadmin -p "$QUEUE" -E -v cups-pdf:/ -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd \
      || { echo "test-printer: cannot add the queue" >&2; exit 1; }
  fi
  lpstat -p "$QUEUE"
  ;;
stop)
  "${SUDO[@]}" lpadmin -x "$QUEUE" 2>/dev/null
  if [ -f "$STATE" ]; then
    rm -f "$STATE"
    "${SUDO[@]}" pkill -x cupsd
  fi
  exit 0
  ;;
*) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
