#!/usr/bin/env bash
# slurm-recipes.sh KAVRO_CLI DATA_PAGE
# The Slurm recipes of the data page, taken from the page and run as written on a
# one-node Slurm of our own (munged, slurmctld and slurmd started here, with a key,
# a slurm.conf and every state, log and pid file in a temporary folder): the array job
# per recording, and the array job per station-log row with the collect job after it.
# What the cluster made must hold the values one plain `kavro-cli cruise` makes.
# Skipped (77) when not root: the daemons need it. Everything else that keeps the
# cluster from coming up fails.
set -euo pipefail
cli=$(realpath "$1") page=$(realpath "$2")
export PATH="$PATH:/usr/sbin:/sbin"

if [[ $(id -u) -ne 0 ]]; then
  echo "SKIP: a Slurm of its own needs root (munged as user munge, slurmctld, slurmd)"
  exit 77
fi

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
for program in munged mungekey slurmctld slurmd sbatch squeue scontrol scancel; do
  command -v "$program" >/dev/null || fail "no $program: install the Debian packages slurm-wlm and munge (./test.sh does)"
done
id munge >/dev/null 2>&1 || fail "no user munge: install the Debian package munge"
python=/usr/bin/python3
"$python" -c "import xarray, netCDF4" 2>/dev/null || fail "$python cannot import xarray and netCDF4 (python3-xarray, python3-netcdf4)"

# Ports of our own, so that a Slurm of the machine (if any) is left alone.
ctld_port=16817 slurmd_port=16818
work=$(mktemp -d "${TMPDIR:-/tmp}/kavro-slurm.XXXXXX")
chmod 755 "$work"  # munged, as user munge, must reach its socket below it
node=$(hostname -s)
ctld_pid="" slurmd_pid="" failed=1

show_logs() {
  for log in "$work"/log/* "$work"/tree/slurm-*.out; do
    [[ -f $log ]] || continue
    echo "---- $log" >&2
    tail -n 30 "$log" >&2
  done
}
stop_all() {
  set +e
  if [[ $failed -ne 0 ]]; then
    show_logs
    if [[ -n $ctld_pid ]]; then  # jobs still queued or running end with the cluster
      scancel --quiet --user=root 2>/dev/null
      for _ in $(seq 20); do [[ -z $(squeue -h 2>/dev/null) ]] && break; sleep 0.5; done
    fi
  fi
  for pid in $slurmd_pid $ctld_pid; do
    kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  done
  if [[ -f $work/munge/munged.pid ]]; then
    munge_pid=$(cat "$work/munge/munged.pid")
    kill "$munge_pid" 2>/dev/null
    for _ in $(seq 20); do kill -0 "$munge_pid" 2>/dev/null || break; sleep 0.2; done
  fi
  rm -rf "$work"
}
trap stop_all EXIT
trap 'exit 1' INT TERM HUP

# munged with a key of our own (owned by munge, 0400) and its socket, pid, seed and
# log in a folder of its own.
mkdir -p "$work/munge" "$work/state" "$work/spool" "$work/log"
chown munge:munge "$work/munge"
chmod 755 "$work/munge"
runuser -u munge -- mungekey --create --keyfile="$work/munge/munge.key" || fail "mungekey could not make a key"
chmod 400 "$work/munge/munge.key"
runuser -u munge -- munged --socket="$work/munge/socket" --key-file="$work/munge/munge.key" \
  --pid-file="$work/munge/munged.pid" --seed-file="$work/munge/munged.seed" \
  --log-file="$work/munge/munged.log" || fail "munged did not start: $(tail -n 3 "$work/munge/munged.log" 2>/dev/null)"

export SLURM_CONF="$work/slurm.conf"
cat >"$SLURM_CONF" <<EOF
ClusterName=kavrotest
SlurmctldHost=$node
SlurmctldPort=$ctld_port
SlurmdPort=$slurmd_port
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
AuthInfo=socket=$work/munge/socket
CredType=cred/munge
StateSaveLocation=$work/state
SlurmdSpoolDir=$work/spool
SlurmctldPidFile=$work/slurmctld.pid
SlurmdPidFile=$work/slurmd.pid
SlurmctldLogFile=$work/log/slurmctld.log
SlurmdLogFile=$work/log/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
MpiDefault=none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
ReturnToService=2
MailProg=/bin/true
NodeName=$node CPUs=2 RealMemory=256 State=UNKNOWN
PartitionName=debug Nodes=$node Default=YES MaxTime=INFINITE State=UP
EOF
slurmctld -D -f "$SLURM_CONF" >"$work/log/slurmctld.out" 2>&1 &
ctld_pid=$!
slurmd -D -f "$SLURM_CONF" >"$work/log/slurmd.out" 2>&1 &
slurmd_pid=$!

# Up when the node is idle (the controller answers and the node has registered).
state=""
for _ in $(seq 60); do
  kill -0 "$ctld_pid" 2>/dev/null || fail "slurmctld ended at start"
  kill -0 "$slurmd_pid" 2>/dev/null || fail "slurmd ended at start"
  state=$(sinfo -h -n "$node" -o %t 2>/dev/null || true)
  [[ $state == idle ]] && break
  sleep 0.5
done
[[ $state == idle ]] || fail "the node $node is not idle after 30 s (state '${state:-no answer}')"
echo "Slurm $(sinfo -V | cut -d' ' -f2) up on $node"

# The recipes, from the page: every ```sh block, picked by what it does.
mkdir -p "$work/blocks"
awk -v dir="$work/blocks" '/^```sh$/ { n++; keep = 1; next } /^```/ { keep = 0 } keep { print > (dir "/" n ".sh") }' "$page"
only_block() {  # the one block that holds every pattern given and not the one after --not
  local want=() avoid="" found=()
  while [[ $# -gt 0 ]]; do
    if [[ $1 == --not ]]; then avoid=$2; shift 2; else want+=("$1"); shift; fi
  done
  for block in "$work"/blocks/*.sh; do
    local ok=1
    for pattern in "${want[@]}"; do grep -qe "$pattern" "$block" || ok=0; done
    [[ -n $avoid ]] && grep -qe "$avoid" "$block" && ok=0
    [[ $ok -eq 1 ]] && found+=("$block")
  done
  [[ ${#found[@]} -eq 1 ]] || fail "not one block of $page with ${want[*]} (found ${#found[@]}): the recipes changed, extend this test"
  echo "${found[0]}"
}
process_job=$(only_block '^#SBATCH' 'kavro-cli process')
process_submit=$(only_block '^sbatch' --not '--collect')
cruise_job=$(only_block '^#SBATCH' 'kavro-cli cruise.*--rows')
cruise_submit=$(only_block '^sbatch' '--collect')
script_name() {  # the job script a submission names
  grep -o '[[:alnum:]_.-]*\.sh' "$1" | head -n 1
}

# The tree a scientist has: recordings of two models, the station log with a
# spreadsheet's blank row and a blank line (neither is a row), a profile naming the
# calibration folder; kavro-cli found on the PATH as the jobs inherit it.
tree="$work/tree"
mkdir -p "$tree/raw" "$work/bin"
ln -s "$cli" "$work/bin/kavro-cli"
export PATH="$work/bin:$PATH" KAVRO_PROFILE="$work/profile.ini"
kavro-cli makecal "$work/cal" >/dev/null
printf '[Directories]\nCalFiles=%s\n[Miscellaneous]\nNumIterations=5\n' "$work/cal" >"$KAVRO_PROFILE"
kavro-cli simraw --cal-dir "$work/cal" --frames 60 -o "$tree/raw/st01.raw"
kavro-cli simraw --cal-dir "$work/cal" --frames 40 --model 1 -o "$tree/raw/st02.raw"
kavro-cli simraw --cal-dir "$work/cal" --frames 50 -o "$tree/raw/st03.raw"
cat >"$tree/CASTS.csv" <<'EOF'
recording,cast,station,latitude,longitude,start_utc,model,bottom_depth_m
raw/st01.raw,ST01,Helgoland Roads,54.1833,7.9000,2026-06-02T06:14:00Z,,12
,,,,,,,
raw/st02.raw,HE626/02,Amrum Bank,54 36.0 N,8 09.0 E,2026-06-02T13:40+02:00,1,18

raw/st03.raw,ST03,Elbe 1,54.0167,8.1167,2026-06-02T14:05:00Z,,27
EOF
casts=3 recordings=3
cp "$process_job" "$tree/$(script_name "$process_submit")"
cp "$cruise_job" "$tree/$(script_name "$cruise_submit")"

cd "$tree"
sh -e "$process_submit" || fail "the submission of the per-recording array job failed"
sh -e "$cruise_submit" || fail "the submission of the per-row array job and its collect failed"

# Wait until the queue is empty, then every job must have completed with status 0:
# one task per recording, one per row and the collect.
for _ in $(seq 240); do
  [[ -z $(squeue -h) ]] && break
  sleep 0.5
done
[[ -z $(squeue -h) ]] || fail "jobs still queued after 120 s: $(squeue -h)"
jobs=$(scontrol -o show job)
total=$(grep -c '^JobId=' <<<"$jobs" || true)
done_ok=$(grep -c 'JobState=COMPLETED .*ExitCode=0:0' <<<"$jobs" || true)
if [[ $total -ne $((recordings + casts + 1)) || $done_ok -ne $total ]]; then
  awk '{ for (i = 1; i <= NF; ++i) if ($i ~ /^(JobId|ArrayTaskId|JobName|JobState|ExitCode)=/) printf "%s ", $i; print "" }' \
    <<<"$jobs" >&2
  fail "$done_ok of $total jobs completed with status 0, expected $((recordings + casts + 1)) jobs"
fi
echo "$total jobs completed"

# The per-recording job: every recording processed and exported.
for raw in raw/*.raw; do
  name=$(basename "$raw" .raw)
  [[ -s psd/$name.psd && -s nc/$name.nc ]] || fail "the per-recording array job made no psd/$name.psd or nc/$name.nc"
done
[[ $(kavro-cli summary psd | grep -c '^psd/') -eq $recordings ]] || fail "kavro-cli summary psd lists not $recordings casts"

# The per-row jobs and the collect against one plain run of the same log: the same
# bytes where nothing records when or where a file was made, the same values and
# attributes in the NetCDF files but for the identifier, the creation time, the
# history (the command line) and the source file's path.
kavro-cli cruise CASTS.csv -o plain -q || fail "the plain kavro-cli cruise failed"
[[ -s archive/cruise_profiles.nc ]] || fail "the collect job made no archive/cruise_profiles.nc"
# The same files (the report too, in a build that draws it).
made() { (cd "$1" && find . -type f -not -path './.kavro-cruise/*' | sort); }
diff <(made archive) <(made plain) >&2 || fail "the cluster's archive holds other files than one plain run's (< cluster, > plain)"
cmp archive/cruise_summary.csv plain/cruise_summary.csv || fail "cruise_summary.csv differs from one plain run"
for file in plain/psd/*; do
  cmp "$file" "archive/psd/${file##*/}" || fail "archive/psd/${file##*/} differs from one plain run"
done
"$python" - "$casts" <<'EOF' || fail "the NetCDF files the cluster made differ from one plain run"
import glob, os, sys
import xarray as xr

aside = ("id", "date_created", "history", "source_file")

def load(path):
    ds = xr.open_dataset(path, decode_cf=False, mask_and_scale=False).load()
    for key in aside:
        ds.attrs.pop(key, None)
    return ds

names = ["cruise_profiles.nc"] + sorted("nc/" + os.path.basename(p) for p in glob.glob("plain/nc/*.nc"))
assert len(names) == 1 + int(sys.argv[1]), names
for name in names:
    cluster, plain = load("archive/" + name), load("plain/" + name)
    xr.testing.assert_identical(cluster, plain)
profiles = load("archive/cruise_profiles.nc")
assert profiles.sizes["profile"] == int(sys.argv[1]), profiles.sizes
assert int(profiles.n_frames.sum()) > 0, "no frame in any bin"
assert int(profiles.d50.notnull().sum()) > 0, "no D50 in any bin"
print("NetCDF files identical to one plain run:", ", ".join(names))
EOF
failed=0
echo "PASS: the Slurm recipes of $page"
