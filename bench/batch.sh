#!/bin/sh
# quorvane-batch against LibreOffice's own batch modes, measured in one run on the same documents:
#   to a queue:  quorvane-batch --printer Press (--jobs 1, --jobs 2)  vs  one `soffice --headless -p`
#   to PDF:      quorvane-batch --pdf DIR (--jobs 1, --jobs 2)       vs  one `soffice --headless --convert-to pdf`
# Each paper run counts until the scheduler has kept every job; the command follows each job to its end
# itself. Two ratios of the same run besides: following the jobs (against --no-wait, which ends once
# every job is queued) and printing to the queue against writing the PDFs, both with --jobs 2.
# Then the peak memory (VmHWM) of each office over a longer PDF run.
# The queue is set up as a print server's would be: it has a printer description (on a raw queue,
# which CUPS deprecates, the office asks the scheduler for the missing description some 16 times per
# job), the scheduler logs warnings only, not the tests' debugging detail, and its backend keeps each
# job with one small program, as a printer's own backend is one program.
# Runs as root (a private CUPS scheduler of its own; this machine's printers are untouched). Build first.
# The six runs take turns for ROUNDS rounds, and each figure is the best of its rounds: this machine's
# speed varies from minute to minute, and taking turns gives every program the same minutes.
# Usage: bench/batch.sh [BUILD_DIR] [DOCUMENTS] [MEMORY_DOCUMENTS] [ROUNDS]   (defaults: build, 200, 500, 3)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
count=${2:-200}
memory_count=${3:-500}
rounds=${4:-3}
bench=batch.sh
. "$here/batch/press.sh"
lpoptions -d Press >/dev/null
python3 "$here/batch/make-docs.py" "$work/docs" "$count"
python3 "$here/batch/make-docs.py" "$work/warm" 2
soffice_profile="-env:UserInstallation=file://$work/soffice-profile"

# Waits until the queue has kept $1 jobs in all; says so when the scheduler is done short of them.
wait_kept() {
    while [ "$(kept)" -lt "$1" ]; do
        if [ -z "$(lpstat -o)" ] && [ "$(kept)" -lt "$1" ]; then
            echo "batch.sh: the queue kept $(kept) of $1 jobs; see $work/cups/log/error_log" >&2
            return
        fi
        sleep 0.05
    done
}

# Profiles are made once, before anything is timed.
soffice --headless "$soffice_profile" --convert-to pdf --outdir "$work/warm-out" "$work/warm"/*.odt >/dev/null 2>&1
"$batch" --jobs 2 --pdf "$work/warm-out" "$work/warm" >/dev/null

paper() {  # label, command...: seconds until every document's job is kept
    label=$1; shift
    expect=$(( $(kept) + count ))
    start=$(now)
    "$@" >/dev/null 2>&1
    wait_kept "$expect"
    echo "$(now) - $start" | bc -l
}
pdf() {  # label, command...: seconds until every PDF is written
    label=$1; shift
    start=$(now)
    "$@" >/dev/null 2>&1
    echo "$(now) - $start" | bc -l
}

best() { if [ -z "$1" ] || [ "$(echo "$2 < $1" | bc -l)" -eq 1 ]; then echo "$2"; else echo "$1"; fi; }
so_p= qb_p1= qb_p2= qb_pn= so_d= qb_d1= qb_d2=
round=1
while [ "$round" -le "$rounds" ]; do
    so_p=$(best "$so_p" "$(paper soffice soffice --headless "$soffice_profile" -p "$work/docs"/*.odt)")
    qb_p1=$(best "$qb_p1" "$(paper batch1 "$batch" --printer Press --jobs 1 "$work/docs")")
    qb_p2=$(best "$qb_p2" "$(paper batch2 "$batch" --printer Press --jobs 2 "$work/docs")")
    qb_pn=$(best "$qb_pn" "$(paper nowait "$batch" --printer Press --jobs 2 --no-wait "$work/docs")")
    so_d=$(best "$so_d" "$(pdf soffice soffice --headless "$soffice_profile" --convert-to pdf --outdir "$work/so-pdf$round" "$work/docs"/*.odt)")
    qb_d1=$(best "$qb_d1" "$(pdf batch1 "$batch" --jobs 1 --pdf "$work/pdf1-$round" "$work/docs")")
    qb_d2=$(best "$qb_d2" "$(pdf batch2 "$batch" --jobs 2 --pdf "$work/pdf2-$round" "$work/docs")")
    written=$(ls "$work/pdf2-$round" | wc -l)
    [ "$written" -eq "$count" ] || echo "batch.sh: --jobs 2 wrote $written PDFs, not $count" >&2
    round=$((round + 1))
done

report() {  # what, reference seconds, jobs 1 seconds, jobs 2 seconds
    printf '%s, %d documents, best of %d rounds:\n' "$1" "$count" "$rounds"
    printf '  soffice (one process)   %7.2f s  %6.1f documents/s\n' "$2" "$(echo "$count / $2" | bc -l)"
    printf '  quorvane-batch --jobs 1 %7.2f s  %6.1f documents/s  %.2fx soffice\n' "$3" "$(echo "$count / $3" | bc -l)" "$(echo "$2 / $3" | bc -l)"
    printf '  quorvane-batch --jobs 2 %7.2f s  %6.1f documents/s  %.2fx soffice\n' "$4" "$(echo "$count / $4" | bc -l)" "$(echo "$2 / $4" | bc -l)"
}
report "To queue Press, every job kept" "$so_p" "$qb_p1" "$qb_p2"
report "To PDF" "$so_d" "$qb_d1" "$qb_d2"
printf 'quorvane-batch --jobs 2, %d documents, best of %d rounds:\n' "$count" "$rounds"
printf '  following every job to its end  %7.2f s  vs --no-wait %7.2f s: %+.1f%%\n' "$qb_p2" "$qb_pn" "$(echo "($qb_p2 / $qb_pn - 1) * 100" | bc -l)"
printf '  to the queue, every job ended   %7.2f s  vs to PDF     %7.2f s: %+.1f%%\n' "$qb_p2" "$qb_d2" "$(echo "($qb_p2 / $qb_d2 - 1) * 100" | bc -l)"

# Peak memory of each office: sampled while a --jobs 2 PDF run of MEMORY_DOCUMENTS goes on.
python3 "$here/batch/make-docs.py" "$work/many" "$memory_count"
"$batch" --jobs 2 --pdf "$work/many-pdf" "$work/many" >/dev/null 2>&1 &
run=$!
: >"$work/hwm"
while kill -0 "$run" 2>/dev/null; do
    # The offices themselves, not the sandboxes (bwrap) whose command lines name them too.
    for pid in $(pgrep -f "soffice.bin.*$work/home" || true); do
        [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = bwrap ] && continue
        hwm=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status" 2>/dev/null || true)
        [ -n "$hwm" ] && echo "$pid $hwm" >>"$work/hwm"
    done
    sleep 0.5
done
wait "$run" || true
printf 'Peak memory (VmHWM) of each office over %d documents, --jobs 2:\n' "$memory_count"
sort -k1,1n -k2,2n "$work/hwm" | awk '{peak[$1] = $2} END {for (p in peak) printf "  office %s: %d MiB\n", p, peak[p] / 1024}'
