# Sourced by the benchmarks of quorvane-batch: a private CUPS scheduler with the queue Press (set up as
# a print server's would be: a printer description, warnings-only logging, a one-program backend) and a
# HOME of their own, in a work folder that goes on exit. Needs $here, $build and $bench (its name).
batch=$build/program/quorvane-batch
cupsd=$here/../tests/e2e/cupsd/private-cupsd.sh
[ "$(id -u)" -eq 0 ] || { echo "$bench: must run as root (private CUPS scheduler)" >&2; exit 1; }
[ -x "$batch" ] || { echo "$bench: no $batch; build it first" >&2; exit 1; }

work=$(mktemp -d "/tmp/quorvane-bench-$bench-XXXXXX")
on_exit() { :; }  # a benchmark's own ending, before the scheduler stops
cleanup() { on_exit; "$cupsd" stop "$work/cups" >/dev/null 2>&1 || true; rm -rf "$work"; }
trap cleanup EXIT
chmod 0755 "$work"  # the scheduler's backends run as lp and must reach its folder
mkdir -p "$work/cups" "$work/home"
eval "$(QUORVANE_CUPSD_LOG_LEVEL=warn "$cupsd" start "$work/cups")"
"$cupsd" add-queue "$work/cups" Press "" "$here/batch/press.ppd"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
export XDG_CACHE_HOME="$work/home/.cache" LANG=C.UTF-8

now() { date +%s.%N; }
kept() { find "$work/cups/jobs/Press" -type f ! -name '*.part' ! -name '.seq' | wc -l; }
