#!/usr/bin/env bash
# Runs the print test program against a private CUPS scheduler: its own configuration folder,
# socket and CUPS_SERVER, and one default queue that writes each job as PDF to a file. The
# machine's own scheduler and printers are never used. The scheduler is stopped and its folder
# removed on every path. Needs root, because cupsd runs its filters as the "lp" user.
# Usage: run_print_test.sh PRINT_TEST_PROGRAM
set -euo pipefail
program=$1

if [[ "$(id -u)" -ne 0 ]]; then
  echo "skipped: the private cupsd needs root"
  exit 77
fi

root=$(mktemp -d /tmp/vornak-cups.XXXXXX)
chmod 755 "$root"   # the filters, running as "lp", read the spooled jobs below it
cupsd_pid=
cleanup() {
  local status=$?
  set +e   # a failing echo to a closed pipe must not end the cleanup
  trap '' INT TERM HUP PIPE
  if [[ $status -ne 0 && -d "$root/log" ]]; then
    echo "--- scheduler log"
    cat "$root"/log/*
  fi
  if [[ -n "$cupsd_pid" ]]; then
    kill "$cupsd_pid"
    wait "$cupsd_pid"
  fi
  rm -rf "$root"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP PIPE

mkdir -p "$root"/{spool/tmp,cache,state,log,home,out}
cat >"$root/cupsd.conf" <<CONF
LogLevel warn
Listen $root/cups.sock
Browsing No
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow from all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
cat >"$root/cups-files.conf" <<CONF
ServerRoot $root
RequestRoot $root/spool
TempDir $root/spool/tmp
CacheDir $root/cache
StateDir $root/state
AccessLog $root/log/access_log
ErrorLog $root/log/error_log
PageLog $root/log/page_log
FileDevice Yes
Sandboxing Relaxed
SystemGroup root
CONF

export CUPS_SERVER=$root/cups.sock CUPS_SERVERROOT=$root HOME=$root/home
unset PRINTER LPDEST
# Should this script be killed outright, the scheduler still stops within two minutes.
timeout 120 cupsd -f -c "$root/cupsd.conf" -s "$root/cups-files.conf" 2>"$root/log/stderr" &
cupsd_pid=$!
for _ in $(seq 100); do
  lpstat -r 2>/dev/null | grep -q "is running" && break
  sleep 0.1
done

# A PDF printer: the job Qt sends arrives in the file as PDF, so its pages and text can be read.
lpadmin -p vornak_test -E -v "file://$root/out/job.pdf" \
  -P /usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd 2>>"$root/log/stderr"
lpadmin -d vornak_test

VORNAK_PRINT_OUTPUT=$root/out/job.pdf QT_QPA_PLATFORM=offscreen "$program"
