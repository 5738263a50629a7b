#!/usr/bin/env bash
# run-fuzzer.sh PROGRAM CORPUS WORK SECONDS
# SECONDS = 0: runs every input of CORPUS once (the committed inputs must all pass).
# Otherwise: fuzzes for SECONDS starting from CORPUS; new inputs and any crashing
# input go to WORK, never into the committed CORPUS.  Non-zero exit on a finding.
set -euo pipefail
program=$1 corpus=$2 work=$3 seconds=$4
rm -rf "$work"
mkdir -p "$work/new" "$work/findings"
export TMPDIR="$work"
if [[ $seconds -eq 0 ]]; then
  shopt -s nullglob
  inputs=("$corpus"/*)
  [[ ${#inputs[@]} -gt 0 ]] || { echo "no inputs in $corpus" >&2; exit 1; }
  exec "$program" -rss_limit_mb=2048 "${inputs[@]}"
fi
exec "$program" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$work/findings/" "$work/new" "$corpus"
