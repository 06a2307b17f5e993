#!/usr/bin/env bash
# Installs the "Vendrell PDF Writer" printer into a CUPS scheduler:
#  - the backend "vendrellpdf", owned by root with mode 0700, which makes the scheduler run it as
#    root, so that it can take each job owner's rights (it never writes with root's own);
#  - the queue Vendrell_PDF_Writer, description "Vendrell PDF Writer", not shared, with the driver
#    vendrellpdf.ppd: PDF and PostScript reach the backend as sent, CUPS's own filters turn text,
#    images and the like into PDF first;
#  - the queue admits only authenticated users' jobs (policy "authenticated"), so that a job's
#    owner is the user who printed it. A scheduler whose configuration lacks that policy gets it
#    and is restarted; the queue takes jobs only once it has the policy;
#  - one failed job never stops the queue (error policy abort-job).
#
#   install.sh [--server-root DIR] [--backend FILE]
#
# --server-root  the scheduler's configuration folder (default /etc/cups); its cups-files.conf names
#                the folder of its programs (ServerBin). The scheduler itself is the one CUPS_SERVER
#                names (default: the system's).
# --backend      the built backend (default: the installed one, else the build folder's).
set -euo pipefail
HERE=$(cd "$(dirname "$(readlink -f "$0")")" && pwd)
SERVER_ROOT=/etc/cups
BACKEND=
QUEUE=Vendrell_PDF_Writer
DESCRIPTION="Vendrell PDF Writer"
PPD=$HERE/vendrellpdf.ppd

die() { echo "install.sh: $*" >&2; exit 1; }

while [ $# -gt 0 ]; do
    case "$1" in
        --server-root) SERVER_ROOT=${2:?}; shift 2 ;;
        --backend) BACKEND=${2:?}; shift 2 ;;
        *) die "usage: install.sh [--server-root DIR] [--backend FILE]" ;;
    esac
done
[ "$(id -u)" -eq 0 ] || die "must run as root"
[ -f "$SERVER_ROOT/cups-files.conf" ] || die "no CUPS configuration in $SERVER_ROOT"
[ -f "$PPD" ] || die "the driver $PPD is missing"

if [ -z "$BACKEND" ]; then
    for candidate in /usr/local/libexec/quorvane/vendrellpdf /usr/libexec/quorvane/vendrellpdf \
                     "${QUORVANE_BUILD:-$HERE/../build}/pdfwriter/vendrellpdf"; do
        [ -x "$candidate" ] && { BACKEND=$candidate; break; }
    done
fi
[ -n "$BACKEND" ] && [ -x "$BACKEND" ] || die "backend not found; build the project or pass --backend FILE"
export CUPS_SERVERROOT=$SERVER_ROOT

answering() { [ "$(lpstat -r 2>/dev/null)" = "scheduler is running" ]; }

# The scheduler that reads SERVER_ROOT: one started with "-c SERVER_ROOT/cupsd.conf", or the
# system's service for /etc/cups.
restart_scheduler() {
    local pid found=
    for pid in $(pgrep -x cupsd || true); do
        if tr '\0' '\n' <"/proc/$pid/cmdline" 2>/dev/null | grep -qxF "$SERVER_ROOT/cupsd.conf"; then
            kill -HUP "$pid" && found=1
        fi
    done
    if [ -z "$found" ] && [ "$SERVER_ROOT" = /etc/cups ]; then
        if command -v systemctl >/dev/null && systemctl restart cups 2>/dev/null; then found=1
        elif command -v service >/dev/null && service cups restart >/dev/null 2>&1; then found=1
        fi
    fi
    [ -n "$found" ] || return 1
    local i
    sleep 1
    for i in $(seq 100); do answering && return 0; sleep 0.1; done
    return 1
}

# Adds the "authenticated" policy (authenticated-policy.conf) when the configuration lacks it.
ensure_policy() {
    local conf=$SERVER_ROOT/cupsd.conf
    grep -qs '^[[:space:]]*<Policy authenticated>' "$conf" && return 0
    [ -f "$conf" ] || die "no $conf"
    local new
    new=$(mktemp "$conf.XXXXXX")
    cat "$conf" >"$new"
    cat "$HERE/authenticated-policy.conf" >>"$new"
    if ! out=$(/usr/sbin/cupsd -t -c "$new" -s "$SERVER_ROOT/cups-files.conf" 2>&1); then
        rm -f "$new"
        die "cannot add the \"authenticated\" policy to $conf: $out"
    fi
    chmod --reference="$conf" "$new" && chown --reference="$conf" "$new"
    cp -p "$conf" "$conf.before-vendrellpdf"
    mv "$new" "$conf"
    echo "install.sh: added the \"authenticated\" policy to $conf (the old one is $conf.before-vendrellpdf)"
    restart_scheduler || die "added the \"authenticated\" policy to $conf, but could not restart the scheduler;" \
                             "restart it and run install.sh again"
}

# An existing queue takes no job until it is set up again below (with the policy).
if lpstat -v "$QUEUE" >/dev/null 2>&1; then
    cupsreject "$QUEUE" >/dev/null 2>&1 || true
    cupsdisable "$QUEUE" >/dev/null 2>&1 || true
fi
ensure_policy

SERVER_BIN=$(awk '$1 == "ServerBin" { print $2 }' "$SERVER_ROOT/cups-files.conf" | tail -1)
SERVER_BIN=${SERVER_BIN:-/usr/lib/cups}
install -m 0700 -o root -g root "$BACKEND" "$SERVER_BIN/backend/vendrellpdf"

# A new queue is added disabled and rejecting jobs. The scheduler refuses a policy it does not know, so the queue never takes jobs without it.
if ! out=$(lpadmin -p "$QUEUE" -v vendrellpdf:/ -D "$DESCRIPTION" -P "$PPD" -o printer-is-shared=false \
        -o printer-op-policy=authenticated -o printer-error-policy=abort-job 2>&1); then
    die "cannot set up the queue $QUEUE (it takes no jobs): $out"
fi
cupsenable "$QUEUE" && cupsaccept "$QUEUE" || die "cannot enable the queue $QUEUE"
lpstat -v "$QUEUE" >/dev/null 2>&1 || die "the queue $QUEUE is not there"
echo "Installed the printer \"$DESCRIPTION\" (queue $QUEUE, backend $SERVER_BIN/backend/vendrellpdf)"
