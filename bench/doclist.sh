#!/bin/sh
# The document list's benchmark: builds it, makes the tree once under /tmp, prints the figures.
# Each part runs in a process of its own, so memory one part freed does not hide another's.
# Usage: bench/doclist.sh [BUILD_DIR]   (default: build beside the sources)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
tree=${QUORVANE_BENCH_TREE:-/tmp/quorvane-bench-tree}
cmake -S "$here/.." -B "$build" >/dev/null
make -C "$build" -j2 bench_doclist >/dev/null
[ -d "$tree" ] || python3 "$here/doclist/make-tree.py" "$tree"
for part in list memory speed; do
  QT_QPA_PLATFORM=offscreen "$build/bench/doclist/bench_doclist" "$tree" $part
done
