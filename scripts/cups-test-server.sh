#!/usr/bin/env bash
# A private CUPS daemon for the printing tests, which never touches the machine's own printing:
# its configuration, spool, logs and socket live in one folder, it listens on a socket of that
# folder only (no network port), and it runs in a mount namespace of its own in which that
# folder's etc/ is mounted over /etc/cups, the one place where the cups-pdf backend reads its
# settings; so the PDF printers write into the folder.
#
#   cups-test-server.sh start FOLDER   starts it, with two cups-pdf printers:
#       ofertix-pdf      (default) A4 without hardware margins, PDFs into FOLDER/out
#       ofertix-margens  15 mm hardware margins on every side, PDFs into FOLDER/out-margens
#       ofertix-recusa   refuses every job
#   cups-test-server.sh stop FOLDER    stops it and removes FOLDER
#
# Clients reach it with CUPS_SERVER=FOLDER/run/cups.sock. The cups-pdf backend only runs as
# root, and the namespace needs root too: elsewhere "start" writes the reason into
# FOLDER/unavailable, exits 0 and the tests that need it skip.
set -euo pipefail

action=${1:-}
dir=${2:-}
[ -n "$action" ] && [ -n "$dir" ] || { echo "Uso: $0 start|stop PASTA" >&2; exit 2; }

stop() {
  if [ -f "$dir/cupsd.pid" ]; then
    local pid
    pid=$(cat "$dir/cupsd.pid")
    if kill -0 "$pid" 2>/dev/null; then
      kill "$pid" 2>/dev/null || true
      for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
      kill -9 "$pid" 2>/dev/null || true
    fi
  fi
  rm -rf "$dir"
}

unavailable() {
  echo "$1" >"$dir/unavailable"
  echo "cups-test-server: $1 (os testes de impressão serão pulados)" >&2
  exit 0
}

case "$action" in
  stop) stop; exit 0 ;;
  start) ;;
  *) echo "Uso: $0 start|stop PASTA" >&2; exit 2 ;;
esac

stop  # what an interrupted run left behind
mkdir -p "$dir"
chmod 0755 "$dir"  # the filters run as the user lp

[ "$(id -u)" -eq 0 ] || unavailable "o servidor de teste precisa de root (backend cups-pdf)"
for tool in cupsd lpadmin lpstat cupsreject unshare; do
  command -v "$tool" >/dev/null 2>&1 || unavailable "falta o programa $tool"
done
[ -x /usr/lib/cups/backend/cups-pdf ] || unavailable "falta o backend cups-pdf (printer-driver-cups-pdf)"
ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
[ -f "$ppd" ] || unavailable "falta $ppd"
unshare -m --propagation private true 2>/dev/null || unavailable "sem namespace de montagem (unshare -m)"

mkdir -p "$dir"/{etc/ppd,etc/ssl,spool/tmp,cache,state,log,run,out,out-margens}
chmod 0755 "$dir"/{etc,run,out,out-margens}
sock="$dir/run/cups.sock"

cat >"$dir/etc/cupsd.conf" <<EOF
Listen $sock
LogLevel warn
MaxLogSize 0
Browsing No
WebInterface No
DefaultAuthType None
DefaultShared No
MaxJobs 0
PreserveJobHistory Yes
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
cat >"$dir/etc/cups-files.conf" <<EOF
ServerRoot $dir/etc
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
SystemGroup root
EOF
# cups-pdf: the default printer's settings, and the ones of the printer with margins
# (device cups-pdf:/margens reads cups-pdf-margens.conf).
for queue in "" "-margens"; do
  cat >"$dir/etc/cups-pdf$queue.conf" <<EOF
Out $dir/out$queue
AnonDirName $dir/out$queue
Spool $dir/spool/cups-pdf$queue
Grp root
UserUMask 0022
Label 1
EOF
done
# The printer with margins: the same driver, every paper's printable area 15 mm (42.5 pt)
# inside its edges.
awk '/^\*ImageableArea [^:]*: "0 0 [0-9.]+ [0-9.]+"/ {
       match($0, /"0 0 [0-9.]+ [0-9.]+"/)
       split(substr($0, RSTART + 1, RLENGTH - 2), a, " ")
       printf "%s\"42.5 42.5 %.1f %.1f\"\n", substr($0, 1, RSTART - 1), a[3] - 42.5, a[4] - 42.5
       next
     }
     { print }' "$ppd" >"$dir/etc/margens.ppd"

unshare -m --propagation private sh -c \
  'mount --bind "$1/etc" /etc/cups && exec cupsd -f -c "$1/etc/cupsd.conf" -s "$1/etc/cups-files.conf"' \
  sh "$dir" >"$dir/log/cupsd.out" 2>&1 &
echo $! >"$dir/cupsd.pid"

export CUPS_SERVER="$sock"
running() { LC_ALL=C lpstat -r 2>/dev/null | grep -qx "scheduler is running"; }
for _ in $(seq 1 100); do
  running && break
  kill -0 "$(cat "$dir/cupsd.pid")" 2>/dev/null || break
  sleep 0.1
done
if ! running; then
  echo "cups-test-server: o cupsd não respondeu em $sock" >&2
  cat "$dir/log/cupsd.out" "$dir/log/error_log" 2>/dev/null >&2 || true
  exit 1
fi

# lpadmin's notes (drivers are deprecated) go to the log; its errors stop the script.
admin() { "$@" 2>>"$dir/log/lpadmin.out" || { cat "$dir/log/lpadmin.out" >&2; exit 1; }; }
# pdftocairo keeps the PDF's text readable on its way through PostScript.
admin lpadmin -p ofertix-pdf -E -v cups-pdf:/ -P "$ppd" -o pdftops-renderer-default=pdftocairo
admin lpadmin -p ofertix-margens -E -v cups-pdf:/margens -P "$dir/etc/margens.ppd" \
  -o pdftops-renderer-default=pdftocairo
admin lpadmin -p ofertix-recusa -E -v cups-pdf:/ -P "$ppd"
admin cupsreject -r "recusa de teste" ofertix-recusa
admin lpadmin -d ofertix-pdf
echo "cups-test-server: impressoras ofertix-pdf, ofertix-margens e ofertix-recusa em $sock"
