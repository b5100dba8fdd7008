#!/usr/bin/env bash
# A single-node Slurm cluster in a scratch folder, for the tests and for trying
# the job array of examples/cluster on one machine (as root):
#   scripts/slurm-cluster.sh start DIR   starts munged, slurmctld and slurmd
#   scripts/slurm-cluster.sh stop DIR    stops the daemons it started (by pid)
# After start, `source DIR/env` points sbatch, squeue and sinfo at it. Every
# file of the cluster (configuration, state, spool, logs, pids, the munge
# socket) lives in DIR; the daemons listen on ports 16817 and 16818. A start
# that fails prints the daemons' logs and stops what it started.
set -euo pipefail

command=${1:-}
dir=${2:-}
[ -n "$command" ] && [ -n "$dir" ] || { echo "usage: $0 start|stop DIR" >&2; exit 2; }

stop() {
  for daemon in slurmd slurmctld munged; do
    local file="$dir/$daemon.pid"
    [ -f "$file" ] || continue
    local pid
    pid=$(cat "$file")
    if kill -0 "$pid" 2> /dev/null; then
      kill "$pid" 2> /dev/null || true
      for _ in $(seq 50); do kill -0 "$pid" 2> /dev/null || break; sleep 0.1; done
      kill -9 "$pid" 2> /dev/null || true
    fi
    rm -f "$file"
  done
}

logs() {
  for log in munge/munged.log slurmctld.log slurmctld.out slurmd.log slurmd.out; do
    [ -f "$dir/$log" ] && { echo "---- $log"; tail -n 40 "$dir/$log"; }
  done >&2
}

case "$command" in
  stop) stop; exit 0 ;;
  start) ;;
  *) echo "usage: $0 start|stop DIR" >&2; exit 2 ;;
esac

[ "$(id -u)" -eq 0 ] || { echo "$0: the cluster runs its daemons as root and munge" >&2; exit 1; }
for program in munged slurmctld slurmd sinfo; do
  command -v "$program" > /dev/null || {
    echo "$0: $program is missing; scripts/install-deps.sh cluster installs it" >&2
    exit 1
  }
done

mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
trap 'status=$?; if [ $status -ne 0 ]; then logs; stop; fi' EXIT
mkdir -p "$dir/munge" "$dir/state" "$dir/spool"
chown munge:munge "$dir/munge"
chmod 755 "$dir" "$dir/munge"
if ! setpriv --reuid=munge --regid=munge --init-groups test -w "$dir/munge"; then
  echo "$0: the munge user cannot reach $dir/munge: every directory above it needs" \
    "search permission for others (chmod o+x)" >&2
  exit 1
fi
if [ ! -s /etc/munge/munge.key ]; then
  mkdir -p /etc/munge
  dd if=/dev/urandom of=/etc/munge/munge.key bs=1 count=1024 status=none
  chown munge:munge /etc/munge/munge.key
  chmod 400 /etc/munge/munge.key
fi

host=$(hostname -s)
cat > "$dir/slurm.conf" << CONF
ClusterName=colloidsim
SlurmctldHost=$host(127.0.0.1)
SlurmUser=root
SlurmdUser=root
SlurmctldPort=16817
SlurmdPort=16818
AuthType=auth/munge
AuthInfo=socket=$dir/munge/munge.socket
CredType=cred/munge
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
SchedulerType=sched/backfill
MpiDefault=none
ReturnToService=2
StateSaveLocation=$dir/state
SlurmdSpoolDir=$dir/spool
SlurmctldPidFile=$dir/slurmctld.daemon.pid
SlurmdPidFile=$dir/slurmd.daemon.pid
SlurmctldLogFile=$dir/slurmctld.log
SlurmdLogFile=$dir/slurmd.log
NodeName=$host NodeAddr=127.0.0.1 CPUs=$(nproc) State=UNKNOWN
PartitionName=debug Nodes=ALL Default=YES MaxTime=INFINITE State=UP
CONF
echo "export SLURM_CONF=$dir/slurm.conf" > "$dir/env"
export SLURM_CONF="$dir/slurm.conf"

# Each daemon in the foreground, as a child of this script's session, so that
# its pid is known exactly.
setpriv --reuid=munge --regid=munge --init-groups \
  munged --foreground --socket="$dir/munge/munge.socket" --key-file=/etc/munge/munge.key \
  --pid-file="$dir/munge/munged.pid" --log-file="$dir/munge/munged.log" --seed-file="$dir/munge/seed" \
  < /dev/null > /dev/null 2>&1 &
echo $! > "$dir/munged.pid"
for _ in $(seq 50); do [ -S "$dir/munge/munge.socket" ] && break; sleep 0.1; done
[ -S "$dir/munge/munge.socket" ] || { echo "$0: munged did not start" >&2; exit 1; }

slurmctld -D -f "$dir/slurm.conf" < /dev/null > "$dir/slurmctld.out" 2>&1 &
echo $! > "$dir/slurmctld.pid"
slurmd -D -f "$dir/slurm.conf" < /dev/null > "$dir/slurmd.out" 2>&1 &
echo $! > "$dir/slurmd.pid"

for _ in $(seq 150); do
  state=$(sinfo -h -N -o '%t' 2> /dev/null | head -n 1 || true)
  case "$state" in idle*|mix*|alloc*) echo "slurm is up in $dir (node $host, state $state)"; exit 0 ;; esac
  sleep 0.2
done
echo "$0: the node did not come up within 30 s (state: ${state:-none})" >&2
exit 1
