#!/usr/bin/env bash
# Starts a one-node Slurm cluster of its own (munged, slurmctld and slurmd, every file of theirs in
# a temporary folder, on free ports), submits scripts/cluster/quellow-array.sbatch over 40 season
# files as an array of 4 tasks, merges the four summaries and compares them and every output byte
# for byte with one quellow-cli run over the same files; then submits the array again with
# --skip-done and checks that no file is written again. Stops the daemons by their pid files,
# whether the test passes or not. Exit status 77 (skipped) when the Slurm programs are missing.
# Usage: tests/system/slurm-array.sh QUELLOW_CLI SOURCE_DIR
set -euo pipefail
cli=$(realpath "$1")
source_dir=$(realpath "$2")

for program in munged munge slurmctld slurmd sbatch sinfo; do
    if ! command -v "$program" >/dev/null; then
        echo "SKIPPED: $program is missing (scripts/install-deps.sh installs munge, slurmctld, slurmd and slurm-client)."
        exit 77
    fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/quellow-slurm.XXXXXX")
chmod 700 "$work"
user=$(id -un)
pids=()

stop_daemons() {
    local file pid
    for file in "$work/slurmd.pid" "$work/slurmctld.pid" "$work/munged.pid"; do
        [ -s "$file" ] || continue
        pid=$(cat "$file")
        kill "$pid" 2>/dev/null || continue
        for _ in $(seq 50); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -9 "$pid" 2>/dev/null || true
    done
}

finish() {
    local status=$?
    stop_daemons
    if [ "$status" -ne 0 ]; then
        for log in "$work"/*.log "$work"/run/*.log; do
            [ -f "$log" ] && { echo "---- $log"; tail -n 30 "$log"; }
        done
    fi
    rm -rf "$work"
    exit "$status"
}
trap finish EXIT
trap 'exit 1' INT TERM

fail() {
    echo "FAIL: $*"
    exit 1
}

# Two free ports for the controller and the node.
read -r ctld_port slurmd_port < <(python3 - <<'EOF'
import socket
s = [socket.socket() for _ in range(2)]
for x in s:
    x.bind(("127.0.0.1", 0))
print(*(x.getsockname()[1] for x in s))
EOF
)

# munged with its own key and socket.
mkdir -p "$work/munge"
head -c 1024 /dev/urandom >"$work/munge/munge.key"
chmod 700 "$work/munge"
chmod 400 "$work/munge/munge.key"
socket=$work/munge/munge.socket
munged_args=(--socket="$socket" --key-file="$work/munge/munge.key" --pid-file="$work/munged.pid"
             --log-file="$work/munged.log" --seed-file="$work/munge/munged.seed" --force)
if [ "$(id -u)" -eq 0 ] && id munge >/dev/null 2>&1; then
    chown -R munge:munge "$work/munge"
    touch "$work/munged.log" "$work/munged.pid"
    chown munge:munge "$work/munged.log" "$work/munged.pid"
    chmod 711 "$work"
    su -s /bin/sh munge -c "$(printf '%q ' munged "${munged_args[@]}")"
else
    munged "${munged_args[@]}"
fi
munge --socket="$socket" -n | unmunge --socket="$socket" >/dev/null || fail "munge does not work"

host=$(hostname -s)
cpus=$(nproc)
mkdir -p "$work/state" "$work/spool"
export SLURM_CONF=$work/slurm.conf
cat >"$SLURM_CONF" <<EOF
ClusterName=quellowtest
SlurmctldHost=$host(127.0.0.1)
SlurmctldPort=$ctld_port
SlurmdPort=$slurmd_port
SlurmUser=$user
SlurmdUser=$user
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$socket
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/none
MpiDefault=none
ReturnToService=2
MailProg=/bin/true
StateSaveLocation=$work/state
SlurmdSpoolDir=$work/spool
SlurmctldPidFile=$work/slurmctld.pid
SlurmdPidFile=$work/slurmd.pid
SlurmctldLogFile=$work/slurmctld.log
SlurmdLogFile=$work/slurmd.log
TmpFS=$work
NodeName=$host NodeAddr=127.0.0.1 CPUs=$cpus State=UNKNOWN
PartitionName=main Nodes=$host Default=YES MaxTime=INFINITE State=UP
EOF
slurmctld -c -f "$SLURM_CONF"
slurmd -c -f "$SLURM_CONF"
for _ in $(seq 60); do
    state=$(sinfo -h -o %T 2>/dev/null || true)
    [ "$state" = idle ] && break
    sleep 0.5
done
[ "$state" = idle ] || fail "the node is not idle after 30 s (sinfo: '$state')"

# 40 season files, cut from seven real windows in turn.
mkdir -p "$work/run/seasons" "$work/run/out"
cd "$work/run"
windows=("$source_dir"/tests/data/windows/*.inp)
for k in $(seq 1 40); do
    cp "${windows[$(((k - 1) % ${#windows[@]}))]}" "seasons/season-$(printf %02d "$k").inp"
done

# One run over all of them: the reference.
"$cli" run seasons --csv single.csv >/dev/null 2>single.err || fail "the single run failed"
mkdir reference
mv seasons/*.out seasons/*.dat reference/

export QUELLOW_CLI=$cli
submit() { # sbatch arguments after the script's: waits for the array of 4
    local start=$SECONDS
    sbatch --wait --array=0-3 --cpus-per-task=1 --output="$work/run/task-%a.log" \
        "$source_dir/scripts/cluster/quellow-array.sbatch" run seasons --csv out/summary.csv "$@" \
        >sbatch.txt || { cat sbatch.txt task-*.log; fail "the array job failed"; }
    echo "array of 4 tasks over 40 seasons${*:+ ($*)}: submitted and done in $((SECONDS - start)) s"
}
submit
for a in 0 1 2 3; do
    grep -q "slice $((a + 1)) of 4, as the Slurm array task $a" "task-$a.log" ||
        fail "task $a does not say its slice: $(cat "task-$a.log")"
done
ls out/summary-{1,2,3,4}-of-4.csv >/dev/null || fail "a summary of a slice is missing"
"$cli" merge out/summary-*.csv -o all.csv >/dev/null || fail "the merge failed"
cmp single.csv all.csv || fail "the merged summary differs from the single run's"
for f in reference/*; do
    cmp "$f" "seasons/$(basename "$f")" || fail "$(basename "$f") differs from the single run's"
done
[ "$(ls seasons/*.out | wc -l)" = 40 ] || fail "not every season has its output"

# A slice left out is named, and nothing is written.
if "$cli" merge out/summary-{1,2,3}-of-4.csv -o part.csv 2>merge.err >/dev/null; then
    fail "a merge without slice 4 succeeded"
fi
grep -q "slice 4 of 4" merge.err || fail "the merge does not name the missing slice: $(cat merge.err)"
[ ! -e part.csv ] || fail "an incomplete merge was written"

# Again with --skip-done: every season is done, no file is written again.
stamp() { find seasons out -type f -printf '%p %s %T@\n' | sort; }
before=$(stamp)
sleep 1.1
rm task-*.log
submit --skip-done
for a in 0 1 2 3; do
    grep -q "skipped 10 of 10 inputs" "task-$a.log" || fail "task $a skipped not all: $(cat "task-$a.log")"
done
[ "$before" = "$(stamp)" ] || fail "a resubmission with --skip-done wrote files again: $(diff <(echo "$before") <(stamp))"
echo "PASS: 40 seasons over an array of 4 equal one run; a resubmission with --skip-done wrote nothing"
