#!/bin/sh
# quorvane-batch --watch against quorvane-batch itself, measured in one run on the same documents:
#   latency:    from a document's arrival (moved into the folder) to its job held by CUPS (the journal's
#               "job" step), one warm office, one document at a time; against the seconds the same
#               office takes for each document in a batch run (--jobs 1, its report's "seconds")
#   throughput: 200 documents moved in at once, until every one is filed as printed, against a batch
#               run of the same 200 until every job is kept, both with --jobs 2
# Runs as root (a private CUPS scheduler of its own). Build first.
# Usage: bench/hotfolder.sh [BUILD_DIR] [LATENCY_DOCUMENTS] [DOCUMENTS]   (defaults: build, 40, 200)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
latency_count=${2:-40}
count=${3:-200}
bench=hotfolder.sh
. "$here/batch/press.sh"
service=
on_exit() { [ -n "$service" ] && kill "$service" 2>/dev/null && wait "$service" 2>/dev/null || true; }
python3 "$here/batch/make-docs.py" "$work/lat" "$latency_count"
python3 "$here/batch/make-docs.py" "$work/docs" "$count"
python3 "$here/batch/make-docs.py" "$work/warm" 2
filed() { find "$1/done" "$1/failed" -maxdepth 1 -type f 2>/dev/null | wc -l; }
wait_until() { while [ "$($1 "$2")" -lt "$3" ]; do sleep 0.02; done; }

start_service() {  # folder, jobs: a service, warmed up with two documents
    mkdir -p "$1"
    "$batch" --watch "$1" --printer Press --jobs "$2" 2>>"$work/service.log" &
    service=$!
    cp "$work/warm"/*.odt "$work/" && mv "$work"/doc-*.odt "$1/"
    wait_until filed "$1" 2
}
stop_service() { kill "$service"; wait "$service" || true; service=; }

# The batch run's own seconds per document: one warm office, as the service's.
"$batch" --printer Press --jobs 1 "$work/warm" >/dev/null 2>&1
"$batch" --printer Press --jobs 1 --json "$work/batch-lat.json" "$work/lat" >/dev/null 2>&1

start_service "$work/in1" 1
: >"$work/arrivals"
for doc in "$work/lat"/*.odt; do
    name=$(basename "$doc")
    before=$(filed "$work/in1")
    echo "$name $(now)" >>"$work/arrivals"
    mv "$doc" "$work/in1/$name"
    wait_until filed "$work/in1" $((before + 1))
done
# The journal goes with a clean end: read it first.
python3 - "$work" <<'PY'
import glob, json, statistics, sys
work = sys.argv[1]
arrived = dict(line.split() for line in open(f"{work}/arrivals"))
names, held = {}, {}
for journal in glob.glob(f"{work}/in1/.work/*.journal"):
    for line in open(journal):
        step = json.loads(line)
        if step["step"] == "claimed": names[step["id"]] = step["name"]
        if step["step"] == "job": held[names[step["id"]]] = step["at"]
latency = sorted(held[n] - float(t) for n, t in arrived.items() if n in held)
render = sorted(d["seconds"] for d in json.load(open(f"{work}/batch-lat.json"))["documents"])
def p95(xs): return xs[min(len(xs) - 1, int(round(0.95 * (len(xs) - 1))))]
print(f"Arrival to job held, {len(latency)} documents one at a time, one warm office:")
print(f"  hot folder  median {statistics.median(latency):.3f} s  95th percentile {p95(latency):.3f} s")
print(f"  batch run   median {statistics.median(render):.3f} s  95th percentile {p95(render):.3f} s   (seconds per document)")
print(f"  ratio of medians {statistics.median(latency) / statistics.median(render):.2f}x")
PY
stop_service

# Throughput: the batch run first, then the same documents moved into a warm service at once.
expect=$(( $(kept) + count ))
start=$(now)
"$batch" --printer Press --jobs 2 "$work/docs" >/dev/null 2>&1
while [ "$(kept)" -lt "$expect" ]; do sleep 0.02; done
batch_s=$(echo "$(now) - $start" | bc -l)
start_service "$work/in2" 2
mkdir -p "$work/stage" && mv "$work/docs"/*.odt "$work/stage/"
start=$(now)
mv "$work/stage"/*.odt "$work/in2/"
wait_until filed "$work/in2" $((count + 2))
hot_s=$(echo "$(now) - $start" | bc -l)
stop_service
printf '%d documents, --jobs 2:\n' "$count"
printf '  batch run    %6.2f s  %6.1f documents/s\n' "$batch_s" "$(echo "$count / $batch_s" | bc -l)"
printf '  hot folder   %6.2f s  %6.1f documents/s  %.0f%% of the batch rate\n' "$hot_s" "$(echo "$count / $hot_s" | bc -l)" "$(echo "$batch_s / $hot_s * 100" | bc -l)"
