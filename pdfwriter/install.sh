#!/usr/bin/env bash
# Installs the "Vendrell PDF Writer" printer into a CUPS scheduler:
#  - the backend "vendrellpdf", owned by root with mode 0700, which makes the scheduler run it as
#    root, so that it can take each job owner's rights (it never writes with root's own);
#  - the raw queue Vendrell_PDF_Writer, description "Vendrell PDF Writer", not shared, whose jobs
#    reach the backend exactly as sent (LibreOffice sends PDF; PostScript is converted by the
#    backend), and which admits only authenticated users' jobs where the scheduler has the
#    "authenticated" policy, so that a job's owner is the user who printed it.
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

if [ -z "$BACKEND" ]; then
    for candidate in /usr/local/libexec/quorvane/vendrellpdf /usr/libexec/quorvane/vendrellpdf \
                     "${QUORVANE_BUILD:-$HERE/../build}/pdfwriter/vendrellpdf"; do
        [ -x "$candidate" ] && { BACKEND=$candidate; break; }
    done
fi
[ -n "$BACKEND" ] && [ -x "$BACKEND" ] || die "backend not found; build the project or pass --backend FILE"

SERVER_BIN=$(awk '$1 == "ServerBin" { print $2 }' "$SERVER_ROOT/cups-files.conf" | tail -1)
SERVER_BIN=${SERVER_BIN:-/usr/lib/cups}
install -m 0700 -o root -g root "$BACKEND" "$SERVER_BIN/backend/vendrellpdf"

export CUPS_SERVERROOT=$SERVER_ROOT
policy=()
if grep -qs '^<Policy authenticated>' "$SERVER_ROOT/cupsd.conf"; then
    policy=(-o printer-op-policy=authenticated)
else
    echo "install.sh: warning: $SERVER_ROOT/cupsd.conf has no \"authenticated\" policy; any local user" \
         "can print in another user's name" >&2
fi
# CUPS 2.4 warns that raw queues are deprecated; they still are the one way to pass PDF unchanged.
if ! out=$(lpadmin -p "$QUEUE" -E -v vendrellpdf:/ -D "$DESCRIPTION" -m raw -o printer-is-shared=false \
        "${policy[@]}" 2>&1); then
    die "cannot add the queue $QUEUE: $out"
fi
lpstat -v "$QUEUE" >/dev/null 2>&1 || die "the queue $QUEUE is not there"
echo "Installed the printer \"$DESCRIPTION\" (queue $QUEUE, backend $SERVER_BIN/backend/vendrellpdf)"
