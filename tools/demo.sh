#!/usr/bin/env bash
# Try Tarnixw without a device: a simulated VYRANTA and a simulated PLIXARO appear as virtual
# serial ports, then the program starts. Both simulators stop when the program ends.
#   tools/demo.sh [build dir]
set -euo pipefail
build="${1:-build}"
sim="$build/sim/tarnixw-devsim"
app="$build/app/tarnixw"
logdir="$(mktemp -d /tmp/tarnixw-demo.XXXXXX)"
"$sim" --model vyr --id 1 --name vyranta-sim --log "$logdir/vyranta.log" &
vyr_pid=$!
sleep 0.3 # the second port appears later, so it is listed last
"$sim" --model plix --id 1 --name plixaro-sim --log "$logdir/plixaro.log" &
plix_pid=$!
trap 'kill $vyr_pid $plix_pid 2>/dev/null; wait 2>/dev/null' EXIT
sleep 0.3
echo "Simulated devices: VYRANTA on the first new COM port, PLIXARO on the last (Check COM finds it)."
echo "Frame logs: $logdir"
"$app"
