#!/bin/sh
# The print-run benchmarks: prints per-document figures and ratios measured in one run. Builds
# nothing: build first with
#   cmake -S . -B BUILD_DIR && make -C BUILD_DIR -j2 bench_printing
# Runs as root: the benchmark starts a private CUPS scheduler (queues Alpha, Beta and the PDF
# printer) and an unprivileged test user of its own; this machine's printers, default printer and
# settings are untouched. Takes several minutes (each document has 4 s, with the PDF printer 6 s,
# of designed waits).
# Usage: bench/printing.sh [BUILD_DIR] [DOCUMENTS]   (defaults: build beside the sources, 20)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
documents=${2:-20}
bench=$build/bench/printing/bench_printing
[ "$(id -u)" -eq 0 ] || { echo "printing.sh: must run as root (private CUPS scheduler)" >&2; exit 1; }
[ -x "$bench" ] || { echo "printing.sh: no $bench; build it first: make -C $build bench_printing" >&2; exit 1; }

runtime=$(mktemp -d /tmp/quorvane-bench-printing-XXXXXX)
trap 'rm -rf "$runtime"' EXIT
chmod 0700 "$runtime"
export XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM=offscreen LANG=C.UTF-8
"$bench" "$documents"
