#!/bin/sh
# The start-up benchmark: builds it and prints the figures. The program starts with a HOME of its own
# (its settings and office profile) and, when run as root, a private CUPS scheduler with the PDF
# printer's name, as the installed program finds it; this machine's settings and printers are untouched.
# Usage: bench/startup.sh [BUILD_DIR] [ROUNDS]   (defaults: build beside the sources, 5 rounds)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
rounds=${2:-5}
cmake -S "$here/.." -B "$build" >/dev/null
make -C "$build" -j2 bench_startup quorvane_uno >/dev/null

work=$(mktemp -d /tmp/quorvane-bench-startup-XXXXXX)
harness=$here/../tests/e2e/cupsd/private-cupsd.sh
cleanup() {
    [ -f "$work/cups/cupsd.pid" ] && "$harness" stop "$work/cups" >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT INT TERM
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
export XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME" && mkdir -m 0700 "$XDG_RUNTIME_DIR"
if [ "$(id -u)" -eq 0 ] && [ -x /usr/sbin/cupsd ]; then
    eval "$("$harness" start "$work/cups")"
    "$harness" add-queue "$work/cups" Vendrell_PDF_Writer "Vendrell PDF Writer" >/dev/null
    lpoptions -d Alpha >/dev/null
else
    echo "Not root: the program meets this machine's own CUPS set-up" >&2
fi
"$build/program/bench_startup" "$rounds"
