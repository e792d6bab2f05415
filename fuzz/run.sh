#!/usr/bin/env bash
# Runs one fuzz target for a while, starting from its seeds:
#   run.sh TARGET SEEDS WORK SECONDS
# Inputs that reach new code collect in WORK (kept between runs). A crash, a
# leak, undefined behaviour or a broken invariant fails the run; the input
# that caused it is left in WORK.crashes/ and the end of the log is shown.
# The number of executions is printed and kept in WORK.runs.
set -euo pipefail
target=$1 seeds=$2 work=$3 seconds=$4
mkdir -p "$work" "$work.crashes"
log=$work.log
status=0
UBSAN_OPTIONS=print_stacktrace=1 "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$work.crashes/" "$work" "$seeds" >"$log" 2>&1 || status=$?
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
printf '%-28s %10s executions in %s s\n' "$(basename "$target")" "${runs:-?}" "$seconds" | tee "$work.runs"
if [ "$status" -ne 0 ]; then
  tail -n 60 "$log" >&2
fi
exit "$status"
