#!/usr/bin/env bash
# Try Tarnixw without a device: a simulated bus of several devices, a simulated VYRANTA and a
# simulated PLIXARO appear as virtual serial ports, then the program starts. The simulators
# stop when the program ends.
#   tools/demo.sh [build dir]
set -euo pipefail
build="${1:-build}"
sim="$build/sim/tarnixw-devsim"
app="$build/app/tarnixw"
logdir="$(mktemp -d /tmp/tarnixw-demo.XXXXXX)"
# A bus for tarnixw-cli scan and site: two models, one device at 9600 baud, two at one ID.
"$sim" --device vyr:1 --device plix:2 --device vyr:3@9600 --device vyr:5 --device plix:5 --name site-bus \
  --log "$logdir/site-bus.log" &
bus_pid=$!
sleep 0.3
"$sim" --model vyr --id 1 --name vyranta-sim --log "$logdir/vyranta.log" &
vyr_pid=$!
sleep 0.3 # a port that appears later is listed later: the PLIXARO's last
"$sim" --model plix --id 1 --name plixaro-sim --log "$logdir/plixaro.log" &
plix_pid=$!
trap 'kill $bus_pid $vyr_pid $plix_pid 2>/dev/null; wait 2>/dev/null' EXIT
sleep 0.3
echo "Simulated devices: a bus (site-bus: tarnixw-cli scan --port site-bus), then VYRANTA, and PLIXARO on the last new COM port (Check COM finds it)."
echo "Frame logs: $logdir"
"$app"
